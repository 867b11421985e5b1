#include "platform/Streams.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

void TStream::ReadBuffer(void *Buffer, std::int64_t Count)
{
    if (Count <= 0)
        return;
    std::int64_t done = 0;
    while (done < Count) {
        const std::int64_t n = Read(static_cast<char *>(Buffer) + done, Count - done);
        if (n <= 0)
            throw EReadError("Stream read error");
        done += n;
    }
}

void TStream::WriteBuffer(const void *Buffer, std::int64_t Count)
{
    if (Count <= 0)
        return;
    std::int64_t done = 0;
    while (done < Count) {
        errno = 0;
        const std::int64_t n = Write(static_cast<const char *>(Buffer) + done, Count - done);
        if (n <= 0) {
            const int err = errno;
            throw EWriteError("Stream write error", err != 0 ? SysErrorText(err) : "Nothing more could be written", err);
        }
        done += n;
    }
}

std::int64_t TStream::CopyFrom(TStream &Source, std::int64_t Count)
{
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    std::vector<char> buffer(static_cast<size_t>(std::min<std::int64_t>(Count, 1 << 16)));
    std::int64_t left = Count;
    while (left > 0) {
        const std::int64_t n = std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size()));
        Source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return Count;
}

std::string NotAStream(unsigned Mode, int &Code)
{
    if (S_ISREG(Mode))
        return std::string();
    Code = S_ISDIR(Mode) ? EISDIR : EINVAL;
    return S_ISDIR(Mode) ? "It is a folder" : "It is no regular file but a pipe, socket or device";
}

std::string ExtractFilePath(const std::string &Path)
{
    const size_t slash = Path.rfind('/');
    return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

namespace {

// Raises E for the call that failed, with the system's text for errno as its reason.
template <class E>
[[noreturn]] void RaiseSysError(const char *What)
{
    const int err = errno;
    const std::string reason = SysErrorText(err);
    throw E(std::string(What) + " " + reason, reason, err);
}

[[noreturn]] void ThrowOpenFailure(bool Create, const std::string &FileName, const std::string &Reason, int Code)
{
    const std::string msg = (Create ? "Cannot create file \"" : "Cannot open file \"") + FileName + "\". " + Reason;
    errno = Code;
    if (Create)
        throw EFCreateError(msg, Reason, Code);
    throw EFOpenError(msg, Reason, Code);
}

} // namespace

// O_NONBLOCK: opening a named pipe would otherwise wait for a writer, and a
// read-only open of one never returns while nobody writes. Regular files do
// not know the flag, and for anything else the type check refuses the file.
TFileStream::TFileStream(const std::string &FileName, unsigned Mode)
    : Name(FileName)
{
    const bool create = Mode == fmCreate;
    int flags = O_RDONLY;
    if (create)
        flags = O_RDWR | O_CREAT;
    else if ((Mode & 3) == fmOpenWrite)
        flags = O_WRONLY;
    else if ((Mode & 3) == fmOpenReadWrite)
        flags = O_RDWR;
    Fd = ::open(FileName.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (Fd < 0) {
        // A pipe without reader refuses a writer outright; say what it is.
        const int err = errno;
        struct stat st {};
        const bool special = ::stat(FileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
        int ignored = 0; // the open's own error number stays the one reported
        ThrowOpenFailure(create, FileName, special ? NotAStream(st.st_mode, ignored) : SysErrorText(err), err);
    }
    struct stat st {};
    std::string refused;
    int err = 0;
    if (::fstat(Fd, &st) != 0) {
        err = errno;
        refused = SysErrorText(err);
    } else {
        refused = NotAStream(st.st_mode, err);
    }
    if (refused.empty() && create && ::ftruncate(Fd, 0) != 0) {
        err = errno;
        refused = SysErrorText(err);
    }
    if (!refused.empty()) {
        ::close(Fd);
        Fd = -1;
        ThrowOpenFailure(create, FileName, refused, err);
    }
}

TFileStream::~TFileStream()
{
    if (Fd >= 0)
        ::close(Fd);
}

std::int64_t TFileStream::Read(void *Buffer, std::int64_t Count)
{
    if (Count <= 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(Fd, Buffer, static_cast<size_t>(Count));
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return 0;
    }
}

std::int64_t TFileStream::Write(const void *Buffer, std::int64_t Count)
{
    if (Count <= 0)
        return 0;
    for (;;) {
        const ssize_t n = ::write(Fd, Buffer, static_cast<size_t>(Count));
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return 0;
    }
}

std::int64_t TFileStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    const int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
    const off_t pos = ::lseek(Fd, static_cast<off_t>(Offset), whence);
    if (pos < 0)
        RaiseSysError<EStreamError>("Stream seek error.");
    return pos;
}

std::int64_t TFileStream::Size()
{
    struct stat st {};
    if (::fstat(Fd, &st) != 0)
        RaiseSysError<EStreamError>("Stream size error.");
    return st.st_size;
}

void TFileStream::SetSize(std::int64_t NewSize)
{
    if (::ftruncate(Fd, static_cast<off_t>(NewSize)) != 0)
        RaiseSysError<EWriteError>("Stream size error.");
}

TMemoryStream::TMemoryStream(const std::vector<std::uint8_t> &Bytes)
{
    Write(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
    Pos = 0;
}

namespace {

// The room that the last scratch stream left for the next one.
struct TSpareRoom {
    std::mutex Lock;
    std::uint8_t *Buf = nullptr;
    std::int64_t Capacity = 0;
};

TSpareRoom &SpareRoom()
{
    static TSpareRoom spare;
    return spare;
}

} // namespace

std::unique_ptr<TMemoryStream> TMemoryStream::Scratch()
{
    auto stream = std::make_unique<TMemoryStream>();
    stream->KeepRoom = true;
    TSpareRoom &spare = SpareRoom();
    const std::lock_guard<std::mutex> hold(spare.Lock);
    std::swap(stream->Buf, spare.Buf);
    std::swap(stream->Capacity, spare.Capacity);
    return stream;
}

void TMemoryStream::DropSpare()
{
    TSpareRoom &spare = SpareRoom();
    const std::lock_guard<std::mutex> hold(spare.Lock);
    std::free(spare.Buf);
    spare.Buf = nullptr;
    spare.Capacity = 0;
}

std::int64_t TMemoryStream::KeptRoom()
{
    TSpareRoom &spare = SpareRoom();
    const std::lock_guard<std::mutex> hold(spare.Lock);
    return spare.Capacity;
}

TMemoryStream::~TMemoryStream()
{
    if (KeepRoom) {
        if (Capacity > MaxKeptRoom) {
            // Shrinking a block of the system's own pages gives the rest
            // back without copying anything.
            void *p = std::realloc(Buf, static_cast<size_t>(MaxKeptRoom));
            if (p) {
                Buf = static_cast<std::uint8_t *>(p);
                Capacity = MaxKeptRoom;
            } else {
                std::free(Buf);
                Buf = nullptr;
                Capacity = 0;
            }
        }
        // The larger room stays.
        TSpareRoom &spare = SpareRoom();
        const std::lock_guard<std::mutex> hold(spare.Lock);
        if (Capacity > spare.Capacity) {
            std::swap(Buf, spare.Buf);
            std::swap(Capacity, spare.Capacity);
        }
    }
    std::free(Buf);
}

void TMemoryStream::Reserve(std::int64_t NewCapacity)
{
    if (NewCapacity <= Capacity)
        return;
    if (NewCapacity > PTRDIFF_MAX)
        throw std::bad_alloc();
    // Large blocks are fresh pages of the system, moved rather than copied
    // when they grow, so reserving more than is used costs address space only.
    void *p = std::realloc(Buf, static_cast<size_t>(NewCapacity));
    if (!p)
        throw std::bad_alloc();
    Buf = static_cast<std::uint8_t *>(p);
    Capacity = NewCapacity;
}

void TMemoryStream::Grow(std::int64_t Needed)
{
    if (Needed <= Capacity)
        return;
    Reserve(std::max({Needed, Capacity * 2, std::int64_t{4096}}));
}

void TMemoryStream::ZeroFill(std::int64_t Up)
{
    if (Up > FSize) {
        std::memset(Buf + FSize, 0, static_cast<size_t>(Up - FSize));
        FSize = Up;
    }
}

std::int64_t TMemoryStream::Read(void *Buffer, std::int64_t Count)
{
    if (Count <= 0 || Pos >= FSize)
        return 0;
    const std::int64_t n = std::min(Count, FSize - Pos);
    std::memcpy(Buffer, Buf + Pos, static_cast<size_t>(n));
    Pos += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void *Buffer, std::int64_t Count)
{
    if (Count <= 0)
        return 0;
    const std::int64_t end = Pos + Count;
    Grow(end);
    ZeroFill(Pos);
    std::memcpy(Buf + Pos, Buffer, static_cast<size_t>(Count));
    Pos = end;
    FSize = std::max(FSize, end);
    return Count;
}

std::uint8_t *TMemoryStream::WriteRoom(std::int64_t Count)
{
    Grow(Pos + std::max<std::int64_t>(Count, 0));
    ZeroFill(Pos);
    return Buf + Pos;
}

void TMemoryStream::Written(std::int64_t N)
{
    Pos = std::min(Pos + std::max<std::int64_t>(N, 0), std::max(Capacity, Pos));
    FSize = std::max(FSize, Pos);
}

const std::uint8_t *TMemoryStream::ReadRoom(std::int64_t &Count) const
{
    Count = std::max<std::int64_t>(FSize - Pos, 0);
    return Count > 0 ? Buf + Pos : nullptr;
}

std::int64_t TMemoryStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    const std::int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? Pos : FSize;
    if (base + Offset < 0)
        throw EStreamError("Stream seek error");
    Pos = base + Offset;
    return Pos;
}

void TMemoryStream::SetSize(std::int64_t NewSize)
{
    NewSize = std::max<std::int64_t>(NewSize, 0);
    Grow(NewSize);
    ZeroFill(NewSize);
    FSize = NewSize;
    Pos = std::min(Pos, FSize);
}

bool FileExists(const std::string &FileName)
{
    struct stat st {};
    return ::stat(FileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string &Name)
{
    struct stat st {};
    return ::stat(Name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool NoSuchFile(const std::string &Name)
{
    struct stat st {};
    return Name.empty() || (::stat(Name.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR));
}

bool DeleteFile(const std::string &FileName)
{
    return ::unlink(FileName.c_str()) == 0;
}

bool ForceDirectories(const std::string &Name)
{
    if (Name.empty())
        return false;
    std::string path = Name;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (DirectoryExists(path))
        return true;
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !ForceDirectories(path.substr(0, slash)))
        return false;
    return ::mkdir(path.c_str(), 0777) == 0 || DirectoryExists(path);
}

bool ProbeFile(const std::string &FileName, bool &Exists)
{
    Exists = false;
    if (FileName.empty()) {
        errno = ENOENT;
        return false;
    }
    struct stat st {};
    if (::stat(FileName.c_str(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    Exists = true;
    return true;
}

std::string SysErrorText(int Code)
{
    char buf[256];
    // The GNU strerror_r, in the user's language and encoding.
    return Utf8ToCodePage(strerror_r(Code, buf, sizeof buf));
}

std::string TempDirectory()
{
    const char *env = std::getenv("TMPDIR");
    if (env != nullptr && *env != '\0' && DirectoryExists(env))
        return env;
    return "/tmp";
}
