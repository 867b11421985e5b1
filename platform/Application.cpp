#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Latin1.h"

#include <QFileInfo>

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowException(e);
    } catch (...) {
        ShowErrorText("Unknown exception");
    }
    return true;
}

std::string ApplicationTitle()
{
    QString name = QCoreApplication::applicationName();
    if (name.isEmpty())
        name = QFileInfo(QCoreApplication::applicationFilePath()).baseName();
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return FromQ(name);
}

void ShowErrorText(const std::string &text)
{
    Dialogs().MessageDlg(nullptr, ApplicationTitle(), text, mtError, mbOK);
}

void ShowException(const std::exception &e)
{
    std::string text = e.what();
    // The run-time library's box ends a sentence that has no final stop with one.
    if (!text.empty() && text.back() != '.')
        text += '.';
    ShowErrorText(text);
}
