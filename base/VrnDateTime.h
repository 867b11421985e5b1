#pragma once
// A mask-driven date-time parser on the platform's calendar, the user's date
// mask and the names of calendar periods.
#include "platform/Calendar.h"

#include <string>

// Reads Text aligned character by character with Mask (fields DD, MM, YYYY
// or YY, HH, NN, SS). 0 for an empty Text or Mask. Raises EConvertError for a
// day that does not exist or a time of day out of range.
TDateTime StrToDateTimeMask(const std::string &Mask, const std::string &Text);

// The user's short date format as a mask: upper case, only the letters and
// separators a mask uses, the year always four digits. Built on first use so
// it is safe from other static initialisers.
const std::string &DateMask();
// The mask made from a short date format in the letters d, M and y.
std::string DateMaskFromFormat(const std::string &ShortDateFormat);

// Period names in the order day, week, month, quarter, year, decade, century.
inline constexpr const char *PeriodSingularDe[7] = {"Tag", "Woche", "Monat", "Quartal", "Jahr", "Jahrzent", "Jahrhundert"};
inline constexpr const char *PeriodPluralDe[7] = {"Tage", "Wochen", "Monate", "Quartale", "Jahre", "Jahrzente", "Jahrhunderte"};
inline constexpr const char *PeriodSingularEn[7] = {"Day", "Week", "Month", "Quarter", "Year", "Decade", "Century"};
inline constexpr const char *PeriodPluralEn[7] = {"Days", "Weeks", "Months", "Quarters", "Years", "Decades", "Centuries"};
