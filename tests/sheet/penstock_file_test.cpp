// Penstock files: what is refused and how it is named, what round-trips, and the whole line's
// sheet.
#include "sheet/penstock_file.h"

#include <gtest/gtest.h>

#include <string>

#include "sheet/penstock_sheet.h"

namespace tavorin {
namespace {

constexpr std::string_view kExample =
    R"({"Zwt":"1030","Qt":"12","dHt":"60","points":[{"X":"0","Z":"1000","D":"2","DD":"0.02"},)"
    R"({"X":"100","Z":"950","D":"2","DD":"0.02","name":"甲"},)"
    R"({"X":"300","Z":"800","D":"1.8","DD":"0.018"},{"X":"400","Z":"790"}]})";

TEST(PenstockFile, RefusesWhatIsNotAPenstockNamingWhereAndWhat) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"", "文件为空。"},
        {"{\"Zwt\":\"1\"", "不是有效的 JSON（在第 11 个字节处意外结束）。"},
        {"[1]",
         "不是一个 JSON 对象；应为 {\"Zwt\": \"1030\", \"Qt\": \"12\", \"points\": [{…}, …]}。"},
        {R"({"Zwt":1030})", "“Zwt”的值不是文字（应加引号，如 \"100\"）。"},
        {R"({"Zwt":1e400})", "数值超出范围（第 8 个字节）。"},
        {R"({"Zw":"1030"})", "“Zw”不是管线文件的键。"},
        {R"({"points":{}})", "“points”应为点的数组。"},
        {R"({"points":[{},"x"]})", "“points”的第 2 项不是 JSON 对象。"},
        // A point's problem names it, with a name given after the key at fault too.
        {R"({"points":[{},{"Zz":"1","name":"甲"}]})", "第2点“甲”：“Zz”不是点的键。"},
        {R"({"points":[{"X":["0"]}]})",
         "第1点“0号镇墩”：“X”的值不是文字（应加引号，如 \"100\"）。"},
        // A later "points" replaces the array the faulty point stood in.
        {R"({"points":[{},{},{"Zz":"1"}],"points":[{}]})", "第3点“2号镇墩”：“Zz”不是点的键。"},
        // An error of the JSON comes before any problem of a key.
        {R"({"Zw":"1030",})", "不是有效的 JSON（第 14 个字节处有误，从 \"}\" 起）。"},
        {"{\"Text1\":\"\xC3\"}", "不是 UTF-8 编码的文字（第 11 个字节）。"},
    };
    for (const auto& [bytes, message] : rows) {
        const PenstockParse parsed = parsePenstock(bytes);
        EXPECT_EQ(parsed.error, message) << bytes;
        EXPECT_TRUE(parsed.texts.points.empty()) << bytes;
    }
}

TEST(PenstockFile, WritesWhatItReadsAndReadsWhatItWrites) {
    PenstockParse parsed = parsePenstock("\xEF\xBB\xBF" + std::string(kExample));
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.texts.points.size(), 4u);
    EXPECT_EQ(parsed.texts.points[1][PointKey::name], "甲");
    // Texts that need escapes, a later key winning, an empty point.
    parsed.texts.line[LineKey::Text1] = "管线 \"一\"\\\t";
    parsed.texts.points.emplace_back();
    const std::string json = penstockJson(parsed.texts);
    EXPECT_TRUE(json.starts_with(R"({"Text1":"管线 \"一\"\\\t","Zwt":"1030","Qt":"12",)")) << json;
    const PenstockParse again = parsePenstock(json);
    ASSERT_EQ(again.error, "");
    EXPECT_EQ(again.texts.line, parsed.texts.line);
    EXPECT_EQ(again.texts.points, parsed.texts.points);
    EXPECT_EQ(penstockJson(again.texts), json);
    EXPECT_EQ(parsePenstock(R"({"Zwt":"1","Zwt":"2"})").texts.line[LineKey::Zwt], "2");
}

TEST(PenstockFile, TellsAPenstockFromACase) {
    EXPECT_TRUE(looksLikePenstock(kExample));
    EXPECT_TRUE(looksLikePenstock(R"({"Text1":"x","points":[]})"));
    EXPECT_FALSE(looksLikePenstock(R"({"Text1":"x","HSt":"152"})"));
    EXPECT_FALSE(looksLikePenstock(R"({"HSt":{"points":1}})"));
    EXPECT_FALSE(looksLikePenstock("not json"));
}

// The whole line's sheet holds the drawing, the tables of every row and each row's sections
// with its derivation, and is well-formed where it counts (every tag it opens, it closes).
TEST(PenstockSheet, HoldsTheLineAndEveryRow) {
    const PenstockParse parsed = parsePenstock(kExample);
    const PenstockRead read = readPenstock(parsed.texts);
    ASSERT_TRUE(read.penstock);
    const std::string html = penstockSheet(*read.penstock);
    for (const std::string_view part :
         {"<svg ", "二、管线纵剖面", "四、各镇墩（支墩）计算结果", ">甲</text>", ">2号镇墩</text>",
          "由管线纵剖面推求的输入", "26.3389934339467", "276.956743968567"}) {
        EXPECT_NE(html.find(part), std::string::npos) << part;
    }
    const auto count = [&](std::string_view s) {
        std::size_t n = 0;
        for (std::size_t at = 0; (at = html.find(s, at)) != std::string::npos; at += s.size()) ++n;
        return n;
    };
    EXPECT_EQ(count("<div class=\"block"), 3u);  // the line, then its two blocks
    EXPECT_EQ(count("<table"), count("</table>"));
    EXPECT_EQ(count("<svg"), count("</svg>"));
}

}  // namespace
}  // namespace tavorin
