// The control table of Form1: every control of the main window, one row each, and the
// conversion of its twips into Qt's device-independent pixels.
//
// The table is the whole description of the window: Form1 builds itself from it in one
// loop, and nothing else repeats a name, position, caption or tab index. The entries of the
// menus on the menu bar are rows of the menu table (window/file_menu.h), each naming the
// menu-bar row it opens under.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "window/fonts.h"

namespace tavorin {

enum class ControlKind {
    Label,       // static text, never takes the focus
    TextBox,     // an editable text; the output boxes are editable too
    ChoiceList,  // an editable combo box with two fixed items, unsorted
    Button,      // a push button, neither default nor cancel button
    MenuEntry,   // an entry of the menu bar; has no position
};

// Where a control's text comes from when the window opens.
enum class TextFrom {
    Own,         // `text` is the caption
    BoxDefault,  // the engine's default text for this control's name (boxes, lists, Label25,
                 // the check's boxes)
    BoxCaption,  // the engine's caption of the box named by `text` (the labels of inputs)
};

// What a click on the control runs.
// Check: the calculate command on Form1's boxes, then the stability check (engine/check.h).
// Penstock…: the buttons of the penstock window (window/penstock_window.h): 计  算, 添加行,
// 插入行, 删除行, 导出计算书…, 打印….
enum class Command {
    None,
    Calculate,
    Version,
    Check,
    PenstockCalculate,
    PenstockAddRow,
    PenstockInsertRow,
    PenstockDeleteRow,
    PenstockExport,
    PenstockPrint,
};

inline constexpr int kNoFocus = -1;

// The window's name and title.
inline constexpr std::string_view kFormName = "Form1";
// The title of the window's message boxes.
inline constexpr std::string_view kMessageTitle = "Tavorin";

struct ControlSpec {
    std::string_view name;  // the widget's objectName
    ControlKind kind;
    int left, top, width, height;  // twips from the top-left corner of the client area
    TextFrom from;
    std::string_view text;
    FontRole font;
    int tabIndex;  // kNoFocus for controls that never take the focus
    Command command = Command::None;
};

// The client area below the menu bar: 11700 × 9570 twips, 780 × 638 pixels at 96 dpi.
inline constexpr int kClientWidth = 11700;
inline constexpr int kClientHeight = 9570;

// 15 twips make one pixel at 96 dpi; Qt scales device-independent pixels on HiDPI
// screens. Rounds to the nearest pixel: 15 → 1, 22 → 1, 23 → 2, 11535 → 769.
inline constexpr int kTwipsPerPixel = 15;
constexpr int twipsToPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

// Pixels on a screen of `dpi` dots per inch (1440 twips an inch), to the nearest pixel:
// at 96 dpi the same as twipsToPixels(); at 144 dpi 11535 → 1154, at 120 dpi 375 → 31.
constexpr int twipsToPixels(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

// All 113 controls: 54 labels, 52 text boxes, 2 choice lists, the button, 4 menu entries.
std::span<const ControlSpec> controlTable();

// The rows of the controls that take the focus (tab index not kNoFocus), as indexes into
// controlTable(), in the order Tab walks them: by tab index. The first has the focus when
// the window opens.
std::span<const std::size_t> focusOrder();

// The same for any control table (Form1's, the check dialog's).
std::vector<std::size_t> focusOrderOf(std::span<const ControlSpec> table);

// The row of `name` in Form1's table, or nullptr.
const ControlSpec* findControl(std::string_view name);

// The row of `name` in any control table, or nullptr.
const ControlSpec* findControlIn(std::span<const ControlSpec> table, std::string_view name);

// The two items of a choice list, in list order: an engine box's (kj, k), or a window's own
// (the penstock window's sjk: "线性", "均匀"); empty ones for any other name.
std::array<std::string_view, 2> choiceItems(std::string_view name);

// The text the control shows when the window opens.
std::string_view initialText(const ControlSpec& control);

// Whether hovering over the control shows its whole current text as a tooltip, kept in step
// with every text a command writes and the user types, and none while the box is empty: the
// result boxes (a text box of an output field), whose longest texts Form1's boxes show only
// in part. Both windows add the tooltip to exactly these rows.
bool showsTextAsTip(const ControlSpec& control);

// What a screen reader announces: a box's or list's caption (an output box's is its row
// caption and column header; a box of the penstock window's its line key's caption), the
// button's caption, a label's own text.
std::string_view accessibleName(const ControlSpec& control);

}  // namespace tavorin
