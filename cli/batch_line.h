// One input line of tavorin-calc as a worker of the run handles it (cli/batch_run.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/batch.h"
#include "cli/byte_buffer.h"
#include "engine/fields.h"

namespace tavorin {

// A line longer than this takes the path of a line of its own (handleLine, with a store of
// its own), whose answer is written out from its own string: such a line is held at most
// twice, as text and as answer, and no worker keeps its room.
inline constexpr std::size_t kLargeLine = std::size_t{1} << 20;

// A worker's store and buffers, used again for every line it handles.
struct LineWorker {
    MemoryStore store;
    std::string scratch;
};

// Appends the answer to line `number` and its LF to `out`, as handleLine would give it;
// sets `rejected` when it is an error line. `owned`, when given, holds `line` and is freed
// as soon as the line is read. Throws only std::bad_alloc, from `out`.
void handleLineInto(ByteBuffer& out, bool& rejected, LineWorker& worker, std::string_view line,
                    std::uint64_t number, std::string* owned);

}  // namespace tavorin
