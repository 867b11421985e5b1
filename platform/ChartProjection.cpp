#include "platform/ChartProjection.h"

#include <QTransform>

#include <algorithm>
#include <cmath>
#include <numbers>

TChartProjection::TChartProjection(const TChartView &view, const QRectF &plot, double depthShare)
    : Oblique(view.Orthogonal), Width(plot.width()), Height(plot.height()), Depth(plot.width() * depthShare)
{
    const double rad = std::numbers::pi / 180.0;
    const double yaw = ((view.Rotation % 360) + 360) % 360 * rad;
    const double pitch = ((view.Elevation % 360) + 360) % 360 * rad;
    CosYaw = std::cos(yaw), SinYaw = std::sin(yaw);
    CosPitch = std::cos(pitch), SinPitch = std::sin(pitch);
    const double diagonal = std::sqrt(Width * Width + Height * Height + Depth * Depth);
    const int perspective = std::clamp(view.Perspective, 0, 100);
    Distance = perspective == 0 ? 0 : diagonal * 12.0 / perspective;
    // The box's corners unscaled, then scaled and centred to fit.
    Scale = 1, Offset = {0, 0};
    double l = 1e300, t = 1e300, r = -1e300, b = -1e300;
    for (int c = 0; c < 8; ++c) {
        const QPointF p = Map(c & 1, (c >> 1) & 1, (c >> 2) & 1);
        l = std::min(l, p.x()), r = std::max(r, p.x());
        t = std::min(t, p.y()), b = std::max(b, p.y());
    }
    const double zoom = std::clamp(view.Zoom, 1, 1000) / 100.0;
    Scale = std::min(plot.width() / std::max(r - l, 1e-9), plot.height() / std::max(b - t, 1e-9)) * zoom;
    Offset = plot.center() - QPointF((l + r) / 2 * Scale, (t + b) / 2 * Scale);
}

double TChartProjection::Far(double x, double y, double z) const
{
    if (Oblique)
        return z;
    double wx = (x - 0.5) * Width, wy = (y - 0.5) * Height, wz = (z - 0.5) * Depth;
    const double rz = wx * SinYaw + wz * CosYaw;
    return wy * SinPitch + rz * CosPitch;
}

std::vector<int> TChartProjection::FarthestFirst(int count) const
{
    std::vector<int> order(static_cast<size_t>(std::max(count, 0)));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    auto sliceMid = [&](int k) { return (k + 0.5) / count; };
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return Far(0.5, 0.5, sliceMid(a)) > Far(0.5, 0.5, sliceMid(b)); });
    return order;
}

namespace {

// Liang-Barsky: the part [t0, t1] of the segment from a along d (t in 0..1)
// that lies within the unit square; false when none does.
bool ClipToUnitSquare(double ax, double ay, double dx, double dy, double &t0, double &t1)
{
    t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax, 1 - ax, ay, 1 - ay};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (!(q[k] >= 0))
                return false;
        } else {
            const double t = q[k] / p[k];
            if (p[k] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            if (!(t0 <= t1))
                return false;
        }
    }
    return true;
}

} // namespace

void ClipRuns(const std::vector<double> &xs, const std::vector<double> &ys, const TChartRange &range,
              std::vector<QPointF> &run, const std::function<void(const std::vector<QPointF> &)> &output)
{
    const double x0 = range.XMin, y0 = range.YMin;
    const double sx = 1.0 / (range.XMax - x0), sy = 1.0 / (range.YMax - y0);
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
        double t0, t1;
        if (!ClipToUnitSquare(ax, ay, dx, dy, t0, t1)) {
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

bool TChartScreenMap::ToData(const QPointF &point, bool view3D, double &x, double &y) const
{
    if (!Valid)
        return false;
    double u, v;
    if (!view3D) {
        u = (point.x() - Plot.left()) / Plot.width();
        v = (Plot.bottom() - point.y()) / Plot.height();
    } else {
        // The front face is a plane, so its perspective image maps back by
        // a projective transform.
        QTransform toUnit;
        const QPolygonF unit({QPointF(0, 0), QPointF(1, 0), QPointF(1, 1), QPointF(0, 1)});
        if (Front.size() != 4 || !QTransform::quadToQuad(Front, unit, toUnit))
            return false;
        const QPointF q = toUnit.map(point);
        u = q.x(), v = q.y();
    }
    if (!std::isfinite(u) || !std::isfinite(v))
        return false;
    u = std::clamp(u, 0.0, 1.0), v = std::clamp(v, 0.0, 1.0);
    x = Range.XMin + u * (Range.XMax - Range.XMin);
    y = Range.YMin + v * (Range.YMax - Range.YMin);
    return true;
}
