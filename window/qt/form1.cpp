#include "window/qt/form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <string>
#include <utility>
#include <vector>

#include "engine/fields.h"
#include "window/command.h"
#include "window/qt/check_dialog.h"
#include "window/qt/controls.h"
#include "window/qt/fonts.h"
#include "window/qt/notice.h"
#include "window/qt/penstock_window.h"
#include "window/qt/sheet_print.h"

namespace tavorin {
namespace {

// The first local file a drag carries, or empty: other URLs (web pages) are no case.
QString draggedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return {};
}

}  // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(fromUtf8(kFormName));
    setWindowTitle(fromUtf8(kFormName));

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
                    if (!file.keys.empty()) {
                        action->setShortcut(QKeySequence::fromString(fromUtf8(file.keys),
                                                                     QKeySequence::PortableText));
                        // Also while the check dialog is the active window.
                        action->setShortcutContext(Qt::ApplicationShortcut);
                        m_keys << action->shortcut();
                    }
                    connect(action, &QAction::triggered, this, [this, &file] {
                        // Its keys act on the penstock in the penstock window.
                        if (m_penstock && QApplication::activeWindow() == m_penstock.data() &&
                            m_penstock->controller().runKeyOf(file)) {
                            return;
                        }
                        runEntry(m_store, *this, file, m_document, m_trap);
                    });
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
        QWidget* widget = placeControl(c, area, ratio);
        if (auto* button = qobject_cast<QPushButton*>(widget); button && command != Command::None) {
            connect(button, &QPushButton::clicked, this,
                    [this, command] { runCommand(m_store, *this, command, m_trap); });
        }
        widgets[row] = widget;
        m_store.add(c.name, widget);
    }

    setFocusOrder(widgets, focusOrder());
    // The check dialog's boxes are in the store from the start, for case files and the sheet.
    m_check = new CheckDialog(
        this, m_store, [this](Command command) { runCommand(m_store, *this, command, m_trap); });
    m_notice = new Notice(area);
    markUnchanged(m_document, m_store);
    setAcceptDrops(true);
    m_check->setAcceptDrops(true);
    qApp->installEventFilter(this);

    resize(twipsToPixels(kClientWidth),
           twipsToPixels(kClientHeight) + menuBar()->sizeHint().height());
}

void Form1::openFile(const QString& path) {
    openCaseAt(m_store, *this, m_document, QFileInfo(path).absoluteFilePath().toStdString(),
               m_trap);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::DragEnter && type != QEvent::DragMove &&
        type != QEvent::Drop) {
        return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return false;
    const QWidget* window = widget->window();
    if (window != this && window != m_check && window != m_penstock.data()) return false;
    if (type != QEvent::ShortcutOverride) return handleDrag(event);
    // Left unaccepted, the key goes to the entry's shortcut instead of the box.
    auto* key = static_cast<QKeyEvent*>(event);
    if (!m_keys.contains(QKeySequence(key->keyCombination()))) return false;
    key->ignore();
    return true;
}

bool Form1::handleDrag(QEvent* event) {
    auto* drop = static_cast<QDropEvent*>(event);
    const QString file = draggedFile(drop->mimeData());
    // Text drops into the boxes work as always; nothing opens behind a modal dialog.
    if (file.isEmpty() || QApplication::activeModalWidget() != nullptr) return false;
    // Copied, never moved: the source keeps its file.
    const Qt::DropActions possible = drop->possibleActions();
    if (possible & Qt::CopyAction) {
        drop->setDropAction(Qt::CopyAction);
    } else if (possible & Qt::LinkAction) {
        drop->setDropAction(Qt::LinkAction);
    } else {
        return false;
    }
    drop->accept();
    if (event->type() == QEvent::Drop) {
        // After the drop has finished, so that a message box does not hold up its source.
        QTimer::singleShot(0, this, [this, file] { openFile(file); });
    }
    return true;
}

void Form1::setFaultReporter(FaultReporter reporter) {
    m_dialogs.reportFault = std::move(reporter);
}

void Form1::setPathChooser(PathChooser chooser) { m_dialogs.choosePath = std::move(chooser); }

void Form1::setSaveQuestion(SaveQuestion question) { m_dialogs.askToSave = std::move(question); }

void Form1::closeEvent(QCloseEvent* event) {
    if (!runClose(m_store, *this, m_document, m_trap) ||
        (m_penstock && !m_penstock->controller().mayClose())) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_penstock) {
        // Asked already: the program ends with Form1.
        m_penstock->hide();
        m_penstock->deleteLater();
        m_penstock = nullptr;
    }
}

QWidget* Form1::workingWindow() {
    QWidget* active = QApplication::activeWindow();
    return active != nullptr ? active : this;
}

SaveAnswer Form1::askToSave(std::string_view question) {
    return m_dialogs.ask(workingWindow(), question);
}

PenstockController* Form1::penstock() {
    if (!m_penstock) {
        m_penstock = new PenstockWindow(this, m_store, *this, m_document, m_dialogs);
        m_penstock->setAcceptDrops(true);
    }
    m_penstock->showRaised();
    return &m_penstock->controller();
}

void Form1::setStoreTrap(StoreTrap trap) { m_trap = std::move(trap); }

void Form1::report(std::string_view message) { m_dialogs.report(workingWindow(), message); }

std::string Form1::choosePath(const FileMenuEntry& entry, const std::string& offer) {
    return m_dialogs.path(this, entry, offer);
}

std::string Form1::exportPdf(const std::string& html, const std::string& utf8Path) {
    return exportSheetPdf(html, fromUtf8(utf8Path)).toStdString();
}

void Form1::showCheckDialog() {
    m_check->show();
    m_check->raise();
    m_check->activateWindow();
}

void Form1::notify(std::string_view message) {
    QWidget* host =
        QApplication::activeWindow() == m_check ? static_cast<QWidget*>(m_check) : centralWidget();
    m_notice->showOver(host, fromUtf8(message));
}

void Form1::print(const std::string& html) { printSheetAsking(this, html); }

}  // namespace tavorin
