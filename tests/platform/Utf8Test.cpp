#include "platform/Utf8.h"

#include "platform/Streams.h"
#include "platform/SystemText.h"

#include <QString>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The toolkit's conversion, which the system's error texts took before.
std::string ByToolkit(const std::string &Bytes)
{
    return FromQ(QString::fromLocal8Bit(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
}

std::string Hex(const std::string &Bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : Bytes) {
        out += digits[static_cast<unsigned char>(c) >> 4];
        out += digits[static_cast<unsigned char>(c) & 15];
        out += ' ';
    }
    return out;
}

} // namespace

TEST(Utf8, EverySequenceUpToFourBytesConvertsAsTheToolkitDoes)
{
    // The bytes at which decoding decides: ASCII, the edges of the continuation
    // bytes, the leads of overlong forms, surrogates, the byte-order mark and
    // the planes beyond, and bytes that start nothing.
    const std::string edge("\x00\x41\x7F\x80\x8F\x90\x9F\xA0\xBB\xBF\xC0\xC1\xC2\xC3\xDF\xE0\xE1\xED\xEE\xEF\xF0\xF1\xF4\xF5\xFF", 25);
    int wrong = 0;
    std::string text;
    const auto check = [&](const auto &self, int Length) -> void {
        if (Utf8ToCodePage(text) != ByToolkit(text) && ++wrong <= 5)
            ADD_FAILURE() << Hex(text) << "gives " << Hex(Utf8ToCodePage(text)) << "instead of " << Hex(ByToolkit(text));
        if (Length == 4)
            return;
        for (const char c : edge) {
            text.push_back(c);
            self(self, Length + 1);
            text.pop_back();
        }
    };
    check(check, 0);
    EXPECT_EQ(wrong, 0);
}

TEST(Utf8, TextsAroundTheCharacters)
{
    EXPECT_EQ(Utf8ToCodePage("Ung\xC3\xBCltiges Argument"), "Ung\xFCltiges Argument");
    EXPECT_EQ(Utf8ToCodePage("\xEF\xBB\xBF\xEF\xBB\xBFx"), "?x") << "only the first mark is dropped";
    EXPECT_EQ(Utf8ToCodePage("a\xE2\x82\xAC\xE2\x86\x92\xF0\x9F\x98\x80z"), "a\x80??z") << "the euro sign, an arrow, an emoji";
    EXPECT_EQ(Utf8ToCodePage(std::string("\0\xC3", 2)), std::string("\0?", 2));
}

TEST(Utf8, SystemErrorTextsAsBefore)
{
    for (int code = 0; code < 140; ++code) {
        char buf[256];
        EXPECT_EQ(SysErrorText(code), ByToolkit(strerror_r(code, buf, sizeof buf))) << code;
    }
}
