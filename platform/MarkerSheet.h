#pragma once
// One point marker of a chart series (a rectangle of 2w by 2h pixels around
// the point, filled, with a one-pixel outline, antialiased) drawn at
// Phases x Phases offsets within a pixel into a small sheet, and copied from
// there for every point: a copy costs a fraction of drawing an antialiased
// rectangle with its outline, and the markers are still laid down one after
// the other, each covering those before it. A point's place is rounded to
// the nearest quarter pixel. Only for painters that map to whole device
// pixels without scaling (the screen and images, not a printed page).
#include <QColor>
#include <QImage>
#include <QPointF>

#include <cstddef>
#include <optional>
#include <vector>

class QPainter;

class TMarkerSheet {
public:
    static constexpr int Phases = 4;

    // Whether painter maps to whole device pixels without scaling.
    static bool Fits(const QPainter &painter);

    // Outline: its colour, or none. w and h: half the width and height, 0..63.
    TMarkerSheet(std::optional<QColor> Outline, const QColor &Fill, int w, int h);

    // The marker of the point p (logical coordinates of painter).
    void Draw(QPainter &painter, const QPointF &p) const;

private:
    struct TCovered {
        std::size_t X, Y;
        int Fill, Outline; // coverage, 0..255
    };
    // Where the fill and the outline of a marker of one size reach, for every offset.
    struct TMasks {
        int W = 0, H = 0, MarginX = 0, MarginY = 0, CellW = 0, CellH = 0;
        std::vector<TCovered> Covered;
    };
    static const TMasks &MasksOf(int w, int h);

    const TMasks &Masks;
    QImage Sheet;
};
