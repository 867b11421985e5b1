#include "store/VrnHuffFuncs.h"

#include "platform/Streams.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <string>

namespace {

constexpr std::int32_t MaxTableLength = 1492;
constexpr int TableBufferSize = MaxTableLength + 4;
// Chunks larger than the layout's 32768 bytes mean fewer calls into the
// streams; chunking never changes the coded bytes.
constexpr std::int64_t ChunkSize = 1 << 18;
// The coder codes the input in runs of this many bytes, each of which fits
// the room the write buffer keeps behind a chunk (at most 7 bytes per byte).
constexpr std::int64_t EncodeRun = 1 << 13;
// The decoder resolves codes of up to this many bits (and as many following
// codes as the bits hold, up to MaxPerLookup) with one table look-up, and
// walks the code tree only for longer ones.
constexpr int LookupBits = 12;
constexpr int MaxPerLookup = 6;
constexpr int PoolSize = 512;
// With at most INT32_MAX input bytes a code is at most 44 bits long (a leaf at
// depth d needs a total weight of at least Fibonacci(d + 2)), so every code
// fits the coder's 64-bit accumulator beside a partial byte.
constexpr int MaxFastCodeLength = 56;
// The coder never codes more, so no coded file decodes to more.
constexpr std::int64_t MaxDecodedSize = INT32_MAX;

struct THuffNode {
    THuffNode *Left;
    THuffNode *Right;
    std::uint8_t Symbol;
    std::int32_t Weight;
    bool Used;
    bool Leaf; // decoding: the node ends a code
};

struct THuffCode {
    std::uint8_t Symbol;
    bool Present;
    std::uint8_t Bits[32]; // the code, first bit in the most significant bit, as in a table entry
    std::int32_t Length;
};

// The one coder state: a single coding or decoding runs at a time.
struct TCoderState {
    TStream *Input;
    TStream *Output;
    std::int64_t InputSize;
    std::int32_t CodedSize;
    THuffNode *Root;
    std::uint8_t LastBits;
    std::int32_t TableLength;
    std::uint8_t TableBuffer[TableBufferSize];
    THuffCode Codes[256];
    THuffNode Pool[PoolSize];
    // Coding: per value its code in bits 8-63 and the code's length in bits 0-7.
    std::uint64_t FastCodes[256];
    int MaxCodeLength;
    std::uint32_t Lookup1[1 << LookupBits]; // see FillLookup
    std::uint64_t Lookup[1 << LookupBits];  // see MultiLookup
    std::uint8_t ReadBuf[ChunkSize];
    std::uint8_t WriteBuf[ChunkSize + 8 * EncodeRun];
};

TCoderState S;

[[noreturn]] void Damaged(const std::string &Why)
{
    throw EHuffError("The coded file is damaged: " + Why + ".");
}

// The next bytes of the input, at most Max and a chunk: read into the read
// buffer, or taken in place from a memory stream. Their number; 0 at the end.
std::int64_t NextInput(const std::uint8_t *&Data, std::int64_t Max = ChunkSize)
{
    Max = std::min(Max, ChunkSize);
    if (auto *memory = dynamic_cast<TMemoryStream *>(S.Input)) {
        std::int64_t n = 0;
        Data = memory->ReadRoom(n);
        n = std::min(n, Max);
        memory->Seek(n, soCurrent);
        return n;
    }
    Data = S.ReadBuf;
    return std::max<std::int64_t>(S.Input->Read(S.ReadBuf, Max), 0);
}

inline void StoreBigEndian64(std::uint8_t *p, std::uint64_t v)
{
    v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}

inline std::uint64_t LoadBigEndian64(const std::uint8_t *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

// ---- coding ----

void HuffInitLeaves()
{
    std::memset(S.Pool, 0, sizeof S.Pool);
    std::memset(S.Codes, 0, sizeof S.Codes);
    for (int i = 0; i < 256; ++i)
        S.Pool[i].Symbol = static_cast<std::uint8_t>(i);
}

void HuffCountFrequencies()
{
    // Four tables so that runs of one value do not serialise on one counter.
    static std::uint64_t counts[4][256];
    std::memset(counts, 0, sizeof counts);
    std::uint64_t total = 0;
    for (;;) {
        const std::uint8_t *p = nullptr;
        const std::int64_t n = NextInput(p);
        if (n <= 0)
            break;
        total += static_cast<std::uint64_t>(n);
        std::int64_t i = 0;
        for (; i + 8 <= n; i += 8) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            ++counts[0][w & 0xFF];
            ++counts[1][(w >> 8) & 0xFF];
            ++counts[2][(w >> 16) & 0xFF];
            ++counts[3][(w >> 24) & 0xFF];
            ++counts[0][(w >> 32) & 0xFF];
            ++counts[1][(w >> 40) & 0xFF];
            ++counts[2][(w >> 48) & 0xFF];
            ++counts[3][w >> 56];
        }
        for (; i < n; ++i)
            ++counts[0][p[i]];
    }
    // The weights and the sizes that coding reports are int32.
    if (total > static_cast<std::uint64_t>(INT32_MAX))
        throw EHuffError("The input of " + std::to_string(total) + " bytes is too large to be coded.");
    for (int v = 0; v < 256; ++v)
        S.Pool[v].Weight = static_cast<std::int32_t>(counts[0][v] + counts[1][v] + counts[2][v] + counts[3][v]);
}

// The unused node of least positive weight among nodes 0..n; the lowest index
// wins a tie, so a leaf wins against an inner node of equal weight.
THuffNode *PickLightest(int n)
{
    THuffNode *best = nullptr;
    std::int32_t min = INT32_MAX;
    for (int i = 0; i <= n; ++i) {
        THuffNode &node = S.Pool[i];
        if (!node.Used && node.Weight > 0 && node.Weight < min) {
            best = &node;
            min = node.Weight;
        }
    }
    if (best)
        best->Used = true;
    return best;
}

void HuffBuildTree()
{
    int n = 255;
    for (;;) {
        THuffNode *a = PickLightest(n);
        if (!a)
            break;
        THuffNode *b = PickLightest(n);
        if (!b)
            break;
        ++n;
        S.Pool[n].Weight = a->Weight + b->Weight;
        S.Pool[n].Left = a;
        S.Pool[n].Right = b;
    }
    S.Root = &S.Pool[n];
}

void AssignFrom(const THuffNode *node, std::uint8_t *path, int depth)
{
    if (!node->Left) {
        if (depth == 0)
            return;
        THuffCode &code = S.Codes[node->Symbol];
        code.Symbol = node->Symbol;
        code.Present = true;
        code.Length = depth;
        for (int i = 0; i < depth; ++i)
            if (path[i])
                code.Bits[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
        return;
    }
    path[depth] = 0;
    AssignFrom(node->Left, path, depth + 1);
    path[depth] = 1;
    AssignFrom(node->Right, path, depth + 1);
}

// A code is the path from the root to the value's leaf: 0 for Left, 1 for Right.
void HuffAssignCodes()
{
    std::uint8_t path[256];
    AssignFrom(S.Root, path, 0);
    if (S.Root->Left)
        return;
    // Only one value occurs (no merge took place): it gets the one-bit code 0,
    // so that the data survives and the decoder reads it like any other file.
    // An empty input keeps no code at all and codes to the 5 bytes of header.
    for (int v = 0; v < 256; ++v)
        if (S.Pool[v].Weight > 0) {
            S.Codes[v].Symbol = static_cast<std::uint8_t>(v);
            S.Codes[v].Present = true;
            S.Codes[v].Length = 1;
        }
}

void HuffBuildTableHeader()
{
    std::int32_t t = 0;
    for (int v = 0; v < 256; ++v) {
        const THuffCode &code = S.Codes[v];
        if (!code.Present)
            continue;
        const int bytes = (code.Length + 7) / 8;
        // The reader takes at most 1492 table bytes: a longer table would make
        // a file that cannot be read back.
        if (t + 2 + bytes > MaxTableLength)
            throw EHuffError("The input cannot be coded: its code table would be longer than "
                             + std::to_string(MaxTableLength) + " bytes.");
        S.TableBuffer[t++] = static_cast<std::uint8_t>(v);
        S.TableBuffer[t++] = static_cast<std::uint8_t>(code.Length);
        std::memcpy(S.TableBuffer + t, code.Bits, static_cast<size_t>(bytes));
        t += bytes;
    }
    S.TableLength = t;
}

std::int64_t TotalCodeBits()
{
    std::int64_t bits = 0;
    for (int v = 0; v < 256; ++v)
        if (S.Codes[v].Present)
            bits += static_cast<std::int64_t>(S.Codes[v].Length) * S.Pool[v].Weight;
    return bits;
}

void HuffPredictSize()
{
    const std::int64_t size = 1 + 4 + S.TableLength + (TotalCodeBits() + 7) / 8;
    if (size > INT32_MAX)
        throw EHuffError("The input is too large to be coded: the coded file would exceed 2 GB.");
    S.CodedSize = static_cast<std::int32_t>(size);
}

void PrepareFastCodes()
{
    S.MaxCodeLength = 0;
    for (int v = 0; v < 256; ++v) {
        const THuffCode &code = S.Codes[v];
        S.FastCodes[v] = 0;
        if (!code.Present)
            continue;
        if (code.Length > MaxFastCodeLength)
            throw EHuffError("The input cannot be coded: a code is longer than "
                             + std::to_string(MaxFastCodeLength) + " bits.");
        std::uint64_t value = 0;
        for (int i = 0; i < code.Length; ++i)
            value = (value << 1) | ((code.Bits[i / 8] >> (7 - i % 8)) & 1u);
        S.FastCodes[v] = value << 8 | static_cast<std::uint64_t>(code.Length);
        S.MaxCodeLength = std::max(S.MaxCodeLength, code.Length);
    }
}

// The bit accumulator of the coder: the pending bits are the low Pending bits
// of Acc, the first of them most significant.
struct TBitWriter {
    std::uint64_t Acc = 0;
    int Pending = 0;

    // Stores the whole bytes among the pending bits at Out (8 bytes are
    // written whatever their number) and returns the position after them.
    // At most 63 bits may be pending.
    std::uint8_t *Flush(std::uint8_t *Out)
    {
        StoreBigEndian64(Out, (Acc << 1) << (63 - Pending));
        Out += Pending >> 3;
        Pending &= 7;
        return Out;
    }
};

// Codes the bytes In..End, K codes between two flushes: with codes of at most
// 56 / K bits the accumulator never holds more than 63 bits. The codes of a
// group are joined before they enter the accumulator, so consecutive codes
// do not wait for one another.
template <int K>
std::uint8_t *EncodeBytes(const std::uint8_t *In, const std::uint8_t *End, std::uint8_t *Out, TBitWriter &W)
{
    const std::uint64_t *codes = S.FastCodes;
    std::uint64_t acc = W.Acc;
    int pending = W.Pending;
    for (; End - In >= K; In += K) {
        std::uint64_t joined = 0;
        int length = 0;
        for (int k = 0; k < K; ++k) {
            const std::uint64_t c = codes[In[k]];
            const int n = static_cast<int>(c & 0xFF);
            joined = (joined << n) | (c >> 8);
            length += n;
        }
        acc = (acc << length) | joined;
        pending += length;
        StoreBigEndian64(Out, (acc << 1) << (63 - pending));
        Out += pending >> 3;
        pending &= 7;
    }
    W.Acc = acc;
    W.Pending = pending;
    for (; In < End; ++In) {
        const std::uint64_t c = codes[*In];
        W.Acc = (W.Acc << (c & 0xFF)) | (c >> 8);
        W.Pending += static_cast<int>(c & 0xFF);
        Out = W.Flush(Out);
    }
    return Out;
}

void HuffEncode()
{
    S.Output->Seek(1, soBeginning);
    std::uint8_t length[4];
    for (int i = 0; i < 4; ++i)
        length[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(S.TableLength) >> (8 * i));
    S.Output->WriteBuffer(length, 4);
    S.Output->WriteBuffer(S.TableBuffer, S.TableLength);

    S.Input->Seek(0, soBeginning);
    auto *encode = &EncodeBytes<1>;
    if (S.MaxCodeLength <= 14)
        encode = &EncodeBytes<4>;
    else if (S.MaxCodeLength <= 18)
        encode = &EncodeBytes<3>;
    else if (S.MaxCodeLength <= 28)
        encode = &EncodeBytes<2>;
    TBitWriter bits;
    std::uint8_t *out = S.WriteBuf;
    std::int64_t bytesRead = 0;
    std::int64_t bytesWritten = 0;
    for (;;) {
        const std::uint8_t *in = nullptr;
        const std::int64_t n = NextInput(in);
        if (n <= 0)
            break;
        bytesRead += n;
        for (std::int64_t at = 0; at < n; at += EncodeRun) {
            // A run adds at most 7 bytes per byte (plus the 8 of a store)
            // behind a chunk, which the write buffer has room for.
            if (out - S.WriteBuf >= ChunkSize) {
                S.Output->WriteBuffer(S.WriteBuf, out - S.WriteBuf);
                bytesWritten += out - S.WriteBuf;
                out = S.WriteBuf;
            }
            out = encode(in + at, in + std::min(n, at + EncodeRun), out, bits);
        }
    }
    const int lastBits = bits.Pending;
    if (lastBits > 0)
        *out++ = static_cast<std::uint8_t>(bits.Acc << (8 - lastBits));
    S.Output->WriteBuffer(S.WriteBuf, out - S.WriteBuf);
    bytesWritten += out - S.WriteBuf;

    // An input that changed between the two passes would leave values without
    // a code and a wrong last-bits byte: refuse it rather than report success.
    const std::int64_t total = (bytesWritten - (lastBits > 0 ? 1 : 0)) * 8 + lastBits;
    if (bytesRead != S.InputSize || total != TotalCodeBits())
        throw EHuffError("The input changed while it was being coded.");

    S.LastBits = static_cast<std::uint8_t>(lastBits);
    S.Output->Seek(0, soBeginning);
    S.Output->WriteBuffer(&S.LastBits, 1);
}

// ---- decoding ----

void HuffReadTable()
{
    S.Input->Seek(0, soBeginning);
    if (S.InputSize < 5)
        throw EHuffError("The file is no coded file: it is only " + std::to_string(S.InputSize)
                         + " bytes long.");
    std::uint8_t head[5];
    S.Input->ReadBuffer(head, 5);
    if (head[0] > 7)
        Damaged("its last byte would hold " + std::to_string(head[0]) + " bits");
    S.LastBits = head[0] == 0 ? 8 : head[0];
    std::memcpy(S.TableBuffer, head + 1, 4);
    const std::int32_t t = static_cast<std::int32_t>(static_cast<std::uint32_t>(head[1])
                                                     | static_cast<std::uint32_t>(head[2]) << 8
                                                     | static_cast<std::uint32_t>(head[3]) << 16
                                                     | static_cast<std::uint32_t>(head[4]) << 24);
    if (t < 0 || t > MaxTableLength)
        Damaged("its table length " + std::to_string(t) + " is outside 0 to "
                + std::to_string(MaxTableLength));
    if (5 + static_cast<std::int64_t>(t) > S.InputSize)
        Damaged("its table of " + std::to_string(t) + " bytes runs past the end of the file");
    S.TableLength = t;
    S.Input->ReadBuffer(S.TableBuffer + 4, t);

    const std::uint8_t *table = S.TableBuffer + 4;
    std::int32_t pos = 0;
    while (pos < t) {
        if (t - pos < 2)
            Damaged("its last table entry is cut off");
        const std::uint8_t v = table[pos];
        const int length = table[pos + 1];
        if (length == 0)
            Damaged("value " + std::to_string(v) + " has a code of length 0");
        const int bytes = (length + 7) / 8;
        if (t - pos - 2 < bytes)
            Damaged("the table entry of value " + std::to_string(v) + " is cut off");
        THuffCode &code = S.Codes[v];
        if (code.Present)
            Damaged("value " + std::to_string(v) + " appears twice in its table");
        code.Symbol = v;
        code.Present = true;
        code.Length = length;
        std::memcpy(code.Bits, table + pos + 2, static_cast<size_t>(bytes));
        pos += 2 + bytes;
    }
}

// Single look-up entries, indexed by the next LookupBits bits: 0 = no code
// begins with these bits; for codes longer than LookupBits the node to walk
// on from (its index + 1) in the low 16 bits; otherwise EntryOne, the code's
// length in bits 16-19 and its value in bits 0-7.
constexpr std::uint32_t EntryOne = 1u << 24;

void FillLookup(const THuffNode *node, int depth, std::uint32_t prefix)
{
    if (node->Leaf) {
        const int span = LookupBits - depth;
        const std::uint32_t entry = EntryOne | static_cast<std::uint32_t>(depth) << 16 | node->Symbol;
        std::fill_n(S.Lookup1 + (prefix << span), std::size_t{1} << span, entry);
        return;
    }
    if (depth == LookupBits) {
        S.Lookup1[prefix] = static_cast<std::uint32_t>(node - S.Pool + 1);
        return;
    }
    if (node->Left)
        FillLookup(node->Left, depth + 1, prefix << 1);
    if (node->Right)
        FillLookup(node->Right, depth + 1, prefix << 1 | 1);
}

// Multiple look-up entries, indexed by the next LookupBits bits: every whole
// code these bits begin with, up to MaxPerLookup. Bits 0-3 hold the length
// of those codes together (so that the entry itself is the shift), bits 8-15
// their number (0 when not even the first code is whole), and bits 16-63 the
// values, the first lowest.
void MultiLookup()
{
    constexpr std::uint32_t mask = (1u << LookupBits) - 1;
    for (std::uint32_t i = 0; i <= mask; ++i) {
        std::uint64_t values = 0;
        int length = 0, count = 0;
        while (count < MaxPerLookup) {
            const std::uint32_t next = S.Lookup1[(i << length) & mask];
            const int n = (next >> 16) & 0xF;
            if (!(next & EntryOne) || length + n > LookupBits)
                break;
            values |= static_cast<std::uint64_t>(next & 0xFF) << (8 * count);
            length += n;
            ++count;
        }
        S.Lookup[i] = count == 0 ? 0 : values << 16 | static_cast<std::uint64_t>(count) << 8 | static_cast<std::uint64_t>(length);
    }
}

void HuffBuildDecodeTree()
{
    std::memset(S.Pool, 0, sizeof S.Pool);
    THuffNode *root = &S.Pool[PoolSize - 1];
    int next = 0;
    S.MaxCodeLength = 0;
    for (int v = 0; v < 256; ++v) {
        const THuffCode &code = S.Codes[v];
        if (code.Length < 1)
            continue;
        THuffNode *node = root;
        for (int i = 0; i < code.Length; ++i) {
            if (node->Leaf)
                Damaged("its codes are no prefix code");
            THuffNode *&child = (code.Bits[i / 8] >> (7 - i % 8)) & 1 ? node->Right : node->Left;
            if (!child) {
                // A prefix code of at most 256 values needs no more nodes than the pool has.
                if (next >= PoolSize - 1)
                    Damaged("its codes are no prefix code");
                child = &S.Pool[next++];
            }
            node = child;
        }
        if (node->Leaf || node->Left || node->Right)
            Damaged("its codes are no prefix code");
        node->Leaf = true;
        node->Symbol = static_cast<std::uint8_t>(v);
        S.MaxCodeLength = std::max(S.MaxCodeLength, code.Length);
    }
    S.Root = root;
    std::memset(S.Lookup1, 0, sizeof S.Lookup1);
    FillLookup(root, 0, 0);
    MultiLookup();
}

// Bits of the coded data, most significant first. Past the end of the data it
// supplies zero bits; the decoder never accepts a code that reaches them.
class TBitReader {
public:
    TBitReader() = default;
    explicit TBitReader(std::int64_t DataBytes) : Unread(DataBytes) {}

    std::uint64_t Bits = 0; // the next bits, left-aligned
    int Count = 0;          // valid bits in Bits

    // At least 56 bits afterwards.
    void Refill()
    {
        if (Pos + 8 <= Avail) {
            Bits |= LoadBigEndian64(Data + Pos) >> Count;
            Pos += (63 - Count) >> 3;
            Count |= 56;
            return;
        }
        while (Count <= 56) {
            if (Pos == Avail && !NextChunk()) {
                Count = 64;
                return;
            }
            Bits |= static_cast<std::uint64_t>(Data[Pos++]) << (56 - Count);
            Count += 8;
        }
    }

    void Skip(int n)
    {
        Bits <<= n;
        Count -= n;
    }

private:
    bool NextChunk()
    {
        if (Unread == 0)
            return false;
        const std::int64_t n = NextInput(Data, Unread);
        if (n <= 0)
            throw EHuffError("The coded file ends before its size says.");
        Unread -= n;
        Pos = 0;
        Avail = n;
        return true;
    }

    const std::uint8_t *Data = nullptr;
    std::int64_t Unread = 0;
    std::int64_t Pos = 0;
    std::int64_t Avail = 0;
};

inline void StoreLittleEndian64(std::uint8_t *p, std::uint64_t v)
{
    static_assert(std::endian::native == std::endian::little, "the decoder stores values in the host's order");
    std::memcpy(p, &v, 8);
}

// A decoding in steps: where it stands in the bits, and the valid bits not
// yet decoded.
struct TDecoding {
    TBitReader In;
    std::int64_t Left = 0;
};

TDecoding D;

[[noreturn]] void TooLarge()
{
    Damaged("it would decode to more than " + std::to_string(MaxDecodedSize) + " bytes, more than any coding writes");
}

// Decodes into the output until the data end or Limit bytes are there, a
// window at a time: straight into a memory stream, or through the write
// buffer. The bytes decoded.
std::int64_t DecodeInto(std::int64_t Limit)
{
    auto *memory = dynamic_cast<TMemoryStream *>(S.Output);
    S.Output->Seek(0, soBeginning);
    std::int64_t done = 0;
    while (done < Limit && D.Left > 0) {
        const std::int64_t size = std::min(ChunkSize, Limit - done);
        std::uint8_t *window = memory ? memory->WriteRoom(size) : S.WriteBuf;
        const std::int64_t n = HuffDecodeNext(window, size);
        if (memory)
            memory->Written(n);
        else
            S.Output->WriteBuffer(window, n);
        done += n;
    }
    return done;
}

} // namespace

void HuffDecodeBegin()
{
    HuffReadTable();
    HuffBuildDecodeTree();
    D = TDecoding();
    const std::int64_t dataBytes = S.InputSize - 5 - S.TableLength;
    if (dataBytes == 0) {
        // What coding an empty input writes; anything else has lost its data.
        if (S.TableLength != 0 || S.LastBits != 8)
            Damaged("it ends after its code table");
        return;
    }
    if (S.TableLength == 0)
        Damaged("it holds coded data but no code table");
    D.Left = (dataBytes - 1) * 8 + S.LastBits;
    D.In = TBitReader(dataBytes);
    S.Input->Seek(5 + S.TableLength, soBeginning);
}

std::int64_t HuffDecodeNext(std::uint8_t *Out, std::int64_t Count)
{
    // Locals, so that the stores of values cannot make the compiler reload them.
    TBitReader in = D.In;
    std::int64_t left = D.Left;
    const std::uint64_t *lookup = S.Lookup;
    std::uint8_t *out = Out;
    std::uint8_t *const end = Out + std::max<std::int64_t>(Count, 0);
    constexpr int Batch = 4; // look-ups per refill: 4 * 12 bits <= 56
    while (left > 0 && out < end) {
        if (in.Count < Batch * LookupBits)
            in.Refill();
        // Far from the ends, a batch of short codes needs no end checks.
        if (left >= Batch * LookupBits && end - out >= Batch * 8) {
            int n = 0;
            for (; n < Batch; ++n) {
                const std::uint64_t entry = lookup[in.Bits >> (64 - LookupBits)];
                if (!(entry & 0xFF00))
                    break;
                StoreLittleEndian64(out, entry >> 16);
                out += (entry >> 8) & 0xFF;
                // Bits 4-7 are 0: the mask is the one a shift applies anyway,
                // so that the length goes from the table to the shift directly.
                const int length = static_cast<int>(entry & 63);
                in.Skip(length);
                left -= length;
            }
            if (n == Batch)
                continue;
            if (in.Count < LookupBits)
                in.Refill();
        }
        // One code: near the ends, and for codes longer than a look-up.
        const std::uint32_t entry = S.Lookup1[in.Bits >> (64 - LookupBits)];
        int length = (entry >> 16) & 0xF;
        std::uint8_t symbol;
        if (entry & EntryOne) {
            if (length > left)
                Damaged("its data ends inside a code");
            in.Skip(length);
            symbol = static_cast<std::uint8_t>(entry);
        } else {
            if (entry == 0)
                Damaged(left < LookupBits ? "its data ends inside a code"
                                          : "its data holds a code that its table lacks");
            const THuffNode *node = &S.Pool[(entry & 0xFFFF) - 1];
            in.Skip(LookupBits);
            length = LookupBits;
            while (!node->Leaf) {
                if (length >= left)
                    Damaged("its data ends inside a code");
                if (in.Count == 0)
                    in.Refill();
                node = in.Bits >> 63 ? node->Right : node->Left;
                in.Skip(1);
                ++length;
                if (!node)
                    Damaged("its data holds a code that its table lacks");
            }
            if (length > left)
                Damaged("its data ends inside a code");
            symbol = node->Symbol;
        }
        left -= length;
        *out++ = symbol;
    }
    D.In = in;
    D.Left = left;
    return out - Out;
}

void HuffReset()
{
    std::memset(S.Pool, 0, sizeof S.Pool);
    std::memset(S.Codes, 0, sizeof S.Codes);
    std::memset(S.TableBuffer, 0, sizeof S.TableBuffer);
    S.LastBits = 0;
    S.InputSize = 0;
    S.CodedSize = 0;
    S.TableLength = 0;
    S.Root = nullptr;
}

bool HuffSetInput(TStream &Stream)
{
    S.Input = &Stream;
    S.InputSize = Stream.Size();
    Stream.Seek(0, soBeginning);
    return true;
}

bool HuffSetOutput(TStream &Stream)
{
    S.Output = &Stream;
    Stream.Seek(0, soBeginning);
    return true;
}

std::int32_t HuffCompress(std::int32_t &InputSize, std::int32_t &CodedSize)
{
    HuffInitLeaves();
    HuffCountFrequencies();
    HuffBuildTree();
    HuffAssignCodes();
    HuffBuildTableHeader();
    // Sized before anything is written, so that an input too large is refused
    // without leaving half a file.
    HuffPredictSize();
    PrepareFastCodes();
    HuffEncode();
    InputSize = static_cast<std::int32_t>(S.InputSize);
    CodedSize = S.CodedSize;
    return S.CodedSize;
}

void HuffDecompress()
{
    HuffDecodeBegin();
    // Every code takes at most the longest code's bits: refuse before any
    // work what would decode to more than the limit whatever the bits say.
    if (D.Left > 0 && D.Left / S.MaxCodeLength > MaxDecodedSize)
        TooLarge();
    DecodeInto(MaxDecodedSize);
    if (D.Left > 0)
        TooLarge();
}

std::int64_t HuffDecompressFirst(std::int64_t Count)
{
    if (Count <= 0)
        return 0;
    HuffDecodeBegin();
    return DecodeInto(std::min(Count, MaxDecodedSize));
}
