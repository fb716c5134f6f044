// The wizard driven as staff drive it: every key goes to the control that has the focus, and
// the rows written must be those of the same run made with the mouse (wizard_test.cpp),
// row for row: both are compared with the same golden texts. The keys of each dialog
// are a step table in tests/data/wizard/keys.

#include "tests/support/keys.h"
#include "tests/support/modal_driver.h"
#include "tests/wizard/typical_run.h"

#include <QApplication>

namespace qv::test {
namespace {

ModalDriver::Action Keys(const char* table) {
    return StepsOn(QStringLiteral("wizard/keys/") + table);
}

TEST(TypedRun, TheTypicalRunTypedWritesTheRowsOfTheSameRunByClicks) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    w.startWithRoot();
    w.ctx.showModal = ExecModal;
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No).expect(kCaseUpcQuestion, BoxAnswer::No);
    ModalDriver driver;
    driver.on("FrmBreakDown", Keys("units_pack_single.steps"))
        .on("FrmPackQty", Keys("packs_12.steps"))
        .on("FrmPackQty", Keys("singles_in_pack_6.steps"))
        .on("FrmMain", Keys("typical_run.steps"));
    ShowMainForm(w.ctx);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    ExpectTypicalRunRows(w);  // the golden texts of the run made with clicks
}

TEST(TypedRun, SinglesOnlyAreMadeFromTheRootAndLinkedAsItsSecondItem) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    w.startWithRoot();
    w.ctx.showModal = ExecModal;
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    ModalDriver driver;
    driver.on("FrmBreakDown", Keys("units_single.steps"))
        .on("FrmPackQty", Keys("singles_in_case_24.steps"))
        .on("FrmMain", Keys("singles_only_run.steps"));
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
    driver.on("FrmUPC", Keys("root_upc.steps"))
        .on("FrmBreakDown", [](QWidget*) { QTest::keyClick(Focused(), Qt::Key_F10); })
        .on("FrmMain", Keys("only_the_way_out.steps"));
    ShowMainForm(w.ctx);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(w.linkedRows().contains("UPC SL=5000001 | UPC=94123 | POLL=Y | InvUID=100\n"));
}

TEST(TabOrder, EveryWizardFormFollowsItsScreen) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    w.startWithRoot();
    w.run().DepositDeptCode = QStringLiteral("DEP");
    ASSERT_TRUE(w.insertItem(Inventory(
        "SL=9000001 | ItemID=DEPOSIT-330 | DeptCode=DEP | RecordNum=90", WizardWorld::Root())));
    // The units dialog, then its questions, while the main form loads.
    w.ctx.showModal = ExecModal;
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No).expect(kCaseUpcQuestion, BoxAnswer::No);
    ModalDriver driver;
    driver.on("FrmBreakDown", Keys("tab_units.steps"))
        .on("FrmPackQty", Keys("tab_quantity.steps"))
        .on("FrmPackQty", Keys("singles_in_pack_6.steps"));
    FrmMain f(w.ctx);
    f.FormLoad();
    ASSERT_TRUE(driver.done());
    ShowForKeys(f);
    Keys("tab_main.steps")(&f);
    ASSERT_EQ(f.WizardStep(), 2);
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    FrmUPC upc;
    ShowForKeys(upc);
    Keys("tab_upc.steps")(&upc);
}

}  // namespace
}  // namespace qv::test
