// The readers take a text apart in place: reading allocates nothing, whatever its length.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "engine/numeric_text.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// The replacements pair malloc with free on purpose; GCC 12 still takes the inlined pair
// for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace tavorin {
namespace {

TEST(Readers, AllocateNothing) {
    const std::string texts[] = {
        "152",
        " 1 52 ",
        "&HFFFF",
        "&o" + std::string(1000, '7'),
        "1" + std::string(1'000'000, '0') + "e-1000001",
        "-0." + std::string(100'000, '3') + "E+5",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 40));
        const long before = allocations;
        readLenient(text);
        convertStrictDouble(text);
        convertStrictSingle(text);
        EXPECT_EQ(allocations - before, 0);
    }
}

}  // namespace
}  // namespace tavorin
