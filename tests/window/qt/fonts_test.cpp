// The window's fonts on Qt: every caption of the control table fitting its control in the
// face the window really gets.
#include "window/qt/fonts.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QRegularExpression>
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/fields.h"
#include "tests/check_example.h"
#include "tests/window/qt/print_qstring.h"
#include "window/check_dialog.h"
#include "window/control_table.h"
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

// The face the window really gets on this system; the fit tests below measure with it.
QFont shippedFont(FontRole role) {
    const QFont font = windowFont(role, 1.0);
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(std::any_of(
        std::begin(kPreferredFaces), std::end(kPreferredFaces),
        [&](std::string_view face) { return family.compare(qs(face), Qt::CaseInsensitive) == 0; }))
        << "the window draws with " << family.toStdString()
        << "; install fonts-arphic-uming for the face the layout is made for";
    return font;
}

TEST(Fonts, EveryCaptionFitsItsControlOnOneLine) {
    // What each label shows at some time: its caption, the result caption, a version line;
    // and the longest verdict in a verdict box of the check dialog.
    std::map<std::string_view, std::vector<std::string_view>> shown;
    for (const auto& table : {controlTable(), checkDialogTable()}) {
        for (const ControlSpec& c : table) shown[c.name].push_back(initialText(c));
    }
    shown["Label25"].push_back(kResultCaption);
    for (const VersionLine& line : kVersionLines) shown[line.label].push_back(line.caption);
    for (std::string_view box : {"jg1", "jg2", "jg1e", "jg2e"}) {
        shown[box].push_back("不满足：抗滑、抗倾覆、偏心、地基应力");
    }
    shown["jg"].push_back("不满足");

    for (const auto& table : {controlTable(), checkDialogTable()}) {
        for (const ControlSpec& c : table) {
            const bool verdict = isVerdictBox(c.name);
            if (c.kind != ControlKind::Label && c.kind != ControlKind::Button && !verdict) {
                continue;
            }
            const QFontMetrics metrics(shippedFont(c.font));
            // A box's text stands inside its frame and margins.
            const int inner = twipsToPixels(c.width) - (verdict ? 10 : 0);
            for (std::string_view text : shown[c.name]) {
                SCOPED_TRACE(std::string(c.name) + " \"" + std::string(text) + "\"");
                EXPECT_LE(metrics.horizontalAdvance(qs(text)), inner);
                EXPECT_LE(metrics.height(), twipsToPixels(c.height));
            }
        }
    }
}

TEST(Fonts, TheWidestResultFitsEachResultBoxOfTheCheckDialog) {
    // Each result box shows the widest text the check writes into it whole, inside its frame
    // and margins, as the captions are measured above; each row of this table is one kind of
    // result.
    const struct {
        const char* what;
        bool (*holds)(std::string_view box);
        int boxes;
    } rows[] = {
        {"numbers", [](std::string_view box) { return !isVerdictBox(box); }, 30},
        {"verdicts of a row",
         [](std::string_view box) { return box.starts_with("jg") && box != "jg"; }, 4},
        {"the verdict of all rows", [](std::string_view box) { return box == "jg"; }, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        int boxes = 0;
        for (const ControlSpec& c : checkDialogTable()) {
            const FieldSpec* field = findCheckField(c.name);
            if (field == nullptr || field->role != FieldRole::Output || !row.holds(c.name))
                continue;
            ++boxes;
            const std::string_view text = widestCheckText(c.name);
            SCOPED_TRACE(std::string(c.name) + " \"" + std::string(text) + "\"");
            const QFontMetrics metrics(shippedFont(c.font));
            EXPECT_LE(metrics.horizontalAdvance(qs(text)), twipsToPixels(c.width) - 10);
        }
        EXPECT_EQ(boxes, row.boxes);
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
