// Repaint time of the chart at 1280 x 800 with 100 series of 100 points, the
// largest family a profile run makes: full drawings in 3D and 2D, and the
// screen repaint that only copies the cached image. One frame is 16 ms.
#include "platform/ChartWidget.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <string>

namespace {

void Fill(TChart &chart, bool points = false)
{
    for (int k = 1; k <= 100; ++k) {
        auto *s = new TLineSeries(chart);
        s->Pointer().SetVisible(points);
        s->SetTitle("S [" + std::to_string(k) + ",00]");
        const int f = static_cast<int>(std::nearbyint(k * 255.0 / 100));
        s->SetSeriesColor(QColor(f, 255 - f, 0));
        s->LinePen().SetColor(QColor(f, f, 0));
        for (int i = 1; i <= 100; ++i) {
            const double x = 30 + (i - 1) * 0.2;
            s->AddXY(x, 40 + k + 300 / (x - 25));
        }
    }
    chart.SetTitle("Bo (Da, S)");
    chart.BottomAxis().SetTitle("Da");
    chart.LeftAxis().SetTitle("Bo");
    chart.SetChart3DPercent(4);
    chart.View3DOptions().SetRotation(300);
    chart.View3DOptions().SetElevation(355);
}

void FullDrawing(benchmark::State &state, bool view3D, bool legend, bool points = false)
{
    TChart chart;
    Fill(chart, points);
    chart.SetView3D(view3D);
    chart.SetLegendVisible(legend);
    QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        chart.Draw(painter, image.rect());
    }
}

void BM_FullDrawing3D(benchmark::State &state) { FullDrawing(state, true, false); }
void BM_FullDrawing2DWithLegend(benchmark::State &state) { FullDrawing(state, false, true); }
void BM_FullDrawing2D(benchmark::State &state) { FullDrawing(state, false, false); }
// With the 2 by 2 point markers of every point, as a profile run shows them by default.
void BM_FullDrawing3DWithPoints(benchmark::State &state) { FullDrawing(state, true, true, true); }

// The widget's own repaints: after a change (the cache is drawn afresh) and
// without one (the cache is only copied).
void ScreenRepaint(benchmark::State &state, bool changed)
{
    TChart chart;
    Fill(chart);
    chart.SetView3D(true);
    chart.resize(1280, 800);
    chart.show();
    QApplication::processEvents();
    int rotation = 300;
    for (auto _ : state) {
        if (changed)
            chart.View3DOptions().SetRotation(rotation += 10);
        chart.repaint();
    }
    state.counters["drawings"] = chart.RenderCount();
}

void BM_ScreenRepaintAfterRotation(benchmark::State &state) { ScreenRepaint(state, true); }
void BM_ScreenRepaintCached(benchmark::State &state) { ScreenRepaint(state, false); }

} // namespace

BENCHMARK(BM_FullDrawing3D)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullDrawing2DWithLegend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullDrawing2D)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullDrawing3DWithPoints)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScreenRepaintAfterRotation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScreenRepaintCached)->Unit(benchmark::kMillisecond);
