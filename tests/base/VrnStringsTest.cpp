#include <gtest/gtest.h>

#include "base/VrnStrings.h"
#include "tests/common/GermanLocale.h"

#include <cmath>

TEST(FloatToDecStr, RoundsTheDecimalExpansionHalfUp)
{
    EXPECT_EQ(FloatToDecStr(2.675, 2, '.', '\0'), "2.67"); // stored just below 2.675
    EXPECT_EQ(FloatToDecStr(0.125, 2, '.', '\0'), "0.13");
    EXPECT_EQ(FloatToDecStr(0.5, 0, '.', '\0'), "1");
    EXPECT_EQ(FloatToDecStr(9.999, 2, '.', '\0'), "10.00");
    EXPECT_EQ(FloatToDecStr(-99.5, 0, '.', '\0'), "-100");
    EXPECT_EQ(FloatToDecStr(1.5, 20, '.', '\0'), "1.50000000000000000000");
}

TEST(FloatToDecStr, SignOfXDecides)
{
    EXPECT_EQ(FloatToDecStr(-0.001, 2, '.', '\0'), "-0.00");
    EXPECT_EQ(FloatToDecStr(-0.4, 0, ',', '.'), "-0");
}

TEST(FloatToDecStr, SeparatorsAndGrouping)
{
    EXPECT_EQ(FloatToDecStr(1234567.891, 2, ',', '.'), "1.234.567,89");
    EXPECT_EQ(FloatToDecStr(-1234, 0, ',', '.'), "-1.234");
    EXPECT_EQ(FloatToDecStr(-1234, 0, '.', ','), "-1,234");
    EXPECT_EQ(FloatToDecStr(-123456.7, 1, '.', ','), "-123,456.7");
    EXPECT_EQ(FloatToDecStr(123, 0, ',', '.'), "123");
    EXPECT_EQ(FloatToDecStr(3.25, 2, ',', '\0'), "3,25");
}

TEST(FloatToDecStrTrim, TrimsOnlyZerosAfterTheSeparator)
{
    EXPECT_EQ(FloatToDecStrTrim(0, 10, '.'), "");
    EXPECT_EQ(FloatToDecStrTrim(2.5, 10, '.'), "2.5");
    EXPECT_EQ(FloatToDecStrTrim(3, 10, '.'), "3");
    EXPECT_EQ(FloatToDecStrTrim(0.1, 10, '.'), "0.1");
    EXPECT_EQ(FloatToDecStrTrim(100, 10, '.'), "100");
    EXPECT_EQ(FloatToDecStrTrim(-0.00000000001, 10, '.'), "-0");
    EXPECT_EQ(FloatToDecStrTrim(1.25, 10, ','), "1,25");
}

TEST(DecStrToFloat, AcceptsTheStrictGrammarOnly)
{
    EXPECT_EQ(DecStrToFloat("", '.', 7), 7);
    EXPECT_EQ(DecStrToFloat("abc", '.', 7), 7);
    EXPECT_EQ(DecStrToFloat(" 12", '.', 7), 12);
    EXPECT_EQ(DecStrToFloat("12 ", '.', 7), 7);
    EXPECT_EQ(DecStrToFloat("-1.5e3", '.', 7), -1500);
    EXPECT_EQ(DecStrToFloat("+.5E-1", '.', 7), 0.05);
    EXPECT_EQ(DecStrToFloat("1e", '.', 7), 7);
    EXPECT_EQ(DecStrToFloat("1.2.3", '.', 7), 7);
    EXPECT_EQ(DecStrToFloat("0x10", '.', 7), 7);
    EXPECT_EQ(DecStrToFloat("inf", '.', 7), 7);
    EXPECT_EQ(DecStrToFloat("1e999", '.', 7), 7);
}

TEST(DecStrToFloat, DecimalSeparator)
{
    EXPECT_EQ(DecStrToFloat("1,5", ',', 0), 1.5);
    EXPECT_EQ(DecStrToFloat("1.5", ',', 0), 1.5);
    EXPECT_EQ(DecStrToFloat("1.234,5", ',', -1), -1);
    EXPECT_EQ(DecStrToFloat("1,5", '.', -1), -1);
    EXPECT_EQ(DecStrToFloat(FloatToDecStrTrim(0.1, 10, ','), ',', 0), 0.1);
}

TEST(NumberTexts, IndependentOfTheCLibrarysLocale)
{
    const TGermanCLocale german;
    EXPECT_EQ(FloatToDecStr(0.5, 2, ',', '\0'), "0,50");
    EXPECT_EQ(FloatToDecStr(0, 2, ',', '\0'), "0,00");
    EXPECT_EQ(FloatToDecStr(0.2249, 2, ',', '\0'), "0,22");
    EXPECT_EQ(FloatToDecStr(1234567.891, 2, ',', '.'), "1.234.567,89");
    EXPECT_EQ(FloatToDecStr(2.675, 2, '.', '\0'), "2.67");
    EXPECT_EQ(FloatToDecStr(1e20, 0, '.', '\0'), "100000000000000000000");
    EXPECT_EQ(FloatToDecStrTrim(1.25, 10, '.'), "1.25");
    EXPECT_EQ(DecStrToFloat("1.5", '.', 0), 1.5);
    EXPECT_EQ(DecStrToFloat("1,5", ',', 0), 1.5);
    EXPECT_EQ(DecStrToFloat("-2.5e-3", '.', 0), -0.0025);
    EXPECT_EQ(DecStrToFloat("1,5", '.', 7), 7);
}

TEST(DecStrToFloat, EndsOfTheDoubleRange)
{
    EXPECT_EQ(DecStrToFloat("1.7976931348623157e308", '.', 7), 1.7976931348623157e308);
    EXPECT_EQ(DecStrToFloat("-1.8e308", '.', 7), 7); // no Double holds it
    EXPECT_EQ(DecStrToFloat("4.9e-324", '.', 7), 4.9e-324);
    // Too small for a Double is zero, keeping its sign.
    EXPECT_EQ(DecStrToFloat("1e-400", '.', 7), 0);
    EXPECT_EQ(DecStrToFloat("0.0000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
                            "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
                            "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
                            "000000000000000000000000000000000000000000000000000000000000000000000000000001",
                            '.', 7),
              0);
    EXPECT_TRUE(std::signbit(DecStrToFloat("-1e-400", '.', 7)));
    EXPECT_EQ(DecStrToFloat("0.00001e-99999999999", '.', 7), 0);
    EXPECT_EQ(DecStrToFloat("100000e99999999999", '.', 7), 7);
    EXPECT_EQ(DecStrToFloat("+0", '.', 7), 0);
}

TEST(GetToken, FieldsBetweenWholeSeparatorMatches)
{
    EXPECT_EQ(GetToken("a||c", "|", 2), "");
    EXPECT_EQ(GetToken("a||c", "|", 3), "c");
    EXPECT_EQ(GetToken("a||c", "||", 2), "c");
    EXPECT_EQ(GetToken("a\\b\\", "\\", 2), "b");
    EXPECT_EQ(GetToken("a\\b\\", "\\", 3), "");
    EXPECT_EQ(GetToken("abc", "\\", 0), "");
    EXPECT_EQ(GetToken("abc", "\\", 2), "");
    EXPECT_EQ(GetToken("", "\\", 1), "");
    EXPECT_EQ(GetToken("x---y", "--", 2), "-y"); // matches never overlap
    EXPECT_EQ(GetToken("abc", "", 1), "abc");
    EXPECT_EQ(GetToken("abc", "", 2), "");
}

TEST(CountTokens, CountsMatchesPlusOne)
{
    EXPECT_EQ(CountTokens("", "\\"), 0);
    EXPECT_EQ(CountTokens("abc", "\\"), 1);
    EXPECT_EQ(CountTokens("\\", "\\"), 2);
    EXPECT_EQ(CountTokens("a\\b\\", "\\"), 3);
    EXPECT_EQ(CountTokens("x---y", "--"), 2);
    EXPECT_EQ(CountTokens("abc", ""), 1);
}

TEST(GetTokenInt, ConvertsDecimalAndHexFields)
{
    const std::string place = "-8, 12,$1F,0x1f,+7,12 ,,x,2147483648,-2147483648";
    EXPECT_EQ(GetTokenInt(place, ",", 1), -8);
    EXPECT_EQ(GetTokenInt(place, ",", 2), 12);
    EXPECT_EQ(GetTokenInt(place, ",", 3), 31);
    EXPECT_EQ(GetTokenInt(place, ",", 4), 31);
    EXPECT_EQ(GetTokenInt(place, ",", 5), 7);
    EXPECT_EQ(GetTokenInt(place, ",", 6), 0);
    EXPECT_EQ(GetTokenInt(place, ",", 7), 0);
    EXPECT_EQ(GetTokenInt(place, ",", 8), 0);
    EXPECT_EQ(GetTokenInt(place, ",", 9), 0);
    EXPECT_EQ(GetTokenInt(place, ",", 10), -2147483647 - 1);
    EXPECT_EQ(GetTokenInt(place, ",", 11), 0);
    EXPECT_EQ(GetTokenInt("$", ",", 1), 0);
}

TEST(CharFilters, KeepOrderAndCompareExactly)
{
    EXPECT_EQ(DeleteCharsInSet("2024-03-15 \xFC", CharSet("- ")), "20240315\xFC");
    EXPECT_EQ(DeleteCharsInSet("\xFC" "a\xFC", CharSet("\xFC")), "a");
    EXPECT_EQ(KeepChars("dd.MM.yyyy", "DMY."), ".MM.");
    EXPECT_EQ(KeepChars("DD.MM.YYYY hh", "DMY."), "DD.MM.YYYY");
    EXPECT_EQ(KeepChars("abc", ""), "");
}

TEST(HexXor, EncodesAndDecodes)
{
    EXPECT_EQ(HexXorEncode("AB", "\x01"), "4043");
    EXPECT_EQ(HexXorEncode("abc", "\x01\x02"), "606062");
    EXPECT_EQ(HexXorEncode("\xFF", "\x0F"), "F0");
    EXPECT_EQ(HexXorDecode("606062", "\x01\x02"), "abc");
    EXPECT_EQ(HexXorDecode("f0", "\x0F"), "\xFF");

    const std::string plain = std::string("Passw\xF6rt\0x", 10);
    EXPECT_EQ(HexXorDecode(HexXorEncode(plain, "key"), "key"), plain);
}

TEST(HexXor, EmptyKeyAndBadInput)
{
    EXPECT_EQ(HexXorEncode("plain", ""), "plain");
    EXPECT_EQ(HexXorDecode("4043", ""), "");
    EXPECT_EQ(HexXorDecode("404", "k"), "");
    EXPECT_EQ(HexXorDecode("404G", "k"), "");
    EXPECT_EQ(HexXorDecode("4G40", "k"), "");
    EXPECT_EQ(HexXorDecode("-1", "k"), "");
}
