// The embedded engine (see sqlite_engine.h): opening and creating database files, the cache
// of translations, the values bound to a statement's parameters, statements and row sets
// handed to the connection, transactions, the catalogue and the query plans.

#include "sql/sqlite/sqlite_engine.h"

#include "sql/sqlite/sqlite_collation.h"
#include "sql/sqlite/sqlite_engine_impl.h"
#include "sql/sqlite/sqlite_errors.h"
#include "sql/sqlite/sqlite_row_set.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <utility>

namespace qv::db {

namespace {

using tsql::Literal;
using tsql::Param;
using tsql::StatementKind;
using tsql::Translation;

constexpr char kDatabaseSuffix[] = ".sqlite";
// 'QVDB', written into the header of the files the engine creates.
constexpr int kApplicationId = 0x51564442;

bool validDatabaseName(const QString& name) {
    if (name.isEmpty() || name == u"." || name == u"..") {
        return false;
    }
    static const QRegularExpression bad(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    return !bad.match(name).hasMatch();
}

RawValue compareValue(const Literal& l) {
    switch (l.kind) {
        case Literal::Kind::Text:
            return RawValue::text(l.text.toUtf8());
        case Literal::Kind::Integer:
            return RawValue::integer(l.integer);
        case Literal::Kind::Number:
            return RawValue::real(l.text.toDouble());
        case Literal::Kind::Null:
            break;
    }
    return {};
}

// A literal to be written, as a value; numbers keep their exact text.
Value literalValue(const Literal& l, bool& numeric) {
    numeric = false;
    switch (l.kind) {
        case Literal::Kind::Text:
            return Value::text(l.text);
        case Literal::Kind::Integer:
            return Value::integer(l.integer);
        case Literal::Kind::Number:
            numeric = true;
            return Value::text(l.text);
        case Literal::Kind::Null:
            break;
    }
    return {};
}

}  // namespace

using detail::ErrorContext;
using detail::notConnected;
using detail::SqliteConnection;
using detail::StmtPtr;
using detail::StmtReset;

std::shared_ptr<const Translation> SqliteEngine::Impl::translation(const QString& sql,
                                                                   DbError& error) {
    if (auto* found = translations.find(sql)) {
        return *found;
    }
    auto t = tsql::translate(sql, error);
    ++translated;
    if (!t) {
        return nullptr;
    }
    return translations.insert(sql, std::make_shared<const Translation>(std::move(*t)));
}

bool SqliteEngine::Impl::requireOpen(DbError& error) const {
    if (!conn || !conn->isOpen()) {
        error = notConnected();
        return false;
    }
    return true;
}

bool SqliteEngine::Impl::bindValues(const Translation& t, std::vector<RawValue>& out,
                                    DbError& error) {
    const detail::TableInfo* info = nullptr;
    for (const Param& p : t.params) {
        if (p.role != Param::Role::Compare && info == nullptr) {
            info = conn->tableInfo(t.table, error);
            if (info == nullptr) {
                return false;
            }
            if (t.kind == StatementKind::Insert && t.params.front().ordinal >= 0 &&
                t.params.size() != info->columns.size()) {
                error = makeDbError(err::kColumnCountMismatch,
                                    QStringLiteral("Column name or number of supplied "
                                                   "values does not match table "
                                                   "definition."));
                return false;
            }
        }
        if (p.role == Param::Role::Compare) {
            out.push_back(compareValue(p.value));
            continue;
        }
        const detail::ColumnInfo* column = p.ordinal >= 0
                                               ? &info->columns[static_cast<size_t>(p.ordinal)]
                                               : info->column(p.column);
        if (column == nullptr) {
            error = makeDbError(err::kInvalidColumn,
                                QStringLiteral("Invalid column name '%1'.").arg(p.column));
            return false;
        }
        if (p.role == Param::Role::ColumnType) {
            out.push_back(RawValue::text(column->declared.toUtf8()));
            continue;
        }
        bool numeric = false;
        const Value v = literalValue(p.value, numeric);
        RawValue stored;
        if (!storeValue(v, numeric, column->type, column->name, stored, error)) {
            return false;
        }
        out.push_back(std::move(stored));
    }
    return true;
}

std::optional<std::int64_t> SqliteEngine::Impl::write(const Translation& t, DbError& error) {
    std::vector<RawValue> values;
    if (!bindValues(t, values, error)) {
        return std::nullopt;
    }
    const ErrorContext ctx{t.kind, t.table};
    sqlite3_stmt* stmt = conn->cached(t.statements.front(), error, ctx);
    if (stmt == nullptr || !conn->stepWith(stmt, values, error, ctx)) {
        return std::nullopt;
    }
    return t.kind == StatementKind::Select ? 0 : sqlite3_changes64(conn->db());
}

SqliteEngine::SqliteEngine(QString folder) : SqliteEngine(std::move(folder), Options()) {}

SqliteEngine::SqliteEngine(QString folder, Options options)
    : folder_(std::move(folder)), options_(options), impl_(std::make_unique<Impl>(options)) {}

SqliteEngine::~SqliteEngine() {
    close();
}

QString SqliteEngine::databaseFile(const QString& name) const {
    return QDir(folder_).filePath(name + QLatin1String(kDatabaseSuffix));
}

bool SqliteEngine::connect(const ConnectParams& params, DbError& error) {
    close();
    const QString name = params.database.trimmed();
    if (!validDatabaseName(name)) {
        error = makeDbError(err::kBadDatabaseName,
                            QStringLiteral("\"%1\" is not a valid database name.").arg(name));
        return false;
    }
    const QDir dir(folder_);
    if (!dir.exists()) {
        error = makeDbError(err::kFolderMissing,
                            QStringLiteral("The database folder \"%1\" does not exist.")
                                .arg(QDir::toNativeSeparators(folder_)));
        return false;
    }
    QString file = databaseFile(name);
    if (!QFileInfo(file).isFile()) {
        // Names match without regard to case, as on the desktop server.
        const QString wanted = name + QLatin1String(kDatabaseSuffix);
        file.clear();
        for (const QString& entry : dir.entryList(QDir::Files)) {
            if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
                file = dir.filePath(entry);
                break;
            }
        }
        if (file.isEmpty()) {
            error = makeDbError(err::kCannotOpenDatabase,
                                QStringLiteral("Cannot open database \"%1\": the file \"%2\" "
                                               "does not exist.")
                                    .arg(name, QDir::toNativeSeparators(databaseFile(name))));
            return false;
        }
    }
    // SQLite reads an empty file as a new empty database, and opening the tables would then
    // create them in it. Databases are never made empty, so this one was cut short.
    if (QFileInfo(file).size() == 0) {
        error = makeDbError(SQLITE_NOTADB,
                            QStringLiteral("The database file \"%1\" is empty: it was cut short.")
                                .arg(QDir::toNativeSeparators(file)),
                            ErrorKind::Damaged);
        return false;
    }
    sqlite3* db = nullptr;
    const int flags =
        (options_.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_EXRESCODE;
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db, flags, nullptr);
    auto conn = std::make_shared<SqliteConnection>(db, file, options_);
    if (rc != SQLITE_OK) {
        error = conn->errorFor(rc, {});
        return false;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, options_.busyTimeoutMs);
    // "text" in double quotes must stay an identifier, never become a string by accident.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, static_cast<int*>(nullptr));
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, static_cast<int*>(nullptr));
    if (const int ext = registerEngineExtensions(db); ext != SQLITE_OK) {
        error = conn->errorFor(ext, {});
        return false;
    }
    // Reading the schema tells a database from any other file.
    if (!conn->run(QStringLiteral("SELECT count(*) FROM sqlite_schema"), error, {}) ||
        !conn->run(QStringLiteral("PRAGMA cache_size = -16384"), error, {}) ||
        !conn->run(QStringLiteral("PRAGMA temp_store = MEMORY"), error, {})) {
        return false;
    }
    impl_->conn = std::move(conn);
    return true;
}

bool SqliteEngine::isOpen() const {
    return impl_->conn && impl_->conn->isOpen();
}

void SqliteEngine::close() {
    if (impl_->conn) {
        impl_->closedPrepares += impl_->conn->prepares();
        impl_->conn->close();
        impl_->conn.reset();
    }
}

std::optional<std::int64_t> SqliteEngine::execute(const QString& sql, DbError& error) {
    if (!impl_->requireOpen(error)) {
        return std::nullopt;
    }
    const auto t = impl_->translation(sql, error);
    if (!t) {
        return std::nullopt;
    }
    switch (t->kind) {
        case StatementKind::Select:
        case StatementKind::Insert:
        case StatementKind::Update:
        case StatementKind::Delete:
            return impl_->write(*t, error);
        case StatementKind::AlterColumn:
            return impl_->alterColumn(*t, error);
        case StatementKind::CreateIndex:
            return impl_->createIndex(*t, error);
        default:
            return impl_->schemaChange(*t, error);
    }
}

std::shared_ptr<const tsql::Translation> SqliteEngine::Impl::select(const QString& sql,
                                                                    std::vector<RawValue>& binds,
                                                                    DbError& error) {
    if (!requireOpen(error)) {
        return nullptr;
    }
    auto t = translation(sql, error);
    if (!t) {
        return nullptr;
    }
    if (t->kind != StatementKind::Select) {
        error =
            makeDbError(err::kNotSelect, QStringLiteral("A row set can only be opened on a SELECT "
                                                        "statement."));
        return nullptr;
    }
    return bindValues(*t, binds, error) ? t : nullptr;
}

std::unique_ptr<RowSet> SqliteEngine::openRowSet(const QString& select, DbError& error) {
    std::vector<RawValue> binds;
    const auto t = impl_->select(select, binds, error);
    return t ? detail::buildRowSet(impl_->conn, *t, binds, error) : nullptr;
}

bool SqliteEngine::forEachRow(const QString& select,
                              const std::function<bool(const RowView&)>& onRow, DbError& error) {
    std::vector<RawValue> binds;
    const auto t = impl_->select(select, binds, error);
    return t && detail::streamRows(*impl_->conn, *t, binds, onRow, error);
}

int SqliteEngine::serverStatus(const ConnectParams&) {
    return QFileInfo(folder_).isDir() ? 1 : 0;
}

std::optional<QStringList> SqliteEngine::databases(const ConnectParams&, DbError& error) {
    const QDir dir(folder_);
    if (!dir.exists()) {
        error = makeDbError(err::kFolderMissing,
                            QStringLiteral("The database folder \"%1\" does not exist.")
                                .arg(QDir::toNativeSeparators(folder_)));
        return std::nullopt;
    }
    QStringList names;
    const qsizetype suffix = QLatin1String(kDatabaseSuffix).size();
    for (const QString& entry :
         dir.entryList({QStringLiteral("*") + QLatin1String(kDatabaseSuffix)}, QDir::Files)) {
        names.append(entry.chopped(suffix));
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

std::optional<QStringList> SqliteEngine::tables(DbError& error) {
    if (!impl_->requireOpen(error)) {
        return std::nullopt;
    }
    sqlite3_stmt* stmt = impl_->conn->cached(
        QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' AND "
                       "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name COLLATE NOCASE"),
        error, {});
    if (stmt == nullptr) {
        return std::nullopt;
    }
    StmtReset reset(stmt);
    QStringList names;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        names.append(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
    }
    if (rc != SQLITE_DONE) {
        error = impl_->conn->errorFor(rc, {});
        return std::nullopt;
    }
    return names;
}

bool SqliteEngine::beginTransaction(DbError& error) {
    return impl_->requireOpen(error) &&
           impl_->conn->run(QStringLiteral("BEGIN IMMEDIATE"), error, {});
}

bool SqliteEngine::commit(DbError& error) {
    return impl_->requireOpen(error) && impl_->conn->run(QStringLiteral("COMMIT"), error, {});
}

bool SqliteEngine::rollback(DbError& error) {
    return impl_->requireOpen(error) && impl_->conn->run(QStringLiteral("ROLLBACK"), error, {});
}

bool SqliteEngine::createDatabase(const QString& name, DbError& error) {
    const QString trimmed = name.trimmed();
    if (!validDatabaseName(trimmed)) {
        error = makeDbError(err::kBadDatabaseName,
                            QStringLiteral("\"%1\" is not a valid database name.").arg(trimmed));
        return false;
    }
    if (!QDir().mkpath(folder_)) {
        error = makeDbError(err::kFolderMissing,
                            QStringLiteral("The database folder \"%1\" cannot be created.")
                                .arg(QDir::toNativeSeparators(folder_)));
        return false;
    }
    DbError ignored;
    const auto existing = databases({}, ignored);
    if (existing && existing->contains(trimmed, Qt::CaseInsensitive)) {
        error = makeDbError(err::kDatabaseExists,
                            QStringLiteral("Database '%1' already exists. Choose a different "
                                           "database name.")
                                .arg(trimmed));
        return false;
    }
    const QString file = databaseFile(trimmed);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXRESCODE,
                             nullptr);
    if (rc == SQLITE_OK) {
        // Writing the header makes the file a database at once, not an empty file.
        const QByteArray pragma =
            QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId).toUtf8();
        rc = sqlite3_exec(db, pragma.constData(), nullptr, nullptr, nullptr);
    }
    const QString message =
        QString::fromUtf8(db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK) {
        QFile::remove(file);
        error = makeDbError(rc, QStringLiteral("The database file \"%1\" cannot be created (%2).")
                                    .arg(QDir::toNativeSeparators(file), message));
        return false;
    }
    return true;
}

std::optional<QStringList> SqliteEngine::explainQueryPlan(const QString& sql, DbError& error) {
    if (!impl_->requireOpen(error)) {
        return std::nullopt;
    }
    const auto t = impl_->translation(sql, error);
    if (!t) {
        return std::nullopt;
    }
    if (t->statements.isEmpty()) {
        error =
            makeDbError(err::kNotSupported, QStringLiteral("This statement has no query plan."));
        return std::nullopt;
    }
    std::vector<RawValue> binds;
    if (!impl_->bindValues(*t, binds, error)) {
        return std::nullopt;
    }
    const ErrorContext ctx{t->kind, t->table};
    const QByteArray utf8 =
        (QStringLiteral("EXPLAIN QUERY PLAN ") + t->statements.front()).toUtf8();
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(impl_->conn->db(), utf8.constData(), static_cast<int>(utf8.size()),
                                &raw, nullptr);
    StmtPtr stmt(raw);
    if (rc != SQLITE_OK) {
        error = impl_->conn->errorFor(rc, ctx);
        return std::nullopt;
    }
    for (size_t i = 0; i < binds.size(); ++i) {
        bindRaw(stmt.get(), static_cast<int>(i) + 1, binds[i]);
    }
    QStringList lines;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        lines.append(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 3))));
    }
    if (rc != SQLITE_DONE) {
        error = impl_->conn->errorFor(rc, ctx);
        return std::nullopt;
    }
    return lines;
}

std::int64_t SqliteEngine::prepareCount() const {
    return impl_->closedPrepares + (impl_->conn ? impl_->conn->prepares() : 0);
}

std::int64_t SqliteEngine::translationCount() const {
    return impl_->translated;
}

}  // namespace qv::db
