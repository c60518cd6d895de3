// Unsaved changes, asked about as desktop programs ask before a window drops its document:
// when the window closes, or a new or another document takes its place. The question names
// the document and offers three answers:
//   是否保存对“3号镇墩.tavorin”的更改？   [保存] [不保存] [取消]
// Nothing here knows what the document is: Form1's case (window/command.h) is one kind, and
// a window of another kind supplies its own UnsavedDocument. The toolkits only show the
// question (SaveAsker).
#pragma once

#include <string>
#include <string_view>

namespace tavorin {

enum class SaveAnswer {
    Save,     // 保存: the document is saved, and the window goes on only when that succeeded
    Discard,  // 不保存: the window goes on; the changes are lost
    Cancel,   // 取消, also Esc and closing the question: everything stays as it was
};

// The buttons of the question, in the order given to the toolkit.
struct SaveButton {
    std::string_view caption;
    SaveAnswer answer;
};
inline constexpr SaveButton kSaveButtons[] = {
    {"保存", SaveAnswer::Save},
    {"不保存", SaveAnswer::Discard},
    {"取消", SaveAnswer::Cancel},
};

// The question about the document called `name`: "是否保存对“NAME”的更改？".
std::string saveQuestion(std::string_view name);

// A window's toolkit shows the question: a box titled as the window's messages, with the
// buttons of kSaveButtons, 保存 the default; Esc and closing the box answer 取消, and so
// does a box that could not be shown (after saying so).
class SaveAsker {
  public:
    virtual SaveAnswer askToSave(std::string_view question) = 0;

  protected:
    ~SaveAsker() = default;
};

// A document as the question sees it.
class UnsavedDocument {
  public:
    // Whether it differs from what it was when it was opened, last saved or made new.
    virtual bool changed() = 0;
    // What the question calls it: the name of its file, or the name a save would offer.
    virtual std::string name() = 0;
    // Saves it as the window's 保存 does (asking for a file when it has none); true only
    // when it was written.
    virtual bool save() = 0;

  protected:
    ~UnsavedDocument() = default;
};

// Whether the window may drop the document and go on: at once when it is unchanged, and
// nothing is asked; otherwise when the answer is 不保存, or 保存 and the save succeeded.
bool mayDrop(UnsavedDocument& document, SaveAsker& asker);

}  // namespace tavorin
