#pragma once

#include <QString>
#include <ostream>

// Shows QString values as text in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
