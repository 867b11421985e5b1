// Shared main of the test executables of code with widgets: an offscreen
// application object, so suites can create widgets, and errors routed to the
// error box like in the programs.
#include <gtest/gtest.h>

#include "base/VrnSettings.h"
#include "platform/Application.h"
#include "tests/common/TestLocale.h"

#include <cstdlib>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TApplication app(argc, argv);
    OnSettingsError = ShowErrorText;
    return RunAllTestsInTheirLocale();
}
