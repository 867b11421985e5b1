#include "platform/ChartContent.h"

#include "platform/ChartTicks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// Colours of series that were given none, in the order of creation.
const std::array<QColor, 10> AutoColors = {
    QColor(200, 30, 30),  QColor(30, 140, 40),  QColor(30, 70, 200),  QColor(220, 150, 0),
    QColor(140, 40, 160), QColor(0, 150, 160),  QColor(120, 80, 40),  QColor(230, 90, 150),
    QColor(90, 90, 90),   QColor(150, 170, 0)};

} // namespace

// ---------------------------------------------------------------- settings

void TChartPen::SetColor(const QColor &color) { Chart->Assign(ColorValue, color); }

void TChartPen::SetVisible(bool visible) { Chart->Assign(VisibleValue, visible); }

void TSeriesPointer::SetVisible(bool visible) { Chart->Assign(VisibleValue, visible); }

void TSeriesPointer::SetHorizSize(int size) { Chart->Assign(HorizSizeValue, size); }

void TSeriesPointer::SetVertSize(int size) { Chart->Assign(VertSizeValue, size); }

void TChartAxis::SetTitle(const std::string &title) { Chart->Assign(TitleValue, title); }

double TChartAxis::Minimum() const
{
    const TChartRange r = Chart->ShownRange();
    return Horizontal ? r.XMin : r.YMin;
}

double TChartAxis::Maximum() const
{
    const TChartRange r = Chart->ShownRange();
    return Horizontal ? r.XMax : r.YMax;
}

void TView3DOptions::SetRotation(int degrees) { Chart->Assign(View.Rotation, degrees); }

void TView3DOptions::SetElevation(int degrees) { Chart->Assign(View.Elevation, degrees); }

void TView3DOptions::SetPerspective(int percent) { Chart->Assign(View.Perspective, percent); }

void TView3DOptions::SetZoom(int percent) { Chart->Assign(View.Zoom, percent); }

void TView3DOptions::SetOrthogonal(bool orthogonal) { Chart->Assign(View.Orthogonal, orthogonal); }

int TurnDegrees(int Degrees, int Step)
{
    constexpr long long Turn = 360, Max = std::numeric_limits<int>::max(), Min = std::numeric_limits<int>::min();
    long long sum = static_cast<long long>(Degrees) + Step;
    if (sum > Max)
        sum -= (sum - Max + Turn - 1) / Turn * Turn;
    else if (sum < Min)
        sum += (Min - sum + Turn - 1) / Turn * Turn;
    return static_cast<int>(sum);
}

// ------------------------------------------------------------------ series

TChartSeries::TChartSeries(TChartContent &chart) : Chart(&chart), LinePenValue(&chart, Qt::black)
{
    chart.Register(this);
}

TChartSeries::~TChartSeries()
{
    if (Chart)
        Chart->Unregister(this);
}

void TChartSeries::Changed() { Chart->Changed(); }

void TChartSeries::SetTitle(const std::string &title) { Chart->Assign(TitleValue, title); }

void TChartSeries::SetActive(bool active) { Chart->Assign(ActiveValue, active); }

void TChartSeries::SetSeriesColor(const QColor &color) { Chart->Assign(SeriesColorValue, color); }

void TChartSeries::SetAreaColor(const QColor &color) { Chart->Assign(AreaColorValue, color); }

int TChartSeries::AddXY(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return -1;
    // Points mostly come in ascending x: append then, else insert after the
    // last point of equal x, so equal x keep the order they came in.
    size_t at = Xs.size();
    if (!Xs.empty() && x < Xs.back())
        at = static_cast<size_t>(std::upper_bound(Xs.begin(), Xs.end(), x) - Xs.begin());
    Xs.insert(Xs.begin() + static_cast<std::ptrdiff_t>(at), x);
    Ys.insert(Ys.begin() + static_cast<std::ptrdiff_t>(at), y);
    Changed();
    return static_cast<int>(at);
}

void TChartSeries::Clear()
{
    if (Xs.empty())
        return;
    Xs.clear();
    Ys.clear();
    Changed();
}

TLineSeries::TLineSeries(TChartContent &chart) : TChartSeries(chart), PointerValue(&chart) {}

// ------------------------------------------------------------------- chart

// The last series first; none calls back into the chart while it goes.
TChartContent::~TChartContent()
{
    while (!SeriesList.empty()) {
        TChartSeries *series = SeriesList.back();
        SeriesList.pop_back();
        series->Chart = nullptr;
        delete series;
    }
}

void TChartContent::Register(TChartSeries *series)
{
    series->SeriesColorValue = AutoColors[SeriesList.size() % AutoColors.size()];
    series->AreaColorValue = series->SeriesColorValue;
    SeriesList.push_back(series);
    Changed();
}

void TChartContent::Unregister(TChartSeries *series)
{
    SeriesList.erase(std::remove(SeriesList.begin(), SeriesList.end(), series), SeriesList.end());
    Changed();
}

void TChartContent::SetTitle(const std::string &title) { Assign(TitleText, title); }

void TChartContent::SetLegendVisible(bool visible) { Assign(LegendVisibleValue, visible); }

void TChartContent::SetView3D(bool on) { Assign(View3DValue, on); }

void TChartContent::SetChart3DPercent(int percent) { Assign(Chart3DPercentValue, std::clamp(percent, 1, 100)); }

void TChartContent::SetView3DWalls(bool on) { Assign(View3DWallsValue, on); }

TChartRange TChartContent::DataRange() const
{
    TChartRange r{1e300, -1e300, 1e300, -1e300};
    for (const TChartSeries *series : SeriesList) {
        if (!series->Active() || series->Xs.empty())
            continue;
        r.XMin = std::min(r.XMin, series->Xs.front());
        r.XMax = std::max(r.XMax, series->Xs.back());
        const auto [lo, hi] = std::minmax_element(series->Ys.begin(), series->Ys.end());
        r.YMin = std::min(r.YMin, *lo);
        r.YMax = std::max(r.YMax, *hi);
    }
    if (r.XMin > r.XMax)
        return {0, 1, 0, 1};
    NiceBounds(r.XMin, r.XMax);
    NiceBounds(r.YMin, r.YMax);
    return r;
}
