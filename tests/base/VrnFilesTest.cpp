#include "base/VrnFiles.h"

#include "platform/SystemText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// On a file system that tells letter cases apart every existing path is
// stored as given.
TEST_F(ExpandPathCaseTest, ExistingPathsStayAsGiven)
{
    EXPECT_EQ(ExpandPathCase(Root + "Program Files/X/ReadMe.txt"), Root + "Program Files/X/ReadMe.txt");
    EXPECT_EQ(ExpandPathCase(Root + "Program Files/X/"), Root + "Program Files/X/");
    EXPECT_EQ(ExpandPathCase(Root + "Program Files/../docs"), Root + "Program Files/../docs");
    EXPECT_EQ(ExpandPathCase(Root + "/Program Files//X"), Root + "/Program Files//X");
}

TEST_F(ExpandPathCaseTest, ExactNameWinsOverOtherCase)
{
    // Both exist: a case-insensitive first match could name the other one.
    EXPECT_EQ(ExpandPathCase(Root + "docs"), Root + "docs");
    EXPECT_EQ(ExpandPathCase(Root + "DOCS"), Root + "DOCS");
}

// A path that names nothing is not turned into one that names another file
// differing only in letter case.
TEST_F(ExpandPathCaseTest, MissingPathsStayMissing)
{
    for (const std::string &given : {std::string("program files/X/readme.TXT"), std::string("Program Files/X/readme.txt"),
                                     std::string("PROGRAM FILES/x/"), std::string("Program Files/Missing/ReadMe.txt"),
                                     std::string("Program Files/X/ReadMe.txt/more"), std::string("Docs")}) {
        EXPECT_EQ(ExpandPathCase(Root + given), Root + given);
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Root + given))) << given;
    }
    EXPECT_EQ(ExpandPathCase(""), "");
}

TEST_F(ExpandPathCaseTest, RelativePathsBelowTheCurrentDirectory)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Tmp.path()));
    const std::string expanded = ExpandPathCase("Program Files/X");
    const std::string missing = ExpandPathCase("program files/X");
    QDir::setCurrent(before);
    EXPECT_EQ(expanded, "Program Files/X");
    EXPECT_EQ(missing, "program files/X");
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
