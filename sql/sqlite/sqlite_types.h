#pragma once

// The embedded engine's column types and the conversions of values into and out of SQLite
// (sqlite_types.cpp).

#include "sql/engine.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>

struct sqlite3_stmt;
struct sqlite3_value;
struct sqlite3_context;

namespace qv::db {

// A column type of the accepted dialect, as declared in the translated CREATE TABLE (the
// declaration is kept canonical: "CHAR(8)", "DECIMAL(18,4)", "SMALLINT", "INT", "INTEGER",
// "REAL"), so that reads can tell from sqlite3_column_decltype how to present a value and
// writes how to store one.
struct ColumnType {
    enum class Kind { Other, Char, Decimal, Integer, Real };

    Kind kind = Kind::Other;
    int width = 0;      // Char: characters
    int precision = 0;  // Decimal
    int scale = 0;      // Decimal
    int bits = 0;       // Integer: 16 (SMALLINT) or 32 (INT, INTEGER)
    QString name;       // Integer: the declared name, for messages ("smallint", "int")

    // Parses a declared type; anything unknown (or null) is Other.
    static ColumnType parse(QStringView declared);
    static ColumnType parse(const char* declared);
    // The canonical declaration ("CHAR(8)"); empty for Other.
    QString declaration() const;

    friend bool operator==(const ColumnType&, const ColumnType&) = default;
};

// One value as SQLite stores it: exactly what a cell held, for binding it back unchanged.
struct RawValue {
    enum class Type { Null, Integer, Real, Text, Blob };

    Type type = Type::Null;
    std::int64_t i = 0;
    double d = 0;
    QByteArray bytes;  // Text (UTF-8) and Blob

    static RawValue integer(std::int64_t v) { return RawValue{Type::Integer, v, 0, {}}; }
    static RawValue real(double v) { return RawValue{Type::Real, 0, v, {}}; }
    static RawValue text(QByteArray utf8) { return RawValue{Type::Text, 0, 0, std::move(utf8)}; }

    friend bool operator==(const RawValue&, const RawValue&) = default;
};

RawValue readColumn(sqlite3_stmt* stmt, int column);
RawValue fromSqliteValue(sqlite3_value* value);
// Binds to 1-based parameter index; SQLITE_OK or an error code.
int bindRaw(sqlite3_stmt* stmt, int index, const RawValue& value);
void resultRaw(sqlite3_context* context, const RawValue& value);

// The value a read presents: CHAR blank-padded to its width, DECIMAL exact as Currency at the
// column's scale, whole-number columns as Integer, REAL as Real; expressions (no declared type)
// by their storage class. Null stays Null.
Value presentValue(const RawValue& raw, const ColumnType& type);

// How a value given in a statement or set on a row set is stored in a column, as the desktop
// server converts on write: CHAR keeps its text without trailing blanks (reads pad it again)
// and refuses text longer than the column; DECIMAL is rounded to its scale (half away from
// zero), refused beyond its precision and beyond 15 significant digits (so a read returns it
// exactly); SMALLINT/INT take whole numbers in range ('' counts as 0, a number is cut to its
// whole part); REAL keeps single precision. numericLiteral: the value is a number written in
// a statement (its exact text in Value::text), not a quoted text.
// False with error filled in when the value cannot be stored.
bool storeValue(const Value& value, bool numericLiteral, const ColumnType& type,
                const QString& column, RawValue& out, DbError& error);

// Exact decimal text ("-12.50", " 3 ", "+.5") to a whole count of 10^-scale, rounded half away
// from zero. Nothing for malformed text or more than 36 digits.
std::optional<__int128> parseScaledDecimal(QStringView text, int scale);

}  // namespace qv::db
