// Named pipes, devices and folders where files are expected: refused or
// read as empty, and never waited on.
#include "platform/IniFile.h"
#include "platform/Streams.h"

#include "tests/common/RealFiles.h"
#include "tests/common/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(SpecialFiles, AFileStreamRefusesPipesAndDevices)
{
    QTemporaryDir dir;
    const std::string fifo = dir.filePath("pipe.arv").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const unsigned mode : {unsigned(fmOpenRead), unsigned(fmOpenReadWrite), unsigned(fmOpenWrite), unsigned(fmCreate)}) {
        std::string reason;
        EXPECT_FALSE(WaitsOnPipe(fifo, [&] {
            try {
                TFileStream s(fifo, mode);
            } catch (const EStreamError &e) {
                reason = e.Reason;
            }
        })) << mode;
        EXPECT_EQ(reason, "It is no regular file but a pipe, socket or device") << mode;
    }
    try {
        TFileStream s("/dev/zero", fmOpenRead);
        ADD_FAILURE() << "a device is no file";
    } catch (const EFOpenError &e) {
        EXPECT_EQ(e.Reason, "It is no regular file but a pipe, socket or device");
    }
    try {
        TFileStream s(dir.path().toStdString(), fmOpenRead);
        ADD_FAILURE() << "a folder is no file";
    } catch (const EFOpenError &e) {
        EXPECT_EQ(e.Reason, "It is a folder");
        EXPECT_EQ(e.Code, EISDIR);
    }
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A settings file that is a pipe or a folder reads as empty and is neither
// written to nor replaced.
TEST(SpecialFiles, ASettingsFileThatIsNoFile)
{
    QTemporaryDir dir;
    const std::string fifo = dir.filePath("user.ini").toStdString();
    const std::string folder = dir.filePath("folder.ini").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    for (const std::string &name : {fifo, folder}) {
        TIniFile ini(name);
        std::string value;
        EXPECT_FALSE(WaitsOnPipe(fifo, [&] { value = ini.ReadString("Forms", "Main", "default"); })) << name;
        EXPECT_EQ(value, "default");
        EXPECT_THROW(ini.WriteString("Forms", "Main", "1,2,3,4,0"), EIniFileException);
        EXPECT_EQ(ini.ReadString("Forms", "Main", "default"), "1,2,3,4,0"); // kept in memory
    }
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(FolderEntries(dir.path()), (QStringList{"folder.ini", "user.ini"}));
}
