// Invariants of the control table, and the fonts and texts it is drawn with.
#include "window/control_table.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRegularExpression>
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/fields.h"
#include "tests/window/print_qstring.h"
#include "window/fonts.h"
#include "window/version.h"

namespace tavorin {
namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::vector<const ControlSpec*> controlsOf(ControlKind kind) {
    std::vector<const ControlSpec*> rows;
    for (const ControlSpec& c : controlTable()) {
        if (c.kind == kind) rows.push_back(&c);
    }
    return rows;
}

TEST(ControlTable, HoldsEveryControlOnceByKind) {
    EXPECT_EQ(controlTable().size(), 111u);
    EXPECT_EQ(controlsOf(ControlKind::Label).size(), 54u);
    EXPECT_EQ(controlsOf(ControlKind::TextBox).size(), 52u);
    EXPECT_EQ(controlsOf(ControlKind::ChoiceList).size(), 2u);
    EXPECT_EQ(controlsOf(ControlKind::Button).size(), 1u);
    EXPECT_EQ(controlsOf(ControlKind::MenuEntry).size(), 2u);

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

TEST(ControlTable, TabIndexesGiveTheFocusOrder) {
    const std::vector<std::string_view> expected = {
        "Text1",   "HSt",     "DDt",     "L1t",      "L2t",     "Dt",      "DA1t",    "Vt",
        "b1t",     "ft",      "fgt",     "Command1", "b2t",     "DHt",     "DA2t",    "fjt",
        "D1t",     "H1t",     "D2t",     "H2t",      "DSt",     "kkt",     "a26text", "a22text",
        "a23text", "a24text", "a16text", "a15text",  "a14text", "a13text", "a12text", "a11text",
        "a25text", "a29text", "a27text", "a19text",  "a18text", "a17text", "a28text", "aa1text",
        "aa3text", "aa2text", "aa4text", "x1",       "y1",      "w1",      "v1",      "x2",
        "y2",      "w2",      "v2",      "a21text",  "k",       "kj",      "spjText"};
    std::map<int, std::string_view> byIndex;
    for (const ControlSpec& c : controlTable()) {
        const bool takesFocus = c.kind != ControlKind::Label && c.kind != ControlKind::MenuEntry;
        EXPECT_EQ(c.tabIndex != kNoFocus, takesFocus) << c.name;
        if (c.tabIndex != kNoFocus) {
            EXPECT_TRUE(byIndex.emplace(c.tabIndex, c.name).second)
                << "tab index twice: " << c.tabIndex;
        }
    }
    std::vector<std::string_view> order;
    for (const auto& [index, name] : byIndex) order.push_back(name);
    EXPECT_EQ(order, expected);
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
        const QString spoken = qs(accessibleName(*box));
        const QString row = spoken.section(' ', 0, -2);
        const QString column = spoken.section(' ', -1);
        EXPECT_TRUE(hasLabel([&](const ControlSpec* l) {
            return l->top == box->top && l->left < box->left &&
                   qs(initialText(*l)).trimmed() == row;
        }));
        EXPECT_TRUE(hasLabel([&](const ControlSpec* l) {
            return (l->top == 5760 || l->top == 8400) && l->top < box->top &&
                   l->left < box->left + box->width && box->left < l->left + l->width &&
                   qs(initialText(*l)) == column;
        }));
    }
}

TEST(Fonts, ChoosesTheFirstPreferredFamilyThenAnyChineseOne) {
    const struct {
        QStringList installed;
        QStringList chinese;
        QString chosen;
    } rows[] = {
        {{"DejaVu Sans", "AR PL UMing CN"}, {"AR PL UMing CN"}, "AR PL UMing CN"},
        {{"AR PL UMing CN", "NSimSun", "SimSun"}, {}, "SimSun"},
        {{"nsimsun", "AR PL UMing CN"}, {}, "nsimsun"},
        {{"宋体", "NSimSun"}, {}, "宋体"},
        {{"AR PL UMing TW", "Noto Sans CJK SC"},
         {"Noto Sans CJK SC", "AR PL UMing TW"},
         "Noto Sans CJK SC"},
        {{"DejaVu Sans"}, {}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(qPrintable(row.installed.join(", ")));
        EXPECT_EQ(chooseFamily(row.installed, row.chinese), row.chosen);
    }
}

// The face the window really gets on this system; the fit tests below measure with it.
QFont shippedFont(FontRole role) {
    const QFont font = windowFont(role, 1.0);
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(kPreferredFamilies.contains(family, Qt::CaseInsensitive))
        << "the window draws with " << family.toStdString()
        << "; install fonts-arphic-uming for the face the layout is made for";
    return font;
}

TEST(Fonts, EveryCaptionFitsItsControlOnOneLine) {
    // What each label shows at some time: its caption, the result caption, a version line.
    std::map<std::string_view, std::vector<std::string_view>> shown;
    for (const ControlSpec& c : controlTable()) shown[c.name].push_back(initialText(c));
    shown["Label25"].push_back(kResultCaption);
    for (const VersionLine& line : kVersionLines) shown[line.label].push_back(line.caption);

    for (const ControlSpec& c : controlTable()) {
        if (c.kind != ControlKind::Label && c.kind != ControlKind::Button) continue;
        const QFontMetrics metrics(shippedFont(c.font));
        for (std::string_view text : shown[c.name]) {
            SCOPED_TRACE(std::string(c.name) + " \"" + std::string(text) + "\"");
            EXPECT_LE(metrics.horizontalAdvance(qs(text)), twipsToPixels(c.width));
            EXPECT_LE(metrics.height(), twipsToPixels(c.height));
        }
    }
}

TEST(Fonts, RowSymbolsStandInOneColumn) {
    // The nine captions of a1 … a9: the symbol starts at the same distance from the left
    // edge, and the captions of one grid share that edge.
    const QFontMetrics metrics(shippedFont(FontRole::Default));
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("镇")),
              2 * metrics.horizontalAdvance(QStringLiteral("a")));
    const QRegularExpression symbol(QStringLiteral("a[1-9]$"));
    std::set<int> offsets;
    std::set<int> lefts[2];
    int found = 0;
    for (const ControlSpec* c : controlsOf(ControlKind::Label)) {
        const QString caption = qs(initialText(*c));
        const qsizetype at = caption.indexOf(symbol);
        if (at < 0) continue;
        ++found;
        offsets.insert(metrics.horizontalAdvance(caption.left(at)));
        lefts[c->left < 5400 ? 0 : 1].insert(c->left);
    }
    EXPECT_EQ(found, 9);
    EXPECT_EQ(offsets.size(), 1u);
    EXPECT_EQ(lefts[0], std::set<int>{480});
    EXPECT_EQ(lefts[1], std::set<int>{5400});
}

}  // namespace
}  // namespace tavorin
