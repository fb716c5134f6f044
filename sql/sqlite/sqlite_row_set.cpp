// The rows of the embedded engine's SELECTs: a row set reads all of them when it opens (values
// written but not yet sent shown as they will read back); a streaming read hands them on one
// at a time.

#include "sql/sqlite/sqlite_row_set.h"

namespace qv::db::detail {

using tsql::Translation;

void SqliteRowSet::moveNext() {
    if (current_ < rows()) {
        ++current_;
    }
    pending_.clear();
}

QString SqliteRowSet::fieldName(int ordinal) const {
    return validOrdinal(ordinal) ? names_[ordinal] : QString();
}

Value SqliteRowSet::value(int ordinal) const {
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

void SqliteRowSet::setValue(int ordinal, const Value& v) {
    if (validOrdinal(ordinal) && !eof()) {
        pending_[ordinal] = v;
    }
}

namespace {

// Runs the translated SELECT with its values: takes the names and types of its visible columns
// after the first step, then hands the statement at each row to onRow until onRow returns
// false. False with the error filled in when the statement fails.
bool stepSelect(SqliteConnection& conn, const Translation& t, const std::vector<RawValue>& binds,
                QStringList& names, std::vector<ColumnType>& types,
                const std::function<bool(sqlite3_stmt*, int visible)>& onRow, DbError& error) {
    const ErrorContext ctx{t.kind, t.table};
    auto* entry = conn.cachedEntry(t.statements.front(), error, ctx);
    if (entry == nullptr) {
        return false;
    }
    sqlite3_stmt* stmt = entry->stmt.get();
    StmtReset reset(stmt);
    for (size_t i = 0; i < binds.size(); ++i) {
        const int rc = bindRaw(stmt, static_cast<int>(i) + 1, binds[i]);
        if (rc != SQLITE_OK) {
            error = conn.errorFor(rc, ctx);
            return false;
        }
    }
    int rc = sqlite3_step(stmt);
    // Read the columns after the first step: a statement prepared before a schema change is
    // prepared again by that step and may have other columns.
    const int total = sqlite3_column_count(stmt);
    const int visible = t.rowidLast ? total - 1 : total;
    conn.resultShape(*entry, visible);
    names = entry->names;
    types = entry->types;
    while (rc == SQLITE_ROW) {
        if (!onRow(stmt, visible)) {
            return true;
        }
        rc = sqlite3_step(stmt);
    }
    if (rc != SQLITE_DONE) {
        error = conn.errorFor(rc, ctx);
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<RowSet> buildRowSet(const std::shared_ptr<SqliteConnection>& conn,
                                    const Translation& t, const std::vector<RawValue>& binds,
                                    DbError& error) {
    QStringList names;
    std::vector<ColumnType> types;
    std::vector<RawValue> cells;
    std::vector<std::int64_t> rowids;
    std::int64_t counter = 0;
    const bool done = stepSelect(
        *conn, t, binds, names, types,
        [&](sqlite3_stmt* stmt, int visible) {
            for (int c = 0; c < visible; ++c) {
                cells.push_back(readColumn(stmt, c));
            }
            rowids.push_back(t.rowidLast ? sqlite3_column_int64(stmt, visible) : counter++);
            return true;
        },
        error);
    if (!done) {
        return nullptr;
    }
    return std::make_unique<SqliteRowSet>(conn, t.rowidLast ? t.table : QString(), std::move(names),
                                          std::move(types), std::move(cells), std::move(rowids));
}

bool streamRows(SqliteConnection& conn, const Translation& t, const std::vector<RawValue>& binds,
                const std::function<bool(const RowView&)>& onRow, DbError& error) {
    QStringList names;
    std::vector<ColumnType> types;
    std::vector<Value> values;
    return stepSelect(
        conn, t, binds, names, types,
        [&](sqlite3_stmt* stmt, int visible) {
            values.clear();
            for (int c = 0; c < visible; ++c) {
                values.push_back(presentValue(readColumn(stmt, c), types[c]));
            }
            return onRow(RowView(names, values));
        },
        error);
}

}  // namespace qv::db::detail
