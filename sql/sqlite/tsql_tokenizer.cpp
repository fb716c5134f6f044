// The tokenizer of the translator: the text of one statement split into words, strings,
// numbers and symbols (one statement per text), and the LIKE patterns rewritten for SQLite.

#include "sql/sqlite/sqlite_errors.h"
#include "sql/sqlite/tsql_syntax.h"

namespace qv::db::tsql {

namespace {

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

bool isPlainIdentifier(const QString& s) {
    if (s.isEmpty() || !isAsciiLetter(s.front())) {
        return false;
    }
    for (QChar c : s) {
        if (!isAsciiLetter(c) && !isDigit(c)) {
            return false;
        }
    }
    return true;
}

DbError syntaxError(const QString& near) {
    if (near.isEmpty()) {
        return makeDbError(err::kSyntax,
                           QStringLiteral("Incorrect syntax near the end of the statement."));
    }
    return makeDbError(err::kSyntax, QStringLiteral("Incorrect syntax near '%1'.").arg(near));
}

bool tokenize(const QString& s, std::vector<Token>& out, DbError& error) {
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == u'\'') {
            QString value;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (s.at(j) == u'\'') {
                    if (j + 1 < n && s.at(j + 1) == u'\'') {
                        value += u'\'';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                value += s.at(j);
                ++j;
            }
            if (!closed) {
                error = makeDbError(
                    err::kSyntax,
                    QStringLiteral("Unclosed quotation mark after the character string '%1'.")
                        .arg(value));
                return false;
            }
            out.push_back({Token::Type::String, value});
            i = j + 1;
            continue;
        }
        if (c == u'"') {
            error = makeDbError(err::kNotSupported,
                                QStringLiteral("Double-quoted text is not accepted; write text "
                                               "between apostrophes."));
            return false;
        }
        if (isAsciiLetter(c)) {
            qsizetype j = i + 1;
            while (j < n && (isAsciiLetter(s.at(j)) || isDigit(s.at(j)))) {
                ++j;
            }
            out.push_back({Token::Type::Word, s.mid(i, j - i)});
            i = j;
            continue;
        }
        if (isDigit(c) || (c == u'.' && i + 1 < n && isDigit(s.at(i + 1)))) {
            qsizetype j = i;
            bool point = false;
            while (j < n && (isDigit(s.at(j)) || (s.at(j) == u'.' && !point))) {
                point = point || s.at(j) == u'.';
                ++j;
            }
            if (j < n && (isAsciiLetter(s.at(j)) || s.at(j) == u'.')) {
                error = syntaxError(s.mid(i, j - i + 1));
                return false;
            }
            out.push_back({Token::Type::Number, s.mid(i, j - i)});
            i = j;
            continue;
        }
        if (c == u';') {
            if (!QStringView(s).mid(i + 1).trimmed().isEmpty()) {
                error = makeDbError(err::kMultipleStatements,
                                    QStringLiteral("Only one statement may be sent at a time; "
                                                   "the text goes on after ';'."));
                return false;
            }
            break;
        }
        static const QStringList twoChar = {QStringLiteral("<="), QStringLiteral(">="),
                                            QStringLiteral("<>"), QStringLiteral("!=")};
        const QString two = s.mid(i, 2);
        if (twoChar.contains(two)) {
            out.push_back({Token::Type::Symbol, two});
            i += 2;
            continue;
        }
        if (QStringLiteral("(),.*=<>+-").contains(c)) {
            out.push_back({Token::Type::Symbol, QString(c)});
            ++i;
            continue;
        }
        error = syntaxError(QString(c));
        return false;
    }
    out.push_back({Token::Type::End, {}});
    return true;
}

std::optional<QString> escapedLikePattern(const QString& pattern, QString& problem) {
    const auto escaped = [](QChar c) {
        return c == u'%' || c == u'_' || c == u'\\' ? QString(u'\\') + c : QString(c);
    };
    QString out;
    out.reserve(pattern.size() + 4);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c != u'[') {
            out += c == u'\\' ? escaped(c) : QString(c);
            continue;
        }
        const qsizetype close = pattern.indexOf(u']', i + 1);
        if (close < 0) {
            problem = QStringLiteral(
                          "The LIKE pattern '%1' opens a character class with '[' "
                          "that is never closed.")
                          .arg(pattern);
            return std::nullopt;
        }
        const QStringView inside = QStringView(pattern).mid(i + 1, close - i - 1);
        if (inside.size() != 1 || inside.front() == u'^') {
            problem = QStringLiteral(
                          "The LIKE pattern '%1' holds the character class '%2', "
                          "which the embedded database does not support; only "
                          "classes of one character such as [%] or [_] are read.")
                          .arg(pattern, pattern.mid(i, close - i + 1));
            return std::nullopt;
        }
        out += escaped(inside.front());
        i = close;
    }
    return out;
}

}  // namespace qv::db::tsql
