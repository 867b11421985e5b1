#include "base/VrnDateTime.h"
#include "base/VrnSettings.h"
#include "platform/Exceptions.h"
#include "platform/StringList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/common/GermanLocale.h"
#include "tests/common/StringLists.h"
#include "tests/common/TestFiles.h"

#include <functional>
#include <utility>

namespace {

class Settings : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    std::string Name = Dir.filePath("s.ini").toStdString();
    TIniSettings Store{Name};
};

} // namespace

TEST_F(Settings, ReadsWriteTheirDefaultsBack)
{
    EXPECT_EQ(Store.ReadString("S\rName\rabc"), "abc");
    EXPECT_EQ(Store.ReadString("S\rEmpty"), "");
    EXPECT_EQ(Store.ReadInteger("S\rN\r42"), 42);
    EXPECT_EQ(Store.ReadInteger("S\rZ\rforty"), 0);
    EXPECT_EQ(FileText(Name), "[S]\nName=abc\nEmpty=\nN=42\nZ=0\n");

    SetFileText(Name, "[S]\nSame=7\nOther=8\n");
    EXPECT_EQ(Store.ReadInteger("S\rSame\r$7"), 7);
    EXPECT_EQ(Store.ReadInteger("S\rOther\r7"), 8);
    EXPECT_EQ(Store.ReadString("S\rOther\r8"), "8");
    // Equal to the default: written again in the stored form of the default.
    EXPECT_EQ(FileText(Name), "[S]\nSame=7\nOther=8\n");
    SetFileText(Name, "[S]\nSame= 0x7 \n");
    EXPECT_EQ(Store.ReadInteger("S\rSame\r7"), 7);
    EXPECT_EQ(FileText(Name), "[S]\nSame=7\n");

    Store.WriteDefaults = false;
    EXPECT_EQ(Store.ReadString("T\rX\rdef"), "def");
    EXPECT_EQ(FileText(Name), "[S]\nSame=7\n");
}

TEST_F(Settings, StringListsAreDenseQuotedAndComeBackAsWritten)
{
    SetFileText(Name, "[L]\nCount=4\n1=x\n2=x\n3=x\n4=x\n");
    TStringList list = ListOf({"a", "", "b"});
    Store.WriteStrings("L", list, true, false);
    EXPECT_EQ(FileText(Name), "[L]\nCount=2\n1=a\n2=b\n");

    list = ListOf({"x", "it's", " blank ", "", "''"});
    Store.WriteStrings("L", list, false, true);
    EXPECT_EQ(FileText(Name), "[L]\nCount=5\n1='x'\n2='it''s'\n3=' blank '\n4=''\n5=''''''\n");
    TStringList back;
    Store.ReadStrings("L", back, "");
    EXPECT_EQ(Items(back), (std::vector<std::string>{"x", "it's", " blank ", "", "''"}));

    // Missing entries read as empty lines; a damaged count reads no further than the limit.
    SetFileText(Name, "[L]\nCount=3\n1=\"q\"\n3=c\n[M]\nCount=2147483647\n");
    Store.ReadStrings("L", back, "");
    EXPECT_EQ(Items(back), (std::vector<std::string>{"q", "", "c"}));
    Store.ReadStrings("M", back, "");
    EXPECT_EQ(back.Count(), TIniSettings::MaxListCount);
}

TEST_F(Settings, StringListItemsWithLineBreaksAreLeftOut)
{
    TStringList list = ListOf({"/d/one", "/d/a\n[Forms]\nMain=1", "/d/two\r", "/d/three"});
    Store.WriteStrings("File History", list, true, true);
    EXPECT_EQ(FileText(Name), "[File History]\n1='/d/one'\n2='/d/three'\nCount=2\n");
    TStringList back;
    Store.ReadStrings("File History", back, "");
    EXPECT_EQ(Items(back), (std::vector<std::string>{"/d/one", "/d/three"}));

    // A single value with a line break is refused and changes nothing.
    EXPECT_THROW(Store.WriteString("Forms\rMain", "1\n2"), EIniValueError);
    EXPECT_EQ(FileText(Name), "[File History]\n1='/d/one'\n2='/d/three'\nCount=2\n");
}

TEST_F(Settings, StringListDefaults)
{
    TStringList list = ListOf({"old"});
    Store.ReadStrings("None", list, "");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Name)));

    Store.ReadStrings("A", list, "one\r\ntwo\r\n");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(FileText(Name), "[A]\n1='one'\n2='two'\nCount=2\n");

    Store.ReadStrings("B", list, "one\r\ntwo");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(FileText(Name), "[A]\n1='one'\n2='two'\nCount=2\n");
}

TEST_F(Settings, TypedValues)
{
    Store.WriteFloat("F\rZero", 0);
    Store.WriteFloat("F\rQuarter", 1.25);
    Store.WriteDate("F\rDay", EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 0, 0));
    Store.WriteDate("F\rOld", EncodeDate(1, 1, 1));
    Store.WriteInt64("F\rBig", -9000000000LL);
    Store.WriteBool("F\rOn", true);
    Store.WriteScrambled("F\rPw", "k", "ab", 1);
    Store.WriteScrambled("F\rPlain", "k", "ab", 0);
    EXPECT_EQ(FileText(Name), "[F]\nZero=\nQuarter=1.25\nDay=2024-02-29\nOld=0001-01-01\nBig=-9000000000\nOn=1\n"
                              "Pw=0A09\nPlain=ab\n");
    EXPECT_EQ(Store.ReadFloat("F\rZero"), 0);
    EXPECT_EQ(Store.ReadFloat("F\rQuarter"), 1.25);
    EXPECT_EQ(Store.ReadDate("F\rDay"), EncodeDate(2024, 2, 29));
    EXPECT_EQ(Store.ReadInt64("F\rBig"), -9000000000LL);
    EXPECT_TRUE(Store.ReadBool("F\rOn"));
    EXPECT_EQ(Store.ReadScrambled("F\rPw", "k", 1), "ab");
    EXPECT_EQ(Store.ReadScrambled("F\rPw", "k", 2), "0A09");
    EXPECT_THROW(Store.WriteDate("F\rBad", 1e9), EConvertError);

    SetFileText(Name, "[I]\nH=0x1F\nD=$1F\nX=12abc\nT=2\nBadDate=2023-02-30\n");
    EXPECT_EQ(Store.ReadInt64("I\rH"), 31);
    EXPECT_EQ(Store.ReadInt64("I\rD"), 31);
    EXPECT_EQ(Store.ReadInt64("I\rX\r0x10"), 16);
    EXPECT_EQ(Store.ReadInt64("I\rX\rnone"), 0);
    EXPECT_TRUE(Store.ReadBool("I\rT"));
    EXPECT_THROW(Store.ReadDate("I\rBadDate"), EConvertError);
}

TEST_F(Settings, FloatsKeepThePointUnderAGermanCLibrary)
{
    const TGermanCLocale german;
    Store.WriteFloat("F\rQuarter", 1.25);
    Store.WriteFloat("F\rSmall", -0.0000000001);
    EXPECT_EQ(FileText(Name), "[F]\nQuarter=1.25\nSmall=-0.0000000001\n");
    EXPECT_EQ(Store.ReadFloat("F\rQuarter"), 1.25);
    EXPECT_EQ(Store.ReadFloat("F\rSmall"), -0.0000000001);
}

TEST_F(Settings, ReadKeysListsSectionsOrIdentifiers)
{
    SetFileText(Name, "[A]\nx=1\ny=2\n[B]\n");
    TStringList list;
    Store.ReadKeys(" \t\r", list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"A", "B"}));
    Store.ReadKeys(" a \rignored", list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"x", "y"}));
}

namespace {

// The hook as the programs set it, recording instead of showing a box.
class TSettingsErrors {
public:
    TSettingsErrors() : Old(std::exchange(OnSettingsError, [this](const std::string &m) { Messages.push_back(m); })) {}
    ~TSettingsErrors() { OnSettingsError = Old; }
    TSettingsErrors(const TSettingsErrors &) = delete;
    TSettingsErrors &operator=(const TSettingsErrors &) = delete;

    std::vector<std::string> Messages;

private:
    std::function<void(const std::string &)> Old;
};

// A store whose file lies in a "folder" that is a plain file: no write succeeds.
class SettingsWriteFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetFileText(Folder, "");
        Store.AutoFlush = true;
    }

    QTemporaryDir Dir;
    std::string Folder = Dir.filePath("folder").toStdString();
    TIniSettings Store{Folder + "/s.ini"};
};

} // namespace

TEST_F(SettingsWriteFailure, ReachesTheHookOnceAndAgainAfterAWriteSucceeded)
{
    TSettingsErrors errors;
    Store.WriteInteger("S\rN", 5);
    Store.WriteString("S\rT", "x");
    ASSERT_EQ(errors.Messages.size(), 1u);
    EXPECT_NE(errors.Messages[0].find(Folder), std::string::npos);

    // Once the folder is there, the next write takes what was kept in memory to the file.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(Folder)));
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(Folder)));
    Store.WriteInteger("S\rN", 6);
    EXPECT_EQ(FileText(Folder + "/s.ini"), "[S]\nN=6\nT=x\n");
    EXPECT_EQ(errors.Messages.size(), 1u);

    ASSERT_TRUE(QDir(QString::fromStdString(Folder)).removeRecursively());
    SetFileText(Folder, "");
    Store.WriteInteger("S\rN", 7);
    Store.WriteInteger("S\rN", 8);
    EXPECT_EQ(errors.Messages.size(), 2u) << "a new failure after a success is reported again, once";
    EXPECT_EQ(Store.ReadInteger("S\rN"), 8);
}

TEST_F(SettingsWriteFailure, WithoutAHookTheValuesStayAndNothingWaits)
{
    const auto old = std::exchange(OnSettingsError, nullptr);
    TStringList list = ListOf({"a", "b"});
    Store.WriteStrings("L", list, true, true);
    TStringList back;
    Store.ReadStrings("L", back, "");
    EXPECT_EQ(Items(back), (std::vector<std::string>{"a", "b"}));
    OnSettingsError = old;
}
