#include "sql/sqlite/sqlite_engine.h"

#include "sql/sqlite/sqlite_collation.h"
#include "sql/sqlite/sqlite_errors.h"
#include "sql/sqlite/sqlite_types.h"
#include "sql/sqlite/tsql_translator.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <list>
#include <map>
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

// A most-recently-used cache: find() refreshes an entry, insert() drops the oldest beyond the
// capacity (destroying its value).
template <class V>
class LruCache {
public:
    explicit LruCache(size_t capacity) : capacity_(std::max<size_t>(capacity, 2)) {}

    V* find(const QString& key) {
        const auto it = index_.find(key);
        if (it == index_.end()) {
            return nullptr;
        }
        lru_.splice(lru_.begin(), lru_, it.value());
        return &it.value()->second;
    }

    V& insert(const QString& key, V value) {
        if (const auto it = index_.find(key); it != index_.end()) {
            lru_.erase(it.value());
            index_.erase(it);
        }
        lru_.emplace_front(key, std::move(value));
        index_.insert(key, lru_.begin());
        while (lru_.size() > capacity_) {
            index_.remove(lru_.back().first);
            lru_.pop_back();
        }
        return lru_.front().second;
    }

    void clear() {
        index_.clear();
        lru_.clear();
    }

private:
    using Entry = std::pair<QString, V>;
    size_t capacity_;
    std::list<Entry> lru_;
    QHash<QString, typename std::list<Entry>::iterator> index_;
};

struct StmtFinalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

// Leaves a cached statement ready for its next use.
class StmtReset {
public:
    explicit StmtReset(sqlite3_stmt* s) : s_(s) {}
    ~StmtReset() {
        if (s_ != nullptr) {
            sqlite3_reset(s_);
            sqlite3_clear_bindings(s_);
        }
    }
    StmtReset(const StmtReset&) = delete;
    StmtReset& operator=(const StmtReset&) = delete;

private:
    sqlite3_stmt* s_;
};

bool validDatabaseName(const QString& name) {
    if (name.isEmpty() || name == u"." || name == u"..") {
        return false;
    }
    static const QRegularExpression bad(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    return !bad.match(name).hasMatch();
}

DbError notConnected() {
    return makeDbError(err::kNotConnected, QStringLiteral("No database is open."));
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

namespace detail {

struct ColumnInfo {
    QString name;
    QString declared;
    ColumnType type;
    bool notNull = false;
    QString defaultSql;
};

struct TableInfo {
    QString name;  // as the database spells it
    std::vector<ColumnInfo> columns;

    const ColumnInfo* column(const QString& name) const {
        for (const ColumnInfo& c : columns) {
            if (c.name.compare(name, Qt::CaseInsensitive) == 0) {
                return &c;
            }
        }
        return nullptr;
    }
};

struct ErrorContext {
    StatementKind kind = StatementKind::Select;
    QString table;
};

// One open database file, shared by the engine and its row sets.
class SqliteConnection {
public:
    SqliteConnection(sqlite3* db, QString file, const SqliteEngine::Options& options)
        : db_(db),
          file_(std::move(file)),
          options_(options),
          statements_(static_cast<size_t>(options.statementCacheSize)) {}
    ~SqliteConnection() { close(); }
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    bool isOpen() const { return db_ != nullptr; }
    sqlite3* db() const { return db_; }
    const QString& file() const { return file_; }
    std::int64_t prepares() const { return prepares_; }

    void close() {
        statements_.clear();
        tables_.clear();
        if (db_ != nullptr) {
            sqlite3_close_v2(db_);
            db_ = nullptr;
        }
    }

    // A prepared statement of the cache with the shape of its result, worked out once: a read
    // needs the columns' names and declared types on every call, and parsing the declarations
    // each time cost more than SQLite's own work for a one-row read.
    struct CachedStatement {
        StmtPtr stmt;
        int reprepares = -1;  // SQLite's count when the shape was taken
        QStringList names;
        std::vector<ColumnType> types;
    };

    // A prepared statement from the cache (prepared on first use); reset it after use.
    sqlite3_stmt* cached(const QString& sql, DbError& error, const ErrorContext& ctx) {
        CachedStatement* entry = cachedEntry(sql, error, ctx);
        return entry != nullptr ? entry->stmt.get() : nullptr;
    }

    // The names and declared types of the first `visible` result columns, as of the statement's
    // latest preparation (SQLite prepares a statement again after a schema change, and the
    // columns may change with it). Call after the first step.
    void resultShape(CachedStatement& entry, int visible) {
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

    CachedStatement* cachedEntry(const QString& sql, DbError& error, const ErrorContext& ctx) {
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

    // Runs one statement that is not worth caching (schema work, transactions).
    bool run(const QString& sql, DbError& error, const ErrorContext& ctx) {
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

    // Binds values to ?1.. and steps to the end; the rows a SELECT gives are ignored.
    bool stepWith(sqlite3_stmt* stmt, const std::vector<RawValue>& values, DbError& error,
                  const ErrorContext& ctx) {
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

    // Column definitions of a table; nothing (with "Invalid object name") when it is missing.
    const TableInfo* tableInfo(const QString& table, DbError& error) {
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

    void forgetSchema() { tables_.clear(); }

    // Rows of a catalogue query as text (Null as a null QString); nothing on error.
    std::optional<QList<QStringList>> textRows(const QString& sql, const QStringList& binds,
                                               DbError& error, const ErrorContext& ctx) {
        sqlite3_stmt* stmt = cached(sql, error, ctx);
        if (stmt == nullptr) {
            return std::nullopt;
        }
        StmtReset reset(stmt);
        for (qsizetype i = 0; i < binds.size(); ++i) {
            const QByteArray v = binds[i].toUtf8();
            sqlite3_bind_text(stmt, static_cast<int>(i) + 1, v.constData(),
                              static_cast<int>(v.size()), SQLITE_TRANSIENT);
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

    // The error SQLite reports after rc, worded as the desktop server words it where there is
    // a counterpart.
    DbError errorFor(int rc, const ErrorContext& ctx) {
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
                return makeDbError(rc,
                                   QStringLiteral("The file \"%1\" is not a database.").arg(file_),
                                   ErrorKind::Damaged);
            case SQLITE_CORRUPT:
                return makeDbError(
                    rc,
                    QStringLiteral("The database file \"%1\" is damaged (%2).").arg(file_, message),
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
            const QString name =
                withoutSchema(afterPrefix(message, QStringLiteral("no such table: ")));
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
        static const QRegularExpression exists(
            QStringLiteral("^(table|index) (\\S+) already exists$"));
        if (const auto m = exists.match(message); m.hasMatch()) {
            const QString name = withoutSchema(m.captured(2)).remove(u'"');
            if (m.captured(1) == u"table") {
                return makeDbError(
                    err::kObjectExists,
                    QStringLiteral("There is already an object named '%1' in the database.")
                        .arg(name));
            }
            return makeDbError(err::kIndexExists,
                               QStringLiteral("The operation failed because an index or "
                                              "statistics with name '%1' already exists on "
                                              "table '%2'.")
                                   .arg(serverIndexName(ctx.table, name), ctx.table));
        }
        if (message.startsWith(QStringLiteral("no such index: "))) {
            const QString name =
                withoutSchema(afterPrefix(message, QStringLiteral("no such index: ")));
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
                    .arg(afterPrefix(message, QStringLiteral("duplicate column name: ")),
                         ctx.table));
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

private:
    DbError constraintError(int rc, const QString& message, const ErrorContext& ctx) {
        const QString verb =
            ctx.kind == StatementKind::Update ? QStringLiteral("UPDATE") : QStringLiteral("INSERT");
        if (rc == SQLITE_CONSTRAINT_NOTNULL) {
            const QString target =
                afterPrefix(message, QStringLiteral("NOT NULL constraint failed:"));
            const qsizetype dot = target.lastIndexOf(u'.');
            return makeDbError(
                err::kNullNotAllowed,
                QStringLiteral("Cannot insert the value NULL into column '%1', "
                               "table '%2'; column does not allow nulls. %3 "
                               "fails.")
                    .arg(target.mid(dot + 1), target.left(std::max<qsizetype>(dot, 0)), verb));
        }
        if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
            const QString target =
                afterPrefix(message, QStringLiteral("UNIQUE constraint failed:"));
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

    // The unique index of a table over exactly these columns, for the duplicate key message.
    QString uniqueIndexOn(const QString& table, const QStringList& columns) {
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
            const QString cols = QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1)));
            if (cols.toLower() == wanted) {
                return QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
            }
        }
        return {};
    }

    sqlite3* db_;
    QString file_;
    SqliteEngine::Options options_;
    LruCache<CachedStatement> statements_;
    std::map<QString, TableInfo> tables_;
    int schemaCookie_ = -1;
    std::int64_t prepares_ = 0;
};

// Runs a group of statements as one unit: its own transaction when none is open, else a
// savepoint inside the caller's.
class WriteUnit {
public:
    WriteUnit(SqliteConnection& c, const ErrorContext& ctx) : c_(c), ctx_(ctx) {}
    ~WriteUnit() {
        if (active_) {
            DbError ignored;
            end(false, ignored);
        }
    }
    WriteUnit(const WriteUnit&) = delete;
    WriteUnit& operator=(const WriteUnit&) = delete;

    bool begin(DbError& error) {
        nested_ = sqlite3_get_autocommit(c_.db()) == 0;
        active_ = c_.run(
            nested_ ? QStringLiteral("SAVEPOINT qv_unit") : QStringLiteral("BEGIN IMMEDIATE"),
            error, ctx_);
        return active_;
    }

    bool end(bool keep, DbError& error) {
        active_ = false;
        if (keep) {
            if (c_.run(nested_ ? QStringLiteral("RELEASE qv_unit") : QStringLiteral("COMMIT"),
                       error, ctx_)) {
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

private:
    SqliteConnection& c_;
    ErrorContext ctx_;
    bool nested_ = false;
    bool active_ = false;
};

// --- row sets -------------------------------------------------------------------------------

class SqliteRowSet final : public RowSet {
public:
    SqliteRowSet(std::shared_ptr<SqliteConnection> conn, QString table, QStringList names,
                 std::vector<ColumnType> types, std::vector<RawValue> cells,
                 std::vector<std::int64_t> rowids)
        : conn_(std::move(conn)),
          table_(std::move(table)),
          names_(std::move(names)),
          types_(std::move(types)),
          cells_(std::move(cells)),
          rowids_(std::move(rowids)) {}

    int recordCount() const override { return rows(); }
    bool eof() const override { return current_ >= rows(); }
    void moveNext() override {
        if (current_ < rows()) {
            ++current_;
        }
        pending_.clear();
    }

    int fieldCount() const override { return static_cast<int>(names_.size()); }
    QString fieldName(int ordinal) const override {
        return validOrdinal(ordinal) ? names_[ordinal] : QString();
    }

    Value value(int ordinal) const override {
        if (!validOrdinal(ordinal) || eof()) {
            return {};
        }
        if (const auto it = pending_.find(ordinal); it != pending_.end()) {
            // Show a written value as it will read back once stored.
            RawValue stored;
            DbError ignored;
            if (storeValue(it->second, false, types_[ordinal], names_[ordinal], stored, ignored)) {
                return presentValue(stored, types_[ordinal]);
            }
            return it->second;
        }
        return presentValue(cell(current_, ordinal), types_[ordinal]);
    }

    void setValue(int ordinal, const Value& v) override {
        if (validOrdinal(ordinal) && !eof()) {
            pending_[ordinal] = v;
        }
    }

    bool update(DbError& error) override {
        if (pending_.empty()) {
            return true;
        }
        std::map<int, Value> writes;
        writes.swap(pending_);  // a failed write is dropped: the row shows what is stored
        if (!writable(error)) {
            return false;
        }
        std::vector<RawValue> newValues;
        QStringList sets;
        QStringList checks;
        std::vector<RawValue> binds;
        for (const auto& [ordinal, v] : writes) {
            RawValue stored;
            if (!storeValue(v, false, types_[ordinal], names_[ordinal], stored, error)) {
                return false;
            }
            const QString column = tsql::quoteIdentifier(names_[ordinal]);
            sets.append(column + QStringLiteral(" = ?"));
            checks.append(QStringLiteral(" AND ") + column + QStringLiteral(" IS ?"));
            binds.push_back(stored);
            newValues.push_back(std::move(stored));
        }
        binds.push_back(RawValue::integer(rowids_[current_]));
        for (const auto& entry : writes) {
            binds.push_back(cell(current_, entry.first));
        }
        const QString sql = QStringLiteral("UPDATE ") + tsql::quoteIdentifier(table_) +
                            QStringLiteral(" SET ") + sets.join(QStringLiteral(", ")) +
                            QStringLiteral(" WHERE rowid = ?") + checks.join(QString());
        if (!run(sql, binds, StatementKind::Update, error)) {
            return false;
        }
        size_t i = 0;
        for (const auto& entry : writes) {
            cellRef(current_, entry.first) = newValues[i++];
        }
        return true;
    }

    bool deleteCurrent(DbError& error) override {
        pending_.clear();
        if (!writable(error)) {
            return false;
        }
        std::vector<RawValue> binds{RawValue::integer(rowids_[current_])};
        QString sql = QStringLiteral("DELETE FROM ") + tsql::quoteIdentifier(table_) +
                      QStringLiteral(" WHERE rowid = ?");
        for (int c = 0; c < fieldCount(); ++c) {
            sql += QStringLiteral(" AND ") + tsql::quoteIdentifier(names_[c]) +
                   QStringLiteral(" IS ?");
            binds.push_back(cell(current_, c));
        }
        if (!run(sql, binds, StatementKind::Delete, error)) {
            return false;
        }
        // The row leaves the set; the next row (or the end) becomes current.
        const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(current_) * fieldCount();
        cells_.erase(first, first + fieldCount());
        rowids_.erase(rowids_.begin() + current_);
        return true;
    }

private:
    int rows() const { return static_cast<int>(rowids_.size()); }
    bool validOrdinal(int ordinal) const { return ordinal >= 0 && ordinal < fieldCount(); }
    const RawValue& cell(int row, int column) const {
        return cells_[static_cast<size_t>(row) * names_.size() + column];
    }
    RawValue& cellRef(int row, int column) {
        return cells_[static_cast<size_t>(row) * names_.size() + column];
    }

    bool writable(DbError& error) const {
        if (eof()) {
            error = makeDbError(err::kNoCurrentRecord,
                                QStringLiteral("Either BOF or EOF is True, or the current "
                                               "record has been deleted. Requested operation "
                                               "requires a current record."));
            return false;
        }
        if (table_.isEmpty()) {
            error = makeDbError(err::kNotUpdatable,
                                QStringLiteral("Current Recordset does not support updating. "
                                               "This may be a limitation of the provider, or of "
                                               "the selected locktype."));
            return false;
        }
        if (!conn_->isOpen()) {
            error = notConnected();
            return false;
        }
        return true;
    }

    bool run(const QString& sql, const std::vector<RawValue>& binds, StatementKind kind,
             DbError& error) {
        const ErrorContext ctx{kind, table_};
        sqlite3_stmt* stmt = conn_->cached(sql, error, ctx);
        if (stmt == nullptr || !conn_->stepWith(stmt, binds, error, ctx)) {
            return false;
        }
        if (sqlite3_changes64(conn_->db()) == 0) {
            error =
                makeDbError(err::kRowChanged,
                            QStringLiteral("Row cannot be located for %1. Some values may "
                                           "have been changed since it was last read.")
                                .arg(kind == StatementKind::Delete ? u"deleting" : u"updating"));
            return false;
        }
        return true;
    }

    std::shared_ptr<SqliteConnection> conn_;
    QString table_;  // empty: the rows cannot be written back
    QStringList names_;
    std::vector<ColumnType> types_;
    std::vector<RawValue> cells_;  // row by row
    std::vector<std::int64_t> rowids_;
    int current_ = 0;
    std::map<int, Value> pending_;
};

}  // namespace detail

// --- the engine -----------------------------------------------------------------------------

using detail::ErrorContext;
using detail::SqliteConnection;

class SqliteEngine::Impl {
public:
    explicit Impl(const Options& options)
        : options(options), translations(static_cast<size_t>(options.translationCacheSize)) {}

    Options options;
    std::shared_ptr<SqliteConnection> conn;
    LruCache<std::shared_ptr<const Translation>> translations;
    std::int64_t translated = 0;
    std::int64_t closedPrepares = 0;

    std::shared_ptr<const Translation> translation(const QString& sql, DbError& error) {
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

    bool requireOpen(DbError& error) const {
        if (!conn || !conn->isOpen()) {
            error = notConnected();
            return false;
        }
        return true;
    }

    // The values for the statement's parameters, converted for the columns they are written
    // into.
    bool bindValues(const Translation& t, std::vector<RawValue>& out, DbError& error) {
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

    std::optional<std::int64_t> write(const Translation& t, DbError& error) {
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

    std::optional<std::int64_t> schemaChange(const Translation& t, DbError& error) {
        const ErrorContext ctx{t.kind, t.table};
        if (t.statements.size() == 1) {
            const bool ok = conn->run(t.statements.front(), error, ctx);
            conn->forgetSchema();
            return ok ? std::optional<std::int64_t>(0) : std::nullopt;
        }
        detail::WriteUnit unit(*conn, ctx);
        if (!unit.begin(error)) {
            return std::nullopt;
        }
        for (const QString& sql : t.statements) {
            if (!conn->run(sql, error, ctx)) {
                conn->forgetSchema();
                return std::nullopt;
            }
        }
        conn->forgetSchema();
        return unit.end(true, error) ? std::optional<std::int64_t>(0) : std::nullopt;
    }

    // The desktop server keeps the key of a table's clustered index at the end of every
    // non-unique index of that table, so those indexes come in that order too (UPC idx_0 on
    // SL reads in SL, UPC order). The embedded indexes get the key columns appended likewise:
    // a new non-unique index when the table has a clustered one, and the table's existing
    // non-unique indexes when a clustered one is created.
    std::optional<std::int64_t> createIndex(const Translation& t, DbError& error) {
        const ErrorContext ctx{t.kind, t.table};
        auto columnName = [](const QString& written) {
            return written.section(u' ', 0, 0).toLower();
        };
        auto missingFrom = [&](const QStringList& have, const QStringList& key) {
            QStringList names;
            for (const QString& c : have) {
                names.append(columnName(c));
            }
            QStringList missing;
            for (const QString& k : key) {
                if (!names.contains(k.toLower())) {
                    missing.append(tsql::quoteIdentifier(k));
                }
            }
            return missing;
        };
        detail::WriteUnit unit(*conn, ctx);
        if (!unit.begin(error)) {
            return std::nullopt;
        }
        QStringList statements = t.statements;
        if (!t.index.unique && !t.index.clustered) {
            const auto key = conn->textRows(
                QStringLiteral("SELECT x.name FROM sqlite_schema AS s, pragma_index_xinfo(s.name) "
                               "AS x WHERE s.type = 'index' AND s.tbl_name = ?1 COLLATE NOCASE "
                               "AND s.sql LIKE '%' || ?2 AND x.key = 1 ORDER BY x.seqno"),
                {t.table, QLatin1String(tsql::kClusteredMarker)}, error, ctx);
            if (!key) {
                return std::nullopt;
            }
            QStringList keyColumns;
            for (const QStringList& row : *key) {
                keyColumns.append(row.value(0));
            }
            const QStringList missing = missingFrom(t.index.columns, keyColumns);
            if (!missing.isEmpty()) {
                statements[0] = statements[0].chopped(1) + QStringLiteral(", ") +
                                missing.join(QStringLiteral(", ")) + u')';
            }
        }
        for (const QString& sql : statements) {
            if (!conn->run(sql, error, ctx)) {
                conn->forgetSchema();
                return std::nullopt;
            }
        }
        if (t.index.clustered) {
            QStringList key;
            for (const QString& c : t.index.columns) {
                key.append(c.section(u' ', 0, 0));
            }
            const auto others = conn->textRows(
                QStringLiteral("SELECT name FROM pragma_index_list(?1) WHERE \"unique\" = 0 AND "
                               "origin = 'c'"),
                {t.table}, error, ctx);
            if (!others) {
                return std::nullopt;
            }
            for (const QStringList& other : *others) {
                const auto cols = conn->textRows(
                    QStringLiteral("SELECT name, \"desc\" FROM pragma_index_xinfo(?1) WHERE key = "
                                   "1 ORDER BY seqno"),
                    {other.value(0)}, error, ctx);
                if (!cols) {
                    return std::nullopt;
                }
                QStringList have;
                bool expression = false;
                for (const QStringList& c : *cols) {
                    expression = expression || c.value(0).isNull();
                    have.append(tsql::quoteIdentifier(c.value(0)) +
                                (c.value(1) == u"1" ? QStringLiteral(" DESC") : QString()));
                }
                const QStringList missing = missingFrom(have, key);
                if (expression || missing.isEmpty()) {
                    continue;
                }
                const QString name = tsql::quoteIdentifier(other.value(0));
                if (!conn->run(QStringLiteral("DROP INDEX ") + name, error, ctx) ||
                    !conn->run(QStringLiteral("CREATE INDEX %1 ON %2(%3)")
                                   .arg(name, tsql::quoteIdentifier(t.table),
                                        (have + missing).join(QStringLiteral(", "))),
                               error, ctx)) {
                    conn->forgetSchema();
                    return std::nullopt;
                }
            }
        }
        conn->forgetSchema();
        return unit.end(true, error) ? std::optional<std::int64_t>(0) : std::nullopt;
    }

    // ALTER COLUMN has no counterpart in SQLite: the table is rebuilt as SQLite documents it
    // (new table, copy, drop, rename, indexes again), all in one transaction. A definition that
    // does not change leaves the table alone.
    std::optional<std::int64_t> alterColumn(const Translation& t, DbError& error) {
        const ErrorContext ctx{t.kind, t.table};
        const detail::TableInfo* found = conn->tableInfo(t.table, error);
        if (found == nullptr) {
            return std::nullopt;
        }
        const detail::TableInfo info = *found;
        const detail::ColumnInfo* target = info.column(t.column.name);
        if (target == nullptr) {
            error = makeDbError(err::kAlterColumnMissing,
                                QStringLiteral("ALTER TABLE ALTER COLUMN failed because column "
                                               "'%1' does not exist in table '%2'.")
                                    .arg(t.column.name, t.table));
            return std::nullopt;
        }
        if (target->declared.compare(t.column.type, Qt::CaseInsensitive) == 0 &&
            target->notNull == t.column.notNull) {
            return 0;
        }
        QStringList definitions;
        QStringList names;
        QStringList copies;
        for (const detail::ColumnInfo& c : info.columns) {
            tsql::ColumnDef def{c.name, c.declared, c.notNull, c.defaultSql};
            const QString name = tsql::quoteIdentifier(c.name);
            names.append(name);
            if (&c == target) {
                def.type = t.column.type;
                def.notNull = t.column.notNull;
                copies.append(QStringLiteral("qv_store(%1, '%2')").arg(name, def.type));
            } else {
                copies.append(name);
            }
            definitions.append(tsql::columnDefinitionSql(def));
        }
        detail::WriteUnit unit(*conn, ctx);
        if (!unit.begin(error)) {
            return std::nullopt;
        }
        QStringList indexes;
        {
            sqlite3_stmt* stmt = conn->cached(
                QStringLiteral("SELECT sql FROM sqlite_schema WHERE type = 'index' AND "
                               "tbl_name = ?1 COLLATE NOCASE AND sql IS NOT NULL"),
                error, ctx);
            if (stmt == nullptr) {
                return std::nullopt;
            }
            StmtReset reset(stmt);
            const QByteArray name = info.name.toUtf8();
            sqlite3_bind_text(stmt, 1, name.constData(), static_cast<int>(name.size()),
                              SQLITE_TRANSIENT);
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                indexes.append(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
            }
            if (rc != SQLITE_DONE) {
                error = conn->errorFor(rc, ctx);
                return std::nullopt;
            }
        }
        const QString table = tsql::quoteIdentifier(info.name);
        const QString rebuilt = tsql::quoteIdentifier(info.name + QStringLiteral("__qv_rebuild"));
        QStringList steps;
        steps << QStringLiteral("CREATE TABLE %1 (%2)")
                     .arg(rebuilt, definitions.join(QStringLiteral(", ")))
              << QStringLiteral("INSERT INTO %1(rowid, %2) SELECT rowid, %3 FROM %4")
                     .arg(rebuilt, names.join(QStringLiteral(", ")),
                          copies.join(QStringLiteral(", ")), table)
              << QStringLiteral("DROP TABLE %1").arg(table)
              << QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(rebuilt, table);
        steps << indexes;
        for (const QString& sql : steps) {
            if (!conn->run(sql, error, ctx)) {
                conn->forgetSchema();
                return std::nullopt;
            }
        }
        conn->forgetSchema();
        if (!unit.end(true, error)) {
            return std::nullopt;
        }
        return 0;
    }
};

namespace detail {
// Grants the engine's open routine access to the row-set builder without widening headers.
std::unique_ptr<RowSet> buildRowSet(const std::shared_ptr<SqliteConnection>& conn,
                                    const Translation& t, const std::vector<RawValue>& binds,
                                    DbError& error) {
    const ErrorContext ctx{t.kind, t.table};
    auto* entry = conn->cachedEntry(t.statements.front(), error, ctx);
    if (entry == nullptr) {
        return nullptr;
    }
    sqlite3_stmt* stmt = entry->stmt.get();
    StmtReset reset(stmt);
    for (size_t i = 0; i < binds.size(); ++i) {
        const int rc = bindRaw(stmt, static_cast<int>(i) + 1, binds[i]);
        if (rc != SQLITE_OK) {
            error = conn->errorFor(rc, ctx);
            return nullptr;
        }
    }
    int rc = sqlite3_step(stmt);
    // Read the columns after the first step: a statement prepared before a schema change is
    // prepared again by that step and may have other columns.
    const int total = sqlite3_column_count(stmt);
    const int visible = t.rowidLast ? total - 1 : total;
    conn->resultShape(*entry, visible);
    QStringList names = entry->names;
    std::vector<ColumnType> types = entry->types;
    std::vector<RawValue> cells;
    std::vector<std::int64_t> rowids;
    std::int64_t counter = 0;
    while (rc == SQLITE_ROW) {
        for (int c = 0; c < visible; ++c) {
            cells.push_back(readColumn(stmt, c));
        }
        rowids.push_back(t.rowidLast ? sqlite3_column_int64(stmt, visible) : counter++);
        rc = sqlite3_step(stmt);
    }
    if (rc != SQLITE_DONE) {
        error = conn->errorFor(rc, ctx);
        return nullptr;
    }
    return std::make_unique<SqliteRowSet>(conn, t.rowidLast ? t.table : QString(), std::move(names),
                                          std::move(types), std::move(cells), std::move(rowids));
}
}  // namespace detail

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

std::unique_ptr<RowSet> SqliteEngine::openRowSet(const QString& select, DbError& error) {
    if (!impl_->requireOpen(error)) {
        return nullptr;
    }
    const auto t = impl_->translation(select, error);
    if (!t) {
        return nullptr;
    }
    if (t->kind != StatementKind::Select) {
        error =
            makeDbError(err::kNotSelect, QStringLiteral("A row set can only be opened on a SELECT "
                                                        "statement."));
        return nullptr;
    }
    std::vector<RawValue> binds;
    if (!impl_->bindValues(*t, binds, error)) {
        return nullptr;
    }
    return detail::buildRowSet(impl_->conn, *t, binds, error);
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
