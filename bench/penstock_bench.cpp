// A penstock of 10,000 points through tavorin-calc --penstock against the same 9,998 cases as
// lines through the batch, in one process, in alternating rounds: the goal is a ratio of at
// most 1.5 (the derivation and the reading of one file against the reading of 9,998 lines).
//
//   tavorin_penstock_bench [ROUNDS] [POINTS]
//
// Writes the generated penstock file to $TMPDIR, and prints the median time of each side and
// the median of the per-round ratios.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/penstock_batch.h"
#include "engine/numeric_text.h"
#include "engine/penstock.h"
#include "sheet/case_file.h"
#include "sheet/penstock_file.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tavorin;

class Discard final : public ByteSink {
  public:
    bool write(std::string_view bytes) override {
        written += bytes.size();
        return true;
    }
    bool flush() override { return true; }
    std::string failure() const override { return {}; }
    std::size_t written = 0;
};

class Memory final : public ByteSource {
  public:
    explicit Memory(const std::string& text) : m_text(text) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, m_text.size() - m_at);
        std::copy_n(m_text.data() + m_at, n, buffer);
        m_at += n;
        return static_cast<std::ptrdiff_t>(n);
    }
    std::string failure() const override { return {}; }

  private:
    const std::string& m_text;
    std::size_t m_at = 0;
};

// A line falling by steps of varied slope and length, its pipe narrowing now and then, with
// a turn at every tenth block.
PenstockTexts generate(std::size_t points) {
    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> run(20, 120), slope(0.02, 1.2);
    PenstockTexts t;
    t.line[LineKey::Zwt] = "3000";
    t.line[LineKey::Qt] = "18.5";
    t.line[LineKey::dHt] = "120";
    double X = 0, Z = 2990, D = 3.2;
    for (std::size_t i = 0; i < points; ++i) {
        PenstockTexts::Point p;
        p[PointKey::X] = generalForm(std::round(X * 100) / 100);
        p[PointKey::Z] = generalForm(std::round(Z * 100) / 100);
        if (i % 400 == 399) D = std::max(1.0, D - 0.1);
        p[PointKey::D] = generalForm(std::round(D * 100) / 100);
        p[PointKey::DD] = "0.024";
        if (i % 10 == 5) p[PointKey::spj] = "7.5";
        t.points.push_back(p);
        const double dx = run(random);
        X += dx;
        Z -= dx * slope(random) * 0.05;
    }
    return t;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
    const std::size_t points = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000;
    const PenstockTexts texts = generate(points);
    const auto path = std::filesystem::temp_directory_path() / "tavorin-penstock-bench.penstock";
    std::ofstream(path, std::ios::binary) << penstockJson(texts);

    // The same cases as lines: each row's case as a case file writes it.
    const PenstockRead read = readPenstock(texts);
    if (!read.penstock) {
        std::fprintf(stderr, "the generated line is refused: %s\n", read.fault.message.c_str());
        return 1;
    }
    std::string lines;
    MemoryStore store;
    for (std::size_t row = 0; row < read.penstock->rows().size(); ++row) {
        store.reset();
        deriveRow(*read.penstock, row, store);
        lines += caseJson(store).json;
    }

    std::vector<double> penstockTimes, batchTimes, ratios;
    for (int r = 0; r < rounds; ++r) {
        std::string errors;
        Discard out1, out2;
        const auto t0 = Clock::now();
        const int s1 = runPenstock(path.string(), out1, errors);
        const auto t1 = Clock::now();
        Memory in(lines);
        const int s2 = runBatch(in, out2, errors);
        const auto t2 = Clock::now();
        if (s1 != kAllCalculated || s2 != kAllCalculated || out1.written != out2.written) {
            std::fprintf(stderr, "the runs differ: status %d and %d, %zu and %zu bytes\n", s1, s2,
                         out1.written, out2.written);
            return 1;
        }
        const double p = std::chrono::duration<double, std::milli>(t1 - t0).count();
        const double b = std::chrono::duration<double, std::milli>(t2 - t1).count();
        penstockTimes.push_back(p);
        batchTimes.push_back(b);
        ratios.push_back(p / b);
    }
    std::printf("%zu points, %zu rows, %d rounds\n", points, read.penstock->rows().size(), rounds);
    std::printf("penstock file  %8.2f ms (median)\n", median(penstockTimes));
    std::printf("cases as lines %8.2f ms (median)\n", median(batchTimes));
    std::printf("ratio          %8.2f (median of the rounds; goal <= 1.5)\n", median(ratios));
    if (std::getenv("TAVORIN_KEEP") == nullptr) std::filesystem::remove(path);
    return 0;
}
