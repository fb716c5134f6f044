// Statements of the ODBC engine: values bound as parameters, a statement run and its results
// and counts read, columns described, and rows fetched as values (decimals exactly).

#include "sql/odbc/odbc_statement.h"

#include <algorithm>

namespace qv::db::odbc {

Param MakeParam(const Value& v, bool wideColumn) {
    Param p;
    switch (v.kind()) {
        case Value::Kind::Integer:
            p.cType = SQL_C_SBIGINT;
            p.sqlType = SQL_BIGINT;
            p.size = 19;
            p.integer = v.toInteger();
            break;
        case Value::Kind::Decimal:
            p.cType = SQL_C_CHAR;
            p.sqlType = SQL_DECIMAL;
            p.size = 19;
            p.digits = 4;
            p.bytes = v.toCurrency().toSqlText().toLatin1();
            p.indicator = p.bytes.size();
            break;
        case Value::Kind::Real:
            p.cType = SQL_C_DOUBLE;
            p.sqlType = SQL_DOUBLE;
            p.size = 15;
            p.real = v.toDouble();
            break;
        case Value::Kind::Null:
        case Value::Kind::Text: {
            const QString text = v.toText();
            p.cType = kTextCType;
            p.bytes = EncodeText(text);
            p.indicator = p.bytes.size();
            const qsizetype length = std::max<qsizetype>(1, p.bytes.size() / kCharSize);
            p.size = static_cast<SQLULEN>(length);
            if (wideColumn) {
                p.sqlType = length > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
            } else {
                p.sqlType = length > 8000 ? SQL_LONGVARCHAR : SQL_VARCHAR;
            }
            break;
        }
    }
    return p;
}

bool Statement::allocate(const OdbcConnection& connection, DbError& error) {
    if (!handle_.allocate(connection.dbc())) {
        error = Diagnose(SQL_HANDLE_DBC, connection.dbc(), SQL_ERROR);
        return false;
    }
    // Statements go to the server as written: no ODBC escape processing.
    SQLSetStmtAttr(handle_.get(), SQL_ATTR_NOSCAN, IntegerAttribute(SQL_NOSCAN_ON), 0);
    return true;
}

bool Statement::execute(const QString& sql, std::vector<Param>& params, DbError& error) {
    for (std::size_t i = 0; i < params.size(); ++i) {
        Param& p = params[i];
        SQLPOINTER data = p.cType == SQL_C_SBIGINT  ? static_cast<SQLPOINTER>(&p.integer)
                          : p.cType == SQL_C_DOUBLE ? static_cast<SQLPOINTER>(&p.real)
                                                    : static_cast<SQLPOINTER>(p.bytes.data());
        const SQLRETURN rc = SQLBindParameter(
            handle_.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, p.cType, p.sqlType,
            p.size, p.digits, data, static_cast<SQLLEN>(p.bytes.size()), &p.indicator);
        if (!SQL_SUCCEEDED(rc)) {
            error = Diagnose(SQL_HANDLE_STMT, handle_.get(), rc);
            return false;
        }
    }
    QByteArray text = EncodeText(sql);
    const SQLRETURN rc = QV_ODBC_API(SQLExecDirect)(
        handle_.get(), TextPointer(text), static_cast<SQLINTEGER>(text.size() / kCharSize));
    noData_ = rc == SQL_NO_DATA;
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        error = Diagnose(SQL_HANDLE_STMT, handle_.get(), rc);
        return false;
    }
    return true;
}

std::optional<std::int64_t> Statement::rowsAffected(DbError& error) {
    if (noData_) {
        return 0;
    }
    SQLLEN count = 0;
    if (!SQL_SUCCEEDED(SQLRowCount(handle_.get(), &count))) {
        count = 0;
    }
    for (;;) {
        const SQLRETURN rc = SQLMoreResults(handle_.get());
        if (rc == SQL_NO_DATA) {
            break;
        }
        if (!SQL_SUCCEEDED(rc)) {
            error = Diagnose(SQL_HANDLE_STMT, handle_.get(), rc);
            return std::nullopt;
        }
    }
    return std::max<std::int64_t>(0, count);
}

bool Statement::toResultWithColumns(DbError& error) {
    if (noData_) {
        return false;
    }
    for (;;) {
        SQLSMALLINT columns = 0;
        const SQLRETURN rc = SQLNumResultCols(handle_.get(), &columns);
        if (!SQL_SUCCEEDED(rc)) {
            error = Diagnose(SQL_HANDLE_STMT, handle_.get(), rc);
            return false;
        }
        if (columns > 0) {
            return true;
        }
        const SQLRETURN more = SQLMoreResults(handle_.get());
        if (more == SQL_NO_DATA) {
            return false;
        }
        if (!SQL_SUCCEEDED(more)) {
            error = Diagnose(SQL_HANDLE_STMT, handle_.get(), more);
            return false;
        }
    }
}

namespace {

Column DescribeColumn(SQLHSTMT stmt, SQLUSMALLINT ordinal, DbError& error, bool& ok) {
    Column c;
    std::vector<OdbcChar> name(256);
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    SQLRETURN rc = QV_ODBC_API(SQLDescribeCol)(stmt, ordinal, name.data(),
                                               static_cast<SQLSMALLINT>(name.size()), &nameLength,
                                               &type, &size, &digits, &nullable);
    if (SQL_SUCCEEDED(rc) && nameLength >= static_cast<SQLSMALLINT>(name.size())) {
        name.resize(static_cast<std::size_t>(nameLength) + 1);
        rc = QV_ODBC_API(SQLDescribeCol)(stmt, ordinal, name.data(),
                                         static_cast<SQLSMALLINT>(name.size()), &nameLength, &type,
                                         &size, &digits, &nullable);
    }
    if (!SQL_SUCCEEDED(rc)) {
        error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
        ok = false;
        return c;
    }
    c.name = DecodeChars(
        name.data(), std::clamp<qsizetype>(nameLength, 0, static_cast<qsizetype>(name.size()) - 1));
    c.sqlType = type;
    switch (type) {
        case SQL_CHAR:
        case SQL_VARCHAR:
            break;
        case SQL_WCHAR:
        case SQL_WVARCHAR:
            c.wide = true;
            break;
        case SQL_LONGVARCHAR:
            c.comparable = false;
            break;
        case SQL_WLONGVARCHAR:
            c.wide = true;
            c.comparable = false;
            break;
        case SQL_BIT:
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            c.fetch = Fetch::Integer;
            break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            c.fetch = Fetch::Decimal;
            break;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            c.fetch = Fetch::Real;
            break;
        default:
            c.comparable = false;
            break;
    }
    ok = true;
    return c;
}

// Text of any length, in pieces when the driver has more than the buffer holds.
std::optional<QByteArray> GetBytes(SQLHSTMT stmt, SQLUSMALLINT ordinal, SQLSMALLINT cType,
                                   qsizetype terminator, bool& isNull, DbError& error) {
    QByteArray data;
    char buffer[4096];
    const qsizetype room = static_cast<qsizetype>(sizeof buffer) - terminator;
    isNull = false;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, ordinal, cType, buffer,
                                        static_cast<SQLLEN>(sizeof buffer), &indicator);
        if (rc == SQL_NO_DATA) {
            break;
        }
        if (!SQL_SUCCEEDED(rc)) {
            error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
            return std::nullopt;
        }
        if (indicator == SQL_NULL_DATA) {
            isNull = true;
            return data;
        }
        if (indicator != SQL_NO_TOTAL && indicator <= room) {
            data.append(buffer, static_cast<qsizetype>(indicator));
            break;
        }
        data.append(buffer, room);
    }
    return data;
}

std::optional<Value> GetValue(SQLHSTMT stmt, SQLUSMALLINT ordinal, const Column& column,
                              DbError& error) {
    switch (column.fetch) {
        case Fetch::Integer: {
            std::int64_t v = 0;
            SQLLEN indicator = 0;
            const SQLRETURN rc = SQLGetData(stmt, ordinal, SQL_C_SBIGINT, &v, 0, &indicator);
            if (!SQL_SUCCEEDED(rc)) {
                error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
                return std::nullopt;
            }
            return indicator == SQL_NULL_DATA ? Value() : Value::integer(v);
        }
        case Fetch::Real: {
            double v = 0;
            SQLLEN indicator = 0;
            const SQLRETURN rc = SQLGetData(stmt, ordinal, SQL_C_DOUBLE, &v, 0, &indicator);
            if (!SQL_SUCCEEDED(rc)) {
                error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
                return std::nullopt;
            }
            return indicator == SQL_NULL_DATA ? Value() : Value::real(v);
        }
        case Fetch::Decimal: {
            // The driver's exact decimal text, never a double.
            bool isNull = false;
            const std::optional<QByteArray> bytes =
                GetBytes(stmt, ordinal, SQL_C_CHAR, 1, isNull, error);
            if (!bytes) {
                return std::nullopt;
            }
            if (isNull) {
                return Value();
            }
            const QString text = QString::fromLatin1(*bytes);
            // A value that four decimals do not hold exactly (too large, or digits past the
            // fourth place) stays text rather than being rounded.
            const qsizetype point = text.indexOf(u'.');
            const bool fitsFourPlaces =
                point < 0 || std::all_of(text.begin() + std::min(point + 5, text.size()),
                                         text.end(), [](QChar c) { return c == u'0'; });
            const std::optional<Currency> amount =
                fitsFourPlaces ? Currency::fromText(text) : std::nullopt;
            return amount ? Value::decimal(*amount) : Value::text(text);
        }
        case Fetch::Text: {
            bool isNull = false;
            const std::optional<QByteArray> bytes =
                GetBytes(stmt, ordinal, kTextCType, kCharSize, isNull, error);
            if (!bytes) {
                return std::nullopt;
            }
            if (isNull) {
                return Value();
            }
            return Value::text(DecodeText(bytes->constData(), bytes->size()));
        }
    }
    return Value();
}

}  // namespace

bool DescribeColumns(SQLHSTMT stmt, std::vector<Column>& columns, DbError& error) {
    SQLSMALLINT count = 0;
    const SQLRETURN rc = SQLNumResultCols(stmt, &count);
    if (!SQL_SUCCEEDED(rc)) {
        error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
        return false;
    }
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        bool ok = false;
        columns.push_back(DescribeColumn(stmt, static_cast<SQLUSMALLINT>(i), error, ok));
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool FetchRows(SQLHSTMT stmt, const std::vector<Column>& columns,
               const std::function<bool(const std::vector<Value>&)>& onRow, DbError& error) {
    std::vector<Value> row;
    row.reserve(columns.size());
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA) {
            return true;
        }
        if (!SQL_SUCCEEDED(rc)) {
            error = Diagnose(SQL_HANDLE_STMT, stmt, rc);
            return false;
        }
        row.clear();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            std::optional<Value> v =
                GetValue(stmt, static_cast<SQLUSMALLINT>(i + 1), columns[i], error);
            if (!v) {
                return false;
            }
            row.push_back(std::move(*v));
        }
        if (!onRow(row)) {
            return true;
        }
    }
}

bool FetchAll(SQLHSTMT stmt, std::vector<Column>& columns, std::vector<std::vector<Value>>& rows,
              DbError& error) {
    return DescribeColumns(stmt, columns, error) && FetchRows(
                                                        stmt, columns,
                                                        [&rows](const std::vector<Value>& row) {
                                                            rows.push_back(row);
                                                            return true;
                                                        },
                                                        error);
}

std::optional<QStringList> QueryNames(const OdbcConnection& connection, const QString& sql,
                                      DbError& error) {
    Statement st;
    std::vector<Param> none;
    if (!st.allocate(connection, error) || !st.execute(sql, none, error)) {
        return std::nullopt;
    }
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
    if (!st.toResultWithColumns(error)) {
        if (error.isSet()) {
            return std::nullopt;
        }
        return QStringList();
    }
    if (!FetchAll(st.get(), columns, rows, error)) {
        return std::nullopt;
    }
    QStringList names;
    for (const std::vector<Value>& row : rows) {
        names << (row.empty() ? QString() : row.front().toText());
    }
    return names;
}

}  // namespace qv::db::odbc
