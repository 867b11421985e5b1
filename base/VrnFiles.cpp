#include "base/VrnFiles.h"

#include "base/VrnStrings.h"

#include <dirent.h>
#include <strings.h>
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

// The entry of Dir named Name: the exact name when there is one (on a
// case-sensitive file system a case-insensitive match could be another
// file), else the first entry equal to it ignoring ASCII case, else Name
// itself, so the result always names what the input named. Only ASCII letters
// are folded: names are raw bytes, and folding other bytes could match parts
// of different multi-byte characters.
std::string StoredName(const std::string &Dir, const std::string &Name)
{
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(opendir(Dir.empty() ? "." : Dir.c_str()), closedir);
    if (!dir)
        return Name;
    std::string found;
    bool haveFound = false;
    while (const dirent *entry = readdir(dir.get())) {
        if (Name == entry->d_name)
            return Name;
        if (!haveFound && strcasecmp(Name.c_str(), entry->d_name) == 0) {
            found = entry->d_name;
            haveFound = true;
        }
    }
    return haveFound ? found : Name;
}

} // namespace

// Components are looked up one after the other below the result so far, so a
// relative path is expanded below the current directory. Components shorter
// than three characters ('.', '..', short directory names) and empty ones (a
// leading or trailing '/', '//') are kept as given. Drive letters and network
// shares do not exist here: a ':' is an ordinary character of a name, and a
// leading '//' names the root like '/'.
std::string ExpandPathCase(const std::string &Path)
{
    try {
        std::string result;
        const int n = CountTokens(Path, "/");
        for (int i = 1; i <= n; ++i) {
            const std::string component = GetToken(Path, "/", i);
            result += component.size() >= 3 ? StoredName(result, component) : component;
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
