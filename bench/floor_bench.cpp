// The calculate command against its floor: the work it cannot avoid, measured in the same
// process in alternating blocks, so that a busy machine slows both alike.
//
// The floor of one command on the default case: 27 readings of a decimal text with
// std::from_chars (the 21 input texts and the 6 force and weight texts read back), 30
// conversions of a double to 16 significant digits with std::to_chars (scientific), and
// about 100 double operations.
//
//   tavorin_floor_bench [ROUNDS]
//   tavorin_floor_bench --batch CASES ROUNDS PROGRAM...
//
// Prints, for each workload, the median time of one run and the median over the rounds of
// its ratio to the floor measured next to it. With --batch, each PROGRAM (tavorin-calc, an
// earlier build of it) reads the file CASES on standard input and writes to a file in
// $TMPDIR, and its wall time per input line is set against the floor of one command.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/calculate.h"
#include "engine/fields.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tavorin;

// The texts the default case reads: its 21 inputs, then the force and weight texts read
// back by the sizing.
const std::string_view kReadTexts[] = {
    "152",
    "0.014",
    "50",
    "6",
    "1",
    "35",
    "63",
    "3.8",
    "0.1",
    "0.1",
    "0.4",
    "0.4",
    "0.6",
    "1.03",
    "150",
    "200",
    "1",
    "1",
    "1",
    "0",
    "0",
    "77.5667185956496",
    "-30.0135534710018",
    "223.930349960126",
    "32.7212205739526",
    "-38.863699759729",
    "120.666751194611",
};

// The values the default case writes, as doubles with all their digits: the 24 that are
// not zero, taken in turn to make 30 conversions.
std::vector<double> writtenValues() {
    MemoryStore store;
    calculate(store);
    std::vector<double> values;
    for (const FieldSpec& f : fieldTable()) {
        const std::string& text = store.text(f.name);
        if (f.role != FieldRole::Output || text.empty()) continue;
        double v = 0;
        std::from_chars(text.data() + (text[0] == ' '), text.data() + text.size(), v);
        if (v != 0) values.push_back(v * (1 + 1e-13));
    }
    for (std::size_t i = 0; values.size() < 30; ++i) values.push_back(values[i]);
    return values;
}

struct Floor {
    std::vector<double> values = writtenValues();
    double sink = 0;

    void operator()() {
        double read[std::size(kReadTexts)];
        for (std::size_t i = 0; i < std::size(kReadTexts); ++i) {
            const std::string_view t = kReadTexts[i];
            std::from_chars(t.data(), t.data() + t.size(), read[i]);
        }
        // About 100 dependent operations on what was read.
        double acc = 0;
        for (int round = 0; round < 2; ++round) {
            for (std::size_t i = 0; i < std::size(kReadTexts); ++i) {
                acc = (acc * 0.5 + read[i]) / 1.0001;
            }
        }
        char text[64];
        std::size_t total = 0;
        for (const double v : values) {
            total += std::to_chars(text, text + sizeof text, v + acc * 1e-300,
                                   std::chars_format::scientific, 15)
                         .ptr -
                     text;
        }
        sink += acc + static_cast<double>(total);
    }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Nanoseconds per call of `work` over a block of `count` calls.
double timeBlock(const std::function<void()>& work, int count) {
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) work();
    const std::chrono::duration<double, std::nano> elapsed = Clock::now() - start;
    return elapsed.count() / count;
}

struct Workload {
    const char* name;
    std::function<void()> run;
};

// Wall time in seconds of `program` reading `input` and writing to `output`; negative when
// it could not be run or ended abnormally.
double runProgram(const char* program, const char* input, const char* output) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, input, O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char* argv[] = {const_cast<char*>(program), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &files, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? elapsed.count() : -1;
}

long countLines(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return -1;
    long lines = 0;
    int last = '\n';
    for (int c; (c = std::fgetc(f)) != EOF; last = c) lines += c == '\n';
    std::fclose(f);
    return lines + (last != '\n');
}

int batchMain(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s --batch CASES ROUNDS PROGRAM...\n", argv[0]);
        return 2;
    }
    const char* cases = argv[2];
    const int rounds = std::atoi(argv[3]);
    const long lines = countLines(cases);
    if (lines <= 0 || rounds < 1) {
        std::fprintf(stderr, "cannot read %s\n", cases);
        return 2;
    }
    const char* tmp = std::getenv("TMPDIR");
    const std::string output = std::string(tmp ? tmp : "/tmp") + "/tavorin_floor_bench.out";
    Floor floor;
    const int block = 250;
    timeBlock(std::ref(floor), block * 10);
    std::printf("%ld lines of %s, %d rounds, each program in turn with the floor\n\n", lines, cases,
                rounds);
    std::printf("%-40s %12s %12s %14s\n", "program", "ns per line", "floor ns", "ratio (median)");
    const int programs = argc - 4;
    std::vector<std::vector<double>> perLine(programs), floors(programs), ratios(programs);
    for (int r = 0; r < rounds; ++r) {
        for (int j = 0; j < programs; ++j) {
            const int which = (r + j) % programs;
            const double f = timeBlock(std::ref(floor), block);
            const double seconds = runProgram(argv[4 + which], cases, output.c_str());
            const double f2 = timeBlock(std::ref(floor), block);
            if (seconds < 0) {
                std::fprintf(stderr, "%s failed\n", argv[4 + which]);
                return 1;
            }
            const double ns = seconds * 1e9 / static_cast<double>(lines);
            perLine[which].push_back(ns);
            floors[which].push_back((f + f2) / 2);
            ratios[which].push_back(ns / ((f + f2) / 2));
        }
    }
    for (int j = 0; j < programs; ++j) {
        std::printf("%-40s %12.0f %12.0f %14.2f\n", argv[4 + j], median(perLine[j]),
                    median(floors[j]), median(ratios[j]));
    }
    std::remove(output.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--batch") return batchMain(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 301;
    Floor floor;
    MemoryStore anchor;
    MemoryStore pier;
    pier.replaceText("kj", kSupportPier);
    MemoryStore turned;
    for (const auto& [name, text] : {std::pair<const char*, const char*>{"DA1t", "35.30"},
                                     {"D1t", "1.2"},
                                     {"kkt", "1"},
                                     {"spjText", "30"},
                                     {"k", "下侧"}}) {
        turned.replaceText(name, text);
    }
    int faults = 0;
    const Workload workloads[] = {
        {"calculate, anchor block", [&] { faults += calculate(anchor).has_value(); }},
        {"calculate, support pier", [&] { faults += calculate(pier).has_value(); }},
        {"calculate, turned block", [&] { faults += calculate(turned).has_value(); }},
    };
    const int block = 250;
    for (const Workload& w : workloads) timeBlock(w.run, block);  // warm up
    std::printf("floor: 27 from_chars, 30 to_chars (16 digits), ~100 double operations\n");
    std::printf("%d rounds of %d calls, alternating with the floor\n\n", rounds, block);
    std::printf("%-26s %12s %12s %14s\n", "workload", "median ns", "floor ns", "ratio (median)");
    for (const Workload& w : workloads) {
        std::vector<double> times, floors, ratios;
        for (int r = 0; r < rounds; ++r) {
            double f = 0, t = 0;
            if (r % 2 == 0) {
                f = timeBlock(std::ref(floor), block);
                t = timeBlock(w.run, block);
            } else {
                t = timeBlock(w.run, block);
                f = timeBlock(std::ref(floor), block);
            }
            times.push_back(t);
            floors.push_back(f);
            ratios.push_back(t / f);
        }
        std::printf("%-26s %12.0f %12.0f %14.2f\n", w.name, median(times), median(floors),
                    median(ratios));
    }
    if (faults != 0 || floor.sink == 0) std::printf("(unexpected: %d faults)\n", faults);
    return 0;
}
