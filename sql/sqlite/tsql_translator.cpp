#include "sql/sqlite/tsql_translator.h"

#include "sql/sqlite/sqlite_collation.h"
#include "sql/sqlite/sqlite_errors.h"
#include "sql/sqlite/sqlite_types.h"

#include <sqlite3.h>

#include <QSet>
#include <memory>

namespace qv::db::tsql {

namespace {

// --- tokens ---------------------------------------------------------------------------------

struct Token {
    enum class Type { Word, String, Number, Symbol, End };
    Type type = Type::End;
    QString text;  // Word and Number as written, String without quotes, Symbol itself
};

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

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

// --- LIKE patterns ----------------------------------------------------------------------------

// The desktop server reads "[x]" in a LIKE pattern as a class of one character; the lookup
// writes typed "%", "_" and "[" as "[%]", "[_]" and "[[]" so that they are searched for as
// themselves. SQLite's LIKE has no classes: a pattern holding them is rewritten for
// ESCAPE '\', the class's character escaped where LIKE would read it as a wildcard, and
// every backslash of the pattern escaped too. Classes of more than one character, ranges and
// negations ("[a-c]", "[^x]") have no LIKE equivalent and are refused.
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

// --- syntax tree ----------------------------------------------------------------------------

struct Select;

struct Node {
    enum class Kind { Column, Literal, LTrim, Left, Subquery, Compare, Like, IsNull, And, Or, Not };
    Kind kind = Kind::Column;
    QString text;  // Column: its name (as written, maybe qualified); Compare: the operator
    Literal literal;
    int length = 0;        // Left
    bool negated = false;  // Like, IsNull
    bool escaped = false;  // Like: the pattern is written for ESCAPE '\'
    std::vector<std::unique_ptr<Node>> kids;
    std::unique_ptr<Select> select;  // Subquery
};
using NodePtr = std::unique_ptr<Node>;

struct OrderItem {
    NodePtr expr;
    bool descending = false;
};

struct Select {
    std::optional<std::int64_t> top;
    enum class Columns { Star, Count, List } columns = Columns::Star;
    QStringList columnList;
    QString table;
    NodePtr where;
    std::vector<OrderItem> order;
};

const QSet<QString>& reservedWords() {
    static const QSet<QString> words = {
        "SELECT",     "FROM",      "WHERE",        "ORDER",   "BY",      "AND",      "OR",
        "NOT",        "LIKE",      "IS",           "NULL",    "TOP",     "ASC",      "DESC",
        "INSERT",     "INTO",      "VALUES",       "UPDATE",  "SET",     "DELETE",   "CREATE",
        "TABLE",      "INDEX",     "ON",           "DROP",    "ALTER",   "ADD",      "COLUMN",
        "UNIQUE",     "CLUSTERED", "NONCLUSTERED", "DEFAULT", "BETWEEN", "IN",       "EXISTS",
        "GROUP",      "HAVING",    "UNION",        "JOIN",    "AS",      "DISTINCT", "CASE",
        "WHEN",       "THEN",      "ELSE",         "END",     "ESCAPE",  "PRIMARY",  "KEY",
        "CONSTRAINT", "CHECK",     "REFERENCES",   "FOREIGN", "COLLATE", "EXEC",     "EXECUTE",
        "INNER",      "OUTER",     "LEFT",         "LTRIM",   "COUNT"};
    return words;
}

// --- parser ---------------------------------------------------------------------------------

class Parser {
public:
    Parser(const std::vector<Token>& tokens, DbError& error) : t_(tokens), error_(error) {}

    bool failed() const { return failed_; }

    const Token& peek(size_t ahead = 0) const {
        const size_t i = std::min(p_ + ahead, t_.size() - 1);
        return t_[i];
    }
    bool isWord(const char* w, size_t ahead = 0) const {
        const Token& k = peek(ahead);
        return k.type == Token::Type::Word &&
               k.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(const char* s, size_t ahead = 0) const {
        const Token& k = peek(ahead);
        return k.type == Token::Type::Symbol && k.text == QLatin1String(s);
    }
    bool atEnd() const { return peek().type == Token::Type::End; }
    bool acceptWord(const char* w) {
        if (isWord(w)) {
            ++p_;
            return true;
        }
        return false;
    }
    bool acceptSymbol(const char* s) {
        if (isSymbol(s)) {
            ++p_;
            return true;
        }
        return false;
    }
    bool expectWord(const char* w) { return acceptWord(w) || fail(); }
    bool expectSymbol(const char* s) { return acceptSymbol(s) || fail(); }
    bool expectEnd() { return atEnd() || fail(); }
    const Token& next() {
        const Token& k = peek();
        if (p_ < t_.size() - 1) {
            ++p_;
        }
        return k;
    }

    // Records a syntax error at the current token (the first error wins); always false.
    bool fail() {
        if (!failed_) {
            const Token& k = peek();
            QString near = k.text;
            if (k.type == Token::Type::String) {
                near = u'\'' + k.text + u'\'';
            }
            error_ = syntaxError(near);
            failed_ = true;
        }
        return false;
    }
    bool fail(int number, const QString& description) {
        if (!failed_) {
            error_ = makeDbError(number, description);
            failed_ = true;
        }
        return false;
    }

    std::optional<QString> identifier() {
        const Token& k = peek();
        if (k.type != Token::Type::Word || reservedWords().contains(k.text.toUpper())) {
            fail();
            return std::nullopt;
        }
        ++p_;
        return k.text;
    }

    // table, or owner.table (the owner is dropped: the embedded database has one).
    std::optional<QString> tableName() {
        auto name = identifier();
        if (name && acceptSymbol(".")) {
            name = identifier();
        }
        return name;
    }

    std::optional<std::int64_t> wholeNumber() {
        const Token& k = peek();
        bool ok = false;
        const qint64 v = k.type == Token::Type::Number ? k.text.toLongLong(&ok) : 0;
        if (!ok) {
            fail();
            return std::nullopt;
        }
        ++p_;
        return v;
    }

    // A literal value: NULL, 'text', or a number with an optional sign.
    std::optional<Literal> literal() {
        Literal l;
        if (acceptWord("NULL")) {
            return l;
        }
        const Token& k = peek();
        if (k.type == Token::Type::String) {
            ++p_;
            l.kind = Literal::Kind::Text;
            l.text = k.text;
            return l;
        }
        QString sign;
        if (isSymbol("-") || isSymbol("+")) {
            if (peek(1).type != Token::Type::Number) {
                fail();
                return std::nullopt;
            }
            sign = next().text == u"-" ? QStringLiteral("-") : QString();
        }
        const Token& num = peek();
        if (num.type != Token::Type::Number) {
            fail();
            return std::nullopt;
        }
        ++p_;
        l.text = sign + num.text;
        bool ok = false;
        const qint64 v = num.text.contains(u'.') ? 0 : l.text.toLongLong(&ok);
        if (ok) {
            l.kind = Literal::Kind::Integer;
            l.integer = v;
        } else {
            l.kind = Literal::Kind::Number;
        }
        return l;
    }

    bool startsLiteral() const {
        return isWord("NULL") || peek().type == Token::Type::String ||
               peek().type == Token::Type::Number ||
               ((isSymbol("-") || isSymbol("+")) && peek(1).type == Token::Type::Number);
    }

    NodePtr operand() {
        if (startsLiteral()) {
            auto l = literal();
            if (!l) {
                return nullptr;
            }
            auto n = std::make_unique<Node>();
            n->kind = Node::Kind::Literal;
            n->literal = *l;
            return n;
        }
        if (isSymbol("(") && isWord("SELECT", 1)) {
            next();
            auto n = std::make_unique<Node>();
            n->kind = Node::Kind::Subquery;
            n->select = select(true);
            if (!n->select || !expectSymbol(")")) {
                return nullptr;
            }
            return n;
        }
        if (acceptWord("LTRIM")) {
            auto n = std::make_unique<Node>();
            n->kind = Node::Kind::LTrim;
            if (!expectSymbol("(")) {
                return nullptr;
            }
            auto arg = operand();
            if (!arg || !expectSymbol(")")) {
                return nullptr;
            }
            n->kids.push_back(std::move(arg));
            return n;
        }
        if (acceptWord("LEFT")) {
            auto n = std::make_unique<Node>();
            n->kind = Node::Kind::Left;
            if (!expectSymbol("(")) {
                return nullptr;
            }
            auto arg = operand();
            if (!arg || !expectSymbol(",")) {
                return nullptr;
            }
            if (isSymbol("-")) {
                fail(err::kNotSupported,
                     QStringLiteral("Invalid length parameter passed to the left function."));
                return nullptr;
            }
            const auto len = wholeNumber();
            if (!len || !expectSymbol(")")) {
                return nullptr;
            }
            if (*len > 8000) {
                fail(err::kNotSupported,
                     QStringLiteral("Invalid length parameter passed to the left function."));
                return nullptr;
            }
            n->length = static_cast<int>(*len);
            n->kids.push_back(std::move(arg));
            return n;
        }
        if (peek().type == Token::Type::Word && isSymbol("(", 1) &&
            !reservedWords().contains(peek().text.toUpper())) {
            fail(err::kNotSupported,
                 QStringLiteral("'%1' is not a recognized built-in function name.")
                     .arg(peek().text));
            return nullptr;
        }
        auto name = identifier();
        if (!name) {
            return nullptr;
        }
        auto n = std::make_unique<Node>();
        n->kind = Node::Kind::Column;
        n->text = *name;
        if (acceptSymbol(".")) {
            auto column = identifier();
            if (!column) {
                return nullptr;
            }
            n->text += u'.' + *column;
        }
        return n;
    }

    NodePtr predicate() {
        if (isSymbol("(") && !isWord("SELECT", 1)) {
            next();
            auto inner = orExpression();
            if (!inner || !expectSymbol(")")) {
                return nullptr;
            }
            return inner;
        }
        auto lhs = operand();
        if (!lhs) {
            return nullptr;
        }
        auto n = std::make_unique<Node>();
        static const char* const ops[] = {"=", "<>", "!=", "<=", ">=", "<", ">"};
        for (const char* op : ops) {
            if (acceptSymbol(op)) {
                n->kind = Node::Kind::Compare;
                n->text = QString::fromLatin1(op) == u"!=" ? QStringLiteral("<>")
                                                           : QString::fromLatin1(op);
                auto rhs = operand();
                if (!rhs) {
                    return nullptr;
                }
                n->kids.push_back(std::move(lhs));
                n->kids.push_back(std::move(rhs));
                return n;
            }
        }
        if (isWord("NOT") && isWord("LIKE", 1)) {
            next();
            n->negated = true;
        }
        if (acceptWord("LIKE")) {
            n->kind = Node::Kind::Like;
            auto rhs = operand();
            if (!rhs) {
                return nullptr;
            }
            if (rhs->kind == Node::Kind::Literal && rhs->literal.kind == Literal::Kind::Text &&
                rhs->literal.text.contains(u'[')) {
                QString problem;
                auto pattern = escapedLikePattern(rhs->literal.text, problem);
                if (!pattern) {
                    fail(err::kNotSupported, problem);
                    return nullptr;
                }
                rhs->literal.text = *pattern;
                n->escaped = true;
            }
            n->kids.push_back(std::move(lhs));
            n->kids.push_back(std::move(rhs));
            return n;
        }
        if (n->negated) {
            fail();
            return nullptr;
        }
        if (acceptWord("IS")) {
            n->kind = Node::Kind::IsNull;
            n->negated = acceptWord("NOT");
            if (!expectWord("NULL")) {
                return nullptr;
            }
            n->kids.push_back(std::move(lhs));
            return n;
        }
        fail();
        return nullptr;
    }

    NodePtr notExpression() {
        if (acceptWord("NOT")) {
            auto inner = notExpression();
            if (!inner) {
                return nullptr;
            }
            auto n = std::make_unique<Node>();
            n->kind = Node::Kind::Not;
            n->kids.push_back(std::move(inner));
            return n;
        }
        return predicate();
    }

    NodePtr joined(Node::Kind kind, const char* word, NodePtr (Parser::*part)()) {
        auto first = (this->*part)();
        if (!first || !isWord(word)) {
            return first;
        }
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->kids.push_back(std::move(first));
        while (acceptWord(word)) {
            auto more = (this->*part)();
            if (!more) {
                return nullptr;
            }
            n->kids.push_back(std::move(more));
        }
        return n;
    }
    NodePtr andExpression() { return joined(Node::Kind::And, "AND", &Parser::notExpression); }
    NodePtr orExpression() { return joined(Node::Kind::Or, "OR", &Parser::andExpression); }

    std::unique_ptr<Select> select(bool inner) {
        auto s = std::make_unique<Select>();
        if (!expectWord("SELECT")) {
            return nullptr;
        }
        if (acceptWord("TOP")) {
            const bool paren = acceptSymbol("(");
            const auto n = wholeNumber();
            if (!n || (paren && !expectSymbol(")"))) {
                return nullptr;
            }
            if (isWord("PERCENT") || isWord("WITH")) {
                fail();
                return nullptr;
            }
            s->top = *n;
        }
        if (acceptSymbol("*")) {
            s->columns = Select::Columns::Star;
        } else if (isWord("COUNT") && isSymbol("(", 1)) {
            next();
            next();
            if (!expectSymbol("*") || !expectSymbol(")")) {
                return nullptr;
            }
            s->columns = Select::Columns::Count;
        } else {
            s->columns = Select::Columns::List;
            do {
                auto c = identifier();
                if (!c) {
                    return nullptr;
                }
                s->columnList.append(*c);
            } while (acceptSymbol(","));
        }
        if (!expectWord("FROM")) {
            return nullptr;
        }
        auto table = tableName();
        if (!table) {
            return nullptr;
        }
        s->table = *table;
        if (acceptWord("WHERE")) {
            s->where = orExpression();
            if (!s->where) {
                return nullptr;
            }
        }
        if (acceptWord("ORDER")) {
            if (!expectWord("BY")) {
                return nullptr;
            }
            do {
                OrderItem item;
                item.expr = operand();
                if (!item.expr) {
                    return nullptr;
                }
                if (acceptWord("DESC")) {
                    item.descending = true;
                } else {
                    acceptWord("ASC");
                }
                s->order.push_back(std::move(item));
            } while (acceptSymbol(","));
        }
        if (!inner && !expectEnd()) {
            return nullptr;
        }
        return s;
    }

    // A column type of the accepted set, as its canonical declaration.
    std::optional<QString> columnType() {
        const Token& k = peek();
        if (k.type != Token::Type::Word) {
            fail();
            return std::nullopt;
        }
        const QString name = k.text.toUpper();
        static const QSet<QString> known = {"CHAR",     "CHARACTER", "DECIMAL", "NUMERIC", "DEC",
                                            "SMALLINT", "INT",       "INTEGER", "REAL"};
        if (!known.contains(name)) {
            fail(err::kNotSupported,
                 QStringLiteral("Data type '%1' is not supported by the embedded database.")
                     .arg(k.text));
            return std::nullopt;
        }
        ++p_;
        QString declared = name;
        if (acceptSymbol("(")) {
            const auto a = wholeNumber();
            if (!a) {
                return std::nullopt;
            }
            declared += u'(' + QString::number(*a);
            if (acceptSymbol(",")) {
                const auto b = wholeNumber();
                if (!b) {
                    return std::nullopt;
                }
                declared += u',' + QString::number(*b);
            }
            declared += u')';
            if (!expectSymbol(")")) {
                return std::nullopt;
            }
        }
        const ColumnType type = ColumnType::parse(declared);
        if (type.kind == ColumnType::Kind::Other) {
            fail(err::kNotSupported,
                 QStringLiteral("The column type '%1' is not valid.").arg(declared));
            return std::nullopt;
        }
        return type.declaration();
    }

    // name type [NOT NULL | NULL | DEFAULT literal]...
    std::optional<ColumnDef> columnDefinition(bool constraints) {
        ColumnDef def;
        auto name = identifier();
        if (!name) {
            return std::nullopt;
        }
        def.name = *name;
        auto type = columnType();
        if (!type) {
            return std::nullopt;
        }
        def.type = *type;
        const bool isChar = ColumnType::parse(def.type).kind == ColumnType::Kind::Char;
        while (!atEnd() && !isSymbol(",") && !isSymbol(")")) {
            if (isWord("NOT") && isWord("NULL", 1)) {
                next();
                next();
                def.notNull = true;
            } else if (acceptWord("NULL")) {
                def.notNull = false;
            } else if (constraints && acceptWord("DEFAULT")) {
                const bool paren = acceptSymbol("(");
                auto l = literal();
                if (!l || (paren && !expectSymbol(")"))) {
                    return std::nullopt;
                }
                if (l->kind == Literal::Kind::Null) {
                    def.defaultSql = QStringLiteral("NULL");
                } else if (l->kind == Literal::Kind::Text) {
                    QString text = l->text;
                    if (isChar) {
                        while (text.endsWith(u' ')) {
                            text.chop(1);
                        }
                    }
                    def.defaultSql =
                        u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
                } else {
                    def.defaultSql = l->text;
                }
            } else {
                fail(err::kNotSupported,
                     QStringLiteral("The column option '%1' is not supported by the embedded "
                                    "database.")
                         .arg(peek().text));
                return std::nullopt;
            }
        }
        return def;
    }

private:
    const std::vector<Token>& t_;
    size_t p_ = 0;
    DbError& error_;
    bool failed_ = false;
};

// --- emitting SQLite text -------------------------------------------------------------------

const QString kCollate = QStringLiteral(" COLLATE ") + QLatin1String(kCollationName);

QString columnSql(const QString& written) {
    const qsizetype dot = written.indexOf(u'.');
    if (dot < 0) {
        return quoteIdentifier(written);
    }
    return quoteIdentifier(written.left(dot)) + u'.' + quoteIdentifier(written.mid(dot + 1));
}

// The printable ASCII character just below (or above) c in the collation's order; nothing
// at either end.
std::optional<char> neighbour(char c, bool above) {
    const int w = msciWeight(static_cast<unsigned char>(c));
    std::optional<char> best;
    int bestWeight = above ? 256 : -1;
    for (int x = 0x20; x <= 0x7F; ++x) {
        if (x >= 'A' && x <= 'Z') {
            continue;  // same weights as the lower-case letters
        }
        const int wx = msciWeight(static_cast<unsigned char>(x));
        if (above ? (wx > w && wx < bestWeight) : (wx < w && wx > bestWeight && x < 0x7F)) {
            best = static_cast<char>(x);
            bestWeight = wx;
        }
    }
    return best;
}

class Emitter {
public:
    explicit Emitter(std::vector<Param>& params) : params_(params) {}

    QString out;

    // Parameters are numbered; a value compared with more than once takes one number, so
    // that SQLite sees the same value on both sides of an OR (a='x' AND ... OR a>'x') and can
    // plan it as one range.
    void param(const Literal& l, Param::Role role = Param::Role::Compare, QString column = {},
               int ordinal = -1) {
        if (role == Param::Role::Compare) {
            for (size_t i = 0; i < params_.size(); ++i) {
                const Param& p = params_[i];
                if (p.role == Param::Role::Compare && p.value.kind == l.kind &&
                    p.value.text == l.text) {
                    out += u'?' + QString::number(i + 1);
                    return;
                }
            }
        }
        out += u'?' + QString::number(params_.size() + 1);
        Param p;
        p.role = role;
        p.value = l;
        p.column = std::move(column);
        p.ordinal = ordinal;
        params_.push_back(std::move(p));
    }

    void textParam(const QString& text) {
        Literal l;
        l.kind = Literal::Kind::Text;
        l.text = text;
        param(l);
    }

    void operand(const Node& n) {
        switch (n.kind) {
            case Node::Kind::Column:
                out += columnSql(n.text);
                break;
            case Node::Kind::Literal:
                if (n.literal.kind == Literal::Kind::Null) {
                    out += QStringLiteral("NULL");
                } else {
                    param(n.literal);
                }
                break;
            case Node::Kind::LTrim:
                out += QStringLiteral("ltrim(");
                operand(*n.kids[0]);
                out += u')' + kCollate;
                break;
            case Node::Kind::Left:
                out += QStringLiteral("substr(");
                operand(*n.kids[0]);
                out += QStringLiteral(",1,%1)").arg(n.length) + kCollate;
                break;
            case Node::Kind::Subquery:
                out += u'(';
                select(*n.select, false);
                out += u')';
                break;
            default:
                condition(n);
                break;
        }
    }

    void condition(const Node& n) {
        switch (n.kind) {
            case Node::Kind::Or:
            case Node::Kind::And: {
                const bool isAnd = n.kind == Node::Kind::And;
                for (size_t i = 0; i < n.kids.size(); ++i) {
                    if (i > 0) {
                        out += isAnd ? QStringLiteral(" AND ") : QStringLiteral(" OR ");
                    }
                    const bool paren = isAnd && n.kids[i]->kind == Node::Kind::Or;
                    if (paren) {
                        out += u'(';
                    }
                    condition(*n.kids[i]);
                    if (paren) {
                        out += u')';
                    }
                }
                break;
            }
            case Node::Kind::Not:
                out += QStringLiteral("NOT (");
                condition(*n.kids[0]);
                out += u')';
                break;
            case Node::Kind::Compare:
                if (!leftRange(n)) {
                    operand(*n.kids[0]);
                    out += u' ' + n.text + u' ';
                    operand(*n.kids[1]);
                }
                break;
            case Node::Kind::Like:
                operand(*n.kids[0]);
                out += n.negated ? QStringLiteral(" NOT LIKE ") : QStringLiteral(" LIKE ");
                operand(*n.kids[1]);
                if (n.escaped) {
                    out += QStringLiteral(" ESCAPE '\\'");
                }
                break;
            case Node::Kind::IsNull:
                operand(*n.kids[0]);
                out += n.negated ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL");
                break;
            default:
                operand(n);
                break;
        }
    }

    // LEFT(col,n) = 'text': a range on col that an index answers, and the exact test. The
    // range holds every text that begins with the literal in the collation's order: above
    // the prefix with its last character lowered (followed by DEL), below it with the last
    // character raised. Only for printable ASCII; other literals keep the plain test.
    bool leftRange(const Node& n) {
        if (n.text != u"=") {
            return false;
        }
        const Node* left = n.kids[0].get();
        const Node* lit = n.kids[1].get();
        if (left->kind != Node::Kind::Left) {
            std::swap(left, lit);
        }
        if (left->kind != Node::Kind::Left || left->kids[0]->kind != Node::Kind::Column ||
            lit->kind != Node::Kind::Literal || lit->literal.kind != Literal::Kind::Text) {
            return false;
        }
        QString prefix = lit->literal.text.left(left->length);
        while (prefix.endsWith(u' ')) {
            prefix.chop(1);
        }
        if (prefix.isEmpty()) {
            return false;
        }
        for (QChar c : prefix) {
            if (c.unicode() < 0x20 || c.unicode() > 0x7E) {
                return false;
            }
        }
        const char last = static_cast<char>(prefix.back().unicode());
        const auto below = neighbour(last, false);
        const auto above = neighbour(last, true);
        if (!below || !above) {
            return false;
        }
        const QString stem = prefix.chopped(1);
        const QString column = columnSql(left->kids[0]->text);
        out += u'(' + column + kCollate + QStringLiteral(" > ");
        textParam(stem + QLatin1Char(*below) + QChar(0x7F));
        out += QStringLiteral(" AND ") + column + kCollate + QStringLiteral(" < ");
        textParam(stem + QLatin1Char(*above));
        out += QStringLiteral(" AND ");
        operand(*left);
        out += QStringLiteral(" = ");
        param(lit->literal);
        out += u')';
        return true;
    }

    void select(const Select& s, bool topLevel) {
        out += QStringLiteral("SELECT ");
        switch (s.columns) {
            case Select::Columns::Star:
                out += topLevel ? QStringLiteral("*, rowid") : QStringLiteral("*");
                break;
            case Select::Columns::Count:
                out += QStringLiteral("COUNT(*)");
                break;
            case Select::Columns::List: {
                QStringList cols;
                for (const QString& c : s.columnList) {
                    cols.append(quoteIdentifier(c));
                }
                out += cols.join(QStringLiteral(", "));
                break;
            }
        }
        out += QStringLiteral(" FROM ") + quoteIdentifier(s.table);
        if (s.where) {
            out += QStringLiteral(" WHERE ");
            condition(*s.where);
        }
        const QSet<QString> fixed = fixedByEquality(s.where.get());
        QStringList order;
        for (const OrderItem& item : s.order) {
            const QString key = operandKey(*item.expr);
            if (!key.isEmpty() && fixed.contains(key)) {
                continue;
            }
            Emitter e(params_);
            e.operand(*item.expr);
            order.append(e.out + (item.descending ? QStringLiteral(" DESC") : QString()));
        }
        if (!order.isEmpty()) {
            out += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
        }
        if (s.top) {
            out += QStringLiteral(" LIMIT %1").arg(*s.top);
        }
    }

    // The text of an operand made of columns and functions only (no values), lower-cased so
    // that names compare as the server compares them; empty otherwise.
    static QString operandKey(const Node& n) {
        switch (n.kind) {
            case Node::Kind::Column:
                return n.text.toLower();
            case Node::Kind::LTrim: {
                const QString inner = operandKey(*n.kids[0]);
                return inner.isEmpty() ? QString() : QStringLiteral("ltrim(%1)").arg(inner);
            }
            case Node::Kind::Left: {
                const QString inner = operandKey(*n.kids[0]);
                return inner.isEmpty() ? QString()
                                       : QStringLiteral("left(%1,%2)").arg(inner).arg(n.length);
            }
            default:
                return {};
        }
    }

    // Operands that an equality with a value fixes for every row the WHERE lets through.
    static QSet<QString> fixedByEquality(const Node* where) {
        QSet<QString> fixed;
        if (where == nullptr) {
            return fixed;
        }
        std::vector<const Node*> terms;
        if (where->kind == Node::Kind::And) {
            for (const auto& k : where->kids) {
                terms.push_back(k.get());
            }
        } else {
            terms.push_back(where);
        }
        for (const Node* t : terms) {
            if (t->kind != Node::Kind::Compare || t->text != u"=") {
                continue;
            }
            for (int side = 0; side < 2; ++side) {
                const Node& a = *t->kids[side];
                const Node& b = *t->kids[1 - side];
                if (b.kind == Node::Kind::Literal && b.literal.kind != Literal::Kind::Null) {
                    const QString key = operandKey(a);
                    if (!key.isEmpty()) {
                        fixed.insert(key);
                    }
                }
            }
        }
        return fixed;
    }

private:
    std::vector<Param>& params_;
};

// --- statements -----------------------------------------------------------------------------

bool translateSelect(Parser& p, Translation& t) {
    auto s = p.select(false);
    if (!s) {
        return false;
    }
    t.kind = StatementKind::Select;
    t.table = s->table;
    t.rowidLast = s->columns == Select::Columns::Star;
    Emitter e(t.params);
    e.select(*s, true);
    t.statements.append(e.out);
    return true;
}

bool translateInsert(Parser& p, Translation& t) {
    p.expectWord("INSERT");
    p.acceptWord("INTO");
    const auto table = p.tableName();
    if (!table) {
        return false;
    }
    QStringList columns;
    if (p.acceptSymbol("(")) {
        do {
            const auto c = p.identifier();
            if (!c) {
                return false;
            }
            columns.append(*c);
        } while (p.acceptSymbol(","));
        if (!p.expectSymbol(")")) {
            return false;
        }
    }
    if (!p.expectWord("VALUES") || !p.expectSymbol("(")) {
        return false;
    }
    std::vector<Literal> values;
    do {
        const auto l = p.literal();
        if (!l) {
            return false;
        }
        values.push_back(*l);
    } while (p.acceptSymbol(","));
    if (!p.expectSymbol(")") || !p.expectEnd()) {
        return false;
    }
    if (!columns.isEmpty() && columns.size() != static_cast<qsizetype>(values.size())) {
        return p.fail(err::kColumnCountMismatch,
                      QStringLiteral("Column name or number of supplied values does not match "
                                     "table definition."));
    }
    t.kind = StatementKind::Insert;
    t.table = *table;
    Emitter e(t.params);
    e.out = QStringLiteral("INSERT INTO ") + quoteIdentifier(*table);
    if (!columns.isEmpty()) {
        QStringList quoted;
        for (const QString& c : columns) {
            quoted.append(quoteIdentifier(c));
        }
        e.out += u'(' + quoted.join(QStringLiteral(", ")) + u')';
    }
    e.out += QStringLiteral(" VALUES(");
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            e.out += u',';
        }
        if (columns.isEmpty()) {
            e.param(values[i], Param::Role::Store, {}, static_cast<int>(i));
        } else {
            e.param(values[i], Param::Role::Store, columns[static_cast<qsizetype>(i)]);
        }
    }
    e.out += u')';
    t.statements.append(e.out);
    return true;
}

// The optional WHERE that ends an UPDATE or a DELETE, then the end of the text.
bool finishWithWhere(Parser& p, Emitter& e, Translation& t) {
    if (p.acceptWord("WHERE")) {
        auto where = p.orExpression();
        if (!where) {
            return false;
        }
        e.out += QStringLiteral(" WHERE ");
        e.condition(*where);
    }
    if (!p.expectEnd()) {
        return false;
    }
    t.statements.append(e.out);
    return true;
}

bool translateUpdate(Parser& p, Translation& t) {
    p.expectWord("UPDATE");
    const auto table = p.tableName();
    if (!table || !p.expectWord("SET")) {
        return false;
    }
    t.kind = StatementKind::Update;
    t.table = *table;
    Emitter e(t.params);
    e.out = QStringLiteral("UPDATE ") + quoteIdentifier(*table) + QStringLiteral(" SET ");
    bool first = true;
    do {
        const auto column = p.identifier();
        if (!column || !p.expectSymbol("=")) {
            return false;
        }
        if (!first) {
            e.out += QStringLiteral(", ");
        }
        first = false;
        e.out += quoteIdentifier(*column) + QStringLiteral(" = ");
        if (p.startsLiteral()) {
            const auto l = p.literal();
            if (!l) {
                return false;
            }
            e.param(*l, Param::Role::Store, *column);
        } else {
            auto value = p.operand();
            if (!value) {
                return false;
            }
            // Computed values are converted for the column inside SQLite.
            e.out += QStringLiteral("qv_store(");
            e.operand(*value);
            e.out += QStringLiteral(", ");
            e.param(Literal{}, Param::Role::ColumnType, *column);
            e.out += u')';
        }
    } while (p.acceptSymbol(","));
    return finishWithWhere(p, e, t);
}

bool translateDelete(Parser& p, Translation& t) {
    p.expectWord("DELETE");
    p.acceptWord("FROM");
    const auto table = p.tableName();
    if (!table) {
        return false;
    }
    t.kind = StatementKind::Delete;
    t.table = *table;
    Emitter e(t.params);
    e.out = QStringLiteral("DELETE FROM ") + quoteIdentifier(*table);
    return finishWithWhere(p, e, t);
}

bool translateCreate(Parser& p, Translation& t) {
    p.expectWord("CREATE");
    if (p.acceptWord("TABLE")) {
        const auto table = p.tableName();
        if (!table || !p.expectSymbol("(")) {
            return false;
        }
        QStringList defs;
        do {
            const auto def = p.columnDefinition(true);
            if (!def) {
                return false;
            }
            defs.append(columnDefinitionSql(*def));
        } while (p.acceptSymbol(","));
        if (!p.expectSymbol(")") || !p.expectEnd()) {
            return false;
        }
        t.kind = StatementKind::CreateTable;
        t.table = *table;
        t.statements.append(QStringLiteral("CREATE TABLE ") + quoteIdentifier(*table) +
                            QStringLiteral(" (") + defs.join(QStringLiteral(", ")) + u')');
        return true;
    }
    const bool unique = p.acceptWord("UNIQUE");
    const bool clustered = p.acceptWord("CLUSTERED");
    if (!clustered) {
        p.acceptWord("NONCLUSTERED");
    }
    if (!p.isWord("INDEX")) {
        if (unique || p.failed()) {
            return p.fail();
        }
        return p.fail(err::kNotSupported,
                      QStringLiteral("Only CREATE TABLE and CREATE INDEX are supported by the "
                                     "embedded database."));
    }
    p.expectWord("INDEX");
    const auto index = p.identifier();
    if (!index || !p.expectWord("ON")) {
        return false;
    }
    const auto table = p.tableName();
    if (!table || !p.expectSymbol("(")) {
        return false;
    }
    QStringList plain;
    QStringList companion;
    bool hasItemId = false;
    do {
        const auto column = p.identifier();
        if (!column) {
            return false;
        }
        QString suffix;
        if (p.acceptWord("DESC")) {
            suffix = QStringLiteral(" DESC");
        } else {
            p.acceptWord("ASC");
        }
        plain.append(quoteIdentifier(*column) + suffix);
        t.index.columns.append(*column + suffix);
        if (column->compare(u"ItemID", Qt::CaseInsensitive) == 0) {
            hasItemId = true;
            companion.append(QStringLiteral("ltrim(") + quoteIdentifier(*column) + u')' + kCollate +
                             suffix);
        } else {
            companion.append(quoteIdentifier(*column) + suffix);
        }
    } while (p.acceptSymbol(","));
    if (!p.expectSymbol(")") || !p.expectEnd()) {
        return false;
    }
    t.kind = StatementKind::CreateIndex;
    t.table = *table;
    t.index.name = *index;
    t.index.unique = unique;
    t.index.clustered = clustered;
    t.statements.append(
        QStringLiteral("CREATE %1INDEX %2 ON %3(%4)%5")
            .arg(unique ? QStringLiteral("UNIQUE ") : QString(),
                 quoteIdentifier(sqliteIndexName(*table, *index)), quoteIdentifier(*table),
                 plain.join(QStringLiteral(", ")),
                 clustered ? QStringLiteral(" ") + QLatin1String(kClusteredMarker) : QString()));
    if (hasItemId) {
        // Item codes are read through ltrim(ItemID); this index answers those reads. It is
        // not unique: codes that differ only in leading blanks are distinct rows.
        t.statements.append(QStringLiteral("CREATE INDEX %1 ON %2(%3)")
                                .arg(quoteIdentifier(companionIndexName(*table, *index)),
                                     quoteIdentifier(*table),
                                     companion.join(QStringLiteral(", "))));
    }
    return true;
}

bool translateDrop(Parser& p, Translation& t) {
    p.expectWord("DROP");
    if (!p.isWord("INDEX")) {
        return p.fail(err::kNotSupported,
                      QStringLiteral("Only DROP INDEX is supported by the embedded database."));
    }
    p.expectWord("INDEX");
    auto first = p.identifier();
    if (!first) {
        return false;
    }
    QString table;
    QString index;
    if (p.acceptSymbol(".")) {
        auto second = p.identifier();
        if (!second) {
            return false;
        }
        table = *first;
        index = *second;
    } else {
        if (!p.expectWord("ON")) {
            return false;
        }
        auto tableName = p.tableName();
        if (!tableName) {
            return false;
        }
        table = *tableName;
        index = *first;
    }
    if (!p.expectEnd()) {
        return false;
    }
    t.kind = StatementKind::DropIndex;
    t.table = table;
    t.statements.append(QStringLiteral("DROP INDEX ") +
                        quoteIdentifier(sqliteIndexName(table, index)));
    t.statements.append(QStringLiteral("DROP INDEX IF EXISTS ") +
                        quoteIdentifier(companionIndexName(table, index)));
    return true;
}

bool translateAlter(Parser& p, Translation& t) {
    p.expectWord("ALTER");
    if (!p.isWord("TABLE")) {
        return p.fail(err::kNotSupported,
                      QStringLiteral("Only ALTER TABLE is supported by the embedded database."));
    }
    p.expectWord("TABLE");
    const auto table = p.tableName();
    if (!table) {
        return false;
    }
    t.table = *table;
    if (p.acceptWord("ALTER")) {
        if (!p.expectWord("COLUMN")) {
            return false;
        }
        const auto def = p.columnDefinition(false);
        if (!def || !p.expectEnd()) {
            return false;
        }
        t.kind = StatementKind::AlterColumn;
        t.column = *def;
        return true;
    }
    if (p.acceptWord("ADD")) {
        const auto def = p.columnDefinition(true);
        if (!def || !p.expectEnd()) {
            return false;
        }
        t.kind = StatementKind::AddColumn;
        t.column = *def;
        t.statements.append(QStringLiteral("ALTER TABLE ") + quoteIdentifier(*table) +
                            QStringLiteral(" ADD COLUMN ") + columnDefinitionSql(*def));
        return true;
    }
    if (p.failed()) {
        return false;
    }
    return p.fail(err::kNotSupported,
                  QStringLiteral("Only ALTER COLUMN and ADD are supported in ALTER TABLE by the "
                                 "embedded database."));
}

bool translateRename(Parser& p, Translation& t) {
    if (!p.acceptWord("EXEC")) {
        p.acceptWord("EXECUTE");
    }
    if (!p.acceptWord("sp_rename")) {
        return p.fail(err::kNotSupported,
                      QStringLiteral("Only the procedure sp_RENAME is supported by the embedded "
                                     "database."));
    }
    QStringList args;
    do {
        const Token& k = p.peek();
        if (k.type != Token::Type::String) {
            return p.fail();
        }
        args.append(k.text);
        p.next();
    } while (p.acceptSymbol(","));
    if (!p.expectEnd()) {
        return false;
    }
    if (args.size() != 3 || args[2].trimmed().compare(u"COLUMN", Qt::CaseInsensitive) != 0) {
        return p.fail(err::kNotSupported,
                      QStringLiteral("sp_RENAME is supported for columns only: sp_RENAME "
                                     "'table.column', 'new name', 'COLUMN'."));
    }
    QStringList parts = args[0].trimmed().split(u'.');
    const QString newName = args[1].trimmed();
    if (parts.size() < 2 || parts.size() > 3) {
        return p.fail(err::kRenameNoColumn,
                      QStringLiteral("Either the parameter @objname is ambiguous or the claimed "
                                     "@objtype (COLUMN) is wrong."));
    }
    const QString table = parts[parts.size() - 2].trimmed();
    const QString column = parts.back().trimmed();
    for (const QString& name : {table, column, newName}) {
        if (!isPlainIdentifier(name)) {
            return p.fail(
                err::kNotSupported,
                QStringLiteral("'%1' is not a name the embedded database accepts.").arg(name));
        }
    }
    t.kind = StatementKind::RenameColumn;
    t.table = table;
    t.column.name = newName;
    t.statements.append(
        QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3")
            .arg(quoteIdentifier(table), quoteIdentifier(column), quoteIdentifier(newName)));
    return true;
}

}  // namespace

std::optional<Translation> translate(const QString& statement, DbError& error) {
    std::vector<Token> tokens;
    if (!tokenize(statement, tokens, error)) {
        return std::nullopt;
    }
    Parser p(tokens, error);
    Translation t;
    bool ok = false;
    if (p.isWord("SELECT")) {
        ok = translateSelect(p, t);
    } else if (p.isWord("INSERT")) {
        ok = translateInsert(p, t);
    } else if (p.isWord("UPDATE")) {
        ok = translateUpdate(p, t);
    } else if (p.isWord("DELETE")) {
        ok = translateDelete(p, t);
    } else if (p.isWord("CREATE")) {
        ok = translateCreate(p, t);
    } else if (p.isWord("DROP")) {
        ok = translateDrop(p, t);
    } else if (p.isWord("ALTER")) {
        ok = translateAlter(p, t);
    } else if (p.isWord("EXEC") || p.isWord("EXECUTE") || p.isWord("sp_rename")) {
        ok = translateRename(p, t);
    } else if (p.atEnd()) {
        error = makeDbError(err::kSyntax, QStringLiteral("The statement is empty."));
        return std::nullopt;
    } else {
        const QString first = p.peek().text;
        error = makeDbError(err::kNotSupported,
                            QStringLiteral("The statement '%1 ...' is not supported by the "
                                           "embedded database.")
                                .arg(first));
        return std::nullopt;
    }
    if (!ok || p.failed()) {
        if (!p.failed()) {
            p.fail();
        }
        return std::nullopt;
    }
    return t;
}

QString columnDefinitionSql(const ColumnDef& column) {
    QString sql = quoteIdentifier(column.name) + u' ' + column.type;
    if (ColumnType::parse(column.type).kind == ColumnType::Kind::Char) {
        sql += kCollate;
    }
    if (column.notNull) {
        sql += QStringLiteral(" NOT NULL");
    }
    if (!column.defaultSql.isEmpty()) {
        sql += QStringLiteral(" DEFAULT ") + column.defaultSql;
    }
    return sql;
}

QString quoteIdentifier(const QString& name) {
    const QByteArray utf8 = name.toUtf8();
    if (isPlainIdentifier(name) &&
        sqlite3_keyword_check(utf8.constData(), static_cast<int>(utf8.size())) == 0) {
        return name;
    }
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString sqliteIndexName(const QString& table, const QString& index) {
    return table + QStringLiteral("__") + index;
}

QString companionIndexName(const QString& table, const QString& index) {
    return sqliteIndexName(table, index) + QStringLiteral("__ltrim");
}

}  // namespace qv::db::tsql
