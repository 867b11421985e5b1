// The profiler as a user meets it: the program started as main() starts it,
// driven through clicks, keys, actions and the scripted dialogs.
#include "tests/profiler/ArviloProgram.h"

#include "base/VrnCmpStandard.h"
#include "base/VrnFiles.h"
#include "base/VrnFrmAbout.h"
#include "base/VrnMisc.h"
#include "platform/Application.h"
#include "platform/ChartWidget.h"
#include "platform/Shell.h"
#include "platform/SystemText.h"
#include "platform/ViewItems.h"
#include "profiler/LibArvilo.h"
#include "profiler/LibNavigation.h"
#include "profiler/UntArviloPnlStart.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "tests/common/ScriptedDialogs.h"
#include "tests/common/TestFiles.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char Query[] = "Do you want to save differences?";

TArvilo_Var *Var(int index)
{
    return static_cast<TArvilo_Var *>(Project->GetItem(index));
}

// What the file holds as Da's maximum of the first variation; -1 when it
// does not load or holds none.
double SavedDaMax(const std::string &file)
{
    TArvilo check(nullptr);
    check.SetFileInfo(ProjectFileInfo);
    if (!check.LoadFromFile(file) || check.Count < 1)
        return -1;
    return static_cast<TArvilo_Var *>(check.GetItem(0))->Params.DaMax;
}

class ArviloMain : public ::testing::Test, protected TArviloProgram {
protected:
    // As main() does, with the settings files in the temporary directory.
    void SetUp() override
    {
        InitSettingsFor(Path("arvilo"));
        Create();
    }
    void TearDown() override
    {
        Destroy();
        SetShellOpenHook({});
    }

    QTreeWidget *Tree() { return Main->TvwNavigation; }

    std::vector<std::string> Nodes()
    {
        std::vector<std::string> texts;
        for (QTreeWidgetItemIterator it(Tree()); *it; ++it)
            texts.push_back(FromQ((*it)->text(0)));
        return texts;
    }
    QTreeWidgetItem *Node(const std::string &caption)
    {
        for (QTreeWidgetItemIterator it(Tree()); *it; ++it)
            if (FromQ((*it)->text(0)) == caption)
                return *it;
        throw std::runtime_error("no node " + caption);
    }
    std::string Selected() { return ViewSelected(Tree()) ? FromQ(ViewSelected(Tree())->text(0)) : "<none>"; }

    // The tree acts on the release of the button, on the node pressed.
    void Click(const std::string &caption)
    {
        QTreeWidgetItem *node = Node(caption);
        Tree()->scrollToItem(node);
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, Tree()->visualItemRect(node).center());
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(QApplication::focusWidget(), key, mods); }
    void Type(QLineEdit *edit, const std::string &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, ToQ(text));
    }

    // Typed over the field's text as a German keyboard types: one key for
    // each character, with the character as its text.
    template <typename TField>
    void TypeText(TField *field, const QString &text)
    {
        field->setFocus();
        field->selectAll();
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    // The project as the file holds it.
    static std::unique_ptr<TArvilo> Saved(const std::string &file)
    {
        auto saved = std::make_unique<TArvilo>(nullptr);
        saved->SetFileInfo(ProjectFileInfo);
        EXPECT_TRUE(saved->LoadFromFile(file));
        return saved;
    }

    bool PageShown()
    {
        return Panel->PnlStart->parentWidget() == Main->PnlNavigation && Panel->PnlStart->isVisible();
    }
    std::string Title() { return ApplicationTitle(); }

    // Add with the root node selected (Down from the top node only selects it).
    void AddAtRoot()
    {
        ASSERT_EQ(Selected(), "Arvilo Variationen");
        Tree()->setFocus();
        Key(Qt::Key_Down);
        ASSERT_EQ(Selected(), "Bo Profiling");
        Main->ActAddVar->trigger();
    }

    // Three variations titled a, b, c; nothing shown.
    void ThreeVariations()
    {
        AddAtRoot();
        AddAtRoot();
        for (int i = 0; i < 3; ++i)
            Var(i)->Params.Title = std::string(1, char('a' + i));
        Click("Arvilo Variationen");
        ASSERT_EQ(Nodes(), (std::vector<std::string>{"Arvilo Variationen", "Bo Profiling", "Var1 a", "Var2 b", "Var3 c"}));
    }

    // Saves a project with its fields and one edited variation.
    std::string SaveSample(const std::string &name)
    {
        Type(Main->EdtTitle, "Probe \xC4" "pfel");
        Type(Main->EdtStock, "B. subtilis");
        Main->MmoComment->setPlainText(ToQ("Zeile 1\nZeile 2"));
        Click("Var1 default");
        Type(Panel->EdtDaMax, "45");
        Dialogs.FileAnswers = {Path(name)};
        Main->ActSaveAs->trigger();
        return Path(name);
    }

    TScriptedDialogs Dialogs;
};

} // namespace

TEST_F(ArviloMain, StartsWithOneVariationAndTheProjectPage)
{
    Start();
    EXPECT_EQ(Nodes(), (std::vector<std::string>{"Arvilo Variationen", "Bo Profiling", "Var1 default"}));
    EXPECT_EQ(Selected(), "Arvilo Variationen");
    EXPECT_EQ(Caption(), Title());
    EXPECT_FALSE(Main->Modified);
    EXPECT_EQ(Navigations->Active, nullptr);
    EXPECT_FALSE(PageShown());
    EXPECT_TRUE(Main->Panel4->isVisible());
    EXPECT_EQ(FromQ(Main->EdtTitle->text()), "unknown");
    EXPECT_TRUE(Dialogs.Messages.empty());
    // Theory.txt is copied beside the test program.
    const std::string theory = FileText(AppDir + "Theory.txt");
    ASSERT_FALSE(theory.empty());
    EXPECT_EQ(FromQ(Main->MmoTheorie->toPlainText()), FromQ(QString::fromLatin1(theory.data(), qsizetype(theory.size()))));
}

TEST_F(ArviloMain, MissingTheoryIsReportedOnceAndTheWindowOpens)
{
    AppDir = Path("nowhere") + "/";
    Start();
    const std::string text = "Theory.txt konnte nicht ge\xF6" "ffnet werden";
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, text);
    EXPECT_EQ(Dialogs.Messages[0].Type, mtWarning);
    EXPECT_EQ(Dialogs.Messages[0].Buttons, unsigned(mbOK));
    EXPECT_EQ(FromQ(Main->MmoTheorie->toPlainText()), text);
    EXPECT_TRUE(Main->isVisible());
    EXPECT_EQ(Nodes().back(), "Var1 default");
}

TEST_F(ArviloMain, ClickShowsAndComputesTheVariationAndF9TakesEdits)
{
    Start();
    Click("Var1 default");
    EXPECT_TRUE(PageShown());
    EXPECT_EQ(Project->Current, Var(0));
    EXPECT_EQ(Selected(), "Var1 default");
    EXPECT_GT(Panel->CrtChart->SeriesCount(), 0);
    EXPECT_EQ(Caption(), Title()) << "showing a page changes nothing";

    Type(Panel->EdtDaMax, "45");
    Type(Panel->EdtTitle, "Probe");
    EXPECT_NE(Var(0)->Params.DaMax, 45.0);
    Key(Qt::Key_F9);
    EXPECT_EQ(Var(0)->Params.DaMax, 45.0);
    EXPECT_EQ(Var(0)->Params.Title, "Probe");
    // Any click stores the shown values and shows the variation again.
    Type(Panel->EdtDaMin, "35");
    Click("Var1 default");
    EXPECT_EQ(Var(0)->Params.DaMin, 35.0);
    EXPECT_EQ(Nodes().back(), "Var1 Probe");
    EXPECT_TRUE(PageShown());

    // The top node takes the page away, the root node shows the first variation.
    Click("Arvilo Variationen");
    EXPECT_FALSE(PageShown());
    Click("Bo Profiling");
    EXPECT_TRUE(PageShown());
    EXPECT_EQ(Selected(), "Var1 Probe");
}

TEST_F(ArviloMain, AddInsertsAfterTheSelectedOrAppendsAtTheRoot)
{
    Start();
    Main->ActAddVar->trigger(); // the top node, nothing current: nothing to add after
    EXPECT_EQ(Project->Count, 1);
    AddAtRoot();
    EXPECT_FALSE(PageShown());
    EXPECT_EQ(Nodes().back(), "Var2 default");
    EXPECT_EQ(Selected(), "Arvilo Variationen");

    AddAtRoot();
    for (int i = 0; i < 3; ++i)
        Var(i)->Params.Title = std::string(1, char('a' + i));
    Click("Arvilo Variationen");
    Click("Var2 b");
    Main->ActAddVar->trigger();
    EXPECT_EQ(Nodes(), (std::vector<std::string>{"Arvilo Variationen", "Bo Profiling", "Var1 a", "Var2 b",
                                                 "Var3 default", "Var4 c"}));
    EXPECT_EQ(Selected(), "Arvilo Variationen");
    EXPECT_FALSE(PageShown());
    EXPECT_EQ(Project->Current, nullptr);
}

TEST_F(ArviloMain, RemoveAsksAndOnlyYesRemoves)
{
    Start();
    AddAtRoot();
    Click("Var2 default");
    Dialogs.MessageAnswers = {mrNo, mrCancel};
    Main->ActRemoveVar->trigger();
    Main->ActRemoveVar->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "M\xF6" "chten Sie wirklich l\xF6schen \"Var2 default\"");
    EXPECT_EQ(Dialogs.Messages[0].Type, mtConfirmation);
    EXPECT_EQ(Dialogs.Messages[0].Buttons, unsigned(mbYes | mbNo | mbCancel));
    EXPECT_EQ(Project->Count, 2);
    EXPECT_TRUE(PageShown());

    // With the top node selected the command acts on the variation last shown.
    Var(0)->Params.Title = "a";
    Click("Arvilo Variationen");
    Dialogs.MessageAnswers = {mrYes};
    Main->ActRemoveVar->trigger();
    EXPECT_EQ(Dialogs.Messages.back().Text, "M\xF6" "chten Sie wirklich l\xF6schen \"Var2 default\"");
    EXPECT_EQ(Nodes(), (std::vector<std::string>{"Arvilo Variationen", "Bo Profiling", "Var1 a"}));

    // The last one: only the two top nodes stay, and the root shows nothing.
    Click("Var1 a");
    Dialogs.MessageAnswers = {mrYes};
    Main->ActRemoveVar->trigger();
    EXPECT_EQ(Project->Count, 0);
    EXPECT_EQ(Nodes(), (std::vector<std::string>{"Arvilo Variationen", "Bo Profiling"}));
    Click("Bo Profiling");
    EXPECT_FALSE(PageShown());
    EXPECT_EQ(Navigations->Active, nullptr);
    const size_t asked = Dialogs.Messages.size();
    Main->ActRemoveVar->trigger(); // nothing to remove, nothing asked
    EXPECT_EQ(Dialogs.Messages.size(), asked);
}

TEST_F(ArviloMain, DownArrowClearsTheCurrentAndRemoveTakesTheSelected)
{
    Start();
    ThreeVariations();
    Click("Var1 a");
    Tree()->setFocus();
    Key(Qt::Key_Down);
    EXPECT_EQ(Selected(), "Var2 b");
    EXPECT_EQ(Project->Current, nullptr);
    EXPECT_EQ(Navigations->Active->Data, Var(0)); // no page change
    Dialogs.MessageAnswers = {mrYes};
    Main->ActRemoveVar->trigger();
    EXPECT_EQ(Dialogs.Messages.back().Text, "M\xF6" "chten Sie wirklich l\xF6schen \"Var2 b\"");
    EXPECT_EQ(Nodes(), (std::vector<std::string>{"Arvilo Variationen", "Bo Profiling", "Var1 a", "Var2 c"}));
}

TEST_F(ArviloMain, SaveNewAndReopenFromTheRecentList)
{
    Start();
    const std::string file = SaveSample("probe.arv");
    EXPECT_EQ(Main->FileName, file);
    EXPECT_EQ(Caption(), Title() + " - " + file);
    EXPECT_FALSE(FileText(file).empty());

    Main->ActNew->trigger();
    EXPECT_TRUE(Main->FileName.empty());
    EXPECT_EQ(Var(0)->Params.DaMax, 50.0);
    EXPECT_FALSE(PageShown());

    Main->MnuMru1->trigger();
    EXPECT_EQ(Main->FileName, file);
    EXPECT_FALSE(Main->Modified);
    EXPECT_EQ(FromQ(Main->EdtTitle->text()), "Probe \xC4" "pfel");
    EXPECT_EQ(FromQ(Main->EdtStock->text()), "B. subtilis");
    EXPECT_EQ(FromQ(Main->MmoComment->toPlainText()), "Zeile 1\nZeile 2");
    ASSERT_EQ(Project->Count, 1);
    EXPECT_EQ(Var(0)->Params.DaMax, 45.0);
    Click("Var1 default");
    EXPECT_EQ(Panel->EdtDaMax->GetAsFloat(), 45.0);
    // New keeps the project's fields and drops unsaved edits of them.
    Click("Arvilo Variationen");
    Type(Main->EdtTitle, "edited");
    Dialogs.MessageAnswers = {mrNo};
    Main->ActNew->trigger();
    EXPECT_EQ(Dialogs.Messages.back().Text, Query);
    EXPECT_EQ(FromQ(Main->EdtTitle->text()), "Probe \xC4" "pfel");
    ASSERT_EQ(Dialogs.FileDialogs.size(), 1u);
}

TEST_F(ArviloMain, CommentsOnlyShownKeepTheirBytesAndEditedOnesGetCrLf)
{
    std::string every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    every += "Zeile 1\r\nZeile 2\rZeile\xA0" "3\n";
    Start();
    Click("Var1 default");
    Click("Arvilo Variationen");
    // Saved as the original system saves comments: CR LF and any byte.
    Project->Comment = every;
    Var(0)->Comment = every;
    const std::string file = Path("original.arv");
    ASSERT_TRUE(Project->SaveToFile(file));
    const std::string saved = FileText(file);

    Dialogs.MessageAnswers = {mrNo};
    Dialogs.FileAnswers = {file};
    Main->ActOpen->trigger();
    ASSERT_EQ(Main->FileName, file);
    EXPECT_EQ(Project->Comment, every);
    Click("Var1 default");
    Click("Arvilo Variationen");
    Click("Var1 default");
    EXPECT_EQ(Var(0)->Comment, every);
    Main->ActSave->trigger();
    EXPECT_EQ(Project->Comment, every);
    EXPECT_EQ(FileText(file), saved) << "showing changed the saved bytes";

    // Edited, a comment takes the line breaks of the files.
    Click("Arvilo Variationen");
    Var(0)->Comment = "a\nb";
    Click("Var1 default");
    Panel->MmoComment->setFocus();
    Panel->MmoComment->moveCursor(QTextCursor::End);
    Key(Qt::Key_Return);
    QTest::keyClicks(Panel->MmoComment, "c");
    Click("Arvilo Variationen");
    EXPECT_EQ(Var(0)->Comment, "a\r\nb\r\nc");
}

// What a German user types into the fields a save stores, with the signs and
// letters of the code page beyond Latin-1, comes back after Save, close and
// reopen, and the file holds the code page's bytes.
TEST_F(ArviloMain, TypedTextsOfTheCodePageSurviveSaveAndReopen)
{
    const QString price = QString::fromUtf8("Preis 5 \xE2\x82\xAC \xE2\x80\x93 \xE2\x80\x9Egut\xE2\x80\x9C"); // Preis 5 € – „gut“
    const std::string priceBytes = "Preis 5 \x80 \x96 \x84gut\x93";
    const QString letters = QString::fromUtf8("\xC5\xA0tamm \xC5\x92 \xC5\xBD\xE2\x80\xA6 \xE2\x84\xA2"); // Štamm Œ Ž… ™
    const std::string lettersBytes = "\x8Atamm \x8C \x8E\x85 \x99";
    Start();
    TypeText(Main->EdtTitle, price);
    TypeText(Main->EdtStock, letters);
    TypeText(Main->MmoComment, price);
    Click("Var1 default");
    TypeText(Panel->EdtTitle, letters);
    TypeText(Panel->MmoComment, price);
    Dialogs.FileAnswers = {Path("preis.arv")};
    Main->ActSaveAs->trigger();
    const std::string file = Main->FileName;
    ASSERT_EQ(file, Path("preis.arv"));

    const auto saved = Saved(file);
    EXPECT_EQ(saved->Block.Title.str(), priceBytes);
    EXPECT_EQ(saved->Block.CultureStock.str(), lettersBytes);
    EXPECT_EQ(saved->Comment, priceBytes);
    ASSERT_EQ(saved->Count, 1);
    EXPECT_EQ(static_cast<TArvilo_Var *>(saved->GetItem(0))->Params.Title.str(), lettersBytes);
    EXPECT_EQ(static_cast<TArvilo_Var *>(saved->GetItem(0))->Comment, priceBytes);

    EXPECT_TRUE(Main->close());
    Destroy();
    Create();
    Start();
    Main->MnuMru1->trigger();
    ASSERT_EQ(Main->FileName, file);
    EXPECT_EQ(Main->EdtTitle->text().toStdString(), price.toStdString());
    EXPECT_EQ(Main->EdtStock->text().toStdString(), letters.toStdString());
    EXPECT_EQ(Main->MmoComment->toPlainText().toStdString(), price.toStdString());
    Click("Var1 " + lettersBytes);
    EXPECT_EQ(Panel->EdtTitle->text().toStdString(), letters.toStdString());
    EXPECT_EQ(Panel->MmoComment->toPlainText().toStdString(), price.toStdString());
    Click("Arvilo Variationen");
    EXPECT_FALSE(Main->Modified);
}

// A character the code page cannot hold shows as the '?' a save stores at
// once, typed, pasted or dropped; undo and redo never bring it back.
TEST_F(ArviloMain, CharactersTheCodePageCannotHoldShowAsTheyAreStored)
{
    const QString arrow = QString::fromUtf8("\xE2\x86\x92"), alpha = QString::fromUtf8("\xCE\xB1"),
                  emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const auto foreign = [&](const QString &text) {
        return text.contains(arrow) || text.contains(alpha) || text.contains(emoji);
    };
    Start();

    // Typed into a line and into a comment, the cursor after it.
    TypeText(Main->EdtTitle, "a" + arrow + "b");
    EXPECT_EQ(Main->EdtTitle->text().toStdString(), "a?b");
    EXPECT_EQ(Main->EdtTitle->cursorPosition(), 3);
    TypeText(Main->MmoComment, "x" + alpha + "y");
    EXPECT_EQ(Main->MmoComment->toPlainText().toStdString(), "x?y");
    EXPECT_EQ(Main->MmoComment->textCursor().position(), 3);
    for (QWidget *field : {static_cast<QWidget *>(Main->EdtTitle), static_cast<QWidget *>(Main->MmoComment)}) {
        const auto text = [&] {
            return field == Main->EdtTitle ? Main->EdtTitle->text() : Main->MmoComment->toPlainText();
        };
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
            EXPECT_FALSE(foreign(text())) << "undo " << i << ": " << text().toStdString();
        }
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
            EXPECT_FALSE(foreign(text())) << "redo " << i << ": " << text().toStdString();
        }
    }
    EXPECT_EQ(Main->EdtTitle->text().toStdString(), "a?b");
    EXPECT_EQ(Main->MmoComment->toPlainText().toStdString(), "x?y");

    // Pasted: an emoji is one character and one '?'.
    QApplication::clipboard()->setText(emoji + "z" + arrow);
    Main->EdtStock->setFocus();
    Main->EdtStock->selectAll();
    QTest::keyClick(Main->EdtStock, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Main->EdtStock->text().toStdString(), "?z?");
    EXPECT_EQ(Main->EdtStock->cursorPosition(), 3);
    Main->MmoComment->setFocus();
    Main->MmoComment->moveCursor(QTextCursor::End);
    QTest::keyClick(Main->MmoComment, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Main->MmoComment->toPlainText().toStdString(), "x?y?z?");
    EXPECT_EQ(Main->MmoComment->textCursor().position(), 6);

    // Dropped from another program onto the variation's fields.
    Click("Var1 default");
    const auto drop = [](QWidget *target, const QString &text) {
        QMimeData data;
        data.setText(text);
        const QPoint at(target->width() - 2, target->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
    };
    drop(Panel->EdtTitle, arrow + "1");
    EXPECT_EQ(Panel->EdtTitle->text().toStdString(), "default?1");
    Panel->MmoComment->SetText("");
    drop(Panel->MmoComment->viewport(), alpha + emoji);
    EXPECT_EQ(Panel->MmoComment->toPlainText().toStdString(), "??");

    // No longer than the file holds: what shows is all that is kept.
    QApplication::clipboard()->setText(QString(300, QLatin1Char('t')));
    Panel->EdtTitle->setFocus();
    Panel->EdtTitle->selectAll();
    QTest::keyClick(Panel->EdtTitle, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Panel->EdtTitle->text(), QString(255, QLatin1Char('t')));

    // Saved as shown.
    Dialogs.FileAnswers = {Path("fremd.arv")};
    Main->ActSaveAs->trigger();
    ASSERT_EQ(Main->FileName, Path("fremd.arv"));
    const auto saved = Saved(Main->FileName);
    EXPECT_EQ(saved->Block.Title.str(), "a?b");
    EXPECT_EQ(saved->Block.CultureStock.str(), "?z?");
    EXPECT_EQ(saved->Comment, "x?y?z?");
    ASSERT_EQ(saved->Count, 1);
    EXPECT_EQ(static_cast<TArvilo_Var *>(saved->GetItem(0))->Params.Title.str(), std::string(255, 't'));
    EXPECT_EQ(static_cast<TArvilo_Var *>(saved->GetItem(0))->Comment, "??");
}

TEST_F(ArviloMain, OpensTheFileOfTheCommandLineAndADroppedFile)
{
    Start();
    const std::string file = SaveSample("cmd.arv");
    Main.reset();
    Main = TFrmFile::Create<TFrmArviloMain>();
    FrmArviloMain = Main.get();
    Main->Params = {file};
    Main->show();
    EXPECT_TRUE(Main->FileName.empty()); // only once the window is up
    Start();
    EXPECT_EQ(Main->FileName, file);
    EXPECT_FALSE(Main->Modified);
    EXPECT_EQ(FromQ(Main->EdtTitle->text()), "Probe \xC4" "pfel");
    EXPECT_EQ(Var(0)->Params.DaMax, 45.0);
    EXPECT_EQ(Main->Mru.Strings(0), file);

    Main->ActNew->trigger();
    ASSERT_TRUE(Main->FileName.empty());
    EXPECT_TRUE(Drop(file));
    EXPECT_EQ(Main->FileName, file);
    EXPECT_EQ(Var(0)->Params.DaMax, 45.0);
}

TEST_F(ArviloMain, CloseQueryCancelKeepsNoDiscardsYesSaves)
{
    Start();
    const std::string file = SaveSample("close.arv");
    const std::string saved = FileText(file);
    Click("Var1 default");
    Type(Panel->EdtDaMax, "47");

    Dialogs.MessageAnswers = {mrCancel};
    EXPECT_FALSE(Main->close());
    EXPECT_TRUE(Main->isVisible());
    EXPECT_EQ(Dialogs.Messages.back().Text, Query);
    EXPECT_NE(Navigations, nullptr);

    Dialogs.MessageAnswers = {mrYes};
    EXPECT_TRUE(Main->close());
    EXPECT_FALSE(Main->isVisible());
    EXPECT_EQ(Navigations, nullptr);
    EXPECT_NE(FileText(file), saved);
    ASSERT_EQ(SavedDaMax(file), 47.0); // the rest opens this file again

    // Opened again, changed, closed with No: the file stays as it is.
    Start();
    Main->MnuMru1->trigger();
    ASSERT_EQ(Main->FileName, file);
    Click("Var1 default");
    Type(Panel->EdtDaMax, "49");
    const std::string before = FileText(file);
    Dialogs.MessageAnswers = {mrNo};
    EXPECT_TRUE(Main->close());
    EXPECT_EQ(FileText(file), before);
}

TEST_F(ArviloMain, DamagedFileIsReportedAndNeverOverwritten)
{
    Start();
    const std::string good = FileText(SaveSample("good.arv"));
    const std::string damaged = Path("damaged.arv");
    SetFileText(damaged, good.substr(0, good.size() / 2));
    const std::string bytes = FileText(damaged);

    Dialogs.FileAnswers = {damaged};
    Main->ActOpen->trigger();
    ASSERT_FALSE(Dialogs.Messages.empty());
    EXPECT_EQ(Dialogs.Messages.back().Type, mtError);
    EXPECT_NE(Dialogs.Messages.back().Text.find("\"" + damaged + "\""), std::string::npos);
    EXPECT_TRUE(Main->FileName.empty());
    EXPECT_EQ(Caption().find(damaged), std::string::npos);
    EXPECT_NE(Navigations, nullptr);

    const size_t dialogs = Dialogs.FileDialogs.size();
    Main->ActSave->trigger(); // asks for a name; cancelled
    ASSERT_EQ(Dialogs.FileDialogs.size(), dialogs + 1);
    EXPECT_TRUE(Dialogs.FileDialogs.back().Save);
    EXPECT_EQ(FileText(damaged), bytes);
    EXPECT_NE(Main->Mru.Strings(0), damaged);

    // A file that cannot be opened at all (here: dropped, then gone).
    const std::string gone = Path("gone.arv");
    Drop(gone);
    EXPECT_EQ(Dialogs.Messages.back().Type, mtError);
    EXPECT_NE(Dialogs.Messages.back().Text.find("\"" + gone + "\""), std::string::npos);
    EXPECT_TRUE(Main->FileName.empty());
    EXPECT_EQ(Nodes(), (std::vector<std::string>{"Arvilo Variationen", "Bo Profiling"}));
}

TEST_F(ArviloMain, HelpCommandsAboutUpdateAndCalculator)
{
    AppDir = Path("bin") + "/"; // no calculator here
    Start();
    std::vector<std::string> opened;
    SetShellOpenHook([&](const std::string &target) { opened.push_back(target); });
    Key(Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], UpdatePageAddress());
    EXPECT_EQ(opened[0].rfind("https://", 0), 0u);
    EXPECT_NE(opened[0].find("/de/download/Arvilo/index.htm"), std::string::npos);

    const size_t messages = Dialogs.Messages.size();
    Key(Qt::Key_F5);
    EXPECT_EQ(Dialogs.Messages.size(), messages); // a missing calculator shows nothing
    EXPECT_TRUE(Main->isVisible());

    std::string title, version;
    QTimer::singleShot(0, [&] {
        if (auto *about = qobject_cast<TFrmAbout *>(QApplication::activeModalWidget())) {
            title = FromQ(about->LblAppTitle->text());
            version = FromQ(about->LblVersion->text());
            about->close();
        }
    });
    Key(Qt::Key_F1);
    EXPECT_EQ(title, "Arvilo Simulation");
    EXPECT_NE(version.find("1.0.1"), std::string::npos);
}

TEST_F(ArviloMain, ToolBarPicturesAreDrawnForDenseScreens)
{
    // On a screen of device pixel ratio 2 every tool-bar picture has twice the
    // pixels of its size, drawn at that ratio rather than a small one enlarged.
    std::vector<std::pair<QIcon, QSize>> pictures;
    for (QToolButton *button : Main->ToolBar->findChildren<QToolButton *>())
        if (button->defaultAction()) // not the bar's own overflow button
            pictures.emplace_back(button->icon(), Main->ToolBar->iconSize());
    for (QAction *action : Panel->ToolBar->actions())
        if (!action->icon().isNull())
            pictures.emplace_back(action->icon(), Panel->ToolBar->iconSize());
    ASSERT_EQ(pictures.size(), 6u + 9u);
    for (const auto &[icon, size] : pictures) {
        const QPixmap sharp = icon.pixmap(size, 2.0);
        EXPECT_EQ(sharp.size(), size * 2);
        EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    }
}

TEST_F(ArviloMain, EditsOfTheShownPageAreSavedWhereverTheFocusIs)
{
    Start();
    Dialogs.FileAnswers = {Path("keys.arv")};
    Main->ActSaveAs->trigger();
    const std::string file = Main->FileName;
    ASSERT_EQ(file, Path("keys.arv"));

    // Typed into the panel, then the tree takes the focus (the Ctrl key
    // reaches it first): Ctrl+S saves what was typed.
    Click("Var1 default");
    Type(Panel->EdtDaMax, "45");
    Tree()->setFocus();
    QTest::keyClick(Tree(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Var(0)->Params.DaMax, 45.0);
    EXPECT_EQ(SavedDaMax(file), 45.0);
    EXPECT_FALSE(Main->Modified);
    EXPECT_EQ(Project->Current, Var(0)) << "keys other than the arrows change no page";

    // Other keys in the tree, then New: the save query sees the edit, and Yes saves it.
    Type(Panel->EdtDaMax, "46");
    Tree()->setFocus();
    QTest::keyClick(Tree(), Qt::Key_Control);
    QTest::keyClick(Tree(), Qt::Key_X);
    Dialogs.MessageAnswers = {mrYes};
    Main->ActNew->trigger();
    ASSERT_FALSE(Dialogs.Messages.empty());
    EXPECT_EQ(Dialogs.Messages.back().Text, Query);
    EXPECT_EQ(SavedDaMax(file), 46.0);

    // An arrow key that moves the selection away: the page's edits go along
    // into the save, typed before or after the key.
    Main->MnuMru1->trigger();
    ASSERT_EQ(Main->FileName, file);
    Click("Var1 default");
    Type(Panel->EdtDaMax, "47");
    Tree()->setFocus();
    Key(Qt::Key_Down);
    Type(Panel->EdtDaMin, "33");
    Main->ToolButton3->click();
    EXPECT_EQ(SavedDaMax(file), 47.0);
    EXPECT_EQ(Var(0)->Params.DaMin, 33.0);
    EXPECT_FALSE(Main->Modified);

    // Exit with the focus in the tree asks, and Yes saves.
    Type(Panel->EdtDaMax, "48");
    Tree()->setFocus();
    QTest::keyClick(Tree(), Qt::Key_Alt);
    Dialogs.MessageAnswers = {mrYes};
    const size_t asked = Dialogs.Messages.size();
    EXPECT_TRUE(Main->close());
    EXPECT_EQ(Dialogs.Messages.size(), asked + 1);
    EXPECT_EQ(SavedDaMax(file), 48.0);
}

TEST_F(ArviloMain, ArrowKeysStoreThePageTheyLeave)
{
    Start();
    ThreeVariations();
    Click("Var2 b");
    Type(Panel->EdtDaMax, "44");
    Tree()->setFocus();
    Key(Qt::Key_Up); // back to the first variation's page
    EXPECT_EQ(Project->Current, Var(0));
    EXPECT_EQ(Var(1)->Params.DaMax, 44.0);
    Type(Panel->EdtDaMax, "43");
    Tree()->setFocus();
    Key(Qt::Key_Down);
    Key(Qt::Key_Down); // the selection only; the page stays
    Click("Var3 c");
    EXPECT_EQ(Var(0)->Params.DaMax, 43.0);
}

// Message boxes that, like real ones, run the events that come while they are open.
class TModalDialogs : public TScriptedDialogs {
public:
    int MessageDlg(QWidget *parent, const std::string &title, const std::string &text, TMsgDlgType type,
                   unsigned buttons) override
    {
        QCoreApplication::processEvents();
        return TScriptedDialogs::MessageDlg(parent, title, text, type, buttons);
    }
};

TEST_F(ArviloMain, ModifiedOnlyWhenTheContentChanged)
{
    TModalDialogs Dialogs;
    AppDir = Path("nowhere") + "/"; // no Theory.txt: a message box during the start
    Start();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_FALSE(Main->Modified);
    EXPECT_EQ(Caption(), Title());

    // Into the title and out again, into the tree: nothing changed.
    QTest::mouseClick(Main->EdtTitle, Qt::LeftButton);
    Click("Arvilo Variationen");
    EXPECT_FALSE(Main->Modified);
    Click("Var1 default");
    Click("Bo Profiling");
    EXPECT_FALSE(Main->Modified);
    EXPECT_EQ(Caption(), Title());
    size_t asked = Dialogs.Messages.size();
    Main->ActNew->trigger();
    EXPECT_EQ(Dialogs.Messages.size(), asked) << "nothing to save, nothing asked";

    // A changed value marks the document; changed back, it is clean again.
    Click("Var1 default");
    Type(Panel->EdtDaMax, "45");
    Click("Var1 default");
    EXPECT_TRUE(Main->Modified);
    EXPECT_EQ(Caption(), Title() + " *");
    Type(Panel->EdtDaMax, "50");
    Click("Var1 default");
    EXPECT_FALSE(Main->Modified);

    // The project's fields count too, also when the query comes straight after typing.
    Click("Arvilo Variationen");
    Type(Main->EdtStock, "B. subtilis");
    Dialogs.MessageAnswers = {mrCancel};
    asked = Dialogs.Messages.size();
    EXPECT_FALSE(Main->close());
    EXPECT_EQ(Dialogs.Messages.size(), asked + 1);
    EXPECT_EQ(Dialogs.Messages.back().Text, Query);

    // Saved, the document is clean; a rotation of the chart is a change.
    Dialogs.FileAnswers = {Path("clean.arv")};
    Main->ActSave->trigger();
    EXPECT_FALSE(Main->Modified);
    Click("Var1 default");
    EXPECT_FALSE(Main->Modified);
    Panel->ActRotationLeft->trigger();
    Dialogs.MessageAnswers = {mrNo};
    asked = Dialogs.Messages.size();
    EXPECT_TRUE(Main->close());
    EXPECT_EQ(Dialogs.Messages.size(), asked + 1);
}

// The mark shows at once what a save would change: after F9, after an added
// or removed variation, and it goes again when all is as saved.
TEST_F(ArviloMain, TheMarkFollowsF9AndTheVariationsAtOnce)
{
    Start();
    Click("Var1 default");
    Type(Panel->EdtDaMax, "45");
    Panel->ActProfiling->trigger();
    EXPECT_TRUE(Main->Modified);
    EXPECT_EQ(Caption(), Title() + " *");
    Type(Panel->EdtDaMax, "50");
    Panel->ActProfiling->trigger();
    EXPECT_FALSE(Main->Modified);
    EXPECT_EQ(Caption(), Title());

    Click("Var1 default");
    Main->ActAddVar->trigger();
    EXPECT_TRUE(Main->Modified);
    Click("Var2 default");
    Dialogs.MessageAnswers = {mrYes};
    Main->ActRemoveVar->trigger();
    EXPECT_FALSE(Main->Modified) << "the variations are those of the start again";

    // A new variation in the place of a removed one is another node in the
    // file, though its values are the same.
    Click("Var1 default");
    Main->ActAddVar->trigger();
    Click("Var1 default");
    Dialogs.MessageAnswers = {mrYes};
    Main->ActRemoveVar->trigger();
    ASSERT_EQ(Project->Count, 1);
    EXPECT_TRUE(Main->Modified);
}

// The comment counts with the bytes a save would store: turning a no-break
// space into a blank is an edit (the box's plain text shows both as blanks).
TEST_F(ArviloMain, ANoBreakSpaceTurnedIntoABlankIsAChange)
{
    Start();
    Project->Comment = "x\xA0y";
    const std::string file = Path("nbsp.arv");
    ASSERT_TRUE(Project->SaveToFile(file));
    Dialogs.FileAnswers = {file};
    Main->ActOpen->trigger();
    ASSERT_EQ(Main->FileName, file);
    Click("Arvilo Variationen");
    EXPECT_FALSE(Main->Modified);
    Main->MmoComment->setFocus();
    Main->MmoComment->selectAll();
    QTest::keyClicks(Main->MmoComment, "x y");
    Click("Arvilo Variationen");
    EXPECT_TRUE(Main->Modified);
    Main->ActSave->trigger();
    EXPECT_EQ(Project->Comment, "x y");
    EXPECT_FALSE(Main->Modified);
}

TEST_F(ArviloMain, ClickOnEmptySpaceKeepsTheSelection)
{
    Start();
    ThreeVariations();
    Click("Var2 b");
    Type(Panel->EdtDaMax, "42");
    const QPoint below(20, Tree()->viewport()->height() - 5);
    ASSERT_EQ(Tree()->itemAt(below), nullptr);
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(Selected(), "Var2 b");
    EXPECT_TRUE(PageShown());
    EXPECT_TRUE(Tree()->hasFocus());
    EXPECT_EQ(Var(1)->Params.DaMax, 42.0) << "the click stores the shown values";
    QTest::mouseDClick(Tree()->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(Selected(), "Var2 b");

    // Up still steps from the selected node.
    Tree()->setFocus();
    Key(Qt::Key_Up);
    EXPECT_EQ(Selected(), "Var1 a");
    EXPECT_EQ(Project->Current, Var(0));

    // With the project page shown, the top node stays selected.
    Click("Arvilo Variationen");
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(Selected(), "Arvilo Variationen");
    EXPECT_FALSE(PageShown());
}

TEST_F(ArviloMain, ClicksReturnWhenPagesRefuseOrFail)
{
    Start();
    ThreeVariations();
    Click("Var1 a");
    auto *root = static_cast<TNavigation *>(Navigations->GetItem(0));
    for (int i = 0; i < root->Count; ++i)
        static_cast<TNavigation *>(root->GetItem(i))->CanLeave = [] { return false; };
    // Each refusal walks on; the walk ends at the last variation.
    Click("Var2 b");
    EXPECT_EQ(Project->Current, Var(2));
    EXPECT_TRUE(PageShown());

    // A page whose showing always fails: the click gives up and reports it.
    static_cast<TNavigation *>(root->GetItem(0))->OnShow = [](TCompDataList *) {
        throw std::runtime_error("page broken");
    };
    Click("Var1 a");
    ASSERT_FALSE(Dialogs.Messages.empty());
    EXPECT_EQ(Dialogs.Messages.back().Text, "page broken.");
    EXPECT_TRUE(Main->isVisible());
}

