// Save and load of projects with 1, 100 and 10,000 variations: time, file
// size and the memory the loaded project takes.
#include "profiler/LibArvilo.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

template <class F>
double BestMs(F f, int runs = 5)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    std::printf("%12s %12s %12s %12s %14s\n", "variations", "save ms", "load ms", "file bytes", "loaded KiB");
    for (const int n : {1, 100, 10000}) {
        TArvilo project(nullptr);
        project.Block.Title = "Benchmark";
        for (int i = 0; i < n; ++i) {
            auto *v = new TArvilo_Var(&project);
            project.AddChild(v);
            v->Params.Da = 30 + i % 20;
            v->Comment = "variation " + std::to_string(i);
        }
        const std::string file = dir.filePath(QString("p%1.Arv").arg(n)).toStdString();
        const double save = BestMs([&] {
            if (!project.SaveToFile(file))
                std::fprintf(stderr, "save failed\n");
        });
        const long before = ResidentKiB();
        auto loaded = std::make_unique<TArvilo>(nullptr);
        const double load = BestMs([&] {
            if (!loaded->LoadFromFile(file) || loaded->Count != n)
                std::fprintf(stderr, "load failed\n");
        });
        const long grown = ResidentKiB() - before;
        std::ifstream in(file, std::ios::binary | std::ios::ate);
        std::printf("%12d %12.2f %12.2f %12lld %14ld\n", n, save, load, static_cast<long long>(in.tellg()), grown);
    }
    return 0;
}
