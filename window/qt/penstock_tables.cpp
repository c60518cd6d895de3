#include "window/qt/penstock_tables.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>
#include <utility>

#include "window/qt/controls.h"

namespace tavorin {

void layOutTable(QTableWidget& table, std::span<const TableColumn> columns) {
    table.setColumnCount(static_cast<int>(columns.size()));
    // A cell's text stands between margins of the style's focus frame and one pixel more on
    // each side, and the grid line takes a pixel of the column.
    const int margins =
        2 * (table.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table) + 1) +
        (table.showGrid() ? 1 : 0);
    for (int c = 0; c < table.columnCount(); ++c) {
        const TableColumn& column = columns[static_cast<std::size_t>(c)];
        table.setHorizontalHeaderItem(c, new QTableWidgetItem(fromUtf8(column.caption)));
        const int cell = table.fontMetrics().horizontalAdvance(fromUtf8(column.widest)) + margins;
        table.setColumnWidth(c, std::max(cell, table.horizontalHeader()->sectionSizeHint(c)));
    }
    // Room for a cell's editor, and no more.
    QLineEdit box;
    box.setFont(table.font());
    table.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table.verticalHeader()->setDefaultSectionSize(box.sizeHint().height());
}

// --- the profile

ProfileTable::ProfileTable(QWidget* parent, Keys keys)
    : QTableWidget(parent), m_keys(std::move(keys)) {
    setTabKeyNavigation(true);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
}

bool ProfileTable::atEnd(bool next) const {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return true;
    return next ? current.row() == rowCount() - 1 && current.column() == columnCount() - 1
                : current.row() == 0 && current.column() == 0;
}

void ProfileTable::keyPressEvent(QKeyEvent* event) {
    const auto plain = [event](int key) {
        return event->key() == key && event->modifiers() == Qt::NoModifier;
    };
    const std::function<void()>* handler = nullptr;
    if (plain(Qt::Key_Insert)) {
        handler = &m_keys.insertRow;
    } else if (plain(Qt::Key_Delete)) {
        handler = &m_keys.deleteRow;
    } else if (event->matches(QKeySequence::Paste)) {
        handler = &m_keys.paste;
    } else if (event->matches(QKeySequence::Copy)) {
        handler = &m_keys.copy;
    }
    if (handler == nullptr || !*handler) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    (*handler)();
}

bool ProfileTable::focusNextPrevChild(bool next) {
    // The table's own Tab would go round to its first cell again.
    if (atEnd(next)) return QWidget::focusNextPrevChild(next);
    return QTableWidget::focusNextPrevChild(next);
}

void ProfileTable::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const bool next = hint == QAbstractItemDelegate::EditNextItem;
    const bool out = (next || hint == QAbstractItemDelegate::EditPreviousItem) && atEnd(next);
    QTableWidget::closeEditor(editor, out ? QAbstractItemDelegate::NoHint : hint);
    if (out) QWidget::focusNextPrevChild(next);
}

// --- the results

ResultTable::ResultTable(QWidget* parent, std::function<void(int row)> open)
    : QTableWidget(parent), m_open(std::move(open)) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { m_open(row); });
}

void ResultTable::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        currentRow() >= 0) {
        event->accept();
        m_open(currentRow());
        return;
    }
    QTableWidget::keyPressEvent(event);
}

}  // namespace tavorin
