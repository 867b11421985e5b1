#include "platform/Chart.h"

#include "tests/common/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>
#include <string>

namespace {

// Series k of a family: a falling curve lifted by k, as a 3D profile draws it.
void AddFamily(TChart &chart, int series, int points)
{
    for (int k = 0; k < series; ++k) {
        auto *s = new TLineSeries(chart);
        s->SetTitle("S [" + std::to_string(k) + "]");
        s->SetSeriesColor(QColor(255 * k / series, 255 - 255 * k / series, 0));
        for (int i = 0; i < points; ++i) {
            const double x = 30 + 20.0 * i / points;
            s->AddXY(x, 40 + 2 * k + 300 / (x - 25));
        }
    }
}

QImage Render(TChart &chart, QSize size = QSize(640, 400))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    chart.Draw(painter, image.rect());
    return image;
}

int CountNear(const QImage &image, const QRect &area, QColor color)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                    std::abs(c.blue() - color.blue()) < 30)
                ++count;
        }
    return count;
}

void ShowAndPaint(TChart &chart)
{
    chart.resize(600, 400);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart.RenderCount() > 0; }));
}

void Drag(TChart &chart, QPoint from, QPoint to)
{
    QTest::mousePress(&chart, Qt::LeftButton, {}, from);
    QTest::mouseMove(&chart, (from + to) / 2);
    QTest::mouseMove(&chart, to);
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, to);
}

} // namespace

TEST(ChartSeries, KeepsPointsInAscendingXWithEqualXInArrivalOrder)
{
    TChart chart;
    TLineSeries series(chart);
    EXPECT_EQ(series.AddXY(3, 30), 0);
    EXPECT_EQ(series.AddXY(1, 10), 0);
    series.AddXY(2, 20);
    series.AddXY(2, 21);
    EXPECT_EQ(series.AddXY(2, 22), 3);
    series.AddXY(0, 0);
    EXPECT_EQ(series.AddXY(NAN, 1), -1);
    EXPECT_EQ(series.AddXY(1, INFINITY), -1);

    ASSERT_EQ(series.Count(), 6);
    const double xs[] = {0, 1, 2, 2, 2, 3}, ys[] = {0, 10, 20, 21, 22, 30};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(series.XValue(i), xs[i]) << i;
        EXPECT_EQ(series.YValue(i), ys[i]) << i;
    }
    series.Clear();
    EXPECT_EQ(series.Count(), 0);
}

TEST(ChartSeries, BelongToTheChartUntilDeleted)
{
    struct TTracked : TLineSeries {
        TTracked(TChart &chart, bool &freed) : TLineSeries(chart), Freed(freed) {}
        ~TTracked() override { Freed = true; }
        bool &Freed;
    };
    bool firstFreed = false, secondFreed = false;
    {
        TChart chart;
        auto *a = new TTracked(chart, firstFreed);
        auto *b = new TLineSeries(chart);
        new TTracked(chart, secondFreed);
        ASSERT_EQ(chart.SeriesCount(), 3);
        EXPECT_EQ(chart.Series(0), a);
        EXPECT_EQ(chart.Series(1), b);
        EXPECT_EQ(a->ParentChart(), &chart);
        EXPECT_NE(a->SeriesColor(), b->SeriesColor()) << "each series gets its own automatic colour";

        // Freed from the last to the first, as the profile run clears the chart.
        delete chart.Series(1);
        EXPECT_EQ(chart.SeriesCount(), 2);
        EXPECT_EQ(chart.Series(0), a);
        delete chart.Series(0);
        EXPECT_TRUE(firstFreed);
        EXPECT_EQ(chart.SeriesCount(), 1);
        EXPECT_FALSE(secondFreed);
    }
    EXPECT_TRUE(secondFreed) << "the chart frees the series left on it";
}

TEST(Chart3D, AnglesAreStoredAsGivenAndRepaintOnlyOnChange)
{
    TChart chart;
    AddFamily(chart, 5, 20);
    chart.SetView3D(true);
    ShowAndPaint(chart);
    chart.View3DOptions().SetRotation(300);
    for (int i = 0; i < 31; ++i)
        chart.View3DOptions().SetRotation(chart.View3DOptions().Rotation() - 10);
    EXPECT_EQ(chart.View3DOptions().Rotation(), -10);
    chart.View3DOptions().SetElevation(365);
    EXPECT_EQ(chart.View3DOptions().Elevation(), 365);

    const int before = chart.RenderCount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return chart.RenderCount() > before; }));

    // Repaints without a change copy the cached image; an unchanged value
    // is no change.
    const int settled = chart.RenderCount();
    chart.View3DOptions().SetRotation(-10);
    chart.repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.RenderCount(), settled);
}

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

TEST(ChartZoom, RubberBandZoomsAndDraggingBackUndoes)
{
    for (const bool view3D : {false, true}) {
        SCOPED_TRACE(view3D ? "3D" : "2D");
        TChart chart;
        chart.SetAnimatedZoom(false);
        chart.SetView3D(view3D);
        chart.View3DOptions().SetRotation(340);
        auto *s = new TLineSeries(chart);
        for (int i = 0; i <= 100; ++i)
            s->AddXY(i, i);
        ShowAndPaint(chart);
        QSignalSpy undone(&chart, &TChart::OnUndoZoom);
        EXPECT_EQ(chart.BottomAxis().Minimum(), 0);
        EXPECT_EQ(chart.BottomAxis().Maximum(), 100);

        Drag(chart, QPoint(200, 120), QPoint(380, 260));
        ASSERT_TRUE(chart.Zoomed());
        EXPECT_GT(chart.BottomAxis().Minimum(), 5);
        EXPECT_LT(chart.BottomAxis().Maximum(), 95);
        EXPECT_LT(chart.BottomAxis().Minimum(), chart.BottomAxis().Maximum());
        EXPECT_GT(chart.LeftAxis().Minimum(), 5);
        EXPECT_LT(chart.LeftAxis().Maximum(), 95);
        EXPECT_EQ(undone.count(), 0);

        Drag(chart, QPoint(380, 260), QPoint(200, 120));
        EXPECT_FALSE(chart.Zoomed());
        EXPECT_EQ(undone.count(), 1);
        EXPECT_EQ(chart.BottomAxis().Minimum(), 0);
        EXPECT_EQ(chart.BottomAxis().Maximum(), 100);

        // A click is no zoom.
        QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(300, 200));
        EXPECT_FALSE(chart.Zoomed());
    }
}

TEST(ChartZoom, AnimatedZoomEndsOnTheBandAndUndoZoomRaisesTheEvent)
{
    TChart chart;
    auto *s = new TLineSeries(chart);
    for (int i = 0; i <= 100; ++i)
        s->AddXY(i, i);
    ShowAndPaint(chart);
    QSignalSpy undone(&chart, &TChart::OnUndoZoom);

    chart.SetAnimatedZoom(false);
    Drag(chart, QPoint(200, 120), QPoint(380, 260));
    const double min = chart.BottomAxis().Minimum(), max = chart.BottomAxis().Maximum();
    chart.UndoZoom();

    chart.SetAnimatedZoom(true);
    Drag(chart, QPoint(200, 120), QPoint(380, 260));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return std::abs(chart.BottomAxis().Minimum() - min) < 1e-9 &&
               std::abs(chart.BottomAxis().Maximum() - max) < 1e-9;
    }));
    chart.UndoZoom();
    EXPECT_EQ(undone.count(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return chart.BottomAxis().Maximum() == 100; }));
}

TEST(ChartPrint, PrintsOneLandscapePageAndRestoresTheOrientation)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("chart.pdf");
    TChart chart;
    AddFamily(chart, 3, 20);
    chart.SetPrintProportional(false);
    chart.SetPrintMargins(5, 5, 5, 5);
    chart.SetPrintResolution(-100);
    EXPECT_EQ(chart.PrintResolution(), -100);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageOrientation(QPageLayout::Portrait);
    ASSERT_TRUE(chart.PrintLandscapeTo(printer));
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);

    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_GT(bytes.size(), 5000) << "a page with the chart on it";
    const QRegularExpressionMatch box =
        QRegularExpression(R"(/MediaBox \[\s*0 0 ([\d.]+) ([\d.]+)\s*\])").match(QString::fromLatin1(bytes));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_GT(box.captured(1).toDouble(), box.captured(2).toDouble()) << "landscape";
}

TEST(ChartPrint, NonProportionalPageFillsTheInsideOfTheMargins)
{
    TChart chart;
    chart.resize(300, 300);
    AddFamily(chart, 3, 20);
    chart.SetPrintProportional(false);
    chart.SetPrintMargins(5, 5, 5, 5);
    QImage page(1000, 700, QImage::Format_ARGB32);
    page.fill(Qt::magenta);
    {
        QPainter painter(&page);
        chart.DrawPage(painter, page.rect());
    }
    const QRect inner(50, 35, 900, 630);
    EXPECT_EQ(CountNear(page, page.rect(), Qt::magenta), page.width() * page.height() - inner.width() * inner.height());
    EXPECT_EQ(CountNear(page, inner, Qt::magenta), 0);
}

TEST(ChartPrint, WithoutAPrinterSaysSo)
{
    TScriptedDialogs dialogs;
    SetPrinterLookup([] { return QPrinterInfo(); });
    TChart chart;
    AddFamily(chart, 1, 10);
    EXPECT_FALSE(chart.PrintLandscape());
    SetPrinterLookup(nullptr);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Type, mtError);
    EXPECT_NE(dialogs.Messages[0].Text.find("printer"), std::string::npos);
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

TEST(Chart3D, TurnsStayDefinedAtTheLimitsOfInt)
{
    constexpr int Max = std::numeric_limits<int>::max(), Min = std::numeric_limits<int>::min();
    EXPECT_EQ(TurnDegrees(300, 10), 310);
    EXPECT_EQ(TurnDegrees(0, -10), -10);
    EXPECT_EQ(TurnDegrees(Max - 10, 10), Max) << "the last value that fits is kept";
    EXPECT_EQ(TurnDegrees(Max, 10), Max - 350);
    EXPECT_EQ(TurnDegrees(Max - 5, 10), Max - 355);
    EXPECT_EQ(TurnDegrees(Min, -5), Min + 355);
    EXPECT_EQ(TurnDegrees(Min + 4, -5), Min + 359);
    EXPECT_EQ(TurnDegrees(Max, Max), 2147483414) << "as many whole turns fewer as it takes";
    for (const auto &[degrees, step] : {std::pair{Max, Max}, std::pair{Min, Min}, std::pair{Max, Min}}) {
        const long long sum = static_cast<long long>(degrees) + step;
        const int turned = TurnDegrees(degrees, step);
        EXPECT_EQ((sum - turned) % 360, 0) << degrees << " + " << step;
    }
}

TEST(ChartTicks, RoundValuesWithTheGivenSeparator)
{
    auto texts = [](double min, double max, int count, char sep) {
        std::string out;
        for (const TChartTick &t : ChartTicks(min, max, count, sep))
            out += t.Text + " ";
        return out;
    };
    // One number of decimals per axis, as the step needs it.
    EXPECT_EQ(texts(0, 1, 5, ','), "0,0 0,2 0,4 0,6 0,8 1,0 ");
    EXPECT_EQ(texts(0, 1, 5, '.'), "0.0 0.2 0.4 0.6 0.8 1.0 ");
    EXPECT_EQ(texts(30, 50, 10, ','), "30 32 34 36 38 40 42 44 46 48 50 ");
    EXPECT_EQ(texts(29.9, 50.1, 10, ','), "30 35 40 45 50 ");
    EXPECT_EQ(texts(-0.3, 0.3, 3, ','), "-0,2 0,0 0,2 ");
    EXPECT_EQ(texts(0, 4000, 4, ','), "0 1000 2000 3000 4000 ");
    EXPECT_EQ(texts(0.001, 0.0012, 2, ','), "0,0010 0,0011 0,0012 ");
    EXPECT_EQ(texts(5, 5, 4, ','), "") << "an empty range has no ticks";
    EXPECT_EQ(ChartTicks(0, 1e9, 2, ',').back().Text, "1,00e+09");
}
