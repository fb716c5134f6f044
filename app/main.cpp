#include "startup/audit_command.h"
#include "startup/program.h"

#include <QApplication>
#include <QCoreApplication>

int main(int argc, char** argv) {
    // The audit opens no window: it runs without a display.
    if (qv::IsAuditCommand(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Quorvane"));
        return qv::RunAuditProgram(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    return qv::RunProgram(QApplication::arguments());
}
