#pragma once

#include "tests/support/qt_print.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// The lines of a file the program writes with CRLF endings (trace, log, recall file).
inline QStringList crlfLines(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}
