#include "datapath/frm_smfile_path.h"
#include "datapath/twips.h"
#include "tests/support/data_files.h"
#include "tests/support/form_state.h"
#include "tests/support/keys.h"
#include "tests/support/modal_driver.h"
#include "tests/support/sandbox.h"
#include "tests/support/shown_box.h"

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

using test::BoxShown;

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
    // Shows the form in file mode on a folder.
    void showFiles(const QString& folder, const QString& pattern = {}) {
        form.ShowFiles = true;
        form.BrowseFile = pattern;
        form.BrowsePath = folder;
        form.show();
    }
    // The width of the form and the places of its controls, in twips.
    void expectLayout(int form_, int label, int ok, int cancel) {
        EXPECT_EQ(form.width(), twips(form_));
        EXPECT_EQ(child<QLabel>("lblPath")->width(), twips(label));
        EXPECT_EQ(okButton()->x(), twips(ok));
        EXPECT_EQ(child<QPushButton>("cmdOkCancel_1")->x(), twips(cancel));
    }
};

TEST_F(PathBrowserTest, WithoutSettingsItOpensInFolderModeOnTheCurrentFolder) {
    form.show();
    EXPECT_EQ(form.currentFolder(), QDir::cleanPath(QDir::currentPath()));
    EXPECT_EQ(pathLabel(), sb.fs.resolver().toDisplay(QDir::currentPath()));
    EXPECT_TRUE(form.BrowseCancelled);
    expectLayout(4653, 4275, 1860, 3150);
    child<QLabel>("lblPath")->clear();  // the current folder differs from run to run
    test::ExpectGolden("datapath/browser_folder_mode.txt", test::FormState(form));
}

TEST_F(PathBrowserTest, AStartDriveFolderAndTitleAreAppliedAndF10ReturnsThem) {
    sb.makeDir("C:\\KT\\Data");
    form.BrowseDrive = "C:";
    form.BrowsePath = "c:\\kt\\DATA";
    form.BrowseTitle = "Find the Export Folder";
    form.show();
    EXPECT_EQ(form.windowTitle(), "Find the Export Folder");
    EXPECT_EQ(child<QComboBox>("drvBrowse")->currentText(), "C:");
    EXPECT_EQ(pathLabel(), "C:\\KT\\Data");
    QTest::keyClick(child<QWidget>("dirBrowse"), Qt::Key_F10);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.BrowseCancelled);
    EXPECT_EQ(form.BrowsePath, "C:\\KT\\Data");
    EXPECT_EQ(form.BrowseDrive, "C:");
    EXPECT_TRUE(form.BrowseFile.isEmpty());
}

TEST_F(PathBrowserTest, AStartFolderOrDriveThatIsNotThereIsSkipped) {
    sb.writeFile("C:\\KT\\VOR.INI", "x");
    form.BrowsePath = "C:\\KT";
    form.show();
    form.hide();
    for (const char* bad : {"C:\\NOPE", "Q:\\KT", "C:\\KT\\ghost\\", "::??", "C:\\KT\\VOR.INI"}) {
        form.BrowsePath = bad;
        form.show();
        EXPECT_EQ(pathLabel(), "C:\\KT") << bad;
        form.hide();
    }
    form.BrowseDrive = "Z:";
    form.BrowsePath.clear();
    form.show();
    EXPECT_EQ(child<QComboBox>("drvBrowse")->currentText(), "C:");
}

TEST_F(PathBrowserTest, TheDriveListOffersTheRootAndEachDriveAndChoosingOneMovesToItsRoot) {
    sb.makeDir("C:\\KT");
    sb.makeDir("D:\\Backup");
    frmSMFILE_PATH withD(sb.fs.resolver(), sb.boxes);
    withD.BrowsePath = "C:\\KT";
    withD.show();
    auto* drives = withD.findChild<QComboBox*>("drvBrowse");
    QStringList items;
    for (int i = 0; i < drives->count(); ++i) {
        items << drives->itemText(i);
    }
    EXPECT_EQ(items, (QStringList{"/", "C:", "D:"}));
    drives->setCurrentIndex(drives->findText("D:"));
    EXPECT_EQ(withD.findChild<QLabel*>("lblPath")->text(), "D:\\");
    QTest::keyClick(&withD, Qt::Key_F10);
    EXPECT_EQ(withD.BrowsePath, "D:\\");
    EXPECT_EQ(withD.BrowseDrive, "D:");
}

TEST_F(PathBrowserTest, AFolderPickedInTheTreeIsTheResultAndEscCancels) {
    sb.makeDir(QStringLiteral("C:\\KT\\Sub Folder Ü"));
    form.BrowsePath = "C:\\KT";
    form.show();
    pickInTree(QStringLiteral("C:\\KT\\Sub Folder Ü"));
    EXPECT_EQ(pathLabel(), QStringLiteral("C:\\KT\\Sub Folder Ü"));
    okButton()->click();
    EXPECT_EQ(form.BrowsePath, QStringLiteral("C:\\KT\\Sub Folder Ü"));

    form.BrowsePath = "C:\\KT";
    form.show();
    pickInTree(QStringLiteral("C:\\KT\\Sub Folder Ü"));
    QTest::keyClick(child<QWidget>("dirBrowse"), Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.BrowseCancelled);
    EXPECT_EQ(form.BrowsePath, "C:\\KT");
}

TEST_F(PathBrowserTest, F1ShowsTheHelp) {
    sb.boxes.expect(QString::fromUtf8(test::ReadData("datapath/browser_help.txt")));
    form.show();
    QTest::keyClick(child<QWidget>("drvBrowse"), Qt::Key_F1);
    EXPECT_TRUE(BoxShown(sb.boxes, 0, 64, "Path Browser Help"));
    EXPECT_TRUE(form.isVisible());
}

// ---------------------------------------------------------------------------------------------
// File mode

TEST_F(PathBrowserTest, FileModeListsTheFilesOfThePattern) {
    sb.writeFile("C:\\KT\\B.VOR", "");
    sb.writeFile("C:\\KT\\a.vor", "");
    sb.writeFile("C:\\KT\\notes.txt", "");
    sb.makeDir("C:\\KT\\SUB.VOR");
    showFiles("C:\\KT", "*.VOR");
    EXPECT_EQ(files(), (QStringList{"a.vor", "B.VOR"}));
    expectLayout(8025, 7695, 5300, 6570);
    test::ExpectGolden("datapath/browser_file_mode.txt", test::FormState(form));
    QTest::keyClick(&form, Qt::Key_F10);  // OK is off: nothing happens
    EXPECT_TRUE(form.isVisible());
}

TEST_F(PathBrowserTest, AllFilesAreListedAndAFolderWithFilesEnablesOk) {
    sb.makeDir("C:\\KT\\Empty");
    sb.writeFile("C:\\KT\\Full\\INVT.VOR", "");
    sb.writeFile("C:\\KT\\README", "");
    sb.writeFile("C:\\KT\\VOR.INI", "");
    showFiles("C:\\KT");
    // Without a pattern every file is listed, names without a point too.
    EXPECT_EQ(child<QLineEdit>("txtFileSpec")->text(), "*.*");
    EXPECT_EQ(files(), (QStringList{"README", "VOR.INI"}));
    pickInTree("C:\\KT\\Full");
    EXPECT_TRUE(okButton()->isEnabled());
    pickInTree("C:\\KT\\Empty");
    EXPECT_FALSE(okButton()->isEnabled());
    form.AnyFolder = true;
    pickInTree("C:\\KT\\Full");
    pickInTree("C:\\KT\\Empty");
    EXPECT_TRUE(okButton()->isEnabled());
}

TEST_F(PathBrowserTest, SelectingAFileReturnsIt) {
    sb.writeFile("C:\\KT\\A.VOR", "");
    sb.writeFile("C:\\KT\\Sub\\INVT.VOR", "");
    sb.writeFile("C:\\KT\\Sub\\UPC.VOR", "");
    form.SelectFile = true;
    showFiles("C:\\KT");
    auto* list = child<QListWidget>("fileBrowse");
    EXPECT_TRUE(list->isEnabled());
    pickInTree("C:\\KT\\Sub");
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(), "INVT.VOR");

    list->setCurrentRow(1);
    list->doItemsLayout();
    const QRect second = list->visualItemRect(list->item(1));
    // A double click: the first click's press and release, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.BrowseCancelled);
    EXPECT_EQ(form.BrowseFile, "UPC.VOR");
    EXPECT_EQ(form.BrowsePath, "C:\\KT\\Sub");
}

TEST_F(PathBrowserTest, ShownModallyItReturnsWhenAccepted) {
    sb.makeDir("C:\\KT");
    form.BrowsePath = "C:\\KT";
    test::ModalDriver driver;
    driver.on("frmSMFILE_PATH", [](QWidget* w) { QTest::keyClick(w, Qt::Key_F10); });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.BrowsePath, "C:\\KT");
}

TEST_F(PathBrowserTest, TabReadsTheFormRowByRowInBothModes) {
    sb.makeDir("C:\\KT");
    sb.writeFile("C:\\KT\\VOR.INI", "");
    form.SelectFile = true;
    showFiles("C:\\KT", "*.INI");
    test::ShowForKeys(form);
    // The pattern box is only shown; Accept waits for a file.
    test::ExpectTabCycle(form, "drvBrowse",
                         {"drvBrowse", "dirBrowse", "fileBrowse", "cmdHelp", "cmdOkCancel_1"});
    form.hide();
    form.ShowFiles = false;
    form.show();
    test::ShowForKeys(form);
    test::ExpectTabCycle(form, "drvBrowse",
                         {"drvBrowse", "dirBrowse", "cmdHelp", "cmdOkCancel_0", "cmdOkCancel_1"});
}

}  // namespace
}  // namespace qv
