// The batch run: the input read in large blocks and cut into lines, chunks of lines
// handled on worker threads (cli/ordered_pool.h), their answers written out in input order.
#include <algorithm>
#include <condition_variable>
#include <istream>
#include <memory>
#include <mutex>
#include <new>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "cli/batch.h"
#include "cli/batch_line.h"
#include "cli/byte_buffer.h"
#include "cli/line_splitter.h"
#include "cli/ordered_pool.h"

namespace tavorin {
namespace {

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

void handleChunk(Chunk& chunk, LineWorker& w) {
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
                handleLineInto(chunk.output, chunk.rejected, w, item.owned, number, &item.owned);
            } else {
                handleLineInto(chunk.output, chunk.rejected, w,
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

// Gathers the lines into chunks and hands each full one to the pool.
class ChunkBuilder final : public LineSink {
  public:
    using Pool = OrderedPool<Chunk, LineWorker>;
    ChunkBuilder(Pool& pool, LargeLines& largeLines) : m_pool(pool), m_largeLines(largeLines) {}

    bool line(std::string_view text) override {
        m_chunk->items.push_back({m_chunk->bytes.size(), text.size(), {}, false});
        m_chunk->bytes.append(text);
        return added();
    }
    bool longLine(std::string&& text) override {
        const bool large = text.size() > kLargeLine;
        if (large) {
            m_largeLines.take(text.size());
            m_chunk->budget = &m_largeLines;
            m_chunk->budgetBytes = text.size();
        }
        m_chunk->items.push_back({0, 0, std::move(text), false});
        if (!large) return added();
        ++m_chunk->lines;
        ++m_number;
        return submit();
    }
    bool unread(std::string_view reason) override {
        m_chunk->items.push_back({0, 0, errorLine(m_number, reason), true});
        return added();
    }

    // Hands on the chunk begun, if it holds a line.
    bool submit() {
        if (m_chunk->lines == 0) return true;
        const std::uint64_t next = m_chunk->firstNumber + m_chunk->lines;
        const bool ok = m_pool.submit(std::move(m_chunk));
        m_chunk = std::make_unique<Chunk>();
        m_chunk->firstNumber = next;
        return ok;
    }
    // The number of the line being read.
    std::uint64_t number() const { return m_number; }

  private:
    bool added() {
        ++m_chunk->lines;
        ++m_number;
        return m_chunk->lines < kChunkLines && m_chunk->bytes.size() < kChunkBytes ? true
                                                                                   : submit();
    }

    Pool& m_pool;
    LargeLines& m_largeLines;
    std::unique_ptr<Chunk> m_chunk = std::make_unique<Chunk>();
    std::uint64_t m_number = 1;
};

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

int runBatch(ByteSource& in, ByteSink& out, std::string& errors) {
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    const auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    std::uint64_t delivered = 0;  // lines handed to the output
    bool rejected = false;
    bool workerFailed = false;

    LargeLines largeLines;  // outlives the pool and every chunk
    // Workers handle chunks of lines on every core; the chunks go out in input order.
    const unsigned workers = std::max(1u, std::thread::hardware_concurrency());
    ChunkBuilder::Pool pool(workers, 4 * std::size_t{workers}, handleChunk, [&](Chunk& chunk) {
        if (chunk.failed) {
            workerFailed = true;
            return false;
        }
        rejected = rejected || chunk.rejected;
        delivered += chunk.lines;
        if (!out.write(chunk.output.view())) return false;
        return chunk.large.empty() || (out.write(chunk.large) && out.write("\n"));
    });
    ChunkBuilder chunks(pool, largeLines);
    LineSplitter splitter(chunks, kMaxLineBytes);

    // Hands on what is read, waits for the workers, and flushes.
    const auto finish = [&] { return chunks.submit() && pool.finish() && out.flush(); };
    const auto stopped = [&] {
        pool.finish();
        if (workerFailed) {
            errors = "internal error: out of memory while handling line " +
                     std::to_string(delivered + 1) + " or later";
            return kInternalError;
        }
        errors = "cannot write the results after " + std::to_string(delivered) +
                 " lines: " + out.failure();
        return kStreamFailed;
    };

    for (;;) {
        const std::ptrdiff_t got = in.read(block.get(), kBlock);
        if (got < 0) {
            std::string failure = "cannot read the input: " + in.failure();
            if (splitter.inLine()) {
                failure +=
                    "; line " + std::to_string(chunks.number()) + " was cut short and not handled";
            }
            if (!finish()) return stopped();
            errors = failure;
            return kStreamFailed;
        }
        if (got == 0) break;
        if (!splitter.feed({block.get(), static_cast<std::size_t>(got)})) return stopped();
    }
    if (!splitter.end() || !finish()) return stopped();
    return rejected ? kLineRejected : kAllCalculated;
}

int runBatch(std::istream& in, std::ostream& out) {
    StreamSource source(in);
    StreamSink sink(out);
    std::string errors;
    return runBatch(source, sink, errors);
}

}  // namespace tavorin
