#include "base/VrnForms.h"

#include "platform/SystemText.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <map>
#include <utility>

QFont Verdana(int Pixels, bool Bold)
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(Pixels);
    font.setBold(Bold);
    return font;
}

QLabel *PlaceLabel(QWidget *Parent, const char *Name, const std::string &Caption, int Left, int Top,
                   const QFont &Font)
{
    auto *label = Named(new QLabel(ToQ(Caption), Parent), Name);
    label->setTextFormat(Qt::PlainText);
    label->setFont(Font);
    label->move(Left, Top);
    label->adjustSize();
    return label;
}

void SetColour(QWidget *Widget, QPalette::ColorRole Role, const QColor &Colour)
{
    QPalette pal = Widget->palette();
    pal.setColor(Role, Colour);
    Widget->setPalette(pal);
}

void FillBackground(QWidget *Widget, const QColor &Colour)
{
    Widget->setAutoFillBackground(true);
    SetColour(Widget, QPalette::Window, Colour);
}

namespace {

// Keeps one pixmap icon per device pixel ratio asked for and lets it answer:
// the modes (disabled, selected), other sizes and the available sizes are
// then exactly those of a plain pixmap icon.
class TDrawnEngine : public QIconEngine {
public:
    TDrawnEngine(QSize Size, std::function<void(QPainter &)> Draw)
        : FSize(Size), FDraw(std::move(Draw)) {}

    QIconEngine *clone() const override { return new TDrawnEngine(FSize, FDraw); }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const QPaintDevice *device = painter->device();
        At(device ? device->devicePixelRatio() : qApp->devicePixelRatio()).paint(painter, rect, Qt::AlignCenter, mode, state);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return At(1).pixmap(size, 1.0, mode, state);
    }

    // Size is in device pixels here.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        if (!(scale > 0))
            return pixmap(size, mode, state);
        return At(scale).pixmap(size / scale, scale, mode, state);
    }

    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return At(1).actualSize(size, mode, state);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return At(1).availableSizes(mode, state);
    }

private:
    const QIcon &At(qreal ratio)
    {
        if (!(ratio > 0))
            ratio = 1;
        auto found = FDrawn.find(ratio);
        if (found == FDrawn.end()) {
            QPixmap pixmap(FSize * ratio);
            pixmap.setDevicePixelRatio(ratio);
            pixmap.fill(Qt::transparent);
            {
                QPainter p(&pixmap); // scales by the ratio itself
                FDraw(p);
            }
            found = FDrawn.emplace(ratio, QIcon(pixmap)).first;
        }
        return found->second;
    }

    QSize FSize;
    std::function<void(QPainter &)> FDraw;
    std::map<qreal, QIcon> FDrawn;
};

} // namespace

QIcon DrawnPicture(QSize Size, std::function<void(QPainter &)> Draw)
{
    return QIcon(new TDrawnEngine(Size, std::move(Draw)));
}

QIcon InfoPicture(const QColor &Outline, const QColor &Ground)
{
    return DrawnPicture(QSize(16, 16), [Outline, Ground](QPainter &p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Outline, 1));
        p.setBrush(Ground);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(7, 3.5, 2.2, 2.2));
        p.drawRect(QRectF(7, 7, 2.2, 5.5));
    });
}
