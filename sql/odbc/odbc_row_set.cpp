// The ODBC engine's row set: the rows as fetched, which statements can be written back to
// (the shape of a single-table SELECT), and update() and deleteCurrent() keyed on every value
// as read, in a transaction that counts the matching rows first.

#include "sql/odbc/odbc_row_set.h"

#include <algorithm>

namespace qv::db::odbc {

namespace {

QString QuotedName(const QString& name) {
    QString inner = name;
    inner.replace(QStringLiteral("]"), QStringLiteral("]]"));
    return u'[' + inner + u']';
}

// Row set writes run in one transaction of their own, or in the caller's when one is open.
// Destroyed uncommitted, it rolls back its own transaction; it never ends the caller's.
class WriteUnit {
public:
    WriteUnit(OdbcConnection& connection, DbError& error)
        : connection_(connection), owns_(!connection.inTransaction) {
        ok_ = !owns_ || connection_.setAutoCommit(false, error);
    }
    ~WriteUnit() {
        if (owns_ && ok_ && !done_) {
            DbError ignored;
            connection_.endTransaction(false, ignored);
            connection_.setAutoCommit(true, ignored);
        }
    }
    WriteUnit(const WriteUnit&) = delete;
    WriteUnit& operator=(const WriteUnit&) = delete;

    bool ok() const { return ok_; }

    bool commit(DbError& error) {
        if (!owns_) {
            return true;
        }
        if (!connection_.endTransaction(true, error)) {
            return false;
        }
        done_ = true;
        DbError ignored;
        connection_.setAutoCommit(true, ignored);
        return true;
    }

private:
    OdbcConnection& connection_;
    bool owns_;
    bool ok_ = false;
    bool done_ = false;
};

// --- statement shape ----------------------------------------------------------------------

struct Token {
    enum Kind { Name, String, Symbol } kind = Symbol;
    QString text;
    bool plain = false;  // one unquoted word, so possibly a keyword
};

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

// The tokens outside parentheses (a parenthesised part becomes one "(" symbol); nothing when
// quotes or parentheses do not close.
std::optional<std::vector<Token>> TopLevelTokens(const QString& s) {
    std::vector<Token> tokens;
    int depth = 0;
    qsizetype i = 0;
    const qsizetype n = s.size();
    const auto skipQuoted = [&](QChar close) -> bool {
        ++i;
        while (i < n) {
            if (s[i] == close) {
                if (i + 1 < n && s[i + 1] == close) {
                    i += 2;
                    continue;
                }
                ++i;
                return true;
            }
            ++i;
        }
        return false;
    };
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            const qsizetype end = s.indexOf(u'\n', i);
            i = end < 0 ? n : end + 1;
            continue;
        }
        if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const qsizetype end = s.indexOf(QStringLiteral("*/"), i + 2);
            if (end < 0) {
                return std::nullopt;
            }
            i = end + 2;
            continue;
        }
        if (c == u'\'') {
            const qsizetype start = i;
            if (!skipQuoted(u'\'')) {
                return std::nullopt;
            }
            if (depth == 0) {
                tokens.push_back({Token::String, s.mid(start, i - start), false});
            }
            continue;
        }
        if (c == u'(') {
            if (depth++ == 0) {
                tokens.push_back({Token::Symbol, QStringLiteral("("), false});
            }
            ++i;
            continue;
        }
        if (c == u')') {
            if (--depth < 0) {
                return std::nullopt;
            }
            ++i;
            continue;
        }
        if (c == u'[' || c == u'"' || IsWordChar(c)) {
            // A name, dotted parts included: dbo.invt1, [vor].[invt1].
            const qsizetype start = i;
            int parts = 0;
            bool quoted = false;
            for (;;) {
                if (i < n && (s[i] == u'[' || s[i] == u'"')) {
                    quoted = true;
                    if (!skipQuoted(s[i] == u'[' ? u']' : u'"')) {
                        return std::nullopt;
                    }
                } else if (i < n && IsWordChar(s[i])) {
                    while (i < n && IsWordChar(s[i])) {
                        ++i;
                    }
                } else {
                    break;
                }
                ++parts;
                if (i + 1 < n && s[i] == u'.' &&
                    (s[i + 1] == u'[' || s[i + 1] == u'"' || IsWordChar(s[i + 1]))) {
                    ++i;
                    continue;
                }
                break;
            }
            if (depth == 0) {
                tokens.push_back({Token::Name, s.mid(start, i - start), parts == 1 && !quoted});
            }
            continue;
        }
        if (depth == 0) {
            tokens.push_back({Token::Symbol, QString(c), false});
        }
        ++i;
    }
    if (depth != 0) {
        return std::nullopt;
    }
    return tokens;
}

bool IsKeyword(const Token& t, const char* word) {
    return t.kind == Token::Name && t.plain &&
           t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool IsSymbol(const Token& t, char16_t c) {
    return t.kind == Token::Symbol && t.text.size() == 1 && t.text[0] == c;
}

bool IsAnyKeyword(const Token& t, std::initializer_list<const char*> words) {
    return std::any_of(words.begin(), words.end(), [&](const char* w) { return IsKeyword(t, w); });
}

}  // namespace

void OdbcRowSet::moveNext() {
    pending_.clear();
    if (position_ < rows_.size()) {
        ++position_;
    }
}

QString OdbcRowSet::fieldName(int ordinal) const {
    return validOrdinal(ordinal) ? columns_[static_cast<std::size_t>(ordinal)].name : QString();
}

Value OdbcRowSet::value(int ordinal) const {
    if (eof() || !validOrdinal(ordinal)) {
        return {};
    }
    const auto written = pending_.find(ordinal);
    return written != pending_.end() ? written->second
                                     : rows_[position_][static_cast<std::size_t>(ordinal)];
}

void OdbcRowSet::setValue(int ordinal, const Value& v) {
    if (!eof() && validOrdinal(ordinal)) {
        pending_[ordinal] = v;
    }
}

bool OdbcRowSet::update(DbError& error) {
    if (!checkWritable(error)) {
        return false;
    }
    if (pending_.empty()) {
        return true;
    }
    std::vector<Param> params;
    QStringList assignments;
    for (const auto& [ordinal, v] : pending_) {
        const Column& column = columns_[static_cast<std::size_t>(ordinal)];
        if (v.isNull()) {
            assignments << QuotedName(column.name) + QStringLiteral(" = NULL");
        } else {
            assignments << QuotedName(column.name) + QStringLiteral(" = ?");
            params.push_back(MakeParam(v, column.wide));
        }
    }
    std::vector<Param> whereParams;
    const QString where = originalValuesClause(whereParams);
    if (where.isEmpty()) {
        error = notUpdatable();
        return false;
    }
    params.insert(params.end(), whereParams.begin(), whereParams.end());
    const QString sql = QStringLiteral("UPDATE ") + *table_ + QStringLiteral(" SET ") +
                        assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") + where;
    if (!writeOneRow(sql, params, where, whereParams, QStringLiteral("updating"), error)) {
        return false;
    }
    for (const auto& [ordinal, v] : pending_) {
        rows_[position_][static_cast<std::size_t>(ordinal)] = v;
    }
    pending_.clear();
    return true;
}

bool OdbcRowSet::deleteCurrent(DbError& error) {
    if (!checkWritable(error)) {
        return false;
    }
    std::vector<Param> params;
    const QString where = originalValuesClause(params);
    if (where.isEmpty()) {
        error = notUpdatable();
        return false;
    }
    std::vector<Param> whereParams = params;
    const QString sql =
        QStringLiteral("DELETE FROM ") + *table_ + QStringLiteral(" WHERE ") + where;
    if (!writeOneRow(sql, params, where, whereParams, QStringLiteral("deleting"), error)) {
        return false;
    }
    pending_.clear();
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(position_));
    return true;
}

bool OdbcRowSet::validOrdinal(int ordinal) const {
    return ordinal >= 0 && ordinal < static_cast<int>(columns_.size());
}

DbError OdbcRowSet::notUpdatable() {
    return OwnError(kNotUpdatable,
                    QStringLiteral("Insufficient base table information for updating or "
                                   "refreshing."));
}

bool OdbcRowSet::checkWritable(DbError& error) const {
    if (!connection_ || !connection_->connected()) {
        error = ClosedError();
        return false;
    }
    if (eof()) {
        error = OwnError(kNoCurrentRecord,
                         QStringLiteral("Either BOF or EOF is True, or the current record has "
                                        "been deleted. Requested operation requires a current "
                                        "record."));
        return false;
    }
    if (!table_) {
        error = notUpdatable();
        return false;
    }
    return true;
}

QString OdbcRowSet::originalValuesClause(std::vector<Param>& params) const {
    QStringList terms;
    const std::vector<Value>& row = rows_[position_];
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const Column& column = columns_[i];
        if (!column.comparable || column.name.isEmpty()) {
            continue;
        }
        if (row[i].isNull()) {
            terms << QuotedName(column.name) + QStringLiteral(" IS NULL");
        } else {
            terms << QuotedName(column.name) + QStringLiteral(" = ?");
            params.push_back(MakeParam(row[i], column.wide));
        }
    }
    return terms.join(QStringLiteral(" AND "));
}

bool OdbcRowSet::writeOneRow(const QString& sql, std::vector<Param>& params, const QString& where,
                             std::vector<Param>& whereParams, const QString& verb, DbError& error) {
    WriteUnit unit(*connection_, error);
    if (!unit.ok()) {
        return false;
    }
    Statement counter;
    if (!counter.allocate(*connection_, error) ||
        !counter.execute(
            QStringLiteral("SELECT COUNT(*) FROM ") + *table_ + QStringLiteral(" WHERE ") + where,
            whereParams, error)) {
        return false;
    }
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
    if (!counter.toResultWithColumns(error) || !FetchAll(counter.get(), columns, rows, error)) {
        if (!error.isSet()) {
            error = OwnError(-1, QStringLiteral("The row count gave no result."));
        }
        return false;
    }
    const std::int64_t matching =
        rows.empty() || rows.front().empty() ? 0 : rows.front().front().toInteger();
    if (matching != 1) {
        error = notLocated(verb, matching);
        return false;
    }
    Statement writer;
    if (!writer.allocate(*connection_, error) || !writer.execute(sql, params, error)) {
        return false;
    }
    const std::optional<std::int64_t> affected = writer.rowsAffected(error);
    if (!affected) {
        return false;
    }
    if (*affected != 1) {
        error = notLocated(verb, *affected);
        return false;
    }
    return unit.commit(error);
}

DbError OdbcRowSet::notLocated(const QString& verb, std::int64_t matching) {
    if (matching <= 0) {
        return OwnError(kRowNotLocated,
                        QStringLiteral("Row cannot be located for ") + verb +
                            QStringLiteral(". Some values may have been changed since it "
                                           "was last read."));
    }
    return OwnError(kRowNotLocated,
                    QStringLiteral("Row cannot be located uniquely for %1. %2 rows hold the "
                                   "same values; nothing was changed.")
                        .arg(verb)
                        .arg(matching));
}

}  // namespace qv::db::odbc

namespace qv::db {

using namespace odbc;

std::optional<QString> OdbcUpdatableTable(const QString& select) {
    const std::optional<std::vector<Token>> parsed = TopLevelTokens(select);
    if (!parsed) {
        return std::nullopt;
    }
    std::vector<Token> tokens = *parsed;
    while (!tokens.empty() && IsSymbol(tokens.back(), u';')) {
        tokens.pop_back();
    }
    std::size_t i = 0;
    const std::size_t n = tokens.size();
    if (n == 0 || !IsKeyword(tokens[0], "SELECT")) {
        return std::nullopt;
    }
    ++i;
    if (i < n && IsKeyword(tokens[i], "ALL")) {
        ++i;
    }
    if (i < n && IsKeyword(tokens[i], "TOP")) {
        ++i;
        if (i < n && (IsSymbol(tokens[i], u'(') || tokens[i].kind == Token::Name)) {
            ++i;
        } else {
            return std::nullopt;
        }
        if (i < n && IsKeyword(tokens[i], "PERCENT")) {
            ++i;
        }
        if (i + 1 < n && IsKeyword(tokens[i], "WITH") && IsKeyword(tokens[i + 1], "TIES")) {
            i += 2;
        }
    }

    // The select list: "*", "t.*" or plain column names, separated by commas.
    bool expectItem = true;
    for (;; ++i) {
        if (i >= n) {
            return std::nullopt;
        }
        const Token& t = tokens[i];
        if (IsKeyword(t, "FROM")) {
            if (expectItem) {
                return std::nullopt;
            }
            break;
        }
        if (expectItem) {
            if (IsSymbol(t, u'*')) {
                expectItem = false;
            } else if (t.kind == Token::Name &&
                       !IsAnyKeyword(t, {"DISTINCT", "INTO", "CASE", "NULL"})) {
                if (i + 2 < n && IsSymbol(tokens[i + 1], u'.') && IsSymbol(tokens[i + 2], u'*')) {
                    i += 2;
                }
                expectItem = false;
            } else {
                return std::nullopt;
            }
        } else if (IsSymbol(t, u',')) {
            expectItem = true;
        } else {
            return std::nullopt;  // an alias, an operator, a call: not a plain column
        }
    }

    ++i;  // past FROM
    if (i >= n || tokens[i].kind != Token::Name) {
        return std::nullopt;
    }
    const QString table = tokens[i].text;
    ++i;
    const auto endsSource = [](const Token& t) {
        return IsAnyKeyword(t, {"WHERE", "ORDER", "OPTION", "WITH", "FOR"});
    };
    if (i < n && IsKeyword(tokens[i], "AS")) {
        i += 2;
    } else if (i < n && tokens[i].kind == Token::Name && !endsSource(tokens[i]) &&
               !IsAnyKeyword(tokens[i], {"JOIN", "INNER", "LEFT", "RIGHT", "FULL", "CROSS", "OUTER",
                                         "UNION", "EXCEPT", "INTERSECT", "GROUP", "HAVING"})) {
        ++i;  // an alias
    }
    if (i < n && !endsSource(tokens[i])) {
        return std::nullopt;  // a join, a second table, grouping
    }
    for (; i < n; ++i) {
        if (IsAnyKeyword(tokens[i],
                         {"JOIN", "APPLY", "UNION", "EXCEPT", "INTERSECT", "GROUP", "HAVING"})) {
            return std::nullopt;
        }
    }
    return table;
}

}  // namespace qv::db
