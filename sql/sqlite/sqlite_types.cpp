// The column types of the embedded engine: declared types parsed, cells read and bound as
// SQLite stores them, values presented for reading and converted for storing as the desktop
// server converts them.

#include "sql/sqlite/sqlite_types.h"

#include "sql/sqlite/sqlite_errors.h"

#include <sqlite3.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace qv::db {

namespace {

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

__int128 pow10i(int n) {
    __int128 r = 1;
    for (int i = 0; i < n; ++i) {
        r *= 10;
    }
    return r;
}

// Stored amounts stay below this count of the smallest unit: 15 digits, which a double holds
// exactly, so that reading and rounding to the scale gives back what was written.
const __int128 kExactLimit = pow10i(15);

bool isBlank(QChar c) {
    return c == u' ';
}

QString rtrimBlanks(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && isBlank(s.at(n - 1))) {
        --n;
    }
    return n == s.size() ? s : s.left(n);
}

QString int128Text(__int128 v) {
    if (v == 0) {
        return QStringLiteral("0");
    }
    const bool negative = v < 0;
    unsigned __int128 m =
        negative ? static_cast<unsigned __int128>(-(v + 1)) + 1 : static_cast<unsigned __int128>(v);
    QString digits;
    while (m > 0) {
        digits.prepend(QChar(u'0' + static_cast<int>(m % 10)));
        m /= 10;
    }
    return negative ? u'-' + digits : digits;
}

// Rescales a count of 10^-from to 10^-to, rounding half away from zero when digits go.
__int128 rescale(__int128 v, int from, int to) {
    if (to >= from) {
        return v * pow10i(to - from);
    }
    const __int128 div = pow10i(from - to);
    __int128 q = v / div;
    __int128 r = v % div;
    if (r < 0) {
        r = -r;
    }
    if (r * 2 >= div) {
        q += v < 0 ? -1 : 1;
    }
    return q;
}

QString valueText(const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Decimal:
            return v.toCurrency().toSqlText();
        case Value::Kind::Real:
            return QString::number(v.toDouble(), 'g', 15);
        default:
            return v.toText();
    }
}

QString typeNameForMessage(const ColumnType& t) {
    return t.bits == 16 ? QStringLiteral("smallint") : QStringLiteral("int");
}

bool storeChar(const Value& v, const ColumnType& t, const QString& column, RawValue& out,
               DbError& error) {
    const QString s = rtrimBlanks(valueText(v));
    if (t.width > 0 && s.size() > t.width) {
        error = makeDbError(err::kTruncation,
                            QStringLiteral("String or binary data would be truncated (column "
                                           "'%1' holds %2 characters).")
                                .arg(column)
                                .arg(t.width));
        return false;
    }
    out = RawValue::text(s.toUtf8());
    return true;
}

bool storeDecimal(const Value& v, bool numericLiteral, const ColumnType& t, const QString& column,
                  RawValue& out, DbError& error) {
    __int128 scaled = 0;
    const int s = t.scale;
    if (v.kind() == Value::Kind::Integer) {
        scaled = static_cast<__int128>(v.toInteger()) * pow10i(s);
    } else if (v.kind() == Value::Kind::Decimal) {
        scaled = rescale(v.toCurrency().scaled(), 4, s);
    } else if (v.kind() == Value::Kind::Real) {
        const long double x = static_cast<long double>(v.toDouble()) * pow10i(s);
        if (!std::isfinite(x) || std::fabs(x) >= 1e36L) {
            error = makeDbError(err::kArithmeticOverflow,
                                QStringLiteral("Arithmetic overflow error converting float to "
                                               "data type numeric."));
            return false;
        }
        scaled = static_cast<__int128>(std::roundl(x));
    } else {
        const QString text = v.toText();
        const auto parsed = parseScaledDecimal(text, s);
        if (!parsed) {
            error = makeDbError(
                err::kConvertToNumeric,
                numericLiteral
                    ? QStringLiteral("Arithmetic overflow error converting numeric to data "
                                     "type numeric.")
                    : QStringLiteral("Error converting data type varchar to numeric."));
            return false;
        }
        scaled = *parsed;
    }
    const __int128 magnitude = scaled < 0 ? -scaled : scaled;
    if (magnitude >= pow10i(t.precision)) {
        error = makeDbError(err::kArithmeticOverflow,
                            QStringLiteral("Arithmetic overflow error converting numeric to "
                                           "data type numeric."));
        return false;
    }
    if (magnitude >= kExactLimit) {
        QString text = int128Text(magnitude);
        if (s > 0) {
            text = text.rightJustified(s + 1, u'0');
            text.insert(text.size() - s, u'.');
        }
        error = makeDbError(
            err::kTooManyDigits,
            QStringLiteral("The value %1%2 for column '%3' has more than 15 significant "
                           "digits; the database keeps amounts exactly only up to 15 digits.")
                .arg(scaled < 0 ? QStringLiteral("-") : QString(), text, column));
        return false;
    }
    const auto whole = static_cast<std::int64_t>(scaled);
    if (s == 0) {
        out = RawValue::integer(whole);
    } else if (s < static_cast<int>(std::size(kPow10))) {
        // Both operands are exact doubles, so the quotient is the double nearest the amount.
        out = RawValue::real(static_cast<double>(whole) / kPow10[s]);
    } else {
        out = RawValue::real(static_cast<double>(whole) / std::pow(10.0, s));
    }
    return true;
}

bool storeInteger(const Value& v, bool numericLiteral, const ColumnType& t, RawValue& out,
                  DbError& error) {
    std::int64_t n = 0;
    switch (v.kind()) {
        case Value::Kind::Null:
            out = RawValue();
            return true;
        case Value::Kind::Integer:
            n = v.toInteger();
            break;
        case Value::Kind::Decimal:
            n = v.toCurrency().scaled() / Currency::kScale;  // the whole part, as the server
            break;
        case Value::Kind::Real: {
            const double d = std::trunc(v.toDouble());
            if (!std::isfinite(d) || std::fabs(d) > 9.0e18) {
                n = std::numeric_limits<std::int64_t>::max();
            } else {
                n = static_cast<std::int64_t>(d);
            }
            break;
        }
        case Value::Kind::Text: {
            const QString text = v.toText().trimmed();
            bool ok = true;
            if (text.isEmpty()) {
                n = 0;
            } else if (numericLiteral) {
                const qsizetype point = text.indexOf(u'.');
                QString whole = point < 0 ? text : text.left(point);
                if (whole.isEmpty() || whole == u"-" || whole == u"+") {
                    whole = QStringLiteral("0");
                }
                n = whole.toLongLong(&ok);
                if (!ok) {
                    n = std::numeric_limits<std::int64_t>::max();
                    ok = true;
                }
            } else {
                n = text.toLongLong(&ok);
            }
            if (!ok) {
                error = makeDbError(err::kConversionFailed,
                                    QStringLiteral("Conversion failed when converting the "
                                                   "varchar value '%1' to data type %2.")
                                        .arg(v.toText(), typeNameForMessage(t)));
                return false;
            }
            break;
        }
    }
    const std::int64_t lo = t.bits == 16 ? -32768 : std::numeric_limits<std::int32_t>::min();
    const std::int64_t hi = t.bits == 16 ? 32767 : std::numeric_limits<std::int32_t>::max();
    if (n < lo || n > hi) {
        error = t.bits == 16 ? makeDbError(err::kSmallintOverflow,
                                           QStringLiteral("Arithmetic overflow error for data type "
                                                          "smallint, value = %1.")
                                               .arg(n))
                             : makeDbError(err::kArithmeticOverflow,
                                           QStringLiteral("Arithmetic overflow error converting "
                                                          "expression to data type int."));
        return false;
    }
    out = RawValue::integer(n);
    return true;
}

bool storeReal(const Value& v, RawValue& out, DbError& error) {
    double d = 0;
    if (v.kind() == Value::Kind::Text) {
        const QString text = v.toText().trimmed();
        bool ok = true;
        d = text.isEmpty() ? 0.0 : text.toDouble(&ok);
        if (!ok) {
            error = makeDbError(err::kConvertToNumeric,
                                QStringLiteral("Error converting data type varchar to real."));
            return false;
        }
    } else {
        d = v.toDouble();
    }
    if (!std::isfinite(d) || std::fabs(d) > FLT_MAX) {
        error = makeDbError(err::kArithmeticOverflow,
                            QStringLiteral("Arithmetic overflow error converting expression "
                                           "to data type real."));
        return false;
    }
    // REAL is single precision on the desktop server: keep what it would keep.
    out = RawValue::real(static_cast<double>(static_cast<float>(d)));
    return true;
}

}  // namespace

ColumnType ColumnType::parse(const char* declared) {
    if (declared == nullptr) {
        return {};
    }
    return parse(QString::fromUtf8(declared));
}

ColumnType ColumnType::parse(QStringView declared) {
    const QString d = declared.trimmed().toString().toUpper();
    qsizetype i = 0;
    while (i < d.size() && (d.at(i).isLetter())) {
        ++i;
    }
    const QString name = d.left(i);
    QList<int> args;
    QString rest = d.mid(i).trimmed();
    if (!rest.isEmpty()) {
        if (!rest.startsWith(u'(') || !rest.endsWith(u')')) {
            return {};
        }
        const QStringList parts = rest.mid(1, rest.size() - 2).split(u',');
        for (const QString& p : parts) {
            bool ok = false;
            const int n = p.trimmed().toInt(&ok);
            if (!ok || n < 0) {
                return {};
            }
            args.append(n);
        }
    }
    ColumnType t;
    if (name == u"CHAR" || name == u"CHARACTER") {
        if (args.size() > 1) {
            return {};
        }
        t.kind = Kind::Char;
        t.width = args.isEmpty() ? 1 : args[0];
        if (t.width < 1) {
            return {};
        }
    } else if (name == u"DECIMAL" || name == u"NUMERIC" || name == u"DEC") {
        if (args.size() > 2) {
            return {};
        }
        t.kind = Kind::Decimal;
        t.precision = args.isEmpty() ? 18 : args[0];
        t.scale = args.size() > 1 ? args[1] : 0;
        if (t.precision < 1 || t.precision > 38 || t.scale > t.precision) {
            return {};
        }
    } else if (args.isEmpty() && name == u"SMALLINT") {
        t.kind = Kind::Integer;
        t.bits = 16;
        t.name = name;
    } else if (args.isEmpty() && (name == u"INT" || name == u"INTEGER")) {
        t.kind = Kind::Integer;
        t.bits = 32;
        t.name = name;
    } else if (args.isEmpty() && name == u"REAL") {
        t.kind = Kind::Real;
    }
    return t;
}

QString ColumnType::declaration() const {
    switch (kind) {
        case Kind::Char:
            return QStringLiteral("CHAR(%1)").arg(width);
        case Kind::Decimal:
            return QStringLiteral("DECIMAL(%1,%2)").arg(precision).arg(scale);
        case Kind::Integer:
            return name;
        case Kind::Real:
            return QStringLiteral("REAL");
        case Kind::Other:
            break;
    }
    return {};
}

RawValue readColumn(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_INTEGER:
            return RawValue::integer(sqlite3_column_int64(stmt, column));
        case SQLITE_FLOAT:
            return RawValue::real(sqlite3_column_double(stmt, column));
        case SQLITE_TEXT: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            return RawValue::text(QByteArray(p, sqlite3_column_bytes(stmt, column)));
        }
        case SQLITE_BLOB: {
            const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, column));
            RawValue r;
            r.type = RawValue::Type::Blob;
            r.bytes = QByteArray(p, sqlite3_column_bytes(stmt, column));
            return r;
        }
        default:
            return {};
    }
}

RawValue fromSqliteValue(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            return RawValue::integer(sqlite3_value_int64(value));
        case SQLITE_FLOAT:
            return RawValue::real(sqlite3_value_double(value));
        case SQLITE_TEXT: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(value));
            return RawValue::text(QByteArray(p, sqlite3_value_bytes(value)));
        }
        case SQLITE_BLOB: {
            const auto* p = static_cast<const char*>(sqlite3_value_blob(value));
            RawValue r;
            r.type = RawValue::Type::Blob;
            r.bytes = QByteArray(p, sqlite3_value_bytes(value));
            return r;
        }
        default:
            return {};
    }
}

int bindRaw(sqlite3_stmt* stmt, int index, const RawValue& value) {
    switch (value.type) {
        case RawValue::Type::Null:
            return sqlite3_bind_null(stmt, index);
        case RawValue::Type::Integer:
            return sqlite3_bind_int64(stmt, index, value.i);
        case RawValue::Type::Real:
            return sqlite3_bind_double(stmt, index, value.d);
        case RawValue::Type::Text:
            return sqlite3_bind_text(stmt, index, value.bytes.constData(),
                                     static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
        case RawValue::Type::Blob:
            return sqlite3_bind_blob(stmt, index, value.bytes.constData(),
                                     static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
    }
    return SQLITE_MISUSE;
}

void resultRaw(sqlite3_context* context, const RawValue& value) {
    switch (value.type) {
        case RawValue::Type::Null:
            sqlite3_result_null(context);
            break;
        case RawValue::Type::Integer:
            sqlite3_result_int64(context, value.i);
            break;
        case RawValue::Type::Real:
            sqlite3_result_double(context, value.d);
            break;
        case RawValue::Type::Text:
            sqlite3_result_text(context, value.bytes.constData(),
                                static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
            break;
        case RawValue::Type::Blob:
            sqlite3_result_blob(context, value.bytes.constData(),
                                static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
            break;
    }
}

Value presentValue(const RawValue& raw, const ColumnType& type) {
    switch (raw.type) {
        case RawValue::Type::Null:
            return {};
        case RawValue::Type::Blob:
            return Value::text(QString::fromUtf8(raw.bytes));
        default:
            break;
    }
    switch (type.kind) {
        case ColumnType::Kind::Char: {
            QString s = raw.type == RawValue::Type::Text      ? QString::fromUtf8(raw.bytes)
                        : raw.type == RawValue::Type::Integer ? QString::number(raw.i)
                                                              : QString::number(raw.d, 'g', 15);
            if (s.size() < type.width) {
                s = s.leftJustified(type.width, u' ');
            }
            return Value::text(std::move(s));
        }
        case ColumnType::Kind::Decimal: {
            if (raw.type == RawValue::Type::Integer) {
                constexpr std::int64_t kMaxUnits =
                    std::numeric_limits<std::int64_t>::max() / Currency::kScale;
                if (raw.i > kMaxUnits || raw.i < -kMaxUnits) {
                    return Value::real(static_cast<double>(raw.i));
                }
                return Value::decimal(Currency::fromUnits(raw.i));
            }
            if (raw.type == RawValue::Type::Real) {
                const int s = type.scale;
                const double x = raw.d * (s < 23 ? kPow10[s] : std::pow(10.0, s));
                if (s <= 4 && std::isfinite(x) && std::fabs(x) < 9.0e14) {
                    const auto units = static_cast<std::int64_t>(std::llround(x));
                    return Value::decimal(
                        Currency::fromScaled(units * static_cast<std::int64_t>(kPow10[4 - s])));
                }
                if (const auto c = Currency::fromDouble(raw.d)) {
                    return Value::decimal(*c);
                }
                return Value::real(raw.d);
            }
            const QString text = QString::fromUtf8(raw.bytes);
            if (const auto c = Currency::fromText(text)) {
                return Value::decimal(*c);
            }
            return Value::text(text);
        }
        case ColumnType::Kind::Real:
            if (raw.type == RawValue::Type::Integer) {
                return Value::real(static_cast<double>(raw.i));
            }
            break;
        default:
            break;
    }
    switch (raw.type) {
        case RawValue::Type::Integer:
            return Value::integer(raw.i);
        case RawValue::Type::Real:
            return Value::real(raw.d);
        default:
            return Value::text(QString::fromUtf8(raw.bytes));
    }
}

bool storeValue(const Value& value, bool numericLiteral, const ColumnType& type,
                const QString& column, RawValue& out, DbError& error) {
    if (value.isNull()) {
        out = RawValue();
        return true;
    }
    switch (type.kind) {
        case ColumnType::Kind::Char:
            return storeChar(value, type, column, out, error);
        case ColumnType::Kind::Decimal:
            return storeDecimal(value, numericLiteral, type, column, out, error);
        case ColumnType::Kind::Integer:
            return storeInteger(value, numericLiteral, type, out, error);
        case ColumnType::Kind::Real:
            return storeReal(value, out, error);
        case ColumnType::Kind::Other:
            break;
    }
    switch (value.kind()) {
        case Value::Kind::Integer:
            out = RawValue::integer(value.toInteger());
            return true;
        case Value::Kind::Decimal:
        case Value::Kind::Real:
            out = RawValue::real(value.toDouble());
            return true;
        default:
            break;
    }
    if (numericLiteral) {
        bool ok = false;
        const qint64 n = value.toText().toLongLong(&ok);
        out = ok ? RawValue::integer(n) : RawValue::real(value.toText().toDouble());
        return true;
    }
    out = RawValue::text(value.toText().toUtf8());
    return true;
}

std::optional<__int128> parseScaledDecimal(QStringView text, int scale) {
    QStringView t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    bool negative = false;
    if (t.front() == u'-' || t.front() == u'+') {
        negative = t.front() == u'-';
        t = t.mid(1);
    }
    __int128 value = 0;
    int significant = 0;
    int fracDigits = 0;
    bool seenPoint = false;
    bool anyDigit = false;
    int nextDigit = -1;  // the first digit beyond the scale, for rounding
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
        if (seenPoint && fracDigits >= scale) {
            if (nextDigit < 0) {
                nextDigit = d;
            }
            continue;
        }
        if (seenPoint) {
            ++fracDigits;
        }
        if (value != 0 || d != 0) {
            if (++significant > 36) {
                return std::nullopt;
            }
        }
        value = value * 10 + d;
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    for (int i = fracDigits; i < scale; ++i) {
        value *= 10;
        if (value != 0 && ++significant > 36) {
            return std::nullopt;
        }
    }
    if (nextDigit >= 5) {
        ++value;
    }
    return negative ? -value : value;
}

}  // namespace qv::db
