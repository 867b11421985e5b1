#pragma once
// The profiler's small pictures, drawn in code so they stay sharp and need
// no files: the nine chart tool-bar images in their fixed order.
#include <QIcon>

enum TChartImage {
    ciPrint = 0,
    ciReset = 1,
    ciRotateLeft = 2,
    ciRotateRight = 3,
    ciElevateUp = 4,
    ciElevateDown = 5,
    ci3D = 6,
    ciShowPoints = 7,
    ciFullScreen = 8,
    ChartImageCount = 9,
};

QIcon ChartToolImage(int Index);
