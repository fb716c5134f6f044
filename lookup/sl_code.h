#pragma once

#include <QString>

namespace qv {

// The store's short item code (S/L code) is 8 characters. Grids show it with a point before
// its last character ("1234567.8"), except reserved codes that start with "~", which are
// shown as they are. These rules turn stored codes into grid text, grid text back into
// stored codes, and what a clerk types into the form they are searched by. The wizard uses
// them too.

// Grid text of a stored code: its first seven characters, a point and its last character;
// a code whose first non-blank character is "~" unchanged. A code shorter than 8 characters
// is first padded with blanks to 8.
QString SlDisplay(const QString& code);

// The stored code of grid text: its first seven characters followed by its last one. Text
// shorter than 8 characters is padded with blanks first, so a "~" code whose cell lost its
// trailing blanks still comes back whole.
QString SlFromDisplay(const QString& text);

// What a clerk typed, in the 9-character display form (pass the result through SlFromDisplay
// for the stored code):
// - blank text gives an empty result;
// - a number (only blanks, digits and points) is right-aligned: "123" gives "    123. " and
//   "12345678" as well as "1234567.8" give "1234567.8"; a number typed with a leading zero
//   keeps its digits as typed ("0123" gives "   0123. "), and a point typed before the last
//   digit stays even when that digit is 0 ("1234567.0" gives "1234567.0");
// - any other text is cut at a point or at a blank after its first character, left-aligned
//   in 7 characters and followed by ". ": "abc.d" gives "abc    . ".
QString SlFromEntry(const QString& typed);

// What a clerk typed in the Item ID search: the text without its leading blanks, padded with
// blanks or cut to the 25 characters of an item code.
QString ItemIdFromEntry(const QString& typed);

}  // namespace qv
