// Shared main of every test executable: an offscreen application object, so
// suites can create widgets, and the error box routed like in the programs.
#include <gtest/gtest.h>

#include "platform/Application.h"

#include <cstdlib>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
