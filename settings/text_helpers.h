#pragma once

#include <QString>
#include <cstdint>

namespace qv {

// The characters of text that occur anywhere in allowed, in their order.
QString KeepChars(const QString& text, const QString& allowed);
// The decimal digits of text, in their order: "12-3 4a" gives "1234".
QString DigitsOnly(const QString& text);

// value rounded to digits decimals (a negative count rounds to tens, hundreds, ...), halves
// away from zero. The value is rounded as its shortest decimal text reads, so 2.345, which a
// double holds as 2.34499999..., gives 2.35 as a user who typed it expects, and -2.345 gives
// -2.35. NaN and infinities come back unchanged.
double RoundHalfAway(double value, std::int16_t digits);

// A date held as year, month and day digits ("20101001") as display text: "10/01/2010"
// (month/day/year), or "01/10/2010" (day/month/year) when style is "E". A date that is blank
// once trimmed comes back with two spaces added. Short texts give what their characters allow.
QString DateText(const QString& date, const QString& style);

}  // namespace qv
