#pragma once
// Our own small chart widget: line series drawn as 2D curves or, in the 3D
// view, one behind the other in depth as a family of curves. One drawing
// routine serves the screen, images and the printer.
#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QPolygonF>
#include <QRect>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QPainter;
class QPrinter;
class QPrinterInfo;
class QVariantAnimation;
class TChart;

class TChartPen {
public:
    explicit TChartPen(TChart *chart, QColor color) : Chart(chart), ColorValue(color) {}
    QColor Color() const { return ColorValue; }
    void SetColor(const QColor &color);
    bool Visible() const { return VisibleValue; }
    void SetVisible(bool visible);

private:
    TChart *Chart;
    QColor ColorValue;
    bool VisibleValue = true;
};

// The point markers of a series: a rectangle of HorizSize by VertSize pixels
// to each side of the point.
class TSeriesPointer {
public:
    explicit TSeriesPointer(TChart *chart) : Chart(chart), PenValue(chart, Qt::black) {}
    bool Visible() const { return VisibleValue; }
    void SetVisible(bool visible);
    int HorizSize() const { return HorizSizeValue; }
    void SetHorizSize(int size);
    int VertSize() const { return VertSizeValue; }
    void SetVertSize(int size);
    TChartPen &Pen() { return PenValue; }
    const TChartPen &Pen() const { return PenValue; }

private:
    TChart *Chart;
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

    TChart *ParentChart() const { return Chart; }

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
    void Clear();

protected:
    explicit TChartSeries(TChart &chart);
    void Changed();

private:
    friend class TChart;
    TChart *Chart;
    std::string TitleValue;
    bool ActiveValue = true;
    QColor SeriesColorValue;
    TChartPen LinePenValue;
    QColor AreaColorValue;
    std::vector<double> Xs, Ys;
};

class TLineSeries : public TChartSeries {
public:
    explicit TLineSeries(TChart &chart);
    TSeriesPointer &Pointer() { return PointerValue; }
    const TSeriesPointer &Pointer() const { return PointerValue; }

private:
    TSeriesPointer PointerValue;
};

// The displayed range of an axis follows the data unless the user zoomed.
class TChartAxis {
public:
    explicit TChartAxis(TChart *chart) : Chart(chart) {}
    const std::string &Title() const { return TitleValue; }
    void SetTitle(const std::string &title);
    double Minimum() const;
    double Maximum() const;

private:
    friend class TChart;
    TChart *Chart;
    std::string TitleValue;
    double Min = 0, Max = 1; // as last computed or zoomed
};

class TView3DOptions {
public:
    explicit TView3DOptions(TChart *chart) : Chart(chart) {}
    // Degrees, kept exactly as given; drawing takes them modulo 360, and
    // 360 (or 0) looks straight at the front.
    int Rotation() const { return RotationValue; }
    void SetRotation(int degrees);
    int Elevation() const { return ElevationValue; }
    void SetElevation(int degrees);
    // 0 is a parallel projection, 100 the strongest perspective.
    int Perspective() const { return PerspectiveValue; }
    void SetPerspective(int percent);
    // Size of the 3D box in percent of the space it may take.
    int Zoom() const { return ZoomValue; }
    void SetZoom(int percent);
    // An oblique front view that ignores rotation and elevation.
    bool Orthogonal() const { return OrthogonalValue; }
    void SetOrthogonal(bool orthogonal);

private:
    TChart *Chart;
    int RotationValue = 345;
    int ElevationValue = 345;
    int PerspectiveValue = 5;
    int ZoomValue = 90;
    bool OrthogonalValue = false;
};

// Degrees + Step, as a movement of the 3D view turns an angle. Where the sum
// would leave the range of int, the angle is first taken whole turns nearer
// zero: the view moves the same, and every stored angle can still be moved.
int TurnDegrees(int Degrees, int Step);

struct TChartTick {
    double Value;
    std::string Text;
};
// Round tick values (1, 2 or 5 times a power of ten) within [min, max], at
// most about maxCount of them, labelled with the given decimal separator.
std::vector<TChartTick> ChartTicks(double min, double max, int maxCount, char decimalSeparator);

// Where printing finds the default printer; the system's unless replaced
// (an empty function restores it).
using TPrinterLookup = std::function<QPrinterInfo()>;
void SetPrinterLookup(TPrinterLookup lookup);

class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget *parent = nullptr);
    ~TChart() override;

    int SeriesCount() const { return static_cast<int>(SeriesList.size()); }
    TChartSeries *Series(int index) const { return SeriesList.at(static_cast<size_t>(index)); }

    const std::string &Title() const { return TitleText; }
    void SetTitle(const std::string &title);
    TChartAxis &BottomAxis() { return Bottom; }
    TChartAxis &LeftAxis() { return Left; }
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

    bool AnimatedZoom() const { return AnimatedZoomValue; }
    void SetAnimatedZoom(bool on);
    bool Zoomed() const { return ZoomedValue; }
    // Back to the ranges of the data; raises OnUndoZoom.
    void UndoZoom();

    // Draws the whole chart into rect of any paint device.
    void Draw(QPainter &painter, const QRect &rect);

    bool PrintProportional() const { return PrintProportionalValue; }
    void SetPrintProportional(bool on);
    // Margins in percent of the page: left, top, right, bottom.
    void SetPrintMargins(int left, int top, int right, int bottom);
    QRect PrintMargins() const { return MarginsValue; }
    // The detail of the print in percent of the screen's (its magnitude; 0
    // counts as 100): -100 lays the chart out like on a 96 dpi screen.
    int PrintResolution() const { return PrintResolutionValue; }
    void SetPrintResolution(int value);
    // Prints in landscape on the default printer; with no printer installed,
    // says so in a message and returns false.
    bool PrintLandscape();
    // Prints one landscape page on the given printer, whose orientation is
    // restored afterwards; false when the printer cannot be opened.
    bool PrintLandscapeTo(QPrinter &printer);
    // Lays out one printed page: the chart within the margins of pageRect.
    void DrawPage(QPainter &painter, const QRect &pageRect);

    // How often the screen image was drawn afresh (repaints that only copy
    // it do not count): a figure for diagnostics and benchmarks.
    int RenderCount() const { return RenderCountValue; }

signals:
    void OnUndoZoom();
    void OnDblClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

public:
    // Displayed ranges of the bottom (x) and left (y) axes.
    struct TRange {
        double XMin, XMax, YMin, YMax;
    };

private:
    friend class TChartSeries;
    friend class TChartPen;
    friend class TSeriesPointer;
    friend class TChartAxis;
    friend class TView3DOptions;

    // What the last screen drawing knows for mapping the mouse back to data.
    struct TScreenMap {
        bool Valid = false;
        QRectF Plot;      // 2D: the plot area
        QPolygonF Front;  // 3D: the projected front face, corners (xmin,ymin) (xmax,ymin) (xmax,ymax) (xmin,ymax)
        TRange Range{0, 1, 0, 1};
    };

    void Invalidate();
    // Settings repaint the chart only when they change.
    template <typename T>
    void Assign(T &field, const T &value)
    {
        if (field != value) {
            field = value;
            Invalidate();
        }
    }
    void Register(TChartSeries *series);
    void Unregister(TChartSeries *series);
    TRange DataRange() const;
    TRange ShownRange();
    void DrawChart(QPainter &painter, const QRect &rect, TScreenMap *map);
    QRect DrawFrame(QPainter &painter, const QRect &rect, const std::vector<const TChartSeries *> &shown);
    void Draw2D(QPainter &painter, const QRect &area, const TRange &range,
                const std::vector<const TChartSeries *> &shown, TScreenMap *map);
    void Draw3D(QPainter &painter, const QRect &area, const TRange &range,
                const std::vector<const TChartSeries *> &shown, TScreenMap *map);
    bool MapToData(const QPointF &point, double &x, double &y) const;
    void ZoomTo(const TRange &target);
    void AnimateTo(const TRange &target);

    std::vector<TChartSeries *> SeriesList;
    std::string TitleText;
    TChartAxis Bottom{this}, Left{this};
    bool LegendVisibleValue = true;
    bool View3DValue = false;
    int Chart3DPercentValue = 15;
    TView3DOptions Options3D{this};
    bool View3DWallsValue = false;
    bool AnimatedZoomValue = true;

    bool ZoomedValue = false;
    TRange ZoomRange{0, 1, 0, 1};
    QVariantAnimation *Animation = nullptr;
    TRange AnimFrom{0, 1, 0, 1}, AnimTo{0, 1, 0, 1};

    bool PrintProportionalValue = true;
    QRect MarginsValue{15, 15, 15, 15}; // left, top, right, bottom as x, y, width, height
    int PrintResolutionValue = 0;

    QPixmap Cache;
    bool CacheValid = false;
    int RenderCountValue = 0;
    TScreenMap ScreenMap;
    bool Banding = false;
    QPoint BandStart, BandEnd;
};
