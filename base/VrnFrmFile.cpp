#include "base/VrnFrmFile.h"

#include "base/VrnFiles.h"
#include "base/VrnForms.h"
#include "base/VrnMisc.h"
#include "base/VrnMiscGui.h"
#include "base/VrnProgressGui.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/Streams.h"
#include "platform/SystemText.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace {

std::string Trim(const std::string &s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

// One busy-cursor entry for the duration of a scope, also when it raises.
class TBusy {
public:
    TBusy() { Progress->Start(poHourGlass, std::string(), 100); }
    ~TBusy() { Progress->Stop(); }
    TBusy(const TBusy &) = delete;
    TBusy &operator=(const TBusy &) = delete;
};

// The tool bar pictures, 16 by 16 on a transparent ground.
QIcon NewPicture()
{
    return DrawnPicture(QSize(16, 16), [](QPainter &p) {
        const QPoint page[] = {{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}};
        p.setPen(QColor(64, 64, 64));
        p.setBrush(Qt::white);
        p.drawPolygon(page, 5);
        p.drawLine(10, 1, 10, 4);
        p.drawLine(10, 4, 13, 4);
    });
}

QIcon OpenPicture()
{
    return DrawnPicture(QSize(16, 16), [](QPainter &p) {
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(230, 190, 60));
        p.drawRect(1, 4, 11, 9);
        p.drawRect(1, 3, 4, 1);
        const QPoint flap[] = {{3, 7}, {15, 7}, {12, 13}, {1, 13}};
        p.setBrush(QColor(250, 220, 110));
        p.drawPolygon(flap, 4);
    });
}

QIcon SavePicture()
{
    return DrawnPicture(QSize(16, 16), [](QPainter &p) {
        p.setPen(QColor(20, 30, 70));
        p.setBrush(QColor(50, 70, 150));
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(4, 9, 7, 5);
    });
}

std::string MruCaption(int Number, const std::string &Path)
{
    return "&" + std::to_string(Number) + "  " + Path;
}

std::string NotFound(const std::string &Path)
{
    return "File \"" + FileNameText(Path) + "\" not found.";
}

} // namespace

TFrmFile::TFrmFile(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName("FrmFile");
    resize(618, 401);
    // The names as given: the toolkit's decoded list turns bytes that are not
    // UTF-8 into replacement characters, which name no file.
    Params = ProgramArguments();

    IglToolBar = {NewPicture(), OpenPicture(), SavePicture()};

    const auto makeAction = [this](const char *name, const char *caption, const char *hint, int image,
                                   void (TFrmFile::*handler)()) {
        auto *a = Named(new QAction(ToQ(caption), this), name);
        a->setToolTip(ToQ(hint));
        a->setStatusTip(ToQ(hint));
        a->setProperty("Category", QStringLiteral("File"));
        if (image >= 0)
            a->setIcon(IglToolBar[static_cast<size_t>(image)]);
        connect(a, &QAction::triggered, this, Safely([this, handler] { (this->*handler)(); }));
        addAction(a);
        return a;
    };
    ActNew = makeAction("ActNew", "&Neu", "Neues Dokument beginnen", 0, &TFrmFile::ActNewExecute);
    ActOpen = makeAction("ActOpen", "\xD6&ffnen...", "Dokument \xF6" "ffnen", 1, &TFrmFile::ActOpenExecute);
    ActSave = makeAction("ActSave", "&Speichern", "Dokument speichern", 2, &TFrmFile::ActSaveExecute);
    ActSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ActSaveAs = makeAction("ActSaveAs", "Speichern &unter...", "Dokument unter einem neuen Namen speichern", -1,
                           &TFrmFile::ActSaveAsExecute);
    ActExit = makeAction("ActExit", "&Beenden", "Anwendung verlassen", -1, &TFrmFile::ActExitExecute);

    MnuMain = Named(menuBar(), "MnuMain");
    MnuDatei = Named(MnuMain->addMenu(ToQ("&Datei")), "MnuDatei");
    MnuNew = MenuItemFor(ActNew, "MnuNew");
    MnuOpen = MenuItemFor(ActOpen, "MnuOpen");
    MnuSave = MenuItemFor(ActSave, "MnuSave");
    MnuSaveAs = MenuItemFor(ActSaveAs, "MnuSaveAs");
    N2 = Named(MnuDatei->addSeparator(), "N2");
    QAction **mru[] = {&MnuMru1, &MnuMru2, &MnuMru3, &MnuMru4, &MnuMru5};
    for (int n = 1; n <= 5; ++n) {
        const std::string caption = "&" + std::to_string(n);
        QAction *item = MnuDatei->addAction(ToQ(caption));
        item->setObjectName(QStringLiteral("MnuMru%1").arg(n));
        item->setData(QByteArray::fromStdString(caption));
        connect(item, &QAction::triggered, this, Safely([this, item] { MnuMru1Click(item); }));
        *mru[n - 1] = item;
    }
    MnuSepMru = Named(MnuDatei->addSeparator(), "MnuSepMru");
    MnuExit = MenuItemFor(ActExit, "MnuExit");

    ToolBar = Named(addToolBar(QStringLiteral("ToolBar")), "ToolBar");
    ToolBar->setMovable(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setContentsMargins(2, 2, 2, 2);
    QToolButton **buttons[] = {&ToolButton1, &ToolButton2, &ToolButton3};
    QAction *bound[] = {ActNew, ActOpen, ActSave};
    for (int i = 0; i < 3; ++i) {
        auto *b = new QToolButton(ToolBar);
        b->setObjectName(QStringLiteral("ToolButton%1").arg(i + 1));
        b->setDefaultAction(bound[i]);
        b->setAutoRaise(true);
        b->setFixedSize(25, 24);
        ToolBar->addWidget(b);
        *buttons[i] = b;
    }
}

TFrmFile::~TFrmFile() = default;

QAction *TFrmFile::MenuItemFor(QAction *Action, const char *Name)
{
    // The menu item follows its action like the framework's action links:
    // caption, hint, picture and state, with the shortcut shown beside it (the
    // action itself keeps the shortcut, so it is not registered twice).
    auto *item = Named(MnuDatei->addAction(QString()), Name);
    const auto follow = [Action, item] {
        QString text = Action->text();
        if (!Action->shortcut().isEmpty())
            text += QLatin1Char('\t') + Action->shortcut().toString(QKeySequence::NativeText);
        item->setText(text);
        item->setToolTip(Action->toolTip());
        item->setStatusTip(Action->statusTip());
        item->setIcon(Action->icon());
        item->setEnabled(Action->isEnabled());
        item->setVisible(Action->isVisible());
    };
    follow();
    connect(Action, &QAction::changed, item, follow);
    connect(item, &QAction::triggered, Action, [Action] { Action->trigger(); });
    return item;
}

QAction *TFrmFile::MruItem(int Index) const
{
    QAction *const items[] = {MnuMru1, MnuMru2, MnuMru3, MnuMru4, MnuMru5};
    return items[Index];
}

void TFrmFile::EnsureCreated()
{
    if (FCreated)
        return;
    FCreated = true;
    FormCreate();
}

void TFrmFile::UpdateCaption()
{
    QString text = ToQ(ApplicationTitle());
    if (!FileName.empty())
        text += QStringLiteral(" - ") + FileNameToQ(FileName);
    if (Modified)
        text += QStringLiteral(" *");
    // "[*]" is the toolkit's own modified placeholder; a file name may contain it.
    text.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(text);
}

void TFrmFile::SaveMru(TStrings &List)
{
    (void)List;
}

void TFrmFile::LoadMru(TStrings &List)
{
    (void)List;
}

bool TFrmFile::QuerySaveChanges()
{
    if (!Modified)
        return true;
    switch (Dialogs().MessageDlg(this, ApplicationTitle(), "Do you want to save differences?", mtConfirmation,
                                 mbYes | mbNo | mbCancel)) {
    case mrYes:
        // A Save As that the user cancels saves nothing: the changes are
        // still unsaved, so whatever was to follow must not go ahead.
        FileSave();
        return !Modified;
    case mrNo:
        return true;
    default:
        return false;
    }
}

void TFrmFile::SetModified(bool Value)
{
    if (LockModified)
        return;
    Modified = Value;
    UpdateCaption();
}

void TFrmFile::SetFileName(const std::string &Name)
{
    FileName = Name;
    UpdateCaption();
}

void TFrmFile::AddToMru(const std::string &Name)
{
    const std::string name = Trim(Name);
    std::vector<std::string> items;
    items.push_back(name);
    bool removed = false;
    for (int i = 0; i < Mru.Count(); ++i) {
        const std::string item = Mru.Strings(i);
        // The names are the file system's bytes: only ASCII letters fold.
        if (!removed && SameTextAscii(item, name)) {
            removed = true;
            continue;
        }
        items.push_back(item);
    }
    if (items.size() > 5)
        items.resize(5);
    Mru.Clear();
    for (const std::string &item : items)
        Mru.Add(item);
    SaveMru(Mru);
}

void TFrmFile::UpdateMruMenu()
{
    bool any = false;
    for (int n = 1; n <= 5; ++n) {
        const std::string path = n <= Mru.Count() ? Mru.Strings(n - 1) : std::string();
        const std::string caption = MruCaption(n, path);
        QAction *item = MruItem(n - 1);
        // The caption is the item's record of its path; the shown text cannot
        // carry every byte a file name may hold, so the bytes ride along.
        item->setData(QByteArray::fromStdString(caption));
        // A '&' of the file name is shown, not taken as the item's mnemonic.
        item->setText(ToQ("&" + std::to_string(n) + "  ") + FileNameToQ(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setVisible(!path.empty());
        any = any || !path.empty();
    }
    MnuSepMru->setVisible(any);
}

void TFrmFile::OpenFile(const std::string &Name)
{
    TBusy busy;
    const std::string name = ExpandPathCase(Name);
    SetFileName(name);
    try {
        NewDocument();
        LoadFromFile(name);
    } catch (...) {
        // The document is now whatever the failed load left; under the file's
        // name a later save (or a Yes in the save query) would write it over
        // the file that could not be read.
        FileName.clear();
        Modified = false;
        UpdateCaption();
        throw;
    }
    AddToMru(name);
    UpdateMruMenu();
    Modified = false;
    UpdateCaption();
}

void TFrmFile::FileNew()
{
    if (!QuerySaveChanges())
        return;
    NewDocument();
    FileName.clear();
    Modified = false;
    UpdateCaption();
}

void TFrmFile::FileOpen()
{
    if (!QuerySaveChanges())
        return;
    if (Mru.Count() > 0)
        DlgOpen.InitialDir = ExtractFilePath(Mru.Strings(0));
    if (Dialogs().OpenFile(this, DlgOpen))
        OpenFile(DlgOpen.FileName);
}

void TFrmFile::FileSave()
{
    if (FileName.empty()) {
        FileSaveAs();
        return;
    }
    {
        TBusy busy;
        SaveToFile(FileName);
    }
    Modified = false;
    UpdateCaption();
}

void TFrmFile::FileSaveAs()
{
    DlgSave.FileName = FileName;
    if (!FileName.empty())
        DlgSave.InitialDir = ExtractFilePath(FileName);
    else if (Mru.Count() > 0)
        DlgSave.InitialDir = ExtractFilePath(Mru.Strings(0));
    if (!Dialogs().SaveFile(this, DlgSave))
        return;
    TBusy outer;
    // The document takes the new name only once it is saved under it: after
    // a failed save it keeps its old name, and the next Save does not try the
    // failed one again.
    const std::string name = DlgSave.FileName;
    {
        TBusy inner;
        SaveToFile(name);
    }
    FileName = name;
    AddToMru(FileName);
    UpdateMruMenu();
    Modified = false;
    UpdateCaption();
}

void TFrmFile::FormCreate()
{
    Mru.Clear();
    LoadMru(Mru);
}

void TFrmFile::FormShow()
{
    setWindowTitle(ToQ(ApplicationTitle()));
    UpdateMruMenu();
    NewDocument();
    setAcceptDrops(true);
    // Queued, so it runs after the whole show sequence, a derived form's included.
    QMetaObject::invokeMethod(this, Safely([this] { WMStartup(); }), Qt::QueuedConnection);
}

void TFrmFile::FormHide()
{
    setAcceptDrops(false);
}

void TFrmFile::FormCloseQuery(bool &CanClose)
{
    CanClose = QuerySaveChanges();
}

void TFrmFile::ActExitExecute()
{
    close();
}

void TFrmFile::MnuMru1Click(QAction *Sender)
{
    if (!QuerySaveChanges())
        return;
    const std::string caption = Sender->data().toByteArray().toStdString();
    const std::string path = caption.size() > 4 ? caption.substr(4) : std::string();
    if (!NoSuchFile(path)) {
        OpenFile(path);
    } else {
        MsgBox(NotFound(path), MB_ICONEXCLAMATION);
        FileOpen();
    }
}

void TFrmFile::WMStartup()
{
    const bool named = !Params.empty();
    // A folder, or a file that cannot be read, goes to the open, which says why.
    const bool exists = named && !NoSuchFile(Params[0]);
    {
        // The start-up code of a derived form may have marked the document;
        // it starts clean in every case, also when the open fails.
        struct TClearAtEnd {
            TFrmFile *Form;
            ~TClearAtEnd() { Form->SetModified(false); }
        } clearAtEnd{this};
        if (exists)
            OpenFile(Params[0]);
    }
    // The user named this file: one that is not there is said, not passed
    // over, once the window shows its clean new document.
    if (named && !exists)
        MsgBox(NotFound(Params[0]), MB_ICONEXCLAMATION);
}

void TFrmFile::WMDropFiles(const std::vector<std::string> &Names)
{
    if (Names.empty() || Names[0].empty())
        return; // no local file, refused while dragging
    const std::string name = Names[0];
    if (name.size() > MaxDroppedName) {
        MsgBox("The file \"" + FileNameText(name) + "\" cannot be opened: its name is too long.", MB_ICONEXCLAMATION);
        return;
    }
    if (QuerySaveChanges())
        OpenFile(name);
}

namespace {

// The local file names of a drag's URLs, in order (empty for other URLs).
// The bytes of a name come from the URL's own escapes: its decoded text has
// replacement characters where the name is not UTF-8.
std::vector<std::string> DroppedNames(const QMimeData *data)
{
    std::vector<std::string> names;
    if (data && data->hasUrls())
        for (const QUrl &url : data->urls()) {
            if (!url.isLocalFile())
                names.emplace_back();
            else if (!url.host().isEmpty()) // a share, as the toolkit names it
                names.push_back(FileNameFromQ(url.toLocalFile()));
            else
                // Fully encoded, the path is plain ASCII; its escapes give the bytes.
                names.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toUtf8()).toStdString());
        }
    return names;
}

} // namespace

void TFrmFile::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    try {
        EnsureCreated();
        FormShow();
    } catch (const std::exception &e) {
        ShowException(e);
    }
}

void TFrmFile::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    if (event->spontaneous())
        return;
    try {
        FormHide();
    } catch (const std::exception &e) {
        ShowException(e);
    }
}

void TFrmFile::closeEvent(QCloseEvent *event)
{
    bool canClose = true;
    try {
        FormCloseQuery(canClose);
    } catch (const std::exception &e) {
        canClose = false;
        ShowException(e);
    }
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TFrmFile::dragEnterEvent(QDragEnterEvent *event)
{
    // Only a local file is taken; one it cannot open is said at the drop.
    const std::vector<std::string> names = DroppedNames(event->mimeData());
    if (!names.empty() && !names[0].empty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFrmFile::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    try {
        WMDropFiles(DroppedNames(event->mimeData()));
    } catch (const std::exception &e) {
        ShowException(e);
    }
}
