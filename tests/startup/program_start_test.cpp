#include "db/sqlite_engine.h"
#include "startup/demo_store.h"
#include "startup/entry_routine.h"
#include "tests/support/data_files.h"
#include "tests/support/sandbox.h"
#include "tests/support/ui_steps.h"
#include "wizard/frm_break_down.h"
#include "wizard/frm_main.h"
#include "wizard/frm_pack_qty.h"

#include <gtest/gtest.h>
#include <QtWidgets>

namespace qv {
namespace {

class NoOtherCopy final : public InstanceGuard {
public:
    bool anotherInstanceRunning() override { return false; }
    void activateOther() override {}
};

// The whole program on the demo store: start-up with the real steps, the units dialog, one
// single item made from the case and saved, and the exit that links it to the root.
TEST(ProgramStart, DemoCaseSoldBySingleIsLinkedEndToEnd) {
    test::Sandbox sb;
    DemoStore demo;
    ASSERT_EQ(EnsureDemoStore(sb.services, demo), QString());
    const std::int32_t root = demo.caseRecordNum;

    // Each dialog answered by its step table.
    std::vector<QString> shown;
    ShowModalFn script = [&](QDialog& d) {
        shown.push_back(d.objectName());
        if (auto* units = dynamic_cast<FrmBreakDown*>(&d)) {
            units->Form_Activate();  // what showing it does
        }
        test::StepsOn("startup/demo_" + d.objectName() + ".steps")(&d);
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

    // What is in the database, read through a connection of its own: the linked items, the root
    // linked to the single (QZV2), the single (cost 14.40 / 24) and its UPC row.
    db::SqliteEngine engine(sb.native(demo.dataFolder));
    db::DbError e;
    ASSERT_TRUE(engine.connect({{}, demo.database, {}, {}}, e)) << e.description.toStdString();
    QString rows;
    for (const QString& select :
         {QStringLiteral("SELECT * FROM invt1 WHERE FlgQZV <> ' ' ORDER BY RecordNum"),
          QStringLiteral("SELECT * FROM UPC1 WHERE UPC = '9400001999998'")}) {
        for (auto rs = engine.openRowSet(select, e); rs && !rs->eof(); rs->moveNext()) {
            for (int i = 0; i < rs->fieldCount(); ++i) {
                const QString value = rs->value(i).toText().trimmed();
                rows += value.isEmpty() || value == u"0" ? QString()
                                                         : rs->fieldName(i) + u'=' + value + u' ';
            }
            rows += u'\n';
        }
    }
    test::ExpectGolden("startup/demo_run_rows.txt", rows);
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
