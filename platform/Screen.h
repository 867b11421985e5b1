#pragma once
// The screen object of the framework: the application-wide cursor, kept as a
// value that code and tests can read, and the size of the primary screen.
#include <QRect>

#include <vector>

class QCursor;

enum TCursor : int {
    crDefault = 0,
    crHourGlass = -11,
};

class TScreen {
public:
    TCursor Cursor() const { return FCursor; }
    // Shows Value over every window of the application; crDefault lets each
    // widget show its own cursor again.
    void SetCursor(TCursor Value);

    // Width and height of the primary screen in pixels.
    int Width() const;
    int Height() const;
    // Fixes the reported size (a screen of a given size without one being
    // attached); 0 by 0 follows the primary screen again.
    void SetSize(int AWidth, int AHeight);

    // The part of each screen that windows may take (without panels and
    // docks), the primary screen first. A fixed size counts as one screen of
    // that size at 0, 0.
    std::vector<QRect> WorkAreas() const;
    // Fixes the screens reported; an empty list follows the real ones again.
    void SetWorkAreas(std::vector<QRect> Areas);

private:
    TCursor FCursor = crDefault;
    int FixedWidth = 0;
    int FixedHeight = 0;
    std::vector<QRect> FixedAreas;
};

TScreen &Screen();
