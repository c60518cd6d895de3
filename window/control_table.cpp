#include "window/control_table.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "engine/fields.h"
#include "engine/penstock.h"
#include "window/penstock_window.h"

namespace tavorin {
namespace {

using K = ControlKind;
using T = TextFrom;
using F = FontRole;
constexpr int no = kNoFocus;

// Input rows stand 360 twips apart from Top 600; a label sits 120 below its box's top.
// Output grids: header row at 5760, rows from 6120 in steps of 360; the sizing grid's
// header at 8400 and its rows at 8760 and 9120.
constexpr ControlSpec kControls[] = {
    {"Label24", K::Label, 2880, 120, 4575, 360, T::Own, "######Tavorin######", F::Title, no},

    // Input area, left column: labels at 240, boxes at 2160.
    {"Label1", K::Label, 240, 720, 1215, 255, T::BoxCaption, "Text1", F::Default, no},
    {"Text1", K::TextBox, 2160, 600, 1095, 375, T::BoxDefault, "", F::Default, 2},
    {"Label2", K::Label, 240, 1080, 1935, 255, T::BoxCaption, "kj", F::Default, no},
    {"kj", K::ChoiceList, 2160, 960, 1095, 300, T::BoxDefault, "", F::Default, 102},
    {"Label3", K::Label, 240, 1440, 1815, 255, T::BoxCaption, "HSt", F::Default, no},
    {"HSt", K::TextBox, 2160, 1320, 1095, 375, T::BoxDefault, "", F::Default, 8},
    {"Label4", K::Label, 240, 1800, 1815, 255, T::BoxCaption, "DDt", F::Default, no},
    {"DDt", K::TextBox, 2160, 1680, 1095, 375, T::BoxDefault, "", F::Default, 9},
    {"Label5", K::Label, 240, 2160, 1935, 255, T::BoxCaption, "L1t", F::Default, no},
    {"L1t", K::TextBox, 2160, 2040, 1095, 375, T::BoxDefault, "", F::Default, 10},
    {"Label6", K::Label, 240, 2520, 1695, 255, T::BoxCaption, "L2t", F::Default, no},
    {"L2t", K::TextBox, 2160, 2400, 1095, 375, T::BoxDefault, "", F::Default, 11},
    {"Label7", K::Label, 240, 2880, 1815, 255, T::BoxCaption, "Dt", F::Default, no},
    {"Dt", K::TextBox, 2160, 2760, 1095, 375, T::BoxDefault, "", F::Default, 12},
    {"Label15", K::Label, 240, 3240, 1575, 255, T::BoxCaption, "DA1t", F::Default, no},
    {"DA1t", K::TextBox, 2160, 3120, 1095, 375, T::BoxDefault, "", F::Default, 18},
    {"Label17", K::Label, 240, 3600, 1695, 255, T::BoxCaption, "Vt", F::Default, no},
    {"Vt", K::TextBox, 2160, 3480, 1095, 375, T::BoxDefault, "", F::Default, 19},
    {"Label19", K::Label, 240, 3960, 1935, 255, T::BoxCaption, "b1t", F::Default, no},
    {"b1t", K::TextBox, 2160, 3840, 1095, 375, T::BoxDefault, "", F::Default, 20},
    {"Label21", K::Label, 240, 4320, 1815, 255, T::BoxCaption, "ft", F::Default, no},
    {"ft", K::TextBox, 2160, 4200, 1095, 375, T::BoxDefault, "", F::Default, 21},
    {"Label22", K::Label, 240, 4680, 1935, 255, T::BoxCaption, "fgt", F::Default, no},
    {"fgt", K::TextBox, 2160, 4560, 1095, 375, T::BoxDefault, "", F::Default, 22},

    // Input area, right column: labels at 3960, boxes at 6480.
    {"Label8", K::Label, 3960, 720, 1815, 255, T::BoxCaption, "DSt", F::Default, no},
    {"DSt", K::TextBox, 6480, 600, 1095, 375, T::BoxDefault, "", F::Default, 32},
    {"Label9", K::Label, 3960, 1080, 2415, 255, T::BoxCaption, "H1t", F::Default, no},
    {"H1t", K::TextBox, 6480, 960, 1095, 375, T::BoxDefault, "", F::Default, 29},
    {"Label10", K::Label, 3960, 1440, 2415, 255, T::BoxCaption, "H2t", F::Default, no},
    {"H2t", K::TextBox, 6480, 1320, 1095, 375, T::BoxDefault, "", F::Default, 31},
    {"Label11", K::Label, 3960, 1800, 2415, 255, T::BoxCaption, "D1t", F::Default, no},
    {"D1t", K::TextBox, 6480, 1680, 1095, 375, T::BoxDefault, "", F::Default, 28},
    {"Label12", K::Label, 3960, 2160, 1815, 255, T::BoxCaption, "D2t", F::Default, no},
    {"D2t", K::TextBox, 6480, 2040, 1095, 375, T::BoxDefault, "", F::Default, 30},
    {"Label13", K::Label, 3960, 2520, 2535, 255, T::BoxCaption, "k", F::Default, no},
    {"k", K::ChoiceList, 6480, 2400, 1095, 300, T::BoxDefault, "", F::Default, 101},
    {"Label14", K::Label, 3960, 2880, 2415, 255, T::BoxCaption, "kkt", F::Default, no},
    {"kkt", K::TextBox, 6480, 2760, 1095, 375, T::BoxDefault, "", F::Default, 44},
    {"Label16", K::Label, 3960, 3240, 2175, 255, T::BoxCaption, "DA2t", F::Default, no},
    {"DA2t", K::TextBox, 6480, 3120, 1095, 375, T::BoxDefault, "", F::Default, 26},
    {"Label18", K::Label, 3960, 3600, 2175, 255, T::BoxCaption, "DHt", F::Default, no},
    {"DHt", K::TextBox, 6480, 3480, 1095, 375, T::BoxDefault, "", F::Default, 25},
    {"Label20", K::Label, 3960, 3960, 1815, 255, T::BoxCaption, "b2t", F::Default, no},
    {"b2t", K::TextBox, 6480, 3840, 1095, 375, T::BoxDefault, "", F::Default, 24},
    {"Label54", K::Label, 3960, 4320, 1815, 255, T::BoxCaption, "spjText", F::Default, no},
    {"spjText", K::TextBox, 6480, 4200, 1095, 375, T::BoxDefault, "", F::Default, 107},
    {"Label23", K::Label, 3960, 4680, 2175, 255, T::BoxCaption, "fjt", F::Default, no},
    {"fjt", K::TextBox, 6480, 4560, 1095, 375, T::BoxDefault, "", F::Default, 27},

    {"Command1", K::Button, 4200, 5160, 1455, 495, T::Own, "计  算", F::Default, 23,
     Command::Calculate},

    // Component grid, a1 … a6: captions at 480, upper side at 2400, lower side at 3600.
    {"Label26", K::Label, 480, 5760, 975, 255, T::Own, "作用力", F::Default, no},
    {"Label27", K::Label, 2400, 5760, 855, 255, T::Own, "镇墩上侧", F::Default, no},
    {"Label28", K::Label, 3720, 5760, 1095, 255, T::Own, "镇墩下侧", F::Default, no},
    {"Label39", K::Label, 480, 6120, 1815, 255, T::Own, "管自重        a1", F::Default, no},
    {"a11text", K::TextBox, 2400, 6120, 975, 375, T::BoxDefault, "", F::Output, 59},
    {"a21text", K::TextBox, 3600, 6120, 1095, 375, T::BoxDefault, "", F::Output, 100},
    {"Label38", K::Label, 480, 6480, 1575, 255, T::Own, "堵头或阀门    a2", F::Default, no},
    {"a12text", K::TextBox, 2400, 6480, 975, 375, T::BoxDefault, "", F::Output, 58},
    {"a22text", K::TextBox, 3600, 6480, 1095, 375, T::BoxDefault, "", F::Output, 51},
    {"Label37", K::Label, 480, 6840, 1695, 255, T::Own, "弯管处        a3", F::Default, no},
    {"a13text", K::TextBox, 2400, 6840, 975, 375, T::BoxDefault, "", F::Output, 57},
    {"a23text", K::TextBox, 3600, 6840, 1095, 375, T::BoxDefault, "", F::Output, 52},
    {"Label36", K::Label, 480, 7200, 1935, 255, T::Own, "渐变管内水压力a4", F::Default, no},
    {"a14text", K::TextBox, 2400, 7200, 975, 375, T::BoxDefault, "", F::Output, 56},
    {"a24text", K::TextBox, 3600, 7200, 1095, 375, T::BoxDefault, "", F::Output, 53},
    {"Label35", K::Label, 480, 7560, 1815, 255, T::Own, "伸缩节内水压力a5", F::Default, no},
    {"a15text", K::TextBox, 2400, 7560, 975, 375, T::BoxDefault, "", F::Output, 55},
    {"a25text", K::TextBox, 3600, 7560, 1095, 375, T::BoxDefault, "", F::Output, 66},
    {"Label34", K::Label, 480, 7920, 1935, 255, T::Own, "水对管壁摩擦力a6", F::Default, no},
    {"a16text", K::TextBox, 2400, 7920, 975, 375, T::BoxDefault, "", F::Output, 54},
    {"a26text", K::TextBox, 3600, 7920, 1095, 375, T::BoxDefault, "", F::Output, 50},

    // Friction and sum grid, a7 … a9 and the sums: captions at 5400, upper side at 7320,
    // lower side at 8520.
    {"Label49", K::Label, 5400, 5760, 975, 255, T::Own, "作用力", F::Default, no},
    {"Label48", K::Label, 7320, 5760, 975, 255, T::Own, "镇墩上侧", F::Default, no},
    {"Label47", K::Label, 8640, 5760, 1575, 255, T::Own, "镇墩下侧", F::Default, no},
    {"Label31", K::Label, 5400, 6120, 1935, 255, T::Own, "伸缩节摩擦力  a7", F::Default, no},
    {"a17text", K::TextBox, 7320, 6120, 975, 375, T::BoxDefault, "", F::Output, 71},
    {"a27text", K::TextBox, 8520, 6120, 1095, 375, T::BoxDefault, "", F::Output, 68},
    {"Label30", K::Label, 5400, 6480, 1815, 255, T::Own, "支墩摩擦力    a8", F::Default, no},
    {"a18text", K::TextBox, 7320, 6480, 975, 375, T::BoxDefault, "", F::Output, 70},
    {"a28text", K::TextBox, 8520, 6480, 1095, 375, T::BoxDefault, "", F::Output, 75},
    {"Label29", K::Label, 5400, 6840, 1935, 255, T::Own, "弯管处离心力  a9", F::Default, no},
    {"a19text", K::TextBox, 7320, 6840, 975, 375, T::BoxDefault, "", F::Output, 69},
    {"a29text", K::TextBox, 8520, 6840, 1095, 375, T::BoxDefault, "", F::Output, 67},
    {"Label32", K::Label, 5400, 7200, 2055, 255, T::Own, "温度升高时合计∑a ", F::Default, no},
    {"aa1text", K::TextBox, 7320, 7200, 975, 375, T::BoxDefault, "", F::Output, 77},
    {"aa3text", K::TextBox, 8520, 7200, 1095, 375, T::BoxDefault, "", F::Output, 78},
    {"Label33", K::Label, 5400, 7560, 1935, 255, T::Own, "温度降低时合计∑a", F::Default, no},
    {"aa2text", K::TextBox, 7320, 7560, 975, 375, T::BoxDefault, "", F::Output, 79},
    {"aa4text", K::TextBox, 8520, 7560, 1095, 375, T::BoxDefault, "", F::Output, 80},

    // Sizing grid, one row per temperature case; boxes 270 high.
    {"Label40", K::Label, 2040, 8400, 855, 255, T::Own, "组合方案", F::Default, no},
    {"Label41", K::Label, 3000, 8400, 1215, 255, T::Own, "水平作用力(t)", F::Default, no},
    {"Label42", K::Label, 4320, 8400, 1335, 255, T::Own, "垂直作用力(t)", F::Default, no},
    {"Label43", K::Label, 5640, 8400, 1095, 255, T::Own, "镇墩重量(t)", F::Default, no},
    {"Label44", K::Label, 6840, 8400, 1215, 255, T::Own, "镇墩体积(m3)", F::Default, no},
    {"Label45", K::Label, 2040, 8760, 975, 255, T::Own, "温度升高", F::Default, no},
    {"x1", K::TextBox, 3000, 8760, 1095, 270, T::BoxDefault, "", F::Output, 89},
    {"y1", K::TextBox, 4320, 8760, 1095, 270, T::BoxDefault, "", F::Output, 90},
    {"w1", K::TextBox, 5640, 8760, 1095, 270, T::BoxDefault, "", F::Output, 91},
    {"v1", K::TextBox, 6960, 8760, 975, 270, T::BoxDefault, "", F::Output, 92},
    {"Label46", K::Label, 2040, 9120, 1095, 255, T::Own, "温度降低", F::Default, no},
    {"x2", K::TextBox, 3000, 9120, 1095, 270, T::BoxDefault, "", F::Output, 93},
    {"y2", K::TextBox, 4320, 9120, 1095, 270, T::BoxDefault, "", F::Output, 94},
    {"w2", K::TextBox, 5640, 9120, 1095, 270, T::BoxDefault, "", F::Output, 95},
    {"v2", K::TextBox, 6960, 9120, 975, 270, T::BoxDefault, "", F::Output, 96},

    // Result caption, set by the calculate command; version lines, set by the version
    // command.
    {"Label25", K::Label, 480, 8640, 1335, 255, T::BoxDefault, "", F::Title, no},
    {"Label50", K::Label, 8040, 600, 3495, 255, T::Own, "", F::Default, no},
    {"Label51", K::Label, 8040, 960, 3495, 255, T::Own, "", F::Default, no},
    {"Label52", K::Label, 8040, 1320, 3495, 255, T::Own, "", F::Default, no},
    {"Label53", K::Label, 8040, 1680, 3495, 255, T::Own, "", F::Default, no},

    // Menu bar, in this order.
    {"file", K::MenuEntry, 0, 0, 0, 0, T::Own, "文件", F::Default, no},
    {"check", K::MenuEntry, 0, 0, 0, 0, T::Own, "验算", F::Default, no},
    {"penstock", K::MenuEntry, 0, 0, 0, 0, T::Own, "管线", F::Default, no},
    {"bb", K::MenuEntry, 0, 0, 0, 0, T::Own, "版本", F::Default, no, Command::Version},
};

}  // namespace

std::span<const ControlSpec> controlTable() { return kControls; }

std::vector<std::size_t> focusOrderOf(std::span<const ControlSpec> table) {
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (table[row].tabIndex != kNoFocus) rows.push_back(row);
    }
    std::stable_sort(rows.begin(), rows.end(), [table](std::size_t a, std::size_t b) {
        return table[a].tabIndex < table[b].tabIndex;
    });
    return rows;
}

std::span<const std::size_t> focusOrder() {
    static const std::vector<std::size_t> order = focusOrderOf(kControls);
    return order;
}

const ControlSpec* findControlIn(std::span<const ControlSpec> table, std::string_view name) {
    const auto it = std::find_if(table.begin(), table.end(),
                                 [name](const ControlSpec& c) { return c.name == name; });
    return it == table.end() ? nullptr : &*it;
}

const ControlSpec* findControl(std::string_view name) { return findControlIn(kControls, name); }

std::string_view initialText(const ControlSpec& control) {
    switch (control.from) {
        case TextFrom::Own:
            return control.text;
        case TextFrom::BoxDefault:
            if (const FieldSpec* field = findAnyField(control.name)) return field->defaultText;
            return {};
        case TextFrom::BoxCaption:
            if (const FieldSpec* field = findAnyField(control.text)) return field->caption;
            return {};
    }
    return {};
}

bool showsTextAsTip(const ControlSpec& control) {
    if (control.kind != ControlKind::TextBox) return false;
    const FieldSpec* field = findAnyField(control.name);
    return field != nullptr && field->role == FieldRole::Output;
}

std::string_view accessibleName(const ControlSpec& control) {
    if (control.kind == ControlKind::TextBox || control.kind == ControlKind::ChoiceList) {
        // The penstock window's boxes are named by the line's keys, some of them as Form1's.
        const auto penstock = penstockWindowTable();
        const std::less<const ControlSpec*> before;
        if (!before(&control, penstock.data()) &&
            before(&control, penstock.data() + penstock.size())) {
            if (const auto key = lineKeyIndex(control.name)) return kLineCaptions[*key];
            return {};
        }
        if (const FieldSpec* field = findAnyField(control.name)) return field->caption;
        return {};
    }
    return initialText(control);
}

std::array<std::string_view, 2> choiceItems(std::string_view name) {
    if (const FieldSpec* field = findAnyField(name)) return field->items;
    if (name == "sjk") return {kLinearHammer, kUniformHammer};
    return {};
}

}  // namespace tavorin
