#include "settings/ini_services.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/sandbox.h"
#include "tests/support/shown_box.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

namespace qv {
namespace {

using test::BoxShown;

const QString kIni = QStringLiteral("C:\\KT\\VOR.INI");

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

TEST(IniFileName, AFileThatIsOrCanBeThereIsAcceptedAndLeftAsItIs) {
    const QByteArray content = "; settings\n[]\r\n[DATABASE]\rServer=X\r\n\r\n";
    IniFixture f(content);
    EXPECT_TRUE(f.ini.FileOpen());
    EXPECT_EQ(f.ini.File(), kIni);
    EXPECT_EQ(f.sb.readFile(kIni), content);

    // Missing from an existing folder: accepted, not created.
    QFile::remove(f.sb.native(kIni));
    f.ini.File_Name(kIni);
    EXPECT_TRUE(f.ini.FileOpen());
    EXPECT_FALSE(QFileInfo::exists(f.sb.native(kIni)));

    for (const QString& bad :
         {QStringLiteral("C:\\NOWHERE\\VOR.INI"), QStringLiteral("C:\\KT"), QString()}) {
        f.ini.File_Name(kIni);
        ASSERT_TRUE(f.ini.FileOpen());
        f.ini.File_Name(bad);
        EXPECT_FALSE(f.ini.FileOpen()) << bad.toStdString();
        EXPECT_EQ(f.ini.File(), QString());
    }
    EXPECT_TRUE(f.sb.boxes.shown().empty());
}

TEST(IniGetValue, ReadsValuesAndFallsBackToTheDefault) {
    IniFixture f(
        "[Primary Search Fields]\r\nSearch for Inventory by:=Stock Locater\r\n"
        "[INVENTORY]\r\nDepartment Code used for Deposits and Returns = 99 \r\n"
        "[S]\r\nlong=" +
        QByteArray(254, 'a') + QByteArray(46, 'b') + "\r\nnul=" + QByteArray("ab\0cd", 5) + "\r\n");
    EXPECT_EQ(f.ini.GetValue("Primary Search Fields", "Search for Inventory by:"), "Stock Locater");
    EXPECT_EQ(f.ini.GetValue("inventory", "department code used for deposits and returns"), "99");
    EXPECT_EQ(f.ini.GetValue("INVENTORY", "Stations", "4"), "4");
    EXPECT_EQ(f.ini.GetValue("INVENTORY", "Stations"), QString());
    EXPECT_EQ(f.ini.GetValue("Nowhere", "x", "d"), "d");
    EXPECT_EQ(f.ini.GetValue("S", "long"), QString(254, u'a'));
    EXPECT_EQ(f.ini.GetValue("S", "nul"), "ab");  // cut at an embedded NUL
    EXPECT_EQ(f.ini.GetValue(QString(), "Stations", "4"), "4");

    clsINI_Services noFile(f.sb.fs, f.sb.boxes);
    EXPECT_EQ(noFile.GetValue("S", "k", "4"), "4");
    EXPECT_TRUE(f.sb.boxes.shown().empty());
}

// ---------------------------------------------------------------------------------------------

TEST(IniWrite, WriteDataSetsAValueKeepsTheRestAndCreatesAnAcceptedMissingFile) {
    IniFixture f("; VOR settings\r\n[MISCELLANEOUS]\r\nDatapath=C:\\OLD\r\nOther=1\r\n");
    EXPECT_TRUE(f.ini.WriteData("miscellaneous", "DATAPATH", "C:\\KT"));
    EXPECT_TRUE(f.ini.WriteData("DATABASE", "Server", "TILL1"));
    EXPECT_EQ(f.sb.readFile(kIni),
              "; VOR settings\r\n[MISCELLANEOUS]\r\nDatapath=C:\\KT\r\nOther=1\r\n"
              "[DATABASE]\r\nServer=TILL1\r\n");

    // Text that would break the file is refused, without a box.
    EXPECT_FALSE(f.ini.WriteData("DATABASE", "Server", "1\r\n[Other]"));
    EXPECT_FALSE(f.ini.WriteData("DATABASE", QString(), "1"));
    EXPECT_TRUE(f.sb.readFile(kIni).endsWith("Server=TILL1\r\n"));
    EXPECT_TRUE(f.sb.boxes.shown().empty());

    QFile::remove(f.sb.native(kIni));
    f.ini.File_Name("c:\\kt\\vor.ini");
    EXPECT_TRUE(f.ini.WriteData("S", "k", QString()));
    EXPECT_EQ(f.sb.readFile(kIni), "[S]\r\nk=\r\n");
}

TEST(IniWrite, DeleteDataDeletesSectionsAndKeysOrWritesAValue) {
    IniFixture f("[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n");
    EXPECT_TRUE(f.ini.DeleteData("A", "a", std::nullopt));
    EXPECT_EQ(f.sb.readFile(kIni), "[A]\r\nb=2\r\n[B]\r\nc=3\r\n");
    EXPECT_TRUE(f.ini.DeleteData("A", std::nullopt, std::nullopt));
    EXPECT_EQ(f.sb.readFile(kIni), "[B]\r\nc=3\r\n");
    EXPECT_TRUE(f.ini.DeleteData("B", "c", "9"));
    EXPECT_EQ(f.sb.readFile(kIni), "[B]\r\nc=9\r\n");
}

TEST(IniWrite, WithoutAnAcceptedFileNothingIsReadOrWritten) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[A]\r\nk=v\r\n");
    clsINI_Services ini(sb.fs, sb.boxes);
    EXPECT_EQ(ini.GetAllSections(), std::nullopt);
    EXPECT_EQ(ini.GetAllKeysInSection("A"), std::nullopt);
    EXPECT_EQ(ini.GetAllKeysValuesInSection("A"), std::nullopt);
    EXPECT_EQ(ini.FindKeyInFile("k"), std::nullopt);
    EXPECT_FALSE(ini.FindKeyInSection("A", "k"));
    EXPECT_EQ(ini.FindValueInSection("A", "v"), std::nullopt);
    EXPECT_EQ(ini.FindValueInFile("v"), std::nullopt);
    EXPECT_FALSE(ini.RenameSection("A", "B"));
    EXPECT_FALSE(ini.RenameKey("A", "k", "j"));
    EXPECT_FALSE(ini.DeleteData("A", std::nullopt, std::nullopt));
    EXPECT_FALSE(ini.WriteData("A", "k", "w"));
    ini.File_Name("C:\\NOWHERE\\VOR.INI");
    EXPECT_FALSE(ini.WriteData("MISCELLANEOUS", "Datapath", "C:\\KT"));
    EXPECT_FALSE(QFileInfo::exists(sb.native("C:\\NOWHERE")));
    EXPECT_EQ(sb.readFile(kIni), "[A]\r\nk=v\r\n");
    EXPECT_TRUE(sb.boxes.shown().empty());
}

// ---------------------------------------------------------------------------------------------

TEST(IniLists, SectionsKeysAndValuesInFileOrderOrOneEmptyElement) {
    IniFixture f(
        "; comment\r\n[DATABASE]\r\nServer = TILL1\r\n; note\r\nDBName=Store\r\nEmpty=\r\n"
        "[X]\r\ny=1\r\n[Empty]\r\n");
    EXPECT_EQ(f.ini.GetAllSections(), list({"DATABASE", "X", "Empty"}));
    EXPECT_EQ(f.ini.GetAllKeysInSection("database"), list({"Server", "DBName", "Empty"}));
    EXPECT_EQ(f.ini.GetAllKeysValuesInSection("DATABASE"),
              table({{"Server", "TILL1"}, {"DBName", "Store"}, {"Empty", ""}}));
    EXPECT_EQ(f.ini.GetAllKeysInSection("Empty"), list({""}));
    EXPECT_EQ(f.ini.GetAllKeysInSection("Missing"), list({""}));
    EXPECT_EQ(f.ini.GetAllKeysValuesInSection("Empty"), table({{"", ""}}));
    f.sb.writeFile(kIni, "");
    EXPECT_EQ(f.ini.GetAllSections(), list({""}));
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
    EXPECT_EQ(sections->at(24), "Section34");
    EXPECT_EQ(sections->at(25), "Se");
}

TEST(IniFind, KeysAndValuesAreFoundWithoutRegardToCase) {
    IniFixture f("[A]\r\nPath=on\r\ny=off\r\n[B]\r\nx=2\r\n[C]\r\npath=ON\r\nz=On\r\n[D]\r\n");
    EXPECT_TRUE(f.ini.FindKeyInSection("a", "PATH"));
    EXPECT_FALSE(f.ini.FindKeyInSection("a", "pat"));
    EXPECT_FALSE(f.ini.FindKeyInSection("B", "path"));
    EXPECT_EQ(f.ini.FindKeyInFile("PATH"), list({"A", "C"}));
    EXPECT_EQ(f.ini.FindKeyInFile("none"), list({""}));
    EXPECT_EQ(f.ini.FindValueInSection("C", "on"), list({"path", "z"}));
    EXPECT_EQ(f.ini.FindValueInSection("C", "maybe"), list({""}));
    EXPECT_EQ(f.ini.FindValueInFile("On"),
              table({{"", ""}, {"A", "Path"}, {"C", "path"}, {"C", "z"}}));
    EXPECT_EQ(f.ini.FindValueInFile("nothing"), table({{"", ""}}));
    f.sb.writeFile(kIni, "; no sections\r\nPath=1\r\n");
    EXPECT_EQ(f.ini.FindKeyInFile("Path"), list({""}));
}

TEST(IniRename, RenamesMoveEveryKeyOrKeepTheValue) {
    IniFixture f(
        "[Old]\r\na=1\r\nb=two words\r\n[Keep]\r\nc=3\r\nold=value here\r\nother=1\r\n"
        "[Empty]\r\n");
    EXPECT_TRUE(f.ini.RenameSection("old", "New"));
    EXPECT_TRUE(f.ini.RenameKey("Keep", "OLD", "new"));
    EXPECT_TRUE(f.ini.RenameSection("Empty", "Fresh"));
    EXPECT_EQ(f.sb.readFile(kIni),
              "[Keep]\r\nc=3\r\nother=1\r\nnew=value here\r\n[New]\r\na=1\r\nb=two words\r\n"
              "[Fresh]\r\n");
}

TEST(IniRename, ARenameThatCannotDeleteGivesFalse) {
    IniFixture f("[S]\r\nk=1\r\n");
    const QString native = f.sb.native(kIni);
    QFile::remove(native);
    QDir().rmdir(QFileInfo(native).absolutePath());
    EXPECT_FALSE(f.ini.RenameKey("S", "k", "j"));
    EXPECT_FALSE(f.ini.RenameSection("S", "T"));
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

    const QByteArray before = "[S]\r\nk=v\r\n";
    test::Sandbox sb;
    test::FaultyFileSystem fs{sb.fs};
    clsINI_Services ini{fs, sb.boxes};
};

TEST_F(IniErrors, AnUnreadableFileShowsOneBoxNamingTheOperationAndIsLeftAlone) {
    const QString denied = QStringLiteral("Error Number: 70\r\nPermission denied");
    const struct {
        const char* context;  // the box's last line, after a blank line
        std::function<bool()> failed;
    } ops[] = {
        {"Get Value Class ini", [&] { return ini.GetValue("S", "k", "d") == QString(); }},
        {"GetAllSections Class INI ", [&] { return !ini.GetAllSections(); }},
        {"KeysIn Section Class INI", [&] { return !ini.GetAllKeysInSection("S"); }},
        {"Get All KeyValues Class INI", [&] { return !ini.GetAllKeysValuesInSection("S"); }},
        {"Find Key IN File Class ini", [&] { return !ini.FindKeyInFile("k"); }},
        {"Find Key In Section Class INI", [&] { return !ini.FindKeyInSection("S", "k"); }},
        {"Find Value in Section", [&] { return !ini.FindValueInSection("S", "v"); }},
        {"Write Date Class INI", [&] { return !ini.WriteData("S", "k", "new"); }},
        {"Delete Data Class INI", [&] { return !ini.DeleteData("S", std::nullopt, std::nullopt); }},
        // Built on the list of sections, it shows that list's box.
        {"GetAllSections Class INI ", [&] { return !ini.FindValueInFile("v"); }},
        // Renames show the box without a context line.
        {nullptr, [&] { return !ini.RenameSection("S", "T"); }},
        {nullptr, [&] { return !ini.RenameKey("S", "k", "j"); }},
    };
    for (const auto& op : ops) {
        SCOPED_TRACE(op.context ? op.context : "rename");
        sb.boxes.clear();
        sb.boxes.expectAny();
        EXPECT_TRUE(op.failed());
        ASSERT_TRUE(BoxShown(sb.boxes, 0, 16, "INI Class"));
        EXPECT_EQ(sb.boxes.shown()[0].text, op.context ? denied + "\r\n\r\n" + op.context : denied);
    }
    EXPECT_EQ(fs.replaceCalls, 0);
    EXPECT_EQ(sb.readFile(kIni), before);
}

TEST_F(IniErrors, AFolderInPlaceOfTheFileIsAnAccessErrorAndAMissingFileNoError) {
    fs.failReads = false;
    QFile::remove(sb.native(kIni));
    EXPECT_EQ(ini.GetValue("S", "k", "d"), "d");
    EXPECT_EQ(ini.GetAllSections(), list({""}));
    EXPECT_TRUE(sb.boxes.shown().empty());

    sb.makeDir(kIni);
    sb.boxes.expectAny();
    EXPECT_EQ(ini.GetValue("S", "k", "d"), QString());
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].text,
              "Error Number: 75\r\nPath/File access error\r\n\r\nGet Value Class ini");
}

}  // namespace
}  // namespace qv
