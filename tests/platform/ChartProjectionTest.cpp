#include "platform/ChartProjection.h"

#include <gtest/gtest.h>

#include <QLineF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

const QRectF Plot(100, 50, 600, 400);

TChartView View(int rotation, int elevation, int perspective = 5, int zoom = 100)
{
    TChartView view;
    view.Rotation = rotation;
    view.Elevation = elevation;
    view.Perspective = perspective;
    view.Zoom = zoom;
    return view;
}

// The eight corners of the box on the screen.
std::vector<QPointF> Corners(const TChartProjection &p)
{
    std::vector<QPointF> corners;
    for (int c = 0; c < 8; ++c)
        corners.push_back(p.Map(c & 1, (c >> 1) & 1, (c >> 2) & 1));
    return corners;
}

QRectF Bounds(const std::vector<QPointF> &points)
{
    double l = 1e300, t = 1e300, r = -1e300, b = -1e300;
    for (const QPointF &p : points) {
        l = std::min(l, p.x()), r = std::max(r, p.x());
        t = std::min(t, p.y()), b = std::max(b, p.y());
    }
    return QRectF(QPointF(l, t), QPointF(r, b));
}

std::vector<std::vector<QPointF>> Runs(const std::vector<double> &xs, const std::vector<double> &ys,
                                       const TChartRange &range)
{
    std::vector<std::vector<QPointF>> runs;
    std::vector<QPointF> run;
    ClipRuns(xs, ys, range, run, [&](const std::vector<QPointF> &r) { runs.push_back(r); });
    return runs;
}

void ExpectRun(const std::vector<QPointF> &run, const std::vector<QPointF> &expected)
{
    ASSERT_EQ(run.size(), expected.size());
    for (size_t i = 0; i < run.size(); ++i) {
        EXPECT_NEAR(run[i].x(), expected[i].x(), 1e-12) << i;
        EXPECT_NEAR(run[i].y(), expected[i].y(), 1e-12) << i;
    }
}

} // namespace

TEST(ChartProjection, AnglesTurnModulo360WithoutOverflow)
{
    constexpr int Max = std::numeric_limits<int>::max(), Min = std::numeric_limits<int>::min();
    // Equivalent angles, negative ones and those at the ends of int included.
    const std::vector<std::vector<int>> same = {{300, -60, -420, 660, 300 + 360 * 5965000},
                                                {0, 360, -360, 720},
                                                {127, Max, 127 - 360},
                                                {232, Min, 232 + 720}};
    for (const std::vector<int> &angles : same) {
        const std::vector<QPointF> rotated = Corners(TChartProjection(View(angles[0], 355), Plot, 0.3));
        const std::vector<QPointF> elevated = Corners(TChartProjection(View(300, angles[0]), Plot, 0.3));
        for (int a : angles) {
            EXPECT_EQ(Corners(TChartProjection(View(a, 355), Plot, 0.3)), rotated) << "rotation " << a;
            EXPECT_EQ(Corners(TChartProjection(View(300, a), Plot, 0.3)), elevated) << "elevation " << a;
        }
    }
    EXPECT_NE(Corners(TChartProjection(View(300, 355), Plot, 0.3)),
              Corners(TChartProjection(View(310, 355), Plot, 0.3)));
}

TEST(ChartProjection, FitsTheBoxCentredIntoThePlotAtTheZoom)
{
    for (const auto &[rotation, elevation] : {std::pair{300, 355}, {0, 0}, {45, 20}, {170, 330}, {90, 90}}) {
        SCOPED_TRACE(std::to_string(rotation) + " / " + std::to_string(elevation));
        const QRectF full = Bounds(Corners(TChartProjection(View(rotation, elevation), Plot, 0.5)));
        EXPECT_NEAR(full.center().x(), Plot.center().x(), 1e-9);
        EXPECT_NEAR(full.center().y(), Plot.center().y(), 1e-9);
        EXPECT_TRUE(std::abs(full.width() - Plot.width()) < 1e-9 || std::abs(full.height() - Plot.height()) < 1e-9)
            << "fills the plot in one direction";
        EXPECT_LE(full.width(), Plot.width() + 1e-9);
        EXPECT_LE(full.height(), Plot.height() + 1e-9);

        const QRectF half = Bounds(Corners(TChartProjection(View(rotation, elevation, 5, 50), Plot, 0.5)));
        EXPECT_NEAR(half.width(), full.width() / 2, 1e-9);
        EXPECT_NEAR(half.height(), full.height() / 2, 1e-9);
        EXPECT_NEAR(half.center().x(), Plot.center().x(), 1e-9);
    }
    // Zooms out of 1..1000 percent count as the nearest end.
    EXPECT_EQ(Corners(TChartProjection(View(300, 355, 5, 0), Plot, 0.5)),
              Corners(TChartProjection(View(300, 355, 5, 1), Plot, 0.5)));
    EXPECT_EQ(Corners(TChartProjection(View(300, 355, 5, 5000), Plot, 0.5)),
              Corners(TChartProjection(View(300, 355, 5, 1000), Plot, 0.5)));
}

TEST(ChartProjection, StraightOnTheFrontFaceIsAnUprightRectangle)
{
    const TChartProjection p(View(0, 0, 0), Plot, 0.5);
    EXPECT_EQ(p.FrontZ(), 0);
    const QPointF a = p.Map(0, 0, 0), b = p.Map(1, 0, 0), c = p.Map(0, 1, 0);
    EXPECT_NEAR(a.y(), b.y(), 1e-9);
    EXPECT_NEAR(a.x(), c.x(), 1e-9);
    EXPECT_LT(a.x(), b.x()) << "x grows to the right";
    EXPECT_LT(c.y(), a.y()) << "y grows upwards";
    EXPECT_EQ(p.LeftEdgeX(0), 0);
    // From behind, the box is seen mirrored.
    const TChartProjection back(View(180, 0, 0), Plot, 0.5);
    EXPECT_EQ(back.FrontZ(), 1);
    EXPECT_GT(back.Map(0, 0, 1).x(), back.Map(1, 0, 1).x());
    EXPECT_EQ(back.LeftEdgeX(1), 1);
}

TEST(ChartProjection, PerspectiveShrinksTheFarSideOnly)
{
    // Straight at the front, the back face lies right behind the front face.
    auto widths = [](int perspective) {
        const TChartProjection p(View(0, 0, perspective), Plot, 0.8);
        return std::pair{QLineF(p.Map(0, 0, 0), p.Map(1, 0, 0)).length(), QLineF(p.Map(0, 0, 1), p.Map(1, 0, 1)).length()};
    };
    const auto [nearParallel, farParallel] = widths(0);
    EXPECT_NEAR(nearParallel, farParallel, 1e-9) << "a parallel projection keeps parallel edges equal";
    const auto [nearWeak, farWeak] = widths(5);
    EXPECT_LT(farWeak, nearWeak * 0.99);
    const auto [nearStrong, farStrong] = widths(20);
    EXPECT_LT(farStrong / nearStrong, farWeak / nearWeak) << "more perspective, more shrinking";
    // Out of 0..100 counts as the nearest end.
    EXPECT_EQ(widths(150), widths(100));
    EXPECT_EQ(widths(-5), widths(0));
}

TEST(ChartProjection, DepthOrderFollowsTheViewer)
{
    struct TCase {
        TChartView View;
        double FrontZ, BackSideX;
        std::vector<int> Order;
    };
    TChartView oblique = View(120, 40);
    oblique.Orthogonal = true;
    const TCase cases[] = {
        {View(0, 0), 0, 0, {3, 2, 1, 0}},     {View(300, 355), 0, 0, {3, 2, 1, 0}},
        {View(60, 355), 0, 1, {3, 2, 1, 0}},  {View(200, 10), 1, 0, {0, 1, 2, 3}},
        {View(-150, 0), 1, 0, {0, 1, 2, 3}},  {oblique, 0, 1, {3, 2, 1, 0}},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(std::to_string(c.View.Rotation) + (c.View.Orthogonal ? " oblique" : ""));
        const TChartProjection p(c.View, Plot, 0.5);
        EXPECT_EQ(p.FrontZ(), c.FrontZ);
        EXPECT_LT(p.Far(0.5, 0.5, c.FrontZ), p.Far(0.5, 0.5, 1 - c.FrontZ));
        if (!c.View.Orthogonal) {
            EXPECT_EQ(p.BackSideX(), c.BackSideX);
        }
        EXPECT_EQ(p.FarthestFirst(4), c.Order);
    }
    EXPECT_TRUE(TChartProjection(View(300, 355), Plot, 0.5).FarthestFirst(0).empty());
}

TEST(ChartProjection, TheObliqueViewIgnoresTheAngles)
{
    TChartView a = View(300, 355), b = View(45, 90);
    a.Orthogonal = b.Orthogonal = true;
    EXPECT_EQ(Corners(TChartProjection(a, Plot, 0.5)), Corners(TChartProjection(b, Plot, 0.5)));
}

TEST(ChartClipRuns, CutsThePolylineIntoTheRunsInsideTheRange)
{
    const TChartRange range{0, 10, 0, 10};
    // In from the left, out at the top, back in through the top, and on.
    const auto runs = Runs({-5, 5, 5, 8, 8}, {5, 5, 15, 5, 8}, range);
    ASSERT_EQ(runs.size(), 2u);
    ExpectRun(runs[0], {{0, 0.5}, {0.5, 0.5}, {0.5, 1}});
    ExpectRun(runs[1], {{0.65, 1}, {0.8, 0.5}, {0.8, 0.8}});

    EXPECT_TRUE(Runs({-5, 20}, {20, 30}, range).empty()) << "wholly outside";
    EXPECT_TRUE(Runs({-5, 5}, {20, 30}, range).empty()) << "passing above";
    ExpectRun(Runs({0, 10}, {10, 10}, range).at(0), {{0, 1}, {1, 1}}); // along the top edge
    ExpectRun(Runs({4}, {6}, range).at(0), {{0.4, 0.6}});            // a single point
    EXPECT_TRUE(Runs({4}, {16}, range).empty());
    EXPECT_TRUE(Runs({}, {}, range).empty());
    // A corner cut: in and out between two points.
    const auto corner = Runs({-2, 4}, {6, 12}, range);
    ASSERT_EQ(corner.size(), 1u);
    ExpectRun(corner[0], {{0, 0.8}, {0.2, 1}});
}

TEST(ChartScreenMap, MapsScreenPointsBackToTheDataClamped)
{
    TChartScreenMap map;
    double x = 0, y = 0;
    EXPECT_FALSE(map.ToData({300, 200}, false, x, y)) << "nothing drawn yet";

    map.Valid = true;
    map.Plot = QRectF(100, 50, 400, 300);
    map.Range = {0, 10, -5, 5};
    ASSERT_TRUE(map.ToData({300, 200}, false, x, y));
    EXPECT_DOUBLE_EQ(x, 5);
    EXPECT_DOUBLE_EQ(y, 0);
    ASSERT_TRUE(map.ToData({100, 50}, false, x, y));
    EXPECT_DOUBLE_EQ(x, 0);
    EXPECT_DOUBLE_EQ(y, 5) << "the top is the maximum";
    ASSERT_TRUE(map.ToData({900, 900}, false, x, y));
    EXPECT_DOUBLE_EQ(x, 10);
    EXPECT_DOUBLE_EQ(y, -5);
    EXPECT_FALSE(map.ToData({300, 200}, true, x, y)) << "a 2D drawing has no front face";

    // In 3D through the perspective image of the front face.
    for (const int perspective : {0, 5, 15}) {
        const TChartProjection p(View(300, 355, perspective), Plot, 0.6);
        const double z = p.FrontZ();
        map.Front = QPolygonF({p.Map(0, 0, z), p.Map(1, 0, z), p.Map(1, 1, z), p.Map(0, 1, z)});
        for (const double u : {0.0, 0.3, 0.75, 1.0})
            for (const double v : {0.0, 0.5, 0.9}) {
                ASSERT_TRUE(map.ToData(p.Map(u, v, z), true, x, y));
                EXPECT_NEAR(x, 10 * u, 1e-6) << perspective << ": " << u << " " << v;
                EXPECT_NEAR(y, -5 + 10 * v, 1e-6) << perspective << ": " << u << " " << v;
            }
    }
    map.Front = QPolygonF({{1, 1}, {1, 1}, {1, 1}, {1, 1}});
    EXPECT_FALSE(map.ToData({1, 1}, true, x, y)) << "a degenerate face maps nothing";
    map.Plot = QRectF(100, 50, 0, 300);
    EXPECT_FALSE(map.ToData({100, 60}, false, x, y)) << "nor does an empty plot";
}
