#include "base/VrnCmpStandard.h"
#include "base/VrnProgressGui.h"
#include "platform/Screen.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <thread>

namespace {

// A progress window that counts what reaches it.
class TCountingWindow : public TFrmProgress {
public:
    int Texts = 0;
    int Positions = 0;
    int Refreshes = 0;
    int LastPosition = -1;
    void SetText(const std::string &) override { ++Texts; }
    void SetPosition(int Position) override
    {
        ++Positions;
        LastPosition = Position;
        TFrmProgress::SetPosition(Position);
    }
    void Refresh() override { ++Refreshes; }
};

class ProgressCursor : public ::testing::Test {
protected:
    void SetUp() override { Screen().SetCursor(crDefault); }
    void TearDown() override
    {
        Stack.StopAll();
        Screen().SetCursor(crDefault);
    }
    TGuiProgress Stack;
};

} // namespace

TEST_F(ProgressCursor, FollowsTheInnermostEntry)
{
    // Both ask for the hourglass.
    Stack.Start(poHourGlass, "", 100);
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Stack.Start(poHourGlass, "", 100);
    Stack.Stop();
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    Stack.Stop();
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // An inner entry without the bit under one with it.
    Stack.Start(poHourGlass, "", 100);
    Stack.Start(0, "", 100);
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    Stack.Stop();
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    Stack.Stop();

    // An inner entry with the bit under one without: its Stop gives the default cursor.
    Stack.Start(0, "", 100);
    Stack.Start(poHourGlass, "", 100);
    Stack.Stop();
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(Stack.Count, 1);
    Stack.Stop();

    // A single entry without the bit leaves the cursor alone, then resets it.
    Screen().SetCursor(crHourGlass);
    Stack.Start(0, "", 100);
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    Stack.Stop();
    EXPECT_EQ(Screen().Cursor(), crDefault);

    // Stop on an empty stack removes nothing and sets the default cursor.
    Screen().SetCursor(crHourGlass);
    Stack.Stop();
    EXPECT_EQ(Stack.Count, 0);
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Progress, Estimate)
{
    double e = -1;
    EstimateTotal(25, 100, e, 0, 10);
    EXPECT_EQ(e, 40);
    EstimateTotal(0, 100, e, 0, 10);
    EXPECT_EQ(e, 0);
    e = -1;
    EstimateTotal(25, 100, e, 10, 10);
    EXPECT_EQ(e, 0);
}

TEST(Progress, EntryWithoutWindowChangesNothing)
{
    TGuiProgress p;
    p.Start(0, "", 100);
    auto *node = static_cast<TGuiProgressNode *>(p.Last);
    node->SetText("x");
    node->SetPosition(5, 7);
    node->Refresh();
    EXPECT_EQ(node->Max, 100);
    EXPECT_EQ(node->NextTextTick, 0u);
    EXPECT_EQ(node->NextPosTick, 0u);
    EXPECT_EQ(node->Elapsed, 0);
    EXPECT_FALSE(node->Cancelled());
}

TEST(Progress, WindowUpdatesAreThrottled)
{
    TGuiProgress p;
    p.UpdateInterval = 60000; // nothing in this test takes that long
    p.Start(0, "", 100);
    auto *node = static_cast<TGuiProgressNode *>(p.Last);
    TCountingWindow window;
    node->Window = &window;

    node->SetText("a");
    node->SetText("b");
    EXPECT_EQ(window.Texts, 1);

    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    node->SetPosition(25, 50);
    EXPECT_EQ(window.Positions, 1);
    EXPECT_EQ(window.LastPosition, 25);
    EXPECT_EQ(window.Gauge->Position, 25);
    EXPECT_GT(node->Elapsed, 0);
    EXPECT_DOUBLE_EQ(node->EstDuration, node->Elapsed * 50 / 25);
    EXPECT_DOUBLE_EQ(node->EstEnd, node->StartCopy + node->EstDuration);
    // Skipped, but the maximum is taken all the same.
    node->SetPosition(30, 60);
    EXPECT_EQ(window.Positions, 1);
    EXPECT_EQ(node->Max, 60);

    node->Refresh();
    EXPECT_EQ(window.Refreshes, 1);

    // The deadline passes: updates reach the window again.
    p.UpdateInterval = 1;
    node->NextTextTick = 0;
    node->NextPosTick = 0;
    node->SetText("c");
    node->SetPosition(0, 60);
    EXPECT_EQ(window.Texts, 2);
    EXPECT_EQ(window.Positions, 2);
    EXPECT_EQ(node->EstDuration, 0); // no position reached: no estimate
    EXPECT_EQ(node->EstEnd, 0);
}

TEST(Progress, WindowCanBeShown)
{
    TFrmProgress window;
    window.show();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.size(), QSize(313, 98));
    EXPECT_EQ(window.windowTitle(), "Progress Form");
    EXPECT_NE(window.findChild<QWidget *>("PaintBox"), nullptr);
    window.SetPosition(150);
    EXPECT_EQ(window.Gauge->Position, window.Gauge->Max);
}
