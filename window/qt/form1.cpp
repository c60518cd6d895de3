#include "window/qt/form1.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "engine/fields.h"
#include "window/command.h"
#include "window/qt/fonts.h"
#include "window/qt/sheet_print.h"

namespace tavorin {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect pixelRect(const ControlSpec& c) {
    return {twipsToPixels(c.left), twipsToPixels(c.top), twipsToPixels(c.width),
            twipsToPixels(c.height)};
}

// The widget of one row, not yet placed. Text boxes take any text of any length.
QWidget* createWidget(const ControlSpec& c, QWidget* area) {
    const QString text = fromUtf8(initialText(c));
    switch (c.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(area);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setFocusPolicy(Qt::NoFocus);
            label->setText(text);
            return label;
        }
        case ControlKind::TextBox: {
            auto* box = new QLineEdit(text, area);
            box->setMaxLength(std::numeric_limits<int>::max());
            box->setCursorPosition(0);
            return box;
        }
        case ControlKind::ChoiceList: {
            auto* list = new QComboBox(area);
            list->setEditable(true);
            // Typed text stays as typed: no completion, and Enter adds no item.
            list->setCompleter(nullptr);
            list->setInsertPolicy(QComboBox::NoInsert);
            if (const FieldSpec* field = findField(c.name)) {
                for (std::string_view item : field->items) list->addItem(fromUtf8(item));
            }
            list->setEditText(text);
            return list;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(text, area);
            button->setAutoDefault(false);
            button->setDefault(false);
            return button;
        }
        case ControlKind::MenuEntry:
            break;
    }
    return nullptr;
}

}  // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(fromUtf8(kFormName));
    setWindowTitle(fromUtf8(kFormName));
    m_reportFault = [this](const QString& message) {
        QMessageBox::warning(this, fromUtf8(kMessageTitle), message);
    };

    const qreal ratio = qApp->devicePixelRatio();
    setFont(windowFont(FontRole::Default, ratio));
    // Controls keep their places whatever the window's size; a smaller window clips them.
    auto* area = new QWidget(this);
    setCentralWidget(area);

    const auto table = controlTable();
    std::vector<QWidget*> widgets(table.size(), nullptr);
    for (size_t row = 0; row < table.size(); ++row) {
        const ControlSpec& c = table[row];
        const Command command = c.command;
        if (c.kind == ControlKind::MenuEntry) {
            // A row with entries opens its menu and runs no command of its own.
            const auto entries = menuEntries(c.name);
            QAction* entry = nullptr;
            if (!entries.empty()) {
                QMenu* menu = menuBar()->addMenu(fromUtf8(c.text));
                for (const FileMenuEntry& file : entries) {
                    QAction* action = menu->addAction(fromUtf8(file.caption));
                    action->setObjectName(fromUtf8(file.name));
                    connect(action, &QAction::triggered, this,
                            [this, &file] { runEntry(m_store, *this, file, m_trap); });
                }
                entry = menu->menuAction();
            } else {
                entry = menuBar()->addAction(fromUtf8(c.text));
            }
            entry->setObjectName(fromUtf8(c.name));
            if (command != Command::None) {
                connect(entry, &QAction::triggered, this,
                        [this, command] { runCommand(m_store, *this, command, m_trap); });
            }
            continue;
        }
        QWidget* widget = createWidget(c, area);
        widget->setObjectName(fromUtf8(c.name));
        widget->setGeometry(pixelRect(c));
        // The default font comes from the window; setting it again would only lay out
        // the text once more.
        if (c.font != FontRole::Default) widget->setFont(windowFont(c.font, ratio));
        if (c.kind == ControlKind::Label) {
            // A label reaching under a box is drawn beneath it.
            widget->lower();
        } else {
            widget->setAccessibleName(fromUtf8(tavorin::accessibleName(c)));
        }
        if (auto* button = qobject_cast<QPushButton*>(widget); button && command != Command::None) {
            connect(button, &QPushButton::clicked, this,
                    [this, command] { runCommand(m_store, *this, command, m_trap); });
        }
        widgets[row] = widget;
        m_store.add(c.name, widget);
    }

    const auto order = focusOrder();
    for (size_t i = 1; i < order.size(); ++i) {
        setTabOrder(widgets[order[i - 1]], widgets[order[i]]);
    }
    if (!order.empty()) widgets[order.front()]->setFocus();

    resize(twipsToPixels(kClientWidth),
           twipsToPixels(kClientHeight) + menuBar()->sizeHint().height());
}

void Form1::setFaultReporter(FaultReporter reporter) { m_reportFault = std::move(reporter); }

void Form1::setPathChooser(PathChooser chooser) { m_choosePath = std::move(chooser); }

void Form1::setStoreTrap(StoreTrap trap) { m_trap = std::move(trap); }

void Form1::report(std::string_view message) {
    if (m_reportFault) m_reportFault(fromUtf8(message));
}

std::string Form1::choosePath(const FileMenuEntry& entry, const std::string& utf8Offer) {
    const QString offer = fromUtf8(utf8Offer);
    if (m_choosePath) return m_choosePath(entry, offer).toStdString();
    const QString title = fromUtf8(dialogTitle(entry));
    QString path = entry.command == FileCommand::Open
                       ? QFileDialog::getOpenFileName(this, title, {}, fromUtf8(entry.filter))
                       : QFileDialog::getSaveFileName(this, title, offer, fromUtf8(entry.filter));
    if (!path.isEmpty() && entry.command != FileCommand::Open &&
        QFileInfo(path).suffix().isEmpty()) {
        path += fromUtf8(entry.suffix);
    }
    return path.toStdString();
}

std::string Form1::exportPdf(const std::string& html, const std::string& utf8Path) {
    return exportSheetPdf(html, fromUtf8(utf8Path)).toStdString();
}

void Form1::print(const std::string& html) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) printSheet(html, printer);
}

}  // namespace tavorin
