#include "wizard/item_linker.h"
#include "tests/wizard/wizard_world.h"
#include "wizard/creation_log.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

// The item's row is refused (another workstation took its S/L code meanwhile): the UPC row
// written with it goes back too, and the save can be tried again.
TEST(SaveLinkedItem, ARefusedItemTakesItsUpcRowBack) {
    WizardWorld w;
    w.startWithRoot();
    w.sb.boxes.expect(QString(), BoxAnswer::No);  // the case UPC is not scanned
    w.script.on("FrmBreakDown", BreakDownStep(true, {true, true, false}))
        .on("FrmPackQty", QuantityStep("Enter Number of Packs in the Case", "12"));
    FrmMain f(w.ctx);
    f.FormLoad();
    f.CmdLink(0)->click();
    f.Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f.Text1(3)->setText("9412345000026");
    f.Text1(4)->setText("12.99");

    db::RecordLayer& other = w.checker();
    other.Inventory = Inventory("SL=5000002 | ItemID=TAKEN | RecordNum=999");
    ASSERT_TRUE(other.RecordOp(db::kInventoryTable, db::op::Insert, 0));
    w.sb.boxes.expect("Record not saved");
    f.CmdLink(2)->click();
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_EQ(w.sb.boxes.shown().back().style, box::Ok);
    EXPECT_FALSE(w.linkedRows().contains("InvUID=101"));
    EXPECT_TRUE(f.CmdLink(2)->isEnabled());

    ASSERT_EQ(other.ExecuteSql("DELETE FROM invt1 WHERE RecordNum = 999"), 1);
    f.CmdLink(2)->click();  // the user tries again
    const QString rows = w.linkedRows();
    EXPECT_TRUE(rows.contains("SL=5000002 | ")) << rows.toStdString();
    EXPECT_TRUE(rows.contains("UPC SL=5000002 | UPC=9412345000026 | POLL=Y | InvUID=101\n"));
}

class Linker : public ::testing::Test {
protected:
    WizardWorld world{0, false};
    CreationLog log{world.sb.fs, world.sb.app.programFolder};
    ItemLinker linker{world.run(), world.layer(), world.country};
};

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
