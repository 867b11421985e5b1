#pragma once
// The scripted double of the dialogs: answers come from queues, every shown
// dialog is recorded. While installed it replaces the Qt dialogs process-wide.
#include "platform/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

class TScriptedDialogs : public IDialogs {
public:
    struct TShownMessage {
        std::string Title;
        std::string Text;
        TMsgDlgType Type;
        unsigned Buttons;
    };
    struct TShownFileDialog {
        bool Save;
        TFileDialogRequest Request;
    };

    TScriptedDialogs() { SetDialogs(this); }
    ~TScriptedDialogs() override { SetDialogs(nullptr); }
    TScriptedDialogs(const TScriptedDialogs &) = delete;
    TScriptedDialogs &operator=(const TScriptedDialogs &) = delete;

    // Answers in the order the dialogs come; an empty queue answers with the
    // first button of the set (message) or a cancel (file dialogs).
    std::deque<int> MessageAnswers;
    std::deque<std::string> FileAnswers; // an empty name means: cancelled

    std::vector<TShownMessage> Messages;
    std::vector<TShownFileDialog> FileDialogs;

    int MessageDlg(QWidget *parent, const std::string &title, const std::string &text,
                   TMsgDlgType type, unsigned buttons) override;
    bool OpenFile(QWidget *parent, TFileDialogRequest &request) override;
    bool SaveFile(QWidget *parent, TFileDialogRequest &request) override;

private:
    bool AnswerFile(bool save, TFileDialogRequest &request);
};

// Messages scripted, file dialogs the toolkit's own (answered as a user would,
// see RealFiles.h).
class TRealFileDialogs : public TScriptedDialogs {
public:
    bool OpenFile(QWidget *Parent, TFileDialogRequest &Request) override { return TQtDialogs().OpenFile(Parent, Request); }
    bool SaveFile(QWidget *Parent, TFileDialogRequest &Request) override { return TQtDialogs().SaveFile(Parent, Request); }
};
