// The parameter panel: values between controls and variation, the profile
// run checked point by point against the model, the chart actions, printing
// and the full-screen window.
#include "profiler/UntArviloPnlStart.h"

#include "base/VrnCmpStandard.h"
#include "platform/ChartWidget.h"
#include "platform/Exceptions.h"
#include "platform/LocaleInfo.h"
#include "platform/Screen.h"
#include "platform/SystemText.h"
#include "profiler/LibArvilo.h"
#include "profiler/libNavFullScreen.h"
#include "tests/common/GermanLocale.h"
#include "tests/common/ModelOracle.h"
#include "tests/common/OneVariation.h"
#include "tests/common/ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

struct TProfileRow {
    int Kind;
    const char *Name;
    TQuantity X, Y, Z;
};
const TProfileRow Rows[13] = {
    {0, "Bo [Da, S]", qBo, qBo, qBo}, {1, "Bo (Da)[S]", qDa, qDa, qBo}, {1, "Bo (S)[Da]", qS, qS, qBo},
    {1, "Bo (n)[Da]", qN, qS, qBo},   {1, "S [Bo](Da)", qDa, qDa, qS},  {1, "S [Da](Bo)", qBo, qBo, qS},
    {1, "S [Da](n)", qN, qN, qS},     {1, "S [n] (Da)", qDa, qDa, qS},  {2, "Bo (Da, S)", qDa, qS, qBo},
    {2, "Bo (S, Da)", qS, qDa, qBo},  {2, "Bo (n, Da)", qN, qDa, qBo},  {2, "S (Da, Bo)", qDa, qBo, qS},
    {2, "S (Da, n)", qDa, qN, qS}};
const char *const Names[4] = {"Da", "S", "Bo", "n"};

double Step(int i, int steps, double min, double max)
{
    return static_cast<double>(min + static_cast<long double>(i - 1) * (static_cast<long double>(max) - min) / steps);
}

void RangeOf(const TArviloVarParams &p, TQuantity q, double &min, double &max)
{
    const double mins[4] = {p.DaMin, p.SMin, p.BoMin, p.NMin}, maxs[4] = {p.DaMax, p.SMax, p.BoMax, p.NMax};
    min = mins[q];
    max = maxs[q];
}

struct TPoint {
    double X, Z;
};

// The points a run must draw, per series, in ascending X.
std::vector<std::vector<TPoint>> ExpectedRun(int profile, const TArviloVarParams &p)
{
    const TProfileRow &row = Rows[profile];
    const bool boOut = row.Z == qBo;
    const double lowCut = boOut ? 5 : 0, zMax = boOut ? p.ZMaxBo : p.ZMaxS;
    const int steps = row.Kind == 1 ? p.Resolution * 100 : p.Resolution * 10;
    std::vector<std::vector<TPoint>> result(row.Kind == 1 ? 1 : row.Kind == 2 ? steps : 0);
    for (std::size_t j = 1; j <= result.size(); ++j)
        for (int i = 1; i <= steps; ++i) {
            double da = p.Da, s = p.S, bo = profile == 7 ? BoOfCells(p.N) : p.Bo, n = -1, x = 0, min, max;
            auto apply = [&](TQuantity q, double v) { (q == qDa ? da : q == qS ? s : q == qBo ? bo : n) = v; };
            RangeOf(p, row.X, min, max);
            apply(row.X, x = Step(i, steps, min, max));
            if (row.Kind == 2) {
                RangeOf(p, row.Y, min, max);
                apply(row.Y, Step(static_cast<int>(j), steps, min, max));
            }
            if (n > 0)
                (boOut ? s : bo) = boOut ? STanksOf(n, da) : BoOfCells(n);
            if (boOut) {
                if (SOf(da, lowCut) < s && s <= SOf(da, zMax))
                    result[j - 1].push_back({x, BoOf(da, s, lowCut, zMax)});
            } else if (const double z = SOf(da, bo); lowCut < z && z <= zMax) {
                result[j - 1].push_back({x, z});
            }
        }
    for (auto &series : result)
        std::sort(series.begin(), series.end(), [](const TPoint &a, const TPoint &b) { return a.X < b.X; });
    return result;
}

int HalfEven(int num, int den)
{
    const int q = num / den, twice = 2 * (num % den);
    return q + (twice > den || (twice == den && q % 2 == 1) ? 1 : 0);
}

// ---- the panel, lent to a plain host as the main window does ----

class Panel : public TOneVariation {
protected:
    void SetUp() override
    {
        SetUserLocale(QLocale(QLocale::German, QLocale::Germany));
        Project = &Doc;
        auto *layout = new QVBoxLayout(&Host);
        layout->addWidget(F.PnlStart);
        F.InitProfiles();
        Host.resize(1000, 800);
        Host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Host));
    }
    void TearDown() override
    {
        Project = OldProject;
        ResetUserLocale();
    }

    void Show(const std::function<void(TArviloVarParams &)> &Change = {})
    {
        DefaultVarParams(V->Params);
        if (Change)
            Change(V->Params);
        F.ShowVariation(V);
    }
    TArviloVarParams &P() { return V->Params; }
    TChart &Chart() { return *F.CrtChart; }
    int Points(int Series = 0) { return Chart().Series(Series)->Count(); }
    void Type(QLineEdit *Edit, const char *Text)
    {
        Edit->clear();
        QTest::keyClicks(Edit, QString::fromLatin1(Text));
    }

    TArvilo *OldProject = Project;
    QWidget Host;
    TFrmPnlParameter F;
};

} // namespace

// ---- the profile run ----

TEST_F(Panel, EveryProfileAtEveryResolutionDrawsTheModel)
{
    for (int profile = 0; profile < 13; ++profile)
        for (const int res : {0, 1, 3, 10}) {
            SCOPED_TRACE("profile " + std::to_string(profile) + " resolution " + std::to_string(res));
            const TProfileRow &row = Rows[profile];
            Show([&](TArviloVarParams &p) {
                p.Profile = static_cast<std::uint8_t>(profile);
                p.Resolution = res;
            });
            EXPECT_EQ(Screen().Cursor(), crDefault);
            EXPECT_EQ(F.CrtChart->isHidden(), row.Kind == 0);
            EXPECT_EQ(F.lblBoOnly->isHidden(), row.Kind != 0);
            if (row.Kind == 0) {
                EXPECT_EQ(F.lblBoOnly->text(), QStringLiteral("Bodensteinzahl Bo = 62,18"));
                EXPECT_FALSE(F.CrtChart->isEnabled());
                EXPECT_EQ(Chart().SeriesCount(), 0);
                continue;
            }
            EXPECT_TRUE(F.CrtChart->isEnabled());
            EXPECT_EQ(Chart().Title(), row.Name);
            EXPECT_EQ(Chart().BottomAxis().Title(), Names[row.X]);
            EXPECT_EQ(Chart().LeftAxis().Title(), Names[row.Z]);
            EXPECT_EQ(Chart().LegendVisible(), row.Kind == 2) << "3D: ShowPoints is set";
            EXPECT_EQ(Chart().AnimatedZoom(), row.Kind == 1);
            if (row.Kind == 2) {
                EXPECT_EQ(Chart().Chart3DPercent(), 14 - res);
            }

            const auto expected = ExpectedRun(profile, P());
            ASSERT_EQ(Chart().SeriesCount(), static_cast<int>(expected.size()));
            double xMin, xMax;
            RangeOf(P(), row.X, xMin, xMax);
            for (int j = 0; j < Chart().SeriesCount(); ++j) {
                const TChartSeries &s = *Chart().Series(j);
                ASSERT_EQ(s.Count(), static_cast<int>(expected[j].size())) << "series " << j;
                for (int i = 0; i < s.Count(); ++i) {
                    EXPECT_DOUBLE_EQ(s.XValue(i), expected[j][i].X);
                    EXPECT_NEAR(s.YValue(i), expected[j][i].Z, 1e-9 * expected[j][i].Z);
                    EXPECT_TRUE((row.Z == qBo ? 5 : 0) < s.YValue(i) && s.YValue(i) <= (row.Z == qBo ? P().ZMaxBo : P().ZMaxS));
                }
                if (s.Count() > 0) {
                    EXPECT_LT(s.XValue(s.Count() - 1), xMax) << "the maximum is never reached";
                }
                if (row.Kind == 1) {
                    EXPECT_EQ(s.Title(), row.Name);
                    continue;
                }
                double yMin, yMax;
                RangeOf(P(), row.Y, yMin, yMax);
                const QString y = QString::number(Step(j + 1, res * 10, yMin, yMax), 'f', 2).replace('.', ',');
                EXPECT_EQ(ToQ(s.Title()), QStringLiteral("%1 [%2]").arg(Names[row.Y], y));
                const int f = HalfEven((j + 1) * 255, res * 10);
                EXPECT_EQ(s.SeriesColor(), QColor(f, 255 - f, 0));
                EXPECT_EQ(s.LinePen().Color(), QColor(f, f, 0));
                EXPECT_EQ(s.AreaColor(), QColor(f, f, 0));
            }
        }
}

TEST_F(Panel, TitlesAreShownAsPlainText)
{
    Show([](TArviloVarParams &p) { p.Title = "<h1>big</h1>"; });
    EXPECT_EQ(F.LblCaption->text(), "Var1 <h1>big</h1>");
    // Shown as markup, the caption would be a tall heading without its tags.
    QLabel plain(QStringLiteral("Var1 big"));
    plain.setFont(F.LblCaption->font());
    EXPECT_EQ(F.LblCaption->sizeHint().height(), plain.sizeHint().height());
    EXPECT_GT(F.LblCaption->sizeHint().width(), plain.sizeHint().width());
}

TEST_F(Panel, SeriesColoursRoundHalvesToEven)
{
    const std::vector<int> res1 = {26, 51, 76, 102, 128, 153, 178, 204, 230, 255};
    for (const auto &[res, reds] : {std::pair{1, res1}, std::pair{3, std::vector<int>{8, 17, 26, 34, 42}}}) {
        Show([res](TArviloVarParams &p) { p.Resolution = res; });
        for (std::size_t j = 0; j < reds.size(); ++j)
            EXPECT_EQ(Chart().Series(static_cast<int>(j))->SeriesColor(), QColor(reds[j], 255 - reds[j], 0));
        EXPECT_EQ(Chart().Series(res * 10 - 1)->SeriesColor(), QColor(255, 0, 0));
    }
    EXPECT_EQ(Chart().Series(0)->Title(), "S [28,00]");
}

TEST_F(Panel, ZMaximumAbove1000DrawsTrueValues)
{
    for (const int profile : {1, 8}) {
        Show([profile](TArviloVarParams &p) {
            p.Profile = static_cast<std::uint8_t>(profile);
            p.Resolution = 1;
            p.ZMaxBo = 100000;
        });
        const auto expected = ExpectedRun(profile, P());
        double top = 0;
        for (int j = 0; j < Chart().SeriesCount(); ++j) {
            ASSERT_EQ(Points(j), static_cast<int>(expected[j].size()));
            for (int i = 0; i < Points(j); ++i) {
                EXPECT_NEAR(Chart().Series(j)->YValue(i), expected[j][i].Z, 1e-8 * expected[j][i].Z);
                top = std::max(top, Chart().Series(j)->YValue(i));
            }
        }
        EXPECT_GT(top, 1000) << "profile " << profile;
    }
}

TEST_F(Panel, CutsAreStrictBelowAndInclusiveAbove)
{
    // An S of exactly 0 (Da 0) is dropped, the next one drawn.
    Show([](TArviloVarParams &p) {
        p.Profile = 4;
        p.Resolution = 1;
        p.DaMin = 0;
    });
    ASSERT_EQ(Points(), 99);
    EXPECT_DOUBLE_EQ(Chart().Series(0)->XValue(0), 0.5);

    // A Bo of exactly 5 is dropped and one of 5.0001 drawn: the first S of
    // profile 2 set to the S of such a Bo (more digits than one can type).
    F.EdtSMin->setMaxLength(40);
    auto firstS = [&](double Da, double Bo) {
        const double s = SOf(Da, Bo);
        F.EdtDa->SetAsFloat(Da);
        F.EdtSMin->setText(QString::number(s, 'g', 17).replace('.', ','));
        F.ActProfilingExecute();
        return s;
    };
    Show([](TArviloVarParams &p) {
        p.Profile = 2;
        p.Resolution = 1;
        p.SMax = 30;
    });
    double Da = 10, s = 0;
    for (; Da < 20; Da += 0.25) {
        s = SOf(Da, 5);
        V->Steps = 100;
        V->XStep = 1;
        V->Params.Da = Da;
        V->Params.SMin = s;
        double z, x;
        V->Point2DBo(z, x);
        if (z == 5.0)
            break;
    }
    ASSERT_LT(Da, 20) << "no Da whose Bo lands on exactly 5";
    firstS(Da, 5);
    ASSERT_GT(Points(), 0);
    EXPECT_GT(Chart().Series(0)->XValue(0), s);
    s = firstS(Da, 5.0001);
    EXPECT_EQ(Chart().Series(0)->XValue(0), s);
    EXPECT_NEAR(Chart().Series(0)->YValue(0), 5.0001, 1e-9);

    // A Z maximum equal to a computed S keeps it, one just below drops it.
    Show([](TArviloVarParams &p) {
        p.Profile = 4;
        p.Resolution = 1;
    });
    const int all = Points();
    const double top = Chart().Series(0)->YValue(all - 1);
    F.EdtZMax->setMaxLength(40);
    for (const auto &[zMax, drawn] : {std::pair{top, all}, std::pair{std::nextafter(top, 0.0), all - 1}}) {
        F.EdtZMax->setText(QString::number(zMax, 'g', 17).replace('.', ','));
        F.ActProfilingExecute();
        EXPECT_EQ(Points(), drawn);
    }

    // An empty Z edit is a maximum of 0: nothing drawn, the series stay.
    for (const int profile : {1, 11}) {
        Show([profile](TArviloVarParams &p) { p.Profile = static_cast<std::uint8_t>(profile); });
        F.EdtZMax->clear();
        F.ActProfilingExecute();
        ASSERT_EQ(Chart().SeriesCount(), profile == 1 ? 1 : 30);
        for (int j = 0; j < Chart().SeriesCount(); ++j)
            EXPECT_EQ(Points(j), 0);
    }
}

TEST_F(Panel, ReversedRangesStepDownwardsAndKeepXAscending)
{
    for (const int profile : {1, 8}) {
        Show([profile](TArviloVarParams &p) {
            p.Profile = static_cast<std::uint8_t>(profile);
            p.Resolution = 1;
            p.DaMin = 50;
            p.DaMax = 30;
            p.ZMaxBo = 100000;
        });
        const int steps = profile == 1 ? 100 : 10;
        const TChartSeries &s = *Chart().Series(0);
        ASSERT_EQ(s.Count(), steps);
        for (int i = 1; i < s.Count(); ++i)
            EXPECT_LT(s.XValue(i - 1), s.XValue(i));
        EXPECT_DOUBLE_EQ(s.XValue(s.Count() - 1), 50);
        EXPECT_DOUBLE_EQ(s.XValue(0), 30 + 20.0 / steps);
    }
}

TEST_F(Panel, RunThatRaisesKeepsItsPointsAndRestoresTheCursor)
{
    // n stepped from 10 down: at n = 1 the Bo of the cells is 0 and S fails.
    Show([](TArviloVarParams &p) {
        p.Profile = 6;
        p.Resolution = 1;
    });
    F.EdtnMin->SetAsFloat(10);
    F.EdtnMax->SetAsFloat(0);
    EXPECT_THROW(F.ActProfilingExecute(), EMathError);
    EXPECT_EQ(Screen().Cursor(), crDefault);
    ASSERT_EQ(Chart().SeriesCount(), 1);
    EXPECT_EQ(Points(), 90) << "n = 10 down to 1.1";
    EXPECT_DOUBLE_EQ(Chart().Series(0)->XValue(0), 1.1);

    // Fewer than one cell right at the start.
    F.EdtnMin->setText("0,5");
    EXPECT_THROW(F.ActProfilingExecute(), EInvalidOp);
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(Points(), 0);
}

// ---- values between the controls and the variation ----

TEST_F(Panel, ShownValuesAndWhatTheNextStoreMakesOfThem)
{
    Show([](TArviloVarParams &p) {
        p.Da = 0;
        p.DaMin = 0;
        p.S = -3;
        p.DaMax = 43.456;
        p.ZMaxBo = 1000.4;
        p.Resolution = 25;
    });
    EXPECT_EQ(F.LblCaption->text(), QStringLiteral("Var1 default"));
    EXPECT_EQ(F.EdtDa->text(), QString());
    EXPECT_EQ(F.EdtDaMin->text(), QStringLiteral("0,00"));
    EXPECT_EQ(F.EdtS->text(), QString());
    EXPECT_EQ(F.EdtDaMax->text(), QStringLiteral("43,46"));
    EXPECT_EQ(F.EdtZMax->text(), QStringLiteral("1000"));
    EXPECT_EQ(F.BarResolution->value(), 10);
    EXPECT_EQ(F.CmbProfiles->currentIndex(), 8);
    // The run stored them as shown.
    EXPECT_EQ(P().S, 0);
    EXPECT_EQ(P().DaMax, 43.46);
    EXPECT_EQ(P().ZMaxBo, 1000);
    EXPECT_EQ(P().Resolution, 10);

    // A profile no table has (a damaged file) selects nothing and runs as the first.
    Show([](TArviloVarParams &p) { p.Profile = 200; });
    EXPECT_EQ(F.CmbProfiles->currentIndex(), -1);
    EXPECT_FALSE(F.lblBoOnly->isHidden());

    // Data that is not a variation changes nothing.
    const int series = Chart().SeriesCount();
    F.ShowVariation(&Doc);
    EXPECT_EQ(Project->Current, V);
    EXPECT_EQ(Chart().SeriesCount(), series);
    EXPECT_EQ(F.LblCaption->text(), QStringLiteral("Var1 default"));
}

TEST_F(Panel, NumbersUnderAGermanCLibrary)
{
    const TGermanCLocale german;
    Show([](TArviloVarParams &p) {
        p.Profile = 0;
        p.Da = 43.4;
        p.S = 5;
        p.DaMin = 0;
        p.SMin = 0.5;
    });
    EXPECT_EQ(F.EdtDaMin->text(), QStringLiteral("0,00"));
    EXPECT_EQ(F.EdtSMin->text(), QStringLiteral("0,50"));
    EXPECT_EQ(F.lblBoOnly->text(), QStringLiteral("Bodensteinzahl Bo = 0,22"));
    EXPECT_EQ(P().SMin, 0.5);
}

TEST_F(Panel, TypedTextReachesTheRecordOnlyAtTheNextStore)
{
    Show([](TArviloVarParams &p) { p.Profile = 0; });
    Type(F.EdtTitle, "neu");
    Type(F.EdtDa, "12,5");
    F.MmoComment->setPlainText("Notiz");
    EXPECT_EQ(P().Title.str(), "default");
    EXPECT_EQ(P().Da, 43.4);
    EXPECT_EQ(V->Comment, "");

    F.BtnDoProfile->click();
    EXPECT_EQ(P().Title.str(), "neu");
    EXPECT_EQ(P().Da, 12.5);
    EXPECT_EQ(V->Comment, "Notiz");
    EXPECT_EQ(F.LblCaption->text(), QStringLiteral("Var1 default")) << "set again only when shown";
    EXPECT_EQ(F.lblBoOnly->text(), ToQ("Bodensteinzahl Bo = ung\xFCltiger Wertebereich")) << "S above Da";

    Type(F.EdtS, "1");
    F.Act3D->trigger();
    EXPECT_EQ(P().S, 1);
    F.ActProfiling->trigger();
    EXPECT_EQ(F.lblBoOnly->text(), QStringLiteral("Bodensteinzahl Bo = -1,00")) << "S below ln(1 + Da)";

    // A title longer than 255 is cut.
    F.EdtTitle->setText(QString(300, 'x'));
    F.StoreToVariation();
    EXPECT_EQ(P().Title.size(), 255u);
}

TEST_F(Panel, TrackBarSetsTheResolutionAtOnceAndTheChartAtTheNextRun)
{
    Show();
    ASSERT_EQ(Chart().SeriesCount(), 30);
    F.BarResolution->setValue(5);
    EXPECT_EQ(P().Resolution, 5);
    EXPECT_EQ(Chart().SeriesCount(), 30);
    F.ActProfiling->trigger();
    EXPECT_EQ(Chart().SeriesCount(), 50);
    EXPECT_EQ(Chart().Chart3DPercent(), 9);
}

TEST_F(Panel, ProfileSwitchKeepsOneZMaximumPerOutput)
{
    Show();
    EXPECT_EQ(F.LblZMax->text(), QStringLiteral("Bo Max"));
    Type(F.EdtZMax, "900");
    F.CmbProfiles->setCurrentIndex(11);
    emit F.CmbProfiles->activated(11);
    EXPECT_EQ(P().Profile, 11);
    EXPECT_EQ(P().ZMaxBo, 900);
    EXPECT_EQ(F.EdtZMax->text(), QStringLiteral("50"));
    EXPECT_EQ(F.LblZMax->text(), QStringLiteral("S Max"));
    EXPECT_EQ(Chart().Title(), "S (Da, Bo)") << "the new profile ran";

    F.CmbProfiles->setCurrentIndex(8);
    emit F.CmbProfiles->activated(8);
    EXPECT_EQ(F.EdtZMax->text(), QStringLiteral("900"));
    EXPECT_EQ(P().ZMaxS, 50);
}

TEST_F(Panel, ProfileZeroEnablesOnlyDaAndS)
{
    Show([](TArviloVarParams &p) { p.Profile = 0; });
    for (QWidget *w : std::initializer_list<QWidget *>{F.EdtDa, F.EdtS, F.lblDa, F.Lbls})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    for (QWidget *w : std::initializer_list<QWidget *>{F.EdtBo, F.EdtN, F.LblBo, F.lbln, F.EdtDaMin, F.EdtDaMax,
                                                       F.EdtSMin, F.EdtSMax, F.EdtBoMin, F.EdtBoMax, F.EdtnMin,
                                                       F.EdtnMax})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(F.LblZMax->text(), QStringLiteral("Bo Max"));
}

// ---- the chart actions ----

TEST_F(Panel, ThreeDSwitchAndLegend)
{
    Show([](TArviloVarParams &p) { p.ShowPoints = false; });
    QAction *const moves[] = {F.ActRotationLeft, F.ActRotationRight, F.ActElevationUp, F.ActElevationDown,
                              F.ActSetDefault};
    EXPECT_TRUE(F.Act3D->isChecked());
    EXPECT_FALSE(Chart().LegendVisible()) << "3D without markers";

    F.Act3D->trigger();
    EXPECT_FALSE(F.Act3D->isChecked());
    EXPECT_FALSE(Chart().View3D());
    EXPECT_FALSE(P().View3D);
    for (QAction *a : moves)
        EXPECT_FALSE(a->isEnabled());
    EXPECT_FALSE(Chart().LegendVisible()) << "not before the next run";
    F.ActProfiling->trigger();
    EXPECT_TRUE(Chart().LegendVisible());

    F.Act3D->trigger();
    EXPECT_TRUE(P().View3D);
    for (QAction *a : moves)
        EXPECT_TRUE(a->isEnabled());
}

TEST_F(Panel, ShowPointsSwitchesStoresAndRuns)
{
    Show();
    EXPECT_TRUE(dynamic_cast<TLineSeries &>(*Chart().Series(0)).Pointer().Visible());
    Type(F.EdtSMin, "29");
    F.ActShowPoints->trigger();
    EXPECT_FALSE(F.ActShowPoints->isChecked());
    EXPECT_FALSE(P().ShowPoints);
    EXPECT_FALSE(dynamic_cast<TLineSeries &>(*Chart().Series(0)).Pointer().Visible());
    EXPECT_EQ(Chart().Series(0)->Title(), "S [29,00]") << "the run took the typed minimum";
    F.ActShowPoints->trigger();
    EXPECT_TRUE(P().ShowPoints);
}

TEST_F(Panel, RotationElevationAndReset)
{
    Show();
    for (int i = 0; i < 31; ++i)
        F.ActRotationLeft->trigger();
    EXPECT_EQ(Chart().View3DOptions().Rotation(), -10);
    EXPECT_EQ(P().Rotation, -10);
    F.ActRotationRight->trigger();
    EXPECT_EQ(P().Rotation, 0);
    F.ActElevationUp->trigger();
    EXPECT_EQ(P().Elevation, 350);
    F.ActElevationDown->trigger();
    F.ActElevationDown->trigger();
    EXPECT_EQ(P().Elevation, 360);
    EXPECT_EQ(Screen().Cursor(), crDefault);

    // A rubber band zoom, then the reset.
    Chart().repaint();
    Chart().SetAnimatedZoom(false);
    const QPoint from(Chart().width() / 3, Chart().height() / 3), to = from * 2;
    QTest::mousePress(&Chart(), Qt::LeftButton, {}, from);
    QTest::mouseMove(&Chart(), to);
    QTest::mouseRelease(&Chart(), Qt::LeftButton, {}, to);
    ASSERT_TRUE(Chart().Zoomed());
    QSignalSpy undone(&Chart(), &TChart::OnUndoZoom);
    F.ActSetDefault->trigger();
    EXPECT_FALSE(Chart().Zoomed());
    EXPECT_EQ(undone.count(), 1);
    EXPECT_EQ(P().Elevation, 355);
    EXPECT_EQ(P().Rotation, 300);

    // Shown again, the chart takes the stored angles.
    F.ActRotationLeft->trigger();
    Chart().View3DOptions().SetRotation(0);
    F.ShowVariation(V);
    EXPECT_EQ(Chart().View3DOptions().Rotation(), 290);
}

TEST_F(Panel, MovesStayDefinedForStoredAnglesAtTheLimitsOfInt)
{
    constexpr int Max = std::numeric_limits<int>::max(), Min = std::numeric_limits<int>::min();
    Show([](TArviloVarParams &p) {
        p.Rotation = Max;
        p.Elevation = Min;
    });
    ASSERT_EQ(Chart().View3DOptions().Rotation(), Max);
    // The same angle a turn nearer zero, then the step.
    F.ActRotationRight->trigger();
    EXPECT_EQ(P().Rotation, Max - 360 + 10);
    F.ActElevationUp->trigger();
    EXPECT_EQ(P().Elevation, Min + 360 - 5);
    // Away from the limits nothing is wrapped.
    F.ActRotationLeft->trigger();
    EXPECT_EQ(P().Rotation, Max - 360);
    F.ActElevationDown->trigger();
    EXPECT_EQ(P().Elevation, Min + 360);
}

TEST_F(Panel, PrintsALandscapePageOrSaysThereIsNoPrinter)
{
    Show();
    TScriptedDialogs dialogs;
    SetPrinterLookup([] { return QPrinterInfo(); });
    F.ActPrint->trigger();
    SetPrinterLookup(nullptr);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Type, mtError);
    EXPECT_FALSE(Chart().PrintProportional());
    EXPECT_EQ(Chart().PrintMargins(), QRect(5, 5, 5, 5));
    EXPECT_EQ(Chart().PrintResolution(), -100);

    QTemporaryDir dir;
    auto print = [&](const QString &name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(name));
        printer.setPageOrientation(QPageLayout::Portrait);
        EXPECT_TRUE(Chart().PrintLandscapeTo(printer));
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
        QFile pdf(dir.filePath(name));
        EXPECT_TRUE(pdf.open(QIODevice::ReadOnly));
        return pdf.readAll();
    };
    const QByteArray full = print("full.pdf");
    const QRegularExpressionMatch box =
        QRegularExpression(R"(/MediaBox \[\s*0 0 ([\d.]+) ([\d.]+)\s*\])").match(QString::fromLatin1(full));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_GT(box.captured(1).toDouble(), box.captured(2).toDouble()) << "landscape";
    ClearSeries(&Chart());
    EXPECT_GT(full.size(), print("empty.pdf").size() + 10000) << "the 30 curves are on the page";
}

// ---- the full-screen window ----

namespace {

// Runs Check on the modal window once it is up; closes one left open, so
// that a failing test cannot hang, while Guard lives.
void OnModal(QObject *Guard, const std::function<void(TFrmFullScreen *)> &Check)
{
    QTimer::singleShot(0, Guard, [Check] { Check(qobject_cast<TFrmFullScreen *>(QApplication::activeModalWidget())); });
    QTimer::singleShot(5000, Guard, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
}

} // namespace

TEST_F(Panel, FullScreenBorrowsTheChartAreaAndGivesItBack)
{
    Show();
    F.ActRotationLeft->trigger();
    const QSize oldSize = F.PnlCharts->size();
    bool seen = false;
    QObject guard;
    OnModal(&guard, [&](TFrmFullScreen *form) {
        ASSERT_TRUE(form);
        seen = true;
        EXPECT_EQ(F.PnlCharts->parentWidget(), form->PnlFullScreen);
        EXPECT_EQ(form->minimumSize(), oldSize);
        EXPECT_TRUE(F.ActFullScreen->isChecked());
        EXPECT_FALSE(F.ActFullScreen->isEnabled());
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Current Variation In Full Screen"));
        // The chart keeps working in there.
        F.ActRotationLeft->trigger();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([form] { return QApplication::activeWindow() == form; }));
        QTest::keyClick(form, Qt::Key_F11);
        EXPECT_FALSE(form->isVisible()) << "F11 closes it";
    });
    F.ActFullScreen->trigger();
    ASSERT_TRUE(seen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(F.ActFullScreen->isChecked());
    EXPECT_TRUE(F.ActFullScreen->isEnabled());
    EXPECT_EQ(F.PnlCharts->parentWidget(), F.Panel1);
    EXPECT_EQ(F.Panel1->layout()->indexOf(F.PnlCharts), 0);
    EXPECT_TRUE(F.PnlCharts->isVisible());
    EXPECT_EQ(Chart().SeriesCount(), 30);
    EXPECT_EQ(Chart().View3DOptions().Rotation(), 280);
    EXPECT_EQ(P().Rotation, 280);
    EXPECT_TRUE(QTest::qWaitFor([&] { return F.PnlCharts->size() == oldSize; }));

    // The close box ends it as well.
    OnModal(&guard, [](TFrmFullScreen *form) {
        ASSERT_TRUE(form);
        form->close();
    });
    F.ActFullScreen->trigger();
    EXPECT_EQ(F.PnlCharts->parentWidget(), F.Panel1);
    EXPECT_TRUE(F.ActFullScreen->isEnabled());
}

TEST_F(Panel, FullScreenWithoutPanelOrWithAFailingWindow)
{
    bool made = false;
    ShowInFullScreen([&](QWidget *Owner) {
        made = true;
        return std::make_unique<TFrmFullScreen>(Owner);
    },
                     nullptr);
    EXPECT_FALSE(made);

    struct TFailing : TFrmFullScreen {
        using TFrmFullScreen::TFrmFullScreen;
        int exec() override { throw std::runtime_error("failed"); }
    };
    Show();
    EXPECT_THROW(ShowInFullScreen([](QWidget *Owner) { return std::make_unique<TFailing>(Owner); }, F.PnlCharts),
                 std::runtime_error);
    EXPECT_EQ(F.PnlCharts->parentWidget(), F.Panel1);
    EXPECT_EQ(F.Panel1->layout()->indexOf(F.PnlCharts), 0);
    EXPECT_EQ(Chart().SeriesCount(), 30);

    // A panel that is a window of its own stays one.
    QFrame lone;
    lone.resize(300, 200);
    lone.show();
    QObject guard;
    OnModal(&guard, [&](TFrmFullScreen *form) {
        ASSERT_TRUE(form);
        EXPECT_EQ(lone.parentWidget(), form->PnlFullScreen);
        form->close();
    });
    ShowInFullScreen(FullScreenFormClass(), &lone);
    EXPECT_EQ(lone.parentWidget(), nullptr);
    EXPECT_TRUE(lone.isWindow());
}
