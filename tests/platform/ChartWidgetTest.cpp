#include "platform/ChartWidget.h"

#include "tests/common/ScriptedDialogs.h"
#include "tests/platform/ChartSamples.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {

void ShowAndPaint(TChart &chart)
{
    chart.resize(600, 400);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart.RenderCount() > 0; }));
}

void Drag(TChart &chart, QPoint from, QPoint to)
{
    QTest::mousePress(&chart, Qt::LeftButton, {}, from);
    QTest::mouseMove(&chart, (from + to) / 2);
    QTest::mouseMove(&chart, to);
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, to);
}

} // namespace

TEST(Chart3D, AnglesAreStoredAsGivenAndRepaintOnlyOnChange)
{
    TChart chart;
    AddFamily(chart, 5, 20);
    chart.SetView3D(true);
    ShowAndPaint(chart);
    chart.View3DOptions().SetRotation(300);
    for (int i = 0; i < 31; ++i)
        chart.View3DOptions().SetRotation(chart.View3DOptions().Rotation() - 10);
    EXPECT_EQ(chart.View3DOptions().Rotation(), -10);
    chart.View3DOptions().SetElevation(365);
    EXPECT_EQ(chart.View3DOptions().Elevation(), 365);

    const int before = chart.RenderCount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return chart.RenderCount() > before; }));

    // Repaints without a change copy the cached image; an unchanged value
    // is no change.
    const int settled = chart.RenderCount();
    chart.View3DOptions().SetRotation(-10);
    chart.repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.RenderCount(), settled);
}

TEST(ChartZoom, RubberBandZoomsAndDraggingBackUndoes)
{
    for (const bool view3D : {false, true}) {
        SCOPED_TRACE(view3D ? "3D" : "2D");
        TChart chart;
        chart.SetAnimatedZoom(false);
        chart.SetView3D(view3D);
        chart.View3DOptions().SetRotation(340);
        auto *s = new TLineSeries(chart);
        for (int i = 0; i <= 100; ++i)
            s->AddXY(i, i);
        ShowAndPaint(chart);
        QSignalSpy undone(&chart, &TChart::OnUndoZoom);
        EXPECT_EQ(chart.BottomAxis().Minimum(), 0);
        EXPECT_EQ(chart.BottomAxis().Maximum(), 100);

        Drag(chart, QPoint(200, 120), QPoint(380, 260));
        ASSERT_TRUE(chart.Zoomed());
        EXPECT_GT(chart.BottomAxis().Minimum(), 5);
        EXPECT_LT(chart.BottomAxis().Maximum(), 95);
        EXPECT_LT(chart.BottomAxis().Minimum(), chart.BottomAxis().Maximum());
        EXPECT_GT(chart.LeftAxis().Minimum(), 5);
        EXPECT_LT(chart.LeftAxis().Maximum(), 95);
        EXPECT_EQ(undone.count(), 0);

        Drag(chart, QPoint(380, 260), QPoint(200, 120));
        EXPECT_FALSE(chart.Zoomed());
        EXPECT_EQ(undone.count(), 1);
        EXPECT_EQ(chart.BottomAxis().Minimum(), 0);
        EXPECT_EQ(chart.BottomAxis().Maximum(), 100);

        // A click is no zoom.
        QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(300, 200));
        EXPECT_FALSE(chart.Zoomed());
    }
}

TEST(ChartZoom, AnimatedZoomEndsOnTheBandAndUndoZoomRaisesTheEvent)
{
    TChart chart;
    auto *s = new TLineSeries(chart);
    for (int i = 0; i <= 100; ++i)
        s->AddXY(i, i);
    ShowAndPaint(chart);
    QSignalSpy undone(&chart, &TChart::OnUndoZoom);

    chart.SetAnimatedZoom(false);
    Drag(chart, QPoint(200, 120), QPoint(380, 260));
    const double min = chart.BottomAxis().Minimum(), max = chart.BottomAxis().Maximum();
    chart.UndoZoom();

    chart.SetAnimatedZoom(true);
    Drag(chart, QPoint(200, 120), QPoint(380, 260));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return std::abs(chart.BottomAxis().Minimum() - min) < 1e-9 &&
               std::abs(chart.BottomAxis().Maximum() - max) < 1e-9;
    }));
    chart.UndoZoom();
    EXPECT_EQ(undone.count(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return chart.BottomAxis().Maximum() == 100; }));
}
