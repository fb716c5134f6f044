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

// The root on screen and a pack made, waiting for its boxes.
std::unique_ptr<FrmMain> PackOnScreen(WizardWorld& w) {
    w.startWithRoot();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    scriptCaseAndPack(w, "12", true);
    auto f = std::make_unique<FrmMain>(w.ctx);
    f->FormLoad();
    f->CmdLink(0)->click();
    EXPECT_EQ(f->WizardStep(), 1);
    f->Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f->Text1(4)->setText("12.99");
    return f;
}

class MainFormPack : public ::testing::Test {
protected:
    WizardWorld w;
    std::unique_ptr<FrmMain> f = PackOnScreen(w);
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
    in.description = QString(31, u'D');
    EXPECT_EQ(CheckLinkedItem(in)->message, "The description can be at most 30 characters long.");
    in = {};
    in.quantity = QStringLiteral("6");
    in.deptCode = QString(12, u'X');
    EXPECT_TRUE(CheckLinkedItem(in).has_value());
}

// The scenarios of main_form.steps, with the test's own steps (listed there).
TEST(MainFormScenarios, EachLeavesTheDialogsMessagesAndRowsOfTheGoldenText) {
    std::unique_ptr<WizardWorld> w;
    std::unique_ptr<FrmMain> f;
    QString out;
    RunUiSteps(
        [&] { return f.get(); }, "wizard/main_form.steps",
        [&](const QString& verb, const QStringList& a) {
            const QString arg = a.value(0);
            if (verb == u"scenario") {
                f.reset();
                w = std::make_unique<WizardWorld>(a[1].toInt(), a[2] == u"y", a[3] == u"y");
                w->sb.boxes.answerUnexpected = true;
                out += QStringLiteral("=== ") + arg + u'\n';
            } else if (verb == u"units") {
                WriteUnitFile(w->sb);
            } else if (verb == u"uid") {
                a.isEmpty() ? w->startWithRoot() : void(w->run().SelectedItemID = arg);
            } else if (verb == u"box") {
                w->sb.boxes.expect(arg, BoxAnswer::Yes);
            } else if (verb == u"pick") {
                w->picks.push_back(arg);
            } else if (verb == u"unitsdialog") {
                w->script.on("FrmBreakDown",
                             BreakDownStep(arg == u"case",
                                           {a[1][0] == u'y', a[1][1] == u'y', a[1][2] == u'y'}));
            } else if (verb == u"cancelunits") {
                w->script.on("FrmBreakDown", CancelBreakDownStep());
            } else if (verb == u"quantity") {
                w->script.on("FrmPackQty", [arg](QDialog& d) {
                    QuantityStep(dynamic_cast<FrmPackQty&>(d).question(), arg)(d);
                });
            } else if (verb == u"upcdialog") {
                w->script.on("FrmUPC", UpcStep(arg));
            } else if (verb == u"insert") {
                EXPECT_TRUE(w->insertItem(
                    Inventory(a.mid(1).join(QStringLiteral(" | ")), WizardWorld::Root()),
                    arg == u"-" ? QString() : arg));
            } else if (verb == u"show") {
                ShowMainForm(w->ctx);
            } else if (verb == u"load") {
                f = std::make_unique<FrmMain>(w->ctx);
                f->FormLoad();
            } else if (verb == u"packscreen") {
                f = PackOnScreen(*w);
            } else if (verb == u"esc") {
                f->CmdEsc_Click();
            } else if (verb == u"escape") {
                QTest::keyClick(f.get(), Qt::Key_Escape);
            } else if (verb == u"reject") {
                f->reject();
            } else if (verb == u"deposit") {
                f->cboDeposit_Click(arg.toInt());
            } else if (verb == u"lostfocus") {
                f->Text1_LostFocus(arg.toInt());
            } else if (verb == u"depositdept") {
                w->run().DepositDeptCode = arg;
            } else if (verb == u"tax") {
                w->country.IncludeTaxInPrice = true;
                CommonRates rates;
                rates.TaxRate = {arg.toFloat(), 0, 0, 0, 0};
                w->country.setRates(rates);
            } else if (verb == u"sql") {
                EXPECT_EQ(w->checker().ExecuteSql(arg), 1);
            } else {
                ASSERT_EQ(verb, "snap");
                out += QStringLiteral("--- ") + arg + QStringLiteral("\ndialogs ") +
                       QStringList(w->script.shown().begin(), w->script.shown().end()).join(u',');
                if (f) {
                    out += QStringLiteral(
                               " | step %1 | chosen %2 | saved %3 | end %4 | root \"%5\" | pack %6")
                               .arg(QString::number(f->WizardStep()), f->ItemChosen() ? "y" : "n",
                                    f->Saved() ? "y" : "n", f->EndRequested() ? "y" : "n",
                                    f->RootSL(), QString::number(f->PackRecordNum()));
                }
                out += u'\n' + (a.value(1) == u"form" ? FormState(*f) : QString()) +
                       w->sb.boxes.transcript() + w->linkedRows() +
                       QStringLiteral("items %1\n").arg(w->inventoryCount());
                w->sb.boxes.clear();
                w->sb.boxes.answerUnexpected = true;
            }
        });
    ExpectGolden("wizard/main_form.txt", out);
}

}  // namespace
}  // namespace qv::test
