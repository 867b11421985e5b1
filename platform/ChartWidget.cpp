#include "platform/ChartWidget.h"

#include "platform/ChartRender.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

TChart::TChart(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Animation = new QVariantAnimation(this);
    Animation->setStartValue(0.0);
    Animation->setEndValue(1.0);
    Animation->setDuration(250);
    Animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(Animation, &QVariantAnimation::valueChanged, this, [this] { Changed(); });
    connect(Animation, &QVariantAnimation::finished, this, [this] { Changed(); });
}

TChart::~TChart()
{
    Animation->stop();
}

// The screen image is drawn afresh at the next repaint.
void TChart::Changed()
{
    CacheValid = false;
    update();
}

void TChart::SetAnimatedZoom(bool on) { AnimatedZoomValue = on; }

void TChart::SetPrintProportional(bool on) { Printing.SetProportional(on); }

void TChart::SetPrintMargins(int left, int top, int right, int bottom)
{
    Printing.SetMargins(left, top, right, bottom);
}

void TChart::SetPrintResolution(int value) { Printing.SetResolution(value); }

// ---------------------------------------------------------------- zooming

// While the animation runs, the range moves from where it started to the
// zoomed range, or back to the data's.
TChartRange TChart::ShownRange()
{
    const TChartRange to = ZoomedValue ? ZoomRange : DataRange();
    if (Animation->state() != QAbstractAnimation::Running)
        return to;
    const double t = Animation->currentValue().toDouble();
    auto mix = [t](double a, double b) { return a + (b - a) * t; };
    return {mix(AnimFrom.XMin, to.XMin), mix(AnimFrom.XMax, to.XMax), mix(AnimFrom.YMin, to.YMin),
            mix(AnimFrom.YMax, to.YMax)};
}

// Called before the zoom changes: the range shown now is where an animated
// move starts; without animation a move under way ends.
void TChart::StartMove(bool animate)
{
    if (animate)
        AnimFrom = ShownRange();
    Animation->stop();
    if (animate)
        Animation->start();
}

void TChart::ZoomTo(const TChartRange &target)
{
    StartMove(AnimatedZoomValue && isVisible());
    ZoomedValue = true;
    ZoomRange = target;
    Changed();
}

void TChart::UndoZoom()
{
    StartMove(ZoomedValue && AnimatedZoomValue && isVisible());
    ZoomedValue = false;
    Changed();
    emit OnUndoZoom();
}

// ------------------------------------------------------------ screen, mouse

void TChart::Draw(QPainter &painter, const QRect &rect) { RenderChart(painter, rect, *this, ShownRange(), nullptr); }

void TChart::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (!CacheValid || Cache.size() != pixels) {
        if (Cache.size() != pixels) {
            Cache = QPixmap(pixels);
            Cache.setDevicePixelRatio(ratio);
        }
        QPainter cachePainter(&Cache);
        ScreenMap = TChartScreenMap();
        RenderChart(cachePainter, rect(), *this, ShownRange(), &ScreenMap);
        CacheValid = true;
        ++RenderCountValue;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, Cache);
    if (Banding) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(BandStart, BandEnd).normalized());
    }
}

void TChart::resizeEvent(QResizeEvent *event)
{
    CacheValid = false;
    QWidget::resizeEvent(event);
}

void TChart::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        Changed();
    QWidget::changeEvent(event);
}

void TChart::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        Banding = true;
        BandStart = BandEnd = event->position().toPoint();
    }
    QWidget::mousePressEvent(event);
}

void TChart::mouseMoveEvent(QMouseEvent *event)
{
    if (Banding) {
        BandEnd = event->position().toPoint();
        update();
    }
    QWidget::mouseMoveEvent(event);
}

// A band dragged to the lower right zooms to it; one dragged up or to the
// left undoes the zoom.
void TChart::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !Banding)
        return QWidget::mouseReleaseEvent(event);
    Banding = false;
    BandEnd = event->position().toPoint();
    update();
    const QPoint delta = BandEnd - BandStart;
    constexpr int MinDrag = 4; // less is a click, not a drag
    if ((delta.x() < 0 || delta.y() < 0) && delta.manhattanLength() >= MinDrag) {
        UndoZoom();
    } else if (delta.x() >= MinDrag && delta.y() >= MinDrag) {
        double x0, y0, x1, y1;
        // The band's top left is the minimum x and the maximum y.
        if (ScreenMap.ToData(BandStart, View3D(), x0, y1) && ScreenMap.ToData(BandEnd, View3D(), x1, y0) && x1 > x0
            && y1 > y0)
            ZoomTo({x0, x1, y0, y1});
    }
}

void TChart::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit OnDblClick();
    QWidget::mouseDoubleClickEvent(event);
}

// ---------------------------------------------------------------- printing

TChartDrawing TChart::Drawing()
{
    return [this](QPainter &painter, const QRect &rect) { Draw(painter, rect); };
}

void TChart::DrawPage(QPainter &painter, const QRect &pageRect) { Printing.DrawPage(painter, pageRect, size(), Drawing()); }

bool TChart::PrintLandscapeTo(QPrinter &printer) { return Printing.PrintLandscapeTo(printer, size(), Drawing()); }

bool TChart::PrintLandscape() { return Printing.PrintLandscape(this, size(), Drawing()); }
