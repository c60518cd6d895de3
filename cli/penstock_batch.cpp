#include "cli/penstock_batch.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <thread>

#include "cli/byte_buffer.h"
#include "cli/ordered_pool.h"
#include "cli/result_line.h"
#include "engine/penstock.h"
#include "sheet/case_file.h"
#include "sheet/penstock_file.h"
#include "sheet/penstock_sheet.h"

namespace tavorin {
namespace {

// A run of rows, handled on one worker thread and written out as one block.
struct RowChunk {
    std::size_t begin = 0;
    std::size_t end = 0;
    ByteBuffer output;
};

constexpr std::size_t kChunkRows = 256;

// Each row as tavorin-calc does its case as a line (calculateRow), its result line written
// straight from the store.
void handleRows(const Penstock& penstock, RowChunk& chunk, MemoryStore& store) {
    for (std::size_t row = chunk.begin; row < chunk.end; ++row) {
        store.reset();
        const bool checked = penstock.rows()[row].checked;
        const std::optional<Fault> fault = calculateRow(penstock, row, store);
        chunk.output.commit(writeResultLine(
            chunk.output.room(resultLineBound(store, fault, checked)), store, fault, checked));
    }
}

// The file read and its profile checked; nullopt with `errors` and `status` set when not.
struct Loaded {
    PenstockTexts texts;
    std::optional<Penstock> penstock;
};

bool load(const std::string& path, Loaded& loaded, std::string& errors, int& status) {
    // A file that cannot be read is a failure of the input; one that is no penstock is
    // refused.
    const FileRead file = readFile(path, kPenstockFileLimit, "文件过大，不是管线文件。");
    if (!file.error.empty()) {
        errors = file.error;
        status = kStreamFailed;
        return false;
    }
    PenstockParse parsed = parsePenstock(file.bytes);
    if (!parsed.error.empty()) {
        errors = "文件“" + path + "”不是管线文件：" + parsed.error;
        status = kLineRejected;
        return false;
    }
    loaded.texts = std::move(parsed.texts);
    PenstockRead read = readPenstock(loaded.texts);
    if (!read.penstock) {
        errors = "文件“" + path + "”：" + read.fault.message;
        status = kLineRejected;
        return false;
    }
    loaded.penstock.emplace(std::move(*read.penstock));
    return true;
}

}  // namespace

int runPenstock(const std::string& utf8Path, ByteSink& out, std::string& errors) {
    // The texts stay where they are: the profile refers to them.
    auto loaded = std::make_unique<Loaded>();
    int status = kAllCalculated;
    if (!load(utf8Path, *loaded, errors, status)) return status;
    const Penstock& penstock = *loaded->penstock;

    const unsigned workers = std::max(1u, std::thread::hardware_concurrency());
    bool written = true;
    OrderedPool<RowChunk, MemoryStore> pool(
        workers, 4 * std::size_t{workers},
        [&penstock](RowChunk& chunk, MemoryStore& store) { handleRows(penstock, chunk, store); },
        [&](RowChunk& chunk) {
            written = out.write(chunk.output.view());
            return written;
        });
    const std::size_t rows = penstock.rows().size();
    for (std::size_t begin = 0; begin < rows && written; begin += kChunkRows) {
        auto chunk = std::make_unique<RowChunk>();
        chunk->begin = begin;
        chunk->end = std::min(rows, begin + kChunkRows);
        if (!pool.submit(std::move(chunk))) break;
    }
    if (!pool.finish() || !written || !out.flush()) {
        errors = "cannot write the results: " + out.failure();
        return kStreamFailed;
    }
    return kAllCalculated;
}

int runPenstockSheet(const std::string& utf8Path, std::ostream& out, std::string& errors) {
    auto loaded = std::make_unique<Loaded>();
    int status = kAllCalculated;
    if (!load(utf8Path, *loaded, errors, status)) return status;
    out << penstockSheet(*loaded->penstock);
    return kAllCalculated;
}

}  // namespace tavorin
