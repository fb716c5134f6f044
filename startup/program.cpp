#include "startup/program.h"

#include "platform/instance_guard.h"
#include "platform/message_boxes.h"
#include "platform/settings_store.h"
#include "startup/command_line.h"
#include "startup/entry_routine.h"

namespace qv {

int RunProgram(const QStringList& arguments) {
    QtMessageBoxes boxes;
    QtSettingsStore settings;
    LocalFileSystem fs;
    Services services{boxes, settings, fs, AppInfo::fromRunningProgram()};
    Session session(services);
    LocalInstanceGuard guard;

    RunEntryRoutine(session, guard, CommandLineText(arguments), ProgramStartSteps());
    return 0;
}

}  // namespace qv
