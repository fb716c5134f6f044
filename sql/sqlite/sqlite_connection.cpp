// One open database file of the embedded engine: its statement cache, the statements it runs,
// the definitions of its tables, the errors SQLite reports worded as the desktop server words
// them; and the unit that runs a group of writes as one transaction or savepoint.

#include "sql/sqlite/sqlite_connection.h"

#include "sql/sqlite/sqlite_errors.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace qv::db::detail {

namespace {

using tsql::StatementKind;

// Index names carry their table as a prefix in SQLite; messages show the server's name.
QString serverIndexName(const QString& table, QString index) {
    const QString prefix = table + QStringLiteral("__");
    if (index.startsWith(prefix, Qt::CaseInsensitive)) {
        index = index.mid(prefix.size());
    }
    if (index.endsWith(QStringLiteral("__ltrim"))) {
        index.chop(7);
    }
    return index;
}

QString afterPrefix(const QString& message, const QString& prefix) {
    return message.mid(prefix.size()).trimmed();
}

QString withoutSchema(QString name) {
    if (name.startsWith(QStringLiteral("main."))) {
        name = name.mid(5);
    }
    return name;
}

}  // namespace

DbError notConnected() {
    return makeDbError(err::kNotConnected, QStringLiteral("No database is open."));
}

void SqliteConnection::close() {
    statements_.clear();
    tables_.clear();
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

sqlite3_stmt* SqliteConnection::cached(const QString& sql, DbError& error,
                                       const ErrorContext& ctx) {
    CachedStatement* entry = cachedEntry(sql, error, ctx);
    return entry != nullptr ? entry->stmt.get() : nullptr;
}

void SqliteConnection::resultShape(CachedStatement& entry, int visible) {
    sqlite3_stmt* stmt = entry.stmt.get();
    const int reprepares = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
    if (reprepares == entry.reprepares && entry.names.size() == visible) {
        return;
    }
    entry.names.clear();
    entry.types.clear();
    for (int c = 0; c < visible; ++c) {
        entry.names.append(QString::fromUtf8(sqlite3_column_name(stmt, c)));
        entry.types.push_back(ColumnType::parse(sqlite3_column_decltype(stmt, c)));
    }
    entry.reprepares = reprepares;
}

SqliteConnection::CachedStatement* SqliteConnection::cachedEntry(const QString& sql, DbError& error,
                                                                 const ErrorContext& ctx) {
    if (db_ == nullptr) {
        error = notConnected();
        return nullptr;
    }
    if (CachedStatement* found = statements_.find(sql)) {
        return found;
    }
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db_, utf8.constData(), static_cast<int>(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    ++prepares_;
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        error = errorFor(rc, ctx);
        return nullptr;
    }
    return &statements_.insert(sql, CachedStatement{StmtPtr(stmt), -1, {}, {}});
}

bool SqliteConnection::run(const QString& sql, DbError& error, const ErrorContext& ctx) {
    if (db_ == nullptr) {
        error = notConnected();
        return false;
    }
    sqlite3_stmt* raw = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    int rc =
        sqlite3_prepare_v2(db_, utf8.constData(), static_cast<int>(utf8.size()), &raw, nullptr);
    StmtPtr stmt(raw);
    if (rc == SQLITE_OK) {
        do {
            rc = sqlite3_step(stmt.get());
        } while (rc == SQLITE_ROW);
    }
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        error = errorFor(rc, ctx);
        return false;
    }
    return true;
}

bool SqliteConnection::stepWith(sqlite3_stmt* stmt, const std::vector<RawValue>& values,
                                DbError& error, const ErrorContext& ctx) {
    StmtReset reset(stmt);
    for (size_t i = 0; i < values.size(); ++i) {
        const int rc = bindRaw(stmt, static_cast<int>(i) + 1, values[i]);
        if (rc != SQLITE_OK) {
            error = errorFor(rc, ctx);
            return false;
        }
    }
    int rc;
    do {
        rc = sqlite3_step(stmt);
    } while (rc == SQLITE_ROW);
    if (rc != SQLITE_DONE) {
        error = errorFor(rc, ctx);
        return false;
    }
    return true;
}

const TableInfo* SqliteConnection::tableInfo(const QString& table, DbError& error) {
    if (db_ == nullptr) {
        error = notConnected();
        return nullptr;
    }
    // Another connection may have changed the schema: the cookie tells.
    sqlite3_stmt* version = cached(QStringLiteral("PRAGMA schema_version"), error, {});
    if (version == nullptr) {
        return nullptr;
    }
    int cookie = -1;
    {
        StmtReset reset(version);
        const int rc = sqlite3_step(version);
        if (rc != SQLITE_ROW) {
            error = errorFor(rc, {});
            return nullptr;
        }
        cookie = sqlite3_column_int(version, 0);
    }
    if (cookie != schemaCookie_) {
        tables_.clear();
        schemaCookie_ = cookie;
    }
    const QString key = table.toLower();
    if (const auto it = tables_.find(key); it != tables_.end()) {
        return &it->second;
    }
    sqlite3_stmt* stmt =
        cached(QStringLiteral("SELECT t.name, c.name, c.type, c.\"notnull\", c.dflt_value "
                              "FROM sqlite_schema AS t, pragma_table_info(t.name) AS c "
                              "WHERE t.type = 'table' AND t.name = ?1 COLLATE NOCASE "
                              "ORDER BY c.cid"),
               error, {});
    if (stmt == nullptr) {
        return nullptr;
    }
    TableInfo info;
    {
        StmtReset reset(stmt);
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(stmt, 1, name.constData(), static_cast<int>(name.size()),
                          SQLITE_TRANSIENT);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            auto text = [stmt](int i) {
                return QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
            };
            info.name = text(0);
            ColumnInfo c;
            c.name = text(1);
            c.declared = text(2);
            c.type = ColumnType::parse(c.declared);
            c.notNull = sqlite3_column_int(stmt, 3) != 0;
            c.defaultSql = text(4);
            info.columns.push_back(std::move(c));
        }
        if (rc != SQLITE_DONE) {
            error = errorFor(rc, {});
            return nullptr;
        }
    }
    if (info.columns.empty()) {
        error = makeDbError(err::kInvalidObject,
                            QStringLiteral("Invalid object name '%1'.").arg(table));
        return nullptr;
    }
    return &tables_.emplace(key, std::move(info)).first->second;
}

std::optional<QList<QStringList>> SqliteConnection::textRows(const QString& sql,
                                                             const QStringList& binds,
                                                             DbError& error,
                                                             const ErrorContext& ctx) {
    sqlite3_stmt* stmt = cached(sql, error, ctx);
    if (stmt == nullptr) {
        return std::nullopt;
    }
    StmtReset reset(stmt);
    for (qsizetype i = 0; i < binds.size(); ++i) {
        const QByteArray v = binds[i].toUtf8();
        sqlite3_bind_text(stmt, static_cast<int>(i) + 1, v.constData(), static_cast<int>(v.size()),
                          SQLITE_TRANSIENT);
    }
    QList<QStringList> rows;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            row.append(text != nullptr ? QString::fromUtf8(text) : QString());
        }
        rows.append(row);
    }
    if (rc != SQLITE_DONE) {
        error = errorFor(rc, ctx);
        return std::nullopt;
    }
    return rows;
}

DbError SqliteConnection::errorFor(int rc, const ErrorContext& ctx) {
    const int primary = rc & 0xff;
    const QString message = db_ != nullptr ? QString::fromUtf8(sqlite3_errmsg(db_))
                                           : QString::fromUtf8(sqlite3_errstr(rc));
    const QString fileName = QFileInfo(file_).fileName();
    switch (primary) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return makeDbError(
                rc,
                QStringLiteral("The database is locked by another connection and was "
                               "not released within %1 seconds; the statement was not "
                               "run.")
                    .arg(QString::number(options_.busyTimeoutMs / 1000.0)),
                ErrorKind::Busy);
        case SQLITE_READONLY:
            return makeDbError(rc,
                               QStringLiteral("The database \"%1\" is read-only; the "
                                              "change was not made (%2).")
                                   .arg(fileName, message),
                               ErrorKind::ReadOnly);
        case SQLITE_NOTADB:
            return makeDbError(rc, QStringLiteral("The file \"%1\" is not a database.").arg(file_),
                               ErrorKind::Damaged);
        case SQLITE_CORRUPT:
            return makeDbError(
                rc, QStringLiteral("The database file \"%1\" is damaged (%2).").arg(file_, message),
                ErrorKind::Damaged);
        case SQLITE_FULL:
            return makeDbError(rc,
                               QStringLiteral("The disk is full; the change was not "
                                              "made."),
                               ErrorKind::DiskFull);
        case SQLITE_IOERR:
            return makeDbError(rc, QStringLiteral("The database file \"%1\" could not be "
                                                  "read or written (%2).")
                                       .arg(file_, message));
        case SQLITE_CANTOPEN:
            return makeDbError(
                rc, QStringLiteral("The database file \"%1\" cannot be opened.").arg(file_));
        case SQLITE_CONSTRAINT:
            return constraintError(rc, message, ctx);
        default:
            break;
    }
    static const QRegularExpression coded(QStringLiteral("^\\[(-?\\d+)\\] (.*)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    if (const auto m = coded.match(message); m.hasMatch()) {
        return makeDbError(m.captured(1).toInt(), m.captured(2));
    }
    if (message.startsWith(QStringLiteral("no such table: "))) {
        const QString name = withoutSchema(afterPrefix(message, QStringLiteral("no such table: ")));
        return makeDbError(err::kInvalidObject,
                           QStringLiteral("Invalid object name '%1'.").arg(name));
    }
    if (message.startsWith(QStringLiteral("no such column: "))) {
        QString name = afterPrefix(message, QStringLiteral("no such column: "));
        name.remove(u'"');
        if (ctx.kind == StatementKind::RenameColumn) {
            return makeDbError(err::kRenameNoColumn,
                               QStringLiteral("Either the parameter @objname is ambiguous or "
                                              "the claimed @objtype (COLUMN) is wrong."));
        }
        return makeDbError(err::kInvalidColumn,
                           QStringLiteral("Invalid column name '%1'.").arg(name));
    }
    static const QRegularExpression exists(QStringLiteral("^(table|index) (\\S+) already exists$"));
    if (const auto m = exists.match(message); m.hasMatch()) {
        const QString name = withoutSchema(m.captured(2)).remove(u'"');
        if (m.captured(1) == u"table") {
            return makeDbError(
                err::kObjectExists,
                QStringLiteral("There is already an object named '%1' in the database.").arg(name));
        }
        return makeDbError(err::kIndexExists,
                           QStringLiteral("The operation failed because an index or "
                                          "statistics with name '%1' already exists on "
                                          "table '%2'.")
                               .arg(serverIndexName(ctx.table, name), ctx.table));
    }
    if (message.startsWith(QStringLiteral("no such index: "))) {
        const QString name = withoutSchema(afterPrefix(message, QStringLiteral("no such index: ")));
        return makeDbError(err::kCannotDropIndex,
                           QStringLiteral("Cannot drop the index '%1.%2', because it does "
                                          "not exist or you do not have permission.")
                               .arg(ctx.table, serverIndexName(ctx.table, name)));
    }
    if (message.startsWith(QStringLiteral("duplicate column name: "))) {
        return makeDbError(
            err::kDuplicateColumn,
            QStringLiteral("Column names in each table must be unique. Column name '%1' in "
                           "table '%2' is specified more than once.")
                .arg(afterPrefix(message, QStringLiteral("duplicate column name: ")), ctx.table));
    }
    static const QRegularExpression count(
        QStringLiteral("^table \\S+ has \\d+ columns but \\d+ values were supplied$"));
    if (count.match(message).hasMatch()) {
        return makeDbError(err::kColumnCountMismatch,
                           QStringLiteral("Column name or number of supplied values does "
                                          "not match table definition."));
    }
    return makeDbError(rc, message);
}

DbError SqliteConnection::constraintError(int rc, const QString& message, const ErrorContext& ctx) {
    const QString verb =
        ctx.kind == StatementKind::Update ? QStringLiteral("UPDATE") : QStringLiteral("INSERT");
    if (rc == SQLITE_CONSTRAINT_NOTNULL) {
        const QString target = afterPrefix(message, QStringLiteral("NOT NULL constraint failed:"));
        const qsizetype dot = target.lastIndexOf(u'.');
        return makeDbError(
            err::kNullNotAllowed,
            QStringLiteral("Cannot insert the value NULL into column '%1', "
                           "table '%2'; column does not allow nulls. %3 "
                           "fails.")
                .arg(target.mid(dot + 1), target.left(std::max<qsizetype>(dot, 0)), verb));
    }
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
        const QString target = afterPrefix(message, QStringLiteral("UNIQUE constraint failed:"));
        QString table = ctx.table;
        QString index;
        if (target.startsWith(QStringLiteral("index '"))) {
            index = target.mid(7).chopped(1);
        } else {
            QStringList columns;
            for (const QString& part : target.split(QStringLiteral(", "))) {
                const qsizetype dot = part.indexOf(u'.');
                table = part.left(dot);
                columns.append(part.mid(dot + 1));
            }
            index = uniqueIndexOn(table, columns);
        }
        if (index.isEmpty()) {
            return makeDbError(err::kDuplicateKey,
                               QStringLiteral("Cannot insert duplicate key row in object "
                                              "'%1'.")
                                   .arg(table),
                               ErrorKind::DuplicateKey);
        }
        return makeDbError(err::kDuplicateKey,
                           QStringLiteral("Cannot insert duplicate key row in object '%1' "
                                          "with unique index '%2'.")
                               .arg(table, serverIndexName(table, index)),
                           ErrorKind::DuplicateKey);
    }
    return makeDbError(rc, message);
}

QString SqliteConnection::uniqueIndexOn(const QString& table, const QStringList& columns) {
    const QString sql = QStringLiteral(
        "SELECT il.name, group_concat(ii.name, ',') FROM pragma_index_list(?1) AS il, "
        "pragma_index_info(il.name) AS ii WHERE il.\"unique\" = 1 GROUP BY il.name");
    sqlite3_stmt* raw = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, utf8.constData(), -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return {};
    }
    StmtPtr stmt(raw);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(stmt.get(), 1, name.constData(), static_cast<int>(name.size()),
                      SQLITE_TRANSIENT);
    const QString wanted = columns.join(u',').toLower();
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const QString cols =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1)));
        if (cols.toLower() == wanted) {
            return QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
        }
    }
    return {};
}

bool WriteUnit::begin(DbError& error) {
    nested_ = sqlite3_get_autocommit(c_.db()) == 0;
    active_ =
        c_.run(nested_ ? QStringLiteral("SAVEPOINT qv_unit") : QStringLiteral("BEGIN IMMEDIATE"),
               error, ctx_);
    return active_;
}

bool WriteUnit::end(bool keep, DbError& error) {
    active_ = false;
    if (keep) {
        if (c_.run(nested_ ? QStringLiteral("RELEASE qv_unit") : QStringLiteral("COMMIT"), error,
                   ctx_)) {
            return true;
        }
    }
    DbError ignored;
    if (nested_) {
        c_.run(QStringLiteral("ROLLBACK TO qv_unit"), ignored, ctx_);
        c_.run(QStringLiteral("RELEASE qv_unit"), ignored, ctx_);
    } else if (sqlite3_get_autocommit(c_.db()) == 0) {
        c_.run(QStringLiteral("ROLLBACK"), ignored, ctx_);
    }
    return false;
}

}  // namespace qv::db::detail
