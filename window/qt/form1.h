// Form1, the main window: built from the control table and the menu table in one loop over
// their rows, with the check dialog (window/qt/check_dialog.h) and the penstock window
// (window/qt/penstock_window.h) as its children; its boxes and the dialog's are the field
// store on which every command and menu entry runs (window/command.h), with Qt's message
// box, file dialogs and printer. The entries' keys work in every box of its windows; a file
// dropped on any of them opens. Closing the window, 新建, 打开… and a drop first ask about
// unsaved changes (window/unsaved_changes.h).
#pragma once

#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>

#include "window/command.h"
#include "window/control_table.h"
#include "window/file_menu.h"
#include "window/qt/dialogs.h"
#include "window/qt/widget_store.h"

namespace tavorin {

class CheckDialog;
class Notice;
class PenstockWindow;

class Form1 final : public QMainWindow, private WindowSide {
  public:
    // Shows the message of a fault that stopped a command.
    using FaultReporter = Dialogs::FaultReporter;

    // Every control at its place, font and default text; the focus in the first of the
    // focus order.
    explicit Form1(QWidget* parent = nullptr);

    // Opens the case file at `path` as 打开… does once it is chosen (a file named on the
    // command line): a file that is not a case is reported and changes nothing.
    void openFile(const QString& path);

    // Asks for the file of a command of "文件"; an empty path cancels it.
    using PathChooser = Dialogs::PathChooser;
    // Asks the question about unsaved changes.
    using SaveQuestion = Dialogs::SaveQuestion;

    // Each replaces the dialog in Form1, the check dialog and the penstock window: the
    // warning message box (a test records the message instead), the file dialogs (a test
    // names the files instead), the message box of the question about unsaved changes (a
    // test answers it).
    void setFaultReporter(FaultReporter reporter);
    void setPathChooser(PathChooser chooser);
    void setSaveQuestion(SaveQuestion question);
    // Called before every operation of a command or menu entry on the boxes (a test throws
    // from it: the window shows the message and keeps every box as it was).
    void setStoreTrap(StoreTrap trap);

  protected:
    // Lets the entries' keys past the boxes that would take them (Ctrl+E moves to the end
    // of a line on X11), and takes a local file dropped anywhere on Form1, the check dialog
    // or the penstock window (a penstock opens in the penstock window, a case in Form1).
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closes only when the question about unsaved changes lets it, and that of the penstock
    // window while it is open; the penstock window closes with it.
    void closeEvent(QCloseEvent* event) override;

  private:
    void report(std::string_view message) override;
    std::string choosePath(const FileMenuEntry& entry, const std::string& offer) override;
    std::string exportPdf(const std::string& html, const std::string& utf8Path) override;
    void print(const std::string& html) override;
    void showCheckDialog() override;
    void notify(std::string_view message) override;
    SaveAnswer askToSave(std::string_view question) override;
    // The penstock window, made the first time, shown and raised.
    PenstockController* penstock() override;
    bool handleDrag(QEvent* event);
    // The window the user works in: Form1, the check dialog or the penstock window.
    QWidget* workingWindow();

    WidgetStore m_store;
    CaseDocument m_document;
    CheckDialog* m_check = nullptr;       // a child of the window
    QPointer<PenstockWindow> m_penstock;  // a child of the window, made when first asked for
    Notice* m_notice = nullptr;           // over the window the user works in
    QList<QKeySequence> m_keys;           // of the entries
    Dialogs m_dialogs;
    StoreTrap m_trap;
};

}  // namespace tavorin
