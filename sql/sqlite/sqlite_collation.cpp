// The collation every CHAR column of the embedded engine is declared with, and the SQL function
// qv_store that converts a computed value for its column; both registered on each connection.

#include "sql/sqlite/sqlite_collation.h"

#include "sql/sqlite/sqlite_types.h"

#include <sqlite3.h>

namespace qv::db {

namespace {

int collate(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return msciCompare(static_cast<const unsigned char*>(a), lengthA,
                       static_cast<const unsigned char*>(b), lengthB);
}

void storeFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (argc != 2) {
        sqlite3_result_error(context, "qv_store needs a value and a column type", -1);
        return;
    }
    const RawValue raw = fromSqliteValue(argv[0]);
    const auto* declared = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const ColumnType type = ColumnType::parse(declared);
    Value value;
    switch (raw.type) {
        case RawValue::Type::Integer:
            value = Value::integer(raw.i);
            break;
        case RawValue::Type::Real:
            value = Value::real(raw.d);
            break;
        case RawValue::Type::Text:
        case RawValue::Type::Blob:
            value = Value::text(QString::fromUtf8(raw.bytes));
            break;
        case RawValue::Type::Null:
            break;
    }
    RawValue out;
    DbError error;
    if (!storeValue(value, false, type, QString(), out, error)) {
        // The engine reads the number back from the bracketed prefix.
        const QByteArray message =
            QStringLiteral("[%1] %2").arg(error.number).arg(error.description).toUtf8();
        sqlite3_result_error(context, message.constData(), static_cast<int>(message.size()));
        return;
    }
    resultRaw(context, out);
}

}  // namespace

int registerEngineExtensions(sqlite3* db) {
    int rc =
        sqlite3_create_collation_v2(db, kCollationName, SQLITE_UTF8, nullptr, &collate, nullptr);
    if (rc != SQLITE_OK) {
        return rc;
    }
    rc = sqlite3_create_function_v2(db, "qv_store", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                    &storeFunction, nullptr, nullptr, nullptr);
    return rc;
}

}  // namespace qv::db
