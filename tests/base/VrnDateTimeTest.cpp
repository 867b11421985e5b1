#include <gtest/gtest.h>

#include "base/VrnDateTime.h"
#include "platform/Exceptions.h"

namespace {

constexpr double Hour = 1.0 / 24;

void ExpectConvertError(const std::string &mask, const std::string &text, const std::string &message)
{
    try {
        StrToDateTimeMask(mask, text);
        ADD_FAILURE() << "no error for '" << text << "' with '" << mask << "'";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message, message) << text;
    }
}

} // namespace

TEST(EncodeDate, DayCountFromTheEpoch)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(1900, 3, 1), 61); // 1900 is no leap year
    EXPECT_EQ(EncodeDate(2000, 3, 1), 36586); // 2000 is one
    EXPECT_EQ(EncodeDate(2024, 3, 15), 45366);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
}

TEST(StrToDateTimeMask, ReadsFieldsAlignedWithTheMask)
{
    EXPECT_EQ(StrToDateTimeMask("YYYY-MM-DD", "2024-03-15"), 45366);
    EXPECT_DOUBLE_EQ(StrToDateTimeMask("DD.MM.YY HH:NN", "05.11.79 14:30"), EncodeDate(2079, 11, 5) + 14.5 * Hour);
    EXPECT_DOUBLE_EQ(StrToDateTimeMask("yyyy-mm-dd hh:nn:ss", "2024-03-15 06:00:36"), 45366 + 0.25 + 36.0 / 86400);
    EXPECT_EQ(StrToDateTimeMask("DD\".\"MM\".\"YYYY", "15.03.2024"), 45366);
}

TEST(StrToDateTimeMask, TwoDigitAndMissingYears)
{
    EXPECT_EQ(StrToDateTimeMask("DD.MM.YY", "01.01.80"), EncodeDate(2080, 1, 1));
    EXPECT_EQ(StrToDateTimeMask("DD.MM.YY", "01.01.81"), EncodeDate(1981, 1, 1));
    EXPECT_EQ(StrToDateTimeMask("DD.MM.YY", "01.01.00"), EncodeDate(2000, 1, 1));
    EXPECT_EQ(StrToDateTimeMask("DD.MM", "05.11"), EncodeDate(2000, 11, 5));
}

TEST(StrToDateTimeMask, MissingOrUnreadableFieldsGiveZero)
{
    EXPECT_EQ(StrToDateTimeMask("YYYY-MM-DD", ""), 0);
    EXPECT_EQ(StrToDateTimeMask("", "2024-03-15"), 0);
    EXPECT_EQ(StrToDateTimeMask("YYYY-MM-DD", "2024-03"), 0);
    EXPECT_EQ(StrToDateTimeMask("YYYY-MM-DD", "2024-0x-15"), 0);
    EXPECT_DOUBLE_EQ(StrToDateTimeMask("YYYY-MM-DD HH:NN", "2024-03-15 7"), 45366 + 7 * Hour);
    EXPECT_DOUBLE_EQ(StrToDateTimeMask("HH:NN:SS", "12:00:00"), 0.5);
}

TEST(StrToDateTimeMask, InvalidDatesAndTimesRaise)
{
    const std::string date = "Invalid argument to date encode";
    const std::string time = "Invalid argument to time encode";
    ExpectConvertError("YYYY-MM-DD", "2023-02-30", date);
    ExpectConvertError("YYYY-MM-DD", "1900-02-29", date);
    ExpectConvertError("YYYY-MM-DD", "2024-13-01", date);
    ExpectConvertError("YYYY-MM-DD", "2024-03--1", date);
    ExpectConvertError("HH:NN:SS", "24:00:00", time);
    ExpectConvertError("HH:NN:SS", "23:60:00", time);
    ExpectConvertError("HH:NN:SS", "23:59:60", time);
    ExpectConvertError("HH:NN:SS", "-1:00:00", time);
    EXPECT_EQ(StrToDateTimeMask("YYYY-MM-DD", "2024-02-29"), EncodeDate(2024, 2, 29));
}

TEST(DateMask, FourDigitYearFromTheShortFormat)
{
    EXPECT_EQ(DateMaskFromFormat("dd.MM.yy"), "DD.MM.YYYY");
    EXPECT_EQ(DateMaskFromFormat("dd.MM.yyyy"), "DD.MM.YYYY");
    EXPECT_EQ(DateMaskFromFormat("M/d/yy"), "M/D/YYYY");
    EXPECT_EQ(DateMaskFromFormat("yy-MM-dd"), "YYYY-MM-DD");
    EXPECT_EQ(DateMaskFromFormat("d MMM"), "YYDMMM");
    EXPECT_NE(DateMask().find("YYYY"), std::string::npos);
}
