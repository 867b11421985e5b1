#pragma once
// Our own small chart widget: line series drawn as 2D curves or, in the 3D
// view, one behind the other in depth as a family of curves. The widget keeps
// the screen image, zooms with a rubber band dragged by the mouse and prints;
// what it shows lives in its content, and one drawing routine serves the
// screen, images and the printer.
#include "platform/ChartContent.h"
#include "platform/ChartPrint.h"
#include "platform/ChartProjection.h"
#include "platform/ChartTicks.h"

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>

class QPainter;
class QPrinter;
class QVariantAnimation;

class TChart : public QWidget, public TChartContent {
    Q_OBJECT
public:
    explicit TChart(QWidget *parent = nullptr);
    ~TChart() override;

    bool AnimatedZoom() const { return AnimatedZoomValue; }
    void SetAnimatedZoom(bool on);
    bool Zoomed() const { return ZoomedValue; }
    // Back to the ranges of the data; raises OnUndoZoom.
    void UndoZoom();

    // Draws the whole chart into rect of any paint device.
    void Draw(QPainter &painter, const QRect &rect);

    bool PrintProportional() const { return Printing.Proportional(); }
    void SetPrintProportional(bool on);
    // Margins in percent of the page: left, top, right, bottom.
    void SetPrintMargins(int left, int top, int right, int bottom);
    QRect PrintMargins() const { return Printing.Margins(); }
    // The detail of the print in percent of the screen's (its magnitude; 0
    // counts as 100): -100 lays the chart out like on a 96 dpi screen.
    int PrintResolution() const { return Printing.Resolution(); }
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
    void Changed() override;
    TChartRange ShownRange() override;

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    TChartDrawing Drawing();
    void StartMove(bool animate);
    void ZoomTo(const TChartRange &target);

    bool AnimatedZoomValue = true;
    bool ZoomedValue = false;
    TChartRange ZoomRange{0, 1, 0, 1};
    QVariantAnimation *Animation = nullptr;
    TChartRange AnimFrom{0, 1, 0, 1};

    TChartPrint Printing;

    QPixmap Cache;
    bool CacheValid = false;
    int RenderCountValue = 0;
    TChartScreenMap ScreenMap;
    bool Banding = false;
    QPoint BandStart, BandEnd;
};
