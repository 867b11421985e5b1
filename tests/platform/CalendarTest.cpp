#include <gtest/gtest.h>

#include "platform/Calendar.h"
#include "platform/Exceptions.h"

#include <array>
#include <cmath>
#include <limits>

using namespace std::chrono;

namespace {

void ExpectDateError(TDateTime Value)
{
    try {
        DecodeDate(Value);
        ADD_FAILURE() << "no error for " << Value;
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message, "Invalid argument to date encode");
    }
}

} // namespace

// Every day from 1 January of the year 1 to 31 December 9999, walked one day
// at a time with the month lengths and the Gregorian leap rule. Before 1899
// the time of day counts away from zero: -1.75 is 29 December 1899, 18:00.
TEST(Calendar, EveryDayOfTheYears1To9999)
{
    static const unsigned monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int y = 1;
    unsigned m = 1, d = 1;
    std::int32_t wrong = 0, leapDays = 0;
    for (std::int32_t n = FirstDay; n <= LastDay; ++n) {
        const year_month_day date = year{y} / month{m} / day{d};
        if ((DaysToDate(n) != date || DateToDays(date) != n || EncodeDate(y, m, d) != n || DecodeDate(n + (n < 0 ? -0.75 : 0.75)) != date)
            && wrong++ == 0)
            ADD_FAILURE() << "day " << n << " is not " << y << '-' << m << '-' << d;
        const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
        leapDays += m == 2 && d == 29;
        if (d < monthDays[m - 1] + (m == 2 && leap)) {
            ++d;
        } else {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(y, 10000);
    EXPECT_EQ(leapDays, 2424);
}

TEST(Calendar, EdgesAndInvalidDates)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1970, 1, 1), Day1970);
    EXPECT_EQ(EncodeDate(1900, 3, 1) - EncodeDate(1900, 2, 28), 1); // 1900 is no leap year
    EXPECT_EQ(EncodeDate(2000, 3, 1) - EncodeDate(2000, 2, 28), 2); // 2000 is one
    EXPECT_TRUE(IsValidDate(year{2024} / 2 / 29));
    EXPECT_FALSE(IsValidDate(year{2100} / 2 / 29));
    EXPECT_FALSE(IsValidDate(year{0} / 1 / 1));
    EXPECT_FALSE(IsValidDate(year{10000} / 1 / 1));
    for (const auto &[y, m, d] : {std::array<unsigned short, 3>{0, 1, 1}, {10000, 1, 1}, {2023, 2, 29}, {2023, 4, 31},
                                  {2023, 0, 1}, {2023, 1, 0}, {2024, 257, 1}, {2024, 1, 257}, {65535, 65535, 65535}})
        EXPECT_THROW(EncodeDate(y, m, d), EConvertError) << y << '-' << m << '-' << d;

    // The fraction is cut toward zero, as the writer of dates always did.
    EXPECT_EQ(DecodeDate(-0.5), year{1899} / 12 / 30);
    EXPECT_EQ(DecodeDate(-1.5), year{1899} / 12 / 29);
    EXPECT_EQ(DecodeDate(FirstDay - 0.5), year{1} / 1 / 1);
    EXPECT_EQ(DecodeDate(LastDay + 0.999), year{9999} / 12 / 31);
    for (const double v : {FirstDay - 1.0, LastDay + 1.0, std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(), -1e300})
        ExpectDateError(v);

    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_LT(EncodeTime(23, 59, 59, 999), 1.0);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
}
