#pragma once

#include "db/fixed_text.h"
#include "sql/currency.h"
#include "sql/engine.h"

#include <QString>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

// What the record buffers of the three tables share: each buffer lists its fields in column
// order (fields()), each table lists its columns (name, SQL definition, how the column
// stores its value), and the helpers below move one field to or from a column value.

namespace qv::db {

// How a column keeps its value on the server.
enum class ColumnKind { Text, Decimal, Real, Integer };

struct ColumnDef {
    const char16_t* name;
    const char16_t* definition;  // the SQL type and options as the create statement gives them
    ColumnKind kind;
    int width;  // characters of a text column, else 0
};

// Calls f(field) for the field at ordinal; false when there is no such field.
template <class Tuple, class F>
bool visitField(Tuple&& fields, int ordinal, F&& f) {
    constexpr std::size_t n = std::tuple_size_v<std::remove_cvref_t<Tuple>>;
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        bool found = false;
        ((static_cast<int>(I) == ordinal ? (f(std::get<I>(fields)), found = true) : false), ...);
        return found;
    }
    (std::make_index_sequence<n>{});
}

// Calls f(ordinal, field) for every field in column order.
template <class Tuple, class F>
void forEachField(Tuple&& fields, F&& f) {
    constexpr std::size_t n = std::tuple_size_v<std::remove_cvref_t<Tuple>>;
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        (f(static_cast<int>(I), std::get<I>(fields)), ...);
    }
    (std::make_index_sequence<n>{});
}

template <class T>
struct IsFixedText : std::false_type {};
template <int N>
struct IsFixedText<FixedText<N>> : std::true_type {};

// True when the field type can hold what the column keeps (checked at compile time).
template <class T>
constexpr bool fieldFits(const ColumnDef& c) {
    if constexpr (IsFixedText<T>::value) {
        return c.kind == ColumnKind::Text && c.width == T::kWidth;
    } else if constexpr (std::is_same_v<T, Currency>) {
        return c.kind == ColumnKind::Decimal;
    } else if constexpr (std::is_same_v<T, float>) {
        return c.kind == ColumnKind::Decimal || c.kind == ColumnKind::Real;
    } else if constexpr (std::is_same_v<T, std::int16_t> || std::is_same_v<T, std::int32_t>) {
        return c.kind == ColumnKind::Integer;
    } else {
        return false;
    }
}

template <class Tuple, std::size_t N>
constexpr bool fieldsMatchColumns(const ColumnDef (&columns)[N]) {
    using T = std::remove_cvref_t<Tuple>;
    if (std::tuple_size_v<T> != N) {
        return false;
    }
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return (fieldFits<std::remove_cvref_t<std::tuple_element_t<I, T>>>(columns[I]) && ...);
    }
    (std::make_index_sequence<std::tuple_size_v<T>>{});
}

// The key of the next keyed operation: column ordinals and values of up to nine segments
// (the count is kept in the table's slot). Text values are already fit for a statement.
inline constexpr int kMaxSegments = 9;
struct KeySegments {
    std::array<std::int16_t, kMaxSegments> ordinal{};
    std::array<Value, kMaxSegments> value{};
};

// A text segment value as keys hold it: segments 1 to 3 have apostrophes doubled (and are
// compacted), later ones have them blanked; trailing blanks go, since the server compares
// without them.
Value TextSegment(QStringView text, int segment);

// --- field to column value -------------------------------------------------------------------

template <int N>
Value fieldToValue(const FixedText<N>& f, ColumnKind) {
    return Value::text(f.str());
}
inline Value fieldToValue(Currency c, ColumnKind) {
    return Value::decimal(c);
}
inline Value fieldToValue(std::int16_t i, ColumnKind) {
    return Value::integer(i);
}
inline Value fieldToValue(std::int32_t i, ColumnKind) {
    return Value::integer(i);
}
// A single kept in a DECIMAL column goes as the exact four-place amount nearest to it.
// Callers check fieldProblem() first: a value no column can keep gives Null here.
inline Value fieldToValue(float f, ColumnKind kind) {
    if (!std::isfinite(f)) {
        return Value();
    }
    if (kind == ColumnKind::Decimal) {
        const auto c = Currency::fromDouble(static_cast<double>(f));
        return c ? Value::decimal(*c) : Value();
    }
    return Value::real(static_cast<double>(f));
}

// --- column value to field -------------------------------------------------------------------

namespace detail {
template <class Int>
Int clampedInteger(const Value& v) {
    double d = 0;
    if (v.kind() == Value::Kind::Real || v.kind() == Value::Kind::Decimal) {
        d = std::nearbyint(v.toDouble());
        if (std::isnan(d)) {
            return 0;
        }
    } else {
        const std::int64_t i = v.toInteger();
        if (i < std::numeric_limits<Int>::min()) {
            return std::numeric_limits<Int>::min();
        }
        if (i > std::numeric_limits<Int>::max()) {
            return std::numeric_limits<Int>::max();
        }
        return static_cast<Int>(i);
    }
    if (d < static_cast<double>(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::min();
    }
    if (d > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(d);
}
}  // namespace detail

// Null gives blanks and zeros; a number kept in a text column, or text in a number column,
// converts as well as it can (text that is no number gives 0); whole numbers beyond the
// field's range are held at its limit.
template <int N>
void valueToField(FixedText<N>& f, const Value& v) {
    f = v.toText();
}
inline void valueToField(Currency& c, const Value& v) {
    c = v.toCurrency();
}
inline void valueToField(std::int16_t& i, const Value& v) {
    i = detail::clampedInteger<std::int16_t>(v);
}
inline void valueToField(std::int32_t& i, const Value& v) {
    i = detail::clampedInteger<std::int32_t>(v);
}
inline void valueToField(float& f, const Value& v) {
    const double d = v.toDouble();
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isnan(d)) {
        f = 0;
    } else if (d > kMax) {
        f = std::numeric_limits<float>::max();
    } else if (d < -kMax) {
        f = std::numeric_limits<float>::lowest();
    } else {
        f = static_cast<float>(d);
    }
}

// Copies the current row of a row set into a record's fields (fields()), column by ordinal;
// a column the row set does not have gives Null.
template <class Tuple>
void RowToFields(const RowSet& row, Tuple&& fields) {
    forEachField(fields, [&](int ordinal, auto& field) {
        valueToField(field, ordinal < row.fieldCount() ? row.value(ordinal) : Value());
    });
}

// --- numbers as statement text ---------------------------------------------------------------

// The decimal text of a number field for a VALUES list, always with "." as the point;
// nothing when the value cannot be written to its column (not a number, or beyond a DECIMAL's
// range).
inline std::optional<QString> numberSqlText(Currency c, ColumnKind) {
    return c.toSqlText();
}
inline std::optional<QString> numberSqlText(std::int16_t i, ColumnKind) {
    return QString::number(i);
}
inline std::optional<QString> numberSqlText(std::int32_t i, ColumnKind) {
    return QString::number(i);
}
inline std::optional<QString> numberSqlText(float f, ColumnKind kind) {
    if (!std::isfinite(f)) {
        return std::nullopt;
    }
    if (kind == ColumnKind::Decimal) {
        const auto c = Currency::fromDouble(static_cast<double>(f));
        if (!c) {
            return std::nullopt;
        }
        return c->toSqlText();
    }
    // The shortest text that reads back as the same single: 0.1f is "0.1", not 0.100000001.
    for (int digits = 1; digits < 9; ++digits) {
        const QString text = QString::number(static_cast<double>(f), 'g', digits);
        if (static_cast<float>(text.toDouble()) == f) {
            return text;
        }
    }
    return QString::number(static_cast<double>(f), 'g', 9);
}

// Why a record cannot be written as it stands (empty when it can): names the first number
// field whose value its column cannot keep.
template <class Tuple, std::size_t N>
QString fieldProblem(const Tuple& fields, const ColumnDef (&columns)[N]) {
    QString problem;
    forEachField(fields, [&](int ordinal, const auto& field) {
        using T = std::remove_cvref_t<decltype(field)>;
        if constexpr (!IsFixedText<T>::value) {
            if (problem.isEmpty() && !numberSqlText(field, columns[ordinal].kind)) {
                problem = QStringLiteral("The value of %1 cannot be stored.")
                              .arg(QString::fromUtf16(columns[ordinal].name));
            }
        }
    });
    return problem;
}

}  // namespace qv::db
