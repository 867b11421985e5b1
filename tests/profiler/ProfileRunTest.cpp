// The profile run on several threads against the same run evaluated point by
// point on one thread: every value bit for bit, the series, their titles and
// colours, and a fault of one point raising what it raised, where it raised.
#include "profiler/LibArvilo.h"
#include "profiler/UntArviloPnlStart.h"

#include "base/VrnStrings.h"
#include "platform/ChartWidget.h"
#include "platform/Exceptions.h"
#include "platform/LocaleInfo.h"

#include <QFrame>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include "tests/common/OneVariation.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <fpu_control.h>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// What an exception says, class and message.
std::string Describe(const std::exception_ptr &fault)
{
    try {
        std::rethrow_exception(fault);
    } catch (const Exception &e) {
        return std::string(typeid(e).name()) + ": " + e.Message;
    } catch (const std::exception &e) {
        return std::string(typeid(e).name()) + ": " + e.what();
    }
}

// The default variation and two others: reversed ranges, and ranges that
// run into faults part-way (fewer than one cell, Bo 0, Da 0).
void Variation(int which, TArviloVarParams &p)
{
    DefaultVarParams(p);
    if (which == 1) {
        p.Da = 12.5, p.S = 8, p.Bo = 20, p.N = 4;
        p.DaMin = 50, p.DaMax = 5, p.SMin = 2, p.SMax = 60;
        p.BoMin = 0.5, p.BoMax = 300, p.NMin = 1.5, p.NMax = 40;
    } else if (which == 2) {
        p.Da = 0, p.S = 0, p.Bo = 0, p.N = 0.5;
        p.DaMin = 0, p.DaMax = 100, p.SMin = 0, p.SMax = 120;
        p.BoMin = 0, p.BoMax = 2000, p.NMin = 10, p.NMax = 0;
    }
}

// The run as it was written first: one point after the other on this
// thread, through the variation's own counters, ending at the first fault.
struct TSerialRun {
    std::vector<TProfilePoints::TPoint> Points;
    std::exception_ptr Fault;
};

TSerialRun SerialRun(TArvilo_Var &v, int steps)
{
    TSerialRun run;
    const int profile = v.ProfileIndex();
    const bool bo = ProfileAxes[profile][axZ] == qBo;
    const bool threeD = ProfileChartKind[profile] == ck3D;
    v.Steps = steps;
    try {
        for (int j = 1; j <= (threeD ? steps : 1); ++j) {
            v.SeriesStep = j;
            for (int i = 1; i <= steps; ++i) {
                v.XStep = i;
                TProfilePoints::TPoint p;
                if (threeD)
                    bo ? v.Point3DBo(p.Z, p.X, p.Y) : v.Point3DS(p.Z, p.X, p.Y);
                else
                    bo ? v.Point2DBo(p.Z, p.X) : v.Point2DS(p.Z, p.X);
                run.Points.push_back(p);
            }
        }
    } catch (...) {
        run.Fault = std::current_exception();
    }
    return run;
}

void ExpectSameRun(const TSerialRun &serial, const TProfilePoints &threaded)
{
    ASSERT_EQ(threaded.FaultAt, serial.Points.size());
    ASSERT_EQ(static_cast<bool>(threaded.Fault), static_cast<bool>(serial.Fault));
    if (serial.Fault) {
        EXPECT_EQ(Describe(threaded.Fault), Describe(serial.Fault));
    }
    for (std::size_t k = 0; k < serial.Points.size(); ++k) {
        const TProfilePoints::TPoint &a = serial.Points[k], &b = threaded.Points[k];
        ASSERT_EQ(Bits(a.Z), Bits(b.Z)) << "point " << k;
        ASSERT_EQ(Bits(a.X), Bits(b.X)) << "point " << k;
        ASSERT_EQ(Bits(a.Y), Bits(b.Y)) << "point " << k;
    }
}

struct ProfileRun : TOneVariation {};

// Every variation with every profile but the single values, set on the
// variation and named in the trace; stops at the first fatal failure.
template <class TCheck> void ForEachCase(TArvilo_Var &v, TCheck &&Check)
{
    for (int which = 0; which < 3; ++which)
        for (int profile = 1; profile < ProfileCount; ++profile) {
            SCOPED_TRACE("variation " + std::to_string(which) + " profile " + std::to_string(profile));
            Variation(which, v.Params);
            v.Params.Profile = static_cast<std::uint8_t>(profile);
            Check(profile);
            if (::testing::Test::HasFatalFailure())
                return;
        }
}

} // namespace

TEST_F(ProfileRun, ThreadedPointsEqualThePointsOneAfterTheOther)
{
    int faults = 0;
    ForEachCase(*V, [&](int profile) {
        const int steps = ProfileChartKind[profile] == ck3D ? 100 : 1000;
        const TSerialRun serial = SerialRun(*V, steps);
        faults += serial.Fault ? 1 : 0;
        // Counters of the variation that the threads must not use.
        V->XStep = 7, V->SeriesStep = 3, V->Steps = 5;
        ExpectSameRun(serial, ComputeProfilePoints(*V, steps, 8));
        EXPECT_EQ(V->XStep, 7);
        EXPECT_EQ(V->SeriesStep, 3);
    });
    if (HasFatalFailure())
        return; // the faults were not all counted
    EXPECT_GE(faults, 4) << "the third variation runs into faults";
}

TEST_F(ProfileRun, ThreadsComputeWithTheControlWordOfTheCaller)
{
    // Double instead of extended precision: every Newton step rounds
    // differently, so threads with the default control word would differ.
    Variation(0, V->Params);
    V->Params.Profile = 8;
    // New threads start with the control word of the thread that makes them:
    // the helpers are made here, before the control word changes.
    ComputeProfilePoints(*V, 30, 4);
    fpu_control_t saved;
    _FPU_GETCW(saved);
    const fpu_control_t doublePrecision = (saved & ~_FPU_EXTENDED) | _FPU_DOUBLE;
    _FPU_SETCW(doublePrecision);
    const TSerialRun serial = SerialRun(*V, 30);
    const TProfilePoints threaded = ComputeProfilePoints(*V, 30, 4);
    _FPU_SETCW(saved);
    ExpectSameRun(serial, threaded);
    const TSerialRun extended = SerialRun(*V, 30);
    int differing = 0;
    for (std::size_t k = 0; k < extended.Points.size(); ++k)
        differing += Bits(extended.Points[k].Z) != Bits(serial.Points[k].Z) ? 1 : 0;
    EXPECT_GT(differing, 0) << "the precision must matter for this check to mean anything";
}

TEST_F(ProfileRun, NothingToComputeForSingleValuesOrNoSteps)
{
    V->Params.Profile = 0;
    EXPECT_TRUE(ComputeProfilePoints(*V, 100).Points.empty());
    V->Params.Profile = 8;
    const TProfilePoints none = ComputeProfilePoints(*V, 0);
    EXPECT_TRUE(none.Points.empty());
    EXPECT_EQ(none.FaultAt, 0u);
    EXPECT_FALSE(none.Fault);
}

// ---- through the panel ----

namespace {

struct TShownSeries {
    std::string Title;
    QColor Colour, Line, Area;
    std::vector<std::pair<double, double>> Points;
};

struct TShownRun {
    std::vector<TShownSeries> Series;
    std::string Fault;
};

TShownRun Shown(TChart &chart, const std::string &fault)
{
    TShownRun run;
    run.Fault = fault;
    for (int j = 0; j < chart.SeriesCount(); ++j) {
        const TChartSeries &s = *chart.Series(j);
        TShownSeries shown{s.Title(), s.SeriesColor(), s.LinePen().Color(), s.AreaColor(), {}};
        for (int i = 0; i < s.Count(); ++i)
            shown.Points.emplace_back(s.XValue(i), s.YValue(i));
        run.Series.push_back(shown);
    }
    return run;
}

// What the run drew when it evaluated its points one after the other: the
// same series, cuts and colours, points added as they were computed.
TShownRun SerialPanelRun(TArvilo_Var &v)
{
    TChart chart;
    const TArviloVarParams &p = v.Params;
    const int profile = v.ProfileIndex();
    const bool bo = ProfileAxes[profile][axZ] == qBo;
    const double lowCut = bo ? 5 : 0, zMax = bo ? p.ZMaxBo : p.ZMaxS;
    std::string fault;
    try {
        if (ProfileChartKind[profile] == ck2D) {
            AddLineSeries(ProfileNames[profile], &chart, p.ShowPoints);
            v.Steps = p.Resolution * 100;
            for (int i = 1; i <= v.Steps; ++i) {
                v.XStep = i;
                double z = 0, x = 0;
                bo ? v.Point2DBo(z, x) : v.Point2DS(z, x);
                if (lowCut < z && z <= zMax)
                    chart.Series(0)->AddXY(x, z);
            }
        } else {
            v.Steps = p.Resolution * 10;
            for (int j = 1; j <= v.Steps; ++j) {
                v.SeriesStep = j;
                double y = 0;
                v.SeriesValue(y);
                AddLineSeries(std::string(VarNames[ProfileAxes[profile][axY]]) + " ["
                                  + FloatToDecStr(y, 2, SystemDecimalSeparator(), '\0') + "]",
                              &chart, p.ShowPoints);
                TChartSeries *series = chart.Series(j - 1);
                const int f = static_cast<int>(std::nearbyint(j * 255.0 / (p.Resolution * 10)));
                series->SetSeriesColor(QColor(f, 255 - f, 0));
                series->LinePen().SetColor(QColor(f, f, 0));
                series->SetAreaColor(QColor(f, f, 0));
                for (int i = 1; i <= v.Steps; ++i) {
                    v.XStep = i;
                    double z = 0, x = 0, yy = 0;
                    bo ? v.Point3DBo(z, x, yy) : v.Point3DS(z, x, yy);
                    if (lowCut < z && z <= zMax)
                        series->AddXY(x, z);
                }
            }
        }
    } catch (...) {
        fault = Describe(std::current_exception());
    }
    return Shown(chart, fault);
}

} // namespace

TEST_F(ProfileRun, PanelDrawsWhatTheRunOnOneThreadDrew)
{
    const TProjectScope scope(&Doc);
    QWidget host;
    TFrmPnlParameter form;
    auto *layout = new QVBoxLayout(&host);
    layout->addWidget(form.PnlStart);
    form.InitProfiles();
    int faults = 0;
    ForEachCase(*V, [&](int) {
        V->Params.Resolution = 10;
        std::string fault;
        try {
            form.ShowVariation(V); // stores the panel and runs the profile
        } catch (...) {
            fault = Describe(std::current_exception());
        }
        const TShownRun threaded = Shown(*form.CrtChart, fault);
        const int xStep = V->XStep, seriesStep = V->SeriesStep, steps = V->Steps;
        const TShownRun serial = SerialPanelRun(*V);
        faults += serial.Fault.empty() ? 0 : 1;
        EXPECT_EQ(threaded.Fault, serial.Fault);
        EXPECT_EQ(xStep, V->XStep);
        EXPECT_EQ(seriesStep, V->SeriesStep);
        EXPECT_EQ(steps, V->Steps);
        ASSERT_EQ(threaded.Series.size(), serial.Series.size());
        for (std::size_t j = 0; j < serial.Series.size(); ++j) {
            const TShownSeries &a = serial.Series[j], &b = threaded.Series[j];
            EXPECT_EQ(b.Title, a.Title);
            EXPECT_EQ(b.Colour, a.Colour);
            EXPECT_EQ(b.Line, a.Line);
            EXPECT_EQ(b.Area, a.Area);
            ASSERT_EQ(b.Points.size(), a.Points.size()) << "series " << j;
            for (std::size_t i = 0; i < a.Points.size(); ++i) {
                ASSERT_EQ(Bits(b.Points[i].first), Bits(a.Points[i].first)) << "series " << j << " point " << i;
                ASSERT_EQ(Bits(b.Points[i].second), Bits(a.Points[i].second)) << "series " << j << " point " << i;
            }
        }
    });
    if (HasFatalFailure())
        return;
    EXPECT_GE(faults, 3) << "the third variation runs into faults";
}
