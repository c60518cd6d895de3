// Cost of one call of our correctly rounded sin, cos and atan against the C library's, on
// the same arguments: for sin and cos ordinary angles (|x| < 2 pi), larger ones (|x| < 1e5)
// and huge ones (every binade up to 1e300, the exact path); for atan slopes of penstocks
// (0.001 <= |x| <= 10) and every binade of 2^-30 <= |x| < 2^30.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/atan.h"
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

// range 0: 0.001 <= |x| <= 10, 1: 2^-30 <= |x| < 2^30; either sign.
std::vector<double> atanArguments(int range) {
    std::mt19937_64 g(42);
    std::vector<double> xs(4096);
    for (double& x : xs) {
        x = range == 0 ? std::uniform_real_distribution<double>(0.001, 10.0)(g)
                       : std::ldexp(std::uniform_real_distribution<double>(1.0, 2.0)(g),
                                    std::uniform_int_distribution<int>(-30, 29)(g));
        if (g() & 1) x = -x;
    }
    return xs;
}

template <double (*F)(double), std::vector<double> (*Arguments)(int) = arguments>
void perCall(benchmark::State& state) {
    const std::vector<double> xs = Arguments(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        double sum = 0.0;
        for (double x : xs) sum += F(x);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(xs.size()));
}

double librarySin(double x) { return std::sin(x); }
double libraryCos(double x) { return std::cos(x); }
double libraryAtan(double x) { return std::atan(x); }

// range 0: |x| < 2 pi, 1: |x| < 1e5, 2: 2^20 <= |x| < 2^996.
BENCHMARK(perCall<tavorin::trig::sin>)->Name("sin/ours")->DenseRange(0, 2)->ArgName("range");
BENCHMARK(perCall<librarySin>)->Name("sin/library")->DenseRange(0, 2)->ArgName("range");
BENCHMARK(perCall<tavorin::trig::cos>)->Name("cos/ours")->DenseRange(0, 2)->ArgName("range");
BENCHMARK(perCall<libraryCos>)->Name("cos/library")->DenseRange(0, 2)->ArgName("range");
BENCHMARK(perCall<tavorin::trig::atan, atanArguments>)
    ->Name("atan/ours")
    ->DenseRange(0, 1)
    ->ArgName("range");
BENCHMARK(perCall<libraryAtan, atanArguments>)
    ->Name("atan/library")
    ->DenseRange(0, 1)
    ->ArgName("range");

}  // namespace

BENCHMARK_MAIN();
