// The profiler's files as users have them: the toolkit's own file dialog,
// failed saves and opens, named pipes in place of files.
#include "tests/profiler/ArviloProgram.h"

#include "base/VrnFiles.h"
#include "base/VrnMisc.h"
#include "platform/Application.h"
#include "platform/SystemText.h"
#include "profiler/LibArvilo.h"
#include "profiler/LibNavigation.h"
#include "profiler/UntArviloPnlStart.h"

#include "tests/common/ScriptedDialogs.h"
#include "tests/common/TestFiles.h"
#include "tests/common/RealFiles.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

class ArviloFiles : public ::testing::Test, protected TArviloProgram {
protected:
    // As main() does, with the program's folder and settings in the temporary directory.
    void SetUp() override
    {
        ASSERT_TRUE(QDir(Dir.path()).mkpath("app/Arvilos"));
        AppDir = Path("app") + "/";
        SetFileText(AppDir + "Theory.txt", "Theorie");
        InitSettingsFor(AppDir + "arvilo");
        Create();
    }
    void TearDown() override { Destroy(); }
    std::string LastMessage() const { return Dialogs.Messages.empty() ? std::string() : Dialogs.Messages.back().Text; }
    // Save As through the dialog, typing Typed.
    void SaveAs(const std::string &Typed)
    {
        AnswerFileDialog(FileNameToQ(Typed));
        Main->ActSaveAs->trigger();
    }
    std::string Fields() const
    {
        return FromQ(Main->EdtTitle->text()) + "|" + FromQ(Main->EdtStock->text()) + "|" + FromQ(Main->MmoComment->toPlainText());
    }

    TRealFileDialogs Dialogs;
};

} // namespace

// A name typed without extension is saved with ".Arv"; the dialog lists
// projects in every letter case of the extension.
TEST_F(ArviloFiles, SaveAsThroughTheDialogAddsTheExtension)
{
    const std::string folder = AppDir + "Arvilos/";
    SetFileText(folder + "Old.arv", "x");
    SetFileText(folder + "notes.txt", "x");
    Start();
    QStringList shown;
    AnswerFileDialog(QStringLiteral("proj1"), QStringLiteral("Old.arv"), [&](QFileDialog *d) { shown = ShownNames(d); });
    Main->ActSaveAs->trigger();
    EXPECT_EQ(shown, QStringList{"Old.arv"});
    EXPECT_TRUE(Dialogs.Messages.empty()) << LastMessage();
    EXPECT_EQ(Main->FileName, folder + "proj1.Arv");
    EXPECT_EQ(Caption(), ApplicationTitle() + " - " + folder + "proj1.Arv");
    EXPECT_EQ(Main->Mru.Strings(0), folder + "proj1.Arv");
    EXPECT_EQ(QDir(FileNameToQ(folder)).entryList(QDir::Files, QDir::Name), (QStringList{"Old.arv", "notes.txt", "proj1.Arv"}));
    TArvilo check(nullptr);
    EXPECT_TRUE(check.LoadFromFile(folder + "proj1.Arv"));
}

// A Save As that fails keeps the document's name, says which file failed and
// why in plain words, and the next Save writes to the name kept.
TEST_F(ArviloFiles, AFailedSaveAsKeepsTheNameAndSaysWhy)
{
    Start();
    const std::string good = Path("good.Arv");
    SaveAs(good);
    ASSERT_EQ(Main->FileName, good);
    const std::string readOnly = Path("ro.Arv");
    SetFileText(readOnly, "keep");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);

    struct TCase {
        std::string Typed, Message;
    };
    const TCase cases[] = {
        {readOnly, "The project could not be saved to \"" + readOnly + "\". Reason: The file is read-only. The file on disk is unchanged."},
        {Path("no/such.Arv"), "The project could not be saved to \"" + Path("no/such.Arv") + "\". Reason: " + SysErrorText(ENOENT) + "."},
        {"/proc/p.Arv", "The project could not be saved to \"/proc/p.Arv\". Reason: "},
    };
    for (const TCase &c : cases) {
        Main->SetModified(true);
        Dialogs.Messages.clear();
        SaveAs(c.Typed);
        ASSERT_EQ(Dialogs.Messages.size(), 1u) << c.Typed;
        EXPECT_EQ(Dialogs.Messages[0].Text.substr(0, c.Message.size()), c.Message);
        EXPECT_EQ(Dialogs.Messages[0].Text.find("Win32"), std::string::npos);
        EXPECT_EQ(Dialogs.Messages[0].Text.find('\r'), std::string::npos);
        EXPECT_EQ(Main->FileName, good);
        EXPECT_EQ(Caption(), ApplicationTitle() + " - " + good + " *");
        EXPECT_EQ(Main->Mru.Strings(0), good);
    }
    EXPECT_EQ(FileText(readOnly), "keep");

    Dialogs.Messages.clear();
    Main->EdtTitle->setText(QStringLiteral("saved again"));
    Main->ActSave->trigger();
    EXPECT_TRUE(Dialogs.Messages.empty()) << LastMessage();
    TArvilo check(nullptr);
    ASSERT_TRUE(check.LoadFromFile(good));
    EXPECT_EQ(check.Block.Title.str(), "saved again");

    // The next dialog starts where the project really is.
    QString start;
    AnswerFileDialog(QString(), QString(), [&](QFileDialog *d) { start = d->directory().absolutePath(); });
    Main->ActSaveAs->trigger();
    EXPECT_EQ(start, Dir.path());
}

// After a failed open the page shows the project that is now loaded, not
// the texts of the one before.
TEST_F(ArviloFiles, AFailedOpenShowsTheNewProject)
{
    Start();
    Main->EdtTitle->setText(QStringLiteral("first"));
    Main->EdtStock->setText(QStringLiteral("B. subtilis"));
    Main->MmoComment->setPlainText(QStringLiteral("a comment"));
    SaveAs(Path("first.Arv"));
    ASSERT_EQ(Main->FileName, Path("first.Arv"));

    std::mt19937 random(7);
    std::string noise(5000, '\0');
    for (char &c : noise)
        c = static_cast<char>(random());
    SetFileText(Path("noise.Arv"), noise);
    AnswerFileDialog(FileNameToQ(Path("noise.Arv")));
    Main->ActOpen->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_NE(LastMessage().find("could not be read completely"), std::string::npos) << LastMessage();
    EXPECT_EQ(Fields(), "unknown||");
    EXPECT_EQ(Project->Block.Title.str(), "unknown");
    EXPECT_EQ(Main->FileName, "");

    Main->MnuMru1->trigger(); // back to the good one
    EXPECT_EQ(Dialogs.Messages.size(), 1u) << LastMessage();
    EXPECT_EQ(Fields(), "first|B. subtilis|a comment") << Main->FileName;
    Drop(Path("missing.Arv"));
    EXPECT_EQ(LastMessage(), "The project file \"" + Path("missing.Arv") + "\" could not be opened. Reason: " + SysErrorText(ENOENT) + ".");
    EXPECT_EQ(Fields(), "unknown||");
}

// Named pipes where the program expects files: the settings file, the theory
// text and a project. Nothing waits on them; each costs one message at most.
TEST_F(ArviloFiles, PipesInPlaceOfFilesDoNotHang)
{
    Destroy();
    const std::string settings = UserSettingsFileName(AppDir + "arvilo", GetUserNameStr(), GetComputerNameStr());
    const std::string theory = AppDir + "Theory.txt";
    ASSERT_EQ(::unlink(theory.c_str()), 0);
    for (const std::string &name : {settings, theory})
        ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
    EXPECT_FALSE(WaitsOnPipe({settings, theory}, [&] {
        InitSettingsFor(AppDir + "arvilo");
        Create();
        Start();
        Main->close();
    }));
    // One message about the theory text, one about the settings file.
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    std::multiset<std::string> texts;
    for (const auto &m : Dialogs.Messages)
        texts.insert(m.Text);
    EXPECT_EQ(texts, (std::multiset<std::string>{"Theory.txt konnte nicht ge\xF6" "ffnet werden",
                                                 "Cannot write the settings file \"" + settings + "\": it is no regular file."}));

    Destroy();
    Create();
    Start();
    Dialogs.Messages.clear();
    const std::string project = Path("pipe.Arv");
    ASSERT_EQ(::mkfifo(project.c_str(), 0600), 0);
    EXPECT_FALSE(WaitsOnPipe(project, [&] { Drop(project); }));
    EXPECT_EQ(LastMessage(), "The project file \"" + project + "\" could not be opened. Reason: It is no regular file but a pipe, socket or device.");
    struct stat st {};
    ASSERT_EQ(::stat(settings.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A folder named with a letter beyond ASCII: the caption, the recent list and
// every message name its files as the file system has them.
TEST_F(ArviloFiles, MessagesNameTheFilesAsTheFileSystemHasThem)
{
    Start();
    const QString folder = Dir.filePath(QStringLiteral(u"Pr\u00FCfungen 2026"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const auto shown = [&](const char *Name) { return folder + QLatin1Char('/') + QLatin1String(Name); };
    const auto named = [&](const char *Name) { return FileNameFromQ(shown(Name)); };

    SaveAs(named("projekt1.Arv"));
    ASSERT_EQ(Main->FileName, named("projekt1.Arv"));
    EXPECT_EQ(Main->windowTitle(), ToQ(ApplicationTitle() + " - ") + shown("projekt1.Arv"));
    EXPECT_EQ(Main->MnuMru1->text(), QStringLiteral("&1  ") + shown("projekt1.Arv"));

    // A recent file that is gone; the Open dialog that follows is cancelled.
    Main->Mru.Add(named("projekt2.Arv"));
    Main->UpdateMruMenu();
    Dialogs.Messages.clear();
    AnswerFileDialog(QString());
    Main->MnuMru2->trigger();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(ToQ(LastMessage()), QStringLiteral("File \"") + shown("projekt2.Arv") + QStringLiteral("\" not found."));

    // An open that fails.
    SetFileText(named("projekt3.Arv"), "no project");
    Dialogs.Messages.clear();
    Drop(named("projekt3.Arv"));
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_TRUE(ToQ(LastMessage()).startsWith(QStringLiteral("The project file \"") + shown("projekt3.Arv") + QStringLiteral("\" could not be ")))
        << LastMessage();

    // A save that fails.
    const std::string readOnly = named("projekt4.Arv");
    SetFileText(readOnly, "keep");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    Dialogs.Messages.clear();
    SaveAs(readOnly);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(ToQ(LastMessage()), QStringLiteral("The project could not be saved to \"") + shown("projekt4.Arv")
                                      + QStringLiteral("\". Reason: The file is read-only. The file on disk is unchanged."));
}

namespace {

// Runs this test program again, with the test Test alone, Argument as its one
// argument and ResultVariable naming File in its environment; false when it
// fails or does not end within a minute.
bool RunAgain(const std::string &Test, const std::string &Argument, const std::string &ResultVariable,
              const std::string &File)
{
    const std::string exe = FileNameFromQ(QCoreApplication::applicationFilePath());
    const std::string filter = "--gtest_filter=" + Test;
    char *const argv[] = {const_cast<char *>(exe.c_str()), const_cast<char *>(filter.c_str()),
                          const_cast<char *>(Argument.c_str()), nullptr};
    std::vector<std::string> variables;
    for (char **e = environ; *e; ++e)
        variables.emplace_back(*e);
    variables.push_back(ResultVariable + "=" + File);
    std::vector<char *> envp;
    for (std::string &v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
        return false;
    int status = 0;
    for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; waited += 10) {
        if (waited >= 60000) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// A project named on the command line (or dropped) in bytes that are not
// UTF-8, as a Latin-1 name of older systems: that file is opened, and one
// that is not there is said. The start runs in a new process of this test
// program, which has the name as its argument as the program would.
TEST_F(ArviloFiles, ANameIsTakenAsTheBytesGiven)
{
    const char *const resultVariable = "ARV_START_RESULT";
    if (const char *result = std::getenv(resultVariable)) {
        // The new process: started as main() starts the program, then what
        // it opened and said.
        Destroy();
        AppDir = ExtractFilePath(result);
        InitSettingsFor(AppDir + "arvilo");
        Create(true);
        Start();
        std::string said = Main->FileName;
        for (const auto &m : Dialogs.Messages)
            said += "\n" + m.Text;
        SetFileText(result, said);
        return;
    }
    Start();
    const std::string latin1 = AppDir + "lat\xE4\xF6.Arv";
    // The toolkit's removal of the temporary folder cannot name this file.
    struct TRemove {
        std::string Name;
        ~TRemove() { ::unlink(Name.c_str()); }
    } remove{latin1};
    Main->EdtTitle->setText(QStringLiteral("Latin-1"));
    Main->SaveToFile(latin1);
    const std::string test = std::string(::testing::UnitTest::GetInstance()->current_test_suite()->name()) + "."
                             + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string result = AppDir + "result";
    ASSERT_TRUE(RunAgain(test, latin1, resultVariable, result));
    EXPECT_EQ(FileText(result), latin1);

    const std::string missing = AppDir + "fehlt\xE4.Arv";
    ASSERT_TRUE(RunAgain(test, missing, resultVariable, result));
    const QString said = ToQ(FileText(result));
    EXPECT_TRUE(said.startsWith(QStringLiteral("\nFile \"") + FileNameToQ(AppDir) + QStringLiteral("fehlt"))) << FileText(result);
    EXPECT_TRUE(said.endsWith(QStringLiteral(".Arv\" not found."))) << FileText(result);
    EXPECT_EQ(said.count(QLatin1Char('\n')), 1) << FileText(result);

    // Dropped, as a file manager escapes the name's bytes.
    Main->EdtTitle->setText(QStringLiteral("changed"));
    Dialogs.MessageAnswers = {mrNo}; // to the save query
    EXPECT_TRUE(Drop(latin1));
    EXPECT_EQ(Dialogs.Messages.size(), 1u) << LastMessage();
    EXPECT_EQ(Main->FileName, latin1);
    EXPECT_EQ(Main->EdtTitle->text(), QStringLiteral("Latin-1"));
}
