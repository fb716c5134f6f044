// The values of the engine interface: a column value converted as the record layer reads it,
// and when two values are equal.

#include "sql/engine.h"

#include <cmath>
#include <limits>

namespace qv::db {

namespace {

constexpr std::int64_t kMaxWholeUnits = std::numeric_limits<std::int64_t>::max() / Currency::kScale;

// Whole units of an amount, halves to the even neighbour (as the suite's CLng rounds).
std::int64_t roundHalfEven(Currency c) {
    const std::int64_t v = c.scaled();
    std::int64_t q = v / Currency::kScale;
    const std::int64_t r = v % Currency::kScale;
    const std::int64_t twice = (r < 0 ? -r : r) * 2;
    if (twice > Currency::kScale || (twice == Currency::kScale && q % 2 != 0)) {
        q += v < 0 ? -1 : 1;
    }
    return q;
}

}  // namespace

QString Value::toText() const {
    switch (kind_) {
        case Kind::Null:
            return {};
        case Kind::Text:
            return s_;
        case Kind::Integer:
            return QString::number(i_);
        case Kind::Decimal: {
            // Shortest form, as a number converts to text: "12.5", "3", "-0.25".
            QString t = c_.toText(4);
            if (t.contains(u'.')) {
                while (t.endsWith(u'0')) {
                    t.chop(1);
                }
                if (t.endsWith(u'.')) {
                    t.chop(1);
                }
            }
            return t;
        }
        case Kind::Real:
            return QString::number(d_, 'g', 15);
    }
    return {};
}

std::int64_t Value::toInteger() const {
    switch (kind_) {
        case Kind::Null:
            return 0;
        case Kind::Text: {
            bool ok = false;
            const qlonglong v = s_.trimmed().toLongLong(&ok);
            return ok ? v : 0;
        }
        case Kind::Integer:
            return i_;
        case Kind::Decimal:
            return roundHalfEven(c_);
        case Kind::Real: {
            if (!std::isfinite(d_) || std::fabs(d_) >= 9.2e18) {
                return 0;
            }
            return static_cast<std::int64_t>(std::nearbyint(d_));  // halves to even
        }
    }
    return 0;
}

Currency Value::toCurrency() const {
    switch (kind_) {
        case Kind::Null:
            return {};
        case Kind::Text:
            return Currency::fromText(s_).value_or(Currency());
        case Kind::Integer:
            return (i_ > kMaxWholeUnits || i_ < -kMaxWholeUnits) ? Currency()
                                                                 : Currency::fromUnits(i_);
        case Kind::Decimal:
            return c_;
        case Kind::Real:
            return Currency::fromDouble(d_).value_or(Currency());
    }
    return {};
}

double Value::toDouble() const {
    switch (kind_) {
        case Kind::Null:
            return 0;
        case Kind::Text: {
            bool ok = false;
            const double v = s_.trimmed().toDouble(&ok);
            return ok ? v : 0;
        }
        case Kind::Integer:
            return static_cast<double>(i_);
        case Kind::Decimal:
            return c_.toDouble();
        case Kind::Real:
            return d_;
    }
    return 0;
}

bool operator==(const Value& a, const Value& b) {
    if (a.kind_ != b.kind_) {
        return false;
    }
    switch (a.kind_) {
        case Value::Kind::Null:
            return true;
        case Value::Kind::Text:
            return a.s_ == b.s_;
        case Value::Kind::Integer:
            return a.i_ == b.i_;
        case Value::Kind::Decimal:
            return a.c_ == b.c_;
        case Value::Kind::Real:
            return a.d_ == b.d_;
    }
    return false;
}

}  // namespace qv::db
