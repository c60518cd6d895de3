// The field store: the window's boxes, choice lists and result caption, each holding one
// text and addressed by its control name. The calculate command works only through it,
// so it runs unchanged on the window's widgets and on an in-memory store.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavorin {

enum class FieldRole {
    Input,    // an input text box (read by the calculation, except Text1)
    Choice,   // a choice list: an editable text with two fixed items
    Output,   // an output text box, empty at start, written by the calculation
    Caption,  // a label whose caption the calculation sets (Label25)
};

struct FieldSpec {
    std::string_view name;
    FieldRole role;
    std::string_view defaultText;  // the text when the window opens
    std::string_view caption;      // what the user reads beside it (for an output box: the
                                   // row caption and the column header)
    std::array<std::string_view, 2> items = {};  // a choice list's items, in list order
};

// Every box, choice list and the result caption, in this order: the name box, the two
// choice lists, the 21 numeric inputs in the order they are read, the 30 output boxes,
// Label25.
std::span<const FieldSpec> fieldTable();

// The row of `name`, or nullptr.
const FieldSpec* findField(std::string_view name);

// The items that select the support-pier rules and the reducer side.
inline constexpr std::string_view kAnchorBlock = "镇墩";
inline constexpr std::string_view kSupportPier = "支墩";
inline constexpr std::string_view kUpperSide = "上侧";
inline constexpr std::string_view kLowerSide = "下侧";
inline constexpr std::string_view kResultCaption = "计算结果:";

// What a command needs of the window. Each operation reports whether it succeeded; a
// failure stops the calling command.
class FieldStore {
  public:
    virtual ~FieldStore() = default;
    // Reads the whole text of a box or choice list into `text`.
    virtual bool readText(std::string_view name, std::string& text) = 0;
    // Replaces the whole text of a box or choice list.
    virtual bool replaceText(std::string_view name, std::string_view text) = 0;
    // Replaces the whole caption of a label.
    virtual bool setCaption(std::string_view name, std::string_view caption) = 0;
};

// A field store in memory, in the window's start state: every input box and choice list
// at its default text, every output box and Label25 empty. Names outside the table fail.
class MemoryStore final : public FieldStore {
  public:
    MemoryStore();

    bool readText(std::string_view name, std::string& text) override;
    bool replaceText(std::string_view name, std::string_view text) override;
    bool setCaption(std::string_view name, std::string_view caption) override;

    // The text or caption of any control of the table; empty for an unknown name.
    const std::string& text(std::string_view name) const;

  private:
    std::vector<std::string> m_texts;  // by table row
};

}  // namespace tavorin
