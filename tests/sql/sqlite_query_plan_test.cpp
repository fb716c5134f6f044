#include "sql/sqlite/sqlite_collation.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/sql/sqlite_test_schema.h"
#include "tests/support/qt_print.h"

#include <gtest/gtest.h>
#include <QHash>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

// The reads the record layer makes for one row must be answered from an index: this suite
// builds store tables of a few thousand rows with the record layer's own statements, asks SQLite
// for the plan of every read shape and checks that no read scans its table or sorts it, and
// that every read (rewritten or not) returns a row its meaning allows.

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

bool numericColumn(const QString& c) {
    const QString l = c.toLower();
    return l == u"recordnum" || l == u"invuid";
}

QString ltrimmed(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == u' ') {
        ++i;
    }
    return s.mid(i);
}

// One term of a condition or an order: a column, maybe through ltrim.
struct Term {
    QString column;
    bool ltrim = false;

    QString of(const Row& r) const {
        const QString v = r.value(column.toLower());
        return ltrim ? ltrimmed(v) : v;
    }
};

int compare(const Term& t, const QString& a, const QString& b) {
    if (numericColumn(t.column)) {
        const qint64 x = a.toLongLong();
        const qint64 y = b.toLongLong();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    return msciCompare(
        reinterpret_cast<const unsigned char*>(x.constData()), static_cast<int>(x.size()),
        reinterpret_cast<const unsigned char*>(y.constData()), static_cast<int>(y.size()));
}

bool holds(int c, const QString& op) {
    if (op == u"=")
        return c == 0;
    if (op == u">")
        return c > 0;
    if (op == u">=")
        return c >= 0;
    if (op == u"<")
        return c < 0;
    return c <= 0;
}

struct Order {
    Term term;
    bool descending = false;
};

// What a statement means: which rows qualify and in which order the first is taken.
struct Meaning {
    std::function<bool(const Row&)> matches;
    std::vector<Order> order;
};

class QueryPlanTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir();
        engine_ = new SqliteEngine(dir_->path());
        DbError error;
        ASSERT_TRUE(engine_->createDatabase(QStringLiteral("VOR"), error));
        ConnectParams p;
        p.database = QStringLiteral("VOR");
        ASSERT_TRUE(engine_->connect(p, error));
        QStringList statements;
        statements << test::schema::inventoryCreate(QStringLiteral("invt1"))
                   << test::schema::inventoryIndexes(QStringLiteral("invt1"))
                   << test::schema::upcCreate(QStringLiteral("UPC1"))
                   << test::schema::upcIndexes(QStringLiteral("UPC1"));
        for (const QString& s : statements) {
            ASSERT_TRUE(engine_->execute(s, error).has_value())
                << s.toStdString() << ": " << error.description.toStdString();
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
        r[QStringLiteral("sl")] = QString::number(10000000 + i * 3);
        r[QStringLiteral("itemid")] = (i % 7 == 0 ? QStringLiteral("  ") : QString()) +
                                      QStringLiteral("ITEM%1").arg(i, 5, 10, QLatin1Char('0'));
        const QString desc = QStringLiteral("Desc %1").arg(i % 400, 3, 10, QLatin1Char('0'));
        r[QStringLiteral("description")] = upper ? desc.toUpper() : desc.toLower();
        r[QStringLiteral("subdescription")] = QStringLiteral("Sub %1").arg(i % 50);
        const QString vendor = QStringLiteral("V%1").arg(i % 25, 2, 10, QLatin1Char('0'));
        r[QStringLiteral("vendorcode")] = i % 3 == 0 ? vendor.toLower() : vendor;
        r[QStringLiteral("deptcode")] = QStringLiteral("D%1").arg(i % 12);
        r[QStringLiteral("poll")] = i % 3 == 0 ? QStringLiteral("Y") : QStringLiteral("N");
        r[QStringLiteral("locfront")] = QStringLiteral("F%1").arg(i % 60);
        r[QStringLiteral("locback")] = QStringLiteral("B%1").arg(i % 45);
        r[QStringLiteral("recordnum")] = QString::number(11 + i);
        r[QStringLiteral("pricefactor")] =
            i % 10 == 0 ? QStringLiteral("PF%1").arg(i % 4) : QString();
        items_->push_back(r);

        // The columns the reads look at come from the row; the others hold fixed values.
        const QString blanks = QStringLiteral("' ',").repeated(9);
        const QString insert =
            (QStringLiteral("INSERT INTO invt1 VALUES('%1','%2','%3','%4','N','N',' ','%5',%6.25,"
                            "1.5000,3,1,10,1,'1','%7',' ',0,1.5,' ',' ','%8',") +
             blanks + QStringLiteral("0,%6.00,' ',' ',' ','EA',' ','%9','%10',%11,") + blanks +
             QStringLiteral("'%12',0,1,0,0,0,0)"))
                .arg(r["sl"], r["itemid"], r["description"], r["subdescription"], r["vendorcode"],
                     QString::number(i), r["deptcode"], r["poll"], r["locfront"], r["locback"],
                     r["recordnum"], r["pricefactor"]);
        DbError error;
        ASSERT_TRUE(engine_->execute(insert, error).has_value()) << error.description.toStdString();

        const int codes = i % 5 == 0 ? 2 : 1;  // some items have two codes
        for (int c = 0; c < codes; ++c) {
            Row u;
            u[QStringLiteral("sl")] = r["sl"];
            u[QStringLiteral("upc")] = QString::number(400000000000LL + i * 7) +
                                       (c == 1 ? QStringLiteral("9") : QString());
            u[QStringLiteral("poll")] = i % 4 == 0 ? QStringLiteral("Y") : QStringLiteral("N");
            u[QStringLiteral("invuid")] = r["recordnum"];
            upcs_->push_back(u);
            const QString upcInsert =
                QStringLiteral("INSERT INTO UPC1 VALUES('%1','%2','%3','%4',%5)")
                    .arg(u["sl"], u["upc"], QStringLiteral("Label"), u["poll"], u["invuid"]);
            ASSERT_TRUE(engine_->execute(upcInsert, error).has_value())
                << error.description.toStdString();
        }
    }

    enum class Rule {
        Seek,           // every step searches an index
        OrderedWalk,    // no condition: walking an index in order, no sort
        PhysicalOrder,  // no condition and no order: the table's first row
    };

    // Checks the plan of a statement against the rule.
    static void expectPlan(const QString& sql, const QString& table, Rule rule) {
        DbError error;
        const auto plan = engine_->explainQueryPlan(sql, error);
        ASSERT_TRUE(plan.has_value())
            << sql.toStdString() << ": " << error.description.toStdString();
        const QString shown = plan->join(QStringLiteral(" / "));
        for (const QString& line : *plan) {
            // Neither a whole sort nor one of the right part of the order.
            EXPECT_FALSE(line.startsWith(QStringLiteral("USE TEMP B-TREE")))
                << sql.toStdString() << "\n  plan: " << shown.toStdString();
            if (!line.contains(u' ' + table) && !line.contains(table + u' ')) {
                continue;
            }
            switch (rule) {
                case Rule::Seek:
                    EXPECT_TRUE(line.startsWith(QStringLiteral("SEARCH ") + table + u' '))
                        << sql.toStdString() << "\n  plan: " << shown.toStdString();
                    break;
                case Rule::OrderedWalk:
                    EXPECT_TRUE(line.startsWith(QStringLiteral("SCAN ") + table +
                                                QStringLiteral(" USING INDEX ")) ||
                                line.startsWith(QStringLiteral("SEARCH ") + table + u' '))
                        << sql.toStdString() << "\n  plan: " << shown.toStdString();
                    break;
                case Rule::PhysicalOrder:
                    EXPECT_EQ(line, QStringLiteral("SCAN ") + table) << sql.toStdString();
                    break;
            }
        }
    }

    // Runs a statement and checks that its first row is one the meaning allows: it qualifies,
    // and no qualifying row comes before it in the order.
    static void expectFirstRow(const QString& sql, const std::vector<Row>& rows,
                               const QString& identity, const Meaning& meaning) {
        DbError error;
        auto rs = engine_->openRowSet(sql, error);
        ASSERT_TRUE(rs) << sql.toStdString() << ": " << error.description.toStdString();
        const Row* best = nullptr;
        auto before = [&](const Row& a, const Row& b) {
            for (const Order& o : meaning.order) {
                const int c = compare(o.term, o.term.of(a), o.term.of(b));
                if (c != 0) {
                    return o.descending ? c > 0 : c < 0;
                }
            }
            return false;
        };
        for (const Row& r : rows) {
            if (meaning.matches(r) && (best == nullptr || before(r, *best))) {
                best = &r;
            }
        }
        if (best == nullptr) {
            EXPECT_EQ(rs->recordCount(), 0) << sql.toStdString();
            return;
        }
        ASSERT_GT(rs->recordCount(), 0) << sql.toStdString();
        int ordinal = -1;
        for (int c = 0; c < rs->fieldCount(); ++c) {
            if (rs->fieldName(c).compare(identity, Qt::CaseInsensitive) == 0) {
                ordinal = c;
            }
        }
        ASSERT_GE(ordinal, 0);
        const QString id = rs->value(ordinal).toText().trimmed();
        const Row* got = nullptr;
        for (const Row& r : rows) {
            if (r.value(identity.toLower()) == id) {
                got = &r;
            }
        }
        ASSERT_TRUE(got != nullptr) << sql.toStdString() << " returned " << id.toStdString();
        EXPECT_TRUE(meaning.matches(*got)) << sql.toStdString() << " returned " << id.toStdString();
        EXPECT_FALSE(before(*best, *got))
            << sql.toStdString() << " returned " << id.toStdString() << ", expected "
            << best->value(identity.toLower()).toStdString();
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
        if (op.startsWith(u'<')) {
            sql += QStringLiteral(" DESC");
        }
        return sql;
    }

    static Meaning keyedMeaning(const QStringList& cols, const QStringList& values,
                                const QString& op) {
        std::vector<std::pair<Term, QString>> conds;
        for (int i = 0; i < cols.size(); ++i) {
            conds.push_back({Term{cols[i], cols[i] == u"ItemID"}, values[i]});
        }
        Meaning m;
        m.matches = [conds, op](const Row& r) {
            for (const auto& [term, value] : conds) {
                if (!holds(compare(term, term.of(r), value), op)) {
                    return false;
                }
            }
            return true;
        };
        m.order = {Order{conds[0].first, op.startsWith(u'<')}};
        return m;
    }

    // The stepping read ("Get Next" with ">", "Get Previous" with "<"), item codes through
    // ltrim as in the keyed read.
    static QString steppingStatement(const QString& table, const QStringList& cols,
                                     const QStringList& values, const QString& cmp) {
        const QString desc = cmp == u"<" ? QStringLiteral(" DESC") : QString();
        const QString head =
            QStringLiteral("SELECT  TOP 1 * FROM ") + table + QStringLiteral(" WHERE ");
        QString sql;
        if (cols.size() == 1) {
            sql = head + cols[0] + cmp + u'\'' + values[0] + QStringLiteral("' ORDER BY ") +
                  cols[0] + desc;
        } else {
            sql = head + QStringLiteral("(SELECT COUNT(*) FROM ") + table +
                  QStringLiteral(" WHERE ") + cols[0] + QStringLiteral("='") + values[0] +
                  QStringLiteral("') > 1 AND ") + cols[0] + QStringLiteral("='") + values[0] +
                  QStringLiteral("' AND ") + cols[1] + cmp + u'\'' + values[1] +
                  QStringLiteral("' OR ") + cols[0] + cmp + u'\'' + values[0] +
                  QStringLiteral("' ORDER BY ") + cols[0] + desc + u',' + cols[1] + desc;
        }
        sql.replace(QStringLiteral("ItemID"), QStringLiteral("ltrim(ItemID)"));
        return sql;
    }

    static Meaning steppingMeaning(const std::vector<Row>& rows, const QStringList& cols,
                                   const QStringList& values, const QString& cmp) {
        const bool back = cmp == u"<";
        const Term a{cols[0], cols[0] == u"ItemID"};
        Meaning m;
        if (cols.size() == 1) {
            m.matches = [=](const Row& r) { return holds(compare(a, a.of(r), values[0]), cmp); };
            m.order = {Order{a, back}};
            return m;
        }
        const Term b{cols[1], cols[1] == u"ItemID"};
        int sameFirst = 0;
        for (const Row& r : rows) {
            sameFirst += compare(a, a.of(r), values[0]) == 0 ? 1 : 0;
        }
        m.matches = [=](const Row& r) {
            return (sameFirst > 1 && compare(a, a.of(r), values[0]) == 0 &&
                    holds(compare(b, b.of(r), values[1]), cmp)) ||
                   holds(compare(a, a.of(r), values[0]), cmp);
        };
        m.order = {Order{a, back}, Order{b, back}};
        return m;
    }

    static QStringList keyValues(const Row& r, const QStringList& cols) {
        QStringList values;
        for (const QString& c : cols) {
            QString v = r.value(c.toLower());
            values.append(c == u"ItemID" ? ltrimmed(v) : v);
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
        QString identity;  // the column that tells the rows apart
        std::vector<int> samples;
    };
    static std::vector<StoreTable> storeTables() {
        return {{"invt1", kInventoryKeys, 13, items_, "RecordNum", {0, 1499, 2998}},
                {"UPC1", kUpcKeys, 5, upcs_, "UPC", {0, 1700, 3500}}};
    }

    static inline QTemporaryDir* dir_ = nullptr;
    static inline SqliteEngine* engine_ = nullptr;
    static inline std::vector<Row>* items_ = nullptr;
    static inline std::vector<Row>* upcs_ = nullptr;
};

const QStringList kOps = {"=", ">", ">=", "<", "<="};

TEST_F(QueryPlanTest, KeyedReadsOfEveryKeySeekAnIndex) {
    for (const StoreTable& t : storeTables()) {
        for (int key = 0; key < t.keyCount; ++key) {
            for (int sample : t.samples) {
                const QStringList values = keyValues((*t.rows)[sample], t.keys[key]);
                for (const QString& op : kOps) {
                    const QString sql = keyedStatement(t.name, t.keys[key], values, op);
                    SCOPED_TRACE("key " + std::to_string(key) + ": " + sql.toStdString());
                    expectPlan(sql, t.name, Rule::Seek);
                    expectFirstRow(sql, *t.rows, t.identity, keyedMeaning(t.keys[key], values, op));
                }
            }
        }
    }
}

TEST_F(QueryPlanTest, KeyValuesWithTrailingBlanksAndOtherCaseFindTheSameRows) {
    const Row& r = (*items_)[1501];
    const QString sql = QStringLiteral(
                            "SELECT TOP 1 * FROM invt1 WHERE Description='%1   ' AND "
                            "SL='%2' ORDER BY Description")
                            .arg(r["description"].toLower(), r["sl"]);
    expectPlan(sql, QStringLiteral("invt1"), Rule::Seek);
    expectFirstRow(sql, *items_, QStringLiteral("RecordNum"),
                   keyedMeaning({"Description", "SL"}, {r["description"], r["sl"]}, "="));
    DbError error;
    auto rs = engine_->openRowSet(sql, error);
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->value(40).toInteger(), r["recordnum"].toLongLong());
}

TEST_F(QueryPlanTest, FirstAndLastOnEveryKeyWalkAnIndexInOrder) {
    for (const StoreTable& t : storeTables()) {
        for (int key = 0; key < t.keyCount; ++key) {
            const QStringList& cols = t.keys[key];
            QStringList first;
            QStringList last;
            std::vector<Order> firstOrder;
            std::vector<Order> lastOrder;
            for (const QString& c : cols) {
                // Item codes are ordered without their leading blanks.
                const bool ltrim = c == u"ItemID";
                const QString term = ltrim ? QStringLiteral("ltrim(ItemID)") : c;
                first.append(term);
                last.append(term + QStringLiteral(" DESC"));
                firstOrder.push_back(Order{Term{c, ltrim}, false});
                lastOrder.push_back(Order{Term{c, ltrim}, true});
            }
            const QString head = QStringLiteral("SELECT TOP 1 * FROM ") + t.name;
            const QString getFirst = head + QStringLiteral(" ORDER BY ") + first.join(u',');
            const QString getLast = head + QStringLiteral(" ORDER BY ") + last.join(u',');
            SCOPED_TRACE(getFirst.toStdString());
            expectPlan(getFirst, t.name, Rule::OrderedWalk);
            expectPlan(getLast, t.name, Rule::OrderedWalk);
            expectFirstRow(getFirst, *t.rows, t.identity,
                           Meaning{[](const Row&) { return true; }, firstOrder});
            expectFirstRow(getLast, *t.rows, t.identity,
                           Meaning{[](const Row&) { return true; }, lastOrder});
        }
        // Key -1: physical order; "Get Last" orders by the first column.
        expectPlan(QStringLiteral("SELECT TOP 1 * FROM ") + t.name, t.name, Rule::PhysicalOrder);
        const QString lastPhysical =
            QStringLiteral("SELECT TOP 1 * FROM ") + t.name + QStringLiteral(" ORDER BY SL DESC");
        expectPlan(lastPhysical, t.name, Rule::OrderedWalk);
        expectFirstRow(lastPhysical, *t.rows, t.identity,
                       Meaning{[](const Row&) { return true; }, {Order{Term{"SL"}, true}}});
    }
}

TEST_F(QueryPlanTest, SteppingReadsSeekAnIndex) {
    for (const StoreTable& t : storeTables()) {
        for (int key = 0; key < t.keyCount; ++key) {
            for (int sample : t.samples) {
                const QStringList values = keyValues((*t.rows)[sample], t.keys[key]);
                for (const QString& cmp : {QStringLiteral(">"), QStringLiteral("<")}) {
                    const QString sql = steppingStatement(t.name, t.keys[key], values, cmp);
                    SCOPED_TRACE("key " + std::to_string(key) + ": " + sql.toStdString());
                    expectPlan(sql, t.name, Rule::Seek);
                    expectFirstRow(sql, *t.rows, t.identity,
                                   steppingMeaning(*t.rows, t.keys[key], values, cmp));
                }
            }
        }
    }
}

TEST_F(QueryPlanTest, SteppingPastAFirstSegmentHeldByOneRowMovesToTheNextValue) {
    // Description values repeat every 400 items: give one item a description of its own and
    // step past it on key 3 (Description, SL).
    const Row& r = (*items_)[7];
    const QStringList cols = kInventoryKeys[3];
    const QString unique = QStringLiteral("ZZ only one");
    DbError error;
    ASSERT_TRUE(engine_
                    ->execute(QStringLiteral("UPDATE invt1 SET Description = '%1' WHERE SL = '%2'")
                                  .arg(unique, r["sl"]),
                              error)
                    .has_value());
    std::vector<Row> rows = *items_;
    rows[7]["description"] = unique;
    const QString sql = steppingStatement(QStringLiteral("invt1"), cols, {unique, r["sl"]}, ">");
    expectPlan(sql, QStringLiteral("invt1"), Rule::Seek);
    expectFirstRow(sql, rows, QStringLiteral("RecordNum"),
                   steppingMeaning(rows, cols, {unique, r["sl"]}, ">"));
    ASSERT_TRUE(engine_
                    ->execute(QStringLiteral("UPDATE invt1 SET Description = '%1' WHERE SL = '%2'")
                                  .arg(r["description"], r["sl"]),
                              error)
                    .has_value());
}

TEST_F(QueryPlanTest, ItemCodeReadsUseTheLtrimIndex) {
    for (int sample : {0, 7, 1500}) {
        const Row& r = (*items_)[sample];
        const QString code = ltrimmed(r["itemid"]);
        for (const QString& sql :
             {QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE ltrim(ItemID)='%1' ORDER BY "
                             "ltrim(ItemID)")
                  .arg(code.toLower()),
              QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE ltrim(ItemID)<='%1' ORDER BY "
                             "ltrim(ItemID) DESC")
                  .arg(code)}) {
            SCOPED_TRACE(sql.toStdString());
            expectIndex(sql, QStringLiteral("invt1__idx_2__ltrim"));
            expectPlan(sql, QStringLiteral("invt1"), Rule::Seek);
        }
        expectFirstRow(QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE ltrim(ItemID)='%1' ORDER "
                                      "BY ltrim(ItemID)")
                           .arg(code.toLower()),
                       *items_, QStringLiteral("RecordNum"), keyedMeaning({"ItemID"}, {code}, "="));
    }
}

TEST_F(QueryPlanTest, ItemCodeWalksUseTheLtrimIndexes) {
    // Keys 2, 7 and 8 step and start through ltrim(ItemID): their companion indexes answer.
    const std::pair<int, QString> keys[] = {
        {2, "invt1__idx_2__ltrim"}, {7, "invt1__idx_6__ltrim"}, {8, "invt1__idx_8__ltrim"}};
    for (const auto& [key, index] : keys) {
        const QStringList& cols = kInventoryKeys[key];
        QStringList statements;
        for (const QString& cmp : {QStringLiteral(">"), QStringLiteral("<")}) {
            statements << steppingStatement(QStringLiteral("invt1"), cols,
                                            keyValues((*items_)[700], cols), cmp);
        }
        const QString order =
            cols.join(u',').replace(QStringLiteral("ItemID"), QStringLiteral("ltrim(ItemID)"));
        statements << QStringLiteral("SELECT TOP 1 * FROM invt1 ORDER BY ") + order;
        for (const QString& sql : statements) {
            expectIndex(sql, index);
        }
    }
}

TEST_F(QueryPlanTest, ReadsByRecordNumberCodeAndDepartmentSeek) {
    const Row& r = (*items_)[2500];
    const QString byNumber =
        QStringLiteral("SELECT * from invt1 WHERE recordnum = %1").arg(r["recordnum"]);
    const QString byCode = QStringLiteral("SELECT * from invt1 WHERE SL = '%1'").arg(r["sl"]);
    const QString byDept = QStringLiteral("SELECT * FROM invt1 WHERE DeptCode = 'd3'");
    for (const QString& sql : {byNumber, byCode, byDept}) {
        expectPlan(sql, QStringLiteral("invt1"), Rule::Seek);
    }
    expectFirstRow(byNumber, *items_, QStringLiteral("RecordNum"),
                   keyedMeaning({"RecordNum"}, {r["recordnum"]}, "="));
    expectFirstRow(byCode, *items_, QStringLiteral("RecordNum"),
                   keyedMeaning({"SL"}, {r["sl"]}, "="));
    DbError error;
    auto dept = engine_->openRowSet(byDept, error);
    ASSERT_TRUE(dept);
    EXPECT_EQ(dept->recordCount(), kItems / 12);
    const QString next = QStringLiteral("SELECT top 1 * from invt1 ORDER BY RecordNum DESC");
    expectPlan(next, QStringLiteral("invt1"), Rule::OrderedWalk);
    expectFirstRow(next, *items_, QStringLiteral("RecordNum"),
                   Meaning{[](const Row&) { return true; }, {Order{Term{"RecordNum"}, true}}});
}

TEST_F(QueryPlanTest, DirectSingleColumnReadsSeek) {
    const Row& r = (*items_)[1234];
    for (const QString& op : kOps) {
        QString sql = QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE Description%1'%2'")
                          .arg(op, r["description"]);
        std::vector<Order> order;
        if (op.startsWith(u'<')) {
            sql += QStringLiteral(" ORDER BY Description DESC");
            order.push_back(Order{Term{"Description"}, true});
        }
        SCOPED_TRACE(sql.toStdString());
        expectPlan(sql, QStringLiteral("invt1"), Rule::Seek);
        const QString value = r["description"];
        Meaning m{[value, op](const Row& row) {
                      return holds(compare(Term{"Description"}, row["description"], value), op);
                  },
                  order};
        expectFirstRow(sql, *items_, QStringLiteral("RecordNum"), m);
    }
}

TEST_F(QueryPlanTest, UpcPrefixReadsSeekAndFindTheFirstCode) {
    for (const QString& prefix :
         {QStringLiteral("4000000"), QStringLiteral("40000010"), QStringLiteral("400000012349"),
          QStringLiteral("4000000209"), QStringLiteral("5")}) {
        const QString sql = QStringLiteral(
                                "SELECT TOP 1 * FROM UPC1 WHERE LEFT(upc,%1)='%2' "
                                "order by UPC")
                                .arg(prefix.size())
                                .arg(prefix);
        SCOPED_TRACE(sql.toStdString());
        expectPlan(sql, QStringLiteral("UPC1"), Rule::Seek);
        Meaning m{[prefix](const Row& u) {
                      return compare(Term{"UPC"}, u["upc"].left(prefix.size()), prefix) == 0;
                  },
                  {Order{Term{"UPC"}, false}}};
        expectFirstRow(sql, *upcs_, QStringLiteral("UPC"), m);
    }
    const QString anyCode =
        QStringLiteral("SELECT TOP 1 * FROM UPC1 WHERE ltrim(upc) > ' ' order by UPC");
    expectPlan(anyCode, QStringLiteral("UPC1"), Rule::OrderedWalk);
    expectFirstRow(anyCode, *upcs_, QStringLiteral("UPC"),
                   Meaning{[](const Row& u) { return !u["upc"].trimmed().isEmpty(); },
                           {Order{Term{"UPC"}, false}}});
}

// A '%text%' search walks the sort column's index and tests the pattern on its entries, so
// only matching entries cost a row read; scanning the table and sorting read every row.
TEST_F(QueryPlanTest, WildcardSearchTestsThePatternOnTheSortIndex) {
    const QString sql = QStringLiteral(
        "SELECT * FROM invt1 WHERE Description like '%c 01%' And "
        "status <> 'D' Order BY Description,subdescription");
    DbError error;
    const auto plan = engine_->explainQueryPlan(sql, error);
    ASSERT_TRUE(plan.has_value()) << error.description.toStdString();
    EXPECT_EQ(*plan, (QStringList{"SCAN invt1 USING INDEX invt1__idx_3",
                                  "USE TEMP B-TREE FOR RIGHT PART OF ORDER BY"}));
    auto rs = engine_->openRowSet(sql, error);
    ASSERT_TRUE(rs);
    QStringList got;
    for (; !rs->eof(); rs->moveNext()) {
        got.append(rs->value(2).toText().trimmed() + u'/' + rs->value(3).toText().trimmed());
    }
    QStringList expected;
    std::vector<const Row*> matches;
    for (const Row& r : *items_) {
        if (r["description"].contains(QStringLiteral("c 01"), Qt::CaseInsensitive)) {
            matches.push_back(&r);
        }
    }
    std::stable_sort(matches.begin(), matches.end(), [](const Row* a, const Row* b) {
        const int c =
            compare(Term{"Description"}, a->value("description"), b->value("description"));
        return c != 0 ? c < 0
                      : compare(Term{"SubDescription"}, a->value("subdescription"),
                                b->value("subdescription")) < 0;
    });
    ASSERT_EQ(got.size(), static_cast<qsizetype>(matches.size()));
    // Rows that tie on both columns may come in any order: compare the order keys.
    for (size_t i = 0; i < matches.size(); ++i) {
        const QString key =
            matches[i]->value("description") + u'/' + matches[i]->value("subdescription");
        EXPECT_EQ(got[static_cast<qsizetype>(i)].toLower(), key.toLower()) << i;
    }
}

}  // namespace
}  // namespace qv::db
