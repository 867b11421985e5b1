#pragma once
// The profiler's small pictures, drawn in code so they need no files and
// stay sharp at any device pixel ratio: the nine chart tool-bar images in
// their fixed order, the main window's and the navigation tree's.
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

// The main window's tool-bar images beyond the document ones (0 new, 1 open,
// 2 save): 3 info, 4 add variation and the calculator, 5 remove variation.
QIcon MainToolImage(int Index);
// The navigation tree's images: 0 the top node, 1 a selected variation,
// 2 a variation, 3 the root node.
QIcon NavImage(int Index);
