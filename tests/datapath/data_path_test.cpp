#include "datapath/data_path.h"
#include "settings/ini_services.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

namespace qv {
namespace {

const QString kApp = QStringLiteral("VOR Settings");
const QString kSection = QStringLiteral("DATABASE");
const QString kNotDefined = QStringLiteral(
    "A path to the VOR Data Files has not been defined\r\rDo you want to define it now?");
const QString kDataNotFound =
    QStringLiteral("Data Path Not Found.\r\rUse the Browse method to find a valid path.");
const QString kRetry =
    QStringLiteral("Server not found. Check Server and Network Connections.\r\n Retry?");

QString createQuestion(const QString& path, const QString& kind) {
    return path + QStringLiteral("\r") + kind +
           QStringLiteral(" Path Does Not Exist\rDo you want to create it?");
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
        return sb.settings.getSetting(kApp, kSection, key, QStringLiteral("<none>"));
    }
    void store(const QString& key, const QString& value) {
        sb.settings.saveSetting(kApp, kSection, key, value);
    }
    bool folderOnDisk(const QString& path) const { return QFileInfo(sb.native(path)).isDir(); }
    // The object as OpenDataPath leaves it, for validation tests.
    void prepare(const QString& dataPath) {
        dp.setAppLabel(kApp);
        dp.setMaxStations(50);
        dp.setDataPath(dataPath);
        dp.setStationPath(dataPath);
    }
};

// ---------------------------------------------------------------------------------------------
// A new object and its settings

TEST_F(DataPathTest, ANewObjectStartsWithItsInitialValues) {
    EXPECT_EQ(dp.Title(), QStringLiteral("Station and Data Path"));
    EXPECT_EQ(dp.Station(), QStringLiteral("1"));
    EXPECT_EQ(dp.DefaultStation(), QStringLiteral("1"));
    EXPECT_EQ(dp.MaxStations(), 4);
    EXPECT_EQ(dp.StationLabel(), QStringLiteral("Station 1 of 4"));
    EXPECT_TRUE(dp.DataPath().isEmpty());
    EXPECT_TRUE(dp.AppLabel().isEmpty());
    EXPECT_FALSE(dp.Network());
    EXPECT_FALSE(dp.Valid());
    EXPECT_FALSE(dp.CreatePath());
    EXPECT_FALSE(dp.StationNumberEnabled());
    EXPECT_TRUE(dp.FieldKey().isEmpty());
}

TEST_F(DataPathTest, SaveThenReadWithoutDefaultsGivesTheSameFiveValues) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    ini.File_Name(QStringLiteral("C:\\KT\\VOR.INI"));
    dp.setAppLabel(kApp);
    dp.setMaxStations(12);
    dp.setNetwork(false);
    dp.setStation(QStringLiteral("3"));
    dp.setStationPath(QStringLiteral("C:\\KT\\STA"));
    dp.setDataPath(QStringLiteral("C:\\KT"));
    dp.setTestPath(QStringLiteral("Y"));
    ASSERT_TRUE(dp.Save());

    EXPECT_EQ(stored(QStringLiteral("NETWORK")), QStringLiteral("False"));
    EXPECT_EQ(stored(QStringLiteral("STATION")), QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("STATIONPATH")), QStringLiteral("C:\\KT\\STA"));
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\KT"));
    EXPECT_EQ(stored(QStringLiteral("TESTDATA")), QStringLiteral("Y"));
    EXPECT_EQ(dp.StationLabel(), QStringLiteral("Station 3 of 12"));
    EXPECT_TRUE(sb.readFile(QStringLiteral("C:\\KT\\VOR.INI")).contains("Datapath=C:\\KT"));
    EXPECT_EQ(ini.GetValue(QStringLiteral("MISCELLANEOUS"), QStringLiteral("Datapath")),
              QStringLiteral("C:\\KT"));

    clsDataPath again(sb.services, ini, run, [](clsDataPath&) {});
    again.setNetwork(true);
    again.setTestPath(QStringLiteral("old"));
    again.Read(true, kApp);
    EXPECT_EQ(again.AppLabel(), kApp);
    EXPECT_FALSE(again.Network());
    EXPECT_EQ(again.Station(), QStringLiteral("3"));
    EXPECT_EQ(again.StationPath(), QStringLiteral("C:\\KT\\STA"));
    EXPECT_EQ(again.DataPath(), QStringLiteral("C:\\KT"));
    EXPECT_EQ(again.TestPath(), QStringLiteral("Y"));
    EXPECT_EQ(again.StationLabel(), QStringLiteral("Station 3 of 4"));
}

TEST_F(DataPathTest, NetworkIsStoredAsTrueOrFalseAndReadBackInAnyCase) {
    dp.setAppLabel(kApp);
    dp.setNetwork(true);
    dp.Save();
    EXPECT_EQ(stored(QStringLiteral("NETWORK")), QStringLiteral("True"));

    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("TRUE"), true}, {QStringLiteral("false"), false},
        {QStringLiteral("-1"), true},   {QStringLiteral("0"), false},
        {QStringLiteral("   "), false}, {QStringLiteral("maybe"), false},
    };
    for (const auto& [text, expected] : cases) {
        store(QStringLiteral("NETWORK"), text);
        dp.setNetwork(!expected);
        dp.Read(true);
        EXPECT_EQ(dp.Network(), expected) << text.toStdString();
    }
}

TEST_F(DataPathTest, SaveWithoutAnApplicationNameWritesNothing) {
    dp.setDataPath(QStringLiteral("C:\\KT"));
    EXPECT_FALSE(dp.Save());
    EXPECT_EQ(sb.settings.size(), 0);
}

TEST_F(DataPathTest, ReadWithDefaultsFillsTheGapsAndLeavesTheTrainingFlag) {
    dp.setAppLabel(kApp);
    dp.setDefaultStation(QStringLiteral("2"));
    dp.setDefaultDataPath(QStringLiteral("  C:\\KT  "));
    dp.setDefaultStationPath(QStringLiteral("C:\\ST"));
    dp.setDefaultNetwork(true);
    dp.setTestPath(QStringLiteral("Y"));
    store(QStringLiteral("TESTDATA"), QStringLiteral("N"));
    dp.Read();
    EXPECT_EQ(dp.Station(), QStringLiteral("2"));
    EXPECT_EQ(dp.DataPath(), QStringLiteral("C:\\KT"));
    EXPECT_EQ(dp.StationPath(), QStringLiteral("C:\\ST"));
    EXPECT_TRUE(dp.Network());
    EXPECT_EQ(dp.TestPath(), QStringLiteral("Y"));
    EXPECT_EQ(dp.StationLabel(), QStringLiteral("Station 2 of 4"));

    // With defaults suppressed a missing key reads as empty and the training flag is read.
    dp.Read(true);
    EXPECT_TRUE(dp.Station().isEmpty());
    EXPECT_TRUE(dp.DataPath().isEmpty());
    EXPECT_FALSE(dp.Network());
    EXPECT_EQ(dp.TestPath(), QStringLiteral("N"));
}

TEST_F(DataPathTest, DataPathIsReadWithoutSurroundingBlanks) {
    store(QStringLiteral("DATAPATH"), QStringLiteral("  C:\\My Data  "));
    dp.gpDataPathRead();
    EXPECT_EQ(dp.AppLabel(), kApp);
    EXPECT_EQ(dp.DataPath(), QStringLiteral("C:\\My Data"));
}

TEST_F(DataPathTest, DeleteRemovesTheFiveKeysOnly) {
    dp.setAppLabel(kApp);
    dp.setDataPath(QStringLiteral("C:\\KT"));
    dp.Save();
    store(QStringLiteral("DBName"), QStringLiteral("Store"));
    dp.Delete();
    EXPECT_EQ(sb.settings.size(), 1);
    EXPECT_EQ(stored(QStringLiteral("DBName")), QStringLiteral("Store"));
}

TEST_F(DataPathTest, FileExistsIsTrueForFilesOnly) {
    sb.writeFile(QStringLiteral("C:\\KT\\INVT.VOR"), "x");
    EXPECT_TRUE(dp.gfb_FileExists(QStringLiteral("c:\\kt\\invt.vor")));
    EXPECT_FALSE(dp.gfb_FileExists(QStringLiteral("C:\\KT")));
    EXPECT_FALSE(dp.gfb_FileExists(QStringLiteral("C:\\KT\\NONE.VOR")));
    EXPECT_FALSE(dp.gfb_FileExists(QString()));
}

// ---------------------------------------------------------------------------------------------
// Validation

TEST_F(DataPathTest, AStationBeyondTheRangeBecomesStationOneAndStaysValid) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    prepare(QStringLiteral("C:\\KT"));
    dp.setMaxStations(4);
    dp.setStation(QStringLiteral("7"));
    EXPECT_TRUE(dp.Validate(false));
    EXPECT_TRUE(dp.Valid());
    EXPECT_EQ(dp.Station(), QStringLiteral("1"));
    EXPECT_EQ(dp.FieldKey(), QStringLiteral("STATION"));
    EXPECT_TRUE(sb.boxes.shown().empty());

    dp.setStation(QStringLiteral("4"));
    EXPECT_TRUE(dp.Validate(false));
    EXPECT_EQ(dp.Station(), QStringLiteral("4"));
    EXPECT_TRUE(dp.FieldKey().isEmpty());
}

TEST_F(DataPathTest, AStationThatIsNoNumberBecomesStationOne) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    prepare(QStringLiteral("C:\\KT"));
    for (const QString& bad : {QStringLiteral("abc"), QStringLiteral("2x"), QStringLiteral(""),
                               QStringLiteral("0"), QStringLiteral("-3")}) {
        dp.setStation(bad);
        EXPECT_TRUE(dp.Validate(true)) << bad.toStdString();
        EXPECT_EQ(dp.Station(), QStringLiteral("1")) << bad.toStdString();
        EXPECT_EQ(dp.FieldKey(), QStringLiteral("STATION"));
    }
}

TEST_F(DataPathTest, AMissingDataFolderFailsAndRestoresEveryValue) {
    prepare(QStringLiteral("C:\\NOPE"));
    dp.setMaxStations(4);
    dp.setStation(QStringLiteral("7"));
    dp.setNetwork(true);
    sb.boxes.expect(kDataNotFound);
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_FALSE(dp.Valid());
    EXPECT_EQ(dp.FieldKey(), QStringLiteral("DATAPATH"));
    // The station reset of the first step is undone with the rest.
    EXPECT_EQ(dp.Station(), QStringLiteral("7"));
    EXPECT_EQ(dp.DataPath(), QStringLiteral("C:\\NOPE"));
    EXPECT_EQ(dp.StationPath(), QStringLiteral("C:\\NOPE"));
    EXPECT_TRUE(dp.Network());
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].style, box::Information);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Validation"));
}

TEST_F(DataPathTest, SilentValidationShowsNoBox) {
    prepare(QStringLiteral("C:\\NOPE"));
    EXPECT_FALSE(dp.Validate(true));
    EXPECT_EQ(dp.FieldKey(), QStringLiteral("DATAPATH"));
    EXPECT_TRUE(sb.boxes.shown().empty());
}

TEST_F(DataPathTest, TheStationFolderIsCheckedBeforeTheDataFolder) {
    prepare(QStringLiteral("C:\\NOPE"));
    dp.setStationPathEnabled(true);
    dp.setStationPath(QStringLiteral("C:\\NOSTATION"));
    sb.boxes.expect(
        QStringLiteral("Station Path Not Found.\r\rUse the Browse method to find a valid path."));
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_EQ(dp.FieldKey(), QStringLiteral("STATIONPATH"));
}

TEST_F(DataPathTest, AStationWithoutItsStationFileFailsAndRestoresTheValues) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    prepare(QStringLiteral("C:\\KT"));
    dp.setStationPathEnabled(true);
    dp.setStation(QStringLiteral("3"));
    dp.setStationPath(QStringLiteral("C:\\KT\\"));
    sb.boxes.expect(QStringLiteral(
        "Station 3 not in Station Path.\r\rSelect another Station or change the Station Path."));
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_EQ(dp.FieldKey(), QStringLiteral("STATIONPATH"));
    EXPECT_EQ(dp.Station(), QStringLiteral("3"));
    EXPECT_EQ(dp.StationPath(), QStringLiteral("C:\\KT\\"));
    EXPECT_EQ(dp.DataPath(), QStringLiteral("C:\\KT"));

    // The file name is the station text unpadded; its case on disk does not matter.
    sb.writeFile(QStringLiteral("C:\\KT\\sta3.vor"), "");
    EXPECT_TRUE(dp.Validate(false));
    dp.setStation(QStringLiteral("4"));
    dp.setSupressFileCheck(true);
    EXPECT_TRUE(dp.Validate(false));
}

TEST_F(DataPathTest, APrimaryFileMissingFromTheDataFolderFails) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    prepare(QStringLiteral("C:\\KT"));
    dp.setCheckFile(QStringLiteral("INVT.VOR"));
    sb.boxes.expect(QStringLiteral(
        "Primary Data File Not Found.\r\rThere is no 'INVT.VOR' file in the specified data path."));
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_EQ(dp.FieldKey(), QStringLiteral("DATAPATH"));
    sb.writeFile(QStringLiteral("C:\\KT\\INVT.VOR"), "x");
    EXPECT_TRUE(dp.Validate(false));
}

// ---------------------------------------------------------------------------------------------
// Creating a missing folder

TEST_F(DataPathTest, AMissingFolderIsCreatedAfterYesWithoutItsTrailingBackslash) {
    sb.makeDir(QStringLiteral("D:\\"));
    prepare(QStringLiteral("D:\\NEW\\"));
    dp.setCreatePath(true);
    sb.boxes.expect(createQuestion(QStringLiteral("D:\\NEW\\"), QStringLiteral("Data")),
                    BoxAnswer::Yes);
    EXPECT_TRUE(dp.Validate(false));
    EXPECT_TRUE(folderOnDisk(QStringLiteral("D:\\NEW")));
    EXPECT_EQ(dp.DataPath(), QStringLiteral("D:\\NEW\\"));
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].style, box::YesNo);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Quorvane"));
}

TEST_F(DataPathTest, NoToTheCreateQuestionFailsValidation) {
    prepare(QStringLiteral("C:\\NEW"));
    dp.setCreatePath(true);
    sb.boxes.expect(createQuestion(QStringLiteral("C:\\NEW"), QStringLiteral("Data")),
                    BoxAnswer::No);
    sb.boxes.expect(kDataNotFound);
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_FALSE(folderOnDisk(QStringLiteral("C:\\NEW")));
}

TEST_F(DataPathTest, TheStationFolderIsOfferedAsAStationPath) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    prepare(QStringLiteral("C:\\KT"));
    dp.setStationPathEnabled(true);
    dp.setSupressFileCheck(true);
    dp.setStationPath(QStringLiteral("C:\\STA"));
    dp.setCreatePath(true);
    sb.boxes.expect(createQuestion(QStringLiteral("C:\\STA"), QStringLiteral("Station")),
                    BoxAnswer::Yes);
    EXPECT_TRUE(dp.Validate(false));
    EXPECT_TRUE(folderOnDisk(QStringLiteral("C:\\STA")));
}

TEST_F(DataPathTest, AFolderTwoLevelsDeepCannotBeCreatedAndSaysWhy) {
    prepare(QStringLiteral("C:\\A\\B"));
    dp.setCreatePath(true);
    sb.boxes.expect(createQuestion(QStringLiteral("C:\\A\\B"), QStringLiteral("Data")),
                    BoxAnswer::Yes);
    sb.boxes.expectAny();
    sb.boxes.expect(kDataNotFound);
    EXPECT_FALSE(dp.Validate(false));
    ASSERT_EQ(sb.boxes.shown().size(), 3u);
    const test::ShownBox& failure = sb.boxes.shown()[1];
    EXPECT_EQ(failure.style, box::Critical);
    EXPECT_EQ(failure.title, QStringLiteral("Quorvane"));
    EXPECT_EQ(failure.text, QStringLiteral("Unable To Create Path\rNo such file or directory"));
    EXPECT_FALSE(folderOnDisk(QStringLiteral("C:\\A")));
}

TEST_F(DataPathTest, AFileWhereTheFolderShouldBeIsNotAFolder) {
    sb.writeFile(QStringLiteral("C:\\KT\\VOR.INI"), "[MISCELLANEOUS]\r\n");
    prepare(QStringLiteral("C:\\KT\\VOR.INI"));
    sb.boxes.expect(kDataNotFound);
    EXPECT_FALSE(dp.Validate(false));

    dp.setCreatePath(true);
    sb.boxes.expect(createQuestion(QStringLiteral("C:\\KT\\VOR.INI"), QStringLiteral("Data")),
                    BoxAnswer::Yes);
    sb.boxes.expect(QStringLiteral("Unable To Create Path\rFile exists"));
    sb.boxes.expect(kDataNotFound);
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_EQ(sb.readFile(QStringLiteral("C:\\KT\\VOR.INI")), QByteArray("[MISCELLANEOUS]\r\n"));
    EXPECT_TRUE(sb.boxes.allAnswered());
}

TEST_F(DataPathTest, FolderNamesWithBlanksAndAccentsAreCreatedAsTyped) {
    sb.makeDir(QStringLiteral("C:\\My Data"));
    const QString path = QStringLiteral("C:\\My Data\\Caisse Été ñ");
    prepare(path);
    dp.setCreatePath(true);
    sb.boxes.expect(createQuestion(path, QStringLiteral("Data")), BoxAnswer::Yes);
    EXPECT_TRUE(dp.Validate(false));
    const QStringList made =
        QDir(sb.native(QStringLiteral("C:\\My Data"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_EQ(made, QStringList{QStringLiteral("Caisse Été ñ")});
    // Found again under another case.
    dp.setCreatePath(false);
    dp.setDataPath(QStringLiteral("c:\\my data\\caisse été ñ"));
    EXPECT_TRUE(dp.Validate(false));
}

TEST_F(DataPathTest, ABlankFolderIsNotOfferedForCreation) {
    prepare(QStringLiteral("   "));
    dp.setCreatePath(true);
    sb.boxes.expect(kDataNotFound);
    EXPECT_FALSE(dp.Validate(false));
    EXPECT_TRUE(sb.boxes.allAnswered());
}

TEST_F(DataPathTest, AFolderInAReadOnlyParentCannotBeCreated) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "folder permissions do not bind the super-user";
    }
    const QString parent = sb.makeDir(QStringLiteral("C:\\LOCKED"));
    QFile::setPermissions(parent, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    prepare(QStringLiteral("C:\\LOCKED\\NEW"));
    dp.setCreatePath(true);
    sb.boxes.expect(createQuestion(QStringLiteral("C:\\LOCKED\\NEW"), QStringLiteral("Data")),
                    BoxAnswer::Yes);
    sb.boxes.expect(QStringLiteral("Unable To Create Path\rPermission denied"));
    sb.boxes.expect(kDataNotFound);
    EXPECT_FALSE(dp.Validate(false));
    QFile::setPermissions(parent,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// ---------------------------------------------------------------------------------------------
// Opening at start

TEST_F(DataPathTest, NoSettingsAsksForAFolderAndNoEndsTheStart) {
    sb.boxes.expect(kNotDefined, BoxAnswer::No);
    EXPECT_FALSE(OpenDataPath(dp, 4));
    EXPECT_EQ(dialogShown, 0);
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].style, box::YesNo + box::Question);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Quorvane"));
    EXPECT_EQ(dp.AppLabel(), kApp);
}

TEST_F(DataPathTest, YesShowsTheDialogReadyToCreateAFolder) {
    bool createPath = false;
    bool stationList = false;
    onDialog = [&](clsDataPath& d) {
        createPath = d.CreatePath();
        stationList = d.StationNumberEnabled();
        d.setDataPath(QStringLiteral("C:\\KT"));
    };
    sb.boxes.expect(kNotDefined, BoxAnswer::Yes);
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_EQ(dialogShown, 1);
    EXPECT_TRUE(createPath);
    EXPECT_TRUE(stationList);
    EXPECT_EQ(dp.DataPath(), QStringLiteral("C:\\KT"));
}

TEST_F(DataPathTest, ADialogLeftWithoutAFolderEndsTheStart) {
    onDialog = [](clsDataPath& d) { d.setCancelled(true); };
    sb.boxes.expect(kNotDefined, BoxAnswer::Yes);
    EXPECT_FALSE(OpenDataPath(dp, 4));
    EXPECT_EQ(dialogShown, 1);
}

TEST_F(DataPathTest, StationCountsBelowFiftyOneGiveFifty) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    store(QStringLiteral("DATAPATH"), QStringLiteral("C:\\KT"));
    ASSERT_TRUE(OpenDataPath(dp, 4));
    EXPECT_EQ(dp.MaxStations(), 50);
    ASSERT_TRUE(OpenDataPath(dp, 60));
    EXPECT_EQ(dp.MaxStations(), 60);
    ASSERT_TRUE(OpenDataPath(dp, 51));
    EXPECT_EQ(dp.MaxStations(), 51);
    ASSERT_TRUE(OpenDataPath(dp, -7));
    EXPECT_EQ(dp.MaxStations(), 50);
    EXPECT_TRUE(dp.StationNumberEnabled());
}

TEST_F(DataPathTest, AStoredFolderWithATrailingBackslashOpensWithoutIt) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    store(QStringLiteral("DATAPATH"), QStringLiteral("C:\\KT\\"));
    store(QStringLiteral("STATION"), QStringLiteral("2"));
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_EQ(dp.DataPath(), QStringLiteral("C:\\KT"));
    EXPECT_EQ(dp.Station(), QStringLiteral("2"));
    EXPECT_TRUE(sb.boxes.shown().empty());
    EXPECT_EQ(dialogShown, 0);
    // Opening reads; it does not write.
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\KT\\"));
}

TEST_F(DataPathTest, AStoredFolderThatIsGoneIsDroppedSilentlyAndAskedFor) {
    store(QStringLiteral("DATAPATH"), QStringLiteral("C:\\GONE"));
    sb.boxes.expect(kNotDefined, BoxAnswer::No);
    EXPECT_FALSE(OpenDataPath(dp, 4));
    EXPECT_TRUE(dp.DataPath().isEmpty());
    EXPECT_EQ(sb.boxes.shown().size(), 1u);
}

TEST_F(DataPathTest, OnANetworkAMissingFolderReportsTheNetworkDown) {
    store(QStringLiteral("NETWORK"), QStringLiteral("True"));
    store(QStringLiteral("DATAPATH"), QStringLiteral("\\\\SERVER\\KT"));
    sb.boxes.expect(
        QStringLiteral("The network is currently down or is not set up properly. "
                       "Please contact your network administrator for help."));
    EXPECT_FALSE(OpenDataPath(dp, 4));
    EXPECT_EQ(dialogShown, 0);
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].style, box::Ok);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Network Not Found"));
}

TEST_F(DataPathTest, ANetworkFolderThatAnswersOpens) {
    sb.makeDir(QStringLiteral("\\\\SERVER\\KT"));
    store(QStringLiteral("NETWORK"), QStringLiteral("True"));
    store(QStringLiteral("DATAPATH"), QStringLiteral("\\\\SERVER\\KT"));
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_TRUE(dp.Network());
}

TEST_F(DataPathTest, UpperAltIsCopiedFromTheProgramFolderWhenMissing) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    QFile program(sb.app.programFolder + QStringLiteral("/upper.alt"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("ALT TABLE\r\n");
    program.close();
    store(QStringLiteral("DATAPATH"), QStringLiteral("C:\\KT"));
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_EQ(sb.readFile(QStringLiteral("C:\\KT\\upper.alt")), QByteArray("ALT TABLE\r\n"));
}

TEST_F(DataPathTest, UpperAltAlreadyInTheDataFolderIsNotOverwritten) {
    sb.writeFile(QStringLiteral("C:\\KT\\UPPER.ALT"), "STORE OWN\r\n");
    QFile program(sb.app.programFolder + QStringLiteral("/upper.alt"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("PROGRAM COPY\r\n");
    program.close();
    store(QStringLiteral("DATAPATH"), QStringLiteral("C:\\KT"));
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_EQ(sb.readFile(QStringLiteral("C:\\KT\\UPPER.ALT")), QByteArray("STORE OWN\r\n"));
    EXPECT_EQ(QDir(sb.native(QStringLiteral("C:\\KT"))).entryList(QDir::Files),
              QStringList{QStringLiteral("UPPER.ALT")});
}

TEST_F(DataPathTest, WithoutAProgramCopyOfUpperAltNothingIsCopied) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    store(QStringLiteral("DATAPATH"), QStringLiteral("C:\\KT"));
    EXPECT_TRUE(OpenDataPath(dp, 4));
    EXPECT_TRUE(QDir(sb.native(QStringLiteral("C:\\KT"))).entryList(QDir::Files).isEmpty());
}

TEST_F(DataPathTest, TheSafeFolderCheckRunsOnlyWhenTheSafeFolderExists) {
    store(QStringLiteral("DATAPATH"), QStringLiteral("C:\\GONE"));
    sb.boxes.expect(kNotDefined, BoxAnswer::No);
    EXPECT_FALSE(OpenDataPath(dp, 4));
    EXPECT_EQ(sb.boxes.shown().size(), 1u);

    sb.boxes.clear();
    sb.makeDir(QStringLiteral("C:\\vorsafe"));
    sb.boxes.expect(kRetry, BoxAnswer::No);
    sb.boxes.expect(kNotDefined, BoxAnswer::No);
    EXPECT_FALSE(OpenDataPath(dp, 4));
    ASSERT_EQ(sb.boxes.shown().size(), 2u);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Network Error"));
    EXPECT_EQ(sb.boxes.shown()[0].style, box::YesNo + box::Question);
}

// ---------------------------------------------------------------------------------------------
// Reaching the data folder

TEST_F(DataPathTest, TheSafeCheckRetriesUntilTheFolderAnswers) {
    ActingBoxes acting(sb.boxes, [this](int shown) {
        if (shown == 2) {
            sb.makeDir(QStringLiteral("C:\\SERVER"));
        }
    });
    Services services{acting, sb.settings, sb.fs, sb.app};
    clsDataPath path(services, ini, run, [](clsDataPath&) {});
    path.setDataPath(QStringLiteral("C:\\SERVER"));
    sb.boxes.expect(kRetry, BoxAnswer::Yes).expect(kRetry, BoxAnswer::Yes);
    EXPECT_TRUE(CheckSafeFolder(path));
    EXPECT_EQ(sb.boxes.shown().size(), 2u);
    EXPECT_FALSE(run.LocalSafeMode);
}

TEST_F(DataPathTest, NoToRetryGivesUp) {
    dp.setDataPath(QStringLiteral("C:\\SERVER"));
    sb.boxes.expect(kRetry, BoxAnswer::Yes).expect(kRetry, BoxAnswer::No);
    EXPECT_FALSE(CheckSafeFolder(dp));
    EXPECT_FALSE(run.LocalSafeMode);
}

TEST_F(DataPathTest, AnUnreachableSafeFolderTurnsOnLocalSafeMode) {
    dp.setDataPath(QStringLiteral("C:\\vorsafe"));
    EXPECT_FALSE(CheckSafeFolder(dp));
    EXPECT_TRUE(run.LocalSafeMode);
    EXPECT_TRUE(sb.boxes.shown().empty());
    // Once on, the check passes without looking.
    dp.setDataPath(QStringLiteral("C:\\ANYWHERE"));
    EXPECT_TRUE(CheckSafeFolder(dp));
    EXPECT_TRUE(sb.boxes.shown().empty());
}

TEST_F(DataPathTest, AReachableFolderPassesTheSafeCheckQuietly) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    dp.setDataPath(QStringLiteral("C:\\KT"));
    EXPECT_TRUE(CheckSafeFolder(dp));
    EXPECT_FALSE(run.LocalSafeMode);
    EXPECT_TRUE(sb.boxes.shown().empty());
}

// ---------------------------------------------------------------------------------------------
// The class's own opening and change routines

TEST_F(DataPathTest, TheClassOpeningUsesTheStationFolderAndLeavesUpperAlt) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    sb.makeDir(QStringLiteral("C:\\ST"));
    QFile program(sb.app.programFolder + QStringLiteral("/upper.alt"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("ALT");
    program.close();
    store(QStringLiteral("DATAPATH"), QStringLiteral("C:\\KT\\"));
    store(QStringLiteral("STATIONPATH"), QStringLiteral("C:\\ST\\"));
    store(QStringLiteral("STATION"), QStringLiteral("3"));
    // No STA3.VOR: the file checks are off whenever the station folder is on.
    EXPECT_TRUE(dp.gfbVOR_DataPath_open(true, 10, QString(), false));
    EXPECT_TRUE(dp.StationPathEnabled());
    EXPECT_TRUE(dp.SupressFileCheck());
    EXPECT_FALSE(dp.StationNumberEnabled());
    EXPECT_EQ(dp.DataPath(), QStringLiteral("C:\\KT"));
    EXPECT_EQ(dp.StationPath(), QStringLiteral("C:\\ST"));
    EXPECT_EQ(dp.DefaultDataPath(), QStringLiteral("C:\\KT"));
    EXPECT_EQ(dp.DefaultStationPath(), QStringLiteral("C:\\KT"));
    EXPECT_EQ(dp.MaxStations(), 50);
    EXPECT_FALSE(QFileInfo::exists(sb.native(QStringLiteral("C:\\KT\\upper.alt"))));
}

TEST_F(DataPathTest, TheClassOpeningChecksAMissingStationFolder) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    store(QStringLiteral("DATAPATH"), QStringLiteral("C:\\KT"));
    store(QStringLiteral("STATIONPATH"), QStringLiteral("C:\\NOSTATION"));
    bool stationList = true;
    onDialog = [&](clsDataPath& d) { stationList = d.StationNumberEnabled(); };
    sb.boxes.expect(kNotDefined, BoxAnswer::Yes);
    EXPECT_FALSE(dp.gfbVOR_DataPath_open(true, 4, QStringLiteral("D:\\ALT"), false));
    EXPECT_EQ(dialogShown, 1);
    EXPECT_FALSE(stationList);
    EXPECT_EQ(dp.DefaultDataPath(), QStringLiteral("D:\\ALT"));
}

TEST_F(DataPathTest, ChangeReportsWhetherTheDialogChangedAnything) {
    dp.setStation(QStringLiteral("2"));
    dp.setDataPath(QStringLiteral("C:\\KT"));
    dp.setStationPath(QStringLiteral("C:\\KT"));
    bool createPath = false;
    onDialog = [&](clsDataPath& d) { createPath = d.CreatePath(); };
    EXPECT_FALSE(dp.gfbVOR_DataPath_change(true));
    EXPECT_TRUE(createPath);
    EXPECT_EQ(dp.AppLabel(), kApp);

    onDialog = [](clsDataPath& d) { d.setDataPath(QStringLiteral("C:\\kt")); };
    EXPECT_TRUE(dp.gfbVOR_DataPath_change(false));
    onDialog = [](clsDataPath& d) { d.setStation(QStringLiteral("3")); };
    EXPECT_TRUE(dp.gfbVOR_DataPath_change(false));
    EXPECT_EQ(dialogShown, 3);
}

}  // namespace
}  // namespace qv
