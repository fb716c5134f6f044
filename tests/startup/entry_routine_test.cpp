#include "startup/entry_routine.h"
#include "startup/search_settings.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

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

const QString kApp = QStringLiteral("VOR Settings");
const QString kDb = QStringLiteral("DATABASE");

class EntryRoutineTest : public ::testing::Test {
protected:
    test::Sandbox sb;
    Session session{sb.services};
    QStringList calls;

    StartSteps recordingSteps(bool allTables = true, bool dataTables = true) {
        StartSteps steps;
        steps.openAllTables = [this, allTables](Session&) {
            calls << "openAllTables";
            return allTables;
        };
        steps.openDataTables = [this, dataTables](Session&) {
            calls << "openDataTables";
            return dataTables;
        };
        steps.commonRates = [this](Session&) {
            calls << "commonRates";
            return CommonRates{};
        };
        steps.showMainForm = [this](Session&) { calls << "showMainForm"; };
        return steps;
    }

    void storeDataPath(const QString& path) {
        sb.settings.saveSetting(kApp, kDb, "DATAPATH", path);
    }
};

TEST_F(EntryRoutineTest, ASecondCopyIsRefusedAndTheFirstIsWoken) {
    FakeGuard guard(true);
    sb.boxes.expect(
        QStringLiteral("Quorvaneis already running.\r"
                       "This Program Can Only Be Runing Once On This Machine"));
    EXPECT_EQ(RunEntryRoutine(session, guard, QStringLiteral("UID=12"), recordingSteps()),
              StartEnd::AlreadyRunning);
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].style, box::Critical);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Quorvane"));
    EXPECT_EQ(guard.activations, 1);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(session.values.SelectedItemID.isEmpty());  // the command line was not read
}

TEST_F(EntryRoutineTest, TheUsualStartRunsEveryStepInOrder) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    sb.writeFile(QStringLiteral("C:\\KT\\VOR.INI"),
                 "[Primary Search Fields]\r\nSearch for Inventory by:=Stock Locater\r\n"
                 "[INVENTORY]\r\nDepartment Code used for Deposits and Returns=DEP\r\n");
    storeDataPath(QStringLiteral("C:\\KT\\"));
    FakeGuard guard(false);
    EXPECT_EQ(
        RunEntryRoutine(session, guard, QStringLiteral("UID=12 /USERID=ANN /PATH=C:\\ELSEWHERE"),
                        recordingSteps()),
        StartEnd::MainFormClosed);
    EXPECT_EQ(calls,
              QStringList({"openAllTables", "openDataTables", "commonRates", "showMainForm"}));
    EXPECT_EQ(session.startRecordNum, 12);
    EXPECT_EQ(session.values.SelectedItemID, QStringLiteral("12"));
    EXPECT_EQ(session.values.UserID, QStringLiteral("ANN"));
    // "PATH=" other than the training folder gives way to the stored data folder.
    EXPECT_EQ(session.values.DataPath, QStringLiteral("C:\\KT"));
    EXPECT_FALSE(session.values.TrainingMode);
    EXPECT_EQ(session.values.InventorySearchBy, 2);
    EXPECT_EQ(session.values.DepositDeptCode, QStringLiteral("DEP"));
    EXPECT_EQ(session.gIni.File(), QStringLiteral("C:\\KT\\VOR.INI"));
    EXPECT_EQ(session.helpFile, sb.app.programFolder + QStringLiteral("\\Hotkeys.chm"));
    EXPECT_EQ(session.gDataPath.MaxStations(), 50);
    EXPECT_TRUE(sb.boxes.shown().empty());
}

TEST_F(EntryRoutineTest, TrainingModeUsesTheFolderAsTypedAndTheStoredStation) {
    sb.makeDir(QStringLiteral("C:\\TRAINING"));
    sb.settings.saveSetting(kApp, kDb, "STATION", "7");
    FakeGuard guard(false);
    EXPECT_EQ(
        RunEntryRoutine(session, guard, QStringLiteral("PATH=c:\\training"), recordingSteps()),
        StartEnd::MainFormClosed);
    EXPECT_TRUE(session.values.TrainingMode);
    EXPECT_EQ(session.gDataPath.DataPath(), QStringLiteral("c:\\training"));
    EXPECT_EQ(session.gDataPath.StationPath(), QStringLiteral("c:\\training"));
    EXPECT_EQ(session.gDataPath.Station(), QStringLiteral("7"));
    EXPECT_EQ(session.values.DataPath, QStringLiteral("c:\\training"));
    EXPECT_EQ(calls.size(), 4);
}

TEST_F(EntryRoutineTest, NoDataPathEndsTheStartAfterTheQuestion) {
    FakeGuard guard(false);
    sb.boxes.expect(QStringLiteral("A path to the VOR Data Files has not been defined\r\r"
                                   "Do you want to define it now?"),
                    BoxAnswer::No);
    EXPECT_EQ(RunEntryRoutine(session, guard, QString(), recordingSteps()), StartEnd::NoDataPath);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(sb.boxes.allAnswered());
}

TEST_F(EntryRoutineTest, AnUnreadableConfigurationIsReportedAndTheStartGoesOn) {
    // Training folder that does not exist: the configuration file cannot be named.
    FakeGuard guard(false);
    sb.boxes.expect(QStringLiteral("Unable to open VOR Configuration Settings File, VOR.INI."));
    EXPECT_EQ(
        RunEntryRoutine(session, guard, QStringLiteral("PATH=C:\\TRAINING"), recordingSteps()),
        StartEnd::MainFormClosed);
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Error"));
    EXPECT_EQ(sb.boxes.shown()[0].style, box::Ok);
    EXPECT_EQ(session.values.InventorySearchBy, 0);
    EXPECT_TRUE(session.values.DepositDeptCode.isEmpty());
}

TEST_F(EntryRoutineTest, AFailedDatabaseStepEndsTheStartBeforeTheMainForm) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    storeDataPath(QStringLiteral("C:\\KT"));
    {
        FakeGuard guard(false);
        EXPECT_EQ(RunEntryRoutine(session, guard, QString(), recordingSteps(false, true)),
                  StartEnd::NoDatabase);
        EXPECT_EQ(calls, QStringList({"openAllTables"}));
    }
    calls.clear();
    Session second(sb.services);
    FakeGuard guard(false);
    StartSteps steps = recordingSteps(true, false);
    EXPECT_EQ(RunEntryRoutine(second, guard, QString(), steps), StartEnd::NoDataTables);
    EXPECT_EQ(calls, QStringList({"openAllTables", "openDataTables"}));
}

class SearchSettingsTest : public ::testing::Test {
protected:
    test::Sandbox sb;
    clsINI_Services ini{sb.fs, sb.boxes};
    RunValues values;

    bool read(const QByteArray& ini_text) {
        sb.writeFile(QStringLiteral("C:\\KT\\VOR.INI"), ini_text);
        return ReadSearchSettings(ini, QStringLiteral("C:\\KT"), values, sb.boxes);
    }
};

TEST_F(SearchSettingsTest, EachKnownValueSelectsItsCode) {
    ASSERT_TRUE(
        read("[Primary Search Fields]\nSearch for Inventory by:=Description\n"
             "Search for Name by:=Business\n"));
    EXPECT_EQ(values.InventorySearchBy, 0);
    EXPECT_EQ(values.NameSearchBy, 3);
    ASSERT_TRUE(
        read("[Primary Search Fields]\nSearch for Inventory by:=Stock Locater\n"
             "Search for Name by:=ARCode\n"));
    EXPECT_EQ(values.InventorySearchBy, 2);
    EXPECT_EQ(values.NameSearchBy, 2);
}

TEST_F(SearchSettingsTest, OtherValuesAndOtherSpellingsFallToTheDefaults) {
    // Values compare exactly: a different case is another value.
    ASSERT_TRUE(
        read("[Primary Search Fields]\nSearch for Inventory by:=description\n"
             "Search for Name by:=business\n"));
    EXPECT_EQ(values.InventorySearchBy, 3);
    EXPECT_EQ(values.NameSearchBy, 0);
    ASSERT_TRUE(read("[Primary Search Fields]\nSearch for Inventory by:=Item ID\n"));
    EXPECT_EQ(values.InventorySearchBy, 3);
    ASSERT_TRUE(read(""));
    EXPECT_EQ(values.InventorySearchBy, 3);
    EXPECT_EQ(values.NameSearchBy, 0);
    EXPECT_TRUE(values.DepositDeptCode.isEmpty());
    EXPECT_TRUE(sb.boxes.shown().empty());
}

}  // namespace
}  // namespace qv
