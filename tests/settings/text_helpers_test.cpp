#include "settings/text_helpers.h"
#include "settings/vb_text.h"
#include "tests/support/data_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qv {
namespace {

template <class T>
std::optional<long long> widen(std::optional<T> v) {
    return v ? std::optional<long long>(*v) : std::nullopt;
}

// ---- Val, IsNumeric, GetTaggedValue, rounding, dates ---------------------------------------

TEST(TextRules, ValIsNumericTaggedValuesAndRoundingFollowTheirTables) {
    for (const test::Case& c : test::Cases("settings/val.cases")) {
        const double v = Val(c.text(0));
        EXPECT_DOUBLE_EQ(v, c.real(1)) << c.where();
        EXPECT_FALSE(std::signbit(v) && v == 0.0) << "negative zero at " << c.where();
    }
    for (const test::Case& c : test::Cases("settings/is_numeric.cases")) {
        EXPECT_EQ(IsNumeric(c.text(0)), c.has(1)) << c.where();
        EXPECT_DOUBLE_EQ(NumericValue(c.text(0)).value_or(0), c.real(1)) << c.where();
    }
    for (const test::Case& c : test::Cases("settings/tagged_value.cases")) {
        EXPECT_EQ(GetTaggedValue(c.text(0), c.text(1), c.text(2)), c.text(3)) << c.where();
    }
    for (const test::Case& c : test::Cases("settings/round_half_away.cases")) {
        EXPECT_DOUBLE_EQ(RoundHalfAway(c.real(0), static_cast<int>(c.num(1))), c.real(2))
            << c.where();
    }
    for (const test::Case& c : test::Cases("settings/round_to_int.cases")) {
        const double v = c.real(1);
        const auto rounded = c.num(0) == 16 ? widen(RoundToInt16(v)) : widen(RoundToInt32(v));
        EXPECT_EQ(rounded.has_value(), c.has(2)) << c.where();
        EXPECT_EQ(rounded.value_or(0), c.num(2)) << c.where();
    }
    for (const test::Case& c : test::Cases("settings/date_text.cases")) {
        EXPECT_EQ(DateText(c.text(0), c.text(1)), c.text(2)) << c.where();
    }
    EXPECT_TRUE(std::isinf(Val(u"1e400")));
    EXPECT_GT(Val(u"1e400"), 0);
    EXPECT_TRUE(std::isinf(Val(u"-1e99999999999999")));
    EXPECT_LT(Val(u"-1e400"), 0);
    EXPECT_FALSE(IsNumeric(QString(400, u'9')));  // beyond a double
    EXPECT_FALSE(std::signbit(RoundHalfAway(-0.001, 2)));
    EXPECT_TRUE(std::isnan(RoundHalfAway(std::numeric_limits<double>::quiet_NaN(), 2)));
    EXPECT_TRUE(std::isinf(RoundHalfAway(std::numeric_limits<double>::infinity(), 2)));
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

}  // namespace
}  // namespace qv
