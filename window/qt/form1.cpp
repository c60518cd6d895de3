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
#include <algorithm>
#include <limits>
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
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    m_reportFault = [this](const QString& message) {
        QMessageBox::warning(this, QStringLiteral("Tavorin"), message);
    };

    const qreal ratio = qApp->devicePixelRatio();
    setFont(windowFont(FontRole::Default, ratio));
    // Controls keep their places whatever the window's size; a smaller window clips them.
    auto* area = new QWidget(this);
    setCentralWidget(area);

    std::vector<std::pair<int, QWidget*>> focusOrder;
    for (const ControlSpec& c : controlTable()) {
        const Command command = c.command;
        if (c.kind == ControlKind::MenuEntry) {
            QAction* entry = nullptr;
            if (c.name == "file") {
                // "文件" opens its menu and runs no command of its own.
                QMenu* menu = menuBar()->addMenu(fromUtf8(c.text));
                for (const FileMenuEntry& file : fileMenu()) {
                    QAction* action = menu->addAction(fromUtf8(file.caption));
                    action->setObjectName(fromUtf8(file.name));
                    connect(action, &QAction::triggered, this, [this, &file] {
                        guarded([this, &file](FieldStore& store) { runFile(file, store); });
                    });
                }
                entry = menu->menuAction();
            } else {
                entry = menuBar()->addAction(fromUtf8(c.text));
            }
            entry->setObjectName(fromUtf8(c.name));
            if (command != Command::None) {
                connect(entry, &QAction::triggered, this, [this, command] { run(command); });
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
            connect(button, &QPushButton::clicked, this, [this, command] { run(command); });
        }
        if (c.tabIndex != kNoFocus) focusOrder.emplace_back(c.tabIndex, widget);
        m_store.add(c.name, widget);
    }

    std::sort(focusOrder.begin(), focusOrder.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < focusOrder.size(); ++i) {
        setTabOrder(focusOrder[i - 1].second, focusOrder[i].second);
    }
    if (!focusOrder.empty()) focusOrder.front().second->setFocus();

    resize(twipsToPixels(kClientWidth),
           twipsToPixels(kClientHeight) + menuBar()->sizeHint().height());
}

void Form1::setFaultReporter(FaultReporter reporter) { m_reportFault = std::move(reporter); }

void Form1::setPathChooser(PathChooser chooser) { m_choosePath = std::move(chooser); }

void Form1::report(const QString& message) {
    if (m_reportFault) m_reportFault(message);
}

void Form1::setStoreTrap(StoreTrap trap) { m_trap = std::move(trap); }

void Form1::guarded(const std::function<void(FieldStore&)>& handler) {
    const std::string message = runGuarded(m_store, handler, m_trap);
    if (!message.empty()) report(fromUtf8(message));
}

void Form1::runFile(const FileMenuEntry& entry, FieldStore& store) {
    if (entry.command == FileCommand::Print) {
        std::optional<Fault> fault;
        const std::string document = calculateSheet(store, fault);
        if (fault) report(fromUtf8(fault->message));
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() == QDialog::Accepted) printSheet(document, printer);
        return;
    }
    const QString offer = fromUtf8(suggestedName(store, entry.suffix));
    QString path = m_choosePath ? m_choosePath(entry, offer) : QString();
    if (!m_choosePath) {
        const QString caption = fromUtf8(entry.caption).remove(QStringLiteral("…"));
        path = entry.command == FileCommand::Open
                   ? QFileDialog::getOpenFileName(this, caption, {}, fromUtf8(entry.filter))
                   : QFileDialog::getSaveFileName(this, caption, offer, fromUtf8(entry.filter));
        if (!path.isEmpty() && entry.command != FileCommand::Open &&
            QFileInfo(path).suffix().isEmpty()) {
            path += fromUtf8(entry.suffix);
        }
    }
    if (path.isEmpty()) return;
    const std::string utf8 = path.toStdString();
    FileOutcome outcome;
    switch (entry.command) {
        case FileCommand::Open:
            outcome = openCase(store, utf8);
            break;
        case FileCommand::Save:
            outcome = saveCase(store, utf8);
            break;
        case FileCommand::ExportSheet:
            outcome = exportSheet(store, utf8);
            break;
        case FileCommand::ExportPdf: {
            const std::string document = calculateSheet(store, outcome.fault);
            outcome.error = exportSheetPdf(document, path).toStdString();
            break;
        }
        case FileCommand::Print:
            break;
    }
    // A calculation that stopped is reported as the button reports it; the sheet holds the
    // steps up to the fault and its message.
    if (outcome.fault) report(fromUtf8(outcome.fault->message));
    if (!outcome.error.empty()) report(fromUtf8(outcome.error));
}

void Form1::run(Command command) {
    guarded([this, command](FieldStore& store) {
        const std::optional<Fault> fault = runCommand(store, command);
        // The window stays as the command left it; the user reads why it stopped.
        if (fault) report(fromUtf8(fault->message));
    });
}

}  // namespace tavorin
