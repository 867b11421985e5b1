#include "base/VrnStrings.h"

#include "platform/IntText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace {

// The decimal digits of |X| as the run-time library saw them: 18 significant
// digits from 1 upwards, 17 decimal places below 1. Returns the digit string
// and the number of digits before the decimal point.
void DecimalDigits(double X, std::string &digits, size_t &intLen)
{
    // std::to_chars never looks at the C library's locale: the point is always '.'.
    char buf[512];
    const double ax = std::fabs(X);
    if (ax >= 1.0) {
        const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::scientific, 17);
        // "d.ddddddddddddddddde+XX"
        const std::string s(buf, r.ptr);
        const size_t e = s.find('e');
        digits = s.substr(0, 1) + s.substr(2, e - 2);
        int exponent = 0;
        std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exponent);
        intLen = static_cast<size_t>(exponent + 1);
        if (intLen > digits.size())
            digits.append(intLen - digits.size(), '0');
    } else {
        const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::fixed, 17);
        // "0.ddddddddddddddddd" (or "1.000..." when rounding reached 1)
        const std::string s(buf, r.ptr);
        const size_t dot = s.find('.');
        digits = s.substr(0, dot) + s.substr(dot + 1);
        intLen = dot;
    }
}

// The power of ten of the first non-zero digit of a number text in the
// decimal grammar (sign, digits with one '.', optional exponent), from Start:
// 0 for 1 to 9.99..., negative below 1. Only asked for texts that are not 0.
long DecimalMagnitude(const std::string &s, size_t Start)
{
    size_t i = Start;
    if (s[i] == '+' || s[i] == '-')
        ++i;
    long intDigits = 0, leadingZeros = 0;
    bool point = false, nonZero = false;
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
        if (s[i] == '.') {
            point = true;
        } else if (!nonZero && s[i] == '0') {
            if (point)
                ++leadingZeros;
        } else {
            nonZero = true;
            if (!point)
                ++intDigits;
        }
    }
    long magnitude = intDigits > 0 ? intDigits - 1 : -leadingZeros - 1;
    if (i < s.size()) {
        ++i;
        const bool negative = s[i] == '-';
        if (s[i] == '+' || s[i] == '-')
            ++i;
        long e = 0;
        for (; i < s.size(); ++i)
            e = std::min(e * 10 + (s[i] - '0'), 1000000L);
        magnitude += negative ? -e : e;
    }
    return magnitude;
}

} // namespace

void RoundDigitsHalfUp(std::string &Digits, size_t Keep, size_t &IntLen)
{
    if (Keep >= Digits.size())
        return;
    const bool up = Digits[Keep] >= '5';
    Digits.resize(Keep);
    if (!up)
        return;
    size_t i = Digits.size();
    while (i > 0 && Digits[i - 1] == '9')
        Digits[--i] = '0';
    if (i == 0) {
        Digits.insert(Digits.begin(), '1');
        ++IntLen;
    } else {
        ++Digits[i - 1];
    }
}

std::string FloatToDecStr(double X, int Decimals, char DecSep, char ThousandSep)
{
    if (Decimals < 0)
        Decimals = 0;
    if (std::isnan(X))
        return "NAN";
    if (std::isinf(X))
        return X < 0 ? "-INF" : "INF";

    std::string digits;
    size_t intLen = 0;
    DecimalDigits(X, digits, intLen);

    // Cut at the last shown place; a first dropped digit of 5 or more rounds up.
    const size_t keep = intLen + static_cast<size_t>(Decimals);
    RoundDigitsHalfUp(digits, keep, intLen);
    if (keep > digits.size())
        digits.append(keep - digits.size(), '0');

    std::string intPart = digits.substr(0, intLen);
    const size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);

    std::string text = X < 0 ? "-" : "";
    text += intPart;
    if (Decimals > 0)
        text += DecSep + digits.substr(intLen);

    if (ThousandSep != '\0') {
        // Groups of three leftwards from the separator, never right after a leading '-'.
        const size_t sepPos = text.find(DecSep);
        long p = sepPos == std::string::npos ? static_cast<long>(text.size()) + 1 : static_cast<long>(sepPos) + 1;
        for (;;) {
            p -= 3;
            if (p <= 0)
                break;
            if (p > 1 && text[static_cast<size_t>(p - 2)] != '-')
                text.insert(static_cast<size_t>(p - 1), 1, ThousandSep);
        }
    }
    return text;
}

std::string FloatToDecStrTrim(double X, int Decimals, char DecSep)
{
    if (X == 0)
        return std::string();
    std::string text = FloatToDecStr(X, Decimals, DecSep, '\0');
    if (Decimals > 0) {
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (!text.empty() && text.back() == DecSep)
            text.pop_back();
    }
    return text;
}

std::string FloatToGeneralStr(double X, int Precision, char DecSep)
{
    char buf[64];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, X, std::chars_format::general, Precision);
    std::string text(buf, r.ptr);
    std::replace(text.begin(), text.end(), '.', DecSep);
    return text;
}

double DecStrToFloat(const std::string &Text, char DecSep, double Default)
{
    std::string s = Text;
    if (DecSep != '.') {
        const size_t p = s.find(DecSep);
        if (p != std::string::npos)
            s[p] = '.';
    }

    // Leading blanks, sign, digits with at most one '.', optional exponent; nothing else.
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    const size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t mantissaDigits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            ++mantissaDigits;
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (mantissaDigits == 0)
        return Default;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return Default;
    }
    if (i != s.size())
        return Default;

    // The grammar above is a subset of what std::from_chars reads (but for
    // the '+'), and from_chars never looks at the C library's locale.
    const char *first = s.data() + start + (s[start] == '+' ? 1 : 0);
    double value = 0;
    const std::from_chars_result r = std::from_chars(first, s.data() + s.size(), value);
    if (r.ec == std::errc::result_out_of_range) {
        // Too small for a Double is 0, too large is no number.
        if (DecimalMagnitude(s, start) >= 0)
            return Default;
        return s[start] == '-' ? -0.0 : 0.0;
    }
    if (r.ec != std::errc() || r.ptr != s.data() + s.size())
        return Default;
    return value;
}

namespace {

// Position and length of field Index (from 1), or npos when Text has fewer
// fields. Each search continues behind the previous match, so none overlap.
size_t FindField(const std::string &Text, const std::string &Separator, int Index, size_t &length)
{
    size_t start = 0;
    for (int field = 1; field < Index; ++field) {
        const size_t hit = Separator.empty() ? std::string::npos : Text.find(Separator, start);
        if (hit == std::string::npos)
            return std::string::npos;
        start = hit + Separator.size();
    }
    const size_t end = Separator.empty() ? std::string::npos : Text.find(Separator, start);
    length = (end == std::string::npos ? Text.size() : end) - start;
    return start;
}

} // namespace

std::string GetToken(const std::string &Text, const std::string &Separator, int Index)
{
    if (Index < 1)
        return std::string();
    size_t length = 0;
    const size_t start = FindField(Text, Separator, Index, length);
    return start == std::string::npos ? std::string() : Text.substr(start, length);
}

int CountTokens(const std::string &Text, const std::string &Separator)
{
    if (Text.empty())
        return 0;
    int count = 1;
    if (Separator.empty())
        return count;
    for (size_t hit = Text.find(Separator); hit != std::string::npos;
         hit = Text.find(Separator, hit + Separator.size()))
        ++count;
    return count;
}

int GetTokenInt(const std::string &Text, const std::string &Separator, int Index)
{
    // The run-time library's integer text; 0 when it does not convert or
    // leaves the int range.
    std::int64_t value = 0;
    if (!TryTextToInt64(GetToken(Text, Separator, Index), value) || value < INT32_MIN || value > INT32_MAX)
        return 0;
    return static_cast<int>(value);
}

TCharSet CharSet(const std::string &Chars)
{
    TCharSet set;
    for (const char c : Chars)
        set.set(static_cast<unsigned char>(c));
    return set;
}

std::string DeleteCharsInSet(const std::string &Text, const TCharSet &Chars)
{
    std::string result;
    result.reserve(Text.size());
    for (const char c : Text)
        if (!Chars.test(static_cast<unsigned char>(c)))
            result += c;
    return result;
}

std::string KeepChars(const std::string &Text, const std::string &Allowed)
{
    return DeleteCharsInSet(Text, ~CharSet(Allowed));
}

std::string HexXorEncode(const std::string &Plain, const std::string &Key)
{
    if (Key.empty())
        return Plain;
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(Plain.size() * 2);
    for (size_t i = 0; i < Plain.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(Plain[i] ^ Key[i % Key.size()]);
        hex += digits[b >> 4];
        hex += digits[b & 0x0F];
    }
    return hex;
}

std::string HexXorDecode(const std::string &Hex, const std::string &Key)
{
    if (Key.empty() || Hex.size() % 2 != 0)
        return std::string();
    std::string plain;
    plain.reserve(Hex.size() / 2);
    for (size_t i = 0; i < Hex.size(); i += 2) {
        const int hi = HexDigitValue(Hex[i]);
        const int lo = HexDigitValue(Hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::string();
        plain += static_cast<char>((hi << 4 | lo) ^ static_cast<unsigned char>(Key[(i / 2) % Key.size()]));
    }
    return plain;
}
