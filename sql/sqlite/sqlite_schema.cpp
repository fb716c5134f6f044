// The schema changes of the embedded engine: statements that change tables and indexes,
// CREATE INDEX with the key of a clustered index appended as the desktop server orders
// non-unique indexes, and ALTER COLUMN, which SQLite has not, by rebuilding the table.

#include "sql/sqlite/sqlite_engine_impl.h"
#include "sql/sqlite/sqlite_errors.h"

namespace qv::db {

using detail::ErrorContext;
using detail::StmtReset;
using tsql::Translation;

std::optional<std::int64_t> SqliteEngine::Impl::schemaChange(const Translation& t, DbError& error) {
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

std::optional<std::int64_t> SqliteEngine::Impl::createIndex(const Translation& t, DbError& error) {
    const ErrorContext ctx{t.kind, t.table};
    auto columnName = [](const QString& written) { return written.section(u' ', 0, 0).toLower(); };
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

std::optional<std::int64_t> SqliteEngine::Impl::alterColumn(const Translation& t, DbError& error) {
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
        sqlite3_stmt* stmt =
            conn->cached(QStringLiteral("SELECT sql FROM sqlite_schema WHERE type = 'index' AND "
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
                 .arg(rebuilt, names.join(QStringLiteral(", ")), copies.join(QStringLiteral(", ")),
                      table)
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

}  // namespace qv::db
