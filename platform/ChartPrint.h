#pragma once
// Printing a chart: its place on the page within margins, laid out at the
// detail of the screen and scaled to the device, and one landscape page on
// a printer.
#include <QRect>
#include <QSize>

#include <functional>

class QPainter;
class QPrinter;
class QPrinterInfo;
class QWidget;

// Where printing finds the default printer; the system's unless replaced
// (an empty function restores it).
using TPrinterLookup = std::function<QPrinterInfo()>;
void SetPrinterLookup(TPrinterLookup lookup);

// Draws the whole chart into a rectangle of a paint device.
using TChartDrawing = std::function<void(QPainter &painter, const QRect &rect)>;

class TChartPrint {
public:
    // Keeps the chart's proportions on screen, or fills the page within the margins.
    bool Proportional() const { return ProportionalValue; }
    void SetProportional(bool on) { ProportionalValue = on; }
    // Margins in percent of the page: left, top, right, bottom.
    void SetMargins(int left, int top, int right, int bottom);
    QRect Margins() const { return MarginsValue; }
    // The detail of the print in percent of the screen's (its magnitude; 0
    // counts as 100): -100 lays the chart out like on a 96 dpi screen.
    int Resolution() const { return ResolutionValue; }
    void SetResolution(int value) { ResolutionValue = value; }

    // Lays out one page: the chart within the margins of pageRect; screen is
    // the chart's size on the screen.
    void DrawPage(QPainter &painter, const QRect &pageRect, const QSize &screen, const TChartDrawing &draw) const;
    // Prints one landscape page on the given printer, whose orientation is
    // restored afterwards; false when the printer cannot be opened.
    bool PrintLandscapeTo(QPrinter &printer, const QSize &screen, const TChartDrawing &draw) const;
    // Prints in landscape on the default printer; with no printer installed,
    // or one that cannot be started, says so in a message over owner and
    // returns false.
    bool PrintLandscape(QWidget *owner, const QSize &screen, const TChartDrawing &draw) const;

private:
    bool ProportionalValue = true;
    QRect MarginsValue{15, 15, 15, 15}; // left, top, right, bottom as x, y, width, height
    int ResolutionValue = 0;
};
