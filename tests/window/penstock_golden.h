// The golden line of the window tests of every toolkit (tests/golden/penstock.penstock) and
// the batch tool's result lines for it (penstock.expected), read once.
#pragma once

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "sheet/case_file.h"
#include "sheet/penstock_file.h"

namespace tavorin {

inline const PenstockTexts& golden() {
    static const PenstockTexts texts =
        parsePenstock(readFile(TAVORIN_GOLDEN_DIR "/penstock.penstock", kPenstockFileLimit).bytes)
            .texts;
    return texts;
}

inline std::vector<nlohmann::json> goldenLines() {
    std::ifstream in(TAVORIN_GOLDEN_DIR "/penstock.expected");
    std::vector<nlohmann::json> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
}

}  // namespace tavorin
