#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "cli/batch.h"
#include "engine/fields.h"

namespace tavorin {
namespace {

// Columns of UTF-8 `line` on a terminal: two for the wide and full-width characters the
// help may hold (CJK, its punctuation, full-width forms), one for any other.
std::size_t columns(std::string_view line) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < line.size();) {
        const auto lead = static_cast<unsigned char>(line[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < line.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(line[i + k]) & 0x3F);
        }
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
        n += wide ? 2 : 1;
        i += length;
    }
    return n;
}

// --help is short: at most 40 lines, none wider than the 78 columns groff sets it in.
TEST(Help, FitsOneScreen) {
    const std::string help = batchUsage();
    ASSERT_FALSE(help.empty());
    ASSERT_EQ(help.back(), '\n');
    std::size_t lines = 0;
    for (std::size_t at = 0; at < help.size(); ++lines) {
        const std::size_t end = help.find('\n', at);
        const std::string_view line = std::string_view(help).substr(at, end - at);
        EXPECT_LE(columns(line), 78u) << line;
        at = end + 1;
    }
    EXPECT_LE(lines, 40u);
}

// Each manual page of tavorin-calc names every box a line may give, as a list item: `.B name`
// or within `.BR name ", " name`.
TEST(ManualPages, NameEveryInputBox) {
    for (const char* page : {"tavorin-calc.1", "zh_CN/tavorin-calc.1"}) {
        SCOPED_TRACE(page);
        std::ifstream in(std::string(TAVORIN_MAN_DIR) + "/" + page, std::ios::binary);
        ASSERT_TRUE(in) << "cannot read the page";
        std::stringstream text;
        text << in.rdbuf();
        const std::string source = text.str();
        const auto listed = [&](std::string_view name) {
            const std::string n(name);
            for (const std::string& item :
                 {"\n.B " + n + "\n", "\n.BR " + n + " \", \"", "\", \" " + n + "\n"}) {
                if (source.find(item) != std::string::npos) return true;
            }
            return false;
        };
        for (const auto& table : {fieldTable(), checkFieldTable()}) {
            for (const FieldSpec& f : table) {
                if (f.role == FieldRole::Input || f.role == FieldRole::Choice) {
                    EXPECT_TRUE(listed(f.name)) << f.name;
                }
            }
        }
    }
}

}  // namespace
}  // namespace tavorin
