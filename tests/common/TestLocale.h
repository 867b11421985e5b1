#pragma once
// What every test main does once its application object exists.

// Runs all tests. With ARV_TEST_LOCALE set (as "de_DE.UTF-8"), the run is
// meant to happen in that locale: the C library (which the application object
// set from the environment) and the toolkit must both have taken it, else the
// run fails at once and says what is wrong.
int RunAllTestsInTheirLocale();
