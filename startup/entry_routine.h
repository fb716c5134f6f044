#pragma once

#include "platform/instance_guard.h"
#include "startup/session.h"
#include "wizard/wizard_context.h"

#include <QString>
#include <functional>

namespace qv {

// The steps of the start that belong to the database and the main window. The program wires
// in the real ones; tests may hand in their own.
struct StartSteps {
    std::function<bool(Session&)> openAllTables;       // connect, open and read the common table
    std::function<bool(Session&)> openDataTables;      // open the inventory and UPC tables
    std::function<CommonRates(Session&)> commonRates;  // from the common record
    std::function<void(Session&)> showMainForm;        // modal; returns when it closes
};

// The real steps: the record layer on the data folder, the country settings from the Common
// row, and the wizard, whose dialogs are shown through showModal and whose items are picked
// through the item lookup.
StartSteps ProgramStartSteps(ShowModalFn showModal = ExecModal);

// The data folder of the run, once the command line is read: the training folder as typed
// ("PATH=C:\TRAINING"), else the stored one found or asked for by the data path routine.
// False when no data folder is open.
bool OpenDataFolder(Session& session);

enum class StartEnd {
    AlreadyRunning,  // another copy runs; it was asked to come to the front
    NoDataPath,      // no data folder could be opened
    NoDatabase,      // the connection or the common table failed
    NoDataTables,    // the inventory or UPC table did not open
    MainFormClosed,  // the normal end
};

// The program's entry routine: single instance, command line, data path, search settings,
// tables, country settings and the main window, in that order. Every way out is an end of
// the program; the result says which.
StartEnd RunEntryRoutine(Session& session, InstanceGuard& guard, const QString& commandLine,
                         const StartSteps& steps);

}  // namespace qv
