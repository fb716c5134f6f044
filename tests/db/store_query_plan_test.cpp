// The record layer's reads on the embedded engine: each statement shape of its keyed
// stepping, first and last reads, item codes and wildcard searches is answered from an index,
// on the store tables as the record layer creates them (3,000 items).

#include "db/inventory_table.h"
#include "db/upc_table.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/sql/engine_test_support.h"
#include "tests/support/data_files.h"
#include "tests/support/db_fixture.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace qv::db {
namespace {

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
        // A UPC-A code each; every fifth item also an EAN-13 code that starts with its UPC-A,
        // so the two sort next to each other.
        const QString upcA =
            test::DbFixture::WithCheckDigit(QString::number(40000000000LL + i * 7));
        for (int c = 0; c < (i % 5 == 0 ? 2 : 1); ++c) {
            exec(QStringLiteral("INSERT INTO UPC1 VALUES('%1','%2','Label','%3',%4)")
                     .arg(sl, c == 1 ? test::DbFixture::WithCheckDigit(upcA) : upcA,
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
