#pragma once
// Sample charts and what the chart tests look for in their images.
#include "platform/ChartWidget.h"

#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <string>

// Series k of a family: a falling curve lifted by k, as a 3D profile draws it.
inline void AddFamily(TChart &chart, int series, int points)
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

inline QImage Render(TChart &chart, QSize size = QSize(640, 400))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    chart.Draw(painter, image.rect());
    return image;
}

inline int CountNear(const QImage &image, const QRect &area, QColor color)
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
