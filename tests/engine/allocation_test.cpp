// The calculate command allocates nothing on a store that is used again. This program
// replaces the global operator new, so it is a test executable of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/calculate.h"
#include "engine/check.h"
#include "engine/numeric_text.h"

namespace {
// Allocations while counting is on, on this thread.
thread_local bool counting = false;
thread_local long allocations = 0;
}  // namespace

// The counting operators pair malloc with free themselves.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace tavorin {
namespace {

// Allocations made by `work`.
template <class Work>
long allocationsOf(Work&& work) {
    allocations = 0;
    counting = true;
    work();
    counting = false;
    return allocations;
}

TEST(Allocation, TheCounterSeesAHeapString) {
    // A check that the counting works at all: a text longer than the short-string buffer.
    std::string text;
    EXPECT_EQ(allocationsOf([&] { text.assign(100, 'x'); }), 1);
}

using Inputs = std::vector<std::pair<const char*, std::string>>;

// Cases with short and long texts, both structures, both reducer sides, turned blocks and
// results of every length and form.
std::vector<Inputs> cases() {
    std::vector<Inputs> all = {
        {},
        {{"kj", "支墩"}},
        {{"DA1t", "35.30"}, {"D1t", "1.2"}, {"kkt", "1"}, {"spjText", "30"}, {"k", "下侧"}},
        {{"HSt", " 1 52.000000000000000000001 m"}, {"DDt", "1.4e-2"}, {"Vt", "&H3"}},
        {{"HSt", "1e14"}, {"Dt", "123.456789"}, {"L1t", "0.000001"}, {"spjText", "-45.5"}},
        {{"HSt", "1e-9"}, {"DDt", "1e-9"}, {"Vt", "1e-9"}, {"DA1t", "-10.30"}},
        {{"fjt", "1e-200"}, {"H1t", "987654321.123456789"}, {"kj", "支墩"}},
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<double> head(1, 900);
    std::uniform_real_distribution<double> angle(-80, 80);
    for (int i = 0; i < 40; ++i) {
        all.push_back({{"HSt", std::to_string(head(random))},
                       {"DA1t", std::to_string(angle(random))},
                       {"DA2t", std::to_string(angle(random))},
                       {"spjText", std::to_string(angle(random))},
                       {"kj", i % 3 == 0 ? "支墩" : "镇墩"},
                       {"k", i % 2 == 0 ? "上侧" : "下侧"}});
    }
    return all;
}

// What the number readers allocate for the texts one command reads: the 20 lenient inputs,
// the turning angle, and the force and weight texts read back by the sizing.
long readerAllocations(const MemoryStore& store) {
    return allocationsOf([&] {
        for (const FieldSpec& f : fieldTable()) {
            if (f.role != FieldRole::Input || f.name == "Text1") continue;
            const std::string& text = store.text(f.name);
            if (f.name == "spjText") {
                convertStrictSingle(text);
            } else {
                readLenient(text);
            }
        }
        for (const char* box : {"x1", "y1", "x2", "y2", "w1", "w2"}) {
            convertStrictDouble(store.text(box));
        }
    });
}

TEST(Allocation, NoneInACalculationOnAStoreUsedAgain) {
    // The command allocates nothing of its own: no more than the readers do for the texts
    // it reads (which read in place, allocating nothing).
    MemoryStore store;
    calculate(store);
    for (const Inputs& inputs : cases()) {
        store.reset();
        for (const auto& [name, text] : inputs) store.replaceText(name, text);
        std::optional<Fault> fault;
        const long count = allocationsOf([&] { fault = calculate(store); });
        SCOPED_TRACE(inputs.empty() ? std::string("default case") : inputs.front().second);
        ASSERT_FALSE(fault.has_value()) << fault->message;
        EXPECT_EQ(count, readerAllocations(store));
    }
}

TEST(Allocation, NoneInACheckOnAStoreUsedAgain) {
    // The worked example, a failing verdict of every check in each row, a given weight, a
    // search that finds no base, and one whose trials fault.
    const std::vector<Inputs> checks = {
        {{"Bjt", "6"}, {"Ljt", "5"}, {"Hjt", "4"}, {"hpt", "2.5"}, {"Rjt", "50"}, {"Kht", "0.1"}},
        {{"Bjt", "1"}, {"Ljt", "1"}, {"Hjt", "1"}, {"hpt", "9"}, {"Rjt", "1"}, {"Kht", "0.5"}},
        {{"Bjt", "6"}, {"Ljt", "5"}, {"Gjt", "300"}, {"hgt", "2"}, {"hpt", "2.5"}},
        {{"Bjt", "2"}, {"Ljt", "1"}, {"Hjt", "1"}, {"hpt", "0"}, {"hwt", "2.4"}},
        // Kh × G overflows at every trial B ≥ 0.1, not at B = 0.001.
        {{"Bjt", "0.001"},
         {"Ljt", "1"},
         {"Hjt", "100"},
         {"hpt", "0"},
         {"hgt", "0"},
         {"Kht", "1e308"}},
    };
    MemoryStore store;
    for (const Inputs& inputs : checks) {
        store.reset();
        for (const auto& [name, text] : inputs) store.replaceText(name, text);
        ASSERT_FALSE(calculate(store).has_value());
        std::optional<Fault> fault;
        const long count = allocationsOf([&] { fault = checkStability(store); });
        SCOPED_TRACE(inputs.front().second);
        ASSERT_FALSE(fault.has_value()) << fault->message;
        EXPECT_EQ(count, 0);
    }
    EXPECT_EQ(store.text("Bmin"), "—");  // every trial faulted
}

TEST(Allocation, NoneInTheBufferedTextForms) {
    const double values[] = {0, 119.3808, -1.23456789012346e15, 5.6789e-12, 1e-300, 1e30};
    for (const double v : values) {
        std::size_t written = 0;
        EXPECT_EQ(allocationsOf([&] {
                      written += generalText(v).size();
                      written += generalText(static_cast<float>(v)).size();
                      written += leadingBlankText(v).size();
                  }),
                  0);
        EXPECT_EQ(written, generalForm(v).size() + generalForm(static_cast<float>(v)).size() +
                               leadingBlankForm(v).size());
    }
}

}  // namespace
}  // namespace tavorin
