#include <gtest/gtest.h>

#include "platform/Latin1.h"
#include "tests/common/GermanLocale.h"

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

    EXPECT_TRUE(SameTextLatin1("\xC4RGER \xC0\xDE", "\xE4rger \xE0\xFE"));
    EXPECT_FALSE(SameTextLatin1("\xD7", "\xF7")); // multiplication and division sign
    EXPECT_FALSE(SameTextLatin1("\xDF", "\xFF"));
    EXPECT_FALSE(SameTextLatin1("@", "`"));

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
