#pragma once

#include "platform/app_info.h"
#include "platform/file_system.h"
#include "platform/settings_store.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace qv {

// The program's command-line audit of linked items (see audit/link_audit.h):
//
//   quorvane --audit [--json] [--repair] [USERID=<user> /PATH=<folder>]
//
// It opens the same per-user settings, data folder and database as a normal start (the
// "USERID=" and "PATH=" arguments mean what they mean there), shows no window and no message
// box, prints the report (or its JSON) on out, and with --repair mends what has one right
// answer, keeping the rows as they were in "AuditRecall.txt" in the data folder.
//
// Exit codes: 0 nothing found, 1 findings (whether or not --repair mended them), 2 the store
// could not be opened or read, or an option is not known; a line on err says why, with what
// start-up would have shown in its message boxes.
inline constexpr int kAuditClean = 0;
inline constexpr int kAuditFindings = 1;
inline constexpr int kAuditNoStore = 2;

struct AuditCommand {
    bool json = false;
    bool repair = false;
    QString commandLine;  // the other arguments, as the start reads them
};

// True when the program's arguments (argv, its own name first) ask for the audit.
bool IsAuditCommand(int argc, const char* const* argv);

// The command from the program's arguments (its own name first). Nothing when "--audit" is
// missing or an argument that starts with "--" is not one of the three; error says which.
std::optional<AuditCommand> ParseAuditCommand(const QStringList& arguments, QString& error);

// Runs the audit with these services; returns the exit code.
int RunAuditCommand(SettingsStore& settings, FileSystem& fs, const AppInfo& app,
                    const QStringList& arguments, QTextStream& out, QTextStream& err);

// The same with the running program's settings, files, standard output and standard error.
int RunAuditProgram(const QStringList& arguments);

}  // namespace qv
