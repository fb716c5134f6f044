// The data path: the object scenario by scenario (data_path.steps), the Station and Data Path
// dialog (dialog.steps), the path browser (browser.steps) and the function keys that press the
// dialogs' buttons.

#include "datapath/data_path.h"
#include "datapath/frm_sm_datapath2.h"
#include "datapath/frm_smfile_path.h"
#include "datapath/twips.h"
#include "settings/function_keys.h"
#include "settings/ini_services.h"
#include "tests/support/data_files.h"
#include "tests/support/form_state.h"
#include "tests/support/keys.h"
#include "tests/support/modal_driver.h"
#include "tests/support/sandbox.h"
#include "tests/support/shown_box.h"
#include "tests/support/ui_steps.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QTest>
#include <QtWidgets>
#include <functional>
#include <map>
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
    QPushButton* okButton() const { return child<QPushButton>("cmdOkCancel_0"); }
    QComboBox* stations() const { return child<QComboBox>("cboEdit"); }
    QString stored(const QString& key) const {
        return sb.settings.getSetting(kApp, "DATABASE", key, "<none>");
    }
    QString state(const QString& label);
};

// What the dialog shows and the object holds: the dialog (open, or closed with its result),
// its buttons and station list, the object's values, the settings stored and the messages
// shown since the last look.
QString DataPathDialogTest::state(const QString& label) {
    QString out = label + QStringLiteral(": ") +
                  (form->isVisible() ? QStringLiteral("open")
                                     : QStringLiteral("closed, result %1").arg(form->result()));
    out +=
        QStringLiteral(" | OK %1 | Browse %2 | box %3 | station %4 of %5\n")
            .arg(QString::fromLatin1(okButton()->isEnabled() ? "on" : "off"),
                 QString::fromLatin1(child<QPushButton>("cmdBrowse")->isEnabled() ? "on" : "off"),
                 QString::number(form->CurrentEdit()), stations()->currentText(),
                 QString::number(stations()->count()));
    out += QStringLiteral(
               "  object: data %1 | station %2 in %3 | network %4 | training \"%5\" | "
               "field %6 | cancelled %7\n  stored:")
               .arg(dp.DataPath(), dp.Station(), dp.StationPath(),
                    dp.Network() ? QStringLiteral("yes") : QStringLiteral("no"), dp.TestPath(),
                    dp.FieldKey(), dp.Cancelled() ? QStringLiteral("yes") : QStringLiteral("no"));
    for (const char* key : {"NETWORK", "STATION", "STATIONPATH", "DATAPATH", "TESTDATA"}) {
        out += u' ' + stored(key);
    }
    out += u'\n' + sb.boxes.transcript();
    sb.boxes.clear();
    return out;
}

// The user's steps of dialog_steps.steps, with the test's own: open the dialog, look at it,
// make a folder, set a value of the object, move the focus into a control.
TEST_F(DataPathDialogTest, EveryStepLeavesTheDialogAndTheSettingsAsTheGoldenTextSays) {
    sb.boxes.answerUnexpected = true;
    QString out;
    open();
    test::RunUiSteps([&] { return form.get(); }, "datapath/dialog.steps",
                     [&](const QString& verb, const QStringList& a) {
                         if (verb == u"open") {
                             open();
                         } else if (verb == u"snap") {
                             out += state(a.value(0));
                         } else if (verb == u"mkdir") {
                             sb.makeDir(a.value(0));
                         } else if (verb == u"focusin") {
                             QFocusEvent in(QEvent::FocusIn);
                             QApplication::sendEvent(form->findChild<QWidget*>(a.value(0)), &in);
                         } else if (verb == u"station") {
                             dp.setStation(a.value(0));
                         } else if (verb == u"default") {
                             dp.setDefaultStation(a.value(0));
                         } else if (verb == u"stations") {
                             dp.setMaxStations(static_cast<std::int16_t>(a.value(0).toInt()));
                             dp.setStationNumberEnabled(a.value(0) != u"0");
                         } else if (verb == u"keys") {
                             test::ShowForKeys(*form);
                         } else if (verb == u"exe") {
                             sb.services.app.exeName = a.value(0);
                         } else if (verb == u"paths") {
                             dp.setDataPath(a.value(0));
                             dp.setImportExportPath(a.value(1));
                         } else if (verb == u"browse") {  // the browser closed with a key
                             test::ModalDriver driver;
                             const QKeyCombination k = QKeySequence::fromString(a.value(0))[0];
                             driver.on("frmSMFILE_PATH",
                                       [k](QWidget* w) { QTest::keyClick(w, k.key()); });
                             child<QPushButton>("cmdBrowsePath_1")->click();
                         } else if (verb == u"form") {
                             out += test::FormState(*form);
                         } else if (verb == u"above") {  // by rows on the screen
                             EXPECT_LT(form->findChild<QWidget*>(a.value(0))->y(),
                                       form->findChild<QWidget*>(a.value(1))->y());
                         } else if (verb == u"network") {
                             dp.setNetwork(a.value(0) == u"y");
                         } else if (verb == u"training") {
                             dp.setTestPath(a.value(0));
                         } else if (verb == u"create") {
                             dp.setCreatePath(a.value(0) == u"y");
                         } else {
                             ASSERT_EQ(verb, "uncancel");
                             dp.setCancelled(false);
                         }
                     });
    test::ExpectGolden("datapath/dialog_steps.txt", out);

    // F1 shows the help.
    QTest::keyClick(dataBox(), Qt::Key_F1);
    EXPECT_EQ(sb.boxes.shown().back().text,
              QString::fromUtf8(test::ReadData("datapath/dialog_help.txt")));
    EXPECT_TRUE(BoxShown(sb.boxes, -1, box::Information, "Station and Data Path Help"));
}

// ---------------------------------------------------------------------------------------------
// The "..." button

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

// The first start typed with keys only: the program's own question, then the dialog.
TEST_F(DataPathDialogTest, FirstStartTypedWithKeysOnly) {
    clsDataPath real(sb.services, ini, run);
    sb.boxes
        .expect(
            "A path to the VOR Data Files has not been defined\r\r"
            "Do you want to define it now?",
            BoxAnswer::Yes)
        .expect(createQuestion("C:\\Store"), BoxAnswer::Yes);
    test::ModalDriver driver;
    driver.on("frmSM_DATAPATH2", test::StepsOn("datapath/first_start_typed.steps"));
    EXPECT_TRUE(OpenDataPath(real, 4));
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(sb.boxes.allAnswered());
    EXPECT_EQ(stored("DATAPATH") + stored("STATIONPATH") + stored("STATION") + stored("NETWORK"),
              "C:\\StoreC:\\Store2False");
    EXPECT_TRUE(QFileInfo(sb.native("C:\\Store")).isDir());
}

// Each key of the table on a form of its buttons: one press goes to one control, or to none.
TEST(FunctionKeys, EachKeyPressesTheEnabledButtonThatNamesItAsTheTableSays) {
    std::unique_ptr<QWidget> form;
    std::map<QString, int> presses;
    for (const test::Case& c : test::Cases("datapath/function_keys.cases")) {
        SCOPED_TRACE(c.where());
        const QString verb = c.text(0);
        if (verb == u"form") {
            form = std::make_unique<QWidget>();
            presses.clear();
        } else if (verb == u"press") {
            const QKeyCombination k = QKeySequence::fromString(c.text(1))[0];
            QKeyEvent ev(QEvent::KeyPress, k.key(), k.keyboardModifiers());
            const std::map<QString, int> before = presses;
            EXPECT_EQ(PressFunctionKeyButton(form.get(), &ev), c.has(2));
            std::map<QString, int> expected = before;
            if (c.has(2)) {
                ++expected[c.text(2)];
            }
            EXPECT_EQ(presses, expected);
        } else {
            QWidget* parent = c.text(3) == u"frame" ? new QGroupBox(form.get()) : form.get();
            QAbstractButton* b = verb == u"check"
                                     ? static_cast<QAbstractButton*>(new QCheckBox(parent))
                                     : new QPushButton(parent);
            b->setText(c.text(2));
            b->setObjectName(c.text(1));
            b->setEnabled(c.text(3) != u"off");
            QObject::connect(b, &QAbstractButton::clicked,
                             [&presses, name = c.text(1)] { ++presses[name]; });
        }
    }
    QKeyEvent ev(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    EXPECT_FALSE(PressFunctionKeyButton(nullptr, &ev));
    EXPECT_FALSE(PressFunctionKeyButton(form.get(), nullptr));
}

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

QString yes(bool b) {
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

// A fresh world for one scenario; boxes the scenario does not answer are answered No (or Ok).
struct World {
    World() { sb.boxes.answerUnexpected = true; }
    QString stored(const QString& key) const {
        return sb.settings.getSetting(kApp, "DATABASE", key, "<none>");
    }
    QString state() const {
        return QStringLiteral(
                   "  data %1 | station %2 in %3 | network %4 | training %5 | valid %6 "
                   "field %7 | %8 | max %9\n")
            .arg(dp.DataPath(), dp.Station(), dp.StationPath(), yes(dp.Network()), dp.TestPath(),
                 yes(dp.Valid()), dp.FieldKey(), dp.StationLabel(),
                 QString::number(dp.MaxStations()));
    }
    QString end() const {
        QString out = sb.boxes.transcript() + QStringLiteral("stored:");
        for (const char* key : {"NETWORK", "STATION", "STATIONPATH", "DATAPATH", "TESTDATA"}) {
            out += u' ' + stored(key);
        }
        return out + QStringLiteral(" | %1 setting(s) | dialogs %2 | local safe mode %3\n")
                         .arg(sb.settings.size())
                         .arg(dialogs)
                         .arg(yes(run.LocalSafeMode));
    }

    test::Sandbox sb;
    clsINI_Services ini{sb.fs, sb.boxes};
    RunValues run;
    int dialogs = 0;
    QString onDialog;  // what the stand-in for the Station and Data Path dialog does
    clsDataPath dp{sb.services, ini, run, [this](clsDataPath& d) {
                       ++dialogs;
                       if (onDialog == u"cancel") {
                           d.setCancelled(true);
                       } else if (onDialog == u"report") {  // what the opening prepared
                           d.setTitle(QStringLiteral("create %1, station list %2")
                                          .arg(yes(d.CreatePath()), yes(d.StationNumberEnabled())));
                       } else if (onDialog.startsWith(u"station ")) {
                           d.setStation(onDialog.mid(8));
                       } else if (!onDialog.isEmpty()) {
                           d.setDataPath(onDialog);
                       }
                   }};
};

TEST(DataPath, EveryScenarioAnswersShowsAndStoresWhatItsGoldenTextSays) {
    std::unique_ptr<World> w;
    QString out;
    using Setter = void (clsDataPath::*)(const QString&);
    const std::map<QString, Setter> texts = {
        {"Station", &clsDataPath::setStation},
        {"DataPath", &clsDataPath::setDataPath},
        {"StationPath", &clsDataPath::setStationPath},
        {"TestPath", &clsDataPath::setTestPath},
        {"AppLabel", &clsDataPath::setAppLabel},
        {"DefaultStation", &clsDataPath::setDefaultStation},
        {"DefaultDataPath", &clsDataPath::setDefaultDataPath},
        {"DefaultStationPath", &clsDataPath::setDefaultStationPath},
        {"CheckFile", &clsDataPath::setCheckFile}};
    using Flag = void (clsDataPath::*)(bool);
    const std::map<QString, Flag> flags = {
        {"Network", &clsDataPath::setNetwork},
        {"DefaultNetwork", &clsDataPath::setDefaultNetwork},
        {"StationPathEnabled", &clsDataPath::setStationPathEnabled},
        {"SupressFileCheck", &clsDataPath::setSupressFileCheck},
        {"CreatePath", &clsDataPath::setCreatePath}};
    for (const test::Case& c : test::Cases("datapath/data_path.steps")) {
        SCOPED_TRACE(c.where());
        const QString verb = c.text(0);
        const QString a = c.text(1);
        const QString b = c.text(2);
        if (verb == u"scenario") {
            out += (w ? w->end() : QString()) + QStringLiteral("=== ") + a + u'\n';
            w = std::make_unique<World>();
        } else if (verb == u"set" && texts.count(a)) {
            (w->dp.*texts.at(a))(b);
        } else if (verb == u"set" && flags.count(a)) {
            (w->dp.*flags.at(a))(b == u"y");
        } else if (verb == u"set") {
            ASSERT_EQ(a, "MaxStations");
            w->dp.setMaxStations(static_cast<std::int16_t>(b.toInt()));
        } else if (verb == u"store") {
            w->sb.settings.saveSetting(kApp, "DATABASE", a, b);
        } else if (verb == u"mkdir") {
            w->sb.makeDir(a);
        } else if (verb == u"file") {
            w->sb.writeFile(a == u"program" ? w->sb.app.programFolder + u'/' + b : a, c.bytes(3));
        } else if (verb == u"remove") {
            QFile::remove(w->sb.native(a));
        } else if (verb == u"ini") {
            w->ini.File_Name(a);
        } else if (verb == u"answer") {
            w->sb.boxes.expect(QString(), a == u"yes" ? BoxAnswer::Yes : BoxAnswer::No);
        } else if (verb == u"dialog") {
            w->onDialog = a;
        } else if (verb == u"look") {  // what is on disk or in the files
            out += a + QStringLiteral(": ") +
                   (a == u"files" ? QDir(w->sb.native(b))
                                        .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)
                                        .join(u',')
                                  : QString::fromUtf8(w->sb.readFile(b)).simplified()) +
                   u'\n';
        } else {
            bool result = false;
            if (verb == u"Save") {
                result = w->dp.Save();
            } else if (verb == u"Read") {
                w->dp.Read(a == u"y", b.isEmpty() ? w->dp.AppLabel() : b);
            } else if (verb == u"Delete") {
                w->dp.Delete();
            } else if (verb == u"gpDataPathRead") {
                w->dp.gpDataPathRead();
            } else if (verb == u"Validate") {
                result = w->dp.Validate(a == u"silent");
            } else if (verb == u"OpenDataPath") {
                result = OpenDataPath(w->dp, static_cast<std::int16_t>(a.toInt()));
            } else if (verb == u"CheckSafeFolder") {
                result = CheckSafeFolder(w->dp);
            } else if (verb == u"open") {  // the class's own opening
                result = w->dp.gfbVOR_DataPath_open(a == u"y", static_cast<std::int16_t>(b.toInt()),
                                                    c.text(3), c.text(4) == u"y");
            } else {
                ASSERT_EQ(verb, "change");
                result = w->dp.gfbVOR_DataPath_change(a == u"y");
            }
            out += verb + QStringLiteral(": ") + yes(result) + u'\n' + w->state() +
                   QStringLiteral(
                       "  application %1 | title %2 | station path %3 | file check off "
                       "%4 | station list %5 | defaults %6 %7\n")
                       .arg(w->dp.AppLabel(), w->dp.Title(), yes(w->dp.StationPathEnabled()),
                            yes(w->dp.SupressFileCheck()), yes(w->dp.StationNumberEnabled()),
                            w->dp.DefaultDataPath(), w->dp.DefaultStationPath());
        }
    }
    test::ExpectGolden("datapath/data_path.txt", out + w->end());
}

TEST(DataPath, TheSafeCheckRetriesUntilTheFolderAnswers) {
    World w;
    w.dp.setDataPath("C:\\SERVER");
    w.sb.boxes.expect(QString(), BoxAnswer::Yes).expect(QString(), BoxAnswer::Yes, [&w] {
        w.sb.makeDir("C:\\SERVER");  // the server answers while the second box is up
    });
    EXPECT_TRUE(CheckSafeFolder(w.dp));
    EXPECT_EQ(w.sb.boxes.shown().size(), 2u);
}

TEST(DataPath, AFolderThatTheUserMayNotWriteInCannotBeMade) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "folder permissions do not bind the super-user";
    }
    World w;
    const QString locked = w.sb.makeDir("C:\\LOCKED");
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    w.dp.setDataPath("C:\\LOCKED\\NEW");
    w.dp.setCreatePath(true);
    w.sb.boxes.expect(QString(), BoxAnswer::Yes)
        .expect("Unable To Create Path\rPermission denied")
        .expect(QString());
    EXPECT_FALSE(w.dp.Validate(false));
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace
}  // namespace qv
