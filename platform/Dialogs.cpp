#include "platform/Dialogs.h"
#include "platform/SystemText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileIconProvider>
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

// Icons and type names from a file's kind and name alone. The toolkit's own
// provider asks the MIME database, which reads the first bytes of every file
// whose name says nothing; reading some files (the kernel log in /proc, a
// file on a hanging network share) waits for ever, and the dialog with it.
class TNameOnlyIconProvider : public QFileIconProvider {
public:
    TNameOnlyIconProvider()
    {
        setOptions(DontUseCustomDirectoryIcons);
        DriveIcon = QFileIconProvider::icon(Drive);
        FolderIcon = QFileIconProvider::icon(Folder);
        FileIcon = QFileIconProvider::icon(File);
    }
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo &info) const override
    {
        if (info.isRoot())
            return DriveIcon;
        return info.isDir() ? FolderIcon : FileIcon;
    }
    QString type(const QFileInfo &info) const override
    {
        if (!info.isFile()) // folders and the like: nothing is read for them
            return QFileIconProvider::type(info);
        return info.suffix().isEmpty() ? QStringLiteral("File") : info.suffix() + QStringLiteral(" File");
    }

private:
    QIcon DriveIcon, FolderIcon, FileIcon;
};

// The dialog starts in the folder asked for; where that is gone, in the home
// folder, never in whatever folder the toolkit saw last (which may be the
// one of a save that failed).
QString StartFolder(const std::string &dir)
{
    const QString folder = FileNameToQ(dir);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

bool RunFileDialog(QWidget *parent, TFileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    // The toolkit's own dialog, so that what follows holds on every desktop.
    QFileDialog dialog(parent, ToQ(request.Title), StartFolder(request.InitialDir), QtFilter(request.Filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    static TNameOnlyIconProvider iconProvider;
    dialog.setIconProvider(&iconProvider);
    // A mask matches names in every letter case ("*.Arv" shows a.arv and B.ARV too).
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.DefaultExt.empty())
        dialog.setDefaultSuffix(ToQ(request.DefaultExt));
    // The name alone: a full path would move the dialog to that file's folder.
    if (!request.FileName.empty())
        dialog.selectFile(QFileInfo(FileNameToQ(request.FileName)).fileName());
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
