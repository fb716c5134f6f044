#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace qv {
namespace {

const QString kApp = QStringLiteral("VOR Settings");
const QString kDb = QStringLiteral("DATABASE");

TEST(QtSettingsStore, SavesReadsAndDeletesPerApplicationAndSection) {
    QTemporaryDir dir;
    QtSettingsStore store(dir.path());
    EXPECT_EQ(store.getSetting(kApp, kDb, "STATION", "1"), QStringLiteral("1"));
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "STATION", "3"));
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "DATAPATH", "C:\\KT"));
    ASSERT_TRUE(store.saveSetting("Other", kDb, "STATION", "9"));

    // A second store on the same folder sees what the first wrote: nothing is cached.
    QtSettingsStore again(dir.path());
    EXPECT_EQ(again.getSetting(kApp, kDb, "STATION"), QStringLiteral("3"));
    EXPECT_EQ(again.getSetting(kApp, kDb, "DATAPATH"), QStringLiteral("C:\\KT"));
    EXPECT_EQ(again.getSetting("Other", kDb, "STATION"), QStringLiteral("9"));
    EXPECT_TRUE(QFile::exists(dir.filePath("VOR Settings.ini")));

    ASSERT_TRUE(again.deleteSetting(kApp, kDb, "STATION"));
    EXPECT_EQ(store.getSetting(kApp, kDb, "STATION", "dflt"), QStringLiteral("dflt"));
    EXPECT_EQ(store.getSetting(kApp, kDb, "DATAPATH"), QStringLiteral("C:\\KT"));
}

TEST(QtSettingsStore, NamesMatchWithoutRegardToCase) {
    QTemporaryDir dir;
    QtSettingsStore store(dir.path());
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "DBName", "Store"));
    EXPECT_EQ(store.getSetting(kApp, "database", "DBNAME"), QStringLiteral("Store"));
    // Writing under another spelling replaces the value rather than adding a second key.
    ASSERT_TRUE(store.saveSetting(kApp, "Database", "dbname", "Other"));
    EXPECT_EQ(store.getSetting(kApp, kDb, "DBName"), QStringLiteral("Other"));
    ASSERT_TRUE(store.deleteSetting(kApp, kDb, "DBNAME"));
    EXPECT_EQ(store.getSetting(kApp, kDb, "DBName", "none"), QStringLiteral("none"));
}

TEST(QtSettingsStore, KeepsValuesExactly) {
    QTemporaryDir dir;
    QtSettingsStore store(dir.path());
    const QString tricky = QStringLiteral(" C:\\Data, Files\\Åse;=\"x\" ");
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "DATAPATH", tricky));
    EXPECT_EQ(QtSettingsStore(dir.path()).getSetting(kApp, kDb, "DATAPATH"), tricky);
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "Password", QString()));
    EXPECT_EQ(store.getSetting(kApp, kDb, "Password", "unset"), QString());
}

TEST(QtSettingsStore, MissingFolderIsCreatedOnFirstSave) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("a/b");
    QtSettingsStore store(folder);
    ASSERT_TRUE(store.saveSetting(kApp, kDb, "NETWORK", "False"));
    EXPECT_TRUE(QDir(folder).exists());
}

}  // namespace
}  // namespace qv
