#include "cli/manual_text.h"

#include <gtest/gtest.h>

#include <string>

#include "cli/batch.h"
#include "engine/fields.h"

namespace tavorin {
namespace {

TEST(ManualText, RendersThePageAsText) {
    const struct {
        const char* page;
        std::size_t width;
        const char* text;
    } rows[] = {
        {".TH X 1\n.\\\" a comment\n.SH NAME\nx \\- does y\n.SH SYNOPSIS\n.B x\n"
         ".RI < \" in \" > \" out\"\n.br\n.B x\n.BR \\-\\-help \" | \" \\-\\-version\n",
         40, "x - does y\n\nUsage: x < in > out\n       x --help | --version\n"},
        // Filled to the width; a blank line between paragraphs, none after a heading.
        {".SH DESCRIPTION\n.PP\none two three\nfour five\n.PP\nsix", 20,
         "DESCRIPTION\n    one two three\n    four five\n\n    six\n"},
        // Wide characters take two columns: 13 columns hold two words of 4 after 4.
        {".SH S\n镇墩 镇墩 镇墩", 13, "S\n    镇墩 镇墩\n    镇墩\n"},
        // A tag shorter than its indent has the text beside it, a longer one above it.
        {".SH S\n.TP 6\n.B ab\nword\n.TQ\n.BR abc \", \" def\nword word", 16,
         "S\n    ab    word\n    abc, def\n          word\n          word\n"},
        // An example is not filled; .RS moves it in.
        {".SH S\ntext\n.RS 2\n.EX\na   b\n\n  c\n.EE\n.RE\nmore", 12,
         "S\n    text\n      a   b\n\n        c\n    more\n"},
        // Escapes; "\ " does not break; fonts leave nothing.
        {".SH S\n\\(lq计\\ \\ 算\\(rq \\fBm\\(S3\\fR \\e \\(aq\\(dq\\&", 12,
         "S\n    “计  算”\n    m³ \\ '\"\n"},
        // An unknown request gives its arguments; one that steers groff gives nothing.
        {".SH S\n.nh\n.XY some \"more words\"", 40, "S\n    some more words\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.page);
        EXPECT_EQ(manualText(row.page, row.width), row.text);
    }
}

// The help is the manual page: it fits 80 columns and names every box a line may give.
TEST(ManualText, TheHelpFitsAndNamesEveryInput) {
    const std::string help = batchUsage();
    for (std::size_t at = 0; at < help.size();) {
        const std::size_t end = help.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(displayWidth(std::string_view(help).substr(at, end - at)), 78u)
            << help.substr(at, end - at);
        at = end + 1;
    }
    // A box of a list: its name as a word at the start of a line, or after another's.
    const auto listed = [&](std::string_view name) {
        for (const std::string_view before : {"\n    ", ", "}) {
            for (const char after : {' ', ','}) {
                if (help.find(std::string(before) + std::string(name) + after) !=
                    std::string::npos) {
                    return true;
                }
            }
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

}  // namespace
}  // namespace tavorin
