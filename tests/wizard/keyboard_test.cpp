// The wizard driven as staff drive it: every key goes to the control that has the focus, and
// the rows written must be those of the same run made with the mouse.

#include "tests/support/keys.h"
#include "tests/support/modal_driver.h"
#include "tests/wizard/typical_run.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>

namespace qv::test {
namespace {

// The units dialog typed: Pack is ticked with Space where the focus lands, Single after a Tab
// when asked for, then Enter.
ModalDriver::Action TypeUnits(bool pack, bool single) {
    return [=](QWidget* d) {
        EXPECT_EQ(FocusedName(), "Check1_1") << "the Pack box takes the focus when ordered by case";
        EXPECT_TRUE(ShowsFocusFrame(Focused()));
        if (pack) {
            Press(Qt::Key_Space);
        }
        Press(Qt::Key_Tab);
        if (single) {
            Press(Qt::Key_Space);
        }
        EXPECT_TRUE(d->findChild<QCheckBox*>("Check1_0")->isChecked());
        Press(Qt::Key_Return);
    };
}

ModalDriver::Action TypeQuantity(const QString& question, const QString& number) {
    return [=](QWidget* d) {
        EXPECT_EQ(dynamic_cast<FrmPackQty*>(d)->question(), question);
        EXPECT_EQ(FocusedName(), "Text1");
        Type(number);  // the preset number is selected: typing replaces it
        Press(Qt::Key_Return);
    };
}

// Types the boxes of a linked item from its description on, moving on with the key given
// (Enter in a box moves on as Tab does), leaving the focus on the box after the price.
void TypeItem(const QString& description, const QString& sub, const QString& upc,
              const QString& price, Qt::Key next = Qt::Key_Tab) {
    for (const QString& text : {description, sub, upc, price}) {
        Type(text);
        Press(next);
    }
}

void ExpectFocusOn(const QString& name) {
    EXPECT_EQ(FocusedName(), name);
    if (QWidget* w = Focused()) {
        EXPECT_TRUE(ShowsFocusFrame(w)) << name.toStdString() << " shows no focus frame";
    }
}

// The main form's part of the typical run, keys only.
void TypeTypicalRun(QWidget* main) {
    auto& f = *dynamic_cast<FrmMain*>(main);
    ExpectFocusOn("CmdLink_0");
    EXPECT_EQ(f.CmdLink(0)->text(), "Create New Pack Item");
    Press(Qt::Key_Return);

    ExpectFocusOn("Text1_1");
    TypeItem("HARBOUR LAGER 6 X 330ML", "6PK", "9412345000026", "12.99");
    EXPECT_EQ(FocusedName(), "Text1_5");  // the quantity, kept
    Press(Qt::Key_Tab);
    EXPECT_EQ(FocusedName(), "CboUOM_0");
    Press(Qt::Key_Down);  // Each, Case, Pack
    Press(Qt::Key_Down);
    TabTo("CmdLink_2");
    Press(Qt::Key_Return);

    ExpectFocusOn("CmdLink_0");
    EXPECT_EQ(f.CmdLink(0)->text(), "Create New Single Item");
    Press(Qt::Key_Space);

    ExpectFocusOn("Text1_10");
    TypeItem("HARBOUR LAGER 330ML", "330ML", "9412345000033", "2.50", Qt::Key_Return);
    EXPECT_EQ(FocusedName(), "Text1_6");
    TabTo("CmdLink_2");
    Press(Qt::Key_Return);
    ExpectFocusOn("CmdEsc");
    Press(Qt::Key_Return);
    EXPECT_TRUE(f.EndRequested());
}

TEST(TypedRun, TheTypicalRunTypedWritesTheRowsOfTheSameRunByClicks) {
    QStringList clicked;
    {
        WizardWorld w;
        WriteUnitFile(w.sb);
        w.startWithRoot();
        w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No).expect(kCaseUpcQuestion, BoxAnswer::No);
        w.script.on("FrmBreakDown", BreakDownStep(true, {true, true, true}))
            .on("FrmPackQty", QuantityStep(kPacksInCase, "12"))
            .on("FrmPackQty", QuantityStep(kSinglesInPack, "6"))
            .on("FrmMain", MainFormStep([](FrmMain& f) { ClickTypicalRun(f); }));
        ShowMainForm(w.ctx);
        ASSERT_TRUE(w.script.finished());
        clicked = w.storeRows();
    }

    WizardWorld w;
    WriteUnitFile(w.sb);
    w.startWithRoot();
    w.ctx.showModal = ExecModal;
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No).expect(kCaseUpcQuestion, BoxAnswer::No);
    ModalDriver driver;
    driver.on("FrmBreakDown", TypeUnits(true, true))
        .on("FrmPackQty", TypeQuantity(kPacksInCase, "12"))
        .on("FrmPackQty", TypeQuantity(kSinglesInPack, "6"))
        .on("FrmMain", TypeTypicalRun);
    ShowMainForm(w.ctx);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    ExpectTypicalRunRows(w);
    EXPECT_EQ(w.storeRows(), clicked);
}

TEST(TypedRun, SinglesOnlyAreMadeFromTheRootAndLinkedAsItsSecondItem) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    w.startWithRoot();
    w.ctx.showModal = ExecModal;
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    ModalDriver driver;
    driver.on("FrmBreakDown", TypeUnits(false, true))
        .on("FrmPackQty",
            TypeQuantity(QStringLiteral("Enter Number of Single Items in the Case"), "24"))
        .on("FrmMain", [](QWidget* main) {
            auto& f = *dynamic_cast<FrmMain*>(main);
            ExpectFocusOn("CmdLink_0");
            EXPECT_EQ(f.CmdLink(0)->text(), "Create New Single Item");
            Press(Qt::Key_Return);
            ExpectFocusOn("Text1_1");  // the single takes the first frame
            TypeItem("HARBOUR LAGER 330ML", "330ML", "9412345000033", "2.25");
            TabTo("CmdLink_2");
            Press(Qt::Key_Return);
            ExpectFocusOn("CmdEsc");
            Press(Qt::Key_Escape);
        });
    ShowMainForm(w.ctx);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    // The single is the root's second item; the first frame held it.
    ExpectGolden("wizard/typed_singles_only.txt", w.linkedRows());
}

TEST(TypedRun, ARootWithoutUpcIsGivenOneTypedIntoItsDialog) {
    WizardWorld w(30, true, false);
    w.startWithRoot();
    w.ctx.showModal = ExecModal;
    w.sb.boxes.expect(QString());  // one sell-by unit
    ModalDriver driver;
    driver
        .on("FrmUPC",
            [](QWidget*) {
                EXPECT_EQ(FocusedName(), "TxtUPC");
                Type("94123");
                Press(Qt::Key_Return);
            })
        .on("FrmBreakDown", [](QWidget*) { Press(Qt::Key_F10); })
        .on("FrmMain", [](QWidget*) {
            ExpectFocusOn("CmdEsc");  // nothing to link: only the way out
            Press(Qt::Key_Escape);
        });
    ShowMainForm(w.ctx);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(w.linkedRows().contains("UPC SL=5000001 | UPC=94123 | POLL=Y | InvUID=100\n"));
}

// --- Tab order -------------------------------------------------------------------------------

TEST(TabOrder, EveryWizardFormFollowsItsScreen) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    w.startWithRoot();
    w.run().DepositDeptCode = QStringLiteral("DEP");
    db::InventoryRecord deposit = WizardWorld::Root();
    deposit.SL = QStringLiteral("9000001 ");
    deposit.ItemID = QStringLiteral("DEPOSIT-330");
    deposit.DeptCode = QStringLiteral("DEP");
    deposit.RecordNum = 90;
    ASSERT_TRUE(w.insertItem(deposit));

    // The units dialog, then its question, while the main form loads.
    w.ctx.showModal = ExecModal;
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No).expect(kCaseUpcQuestion, BoxAnswer::No);
    ModalDriver driver;
    driver
        .on("FrmBreakDown",
            [](QWidget* d) {
                ExpectTabCycle(*d, "Option1_0",
                               {"Option1_0", "Check1_0", "Check1_1", "Check1_2", "CmdAccept_0",
                                "CmdAccept_1"});  // one stop for the two order options
                d->findChild<QCheckBox*>("Check1_1")->setFocus(Qt::TabFocusReason);
                Press(Qt::Key_Space);
                Press(Qt::Key_Tab);
                Press(Qt::Key_Space);
                Press(Qt::Key_F10);
            })
        .on("FrmPackQty",
            [](QWidget* d) {
                ExpectTabCycle(*d, "Text1", {"Text1", "Command1"});
                d->findChild<QWidget*>("Text1")->setFocus(Qt::TabFocusReason);
                Type("12");
                Press(Qt::Key_Return);
            })
        .on("FrmPackQty", TypeQuantity(kSinglesInPack, "6"));
    FrmMain f(w.ctx);
    f.FormLoad();
    ASSERT_TRUE(driver.done());
    ShowForKeys(f);
    ExpectTabCycle(f, "cboDeposit", {"cboDeposit", "CmdLink_1", "CmdLink_0", "CmdEsc"});

    // Both linked frames on screen: down the pack frame, down the single frame, the deposit
    // list and the buttons; the disabled and hidden ones are skipped.
    f.CmdLink(0)->click();
    f.Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f.Text1(3)->setText("9412345000026");
    f.Text1(4)->setText("12.99");
    f.CmdLink(2)->click();
    f.CmdLink(0)->click();
    ASSERT_EQ(f.WizardStep(), 2);
    f.Text1(10)->setText("HARBOUR LAGER 330ML");  // no prompt stops the walk
    f.Text1(8)->setText("9412345000033");
    f.Text1(7)->setText("2.50");
    ExpectTabCycle(f, "Text1_0",
                   {"Text1_0", "Text1_1", "Text1_2", "Text1_3", "Text1_4", "Text1_5", "CboUOM_0",
                    "Text1_12", "Text1_11", "Text1_10", "Text1_9", "Text1_8", "Text1_7", "Text1_6",
                    "CboUOM_1", "Text1_13", "cboDeposit", "CmdLink_2", "CmdEsc"});
    EXPECT_TRUE(w.sb.boxes.allAnswered());

    FrmUPC upc;
    ShowForKeys(upc);
    ExpectTabCycle(upc, "TxtUPC", {"TxtUPC", "CmdExit_1", "CmdExit_0"});
}

}  // namespace
}  // namespace qv::test
