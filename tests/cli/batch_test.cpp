#include "cli/batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/json_string.h"
#include "cli/penstock_batch.h"
#include "cli/sheet_batch.h"
#include "engine/fields.h"

namespace tavorin {
namespace {

using Json = nlohmann::json;

// Input from a text, or generated: `repeat` bytes of `fill` between `head` and `tail`,
// made block by block and never held whole.
class TextSource final : public ByteSource {
  public:
    explicit TextSource(std::string head, std::size_t repeat = 0, char fill = 0,
                        std::string tail = {}, bool failAtEnd = false)
        : m_head(std::move(head)),
          m_repeat(repeat),
          m_fill(fill),
          m_tail(std::move(tail)),
          m_failAtEnd(failAtEnd) {}

    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        std::size_t n = 0;
        while (n < size && m_at < total()) {
            const std::size_t at = m_at;
            if (at < m_head.size()) {
                buffer[n] = m_head[at];
            } else if (at < m_head.size() + m_repeat) {
                buffer[n] = m_fill;
            } else {
                buffer[n] = m_tail[at - m_head.size() - m_repeat];
            }
            ++n;
            ++m_at;
        }
        if (n == 0 && m_failAtEnd) return -1;
        return static_cast<std::ptrdiff_t>(n);
    }
    std::string failure() const override { return "Input/output error"; }

  private:
    std::size_t total() const { return m_head.size() + m_repeat + m_tail.size(); }
    std::string m_head;
    std::size_t m_repeat;
    char m_fill;
    std::string m_tail;
    bool m_failAtEnd;
    std::size_t m_at = 0;
};

// Output kept in memory; it refuses writes once `room` bytes are taken, or the flush.
class TextSink final : public ByteSink {
  public:
    explicit TextSink(std::size_t room = std::string::npos, bool flushFails = false)
        : m_room(room), m_flushFails(flushFails) {}
    bool write(std::string_view bytes) override {
        if (bytes.size() > m_room) return false;
        m_room -= bytes.size();
        text.append(bytes);
        return true;
    }
    bool flush() override { return !m_flushFails; }
    std::string failure() const override { return "No space left on device"; }

    std::vector<Json> lines() const {
        std::vector<Json> out;
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = text.find('\n', at);
            EXPECT_NE(end, std::string::npos) << "a line without its end";
            if (end == std::string::npos) break;
            out.push_back(Json::parse(text.substr(at, end - at)));
            at = end + 1;
        }
        return out;
    }
    std::string text;

  private:
    std::size_t m_room;
    bool m_flushFails;
};

struct BatchRun {
    int status;
    std::vector<Json> lines;
    std::string errors;
};

BatchRun run(ByteSource& in, TextSink sink = TextSink()) {
    std::string errors;
    const int status = runBatch(in, sink, errors);
    return {status, sink.lines(), errors};
}

BatchRun run(const std::string& input) {
    TextSource in(input);
    return run(in);
}

std::string errorOf(const Json& line) {
    return line.contains("error") ? line["error"].get<std::string>() : std::string();
}

// Lines that once stopped the tool or were read wrongly: each gets its own answer and the
// next line is still calculated.
TEST(Batch, EveryLineGetsOneAnswer) {
    const struct {
        std::string line;
        std::string error;  // the start of the error text; empty: a result
    } rows[] = {
        {R"({"fjt": 1e400})", "第 1 行：数值超出范围（第 9 个字节）。"},
        {"[1e400]", "第 1 行：数值超出范围（第 2 个字节）。"},
        {"1e400", "第 1 行：数值超出范围（第 1 个字节）。"},
        {R"({"HSt": )" + std::string(401, '9') + "}", "第 1 行：数值超出范围（第 9 个字节）。"},
        {std::string(401, '9'), "第 1 行：数值超出范围（第 1 个字节）。"},
        {R"({"HSt": "1e400"})", ""},  // an overflow fault of the command, not an error
        {R"({"HSt": [[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]})", "第 1 行：“HSt”的值不是文字"},
        {std::string(100'000, '['), "第 1 行：不是有效的 JSON（在第 100001 个字节处意外结束）。"},
        {R"({"HSt": "\ud800"})", "第 1 行：不是有效的 JSON（第 16 个字节处有误"},
        {"{\"HSt\": \"\xC0\x80\"}", "第 1 行：不是 UTF-8 编码的文字（第 10 个字节）。"},
        {"{\"HSt\": \"\xED\xA0\x80\"}", "第 1 行：不是 UTF-8 编码的文字（第 10 个字节）。"},
        {"{\"HSt\": \"a\tb\"}", "第 1 行：不是有效的 JSON（第 11 个字节处有误"},
        {R"({"HSt": "1", })", "第 1 行：不是有效的 JSON（第 14 个字节处有误，从 \"}\" 起）。"},
        {R"({"HSt": "1"} x)", "第 1 行：不是有效的 JSON（第 14 个字节处有误，从 \"x\" 起）。"},
        {"{\"HSt\": \"152\"}\r", ""},
        {R"({"Text1": "\u0000\"\\\/\b\f\n\r\t\ud83d\ude00"})", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line.substr(0, 80));
        const BatchRun r = run(row.line + "\n{}\n");
        ASSERT_EQ(r.lines.size(), 2u);
        if (row.error.empty()) {
            EXPECT_EQ(errorOf(r.lines[0]), "");
            EXPECT_EQ(r.status, kAllCalculated);
        } else {
            EXPECT_EQ(errorOf(r.lines[0]).substr(0, row.error.size()), row.error);
            EXPECT_EQ(r.status, kLineRejected);
        }
        EXPECT_EQ(r.lines[1]["fields"]["x1"], "77.5667185956496");
    }
}

TEST(Batch, TextsComeBackAsGiven) {
    const std::string text = "\u0000\"\\/\b\f\n\r\t😀 镇墩\u202E";
    Json in{{"Text1", text}, {"kj", "支墩"}};
    const BatchRun r = run(in.dump() + "\n");
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0]["fields"]["Text1"], text);
    EXPECT_EQ(r.lines[0]["fields"]["x1"], "-33.5034576770761");
    EXPECT_EQ(r.lines[0]["fault"], nullptr);
}

// The exponent and the digits are weighed together: 10^999999 × 10^-1000001 is 0.01.
TEST(Batch, ALongTextInABoxKeepsItsValue) {
    const BatchRun r = run(R"({"Dt": "1)" + std::string(999'999, '0') + R"(e-1000001"})" + "\n");
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0]["fields"]["a13text"], "0.01193808");
}

// Kept as the calculation defines it: with cos(PI - spj) rounding to exactly 1 the
// radicand of the temperature-rise force can round below zero, an invalid argument.
TEST(Batch, ARadicandBelowZeroIsAnInvalidArgument) {
    const BatchRun r = run(R"({"spjText": "899.998291", "kkt": "2.7143332401447817", "DA2t": "35"})"
                           "\n");
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0]["fault"]["kind"], "invalid-argument");
    EXPECT_EQ(r.lines[0]["fields"]["x1"], "");
}

// Error lines quote a short excerpt, never the whole input, and show no raw control or
// bidirectional formatting character.
TEST(Batch, ErrorLinesAreShortAndSafe) {
    const struct {
        std::string line;
        std::string error;
    } rows[] = {
        {R"({"HSt": ")" + std::string(1'000'000, 'x'),
         "第 1 行：不是有效的 JSON（在第 1000010 个字节处意外结束）。"},
        {"{\"HSt\": \"1\"}" + std::string(1'000'000, '\x01'),
         R"(第 1 行：不是有效的 JSON（第 13 个字节处有误，从 "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01…" 起）。)"},
        {"{\"\u202EHSt\\u0007\": \"1\"}",
         R"(第 1 行：“\u202EHSt\x07”不是输入框、选择框或结果框的名称。)"},
        {"{\"a\u2066\u200F\xC2\x85\\u001b\\\"\": 1}",
         R"(第 1 行：“a\u2066\u200F\u0085\x1B\"”不是)"},
        {"{} \xEF\xBB\xBF", R"(第 1 行：不是有效的 JSON（第 4 个字节处有误，从 "\uFEFF" 起）。)"},
        {"{\"" + std::string(100'000, 'A') + "\": \"1\"}",
         "第 1 行：“" + std::string(32, 'A') + "…”不是"},
        {"{\"HSt\": \"1\"}\xFF\xFE", "第 1 行：不是 UTF-8 编码的文字（第 13 个字节）。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.error);
        const BatchRun r = run(row.line + "\n");
        ASSERT_EQ(r.lines.size(), 1u);
        const std::string error = errorOf(r.lines[0]);
        EXPECT_EQ(error.substr(0, row.error.size()), row.error);
        EXPECT_LT(error.size(), 300u);
        EXPECT_EQ(std::count_if(error.begin(), error.end(),
                                [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
                  0);
    }
}

// A line over the limit is rejected without being held; one at the limit is read.
TEST(Batch, LinesOverTheLimitAreRejected) {
    {
        TextSource in("", kMaxLineBytes + 1, '7', "\n{}\n");
        const BatchRun r = run(in);
        ASSERT_EQ(r.lines.size(), 2u);
        EXPECT_EQ(errorOf(r.lines[0]), "第 1 行：长于 67108864 个字节的上限，未读取。");
        EXPECT_EQ(r.lines[1]["fields"]["x1"], "77.5667185956496");
        EXPECT_EQ(r.status, kLineRejected);
    }
    {
        TextSource in("{}\n", kMaxLineBytes, ' ', "");  // last line, no line end
        const BatchRun r = run(in);
        ASSERT_EQ(r.lines.size(), 2u);
        EXPECT_EQ(errorOf(r.lines[1]), "第 2 行：空行。");
    }
    {
        TextSource in(R"({"Text1": ")", kMaxLineBytes - 13, 'x', "\"}\n");
        const BatchRun r = run(in);
        ASSERT_EQ(r.lines.size(), 1u);
        EXPECT_EQ(r.lines[0]["fields"]["Text1"].get_ref<const std::string&>().size(),
                  kMaxLineBytes - 13);
    }
}

TEST(Batch, StreamFailuresAreReported) {
    {
        TextSink sink(100);  // room for nothing: the first result is longer
        TextSource in("{}\n{}\n");
        std::string errors;
        EXPECT_EQ(runBatch(in, sink, errors), kStreamFailed);
        EXPECT_EQ(errors, "cannot write the results after 2 lines: No space left on device");
    }
    {
        TextSink sink(std::string::npos, true);
        TextSource in("{}\n");
        std::string errors;
        EXPECT_EQ(runBatch(in, sink, errors), kStreamFailed);
        EXPECT_NE(errors.find("cannot write the results"), std::string::npos);
    }
    {
        TextSource in("{}\n{\"HSt\"", 0, 0, "", true);
        const BatchRun r = run(in);
        EXPECT_EQ(r.status, kStreamFailed);
        ASSERT_EQ(r.lines.size(), 1u);  // what was read before the failure is answered
        EXPECT_EQ(
            r.errors,
            "cannot read the input: Input/output error; line 2 was cut short and not handled");
    }
}

TEST(Batch, OneLineAloneGivesTheSameAnswer) {
    const std::string input = "{}\n[1]\n{\"kj\": \"支墩\"}\r\n\n{\"fjt\": \"0\"}";
    TextSource in(input);
    TextSink sink;
    std::string errors;
    runBatch(in, sink, errors);
    std::string expected;
    std::size_t at = 0;
    for (std::uint64_t number = 1; at < input.size(); ++number) {
        const std::size_t end = std::min(input.find('\n', at), input.size());
        std::string line = input.substr(at, end - at);
        const LineOutcome view = handleLine(std::string_view(line), number);
        const LineOutcome owned = handleLine(std::move(line), number);
        EXPECT_EQ(view.text, owned.text);
        EXPECT_EQ(view.rejected, owned.rejected);
        expected += view.text + "\n";
        at = end + 1;
    }
    EXPECT_EQ(sink.text, expected);
}

// Thousands of lines of every kind, large ones among them, go over the worker threads in
// many chunks and must come out in input order with the answer each line gets alone.
TEST(Batch, ManyChunksKeepTheOrderAndTheAnswers) {
    const std::string kinds[] = {
        "{}",
        "{\"HSt\": \"%\", \"kj\": \"支墩\"}",
        "{\"DA1t\": \"3%.5\", \"Text1\": \"a\\\"b\\u00e9\"}\r",
        "{\"fjt\": \"0\", \"HSt\": \"%\"}",
        "{\"HSt\": %}",
        "[%]",
        "{\"nope\": \"%\"}",
        "  ",
        "{\"HSt\": \"%\", \"HSt\": \"7\"}",
        "{\"Text2\": \"" + std::string((std::size_t{1} << 20) + 5, 'w') + "%\"}",
        "{\"bad\": \"" + std::string(std::size_t{3} << 20, 'v') + "\"}",
    };
    std::string input;
    std::uint64_t large = 0;
    for (int i = 0; i < 3000; ++i) {
        std::size_t kind = static_cast<std::size_t>(i * 7 + i / 11) % 9;
        if (i % 700 == 3) kind = 9 + static_cast<std::size_t>(large++ % 2);
        std::string line = kinds[kind];
        const std::size_t at = line.find('%');
        if (at != std::string::npos) line.replace(at, 1, std::to_string(i % 97));
        input += line + "\n";
    }
    input += "{\"HSt\": \"12\"}";  // the last line, without its end

    TextSource in(input);
    TextSink sink;
    std::string errors;
    const int status = runBatch(in, sink, errors);
    EXPECT_EQ(status, kLineRejected);
    EXPECT_EQ(errors, "");

    std::string expected;
    std::size_t at = 0;
    for (std::uint64_t number = 1; at < input.size(); ++number) {
        const std::size_t end = std::min(input.find('\n', at), input.size());
        expected += handleLine(std::string_view(input).substr(at, end - at), number).text + "\n";
        at = end + 1;
    }
    ASSERT_EQ(sink.text.size(), expected.size());
    EXPECT_TRUE(sink.text == expected);  // not printed: megabytes
    EXPECT_GE(large, 4u);
}

// A write that fails halfway stops the run with the stream failure, whatever the workers
// still hold.
TEST(Batch, AWriteFailureHalfwayStopsTheRun) {
    std::string input;
    for (int i = 0; i < 5000; ++i) input += "{\"HSt\": \"" + std::to_string(i % 90 + 1) + "\"}\n";
    TextSink sink(std::size_t{1} << 20);
    TextSource in(input);
    std::string errors;
    EXPECT_EQ(runBatch(in, sink, errors), kStreamFailed);
    EXPECT_EQ(errors.rfind("cannot write the results after ", 0), 0u) << errors;
    EXPECT_NE(errors.find(": No space left on device"), std::string::npos) << errors;
    EXPECT_LE(sink.text.size(), std::size_t{1} << 20);
    EXPECT_EQ(sink.text.back(), '\n');  // whole chunks only
}

TEST(JsonString, EscapesWhatJsonRequires) {
    const struct {
        std::string text;
        std::string json;
    } rows[] = {
        {"", R"("")"},
        {"a\"b\\c", R"("a\"b\\c")"},
        {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
        {std::string("\0\x1f\x7f", 3), "\"\\u0000\\u001f\x7f\""},
        {"镇墩 😀", "\"镇墩 😀\""},
    };
    for (const auto& row : rows) {
        std::string out;
        appendJsonString(out, row.text);
        EXPECT_EQ(out, row.json);
        EXPECT_EQ(Json::parse(out).get<std::string>(), row.text);
    }
}

}  // namespace
}  // namespace tavorin

namespace tavorin {
namespace {

// A number beyond the double range once ended the sheet run; the line now gets a section
// that says why and the next line is still calculated.
TEST(SheetBatch, AnUnreadableLineGetsItsSection) {
    std::istringstream in("{\"fjt\": 1e400}\n{}\n");
    std::ostringstream out;
    EXPECT_EQ(runSheetBatch(in, out), 1);
    EXPECT_NE(out.str().find("数值超出范围（第 9 个字节）。"), std::string::npos);
    EXPECT_NE(out.str().find("第 2 行"), std::string::npos);
    EXPECT_NE(out.str().find("77.5667185956496"), std::string::npos);
}

// A penstock file of the test's own, written to a folder of its own.
std::string penstockFile(std::string_view name, std::string_view bytes) {
    const auto dir =
        std::filesystem::temp_directory_path() /
        ("tavorin-penstock-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    const auto path = dir / std::string(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

// Every row of a penstock is the line tavorin-calc gives the row's case alone: the inputs and
// choices of its fields, the check's too, as one line.
TEST(PenstockBatch, EveryRowIsTheLineOfItsCaseAlone) {
    const std::string path = TAVORIN_GOLDEN_DIR "/penstock.penstock";
    TextSink sink;
    std::string errors;
    ASSERT_EQ(runPenstock(path, sink, errors), kAllCalculated) << errors;
    const std::vector<Json> lines = sink.lines();
    ASSERT_EQ(lines.size(), 5u);
    std::size_t at = 0;
    for (const Json& line : lines) {
        const std::size_t end = sink.text.find('\n', at);
        const std::string text = sink.text.substr(at, end - at);
        at = end + 1;
        Json input = Json::object();
        for (const auto& [name, value] : line["fields"].items()) {
            const FieldSpec* field = findAnyField(name);
            if (field->role == FieldRole::Input || field->role == FieldRole::Choice)
                input[name] = value;
        }
        EXPECT_EQ(handleLine(input.dump(), 1).text, text);
    }
    // The checked block's line holds the check's results.
    EXPECT_EQ(lines.back()["fields"]["Gj"], "576");  // 8 × 6 × 5 × 2.4
}

TEST(PenstockBatch, ARefusedFileWritesNothingAndSaysWhy) {
    const struct {
        const char* bytes;  // nullptr: no such file
        int status;
        const char* message;  // the end of the message
    } rows[] = {
        {nullptr, kStreamFailed, "：文件不存在。"},
        {"{\"Zwt\":\"1\",", kLineRejected,
         "不是管线文件：不是有效的 JSON（在第 12 个字节处意外结束）。"},
        {R"({"Zwt":"1030","Qt":"12","points":[{"X":"0","Z":"9","D":"1","DD":"0.01"},{"X":"1","Z":"x"},{}]})",
         kLineRejected, "第2点“1号镇墩”：“Z”中的内容不是数字。"},
    };
    int n = 0;
    for (const auto& row : rows) {
        const std::string path = row.bytes == nullptr
                                     ? penstockFile("none.penstock", {}) + ".no"
                                     : penstockFile(std::to_string(++n) + ".penstock", row.bytes);
        TextSink sink;
        std::string errors;
        EXPECT_EQ(runPenstock(path, sink, errors), row.status) << path;
        EXPECT_TRUE(errors.ends_with(row.message)) << errors;
        EXPECT_EQ(sink.text, "");
        std::ostringstream sheet;
        EXPECT_EQ(runPenstockSheet(path, sheet, errors), row.status);
        EXPECT_EQ(sheet.str(), "");
    }
}

}  // namespace
}  // namespace tavorin
