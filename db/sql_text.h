#pragma once

#include <QString>
#include <QStringView>

namespace qv::db {

// Makes a text fit to stand between apostrophes in a statement, the way the suite has always
// done it (and so the way values already in its databases were written):
// - a text holding a NUL character becomes as many blanks as it is long;
// - a text that already holds two apostrophes in a row, or none at all, is left alone;
// - otherwise, with doubleQuotes false, every apostrophe becomes a blank;
// - with doubleQuotes true, every apostrophe is doubled and the result trimmed; when that is
//   longer than limit, ", " becomes ",", two blanks become one and a trailing "," goes.
QString SqlSafeText(const QString& value, bool doubleQuotes, int limit);

// The body of a quoted literal for a text that has been through SqlSafeText: a pair of
// apostrophes stays the one escaped apostrophe it stands for, a lone apostrophe is doubled and
// a NUL becomes a blank. For a sanitised text nothing changes; for anything else the literal
// can no longer end early, so a stray apostrophe cannot break or change a statement.
QString LiteralBody(QStringView sanitised);

// The body of a quoted literal for raw text: every apostrophe doubled, NUL as a blank.
QString QuoteRaw(QStringView raw);

// The text without its trailing blanks.
QString RTrim(QStringView text);
// The text without its leading blanks.
QString LTrim(QStringView text);

}  // namespace qv::db
