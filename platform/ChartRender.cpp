#include "platform/ChartRender.h"

#include "platform/ChartContent.h"
#include "platform/ChartTicks.h"
#include "platform/LocaleInfo.h"
#include "platform/MarkerSheet.h"
#include "platform/SystemText.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <optional>

namespace {

using TShown = std::vector<const TChartSeries *>;

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

// A value's place on an axis, 0 at the minimum and 1 at the maximum shown.
double AlongX(const TChartRange &range, double x) { return (x - range.XMin) / (range.XMax - range.XMin); }
double AlongY(const TChartRange &range, double y) { return (y - range.YMin) / (range.YMax - range.YMin); }

// The point markers of a line series; place gives the screen point of a
// point in normalised coordinates, which lie in 0..1 when it is shown.
template <typename Place>
void DrawMarkers(QPainter &painter, const TChartSeries &series, const TChartRange &range, double hair, Place place)
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
        const double u = AlongX(range, series.XValue(i));
        const double v = AlongY(range, series.YValue(i));
        if (u < 0 || u > 1 || v < 0 || v > 1)
            continue;
        const QPointF p = place(u, v);
        if (sheet)
            sheet->Draw(painter, p);
        else
            painter.drawRect(QRectF(p.x() - w, p.y() - h, 2 * w, 2 * h));
    }
}

// ------------------------------------------------------------------- frame

// The title centred at the top; returns the room below it.
QRect DrawTitle(QPainter &painter, QRect area, const std::string &title)
{
    if (title.empty())
        return area;
    const QFont titleFont = TitleFont();
    painter.setFont(titleFont);
    painter.setPen(Qt::blue);
    const int h = QFontMetrics(titleFont).height();
    painter.drawText(QRect(area.left(), area.top(), area.width(), h), Qt::AlignCenter, ToQ(title));
    area.setTop(area.top() + h + 6);
    return area;
}

// One entry per shown series at the right, 5 % from the top, as many as
// fit; returns the room left of it.
QRect DrawLegend(QPainter &painter, const QRect &rect, QRect area, const TShown &shown, const QFontMetrics &fm)
{
    const int lineH = fm.height();
    int textW = 0;
    for (const TChartSeries *s : shown)
        textW = std::max(textW, fm.horizontalAdvance(ToQ(s->Title())));
    const int width = std::min(textW + 36, rect.width() / 3);
    const int top = rect.top() + rect.height() * 5 / 100;
    const int fits = std::max(0, (rect.bottom() - 6 - top - 6) / (lineH + 1));
    const int count = std::min<int>(fits, static_cast<int>(shown.size()));
    const QRect box(area.right() - width, top, width, count * (lineH + 1) + 6);
    if (count == 0)
        return area;
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
    return area;
}

// The axis titles at the outer edges; returns the room between them.
QRect DrawAxisTitles(QPainter &painter, QRect area, const TChartContent &content, int lineH)
{
    painter.setPen(Qt::black);
    const std::string &left = content.LeftAxis().Title(), &bottom = content.BottomAxis().Title();
    if (!left.empty()) {
        painter.save();
        painter.translate(area.left(), area.center().y());
        painter.rotate(-90);
        painter.drawText(QRect(-area.height() / 2, 0, area.height(), lineH), Qt::AlignCenter, ToQ(left));
        painter.restore();
        area.setLeft(area.left() + lineH + 4);
    }
    if (!bottom.empty()) {
        painter.drawText(QRect(area.left(), area.bottom() - lineH, area.width(), lineH), Qt::AlignCenter,
                         ToQ(bottom));
        area.setBottom(area.bottom() - lineH - 4);
    }
    return area;
}

// Background, title, legend and axis titles; returns the room left for the plot.
QRect DrawFrame(QPainter &painter, const QRect &rect, const TChartContent &content, const TShown &shown)
{
    const QFontMetrics fm(LabelFont());
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, QApplication::palette().color(QPalette::Button));
    painter.fillRect(rect, gradient);

    QRect area = DrawTitle(painter, rect.adjusted(8, 6, -10, -6), content.Title());
    painter.setFont(LabelFont());
    if (content.LegendVisible() && !shown.empty())
        area = DrawLegend(painter, rect, area, shown, fm);
    return DrawAxisTitles(painter, area, content, fm.height());
}

// ---------------------------------------------------------------------- 2D

struct TPlot2D {
    QRectF Plot;
    std::vector<TChartTick> XTicks, YTicks;
    int YLabelW;
};

// The plot area within area, leaving room for the tick labels; none when
// too small.
std::optional<TPlot2D> LayOutPlot(const TTickLabels &labels, const QRect &area, const TChartRange &range)
{
    const int lineH = labels.LineH;
    const int approxH = std::max(area.height() - lineH - 10, 10);
    std::vector<TChartTick> yTicks = labels.Vertical(range.YMin, range.YMax, approxH);
    const int yLabelW = labels.Width(yTicks);
    QRectF plot(QPointF(area.left() + yLabelW + TickLength + 4, area.top() + lineH / 2),
                QPointF(area.right(), area.bottom() - lineH - TickLength - 2));
    if (plot.width() < 10 || plot.height() < 10)
        return std::nullopt;
    std::vector<TChartTick> xTicks = labels.Horizontal(range.XMin, range.XMax, plot.width());
    // The labels at the ends of the bottom axis are centred on the plot's
    // edges: the plot leaves them room, and the ticks follow its new width.
    for (int pass = 0; pass < 3 && !xTicks.empty(); ++pass) {
        const double first = plot.left() + AlongX(range, xTicks.front().Value) * plot.width();
        const double last = plot.left() + AlongX(range, xTicks.back().Value) * plot.width();
        const double before = std::max(area.left() - (first - labels.TextWidth(xTicks.front().Text) / 2), 0.0);
        const double after = std::max(last + labels.TextWidth(xTicks.back().Text) / 2 - (area.right() + 1), 0.0);
        if (before == 0 && after == 0)
            break;
        plot.adjust(std::ceil(before), 0, -std::ceil(after), 0);
        if (plot.width() < 10)
            return std::nullopt;
        xTicks = labels.Horizontal(range.XMin, range.XMax, plot.width());
    }
    return TPlot2D{plot, std::move(xTicks), std::move(yTicks), yLabelW};
}

// The white plot area with its grid and frame, the ticks and their labels.
void DrawPlotArea(QPainter &painter, const TPlot2D &layout, const TTickLabels &labels, const QRect &area,
                  const TChartRange &range, double hair)
{
    const QRectF &plot = layout.Plot;
    auto px = [&](double x) { return plot.left() + AlongX(range, x) * plot.width(); };
    auto py = [&](double y) { return plot.bottom() - AlongY(range, y) * plot.height(); };
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(plot);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(GridColor, hair));
    for (const TChartTick &t : layout.XTicks)
        painter.drawLine(QPointF(px(t.Value), plot.top()), QPointF(px(t.Value), plot.bottom()));
    for (const TChartTick &t : layout.YTicks)
        painter.drawLine(QPointF(plot.left(), py(t.Value)), QPointF(plot.right(), py(t.Value)));
    painter.setPen(QPen(FrameColor, hair));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    painter.setPen(Qt::black);
    for (const TChartTick &t : layout.XTicks) {
        const double x = px(t.Value);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + TickLength));
        labels.DrawBelow(painter, x, plot.bottom() + TickLength + 1, t.Text, area.left(), area.right() + 1);
    }
    for (const TChartTick &t : layout.YTicks) {
        const double y = py(t.Value);
        painter.drawLine(QPointF(plot.left() - TickLength, y), QPointF(plot.left(), y));
        painter.drawText(QRectF(area.left(), y - labels.LineH / 2.0, layout.YLabelW, labels.LineH),
                         Qt::AlignRight | Qt::AlignVCenter, ToQ(t.Text));
    }
}

// The curves and their markers, cut to the plot.
void DrawCurves(QPainter &painter, const QRectF &plot, const TChartRange &range, const TShown &shown, double hair)
{
    auto place = [&](double u, double v) {
        return QPointF(plot.left() + u * plot.width(), plot.bottom() - v * plot.height());
    };
    painter.setRenderHint(QPainter::Antialiasing, true);
    std::vector<QPointF> run;
    QPolygonF line;
    for (const TChartSeries *s : shown) {
        painter.setPen(QPen(s->SeriesColor(), hair));
        painter.setBrush(Qt::NoBrush);
        ClipRuns(s->XValues(), s->YValues(), range, run, [&](const std::vector<QPointF> &r) {
            line.clear();
            for (const QPointF &p : r)
                line << place(p.x(), p.y());
            painter.drawPolyline(line);
        });
        DrawMarkers(painter, *s, range, hair, place);
    }
}

void Draw2D(QPainter &painter, const QRect &area, const TChartRange &range, const TShown &shown,
            TChartScreenMap *map)
{
    const double hair = HairWidth(painter);
    const TTickLabels labels;
    const std::optional<TPlot2D> layout = LayOutPlot(labels, area, range);
    if (!layout)
        return;
    DrawPlotArea(painter, *layout, labels, area, range, hair);
    DrawCurves(painter, layout->Plot, range, shown, hair);
    if (map) {
        map->Valid = true;
        map->Plot = layout->Plot;
        map->Range = range;
    }
}

// ---------------------------------------------------------------------- 3D

// The box of a 3D drawing, seen from the chart's angles, and its ticks.
struct TBox {
    TChartProjection Proj;
    double ZFront, ZBack;
    std::vector<TChartTick> XTicks, YTicks;

    QPolygonF Face(std::initializer_list<std::array<double, 3>> corners) const
    {
        QPolygonF poly;
        for (const auto &c : corners)
            poly << Proj.Map(c[0], c[1], c[2]);
        return poly;
    }
};

// Each series takes a slice of the depth, series 0 in front; the depth
// grows with the series count so that a family of curves stays apart. None
// when the box has no room.
std::optional<TBox> LayOutBox(const TTickLabels &labels, const QRect &area, const TChartRange &range,
                              const TChartContent &content, int seriesCount)
{
    const int lineH = labels.LineH;
    const int n = std::max<int>(seriesCount, 1);
    const double depthShare = std::clamp(content.Chart3DPercent() * n / 400.0, 0.03, 1.2);
    const int yLabelW = labels.Width(labels.Vertical(range.YMin, range.YMax, area.height()));
    const QRectF plot(area.left() + yLabelW + TickLength + 6, area.top() + lineH / 2.0,
                      area.width() - yLabelW - TickLength - 6, area.height() - lineH - TickLength - 6 - lineH / 2.0);
    if (plot.width() < 10 || plot.height() < 10)
        return std::nullopt;
    const TChartProjection proj(content.View3DOptions().Values(), plot, depthShare);
    const double zFront = proj.FrontZ();
    const double xLen = QLineF(proj.Map(0, 0, zFront), proj.Map(1, 0, zFront)).length();
    const double yLen = QLineF(proj.Map(0, 0, zFront), proj.Map(0, 1, zFront)).length();
    return TBox{proj, zFront, 1 - zFront, labels.Horizontal(range.XMin, range.XMax, xLen),
                labels.Vertical(range.YMin, range.YMax, yLen)};
}

// Walls and grid behind everything, and the floor edges.
void DrawBackOfBox(QPainter &painter, const TBox &box, const TChartRange &range, bool walls, double hair)
{
    const TChartProjection &proj = box.Proj;
    const double zBack = box.ZBack;
    if (walls) {
        const double xSide = proj.BackSideX();
        painter.setPen(QPen(FrameColor, hair));
        painter.setBrush(QColor(238, 238, 238));
        painter.drawPolygon(box.Face({{xSide, 0, 0}, {xSide, 0, 1}, {xSide, 1, 1}, {xSide, 1, 0}}));
        painter.drawPolygon(box.Face({{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}));
    }
    painter.setPen(QPen(FrameColor, hair));
    painter.setBrush(Qt::white);
    painter.drawPolygon(box.Face({{0, 0, zBack}, {1, 0, zBack}, {1, 1, zBack}, {0, 1, zBack}}));
    painter.setPen(QPen(GridColor, hair));
    for (const TChartTick &t : box.XTicks)
        painter.drawLine(proj.Map(AlongX(range, t.Value), 0, zBack), proj.Map(AlongX(range, t.Value), 1, zBack));
    for (const TChartTick &t : box.YTicks)
        painter.drawLine(proj.Map(0, AlongY(range, t.Value), zBack), proj.Map(1, AlongY(range, t.Value), zBack));
    // The floor edges that carry no axis.
    painter.setPen(QPen(FrameColor, hair));
    painter.drawLine(proj.Map(0, 0, 0), proj.Map(0, 0, 1));
    painter.drawLine(proj.Map(1, 0, 0), proj.Map(1, 0, 1));
}

// Buffers that serve every ribbon of a drawing.
struct TRibbonBuffers {
    std::vector<QPointF> Run;
    QPolygonF Ribbon, NearEdge, FarEdge;
};

// One series as a ribbon between the depths zNear and zFar: the face filled,
// then its far and near edges.
void DrawRibbon(QPainter &painter, const TChartProjection &proj, const TChartSeries &s, double zNear, double zFar,
                const TChartRange &range, double hair, TRibbonBuffers &b)
{
    const bool edges = s.LinePen().Visible();
    const QPen edgePen = edges ? QPen(s.LinePen().Color(), hair) : QPen(Qt::NoPen);
    ClipRuns(s.XValues(), s.YValues(), range, b.Run, [&](const std::vector<QPointF> &r) {
        b.NearEdge.clear();
        b.FarEdge.clear();
        for (const QPointF &p : r) {
            b.NearEdge << proj.Map(p.x(), p.y(), zNear);
            b.FarEdge << proj.Map(p.x(), p.y(), zFar);
        }
        b.Ribbon = b.NearEdge;
        for (auto it = b.FarEdge.crbegin(); it != b.FarEdge.crend(); ++it)
            b.Ribbon << *it;
        painter.setPen(Qt::NoPen);
        painter.setBrush(s.SeriesColor());
        // Where the near and far edges are drawn as lines over the fill,
        // antialiasing its border (most of the cost of the fill) would only
        // be painted over.
        painter.setRenderHint(QPainter::Antialiasing, !edges);
        painter.drawPolygon(b.Ribbon, Qt::WindingFill);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(edgePen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(b.FarEdge);
        painter.drawPolyline(b.NearEdge);
    });
}

// The ribbons from the farthest series to the nearest, each with its markers.
void DrawRibbons(QPainter &painter, const TBox &box, const TChartRange &range, const TShown &shown, double hair)
{
    const int n = std::max<int>(static_cast<int>(shown.size()), 1);
    TRibbonBuffers buffers;
    for (int k : box.Proj.FarthestFirst(static_cast<int>(shown.size()))) {
        const TChartSeries &s = *shown[static_cast<size_t>(k)];
        const double z0 = (k + 0.15) / n, z1 = (k + 0.85) / n;
        const double zNear = box.ZFront == 0 ? z0 : z1, zFar = box.ZFront == 0 ? z1 : z0;
        DrawRibbon(painter, box.Proj, s, zNear, zFar, range, hair, buffers);
        DrawMarkers(painter, s, range, hair, [&](double u, double v) { return box.Proj.Map(u, v, zNear); });
    }
}

// The bottom axis along the front floor edge, the left axis on the vertical
// front edge that lies farther left on the screen.
void DrawBoxAxes(QPainter &painter, const TBox &box, const TTickLabels &labels, const QRect &area,
                 const TChartRange &range)
{
    const TChartProjection &proj = box.Proj;
    const double zFront = box.ZFront;
    const int lineH = labels.LineH;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(proj.Map(0, 0, zFront), proj.Map(1, 0, zFront));
    const double xEdge = proj.LeftEdgeX(zFront);
    painter.drawLine(proj.Map(xEdge, 0, zFront), proj.Map(xEdge, 1, zFront));
    for (const TChartTick &t : box.XTicks) {
        const QPointF p = proj.Map(AlongX(range, t.Value), 0, zFront);
        painter.drawLine(p, p + QPointF(0, TickLength));
        labels.DrawBelow(painter, p.x(), p.y() + TickLength + 1, t.Text, area.left(), area.right() + 1);
    }
    for (const TChartTick &t : box.YTicks) {
        const QPointF p = proj.Map(xEdge, AlongY(range, t.Value), zFront);
        painter.drawLine(p, p - QPointF(TickLength, 0));
        painter.drawText(QRectF(p.x() - TickLength - 3 - 200, p.y() - lineH / 2.0, 200, lineH),
                         Qt::AlignRight | Qt::AlignVCenter, ToQ(t.Text));
    }
}

void Draw3D(QPainter &painter, const QRect &area, const TChartRange &range, const TChartContent &content,
            const TShown &shown, TChartScreenMap *map)
{
    const double hair = HairWidth(painter);
    const TTickLabels labels;
    const std::optional<TBox> box = LayOutBox(labels, area, range, content, static_cast<int>(shown.size()));
    if (!box)
        return;
    DrawBackOfBox(painter, *box, range, content.View3DWalls(), hair);
    DrawRibbons(painter, *box, range, shown, hair);
    DrawBoxAxes(painter, *box, labels, area, range);
    if (map) {
        const double z = box->ZFront;
        map->Valid = true;
        map->Front = box->Face({{0, 0, z}, {1, 0, z}, {1, 1, z}, {0, 1, z}});
        map->Range = range;
    }
}

} // namespace

void RenderChart(QPainter &painter, const QRect &rect, const TChartContent &content, const TChartRange &range,
                 TChartScreenMap *map)
{
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    TShown shown;
    for (int i = 0; i < content.SeriesCount(); ++i)
        if (content.Series(i)->Active())
            shown.push_back(content.Series(i));
    const QRect area = DrawFrame(painter, rect, content, shown);
    painter.setFont(LabelFont());
    if (content.View3D())
        Draw3D(painter, area, range, content, shown, map);
    else
        Draw2D(painter, area, range, shown, map);
    painter.restore();
}
