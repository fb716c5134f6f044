#include "wizard/item_linker.h"
#include "lookup/sl_code.h"
#include "tests/support/data_files.h"
#include "tests/support/sandbox.h"
#include "tests/wizard/wizard_world.h"
#include "wizard/creation_log.h"
#include "wizard/sl_create.h"
#include "wizard/uom_list.h"

#include <gtest/gtest.h>
#include <set>

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

// --- the alphanumeric successor --------------------------------------------------------------

TEST(AlphaSuccessor, LettersMoveOnDigitsCountUpAndOtherEndingsCountAllDigitsPastTakenCodes) {
    for (const Case& c : Cases("wizard/sl_codes.cases")) {
        EXPECT_EQ(AlphaSuccessor(c.text(0), {}), c.text(1)) << c.where();
    }
    // A "Z" in a code of seven characters: the digits 1 and 2 make 12; 13 and 14 are taken.
    const std::set<QString> taken{StoredSl("13"), StoredSl("14"), StoredSl("1")};
    const SlTakenFn isTaken = [&taken](const QString& sl) { return taken.count(sl) > 0; };
    EXPECT_EQ(AlphaSuccessor("A1B2CDZ", isTaken), "15");
    EXPECT_EQ(AlphaSuccessor("ABCDEFZ", isTaken), "2");  // no digits at all: from zero
    // Stored codes: numbers right-aligned, codes left-aligned.
    EXPECT_EQ(StoredSl("1234568"), "1234568 ");
    EXPECT_EQ(StoredSl("12"), "     12 ");
    EXPECT_EQ(StoredSl("AB7D"), "AB7D    ");
}

// --- the next free code from the table -------------------------------------------------------

TEST(SlCreate, TheNextFreeCodeFollowsTheHighestNumericCodeElseTheLastCode) {
    for (const Case& c : Cases("wizard/sl_create.cases")) {
        SCOPED_TRACE(c.where());
        WizardWorld world{0, false};
        int n = 0;
        for (const QString& sl : c.list(0, u';')) {
            db::InventoryRecord r = DbFixture::Item(n);
            r.SL = sl;
            r.RecordNum = 11 + n++;
            ASSERT_TRUE(world.insertItem(r)) << world.layer().LastError().description.toStdString();
        }
        const QString next = gfsSLcreate(world.layer());
        EXPECT_EQ(next, c.text(1));
        EXPECT_EQ(world.checker().GetInventoryBySL(next, false), 0) << "the code is free";
    }
}

const QString kFolder = QStringLiteral("C:\\KT");

TEST(UomEntryFromLine, LabelIsFilledOrCutToFiveCharactersBeforeTheDescription) {
    for (const Case& c : Cases("wizard/uom_lines.cases")) {
        EXPECT_EQ(UomEntryFromLine(c.text(0)), c.text(1)) << c.where();
    }
}

TEST(ReadUomFile, OneEntryPerLineInFileOrderOrTheSingleDefaultWhenMissing) {
    Sandbox sb;
    sb.makeDir(kFolder);
    UomFile f = ReadUomFile(sb.fs, kFolder);
    EXPECT_EQ(f.entries, QStringList{"EA   - Each"});
    EXPECT_TRUE(f.problem.isEmpty());

    sb.writeFile(kFolder + "\\uom.vor", "");
    EXPECT_TRUE(ReadUomFile(sb.fs, kFolder).entries.isEmpty()) << "an empty file is no default";

    sb.writeFile(kFolder + "\\uom.vor",
                 "[CODE]1[LABEL]EA[DESC]Each\r\n[CODE]3[LABEL]CS[DESC]Case\r\n"
                 "[CODE]4[LABEL]PK[DESC]Pack of six\r\n");
    f = ReadUomFile(sb.fs, kFolder);
    EXPECT_EQ(f.entries, (QStringList{"EA    - Each", "CS    - Case", "PK    - Pack of six"}));
    EXPECT_TRUE(f.problem.isEmpty());
}

TEST(ReadUomFile, GarbledLinesAreLeftOutAndReported) {
    Sandbox sb;
    sb.writeFile(kFolder + "\\UOM.VOR", "\x01\x02garbage\n[LABEL]CS[DESC]Case\n\n[CODE]9\n");
    const UomFile f = ReadUomFile(sb.fs, kFolder);
    EXPECT_EQ(f.entries, QStringList{"CS    - Case"});
    EXPECT_TRUE(f.problem.startsWith("2 line(s) of the unit of measure file"))
        << f.problem.toStdString();
    EXPECT_TRUE(f.problem.endsWith("(the first is line 1)."));
}

TEST(FindUomEntry, MatchesOnTheFirstFiveCharactersAndTheDescriptionFollowsTheSeparator) {
    const QStringList entries{"EA    - Each", "CS    - Case"};
    EXPECT_EQ(FindUomEntry(entries, "CS   "), 1);
    EXPECT_EQ(FindUomEntry(entries, "CS"), 1);
    EXPECT_EQ(FindUomEntry(entries, "     "), 0);
    EXPECT_EQ(FindUomEntry(entries, "BX"), -1);
    EXPECT_EQ(FindUomEntry(QStringList(), QString()), -1);
    EXPECT_EQ(UomDescription("CS    - Case"), "Case");
    EXPECT_EQ(UomDescription("6-PK  - Six pack"), "Six pack");
    EXPECT_EQ(UomDescription("odd-one"), "one");
    EXPECT_EQ(UomDescription("plain"), "plain");
}

}  // namespace
}  // namespace qv::test
