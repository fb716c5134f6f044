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
    QString drives() const { return sb.fs.resolver().driveRoot(); }
};

TEST_F(FileSystemTest, DosPathsMapUnderTheDriveRoot) {
    const PathResolver& r = sb.fs.resolver();
    EXPECT_EQ(r.toNative(QStringLiteral("C:\\KT\\VOR.INI")), drives() + "/C/KT/VOR.INI");
    EXPECT_EQ(r.toNative(QStringLiteral("d:/new")), drives() + "/D/new");
    EXPECT_EQ(r.toNative(QStringLiteral("C:")), drives() + "/C");
    EXPECT_EQ(r.toNative(QStringLiteral("\\\\server\\share\\x")), drives() + "/UNC/server/share/x");
    EXPECT_EQ(r.toNative(QStringLiteral("/tmp")), QStringLiteral("/tmp"));
}

TEST_F(FileSystemTest, ElementsMatchTheDiskWithoutRegardToCase) {
    sb.writeFile(QStringLiteral("C:\\Data Files\\Vor.Ini"), "x");
    EXPECT_EQ(sb.fs.nativePath(QStringLiteral("c:\\DATA FILES\\VOR.INI")),
              drives() + "/C/Data Files/Vor.Ini");
    EXPECT_TRUE(sb.fs.fileExists(QStringLiteral("C:\\data files\\vor.ini")));
    // A name not on disk keeps its spelling, and so does everything after it.
    EXPECT_EQ(sb.fs.nativePath(QStringLiteral("C:\\DATA FILES\\New\\Sub")),
              drives() + "/C/Data Files/New/Sub");
    // Native paths with backslashes work too.
    EXPECT_TRUE(sb.fs.fileExists(drives() + "/C\\DATA FILES\\vor.ini"));
}

TEST_F(FileSystemTest, DisplayFormRoundTripsDosPaths) {
    const PathResolver& r = sb.fs.resolver();
    EXPECT_EQ(r.toDisplay(drives() + "/C/KT"), QStringLiteral("C:\\KT"));
    EXPECT_EQ(r.toDisplay(drives() + "/C"), QStringLiteral("C:\\"));
    EXPECT_EQ(r.toDisplay(QStringLiteral("/srv/data")), QStringLiteral("/srv/data"));
    QDir().mkpath(drives() + "/E");
    EXPECT_TRUE(r.drives().contains(QStringLiteral("E:")));
    EXPECT_TRUE(r.drives().contains(QStringLiteral("C:")));
}

TEST_F(FileSystemTest, FilesAndFoldersAreTellApart) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    sb.writeFile(QStringLiteral("C:\\KT\\upper.alt"), "u");
    EXPECT_TRUE(sb.fs.dirExists(QStringLiteral("C:\\KT\\")));
    EXPECT_FALSE(sb.fs.fileExists(QStringLiteral("C:\\KT")));
    EXPECT_TRUE(sb.fs.fileExists(QStringLiteral("C:\\KT\\UPPER.ALT")));
    EXPECT_FALSE(sb.fs.dirExists(QStringLiteral("C:\\KT\\upper.alt")));
    EXPECT_FALSE(sb.fs.dirExists(QString()));
    EXPECT_FALSE(sb.fs.fileExists(QStringLiteral("  ")));
}

TEST_F(FileSystemTest, MakeDirCreatesOneLevelOnly) {
    QString error;
    EXPECT_TRUE(sb.fs.makeDir(QStringLiteral("C:\\NEW\\"), &error));
    EXPECT_TRUE(QFileInfo(drives() + "/C/NEW").isDir());
    EXPECT_FALSE(sb.fs.makeDir(QStringLiteral("C:\\A\\B"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(sb.fs.makeDir(QStringLiteral("C:\\NEW"), &error));  // exists already
}

TEST_F(FileSystemTest, CopyNeverOverwrites) {
    sb.writeFile(QStringLiteral("C:\\prog\\upper.alt"), "program copy");
    sb.writeFile(QStringLiteral("C:\\KT\\upper.alt"), "store copy");
    QString error;
    EXPECT_FALSE(sb.fs.copyFile(QStringLiteral("C:\\prog\\upper.alt"),
                                QStringLiteral("C:\\KT\\upper.alt"), &error));
    EXPECT_EQ(sb.readFile(QStringLiteral("C:\\KT\\upper.alt")), QByteArray("store copy"));
    EXPECT_TRUE(sb.fs.copyFile(QStringLiteral("C:\\prog\\upper.alt"),
                               QStringLiteral("C:\\KT\\UPPER2.ALT")));
    EXPECT_EQ(sb.readFile(QStringLiteral("C:\\KT\\UPPER2.ALT")), QByteArray("program copy"));
}

TEST_F(FileSystemTest, AppendLineEndsEachLineWithCrLf) {
    sb.makeDir(QStringLiteral("C:\\KT"));
    ASSERT_TRUE(sb.fs.appendLine(QStringLiteral("C:\\KT\\PVSW.log"), QStringLiteral("one")));
    ASSERT_TRUE(sb.fs.appendLine(QStringLiteral("c:\\kt\\pvsw.log"), QStringLiteral("twö")));
    EXPECT_EQ(sb.readFile(QStringLiteral("C:\\KT\\PVSW.log")), QByteArray("one\r\ntw\xc3\xb6\r\n"));
    EXPECT_FALSE(sb.fs.appendLine(QStringLiteral("C:\\MISSING\\x.log"), QStringLiteral("x")));
}

TEST_F(FileSystemTest, ReadLinesSplitsAtEveryKindOfLineEnd) {
    sb.writeFile(QStringLiteral("C:\\KT\\uom.vor"), "a\r\nb\nc\rd");
    const auto lines = sb.fs.readLines(QStringLiteral("C:\\KT\\UOM.VOR"));
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines(QStringLiteral("x\r\n\r\ny\r\n")), QStringList({"x", "", "y"}));
    QString error;
    EXPECT_FALSE(sb.fs.readLines(QStringLiteral("C:\\KT\\none.vor"), &error).has_value());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(sb.fs.readLines(QStringLiteral("C:\\KT")).has_value());  // a folder
}

TEST_F(FileSystemTest, TextIsUtf8WhenValidElseLatin1) {
    EXPECT_EQ(decodeText(QByteArray("caf\xc3\xa9")), QStringLiteral("café"));
    EXPECT_EQ(decodeText(QByteArray("caf\xe9")), QStringLiteral("café"));
    EXPECT_EQ(decodeText(QByteArray("a\0b", 3)).size(), 3);
}

TEST_F(FileSystemTest, ReplaceFileKeepsTheOldFileWhenItCannotWrite) {
    const QString path = sb.writeFile(QStringLiteral("C:\\KT\\VOR.INI"), "old");
    ASSERT_TRUE(sb.fs.replaceFile(QStringLiteral("C:\\KT\\VOR.INI"), "new"));
    EXPECT_EQ(sb.readFile(QStringLiteral("C:\\KT\\VOR.INI")), QByteArray("new"));

    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QString error;
    EXPECT_FALSE(sb.fs.replaceFile(QStringLiteral("C:\\KT\\VOR.INI"), "newer", &error));
    EXPECT_EQ(sb.readFile(QStringLiteral("C:\\KT\\VOR.INI")), QByteArray("new"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    EXPECT_FALSE(sb.fs.replaceFile(QStringLiteral("C:\\NOFOLDER\\VOR.INI"), "x"));
    EXPECT_FALSE(sb.fs.replaceFile(QStringLiteral("C:\\KT"), "x"));  // a folder
}

}  // namespace
}  // namespace qv
