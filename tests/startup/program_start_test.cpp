#include "sql/sqlite/sqlite_engine.h"
#include "startup/demo_store.h"
#include "startup/entry_routine.h"
#include "tests/support/sandbox.h"
#include "wizard/frm_break_down.h"
#include "wizard/frm_main.h"
#include "wizard/frm_pack_qty.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace qv {
namespace {

class NoOtherCopy final : public InstanceGuard {
public:
    bool anotherInstanceRunning() override { return false; }
    void activateOther() override {}
};

template <class T>
T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// The whole program on the demo store: start-up with the real steps, the units dialog, one
// single item made from the case and saved, and the exit that links it to the root.
TEST(ProgramStart, DemoCaseSoldBySingleIsLinkedEndToEnd) {
    test::Sandbox sb;
    DemoStore demo;
    ASSERT_EQ(EnsureDemoStore(sb.services, demo), QString());
    const std::int32_t root = demo.caseRecordNum;

    std::vector<QString> shown;
    std::int32_t single = 0;
    ShowModalFn script = [&](QDialog& d) {
        shown.push_back(d.objectName());
        if (auto* units = dynamic_cast<FrmBreakDown*>(&d)) {
            units->Form_Activate();
            child<QRadioButton>(d, "Option1_0")->click();
            child<QCheckBox>(d, "Check1_2")->setChecked(true);  // case and single
            child<QPushButton>(d, "CmdAccept_0")->click();
        } else if (auto* qty = dynamic_cast<FrmPackQty*>(&d)) {
            EXPECT_EQ(qty->question(), "Enter Number of Single Items in the Case");
            child<QLineEdit>(d, "Text1")->setText("24");
            child<QPushButton>(d, "Command1")->click();
        } else if (auto* main = dynamic_cast<FrmMain*>(&d)) {
            EXPECT_EQ(main->CmdLink(0)->text(), "Create New Single Item");
            main->CmdLink(0)->click();
            // A single made straight from the case is the first linked item: the first frame.
            main->Text1(1)->setText("ALPINE SPRING WATER 500ML");
            main->Text1(3)->setText("9400001999999");
            main->Text1(4)->setText("1.50");
            main->CmdLink(2)->click();
            single = main->SingleRecordNum();
            main->CmdEsc()->click();
        } else {
            ADD_FAILURE() << "unexpected dialog " << d.objectName().toStdString();
        }
    };
    sb.boxes.expect("Will Case UPC be scanned when selling packs and/or Singles?", BoxAnswer::No);

    Session session(sb.services);
    NoOtherCopy guard;
    EXPECT_EQ(RunEntryRoutine(session, guard, QStringLiteral("UID=%1 /USERID=DEMO").arg(root),
                              ProgramStartSteps(script)),
              StartEnd::MainFormClosed);
    EXPECT_EQ(shown, (std::vector<QString>{"FrmBreakDown", "FrmPackQty", "FrmMain"}));
    EXPECT_TRUE(sb.boxes.allAnswered());
    // The country settings came from the Common row (country 1) and "Country.set".
    EXPECT_EQ(session.country.TaxLabel, "TAX");
    EXPECT_EQ(session.values.DepositDeptCode, "DEP");
    ASSERT_GT(single, root);

    // What is in the database, read through a connection of its own.
    db::SqliteEngine engine(sb.native(demo.dataFolder));
    db::DbError e;
    ASSERT_TRUE(engine.connect({{}, demo.database, {}, {}}, e)) << e.description.toStdString();
    auto rootRow =
        engine.openRowSet(QStringLiteral("SELECT * FROM invt1 WHERE RecordNum = %1").arg(root), e);
    ASSERT_TRUE(rootRow && rootRow->recordCount() == 1);
    EXPECT_EQ(rootRow->value(46).toText(), "R");        // FlgQZV
    EXPECT_EQ(rootRow->value(53).toInteger(), 0);       // QZV1: no pack
    EXPECT_EQ(rootRow->value(54).toInteger(), single);  // QZV2
    const QString rootSl = rootRow->value(0).toText();

    auto singleRow = engine.openRowSet(
        QStringLiteral("SELECT * FROM invt1 WHERE RecordNum = %1").arg(single), e);
    ASSERT_TRUE(singleRow && singleRow->recordCount() == 1);
    EXPECT_EQ(singleRow->value(2).toText().trimmed(), "ALPINE SPRING WATER 500ML");
    EXPECT_EQ(singleRow->value(24).toText(), rootSl);                          // LinkBreakPack
    EXPECT_EQ(singleRow->value(46).toText(), "I");                             // FlgQZV
    EXPECT_EQ(singleRow->value(13).toInteger(), 24);                           // QTYINPACK
    EXPECT_EQ(singleRow->value(18).toCurrency(), Currency::fromScaled(6000));  // 14.40 / 24
    EXPECT_EQ(singleRow->value(8).toCurrency(), Currency::fromScaled(15000));  // Price 1.50
    EXPECT_EQ(singleRow->value(1).toText().trimmed(), "*ALPINE-001C");

    auto upc = engine.openRowSet("SELECT * FROM UPC1 WHERE UPC = '9400001999999'", e);
    ASSERT_TRUE(upc && upc->recordCount() == 1);
    EXPECT_EQ(upc->value(4).toInteger(), single);
    EXPECT_EQ(upc->value(0).toText(), singleRow->value(0).toText());
}

TEST(ProgramStart, TheDemoStoreIsMadeOnceAndThenLeftAlone) {
    test::Sandbox sb;
    DemoStore first;
    ASSERT_EQ(EnsureDemoStore(sb.services, first), QString());
    const QString db = sb.native("C:\\KT\\VOR.sqlite");
    const QByteArray before = sb.readFile("C:\\KT\\VOR.sqlite");
    DemoStore second;
    ASSERT_EQ(EnsureDemoStore(sb.services, second), QString());
    EXPECT_EQ(second.caseRecordNum, first.caseRecordNum);
    EXPECT_EQ(sb.readFile("C:\\KT\\VOR.sqlite"), before);
    EXPECT_EQ(sb.settings.getSetting("VOR Settings", "DATABASE", "DATAPATH"), "C:\\KT");
}

}  // namespace
}  // namespace qv
