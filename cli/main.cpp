#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <string_view>

#include "cli/batch.h"
#include "cli/penstock_batch.h"
#include "cli/sheet_batch.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <vector>
#endif

namespace {

class StdinSource final : public tavorin::ByteSource {
  public:
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        const std::size_t got = std::fread(buffer, 1, size, stdin);
        if (got == 0 && std::ferror(stdin)) {
            m_errno = errno;
            return -1;
        }
        return static_cast<std::ptrdiff_t>(got);
    }
    std::string failure() const override { return std::strerror(m_errno); }

  private:
    int m_errno = 0;
};

class StdoutSink final : public tavorin::ByteSink {
  public:
    bool write(std::string_view bytes) override {
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size()) return true;
        m_errno = errno;
        return false;
    }
    bool flush() override {
        if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
        m_errno = errno;
        return false;
    }
    std::string failure() const override { return std::strerror(m_errno); }

  private:
    int m_errno = 0;
};

// The calculation sheet: one document over iostreams; a failure of either stream is
// reported as for the batch.
int runSheet() {
    std::ios::sync_with_stdio(false);
    const int status = tavorin::runSheetBatch(std::cin, std::cout);
    if (std::cin.bad()) {
        std::fputs("tavorin-calc: cannot read the input\n", stderr);
        return tavorin::kStreamFailed;
    }
    if (!std::cout.flush()) {
        std::fputs("tavorin-calc: cannot write the sheet\n", stderr);
        return tavorin::kStreamFailed;
    }
    return status;
}

// tavorin-calc --penstock FILE [--sheet]: the rows of a penstock file; a file that cannot be
// read or is refused is one message on standard error and nothing on standard output.
int runPenstockFile(const std::string& path, bool sheet) {
    std::string errors;
    int status = tavorin::kAllCalculated;
    if (sheet) {
        std::ios::sync_with_stdio(false);
        status = tavorin::runPenstockSheet(path, std::cout, errors);
        if (errors.empty() && !std::cout.flush()) {
            errors = "cannot write the sheet";
            status = tavorin::kStreamFailed;
        }
    } else {
        StdoutSink out;
        status = tavorin::runPenstock(path, out, errors);
    }
    if (!errors.empty()) std::fprintf(stderr, "tavorin-calc: %s\n", errors.c_str());
    return status;
}

int run(int argc, char** argv) {
    bool sheet = false;
    const char* penstock = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            const std::string usage = tavorin::batchUsage();
            if (std::fwrite(usage.data(), 1, usage.size(), stdout) != usage.size() ||
                std::fflush(stdout) != 0) {
                std::fprintf(stderr, "tavorin-calc: cannot write the help: %s\n",
                             std::strerror(errno));
                return tavorin::kStreamFailed;
            }
            return tavorin::kAllCalculated;
        }
        if (arg == "--version") {
            if (std::fputs("tavorin-calc " TAVORIN_VERSION "\n", stdout) < 0 ||
                std::fflush(stdout) != 0) {
                std::fprintf(stderr, "tavorin-calc: cannot write the version: %s\n",
                             std::strerror(errno));
                return tavorin::kStreamFailed;
            }
            return tavorin::kAllCalculated;
        }
        if (arg == "--sheet") {
            sheet = true;
            continue;
        }
        if (arg == "--penstock") {
            if (i + 1 == argc) {
                std::fputs("tavorin-calc: --penstock needs a file; see tavorin-calc --help\n",
                           stderr);
                return tavorin::kWrongArguments;
            }
            penstock = argv[++i];
            continue;
        }
        std::fprintf(stderr, "tavorin-calc: unknown argument \"%s\"; see tavorin-calc --help\n",
                     argv[i]);
        return tavorin::kWrongArguments;
    }
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (penstock != nullptr) return runPenstockFile(penstock, sheet);
    if (sheet) return runSheet();
    StdinSource in;
    StdoutSink out;
    std::string errors;
    const int status = tavorin::runBatch(in, out, errors);
    if (!errors.empty()) std::fprintf(stderr, "tavorin-calc: %s\n", errors.c_str());
    return status;
}

}  // namespace

#ifdef _WIN32
// The arguments as UTF-8 (the C run-time gives them in the ANSI code page, which loses a
// Chinese file name on most systems), from the wide command line.
std::vector<std::string> utf8Arguments() {
    std::vector<std::string> out;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return out;
    for (int i = 0; i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? static_cast<std::size_t>(size - 1) : 0, '\0');
        if (size > 1)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
        out.push_back(std::move(arg));
    }
    LocalFree(wide);
    return out;
}
#endif

int main(int argc, char** argv) {
    // The last resort: whatever escapes the batch ends the run with its own status.
    try {
#ifdef _WIN32
        std::vector<std::string> args = utf8Arguments();
        std::vector<char*> pointers;
        for (std::string& arg : args) pointers.push_back(arg.data());
        pointers.push_back(nullptr);
        if (!args.empty()) return run(static_cast<int>(args.size()), pointers.data());
#endif
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("tavorin-calc: internal error: out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tavorin-calc: internal error: %s\n", e.what());
    } catch (...) {
        std::fputs("tavorin-calc: internal error\n", stderr);
    }
    return tavorin::kInternalError;
}
