#include "profiler/ArviloIcons.h"

#include "base/VrnForms.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor Ink(36, 58, 92);
const QColor Accent(40, 120, 200);

void Arrow(QPainter &p, QPointF from, QPointF to)
{
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF a = line, b = line;
    a.setLength(5);
    b.setLength(5);
    a.setAngle(line.angle() + 35);
    b.setAngle(line.angle() - 35);
    p.drawLine(a);
    p.drawLine(b);
}

void CurvedArrow(QPainter &p, bool left)
{
    QPainterPath path;
    const QRectF r(3, 4, 14, 12);
    path.arcMoveTo(r, left ? 20 : 160);
    path.arcTo(r, left ? 20 : 160, left ? 220 : -220);
    p.drawPath(path);
    const QPointF end = path.currentPosition();
    const qreal dir = left ? 1 : -1;
    p.drawLine(end, end + QPointF(dir * 4, -1));
    p.drawLine(end, end + QPointF(dir * 1, -4));
}

void DrawChartTool(QPainter &p, int Index)
{
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(Ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    switch (Index) {
    case ciPrint:
        p.setBrush(QColor(235, 238, 244));
        p.drawRect(QRectF(3.5, 8.5, 13, 7));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 3.5, 7, 5));
        p.drawRect(QRectF(6.5, 13.5, 7, 4));
        break;
    case ciReset:
        p.drawEllipse(QRectF(4, 4, 12, 12));
        p.drawLine(QPointF(10, 10), QPointF(10, 5.5));
        p.drawLine(QPointF(10, 10), QPointF(13.5, 12));
        break;
    case ciRotateLeft:
        CurvedArrow(p, true);
        break;
    case ciRotateRight:
        CurvedArrow(p, false);
        break;
    case ciElevateUp:
        Arrow(p, QPointF(10, 17), QPointF(10, 3));
        break;
    case ciElevateDown:
        Arrow(p, QPointF(10, 3), QPointF(10, 17));
        break;
    case ci3D: {
        p.setBrush(QColor(200, 220, 245));
        const QPointF front[] = {{3, 8}, {12, 8}, {12, 17}, {3, 17}};
        const QPointF top[] = {{3, 8}, {8, 3}, {17, 3}, {12, 8}};
        const QPointF side[] = {{12, 8}, {17, 3}, {17, 12}, {12, 17}};
        p.drawPolygon(top, 4);
        p.setBrush(QColor(150, 185, 230));
        p.drawPolygon(side, 4);
        p.setBrush(QColor(225, 236, 250));
        p.drawPolygon(front, 4);
        break;
    }
    case ciShowPoints: {
        p.drawPolyline(QPolygonF({{2, 15}, {7, 9}, {12, 12}, {18, 4}}));
        p.setBrush(Accent);
        p.setPen(QPen(Ink, 1));
        for (const QPointF pt : {QPointF(2, 15), QPointF(7, 9), QPointF(12, 12), QPointF(18, 4)})
            p.drawRect(QRectF(pt.x() - 1.6, pt.y() - 1.6, 3.2, 3.2));
        break;
    }
    case ciFullScreen:
        for (const auto &corner : {std::pair{QPointF(3, 3), QPointF(1, 1)}, std::pair{QPointF(17, 3), QPointF(-1, 1)},
                                   std::pair{QPointF(3, 17), QPointF(1, -1)}, std::pair{QPointF(17, 17), QPointF(-1, -1)}}) {
            p.drawLine(corner.first, corner.first + QPointF(corner.second.x() * 5, 0));
            p.drawLine(corner.first, corner.first + QPointF(0, corner.second.y() * 5));
        }
        p.drawRect(QRectF(7, 7, 6, 6));
        break;
    default:
        break;
    }
}

void DrawMainTool(QPainter &p, int Index)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (Index) {
    case 4: // add
    case 5: { // remove
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(235, 240, 248));
        p.drawRect(QRectF(1.5, 2.5, 9, 11));
        p.setPen(QPen(Index == 4 ? QColor(30, 140, 60) : QColor(190, 40, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 11), QPointF(15, 11));
        if (Index == 4)
            p.drawLine(QPointF(12, 8), QPointF(12, 14));
        break;
    }
    default:
        break;
    }
}

void DrawNav(QPainter &p, int Index)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Ink, 1));
    switch (Index) {
    case 0: // the top node: a small project folder
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    case 3: // the root node: a profile curve
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Accent, 1.4));
        p.drawPolyline(QPolygonF({{3, 4}, {6, 9}, {9, 11.5}, {13, 12.5}}));
        break;
    case 1: // a variation, selected
    case 2: // a variation
        p.setBrush(Index == 1 ? QColor(250, 170, 40) : QColor(160, 190, 230));
        p.drawEllipse(QRectF(3, 3, 10, 10));
        break;
    default:
        break;
    }
}

} // namespace

QIcon ChartToolImage(int Index)
{
    return DrawnPicture(QSize(20, 20), [Index](QPainter &p) { DrawChartTool(p, Index); });
}

QIcon MainToolImage(int Index)
{
    if (Index == 3)
        return InfoPicture(Ink, Accent);
    return DrawnPicture(QSize(16, 16), [Index](QPainter &p) { DrawMainTool(p, Index); });
}

QIcon NavImage(int Index)
{
    return DrawnPicture(QSize(16, 16), [Index](QPainter &p) { DrawNav(p, Index); });
}
