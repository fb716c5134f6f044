#include "tests/support/data_files.h"
#include "tests/support/form_state.h"
#include "tests/support/shown_box.h"
#include "tests/support/ui_steps.h"
#include "tests/wizard/wizard_world.h"

#include <gtest/gtest.h>
#include <QTest>
#include <optional>
#include <tuple>

namespace qv::test {
namespace {

// --- FrmPackQty ------------------------------------------------------------------------------

// " Accept", Enter and F10 in the box take the number alike.
TEST(FrmPackQty, TakesWholeNumbersFromOneTo32767AndExplainsOtherNumbers) {
    for (const char* typed : {"0", "-3", "40000", "2.5", "99999999999999999999", "twelve"}) {
        Sandbox sb;
        const bool number = QByteArray(typed) != "twelve";  // letters keep it open silently
        if (number) {
            sb.boxes.expect("Please enter a whole number from 1 to 32767.");
        }
        FrmPackQty q(sb.services, 0);
        q.show();
        q.Text1()->setText(typed);
        number ? q.Command1_Click() : QTest::keyClick(q.Text1(), Qt::Key_Return);
        EXPECT_FALSE(q.Number().has_value()) << typed;
        EXPECT_TRUE(q.isVisible());
        ASSERT_EQ(sb.boxes.shown().size(), number ? 1u : 0u) << typed;
        if (number) {
            EXPECT_TRUE(BoxShown(sb.boxes, 0, box::Ok, "Quorvane"));
        }
    }
    Sandbox sb;
    FrmPackQty q(sb.services, 0);
    for (const auto& [typed, key, expected] :
         {std::tuple{" 32767 ", Qt::Key_Return, 32767}, std::tuple{"12.0", Qt::Key_F10, 12}}) {
        q.clearAnswer();
        q.show();
        q.Text1()->setText(typed);
        QTest::keyClick(q.Text1(), key);
        EXPECT_EQ(q.Number(), std::int16_t(expected)) << typed;
        EXPECT_FALSE(q.isVisible());
    }
}

// --- FrmUPC ----------------------------------------------------------------------------------

TEST(FrmUPC, AcceptTakesTheBoxAndCancelLeavesNothing) {
    for (const Case& c : Cases("wizard/upc_dialog.cases")) {
        FrmUPC f;
        f.show();
        f.TxtUPC()->setText(c.text(0));
        if (c.text(1).startsWith(u"Cmd")) {
            child<QPushButton>(f, c.text(1))->click();
        } else {
            QTest::keyClick(f.TxtUPC(), QKeySequence::fromString(c.text(1))[0].key());
        }
        EXPECT_EQ(f.Result(), c.text(2)) << c.where();
        EXPECT_EQ(f.result(), c.flag(3) ? QDialog::Accepted : QDialog::Rejected) << c.where();
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
    WizardWorld world{0};
};

TEST_F(BreakDown, TheDialogsShowTheirCaptionsAndTheQuantityInPack) {
    Sandbox sb;
    FrmPackQty withQty(sb.services, 12);
    FrmUPC upc;
    auto f = make();
    QString forms =
        FormState(withQty) + FormState(FrmPackQty(sb.services, 0)) + FormState(upc) + FormState(*f);
    world.run().TrainingMode = true;
    forms += FormState(*make());
    ExpectGolden("wizard/dialogs.txt", forms);
}

TEST_F(BreakDown, ActivationTicksTheOrderedUnitAndOrderedByPackTheCaseCannotBeTicked) {
    auto f = make();
    f->show();
    RunUiSteps([&f] { return f.get(); }, "wizard/units_activation.steps",
               [&f](const QString&, const QStringList&) { f->Form_Activate(); });
}

TEST(BreakDownAnswers, EachPatternAsksItsQuestionsAndSetsItsCountsAsTheGoldenTextSays) {
    const char* const outcomes[] = {"Cancelled", "OneUnit", "Accepted", "RootRefused"};
    QString out;
    for (const Case& c : Cases("wizard/break_down.cases")) {
        WizardWorld w{0};
        ASSERT_TRUE(w.layer().GetInventoryByRecordNum(WizardWorld::kRootRecordNum));
        for (const QString& answer : c.list(2)) {
            w.sb.boxes.expect(QString(), answer == u"y" ? BoxAnswer::Yes : BoxAnswer::No);
        }
        w.sb.boxes.answerUnexpected = true;
        QStringList asked;
        const QStringList typed = c.has(3) ? c.list(3) : QStringList{QString()};
        for (const QString& number : typed) {
            w.script.on("FrmPackQty", [&asked, number](QDialog& d) {
                asked << dynamic_cast<FrmPackQty&>(d).question() + " (offered " +
                             child<QLineEdit>(d, "Text1")->text() + ")";
                if (!number.isEmpty()) {
                    QuantityStep(dynamic_cast<FrmPackQty&>(d).question(), number)(d);
                }
            });
        }
        FrmBreakDown f(w.sb.services, w.run(), w.layer(), w.ctx.showModal);
        const QString sell = c.text(1);
        BreakDownStep(c.text(0) == u"case", {sell[0] == u'y', sell[1] == u'y', sell[2] == u'y'})(f);
        const auto captions = LinkCaptionsFor(w.run());
        out += QStringLiteral("=== ordered by %1, sold by %2, answers %3, typed %4\n")
                   .arg(c.text(0), sell, c.text(2), c.text(3)) +
               w.sb.boxes.transcript();
        for (const QString& question : asked) {
            out += QStringLiteral("asked: ") + question + u'\n';
        }
        out += QStringLiteral("%1%2 | by case %3 | packs %4 | singles %5 | root in pack %6%7\n")
                   .arg(QString::fromLatin1(outcomes[static_cast<int>(f.outcome())]),
                        f.EndsProgram() ? QStringLiteral(", ends the program") : QString(),
                        w.run().SellByCaseFlag ? QStringLiteral("yes") : QStringLiteral("no"),
                        QString::number(w.run().PacksInCase), QString::number(w.run().SinglesCount),
                        QString::number(w.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK),
                        captions ? " | " + captions->select + ", " + captions->create + ", " +
                                       captions->save
                                 : QString());
        EXPECT_EQ(w.layer().Inventory.QTYINPACK,
                  w.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK);
    }
    ExpectGolden("wizard/break_down.txt", out);
}

TEST_F(BreakDown, EscCancelsAndEndsTheProgram) {
    auto f = make();
    f->show();
    QTest::keyClick(f.get(), Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->EndsProgram());
}

}  // namespace
}  // namespace qv::test
