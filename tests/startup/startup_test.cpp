// The start of the program: the command line, the search settings, the entry routine's ways to
// an end, and the whole program on the demo store.

#include "sql/sqlite/sqlite_engine.h"
#include "startup/command_line.h"
#include "startup/demo_store.h"
#include "startup/entry_routine.h"
#include "startup/search_settings.h"
#include "tests/sql/engine_test_support.h"
#include "tests/support/data_files.h"
#include "tests/support/modal_driver.h"
#include "tests/support/sandbox.h"
#include "tests/support/ui_steps.h"
#include "wizard/upc_check.h"

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

const char* const kEnds[] = {"AlreadyRunning", "NoDataPath", "NoDatabase", "NoDataTables",
                             "MainFormClosed"};

TEST(EntryRoutine, EachStartEndsRunsItsStepsAndLeavesTheValuesOfTheGoldenText) {
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
                   .arg(c.text(0), QString::fromLatin1(kEnds[static_cast<int>(end)]),
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

// The rows a statement reads, one a line: the columns that are not blank or zero, and each
// row's record number (column `number`) added to `numbers`.
QString DemoRows(db::Engine& engine, const QString& select, QStringList* numbers = nullptr) {
    QString out;
    db::DbError e;
    for (auto rs = engine.openRowSet(select, e); rs && !rs->eof(); rs->moveNext()) {
        for (int i = 0; i < rs->fieldCount(); ++i) {
            const QString value = rs->value(i).toText().trimmed();
            out += value.isEmpty() || value == u"0" ? QString()
                                                    : rs->fieldName(i) + u'=' + value + u' ';
        }
        if (numbers) {
            *numbers << rs->value(40).toText();
        }
        out += u'\n';
    }
    EXPECT_TRUE(e.description.isEmpty()) << e.description.toStdString();
    return out;
}

// The whole program on the demo store, once for each line of demo_runs.cases: start-up with
// the real steps, the dialogs typed or clicked by their step tables, and what the run left.
TEST(ProgramStart, EachDemoRunLeavesTheRowsOfTheGoldenText) {
    QString out;
    for (const test::Case& c : test::Cases("startup/demo_runs.cases")) {
        SCOPED_TRACE(c.where());
        test::Sandbox sb;
        DemoStore demo;
        ASSERT_EQ(EnsureDemoStore(sb.services, demo), QString());
        for (const QString& a : c.list(2)) {
            sb.boxes.expect({}, a == u"y"   ? BoxAnswer::Yes
                                : a == u"n" ? BoxAnswer::No
                                            : BoxAnswer::Ok);
        }
        test::ModalDriver driver;
        for (const QString& dialog : c.list(3, u';')) {
            driver.on(dialog.section(u'=', 0, 0), test::StepsOn(dialog.section(u'=', 1)));
        }
        Session session(sb.services);
        FakeGuard guard(false);
        const StartEnd end =
            RunEntryRoutine(session, guard, QStringLiteral("UID=%1 /USERID=DEMO").arg(c.text(1)),
                            ProgramStartSteps());
        EXPECT_TRUE(driver.done());
        EXPECT_TRUE(sb.boxes.allAnswered());
        // The country settings come from the Common row (country 1) and "Country.set".
        out += QStringLiteral("=== %1\n%2 | tax %3 | deposits %4\n")
                   .arg(c.text(0), kEnds[static_cast<int>(end)], session.country.TaxLabel,
                        session.values.DepositDeptCode) +
               sb.boxes.transcript();
        // Read through a connection of its own: the linked items and the start item, their
        // UPC rows, and how many UPC rows there are.
        db::SqliteEngine engine(sb.native(demo.dataFolder));
        db::DbError e;
        ASSERT_TRUE(engine.connect({{}, demo.database, {}, {}}, e)) << e.description.toStdString();
        QStringList items;
        out += DemoRows(engine,
                        "SELECT * FROM invt1 WHERE FlgQZV <> ' ' OR RecordNum = " + c.text(1) +
                            " ORDER BY RecordNum",
                        &items);
        out += DemoRows(engine, "SELECT * FROM UPC1 WHERE InvUID = " +
                                    items.join(QStringLiteral(" OR InvUID = ")) +
                                    " ORDER BY InvUID, UPC") +
               DemoRows(engine, "SELECT COUNT(*) FROM UPC1");
    }
    test::ExpectGolden("startup/demo_runs.txt", out);
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
    // Every code of the store carries a right check digit.
    const QStringList codes = db::enginetest::ReadSqliteFile(db, "SELECT UPC FROM UPC1");
    EXPECT_GT(codes.size(), 100);
    for (const QString& code : codes) {
        EXPECT_EQ(WrongCheckDigit(code), std::nullopt) << code.toStdString();
    }
}

}  // namespace
}  // namespace qv
