#include "tests/platform/shown_box.h"
#include "tests/support/modal_driver.h"
#include "tests/wizard/typical_run.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>

namespace qv::test {
namespace {

// The units dialog answered "ordered by case, sold by case and pack (and single)" with the
// packs in the case (and the singles in the pack).
void scriptCaseAndPack(WizardWorld& w, const QString& packs, bool single) {
    w.script.on("FrmBreakDown", BreakDownStep(true, {true, true, single}))
        .on("FrmPackQty", QuantityStep(kPacksInCase, packs));
    if (single) {
        w.script.on("FrmPackQty", QuantityStep(kSinglesInPack, "6"));
    }
}

// An existing pack item of the root, record number 150.
db::InventoryRecord ExistingPack() {
    db::InventoryRecord p = WizardWorld::Root();
    p.SL = QStringLiteral("5000010 ");
    p.ItemID = QStringLiteral("LAGER-6PK");
    p.Description = QStringLiteral("HARBOUR LAGER 6PK");
    p.AvgCost = Currency::fromScaled(75000);
    p.Cost = p.AvgCost;
    p.Price = Currency::fromUnits(11);
    p.UOM = QStringLiteral("PK");
    p.RecordNum = 150;
    return p;
}

// --- the typical run -------------------------------------------------------------------------

TEST(MainFormRun, CaseSoldByPackAndSingleEndsWithBothItemsLinkedToTheRoot) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    w.startWithRoot();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No).expect(kCaseUpcQuestion, BoxAnswer::No);
    scriptCaseAndPack(w, "12", true);
    w.script.on("FrmMain", MainFormStep(ClickTypicalRun));
    ShowMainForm(w.ctx);
    EXPECT_TRUE(w.script.finished());
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    ExpectTypicalRunRows(w);
}

// --- the root --------------------------------------------------------------------------------

TEST(MainFormRoot, PickingTheRootAgainIsASelectionError) {
    WizardWorld w;
    w.startWithRoot();
    w.sb.boxes.expect("You have selected your root item. Please select the Pack Item.");
    scriptCaseAndPack(w, "4", false);
    w.picks.push_back("5000001 ");
    FrmMain f(w.ctx);
    f.FormLoad();
    f.CmdLink(1)->click();
    EXPECT_TRUE(BoxShown(w.sb.boxes, 0, box::Ok, "Selection Error"));
    EXPECT_EQ(f.WizardStep(), 0);
    EXPECT_TRUE(f.Frame(2)->isHidden());
    f.CmdEsc_Click();
    const auto root = w.rowByNum(WizardWorld::kRootRecordNum);
    EXPECT_TRUE(root->FlgQZV.isBlank());
    EXPECT_EQ(root->QZV1, 0);
    EXPECT_EQ(w.inventoryCount(), 31);
}

TEST(MainFormRoot, ARefusedRootOrEscCancelInTheUnitsDialogEndsBeforeTheFormShows) {
    for (bool refused : {true, false}) {
        SCOPED_TRACE(refused ? "root refused" : "Esc Cancel");
        WizardWorld w;
        w.startWithRoot();
        if (refused) {
            w.sb.boxes
                .expect("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Case?", BoxAnswer::No)
                .expect("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Pack?", BoxAnswer::No)
                .expect("You must select the Correct Root item to use this program");
            w.script.on("FrmBreakDown", BreakDownStep(true, {false, true, true}));
        } else {
            w.script.on("FrmBreakDown", CancelBreakDownStep());
        }
        ShowMainForm(w.ctx);
        EXPECT_EQ(w.script.shown(), std::vector<QString>{"FrmBreakDown"});
        EXPECT_TRUE(w.sb.boxes.allAnswered());
        EXPECT_EQ(w.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK, 1);
        EXPECT_EQ(w.inventoryCount(), 31);
    }
}

TEST(MainFormRoot, OneSellByUnitOffersNoLinkButtons) {
    WizardWorld w;
    w.startWithRoot();
    w.sb.boxes.expect(QString());
    w.script.on("FrmBreakDown", BreakDownStep(true, {false, false, true}))
        .on("FrmMain", MainFormStep([](FrmMain& f) {
                for (int i : {0, 1, 2}) {
                    EXPECT_TRUE(f.CmdLink(i)->isHidden()) << i;
                }
                QTest::keyClick(&f, Qt::Key_Escape);
                EXPECT_TRUE(f.EndRequested());
            }));
    ShowMainForm(w.ctx);
    EXPECT_TRUE(w.script.finished());
    EXPECT_TRUE(w.sb.boxes.allAnswered());  // the one-unit note; its title is BreakDown's
    EXPECT_TRUE(w.rowByNum(WizardWorld::kRootRecordNum)->FlgQZV.isBlank());
}

TEST(MainFormRoot, WithoutUidTheRootIsPickedAndOfferedAUpc) {
    WizardWorld w(30, true, false);  // the root has no UPC yet
    w.run().SelectedItemID = QStringLiteral("0");
    w.picks = {"7777777 ", "5000001 "};
    w.sb.boxes.expect("Item not found. Please Reselect");
    w.script.on("FrmUPC", UpcStep("94123"));
    scriptCaseAndPack(w, "12", true);
    FrmMain f(w.ctx);
    f.FormLoad();
    EXPECT_FALSE(f.CmdGetSL()->isHidden());
    EXPECT_EQ(child<QLabel>(f, "Label2")->text(),
              "This is the item where you keep track of quantity on hand");
    EXPECT_TRUE(f.Frame(2)->isHidden());
    EXPECT_TRUE(f.CmdLink(0)->isHidden());
    EXPECT_EQ(w.run().SelectedItemID, QString());

    f.CmdGetSL()->click();  // an unknown code
    EXPECT_EQ(f.LblItem(0)->text(), QString());
    EXPECT_FALSE(f.CmdGetSL()->isHidden());

    f.CmdGetSL()->click();  // the root
    EXPECT_TRUE(w.script.finished());
    EXPECT_EQ(f.RootSL(), "5000001 ");
    EXPECT_EQ(f.LblItem(0)->text(), "5000001. ");
    EXPECT_EQ(f.LblItem(4)->text(), "94123");
    EXPECT_TRUE(f.CmdGetSL()->isHidden());
    EXPECT_EQ(f.CmdLink(0)->text(), "Create New Pack Item");
    w.expectOneUpc(WizardWorld::kRootRecordNum, "94123", "5000001 ");
}

TEST(MainFormRoot, AShortRootUpcIsDroppedAndNothingStored) {
    WizardWorld w(0, true, false);
    w.startWithRoot();
    w.sb.boxes.expect(QString());  // one sell-by unit
    w.script.on("FrmUPC", UpcStep("1234"))
        .on("FrmBreakDown", BreakDownStep(true, {true, false, false}));
    FrmMain f(w.ctx);
    f.FormLoad();
    EXPECT_EQ(f.LblItem(4)->text(), QString());
    EXPECT_TRUE(w.upcRows(WizardWorld::kRootRecordNum).empty());
}

// --- picking existing items ------------------------------------------------------------------

TEST(MainFormSelect, AnExistingPackIsUpdatedAndTheSingleMadeFromIt) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    ASSERT_TRUE(w.insertItem(ExistingPack(), "9412345000040"));
    w.startWithRoot();
    w.picks.push_back("5000010 ");
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    scriptCaseAndPack(w, "4", true);
    FrmMain f(w.ctx);
    f.FormLoad();
    f.CmdLink(1)->click();
    EXPECT_TRUE(f.ItemChosen());
    EXPECT_EQ(f.WizardStep(), 1);
    EXPECT_EQ(f.PackRecordNum(), 150);
    EXPECT_EQ(f.Text1(0)->text(), "LAGER-6PK");
    EXPECT_EQ(f.Text1(3)->text(), "9412345000040");
    EXPECT_EQ(f.Text1(4)->text(), "11.00");
    EXPECT_EQ(f.Text1(5)->text(), "4");
    EXPECT_EQ(f.CboUOM(0)->currentText(), "PK    - Pack");
    EXPECT_FALSE(f.CmdLink(2)->isHidden());
    EXPECT_TRUE(f.CmdLink(0)->isHidden());

    f.Text1(4)->setText("11.50");
    f.CmdLink(2)->click();
    EXPECT_TRUE(f.Saved());
    EXPECT_EQ(f.CmdLink(0)->text(), "Create New Single Item");
    f.CmdLink(0)->click();  // the single, from the picked pack
    EXPECT_EQ(f.LblItem(13)->text(), "5000010. ");
    f.Text1(10)->setText("HARBOUR LAGER 330ML");
    f.Text1(7)->setText("2");
    f.CmdLink(2)->click();
    f.CmdEsc_Click();

    const auto pack = w.rowByNum(150);
    ASSERT_TRUE(pack.has_value());
    EXPECT_EQ(pack->Price, Currency::fromScaled(115000));
    EXPECT_EQ(pack->QTYINPACK, 4);
    EXPECT_EQ(pack->LinkBreakPack.str(), "5000001 ");
    EXPECT_EQ(pack->ItemID.rtrimmed(), "LAGER-6PK");
    EXPECT_EQ(w.upcRows(150).size(), 1u);  // the same UPC adds no row
    const auto single = w.rowBySl("5000011 ");
    ASSERT_TRUE(single.has_value());
    EXPECT_EQ(single->ItemID.rtrimmed(), "*LAGER-6PK");
    EXPECT_EQ(single->LinkBreakPack.str(), "5000010 ");
    EXPECT_EQ(single->AvgCost, Currency::fromScaled(12500));
    const auto root = w.rowByNum(WizardWorld::kRootRecordNum);
    EXPECT_EQ(root->QZV1, 150);
    EXPECT_EQ(root->QZV2, single->RecordNum);
}

TEST(MainFormSelect, ASavedPickChangedMeanwhileElsewhereIsNotSavedAndKeepsNoUpc) {
    WizardWorld w;
    ASSERT_TRUE(w.insertItem(ExistingPack()));
    w.startWithRoot();
    w.picks.push_back("5000010 ");
    scriptCaseAndPack(w, "4", false);
    FrmMain f(w.ctx);
    f.FormLoad();
    f.CmdLink(1)->click();
    f.Text1(3)->setText("9400000000993");
    f.Text1(4)->setText("9.99");

    // Another workstation changes the item between the pick and the save.
    ASSERT_EQ(w.checker().ExecuteSql("UPDATE invt1 SET Price = 8.5 WHERE RecordNum = 150"), 1);
    w.sb.boxes.expect("Record not saved");
    f.CmdLink(2)->click();
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_FALSE(f.Saved());
    EXPECT_TRUE(w.upcRows(150).empty());
    EXPECT_EQ(w.rowByNum(150)->Price, Currency::fromScaled(85000));
}

// --- bottle deposits -------------------------------------------------------------------------

class MainFormDeposit : public ::testing::Test {
protected:
    MainFormDeposit() {
        for (int i : {0, 1}) {
            db::InventoryRecord d = DbFixture::Item(40);
            d.SL = QStringLiteral("     5%1 ").arg(i);
            d.ItemID = QStringLiteral("DEP-%1").arg(10 * (i + 1));
            d.Description = QStringLiteral("BOTTLE DEPOSIT %1C").arg(10 * (i + 1));
            d.DeptCode = QStringLiteral("DEP");
            d.Price = Currency::fromScaled(1000 * (i + 1));
            d.RecordNum = 60 + i;
            EXPECT_TRUE(w.insertItem(d));
        }
        w.run().DepositDeptCode = QStringLiteral("DEP");
    }
    WizardWorld w;
};

TEST_F(MainFormDeposit, RootLinkIsWrittenAtOnceAndNotSelectedClearsIt) {
    w.startWithRoot();
    scriptCaseAndPack(w, "12", false);
    FrmMain f(w.ctx);
    f.FormLoad();
    QComboBox* deposits = f.cboDeposit();
    EXPECT_FALSE(deposits->isHidden());
    EXPECT_FALSE(child<QLabel>(f, "Label3")->isHidden());
    ASSERT_EQ(deposits->count(), 3);
    EXPECT_EQ(deposits->itemText(0), "Not Selected");
    EXPECT_EQ(deposits->itemText(1), QStringLiteral("     50      0.10\t    ") +
                                         QStringLiteral("BOTTLE DEPOSIT 10C").leftJustified(30));
    EXPECT_EQ(deposits->currentText(), "Not Selected");

    f.cboDeposit_Click(1);
    EXPECT_EQ(f.LblItem(16)->text(), "     50");
    EXPECT_EQ(w.rowByNum(WizardWorld::kRootRecordNum)->LinkItem.str(), "     50 ");
    f.cboDeposit_Click(0);
    EXPECT_EQ(f.LblItem(16)->text(), QString());
    EXPECT_TRUE(w.rowByNum(WizardWorld::kRootRecordNum)->LinkItem.isBlank());

    // With the pack on screen the choice goes with the pack.
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    f.CmdLink(0)->click();
    f.cboDeposit_Click(2);
    EXPECT_EQ(f.LblItem(17)->text(), "     51");
    EXPECT_TRUE(w.rowByNum(WizardWorld::kRootRecordNum)->LinkItem.isBlank());
    f.Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f.Text1(4)->setText("12.99");
    f.CmdLink(2)->click();
    EXPECT_EQ(w.rowByNum(101)->LinkItem.str(), "     51 ");
    EXPECT_TRUE(w.sb.boxes.allAnswered());
}

TEST_F(MainFormDeposit, WithoutARootTheLinkIsNotSaved) {
    w.run().SelectedItemID = QStringLiteral("0");
    FrmMain f(w.ctx);
    f.FormLoad();
    w.sb.boxes.expect("Linked Item not Saved");
    f.cboDeposit_Click(1);
    EXPECT_TRUE(w.sb.boxes.allAnswered());
}

// --- saving and leaving ----------------------------------------------------------------------

class MainFormPack : public ::testing::Test {
protected:
    // The root on screen and a pack made, waiting for its boxes.
    void SetUp() override {
        w.startWithRoot();
        w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
        scriptCaseAndPack(w, "12", true);
        f = std::make_unique<FrmMain>(w.ctx);
        f->FormLoad();
        f->CmdLink(0)->click();
        ASSERT_EQ(f->WizardStep(), 1);
        f->Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
        f->Text1(4)->setText("12.99");
    }
    void expectNothingWritten() {
        EXPECT_EQ(w.inventoryCount(), 31);
        EXPECT_TRUE(w.upcRows(101).empty());
    }
    WizardWorld w;
    std::unique_ptr<FrmMain> f;
};

TEST_F(MainFormPack, BadPriceQuantityUpcOrVendorIdIsExplainedAndNothingWritten) {
    const char* price = "Please enter the price as an amount of 0 or more, for example 12.50.";
    const char* quantity = "Please enter the quantity as a whole number from 1 to 32767.";
    const char* upc = "A UPC is made of 5 to 15 digits. Please correct it or leave it empty.";
    const char* taken =
        "Please check if you have already created the Pack Item.\r\nIf not, Change Vendor ID\r\n"
        "To update existing item use the 'Select Existing Pack' option";
    const struct {
        int box;
        const char* text;
        const char* message;
    } cases[] = {
        {4, "abc", price},        {4, "12'5", price},       {4, "-1", price},
        {5, "0", quantity},       {5, "-4", quantity},      {5, "40000", quantity},
        {5, "six", quantity},     {3, "94A23", upc},        {3, "941 23", upc},
        {3, "9412'3", upc},       {0, "kw-000000 ", taken},  // the first generated item's code
        {0, "CASE-LAGER", taken},                            // the root's own
    };
    for (const auto& c : cases) {
        const QString before = f->Text1(c.box)->text();
        f->Text1(c.box)->setText(c.text);
        w.sb.boxes.expect(c.message);
        f->CmdLink(2)->click();
        EXPECT_TRUE(f->CmdLink(2)->isEnabled()) << c.text;
        f->Text1(c.box)->setText(before);
    }
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_TRUE(BoxShown(w.sb.boxes, -1, box::Ok, "Vendor ID already exists."));
    expectNothingWritten();
}

TEST_F(MainFormPack, LongTextIsCutByTheBoxesAndApostrophesAreKept) {
    f->Text1(1)->setText("JOE'S FAMOUS LAGER SIX PACK OF 330ML");
    EXPECT_EQ(f->Text1(1)->text(), "JOE'S FAMOUS LAGER SIX PACK OF");
    f->Text1(0)->setText(QString(40, u'V'));
    EXPECT_EQ(f->Text1(0)->text().size(), 25);
    f->Text1(0)->setText("*JOE'S-6");
    f->Text1(1)->setText("JOE'S LAGER 6 X 330ML");
    f->Text1(2)->setText("BOB'S 6PK");
    f->CmdLink(2)->click();
    const auto pack = w.rowByNum(101);
    ASSERT_TRUE(pack.has_value());
    EXPECT_EQ(pack->Description.rtrimmed(), "JOE'S LAGER 6 X 330ML");
    EXPECT_EQ(pack->SubDescription.rtrimmed(), "BOB'S 6PK");
    EXPECT_EQ(pack->ItemID.rtrimmed(), "*JOE S-6");  // codes never hold one
}

TEST(LinkedItemInput, TextsLongerThanTheirColumnsAreRefused) {
    LinkedItemInput in;
    in.quantity = QStringLiteral("6");
    in.description = QString(31, u'D');
    EXPECT_EQ(CheckLinkedItem(in)->field, InputProblem::Field::Description);
    EXPECT_EQ(CheckLinkedItem(in)->message, "The description can be at most 30 characters long.");
    in.description = QString(30, u'D') + QStringLiteral("  ");
    EXPECT_FALSE(CheckLinkedItem(in).has_value());
    in.vendorId = QString(26, u'V');
    EXPECT_EQ(CheckLinkedItem(in)->field, InputProblem::Field::VendorId);
    in.vendorId.clear();
    in.subDescription = QString(21, u'S');
    EXPECT_EQ(CheckLinkedItem(in)->field, InputProblem::Field::SubDescription);
    in.subDescription.clear();
    in.deptCode = QString(12, u'B');
    EXPECT_EQ(CheckLinkedItem(in)->field, InputProblem::Field::DeptCode);
}

TEST_F(MainFormPack, PricesIncludingTaxStoreBothPrices) {
    w.country.IncludeTaxInPrice = true;
    CommonRates rates;
    rates.TaxRate = {15.0f, 0, 0, 0, 0};
    w.country.setRates(rates);
    f->Text1(4)->setText("11.50");
    f->CmdLink(2)->click();
    const auto pack = w.rowByNum(101);
    ASSERT_TRUE(pack.has_value());
    EXPECT_EQ(pack->PriceIncTax, Currency::fromScaled(115000));
    EXPECT_EQ(pack->Price, Currency::fromScaled(100000));
    EXPECT_EQ(pack->TaxCode.str(), "A");
}

TEST_F(MainFormPack, FieldPromptsAskForDescriptionUpcAndPrice) {
    f->Text1(1)->clear();
    w.sb.boxes.expect("Please Enter Description");
    f->Text1_LostFocus(1);
    f->Text1(3)->clear();
    w.sb.boxes.expect("Do you have a UPC code for this item ?", BoxAnswer::No);
    f->Text1_LostFocus(3);
    EXPECT_TRUE(BoxShown(w.sb.boxes, -1, box::YesNo, "Please Enter UPC if available"));
    f->Text1(4)->clear();
    f->Text1_LostFocus(4);  // no description yet: no price prompt
    f->Text1(1)->setText("LAGER");
    w.sb.boxes.expect("Please Enter Item Price");
    f->Text1_LostFocus(4);
    f->Text1_LostFocus(10);  // the single's frame is hidden: nothing
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_EQ(w.sb.boxes.shown().size(), 4u);  // with the case UPC question
}

TEST_F(MainFormPack, LeavingBeforeTheSaveLinksNothing) {
    f->CmdEsc_Click();
    EXPECT_TRUE(f->EndRequested());
    EXPECT_TRUE(w.rowByNum(WizardWorld::kRootRecordNum)->FlgQZV.isBlank());
    expectNothingWritten();
}

TEST_F(MainFormPack, ClosingTheWindowLeavesTheRootUnlinked) {
    f->CmdLink(2)->click();
    EXPECT_EQ(w.inventoryCount(), 32);
    f->reject();
    EXPECT_TRUE(f->EndRequested());
    EXPECT_TRUE(w.rowByNum(WizardWorld::kRootRecordNum)->FlgQZV.isBlank());
}

TEST_F(MainFormPack, CaseUpcScannedGivesTheItemTheCaseCode) {
    // A second run of the question: the single, when the case UPC is scanned.
    f->CmdLink(2)->click();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::Yes);
    f->CmdLink(0)->click();
    // The UPC record still holds the case's code: the pack was saved without one.
    EXPECT_EQ(f->Text1(11)->text(), "/" + WizardWorld::RootUpc());
    EXPECT_TRUE(f->Text1(8)->isHidden());
    f->Text1(10)->setText("LAGER 330ML");
    f->CmdLink(2)->click();
    EXPECT_TRUE(w.upcRows(102).empty());
    EXPECT_EQ(w.inventoryCount(), 33);
}

// --- the real modal loop ---------------------------------------------------------------------

TEST(MainFormModal, ShowMainFormRunsModallyAndReturnsOnEscExit) {
    WizardWorld w;
    w.startWithRoot();
    w.ctx.showModal = ExecModal;
    w.sb.boxes.expect(QString());  // one unit only
    ModalDriver driver;
    driver
        .on("FrmBreakDown", [](QWidget* d) { QTest::keyClick(d, Qt::Key_F10); })  // "Case" only
        .on("FrmMain", [](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
    ShowMainForm(w.ctx);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace qv::test
