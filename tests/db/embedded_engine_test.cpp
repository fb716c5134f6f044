#include "db/inventory_table.h"
#include "db/sqlite_engine.h"
#include "db/sqlite_errors.h"
#include "db/tsql_translator.h"
#include "db/upc_table.h"
#include "tests/db/engine_test_support.h"
#include "tests/support/data_files.h"

#include <gtest/gtest.h>
#include <QtWidgets>

// The embedded engine's own ways: database files, the server's comparisons, CHAR, DECIMAL and
// whole-number storage, its error texts, schema rebuilds, locks and the statement cache; the
// statements of sqlite_engine.script with what each gives in sqlite_engine.txt. Row sets,
// writes and transactions as every engine has them are in engine_conformance_test.cpp. Then
// the translator's statement shapes (tsql.txt) and the query plans of the record layer's reads.

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
        engine_, "db/sqlite_engine.script", [this](const QString& step, const QString& arg) {
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
    test::ExpectGolden("db/sqlite_engine.txt", out.replace(folder(), QStringLiteral("<folder>")));
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
    for (const test::Case& c : test::Cases("db/tsql.cases")) {
        out += c.text(0) + u'\n' + describe(c.text(0));
    }
    // The inventory table as the record layer creates it: collations and canonical types.
    for (const QString& s : {inventory::CreateStatement(QStringLiteral("invt1"))}) {
        out += s + u'\n' + describe(s);
    }
    test::ExpectGolden("db/tsql.txt", out);
}

constexpr int kItems = 3000;

enum class Rule {
    Seek,           // every step searches an index ("seek")
    OrderedWalk,    // no condition: walking an index in order, no sort ("walk")
    PhysicalOrder,  // no condition and no order: the table's first row ("physical")
};

class QueryPlanTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir();
        engine_ = new SqliteEngine(dir_->path());
        DbError error;
        ASSERT_TRUE(engine_->createDatabase(QStringLiteral("VOR"), error));
        ASSERT_TRUE(engine_->connect({{}, QStringLiteral("VOR"), {}, {}}, error));
        // The store tables as the record layer creates them.
        const QStringList statements =
            (inventory::CreateStatement("invt1") + inventory::IndexStatements("invt1") +
             upc::CreateStatement("UPC1") + upc::IndexStatements("UPC1"))
                .split(u';', Qt::SkipEmptyParts);
        for (const QString& s : statements) {
            ASSERT_TRUE(engine_->execute(s, error).has_value()) << s.toStdString();
        }
        ASSERT_TRUE(engine_->beginTransaction(error));
        for (int i = 0; i < kItems; ++i) {
            addItem(i);
        }
        ASSERT_TRUE(engine_->commit(error));
    }

    static void TearDownTestSuite() {
        delete engine_;
        delete dir_;
    }

    // Item i: the columns the reads look at vary with i (codes with and without leading blanks,
    // descriptions and vendors in both cases, some items with two UPC codes); the others hold
    // fixed values.
    static void addItem(int i) {
        const QString sl = QString::number(10000000 + i * 3);
        const QString desc = QStringLiteral("Desc %1").arg(i % 400, 3, 10, QLatin1Char('0'));
        const QString vendor = QStringLiteral("V%1").arg(i % 25, 2, 10, QLatin1Char('0'));
        const QString blanks = QStringLiteral("' ',").repeated(9);
        exec((QStringLiteral("INSERT INTO invt1 VALUES('%1','%2','%3','Sub %4','N','N',' ','%5',"
                             "%6.25,1.5000,3,1,10,1,'1','D%7',' ',0,1.5,' ',' ','%8',") +
              blanks + QStringLiteral("0,%6.00,' ',' ',' ','EA',' ','F%9','B%10',%11,") + blanks +
              QStringLiteral("'%12',0,1,0,0,0,0)"))
                 .arg(sl,
                      (i % 7 == 0 ? QStringLiteral("  ") : QString()) +
                          QStringLiteral("ITEM%1").arg(i, 5, 10, QLatin1Char('0')),
                      i % 2 == 0 ? desc.toUpper() : desc.toLower(), QString::number(i % 50),
                      i % 3 == 0 ? vendor.toLower() : vendor, QString::number(i),
                      QString::number(i % 12), i % 3 == 0 ? "Y" : "N", QString::number(i % 60))
                 .arg(i % 45)
                 .arg(11 + i)
                 .arg(i % 10 == 0 ? QStringLiteral("PF%1").arg(i % 4) : QString()));
        for (int c = 0; c < (i % 5 == 0 ? 2 : 1); ++c) {
            exec(QStringLiteral("INSERT INTO UPC1 VALUES('%1','%2%3','Label','%4',%5)")
                     .arg(sl, QString::number(400000000000LL + i * 7), c == 1 ? "9" : "",
                          i % 4 == 0 ? "Y" : "N")
                     .arg(11 + i));
        }
    }

    static void exec(const QString& sql) {
        DbError error;
        ASSERT_TRUE(engine_->execute(sql, error).has_value())
            << sql.toStdString() << ": " << error.description.toStdString();
    }

    // Checks the plan of a statement against the rule and adds the statement with the row it
    // reads (its identity column and key columns) to the transcript.
    void read(const QString& sql, const QString& table, Rule rule) {
        DbError error;
        const auto plan = engine_->explainQueryPlan(sql, error);
        ASSERT_TRUE(plan.has_value())
            << sql.toStdString() << ": " << error.description.toStdString();
        const std::string shown =
            sql.toStdString() + "\n  plan: " + plan->join(" / ").toStdString();
        for (const QString& line : *plan) {
            // Neither a whole sort nor one of the right part of the order.
            EXPECT_FALSE(line.startsWith(QStringLiteral("USE TEMP B-TREE"))) << shown;
            if (!line.contains(u' ' + table) && !line.contains(table + u' ')) {
                continue;
            }
            if (rule == Rule::Seek) {
                EXPECT_TRUE(line.startsWith(QStringLiteral("SEARCH ") + table + u' ')) << shown;
            } else if (rule == Rule::OrderedWalk) {
                EXPECT_TRUE(line.startsWith("SCAN " + table + " USING INDEX ") ||
                            line.startsWith("SEARCH " + table + u' '))
                    << shown;
            } else {
                EXPECT_EQ(line, QStringLiteral("SCAN ") + table) << shown;
            }
        }
        auto rs = engine_->openRowSet(sql, error);
        ASSERT_TRUE(rs) << sql.toStdString() << ": " << error.description.toStdString();
        transcript_ += sql + QStringLiteral("\n  -> ");
        const int identity = table == u"UPC1" ? 1 : 40;  // the UPC code, the record number
        transcript_ +=
            rs->eof() ? QStringLiteral("(none)") : rs->value(identity).toText().trimmed();
        transcript_ += u'\n';
    }

    // Checks that the plan of a statement names the index.
    static void expectIndex(const QString& sql, const QString& index) {
        DbError error;
        const auto plan = engine_->explainQueryPlan(sql, error);
        ASSERT_TRUE(plan.has_value()) << error.description.toStdString();
        EXPECT_TRUE(plan->join(u'/').contains(QStringLiteral("USING INDEX ") + index))
            << sql.toStdString() << "\n  plan: " << plan->join(u'/').toStdString();
    }

    // Runs the reads of a case table (rule | table | statement [| index]): "exec" changes the
    // data, "index" only looks at the plan, the others are read and checked by their rule.
    void checkReads(const QString& relative) {
        for (const test::Case& c : test::Cases(relative)) {
            SCOPED_TRACE(c.where());
            const QString verb = c.text(0);
            if (verb == u"exec") {
                exec(c.text(2));
                continue;
            }
            if (c.has(3)) {
                expectIndex(c.text(2), c.text(3));
            }
            if (verb != u"index") {
                read(c.text(2), c.text(1),
                     verb == u"seek" ? Rule::Seek
                                     : (verb == u"walk" ? Rule::OrderedWalk : Rule::PhysicalOrder));
            }
        }
    }

    QString transcript_;
    static inline QTemporaryDir* dir_ = nullptr;
    static inline SqliteEngine* engine_ = nullptr;
};

TEST_F(QueryPlanTest, KeyedSteppingFirstAndLastReadsOfEveryKeyUseAnIndex) {
    checkReads("db/query_plan_reads.cases");
    test::ExpectGolden("db/query_plan_reads.txt", transcript_);
}

TEST_F(QueryPlanTest, OtherReadShapesSeekAndItemCodesUseTheLtrimIndexes) {
    checkReads("db/query_plan_other_reads.cases");
    test::ExpectGolden("db/query_plan_other_reads.txt", transcript_);
}

// A '%text%' search walks the sort column's index and tests the pattern on its entries, so
// only matching entries cost a row read; scanning the table and sorting read every row.
TEST_F(QueryPlanTest, WildcardSearchTestsThePatternOnTheSortIndex) {
    const QString sql = QStringLiteral(
        "SELECT * FROM invt1 WHERE Description like '%c 01%' And "
        "status <> 'D' Order BY Description,subdescription");
    DbError error;
    EXPECT_EQ(engine_->explainQueryPlan(sql, error),
              (QStringList{"SCAN invt1 USING INDEX invt1__idx_3",
                           "USE TEMP B-TREE FOR RIGHT PART OF ORDER BY"}));
    QString rows;
    for (auto rs = engine_->openRowSet(sql, error); rs && !rs->eof(); rs->moveNext()) {
        rows += rs->value(2).toText().trimmed() + u'/' + rs->value(3).toText().trimmed() + u'\n';
    }
    test::ExpectGolden("db/query_plan_wildcard_rows.txt", rows);
}

}  // namespace
}  // namespace qv::db
