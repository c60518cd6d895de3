// Speed of the calculate command, the text rules and tavorin-calc.
#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
#include <string>

#include "cli/batch.h"
#include "cli/sheet_batch.h"
#include "engine/calculate.h"
#include "engine/numeric_text.h"
#include "engine/record.h"
#include "sheet/sheet.h"

namespace {

using namespace tavorin;

void calculateOnMemoryStore(benchmark::State& state) {
    MemoryStore store;
    if (state.range(0) == 1) store.replaceText("kj", "支墩");
    for (auto _ : state) {
        auto fault = calculate(store);
        benchmark::DoNotOptimize(fault);
    }
}
BENCHMARK(calculateOnMemoryStore)->Arg(0)->Arg(1)->ArgName("supportPier");

void calculateOnFreshStore(benchmark::State& state) {
    for (auto _ : state) {
        MemoryStore store;
        auto fault = calculate(store);
        benchmark::DoNotOptimize(fault);
    }
}
BENCHMARK(calculateOnFreshStore);

// The same command keeping the calculation record, and the record written as a sheet.
void calculateWithRecord(benchmark::State& state) {
    MemoryStore store;
    CalcRecord record;
    for (auto _ : state) {
        auto fault = calculate(store, record);
        benchmark::DoNotOptimize(fault);
    }
}
BENCHMARK(calculateWithRecord);

void sheetOfOneBlock(benchmark::State& state) {
    MemoryStore store;
    CalcRecord record;
    calculate(store, record);
    for (auto _ : state) benchmark::DoNotOptimize(sheetDocument(record).size());
}
BENCHMARK(sheetOfOneBlock);

const double kValues[] = {176.236796821571, -1.156083, 0.7854, 1234567890123456.0,
                          5.6789e-12,       10.04,     93.3,   -30.0135534710018};

void generalFormDouble(benchmark::State& state) {
    for (auto _ : state) {
        for (double v : kValues) benchmark::DoNotOptimize(generalForm(v));
    }
    state.SetItemsProcessed(state.iterations() * std::size(kValues));
}
BENCHMARK(generalFormDouble);

void generalFormSingle(benchmark::State& state) {
    for (auto _ : state) {
        for (double v : kValues) benchmark::DoNotOptimize(generalForm(static_cast<float>(v)));
    }
    state.SetItemsProcessed(state.iterations() * std::size(kValues));
}
BENCHMARK(generalFormSingle);

void leadingBlank(benchmark::State& state) {
    for (auto _ : state) {
        for (double v : kValues) benchmark::DoNotOptimize(leadingBlankForm(v));
    }
    state.SetItemsProcessed(state.iterations() * std::size(kValues));
}
BENCHMARK(leadingBlank);

const char* const kTexts[] = {"152",   "0.014", " 3.8 ",  "1 52",
                              "35.30", "1e2",   "&HFFFF", "-30.0135534710018"};

void lenientReading(benchmark::State& state) {
    for (auto _ : state) {
        for (const char* t : kTexts) benchmark::DoNotOptimize(readLenient(t));
    }
    state.SetItemsProcessed(state.iterations() * std::size(kTexts));
}
BENCHMARK(lenientReading);

void strictConversion(benchmark::State& state) {
    for (auto _ : state) {
        for (const char* t : kTexts) benchmark::DoNotOptimize(convertStrictDouble(t));
    }
    state.SetItemsProcessed(state.iterations() * std::size(kTexts));
}
BENCHMARK(strictConversion);

// 100,000 cases of a parameter study: head, angles, diameters and structure varied.
std::string generatedCases(int count) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> head(50, 400);
    std::uniform_int_distribution<int> angle(0, 70);
    std::uniform_int_distribution<int> minutes(0, 59);
    std::uniform_int_distribution<int> turn(0, 45);
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "{\"HSt\": \"" + std::to_string(head(random)) + "\", \"DA1t\": \"" +
                std::to_string(angle(random)) + "." + std::to_string(minutes(random)) +
                "\", \"DA2t\": \"" + std::to_string(angle(random)) + "\", \"spjText\": \"" +
                std::to_string(turn(random)) + "\", \"kj\": \"" + (i % 4 == 0 ? "支墩" : "镇墩") +
                "\", \"k\": \"" + (i % 2 == 0 ? "上侧" : "下侧") + "\", \"D1t\": \"1.2\"}\n";
    }
    return text;
}

void batchEndToEnd(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string input = generatedCases(count);
    for (auto _ : state) {
        std::istringstream in(input);
        std::ostringstream out;
        const int status = runBatch(in, out);
        if (status != 0) state.SkipWithError("a generated line was rejected");
        benchmark::DoNotOptimize(out.str().size());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(batchEndToEnd)->Arg(1'000)->Arg(100'000)->ArgName("cases")->Unit(benchmark::kMillisecond);

// tavorin-calc --sheet: the same cases, one HTML document.
void sheetBatchEndToEnd(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string input = generatedCases(count);
    for (auto _ : state) {
        std::istringstream in(input);
        std::ostringstream out;
        const int status = runSheetBatch(in, out);
        if (status != 0) state.SkipWithError("a generated line was rejected");
        benchmark::DoNotOptimize(out.str().size());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(sheetBatchEndToEnd)->Arg(1'000)->ArgName("cases")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
