#include "store/VrnStreamWrapper.h"
#include "store/VrnStreamSpy.h"

#include "platform/Clock.h"
#include "store/VrnHuffFuncs.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace {

void PutI32(std::uint8_t *Out, std::int32_t Value)
{
    const auto u = static_cast<std::uint32_t>(Value);
    Out[0] = static_cast<std::uint8_t>(u);
    Out[1] = static_cast<std::uint8_t>(u >> 8);
    Out[2] = static_cast<std::uint8_t>(u >> 16);
    Out[3] = static_cast<std::uint8_t>(u >> 24);
}

std::int32_t GetI32(const std::uint8_t *In)
{
    return static_cast<std::int32_t>(std::uint32_t(In[0]) | std::uint32_t(In[1]) << 8 | std::uint32_t(In[2]) << 16 |
                                     std::uint32_t(In[3]) << 24);
}

// Writes the fields of a record one after the other.
class TFieldWriter {
public:
    explicit TFieldWriter(std::uint8_t *Out) : P(Out) {}
    template <std::size_t N>
    void operator()(const ShortString<N> &S)
    {
        S.Store(P);
        P += ShortString<N>::StoredSize;
    }
    void operator()(std::int32_t V)
    {
        PutI32(P, V);
        P += 4;
    }
    void operator()(bool V) { *P++ = V ? 1 : 0; }
    void operator()(TStreamType V) { *P++ = V; }
    void operator()(TClassKind V) { *P++ = V; }

private:
    std::uint8_t *P;
};

// Reads the fields of a record one after the other.
class TFieldReader {
public:
    explicit TFieldReader(const std::uint8_t *In) : P(In) {}
    template <std::size_t N>
    void operator()(ShortString<N> &S)
    {
        S.Load(P);
        P += ShortString<N>::StoredSize;
    }
    void operator()(std::int32_t &V)
    {
        V = GetI32(P);
        P += 4;
    }
    // Any non-zero byte is True.
    void operator()(bool &V) { V = *P++ != 0; }
    void operator()(TStreamType &V) { V = static_cast<TStreamType>(*P++); }
    void operator()(TClassKind &V) { V = static_cast<TClassKind>(*P++); }

private:
    const std::uint8_t *P;
};

// Finds where one field lies in the packed record.
class TFieldLocator {
public:
    TFieldLocator(const void *AField, int &AOffset) : Field(AField), Offset(AOffset) {}
    template <class T>
    void operator()(const T &V)
    {
        if (static_cast<const void *>(&V) == Field)
            Offset = P;
        if constexpr (std::is_same_v<T, std::int32_t>)
            P += 4;
        else if constexpr (std::is_same_v<T, bool> || std::is_enum_v<T>)
            P += 1;
        else
            P += static_cast<int>(T::StoredSize);
    }

private:
    const void *Field;
    int &Offset;
    int P = 0;
};

int LocateField(std::int32_t TBlockHeader::*Field)
{
    static const TBlockHeader Probe;
    int offset = -1;
    TBlockHeader::Fields(Probe, TFieldLocator(&(Probe.*Field), offset));
    return offset;
}

// The position of an int32 field inside the packed block header; the fields
// that every block patches in place are found once.
int PackedOffset(std::int32_t TBlockHeader::*Field)
{
    using TField = std::int32_t TBlockHeader::*;
    static const TField Patched[] = {&TBlockHeader::OffsetNext_Block, &TBlockHeader::OffsetNext_Node,
                                     &TBlockHeader::DataSize, &TBlockHeader::Offsetfooter};
    static const std::array<int, 4> Offsets = [] {
        std::array<int, 4> o{};
        for (std::size_t i = 0; i < o.size(); ++i)
            o[i] = LocateField(Patched[i]);
        return o;
    }();
    for (std::size_t i = 0; i < Offsets.size(); ++i)
        if (Patched[i] == Field)
            return Offsets[i];
    return LocateField(Field);
}

std::atomic<std::uint32_t> NodeIDCounter{0};

constexpr std::int32_t ZeroChunk = 256;
const std::uint8_t Zeros[ZeroChunk] = {};

// The container of a load, decoded as the reader goes: only a window of it is
// in memory at a time. The reader only moves forward (every block ends behind
// the header it read last), so a position before the window reads nothing,
// like one beyond the data. Its size is the length the stream header gave.
class TDecodingStream : public TStream {
public:
    explicit TDecodingStream(std::int64_t ALength)
        : Length(ALength), Room(std::min(ALength, WindowSize)), Window(TMemoryStream::Scratch())
    {
        Buf = Window->WriteRoom(Room);
        HuffDecodeBegin();
    }

    std::int64_t Read(void *Buffer, std::int64_t Count) override
    {
        std::int64_t done = 0;
        while (done < Count && Pos >= Start) {
            if (Pos >= Start + Filled) {
                if (!Advance())
                    break;
                continue;
            }
            const std::int64_t n = std::min(Count - done, Start + Filled - Pos);
            std::memcpy(static_cast<std::uint8_t *>(Buffer) + done, Buf + (Pos - Start), static_cast<std::size_t>(n));
            Pos += n;
            done += n;
        }
        return done;
    }
    std::int64_t Write(const void *, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override
    {
        const std::int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? Pos : Length;
        if (base + Offset < 0)
            throw EStreamError("Stream seek error");
        Pos = base + Offset;
        return Pos;
    }
    std::int64_t Size() override { return Length; }
    void SetSize(std::int64_t) override { throw EStreamError("Stream size error"); }

private:
    static constexpr std::int64_t WindowSize = 1 << 18;

    // The window after the current one; false when the data or the container end.
    bool Advance()
    {
        if (Ended || Start + Filled >= Length)
            return false;
        Start += Filled;
        const std::int64_t want = std::min(Room, Length - Start);
        Filled = HuffDecodeNext(Buf, want);
        Ended = Filled < want;
        return Filled > 0;
    }

    std::int64_t Length;
    std::int64_t Room;
    std::unique_ptr<TMemoryStream> Window;
    std::uint8_t *Buf = nullptr;
    std::int64_t Start = 0;  // the container position of the window's first byte
    std::int64_t Filled = 0; // decoded bytes in the window
    std::int64_t Pos = 0;
    bool Ended = false;
};

} // namespace

// The fields in file order; R is the record, const for writing.
template <class R, class Io>
void TStreamHeader::Fields(R &H, Io &&F)
{
    F(H.StreamVersion), F(H.CompDataListVersion), F(H.ProjectVersion), F(H.FullMemorySize), F(H.FreeMemorySize);
    F(H.StreamType), F(H.Name), F(H.WriteBlockHeaders), F(H.WriteBlockFooters), F(H.DataSize);
    F(H.NumberOfLists), F(H.NumberOfNodes), F(H.NumberOfBlocks), F(H.MySize), F(H.Offsetfooter);
}

template <class R, class Io>
void TBlockHeader::Fields(R &H, Io &&F)
{
    F(H.ID), F(H.ID_owner), F(H.ID_Ref), F(H.LastCaption), F(H.Objectversion), F(H.ClassKind), F(H.ClassName);
    F(H.DataSize), F(H.Spacer), F(H.Count), F(H.Offset), F(H.OffsetNext_Block), F(H.OffsetPrev_Block);
    F(H.OffsetNext_Node), F(H.OffsetPrev_Node), F(H.MySize), F(H.Offsetfooter), F(H.IsLinked);
}

template <class R, class Io>
void TBlockFooter::Fields(R &H, Io &&F)
{
    F(H.FooterSize), F(H.HeaderOffset);
}

template <class R, int Fields, int Stored>
typename TPackedRecord<R, Fields, Stored>::TBytes TPackedRecord<R, Fields, Stored>::Pack() const
{
    TBytes b{};
    R::Fields(static_cast<const R &>(*this), TFieldWriter(b.data()));
    return b;
}

template <class R, int Fields, int Stored>
void TPackedRecord<R, Fields, Stored>::Unpack(const TBytes &Bytes)
{
    R::Fields(static_cast<R &>(*this), TFieldReader(Bytes.data()));
}

template struct TPackedRecord<TStreamHeader, 330, 400>;
template struct TPackedRecord<TBlockHeader, 250, 150>;
template struct TPackedRecord<TBlockFooter, 8, 20>;

// ---------------------------------------------------------------------------

TStreamWrapper::TStreamWrapper(std::uint8_t AMode, std::uint8_t AWriteMode, const std::string &AFileName)
    : Mode(AMode), WriteMode(AWriteMode), FileName(AFileName)
{
    Header.WriteBlockHeaders = WriteMode == 2 || WriteMode == 3;
    Header.WriteBlockFooters = WriteMode == 3;
}

TStreamWrapper::~TStreamWrapper()
{
    DiscardPending();
}

void TStreamWrapper::NoteOutOfMemory()
{
    try {
        throw;
    } catch (const std::bad_alloc &) {
        OutOfMemory = true;
    } catch (...) {
    }
}

void TStreamWrapper::DiscardPending()
{
    if (Pending)
        Pending->Discard();
    Pending = nullptr;
}

void TStreamWrapper::NoteFailure(const std::string &Reason)
{
    if (FailReason.empty())
        FailReason = Reason;
}

std::uint8_t TStreamWrapper::WriteModeFor(bool Headers, bool Footers)
{
    if (!Headers)
        return 1;
    return Footers ? 3 : 2;
}

static std::int32_t DayNumber(std::int32_t Day)
{
    return Day - FirstDay + 1; // 1 January of the year 1 is 1
}

std::int32_t NodeIDDateNumber(int Year, int Month, int Day)
{
    using namespace std::chrono;
    return DayNumber(DateToDays(year{Year} / month{static_cast<unsigned>(Month)} / day{static_cast<unsigned>(Day)}));
}

static void AppendNumber(std::string &S, std::uint32_t Value)
{
    char digits[10]; // the digits of any uint32
    const auto end = std::to_chars(digits, digits + sizeof digits, Value).ptr;
    S.append(digits, end);
}

std::string FormatNodeID(const std::string &NodeClassName, std::int32_t DateNumber, std::int32_t TimeNumber, std::uint32_t Counter)
{
    std::string id;
    id.reserve(NodeClassName.size() + 33);
    id += NodeClassName;
    id += '_';
    AppendNumber(id, static_cast<std::uint32_t>(DateNumber));
    id += ':';
    AppendNumber(id, static_cast<std::uint32_t>(TimeNumber));
    id += '_';
    AppendNumber(id, Counter);
    if (id.size() > 50)
        id.resize(50);
    return id;
}

std::string TStreamWrapper::MakeNodeID(const std::string &NodeClassName)
{
    const std::uint32_t counter = NodeIDCounter.fetch_add(1) + 1;
    const TLocalTime now = LocalNow();
    return FormatNodeID(NodeClassName, DayNumber(now.Day), now.Millisecond, counter);
}

// --- buffers ---------------------------------------------------------------

bool TStreamWrapper::WriteBuffer(const void *Buffer, std::int32_t Count)
{
    if (Count <= 0)
        return false;
    try {
        if (!Stream)
            throw EWriteError("no stream");
        Stream->WriteBuffer(Buffer, Count);
        return true;
    } catch (const EStreamError &e) {
        NoteFailure(e.Reason);
    } catch (...) {
        NoteOutOfMemory();
    }
    WriteFailed = true;
    return false;
}

bool TStreamWrapper::WritePadded(const void *Buffer, std::int32_t Count, std::int32_t Size)
{
    if (!WriteBuffer(Buffer, Count))
        return false;
    for (std::int32_t left = Size - Count; left > 0; left -= ZeroChunk)
        if (!WriteBuffer(Zeros, std::min(left, ZeroChunk)))
            return false;
    return true;
}

bool TStreamWrapper::ReadBuffer(void *Buffer, std::int32_t Count)
{
    if (Count <= 0)
        return false;
    try {
        if (!Stream)
            return false;
        Stream->ReadBuffer(Buffer, Count);
        return true;
    } catch (...) {
        return false;
    }
}

bool TStreamWrapper::ReadPadded(void *Buffer, std::int32_t Count, std::int32_t Size)
{
    if (!ReadBuffer(Buffer, Count))
        return false;
    if (Size > Count) {
        try {
            Stream->Seek(Size - Count, soCurrent);
        } catch (...) {
            return false;
        }
    }
    return true;
}

// --- records ---------------------------------------------------------------

template <class R>
static bool WriteRecord(TStreamWrapper &W, const R &Record)
{
    const auto bytes = Record.Pack();
    return W.WritePadded(bytes.data(), R::FieldsSize, R::StoredSize);
}

// A short read keeps the fields it did not reach, as an in-place read would.
template <class R>
static bool ReadRecord(TStreamWrapper &W, R &Record)
{
    auto bytes = Record.Pack();
    const bool ok = W.ReadPadded(bytes.data(), R::FieldsSize, R::StoredSize);
    Record.Unpack(bytes);
    return ok;
}

bool TStreamWrapper::WriteStreamHeader(const TStreamHeader &AHeader)
{
    return WriteRecord(*this, AHeader);
}

bool TStreamWrapper::ReadStreamHeader(TStreamHeader &AHeader)
{
    return ReadRecord(*this, AHeader);
}

bool TStreamWrapper::WriteBlockHeader(const TBlockHeader &AHeader, bool Count)
{
    if (Count) {
        ++Header.NumberOfBlocks;
        if (AHeader.ClassKind == ckList)
            ++Header.NumberOfLists;
        else
            ++Header.NumberOfNodes;
    }
    return WriteRecord(*this, AHeader);
}

bool TStreamWrapper::ReadBlockHeader(TBlockHeader &AHeader)
{
    return ReadRecord(*this, AHeader);
}

bool TStreamWrapper::WriteStreamFooter(const TBlockFooter &AFooter)
{
    return WriteRecord(*this, AFooter);
}

bool TStreamWrapper::WriteBlockFooter(const TBlockFooter &AFooter)
{
    return WriteRecord(*this, AFooter);
}

bool TStreamWrapper::ReadBlockFooter(TBlockFooter &AFooter)
{
    return ReadRecord(*this, AFooter);
}

// --- position --------------------------------------------------------------

// Offsets in the container are int32: a stream beyond that range cannot be
// described, so it is an error rather than a wrapped number.
static std::int32_t CheckedOffset(std::int64_t Value)
{
    if (Value < 0 || Value > INT32_MAX)
        throw EStreamError("Stream position out of range");
    return static_cast<std::int32_t>(Value);
}

std::int32_t TStreamWrapper::Position()
{
    return CheckedOffset(Stream->Position());
}

std::int32_t TStreamWrapper::Size()
{
    return CheckedOffset(Stream->Size());
}

std::int32_t TStreamWrapper::Seek(std::int32_t Offset, int Origin)
{
    return CheckedOffset(Stream->Seek(Offset, static_cast<TSeekOrigin>(Origin)));
}

bool TStreamWrapper::FooterNotAtEnd()
{
    return std::int64_t(Size()) > std::int64_t(Header.Offsetfooter) + Footer.FooterSize;
}

TStreamWrappers *TStreamWrapper::Wrappers() const
{
    return dynamic_cast<TStreamWrappers *>(Owner);
}

bool TStreamWrapper::SpyActive() const
{
    const TStreamWrappers *w = Wrappers();
    return w != nullptr && w->Spy != nullptr && Header.WriteBlockHeaders && Header.WriteBlockFooters;
}

bool TStreamWrapper::Compressing() const
{
    const TStreamWrappers *w = Wrappers();
    return w != nullptr && w->Compress;
}

void TStreamWrapper::ReadRawString(std::int32_t Pos, std::int32_t Count, std::string &S)
{
    S.clear();
    try {
        Seek(Pos, soBeginning);
        const std::int64_t left = std::max<std::int64_t>(0, std::int64_t(Size()) - Pos);
        const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(Count, left));
        if (n <= 0)
            return;
        S.assign(static_cast<std::size_t>(n), '\0');
        ReadBuffer(S.data(), n);
    } catch (...) {
        NoteOutOfMemory();
        S.clear();
    }
}

// A load hands every header it reads to the spy of its collection, if any.
void TStreamWrapper::SpyMain(const TStreamHeader &AHeader)
{
    const TStreamWrappers *w = Wrappers();
    if (w == nullptr || w->Spy == nullptr)
        return;
    TStreamSpy *spy = w->Spy;
    tStreamSpyNode *node = tStreamSpyNode::CreateMain(AHeader);
    node->Spy = spy;
    spy->Add(node);
    spy->CurrentMain = node;
    spy->CurrentBlock = node;
}

void TStreamWrapper::SpyBlock(const TBlockHeader &AHeader)
{
    const TStreamWrappers *w = Wrappers();
    if (w == nullptr || w->Spy == nullptr || w->Spy->CurrentMain == nullptr)
        return;
    TStreamSpy *spy = w->Spy;
    tStreamSpyNode *node = tStreamSpyNode::CreateBlock(AHeader);
    node->Spy = spy;
    spy->CurrentMain->Add(node);
    spy->CurrentBlock = node;
}

// --- open and close --------------------------------------------------------

bool TStreamWrapper::Open(bool Loading)
{
    bool Result = true;
    if (Compressing()) {
        // The uncoded container lives in private memory: it cannot collide
        // with another save or load, leaves nothing behind whatever happens,
        // and spares the many small reads and writes of the block links a
        // trip to the file system each. A load decodes it as it reads it.
        std::unique_ptr<TStream> Scratch;
        if (!IsWriting() || Loading) {
            Scratch = DecodeContainer(Loading && Mode == 0);
            if (!Scratch)
                return false;
        } else {
            Scratch = TMemoryStream::Scratch();
        }
        SwapStream = std::move(Stream);
        Stream = std::move(Scratch);
    }
    try {
        if (IsWriting() && !Loading) {
            Header.StreamType = GetStreamType();
            Header.Name = FileName;
            if (!WriteStreamHeader(Header))
                Result = false;
        } else {
            if (!ReadStreamHeader(Header))
                Result = false;
            SpyMain(Header);
        }
    } catch (...) {
        NoteOutOfMemory();
        Result = false;
    }
    return Result;
}

std::unique_ptr<TStream> TStreamWrapper::DecodeContainer(bool Streaming)
{
    const auto start = [&] {
        Stream->Seek(0, soBeginning);
        HuffReset();
        HuffSetInput(*Stream);
    };
    // The stream header says how long the container is.
    std::int64_t length = 0;
    {
        TMemoryStream header;
        start();
        HuffSetOutput(header);
        if (HuffDecompressFirst(TStreamHeader::StoredSize) == TStreamHeader::StoredSize) {
            TStreamHeader h;
            TStreamHeader::TBytes bytes;
            std::copy_n(header.Memory(), bytes.size(), bytes.begin());
            h.Unpack(bytes);
            length = h.DataSize;
        }
    }
    // Every save ends by writing the container's whole length there, so it
    // is at least a stream header and a stream footer; and every byte is
    // coded in at least one bit, behind the coded file's 5-byte head. A
    // length outside these bounds comes from no save: the file is damaged,
    // and nothing in it says how far decoding may go.
    const std::int64_t codedBits = 8 * (Stream->Size() - 5);
    if (length < TStreamHeader::StoredSize + TBlockFooter::StoredSize || length > codedBits)
        return nullptr;
    // What a file holds behind its container is never read: no damaged or
    // hostile file makes a load expand more than its container claims.
    start();
    if (Streaming)
        return std::make_unique<TDecodingStream>(length);
    auto scratch = TMemoryStream::Scratch();
    HuffSetOutput(*scratch);
    try {
        scratch->Reserve(length);
    } catch (const std::bad_alloc &) {
        // Decoding grows it as far as the data really reach.
    }
    HuffDecompressFirst(length);
    scratch->Seek(0, soBeginning);
    return scratch;
}

bool TStreamWrapper::Close(bool Loading, bool Commit)
{
    if (Closed)
        return false;
    Closed = true;
    bool Result = true;
    if (!Loading) {
        try {
            if (IsWriting() || (IsUpdate() && FooterNotAtEnd())) {
                if (!WriteStreamFooter(Footer))
                    Result = false;
                Header.DataSize = Size();
                Header.Offsetfooter = Size() - Footer.FooterSize;
            }
            Seek(Footer.HeaderOffset, soBeginning);
            if (!WriteStreamHeader(Header))
                Result = false;
        } catch (...) {
            NoteOutOfMemory();
            WriteFailed = true;
            Result = false;
        }
    }
    const bool keep = !Loading && Commit && Result && !WriteFailed && Pending;
    // Coding the container into the new file and putting that in place may
    // fail for reasons of their own (a full disk, a folder gone meanwhile).
    const auto attempt = [&](const auto &Step) {
        try {
            Step();
        } catch (const EStreamError &e) {
            NoteFailure(e.Reason);
            Result = false;
        } catch (const Exception &e) {
            NoteFailure(e.Message);
            Result = false;
        } catch (...) {
            NoteOutOfMemory();
            Result = false;
        }
    };
    if (SwapStream) {
        std::swap(Stream, SwapStream);
        if (keep)
            attempt([&] {
                // An update holds a copy of the old coded file here.
                Stream->SetSize(0);
                Stream->Seek(0, soBeginning);
                SwapStream->Seek(0, soBeginning);
                HuffReset();
                Result = HuffSetInput(*SwapStream) && HuffSetOutput(*Stream);
                if (Result) {
                    std::int32_t inputSize = 0, codedSize = 0;
                    HuffCompress(inputSize, codedSize);
                }
            });
        SwapStream.reset();
    }
    if (Pending) {
        if (keep && Result)
            attempt([&] { Pending->Commit(); });
        else if (!Loading)
            Result = false;
        DiscardPending();
    }
    return Result;
}

// --- blocks ----------------------------------------------------------------

// Sets one link field of the block header at At, which must lie before Limit.
bool TStreamWrapper::PatchLink(std::int32_t At, std::int32_t TBlockHeader::*Field, std::int32_t Value, std::int32_t Limit)
{
    if (std::int64_t(At) + TBlockHeader::FieldsSize > Limit)
        return false;
    return WriteHeaderField(At, Field, Value);
}

bool TStreamWrapper::ReadHeaderField(std::int32_t At, std::int32_t TBlockHeader::*Field, std::int32_t &Value)
{
    std::uint8_t bytes[4];
    Seek(At + PackedOffset(Field), soBeginning);
    if (!ReadBuffer(bytes, 4))
        return false;
    Value = GetI32(bytes);
    return true;
}

bool TStreamWrapper::WriteHeaderField(std::int32_t At, std::int32_t TBlockHeader::*Field, std::int32_t Value)
{
    std::uint8_t bytes[4];
    PutI32(bytes, Value);
    Seek(At + PackedOffset(Field), soBeginning);
    return WriteBuffer(bytes, 4);
}

template <class F>
bool TStreamWrapper::BlockStep(bool Loading, F &&Step)
{
    bool ok = false;
    try {
        ok = Step();
    } catch (...) {
        NoteOutOfMemory();
        ok = false;
    }
    if (!ok && !Loading)
        WriteFailed = true;
    return ok;
}

bool TStreamWrapper::BeginBlock(TBlockHeader &AHeader, TBlockFooter &AFooter, bool Loading)
{
    if (!Header.WriteBlockHeaders)
        return true;
    return BlockStep(Loading, [&] {
        if (Loading) {
            LastHeaderRead = Position();
            if (!ReadBlockHeader(AHeader))
                return false;
            SpyBlock(AHeader);
            return true;
        }
        // This save computes the links and sizes anew; what a load or an
        // earlier save left in them must not reach the file.
        AHeader.OffsetNext_Block = 0;
        AHeader.OffsetNext_Node = 0;
        AHeader.DataSize = 0;
        AHeader.Offsetfooter = 0;
        AHeader.MySize = TBlockHeader::StoredSize;
        AFooter.FooterSize = TBlockFooter::StoredSize;

        AFooter.HeaderOffset = Position();
        AHeader.OffsetPrev_Block = LastBlockOffset;
        AHeader.Offset = AFooter.HeaderOffset;
        LastBlockOffset = AHeader.Offset;
        bool ok = true;
        if (AHeader.OffsetPrev_Block > 0)
            ok = PatchLink(AHeader.OffsetPrev_Block, &TBlockHeader::OffsetNext_Block, AFooter.HeaderOffset, AFooter.HeaderOffset) && ok;
        if (AHeader.OffsetPrev_Node > 0)
            ok = PatchLink(AHeader.OffsetPrev_Node, &TBlockHeader::OffsetNext_Node, AFooter.HeaderOffset, AFooter.HeaderOffset) && ok;
        Seek(AFooter.HeaderOffset, soBeginning);
        return WriteBlockHeader(AHeader, true) && ok;
    });
}

bool TStreamWrapper::EndBlock(TBlockHeader &AHeader, TBlockFooter &AFooter, bool Loading)
{
    if (!Header.WriteBlockHeaders)
        return true;
    return BlockStep(Loading, [&] {
        if (Loading) {
            // The end of the block must lie in the container and behind the
            // last header read, so a damaged offset can neither send the reader
            // off nor make it read the same blocks again.
            const std::int64_t minimum = LastHeaderRead + TBlockHeader::FieldsSize;
            if (!Header.WriteBlockFooters) {
                // Without footers a block ends after its data, or its fill.
                const std::int64_t end = std::int64_t(AHeader.Offset) + std::max(AHeader.DataSize, AHeader.Spacer);
                if (end < minimum || end > Size())
                    return false;
                Seek(static_cast<std::int32_t>(end), soBeginning);
                return true;
            }
            if (AHeader.Offsetfooter < minimum || std::int64_t(AHeader.Offsetfooter) + TBlockFooter::StoredSize > Size())
                return false;
            Seek(AHeader.Offsetfooter, soBeginning);
            return ReadBlockFooter(AFooter);
        }

        const std::int32_t Length = Size() - AHeader.Offset;
        bool ok = true;
        for (std::int32_t fill = AHeader.Spacer - Length; fill > 0 && ok; fill -= ZeroChunk)
            ok = WriteBuffer(Zeros, std::min(fill, ZeroChunk));
        if (Header.WriteBlockFooters)
            ok = WriteBlockFooter(AFooter) && ok;
        // The stored header carries the links that later blocks patched in;
        // the block's length and its footer's position complete it in place.
        const std::int32_t at = AFooter.HeaderOffset;
        ok = ok && ReadHeaderField(at, &TBlockHeader::OffsetNext_Block, AHeader.OffsetNext_Block)
             && ReadHeaderField(at, &TBlockHeader::OffsetNext_Node, AHeader.OffsetNext_Node);
        if (ok) {
            AHeader.DataSize = Length;
            ok = WriteHeaderField(at, &TBlockHeader::DataSize, Length);
            if (ok && Header.WriteBlockFooters) {
                AHeader.Offsetfooter = Size() - AFooter.FooterSize;
                ok = WriteHeaderField(at, &TBlockHeader::Offsetfooter, AHeader.Offsetfooter);
            }
        }
        Seek(0, soEnd);
        return ok;
    });
}

// --- the file wrapper --------------------------------------------------------

TFile_StreamWrapper::TFile_StreamWrapper(std::uint8_t AMode, std::uint8_t AWriteMode, const std::string &AFileName)
    : TStreamWrapper(AMode, AWriteMode, AFileName)
{
    if (Mode == 0 && IsWriting())
        throw EVrnStreamWrapCreate(SStreamWrapSilly);
    bool exists = false;
    if (!ProbeFile(FileName, exists))
        throw EVrnStreamWrapCreate(SStreamWrapInvalidName);
    if ((Mode == 0 || Mode == 2) && !exists)
        throw EVrnStreamWrapCreate(SStreamWrapNotExists);
    if (!exists && WriteMode == 0)
        throw EVrnStreamWrapCreate(SStreamWrapCantOpen);
    try {
        if (Mode == 0) {
            Stream = std::make_unique<TFileStream>(FileName, fmOpenRead);
        } else {
            // Everything is written to a new file beside the target, which
            // takes the target's place only at a successful Close.
            auto pending = std::make_unique<TFileReplacement>(FileName);
            if (Mode == 2 && WriteMode == 0) {
                TFileStream old(pending->Target(), fmOpenRead);
                pending->CopyFrom(old, 0);
                pending->Seek(0, soBeginning);
            }
            Pending = pending.get();
            Stream = std::move(pending);
        }
    } catch (const EFOpenError &e) {
        // For a save, an old file that may not be replaced counts as an old
        // file that could not be deleted.
        errno = e.Code;
        throw EVrnStreamWrapCreate(Mode == 0 ? SStreamWrapCreate : SStreamWrapInvalidName, e.Reason);
    } catch (const EStreamError &e) {
        errno = e.Code;
        throw EVrnStreamWrapCreate(SStreamWrapCreate, e.Reason);
    }
}

std::unique_ptr<TStreamWrapper> TFile_StreamWrapper::Create(std::uint8_t AMode, std::uint8_t AWriteMode, const std::string &AFileName)
{
    return std::make_unique<TFile_StreamWrapper>(AMode, AWriteMode, AFileName);
}

const TStreamWrapperClass StreamWrapperClasses[stFile + 1] = {&TFile_StreamWrapper::Create};

// --- long strings ------------------------------------------------------------

void WriteLongString(TStreamWrapper &Wrapper, const std::string &S)
{
    std::uint8_t len[4];
    const auto L = static_cast<std::int32_t>(std::min<std::size_t>(S.size(), INT32_MAX));
    PutI32(len, L);
    Wrapper.WriteBuffer(len, 4);
    if (L != 0)
        Wrapper.WriteBuffer(S.data(), L);
}

bool ReadLongString(TStreamWrapper &Wrapper, std::string &S)
{
    S.clear();
    std::uint8_t len[4];
    if (!Wrapper.ReadBuffer(len, 4))
        return false;
    const std::int32_t L = GetI32(len);
    if (L <= 0)
        return L == 0;
    // A damaged length may claim more than the container holds: take what is there.
    std::int64_t left = 0;
    try {
        left = std::int64_t(Wrapper.Size()) - Wrapper.Position();
    } catch (...) {
        return false;
    }
    const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(L, std::max<std::int64_t>(left, 0)));
    if (n <= 0)
        return false;
    S.assign(static_cast<std::size_t>(n), '\0');
    return Wrapper.ReadBuffer(S.data(), n) && n == L;
}
