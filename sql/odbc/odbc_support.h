#pragma once

// What every part of the ODBC engine shares, and nothing outside it: text across the ODBC
// boundary, handles freed with their owner, the engine's own errors and the reading of a
// driver's diagnostics into a DbError (odbc_diagnostics.cpp).

#include "sql/odbc/odbc_engine.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <QByteArray>
#include <QString>
#include <vector>

namespace qv::db::odbc {

// Text crosses the ODBC boundary as UTF-16 through the wide API on Windows, and as UTF-8
// through the narrow API elsewhere: unixODBC converts wide calls for narrow-only drivers (the
// SQLite driver is one) through the process locale, which loses every non-ASCII character
// under the "C" locale, while narrow calls pass UTF-8 through untouched.
#ifdef _WIN32
using OdbcChar = SQLWCHAR;
constexpr SQLSMALLINT kTextCType = SQL_C_WCHAR;
#define QV_ODBC_API(name) name##W
inline QByteArray EncodeText(const QString& s) {
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}
inline QString DecodeText(const char* bytes, qsizetype size) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes), size / 2);
}
#else
using OdbcChar = SQLCHAR;
constexpr SQLSMALLINT kTextCType = SQL_C_CHAR;
#define QV_ODBC_API(name) name
inline QByteArray EncodeText(const QString& s) {
    return s.toUtf8();
}
inline QString DecodeText(const char* bytes, qsizetype size) {
    return QString::fromUtf8(bytes, size);
}
#endif

constexpr qsizetype kCharSize = sizeof(OdbcChar);

inline OdbcChar* TextPointer(QByteArray& bytes) {
    return reinterpret_cast<OdbcChar*>(bytes.data());
}
inline QString DecodeChars(const OdbcChar* chars, qsizetype count) {
    return DecodeText(reinterpret_cast<const char*>(chars), count * kCharSize);
}

inline SQLPOINTER IntegerAttribute(SQLULEN value) {
    return reinterpret_cast<SQLPOINTER>(value);
}

inline const QString kSource = QStringLiteral("Quorvane ODBC");

// Error numbers for the failures this engine reports itself, the ones ADO gives for them.
constexpr int kRowNotLocated = -2147217864;      // DB_E_... "Row cannot be located ..."
constexpr int kNotUpdatable = -2147467259;       // E_FAIL, "Insufficient base table ..."
constexpr int kObjectClosed = 3704;              // "Operation is not allowed when ... closed."
constexpr int kNoCurrentRecord = 3021;           // "Either BOF or EOF is True, ..."
constexpr int kNoTransaction = -2147168242;      // XACT_E_NOTRANSACTION
constexpr int kTransactionActive = -2147168237;  // XACT_E_XTIONEXISTS

DbError OwnError(int number, const QString& text);
DbError ClosedError();

// --- handles ------------------------------------------------------------------------------

template <SQLSMALLINT Type>
class Handle {
public:
    Handle() = default;
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool allocate(SQLHANDLE parent) {
        reset();
        return SQL_SUCCEEDED(SQLAllocHandle(Type, parent, &h_));
    }
    SQLHANDLE get() const { return h_; }
    void reset() {
        if (h_ != SQL_NULL_HANDLE) {
            SQLFreeHandle(Type, h_);
            h_ = SQL_NULL_HANDLE;
        }
    }

private:
    SQLHANDLE h_ = SQL_NULL_HANDLE;
};

using EnvHandle = Handle<SQL_HANDLE_ENV>;
using DbcHandle = Handle<SQL_HANDLE_DBC>;
using StmtHandle = Handle<SQL_HANDLE_STMT>;

// --- diagnostics --------------------------------------------------------------------------

struct DiagRecord {
    QString state;
    int native = 0;
    QString message;
};

// The diagnostic records of a handle, in order.
std::vector<DiagRecord> ReadDiagnostics(SQLSMALLINT type, SQLHANDLE handle);
// One error from the records: the server's own message first, every record's text and
// SQLSTATE, the vendor prefix as its source and the kind of the first record that has one.
DbError ErrorFromRecords(std::vector<DiagRecord> records, SQLRETURN rc);
// The error a failed call on this handle left.
DbError Diagnose(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc);

}  // namespace qv::db::odbc
