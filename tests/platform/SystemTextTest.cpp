#include <gtest/gtest.h>

#include "platform/SystemText.h"
#include "platform/Utf8.h"
#include "tests/common/GermanLocale.h"

#include <iconv.h>

namespace {

void ExpectLetterCase()
{
    EXPECT_TRUE(SameTextAscii("TArvilo_Var", "tarvilo_VAR"));
    EXPECT_TRUE(SameTextAscii("", ""));
    EXPECT_FALSE(SameTextAscii("abc", "abcd"));
    // Bytes 0x20 apart that are no letters, and Latin-1 letters, stay apart.
    EXPECT_FALSE(SameTextAscii("@[\\]^", "`{|}~"));
    EXPECT_FALSE(SameTextAscii("\xC4rger", "\xE4rger"));
    // An inner NUL is a byte like any other.
    EXPECT_FALSE(SameTextAscii(std::string("a\0b", 3), "a"));

    EXPECT_TRUE(SameTextCodePage("\xC4RGER \xC0\xDE", "\xE4rger \xE0\xFE"));
    EXPECT_FALSE(SameTextCodePage("\xD7", "\xF7")); // multiplication and division sign
    EXPECT_FALSE(SameTextCodePage("\xDF", "\xFF"));
    EXPECT_FALSE(SameTextCodePage("@", "`"));

    EXPECT_EQ(UpperCaseAscii("yyyy-mm-dd \xE4\xFF"), "YYYY-MM-DD \xE4\xFF");
}

} // namespace

// The C library's locale, which a desktop sets, changes none of it: a Latin-1
// locale folds '\xC4' and '\xE4' in the C library, a UTF-8 one does not.
TEST(LetterCase, SameInEveryLocale)
{
    ExpectLetterCase();
    for (const char *locale : {"de_DE.UTF-8", "de_DE.ISO-8859-1"}) {
        SCOPED_TRACE(locale);
        const TGermanCLocale german(locale);
        ExpectLetterCase();
    }
}

// Texts in the code page of a Western desktop: the signs and letters at
// 0x80-0x9F are the characters the user typed, both ways and in the C
// library's texts too, and no byte is lost or changed on its way to the
// screen and back.
TEST(CodePage, EveryByteComesBackAndTheSignsAreTheirs)
{
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const QString shown = ToQ(byte);
        ASSERT_EQ(shown.size(), 1) << b;
        EXPECT_EQ(FromQ(shown), byte) << b;
        EXPECT_EQ(InCodePage(shown), shown) << b;
    }

    // As iconv has the code page, which leaves these five bytes undefined.
    const std::string undefined = "\x81\x8D\x8F\x90\x9D";
    iconv_t cd = iconv_open("UTF-8", "CP1252");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 0x80; b < 0x100; ++b) {
        char in = static_cast<char>(b), out[8];
        char *inp = &in, *outp = out;
        size_t inLeft = 1, outLeft = sizeof out;
        const bool converted = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const bool isUndefined = undefined.find(in) != std::string::npos;
        EXPECT_NE(converted, isUndefined) << b;
        const std::string expected = isUndefined ? QString(QChar(b)).toStdString() : std::string(out, outp);
        EXPECT_EQ(ToQ(std::string(1, in)).toStdString(), expected) << b;
    }
    iconv_close(cd);

    const char signs[] = "\xE2\x82\xAC \xE2\x80\x93 \xE2\x80\x94 \xE2\x80\x9E \xE2\x80\x9C \xE2\x80\x9A \xE2\x80\x98 "
                         "\xE2\x80\x99 \xE2\x80\xA6 \xE2\x80\xA2 \xE2\x84\xA2 \xC5\xA0\xC5\xA1 \xC5\x92\xC5\x93 "
                         "\xC5\xBD\xC5\xBE \xC5\xB8\xC3\xBF"; // € – — „ “ ‚ ‘ ’ … • ™ Šš Œœ Žž Ÿÿ
    const std::string bytes = "\x80 \x96 \x97 \x84 \x93 \x82 \x91 \x92 \x85 \x95 \x99 \x8A\x9A \x8C\x9C \x8E\x9E \x9F\xFF";
    EXPECT_EQ(FromQ(QString::fromUtf8(signs)), bytes);
    EXPECT_EQ(ToQ(bytes).toStdString(), signs);
    EXPECT_EQ(Utf8ToCodePage(signs), bytes) << "the C library's texts";
    EXPECT_EQ(FromQ(QString::fromUtf8("\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D")), undefined);

    // What it cannot hold is one '?' for each character, and shows so.
    const QString foreign = QString::fromUtf8("a\xE2\x86\x92\xCE\xB1\xF0\x9F\x98\x80\xC2\x80z"); // a→α😀 U+0080 z
    EXPECT_EQ(FromQ(foreign), "a????z");
    EXPECT_EQ(InCodePage(foreign).toStdString(), "a????z");
}
