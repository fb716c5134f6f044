#pragma once

#include <QString>

namespace qv {

// What the program knows about itself and the machine it runs on.
struct AppInfo {
    QString productName = QStringLiteral("Quorvane");
    QString exeName;        // without folder or extension
    QString programFolder;  // the program's own folder, where its logs and help are kept
    QString computerName;
    QString userName;

    // Values of the running program; QUORVANE_PROGRAM_DIR overrides the program folder.
    static AppInfo fromRunningProgram();
};

}  // namespace qv
