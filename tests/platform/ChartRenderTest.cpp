#include "platform/ChartRender.h"

#include "tests/platform/ChartSamples.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <vector>

TEST(Chart3D, DrawsTheFamilyInDepthSeenFromTheAngles)
{
    TChart chart;
    AddFamily(chart, 10, 30);
    chart.SetView3D(true);
    chart.SetChart3DPercent(13);
    chart.View3DOptions().SetElevation(355);
    chart.View3DOptions().SetRotation(300);
    const QImage at300 = Render(chart);
    EXPECT_GT(CountNear(at300, at300.rect(), QColor(0, 255, 0)), 200) << "the front series is drawn";
    EXPECT_GT(CountNear(at300, at300.rect(), chart.Series(9)->SeriesColor()), 200) << "the back series shows behind it";

    chart.View3DOptions().SetRotation(330);
    EXPECT_NE(Render(chart), at300);
    // Angles are drawn modulo 360.
    chart.View3DOptions().SetRotation(-60);
    EXPECT_EQ(Render(chart), at300);

    chart.SetView3D(false);
    EXPECT_NE(Render(chart), at300);
}

TEST(Chart, LegendShowsOneEntryPerSeriesOnlyWhenVisible)
{
    TChart chart;
    // Single points draw no line, so their colours can only come from the legend.
    auto *a = new TLineSeries(chart);
    a->AddXY(1, 1);
    a->SetSeriesColor(QColor(0, 0, 255));
    auto *b = new TLineSeries(chart);
    b->AddXY(2, 2);
    b->SetSeriesColor(QColor(255, 128, 0));

    chart.SetLegendVisible(true);
    QImage image = Render(chart);
    EXPECT_GT(CountNear(image, image.rect(), QColor(0, 0, 255)), 10);
    EXPECT_GT(CountNear(image, image.rect(), QColor(255, 128, 0)), 10);
    b->SetActive(false);
    image = Render(chart);
    EXPECT_EQ(CountNear(image, image.rect(), QColor(255, 128, 0)), 0) << "inactive series have no entry";

    chart.SetLegendVisible(false);
    image = Render(chart);
    EXPECT_EQ(CountNear(image, image.rect(), QColor(0, 0, 255)), 0);
}

namespace {

// Columns of dark ink (text and tick marks) in the rows [top, bottom] of image.
std::vector<bool> InkColumns(const QImage &image, int top, int bottom)
{
    std::vector<bool> ink(static_cast<size_t>(image.width()), false);
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) < 100)
                ink[static_cast<size_t>(x)] = true;
        }
    return ink;
}

// Width in pixels of the rightmost run of ink, runs parted by more than gap
// empty columns; runs of at most thin columns (tick marks) do not count.
int LastInkWidth(std::vector<bool> ink, int gap, int thin = 0)
{
    for (size_t x = 0; x < ink.size();) {
        size_t end = x;
        while (end < ink.size() && ink[end])
            ++end;
        if (end > x && static_cast<int>(end - x) <= thin)
            std::fill(ink.begin() + static_cast<std::ptrdiff_t>(x), ink.begin() + static_cast<std::ptrdiff_t>(end), false);
        x = end + 1;
    }
    int right = static_cast<int>(ink.size()) - 1;
    while (right >= 0 && !ink[static_cast<size_t>(right)])
        --right;
    int left = right, empty = 0;
    for (int x = right - 1; x >= 0 && empty <= gap; --x) {
        if (ink[static_cast<size_t>(x)]) {
            left = x;
            empty = 0;
        } else {
            ++empty;
        }
    }
    return right < 0 ? 0 : right - left + 1;
}

// The ink width of a tick label drawn alone, at the chart's label font and scale.
int TextInkWidth(const QString &text, double scale)
{
    QImage image(400, 200, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.scale(scale, scale);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(10, 40), text);
    }
    return LastInkWidth(InkColumns(image, 0, image.height() - 1), image.width());
}

} // namespace

TEST(ChartTicks, EndLabelsOfTheBottomAxisAreDrawnWhole)
{
    TChart chart;
    auto *s = new TLineSeries(chart);
    s->SetSeriesColor(Qt::green);
    s->AddXY(0, 10);
    s->AddXY(1000, 20);
    chart.SetLegendVisible(false);
    chart.BottomAxis().SetTitle("Da");
    ASSERT_EQ(chart.BottomAxis().Maximum(), 1000);

    // Below the plot: the labels and their tick marks, nothing else dark.
    for (const QSize size : {QSize(640, 400), QSize(1280, 800), QSize(333, 250)}) {
        const QImage image = Render(chart, size);
        const int width = LastInkWidth(InkColumns(image, size.height() - 45, size.height() - 20), 6, 1);
        EXPECT_NEAR(width, TextInkWidth(QStringLiteral("1000"), 1), 1) << size.width() << " wide";
    }
    chart.SetView3D(true);
    chart.View3DOptions().SetRotation(360);
    chart.View3DOptions().SetElevation(360);
    chart.View3DOptions().SetZoom(100);
    const QImage image = Render(chart);
    EXPECT_NEAR(LastInkWidth(InkColumns(image, image.height() - 45, image.height() - 20), 6, 1),
                TextInkWidth(QStringLiteral("1000"), 1), 1) << "in 3D";

    // On paper at 300 dpi the chart is laid out as on the screen and scaled.
    chart.SetView3D(false);
    chart.SetPrintProportional(false);
    chart.SetPrintMargins(0, 0, 0, 0);
    QImage page(2000, 1250, QImage::Format_ARGB32);
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(11811);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        chart.DrawPage(painter, page.rect());
    }
    const double scale = 300.0 / 96.0;
    EXPECT_NEAR(LastInkWidth(InkColumns(page, page.height() - 140, page.height() - 62), 18, 4),
                TextInkWidth(QStringLiteral("1000"), scale), 3);
}

TEST(ChartRender, TheScreenMapOfADrawingMapsItsPlotBackToTheData)
{
    TChartContent content;
    auto *s = new TLineSeries(content);
    s->SetSeriesColor(Qt::blue);
    for (int i = 0; i <= 100; ++i)
        s->AddXY(i, i * i);
    const TChartRange range = content.DataRange();
    ASSERT_EQ(range.XMax, 100);
    ASSERT_EQ(range.YMax, 10000);
    QImage image(640, 400, QImage::Format_ARGB32);
    auto draw = [&](const QRect &rect) {
        TChartScreenMap map;
        image.fill(Qt::magenta);
        QPainter painter(&image);
        RenderChart(painter, rect, content, range, &map);
        return map;
    };
    auto expectAt = [](const TChartScreenMap &map, bool view3D, QPointF point, double x, double y) {
        double dx = -1, dy = -1;
        ASSERT_TRUE(map.ToData(point, view3D, dx, dy));
        EXPECT_NEAR(dx, x, 1e-9);
        EXPECT_NEAR(dy, y, 1e-6);
    };

    TChartScreenMap map = draw(image.rect());
    ASSERT_TRUE(map.Valid);
    expectAt(map, false, map.Plot.bottomLeft(), 0, 0);
    expectAt(map, false, map.Plot.topRight(), 100, 10000);
    // The curve lies where the map puts its points: (50, 2500) a quarter up.
    const QPoint mid(qRound(map.Plot.left() + map.Plot.width() / 2), qRound(map.Plot.bottom() - map.Plot.height() / 4));
    int blue = 0;
    for (int y = mid.y() - 2; y <= mid.y() + 2; ++y)
        for (int x = mid.x() - 2; x <= mid.x() + 2; ++x)
            blue += image.pixelColor(x, y).blue() - image.pixelColor(x, y).red() > 80;
    EXPECT_GT(blue, 0);

    content.SetView3D(true);
    map = draw(image.rect());
    ASSERT_TRUE(map.Valid);
    ASSERT_EQ(map.Front.size(), 4);
    expectAt(map, true, map.Front[0], 0, 0);
    expectAt(map, true, map.Front[1], 100, 0);
    expectAt(map, true, map.Front[2], 100, 10000);

    EXPECT_FALSE(draw(QRect(0, 0, 60, 40)).Valid) << "no room for a plot, nothing to map";
    content.SetView3D(false);
    EXPECT_FALSE(draw(QRect(0, 0, 60, 40)).Valid);
}
