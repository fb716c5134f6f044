#include "tests/support/modal_driver.h"
#include "tests/support/shown_box.h"
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
    return Inventory(
        "SL=5000010 | ItemID=LAGER-6PK | Description=HARBOUR LAGER 6PK | AvgCost=7.5 | Cost=7.5 | "
        "Price=11 | UOM=PK | RecordNum=150",
        WizardWorld::Root());
}

TEST(MainFormRun, CaseSoldByPackAndSingleEndsWithBothItemsLinkedToTheRoot) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    w.startWithRoot();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No).expect(kCaseUpcQuestion, BoxAnswer::No);
    scriptCaseAndPack(w, "12", true);
    QString forms;
    w.script.on("FrmMain", MainFormStep([&forms](FrmMain& f) { ClickTypicalRun(f, &forms); }));
    ShowMainForm(w.ctx);
    EXPECT_TRUE(w.script.finished());
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    ExpectGolden("wizard/typical_run_forms.txt", forms);
    ExpectTypicalRunRows(w);
}

// --- the root --------------------------------------------------------------------------------

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

TEST(MainFormRoot, PickingTheRootAgainIsASelectionErrorAndOneSellByUnitOffersNoLinks) {
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
    EXPECT_TRUE(w.rowByNum(WizardWorld::kRootRecordNum)->FlgQZV.isBlank());

    WizardWorld one;
    one.startWithRoot();
    one.sb.boxes.expect(QString());  // the one-unit note; its title is BreakDown's
    one.script.on("FrmBreakDown", BreakDownStep(true, {false, false, true}))
        .on("FrmMain", MainFormStep([](FrmMain& form) {
                for (int i : {0, 1, 2}) {
                    EXPECT_TRUE(form.CmdLink(i)->isHidden()) << i;
                }
                QTest::keyClick(&form, Qt::Key_Escape);
                EXPECT_TRUE(form.EndRequested());
            }));
    ShowMainForm(one.ctx);
    EXPECT_TRUE(one.script.finished());
    EXPECT_TRUE(one.rowByNum(WizardWorld::kRootRecordNum)->FlgQZV.isBlank());
}

TEST(MainFormRoot, WithoutUidTheRootIsPickedAndOfferedAUpcOfFiveDigitsAtLeast) {
    WizardWorld w(30, true, false);  // the root has no UPC yet
    w.run().SelectedItemID = QStringLiteral("0");
    w.picks = {"7777777 ", "5000001 "};
    w.sb.boxes.expect("Item not found. Please Reselect");
    w.script.on("FrmUPC", UpcStep("94123"));
    scriptCaseAndPack(w, "12", true);
    FrmMain f(w.ctx);
    f.FormLoad();
    QString forms = FormState(f);
    f.CmdGetSL()->click();  // an unknown code
    EXPECT_EQ(f.LblItem(0)->text(), QString());
    f.CmdGetSL()->click();  // the root
    EXPECT_TRUE(w.script.finished());
    EXPECT_EQ(f.RootSL(), "5000001 ");
    ExpectGolden("wizard/root_picked.txt", forms + FormState(f) + w.linkedRows());

    WizardWorld shortUpc(0, true, false);
    shortUpc.startWithRoot();
    shortUpc.sb.boxes.expect(QString());  // one sell-by unit
    shortUpc.script.on("FrmUPC", UpcStep("1234"))
        .on("FrmBreakDown", BreakDownStep(true, {true, false, false}));
    FrmMain g(shortUpc.ctx);
    g.FormLoad();
    EXPECT_EQ(g.LblItem(4)->text(), QString());
    EXPECT_FALSE(shortUpc.linkedRows().contains("InvUID=100"));
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
    EXPECT_EQ(f.PackRecordNum(), 150);
    QString forms = FormState(f);
    f.Text1(4)->setText("11.50");
    f.CmdLink(2)->click();
    EXPECT_TRUE(f.Saved());
    f.CmdLink(0)->click();  // the single, from the picked pack
    f.Text1(10)->setText("HARBOUR LAGER 330ML");
    f.Text1(7)->setText("2");
    f.CmdLink(2)->click();
    f.CmdEsc_Click();
    // The same UPC adds no row; the root links the picked pack.
    ExpectGolden("wizard/existing_pack.txt", forms + w.linkedRows());
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
    f.Text1(3)->setText("9400000000999");
    f.Text1(4)->setText("9.99");
    // Another workstation changes the item between the pick and the save.
    ASSERT_EQ(w.checker().ExecuteSql("UPDATE invt1 SET Price = 8.5 WHERE RecordNum = 150"), 1);
    w.sb.boxes.expect("Record not saved");
    f.CmdLink(2)->click();
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_FALSE(f.Saved());
    EXPECT_FALSE(w.linkedRows().contains("InvUID=150"));
    EXPECT_EQ(w.rowByNum(150)->Price, Currency::fromScaled(85000));
}

// --- bottle deposits -------------------------------------------------------------------------

TEST(MainFormDeposit, TheRootLinkIsWrittenAtOnceAndWithThePackOnScreenGoesWithThePack) {
    WizardWorld w;
    for (int i : {0, 1}) {
        db::InventoryRecord d = DbFixture::Item(40);
        d.SL = QStringLiteral("     5%1 ").arg(i);
        d.ItemID = QStringLiteral("DEP-%1").arg(10 * (i + 1));
        d.Description = QStringLiteral("BOTTLE DEPOSIT %1C").arg(10 * (i + 1));
        d.DeptCode = QStringLiteral("DEP");
        d.Price = Currency::fromScaled(1000 * (i + 1));
        d.RecordNum = 60 + i;
        ASSERT_TRUE(w.insertItem(d));
    }
    w.run().DepositDeptCode = QStringLiteral("DEP");
    w.run().SelectedItemID = QStringLiteral("0");
    {
        FrmMain noRoot(w.ctx);  // without a root the link is not saved
        noRoot.FormLoad();
        w.sb.boxes.expect("Linked Item not Saved");
        noRoot.cboDeposit_Click(1);
        EXPECT_TRUE(w.sb.boxes.allAnswered());
    }
    w.startWithRoot();
    scriptCaseAndPack(w, "12", false);
    FrmMain f(w.ctx);
    f.FormLoad();
    QString out = FormState(f);
    f.cboDeposit_Click(1);
    out += QStringLiteral("--- deposit 1\n") + f.LblItem(16)->text() + u'\n' + w.linkedRows();
    f.cboDeposit_Click(0);
    out += QStringLiteral("--- not selected\n") + f.LblItem(16)->text() + u'\n' + w.linkedRows();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    f.CmdLink(0)->click();
    f.cboDeposit_Click(2);
    f.Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f.Text1(4)->setText("12.99");
    f.CmdLink(2)->click();
    out += QStringLiteral("--- deposit 2 with the pack\n") + f.LblItem(17)->text() + u'\n' +
           w.linkedRows();
    ExpectGolden("wizard/deposits.txt", out);
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
    WizardWorld w;
    std::unique_ptr<FrmMain> f;
};

TEST_F(MainFormPack, BadPriceQuantityUpcOrVendorIdIsExplainedAndNothingWritten) {
    for (const Case& c : Cases("wizard/bad_pack_input.cases")) {
        QLineEdit* box = f->Text1(static_cast<int>(c.num(0)));
        const QString before = box->text();
        box->setText(c.text(1));
        w.sb.boxes.expect(c.text(2));
        f->CmdLink(2)->click();
        EXPECT_TRUE(f->CmdLink(2)->isEnabled()) << c.where();
        box->setText(before);
    }
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_TRUE(BoxShown(w.sb.boxes, -1, box::Ok, "Vendor ID already exists."));
    EXPECT_EQ(w.inventoryCount(), 31);
    // Texts longer than their columns are refused before anything is written.
    LinkedItemInput in;
    in.quantity = QStringLiteral("6");
    in.description = QString(30, u'D') + QStringLiteral("  ");
    EXPECT_FALSE(CheckLinkedItem(in).has_value());
    const std::pair<QString LinkedItemInput::*, int> widths[] = {
        {&LinkedItemInput::description, 31},
        {&LinkedItemInput::vendorId, 26},
        {&LinkedItemInput::subDescription, 21},
        {&LinkedItemInput::deptCode, 12}};
    for (const auto& [member, width] : widths) {
        LinkedItemInput tooLong;
        tooLong.quantity = QStringLiteral("6");
        tooLong.*member = QString(width, u'X');
        EXPECT_TRUE(CheckLinkedItem(tooLong).has_value()) << width;
    }
    in.description = QString(31, u'D');
    EXPECT_EQ(CheckLinkedItem(in)->message, "The description can be at most 30 characters long.");
}

TEST_F(MainFormPack, TextsAreCutByTheBoxesApostrophesKeptAndTaxIncludedPricesStoreBoth) {
    f->Text1(1)->setText("JOE'S FAMOUS LAGER SIX PACK OF 330ML");
    EXPECT_EQ(f->Text1(1)->text(), "JOE'S FAMOUS LAGER SIX PACK OF");
    f->Text1(0)->setText(QString(40, u'V'));
    EXPECT_EQ(f->Text1(0)->text().size(), 25);
    f->Text1(0)->setText("*JOE'S-6");
    f->Text1(1)->setText("JOE'S LAGER 6 X 330ML");
    f->Text1(2)->setText("BOB'S 6PK");
    w.country.IncludeTaxInPrice = true;
    CommonRates rates;
    rates.TaxRate = {15.0f, 0, 0, 0, 0};
    w.country.setRates(rates);
    f->Text1(4)->setText("11.50");
    f->CmdLink(2)->click();
    // Codes never hold an apostrophe; the price is stored with and without its tax.
    ExpectGolden("wizard/pack_texts_and_tax.txt", w.linkedRows());
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

TEST_F(MainFormPack, LeavingBeforeTheSaveOrClosingTheWindowLinksNothing) {
    f->CmdEsc_Click();
    EXPECT_TRUE(f->EndRequested());
    EXPECT_EQ(w.inventoryCount(), 31);
    f->CmdLink(2)->click();
    EXPECT_EQ(w.inventoryCount(), 32);
    f->reject();
    EXPECT_TRUE(f->EndRequested());
    EXPECT_TRUE(w.rowByNum(WizardWorld::kRootRecordNum)->FlgQZV.isBlank());
}

TEST_F(MainFormPack, CaseUpcScannedGivesTheItemTheCaseCode) {
    f->CmdLink(2)->click();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::Yes);
    f->CmdLink(0)->click();
    // The UPC record still holds the case's code: the pack was saved without one.
    EXPECT_EQ(f->Text1(11)->text(), "/" + WizardWorld::RootUpc());
    EXPECT_TRUE(f->Text1(8)->isHidden());
    f->Text1(10)->setText("LAGER 330ML");
    f->CmdLink(2)->click();
    EXPECT_EQ(w.inventoryCount(), 33);
    EXPECT_FALSE(w.linkedRows().contains("InvUID=102"));
}

}  // namespace
}  // namespace qv::test
