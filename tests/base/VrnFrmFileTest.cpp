#include "base/VrnFrmFile.h"
#include "base/VrnMisc.h"
#include "base/VrnMiscGui.h"
#include "base/VrnProgressGui.h"
#include "base/VrnSettings.h"
#include "platform/Application.h"
#include "platform/Exceptions.h"
#include "platform/Screen.h"
#include "platform/SystemText.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QMenu>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

#include "tests/common/GermanLocale.h"
#include "tests/common/ScriptedDialogs.h"
#include "tests/common/TestFiles.h"

#include <fstream>
#include <memory>

namespace {

// A document of one text, kept in memory and stored as the file's whole content.
class TFrmTestDoc : public TFrmFile {
public:
    explicit TFrmTestDoc(TSettings *settings) : Settings(settings) {}

    TSettings *Settings;
    std::string Doc;
    std::vector<std::string> Calls;
    bool FailSave = false;
    bool MarkOnShow = false;
    TCursor CursorInHook = crDefault;
    int ProgressDepth = 0;

    void SaveMru(TStrings &List) override { Settings->WriteStrings("File History", List, true, true); }
    void LoadMru(TStrings &List) override { Settings->ReadStrings("File History", List, ""); }
    void NewDocument() override
    {
        Calls.push_back("new");
        Doc.clear();
    }
    void LoadFromFile(const std::string &Name) override
    {
        Calls.push_back("load " + Name);
        Observe();
        std::ifstream in(Name, std::ios::binary);
        if (!in)
            throw Exception("Cannot open " + Name);
        std::stringstream s;
        s << in.rdbuf();
        if (s.str().rfind("damaged", 0) == 0) {
            Doc = "partial";
            throw Exception("Damaged " + Name);
        }
        Doc = s.str();
    }
    void SaveToFile(const std::string &Name) override
    {
        Calls.push_back("save " + Name);
        Observe();
        if (FailSave)
            throw Exception("Disk full");
        SetFileText(Name, Doc);
    }
    void FormShow() override
    {
        TFrmFile::FormShow();
        Calls.push_back("show");
        if (MarkOnShow)
            SetModified(true);
    }

    // The toolkit's drag handlers, called as a drag over the window would.
    using TFrmFile::dragEnterEvent;
    using TFrmFile::dropEvent;

    // The user edits the document.
    void Edit(const std::string &text)
    {
        Doc = text;
        SetModified(true);
    }

private:
    void Observe()
    {
        CursorInHook = Screen().Cursor();
        ProgressDepth = Progress->Count;
    }
};

std::string Title()
{
    return ApplicationTitle();
}

class FrmFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = TFrmFile::Create<TFrmTestDoc>(&Settings);
        Form->Params.clear();
    }
    void TearDown() override
    {
        Form.reset();
        EXPECT_EQ(Progress->Count, 0);
        EXPECT_EQ(Screen().Cursor(), crDefault);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }

    std::string Path(const std::string &name) { return Dir.filePath(QString::fromStdString(name)).toStdString(); }
    std::string MakeFile(const std::string &name, const std::string &text = "content")
    {
        SetFileText(Path(name), text);
        return Path(name);
    }
    void Show()
    {
        Form->show();
        QCoreApplication::processEvents();
    }
    std::string Caption() { return FromQ(Form->windowTitle()); }
    std::vector<std::string> Mru()
    {
        std::vector<std::string> v;
        for (int i = 0; i < Form->Mru.Count(); ++i)
            v.push_back(Form->Mru.Strings(i));
        return v;
    }

    QTemporaryDir Dir;
    TIniSettings Settings{Dir.filePath("user.ini").toStdString()};
    TScriptedDialogs Dialogs;
    std::unique_ptr<TFrmTestDoc> Form;
};

} // namespace

TEST_F(FrmFile, MenuItemsFollowTheirActions)
{
    QStringList names;
    for (const QAction *a : Form->MnuDatei->actions())
        names << a->objectName();
    EXPECT_EQ(names.join(","), "MnuNew,MnuOpen,MnuSave,MnuSaveAs,N2,MnuMru1,MnuMru2,MnuMru3,MnuMru4,MnuMru5,"
                               "MnuSepMru,MnuExit");
    EXPECT_EQ(FromQ(Form->MnuOpen->text()), "\xD6&ffnen...");
    // The shortcut's key names are the desktop's.
    EXPECT_EQ(Form->MnuSave->text(), QLocale::system().language() == QLocale::German ? "&Speichern\tStrg+S"
                                                                                     : "&Speichern\tCtrl+S");
    EXPECT_EQ(Form->ToolButton3->defaultAction(), Form->ActSave);
    Form->ActSave->setEnabled(false);
    EXPECT_FALSE(Form->MnuSave->isEnabled());
    Form->ActSave->setEnabled(true);
    Form->Edit("x");
    Form->MnuSave->trigger(); // runs Save As
    EXPECT_EQ(Dialogs.FileDialogs.size(), 1u);
}

TEST_F(FrmFile, CaptionInEachState)
{
    Form->Modified = true;
    Show();
    EXPECT_EQ(Caption(), Title());
    EXPECT_EQ(Form->Calls, (std::vector<std::string>{"new", "show"}));
    EXPECT_FALSE(Form->Modified);
    Form->Edit("x");
    EXPECT_EQ(Caption(), Title() + " *");
    Form->LockModified = true;
    Form->SetModified(false);
    EXPECT_TRUE(Form->Modified);
    Form->LockModified = false;

    const std::string a = MakeFile("a.doc");
    Dialogs.MessageAnswers = {mrCancel};
    Form->FileOpen();
    EXPECT_TRUE(Dialogs.FileDialogs.empty());
    Dialogs.MessageAnswers = {mrNo};
    Dialogs.FileAnswers = {a};
    Form->FileOpen();
    EXPECT_EQ(Caption(), Title() + " - " + a);
    EXPECT_EQ(Form->Doc, "content");
    Form->Edit("y");
    EXPECT_EQ(Caption(), Title() + " - " + a + " *");
    Form->FileSave();
    EXPECT_EQ(Caption(), Title() + " - " + a);
    EXPECT_EQ(FileText(a), "y");
    // The toolkit's modified placeholder in a file name is escaped, so it is shown as it is.
    Form->SetFileName("/x/[*]");
    EXPECT_EQ(Caption(), Title() + " - /x/[*][*]");
}

TEST_F(FrmFile, RecentListAndItsMenu)
{
    Show();
    EXPECT_FALSE(Form->MnuMru1->isVisible());
    EXPECT_FALSE(Form->MnuSepMru->isVisible());

    for (const char *name : {"/d/one", "/d/two", "/d/three", "/d/four", "/d/five"})
        Form->AddToMru(name);
    Form->AddToMru("  /D/TWO \t");
    EXPECT_EQ(Mru(), (std::vector<std::string>{"/D/TWO", "/d/five", "/d/four", "/d/three", "/d/one"}));
    Form->AddToMru("/d/six");
    EXPECT_EQ(Mru(), (std::vector<std::string>{"/d/six", "/D/TWO", "/d/five", "/d/four", "/d/three"}));
    EXPECT_EQ(FileText(Dir.filePath("user.ini").toStdString()),
              "[File History]\n1='/d/six'\nCount=5\n2='/D/TWO'\n3='/d/five'\n4='/d/four'\n5='/d/three'\n");

    Form->UpdateMruMenu();
    EXPECT_EQ(FromQ(Form->MnuMru3->text()), "&3  /d/five");
    EXPECT_TRUE(Form->MnuMru5->isVisible());
    EXPECT_TRUE(Form->MnuSepMru->isVisible());

    // A new form takes the list from the settings; names with quotes come back whole.
    Form->AddToMru("/d/it's");
    Form.reset();
    Form = TFrmFile::Create<TFrmTestDoc>(&Settings);
    EXPECT_EQ(Mru(), (std::vector<std::string>{"/d/it's", "/d/six", "/D/TWO", "/d/five", "/d/four"}));
    Form->Mru.Clear();
    Form->Mru.Add("/a");
    Form->UpdateMruMenu();
    EXPECT_TRUE(Form->MnuMru1->isVisible());
    EXPECT_FALSE(Form->MnuMru2->isVisible());
    EXPECT_EQ(FromQ(Form->MnuMru2->text()), "&2  ");
}

// Recent names are the file system's bytes: only ASCII letters fold, whatever
// the C library's locale (a Latin-1 one made '\xC4' and '\xE4' one letter).
TEST_F(FrmFile, RecentNamesFoldOnlyAsciiInEveryLocale)
{
    for (const char *locale : {"de_DE.UTF-8", "de_DE.ISO-8859-1"}) {
        SCOPED_TRACE(locale);
        const TGermanCLocale german(locale);
        Form->Mru.Clear();
        Form->AddToMru("/d/\xC4rger.arv");
        Form->AddToMru("/d/\xE4rger.arv");
        Form->AddToMru("/D/\xE4RGER.ARV");
        EXPECT_EQ(Mru(), (std::vector<std::string>{"/D/\xE4RGER.ARV", "/d/\xC4rger.arv"}));
    }
}

TEST_F(FrmFile, RecentFileNamesTheSettingsCannotHold)
{
    // A line feed is legal in a file name, but not in a line of the settings file.
    Form->AddToMru("/d/one");
    Form->AddToMru("/d/new\n[Forms]\nFrmFile=1,1,1,1,0");
    Form->AddToMru("/d/R&D.arv");
    EXPECT_EQ(FileText(Dir.filePath("user.ini").toStdString()),
              "[File History]\n1='/d/R&D.arv'\nCount=2\n2='/d/one'\n");
    Form.reset();
    Form = TFrmFile::Create<TFrmTestDoc>(&Settings);
    EXPECT_EQ(Mru(), (std::vector<std::string>{"/d/R&D.arv", "/d/one"}));
    // The file name's '&' is shown, not taken as the mnemonic.
    Form->UpdateMruMenu();
    EXPECT_EQ(FromQ(Form->MnuMru1->text()), "&1  /d/R&&D.arv");
}

TEST_F(FrmFile, DialogsStartInTheRecentDirectory)
{
    Show();
    Form->DlgOpen.InitialDir = "/keep/";
    Form->DlgSave.InitialDir = "/keep/";
    Form->FileOpen();
    Form->FileSaveAs();
    ASSERT_EQ(Dialogs.FileDialogs.size(), 2u);
    EXPECT_EQ(Dialogs.FileDialogs[0].Request.InitialDir, "/keep/");
    EXPECT_EQ(Dialogs.FileDialogs[1].Request.InitialDir, "/keep/");
    EXPECT_EQ(Dialogs.FileDialogs[1].Request.FileName, "");

    Form->AddToMru("/recent/dir/x.doc");
    Form->FileOpen();
    Form->FileSaveAs();
    EXPECT_EQ(Dialogs.FileDialogs[2].Request.InitialDir, "/recent/dir/");
    EXPECT_EQ(Dialogs.FileDialogs[3].Request.InitialDir, "/recent/dir/");

    const std::string a = MakeFile("a.doc");
    Form->OpenFile(a);
    Form->FileSaveAs();
    EXPECT_EQ(Dialogs.FileDialogs[4].Request.FileName, a);
    EXPECT_EQ(Dialogs.FileDialogs[4].Request.InitialDir, Dir.path().toStdString() + "/");
}

TEST_F(FrmFile, SaveOfAnUnnamedDocumentRunsSaveAs)
{
    Show();
    Form->Edit("text");
    Form->ActSave->trigger(); // cancelled Save As
    ASSERT_EQ(Dialogs.FileDialogs.size(), 1u);
    EXPECT_TRUE(Dialogs.FileDialogs[0].Save);
    EXPECT_TRUE(Form->Modified);
    EXPECT_EQ(Form->FileName, "");
    EXPECT_EQ(Caption(), Title() + " *");

    const std::string b = Path("b.doc");
    Dialogs.FileAnswers = {b};
    Form->ActSave->trigger();
    EXPECT_FALSE(Form->Modified);
    EXPECT_EQ(Form->FileName, b);
    EXPECT_EQ(Caption(), Title() + " - " + b);
    EXPECT_EQ(FileText(b), "text");
    EXPECT_EQ(Mru(), (std::vector<std::string>{b}));
    EXPECT_EQ(Form->ProgressDepth, 2); // Save As holds two entries
    EXPECT_EQ(Form->CursorInHook, crHourGlass);
}

TEST_F(FrmFile, SaveQueryAnswers)
{
    Show();
    const std::string a = MakeFile("a.doc", "old");
    Form->OpenFile(a);
    Form->Calls.clear();

    Form->Edit("changed");
    Dialogs.MessageAnswers = {mrCancel};
    Form->ActNew->trigger();
    EXPECT_TRUE(Form->Calls.empty());
    EXPECT_EQ(Form->FileName, a);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "Do you want to save differences?");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtConfirmation);
    EXPECT_EQ(Dialogs.Messages[0].Buttons, unsigned(mbYes | mbNo | mbCancel));

    Dialogs.MessageAnswers = {mrNo};
    Form->ActNew->trigger();
    EXPECT_EQ(Form->Calls, (std::vector<std::string>{"new"}));
    EXPECT_EQ(FileText(a), "old");
    EXPECT_EQ(Form->FileName, "");
    EXPECT_FALSE(Form->Modified);

    Form->OpenFile(a);
    Form->Edit("kept");
    Form->Calls.clear();
    Dialogs.MessageAnswers = {mrYes};
    Form->ActNew->trigger();
    EXPECT_EQ(Form->Calls, (std::vector<std::string>{"save " + a, "new"}));
    EXPECT_EQ(FileText(a), "kept");

    // Yes does not go on when the Save As it led to was cancelled: the
    // changes are still unsaved and stay in the window.
    Form->Edit("unsaved");
    Form->Calls.clear();
    Dialogs.MessageAnswers = {mrYes};
    Form->ActNew->trigger();
    EXPECT_TRUE(Form->Calls.empty());
    EXPECT_TRUE(Form->Modified);
    Dialogs.MessageAnswers = {mrNo};
    Form->ActNew->trigger();
    EXPECT_EQ(Form->Calls, (std::vector<std::string>{"new"}));

    // A clean document is not asked about.
    const size_t asked = Dialogs.Messages.size();
    Form->FileNew();
    EXPECT_EQ(Dialogs.Messages.size(), asked);
}

TEST_F(FrmFile, CloseQueryCancelKeepsTheWindowOpen)
{
    Show();
    Form->Edit("x");
    Dialogs.MessageAnswers = {mrCancel};
    Form->ActExit->trigger();
    EXPECT_TRUE(Form->isVisible());
    Dialogs.MessageAnswers = {mrNo};
    Form->ActExit->trigger();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_FALSE(Form->acceptDrops());
}

TEST_F(FrmFile, RecentItemOpensItsFileOrReportsItMissing)
{
    Show();
    ASSERT_TRUE(QDir(Dir.path()).mkdir("Sub"));
    const std::string real = MakeFile("Sub/Real.doc", "real");
    const std::string missing = Path("gone.doc");
    // Another spelling of the file's name, as a hand-edited list may hold it:
    // on a file system that tells letter cases apart it names no file.
    const std::string otherCase = Path("SUB/REAL.doc");
    for (const std::string &s : {std::string("/x/other"), missing, otherCase})
        Form->Mru.Add(s);
    Form->UpdateMruMenu();
    EXPECT_EQ(FromQ(Form->MnuMru3->text()), "&3  " + otherCase);

    // Missing: the query, the message, then the Open command asks again.
    for (const std::string &gone : {missing, otherCase}) {
        Form->Edit("changed");
        Dialogs.Messages.clear();
        Dialogs.FileDialogs.clear();
        Dialogs.MessageAnswers = {mrNo, mrOk, mrNo};
        Form->findChild<QAction *>(gone == missing ? "MnuMru2" : "MnuMru3")->trigger();
        ASSERT_EQ(Dialogs.Messages.size(), 3u);
        EXPECT_EQ(Dialogs.Messages[0].Text, "Do you want to save differences?");
        EXPECT_EQ(Dialogs.Messages[1].Text, "File \"" + gone + "\" not found.");
        EXPECT_EQ(Dialogs.Messages[1].Type, mtWarning);
        EXPECT_EQ(Dialogs.Messages[1].Buttons, unsigned(mbOK));
        EXPECT_EQ(Dialogs.Messages[2].Text, "Do you want to save differences?");
        ASSERT_EQ(Dialogs.FileDialogs.size(), 1u);
        EXPECT_FALSE(Dialogs.FileDialogs[0].Save);
        EXPECT_EQ(Form->FileName, "");
        EXPECT_EQ(Form->Doc, "changed");
    }
    EXPECT_EQ(Form->Mru.Strings(1), missing);
    EXPECT_EQ(Form->Mru.Strings(2), otherCase);

    // The name as stored opens the file.
    Form->Mru.Add(real);
    Form->UpdateMruMenu();
    Form->SetModified(false);
    Form->MnuMru4->trigger();
    EXPECT_EQ(Form->FileName, real);
    EXPECT_EQ(Form->Doc, "real");
    EXPECT_EQ(Form->Mru.Strings(0), real);
}

TEST_F(FrmFile, StartUpOpensAnExistingFirstArgument)
{
    const std::string a = MakeFile("start.doc", "from the command line");
    Form->Params = {a, "ignored"};
    Form->MarkOnShow = true;
    Form->show();
    EXPECT_TRUE(Form->Modified); // the open waits for the message loop
    EXPECT_EQ(Form->Calls, (std::vector<std::string>{"new", "show"}));
    QCoreApplication::processEvents();
    EXPECT_EQ(Form->Calls, (std::vector<std::string>{"new", "show", "new", "load " + a}));
    EXPECT_EQ(Form->Doc, "from the command line");
    EXPECT_FALSE(Form->Modified);
    EXPECT_EQ(Caption(), Title() + " - " + a);
}

TEST_F(FrmFile, StartUpWithoutAUsableArgumentLeavesACleanNewDocument)
{
    for (const std::vector<std::string> &params : {std::vector<std::string>{}, {Path("none.doc")}}) {
        Dialogs.Messages.clear();
        Form = TFrmFile::Create<TFrmTestDoc>(&Settings);
        Form->Params = params;
        Form->MarkOnShow = true;
        Show();
        EXPECT_EQ(Form->Calls, (std::vector<std::string>{"new", "show"}));
        EXPECT_FALSE(Form->Modified);
        EXPECT_EQ(Caption(), Title());
        // A file the user named that is not there is said, not passed over.
        if (params.empty()) {
            EXPECT_TRUE(Dialogs.Messages.empty());
        } else {
            ASSERT_EQ(Dialogs.Messages.size(), 1u);
            EXPECT_EQ(Dialogs.Messages[0].Text, "File \"" + params[0] + "\" not found.");
            EXPECT_EQ(Dialogs.Messages[0].Type, mtWarning);
        }
    }
}

TEST_F(FrmFile, DroppedFileIsOpenedAfterTheQuery)
{
    Show();
    EXPECT_TRUE(Form->acceptDrops());
    const std::string a = MakeFile("drop.doc", "dropped");
    const std::string b = MakeFile("second.doc", "second");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(FileNameToQ(a)), QUrl::fromLocalFile(FileNameToQ(b))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    Form->dragEnterEvent(&enter);
    EXPECT_TRUE(enter.isAccepted());

    Form->Edit("mine");
    Dialogs.MessageAnswers = {mrCancel};
    QDropEvent cancelled(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    Form->dropEvent(&cancelled);
    EXPECT_EQ(Form->Doc, "mine");

    Dialogs.MessageAnswers = {mrNo};
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    Form->dropEvent(&drop);
    EXPECT_EQ(Form->Doc, "dropped");
    EXPECT_EQ(Form->FileName, a);
    EXPECT_EQ(Dialogs.Messages.size(), 2u);

    // A name of 255 characters is taken; a longer one is refused, not cut.
    const std::string dir = Dir.path().toStdString() + "/";
    const std::string fits = dir + std::string(TFrmFile::MaxDroppedName - dir.size() - 4, 'n') + ".doc";
    ASSERT_EQ(fits.size(), 255u);
    SetFileText(fits, "long");
    Form->WMDropFiles({fits});
    EXPECT_EQ(Form->Calls.back(), "load " + fits);
    Form->Calls.clear();
    // Taken while dragging, so that the drop can say why it is not opened.
    QMimeData longName;
    longName.setUrls({QUrl::fromLocalFile(FileNameToQ(fits + "x"))});
    QDragEnterEvent longEnter(QPoint(5, 5), Qt::CopyAction, &longName, Qt::LeftButton, Qt::NoModifier);
    Form->dragEnterEvent(&longEnter);
    EXPECT_TRUE(longEnter.isAccepted());
    Dialogs.Messages.clear();
    QDropEvent longDrop(QPointF(5, 5), Qt::CopyAction, &longName, Qt::LeftButton, Qt::NoModifier);
    Form->dropEvent(&longDrop);
    EXPECT_TRUE(Form->Calls.empty());
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "The file \"" + fits + "x\" cannot be opened: its name is too long.");
}

TEST_F(FrmFile, BusyCursorIsRestoredWhenOpenOrSaveRaises)
{
    Show();
    const std::string a = MakeFile("a.doc", "good");
    Form->OpenFile(a);
    EXPECT_EQ(Form->CursorInHook, crHourGlass);
    EXPECT_EQ(Form->ProgressDepth, 1);

    Form->Edit("changed");
    Form->FailSave = true;
    EXPECT_THROW(Form->FileSave(), Exception);
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_TRUE(Form->Modified);

    Dialogs.FileAnswers = {Path("other.doc")};
    EXPECT_THROW(Form->FileSaveAs(), Exception);
    EXPECT_EQ(Progress->Count, 0);
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_TRUE(Form->Modified);
    EXPECT_EQ(Form->FileName, a); // the failed name is not taken

    // Through the action the failure ends in the error box.
    Form->ActSave->trigger();
    ASSERT_FALSE(Dialogs.Messages.empty());
    EXPECT_EQ(Dialogs.Messages.back().Text, "Disk full.");
    EXPECT_EQ(Screen().Cursor(), crDefault);

    // A failed open leaves an unnamed document, so nothing saves the remains over the file.
    Form->FailSave = false;
    const std::string damaged = MakeFile("damaged.doc", "damaged data");
    EXPECT_THROW(Form->OpenFile(damaged), Exception);
    EXPECT_EQ(Progress->Count, 0);
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(Form->FileName, "");
    EXPECT_FALSE(Form->Modified);
    EXPECT_EQ(Caption(), Title());
    EXPECT_EQ(FileText(damaged), "damaged data");
    EXPECT_EQ(Mru(), (std::vector<std::string>{a}));
}
