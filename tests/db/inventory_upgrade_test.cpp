// Opening an inventory table of an older shape brings it up to date: quantity as a decimal,
// the two added columns, Flg2 renamed, Spare1 and PriceFactor swapped, 25-character item codes.

#include "db/inventory_table.h"
#include "db/record_layer.h"
#include "db/sqlite_engine.h"
#include "tests/db/db_test_util.h"
#include "tests/support/data_files.h"
#include "tests/support/db_fixture.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QStringList>

using namespace qv;
using namespace qv::db;
using qv::test::DbFixture;

namespace {

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
        runScript("db/older_inventory.sql");
    }

    // The statements of a file in tests/data, one to a line ("--" lines are comments).
    void runScript(const char* relative) {
        for (const QString& line : QString::fromUtf8(test::ReadData(relative)).split(u'\n')) {
            if (!line.isEmpty() && !line.startsWith(QStringLiteral("--"))) {
                run(line);
            }
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
        runScript("db/older_inventory_rows.sql");
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
