#pragma once
// Modal dialogs behind one interface: the programs use the Qt implementation,
// tests install the scripted double so that nothing ever blocks on a dialog.
#include <string>

class QWidget;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Button sets and the results, with the run-time library's values.
enum TMsgDlgButton : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
};
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

struct TFileDialogRequest {
    std::string Title;
    std::string Filter;      // "Text|*.mask|Other|*.x", as the forms write it
    std::string DefaultExt;  // without the dot
    std::string InitialDir;
    std::string FileName;    // in: proposed name; out: the chosen file
};

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Shows a message; returns the TModalResult of the pressed button.
    virtual int MessageDlg(QWidget *parent, const std::string &title, const std::string &text,
                           TMsgDlgType type, unsigned buttons) = 0;
    // Open and save dialogs; false when the user cancels.
    virtual bool OpenFile(QWidget *parent, TFileDialogRequest &request) = 0;
    virtual bool SaveFile(QWidget *parent, TFileDialogRequest &request) = 0;
};

// The process-wide dialogs; the Qt implementation unless a test installed another.
IDialogs &Dialogs();
// Installs another implementation (not owned); nullptr restores the Qt one.
void SetDialogs(IDialogs *dialogs);

class TQtDialogs : public IDialogs {
public:
    int MessageDlg(QWidget *parent, const std::string &title, const std::string &text,
                   TMsgDlgType type, unsigned buttons) override;
    bool OpenFile(QWidget *parent, TFileDialogRequest &request) override;
    bool SaveFile(QWidget *parent, TFileDialogRequest &request) override;
};
