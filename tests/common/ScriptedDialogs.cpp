#include "tests/common/ScriptedDialogs.h"

int TScriptedDialogs::MessageDlg(QWidget *, const std::string &title, const std::string &text,
                                 TMsgDlgType type, unsigned buttons)
{
    Messages.push_back({title, text, type, buttons});
    if (!MessageAnswers.empty()) {
        const int answer = MessageAnswers.front();
        MessageAnswers.pop_front();
        return answer;
    }
    if (buttons & mbYes) return mrYes;
    if (buttons & mbNo) return mrNo;
    if (buttons & mbCancel) return mrCancel;
    return mrOk;
}

bool TScriptedDialogs::AnswerFile(bool save, TFileDialogRequest &request)
{
    FileDialogs.push_back({save, request});
    if (FileAnswers.empty())
        return false;
    const std::string answer = FileAnswers.front();
    FileAnswers.pop_front();
    if (answer.empty())
        return false;
    request.FileName = answer;
    return true;
}

bool TScriptedDialogs::OpenFile(QWidget *, TFileDialogRequest &request)
{
    return AnswerFile(false, request);
}

bool TScriptedDialogs::SaveFile(QWidget *, TFileDialogRequest &request)
{
    return AnswerFile(true, request);
}
