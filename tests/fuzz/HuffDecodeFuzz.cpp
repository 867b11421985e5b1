// libFuzzer target: any bytes given to the decoder either decode or raise
// EHuffError, and decoding in steps of any size gives the same bytes or the
// same failure. What decodes must survive a further coding round trip.
#include "store/VrnHuffFuncs.h"

#include "platform/Streams.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// The whole input decoded in steps whose sizes come from the input's bytes;
// false when decoding raised.
bool DecodeInSteps(const std::vector<std::uint8_t> &Coded, std::vector<std::uint8_t> &Plain)
{
    TMemoryStream in(Coded);
    HuffReset();
    HuffSetInput(in);
    try {
        HuffDecodeBegin();
        for (std::size_t i = 0;; ++i) {
            const std::int64_t step = Coded.empty() ? 1 : 1 + Coded[i % Coded.size()] * 37 % 1000;
            const std::size_t at = Plain.size();
            Plain.resize(at + static_cast<std::size_t>(step));
            const std::int64_t n = HuffDecodeNext(Plain.data() + at, step);
            Plain.resize(at + static_cast<std::size_t>(n));
            if (n < step)
                return true;
        }
    } catch (const EHuffError &) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    const std::vector<std::uint8_t> input(Data, Data + Size);
    TMemoryStream coded(input), plain;
    HuffReset();
    HuffSetInput(coded);
    HuffSetOutput(plain);
    bool decoded = true;
    try {
        HuffDecompress();
    } catch (const EHuffError &) {
        decoded = false;
    }
    std::vector<std::uint8_t> stepped;
    if (DecodeInSteps(input, stepped) != decoded || (decoded && stepped != plain.Bytes()))
        std::abort();
    if (!decoded)
        return 0;

    TMemoryStream recoded, back;
    try {
        HuffReset();
        HuffSetInput(plain);
        HuffSetOutput(recoded);
        std::int32_t inputSize, codedSize;
        HuffCompress(inputSize, codedSize);
    } catch (const EHuffError &) {
        return 0; // a table too long to code
    }
    HuffReset();
    HuffSetInput(recoded);
    HuffSetOutput(back);
    HuffDecompress();
    if (back.Bytes() != plain.Bytes())
        std::abort();
    return 0;
}
