// Coding and decoding speed of the project-file coder on 64 MB of mixed data,
// beside gzip -1 on the same bytes when gzip is installed.
#include "store/VrnHuffFuncs.h"

#include "platform/Streams.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
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

double Seconds(const std::function<void()> &f)
{
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

void Code(TStream &in, TStream &out)
{
    HuffReset();
    HuffSetInput(in);
    HuffSetOutput(out);
    std::int32_t inputSize, codedSize;
    HuffCompress(inputSize, codedSize);
}

void Decode(TStream &in, TStream &out)
{
    HuffReset();
    HuffSetInput(in);
    HuffSetOutput(out);
    HuffDecompress();
}

void Row(const char *name, double codeSec, double decodeSec, double ratio)
{
    const double mb = static_cast<double>(InputSize) / 1e6;
    std::printf("%-28s %10.0f %10.0f %9.1f%%\n", name, mb / codeSec, mb / decodeSec, ratio * 100);
}

} // namespace

int main()
{
    const Bytes input = MixedInput();
    std::printf("%zu MB mixed input; MB/s of uncoded bytes, best of 3\n\n", InputSize >> 20);
    std::printf("%-28s %10s %10s %10s\n", "", "code", "decode", "size");

    TMemoryStream plain(input), coded, back;
    const double codeMem = Seconds([&] { coded.SetSize(0); Code(plain, coded); });
    const double decodeMem = Seconds([&] { back.SetSize(0); Decode(coded, back); });
    if (back.Data != input) {
        std::fprintf(stderr, "round trip failed\n");
        return 1;
    }
    const double ratio = static_cast<double>(coded.Data.size()) / static_cast<double>(input.size());
    Row("Huffman, memory streams", codeMem, decodeMem, ratio);

    char dirTemplate[] = "/tmp/huffbenchXXXXXX";
    if (!mkdtemp(dirTemplate))
        return 1;
    const std::string dir = dirTemplate;
    const std::string plainName = dir + "/clip.tmp", codedName = dir + "/coded.arv", backName = dir + "/back.tmp";
    {
        TFileStream f(plainName, fmCreate);
        f.WriteBuffer(input.data(), static_cast<std::int64_t>(input.size()));
    }
    const double codeFile = Seconds([&] {
        TFileStream in(plainName, fmOpenRead), out(codedName, fmCreate);
        Code(in, out);
    });
    const double decodeFile = Seconds([&] {
        TFileStream in(codedName, fmOpenRead), out(backName, fmCreate);
        Decode(in, out);
    });
    Row("Huffman, files", codeFile, decodeFile, ratio);

    if (std::system("command -v gzip >/dev/null 2>&1") == 0) {
        const std::string gz = dir + "/plain.gz";
        int rc = 0;
        const double gzipCode = Seconds([&] { rc |= std::system(("gzip -1 -c " + plainName + " > " + gz).c_str()); });
        const double gzipDecode = Seconds([&] { rc |= std::system(("gzip -d -c " + gz + " > " + backName).c_str()); });
        TFileStream g(gz, fmOpenRead);
        Row(rc == 0 ? "gzip -1 / gzip -d, files" : "gzip (failed)", gzipCode, gzipDecode,
            static_cast<double>(g.Size()) / static_cast<double>(input.size()));
        DeleteFile(gz);
    } else {
        std::printf("gzip not installed\n");
    }
    DeleteFile(plainName);
    DeleteFile(codedName);
    DeleteFile(backName);
    rmdir(dir.c_str());
    return 0;
}
