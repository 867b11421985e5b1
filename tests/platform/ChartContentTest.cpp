#include "platform/ChartContent.h"

#include "platform/ChartWidget.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

TEST(ChartSeries, KeepsPointsInAscendingXWithEqualXInArrivalOrder)
{
    TChart chart;
    TLineSeries series(chart);
    EXPECT_EQ(series.AddXY(3, 30), 0);
    EXPECT_EQ(series.AddXY(1, 10), 0);
    series.AddXY(2, 20);
    series.AddXY(2, 21);
    EXPECT_EQ(series.AddXY(2, 22), 3);
    series.AddXY(0, 0);
    EXPECT_EQ(series.AddXY(NAN, 1), -1);
    EXPECT_EQ(series.AddXY(1, INFINITY), -1);

    ASSERT_EQ(series.Count(), 6);
    const double xs[] = {0, 1, 2, 2, 2, 3}, ys[] = {0, 10, 20, 21, 22, 30};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(series.XValue(i), xs[i]) << i;
        EXPECT_EQ(series.YValue(i), ys[i]) << i;
    }
    series.Clear();
    EXPECT_EQ(series.Count(), 0);
}

TEST(ChartSeries, BelongToTheChartUntilDeleted)
{
    struct TTracked : TLineSeries {
        TTracked(TChart &chart, bool &freed) : TLineSeries(chart), Freed(freed) {}
        ~TTracked() override { Freed = true; }
        bool &Freed;
    };
    bool firstFreed = false, secondFreed = false;
    {
        TChart chart;
        auto *a = new TTracked(chart, firstFreed);
        auto *b = new TLineSeries(chart);
        new TTracked(chart, secondFreed);
        ASSERT_EQ(chart.SeriesCount(), 3);
        EXPECT_EQ(chart.Series(0), a);
        EXPECT_EQ(chart.Series(1), b);
        EXPECT_EQ(a->ParentChart(), &chart);
        EXPECT_NE(a->SeriesColor(), b->SeriesColor()) << "each series gets its own automatic colour";

        // Freed from the last to the first, as the profile run clears the chart.
        delete chart.Series(1);
        EXPECT_EQ(chart.SeriesCount(), 2);
        EXPECT_EQ(chart.Series(0), a);
        delete chart.Series(0);
        EXPECT_TRUE(firstFreed);
        EXPECT_EQ(chart.SeriesCount(), 1);
        EXPECT_FALSE(secondFreed);
    }
    EXPECT_TRUE(secondFreed) << "the chart frees the series left on it";
}

TEST(Chart3D, TurnsStayDefinedAtTheLimitsOfInt)
{
    constexpr int Max = std::numeric_limits<int>::max(), Min = std::numeric_limits<int>::min();
    EXPECT_EQ(TurnDegrees(300, 10), 310);
    EXPECT_EQ(TurnDegrees(0, -10), -10);
    EXPECT_EQ(TurnDegrees(Max - 10, 10), Max) << "the last value that fits is kept";
    EXPECT_EQ(TurnDegrees(Max, 10), Max - 350);
    EXPECT_EQ(TurnDegrees(Max - 5, 10), Max - 355);
    EXPECT_EQ(TurnDegrees(Min, -5), Min + 355);
    EXPECT_EQ(TurnDegrees(Min + 4, -5), Min + 359);
    EXPECT_EQ(TurnDegrees(Max, Max), 2147483414) << "as many whole turns fewer as it takes";
    for (const auto &[degrees, step] : {std::pair{Max, Max}, std::pair{Min, Min}, std::pair{Max, Min}}) {
        const long long sum = static_cast<long long>(degrees) + step;
        const int turned = TurnDegrees(degrees, step);
        EXPECT_EQ((sum - turned) % 360, 0) << degrees << " + " << step;
    }
}

TEST(ChartContent, DataRangeCoversTheActiveSeriesOnRoundValues)
{
    TChartContent content;
    auto range = [&] {
        const TChartRange r = content.DataRange();
        return std::vector<double>{r.XMin, r.XMax, r.YMin, r.YMax};
    };
    EXPECT_EQ(range(), (std::vector<double>{0, 1, 0, 1})) << "no points";
    auto *a = new TLineSeries(content);
    a->AddXY(30.5, 41);
    a->AddXY(49.2, 977);
    auto *b = new TLineSeries(content);
    b->AddXY(-100, 5000);
    b->SetActive(false);
    EXPECT_EQ(range(), (std::vector<double>{30, 50, 0, 1000})) << "inactive series take no part";
    EXPECT_EQ(content.BottomAxis().Maximum(), 50) << "the axes show the data's range unless zoomed";
    EXPECT_EQ(content.LeftAxis().Minimum(), 0);

    // A single value is padded to a range an axis can show.
    a->Clear();
    a->AddXY(0, 5);
    const TChartRange flat = content.DataRange();
    EXPECT_EQ(flat.XMin, -1);
    EXPECT_EQ(flat.XMax, 1);
    EXPECT_LT(flat.YMin, 5);
    EXPECT_GT(flat.YMax, 5);
}

TEST(ChartContent, EveryChangeOfWhatIsShownIsReportedOnce)
{
    struct TCounted : TChartContent {
        int Changes = 0;
        void Changed() override { ++Changes; }
    } content;
    auto *s = new TLineSeries(content);
    EXPECT_EQ(content.Changes, 1) << "a new series";
    s->SetTitle("a");
    s->SetTitle("a");
    content.View3DOptions().SetRotation(content.View3DOptions().Rotation());
    content.SetChart3DPercent(500);
    content.SetChart3DPercent(100);
    EXPECT_EQ(content.Changes, 3) << "an unchanged value is no change";
    s->Pointer().SetVisible(true);
    s->LinePen().SetColor(Qt::red);
    s->AddXY(1, 2);
    s->Clear();
    s->Clear();
    EXPECT_EQ(content.Changes, 7);
    delete s;
    EXPECT_EQ(content.Changes, 8) << "a series removed";
}
