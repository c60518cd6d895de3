#include "cli/batch.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <istream>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "cli/flat_line.h"
#include "cli/json_string.h"
#include "cli/ordered_pool.h"
#include "engine/calculate.h"
#include "engine/check.h"
#include "engine/fields.h"
#include "sheet/case_reader.h"

namespace tavorin {
namespace {

// The store of one line, in the start state. Texts given on the line are moved in, not
// copied.
class BatchStore final : public FieldStore {
  public:
    BatchStore() {
        m_texts.reserve(fieldTable().size() + checkFieldTable().size());
        for (const FieldSpec& f : fieldTable()) m_texts.emplace_back(f.defaultText);
        for (const FieldSpec& f : checkFieldTable()) m_texts.emplace_back(f.defaultText);
    }

    bool readText(std::string_view name, std::string& text) override {
        const std::ptrdiff_t row = rowOf(name, false);
        if (row < 0) return false;
        text = m_texts[row];
        return true;
    }
    bool replaceText(std::string_view name, std::string_view text) override {
        const std::ptrdiff_t row = rowOf(name, false);
        if (row < 0) return false;
        m_texts[row].assign(text);
        return true;
    }
    bool setCaption(std::string_view name, std::string_view caption) override {
        const std::ptrdiff_t row = rowOf(name, true);
        if (row < 0) return false;
        m_texts[row].assign(caption);
        return true;
    }

    void give(const FieldSpec& field, std::string&& text) {
        m_texts[&field - fieldTable().data()] = std::move(text);
    }
    const std::string& text(std::size_t row) const { return m_texts[row]; }

  private:
    static std::ptrdiff_t rowOf(std::string_view name, bool caption) {
        const FieldSpec* f = findAnyField(name);
        if (f == nullptr || (f->role == FieldRole::Caption) != caption) return -1;
        return f - fieldTable().data();
    }

    std::vector<std::string> m_texts;  // by table row
};

// Puts the members of a line into the store.
class Loader final : public CaseSink {
  public:
    explicit Loader(BatchStore& store) : m_store(store) {}
    void member(const FieldSpec& field, std::string& text) override {
        if (field.part == FieldPart::Check) m_check = true;
        m_store.give(field, std::move(text));
    }
    // Whether the line named a box of the stability check.
    bool namedCheck() const { return m_check; }

  private:
    BatchStore& m_store;
    bool m_check = false;
};

LineOutcome reject(std::uint64_t number, std::string_view reason) {
    return {errorLine(number, reason), true};
}

// With `check`, the boxes of the stability check follow those of Form1.
std::string resultLine(const BatchStore& store, const std::optional<Fault>& fault,
                       bool check = false) {
    const std::span<const FieldSpec> fields(
        fieldTable().data(), fieldTable().size() + (check ? checkFieldTable().size() : 0));
    std::size_t size = 64;
    for (std::size_t row = 0; row < fields.size(); ++row) {
        size += fields[row].name.size() + store.text(row).size() + 6;
    }
    if (fault) size += fault->message.size() + 64;
    std::string out;
    out.reserve(size);
    out += "{\"fields\":{";
    for (std::size_t row = 0; row < fields.size(); ++row) {
        if (row > 0) out.push_back(',');
        appendJsonString(out, fields[row].name);
        out.push_back(':');
        appendJsonString(out, store.text(row));
    }
    out += "},\"fault\":";
    if (fault) {
        out += "{\"kind\":";
        appendJsonString(out, faultKindId(fault->kind));
        out += ",\"message\":";
        appendJsonString(out, fault->message);
        out.push_back('}');
    } else {
        out += "null";
    }
    out.push_back('}');
    return out;
}

// The calculate command and, on a line that names a check box, the stability check after
// it (not after a calculate fault, so its results stay as the line gave them).
std::string commandLine(BatchStore& store, bool check) {
    std::optional<Fault> fault = calculate(store);
    if (check && !fault) fault = checkStability(store);
    return resultLine(store, fault, check);
}

// `owned`, when given, holds `line` and is freed once the line is read.
LineOutcome handle(std::string_view line, std::uint64_t number, std::string* owned) {
    try {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        BatchStore store;
        bool check = false;
        {
            Loader loader(store);
            const std::string error =
                readCase(line, CaseScope::InputsAndOutputs,
                         number == 1 ? CasePlace::FirstLine : CasePlace::Line, loader);
            if (!error.empty()) return reject(number, error);
            check = loader.namedCheck();
        }
        if (owned != nullptr) std::string().swap(*owned);
        return {commandLine(store, check), false};
    } catch (const std::bad_alloc&) {
        return reject(number, "内存不足，无法处理这一行。");
    } catch (const std::exception& e) {
        return reject(number, "内部错误：" + excerpt(e.what(), 200) + "。");
    } catch (...) {
        return reject(number, "内部错误。");
    }
}

// Output bytes, grown without first clearing the room that is about to be written.
class ByteBuffer {
  public:
    // Room for `size` more bytes at the end; commit() then says how far it was used.
    char* room(std::size_t size) {
        if (m_size + size > m_capacity) grow(m_size + size);
        return m_data.get() + m_size;
    }
    void commit(const char* end) { m_size = static_cast<std::size_t>(end - m_data.get()); }
    void append(std::string_view bytes) {
        char* at = room(bytes.size());
        std::memcpy(at, bytes.data(), bytes.size());
        commit(at + bytes.size());
    }
    std::string_view view() const { return {m_data.get(), m_size}; }

  private:
    void grow(std::size_t needed) {
        const std::size_t capacity = std::max({needed, 2 * m_capacity, std::size_t{1} << 16});
        std::unique_ptr<char[]> data(new char[capacity]);
        if (m_size != 0) std::memcpy(data.get(), m_data.get(), m_size);
        m_data = std::move(data);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// The bytes of large lines handed to the workers and not yet written out: the reader waits
// while they would pass the budget, so that a run of large lines is never all held at once.
class LargeLines {
  public:
    static constexpr std::size_t kBudget = 2 * kMaxLineBytes;

    void take(std::size_t bytes) {
        std::unique_lock lock(m_mutex);
        m_freed.wait(lock, [&] { return m_held == 0 || m_held + bytes <= kBudget; });
        m_held += bytes;
    }
    void give(std::size_t bytes) {
        {
            std::lock_guard lock(m_mutex);
            m_held -= bytes;
        }
        m_freed.notify_all();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_freed;
    std::size_t m_held = 0;
};

// A run of input lines, handled on one worker thread and written out as one block.
struct Chunk {
    Chunk() = default;
    Chunk(const Chunk&) = delete;
    Chunk& operator=(const Chunk&) = delete;
    ~Chunk() {
        if (budget != nullptr) budget->give(budgetBytes);
    }

    struct Item {
        std::size_t begin = 0;  // of the line in `bytes`, or of the text in `owned` when
        std::size_t size = 0;   // `owned` is not empty
        std::string owned;      // a long line that went on across read blocks, or
        bool isError = false;   // a rejection decided while reading (the text in `owned`)
    };
    std::uint64_t firstNumber = 1;
    std::uint64_t lines = 0;
    std::string bytes;  // the lines, copied from the read blocks
    std::vector<Item> items;
    ByteBuffer output;
    std::string large;  // the answer to a large last line, written after `output`
    bool rejected = false;
    bool failed = false;           // the worker could not finish it (out of memory)
    LargeLines* budget = nullptr;  // given back `budgetBytes` when the chunk is done with
    std::size_t budgetBytes = 0;
};

constexpr std::size_t kChunkLines = 256;
constexpr std::size_t kChunkBytes = std::size_t{256} << 10;
// A line longer than this ends its chunk and takes handleLine, whose answer is written out
// from its own string: such a line is held at most twice, as text and as answer.
constexpr std::size_t kLargeLine = std::size_t{1} << 20;

// The worker's own store and buffers, used again for every line it handles.
struct Worker {
    MemoryStore store;
    std::string scratch;
};

// One line into `out`: the flat object of the usual line goes straight into the store and
// its result straight into the output; every other line takes handleLine, which words the
// errors.
void handleInto(ByteBuffer& out, bool& rejected, Worker& w, std::string_view line,
                std::uint64_t number, std::string* owned) {
    std::string_view text = line;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    try {
        w.store.reset();
        if (text.size() <= kLargeLine && loadFlatLine(text, w.store, w.scratch)) {
            if (owned != nullptr) std::string().swap(*owned);
            const std::optional<Fault> fault = calculate(w.store);
            out.commit(writeResultLine(out.room(resultLineBound(w.store, fault)), w.store, fault));
            return;
        }
    } catch (const std::bad_alloc&) {
        // The full path below answers it, out of memory included.
    }
    const LineOutcome outcome =
        owned != nullptr ? handleLine(std::move(*owned), number) : handleLine(line, number);
    rejected = rejected || outcome.rejected;
    out.append(outcome.text);
    out.append("\n");
}

void handleChunk(Chunk& chunk, Worker& w) {
    try {
        chunk.output.room(chunk.items.size() * 1700);
        std::uint64_t number = chunk.firstNumber;
        for (Chunk::Item& item : chunk.items) {
            if (item.isError) {
                chunk.output.append(item.owned);
                chunk.output.append("\n");
                chunk.rejected = true;
            } else if (item.owned.size() > kLargeLine) {
                LineOutcome outcome = handleLine(std::move(item.owned), number);
                chunk.rejected = chunk.rejected || outcome.rejected;
                if (&item == &chunk.items.back()) {
                    chunk.large = std::move(outcome.text);
                } else {
                    chunk.output.append(outcome.text);
                    chunk.output.append("\n");
                }
            } else if (!item.owned.empty()) {
                handleInto(chunk.output, chunk.rejected, w, item.owned, number, &item.owned);
            } else {
                handleInto(chunk.output, chunk.rejected, w,
                           std::string_view(chunk.bytes).substr(item.begin, item.size), number,
                           nullptr);
            }
            ++number;
        }
    } catch (...) {
        chunk.failed = true;
    }
    std::string().swap(chunk.bytes);
    chunk.items = {};
}

class StreamSource final : public ByteSource {
  public:
    explicit StreamSource(std::istream& in) : m_in(in) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        m_in.read(buffer, static_cast<std::streamsize>(size));
        if (m_in.bad()) return -1;
        return m_in.gcount();
    }
    std::string failure() const override { return "the stream failed"; }

  private:
    std::istream& m_in;
};

class StreamSink final : public ByteSink {
  public:
    explicit StreamSink(std::ostream& out) : m_out(out) {}
    bool write(std::string_view bytes) override {
        m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return !m_out.fail();
    }
    bool flush() override { return !m_out.flush().fail(); }
    std::string failure() const override { return "the stream failed"; }

  private:
    std::ostream& m_out;
};

}  // namespace

LineOutcome handleLine(std::string_view line, std::uint64_t number) {
    return handle(line, number, nullptr);
}

LineOutcome handleLine(std::string&& line, std::uint64_t number) {
    return handle(line, number, &line);
}

std::string errorLine(std::uint64_t number, std::string_view reason) {
    std::string out = "{\"error\":";
    appendJsonString(out, "第 " + std::to_string(number) + " 行：" + std::string(reason));
    out.push_back('}');
    return out;
}

int runBatch(ByteSource& in, ByteSink& out, std::string& errors) {
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    const auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    std::string pending;  // the start of a line that goes on in the next block
    enum class Skip { None, TooLong, OutOfMemory } skip = Skip::None;
    std::uint64_t number = 1;     // of the line being read
    std::uint64_t delivered = 0;  // lines handed to the output
    bool rejected = false;
    bool workerFailed = false;

    LargeLines largeLines;  // outlives the pool and every chunk
    // Workers handle chunks of lines on every core; the chunks go out in input order.
    const unsigned workers = std::max(1u, std::thread::hardware_concurrency());
    OrderedPool<Chunk, Worker> pool(
        workers, 4 * std::size_t{workers}, handleChunk, [&](Chunk& chunk) {
            if (chunk.failed) {
                workerFailed = true;
                return false;
            }
            rejected = rejected || chunk.rejected;
            delivered += chunk.lines;
            if (!out.write(chunk.output.view())) return false;
            return chunk.large.empty() || (out.write(chunk.large) && out.write("\n"));
        });

    auto chunk = std::make_unique<Chunk>();
    const auto submit = [&] {
        if (chunk->lines == 0) return true;
        const std::uint64_t next = chunk->firstNumber + chunk->lines;
        const bool ok = pool.submit(std::move(chunk));
        chunk = std::make_unique<Chunk>();
        chunk->firstNumber = next;
        return ok;
    };
    const auto added = [&] {
        ++chunk->lines;
        ++number;
        return chunk->lines < kChunkLines && chunk->bytes.size() < kChunkBytes ? true : submit();
    };
    const auto addLine = [&](std::string_view line) {
        chunk->items.push_back({chunk->bytes.size(), line.size(), {}, false});
        chunk->bytes.append(line);
        return added();
    };
    const auto addOwned = [&](std::string&& line) {
        const bool large = line.size() > kLargeLine;
        if (large) {
            largeLines.take(line.size());
            chunk->budget = &largeLines;
            chunk->budgetBytes = line.size();
        }
        chunk->items.push_back({0, 0, std::move(line), false});
        if (!large) return added();
        ++chunk->lines;
        ++number;
        return submit();
    };
    const auto addError = [&](std::string_view reason) {
        chunk->items.push_back({0, 0, errorLine(number, reason), true});
        return added();
    };
    const auto skipped = [&] {
        const std::string reason =
            skip == Skip::TooLong
                ? "长于 " + std::to_string(kMaxLineBytes) + " 个字节的上限，未读取。"
                : std::string("内存不足，无法读取这一行。");
        skip = Skip::None;
        return addError(reason);
    };
    const auto writeFailed = [&] {
        errors = "cannot write the results after " + std::to_string(delivered) +
                 " lines: " + out.failure();
        return kStreamFailed;
    };
    // Hands on what is read, waits for the workers, and flushes.
    const auto finish = [&] { return submit() && pool.finish() && out.flush(); };
    const auto stopped = [&] {
        pool.finish();
        if (workerFailed) {
            errors = "internal error: out of memory while handling line " +
                     std::to_string(delivered + 1) + " or later";
            return kInternalError;
        }
        return writeFailed();
    };

    for (;;) {
        const std::ptrdiff_t got = in.read(block.get(), kBlock);
        if (got < 0) {
            std::string failure = "cannot read the input: " + in.failure();
            if (!pending.empty() || skip != Skip::None) {
                failure += "; line " + std::to_string(number) + " was cut short and not handled";
            }
            if (!finish()) return stopped();
            errors = failure;
            return kStreamFailed;
        }
        if (got == 0) break;
        std::string_view data(block.get(), static_cast<std::size_t>(got));
        while (!data.empty()) {
            const std::size_t end = data.find('\n');
            const bool complete = end != std::string_view::npos;
            const std::string_view piece = data.substr(0, end);
            data.remove_prefix(complete ? end + 1 : data.size());
            if (skip == Skip::None && pending.size() + piece.size() > kMaxLineBytes) {
                std::string().swap(pending);
                skip = Skip::TooLong;
            }
            if (skip != Skip::None) {
                if (complete && !skipped()) return stopped();
                continue;
            }
            if (!complete) {
                try {
                    pending.append(piece);
                } catch (const std::bad_alloc&) {
                    std::string().swap(pending);
                    skip = Skip::OutOfMemory;
                }
                continue;
            }
            bool ok = false;
            if (pending.empty()) {
                ok = addLine(piece);
            } else {
                try {
                    pending.append(piece);
                    ok = addOwned(std::move(pending));
                } catch (const std::bad_alloc&) {
                    ok = addError("内存不足，无法读取这一行。");
                }
                std::string().swap(pending);
            }
            if (!ok) return stopped();
        }
    }
    if (skip != Skip::None) {
        if (!skipped()) return stopped();
    } else if (!pending.empty()) {
        if (!addOwned(std::move(pending))) return stopped();
    }
    if (!finish()) return stopped();
    return rejected ? kLineRejected : kAllCalculated;
}

int runBatch(std::istream& in, std::ostream& out) {
    StreamSource source(in);
    StreamSink sink(out);
    std::string errors;
    return runBatch(source, sink, errors);
}

std::string batchUsage() {
    std::string names;
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Caption) continue;
        if (!names.empty()) names += ' ';
        names += f.name;
    }
    return R"(Usage: tavorin-calc [--help] [--version] [--sheet] < cases.jsonl > results.jsonl

Runs the Tavorin calculate command (the "计  算" button of the window) once for each
line of standard input and writes one line of results to standard output.

Each input line is a JSON object that maps control names to texts, as if typed into
the window: {"DA1t": "35.30", "kj": "支墩"}. Controls not named keep the text they
have when the window opens; {} is the default case. Output boxes may be given too:
they then show that text before the calculation, as after an earlier run. Names:
)" + names +
           R"(

Each output line holds the text of every box and of the result caption Label25 after
the command, in the order above, and the fault that stopped the command, if any:
  {"fields": {"Text1": "Text1", ..., "Label25": "计算结果:"}, "fault": null}
  {"fields": {...}, "fault": {"kind": "division-by-zero", "message": "除数为零：…"}}
Fault kinds: type-mismatch, division-by-zero, overflow, invalid-argument. A command
that stops at a fault keeps the boxes written before it; the later ones, and Label25,
keep what they showed.

A line that is not a JSON object of strings, names an unknown control, is longer
than 64 MiB (67108864 bytes before the LF) or cannot be handled in the memory there
is, gets an error line in Chinese: the message the window gives for a case file of the
same bytes (error lines are always in Chinese; messages on standard error are in
English), for example
  {"error": "第 N 行：“HS”不是输入框、选择框或结果框的名称。"}
and the tool goes on with the next line: every input line gets one output line. The
message names the problem: "空行。", "不是 UTF-8 编码的文字（第 12 个字节）。",
"数值超出范围（第 9 个字节）。", "不是有效的 JSON（第 5 个字节处有误，…）。",
"不是一个 JSON 对象；…", "“HSt”的值不是文字（…）。"; bytes are counted from 1. A UTF-8
byte-order mark at the start of the input is skipped; anywhere else it is an error. An
error quotes at most a short excerpt of the line, with control characters, invalid
UTF-8 and bidirectional or invisible formatting characters escaped (\n, \xFF,
\u202E). Lines end with LF or CR LF; a last line without a line end counts. The
decimal separator is ".". Texts are UTF-8; the output escapes only '"', '\' and
control characters.

With --sheet, the tool writes the calculation sheet (计算书) instead: one HTML
document (UTF-8, A4 print layout; open it in a browser or a word processor, print it
or save it as PDF) with one section per input line, each on a new page: the inputs
as typed and as read, every quantity with its formula, the formula with the values
put in and the result (exactly the text of its box), the sizing grid and the notes.
A line stopped by a fault gets its section up to the fault, with the fault's message;
a line that is not a case gets a section that says why (in Chinese). For example:
  tavorin-calc --sheet < penstock.jsonl > penstock.html
Case files saved by the window ("文件" → "保存…") are such lines: cat them together.

Exit status:
  0  every line was calculated (faults of the command included)
  1  at least one line was rejected with an error line
  2  wrong command line
  3  standard input could not be read or standard output not written (a message
     on standard error says which; the output then ends early)
  4  an internal error (a message on standard error)
)";
}

}  // namespace tavorin
