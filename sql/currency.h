#pragma once

// Currency, the database's exact four-decimal money type (currency.cpp).

#include <QString>
#include <QStringView>
#include <compare>
#include <cstdint>
#include <optional>

namespace qv {

// Money with four decimal places, held as a count of ten-thousandths in 64 bits: prices and
// costs are never stored in a binary floating-point type. Conversions into it round half to
// even at the fourth place, as the suite's currency type does; the two-decimal display text
// rounds half away from zero, as its "0.00" format does.
class Currency {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromScaled(std::int64_t tenThousandths) {
        Currency c;
        c.v_ = tenThousandths;
        return c;
    }
    static constexpr Currency fromUnits(std::int64_t units) { return fromScaled(units * kScale); }

    // "12", "-3.5", " 0.1234 ", "+.5": optional blanks, sign, digits and one point.
    // Anything else, or a value out of range, gives nothing.
    static std::optional<Currency> fromText(QStringView text);
    // Nothing for NaN, infinities and values out of range.
    static std::optional<Currency> fromDouble(double value);

    constexpr std::int64_t scaled() const { return v_; }
    double toDouble() const { return static_cast<double>(v_) / kScale; }
    constexpr bool isZero() const { return v_ == 0; }

    // Fixed text with the given number of decimals (0 to 4), rounded half away from zero,
    // "-" for negatives, no grouping: toText(2) is the "0.00" format.
    QString toText(int decimals = 2) const;
    // All four decimals, as statements store it: "12.3400".
    QString toSqlText() const { return toText(4); }

    std::optional<Currency> plus(Currency other) const;
    std::optional<Currency> minus(Currency other) const;
    // Division by a whole number, rounded half to even at the fourth place; nothing for 0.
    std::optional<Currency> dividedBy(std::int64_t divisor) const;

    friend constexpr auto operator<=>(Currency, Currency) = default;

private:
    std::int64_t v_ = 0;
};

}  // namespace qv
