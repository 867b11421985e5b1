#include "tests/common/HuffCoding.h"

#include "platform/Streams.h"
#include "store/VrnHuffFuncs.h"

#include <gtest/gtest.h>

TBytes Code(const TBytes &Input)
{
    TMemoryStream in(Input), out;
    HuffReset();
    HuffSetInput(in);
    HuffSetOutput(out);
    std::int32_t inputSize = -1, codedSize = -1;
    const std::int32_t result = HuffCompress(inputSize, codedSize);
    EXPECT_EQ(inputSize, static_cast<std::int32_t>(Input.size()));
    EXPECT_EQ(codedSize, static_cast<std::int32_t>(out.Size()));
    EXPECT_EQ(result, codedSize);
    return out.Bytes();
}

TBytes Decode(const TBytes &Coded)
{
    TMemoryStream in(Coded), out;
    HuffReset();
    HuffSetInput(in);
    HuffSetOutput(out);
    HuffDecompress();
    return out.Bytes();
}
