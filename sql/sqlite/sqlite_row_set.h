#pragma once

// The embedded engine's row set: every row of a SELECT read when opened (sqlite_row_set.cpp),
// written back by rowid and the values as read (sqlite_write_back.cpp); and its streaming read.

#include "sql/sqlite/sqlite_connection.h"

namespace qv::db::detail {

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
    void moveNext() override;

    int fieldCount() const override { return static_cast<int>(names_.size()); }
    QString fieldName(int ordinal) const override;

    Value value(int ordinal) const override;
    void setValue(int ordinal, const Value& v) override;

    bool update(DbError& error) override;
    bool deleteCurrent(DbError& error) override;

private:
    int rows() const { return static_cast<int>(rowids_.size()); }
    bool validOrdinal(int ordinal) const { return ordinal >= 0 && ordinal < fieldCount(); }
    const RawValue& cell(int row, int column) const {
        return cells_[static_cast<size_t>(row) * names_.size() + column];
    }
    RawValue& cellRef(int row, int column) {
        return cells_[static_cast<size_t>(row) * names_.size() + column];
    }

    bool writable(DbError& error) const;

    bool run(const QString& sql, const std::vector<RawValue>& binds, tsql::StatementKind kind,
             DbError& error);

    std::shared_ptr<SqliteConnection> conn_;
    QString table_;  // empty: the rows cannot be written back
    QStringList names_;
    std::vector<ColumnType> types_;
    std::vector<RawValue> cells_;  // row by row
    std::vector<std::int64_t> rowids_;
    int current_ = 0;
    std::map<int, Value> pending_;
};

// Runs the translated SELECT with its values and reads all its rows into a row set; nullptr
// with the error filled in when it fails.
std::unique_ptr<RowSet> buildRowSet(const std::shared_ptr<SqliteConnection>& conn,
                                    const tsql::Translation& t, const std::vector<RawValue>& binds,
                                    DbError& error);

// Runs the translated SELECT with its values and hands each row to onRow as it is read,
// presented as a row set presents it (Engine::forEachRow).
bool streamRows(SqliteConnection& conn, const tsql::Translation& t,
                const std::vector<RawValue>& binds,
                const std::function<bool(const RowView&)>& onRow, DbError& error);

}  // namespace qv::db::detail
