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
QString text(const QString& s) {
    return u'"' +
           QString(s).replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n")) +
           u'"';
}
QString text(const QByteArray& bytes) {
    return text(QString::fromUtf8(bytes));
}
QString text(const std::optional<QStringList>& l) {
    return l ? QStringLiteral("%1 [%2]").arg(l->size()).arg(l->join(u'|'))
             : QStringLiteral("(nothing)");
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
TEST(IniServices, EveryCallAnswersAndWritesAsTheGoldenTextSays) {
    std::unique_ptr<IniFixture> f;
    QString out;
    for (const test::Case& c : test::Cases("settings/ini_calls.steps")) {
        SCOPED_TRACE(c.where());
        const QString verb = c.text(0);
        const QString a = c.text(1);
        const QString b = c.text(2);
        const QString d = c.text(3);
        const ProfileText key = c.opt(2);
        const ProfileText value = c.opt(3);
        QString result;
        if (verb == u"fresh") {
            f = std::make_unique<IniFixture>(c.bytes(1));
        } else if (verb == u"write") {
            f->sb.writeFile(kIni, c.bytes(1));
        } else if (verb == u"remove" || verb == u"rmdir") {
            QFile::remove(f->sb.native(kIni));
            if (verb == u"rmdir") {
                QDir().rmdir(QFileInfo(f->sb.native(kIni)).absolutePath());
            }
        } else if (verb == u"name") {
            f->ini.File_Name(c.has(1) ? a : QString());
        } else if (verb == u"noboxes") {
            EXPECT_TRUE(f->sb.boxes.shown().empty());
        } else {
            result =
                verb == u"read"                        ? text(f->sb.readFile(kIni))
                : verb == u"isfile"                    ? text(f->sb.fs.fileExists(a))
                : verb == u"isdir"                     ? text(f->sb.fs.dirExists(a))
                : verb == u"FileOpen"                  ? text(f->ini.FileOpen())
                : verb == u"File"                      ? text(f->ini.File())
                : verb == u"GetAllSections"            ? text(f->ini.GetAllSections())
                : verb == u"GetAllKeysInSection"       ? text(f->ini.GetAllKeysInSection(a))
                : verb == u"GetAllKeysValuesInSection" ? text(f->ini.GetAllKeysValuesInSection(a))
                : verb == u"FindKeyInFile"             ? text(f->ini.FindKeyInFile(a))
                : verb == u"FindKeyInSection"          ? text(f->ini.FindKeyInSection(a, b))
                : verb == u"FindValueInSection"        ? text(f->ini.FindValueInSection(a, b))
                : verb == u"FindValueInFile"           ? text(f->ini.FindValueInFile(a))
                : verb == u"RenameSection"             ? text(f->ini.RenameSection(a, b))
                : verb == u"RenameKey"                 ? text(f->ini.RenameKey(a, b, d))
                : verb == u"DeleteData"                ? text(f->ini.DeleteData(a, key, value))
                : verb == u"WriteData"
                    ? text(f->ini.WriteData(a, key.value_or(QString()), value.value_or(QString())))
                : verb == u"GetValue" ? text(f->ini.GetValue(c.has(1) ? a : QString(), b, d))
                : verb == u"GetValueUnnamed"
                    ? text(clsINI_Services(f->sb.fs, f->sb.boxes).GetValue(a, b, d))
                    : QStringLiteral("(no such call)");
            QStringList args = c.from(1);
            for (int i = 1; i < static_cast<int>(c.cells.size()); ++i) {
                args[i - 1] = c.has(i) ? text(args[i - 1]) : QStringLiteral("-");
            }
            out += verb + u'(' + args.join(QStringLiteral(", ")) + QStringLiteral(") -> ") +
                   (result.size() > 300 ? result.left(300) + QStringLiteral("...") : result) +
                   u'\n';
        }
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
