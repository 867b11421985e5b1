#include "platform/MessageBox.h"

#include "platform/Dialogs.h"

int ApplicationMessageBox(QWidget *Parent, const std::string &Text, const std::string &Caption, int Flags)
{
    TMsgDlgType type = mtCustom;
    switch (Flags & 0xF0) {
    case MB_ICONHAND: type = mtError; break;
    case MB_ICONQUESTION: type = mtConfirmation; break;
    case MB_ICONEXCLAMATION: type = mtWarning; break;
    case MB_ICONASTERISK: type = mtInformation; break;
    default: break;
    }
    unsigned buttons = mbOK;
    switch (Flags & 0x0F) {
    case MB_OKCANCEL: buttons = mbOK | mbCancel; break;
    case MB_YESNOCANCEL: buttons = mbYes | mbNo | mbCancel; break;
    case MB_YESNO: buttons = mbYes | mbNo; break;
    default: break;
    }
    // The dialog results carry the same codes as the message box's.
    static_assert(int(mrOk) == IDOK && int(mrCancel) == IDCANCEL && int(mrYes) == IDYES && int(mrNo) == IDNO);
    const int result = Dialogs().MessageDlg(Parent, Caption, Text, type, buttons);
    // A box closed without a button counts as its cancel (or its only button).
    if (result == mrNone)
        return (buttons & mbCancel) ? IDCANCEL : IDOK;
    return result;
}
