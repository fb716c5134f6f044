#pragma once

// The embedded engine's collation and the SQL function it registers on each connection
// (sqlite_collation.cpp).

struct sqlite3;

namespace qv::db {

// Name of the collation that compares text as the desktop server's default collation does:
// ASCII letters without regard to case, and the shorter text padded with blanks (so 'abc',
// 'ABC' and 'abc  ' are equal and sort together). Every CHAR column is declared with it.
inline constexpr char kCollationName[] = "MSCI";

// Compares two UTF-8 texts by that collation: negative, zero or positive. Bytes outside ASCII
// compare by their value, so text sorts by code point beyond ASCII.
int msciCompare(const unsigned char* a, int lengthA, const unsigned char* b, int lengthB);
// The weight the collation gives one byte (ASCII letters fold to lower case).
unsigned char msciWeight(unsigned char byte);

// Registers the collation and the engine's SQL function qv_store(value, declared type), which
// converts a value for storage in a column as writes of literal values are converted, raising
// the conversion's error; a connection needs both before it touches the tables. SQLITE_OK or
// the registration's error code.
int registerEngineExtensions(sqlite3* db);

}  // namespace qv::db
