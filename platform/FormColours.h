#pragma once
// The colours the forms of both programs share, each named once.
#include <QColor>

// The light blue-grey of the project page, the panels' headers and the About box.
inline const QColor PageColour(226, 230, 240);
// The pale yellow of info tips: behind comments and the calculator's result kinds.
inline const QColor InfoColour(255, 255, 225);
// The About box's text, also the outline of the calculator's About picture.
inline const QColor AboutTextColour(8, 64, 85);
// The lines that frame the borderless About box.
inline const QColor AboutLineColour(49, 58, 73);
