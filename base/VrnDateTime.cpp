#include "base/VrnDateTime.h"

#include "base/VrnStrings.h"
#include "platform/Exceptions.h"
#include "platform/LocaleInfo.h"

#include <cstdint>

namespace {

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Day number of 30 December 1899 counted from 1 January of the year 1 as day 1.
constexpr int64_t DateDelta = 693594;

// Leading blanks, an optional sign and decimal digits, nothing else; 0 when
// the text does not convert.
int FieldToInt(const std::string &s)
{
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    if (i == s.size())
        return 0;
    int value = 0; // a field is a few characters wide, so this cannot overflow
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return 0;
        value = value * 10 + (s[i] - '0');
    }
    return negative ? -value : value;
}

// The characters of Text under the first occurrence of Name in Mask, as a number.
int FieldValue(const std::string &Mask, const std::string &Text, const char *Name)
{
    const size_t p = Mask.find(Name);
    if (p == std::string::npos || p >= Text.size())
        return 0;
    return FieldToInt(Text.substr(p, std::char_traits<char>::length(Name)));
}

} // namespace

TDateTime EncodeDate(unsigned short Year, unsigned short Month, unsigned short Day)
{
    static const int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1)
        throw EConvertError("Invalid argument to date encode");
    const bool leap = IsLeapYear(Year);
    if (Day > monthDays[Month - 1] + (Month == 2 && leap ? 1 : 0))
        throw EConvertError("Invalid argument to date encode");

    int64_t days = Day;
    for (int m = 1; m < Month; ++m)
        days += monthDays[m - 1] + (m == 2 && leap ? 1 : 0);
    const int64_t y = Year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    return static_cast<TDateTime>(days - DateDelta);
}

TDateTime EncodeTime(unsigned short Hour, unsigned short Min, unsigned short Sec, unsigned short MSec)
{
    if (Hour > 23 || Min > 59 || Sec > 59 || MSec > 999)
        throw EConvertError("Invalid argument to time encode");
    // Whole milliseconds over the day, so a given time always maps to the same double.
    return (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / 86400000.0;
}

TDateTime StrToDateTimeMask(const std::string &Mask, const std::string &Text)
{
    if (Text.empty() || Mask.empty())
        return 0;

    std::string mask;
    mask.reserve(Mask.size());
    for (const char c : Mask) {
        if (c == '"')
            continue;
        mask += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }

    const int day = FieldValue(mask, Text, "DD");
    const int month = FieldValue(mask, Text, "MM");
    int year = FieldValue(mask, Text, "YYYY");
    if (year == 0) {
        year = FieldValue(mask, Text, "YY");
        year += year <= 80 ? 2000 : 1900;
    }
    // The fields are taken as 16-bit unsigned values, so a negative one is
    // never a valid date or time and raises instead of wrapping into one.
    const auto d = static_cast<unsigned short>(day);
    const auto m = static_cast<unsigned short>(month);
    const auto y = static_cast<unsigned short>(year);

    TDateTime result = 0;
    if (d != 0 && m != 0 && y != 0)
        result = EncodeDate(y, m, d);

    result += EncodeTime(static_cast<unsigned short>(FieldValue(mask, Text, "HH")),
                         static_cast<unsigned short>(FieldValue(mask, Text, "NN")),
                         static_cast<unsigned short>(FieldValue(mask, Text, "SS")), 0);
    return result;
}

std::string DateMaskFromFormat(const std::string &ShortDateFormat)
{
    std::string upper;
    upper.reserve(ShortDateFormat.size());
    for (const char c : ShortDateFormat)
        upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;

    std::string mask = KeepChars(upper, "DMY.:-/'_+*");
    if (mask.find("YYYY") == std::string::npos) {
        const size_t p = mask.find("YY");
        mask.insert(p == std::string::npos ? 0 : p, "YY");
    }
    return mask;
}

const std::string &DateMask()
{
    static const std::string mask = DateMaskFromFormat(SystemShortDateFormat());
    return mask;
}
