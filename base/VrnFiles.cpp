#include "base/VrnFiles.h"

#include "base/VrnStrings.h"
#include "platform/SystemText.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

std::string ExtractFileBaseName(const std::string &Path)
{
    const size_t slash = Path.rfind('/');
    const std::string name = slash == std::string::npos ? Path : Path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

namespace {

// The name under which Dir stores the entry Name, which exists (St is its
// lstat): Name itself when the directory lists it so, as on every
// case-sensitive file system. Where the file system ignores letter case and
// stores the entry in another case, that stored name, but only when it is
// the same file. Only ASCII letters are folded: names are raw bytes, and
// folding other bytes could match parts of different multi-byte characters.
std::string StoredName(const std::string &Dir, const std::string &Name, const struct stat &St)
{
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(opendir(Dir.empty() ? "." : Dir.c_str()), closedir);
    if (!dir)
        return Name;
    std::vector<std::string> others;
    while (const dirent *entry = readdir(dir.get())) {
        if (Name == entry->d_name)
            return Name;
        if (SameTextAscii(Name, entry->d_name))
            others.emplace_back(entry->d_name);
    }
    for (const std::string &other : others) {
        struct stat st {};
        if (lstat((Dir + other).c_str(), &st) == 0 && st.st_dev == St.st_dev && st.st_ino == St.st_ino)
            return other;
    }
    return Name;
}

} // namespace

// Components are looked up one after the other below the result so far, so a
// relative path is expanded below the current directory. Components shorter
// than three characters ('.', '..', short directory names) and empty ones (a
// leading or trailing '/', '//') are kept as given. A component that does not
// exist as given is kept, and so is everything after it: the result names
// what the input named, never another file that differs only in letter case.
// Drive letters and network shares do not exist here: a ':' is an ordinary
// character of a name, and a leading '//' names the root like '/'.
std::string ExpandPathCase(const std::string &Path)
{
    try {
        std::string result;
        bool missing = false;
        const int n = CountTokens(Path, "/");
        for (int i = 1; i <= n; ++i) {
            const std::string component = GetToken(Path, "/", i);
            struct stat st {};
            if (component.size() < 3 || missing)
                result += component;
            else if (lstat((result + component).c_str(), &st) != 0) {
                missing = true;
                result += component;
            } else
                result += StoredName(result, component, st);
            if (i < n)
                result += '/';
        }
        return result;
    } catch (...) {
        return Path;
    }
}

namespace {

std::string ExecutableDirectory()
{
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return "./";
        if (static_cast<size_t>(n) < buffer.size()) {
            const std::string exe(buffer.data(), static_cast<size_t>(n));
            return ExpandPathCase(exe.substr(0, exe.rfind('/') + 1));
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string AppDir = ExecutableDirectory();
