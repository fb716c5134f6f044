#include "datapath/frm_smfile_path.h"
#include "datapath/twips.h"
#include "tests/datapath/modal_driver.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace qv {
namespace {

class PathBrowserTest : public ::testing::Test {
protected:
    test::Sandbox sb;
    frmSMFILE_PATH form{sb.fs.resolver(), sb.boxes};

    template <class T>
    T* child(const char* name) {
        T* w = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPushButton* okButton() { return child<QPushButton>("cmdOkCancel_0"); }
    QString pathLabel() { return child<QLabel>("lblPath")->text(); }
    QStringList files() {
        QStringList out;
        auto* list = child<QListWidget>("fileBrowse");
        for (int i = 0; i < list->count(); ++i) {
            out << list->item(i)->text();
        }
        return out;
    }
    // Picks a folder in the tree, as the user does by clicking it.
    void pickInTree(const QString& path) {
        auto* tree = child<QTreeView>("dirBrowse");
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        const QModelIndex index = model->index(sb.native(path));
        ASSERT_TRUE(index.isValid());
        tree->setCurrentIndex(index);
    }
};

TEST_F(PathBrowserTest, WithoutSettingsItOpensInFolderModeOnTheCurrentFolder) {
    form.show();
    EXPECT_EQ(form.currentFolder(), QDir::cleanPath(QDir::currentPath()));
    EXPECT_EQ(pathLabel(), sb.fs.resolver().toDisplay(QDir::currentPath()));
    EXPECT_FALSE(child<QWidget>("fileBrowse")->isVisibleTo(&form));
    EXPECT_FALSE(child<QWidget>("txtFileSpec")->isVisibleTo(&form));
    EXPECT_TRUE(okButton()->isEnabled());
    EXPECT_TRUE(form.BrowseCancelled);
    EXPECT_EQ(form.width(), twips(4653));
    EXPECT_EQ(child<QLabel>("lblPath")->width(), twips(4275));
    EXPECT_EQ(okButton()->x(), twips(1860));
    EXPECT_EQ(child<QPushButton>("cmdOkCancel_1")->x(), twips(3150));
}

TEST_F(PathBrowserTest, ControlsCarryTheirCaptions) {
    EXPECT_EQ(child<QPushButton>("cmdHelp")->text(), QStringLiteral("F1  Help"));
    EXPECT_EQ(child<QPushButton>("cmdHelp")->toolTip(), QStringLiteral("Show Help"));
    EXPECT_EQ(okButton()->text(), QStringLiteral("F10  Accept"));
    EXPECT_EQ(okButton()->toolTip(), QStringLiteral("Set Path and Close"));
    EXPECT_EQ(child<QPushButton>("cmdOkCancel_1")->text(), QStringLiteral("Esc  Cancel"));
    EXPECT_EQ(child<QPushButton>("cmdOkCancel_1")->toolTip(), QStringLiteral("Discard and Close"));
    EXPECT_EQ(child<QLabel>("lblToolTip")->text(),
              QStringLiteral("Shows Data Files in Selected Path"));
}

TEST_F(PathBrowserTest, TheDriveListOffersTheRootAndEachDrive) {
    sb.makeDir(QStringLiteral("D:\\"));
    frmSMFILE_PATH twoDrives(sb.fs.resolver(), sb.boxes);
    auto* drives = twoDrives.findChild<QComboBox*>(QStringLiteral("drvBrowse"));
    ASSERT_NE(drives, nullptr);
    QStringList items;
    for (int i = 0; i < drives->count(); ++i) {
        items << drives->itemText(i);
    }
    EXPECT_EQ(items,
              (QStringList{QStringLiteral("/"), QStringLiteral("C:"), QStringLiteral("D:")}));
}

TEST_F(PathBrowserTest, AStartDriveAndFolderAreApplied) {
    sb.makeDir(QStringLiteral("C:\\KT\\Data"));
    form.BrowseDrive = QStringLiteral("C:");
    form.BrowsePath = QStringLiteral("c:\\kt\\DATA");
    form.show();
    EXPECT_EQ(child<QComboBox>("drvBrowse")->currentText(), QStringLiteral("C:"));
    EXPECT_EQ(pathLabel(), QStringLiteral("C:\\KT\\Data"));
    QTest::keyClick(child<QWidget>("dirBrowse"), Qt::Key_F10);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.BrowseCancelled);
    EXPECT_EQ(form.BrowsePath, QStringLiteral("C:\\KT\\Data"));
    EXPECT_EQ(form.BrowseDrive, QStringLiteral("C:"));
    EXPECT_TRUE(form.BrowseFile.isEmpty());
}

TEST_F(PathBrowserTest, AStartFolderThatIsNotThereIsSkipped) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    form.BrowsePath = QStringLiteral("C:\\KT");
    form.show();
    form.hide();
    for (const QString& bad : {QStringLiteral("C:\\NOPE"), QStringLiteral("Q:\\KT"),
                               QStringLiteral("C:\\KT\\ghost\\"), QStringLiteral("::??")}) {
        form.BrowsePath = bad;
        form.show();
        EXPECT_EQ(pathLabel(), QStringLiteral("C:\\KT")) << bad.toStdString();
        form.hide();
    }
    // A start drive that is not offered is skipped too.
    form.BrowseDrive = QStringLiteral("Z:");
    form.BrowsePath.clear();
    form.show();
    EXPECT_EQ(child<QComboBox>("drvBrowse")->currentText(), QStringLiteral("C:"));
}

TEST_F(PathBrowserTest, AFileGivenAsStartFolderIsSkipped) {
    sb.writeFile(QStringLiteral("C:\\KT\\VOR.INI"), "x");
    form.BrowsePath = QStringLiteral("C:\\KT");
    form.show();
    form.hide();
    form.BrowsePath = QStringLiteral("C:\\KT\\VOR.INI");
    form.show();
    EXPECT_EQ(pathLabel(), QStringLiteral("C:\\KT"));
}

TEST_F(PathBrowserTest, ChoosingADriveMovesToItsRoot) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    sb.makeDir(QStringLiteral("D:\\Backup"));
    frmSMFILE_PATH withD(sb.fs.resolver(), sb.boxes);
    withD.BrowsePath = QStringLiteral("C:\\KT");
    withD.show();
    auto* drives = withD.findChild<QComboBox*>(QStringLiteral("drvBrowse"));
    drives->setCurrentIndex(drives->findText(QStringLiteral("D:")));
    EXPECT_EQ(withD.findChild<QLabel*>(QStringLiteral("lblPath"))->text(), QStringLiteral("D:\\"));
    QTest::keyClick(&withD, Qt::Key_F10);
    EXPECT_EQ(withD.BrowsePath, QStringLiteral("D:\\"));
    EXPECT_EQ(withD.BrowseDrive, QStringLiteral("D:"));
}

TEST_F(PathBrowserTest, AFolderPickedInTheTreeIsTheResult) {
    sb.makeDir(QStringLiteral("C:\\KT\\Sub Folder Ü"));
    form.BrowsePath = QStringLiteral("C:\\KT");
    form.show();
    pickInTree(QStringLiteral("C:\\KT\\Sub Folder Ü"));
    EXPECT_EQ(pathLabel(), QStringLiteral("C:\\KT\\Sub Folder Ü"));
    okButton()->click();
    EXPECT_EQ(form.BrowsePath, QStringLiteral("C:\\KT\\Sub Folder Ü"));
}

TEST_F(PathBrowserTest, EscCancelsAndTheResultsStay) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    form.BrowsePath = QStringLiteral("C:\\KT");
    form.show();
    QTest::keyClick(child<QWidget>("dirBrowse"), Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.BrowseCancelled);
    EXPECT_EQ(form.BrowsePath, QStringLiteral("C:\\KT"));
}

TEST_F(PathBrowserTest, F1ShowsTheHelp) {
    sb.boxes.expect(
        QStringLiteral("A path is sometimes refered to as a folder or a directory.\r"
                       "Only a folder that contains the required data files can be\r"
                       "set as your path.\r\r"
                       "VOR database files are usually located in C:\\KT.\r"
                       "Sample database files, if installed, can be found in:\r"
                       " C:\\Program Files\\VOR Automation\\Sample Files\r\r"
                       "You select a path by first, selecting the Drive\r"
                       "from the drop-down listbox. Then, Double-Click on\r"
                       "the folder to be used as your path.\r\r"
                       "HELP - Shows this help box.\r"
                       "OK - Sets the chosen Path and exits.\r"
                       "CANCEL - Discards changes and exits.\r\r"));
    form.show();
    QTest::keyClick(child<QWidget>("drvBrowse"), Qt::Key_F1);
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].title, QStringLiteral("Path Browser Help"));
    EXPECT_EQ(sb.boxes.shown()[0].style, 64);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(PathBrowserTest, TheTitleIsTakenWhenGiven) {
    form.BrowseTitle = QStringLiteral("Find the Export Folder");
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Find the Export Folder"));
}

// ---------------------------------------------------------------------------------------------
// File mode

TEST_F(PathBrowserTest, FileModeListsTheFilesOfThePattern) {
    sb.writeFile(QStringLiteral("C:\\KT\\B.VOR"), "");
    sb.writeFile(QStringLiteral("C:\\KT\\a.vor"), "");
    sb.writeFile(QStringLiteral("C:\\KT\\notes.txt"), "");
    sb.makeDir(QStringLiteral("C:\\KT\\SUB.VOR"));
    form.ShowFiles = true;
    form.BrowseFile = QStringLiteral("*.VOR");
    form.BrowsePath = QStringLiteral("C:\\KT");
    form.show();
    EXPECT_EQ(files(), (QStringList{QStringLiteral("a.vor"), QStringLiteral("B.VOR")}));
    EXPECT_EQ(child<QLineEdit>("txtFileSpec")->text(), QStringLiteral("*.VOR"));
    EXPECT_FALSE(child<QLineEdit>("txtFileSpec")->isEnabled());
    EXPECT_FALSE(child<QWidget>("fileBrowse")->isEnabled());
    EXPECT_TRUE(child<QWidget>("fileBrowse")->isVisibleTo(&form));
    EXPECT_FALSE(okButton()->isEnabled());
    EXPECT_EQ(form.width(), twips(8025));
    EXPECT_EQ(child<QLabel>("lblPath")->width(), twips(7695));
    EXPECT_EQ(okButton()->x(), twips(5300));
    EXPECT_EQ(child<QPushButton>("cmdOkCancel_1")->x(), twips(6570));
    // F10 with OK disabled does nothing.
    QTest::keyClick(&form, Qt::Key_F10);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(PathBrowserTest, AllFilesIncludeNamesWithoutAPoint) {
    sb.writeFile(QStringLiteral("C:\\KT\\README"), "");
    sb.writeFile(QStringLiteral("C:\\KT\\VOR.INI"), "");
    form.ShowFiles = true;
    form.BrowsePath = QStringLiteral("C:\\KT");
    form.show();
    EXPECT_EQ(child<QLineEdit>("txtFileSpec")->text(), QStringLiteral("*.*"));
    EXPECT_EQ(files(), (QStringList{QStringLiteral("README"), QStringLiteral("VOR.INI")}));
}

TEST_F(PathBrowserTest, AFolderWithFilesEnablesOkInFileMode) {
    sb.makeDir(QStringLiteral("C:\\KT\\Empty"));
    sb.writeFile(QStringLiteral("C:\\KT\\Full\\INVT.VOR"), "");
    form.ShowFiles = true;
    form.BrowsePath = QStringLiteral("C:\\KT");
    form.show();
    pickInTree(QStringLiteral("C:\\KT\\Full"));
    EXPECT_TRUE(okButton()->isEnabled());
    pickInTree(QStringLiteral("C:\\KT\\Empty"));
    EXPECT_FALSE(okButton()->isEnabled());
    form.AnyFolder = true;
    pickInTree(QStringLiteral("C:\\KT\\Full"));
    pickInTree(QStringLiteral("C:\\KT\\Empty"));
    EXPECT_TRUE(okButton()->isEnabled());
}

TEST_F(PathBrowserTest, SelectingAFileReturnsIt) {
    sb.writeFile(QStringLiteral("C:\\KT\\A.VOR"), "");
    sb.writeFile(QStringLiteral("C:\\KT\\Sub\\INVT.VOR"), "");
    sb.writeFile(QStringLiteral("C:\\KT\\Sub\\UPC.VOR"), "");
    form.ShowFiles = true;
    form.SelectFile = true;
    form.BrowsePath = QStringLiteral("C:\\KT");
    form.show();
    auto* list = child<QListWidget>("fileBrowse");
    EXPECT_TRUE(list->isEnabled());
    pickInTree(QStringLiteral("C:\\KT\\Sub"));
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(), QStringLiteral("INVT.VOR"));

    list->setCurrentRow(1);
    list->doItemsLayout();
    const QRect second = list->visualItemRect(list->item(1));
    // A double click: the first click's press and release, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.BrowseCancelled);
    EXPECT_EQ(form.BrowseFile, QStringLiteral("UPC.VOR"));
    EXPECT_EQ(form.BrowsePath, QStringLiteral("C:\\KT\\Sub"));
}

TEST_F(PathBrowserTest, ShownModallyItReturnsWhenAccepted) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    form.BrowsePath = QStringLiteral("C:\\KT");
    test::ModalDriver driver;
    driver.on(QStringLiteral("frmSMFILE_PATH"),
              [](QWidget* w) { QTest::keyClick(w, Qt::Key_F10); });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.BrowsePath, QStringLiteral("C:\\KT"));
}

}  // namespace
}  // namespace qv
