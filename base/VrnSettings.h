#pragma once
// The settings store on one INI file.
#include "base/VrnAbstract.h"
#include "platform/IniFile.h"

#include <functional>
#include <memory>
#include <string>

// Where a failed write of the settings reaches the user: the programs set it
// to their error box. Unset, the failure is passed over and nothing waits for
// anybody.
extern std::function<void(const std::string &Message)> OnSettingsError;

// Reads that find nothing usable give the key's default. A file that cannot be
// written stops nothing: the values stay in memory for this run, the failure is
// reported once, and again only after a write has succeeded in between.
class TIniSettings : public TSettings {
public:
    explicit TIniSettings(const std::string &FileName);
    // Frees the INI file without flushing it.
    ~TIniSettings() override = default;

    std::unique_ptr<TIniFile> Ini;

    void Flush() override;
    int ReadInteger(const std::string &Key) override;
    std::string ReadString(const std::string &Key) override;
    // An item that WriteStrings quoted comes back as it was written: its
    // enclosing single quotes go and doubled quotes inside become one again.
    void ReadStrings(const std::string &Section, TStrings &List, const std::string &Default) override;
    void WriteInteger(const std::string &Key, int Value) override;
    void WriteString(const std::string &Key, const std::string &Value) override;
    // Items with a line break cannot be stored and are left out like empty ones.
    void WriteStrings(const std::string &Section, TStrings &List, bool SkipEmpty, bool Quote) override;
    void ReadKeys(const std::string &Key, TStrings &List) override;

    // More items than this in a list are taken as a damaged count.
    static constexpr int MaxListCount = 1024;

private:
    template <class F>
    void Store(F write);

    bool WriteFailed = false;
};
