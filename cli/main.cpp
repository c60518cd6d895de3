#include <iostream>
#include <string_view>

#include "cli/batch.h"
#include "cli/sheet_batch.h"

int main(int argc, char** argv) {
    bool sheet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << tavorin::batchUsage();
            return 0;
        }
        if (arg == "--sheet") {
            sheet = true;
            continue;
        }
        std::cerr << "tavorin-calc: unknown argument \"" << arg << "\"; see tavorin-calc --help\n";
        return 2;
    }
    std::ios::sync_with_stdio(false);
    return sheet ? tavorin::runSheetBatch(std::cin, std::cout)
                 : tavorin::runBatch(std::cin, std::cout);
}
