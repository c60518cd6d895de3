// The question about unsaved changes (window/unsaved_changes.h) as a Qt message box, for
// any window of the program.
#pragma once

#include <QString>

#include "window/unsaved_changes.h"

class QWidget;

namespace tavorin {

// Asks `question` in a modal warning box over `parent`, titled as the window's messages,
// with the buttons 保存 (the default), 不保存 and 取消; Esc and closing the box answer
// 取消. Each button's objectName is "save", "discard" or "cancel".
SaveAnswer askToSave(QWidget* parent, const QString& question);

}  // namespace tavorin
