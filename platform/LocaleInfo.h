#pragma once
// The user's number and date conventions, as the run-time library offered them.
#include <string>

class QLocale;

// The decimal separator of the user's locale (one byte; '.' when it is not Latin-1).
char SystemDecimalSeparator();
// The user's short date format with the letters d, M and y.
std::string SystemShortDateFormat();
// Replaces the user's locale for the two questions above (tests run under
// several conventions); resetting restores the system's.
void SetUserLocale(const QLocale &locale);
void ResetUserLocale();
