#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// Shows QString values as text in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// The lines of a file the program writes with CRLF endings (trace, log, recall file).
inline QStringList crlfLines(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}
