#include "platform/Streams.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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

// The room grows without being cleared ahead: bytes that were once written
// and then cut off by SetSize must read as zeros when the stream grows again.
TEST(Streams, MemoryStreamRegrowsWithZeros)
{
    TMemoryStream m;
    m.Reserve(100);
    EXPECT_EQ(m.Size(), 0);
    const std::vector<std::uint8_t> ones(64, 1);
    m.WriteBuffer(ones.data(), 64);
    m.SetSize(8);
    m.SetSize(16);
    m.Seek(0, soEnd);
    m.Seek(8, soCurrent);
    m.WriteBuffer("x", 1);
    std::vector<std::uint8_t> expected(25, 0);
    std::fill_n(expected.begin(), 8, 1);
    expected[24] = 'x';
    EXPECT_EQ(m.Bytes(), expected);
    // Growth far beyond the reserved room keeps what was written.
    std::vector<std::uint8_t> big(1 << 20);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 7);
    m.WriteBuffer(big.data(), static_cast<std::int64_t>(big.size()));
    EXPECT_EQ(m.Size(), 25 + (1 << 20));
    EXPECT_TRUE(std::equal(big.begin(), big.end(), m.Memory() + 25));
    EXPECT_EQ(m.Memory()[24], 'x');
    EXPECT_EQ(TMemoryStream(m.Bytes()).Bytes(), m.Bytes());
}

TEST(Streams, ForceDirectoriesCreatesParents)
{
    QTemporaryDir dir;
    const std::string deep = dir.filePath("a/b/c").toStdString();
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep + "/"));
}
