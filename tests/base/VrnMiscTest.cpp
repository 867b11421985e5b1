#include "base/VrnMisc.h"
#include "base/VrnSettings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

TEST(SettingsFiles, NamesAndGlobals)
{
    EXPECT_EQ(AppSettingsFileName("/opt/a.b/arvilo"), "/opt/a.b/arvilo.ini");
    EXPECT_EQ(AppSettingsFileName("/opt/prog/Arvilo.exe"), "/opt/prog/Arvilo.ini");
    EXPECT_EQ(UserSettingsFileName("/opt/prog/arvilo", "anna", "host1"), "/opt/prog/arvilo-anna@host1.ini");
    EXPECT_EQ(UserSettingsFileName("/opt/prog/arvilo", NameInBuffer16("a-user-name-of-16"), "h"),
              "/opt/prog/arvilo-@h.ini");
    EXPECT_EQ(NameInBuffer16("fifteen-chars-x"), "fifteen-chars-x");
    EXPECT_EQ(NameInBuffer16("sixteen-chars-xy"), "");

    const passwd *pw = getpwuid(geteuid());
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(GetUserNameStr(), NameInBuffer16(pw->pw_name));
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_EQ(GetComputerNameStr(), NameInBuffer16(host));

    QTemporaryDir dir;
    const std::string exe = dir.filePath("arvilo").toStdString();
    InitSettingsFor(exe);
    ASSERT_NE(AppSettings, nullptr);
    ASSERT_NE(UserSettings, nullptr);
    EXPECT_EQ(AppSettings->Ini->FileName(), exe + ".ini");
    EXPECT_EQ(UserSettings->Ini->FileName(),
              UserSettingsFileName(exe, GetUserNameStr(), GetComputerNameStr()));
    EXPECT_EQ(UserSettings->FormsSection, "Forms");
    InitSettingsFor(exe); // again: both made anew
    EXPECT_NE(UserSettings, nullptr);
}
