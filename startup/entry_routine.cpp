#include "startup/entry_routine.h"

#include "lookup/frm_lookup.h"
#include "settings/vb_text.h"
#include "startup/command_line.h"
#include "startup/search_settings.h"

namespace qv {

namespace {

const QString kSettingsApp = QStringLiteral("VOR Settings");
const QString kSettingsSection = QStringLiteral("DATABASE");

}  // namespace

StartSteps ProgramStartSteps(ShowModalFn showModal) {
    StartSteps steps;
    steps.openAllTables = [](Session& s) {
        s.db.setDataFolder(s.gDataPath.DataPath());
        return s.db.OpenAllTables();
    };
    steps.openDataTables = [](Session& s) { return s.db.OpenDataTables(); };
    steps.commonRates = [](Session& s) { return db::common::RatesFrom(s.db.Common); };
    steps.showMainForm = [showModal](Session& s) {
        LookupContext lookup{s.lookup, s.db, s.values, s.country, s.services};
        WizardContext wizard{s.services,
                             s.values,
                             s.db,
                             s.country,
                             s.values.DataPath,
                             [lookup] { return OpenInventoryLookup(QString(), lookup); },
                             s.startRecordNum,
                             showModal};
        ShowMainForm(wizard);
    };
    return steps;
}

bool OpenDataFolder(Session& s) {
    RunValues& v = s.values;
    if (v.TrainingMode) {
        s.gDataPath.setDataPath(v.DataPath);
        s.gDataPath.setStationPath(v.DataPath);
        s.gDataPath.setStation(s.services.settings.getSetting(kSettingsApp, kSettingsSection,
                                                              QStringLiteral("STATION")));
        return true;
    }
    // No configuration file is named yet, so this gives the default.
    const QString count =
        s.gIni.GetValue(QString(), QStringLiteral("Stations"), QStringLiteral("4"));
    const std::int16_t stations = RoundToInt16(Val(count)).value_or(4);
    const bool open = OpenDataPath(s.gDataPath, stations);
    v.DataPath = s.gDataPath.DataPath();
    return open;
}

StartEnd RunEntryRoutine(Session& s, InstanceGuard& guard, const QString& commandLine,
                         const StartSteps& steps) {
    Services& svc = s.services;
    RunValues& v = s.values;

    if (guard.anotherInstanceRunning()) {
        const QString product = svc.app.productName;
        svc.boxes.show(box::Critical, product,
                       product + QStringLiteral("is already running.") + u'\r' +
                           QStringLiteral("This Program Can Only Be Runing Once On This Machine"));
        guard.activateOther();
        return StartEnd::AlreadyRunning;
    }

    s.startRecordNum = ApplyCommandLine(commandLine, v);
    if (!OpenDataFolder(s)) {
        return StartEnd::NoDataPath;
    }

    s.helpFile = svc.app.programFolder + QStringLiteral("\\Hotkeys.chm");

    // A configuration file that cannot be opened has been reported; the start goes on.
    ReadSearchSettings(s.gIni, s.gDataPath.DataPath(), v, svc.boxes);

    if (v.DataPath.isEmpty()) {
        v.DataPath = s.gDataPath.DataPath();
    }

    if (steps.openAllTables && !steps.openAllTables(s)) {
        return StartEnd::NoDatabase;
    }
    if (steps.openDataTables && !steps.openDataTables(s)) {
        return StartEnd::NoDataTables;
    }
    s.country.LoadCountrySettings(steps.commonRates ? steps.commonRates(s) : CommonRates{});
    if (steps.showMainForm) {
        steps.showMainForm(s);
    }
    return StartEnd::MainFormClosed;
}

}  // namespace qv
