// Invariants of the control table and the menu table, the description both windows are
// built from, and of the fonts.
#include "window/control_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/fields.h"
#include "window/check_dialog.h"
#include "window/file_menu.h"
#include "window/fonts.h"

namespace tavorin {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::vector<const ControlSpec*> controlsOf(ControlKind kind) {
    std::vector<const ControlSpec*> rows;
    for (const ControlSpec& c : controlTable()) {
        if (c.kind == kind) rows.push_back(&c);
    }
    return rows;
}

TEST(ControlTable, HoldsEveryControlOnceByKind) {
    EXPECT_EQ(controlTable().size(), 113u);
    EXPECT_EQ(controlsOf(ControlKind::Label).size(), 54u);
    EXPECT_EQ(controlsOf(ControlKind::TextBox).size(), 52u);
    EXPECT_EQ(controlsOf(ControlKind::ChoiceList).size(), 2u);
    EXPECT_EQ(controlsOf(ControlKind::Button).size(), 1u);
    EXPECT_EQ(controlsOf(ControlKind::MenuEntry).size(), 4u);

    std::set<std::string_view> names;
    for (const ControlSpec& c : controlTable()) {
        EXPECT_TRUE(names.insert(c.name).second) << "twice: " << c.name;
        EXPECT_EQ(findControl(c.name), &c);
    }
    for (int n = 1; n <= 54; ++n) EXPECT_TRUE(names.count("Label" + std::to_string(n))) << n;
    EXPECT_EQ(findControl("Label55"), nullptr);
}

TEST(ControlTable, EveryEngineBoxIsAControlOfItsKind) {
    // The engine's table and the window's agree on every box, list and Label25, so the
    // calculate command finds each name it reads or writes.
    for (const FieldSpec& field : fieldTable()) {
        SCOPED_TRACE(std::string(field.name));
        const ControlSpec* c = findControl(field.name);
        ASSERT_NE(c, nullptr);
        switch (field.role) {
            case FieldRole::Input:
            case FieldRole::Output:
                EXPECT_EQ(c->kind, ControlKind::TextBox);
                break;
            case FieldRole::Choice:
                EXPECT_EQ(c->kind, ControlKind::ChoiceList);
                break;
            case FieldRole::Caption:
                EXPECT_EQ(c->kind, ControlKind::Label);
                break;
        }
        EXPECT_EQ(c->font == FontRole::Output, field.role == FieldRole::Output);
        // Exactly the 30 result boxes show their whole text as a tip.
        EXPECT_EQ(showsTextAsTip(*c), field.role == FieldRole::Output);
    }
    for (const ControlSpec* c : controlsOf(ControlKind::TextBox)) {
        EXPECT_NE(findField(c->name), nullptr) << c->name;
    }
}

TEST(ControlTable, EveryControlLiesInsideTheClientArea) {
    int right = 0;
    int bottom = 0;
    for (const ControlSpec& c : controlTable()) {
        if (c.kind == ControlKind::MenuEntry) continue;
        SCOPED_TRACE(std::string(c.name));
        EXPECT_GE(c.left, 0);
        EXPECT_GE(c.top, 0);
        EXPECT_GT(c.width, 0);
        EXPECT_GT(c.height, 0);
        EXPECT_LE(c.left + c.width, kClientWidth);
        EXPECT_LE(c.top + c.height, kClientHeight);
        // Whole pixels at 96 dpi: no control is drawn a pixel off.
        for (int twips : {c.left, c.top, c.width, c.height}) EXPECT_EQ(twips % kTwipsPerPixel, 0);
        right = std::max(right, c.left + c.width);
        bottom = std::max(bottom, c.top + c.height);
    }
    EXPECT_EQ(right, 11535);
    EXPECT_EQ(bottom, 9390);
}

TEST(ControlTable, TwipsBecomePixelsAtFifteenAPixel) {
    const std::pair<int, int> rows[] = {{0, 0}, {7, 0}, {8, 1}, {22, 1}, {23, 2}, {11535, 769}};
    for (const auto& [twips, pixels] : rows) EXPECT_EQ(twipsToPixels(twips), pixels) << twips;
}

TEST(ControlTable, TwipsScaleWithTheScreensDpi) {
    const struct {
        int twips, dpi, pixels;
    } rows[] = {
        {11535, 96, 769}, {11535, 144, 1154}, {11535, 192, 1538}, {375, 120, 31},
        {255, 144, 26},   {10, 144, 1},       {9, 144, 1},        {4, 144, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(twipsToPixels(row.twips, row.dpi), row.pixels) << row.twips << " at " << row.dpi;
    }
    // At 96 dpi both conversions agree on every control.
    for (const ControlSpec& c : controlTable()) {
        for (int twips : {c.left, c.top, c.width, c.height}) {
            EXPECT_EQ(twipsToPixels(twips, 96), twipsToPixels(twips)) << c.name;
        }
    }
}

TEST(ControlTable, TabIndexesGiveTheFocusOrder) {
    const std::vector<std::string_view> expected = {
        "Text1",   "HSt",     "DDt",     "L1t",      "L2t",     "Dt",      "DA1t",    "Vt",
        "b1t",     "ft",      "fgt",     "Command1", "b2t",     "DHt",     "DA2t",    "fjt",
        "D1t",     "H1t",     "D2t",     "H2t",      "DSt",     "kkt",     "a26text", "a22text",
        "a23text", "a24text", "a16text", "a15text",  "a14text", "a13text", "a12text", "a11text",
        "a25text", "a29text", "a27text", "a19text",  "a18text", "a17text", "a28text", "aa1text",
        "aa3text", "aa2text", "aa4text", "x1",       "y1",      "w1",      "v1",      "x2",
        "y2",      "w2",      "v2",      "a21text",  "k",       "kj",      "spjText"};
    std::set<int> indexes;
    for (const ControlSpec& c : controlTable()) {
        const bool takesFocus = c.kind != ControlKind::Label && c.kind != ControlKind::MenuEntry;
        EXPECT_EQ(c.tabIndex != kNoFocus, takesFocus) << c.name;
        if (c.tabIndex != kNoFocus) {
            EXPECT_TRUE(indexes.insert(c.tabIndex).second) << "tab index twice: " << c.tabIndex;
        }
    }
    std::vector<std::string_view> order;
    for (std::size_t row : focusOrder()) order.push_back(controlTable()[row].name);
    EXPECT_EQ(order, expected);
}

TEST(ControlTable, TheMenuBarOpensEachMenuOfItsEntries) {
    // Each entry stands under a menu-bar row, which then runs no command of its own; every
    // entry is found under its parent, and its name is no control's (a window finds both
    // by name).
    std::map<std::string_view, std::size_t> under;
    for (const ControlSpec* bar : controlsOf(ControlKind::MenuEntry)) {
        under[bar->name] = menuEntries(bar->name).size();
        if (!menuEntries(bar->name).empty()) {
            EXPECT_EQ(bar->command, Command::None) << bar->name;
        }
    }
    EXPECT_EQ(under, (std::map<std::string_view, std::size_t>{
                         {"file", 11}, {"check", 1}, {"penstock", 1}, {"bb", 0}}));
    std::set<std::string_view> names;
    for (const FileMenuEntry& entry : fileMenu()) {
        SCOPED_TRACE(std::string(entry.name));
        const auto siblings = menuEntries(entry.parent);
        EXPECT_TRUE(siblings.data() <= &entry && &entry < siblings.data() + siblings.size());
        EXPECT_EQ(findControl(entry.name), nullptr);
        EXPECT_TRUE(names.insert(entry.name).second);
    }
    EXPECT_TRUE(menuEntries("Command1").empty());
}

TEST(Fonts, ChoosesThePreferredFaceThenAnyChineseOne) {
    const struct {
        std::vector<std::string> installed, chinese;
        std::string chosen;
    } rows[] = {
        {{"DejaVu Sans", "AR PL UMing CN"}, {"AR PL UMing CN"}, "AR PL UMing CN"},
        {{"AR PL UMing CN", "NSimSun", "SimSun"}, {}, "SimSun"},
        {{"nsimsun", "AR PL UMing CN"}, {}, "nsimsun"},
        {{"宋体", "NSimSun"}, {}, "宋体"},
        {{"AR PL UMing TW", "Noto Sans CJK SC"},
         {"Noto Sans CJK SC", "AR PL UMing TW"},
         "Noto Sans CJK SC"},
        {{"@Noto Serif SC", "Noto Serif SC"}, {"@Noto Serif SC", "Noto Serif SC"}, "Noto Serif SC"},
        {{"@SimSun-ExtB"}, {"@SimSun-ExtB"}, ""},
        {{"DejaVu Sans"}, {}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.installed.front());
        EXPECT_EQ(chooseFace(row.installed, row.chinese), row.chosen);
    }
}

TEST(Fonts, TheTitleFontIsTheTwoCaptionsAndBitmapsStayAt96Dpi) {
    // The output boxes' font is checked with the engine's boxes above.
    std::set<std::string_view> titles;
    for (const ControlSpec& c : controlTable()) {
        if (c.font == FontRole::Title) titles.insert(c.name);
    }
    EXPECT_EQ(titles, (std::set<std::string_view>{"Label24", "Label25"}));
    // The face's bitmaps at 96 dpi, its antialiased outlines on any finer screen.
    EXPECT_FALSE(antialiasGlyphs(96));
    EXPECT_TRUE(antialiasGlyphs(96 * 1.25));
    EXPECT_TRUE(antialiasGlyphs(144));
}

TEST(ControlTable, LabelsOfInputsShowTheEnginesCaptions) {
    // One copy of each caption: the label beside a box shows the engine's caption of it.
    int labels = 0;
    for (const ControlSpec* c : controlsOf(ControlKind::Label)) {
        if (c->from != TextFrom::BoxCaption) continue;
        ++labels;
        const FieldSpec* box = findField(c->text);
        ASSERT_NE(box, nullptr) << c->name;
        EXPECT_EQ(initialText(*c), box->caption) << c->name;
        EXPECT_EQ(accessibleName(*findControl(c->text)), box->caption) << c->name;
    }
    EXPECT_EQ(labels, 24);
    // The velocity's caption states a velocity, as the calculation uses it.
    EXPECT_EQ(initialText(*findControl("Label17")), "流速(米/秒)");
}

TEST(ControlTable, OutputBoxesAreNamedByTheirRowAndColumn) {
    // An output box's spoken name is the row caption to its left and the header over its
    // column, as the grid shows them.
    const auto hasLabel = [](auto&& where) {
        const auto labels = controlsOf(ControlKind::Label);
        return std::any_of(labels.begin(), labels.end(), where);
    };
    for (const ControlSpec* box : controlsOf(ControlKind::TextBox)) {
        if (box->font != FontRole::Output) continue;
        SCOPED_TRACE(std::string(box->name));
        const std::string_view spoken = accessibleName(*box);
        const std::size_t blank = spoken.rfind(' ');
        ASSERT_NE(blank, std::string_view::npos);
        const std::string_view row = spoken.substr(0, blank);
        const std::string_view column = spoken.substr(blank + 1);
        EXPECT_TRUE(hasLabel([&](const ControlSpec* l) {
            return l->top == box->top && l->left < box->left && trimmed(initialText(*l)) == row;
        }));
        EXPECT_TRUE(hasLabel([&](const ControlSpec* l) {
            return (l->top == 5760 || l->top == 8400) && l->top < box->top &&
                   l->left < box->left + box->width && box->left < l->left + l->width &&
                   initialText(*l) == column;
        }));
    }
}

TEST(CheckDialog, ShowsEveryCheckBoxOnceInsideItsArea) {
    // The dialog's boxes are the engine's check boxes, each once, in the store beside
    // Form1's: no name of the dialog is one of Form1's.
    std::set<std::string_view> names;
    int right = 0;
    int bottom = 0;
    for (const ControlSpec& c : checkDialogTable()) {
        SCOPED_TRACE(std::string(c.name));
        EXPECT_TRUE(names.insert(c.name).second);
        EXPECT_EQ(findCheckControl(c.name), &c);
        EXPECT_EQ(findControl(c.name), nullptr);
        EXPECT_NE(c.kind, ControlKind::MenuEntry);
        if (c.kind == ControlKind::TextBox) {
            EXPECT_NE(findCheckField(c.name), nullptr);
        }
        if (c.from == TextFrom::BoxCaption) {
            ASSERT_NE(findCheckField(c.text), nullptr);
            EXPECT_EQ(initialText(c), findCheckField(c.text)->caption);
        }
        EXPECT_EQ(c.tabIndex != kNoFocus, c.kind != ControlKind::Label);
        for (int twips : {c.left, c.top, c.width, c.height}) EXPECT_EQ(twips % kTwipsPerPixel, 0);
        right = std::max(right, c.left + c.width);
        bottom = std::max(bottom, c.top + c.height);
    }
    EXPECT_EQ(right, kCheckClientWidth - 240);
    EXPECT_EQ(bottom, kCheckClientHeight - 240);
    // Numbers in the output font; inputs and verdicts, which are words, in the default one.
    std::vector<std::string_view> inputs;
    for (const FieldSpec& field : checkFieldTable()) {
        SCOPED_TRACE(std::string(field.name));
        const ControlSpec* c = findCheckControl(field.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->kind, ControlKind::TextBox);
        EXPECT_EQ(initialText(*c), field.defaultText);
        EXPECT_EQ(accessibleName(*c), field.caption);
        const bool number = field.role == FieldRole::Output && !isVerdictBox(field.name);
        EXPECT_EQ(c->font == FontRole::Output, number);
        EXPECT_EQ(showsTextAsTip(*c), field.role == FieldRole::Output);
        if (field.role == FieldRole::Input) inputs.push_back(field.name);
    }
    // Tab walks the inputs in the order the check reads them, then "验  算".
    std::vector<std::string_view> walked;
    for (std::size_t row : checkFocusOrder()) walked.push_back(checkDialogTable()[row].name);
    ASSERT_GT(walked.size(), inputs.size());
    inputs.push_back("Command2");
    EXPECT_EQ(std::vector(walked.begin(), walked.begin() + std::ssize(inputs)), inputs);
    // Then the results as they are read: row by row, each from left to right.
    std::vector<std::pair<int, int>> read;
    for (auto row = checkFocusOrder().begin() + std::ssize(inputs); row != checkFocusOrder().end();
         ++row) {
        read.emplace_back(checkDialogTable()[*row].top, checkDialogTable()[*row].left);
    }
    EXPECT_EQ(read.size(), 35u);
    EXPECT_TRUE(std::is_sorted(read.begin(), read.end()));
    EXPECT_EQ(initialText(*findCheckControl("Command2")), "验  算");
    EXPECT_EQ(findCheckControl("Command2")->command, Command::Check);
}

TEST(CheckDialog, NoTwoControlsOverlap) {
    // Nothing of the dialog lies under anything else: no box hides a caption or a frame.
    const auto table = checkDialogTable();
    for (auto a = table.begin(); a != table.end(); ++a) {
        for (auto b = a + 1; b != table.end(); ++b) {
            const bool apart = a->left + a->width <= b->left || b->left + b->width <= a->left ||
                               a->top + a->height <= b->top || b->top + b->height <= a->top;
            EXPECT_TRUE(apart) << a->name << " and " << b->name;
        }
    }
}

TEST(CheckDialog, AVerdictIsColouredOnlyByItsWords) {
    const struct {
        const char* text;
        std::optional<Rgb> colour;
    } rows[] = {
        {"满足", kPassColour}, {"不满足", kFailColour}, {"不满足：抗滑、偏心", kFailColour},
        {"", std::nullopt},    {"满足 ", std::nullopt}, {"—", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(verdictColour(row.text), row.colour) << row.text;
    EXPECT_NE(kPassColour, kFailColour);
    for (const char* name : {"jg1", "jg2e", "jg"}) EXPECT_TRUE(isVerdictBox(name)) << name;
    for (const char* name : {"Kc1", "Bmin", "jg3"}) EXPECT_FALSE(isVerdictBox(name)) << name;
}

}  // namespace
}  // namespace tavorin
