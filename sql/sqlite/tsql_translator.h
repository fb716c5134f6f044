#pragma once

// The translator's public face: the accepted statements and their Translation
// (tsql_translator.cpp and its tokenizer, parser and emitter).

#include "sql/engine.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace qv::db::tsql {

// The statements of the desktop server's dialect that the record layer sends, rewritten for
// SQLite by a small token translator. Only this fixed set is accepted; anything else is
// refused with an error, never passed through:
//   SELECT [TOP n] * | COUNT(*) | col,... FROM t [WHERE ...] [ORDER BY x [ASC|DESC],...]
//     with =, <>, !=, <, >, <=, >=, [NOT] LIKE, IS [NOT] NULL, AND, OR, NOT, parentheses,
//     ltrim(x), LEFT(x, n) and a scalar subquery (SELECT [TOP n] COUNT(*) | col FROM ...)
//   INSERT INTO t [(cols)] VALUES (literal, ...)
//   UPDATE t SET col = value, ... [WHERE ...]
//   DELETE [FROM] t [WHERE ...]
//   CREATE TABLE t (col type [NOT NULL | NULL | DEFAULT literal] ..., ...)
//     types CHAR [(n)], DECIMAL|NUMERIC [(p[,s])], SMALLINT, INT, INTEGER, REAL
//   CREATE [UNIQUE] [CLUSTERED|NONCLUSTERED] INDEX i ON t (col [ASC|DESC], ...)
//   DROP INDEX t.i   (or DROP INDEX i ON t)
//   ALTER TABLE t ALTER COLUMN col type [NULL | NOT NULL]
//   ALTER TABLE t ADD col type [...]
//   [EXEC] sp_RENAME 't.col', 'new', 'COLUMN'
// Keywords in any case; text in string literals ('' for an apostrophe) is never rewritten; one
// statement per text (a trailing ";" is allowed).
//
// The rewrites that make SQLite answer as the desktop server:
// - CHAR columns are declared COLLATE MSCI; ltrim(x) and LEFT(x,n) (as substr) get COLLATE MSCI,
//   since a function result carries no collation.
// - LEFT(col,n) = 'text' becomes a range on col (answered from an index) plus the exact test.
// - ORDER BY terms that an equality in the WHERE fixes are left out (every row ties on them),
//   so an expression index answers ltrim(ItemID)='X' ORDER BY ltrim(ItemID) without sorting.
// - A LIKE pattern holding one-character classes ("[%]", "[_]", "[[]", "[x]") is written with
//   ESCAPE '\' and the class's character escaped; other classes ("[a-c]", "[^x]", "[ab]")
//   are refused. Patterns without a class are sent as they are.
// - TOP n becomes LIMIT n; SELECT * also fetches the rowid (last), for row set writes.
// - Index names are per table on the desktop server and global in SQLite: index i of table t
//   is named t__i; an index on a column named ItemID gets a companion index t__i__ltrim on
//   ltrim(ItemID) COLLATE MSCI, for the item code reads. A clustered index is marked in its
//   definition (the engine appends its key to the table's non-unique indexes, as the server
//   orders them).
// - Literal values of SELECT, INSERT, UPDATE and DELETE become parameters, so one prepared
//   statement serves every read of the same shape.

// A value written in the statement.
struct Literal {
    enum class Kind { Null, Text, Integer, Number };
    Kind kind = Kind::Null;
    QString text;              // Text: the value itself; Number and Integer: as written
    std::int64_t integer = 0;  // Integer
};

// One '?' of the translated statement, in order.
struct Param {
    enum class Role {
        Compare,     // a value compared with: bound as it is
        Store,       // a value written into column (or the column at ordinal): converted
        ColumnType,  // bound to the declared type of column (for qv_store)
    };
    Role role = Role::Compare;
    Literal value;
    QString column;    // Store (named) and ColumnType
    int ordinal = -1;  // Store in an INSERT without a column list
};

enum class StatementKind {
    Select,
    Insert,
    Update,
    Delete,
    CreateTable,
    CreateIndex,
    DropIndex,
    AddColumn,
    AlterColumn,
    RenameColumn,
};

// A column as declared in CREATE TABLE, ALTER TABLE ADD or ALTER COLUMN.
struct ColumnDef {
    QString name;
    QString type;  // canonical declaration: "CHAR(8)", "DECIMAL(18,4)", "INT", ...
    bool notNull = false;
    QString defaultSql;  // the DEFAULT clause's value as SQLite text, empty when none
};

// An index as CREATE INDEX declares it.
struct IndexDef {
    QString name;         // the server's name (per table)
    QStringList columns;  // as written, each maybe followed by " DESC"
    bool unique = false;
    bool clustered = false;
};

// Marks the SQLite index that stands for a clustered index, in its stored definition.
inline constexpr char kClusteredMarker[] = "/* CLUSTERED */";

struct Translation {
    StatementKind kind = StatementKind::Select;
    QString table;           // the table the statement works on
    QStringList statements;  // SQLite statements in order; params belong to the first
    std::vector<Param> params;
    bool rowidLast = false;  // SELECT *: one more column, the rowid, follows the table's
    ColumnDef column;        // AlterColumn: the new definition; AddColumn: the column added
    IndexDef index;          // CreateIndex
};

// Translates one statement; nothing with the error filled in when it is malformed or outside
// the accepted set.
std::optional<Translation> translate(const QString& statement, DbError& error);

// The SQLite definition of a column: name, type, COLLATE MSCI for CHAR, NOT NULL, DEFAULT.
QString columnDefinitionSql(const ColumnDef& column);
// An identifier as SQLite needs it written (quoted when it is one of SQLite's keywords).
QString quoteIdentifier(const QString& name);
// The SQLite name of index `index` of table `table`, and of its ltrim companion.
QString sqliteIndexName(const QString& table, const QString& index);
QString companionIndexName(const QString& table, const QString& index);

}  // namespace qv::db::tsql
