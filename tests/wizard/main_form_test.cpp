#include "tests/wizard/wizard_world.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace qv::test {
namespace {

const QString kCaseUpcQuestion =
    QStringLiteral("Will Case UPC be scanned when selling packs and/or Singles?");

// --- the typical run -------------------------------------------------------------------------

TEST(MainFormRun, CaseSoldByPackAndSingleEndsWithBothItemsLinkedToTheRoot) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    w.startWithRoot();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No).expect(kCaseUpcQuestion, BoxAnswer::No);
    w.script.on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {true, true, true}))
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of Packs in the Case"), QStringLiteral("12")))
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of single items in the Pack"),
                         QStringLiteral("6")))
        .on(QStringLiteral("FrmMain"), MainFormStep([&](FrmMain& f) {
                // The root on screen.
                EXPECT_EQ(f.LblItem(0)->text(), QStringLiteral("5000001. "));
                EXPECT_EQ(f.LblItem(1)->text(), QStringLiteral("CASE-LAGER"));
                EXPECT_EQ(f.LblItem(2)->text(), QStringLiteral("HARBOUR LAGER 24 X 330ML"));
                EXPECT_EQ(f.LblItem(4)->text(), WizardWorld::RootUpc());
                EXPECT_EQ(f.LblItem(5)->text(), QStringLiteral("Case"));
                EXPECT_EQ(f.LblItem(6)->text(), QStringLiteral("30.00"));
                EXPECT_EQ(f.LblItem(7)->text(), QStringLiteral("45.00"));
                EXPECT_EQ(child<QLabel>(f, "Label4")->text(), QStringLiteral("100"));
                EXPECT_TRUE(f.CmdGetSL()->isHidden());
                EXPECT_FALSE(f.CmdLink(0)->isHidden());
                EXPECT_FALSE(f.CmdLink(1)->isHidden());
                EXPECT_TRUE(f.CmdLink(2)->isHidden());
                EXPECT_EQ(f.CmdLink(0)->text(), QStringLiteral("Create New Pack Item"));
                EXPECT_EQ(f.CmdLink(1)->text(), QStringLiteral("Select Existing Pack Item"));

                // The pack.
                f.CmdLink(0)->click();
                EXPECT_EQ(f.WizardStep(), 1);
                EXPECT_FALSE(f.Frame(2)->isHidden());
                EXPECT_TRUE(f.Frame(3)->isHidden());
                EXPECT_EQ(f.LblItem(9)->text(), QStringLiteral("5000002. "));
                EXPECT_EQ(f.LblItem(10)->text(), QStringLiteral("5000001. "));
                EXPECT_EQ(f.LblItem(11)->text(), QStringLiteral("2.50"));
                EXPECT_EQ(f.Text1(0)->text(), QStringLiteral("*CASE-LAGER"));
                EXPECT_EQ(f.Text1(5)->text(), QStringLiteral("12"));
                EXPECT_EQ(f.Text1(4)->text(), QString());
                EXPECT_EQ(f.Label1(11)->text(), QStringLiteral("Qty in Case"));
                EXPECT_EQ(f.Label1(16)->text(), QStringLiteral("Link to Root Item"));
                EXPECT_FALSE(f.CmdLink(0)->isEnabled());
                EXPECT_FALSE(f.CmdLink(2)->isHidden());
                EXPECT_EQ(f.CmdLink(2)->text(), QStringLiteral("Save New Pack Item"));
                f.Text1(1)->setText(QStringLiteral("HARBOUR LAGER 6 X 330ML"));
                f.Text1(2)->setText(QStringLiteral("6PK"));
                f.Text1(3)->setText(QStringLiteral("9412345000026"));
                f.Text1(4)->setText(QStringLiteral("12.99"));
                f.CboUOM(0)->setCurrentIndex(2);
                f.CmdLink(2)->click();

                // The buttons move on to the single.
                EXPECT_EQ(f.CmdLink(0)->text(), QStringLiteral("Create New Single Item"));
                EXPECT_EQ(f.CmdLink(1)->text(), QStringLiteral("Select Existing Single Item"));
                EXPECT_TRUE(f.CmdLink(0)->isEnabled());
                EXPECT_FALSE(f.CmdLink(0)->isHidden());
                EXPECT_TRUE(f.CmdLink(2)->isHidden());

                // The single, made from the pack.
                f.CmdLink(0)->click();
                EXPECT_EQ(f.WizardStep(), 2);
                EXPECT_FALSE(f.Frame(3)->isHidden());
                EXPECT_EQ(f.LblItem(12)->text(), QStringLiteral("5000003. "));
                EXPECT_EQ(f.LblItem(13)->text(), QStringLiteral("5000002. "));
                EXPECT_EQ(f.LblItem(14)->text(), QStringLiteral("0.42"));
                EXPECT_EQ(f.Text1(11)->text(), QStringLiteral("/CASE-LAGER"));
                EXPECT_EQ(f.Text1(6)->text(), QStringLiteral("6"));
                EXPECT_EQ(f.Label1(26)->text(), QStringLiteral("Link to Pack Item"));
                f.Text1(10)->setText(QStringLiteral("HARBOUR LAGER 330ML"));
                f.Text1(9)->setText(QStringLiteral("330ML"));
                f.Text1(8)->setText(QStringLiteral("9412345000033"));
                f.Text1(7)->setText(QStringLiteral("2.50"));
                f.CmdLink(2)->click();
                EXPECT_FALSE(f.CmdLink(2)->isEnabled());
                EXPECT_EQ(f.PackRecordNum(), 101);
                EXPECT_EQ(f.SingleRecordNum(), 102);
                f.CmdEsc()->click();
                EXPECT_TRUE(f.EndRequested());
            }));
    ShowMainForm(w.ctx);
    EXPECT_TRUE(w.script.finished());
    EXPECT_TRUE(w.sb.boxes.allAnswered());

    const auto pack = w.rowBySl(QStringLiteral("5000002 "));
    ASSERT_TRUE(pack.has_value());
    EXPECT_EQ(pack->RecordNum, 101);
    EXPECT_EQ(pack->ItemID.str(), QStringLiteral("*CASE-LAGER").leftJustified(25));
    EXPECT_EQ(pack->Description.rtrimmed(), QStringLiteral("HARBOUR LAGER 6 X 330ML"));
    EXPECT_EQ(pack->SubDescription.rtrimmed(), QStringLiteral("6PK"));
    EXPECT_EQ(pack->LinkBreakPack.str(), QStringLiteral("5000001 "));
    EXPECT_TRUE(pack->LinkItem.isBlank());
    EXPECT_EQ(pack->FlgQZV.str(), QStringLiteral("P"));
    EXPECT_EQ(pack->QTYINPACK, 12);
    EXPECT_EQ(pack->AvgCost, Currency::fromScaled(25000));
    EXPECT_EQ(pack->Cost, Currency::fromScaled(25000));
    EXPECT_EQ(pack->Price, Currency::fromScaled(129900));
    EXPECT_EQ(pack->UOM.str(), QStringLiteral("PK   "));
    EXPECT_EQ(pack->QtyOnHand, 0.0f);
    EXPECT_EQ(pack->HasSold.str(), QStringLiteral("N"));
    EXPECT_EQ(pack->ReorderFlag.str(), QStringLiteral("N"));
    EXPECT_EQ(pack->Poll.str(), QStringLiteral("Y"));
    EXPECT_EQ(pack->MinQ, 0);
    EXPECT_EQ(pack->MaxQ, 0);
    EXPECT_EQ(pack->DeptCode.rtrimmed(), QStringLiteral("BEER"));
    EXPECT_EQ(pack->VendorCode.rtrimmed(), QStringLiteral("V200"));  // kept from the root
    const auto packUpcs = w.upcRows(101);
    ASSERT_EQ(packUpcs.size(), 1u);
    EXPECT_EQ(packUpcs[0].UPC.rtrimmed(), QStringLiteral("9412345000026"));
    EXPECT_EQ(packUpcs[0].SL.str(), QStringLiteral("5000002 "));
    EXPECT_EQ(packUpcs[0].POLL.str(), QStringLiteral("Y"));

    const auto single = w.rowBySl(QStringLiteral("5000003 "));
    ASSERT_TRUE(single.has_value());
    EXPECT_EQ(single->RecordNum, 102);
    EXPECT_EQ(single->ItemID.rtrimmed(), QStringLiteral("/CASE-LAGER"));
    EXPECT_EQ(single->LinkBreakPack.str(), QStringLiteral("5000002 "));
    EXPECT_EQ(single->FlgQZV.str(), QStringLiteral("I"));
    EXPECT_EQ(single->QTYINPACK, 6);
    EXPECT_EQ(single->AvgCost, Currency::fromScaled(4167));  // 2.50 / 6
    EXPECT_EQ(single->Price, Currency::fromScaled(25000));
    EXPECT_EQ(single->UOM.str(), QStringLiteral("EA   "));
    const auto singleUpcs = w.upcRows(102);
    ASSERT_EQ(singleUpcs.size(), 1u);
    EXPECT_EQ(singleUpcs[0].UPC.rtrimmed(), QStringLiteral("9412345000033"));

    const auto root = w.rowByNum(WizardWorld::kRootRecordNum);
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->FlgQZV.str(), QStringLiteral("R"));
    EXPECT_EQ(root->QZV1, 101);
    EXPECT_EQ(root->QZV2, 102);
    EXPECT_EQ(root->QTYINPACK, 1);
    EXPECT_EQ(w.inventoryCount(), 33);

    EXPECT_EQ(w.logFile(), QByteArray("Create Item\r\nSL=5000003 \r\nINvUID=102\r\nItem Created\r\n"
                                      "Populate Item\r\nPopulated\r\n"));
}

TEST(MainFormRun, SinglesOnlyAreMadeFromTheRoot) {
    WizardWorld w;
    w.startWithRoot();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    w.script.on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {true, false, true}))
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of Single Items in the Case"),
                         QStringLiteral("24")))
        .on(QStringLiteral("FrmMain"), MainFormStep([&](FrmMain& f) {
                EXPECT_EQ(f.CmdLink(0)->text(), QStringLiteral("Create New Single Item"));
                f.CmdLink(0)->click();
                EXPECT_EQ(f.WizardStep(), 1);
                EXPECT_FALSE(f.Frame(2)->isHidden());
                EXPECT_EQ(f.LblItem(10)->text(), QStringLiteral("5000001. "));
                EXPECT_EQ(f.LblItem(11)->text(), QStringLiteral("1.25"));
                EXPECT_EQ(f.Text1(5)->text(), QStringLiteral("24"));
                EXPECT_EQ(f.Text1(0)->text(), QStringLiteral("*CASE-LAGER"));
                f.Text1(1)->setText(QStringLiteral("HARBOUR LAGER 330ML"));
                f.Text1(4)->setText(QStringLiteral("2.20"));
                f.CmdLink(2)->click();
                EXPECT_FALSE(f.CmdLink(2)->isEnabled());
                f.CmdEsc()->click();
            }));
    ShowMainForm(w.ctx);
    EXPECT_TRUE(w.script.finished());

    const auto single = w.rowBySl(QStringLiteral("5000002 "));
    ASSERT_TRUE(single.has_value());
    EXPECT_EQ(single->FlgQZV.str(), QStringLiteral("I"));
    EXPECT_EQ(single->LinkBreakPack.str(), QStringLiteral("5000001 "));
    EXPECT_EQ(single->QTYINPACK, 24);
    EXPECT_EQ(single->AvgCost, Currency::fromScaled(12500));
    EXPECT_TRUE(w.upcRows(101).empty());
    const auto root = w.rowByNum(WizardWorld::kRootRecordNum);
    EXPECT_EQ(root->QZV1, 0);
    EXPECT_EQ(root->QZV2, 101);
    EXPECT_EQ(root->FlgQZV.str(), QStringLiteral("R"));
    EXPECT_EQ(w.logFile(), QByteArray("Create Item\r\nSL=5000002 \r\nINvUID=101\r\nItem Created\r\n"
                                      "Populate Item\r\nPopulated\r\n"));
}

// --- the root --------------------------------------------------------------------------------

TEST(MainFormRoot, PickingTheRootAgainIsASelectionError) {
    WizardWorld w;
    w.startWithRoot();
    w.sb.boxes.expect(
        QStringLiteral("You have selected your root item. Please select the Pack Item."));
    w.script.on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {true, true, false}))
        .on(QStringLiteral("FrmPackQty"), QuantityStep(QStringLiteral("Enter Number of Packs in "
                                                                      "the Case"),
                                                       QStringLiteral("4")));
    w.picks.push_back(QStringLiteral("5000001 "));
    FrmMain f(w.ctx);
    f.FormLoad();
    f.CmdLink(1)->click();
    ASSERT_EQ(w.sb.boxes.shown().size(), 1u);
    EXPECT_EQ(w.sb.boxes.shown()[0].title, QStringLiteral("Selection Error"));
    EXPECT_EQ(w.sb.boxes.shown()[0].style, box::Ok);
    EXPECT_EQ(f.WizardStep(), 0);
    EXPECT_TRUE(f.Frame(2)->isHidden());
    f.CmdEsc_Click();
    const auto root = w.rowByNum(WizardWorld::kRootRecordNum);
    EXPECT_TRUE(root->FlgQZV.isBlank());
    EXPECT_EQ(root->QZV1, 0);
    EXPECT_EQ(w.inventoryCount(), 31);
}

TEST(MainFormRoot, AnsweringNoToBothRootQuestionsEndsBeforeTheFormShows) {
    WizardWorld w;
    w.startWithRoot();
    w.sb.boxes
        .expect(QStringLiteral("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Case?"),
                BoxAnswer::No)
        .expect(QStringLiteral("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Pack?"),
                BoxAnswer::No)
        .expect(QStringLiteral("You must select the Correct Root item to use this program"));
    w.script.on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {false, true, true}));
    ShowMainForm(w.ctx);
    EXPECT_EQ(w.script.shown(), std::vector<QString>{QStringLiteral("FrmBreakDown")});
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_EQ(w.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK, 1);
    EXPECT_EQ(w.inventoryCount(), 31);
}

TEST(MainFormRoot, EscCancelInTheUnitsDialogEndsTheProgram) {
    WizardWorld w;
    w.startWithRoot();
    w.script.on(QStringLiteral("FrmBreakDown"), CancelBreakDownStep());
    ShowMainForm(w.ctx);
    EXPECT_EQ(w.script.shown().size(), 1u);
    EXPECT_TRUE(w.sb.boxes.shown().empty());
}

TEST(MainFormRoot, OneSellByUnitOffersNoLinkButtons) {
    WizardWorld w;
    w.startWithRoot();
    w.sb.boxes.expect(QString());
    w.script.on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {false, false, true}))
        .on(QStringLiteral("FrmMain"), MainFormStep([](FrmMain& f) {
                EXPECT_TRUE(f.CmdLink(0)->isHidden());
                EXPECT_TRUE(f.CmdLink(1)->isHidden());
                EXPECT_TRUE(f.CmdLink(2)->isHidden());
                QTest::keyClick(&f, Qt::Key_Escape);
                EXPECT_TRUE(f.EndRequested());
            }));
    ShowMainForm(w.ctx);
    EXPECT_TRUE(w.script.finished());
    ASSERT_EQ(w.sb.boxes.shown().size(), 1u);
    EXPECT_EQ(w.sb.boxes.shown()[0].title, QStringLiteral("Defining Quantity Breaks"));
    EXPECT_TRUE(w.rowByNum(WizardWorld::kRootRecordNum)->FlgQZV.isBlank());
}

TEST(MainFormRoot, WithoutUidTheRootIsPickedAndOfferedAUpc) {
    WizardWorld w(30, true, false);  // the root has no UPC yet
    w.run().SelectedItemID = QStringLiteral("0");
    w.picks = {QStringLiteral("7777777 "), QStringLiteral("5000001 ")};
    w.sb.boxes.expect(QStringLiteral("Item not found. Please Reselect"));
    w.script.on(QStringLiteral("FrmUPC"), UpcStep(QStringLiteral("94123")))
        .on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {true, true, true}))
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of Packs in the Case"), QStringLiteral("12")))
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of single items in the Pack"),
                         QStringLiteral("6")));
    FrmMain f(w.ctx);
    f.FormLoad();
    EXPECT_FALSE(f.CmdGetSL()->isHidden());
    EXPECT_EQ(child<QLabel>(f, "Label2")->text(),
              QStringLiteral("This is the item where you keep track of quantity on hand"));
    EXPECT_TRUE(f.Frame(2)->isHidden());
    EXPECT_TRUE(f.CmdLink(0)->isHidden());
    EXPECT_EQ(w.run().SelectedItemID, QString());

    f.CmdGetSL()->click();  // an unknown code
    EXPECT_EQ(f.LblItem(0)->text(), QString());
    EXPECT_FALSE(f.CmdGetSL()->isHidden());

    f.CmdGetSL()->click();  // the root
    EXPECT_TRUE(w.script.finished());
    EXPECT_EQ(f.WizardStep(), 0);
    EXPECT_EQ(f.RootSL(), QStringLiteral("5000001 "));
    EXPECT_EQ(f.LblItem(0)->text(), QStringLiteral("5000001. "));
    EXPECT_EQ(f.LblItem(4)->text(), QStringLiteral("94123"));
    EXPECT_TRUE(f.CmdGetSL()->isHidden());
    EXPECT_FALSE(f.CmdLink(0)->isHidden());
    EXPECT_EQ(f.CmdLink(0)->text(), QStringLiteral("Create New Pack Item"));
    const auto upcs = w.upcRows(WizardWorld::kRootRecordNum);
    ASSERT_EQ(upcs.size(), 1u);
    EXPECT_EQ(upcs[0].UPC.rtrimmed(), QStringLiteral("94123"));
    EXPECT_EQ(upcs[0].SL.str(), QStringLiteral("5000001 "));
}

TEST(MainFormRoot, AShortRootUpcIsDroppedAndNothingStored) {
    WizardWorld w(0, true, false);
    w.startWithRoot();
    w.sb.boxes.expect(QString());  // one sell-by unit
    w.script.on(QStringLiteral("FrmUPC"), UpcStep(QStringLiteral("1234")))
        .on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {true, false, false}));
    FrmMain f(w.ctx);
    f.FormLoad();
    EXPECT_EQ(f.LblItem(4)->text(), QString());
    EXPECT_TRUE(w.upcRows(WizardWorld::kRootRecordNum).empty());
}

// --- picking existing items ------------------------------------------------------------------

TEST(MainFormSelect, AnExistingPackIsUpdatedAndTheSingleMadeFromIt) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    db::InventoryRecord existing = WizardWorld::Root();
    existing.SL = QStringLiteral("5000010 ");
    existing.ItemID = QStringLiteral("LAGER-6PK");
    existing.Description = QStringLiteral("HARBOUR LAGER 6PK");
    existing.AvgCost = Currency::fromScaled(75000);
    existing.Cost = existing.AvgCost;
    existing.Price = Currency::fromUnits(11);
    existing.UOM = QStringLiteral("PK");
    existing.RecordNum = 150;
    ASSERT_TRUE(w.insertItem(existing, QStringLiteral("9412345000040")));
    w.startWithRoot();
    w.picks.push_back(QStringLiteral("5000010 "));
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    w.script.on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {true, true, true}))
        .on(QStringLiteral("FrmPackQty"), QuantityStep(QStringLiteral("Enter Number of Packs in "
                                                                      "the Case"),
                                                       QStringLiteral("4")))
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of single items in the Pack"),
                         QStringLiteral("6")));
    FrmMain f(w.ctx);
    f.FormLoad();
    f.CmdLink(1)->click();
    EXPECT_TRUE(f.ItemChosen());
    EXPECT_EQ(f.WizardStep(), 1);
    EXPECT_EQ(f.PackRecordNum(), 150);
    EXPECT_EQ(f.Text1(0)->text(), QStringLiteral("LAGER-6PK"));
    EXPECT_EQ(f.Text1(3)->text(), QStringLiteral("9412345000040"));
    EXPECT_EQ(f.Text1(4)->text(), QStringLiteral("11.00"));
    EXPECT_EQ(f.Text1(5)->text(), QStringLiteral("4"));
    EXPECT_EQ(f.CboUOM(0)->currentText(), QStringLiteral("PK    - Pack"));
    EXPECT_EQ(f.LblItem(10)->text(), QStringLiteral("5000001. "));
    EXPECT_FALSE(f.CmdLink(2)->isHidden());
    EXPECT_TRUE(f.CmdLink(0)->isHidden());

    f.Text1(4)->setText(QStringLiteral("11.50"));
    f.CmdLink(2)->click();
    EXPECT_TRUE(f.Saved());
    EXPECT_EQ(f.CmdLink(0)->text(), QStringLiteral("Create New Single Item"));
    EXPECT_FALSE(f.CmdLink(0)->isHidden());

    f.CmdLink(0)->click();  // the single, from the picked pack
    EXPECT_EQ(f.WizardStep(), 2);
    EXPECT_EQ(f.Text1(6)->text(), QStringLiteral("6"));
    EXPECT_EQ(f.LblItem(13)->text(), QStringLiteral("5000010. "));
    f.Text1(10)->setText(QStringLiteral("HARBOUR LAGER 330ML"));
    f.Text1(7)->setText(QStringLiteral("2"));
    f.CmdLink(2)->click();
    f.CmdEsc_Click();

    const auto pack = w.rowByNum(150);
    ASSERT_TRUE(pack.has_value());
    EXPECT_EQ(pack->Price, Currency::fromScaled(115000));
    EXPECT_EQ(pack->QTYINPACK, 4);
    EXPECT_EQ(pack->LinkBreakPack.str(), QStringLiteral("5000001 "));
    EXPECT_EQ(pack->UOM.str(), QStringLiteral("PK   "));
    EXPECT_EQ(pack->ItemID.rtrimmed(), QStringLiteral("LAGER-6PK"));
    EXPECT_EQ(w.upcRows(150).size(), 1u);  // the same UPC adds no row
    const auto single = w.rowBySl(QStringLiteral("5000011 "));
    ASSERT_TRUE(single.has_value());
    EXPECT_EQ(single->ItemID.rtrimmed(), QStringLiteral("*LAGER-6PK"));
    EXPECT_EQ(single->LinkBreakPack.str(), QStringLiteral("5000010 "));
    EXPECT_EQ(single->AvgCost, Currency::fromScaled(12500));
    const auto root = w.rowByNum(WizardWorld::kRootRecordNum);
    EXPECT_EQ(root->QZV1, 150);
    EXPECT_EQ(root->QZV2, single->RecordNum);
}

TEST(MainFormSelect, ASavedPickChangedMeanwhileElsewhereIsNotSavedAndKeepsNoUpc) {
    WizardWorld w;
    db::InventoryRecord existing = WizardWorld::Root();
    existing.SL = QStringLiteral("5000010 ");
    existing.ItemID = QStringLiteral("LAGER-6PK");
    existing.RecordNum = 150;
    ASSERT_TRUE(w.insertItem(existing));
    w.startWithRoot();
    w.picks.push_back(QStringLiteral("5000010 "));
    w.script.on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {true, true, false}))
        .on(QStringLiteral("FrmPackQty"), QuantityStep(QStringLiteral("Enter Number of Packs in "
                                                                      "the Case"),
                                                       QStringLiteral("4")));
    FrmMain f(w.ctx);
    f.FormLoad();
    f.CmdLink(1)->click();
    f.Text1(3)->setText(QStringLiteral("9400000000999"));
    f.Text1(4)->setText(QStringLiteral("9.99"));

    // Another workstation changes the item between the pick and the save.
    ASSERT_EQ(w.checker().ExecuteSql(QStringLiteral("UPDATE invt1 SET Price = 8.5 WHERE "
                                                    "RecordNum = 150")),
              1);
    w.sb.boxes.expect(QStringLiteral("Record not saved"));
    f.CmdLink(2)->click();
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_FALSE(f.Saved());
    EXPECT_TRUE(w.upcRows(150).empty());
    EXPECT_EQ(w.rowByNum(150)->Price, Currency::fromScaled(85000));
}

// --- duplicate vendor ID ---------------------------------------------------------------------

TEST(MainFormVendor, ATakenVendorIdStopsTheSave) {
    WizardWorld w;
    w.startWithRoot();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    w.script.on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {true, true, true}))
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of Packs in the Case"), QStringLiteral("12")))
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of single items in the Pack"),
                         QStringLiteral("6")));
    FrmMain f(w.ctx);
    f.FormLoad();
    f.CmdLink(0)->click();
    f.Text1(0)->setText(QStringLiteral("kw-000000 "));  // the first generated item's code
    f.Text1(1)->setText(QStringLiteral("HARBOUR LAGER 6 X 330ML"));
    f.Text1(3)->setText(QStringLiteral("9412345000026"));
    f.Text1(4)->setText(QStringLiteral("12.99"));
    w.sb.boxes.expect(
        QStringLiteral("Please check if you have already created the Pack Item.\r\n"
                       "If not, Change Vendor ID\r\n"
                       "To update existing item use the 'Select Existing Pack' "
                       "option"));
    f.CmdLink(2)->click();
    ASSERT_EQ(w.sb.boxes.shown().size(), 2u);
    EXPECT_EQ(w.sb.boxes.shown()[1].title, QStringLiteral("Vendor ID already exists."));
    EXPECT_EQ(w.sb.boxes.shown()[1].style, box::Ok);
    EXPECT_EQ(w.inventoryCount(), 31);
    EXPECT_TRUE(w.upcRows(101).empty());
    EXPECT_TRUE(f.CmdLink(2)->isEnabled());

    // The root's own code is taken too.
    f.Text1(0)->setText(QStringLiteral("CASE-LAGER"));
    w.sb.boxes.expect(QString());
    f.CmdLink(2)->click();
    EXPECT_EQ(w.sb.boxes.shown()[2].title, QStringLiteral("Vendor ID already exists."));

    f.Text1(0)->setText(QStringLiteral("*CASE-LAGER"));
    f.CmdLink(2)->click();
    EXPECT_EQ(w.inventoryCount(), 32);
    EXPECT_EQ(w.upcRows(101).size(), 1u);
}

// --- bottle deposits -------------------------------------------------------------------------

class MainFormDeposit : public ::testing::Test {
protected:
    MainFormDeposit() {
        db::InventoryRecord d = DbFixture::Item(40);
        d.SL = QStringLiteral("     50 ");
        d.ItemID = QStringLiteral("DEP-10");
        d.Description = QStringLiteral("BOTTLE DEPOSIT 10C");
        d.DeptCode = QStringLiteral("DEP");
        d.Price = Currency::fromScaled(1000);
        d.RecordNum = 60;
        EXPECT_TRUE(w.insertItem(d));
        d.SL = QStringLiteral("     51 ");
        d.ItemID = QStringLiteral("DEP-20");
        d.Description = QStringLiteral("BOTTLE DEPOSIT 20C");
        d.Price = Currency::fromScaled(2000);
        d.RecordNum = 61;
        EXPECT_TRUE(w.insertItem(d));
        w.run().DepositDeptCode = QStringLiteral("DEP");
    }
    WizardWorld w;
};

TEST_F(MainFormDeposit, RootLinkIsWrittenAtOnceAndNotSelectedClearsIt) {
    w.startWithRoot();
    w.script.on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {true, true, false}))
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of Packs in the Case"),
                         QStringLiteral("12")));
    FrmMain f(w.ctx);
    f.FormLoad();
    QComboBox* deposits = f.cboDeposit();
    EXPECT_FALSE(deposits->isHidden());
    EXPECT_FALSE(child<QLabel>(f, "Label3")->isHidden());
    ASSERT_EQ(deposits->count(), 3);
    EXPECT_EQ(deposits->itemText(0), QStringLiteral("Not Selected"));
    EXPECT_EQ(deposits->itemText(1), QStringLiteral("     50      0.10\t    ") +
                                         QStringLiteral("BOTTLE DEPOSIT 10C").leftJustified(30));
    EXPECT_EQ(deposits->currentText(), QStringLiteral("Not Selected"));

    f.cboDeposit_Click(1);
    EXPECT_EQ(f.LblItem(16)->text(), QStringLiteral("     50"));
    EXPECT_EQ(w.rowByNum(WizardWorld::kRootRecordNum)->LinkItem.str(), QStringLiteral("     50 "));
    f.cboDeposit_Click(0);
    EXPECT_EQ(f.LblItem(16)->text(), QString());
    EXPECT_TRUE(w.rowByNum(WizardWorld::kRootRecordNum)->LinkItem.isBlank());

    // With the pack on screen the choice goes with the pack.
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    f.CmdLink(0)->click();
    f.cboDeposit_Click(2);
    EXPECT_EQ(f.LblItem(17)->text(), QStringLiteral("     51"));
    EXPECT_TRUE(w.rowByNum(WizardWorld::kRootRecordNum)->LinkItem.isBlank());
    f.Text1(1)->setText(QStringLiteral("HARBOUR LAGER 6 X 330ML"));
    f.Text1(4)->setText(QStringLiteral("12.99"));
    f.CmdLink(2)->click();
    EXPECT_EQ(w.rowByNum(101)->LinkItem.str(), QStringLiteral("     51 "));
    EXPECT_TRUE(w.sb.boxes.allAnswered());
}

TEST_F(MainFormDeposit, WithoutARootTheLinkIsNotSaved) {
    w.run().SelectedItemID = QStringLiteral("0");
    FrmMain f(w.ctx);
    f.FormLoad();
    w.sb.boxes.expect(QStringLiteral("Linked Item not Saved"));
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
        w.script.on(QStringLiteral("FrmBreakDown"), BreakDownStep(true, {true, true, true}))
            .on(QStringLiteral("FrmPackQty"), QuantityStep(QStringLiteral("Enter Number of Packs "
                                                                          "in the Case"),
                                                           QStringLiteral("12")))
            .on(QStringLiteral("FrmPackQty"),
                QuantityStep(QStringLiteral("Enter Number of single items in the Pack"),
                             QStringLiteral("6")));
        f = std::make_unique<FrmMain>(w.ctx);
        f->FormLoad();
        f->CmdLink(0)->click();
        ASSERT_EQ(f->WizardStep(), 1);
        f->Text1(1)->setText(QStringLiteral("HARBOUR LAGER 6 X 330ML"));
        f->Text1(4)->setText(QStringLiteral("12.99"));
    }
    void expectNothingWritten() {
        EXPECT_EQ(w.inventoryCount(), 31);
        EXPECT_TRUE(w.upcRows(101).empty());
    }
    WizardWorld w;
    std::unique_ptr<FrmMain> f;
};

TEST_F(MainFormPack, BadPriceQuantityOrUpcIsExplainedAndNothingWritten) {
    const struct {
        int box;
        const char* text;
        const char* message;
    } cases[] = {
        {4, "abc", "Please enter the price as an amount of 0 or more, for example 12.50."},
        {4, "12'5", "Please enter the price as an amount of 0 or more, for example 12.50."},
        {4, "-1", "Please enter the price as an amount of 0 or more, for example 12.50."},
        {5, "0", "Please enter the quantity as a whole number from 1 to 32767."},
        {5, "-4", "Please enter the quantity as a whole number from 1 to 32767."},
        {5, "40000", "Please enter the quantity as a whole number from 1 to 32767."},
        {5, "six", "Please enter the quantity as a whole number from 1 to 32767."},
        {3, "94A23", "A UPC is made of 5 to 15 digits. Please correct it or leave it empty."},
        {3, "941 23", "A UPC is made of 5 to 15 digits. Please correct it or leave it empty."},
        {3, "9412'3", "A UPC is made of 5 to 15 digits. Please correct it or leave it empty."},
    };
    for (const auto& c : cases) {
        const QString before = f->Text1(c.box)->text();
        f->Text1(c.box)->setText(QString::fromLatin1(c.text));
        w.sb.boxes.expect(QString::fromLatin1(c.message));
        f->CmdLink(2)->click();
        f->Text1(c.box)->setText(before);
    }
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    expectNothingWritten();
}

TEST_F(MainFormPack, LongTextIsCutByTheBoxesAndApostrophesAreKept) {
    f->Text1(1)->setText(QStringLiteral("JOE'S FAMOUS LAGER SIX PACK OF 330ML"));
    EXPECT_EQ(f->Text1(1)->text(), QStringLiteral("JOE'S FAMOUS LAGER SIX PACK OF"));
    f->Text1(0)->setText(QString(40, u'V'));
    EXPECT_EQ(f->Text1(0)->text().size(), 25);
    f->Text1(0)->setText(QStringLiteral("*JOE'S-6"));
    f->Text1(1)->setText(QStringLiteral("JOE'S LAGER 6 X 330ML"));
    f->Text1(2)->setText(QStringLiteral("BOB'S 6PK"));
    f->CmdLink(2)->click();
    const auto pack = w.rowByNum(101);
    ASSERT_TRUE(pack.has_value());
    EXPECT_EQ(pack->Description.rtrimmed(), QStringLiteral("JOE'S LAGER 6 X 330ML"));
    EXPECT_EQ(pack->SubDescription.rtrimmed(), QStringLiteral("BOB'S 6PK"));
    EXPECT_EQ(pack->ItemID.rtrimmed(), QStringLiteral("*JOE S-6"));  // codes never hold one
}

TEST(LinkedItemInput, TextsLongerThanTheirColumnsAreRefused) {
    LinkedItemInput in;
    in.quantity = QStringLiteral("6");
    in.description = QString(31, u'D');
    EXPECT_EQ(CheckLinkedItem(in)->field, InputProblem::Field::Description);
    EXPECT_EQ(CheckLinkedItem(in)->message,
              QStringLiteral("The description can be at most 30 characters long."));
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
    f->Text1(4)->setText(QStringLiteral("11.50"));
    f->CmdLink(2)->click();
    const auto pack = w.rowByNum(101);
    ASSERT_TRUE(pack.has_value());
    EXPECT_EQ(pack->PriceIncTax, Currency::fromScaled(115000));
    EXPECT_EQ(pack->Price, Currency::fromScaled(100000));
    EXPECT_EQ(pack->TaxCode.str(), QStringLiteral("A"));
}

TEST_F(MainFormPack, FieldPromptsAskForDescriptionUpcAndPrice) {
    f->Text1(1)->clear();
    w.sb.boxes.expect(QStringLiteral("Please Enter Description"));
    f->Text1_LostFocus(1);
    f->Text1(3)->clear();
    w.sb.boxes.expect(QStringLiteral("Do you have a UPC code for this item ?"), BoxAnswer::No);
    f->Text1_LostFocus(3);
    EXPECT_EQ(w.sb.boxes.shown().back().title, QStringLiteral("Please Enter UPC if available"));
    EXPECT_EQ(w.sb.boxes.shown().back().style, box::YesNo);
    f->Text1(4)->clear();
    f->Text1_LostFocus(4);  // no description yet: no price prompt
    f->Text1(1)->setText(QStringLiteral("LAGER"));
    w.sb.boxes.expect(QStringLiteral("Please Enter Item Price"));
    f->Text1_LostFocus(4);
    f->Text1_LostFocus(10);  // the single's frame is hidden: nothing
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_EQ(w.sb.boxes.shown().size(), 4u);  // with the case UPC question
}

TEST_F(MainFormPack, LeavingBeforeTheSaveLinksNothing) {
    f->CmdEsc_Click();
    EXPECT_TRUE(f->EndRequested());
    const auto root = w.rowByNum(WizardWorld::kRootRecordNum);
    EXPECT_TRUE(root->FlgQZV.isBlank());
    EXPECT_EQ(root->QZV1, 0);
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
    EXPECT_EQ(f->Text1(11)->text(), QStringLiteral("/") + WizardWorld::RootUpc());
    EXPECT_TRUE(f->Text1(8)->isHidden());
    f->Text1(10)->setText(QStringLiteral("LAGER 330ML"));
    f->CmdLink(2)->click();
    EXPECT_TRUE(w.upcRows(102).empty());
    EXPECT_EQ(w.inventoryCount(), 33);
}

// --- the real modal loop ---------------------------------------------------------------------

// Acts on the active modal window while exec() runs: each step waits for the window of its
// name, then acts queued, so that an action that opens the next exec() does not block polling.
class ModalDriver : public QObject {
public:
    using Action = std::function<void(QWidget*)>;
    ModalDriver() {
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start(10);
        clock_.start();
    }
    ModalDriver& on(const QString& name, Action act) {
        steps_.push_back({name, std::move(act)});
        return *this;
    }
    bool done() const { return steps_.empty(); }

private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (clock_.elapsed() > 10000) {
            if (w) {
                ADD_FAILURE() << "modal window left open: " << w->objectName().toStdString();
                QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
            }
            return;
        }
        if (!w || w == last_ || steps_.empty() || w->objectName() != steps_.front().first) {
            return;
        }
        last_ = w;
        const Action act = steps_.front().second;
        steps_.pop_front();
        QPointer<QWidget> target(w);
        QTimer::singleShot(0, this, [act, target] {
            if (target) {
                act(target);
            }
        });
    }
    std::deque<std::pair<QString, Action>> steps_;
    QPointer<QWidget> last_;
    QTimer timer_;
    QElapsedTimer clock_;
};

TEST(MainFormModal, ShowMainFormRunsModallyAndReturnsOnEscExit) {
    WizardWorld w;
    w.startWithRoot();
    w.ctx.showModal = ExecModal;
    w.sb.boxes.expect(QString());  // one unit only
    ModalDriver driver;
    driver
        .on(QStringLiteral("FrmBreakDown"),
            [](QWidget* d) { QTest::keyClick(d, Qt::Key_F10); })  // only "Case" is ticked
        .on(QStringLiteral("FrmMain"), [](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
    ShowMainForm(w.ctx);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace qv::test
