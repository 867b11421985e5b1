#include "platform/Chart.h"

#include "platform/Dialogs.h"
#include "platform/Latin1.h"
#include "platform/LocaleInfo.h"
#include "platform/MarkerSheet.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTransform>
#include <QVariantAnimation>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace {

TPrinterLookup &PrinterLookup()
{
    static TPrinterLookup lookup;
    return lookup;
}

// Colours of series that were given none, in the order of creation.
const std::array<QColor, 10> AutoColors = {
    QColor(200, 30, 30),  QColor(30, 140, 40),  QColor(30, 70, 200),  QColor(220, 150, 0),
    QColor(140, 40, 160), QColor(0, 150, 160),  QColor(120, 80, 40),  QColor(230, 90, 150),
    QColor(90, 90, 90),   QColor(150, 170, 0)};

const QColor GridColor(210, 210, 210);
const QColor FrameColor(110, 110, 110);
constexpr int TickLength = 4;

QFont LabelFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    return font;
}

QFont TitleFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

// One-pixel lines on the screen take the fast path of cosmetic pens; a
// scaled printer page needs lines of a real width to stay visible.
double HairWidth(const QPainter &painter) { return painter.worldTransform().isScaling() ? 1.0 : 0.0; }

// The tick labels of the two axes, spaced so that they do not overlap.
struct TTickLabels {
    QFontMetrics Metrics{LabelFont()};
    int LineH = Metrics.height();
    char Separator = SystemDecimalSeparator();

    int Width(const std::vector<TChartTick> &ticks) const
    {
        int width = 0;
        for (const TChartTick &t : ticks)
            width = std::max(width, Metrics.horizontalAdvance(ToQ(t.Text)));
        return width;
    }
    // Ticks along a horizontal axis of the given length in pixels.
    std::vector<TChartTick> Horizontal(double min, double max, double length) const
    {
        const int labelW = Width(ChartTicks(min, max, 10, Separator)) + 24;
        return ChartTicks(min, max, std::max(static_cast<int>(length) / labelW, 2), Separator);
    }
    std::vector<TChartTick> Vertical(double min, double max, double length) const
    {
        return ChartTicks(min, max, std::max(static_cast<int>(length) / 35, 2), Separator);
    }
    // The room a label takes, with a pixel to spare for a printer's wider glyphs.
    double TextWidth(const std::string &text) const { return Metrics.horizontalAdvance(ToQ(text)) + 2; }
    // A label of the bottom axis, centred below x, moved sideways where it
    // would reach beyond left or right: a label is drawn whole or not at all.
    void DrawBelow(QPainter &painter, double x, double top, const std::string &text, double left, double right) const
    {
        const double width = TextWidth(text);
        const double l = std::max(std::min(x - width / 2, right - width), left);
        painter.drawText(QRectF(l, top, width, LineH), Qt::AlignHCenter | Qt::AlignTop, ToQ(text));
    }
};

// The point markers of a line series; place gives the screen point of a
// point in normalised coordinates, which lie in 0..1 when it is shown.
template <typename Place>
void DrawMarkers(QPainter &painter, const TChartSeries &series, const TChart::TRange &range, double hair, Place place)
{
    const auto *line = dynamic_cast<const TLineSeries *>(&series);
    if (!line || !line->Pointer().Visible() || series.Count() == 0)
        return;
    const TSeriesPointer &pointer = line->Pointer();
    const bool outline = pointer.Pen().Visible();
    const double w = pointer.HorizSize(), h = pointer.VertSize();
    std::optional<TMarkerSheet> sheet;
    if (TMarkerSheet::Fits(painter) && hair == 0 && w >= 0 && h >= 0 && w < 64 && h < 64)
        sheet.emplace(outline ? std::optional<QColor>(pointer.Pen().Color()) : std::nullopt, series.SeriesColor(),
                      static_cast<int>(w), static_cast<int>(h));
    painter.setPen(outline ? QPen(pointer.Pen().Color(), hair) : QPen(Qt::NoPen));
    painter.setBrush(series.SeriesColor());
    for (int i = 0; i < series.Count(); ++i) {
        const double u = (series.XValue(i) - range.XMin) / (range.XMax - range.XMin);
        const double v = (series.YValue(i) - range.YMin) / (range.YMax - range.YMin);
        if (u < 0 || u > 1 || v < 0 || v > 1)
            continue;
        const QPointF p = place(u, v);
        if (sheet)
            sheet->Draw(painter, p);
        else
            painter.drawRect(QRectF(p.x() - w, p.y() - h, 2 * w, 2 * h));
    }
}

std::string TickText(double value, int decimals, bool exponent, char separator)
{
    QString text = exponent ? QString::number(value, 'e', 2) : QString::number(value, 'f', decimals);
    std::string out = FromQ(text);
    std::replace(out.begin(), out.end(), '.', separator);
    return out;
}

// A padded range that ends on round tick values.
void NiceBounds(double &min, double &max)
{
    if (max - min <= std::abs(max) * 1e-12) {
        const double pad = min == 0 ? 1.0 : std::abs(min) * 0.1;
        min -= pad;
        max += pad;
    }
    const std::vector<TChartTick> ticks = ChartTicks(min, max, 8, '.');
    if (ticks.size() < 2)
        return;
    const double step = ticks[1].Value - ticks[0].Value;
    min = std::floor(min / step + 1e-9) * step;
    max = std::ceil(max / step - 1e-9) * step;
}

// Cuts the polyline (xs, ys) to the rectangle [x0, x1] x [y0, y1]; each visible run
// of points comes out as one polyline in normalised coordinates (0..1).
template <typename Output>
void ClipRuns(const std::vector<double> &xs, const std::vector<double> &ys, double x0, double x1,
              double y0, double y1, std::vector<QPointF> &run, Output output)
{
    const double sx = 1.0 / (x1 - x0), sy = 1.0 / (y1 - y0);
    run.clear();
    const size_t n = xs.size();
    auto flush = [&] {
        if (!run.empty())
            output(run);
        run.clear();
    };
    if (n == 1) {
        const double u = (xs[0] - x0) * sx, v = (ys[0] - y0) * sy;
        if (u >= 0 && u <= 1 && v >= 0 && v <= 1) {
            run.push_back({u, v});
            flush();
        }
        return;
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        const double ax = (xs[i] - x0) * sx, ay = (ys[i] - y0) * sy;
        const double dx = (xs[i + 1] - x0) * sx - ax, dy = (ys[i + 1] - y0) * sy - ay;
        // Liang-Barsky against the unit square.
        double t0 = 0, t1 = 1;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {ax, 1 - ax, ay, 1 - ay};
        bool visible = true;
        for (int k = 0; k < 4 && visible; ++k) {
            if (p[k] == 0) {
                visible = q[k] >= 0;
            } else {
                const double t = q[k] / p[k];
                if (p[k] < 0)
                    t0 = std::max(t0, t);
                else
                    t1 = std::min(t1, t);
                visible = t0 <= t1;
            }
        }
        if (!visible) {
            flush();
            continue;
        }
        const QPointF a(ax + t0 * dx, ay + t0 * dy), b(ax + t1 * dx, ay + t1 * dy);
        if (run.empty() || t0 > 0) {
            flush();
            run.push_back(a);
        }
        run.push_back(b);
        if (t1 < 1)
            flush();
    }
    flush();
}

// The 3D box seen from the chart's angles: normalised (x, y, depth) in
// 0..1 to screen points, fitted into the plot area.
class TProjection {
public:
    TProjection(const TView3DOptions &options, const QRectF &plot, double depthShare)
        : Oblique(options.Orthogonal()), Width(plot.width()), Height(plot.height()),
          Depth(plot.width() * depthShare)
    {
        const double rad = std::numbers::pi / 180.0;
        const double yaw = ((options.Rotation() % 360) + 360) % 360 * rad;
        const double pitch = ((options.Elevation() % 360) + 360) % 360 * rad;
        CosYaw = std::cos(yaw), SinYaw = std::sin(yaw);
        CosPitch = std::cos(pitch), SinPitch = std::sin(pitch);
        const double diagonal = std::sqrt(Width * Width + Height * Height + Depth * Depth);
        const int perspective = std::clamp(options.Perspective(), 0, 100);
        Distance = perspective == 0 ? 0 : diagonal * 12.0 / perspective;
        Scale = 1, Offset = {0, 0};
        double l = 1e300, t = 1e300, r = -1e300, b = -1e300;
        for (int c = 0; c < 8; ++c) {
            const QPointF p = Map(c & 1, (c >> 1) & 1, (c >> 2) & 1);
            l = std::min(l, p.x()), r = std::max(r, p.x());
            t = std::min(t, p.y()), b = std::max(b, p.y());
        }
        const double zoom = std::clamp(options.Zoom(), 1, 1000) / 100.0;
        Scale = std::min(plot.width() / std::max(r - l, 1e-9), plot.height() / std::max(b - t, 1e-9)) * zoom;
        Offset = plot.center() - QPointF((l + r) / 2 * Scale, (t + b) / 2 * Scale);
    }

    QPointF Map(double x, double y, double z) const
    {
        double sx, sy;
        Eye(x, y, z, sx, sy);
        return {Offset.x() + sx * Scale, Offset.y() + sy * Scale};
    }

    // Distance from the viewer along the line of sight (larger is farther).
    double Far(double x, double y, double z) const
    {
        if (Oblique)
            return z;
        double wx = (x - 0.5) * Width, wy = (y - 0.5) * Height, wz = (z - 0.5) * Depth;
        const double rz = wx * SinYaw + wz * CosYaw;
        return wy * SinPitch + rz * CosPitch;
    }

private:
    void Eye(double x, double y, double z, double &sx, double &sy) const
    {
        const double wx = (x - 0.5) * Width, wy = (y - 0.5) * Height, wz = (z - 0.5) * Depth;
        if (Oblique) {
            sx = wx + wz * 0.6;
            sy = -wy - wz * 0.6;
            return;
        }
        const double rx = wx * CosYaw - wz * SinYaw;
        const double rz = wx * SinYaw + wz * CosYaw;
        const double ry = wy * CosPitch - rz * SinPitch;
        const double dz = wy * SinPitch + rz * CosPitch;
        const double s = Distance > 0 ? Distance / std::max(Distance + dz, Distance * 0.05) : 1.0;
        sx = rx * s;
        sy = -ry * s;
    }

    bool Oblique;
    double Width, Height, Depth;
    double CosYaw = 1, SinYaw = 0, CosPitch = 1, SinPitch = 0, Distance = 0;
    double Scale;
    QPointF Offset;
};

} // namespace

// ---------------------------------------------------------------- settings

void SetPrinterLookup(TPrinterLookup lookup) { PrinterLookup() = std::move(lookup); }

void TChartPen::SetColor(const QColor &color) { Chart->Assign(ColorValue, color); }

void TChartPen::SetVisible(bool visible) { Chart->Assign(VisibleValue, visible); }

void TSeriesPointer::SetVisible(bool visible) { Chart->Assign(VisibleValue, visible); }

void TSeriesPointer::SetHorizSize(int size) { Chart->Assign(HorizSizeValue, size); }

void TSeriesPointer::SetVertSize(int size) { Chart->Assign(VertSizeValue, size); }

void TChartAxis::SetTitle(const std::string &title) { Chart->Assign(TitleValue, title); }

double TChartAxis::Minimum() const
{
    Chart->ShownRange();
    return Min;
}

double TChartAxis::Maximum() const
{
    Chart->ShownRange();
    return Max;
}

void TView3DOptions::SetRotation(int degrees) { Chart->Assign(RotationValue, degrees); }

void TView3DOptions::SetElevation(int degrees) { Chart->Assign(ElevationValue, degrees); }

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

void TView3DOptions::SetPerspective(int percent) { Chart->Assign(PerspectiveValue, percent); }

void TView3DOptions::SetZoom(int percent) { Chart->Assign(ZoomValue, percent); }

void TView3DOptions::SetOrthogonal(bool orthogonal) { Chart->Assign(OrthogonalValue, orthogonal); }

// ------------------------------------------------------------------ series

TChartSeries::TChartSeries(TChart &chart) : Chart(&chart), LinePenValue(&chart, Qt::black)
{
    chart.Register(this);
}

TChartSeries::~TChartSeries()
{
    if (Chart)
        Chart->Unregister(this);
}

void TChartSeries::Changed() { Chart->Invalidate(); }

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

TLineSeries::TLineSeries(TChart &chart) : TChartSeries(chart), PointerValue(&chart) {}

// ------------------------------------------------------------------- ticks

std::vector<TChartTick> ChartTicks(double min, double max, int maxCount, char decimalSeparator)
{
    std::vector<TChartTick> ticks;
    if (!std::isfinite(min) || !std::isfinite(max) || !(max > min))
        return ticks;
    const double raw = (max - min) / std::max(maxCount, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (double m : {1.0, 2.0, 5.0})
        if (m * magnitude >= raw * (1 - 1e-9)) {
            step = m * magnitude;
            break;
        }
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    const double largest = std::max(std::abs(min), std::abs(max));
    // Fixed notation unless the numbers would get unreadably long.
    const bool exponent = largest >= 1e7 || decimals > 6;
    const double first = std::ceil(min / step - 1e-9);
    const double last = std::floor(max / step + 1e-9);
    for (double k = first; k <= last && ticks.size() < 1000; k += 1) {
        double value = k * step;
        if (std::abs(value) < step * 1e-9)
            value = 0; // never "-0"
        ticks.push_back({value, TickText(value, decimals, exponent, decimalSeparator)});
    }
    return ticks;
}

// ------------------------------------------------------------------- chart

TChart::TChart(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Animation = new QVariantAnimation(this);
    Animation->setStartValue(0.0);
    Animation->setEndValue(1.0);
    Animation->setDuration(250);
    Animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(Animation, &QVariantAnimation::valueChanged, this, [this] { Invalidate(); });
    connect(Animation, &QVariantAnimation::finished, this, [this] { Invalidate(); });
}

TChart::~TChart()
{
    Animation->stop();
    while (!SeriesList.empty()) {
        TChartSeries *series = SeriesList.back();
        SeriesList.pop_back();
        series->Chart = nullptr;
        delete series;
    }
}

void TChart::Register(TChartSeries *series)
{
    series->SeriesColorValue = AutoColors[SeriesList.size() % AutoColors.size()];
    series->AreaColorValue = series->SeriesColorValue;
    SeriesList.push_back(series);
    Invalidate();
}

void TChart::Unregister(TChartSeries *series)
{
    SeriesList.erase(std::remove(SeriesList.begin(), SeriesList.end(), series), SeriesList.end());
    Invalidate();
}

void TChart::Invalidate()
{
    CacheValid = false;
    update();
}

void TChart::SetTitle(const std::string &title) { Assign(TitleText, title); }

void TChart::SetLegendVisible(bool visible) { Assign(LegendVisibleValue, visible); }

void TChart::SetView3D(bool on) { Assign(View3DValue, on); }

void TChart::SetChart3DPercent(int percent)
{
    Assign(Chart3DPercentValue, std::clamp(percent, 1, 100));
}

void TChart::SetView3DWalls(bool on) { Assign(View3DWallsValue, on); }

void TChart::SetAnimatedZoom(bool on) { AnimatedZoomValue = on; }

void TChart::SetPrintProportional(bool on) { PrintProportionalValue = on; }

void TChart::SetPrintMargins(int left, int top, int right, int bottom)
{
    auto pct = [](int v) { return std::clamp(v, 0, 45); }; // leave the chart some room
    MarginsValue = QRect(pct(left), pct(top), pct(right), pct(bottom));
}

void TChart::SetPrintResolution(int value) { PrintResolutionValue = value; }

TChart::TRange TChart::DataRange() const
{
    TRange r{1e300, -1e300, 1e300, -1e300};
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

TChart::TRange TChart::ShownRange()
{
    TRange r;
    if (Animation->state() == QAbstractAnimation::Running) {
        const double t = Animation->currentValue().toDouble();
        const TRange to = ZoomedValue ? AnimTo : DataRange();
        auto mix = [t](double a, double b) { return a + (b - a) * t; };
        r = {mix(AnimFrom.XMin, to.XMin), mix(AnimFrom.XMax, to.XMax), mix(AnimFrom.YMin, to.YMin),
             mix(AnimFrom.YMax, to.YMax)};
    } else {
        r = ZoomedValue ? ZoomRange : DataRange();
    }
    Bottom.Min = r.XMin, Bottom.Max = r.XMax;
    Left.Min = r.YMin, Left.Max = r.YMax;
    return r;
}

void TChart::AnimateTo(const TRange &target)
{
    AnimFrom = ShownRange();
    AnimTo = target;
    Animation->stop();
    Animation->start();
}

void TChart::ZoomTo(const TRange &target)
{
    const bool animate = AnimatedZoomValue && isVisible();
    if (animate)
        AnimateTo(target);
    else
        Animation->stop();
    ZoomedValue = true;
    ZoomRange = target;
    Invalidate();
}

void TChart::UndoZoom()
{
    if (ZoomedValue && AnimatedZoomValue && isVisible()) {
        AnimFrom = ShownRange();
        ZoomedValue = false;
        Animation->stop();
        Animation->start();
    } else {
        Animation->stop();
        ZoomedValue = false;
    }
    Invalidate();
    emit OnUndoZoom();
}

// ----------------------------------------------------------------- drawing

void TChart::Draw(QPainter &painter, const QRect &rect) { DrawChart(painter, rect, nullptr); }

void TChart::DrawChart(QPainter &painter, const QRect &rect, TScreenMap *map)
{
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    std::vector<const TChartSeries *> shown;
    for (const TChartSeries *s : SeriesList)
        if (s->Active())
            shown.push_back(s);
    const QRect area = DrawFrame(painter, rect, shown);
    const TRange range = ShownRange();
    painter.setFont(LabelFont());
    if (View3DValue)
        Draw3D(painter, area, range, shown, map);
    else
        Draw2D(painter, area, range, shown, map);
    painter.restore();
}

// Background, title, legend and axis titles; returns the room left for the plot.
QRect TChart::DrawFrame(QPainter &painter, const QRect &rect, const std::vector<const TChartSeries *> &shown)
{
    const QFontMetrics fm(LabelFont());
    const int lineH = fm.height();
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, QApplication::palette().color(QPalette::Button));
    painter.fillRect(rect, gradient);

    QRect area = rect.adjusted(8, 6, -10, -6);
    if (!TitleText.empty()) {
        const QFont titleFont = TitleFont();
        painter.setFont(titleFont);
        painter.setPen(Qt::blue);
        const int h = QFontMetrics(titleFont).height();
        painter.drawText(QRect(area.left(), area.top(), area.width(), h), Qt::AlignCenter, ToQ(TitleText));
        area.setTop(area.top() + h + 6);
    }

    // Legend: one entry per active series at the right, 5 % from the top.
    painter.setFont(LabelFont());
    if (LegendVisibleValue && !shown.empty()) {
        int textW = 0;
        for (const TChartSeries *s : shown)
            textW = std::max(textW, fm.horizontalAdvance(ToQ(s->Title())));
        const int width = std::min(textW + 36, rect.width() / 3);
        const int top = rect.top() + rect.height() * 5 / 100;
        const int fits = std::max(0, (rect.bottom() - 6 - top - 6) / (lineH + 1));
        const int count = std::min<int>(fits, static_cast<int>(shown.size()));
        const QRect box(area.right() - width, top, width, count * (lineH + 1) + 6);
        if (count > 0) {
            painter.setPen(FrameColor);
            painter.setBrush(Qt::white);
            painter.drawRect(box);
            for (int i = 0; i < count; ++i) {
                const TChartSeries *s = shown[static_cast<size_t>(i)];
                const int y = box.top() + 3 + i * (lineH + 1);
                const int mid = y + lineH / 2;
                painter.setPen(QPen(s->SeriesColor(), 2));
                painter.drawLine(box.left() + 5, mid, box.left() + 23, mid);
                painter.setPen(Qt::black);
                painter.drawText(QRect(box.left() + 29, y, width - 32, lineH), Qt::AlignLeft | Qt::AlignVCenter,
                                 fm.elidedText(ToQ(s->Title()), Qt::ElideRight, width - 32));
            }
            area.setRight(box.left() - 12);
        }
    }

    // Axis titles at the outer edges.
    painter.setPen(Qt::black);
    if (!Left.Title().empty()) {
        painter.save();
        painter.translate(area.left(), area.center().y());
        painter.rotate(-90);
        painter.drawText(QRect(-area.height() / 2, 0, area.height(), lineH), Qt::AlignCenter, ToQ(Left.Title()));
        painter.restore();
        area.setLeft(area.left() + lineH + 4);
    }
    if (!Bottom.Title().empty()) {
        painter.drawText(QRect(area.left(), area.bottom() - lineH, area.width(), lineH), Qt::AlignCenter,
                         ToQ(Bottom.Title()));
        area.setBottom(area.bottom() - lineH - 4);
    }

    return area;
}

void TChart::Draw2D(QPainter &painter, const QRect &area, const TRange &range,
                    const std::vector<const TChartSeries *> &shown, TScreenMap *map)
{
    const double hair = HairWidth(painter);
    const TTickLabels labels;
    const int lineH = labels.LineH;
    std::vector<QPointF> run;

    const int approxH = std::max(area.height() - lineH - 10, 10);
    const std::vector<TChartTick> yTicks = labels.Vertical(range.YMin, range.YMax, approxH);
    const int yLabelW = labels.Width(yTicks);
    QRectF plot(QPointF(area.left() + yLabelW + TickLength + 4, area.top() + lineH / 2),
                QPointF(area.right(), area.bottom() - lineH - TickLength - 2));
    if (plot.width() < 10 || plot.height() < 10)
        return;
    std::vector<TChartTick> xTicks = labels.Horizontal(range.XMin, range.XMax, plot.width());
    // The labels at the ends of the bottom axis are centred on the plot's
    // edges: the plot leaves them room, and the ticks follow its new width.
    for (int pass = 0; pass < 3 && !xTicks.empty(); ++pass) {
        const double span = range.XMax - range.XMin;
        const double first = plot.left() + (xTicks.front().Value - range.XMin) / span * plot.width();
        const double last = plot.left() + (xTicks.back().Value - range.XMin) / span * plot.width();
        const double before = std::max(area.left() - (first - labels.TextWidth(xTicks.front().Text) / 2), 0.0);
        const double after = std::max(last + labels.TextWidth(xTicks.back().Text) / 2 - (area.right() + 1), 0.0);
        if (before == 0 && after == 0)
            break;
        plot.adjust(std::ceil(before), 0, -std::ceil(after), 0);
        if (plot.width() < 10)
            return;
        xTicks = labels.Horizontal(range.XMin, range.XMax, plot.width());
    }
    auto px = [&](double x) { return plot.left() + (x - range.XMin) / (range.XMax - range.XMin) * plot.width(); };
    auto py = [&](double y) { return plot.bottom() - (y - range.YMin) / (range.YMax - range.YMin) * plot.height(); };

    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(plot);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(GridColor, hair));
    for (const TChartTick &t : xTicks)
        painter.drawLine(QPointF(px(t.Value), plot.top()), QPointF(px(t.Value), plot.bottom()));
    for (const TChartTick &t : yTicks)
        painter.drawLine(QPointF(plot.left(), py(t.Value)), QPointF(plot.right(), py(t.Value)));
    painter.setPen(QPen(FrameColor, hair));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    painter.setPen(Qt::black);
    for (const TChartTick &t : xTicks) {
        const double x = px(t.Value);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + TickLength));
        labels.DrawBelow(painter, x, plot.bottom() + TickLength + 1, t.Text, area.left(), area.right() + 1);
    }
    for (const TChartTick &t : yTicks) {
        const double y = py(t.Value);
        painter.drawLine(QPointF(plot.left() - TickLength, y), QPointF(plot.left(), y));
        painter.drawText(QRectF(area.left(), y - lineH / 2.0, yLabelW, lineH), Qt::AlignRight | Qt::AlignVCenter,
                         ToQ(t.Text));
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    QPolygonF line;
    for (const TChartSeries *s : shown) {
        painter.setPen(QPen(s->SeriesColor(), hair));
        painter.setBrush(Qt::NoBrush);
        ClipRuns(s->Xs, s->Ys, range.XMin, range.XMax, range.YMin, range.YMax, run,
                 [&](const std::vector<QPointF> &r) {
                     line.clear();
                     for (const QPointF &p : r)
                         line << QPointF(plot.left() + p.x() * plot.width(), plot.bottom() - p.y() * plot.height());
                     painter.drawPolyline(line);
                 });
        DrawMarkers(painter, *s, range, hair, [&](double u, double v) {
            return QPointF(plot.left() + u * plot.width(), plot.bottom() - v * plot.height());
        });
    }
    if (map) {
        map->Valid = true;
        map->Plot = plot;
        map->Range = range;
    }
}

void TChart::Draw3D(QPainter &painter, const QRect &area, const TRange &range,
                    const std::vector<const TChartSeries *> &shown, TScreenMap *map)
{
    const double hair = HairWidth(painter);
    const TTickLabels labels;
    const int lineH = labels.LineH;
    std::vector<QPointF> run;

    // 3D: each series takes a slice of the depth, series 0 in front; the
    // depth grows with the series count so a family of curves stays apart.
    const int n = std::max<int>(static_cast<int>(shown.size()), 1);
    const double depthShare = std::clamp(Chart3DPercentValue * n / 400.0, 0.03, 1.2);
    const int yLabelW = labels.Width(labels.Vertical(range.YMin, range.YMax, area.height()));
    const QRectF plot(area.left() + yLabelW + TickLength + 6, area.top() + lineH / 2.0,
                      area.width() - yLabelW - TickLength - 6, area.height() - lineH - TickLength - 6 - lineH / 2.0);
    if (plot.width() < 10 || plot.height() < 10)
        return;
    const TProjection proj(Options3D, plot, depthShare);
    const double zFront = proj.Far(0.5, 0.5, 0) <= proj.Far(0.5, 0.5, 1) ? 0.0 : 1.0;
    const double zBack = 1 - zFront;

    auto face = [&](std::initializer_list<std::array<double, 3>> corners) {
        QPolygonF poly;
        for (const auto &c : corners)
            poly << proj.Map(c[0], c[1], c[2]);
        return poly;
    };
    const double xLen = QLineF(proj.Map(0, 0, zFront), proj.Map(1, 0, zFront)).length();
    const double yLen = QLineF(proj.Map(0, 0, zFront), proj.Map(0, 1, zFront)).length();
    const std::vector<TChartTick> xTicks = labels.Horizontal(range.XMin, range.XMax, xLen);
    const std::vector<TChartTick> yTicks = labels.Vertical(range.YMin, range.YMax, yLen);
    auto nx = [&](double x) { return (x - range.XMin) / (range.XMax - range.XMin); };
    auto ny = [&](double y) { return (y - range.YMin) / (range.YMax - range.YMin); };

    // Walls and grids behind everything.
    if (View3DWallsValue) {
        const double xSide = proj.Far(0, 0.5, 0.5) >= proj.Far(1, 0.5, 0.5) ? 0.0 : 1.0;
        painter.setPen(QPen(FrameColor, hair));
        painter.setBrush(QColor(238, 238, 238));
        painter.drawPolygon(face({{xSide, 0, 0}, {xSide, 0, 1}, {xSide, 1, 1}, {xSide, 1, 0}}));
        painter.drawPolygon(face({{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}));
    }
    painter.setPen(QPen(FrameColor, hair));
    painter.setBrush(Qt::white);
    painter.drawPolygon(face({{0, 0, zBack}, {1, 0, zBack}, {1, 1, zBack}, {0, 1, zBack}}));
    painter.setPen(QPen(GridColor, hair));
    for (const TChartTick &t : xTicks)
        painter.drawLine(proj.Map(nx(t.Value), 0, zBack), proj.Map(nx(t.Value), 1, zBack));
    for (const TChartTick &t : yTicks)
        painter.drawLine(proj.Map(0, ny(t.Value), zBack), proj.Map(1, ny(t.Value), zBack));
    // The floor edges and the vertical edges that carry the axes.
    painter.setPen(QPen(FrameColor, hair));
    painter.drawLine(proj.Map(0, 0, 0), proj.Map(0, 0, 1));
    painter.drawLine(proj.Map(1, 0, 0), proj.Map(1, 0, 1));

    // Ribbons from the farthest series to the nearest.
    std::vector<int> order(shown.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    auto sliceMid = [&](int k) { return (k + 0.5) / n; };
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return proj.Far(0.5, 0.5, sliceMid(a)) > proj.Far(0.5, 0.5, sliceMid(b));
    });
    QPolygonF ribbon, nearEdge, farEdge;
    for (int k : order) {
        const TChartSeries *s = shown[static_cast<size_t>(k)];
        const double z0 = (k + 0.15) / n, z1 = (k + 0.85) / n;
        const double zNear = zFront == 0 ? z0 : z1, zFar = zFront == 0 ? z1 : z0;
        const bool edges = s->LinePen().Visible();
        const QPen edgePen = edges ? QPen(s->LinePen().Color(), hair) : QPen(Qt::NoPen);
        ClipRuns(s->Xs, s->Ys, range.XMin, range.XMax, range.YMin, range.YMax, run,
                 [&](const std::vector<QPointF> &r) {
                     nearEdge.clear();
                     farEdge.clear();
                     for (const QPointF &p : r) {
                         nearEdge << proj.Map(p.x(), p.y(), zNear);
                         farEdge << proj.Map(p.x(), p.y(), zFar);
                     }
                     ribbon = nearEdge;
                     for (auto it = farEdge.crbegin(); it != farEdge.crend(); ++it)
                         ribbon << *it;
                     painter.setPen(Qt::NoPen);
                     painter.setBrush(s->SeriesColor());
                     // Where the near and far edges are drawn as lines over
                     // the fill, antialiasing its border (most of the cost of
                     // the fill) would only be painted over.
                     painter.setRenderHint(QPainter::Antialiasing, !edges);
                     painter.drawPolygon(ribbon, Qt::WindingFill);
                     painter.setRenderHint(QPainter::Antialiasing, true);
                     painter.setPen(edgePen);
                     painter.setBrush(Qt::NoBrush);
                     painter.drawPolyline(farEdge);
                     painter.drawPolyline(nearEdge);
                 });
        DrawMarkers(painter, *s, range, hair, [&](double u, double v) { return proj.Map(u, v, zNear); });
    }

    // Axes: the bottom axis along the front floor edge, the left axis on the
    // vertical front edge that lies farther left on the screen.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(proj.Map(0, 0, zFront), proj.Map(1, 0, zFront));
    const double xEdge = proj.Map(0, 0, zFront).x() <= proj.Map(1, 0, zFront).x() ? 0.0 : 1.0;
    painter.drawLine(proj.Map(xEdge, 0, zFront), proj.Map(xEdge, 1, zFront));
    for (const TChartTick &t : xTicks) {
        const QPointF p = proj.Map(nx(t.Value), 0, zFront);
        painter.drawLine(p, p + QPointF(0, TickLength));
        labels.DrawBelow(painter, p.x(), p.y() + TickLength + 1, t.Text, area.left(), area.right() + 1);
    }
    for (const TChartTick &t : yTicks) {
        const QPointF p = proj.Map(xEdge, ny(t.Value), zFront);
        painter.drawLine(p, p - QPointF(TickLength, 0));
        painter.drawText(QRectF(p.x() - TickLength - 3 - 200, p.y() - lineH / 2.0, 200, lineH),
                         Qt::AlignRight | Qt::AlignVCenter, ToQ(t.Text));
    }
    if (map) {
        map->Valid = true;
        map->Front = face({{0, 0, zFront}, {1, 0, zFront}, {1, 1, zFront}, {0, 1, zFront}});
        map->Range = range;
    }
}

// ------------------------------------------------------------ screen, mouse

void TChart::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (!CacheValid || Cache.size() != pixels) {
        if (Cache.size() != pixels) {
            Cache = QPixmap(pixels);
            Cache.setDevicePixelRatio(ratio);
        }
        QPainter cachePainter(&Cache);
        ScreenMap = TScreenMap();
        DrawChart(cachePainter, rect(), &ScreenMap);
        CacheValid = true;
        ++RenderCountValue;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, Cache);
    if (Banding) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(BandStart, BandEnd).normalized());
    }
}

void TChart::resizeEvent(QResizeEvent *event)
{
    CacheValid = false;
    QWidget::resizeEvent(event);
}

void TChart::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        Invalidate();
    QWidget::changeEvent(event);
}

bool TChart::MapToData(const QPointF &point, double &x, double &y) const
{
    if (!ScreenMap.Valid)
        return false;
    const TRange &r = ScreenMap.Range;
    double u, v;
    if (!View3DValue) {
        const QRectF &plot = ScreenMap.Plot;
        u = (point.x() - plot.left()) / plot.width();
        v = (plot.bottom() - point.y()) / plot.height();
    } else {
        // The front face is a plane, so its perspective image maps back by
        // a projective transform.
        QTransform toUnit;
        const QPolygonF unit({QPointF(0, 0), QPointF(1, 0), QPointF(1, 1), QPointF(0, 1)});
        if (ScreenMap.Front.size() != 4 || !QTransform::quadToQuad(ScreenMap.Front, unit, toUnit))
            return false;
        const QPointF q = toUnit.map(point);
        u = q.x(), v = q.y();
    }
    if (!std::isfinite(u) || !std::isfinite(v))
        return false;
    u = std::clamp(u, 0.0, 1.0), v = std::clamp(v, 0.0, 1.0);
    x = r.XMin + u * (r.XMax - r.XMin);
    y = r.YMin + v * (r.YMax - r.YMin);
    return true;
}

void TChart::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        Banding = true;
        BandStart = BandEnd = event->position().toPoint();
    }
    QWidget::mousePressEvent(event);
}

void TChart::mouseMoveEvent(QMouseEvent *event)
{
    if (Banding) {
        BandEnd = event->position().toPoint();
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void TChart::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !Banding)
        return QWidget::mouseReleaseEvent(event);
    Banding = false;
    BandEnd = event->position().toPoint();
    update();
    const QPoint delta = BandEnd - BandStart;
    constexpr int MinDrag = 4; // less is a click, not a drag
    if ((delta.x() < 0 || delta.y() < 0) && delta.manhattanLength() >= MinDrag) {
        UndoZoom();
    } else if (delta.x() >= MinDrag && delta.y() >= MinDrag) {
        double x0, y0, x1, y1;
        // The band's top left is the minimum x and the maximum y.
        if (MapToData(BandStart, x0, y1) && MapToData(BandEnd, x1, y0) && x1 > x0 && y1 > y0)
            ZoomTo({x0, x1, y0, y1});
    }
}

void TChart::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit OnDblClick();
    QWidget::mouseDoubleClickEvent(event);
}

// ---------------------------------------------------------------- printing

void TChart::DrawPage(QPainter &painter, const QRect &pageRect)
{
    const QRect &m = MarginsValue;
    const QRect inner(pageRect.left() + pageRect.width() * m.x() / 100,
                      pageRect.top() + pageRect.height() * m.y() / 100,
                      pageRect.width() * (100 - m.x() - m.width()) / 100,
                      pageRect.height() * (100 - m.y() - m.height()) / 100);
    if (inner.width() <= 0 || inner.height() <= 0)
        return;
    // Lay the chart out at screen detail, then scale it to the device.
    const int detail = PrintResolutionValue == 0 ? 100 : std::clamp(std::abs(PrintResolutionValue), 10, 1000);
    const int dpi = painter.device() ? painter.device()->logicalDpiX() : 96;
    const double scale = std::max(dpi / 96.0 * 100.0 / detail, 0.01);
    QSizeF logical(inner.width() / scale, inner.height() / scale);
    QPointF origin = inner.topLeft();
    if (PrintProportionalValue && width() > 0 && height() > 0) {
        const QSizeF fitted = QSizeF(size()).scaled(logical, Qt::KeepAspectRatio);
        origin += QPointF((logical.width() - fitted.width()) * scale / 2,
                          (logical.height() - fitted.height()) * scale / 2);
        logical = fitted;
    }
    painter.save();
    painter.setClipRect(inner);
    painter.translate(origin);
    painter.scale(scale, scale);
    const QSize size(static_cast<int>(std::ceil(logical.width())), static_cast<int>(std::ceil(logical.height())));
    DrawChart(painter, QRect(QPoint(0, 0), size), nullptr);
    painter.restore();
}

bool TChart::PrintLandscapeTo(QPrinter &printer)
{
    const QPageLayout::Orientation oldOrientation = printer.pageLayout().orientation();
    const bool oldFullPage = printer.fullPage();
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setFullPage(true); // the margins are ours, in percent of the paper
    QPainter painter;
    const bool opened = painter.begin(&printer);
    if (opened) {
        DrawPage(painter, QRect(QPoint(0, 0), printer.paperRect(QPrinter::DevicePixel).size().toSize()));
        painter.end();
    }
    printer.setFullPage(oldFullPage);
    printer.setPageOrientation(oldOrientation);
    return opened;
}

bool TChart::PrintLandscape()
{
    const TPrinterLookup &lookup = PrinterLookup();
    const QPrinterInfo info = lookup ? lookup() : QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        Dialogs().MessageDlg(this, "Print", "No printer is installed, so the chart cannot be printed.", mtError, mbOK);
        return false;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    if (!PrintLandscapeTo(printer)) {
        Dialogs().MessageDlg(this, "Print", "The printer \"" + FromQ(info.printerName()) + "\" could not be started.",
                             mtError, mbOK);
        return false;
    }
    return true;
}
