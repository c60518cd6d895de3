// The one reader of a case on arbitrary bytes, through every caller: a case file opened
// into a window's store, a batch line, a --sheet line. None throws or ends the program;
// all give the same verdict and message; a rejected file leaves the store as it was; and
// an independent parser's verdict on the JSON is respected.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>

#include "cli/batch.h"
#include "cli/sheet_batch.h"
#include "engine/fields.h"
#include "fuzz/check.h"
#include "sheet/case_file.h"
#include "sheet/sheet.h"
#include "window/file_menu.h"

namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

// What every box of `store` shows, Form1's and the stability check's.
std::string snapshot(tavorin::MemoryStore& store) {
    std::string all;
    std::string text;
    for (const auto& boxes : {tavorin::fieldTable(), tavorin::checkFieldTable()}) {
        for (const tavorin::FieldSpec& f : boxes) {
            if (f.role == tavorin::FieldRole::Caption) continue;
            store.readText(f.name, text);
            all += text + '\n';
        }
    }
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // A case file, opened into a store that a user has typed into.
    static const struct Scratch {
        fs::path path = fs::temp_directory_path() /
                        ("tavorin-cases-fuzz-" + std::to_string(getpid()) + ".json");
        ~Scratch() {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
    } scratch;
    const fs::path& path = scratch.path;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    tavorin::MemoryStore store;
    store.replaceText("HSt", "typed");
    store.replaceText("Bjt", "typed");
    const std::string before = snapshot(store);
    const tavorin::FileOutcome opened = tavorin::openCase(store, path.string());
    const tavorin::CaseParse file = tavorin::parseCase(bytes);
    FUZZ_CHECK(opened.error.empty() == file.error.empty(), "open and parse disagree: %s",
               opened.error.c_str());
    if (!opened.error.empty()) {
        const std::string prefix = "文件“" + path.string() + "”不是算例文件：";
        FUZZ_CHECK(opened.error == prefix + file.error, "open: %s", opened.error.c_str());
        FUZZ_CHECK(snapshot(store) == before, "a rejected file changed the store");
    }

    // The same bytes as the first line of the batch tool and of the sheet.
    std::string_view line = bytes;
    if (line.find('\n') != std::string_view::npos) return 0;
    if (line.ends_with('\r')) line.remove_suffix(1);
    const tavorin::CaseParse asLine = tavorin::parseCase(line, tavorin::CaseScope::InputsAndOutputs,
                                                         tavorin::CasePlace::FirstLine);
    const tavorin::LineOutcome batch = tavorin::handleLine(bytes, 1);
    const Json answer = Json::parse(batch.text);
    FUZZ_CHECK(batch.rejected == !asLine.error.empty(), "batch and reader disagree");
    if (batch.rejected) {
        FUZZ_CHECK(answer["error"] == "第 1 行：" + asLine.error, "batch: %s", batch.text.c_str());
    }
    std::istringstream in(bytes + "\n");
    std::ostringstream sheet;
    const int status = tavorin::runSheetBatch(in, sheet);
    FUZZ_CHECK(status == (asLine.error.empty() ? 0 : 1), "sheet status %d", status);
    if (!asLine.error.empty()) {
        FUZZ_CHECK(sheet.str().find("此行未计算：" + tavorin::escapeHtml(asLine.error)) !=
                       std::string::npos,
                   "the sheet words it otherwise: %s", asLine.error.c_str());
    }
    // A file and a first line differ only in the word for blank bytes and the output boxes.
    const tavorin::CaseParse fileAllBoxes =
        tavorin::parseCase(line, tavorin::CaseScope::InputsAndOutputs, tavorin::CasePlace::File);
    if (asLine.error != "空行。") {
        FUZZ_CHECK(fileAllBoxes.error == asLine.error, "file %s, line %s",
                   fileAllBoxes.error.c_str(), asLine.error.c_str());
    }

    // An independent parser: what it cannot read is never a case. (It takes a zero byte
    // for the end of its input and skips a byte-order mark of its own accord.)
    if (line.find('\0') == std::string_view::npos) {
        FUZZ_CHECK(Json::accept(line) || !asLine.error.empty(), "invalid JSON read as a case");
    }
    return 0;
}
