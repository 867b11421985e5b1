#include "base/VrnDateTime.h"

#include "base/VrnStrings.h"
#include "platform/LocaleInfo.h"
#include "platform/SystemText.h"

#include <algorithm>

namespace {

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

TDateTime StrToDateTimeMask(const std::string &Mask, const std::string &Text)
{
    if (Text.empty() || Mask.empty())
        return 0;

    std::string mask = UpperCaseAscii(Mask);
    mask.erase(std::remove(mask.begin(), mask.end(), '"'), mask.end());

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
    std::string mask = KeepChars(UpperCaseAscii(ShortDateFormat), "DMY.:-/'_+*");
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
