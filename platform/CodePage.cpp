#include "platform/CodePage.h"

#include <iterator>

namespace {

// 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char16_t High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // € . ‚ ƒ „ … † ‡
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // ˆ ‰ Š ‹ Œ . Ž .
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // . ‘ ’ “ ” • – —
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // ˜ ™ š › œ . ž Ÿ
};

} // namespace

char16_t CodePageChar(unsigned char Byte)
{
    return Byte >= 0x80 && Byte < 0xA0 ? High[Byte - 0x80] : Byte;
}

bool CodePageByte(char32_t Char, unsigned char &Byte)
{
    if (Char < 0x80 || (Char >= 0xA0 && Char <= 0xFF)) {
        Byte = static_cast<unsigned char>(Char);
        return true;
    }
    for (unsigned i = 0; i < std::size(High); ++i)
        if (High[i] == Char) {
            Byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    return false;
}

unsigned char CodePageLower(unsigned char Byte)
{
    if ((Byte >= 'A' && Byte <= 'Z') || (Byte >= 0xC0 && Byte <= 0xDE && Byte != 0xD7))
        return static_cast<unsigned char>(Byte + 0x20);
    if (Byte == 0x8A || Byte == 0x8C || Byte == 0x8E) // Š Œ Ž
        return static_cast<unsigned char>(Byte + 0x10);
    return Byte == 0x9F ? 0xFF : Byte; // Ÿ
}
