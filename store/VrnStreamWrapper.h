#pragma once
// The container of a project file and the wrappers that write and read it.
//
// A container is a 400-byte stream header, one block per persistent node in
// depth-first pre-order (block header, the node's data, the children's blocks,
// fill, block footer) and a 20-byte stream footer. All integers are int32
// little-endian; records are packed and go to the file field by field.
//
// A save never works on the target itself: the container is built in a private
// scratch and the finished file replaces the target in one step, only when the
// whole save succeeded. So a failed save leaves the old file as it was.
#include "base/VrnBase.h"
#include "base/VrnLinkList.h"
#include "platform/FileReplacement.h"
#include "platform/Streams.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

class TStreamNode;
class TStreamSpy;

// A text of at most N one-byte characters, stored as one length byte and N
// bytes. The bytes after the text are written as zeros, so no remnant of an
// older, longer text reaches a file and equal data give equal files.
template <std::size_t N>
class ShortString {
    static_assert(N >= 1 && N <= 255, "the length must fit its byte");

public:
    static constexpr std::size_t Capacity = N;
    static constexpr std::size_t StoredSize = N + 1;

    ShortString() = default;
    ShortString(const std::string &S) { *this = S; }
    ShortString(const char *S) { *this = std::string(S); }
    // A longer value keeps its first N characters.
    ShortString &operator=(const std::string &S)
    {
        Text = S.substr(0, N);
        return *this;
    }
    ShortString &operator=(const char *S) { return *this = std::string(S); }

    const std::string &str() const { return Text; }
    operator const std::string &() const { return Text; }
    std::size_t size() const { return Text.size(); }
    bool empty() const { return Text.empty(); }

    void Store(std::uint8_t *Out) const
    {
        Out[0] = static_cast<std::uint8_t>(Text.size());
        std::memcpy(Out + 1, Text.data(), Text.size());
        std::memset(Out + 1 + Text.size(), 0, N - Text.size());
    }
    // A damaged length byte above N is taken as N.
    void Load(const std::uint8_t *In)
    {
        const std::size_t len = In[0] < N ? In[0] : N;
        Text.assign(reinterpret_cast<const char *>(In + 1), len);
    }

    friend bool operator==(const ShortString &A, const ShortString &B) { return A.Text == B.Text; }
    friend bool operator==(const ShortString &A, const std::string &B) { return A.Text == B; }
    friend bool operator==(const ShortString &A, const char *B) { return A.Text == B; }

private:
    std::string Text;
};

// The kind of a persistent node, as stored in its block header.
enum TClassKind : std::uint8_t { ckUnknown = 0, ckList = 1, ckNode = 2, ckRefCarrier = 3 };
// The kind of container: a disk file is the only one.
enum TStreamType : std::uint8_t { stFile = 0 };

// A record as it lies in a container: Fields bytes of packed fields, then
// zeros up to Stored bytes (Stored may be smaller: then there is no padding).
// R lists its fields in file order in Fields(Record, Visitor).
template <class R, int Fields, int Stored>
struct TPackedRecord {
    static constexpr int FieldsSize = Fields;
    static constexpr int StoredSize = Stored;
    using TBytes = std::array<std::uint8_t, FieldsSize>;

    TBytes Pack() const;
    void Unpack(const TBytes &Bytes);
};

// The first record of a container. Fields take 330 bytes; 70 zero bytes follow.
struct TStreamHeader : TPackedRecord<TStreamHeader, 330, 400> {
    ShortString<12> StreamVersion = "0.0.1";
    ShortString<12> CompDataListVersion = "0.0.1";
    ShortString<12> ProjectVersion;
    std::int32_t FullMemorySize = 0;
    std::int32_t FreeMemorySize = 0;
    TStreamType StreamType = stFile;
    ShortString<255> Name;
    bool WriteBlockHeaders = false;
    bool WriteBlockFooters = false;
    std::int32_t DataSize = 0;
    std::int32_t NumberOfLists = 0;
    std::int32_t NumberOfNodes = 0;
    std::int32_t NumberOfBlocks = 0;
    std::int32_t MySize = StoredSize;
    std::int32_t Offsetfooter = 0;

    template <class R, class Io>
    static void Fields(R &H, Io &&F);
};

// The header of one node's block: 250 bytes, no padding. MySize says 150,
// which readers never use; the node data always begin 250 bytes in.
struct TBlockHeader : TPackedRecord<TBlockHeader, 250, 150> {
    ShortString<50> ID;
    ShortString<50> ID_owner;
    ShortString<50> ID_Ref;
    ShortString<20> LastCaption;
    ShortString<12> Objectversion;
    TClassKind ClassKind = ckUnknown;
    ShortString<20> ClassName;
    std::int32_t DataSize = 0;
    std::int32_t Spacer = 0;
    std::int32_t Count = 0;
    std::int32_t Offset = 0;
    std::int32_t OffsetNext_Block = 0;
    std::int32_t OffsetPrev_Block = 0;
    std::int32_t OffsetNext_Node = 0;
    std::int32_t OffsetPrev_Node = 0;
    std::int32_t MySize = StoredSize;
    std::int32_t Offsetfooter = 0;
    bool IsLinked = false;

    template <class R, class Io>
    static void Fields(R &H, Io &&F);
};

// The footer of a block and of the container. Fields take 8 bytes; 12 zero bytes follow.
struct TBlockFooter : TPackedRecord<TBlockFooter, 8, 20> {
    std::int32_t FooterSize = StoredSize;
    std::int32_t HeaderOffset = 0;

    template <class R, class Io>
    static void Fields(R &H, Io &&F);
};

// A file that cannot be opened or created in the way asked for.
class EVrnStreamWrapCreate : public EVrnWin32Error {
public:
    // Reason: why, in plain words for the user; the system's text of the
    // last error when none is given.
    explicit EVrnStreamWrapCreate(const std::string &Msg, const std::string &AReason = std::string())
        : EVrnWin32Error(Msg), Reason(AReason.empty() ? LastErrorMsg : AReason)
    {
    }
    std::string Reason;
};

// A load or save that ran out of memory. The message names the file.
class EVrnStreamOutOfMemory : public EVrnError {
public:
    using EVrnError::EVrnError;
};

inline constexpr char SStreamWrapSilly[] = "File_StreamWrapper_create: new and read is silly";
inline constexpr char SStreamWrapInvalidName[] = "File_StreamWrapper_create: invalid filename";
inline constexpr char SStreamWrapNotExists[] = "File_StreamWrapper_create: file not exists";
inline constexpr char SStreamWrapCantOpen[] = "File_StreamWrapper_create: can\xB4t open a not existing file";
inline constexpr char SStreamWrapCreate[] = "File_StreamWrapper_create: exception create";

// The wrappers of one save or load, with the node that runs it.
class TStreamWrappers : public TLinkList {
public:
    TStreamWrappers(TStreamNode *AOwnerNode, bool ACompress, TStreamSpy *ASpy)
        : OwnerNode(AOwnerNode), Spy(ASpy), Compress(ACompress)
    {
    }

    TStreamNode *OwnerNode; // not owned
    TStreamSpy *Spy;        // not owned; captures headers during a load
    bool Compress;          // the container file is Huffman-coded as a whole
};

// One container being written or read during one save or load.
//
// Calling order: create, add to a TStreamWrappers, Open, BeginBlock/EndBlock
// around every node, Close(Loading, Commit), delete. A save reaches the target
// only through Close with Commit true; Close with Commit false, or deleting the
// wrapper without Close, abandons it and leaves the target untouched.
class TStreamWrapper : public TListNode {
public:
    // Mode: 0 read an existing file, 1 create the file, 2 update an existing file.
    // WriteMode: 0 no writing, 1 without block headers, 2 with block headers,
    // 3 with block headers and footers.
    TStreamWrapper(std::uint8_t AMode, std::uint8_t AWriteMode, const std::string &AFileName);
    ~TStreamWrapper() override;

    virtual TStreamType GetStreamType() const = 0;
    // False for Count <= 0 and for any failure; none of the four raises.
    virtual bool WriteBuffer(const void *Buffer, std::int32_t Count);
    // Count bytes, then zeros up to Size.
    virtual bool WritePadded(const void *Buffer, std::int32_t Count, std::int32_t Size);
    virtual bool ReadBuffer(void *Buffer, std::int32_t Count);
    // Count bytes, then a skip up to Size.
    virtual bool ReadPadded(void *Buffer, std::int32_t Count, std::int32_t Size);

    static void InitBlockHeader(TBlockHeader &Header) { Header = TBlockHeader(); }
    static void InitBlockFooter(TBlockFooter &Footer) { Footer = TBlockFooter(); }
    static std::uint8_t WriteModeFor(bool Headers, bool Footers);
    // ClassName_Date:Time_Counter, cut to 50 characters; unique in the process.
    static std::string MakeNodeID(const std::string &NodeClassName);

    // Start of a save or load: scratch set-up, decoding, stream header.
    // EHuffError from decoding passes on; other failures give False.
    bool Open(bool Loading);
    // End of a save or load. Saving, with Commit true: finishes the container,
    // codes it and replaces the target, True only when all of it and every
    // write before succeeded. With Commit false (the save failed), or after any
    // failure, the target stays as it was and False is returned. Scratch files
    // are gone afterwards in every case.
    bool Close(bool Loading, bool Commit);
    bool BeginBlock(TBlockHeader &AHeader, TBlockFooter &AFooter, bool Loading);
    bool EndBlock(TBlockHeader &AHeader, TBlockFooter &AFooter, bool Loading);

    std::int32_t Position();
    std::int32_t Size();
    std::int32_t Seek(std::int32_t Offset, int Origin);
    bool IsWriting() const { return WriteMode >= 1 && WriteMode <= 3; }
    bool IsUpdate() const { return WriteMode == 0 && (Mode == 1 || Mode == 2); }
    bool FooterNotAtEnd();
    TStreamWrappers *Wrappers() const;
    bool SpyActive() const;

    // S := Count bytes at Pos; at most the bytes the stream holds there.
    void ReadRawString(std::int32_t Pos, std::int32_t Count, std::string &S);

    // One record at the current position; False when the transfer failed.
    bool WriteStreamHeader(const TStreamHeader &AHeader);
    bool ReadStreamHeader(TStreamHeader &AHeader);
    // With Count true the block is added to the stream header's counters.
    bool WriteBlockHeader(const TBlockHeader &AHeader, bool Count);
    bool ReadBlockHeader(TBlockHeader &AHeader);
    bool WriteStreamFooter(const TBlockFooter &AFooter);
    bool WriteBlockFooter(const TBlockFooter &AFooter);
    bool ReadBlockFooter(TBlockFooter &AFooter);

    void SpyMain(const TStreamHeader &AHeader);
    void SpyBlock(const TBlockHeader &AHeader);

    std::unique_ptr<TStream> Stream;
    std::uint8_t Mode;
    std::uint8_t WriteMode;
    // The full name: a path longer than the header's 255 characters still
    // names the right file; only the copy in Header.Name is cut.
    std::string FileName;
    std::unique_ptr<TStream> SwapStream;
    TStreamHeader Header;
    TBlockFooter Footer;
    std::int32_t LastBlockOffset = 0;
    // Why the save failed, in plain words; empty when it did not or nobody knows.
    std::string FailReason;
    // A step failed because memory ran out (the failure itself became False).
    bool OutOfMemory = false;

protected:
    bool Compressing() const;
    // Runs one step of a block: an exception is False, and a failed write
    // step marks the save as failed.
    template <class F>
    bool BlockStep(bool Loading, F &&Step);
    // One int32 field of the block header at At, read or written in place.
    bool ReadHeaderField(std::int32_t At, std::int32_t TBlockHeader::*Field, std::int32_t &Value);
    bool WriteHeaderField(std::int32_t At, std::int32_t TBlockHeader::*Field, std::int32_t Value);
    bool PatchLink(std::int32_t At, std::int32_t TBlockHeader::*Field, std::int32_t Value, std::int32_t Limit);
    // Throws the unfinished replacement of the target away, if there is one.
    void DiscardPending();
    // Notes why the save failed, unless an earlier failure was noted.
    void NoteFailure(const std::string &Reason);
    // In a handler that turns a failure into False: notes memory running out.
    void NoteOutOfMemory();
    // The decoded container of Stream: with Streaming, decoded as it is
    // read (for a reader that only moves forward), else all of it at once;
    // nullptr when its stream header gives a length that no save writes.
    std::unique_ptr<TStream> DecodeContainer(bool Streaming);

    // The new version of the target, put in its place at a successful Close;
    // owned by Stream or SwapStream, nullptr when there is none.
    TFileReplacement *Pending = nullptr;
    // A write of this save failed: the container is not complete.
    bool WriteFailed = false;
    bool Closed = false;
    // Where a load read its latest block header; every block end lies behind it.
    std::int64_t LastHeaderRead = 0;
};

// A container on a disk file.
class TFile_StreamWrapper : public TStreamWrapper {
public:
    // Raises EVrnStreamWrapCreate when the file cannot be used as asked.
    TFile_StreamWrapper(std::uint8_t AMode, std::uint8_t AWriteMode, const std::string &AFileName);

    TStreamType GetStreamType() const override { return stFile; }

    static std::unique_ptr<TStreamWrapper> Create(std::uint8_t AMode, std::uint8_t AWriteMode, const std::string &AFileName);
};

// The wrapper classes by stream type, each given by its constructing function.
using TStreamWrapperClass = std::unique_ptr<TStreamWrapper> (*)(std::uint8_t Mode, std::uint8_t WriteMode, const std::string &FileName);
extern const TStreamWrapperClass StreamWrapperClasses[stFile + 1];

// The parts of a node ID: the day counted from 1 January of the year 1 (that
// day is 1), the milliseconds since midnight and the process's ID counter.
std::int32_t NodeIDDateNumber(int Year, int Month, int Day);
std::string FormatNodeID(const std::string &NodeClassName, std::int32_t DateNumber, std::int32_t TimeNumber, std::uint32_t Counter);

// A text of any length inside node data: int32 length, then the bytes.
void WriteLongString(TStreamWrapper &Wrapper, const std::string &S);
// Reads at most the bytes the container still holds; empty when the length
// cannot be read. False when the text is not all there: its length could not
// be read, is negative or claims more bytes than the container holds.
bool ReadLongString(TStreamWrapper &Wrapper, std::string &S);
