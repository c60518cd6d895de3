// The input of tavorin-calc cut into lines, as it is read in blocks: a line that lies in
// one block is handed on as a view into it, a line that goes on across blocks as a string
// of its own, and a line longer than the limit is not held at all, only reported.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavorin {

// Receives the lines in input order, without their LF. Each call returns false to stop.
class LineSink {
  public:
    virtual ~LineSink() = default;
    // A line that lies in one block: the view is valid only during the call.
    virtual bool line(std::string_view text) = 0;
    // A line that went on across blocks, or the last line of the input without a line end.
    virtual bool longLine(std::string&& text) = 0;
    // A line that was not read: over the limit, or no memory to hold it. `reason` is the
    // Chinese message for its error line.
    virtual bool unread(std::string_view reason) = 0;
};

class LineSplitter {
  public:
    // A line of more than `limit` bytes before its LF is not read.
    LineSplitter(LineSink& sink, std::size_t limit) : m_sink(sink), m_limit(limit) {}

    // Hands on every line that ends in `block`; keeps the start of one that goes on. False
    // when the sink stopped.
    bool feed(std::string_view block);
    // At the end of the input: hands on the last line when it has no line end.
    bool end();
    // Whether a line has begun and not ended: the input was cut short in it.
    bool inLine() const { return !m_pending.empty() || m_skip != Skip::None; }

  private:
    enum class Skip { None, TooLong, OutOfMemory };
    bool skipped();

    LineSink& m_sink;
    std::size_t m_limit;
    std::string m_pending;  // the start of a line that goes on in the next block
    Skip m_skip = Skip::None;
};

}  // namespace tavorin
