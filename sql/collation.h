#pragma once

// How the store's database server compares and sorts text by its default collation: the rule
// the embedded engine declares on every CHAR column, and the order the lookup positions by.

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

}  // namespace qv::db
