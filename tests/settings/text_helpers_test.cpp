#include "settings/text_helpers.h"
#include "settings/vb_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qv {
namespace {

// ---- Val ---------------------------------------------------------------------------------

TEST(Val, ReadsSignDigitsPointAndExponent) {
    EXPECT_DOUBLE_EQ(Val(u"12"), 12.0);
    EXPECT_DOUBLE_EQ(Val(u"-3.25"), -3.25);
    EXPECT_DOUBLE_EQ(Val(u"+.5"), 0.5);
    EXPECT_DOUBLE_EQ(Val(u"1.5e3"), 1500.0);
    EXPECT_DOUBLE_EQ(Val(u"2D2"), 200.0);
    EXPECT_DOUBLE_EQ(Val(u"25E-1"), 2.5);
    EXPECT_DOUBLE_EQ(Val(u"0.1"), 0.1);
}

TEST(Val, SkipsBlanksAnywhere) {
    EXPECT_DOUBLE_EQ(Val(u"  42"), 42.0);
    EXPECT_DOUBLE_EQ(Val(u" 1 2 3"), 123.0);
    EXPECT_DOUBLE_EQ(Val(u"- 5"), -5.0);
    EXPECT_DOUBLE_EQ(Val(u"\t1\r\n0"), 10.0);
    EXPECT_DOUBLE_EQ(Val(u"1 . 5"), 1.5);
}

TEST(Val, StopsAtTheFirstCharacterItCannotRead) {
    EXPECT_DOUBLE_EQ(Val(u"12abc"), 12.0);
    EXPECT_DOUBLE_EQ(Val(u"1,000"), 1.0);
    EXPECT_DOUBLE_EQ(Val(u"1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(Val(u"7-3"), 7.0);
    EXPECT_DOUBLE_EQ(Val(u"3e"), 3.0);
    EXPECT_DOUBLE_EQ(Val(u"3e+x"), 3.0);
    EXPECT_DOUBLE_EQ(Val(u"4e2.5"), 400.0);
}

TEST(Val, NothingReadableIsZero) {
    for (const char16_t* text :
         {u"", u"   ", u"abc", u"$5", u"-", u".", u"--5", u"+-5", u"E5", u"&", u"&X10"}) {
        const double v = Val(text);
        EXPECT_EQ(v, 0.0) << QString::fromUtf16(text).toStdString();
        EXPECT_FALSE(std::signbit(v))
            << "negative zero from " << QString::fromUtf16(text).toStdString();
    }
    EXPECT_FALSE(std::signbit(Val(u"-0")));
}

TEST(Val, HexAndOctalPrefixesGiveIntegerPatterns) {
    EXPECT_DOUBLE_EQ(Val(u"&H1F"), 31.0);
    EXPECT_DOUBLE_EQ(Val(u"  &hff"), 255.0);
    EXPECT_DOUBLE_EQ(Val(u"&H7FFF"), 32767.0);
    EXPECT_DOUBLE_EQ(Val(u"&H8000"), -32768.0);
    EXPECT_DOUBLE_EQ(Val(u"&HFFFF"), -1.0);
    EXPECT_DOUBLE_EQ(Val(u"&H10000"), 65536.0);
    EXPECT_DOUBLE_EQ(Val(u"&HFFFFFFFF"), -1.0);
    EXPECT_DOUBLE_EQ(Val(u"&H100000000"), 4294967296.0);
    EXPECT_DOUBLE_EQ(Val(u"&O17"), 15.0);
    EXPECT_DOUBLE_EQ(Val(u"&o777"), 511.0);
    EXPECT_DOUBLE_EQ(Val(u"&O18"), 1.0);  // 8 is no octal digit
    EXPECT_DOUBLE_EQ(Val(u"&HZ"), 0.0);
}

TEST(Val, OutOfRangeGivesInfinityOrZero) {
    EXPECT_TRUE(std::isinf(Val(u"1e400")));
    EXPECT_GT(Val(u"1e400"), 0);
    EXPECT_TRUE(std::isinf(Val(u"-1e99999999999999")));
    EXPECT_LT(Val(u"-1e400"), 0);
    EXPECT_EQ(Val(u"1e-400"), 0.0);
    EXPECT_DOUBLE_EQ(Val(u"0.000000000000000000000000000000000000000001e40"), 0.01);
}

// ---- Rounding to whole numbers -------------------------------------------------------------

TEST(RoundToInt, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(3.5), 4);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(-3.5), -4);
    EXPECT_EQ(RoundToInt32(2.5000001), 3);
    EXPECT_EQ(RoundToInt32(0.49), 0);
    EXPECT_EQ(RoundToInt16(12.5), 12);
    EXPECT_EQ(RoundToInt16(13.5), 14);
}

TEST(RoundToInt, ReportsOverflowAndNonNumbers) {
    EXPECT_EQ(RoundToInt16(32767.4), 32767);
    EXPECT_EQ(RoundToInt16(32767.5), std::nullopt);
    EXPECT_EQ(RoundToInt16(-32768.5), -32768);  // the even neighbour still fits
    EXPECT_EQ(RoundToInt16(-32769.0), std::nullopt);
    EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(RoundToInt32(2147483647.5), std::nullopt);
    EXPECT_EQ(RoundToInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RoundToInt32(-2147483649.0), std::nullopt);
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(RoundToInt32(Val(u"1e400")), std::nullopt);
}

// ---- IsNumeric -----------------------------------------------------------------------------

TEST(IsNumeric, AcceptsWhatAClerkTypes) {
    for (const char16_t* text : {u"0", u"12", u" 12 ", u"\t7", u"-5", u"+5", u"- 5", u"1.5", u".5",
                                 u"5.", u"1,234", u"12,345,678.50", u"0123456789012"}) {
        EXPECT_TRUE(IsNumeric(text)) << QString::fromUtf16(text).toStdString();
    }
    EXPECT_DOUBLE_EQ(*NumericValue(u"12,345,678.50"), 12345678.5);
    EXPECT_DOUBLE_EQ(*NumericValue(u" - 7.25 "), -7.25);
    EXPECT_DOUBLE_EQ(*NumericValue(u"5."), 5.0);
}

TEST(IsNumeric, RefusesAnythingElse) {
    for (const char16_t* text :
         {u"",     u"   ",      u".",        u"-",      u"+",   u"-.",     u"abc", u"12a",
          u"1e5",  u"&H10",     u"$5",       u"5-",     u"(5)", u"1.2.3",  u"1 2", u"1,23",
          u",123", u"1234,567", u"1,234,56", u"1,,234", u"--5", u"1.5,000"}) {
        EXPECT_FALSE(IsNumeric(text)) << QString::fromUtf16(text).toStdString();
    }
    EXPECT_FALSE(IsNumeric(QString(400, u'9')));  // beyond a double
}

// ---- GetTaggedValue ------------------------------------------------------------------------

TEST(GetTaggedValue, ReadsTheCommandLineArguments) {
    const QString line = QStringLiteral("UID=12 /USERID=ANN /PATH=C:\\TRAINING");
    EXPECT_EQ(GetTaggedValue(line, "UID=", "/"), "12");
    EXPECT_EQ(GetTaggedValue(line, "USERID=", "/"), "ANN");
    EXPECT_EQ(GetTaggedValue(line, "PATH=", "/"), "C:\\TRAINING");
}

TEST(GetTaggedValue, TakesTheFirstOccurrenceCaseSensitively) {
    EXPECT_EQ(GetTaggedValue("A=1/A=2/", "A=", "/"), "1");
    EXPECT_EQ(GetTaggedValue("uid=5/UID=6/", "UID=", "/"), "6");
    EXPECT_EQ(GetTaggedValue("uid=5/", "UID=", "/"), "");
}

TEST(GetTaggedValue, CutsTrailingSpacesButKeepsLeadingOnes) {
    EXPECT_EQ(GetTaggedValue("UID= 7  /", "UID=", "/"), " 7");
    EXPECT_EQ(GetTaggedValue("UID=7\t/", "UID=", "/"), "7\t");  // only spaces are cut
    EXPECT_EQ(GetTaggedValue("UID=   /", "UID=", "/"), "");
}

TEST(GetTaggedValue, EmptyWhenMissingOrNothingFollows) {
    EXPECT_EQ(GetTaggedValue("USERID=ANN/", "UID=", "/"), "");
    EXPECT_EQ(GetTaggedValue("UID=/USERID=ANN", "UID=", "/"), "");
    EXPECT_EQ(GetTaggedValue("UID=12 /USERID=", "USERID=", "/"), "");
    EXPECT_EQ(GetTaggedValue("", "UID=", "/"), "");
    EXPECT_EQ(GetTaggedValue("UID=1", "", "/"), "");
}

TEST(GetTaggedValue, StopsAtAnyCharacterOfTheTerminator) {
    EXPECT_EQ(GetTaggedValue("[Check]Cheque\r\nnext", "[Check]", "\r\n"), "Cheque");
    EXPECT_EQ(GetTaggedValue("[Check]Cheque\nnext", "[Check]", "\r\n"), "Cheque");
    EXPECT_EQ(GetTaggedValue("[Check]Cheque\rnext", "[Check]", "\r\n"), "Cheque");
    EXPECT_EQ(GetTaggedValue("[CountryNumber]64 [CountryName]New Zealand", "[CountryNumber]", "["),
              "64");
    EXPECT_EQ(
        GetTaggedValue("[CountryNumber]64 [CountryName]New Zealand  ", "[CountryName]", "\r\n"),
        "New Zealand");
    EXPECT_EQ(GetTaggedValue("KEY=to the end", "KEY=", ""), "to the end");
}

// ---- KeepChars, DigitsOnly -----------------------------------------------------------------

TEST(KeepChars, KeepsAllowedCharactersInOrder) {
    EXPECT_EQ(KeepChars("a1b2c3", "cba"), "abc");
    EXPECT_EQ(KeepChars("banana", "an"), "anana");
    EXPECT_EQ(KeepChars("abc", ""), "");
    EXPECT_EQ(KeepChars("", "abc"), "");
}

TEST(DigitsOnly, DropsHyphensBlanksAndLetters) {
    EXPECT_EQ(DigitsOnly("12-34 5x6"), "123456");
    EXPECT_EQ(DigitsOnly("ABC"), "");
    EXPECT_EQ(DigitsOnly(QString::fromUtf16(u"\u0661 9")), "9");  // only ASCII digits count
}

// ---- RoundHalfAway -------------------------------------------------------------------------

TEST(RoundHalfAway, RoundsHalvesAwayFromZeroAsTyped) {
    EXPECT_DOUBLE_EQ(RoundHalfAway(2.345, 2), 2.35);
    EXPECT_DOUBLE_EQ(RoundHalfAway(-2.345, 2), -2.35);
    EXPECT_DOUBLE_EQ(RoundHalfAway(1.005, 2), 1.01);
    EXPECT_DOUBLE_EQ(RoundHalfAway(2.5, 0), 3.0);
    EXPECT_DOUBLE_EQ(RoundHalfAway(-2.5, 0), -3.0);
    EXPECT_DOUBLE_EQ(RoundHalfAway(0.5, 0), 1.0);
}

TEST(RoundHalfAway, RoundsDownBelowTheHalf) {
    EXPECT_DOUBLE_EQ(RoundHalfAway(2.344, 2), 2.34);
    EXPECT_DOUBLE_EQ(RoundHalfAway(-2.3449, 2), -2.34);
    EXPECT_DOUBLE_EQ(RoundHalfAway(0.004, 2), 0.0);
    EXPECT_DOUBLE_EQ(RoundHalfAway(0.0004, 2), 0.0);
    EXPECT_FALSE(std::signbit(RoundHalfAway(-0.001, 2)));
}

TEST(RoundHalfAway, CarriesAndLeavesShortValuesAlone) {
    EXPECT_DOUBLE_EQ(RoundHalfAway(9.995, 2), 10.0);
    EXPECT_DOUBLE_EQ(RoundHalfAway(0.005, 2), 0.01);
    EXPECT_DOUBLE_EQ(RoundHalfAway(12.5, 4), 12.5);
    EXPECT_DOUBLE_EQ(RoundHalfAway(123456789.0, 2), 123456789.0);
}

TEST(RoundHalfAway, NegativeDigitsRoundToTensAndHundreds) {
    EXPECT_DOUBLE_EQ(RoundHalfAway(1250.0, -2), 1300.0);
    EXPECT_DOUBLE_EQ(RoundHalfAway(1249.0, -2), 1200.0);
    EXPECT_DOUBLE_EQ(RoundHalfAway(-15.0, -1), -20.0);
    EXPECT_DOUBLE_EQ(RoundHalfAway(4.0, -1), 0.0);
}

TEST(RoundHalfAway, PassesNonNumbersThrough) {
    EXPECT_TRUE(std::isnan(RoundHalfAway(std::numeric_limits<double>::quiet_NaN(), 2)));
    EXPECT_TRUE(std::isinf(RoundHalfAway(std::numeric_limits<double>::infinity(), 2)));
}

// ---- DateText ------------------------------------------------------------------------------

TEST(DateText, MonthDayYearUnlessStyleE) {
    EXPECT_EQ(DateText("20101001", ""), "10/01/2010");
    EXPECT_EQ(DateText("20100930", "U"), "09/30/2010");
    EXPECT_EQ(DateText("20100930", "E"), "30/09/2010");
    EXPECT_EQ(DateText("20100930", "e"), "09/30/2010");  // the style letter is exact
}

TEST(DateText, BlankDateGetsTwoSpaces) {
    EXPECT_EQ(DateText("", "E"), "  ");
    EXPECT_EQ(DateText("   ", ""), "     ");
}

TEST(DateText, ShortDatesGiveWhatTheyHold) {
    EXPECT_EQ(DateText("2010", ""), "//2010");
    EXPECT_EQ(DateText("201010", "E"), "/10/2010");
}

}  // namespace
}  // namespace qv
