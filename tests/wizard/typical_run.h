#pragma once

// The typical run of the wizard, shared by the run made with clicks and the one typed with
// keys: a case of lager ordered by the case and sold by the pack (12 in the case) and the
// single (6 in the pack), with what it must leave in the database.

#include "tests/wizard/wizard_world.h"

namespace qv::test {

inline const QString kCaseUpcQuestion =
    QStringLiteral("Will Case UPC be scanned when selling packs and/or Singles?");
inline const QString kPacksInCase = QStringLiteral("Enter Number of Packs in the Case");
inline const QString kSinglesInPack = QStringLiteral("Enter Number of single items in the Pack");

// The main form's part of the run, with the mouse: boxes filled and buttons clicked.
inline void ClickTypicalRun(FrmMain& f) {
    // The root on screen.
    const QStringList rootLabels{"5000001. ", "CASE-LAGER",    "HARBOUR LAGER 24 X 330ML",
                                 "",          "9412345000019", "Case",
                                 "30.00",     "45.00"};
    for (int i : {0, 1, 2, 4, 5, 6, 7}) {  // 3 is not shown
        EXPECT_EQ(f.LblItem(i)->text(), rootLabels.at(i)) << i;
    }
    EXPECT_EQ(child<QLabel>(f, "Label4")->text(), "100");
    EXPECT_EQ(f.CmdLink(0)->text(), "Create New Pack Item");

    // The pack.
    f.CmdLink(0)->click();
    EXPECT_EQ(f.WizardStep(), 1);
    EXPECT_FALSE(f.Frame(2)->isHidden());
    EXPECT_EQ(f.LblItem(9)->text(), "5000002. ");
    EXPECT_EQ(f.LblItem(10)->text(), "5000001. ");
    EXPECT_EQ(f.LblItem(11)->text(), "2.50");
    EXPECT_EQ(f.Text1(0)->text(), "*CASE-LAGER");
    EXPECT_EQ(f.Label1(11)->text(), "Qty in Case");
    EXPECT_EQ(f.Label1(16)->text(), "Link to Root Item");
    EXPECT_FALSE(f.CmdLink(0)->isEnabled());
    f.Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f.Text1(2)->setText("6PK");
    f.Text1(3)->setText("9412345000026");
    f.Text1(4)->setText("12.99");
    f.CboUOM(0)->setCurrentIndex(2);
    f.CmdLink(2)->click();

    // The buttons move on to the single, made from the pack.
    EXPECT_EQ(f.CmdLink(0)->text(), "Create New Single Item");
    EXPECT_EQ(f.CmdLink(1)->text(), "Select Existing Single Item");
    EXPECT_TRUE(f.CmdLink(0)->isEnabled());
    EXPECT_TRUE(f.CmdLink(2)->isHidden());
    f.CmdLink(0)->click();
    EXPECT_EQ(f.WizardStep(), 2);
    EXPECT_FALSE(f.Frame(3)->isHidden());
    EXPECT_EQ(f.LblItem(12)->text(), "5000003. ");
    EXPECT_EQ(f.LblItem(13)->text(), "5000002. ");
    EXPECT_EQ(f.LblItem(14)->text(), "0.42");
    EXPECT_EQ(f.Text1(11)->text(), "/CASE-LAGER");
    EXPECT_EQ(f.Text1(6)->text(), "6");
    EXPECT_EQ(f.Label1(26)->text(), "Link to Pack Item");
    f.Text1(10)->setText("HARBOUR LAGER 330ML");
    f.Text1(9)->setText("330ML");
    f.Text1(8)->setText("9412345000033");
    f.Text1(7)->setText("2.50");
    f.CmdLink(2)->click();
    EXPECT_FALSE(f.CmdLink(2)->isEnabled());
    f.CmdEsc()->click();
    EXPECT_TRUE(f.EndRequested());
}

// The rows the run leaves: the pack and the single with their UPCs, the root linked to both.
inline void ExpectTypicalRunRows(WizardWorld& w) {
    const auto pack = w.rowBySl("5000002 ");
    ASSERT_TRUE(pack.has_value());
    EXPECT_EQ(pack->RecordNum, 101);
    EXPECT_EQ(pack->ItemID.str(), QStringLiteral("*CASE-LAGER").leftJustified(25));
    EXPECT_EQ(pack->Description.rtrimmed(), "HARBOUR LAGER 6 X 330ML");
    EXPECT_EQ(pack->SubDescription.rtrimmed(), "6PK");
    EXPECT_EQ(pack->LinkBreakPack.str(), "5000001 ");
    EXPECT_TRUE(pack->LinkItem.isBlank());
    EXPECT_EQ(pack->FlgQZV.str(), "P");
    EXPECT_EQ(pack->QTYINPACK, 12);
    EXPECT_EQ(pack->AvgCost, Currency::fromScaled(25000));
    EXPECT_EQ(pack->Cost, Currency::fromScaled(25000));
    EXPECT_EQ(pack->Price, Currency::fromScaled(129900));
    EXPECT_EQ(pack->UOM.str(), "PK   ");
    // What belongs to the root alone is not copied.
    EXPECT_EQ(pack->QtyOnHand, 0.0f);
    EXPECT_EQ(pack->HasSold.str(), "N");
    EXPECT_EQ(pack->ReorderFlag.str(), "N");
    EXPECT_EQ(pack->MinQ, 0);
    EXPECT_EQ(pack->MaxQ, 0);
    EXPECT_EQ(pack->Poll.str(), "Y");
    EXPECT_EQ(pack->DeptCode.rtrimmed(), "BEER");
    EXPECT_EQ(pack->VendorCode.rtrimmed(), "V200");
    w.expectOneUpc(101, "9412345000026", "5000002 ");

    const auto single = w.rowBySl("5000003 ");
    ASSERT_TRUE(single.has_value());
    EXPECT_EQ(single->RecordNum, 102);
    EXPECT_EQ(single->ItemID.rtrimmed(), "/CASE-LAGER");
    EXPECT_EQ(single->LinkBreakPack.str(), "5000002 ");
    EXPECT_EQ(single->FlgQZV.str(), "I");
    EXPECT_EQ(single->QTYINPACK, 6);
    EXPECT_EQ(single->AvgCost, Currency::fromScaled(4167));  // 2.50 / 6
    EXPECT_EQ(single->Price, Currency::fromScaled(25000));
    EXPECT_EQ(single->UOM.str(), "EA   ");
    w.expectOneUpc(102, "9412345000033", "5000003 ");

    const auto root = w.rowByNum(WizardWorld::kRootRecordNum);
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->FlgQZV.str(), "R");
    EXPECT_EQ(root->QZV1, 101);
    EXPECT_EQ(root->QZV2, 102);
    EXPECT_EQ(root->QTYINPACK, 1);
    EXPECT_EQ(w.inventoryCount(), 33);
    EXPECT_EQ(w.logFile(), QByteArray("Create Item\r\nSL=5000003 \r\nINvUID=102\r\nItem Created\r\n"
                                      "Populate Item\r\nPopulated\r\n"));
}

}  // namespace qv::test
