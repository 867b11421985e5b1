#include "platform/MarkerSheet.h"

#include <QPainter>
#include <QTransform>

#include <cmath>
#include <deque>

namespace {

// A premultiplied colour times a coverage of 0..255, rounded.
QRgb Scale(QRgb c, int a)
{
    auto channel = [a](unsigned v) {
        const unsigned t = v * static_cast<unsigned>(a) + 128;
        return static_cast<int>((t + (t >> 8)) >> 8);
    };
    return qRgba(channel(qRed(c)), channel(qGreen(c)), channel(qBlue(c)), channel(qAlpha(c)));
}

QRgb Add(QRgb a, QRgb b)
{
    return qRgba(qRed(a) + qRed(b), qGreen(a) + qGreen(b), qBlue(a) + qBlue(b), qAlpha(a) + qAlpha(b));
}

// The whole pixel of a device coordinate and the phase within the pixel.
int Split(double c, int &pixel)
{
    const double base = std::floor(c);
    int phase = static_cast<int>(std::lround((c - base) * TMarkerSheet::Phases));
    pixel = static_cast<int>(base);
    if (phase == TMarkerSheet::Phases) {
        phase = 0;
        ++pixel;
    }
    return phase;
}

} // namespace

bool TMarkerSheet::Fits(const QPainter &painter)
{
    const QTransform &t = painter.deviceTransform();
    return t.type() <= QTransform::TxTranslate && t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy());
}

TMarkerSheet::TMarkerSheet(std::optional<QColor> Outline, const QColor &Fill, int w, int h) : Masks(MasksOf(w, h))
{
    // The outline over the fill, as drawing them one after the other lays them down.
    Sheet = QImage(Masks.CellW * Phases, Masks.CellH * Phases, QImage::Format_ARGB32_Premultiplied);
    Sheet.fill(Qt::transparent);
    const QRgb f = qPremultiply(Fill.rgba());
    const QRgb k = Outline ? qPremultiply(Outline->rgba()) : 0;
    auto *bits = reinterpret_cast<QRgb *>(Sheet.bits());
    const auto stride = static_cast<std::size_t>(Sheet.bytesPerLine()) / sizeof(QRgb);
    for (const TCovered &c : Masks.Covered) {
        const int outline = Outline ? c.Outline : 0;
        bits[c.Y * stride + c.X] = Add(Scale(k, outline), Scale(Scale(f, c.Fill), 255 - outline));
    }
}

void TMarkerSheet::Draw(QPainter &painter, const QPointF &p) const
{
    const QTransform &t = painter.deviceTransform();
    int x = 0, y = 0;
    const int qx = Split(p.x() + t.dx(), x), qy = Split(p.y() + t.dy(), y);
    painter.drawImage(QPointF(x - Masks.MarginX - t.dx(), y - Masks.MarginY - t.dy()), Sheet,
                      QRectF(qx * Masks.CellW, qy * Masks.CellH, Masks.CellW, Masks.CellH));
}

const TMarkerSheet::TMasks &TMarkerSheet::MasksOf(int w, int h)
{
    // The same for every series of a size: drawn once. Charts are drawn on
    // the GUI thread only.
    static std::deque<TMasks> known; // keeps its elements in place as it grows
    for (const TMasks &m : known)
        if (m.W == w && m.H == h)
            return m;
    TMasks m;
    m.W = w, m.H = h;
    m.MarginX = w + 2, m.MarginY = h + 2;
    m.CellW = 2 * m.MarginX + 2, m.CellH = 2 * m.MarginY + 2;
    QImage masks[2];
    for (int outline = 0; outline < 2; ++outline) {
        QImage &mask = masks[outline];
        mask = QImage(m.CellW * Phases, m.CellH * Phases, QImage::Format_ARGB32_Premultiplied);
        mask.fill(Qt::transparent);
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(outline ? QPen(Qt::black, 0) : QPen(Qt::NoPen));
        painter.setBrush(outline ? QBrush(Qt::NoBrush) : QBrush(Qt::black));
        for (int qy = 0; qy < Phases; ++qy)
            for (int qx = 0; qx < Phases; ++qx)
                painter.drawRect(QRectF(qx * m.CellW + m.MarginX + qx / double(Phases) - w,
                                        qy * m.CellH + m.MarginY + qy / double(Phases) - h, 2 * w, 2 * h));
    }
    for (int y = 0; y < masks[0].height(); ++y)
        for (int x = 0; x < masks[0].width(); ++x) {
            const int fill = qAlpha(masks[0].pixel(x, y)), outline = qAlpha(masks[1].pixel(x, y));
            if (fill != 0 || outline != 0)
                m.Covered.push_back({static_cast<std::size_t>(x), static_cast<std::size_t>(y), fill, outline});
        }
    known.push_back(std::move(m));
    return known.back();
}
