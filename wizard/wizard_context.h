#pragma once

#include "db/record_layer.h"
#include "platform/services.h"
#include "settings/country_settings.h"
#include "settings/run_values.h"

#include <QString>
#include <cstdint>
#include <functional>

class QDialog;

namespace qv {

// Shows a dialog modally and returns once it has closed. The program runs exec(); tests hand
// in a function that fills in and presses the dialog's controls, so every dialog of the
// wizard (FrmMain, FrmBreakDown, FrmPackQty, FrmUPC) can be driven without a modal loop. The
// dialogs keep their own result (what was accepted) rather than relying on exec()'s value.
using ShowModalFn = std::function<void(QDialog&)>;
void ExecModal(QDialog& dialog);

// What the wizard works with for one run. Every reference must outlive ShowMainForm.
struct WizardContext {
    Services& services;
    RunValues& run;  // the same values the record layer was made with
    db::RecordLayer& layer;
    CountrySettings& country;
    QString dataFolder;                 // the data folder ("C:\KT"), home of "uom.vor"
    std::function<QString()> pickItem;  // the item lookup: an S/L code, or blank when cancelled
    std::int32_t startRecordNum = 0;    // the record number "UID=" named (0 when none)
    ShowModalFn showModal = ExecModal;
};

// The wizard's main window, shown modally. Returns when the program should end: after
// "Esc Exit" (which first writes the links into the root item), after "Esc Cancel" in the
// units dialog or a refused root item, or when the window is closed. Never ends the process
// itself.
void ShowMainForm(WizardContext& context);

}  // namespace qv
