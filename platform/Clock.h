#pragma once
// The program's clocks: a millisecond tick counter that paces display updates,
// and the local wall-clock time.
#include "platform/Calendar.h"

#include <cstdint>

// Milliseconds of a steady clock as 32 bits; they wrap after 49.7 days.
std::uint32_t GetTickCount();

// The local date and time now, as the clock on the wall shows them.
struct TLocalTime {
    std::int32_t Day = 0; // the day count of the date
    // Milliseconds since midnight, 0 to 86399999 (a leap second counts as the 59th).
    std::int32_t Millisecond = 0;
};
TLocalTime LocalNow();

// The local date and time now as a day count.
TDateTime Now();
