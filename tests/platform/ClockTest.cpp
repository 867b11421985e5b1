#include <gtest/gtest.h>

#include "platform/Clock.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// TZ set for one scope.
class TZone {
public:
    explicit TZone(const char *Zone)
    {
        const char *old = std::getenv("TZ");
        Had = old != nullptr;
        Old = old ? old : "";
        setenv("TZ", Zone, 1);
        tzset();
    }
    ~TZone()
    {
        if (Had)
            setenv("TZ", Old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool Had = false;
    std::string Old;
};

} // namespace

TEST(Clock, NowIsLocalTime)
{
    double utc = 0, east = 0;
    {
        const TZone zone("UTC0");
        utc = Now();
    }
    {
        const TZone zone("XST-14"); // 14 hours east of UTC
        east = Now();
        // The date of the split local time is the day of the day count, unless
        // midnight passed between the readings.
        const TLocalTime before = LocalNow();
        const TDateTime now = Now();
        const TLocalTime after = LocalNow();
        EXPECT_TRUE(IsValidDate(DaysToDate(after.Day)));
        EXPECT_GE(after.Millisecond, 0);
        EXPECT_LT(after.Millisecond, 86400000);
        if (before.Day == after.Day) {
            EXPECT_EQ(after.Day, std::floor(now));
        }
    }
    EXPECT_NEAR(east - utc, 14.0 / 24, 1.0 / 24 / 60);
    const std::uint32_t tick = GetTickCount();
    EXPECT_LT(GetTickCount() - tick, 60000u); // steady: never backwards
}
