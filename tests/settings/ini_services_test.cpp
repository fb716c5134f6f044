#include "settings/ini_services.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qv {
namespace {

const QString kIni = QStringLiteral("C:\\KT\\VOR.INI");
const QString kTitle = QStringLiteral("INI Class");

// Wraps the sandbox's file system so that reads of existing files can be made to fail.
class UnreadableFileSystem final : public FileSystem {
public:
    explicit UnreadableFileSystem(FileSystem& real) : real_(real) {}

    bool failReads = false;
    int replaceCalls = 0;

    QString nativePath(const QString& path) const override { return real_.nativePath(path); }
    bool fileExists(const QString& path) const override { return real_.fileExists(path); }
    bool dirExists(const QString& path) const override { return real_.dirExists(path); }
    bool makeDir(const QString& path, QString* error) override {
        return real_.makeDir(path, error);
    }
    bool copyFile(const QString& from, const QString& to, QString* error) override {
        return real_.copyFile(from, to, error);
    }
    bool appendLine(const QString& path, const QString& line, QString* error) override {
        return real_.appendLine(path, line, error);
    }
    std::optional<QByteArray> readAll(const QString& path, QString* error) const override {
        if (failReads) {
            return std::nullopt;
        }
        return real_.readAll(path, error);
    }
    bool replaceFile(const QString& path, const QByteArray& data, QString* error) override {
        ++replaceCalls;
        return real_.replaceFile(path, data, error);
    }

private:
    FileSystem& real_;
};

// A sandbox with VOR.INI in place and an INI object pointed at it.
struct IniFixture {
    explicit IniFixture(const QByteArray& content) {
        sb.writeFile(kIni, content);
        ini.File_Name(kIni);
    }
    test::Sandbox sb;
    clsINI_Services ini{sb.fs, sb.boxes};
};

QStringList list(std::initializer_list<const char*> items) {
    QStringList out;
    for (const char* item : items) {
        out << QString::fromUtf8(item);
    }
    return out;
}

IniTable table(std::initializer_list<std::array<const char*, 2>> rows) {
    IniTable out;
    for (const auto& row : rows) {
        out.push_back({QString::fromUtf8(row[0]), QString::fromUtf8(row[1])});
    }
    return out;
}

// ---------------------------------------------------------------------------------------------

TEST(IniFileName, ExistingFileIsAcceptedAndLeftByteForByte) {
    const QByteArray content = "; settings\n[]\r\n[DATABASE]\rServer=X\r\n\r\n";
    IniFixture f(content);
    EXPECT_TRUE(f.ini.FileOpen());
    EXPECT_EQ(f.ini.File(), kIni);
    EXPECT_EQ(f.sb.readFile(kIni), content);
    EXPECT_TRUE(f.sb.boxes.shown().empty());
}

TEST(IniFileName, MissingFileInAnExistingFolderIsAcceptedButNotCreated) {
    test::Sandbox sb;
    sb.makeDir(QStringLiteral("C:\\KT"));
    clsINI_Services ini(sb.fs, sb.boxes);
    ini.File_Name(kIni);
    EXPECT_TRUE(ini.FileOpen());
    EXPECT_EQ(ini.File(), kIni);
    EXPECT_FALSE(QFileInfo::exists(sb.native(kIni)));
}

TEST(IniFileName, PathInAMissingFolderOrNamingAFolderIsRefused) {
    test::Sandbox sb;
    clsINI_Services ini(sb.fs, sb.boxes);
    ini.File_Name(QStringLiteral("C:\\NOWHERE\\VOR.INI"));
    EXPECT_FALSE(ini.FileOpen());
    EXPECT_EQ(ini.File(), QString());

    sb.writeFile(kIni, "[S]\r\nk=1\r\n");
    ini.File_Name(kIni);
    ASSERT_TRUE(ini.FileOpen());
    ini.File_Name(QStringLiteral("C:\\KT"));
    EXPECT_FALSE(ini.FileOpen());
    EXPECT_EQ(ini.File(), QString());
    ini.File_Name(QString());
    EXPECT_FALSE(ini.FileOpen());
    EXPECT_TRUE(sb.boxes.shown().empty());
}

// ---------------------------------------------------------------------------------------------

TEST(IniGetValue, ReadsValuesAndFallsBackToTheDefault) {
    IniFixture f(
        "[Primary Search Fields]\r\nSearch for Inventory by:=Stock Locater\r\n"
        "[INVENTORY]\r\nDepartment Code used for Deposits and Returns = 99 \r\n");
    EXPECT_EQ(f.ini.GetValue(QStringLiteral("Primary Search Fields"),
                             QStringLiteral("Search for Inventory by:")),
              QStringLiteral("Stock Locater"));
    EXPECT_EQ(f.ini.GetValue(QStringLiteral("inventory"),
                             QStringLiteral("department code used for deposits and returns")),
              QStringLiteral("99"));
    EXPECT_EQ(f.ini.GetValue(QStringLiteral("INVENTORY"), QStringLiteral("Stations"),
                             QStringLiteral("4")),
              QStringLiteral("4"));
    EXPECT_EQ(f.ini.GetValue(QStringLiteral("INVENTORY"), QStringLiteral("Stations")), QString());
    EXPECT_EQ(f.ini.GetValue(QStringLiteral("Nowhere"), QStringLiteral("x"), QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST(IniGetValue, ValueOf300CharactersGivesItsFirst254) {
    const QByteArray longValue = QByteArray(254, 'a') + QByteArray(46, 'b');
    IniFixture f("[S]\r\nk=" + longValue + "\r\n");
    EXPECT_EQ(f.ini.GetValue(QStringLiteral("S"), QStringLiteral("k")), QString(254, u'a'));
}

TEST(IniGetValue, EmptySectionNameOrNoFileGivesTheDefault) {
    test::Sandbox sb;
    clsINI_Services ini(sb.fs, sb.boxes);
    EXPECT_EQ(ini.GetValue(QString(), QStringLiteral("Stations"), QStringLiteral("4")),
              QStringLiteral("4"));
    EXPECT_EQ(ini.GetValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("4")),
              QStringLiteral("4"));
    EXPECT_TRUE(sb.boxes.shown().empty());
}

TEST(IniGetValue, ValueIsCutAtAnEmbeddedNul) {
    IniFixture f(QByteArray("[S]\r\nk=ab\0cd\r\n", 14));
    EXPECT_EQ(f.ini.GetValue(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("ab"));
}

// ---------------------------------------------------------------------------------------------

TEST(IniWrite, WriteDataWithoutAnAcceptedFileWritesNothing) {
    test::Sandbox sb;
    sb.makeDir(QStringLiteral("C:\\KT"));
    clsINI_Services ini(sb.fs, sb.boxes);
    EXPECT_FALSE(ini.WriteData(QStringLiteral("MISCELLANEOUS"), QStringLiteral("Datapath"),
                               QStringLiteral("C:\\KT")));
    ini.File_Name(QStringLiteral("C:\\NOWHERE\\VOR.INI"));
    EXPECT_FALSE(ini.WriteData(QStringLiteral("MISCELLANEOUS"), QStringLiteral("Datapath"),
                               QStringLiteral("C:\\KT")));
    EXPECT_FALSE(QFileInfo::exists(sb.native(kIni)));
    EXPECT_FALSE(QFileInfo::exists(sb.native(QStringLiteral("C:\\NOWHERE"))));
}

TEST(IniWrite, WriteDataSetsAValueAndKeepsTheRestOfTheFile) {
    IniFixture f("; VOR settings\r\n[MISCELLANEOUS]\r\nDatapath=C:\\OLD\r\nOther=1\r\n");
    EXPECT_TRUE(f.ini.WriteData(QStringLiteral("miscellaneous"), QStringLiteral("DATAPATH"),
                                QStringLiteral("C:\\KT")));
    EXPECT_TRUE(f.ini.WriteData(QStringLiteral("DATABASE"), QStringLiteral("Server"),
                                QStringLiteral("TILL1")));
    EXPECT_EQ(f.sb.readFile(kIni),
              "; VOR settings\r\n[MISCELLANEOUS]\r\nDatapath=C:\\KT\r\nOther=1\r\n"
              "[DATABASE]\r\nServer=TILL1\r\n");
}

TEST(IniWrite, WriteDataCreatesAnAcceptedMissingFile) {
    test::Sandbox sb;
    sb.makeDir(QStringLiteral("C:\\KT"));
    clsINI_Services ini(sb.fs, sb.boxes);
    ini.File_Name(QStringLiteral("c:\\kt\\vor.ini"));
    EXPECT_TRUE(ini.WriteData(QStringLiteral("S"), QStringLiteral("k"), QString()));
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\nk=\r\n");
}

TEST(IniWrite, DeleteDataDeletesSectionsAndKeysOrWritesAValue) {
    IniFixture f("[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n");
    EXPECT_TRUE(f.ini.DeleteData(QStringLiteral("A"), QStringLiteral("a"), std::nullopt));
    EXPECT_EQ(f.sb.readFile(kIni), "[A]\r\nb=2\r\n[B]\r\nc=3\r\n");
    EXPECT_TRUE(f.ini.DeleteData(QStringLiteral("A"), std::nullopt, std::nullopt));
    EXPECT_EQ(f.sb.readFile(kIni), "[B]\r\nc=3\r\n");
    EXPECT_TRUE(f.ini.DeleteData(QStringLiteral("B"), QStringLiteral("c"), QStringLiteral("9")));
    EXPECT_EQ(f.sb.readFile(kIni), "[B]\r\nc=9\r\n");
}

TEST(IniWrite, ARefusedWriteGivesFalseWithoutABox) {
    IniFixture f("[S]\r\nk=1\r\n");
    EXPECT_FALSE(
        f.ini.WriteData(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("1\r\n[Other]")));
    EXPECT_FALSE(f.ini.WriteData(QStringLiteral("S"), QString(), QStringLiteral("1")));
    EXPECT_EQ(f.sb.readFile(kIni), "[S]\r\nk=1\r\n");
    EXPECT_TRUE(f.sb.boxes.shown().empty());
}

// ---------------------------------------------------------------------------------------------

TEST(IniLists, GetAllSectionsGivesTheNamesInFileOrder) {
    IniFixture f("[A]\r\nk=1\r\n[B]\r\n");
    EXPECT_EQ(f.ini.GetAllSections(), list({"A", "B"}));
}

TEST(IniLists, EmptyFileOrSectionGivesOneEmptyElement) {
    IniFixture f("; only a comment\r\n[Empty]\r\n");
    EXPECT_EQ(f.ini.GetAllKeysInSection(QStringLiteral("Empty")), list({""}));
    EXPECT_EQ(f.ini.GetAllKeysInSection(QStringLiteral("Missing")), list({""}));
    EXPECT_EQ(f.ini.GetAllKeysValuesInSection(QStringLiteral("Empty")), table({{"", ""}}));
    f.sb.writeFile(kIni, "");
    EXPECT_EQ(f.ini.GetAllSections(), list({""}));
}

TEST(IniLists, KeysAndValuesOfASection) {
    IniFixture f(
        "[DATABASE]\r\nServer = TILL1\r\n; note\r\nDBName=Store\r\nEmpty=\r\n[X]\r\ny=1\r\n");
    EXPECT_EQ(f.ini.GetAllKeysInSection(QStringLiteral("database")),
              list({"Server", "DBName", "Empty"}));
    EXPECT_EQ(f.ini.GetAllKeysValuesInSection(QStringLiteral("DATABASE")),
              table({{"Server", "TILL1"}, {"DBName", "Store"}, {"Empty", ""}}));
}

TEST(IniLists, ListLongerThanTheBufferLosesItsTail) {
    QByteArray content;
    for (int i = 0; i < 30; ++i) {
        content += "[Section" + QByteArray::number(10 + i) + "]\r\n";
    }
    IniFixture f(content);
    const auto sections = f.ini.GetAllSections();
    ASSERT_TRUE(sections);
    // 253 characters counted: 25 whole names of 10 characters each, then "Sec" of which the
    // last counted character is not looked at.
    ASSERT_EQ(sections->size(), 26);
    EXPECT_EQ(sections->at(24), QStringLiteral("Section34"));
    EXPECT_EQ(sections->at(25), QStringLiteral("Se"));
}

TEST(IniLists, WithoutAnAcceptedFileTheResultIsNothing) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[A]\r\nk=v\r\n");
    clsINI_Services ini(sb.fs, sb.boxes);
    EXPECT_EQ(ini.GetAllSections(), std::nullopt);
    EXPECT_EQ(ini.GetAllKeysInSection(QStringLiteral("A")), std::nullopt);
    EXPECT_EQ(ini.GetAllKeysValuesInSection(QStringLiteral("A")), std::nullopt);
    EXPECT_EQ(ini.FindKeyInFile(QStringLiteral("k")), std::nullopt);
    EXPECT_FALSE(ini.FindKeyInSection(QStringLiteral("A"), QStringLiteral("k")));
    EXPECT_EQ(ini.FindValueInSection(QStringLiteral("A"), QStringLiteral("v")), std::nullopt);
    EXPECT_EQ(ini.FindValueInFile(QStringLiteral("v")), std::nullopt);
    EXPECT_FALSE(ini.RenameSection(QStringLiteral("A"), QStringLiteral("B")));
    EXPECT_FALSE(ini.RenameKey(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("j")));
    EXPECT_FALSE(ini.DeleteData(QStringLiteral("A"), std::nullopt, std::nullopt));
    EXPECT_EQ(sb.readFile(kIni), "[A]\r\nk=v\r\n");
    EXPECT_TRUE(sb.boxes.shown().empty());
}

// ---------------------------------------------------------------------------------------------

TEST(IniFind, FindKeyInSectionIgnoresCase) {
    IniFixture f("[DATABASE]\r\nSERVER=X\r\n");
    EXPECT_TRUE(f.ini.FindKeyInSection(QStringLiteral("database"), QStringLiteral("server")));
    EXPECT_FALSE(f.ini.FindKeyInSection(QStringLiteral("database"), QStringLiteral("serve")));
    EXPECT_FALSE(f.ini.FindKeyInSection(QStringLiteral("other"), QStringLiteral("server")));
}

TEST(IniFind, FindKeyInFileListsEverySectionHoldingTheKey) {
    IniFixture f("[A]\r\nPath=1\r\n[B]\r\nx=2\r\n[C]\r\npath=3\r\n");
    EXPECT_EQ(f.ini.FindKeyInFile(QStringLiteral("PATH")), list({"A", "C"}));
    EXPECT_EQ(f.ini.FindKeyInFile(QStringLiteral("none")), list({""}));
    f.sb.writeFile(kIni, "; no sections\r\nPath=1\r\n");
    EXPECT_EQ(f.ini.FindKeyInFile(QStringLiteral("Path")), list({""}));
}

TEST(IniFind, FindValueInSectionComparesWithoutCase) {
    IniFixture f("[S]\r\na=Yes\r\nb=no\r\nc=YES\r\n");
    EXPECT_EQ(f.ini.FindValueInSection(QStringLiteral("S"), QStringLiteral("yes")),
              list({"a", "c"}));
    EXPECT_EQ(f.ini.FindValueInSection(QStringLiteral("S"), QStringLiteral("maybe")), list({""}));
}

TEST(IniFind, FindValueInFileGivesSectionAndKeyRowsAfterAnEmptyRow) {
    IniFixture f("[A]\r\nx=on\r\ny=off\r\n[B]\r\nz=ON\r\n[C]\r\n");
    EXPECT_EQ(f.ini.FindValueInFile(QStringLiteral("On")),
              table({{"", ""}, {"A", "x"}, {"B", "z"}}));
    EXPECT_EQ(f.ini.FindValueInFile(QStringLiteral("nothing")), table({{"", ""}}));
}

// ---------------------------------------------------------------------------------------------

TEST(IniRename, RenameSectionMovesEveryKey) {
    IniFixture f("[Old]\r\na=1\r\nb=two words\r\n[Keep]\r\nc=3\r\n");
    EXPECT_TRUE(f.ini.RenameSection(QStringLiteral("old"), QStringLiteral("New")));
    EXPECT_EQ(f.sb.readFile(kIni), "[Keep]\r\nc=3\r\n[New]\r\na=1\r\nb=two words\r\n");
}

TEST(IniRename, RenamingAnEmptySectionLeavesAnEmptyHeader) {
    IniFixture f("[Keep]\r\nc=3\r\n[Empty]\r\n");
    EXPECT_TRUE(f.ini.RenameSection(QStringLiteral("Empty"), QStringLiteral("Fresh")));
    EXPECT_EQ(f.sb.readFile(kIni), "[Keep]\r\nc=3\r\n[Fresh]\r\n");
    EXPECT_FALSE(f.ini.FindKeyInSection(QStringLiteral("Fresh"), QStringLiteral("dummy")));
}

TEST(IniRename, RenameKeyKeepsTheValue) {
    IniFixture f("[S]\r\nold=value here\r\nother=1\r\n");
    EXPECT_TRUE(f.ini.RenameKey(QStringLiteral("S"), QStringLiteral("OLD"), QStringLiteral("new")));
    EXPECT_EQ(f.sb.readFile(kIni), "[S]\r\nother=1\r\nnew=value here\r\n");
}

TEST(IniRename, ARenameThatCannotDeleteGivesFalse) {
    IniFixture f("[S]\r\nk=1\r\n");
    const QString native = f.sb.native(kIni);
    QFile::remove(native);
    QDir().rmdir(QFileInfo(native).absolutePath());
    EXPECT_FALSE(f.ini.RenameKey(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("j")));
    EXPECT_FALSE(f.ini.RenameSection(QStringLiteral("S"), QStringLiteral("T")));
    EXPECT_FALSE(QFileInfo::exists(native));
    EXPECT_TRUE(f.sb.boxes.shown().empty());
}

// ---------------------------------------------------------------------------------------------

class IniErrors : public ::testing::Test {
protected:
    IniErrors() {
        sb.writeFile(kIni, before);
        ini.File_Name(kIni);
        fs.failReads = true;
    }

    void expectBox(const QString& text) {
        ASSERT_EQ(sb.boxes.shown().size(), 1u);
        EXPECT_EQ(sb.boxes.shown()[0].style, 16);
        EXPECT_EQ(sb.boxes.shown()[0].title, kTitle);
        EXPECT_EQ(sb.boxes.shown()[0].text, text);
        EXPECT_EQ(sb.readFile(kIni), before);
        sb.boxes.clear();
    }

    const QByteArray before = "[S]\r\nk=v\r\n";
    test::Sandbox sb;
    UnreadableFileSystem fs{sb.fs};
    clsINI_Services ini{fs, sb.boxes};
};

const QString kDenied = QStringLiteral("Error Number: 70\r\nPermission denied");

TEST_F(IniErrors, UnreadableFileShowsTheBoxWithTheOperationsContextLine) {
    sb.boxes.expectAny();
    EXPECT_EQ(ini.GetValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")),
              QString());
    expectBox(kDenied + QStringLiteral("\r\n\r\nGet Value Class ini"));

    sb.boxes.expectAny();
    EXPECT_EQ(ini.GetAllSections(), std::nullopt);
    expectBox(kDenied + QStringLiteral("\r\n\r\nGetAllSections Class INI "));

    sb.boxes.expectAny();
    EXPECT_EQ(ini.GetAllKeysInSection(QStringLiteral("S")), std::nullopt);
    expectBox(kDenied + QStringLiteral("\r\n\r\nKeysIn Section Class INI"));

    sb.boxes.expectAny();
    EXPECT_EQ(ini.GetAllKeysValuesInSection(QStringLiteral("S")), std::nullopt);
    expectBox(kDenied + QStringLiteral("\r\n\r\nGet All KeyValues Class INI"));

    sb.boxes.expectAny();
    EXPECT_EQ(ini.FindKeyInFile(QStringLiteral("k")), std::nullopt);
    expectBox(kDenied + QStringLiteral("\r\n\r\nFind Key IN File Class ini"));

    sb.boxes.expectAny();
    EXPECT_FALSE(ini.FindKeyInSection(QStringLiteral("S"), QStringLiteral("k")));
    expectBox(kDenied + QStringLiteral("\r\n\r\nFind Key In Section Class INI"));

    sb.boxes.expectAny();
    EXPECT_EQ(ini.FindValueInSection(QStringLiteral("S"), QStringLiteral("v")), std::nullopt);
    expectBox(kDenied + QStringLiteral("\r\n\r\nFind Value in Section"));
}

TEST_F(IniErrors, WritesToAnUnreadableFileShowTheBoxAndLeaveItAlone) {
    sb.boxes.expectAny();
    EXPECT_FALSE(ini.WriteData(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new")));
    expectBox(kDenied + QStringLiteral("\r\n\r\nWrite Date Class INI"));

    sb.boxes.expectAny();
    EXPECT_FALSE(ini.DeleteData(QStringLiteral("S"), std::nullopt, std::nullopt));
    expectBox(kDenied + QStringLiteral("\r\n\r\nDelete Data Class INI"));
    EXPECT_EQ(fs.replaceCalls, 0);
}

TEST_F(IniErrors, RenamesShowTheBoxWithoutAContextLine) {
    sb.boxes.expectAny();
    EXPECT_FALSE(ini.RenameSection(QStringLiteral("S"), QStringLiteral("T")));
    expectBox(kDenied);

    sb.boxes.expectAny();
    EXPECT_FALSE(ini.RenameKey(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("j")));
    expectBox(kDenied);
}

TEST_F(IniErrors, FindValueInFileShowsTheBoxOfTheListItNeeded) {
    sb.boxes.expectAny();
    EXPECT_EQ(ini.FindValueInFile(QStringLiteral("v")), std::nullopt);
    expectBox(kDenied + QStringLiteral("\r\n\r\nGetAllSections Class INI "));
}

TEST_F(IniErrors, AFolderInPlaceOfTheFileIsAPathAccessError) {
    fs.failReads = false;
    QFile::remove(sb.native(kIni));
    sb.makeDir(kIni);
    sb.boxes.expectAny();
    EXPECT_EQ(ini.GetValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")),
              QString());
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(
        sb.boxes.shown()[0].text,
        QStringLiteral("Error Number: 75\r\nPath/File access error\r\n\r\nGet Value Class ini"));
}

TEST_F(IniErrors, AMissingFileIsNoError) {
    fs.failReads = false;
    QFile::remove(sb.native(kIni));
    EXPECT_EQ(ini.GetValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(ini.GetAllSections(), list({""}));
    EXPECT_TRUE(sb.boxes.shown().empty());
}

}  // namespace
}  // namespace qv
