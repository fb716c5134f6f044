#pragma once

// Another workstation on a test's store: the store_station program (tests/stations), run as a
// separate process on the sandbox's drive root.

#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QStringList>

namespace qv::test {

class StationProcess {
public:
    // Starts "store_station <drive root> <own program folder> <arguments...>".
    StationProcess(Sandbox& sb, const QString& name, const QStringList& arguments) {
        const QString programFolder = sb.root() + QStringLiteral("/station-") + name;
        process_.setProgram(QStringLiteral(QV_STORE_STATION));
        process_.setArguments(QStringList{sb.root() + QStringLiteral("/drives"), programFolder} +
                              arguments);
        process_.start();
        EXPECT_TRUE(process_.waitForStarted(10000)) << process_.errorString().toStdString();
    }
    ~StationProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Waits for the next line the station prints; empty when none comes in time.
    QString nextLine(int ms = 10000) {
        if (!process_.canReadLine()) {
            process_.waitForReadyRead(ms);
        }
        return QString::fromUtf8(process_.readLine()).trimmed();
    }
    void say(const QByteArray& line) {
        process_.write(line + '\n');
        process_.waitForBytesWritten(5000);
    }
    // Waits for the end; false when it did not come in time.
    bool finish(int ms) { return process_.waitForFinished(ms); }
    bool crashed() const { return process_.exitStatus() == QProcess::CrashExit; }
    int exitCode() const { return process_.exitCode(); }
    // Every line the station printed that is still unread.
    QStringList lines() {
        return QString::fromUtf8(process_.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    QString errors() { return QString::fromUtf8(process_.readAllStandardError()); }

private:
    QProcess process_;
};

}  // namespace qv::test
