#pragma once
// Byte streams as the store uses them: read, write, seek and size, with the
// errors of the run-time library. Positions and sizes are 64-bit here; the
// store keeps its own 32-bit fields.
#include "platform/Exceptions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Reason says in plain words why the operation failed (for the user's
// message); Code is the system's error number, 0 when there is none.
class EStreamError : public Exception {
public:
    explicit EStreamError(std::string Msg, std::string AReason = std::string(), int ACode = 0)
        : Exception(std::move(Msg)), Reason(std::move(AReason)), Code(ACode)
    {
    }
    std::string Reason;
    int Code;
};
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to Count bytes; the number read (0 at the end).
    virtual std::int64_t Read(void *Buffer, std::int64_t Count) = 0;
    // Writes up to Count bytes; the number written.
    virtual std::int64_t Write(const void *Buffer, std::int64_t Count) = 0;
    // The new position; raises EStreamError when the seek fails.
    virtual std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) = 0;
    virtual std::int64_t Size() = 0;
    virtual void SetSize(std::int64_t NewSize) = 0;

    std::int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(std::int64_t Pos) { Seek(Pos, soBeginning); }
    // Exactly Count bytes or EReadError / EWriteError; a short read leaves the
    // bytes that were there in Buffer and the position behind them.
    void ReadBuffer(void *Buffer, std::int64_t Count);
    void WriteBuffer(const void *Buffer, std::int64_t Count);
    // Copies Count bytes from Source (all of it from its start when Count is 0).
    std::int64_t CopyFrom(TStream &Source, std::int64_t Count);
};

enum TFileMode : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFF00,
};

// A stream on a disk file (POSIX descriptor). fmCreate creates or truncates
// the file for reading and writing; the open modes need an existing file.
// Only regular files are streams: a named pipe, device or folder is refused
// (EFOpenError / EFCreateError) without waiting for anything at the open.
class TFileStream : public TStream {
public:
    TFileStream(const std::string &FileName, unsigned Mode);
    ~TFileStream() override;
    TFileStream(const TFileStream &) = delete;
    TFileStream &operator=(const TFileStream &) = delete;

    std::int64_t Read(void *Buffer, std::int64_t Count) override;
    std::int64_t Write(const void *Buffer, std::int64_t Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    std::int64_t Size() override;
    void SetSize(std::int64_t NewSize) override;

    const std::string &FileName() const { return Name; }
    int Handle() const { return Fd; }

protected:
    // Takes over an open descriptor.
    TFileStream(std::string FileName, int Handle) : Name(std::move(FileName)), Fd(Handle) {}

    std::string Name;
    int Fd = -1;
};

// A stream in memory, growing as it is written. The room doubles when it is
// short and is never cleared ahead: only bytes between the end and a position
// written or sized beyond it read as zeros. Growth raises std::bad_alloc when
// memory runs out; the stream then stays as it was.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(const std::vector<std::uint8_t> &Bytes);
    ~TMemoryStream() override;
    // An empty stream for scratch work whose room is kept when it ends, for
    // the next one: a program that saves and loads again and again takes
    // that memory from the system once (the system's first touch of fresh
    // memory costs more than most of the work done in it). At most
    // MaxKeptRoom bytes are kept: the room of one huge save is not held for
    // the rest of the run.
    static std::unique_ptr<TMemoryStream> Scratch();
    static constexpr std::int64_t MaxKeptRoom = std::int64_t{64} << 20;
    // The room kept now for the next scratch stream, in bytes.
    static std::int64_t KeptRoom();
    // Gives the kept room back to the system, when memory ran short.
    static void DropSpare();
    TMemoryStream(const TMemoryStream &) = delete;
    TMemoryStream &operator=(const TMemoryStream &) = delete;

    std::int64_t Read(void *Buffer, std::int64_t Count) override;
    std::int64_t Write(const void *Buffer, std::int64_t Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    std::int64_t Size() override { return FSize; }
    void SetSize(std::int64_t NewSize) override;
    // Room for Capacity bytes in all, so that writes up to there move nothing.
    void Reserve(std::int64_t Capacity);

    // For bulk writers and readers that work in place. WriteRoom makes room
    // for Count bytes at the position and gives their address; Written then
    // takes the first N of them into the stream and moves the position past
    // them. ReadRoom gives the address of the bytes at the position and how
    // many there are; a Seek moves past what was taken.
    std::uint8_t *WriteRoom(std::int64_t Count);
    void Written(std::int64_t N);
    const std::uint8_t *ReadRoom(std::int64_t &Count) const;

    // The Size() bytes of the stream.
    const std::uint8_t *Memory() const { return Buf; }
    std::vector<std::uint8_t> Bytes() const { return std::vector<std::uint8_t>(Buf, Buf + FSize); }

private:
    // Makes room for Needed bytes, at least doubling the room.
    void Grow(std::int64_t Needed);
    void ZeroFill(std::int64_t Up);

    std::uint8_t *Buf = nullptr;
    std::int64_t FSize = 0;
    std::int64_t Capacity = 0;
    std::int64_t Pos = 0;
    bool KeepRoom = false;
};

// File system helpers on byte-string names.
bool FileExists(const std::string &FileName);
bool DirectoryExists(const std::string &Name);
// Whether Name is no entry of the file system at all; false for an entry
// that is there but cannot be reached or read (the open then says why).
bool NoSuchFile(const std::string &Name);
bool DeleteFile(const std::string &FileName);
// Creates the directory and its missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string &Name);
// Tests whether FileName names an existing file. False (errno tells why) when
// the name cannot be tested or names no file: empty, too long, a directory, a
// path through a non-directory or without search permission.
bool ProbeFile(const std::string &FileName, bool &Exists);
// The system's text for an error number, as a string in the code page.
std::string SysErrorText(int Code);
// The folder part of a path with its trailing '/'; empty for a bare name.
std::string ExtractFilePath(const std::string &Path);
// Why an entry of the file system with this st_mode is no file to read or
// replace, in plain words, and the error number for it; empty for a regular file.
std::string NotAStream(unsigned Mode, int &Code);
// The directory for private scratch files: $TMPDIR when that is a directory, else /tmp.
std::string TempDirectory();
