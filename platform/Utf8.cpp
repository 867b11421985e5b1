#include "platform/Utf8.h"

#include "platform/CodePage.h"

namespace {

bool Continues(unsigned char b) { return (b & 0xC0) == 0x80; }

// The length of the sequence that Lead starts; 0 for a byte that starts
// none (a continuation byte, a lead of overlong forms only, or beyond U+10FFFF).
int SequenceLength(unsigned char Lead)
{
    if (Lead < 0xC2)
        return 0;
    if (Lead < 0xE0)
        return 2;
    if (Lead < 0xF0)
        return 3;
    return Lead < 0xF5 ? 4 : 0;
}

} // namespace

std::string Utf8ToCodePage(std::string_view Text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(Text.data());
    const unsigned char *const end = p + Text.size();
    if (Text.substr(0, 3) == "\xEF\xBB\xBF")
        p += 3;
    std::string out;
    out.reserve(Text.size());
    while (p < end) {
        const unsigned char lead = *p++;
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            continue;
        }
        const int length = SequenceLength(lead);
        bool valid = length > 0 && end - p >= length - 1;
        char32_t c = lead & (0x7F >> length);
        for (int i = 0; valid && i < length - 1; ++i) {
            valid = Continues(p[i]);
            c = c << 6 | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond the last are no characters.
        static constexpr char32_t Least[5] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && c >= Least[length] && (c < 0xD800 || c > 0xDFFF) && c <= 0x10FFFF;
        if (!valid) {
            // The lead byte alone is taken as the fault; what follows it is read anew.
            out += '?';
            continue;
        }
        p += length - 1;
        unsigned char byte;
        out += CodePageByte(c, byte) ? static_cast<char>(byte) : '?';
    }
    return out;
}
