#include "base/VrnFiles.h"

#include "platform/Latin1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// A temporary tree with mixed-case names:
//   Program Files/X/ReadMe.txt, DOCS/, docs/
class ExpandPathCaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        Root = FileNameFromQ(Tmp.path()) + "/";
        QDir dir(Tmp.path());
        ASSERT_TRUE(dir.mkpath("Program Files/X"));
        ASSERT_TRUE(dir.mkpath("DOCS"));
        ASSERT_TRUE(dir.mkpath("docs"));
        QFile file(Tmp.filePath("Program Files/X/ReadMe.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir Tmp;
    std::string Root;
};

} // namespace

TEST_F(ExpandPathCaseTest, LongComponentsTakeTheirStoredCase)
{
    EXPECT_EQ(ExpandPathCase(Root + "program files/X/readme.TXT"), Root + "Program Files/X/ReadMe.txt");
    // Short components and the trailing separator stay as given.
    EXPECT_EQ(ExpandPathCase(Root + "PROGRAM FILES/x/"), Root + "Program Files/x/");
    EXPECT_EQ(ExpandPathCase(Root + "program files/../docs"), Root + "Program Files/../docs");
    EXPECT_EQ(ExpandPathCase(Root + "/program files//X"), Root + "/Program Files//X");
}

TEST_F(ExpandPathCaseTest, ExactNameWinsOverOtherCase)
{
    // Both exist: a case-insensitive first match could name the other one.
    EXPECT_EQ(ExpandPathCase(Root + "docs"), Root + "docs");
    EXPECT_EQ(ExpandPathCase(Root + "DOCS"), Root + "DOCS");
}

TEST_F(ExpandPathCaseTest, MissingComponentsKeepTheGivenCase)
{
    EXPECT_EQ(ExpandPathCase(Root + "program files/Missing/readme.txt"), Root + "Program Files/Missing/readme.txt");
    // A file is no directory: what follows it is kept.
    EXPECT_EQ(ExpandPathCase(Root + "program files/X/readme.txt/more"),
              Root + "Program Files/X/ReadMe.txt/more");
    EXPECT_EQ(ExpandPathCase(""), "");
}

TEST_F(ExpandPathCaseTest, RelativePathsBelowTheCurrentDirectory)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Tmp.path()));
    const std::string expanded = ExpandPathCase("program files/X");
    QDir::setCurrent(before);
    EXPECT_EQ(expanded, "Program Files/X");
}

TEST(VrnFiles, ExtractFileBaseName)
{
    EXPECT_EQ(ExtractFileBaseName("/dir.old/prog.exe"), "prog");
    EXPECT_EQ(ExtractFileBaseName("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(ExtractFileBaseName("README"), "README");
    EXPECT_EQ(ExtractFileBaseName("/dir.old/README"), "README");
    EXPECT_EQ(ExtractFileBaseName(".ini"), "");
    EXPECT_EQ(ExtractFileBaseName("/tmp/"), "");
    EXPECT_EQ(ExtractFileBaseName(""), "");
}

TEST(VrnFiles, AppDirIsTheExecutablesDirectory)
{
    ASSERT_FALSE(AppDir.empty());
    EXPECT_EQ(AppDir.back(), '/');
    EXPECT_EQ(AppDir, FileNameFromQ(QCoreApplication::applicationDirPath()) + "/");
    EXPECT_EQ(access((AppDir + "base_tests").c_str(), X_OK), 0);
}
