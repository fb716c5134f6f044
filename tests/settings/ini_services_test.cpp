#include "settings/ini_services.h"
#include "tests/support/data_files.h"
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

QString text(bool b) {
    return b ? QStringLiteral("true") : QStringLiteral("false");
}
QString text(qsizetype n) {
    return QString::number(n);
}
QString text(const QString& s) {
    return u'"' + QString(s).replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n")) +
           u'"';
}
QString text(const QByteArray& bytes) {
    return text(QString::fromUtf8(bytes));
}
QString text(const std::optional<QStringList>& l) {
    return l ? QStringLiteral("%1 [%2]").arg(l->size()).arg(l->join(u'|')) : QStringLiteral("(nothing)");
}
QString text(const std::optional<IniTable>& t) {
    if (!t) {
        return QStringLiteral("(nothing)");
    }
    QStringList rows;
    for (const auto& [a, b] : *t) {
        rows << a + u'=' + b;
    }
    return QStringLiteral("%1 [%2]").arg(rows.size()).arg(rows.join(u'|'));
}
// One call and what it answered, the call as written.
#define SAY(call) out += QStringLiteral(#call " -> ") + text(call) + u'\n'

TEST(IniServices, EveryCallAnswersAndWritesAsTheGoldenTextSays) {
    QString out;
    {
        // A file that is there, or can be, is accepted and left as it is; a missing folder, a
        // folder or no name is not.
        IniFixture f("; settings\n[]\r\n[DATABASE]\rServer=X\r\n\r\n");
        SAY(f.ini.FileOpen());
        SAY(f.sb.readFile(kIni));
        QFile::remove(f.sb.native(kIni));
        f.ini.File_Name(kIni);
        SAY(f.ini.FileOpen());
        SAY(f.sb.fs.fileExists(kIni));
        for (const QString& bad :
             {QStringLiteral("C:\\NOWHERE\\VOR.INI"), QStringLiteral("C:\\KT"), QString()}) {
            f.ini.File_Name(bad);
            SAY(f.ini.FileOpen());
            SAY(f.ini.File());
        }
        // Without an accepted file nothing is read or written.
        SAY(f.ini.GetAllSections());
        SAY(f.ini.GetAllKeysInSection("A"));
        SAY(f.ini.GetAllKeysValuesInSection("A"));
        SAY(f.ini.FindKeyInFile("k"));
        SAY(f.ini.FindKeyInSection("A", "k"));
        SAY(f.ini.FindValueInSection("A", "v"));
        SAY(f.ini.FindValueInFile("v"));
        SAY(f.ini.RenameSection("A", "B"));
        SAY(f.ini.RenameKey("A", "k", "j"));
        SAY(f.ini.DeleteData("A", std::nullopt, std::nullopt));
        f.ini.File_Name("C:\\NOWHERE\\VOR.INI");
        SAY(f.ini.WriteData("MISCELLANEOUS", "Datapath", "C:\\KT"));
        SAY(f.sb.fs.dirExists("C:\\NOWHERE"));
        EXPECT_TRUE(f.sb.boxes.shown().empty());
    }
    {
        IniFixture f(
            "[Primary Search Fields]\r\nSearch for Inventory by:=Stock Locater\r\n"
            "[INVENTORY]\r\nDepartment Code used for Deposits and Returns = 99 \r\n"
            "[S]\r\nlong=" +
            QByteArray(254, 'a') + QByteArray(46, 'b') + "\r\nnul=" + QByteArray("ab\0cd", 5) +
            "\r\n");
        SAY(f.ini.GetValue("Primary Search Fields", "Search for Inventory by:"));
        SAY(f.ini.GetValue("inventory", "department code used for deposits and returns"));
        SAY(f.ini.GetValue("INVENTORY", "Stations", "4"));
        SAY(f.ini.GetValue("INVENTORY", "Stations"));
        SAY(f.ini.GetValue("Nowhere", "x", "d"));
        SAY(f.ini.GetValue("S", "long").size());
        SAY(f.ini.GetValue("S", "nul"));  // cut at an embedded NUL
        SAY(f.ini.GetValue(QString(), "Stations", "4"));
        SAY(clsINI_Services(f.sb.fs, f.sb.boxes).GetValue("S", "k", "4"));  // no file
    }
    {
        // Writes keep the rest; text that would break the file is refused, without a box; an
        // accepted missing file is created.
        IniFixture f("; VOR settings\r\n[MISCELLANEOUS]\r\nDatapath=C:\\OLD\r\nOther=1\r\n");
        SAY(f.ini.WriteData("miscellaneous", "DATAPATH", "C:\\KT"));
        SAY(f.ini.WriteData("DATABASE", "Server", "TILL1"));
        SAY(f.ini.WriteData("DATABASE", "Server", "1\r\n[Other]"));
        SAY(f.ini.WriteData("DATABASE", QString(), "1"));
        SAY(f.sb.readFile(kIni));
        QFile::remove(f.sb.native(kIni));
        f.ini.File_Name("c:\\kt\\vor.ini");
        SAY(f.ini.WriteData("S", "k", QString()));
        SAY(f.sb.readFile(kIni));
        f.sb.writeFile(kIni, "[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n");
        SAY(f.ini.DeleteData("A", "a", std::nullopt));
        SAY(f.ini.DeleteData("A", std::nullopt, std::nullopt));
        SAY(f.ini.DeleteData("B", "c", "9"));
        SAY(f.sb.readFile(kIni));
        EXPECT_TRUE(f.sb.boxes.shown().empty());
    }
    {
        // Lists in file order, or one empty element; keys and values found without regard to
        // case.
        IniFixture f(
            "; comment\r\n[DATABASE]\r\nServer = TILL1\r\n; note\r\nDBName=Store\r\nEmpty=\r\n"
            "[X]\r\ny=1\r\n[Empty]\r\n");
        SAY(f.ini.GetAllSections());
        SAY(f.ini.GetAllKeysInSection("database"));
        SAY(f.ini.GetAllKeysValuesInSection("DATABASE"));
        SAY(f.ini.GetAllKeysInSection("Empty"));
        SAY(f.ini.GetAllKeysInSection("Missing"));
        SAY(f.ini.GetAllKeysValuesInSection("Empty"));
        f.sb.writeFile(kIni, "");
        SAY(f.ini.GetAllSections());
        f.sb.writeFile(kIni, "[A]\r\nPath=on\r\ny=off\r\n[B]\r\nx=2\r\n[C]\r\npath=ON\r\nz=On\r\n[D]\r\n");
        SAY(f.ini.FindKeyInSection("a", "PATH"));
        SAY(f.ini.FindKeyInSection("a", "pat"));
        SAY(f.ini.FindKeyInSection("B", "path"));
        SAY(f.ini.FindKeyInFile("PATH"));
        SAY(f.ini.FindKeyInFile("none"));
        SAY(f.ini.FindValueInSection("C", "on"));
        SAY(f.ini.FindValueInSection("C", "maybe"));
        SAY(f.ini.FindValueInFile("On"));
        SAY(f.ini.FindValueInFile("nothing"));
        f.sb.writeFile(kIni, "; no sections\r\nPath=1\r\n");
        SAY(f.ini.FindKeyInFile("Path"));
        // A list longer than the buffer loses its tail: 253 characters counted, 25 whole names
        // of 10, then "Sec" of which the last counted character is not looked at.
        QByteArray content;
        for (int i = 0; i < 30; ++i) {
            content += "[Section" + QByteArray::number(10 + i) + "]\r\n";
        }
        f.sb.writeFile(kIni, content);
        SAY(f.ini.GetAllSections());
        // Renames move every key, or keep the value.
        f.sb.writeFile(kIni, "[Old]\r\na=1\r\nb=two words\r\n[Keep]\r\nc=3\r\nold=value here\r\n"
                             "other=1\r\n[Empty]\r\n");
        SAY(f.ini.RenameSection("old", "New"));
        SAY(f.ini.RenameKey("Keep", "OLD", "new"));
        SAY(f.ini.RenameSection("Empty", "Fresh"));
        SAY(f.sb.readFile(kIni));
        // A rename that cannot delete gives false.
        QFile::remove(f.sb.native(kIni));
        QDir().rmdir(QFileInfo(f.sb.native(kIni)).absolutePath());
        SAY(f.ini.RenameKey("S", "k", "j"));
        SAY(f.ini.RenameSection("S", "T"));
        SAY(f.sb.fs.fileExists(kIni));
        EXPECT_TRUE(f.sb.boxes.shown().empty());
    }
    test::ExpectGolden("settings/ini_calls.txt", out);
}

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
    EXPECT_EQ(ini.GetAllSections(), QStringList{""});
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
