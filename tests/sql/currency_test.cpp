#include "sql/currency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qv {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(CurrencyFromText, ReadsAmountsRoundingTheFifthDecimalHalfToEven) {
    const struct {
        const char16_t* text;
        std::int64_t scaled;
    } cases[] = {
        {u"12", 120000},
        {u"-3.5", -35000},
        {u" 0.1234 ", 1234},
        {u"+.5", 5000},
        {u"7.", 70000},
        {u"-0", 0},
        {u"0.00005", 0},   // tie, 0 is even
        {u"0.00015", 2},   // tie, up to the even 2
        {u"0.00025", 2},   // tie, down to the even 2
        {u"0.000251", 3},  // beyond the tie
        {u"0.00024999", 2},
        {u"-1.23455", -12346},
        {u"-1.23465", -12346},
        {u"1.99995", 20000},
        {u"922337203685477.5807", kMax},
        {u"-922337203685477.5807", -kMax},
    };
    for (const auto& c : cases) {
        const std::optional<Currency> v = Currency::fromText(c.text);
        ASSERT_TRUE(v.has_value()) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(v->scaled(), c.scaled) << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(CurrencyFromText, RefusesGarbageAndAmountsBeyondRange) {
    for (const char16_t* text :
         {u"", u"  ", u".", u"-", u"+", u"1.2.3", u"12a", u"$5", u"1,000", u"1e5", u"- 5", u"--1",
          u"0x10", u"922337203685477.5808", u"922337203685477.9999",
          u"922337203685477.58075" /* rounds past */, u"922337203685478",
          u"99999999999999999999"}) {
        EXPECT_FALSE(Currency::fromText(text).has_value())
            << QString::fromUtf16(text).toStdString();
    }
}

TEST(CurrencyFromDouble, RoundsHalfToEvenAndRefusesNonNumbersAndHugeValues) {
    EXPECT_EQ(Currency::fromDouble(11.25)->scaled(), 112500);
    // Binary fractions, so the ties are exact: 312.5 and 937.5 ten-thousandths.
    EXPECT_EQ(Currency::fromDouble(0.03125)->scaled(), 312);
    EXPECT_EQ(Currency::fromDouble(0.09375)->scaled(), 938);
    EXPECT_EQ(Currency::fromDouble(-0.03125)->scaled(), -312);
    EXPECT_EQ(Currency::fromDouble(0.0312501)->scaled(), 313);
    EXPECT_EQ(Currency::fromDouble(-2.71828)->scaled(), -27183);
    EXPECT_FALSE(Currency::fromDouble(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(Currency::fromDouble(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(Currency::fromDouble(-std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(Currency::fromDouble(1e15));
    EXPECT_TRUE(Currency::fromDouble(9e14).has_value());
}

TEST(CurrencyText, TwoDecimalsRoundHalfAwayFromZeroAndOtherCountsClamp) {
    EXPECT_EQ(Currency::fromScaled(12345).toText(), "1.23");
    EXPECT_EQ(Currency::fromScaled(12350).toText(), "1.24");
    EXPECT_EQ(Currency::fromScaled(12250).toText(), "1.23");  // away, not to even
    EXPECT_EQ(Currency::fromScaled(-12250).toText(), "-1.23");
    EXPECT_EQ(Currency::fromScaled(-12249).toText(), "-1.22");
    EXPECT_EQ(Currency::fromScaled(999950).toText(), "100.00");
    EXPECT_EQ(Currency::fromScaled(5).toText(), "0.00");
    EXPECT_EQ(Currency::fromScaled(-49).toText(), "0.00");  // no "-0.00"
    EXPECT_EQ(Currency::fromScaled(-50).toText(), "-0.01");

    const Currency c = Currency::fromScaled(1234567);
    EXPECT_EQ(c.toText(0), "123");
    EXPECT_EQ(c.toText(1), "123.5");
    EXPECT_EQ(c.toText(3), "123.457");
    EXPECT_EQ(c.toSqlText(), "123.4567");
    EXPECT_EQ(Currency::fromUnits(12).toSqlText(), "12.0000");
    EXPECT_EQ(c.toText(9), "123.4567");  // clamped to 4
    EXPECT_EQ(c.toText(-3), "123");      // clamped to 0
    EXPECT_EQ(Currency::fromScaled(kMin).toText(4), "-922337203685477.5808");
    EXPECT_EQ(Currency::fromScaled(kMax).toText(2), "922337203685477.58");
}

TEST(CurrencyArithmetic, SumsAndDifferencesReportOverflow) {
    const Currency a = Currency::fromScaled(15000);
    EXPECT_EQ(a.plus(Currency::fromScaled(2500))->scaled(), 17500);
    EXPECT_EQ(a.minus(Currency::fromScaled(20000))->scaled(), -5000);
    EXPECT_FALSE(Currency::fromScaled(kMax).plus(Currency::fromScaled(1)));
    EXPECT_FALSE(Currency::fromScaled(kMin).minus(Currency::fromScaled(1)));
}

TEST(CurrencyDivision, RoundsHalfToEvenAndHandlesTheEdgesOfTheRange) {
    EXPECT_EQ(Currency::fromUnits(10).dividedBy(12)->scaled(), 8333);  // .83333
    EXPECT_EQ(Currency::fromUnits(20).dividedBy(3)->scaled(), 66667);  // 6.66667
    EXPECT_EQ(Currency::fromScaled(5).dividedBy(2)->scaled(), 2);      // 2.5 -> 2
    EXPECT_EQ(Currency::fromScaled(7).dividedBy(2)->scaled(), 4);      // 3.5 -> 4
    EXPECT_EQ(Currency::fromScaled(-5).dividedBy(2)->scaled(), -2);
    EXPECT_EQ(Currency::fromScaled(-7).dividedBy(2)->scaled(), -4);
    EXPECT_EQ(Currency::fromScaled(7).dividedBy(-2)->scaled(), -4);
    EXPECT_EQ(Currency::fromScaled(-7).dividedBy(-2)->scaled(), 4);
    EXPECT_FALSE(Currency::fromUnits(1).dividedBy(0));
    EXPECT_FALSE(Currency::fromScaled(kMin).dividedBy(-1));
    EXPECT_EQ(Currency::fromScaled(kMin).dividedBy(1)->scaled(), kMin);
    // Remainders near the divisor's size must not overflow when doubled.
    EXPECT_EQ(Currency::fromScaled(kMax - 1).dividedBy(kMax)->scaled(), 1);
    EXPECT_EQ(Currency::fromScaled(kMax / 2).dividedBy(kMax)->scaled(), 0);
    EXPECT_EQ(Currency::fromScaled(kMax / 2 + 1).dividedBy(kMax)->scaled(), 1);
    // The most negative divisor has no positive counterpart.
    EXPECT_EQ(Currency::fromScaled(kMin).dividedBy(kMin)->scaled(), 1);
    EXPECT_EQ(Currency::fromScaled(kMax).dividedBy(kMin)->scaled(), -1);
    EXPECT_EQ(Currency::fromScaled(std::int64_t{1} << 62).dividedBy(kMin)->scaled(), 0);
    EXPECT_EQ(Currency::fromScaled(-(std::int64_t{1} << 62) - 1).dividedBy(kMin)->scaled(), 1);
    EXPECT_EQ(Currency::fromScaled(12345).dividedBy(kMin)->scaled(), 0);
}

}  // namespace
}  // namespace qv
