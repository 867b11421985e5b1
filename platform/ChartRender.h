#pragma once
// The one drawing routine of the chart, for the screen, images and paper:
// background, title, legend and axis titles, then the plot, either in 2D
// (grid, axes, curves) or in 3D (walls and grid, ribbons, axes).
#include "platform/ChartProjection.h"

#include <QRect>

class QPainter;
class TChartContent;

// Draws the chart into rect of any paint device, showing range. map, when
// given, learns what maps a screen point back to data (it stays invalid
// when the plot has no room).
void RenderChart(QPainter &painter, const QRect &rect, const TChartContent &content, const TChartRange &range,
                 TChartScreenMap *map);
