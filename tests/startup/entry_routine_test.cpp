#include "startup/entry_routine.h"
#include "startup/search_settings.h"
#include "tests/support/sandbox.h"
#include "tests/support/shown_box.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

using test::BoxShown;

class FakeGuard final : public InstanceGuard {
public:
    explicit FakeGuard(bool other) : other_(other) {}
    bool anotherInstanceRunning() override { return other_; }
    void activateOther() override { ++activations; }
    int activations = 0;

private:
    bool other_;
};

class EntryRoutineTest : public ::testing::Test {
protected:
    test::Sandbox sb;
    Session session{sb.services};
    QStringList calls;

    // Start steps that record their calls; the two table steps succeed as asked.
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
    StartEnd start(const QString& commandLine, const StartSteps& steps, bool otherCopy = false) {
        FakeGuard guard(otherCopy);
        const StartEnd end = RunEntryRoutine(session, guard, commandLine, steps);
        activations = guard.activations;
        return end;
    }
    void store(const char* key, const char* value) {
        sb.settings.saveSetting("VOR Settings", "DATABASE", key, value);
    }
    int activations = 0;
};

TEST_F(EntryRoutineTest, ASecondCopyIsRefusedAndTheFirstIsWoken) {
    sb.boxes.expect(
        "Quorvaneis already running.\rThis Program Can Only Be Runing Once On This Machine");
    EXPECT_EQ(start("UID=12", recordingSteps(), true), StartEnd::AlreadyRunning);
    EXPECT_TRUE(BoxShown(sb.boxes, 0, box::Critical, "Quorvane"));
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(session.values.SelectedItemID.isEmpty());  // the command line was not read
}

TEST_F(EntryRoutineTest, TheUsualStartRunsEveryStepInOrder) {
    sb.writeFile("C:\\KT\\VOR.INI",
                 "[Primary Search Fields]\r\nSearch for Inventory by:=Stock Locater\r\n"
                 "[INVENTORY]\r\nDepartment Code used for Deposits and Returns=DEP\r\n");
    store("DATAPATH", "C:\\KT\\");
    EXPECT_EQ(start("UID=12 /USERID=ANN /PATH=C:\\ELSEWHERE", recordingSteps()),
              StartEnd::MainFormClosed);
    EXPECT_EQ(calls,
              QStringList({"openAllTables", "openDataTables", "commonRates", "showMainForm"}));
    EXPECT_EQ(session.startRecordNum, 12);
    EXPECT_EQ(session.values.SelectedItemID, "12");
    EXPECT_EQ(session.values.UserID, "ANN");
    // "PATH=" other than the training folder gives way to the stored data folder.
    EXPECT_EQ(session.values.DataPath, "C:\\KT");
    EXPECT_FALSE(session.values.TrainingMode);
    EXPECT_EQ(session.values.InventorySearchBy, 2);
    EXPECT_EQ(session.values.DepositDeptCode, "DEP");
    EXPECT_EQ(session.gIni.File(), "C:\\KT\\VOR.INI");
    EXPECT_EQ(session.helpFile, sb.app.programFolder + "\\Hotkeys.chm");
    EXPECT_EQ(session.gDataPath.MaxStations(), 50);
    EXPECT_TRUE(sb.boxes.shown().empty());
}

TEST_F(EntryRoutineTest, TrainingModeUsesTheFolderAsTypedAndTheStoredStation) {
    sb.makeDir("C:\\TRAINING");
    store("STATION", "7");
    EXPECT_EQ(start("PATH=c:\\training", recordingSteps()), StartEnd::MainFormClosed);
    EXPECT_TRUE(session.values.TrainingMode);
    EXPECT_EQ(session.gDataPath.DataPath(), "c:\\training");
    EXPECT_EQ(session.gDataPath.StationPath(), "c:\\training");
    EXPECT_EQ(session.gDataPath.Station(), "7");
    EXPECT_EQ(session.values.DataPath, "c:\\training");
    EXPECT_EQ(calls.size(), 4);
}

TEST_F(EntryRoutineTest, NoDataPathEndsTheStartAfterTheQuestion) {
    sb.boxes.expect(
        "A path to the VOR Data Files has not been defined\r\rDo you want to define it now?",
        BoxAnswer::No);
    EXPECT_EQ(start(QString(), recordingSteps()), StartEnd::NoDataPath);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(sb.boxes.allAnswered());
}

TEST_F(EntryRoutineTest, AnUnreadableConfigurationIsReportedAndTheStartGoesOn) {
    // Training folder that does not exist: the configuration file cannot be named.
    sb.boxes.expect("Unable to open VOR Configuration Settings File, VOR.INI.");
    EXPECT_EQ(start("PATH=C:\\TRAINING", recordingSteps()), StartEnd::MainFormClosed);
    EXPECT_TRUE(BoxShown(sb.boxes, 0, box::Ok, "Error"));
    EXPECT_EQ(session.values.InventorySearchBy, 0);
    EXPECT_TRUE(session.values.DepositDeptCode.isEmpty());
}

TEST_F(EntryRoutineTest, AFailedDatabaseStepEndsTheStartBeforeTheMainForm) {
    sb.makeDir("C:\\KT");
    store("DATAPATH", "C:\\KT");
    EXPECT_EQ(start(QString(), recordingSteps(false, true)), StartEnd::NoDatabase);
    EXPECT_EQ(calls, QStringList({"openAllTables"}));
    calls.clear();
    FakeGuard guard(false);
    Session second(sb.services);
    EXPECT_EQ(RunEntryRoutine(second, guard, QString(), recordingSteps(true, false)),
              StartEnd::NoDataTables);
    EXPECT_EQ(calls, QStringList({"openAllTables", "openDataTables"}));
}

TEST(SearchSettings, EachKnownValueSelectsItsCodeAndAnythingElseTheDefault) {
    const struct {
        const char* inventory;
        const char* name;
        int inventoryCode;
        int nameCode;
    } cases[] = {
        {"Description", "Business", 0, 3}, {"Stock Locater", "ARCode", 2, 2},
        {"description", "business", 3, 0},  // values compare exactly
        {"Item ID", nullptr, 3, 0},        {nullptr, nullptr, 3, 0},
    };
    for (const auto& c : cases) {
        test::Sandbox sb;
        clsINI_Services ini{sb.fs, sb.boxes};
        RunValues values;
        QByteArray file = "[Primary Search Fields]\n";
        if (c.inventory) {
            file += QByteArray("Search for Inventory by:=") + c.inventory + "\n";
        }
        if (c.name) {
            file += QByteArray("Search for Name by:=") + c.name + "\n";
        }
        sb.writeFile("C:\\KT\\VOR.INI", file);
        ASSERT_TRUE(ReadSearchSettings(ini, "C:\\KT", values, sb.boxes));
        EXPECT_EQ(values.InventorySearchBy, c.inventoryCode) << file.constData();
        EXPECT_EQ(values.NameSearchBy, c.nameCode) << file.constData();
        EXPECT_TRUE(values.DepositDeptCode.isEmpty());
        EXPECT_TRUE(sb.boxes.shown().empty());
    }
}

}  // namespace
}  // namespace qv
