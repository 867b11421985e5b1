#include "store/VrnHuffFuncs.h"

#include "platform/Streams.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/common/HuffCoding.h"
#include "tests/common/TestFiles.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

TBytes Text(const std::string &s) { return TBytes(s.begin(), s.end()); }

// An input in which value v occurs Weights[v] times, the values interleaved.
TBytes FromWeights(const std::vector<std::int64_t> &Weights, unsigned Seed)
{
    TBytes out;
    for (size_t v = 0; v < Weights.size(); ++v)
        out.insert(out.end(), static_cast<size_t>(Weights[v]), static_cast<std::uint8_t>(v));
    std::shuffle(out.begin(), out.end(), std::mt19937(Seed));
    return out;
}

TBytes Random(size_t Size, unsigned Seed, int Values = 256)
{
    std::mt19937 rng(Seed);
    TBytes out(Size);
    for (auto &b : out)
        b = static_cast<std::uint8_t>(rng() % static_cast<unsigned>(Values));
    return out;
}

struct TEntry {
    int Value;
    int Length;
    size_t Size;
};

// The table entries of a coded file, checked for their layout on the way.
std::vector<TEntry> TableOf(const TBytes &coded)
{
    const std::int32_t t = I32(coded, 1);
    std::vector<TEntry> entries;
    size_t pos = 5;
    while (pos < 5 + static_cast<size_t>(t)) {
        const TEntry e{coded[pos], coded[pos + 1], 2 + (coded[pos + 1] + 7u) / 8};
        if (!entries.empty()) {
            EXPECT_LT(entries.back().Value, e.Value) << "values ascend";
        }
        entries.push_back(e);
        pos += e.Size;
    }
    EXPECT_EQ(pos, 5 + static_cast<size_t>(t));
    return entries;
}

void ExpectDamaged(const TBytes &coded, const char *what)
{
    try {
        Decode(coded);
        ADD_FAILURE() << what << ": decoded without complaint";
    } catch (const EHuffError &e) {
        EXPECT_FALSE(e.Message.empty()) << what;
    }
}

TBytes Abracadabra()
{
    return {0x07, 0x0F, 0x00, 0x00, 0x00, 0x61, 0x01, 0x00, 0x62, 0x03, 0xC0, 0x63,
            0x03, 0x80, 0x64, 0x03, 0xA0, 0x72, 0x03, 0xE0, 0x6E, 0x8A, 0xDC};
}

} // namespace

TEST(VrnHuffFuncs, AbracadabraCodesToItsExactBytes)
{
    EXPECT_EQ(Code(Text("abracadabra")), Abracadabra());
    EXPECT_EQ(Decode(Abracadabra()), Text("abracadabra"));
}

TEST(VrnHuffFuncs, BitsEndingOnAByteBoundary)
{
    // a = 0, b = 1: eight bits fill the one data byte, so its count is stored as 0.
    const TBytes coded = Code(Text("abababab"));
    EXPECT_EQ(coded, (TBytes{0x00, 0x06, 0, 0, 0, 0x61, 0x01, 0x00, 0x62, 0x01, 0x80, 0x55}));
    EXPECT_EQ(Decode(coded), Text("abababab"));
    const TBytes nine = Code(Text("abababab" "a"));
    EXPECT_EQ(nine.front(), 1);
    EXPECT_EQ(Decode(nine), Text("abababab" "a"));
}

TEST(VrnHuffFuncs, TableHoldsPresentValuesWithCodeBytesByLength)
{
    // Fibonacci weights over 30 scattered values make a chain of codes 1 to 29
    // bits long, longer than the decoder's look-up table reaches.
    std::vector<std::int64_t> weights(256, 0);
    std::int64_t a = 1, b = 1;
    for (int v = 0; v < 30; ++v) {
        weights[static_cast<size_t>(v * 7 + 3)] = a;
        const std::int64_t c = a + b;
        a = b;
        b = c;
    }
    const TBytes input = FromWeights(weights, 2);
    const TBytes coded = Code(input);
    const std::vector<TEntry> entries = TableOf(coded);
    ASSERT_EQ(entries.size(), 30u);
    int longest = 0;
    for (const TEntry &e : entries) {
        EXPECT_EQ(e.Value % 7, 3);
        if (e.Length <= 16) {
            EXPECT_EQ(e.Size, e.Length <= 8 ? 3u : 4u) << e.Length;
        }
        longest = std::max(longest, e.Length);
    }
    EXPECT_EQ(longest, 29);
    EXPECT_EQ(Decode(coded), input);
}

TEST(VrnHuffFuncs, ChunkBordersDoNotChangeTheResult)
{
    // Inputs around 32768 bytes and around the coder's own chunk of 262144.
    for (size_t size : {32767u, 32768u, 32769u, 262143u, 262144u, 262145u}) {
        const TBytes input = Random(size, static_cast<unsigned>(size), 200);
        EXPECT_EQ(Decode(Code(input)), input) << size;
    }
    // Two values of one bit each: n input bytes give n bits of coded data.
    for (size_t dataBytes : {32768u, 32769u, 262144u, 262145u}) {
        const TBytes input = Random(dataBytes * 8 - (dataBytes % 2 ? 3 : 0), 5, 2);
        const TBytes coded = Code(input);
        ASSERT_EQ(coded.size(), 5 + 6 + dataBytes);
        EXPECT_EQ(coded.front(), dataBytes % 2 ? 5 : 0);
        EXPECT_EQ(Decode(coded), input) << dataBytes;
    }
}

TEST(VrnHuffFuncs, RoundTripsOnFiles)
{
    QTemporaryDir dir;
    const std::string plain = dir.filePath("clip.tmp").toStdString();
    const std::string packed = dir.filePath("p.arv").toStdString();
    const TBytes input = Random(100000, 3, 17);
    {
        TFileStream in(plain, fmCreate);
        in.WriteBuffer(input.data(), static_cast<std::int64_t>(input.size()));
        TFileStream out(packed, fmCreate);
        HuffReset();
        HuffSetInput(in);
        HuffSetOutput(out);
        std::int32_t inputSize, codedSize;
        const std::int32_t result = HuffCompress(inputSize, codedSize);
        EXPECT_EQ(result, out.Size());
    }
    TFileStream in(packed, fmOpenRead);
    TFileStream out(plain, fmCreate);
    HuffReset();
    HuffSetInput(in);
    HuffSetOutput(out);
    HuffDecompress();
    TBytes back(static_cast<size_t>(out.Size()));
    out.Seek(0, soBeginning);
    out.ReadBuffer(back.data(), static_cast<std::int64_t>(back.size()));
    EXPECT_EQ(back, input);
}

TEST(VrnHuffFuncs, RoundTripsOfManySizesAndDistributions)
{
    std::mt19937 rng(11);
    for (size_t size : {2u, 3u, 7u, 8u, 9u, 100u, 1000u, 4095u, 65536u, 300001u}) {
        EXPECT_EQ(Decode(Code(Random(size, 1))), Random(size, 1)) << size;
        // Skewed: geometric, a few values dominate.
        TBytes skewed(size);
        std::geometric_distribution<int> geo(0.3);
        for (auto &b : skewed)
            b = static_cast<std::uint8_t>(std::min(geo(rng), 255));
        EXPECT_EQ(Decode(Code(skewed)), skewed) << size;
    }
}

TEST(VrnHuffFuncs, EmptyAndSingleValueInputs)
{
    // An empty input: the header alone, read back as empty.
    EXPECT_EQ(Code({}), (TBytes{0, 0, 0, 0, 0}));
    EXPECT_TRUE(Decode({0, 0, 0, 0, 0}).empty());
    // One value gets the one-bit code 0.
    EXPECT_EQ(Code(Text("xxx")), (TBytes{3, 3, 0, 0, 0, 'x', 1, 0x00, 0x00}));
    for (size_t size : {1u, 8u, 9u, 40000u}) {
        const TBytes same(size, 0xFF);
        EXPECT_EQ(Decode(Code(same)), same) << size;
    }
}

TEST(VrnHuffFuncs, TableLengthLimit)
{
    // 236 values of weight 1 beneath a chain of 20: exactly 1492 table bytes.
    auto chained = [](int block) {
        std::vector<std::int64_t> weights(256, 1);
        std::vector<std::int64_t> x{block}, c{block};
        x.push_back(x[0] + c[0]);
        for (size_t k = 1; k < static_cast<size_t>(256 - block); ++k) {
            c.push_back(x[k - 1] + 1);
            x.push_back(x[k] + c[k]);
        }
        for (size_t k = 0; k < c.size(); ++k)
            weights[static_cast<size_t>(block) + k] = c[k];
        return FromWeights(weights, 4);
    };
    const TBytes fits = chained(236);
    const TBytes coded = Code(fits);
    EXPECT_EQ(I32(coded, 1), 1492);
    EXPECT_EQ(Decode(coded), fits);
    // 238 beneath 18 would need 1494 bytes: refused, with nothing written.
    TMemoryStream in(chained(238)), out;
    HuffReset();
    HuffSetInput(in);
    HuffSetOutput(out);
    std::int32_t inputSize, codedSize;
    EXPECT_THROW(HuffCompress(inputSize, codedSize), EHuffError);
    EXPECT_EQ(out.Size(), 0);
}

TEST(VrnHuffFuncs, DamagedHeadersAndTables)
{
    ExpectDamaged({}, "empty file");
    ExpectDamaged({0}, "one byte");
    ExpectDamaged({0, 0, 0, 0}, "four bytes");
    ExpectDamaged({8, 0, 0, 0, 0}, "last-bits byte 8");
    ExpectDamaged({0, 0xFF, 0xFF, 0xFF, 0xFF, 0x61, 1, 0}, "table length -1");
    TBytes large(6000, 0);
    large[1] = 0xD5; // 1493
    large[2] = 0x05;
    ExpectDamaged(large, "table length 1493");
    large[1] = 0x88; // 5000
    large[2] = 0x13;
    ExpectDamaged(large, "table length 5000");
    ExpectDamaged({7, 0x0F, 0, 0, 0, 0x61, 0x01, 0x00}, "table past the end");
    ExpectDamaged({1, 1, 0, 0, 0, 0x61, 0x00}, "entry without length");
    ExpectDamaged({1, 3, 0, 0, 0, 0x61, 9, 0x00, 0x00}, "entry without its second code byte");
    ExpectDamaged({1, 6, 0, 0, 0, 0x61, 0, 0x62, 1, 0x80, 0x00, 0x00}, "code length 0");
    ExpectDamaged({1, 6, 0, 0, 0, 0x61, 1, 0x00, 0x61, 1, 0x80, 0x00}, "value twice");
    // a = 0 and b = 01: b passes through a's leaf; and the other way round.
    ExpectDamaged({1, 6, 0, 0, 0, 0x61, 1, 0x00, 0x62, 2, 0x40, 0x00}, "code through a leaf");
    ExpectDamaged({1, 6, 0, 0, 0, 0x61, 2, 0x40, 0x62, 1, 0x00, 0x00}, "code ends at an inner node");
    ExpectDamaged({1, 6, 0, 0, 0, 0x61, 1, 0x00, 0x62, 1, 0x00, 0x00}, "two equal codes");
    // 45 codes of 255 bits would need far more nodes than a prefix code of 256 values.
    TBytes deep{1, 0, 0, 0, 0};
    for (int v = 0; v < 43; ++v) {
        deep.push_back(static_cast<std::uint8_t>(v));
        deep.push_back(255);
        for (int i = 0; i < 32; ++i)
            deep.push_back(static_cast<std::uint8_t>(v * 5 + i));
    }
    const std::int32_t t = static_cast<std::int32_t>(deep.size() - 5);
    deep[1] = static_cast<std::uint8_t>(t);
    deep[2] = static_cast<std::uint8_t>(t >> 8);
    deep.push_back(0);
    ExpectDamaged(deep, "codes beyond the node pool");
}

TEST(VrnHuffFuncs, DamagedBitStreams)
{
    TBytes coded = Abracadabra();
    coded[0] = 5; // the valid bits end inside the final r
    ExpectDamaged(coded, "data ends inside a code");
    ExpectDamaged(TBytes(coded.begin(), coded.begin() + 20), "table without data");
    ExpectDamaged({0, 0, 0, 0, 0, 0x55}, "data without a table");
    ExpectDamaged({1, 0, 0, 0, 0}, "no data but a last-bits count");
    // Only a = 0 is known: a 1 bit reaches the missing branch.
    EXPECT_EQ(Decode({2, 3, 0, 0, 0, 0x61, 1, 0x00, 0x00}), Text("aa"));
    ExpectDamaged({2, 3, 0, 0, 0, 0x61, 1, 0x00, 0x40}, "missing branch");
    // A long code whose data stops in its middle: only a (1 bit) and z (20 bits).
    ExpectDamaged({0, 7, 0, 0, 0, 0x61, 1, 0x00, 0x7A, 20, 0x80, 0x00, 0x00, 0xFF}, "inside a long code");
    // Foreign files.
    ExpectDamaged({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0x0D, 'I', 'H', 'D', 'R'}, "PNG");
    ExpectDamaged(Text("Hello, this is a text file.\n"), "text");
    ExpectDamaged(TBytes(1000, 0), "zeros");
}

TEST(VrnHuffFuncs, FlippedBytesDecodeOrRaise)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "Sterilisation step " + std::to_string(i * 37 % 101) + ": holding at 121.1 C\n";
    const TBytes input = Text(text);
    const TBytes coded = Code(input);
    const size_t table = 5 + static_cast<size_t>(I32(coded, 1));
    size_t decoded = 0, raised = 0;
    for (size_t pos = 0; pos < coded.size(); pos += pos < table + 64 ? 1 : 97) {
        for (std::uint8_t mask : {0x01, 0x10, 0x80, 0xFF}) {
            TBytes damaged = coded;
            damaged[pos] ^= mask;
            try {
                Decode(damaged);
                ++decoded;
            } catch (const EHuffError &) {
                ++raised;
            }
        }
    }
    EXPECT_GT(decoded, 0u);
    EXPECT_GT(raised, 0u);
}

namespace {

// The data bytes of a coded file, coded afresh bit by bit from its own table.
TBytes ReferenceBits(const TBytes &Coded, const TBytes &Input)
{
    std::vector<std::vector<int>> codes(256);
    const std::int32_t t = Coded[1] | Coded[2] << 8 | Coded[3] << 16 | Coded[4] << 24;
    for (size_t pos = 5; pos < 5 + static_cast<size_t>(t);) {
        const int value = Coded[pos], length = Coded[pos + 1];
        for (int i = 0; i < length; ++i)
            codes[static_cast<size_t>(value)].push_back((Coded[pos + 2 + static_cast<size_t>(i / 8)] >> (7 - i % 8)) & 1);
        pos += 2 + static_cast<size_t>(length + 7) / 8;
    }
    TBytes out;
    int filled = 8;
    for (std::uint8_t b : Input)
        for (int bit : codes[b]) {
            if (filled == 8) {
                out.push_back(0);
                filled = 0;
            }
            out.back() = static_cast<std::uint8_t>(out.back() | bit << (7 - filled++));
        }
    return out;
}

// Fibonacci weights over the values 0 to Longest: a chain of codes 1 to
// Longest bits long.
TBytes Chain(int Longest, unsigned Seed)
{
    std::vector<std::int64_t> weights(256, 0);
    std::int64_t a = 1, b = 1;
    for (int v = 0; v <= Longest; ++v) {
        weights[static_cast<size_t>(v)] = a;
        const std::int64_t c = a + b;
        a = b;
        b = c;
    }
    return FromWeights(weights, Seed);
}

} // namespace

// The coder joins several codes before they enter its accumulator, how many
// depending on the longest code: the bits must be the table's codes in order
// at every such length, and across the runs and chunks of the input.
TEST(VrnHuffFuncs, CodedBitsMatchTheTableAtEveryCodeLength)
{
    for (int longest : {2, 13, 14, 15, 18, 19, 28, 29, 33}) {
        TBytes input = Chain(longest, static_cast<unsigned>(longest));
        if (input.size() < 300000) { // long enough to cross the coder's runs and chunks
            const TBytes once = input;
            while (input.size() < 300000)
                input.insert(input.end(), once.begin(), once.end());
        }
        const TBytes coded = Code(input);
        int maxLength = 0;
        for (const TEntry &e : TableOf(coded))
            maxLength = std::max(maxLength, e.Length);
        EXPECT_EQ(maxLength, longest);
        const size_t data = 5 + static_cast<size_t>(I32(coded, 1));
        EXPECT_EQ(TBytes(coded.begin() + static_cast<long>(data), coded.end()), ReferenceBits(coded, input)) << longest;
        EXPECT_EQ(Decode(coded), input) << longest;
    }
}

TEST(VrnHuffFuncs, DecodingOnlyTheFirstBytes)
{
    // Mostly one-bit codes, so that one look-up yields several values.
    TBytes input;
    std::mt19937 rng(9);
    for (int i = 0; i < 5000; ++i)
        input.push_back(rng() % 8 == 0 ? static_cast<std::uint8_t>(rng() % 40) : 0);
    const TBytes coded = Code(input);
    auto first = [&](std::int64_t Count, const TBytes &Coded) {
        TMemoryStream in(Coded), out;
        HuffReset();
        HuffSetInput(in);
        HuffSetOutput(out);
        const std::int64_t decoded = HuffDecompressFirst(Count);
        EXPECT_EQ(decoded, out.Size());
        return out.Bytes();
    };
    for (std::int64_t count : {0, 1, 2, 5, 6, 7, 13, 24, 25, 400, 4999, 5000, 5001, 100000})
        EXPECT_EQ(first(count, coded), TBytes(input.begin(), input.begin() + std::min<std::int64_t>(count, 5000))) << count;
    // What follows the bytes asked for is neither decoded nor checked.
    TBytes damaged = coded;
    damaged.back() ^= 0xFF;
    damaged.push_back(0x5A);
    EXPECT_EQ(first(400, damaged), TBytes(input.begin(), input.begin() + 400));
    ExpectDamaged(TBytes(coded.begin(), coded.begin() + 9), "table cut off, also for the first bytes");
}

namespace {

// Counts what is written to it and keeps nothing.
class TCountingStream : public TStream {
public:
    std::int64_t Read(void *, std::int64_t) override { return 0; }
    std::int64_t Write(const void *, std::int64_t Count) override
    {
        Written += Count;
        return Count;
    }
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin) override { return Offset; }
    std::int64_t Size() override { return Written; }
    void SetSize(std::int64_t) override {}
    std::int64_t Written = 0;
};

} // namespace

// 270 MB of data whose codes are all one bit long cannot decode to less than
// 2.1 billion bytes, more than any coding writes: refused before decoding.
TEST(VrnHuffFuncs, RefusesUpFrontWhatWouldDecodeBeyondTwoGigabytes)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("huge.arv").toStdString();
    {
        TFileStream f(name, fmCreate);
        const TBytes head{0, 6, 0, 0, 0, 0x61, 1, 0x00, 0x62, 1, 0x80};
        f.WriteBuffer(head.data(), static_cast<std::int64_t>(head.size()));
        f.SetSize(static_cast<std::int64_t>(head.size()) + (270 << 20)); // a sparse file of zero bits
    }
    TFileStream in(name, fmOpenRead);
    TCountingStream out;
    HuffReset();
    HuffSetInput(in);
    HuffSetOutput(out);
    EXPECT_THROW(HuffDecompress(), EHuffError);
    EXPECT_EQ(out.Written, 0);
    // Its first bytes can still be read.
    HuffReset();
    HuffSetInput(in);
    HuffSetOutput(out);
    EXPECT_EQ(HuffDecompressFirst(400), 400);
}
