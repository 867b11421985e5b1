#include "platform/IntText.h"

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool TryTextToInt64(const std::string &Text, std::int64_t &Value, bool *Hex)
{
    const std::string &s = Text;
    size_t i = s.find_first_not_of(' ');
    if (i == std::string::npos)
        return false;
    bool negative = false;
    if (s[i] == '+' || s[i] == '-')
        negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == s.size())
        return false;
    const std::uint64_t limit = hex ? UINT64_MAX : (negative ? 9223372036854775808ull : 9223372036854775807ull);
    const unsigned base = hex ? 16 : 10;
    std::uint64_t n = 0;
    for (; i < s.size(); ++i) {
        const int value = HexDigitValue(s[i]);
        const unsigned d = value < 0 ? base : static_cast<unsigned>(value);
        if (d >= base || n > (limit - d) / base)
            return false;
        n = n * base + d;
    }
    Value = static_cast<std::int64_t>(negative ? 0 - n : n);
    if (Hex)
        *Hex = hex;
    return true;
}
