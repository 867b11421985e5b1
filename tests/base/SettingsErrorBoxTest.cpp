// A failed write of the settings ends in the error box, as the programs (and
// the test main) route it.
#include "base/VrnSettings.h"
#include "platform/Dialogs.h"
#include "platform/StringList.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/common/ScriptedDialogs.h"
#include "tests/common/StringLists.h"
#include "tests/common/TestFiles.h"

TEST(SettingsFailure, UnwritableFileFallsBackToDefaultsAndIsReportedOnce)
{
    QTemporaryDir dir;
    const std::string blocker = dir.filePath("blocker").toStdString();
    SetFileText(blocker, "");
    TScriptedDialogs dialogs;
    TIniSettings store(blocker + "/s.ini");
    store.AutoFlush = true;
    EXPECT_EQ(store.ReadString("S\rA\rdef"), "def");
    store.WriteInteger("S\rN", 5);
    TStringList list = ListOf({"a", "b"});
    store.WriteStrings("L", list, true, true);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Type, mtError);
    EXPECT_NE(dialogs.Messages[0].Text.find(blocker), std::string::npos);
    // Within the run the values are still there.
    EXPECT_EQ(store.ReadInteger("S\rN"), 5);
    TStringList back;
    store.ReadStrings("L", back, "");
    EXPECT_EQ(Items(back), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(dialogs.Messages.size(), 1u);
}
