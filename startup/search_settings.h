#pragma once

#include "platform/message_boxes.h"
#include "settings/ini_services.h"
#include "settings/run_values.h"

namespace qv {

// Reads the lookup's search columns and the deposit department from "VOR.INI" in the data
// folder into the run's values. Shows "Unable to open ..." and returns false when the file
// cannot be opened; the values then stay as they were.
bool ReadSearchSettings(clsINI_Services& ini, const QString& dataFolder, RunValues& values,
                        MessageBoxes& boxes);

}  // namespace qv
