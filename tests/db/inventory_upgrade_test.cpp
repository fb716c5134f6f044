// Opening an inventory table of an older shape brings it up to date: quantity as a decimal,
// the two added columns, Flg2 renamed, Spare1 and PriceFactor swapped, 25-character item codes.

#include "db/inventory_table.h"
#include "db/record_layer.h"
#include "db/sqlite_engine.h"
#include "tests/db/db_test_util.h"
#include "tests/support/db_fixture.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QStringList>

using namespace qv;
using namespace qv::db;
using qv::test::DbFixture;

namespace {

// The inventory columns as an older release created them.
QString oldCreateStatement(const QString& table) {
    QStringList defs;
    for (int i = 0; i < 55; ++i) {
        const ColumnDef& c = inventory::kColumns[i];
        QString def = QString::fromUtf16(c.name) + u' ' + QString::fromUtf16(c.definition);
        if (i == inventory::colItemID) {
            def = QStringLiteral("ItemID CHAR (15) NOT NULL DEFAULT ' '");
        } else if (i == inventory::colQtyOnHand) {
            def = QStringLiteral("QtyOnHand SMALLINT");
        } else if (i == 16) {
            def = QStringLiteral("PriceFactor CHAR (6) DEFAULT ' '");
        } else if (i == inventory::colNeverOrder) {
            def = QStringLiteral("Flg2 CHAR(1) DEFAULT ' '");
        } else if (i == inventory::colPriceFactor) {
            def = QStringLiteral("Spare1 CHAR(6) DEFAULT ' '");
        }
        defs << def;
    }
    return QStringLiteral("Create Table ") + table + QStringLiteral(" (") +
           defs.join(QStringLiteral(", ")) + QStringLiteral(");");
}

// One row of the older shape: 55 values.
QString oldRow(const QString& table, const QString& sl, const QString& itemId, int recordNum,
               const QString& priceFactor, const QString& flg2, const QString& spare1) {
    QStringList v;
    for (int i = 0; i < 55; ++i) {
        const ColumnDef& c = inventory::kColumns[i];
        QString value = c.kind == ColumnKind::Text ? QStringLiteral("' '") : QStringLiteral("0");
        if (i == 0) {
            value = u'\'' + sl + u'\'';
        } else if (i == 1) {
            value = u'\'' + itemId + u'\'';
        } else if (i == 2) {
            value = QStringLiteral("'OLD ITEM ") + sl + u'\'';
        } else if (i == inventory::colQtyOnHand) {
            value = QStringLiteral("7");
        } else if (i == 16) {
            value = u'\'' + priceFactor + u'\'';
        } else if (i == inventory::colNeverOrder) {
            value = u'\'' + flg2 + u'\'';
        } else if (i == inventory::colPriceFactor) {
            value = u'\'' + spare1 + u'\'';
        } else if (i == inventory::colRecordNum) {
            value = QString::number(recordNum);
        }
        v << value;
    }
    return QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES(") + v.join(u',') +
           QStringLiteral(")");
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
        for (const QString& index :
             inventory::IndexStatements(QStringLiteral("invt5")).split(u';', Qt::SkipEmptyParts)) {
            // The older indexes, idx_9 on the older PriceFactor.
            QString statement = index;
            ASSERT_TRUE(run(statement)) << statement.toStdString();
        }
    }

    bool run(const QString& sql) {
        const bool ok = other->execute(sql, e).has_value();
        if (!ok) {
            ADD_FAILURE() << sql.toStdString() << ": " << e.description.toStdString();
        }
        return ok;
    }

    void fillOldRows() {
        ASSERT_TRUE(
            run(oldRow(QStringLiteral("invt5"), QStringLiteral("S1"), QStringLiteral("OLD-1"), 11,
                       QStringLiteral("PF1"), QStringLiteral("Y"), QString())));
        ASSERT_TRUE(
            run(oldRow(QStringLiteral("invt5"), QStringLiteral("S2"), QStringLiteral("OLD-2"), 12,
                       QString(), QStringLiteral("N"), QStringLiteral("S2"))));
    }

    std::unique_ptr<RecordLayer> start() {
        auto layer = fx.makeLayer();
        EXPECT_TRUE(layer->OpenAllTables());
        EXPECT_TRUE(layer->OpenDataTables());
        return layer;
    }

    QStringList logLines() const {
        return QString::fromUtf8(sandbox.readFile(QStringLiteral("C:\\KT\\PVSW.log")))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    qv::test::Sandbox sandbox;
    DbFixture fx{sandbox};
    std::unique_ptr<SqliteEngine> other;
    DbError e;
};

TEST_F(InventoryUpgradeTest, OlderTableIsBroughtUpToDate) {
    fillOldRows();
    other.reset();
    auto layer = start();
    RecordLayer& db = *layer;
    ASSERT_EQ(db.Slot(kInventoryTable)->tableName, QStringLiteral("invt5"));

    // Columns by ordinal, as the record copies need them.
    EXPECT_EQ(db.FieldName(kInventoryTable, 16), QStringLiteral("NotUsed"));
    EXPECT_EQ(db.FieldName(kInventoryTable, 47), QStringLiteral("NeverOrder"));
    EXPECT_EQ(db.FieldName(kInventoryTable, 50), QStringLiteral("PriceFactor"));
    EXPECT_EQ(db.FieldName(kInventoryTable, 55), QStringLiteral("PenLiqorUnit"));
    EXPECT_EQ(db.FieldName(kInventoryTable, 56), QStringLiteral("QZV3"));
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
    fillOldRows();
    other.reset();
    {
        auto layer = start();
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
    EXPECT_EQ(layer->FieldName(kInventoryTable, 47), QStringLiteral("Flg2"));
    EXPECT_EQ(layer->FieldName(kInventoryTable, 50), QStringLiteral("Spare1"));
    EXPECT_EQ(layer->FieldName(kInventoryTable, 55), QString());
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_EQ(layer->NextRecordNumber(), 11);
}

TEST(InventoryOpen, ProgramNamedVendorsLeavesTheTableAlone) {
    qv::test::Sandbox sandbox;
    DbFixture::Options o;
    o.openLayer = true;
    DbFixture fx(sandbox, o);
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
