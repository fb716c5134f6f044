#include "datapath/data_path.h"
#include "datapath/frm_sm_datapath2.h"
#include "datapath/frm_smfile_path.h"
#include "settings/ini_services.h"
#include "tests/datapath/modal_driver.h"
#include "tests/support/sandbox.h"

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

const QString kApp = QStringLiteral("VOR Settings");
const QString kSection = QStringLiteral("DATABASE");
const QString kDataNotFound =
    QStringLiteral("Data Path Not Found.\r\rUse the Browse method to find a valid path.");
const QString kCaution = QStringLiteral(
    "Checking this box does not set up a traning directory or change your data path \r\n"
    "It is a manual switch that turns on or off the training flag on the main screen ");

QString createQuestion(const QString& path) {
    return path + QStringLiteral("\rData Path Does Not Exist\rDo you want to create it?");
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

    frmSM_DATAPATH2& open() {
        form = std::make_unique<frmSM_DATAPATH2>(dp, browser);
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
    bool shown(const char* name) const { return child<QWidget>(name)->isVisibleTo(form.get()); }
    QString stored(const QString& key) const {
        return sb.settings.getSetting(kApp, kSection, key, QStringLiteral("<none>"));
    }
};

// ---------------------------------------------------------------------------------------------
// Loading

TEST_F(DataPathDialogTest, FirstStartWithoutSettingsOffersCKt) {
    open();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Set Data Path"));
    EXPECT_EQ(dataBox()->text(), QStringLiteral("C:\\KT"));
    EXPECT_EQ(importBox()->text(), QStringLiteral("C:\\KT"));
    EXPECT_FALSE(child<QCheckBox>("chkNetwork")->isChecked());
    EXPECT_FALSE(shown("lblEdit_1"));
    EXPECT_FALSE(shown("txtEdit_0"));
    EXPECT_FALSE(shown("cmdBrowsePath_0"));
    EXPECT_FALSE(importBox()->isEnabled());
    EXPECT_TRUE(okButton()->isEnabled());
    EXPECT_FALSE(child<QPushButton>("cmdBrowse")->isEnabled());
    EXPECT_TRUE(shown("cboEdit"));
    EXPECT_TRUE(shown("lblEdit_0"));
    EXPECT_EQ(child<QComboBox>("cboEdit")->count(), 50);
    EXPECT_EQ(child<QComboBox>("cboEdit")->currentText(), QStringLiteral("1"));
    EXPECT_TRUE(form->Loaded());
    // The data row sits where the unused import/export row would be.
    EXPECT_LT(dataBox()->y(), importBox()->y());
    EXPECT_TRUE(sb.boxes.shown().empty());
    EXPECT_EQ(sb.settings.size(), 0);
}

TEST_F(DataPathDialogTest, ControlsCarryTheirCaptionsAndTips) {
    open();
    EXPECT_EQ(child<QGroupBox>("Frame1")->title(), QStringLiteral("Select Data Path"));
    const struct {
        const char* name;
        QString caption;
        QString tip;
    } labels[] = {
        {"lblEdit_0", QStringLiteral("Station Number"),
         QStringLiteral("Select WorkStation's Number")},
        {"lblEdit_1", QStringLiteral("Import/Export Path"),
         QStringLiteral("Location of Station File (STA##.VOR)")},
        {"lblEdit_2", QStringLiteral("Data Path"),
         QStringLiteral("Location of Data Files (*.VOR)")},
        {"Label2",
         QStringLiteral("( If your data is to be kept on a networked computer, check Network. )"),
         QString()},
    };
    for (const auto& l : labels) {
        EXPECT_EQ(child<QLabel>(l.name)->text(), l.caption) << l.name;
        EXPECT_EQ(child<QLabel>(l.name)->toolTip(), l.tip) << l.name;
    }
    const struct {
        const char* name;
        QString caption;
        QString tip;
    } buttons[] = {
        {"cmdBrowsePath_0", QStringLiteral("..."), QString()},
        {"cmdBrowsePath_1", QStringLiteral("..."), QString()},
        {"cmdBrowse", QStringLiteral("F2 Browse"),
         QStringLiteral("Look for Folder with Files for Path")},
        {"cmdHelp", QStringLiteral("F1 Help"), QStringLiteral("Show Help")},
        {"cmdOkCancel_0", QStringLiteral("F10 Accept"), QStringLiteral("Save and Close")},
        {"cmdOkCancel_1", QStringLiteral("Esc Cancel"), QStringLiteral("Discard and Close")},
    };
    for (const auto& b : buttons) {
        EXPECT_EQ(child<QPushButton>(b.name)->text(), b.caption) << b.name;
        EXPECT_EQ(child<QPushButton>(b.name)->toolTip(), b.tip) << b.name;
    }
    EXPECT_EQ(child<QCheckBox>("chkNetwork")->text(), QStringLiteral("Network"));
    EXPECT_EQ(child<QCheckBox>("ckTest")->text(), QStringLiteral("Flag as Training Data"));
}

TEST_F(DataPathDialogTest, StoredValuesAreShown) {
    dp.setDataPath(QStringLiteral("C:\\Store"));
    dp.setImportExportPath(QStringLiteral("c:\\store"));
    dp.setNetwork(true);
    dp.setTestPath(QStringLiteral("Y"));
    dp.setStation(QStringLiteral("7"));
    open();
    EXPECT_EQ(dataBox()->text(), QStringLiteral("C:\\Store"));
    EXPECT_EQ(importBox()->text(), QStringLiteral("C:\\Store"));
    EXPECT_FALSE(shown("txtEdit_0"));
    EXPECT_TRUE(child<QCheckBox>("chkNetwork")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("ckTest")->isChecked());
    EXPECT_EQ(child<QComboBox>("cboEdit")->currentText(), QStringLiteral("7"));
    // Loading a checked training flag is no click: no caution box.
    EXPECT_TRUE(sb.boxes.shown().empty());
}

TEST_F(DataPathDialogTest, ADifferentImportExportFolderShowsItsRow) {
    dp.setDataPath(QStringLiteral("C:\\Store"));
    dp.setImportExportPath(QStringLiteral("C:\\Exchange"));
    open();
    EXPECT_TRUE(shown("txtEdit_0"));
    EXPECT_TRUE(shown("lblEdit_1"));
    EXPECT_TRUE(shown("cmdBrowsePath_0"));
    EXPECT_EQ(importBox()->text(), QStringLiteral("C:\\Exchange"));
    EXPECT_EQ(dataBox()->text(), QStringLiteral("C:\\Store"));
    // The two rows do not lie on each other.
    EXPECT_NE(dataBox()->y(), importBox()->y());
}

TEST_F(DataPathDialogTest, AStationAboveTheMaximumSelectsTheLast) {
    dp.setMaxStations(5);
    dp.setStation(QStringLiteral("9"));
    open();
    QComboBox* list = child<QComboBox>("cboEdit");
    ASSERT_EQ(list->count(), 5);
    EXPECT_EQ(list->itemText(0), QStringLiteral("1"));
    EXPECT_EQ(list->currentText(), QStringLiteral("5"));
}

TEST_F(DataPathDialogTest, NoStationSelectsTheDefaultStation) {
    dp.setDefaultStation(QStringLiteral("3"));
    for (const QString& station :
         {QStringLiteral("0"), QStringLiteral(""), QStringLiteral("abc")}) {
        dp.setStation(station);
        open();
        EXPECT_EQ(child<QComboBox>("cboEdit")->currentText(), QStringLiteral("3"))
            << station.toStdString();
    }
    dp.setDefaultStation(QStringLiteral("junk"));
    open();
    EXPECT_EQ(child<QComboBox>("cboEdit")->currentText(), QStringLiteral("1"));
}

TEST_F(DataPathDialogTest, WithoutTheStationListItStaysHidden) {
    dp.setStationNumberEnabled(false);
    open();
    EXPECT_FALSE(shown("cboEdit"));
    EXPECT_FALSE(shown("lblEdit_0"));
    EXPECT_EQ(form->CurrentEdit(), 1);
}

// ---------------------------------------------------------------------------------------------
// Enabling

TEST_F(DataPathDialogTest, OkFollowsTheDataPathBox) {
    open();
    dataBox()->clear();
    EXPECT_FALSE(okButton()->isEnabled());
    QTest::keyClick(dataBox(), Qt::Key_C);
    EXPECT_TRUE(okButton()->isEnabled());
    dataBox()->setText(QStringLiteral("   "));
    EXPECT_FALSE(okButton()->isEnabled());
}

TEST_F(DataPathDialogTest, WithTheImportExportBoxInUseOkFollowsThatBox) {
    Services services{sb.boxes, sb.settings, sb.fs, sb.app};
    services.app.exeName = QStringLiteral("rizeredodevedez");
    clsDataPath other(services, ini, run, [](clsDataPath&) {});
    other.setAppLabel(kApp);
    other.setMaxStations(50);
    form = std::make_unique<frmSM_DATAPATH2>(other, browser);
    form->show();
    EXPECT_TRUE(importBox()->isEnabled());
    importBox()->clear();
    dataBox()->clear();
    EXPECT_TRUE(okButton()->isEnabled());  // once on, this rule never turns it off
    form = std::make_unique<frmSM_DATAPATH2>(other, browser);
    form->show();
    dataBox()->clear();
    EXPECT_TRUE(okButton()->isEnabled());
}

TEST_F(DataPathDialogTest, BrowseFollowsTheFocusAndEnter) {
    open();
    QPushButton* browse = child<QPushButton>("cmdBrowse");
    EXPECT_FALSE(browse->isEnabled());
    QTest::keyClick(dataBox(), Qt::Key_Return);
    EXPECT_TRUE(browse->isEnabled());
    // Enter presses no button: the dialog is still open and nothing was saved.
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(sb.settings.size(), 0);
    QFocusEvent listIn(QEvent::FocusIn);
    QApplication::sendEvent(child<QComboBox>("cboEdit"), &listIn);
    EXPECT_FALSE(browse->isEnabled());
    QFocusEvent boxIn(QEvent::FocusIn);
    QApplication::sendEvent(dataBox(), &boxIn);
    EXPECT_TRUE(browse->isEnabled());
    EXPECT_EQ(form->CurrentEdit(), 1);
}

// ---------------------------------------------------------------------------------------------
// OK and Cancel

TEST_F(DataPathDialogTest, OkWithAnExistingFolderSavesItAsDataAndStationFolder) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    open();
    child<QComboBox>("cboEdit")->setCurrentIndex(2);
    okButton()->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_FALSE(dp.Cancelled());
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\KT"));
    EXPECT_EQ(stored(QStringLiteral("STATIONPATH")), QStringLiteral("C:\\KT"));
    EXPECT_EQ(stored(QStringLiteral("STATION")), QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("NETWORK")), QStringLiteral("False"));
    EXPECT_EQ(stored(QStringLiteral("TESTDATA")), QString());
    EXPECT_EQ(dp.DataPath(), QStringLiteral("C:\\KT"));
    EXPECT_EQ(dp.StationLabel(), QStringLiteral("Station 3 of 50"));
    EXPECT_EQ(dp.ImportExportPath(), QStringLiteral("C:\\KT"));
    EXPECT_TRUE(sb.boxes.shown().empty());
}

TEST_F(DataPathDialogTest, TheTrainingFlagWarnsAndIsStoredOnOk) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    open();
    sb.boxes.expect(kCaution);
    child<QCheckBox>("ckTest")->click();
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].style, box::Information);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Caution"));
    EXPECT_EQ(sb.settings.size(), 0);  // nothing before OK
    EXPECT_TRUE(dp.TestPath().isEmpty());
    okButton()->click();
    EXPECT_EQ(stored(QStringLiteral("TESTDATA")), QStringLiteral("Y"));
    EXPECT_EQ(dp.TestPath(), QStringLiteral("Y"));
}

TEST_F(DataPathDialogTest, ClearingTheTrainingFlagAsksNothingAndStoresEmpty) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    dp.setTestPath(QStringLiteral("Y"));
    dp.setDataPath(QStringLiteral("C:\\KT"));
    dp.setImportExportPath(QStringLiteral("C:\\KT"));
    open();
    child<QCheckBox>("ckTest")->click();
    EXPECT_TRUE(sb.boxes.shown().empty());
    okButton()->click();
    EXPECT_EQ(stored(QStringLiteral("TESTDATA")), QString());
}

TEST_F(DataPathDialogTest, AFailedValidationKeepsTheDialogAndTheOldValues) {
    dp.setCreatePath(false);
    dp.setDataPath(QStringLiteral("C:\\OLD"));
    dp.setStationPath(QStringLiteral("C:\\OLD"));
    dp.setStation(QStringLiteral("2"));
    dp.setImportExportPath(QStringLiteral("C:\\OLD"));
    open();
    child<QCheckBox>("chkNetwork")->setChecked(true);
    child<QComboBox>("cboEdit")->setCurrentIndex(5);
    dataBox()->setText(QStringLiteral("C:\\NOPE"));
    child<QCheckBox>("chkNetwork")->setFocus();
    sb.boxes.expect(kDataNotFound);
    okButton()->click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->focusWidget(), dataBox());
    EXPECT_EQ(dp.FieldKey(), QStringLiteral("DATAPATH"));
    EXPECT_EQ(dp.DataPath(), QStringLiteral("C:\\OLD"));
    EXPECT_EQ(dp.StationPath(), QStringLiteral("C:\\OLD"));
    EXPECT_EQ(dp.Station(), QStringLiteral("2"));
    EXPECT_FALSE(dp.Network());
    EXPECT_EQ(sb.settings.size(), 0);
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Validation"));

    // Corrected, the same dialog accepts.
    sb.makeDir(QStringLiteral("C:\\NEW"));
    dataBox()->setText(QStringLiteral("C:\\NEW"));
    okButton()->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\NEW"));
    EXPECT_EQ(stored(QStringLiteral("NETWORK")), QStringLiteral("True"));
    EXPECT_EQ(stored(QStringLiteral("STATION")), QStringLiteral("6"));
}

TEST_F(DataPathDialogTest, AMissingFolderIsCreatedOnYesAndSaved) {
    open();
    sb.boxes.expect(createQuestion(QStringLiteral("C:\\KT")), BoxAnswer::Yes);
    okButton()->click();
    EXPECT_TRUE(QFileInfo(sb.native(QStringLiteral("C:\\KT"))).isDir());
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\KT"));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(DataPathDialogTest, NoToCreatingKeepsTheDialogOpen) {
    open();
    sb.boxes.expect(createQuestion(QStringLiteral("C:\\KT")), BoxAnswer::No);
    sb.boxes.expect(kDataNotFound);
    okButton()->click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(sb.settings.size(), 0);
    EXPECT_TRUE(dp.DataPath().isEmpty());
}

TEST_F(DataPathDialogTest, CancelLeavesTheSettingsAsTheyWere) {
    sb.settings.saveSetting(kApp, kSection, QStringLiteral("DATAPATH"), QStringLiteral("C:\\OLD"));
    dp.setDataPath(QStringLiteral("C:\\OLD"));
    open();
    dataBox()->setText(QStringLiteral("C:\\OTHER"));
    child<QCheckBox>("chkNetwork")->setChecked(true);
    child<QPushButton>("cmdOkCancel_1")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_TRUE(dp.Cancelled());
    EXPECT_EQ(dp.DataPath(), QStringLiteral("C:\\OLD"));
    EXPECT_FALSE(dp.Network());
    EXPECT_EQ(sb.settings.size(), 1);
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\OLD"));
}

// ---------------------------------------------------------------------------------------------
// Typed folders

TEST_F(DataPathDialogTest, ATrailingSeparatorAndBlanksAreNotStored) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    open();
    dataBox()->setText(QStringLiteral("  C:\\KT\\ "));
    okButton()->click();
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\KT"));
    EXPECT_EQ(stored(QStringLiteral("STATIONPATH")), QStringLiteral("C:\\KT"));
}

TEST_F(DataPathDialogTest, ADriveRootKeepsItsBackslash) {
    open();
    dataBox()->setText(QStringLiteral("C:\\"));
    okButton()->click();
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\"));
}

TEST_F(DataPathDialogTest, FolderNamesWithBlanksAndAccentsAreKeptAsTyped) {
    const QString folder = QStringLiteral("C:\\Mes Données\\Caisse 2");
    sb.makeDir(QStringLiteral("C:\\Mes Données"));
    open();
    dataBox()->setText(folder);
    sb.boxes.expect(createQuestion(folder), BoxAnswer::Yes);
    okButton()->click();
    EXPECT_TRUE(QFileInfo(sb.native(folder)).isDir());
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), folder);
}

TEST_F(DataPathDialogTest, AFileWhereAFolderIsExpectedIsRefused) {
    sb.writeFile(QStringLiteral("C:\\KT\\VOR.INI"), "[MISCELLANEOUS]\r\n");
    open();
    dataBox()->setText(QStringLiteral("C:\\KT\\VOR.INI"));
    sb.boxes.expect(createQuestion(QStringLiteral("C:\\KT\\VOR.INI")), BoxAnswer::Yes);
    sb.boxes.expect(QStringLiteral("Unable To Create Path\rFile exists"));
    sb.boxes.expect(kDataNotFound);
    okButton()->click();
    EXPECT_TRUE(sb.boxes.allAnswered());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(sb.settings.size(), 0);
    EXPECT_EQ(sb.readFile(QStringLiteral("C:\\KT\\VOR.INI")), QByteArray("[MISCELLANEOUS]\r\n"));
}

// ---------------------------------------------------------------------------------------------
// Keys

TEST_F(DataPathDialogTest, F10AcceptsFromInsideATextBox) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    open();
    QTest::keyClick(dataBox(), Qt::Key_F10);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\KT"));
}

TEST_F(DataPathDialogTest, F10WithOkDisabledDoesNothing) {
    open();
    dataBox()->clear();
    QTest::keyClick(dataBox(), Qt::Key_F10);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(sb.boxes.shown().empty());
    EXPECT_EQ(sb.settings.size(), 0);
}

TEST_F(DataPathDialogTest, EscCancels) {
    open();
    QTest::keyClick(child<QComboBox>("cboEdit"), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(dp.Cancelled());
    EXPECT_EQ(sb.settings.size(), 0);
}

TEST_F(DataPathDialogTest, F1ShowsTheHelp) {
    open();
    const QString help = QStringLiteral(
        "A valid data path is necessary before an application can run.\r"
        "A path is also sometimes refered to as a folder or a directory.\r\r"
        "DATA PATH - The location of the VOR database files, usually C:\\KT.\r"
        "You can type in the path or use the Browser to select its folder.\r\r"
        "STATION PATH - Location of the station's file, STA##.VOR.\r"
        "You can type in the path or use the Browser to select its folder.\r"
        "* May be disabled, if not used by an application.\r\r"
        "STATION - When running on a network, you can select the station\r"
        "number being used to access the network.\r\r"
        "BROWSER - Select an existing path by first, selecting the\r"
        "Drive from the drop-down listbox. Then, Double-Click on the\r"
        "folder to be selected as your path.\r\r"
        "HELP - Shows this help box.\r\r"
        "OK - Saves changes and exits.\r\r"
        "CANCEL - Discards changes and exits.\r\r");
    sb.boxes.expect(help);
    QTest::keyClick(dataBox(), Qt::Key_F1);
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Station and Data Path Help"));
    EXPECT_EQ(sb.boxes.shown()[0].style, box::Information);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(DataPathDialogTest, F2DoesNothing) {
    open();
    QTest::keyClick(dataBox(), Qt::Key_Return);  // enables "F2 Browse"
    QTest::keyClick(dataBox(), Qt::Key_F2);
    QTest::keyClick(form.get(), Qt::Key_F2);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(sb.boxes.shown().empty());
    EXPECT_EQ(dataBox()->text(), QStringLiteral("C:\\KT"));
}

// ---------------------------------------------------------------------------------------------
// The "..." buttons

TEST_F(DataPathDialogTest, TheBrowserStartsOnTheBoxAndReturnsItsFolder) {
    sb.makeDir(QStringLiteral("C:\\KT\\Data"));
    open();
    dataBox()->setText(QStringLiteral("c:\\kt  "));
    test::ModalDriver driver;
    driver.on(QStringLiteral("frmSMFILE_PATH"), [](QWidget* w) {
        QTest::keyClick(w->findChild<QWidget*>(QStringLiteral("dirBrowse")), Qt::Key_F10);
    });
    child<QPushButton>("cmdBrowsePath_1")->click();
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(browser.BrowseDrive, QStringLiteral("C:"));
    EXPECT_EQ(dataBox()->text(), QStringLiteral("C:\\KT"));
}

TEST_F(DataPathDialogTest, AFolderChosenInTheTreeFillsTheBox) {
    sb.makeDir(QStringLiteral("C:\\KT\\Data"));
    open();
    test::ModalDriver driver;
    driver.on(QStringLiteral("frmSMFILE_PATH"), [this](QWidget* w) {
        auto* tree = w->findChild<QTreeView*>(QStringLiteral("dirBrowse"));
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        tree->setCurrentIndex(model->index(sb.native(QStringLiteral("C:\\KT\\Data"))));
        QTest::keyClick(tree, Qt::Key_F10);
    });
    child<QPushButton>("cmdBrowsePath_1")->click();
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(dataBox()->text(), QStringLiteral("C:\\KT\\Data"));
}

TEST_F(DataPathDialogTest, AFolderOutsideTheDrivesComesBackWithItsStartUpperCased) {
    const QString outside = sb.root() + QStringLiteral("/plain");
    QDir().mkpath(outside);
    open();
    dataBox()->setText(outside);
    test::ModalDriver driver;
    driver.on(QStringLiteral("frmSMFILE_PATH"),
              [](QWidget* w) { QTest::keyClick(w, Qt::Key_F10); });
    child<QPushButton>("cmdBrowsePath_1")->click();
    const QString expected = outside.left(3).toUpper() + outside.mid(3);
    EXPECT_EQ(dataBox()->text(), expected);
    // The upper-cased start still names the same folder.
    EXPECT_TRUE(sb.fs.dirExists(dataBox()->text()));
}

TEST_F(DataPathDialogTest, ACancelledBrowserLeavesTheBoxAlone) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    open();
    dataBox()->setText(QStringLiteral("c:\\kt"));
    test::ModalDriver driver;
    driver.on(QStringLiteral("frmSMFILE_PATH"),
              [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    child<QPushButton>("cmdBrowsePath_1")->click();
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(browser.BrowseCancelled);
    EXPECT_EQ(dataBox()->text(), QStringLiteral("c:\\kt"));
    EXPECT_TRUE(form->isVisible());
}

// ---------------------------------------------------------------------------------------------
// The whole start: no settings, the program's own dialog, a folder created and saved

TEST_F(DataPathDialogTest, FirstStartDefinesTheDataFolderThroughTheRealDialog) {
    clsDataPath real(sb.services, ini, run);
    sb.boxes.expect(
        QStringLiteral(
            "A path to the VOR Data Files has not been defined\r\rDo you want to define it now?"),
        BoxAnswer::Yes);
    sb.boxes.expect(createQuestion(QStringLiteral("C:\\KT")), BoxAnswer::Yes);
    test::ModalDriver driver;
    driver.on(QStringLiteral("frmSM_DATAPATH2"), [](QWidget* w) {
        w->findChild<QPushButton*>(QStringLiteral("cmdOkCancel_0"))->click();
    });
    EXPECT_TRUE(OpenDataPath(real, 4));
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(real.DataPath(), QStringLiteral("C:\\KT"));
    EXPECT_FALSE(real.Cancelled());
    EXPECT_TRUE(QFileInfo(sb.native(QStringLiteral("C:\\KT"))).isDir());
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\KT"));
    EXPECT_EQ(stored(QStringLiteral("STATIONPATH")), QStringLiteral("C:\\KT"));
    EXPECT_EQ(stored(QStringLiteral("STATION")), QStringLiteral("1"));
    EXPECT_EQ(stored(QStringLiteral("NETWORK")), QStringLiteral("False"));
}

TEST_F(DataPathDialogTest, ChangingThroughTheRealDialogAndItsBrowser) {
    sb.makeDir(QStringLiteral("C:\\KT\\Data"));
    sb.settings.saveSetting(kApp, kSection, QStringLiteral("DATAPATH"), QStringLiteral("C:\\KT"));
    clsDataPath real(sb.services, ini, run);
    real.gpDataPathRead();
    real.setMaxStations(50);
    real.setStationNumberEnabled(true);
    test::ModalDriver driver;
    driver
        .on(QStringLiteral("frmSM_DATAPATH2"),
            [](QWidget* w) {
                w->findChild<QPushButton*>(QStringLiteral("cmdBrowsePath_1"))->click();
            })
        .on(QStringLiteral("frmSMFILE_PATH"),
            [this](QWidget* w) {
                auto* tree = w->findChild<QTreeView*>(QStringLiteral("dirBrowse"));
                auto* model = qobject_cast<QFileSystemModel*>(tree->model());
                tree->setCurrentIndex(model->index(sb.native(QStringLiteral("C:\\KT\\Data"))));
                QTest::keyClick(w, Qt::Key_F10);
            })
        .on(QStringLiteral("frmSM_DATAPATH2"), [](QWidget* w) {
            QTest::keyClick(w->findChild<QWidget*>(QStringLiteral("txtEdit_1")), Qt::Key_F10);
        });
    EXPECT_TRUE(real.gfbVOR_DataPath_change(false));
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(real.DataPath(), QStringLiteral("C:\\KT\\Data"));
    EXPECT_EQ(stored(QStringLiteral("DATAPATH")), QStringLiteral("C:\\KT\\Data"));
}

}  // namespace
}  // namespace qv
