#include "platform/Clock.h"

#include <algorithm>
#include <ctime>

namespace {

using namespace std::chrono;

// The wall clock now: the second since 1970 (UTC) and the milliseconds within it.
struct TWall {
    std::time_t Second = 0;
    std::int32_t Milli = 0;
};

TWall WallNow()
{
    const auto now = system_clock::now();
    return {system_clock::to_time_t(now), static_cast<std::int32_t>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000)};
}

std::tm LocalSplit(std::time_t Second)
{
    std::tm local{};
    localtime_r(&Second, &local);
    return local;
}

} // namespace

std::uint32_t GetTickCount()
{
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TLocalTime LocalNow()
{
    const TWall wall = WallNow();
    // A load stamps thousands of nodes with the time within one second: the
    // local time is split anew only when the second changes.
    thread_local std::time_t splitSecond = -1;
    thread_local TLocalTime split;
    if (wall.Second != splitSecond) {
        const std::tm t = LocalSplit(wall.Second);
        split.Day = DateToDays(year{t.tm_year + 1900} / month{static_cast<unsigned>(t.tm_mon + 1)} / day{static_cast<unsigned>(t.tm_mday)});
        split.Millisecond = ((t.tm_hour * 60 + t.tm_min) * 60 + std::min(t.tm_sec, 59)) * 1000;
        splitSecond = wall.Second;
    }
    return {split.Day, split.Millisecond + wall.Milli};
}

TDateTime Now()
{
    const TWall wall = WallNow();
    // Seconds east of UTC, so the day count is local time like the clock on the wall.
    const double seconds = static_cast<double>(wall.Second) + static_cast<double>(LocalSplit(wall.Second).tm_gmtoff)
                           + static_cast<double>(wall.Milli) / 1000.0;
    return Day1970 + seconds / 86400.0;
}
