// The diagnostics of the ODBC engine: its own errors, a driver's diagnostic records read and
// joined into one DbError, and the kind of each failure from SQL Server's message numbers or
// the SQLite driver's result codes.

#include "sql/odbc/odbc_support.h"

#include <algorithm>
#include <utility>

namespace qv::db::odbc {

DbError OwnError(int number, const QString& text) {
    DbError e;
    e.number = number;
    e.description = text;
    e.source = kSource;
    return e;
}

DbError ClosedError() {
    return OwnError(kObjectClosed,
                    QStringLiteral("Operation is not allowed when the object is closed."));
}

std::vector<DiagRecord> ReadDiagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<DiagRecord> records;
    if (handle == SQL_NULL_HANDLE) {
        return records;
    }
    for (SQLSMALLINT i = 1; i < 50; ++i) {
        OdbcChar state[6] = {};
        SQLINTEGER native = 0;
        std::vector<OdbcChar> message(1024);
        SQLSMALLINT length = 0;
        SQLRETURN r = QV_ODBC_API(SQLGetDiagRec)(type, handle, i, state, &native, message.data(),
                                                 static_cast<SQLSMALLINT>(message.size()), &length);
        if (r == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.resize(static_cast<std::size_t>(length) + 1);
            r = QV_ODBC_API(SQLGetDiagRec)(type, handle, i, state, &native, message.data(),
                                           static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(r)) {
            break;
        }
        length = std::clamp<SQLSMALLINT>(length, 0, static_cast<SQLSMALLINT>(message.size() - 1));
        records.push_back(
            {DecodeChars(state, 5), static_cast<int>(native), DecodeChars(message.data(), length)});
    }
    return records;
}

namespace {

// "[FreeTDS][SQL Server]Invalid object name 'x'." -> prefix "[FreeTDS][SQL Server]" and the
// message alone.
std::pair<QString, QString> SplitVendorPrefix(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u'[') {
        const qsizetype close = text.indexOf(u']', i);
        if (close < 0) {
            break;
        }
        i = close + 1;
    }
    return {text.left(i), text.mid(i).trimmed()};
}

ErrorKind SqliteDriverKind(int native, const QString& message) {
    switch (native & 0xff) {  // the driver may hand on extended result codes
        case 5:               // SQLITE_BUSY
        case 6:               // SQLITE_LOCKED
            return ErrorKind::Busy;
        case 8:  // SQLITE_READONLY
            return ErrorKind::ReadOnly;
        case 13:  // SQLITE_FULL
            return ErrorKind::DiskFull;
        case 11:  // SQLITE_CORRUPT
        case 26:  // SQLITE_NOTADB
            return ErrorKind::Damaged;
        case 19:  // SQLITE_CONSTRAINT: NOT NULL and CHECK share the code with UNIQUE
            return message.contains(QStringLiteral("UNIQUE constraint failed")) ||
                           message.contains(QStringLiteral("PRIMARY KEY must be unique")) ||
                           message.contains(QStringLiteral("not unique"))
                       ? ErrorKind::DuplicateKey
                       : ErrorKind::Other;
        default:
            return ErrorKind::Other;
    }
}

ErrorKind SqlServerKind(const QString& state, int native) {
    switch (native) {
        case 2601:  // duplicate key row in object with unique index
        case 2627:  // violation of PRIMARY KEY or UNIQUE KEY constraint
            return ErrorKind::DuplicateKey;
        case 1205:  // chosen as deadlock victim
        case 1222:  // lock request time out period exceeded
            return ErrorKind::Busy;
        case 3906:  // the database is read-only
            return ErrorKind::ReadOnly;
        case 1101:  // no page can be allocated: filegroup full
        case 1105:  // no space for object: filegroup full
        case 9002:  // the transaction log is full
            return ErrorKind::DiskFull;
        case 605:   // page belongs to another object
        case 823:   // operating system I/O error on the file
        case 824:   // logical consistency-based I/O error
        case 5172:  // the file header is not a valid database file header
            return ErrorKind::Damaged;
        default:
            break;
    }
    if (state == u"HYT00" || state == u"40001") {  // time-out expired, serialization failure
        return ErrorKind::Busy;
    }
    return ErrorKind::Other;
}

}  // namespace

DbError ErrorFromRecords(std::vector<DiagRecord> records, SQLRETURN rc) {
    if (records.empty()) {
        return OwnError(-1, QStringLiteral("The ODBC call failed (return code %1).").arg(rc));
    }
    // The server's own message (the one with a native number) leads, so that callers that
    // look at how the text begins see it first.
    std::stable_partition(records.begin(), records.end(),
                          [](const DiagRecord& r) { return r.native != 0; });
    DbError e;
    e.number = records.front().native;
    QStringList parts;
    for (const DiagRecord& r : records) {
        auto [prefix, message] = SplitVendorPrefix(r.message);
        if (e.source.isEmpty() && !prefix.isEmpty()) {
            e.source = prefix;
        }
        if (e.kind == ErrorKind::Other) {
            e.kind = OdbcErrorKind(r.state, r.native, prefix, message);
        }
        const QString part = message + QStringLiteral(" (SQLSTATE ") + r.state + u')';
        if (!parts.contains(part)) {
            parts << part;
        }
    }
    e.description = parts.join(u' ');
    if (e.source.isEmpty()) {
        e.source = kSource;
    }
    return e;
}

DbError Diagnose(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc) {
    return ErrorFromRecords(ReadDiagnostics(type, handle), rc);
}

}  // namespace qv::db::odbc

namespace qv::db {

using namespace odbc;

ErrorKind OdbcErrorKind(const QString& sqlState, int native, const QString& source,
                        const QString& message) {
    return source.contains(QStringLiteral("[SQLite]")) ? SqliteDriverKind(native, message)
                                                       : SqlServerKind(sqlState, native);
}

}  // namespace qv::db
