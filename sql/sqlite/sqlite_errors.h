#pragma once

// The embedded engine's error source, its error numbers and the DbError it builds from them.

#include "sql/engine.h"

#include <QString>

namespace qv::db {

// Every error of the embedded engine carries this source.
inline const QString kSqliteErrorSource = QStringLiteral("Quorvane SQLite");

// Error numbers of the embedded engine. Where the desktop server has an error of the same kind
// its number is used, so that callers that look at numbers see the familiar ones; errors that
// only the embedded engine has use numbers from 50001 up; anything else SQLite reports keeps
// SQLite's extended result code (always below 8192 with a low byte below 30, so it never
// collides with the numbers here).
namespace err {
inline constexpr int kSyntax = 102;               // malformed statement
inline constexpr int kInvalidColumn = 207;        // no such column
inline constexpr int kInvalidObject = 208;        // no such table: "Invalid object name ..."
inline constexpr int kColumnCountMismatch = 213;  // INSERT with the wrong number of values
inline constexpr int kSmallintOverflow = 220;     // value outside SMALLINT
inline constexpr int kConversionFailed = 245;     // text that is no whole number into INT
inline constexpr int kNullNotAllowed = 515;       // NULL into a NOT NULL column
inline constexpr int kDuplicateKey = 2601;        // a UNIQUE index refuses the row
inline constexpr int kDuplicateColumn = 2705;     // ADD of a column that exists
inline constexpr int kObjectExists = 2714;        // CREATE TABLE of a table that exists
inline constexpr int kIndexExists = 1913;         // CREATE INDEX of an index that exists
inline constexpr int kDatabaseExists = 1801;      // createDatabase of a file that exists
inline constexpr int kCannotDropIndex = 3701;     // DROP INDEX of an index that is missing
inline constexpr int kCannotOpenDatabase = 4060;  // connect to a database that is missing
inline constexpr int kAlterColumnMissing = 4924;  // ALTER COLUMN of a column that is missing
inline constexpr int kConvertToNumeric = 8114;    // text that is no number into DECIMAL/REAL
inline constexpr int kArithmeticOverflow = 8115;  // value too large for DECIMAL/INT/REAL
inline constexpr int kTruncation = 8152;          // text longer than its CHAR column
inline constexpr int kRenameNoColumn = 15248;     // sp_RENAME of a column that is missing
inline constexpr int kNoCurrentRecord = 3021;     // row set at its end
inline constexpr int kNotUpdatable = 3251;        // row set that cannot be written back
inline constexpr int kRowChanged = -2147217864;   // optimistic update/delete found no row

inline constexpr int kNotSupported = 50001;        // statement outside the accepted set
inline constexpr int kMultipleStatements = 50002;  // more than one statement in one text
inline constexpr int kNotConnected = 50003;        // no database open
inline constexpr int kFolderMissing = 50004;       // the database folder does not exist
inline constexpr int kBadDatabaseName = 50005;     // a name that cannot be a file name
inline constexpr int kTooManyDigits = 50006;       // DECIMAL beyond 15 significant digits
inline constexpr int kNotSelect = 50007;           // openRowSet with something else
}  // namespace err

inline DbError makeDbError(int number, QString description, ErrorKind kind = ErrorKind::Other) {
    return DbError{number, std::move(description), kSqliteErrorSource, kind};
}

}  // namespace qv::db
