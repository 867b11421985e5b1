#include "platform/Streams.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Streams, FileStreamModesAndErrors)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("a.bin").toStdString();
    EXPECT_THROW(TFileStream(name, fmOpenRead), EFOpenError);
    {
        TFileStream out(name, fmCreate);
        out.WriteBuffer("hello", 5);
        EXPECT_EQ(out.Size(), 5);
        out.Seek(1, soBeginning);
        out.WriteBuffer("E", 1);
    }
    EXPECT_TRUE(FileExists(name));
    TFileStream in(name, fmOpenRead);
    char buf[8] = {};
    in.ReadBuffer(buf, 5);
    EXPECT_STREQ(buf, "hEllo");
    // A short read raises and leaves the position behind the bytes that were there.
    in.SetPosition(3);
    EXPECT_THROW(in.ReadBuffer(buf, 4), EReadError);
    EXPECT_EQ(in.Position(), 5);
    EXPECT_THROW(in.WriteBuffer("x", 1), EWriteError); // opened for reading only
    EXPECT_THROW(TFileStream(dir.path().toStdString(), fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(dir.filePath("no/such/dir.bin").toStdString(), fmCreate), EFCreateError);
    EXPECT_TRUE(DeleteFile(name));
    EXPECT_FALSE(FileExists(name));
}

TEST(Streams, MemoryStreamGrowsAndSeeks)
{
    TMemoryStream m;
    m.Seek(4, soBeginning);
    m.WriteBuffer("ab", 2);
    EXPECT_EQ(m.Size(), 6);
    EXPECT_EQ(m.Memory()[0], 0);
    EXPECT_EQ(m.Seek(-1, soEnd), 5);
    char c = 0;
    EXPECT_EQ(m.Read(&c, 10), 1);
    EXPECT_EQ(c, 'b');
    EXPECT_EQ(m.Read(&c, 1), 0);
    EXPECT_THROW(m.Seek(-7, soEnd), EStreamError);
    TMemoryStream copy;
    copy.CopyFrom(m, 0);
    EXPECT_EQ(copy.Bytes(), m.Bytes());
}

TEST(Streams, ForceDirectoriesCreatesParents)
{
    QTemporaryDir dir;
    const std::string deep = dir.filePath("a/b/c").toStdString();
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep + "/"));
}
