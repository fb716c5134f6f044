#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace qv {

// The number at the start of a text, read the way the suite's BASIC tools read it:
// - blanks (space, tab, CR, LF) are skipped wherever they stand, so " 1 2.5" is 12.5;
// - an optional "+" or "-" before the first digit, then digits, at most one point and an
//   optional exponent ("E" or "D", optional sign, digits): "1.5e3" is 1500, "2D2" is 200;
// - reading stops at the first other character: "12abc" is 12, "1,000" is 1, "$5" is 0;
// - "&H" (hex) and "&O" (octal) prefixes, letters in either case: a value up to FFFF is a
//   16-bit pattern ("&HFFFF" is -1), up to FFFFFFFF a 32-bit one ("&HFFFFFFFF" is -1),
//   anything larger is taken as unsigned;
// - nothing readable gives 0. A value beyond the range of a double gives an infinity, which
//   RoundToInt16, RoundToInt32 and Currency::fromDouble all refuse.
double Val(QStringView text);

// The nearest whole number, halves to the even neighbour (2.5 is 2, 3.5 is 4, -2.5 is -2),
// as the suite's integer conversions round. Nothing when the result does not fit or the value
// is not a number.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

// The value of a number as a clerk types it, or nothing when the text is not one. Accepted:
// blanks (spaces, tabs) before and after; one "+" or "-" in front, blanks may follow it;
// digits with at most one point (".5" and "5." are fine); the whole part may be grouped in
// thousands with commas ("1,234", "12,345,678.50", but not "1,23" or ",123").
// Not numeric: an empty or blank text, a lone "." or "-", letters (so no exponents and no
// "&H"), currency symbols, a sign after the digits, brackets, and values beyond a double.
std::optional<double> NumericValue(QStringView text);
inline bool IsNumeric(QStringView text) {
    return NumericValue(text).has_value();
}

// The value that follows the first occurrence of tag in text (exact, case-sensitive match).
// It runs up to the first character that occurs anywhere in terminator (so "\r\n" stops at
// either CR or LF) or the end of the text; trailing spaces are cut, leading ones kept.
// Empty when the tag is empty or missing or nothing follows it:
// GetTaggedValue("UID=12 /USERID=ANN /PATH=C:\TRAINING", "USERID=", "/") is "ANN".
QString GetTaggedValue(const QString& text, const QString& tag, const QString& terminator);

}  // namespace qv
