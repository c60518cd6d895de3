// What a click on a control of the table or an entry of a menu runs, the same in every
// window: the window supplies its message box, file dialogs and printer, and the rest is
// here, inside one last-resort boundary.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/fault.h"
#include "engine/fields.h"
#include "window/control_table.h"
#include "window/file_menu.h"
#include "window/unsaved_changes.h"

namespace tavorin {

class PenstockController;

// The field store of a window, which can also read a label's caption back.
class WindowStore : public FieldStore {
  public:
    virtual bool readCaption(std::string_view name, std::string& caption) = 0;
};

// What a window does for its commands, in its toolkit; with askToSave() it asks about
// unsaved changes (window/unsaved_changes.h).
class WindowSide : public SaveAsker {
  public:
    // Shows a message in a warning box: the fault that stopped a command, an error of a
    // menu entry, what escaped a handler.
    virtual void report(std::string_view message) = 0;

    // Asks for the file of `entry`: an existing file for 打开…, a file to write for the
    // others, offering `offer` (with its suffix) and adding the entry's suffix to a name
    // typed without one. UTF-8; empty when the user cancelled (or the dialog could not be
    // shown, and that was reported).
    virtual std::string choosePath(const FileMenuEntry& entry, const std::string& offer) = 0;

    // For the entries that need print support: writes the sheet `html` as a PDF file and
    // returns the Chinese error or an empty text; asks for a printer and prints it.
    virtual std::string exportPdf(const std::string& html, const std::string& utf8Path);
    virtual void print(const std::string& html);

    // Shows the dialog of the stability check (稳定验算…), whose boxes are in the window's
    // store from the start; brings it to the front when it is already shown.
    virtual void showCheckDialog() = 0;

    // Says briefly that a file was written ("已保存到“3号镇墩.tavorin”。"): a notice that
    // goes by itself, with no box to close, leaving Form1's layout and caption as they are.
    virtual void notify(std::string_view message) = 0;

    // The penstock window's controller (window/penstock_window.h), the window shown and
    // brought to the front (made the first time); nullptr where there is none.
    virtual PenstockController* penstock() { return nullptr; }

  protected:
    ~WindowSide() = default;
};

// Called before every operation of a handler on the store, with the control's name: a test
// throws from it to drive a handler into an exception.
using StoreTrap = std::function<void(std::string_view name)>;

// Both handlers below run inside the window's last resort: the handler works on a store that
// remembers the first text of every box and caption it changes; when anything escapes it,
// every box and caption gets its text back, the window reports
//   "程序内部出错（bad thing），这次操作没有完成；窗口中的内容保持原样。"
// (or "内存不足，…") and goes on. Neither throws.

// The handler of a control row: runs its command on the window's field store (the
// calculate command for "计  算", the version command for "版本", the calculate command and
// then the stability check for "验  算", nothing for Command::None) and reports the fault
// that stopped it; the window stays as the command left it.
void runCommand(WindowStore& store, WindowSide& side, Command command, const StoreTrap& trap = {});

// The handler of a menu entry: shows the check dialog for 稳定验算…; otherwise asks for its
// file (打印… for a printer; 保存 only for a case without a file), runs it on the store, and
// reports the fault that stopped the calculation (the sheet holds the steps up to there),
// then any error, or else notifies what was written. A case opened or saved makes its file
// the document's. 新建 and 打开… first ask about unsaved changes (window/unsaved_changes.h:
// 保存 runs 保存 and goes on only when it wrote the file, 不保存 goes on, 取消 does
// nothing); 新建 then puts the default case in the boxes, and the case has no file.
void runEntry(WindowStore& store, WindowSide& side, const FileMenuEntry& entry,
              CaseDocument& document, const StoreTrap& trap = {});

// Opens the case file at `utf8Path` as 打开… does once the file is chosen, after asking
// about unsaved changes as 打开… does: for a file dropped on the window, or named on the
// command line (into a window just opened, which has nothing to ask). A file that is not
// a case is reported and leaves every box, and the document, as they were.
void openCaseAt(WindowStore& store, WindowSide& side, CaseDocument& document,
                const std::string& utf8Path, const StoreTrap& trap = {});

// The handler of closing the window: asks about unsaved changes as 新建 does, and returns
// whether the window may close. It stays open when anything escapes the question or the
// save (the message says so).
bool runClose(WindowStore& store, WindowSide& side, CaseDocument& document,
              const StoreTrap& trap = {});

}  // namespace tavorin
