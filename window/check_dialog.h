// The dialog of the stability check (稳定验算), opened from the menu "验算": its inputs with
// their units, the button "验  算" and the results as a table with the rows 1, 2, 1e, 2e as
// columns and the quantities N … 结论 as rows; each result box is wide enough for the longest
// text the check writes into it (a number of 15 digits with sign and exponent, a row's
// verdict naming all four checks). Like Form1 it is a control table (window/control_table.h),
// built by each window in one loop over its rows; its boxes are named as the engine's check
// boxes (engine/check.h) and live in the window's one field store, so that case files and the
// sheet see them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "window/control_table.h"

namespace tavorin {

// The dialog's name and title.
inline constexpr std::string_view kCheckDialogName = "CheckDialog";
inline constexpr std::string_view kCheckDialogTitle = "稳定验算";

// The dialog's client area: 17160 × 7425 twips, 1144 × 495 pixels at 96 dpi, so that the
// dialog with its frame fits a screen of 1280 × 800 (and twice that at 200 %).
inline constexpr int kCheckClientWidth = 17160;
inline constexpr int kCheckClientHeight = 7425;

// Every control of the dialog, in one table: the labels and boxes of the 14 inputs in the
// order the check reads them, the button, the case headers of the results table, each
// quantity's caption with its four boxes, and the boxes Gj, jg and Bmin with their labels.
std::span<const ControlSpec> checkDialogTable();

// The rows of the dialog's controls that take the focus, in the order Tab walks them.
std::span<const std::size_t> checkFocusOrder();

// The row of `name` in the dialog's table, or nullptr.
const ControlSpec* findCheckControl(std::string_view name);

// Whether the box shows a verdict: jg1, jg2, jg1e, jg2e and jg.
bool isVerdictBox(std::string_view name);

// The colour a verdict's text is drawn in, only as an aid to the words: green for "满足",
// red for a text that begins with "不满足"; none (the box's own colour) for anything else.
struct Rgb {
    std::uint8_t red, green, blue;
    friend constexpr bool operator==(Rgb, Rgb) = default;
};
inline constexpr Rgb kPassColour = {0, 120, 0};
inline constexpr Rgb kFailColour = {190, 0, 0};
std::optional<Rgb> verdictColour(std::string_view text);

}  // namespace tavorin
