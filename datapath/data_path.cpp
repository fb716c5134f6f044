#include "datapath/data_path.h"

#include "datapath/frm_sm_datapath2.h"
#include "datapath/frm_smfile_path.h"
#include "settings/ini_services.h"
#include "settings/vb_text.h"

#include <QCoreApplication>
#include <memory>

namespace qv {

namespace {

const QString kAppName = QStringLiteral("VOR Settings");
const QString kSection = QStringLiteral("DATABASE");
const QString kNetwork = QStringLiteral("NETWORK");
const QString kStation = QStringLiteral("STATION");
const QString kStationPath = QStringLiteral("STATIONPATH");
const QString kDataPath = QStringLiteral("DATAPATH");
const QString kTestData = QStringLiteral("TESTDATA");
const QString kSafeFolder = QStringLiteral("C:\\vorsafe");
const QString kUpperAlt = QStringLiteral("upper.alt");

// Only blanks are cut, as the stored values have always been trimmed.
QString trimSpaces(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == u' ') {
        ++start;
    }
    while (end > start && text.at(end - 1) == u' ') {
        --end;
    }
    return text.mid(start, end - start);
}

QString boolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// "True"/"False" in any case, or a number (non-zero is true). Anything else, which this
// program never writes, reads as false rather than stopping the start.
bool textToBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (t.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    if (const auto number = NumericValue(t)) {
        return *number != 0.0;
    }
    return false;
}

// A station is a whole number from 1 up, written with digits only.
bool isStationNumber(const QString& station) {
    const QString t = station.trimmed();
    if (t.isEmpty()) {
        return false;
    }
    for (const QChar c : t) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return Val(t) >= 1.0;
}

bool endsWithSeparator(const QString& path) {
    return path.endsWith(u'\\') || path.endsWith(u'/');
}

struct BrowserDeleter {
    void operator()(frmSMFILE_PATH* browser) const {
        // Once the application object is gone the window system is too; the process is ending.
        if (QCoreApplication::instance()) {
            delete browser;
        }
    }
};

// The program's own dialog. The path browser is made on first use and kept for the run, so
// what it was last set to stays readable.
DataPathDialog programDialog(Services& services) {
    const auto* local = dynamic_cast<const LocalFileSystem*>(&services.fs);
    const PathResolver resolver = local ? local->resolver() : PathResolver();
    auto browser = std::make_shared<std::unique_ptr<frmSMFILE_PATH, BrowserDeleter>>();
    MessageBoxes* boxes = &services.boxes;
    return [resolver, browser, boxes](clsDataPath& dataPath) {
        if (!*browser) {
            browser->reset(new frmSMFILE_PATH(resolver, *boxes));
        }
        frmSM_DATAPATH2::showModal(dataPath, **browser);
    };
}

}  // namespace

clsDataPath::clsDataPath(Services& services, clsINI_Services& ini, RunValues& run,
                         DataPathDialog dialog)
    : services_(services), ini_(ini), run_(run), dialog_(std::move(dialog)) {
    if (!dialog_) {
        dialog_ = programDialog(services_);
    }
    StationLabel_ = FormatStationLabel(Station_, MaxStations_);
}

void clsDataPath::setDialog(DataPathDialog dialog) {
    dialog_ = dialog ? std::move(dialog) : programDialog(services_);
}

QString clsDataPath::FormatStationLabel(const QString& station, std::int16_t max) {
    return QStringLiteral("Station ") + station + QStringLiteral(" of ") + QString::number(max);
}

bool clsDataPath::gfb_FileExists(const QString& sFile) const {
    return services_.fs.fileExists(sFile);
}

bool clsDataPath::Save() {
    if (AppLabel_.trimmed().isEmpty()) {
        return false;
    }
    SettingsStore& store = services_.settings;
    bool ok = store.saveSetting(AppLabel_, kSection, kNetwork, boolText(Network_));
    ok = store.saveSetting(AppLabel_, kSection, kStation, Station_) && ok;
    ok = store.saveSetting(AppLabel_, kSection, kStationPath, StationPath_) && ok;
    ok = store.saveSetting(AppLabel_, kSection, kDataPath, DataPath_) && ok;
    // Written to whatever file the INI object points at; without one there is nothing to do.
    ini_.WriteData(QStringLiteral("MISCELLANEOUS"), QStringLiteral("Datapath"), DataPath_);
    ok = store.saveSetting(AppLabel_, kSection, kTestData, TestPath_) && ok;
    StationLabel_ = FormatStationLabel(Station_, MaxStations_);
    return ok;
}

void clsDataPath::Delete() {
    SettingsStore& store = services_.settings;
    for (const QString& key : {kNetwork, kStation, kStationPath, kDataPath, kTestData}) {
        store.deleteSetting(AppLabel_, kSection, key);
    }
}

void clsDataPath::Read(bool bSuppressDefaults, const QString& sAppLabel) {
    if (!sAppLabel.isEmpty()) {
        AppLabel_ = sAppLabel;
    }
    const SettingsStore& store = services_.settings;
    if (bSuppressDefaults) {
        const QString network = store.getSetting(AppLabel_, kSection, kNetwork);
        Network_ = network.trimmed().isEmpty() ? false : textToBool(network);
        Station_ = store.getSetting(AppLabel_, kSection, kStation);
        StationPath_ = store.getSetting(AppLabel_, kSection, kStationPath);
        DataPath_ = trimSpaces(store.getSetting(AppLabel_, kSection, kDataPath));
        TestPath_ = store.getSetting(AppLabel_, kSection, kTestData);
    } else {
        Network_ =
            textToBool(store.getSetting(AppLabel_, kSection, kNetwork, boolText(DefaultNetwork_)));
        Station_ = store.getSetting(AppLabel_, kSection, kStation, DefaultStation_);
        StationPath_ = store.getSetting(AppLabel_, kSection, kStationPath, DefaultStationPath_);
        DataPath_ = trimSpaces(store.getSetting(AppLabel_, kSection, kDataPath, DefaultDataPath_));
    }
    StationLabel_ = FormatStationLabel(Station_, MaxStations_);
}

bool clsDataPath::FileInPath(const QString& path, const QString& file) const {
    const QString full = endsWithSeparator(path) ? path + file : path + u'\\' + file;
    return services_.fs.fileExists(full);
}

bool clsDataPath::AskCreatePath(const QString& path, const QString& kind) {
    const QString question = path + u'\r' + kind + QStringLiteral(" Path Does Not Exist") + u'\r' +
                             QStringLiteral("Do you want to create it?");
    if (!services_.boxes.askYes(box::YesNo, services_.app.productName, question)) {
        return false;
    }
    QString folder = path;
    if (folder.endsWith(u'\\')) {
        folder.chop(1);
    }
    QString error;
    if (!services_.fs.makeDir(folder, &error)) {
        services_.boxes.show(box::Critical, services_.app.productName,
                             QStringLiteral("Unable To Create Path") + u'\r' + error);
        return false;
    }
    return true;
}

void clsDataPath::ShowValidationMessage(const QString& first, const QString& second) {
    services_.boxes.show(box::Information, QStringLiteral("Validation"),
                         first + u'\r' + u'\r' + second);
}

bool clsDataPath::PathExistsOrCreate(const QString& path, const QString& kind) {
    if (services_.fs.dirExists(path)) {
        return true;
    }
    // There is nothing to create for a blank path.
    if (!CreatePath_ || path.trimmed().isEmpty()) {
        return false;
    }
    return AskCreatePath(path, kind);
}

bool clsDataPath::Validate(bool bSilent) {
    const bool oldNetwork = Network_;
    const QString oldStation = Station_;
    const QString oldStationPath = StationPath_;
    const QString oldDataPath = DataPath_;
    Valid_ = true;
    FieldKey_.clear();

    const auto fail = [&](const QString& key, const QString& message, const QString& hint) {
        FieldKey_ = key;
        Valid_ = false;
        if (!bSilent) {
            ShowValidationMessage(message, hint);
        }
        Network_ = oldNetwork;
        Station_ = oldStation;
        StationPath_ = oldStationPath;
        DataPath_ = oldDataPath;
        return false;
    };
    const QString browseHint = QStringLiteral("Use the Browse method to find a valid path.");

    // A station beyond the range, or one that is no station number at all, becomes station 1.
    if (!isStationNumber(Station_) || Val(Station_) > MaxStations_) {
        FieldKey_ = kStation;
        Station_ = QStringLiteral("1");
    }
    if (StationPathEnabled_ && !PathExistsOrCreate(StationPath_, QStringLiteral("Station"))) {
        return fail(kStationPath, QStringLiteral("Station Path Not Found."), browseHint);
    }
    if (!PathExistsOrCreate(DataPath_, QStringLiteral("Data"))) {
        return fail(kDataPath, QStringLiteral("Data Path Not Found."), browseHint);
    }
    if (StationPathEnabled_ && !SupressFileCheck_ &&
        !FileInPath(StationPath_, QStringLiteral("STA") + Station_ + QStringLiteral(".VOR"))) {
        return fail(kStationPath,
                    QStringLiteral("Station ") + Station_ + QStringLiteral(" not in Station Path."),
                    QStringLiteral("Select another Station or change the Station Path."));
    }
    if (!CheckFile_.isEmpty() && !SupressFileCheck_ && !FileInPath(DataPath_, CheckFile_)) {
        return fail(kDataPath, QStringLiteral("Primary Data File Not Found."),
                    QStringLiteral("There is no '") + CheckFile_ +
                        QStringLiteral("' file in the specified data path."));
    }
    return true;
}

void clsDataPath::showDialog() {
    dialog_(*this);
    // Let the closed dialog's last window events run before the start goes on.
    QCoreApplication::processEvents();
}

bool clsDataPath::openStoredPath(bool copyUpperAlt, bool forceStationList) {
    if (!DataPath_.isEmpty()) {
        if (services_.fs.dirExists(kSafeFolder)) {
            CheckSafeFolder(*this);
        }
        Validate(true);
        if (Valid_) {
            const QString programCopy = services_.app.programFolder + u'/' + kUpperAlt;
            if (copyUpperAlt && !FileInPath(DataPath_, kUpperAlt) &&
                services_.fs.fileExists(programCopy)) {
                // A failed copy leaves the suite without its alternate table, nothing worse.
                services_.fs.copyFile(programCopy, DataPath_ + u'\\' + kUpperAlt);
            }
        } else {
            DataPath_.clear();
        }
    }
    if (!DataPath_.isEmpty()) {
        return true;
    }
    if (Network_) {
        services_.boxes.show(
            box::Ok, QStringLiteral("Network Not Found"),
            QStringLiteral("The network is currently down or is not set up properly. ") +
                QStringLiteral("Please contact your network administrator for help."));
        return false;
    }
    const QString question = QStringLiteral("A path to the VOR Data Files has not been defined") +
                             u'\r' + u'\r' + QStringLiteral("Do you want to define it now?");
    if (!services_.boxes.askYes(box::YesNo + box::Question, services_.app.productName, question)) {
        return false;
    }
    CreatePath_ = true;
    if (forceStationList) {
        StationNumberEnabled_ = true;
    }
    showDialog();
    return !DataPath_.isEmpty();
}

bool clsDataPath::gfbVOR_DataPath_open(bool bStationPathEnabled, std::int16_t iMaxStations,
                                       const QString& sAltDefaultPath, bool bStationNumberEnabled) {
    AppLabel_ = kAppName;
    CreatePath_ = false;
    DefaultNetwork_ = false;
    MaxStations_ = iMaxStations > 50 ? iMaxStations : std::int16_t{50};
    DefaultStation_ = QStringLiteral("1");
    StationPathEnabled_ = bStationPathEnabled;
    SupressFileCheck_ = bStationPathEnabled;
    StationNumberEnabled_ = bStationNumberEnabled;
    const QString fallback = sAltDefaultPath.isEmpty() ? QStringLiteral("C:\\KT") : sAltDefaultPath;
    DefaultStationPath_ = fallback;
    DefaultDataPath_ = fallback;
    DataPath_.clear();
    Read(true);
    if (StationPath_.endsWith(u'\\')) {
        StationPath_.chop(1);
    }
    if (DataPath_.endsWith(u'\\')) {
        DataPath_.chop(1);
    }
    return openStoredPath(false, false);
}

bool clsDataPath::gfbVOR_DataPath_change(bool bCreatePath) {
    const QString oldStation = Station_;
    const QString oldStationPath = StationPath_;
    const QString oldDataPath = DataPath_;
    AppLabel_ = kAppName;
    CreatePath_ = bCreatePath;
    showDialog();
    return Station_ != oldStation || StationPath_ != oldStationPath || DataPath_ != oldDataPath;
}

void clsDataPath::gpDataPathRead() {
    Read(false, kAppName);
}

bool OpenDataPath(clsDataPath& dataPath, std::int16_t iMaxStations) {
    dataPath.AppLabel_ = kAppName;
    dataPath.CreatePath_ = false;
    dataPath.DefaultNetwork_ = false;
    dataPath.MaxStations_ = iMaxStations > 50 ? iMaxStations : std::int16_t{50};
    dataPath.DefaultStation_ = QStringLiteral("1");
    dataPath.StationNumberEnabled_ = true;
    dataPath.DataPath_.clear();
    dataPath.Read(true);
    if (dataPath.DataPath_.endsWith(u'\\')) {
        dataPath.DataPath_.chop(1);
    }
    return dataPath.openStoredPath(true, true);
}

bool CheckSafeFolder(clsDataPath& dataPath) {
    RunValues& run = dataPath.runValues();
    if (run.LocalSafeMode) {
        return true;
    }
    Services& services = dataPath.services();
    while (!services.fs.dirExists(dataPath.DataPath())) {
        if (dataPath.DataPath() == kSafeFolder) {
            run.LocalSafeMode = true;
            return false;
        }
        const QString question =
            QStringLiteral("Server not found. Check Server and Network Connections.") +
            QStringLiteral("\r\n Retry?");
        if (!services.boxes.askYes(box::YesNo + box::Question, QStringLiteral("Network Error"),
                                   question)) {
            return false;
        }
    }
    return true;
}

}  // namespace qv
