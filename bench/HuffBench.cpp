// Coding and decoding speed of the project-file coder on 64 MB of mixed data,
// beside gzip -1 / gzip -d and zstd -1 / zstd -d on the same bytes in the same
// run (where installed; their input is read from the page cache, their
// output goes to /dev/null).
//
//   huff_bench [--runs R]   R runs each (default 5); a line per figure:
//                           "rate NAME MB/s.." (MB/s of uncoded bytes per run),
//                           then a table with the best and the median run.
#include "store/VrnHuffFuncs.h"

#include "platform/Streams.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr size_t InputSize = 64u << 20;

// Text-like lines, container-like records full of zeros and small integers,
// and a share of random bytes, interleaved in blocks of a few KB.
Bytes MixedInput()
{
    std::mt19937 rng(20240601);
    static const char *const words[] = {"Temperatur", "Haltezeit", "Sterilisation", "Profil", "Variation",
                                        "Bodenstein", "Dispersion", "Erhitzer", "Rohr", "Durchsatz",
                                        "the", "and", "of", "step", "value", "121.1", "0.25", "C"};
    Bytes out;
    out.reserve(InputSize + 8192);
    while (out.size() < InputSize) {
        switch (rng() % 10) {
        case 0: case 1: case 2: case 3: { // text
            for (int i = 0; i < 600; ++i) {
                const char *w = words[rng() % std::size(words)];
                out.insert(out.end(), w, w + std::strlen(w));
                out.push_back(rng() % 9 == 0 ? '\n' : ' ');
            }
            break;
        }
        case 4: case 5: case 6: case 7: case 8: { // records of 512 bytes
            for (int r = 0; r < 8; ++r) {
                Bytes rec(512, 0);
                for (int f = 0; f < 40; ++f) {
                    const std::uint32_t v = rng() % 300;
                    std::memcpy(&rec[static_cast<size_t>(f) * 4], &v, 4);
                }
                const char *w = words[rng() % std::size(words)];
                rec[200] = static_cast<std::uint8_t>(std::strlen(w));
                std::memcpy(&rec[201], w, std::strlen(w));
                for (int d = 0; d < 20; ++d) {
                    const double x = 100.0 + (rng() % 10000) / 100.0;
                    std::memcpy(&rec[300 + static_cast<size_t>(d) * 8], &x, 8);
                }
                out.insert(out.end(), rec.begin(), rec.end());
            }
            break;
        }
        default: // random
            for (int i = 0; i < 2048; ++i)
                out.push_back(static_cast<std::uint8_t>(rng()));
        }
    }
    out.resize(InputSize);
    return out;
}

// Numbers as text without the C library's locale.
std::string Fixed(double Value, int Decimals)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, Decimals);
    return std::string(buf, r.ptr);
}

std::string Padded(const std::string &S, std::size_t Width)
{
    return S.size() >= Width ? S : std::string(Width - S.size(), ' ') + S;
}

// MB/s of the uncoded input, one per run.
std::vector<double> Rates(int Runs, const std::function<bool()> &F)
{
    std::vector<double> rates;
    for (int i = 0; i < Runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!F())
            return {};
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        rates.push_back(static_cast<double>(InputSize) / 1e6 / s);
    }
    return rates;
}

struct TFigure {
    std::string Name;
    std::vector<double> Rates;
    double Ratio;
};

void PrintRates(const TFigure &F)
{
    std::string line = "rate " + F.Name;
    for (double r : F.Rates)
        line += " " + Fixed(r, 1);
    std::puts(line.c_str());
}

void Code(TStream &In, TStream &Out)
{
    HuffReset();
    HuffSetInput(In);
    HuffSetOutput(Out);
    std::int32_t inputSize, codedSize;
    HuffCompress(inputSize, codedSize);
}

void Decode(TStream &In, TStream &Out)
{
    HuffReset();
    HuffSetInput(In);
    HuffSetOutput(Out);
    HuffDecompress();
}

bool Installed(const char *Tool)
{
    return std::system(("command -v " + std::string(Tool) + " >/dev/null 2>&1").c_str()) == 0;
}

long long FileSize(const std::string &Name)
{
    try {
        TFileStream f(Name, fmOpenRead);
        return f.Size();
    } catch (...) {
        return 0;
    }
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 5;
    if (argc == 3 && std::string_view(argv[1]) == "--runs")
        std::from_chars(argv[2], argv[2] + std::strlen(argv[2]), runs);
    runs = std::max(runs, 1);

    const Bytes input = MixedInput();
    std::vector<TFigure> figures;

    TMemoryStream plain(input), coded, back;
    const auto code = Rates(runs, [&] {
        coded.SetSize(0);
        Code(plain, coded);
        return true;
    });
    const auto decode = Rates(runs, [&] {
        back.SetSize(0);
        Decode(coded, back);
        return true;
    });
    if (back.Bytes() != input) {
        std::fprintf(stderr, "round trip failed\n");
        return 1;
    }
    const double ratio = static_cast<double>(coded.Size()) / static_cast<double>(input.size());
    figures.push_back({"huffman-code", code, ratio});
    figures.push_back({"huffman-decode", decode, ratio});

    char dirTemplate[] = "/tmp/huffbenchXXXXXX";
    if (!mkdtemp(dirTemplate))
        return 1;
    const std::string dir = dirTemplate;
    const std::string plainName = dir + "/plain";
    {
        TFileStream f(plainName, fmCreate);
        f.WriteBuffer(input.data(), static_cast<std::int64_t>(input.size()));
    }
    struct TTool {
        const char *Name, *Code, *Decode, *Suffix;
    };
    for (const TTool &tool : {TTool{"gzip", "gzip -1 -c", "gzip -d -c", ".gz"},
                              TTool{"zstd", "zstd -q -1 -c", "zstd -q -d -c", ".zst"}}) {
        if (!Installed(tool.Name)) {
            std::printf("%s not installed\n", tool.Name);
            continue;
        }
        const std::string packed = plainName + tool.Suffix;
        std::system((std::string(tool.Code) + " " + plainName + " > " + packed).c_str());
        const double r = static_cast<double>(FileSize(packed)) / static_cast<double>(input.size());
        const auto c = Rates(runs, [&] { return std::system((std::string(tool.Code) + " " + plainName + " >/dev/null").c_str()) == 0; });
        const auto d = Rates(runs, [&] { return std::system((std::string(tool.Decode) + " " + packed + " >/dev/null").c_str()) == 0; });
        figures.push_back({std::string(tool.Name) + "-code", c, r});
        figures.push_back({std::string(tool.Name) + "-decode", d, r});
        DeleteFile(packed);
    }
    DeleteFile(plainName);
    rmdir(dir.c_str());

    for (const TFigure &f : figures)
        PrintRates(f);
    std::printf("\n%zu MB mixed input, MB/s of uncoded bytes, %d runs\n", InputSize >> 20, runs);
    std::printf("%-16s %10s %10s %10s\n", "", "best", "median", "size");
    for (TFigure f : figures) {
        if (f.Rates.empty()) {
            std::printf("%-16s %10s\n", f.Name.c_str(), "failed");
            continue;
        }
        std::sort(f.Rates.begin(), f.Rates.end());
        const double median = f.Rates[f.Rates.size() / 2];
        std::printf("%-16s %s %s %s%%\n", f.Name.c_str(), Padded(Fixed(f.Rates.back(), 0), 10).c_str(),
                    Padded(Fixed(median, 0), 10).c_str(), Padded(Fixed(f.Ratio * 100, 1), 10).c_str());
    }
    return 0;
}
