#pragma once
// Where data lands on the device: the ranges the axes show, the 3D box seen
// from the chart's angles, polylines cut to the shown range, and the way back
// from a screen point to data. Pure geometry, testable without painting.
#include <QPointF>
#include <QPolygonF>
#include <QRectF>

#include <algorithm>
#include <functional>
#include <vector>

// Displayed ranges of the bottom (x) and left (y) axes.
struct TChartRange {
    double XMin, XMax, YMin, YMax;
};

// The angles and the lens of the 3D view.
struct TChartView {
    // Degrees, taken modulo 360; 360 (or 0) looks straight at the front.
    int Rotation = 345;
    int Elevation = 345;
    // 0 is a parallel projection, 100 the strongest perspective.
    int Perspective = 5;
    // Size of the box in percent of the space it may take.
    int Zoom = 90;
    // An oblique front view that ignores rotation and elevation.
    bool Orthogonal = false;
};

// The 3D box seen from the view's angles: normalised (x, y, depth) in
// 0..1 to screen points, fitted into the plot area. Depth 0 is the face of
// the first series.
class TChartProjection {
public:
    // depthShare: the depth of the box in widths of the plot.
    TChartProjection(const TChartView &view, const QRectF &plot, double depthShare);

    // Inline: a drawing maps every point of every series a few times.
    QPointF Map(double x, double y, double z) const
    {
        double sx, sy;
        Eye(x, y, z, sx, sy);
        return {Offset.x() + sx * Scale, Offset.y() + sy * Scale};
    }
    // Distance from the viewer along the line of sight (larger is farther).
    double Far(double x, double y, double z) const;

    // The depth (0 or 1) of the face nearer the viewer.
    double FrontZ() const { return Far(0.5, 0.5, 0) <= Far(0.5, 0.5, 1) ? 0.0 : 1.0; }
    // The side (x = 0 or 1) whose wall lies behind the data.
    double BackSideX() const { return Far(0, 0.5, 0.5) >= Far(1, 0.5, 0.5) ? 0.0 : 1.0; }
    // The vertical edge (x = 0 or 1) of the face at depth z that lies farther left on the screen.
    double LeftEdgeX(double z) const { return Map(0, 0, z).x() <= Map(1, 0, z).x() ? 0.0 : 1.0; }
    // Slices k = 0..count-1 of the depth, centred at (k + 0.5) / count, the farthest first.
    std::vector<int> FarthestFirst(int count) const;

private:
    // The point seen from the view, before the fit into the plot.
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

// Cuts the polyline (xs, ys) to the range; each visible run of points comes
// out as one polyline in normalised coordinates (0..1). run is the buffer of
// a run, kept by the caller so that its memory serves again.
void ClipRuns(const std::vector<double> &xs, const std::vector<double> &ys, const TChartRange &range,
              std::vector<QPointF> &run, const std::function<void(const std::vector<QPointF> &)> &output);

// What a drawing on the screen leaves for mapping the mouse back to data.
struct TChartScreenMap {
    bool Valid = false;
    QRectF Plot;     // 2D: the plot area
    QPolygonF Front; // 3D: the projected front face, corners (xmin,ymin) (xmax,ymin) (xmax,ymax) (xmin,ymax)
    TChartRange Range{0, 1, 0, 1};

    // The data under a screen point, clamped to the range shown, as the
    // chart now maps it (in 3D or not); false where nothing maps back.
    bool ToData(const QPointF &point, bool view3D, double &x, double &y) const;
};
