#include "settings/text_helpers.h"
#include "settings/vb_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qv {
namespace {

std::string str(const char16_t* text) {
    return QString::fromUtf16(text).toStdString();
}

// ---- Val ---------------------------------------------------------------------------------

TEST(Val, ReadsWhatItCanSkippingBlanksAndStopsAtTheFirstCharacterItCannotRead) {
    const struct {
        const char16_t* text;
        double value;
    } cases[] = {
        {u"12", 12},         {u"-3.25", -3.25},   {u"+.5", 0.5},
        {u"1.5e3", 1500},    {u"2D2", 200},       {u"25E-1", 2.5},
        {u"0.1", 0.1},       {u"  42", 42},       {u" 1 2 3", 123},
        {u"- 5", -5},        {u"\t1\r\n0", 10},   {u"1 . 5", 1.5},
        {u"12abc", 12},      {u"1,000", 1},       {u"1.2.3", 1.2},
        {u"7-3", 7},         {u"3e", 3},          {u"3e+x", 3},
        {u"4e2.5", 400},     {u"&H1F", 31},       {u"  &hff", 255},
        {u"&H7FFF", 32767},  {u"&H8000", -32768}, {u"&HFFFF", -1},
        {u"&H10000", 65536}, {u"&HFFFFFFFF", -1}, {u"&H100000000", 4294967296.0},
        {u"&O17", 15},       {u"&o777", 511},     {u"&O18", 1},
        {u"1e-400", 0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(Val(c.text), c.value) << str(c.text);
    }
    EXPECT_DOUBLE_EQ(Val(u"0.000000000000000000000000000000000000000001e40"), 0.01);
    for (const char16_t* text : {u"", u"   ", u"abc", u"$5", u"-", u".", u"--5", u"+-5", u"E5",
                                 u"&", u"&X10", u"&HZ", u"-0"}) {
        const double v = Val(text);
        EXPECT_EQ(v, 0.0) << str(text);
        EXPECT_FALSE(std::signbit(v)) << "negative zero from " << str(text);
    }
    EXPECT_TRUE(std::isinf(Val(u"1e400")));
    EXPECT_GT(Val(u"1e400"), 0);
    EXPECT_TRUE(std::isinf(Val(u"-1e99999999999999")));
    EXPECT_LT(Val(u"-1e400"), 0);
}

// ---- Rounding to whole numbers -------------------------------------------------------------

TEST(RoundToInt, HalvesGoToTheEvenNeighbourAndOverflowIsReported) {
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(3.5), 4);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(-3.5), -4);
    EXPECT_EQ(RoundToInt32(2.5000001), 3);
    EXPECT_EQ(RoundToInt32(0.49), 0);
    EXPECT_EQ(RoundToInt16(12.5), 12);
    EXPECT_EQ(RoundToInt16(13.5), 14);
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

TEST(IsNumeric, AcceptsWhatAClerkTypesAndNothingElse) {
    for (const char16_t* text : {u"0", u"12", u" 12 ", u"\t7", u"-5", u"+5", u"- 5", u"1.5", u".5",
                                 u"5.", u"1,234", u"12,345,678.50", u"0123456789012"}) {
        EXPECT_TRUE(IsNumeric(text)) << str(text);
    }
    EXPECT_DOUBLE_EQ(*NumericValue(u"12,345,678.50"), 12345678.5);
    EXPECT_DOUBLE_EQ(*NumericValue(u" - 7.25 "), -7.25);
    EXPECT_DOUBLE_EQ(*NumericValue(u"5."), 5.0);
    for (const char16_t* text :
         {u"",     u"   ",      u".",        u"-",      u"+",   u"-.",     u"abc", u"12a",
          u"1e5",  u"&H10",     u"$5",       u"5-",     u"(5)", u"1.2.3",  u"1 2", u"1,23",
          u",123", u"1234,567", u"1,234,56", u"1,,234", u"--5", u"1.5,000"}) {
        EXPECT_FALSE(IsNumeric(text)) << str(text);
    }
    EXPECT_FALSE(IsNumeric(QString(400, u'9')));  // beyond a double
}

// ---- GetTaggedValue ------------------------------------------------------------------------

TEST(GetTaggedValue, TakesTheTextAfterTheFirstTagUpToAnyTerminatorCharacter) {
    const struct {
        const char* text;
        const char* tag;
        const char* terminator;
        const char* expected;
    } cases[] = {
        {"UID=12 /USERID=ANN /PATH=C:\\TRAINING", "UID=", "/", "12"},
        {"UID=12 /USERID=ANN /PATH=C:\\TRAINING", "USERID=", "/", "ANN"},
        {"UID=12 /USERID=ANN /PATH=C:\\TRAINING", "PATH=", "/", "C:\\TRAINING"},
        // The first occurrence, compared with case.
        {"A=1/A=2/", "A=", "/", "1"},
        {"uid=5/UID=6/", "UID=", "/", "6"},
        {"uid=5/", "UID=", "/", ""},
        // Trailing spaces are cut, leading ones and other blanks kept.
        {"UID= 7  /", "UID=", "/", " 7"},
        {"UID=7\t/", "UID=", "/", "7\t"},
        {"UID=   /", "UID=", "/", ""},
        // Missing, or nothing follows.
        {"USERID=ANN/", "UID=", "/", ""},
        {"UID=/USERID=ANN", "UID=", "/", ""},
        {"UID=12 /USERID=", "USERID=", "/", ""},
        {"", "UID=", "/", ""},
        {"UID=1", "", "/", ""},
        // Any character of the terminator ends the value; none runs to the end.
        {"[Check]Cheque\r\nnext", "[Check]", "\r\n", "Cheque"},
        {"[Check]Cheque\nnext", "[Check]", "\r\n", "Cheque"},
        {"[Check]Cheque\rnext", "[Check]", "\r\n", "Cheque"},
        {"[CountryNumber]64 [CountryName]New Zealand", "[CountryNumber]", "[", "64"},
        {"[CountryNumber]64 [CountryName]New Zealand  ", "[CountryName]", "\r\n", "New Zealand"},
        {"KEY=to the end", "KEY=", "", "to the end"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetTaggedValue(c.text, c.tag, c.terminator), c.expected)
            << c.text << " / " << c.tag;
    }
}

// ---- KeepChars, DigitsOnly -----------------------------------------------------------------

TEST(KeepChars, KeepsAllowedCharactersInOrderAndDigitsOnlyKeepsAsciiDigits) {
    EXPECT_EQ(KeepChars("a1b2c3", "cba"), "abc");
    EXPECT_EQ(KeepChars("banana", "an"), "anana");
    EXPECT_EQ(KeepChars("abc", ""), "");
    EXPECT_EQ(KeepChars("", "abc"), "");
    EXPECT_EQ(DigitsOnly("12-34 5x6"), "123456");
    EXPECT_EQ(DigitsOnly("ABC"), "");
    EXPECT_EQ(DigitsOnly(QString::fromUtf16(u"\u0661 9")), "9");
}

// ---- RoundHalfAway -------------------------------------------------------------------------

TEST(RoundHalfAway, RoundsHalvesAwayFromZeroAsTyped) {
    const struct {
        double value;
        int digits;
        double expected;
    } cases[] = {
        {2.345, 2, 2.35},     {-2.345, 2, -2.35},
        {1.005, 2, 1.01},     {2.5, 0, 3.0},
        {-2.5, 0, -3.0},      {0.5, 0, 1.0},
        {2.344, 2, 2.34},     {-2.3449, 2, -2.34},
        {0.004, 2, 0.0},      {0.0004, 2, 0.0},
        {9.995, 2, 10.0},     {0.005, 2, 0.01},
        {12.5, 4, 12.5},      {123456789.0, 2, 123456789.0},
        {1250.0, -2, 1300.0}, {1249.0, -2, 1200},
        {-15.0, -1, -20.0},   {4.0, -1, 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(RoundHalfAway(c.value, c.digits), c.expected)
            << c.value << ", " << c.digits;
    }
    EXPECT_FALSE(std::signbit(RoundHalfAway(-0.001, 2)));
    EXPECT_TRUE(std::isnan(RoundHalfAway(std::numeric_limits<double>::quiet_NaN(), 2)));
    EXPECT_TRUE(std::isinf(RoundHalfAway(std::numeric_limits<double>::infinity(), 2)));
}

// ---- DateText ------------------------------------------------------------------------------

TEST(DateText, MonthDayYearUnlessStyleE) {
    EXPECT_EQ(DateText("20101001", ""), "10/01/2010");
    EXPECT_EQ(DateText("20100930", "U"), "09/30/2010");
    EXPECT_EQ(DateText("20100930", "E"), "30/09/2010");
    EXPECT_EQ(DateText("20100930", "e"), "09/30/2010");  // the style letter is exact
    // A blank date gets two spaces more; a short one gives what it holds.
    EXPECT_EQ(DateText("", "E"), "  ");
    EXPECT_EQ(DateText("   ", ""), "     ");
    EXPECT_EQ(DateText("2010", ""), "//2010");
    EXPECT_EQ(DateText("201010", "E"), "/10/2010");
}

}  // namespace
}  // namespace qv
