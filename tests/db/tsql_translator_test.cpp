#include "db/tsql_translator.h"
#include "db/inventory_table.h"
#include "tests/support/data_files.h"

#include <gtest/gtest.h>

// Every statement shape the record layer, the lookup and the upgrade send, with what it
// becomes for SQLite: the statements, the parameters and what the translation says of the
// statement; refused statements with their error. Compared whole with tsql.txt.

namespace qv::db::tsql {
namespace {

// Control characters shown as \xNN.
QString visible(const QString& text) {
    QString out;
    for (const QChar c : text) {
        out += c.unicode() < 0x20 || c.unicode() == 0x7F
                   ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                   : QString(c);
    }
    return out;
}

QString describe(const QString& statement) {
    DbError error;
    const std::optional<Translation> t = translate(statement, error);
    if (!t) {
        EXPECT_EQ(error.source, QStringLiteral("Quorvane SQLite"));
        return QStringLiteral("  refused %1: %2\n").arg(error.number).arg(error.description);
    }
    static const char* const kinds[] = {"Select",      "Insert",      "Update",    "Delete",
                                        "CreateTable", "CreateIndex", "DropIndex", "AddColumn",
                                        "AlterColumn", "RenameColumn"};
    static const char* const roles[] = {"Compare", "Store", "ColumnType"};
    static const char* const literals[] = {"Null", "Text", "Integer", "Number"};
    QString out = QStringLiteral("  %1 on %2%3\n")
                      .arg(kinds[static_cast<int>(t->kind)], t->table,
                           t->rowidLast ? QStringLiteral(", rowid last") : QString());
    for (const QString& s : t->statements) {
        out += QStringLiteral("  = ") + s + u'\n';
    }
    for (const Param& p : t->params) {
        out += QStringLiteral("  ? %1 %2 [%3]")
                   .arg(roles[static_cast<int>(p.role)], literals[static_cast<int>(p.value.kind)],
                        visible(p.value.text));
        if (p.value.kind == Literal::Kind::Integer) {
            out += QStringLiteral(" %1").arg(p.value.integer);
        }
        if (!p.column.isEmpty() || p.ordinal >= 0) {
            out += QStringLiteral(" column %1 %2").arg(p.column).arg(p.ordinal);
        }
        out += u'\n';
    }
    if (t->kind == StatementKind::AlterColumn || t->kind == StatementKind::AddColumn) {
        out += QStringLiteral("  column %1 %2%3\n")
                   .arg(t->column.name, t->column.type,
                        t->column.notNull ? QStringLiteral(" NOT NULL") : QString());
    }
    if (t->kind == StatementKind::CreateIndex) {
        out += QStringLiteral("  index %1 (%2)%3%4\n")
                   .arg(t->index.name, t->index.columns.join(u','),
                        t->index.unique ? QStringLiteral(" unique") : QString(),
                        t->index.clustered ? QStringLiteral(" clustered") : QString());
    }
    return out;
}

TEST(Translate, EveryStatementShapeAsItsGoldenTextSays) {
    QString out;
    for (const test::Case& c : test::Cases("db/tsql.cases")) {
        out += c.text(0) + u'\n' + describe(c.text(0));
    }
    // The inventory table as the record layer creates it: collations and canonical types.
    for (const QString& s : {inventory::CreateStatement(QStringLiteral("invt1"))}) {
        out += s + u'\n' + describe(s);
    }
    test::ExpectGolden("db/tsql.txt", out);
}

}  // namespace
}  // namespace qv::db::tsql
