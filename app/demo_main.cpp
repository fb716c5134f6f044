#include "platform/app_info.h"
#include "platform/file_system.h"
#include "platform/message_boxes.h"
#include "platform/settings_store.h"
#include "startup/demo_store.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

// Nobody sits in front of this tool: a box is printed and answered as if closed ("No",
// "Cancel").
class PrintedBoxes final : public qv::MessageBoxes {
public:
    qv::BoxAnswer show(int style, const QString& title, const QString& text) override {
        std::fprintf(stderr, "quorvane-demo: [%s] %s\n", qPrintable(title),
                     qPrintable(qv::normaliseLineBreaks(text)));
        return qv::DismissAnswer(style);
    }
};

}  // namespace

// Makes the demo store (settings, data folder, database) when missing and prints the
// arguments that start the program on its case item, one a line.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    PrintedBoxes boxes;
    qv::QtSettingsStore settings;
    qv::LocalFileSystem fs;
    qv::Services services{boxes, settings, fs, qv::AppInfo::fromRunningProgram()};
    qv::DemoStore store;
    const QString error = qv::EnsureDemoStore(services, store);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "quorvane-demo: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("UID=%d\n/USERID=DEMO\n", store.caseRecordNum);
    return 0;
}
