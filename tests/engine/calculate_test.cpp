#include "engine/calculate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "engine/input_case.h"
#include "engine/numeric_text.h"

namespace tavorin {
namespace {

using Texts = std::map<std::string, std::string>;

// The texts of every output box after the default calculation (anchor block).
const Texts kDefaultResults = {
    {"a11text", " 10.04"},
    {"a12text", ""},
    {"a13text", "119.3808"},
    {"a14text", "0"},
    {"a15text", "6.59736"},
    {"a16text", "0.7854"},
    {"a17text", "19.67395584"},
    {"a18text", "18.6028506894204"},
    {"a19text", "1.15608318042813"},
    {"a21text", " 1.87"},
    {"a22text", "0"},
    {"a23text", "-119.3808"},
    {"a24text", "0"},
    {"a25text", "-8.79648"},
    {"a26text", ""},
    {"a27text", "-19.67395584"},
    {"a28text", ""},
    {"a29text", "-1.156083"},
    {"aa1text", "176.236796821571"},
    {"aa2text", "99.6831837627299"},
    {"aa3text", "-147.135692335842"},
    {"aa4text", "-107.7878"},
    {"x1", "77.5667185956496"},
    {"y1", "-30.0135534710018"},
    {"w1", "223.930349960126"},
    {"v1", "93.3"},
    {"x2", "32.7212205739526"},
    {"y2", "-38.863699759729"},
    {"w2", "120.666751194611"},
    {"v2", "50.28"},
};

std::vector<std::string> outputBoxes() {
    std::vector<std::string> names;
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Output) names.emplace_back(f.name);
    }
    return names;
}

// A memory store that records every write and caption, and fails the operation on one name.
class RecordingStore final : public FieldStore {
  public:
    MemoryStore memory;
    std::vector<std::string> log;
    std::string failOn;

    bool readText(std::string_view name, std::string& text) override {
        if (name == failOn) return false;
        return memory.readText(name, text);
    }
    bool replaceText(std::string_view name, std::string_view text) override {
        if (name == failOn) return false;
        log.emplace_back(name);
        return memory.replaceText(name, text);
    }
    bool setCaption(std::string_view name, std::string_view caption) override {
        if (name == failOn) return false;
        log.emplace_back(name);
        return memory.setCaption(name, caption);
    }
};

struct Case {
    const char* name;
    Texts inputs;
    Texts expected;  // differences from the default results
};

MemoryStore run(const Texts& inputs, std::optional<Fault>* fault = nullptr) {
    MemoryStore store;
    for (const auto& [name, text] : inputs) EXPECT_TRUE(store.replaceText(name, text)) << name;
    const auto f = calculate(store);
    if (fault != nullptr) *fault = f;
    return store;
}

TEST(Calculate, WritesEveryResultText) {
    const Case cases[] = {
        {"default anchor block", {}, {}},
        {"support pier",
         {{"kj", "支墩"}},
         {{"x1", "-33.5034576770761"},
          {"x2", "-3.02636181739306"},
          {"y1", "15.414736570866"},
          {"y2", "36.7550937152805"},
          {"w1", "68.3439076218243"},
          {"w2", "-29.1891891717978"},
          {"v1", "28.48"},
          {"v2", "-12.16"}}},
        {"turned anchor block with plug and lower reducer",
         {{"DA1t", "35.30"}, {"D1t", "1.2"}, {"kkt", "1"}, {"spjText", "30"}, {"k", "下侧"}},
         {{"a11text", " 10.17"},
          {"a18text", "18.4884711378914"},
          {"a22text", "119.3808"},
          {"a24text", "52.527552"},
          {"aa1text", "176.247165554897"},
          {"aa2text", "99.9223115991145"},
          {"aa3text", "24.7726596641582"},
          {"aa4text", "64.12057"},
          {"x1", "153.328337029425"},
          {"y1", "124.420088165791"},
          {"w1", "258.900754407772"},
          {"v1", "107.88"},
          {"x2", "107.547647160706"},
          {"y2", "115.157225015821"},
          {"w2", "153.711892885944"},
          {"v2", "64.05"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<Fault> fault;
        const MemoryStore store = run(c.inputs, &fault);
        EXPECT_FALSE(fault.has_value()) << (fault ? fault->message : "");
        EXPECT_EQ(store.text("Label25"), "计算结果:");
        for (const auto& [box, text] : c.inputs) EXPECT_EQ(store.text(box), text) << box;
        for (const auto& [box, text] : kDefaultResults) {
            const auto changed = c.expected.find(box);
            EXPECT_EQ(store.text(box), changed == c.expected.end() ? text : changed->second) << box;
        }
    }
}

TEST(Calculate, PlugForceScalesWithTheSwitch) {
    // a22 is the full bend pressure times kk.
    EXPECT_EQ(run({{"kkt", "1"}}).text("a22text"), "119.3808");
    EXPECT_EQ(run({{"kkt", "2"}}).text("a22text"), "238.7616");
    EXPECT_EQ(run({{"kkt", "-0.5"}}).text("a22text"), "-59.6904");
}

TEST(Calculate, NoFlowGivesNoCentrifugalForce) {
    const MemoryStore store = run({{"Vt", ""}});
    EXPECT_EQ(store.text("a19text"), "0");
    EXPECT_EQ(store.text("a29text"), "0");
}

TEST(Calculate, ReducerSideChoosesWhichForceIsZeroed) {
    // With d1 = 1.2 and d2 = 1 the reducer force is (π/4)(1.44 − 1) × 152 = 52.527552.
    const struct {
        const char* k;
        const char* a14;
        const char* a24;
    } rows[] = {
        {"上侧", "52.527552", "0"},          {"下侧", "0", "52.527552"},
        {" 上侧", "52.527552", "52.527552"}, {"下侧 ", "52.527552", "52.527552"},
        {"", "52.527552", "52.527552"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.k);
        const MemoryStore store = run({{"D1t", "1.2"}, {"k", row.k}});
        EXPECT_EQ(store.text("a14text"), row.a14);
        EXPECT_EQ(store.text("a24text"), row.a24);
    }
    // Equal diameters: no reducer force on either side, whatever the choice says.
    for (const char* k : {"上侧", "下侧", "abc"}) {
        const MemoryStore store = run({{"D1t", "0.8"}, {"D2t", "0.8"}, {"k", k}});
        EXPECT_EQ(store.text("a14text"), "0") << k;
        EXPECT_EQ(store.text("a24text"), "0") << k;
    }
}

TEST(Calculate, AnyOtherStructureTextUsesTheAnchorBlockRules) {
    for (const char* kj : {"镇墩", "支墩 ", "abc", ""}) {
        EXPECT_EQ(run({{"kj", kj}}).text("x1"), "77.5667185956496") << kj;
    }
}

TEST(Calculate, SecondRunShowsTheSameTexts) {
    MemoryStore store;
    ASSERT_FALSE(calculate(store));
    const MemoryStore first = store;
    ASSERT_FALSE(calculate(store));
    for (const FieldSpec& f : fieldTable()) EXPECT_EQ(store.text(f.name), first.text(f.name));
}

TEST(Calculate, WritesInTheDocumentedOrder) {
    const std::vector<std::string> tail = {"Label25", "a12text", "a13text", "a14text", "a15text",
                                           "a16text", "a17text", "a18text", "a19text", "a22text",
                                           "a23text", "a24text", "a25text", "a26text", "a27text",
                                           "a28text", "a29text", "aa1text", "aa2text", "aa3text",
                                           "aa4text", "a11text", "a21text", "v1",      "v2"};
    const struct {
        const char* kj;
        std::vector<std::string> sizing;
    } rows[] = {
        {"镇墩", {"x1", "y1", "w1", "x2", "y2", "w2"}},
        {"支墩", {"x1", "x2", "y1", "y2", "w1", "w2"}},
    };
    for (const auto& row : rows) {
        RecordingStore store;
        store.memory.replaceText("kj", row.kj);
        ASSERT_FALSE(calculate(store));
        std::vector<std::string> expected = row.sizing;
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(store.log, expected) << row.kj;
    }
}

// Gives every output box and Label25 a text of its own, so that a test can tell which
// ones a faulted run wrote.
void markOutputs(FieldStore& store) {
    for (const std::string& box : outputBoxes()) store.replaceText(box, "old " + box);
    store.setCaption("Label25", "old caption");
}

struct FaultCase {
    const char* name;
    Texts inputs;
    FaultKind kind;
    const char* box;                   // the box the fault names, or ""
    const char* messagePart;           // a part of the message
    std::vector<std::string> written;  // the boxes written before the fault
};

TEST(Calculate, StopsAtTheFirstFaultAndKeepsWhatWasWritten) {
    const FaultCase cases[] = {
        {"empty turning angle",
         {{"spjText", ""}},
         FaultKind::TypeMismatch,
         "spjText",
         "类型不匹配：“水平转角（度）”",
         {}},
        {"turning angle with a unit",
         {{"spjText", "30度"}},
         FaultKind::TypeMismatch,
         "spjText",
         "水平转角（度）",
         {}},
        {"turning angle beyond the single range",
         {{"spjText", "1e39"}},
         FaultKind::Overflow,
         "spjText",
         "溢出",
         {}},
        {"design head beyond the double range",
         {{"HSt", "1e400"}},
         FaultKind::Overflow,
         "HSt",
         "溢出：“设计水头(米)”",
         {}},
        {"head loss beyond the single range",
         {{"DHt", "1e39"}},
         FaultKind::Overflow,
         "DHt",
         "水头摩擦损失(米)",
         {}},
        {"zero foundation friction, anchor block",
         {{"fjt", "0"}},
         FaultKind::DivisionByZero,
         "fjt",
         "除数为零：“镇墩(支墩)与地基摩擦系数”",
         {"x1", "y1"}},
        {"empty foundation friction reads as zero",
         {{"fjt", ""}},
         FaultKind::DivisionByZero,
         "fjt",
         "除数为零",
         {"x1", "y1"}},
        {"zero foundation friction, support pier",
         {{"fjt", "0"}, {"kj", "支墩"}},
         FaultKind::DivisionByZero,
         "fjt",
         "镇墩(支墩)与地基摩擦系数",
         {"x1", "x2", "y1", "y2"}},
        {"forces beyond the double range",
         {{"HSt", "1e300"}},
         FaultKind::Overflow,
         "",
         "溢出：计算结果超出数值范围。",
         {}},
        {"weight beyond the double range",
         {{"fjt", "1e-308"}},
         FaultKind::Overflow,
         "",
         "溢出",
         {"x1", "y1"}},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStore store;
        markOutputs(store);
        for (const auto& [name, text] : c.inputs) store.replaceText(name, text);
        const auto fault = calculate(store);
        ASSERT_TRUE(fault.has_value());
        EXPECT_EQ(fault->kind, c.kind);
        EXPECT_EQ(fault->box, c.box);
        EXPECT_NE(fault->message.find(c.messagePart), std::string::npos) << fault->message;
        EXPECT_EQ(store.text("Label25"), "old caption");
        for (const std::string& box : outputBoxes()) {
            const bool written =
                std::find(c.written.begin(), c.written.end(), box) != c.written.end();
            EXPECT_EQ(store.text(box) == "old " + box, !written) << box;
        }
        for (const auto& [name, text] : c.inputs) EXPECT_EQ(store.text(name), text);
    }
}

TEST(Calculate, WindowStillCalculatesAfterAFault) {
    MemoryStore store;
    store.replaceText("spjText", "");
    ASSERT_TRUE(calculate(store));
    store.replaceText("spjText", "0");
    ASSERT_FALSE(calculate(store));
    EXPECT_EQ(store.text("w1"), "223.930349960126");
}

TEST(Calculate, AFailedFieldAccessStopsTheCommand) {
    const struct {
        const char* failOn;
        bool writing;
        std::vector<std::string> logged;
    } rows[] = {
        {"HSt", false, {}},
        {"spjText", false, {}},
        {"k", false, {}},
        {"x1", true, {}},
        {"w1", true, {"x1", "y1"}},
        {"Label25", true, {"x1", "y1", "w1", "x2", "y2", "w2"}},
        {"a13text", true, {"x1", "y1", "w1", "x2", "y2", "w2", "Label25", "a12text"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.failOn);
        RecordingStore store;
        store.failOn = row.failOn;
        const auto fault = calculate(store);
        ASSERT_TRUE(fault.has_value());
        EXPECT_EQ(fault->kind, FaultKind::FieldAccess);
        EXPECT_EQ(fault->box, row.failOn);
        EXPECT_NE(fault->message.find(row.writing ? "无法写入" : "无法读取"), std::string::npos)
            << fault->message;
        EXPECT_EQ(store.log, row.logged);
    }
}

TEST(Calculate, AForceBoxThatNoLongerHoldsANumberIsATypeMismatch) {
    // A store that shows something else than was written: the read-back fails strictly.
    class Garbling final : public FieldStore {
      public:
        MemoryStore memory;
        bool readText(std::string_view name, std::string& text) override {
            if (name == "y1") {
                text = "garbled";
                return true;
            }
            return memory.readText(name, text);
        }
        bool replaceText(std::string_view name, std::string_view text) override {
            return memory.replaceText(name, text);
        }
        bool setCaption(std::string_view name, std::string_view caption) override {
            return memory.setCaption(name, caption);
        }
    } store;
    const auto fault = calculate(store);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->kind, FaultKind::TypeMismatch);
    EXPECT_EQ(fault->box, "y1");
    EXPECT_NE(fault->message.find("温度升高 垂直作用力(t)"), std::string::npos);
}

TEST(Calculate, TheDropCaseForceIsTheLengthOfTheTurnedSum) {
    // A steep upper pipe and a flat lower one make the signed drop-case sum negative; the
    // horizontal force is its length, and the weight follows from it.
    for (const char* spj : {"0", "45"}) {
        SCOPED_TRACE(spj);
        const MemoryStore store = run({{"DA1t", "80"}, {"DA2t", "0"}, {"spjText", spj}});
        const double aa2 = convertStrictDouble(store.text("aa2text")).value;
        const double aa4 = convertStrictDouble(store.text("aa4text")).value;
        const double b1 = std::cos(80 * 3.1416 / 180) * aa2;
        const double turn = std::stod(spj) * 3.1416 / 180;
        const double b3 = aa4;
        ASSERT_LT(b1 + b3, 0);
        const double expected = std::hypot(b1 + b3 * std::cos(turn), b3 * std::sin(turn));
        // aa4 is shown to 7 digits only, hence the tolerance.
        const double x2 = convertStrictDouble(store.text("x2")).value;
        EXPECT_NEAR(x2, expected, 1e-6 * expected);
        const double y2 = convertStrictDouble(store.text("y2")).value;
        const double w2 = convertStrictDouble(store.text("w2")).value;
        EXPECT_NEAR(w2, x2 * 1.5 / 0.6 - y2, 1e-9 * std::fabs(w2));
        EXPECT_GT(w2, 0);
    }
}

TEST(Calculate, WithoutTurnTheRiseForceIsTheAbsoluteSumOfProjections) {
    const MemoryStore straight = run({});
    const double a10 = 35 * 3.1416 / 180;
    const double a20 = 63 * 3.1416 / 180;
    const double aa1 = convertStrictDouble(straight.text("aa1text")).value;
    const double aa3 = convertStrictDouble(straight.text("aa3text")).value;
    const double sum = std::fabs(std::cos(a10) * aa1 + std::cos(a20) * aa3);
    EXPECT_NEAR(convertStrictDouble(straight.text("x1")).value, sum, 1e-6);
    const MemoryStore turned = run({{"spjText", "30"}});
    EXPECT_NE(turned.text("x1"), straight.text("x1"));
    EXPECT_EQ(turned.text("y1"), straight.text("y1"));
}

TEST(PipeAngle, ReadsDegreesAndMinutes) {
    const double toRadians = 3.1416 / 180;
    const struct {
        double typed;
        double degrees;
    } rows[] = {
        {35, 35}, {35.30, 35.5},   {35.5, 35 + 50.0 / 60}, {35.75, 36.25},
        {0, 0},   {-10.30, -10.5}, {-0.30, -0.5},          {-35, -35},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_NEAR(pipeAngle(row.typed).value(), row.degrees * toRadians, 1e-13);
    }
}

}  // namespace
}  // namespace tavorin
