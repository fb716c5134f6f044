#include "db/server_clock.h"

#ifdef Q_OS_WIN
#include <QProcess>
#endif

namespace qv::db {

QString ClockCommand(const QString& machine) {
    return QStringLiteral("NET time \\\\") + machine + QStringLiteral(" /set /Y");
}

void SetClockFromServer(const QString& machine, const std::function<void(const QString&)>& trace) {
    const QString command = ClockCommand(machine);
    if (trace) {
        trace(command);
    }
#ifdef Q_OS_WIN
    QProcess process;
    process.setProgram(QStringLiteral("cmd.exe"));
    process.setArguments({QStringLiteral("/c"), command});
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->flags |= 0x08000000;  // CREATE_NO_WINDOW
    });
    process.startDetached();
#endif
}

}  // namespace qv::db
