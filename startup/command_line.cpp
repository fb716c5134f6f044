#include "startup/command_line.h"

#include "settings/vb_text.h"

namespace qv {

QString CommandLineText(const QStringList& arguments) {
    return arguments.mid(1).join(u' ');
}

std::int32_t ApplyCommandLine(const QString& commandLine, RunValues& values) {
    const QString slash = QStringLiteral("/");

    // A value that does not sort after "0" as text (empty, a leading blank, "-5") means no
    // record; one that does is read as a number, and a number out of range counts as none.
    std::int32_t recordNum = 0;
    const QString uid = GetTaggedValue(commandLine, QStringLiteral("UID="), slash);
    if (QString::compare(uid, QStringLiteral("0"), Qt::CaseSensitive) > 0) {
        recordNum = RoundToInt32(Val(uid)).value_or(0);
    }
    values.SelectedItemID = QString::number(recordNum);

    values.UserID = GetTaggedValue(commandLine, QStringLiteral("USERID="), slash);

    values.DataPath = GetTaggedValue(commandLine, QStringLiteral("PATH="), slash);
    if (values.DataPath.toUpper() == QStringLiteral("C:\\TRAINING")) {
        values.TrainingMode = true;
    }
    return recordNum;
}

}  // namespace qv
