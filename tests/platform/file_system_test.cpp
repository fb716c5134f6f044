#include "platform/file_system.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qv {
namespace {

class FileSystemTest : public ::testing::Test {
protected:
    test::Sandbox sb;
    const PathResolver& r = sb.fs.resolver();
    const QString drives = r.driveRoot();
};

TEST_F(FileSystemTest, DosPathsMapUnderTheDriveRootAndBack) {
    EXPECT_EQ(r.toNative("C:\\KT\\VOR.INI"), drives + "/C/KT/VOR.INI");
    EXPECT_EQ(r.toNative("d:/new"), drives + "/D/new");
    EXPECT_EQ(r.toNative("C:"), drives + "/C");
    EXPECT_EQ(r.toNative("\\\\server\\share\\x"), drives + "/UNC/server/share/x");
    EXPECT_EQ(r.toNative("/tmp"), "/tmp");
    EXPECT_EQ(r.toDisplay(drives + "/C/KT"), "C:\\KT");
    EXPECT_EQ(r.toDisplay(drives + "/C"), "C:\\");
    EXPECT_EQ(r.toDisplay("/srv/data"), "/srv/data");
    QDir().mkpath(drives + "/E");
    EXPECT_TRUE(r.drives().contains("E:"));
    EXPECT_TRUE(r.drives().contains("C:"));
}

TEST_F(FileSystemTest, ElementsMatchTheDiskWithoutRegardToCase) {
    sb.writeFile("C:\\Data Files\\Vor.Ini", "x");
    EXPECT_EQ(sb.fs.nativePath("c:\\DATA FILES\\VOR.INI"), drives + "/C/Data Files/Vor.Ini");
    EXPECT_TRUE(sb.fs.fileExists("C:\\data files\\vor.ini"));
    // A name not on disk keeps its spelling, and so does everything after it.
    EXPECT_EQ(sb.fs.nativePath("C:\\DATA FILES\\New\\Sub"), drives + "/C/Data Files/New/Sub");
    // Native paths with backslashes work too.
    EXPECT_TRUE(sb.fs.fileExists(drives + "/C\\DATA FILES\\vor.ini"));
}

TEST_F(FileSystemTest, FilesAndFoldersAreToldApartAndFoldersMadeOneLevelAtATime) {
    sb.writeFile("C:\\KT\\upper.alt", "u");
    EXPECT_TRUE(sb.fs.dirExists("C:\\KT\\"));
    EXPECT_FALSE(sb.fs.fileExists("C:\\KT"));
    EXPECT_TRUE(sb.fs.fileExists("C:\\KT\\UPPER.ALT"));
    EXPECT_FALSE(sb.fs.dirExists("C:\\KT\\upper.alt"));
    EXPECT_FALSE(sb.fs.dirExists(QString()));
    EXPECT_FALSE(sb.fs.fileExists("  "));

    QString error;
    EXPECT_TRUE(sb.fs.makeDir("C:\\NEW\\", &error));
    EXPECT_TRUE(QFileInfo(drives + "/C/NEW").isDir());
    EXPECT_FALSE(sb.fs.makeDir("C:\\A\\B", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(sb.fs.makeDir("C:\\NEW", &error));  // exists already
}

TEST_F(FileSystemTest, CopyNeverOverwrites) {
    sb.writeFile("C:\\prog\\upper.alt", "program copy");
    sb.writeFile("C:\\KT\\upper.alt", "store copy");
    QString error;
    EXPECT_FALSE(sb.fs.copyFile("C:\\prog\\upper.alt", "C:\\KT\\upper.alt", &error));
    EXPECT_EQ(sb.readFile("C:\\KT\\upper.alt"), "store copy");
    EXPECT_TRUE(sb.fs.copyFile("C:\\prog\\upper.alt", "C:\\KT\\UPPER2.ALT"));
    EXPECT_EQ(sb.readFile("C:\\KT\\UPPER2.ALT"), "program copy");
}

TEST_F(FileSystemTest, LinesAreAppendedWithCrLfAndReadAtEveryKindOfLineEnd) {
    sb.makeDir("C:\\KT");
    ASSERT_TRUE(sb.fs.appendLine("C:\\KT\\PVSW.log", "one"));
    ASSERT_TRUE(sb.fs.appendLine("c:\\kt\\pvsw.log", QStringLiteral("twö")));
    EXPECT_EQ(sb.readFile("C:\\KT\\PVSW.log"), "one\r\ntw\xc3\xb6\r\n");
    EXPECT_FALSE(sb.fs.appendLine("C:\\MISSING\\x.log", "x"));

    sb.writeFile("C:\\KT\\uom.vor", "a\r\nb\nc\rd");
    EXPECT_EQ(sb.fs.readLines("C:\\KT\\UOM.VOR"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("x\r\n\r\ny\r\n"), QStringList({"x", "", "y"}));
    QString error;
    EXPECT_FALSE(sb.fs.readLines("C:\\KT\\none.vor", &error).has_value());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(sb.fs.readLines("C:\\KT").has_value());  // a folder
}

TEST_F(FileSystemTest, TextIsUtf8WhenValidElseLatin1) {
    EXPECT_EQ(decodeText("caf\xc3\xa9"), QStringLiteral("café"));
    EXPECT_EQ(decodeText("caf\xe9"), QStringLiteral("café"));
    EXPECT_EQ(decodeText(QByteArray("a\0b", 3)).size(), 3);
}

TEST_F(FileSystemTest, ReplaceFileKeepsTheOldFileWhenItCannotWrite) {
    const QString path = sb.writeFile("C:\\KT\\VOR.INI", "old");
    ASSERT_TRUE(sb.fs.replaceFile("C:\\KT\\VOR.INI", "new"));
    EXPECT_EQ(sb.readFile("C:\\KT\\VOR.INI"), "new");

    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QString error;
    EXPECT_FALSE(sb.fs.replaceFile("C:\\KT\\VOR.INI", "newer", &error));
    EXPECT_EQ(sb.readFile("C:\\KT\\VOR.INI"), "new");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    EXPECT_FALSE(sb.fs.replaceFile("C:\\NOFOLDER\\VOR.INI", "x"));
    EXPECT_FALSE(sb.fs.replaceFile("C:\\KT", "x"));  // a folder
}

}  // namespace
}  // namespace qv
