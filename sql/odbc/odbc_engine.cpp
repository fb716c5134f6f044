#include "sql/odbc/odbc_engine.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <QByteArray>
#include <QFileInfo>
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace qv::db {

namespace {

// Text crosses the ODBC boundary as UTF-16 through the wide API on Windows, and as UTF-8
// through the narrow API elsewhere: unixODBC converts wide calls for narrow-only drivers (the
// SQLite driver is one) through the process locale, which loses every non-ASCII character
// under the "C" locale, while narrow calls pass UTF-8 through untouched.
#ifdef _WIN32
using OdbcChar = SQLWCHAR;
constexpr SQLSMALLINT kTextCType = SQL_C_WCHAR;
#define QV_ODBC_API(name) name##W
QByteArray EncodeText(const QString& s) {
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}
QString DecodeText(const char* bytes, qsizetype size) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes), size / 2);
}
#else
using OdbcChar = SQLCHAR;
constexpr SQLSMALLINT kTextCType = SQL_C_CHAR;
#define QV_ODBC_API(name) name
QByteArray EncodeText(const QString& s) {
    return s.toUtf8();
}
QString DecodeText(const char* bytes, qsizetype size) {
    return QString::fromUtf8(bytes, size);
}
#endif

constexpr qsizetype kCharSize = sizeof(OdbcChar);

OdbcChar* TextPointer(QByteArray& bytes) {
    return reinterpret_cast<OdbcChar*>(bytes.data());
}
QString DecodeChars(const OdbcChar* chars, qsizetype count) {
    return DecodeText(reinterpret_cast<const char*>(chars), count * kCharSize);
}

SQLPOINTER IntegerAttribute(SQLULEN value) {
    return reinterpret_cast<SQLPOINTER>(value);
}

const QString kSource = QStringLiteral("Quorvane ODBC");

// Error numbers for the failures this engine reports itself, the ones ADO gives for them.
constexpr int kRowNotLocated = -2147217864;      // DB_E_... "Row cannot be located ..."
constexpr int kNotUpdatable = -2147467259;       // E_FAIL, "Insufficient base table ..."
constexpr int kObjectClosed = 3704;              // "Operation is not allowed when ... closed."
constexpr int kNoCurrentRecord = 3021;           // "Either BOF or EOF is True, ..."
constexpr int kNoTransaction = -2147168242;      // XACT_E_NOTRANSACTION
constexpr int kTransactionActive = -2147168237;  // XACT_E_XTIONEXISTS

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

ErrorKind OdbcErrorKind(const QString& sqlState, int native, const QString& source,
                        const QString& message) {
    return source.contains(QStringLiteral("[SQLite]")) ? SqliteDriverKind(native, message)
                                                       : SqlServerKind(sqlState, native);
}

namespace {

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

// The value of one keyword of a connection string ("Driver" -> "FreeTDS"), braces removed.
QString ConnectionKeyword(const QString& connectionString, const QString& keyword) {
    qsizetype i = 0;
    const qsizetype n = connectionString.size();
    while (i < n) {
        const qsizetype eq = connectionString.indexOf(u'=', i);
        if (eq < 0) {
            break;
        }
        const QString key = connectionString.mid(i, eq - i).trimmed();
        qsizetype j = eq + 1;
        QString value;
        if (j < n && connectionString[j] == u'{') {
            ++j;
            while (j < n) {
                if (connectionString[j] == u'}') {
                    if (j + 1 < n && connectionString[j + 1] == u'}') {
                        value += u'}';
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += connectionString[j++];
            }
            const qsizetype semi = connectionString.indexOf(u';', j);
            j = semi < 0 ? n : semi + 1;
        } else {
            const qsizetype semi = connectionString.indexOf(u';', j);
            value = connectionString.mid(j, (semi < 0 ? n : semi) - j).trimmed();
            j = semi < 0 ? n : semi + 1;
        }
        if (key.compare(keyword, Qt::CaseInsensitive) == 0) {
            return value;
        }
        i = j;
    }
    return {};
}

bool HasKeyword(const QString& options, const QString& keyword) {
    for (const QString& part : options.split(u';', Qt::SkipEmptyParts)) {
        if (part.section(u'=', 0, 0).trimmed().compare(keyword, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

QString Braced(const QString& value) {
    const bool needs = value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
                       value != value.trimmed();
    if (!needs) {
        return value;
    }
    QString inner = value;
    inner.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return u'{' + inner + u'}';
}

QString QuotedName(const QString& name) {
    QString inner = name;
    inner.replace(QStringLiteral("]"), QStringLiteral("]]"));
    return u'[' + inner + u']';
}

}  // namespace

// --- connection ---------------------------------------------------------------------------

// One ODBC connection: environment and connection handles, freed in reverse order, with the
// transaction state that row sets and the engine share.
class OdbcConnection {
public:
    OdbcConnection() = default;
    ~OdbcConnection() { disconnect(); }
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    bool open(const QString& connectionString, int timeoutSeconds, DbError& error) {
        disconnect();
        if (!env_.allocate(SQL_NULL_HANDLE)) {
            error = OwnError(-1, QStringLiteral("The ODBC environment could not be created: is "
                                                "the ODBC driver manager installed?"));
            return false;
        }
        SQLSetEnvAttr(env_.get(), SQL_ATTR_ODBC_VERSION, IntegerAttribute(SQL_OV_ODBC3), 0);
        if (!dbc_.allocate(env_.get())) {
            error = Diagnose(SQL_HANDLE_ENV, env_.get(), SQL_ERROR);
            env_.reset();
            return false;
        }
        // Drivers that do not offer a time-out refuse the attribute; the connection goes on.
        const SQLULEN timeout = static_cast<SQLULEN>(std::max(0, timeoutSeconds));
        SQLSetConnectAttr(dbc_.get(), SQL_ATTR_LOGIN_TIMEOUT, IntegerAttribute(timeout), 0);
        SQLSetConnectAttr(dbc_.get(), SQL_ATTR_CONNECTION_TIMEOUT, IntegerAttribute(timeout), 0);

        QByteArray text = EncodeText(connectionString);
        const SQLRETURN rc =
            QV_ODBC_API(SQLDriverConnect)(dbc_.get(), nullptr, TextPointer(text),
                                          static_cast<SQLSMALLINT>(text.size() / kCharSize),
                                          nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            std::vector<DiagRecord> records = ReadDiagnostics(SQL_HANDLE_DBC, dbc_.get());
            const bool driverMissing =
                std::any_of(records.begin(), records.end(), [](const DiagRecord& r) {
                    return r.state == QStringLiteral("IM002") ||
                           r.state == QStringLiteral("IM003") ||
                           r.message.contains(QStringLiteral("Can't open lib"));
                });
            error = ErrorFromRecords(std::move(records), rc);
            if (driverMissing) {
                const QString driver =
                    ConnectionKeyword(connectionString, QStringLiteral("Driver"));
                error.description +=
                    driver.isEmpty()
                        ? QStringLiteral(" The connection string names no ODBC driver.")
                        : QStringLiteral(
                              " The ODBC driver \"%1\" could not be loaded: check the "
                              "driver name and its entry in odbcinst.ini.")
                              .arg(driver);
            }
            dbc_.reset();
            env_.reset();
            return false;
        }
        connected_ = true;
        dbmsName_ = info(SQL_DBMS_NAME);
        databaseName_ = info(SQL_DATABASE_NAME);
        return true;
    }

    void disconnect() {
        if (connected_) {
            if (inTransaction) {
                SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_ROLLBACK);
                inTransaction = false;
            }
            SQLDisconnect(dbc_.get());
            connected_ = false;
        }
        dbc_.reset();
        env_.reset();
    }

    bool connected() const { return connected_; }

    // False as soon as the driver knows the server has gone; drivers that cannot tell are
    // taken at their last word.
    bool alive() const {
        if (!connected_) {
            return false;
        }
        SQLUINTEGER dead = SQL_CD_FALSE;
        const SQLRETURN rc =
            SQLGetConnectAttr(dbc_.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
        return !SQL_SUCCEEDED(rc) || dead != SQL_CD_TRUE;
    }

    SQLHDBC dbc() const { return dbc_.get(); }
    const QString& dbmsName() const { return dbmsName_; }
    const QString& databaseName() const { return databaseName_; }

    bool setAutoCommit(bool on, DbError& error) {
        const SQLRETURN rc =
            SQLSetConnectAttr(dbc_.get(), SQL_ATTR_AUTOCOMMIT,
                              IntegerAttribute(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
        if (!SQL_SUCCEEDED(rc)) {
            error = Diagnose(SQL_HANDLE_DBC, dbc_.get(), rc);
            return false;
        }
        return true;
    }

    bool endTransaction(bool commit, DbError& error) {
        const SQLRETURN rc =
            SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), commit ? SQL_COMMIT : SQL_ROLLBACK);
        if (!SQL_SUCCEEDED(rc)) {
            error = Diagnose(SQL_HANDLE_DBC, dbc_.get(), rc);
            return false;
        }
        return true;
    }

    // A transaction the engine's caller began (beginTransaction); row set writes then run
    // inside it instead of in one of their own.
    bool inTransaction = false;

private:
    QString info(SQLUSMALLINT type) const {
        std::vector<OdbcChar> buffer(512);
        SQLSMALLINT bytes = 0;
        const SQLRETURN rc =
            QV_ODBC_API(SQLGetInfo)(dbc_.get(), type, buffer.data(),
                                    static_cast<SQLSMALLINT>(buffer.size() * kCharSize), &bytes);
        if (!SQL_SUCCEEDED(rc)) {
            return {};
        }
        const qsizetype count =
            std::clamp<qsizetype>(bytes / kCharSize, 0, static_cast<qsizetype>(buffer.size()) - 1);
        return DecodeChars(buffer.data(), count);
    }

    // Declared before dbc_ so that it is freed after it.
    EnvHandle env_;
    DbcHandle dbc_;
    bool connected_ = false;
    QString dbmsName_;
    QString databaseName_;
};

namespace {

// --- statements, parameters and values ----------------------------------------------------

struct Param {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN size = 1;
    SQLSMALLINT digits = 0;
    QByteArray bytes;
    std::int64_t integer = 0;
    double real = 0;
    SQLLEN indicator = 0;
};

Param MakeParam(const Value& v, bool wideColumn) {
    Param p;
    switch (v.kind()) {
        case Value::Kind::Integer:
            p.cType = SQL_C_SBIGINT;
            p.sqlType = SQL_BIGINT;
            p.size = 19;
            p.integer = v.toInteger();
            break;
        case Value::Kind::Decimal:
            p.cType = SQL_C_CHAR;
            p.sqlType = SQL_DECIMAL;
            p.size = 19;
            p.digits = 4;
            p.bytes = v.toCurrency().toSqlText().toLatin1();
            p.indicator = p.bytes.size();
            break;
        case Value::Kind::Real:
            p.cType = SQL_C_DOUBLE;
            p.sqlType = SQL_DOUBLE;
            p.size = 15;
            p.real = v.toDouble();
            break;
        case Value::Kind::Null:
        case Value::Kind::Text: {
            const QString text = v.toText();
            p.cType = kTextCType;
            p.bytes = EncodeText(text);
            p.indicator = p.bytes.size();
            const qsizetype length = std::max<qsizetype>(1, p.bytes.size() / kCharSize);
            p.size = static_cast<SQLULEN>(length);
            if (wideColumn) {
                p.sqlType = length > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
            } else {
                p.sqlType = length > 8000 ? SQL_LONGVARCHAR : SQL_VARCHAR;
            }
            break;
        }
    }
    return p;
}

class Statement {
public:
    bool allocate(const OdbcConnection& connection, DbError& error) {
        if (!handle_.allocate(connection.dbc())) {
            error = Diagnose(SQL_HANDLE_DBC, connection.dbc(), SQL_ERROR);
            return false;
        }
        // Statements go to the server as written: no ODBC escape processing.
        SQLSetStmtAttr(handle_.get(), SQL_ATTR_NOSCAN, IntegerAttribute(SQL_NOSCAN_ON), 0);
        return true;
    }

    SQLHSTMT get() const { return handle_.get(); }

    // Binds the parameters (which must outlive the execution) and runs the text. SQL_NO_DATA
    // (a searched UPDATE or DELETE that matched nothing) counts as success.
    bool execute(const QString& sql, std::vector<Param>& params, DbError& error) {
        for (std::size_t i = 0; i < params.size(); ++i) {
            Param& p = params[i];
            SQLPOINTER data = p.cType == SQL_C_SBIGINT  ? static_cast<SQLPOINTER>(&p.integer)
                              : p.cType == SQL_C_DOUBLE ? static_cast<SQLPOINTER>(&p.real)
                                                        : static_cast<SQLPOINTER>(p.bytes.data());
            const SQLRETURN rc =
                SQLBindParameter(handle_.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                 p.cType, p.sqlType, p.size, p.digits, data,
                                 static_cast<SQLLEN>(p.bytes.size()), &p.indicator);
            if (!SQL_SUCCEEDED(rc)) {
                error = Diagnose(SQL_HANDLE_STMT, handle_.get(), rc);
                return false;
            }
        }
        QByteArray text = EncodeText(sql);
        const SQLRETURN rc = QV_ODBC_API(SQLExecDirect)(
            handle_.get(), TextPointer(text), static_cast<SQLINTEGER>(text.size() / kCharSize));
        noData_ = rc == SQL_NO_DATA;
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            error = Diagnose(SQL_HANDLE_STMT, handle_.get(), rc);
            return false;
        }
        return true;
    }

    // Rows affected by the first result; statements that report no count give 0. Later
    // results are read to the end so that an error the server raises there is not lost.
    std::optional<std::int64_t> rowsAffected(DbError& error) {
        if (noData_) {
            return 0;
        }
        SQLLEN count = 0;
        if (!SQL_SUCCEEDED(SQLRowCount(handle_.get(), &count))) {
            count = 0;
        }
        for (;;) {
            const SQLRETURN rc = SQLMoreResults(handle_.get());
            if (rc == SQL_NO_DATA) {
                break;
            }
            if (!SQL_SUCCEEDED(rc)) {
                error = Diagnose(SQL_HANDLE_STMT, handle_.get(), rc);
                return std::nullopt;
            }
        }
        return std::max<std::int64_t>(0, count);
    }

    // Moves to the first result that has columns; false with no error when there is none.
    bool toResultWithColumns(DbError& error) {
        if (noData_) {
            return false;
        }
        for (;;) {
            SQLSMALLINT columns = 0;
            const SQLRETURN rc = SQLNumResultCols(handle_.get(), &columns);
            if (!SQL_SUCCEEDED(rc)) {
                error = Diagnose(SQL_HANDLE_STMT, handle_.get(), rc);
                return false;
            }
            if (columns > 0) {
                return true;
            }
            const SQLRETURN more = SQLMoreResults(handle_.get());
            if (more == SQL_NO_DATA) {
                return false;
            }
            if (!SQL_SUCCEEDED(more)) {
                error = Diagnose(SQL_HANDLE_STMT, handle_.get(), more);
                return false;
            }
        }
    }

private:
    StmtHandle handle_;
    bool noData_ = false;
};

enum class Fetch { Text, Integer, Decimal, Real };

struct Column {
    QString name;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    Fetch fetch = Fetch::Text;
    bool wide = false;
    // Whether the optimistic WHERE may compare it: long text, binary, date and other
    // columns read as text are left out, as the server cannot compare some of them and the
    // text form of the rest is not one it reads back reliably.
    bool comparable = true;
};

Column DescribeColumn(SQLHSTMT stmt, SQLUSMALLINT ordinal, DbError& error, bool& ok) {
    Column c;
    std::vector<OdbcChar> name(256);
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    SQLRETURN rc = QV_ODBC_API(SQLDescribeCol)(stmt, ordinal, name.data(),
                                               static_cast<SQLSMALLINT>(name.size()), &nameLength,
                                               &type, &size, &digits, &nullable);
    if (SQL_SUCCEEDED(rc) && nameLength >= static_cast<SQLSMALLINT>(name.size())) {
        name.resize(static_cast<std::size_t>(nameLength) + 1);
        rc = QV_ODBC_API(SQLDescribeCol)(stmt, ordinal, name.data(),
                                         static_cast<SQLSMALLINT>(name.size()), &nameLength, &type,
                                         &size, &digits, &nullable);
    }
    if (!SQL_SUCCEEDED(rc)) {
        error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
        ok = false;
        return c;
    }
    c.name = DecodeChars(
        name.data(), std::clamp<qsizetype>(nameLength, 0, static_cast<qsizetype>(name.size()) - 1));
    c.sqlType = type;
    switch (type) {
        case SQL_CHAR:
        case SQL_VARCHAR:
            break;
        case SQL_WCHAR:
        case SQL_WVARCHAR:
            c.wide = true;
            break;
        case SQL_LONGVARCHAR:
            c.comparable = false;
            break;
        case SQL_WLONGVARCHAR:
            c.wide = true;
            c.comparable = false;
            break;
        case SQL_BIT:
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            c.fetch = Fetch::Integer;
            break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            c.fetch = Fetch::Decimal;
            break;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            c.fetch = Fetch::Real;
            break;
        default:
            c.comparable = false;
            break;
    }
    ok = true;
    return c;
}

// Text of any length, in pieces when the driver has more than the buffer holds.
std::optional<QByteArray> GetBytes(SQLHSTMT stmt, SQLUSMALLINT ordinal, SQLSMALLINT cType,
                                   qsizetype terminator, bool& isNull, DbError& error) {
    QByteArray data;
    char buffer[4096];
    const qsizetype room = static_cast<qsizetype>(sizeof buffer) - terminator;
    isNull = false;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, ordinal, cType, buffer,
                                        static_cast<SQLLEN>(sizeof buffer), &indicator);
        if (rc == SQL_NO_DATA) {
            break;
        }
        if (!SQL_SUCCEEDED(rc)) {
            error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
            return std::nullopt;
        }
        if (indicator == SQL_NULL_DATA) {
            isNull = true;
            return data;
        }
        if (indicator != SQL_NO_TOTAL && indicator <= room) {
            data.append(buffer, static_cast<qsizetype>(indicator));
            break;
        }
        data.append(buffer, room);
    }
    return data;
}

std::optional<Value> GetValue(SQLHSTMT stmt, SQLUSMALLINT ordinal, const Column& column,
                              DbError& error) {
    switch (column.fetch) {
        case Fetch::Integer: {
            std::int64_t v = 0;
            SQLLEN indicator = 0;
            const SQLRETURN rc = SQLGetData(stmt, ordinal, SQL_C_SBIGINT, &v, 0, &indicator);
            if (!SQL_SUCCEEDED(rc)) {
                error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
                return std::nullopt;
            }
            return indicator == SQL_NULL_DATA ? Value() : Value::integer(v);
        }
        case Fetch::Real: {
            double v = 0;
            SQLLEN indicator = 0;
            const SQLRETURN rc = SQLGetData(stmt, ordinal, SQL_C_DOUBLE, &v, 0, &indicator);
            if (!SQL_SUCCEEDED(rc)) {
                error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
                return std::nullopt;
            }
            return indicator == SQL_NULL_DATA ? Value() : Value::real(v);
        }
        case Fetch::Decimal: {
            // The driver's exact decimal text, never a double.
            bool isNull = false;
            const std::optional<QByteArray> bytes =
                GetBytes(stmt, ordinal, SQL_C_CHAR, 1, isNull, error);
            if (!bytes) {
                return std::nullopt;
            }
            if (isNull) {
                return Value();
            }
            const QString text = QString::fromLatin1(*bytes);
            // A value that four decimals do not hold exactly (too large, or digits past the
            // fourth place) stays text rather than being rounded.
            const qsizetype point = text.indexOf(u'.');
            const bool fitsFourPlaces =
                point < 0 || std::all_of(text.begin() + std::min(point + 5, text.size()),
                                         text.end(), [](QChar c) { return c == u'0'; });
            const std::optional<Currency> amount =
                fitsFourPlaces ? Currency::fromText(text) : std::nullopt;
            return amount ? Value::decimal(*amount) : Value::text(text);
        }
        case Fetch::Text: {
            bool isNull = false;
            const std::optional<QByteArray> bytes =
                GetBytes(stmt, ordinal, kTextCType, kCharSize, isNull, error);
            if (!bytes) {
                return std::nullopt;
            }
            if (isNull) {
                return Value();
            }
            return Value::text(DecodeText(bytes->constData(), bytes->size()));
        }
    }
    return Value();
}

// Every row of the current result.
bool FetchAll(SQLHSTMT stmt, std::vector<Column>& columns, std::vector<std::vector<Value>>& rows,
              DbError& error) {
    SQLSMALLINT count = 0;
    SQLRETURN rc = SQLNumResultCols(stmt, &count);
    if (!SQL_SUCCEEDED(rc)) {
        error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
        return false;
    }
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        bool ok = false;
        columns.push_back(DescribeColumn(stmt, static_cast<SQLUSMALLINT>(i), error, ok));
        if (!ok) {
            return false;
        }
    }
    for (;;) {
        rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA) {
            return true;
        }
        if (!SQL_SUCCEEDED(rc)) {
            error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
            return false;
        }
        std::vector<Value> row;
        row.reserve(columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            std::optional<Value> v =
                GetValue(stmt, static_cast<SQLUSMALLINT>(i + 1), columns[i], error);
            if (!v) {
                return false;
            }
            row.push_back(std::move(*v));
        }
        rows.push_back(std::move(row));
    }
}

// The first column of every row, as text.
std::optional<QStringList> QueryNames(const OdbcConnection& connection, const QString& sql,
                                      DbError& error) {
    Statement st;
    std::vector<Param> none;
    if (!st.allocate(connection, error) || !st.execute(sql, none, error)) {
        return std::nullopt;
    }
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
    if (!st.toResultWithColumns(error)) {
        if (error.isSet()) {
            return std::nullopt;
        }
        return QStringList();
    }
    if (!FetchAll(st.get(), columns, rows, error)) {
        return std::nullopt;
    }
    QStringList names;
    for (const std::vector<Value>& row : rows) {
        names << (row.empty() ? QString() : row.front().toText());
    }
    return names;
}

// Row set writes run in one transaction of their own, or in the caller's when one is open.
// Destroyed uncommitted, it rolls back its own transaction; it never ends the caller's.
class WriteUnit {
public:
    WriteUnit(OdbcConnection& connection, DbError& error)
        : connection_(connection), owns_(!connection.inTransaction) {
        ok_ = !owns_ || connection_.setAutoCommit(false, error);
    }
    ~WriteUnit() {
        if (owns_ && ok_ && !done_) {
            DbError ignored;
            connection_.endTransaction(false, ignored);
            connection_.setAutoCommit(true, ignored);
        }
    }
    WriteUnit(const WriteUnit&) = delete;
    WriteUnit& operator=(const WriteUnit&) = delete;

    bool ok() const { return ok_; }

    bool commit(DbError& error) {
        if (!owns_) {
            return true;
        }
        if (!connection_.endTransaction(true, error)) {
            return false;
        }
        done_ = true;
        DbError ignored;
        connection_.setAutoCommit(true, ignored);
        return true;
    }

private:
    OdbcConnection& connection_;
    bool owns_;
    bool ok_ = false;
    bool done_ = false;
};

// --- statement shape ----------------------------------------------------------------------

struct Token {
    enum Kind { Name, String, Symbol } kind = Symbol;
    QString text;
    bool plain = false;  // one unquoted word, so possibly a keyword
};

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

// The tokens outside parentheses (a parenthesised part becomes one "(" symbol); nothing when
// quotes or parentheses do not close.
std::optional<std::vector<Token>> TopLevelTokens(const QString& s) {
    std::vector<Token> tokens;
    int depth = 0;
    qsizetype i = 0;
    const qsizetype n = s.size();
    const auto skipQuoted = [&](QChar close) -> bool {
        ++i;
        while (i < n) {
            if (s[i] == close) {
                if (i + 1 < n && s[i + 1] == close) {
                    i += 2;
                    continue;
                }
                ++i;
                return true;
            }
            ++i;
        }
        return false;
    };
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            const qsizetype end = s.indexOf(u'\n', i);
            i = end < 0 ? n : end + 1;
            continue;
        }
        if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const qsizetype end = s.indexOf(QStringLiteral("*/"), i + 2);
            if (end < 0) {
                return std::nullopt;
            }
            i = end + 2;
            continue;
        }
        if (c == u'\'') {
            const qsizetype start = i;
            if (!skipQuoted(u'\'')) {
                return std::nullopt;
            }
            if (depth == 0) {
                tokens.push_back({Token::String, s.mid(start, i - start), false});
            }
            continue;
        }
        if (c == u'(') {
            if (depth++ == 0) {
                tokens.push_back({Token::Symbol, QStringLiteral("("), false});
            }
            ++i;
            continue;
        }
        if (c == u')') {
            if (--depth < 0) {
                return std::nullopt;
            }
            ++i;
            continue;
        }
        if (c == u'[' || c == u'"' || IsWordChar(c)) {
            // A name, dotted parts included: dbo.invt1, [vor].[invt1].
            const qsizetype start = i;
            int parts = 0;
            bool quoted = false;
            for (;;) {
                if (i < n && (s[i] == u'[' || s[i] == u'"')) {
                    quoted = true;
                    if (!skipQuoted(s[i] == u'[' ? u']' : u'"')) {
                        return std::nullopt;
                    }
                } else if (i < n && IsWordChar(s[i])) {
                    while (i < n && IsWordChar(s[i])) {
                        ++i;
                    }
                } else {
                    break;
                }
                ++parts;
                if (i + 1 < n && s[i] == u'.' &&
                    (s[i + 1] == u'[' || s[i + 1] == u'"' || IsWordChar(s[i + 1]))) {
                    ++i;
                    continue;
                }
                break;
            }
            if (depth == 0) {
                tokens.push_back({Token::Name, s.mid(start, i - start), parts == 1 && !quoted});
            }
            continue;
        }
        if (depth == 0) {
            tokens.push_back({Token::Symbol, QString(c), false});
        }
        ++i;
    }
    if (depth != 0) {
        return std::nullopt;
    }
    return tokens;
}

bool IsKeyword(const Token& t, const char* word) {
    return t.kind == Token::Name && t.plain &&
           t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool IsSymbol(const Token& t, char16_t c) {
    return t.kind == Token::Symbol && t.text.size() == 1 && t.text[0] == c;
}

bool IsAnyKeyword(const Token& t, std::initializer_list<const char*> words) {
    return std::any_of(words.begin(), words.end(), [&](const char* w) { return IsKeyword(t, w); });
}

}  // namespace

// --- free functions -----------------------------------------------------------------------

QString DefaultOdbcDriver() {
#ifdef _WIN32
    return QStringLiteral("SQL Server");
#else
    return QStringLiteral("FreeTDS");
#endif
}

QString OdbcConnectionString(const ConnectParams& params, const QString& driver,
                             const QString& options, bool withDatabase) {
    const QString driverName = driver.trimmed().isEmpty() ? DefaultOdbcDriver() : driver.trimmed();
    const bool freeTds = driverName.contains(QStringLiteral("FreeTDS"), Qt::CaseInsensitive);
    QString extra = options.trimmed();
    while (extra.startsWith(u';')) {
        extra.remove(0, 1);
    }
    while (extra.endsWith(u';')) {
        extra.chop(1);
    }

    QString inner = driverName;
    inner.replace(QStringLiteral("}"), QStringLiteral("}}"));
    QStringList parts{QStringLiteral("Driver={") + inner + u'}'};

    const QString server = params.server.trimmed();
    if (freeTds && !server.contains(u'\\')) {
        // FreeTDS takes the port as its own keyword; "host,port" is how SQL Server names it.
        QString host = server;
        QString port = QStringLiteral("1433");
        const qsizetype comma = server.indexOf(u',');
        if (comma >= 0) {
            host = server.left(comma).trimmed();
            port = server.mid(comma + 1).trimmed();
        }
        parts << QStringLiteral("Server=") + Braced(host);
        if (!HasKeyword(extra, QStringLiteral("Port"))) {
            parts << QStringLiteral("Port=") + Braced(port);
        }
    } else {
        parts << QStringLiteral("Server=") + Braced(server);
    }
    if (withDatabase && !params.database.trimmed().isEmpty()) {
        parts << QStringLiteral("Database=") + Braced(params.database.trimmed());
    }
    if (!params.user.isEmpty()) {
        parts << QStringLiteral("UID=") + Braced(params.user);
        parts << QStringLiteral("PWD=") + Braced(params.password);
    }
#ifndef _WIN32
    if (freeTds && !HasKeyword(extra, QStringLiteral("ClientCharset"))) {
        parts << QStringLiteral("ClientCharset=UTF-8");
    }
#endif
    if (!extra.isEmpty()) {
        parts << extra;
    }
    return parts.join(u';');
}

std::optional<QString> OdbcUpdatableTable(const QString& select) {
    const std::optional<std::vector<Token>> parsed = TopLevelTokens(select);
    if (!parsed) {
        return std::nullopt;
    }
    std::vector<Token> tokens = *parsed;
    while (!tokens.empty() && IsSymbol(tokens.back(), u';')) {
        tokens.pop_back();
    }
    std::size_t i = 0;
    const std::size_t n = tokens.size();
    if (n == 0 || !IsKeyword(tokens[0], "SELECT")) {
        return std::nullopt;
    }
    ++i;
    if (i < n && IsKeyword(tokens[i], "ALL")) {
        ++i;
    }
    if (i < n && IsKeyword(tokens[i], "TOP")) {
        ++i;
        if (i < n && (IsSymbol(tokens[i], u'(') || tokens[i].kind == Token::Name)) {
            ++i;
        } else {
            return std::nullopt;
        }
        if (i < n && IsKeyword(tokens[i], "PERCENT")) {
            ++i;
        }
        if (i + 1 < n && IsKeyword(tokens[i], "WITH") && IsKeyword(tokens[i + 1], "TIES")) {
            i += 2;
        }
    }

    // The select list: "*", "t.*" or plain column names, separated by commas.
    bool expectItem = true;
    for (;; ++i) {
        if (i >= n) {
            return std::nullopt;
        }
        const Token& t = tokens[i];
        if (IsKeyword(t, "FROM")) {
            if (expectItem) {
                return std::nullopt;
            }
            break;
        }
        if (expectItem) {
            if (IsSymbol(t, u'*')) {
                expectItem = false;
            } else if (t.kind == Token::Name &&
                       !IsAnyKeyword(t, {"DISTINCT", "INTO", "CASE", "NULL"})) {
                if (i + 2 < n && IsSymbol(tokens[i + 1], u'.') && IsSymbol(tokens[i + 2], u'*')) {
                    i += 2;
                }
                expectItem = false;
            } else {
                return std::nullopt;
            }
        } else if (IsSymbol(t, u',')) {
            expectItem = true;
        } else {
            return std::nullopt;  // an alias, an operator, a call: not a plain column
        }
    }

    ++i;  // past FROM
    if (i >= n || tokens[i].kind != Token::Name) {
        return std::nullopt;
    }
    const QString table = tokens[i].text;
    ++i;
    const auto endsSource = [](const Token& t) {
        return IsAnyKeyword(t, {"WHERE", "ORDER", "OPTION", "WITH", "FOR"});
    };
    if (i < n && IsKeyword(tokens[i], "AS")) {
        i += 2;
    } else if (i < n && tokens[i].kind == Token::Name && !endsSource(tokens[i]) &&
               !IsAnyKeyword(tokens[i], {"JOIN", "INNER", "LEFT", "RIGHT", "FULL", "CROSS", "OUTER",
                                         "UNION", "EXCEPT", "INTERSECT", "GROUP", "HAVING"})) {
        ++i;  // an alias
    }
    if (i < n && !endsSource(tokens[i])) {
        return std::nullopt;  // a join, a second table, grouping
    }
    for (; i < n; ++i) {
        if (IsAnyKeyword(tokens[i],
                         {"JOIN", "APPLY", "UNION", "EXCEPT", "INTERSECT", "GROUP", "HAVING"})) {
            return std::nullopt;
        }
    }
    return table;
}

// --- row set ------------------------------------------------------------------------------

namespace {

class OdbcRowSet final : public RowSet {
public:
    OdbcRowSet(std::shared_ptr<OdbcConnection> connection, std::optional<QString> table,
               std::vector<Column> columns, std::vector<std::vector<Value>> rows)
        : connection_(std::move(connection)),
          table_(std::move(table)),
          columns_(std::move(columns)),
          rows_(std::move(rows)) {}

    int recordCount() const override { return static_cast<int>(rows_.size()); }
    bool eof() const override { return position_ >= rows_.size(); }
    void moveNext() override {
        pending_.clear();
        if (position_ < rows_.size()) {
            ++position_;
        }
    }

    int fieldCount() const override { return static_cast<int>(columns_.size()); }
    QString fieldName(int ordinal) const override {
        return validOrdinal(ordinal) ? columns_[static_cast<std::size_t>(ordinal)].name : QString();
    }
    Value value(int ordinal) const override {
        if (eof() || !validOrdinal(ordinal)) {
            return {};
        }
        const auto written = pending_.find(ordinal);
        return written != pending_.end() ? written->second
                                         : rows_[position_][static_cast<std::size_t>(ordinal)];
    }
    void setValue(int ordinal, const Value& v) override {
        if (!eof() && validOrdinal(ordinal)) {
            pending_[ordinal] = v;
        }
    }

    bool update(DbError& error) override {
        if (!checkWritable(error)) {
            return false;
        }
        if (pending_.empty()) {
            return true;
        }
        std::vector<Param> params;
        QStringList assignments;
        for (const auto& [ordinal, v] : pending_) {
            const Column& column = columns_[static_cast<std::size_t>(ordinal)];
            if (v.isNull()) {
                assignments << QuotedName(column.name) + QStringLiteral(" = NULL");
            } else {
                assignments << QuotedName(column.name) + QStringLiteral(" = ?");
                params.push_back(MakeParam(v, column.wide));
            }
        }
        std::vector<Param> whereParams;
        const QString where = originalValuesClause(whereParams);
        if (where.isEmpty()) {
            error = notUpdatable();
            return false;
        }
        params.insert(params.end(), whereParams.begin(), whereParams.end());
        const QString sql = QStringLiteral("UPDATE ") + *table_ + QStringLiteral(" SET ") +
                            assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") +
                            where;
        if (!writeOneRow(sql, params, where, whereParams, QStringLiteral("updating"), error)) {
            return false;
        }
        for (const auto& [ordinal, v] : pending_) {
            rows_[position_][static_cast<std::size_t>(ordinal)] = v;
        }
        pending_.clear();
        return true;
    }

    bool deleteCurrent(DbError& error) override {
        if (!checkWritable(error)) {
            return false;
        }
        std::vector<Param> params;
        const QString where = originalValuesClause(params);
        if (where.isEmpty()) {
            error = notUpdatable();
            return false;
        }
        std::vector<Param> whereParams = params;
        const QString sql =
            QStringLiteral("DELETE FROM ") + *table_ + QStringLiteral(" WHERE ") + where;
        if (!writeOneRow(sql, params, where, whereParams, QStringLiteral("deleting"), error)) {
            return false;
        }
        pending_.clear();
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(position_));
        return true;
    }

private:
    bool validOrdinal(int ordinal) const {
        return ordinal >= 0 && ordinal < static_cast<int>(columns_.size());
    }

    static DbError notUpdatable() {
        return OwnError(kNotUpdatable,
                        QStringLiteral("Insufficient base table information for updating or "
                                       "refreshing."));
    }

    bool checkWritable(DbError& error) const {
        if (!connection_ || !connection_->connected()) {
            error = ClosedError();
            return false;
        }
        if (eof()) {
            error = OwnError(kNoCurrentRecord,
                             QStringLiteral("Either BOF or EOF is True, or the current record has "
                                            "been deleted. Requested operation requires a current "
                                            "record."));
            return false;
        }
        if (!table_) {
            error = notUpdatable();
            return false;
        }
        return true;
    }

    // "[a] = ? AND [b] IS NULL ..." over the comparable columns' values as read.
    QString originalValuesClause(std::vector<Param>& params) const {
        QStringList terms;
        const std::vector<Value>& row = rows_[position_];
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const Column& column = columns_[i];
            if (!column.comparable || column.name.isEmpty()) {
                continue;
            }
            if (row[i].isNull()) {
                terms << QuotedName(column.name) + QStringLiteral(" IS NULL");
            } else {
                terms << QuotedName(column.name) + QStringLiteral(" = ?");
                params.push_back(MakeParam(row[i], column.wide));
            }
        }
        return terms.join(QStringLiteral(" AND "));
    }

    // Runs the UPDATE or DELETE only when exactly one row holds the values as read.
    bool writeOneRow(const QString& sql, std::vector<Param>& params, const QString& where,
                     std::vector<Param>& whereParams, const QString& verb, DbError& error) {
        WriteUnit unit(*connection_, error);
        if (!unit.ok()) {
            return false;
        }
        Statement counter;
        if (!counter.allocate(*connection_, error) ||
            !counter.execute(QStringLiteral("SELECT COUNT(*) FROM ") + *table_ +
                                 QStringLiteral(" WHERE ") + where,
                             whereParams, error)) {
            return false;
        }
        std::vector<Column> columns;
        std::vector<std::vector<Value>> rows;
        if (!counter.toResultWithColumns(error) || !FetchAll(counter.get(), columns, rows, error)) {
            if (!error.isSet()) {
                error = OwnError(-1, QStringLiteral("The row count gave no result."));
            }
            return false;
        }
        const std::int64_t matching =
            rows.empty() || rows.front().empty() ? 0 : rows.front().front().toInteger();
        if (matching != 1) {
            error = notLocated(verb, matching);
            return false;
        }
        Statement writer;
        if (!writer.allocate(*connection_, error) || !writer.execute(sql, params, error)) {
            return false;
        }
        const std::optional<std::int64_t> affected = writer.rowsAffected(error);
        if (!affected) {
            return false;
        }
        if (*affected != 1) {
            error = notLocated(verb, *affected);
            return false;
        }
        return unit.commit(error);
    }

    static DbError notLocated(const QString& verb, std::int64_t matching) {
        if (matching <= 0) {
            return OwnError(kRowNotLocated,
                            QStringLiteral("Row cannot be located for ") + verb +
                                QStringLiteral(". Some values may have been changed since it "
                                               "was last read."));
        }
        return OwnError(kRowNotLocated,
                        QStringLiteral("Row cannot be located uniquely for %1. %2 rows hold the "
                                       "same values; nothing was changed.")
                            .arg(verb)
                            .arg(matching));
    }

    std::shared_ptr<OdbcConnection> connection_;
    std::optional<QString> table_;
    std::vector<Column> columns_;
    std::vector<std::vector<Value>> rows_;
    std::size_t position_ = 0;
    std::map<int, Value> pending_;
};

}  // namespace

// --- engine -------------------------------------------------------------------------------

OdbcEngine::OdbcEngine(OdbcSettings settings) : settings_(std::move(settings)) {}

OdbcEngine::~OdbcEngine() = default;

std::unique_ptr<OdbcEngine> OdbcEngine::withConnectionString(const QString& connectionString) {
    OdbcSettings settings;
    settings.connectionString = connectionString;
    return std::make_unique<OdbcEngine>(settings);
}

QString OdbcEngine::connectionString(const ConnectParams& params, bool withDatabase) const {
    if (!settings_.connectionString.trimmed().isEmpty()) {
        return settings_.connectionString;
    }
    return OdbcConnectionString(params, settings_.driver, settings_.options, withDatabase);
}

bool OdbcEngine::connect(const ConnectParams& params, DbError& error) {
    close();
    auto connection = std::make_shared<OdbcConnection>();
    if (!connection->open(connectionString(params), params.timeoutSeconds, error)) {
        return false;
    }
    connection_ = std::move(connection);
    return true;
}

bool OdbcEngine::isOpen() const {
    return connection_ && connection_->alive();
}

void OdbcEngine::close() {
    if (connection_) {
        // Row sets still holding the connection see it closed and refuse writes.
        connection_->disconnect();
        connection_.reset();
    }
}

std::optional<std::int64_t> OdbcEngine::execute(const QString& sql, DbError& error) {
    if (!connection_ || !connection_->connected()) {
        error = ClosedError();
        return std::nullopt;
    }
    Statement st;
    std::vector<Param> none;
    if (!st.allocate(*connection_, error) || !st.execute(sql, none, error)) {
        return std::nullopt;
    }
    return st.rowsAffected(error);
}

std::unique_ptr<RowSet> OdbcEngine::openRowSet(const QString& select, DbError& error) {
    if (!connection_ || !connection_->connected()) {
        error = ClosedError();
        return nullptr;
    }
    Statement st;
    std::vector<Param> none;
    if (!st.allocate(*connection_, error) || !st.execute(select, none, error)) {
        return nullptr;
    }
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
    if (!st.toResultWithColumns(error)) {
        if (error.isSet()) {
            return nullptr;
        }
    } else if (!FetchAll(st.get(), columns, rows, error)) {
        return nullptr;
    }
    return std::make_unique<OdbcRowSet>(connection_, OdbcUpdatableTable(select), std::move(columns),
                                        std::move(rows));
}

int OdbcEngine::serverStatus(const ConnectParams& params) {
    OdbcConnection probe;
    DbError ignored;
    return probe.open(connectionString(params, false), params.timeoutSeconds, ignored) ? 1 : 0;
}

std::optional<QStringList> OdbcEngine::databases(const ConnectParams& params, DbError& error) {
    OdbcConnection server;
    if (!server.open(connectionString(params, false), params.timeoutSeconds, error)) {
        return std::nullopt;
    }
    if (server.dbmsName().contains(QStringLiteral("SQL Server"), Qt::CaseInsensitive)) {
        std::optional<QStringList> names =
            QueryNames(server, QStringLiteral("SELECT name FROM sys.databases"), error);
        if (!names) {
            DbError older;
            names = QueryNames(server, QStringLiteral("SELECT name FROM master.dbo.sysdatabases"),
                               older);
            if (names) {
                error.clear();
            }
        }
        return names;
    }
    const QString name = server.databaseName();
    if (name.isEmpty()) {
        return QStringList();
    }
    if (name.contains(u'/') || name.contains(u'\\')) {
        return QStringList{QFileInfo(QString(name).replace(u'\\', u'/')).completeBaseName()};
    }
    return QStringList{name};
}

std::optional<QStringList> OdbcEngine::tables(DbError& error) {
    if (!connection_ || !connection_->connected()) {
        error = ClosedError();
        return std::nullopt;
    }
    Statement st;
    if (!st.allocate(*connection_, error)) {
        return std::nullopt;
    }
    QByteArray type = EncodeText(QStringLiteral("TABLE"));
    const SQLRETURN rc =
        QV_ODBC_API(SQLTables)(st.get(), nullptr, 0, nullptr, 0, nullptr, 0, TextPointer(type),
                               static_cast<SQLSMALLINT>(type.size() / kCharSize));
    if (!SQL_SUCCEEDED(rc)) {
        error = Diagnose(SQL_HANDLE_STMT, st.get(), rc);
        return std::nullopt;
    }
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
    if (!FetchAll(st.get(), columns, rows, error)) {
        return std::nullopt;
    }
    QStringList names;
    for (const std::vector<Value>& row : rows) {
        if (row.size() >= 3) {
            names << row[2].toText();  // TABLE_NAME
        }
    }
    return names;
}

bool OdbcEngine::beginTransaction(DbError& error) {
    if (!connection_ || !connection_->connected()) {
        error = ClosedError();
        return false;
    }
    if (connection_->inTransaction) {
        error = OwnError(kTransactionActive,
                         QStringLiteral("Only one transaction can be active on this session."));
        return false;
    }
    if (!connection_->setAutoCommit(false, error)) {
        return false;
    }
    connection_->inTransaction = true;
    return true;
}

bool OdbcEngine::commit(DbError& error) {
    return endTransaction(true, error);
}

bool OdbcEngine::rollback(DbError& error) {
    return endTransaction(false, error);
}

bool OdbcEngine::endTransaction(bool commit, DbError& error) {
    if (!connection_ || !connection_->connected()) {
        error = ClosedError();
        return false;
    }
    if (!connection_->inTransaction) {
        error = OwnError(kNoTransaction, QStringLiteral("No transaction is active."));
        return false;
    }
    // A failed end leaves the transaction open, so that the caller can still roll it back;
    // turning auto-commit on now would commit it.
    if (!connection_->endTransaction(commit, error)) {
        return false;
    }
    connection_->inTransaction = false;
    DbError ignored;
    connection_->setAutoCommit(true, ignored);
    return true;
}

}  // namespace qv::db
