#include "platform/Dialogs.h"
#include "platform/Latin1.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace {

TQtDialogs qtDialogs;
IDialogs *current = nullptr;

// "Projects|*.Arv|All|*.*" becomes "Projects (*.Arv);;All (*.*)".
QString QtFilter(const std::string &filter)
{
    const QStringList parts = ToQ(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    return out.join(QStringLiteral(";;"));
}

bool RunFileDialog(QWidget *parent, TFileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, ToQ(request.Title), FileNameToQ(request.InitialDir), QtFilter(request.Filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.DefaultExt.empty())
        dialog.setDefaultSuffix(ToQ(request.DefaultExt));
    if (!request.FileName.empty())
        dialog.selectFile(FileNameToQ(request.FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    request.FileName = FileNameFromQ(dialog.selectedFiles().constFirst());
    return true;
}

} // namespace

IDialogs &Dialogs()
{
    return current ? *current : qtDialogs;
}

void SetDialogs(IDialogs *dialogs)
{
    current = dialogs;
}

int TQtDialogs::MessageDlg(QWidget *parent, const std::string &title, const std::string &text,
                           TMsgDlgType type, unsigned buttons)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type) {
    case mtWarning: icon = QMessageBox::Warning; break;
    case mtError: icon = QMessageBox::Critical; break;
    case mtInformation: icon = QMessageBox::Information; break;
    case mtConfirmation: icon = QMessageBox::Question; break;
    case mtCustom: break;
    }
    QMessageBox::StandardButtons qtButtons;
    if (buttons & mbYes) qtButtons |= QMessageBox::Yes;
    if (buttons & mbNo) qtButtons |= QMessageBox::No;
    if (buttons & mbOK) qtButtons |= QMessageBox::Ok;
    if (buttons & mbCancel) qtButtons |= QMessageBox::Cancel;
    if (!qtButtons)
        qtButtons = QMessageBox::Ok;
    QMessageBox box(icon, ToQ(title), ToQ(text), qtButtons, parent);
    // Messages carry file names and titles the user chose: never markup.
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
    case QMessageBox::Yes: return mrYes;
    case QMessageBox::No: return mrNo;
    case QMessageBox::Ok: return mrOk;
    case QMessageBox::Cancel: return mrCancel;
    default: return (buttons & mbCancel) ? mrCancel : mrNone;
    }
}

bool TQtDialogs::OpenFile(QWidget *parent, TFileDialogRequest &request)
{
    return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
}

bool TQtDialogs::SaveFile(QWidget *parent, TFileDialogRequest &request)
{
    return RunFileDialog(parent, request, QFileDialog::AcceptSave);
}
