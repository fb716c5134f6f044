// The ODBC engine (see odbc_engine.h): connecting, statements and row sets on the shared
// connection, the server's status and catalogue on a connection of their own, transactions.

#include "sql/odbc/odbc_engine.h"

#include "sql/odbc/odbc_row_set.h"

#include <QFileInfo>
#include <utility>

namespace qv::db {

using namespace odbc;

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

namespace {

// Runs a statement for its rows on the engine's connection: false with the error filled in
// when it fails; `rows` false when it gives no result with columns.
bool RunForRows(const std::shared_ptr<OdbcConnection>& connection, const QString& select,
                Statement& st, bool& rows, DbError& error) {
    if (!connection || !connection->connected()) {
        error = ClosedError();
        return false;
    }
    std::vector<Param> none;
    if (!st.allocate(*connection, error) || !st.execute(select, none, error)) {
        return false;
    }
    rows = st.toResultWithColumns(error);
    return !error.isSet();
}

}  // namespace

std::unique_ptr<RowSet> OdbcEngine::openRowSet(const QString& select, DbError& error) {
    Statement st;
    bool hasRows = false;
    if (!RunForRows(connection_, select, st, hasRows, error)) {
        return nullptr;
    }
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
    if (hasRows && !FetchAll(st.get(), columns, rows, error)) {
        return nullptr;
    }
    return std::make_unique<OdbcRowSet>(connection_, OdbcUpdatableTable(select), std::move(columns),
                                        std::move(rows));
}

bool OdbcEngine::forEachRow(const QString& select, const std::function<bool(const RowView&)>& onRow,
                            DbError& error) {
    Statement st;
    bool hasRows = false;
    if (!RunForRows(connection_, select, st, hasRows, error)) {
        return false;
    }
    if (!hasRows) {
        return true;
    }
    std::vector<Column> columns;
    if (!DescribeColumns(st.get(), columns, error)) {
        return false;
    }
    QStringList names;
    for (const Column& c : columns) {
        names << c.name;
    }
    return FetchRows(
        st.get(), columns,
        [&](const std::vector<Value>& row) { return onRow(RowView(names, row)); }, error);
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
