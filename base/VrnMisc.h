#pragma once
// The process-wide settings objects of the base library and the names they
// are built from: the settings files beside the executable, the user's and
// the computer's names. What shows on screen (the busy-cursor stack, window
// placement, the titled message box) is in VrnMiscGui.
#include <string>

class TIniSettings;

// Null until InitSettings; freed at program end.
extern TIniSettings *AppSettings;  // named after the executable; nothing uses it
extern TIniSettings *UserSettings; // per user and computer: placements, recent files

// (Re-)creates both settings objects on the files beside the running executable.
void InitSettings();
// The same for an executable of the given full name.
void InitSettingsFor(const std::string &ExeName);

// ExeName with its extension replaced by ".ini".
std::string AppSettingsFileName(const std::string &ExeName);
// ExeName's directory, its base name, "-", User, "@", Computer, ".ini".
std::string UserSettingsFileName(const std::string &ExeName, const std::string &User, const std::string &Computer);

// Empty when the name cannot be read or is longer than 15 characters.
std::string GetUserNameStr();
std::string GetComputerNameStr();
// Name as a name buffer of 16 bytes takes it: empty when it does not fit.
std::string NameInBuffer16(const std::string &Name);
