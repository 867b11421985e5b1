#include "platform/IniFile.h"

#include "platform/FileReplacement.h"
#include "platform/IntText.h"
#include "platform/Streams.h"
#include "platform/StringList.h"
#include "platform/SystemText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string TrimBlanks(const std::string &s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Decimal texts in the int range; hexadecimal ones are bit patterns of up to 32 bits.
bool ParseInt(const std::string &s, int &value)
{
    std::int64_t n = 0;
    bool hex = false;
    if (!TryTextToInt64(s, n, &hex))
        return false;
    if (hex ? (n < -0xFFFFFFFFll || n > 0xFFFFFFFFll) : (n < INT32_MIN || n > INT32_MAX))
        return false;
    value = static_cast<int>(static_cast<std::uint32_t>(n));
    return true;
}

} // namespace

TIniFile::TFileStamp TIniFile::Stamp(const std::string &FileName)
{
    TFileStamp s;
    struct stat st {};
    if (::stat(FileName.c_str(), &st) != 0)
        return s;
    s.Exists = true;
    s.Dev = st.st_dev;
    s.Ino = st.st_ino;
    s.Size = st.st_size;
    s.MTimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

void TIniFile::Load()
{
    // Changes that could not be written yet stay in memory instead of being
    // replaced by the older file.
    if (Dirty)
        return;
    const TFileStamp stamp = Stamp(FFileName);
    if (Loaded && stamp == LoadedStamp)
        return;
    std::string text;
    struct stat st {};
    // Not blocking: a named pipe in the file's place would make the open
    // wait for a writer for ever. Anything but a regular file reads as empty.
    const int fd = ::open(FFileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= MaxFileSize) {
            text.resize(static_cast<size_t>(st.st_size));
            size_t got = 0;
            while (got < text.size()) {
                const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                got += static_cast<size_t>(n);
            }
            text.resize(got);
        }
        ::close(fd);
    }
    Parse(text);
    Loaded = true;
    LoadedStamp = stamp;
}

void TIniFile::Parse(const std::string &Text)
{
    Sections.clear();
    Sections.push_back({});
    size_t pos = 0;
    while (pos < Text.size()) {
        size_t end = Text.find('\n', pos);
        if (end == std::string::npos)
            end = Text.size();
        std::string line = Text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string trimmed = TrimBlanks(line);
        if (trimmed.empty())
            continue;
        if (trimmed.front() == '[' && trimmed.back() == ']' && trimmed.size() >= 2) {
            Sections.push_back({TrimBlanks(trimmed.substr(1, trimmed.size() - 2)), {}});
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || trimmed.front() == ';')
            Sections.back().Lines.push_back({std::string(), line, false});
        else
            Sections.back().Lines.push_back({TrimBlanks(line.substr(0, eq)), line.substr(eq + 1), true});
    }
}

std::string TIniFile::Compose() const
{
    std::string text;
    for (size_t i = 0; i < Sections.size(); ++i) {
        const TSection &s = Sections[i];
        if (i == 0 && s.Lines.empty())
            continue;
        if (!text.empty())
            text += '\n';
        if (i > 0)
            text += '[' + s.Name + "]\n";
        for (const TLine &l : s.Lines)
            text += l.IsEntry ? l.Name + '=' + l.Value + '\n' : l.Value + '\n';
    }
    return text;
}

void TIniFile::Save()
{
    Dirty = true;
    if (Holds > 0)
        return;
    const std::string text = Compose();
    // A pipe, device or folder in the file's place is no settings file: it is
    // neither written to nor replaced.
    struct stat target {};
    if (::stat(FFileName.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
        const std::string message = "Cannot write the settings file \"" + FileNameText(FFileName) + "\": it is no regular file.";
        errno = S_ISDIR(target.st_mode) ? EISDIR : EINVAL;
        throw EIniFileException(message);
    }
    // Written as project files are: the old settings stay whole until the
    // new ones are complete on disk, and a killed write leaves nothing
    // behind for long.
    try {
        try {
            TFileReplacement file(FFileName);
            file.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
            file.Commit();
        } catch (const EFOpenError &e) {
            // A shared install may lock the folder and leave each user a
            // writable settings file in it: that file is written over in
            // place, the one way left to keep the settings.
            if ((e.Code != EACCES && e.Code != EPERM) || ::access(FFileName.c_str(), W_OK) != 0)
                throw;
            TFileStream file(FFileName, fmOpenWrite);
            file.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
            file.SetSize(static_cast<std::int64_t>(text.size()));
            if (::fsync(file.Handle()) != 0) {
                const int err = errno;
                throw EWriteError("Stream write error", SysErrorText(err), err);
            }
        }
    } catch (const EStreamError &e) {
        errno = e.Code;
        throw EIniFileException("Cannot write the settings file \"" + FileNameText(FFileName) + "\": " + e.Reason + ".");
    }
    Dirty = false;
    Loaded = true;
    LoadedStamp = Stamp(FFileName);
}

TIniFile::TSection *TIniFile::FindSection(const std::string &Section)
{
    const std::string name = TrimBlanks(Section);
    for (size_t i = 1; i < Sections.size(); ++i)
        if (SameTextCodePage(Sections[i].Name, name))
            return &Sections[i];
    return nullptr;
}

TIniFile::TLine *TIniFile::FindEntry(const std::string &Section, const std::string &Ident)
{
    TSection *s = FindSection(Section);
    if (!s)
        return nullptr;
    const std::string name = TrimBlanks(Ident);
    for (TLine &l : s->Lines)
        if (l.IsEntry && SameTextCodePage(l.Name, name))
            return &l;
    return nullptr;
}

std::string TIniFile::ReadRawString(const std::string &Section, const std::string &Ident, const std::string &Default)
{
    Load();
    const TLine *l = FindEntry(Section, Ident);
    return l ? TrimBlanks(l->Value) : Default;
}

std::string TIniFile::ReadString(const std::string &Section, const std::string &Ident, const std::string &Default)
{
    Load();
    const TLine *l = FindEntry(Section, Ident);
    if (!l)
        return Default;
    std::string v = TrimBlanks(l->Value);
    if (v.size() >= 2 && (v.front() == '\'' || v.front() == '"') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

int TIniFile::ReadInteger(const std::string &Section, const std::string &Ident, int Default)
{
    int value = 0;
    return ParseInt(ReadString(Section, Ident, std::string()), value) ? value : Default;
}

bool TIniFile::CanHold(const std::string &Value)
{
    return Value.find_first_of("\r\n") == std::string::npos;
}

void TIniFile::WriteString(const std::string &Section, const std::string &Ident, const std::string &Value)
{
    const std::string name = TrimBlanks(Ident);
    if (!CanHold(Section) || !CanHold(Ident) || name.find('=') != std::string::npos || name.rfind(';', 0) == 0)
        throw EIniValueError("The settings file \"" + FileNameText(FFileName) + "\" cannot hold an entry named \"" + Ident
                             + "\" in the section \"" + Section + "\".");
    if (!CanHold(Value))
        throw EIniValueError("The settings file \"" + FileNameText(FFileName) + "\" cannot hold the value of \"" + Ident
                             + "\": it contains a line break.");
    Load();
    if (TLine *l = FindEntry(Section, Ident)) {
        l->Value = Value;
    } else {
        TSection *s = FindSection(Section);
        if (!s) {
            Sections.push_back({TrimBlanks(Section), {}});
            s = &Sections.back();
        }
        s->Lines.push_back({TrimBlanks(Ident), Value, true});
    }
    Save();
}

void TIniFile::WriteInteger(const std::string &Section, const std::string &Ident, int Value)
{
    WriteString(Section, Ident, std::to_string(Value));
}

void TIniFile::DeleteKey(const std::string &Section, const std::string &Ident)
{
    Load();
    TSection *s = FindSection(Section);
    if (!s)
        return;
    const std::string name = TrimBlanks(Ident);
    for (auto it = s->Lines.begin(); it != s->Lines.end(); ++it)
        if (it->IsEntry && SameTextCodePage(it->Name, name)) {
            s->Lines.erase(it);
            Save();
            return;
        }
}

void TIniFile::ReadSection(const std::string &Section, TStrings &List)
{
    Load();
    List.Clear();
    if (const TSection *s = FindSection(Section))
        for (const TLine &l : s->Lines)
            if (l.IsEntry)
                List.Add(l.Name);
}

void TIniFile::ReadSections(TStrings &List)
{
    Load();
    List.Clear();
    for (size_t i = 1; i < Sections.size(); ++i)
        List.Add(Sections[i].Name);
}

void TIniFile::UpdateFile()
{
    if (Dirty)
        Save();
}
