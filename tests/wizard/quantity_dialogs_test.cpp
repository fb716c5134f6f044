#include "datapath/twips.h"
#include "tests/wizard/wizard_world.h"

#include <gtest/gtest.h>
#include <QTest>

namespace qv::test {
namespace {

// --- FrmPackQty ------------------------------------------------------------------------------

TEST(FrmPackQty, ShowsTheItemsQuantityInPackAndTheDefaultQuestion) {
    Sandbox sb;
    FrmPackQty withQty(sb.services, 12);
    EXPECT_EQ(child<QLineEdit>(withQty, "Text1")->text(), QStringLiteral("12"));
    EXPECT_EQ(child<QLabel>(withQty, "Label1")->text(),
              QStringLiteral("Enter Number of items in the Pack"));
    EXPECT_EQ(child<QPushButton>(withQty, "Command1")->text(), QStringLiteral(" Accept"));
    FrmPackQty without(sb.services, 0);
    EXPECT_EQ(child<QLineEdit>(without, "Text1")->text(), QString());
}

TEST(FrmPackQty, LettersKeepTheQuestionOpenWithoutAMessage) {
    Sandbox sb;
    FrmPackQty q(sb.services, 0);
    q.Text1()->setText(QStringLiteral("twelve"));
    q.Command1_Click();
    EXPECT_FALSE(q.Number().has_value());
    EXPECT_EQ(q.result(), 0);
    EXPECT_TRUE(sb.boxes.shown().empty());
}

TEST(FrmPackQty, NumbersOutsideOneTo32767AreExplained) {
    for (const char* typed : {"0", "-3", "40000", "2.5", "99999999999999999999"}) {
        Sandbox sb;
        sb.boxes.expect(QStringLiteral("Please enter a whole number from 1 to 32767."));
        FrmPackQty q(sb.services, 0);
        q.Text1()->setText(QString::fromLatin1(typed));
        q.Command1_Click();
        EXPECT_FALSE(q.Number().has_value()) << typed;
        ASSERT_EQ(sb.boxes.shown().size(), 1u) << typed;
        EXPECT_EQ(sb.boxes.shown()[0].style, box::Ok);
        EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Quorvane"));
    }
}

TEST(FrmPackQty, WholeNumbersAreTaken) {
    Sandbox sb;
    FrmPackQty q(sb.services, 0);
    q.Text1()->setText(QStringLiteral(" 32767 "));
    q.Command1_Click();
    EXPECT_EQ(q.Number(), std::int16_t{32767});
    q.clearAnswer();
    q.Text1()->setText(QStringLiteral("12.0"));
    q.Command1_Click();
    EXPECT_EQ(q.Number(), std::int16_t{12});
}

TEST(FrmPackQty, EnterAndF10InTheBoxPressAccept) {
    Sandbox sb;
    FrmPackQty q(sb.services, 0);
    q.show();
    q.Text1()->setText(QStringLiteral("6"));
    QTest::keyClick(q.Text1(), Qt::Key_Return);
    EXPECT_EQ(q.Number(), std::int16_t{6});
    q.clearAnswer();
    q.show();
    q.Text1()->setText(QStringLiteral("8"));
    QTest::keyClick(q.Text1(), Qt::Key_F10);
    EXPECT_EQ(q.Number(), std::int16_t{8});
    q.clearAnswer();
    q.show();
    q.Text1()->setText(QStringLiteral("abc"));
    QTest::keyClick(q.Text1(), Qt::Key_Return);
    EXPECT_FALSE(q.Number().has_value());
    EXPECT_TRUE(q.isVisible());
}

TEST(FrmPackQtyPlacement, TwipsAreFifteenToThePixel) {
    const QRect breakDown(200, 150, 400, 300);
    EXPECT_EQ(PackQtyFirstPosition(breakDown), QPoint(200 + 33, 300 + 167));
    EXPECT_EQ(PackQtyNextPosition(QPoint(233, 467)), QPoint(266, 500));
    EXPECT_EQ(twips(1500), 100);
}

// --- FrmUPC ----------------------------------------------------------------------------------

TEST(FrmUPC, AcceptsFiveToFifteenDigits) {
    EXPECT_EQ(FrmUPC::AcceptedUpc(QStringLiteral("12345")), QStringLiteral("12345"));
    EXPECT_EQ(FrmUPC::AcceptedUpc(QStringLiteral(" 9412345000019 ")),
              QStringLiteral("9412345000019"));
    EXPECT_EQ(FrmUPC::AcceptedUpc(QStringLiteral("1234")), QString());
    EXPECT_EQ(FrmUPC::AcceptedUpc(QStringLiteral("12a45")), QString());
    EXPECT_EQ(FrmUPC::AcceptedUpc(QStringLiteral("123 45")), QString());
    EXPECT_EQ(FrmUPC::AcceptedUpc(QStringLiteral("12'345")), QString());
    EXPECT_EQ(FrmUPC::AcceptedUpc(QStringLiteral("-12345")), QString());
    EXPECT_EQ(FrmUPC::AcceptedUpc(QStringLiteral("1234567890123456")), QString());
}

TEST(FrmUPC, AcceptTakesTheBoxAndCancelLeavesNothing) {
    FrmUPC accepted;
    EXPECT_EQ(child<QLabel>(accepted, "Label1")->text(),
              QStringLiteral("No UPC on Record for this Item. Please enter UPC if available"));
    EXPECT_EQ(child<QLineEdit>(accepted, "TxtUPC")->text(), QString());
    UpcStep(QStringLiteral("9400000000017"))(accepted);
    EXPECT_EQ(accepted.Result(), QStringLiteral("9400000000017"));

    FrmUPC cancelled;
    UpcStep(QStringLiteral("9400000000017"), false)(cancelled);
    EXPECT_EQ(cancelled.Result(), QString());

    FrmUPC shortCode;
    UpcStep(QStringLiteral("1234"))(shortCode);
    EXPECT_EQ(shortCode.Result(), QString());
    EXPECT_EQ(shortCode.result(), QDialog::Accepted);
}

TEST(FrmUPC, KeysAcceptAndCancel) {
    FrmUPC f10;
    f10.show();
    f10.TxtUPC()->setText(QStringLiteral("55555"));
    QTest::keyClick(f10.TxtUPC(), Qt::Key_F10);
    EXPECT_EQ(f10.Result(), QStringLiteral("55555"));
    EXPECT_FALSE(f10.isVisible());

    FrmUPC esc;
    esc.show();
    esc.TxtUPC()->setText(QStringLiteral("55555"));
    QTest::keyClick(esc.TxtUPC(), Qt::Key_Escape);
    EXPECT_EQ(esc.Result(), QString());
    EXPECT_FALSE(esc.isVisible());
}

// --- FrmBreakDown ----------------------------------------------------------------------------

class BreakDown : public ::testing::Test {
protected:
    BreakDown() { EXPECT_TRUE(world.layer().GetInventoryByRecordNum(WizardWorld::kRootRecordNum)); }
    std::unique_ptr<FrmBreakDown> make() {
        return std::make_unique<FrmBreakDown>(world.sb.services, world.run(), world.layer(),
                                              world.ctx.showModal);
    }
    WizardWorld world{0};
};

TEST_F(BreakDown, ControlsAndCaptions) {
    auto f = make();
    EXPECT_EQ(child<QGroupBox>(*f, "Frame1")->title(), QStringLiteral("Order by"));
    EXPECT_EQ(child<QGroupBox>(*f, "Frame2")->title(), QStringLiteral("Sell by"));
    EXPECT_EQ(child<QRadioButton>(*f, "Option1_0")->text(), QStringLiteral("Case"));
    EXPECT_EQ(child<QRadioButton>(*f, "Option1_1")->text(), QStringLiteral("Pack"));
    EXPECT_EQ(child<QCheckBox>(*f, "Check1_2")->text(), QStringLiteral("Single"));
    EXPECT_EQ(child<QLabel>(*f, "Label1")->text(), QStringLiteral("Check all that apply"));
    EXPECT_EQ(child<QPushButton>(*f, "CmdAccept_0")->text(), QStringLiteral("F10 Accept"));
    EXPECT_EQ(child<QPushButton>(*f, "CmdAccept_1")->text(), QStringLiteral("Esc Cancel"));
    EXPECT_TRUE(child<QLabel>(*f, "LblTraining")->isHidden());
    world.run().TrainingMode = true;
    auto training = make();
    EXPECT_FALSE(child<QLabel>(*training, "LblTraining")->isHidden());
}

TEST_F(BreakDown, ActivationTicksTheOrderedUnit) {
    auto f = make();
    f->show();  // ordered by case at first
    EXPECT_TRUE(f->Check1(0)->isChecked());
    EXPECT_FALSE(f->Check1(1)->isChecked());
    auto byPack = make();
    byPack->Option1_Click(1);
    byPack->Form_Activate();
    EXPECT_TRUE(byPack->Check1(1)->isChecked());
}

TEST_F(BreakDown, OrderedByPackTheCaseBoxCannotBeTicked) {
    auto f = make();
    f->Form_Activate();
    EXPECT_TRUE(f->Check1(0)->isChecked());
    child<QRadioButton>(*f, "Option1_1")->click();
    EXPECT_TRUE(f->Check1(0)->isHidden());
    EXPECT_FALSE(f->Check1(0)->isChecked());
    child<QRadioButton>(*f, "Option1_0")->click();
    EXPECT_FALSE(f->Check1(0)->isHidden());
}

TEST_F(BreakDown, OneSellByUnitIsExplainedAndLeavesNoCounts) {
    const QString text = QStringLiteral(
        "You do not need to use Quorvane if you only sell by one unit type.\r\n"
        "To sell by a smaller unit than that used for ordering: \r\n"
        "Create your inventory item as the selling item. \r\n"
        "Enter the number of single items in the pack in the 'Quantity in Pack' "
        "field in Inventory.\r\n"
        "Purchasing will make the conversion for you.");
    world.sb.boxes.expect(text);
    auto f = make();
    BreakDownStep(true, {true, false, false})(*f);
    ASSERT_EQ(world.sb.boxes.shown().size(), 1u);
    EXPECT_EQ(world.sb.boxes.shown()[0].style, box::Information);
    EXPECT_EQ(world.sb.boxes.shown()[0].title, QStringLiteral("Defining Quantity Breaks"));
    EXPECT_EQ(f->outcome(), FrmBreakDown::Outcome::OneUnit);
    EXPECT_FALSE(f->EndsProgram());
    EXPECT_FALSE(world.run().SellByCaseFlag);
    EXPECT_EQ(world.run().PacksInCase, 0);
    EXPECT_EQ(world.run().SinglesCount, 0);
    EXPECT_FALSE(LinkCaptionsFor(world.run()).has_value());
}

TEST_F(BreakDown, CaseSoldByCasePackAndSingleAsksPacksThenSingles) {
    QPoint first;
    QPoint second;
    world.script
        .on(QStringLiteral("FrmPackQty"),
            [&](QDialog& d) {
                first = d.pos();
                // The root's quantity in pack is offered.
                EXPECT_EQ(child<QLineEdit>(d, "Text1")->text(), QStringLiteral("1"));
                QuantityStep(QStringLiteral("Enter Number of Packs in the Case"),
                             QStringLiteral("12"))(d);
            })
        .on(QStringLiteral("FrmPackQty"), [&](QDialog& d) {
            second = d.pos();
            EXPECT_EQ(child<QLineEdit>(d, "Text1")->text(), QStringLiteral("1"));
            QuantityStep(QStringLiteral("Enter Number of single items in the Pack"),
                         QStringLiteral("6"))(d);
        });
    auto f = make();
    f->move(300, 200);
    BreakDownStep(true, {true, true, true})(*f);
    EXPECT_TRUE(world.script.finished());
    EXPECT_EQ(f->outcome(), FrmBreakDown::Outcome::Accepted);
    EXPECT_TRUE(world.run().SellByCaseFlag);
    EXPECT_EQ(world.run().PacksInCase, 12);
    EXPECT_EQ(world.run().SinglesCount, 6);
    EXPECT_EQ(first, PackQtyFirstPosition(f->frameGeometry()));
    EXPECT_EQ(second, first + QPoint(twips(500), twips(500)));
    const auto captions = LinkCaptionsFor(world.run());
    ASSERT_TRUE(captions.has_value());
    EXPECT_EQ(captions->select, QStringLiteral("Select Existing Pack Item"));
    EXPECT_EQ(captions->create, QStringLiteral("Create New Pack Item"));
    EXPECT_EQ(captions->save, QStringLiteral("Save New Pack Item"));
    // Sold by the case too: the root's own quantity in pack is left alone.
    EXPECT_EQ(world.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK, 1);
}

TEST_F(BreakDown, CaseAndSingleOnlyAsksOneQuestion) {
    world.script.on(QStringLiteral("FrmPackQty"),
                    QuantityStep(QStringLiteral("Enter Number of Single Items in the Case"),
                                 QStringLiteral("24")));
    auto f = make();
    BreakDownStep(true, {true, false, true})(*f);
    EXPECT_EQ(world.run().PacksInCase, 0);
    EXPECT_EQ(world.run().SinglesCount, 24);
    EXPECT_EQ(LinkCaptionsFor(world.run())->create, QStringLiteral("Create New Single Item"));
}

TEST_F(BreakDown, RootCaseNotSoldByCaseWritesThePacksIntoTheRoot) {
    world.sb.boxes.expect(QStringLiteral("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Case?"),
                          BoxAnswer::Yes);
    world.script
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of Packs in a Case (quantity in pack for "
                                        "ordering only)"),
                         QStringLiteral("4")))
        .on(QStringLiteral("FrmPackQty"),
            QuantityStep(QStringLiteral("Enter Number of single items in the Pack"),
                         QStringLiteral("6")));
    auto f = make();
    BreakDownStep(true, {false, true, true})(*f);
    EXPECT_EQ(world.sb.boxes.shown().at(0).style, box::YesNo + box::DefaultSecond);
    EXPECT_TRUE(world.run().SellByCaseFlag);
    EXPECT_EQ(world.run().PacksInCase, 4);
    EXPECT_EQ(world.run().SinglesCount, 6);
    EXPECT_EQ(world.layer().Inventory.QTYINPACK, 4);
    EXPECT_EQ(world.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK, 4);
}

TEST_F(BreakDown, RootThatIsAPackAsksForTheSinglesInIt) {
    world.sb.boxes.expect(QStringLiteral("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Case?"),
                          BoxAnswer::No);
    world.sb.boxes.expect(QStringLiteral("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Pack?"),
                          BoxAnswer::Yes);
    world.script.on(QStringLiteral("FrmPackQty"),
                    QuantityStep(QStringLiteral("Enter Number of single items in the Pack"),
                                 QStringLiteral("6")));
    auto f = make();
    BreakDownStep(true, {false, true, true})(*f);
    EXPECT_FALSE(world.run().SellByCaseFlag);
    EXPECT_EQ(world.run().PacksInCase, 0);
    EXPECT_EQ(world.run().SinglesCount, 6);
    EXPECT_EQ(LinkCaptionsFor(world.run())->save, QStringLiteral("Save New Single Item"));
    EXPECT_EQ(world.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK, 1);
}

TEST_F(BreakDown, RootNeitherCaseNorPackIsRefused) {
    world.sb.boxes.expect(QStringLiteral("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Case?"),
                          BoxAnswer::No);
    world.sb.boxes.expect(QStringLiteral("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Pack?"),
                          BoxAnswer::No);
    world.sb.boxes.expect(
        QStringLiteral("You must select the Correct Root item to use this program"));
    auto f = make();
    BreakDownStep(true, {false, true, true})(*f);
    EXPECT_EQ(f->outcome(), FrmBreakDown::Outcome::RootRefused);
    EXPECT_TRUE(f->EndsProgram());
    EXPECT_EQ(world.sb.boxes.shown().at(2).style, box::Ok);
    EXPECT_EQ(world.run().PacksInCase, 0);
    EXPECT_EQ(world.run().SinglesCount, 0);
}

TEST_F(BreakDown, OrderedByPackAsksTheDefaultQuestion) {
    world.script.on(
        QStringLiteral("FrmPackQty"),
        QuantityStep(QStringLiteral("Enter Number of items in the Pack"), QStringLiteral("6")));
    auto f = make();
    BreakDownStep(false, {true, true, true})(*f);
    EXPECT_FALSE(world.run().SellByCaseFlag);
    EXPECT_EQ(world.run().PacksInCase, 0);
    EXPECT_EQ(world.run().SinglesCount, 6);
}

TEST_F(BreakDown, ClosingAQuestionKeepsTheDialogOpenAndTheRootUntouched) {
    world.sb.boxes.expect(QString(), BoxAnswer::Yes);
    world.script.on(QStringLiteral("FrmPackQty"), [](QDialog&) {});  // closed without a number
    auto f = make();
    f->show();
    BreakDownStep(true, {false, true, true})(*f);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->outcome(), FrmBreakDown::Outcome::Cancelled);
    EXPECT_FALSE(world.run().SellByCaseFlag);
    EXPECT_EQ(world.run().PacksInCase, 0);
    EXPECT_EQ(world.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK, 1);
}

TEST_F(BreakDown, EscCancels) {
    auto f = make();
    f->show();
    QTest::keyClick(f.get(), Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->EndsProgram());
}

TEST_F(BreakDown, F10Accepts) {
    world.sb.boxes.expect(QString());  // one unit only
    auto f = make();
    f->show();
    QTest::keyClick(f.get(), Qt::Key_F10);
    EXPECT_EQ(f->outcome(), FrmBreakDown::Outcome::OneUnit);
}

}  // namespace
}  // namespace qv::test
