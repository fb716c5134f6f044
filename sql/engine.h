#pragma once

// The engine interface the record layer talks to: Value, DbError, RowSet, RowView and Engine;
// each engine (sql/sqlite/, sql/odbc/) implements it.

#include "sql/currency.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qv::db {

// One column value as the record layer sees it. Text keeps CHAR padding as the engine gives
// it; DECIMAL columns come as Decimal (exact, four places); whole-number columns as Integer;
// REAL columns as Real.
class Value {
public:
    enum class Kind { Null, Text, Integer, Decimal, Real };

    Value() = default;
    static Value text(QString s) { return Value(Kind::Text, std::move(s), 0, {}, 0); }
    static Value integer(std::int64_t i) { return Value(Kind::Integer, {}, i, {}, 0); }
    static Value decimal(Currency c) { return Value(Kind::Decimal, {}, 0, c, 0); }
    static Value real(double d) { return Value(Kind::Real, {}, 0, {}, d); }

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }

    // Conversions as the record copies need them; Null gives "", 0 and 0.
    QString toText() const;
    std::int64_t toInteger() const;  // text that is not a whole number gives 0
    Currency toCurrency() const;     // rounds reals and integers exactly
    double toDouble() const;

    friend bool operator==(const Value& a, const Value& b);

private:
    Value(Kind k, QString s, std::int64_t i, Currency c, double d)
        : kind_(k), s_(std::move(s)), i_(i), c_(c), d_(d) {}
    Kind kind_ = Kind::Null;
    QString s_;
    std::int64_t i_ = 0;
    Currency c_;
    double d_ = 0;
};

// What kind of failure an error is, as far as callers act on it. Each engine maps its own
// numbers onto these; everything else is Other.
enum class ErrorKind {
    Other,
    DuplicateKey,  // a UNIQUE index or key refused the row
    Busy,          // another connection held the database (or rows) past the wait allowed
    ReadOnly,      // the database, its file or its folder cannot be written
    DiskFull,      // no room left to write the change
    Damaged,       // the database file is corrupt, cut short or not a database
};

// An error the server raised: its number, its text and where it came from.
struct DbError {
    int number = 0;
    QString description;
    QString source;
    ErrorKind kind = ErrorKind::Other;

    bool isSet() const { return number != 0 || !description.isEmpty(); }
    void clear() { *this = DbError(); }
};

struct ConnectParams {
    QString server;
    QString database;
    QString user;
    QString password;
    int timeoutSeconds = 25;
};

// The rows of one SELECT, all fetched when opened (as a client-side cursor does), with one
// current row. Field writes are collected and sent by update(); update() and deleteCurrent()
// are keyed on the row's original values and fail, changing nothing, when another
// workstation changed or removed the row in between.
class RowSet {
public:
    virtual ~RowSet() = default;

    virtual int recordCount() const = 0;
    virtual bool eof() const = 0;
    virtual void moveNext() = 0;

    virtual int fieldCount() const = 0;
    virtual QString fieldName(int ordinal) const = 0;
    virtual Value value(int ordinal) const = 0;
    virtual void setValue(int ordinal, const Value& v) = 0;

    virtual bool update(DbError& error) = 0;
    virtual bool deleteCurrent(DbError& error) = 0;
};

// One row of a streaming read (Engine::forEachRow), valid only while the call it is handed to
// runs: its names and values as a row set's current row shows them.
class RowView {
public:
    RowView(const QStringList& names, const std::vector<Value>& values)
        : names_(names), values_(values) {}

    int fieldCount() const { return static_cast<int>(names_.size()); }
    QString fieldName(int ordinal) const { return valid(ordinal) ? names_[ordinal] : QString(); }
    // Null beyond the row's fields, as a row set gives.
    const Value& value(int ordinal) const {
        static const Value null;
        return valid(ordinal) ? values_[static_cast<std::size_t>(ordinal)] : null;
    }

private:
    bool valid(int ordinal) const { return ordinal >= 0 && ordinal < fieldCount(); }
    const QStringList& names_;
    const std::vector<Value>& values_;
};

// A database server as the record layer uses it: one connection, statements, row sets and
// the server's catalogue.
class Engine {
public:
    virtual ~Engine() = default;

    virtual bool connect(const ConnectParams& params, DbError& error) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;

    // Rows affected, or nothing with the error filled in.
    virtual std::optional<std::int64_t> execute(const QString& sql, DbError& error) = 0;
    // nullptr with the error filled in when the statement fails.
    virtual std::unique_ptr<RowSet> openRowSet(const QString& select, DbError& error) = 0;
    // A forward-only read for statements whose rows are too many to hold: each row is handed
    // to onRow as it is read, shown as openRowSet's row set shows it, and onRow returns false
    // to stop there. True when the rows ran out or onRow stopped; false with the error filled
    // in as openRowSet fills it, also when the statement fails after some rows were handed
    // over. onRow must not use the engine: the read holds the connection until it returns (a
    // server connection serves one result at a time).
    virtual bool forEachRow(const QString& select, const std::function<bool(const RowView&)>& onRow,
                            DbError& error) = 0;

    // 1 when the server runs and answers with these credentials.
    virtual int serverStatus(const ConnectParams& params) = 0;
    virtual std::optional<QStringList> databases(const ConnectParams& params, DbError& error) = 0;
    virtual std::optional<QStringList> tables(DbError& error) = 0;  // of the open database

    // One unit of work across several statements.
    virtual bool beginTransaction(DbError& error) = 0;
    virtual bool commit(DbError& error) = 0;
    virtual bool rollback(DbError& error) = 0;
};

}  // namespace qv::db
