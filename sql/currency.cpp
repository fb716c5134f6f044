// Currency: the exact four-decimal money type, its conversions from and to text and numbers
// and its arithmetic.

#include "sql/currency.h"

#include <cmath>
#include <limits>

namespace qv {

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

// Rounds numerator/denominator (denominator > 0) half to even.
std::int64_t divideHalfEven(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t q = numerator / denominator;
    std::int64_t r = numerator % denominator;
    if (r < 0) {
        r = -r;
    }
    // Compare r with denominator - r rather than 2r with denominator: 2r may not fit.
    const std::int64_t rest = denominator - r;
    const bool negative = numerator < 0;
    if (r > rest || (r == rest && (q % 2 != 0))) {
        q += negative ? -1 : 1;
    }
    return q;
}

}  // namespace

std::optional<Currency> Currency::fromText(QStringView text) {
    QStringView t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    bool negative = false;
    if (t.front() == u'-' || t.front() == u'+') {
        negative = t.front() == u'-';
        t = t.mid(1);
    }
    std::int64_t whole = 0;
    std::int64_t frac = 0;  // ten-thousandths
    int fracDigits = 0;
    bool seenPoint = false;
    bool anyDigit = false;
    int roundDigit = -1;  // the fifth decimal, for rounding
    bool stickyBeyond = false;
    for (QChar c : t) {
        if (c == u'.') {
            if (seenPoint) {
                return std::nullopt;
            }
            seenPoint = true;
            continue;
        }
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        anyDigit = true;
        const int d = c.unicode() - u'0';
        if (!seenPoint) {
            if (whole > (kMax / kScale - d) / 10) {
                return std::nullopt;
            }
            whole = whole * 10 + d;
        } else if (fracDigits < 4) {
            frac = frac * 10 + d;
            ++fracDigits;
        } else if (roundDigit < 0) {
            roundDigit = d;
        } else if (d != 0) {
            stickyBeyond = true;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    for (int i = fracDigits; i < 4; ++i) {
        frac *= 10;
    }
    // whole may be the largest whole amount, which leaves no room for every fraction.
    std::int64_t value = 0;
    if (__builtin_mul_overflow(whole, kScale, &value) ||
        __builtin_add_overflow(value, frac, &value)) {
        return std::nullopt;
    }
    if (roundDigit > 5 || (roundDigit == 5 && (stickyBeyond || value % 2 != 0))) {
        if (value == kMax) {
            return std::nullopt;
        }
        ++value;
    }
    return fromScaled(negative ? -value : value);
}

std::optional<Currency> Currency::fromDouble(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double scaled = value * kScale;
    if (std::fabs(scaled) >= 9.2e18) {
        return std::nullopt;
    }
    return fromScaled(static_cast<std::int64_t>(std::nearbyint(scaled)));  // half to even
}

QString Currency::toText(int decimals) const {
    if (decimals < 0) {
        decimals = 0;
    } else if (decimals > 4) {
        decimals = 4;
    }
    std::int64_t div = 1;
    for (int i = decimals; i < 4; ++i) {
        div *= 10;
    }
    const bool negative = v_ < 0;
    // Work on the magnitude as unsigned so the most negative value is safe.
    std::uint64_t mag = negative ? std::uint64_t(0) - static_cast<std::uint64_t>(v_)
                                 : static_cast<std::uint64_t>(v_);
    std::uint64_t rounded = mag / div;
    if ((mag % div) * 2 >= static_cast<std::uint64_t>(div) && div > 1) {
        ++rounded;
    }
    std::uint64_t unit = 1;
    for (int i = 0; i < decimals; ++i) {
        unit *= 10;
    }
    QString out = QString::number(rounded / unit);
    if (decimals > 0) {
        out += u'.' + QString::number(rounded % unit).rightJustified(decimals, u'0');
    }
    if (negative && rounded != 0) {
        out.prepend(u'-');
    }
    return out;
}

std::optional<Currency> Currency::plus(Currency other) const {
    std::int64_t r;
    if (__builtin_add_overflow(v_, other.v_, &r)) {
        return std::nullopt;
    }
    return fromScaled(r);
}

std::optional<Currency> Currency::minus(Currency other) const {
    std::int64_t r;
    if (__builtin_sub_overflow(v_, other.v_, &r)) {
        return std::nullopt;
    }
    return fromScaled(r);
}

std::optional<Currency> Currency::dividedBy(std::int64_t divisor) const {
    if (divisor == 0 || (divisor == -1 && v_ == std::numeric_limits<std::int64_t>::min())) {
        return std::nullopt;
    }
    if (divisor == std::numeric_limits<std::int64_t>::min()) {
        // -divisor does not fit. The quotient lies within [-1, 1]; beyond one half in size it
        // rounds to -1 or 1, and exactly one half rounds to the even 0.
        constexpr std::int64_t half = std::int64_t{1} << 62;
        return fromScaled(v_ > half ? -1 : (v_ < -half ? 1 : 0));
    }
    if (divisor < 0) {
        return fromScaled(-divideHalfEven(v_, -divisor));
    }
    return fromScaled(divideHalfEven(v_, divisor));
}

}  // namespace qv
