#include "platform/FileReplacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <vector>

bool TFileReplacement::UseUnnamedFiles = true;

namespace {

constexpr char TempSuffix[] = ".new~";
constexpr std::size_t TempSuffixSize = sizeof TempSuffix - 1;
constexpr std::size_t TempLetters = 8;
constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The names NewTempName makes: '.', a name, '.', eight letters or digits, the suffix.
bool IsTempName(const std::string &Name)
{
    const std::size_t n = Name.size();
    if (n < 3 + TempLetters + TempSuffixSize || Name[0] != '.' ||
        Name.compare(n - TempSuffixSize, TempSuffixSize, TempSuffix) != 0)
        return false;
    const std::size_t first = n - TempSuffixSize - TempLetters;
    if (Name[first - 1] != '.')
        return false;
    for (std::size_t i = first; i < first + TempLetters; ++i)
        if (!IsLetter(Name[i]))
            return false;
    return true;
}

[[noreturn]] void Refuse(const std::string &Target, const std::string &Reason, int Code)
{
    errno = Code;
    throw EFOpenError("Cannot replace file \"" + Target + "\". " + Reason, Reason, Code);
}

[[noreturn]] void CannotCreate(const std::string &Target, const std::string &Reason, int Code)
{
    errno = Code;
    throw EFCreateError("Cannot write file \"" + Target + "\". " + Reason, Reason, Code);
}

[[noreturn]] void CannotCommit(const std::string &Target, const std::string &Reason, int Code)
{
    errno = Code;
    throw EWriteError("Cannot write file \"" + Target + "\". " + Reason, Reason, Code);
}

// The file that Name refers to: symbolic links of its last component are
// followed, a relative link text taken from the link's folder. Folders on
// the way are left to the system, which follows their links itself.
std::string ResolveLinks(const std::string &Name)
{
    std::string path = Name;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> text(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        ssize_t n = 0;
        for (;;) {
            n = ::readlink(path.c_str(), text.data(), text.size());
            if (n < 0 || static_cast<std::size_t>(n) < text.size())
                break;
            text.resize(text.size() * 2);
        }
        if (n <= 0)
            return path; // gone meanwhile: the checks that follow say what is wrong
        const std::string link(text.data(), static_cast<std::size_t>(n));
        path = link.front() == '/' ? link : ExtractFilePath(path) + link;
    }
    Refuse(Name, SysErrorText(ELOOP), ELOOP);
}

} // namespace

TFileReplacement::TFileReplacement(const std::string &Target)
    : TFileStream(std::string(), -1)
{
    if (Target.empty())
        Refuse(Target, SysErrorText(ENOENT), ENOENT);
    Name = ResolveLinks(Target);
    const std::size_t slash = Name.rfind('/');
    DirName = slash == std::string::npos ? "." : slash == 0 ? "/" : Name.substr(0, slash);
    Base = slash == std::string::npos ? Name : Name.substr(slash + 1);
    if (Base.empty() || Base == "." || Base == "..")
        Refuse(Target, "It is a folder", EISDIR);

    DirFd = ::open(DirName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DirFd < 0 && errno == EACCES) // a folder that may be written but not listed
        DirFd = ::open(DirName.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (DirFd < 0) {
        const int err = errno;
        CannotCreate(Target, SysErrorText(err), err);
    }
    try {
        struct stat old {};
        const bool existed = ::fstatat(DirFd, Base.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
        if (!existed && errno != ENOENT) {
            const int err = errno;
            Refuse(Target, SysErrorText(err), err);
        }
        if (existed) {
            int code = 0;
            if (const std::string why = NotAStream(old.st_mode, code); !why.empty())
                Refuse(Target, why, code);
            // Without any write permission bit the file is read-only for
            // everyone, the system's administrator included.
            if ((old.st_mode & 0222) == 0)
                Refuse(Target, "The file is read-only", EACCES);
            if (::faccessat(DirFd, Base.c_str(), W_OK, AT_EACCESS) != 0) {
                const int err = errno;
                Refuse(Target, err == EACCES ? "There is no permission to change the file" : SysErrorText(err), err);
            }
            if (::faccessat(DirFd, ".", W_OK | X_OK, AT_EACCESS) != 0) {
                const int err = errno;
                Refuse(Target, err == EACCES ? "There is no permission to change files in its folder" : SysErrorText(err), err);
            }
        }
        RemoveStaleFiles();
        CreateFile(existed ? &old : nullptr);
    } catch (...) {
        if (!TempName.empty())
            ::unlinkat(DirFd, TempName.c_str(), 0);
        ::close(DirFd);
        throw;
    }
}

TFileReplacement::~TFileReplacement()
{
    Discard();
    ::close(DirFd);
}

void TFileReplacement::Discard()
{
    if (!Committed && !TempName.empty())
        ::unlinkat(DirFd, TempName.c_str(), 0);
    TempName.clear();
    if (!Committed && Fd >= 0) {
        ::close(Fd);
        Fd = -1;
    }
}

std::string TFileReplacement::NewTempName() const
{
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    std::string name = "." + Base.substr(0, 200) + ".";
    for (std::size_t i = 0; i < TempLetters; ++i)
        name += Letters[pick(random)];
    return name + TempSuffix;
}

// The new file starts private (when it replaces a file) and takes the old
// file's owner and permissions before it ever gets a name.
void TFileReplacement::CreateFile(const struct stat *Old)
{
    const mode_t initial = Old ? 0600 : 0666;
    int fd = -1;
    if (UseUnnamedFiles) {
        fd = ::openat(DirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, initial);
        // File systems without unnamed files say so in one of these ways.
        if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            const int err = errno;
            CannotCreate(Name, SysErrorText(err), err);
        }
    }
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        const std::string name = NewTempName();
        fd = ::openat(DirFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, initial);
        if (fd >= 0)
            TempName = name;
        else if (errno != EEXIST) {
            const int err = errno;
            CannotCreate(Name, SysErrorText(err), err);
        }
    }
    if (fd < 0)
        CannotCreate(Name, SysErrorText(EEXIST), EEXIST);
    Fd = fd;
    // Marks the file as in use for RemoveStaleFiles of other saves.
    ::flock(Fd, LOCK_EX | LOCK_NB);
    if (Old) {
        // Where the process may not give the file away, it may still keep its group.
        if ((Old->st_uid != ::geteuid() || Old->st_gid != ::getegid()) && ::fchown(Fd, Old->st_uid, Old->st_gid) != 0 &&
            ::fchown(Fd, static_cast<uid_t>(-1), Old->st_gid) != 0) {
            // The new file stays the process's own.
        }
        if (::fchmod(Fd, Old->st_mode & 07777) != 0) {
            const int err = errno;
            CannotCreate(Name, SysErrorText(err), err);
        }
    }
}

// Files of saves that were killed on the way: ours, regular and not locked
// by a save that still runs.
void TFileReplacement::RemoveStaleFiles()
{
    const int listFd = ::openat(DirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return;
    DIR *dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    std::vector<std::string> stale;
    while (const dirent *entry = ::readdir(dir))
        if (IsTempName(entry->d_name))
            stale.emplace_back(entry->d_name);
    ::closedir(dir);
    for (const std::string &name : stale) {
        const int fd = ::openat(DirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {}, now {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(DirFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino)
            ::unlinkat(DirFd, name.c_str(), 0);
        ::close(fd);
    }
}

void TFileReplacement::Commit()
{
    if (Committed || Fd < 0)
        CannotCommit(Name, Committed ? "The file was put in place already" : "The new version was thrown away", EINVAL);
    if (::fsync(Fd) != 0 && errno != EINVAL) {
        const int err = errno;
        CannotCommit(Name, SysErrorText(err), err);
    }
    // A folder moved away meanwhile is no longer where the user saves to.
    struct stat then {}, now {};
    if (::fstat(DirFd, &then) != 0 || ::stat(DirName.c_str(), &now) != 0 || then.st_dev != now.st_dev || then.st_ino != now.st_ino)
        CannotCommit(Name, "The folder was moved or removed during the save", ENOENT);
    for (int attempt = 0; TempName.empty(); ++attempt) {
        const std::string name = NewTempName();
        const std::string self = "/proc/self/fd/" + std::to_string(Fd);
        int done = ::linkat(AT_FDCWD, self.c_str(), DirFd, name.c_str(), AT_SYMLINK_FOLLOW);
        if (done != 0 && errno == ENOENT) // no /proc: the privileged way
            done = ::linkat(Fd, "", DirFd, name.c_str(), AT_EMPTY_PATH);
        if (done == 0)
            TempName = name;
        else if (errno != EEXIST || attempt >= 100) {
            const int err = errno;
            CannotCommit(Name, SysErrorText(err), err);
        }
    }
    if (::renameat(DirFd, TempName.c_str(), DirFd, Base.c_str()) != 0) {
        const int err = errno;
        ::unlinkat(DirFd, TempName.c_str(), 0);
        TempName.clear();
        CannotCommit(Name, SysErrorText(err), err);
    }
    TempName.clear();
    Committed = true;
    // The new name is on disk too, not only the data (fails harmlessly where
    // the folder could not be opened for reading).
    ::fsync(DirFd);
}
