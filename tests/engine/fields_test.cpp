#include "engine/fields.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/calculate.h"
#include "engine/field_io.h"

namespace tavorin {
namespace {

TEST(FindField, EveryControlByItsNameAndNothingElse) {
    for (const FieldSpec& f : fieldTable()) {
        SCOPED_TRACE(std::string(f.name));
        const FieldSpec* found = findField(f.name);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->name, f.name);
        const std::optional<FieldId> id = FieldId::find(f.name);
        ASSERT_TRUE(id.has_value());
        EXPECT_EQ(&id->spec(), found);
        // Near misses: one character more, fewer ("kj" less one is "k"), or changed.
        std::string name(f.name);
        EXPECT_EQ(findField(name + "x"), nullptr);
        const std::string shorter = name.substr(0, name.size() - 1);
        const FieldSpec* other = findField(shorter);
        if (other != nullptr) {
            EXPECT_EQ(other->name, shorter);
        }
        name.back() = name.back() == '#' ? '$' : '#';
        EXPECT_EQ(findField(name), nullptr);
    }
    for (const char* name : {"", "a10text", "a1text", "x3", "Label2", "label25", "HST", "kk"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(findField(name), nullptr);
        EXPECT_FALSE(FieldId::find(name).has_value());
    }
}

TEST(FieldId, ANameWrittenInTheCodeIsItsRow) {
    constexpr FieldId hs = "HSt";
    constexpr FieldId label = "Label25";
    static_assert(hs.name() == "HSt" && label.spec().role == FieldRole::Caption);
    EXPECT_EQ(&hs.spec(), findField("HSt"));
    EXPECT_EQ(fieldTable()[label.row()].name, "Label25");
}

TEST(MemoryStore, OperationsByRowMatchThoseByName) {
    MemoryStore byName;
    MemoryStore byRow;
    std::string scratch;
    for (const FieldSpec& f : fieldTable()) {
        SCOPED_TRACE(std::string(f.name));
        const FieldId id = *FieldId::find(f.name);
        const bool caption = f.role == FieldRole::Caption;
        std::string_view text;
        EXPECT_EQ(byRow.readById(id, scratch, text), !caption);
        if (!caption) {
            EXPECT_EQ(text, f.defaultText);
        }
        const std::string value = "new " + std::string(f.name);
        EXPECT_EQ(byRow.replaceById(id, value), byName.replaceText(f.name, value));
        EXPECT_EQ(byRow.setCaptionById(id, value), byName.setCaption(f.name, value));
        EXPECT_EQ(byRow.text(f.name), byName.text(f.name));
        EXPECT_EQ(byRow.textAt(id), value);
    }
    byRow.reset();
    for (const FieldSpec& f : fieldTable()) EXPECT_EQ(byRow.text(f.name), f.defaultText);
    // A reset after a calculation and a few changes is the start state again.
    byRow.replaceText("HSt", "7");
    calculate(byRow);
    byRow.replaceText("kj", kSupportPier);
    byRow.give("Kct", std::string(100, '7'));
    EXPECT_EQ(byRow.text("Kct"), std::string(100, '7'));
    byRow.reset();
    byRow.reset();
    for (const FieldSpec& f : fieldTable()) EXPECT_EQ(byRow.text(f.name), f.defaultText);
    EXPECT_EQ(byRow.text("Kct"), "1.5");
}

// A store that knows only names, as a window's does, plus one control outside the table.
class NameOnlyStore final : public FieldStore {
  public:
    MemoryStore memory;
    std::string extra = "7.5";
    bool readText(std::string_view name, std::string& text) override {
        if (name == "extra") {
            text = extra;
            return true;
        }
        return memory.readText(name, text);
    }
    bool replaceText(std::string_view name, std::string_view text) override {
        if (name == "extra") {
            extra = text;
            return true;
        }
        return memory.replaceText(name, text);
    }
    bool setCaption(std::string_view name, std::string_view caption) override {
        return memory.setCaption(name, caption);
    }
};

TEST(FieldIo, NamesHeldInVariablesReachTheSameBoxes) {
    NameOnlyStore store;
    FieldIo io(store, ".");
    const std::string hs = "HSt";
    const char* v = "Vt";
    EXPECT_EQ(io.readLenient(hs).value(), 152);
    EXPECT_EQ(io.readLenient(v).value(), io.readLenient("Vt").value());
    io.write(std::string_view("x1"), Real(2.5));
    EXPECT_EQ(store.memory.text("x1"), "2.5");
    // A name outside the table goes to the store, which decides.
    const std::string extra = "extra";
    EXPECT_EQ(io.readStrict(extra).value(), 7.5);
    io.write(extra, Value::of(Real(1.0 / 3)));
    EXPECT_EQ(store.extra, "0.333333333333333");
    const std::string unknown = "HS";
    try {
        io.readLenient(unknown);
        ADD_FAILURE() << "no fault";
    } catch (const CalcFault& fault) {
        EXPECT_EQ(fault.kind, FaultKind::FieldAccess);
        EXPECT_EQ(fault.box, "HS");
    }
    // A caption label is no box, and a box no caption label.
    EXPECT_THROW(io.write("Label25", "x"), CalcFault);
    EXPECT_THROW(io.setCaption("x1", "x"), CalcFault);
}

}  // namespace
}  // namespace tavorin
