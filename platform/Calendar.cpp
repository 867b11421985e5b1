#include "platform/Calendar.h"

#include "platform/Exceptions.h"

#include <cmath>

namespace {

using namespace std::chrono;

const char SDateEncode[] = "Invalid argument to date encode";

} // namespace

bool IsValidDate(const year_month_day &Date)
{
    return Date.ok() && Date.year() >= year{1} && Date.year() <= year{9999};
}

std::int32_t DateToDays(const year_month_day &Date)
{
    return static_cast<std::int32_t>(sys_days{Date}.time_since_epoch().count()) + Day1970;
}

year_month_day DaysToDate(std::int32_t Days)
{
    return year_month_day{sys_days{days{Days - Day1970}}};
}

TDateTime EncodeDate(unsigned short Year, unsigned short Month, unsigned short Day)
{
    // A month or day above 255 has no defined value in the calendar types.
    if (Month > 12 || Day > 31)
        throw EConvertError(SDateEncode);
    const year_month_day date{year{Year}, month{Month}, day{Day}};
    if (!IsValidDate(date))
        throw EConvertError(SDateEncode);
    return static_cast<TDateTime>(DateToDays(date));
}

TDateTime EncodeTime(unsigned short Hour, unsigned short Min, unsigned short Sec, unsigned short MSec)
{
    if (Hour > 23 || Min > 59 || Sec > 59 || MSec > 999)
        throw EConvertError("Invalid argument to time encode");
    // Whole milliseconds over the day, so a given time always maps to the same double.
    return (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / 86400000.0;
}

year_month_day DecodeDate(TDateTime Value)
{
    const double day = std::trunc(Value);
    if (!(day >= FirstDay && day <= LastDay)) // NaN included
        throw EConvertError(SDateEncode);
    return DaysToDate(static_cast<std::int32_t>(day));
}
