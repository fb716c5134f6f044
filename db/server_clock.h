#pragma once

#include <QString>
#include <functional>

namespace qv::db {

// The command that sets this computer's clock from the server's machine.
QString ClockCommand(const QString& machine);

// Sets this computer's clock from the given machine's, the way the suite's workstations keep
// in step with their server: on Windows the command runs hidden and is not waited for; other
// systems keep their own time, so there only the trace line is written. trace receives the
// command in every case.
void SetClockFromServer(const QString& machine, const std::function<void(const QString&)>& trace);

}  // namespace qv::db
