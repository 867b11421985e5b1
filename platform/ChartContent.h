#pragma once
// What a chart shows: its line series with their points, colours and
// markers, the titles, the legend and the settings of the 3D view. Every
// change of a setting or of the data tells the chart (Changed), so that the
// widget repaints.
#include "platform/ChartProjection.h"

#include <QColor>

#include <string>
#include <vector>

class TChartContent;

class TChartPen {
public:
    explicit TChartPen(TChartContent *chart, QColor color) : Chart(chart), ColorValue(color) {}
    QColor Color() const { return ColorValue; }
    void SetColor(const QColor &color);
    bool Visible() const { return VisibleValue; }
    void SetVisible(bool visible);

private:
    TChartContent *Chart;
    QColor ColorValue;
    bool VisibleValue = true;
};

// The point markers of a series: a rectangle of HorizSize by VertSize pixels
// to each side of the point.
class TSeriesPointer {
public:
    explicit TSeriesPointer(TChartContent *chart) : Chart(chart), PenValue(chart, Qt::black) {}
    bool Visible() const { return VisibleValue; }
    void SetVisible(bool visible);
    int HorizSize() const { return HorizSizeValue; }
    void SetHorizSize(int size);
    int VertSize() const { return VertSizeValue; }
    void SetVertSize(int size);
    TChartPen &Pen() { return PenValue; }
    const TChartPen &Pen() const { return PenValue; }

private:
    TChartContent *Chart;
    bool VisibleValue = false;
    int HorizSizeValue = 2;
    int VertSizeValue = 2;
    TChartPen PenValue;
};

// A series belongs to the chart given at construction and appends itself to
// its list; deleting it removes it, and the chart deletes what is left.
class TChartSeries {
public:
    virtual ~TChartSeries();
    TChartSeries(const TChartSeries &) = delete;
    TChartSeries &operator=(const TChartSeries &) = delete;

    TChartContent *ParentChart() const { return Chart; }

    const std::string &Title() const { return TitleValue; }
    void SetTitle(const std::string &title);
    // Only active series are drawn and take part in the axis ranges.
    bool Active() const { return ActiveValue; }
    void SetActive(bool active);
    // The line colour in 2D and the face colour of the ribbon in 3D; the
    // chart picks one from its palette when the series is created.
    QColor SeriesColor() const { return SeriesColorValue; }
    void SetSeriesColor(const QColor &color);
    // The outline of the ribbon in 3D.
    TChartPen &LinePen() { return LinePenValue; }
    const TChartPen &LinePen() const { return LinePenValue; }
    QColor AreaColor() const { return AreaColorValue; }
    void SetAreaColor(const QColor &color);

    // Adds a point behind all points of equal or smaller x; returns its index,
    // or -1 for a point that is not finite (it cannot be placed on an axis).
    int AddXY(double x, double y);
    int Count() const { return static_cast<int>(Xs.size()); }
    double XValue(int index) const { return Xs.at(static_cast<size_t>(index)); }
    double YValue(int index) const { return Ys.at(static_cast<size_t>(index)); }
    // All points, in ascending x.
    const std::vector<double> &XValues() const { return Xs; }
    const std::vector<double> &YValues() const { return Ys; }
    void Clear();

protected:
    explicit TChartSeries(TChartContent &chart);
    void Changed();

private:
    friend class TChartContent;
    TChartContent *Chart;
    std::string TitleValue;
    bool ActiveValue = true;
    QColor SeriesColorValue;
    TChartPen LinePenValue;
    QColor AreaColorValue;
    std::vector<double> Xs, Ys;
};

class TLineSeries : public TChartSeries {
public:
    explicit TLineSeries(TChartContent &chart);
    TSeriesPointer &Pointer() { return PointerValue; }
    const TSeriesPointer &Pointer() const { return PointerValue; }

private:
    TSeriesPointer PointerValue;
};

// The displayed range of an axis follows the data unless the user zoomed.
class TChartAxis {
public:
    TChartAxis(TChartContent *chart, bool horizontal) : Chart(chart), Horizontal(horizontal) {}
    const std::string &Title() const { return TitleValue; }
    void SetTitle(const std::string &title);
    double Minimum() const;
    double Maximum() const;

private:
    TChartContent *Chart;
    bool Horizontal;
    std::string TitleValue;
};

class TView3DOptions {
public:
    explicit TView3DOptions(TChartContent *chart) : Chart(chart) {}
    // Degrees, kept exactly as given; drawing takes them modulo 360, and
    // 360 (or 0) looks straight at the front.
    int Rotation() const { return View.Rotation; }
    void SetRotation(int degrees);
    int Elevation() const { return View.Elevation; }
    void SetElevation(int degrees);
    // 0 is a parallel projection, 100 the strongest perspective.
    int Perspective() const { return View.Perspective; }
    void SetPerspective(int percent);
    // Size of the 3D box in percent of the space it may take.
    int Zoom() const { return View.Zoom; }
    void SetZoom(int percent);
    // An oblique front view that ignores rotation and elevation.
    bool Orthogonal() const { return View.Orthogonal; }
    void SetOrthogonal(bool orthogonal);

    const TChartView &Values() const { return View; }

private:
    TChartContent *Chart;
    TChartView View;
};

// Degrees + Step, as a movement of the 3D view turns an angle. Where the sum
// would leave the range of int, the angle is first taken whole turns nearer
// zero: the view moves the same, and every stored angle can still be moved.
int TurnDegrees(int Degrees, int Step);

class TChartContent {
public:
    TChartContent() = default;
    // Deletes the series left on the chart.
    virtual ~TChartContent();
    TChartContent(const TChartContent &) = delete;
    TChartContent &operator=(const TChartContent &) = delete;

    int SeriesCount() const { return static_cast<int>(SeriesList.size()); }
    TChartSeries *Series(int index) const { return SeriesList.at(static_cast<size_t>(index)); }

    const std::string &Title() const { return TitleText; }
    void SetTitle(const std::string &title);
    TChartAxis &BottomAxis() { return Bottom; }
    const TChartAxis &BottomAxis() const { return Bottom; }
    TChartAxis &LeftAxis() { return Left; }
    const TChartAxis &LeftAxis() const { return Left; }
    bool LegendVisible() const { return LegendVisibleValue; }
    void SetLegendVisible(bool visible);

    bool View3D() const { return View3DValue; }
    void SetView3D(bool on);
    // Depth of one series in the 3D view, 1 to 100.
    int Chart3DPercent() const { return Chart3DPercentValue; }
    void SetChart3DPercent(int percent);
    TView3DOptions &View3DOptions() { return Options3D; }
    const TView3DOptions &View3DOptions() const { return Options3D; }
    // Side wall and floor of the 3D box besides the back wall.
    bool View3DWalls() const { return View3DWallsValue; }
    void SetView3DWalls(bool on);

    // The ranges of the active series, widened to round tick values;
    // 0..1 on both axes when there are no points.
    TChartRange DataRange() const;

protected:
    // A setting or the data changed.
    virtual void Changed() {}
    // The ranges the axes show: those of the data unless zoomed.
    virtual TChartRange ShownRange() { return DataRange(); }

private:
    friend class TChartSeries;
    friend class TChartPen;
    friend class TSeriesPointer;
    friend class TChartAxis;
    friend class TView3DOptions;

    // Settings change the chart only when they change.
    template <typename T>
    void Assign(T &field, const T &value)
    {
        if (field != value) {
            field = value;
            Changed();
        }
    }
    void Register(TChartSeries *series);
    void Unregister(TChartSeries *series);

    std::vector<TChartSeries *> SeriesList;
    std::string TitleText;
    TChartAxis Bottom{this, true}, Left{this, false};
    bool LegendVisibleValue = true;
    bool View3DValue = false;
    int Chart3DPercentValue = 15;
    TView3DOptions Options3D{this};
    bool View3DWallsValue = false;
};
