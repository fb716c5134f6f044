#pragma once

#include "db/record_layer.h"

#include <QString>
#include <functional>

namespace qv {

// Tells whether an inventory item holds this stored (8-character) S/L code.
using SlTakenFn = std::function<bool(const QString& storedSl)>;

// The next S/L code after an S/L text that is not a number (characters compare by their codes,
// so lower-case letters count as "other"):
// 1. last character "A" to "Y": the next letter (AB7C gives AB7D);
// 2. last character "Z" in a text of fewer than 7 characters: "A" appended (ABZ gives ABZA);
// 3. last character a digit: the run of digits at the end read as a number, plus 1, without
//    leading zeros (AB129 gives AB130, AB99 gives AB100, AB009 gives AB10);
// 4. anything else: all the digits of the text read as one number (0 when there are none),
//    raised by 1 until no item holds the code that number makes; that number as text.
QString AlphaSuccessor(const QString& sl, const SlTakenFn& taken);

// The stored code an S/L text stands for, through the entry and display rules of the lookup:
// "1234568" gives "1234568 ", "AB7D" gives "AB7D    ".
QString StoredSl(const QString& text);

// The next free S/L code (stored form) for a new item: the highest numeric code up to
// "9999999 " that does not start with "0", read as the grid shows it (a point before its last
// character, so "12345678" counts as 1234567.8), whole part plus 1 ("1234568 "). When the
// code reached is not a number, its alphanumeric successor. Should that code be taken (codes
// that differ only in an eighth character, which the entry rule drops), the successor of the
// successor is tried, a bounded number of times.
//
// Moves the record layer's inventory record and current row: callers that need the record
// keep a copy and put it back.
QString gfsSLcreate(db::RecordLayer& layer);

}  // namespace qv
