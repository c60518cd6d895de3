// The calculate command with a record: the same store and fault as without, and a record
// whose steps are the formulas as evaluated.
#include "engine/record.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "engine/calculate.h"
#include "tests/random_cases.h"

namespace tavorin {
namespace {

using Texts = std::map<std::string, std::string>;

MemoryStore storeWith(const Texts& inputs) {
    MemoryStore store;
    for (const auto& [name, text] : inputs) store.replaceText(name, text);
    return store;
}

const RecordedStep* findStep(const CalcRecord& record, std::string_view name) {
    const RecordedStep* found = nullptr;
    for (const RecordedStep& step : record.steps) {
        if (step.name == name) found = &step;
    }
    return found;
}

TEST(Record, LeavesTheStoreAndTheFaultAsThePlainCommandDoes) {
    std::mt19937 random(9);
    int faults = 0;
    for (int i = 0; i < 2000; ++i) {
        const Texts inputs = randomCase(random);
        SCOPED_TRACE(testing::Message() << "case " << i);
        MemoryStore plain = storeWith(inputs);
        MemoryStore recorded = storeWith(inputs);
        const auto plainFault = calculate(plain);
        CalcRecord record;
        const auto recordedFault = calculate(recorded, record);
        ASSERT_EQ(plainFault.has_value(), recordedFault.has_value());
        if (plainFault) {
            ++faults;
            EXPECT_EQ(plainFault->message, recordedFault->message);
            ASSERT_TRUE(record.fault.has_value());
            EXPECT_FALSE(record.faultAt.empty());
        }
        for (const FieldSpec& f : fieldTable()) {
            ASSERT_EQ(plain.text(f.name), recorded.text(f.name)) << f.name;
        }
        // Every text the record says it wrote is the box's text now.
        for (const auto& [box, text] : record.written) EXPECT_EQ(recorded.text(box), text) << box;
        for (const RecordedStep& step : record.steps) {
            if (!step.box.empty()) {
                EXPECT_EQ(recorded.text(step.box), step.boxText) << step.name;
            }
        }
        EXPECT_EQ(record.blockName, inputs.at("Text1"));
    }
    // The generator reaches both ends.
    EXPECT_GT(faults, 100);
    EXPECT_LT(faults, 1900);
}

struct StepRow {
    const char* name;
    const char* formula;
    const char* substitution;
    const char* valueText;
};

void expectSteps(const CalcRecord& record, std::initializer_list<StepRow> rows) {
    for (const StepRow& row : rows) {
        SCOPED_TRACE(row.name);
        const RecordedStep* step = findStep(record, row.name);
        ASSERT_NE(step, nullptr);
        EXPECT_EQ(step->formula, row.formula);
        EXPECT_EQ(step->substitution, row.substitution);
        EXPECT_EQ(step->valueText, row.valueText);
    }
}

TEST(Record, WritesEachFormulaAsEvaluatedWithTheParenthesesItNeeds) {
    MemoryStore store = storeWith(
        {{"DA1t", "35.30"}, {"D1t", "1.2"}, {"kkt", "1"}, {"spjText", "30"}, {"k", "下侧"}});
    CalcRecord record;
    ASSERT_FALSE(calculate(store, record).has_value());
    expectSteps(
        record,
        {
            {"spj", "spj × π ÷ 180", "30 × 3.1416 ÷ 180", "0.5236"},
            {"a10", "((DA1 − ⌊DA1⌋) ÷ 60 × 100 + ⌊DA1⌋) × π ÷ 180",
             "((35.3 − ⌊35.3⌋) ÷ 60 × 100 + ⌊35.3⌋) × 3.1416 ÷ 180", "0.619593333333333"},
            {"qs", "π × ((D + 2 × DD)² − D²) ÷ 4 × 7.85",
             "3.1416 × ((1 + 2 × 0.014)² − 1²) ÷ 4 × 7.85", "0.35009550576"},
            {"a19", "π × D² × V² ÷ 4 ÷ g", "3.1416 × 1² × 3.8² ÷ 4 ÷ 9.81", "1.15608318042813"},
            {"a23", "−π × D² ÷ 4 × HS", "−3.1416 × 1² ÷ 4 × 152", "-119.3808"},
            {"a14", "0", "0", "0"},
            {"a29", "−π × D² × V² ÷ 4 ÷ g", "−3.1416 × 1² × 3.8² ÷ 4 ÷ 9.81", "-1.156083"},
            {"x2", "√((a2x + a4x × cos(spj))² + (a4x × sin(spj))²)",
             "√((81.3482204315342 + 29.1099849656697 × cos(0.5236))² + (29.1099849656697 "
             "× sin(0.5236))²)",
             "107.547647160706"},
            {"w1", "x1 × K ÷ fj − y1", "153.328337029425 × 1.5 ÷ 0.6 − 124.420088165791",
             "258.900754407772"},
            {"v1", "⌊w1 ÷ 2.4 × 100 + 0.5⌋ ÷ 100", "⌊258.900754407772 ÷ 2.4 × 100 + 0.5⌋ ÷ 100",
             "107.88"},
        });
    // The reducer force is computed, then replaced, and the box shows the replacement.
    const RecordedStep* zero = findStep(record, "a14");
    EXPECT_FALSE(zero->note.empty());
    EXPECT_EQ(zero->box, "a14text");
    EXPECT_EQ(zero->boxText, "0");
    // The self-weight's box shows it to the hundredth.
    const RecordedStep* a11 = findStep(record, "a11");
    EXPECT_EQ(a11->boxText, " 10.17");
    EXPECT_NE(a11->valueText, a11->boxText);
}

TEST(Record, SupportPierSignsAndAbsoluteValue) {
    MemoryStore store = storeWith({{"kj", "支墩"}});
    CalcRecord record;
    ASSERT_FALSE(calculate(store, record).has_value());
    expectSteps(record,
                {
                    {"P", "L1 × (qs + qsc)", "50 × (0.35009550576 + 0.286781162393563)",
                     "31.8438334076781"},
                    {"x1", "cos(a10) × (−a18) − sin(a10) × P",
                     "cos(0.610866666666667) × (−18.6028506894204) − "
                     "sin(0.610866666666667) × 31.8438334076781",
                     "-33.5034576770761"},
                    {"w1", "|x1| × K ÷ fj − y1",
                     "|(-33.5034576770761)| × 1.5 ÷ 0.6 − 15.414736570866", "68.3439076218243"},
                });
}

TEST(Record, StopsWhereTheCommandStops) {
    struct Row {
        const char* name;
        Texts inputs;
        const char* faultAt;
        const char* lastStep;  // the last step recorded, or "" for none
    };
    const Row rows[] = {
        {"no turning angle", {{"spjText", ""}}, "spjText", ""},
        {"head loss beyond single", {{"DHt", "1e39"}}, "DHt", ""},
        {"no foundation friction, anchor block", {{"fjt", "0"}}, "w1", "y1"},
        {"no foundation friction, support pier", {{"fjt", "0"}, {"kj", "支墩"}}, "w1", "y2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryStore store = storeWith(row.inputs);
        CalcRecord record;
        ASSERT_TRUE(calculate(store, record).has_value());
        EXPECT_EQ(record.faultAt, row.faultAt);
        if (*row.lastStep == '\0') {
            EXPECT_TRUE(record.steps.empty());
            // The input that faulted is recorded, with no value.
            ASSERT_FALSE(record.inputs.empty());
            EXPECT_EQ(record.inputs.back().box, row.faultAt);
            EXPECT_TRUE(record.inputs.back().valueText.empty());
        } else {
            ASSERT_FALSE(record.steps.empty());
            EXPECT_EQ(record.steps.back().name, row.lastStep);
        }
    }
}

TEST(Record, ARecordIsClearedForTheNextRun) {
    CalcRecord record;
    MemoryStore faulting = storeWith({{"fjt", "0"}});
    calculate(faulting, record);
    MemoryStore store;
    ASSERT_FALSE(calculate(store, record).has_value());
    EXPECT_FALSE(record.fault.has_value());
    EXPECT_TRUE(record.faultAt.empty());
    EXPECT_EQ(record.inputs.size(), 21u);
    EXPECT_EQ(record.choices.size(), 2u);
    EXPECT_EQ(*record.writtenText("v2"), "50.28");
}

}  // namespace
}  // namespace tavorin
