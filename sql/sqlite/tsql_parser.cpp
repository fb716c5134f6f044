// The parser of the translator: conditions, SELECTs, literals and column definitions read
// from the tokens, with the first syntax error recorded.

#include "sql/sqlite/sqlite_errors.h"
#include "sql/sqlite/sqlite_types.h"
#include "sql/sqlite/tsql_syntax.h"

namespace qv::db::tsql {

namespace {

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

}  // namespace

const Token& Parser::peek(size_t ahead) const {
    const size_t i = std::min(p_ + ahead, t_.size() - 1);
    return t_[i];
}

bool Parser::isWord(const char* w, size_t ahead) const {
    const Token& k = peek(ahead);
    return k.type == Token::Type::Word &&
           k.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}

bool Parser::isSymbol(const char* s, size_t ahead) const {
    const Token& k = peek(ahead);
    return k.type == Token::Type::Symbol && k.text == QLatin1String(s);
}

bool Parser::acceptWord(const char* w) {
    if (isWord(w)) {
        ++p_;
        return true;
    }
    return false;
}

bool Parser::acceptSymbol(const char* s) {
    if (isSymbol(s)) {
        ++p_;
        return true;
    }
    return false;
}

const Token& Parser::next() {
    const Token& k = peek();
    if (p_ < t_.size() - 1) {
        ++p_;
    }
    return k;
}

bool Parser::fail() {
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

bool Parser::fail(int number, const QString& description) {
    if (!failed_) {
        error_ = makeDbError(number, description);
        failed_ = true;
    }
    return false;
}

std::optional<QString> Parser::identifier() {
    const Token& k = peek();
    if (k.type != Token::Type::Word || reservedWords().contains(k.text.toUpper())) {
        fail();
        return std::nullopt;
    }
    ++p_;
    return k.text;
}

std::optional<QString> Parser::tableName() {
    auto name = identifier();
    if (name && acceptSymbol(".")) {
        name = identifier();
    }
    return name;
}

std::optional<std::int64_t> Parser::wholeNumber() {
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

std::optional<Literal> Parser::literal() {
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

bool Parser::startsLiteral() const {
    return isWord("NULL") || peek().type == Token::Type::String ||
           peek().type == Token::Type::Number ||
           ((isSymbol("-") || isSymbol("+")) && peek(1).type == Token::Type::Number);
}

NodePtr Parser::operand() {
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
             QStringLiteral("'%1' is not a recognized built-in function name.").arg(peek().text));
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

NodePtr Parser::predicate() {
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
            n->text =
                QString::fromLatin1(op) == u"!=" ? QStringLiteral("<>") : QString::fromLatin1(op);
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

NodePtr Parser::notExpression() {
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

NodePtr Parser::joined(Node::Kind kind, const char* word, NodePtr (Parser::*part)()) {
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

std::unique_ptr<Select> Parser::select(bool inner) {
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

std::optional<QString> Parser::columnType() {
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

std::optional<ColumnDef> Parser::columnDefinition(bool constraints) {
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
                def.defaultSql = u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
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

}  // namespace qv::db::tsql
