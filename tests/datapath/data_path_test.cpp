#include "datapath/data_path.h"
#include "settings/ini_services.h"
#include "tests/support/sandbox.h"
#include "tests/support/shown_box.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

namespace qv {
namespace {

using test::BoxShown;

const QString kApp = QStringLiteral("VOR Settings");
const QString kNotDefined = QStringLiteral(
    "A path to the VOR Data Files has not been defined\r\rDo you want to define it now?");
const QString kDataNotFound =
    QStringLiteral("Data Path Not Found.\r\rUse the Browse method to find a valid path.");
const QString kRetry =
    QStringLiteral("Server not found. Check Server and Network Connections.\r\n Retry?");

QString createQuestion(const QString& path, const QString& kind) {
    return path + "\r" + kind + " Path Does Not Exist\rDo you want to create it?";
}

// Message boxes that answer from the sandbox's script and then run an action, for a world
// that changes while a box is up.
class ActingBoxes final : public MessageBoxes {
public:
    ActingBoxes(MessageBoxes& inner, std::function<void(int shown)> act)
        : inner_(inner), act_(std::move(act)) {}
    BoxAnswer show(int style, const QString& title, const QString& text) override {
        const BoxAnswer answer = inner_.show(style, title, text);
        act_(++count_);
        return answer;
    }

private:
    MessageBoxes& inner_;
    std::function<void(int)> act_;
    int count_ = 0;
};

class DataPathTest : public ::testing::Test {
protected:
    test::Sandbox sb;
    clsINI_Services ini{sb.fs, sb.boxes};
    RunValues run;
    int dialogShown = 0;
    // What the stand-in for the Station and Data Path dialog does when shown.
    std::function<void(clsDataPath&)> onDialog;
    clsDataPath dp{sb.services, ini, run, [this](clsDataPath& d) {
                       ++dialogShown;
                       if (onDialog) {
                           onDialog(d);
                       }
                   }};

    QString stored(const QString& key) const {
        return sb.settings.getSetting(kApp, "DATABASE", key, "<none>");
    }
    void store(const QString& key, const QString& value) {
        sb.settings.saveSetting(kApp, "DATABASE", key, value);
    }
    bool folderOnDisk(const QString& path) const { return QFileInfo(sb.native(path)).isDir(); }
    void writeProgramUpperAlt(const QByteArray& content) {
        QFile program(sb.app.programFolder + "/upper.alt");
        ASSERT_TRUE(program.open(QIODevice::WriteOnly));
        program.write(content);
    }
    // The object as OpenDataPath leaves it, for validation tests.
    void prepare(const QString& dataPath, bool createPath = false) {
        dp.setAppLabel(kApp);
        dp.setMaxStations(50);
        dp.setDataPath(dataPath);
        dp.setStationPath(dataPath);
        dp.setCreatePath(createPath);
    }
};

// ---------------------------------------------------------------------------------------------
// Settings

TEST_F(DataPathTest, SaveThenReadWithoutDefaultsGivesTheSameFiveValuesAndDeleteRemovesThem) {
    EXPECT_EQ(dp.StationLabel(), "Station 1 of 4");
    EXPECT_FALSE(dp.Valid());
    dp.setDataPath("C:\\KT");
    EXPECT_FALSE(dp.Save()) << "no application name";
    EXPECT_EQ(sb.settings.size(), 0);

    sb.makeDir("C:\\KT");
    ini.File_Name("C:\\KT\\VOR.INI");
    dp.setAppLabel(kApp);
    dp.setMaxStations(12);
    dp.setStation("3");
    dp.setStationPath("C:\\KT\\STA");
    dp.setTestPath("Y");
    ASSERT_TRUE(dp.Save());
    EXPECT_EQ(stored("NETWORK"), "False");
    EXPECT_EQ(stored("STATION"), "3");
    EXPECT_EQ(stored("STATIONPATH"), "C:\\KT\\STA");
    EXPECT_EQ(stored("DATAPATH"), "C:\\KT");
    EXPECT_EQ(stored("TESTDATA"), "Y");
    EXPECT_EQ(dp.StationLabel(), "Station 3 of 12");
    EXPECT_TRUE(sb.readFile("C:\\KT\\VOR.INI").contains("Datapath=C:\\KT"));
    EXPECT_EQ(ini.GetValue("MISCELLANEOUS", "Datapath"), "C:\\KT");

    clsDataPath again(sb.services, ini, run, [](clsDataPath&) {});
    again.setNetwork(true);
    again.setTestPath("old");
    again.Read(true, kApp);
    EXPECT_EQ(again.AppLabel(), kApp);
    EXPECT_FALSE(again.Network());
    EXPECT_EQ(again.Station(), "3");
    EXPECT_EQ(again.StationPath(), "C:\\KT\\STA");
    EXPECT_EQ(again.DataPath(), "C:\\KT");
    EXPECT_EQ(again.TestPath(), "Y");
    EXPECT_EQ(again.StationLabel(), "Station 3 of 4");

    store("DBName", "Store");
    dp.Delete();
    EXPECT_EQ(sb.settings.size(), 1);
    EXPECT_EQ(stored("DBName"), "Store");
}

TEST_F(DataPathTest, NetworkIsStoredAsTrueOrFalseAndReadBackInAnyCase) {
    dp.setAppLabel(kApp);
    dp.setNetwork(true);
    dp.Save();
    EXPECT_EQ(stored("NETWORK"), "True");
    const std::pair<const char*, bool> cases[] = {
        {"TRUE", true}, {"false", false}, {"-1", true},
        {"0", false},   {"   ", false},   {"maybe", false},
    };
    for (const auto& [text, expected] : cases) {
        store("NETWORK", text);
        dp.setNetwork(!expected);
        dp.Read(true);
        EXPECT_EQ(dp.Network(), expected) << text;
    }
}

TEST_F(DataPathTest, ReadWithDefaultsFillsTheGapsAndLeavesTheTrainingFlag) {
    dp.setAppLabel(kApp);
    dp.setDefaultStation("2");
    dp.setDefaultDataPath("  C:\\KT  ");
    dp.setDefaultStationPath("C:\\ST");
    dp.setDefaultNetwork(true);
    dp.setTestPath("Y");
    store("TESTDATA", "N");
    dp.Read();
    EXPECT_EQ(dp.Station(), "2");
    EXPECT_EQ(dp.DataPath(), "C:\\KT");
    EXPECT_EQ(dp.StationPath(), "C:\\ST");
    EXPECT_TRUE(dp.Network());
    EXPECT_EQ(dp.TestPath(), "Y");
    EXPECT_EQ(dp.StationLabel(), "Station 2 of 4");

    // With defaults suppressed a missing key reads as empty and the training flag is read.
    dp.Read(true);
    EXPECT_TRUE(dp.Station().isEmpty());
    EXPECT_TRUE(dp.DataPath().isEmpty());
    EXPECT_FALSE(dp.Network());
    EXPECT_EQ(dp.TestPath(), "N");

    // The start's own read takes the stored folder without surrounding blanks.
    store("DATAPATH", "  C:\\My Data  ");
    dp.setAppLabel(QString());
    dp.gpDataPathRead();
    EXPECT_EQ(dp.AppLabel(), kApp);
    EXPECT_EQ(dp.DataPath(), "C:\\My Data");
}

// ---------------------------------------------------------------------------------------------
// Validation

TEST_F(DataPathTest, AStationOutOfRangeOrNoNumberBecomesStationOneAndStaysValid) {
    sb.makeDir("C:\\KT");
    prepare("C:\\KT");
    dp.setMaxStations(4);
    for (const char* bad : {"7", "abc", "2x", "", "0", "-3"}) {
        dp.setStation(bad);
        EXPECT_TRUE(dp.Validate(false)) << bad;
        EXPECT_TRUE(dp.Valid());
        EXPECT_EQ(dp.Station(), "1") << bad;
        EXPECT_EQ(dp.FieldKey(), "STATION");
    }
    dp.setStation("4");
    EXPECT_TRUE(dp.Validate(false));
    EXPECT_EQ(dp.Station(), "4");
    EXPECT_TRUE(dp.FieldKey().isEmpty());
    EXPECT_TRUE(sb.boxes.shown().empty());
}

TEST_F(DataPathTest, AMissingDataFolderFailsAndRestoresEveryValue) {
    prepare("C:\\NOPE");
    EXPECT_FALSE(dp.Validate(true));  // silent: no box
    EXPECT_EQ(dp.FieldKey(), "DATAPATH");
    EXPECT_TRUE(sb.boxes.shown().empty());

    dp.setMaxStations(4);
    dp.setStation("7");
    dp.setNetwork(true);
    sb.boxes.expect(kDataNotFound);
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_FALSE(dp.Valid());
    EXPECT_EQ(dp.FieldKey(), "DATAPATH");
    // The station reset of the first step is undone with the rest.
    EXPECT_EQ(dp.Station(), "7");
    EXPECT_EQ(dp.DataPath(), "C:\\NOPE");
    EXPECT_EQ(dp.StationPath(), "C:\\NOPE");
    EXPECT_TRUE(dp.Network());
    EXPECT_TRUE(BoxShown(sb.boxes, 0, box::Information, "Validation"));
}

TEST_F(DataPathTest, TheStationFolderAndStationFileAreCheckedBeforeTheDataFolder) {
    prepare("C:\\NOPE");
    dp.setStationPathEnabled(true);
    dp.setStationPath("C:\\NOSTATION");
    sb.boxes.expect("Station Path Not Found.\r\rUse the Browse method to find a valid path.");
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_EQ(dp.FieldKey(), "STATIONPATH");

    sb.makeDir("C:\\KT");
    dp.setDataPath("C:\\KT");
    dp.setStation("3");
    dp.setStationPath("C:\\KT\\");
    sb.boxes.expect(
        "Station 3 not in Station Path.\r\rSelect another Station or change the Station Path.");
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_EQ(dp.FieldKey(), "STATIONPATH");
    EXPECT_EQ(dp.Station(), "3");
    EXPECT_EQ(dp.StationPath(), "C:\\KT\\");
    EXPECT_EQ(dp.DataPath(), "C:\\KT");

    // The file name is the station text unpadded; its case on disk does not matter.
    sb.writeFile("C:\\KT\\sta3.vor", "");
    EXPECT_TRUE(dp.Validate(false));
    dp.setStation("4");
    dp.setSupressFileCheck(true);
    EXPECT_TRUE(dp.Validate(false));
}

TEST_F(DataPathTest, APrimaryFileMissingFromTheDataFolderFails) {
    sb.makeDir("C:\\KT");
    prepare("C:\\KT");
    dp.setCheckFile("INVT.VOR");
    sb.boxes.expect(
        "Primary Data File Not Found.\r\rThere is no 'INVT.VOR' file in the specified data path.");
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_EQ(dp.FieldKey(), "DATAPATH");
    sb.writeFile("C:\\KT\\INVT.VOR", "x");
    EXPECT_TRUE(dp.Validate(false));
}

// ---------------------------------------------------------------------------------------------
// Creating a missing folder

TEST_F(DataPathTest, AMissingFolderIsCreatedAfterYesOnly) {
    sb.makeDir("D:\\");
    prepare("D:\\NEW\\", true);
    sb.boxes.expect(createQuestion("D:\\NEW\\", "Data"), BoxAnswer::No).expect(kDataNotFound);
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_FALSE(folderOnDisk("D:\\NEW"));
    EXPECT_TRUE(sb.boxes.allAnswered());
    EXPECT_TRUE(BoxShown(sb.boxes, 0, box::YesNo, "Quorvane"));

    sb.boxes.expect(createQuestion("D:\\NEW\\", "Data"), BoxAnswer::Yes);
    EXPECT_TRUE(dp.Validate(false));
    EXPECT_TRUE(folderOnDisk("D:\\NEW"));
    EXPECT_EQ(dp.DataPath(), "D:\\NEW\\");

    // The station folder is offered as a station path.
    dp.setStationPathEnabled(true);
    dp.setSupressFileCheck(true);
    dp.setStationPath("D:\\STA");
    sb.boxes.expect(createQuestion("D:\\STA", "Station"), BoxAnswer::Yes);
    EXPECT_TRUE(dp.Validate(false));
    EXPECT_TRUE(folderOnDisk("D:\\STA"));
}

TEST_F(DataPathTest, FolderNamesWithBlanksAndAccentsAreCreatedAsTyped) {
    sb.makeDir("C:\\My Data");
    const QString path = QStringLiteral("C:\\My Data\\Caisse Été ñ");
    prepare(path, true);
    sb.boxes.expect(createQuestion(path, "Data"), BoxAnswer::Yes);
    EXPECT_TRUE(dp.Validate(false));
    EXPECT_EQ(QDir(sb.native("C:\\My Data")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Caisse Été ñ")});
    // Found again under another case.
    dp.setCreatePath(false);
    dp.setDataPath(QStringLiteral("c:\\my data\\caisse été ñ"));
    EXPECT_TRUE(dp.Validate(false));
}

TEST_F(DataPathTest, AFolderThatCannotBeMadeSaysWhyAndFails) {
    sb.writeFile("C:\\KT\\VOR.INI", "[MISCELLANEOUS]\r\n");
    const QString locked = sb.makeDir("C:\\LOCKED");
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const struct {
        const char* path;
        const char* why;
    } cases[] = {
        {"C:\\A\\B", "No such file or directory"},  // two levels deep
        {"C:\\KT\\VOR.INI", "File exists"},
        {"C:\\LOCKED\\NEW", "Permission denied"},
    };
    for (const auto& c : cases) {
        if (::geteuid() == 0 && QByteArray(c.why) == "Permission denied") {
            continue;  // folder permissions do not bind the super-user
        }
        SCOPED_TRACE(c.path);
        sb.boxes.clear();
        prepare(c.path, true);
        sb.boxes.expect(createQuestion(c.path, "Data"), BoxAnswer::Yes)
            .expect(QStringLiteral("Unable To Create Path\r") + c.why)
            .expect(kDataNotFound);
        EXPECT_FALSE(dp.Validate(false));
        EXPECT_TRUE(sb.boxes.allAnswered());
        EXPECT_TRUE(BoxShown(sb.boxes, 1, box::Critical, "Quorvane"));
    }
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(folderOnDisk("C:\\A"));
    EXPECT_EQ(sb.readFile("C:\\KT\\VOR.INI"), "[MISCELLANEOUS]\r\n");

    // A file where the folder should be is no folder; a blank folder is not offered.
    for (const char* path : {"C:\\KT\\VOR.INI", "   "}) {
        prepare(path, QByteArray(path).trimmed().isEmpty());
        sb.boxes.clear();
        sb.boxes.expect(kDataNotFound);
        EXPECT_FALSE(dp.Validate(false)) << path;
        EXPECT_TRUE(sb.boxes.allAnswered()) << path;
    }
}

// ---------------------------------------------------------------------------------------------
// Opening at start

TEST_F(DataPathTest, NoSettingsAsksForAFolderAndNoEndsTheStart) {
    sb.boxes.expect(kNotDefined, BoxAnswer::No);
    EXPECT_FALSE(OpenDataPath(dp, 4));
    EXPECT_EQ(dialogShown, 0);
    EXPECT_TRUE(BoxShown(sb.boxes, 0, box::YesNo + box::Question, "Quorvane"));
    EXPECT_EQ(dp.AppLabel(), kApp);
}

TEST_F(DataPathTest, YesShowsTheDialogReadyToCreateAFolderAndCancelEndsTheStart) {
    bool createPath = false;
    bool stationList = false;
    onDialog = [&](clsDataPath& d) {
        createPath = d.CreatePath();
        stationList = d.StationNumberEnabled();
        d.setDataPath("C:\\KT");
    };
    sb.boxes.expect(kNotDefined, BoxAnswer::Yes);
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_EQ(dialogShown, 1);
    EXPECT_TRUE(createPath);
    EXPECT_TRUE(stationList);
    EXPECT_EQ(dp.DataPath(), "C:\\KT");

    dp.setDataPath(QString());
    onDialog = [](clsDataPath& d) { d.setCancelled(true); };
    sb.boxes.expect(kNotDefined, BoxAnswer::Yes);
    EXPECT_FALSE(OpenDataPath(dp, 4));
    EXPECT_EQ(dialogShown, 2);
}

TEST_F(DataPathTest, AStoredFolderOpensWithoutItsTrailingBackslashAndAtLeastFiftyStations) {
    sb.makeDir("C:\\KT");
    store("DATAPATH", "C:\\KT\\");
    store("STATION", "2");
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_EQ(dp.DataPath(), "C:\\KT");
    EXPECT_EQ(dp.Station(), "2");
    EXPECT_TRUE(dp.StationNumberEnabled());
    EXPECT_TRUE(sb.boxes.shown().empty());
    EXPECT_EQ(dialogShown, 0);
    EXPECT_EQ(stored("DATAPATH"), "C:\\KT\\");  // opening reads; it does not write

    for (const auto& [asked, expected] :
         {std::pair{4, 50}, std::pair{60, 60}, std::pair{51, 51}, std::pair{-7, 50}}) {
        ASSERT_TRUE(OpenDataPath(dp, static_cast<std::int16_t>(asked)));
        EXPECT_EQ(dp.MaxStations(), expected) << asked;
    }
}

TEST_F(DataPathTest, AStoredFolderThatIsGoneIsDroppedSilentlyAndAskedFor) {
    store("DATAPATH", "C:\\GONE");
    sb.boxes.expect(kNotDefined, BoxAnswer::No);
    EXPECT_FALSE(OpenDataPath(dp, 4));
    EXPECT_TRUE(dp.DataPath().isEmpty());
    EXPECT_EQ(sb.boxes.shown().size(), 1u);

    // With the local safe folder present, the server is asked for first.
    sb.boxes.clear();
    sb.makeDir("C:\\vorsafe");
    sb.boxes.expect(kRetry, BoxAnswer::No).expect(kNotDefined, BoxAnswer::No);
    EXPECT_FALSE(OpenDataPath(dp, 4));
    EXPECT_TRUE(BoxShown(sb.boxes, 0, box::YesNo + box::Question, "Network Error"));
}

TEST_F(DataPathTest, OnANetworkAMissingFolderReportsTheNetworkDown) {
    store("NETWORK", "True");
    store("DATAPATH", "\\\\SERVER\\KT");
    sb.boxes.expect(
        "The network is currently down or is not set up properly. "
        "Please contact your network administrator for help.");
    EXPECT_FALSE(OpenDataPath(dp, 4));
    EXPECT_EQ(dialogShown, 0);
    EXPECT_TRUE(BoxShown(sb.boxes, 0, box::Ok, "Network Not Found"));

    sb.makeDir("\\\\SERVER\\KT");
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_TRUE(dp.Network());
}

TEST_F(DataPathTest, UpperAltIsCopiedFromTheProgramFolderOnlyWhenMissing) {
    sb.makeDir("C:\\KT");
    store("DATAPATH", "C:\\KT");
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_TRUE(QDir(sb.native("C:\\KT")).entryList(QDir::Files).isEmpty()) << "no program copy";

    writeProgramUpperAlt("ALT TABLE\r\n");
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_EQ(sb.readFile("C:\\KT\\upper.alt"), "ALT TABLE\r\n");

    QFile::remove(sb.native("C:\\KT\\upper.alt"));
    sb.writeFile("C:\\KT\\UPPER.ALT", "STORE OWN\r\n");
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_EQ(sb.readFile("C:\\KT\\UPPER.ALT"), "STORE OWN\r\n");
    EXPECT_EQ(QDir(sb.native("C:\\KT")).entryList(QDir::Files), QStringList{"UPPER.ALT"});
}

// ---------------------------------------------------------------------------------------------
// Reaching the data folder

TEST_F(DataPathTest, TheSafeCheckRetriesUntilTheFolderAnswersOrTheUserGivesUp) {
    ActingBoxes acting(sb.boxes, [this](int shown) {
        if (shown == 2) {
            sb.makeDir("C:\\SERVER");
        }
    });
    Services services{acting, sb.settings, sb.fs, sb.app};
    clsDataPath path(services, ini, run, [](clsDataPath&) {});
    path.setDataPath("C:\\SERVER");
    sb.boxes.expect(kRetry, BoxAnswer::Yes).expect(kRetry, BoxAnswer::Yes);
    EXPECT_TRUE(CheckSafeFolder(path));
    EXPECT_EQ(sb.boxes.shown().size(), 2u);

    dp.setDataPath("C:\\OTHER");
    sb.boxes.expect(kRetry, BoxAnswer::Yes).expect(kRetry, BoxAnswer::No);
    EXPECT_FALSE(CheckSafeFolder(dp));
    EXPECT_FALSE(run.LocalSafeMode);
}

TEST_F(DataPathTest, AnUnreachableSafeFolderTurnsOnLocalSafeMode) {
    sb.makeDir("C:\\KT");
    dp.setDataPath("C:\\KT");
    EXPECT_TRUE(CheckSafeFolder(dp));
    EXPECT_FALSE(run.LocalSafeMode);

    dp.setDataPath("C:\\vorsafe");
    EXPECT_FALSE(CheckSafeFolder(dp));
    EXPECT_TRUE(run.LocalSafeMode);
    // Once on, the check passes without looking.
    dp.setDataPath("C:\\ANYWHERE");
    EXPECT_TRUE(CheckSafeFolder(dp));
    EXPECT_TRUE(sb.boxes.shown().empty());
}

// ---------------------------------------------------------------------------------------------
// The class's own opening and change routines

TEST_F(DataPathTest, TheClassOpeningUsesTheStationFolderAndLeavesUpperAlt) {
    sb.makeDir("C:\\KT");
    sb.makeDir("C:\\ST");
    writeProgramUpperAlt("ALT");
    store("DATAPATH", "C:\\KT\\");
    store("STATIONPATH", "C:\\ST\\");
    store("STATION", "3");
    // No STA3.VOR: the file checks are off whenever the station folder is on.
    EXPECT_TRUE(dp.gfbVOR_DataPath_open(true, 10, QString(), false));
    EXPECT_TRUE(dp.StationPathEnabled());
    EXPECT_TRUE(dp.SupressFileCheck());
    EXPECT_FALSE(dp.StationNumberEnabled());
    EXPECT_EQ(dp.DataPath(), "C:\\KT");
    EXPECT_EQ(dp.StationPath(), "C:\\ST");
    EXPECT_EQ(dp.DefaultDataPath(), "C:\\KT");
    EXPECT_EQ(dp.DefaultStationPath(), "C:\\KT");
    EXPECT_EQ(dp.MaxStations(), 50);
    EXPECT_FALSE(QFileInfo::exists(sb.native("C:\\KT\\upper.alt")));
}

TEST_F(DataPathTest, TheClassOpeningChecksAMissingStationFolder) {
    sb.makeDir("C:\\KT");
    store("DATAPATH", "C:\\KT");
    store("STATIONPATH", "C:\\NOSTATION");
    bool stationList = true;
    onDialog = [&](clsDataPath& d) { stationList = d.StationNumberEnabled(); };
    sb.boxes.expect(kNotDefined, BoxAnswer::Yes);
    EXPECT_FALSE(dp.gfbVOR_DataPath_open(true, 4, "D:\\ALT", false));
    EXPECT_EQ(dialogShown, 1);
    EXPECT_FALSE(stationList);
    EXPECT_EQ(dp.DefaultDataPath(), "D:\\ALT");
}

TEST_F(DataPathTest, ChangeReportsWhetherTheDialogChangedAnything) {
    dp.setStation("2");
    dp.setDataPath("C:\\KT");
    dp.setStationPath("C:\\KT");
    bool createPath = false;
    onDialog = [&](clsDataPath& d) { createPath = d.CreatePath(); };
    EXPECT_FALSE(dp.gfbVOR_DataPath_change(true));
    EXPECT_TRUE(createPath);
    EXPECT_EQ(dp.AppLabel(), kApp);

    onDialog = [](clsDataPath& d) { d.setDataPath("C:\\kt"); };
    EXPECT_TRUE(dp.gfbVOR_DataPath_change(false));
    onDialog = [](clsDataPath& d) { d.setStation("3"); };
    EXPECT_TRUE(dp.gfbVOR_DataPath_change(false));
    EXPECT_EQ(dialogShown, 3);
}

}  // namespace
}  // namespace qv
