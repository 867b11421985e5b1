#pragma once
// The process-wide busy-cursor stack and the on-screen services around the
// settings of VrnMisc: window placement in the settings and the message box
// titled with the application's title.
#include <string>

class QWidget;
class TGuiProgress;
class TSettings;

// Exists from program start to program end.
extern TGuiProgress *Progress;

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

// The default cursor, then the message box titled with the application's title;
// the code of the pressed button (IDOK, IDYES, ...).
int MsgBox(const std::string &Text, int Flags);
