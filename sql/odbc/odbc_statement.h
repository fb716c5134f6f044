#pragma once

// Statements of the ODBC engine (odbc_statement.cpp): parameters bound from values, one
// statement handle run and its results read, column by column, into values.

#include "sql/odbc/odbc_connection.h"

#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace qv::db::odbc {

struct Param {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN size = 1;
    SQLSMALLINT digits = 0;
    QByteArray bytes;
    std::int64_t integer = 0;
    double real = 0;
    SQLLEN indicator = 0;
};

// A parameter for the value, typed as a wide column takes it when wideColumn.
Param MakeParam(const Value& v, bool wideColumn);

class Statement {
public:
    bool allocate(const OdbcConnection& connection, DbError& error);

    SQLHSTMT get() const { return handle_.get(); }

    // Binds the parameters (which must outlive the execution) and runs the text. SQL_NO_DATA
    // (a searched UPDATE or DELETE that matched nothing) counts as success.
    bool execute(const QString& sql, std::vector<Param>& params, DbError& error);

    // Rows affected by the first result; statements that report no count give 0. Later
    // results are read to the end so that an error the server raises there is not lost.
    std::optional<std::int64_t> rowsAffected(DbError& error);

    // Moves to the first result that has columns; false with no error when there is none.
    bool toResultWithColumns(DbError& error);

private:
    StmtHandle handle_;
    bool noData_ = false;
};

enum class Fetch { Text, Integer, Decimal, Real };

struct Column {
    QString name;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    Fetch fetch = Fetch::Text;
    bool wide = false;
    // Whether the optimistic WHERE may compare it: long text, binary, date and other
    // columns read as text are left out, as the server cannot compare some of them and the
    // text form of the rest is not one it reads back reliably.
    bool comparable = true;
};

// The columns of the current result.
bool DescribeColumns(SQLHSTMT stmt, std::vector<Column>& columns, DbError& error);

// The rows of the current result with these columns, each handed to onRow as it is fetched
// until onRow returns false.
bool FetchRows(SQLHSTMT stmt, const std::vector<Column>& columns,
               const std::function<bool(const std::vector<Value>&)>& onRow, DbError& error);

// Every row of the current result.
bool FetchAll(SQLHSTMT stmt, std::vector<Column>& columns, std::vector<std::vector<Value>>& rows,
              DbError& error);

// The first column of every row, as text.
std::optional<QStringList> QueryNames(const OdbcConnection& connection, const QString& sql,
                                      DbError& error);

}  // namespace qv::db::odbc
