// RecordOp against a real embedded database: the statements built for each operation and key,
// walks in key order, writes and their failures.

#include "db/record_layer.h"
#include "db/sqlite_engine.h"
#include "tests/db/db_test_util.h"
#include "tests/support/data_files.h"
#include "tests/support/db_fixture.h"
#include "tests/support/record_steps.h"
#include "tests/support/record_text.h"
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
    explicit RecordOpTest(int items = 30) : fx(sandbox, DbFixture::Options{items}) {}
    void SetUp() override { ASSERT_TRUE(fx.ok()) << fx.error.toStdString(); }

    RecordLayer& db() { return *fx.layer; }

    // Describes an operation: found or not, the statement sent (or given back), the record
    // buffer's S/L code and record number, and the current row's record number.
    QString describe(const QString& label, int table, bool found, const QString& statement) {
        const bool upc = table == kUpcTable;
        return label + (found ? QStringLiteral(": found | ") : QStringLiteral(": none | ")) +
               statement + QStringLiteral(" | buffer ") +
               (upc ? db().Upc.SL.str() + u'/' + db().Upc.UPC.rtrimmed()
                    : db().Inventory.SL.str()) +
               QStringLiteral(" #") +
               QString::number(upc ? db().Upc.InvUID : db().Inventory.RecordNum) +
               QStringLiteral(" | row #") + db().FieldValue(table, upc ? 4 : 40).toText() + u'\n';
    }
    QString steps(const char* relative,
                  const std::function<void(const QString&, const QStringList&)>& custom = {}) {
        return test::RunRecordSteps(
            db(), relative,
            [this](const QString& l, int t, bool f, const QString& s) {
                return describe(l, t, f, s);
            },
            custom);
    }

    std::vector<int> orderOf(const QString& orderBy) {
        return test::RecordNumbersInOrder(db(), QStringLiteral("invt1"), orderBy);
    }

    std::string why() {
        return (db().LastError().description + QStringLiteral(" | ") + db().LastStatement())
            .toStdString();
    }

    // Makes the item with this record number the current row.
    void goTo(std::int32_t recordNum) {
        db().Inventory.RecordNum = recordNum;
        ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetEqual, 0)) << why();
    }

    qv::test::Sandbox sandbox;
    DbFixture fx;
};

class EmptyInventoryTest : public RecordOpTest {
protected:
    EmptyInventoryTest() : RecordOpTest(0) {}
};

// --- reads ------------------------------------------------------------------------------------

TEST_F(RecordOpTest, ReadsSendTheStatementsOfTheirGoldenText) {
    test::ExpectGolden(
        "db/record_op_reads.txt",
        steps("db/record_op_reads.steps", [this](const QString&, const QStringList& a) {
            EXPECT_EQ(db().CurrentRow(kInventoryTable)->recordCount(), a[0].toInt());
        }));
    EXPECT_TRUE(db().LastError().isSet());  // of the malformed statement

    // Codes without server work answer true and touch nothing; unknown tables are refused.
    const InventoryRecord before = db().Inventory;
    for (std::int16_t code : {0, 1, 19, 20, 21, 14, 99, -5}) {
        EXPECT_TRUE(db().RecordOp(kInventoryTable, code, 1)) << code;
    }
    EXPECT_EQ(db().Inventory, before);
    EXPECT_EQ(db().FieldValue(kInventoryTable, 40).toInteger(), 21);
    for (int table : {-1, 4, 99}) {
        EXPECT_FALSE(db().RecordOp(table, op::GetFirst, 0)) << table;
    }
    EXPECT_EQ(db().FieldValue(99, 0).kind(), Value::Kind::Null);
    EXPECT_EQ(db().FieldName(99, 0), QString());
}

TEST_F(RecordOpTest, KeysOfRowsAddedByHandStepAndFindTheirRows) {
    const QString out =
        steps("db/record_op_added_keys.steps", [this](const QString&, const QStringList&) {
            db().Keys.ordinal[0] = 2;
            db().Keys.ordinal[1] = 0;
            db().Keys.ordinal[2] = 40;
            db().Keys.value[0] = Value::text(QStringLiteral("TRIO"));
            db().Keys.value[1] = Value::text(QStringLiteral("T1"));
            db().Keys.value[2] = Value::integer(801);
            db().Slot(kInventoryTable)->segmentCount = 3;
        });
    test::ExpectGolden("db/record_op_added_keys.txt", out);
}

TEST_F(RecordOpTest, WalksVisitEveryRowOnceInKeyOrderBothWays) {
    // Item codes that sort first, in the middle and last once their blanks are gone.
    const std::tuple<const char*, const char*, int> extras[] = {{" AA-000001", "WINE", 701},
                                                                {"  HB-000100", "BEER", 702},
                                                                {"   RH-000050", "SOFT", 703},
                                                                {" ZZ-000009", "BEER", 704},
                                                                {"    MT-000002", "SPIRITS", 705}};
    for (const auto& [code, dept, num] : extras) {
        db().Inventory = DbFixture::Item(0);
        db().Inventory.SL = QStringLiteral("LB%1").arg(num);
        db().Inventory.ItemID = QString::fromLatin1(code);
        db().Inventory.DeptCode = QString::fromLatin1(dept);
        db().Inventory.RecordNum = num;
        ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Insert, 0)) << why();
    }
    const std::pair<std::int16_t, const char*> keys[] = {
        {0, "RecordNum"},     {3, "Description, SL"},        {11, "LocFront, RecordNum"},
        {2, "ltrim(ItemID)"}, {8, "DeptCode,ltrim(ItemID)"}, {7, "VendorCode,ltrim(ItemID)"}};
    for (const auto& [key, order] : keys) {
        test::ExpectWalksBothWays(db(), key, orderOf(QString::fromLatin1(order)));
    }
    const std::vector<int> byCode = orderOf(QStringLiteral("ltrim(ItemID)"));
    EXPECT_EQ(byCode.front(), 701);
    EXPECT_EQ(byCode.back(), 704);
    // S/L codes rise with the record number.
    test::ExpectWalksBothWays(db(), 1, orderOf(QStringLiteral("SL")));

    // UPC key 1 (S/L, code) follows the item, then the code.
    for (const char* code : {"100", "999999999999999"}) {
        db().Upc = DbFixture::UpcFor(2);
        db().Upc.UPC = QString::fromLatin1(code);
        ASSERT_TRUE(db().RecordOp(kUpcTable, op::Insert, 0));
    }
    test::ExpectGolden("db/record_op_upc_walk.txt", steps("db/record_op_upc_walk.steps"));
}

TEST_F(RecordOpTest, NumbersThatAreNotNumbersReadAsZeroAndTextIntoANumberIsRefusedWhole) {
    // A row written by some other tool with text in its number columns.
    sqlite3* raw = nullptr;
    const QByteArray file = sandbox.native(QStringLiteral("C:\\KT\\VOR.sqlite")).toUtf8();
    ASSERT_EQ(sqlite3_open(file.constData(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw,
                           "UPDATE invt1 SET QZV1 = 'abc', MinQ = 99999, Price = 'lots', "
                           "QtyOnHand = 'x' WHERE RecordNum = 12",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    ASSERT_TRUE(db().GetInventoryByRecordNum(12));
    EXPECT_EQ(db().Inventory.QZV1, 0);
    EXPECT_EQ(db().Inventory.MinQ, 32767);
    EXPECT_EQ(db().Inventory.Price, Currency());
    EXPECT_EQ(db().Inventory.QtyOnHand, 0.0f);
    EXPECT_EQ(db().Inventory.SL.rtrimmed(), QStringLiteral("10000001"));

    ASSERT_TRUE(db().GetInventoryByRecordNum(13));
    db().SetFieldValue(kInventoryTable, 2, Value::text(QStringLiteral("CHANGED")));
    db().SetFieldValue(kInventoryTable, 11, Value::text(QStringLiteral("twelve")));
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Update, 0, true));
    EXPECT_TRUE(db().LastError().isSet());
    ASSERT_TRUE(db().GetInventoryByRecordNum(13));
    EXPECT_EQ(db().Inventory.Description, DbFixture::Item(2).Description);
    EXPECT_EQ(db().Inventory.MinQ, 6);
}

TEST_F(RecordOpTest, InventoryOperationsAndColumnsOfTheCurrentRow) {
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("10000006"), false), 17);
    EXPECT_EQ(db().Inventory, DbFixture::Item(6));
    const InventoryRecord before = db().Inventory;
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("~ROA"), true), 2);
    EXPECT_EQ(db().Inventory, before);
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("~ROA"), false), 0);
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("NOPE"), true), 999999);
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("~DPOUT"), true), -1);
    EXPECT_EQ(db().GetInventoryBySL(QStringLiteral("O'NEIL"), true), 999999);

    goTo(30);
    EXPECT_EQ(db().InventoryRowCount(), std::optional<std::int64_t>(30));
    EXPECT_EQ(db().FieldValue(kInventoryTable, 40).toInteger(), 30);
    EXPECT_EQ(db().NextRecordNumber(), 41);
    EXPECT_EQ(db().Inventory.RecordNum, 40);
    EXPECT_EQ(db().FieldName(kInventoryTable, 55), QStringLiteral("PenLiqorUnit"));
    EXPECT_EQ(db().FieldValue(kInventoryTable, 8).kind(), Value::Kind::Decimal);
    EXPECT_EQ(db().FieldValue(kInventoryTable, 57).kind(), Value::Kind::Null);
    EXPECT_EQ(db().FieldName(kInventoryTable, 57), QString());
    // Blank text is written as empty text; NULL as NULL.
    db().SetFieldValue(kInventoryTable, 2, Value::text(QStringLiteral("   ")));
    EXPECT_EQ(db().FieldValue(kInventoryTable, 2).toText().trimmed(), QString());
    db().SetFieldValue(kInventoryTable, 8, Value());
    EXPECT_TRUE(db().FieldValue(kInventoryTable, 8).isNull());
}

// --- writes ----------------------------------------------------------------------------------

TEST_F(RecordOpTest, InsertWritesEveryFieldAndHostileTextStaysText) {
    goTo(22);
    // The tax-inclusive price is kept to two places.
    InventoryRecord r = test::Inventory(
        "Description=JOE'S LAGER | SL=X'1 | QtyOnHand=12.25 | "
        "PriceIncTax=12.3456 | Price2=-0.0005 | QZV3=7 | PenLiqorUnit=-2",
        DbFixture::Item(100));
    db().Inventory = r;
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Insert, 0)) << why();
    EXPECT_EQ(db().FieldValue(kInventoryTable, 40).toInteger(), 22);  // the row stays put
    ASSERT_TRUE(db().GetInventoryByRecordNum(r.RecordNum));
    EXPECT_EQ(db().Inventory, test::Inventory("SL=X 1 | PriceIncTax=12.35", r));

    const QString nasty =
        QStringLiteral("a'b''c'); DROP TABLE invt1; --") + QChar(0) + QString(40, u'x');
    InventoryRecord h;
    forEachField(h.fields(), [&](int, auto& field) {
        if constexpr (IsFixedText<std::remove_cvref_t<decltype(field)>>::value) {
            field = nasty;
        }
    });
    h.RecordNum = 900;
    db().Inventory = h;
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Insert, 0)) << why();
    EXPECT_EQ(db().InventoryRowCount(), std::optional<std::int64_t>(32));
    ASSERT_TRUE(db().GetInventoryByRecordNum(900));
    // A pair of apostrophes stands for one; the text never became a statement of its own.
    EXPECT_EQ(db().Inventory.SL.str(), QStringLiteral("a'b'c') "));
    EXPECT_EQ(db().Inventory.Description.rtrimmed(),
              QStringLiteral("a'b'c'); DROP TABLE invt1; --"));
    EXPECT_EQ(db().Inventory.StoreRef.rtrimmed(), QStringLiteral("a'b''c'); DROP TABLE invt1; --"));
    db().Upc = UpcRecord();
    db().Upc.SL = nasty;
    db().Upc.UPC = nasty;
    EXPECT_TRUE(db().RecordOp(kUpcTable, op::Insert, 0)) << why();
    db().Upc.UPC = QStringLiteral("a'b'c'); DROP");
    EXPECT_TRUE(db().RecordOp(kUpcTable, op::GetEqual, 2));
    EXPECT_EQ(db().Upc.UPC.rtrimmed(), QStringLiteral("a'b'c'); DROP"));

    // A record without a number for a column, or a UPC another item has, is refused.
    db().Inventory = DbFixture::Item(200);
    db().Inventory.QtyOnHand = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Insert, 0));
    EXPECT_EQ(db().LastError().description,
              QStringLiteral("The value of QtyOnHand cannot be stored."));
    EXPECT_FALSE(db().GetInventoryByRecordNum(211));
    db().Upc = DbFixture::UpcFor(4);
    db().Upc.SL = QStringLiteral("10000009");
    EXPECT_FALSE(db().RecordOp(kUpcTable, op::Insert, 0));
    EXPECT_TRUE(db().LastError().isSet());
    db().Upc.UPC = DbFixture::UpcCode(4);
    ASSERT_TRUE(db().RecordOp(kUpcTable, op::GetEqual, 2));
    EXPECT_EQ(db().Upc, DbFixture::UpcFor(4));
}

TEST_F(RecordOpTest, UpdatesWriteTheBufferOrTheSetColumnsOverTheRowAsRead) {
    db().Inventory.SL = QStringLiteral("10000003");
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetEqual, 1));
    const QString change = QStringLiteral("FlgQZV=R | QZV1=120 | Description=");
    db().Inventory = test::Inventory(change, db().Inventory);
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Update, 1));
    ASSERT_TRUE(db().GetInventoryByRecordNum(14));
    EXPECT_EQ(db().Inventory, test::Inventory(change, DbFixture::Item(3)));

    // Direct: only the columns set on the current row.
    ASSERT_TRUE(db().GetInventoryByRecordNum(16));
    db().Inventory.Description = QStringLiteral("NOT WRITTEN");
    db().SetFieldValue(kInventoryTable, 46, Value::text(QStringLiteral("P")));
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Update, 0, true));
    ASSERT_TRUE(db().GetInventoryByRecordNum(16));
    EXPECT_EQ(db().Inventory, test::Inventory("FlgQZV=P", DbFixture::Item(5)));

    // Another workstation changes the row in between: the update fails and changes nothing.
    goTo(17);
    {
        SqliteEngine other(sandbox.native(fx.dataFolder));
        DbError e;
        ASSERT_TRUE(other.connect({{}, QStringLiteral("VOR"), {}, {}}, e));
        ASSERT_EQ(other.execute("UPDATE invt1 SET Description = 'CHANGED' WHERE RecordNum = 17", e),
                  std::optional<std::int64_t>(1));
    }
    db().Inventory.Description = QStringLiteral("MINE");
    db().Inventory.QZV1 = 5;
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Update, 0));
    EXPECT_TRUE(db().LastError().description.startsWith(QStringLiteral("Row cannot be located")));
    ASSERT_TRUE(db().GetInventoryByRecordNum(17));
    EXPECT_EQ(db().Inventory.Description.rtrimmed(), QStringLiteral("CHANGED"));
    EXPECT_EQ(db().Inventory.QZV1, 0);

    // A row set that is not one table's rows cannot be written.
    QString sql = QStringLiteral("SELECT COUNT(*) FROM invt1");
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::BySQL, 0, false, false, sql));
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Update, 0));
    EXPECT_TRUE(db().LastError().description.startsWith(
        QStringLiteral("Current Recordset does not support updating.")));
}

TEST_F(RecordOpTest, DeleteRemovesTheRowAndKeepsARecallLineForInventoryRowsOnly) {
    fx.run.UserID = QStringLiteral("ANN");
    db().Upc.UPC = DbFixture::UpcCode(1);
    ASSERT_TRUE(db().RecordOp(kUpcTable, op::GetEqual, 2));
    ASSERT_TRUE(db().RecordOp(kUpcTable, op::Delete, 2));
    EXPECT_FALSE(db().RecordOp(kUpcTable, op::GetEqual, 2));
    EXPECT_FALSE(sandbox.fs.fileExists(QStringLiteral("C:\\KT\\DeleteRecall.txt")));

    goTo(19);
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Delete, 0));
    EXPECT_FALSE(db().GetInventoryByRecordNum(19));
    const QStringList lines =
        crlfLines(sandbox.readFile(QStringLiteral("C:\\KT\\DeleteRecall.txt")));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy")) +
                            QStringLiteral(" ANN  quorvane"));
    // The recall line puts the row back.
    EXPECT_EQ(db().ExecuteSql(lines[1]), 1);
    ASSERT_TRUE(db().GetInventoryByRecordNum(19));
    EXPECT_EQ(db().Inventory, DbFixture::Item(8));
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

    const QString name = QStringLiteral("JOE'S \"BEST\" ") + QChar(0) + QStringLiteral(" WINES");
    db().Common.Cname = name;
    db().Common.TaxRate3 = 8.25f;
    db().Common.MinDollar = Currency::fromUnits(12);
    ASSERT_TRUE(db().RecordOp(kCommonTable, op::Update, 0)) << why();
    db().Common = CommonRecord();
    ASSERT_TRUE(db().RecordOp(kCommonTable, op::GetLast, kPhysicalOrder));
    EXPECT_EQ(db().LastStatement(),
              QStringLiteral("SELECT TOP 1 * FROM COMMON ORDER BY ProgramVersion DESC"));
    EXPECT_EQ(db().Common.Cname.rtrimmed(), name);
    EXPECT_FLOAT_EQ(db().Common.TaxRate3, 8.25f);
    EXPECT_EQ(db().Common.MinDollar, Currency::fromUnits(12));
    // A second Common row with the same DupID is refused by its unique index.
    EXPECT_FALSE(db().RecordOp(kCommonTable, op::Insert, 0));
}

TEST_F(EmptyInventoryTest, NumberingStartsAtElevenAndNothingIsThereToWrite) {
    EXPECT_EQ(db().NextRecordNumber(), 11);
    EXPECT_EQ(db().InventoryRowCount(), std::optional<std::int64_t>(0));
    QString sql = QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL<'X' ORDER BY SL");
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::GetLess, 0, true, false, sql));
    EXPECT_FALSE(db().LastError().isSet()) << db().LastError().description.toStdString();
    EXPECT_EQ(sql, QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL<'X' ORDER BY SL DESC"));

    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::GetFirst, 1));
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Update, 1));
    EXPECT_EQ(db().LastError().description, QStringLiteral("There is no current row to update."));
    EXPECT_FALSE(db().RecordOp(kInventoryTable, op::Delete, 1));
    EXPECT_FALSE(sandbox.fs.fileExists(QStringLiteral("C:\\KT\\DeleteRecall.txt")));
    db().SetFieldValue(kInventoryTable, 0, Value::text(QStringLiteral("X")));
    EXPECT_TRUE(db().FieldValue(kInventoryTable, 0).isNull());
    EXPECT_EQ(db().FieldName(kInventoryTable, 0), QStringLiteral("SL"));
}

}  // namespace
