#pragma once

// The embedded engine's public face: the SqliteEngine class (its parts are in this folder).

#include "sql/engine.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

namespace qv::db {

namespace detail {
class SqliteConnection;
}

// The embedded database engine: no server, one SQLite file per database in one folder
// (database NAME is the file "NAME.sqlite"), answering the statements of the desktop server's
// dialect that the record layer sends (see sql/sqlite/tsql_translator.h) as that server does
// under its default case-insensitive collation: text compares without regard to case and
// trailing blanks, CHAR values read back blank-padded to their width, DECIMAL values exactly.
//
// Errors carry a number (the desktop server's number where it has one, see
// sql/sqlite/sqlite_errors.h), a description and the source "Quorvane SQLite". Statements are
// translated once and prepared once per text shape (literal values become parameters): both
// are kept in small most-recently-used caches.
//
// Not thread-safe: one engine is used from one thread. Row sets keep the connection alive;
// after close() their writes fail with an error.
class SqliteEngine final : public Engine {
public:
    struct Options {
        // How long a statement waits for a lock another connection holds before it fails.
        int busyTimeoutMs = 5000;
        // Opens databases read-only: every write fails with an error.
        bool readOnly = false;
        int statementCacheSize = 256;
        int translationCacheSize = 512;
    };

    // folder: the native path of the folder that holds the database files.
    explicit SqliteEngine(QString folder);
    SqliteEngine(QString folder, Options options);
    ~SqliteEngine() override;
    SqliteEngine(const SqliteEngine&) = delete;
    SqliteEngine& operator=(const SqliteEngine&) = delete;

    // params.database names the file (matched without regard to case); server, user and
    // password are not used. Fails when the file is missing or is not a database.
    bool connect(const ConnectParams& params, DbError& error) override;
    bool isOpen() const override;
    void close() override;

    // Rows affected by INSERT, UPDATE and DELETE; 0 for the other statements.
    std::optional<std::int64_t> execute(const QString& sql, DbError& error) override;
    // Runs a SELECT and fetches all its rows. Row sets of "SELECT * FROM t" can write rows
    // back (update, deleteCurrent); others refuse to.
    std::unique_ptr<RowSet> openRowSet(const QString& select, DbError& error) override;
    // Steps the statement and presents each row as it comes, as openRowSet's row sets do.
    bool forEachRow(const QString& select, const std::function<bool(const RowView&)>& onRow,
                    DbError& error) override;

    // 1 when the engine's folder exists, else 0.
    int serverStatus(const ConnectParams& params) override;
    // The names of the database files in the folder (without ".sqlite"), sorted.
    std::optional<QStringList> databases(const ConnectParams& params, DbError& error) override;
    std::optional<QStringList> tables(DbError& error) override;

    // Begins an immediate transaction (it waits for other writers as every write does).
    bool beginTransaction(DbError& error) override;
    bool commit(DbError& error) override;
    bool rollback(DbError& error) override;

    // Creates a new empty database file NAME.sqlite (and the folder when it is missing);
    // fails when the file exists.
    bool createDatabase(const QString& name, DbError& error);

    // SQLite's query plan for a statement of the accepted dialect: one line per step
    // ("SEARCH invt1 USING INDEX invt1__idx_1 (SL=?)").
    std::optional<QStringList> explainQueryPlan(const QString& sql, DbError& error);

    QString folder() const { return folder_; }
    // The file of database `name` in the folder (whether or not it exists).
    QString databaseFile(const QString& name) const;

    // How many statements were prepared and translated since the engine was made; a statement
    // text seen before is neither translated nor prepared again.
    std::int64_t prepareCount() const;
    std::int64_t translationCount() const;

private:
    class Impl;
    QString folder_;
    Options options_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qv::db
