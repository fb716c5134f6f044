// Opening an inventory table of an older shape brings it up to date: quantity as a decimal,
// the two added columns, Flg2 renamed, Spare1 and PriceFactor swapped, 25-character item codes.

#include "db/inventory_table.h"
#include "db/record_layer.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/db/db_test_util.h"
#include "tests/support/db_fixture.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QStringList>

using namespace qv;
using namespace qv::db;
using qv::test::DbFixture;

namespace {

// The inventory table as an older release created it: 55 columns, a 15-character item code,
// a whole-number quantity, PriceFactor where NotUsed is now, Flg2 and Spare1.
QString oldCreateStatement(const QString& table) {
    QStringList defs;
    for (int i = 0; i < 55; ++i) {
        const ColumnDef& c = inventory::kColumns[i];
        defs << QString::fromUtf16(c.name) + u' ' + QString::fromUtf16(c.definition);
    }
    defs[inventory::colItemID] = QStringLiteral("ItemID CHAR (15) NOT NULL DEFAULT ' '");
    defs[inventory::colQtyOnHand] = QStringLiteral("QtyOnHand SMALLINT");
    defs[16] = QStringLiteral("PriceFactor CHAR (6) DEFAULT ' '");
    defs[inventory::colNeverOrder] = QStringLiteral("Flg2 CHAR(1) DEFAULT ' '");
    defs[inventory::colPriceFactor] = QStringLiteral("Spare1 CHAR(6) DEFAULT ' '");
    return QStringLiteral("Create Table ") + table + QStringLiteral(" (") +
           defs.join(QStringLiteral(", ")) + QStringLiteral(");");
}

// One row of the older shape: 55 values, a quantity of 7.
QString oldRow(const QString& sl, const QString& itemId, int recordNum, const QString& priceFactor,
               const QString& flg2, const QString& spare1) {
    QStringList v;
    for (int i = 0; i < 55; ++i) {
        v << (inventory::kColumns[i].kind == ColumnKind::Text ? QStringLiteral("' '")
                                                              : QStringLiteral("0"));
    }
    auto q = [](const QString& text) { return u'\'' + text + u'\''; };
    v[0] = q(sl);
    v[1] = q(itemId);
    v[2] = q(QStringLiteral("OLD ITEM ") + sl);
    v[inventory::colQtyOnHand] = QStringLiteral("7");
    v[16] = q(priceFactor);
    v[inventory::colNeverOrder] = q(flg2);
    v[inventory::colPriceFactor] = q(spare1);
    v[inventory::colRecordNum] = QString::number(recordNum);
    return QStringLiteral("INSERT INTO invt5 VALUES(") + v.join(u',') + QStringLiteral(")");
}

class InventoryUpgradeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fx.ok()) << fx.error.toStdString();
        fx.layer.reset();
        other = std::make_unique<SqliteEngine>(sandbox.native(fx.dataFolder));
        ConnectParams p;
        p.database = QStringLiteral("VOR");
        ASSERT_TRUE(other->connect(p, e)) << e.description.toStdString();
        ASSERT_TRUE(run(QStringLiteral("UPDATE COMMON SET StoreNumber = 5")));
        ASSERT_TRUE(run(oldCreateStatement(QStringLiteral("invt5"))));
        // The older indexes, idx_9 on the older PriceFactor.
        for (const QString& index :
             inventory::IndexStatements(QStringLiteral("invt5")).split(u';', Qt::SkipEmptyParts)) {
            ASSERT_TRUE(run(index));
        }
    }

    bool run(const QString& sql) {
        const bool ok = other->execute(sql, e).has_value();
        if (!ok) {
            ADD_FAILURE() << sql.toStdString() << ": " << e.description.toStdString();
        }
        return ok;
    }

    // Two items of the older shape, written by the older release; then this one starts.
    std::unique_ptr<RecordLayer> startOnOldRows() {
        run(oldRow(QStringLiteral("S1"), QStringLiteral("OLD-1"), 11, QStringLiteral("PF1"),
                   QStringLiteral("Y"), QString()));
        run(oldRow(QStringLiteral("S2"), QStringLiteral("OLD-2"), 12, QString(),
                   QStringLiteral("N"), QStringLiteral("S2")));
        other.reset();
        return start();
    }

    std::unique_ptr<RecordLayer> start() {
        auto layer = fx.makeLayer();
        EXPECT_TRUE(layer->OpenAllTables());
        EXPECT_TRUE(layer->OpenDataTables());
        return layer;
    }

    QStringList logLines() const {
        return crlfLines(sandbox.readFile(QStringLiteral("C:\\KT\\PVSW.log")));
    }

    // The names of the columns at these ordinals of the open inventory table.
    static QStringList fieldNames(RecordLayer& db, std::initializer_list<int> ordinals) {
        QStringList names;
        for (int i : ordinals) {
            names << db.FieldName(kInventoryTable, i);
        }
        return names;
    }

    qv::test::Sandbox sandbox;
    DbFixture fx{sandbox};
    std::unique_ptr<SqliteEngine> other;
    DbError e;
};

TEST_F(InventoryUpgradeTest, OlderTableIsBroughtUpToDate) {
    auto layer = startOnOldRows();
    RecordLayer& db = *layer;
    ASSERT_EQ(db.Slot(kInventoryTable)->tableName, QStringLiteral("invt5"));

    // Columns by ordinal, as the record copies need them.
    EXPECT_EQ(fieldNames(db, {16, 47, 50, 55, 56}),
              QStringList({"NotUsed", "NeverOrder", "PriceFactor", "PenLiqorUnit", "QZV3"}));
    EXPECT_EQ(db.FieldValue(kInventoryTable, 1).toText().size(), 25);

    ASSERT_TRUE(db.GetInventoryByRecordNum(11));
    EXPECT_EQ(db.Inventory.PriceFactor.rtrimmed(), QStringLiteral("PF1"));
    EXPECT_TRUE(db.Inventory.NeverOrder.isBlank());
    EXPECT_EQ(db.Inventory.PenLiqorUnit, 0);
    EXPECT_EQ(db.Inventory.QZV3, 0);
    EXPECT_TRUE(db.FieldValue(kInventoryTable, 55).isNull());
    EXPECT_FLOAT_EQ(db.Inventory.QtyOnHand, 7.0f);
    ASSERT_TRUE(db.GetInventoryByRecordNum(12));
    EXPECT_EQ(db.Inventory.PriceFactor.rtrimmed(), QStringLiteral("S2"));
    EXPECT_TRUE(db.Inventory.NeverOrder.isBlank());

    // A quantity with a fraction and a 25-character item code now fit.
    db.Inventory.QtyOnHand = 2.5f;
    ASSERT_TRUE(db.RecordOp(kInventoryTable, op::Update, 0));
    db.Inventory = DbFixture::Item(40);
    db.Inventory.ItemID = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY");
    ASSERT_TRUE(db.RecordOp(kInventoryTable, op::Insert, 0))
        << db.LastError().description.toStdString();
    db.Inventory = InventoryRecord();
    db.Inventory.ItemID = QStringLiteral("abcdefghijklmnopqrstuvwxy");
    ASSERT_TRUE(db.RecordOp(kInventoryTable, op::GetEqual, 2));
    EXPECT_EQ(db.Inventory.RecordNum, 51);
    ASSERT_TRUE(db.GetInventoryByRecordNum(12));
    EXPECT_FLOAT_EQ(db.Inventory.QtyOnHand, 2.5f);

    // The indexes are back on the wider column: unique and used.
    db.Inventory = DbFixture::Item(41);
    db.Inventory.ItemID = QStringLiteral("old-1");
    EXPECT_FALSE(db.RecordOp(kInventoryTable, op::Insert, 0));
    auto* engine = dynamic_cast<SqliteEngine*>(db.engine());
    ASSERT_NE(engine, nullptr);
    const auto plan = engine->explainQueryPlan(
        QStringLiteral(
            "SELECT TOP 1 * FROM invt5 WHERE ltrim(ItemID)='OLD-2' ORDER BY ltrim(ItemID)"),
        e);
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->join(u' ').contains(QStringLiteral("invt5__idx_2")))
        << plan->join(u' ').toStdString();
    EXPECT_EQ(db.Slot(kInventoryTable)->indexStatements,
              inventory::IndexStatements(QStringLiteral("invt5")));

    // Nothing failed on the way.
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join(u'\n').toStdString();
}

TEST_F(InventoryUpgradeTest, UpToDateTableKeepsItsDataOnTheNextStart) {
    {
        auto layer = startOnOldRows();
        ASSERT_TRUE(layer->GetInventoryByRecordNum(11));
        layer->Inventory.NeverOrder = QStringLiteral("Y");
        ASSERT_TRUE(layer->RecordOp(kInventoryTable, op::Update, 0));
    }
    auto layer = start();
    ASSERT_TRUE(layer->GetInventoryByRecordNum(11));
    EXPECT_EQ(layer->Inventory.NeverOrder.str(), QStringLiteral("Y"));
    EXPECT_EQ(layer->Inventory.PriceFactor.rtrimmed(), QStringLiteral("PF1"));
    // The steps that no longer apply failed and were logged: the two columns, the rename.
    const QStringList log = logLines();
    ASSERT_EQ(log.size(), 3) << log.join(u'\n').toStdString();
    EXPECT_TRUE(
        log[0].contains(QStringLiteral("ALTER TABLE invt5 ADD PenLiqorUnit SMALLINT  [EXE FAIL]")));
    EXPECT_TRUE(log[1].contains(QStringLiteral("ALTER TABLE invt5 ADD QZV3 INTEGER  [EXE FAIL]")));
    EXPECT_TRUE(log[2].contains(
        QStringLiteral("sp_RENAME 'invt5.Flg2', 'NeverOrder ', 'COLUMN' [EXE FAIL]")));
}

TEST_F(InventoryUpgradeTest, EmptyOlderTableIsLeftAsItIs) {
    other.reset();
    auto layer = start();
    EXPECT_EQ(fieldNames(*layer, {47, 50, 55}), QStringList({"Flg2", "Spare1", QString()}));
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_EQ(layer->NextRecordNumber(), 11);
}

TEST(InventoryOpen, ProgramNamedVendorsLeavesTheTableAlone) {
    qv::test::Sandbox sandbox;
    DbFixture fx(sandbox);
    ASSERT_TRUE(fx.ok()) << fx.error.toStdString();
    sandbox.services.app.exeName = QStringLiteral("Vendors");
    auto layer = fx.makeLayer();
    ASSERT_TRUE(layer->InitDatabase());
    layer->PrepareInventoryTable(QStringLiteral("8"));
    EXPECT_EQ(layer->Slot(kInventoryTable)->tableName, QStringLiteral("invt8"));
    EXPECT_FALSE(layer->TableExists(QStringLiteral("invt8")));
    layer->PrepareInventoryTable(QStringLiteral("8"), QStringLiteral("MyInvt"));
    EXPECT_EQ(layer->Slot(kInventoryTable)->fileName, QStringLiteral("MyInvt"));
    EXPECT_EQ(layer->Slot(kInventoryTable)->label, QStringLiteral("MyInvt"));
}

}  // namespace
