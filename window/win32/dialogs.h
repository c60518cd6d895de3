// The dialogs of the program's windows (Form1 and the penstock window), over the window that
// asks: the warning box, the file dialogs, the question about unsaved changes and the browser
// that prints. A test replaces the warning box, the question and the browser by functions
// that record what they were shown and answer; left empty, each is the system's.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "window/file_menu.h"
#include "window/unsaved_changes.h"
#include "window/win32/browser_print.h"

namespace tavorin::win32 {

struct Dialogs {
    std::function<void(const std::string& message)> reporter;
    std::function<SaveAnswer(const std::string& question)> askToSave;
    Browser browser;  // empty: openInBrowser()

    // A warning box titled as the window's messages.
    void report(HWND owner, std::string_view message) const;
    // The file dialog of `entry` offering `offer`; UTF-8, empty when cancelled. A dialog the
    // system cannot show is reported.
    std::string path(HWND owner, const FileMenuEntry& entry, const std::string& offer) const;
    // The question with 保存, 不保存 and 取消 (window/win32/save_question.h); a task dialog the
    // system cannot show is reported and answers 取消.
    SaveAnswer ask(HWND owner, std::string_view question) const;
    // 打印…: the sheet written for the browser and handed to it. False, with the error
    // reported, when it could not be; else the window tells kPrintedNotice.
    bool print(HWND owner, std::string_view html) const;
};

}  // namespace tavorin::win32
