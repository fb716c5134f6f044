#include "datapath/twips.h"
#include "tests/support/shown_box.h"
#include "tests/wizard/wizard_world.h"

#include <gtest/gtest.h>
#include <QTest>
#include <optional>
#include <tuple>

namespace qv::test {
namespace {

const QString kIsItACase =
    QStringLiteral("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Case?");
const QString kIsItAPack =
    QStringLiteral("Is the selected item 'HARBOUR LAGER 24 X 330ML' a Pack?");

// --- FrmPackQty ------------------------------------------------------------------------------

TEST(FrmPackQty, ShowsTheItemsQuantityInPackAndTheDefaultQuestion) {
    Sandbox sb;
    FrmPackQty withQty(sb.services, 12);
    EXPECT_EQ(withQty.Text1()->text(), "12");
    EXPECT_EQ(child<QLabel>(withQty, "Label1")->text(), "Enter Number of items in the Pack");
    EXPECT_EQ(child<QPushButton>(withQty, "Command1")->text(), " Accept");
    EXPECT_EQ(FrmPackQty(sb.services, 0).Text1()->text(), QString());
}

TEST(FrmPackQty, TakesWholeNumbersFromOneTo32767AndExplainsOtherNumbers) {
    for (const char* typed : {"0", "-3", "40000", "2.5", "99999999999999999999", "twelve"}) {
        Sandbox sb;
        const bool number = QByteArray(typed) != "twelve";  // letters keep it open silently
        if (number) {
            sb.boxes.expect("Please enter a whole number from 1 to 32767.");
        }
        FrmPackQty q(sb.services, 0);
        q.Text1()->setText(typed);
        q.Command1_Click();
        EXPECT_FALSE(q.Number().has_value()) << typed;
        EXPECT_EQ(q.result(), 0);
        ASSERT_EQ(sb.boxes.shown().size(), number ? 1u : 0u) << typed;
        if (number) {
            EXPECT_TRUE(BoxShown(sb.boxes, 0, box::Ok, "Quorvane"));
        }
    }
    Sandbox sb;
    FrmPackQty q(sb.services, 0);
    for (const auto& [typed, expected] : {std::pair{" 32767 ", 32767}, std::pair{"12.0", 12}}) {
        q.clearAnswer();
        q.Text1()->setText(typed);
        q.Command1_Click();
        EXPECT_EQ(q.Number(), std::int16_t(expected)) << typed;
    }
}

TEST(FrmPackQty, EnterAndF10InTheBoxPressAccept) {
    Sandbox sb;
    FrmPackQty q(sb.services, 0);
    for (const auto& [key, typed, taken] :
         {std::tuple{Qt::Key_Return, "6", 6}, std::tuple{Qt::Key_F10, "8", 8},
          std::tuple{Qt::Key_Return, "abc", 0}}) {
        SCOPED_TRACE(typed);
        q.clearAnswer();
        q.show();
        q.Text1()->setText(typed);
        QTest::keyClick(q.Text1(), key);
        EXPECT_EQ(q.Number(), taken ? std::optional<std::int16_t>(taken) : std::nullopt);
        EXPECT_EQ(q.isVisible(), taken == 0);  // letters keep it open
    }
}

TEST(FrmPackQtyPlacement, TwipsAreFifteenToThePixel) {
    const QRect breakDown(200, 150, 400, 300);
    EXPECT_EQ(PackQtyFirstPosition(breakDown), QPoint(200 + 33, 300 + 167));
    EXPECT_EQ(PackQtyNextPosition(QPoint(233, 467)), QPoint(266, 500));
    EXPECT_EQ(twips(1500), 100);
}

// --- FrmUPC ----------------------------------------------------------------------------------

TEST(FrmUPC, AcceptsFiveToFifteenDigits) {
    EXPECT_EQ(FrmUPC::AcceptedUpc("12345"), "12345");
    EXPECT_EQ(FrmUPC::AcceptedUpc(" 9412345000019 "), "9412345000019");
    for (const char* bad : {"1234", "12a45", "123 45", "12'345", "-12345", "1234567890123456"}) {
        EXPECT_EQ(FrmUPC::AcceptedUpc(bad), QString()) << bad;
    }
}

TEST(FrmUPC, AcceptTakesTheBoxAndCancelLeavesNothing) {
    FrmUPC accepted;
    EXPECT_EQ(child<QLabel>(accepted, "Label1")->text(),
              "No UPC on Record for this Item. Please enter UPC if available");
    EXPECT_EQ(accepted.TxtUPC()->text(), QString());
    UpcStep("9400000000017")(accepted);
    EXPECT_EQ(accepted.Result(), "9400000000017");
    // Cancelled, or accepted with too short a code: no UPC.
    for (const auto& [typed, accept] :
         {std::pair{"9400000000017", false}, std::pair{"1234", true}}) {
        FrmUPC f;
        UpcStep(typed, accept)(f);
        EXPECT_EQ(f.Result(), QString()) << typed;
        EXPECT_EQ(f.result(), accept ? QDialog::Accepted : QDialog::Rejected) << typed;
    }

    for (const auto& [key, expected] :
         {std::pair{Qt::Key_F10, "55555"}, std::pair{Qt::Key_Escape, ""}}) {
        FrmUPC f;
        f.show();
        f.TxtUPC()->setText("55555");
        QTest::keyClick(f.TxtUPC(), key);
        EXPECT_EQ(f.Result(), expected);
        EXPECT_FALSE(f.isVisible());
    }
}

// --- FrmBreakDown ----------------------------------------------------------------------------

class BreakDown : public ::testing::Test {
protected:
    BreakDown() { EXPECT_TRUE(world.layer().GetInventoryByRecordNum(WizardWorld::kRootRecordNum)); }
    std::unique_ptr<FrmBreakDown> make() {
        return std::make_unique<FrmBreakDown>(world.sb.services, world.run(), world.layer(),
                                              world.ctx.showModal);
    }
    // The quantity questions expected next, each with the number typed.
    void answer(std::initializer_list<std::pair<const char*, const char*>> questions) {
        for (const auto& [question, typed] : questions) {
            world.script.on("FrmPackQty", QuantityStep(question, typed));
        }
    }
    void expectCounts(bool sellByCase, int packs, int singles, int rootQtyInPack = 1) {
        EXPECT_TRUE(world.script.finished());
        EXPECT_EQ(world.run().SellByCaseFlag, sellByCase);
        EXPECT_EQ(world.run().PacksInCase, packs);
        EXPECT_EQ(world.run().SinglesCount, singles);
        EXPECT_EQ(world.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK, rootQtyInPack);
    }
    WizardWorld world{0};
};

TEST_F(BreakDown, ControlsAndCaptions) {
    auto f = make();
    EXPECT_EQ(child<QGroupBox>(*f, "Frame1")->title(), "Order by");
    EXPECT_EQ(child<QGroupBox>(*f, "Frame2")->title(), "Sell by");
    EXPECT_EQ(f->Option1(0)->text(), "Case");
    EXPECT_EQ(f->Option1(1)->text(), "Pack");
    EXPECT_EQ(f->Check1(2)->text(), "Single");
    EXPECT_EQ(child<QLabel>(*f, "Label1")->text(), "Check all that apply");
    EXPECT_EQ(child<QPushButton>(*f, "CmdAccept_0")->text(), "F10 Accept");
    EXPECT_EQ(child<QPushButton>(*f, "CmdAccept_1")->text(), "Esc Cancel");
    EXPECT_TRUE(child<QLabel>(*f, "LblTraining")->isHidden());
    world.run().TrainingMode = true;
    EXPECT_FALSE(child<QLabel>(*make(), "LblTraining")->isHidden());
}

TEST_F(BreakDown, ActivationTicksTheOrderedUnitAndOrderedByPackTheCaseCannotBeTicked) {
    auto f = make();
    f->show();  // ordered by case at first
    EXPECT_TRUE(f->Check1(0)->isChecked());
    EXPECT_FALSE(f->Check1(1)->isChecked());
    f->Option1(1)->click();
    EXPECT_TRUE(f->Check1(0)->isHidden());
    EXPECT_FALSE(f->Check1(0)->isChecked());
    f->Form_Activate();
    EXPECT_TRUE(f->Check1(1)->isChecked());
    f->Option1(0)->click();
    EXPECT_FALSE(f->Check1(0)->isHidden());
}

TEST_F(BreakDown, OneSellByUnitIsExplainedAndLeavesNoCounts) {
    world.sb.boxes.expect(
        "You do not need to use Quorvane if you only sell by one unit type.\r\n"
        "To sell by a smaller unit than that used for ordering: \r\n"
        "Create your inventory item as the selling item. \r\n"
        "Enter the number of single items in the pack in the 'Quantity in Pack' "
        "field in Inventory.\r\n"
        "Purchasing will make the conversion for you.");
    auto f = make();
    BreakDownStep(true, {true, false, false})(*f);
    EXPECT_TRUE(BoxShown(world.sb.boxes, 0, box::Information, "Defining Quantity Breaks"));
    EXPECT_EQ(f->outcome(), FrmBreakDown::Outcome::OneUnit);
    EXPECT_FALSE(f->EndsProgram());
    expectCounts(false, 0, 0);
    EXPECT_FALSE(LinkCaptionsFor(world.run()).has_value());

    // F10 accepts the same way.
    world.sb.boxes.expect(QString());
    auto again = make();
    again->show();
    QTest::keyClick(again.get(), Qt::Key_F10);
    EXPECT_EQ(again->outcome(), FrmBreakDown::Outcome::OneUnit);
}

TEST_F(BreakDown, CaseSoldByCasePackAndSingleAsksPacksThenSinglesBelowEachOther) {
    QPoint first;
    QPoint second;
    const auto step = [](QPoint& at, const QString& question, const QString& typed) {
        return [&at, question, typed](QDialog& d) {
            at = d.pos();
            // The root's quantity in pack is offered.
            EXPECT_EQ(child<QLineEdit>(d, "Text1")->text(), "1");
            QuantityStep(question, typed)(d);
        };
    };
    world.script.on("FrmPackQty", step(first, "Enter Number of Packs in the Case", "12"))
        .on("FrmPackQty", step(second, "Enter Number of single items in the Pack", "6"));
    auto f = make();
    f->move(300, 200);
    BreakDownStep(true, {true, true, true})(*f);
    EXPECT_EQ(f->outcome(), FrmBreakDown::Outcome::Accepted);
    // Sold by the case too: the root's own quantity in pack is left alone.
    expectCounts(true, 12, 6);
    EXPECT_EQ(first, PackQtyFirstPosition(f->frameGeometry()));
    EXPECT_EQ(second, first + QPoint(twips(500), twips(500)));
    const auto captions = LinkCaptionsFor(world.run());
    ASSERT_TRUE(captions.has_value());
    EXPECT_EQ(captions->select, "Select Existing Pack Item");
    EXPECT_EQ(captions->create, "Create New Pack Item");
    EXPECT_EQ(captions->save, "Save New Pack Item");
}

TEST_F(BreakDown, CaseAndSingleOnlyAsksOneQuestion) {
    answer({{"Enter Number of Single Items in the Case", "24"}});
    BreakDownStep(true, {true, false, true})(*make());
    expectCounts(true, 0, 24);
    EXPECT_EQ(LinkCaptionsFor(world.run())->create, "Create New Single Item");
}

TEST_F(BreakDown, RootCaseNotSoldByCaseWritesThePacksIntoTheRoot) {
    world.sb.boxes.expect(kIsItACase, BoxAnswer::Yes);
    answer({{"Enter Number of Packs in a Case (quantity in pack for ordering only)", "4"},
            {"Enter Number of single items in the Pack", "6"}});
    BreakDownStep(true, {false, true, true})(*make());
    EXPECT_EQ(world.sb.boxes.shown().at(0).style, box::YesNo + box::DefaultSecond);
    expectCounts(true, 4, 6, 4);
    EXPECT_EQ(world.layer().Inventory.QTYINPACK, 4);
}

TEST_F(BreakDown, RootThatIsAPackAsksForTheSinglesInIt) {
    world.sb.boxes.expect(kIsItACase, BoxAnswer::No).expect(kIsItAPack, BoxAnswer::Yes);
    answer({{"Enter Number of single items in the Pack", "6"}});
    BreakDownStep(true, {false, true, true})(*make());
    expectCounts(false, 0, 6);
    EXPECT_EQ(LinkCaptionsFor(world.run())->save, "Save New Single Item");
}

TEST_F(BreakDown, OrderedByPackAsksTheDefaultQuestion) {
    answer({{"Enter Number of items in the Pack", "6"}});
    BreakDownStep(false, {true, true, true})(*make());
    expectCounts(false, 0, 6);
}

TEST_F(BreakDown, RootNeitherCaseNorPackIsRefused) {
    world.sb.boxes.expect(kIsItACase, BoxAnswer::No)
        .expect(kIsItAPack, BoxAnswer::No)
        .expect("You must select the Correct Root item to use this program");
    auto f = make();
    BreakDownStep(true, {false, true, true})(*f);
    EXPECT_EQ(f->outcome(), FrmBreakDown::Outcome::RootRefused);
    EXPECT_TRUE(f->EndsProgram());
    EXPECT_EQ(world.sb.boxes.shown().at(2).style, box::Ok);
    expectCounts(false, 0, 0);
}

TEST_F(BreakDown, ClosingAQuestionKeepsTheDialogOpenAndTheRootUntouchedAndEscCancels) {
    world.sb.boxes.expect(QString(), BoxAnswer::Yes);
    world.script.on("FrmPackQty", [](QDialog&) {});  // closed without a number
    auto f = make();
    f->show();
    BreakDownStep(true, {false, true, true})(*f);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->outcome(), FrmBreakDown::Outcome::Cancelled);
    expectCounts(false, 0, 0);
    QTest::keyClick(f.get(), Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->EndsProgram());
}

}  // namespace
}  // namespace qv::test
