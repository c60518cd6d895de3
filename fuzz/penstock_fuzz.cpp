// The penstock file on arbitrary bytes: the reader, the profile's check, the derivation and
// calculation of every row, and the writer. None throws or ends the program; a refused file
// gives no texts; what the writer writes reads back as the same texts; every row of a profile
// that was accepted is derived, and a derivation that stopped names a box.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "engine/fields.h"
#include "engine/penstock.h"
#include "fuzz/check.h"
#include "sheet/penstock_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const tavorin::PenstockParse parsed = tavorin::parsePenstock(bytes);
    if (!parsed.error.empty()) {
        FUZZ_CHECK(parsed.texts.points.empty(), "a refused file kept its points");
        FUZZ_CHECK(parsed.error.ends_with("。"), "a message ends in 。: %s", parsed.error.c_str());
        return 0;
    }
    // An independent parser agrees that it is JSON.
    FUZZ_CHECK(nlohmann::json::accept(bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes),
               "accepted bytes that are not JSON");

    const std::string written = tavorin::penstockJson(parsed.texts);
    const tavorin::PenstockParse again = tavorin::parsePenstock(written);
    FUZZ_CHECK(again.error.empty(), "the written file is refused: %s", again.error.c_str());
    FUZZ_CHECK(again.texts.line == parsed.texts.line && again.texts.points == parsed.texts.points,
               "the written file reads back otherwise");
    FUZZ_CHECK(tavorin::penstockJson(again.texts) == written, "writing twice differs");
    FUZZ_CHECK(tavorin::looksLikePenstock(written), "a written file is not told a penstock");

    const tavorin::PenstockRead read = tavorin::readPenstock(parsed.texts);
    if (!read.penstock) {
        FUZZ_CHECK(read.fault.message.ends_with("。") && !read.fault.key.empty(),
                   "a fault names its key: %s", read.fault.message.c_str());
        return 0;
    }
    tavorin::MemoryStore store;
    for (std::size_t row = 0; row < read.penstock->rows().size() && row < 64; ++row) {
        store.reset();
        const std::optional<tavorin::Fault> fault =
            tavorin::calculateRow(*read.penstock, row, store);
        FUZZ_CHECK(!fault || !fault->message.empty(), "a fault without a message");
    }
    return 0;
}
