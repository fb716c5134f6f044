#include "db/inventory_table.h"
#include "db/sqlite_engine.h"
#include "db/upc_table.h"
#include "tests/support/data_files.h"

#include <gtest/gtest.h>
#include <QHash>
#include <QTemporaryDir>

// The reads the record layer makes for one row must be answered from an index: this suite
// builds store tables of a few thousand rows with the record layer's own statements, asks SQLite
// for the plan of every read shape and checks that no read scans its table or sorts it. The
// row each read (rewritten or not) returns is compared with query_plan_reads.txt, which was
// checked against the statements' meaning: a row that qualifies, none before it in the order.

namespace qv::db {
namespace {

constexpr int kItems = 3000;

using Row = QHash<QString, QString>;  // column name (lower case) -> stored text

const QStringList kInventoryKeys[13] = {{"RecordNum"},
                                        {"SL"},
                                        {"ItemID"},
                                        {"Description", "SL"},
                                        {"SubDescription", "SL"},
                                        {"VendorCode", "Description"},
                                        {"VendorCode", "SL"},
                                        {"VendorCode", "ItemID"},
                                        {"DeptCode", "ItemID"},
                                        {"PriceFactor", "Description"},
                                        {"LocBack", "RecordNum"},
                                        {"LocFront", "RecordNum"},
                                        {"Poll", "RecordNum"}};
const QStringList kUpcKeys[5] = {{"SL"}, {"SL", "UPC"}, {"UPC"}, {"POLL"}, {"InvUID"}};
const QStringList kOps = {"=", ">", ">=", "<", "<="};

enum class Rule {
    Seek,           // every step searches an index
    OrderedWalk,    // no condition: walking an index in order, no sort
    PhysicalOrder,  // no condition and no order: the table's first row
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
        items_ = new std::vector<Row>();
        upcs_ = new std::vector<Row>();
        for (int i = 0; i < kItems; ++i) {
            addItem(i);
        }
        ASSERT_TRUE(engine_->commit(error));
    }

    static void TearDownTestSuite() {
        delete engine_;
        delete dir_;
        delete items_;
        delete upcs_;
    }

    static void addItem(int i) {
        Row r;
        const bool upper = i % 2 == 0;
        r["sl"] = QString::number(10000000 + i * 3);
        r["itemid"] = (i % 7 == 0 ? QStringLiteral("  ") : QString()) +
                      QStringLiteral("ITEM%1").arg(i, 5, 10, QLatin1Char('0'));
        const QString desc = QStringLiteral("Desc %1").arg(i % 400, 3, 10, QLatin1Char('0'));
        r["description"] = upper ? desc.toUpper() : desc.toLower();
        r["subdescription"] = QStringLiteral("Sub %1").arg(i % 50);
        const QString vendor = QStringLiteral("V%1").arg(i % 25, 2, 10, QLatin1Char('0'));
        r["vendorcode"] = i % 3 == 0 ? vendor.toLower() : vendor;
        r["deptcode"] = QStringLiteral("D%1").arg(i % 12);
        r["poll"] = i % 3 == 0 ? QStringLiteral("Y") : QStringLiteral("N");
        r["locfront"] = QStringLiteral("F%1").arg(i % 60);
        r["locback"] = QStringLiteral("B%1").arg(i % 45);
        r["recordnum"] = QString::number(11 + i);
        r["pricefactor"] = i % 10 == 0 ? QStringLiteral("PF%1").arg(i % 4) : QString();
        items_->push_back(r);

        // The columns the reads look at come from the row; the others hold fixed values.
        const QString blanks = QStringLiteral("' ',").repeated(9);
        exec((QStringLiteral("INSERT INTO invt1 VALUES('%1','%2','%3','%4','N','N',' ','%5',%6.25,"
                             "1.5000,3,1,10,1,'1','%7',' ',0,1.5,' ',' ','%8',") +
              blanks + QStringLiteral("0,%6.00,' ',' ',' ','EA',' ','%9','%10',%11,") + blanks +
              QStringLiteral("'%12',0,1,0,0,0,0)"))
                 .arg(r["sl"], r["itemid"], r["description"], r["subdescription"], r["vendorcode"],
                      QString::number(i), r["deptcode"], r["poll"], r["locfront"], r["locback"],
                      r["recordnum"], r["pricefactor"]));
        for (int c = 0; c < (i % 5 == 0 ? 2 : 1); ++c) {  // some items have two codes
            Row u;
            u["sl"] = r["sl"];
            u["upc"] = QString::number(400000000000LL + i * 7) + (c == 1 ? "9" : "");
            u["poll"] = i % 4 == 0 ? QStringLiteral("Y") : QStringLiteral("N");
            u["invuid"] = r["recordnum"];
            upcs_->push_back(u);
            exec(QStringLiteral("INSERT INTO UPC1 VALUES('%1','%2','Label','%3',%4)")
                     .arg(u["sl"], u["upc"], u["poll"], u["invuid"]));
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

    // The keyed read of the record layer: every segment compared, ordered by the first, item
    // codes through ltrim, "<" and "<=" read backwards.
    static QString keyedStatement(const QString& table, const QStringList& cols,
                                  const QStringList& values, const QString& op) {
        QStringList terms;
        for (int i = 0; i < cols.size(); ++i) {
            terms.append(cols[i] + op + u'\'' + values[i] + u'\'');
        }
        QString sql = QStringLiteral("SELECT TOP 1 * FROM ") + table + QStringLiteral(" WHERE ") +
                      terms.join(QStringLiteral(" AND ")) + QStringLiteral(" ORDER BY ") + cols[0];
        sql.replace(QStringLiteral("ItemID"), QStringLiteral("ltrim(ItemID)"));
        return op.startsWith(u'<') ? sql + QStringLiteral(" DESC") : sql;
    }

    // The stepping read ("Get Next" with ">", "Get Previous" with "<"), item codes through
    // ltrim as in the keyed read.
    static QString steppingStatement(const QString& table, const QStringList& cols,
                                     const QStringList& values, const QString& cmp) {
        const QString desc = cmp == u"<" ? QStringLiteral(" DESC") : QString();
        QString sql = QStringLiteral("SELECT  TOP 1 * FROM ") + table + QStringLiteral(" WHERE ");
        if (cols.size() == 1) {
            sql +=
                cols[0] + cmp + u'\'' + values[0] + QStringLiteral("' ORDER BY ") + cols[0] + desc;
        } else {
            sql += QStringLiteral("(SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE ") +
                   cols[0] + "='" + values[0] + "') > 1 AND " + cols[0] + "='" + values[0] +
                   "' AND " + cols[1] + cmp + u'\'' + values[1] + "' OR " + cols[0] + cmp + u'\'' +
                   values[0] + "' ORDER BY " + cols[0] + desc + u',' + cols[1] + desc;
        }
        return sql.replace(QStringLiteral("ItemID"), QStringLiteral("ltrim(ItemID)"));
    }

    static QStringList keyValues(const Row& r, const QStringList& cols) {
        QStringList values;
        for (const QString& c : cols) {
            values.append(c == u"ItemID" ? r.value("itemid").trimmed() : r.value(c.toLower()));
        }
        return values;
    }

    // Checks that the plan of a statement names the index.
    static void expectIndex(const QString& sql, const QString& index) {
        DbError error;
        const auto plan = engine_->explainQueryPlan(sql, error);
        ASSERT_TRUE(plan.has_value()) << error.description.toStdString();
        EXPECT_TRUE(plan->join(u'/').contains(QStringLiteral("USING INDEX ") + index))
            << sql.toStdString() << "\n  plan: " << plan->join(u'/').toStdString();
    }

    struct StoreTable {
        QString name;
        const QStringList* keys;
        int keyCount;
        const std::vector<Row>* rows;
        std::vector<int> samples;
    };
    static std::vector<StoreTable> storeTables() {
        return {{"invt1", kInventoryKeys, 13, items_, {0, 1499, 2998}},
                {"UPC1", kUpcKeys, 5, upcs_, {0, 1700, 3500}}};
    }

    QString transcript_;
    static inline QTemporaryDir* dir_ = nullptr;
    static inline SqliteEngine* engine_ = nullptr;
    static inline std::vector<Row>* items_ = nullptr;
    static inline std::vector<Row>* upcs_ = nullptr;
};

TEST_F(QueryPlanTest, KeyedSteppingFirstAndLastReadsOfEveryKeyUseAnIndex) {
    for (const StoreTable& t : storeTables()) {
        for (int key = 0; key < t.keyCount; ++key) {
            const QStringList& cols = t.keys[key];
            for (int sample : t.samples) {
                const QStringList values = keyValues((*t.rows)[sample], cols);
                for (const QString& op : kOps) {
                    read(keyedStatement(t.name, cols, values, op), t.name, Rule::Seek);
                }
                for (const QString& cmp : {QStringLiteral(">"), QStringLiteral("<")}) {
                    read(steppingStatement(t.name, cols, values, cmp), t.name, Rule::Seek);
                }
            }
            // First and last: item codes are ordered without their leading blanks.
            QStringList first;
            QStringList last;
            for (const QString& c : cols) {
                first << (c == u"ItemID" ? QStringLiteral("ltrim(ItemID)") : c);
                last << first.back() + QStringLiteral(" DESC");
            }
            const QString head = QStringLiteral("SELECT TOP 1 * FROM ") + t.name;
            read(head + QStringLiteral(" ORDER BY ") + first.join(u','), t.name, Rule::OrderedWalk);
            read(head + QStringLiteral(" ORDER BY ") + last.join(u','), t.name, Rule::OrderedWalk);
        }
        // Key -1: physical order; "Get Last" orders by the first column.
        read(QStringLiteral("SELECT TOP 1 * FROM ") + t.name, t.name, Rule::PhysicalOrder);
        read(QStringLiteral("SELECT TOP 1 * FROM ") + t.name + QStringLiteral(" ORDER BY SL DESC"),
             t.name, Rule::OrderedWalk);
    }
    test::ExpectGolden("db/query_plan_reads.txt", transcript_);
}

TEST_F(QueryPlanTest, OtherReadShapesSeekAndItemCodesUseTheLtrimIndexes) {
    for (const test::Case& c : test::Cases("db/query_plan_other_reads.cases")) {
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
            read(c.text(2), c.text(1), verb == u"seek" ? Rule::Seek : Rule::OrderedWalk);
        }
    }
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
