#pragma once

// The ODBC engine's row set (odbc_row_set.cpp): every row fetched when opened, written back
// as an optimistic client cursor does.

#include "sql/odbc/odbc_statement.h"

#include <map>
#include <memory>

namespace qv::db::odbc {

class OdbcRowSet final : public RowSet {
public:
    OdbcRowSet(std::shared_ptr<OdbcConnection> connection, std::optional<QString> table,
               std::vector<Column> columns, std::vector<std::vector<Value>> rows)
        : connection_(std::move(connection)),
          table_(std::move(table)),
          columns_(std::move(columns)),
          rows_(std::move(rows)) {}

    int recordCount() const override { return static_cast<int>(rows_.size()); }
    bool eof() const override { return position_ >= rows_.size(); }
    void moveNext() override;

    int fieldCount() const override { return static_cast<int>(columns_.size()); }
    QString fieldName(int ordinal) const override;
    Value value(int ordinal) const override;
    void setValue(int ordinal, const Value& v) override;

    bool update(DbError& error) override;
    bool deleteCurrent(DbError& error) override;

private:
    bool validOrdinal(int ordinal) const;

    static DbError notUpdatable();

    bool checkWritable(DbError& error) const;

    // "[a] = ? AND [b] IS NULL ..." over the comparable columns' values as read.
    QString originalValuesClause(std::vector<Param>& params) const;

    // Runs the UPDATE or DELETE only when exactly one row holds the values as read.
    bool writeOneRow(const QString& sql, std::vector<Param>& params, const QString& where,
                     std::vector<Param>& whereParams, const QString& verb, DbError& error);

    static DbError notLocated(const QString& verb, std::int64_t matching);

    std::shared_ptr<OdbcConnection> connection_;
    std::optional<QString> table_;
    std::vector<Column> columns_;
    std::vector<std::vector<Value>> rows_;
    std::size_t position_ = 0;
    std::map<int, Value> pending_;
};

}  // namespace qv::db::odbc
