// Cost of one call of our correctly rounded sin and cos against the C library's, on the
// same arguments: ordinary angles (|x| < 2 pi), larger ones (|x| < 1e5) and huge ones
// (every binade up to 1e300, the exact path).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/trig.h"

namespace {

std::vector<double> arguments(int range) {
    std::mt19937_64 g(42);
    std::vector<double> xs(4096);
    for (double& x : xs) {
        if (range == 2) {
            x = std::ldexp(std::uniform_real_distribution<double>(0.5, 1.0)(g),
                           std::uniform_int_distribution<int>(21, 996)(g));
        } else {
            const double limit = range == 0 ? 6.283185307179586 : 1e5;
            x = std::uniform_real_distribution<double>(-limit, limit)(g);
        }
    }
    return xs;
}

template <double (*F)(double)>
void perCall(benchmark::State& state) {
    const std::vector<double> xs = arguments(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        double sum = 0.0;
        for (double x : xs) sum += F(x);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(xs.size()));
}

double librarySin(double x) { return std::sin(x); }
double libraryCos(double x) { return std::cos(x); }

// range 0: |x| < 2 pi, 1: |x| < 1e5, 2: 2^20 <= |x| < 2^996.
BENCHMARK(perCall<tavorin::trig::sin>)->Name("sin/ours")->DenseRange(0, 2)->ArgName("range");
BENCHMARK(perCall<librarySin>)->Name("sin/library")->DenseRange(0, 2)->ArgName("range");
BENCHMARK(perCall<tavorin::trig::cos>)->Name("cos/ours")->DenseRange(0, 2)->ArgName("range");
BENCHMARK(perCall<libraryCos>)->Name("cos/library")->DenseRange(0, 2)->ArgName("range");

}  // namespace

BENCHMARK_MAIN();
