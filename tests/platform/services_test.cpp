#include "platform/instance_guard.h"
#include "platform/message_boxes.h"
#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

namespace qv {
namespace {

const QString kApp = QStringLiteral("VOR Settings");
const QString kDb = QStringLiteral("DATABASE");

TEST(QtSettingsStore, SavesReadsAndDeletesPerApplicationAndSection) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("a/b");  // made on the first save
    QtSettingsStore store(folder);
    EXPECT_EQ(store.getSetting(kApp, kDb, "STATION", "1"), "1");
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "STATION", "3"));
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "DATAPATH", "C:\\KT"));
    ASSERT_TRUE(store.saveSetting("Other", kDb, "STATION", "9"));
    EXPECT_TRUE(QFile::exists(QDir(folder).filePath("VOR Settings.ini")));

    // A second store on the same folder sees what the first wrote: nothing is cached.
    QtSettingsStore again(folder);
    EXPECT_EQ(again.getSetting(kApp, kDb, "STATION"), "3");
    EXPECT_EQ(again.getSetting(kApp, kDb, "DATAPATH"), "C:\\KT");
    EXPECT_EQ(again.getSetting("Other", kDb, "STATION"), "9");
    ASSERT_TRUE(again.deleteSetting(kApp, kDb, "STATION"));
    EXPECT_EQ(store.getSetting(kApp, kDb, "STATION", "dflt"), "dflt");
    EXPECT_EQ(store.getSetting(kApp, kDb, "DATAPATH"), "C:\\KT");
}

TEST(QtSettingsStore, NamesMatchWithoutRegardToCaseAndValuesAreKeptExactly) {
    QTemporaryDir dir;
    QtSettingsStore store(dir.path());
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "DBName", "Store"));
    EXPECT_EQ(store.getSetting(kApp, "database", "DBNAME"), "Store");
    // Writing under another spelling replaces the value rather than adding a second key.
    ASSERT_TRUE(store.saveSetting(kApp, "Database", "dbname", "Other"));
    EXPECT_EQ(store.getSetting(kApp, kDb, "DBName"), "Other");
    ASSERT_TRUE(store.deleteSetting(kApp, kDb, "DBNAME"));
    EXPECT_EQ(store.getSetting(kApp, kDb, "DBName", "none"), "none");

    const QString tricky = QStringLiteral(" C:\\Data, Files\\Åse;=\"x\" ");
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "DATAPATH", tricky));
    EXPECT_EQ(QtSettingsStore(dir.path()).getSetting(kApp, kDb, "DATAPATH"), tricky);
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "Password", QString()));
    EXPECT_EQ(store.getSetting(kApp, kDb, "Password", "unset"), QString());
}

TEST(LineBreaks, CrCrLfAndLfAllBecomeOneBreak) {
    EXPECT_EQ(normaliseLineBreaks(QStringLiteral("a\rb\r\nc\nd\r\n\re")),
              QStringLiteral("a\nb\nc\nd\n\ne"));
    EXPECT_EQ(normaliseLineBreaks(QStringLiteral("ends with CR\r")),
              QStringLiteral("ends with CR\n"));
}

QString uniqueKey() {
    return QStringLiteral("test-") + QUuid::createUuid().toString();
}

TEST(LocalInstanceGuard, SecondCopyIsToldAndCanWakeTheFirstOtherKeysAndEndedCopiesDoNot) {
    const QString key = uniqueKey();
    {
        LocalInstanceGuard first(key);
        ASSERT_FALSE(first.anotherInstanceRunning());
        EXPECT_FALSE(first.anotherInstanceRunning());  // asking again changes nothing
        int activations = 0;
        QObject::connect(&first, &LocalInstanceGuard::activationRequested, [&] { ++activations; });
        EXPECT_FALSE(LocalInstanceGuard(uniqueKey()).anotherInstanceRunning());

        LocalInstanceGuard second(key);
        EXPECT_TRUE(second.anotherInstanceRunning());
        second.activateOther();
        QElapsedTimer t;
        t.start();
        while (activations == 0 && t.elapsed() < 3000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        EXPECT_EQ(activations, 1);
    }
    LocalInstanceGuard later(key);
    EXPECT_FALSE(later.anotherInstanceRunning());
}

}  // namespace
}  // namespace qv
