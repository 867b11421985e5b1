// libFuzzer target: any bytes given to the decoder either decode or raise
// EHuffError. What decodes must survive a further coding round trip.
#include "store/VrnHuffFuncs.h"

#include "platform/Streams.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    TMemoryStream coded(std::vector<std::uint8_t>(Data, Data + Size)), plain;
    HuffReset();
    HuffSetInput(coded);
    HuffSetOutput(plain);
    try {
        HuffDecompress();
    } catch (const EHuffError &) {
        return 0;
    }

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
