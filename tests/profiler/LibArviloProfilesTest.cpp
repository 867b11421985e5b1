// The profile routines of a variation: steps, the Bo solve and one point of
// each kind, checked against the model written out again for the tests.
#include "profiler/LibArvilo.h"

#include "platform/ChartWidget.h"
#include "platform/Exceptions.h"
#include "profiler/UntArviloPnlStart.h"

#include <QComboBox>
#include <gtest/gtest.h>

#include "tests/common/ModelOracle.h"
#include "tests/common/OneVariation.h"

#include <cmath>
#include <limits>

namespace {

struct Profiles : TOneVariation {};

} // namespace

TEST_F(Profiles, StepValueRunsFromTheMinimumAndNeverReachesTheMaximum)
{
    V->Steps = 300;
    V->XStep = 1;
    V->SeriesStep = 300;
    EXPECT_EQ(V->StepValue(false, 30, 50), 30.0);
    EXPECT_NEAR(V->StepValue(true, 30, 50), 49.9333333333, 1e-9);
    V->XStep = 300;
    EXPECT_NEAR(V->StepValue(false, 30, 50), 49.9333333333, 1e-9);
    EXPECT_NEAR(V->StepValue(false, 50, 30), 30.0666666667, 1e-9) << "a reversed range steps downwards";
}

TEST_F(Profiles, SolveBoAndSingleBo)
{
    EXPECT_NEAR(V->SingleBo(), 62.1806, 1e-4);
    EXPECT_NEAR(SolveBo(43.4, 29.5611, 0), 62.1903, 1e-4);
    EXPECT_NEAR(SOf(43.4, SolveBo(43.4, 29.5611, 0)), 29.5611, 1e-10);
    // Where not even plug flow kills that much, and where even ideal mixing does.
    EXPECT_EQ(SolveBo(30, 30, 0), std::numeric_limits<double>::infinity());
    EXPECT_EQ(SolveBo(43.4, 3.7, 0), -1.0);
    // Beyond the iteration's stop at 1000 the true root.
    const double high = SolveBo(30, 29.99, 0);
    EXPECT_GT(high, 1000);
    EXPECT_NEAR(SOf(30, high), 29.99, 1e-10);
}

TEST_F(Profiles, PointsUseTheFixedValuesAndTheSteppedOnes)
{
    TArviloVarParams &p = V->Params;
    V->Steps = 10;
    for (int i = 1; i <= V->Steps; ++i) {
        V->XStep = i;
        double z, x;
        // Profile 3: n stepped, Da always the fixed 43.4 whatever its range holds.
        p.Profile = 3;
        p.DaMin = 1;
        p.DaMax = 2;
        V->Point2DBo(z, x);
        EXPECT_DOUBLE_EQ(x, 3 + (i - 1) * 99.7);
        EXPECT_NEAR(SOf(43.4, z), STanksOf(x, 43.4), 1e-9) << "n " << x;
        // Profile 7: the fixed n 10 is Bo 9 + sqrt(108) = 19.3923 for every Da.
        p.Profile = 7;
        p.DaMin = 30;
        p.DaMax = 50;
        V->Point2DS(z, x);
        EXPECT_DOUBLE_EQ(x, 30 + (i - 1) * 2.0);
        EXPECT_NEAR(z, SOf(x, 9 + std::sqrt(108.0)), 1e-10);
    }
    // Profile 11: the caption value of series k steps through the Bo range.
    p.Profile = 11;
    for (const int k : {1, 4, 10}) {
        V->SeriesStep = k;
        double y;
        V->SeriesValue(y);
        EXPECT_DOUBLE_EQ(y, 5 + (k - 1) * 99.5);
    }
    // Profile 10: S of n tanks at the series' Da.
    p.Profile = 10;
    V->SeriesStep = 3;
    V->XStep = 2;
    double z, x, y;
    V->Point3DBo(z, x, y);
    EXPECT_DOUBLE_EQ(y, 34.0);
    EXPECT_DOUBLE_EQ(x, 3 + 99.7);
    EXPECT_NEAR(SOf(y, z), STanksOf(x, y), 1e-9);
}

TEST_F(Profiles, FaultsOfTheSPointsPropagate)
{
    V->Params.Profile = 6;
    V->Params.NMin = 0.5; // fewer than one cell has no Bo
    V->Steps = 10;
    V->XStep = 1;
    double z, x;
    EXPECT_THROW(V->Point2DS(z, x), EInvalidOp);
    V->Params.Profile = 12;
    V->SeriesStep = 1;
    double y;
    EXPECT_THROW(V->Point3DS(z, x, y), EInvalidOp);
}

TEST(ProfileHelpers, ComboAndSeries)
{
    QComboBox combo;
    combo.addItem("old");
    FillProfileCombo(&combo);
    ASSERT_EQ(combo.count(), 13);
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_FALSE(combo.isEditable());
    EXPECT_EQ(combo.itemText(7), QStringLiteral("S [n] (Da)"));
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(combo.itemData(i).toInt(), i);

    // The run finds series j at index j - 1: each is appended last, and its
    // markers follow the flag.
    TChart chart;
    AddLineSeries("a", &chart, true);
    AddLineSeries("b", &chart, false);
    ASSERT_EQ(chart.SeriesCount(), 2);
    EXPECT_EQ(chart.Series(1)->Title(), "b");
    EXPECT_TRUE(dynamic_cast<TLineSeries &>(*chart.Series(0)).Pointer().Visible());
    EXPECT_FALSE(dynamic_cast<TLineSeries &>(*chart.Series(1)).Pointer().Visible());
    ClearSeries(&chart);
    EXPECT_EQ(chart.SeriesCount(), 0);
}
