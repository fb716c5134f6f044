// The translator: each accepted statement read with the parser and written with the emitter
// into its Translation (see tsql_translator.h).

#include "sql/sqlite/tsql_translator.h"

#include "sql/sqlite/sqlite_errors.h"
#include "sql/sqlite/tsql_syntax.h"

namespace qv::db::tsql {

namespace {

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

}  // namespace qv::db::tsql
