// Replacing files as users have them: links, private modes, read-only
// files, pipes, leftovers of killed saves.
#include "platform/FileReplacement.h"

#include "tests/common/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Replacement : public ::testing::Test {
protected:
    std::string Path(const std::string &Name) const { return Dir.path().toStdString() + "/" + Name; }
    QStringList Entries(const QString &Folder = QString()) const { return FolderEntries(Folder.isEmpty() ? Dir.path() : Folder); }
    static void Write(const std::string &Target, const std::string &Text)
    {
        TFileReplacement r(Target);
        r.WriteBuffer(Text.data(), static_cast<std::int64_t>(Text.size()));
        r.Commit();
    }
    static mode_t Mode(const std::string &Name)
    {
        struct stat st {};
        return ::stat(Name.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    static std::string Refusal(const std::string &Target)
    {
        try {
            TFileReplacement r(Target);
        } catch (const EFOpenError &e) {
            return e.Reason;
        }
        return "accepted";
    }
    void TearDown() override { TFileReplacement::UseUnnamedFiles = true; }

    QTemporaryDir Dir;
};

} // namespace

// The file a link refers to gets the new version, in its own folder; the
// links stay links.
TEST_F(Replacement, LinksAreFollowedAndKept)
{
    QTemporaryDir other;
    const std::string real = other.path().toStdString() + "/real.arv";
    SetFileText(real, "old");
    ASSERT_EQ(::symlink(real.c_str(), Path("abs.arv").c_str()), 0);
    ASSERT_EQ(::symlink("abs.arv", Path("rel.arv").c_str()), 0); // a chain, relative
    Write(Path("rel.arv"), "new");
    EXPECT_EQ(FileText(real), "new");
    EXPECT_EQ(FileText(Path("rel.arv")), "new");
    EXPECT_EQ(QFileInfo(QString::fromStdString(Path("rel.arv"))).symLinkTarget(), QFileInfo(QString::fromStdString(Path("abs.arv"))).absoluteFilePath());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("abs.arv"))).isSymLink());
    EXPECT_EQ(Entries(), (QStringList{"abs.arv", "rel.arv"}));
    EXPECT_EQ(Entries(other.path()), QStringList{"real.arv"});

    // A link to a file that does not exist yet creates that file.
    ASSERT_EQ(::symlink("later.arv", Path("pending.arv").c_str()), 0);
    Write(Path("pending.arv"), "first");
    EXPECT_EQ(FileText(Path("later.arv")), "first");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("pending.arv"))).isSymLink());

    ASSERT_EQ(::symlink("loop.arv", Path("loop.arv").c_str()), 0);
    EXPECT_NE(Refusal(Path("loop.arv")), "accepted");
}

TEST_F(Replacement, PermissionsAndOwnerAreKept)
{
    for (const mode_t mode : {0600, 0640, 0604, 0755}) {
        const std::string name = Path("m.arv");
        SetFileText(name, "old");
        ASSERT_EQ(::chmod(name.c_str(), mode), 0);
        Write(name, "new");
        EXPECT_EQ(Mode(name), mode);
        EXPECT_EQ(FileText(name), "new");
    }
    // A new file gets the modes every new file gets.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    Write(Path("fresh.arv"), "x");
    EXPECT_EQ(Mode(Path("fresh.arv")), 0666 & ~mask);

    if (::geteuid() == 0) { // only the administrator may give files away
        const std::string name = Path("theirs.arv");
        SetFileText(name, "old");
        ASSERT_EQ(::chown(name.c_str(), 4321, 4322), 0);
        ASSERT_EQ(::chmod(name.c_str(), 0640), 0);
        Write(name, "new");
        struct stat st {};
        ASSERT_EQ(::stat(name.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
}

// The name saved to gets the new version at once and whole; the file's other
// hard links keep the old one, as they would after any replacement in one step.
TEST_F(Replacement, AHardLinkKeepsTheOldVersion)
{
    SetFileText(Path("a.arv"), "old");
    ASSERT_EQ(::link(Path("a.arv").c_str(), Path("b.arv").c_str()), 0);
    Write(Path("a.arv"), "new");
    EXPECT_EQ(FileText(Path("a.arv")), "new");
    EXPECT_EQ(FileText(Path("b.arv")), "old");
    EXPECT_EQ(Entries(), (QStringList{"a.arv", "b.arv"}));
}

TEST_F(Replacement, WhatMayNotBeReplacedIsRefused)
{
    SetFileText(Path("ro.arv"), "old");
    ASSERT_EQ(::chmod(Path("ro.arv").c_str(), 0444), 0);
    EXPECT_EQ(Refusal(Path("ro.arv")), "The file is read-only");
    EXPECT_EQ(FileText(Path("ro.arv")), "old");
    ASSERT_EQ(::mkfifo(Path("pipe.arv").c_str(), 0600), 0);
    EXPECT_EQ(Refusal(Path("pipe.arv")), "It is no regular file but a pipe, socket or device");
    EXPECT_EQ(Refusal("/dev/null"), "It is no regular file but a pipe, socket or device");
    ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.arv"));
    EXPECT_EQ(Refusal(Path("folder.arv")), "It is a folder");
    EXPECT_EQ(Refusal(Path("")), "It is a folder");
    EXPECT_EQ(Entries(), (QStringList{"folder.arv", "pipe.arv", "ro.arv"}));

    try {
        TFileReplacement r(Path("no/such.arv"));
        FAIL() << "a file in a missing folder";
    } catch (const EFCreateError &e) {
        EXPECT_EQ(e.Code, ENOENT);
        EXPECT_FALSE(e.Reason.empty());
    }
}

// Without Commit nothing reaches the folder; with unnamed files nothing is
// ever seen there, without them only while the save runs.
TEST_F(Replacement, AnAbandonedVersionLeavesNothing)
{
    SetFileText(Path("p.arv"), "old");
    for (const bool unnamed : {true, false}) {
        TFileReplacement::UseUnnamedFiles = unnamed;
        {
            TFileReplacement r(Path("p.arv"));
            r.WriteBuffer("new", 3);
            EXPECT_EQ(Entries().size(), unnamed ? 1 : 2);
        }
        EXPECT_EQ(FileText(Path("p.arv")), "old");
        EXPECT_EQ(Entries(), QStringList{"p.arv"});
        TFileReplacement r(Path("p.arv"));
        r.Discard();
        EXPECT_THROW(r.Commit(), EWriteError);
        EXPECT_EQ(Entries(), QStringList{"p.arv"});
    }
}

// What a killed save left is removed by the next one, unless a running save
// still holds it.
TEST_F(Replacement, LeftoversOfKilledSavesGoAtTheNextSave)
{
    const std::string stale = Path(".p.arv.Ab3dEf9h.new~");
    const std::string busy = Path(".q.arv.ZZZZZZZZ.new~");
    for (const std::string &name : {stale, busy, Path(".p.arv.short.new~"), Path("p.arv.Ab3dEf9h.new~")})
        SetFileText(name, "partial");
    const int holder = ::open(busy.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    Write(Path("p.arv"), "new");
    ::close(holder);
    EXPECT_EQ(Entries(), (QStringList{".p.arv.short.new~", ".q.arv.ZZZZZZZZ.new~", "p.arv", "p.arv.Ab3dEf9h.new~"}));
    Write(Path("p.arv"), "newer");
    EXPECT_EQ(Entries(), (QStringList{".p.arv.short.new~", "p.arv", "p.arv.Ab3dEf9h.new~"}));
}

// A folder moved away while the save runs is no longer where the user saves
// to: the save fails, and nothing is left in the moved folder.
TEST_F(Replacement, AFolderMovedMeanwhileFailsTheSave)
{
    ASSERT_TRUE(QDir(Dir.path()).mkdir("sub"));
    SetFileText(Path("sub/p.arv"), "old");
    for (const bool unnamed : {true, false}) {
        TFileReplacement::UseUnnamedFiles = unnamed;
        {
            TFileReplacement r(Path("sub/p.arv"));
            r.WriteBuffer("new", 3);
            ASSERT_EQ(::rename(Path("sub").c_str(), Path("moved").c_str()), 0);
            try {
                r.Commit();
                ADD_FAILURE() << "committed into a moved folder";
            } catch (const EWriteError &e) {
                EXPECT_EQ(e.Reason, "The folder was moved or removed during the save");
            }
        }
        EXPECT_EQ(Entries(QString::fromStdString(Path("moved"))), QStringList{"p.arv"});
        EXPECT_EQ(FileText(Path("moved/p.arv")), "old");
        ASSERT_EQ(::rename(Path("moved").c_str(), Path("sub").c_str()), 0);
    }
}
