#include "platform/app_info.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>

namespace qv {

AppInfo AppInfo::fromRunningProgram() {
    AppInfo info;
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    info.exeName = exe.completeBaseName();
    info.programFolder = qEnvironmentVariable("QUORVANE_PROGRAM_DIR");
    if (info.programFolder.isEmpty()) {
        info.programFolder = exe.absolutePath();
    }
    info.computerName = QSysInfo::machineHostName();
    info.userName = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    return info;
}

}  // namespace qv
