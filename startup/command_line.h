#pragma once

#include "settings/run_values.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace qv {

// The program's arguments after its own name, as one text (the suite starts it with
// "UID=12 /USERID=ANN /PATH=C:\TRAINING").
QString CommandLineText(const QStringList& arguments);

// Reads "UID=", "USERID=" and "PATH=" into the run's values (SelectedItemID, UserID,
// DataPath, TrainingMode) and returns the start record number for the inventory record.
std::int32_t ApplyCommandLine(const QString& commandLine, RunValues& values);

}  // namespace qv
