#include "base/VrnSettings.h"

#include "base/VrnStrings.h"
#include "platform/StringList.h"

#include <algorithm>
#include <vector>

std::function<void(const std::string &Message)> OnSettingsError;

TIniSettings::TIniSettings(const std::string &FileName)
    : Ini(std::make_unique<TIniFile>(FileName))
{
}

template <class F>
void TIniSettings::Store(F write)
{
    try {
        write();
        WriteFailed = false;
    } catch (const EIniFileException &e) {
        // Settings are a convenience: a full disk or a read-only directory
        // must not end the command that wrote them, nor bring up a box on
        // every single write.
        if (!WriteFailed) {
            WriteFailed = true;
            if (OnSettingsError)
                OnSettingsError(e.Message);
        }
    }
}

void TIniSettings::Flush()
{
    Store([&] { Ini->UpdateFile(); });
}

int TIniSettings::ReadInteger(const std::string &Key)
{
    const int d = GetTokenInt(Key, "\r", 3);
    const int r = Ini->ReadInteger(KeySection(Key), KeyIdent(Key), d);
    if (WriteDefaults && r == d)
        WriteInteger(Key, r);
    return r;
}

std::string TIniSettings::ReadString(const std::string &Key)
{
    const std::string d = KeyDefault(Key);
    std::string r = Ini->ReadString(KeySection(Key), KeyIdent(Key), d);
    if (WriteDefaults && r == d)
        WriteString(Key, r);
    return r;
}

void TIniSettings::WriteInteger(const std::string &Key, int Value)
{
    Store([&] { Ini->WriteInteger(KeySection(Key), KeyIdent(Key), Value); });
    if (AutoFlush)
        Flush();
}

void TIniSettings::WriteString(const std::string &Key, const std::string &Value)
{
    Store([&] { Ini->WriteString(KeySection(Key), KeyIdent(Key), Value); });
    if (AutoFlush)
        Flush();
}

namespace {

std::string Quoted(const std::string &item)
{
    std::string q = "'";
    for (const char c : item) {
        q += c;
        if (c == '\'')
            q += '\'';
    }
    return q + "'";
}

// The reverse of Quoted for a value stored in single quotes; any other value
// as the INI layer reads it (one pair of quotes of either kind removed).
std::string Unquoted(const std::string &raw)
{
    if (raw.size() < 2 || raw.front() != '\'' || raw.back() != '\'')
        return raw.size() >= 2 && raw.front() == '"' && raw.back() == '"' ? raw.substr(1, raw.size() - 2) : raw;
    std::string item;
    for (size_t i = 1; i + 1 < raw.size(); ++i) {
        item += raw[i];
        if (raw[i] == '\'' && raw[i + 1] == '\'' && i + 2 < raw.size())
            ++i;
    }
    return item;
}

// The lines of Text as a string list takes them: broken at CR LF, LF or CR,
// a final line break ending the last line instead of starting an empty one.
std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t e = i;
        while (e < text.size() && text[e] != '\r' && text[e] != '\n')
            ++e;
        lines.push_back(text.substr(i, e - i));
        if (e < text.size() && text[e] == '\r')
            ++e;
        if (e < text.size() && text[e] == '\n')
            ++e;
        i = e;
    }
    return lines;
}

} // namespace

void TIniSettings::ReadStrings(const std::string &Section, TStrings &List, const std::string &Default)
{
    const int n = std::min(Ini->ReadInteger(Section, "Count", 0), MaxListCount);
    List.Clear();
    for (int i = 1; i <= n; ++i)
        List.Add(Unquoted(Ini->ReadRawString(Section, std::to_string(i), std::string())));
    if (!Default.empty() && List.Count() == 0)
        for (const std::string &line : Lines(Default))
            List.Add(line);
    if (WriteDefaults && !Default.empty()) {
        std::string text;
        for (int i = 0; i < List.Count(); ++i)
            text += List.Strings(i) + "\r\n";
        if (text == Default)
            WriteStrings(Section, List, false, true);
    }
}

void TIniSettings::WriteStrings(const std::string &Section, TStrings &List, bool SkipEmpty, bool Quote)
{
    // The entries change in memory and go to disk together, when the hold
    // ends; a failed write keeps the whole list in memory for the next one.
    {
        TIniFile::THold hold(*Ini);
        const int old = Ini->ReadInteger(Section, "Count", 0);
        int k = 0;
        for (int i = 0; i < List.Count(); ++i) {
            const std::string item = List.Strings(i);
            if (SkipEmpty && item.empty())
                continue;
            // An item with a line break cannot be an entry of the file: it is
            // left out, like an empty one, instead of breaking the file's lines.
            if (!TIniFile::CanHold(item))
                continue;
            ++k;
            Ini->WriteString(Section, std::to_string(k), Quote ? Quoted(item) : item);
        }
        Ini->WriteInteger(Section, "Count", k);
        for (int j = k + 1; j <= std::min(old, MaxListCount); ++j)
            Ini->DeleteKey(Section, std::to_string(j));
    }
    Flush();
}

void TIniSettings::ReadKeys(const std::string &Key, TStrings &List)
{
    std::string s = KeySection(Key);
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    s.erase(0, std::min(s.size(), static_cast<size_t>(std::find_if_not(s.begin(), s.end(), blank) - s.begin())));
    if (s.empty())
        Ini->ReadSections(List);
    else
        Ini->ReadSection(s, List);
}
