#include "window/qt/penstock_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QPushButton>
#include <algorithm>
#include <limits>

#include "window/qt/controls.h"
#include "window/qt/fonts.h"
#include "window/qt/notice.h"
#include "window/qt/penstock_tables.h"
#include "window/qt/profile_widget.h"
#include "window/qt/sheet_print.h"

namespace tavorin {
namespace {

QRect pixelsOf(const Area& area) {
    return {twipsToPixels(area.left), twipsToPixels(area.top), twipsToPixels(area.width),
            twipsToPixels(area.height)};
}

int toInt(std::size_t n) {
    return static_cast<int>(
        std::min<std::size_t>(n, static_cast<std::size_t>(std::numeric_limits<int>::max())));
}

bool isBox(const ControlSpec& c) {
    return c.kind == ControlKind::TextBox || c.kind == ControlKind::ChoiceList;
}

}  // namespace

PenstockWindow::PenstockWindow(QWidget* form, WindowStore& formStore, WindowSide& formSide,
                               CaseDocument& formDocument, const Dialogs& dialogs)
    : QWidget(form, Qt::Window),
      m_form(form),
      m_formSide(formSide),
      m_dialogs(dialogs),
      m_controller(*this, *this, formStore, formSide, formDocument) {
    setObjectName(fromUtf8(kPenstockWindowName));
    setWindowTitle(fromUtf8(kPenstockWindowTitle));
    const qreal ratio = qApp->devicePixelRatio();
    setFont(windowFont(FontRole::Default, ratio));

    const auto table = penstockWindowTable();
    std::vector<QWidget*> widgets(table.size(), nullptr);
    for (std::size_t row = 0; row < table.size(); ++row) {
        const ControlSpec& c = table[row];
        QWidget* widget = placeControl(c, this, ratio);
        if (widget == nullptr) continue;
        if (auto* button = qobject_cast<QPushButton*>(widget);
            button && c.command != Command::None) {
            connect(button, &QPushButton::clicked, this,
                    [this, command = c.command] { m_controller.run(command); });
        }
        if (isBox(c)) m_boxes.add(c.name, widget);
        widgets[row] = widget;
    }

    m_profile = new ProfileTable(this, {[this] { m_controller.run(Command::PenstockInsertRow); },
                                        [this] { m_controller.run(Command::PenstockDeleteRow); },
                                        [this] { paste(); }, [this] { copy(); }});
    m_profile->setObjectName(QStringLiteral("profile"));
    m_profile->setGeometry(pixelsOf(kProfileArea));
    m_profile->setAccessibleName(fromUtf8(kProfileArea.name));
    layOutTable(*m_profile, profileColumns());

    m_results = new ResultTable(this, [this](int row) { openInForm1(row); });
    m_results->setObjectName(QStringLiteral("results"));
    m_results->setGeometry(pixelsOf(kResultArea));
    m_results->setAccessibleName(fromUtf8(kResultArea.name));
    layOutTable(*m_results, resultColumns());

    m_drawing = new ProfileWidget(this);
    m_drawing->setGeometry(pixelsOf(kDrawingArea));
    m_drawing->setAccessibleName(fromUtf8(kDrawingArea.name));

    // Tab walks the boxes, the profile table, the buttons and the results table.
    const auto order = penstockFocusOrder();
    setFocusOrder(widgets, order);
    const auto lastBox = std::find_if(order.rbegin(), order.rend(),
                                      [&](std::size_t row) { return isBox(table[row]); });
    if (lastBox != order.rend()) QWidget::setTabOrder(widgets[*lastBox], m_profile);
    if (!order.empty()) QWidget::setTabOrder(widgets[order.back()], m_results);

    m_notice = new Notice(this);
    resize(twipsToPixels(kPenstockClientWidth), twipsToPixels(kPenstockClientHeight));
    m_controller.start();
}

void PenstockWindow::showRaised() {
    const bool opens = !isVisible();
    show();
    raise();
    activateWindow();
    // As a window just opened: the focus in the first box (shown again, the window had it
    // in the second).
    if (opens && !penstockFocusOrder().empty()) {
        focusBox(penstockWindowTable()[penstockFocusOrder().front()].name);
    }
}

void PenstockWindow::closeEvent(QCloseEvent* event) {
    if (!m_controller.mayClose()) {
        event->ignore();
        return;
    }
    event->accept();
    m_controller.start();
}

// --- the view

std::string PenstockWindow::lineText(std::string_view key) {
    std::string text;
    m_boxes.readText(key, text);
    return text;
}

void PenstockWindow::setLineText(std::string_view key, std::string_view text) {
    m_boxes.replaceText(key, text);
}

std::size_t PenstockWindow::rowCount() { return static_cast<std::size_t>(m_profile->rowCount()); }

std::string PenstockWindow::cell(std::size_t row, std::size_t column) {
    const QTableWidgetItem* item = m_profile->item(toInt(row), toInt(column));
    return item == nullptr ? std::string() : item->text().toStdString();
}

void PenstockWindow::setCell(std::size_t row, std::size_t column, std::string_view text) {
    if (QTableWidgetItem* item = m_profile->item(toInt(row), toInt(column))) {
        item->setText(fromUtf8(text));
    } else {
        m_profile->setItem(toInt(row), toInt(column), new QTableWidgetItem(fromUtf8(text)));
    }
}

void PenstockWindow::insertRows(std::size_t at, std::size_t count) {
    m_profile->model()->insertRows(toInt(at), toInt(count));
}

void PenstockWindow::removeRows(std::size_t at, std::size_t count) {
    m_profile->model()->removeRows(toInt(at), toInt(count));
}

std::optional<std::pair<std::size_t, std::size_t>> PenstockWindow::currentCell() {
    const QModelIndex current = m_profile->currentIndex();
    if (!current.isValid()) return std::nullopt;
    return std::pair{static_cast<std::size_t>(current.row()),
                     static_cast<std::size_t>(current.column())};
}

void PenstockWindow::selectCell(std::size_t row, std::size_t column) {
    m_profile->setCurrentCell(toInt(row), toInt(column));
    m_profile->scrollTo(m_profile->currentIndex());
    m_profile->setFocus();
}

void PenstockWindow::focusBox(std::string_view key) {
    if (auto* box = findChild<QWidget*>(fromUtf8(key), Qt::FindDirectChildrenOnly)) box->setFocus();
}

void PenstockWindow::showResults(const std::vector<std::vector<std::string>>& rows) {
    m_results->clearContents();
    m_results->setRowCount(toInt(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            m_results->setItem(toInt(r), toInt(c), new QTableWidgetItem(fromUtf8(rows[r][c])));
        }
    }
}

void PenstockWindow::showDrawing(const Penstock* penstock) { m_drawing->setPenstock(penstock); }

// --- the window's side

void PenstockWindow::report(std::string_view message) { m_dialogs.report(this, message); }

std::string PenstockWindow::choosePath(const FileMenuEntry& entry, const std::string& offer) {
    return m_dialogs.path(this, entry, offer);
}

void PenstockWindow::print(const std::string& html) { printSheetAsking(this, html); }

void PenstockWindow::showCheckDialog() { m_formSide.showCheckDialog(); }

void PenstockWindow::notify(std::string_view message) {
    m_notice->showOver(this, fromUtf8(message));
}

SaveAnswer PenstockWindow::askToSave(std::string_view question) {
    return m_dialogs.ask(this, question);
}

// --- keys and clicks

void PenstockWindow::paste() {
    m_controller.paste(QGuiApplication::clipboard()->text().toStdString());
}

void PenstockWindow::copy() {
    // The rectangle of the selection, or the current cell.
    const QList<QTableWidgetSelectionRange> ranges = m_profile->selectedRanges();
    int top = m_profile->currentRow(), left = m_profile->currentColumn();
    int bottom = top, right = left;
    if (!ranges.isEmpty()) {
        top = left = std::numeric_limits<int>::max();
        bottom = right = -1;
        for (const QTableWidgetSelectionRange& range : ranges) {
            top = std::min(top, range.topRow());
            left = std::min(left, range.leftColumn());
            bottom = std::max(bottom, range.bottomRow());
            right = std::max(right, range.rightColumn());
        }
    }
    if (top < 0 || left < 0) return;
    const auto at = [](int n) { return static_cast<std::size_t>(n); };
    QGuiApplication::clipboard()->setText(
        fromUtf8(m_controller.copy(at(top), at(left), at(bottom), at(right))));
}

void PenstockWindow::openInForm1(int row) {
    if (row < 0) return;
    m_controller.openInForm1(static_cast<std::size_t>(row));
    // Where the user reads the row's case.
    m_form->raise();
    m_form->activateWindow();
}

}  // namespace tavorin
