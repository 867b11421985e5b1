// Time of one Bo solve and of one N/N0 evaluation of the dispersion model.
#include "model/UntBodenstein.h"

#include <benchmark/benchmark.h>
#include <cmath>

static void BM_SolveBo_Da43_4_S29_56(benchmark::State &state)
{
    const double target = std::exp(-29.56);
    for (auto _ : state)
        benchmark::DoNotOptimize(SolveBoForNN0(43.4, target));
}
BENCHMARK(BM_SolveBo_Da43_4_S29_56);

static void BM_SolveBo_Da150_S140(benchmark::State &state)
{
    const double target = std::exp(-140.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(SolveBoForNN0(150, target));
}
BENCHMARK(BM_SolveBo_Da150_S140);

static void BM_NN0Dispersion(benchmark::State &state)
{
    double bo = 62.19;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bo);
        benchmark::DoNotOptimize(NN0Dispersion(43.4, bo));
    }
}
BENCHMARK(BM_NN0Dispersion);

BENCHMARK_MAIN();
