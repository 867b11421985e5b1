// The whole profile run through the parameter panel (points, cuts, series)
// and the repaint of the chart it leaves: profile 8 at resolution 10 is 100
// series of 100 points. The points are computed on several threads: the
// figure to read is the wall time ("Time"), not the CPU time of the main thread.
#include "profiler/LibArvilo.h"
#include "profiler/UntArviloPnlStart.h"

#include "platform/ChartWidget.h"

#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QVBoxLayout>
#include <benchmark/benchmark.h>


namespace {

struct TPanelFixture {
    explicit TPanelFixture(int Profile = 8)
    {
        Project = &Doc;
        Doc.AddChild(V);
        V->Params.Profile = static_cast<std::uint8_t>(Profile);
        V->Params.Resolution = 10;
        auto *layout = new QVBoxLayout(&Host);
        layout->addWidget(F.PnlStart);
        F.InitProfiles();
        Host.resize(1280, 1100);
        F.ShowVariation(V);
        F.CrtChart->setMinimumSize(1280, 800);
        F.CrtChart->resize(1280, 800);
    }
    ~TPanelFixture() { Project = nullptr; }
    TArvilo Doc{nullptr};
    TArvilo_Var *V = new TArvilo_Var(&Doc);
    QWidget Host;
    TFrmPnlParameter F;
};

void PanelRun(benchmark::State &state, int profile)
{
    TPanelFixture fx(profile);
    for (auto _ : state)
        fx.F.ActProfilingExecute();
    int points = 0;
    for (int j = 0; j < fx.F.CrtChart->SeriesCount(); ++j)
        points += fx.F.CrtChart->Series(j)->Count();
    state.counters["drawn points"] = points;
}
void BM_PanelRunProfile8_Resolution10(benchmark::State &state) { PanelRun(state, 8); }
BENCHMARK(BM_PanelRunProfile8_Resolution10)->Unit(benchmark::kMillisecond);
// n against Da: an S of n tanks and a Bo solve for each point, the slowest profile.
void BM_PanelRunProfile10_Resolution10(benchmark::State &state) { PanelRun(state, 10); }
BENCHMARK(BM_PanelRunProfile10_Resolution10)->Unit(benchmark::kMillisecond);

// A full drawing of the 100 series into an image of 1280 x 800.
void BM_ChartDrawProfile8_1280x800(benchmark::State &state)
{
    TPanelFixture fx;
    QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        fx.F.CrtChart->Draw(painter, image.rect());
    }
}
BENCHMARK(BM_ChartDrawProfile8_1280x800)->Unit(benchmark::kMillisecond);

// The widget grabbed: with arg 1 each grab follows a rotation step (drawn
// afresh), with arg 0 nothing changed (the cached image copied).
void BM_ChartGrabProfile8_1280x800(benchmark::State &state)
{
    TPanelFixture fx;
    TChart &chart = *fx.F.CrtChart;
    const int renders = chart.RenderCount();
    int step = 0;
    for (auto _ : state) {
        if (state.range(0))
            chart.View3DOptions().SetRotation(300 + (++step % 2));
        benchmark::DoNotOptimize(chart.grab());
    }
    state.counters["renders"] = chart.RenderCount() - renders;
}
BENCHMARK(BM_ChartGrabProfile8_1280x800)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
