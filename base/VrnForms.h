#pragma once
// The kit every form of both programs is built with: the font, component
// names and places, painted panels, the busy cursor and the pictures drawn
// in code. The colours come from platform/FormColours.h.
#include "platform/FormColours.h"
#include "platform/Screen.h"

#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QSize>
#include <QWidget>

#include <functional>
#include <string>

class QLabel;
class QPainter;

// The forms' font: Verdana at a height in pixels.
QFont Verdana(int Pixels, bool Bold);

// The component's name as its object name, so placement entries and tests find it.
template <class T>
T *Named(T *Widget, const char *Name)
{
    Widget->setObjectName(QLatin1String(Name));
    return Widget;
}

// A new component of class T on Parent, named, at a fixed place and size.
template <class T>
T *Place(QWidget *Parent, const char *Name, int Left, int Top, int Width, int Height)
{
    T *widget = Named(new T(Parent), Name);
    widget->setGeometry(Left, Top, Width, Height);
    return widget;
}

// A label showing Caption (a code-page text) as plain text at Left, Top in Font,
// sized to its text.
QLabel *PlaceLabel(QWidget *Parent, const char *Name, const std::string &Caption, int Left, int Top,
                   const QFont &Font);

// One colour of the widget's palette, the others left as they are.
void SetColour(QWidget *Widget, QPalette::ColorRole Role, const QColor &Colour);
// A panel painted all over in one colour.
void FillBackground(QWidget *Widget, const QColor &Colour);

// The hourglass for the length of an operation, the default cursor again
// afterwards, also when the operation raises.
class TBusyCursor {
public:
    TBusyCursor() { Screen().SetCursor(crHourGlass); }
    ~TBusyCursor() { Screen().SetCursor(crDefault); }
    TBusyCursor(const TBusyCursor &) = delete;
    TBusyCursor &operator=(const TBusyCursor &) = delete;
};

// A picture of Size logical pixels that Draw paints in logical coordinates.
// It is drawn anew at each device pixel ratio it is shown at, so it stays
// sharp on a dense screen; at ratio 1 it is the plain pixmap, and other
// sizes are scaled from it as for any pixmap icon.
QIcon DrawnPicture(QSize Size, std::function<void(QPainter &)> Draw);

// The About command's picture, 16 by 16: a white "i" on a round ground.
QIcon InfoPicture(const QColor &Outline, const QColor &Ground);
