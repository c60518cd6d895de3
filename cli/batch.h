// tavorin-calc: the calculate command over JSON Lines, for many blocks at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace tavorin {

// The exit statuses of tavorin-calc.
enum BatchStatus : int {
    kAllCalculated = 0,   // every line was calculated (a fault of the command included)
    kLineRejected = 1,    // at least one line got an error line
    kWrongArguments = 2,  // a wrong command line
    kStreamFailed = 3,    // standard input could not be read or the output not written
    kInternalError = 4,   // the last-resort handler caught something unforeseen
};

// A line longer than this (without its line end) is rejected without being held whole.
inline constexpr std::size_t kMaxLineBytes = std::size_t{64} << 20;

// What one input line gives: its output line, without the line end.
struct LineOutcome {
    std::string text;
    bool rejected = false;  // `text` is an error line
};

// Handles input line `number` (counted from 1), without its line end; a final carriage
// return is dropped. Calculates it on a fresh store in the start state and gives
//   {"fields": {<every box and Label25 in table order>}, "fault": null}
//   {"fields": {...}, "fault": {"kind": "division-by-zero", "message": "除数为零：…"}}
// or, for a line that is not a JSON object of control names to texts, or whatever else
// goes wrong with it (out of memory included),
//   {"error": "第 3 行：“HS”不是输入框、选择框或结果框的名称。"}
// with the message of the one case reader (sheet/case_reader.h); only line 1 may start
// with a byte-order mark.
// Never throws. Shares nothing between calls: calls may run on many threads at once. The
// overload that takes the line's ownership frees it as soon as it is read.
LineOutcome handleLine(std::string_view line, std::uint64_t number);
LineOutcome handleLine(std::string&& line, std::uint64_t number);

// The error line for line `number`, with `reason` (kept short by the caller).
std::string errorLine(std::uint64_t number, std::string_view reason);

// Where the batch reads its input and writes its output.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes into `buffer`: the count, 0 at the end of the input, -1 when
    // the input cannot be read (see `failure`).
    virtual std::ptrdiff_t read(char* buffer, std::size_t size) = 0;
    virtual std::string failure() const = 0;
};

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Writes all of `bytes`; false when they cannot all be written (see `failure`).
    virtual bool write(std::string_view bytes) = 0;
    // Hands everything written on; false when that fails.
    virtual bool flush() = 0;
    virtual std::string failure() const = 0;
};

// Reads the input in large blocks, handles chunks of lines on worker threads (one per
// core) and writes one output line per input line, in input order, flushing at the end. A
// failure to read or write ends the run: a message for `errors` (without line end) and
// kStreamFailed; running out of memory outside any one line's handling ends it with
// kInternalError and a message. Otherwise kLineRejected when any line was rejected, else
// kAllCalculated. An input that ends without a line end still has its last line handled; a
// line cut short by a read failure is not.
int runBatch(ByteSource& in, ByteSink& out, std::string& errors);

// The same over standard streams (for tests and benchmarks).
int runBatch(std::istream& in, std::ostream& out);

// The text of --help: the synopsis, the lines and the options of the manual page, and
// where the page is.
std::string batchUsage();

}  // namespace tavorin
