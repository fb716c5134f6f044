#pragma once

#include "platform/services.h"
#include "settings/run_values.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace qv {

class clsINI_Services;
class clsDataPath;

// Shows the Station and Data Path dialog modally over the object and returns when it closes.
// The program's own shows frmSM_DATAPATH2; tests hand in one of their own.
using DataPathDialog = std::function<void(clsDataPath&)>;

// Keeper of the data folder, the station number and the station folder. It reads them from
// the per-user settings (application AppLabel, section "DATABASE"), checks them against the
// disk, writes them back (and the data folder into the suite's configuration file) and finds
// a usable data folder at start, asking the user through the dialog when there is none.
//
// One instance per run, owned by the program's session; the services, the INI object and the
// run's values it is given must outlive it. Paths may be DOS-style ("C:\KT"); every file and
// folder test goes through the FileSystem, every box through MessageBoxes.
class clsDataPath {
public:
    clsDataPath(Services& services, clsINI_Services& ini, RunValues& run,
                DataPathDialog dialog = {});

    // Replaces the dialog that OpenDataPath and gfbVOR_DataPath_change show.
    void setDialog(DataPathDialog dialog);

    // Properties.
    QString Title() const { return Title_; }
    void setTitle(const QString& v) { Title_ = v; }
    QString Station() const { return Station_; }
    void setStation(const QString& v) { Station_ = v; }
    QString DataPath() const { return DataPath_; }
    void setDataPath(const QString& v) { DataPath_ = v; }
    QString TestPath() const { return TestPath_; }
    void setTestPath(const QString& v) { TestPath_ = v; }
    QString AppLabel() const { return AppLabel_; }
    void setAppLabel(const QString& v) { AppLabel_ = v; }
    QString DefaultStation() const { return DefaultStation_; }
    void setDefaultStation(const QString& v) { DefaultStation_ = v; }
    QString DefaultDataPath() const { return DefaultDataPath_; }
    void setDefaultDataPath(const QString& v) { DefaultDataPath_ = v; }
    bool Network() const { return Network_; }
    void setNetwork(bool v) { Network_ = v; }
    bool DefaultNetwork() const { return DefaultNetwork_; }
    void setDefaultNetwork(bool v) { DefaultNetwork_ = v; }
    QString StationPath() const { return StationPath_; }
    void setStationPath(const QString& v) { StationPath_ = v; }
    std::int16_t MaxStations() const { return MaxStations_; }
    void setMaxStations(std::int16_t v) { MaxStations_ = v; }
    QString DefaultStationPath() const { return DefaultStationPath_; }
    void setDefaultStationPath(const QString& v) { DefaultStationPath_ = v; }
    bool StationPathEnabled() const { return StationPathEnabled_; }
    void setStationPathEnabled(bool v) { StationPathEnabled_ = v; }
    bool Cancelled() const { return Cancelled_; }
    void setCancelled(bool v) { Cancelled_ = v; }
    QString CheckFile() const { return CheckFile_; }
    void setCheckFile(const QString& v) { CheckFile_ = v; }
    QString StationFile() const { return StationFile_; }
    void setStationFile(const QString& v) { StationFile_ = v; }
    bool SupressFileCheck() const { return SupressFileCheck_; }
    void setSupressFileCheck(bool v) { SupressFileCheck_ = v; }
    bool CreatePath() const { return CreatePath_; }
    void setCreatePath(bool v) { CreatePath_ = v; }
    bool StationNumberEnabled() const { return StationNumberEnabled_; }
    void setStationNumberEnabled(bool v) { StationNumberEnabled_ = v; }
    QString StationLabel() const { return StationLabel_; }
    bool Valid() const { return Valid_; }
    QString FieldKey() const { return FieldKey_; }

    // The last import/export folder accepted in the dialog; kept in memory only, for the run.
    QString ImportExportPath() const { return ImportExportPath_; }
    void setImportExportPath(const QString& v) { ImportExportPath_ = v; }

    // True when the file exists (a folder is not a file).
    bool gfb_FileExists(const QString& sFile) const;

    // Writes the five settings and the configuration file's "Datapath". Nothing is written while
    // AppLabel is blank; returns false then or when the settings store refused a value.
    bool Save();
    // Deletes the five settings of section "DATABASE" under AppLabel.
    void Delete();
    void Read(bool bSuppressDefaults = false, const QString& sAppLabel = {});
    // Checks the values against the disk. A station above MaxStations, or one that is not a
    // whole number from 1 up, becomes "1" (FieldKey "STATION") without failing. A missing
    // folder is offered for creation when CreatePath is set. On failure the values given come
    // back, Valid is false, FieldKey names the field at fault and, unless silent, a
    // "Validation" box says why. Returns Valid.
    bool Validate(bool bSilent);

    // The opening routine for programs that use a station folder: like OpenDataPath, with the
    // station folder checked when enabled (the file checks are then off), "C:\KT" or the given
    // folder as defaults, and the station list as the caller says. No "upper.alt" copy.
    bool gfbVOR_DataPath_open(bool bStationPathEnabled, std::int16_t iMaxStations,
                              const QString& sAltDefaultPath, bool bStationNumberEnabled);
    // Shows the dialog; true when the station, station folder or data folder changed.
    bool gfbVOR_DataPath_change(bool bCreatePath);
    // Read() with defaults under "VOR Settings".
    void gpDataPathRead();

    Services& services() const { return services_; }
    RunValues& runValues() const { return run_; }

private:
    friend bool OpenDataPath(clsDataPath& dataPath, std::int16_t iMaxStations);

    static QString FormatStationLabel(const QString& station, std::int16_t max);
    bool FileInPath(const QString& path, const QString& file) const;
    bool AskCreatePath(const QString& path, const QString& kind);
    void ShowValidationMessage(const QString& first, const QString& second);
    bool PathExistsOrCreate(const QString& path, const QString& kind);

    // Steps shared by both opening routines once the stored values are read.
    bool openStoredPath(bool copyUpperAlt, bool forceStationList);
    void showDialog();

    Services& services_;
    clsINI_Services& ini_;
    RunValues& run_;
    DataPathDialog dialog_;

    QString Title_ = QStringLiteral("Station and Data Path");
    QString Station_ = QStringLiteral("1");
    QString DataPath_;
    QString TestPath_;
    QString AppLabel_;
    QString DefaultStation_ = QStringLiteral("1");
    QString DefaultDataPath_;
    bool Network_ = false;
    bool DefaultNetwork_ = false;
    QString StationPath_;
    std::int16_t MaxStations_ = 4;
    QString DefaultStationPath_;
    bool StationPathEnabled_ = false;
    bool Cancelled_ = false;
    QString CheckFile_;
    QString StationFile_;
    bool SupressFileCheck_ = false;
    bool CreatePath_ = false;
    bool StationNumberEnabled_ = false;
    QString StationLabel_;
    bool Valid_ = false;
    QString FieldKey_;
    QString ImportExportPath_;
};

// Start-up: finds a usable data folder in the stored settings, or asks for one. True when
// dataPath.DataPath() holds an open data folder. Counts up to 50 give 50 stations.
bool OpenDataPath(clsDataPath& dataPath, std::int16_t iMaxStations);

// Whether the data folder can be reached; asks to retry while it cannot. Sets the run's
// LocalSafeMode when the unreachable folder is the local safe folder itself.
bool CheckSafeFolder(clsDataPath& dataPath);

}  // namespace qv
