#include "store/VrnHuffFuncs.h"

#include "platform/Streams.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

namespace {

constexpr std::int32_t MaxTableLength = 1492;
constexpr int TableBufferSize = MaxTableLength + 4;
// Chunks larger than the layout's 32768 bytes mean fewer calls into the
// streams; chunking never changes the coded bytes.
constexpr std::int64_t ChunkSize = 1 << 18;
// The decoder resolves codes of up to this many bits (and often the next code
// too) with one table look-up, and walks the code tree only for longer ones.
constexpr int LookupBits = 12;
constexpr int PoolSize = 512;
// With at most INT32_MAX input bytes a code is at most 44 bits long (a leaf at
// depth d needs a total weight of at least Fibonacci(d + 2)), so every code
// fits the coder's 64-bit accumulator beside a partial byte.
constexpr int MaxFastCodeLength = 56;

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

struct TFastCode {
    std::uint64_t Value; // the code in the low Length bits
    int Length;
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
    TFastCode FastCodes[256];
    std::uint32_t Lookup[1 << LookupBits];  // see FillLookup
    std::uint32_t Lookup1[1 << LookupBits]; // the same with one code per entry
    std::uint8_t ReadBuf[ChunkSize];
    std::uint8_t WriteBuf[ChunkSize + 8]; // room for one 8-byte store past the chunk
};

TCoderState S;

[[noreturn]] void Damaged(const std::string &Why)
{
    throw EHuffError("The coded file is damaged: " + Why + ".");
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
        const std::int64_t n = S.Input->Read(S.ReadBuf, ChunkSize);
        if (n <= 0)
            break;
        total += static_cast<std::uint64_t>(n);
        const std::uint8_t *p = S.ReadBuf;
        std::int64_t i = 0;
        for (; i + 4 <= n; i += 4) {
            ++counts[0][p[i]];
            ++counts[1][p[i + 1]];
            ++counts[2][p[i + 2]];
            ++counts[3][p[i + 3]];
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
    for (int v = 0; v < 256; ++v) {
        const THuffCode &code = S.Codes[v];
        TFastCode &fast = S.FastCodes[v];
        fast = {0, 0};
        if (!code.Present)
            continue;
        if (code.Length > MaxFastCodeLength)
            throw EHuffError("The input cannot be coded: a code is longer than "
                             + std::to_string(MaxFastCodeLength) + " bits.");
        for (int i = 0; i < code.Length; ++i)
            fast.Value = (fast.Value << 1) | ((code.Bits[i / 8] >> (7 - i % 8)) & 1u);
        fast.Length = code.Length;
    }
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
    const TFastCode *codes = S.FastCodes;
    std::uint64_t acc = 0; // the pending bits in its low `pending` bits
    int pending = 0;
    std::uint8_t *out = S.WriteBuf;
    std::int64_t bytesRead = 0;
    std::int64_t bytesWritten = 0;
    auto emitWholeBytes = [&] {
        if (pending >= 8) {
            StoreBigEndian64(out, acc << (64 - pending));
            out += pending >> 3;
            pending &= 7;
        }
        if (out - S.WriteBuf >= ChunkSize) {
            S.Output->WriteBuffer(S.WriteBuf, ChunkSize);
            bytesWritten += ChunkSize;
            const std::int64_t rest = out - S.WriteBuf - ChunkSize;
            std::memmove(S.WriteBuf, S.WriteBuf + ChunkSize, static_cast<size_t>(rest));
            out = S.WriteBuf + rest;
        }
    };
    for (;;) {
        const std::int64_t n = S.Input->Read(S.ReadBuf, ChunkSize);
        if (n <= 0)
            break;
        bytesRead += n;
        for (std::int64_t i = 0; i < n; ++i) {
            const TFastCode code = codes[S.ReadBuf[i]];
            if (pending + code.Length > 64)
                emitWholeBytes();
            acc = (acc << code.Length) | code.Value;
            pending += code.Length;
        }
    }
    emitWholeBytes();
    const int lastBits = pending;
    if (lastBits > 0)
        *out++ = static_cast<std::uint8_t>(acc << (8 - lastBits));
    S.Output->WriteBuffer(S.WriteBuf, out - S.WriteBuf);
    bytesWritten += out - S.WriteBuf;

    // An input that changed between the two passes would leave values without
    // a code and a wrong last-bits byte: refuse it rather than report success.
    const std::int64_t bits = (bytesWritten - (lastBits > 0 ? 1 : 0)) * 8 + lastBits;
    if (bytesRead != S.InputSize || bits != TotalCodeBits())
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

// Look-up entries, indexed by the next LookupBits bits: 0 = no code begins
// with these bits; for codes longer than LookupBits the node to walk on from
// (its index + 1) in the low 16 bits; otherwise the first value in bits 0-7,
// its code length in bits 16-19, and in bits 24-25 how many whole codes the
// bits hold (1 or 2) with the second value in bits 8-15 and the length of
// both codes in bits 20-23.
constexpr std::uint32_t EntryOne = 1u << 24;

void FillLookup(const THuffNode *node, int depth, std::uint32_t prefix)
{
    if (node->Leaf) {
        const int span = LookupBits - depth;
        const auto length = static_cast<std::uint32_t>(depth);
        const std::uint32_t entry = EntryOne | length << 20 | length << 16 | node->Symbol;
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

void PairLookup()
{
    constexpr std::uint32_t mask = (1u << LookupBits) - 1;
    for (std::uint32_t i = 0; i <= mask; ++i) {
        const std::uint32_t first = S.Lookup1[i];
        S.Lookup[i] = first;
        if (!(first & EntryOne))
            continue;
        const int length = (first >> 16) & 0xF;
        const std::uint32_t second = S.Lookup1[(i << length) & mask];
        const int total = length + ((second >> 16) & 0xF);
        if ((second & EntryOne) && total <= LookupBits)
            S.Lookup[i] = 2u << 24 | static_cast<std::uint32_t>(total) << 20
                          | static_cast<std::uint32_t>(length) << 16 | (second & 0xFF) << 8 | (first & 0xFF);
    }
}

void HuffBuildDecodeTree()
{
    std::memset(S.Pool, 0, sizeof S.Pool);
    THuffNode *root = &S.Pool[PoolSize - 1];
    int next = 0;
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
    }
    S.Root = root;
    std::memset(S.Lookup1, 0, sizeof S.Lookup1);
    FillLookup(root, 0, 0);
    PairLookup();
}

// Bits of the coded data, most significant first. Past the end of the data it
// supplies zero bits; the decoder never accepts a code that reaches them.
class TBitReader {
public:
    explicit TBitReader(std::int64_t DataBytes) : Unread(DataBytes) {}

    std::uint64_t Bits = 0; // the next bits, left-aligned
    int Count = 0;          // valid bits in Bits

    void Refill()
    {
        if (Pos + 8 <= Avail) {
            Bits |= LoadBigEndian64(S.ReadBuf + Pos) >> Count;
            Pos += (63 - Count) >> 3;
            Count |= 56;
            return;
        }
        while (Count <= 56) {
            if (Pos == Avail && !NextChunk()) {
                Count = 64;
                return;
            }
            Bits |= static_cast<std::uint64_t>(S.ReadBuf[Pos++]) << (56 - Count);
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
        const std::int64_t n = S.Input->Read(S.ReadBuf, std::min(Unread, ChunkSize));
        if (n <= 0)
            throw EHuffError("The coded file ends before its size says.");
        Unread -= n;
        Pos = 0;
        Avail = n;
        return true;
    }

    std::int64_t Unread;
    std::int64_t Pos = 0;
    std::int64_t Avail = 0;
};

void HuffDecode()
{
    const std::int64_t dataBytes = S.InputSize - 5 - S.TableLength;
    S.Output->Seek(0, soBeginning);
    if (dataBytes == 0) {
        // What coding an empty input writes; anything else has lost its data.
        if (S.TableLength != 0 || S.LastBits != 8)
            Damaged("it ends after its code table");
        return;
    }
    if (S.TableLength == 0)
        Damaged("it holds coded data but no code table");
    S.Input->Seek(5 + S.TableLength, soBeginning);

    TBitReader in(dataBytes);
    std::int64_t left = (dataBytes - 1) * 8 + S.LastBits; // valid bits not yet decoded
    const std::uint32_t *lookup = S.Lookup;
    std::uint8_t *out = S.WriteBuf;
    constexpr int Batch = 4; // look-ups per refill: 4 * 12 bits <= 56
    while (left > 0) {
        if (S.WriteBuf + ChunkSize - out < 2 * Batch) {
            S.Output->WriteBuffer(S.WriteBuf, out - S.WriteBuf);
            out = S.WriteBuf;
        }
        if (in.Count < Batch * LookupBits)
            in.Refill();
        // Far from the end, a batch of short codes needs no end checks.
        if (left >= Batch * LookupBits) {
            int n = 0;
            for (; n < Batch; ++n) {
                const std::uint32_t entry = lookup[in.Bits >> (64 - LookupBits)];
                const int codes = entry >> 24;
                if (codes == 0)
                    break;
                const int length = (entry >> 20) & 0xF;
                in.Skip(length);
                left -= length;
                out[0] = static_cast<std::uint8_t>(entry);
                out[1] = static_cast<std::uint8_t>(entry >> 8);
                out += codes;
            }
            if (n == Batch)
                continue;
            if (in.Count < LookupBits)
                in.Refill();
        }
        const std::uint32_t entry = lookup[in.Bits >> (64 - LookupBits)];
        int length = (entry >> 16) & 0xF;
        std::uint8_t symbol;
        if (entry & (3u << 24)) {
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
    S.Output->WriteBuffer(S.WriteBuf, out - S.WriteBuf);
}

} // namespace

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
    HuffReadTable();
    HuffBuildDecodeTree();
    HuffDecode();
}
