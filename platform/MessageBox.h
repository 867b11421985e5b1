#pragma once
// The application's message box with the system's flag and result codes:
// the low four bits choose the buttons, the next four the icon.
#include <string>

class QWidget;

enum : int {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONHAND = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONASTERISK = 0x40,
};

enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Shows Text titled Caption through the process-wide dialogs; the code of the
// pressed button. Button sets other than the four above show an OK button.
int ApplicationMessageBox(QWidget *Parent, const std::string &Text, const std::string &Caption, int Flags);
