#pragma once

// The translator's inside, shared by its parts and by nothing else: the tokens, the syntax
// tree of conditions and SELECTs, the parser that builds it (tsql_parser.cpp) and the emitter
// that writes SQLite text from it (tsql_emitter.cpp). The statements are put together in
// tsql_translator.cpp; the tokenizer and the LIKE patterns are in tsql_tokenizer.cpp.

#include "sql/sqlite/sqlite_collation.h"
#include "sql/sqlite/tsql_translator.h"

#include <QSet>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace qv::db::tsql {

// --- tokens ---------------------------------------------------------------------------------

struct Token {
    enum class Type { Word, String, Number, Symbol, End };
    Type type = Type::End;
    QString text;  // Word and Number as written, String without quotes, Symbol itself
};

bool isPlainIdentifier(const QString& s);
DbError syntaxError(const QString& near);
// Splits one statement into tokens, ending with an End token.
bool tokenize(const QString& s, std::vector<Token>& out, DbError& error);

// The desktop server reads "[x]" in a LIKE pattern as a class of one character; the lookup
// writes typed "%", "_" and "[" as "[%]", "[_]" and "[[]" so that they are searched for as
// themselves. SQLite's LIKE has no classes: a pattern holding them is rewritten for
// ESCAPE '\', the class's character escaped where LIKE would read it as a wildcard, and
// every backslash of the pattern escaped too. Classes of more than one character, ranges and
// negations ("[a-c]", "[^x]") have no LIKE equivalent and are refused.
std::optional<QString> escapedLikePattern(const QString& pattern, QString& problem);

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

// --- parser ---------------------------------------------------------------------------------

class Parser {
public:
    Parser(const std::vector<Token>& tokens, DbError& error) : t_(tokens), error_(error) {}

    bool failed() const { return failed_; }

    const Token& peek(size_t ahead = 0) const;
    bool isWord(const char* w, size_t ahead = 0) const;
    bool isSymbol(const char* s, size_t ahead = 0) const;
    bool atEnd() const { return peek().type == Token::Type::End; }
    bool acceptWord(const char* w);
    bool acceptSymbol(const char* s);
    bool expectWord(const char* w) { return acceptWord(w) || fail(); }
    bool expectSymbol(const char* s) { return acceptSymbol(s) || fail(); }
    bool expectEnd() { return atEnd() || fail(); }
    const Token& next();

    // Records a syntax error at the current token (the first error wins); always false.
    bool fail();
    bool fail(int number, const QString& description);

    std::optional<QString> identifier();

    // table, or owner.table (the owner is dropped: the embedded database has one).
    std::optional<QString> tableName();

    std::optional<std::int64_t> wholeNumber();

    // A literal value: NULL, 'text', or a number with an optional sign.
    std::optional<Literal> literal();
    bool startsLiteral() const;

    // Conditions: operands, predicates and their NOT, AND and OR.
    NodePtr operand();
    NodePtr predicate();
    NodePtr notExpression();
    NodePtr joined(Node::Kind kind, const char* word, NodePtr (Parser::*part)());
    NodePtr andExpression() { return joined(Node::Kind::And, "AND", &Parser::notExpression); }
    NodePtr orExpression() { return joined(Node::Kind::Or, "OR", &Parser::andExpression); }

    std::unique_ptr<Select> select(bool inner);

    // A column type of the accepted set, as its canonical declaration.
    std::optional<QString> columnType();

    // name type [NOT NULL | NULL | DEFAULT literal]...
    std::optional<ColumnDef> columnDefinition(bool constraints);

private:
    const std::vector<Token>& t_;
    size_t p_ = 0;
    DbError& error_;
    bool failed_ = false;
};

// --- emitting SQLite text -------------------------------------------------------------------

inline const QString kCollate = QStringLiteral(" COLLATE ") + QLatin1String(kCollationName);

class Emitter {
public:
    explicit Emitter(std::vector<Param>& params) : params_(params) {}

    QString out;

    // Parameters are numbered; a value compared with more than once takes one number, so
    // that SQLite sees the same value on both sides of an OR (a='x' AND ... OR a>'x') and can
    // plan it as one range.
    void param(const Literal& l, Param::Role role = Param::Role::Compare, QString column = {},
               int ordinal = -1);

    void textParam(const QString& text);
    void operand(const Node& n);
    void condition(const Node& n);

    // LEFT(col,n) = 'text': a range on col that an index answers, and the exact test. The
    // range holds every text that begins with the literal in the collation's order: above
    // the prefix with its last character lowered (followed by DEL), below it with the last
    // character raised. Only for printable ASCII; other literals keep the plain test.
    bool leftRange(const Node& n);

    void select(const Select& s, bool topLevel);

    // The text of an operand made of columns and functions only (no values), lower-cased so
    // that names compare as the server compares them; empty otherwise.
    static QString operandKey(const Node& n);

    // Operands that an equality with a value fixes for every row the WHERE lets through.
    static QSet<QString> fixedByEquality(const Node* where);

private:
    std::vector<Param>& params_;
};

}  // namespace qv::db::tsql
