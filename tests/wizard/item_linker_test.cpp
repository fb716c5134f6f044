#include "wizard/item_linker.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/support/forwarding_engine.h"
#include "tests/wizard/wizard_world.h"
#include "wizard/creation_log.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

// The embedded engine, except that it refuses inserts into the inventory table while asked to,
// as a server does when a row breaks one of its rules.
class RefusingEngine final : public ForwardingEngine {
public:
    RefusingEngine(const QString& folder, const bool& refuse)
        : ForwardingEngine(std::make_unique<db::SqliteEngine>(folder)), refuse_(refuse) {}

    std::optional<std::int64_t> execute(const QString& sql, db::DbError& e) override {
        if (refuse_ && sql.startsWith("INSERT INTO invt", Qt::CaseInsensitive)) {
            e.number = 2627;
            e.description = "Violation of UNIQUE KEY constraint.";
            return std::nullopt;
        }
        return ForwardingEngine::execute(sql, e);
    }

private:
    const bool& refuse_;
};

TEST(SaveLinkedItem, ARefusedItemTakesItsUpcRowBack) {
    WizardWorld w;
    bool refuse = false;
    std::unique_ptr<db::RecordLayer> layer = w.fx.makeLayer([&refuse](const QString& folder) {
        return std::make_unique<RefusingEngine>(folder, refuse);
    });
    ASSERT_TRUE(layer->OpenAllTables() && layer->OpenDataTables());
    WizardContext ctx = w.contextOver(*layer);
    w.startWithRoot();
    ctx.startRecordNum = WizardWorld::kRootRecordNum;
    w.sb.boxes.expect(QString(), BoxAnswer::No);  // the case UPC is not scanned
    w.script.on("FrmBreakDown", BreakDownStep(true, {true, true, false}))
        .on("FrmPackQty", QuantityStep("Enter Number of Packs in the Case", "12"));
    FrmMain f(ctx);
    f.FormLoad();
    f.CmdLink(0)->click();
    f.Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f.Text1(3)->setText("9412345000026");
    f.Text1(4)->setText("12.99");

    refuse = true;
    w.sb.boxes.expect("Record not saved");
    f.CmdLink(2)->click();
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_EQ(w.sb.boxes.shown().back().style, box::Ok);
    EXPECT_TRUE(w.upcRows(101).empty());
    EXPECT_FALSE(w.rowByNum(101).has_value());
    EXPECT_TRUE(f.CmdLink(2)->isEnabled());

    refuse = false;  // the user tries again
    f.CmdLink(2)->click();
    EXPECT_EQ(w.upcRows(101).size(), 1u);
    ASSERT_TRUE(w.rowByNum(101).has_value());
    EXPECT_EQ(w.rowByNum(101)->SL.str(), "5000002 ");
}

class Linker : public ::testing::Test {
protected:
    WizardWorld world{0, false};
    CreationLog log{world.sb.fs, world.sb.app.programFolder};
    ItemLinker linker{world.run(), world.layer(), world.country};
};

TEST_F(Linker, FirstItemOfAnEmptyTableIsNumberElevenAndGetsTheFirstCode) {
    // The root is only in the record (the table is empty).
    world.layer().Inventory = WizardWorld::Root();
    log.open();
    const auto created = linker.CreateItem(12, ItemKind::Pack, false, log);
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(created->recordNum, 11);
    EXPECT_EQ(created->sl, "10000000");
    EXPECT_EQ(world.run().SelectedItemID, "10000000");
    EXPECT_EQ(world.layer().Upc.SL.str(), "10000000");
    EXPECT_EQ(world.logFile(), QByteArray("SL=10000000\r\nINvUID=11\r\nItem Created\r\n"));

    const db::InventoryRecord& r = world.layer().Inventory;
    EXPECT_EQ(r.RecordNum, 11);
    EXPECT_EQ(r.LinkBreakPack.str(), "5000001 ");
    EXPECT_EQ(r.ItemID.rtrimmed(), "*CASE-LAGER");
    EXPECT_EQ(r.UOM.str(), "0    ");
    EXPECT_TRUE(r.Description.isBlank());
    EXPECT_EQ(r.SubDescription.rtrimmed(), "24PK");  // kept from the root
    EXPECT_EQ(r.VendorCode.rtrimmed(), "V200");

    LinkedItemInput in;
    in.vendorId = r.ItemID.trimmed();
    in.description = "LAGER 6PK";
    in.quantity = "12";
    in.uomEntry = "EA   - Each";
    ASSERT_TRUE(linker.SaveLinkedItem(in, false));
    const auto row = world.rowByNum(11);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->SL.str(), "10000000");
    EXPECT_EQ(row->Price, Currency());
    EXPECT_EQ(row->UOM.str(), "EA   ");
    EXPECT_TRUE(world.upcRows(11).empty());  // no UPC typed
}

TEST_F(Linker, SingleFromAPackDropsTheStarAndCutsTheCodeToItsColumn) {
    db::InventoryRecord pack = WizardWorld::Root();
    pack.ItemID = "*" + QString(24, u'X');
    pack.AvgCost = Currency::fromScaled(10000);  // 1.00 / 3 = 0.3333
    world.layer().Inventory = pack;
    const auto created = linker.CreateItem(3, ItemKind::Single, false, log);
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(world.layer().Inventory.ItemID.str(), "/" + QString(24, u'X'));
    EXPECT_EQ(world.layer().Inventory.FlgQZV.str(), "I");
    EXPECT_EQ(world.layer().Inventory.AvgCost, Currency::fromScaled(3333));

    world.layer().Inventory = WizardWorld::Root();
    world.layer().Inventory.ItemID = QString(25, u'Y');
    ASSERT_TRUE(linker.CreateItem(2, ItemKind::Pack, false, log).has_value());
    EXPECT_EQ(world.layer().Inventory.ItemID.str(), "*" + QString(24, u'Y'));
}

TEST_F(Linker, NoQuantityNoItem) {
    world.layer().Inventory = WizardWorld::Root();
    EXPECT_FALSE(linker.CreateItem(0, ItemKind::Pack, false, log).has_value());
    EXPECT_FALSE(linker.CreateItem(-2, ItemKind::Single, false, log).has_value());
    EXPECT_EQ(world.layer().Inventory, WizardWorld::Root());
}

TEST_F(Linker, ProbesLeaveTheRecordAsItWas) {
    ASSERT_TRUE(world.insertItem(DbFixture::Item(3)));
    db::InventoryRecord mine = WizardWorld::Root();
    mine.Description = "NOT SAVED YET";
    world.layer().Inventory = mine;
    EXPECT_FALSE(linker.VendorIdFree(DbFixture::Item(3).ItemID.trimmed().toLower()));
    EXPECT_TRUE(linker.VendorIdFree("NEW-CODE"));
    EXPECT_TRUE(linker.ItemExists(DbFixture::Item(3).RecordNum));
    EXPECT_FALSE(linker.ItemExists(999));
    EXPECT_EQ(world.layer().Inventory, mine);
}

TEST(WholeQuantity, OnlyWholeNumbersFromOneTo32767) {
    EXPECT_EQ(WholeQuantity("1"), std::int16_t{1});
    EXPECT_EQ(WholeQuantity(" 32767 "), std::int16_t{32767});
    EXPECT_EQ(WholeQuantity("1,000"), std::int16_t{1000});
    for (const char* bad : {"32768", "0", "-1", "1.5", "12x", ""}) {
        EXPECT_FALSE(WholeQuantity(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace qv::test
