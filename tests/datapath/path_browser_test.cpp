#include "datapath/frm_smfile_path.h"
#include "datapath/twips.h"
#include "tests/support/data_files.h"
#include "tests/support/form_state.h"
#include "tests/support/keys.h"
#include "tests/support/sandbox.h"
#include "tests/support/shown_box.h"
#include "tests/support/ui_steps.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QtWidgets>

namespace qv {
namespace {

using test::BoxShown;

class PathBrowserTest : public ::testing::Test {
protected:
    test::Sandbox sb;
    const QString secondDrive = sb.makeDir("D:\\Backup");  // before the form lists the drives
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
    QString state(const QString& label);
};

// What the browser shows and returns: open or closed, the folder shown, whether Accept is on,
// the drive list, the files listed and the results.
QString PathBrowserTest::state(const QString& label) {
    QStringList drives;
    auto* list = child<QComboBox>("drvBrowse");
    for (int i = 0; i < list->count(); ++i) {
        drives << list->itemText(i);
    }
    return QStringLiteral(
               "%1: %2 | shown %3 | Accept %4 | drives %5 (%6) | files %7\n"
               "  result: cancelled %8 | path %9")
               .arg(label, form.isVisible() ? QStringLiteral("open") : QStringLiteral("closed"),
                    pathLabel(),
                    okButton()->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"),
                    drives.join(u','), list->currentText(), files().join(u','),
                    form.BrowseCancelled ? QStringLiteral("yes") : QStringLiteral("no"),
                    form.BrowsePath) +
           QStringLiteral(" | drive %1 | file %2 | title %3\n")
               .arg(form.BrowseDrive, form.BrowseFile, form.windowTitle());
}

// The user's steps of browser.steps with the test's own: set a property and show the form,
// pick a folder in the tree, make folders and files, look at the form.
TEST_F(PathBrowserTest, EveryStepShowsAndReturnsWhatTheGoldenTextSays) {
    QString out;
    test::RunUiSteps([this] { return &form; }, "datapath/browser.steps",
                     [&](const QString& verb, const QStringList& a) {
                         if (verb == u"show") {
                             form.hide();
                             form.BrowsePath = a.value(0);
                             form.BrowseDrive = a.value(1);
                             form.BrowseFile = a.value(2);
                             form.ShowFiles = a.value(3) == u"files";
                             form.SelectFile = a.value(4) == u"select";
                             form.AnyFolder = a.value(5) == u"any";
                             form.BrowseTitle = a.value(6);
                             form.show();
                         } else if (verb == u"pick") {
                             pickInTree(a.value(0));
                         } else if (verb == u"mkdir") {
                             sb.makeDir(a.value(0));
                         } else if (verb == u"keys") {
                             test::ShowForKeys(form);
                         } else if (verb == u"file") {
                             sb.writeFile(a.value(0), "");
                         } else if (verb == u"double-click") {  // the second file
                             auto* list = child<QListWidget>("fileBrowse");
                             list->setCurrentRow(1);
                             list->doItemsLayout();
                             const QPoint at = list->visualItemRect(list->item(1)).center();
                             // The first click's press and release, then the second press.
                             QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                             QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
                         } else {
                             out += state(a.value(0));
                         }
                     });
    test::ExpectGolden("datapath/browser_steps.txt", out);
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

// In file mode the pattern's files are listed, and the form is wider: its width and the places
// of its controls in twips.
TEST_F(PathBrowserTest, FileModeListsTheFilesOfThePattern) {
    for (const char* file : {"C:\\KT\\B.VOR", "C:\\KT\\a.vor", "C:\\KT\\notes.txt"}) {
        sb.writeFile(file, "");
    }
    sb.makeDir("C:\\KT\\SUB.VOR");
    form.ShowFiles = true;
    form.BrowseFile = "*.VOR";
    form.BrowsePath = "C:\\KT";
    form.show();
    EXPECT_EQ(files(), (QStringList{"a.vor", "B.VOR"}));
    EXPECT_EQ(QList<int>({form.width(), child<QLabel>("lblPath")->width(), okButton()->x(),
                          child<QPushButton>("cmdOkCancel_1")->x()}),
              QList<int>({twips(8025), twips(7695), twips(5300), twips(6570)}));
    test::ExpectGolden("datapath/browser_file_mode.txt", test::FormState(form));
    QTest::keyClick(&form, Qt::Key_F10);  // OK is off: nothing happens
    EXPECT_TRUE(form.isVisible());
}

}  // namespace
}  // namespace qv
