#pragma once

// The embedded engine's inside, shared by its parts: one open database file with its cache of
// prepared statements and of table definitions, the wording of SQLite's errors as the desktop
// server words them (sqlite_connection.cpp), and the unit that groups writes.

#include "sql/sqlite/sqlite_engine.h"
#include "sql/sqlite/sqlite_types.h"
#include "sql/sqlite/tsql_translator.h"

#include <sqlite3.h>

#include <QHash>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace qv::db::detail {

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

DbError notConnected();

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
    tsql::StatementKind kind = tsql::StatementKind::Select;
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

    void close();

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
    sqlite3_stmt* cached(const QString& sql, DbError& error, const ErrorContext& ctx);

    // The names and declared types of the first `visible` result columns, as of the statement's
    // latest preparation (SQLite prepares a statement again after a schema change, and the
    // columns may change with it). Call after the first step.
    void resultShape(CachedStatement& entry, int visible);
    CachedStatement* cachedEntry(const QString& sql, DbError& error, const ErrorContext& ctx);

    // Runs one statement that is not worth caching (schema work, transactions).
    bool run(const QString& sql, DbError& error, const ErrorContext& ctx);

    // Binds values to ?1.. and steps to the end; the rows a SELECT gives are ignored.
    bool stepWith(sqlite3_stmt* stmt, const std::vector<RawValue>& values, DbError& error,
                  const ErrorContext& ctx);

    // Column definitions of a table; nothing (with "Invalid object name") when it is missing.
    const TableInfo* tableInfo(const QString& table, DbError& error);
    void forgetSchema() { tables_.clear(); }

    // Rows of a catalogue query as text (Null as a null QString); nothing on error.
    std::optional<QList<QStringList>> textRows(const QString& sql, const QStringList& binds,
                                               DbError& error, const ErrorContext& ctx);

    // The error SQLite reports after rc, worded as the desktop server words it where there is
    // a counterpart.
    DbError errorFor(int rc, const ErrorContext& ctx);

private:
    DbError constraintError(int rc, const QString& message, const ErrorContext& ctx);

    // The unique index of a table over exactly these columns, for the duplicate key message.
    QString uniqueIndexOn(const QString& table, const QStringList& columns);

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

    bool begin(DbError& error);
    bool end(bool keep, DbError& error);

private:
    SqliteConnection& c_;
    ErrorContext ctx_;
    bool nested_ = false;
    bool active_ = false;
};

}  // namespace qv::db::detail
