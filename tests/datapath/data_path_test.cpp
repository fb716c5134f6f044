#include "datapath/data_path.h"
#include "settings/ini_services.h"
#include "tests/support/data_files.h"
#include "tests/support/sandbox.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <functional>
#include <map>

// The data path object, scenario by scenario (data_path.steps): what each call answers, the
// messages it shows, the values it holds and stores afterwards (data_path.txt).

namespace qv {
namespace {

const QString kApp = QStringLiteral("VOR Settings");

QString yes(bool b) {
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

// Message boxes that answer from the sandbox's script and then run an action, for a world
// that changes while a box is up.
class ActingBoxes final : public MessageBoxes {
public:
    ActingBoxes(MessageBoxes& inner, std::function<void()> act)
        : inner_(inner), act_(std::move(act)) {}
    BoxAnswer show(int style, const QString& title, const QString& text) override {
        const BoxAnswer answer = inner_.show(style, title, text);
        act_();
        return answer;
    }

private:
    MessageBoxes& inner_;
    std::function<void()> act_;
};

// A fresh world for one scenario; boxes the scenario does not answer are answered No (or Ok).
struct World {
    World() { sb.boxes.answerUnexpected = true; }
    QString stored(const QString& key) const {
        return sb.settings.getSetting(kApp, "DATABASE", key, "<none>");
    }
    QString state() const {
        return QStringLiteral("  data %1 | station %2 in %3 | network %4 | training %5 | valid %6 "
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
                   (a == u"files" ? QDir(w->sb.native(b)).entryList(QDir::Files | QDir::Dirs |
                                                                   QDir::NoDotAndDotDot)
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
                   QStringLiteral("  application %1 | title %2 | station path %3 | file check off "
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
    ActingBoxes acting(w.sb.boxes, [&w] {
        if (w.sb.boxes.shown().size() == 2) {
            w.sb.makeDir("C:\\SERVER");
        }
    });
    Services services{acting, w.sb.settings, w.sb.fs, w.sb.app};
    clsDataPath path(services, w.ini, w.run, [](clsDataPath&) {});
    path.setDataPath("C:\\SERVER");
    w.sb.boxes.expect(QString(), BoxAnswer::Yes).expect(QString(), BoxAnswer::Yes);
    EXPECT_TRUE(CheckSafeFolder(path));
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
