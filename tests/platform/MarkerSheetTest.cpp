#include "platform/MarkerSheet.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace {

QImage Canvas()
{
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(240, 240, 240));
    return image;
}

QImage Painted(const std::function<void(QPainter &)> &paint)
{
    QImage image = Canvas();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    paint(painter);
    return image;
}

// The marker as drawing it directly lays it down.
QImage Drawn(QPointF p, std::optional<QColor> outline, QColor fill, int w, int h)
{
    return Painted([&](QPainter &painter) {
        painter.setPen(outline ? QPen(*outline, 0) : QPen(Qt::NoPen));
        painter.setBrush(fill);
        painter.drawRect(QRectF(p.x() - w, p.y() - h, 2 * w, 2 * h));
    });
}

QImage Copied(QPointF p, std::optional<QColor> outline, QColor fill, int w, int h, QPoint shift = {})
{
    const TMarkerSheet sheet(outline, fill, w, h);
    return Painted([&](QPainter &painter) {
        painter.translate(shift);
        sheet.Draw(painter, p - QPointF(shift));
    });
}

// The largest difference of one colour channel between two images.
int Difference(const QImage &a, const QImage &b)
{
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return most;
}

} // namespace

TEST(MarkerSheet, ACopyLooksLikeTheMarkerDrawnAtTheNearestQuarterPixel)
{
    const QColor fill(120, 200, 0);
    for (const std::optional<QColor> &outline : {std::optional<QColor>(Qt::black), std::optional<QColor>()})
        for (const auto &[w, h] : {std::pair(2, 2), std::pair(3, 1), std::pair(0, 0)})
            for (int qy = 0; qy < 4; ++qy)
                for (int qx = 0; qx < 4; ++qx) {
                    const QPointF p(20 + qx / 4.0, 21 + qy / 4.0);
                    SCOPED_TRACE("at " + std::to_string(p.x()) + ", " + std::to_string(p.y()) + " size " +
                                 std::to_string(w) + " x " + std::to_string(h) + (outline ? " outlined" : ""));
                    const QImage drawn = Drawn(p, outline, fill, w, h);
                    EXPECT_LE(Difference(Copied(p, outline, fill, w, h), drawn), 2) << "only rounding";
                    // Under an integer translation of the painter.
                    EXPECT_LE(Difference(Copied(p, outline, fill, w, h, QPoint(5, -7)), drawn), 2);
                }
    // Between the quarters: the nearest one; a place a hair below the next pixel rounds up to it.
    EXPECT_LE(Difference(Copied({20.1, 21.9}, Qt::black, fill, 2, 2), Drawn({20, 22}, Qt::black, fill, 2, 2)), 2);
    EXPECT_LE(Difference(Copied({20.99, 21.4}, Qt::black, fill, 2, 2), Drawn({21, 21.5}, Qt::black, fill, 2, 2)), 2);
    // And it is still near the exact drawing.
    EXPECT_LE(Difference(Copied({20.1, 21.9}, Qt::black, fill, 2, 2), Drawn({20.1, 21.9}, Qt::black, fill, 2, 2)), 64);
}

TEST(MarkerSheet, OnlyForPaintersOnWholeUnscaledPixels)
{
    QImage image = Canvas();
    QPainter painter(&image);
    EXPECT_TRUE(TMarkerSheet::Fits(painter));
    painter.translate(3, -4);
    EXPECT_TRUE(TMarkerSheet::Fits(painter));
    painter.translate(0.5, 0);
    EXPECT_FALSE(TMarkerSheet::Fits(painter));
    painter.resetTransform();
    painter.scale(2, 2);
    EXPECT_FALSE(TMarkerSheet::Fits(painter));
}
