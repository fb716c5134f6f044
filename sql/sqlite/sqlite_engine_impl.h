#pragma once

// The embedded engine's own state: the open connection, the cache of translations, and the
// statements it runs for the engine (sqlite_engine.cpp) and its schema changes
// (sqlite_schema.cpp).

#include "sql/sqlite/sqlite_connection.h"

namespace qv::db {

class SqliteEngine::Impl {
public:
    explicit Impl(const Options& options)
        : options(options), translations(static_cast<size_t>(options.translationCacheSize)) {}

    Options options;
    std::shared_ptr<detail::SqliteConnection> conn;
    detail::LruCache<std::shared_ptr<const tsql::Translation>> translations;
    std::int64_t translated = 0;
    std::int64_t closedPrepares = 0;

    std::shared_ptr<const tsql::Translation> translation(const QString& sql, DbError& error);
    bool requireOpen(DbError& error) const;

    // The values for the statement's parameters, converted for the columns they are written
    // into.
    bool bindValues(const tsql::Translation& t, std::vector<RawValue>& out, DbError& error);

    // A SELECT translated and its values converted, ready to run; nothing with the error
    // filled in when the engine is closed, the text does not translate or is no SELECT.
    std::shared_ptr<const tsql::Translation> select(const QString& sql,
                                                    std::vector<RawValue>& binds, DbError& error);

    std::optional<std::int64_t> write(const tsql::Translation& t, DbError& error);

    // Statements that change the schema (sqlite_schema.cpp).
    std::optional<std::int64_t> schemaChange(const tsql::Translation& t, DbError& error);

    // The desktop server keeps the key of a table's clustered index at the end of every
    // non-unique index of that table, so those indexes come in that order too (UPC idx_0 on
    // SL reads in SL, UPC order). The embedded indexes get the key columns appended likewise:
    // a new non-unique index when the table has a clustered one, and the table's existing
    // non-unique indexes when a clustered one is created.
    std::optional<std::int64_t> createIndex(const tsql::Translation& t, DbError& error);

    // ALTER COLUMN has no counterpart in SQLite: the table is rebuilt as SQLite documents it
    // (new table, copy, drop, rename, indexes again), all in one transaction. A definition that
    // does not change leaves the table alone.
    std::optional<std::int64_t> alterColumn(const tsql::Translation& t, DbError& error);
};

}  // namespace qv::db
