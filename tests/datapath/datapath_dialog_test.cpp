#include "datapath/data_path.h"
#include "datapath/frm_sm_datapath2.h"
#include "datapath/frm_smfile_path.h"
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
#include <QTest>
#include <QtWidgets>
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

// A form with buttons that count their presses.
class KeyForm {
public:
    QPushButton* add(const QString& name, const QString& caption, QWidget* parent = nullptr) {
        auto* b = new QPushButton(caption, parent ? parent : &form);
        b->setObjectName(name);
        QObject::connect(b, &QPushButton::clicked, [this, name] { ++presses[name]; });
        return b;
    }
    bool press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent ev(QEvent::KeyPress, key, mods);
        return PressFunctionKeyButton(&form, &ev);
    }

    QWidget form;
    std::map<QString, int> presses;
};

TEST(FunctionKeys, EachKeyAloneOrOnTheKeypadPressesTheEnabledButtonThatNamesIt) {
    KeyForm f;
    f.add("cmdHelp", "F1  Help");
    f.add("cmdOk", "F10  Accept");
    f.add("cmdPrint", "F12 Print");
    f.add("cmdFind", "F4 Find", new QGroupBox(&f.form));  // inside a frame
    f.add("cmdTwoLines", "F7\rNext Page");                // the number ends at CR or a blank
    f.add("cmdNoWords", "F8");
    f.add("cmdSaveA", "F3 Save")->setEnabled(false);  // gives way to an enabled one
    f.add("cmdSaveB", "F3 Save Copy");
    f.add("cmdSaveC", "F3 Save Again");
    f.add("cmdOff", "F9 Off")->setEnabled(false);
    for (int key :
         {Qt::Key_F1, Qt::Key_F10, Qt::Key_F12, Qt::Key_F4, Qt::Key_F7, Qt::Key_F8, Qt::Key_F3}) {
        EXPECT_TRUE(f.press(key)) << key;
    }
    EXPECT_FALSE(f.press(Qt::Key_F11));
    EXPECT_FALSE(f.press(Qt::Key_F9));
    // Shift, Ctrl or Alt stop it; the keypad does not.
    for (Qt::KeyboardModifier stop : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        EXPECT_FALSE(f.press(Qt::Key_F10, stop));
    }
    EXPECT_TRUE(f.press(Qt::Key_F10, Qt::KeypadModifier));
    // F1 is not the start of F10; each press went to one button.
    EXPECT_EQ(f.presses, (std::map<QString, int>{{"cmdHelp", 1},
                                                 {"cmdOk", 2},
                                                 {"cmdPrint", 1},
                                                 {"cmdFind", 1},
                                                 {"cmdTwoLines", 1},
                                                 {"cmdNoWords", 1},
                                                 {"cmdSaveB", 1}}));
}

TEST(FunctionKeys, OnlyButtonsNamedAsButtonsWithAFunctionKeyCaptionCount) {
    KeyForm f;
    f.add("btnGo", "F5 Go");
    auto* check = new QCheckBox("F6 Flag", &f.form);
    check->setObjectName("chkFlag");
    f.add("cmdFind", "Find F2");
    f.add("cmdZero", "F0 Zero");
    f.add("cmdLower", "f2 lower");
    f.add("cmdEsc", "Esc Cancel");
    for (int key : {Qt::Key_F5, Qt::Key_F6, Qt::Key_F2, Qt::Key_Escape, Qt::Key_A}) {
        EXPECT_FALSE(f.press(key)) << key;
    }
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(f.presses.empty());
    f.add("CmdGo", "F5 Go");
    EXPECT_TRUE(f.press(Qt::Key_F5));
    EXPECT_EQ(f.presses, (std::map<QString, int>{{"CmdGo", 1}}));

    QKeyEvent ev(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    EXPECT_FALSE(PressFunctionKeyButton(nullptr, &ev));
    EXPECT_FALSE(PressFunctionKeyButton(&f.form, nullptr));
}

}  // namespace
}  // namespace qv
