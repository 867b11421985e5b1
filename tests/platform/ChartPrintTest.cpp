#include "platform/ChartPrint.h"

#include "tests/common/ScriptedDialogs.h"
#include "tests/platform/ChartSamples.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdlib>

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

TEST(ChartPrint, ProportionalPageKeepsTheShapeOnScreenCentredAtTheDetailAsked)
{
    TChartPrint print;
    print.SetMargins(-5, 50, 0, 0);
    EXPECT_EQ(print.Margins(), QRect(0, 45, 0, 0)) << "margins stay within 0..45 percent";
    print.SetMargins(10, 10, 10, 10);
    ASSERT_TRUE(print.Proportional());
    QImage page(1000, 800, QImage::Format_ARGB32);
    ASSERT_EQ(page.logicalDpiX(), 96);
    for (const int resolution : {0, 100, -100, -200}) {
        SCOPED_TRACE(resolution);
        print.SetResolution(resolution);
        page.fill(Qt::white);
        QRect drawn;
        {
            QPainter painter(&page);
            print.DrawPage(painter, page.rect(), QSize(400, 100), [&](QPainter &p, const QRect &rect) {
                drawn = rect;
                p.fillRect(rect, Qt::black);
            });
        }
        // Within 800 x 640 inside the margins: 800 x 200, centred.
        const int detail = resolution == 0 ? 100 : std::abs(resolution);
        EXPECT_EQ(drawn, QRect(0, 0, 8 * detail, 2 * detail)) << "laid out at the detail asked";
        EXPECT_EQ(CountNear(page, page.rect(), Qt::black), 800 * 200);
        EXPECT_EQ(CountNear(page, QRect(100, 300, 800, 200), Qt::black), 800 * 200);
    }
}
