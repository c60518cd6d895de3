// Form1, the main window: built from the control table and the menu table in one loop over
// their rows, with the check dialog (window/qt/check_dialog.h) as its child; its boxes and
// the dialog's are the field store on which every command and menu entry runs
// (window/command.h), with Qt's message box, file dialogs and printer.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>

#include "window/command.h"
#include "window/control_table.h"
#include "window/file_menu.h"
#include "window/qt/widget_store.h"

namespace tavorin {

class CheckDialog;

class Form1 final : public QMainWindow, private WindowSide {
  public:
    // Shows the message of a fault that stopped a command.
    using FaultReporter = std::function<void(const QString& message)>;

    // Every control at its place, font and default text; the focus in the first of the
    // focus order.
    explicit Form1(QWidget* parent = nullptr);

    // Asks for the file of a command of "文件"; an empty path cancels it.
    using PathChooser = std::function<QString(const FileMenuEntry& entry, const QString& offer)>;

    // Replaces the warning message box (a test records the message instead).
    void setFaultReporter(FaultReporter reporter);
    // Replaces the file dialogs (a test names the files instead).
    void setPathChooser(PathChooser chooser);
    // Called before every operation of a command or menu entry on the boxes (a test throws
    // from it: the window shows the message and keeps every box as it was).
    void setStoreTrap(StoreTrap trap);

  private:
    void report(std::string_view message) override;
    std::string choosePath(const FileMenuEntry& entry, const std::string& offer) override;
    std::string exportPdf(const std::string& html, const std::string& utf8Path) override;
    void print(const std::string& html) override;
    void showCheckDialog() override;

    WidgetStore m_store;
    CheckDialog* m_check = nullptr;  // a child of the window
    FaultReporter m_reportFault;
    PathChooser m_choosePath;
    StoreTrap m_trap;
};

}  // namespace tavorin
