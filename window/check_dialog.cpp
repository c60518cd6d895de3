#include "window/check_dialog.h"

#include <algorithm>
#include <vector>

namespace tavorin {
namespace {

using K = ControlKind;
using T = TextFrom;
using F = FontRole;
constexpr int no = kNoFocus;

// No two controls overlap: rows of boxes stand 390 apart, 15 more than a box is high.
constexpr ControlSpec kControls[] = {
    // Inputs in three columns, read down each column: labels 2880 wide, boxes 2940 to their
    // right; rows from Top 240 in steps of 390, a label 60 below its box's top.
    {"ckLabel1", K::Label, 240, 300, 2880, 255, T::BoxCaption, "Bjt", F::Default, no},
    {"Bjt", K::TextBox, 3180, 240, 1500, 375, T::BoxDefault, "", F::Default, 1},
    {"ckLabel2", K::Label, 240, 690, 2880, 255, T::BoxCaption, "Ljt", F::Default, no},
    {"Ljt", K::TextBox, 3180, 630, 1500, 375, T::BoxDefault, "", F::Default, 2},
    {"ckLabel3", K::Label, 240, 1080, 2880, 255, T::BoxCaption, "Hjt", F::Default, no},
    {"Hjt", K::TextBox, 3180, 1020, 1500, 375, T::BoxDefault, "", F::Default, 3},
    {"ckLabel4", K::Label, 240, 1470, 2880, 255, T::BoxCaption, "Gjt", F::Default, no},
    {"Gjt", K::TextBox, 3180, 1410, 1500, 375, T::BoxDefault, "", F::Default, 4},
    {"ckLabel5", K::Label, 240, 1860, 2880, 255, T::BoxCaption, "hpt", F::Default, no},
    {"hpt", K::TextBox, 3180, 1800, 1500, 375, T::BoxDefault, "", F::Default, 5},
    {"ckLabel6", K::Label, 6360, 300, 2880, 255, T::BoxCaption, "hgt", F::Default, no},
    {"hgt", K::TextBox, 9300, 240, 1500, 375, T::BoxDefault, "", F::Default, 6},
    {"ckLabel7", K::Label, 6360, 690, 2880, 255, T::BoxCaption, "hwt", F::Default, no},
    {"hwt", K::TextBox, 9300, 630, 1500, 375, T::BoxDefault, "", F::Default, 7},
    {"ckLabel8", K::Label, 6360, 1080, 2880, 255, T::BoxCaption, "Rjt", F::Default, no},
    {"Rjt", K::TextBox, 9300, 1020, 1500, 375, T::BoxDefault, "", F::Default, 8},
    {"ckLabel9", K::Label, 6360, 1470, 2880, 255, T::BoxCaption, "Kht", F::Default, no},
    {"Kht", K::TextBox, 9300, 1410, 1500, 375, T::BoxDefault, "", F::Default, 9},
    {"ckLabel10", K::Label, 12480, 300, 2880, 255, T::BoxCaption, "Kct", F::Default, no},
    {"Kct", K::TextBox, 15420, 240, 1500, 375, T::BoxDefault, "", F::Default, 10},
    {"ckLabel11", K::Label, 12480, 690, 2880, 255, T::BoxCaption, "Kcet", F::Default, no},
    {"Kcet", K::TextBox, 15420, 630, 1500, 375, T::BoxDefault, "", F::Default, 11},
    {"ckLabel12", K::Label, 12480, 1080, 2880, 255, T::BoxCaption, "Kot", F::Default, no},
    {"Kot", K::TextBox, 15420, 1020, 1500, 375, T::BoxDefault, "", F::Default, 12},
    {"ckLabel13", K::Label, 12480, 1470, 2880, 255, T::BoxCaption, "Koet", F::Default, no},
    {"Koet", K::TextBox, 15420, 1410, 1500, 375, T::BoxDefault, "", F::Default, 13},
    {"ckLabel14", K::Label, 12480, 1860, 2880, 255, T::BoxCaption, "Rket", F::Default, no},
    {"Rket", K::TextBox, 15420, 1800, 1500, 375, T::BoxDefault, "", F::Default, 14},

    {"Command2", K::Button, 7860, 2400, 1455, 495, T::Own, "验  算", F::Default, 15,
     Command::Check},

    // Results table: the cases 1, 2, 1e, 2e as columns 3600 wide from 2160 in steps of 3720,
    // their headers at 3120; the quantities as rows from 3480, each with its caption at 240.
    // A column holds the widest number (15 digits, sign and a three-digit exponent) and the
    // longest verdict whole. Tab walks the rows, each from left to right.
    {"ckLabel15", K::Label, 240, 3120, 1800, 255, T::Own, "工况", F::Default, no},
    {"ckLabel24", K::Label, 2160, 3120, 3600, 255, T::Own, "温度升高", F::Default, no},
    {"ckLabel25", K::Label, 5880, 3120, 3600, 255, T::Own, "温度降低", F::Default, no},
    {"ckLabel26", K::Label, 9600, 3120, 3600, 255, T::Own, "温度升高 地震", F::Default, no},
    {"ckLabel27", K::Label, 13320, 3120, 3600, 255, T::Own, "温度降低 地震", F::Default, no},
    {"ckLabel16", K::Label, 240, 3540, 1800, 255, T::Own, "垂直力N(t)", F::Default, no},
    {"Nj1", K::TextBox, 2160, 3480, 3600, 375, T::BoxDefault, "", F::Output, 16},
    {"Nj2", K::TextBox, 5880, 3480, 3600, 375, T::BoxDefault, "", F::Output, 17},
    {"Nj1e", K::TextBox, 9600, 3480, 3600, 375, T::BoxDefault, "", F::Output, 18},
    {"Nj2e", K::TextBox, 13320, 3480, 3600, 375, T::BoxDefault, "", F::Output, 19},
    {"ckLabel17", K::Label, 240, 3930, 1800, 255, T::Own, "水平力H(t)", F::Default, no},
    {"Hj1", K::TextBox, 2160, 3870, 3600, 375, T::BoxDefault, "", F::Output, 20},
    {"Hj2", K::TextBox, 5880, 3870, 3600, 375, T::BoxDefault, "", F::Output, 21},
    {"Hj1e", K::TextBox, 9600, 3870, 3600, 375, T::BoxDefault, "", F::Output, 22},
    {"Hj2e", K::TextBox, 13320, 3870, 3600, 375, T::BoxDefault, "", F::Output, 23},
    {"ckLabel18", K::Label, 240, 4320, 1800, 255, T::Own, "抗滑 Kc", F::Default, no},
    {"Kc1", K::TextBox, 2160, 4260, 3600, 375, T::BoxDefault, "", F::Output, 24},
    {"Kc2", K::TextBox, 5880, 4260, 3600, 375, T::BoxDefault, "", F::Output, 25},
    {"Kc1e", K::TextBox, 9600, 4260, 3600, 375, T::BoxDefault, "", F::Output, 26},
    {"Kc2e", K::TextBox, 13320, 4260, 3600, 375, T::BoxDefault, "", F::Output, 27},
    {"ckLabel19", K::Label, 240, 4710, 1800, 255, T::Own, "抗倾覆 K0", F::Default, no},
    {"Ko1", K::TextBox, 2160, 4650, 3600, 375, T::BoxDefault, "", F::Output, 28},
    {"Ko2", K::TextBox, 5880, 4650, 3600, 375, T::BoxDefault, "", F::Output, 29},
    {"Ko1e", K::TextBox, 9600, 4650, 3600, 375, T::BoxDefault, "", F::Output, 30},
    {"Ko2e", K::TextBox, 13320, 4650, 3600, 375, T::BoxDefault, "", F::Output, 31},
    {"ckLabel20", K::Label, 240, 5100, 1800, 255, T::Own, "偏心距e(米)", F::Default, no},
    {"ej1", K::TextBox, 2160, 5040, 3600, 375, T::BoxDefault, "", F::Output, 32},
    {"ej2", K::TextBox, 5880, 5040, 3600, 375, T::BoxDefault, "", F::Output, 33},
    {"ej1e", K::TextBox, 9600, 5040, 3600, 375, T::BoxDefault, "", F::Output, 34},
    {"ej2e", K::TextBox, 13320, 5040, 3600, 375, T::BoxDefault, "", F::Output, 35},
    {"ckLabel21", K::Label, 240, 5490, 1800, 255, T::Own, "σmax(t/m²)", F::Default, no},
    {"smax1", K::TextBox, 2160, 5430, 3600, 375, T::BoxDefault, "", F::Output, 36},
    {"smax2", K::TextBox, 5880, 5430, 3600, 375, T::BoxDefault, "", F::Output, 37},
    {"smax1e", K::TextBox, 9600, 5430, 3600, 375, T::BoxDefault, "", F::Output, 38},
    {"smax2e", K::TextBox, 13320, 5430, 3600, 375, T::BoxDefault, "", F::Output, 39},
    {"ckLabel22", K::Label, 240, 5880, 1800, 255, T::Own, "σmin(t/m²)", F::Default, no},
    {"smin1", K::TextBox, 2160, 5820, 3600, 375, T::BoxDefault, "", F::Output, 40},
    {"smin2", K::TextBox, 5880, 5820, 3600, 375, T::BoxDefault, "", F::Output, 41},
    {"smin1e", K::TextBox, 9600, 5820, 3600, 375, T::BoxDefault, "", F::Output, 42},
    {"smin2e", K::TextBox, 13320, 5820, 3600, 375, T::BoxDefault, "", F::Output, 43},
    {"ckLabel23", K::Label, 240, 6270, 1800, 255, T::Own, "结论", F::Default, no},
    {"jg1", K::TextBox, 2160, 6210, 3600, 375, T::BoxDefault, "", F::Default, 44},
    {"jg2", K::TextBox, 5880, 6210, 3600, 375, T::BoxDefault, "", F::Default, 45},
    {"jg1e", K::TextBox, 9600, 6210, 3600, 375, T::BoxDefault, "", F::Default, 46},
    {"jg2e", K::TextBox, 13320, 6210, 3600, 375, T::BoxDefault, "", F::Default, 47},

    // The weight used, the verdict of all rows and the smallest base, at 6810, in the
    // table's columns.
    {"ckLabel28", K::Label, 240, 6870, 1800, 255, T::BoxCaption, "Gj", F::Default, no},
    {"Gj", K::TextBox, 2160, 6810, 3600, 375, T::BoxDefault, "", F::Output, 48},
    {"ckLabel29", K::Label, 5880, 6870, 1200, 255, T::BoxCaption, "jg", F::Default, no},
    {"jg", K::TextBox, 7140, 6810, 2340, 375, T::BoxDefault, "", F::Default, 49},
    {"ckLabel30", K::Label, 9600, 6870, 3600, 255, T::BoxCaption, "Bmin", F::Default, no},
    {"Bmin", K::TextBox, 13320, 6810, 3600, 375, T::BoxDefault, "", F::Output, 50},
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
