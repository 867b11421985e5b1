#pragma once
// The process-wide objects of the base library (the two settings files and the
// busy-cursor stack) and the services around them: window placement in the
// settings, the user's and the computer's names, the titled message box.
#include <string>

class QWidget;
class TGuiProgress;
class TIniSettings;
class TSettings;

// Null until InitSettings; freed at program end.
extern TIniSettings *AppSettings;  // named after the executable; nothing uses it
extern TIniSettings *UserSettings; // per user and computer: placements, recent files
// Exists from program start to program end.
extern TGuiProgress *Progress;

// (Re-)creates both settings objects on the files beside the running executable.
void InitSettings();
// The same for an executable of the given full name.
void InitSettingsFor(const std::string &ExeName);

// ExeName with its extension replaced by ".ini".
std::string AppSettingsFileName(const std::string &ExeName);
// ExeName's directory, its base name, "-", User, "@", Computer, ".ini".
std::string UserSettingsFileName(const std::string &ExeName, const std::string &User, const std::string &Computer);

// The form's position, size and window state under FormsSection and its
// name, as "Left,Top,Width,Height,State" (state 0 normal, 1 minimized, 2
// maximized). Settings null means UserSettings. Left and Top are the frame's
// position, Width and Height the size inside the frame, as moving and resizing
// set them.
void SaveFormPlacement(QWidget *Form, TSettings *Settings = nullptr);
// Applies a stored placement: the state; for a normal window the position,
// and the size only when the form can be resized. A window reaching beyond the
// screen's right or bottom edge is placed 400 pixels wide or high at that edge;
// one whose title bar no screen would show is brought back onto a screen.
// Applied before the window first appears, the position is the frame's, as
// the window manager then knows; applied later, it may be taken as the
// position of the inside.
void RestoreFormPlacement(QWidget *Form, TSettings *Settings = nullptr);

// Empty when the name cannot be read or is longer than 15 characters.
std::string GetUserNameStr();
std::string GetComputerNameStr();
// Name as a name buffer of 16 bytes takes it: empty when it does not fit.
std::string NameInBuffer16(const std::string &Name);

// The default cursor, then the message box titled with the application's title;
// the code of the pressed button (IDOK, IDYES, ...).
int MsgBox(const std::string &Text, int Flags);
