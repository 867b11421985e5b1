#pragma once
// The user's number and date conventions, as the run-time library offered them.
#include <string>

// The decimal separator of the user's locale (one byte; '.' when it is not Latin-1).
char SystemDecimalSeparator();
// The user's short date format with the letters d, M and y.
std::string SystemShortDateFormat();
