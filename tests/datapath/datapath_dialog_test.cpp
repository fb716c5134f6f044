#include "datapath/data_path.h"
#include "datapath/frm_sm_datapath2.h"
#include "datapath/frm_smfile_path.h"
#include "settings/ini_services.h"
#include "tests/support/data_files.h"
#include "tests/support/form_state.h"
#include "tests/support/keys.h"
#include "tests/support/modal_driver.h"
#include "tests/support/sandbox.h"
#include "tests/support/shown_box.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <memory>

namespace qv {
namespace {

using test::BoxShown;

const QString kApp = QStringLiteral("VOR Settings");
const QString kDataNotFound =
    QStringLiteral("Data Path Not Found.\r\rUse the Browse method to find a valid path.");

QString createQuestion(const QString& path) {
    return path + "\rData Path Does Not Exist\rDo you want to create it?";
}

class DataPathDialogTest : public ::testing::Test {
protected:
    test::Sandbox sb;
    clsINI_Services ini{sb.fs, sb.boxes};
    RunValues run;
    clsDataPath dp{sb.services, ini, run,
                   [](clsDataPath&) { ADD_FAILURE() << "the object showed a dialog itself"; }};
    frmSMFILE_PATH browser{sb.fs.resolver(), sb.boxes};
    std::unique_ptr<frmSM_DATAPATH2> form;

    // The object as the opening routine hands it to the dialog.
    void SetUp() override {
        dp.setAppLabel(kApp);
        dp.setMaxStations(50);
        dp.setStationNumberEnabled(true);
        dp.setCreatePath(true);
    }

    frmSM_DATAPATH2& open(clsDataPath* object = nullptr) {
        form = std::make_unique<frmSM_DATAPATH2>(object ? *object : dp, browser);
        form->show();
        return *form;
    }
    template <class T>
    T* child(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* dataBox() const { return child<QLineEdit>("txtEdit_1"); }
    QLineEdit* importBox() const { return child<QLineEdit>("txtEdit_0"); }
    QPushButton* okButton() const { return child<QPushButton>("cmdOkCancel_0"); }
    QComboBox* stations() const { return child<QComboBox>("cboEdit"); }
    bool shown(const char* name) const { return child<QWidget>(name)->isVisibleTo(form.get()); }
    QString stored(const QString& key) const {
        return sb.settings.getSetting(kApp, "DATABASE", key, "<none>");
    }
};

// ---------------------------------------------------------------------------------------------
// Loading

TEST_F(DataPathDialogTest, LoadingShowsTheStoredValuesOrCKtAndTheImportRowOnlyWhenItDiffers) {
    open();  // the first start, without settings
    QString state = test::FormState(*form);
    // The data row sits where the unused import/export row would be.
    EXPECT_LT(dataBox()->y(), importBox()->y());
    EXPECT_TRUE(form->Loaded());

    dp.setDataPath("C:\\Store");
    dp.setImportExportPath("c:\\store");
    dp.setNetwork(true);
    dp.setTestPath("Y");  // loading a checked training flag is no click: no caution box
    dp.setStation("7");
    open();
    state += test::FormState(*form);
    dp.setImportExportPath("C:\\Exchange");
    open();
    state += test::FormState(*form);
    EXPECT_NE(dataBox()->y(), importBox()->y());  // the two rows do not lie on each other
    test::ExpectGolden("datapath/dialog_loaded.txt", state);
    EXPECT_TRUE(sb.boxes.shown().empty());
    EXPECT_EQ(sb.settings.size(), 0);
}

TEST_F(DataPathDialogTest, TheStationListSelectsAValidStationOrIsHidden) {
    dp.setDefaultStation("3");
    const std::pair<const char*, const char*> cases[] = {
        {"9", "5"}, {"0", "3"}, {"", "3"}, {"abc", "3"}};  // above the maximum: the last
    dp.setMaxStations(5);
    for (const auto& [station, expected] : cases) {
        dp.setStation(station);
        open();
        ASSERT_EQ(stations()->count(), 5);
        EXPECT_EQ(stations()->itemText(0), "1");
        EXPECT_EQ(stations()->currentText(), expected) << station;
    }
    dp.setDefaultStation("junk");
    open();
    EXPECT_EQ(stations()->currentText(), "1");

    dp.setStationNumberEnabled(false);
    open();
    EXPECT_FALSE(shown("cboEdit"));
    EXPECT_FALSE(shown("lblEdit_0"));
    EXPECT_EQ(form->CurrentEdit(), 1);
}

// ---------------------------------------------------------------------------------------------
// Enabling

TEST_F(DataPathDialogTest, OkFollowsTheDataPathBoxAndF10DoesNothingWhileItIsOff) {
    open();
    dataBox()->clear();
    EXPECT_FALSE(okButton()->isEnabled());
    QTest::keyClick(dataBox(), Qt::Key_F10);
    EXPECT_TRUE(form->isVisible());
    QTest::keyClick(dataBox(), Qt::Key_C);
    EXPECT_TRUE(okButton()->isEnabled());
    dataBox()->setText("   ");
    EXPECT_FALSE(okButton()->isEnabled());
    EXPECT_TRUE(sb.boxes.shown().empty());
    EXPECT_EQ(sb.settings.size(), 0);
}

TEST_F(DataPathDialogTest, WithTheImportExportBoxInUseOkFollowsThatBox) {
    Services services{sb.boxes, sb.settings, sb.fs, sb.app};
    services.app.exeName = QStringLiteral("rizeredodevedez");
    clsDataPath other(services, ini, run, [](clsDataPath&) {});
    other.setAppLabel(kApp);
    other.setMaxStations(50);
    open(&other);
    EXPECT_TRUE(importBox()->isEnabled());
    importBox()->clear();
    dataBox()->clear();
    EXPECT_TRUE(okButton()->isEnabled());  // once on, this rule never turns it off
    open(&other);
    dataBox()->clear();
    EXPECT_TRUE(okButton()->isEnabled());
}

TEST_F(DataPathDialogTest, BrowseFollowsTheFocusAndEnterAndF2DoesNothing) {
    open();
    QPushButton* browse = child<QPushButton>("cmdBrowse");
    EXPECT_FALSE(browse->isEnabled());
    QTest::keyClick(dataBox(), Qt::Key_Return);
    EXPECT_TRUE(browse->isEnabled());
    // Enter presses no button, and neither does F2: the dialog is still open, nothing saved.
    QTest::keyClick(dataBox(), Qt::Key_F2);
    QTest::keyClick(form.get(), Qt::Key_F2);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(sb.boxes.shown().empty());
    EXPECT_EQ(dataBox()->text(), "C:\\KT");
    EXPECT_EQ(sb.settings.size(), 0);
    QFocusEvent listIn(QEvent::FocusIn);
    QApplication::sendEvent(stations(), &listIn);
    EXPECT_FALSE(browse->isEnabled());
    QFocusEvent boxIn(QEvent::FocusIn);
    QApplication::sendEvent(dataBox(), &boxIn);
    EXPECT_TRUE(browse->isEnabled());
    EXPECT_EQ(form->CurrentEdit(), 1);
}

// ---------------------------------------------------------------------------------------------
// OK and Cancel

TEST_F(DataPathDialogTest, OkWithAnExistingFolderSavesItAsDataAndStationFolder) {
    sb.makeDir("C:\\KT");
    open();
    stations()->setCurrentIndex(2);
    okButton()->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_FALSE(dp.Cancelled());
    EXPECT_EQ(stored("DATAPATH"), "C:\\KT");
    EXPECT_EQ(stored("STATIONPATH"), "C:\\KT");
    EXPECT_EQ(stored("STATION"), "3");
    EXPECT_EQ(stored("NETWORK"), "False");
    EXPECT_EQ(stored("TESTDATA"), QString());
    EXPECT_EQ(dp.DataPath(), "C:\\KT");
    EXPECT_EQ(dp.StationLabel(), "Station 3 of 50");
    EXPECT_EQ(dp.ImportExportPath(), "C:\\KT");
    EXPECT_TRUE(sb.boxes.shown().empty());
}

TEST_F(DataPathDialogTest, TheTrainingFlagWarnsWhenSetAndIsStoredOnOk) {
    sb.makeDir("C:\\KT");
    open();
    sb.boxes.expect(
        "Checking this box does not set up a traning directory or change your data path \r\n"
        "It is a manual switch that turns on or off the training flag on the main screen ");
    child<QCheckBox>("ckTest")->click();
    EXPECT_TRUE(BoxShown(sb.boxes, 0, box::Information, "Caution"));
    EXPECT_EQ(sb.settings.size(), 0);  // nothing before OK
    EXPECT_TRUE(dp.TestPath().isEmpty());
    okButton()->click();
    EXPECT_EQ(stored("TESTDATA"), "Y");
    EXPECT_EQ(dp.TestPath(), "Y");

    // Clearing it asks nothing and stores it empty.
    open();
    child<QCheckBox>("ckTest")->click();
    EXPECT_EQ(sb.boxes.shown().size(), 1u);
    okButton()->click();
    EXPECT_EQ(stored("TESTDATA"), QString());
}

TEST_F(DataPathDialogTest, AFailedValidationKeepsTheDialogAndTheOldValues) {
    dp.setCreatePath(false);
    dp.setDataPath("C:\\OLD");
    dp.setStationPath("C:\\OLD");
    dp.setStation("2");
    dp.setImportExportPath("C:\\OLD");
    open();
    child<QCheckBox>("chkNetwork")->setChecked(true);
    stations()->setCurrentIndex(5);
    dataBox()->setText("C:\\NOPE");
    child<QCheckBox>("chkNetwork")->setFocus();
    sb.boxes.expect(kDataNotFound);
    okButton()->click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->focusWidget(), dataBox());
    EXPECT_EQ(dp.FieldKey(), "DATAPATH");
    EXPECT_EQ(dp.DataPath(), "C:\\OLD");
    EXPECT_EQ(dp.StationPath(), "C:\\OLD");
    EXPECT_EQ(dp.Station(), "2");
    EXPECT_FALSE(dp.Network());
    EXPECT_EQ(sb.settings.size(), 0);
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].title, "Validation");

    // Corrected, the same dialog accepts.
    sb.makeDir("C:\\NEW");
    dataBox()->setText("C:\\NEW");
    okButton()->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(stored("DATAPATH"), "C:\\NEW");
    EXPECT_EQ(stored("NETWORK"), "True");
    EXPECT_EQ(stored("STATION"), "6");
}

TEST_F(DataPathDialogTest, NoToCreatingKeepsTheDialogOpen) {
    open();
    sb.boxes.expect(createQuestion("C:\\KT"), BoxAnswer::No).expect(kDataNotFound);
    okButton()->click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(sb.settings.size(), 0);
    EXPECT_TRUE(dp.DataPath().isEmpty());
}

TEST_F(DataPathDialogTest, CancelAndEscLeaveTheSettingsAsTheyWere) {
    sb.settings.saveSetting(kApp, "DATABASE", "DATAPATH", "C:\\OLD");
    dp.setDataPath("C:\\OLD");
    open();
    dataBox()->setText("C:\\OTHER");
    child<QCheckBox>("chkNetwork")->setChecked(true);
    child<QPushButton>("cmdOkCancel_1")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_TRUE(dp.Cancelled());
    EXPECT_EQ(dp.DataPath(), "C:\\OLD");
    EXPECT_FALSE(dp.Network());

    dp.setCancelled(false);
    open();
    dataBox()->setText("C:\\OTHER");
    QTest::keyClick(stations(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(dp.Cancelled());
    EXPECT_EQ(sb.settings.size(), 1);
    EXPECT_EQ(stored("DATAPATH"), "C:\\OLD");
}

TEST_F(DataPathDialogTest, TypedFoldersAreStoredWithoutATrailingSeparatorButARootKeepsIt) {
    sb.makeDir("C:\\KT");
    for (const auto& [typed, expected] :
         {std::pair{"  C:\\KT\\ ", "C:\\KT"}, std::pair{"C:\\", "C:\\"}}) {
        open();
        dataBox()->setText(typed);
        QTest::keyClick(dataBox(), Qt::Key_F10);  // F10 accepts from inside a text box
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(stored("DATAPATH"), expected);
        EXPECT_EQ(stored("STATIONPATH"), expected);
    }
}

TEST_F(DataPathDialogTest, F1ShowsTheHelp) {
    open();
    sb.boxes.expect(QString::fromUtf8(test::ReadData("datapath/dialog_help.txt")));
    QTest::keyClick(dataBox(), Qt::Key_F1);
    EXPECT_TRUE(BoxShown(sb.boxes, 0, box::Information, "Station and Data Path Help"));
    EXPECT_TRUE(form->isVisible());
}

// ---------------------------------------------------------------------------------------------
// The "..." button

TEST_F(DataPathDialogTest, TheBrowserStartsOnTheBoxAndReturnsItsFolderUnlessCancelled) {
    sb.makeDir("C:\\KT\\Data");
    open();
    dataBox()->setText("c:\\kt  ");
    test::ModalDriver driver;
    driver.on("frmSMFILE_PATH", [](QWidget* w) { QTest::keyClick(w, Qt::Key_F10); })
        .on("frmSMFILE_PATH", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    child<QPushButton>("cmdBrowsePath_1")->click();
    EXPECT_EQ(browser.BrowseDrive, "C:");
    EXPECT_EQ(dataBox()->text(), "C:\\KT");

    dataBox()->setText("c:\\kt");
    child<QPushButton>("cmdBrowsePath_1")->click();
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(browser.BrowseCancelled);
    EXPECT_EQ(dataBox()->text(), "c:\\kt");
    EXPECT_TRUE(form->isVisible());
}

TEST_F(DataPathDialogTest, AFolderOutsideTheDrivesComesBackWithItsStartUpperCased) {
    const QString outside = sb.root() + "/plain";
    QDir().mkpath(outside);
    open();
    dataBox()->setText(outside);
    test::ModalDriver driver;
    driver.on("frmSMFILE_PATH", [](QWidget* w) { QTest::keyClick(w, Qt::Key_F10); });
    child<QPushButton>("cmdBrowsePath_1")->click();
    EXPECT_EQ(dataBox()->text(), outside.left(3).toUpper() + outside.mid(3));
    // The upper-cased start still names the same folder.
    EXPECT_TRUE(sb.fs.dirExists(dataBox()->text()));
}

// ---------------------------------------------------------------------------------------------
// The whole start: no settings, the program's own dialog, a folder created and saved

TEST_F(DataPathDialogTest, FirstStartDefinesTheDataFolderThroughTheRealDialog) {
    clsDataPath real(sb.services, ini, run);
    sb.boxes.expect(
        "A path to the VOR Data Files has not been defined\r\r"
        "Do you want to define it now?",
        BoxAnswer::Yes);
    sb.boxes.expect(createQuestion("C:\\KT"), BoxAnswer::Yes);
    test::ModalDriver driver;
    driver.on("frmSM_DATAPATH2",
              [](QWidget* w) { w->findChild<QPushButton*>("cmdOkCancel_0")->click(); });
    EXPECT_TRUE(OpenDataPath(real, 4));
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(real.DataPath(), "C:\\KT");
    EXPECT_FALSE(real.Cancelled());
    EXPECT_TRUE(QFileInfo(sb.native("C:\\KT")).isDir());
    EXPECT_EQ(stored("DATAPATH"), "C:\\KT");
    EXPECT_EQ(stored("STATIONPATH"), "C:\\KT");
    EXPECT_EQ(stored("STATION"), "1");
    EXPECT_EQ(stored("NETWORK"), "False");
}

TEST_F(DataPathDialogTest, ChangingThroughTheRealDialogAndItsBrowser) {
    sb.makeDir("C:\\KT\\Data");
    sb.settings.saveSetting(kApp, "DATABASE", "DATAPATH", "C:\\KT");
    clsDataPath real(sb.services, ini, run);
    real.gpDataPathRead();
    real.setMaxStations(50);
    real.setStationNumberEnabled(true);
    test::ModalDriver driver;
    driver
        .on("frmSM_DATAPATH2",
            [](QWidget* w) { w->findChild<QPushButton*>("cmdBrowsePath_1")->click(); })
        .on("frmSMFILE_PATH",
            [this](QWidget* w) {
                auto* tree = w->findChild<QTreeView*>("dirBrowse");
                auto* model = qobject_cast<QFileSystemModel*>(tree->model());
                tree->setCurrentIndex(model->index(sb.native("C:\\KT\\Data")));
                QTest::keyClick(w, Qt::Key_F10);
            })
        .on("frmSM_DATAPATH2",
            [](QWidget* w) { QTest::keyClick(w->findChild<QWidget*>("txtEdit_1"), Qt::Key_F10); });
    EXPECT_TRUE(real.gfbVOR_DataPath_change(false));
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(real.DataPath(), "C:\\KT\\Data");
    EXPECT_EQ(stored("DATAPATH"), "C:\\KT\\Data");
}

// ---------------------------------------------------------------------------------------------
// Keys only

TEST_F(DataPathDialogTest, TabFollowsTheRowsAsTheyLie) {
    open();
    test::ShowForKeys(*form);
    EXPECT_EQ(test::FocusedName(), "txtEdit_1");
    // The data row moved up; the import/export row is not in use; "F2 Browse" is passed by.
    test::ExpectTabCycle(*form, "txtEdit_1",
                         {"txtEdit_1", "cmdBrowsePath_1", "cboEdit", "chkNetwork", "ckTest",
                          "cmdHelp", "cmdOkCancel_0", "cmdOkCancel_1"});

    // A suite program that keeps its own import/export folder: its row is in use, below the
    // data row.
    sb.services.app.exeName = QStringLiteral("rizeredodevedez");
    dp.setDataPath("C:\\Store");
    dp.setImportExportPath("C:\\Exchange");
    open();
    test::ShowForKeys(*form);
    test::ExpectTabCycle(*form, "txtEdit_1",
                         {"txtEdit_1", "cmdBrowsePath_1", "txtEdit_0", "cmdBrowsePath_0", "cboEdit",
                          "chkNetwork", "ckTest", "cmdHelp", "cmdOkCancel_0", "cmdOkCancel_1"});
}

TEST_F(DataPathDialogTest, FirstStartTypedWithKeysOnly) {
    clsDataPath real(sb.services, ini, run);
    sb.boxes
        .expect(
            "A path to the VOR Data Files has not been defined\r\r"
            "Do you want to define it now?",
            BoxAnswer::Yes)
        .expect(createQuestion("C:\\Store"), BoxAnswer::Yes);
    test::ModalDriver driver;
    driver.on("frmSM_DATAPATH2", [](QWidget*) {
        EXPECT_EQ(test::FocusedName(), "txtEdit_1");
        test::Type("C:\\Store");  // replaces the offered folder, which is selected
        test::TabTo("cboEdit");
        test::Press(Qt::Key_Down);  // station 2
        test::Press(Qt::Key_Tab);
        EXPECT_EQ(test::FocusedName(), "chkNetwork");
        test::TabTo("cmdOkCancel_0");
        test::Press(Qt::Key_Return);
    });
    EXPECT_TRUE(OpenDataPath(real, 4));
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(sb.boxes.allAnswered());
    EXPECT_EQ(stored("DATAPATH"), "C:\\Store");
    EXPECT_EQ(stored("STATIONPATH"), "C:\\Store");
    EXPECT_EQ(stored("STATION"), "2");
    EXPECT_EQ(stored("NETWORK"), "False");
    EXPECT_TRUE(QFileInfo(sb.native("C:\\Store")).isDir());
}

}  // namespace
}  // namespace qv
