#include "base/VrnMisc.h"

#include "base/VrnFiles.h"
#include "base/VrnSettings.h"
#include "platform/Streams.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <vector>

TIniSettings *AppSettings = nullptr;
TIniSettings *UserSettings = nullptr;

namespace {

void FreeSettings()
{
    delete UserSettings;
    UserSettings = nullptr;
    delete AppSettings;
    AppSettings = nullptr;
}

// The unit's life: both settings objects freed at the end.
struct TUnitLife {
    ~TUnitLife() { FreeSettings(); }
} UnitLife;

std::string ExecutableName()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? AppDir + "arvilo" : exe.string();
}

} // namespace

std::string AppSettingsFileName(const std::string &ExeName)
{
    const std::string dir = ExtractFilePath(ExeName);
    const std::string name = ExeName.substr(dir.size());
    const size_t dot = name.rfind('.');
    return dir + (dot == std::string::npos ? name : name.substr(0, dot)) + ".ini";
}

std::string UserSettingsFileName(const std::string &ExeName, const std::string &User, const std::string &Computer)
{
    return ExtractFilePath(ExeName) + ExtractFileBaseName(ExeName) + "-" + User + "@" + Computer + ".ini";
}

void InitSettingsFor(const std::string &ExeName)
{
    FreeSettings();
    AppSettings = new TIniSettings(AppSettingsFileName(ExeName));
    UserSettings = new TIniSettings(UserSettingsFileName(ExeName, GetUserNameStr(), GetComputerNameStr()));
}

void InitSettings()
{
    InitSettingsFor(ExecutableName());
}

std::string NameInBuffer16(const std::string &Name)
{
    return Name.size() <= 15 ? Name : std::string();
}

std::string GetUserNameStr()
{
    std::vector<char> buffer(16384);
    passwd entry {};
    passwd *found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_name)
        return std::string();
    return NameInBuffer16(found->pw_name);
}

std::string GetComputerNameStr()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return std::string();
    return NameInBuffer16(name);
}
