// RecordOp against a real embedded database: the statements built for each operation and key,
// walks in key order, writes and their failures.

#include "db/record_layer.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/db/db_test_util.h"
#include "tests/support/db_fixture.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QDate>

using namespace qv;
using namespace qv::db;
using qv::test::DbFixture;

namespace {

class RecordOpTest : public ::testing::Test {
protected:
    explicit RecordOpTest(int items = 30) : fx(sandbox, optionsWith(items)) {}

    static DbFixture::Options optionsWith(int items) {
        DbFixture::Options o;
        o.items = items;
        return o;
    }

    void SetUp() override { ASSERT_TRUE(fx.ok()) << fx.error.toStdString(); }

    RecordLayer& db() { return *fx.layer; }

    // Runs a read with a built statement and gives the statement back.
    QString built(int table, std::int16_t code, std::int16_t key, bool direct = false) {
        QString sql;
        db().RecordOp(table, code, key, direct, false, sql);
        return sql.isEmpty() ? db().LastStatement() : sql;
    }

    // Runs an inventory read that finds a row and gives back the statement it sent.
    QString sent(std::int16_t code, std::int16_t key) {
        EXPECT_TRUE(db().RecordOp(kInventoryTable, code, key)) << why();
        return db().LastStatement();
    }

    // Runs a read with the caller's statement and gives the statement back as it was sent.
    QString given(std::int16_t code, std::int16_t key, bool direct, QString sql,
                  bool found = true) {
        EXPECT_EQ(db().RecordOp(kInventoryTable, code, key, direct, false, sql), found) << why();
        return sql;
    }

    // Makes the item with this record number the current row.
    void goTo(std::int32_t recordNum) {
        db().Inventory.RecordNum = recordNum;
        ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetEqual, 0)) << why();
    }

    std::string why() {
        return (db().LastError().description + QStringLiteral(" | ") + db().LastStatement())
            .toStdString();
    }

    // Inserts one inventory item.
    bool insertItem(const QString& sl, const QString& itemId, const QString& description,
                    std::int32_t recordNum) {
        db().Inventory = InventoryRecord();
        db().Inventory.SL = sl;
        db().Inventory.ItemID = itemId;
        db().Inventory.Description = description;
        db().Inventory.RecordNum = recordNum;
        return db().RecordOp(kInventoryTable, op::Insert, 0);
    }

    qv::test::Sandbox sandbox;
    DbFixture fx;
};

class EmptyInventoryTest : public RecordOpTest {
protected:
    EmptyInventoryTest() : RecordOpTest(0) {}
};

// --- statements --------------------------------------------------------------------------------

TEST_F(RecordOpTest, KeyedStatementsCompareEverySegmentAndOrderOnTheFirst) {
    db().Inventory.ItemID = QStringLiteral("ABC");
    EXPECT_EQ(built(kInventoryTable, op::GetEqual, 2),
              QStringLiteral(
                  "SELECT TOP 1 * FROM invt1 WHERE ltrim(ItemID)='ABC' ORDER BY ltrim(ItemID)"));
    db().Inventory.Description = QStringLiteral("ABC");
    db().Inventory.SL = QStringLiteral("A1");
    EXPECT_EQ(built(kInventoryTable, op::GetGreaterOrEqual, 3),
              QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE Description>='ABC' AND SL>='A1' "
                             "ORDER BY Description"));
    db().Inventory.SL = QStringLiteral("10000005");
    EXPECT_EQ(built(kInventoryTable, op::GetLessOrEqual, 1),
              QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL<='10000005' ORDER BY SL DESC"));
    EXPECT_EQ(db().Inventory.SL.rtrimmed(), QStringLiteral("10000005"));
}

TEST_F(RecordOpTest, GivenStatementIsUsedWithDescendingAppendedToLessOrEqual) {
    // "<=" gets " DESC" appended to the caller's text; the key is not read.
    const QString lessOrEqual =
        QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL<='10000003' ORDER BY SL");
    EXPECT_EQ(given(op::GetLessOrEqual, 1, false, lessOrEqual),
              lessOrEqual + QStringLiteral(" DESC"));
    EXPECT_EQ(db().Inventory.SL.rtrimmed(), QStringLiteral("10000003"));
    const QString equal = QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE RecordNum = 20");
    EXPECT_EQ(given(op::GetEqual, 0, false, equal), equal);
    EXPECT_EQ(db().Inventory.RecordNum, 20);

    // Direct mode: the same statements, read into the current row and not the buffer.
    const InventoryRecord before = db().Inventory;
    QString sql =
        given(op::GetLessOrEqual, 2, true,
              QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL<='10000005' ORDER BY SL"));
    EXPECT_EQ(sql,
              QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL<='10000005' ORDER BY SL DESC"));
    EXPECT_EQ(db().LastStatement(), sql);
    EXPECT_EQ(db().FieldValue(kInventoryTable, 0).toText(), QStringLiteral("10000005"));
    EXPECT_EQ(db().Inventory, before);
    EXPECT_EQ(given(op::GetEqual, 0, true, equal), equal);
    EXPECT_EQ(db().FieldValue(kInventoryTable, 40).toInteger(), 20);
    const QString none = QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL>'ZZZ'");
    EXPECT_EQ(given(op::GetGreater, 0, true, none, false), none);
    EXPECT_EQ(db().Inventory, before);
}

TEST_F(RecordOpTest, DirectReadsCompareTheCurrentRowsColumn) {
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetFirst, 1));
    db().SetFieldValue(kInventoryTable, 0, Value::text(QStringLiteral("10000007")));
    const InventoryRecord before = db().Inventory;
    EXPECT_EQ(given(op::GetGreater, 0, true, QString()),
              QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL>'10000007'"));
    // Direct mode leaves the record buffer alone; the row is read from the current row.
    EXPECT_EQ(db().Inventory, before);
    EXPECT_GT(db().FieldValue(kInventoryTable, 0).toText(), QStringLiteral("10000007"));

    db().SetFieldValue(kInventoryTable, 2, Value::text(QStringLiteral("O'NEILL")));
    QString sql;
    db().RecordOp(kInventoryTable, op::GetLessOrEqual, 2, true, false, sql);
    EXPECT_EQ(sql, QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE Description<='O''NEILL' "
                                  "ORDER BY Description DESC"));
}

TEST_F(EmptyInventoryTest, DirectGivenStatementNeedsNoCurrentRow) {
    QString sql = QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL<'X' ORDER BY SL");
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::GetLess, 0, true, false, sql));
    EXPECT_FALSE(db().LastError().isSet()) << db().LastError().description.toStdString();
    EXPECT_EQ(db().LastStatement(),
              QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL<'X' ORDER BY SL DESC"));
}

TEST_F(RecordOpTest, DirectWithKeyFromRecordUsesTheKey) {
    db().Inventory.SL = QStringLiteral("10000004");
    db().KeyFromRecord = true;
    QString sql;
    const InventoryRecord before = db().Inventory;
    EXPECT_TRUE(db().RecordOp(kInventoryTable, op::GetEqual, 1, true, false, sql));
    db().KeyFromRecord = false;
    EXPECT_EQ(sql, QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL='10000004' ORDER BY SL"));
    EXPECT_EQ(db().Inventory, before);
    db().RowToRecord(kInventoryTable);
    EXPECT_EQ(db().Inventory.RecordNum, 15);
}

TEST_F(RecordOpTest, FirstAndLastOrderByAllSegments) {
    EXPECT_EQ(sent(op::GetLast2, kPhysicalOrder),
              QStringLiteral("SELECT TOP 1 * FROM invt1 ORDER BY SL DESC"));
    EXPECT_EQ(db().Inventory.SL.rtrimmed(), QStringLiteral("10000029"));
    EXPECT_EQ(sent(op::GetFirst, kPhysicalOrder), QStringLiteral("SELECT TOP 1 * FROM invt1"));
    EXPECT_EQ(sent(op::GetFirst, 3),
              QStringLiteral("SELECT TOP 1 * FROM invt1 ORDER BY Description,SL"));
    EXPECT_EQ(sent(op::GetLast, 3),
              QStringLiteral("SELECT TOP 1 * FROM invt1 ORDER BY Description DESC,SL DESC"));
    EXPECT_EQ(db().Inventory.Description.rtrimmed(), QStringLiteral("SOUTHERN STOUT"));
}

TEST_F(RecordOpTest, SteppingStatementsOnOneAndTwoSegments) {
    db().Inventory.SL = QStringLiteral("10000003");
    EXPECT_EQ(sent(op::GetNext, 1),
              QStringLiteral("SELECT  TOP 1 * FROM invt1 WHERE SL>'10000003' ORDER BY SL"));
    EXPECT_EQ(sent(op::GetPrevious, 1),
              QStringLiteral("SELECT  TOP 1 * FROM invt1 WHERE SL<'10000004' ORDER BY SL DESC"));

    const QString both = QStringLiteral(
        "SELECT  TOP 1 * FROM invt1 WHERE (SELECT COUNT(*) FROM invt1 WHERE Description='KIWI "
        "LAGER') > 1 AND Description='KIWI LAGER' AND SL%1'10000000' OR Description%1'KIWI "
        "LAGER' ORDER BY ");
    db().Inventory.Description = QStringLiteral("KIWI LAGER");
    db().Inventory.SL = QStringLiteral("10000000");
    EXPECT_EQ(sent(op::GetNext, 3), both.arg(QLatin1Char('>')) + QStringLiteral("Description,SL"));
    db().Inventory.Description = QStringLiteral("KIWI LAGER");
    db().Inventory.SL = QStringLiteral("10000000");
    EXPECT_EQ(sent(op::GetPrevious2, 3),
              both.arg(QLatin1Char('<')) + QStringLiteral("Description DESC,SL DESC"));
}

TEST_F(RecordOpTest, ApostropheAndCommaInTheKeyValue) {
    db().Inventory.Description = QStringLiteral("O'BRIEN, JOE");
    db().Inventory.PriceFactor = QStringLiteral("X'Y, Z");
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::GetEqual, 3));
    EXPECT_TRUE(db().LastStatement().contains(QStringLiteral("Description='O''BRIEN,JOE'")))
        << db().LastStatement().toStdString();
    // The same text as a fourth segment would lose only its apostrophe.
    EXPECT_EQ(TextSegment(u"X'Y, Z", 4).toText(), QStringLiteral("X Y, Z"));
}

TEST_F(RecordOpTest, LongerKeysStepOnEveryLeadingSegment) {
    // No table of the suite has a key of three segments; one loaded by hand shows the form.
    ASSERT_TRUE(
        insertItem(QStringLiteral("T1"), QStringLiteral("T1"), QStringLiteral("TRIO"), 801));
    ASSERT_TRUE(
        insertItem(QStringLiteral("T2"), QStringLiteral("T2"), QStringLiteral("TRIO"), 802));
    db().Keys.ordinal[0] = 2;
    db().Keys.ordinal[1] = 0;
    db().Keys.ordinal[2] = 40;
    db().Keys.value[0] = Value::text(QStringLiteral("TRIO"));
    db().Keys.value[1] = Value::text(QStringLiteral("T1"));
    db().Keys.value[2] = Value::integer(801);
    db().Slot(kInventoryTable)->segmentCount = 3;
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetNext, 99));  // key 99 loads nothing
    EXPECT_EQ(db().LastStatement(),
              QStringLiteral("SELECT  TOP 1 * FROM invt1 WHERE Description='TRIO' AND SL='T1' AND "
                             "RecordNum>'801' OR Description='TRIO' AND SL>'T1' OR "
                             "Description>'TRIO' ORDER BY Description,SL,RecordNum"));
    EXPECT_EQ(db().Inventory.RecordNum, 802);
}

TEST_F(RecordOpTest, NumbersThatAreNotNumbersReadAsZero) {
    // A row written by some other tool with text in its number columns.
    sqlite3* raw = nullptr;
    const QByteArray file = sandbox.native(QStringLiteral("C:\\KT\\VOR.sqlite")).toUtf8();
    ASSERT_EQ(sqlite3_open(file.constData(), &raw), SQLITE_OK);
    char* message = nullptr;
    const int rc = sqlite3_exec(raw,
                                "UPDATE invt1 SET QZV1 = 'abc', MinQ = 99999, Price = 'lots', "
                                "QtyOnHand = 'x' WHERE RecordNum = 12",
                                nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(raw);

    ASSERT_TRUE(db().GetInventoryByRecordNum(12));
    EXPECT_EQ(db().Inventory.QZV1, 0);
    EXPECT_EQ(db().Inventory.MinQ, 32767);
    EXPECT_EQ(db().Inventory.Price, Currency());
    EXPECT_EQ(db().Inventory.QtyOnHand, 0.0f);
    EXPECT_EQ(db().Inventory.SL.rtrimmed(), QStringLiteral("10000001"));
}

TEST_F(RecordOpTest, TextIntoANumberColumnIsRefusedWhole) {
    ASSERT_TRUE(db().GetInventoryByRecordNum(13));
    db().SetFieldValue(kInventoryTable, 2, Value::text(QStringLiteral("CHANGED")));
    db().SetFieldValue(kInventoryTable, 11, Value::text(QStringLiteral("twelve")));
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Update, 0, true));
    EXPECT_TRUE(db().LastError().isSet());
    ASSERT_TRUE(db().GetInventoryByRecordNum(13));
    EXPECT_EQ(db().Inventory.Description, DbFixture::Item(2).Description);
    EXPECT_EQ(db().Inventory.MinQ, 6);
}

// --- reads -----------------------------------------------------------------------------------

TEST_F(RecordOpTest, ItemCodeStoredWithLeadingBlanksIsFound) {
    ASSERT_TRUE(insertItem(QStringLiteral("LB1"), QStringLiteral("   LEADING"),
                           QStringLiteral("LEADING BLANKS"), 500));
    db().Inventory = InventoryRecord();
    db().Inventory.ItemID = QStringLiteral("LEADING");
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetEqual, 2)) << why();
    EXPECT_EQ(db().Inventory.RecordNum, 500);
    EXPECT_EQ(db().Inventory.ItemID.str(), QStringLiteral("   LEADING") + QString(15, u' '));
    // And the other way round: typed with blanks, stored without.
    db().Inventory.ItemID = QStringLiteral("  hb-000002");
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetEqual, 2)) << why();
    EXPECT_EQ(db().Inventory.RecordNum, 13);
}

TEST_F(RecordOpTest, FailedReadKeepsTheBufferAndResetsTheRow) {
    goTo(20);
    db().Inventory.SL = QStringLiteral("ZZZZZZZZ");
    const InventoryRecord before = db().Inventory;
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::GetEqual, 1));
    EXPECT_EQ(db().Inventory, before);
    // Back on the default row: the table's first row in physical order.
    EXPECT_EQ(db().FieldValue(kInventoryTable, 0).toText(), QStringLiteral("10000000"));
}

TEST_F(RecordOpTest, GetNextOnTwoSegmentsWithASingleFirstValueMovesOn) {
    // Descriptions: each one is held by a single item except "DUP".
    ASSERT_TRUE(insertItem(QStringLiteral("D1"), QStringLiteral("D1"), QStringLiteral("DUP"), 601));
    ASSERT_TRUE(insertItem(QStringLiteral("D2"), QStringLiteral("D2"), QStringLiteral("DUP"), 602));
    ASSERT_TRUE(insertItem(QStringLiteral("D0"), QStringLiteral("D0"), QStringLiteral("DUO"), 600));

    db().Inventory.Description = QStringLiteral("DUO");
    db().Inventory.SL = QStringLiteral("D0");
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetNext, 3));
    EXPECT_EQ(db().Inventory.Description.rtrimmed(), QStringLiteral("DUP"));
    EXPECT_EQ(db().Inventory.SL.rtrimmed(), QStringLiteral("D1"));
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetNext, 3));
    EXPECT_EQ(db().Inventory.SL.rtrimmed(), QStringLiteral("D2"));
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetNext, 3));
    EXPECT_EQ(db().Inventory.Description.rtrimmed(), QStringLiteral("GOLDEN BAY LAGER"));
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetPrevious, 3));
    EXPECT_EQ(db().Inventory.SL.rtrimmed(), QStringLiteral("D2"));
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetPrevious, 3));
    EXPECT_EQ(db().Inventory.SL.rtrimmed(), QStringLiteral("D1"));
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetPrevious, 3));
    EXPECT_EQ(db().Inventory.SL.rtrimmed(), QStringLiteral("D0"));
}

// Walks the whole table on a key forward and back and compares with the expected order.
void walkBothWays(RecordLayer& db, std::int16_t key, const std::vector<int>& expected) {
    auto walk = [&](std::int16_t start, std::int16_t step) {
        std::vector<int> seen;
        EXPECT_TRUE(db.RecordOp(kInventoryTable, start, key));
        do {
            seen.push_back(db.Inventory.RecordNum);
        } while (seen.size() <= expected.size() && db.RecordOp(kInventoryTable, step, key));
        return seen;
    };
    EXPECT_EQ(walk(op::GetFirst, op::GetNext), expected) << "key " << key;
    EXPECT_EQ(walk(op::GetLast, op::GetPrevious),
              std::vector<int>(expected.rbegin(), expected.rend()))
        << "key " << key;
}

// The record numbers of the fixture's items sorted here.
template <typename Less>
std::vector<int> sortedItems(int count, Less less) {
    std::vector<InventoryRecord> items;
    for (int i = 0; i < count; ++i) {
        items.push_back(DbFixture::Item(i));
    }
    std::sort(items.begin(), items.end(), less);
    std::vector<int> out;
    for (const InventoryRecord& r : items) {
        out.push_back(r.RecordNum);
    }
    return out;
}

TEST_F(RecordOpTest, WalksForwardAndBackwardOnSeveralKeys) {
    const std::vector<int> byNumber =
        sortedItems(30, [](const auto& x, const auto& y) { return x.RecordNum < y.RecordNum; });
    walkBothWays(db(), 0, byNumber);
    walkBothWays(db(), 1, byNumber);  // S/L codes rise with the record number
    // Key 3 (Description, SL) and key 11 (LocFront, RecordNum): order as sorted here.
    walkBothWays(db(), 3, sortedItems(30, [](const auto& x, const auto& y) {
                     const QString a = x.Description.rtrimmed().toUpper();
                     const QString b = y.Description.rtrimmed().toUpper();
                     return a != b ? a < b : x.SL.rtrimmed() < y.SL.rtrimmed();
                 }));
    walkBothWays(db(), 11, sortedItems(30, [](const auto& x, const auto& y) {
                     const QString a = x.LocFront.rtrimmed();
                     const QString b = y.LocFront.rtrimmed();
                     return a != b ? a < b : x.RecordNum < y.RecordNum;
                 }));
}

// The record numbers of every inventory row in the order of one statement.
std::vector<int> orderOf(RecordLayer& db, const QString& orderBy) {
    QString sql = QStringLiteral("SELECT * FROM invt1 ORDER BY ") + orderBy;
    std::vector<int> out;
    EXPECT_TRUE(db.RecordOp(kInventoryTable, op::BySQL, 0, true, false, sql))
        << db.LastError().description.toStdString();
    RowSet* rows = db.CurrentRow(kInventoryTable);
    for (; rows != nullptr && !rows->eof(); rows->moveNext()) {
        out.push_back(static_cast<int>(rows->value(40).toInteger()));
    }
    return out;
}

TEST_F(RecordOpTest, ItemCodeKeysWalkCodesWithLeadingBlanksInTheirPlace) {
    struct Extra {
        const char* code;
        const char* dept;
        int num;
    };
    // Codes that sort first, in the middle and last once their blanks are gone.
    const Extra extras[] = {{" AA-000001", "WINE", 701},
                            {"  HB-000100", "BEER", 702},
                            {"   RH-000050", "SOFT", 703},
                            {" ZZ-000009", "BEER", 704},
                            {"    MT-000002", "SPIRITS", 705}};
    for (const Extra& e : extras) {
        db().Inventory = DbFixture::Item(0);
        db().Inventory.SL = QStringLiteral("LB%1").arg(e.num);
        db().Inventory.ItemID = QString::fromLatin1(e.code);
        db().Inventory.DeptCode = QString::fromLatin1(e.dept);
        db().Inventory.RecordNum = e.num;
        ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Insert, 0)) << why();
    }

    const std::vector<int> byCode = orderOf(db(), QStringLiteral("ltrim(ItemID)"));
    ASSERT_EQ(byCode.size(), 35u);
    EXPECT_EQ(byCode.front(), 701);
    EXPECT_EQ(byCode.back(), 704);
    walkBothWays(db(), 2, byCode);

    const std::vector<int> byDept = orderOf(db(), QStringLiteral("DeptCode,ltrim(ItemID)"));
    ASSERT_EQ(byDept.size(), 35u);
    walkBothWays(db(), 8, byDept);

    // Key 7 (VendorCode, ItemID) likewise: all five share the first item's vendor.
    walkBothWays(db(), 7, orderOf(db(), QStringLiteral("VendorCode,ltrim(ItemID)")));

    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetLast, 8));
    EXPECT_EQ(db().Inventory.RecordNum, 701);  // the one wine
    EXPECT_EQ(
        db().LastStatement(),
        QStringLiteral("SELECT TOP 1 * FROM invt1 ORDER BY DeptCode DESC,ltrim(ItemID) DESC"));
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetPrevious, 8));
    EXPECT_TRUE(db().LastStatement().endsWith(
        QStringLiteral("AND ltrim(ItemID)<'AA-000001' OR DeptCode<'WINE' ORDER BY DeptCode "
                       "DESC,ltrim(ItemID) DESC")))
        << db().LastStatement().toStdString();
}

TEST_F(RecordOpTest, UpcWalkOnKeyOneFollowsItemThenCode) {
    db().Upc = DbFixture::UpcFor(2);
    db().Upc.UPC = QStringLiteral("100");
    ASSERT_TRUE(db().RecordOp(kUpcTable, op::Insert, 0));
    db().Upc = DbFixture::UpcFor(2);
    db().Upc.UPC = QStringLiteral("999999999999999");
    ASSERT_TRUE(db().RecordOp(kUpcTable, op::Insert, 0));

    db().Upc = UpcRecord();
    db().Upc.SL = QStringLiteral("10000002");
    db().Upc.UPC = QStringLiteral("100");
    ASSERT_TRUE(db().RecordOp(kUpcTable, op::GetEqual, 1));
    QStringList seen;
    seen << db().Upc.SL.rtrimmed() + u'/' + db().Upc.UPC.rtrimmed();
    for (int i = 0; i < 3 && db().RecordOp(kUpcTable, op::GetNext, 1); ++i) {
        seen << db().Upc.SL.rtrimmed() + u'/' + db().Upc.UPC.rtrimmed();
    }
    EXPECT_EQ(seen, QStringList({QStringLiteral("10000002/100"),
                                 QStringLiteral("10000002/") + DbFixture::UpcCode(2),
                                 QStringLiteral("10000002/999999999999999"),
                                 QStringLiteral("10000003/") + DbFixture::UpcCode(3)}));
}

TEST_F(RecordOpTest, BySqlOpensTheStatementAndLeavesTheBuffer) {
    const InventoryRecord before = db().Inventory;
    QString sql = QStringLiteral(
        "SELECT * FROM invt1 WHERE Description like '%STOUT%' And status <> 'D' Order BY SL");
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::BySQL, 0, false, false, sql));
    EXPECT_EQ(db().Inventory, before);
    RowSet* rows = db().CurrentRow(kInventoryTable);
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->recordCount(), 8);
    EXPECT_EQ(db().FieldValue(kInventoryTable, 2).toText().trimmed(), QStringLiteral("KIWI STOUT"));
    EXPECT_EQ(db().FieldName(kInventoryTable, 40), QStringLiteral("RecordNum"));
}

TEST_F(RecordOpTest, CodesWithoutServerWorkAnswerTrueAndTouchNothing) {
    goTo(25);
    const InventoryRecord before = db().Inventory;
    const QString statement = db().LastStatement();
    for (std::int16_t code : {0, 1, 19, 20, 21, 14, 99, -5}) {
        QString sql;
        EXPECT_TRUE(db().RecordOp(kInventoryTable, code, 1, false, false, sql)) << code;
        EXPECT_TRUE(sql.isEmpty());
    }
    EXPECT_EQ(db().Inventory, before);
    EXPECT_EQ(db().LastStatement(), statement);
    EXPECT_EQ(db().FieldValue(kInventoryTable, 40).toInteger(), 25);
}

TEST_F(RecordOpTest, TableNumbersOutsideTheRegistryAreRefused) {
    for (int table : {-1, 4, 99}) {
        EXPECT_FALSE(db().RecordOp(table, op::Open, 0)) << table;
        EXPECT_FALSE(db().RecordOp(table, op::GetFirst, 0)) << table;
    }
    EXPECT_EQ(db().FieldValue(99, 0).kind(), Value::Kind::Null);
    EXPECT_EQ(db().FieldName(99, 0), QString());
    db().SetFieldValue(99, 0, Value::text(QStringLiteral("X")));
}

TEST_F(RecordOpTest, MalformedStatementFailsAndKeepsTheCurrentRow) {
    goTo(21);
    QString sql = QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL = 'unterminated");
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::BySQL, 0, false, false, sql));
    EXPECT_TRUE(db().LastError().isSet());
    EXPECT_EQ(db().FieldValue(kInventoryTable, 40).toInteger(), 21);
    EXPECT_EQ(db().Inventory.RecordNum, 21);
}

// --- writes ----------------------------------------------------------------------------------

TEST_F(RecordOpTest, InsertWritesEveryFieldAndReadsBackTheSame) {
    InventoryRecord r = DbFixture::Item(100);
    r.Description = QStringLiteral("JOE'S LAGER");
    r.SL = QStringLiteral("X'1");
    r.QtyOnHand = 12.25f;
    r.PriceIncTax = Currency::fromScaled(123456);  // 12.3456 is kept to two places
    r.Price2 = Currency::fromScaled(-5);
    r.QZV3 = 7;
    r.PenLiqorUnit = -2;
    db().Inventory = r;
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Insert, 0)) << why();
    db().Inventory = InventoryRecord();
    ASSERT_TRUE(db().GetInventoryByRecordNum(r.RecordNum));
    const InventoryRecord& got = db().Inventory;
    EXPECT_EQ(got.Description.rtrimmed(), QStringLiteral("JOE'S LAGER"));
    EXPECT_EQ(got.SL.rtrimmed(), QStringLiteral("X 1"));
    EXPECT_FLOAT_EQ(got.QtyOnHand, 12.25f);
    EXPECT_EQ(got.PriceIncTax, Currency::fromScaled(123500));
    EXPECT_EQ(got.Price2, Currency::fromScaled(-5));
    EXPECT_EQ(got.QZV3, 7);
    EXPECT_EQ(got.PenLiqorUnit, -2);
    EXPECT_EQ(got.ItemID, r.ItemID);
    EXPECT_EQ(got.Price, r.Price);
    EXPECT_EQ(got.LocBack, r.LocBack);
}

TEST_F(RecordOpTest, HostileTextInEveryFieldIsStoredAsText) {
    const QString nasty =
        QStringLiteral("a'b''c'); DROP TABLE invt1; --") + QChar(0) + QString(40, u'x');
    InventoryRecord r;
    forEachField(r.fields(), [&](int, auto& field) {
        if constexpr (IsFixedText<std::remove_cvref_t<decltype(field)>>::value) {
            field = nasty;
        }
    });
    r.RecordNum = 900;
    db().Inventory = r;
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Insert, 0)) << why();
    EXPECT_EQ(db().InventoryRowCount(), std::optional<std::int64_t>(31));
    ASSERT_TRUE(db().GetInventoryByRecordNum(900));
    // A pair of apostrophes stands for one; the text never became a statement of its own.
    EXPECT_EQ(db().Inventory.SL.str(), QStringLiteral("a'b'c') "));
    EXPECT_EQ(db().Inventory.Description.rtrimmed(),
              QStringLiteral("a'b'c'); DROP TABLE invt1; --"));
    EXPECT_EQ(db().Inventory.StoreRef.rtrimmed(), QStringLiteral("a'b''c'); DROP TABLE invt1; --"));
    db().Upc = UpcRecord();
    db().Upc.SL = nasty;
    db().Upc.UPC = nasty;
    db().Upc.LABEL = nasty;
    db().Upc.POLL = nasty;
    EXPECT_TRUE(db().RecordOp(kUpcTable, op::Insert, 0)) << why();
    // Stored with its pair of apostrophes as one: found when asked for that way.
    db().Upc.UPC = QStringLiteral("a'b'c'); DROP");
    EXPECT_TRUE(db().RecordOp(kUpcTable, op::GetEqual, 2));
    EXPECT_EQ(db().Upc.UPC.rtrimmed(), QStringLiteral("a'b'c'); DROP"));
}

TEST_F(RecordOpTest, InsertOfARecordWithoutANumberForAColumnIsRefused) {
    db().Inventory = DbFixture::Item(200);
    db().Inventory.QtyOnHand = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Insert, 0));
    EXPECT_EQ(db().LastError().description,
              QStringLiteral("The value of QtyOnHand cannot be stored."));
    EXPECT_FALSE(db().GetInventoryByRecordNum(211));
}

TEST_F(RecordOpTest, DuplicateUpcIsNotInserted) {
    db().Upc = DbFixture::UpcFor(4);
    db().Upc.SL = QStringLiteral("10000009");  // another item, the same code
    db().Upc.InvUID = 20;
    EXPECT_FALSE(db().RecordOp(kUpcTable, op::Insert, 0));
    EXPECT_TRUE(db().LastError().isSet());
    db().Upc = UpcRecord();
    db().Upc.UPC = DbFixture::UpcCode(4);
    ASSERT_TRUE(db().RecordOp(kUpcTable, op::GetEqual, 2));
    EXPECT_EQ(db().Upc.SL.rtrimmed(), QStringLiteral("10000004"));
    EXPECT_EQ(db().Upc.InvUID, 15);
}

TEST_F(RecordOpTest, InsertLeavesTheCurrentRowWhereItWas) {
    goTo(22);
    ASSERT_TRUE(
        insertItem(QStringLiteral("NEW1"), QStringLiteral("NEW1"), QStringLiteral("NEW"), 700));
    EXPECT_EQ(db().FieldValue(kInventoryTable, 40).toInteger(), 22);
}

TEST_F(RecordOpTest, UpdateWritesTheBufferOverTheCurrentRow) {
    db().Inventory.SL = QStringLiteral("10000003");
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetEqual, 1));
    db().Inventory.FlgQZV = QStringLiteral("R");
    db().Inventory.QZV1 = 120;
    db().Inventory.QZV2 = 121;
    db().Inventory.Description = QString();
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Update, 1));
    db().Inventory = InventoryRecord();
    ASSERT_TRUE(db().GetInventoryByRecordNum(14));
    EXPECT_EQ(db().Inventory.FlgQZV.str(), QStringLiteral("R"));
    EXPECT_EQ(db().Inventory.QZV1, 120);
    EXPECT_EQ(db().Inventory.QZV2, 121);
    EXPECT_TRUE(db().Inventory.Description.isBlank());
    EXPECT_EQ(db().Inventory.ItemID, DbFixture::Item(3).ItemID);
}

TEST_F(RecordOpTest, UpdateInDirectModeWritesOnlyTheSetColumns) {
    ASSERT_TRUE(db().GetInventoryByRecordNum(16));
    db().Inventory.Description = QStringLiteral("NOT WRITTEN");
    db().SetFieldValue(kInventoryTable, 46, Value::text(QStringLiteral("P")));
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Update, 0, true));
    ASSERT_TRUE(db().GetInventoryByRecordNum(16));
    EXPECT_EQ(db().Inventory.FlgQZV.str(), QStringLiteral("P"));
    EXPECT_EQ(db().Inventory.Description, DbFixture::Item(5).Description);
}

TEST_F(RecordOpTest, UpdateOfARowChangedElsewhereFailsAndChangesNothing) {
    goTo(17);
    {
        // Another workstation changes the same item in between.
        SqliteEngine other(sandbox.native(fx.dataFolder));
        DbError e;
        ConnectParams p;
        p.database = QStringLiteral("VOR");
        ASSERT_TRUE(other.connect(p, e));
        ASSERT_EQ(other.execute(QStringLiteral("UPDATE invt1 SET Description = 'CHANGED' "
                                               "WHERE RecordNum = 17"),
                                e),
                  std::optional<std::int64_t>(1));
    }
    db().Inventory.Description = QStringLiteral("MINE");
    db().Inventory.QZV1 = 5;
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Update, 0));
    EXPECT_TRUE(db().LastError().description.startsWith(QStringLiteral("Row cannot be located")));
    ASSERT_TRUE(db().GetInventoryByRecordNum(17));
    EXPECT_EQ(db().Inventory.Description.rtrimmed(), QStringLiteral("CHANGED"));
    EXPECT_EQ(db().Inventory.QZV1, 0);
}

TEST_F(RecordOpTest, UpdateOfARowSetThatCannotBeWrittenFails) {
    QString sql = QStringLiteral("SELECT COUNT(*) FROM invt1");
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::BySQL, 0, false, false, sql));
    db().Inventory.SL = QStringLiteral("5");
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Update, 0));
    EXPECT_TRUE(db().LastError().description.startsWith(
        QStringLiteral("Current Recordset does not support updating.")));
    EXPECT_EQ(db().InventoryRowCount(), std::optional<std::int64_t>(30));
}

TEST_F(EmptyInventoryTest, UpdateAndDeleteWithoutACurrentRowFail) {
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::GetFirst, 1));
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Update, 1));
    EXPECT_EQ(db().LastError().description, QStringLiteral("There is no current row to update."));
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Delete, 1));
    EXPECT_FALSE(sandbox.fs.fileExists(QStringLiteral("C:\\KT\\DeleteRecall.txt")));
    // Nothing to write into either.
    db().SetFieldValue(kInventoryTable, 0, Value::text(QStringLiteral("X")));
    EXPECT_TRUE(db().FieldValue(kInventoryTable, 0).isNull());
    EXPECT_EQ(db().FieldName(kInventoryTable, 0), QStringLiteral("SL"));
}

TEST_F(RecordOpTest, DeleteRemovesTheRowAndKeepsARecallLine) {
    fx.run.UserID = QStringLiteral("ANN");
    goTo(19);
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Delete, 0));
    EXPECT_FALSE(db().GetInventoryByRecordNum(19));

    const QStringList lines =
        crlfLines(sandbox.readFile(QStringLiteral("C:\\KT\\DeleteRecall.txt")));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy")) +
                            QStringLiteral(" ANN  quorvane"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("INSERT INTO invt1 VALUES('10000008','")))
        << lines[1].toStdString();

    // The recall line puts the row back.
    EXPECT_EQ(db().ExecuteSql(lines[1]), 1);
    ASSERT_TRUE(db().GetInventoryByRecordNum(19));
    EXPECT_EQ(db().Inventory, DbFixture::Item(8));
}

TEST_F(RecordOpTest, DeleteOfAUpcRowWritesNoRecallLine) {
    db().Upc.UPC = DbFixture::UpcCode(1);
    ASSERT_TRUE(db().RecordOp(kUpcTable, op::GetEqual, 2));
    ASSERT_TRUE(db().RecordOp(kUpcTable, op::Delete, 2));
    EXPECT_FALSE(sandbox.fs.fileExists(QStringLiteral("C:\\KT\\DeleteRecall.txt")));
    EXPECT_FALSE(db().RecordOp(kUpcTable, op::GetEqual, 2));
}

TEST_F(RecordOpTest, CommonRowIsReadWithoutAKeyAndWrittenBack) {
    // Start-up empties the Common slot again once the store number is known.
    EXPECT_FALSE(db().RecordOp(kCommonTable, op::GetFirst, 0));
    db().PrepareCommonTable();
    ASSERT_TRUE(db().OpenTable(kCommonTable));
    db().Common = CommonRecord();
    ASSERT_TRUE(db().RecordOp(kCommonTable, op::GetFirst, 0));
    EXPECT_EQ(db().LastStatement(), QStringLiteral("SELECT TOP 1 * FROM COMMON"));
    EXPECT_EQ(db().Common.StoreNumber, 1);
    EXPECT_EQ(db().Common.CountryID, 64);

    db().Common.Cname = QStringLiteral("JOE'S \"BEST\" ") + QChar(0) + QStringLiteral(" WINES");
    db().Common.TaxRate3 = 8.25f;
    db().Common.MinDollar = Currency::fromUnits(12);
    ASSERT_TRUE(db().RecordOp(kCommonTable, op::Update, 0))
        << db().LastError().description.toStdString();
    db().Common = CommonRecord();
    ASSERT_TRUE(db().RecordOp(kCommonTable, op::GetLast, kPhysicalOrder));
    EXPECT_EQ(db().LastStatement(),
              QStringLiteral("SELECT TOP 1 * FROM COMMON ORDER BY ProgramVersion DESC"));
    EXPECT_EQ(db().Common.Cname.rtrimmed(),
              QStringLiteral("JOE'S \"BEST\" ") + QChar(0) + QStringLiteral(" WINES"));
    EXPECT_FLOAT_EQ(db().Common.TaxRate3, 8.25f);
    EXPECT_EQ(db().Common.MinDollar, Currency::fromUnits(12));

    // A second Common row with the same DupID is refused by its unique index.
    EXPECT_FALSE(db().RecordOp(kCommonTable, op::Insert, 0));
}

// --- inventory operations --------------------------------------------------------------------

TEST_F(RecordOpTest, NextRecordNumberFollowsTheHighest) {
    EXPECT_EQ(db().NextRecordNumber(), 41);
    EXPECT_EQ(db().Inventory.RecordNum, 40);
}

TEST_F(EmptyInventoryTest, NumberingStartsAtEleven) {
    EXPECT_EQ(db().NextRecordNumber(), 11);
    EXPECT_EQ(db().InventoryRowCount(), std::optional<std::int64_t>(0));
}

TEST_F(RecordOpTest, GetBySlCodeAndTheReservedCodes) {
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("10000006"), false), 17);
    EXPECT_EQ(db().Inventory.ItemID, DbFixture::Item(6).ItemID);
    const InventoryRecord before = db().Inventory;
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("~ROA"), true), 2);
    EXPECT_EQ(db().Inventory, before);
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("~ROA"), false), 0);
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("NOPE"), true), 999999);
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("~DPOUT"), true), -1);
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("O'NEIL"), true), 999999);
}

TEST_F(RecordOpTest, RowCountLeavesTheCurrentRow) {
    goTo(30);
    EXPECT_EQ(db().InventoryRowCount(), std::optional<std::int64_t>(30));
    EXPECT_EQ(db().FieldValue(kInventoryTable, 40).toInteger(), 30);
}

TEST_F(RecordOpTest, ColumnsOfTheCurrentRow) {
    goTo(11);
    EXPECT_EQ(db().FieldName(kInventoryTable, 55), QStringLiteral("PenLiqorUnit"));
    EXPECT_EQ(db().FieldValue(kInventoryTable, 8).kind(), Value::Kind::Decimal);
    EXPECT_EQ(db().FieldValue(kInventoryTable, 57).kind(), Value::Kind::Null);
    EXPECT_EQ(db().FieldName(kInventoryTable, 57), QString());
    // Blank text is written as empty text; an unchanged value is not written at all.
    db().SetFieldValue(kInventoryTable, 2, Value::text(QStringLiteral("   ")));
    EXPECT_EQ(db().FieldValue(kInventoryTable, 2).toText().trimmed(), QString());
    db().SetFieldValue(kInventoryTable, 8, Value());
    EXPECT_TRUE(db().FieldValue(kInventoryTable, 8).isNull());
}

}  // namespace
