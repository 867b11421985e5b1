// Save and load of projects of any size: time per run, file size and the
// memory the loaded project takes.
//
//   store_bench                          1, 100 and 10,000 variations, best of 5
//   store_bench --sizes N,N,.. [--runs R] every run's time, machine-readable:
//                                         "save N ms..", "load N ms..", "bytes N b"
//   store_bench --make FILE N            writes a project of N variations
//   store_bench --cold FILE N            one load in this fresh process: "cold N ms"
#include "profiler/LibArvilo.h"

#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Numbers as text without the C library's locale.
std::string Fixed(double Value, int Decimals)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, Decimals);
    return std::string(buf, r.ptr);
}

long ParseLong(std::string_view Text)
{
    long v = 0;
    std::from_chars(Text.data(), Text.data() + Text.size(), v);
    return v;
}

std::string Padded(const std::string &S, std::size_t Width)
{
    return S.size() >= Width ? S : std::string(Width - S.size(), ' ') + S;
}

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) {
            std::size_t i = 6;
            while (i < line.size() && line[i] == ' ')
                ++i;
            return ParseLong(std::string_view(line).substr(i));
        }
    return 0;
}

template <class F>
double Ms(F f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void Fill(TArvilo &Project, int N)
{
    Project.Block.Title = "Benchmark";
    for (int i = 0; i < N; ++i) {
        auto *v = new TArvilo_Var(&Project);
        Project.AddChild(v);
        v->Params.Da = 30 + i % 20;
        v->Comment = "variation " + std::to_string(i);
    }
}

long long FileBytes(const std::string &File)
{
    std::ifstream in(File, std::ios::binary | std::ios::ate);
    return static_cast<long long>(in.tellg());
}

int Table()
{
    QTemporaryDir dir;
    std::printf("%12s %12s %12s %12s %14s\n", "variations", "save ms", "load ms", "file bytes", "loaded KiB");
    for (const int n : {1, 100, 10000}) {
        TArvilo project(nullptr);
        Fill(project, n);
        const std::string file = dir.filePath(QString("p%1.Arv").arg(n)).toStdString();
        double save = 1e30, load = 1e30;
        for (int i = 0; i < 5; ++i)
            save = std::min(save, Ms([&] {
                if (!project.SaveToFile(file))
                    std::fprintf(stderr, "save failed\n");
            }));
        const long before = ResidentKiB();
        auto loaded = std::make_unique<TArvilo>(nullptr);
        for (int i = 0; i < 5; ++i)
            load = std::min(load, Ms([&] {
                if (!loaded->LoadFromFile(file) || loaded->Count != n)
                    std::fprintf(stderr, "load failed\n");
            }));
        const long grown = ResidentKiB() - before;
        std::printf("%s %s %s %s %s\n", Padded(std::to_string(n), 12).c_str(), Padded(Fixed(save, 2), 12).c_str(),
                    Padded(Fixed(load, 2), 12).c_str(), Padded(std::to_string(FileBytes(file)), 12).c_str(),
                    Padded(std::to_string(grown), 14).c_str());
    }
    return 0;
}

void PrintRuns(const char *What, int N, const std::vector<double> &Runs)
{
    std::string line = std::string(What) + " " + std::to_string(N);
    for (double ms : Runs)
        line += " " + Fixed(ms, 3);
    std::puts(line.c_str());
    std::fflush(stdout);
}

int Sizes(const std::string &List, int Runs)
{
    QTemporaryDir dir;
    std::size_t from = 0;
    while (from < List.size()) {
        std::size_t comma = List.find(',', from);
        if (comma == std::string::npos)
            comma = List.size();
        const int n = static_cast<int>(ParseLong(std::string_view(List).substr(from, comma - from)));
        from = comma + 1;
        const std::string file = dir.filePath(QString("p%1.Arv").arg(n)).toStdString();
        std::vector<double> saves, loads;
        {
            TArvilo project(nullptr);
            Fill(project, n);
            for (int i = 0; i < Runs; ++i)
                saves.push_back(Ms([&] {
                    if (!project.SaveToFile(file))
                        std::fprintf(stderr, "save failed\n");
                }));
        }
        {
            auto loaded = std::make_unique<TArvilo>(nullptr);
            for (int i = 0; i < Runs; ++i)
                loads.push_back(Ms([&] {
                    if (!loaded->LoadFromFile(file) || loaded->Count != n)
                        std::fprintf(stderr, "load failed\n");
                }));
        }
        PrintRuns("save", n, saves);
        PrintRuns("load", n, loads);
        std::printf("bytes %d %lld\n", n, FileBytes(file));
        std::fflush(stdout);
    }
    return 0;
}

int Make(const std::string &File, int N)
{
    TArvilo project(nullptr);
    Fill(project, N);
    return project.SaveToFile(File) ? 0 : 1;
}

int Cold(const std::string &File, int N)
{
    TArvilo project(nullptr);
    bool ok = false;
    const double ms = Ms([&] { ok = project.LoadFromFile(File) && project.Count == N; });
    if (!ok) {
        std::fprintf(stderr, "load failed\n");
        return 1;
    }
    PrintRuns("cold", N, {ms});
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--sizes") {
        int runs = 5;
        if (args.size() >= 4 && args[2] == "--runs")
            runs = static_cast<int>(ParseLong(args[3]));
        return Sizes(args[1], std::max(runs, 1));
    }
    if (args.size() == 3 && args[0] == "--make")
        return Make(args[1], static_cast<int>(ParseLong(args[2])));
    if (args.size() == 3 && args[0] == "--cold")
        return Cold(args[1], static_cast<int>(ParseLong(args[2])));
    if (!args.empty()) {
        std::fprintf(stderr, "usage: store_bench [--sizes N,N.. [--runs R] | --make FILE N | --cold FILE N]\n");
        return 2;
    }
    return Table();
}
