#include "window/check_dialog.h"

#include <algorithm>
#include <vector>

namespace tavorin {
namespace {

using K = ControlKind;
using T = TextFrom;
using F = FontRole;
constexpr int no = kNoFocus;

constexpr ControlSpec kControls[] = {
    // Inputs in three columns, read down each column: labels 2640 wide, boxes 2700 to their
    // right; rows from Top 240 in steps of 360, a label 60 below its box's top.
    {"ckLabel1", K::Label, 240, 300, 2640, 255, T::BoxCaption, "Bjt", F::Default, no},
    {"Bjt", K::TextBox, 2940, 240, 1215, 375, T::BoxDefault, "", F::Default, 1},
    {"ckLabel2", K::Label, 240, 660, 2640, 255, T::BoxCaption, "Ljt", F::Default, no},
    {"Ljt", K::TextBox, 2940, 600, 1215, 375, T::BoxDefault, "", F::Default, 2},
    {"ckLabel3", K::Label, 240, 1020, 2640, 255, T::BoxCaption, "Hjt", F::Default, no},
    {"Hjt", K::TextBox, 2940, 960, 1215, 375, T::BoxDefault, "", F::Default, 3},
    {"ckLabel4", K::Label, 240, 1380, 2640, 255, T::BoxCaption, "Gjt", F::Default, no},
    {"Gjt", K::TextBox, 2940, 1320, 1215, 375, T::BoxDefault, "", F::Default, 4},
    {"ckLabel5", K::Label, 240, 1740, 2640, 255, T::BoxCaption, "hpt", F::Default, no},
    {"hpt", K::TextBox, 2940, 1680, 1215, 375, T::BoxDefault, "", F::Default, 5},
    {"ckLabel6", K::Label, 4440, 300, 2640, 255, T::BoxCaption, "hgt", F::Default, no},
    {"hgt", K::TextBox, 7140, 240, 1215, 375, T::BoxDefault, "", F::Default, 6},
    {"ckLabel7", K::Label, 4440, 660, 2640, 255, T::BoxCaption, "hwt", F::Default, no},
    {"hwt", K::TextBox, 7140, 600, 1215, 375, T::BoxDefault, "", F::Default, 7},
    {"ckLabel8", K::Label, 4440, 1020, 2640, 255, T::BoxCaption, "Rjt", F::Default, no},
    {"Rjt", K::TextBox, 7140, 960, 1215, 375, T::BoxDefault, "", F::Default, 8},
    {"ckLabel9", K::Label, 4440, 1380, 2640, 255, T::BoxCaption, "Kht", F::Default, no},
    {"Kht", K::TextBox, 7140, 1320, 1215, 375, T::BoxDefault, "", F::Default, 9},
    {"ckLabel10", K::Label, 8640, 300, 2640, 255, T::BoxCaption, "Kct", F::Default, no},
    {"Kct", K::TextBox, 11340, 240, 1215, 375, T::BoxDefault, "", F::Default, 10},
    {"ckLabel11", K::Label, 8640, 660, 2640, 255, T::BoxCaption, "Kcet", F::Default, no},
    {"Kcet", K::TextBox, 11340, 600, 1215, 375, T::BoxDefault, "", F::Default, 11},
    {"ckLabel12", K::Label, 8640, 1020, 2640, 255, T::BoxCaption, "Kot", F::Default, no},
    {"Kot", K::TextBox, 11340, 960, 1215, 375, T::BoxDefault, "", F::Default, 12},
    {"ckLabel13", K::Label, 8640, 1380, 2640, 255, T::BoxCaption, "Koet", F::Default, no},
    {"Koet", K::TextBox, 11340, 1320, 1215, 375, T::BoxDefault, "", F::Default, 13},
    {"ckLabel14", K::Label, 8640, 1740, 2640, 255, T::BoxCaption, "Rket", F::Default, no},
    {"Rket", K::TextBox, 11340, 1680, 1215, 375, T::BoxDefault, "", F::Default, 14},

    {"Command2", K::Button, 6090, 2160, 1455, 495, T::Own, "验  算", F::Default, 15,
     Command::Check},

    // Results table: header at 2880, the rows 1, 2, 1e, 2e from 3240 in steps of 360; the
    // seven numbers from 1560 in columns 1200 wide, the verdict from 9960.
    {"ckLabel15", K::Label, 240, 2880, 1200, 255, T::Own, "工况", F::Default, no},
    {"ckLabel16", K::Label, 1560, 2880, 1200, 255, T::Own, "垂直力N(t)", F::Default, no},
    {"ckLabel17", K::Label, 2760, 2880, 1200, 255, T::Own, "水平力H(t)", F::Default, no},
    {"ckLabel18", K::Label, 3960, 2880, 1200, 255, T::Own, "抗滑 Kc", F::Default, no},
    {"ckLabel19", K::Label, 5160, 2880, 1200, 255, T::Own, "抗倾覆 K0", F::Default, no},
    {"ckLabel20", K::Label, 6360, 2880, 1200, 255, T::Own, "偏心距e(米)", F::Default, no},
    {"ckLabel21", K::Label, 7560, 2880, 1200, 255, T::Own, "σmax(t/m²)", F::Default, no},
    {"ckLabel22", K::Label, 8760, 2880, 1200, 255, T::Own, "σmin(t/m²)", F::Default, no},
    {"ckLabel23", K::Label, 9960, 2880, 3420, 255, T::Own, "结论", F::Default, no},
    {"ckLabel24", K::Label, 240, 3300, 1275, 255, T::Own, "温度升高", F::Default, no},
    {"Nj1", K::TextBox, 1560, 3240, 1200, 375, T::BoxDefault, "", F::Output, 16},
    {"Hj1", K::TextBox, 2760, 3240, 1200, 375, T::BoxDefault, "", F::Output, 17},
    {"Kc1", K::TextBox, 3960, 3240, 1200, 375, T::BoxDefault, "", F::Output, 18},
    {"Ko1", K::TextBox, 5160, 3240, 1200, 375, T::BoxDefault, "", F::Output, 19},
    {"ej1", K::TextBox, 6360, 3240, 1200, 375, T::BoxDefault, "", F::Output, 20},
    {"smax1", K::TextBox, 7560, 3240, 1200, 375, T::BoxDefault, "", F::Output, 21},
    {"smin1", K::TextBox, 8760, 3240, 1200, 375, T::BoxDefault, "", F::Output, 22},
    {"jg1", K::TextBox, 9960, 3240, 3420, 375, T::BoxDefault, "", F::Default, 23},
    {"ckLabel25", K::Label, 240, 3660, 1275, 255, T::Own, "温度降低", F::Default, no},
    {"Nj2", K::TextBox, 1560, 3600, 1200, 375, T::BoxDefault, "", F::Output, 24},
    {"Hj2", K::TextBox, 2760, 3600, 1200, 375, T::BoxDefault, "", F::Output, 25},
    {"Kc2", K::TextBox, 3960, 3600, 1200, 375, T::BoxDefault, "", F::Output, 26},
    {"Ko2", K::TextBox, 5160, 3600, 1200, 375, T::BoxDefault, "", F::Output, 27},
    {"ej2", K::TextBox, 6360, 3600, 1200, 375, T::BoxDefault, "", F::Output, 28},
    {"smax2", K::TextBox, 7560, 3600, 1200, 375, T::BoxDefault, "", F::Output, 29},
    {"smin2", K::TextBox, 8760, 3600, 1200, 375, T::BoxDefault, "", F::Output, 30},
    {"jg2", K::TextBox, 9960, 3600, 3420, 375, T::BoxDefault, "", F::Default, 31},
    {"ckLabel26", K::Label, 240, 4020, 1275, 255, T::Own, "温度升高 地震", F::Default, no},
    {"Nj1e", K::TextBox, 1560, 3960, 1200, 375, T::BoxDefault, "", F::Output, 32},
    {"Hj1e", K::TextBox, 2760, 3960, 1200, 375, T::BoxDefault, "", F::Output, 33},
    {"Kc1e", K::TextBox, 3960, 3960, 1200, 375, T::BoxDefault, "", F::Output, 34},
    {"Ko1e", K::TextBox, 5160, 3960, 1200, 375, T::BoxDefault, "", F::Output, 35},
    {"ej1e", K::TextBox, 6360, 3960, 1200, 375, T::BoxDefault, "", F::Output, 36},
    {"smax1e", K::TextBox, 7560, 3960, 1200, 375, T::BoxDefault, "", F::Output, 37},
    {"smin1e", K::TextBox, 8760, 3960, 1200, 375, T::BoxDefault, "", F::Output, 38},
    {"jg1e", K::TextBox, 9960, 3960, 3420, 375, T::BoxDefault, "", F::Default, 39},
    {"ckLabel27", K::Label, 240, 4380, 1275, 255, T::Own, "温度降低 地震", F::Default, no},
    {"Nj2e", K::TextBox, 1560, 4320, 1200, 375, T::BoxDefault, "", F::Output, 40},
    {"Hj2e", K::TextBox, 2760, 4320, 1200, 375, T::BoxDefault, "", F::Output, 41},
    {"Kc2e", K::TextBox, 3960, 4320, 1200, 375, T::BoxDefault, "", F::Output, 42},
    {"Ko2e", K::TextBox, 5160, 4320, 1200, 375, T::BoxDefault, "", F::Output, 43},
    {"ej2e", K::TextBox, 6360, 4320, 1200, 375, T::BoxDefault, "", F::Output, 44},
    {"smax2e", K::TextBox, 7560, 4320, 1200, 375, T::BoxDefault, "", F::Output, 45},
    {"smin2e", K::TextBox, 8760, 4320, 1200, 375, T::BoxDefault, "", F::Output, 46},
    {"jg2e", K::TextBox, 9960, 4320, 3420, 375, T::BoxDefault, "", F::Default, 47},

    // The weight used, the verdict of all rows and the smallest base, at 4860.
    {"ckLabel28", K::Label, 240, 4920, 1800, 255, T::BoxCaption, "Gj", F::Default, no},
    {"Gj", K::TextBox, 2040, 4860, 1215, 375, T::BoxDefault, "", F::Output, 48},
    {"ckLabel29", K::Label, 3600, 4920, 1200, 255, T::BoxCaption, "jg", F::Default, no},
    {"jg", K::TextBox, 4800, 4860, 1215, 375, T::BoxDefault, "", F::Default, 49},
    {"ckLabel30", K::Label, 6360, 4920, 3240, 255, T::BoxCaption, "Bmin", F::Default, no},
    {"Bmin", K::TextBox, 9600, 4860, 1215, 375, T::BoxDefault, "", F::Output, 50},
};

constexpr std::string_view kVerdictBoxes[] = {"jg1", "jg2", "jg1e", "jg2e", "jg"};

}  // namespace

std::span<const ControlSpec> checkDialogTable() { return kControls; }

std::span<const std::size_t> checkFocusOrder() {
    static const std::vector<std::size_t> order = focusOrderOf(kControls);
    return order;
}

const ControlSpec* findCheckControl(std::string_view name) {
    return findControlIn(kControls, name);
}

bool isVerdictBox(std::string_view name) {
    return std::find(std::begin(kVerdictBoxes), std::end(kVerdictBoxes), name) !=
           std::end(kVerdictBoxes);
}

std::optional<Rgb> verdictColour(std::string_view text) {
    if (text == "满足") return kPassColour;
    if (text.starts_with("不满足")) return kFailColour;
    return std::nullopt;
}

}  // namespace tavorin
