// The ODBC engine's connection: the connection string built from the settings, and one open
// connection with its environment, its transaction state and the driver's facts.

#include "sql/odbc/odbc_connection.h"

#include <algorithm>

namespace qv::db {

using namespace odbc;

namespace {

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

}  // namespace

bool OdbcConnection::open(const QString& connectionString, int timeoutSeconds, DbError& error) {
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
    const SQLRETURN rc = QV_ODBC_API(SQLDriverConnect)(
        dbc_.get(), nullptr, TextPointer(text), static_cast<SQLSMALLINT>(text.size() / kCharSize),
        nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        std::vector<DiagRecord> records = ReadDiagnostics(SQL_HANDLE_DBC, dbc_.get());
        const bool driverMissing =
            std::any_of(records.begin(), records.end(), [](const DiagRecord& r) {
                return r.state == QStringLiteral("IM002") || r.state == QStringLiteral("IM003") ||
                       r.message.contains(QStringLiteral("Can't open lib"));
            });
        error = ErrorFromRecords(std::move(records), rc);
        if (driverMissing) {
            const QString driver = ConnectionKeyword(connectionString, QStringLiteral("Driver"));
            error.description +=
                driver.isEmpty() ? QStringLiteral(" The connection string names no ODBC driver.")
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

void OdbcConnection::disconnect() {
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

bool OdbcConnection::alive() const {
    if (!connected_) {
        return false;
    }
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN rc = SQLGetConnectAttr(dbc_.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return !SQL_SUCCEEDED(rc) || dead != SQL_CD_TRUE;
}

bool OdbcConnection::setAutoCommit(bool on, DbError& error) {
    const SQLRETURN rc =
        SQLSetConnectAttr(dbc_.get(), SQL_ATTR_AUTOCOMMIT,
                          IntegerAttribute(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
    if (!SQL_SUCCEEDED(rc)) {
        error = Diagnose(SQL_HANDLE_DBC, dbc_.get(), rc);
        return false;
    }
    return true;
}

bool OdbcConnection::endTransaction(bool commit, DbError& error) {
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), commit ? SQL_COMMIT : SQL_ROLLBACK);
    if (!SQL_SUCCEEDED(rc)) {
        error = Diagnose(SQL_HANDLE_DBC, dbc_.get(), rc);
        return false;
    }
    return true;
}

QString OdbcConnection::info(SQLUSMALLINT type) const {
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

}  // namespace qv::db
