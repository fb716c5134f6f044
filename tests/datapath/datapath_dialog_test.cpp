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
#include "tests/support/ui_steps.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QtWidgets>
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

}  // namespace
}  // namespace qv
