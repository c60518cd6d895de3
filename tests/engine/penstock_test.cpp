// The penstock: the profile read and checked, every block's and pier row's inputs derived.
#include "engine/penstock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/input_case.h"
#include "engine/numeric_text.h"
#include "engine/real.h"

namespace tavorin {
namespace {

using Keys = std::vector<std::pair<std::size_t, std::string>>;

PenstockTexts line(const Keys& common, const std::vector<Keys>& points) {
    PenstockTexts t;
    for (const auto& [key, text] : common) t.line[key] = text;
    for (const Keys& p : points) {
        t.points.emplace_back();
        for (const auto& [key, text] : p) t.points.back()[key] = text;
    }
    return t;
}

using P = PointKey;
using L = LineKey;

// The line of the worked example: two blocks, a reducer at the second.
PenstockTexts workedExample() {
    return line({{L::Zwt, "1030"}, {L::Qt, "12"}, {L::dHt, "60"}},
                {{{P::X, "0"}, {P::Z, "1000"}, {P::D, "2"}, {P::DD, "0.02"}},
                 {{P::X, "100"}, {P::Z, "950"}, {P::D, "2"}, {P::DD, "0.02"}, {P::name, "甲"}},
                 {{P::X, "300"}, {P::Z, "800"}, {P::D, "1.8"}, {P::DD, "0.018"}},
                 {{P::X, "400"}, {P::Z, "790"}}});
}

// Three blocks and two pier rows, worked by hand (an independent program, the same formulas one
// double operation at a time): a uniform water hammer, a reducer on its upper side, a span that
// rises (a negative angle), a turn, a plug and a checked block.
PenstockTexts threeBlocks() {
    return line({{L::Text1, "三号管线"},
                 {L::Zwt, "520"},
                 {L::Qt, "8.5"},
                 {L::dHt, "45"},
                 {L::sjk, "均匀"},
                 {L::lamt, "0.014"},
                 {L::jt, "5"}},
                {{{P::X, "0"}, {P::Z, "480"}, {P::D, "2.2"}, {P::DD, "0.022"}, {P::Lz, "12"}},
                 {{P::X, "150"}, {P::Z, "420"}, {P::D, "2.2"}, {P::DD, "0.022"}, {P::spj, "12.5"}},
                 {{P::X, "260"},
                  {P::Z, "300"},
                  {P::D, "2.0"},
                  {P::DD, "0.02"},
                  {P::k, "上侧"},
                  {P::j, "7.5"},
                  {P::Lz, "10"}},
                 {{P::X, "420"},
                  {P::Z, "310"},
                  {P::D, "2.0"},
                  {P::DD, "0.02"},
                  {P::kk, "1"},
                  {P::Bjt, "8"},
                  {P::Bjt + 1, "6"}},
                 {{P::X, "500"}, {P::Z, "250"}}});
}

struct Expected {
    std::size_t row;
    const char* box;
    const char* text;
};

void expectDerived(const PenstockTexts& texts, const std::vector<Expected>& table) {
    const PenstockRead read = readPenstock(texts);
    ASSERT_TRUE(read.penstock) << read.fault.message;
    std::vector<MemoryStore> stores(read.penstock->rows().size());
    for (std::size_t r = 0; r < stores.size(); ++r) {
        ASSERT_FALSE(deriveRow(*read.penstock, r, stores[r]));
    }
    for (const Expected& e : table) {
        SCOPED_TRACE(std::to_string(e.row) + " " + e.box);
        EXPECT_EQ(stores.at(e.row).text(e.box), e.text);
    }
}

TEST(Penstock, DerivesTheWorkedExample) {
    expectDerived(workedExample(), {{0, "Text1", "甲"},
                                    {0, "kj", "镇墩"},
                                    {0, "DA1t", "26.3389934339467"},
                                    {0, "DA2t", "36.521886856912"},
                                    {0, "L1t", "105.803398874989"},
                                    {0, "L2t", "6"},
                                    {0, "Dt", "2"},
                                    {0, "D1t", "2"},
                                    {0, "D2t", "2"},
                                    {0, "k", "上侧"},
                                    {0, "HSt", "94.5104318868005"},
                                    {0, "H1t", "33.4619930629621"},
                                    {0, "H2t", "98.8891433767629"},
                                    {0, "Vt", "3.81970970206264"},
                                    {0, "DHt", "0.472076717986278"},
                                    {0, "DSt", "2.04"},
                                    {1, "Text1", "2号镇墩"},
                                    {1, "DA2t", "5.42634787020801"},
                                    {1, "L1t", "244"},
                                    {1, "D1t", "2"},
                                    {1, "D2t", "1.8"},
                                    {1, "k", "下侧"},
                                    {1, "Dt", "2"},
                                    {1, "HSt", "276.956743968567"},
                                    {1, "H2t", "278.332477772655"},
                                    {1, "DHt", "1.08868637882559"}});
}

TEST(Penstock, DerivesAHandWorkedThreeBlockLine) {
    const PenstockTexts texts = threeBlocks();
    const PenstockRead read = readPenstock(texts);
    ASSERT_TRUE(read.penstock) << read.fault.message;
    // Along the line: the pier row of a span between the blocks at its ends.
    std::vector<std::string> names;
    for (const PenstockRow& row : read.penstock->rows()) {
        names.push_back(row.name + (row.pier ? " 支墩" : row.checked ? " 验算" : ""));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"第0跨支墩 支墩", "1号镇墩", "2号镇墩",
                                               "第2跨支墩 支墩", "3号镇墩 验算"}));
    expectDerived(texts, {{0, "kj", "支墩"},
                          {0, "DA1t", "21.4808151031753"},
                          {0, "DA2t", "21.4808151031753"},
                          {0, "L1t", "12"},
                          {0, "L2t", "12"},
                          {0, "HSt", "145"},
                          {0, "H1t", "86.8569533817705"},
                          {0, "H2t", "86.8569533817705"},
                          {0, "DHt", "1.94604523988029E-02"},
                          {0, "DSt", "2.244"},
                          {0, "spjText", "0"},
                          {1, "DA1t", "21.4808151031753"},
                          {1, "DA2t", "47.2936651226158"},
                          {1, "L1t", "156.554944214035"},
                          {1, "L2t", "5"},
                          {1, "Dt", "2.2"},
                          {1, "k", "上侧"},
                          {1, "HSt", "145"},
                          {1, "H1t", "86.8569533817705"},
                          {1, "H2t", "148.685770701004"},
                          {1, "Vt", "2.23605595506422"},
                          {1, "DHt", "0.25388583663954"},
                          {1, "DSt", "2.244"},
                          {1, "spjText", "12.5"},
                          {1, "kkt", "0"},
                          {1, "ft", "0.4"},
                          // The reducer on its upper side: the block stands on the lower pipe,
                          // the head loss is the upper pipe's.
                          {2, "DA2t", "-3.34579560719487"},
                          {2, "L1t", "157.788205960997"},
                          {2, "L2t", "7.5"},
                          {2, "Dt", "2.0"},
                          {2, "DDt", "0.02"},
                          {2, "D1t", "2.2"},
                          {2, "D2t", "2.0"},
                          {2, "HSt", "265"},
                          {2, "H2t", "264.532162853836"},
                          {2, "Vt", "2.70562770562771"},
                          {2, "DHt", "0.255885822599708"},
                          {2, "DSt", "2.04"},
                          {3, "DA1t", "-3.34579560719487"},
                          {3, "HSt", "255"},
                          {3, "H1t", "264.532162853836"},
                          {3, "DHt", "2.61177109939968E-02"},
                          {4, "DA1t", "-3.34579560719487"},
                          {4, "DA2t", "36.521886856912"},
                          {4, "L1t", "152.812195418814"},
                          {4, "H2t", "258"},
                          {4, "DHt", "0.399110475630674"},
                          {4, "kkt", "1"},
                          {4, "Bjt", "8"},
                          {4, "Ljt", "6"},
                          {4, "Kct", "1.5"}});
}

// Every derived angle, read back by the block as degrees.minutes, is atan(ΔZ ÷ ΔX) again, up
// to the rounding of its text to 15 digits.
TEST(Penstock, AnglesReturnToTheirSlope) {
    std::mt19937_64 random(20261209);
    std::uniform_real_distribution<double> dx(0.5, 400), slope(-2, 12);
    for (int n = 0; n < 4000; ++n) {
        const double X = dx(random);
        const double Z = std::round(X * slope(random) * 1000) / 1000;
        const PenstockTexts texts =
            line({{L::Zwt, "5000"}, {L::Qt, "1"}, {L::jt, "0.1"}},
                 {{{P::X, "0"}, {P::Z, "0"}, {P::D, "1"}, {P::DD, "0.01"}},
                  {{P::X, generalForm(X)}, {P::Z, generalForm(-Z)}, {P::D, "1"}, {P::DD, "0.01"}},
                  {{P::X, generalForm(X + 1)}, {P::Z, generalForm(-Z)}}});
        const PenstockRead read = readPenstock(texts);
        ASSERT_TRUE(read.penstock) << read.fault.message;
        MemoryStore store;
        ASSERT_FALSE(deriveRow(*read.penstock, 0, store));
        const std::string& text = store.text("DA1t");
        const double read10 = pipeAngle(Real(readLenient(text).value)).value();
        const double dX = convertStrictDouble(generalForm(X)).value;
        const double dZ = convertStrictDouble(generalForm(Z)).value;
        const double exact = atan(Real(dZ / dX)).value();
        // Half a unit of the text's 15th digit, turned to radians, and a few roundings after.
        const double degrees = std::fabs(readLenient(text).value);
        const double half =
            degrees == 0 ? 0 : 0.5 * std::pow(10.0, std::floor(std::log10(degrees)) - 14);
        const double bound =
            half * (100.0 / 60.0) * (3.1416 / 180) * 1.01 + 4 * std::ldexp(std::fabs(exact), -52);
        ASSERT_LE(std::fabs(read10 - exact), bound)
            << "slope " << dZ << " / " << dX << " → " << text;
    }
}

struct FaultRow {
    const char* what;
    void (*change)(PenstockTexts&);
    std::optional<std::size_t> point;
    const char* key;
    const char* message;
};

TEST(Penstock, RefusesAFaultyProfileNamingPointAndKey) {
    const std::vector<FaultRow> rows = {
        {"Zw missing", [](PenstockTexts& t) { t.line[L::Zwt].clear(); }, {}, "Zwt", "缺少“Zwt”。"},
        {"Q not a number",
         [](PenstockTexts& t) { t.line[L::Qt] = "12m"; },
         {},
         "Qt",
         "“Qt”中的内容不是数字。"},
        {"λ too large",
         [](PenstockTexts& t) { t.line[L::lamt] = "1e999"; },
         {},
         "lamt",
         "“lamt”中的数值超出范围。"},
        {"hammer distribution",
         [](PenstockTexts& t) { t.line[L::sjk] = "指数"; },
         {},
         "sjk",
         "“sjk”应为“线性”或“均匀”。"},
        {"two points",
         [](PenstockTexts& t) { t.points.resize(2); },
         {},
         "points",
         "管线至少应有 3 个点（现有 2 个）。"},
        {"Z not a number", [](PenstockTexts& t) { t.points[2][P::Z] = "八百"; }, 2, "Z",
         "第3点“2号镇墩”：“Z”中的内容不是数字。"},
        {"X missing", [](PenstockTexts& t) { t.points[1][P::X] = " "; }, 1, "X",
         "第2点“甲”：缺少“X”。"},
        {"X not increasing", [](PenstockTexts& t) { t.points[2][P::X] = "100"; }, 2, "X",
         "第3点“2号镇墩”：“X”应大于上一点的桩号 100。"},
        {"D missing", [](PenstockTexts& t) { t.points[2][P::D].clear(); }, 2, "D",
         "第3点“2号镇墩”：缺少“D”。"},
        {"D zero", [](PenstockTexts& t) { t.points[0][P::D] = "0"; }, 0, "D",
         "第1点“0号镇墩”：“D”应大于零。"},
        {"joint at the vertex", [](PenstockTexts& t) { t.points[1][P::j] = "0"; }, 1, "j",
         "第2点“甲”：伸缩节距离“j”应大于 0 且小于本段斜长 250 米。"},
        {"joint past its span", [](PenstockTexts& t) { t.points[1][P::j] = "250"; }, 1, "j",
         "第2点“甲”：伸缩节距离“j”应大于 0 且小于本段斜长 250 米。"},
        {"pier spacing", [](PenstockTexts& t) { t.points[1][P::Lz] = "-5"; }, 1, "Lz",
         "第2点“甲”：“Lz”应大于零。"},
        {"reducer side", [](PenstockTexts& t) { t.points[2][P::k] = "中间"; }, 2, "k",
         "第3点“2号镇墩”：“k”应为“上侧”或“下侧”。"},
        {"plug", [](PenstockTexts& t) { t.points[1][P::kk] = "有"; }, 1, "kk",
         "第2点“甲”：“kk”中的内容不是数字。"},
        {"turning angle", [](PenstockTexts& t) { t.points[1][P::spj] = "1,5"; }, 1, "spj",
         "第2点“甲”：“spj”中的内容不是数字。"},
    };
    for (const FaultRow& row : rows) {
        SCOPED_TRACE(row.what);
        PenstockTexts texts = workedExample();
        row.change(texts);
        const PenstockRead read = readPenstock(texts);
        ASSERT_FALSE(read.penstock);
        EXPECT_EQ(read.fault.point, row.point);
        EXPECT_EQ(read.fault.key, row.key);
        EXPECT_EQ(read.fault.message, row.message);
    }
    // What is ignored: the last point's pipe, and any text of a key it does not use.
    PenstockTexts texts = workedExample();
    texts.points[3][P::D] = "x";
    texts.points[3][P::Lz] = "-1";
    EXPECT_TRUE(readPenstock(texts).penstock);
}

// The recorded derivation writes what the plain one writes, and its every step that leads to a
// box shows the box's text.
TEST(Penstock, RecordAgreesWithTheBoxes) {
    const PenstockTexts texts = threeBlocks();
    const PenstockRead read = readPenstock(texts);
    ASSERT_TRUE(read.penstock);
    for (std::size_t r = 0; r < read.penstock->rows().size(); ++r) {
        MemoryStore plain, traced;
        CalcRecord record;
        ASSERT_FALSE(deriveRow(*read.penstock, r, plain));
        ASSERT_FALSE(deriveRow(*read.penstock, r, traced, record));
        for (const auto& [box, text] : record.written) EXPECT_EQ(plain.text(box), text) << box;
        for (const RecordedStep& step : record.steps) {
            EXPECT_FALSE(step.formula.empty()) << step.name;
            if (!step.box.empty()) {
                EXPECT_EQ(step.boxText, plain.text(step.box)) << step.name;
            }
        }
        EXPECT_EQ(record.written.size(), 24u + 14u);  // Form1's inputs and choices, the check's
    }
}

// A derivation that overflows stops that row only, with a message naming the box.
TEST(Penstock, AnOverflowStopsItsRowOnly) {
    PenstockTexts texts = workedExample();
    texts.points[2][P::D] = "1e-160";  // the velocity in it is beyond the double range
    texts.points[2][P::k] = "上侧";    // and the block at point 2 stands on it
    const PenstockRead read = readPenstock(texts);
    ASSERT_TRUE(read.penstock) << read.fault.message;
    MemoryStore store;
    const std::optional<Fault> fault = calculateRow(*read.penstock, 1, store);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->message, "溢出：推求“流速(米/秒)”（Vt）时计算结果超出数值范围。");
    // The boxes derived before it keep their texts, the later ones their defaults.
    EXPECT_EQ(store.text("HSt"), "276.956743968567");
    EXPECT_EQ(store.text("Vt"), "3.8");
    EXPECT_EQ(store.text("x1"), "");
    MemoryStore other;
    EXPECT_FALSE(calculateRow(*read.penstock, 0, other));
}

TEST(Penstock, KeyTablesMatchTheBoxes) {
    // A point's check keys are the check's inputs, in the order the check reads them.
    for (std::size_t k = P::Bjt; k < kPointKeys.size(); ++k) {
        EXPECT_EQ(kPointKeys[k], checkFieldTable()[k - P::Bjt].name);
        EXPECT_EQ(checkFieldTable()[k - P::Bjt].role, FieldRole::Input);
    }
    for (const std::size_t key : {L::b1t, L::b2t, L::ft, L::fgt, L::fjt}) {
        EXPECT_EQ(lineDefault(key), findField(kLineKeys[key])->defaultText);
    }
}

}  // namespace
}  // namespace tavorin
