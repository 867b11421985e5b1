#pragma once
// The one calendar of the system: the proleptic Gregorian calendar of the
// years 1 to 9999 and TDateTime, the day count stored in files and settings.
#include <chrono>
#include <cstdint>

// Days since 30 December 1899; the time of day is the fraction.
using TDateTime = double;

// The day counts of 1 January of the year 1, of 1 January 1970 and of
// 31 December 9999.
inline constexpr std::int32_t FirstDay = -693593;
inline constexpr std::int32_t Day1970 = 25569;
inline constexpr std::int32_t LastDay = 2958465;

// A date of the years 1 to 9999 that exists (29 February only in leap years).
bool IsValidDate(const std::chrono::year_month_day &Date);
// The day count of a date. Also defined for a day past the end of its month,
// which counts on into the next month.
std::int32_t DateToDays(const std::chrono::year_month_day &Date);
// The date of a day count from FirstDay to LastDay.
std::chrono::year_month_day DaysToDate(std::int32_t Days);

// The day count of a date; EConvertError for a date that does not exist or
// lies outside the years 1 to 9999.
TDateTime EncodeDate(unsigned short Year, unsigned short Month, unsigned short Day);
// The fraction of a day; EConvertError for a value out of range.
TDateTime EncodeTime(unsigned short Hour, unsigned short Min, unsigned short Sec, unsigned short MSec);
// The date of the day of Value, its fraction cut off toward zero;
// EConvertError outside the years 1 to 9999.
std::chrono::year_month_day DecodeDate(TDateTime Value);
