// The write-back of the embedded engine's row sets: update() and deleteCurrent() address the
// row by its rowid and every value as read, so that a row another connection changed or
// removed meanwhile is found by none and nothing is written.

#include "sql/sqlite/sqlite_errors.h"
#include "sql/sqlite/sqlite_row_set.h"

namespace qv::db::detail {

using tsql::StatementKind;

bool SqliteRowSet::update(DbError& error) {
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

bool SqliteRowSet::deleteCurrent(DbError& error) {
    pending_.clear();
    if (!writable(error)) {
        return false;
    }
    std::vector<RawValue> binds{RawValue::integer(rowids_[current_])};
    QString sql = QStringLiteral("DELETE FROM ") + tsql::quoteIdentifier(table_) +
                  QStringLiteral(" WHERE rowid = ?");
    for (int c = 0; c < fieldCount(); ++c) {
        sql += QStringLiteral(" AND ") + tsql::quoteIdentifier(names_[c]) + QStringLiteral(" IS ?");
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

bool SqliteRowSet::writable(DbError& error) const {
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

bool SqliteRowSet::run(const QString& sql, const std::vector<RawValue>& binds, StatementKind kind,
                       DbError& error) {
    const ErrorContext ctx{kind, table_};
    sqlite3_stmt* stmt = conn_->cached(sql, error, ctx);
    if (stmt == nullptr || !conn_->stepWith(stmt, binds, error, ctx)) {
        return false;
    }
    if (sqlite3_changes64(conn_->db()) == 0) {
        error = makeDbError(err::kRowChanged,
                            QStringLiteral("Row cannot be located for %1. Some values may "
                                           "have been changed since it was last read.")
                                .arg(kind == StatementKind::Delete ? u"deleting" : u"updating"));
        return false;
    }
    return true;
}

}  // namespace qv::db::detail
