#include "wizard/creation_log.h"

#include <QDir>

namespace qv {

CreationLog::CreationLog(FileSystem& fs, const QString& programFolder)
    : fs_(fs), path_(QDir(programFolder).filePath(QString::fromLatin1(kFileName))) {}

void CreationLog::open() {
    fs_.replaceFile(path_, QByteArray());
}

void CreationLog::line(const QString& text) {
    fs_.appendLine(path_, text);
}

}  // namespace qv
