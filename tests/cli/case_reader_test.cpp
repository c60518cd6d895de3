// One reader for every case: the same bytes as a batch line, a --sheet line and a case file
// get the same verdict and the same message.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/batch.h"
#include "cli/sheet_batch.h"
#include "sheet/case_file.h"
#include "sheet/sheet.h"

namespace tavorin {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const std::string kBom = "\xEF\xBB\xBF";

struct Verdict {
    std::string error;  // empty: a case
    std::string text;   // of `box` when it is a case
};

// An input whose line `number` holds `bytes`; the lines before it are {}.
std::string inputWith(const std::string& bytes, int number) {
    std::string input;
    for (int i = 1; i < number; ++i) input += "{}\n";
    return input + (bytes.ends_with('\n') ? bytes : bytes + "\n");
}

// The batch tool's answer to `bytes` on line `number`.
Verdict asBatchLine(const std::string& bytes, int number, const std::string& box) {
    std::istringstream in(inputWith(bytes, number));
    std::ostringstream out;
    runBatch(in, out);
    std::istringstream lines(out.str());
    std::string line;
    for (int i = 0; i < number; ++i) std::getline(lines, line);
    const Json answer = Json::parse(line);
    if (answer.contains("error")) {
        const std::string prefix = "第 " + std::to_string(number) + " 行：";
        const std::string error = answer["error"];
        EXPECT_TRUE(error.starts_with(prefix)) << error;
        return {error.substr(prefix.size()), {}};
    }
    return {{}, box.empty() ? std::string() : answer["fields"][box].get<std::string>()};
}

// Whether the sheet of `bytes` on line `number` rejects it with `error`.
bool sheetAgrees(const std::string& bytes, int number, const std::string& error) {
    std::istringstream in(inputWith(bytes, number));
    std::ostringstream out;
    const int status = runSheetBatch(in, out);
    if (error.empty()) return status == 0;
    return status == 1 && out.str().find("此行未计算：" + escapeHtml(error)) != std::string::npos;
}

Verdict asCaseFile(const std::string& bytes, const std::string& box) {
    const fs::path path = fs::temp_directory_path() / "tavorin-case-reader-test.json";
    std::ofstream(path, std::ios::binary) << bytes;
    const CaseParse parsed = openCaseFile(path.string());
    fs::remove(path);
    if (!parsed.error.empty()) {
        const std::string prefix = "文件“" + path.string() + "”不是算例文件：";
        EXPECT_TRUE(parsed.error.starts_with(prefix)) << parsed.error;
        return {parsed.error.substr(prefix.size()), {}};
    }
    MemoryStore store;
    applyCase(store, parsed.texts);
    std::string text;
    if (!box.empty()) store.readText(box, text);
    return {{}, text};
}

TEST(CaseReader, TheSameBytesGetTheSameVerdictEverywhere) {
    const struct {
        std::string bytes;
        std::string lineError;  // as a line (empty: a case)
        std::string fileError;  // as a case file
        std::string box = {};   // of a case: a box and its text
        std::string text = {};
    } rows[] = {
        {R"({"HSt": "152")", "不是有效的 JSON（在第 14 个字节处意外结束）。",
         "不是有效的 JSON（在第 14 个字节处意外结束）。"},
        {R"(["HSt", "152"])", "不是一个 JSON 对象；应为 {\"HSt\": \"152\", \"kj\": \"镇墩\", …}。",
         "不是一个 JSON 对象；应为 {\"HSt\": \"152\", \"kj\": \"镇墩\", …}。"},
        {R"({"HSt": 152})", "“HSt”的值不是文字（应加引号，如 \"152\"）。",
         "“HSt”的值不是文字（应加引号，如 \"152\"）。"},
        {R"({"HS": "152"})", "“HS”不是输入框、选择框或结果框的名称。",
         "“HS”不是输入框、选择框或结果框的名称。"},
        {R"({"x1": "9"})", "", "“x1”是结果框；算例文件只含输入框和选择框。"},
        {R"({"Bjt": "6"})", "", "", "Bjt", "6"},
        {R"({"smax1e": "9"})", "", "“smax1e”是结果框；算例文件只含输入框和选择框。"},
        {"{\"Text1\":\"a\xFF\"}", "不是 UTF-8 编码的文字（第 12 个字节）。",
         "不是 UTF-8 编码的文字（第 12 个字节）。"},
        {"", "空行。", "文件为空。"},
        {" \t ", "空行。", "文件为空。"},
        {R"({"HSt": 1e400})", "数值超出范围（第 9 个字节）。", "数值超出范围（第 9 个字节）。"},
        {R"({"HSt": )" + std::string(401, '7') + "}", "数值超出范围（第 9 个字节）。",
         "数值超出范围（第 9 个字节）。"},
        {R"({"HSt": [1e400]})", "数值超出范围（第 10 个字节）。", "数值超出范围（第 10 个字节）。"},
        {R"({"HSt": "1"} {})", "不是有效的 JSON（第 14 个字节处有误，从 \"{}\" 起）。",
         "不是有效的 JSON（第 14 个字节处有误，从 \"{}\" 起）。"},
        {kBom + R"({"HSt": "153"})", "", "", "HSt", "153"},
        {kBom + kBom + "{}", "不是有效的 JSON（第 4 个字节处有误，从 \"\\uFEFF{}\" 起）。",
         "不是有效的 JSON（第 4 个字节处有误，从 \"\\uFEFF{}\" 起）。"},
        {"{}" + kBom, "不是有效的 JSON（第 3 个字节处有误，从 \"\\uFEFF\" 起）。",
         "不是有效的 JSON（第 3 个字节处有误，从 \"\\uFEFF\" 起）。"},
        {"{\"HSt\": \"154\"}\r\n", "", "", "HSt", "154"},
        {R"({"HSt": "1", "HSt": "155"})", "", "", "HSt", "155"},
        {R"({"Text1": "\u0041\/\"\\\t\u4e2d\ud83d\ude00"})", "", "", "Text1", "A/\"\\\t中😀"},
        {R"({"Text1": "\ud800"})", "不是有效的 JSON（第 18 个字节处有误，从 \"\\\"}\" 起）。",
         "不是有效的 JSON（第 18 个字节处有误，从 \"\\\"}\" 起）。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes.substr(0, 40));
        const Verdict line = asBatchLine(row.bytes, 1, row.box);
        EXPECT_EQ(line.error, row.lineError);
        EXPECT_EQ(line.text, row.text);
        EXPECT_TRUE(sheetAgrees(row.bytes, 1, row.lineError));
        const Verdict file = asCaseFile(row.bytes, row.box);
        EXPECT_EQ(file.error, row.fileError);
        EXPECT_EQ(file.text, row.text);
        // Past the first line only a byte-order mark reads otherwise.
        const std::string second = asBatchLine(row.bytes, 2, row.box).error;
        if (row.bytes.starts_with(kBom)) {
            EXPECT_TRUE(second.starts_with("不是有效的 JSON（第 1 个字节处有误，从 \"\\uFEFF"))
                << second;
        } else {
            EXPECT_EQ(second, row.lineError);
        }
        if (!row.bytes.starts_with(kBom)) {
            EXPECT_TRUE(sheetAgrees(row.bytes, 2, row.lineError));
        }
    }
}

}  // namespace
}  // namespace tavorin
