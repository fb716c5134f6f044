#pragma once

// Test data kept in files under tests/data: case tables (one case per line) and golden texts
// (long exact texts compared whole).
//
// Case tables: '#' starts a comment line; cells are separated by '|'. A cell is either bare
// (its blanks around it trimmed) or quoted, "like this", with the escapes \r \n \t \0 \\ \"
// \| and \xNN (one byte; plain characters are UTF-8). A bare "-" is an absent cell.
//
// Golden texts: ExpectGolden compares the whole text with the file and shows the first line
// that differs. With QUORVANE_BLESS=1 in the environment it writes the file instead, for a
// change of the expected text that has been checked by hand.

#include "tests/support/qt_print.h"

#include <gtest/gtest.h>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace qv::test {

QString DataPath(const QString& relative);
QByteArray ReadData(const QString& relative);

struct Case {
    QString file;
    int line = 0;
    std::vector<std::optional<QByteArray>> cells;

    std::string where() const;  // "file:line", for SCOPED_TRACE
    bool has(int i) const { return i < static_cast<int>(cells.size()) && cells[i].has_value(); }
    QByteArray bytes(int i) const { return has(i) ? *cells[i] : QByteArray(); }
    QString text(int i) const { return QString::fromUtf8(bytes(i)); }
    std::optional<QString> opt(int i) const {
        return has(i) ? std::optional<QString>(text(i)) : std::nullopt;
    }
    long long num(int i) const { return bytes(i).trimmed().toLongLong(); }
    double real(int i) const { return bytes(i).trimmed().toDouble(); }
    bool flag(int i) const { return bytes(i) == "y"; }
    QStringList list(int i, QChar separator = u',') const;  // "" gives an empty list
    QStringList from(int i) const;                          // the texts of cells i, i + 1, ...
};

std::vector<Case> Cases(const QString& relative);

void ExpectGolden(const QString& relative, const QString& actual);

}  // namespace qv::test
