// The start of the program: the command line, the search settings, the entry routine's ways to
// an end, and the whole program on the demo store.

#include "db/sqlite_engine.h"
#include "startup/command_line.h"
#include "startup/demo_store.h"
#include "startup/entry_routine.h"
#include "startup/search_settings.h"
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

class FakeGuard final : public InstanceGuard {
public:
    explicit FakeGuard(bool other) : other_(other) {}
    bool anotherInstanceRunning() override { return other_; }
    void activateOther() override { ++activations; }
    int activations = 0;

private:
    bool other_;
};

TEST(EntryRoutine, EachStartEndsRunsItsStepsAndLeavesTheValuesOfTheGoldenText) {
    const char* const ends[] = {"AlreadyRunning", "NoDataPath", "NoDatabase", "NoDataTables",
                                "MainFormClosed"};
    QString out;
    for (const test::Case& c : test::Cases("startup/entry.cases")) {
        test::Sandbox sb;
        for (const QString& answer : c.list(6)) {
            sb.boxes.expect(QString(), answer == u"y" ? BoxAnswer::Yes : BoxAnswer::No);
        }
        sb.boxes.answerUnexpected = true;
        for (const QString& setting : c.list(2, u';')) {
            sb.settings.saveSetting("VOR Settings", "DATABASE", setting.section(u'=', 0, 0),
                                    setting.section(u'=', 1));
        }
        if (c.has(3)) {
            sb.writeFile("C:\\KT\\VOR.INI", c.bytes(3));
        }
        for (const QString& folder : c.list(4, u';')) {
            sb.makeDir(folder);
        }
        // Start steps that note their calls; the two table steps succeed as the case says.
        QStringList calls;
        const auto step = [&calls](const char* name, bool result) {
            return [&calls, name, result](Session&) {
                calls << name;
                return result;
            };
        };
        StartSteps steps{step("openAllTables", c.list(5)[0] == u"y"),
                         step("openDataTables", c.list(5)[1] == u"y"),
                         [&calls](Session&) {
                             calls << "commonRates";
                             return CommonRates{};
                         },
                         [&calls](Session&) { calls << "showMainForm"; }};
        Session session{sb.services};
        FakeGuard guard(c.flag(1));
        const StartEnd end = RunEntryRoutine(session, guard, c.text(0), steps);
        const RunValues& v = session.values;
        out += QStringLiteral("--- \"%1\"\n%2 | calls %3 | activations %4\n")
                   .arg(c.text(0), QString::fromLatin1(ends[static_cast<int>(end)]),
                        calls.join(u','), QString::number(guard.activations));
        out +=
            QStringLiteral(
                "record %1 | item \"%2\" | user \"%3\" | data %4 | training %5 | "
                "search by %6 | deposits \"%7\" | ini %8 | help %9\n")
                .arg(QString::number(session.startRecordNum), v.SelectedItemID, v.UserID,
                     v.DataPath, v.TrainingMode ? "yes" : "no",
                     QString::number(v.InventorySearchBy), v.DepositDeptCode, session.gIni.File(),
                     QString(session.helpFile).replace(sb.app.programFolder, "<program>"));
        out += QStringLiteral("data path %1 | station %2 in %3 | stations %4\n")
                   .arg(session.gDataPath.DataPath(), session.gDataPath.Station(),
                        session.gDataPath.StationPath(),
                        QString::number(session.gDataPath.MaxStations()));
        out += sb.boxes.transcript();
        EXPECT_TRUE(sb.boxes.allAnswered()) << c.where();
    }
    test::ExpectGolden("startup/entry.txt", out);
}

TEST(SearchSettings, EachKnownValueSelectsItsCodeAndAnythingElseTheDefault) {
    for (const test::Case& c : test::Cases("startup/search_settings.cases")) {
        SCOPED_TRACE(c.where());
        test::Sandbox sb;
        clsINI_Services ini{sb.fs, sb.boxes};
        RunValues values;
        QByteArray file = "[Primary Search Fields]\n";
        file += c.has(0) ? "Search for Inventory by:=" + c.bytes(0) + "\n" : "";
        file += c.has(1) ? "Search for Name by:=" + c.bytes(1) + "\n" : "";
        sb.writeFile("C:\\KT\\VOR.INI", file);
        ASSERT_TRUE(ReadSearchSettings(ini, "C:\\KT", values, sb.boxes));
        EXPECT_EQ(values.InventorySearchBy, c.num(2));
        EXPECT_EQ(values.NameSearchBy, c.num(3));
        EXPECT_TRUE(values.DepositDeptCode.isEmpty());
        EXPECT_TRUE(sb.boxes.shown().empty());
    }
}

TEST(CommandLine, TheArgumentsGiveTheRecordTheUserAndTheTrainingFolder) {
    for (const test::Case& c : test::Cases("startup/command_line.cases")) {
        SCOPED_TRACE(c.where());
        RunValues values;
        EXPECT_EQ(ApplyCommandLine(c.text(0), values), c.num(1));
        EXPECT_EQ(values.SelectedItemID, c.text(2));
        EXPECT_EQ(values.UserID, c.text(3));
        EXPECT_EQ(values.TrainingMode, c.flag(4));
        if (c.flag(4)) {
            EXPECT_EQ(values.DataPath, c.text(0).section("PATH=", 1));  // kept as typed
        }
    }
}

TEST(CommandLine, ArgumentsAreJoinedAfterTheProgramName) {
    EXPECT_EQ(CommandLineText({"quorvane", "UID=12", "/USERID=ANN", "/PATH=C:\\My Data"}),
              "UID=12 /USERID=ANN /PATH=C:\\My Data");
    EXPECT_EQ(CommandLineText({"quorvane"}), QString());
}

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
          QStringLiteral("SELECT * FROM UPC1 WHERE UPC = '9400001999999'")}) {
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
