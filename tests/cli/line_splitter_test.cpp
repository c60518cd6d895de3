#include "cli/line_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavorin {
namespace {

// Writes down what it receives; stops after `stopAt` lines (0: never).
class Recorder final : public LineSink {
  public:
    explicit Recorder(std::size_t stopAt) : m_stopAt(stopAt) {}
    bool line(std::string_view text) override { return take("line:" + std::string(text)); }
    bool longLine(std::string&& text) override { return take("long:" + text); }
    bool unread(std::string_view reason) override { return take("unread:" + std::string(reason)); }
    std::vector<std::string> events;

  private:
    bool take(std::string event) {
        events.push_back(std::move(event));
        return events.size() != m_stopAt;
    }
    std::size_t m_stopAt;
};

const std::string kTooLong = "unread:长于 8 个字节的上限，未读取。";

TEST(LineSplitter, CutsBlocksIntoLines) {
    const struct {
        std::vector<std::string> blocks;
        std::vector<std::string> events;
        bool cutShort = false;  // a line begun and not ended when the input stops
        std::size_t stopAt = 0;
    } rows[] = {
        {{"ab\ncd\n"}, {"line:ab", "line:cd"}},
        {{"\n\n"}, {"line:", "line:"}},
        {{"a\r\n"}, {"line:a\r"}},  // the line's handler drops the CR
        {{"ab", "cd\nef"}, {"long:abcd", "long:ef"}, true},
        {{"ab", "", "cd", "\n"}, {"long:abcd"}},
        // The limit, 8 bytes, in one block and across blocks, and one past it.
        {{"12345678\n"}, {"line:12345678"}},
        {{"1234", "5678\n"}, {"long:12345678"}},
        {{"123456789\nok\n"}, {kTooLong, "line:ok"}},
        {{"12345", "6789", "\nok"}, {kTooLong, "long:ok"}, true},
        {{"123456789"}, {kTooLong}, true},
        {{"12345678", "9", "\n"}, {kTooLong}},
        // The sink stops the run: nothing more is handed on.
        {{"a\nb\nc\n"}, {"line:a", "line:b"}, false, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.blocks));
        Recorder sink(row.stopAt);
        LineSplitter splitter(sink, 8);
        bool going = true;
        for (const std::string& block : row.blocks) going = going && splitter.feed(block);
        EXPECT_EQ(going, row.stopAt == 0);
        if (!going) {
            EXPECT_EQ(sink.events, row.events);
            continue;
        }
        EXPECT_EQ(splitter.inLine(), row.cutShort);
        EXPECT_TRUE(splitter.end());
        EXPECT_EQ(sink.events, row.events);
    }
}

}  // namespace
}  // namespace tavorin
