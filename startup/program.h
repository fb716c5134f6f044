#pragma once

#include <QStringList>

namespace qv {

// Runs the program with the real platform services; returns the process exit code.
int RunProgram(const QStringList& arguments);

}  // namespace qv
