#include "startup/audit_command.h"

#include "audit/link_audit.h"
#include "platform/message_boxes.h"
#include "startup/command_line.h"
#include "startup/entry_routine.h"
#include "startup/session.h"

#include <QJsonDocument>
#include <cstdio>
#include <cstring>

namespace qv {

namespace {

const QString kAudit = QStringLiteral("--audit");
const QString kJson = QStringLiteral("--json");
const QString kRepair = QStringLiteral("--repair");
const QString kPrefix = QStringLiteral("quorvane --audit: ");

// Stands in for the message boxes of start-up: nothing is shown. Messages are kept for the
// error line; questions are answered No, so that nothing waits for a user (the data path
// routine then opens no dialog).
class CollectedBoxes final : public MessageBoxes {
public:
    BoxAnswer show(int style, const QString& title, const QString& text) override {
        if ((style & 0xF) == box::YesNo) {
            return BoxAnswer::No;
        }
        QString line = normaliseLineBreaks(text).replace(u'\n', u' ').simplified();
        messages << (title.isEmpty() ? line : title + QStringLiteral(": ") + line);
        return BoxAnswer::Ok;
    }
    QStringList messages;
};

int cannotOpen(QTextStream& err, const QString& why, const QStringList& messages) {
    err << kPrefix << QStringLiteral("could not open the store: ") << why;
    if (!messages.isEmpty()) {
        err << QStringLiteral(" (") << messages.join(QStringLiteral("; ")) << u')';
    }
    err << Qt::endl;
    return kAuditNoStore;
}

}  // namespace

bool IsAuditCommand(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--audit") == 0) {
            return true;
        }
    }
    return false;
}

std::optional<AuditCommand> ParseAuditCommand(const QStringList& arguments, QString& error) {
    AuditCommand cmd;
    bool audit = false;
    QStringList rest;
    for (const QString& a : arguments.mid(1)) {
        if (a == kAudit) {
            audit = true;
        } else if (a == kJson) {
            cmd.json = true;
        } else if (a == kRepair) {
            cmd.repair = true;
        } else if (a.startsWith(QStringLiteral("--"))) {
            error = QStringLiteral("unknown option \"%1\" (use --audit, --json, --repair)").arg(a);
            return std::nullopt;
        } else {
            rest << a;
        }
    }
    if (!audit) {
        error = QStringLiteral("--audit is missing");
        return std::nullopt;
    }
    cmd.commandLine = rest.join(u' ');
    return cmd;
}

int RunAuditCommand(SettingsStore& settings, FileSystem& fs, const AppInfo& app,
                    const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QString error;
    const std::optional<AuditCommand> cmd = ParseAuditCommand(arguments, error);
    if (!cmd) {
        err << kPrefix << error << Qt::endl;
        return kAuditNoStore;
    }

    CollectedBoxes boxes;
    Services services{boxes, settings, fs, app};
    Session s(services);
    s.gDataPath.setDialog([](clsDataPath&) {});  // never asked for: questions are answered No
    ApplyCommandLine(cmd->commandLine, s.values);
    if (!OpenDataFolder(s)) {
        return cannotOpen(err, QStringLiteral("no data folder is set up or it cannot be reached"),
                          boxes.messages);
    }
    const StartSteps steps = ProgramStartSteps();
    if (!steps.openAllTables(s)) {
        return cannotOpen(err,
                          QStringLiteral("the database \"%1\" or its Common table could not be "
                                         "opened")
                              .arg(s.db.DatabaseName()),
                          boxes.messages);
    }
    if (!steps.openDataTables(s)) {
        return cannotOpen(err, QStringLiteral("the Inventory or UPC table could not be opened"),
                          boxes.messages);
    }

    const audit::StoreTables tables{s.db.Slot(db::kInventoryTable)->tableName,
                                    s.db.Slot(db::kUpcTable)->tableName};
    db::DbError dbError;
    const std::optional<audit::AuditReport> report = audit::Audit(*s.db.engine(), tables, dbError);
    if (!report) {
        return cannotOpen(err,
                          QStringLiteral("the tables could not be read: ") + dbError.description,
                          boxes.messages);
    }
    std::optional<audit::RepairResult> repaired;
    if (cmd->repair) {
        repaired = audit::Repair(
            *s.db.engine(), *report,
            {fs, s.db.DataFile(QStringLiteral("AuditRecall.txt")), s.values.UserID, app.exeName});
    }

    if (cmd->json) {
        out << QJsonDocument(audit::ReportJson(*report, repaired ? &*repaired : nullptr))
                   .toJson(QJsonDocument::Indented);
    } else {
        for (const QString& line : audit::ReportLines(*report)) {
            out << line << u'\n';
        }
        if (repaired) {
            out << audit::RepairLine(*repaired) << u'\n';
        }
    }
    out.flush();
    return report->findings.empty() ? kAuditClean : kAuditFindings;
}

int RunAuditProgram(const QStringList& arguments) {
    QtSettingsStore settings;
    LocalFileSystem fs;
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunAuditCommand(settings, fs, AppInfo::fromRunningProgram(), arguments, out, err);
}

}  // namespace qv
