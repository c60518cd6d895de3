#include "window/unsaved_changes.h"

namespace tavorin {

std::string saveQuestion(std::string_view name) {
    return "是否保存对“" + std::string(name) + "”的更改？";
}

bool mayDrop(UnsavedDocument& document, SaveAsker& asker) {
    if (!document.changed()) return true;
    switch (asker.askToSave(saveQuestion(document.name()))) {
        case SaveAnswer::Save:
            return document.save();
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

}  // namespace tavorin
