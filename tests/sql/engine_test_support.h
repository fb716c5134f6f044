#pragma once

// What the engine tests share: values shown readably, statements that must succeed,
// connections made from an ODBC string, and the files of the SQLite-based engines read past
// the engine.

#include "sql/engine.h"
#include "sql/odbc/odbc_engine.h"
#include "sql/sqlite/sqlite_collation.h"
#include "tests/support/data_files.h"
#include "tests/support/qt_print.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace qv::db {

namespace enginetest {

inline std::string S(const QString& s) {
    return s.toStdString();
}

// Kind and content in one readable string, so that a failure shows both.
inline std::string Show(const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Null:
            return "Null";
        case Value::Kind::Text:
            return "Text:" + S(v.toText());
        case Value::Kind::Integer:
            return "Integer:" + std::to_string(v.toInteger());
        case Value::Kind::Decimal:
            return "Decimal:" + S(v.toCurrency().toText(4));
        case Value::Kind::Real:
            return "Real:" + S(QString::number(v.toDouble(), 'g', 17));
    }
    return "?";
}

using Table = std::vector<std::vector<std::string>>;

inline const char* const kRowNotLocatedForUpdating =
    "Row cannot be located for updating. Some values may have been changed since it was last "
    "read.";

// Rows affected by a statement that must succeed, or -1.
inline std::int64_t Exec(Engine& engine, const QString& sql) {
    DbError error;
    const std::optional<std::int64_t> rows = engine.execute(sql, error);
    EXPECT_TRUE(rows.has_value()) << S(sql) << ": " << S(error.description);
    return rows.value_or(-1);
}

// The rows of a SELECT that must succeed, or nullptr.
inline std::unique_ptr<RowSet> Open(Engine& engine, const QString& select) {
    DbError error;
    std::unique_ptr<RowSet> rs = engine.openRowSet(select, error);
    EXPECT_TRUE(rs) << S(select) << ": " << S(error.description);
    return rs;
}

// Every row of a SELECT, each value shown.
inline Table Rows(Engine& engine, const QString& select) {
    Table out;
    std::unique_ptr<RowSet> rs = Open(engine, select);
    for (; rs && !rs->eof(); rs->moveNext()) {
        std::vector<std::string> row;
        for (int i = 0; i < rs->fieldCount(); ++i) {
            row.push_back(Show(rs->value(i)));
        }
        out.push_back(row);
    }
    return out;
}

// An ODBC engine connected with a complete connection string, or nullptr.
inline std::unique_ptr<OdbcEngine> ConnectOdbc(const QString& connectionString) {
    auto engine = OdbcEngine::withConnectionString(connectionString);
    DbError error;
    EXPECT_TRUE(engine->connect(ConnectParams{}, error)) << S(error.description);
    return engine->isOpen() ? std::move(engine) : nullptr;
}

inline QString SqliteOdbcConnectionString(const QString& file) {
    return QStringLiteral("Driver=SQLite3;Database=") + file;
}

// The rows of a SELECT on a SQLite file, read with plain SQLite (and the embedded engine's
// collation): cells joined by '|', NULL as "<null>". With `write`, any statement, run past the
// engine.
inline QStringList ReadSqliteFile(const QString& file, const QString& select, bool write = false) {
    QStringList out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
                        write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << S(file);
        sqlite3_close(db);
        return out;
    }
    registerEngineExtensions(db);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, select.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << S(select) << ": " << sqlite3_errmsg(db);
    } else {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const char* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                cells.append(t ? QString::fromUtf8(t) : QStringLiteral("<null>"));
            }
            out.append(cells.join(u'|'));
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

// Runs the statements of a script in tests/data, one to a line, on an engine and returns what
// each gave: the rows of a read ("open: " reads whatever the statement is, a SELECT always),
// the rows affected or the error with its kind. Besides statements: "set: ordinal value" (on the
// current row of the last read), "update:" and "delete:" (of that row), "begin:", "commit:",
// "rollback:", "connect: database", "status:", "databases:" and "tables:" (sorted); other steps
// ending in
// ':' ("raw: ..." and the like) go to `own`, which returns their lines.
using OwnScriptStep = std::function<QStringList(const QString& step, const QString& arg)>;
inline QString RunEngineScript(Engine& engine, const QString& relative,
                               const OwnScriptStep& own = {}) {
    QString out;
    std::unique_ptr<RowSet> last;
    const auto lines = [&out](const QStringList& rows) {
        for (const QString& row : rows) {
            out += QStringLiteral("  ") + row + u'\n';
        }
    };
    const auto result = [&out](bool done, const DbError& e) {
        static const char* const kinds[] = {
            "", " (duplicate key)", " (busy)", " (read-only)", " (disk full)", " (damaged)"};
        out += done ? QStringLiteral("  done\n")
                    : QStringLiteral("  error %1%2: %3\n")
                          .arg(QString::number(e.number), kinds[static_cast<int>(e.kind)],
                               e.description);
    };
    for (const QString& line : QString::fromUtf8(test::ReadData(relative)).split(u'\n')) {
        if (line.trimmed().isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        out += QStringLiteral("> ") + line + u'\n';
        const QString step = line.section(u' ', 0, 0);
        const QString arg = line.section(u' ', 1);
        DbError error;
        if (step == u"set:") {
            last->setValue(arg.section(u' ', 0, 0).toInt(), Value::text(arg.section(u' ', 1)));
        } else if (step == u"update:" || step == u"delete:") {
            result(step == u"update:" ? last->update(error) : last->deleteCurrent(error), error);
        } else if (step == u"begin:" || step == u"commit:" || step == u"rollback:") {
            result(step == u"begin:"    ? engine.beginTransaction(error)
                   : step == u"commit:" ? engine.commit(error)
                                        : engine.rollback(error),
                   error);
        } else if (step == u"connect:") {
            ConnectParams params;
            params.database = arg;
            result(engine.connect(params, error), error);
        } else if (step == u"status:") {
            lines({QString::number(engine.serverStatus(ConnectParams{}))});
        } else if (step == u"databases:" || step == u"tables:") {
            std::optional<QStringList> names = step == u"tables:"
                                                   ? engine.tables(error)
                                                   : engine.databases(ConnectParams{}, error);
            names ? lines((names->sort(Qt::CaseInsensitive), *names)) : result(false, error);
        } else if (step == u"open:" || step == u"SELECT") {
            const QString select = step == u"open:" ? arg : line;
            std::unique_ptr<RowSet> rs = engine.openRowSet(select, error);
            for (; rs && !rs->eof(); rs->moveNext()) {
                QStringList cells;
                for (int i = 0; i < rs->fieldCount(); ++i) {
                    cells << QString::fromStdString(Show(rs->value(i)));
                }
                lines({cells.join(QStringLiteral(" | "))});
            }
            rs ? void(last = engine.openRowSet(select, error)) : result(false, error);
        } else if (step.endsWith(u':')) {
            lines(own(step, arg));
        } else if (const auto n = engine.execute(line, error)) {
            out += QStringLiteral("  %1 row(s)\n").arg(*n);
        } else {
            result(false, error);
        }
    }
    return out;
}

// --- SQL Server: only when QUORVANE_SQLSERVER holds a complete ODBC connection string ----------

inline constexpr const char* kSqlServerSkipped =
    "QUORVANE_SQLSERVER not set: SQL Server suite skipped";

inline QString SqlServerConnectionString() {
    return qEnvironmentVariable("QUORVANE_SQLSERVER").trimmed();
}

// A table name no real store uses and no other run picks at the same time.
inline QString ScratchTableName() {
    return QStringLiteral("qv_scratch_%1_%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QDateTime::currentMSecsSinceEpoch() % 100000000);
}

}  // namespace enginetest

// Shows values as kind and content in test failures.
inline void PrintTo(const Value& v, std::ostream* os) {
    *os << enginetest::Show(v);
}

}  // namespace qv::db
