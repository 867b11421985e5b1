#pragma once
// Small pieces the profiler's forms share: their font, component names,
// painted panels and the busy cursor around an operation.
#include "platform/Screen.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

inline QFont Verdana(int Pixels, bool Bold)
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(Pixels);
    font.setBold(Bold);
    return font;
}

// The component's name as its object name, so placement entries and tests find it.
template <class T>
T *Named(T *Widget, const char *Name)
{
    Widget->setObjectName(QLatin1String(Name));
    return Widget;
}

inline void FillBackground(QWidget *Widget, const QColor &Colour)
{
    Widget->setAutoFillBackground(true);
    QPalette pal = Widget->palette();
    pal.setColor(QPalette::Window, Colour);
    Widget->setPalette(pal);
}

// The light blue-grey of the project page and the panels' headers.
inline const QColor PageColour(226, 230, 240);

// The hourglass for the length of an operation, the default cursor again
// afterwards, also when the operation raises.
class TBusyCursor {
public:
    TBusyCursor() { Screen().SetCursor(crHourGlass); }
    ~TBusyCursor() { Screen().SetCursor(crDefault); }
    TBusyCursor(const TBusyCursor &) = delete;
    TBusyCursor &operator=(const TBusyCursor &) = delete;
};
