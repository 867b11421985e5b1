#include "base/VrnMiscGui.h"
#include "base/VrnProgressGui.h"
#include "base/VrnSettings.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/Screen.h"

#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include "tests/common/ScriptedDialogs.h"
#include "tests/common/TestFiles.h"

namespace {

class Placement : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form.setObjectName("FrmTest");
        Form.move(10, 20);
        Form.resize(300, 200);
        Screen().SetSize(1024, 768);
    }
    void TearDown() override { Screen().SetSize(0, 0); }

    void Store(const std::string &value) { Settings.WriteString("Forms\rFrmTest", value); }

    QTemporaryDir Dir;
    std::string Name = Dir.filePath("u.ini").toStdString();
    TIniSettings Settings{Name};
    QWidget Form;
};

} // namespace

TEST_F(Placement, SavedEntryRestoresTheSameBounds)
{
    Form.move(120, 80);
    Form.resize(800, 600);
    SaveFormPlacement(&Form, &Settings);
    EXPECT_EQ(FileText(Name), "[Forms]\nFrmTest=120,80,800,600,0\n");

    QWidget other;
    other.setObjectName("FrmTest");
    RestoreFormPlacement(&other, &Settings);
    EXPECT_EQ(other.pos(), QPoint(120, 80));
    EXPECT_EQ(other.size(), QSize(800, 600));
    EXPECT_EQ(other.windowState(), Qt::WindowNoState);

    Form.setWindowState(Qt::WindowMaximized);
    SaveFormPlacement(&Form, &Settings);
    EXPECT_NE(FileText(Name).find(",2\n"), std::string::npos);
}

TEST_F(Placement, SmallScreensGetTheFourHundredPixelFallback)
{
    Store("120,80,800,600,0");
    Screen().SetSize(800, 768);
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.geometry().topLeft(), QPoint(400, 80));
    EXPECT_EQ(Form.size(), QSize(400, 600));

    Screen().SetSize(1024, 600);
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(120, 200));
    EXPECT_EQ(Form.size(), QSize(800, 400));

    // Ending exactly at the edge is no reason to move.
    Screen().SetSize(920, 680);
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(120, 80));
    EXPECT_EQ(Form.size(), QSize(800, 600));
}

TEST_F(Placement, StatesAndFixedBorders)
{
    Store("120,80,800,600,2");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_TRUE(Form.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(Form.pos(), QPoint(10, 20));
    EXPECT_EQ(Form.size(), QSize(300, 200));

    Store("120,80,800,600,7");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.windowState(), Qt::WindowNoState);
    EXPECT_EQ(Form.pos(), QPoint(120, 80));
    EXPECT_EQ(Form.size(), QSize(800, 600));

    // A fixed size is the fixed border: moved, also by the fallback, never resized.
    QWidget fixed;
    fixed.setObjectName("FrmTest");
    fixed.setFixedSize(300, 200);
    Screen().SetSize(800, 768);
    RestoreFormPlacement(&fixed, &Settings);
    EXPECT_EQ(fixed.pos(), QPoint(400, 80));
    EXPECT_EQ(fixed.size(), QSize(300, 200));
}

TEST_F(Placement, MissingOrDamagedEntries)
{
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(10, 20));
    EXPECT_EQ(Form.size(), QSize(300, 200));
    EXPECT_EQ(FileText(Name), "[Forms]\nFrmTest=\n"); // the default write-back of an empty entry

    Store("50,x");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(50, 0));

    Store("2147483647,2147483647,2147483647,2147483647,-3");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.windowState(), Qt::WindowNoState);
    EXPECT_EQ(Form.pos(), QPoint(1024 - 400, 768 - 400));
    EXPECT_EQ(Form.size(), QSize(400, 400));
}

TEST_F(Placement, WindowsNoScreenWouldShowComeBack)
{
    // The title bar above the screen, as after starts that crept upwards.
    Store("120,-18,800,600,0");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(120, 0));
    EXPECT_EQ(Form.size(), QSize(800, 600));
    // Mostly to the left of the screen: too little to take hold of.
    Store("-720,80,800,600,0");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(0, 80));
    // Enough of it shows: left as it is, also with a negative left edge.
    Store("-700,80,800,600,0");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(-700, 80));

    // Two screens, the second one left of the first and a panel on top of the first.
    Screen().SetWorkAreas({QRect(0, 30, 1024, 738), QRect(-1280, 0, 1280, 1024)});
    Store("-1000,400,800,300,0");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(-1000, 400)) << "on the second screen";
    Store("100,10,800,600,0");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(100, 30)) << "below the panel";
    Store("-1000,-300,800,600,0");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(-1000, 0)) << "onto the screen that showed most of it";
    Store("5000,5000,300,200,0"); // the fallback first, then the screen
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(624, 368));
    Screen().SetWorkAreas({});

    // The window's size as it will be shown counts: the stored one within the form's minimum.
    Form.setMinimumSize(500, 500);
    Store("-350,100,60,60,0");
    RestoreFormPlacement(&Form, &Settings);
    EXPECT_EQ(Form.pos(), QPoint(-350, 100));
}

namespace {

class TCursorSpyDialogs : public TScriptedDialogs {
public:
    TCursor SeenCursor = crHourGlass;
    int MessageDlg(QWidget *parent, const std::string &title, const std::string &text, TMsgDlgType type,
                   unsigned buttons) override
    {
        SeenCursor = Screen().Cursor();
        return TScriptedDialogs::MessageDlg(parent, title, text, type, buttons);
    }
};

} // namespace

TEST(ProgressGlobal, ExistsFromTheStart)
{
    ASSERT_NE(Progress, nullptr);
}

TEST(MsgBoxTest, ShowsTheNormalCursorAndReturnsTheButton)
{
    TCursorSpyDialogs dialogs;
    dialogs.MessageAnswers = {mrNo};
    Progress->Start(poHourGlass, "", 100);
    EXPECT_EQ(MsgBox("Really?", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
    Progress->Stop();
    EXPECT_EQ(dialogs.SeenCursor, crDefault);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Title, ApplicationTitle());
    EXPECT_EQ(dialogs.Messages[0].Text, "Really?");
    EXPECT_EQ(dialogs.Messages[0].Type, mtConfirmation);
    EXPECT_EQ(dialogs.Messages[0].Buttons, unsigned(mbYes | mbNo | mbCancel));

    EXPECT_EQ(MsgBox("Gone.", MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(dialogs.Messages[1].Type, mtWarning);
    EXPECT_EQ(dialogs.Messages[1].Buttons, unsigned(mbOK));
}
