#include "datapath/data_path.h"
#include "settings/ini_services.h"
#include "tests/support/data_files.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

// The data path object, scenario by scenario: what each call answers, the messages it shows,
// the values it holds and stores afterwards. Compared whole with data_path.txt.

namespace qv {
namespace {

const QString kApp = QStringLiteral("VOR Settings");

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

QString yes(bool b) {
    return b ? QStringLiteral("true") : QStringLiteral("false");
}

// A fresh world for one scenario; boxes the scenario does not answer are answered No (or Ok).
struct World {
    World() { sb.boxes.answerUnexpected = true; }
    QString stored(const QString& key) const {
        return sb.settings.getSetting(kApp, "DATABASE", key, "<none>");
    }
    void store(const QString& key, const QString& value) {
        sb.settings.saveSetting(kApp, "DATABASE", key, value);
    }
    bool folder(const QString& path) const { return QFileInfo(sb.native(path)).isDir(); }
    // The object as OpenDataPath leaves it, for validation.
    void prepare(const QString& dataPath, bool createPath = false) {
        dp.setAppLabel(kApp);
        dp.setMaxStations(50);
        dp.setDataPath(dataPath);
        dp.setStationPath(dataPath);
        dp.setCreatePath(createPath);
    }
    QString state(const clsDataPath& d) const {
        return QStringLiteral(
                   "  data %1 | station %2 in %3 | network %4 | training %5 | valid %6 "
                   "field %7 | %8 | max %9\n")
            .arg(d.DataPath(), d.Station(), d.StationPath(), yes(d.Network()), d.TestPath(),
                 yes(d.Valid()), d.FieldKey(), d.StationLabel(), QString::number(d.MaxStations()));
    }

    // A call's answer, then the object's state after it (the answer is worked out first).
    QString did(const QString& what, bool result) const {
        return what + QStringLiteral(": ") + yes(result) + u'\n' + state(dp);
    }

    test::Sandbox sb;
    clsINI_Services ini{sb.fs, sb.boxes};
    RunValues run;
    int dialogs = 0;
    // What the stand-in for the Station and Data Path dialog does when shown.
    std::function<void(clsDataPath&)> onDialog;
    clsDataPath dp{sb.services, ini, run, [this](clsDataPath& d) {
                       ++dialogs;
                       if (onDialog) {
                           onDialog(d);
                       }
                   }};
};

const std::pair<const char*, std::function<QString(World&)>> kScenarios[] = {
    {"settings: saved and read back without defaults, then deleted",
     [](World& w) {
         QString out = "Save without an application name: " + yes(w.dp.Save()) + u'\n';
         w.sb.makeDir("C:\\KT");
         w.ini.File_Name("C:\\KT\\VOR.INI");
         w.dp.setAppLabel(kApp);
         w.dp.setMaxStations(12);
         w.dp.setStation("3");
         w.dp.setDataPath("C:\\KT");
         w.dp.setStationPath("C:\\KT\\STA");
         w.dp.setTestPath("Y");
         out += w.did("Save", w.dp.Save());
         out += "VOR.INI: " + QString(w.sb.readFile("C:\\KT\\VOR.INI")).simplified() + u'\n';
         clsDataPath again(w.sb.services, w.ini, w.run, [](clsDataPath&) {});
         again.setNetwork(true);
         again.setTestPath("old");
         again.Read(true, kApp);
         out += "read again:\n" + w.state(again);
         w.store("DBName", "Store");
         w.dp.Delete();
         return out + QStringLiteral("after Delete: %1 setting(s)\n").arg(w.sb.settings.size());
     }},
    {"settings: the network flag as stored and read back in any case",
     [](World& w) {
         w.dp.setAppLabel(kApp);
         w.dp.setNetwork(true);
         w.dp.Save();
         QString out = "stored: " + w.stored("NETWORK") + u'\n';
         for (const char* text : {"TRUE", "false", "-1", "0", "   ", "maybe"}) {
             w.store("NETWORK", text);
             w.dp.setNetwork(QByteArray(text) == "false");
             w.dp.Read(true);
             out += QStringLiteral("\"%1\" reads %2\n").arg(text, yes(w.dp.Network()));
         }
         return out;
     }},
    {"settings: defaults fill the gaps and leave the training flag; suppressed they do not",
     [](World& w) {
         w.dp.setAppLabel(kApp);
         w.dp.setDefaultStation("2");
         w.dp.setDefaultDataPath("  C:\\KT  ");
         w.dp.setDefaultStationPath("C:\\ST");
         w.dp.setDefaultNetwork(true);
         w.dp.setTestPath("Y");
         w.store("TESTDATA", "N");
         w.dp.Read();
         QString out = w.state(w.dp);
         w.dp.Read(true);
         out += w.state(w.dp);
         // The start's own read takes the stored folder without surrounding blanks.
         w.store("DATAPATH", "  C:\\My Data  ");
         w.dp.setAppLabel(QString());
         w.dp.gpDataPathRead();
         return out + w.state(w.dp) + "application " + w.dp.AppLabel() + u'\n';
     }},
    {"validation: a station out of range or no number becomes station one and stays valid",
     [](World& w) {
         w.sb.makeDir("C:\\KT");
         w.prepare("C:\\KT");
         w.dp.setMaxStations(4);
         QString out;
         for (const char* station : {"7", "abc", "2x", "", "0", "-3", "4"}) {
             w.dp.setStation(station);
             out += w.did(QStringLiteral("station \"%1\"").arg(station), w.dp.Validate(false));
         }
         return out;
     }},
    {"validation: a missing data folder fails and restores every value",
     [](World& w) {
         w.prepare("C:\\NOPE");
         QString out = w.did("silent", w.dp.Validate(true));
         w.dp.setMaxStations(4);
         w.dp.setStation("7");
         w.dp.setNetwork(true);
         return out + w.did("shown", w.dp.Validate(false));
     }},
    {"validation: the station folder and station file are checked before the data folder",
     [](World& w) {
         w.prepare("C:\\NOPE");
         w.dp.setStationPathEnabled(true);
         w.dp.setStationPath("C:\\NOSTATION");
         QString out = w.did("no station folder", w.dp.Validate(false));
         w.sb.makeDir("C:\\KT");
         w.dp.setDataPath("C:\\KT");
         w.dp.setStation("3");
         w.dp.setStationPath("C:\\KT\\");
         out += w.did("no station file", w.dp.Validate(false));
         // The file name is the station text unpadded; its case on disk does not matter.
         w.sb.writeFile("C:\\KT\\sta3.vor", "");
         out += yes(w.dp.Validate(false)) + u'\n';
         w.dp.setStation("4");
         w.dp.setSupressFileCheck(true);
         return out + yes(w.dp.Validate(false)) + u'\n';
     }},
    {"validation: a primary file missing from the data folder fails",
     [](World& w) {
         w.sb.makeDir("C:\\KT");
         w.prepare("C:\\KT");
         w.dp.setCheckFile("INVT.VOR");
         QString out = w.did("no file", w.dp.Validate(false));
         w.sb.writeFile("C:\\KT\\INVT.VOR", "x");
         return out + yes(w.dp.Validate(false)) + u'\n';
     }},
    {"creating: a missing folder is created after Yes only, a station folder too",
     [](World& w) {
         w.sb.makeDir("D:\\");
         w.prepare("D:\\NEW\\", true);
         QString out = w.did("No", w.dp.Validate(false));
         out += "made: " + yes(w.folder("D:\\NEW")) + u'\n';
         w.sb.boxes.expect(QString(), BoxAnswer::Yes);
         out += w.did("Yes", w.dp.Validate(false));
         out += "made: " + yes(w.folder("D:\\NEW")) + u'\n';
         w.dp.setStationPathEnabled(true);
         w.dp.setSupressFileCheck(true);
         w.dp.setStationPath("D:\\STA");
         w.sb.boxes.expect(QString(), BoxAnswer::Yes);
         out += w.did("station folder, Yes", w.dp.Validate(false));
         return out + "made: " + yes(w.folder("D:\\STA")) + u'\n';
     }},
    {"creating: folder names with blanks and accents are created as typed and found again",
     [](World& w) {
         w.sb.makeDir("C:\\My Data");
         w.prepare(QStringLiteral("C:\\My Data\\Caisse Été ñ"), true);
         w.sb.boxes.expect(QString(), BoxAnswer::Yes);
         QString out = yes(w.dp.Validate(false)) + u' ';
         out += QDir(w.sb.native("C:\\My Data"))
                    .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                    .join(u',') +
                u'\n';
         w.dp.setCreatePath(false);
         w.dp.setDataPath(QStringLiteral("c:\\my data\\caisse été ñ"));
         return out + yes(w.dp.Validate(false)) + u'\n';
     }},
    {"creating: a folder that cannot be made says why and fails; a file or blanks are no folder",
     [](World& w) {
         w.sb.writeFile("C:\\KT\\VOR.INI", "[MISCELLANEOUS]\r\n");
         QString out;
         for (const char* path : {"C:\\A\\B", "C:\\KT\\VOR.INI"}) {
             w.prepare(path, true);
             w.sb.boxes.expect(QString(), BoxAnswer::Yes);
             out += QStringLiteral("%1: %2\n").arg(path, yes(w.dp.Validate(false)));
         }
         for (const char* path : {"C:\\KT\\VOR.INI", "   "}) {
             w.prepare(path, QByteArray(path).trimmed().isEmpty());
             out += QStringLiteral("%1: %2\n").arg(path, yes(w.dp.Validate(false)));
         }
         return out + "C:\\A made: " + yes(w.folder("C:\\A")) + u'\n';
     }},
    {"opening: no settings asks for a folder and No ends the start",
     [](World& w) { return "OpenDataPath: " + yes(OpenDataPath(w.dp, 4)) + u'\n'; }},
    {"opening: Yes shows the dialog ready to create a folder; Cancel ends the start",
     [](World& w) {
         w.onDialog = [](clsDataPath& d) {
             d.setDataPath(d.CreatePath() && d.StationNumberEnabled() ? "C:\\KT" : "");
         };
         w.sb.boxes.expect(QString(), BoxAnswer::Yes);
         QString out = w.did("OpenDataPath", OpenDataPath(w.dp, 4));
         w.dp.setDataPath(QString());
         w.onDialog = [](clsDataPath& d) { d.setCancelled(true); };
         w.sb.boxes.expect(QString(), BoxAnswer::Yes);
         return out + "cancelled: " + yes(OpenDataPath(w.dp, 4)) + u'\n';
     }},
    {"opening: a stored folder opens without its trailing backslash, at least fifty stations",
     [](World& w) {
         w.sb.makeDir("C:\\KT");
         w.store("DATAPATH", "C:\\KT\\");
         w.store("STATION", "2");
         QString out;
         for (int asked : {4, 60, 51, -7}) {
             out += w.did(QStringLiteral("%1 asked").arg(asked),
                          OpenDataPath(w.dp, static_cast<std::int16_t>(asked)));
         }
         return out + "station list " + yes(w.dp.StationNumberEnabled()) + u'\n';
     }},
    {"opening: a stored folder that is gone is dropped silently and asked for; with the local "
     "safe folder present the server is asked for first",
     [](World& w) {
         w.store("DATAPATH", "C:\\GONE");
         QString out = w.did("OpenDataPath", OpenDataPath(w.dp, 4));
         w.sb.makeDir("C:\\vorsafe");
         return out + "with the safe folder: " + yes(OpenDataPath(w.dp, 4)) + u'\n';
     }},
    {"opening: on a network a missing folder reports the network down",
     [](World& w) {
         w.store("NETWORK", "True");
         w.store("DATAPATH", "\\\\SERVER\\KT");
         QString out = "OpenDataPath: " + yes(OpenDataPath(w.dp, 4)) + u'\n';
         w.sb.makeDir("\\\\SERVER\\KT");
         return out + w.did("with the folder", OpenDataPath(w.dp, 4));
     }},
    {"opening: upper.alt is copied from the program folder only when missing",
     [](World& w) {
         w.sb.makeDir("C:\\KT");
         w.store("DATAPATH", "C:\\KT");
         const QString files = "files: %1\n";
         OpenDataPath(w.dp, 4);
         QString out = files.arg(QDir(w.sb.native("C:\\KT")).entryList(QDir::Files).join(u','));
         w.sb.writeFile(w.sb.app.programFolder + "/upper.alt", "ALT TABLE\r\n");
         OpenDataPath(w.dp, 4);
         out += "copied: " + QString(w.sb.readFile("C:\\KT\\upper.alt")).trimmed() + u'\n';
         QFile::remove(w.sb.native("C:\\KT\\upper.alt"));
         w.sb.writeFile("C:\\KT\\UPPER.ALT", "STORE OWN\r\n");
         OpenDataPath(w.dp, 4);
         return out + files.arg(QDir(w.sb.native("C:\\KT")).entryList(QDir::Files).join(u',')) +
                "kept: " + QString(w.sb.readFile("C:\\KT\\UPPER.ALT")).trimmed() + u'\n';
     }},
    {"safe check: an unreachable safe folder turns on local safe mode, which then passes",
     [](World& w) {
         w.sb.makeDir("C:\\KT");
         w.dp.setDataPath("C:\\KT");
         QString out = "reachable: " + yes(CheckSafeFolder(w.dp)) + u'\n';
         w.dp.setDataPath("C:\\vorsafe");
         out += "the safe folder: " + yes(CheckSafeFolder(w.dp)) + u'\n';
         out += "local safe mode: " + yes(w.run.LocalSafeMode) + u'\n';
         w.dp.setDataPath("C:\\ANYWHERE");
         return out + "then: " + yes(CheckSafeFolder(w.dp)) + u'\n';
     }},
    {"safe check: Retry until the folder answers, or No",
     [](World& w) {
         ActingBoxes acting(w.sb.boxes, [&w](int shown) {
             if (shown == 2) {
                 w.sb.makeDir("C:\\SERVER");
             }
         });
         Services services{acting, w.sb.settings, w.sb.fs, w.sb.app};
         clsDataPath path(services, w.ini, w.run, [](clsDataPath&) {});
         path.setDataPath("C:\\SERVER");
         w.sb.boxes.expect(QString(), BoxAnswer::Yes).expect(QString(), BoxAnswer::Yes);
         QString out = "answers after two retries: " + yes(CheckSafeFolder(path)) + u'\n';
         w.dp.setDataPath("C:\\OTHER");
         w.sb.boxes.expect(QString(), BoxAnswer::Yes);
         return out + "given up: " + yes(CheckSafeFolder(w.dp)) + u'\n';
     }},
    {"the class's opening: the station folder on, file checks off, upper.alt left alone",
     [](World& w) {
         w.sb.makeDir("C:\\KT");
         w.sb.makeDir("C:\\ST");
         w.sb.writeFile(w.sb.app.programFolder + "/upper.alt", "ALT");
         w.store("DATAPATH", "C:\\KT\\");
         w.store("STATIONPATH", "C:\\ST\\");
         w.store("STATION", "3");
         const QString out = w.did("open", w.dp.gfbVOR_DataPath_open(true, 10, QString(), false));
         return out + QStringLiteral(
                          "  station path %1 | no file check %2 | list %3 | defaults %4 %5 "
                          "| upper.alt %6\n")
                          .arg(yes(w.dp.StationPathEnabled()), yes(w.dp.SupressFileCheck()),
                               yes(w.dp.StationNumberEnabled()), w.dp.DefaultDataPath(),
                               w.dp.DefaultStationPath(),
                               yes(w.sb.fs.fileExists("C:\\KT\\upper.alt")));
     }},
    {"the class's opening: a missing station folder asks for the dialog, without station list",
     [](World& w) {
         w.sb.makeDir("C:\\KT");
         w.store("DATAPATH", "C:\\KT");
         w.store("STATIONPATH", "C:\\NOSTATION");
         w.onDialog = [](clsDataPath& d) { d.setStation(d.StationNumberEnabled() ? "9" : "8"); };
         w.sb.boxes.expect(QString(), BoxAnswer::Yes);
         const QString out = w.did("open", w.dp.gfbVOR_DataPath_open(true, 4, "D:\\ALT", false));
         return out + "default " + w.dp.DefaultDataPath() + u'\n';
     }},
    {"the class's change: whether the dialog changed anything",
     [](World& w) {
         w.dp.setStation("2");
         w.dp.setDataPath("C:\\KT");
         w.dp.setStationPath("C:\\KT");
         w.onDialog = [](clsDataPath& d) { d.setTitle(d.CreatePath() ? "create" : "no create"); };
         QString out = w.did("nothing", w.dp.gfbVOR_DataPath_change(true));
         out += w.dp.Title() + u' ' + w.dp.AppLabel() + u'\n';
         w.onDialog = [](clsDataPath& d) { d.setDataPath("C:\\kt"); };
         out += "the folder's case: " + yes(w.dp.gfbVOR_DataPath_change(false)) + u'\n';
         w.onDialog = [](clsDataPath& d) { d.setStation("3"); };
         return out + "the station: " + yes(w.dp.gfbVOR_DataPath_change(false)) + u'\n';
     }},
};

TEST(DataPath, EveryScenarioAnswersShowsAndStoresWhatItsGoldenTextSays) {
    QString out;
    for (const auto& [label, scenario] : kScenarios) {
        World w;
        out += QStringLiteral("=== ") + label + u'\n';
        out += scenario(w);
        out += w.sb.boxes.transcript();
        out += QStringLiteral("stored:");
        for (const char* key : {"NETWORK", "STATION", "STATIONPATH", "DATAPATH", "TESTDATA"}) {
            out += u' ' + w.stored(key);
        }
        out += QStringLiteral(" | dialogs %1 | local safe mode %2\n")
                   .arg(w.dialogs)
                   .arg(yes(w.run.LocalSafeMode));
        EXPECT_TRUE(w.sb.boxes.allAnswered()) << label;
    }
    test::ExpectGolden("datapath/data_path.txt", out);
}

TEST(DataPath, AFolderThatTheUserMayNotWriteInCannotBeMade) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "folder permissions do not bind the super-user";
    }
    World w;
    const QString locked = w.sb.makeDir("C:\\LOCKED");
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    w.prepare("C:\\LOCKED\\NEW", true);
    w.sb.boxes.expect(QString(), BoxAnswer::Yes)
        .expect("Unable To Create Path\rPermission denied")
        .expect(QString());
    EXPECT_FALSE(w.dp.Validate(false));
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace
}  // namespace qv
