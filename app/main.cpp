#include "platform/instance_guard.h"
#include "platform/message_boxes.h"
#include "platform/settings_store.h"
#include "startup/program.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    return qv::RunProgram(QApplication::arguments());
}
