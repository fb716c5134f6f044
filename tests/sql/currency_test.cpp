// The exact four-decimal money type: amounts read from text, rounding, and overflow reported.

#include "sql/currency.h"
#include "tests/support/data_files.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <limits>

namespace qv {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(CurrencyFromText, ReadsAmountsRoundingTheFifthDecimalHalfToEvenAndRefusesTheRest) {
    for (const test::Case& c : test::Cases("sql/currency_from_text.cases")) {
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
    for (const test::Case& c : test::Cases("sql/currency_ops.cases")) {
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
