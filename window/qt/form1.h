// Form1, the main window: built from the control table and the menu table in one loop over
// their rows, with the check dialog (window/qt/check_dialog.h) as its child; its boxes and
// the dialog's are the field store on which every command and menu entry runs
// (window/command.h), with Qt's message box, file dialogs and printer. The entries' keys
// work in every box of both windows; a case file dropped on either opens. Closing the
// window, 新建, 打开… and a drop first ask about unsaved changes (window/unsaved_changes.h).
#pragma once

#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <functional>

#include "window/command.h"
#include "window/control_table.h"
#include "window/file_menu.h"
#include "window/qt/widget_store.h"

namespace tavorin {

class CheckDialog;
class Notice;

class Form1 final : public QMainWindow, private WindowSide {
  public:
    // Shows the message of a fault that stopped a command.
    using FaultReporter = std::function<void(const QString& message)>;

    // Every control at its place, font and default text; the focus in the first of the
    // focus order.
    explicit Form1(QWidget* parent = nullptr);

    // Opens the case file at `path` as 打开… does once it is chosen (a file named on the
    // command line): a file that is not a case is reported and changes nothing.
    void openFile(const QString& path);

    // Asks for the file of a command of "文件"; an empty path cancels it.
    using PathChooser = std::function<QString(const FileMenuEntry& entry, const QString& offer)>;
    // Asks the question about unsaved changes.
    using SaveQuestion = std::function<SaveAnswer(const QString& question)>;

    // Replaces the warning message box (a test records the message instead).
    void setFaultReporter(FaultReporter reporter);
    // Replaces the file dialogs (a test names the files instead).
    void setPathChooser(PathChooser chooser);
    // Replaces the message box of the question about unsaved changes (a test answers it).
    void setSaveQuestion(SaveQuestion question);
    // Called before every operation of a command or menu entry on the boxes (a test throws
    // from it: the window shows the message and keeps every box as it was).
    void setStoreTrap(StoreTrap trap);

  protected:
    // Lets the entries' keys past the boxes that would take them (Ctrl+E moves to the end
    // of a line on X11), and takes a local file dropped anywhere on either window.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closes only when the question about unsaved changes lets it.
    void closeEvent(QCloseEvent* event) override;

  private:
    void report(std::string_view message) override;
    std::string choosePath(const FileMenuEntry& entry, const std::string& offer) override;
    std::string exportPdf(const std::string& html, const std::string& utf8Path) override;
    void print(const std::string& html) override;
    void showCheckDialog() override;
    void notify(std::string_view message) override;
    SaveAnswer askToSave(std::string_view question) override;
    bool handleDrag(QEvent* event);

    WidgetStore m_store;
    CaseDocument m_document;
    CheckDialog* m_check = nullptr;  // a child of the window
    Notice* m_notice = nullptr;      // over the window the user works in
    QList<QKeySequence> m_keys;      // of the entries
    FaultReporter m_reportFault;
    PathChooser m_choosePath;
    SaveQuestion m_askToSave;
    StoreTrap m_trap;
};

}  // namespace tavorin
