// The dialogs of the program's windows (Form1 and the penstock window): the warning box, the
// file dialogs and the question about unsaved changes. A test replaces each by a function
// that records what it was shown and answers; otherwise each is Qt's, over the window asking.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "window/file_menu.h"
#include "window/unsaved_changes.h"

class QWidget;

namespace tavorin {

struct Dialogs {
    // Shows the message of a fault that stopped a command.
    using FaultReporter = std::function<void(const QString& message)>;
    // Asks for the file of a command of "文件"; an empty path cancels it.
    using PathChooser = std::function<QString(const FileMenuEntry& entry, const QString& offer)>;
    // Asks the question about unsaved changes.
    using SaveQuestion = std::function<SaveAnswer(const QString& question)>;

    FaultReporter reportFault;
    PathChooser choosePath;
    SaveQuestion askToSave;

    // A warning box titled as the window's messages, over `parent`.
    void report(QWidget* parent, std::string_view message) const;
    // An open dialog for 打开… and 打开管线… (opensFile()), else a save dialog offering
    // `offer`, whose chosen name gets the entry's suffix when it has none. UTF-8; empty when
    // cancelled.
    std::string path(QWidget* parent, const FileMenuEntry& entry, const std::string& offer) const;
    // The question with 保存, 不保存 and 取消 (window/qt/save_question.h).
    SaveAnswer ask(QWidget* parent, std::string_view question) const;
};

}  // namespace tavorin
