#include <iostream>
#include <string_view>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

#include "cli/batch.h"
#include "cli/sheet_batch.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // The same bytes as on Linux: no CR before each LF on output, no end of input at a ^Z.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
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
