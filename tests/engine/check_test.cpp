// The stability check: the worked example after a calculation, a hand-checked row for each
// branch and each failing check alone, the faults naming their boxes, the record agreeing
// with the plain command, and a store without the check unchanged.
#include "engine/check.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/calculate.h"
#include "tests/check_example.h"

namespace tavorin {
namespace {

using Texts = std::vector<std::pair<const char*, const char*>>;

MemoryStore storeWith(const Texts& texts) {
    MemoryStore store;
    for (const auto& [name, text] : texts) EXPECT_TRUE(store.replaceText(name, text)) << name;
    return store;
}

constexpr const char* kDash = "—";

TEST(Check, TheWorkedExampleAfterTheCalculation) {
    MemoryStore store;
    for (const auto& [name, text] : kCheckExampleInputs) ASSERT_TRUE(store.replaceText(name, text));
    ASSERT_FALSE(calculate(store).has_value());
    const std::optional<Fault> fault = checkStability(store);
    ASSERT_FALSE(fault.has_value()) << fault->message;
    for (const auto& [box, text] : kCheckExampleResults) EXPECT_EQ(store.text(box), text) << box;
    // Beyond the example, from the same independent computation.
    const Texts beyond = {
        {"Nj1", "257.986446528998"},
        {"Hj1e", "106.36671859565"},
        {"smin1e", "0.21565500132914"},
        {"Ko2e", "3.37507711637146"},
        {"jg2e", "满足"},
    };
    for (const auto& [box, text] : beyond) EXPECT_EQ(store.text(box), text) << box;
}

// The forces as a calculation shows them, then the check's inputs.
struct BranchRow {
    const char* what;
    Texts texts;
    Texts expected;
};

// Rows 2 and 2e see x2 = y2 = 0 where not said otherwise; fj is the default 0.6.
const Texts kStill = {{"x2", "0"}, {"y2", "0"}};

Texts with(Texts base, const Texts& more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

const BranchRow kBranches[] = {
    {"H = 0 and no moment: Kc and K0 are dashes and pass; e = 0",
     with(kStill,
          {{"x1", "0"}, {"y1", "0"}, {"Bjt", "2"}, {"Ljt", "1"}, {"Hjt", "1"}, {"hpt", "1"}}),
     {{"Gj", "4.8"},
      {"Hj1", "0"},
      {"Kc1", kDash},
      {"Ko1", kDash},
      {"ej1", "0"},
      {"smax1", "2.4"},
      {"smin1", "2.4"},
      {"jg1", "满足"},
      {"jg", "满足"},
      {"Bmin", "0.1"},
      {"Nj1e", ""},
      {"jg1e", ""}}},
    {"N ≤ 0: the base lifts, every check fails",
     with(kStill, {{"x1", "1"},
                   {"y1", "-10"},
                   {"Bjt", "1"},
                   {"Ljt", "1"},
                   {"Hjt", "1"},
                   {"hpt", "0"},
                   {"Rjt", "10"}}),
     {{"Nj1", "-7.6"},
      {"Kc1", "-4.56"},
      {"Ko1", "0.24"},
      {"ej1", kDash},
      {"smax1", kDash},
      {"smin1", kDash},
      {"jg1", "不满足：抗滑、抗倾覆、偏心、地基应力"},
      {"jg2", "满足"},
      {"jg", "不满足"},
      {"Bmin", "6.3"}}},
    {"B/6 < e < B/2: partly lifted, σmin 0, only the eccentricity fails",
     with(kStill,
          {{"x1", "1"}, {"y1", "0"}, {"Bjt", "6"}, {"Ljt", "1"}, {"Hjt", "1"}, {"hpt", "15"}}),
     {{"Kc1", "8.64"},
      {"Ko1", "2.88"},
      {"ej1", "1.04166666666667"},
      {"smax1", "4.90212765957447"},
      {"smin1", "0"},
      {"jg1", "不满足：偏心"},
      {"Bmin", "6.2"}}},
    {"e ≥ B/2: the block overturns, no bearing pressure",
     with(kStill, {{"x1", "1"},
                   {"y1", "0"},
                   {"Bjt", "1"},
                   {"Ljt", "1"},
                   {"Hjt", "1"},
                   {"hpt", "2"},
                   {"Rjt", "10"}}),
     {{"Kc1", "1.44"},
      {"Ko1", "0.6"},
      {"ej1", "0.833333333333333"},
      {"smax1", kDash},
      {"smin1", kDash},
      {"jg1", "不满足：抗滑、抗倾覆、偏心、地基应力"},
      {"Bmin", "2.3"}}},
    {"sliding alone",
     with(kStill,
          {{"x1", "10"}, {"y1", "0"}, {"Bjt", "10"}, {"Ljt", "1"}, {"Hjt", "1"}, {"hpt", "0"}}),
     {{"Kc1", "1.44"}, {"Ko1", kDash}, {"jg1", "不满足：抗滑"}, {"Bmin", "10.5"}}},
    {"overturning alone, by the uplift; no base passes",
     with(kStill, {{"x1", "0"},
                   {"y1", "0"},
                   {"Bjt", "2"},
                   {"Ljt", "1"},
                   {"Hjt", "1"},
                   {"hpt", "0"},
                   {"hwt", "2"}}),
     {{"Nj1", "0.8"},
      {"Ko1", "1.2"},
      {"smax1", "0.4"},
      {"jg1", "不满足：抗倾覆"},
      {"jg2", "不满足：抗倾覆"},
      {"Bmin", kDash}}},
    {"bearing alone, normal row; the seismic allowance passes",
     {{"x1", "77.5667185956496"},
      {"y1", "-30.0135534710018"},
      {"x2", "32.7212205739526"},
      {"y2", "-38.863699759729"},
      {"Bjt", "6"},
      {"Ljt", "5"},
      {"Hjt", "4"},
      {"hpt", "2.5"},
      {"Rjt", "15"},
      {"Kht", "0.1"}},
     {{"smax1", "15.0634414339374"},
      {"jg1", "不满足：地基应力"},
      {"smax1e", "16.9834414339374"},
      {"jg1e", "满足"},
      {"jg", "不满足"},
      {"Bmin", "6.1"}}},
    {"a given weight: no height needed, no smallest base; a blank [σ] is not given",
     {{"x1", "77.5667185956496"},
      {"y1", "-30.0135534710018"},
      {"x2", "32.7212205739526"},
      {"y2", "-38.863699759729"},
      {"Bjt", "6"},
      {"Ljt", "5"},
      {"Gjt", "300"},
      {"hgt", "2"},
      {"hpt", "2.5"},
      {"Rjt", " \t"}},
     {{"Gj", "300"},
      {"Kc1", "2.08841976108145"},
      {"smax1", "15.4634414339374"},
      {"jg", "满足"},
      {"Bmin", kDash}}},
};

TEST(Check, EachBranchAsComputedByHand) {
    for (const BranchRow& row : kBranches) {
        SCOPED_TRACE(row.what);
        MemoryStore store = storeWith(row.texts);
        const std::optional<Fault> fault = checkStability(store);
        ASSERT_FALSE(fault.has_value()) << fault->message;
        for (const auto& [box, text] : row.expected) EXPECT_EQ(store.text(box), text) << box;
        // The recording command computes and writes the same.
        MemoryStore recorded = storeWith(row.texts);
        CalcRecord record;
        ASSERT_FALSE(checkStability(recorded, record).has_value());
        for (const FieldSpec& f : checkFieldTable()) {
            EXPECT_EQ(recorded.text(f.name), store.text(f.name)) << f.name;
        }
    }
}

struct FaultRow {
    Texts texts;
    FaultKind kind;
    const char* box;  // empty: no single box
    const char* message;
};

const FaultRow kFaults[] = {
    {{{"Bjt", ""}},
     FaultKind::TypeMismatch,
     "Bjt",
     "类型不匹配：“基底长度 B(米)”中的内容不是数字。"},
    {{{"Bjt", "6"}, {"Ljt", "0"}, {"Hjt", "abc"}},
     FaultKind::InvalidArgument,
     "Ljt",
     "无效的过程调用或参数：“基底宽度 L(米)”应大于零。"},
    {{{"Bjt", "6"}, {"Ljt", "5"}}, FaultKind::TypeMismatch, "Hjt", nullptr},
    {{{"Bjt", "6"}, {"Ljt", "5"}, {"Hjt", "-4"}}, FaultKind::InvalidArgument, "Hjt", nullptr},
    {{{"Bjt", "6"}, {"Ljt", "5"}, {"Gjt", "0"}, {"hgt", "2"}},
     FaultKind::InvalidArgument,
     "Gjt",
     nullptr},
    {{{"Bjt", "6"}, {"Ljt", "5"}, {"Gjt", "300"}, {"hpt", "1"}},
     FaultKind::TypeMismatch,
     "hgt",
     nullptr},
    {{{"Bjt", "6"}, {"Ljt", "5"}, {"Hjt", "4"}, {"hpt", "-0.1"}},
     FaultKind::InvalidArgument,
     "hpt",
     "无效的过程调用或参数：“管轴交点高度 hp(米)”不能小于零。"},
    {{{"Bjt", "6"}, {"Ljt", "5"}, {"Hjt", "4"}, {"hpt", "1"}, {"hgt", "-1"}},
     FaultKind::InvalidArgument,
     "hgt",
     nullptr},
    {{{"Bjt", "6"}, {"Ljt", "5"}, {"Hjt", "4"}, {"hpt", "1"}, {"hwt", ""}},
     FaultKind::TypeMismatch,
     "hwt",
     nullptr},
    {{{"Bjt", "6"}, {"Ljt", "5"}, {"Hjt", "4"}, {"hpt", "1"}, {"Rjt", "5 t"}},
     FaultKind::TypeMismatch,
     "Rjt",
     nullptr},
    {{{"Bjt", "6"}, {"Ljt", "5"}, {"Hjt", "4"}, {"hpt", "1"}, {"Kht", "-0.1"}},
     FaultKind::InvalidArgument,
     "Kht",
     nullptr},
    {{{"Bjt", "6"}, {"Ljt", "5"}, {"Hjt", "4"}, {"hpt", "1"}, {"Rket", "1e999"}},
     FaultKind::Overflow,
     "Rket",
     nullptr},
    // G = ((2.4 × B) × L) × Hb beyond the double range: no single box.
    {{{"Bjt", "1e200"}, {"Ljt", "1e200"}, {"Hjt", "1"}, {"hpt", "1"}},
     FaultKind::Overflow,
     "",
     "溢出：计算结果超出数值范围。"},
};

TEST(Check, FaultsNameTheirBox) {
    for (const FaultRow& row : kFaults) {
        SCOPED_TRACE(row.texts.back().first);
        MemoryStore store =
            storeWith(with({{"x1", "1"}, {"y1", "0"}, {"x2", "1"}, {"y2", "0"}}, row.texts));
        CalcRecord record;
        const std::optional<Fault> fault = checkStability(store, record);
        ASSERT_TRUE(fault.has_value());
        EXPECT_EQ(fault->kind, row.kind);
        EXPECT_EQ(fault->box, row.box);
        if (row.message != nullptr) {
            EXPECT_EQ(fault->message, row.message);
        }
        if (*row.box != '\0') {
            EXPECT_NE(fault->message.find(findCheckField(row.box)->caption), std::string::npos);
            EXPECT_EQ(record.faultAt, row.box);
        }
        EXPECT_EQ(store.text("Gj"), "");  // it stopped before writing
        EXPECT_EQ(checkStability(store)->message, fault->message);
    }
}

TEST(Check, ItsBoxesStayOutOfForm1sTable) {
    // Form1's table, and so the batch tool's output line, are what they were.
    EXPECT_EQ(fieldTable().size(), 55u);
    EXPECT_EQ(fieldTable().back().name, "Label25");
    EXPECT_EQ(checkFieldTable().size(), 14u + 35u);
    EXPECT_EQ(checkFieldTable().data(), fieldTable().data() + fieldTable().size());
    for (const FieldSpec& f : checkFieldTable()) {
        SCOPED_TRACE(std::string(f.name));
        EXPECT_EQ(findField(f.name), nullptr);
        EXPECT_EQ(findCheckField(f.name), &f);
        EXPECT_EQ(&FieldId::find(f.name)->spec(), &f);
    }
    // Names the hash must tell apart from the check's.
    for (const char* name : {"smax3", "smax3e", "smin1x", "Nj3", "jg3", "Bmin1", "Kc", "Gjtt"}) {
        EXPECT_EQ(findAnyField(name), nullptr) << name;
    }
    const std::vector<std::string_view> plain = {"HSt", "x1"};
    const std::vector<std::string_view> asking = {"HSt", "Kht"};
    EXPECT_FALSE(hasCheckInput(plain));
    EXPECT_TRUE(hasCheckInput(asking));
    // A reset brings the check's boxes back too.
    MemoryStore store = storeWith({{"hwt", "3"}, {"Bmin", "x"}, {"jg2e", "y"}});
    store.reset();
    EXPECT_EQ(store.text("hwt"), "0");
    EXPECT_EQ(store.text("Bmin"), "");
    EXPECT_EQ(store.text("jg2e"), "");
}

}  // namespace
}  // namespace tavorin
