#pragma once
// A settings file of sections and Name=Value entries. Section and entry names
// compare without regard to letter case; a value read loses the blanks around
// it and one pair of enclosing quotes. Each write is on disk when the call
// returns (the file is replaced as a whole, as a project file is: a read-only
// file is refused, a link stays a link), and a file changed by someone else
// is read again on the next access. A damaged file never raises: unreadable or
// oversized files read as empty, lines that are no entry are kept but ignored.
#include "platform/Exceptions.h"

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

class TStrings;

class EIniFileException : public Exception { using Exception::Exception; };
// A section, entry name or value that the file's lines cannot hold.
class EIniValueError : public Exception { using Exception::Exception; };

class TIniFile {
public:
    explicit TIniFile(std::string FileName) : FFileName(std::move(FileName)) {}

    const std::string &FileName() const { return FFileName; }

    std::string ReadString(const std::string &Section, const std::string &Ident, const std::string &Default);
    // The value with the blanks around it removed but its quotes kept; Default
    // when the entry is missing.
    std::string ReadRawString(const std::string &Section, const std::string &Ident, const std::string &Default);
    // Decimal, or hexadecimal after "0x" or '$'; Default when missing or not a number.
    int ReadInteger(const std::string &Section, const std::string &Ident, int Default);
    // Whether Value can be stored as it is: a line break would end the entry's
    // line and start a new one in the file.
    static bool CanHold(const std::string &Value);
    // The writes raise EIniFileException when the file cannot be written; the
    // change is then kept in memory and written by the next write or UpdateFile.
    // They raise EIniValueError, and change nothing, for a section, name or
    // value with a line break, or a name with '=' or a leading ';'.
    void WriteString(const std::string &Section, const std::string &Ident, const std::string &Value);
    void WriteInteger(const std::string &Section, const std::string &Ident, int Value);
    void DeleteKey(const std::string &Section, const std::string &Ident);
    // The entry names of Section, in file order (List is cleared first).
    void ReadSection(const std::string &Section, TStrings &List);
    // The section names, in file order (List is cleared first).
    void ReadSections(TStrings &List);
    // Writes out a change that an earlier write could not store, or that a
    // hold kept back.
    void UpdateFile();

    // While one is open, writes stay in memory: a list of entries goes to
    // disk once, by UpdateFile after the hold, not once for each entry.
    class THold {
    public:
        explicit THold(TIniFile &AFile) : File(AFile) { ++File.Holds; }
        ~THold() { --File.Holds; }
        THold(const THold &) = delete;
        THold &operator=(const THold &) = delete;

    private:
        TIniFile &File;
    };

    // Files above this size are taken as damaged and read as empty.
    static constexpr std::int64_t MaxFileSize = 1 << 20;

private:
    int Holds = 0;
    struct TLine {
        std::string Name;  // entry name, trimmed; empty for a line that is no entry
        std::string Value; // entry value, or the whole line when it is no entry
        bool IsEntry;
    };
    struct TSection {
        std::string Name;
        std::vector<TLine> Lines;
    };
    struct TFileStamp {
        bool Exists = false;
        dev_t Dev = 0;
        ino_t Ino = 0;
        off_t Size = 0;
        std::int64_t MTimeNs = 0;
        friend bool operator==(const TFileStamp &, const TFileStamp &) = default;
    };

    void Load();
    void Parse(const std::string &Text);
    std::string Compose() const;
    void Save();
    TSection *FindSection(const std::string &Section);
    TLine *FindEntry(const std::string &Section, const std::string &Ident);
    static TFileStamp Stamp(const std::string &FileName);

    std::string FFileName;
    std::vector<TSection> Sections; // Sections[0] holds the lines before the first header
    bool Loaded = false;
    bool Dirty = false;
    TFileStamp LoadedStamp;
};
