// Shared main of the test executables of code without widgets: the
// application object without any window system, which takes the locale from
// the environment as the programs' own does.
#include <gtest/gtest.h>

#include "tests/common/TestLocale.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RunAllTestsInTheirLocale();
}
