#pragma once

#include <QString>
#include <ostream>

// Shows QString values (and lists of them) as text in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
