#include "settings/text_helpers.h"
#include "settings/currency.h"
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

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(CurrencyFromText, ReadsAmountsRoundingTheFifthDecimalHalfToEvenAndRefusesTheRest) {
    for (const test::Case& c : test::Cases("settings/currency_from_text.cases")) {
        SCOPED_TRACE(c.where());
        const std::optional<Currency> v = Currency::fromText(c.text(0));
        EXPECT_EQ(v.has_value(), c.has(1));
        EXPECT_EQ(v.value_or(Currency()).scaled(), c.has(1) ? c.num(1) : 0);
    }
}

// A scaled value of the table: a number, or "min" / "max".
std::int64_t scaled(const QString& cell) {
    return cell == u"min" ? kMin : cell == u"max" ? kMax : cell.toLongLong();
}

TEST(CurrencyOperations, RoundAndReportOverflowAsTheirTableSays) {
    for (const test::Case& c : test::Cases("settings/currency_ops.cases")) {
        SCOPED_TRACE(c.where());
        const QString op = c.text(0);
        const Currency a = Currency::fromScaled(op == u"fromDouble" ? 0 : scaled(c.text(1)));
        std::optional<Currency> result;
        if (op == u"fromDouble") {
            result = Currency::fromDouble(c.real(1));
        } else if (op == u"toText" || op == u"toSqlText") {
            EXPECT_EQ(op == u"toText" ? a.toText(static_cast<int>(c.num(2))) : a.toSqlText(),
                      c.text(3));
            continue;
        } else if (op == u"plus") {
            result = a.plus(Currency::fromScaled(scaled(c.text(2))));
        } else if (op == u"minus") {
            result = a.minus(Currency::fromScaled(scaled(c.text(2))));
        } else {
            result = a.dividedBy(scaled(c.text(2)));
        }
        EXPECT_EQ(result.has_value(), c.has(3));
        EXPECT_EQ(result.value_or(Currency()).scaled(), c.has(3) ? scaled(c.text(3)) : 0);
    }
}

}  // namespace
}  // namespace qv
