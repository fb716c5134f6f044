// The emitter of the translator: SQLite text from the syntax tree, literal values as numbered
// parameters, and the names and column definitions as SQLite needs them written.

#include "sql/sqlite/sqlite_types.h"
#include "sql/sqlite/tsql_syntax.h"

#include <sqlite3.h>

namespace qv::db::tsql {

namespace {

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

}  // namespace

void Emitter::param(const Literal& l, Param::Role role, QString column, int ordinal) {
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

void Emitter::textParam(const QString& text) {
    Literal l;
    l.kind = Literal::Kind::Text;
    l.text = text;
    param(l);
}

void Emitter::operand(const Node& n) {
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

void Emitter::condition(const Node& n) {
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

bool Emitter::leftRange(const Node& n) {
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

void Emitter::select(const Select& s, bool topLevel) {
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

QString Emitter::operandKey(const Node& n) {
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

QSet<QString> Emitter::fixedByEquality(const Node* where) {
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
