#include "sql/sqlite/sqlite_engine.h"
#include "sql/sqlite/sqlite_errors.h"
#include "sql/sqlite/tsql_translator.h"
#include "tests/sql/engine_test_support.h"
#include "tests/support/data_files.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

// The embedded engine's own ways: database files, the server's comparisons, CHAR, DECIMAL and
// whole-number storage, its error texts, schema rebuilds, locks and the statement cache; the
// statements of sqlite_engine.script with what each gives in sqlite_engine.txt. Row sets,
// writes and transactions as every engine has them are in engine_conformance_test.cpp. Then
// the translator's statement shapes (tsql.txt); the query plans of the record layer's reads
// are with the record layer (tests/db/store_query_plan_test.cpp).

namespace qv::db {
namespace {

class SqliteEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        DbError error;
        ASSERT_TRUE(engine_.createDatabase(QStringLiteral("VOR"), error))
            << error.description.toStdString();
        ASSERT_TRUE(engine_.connect(params(), error)) << error.description.toStdString();
    }

    static ConnectParams params(const QString& database = QStringLiteral("VOR")) {
        ConnectParams p;
        p.database = database;
        return p;
    }

    QString folder() const { return dir_.path(); }

    std::int64_t exec(const QString& sql, SqliteEngine* engine = nullptr) {
        return enginetest::Exec(engine ? *engine : engine_, sql);
    }

    DbError failure(const QString& sql, SqliteEngine* engine = nullptr) {
        DbError error;
        const auto n = (engine ? engine : &engine_)->execute(sql, error);
        EXPECT_FALSE(n.has_value()) << sql.toStdString() << " succeeded";
        EXPECT_EQ(error.source, QStringLiteral("Quorvane SQLite"));
        return error;
    }

    std::unique_ptr<RowSet> open(const QString& sql) { return enginetest::Open(engine_, sql); }

    // What the file holds, read past the engine.
    QStringList rawRows(const QString& sql) {
        return enginetest::ReadSqliteFile(engine_.databaseFile(QStringLiteral("VOR")), sql);
    }

    void makeItems() {
        exec(
            QStringLiteral("CREATE TABLE items (SL CHAR(8) NOT NULL, Name CHAR(10), Price "
                           "DECIMAL(18,4), Qty SMALLINT)"));
        exec(QStringLiteral("Create UNIQUE Index idx_1 On items(SL)"));
        exec(QStringLiteral("INSERT INTO items VALUES('A1','apple',1.5,10)"));
        exec(QStringLiteral("INSERT INTO items VALUES('B2','bread',2.25,20)"));
        exec(QStringLiteral("INSERT INTO items VALUES('C3','cheese',7,30)"));
    }

    QTemporaryDir dir_;
    SqliteEngine engine_{dir_.path()};
};

// --- values -------------------------------------------------------------------------------

TEST(DbValue, ConversionsForTheRecordCopiesAndEqualityOfKindAndContent) {
    EXPECT_EQ(Value().toText(), QString());
    EXPECT_EQ(Value().toInteger(), 0);
    EXPECT_EQ(Value::decimal(Currency::fromScaled(125000)).toText(), QStringLiteral("12.5"));
    EXPECT_EQ(Value::decimal(Currency::fromScaled(-30000)).toText(), QStringLiteral("-3"));
    EXPECT_EQ(Value::integer(-42).toText(), QStringLiteral("-42"));
    EXPECT_EQ(Value::text(QStringLiteral(" 17 ")).toInteger(), 17);
    EXPECT_EQ(Value::text(QStringLiteral("17.5")).toInteger(), 0);
    EXPECT_EQ(Value::text(QStringLiteral("abc")).toCurrency(), Currency());
    // Whole numbers from amounts and reals round halves to even.
    EXPECT_EQ(Value::decimal(Currency::fromScaled(25000)).toInteger(), 2);
    EXPECT_EQ(Value::decimal(Currency::fromScaled(-35000)).toInteger(), -4);
    EXPECT_EQ(Value::real(2.5).toInteger(), 2);
    EXPECT_EQ(Value::real(0.1).toCurrency(), Currency::fromScaled(1000));
    EXPECT_EQ(Value::integer(7).toCurrency(), Currency::fromUnits(7));
    EXPECT_EQ(Value::text(QStringLiteral("1.23456")).toCurrency(), Currency::fromScaled(12346));
    EXPECT_DOUBLE_EQ(Value::decimal(Currency::fromScaled(5)).toDouble(), 0.0005);
    EXPECT_EQ(Value::text(QStringLiteral("a")), Value::text(QStringLiteral("a")));
    EXPECT_FALSE(Value::integer(5) == Value::decimal(Currency::fromUnits(5)));
    EXPECT_FALSE(Value::text(QString()) == Value());
    EXPECT_FALSE(Value::real(1.0) == Value::real(1.5));
}

// --- statements -----------------------------------------------------------------------------

// The script's own steps: raw: SELECT (read past the engine), create: NAME (a database),
// header: NAME (its file's first bytes), file: NAME (whether its file is there), garbage: NAME
// (a file of its name that is no database), missing: (the status and databases of an engine on
// a folder that is not there).
TEST_F(SqliteEngineTest, EveryStatementOfTheScriptGivesItsGoldenResult) {
    QString out = enginetest::RunEngineScript(
        engine_, "sql/sqlite_engine.script", [this](const QString& step, const QString& arg) {
            DbError error;
            QFile file(engine_.databaseFile(arg));
            if (step == u"raw:") {
                return rawRows(arg);
            } else if (step == u"create:") {
                return QStringList{
                    engine_.createDatabase(arg, error)
                        ? QStringLiteral("done")
                        : QStringLiteral("error %1: %2").arg(error.number).arg(error.description)};
            } else if (step == u"header:") {
                return QStringList{file.open(QIODevice::ReadOnly)
                                       ? QString::fromLatin1(file.read(16).toHex())
                                       : QStringLiteral("no file")};
            } else if (step == u"file:") {
                return QStringList{file.exists() ? QStringLiteral("there")
                                                 : QStringLiteral("none")};
            } else if (step == u"garbage:") {
                EXPECT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(QByteArray(4096, 'x'));
                return QStringList();
            }
            EXPECT_EQ(step, "missing:");
            SqliteEngine missing(QDir(folder()).filePath(QStringLiteral("none")));
            const bool listed = missing.databases(params(), error).has_value();
            return QStringList{QStringLiteral("status %1, databases %2, error %3")
                                   .arg(missing.serverStatus(params()))
                                   .arg(listed ? "listed" : "none")
                                   .arg(error.number)};
        });
    test::ExpectGolden("sql/sqlite_engine.txt", out.replace(folder(), QStringLiteral("<folder>")));
}

// --- databases and connections --------------------------------------------------------------

TEST_F(SqliteEngineTest, AReadOnlyDatabaseOrAValueTheColumnCannotHoldWritesNothing) {
    makeItems();
    auto rs = open(QStringLiteral("SELECT * FROM items WHERE SL = 'A1'"));
    ASSERT_TRUE(rs);
    rs->setValue(2, Value::decimal(Currency::fromUnits(100000000000)));
    DbError error;
    EXPECT_FALSE(rs->update(error));
    EXPECT_EQ(error.number, err::kTooManyDigits);

    SqliteEngine::Options o;
    o.readOnly = true;
    SqliteEngine reader(folder(), o);
    ASSERT_TRUE(reader.connect(params(), error));
    const DbError e = failure(QStringLiteral("DELETE FROM items"), &reader);
    EXPECT_EQ(e.number & 0xff, SQLITE_READONLY);
    EXPECT_TRUE(
        e.description.startsWith(QStringLiteral("The database \"VOR.sqlite\" is read-only")))
        << e.description.toStdString();
    EXPECT_EQ(rawRows(QStringLiteral("SELECT Price FROM items")),
              (QStringList{"1.5", "2.25", "7"}));
}

// --- locks and caches -------------------------------------------------------------------------

using namespace tsql;

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
    for (const test::Case& c : test::Cases("sql/tsql.cases")) {
        out += c.text(0) + u'\n' + describe(c.text(0));
    }
    test::ExpectGolden("sql/tsql.txt", out);
}

}  // namespace
}  // namespace qv::db
