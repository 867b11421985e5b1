// The point evaluations of one profile run: profile 8 at resolution 10 is
// 100 series of 100 points with a Bo solve each. BM_ProfileN_* evaluate the
// points one after the other on one thread; BM_PointsN_* compute them as the
// profile run does, on one thread per processor (wall time).
#include "profiler/LibArvilo.h"

#include <benchmark/benchmark.h>

static void RunProfile(benchmark::State &state, int profile)
{
    TArvilo project(nullptr);
    auto *v = new TArvilo_Var(&project);
    project.AddChild(v);
    v->Params.Profile = static_cast<std::uint8_t>(profile);
    v->Params.Resolution = 10;
    v->Steps = 100;
    double sum = 0;
    for (auto _ : state) {
        for (int j = 1; j <= v->Steps; ++j) {
            v->SeriesStep = j;
            for (int i = 1; i <= v->Steps; ++i) {
                v->XStep = i;
                double z, x, y;
                if (ProfileAxes[profile][axZ] == qBo)
                    v->Point3DBo(z, x, y);
                else
                    v->Point3DS(z, x, y);
                sum += z;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}

static void BM_Profile8_Resolution10(benchmark::State &state) { RunProfile(state, 8); }
BENCHMARK(BM_Profile8_Resolution10)->Unit(benchmark::kMillisecond);
static void BM_Profile10_Resolution10(benchmark::State &state) { RunProfile(state, 10); }
BENCHMARK(BM_Profile10_Resolution10)->Unit(benchmark::kMillisecond);
static void BM_Profile11_Resolution10(benchmark::State &state) { RunProfile(state, 11); }
BENCHMARK(BM_Profile11_Resolution10)->Unit(benchmark::kMillisecond);

static void ComputePoints(benchmark::State &state, int profile)
{
    TArvilo project(nullptr);
    auto *v = new TArvilo_Var(&project);
    project.AddChild(v);
    v->Params.Profile = static_cast<std::uint8_t>(profile);
    v->Params.Resolution = 10;
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeProfilePoints(*v, 100).Points.data());
}

static void BM_Points8_Resolution10(benchmark::State &state) { ComputePoints(state, 8); }
BENCHMARK(BM_Points8_Resolution10)->Unit(benchmark::kMillisecond)->UseRealTime();
static void BM_Points10_Resolution10(benchmark::State &state) { ComputePoints(state, 10); }
BENCHMARK(BM_Points10_Resolution10)->Unit(benchmark::kMillisecond)->UseRealTime();
static void BM_Points11_Resolution10(benchmark::State &state) { ComputePoints(state, 11); }
BENCHMARK(BM_Points11_Resolution10)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
