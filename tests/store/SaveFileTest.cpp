// Saves and loads on real files: killed saves, links, modes, read-only
// files, pipes, and the reasons failures give.
#include "store/VrnStreamList.h"

#include "platform/Dialogs.h"

#include "tests/common/TestFiles.h"
#include "tests/common/RealFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

namespace {

const TStreamFileInfo PayloadInfo = {"1.0.0", "*.Tst", "", "", 0};

// A project of one long text.
class TPayload : public TStreamList {
public:
    explicit TPayload(TStreamNode *Owner) : TStreamList(Owner, "TPayload") { SetFileInfo(PayloadInfo); }
    bool WriteData(TStreamWrapper &W) override
    {
        WriteLongString(W, Text);
        return true;
    }
    bool ReadData(TStreamWrapper &W) override { return ReadLongString(W, Text); }
    void GetClassMap(TClassMaps &) const override {}

    std::string Text;
};

std::string RandomText(std::size_t Size, unsigned Seed)
{
    std::mt19937 random(Seed);
    std::string text(Size, '\0');
    for (char &c : text)
        c = static_cast<char>('a' + random() % 20); // codable: fewer than 256 symbols
    return text;
}

class SaveFile : public ::testing::Test {
protected:
    void TearDown() override { TFileReplacement::UseUnnamedFiles = true; }
    std::string Path(const std::string &Name) const { return Dir.path().toStdString() + "/" + Name; }
    QStringList Entries() const { return FolderEntries(Dir.path()); }
    // The save's exception, or "saved".
    static std::string SaveError(TStreamNode &Node, const std::string &Name, std::string *Reason = nullptr)
    {
        try {
            Node.SaveToFile(Name);
        } catch (const EVrnStreamWrapCreate &e) {
            if (Reason)
                *Reason = e.Reason;
            return e.Message.substr(0, e.Message.find('\r'));
        }
        return "saved";
    }

    QTemporaryDir Dir;
};

} // namespace

// A child process saves two versions in turn and is killed at random moments:
// the file is always one of the two, complete, and once the next save has run
// nothing else remains in the folder. With unnamed new files and without
// them (as on file systems that have none).
TEST_F(SaveFile, AKilledSaveLeavesTheOldOrTheNewFile)
{
    const std::string name = Path("p.tst");
    TPayload project(nullptr);
    const std::string texts[2] = {RandomText(1 << 17, 1), RandomText(1 << 17, 2)};
    std::string versions[2];
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 2; ++i) {
        project.Text = texts[i];
        ASSERT_TRUE(project.SaveToFile(name));
        versions[i] = FileText(name);
    }
    const auto saveTime = (std::chrono::steady_clock::now() - start) / 2;
    ASSERT_NE(versions[0], versions[1]);
    std::cout << "one save: " << std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count() << " us\n";

    std::mt19937 random(12345);
    int leftovers[2] = {};
    for (const bool unnamed : {true, false}) {
        TFileReplacement::UseUnnamedFiles = unnamed;
        for (int kill = 0; kill < 60; ++kill) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                for (int i = 1;; i ^= 1) {
                    project.Text = texts[i];
                    project.SaveToFile(name);
                }
            }
            // Anywhere in the first saves of the child, start-up included.
            std::uniform_int_distribution<long long> delay(0, 3 * std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count());
            ::usleep(static_cast<useconds_t>(delay(random)));
            ::kill(child, SIGKILL);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status));

            const std::string now = FileText(name);
            ASSERT_TRUE(now == versions[0] || now == versions[1]) << "kill " << kill << ": " << now.size() << " bytes";
            leftovers[unnamed] += Entries().size() > 1 ? 1 : 0;
            project.Text = texts[0];
            ASSERT_TRUE(project.SaveToFile(name));
            ASSERT_EQ(Entries(), QStringList{"p.tst"}) << "kill " << kill;
        }
    }
    std::cout << "kills that left a file of their save behind until the next save: " << leftovers[1]
              << " of 60 with unnamed new files, " << leftovers[0] << " of 60 without\n";
    TPayload loaded(nullptr);
    ASSERT_TRUE(loaded.LoadFromFile(name));
    EXPECT_EQ(loaded.Text, texts[0]);
}

TEST_F(SaveFile, ThroughALinkKeepingTheMode)
{
    TPayload project(nullptr);
    project.Text = "first";
    ASSERT_TRUE(project.SaveToFile(Path("real.tst")));
    ASSERT_EQ(::chmod(Path("real.tst").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("real.tst", Path("link.tst").c_str()), 0);
    project.Text = "second";
    ASSERT_TRUE(project.SaveToFile(Path("link.tst")));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("link.tst"))).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(Path("real.tst").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    TPayload loaded(nullptr);
    ASSERT_TRUE(loaded.LoadFromFile(Path("real.tst")));
    EXPECT_EQ(loaded.Text, "second");
    EXPECT_EQ(Entries(), (QStringList{"link.tst", "real.tst"}));
}

// Failures give their reason in plain words, and the old file stays.
TEST_F(SaveFile, FailuresSayWhy)
{
    TPayload project(nullptr);
    project.Text = "old";
    ASSERT_TRUE(project.SaveToFile(Path("ro.tst")));
    const std::string before = FileText(Path("ro.tst"));
    ASSERT_EQ(::chmod(Path("ro.tst").c_str(), 0444), 0);
    project.Text = "new";
    std::string reason;
    EXPECT_EQ(SaveError(project, Path("ro.tst"), &reason), SStreamWrapInvalidName);
    EXPECT_EQ(reason, "The file is read-only");
    EXPECT_EQ(FileText(Path("ro.tst")), before);
    EXPECT_EQ(SaveError(project, Path("no/such.tst"), &reason), SStreamWrapCreate);
    EXPECT_EQ(reason, SysErrorText(ENOENT));

    // A disk that fills up while the file is written.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    project.Text = RandomText(100000, 3);
    const bool saved = project.SaveToFile(Path("big.tst"));
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(project.FailReason, SysErrorText(EFBIG));
    EXPECT_EQ(Entries(), QStringList{"ro.tst"});

    project.Text = "new";
    ASSERT_TRUE(project.SaveToFile(Path("big.tst")));
    EXPECT_EQ(project.FailReason, "");
}

// A pipe in a project's place is refused at once, not waited on.
TEST_F(SaveFile, APipeIsNoProject)
{
    ASSERT_EQ(::mkfifo(Path("pipe.tst").c_str(), 0600), 0);
    TPayload project(nullptr);
    for (const bool saving : {false, true}) {
        std::string message;
        EXPECT_FALSE(WaitsOnPipe(Path("pipe.tst"), [&] {
            try {
                if (saving)
                    project.SaveToFile(Path("pipe.tst"));
                else
                    project.LoadFromFile(Path("pipe.tst"));
            } catch (const EVrnStreamWrapCreate &e) {
                message = e.Reason;
            }
        }));
        EXPECT_EQ(message, "It is no regular file but a pipe, socket or device");
    }
}

// A name typed without extension gets the one the class's mask stands for.
TEST_F(SaveFile, TheDialogsDefaultExtensionComesFromTheMask)
{
    const std::pair<const char *, const char *> masks[] = {{"*.Arv", "Arv"}, {"*.x;", "x"}, {"*.*", ""}, {"*", ""}, {"*.a?c", ""}};
    for (const auto &[mask, extension] : masks) {
        TPayload project(nullptr);
        TStreamFileInfo info = PayloadInfo;
        info.FileMask = mask;
        project.SetFileInfo(info);
        TFileDialogRequest save;
        project.AttachSaveDialog(save);
        EXPECT_EQ(save.DefaultExt, extension) << mask;
        EXPECT_EQ(save.Filter, std::string("|") + mask);
    }
}
