// The platform: INI files read and written as the profile functions do, the file system with
// DOS paths, the per-user settings store, the single-instance guard and message line breaks.

#include "platform/file_system.h"
#include "platform/instance_guard.h"
#include "platform/message_boxes.h"
#include "platform/profile_file.h"
#include "platform/settings_store.h"
#include "tests/support/data_files.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/modal_driver.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QUuid>

namespace qv {
namespace {

using test::FaultyFileSystem;

const QString kIni = QStringLiteral("C:\\KT\\VOR.INI");

struct Read {
    QString text;  // the characters counted
    qsizetype count = 0;
    QString buffer;  // the whole buffer
    ProfileError error = ProfileError::None;
};

// Reads into a buffer filled with '#', so that what the call wrote shows.
Read readProfile(const FileSystem& fs, const ProfileText& section, const ProfileText& key,
                 const ProfileText& def = std::nullopt, qsizetype size = 255,
                 const QString& file = kIni) {
    Read r;
    r.buffer = QString(size, QChar(u'#'));
    r.count = getPrivateProfileString(
        fs, section, key, def, std::span<QChar>(r.buffer.data(), r.buffer.size()), file, &r.error);
    r.text = r.buffer.left(r.count);
    return r;
}

QString value(const FileSystem& fs, const QString& section, const QString& key) {
    const Read r = readProfile(fs, section, key);
    EXPECT_EQ(r.buffer.at(r.count), QChar(u'\0')) << "value not NUL-ended";
    return r.text;
}

bool write(FileSystem& fs, const ProfileText& section, const ProfileText& key,
           const ProfileText& val, ProfileError* error = nullptr, const QString& file = kIni) {
    return writePrivateProfileString(fs, section, key, val, file, error);
}

// The bytes of a literal that may hold NULs, without its closing NUL.
template <size_t N>
QByteArray raw(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

// Text with each '|' standing for a NUL.
QString nul(const char* text) {
    return QString::fromLatin1(text).replace(u'|', QChar(u'\0'));
}

TEST(ProfileRead, ValuesAndListsFollowTheirTables) {
    for (const test::Case& c : test::Cases("platform/profile_read.cases")) {
        SCOPED_TRACE(c.where());
        test::Sandbox sb;
        if (c.has(0)) {
            sb.writeFile(kIni, c.bytes(0));
        }
        const Read r = readProfile(sb.fs, c.text(1), c.text(2), c.opt(3));
        EXPECT_EQ(r.text, c.text(4));
        EXPECT_EQ(r.buffer.at(r.count), QChar(u'\0'));
    }
    for (const test::Case& c : test::Cases("platform/profile_list.cases")) {
        SCOPED_TRACE(c.where());
        test::Sandbox sb;
        sb.writeFile(kIni, c.bytes(0));
        const Read r = readProfile(sb.fs, c.opt(1), std::nullopt, c.opt(2));
        EXPECT_EQ(r.text, c.text(3));
        EXPECT_EQ(r.buffer.at(r.count), QChar(u'\0'));
    }
}

TEST(ProfileRead, TheBufferIsNulEndedCutToItsSizeAndNeverOverrun) {
    test::Sandbox sb;
    EXPECT_EQ(readProfile(sb.fs, "S", "k").error, ProfileError::NotFound);
    EXPECT_EQ(readProfile(sb.fs, std::nullopt, std::nullopt).buffer.left(3), nul("||#"));
    // No file name at all: an empty section name gives the default without looking.
    const Read noFile = readProfile(sb.fs, "", "Stations", "4", 255, QString());
    EXPECT_EQ(noFile.text, "4");
    EXPECT_EQ(noFile.error, ProfileError::None);

    sb.writeFile(kIni, "[A]\r\nk=  value  \r\nlong=" + QByteArray(300, 'v') + "\r\n[B]\r\n");
    const Read r = readProfile(sb.fs, "A", "k");
    EXPECT_EQ(r.count, 5);
    EXPECT_EQ(r.buffer.left(7), nul("value|#")) << "characters after the value are left alone";
    EXPECT_EQ(readProfile(sb.fs, "A", "x").error, ProfileError::None);
    EXPECT_EQ(readProfile(sb.fs, "A", "long").buffer, QString(254, u'v') + nul("|"));
    EXPECT_EQ(readProfile(sb.fs, "A", "x", QString(300, u'd'), 10).buffer,
              QString(9, u'd') + nul("|"));
    EXPECT_EQ(readProfile(sb.fs, "A", "k", {}, 0).count, 0);
    EXPECT_EQ(readProfile(sb.fs, "A", "k", {}, 1).buffer, nul("|"));
    EXPECT_EQ(readProfile(sb.fs, std::nullopt, std::nullopt, {}, 1).buffer, nul("|"));
    EXPECT_EQ(readProfile(sb.fs, std::nullopt, std::nullopt, {}, 2).buffer, nul("||"));
    EXPECT_EQ(readProfile(sb.fs, std::nullopt, std::nullopt).buffer.left(6), nul("A|B||#"));

    // A list longer than the buffer is cut and still ends in two NULs.
    QByteArray content;
    for (int i = 0; i < 40; ++i) {
        content += "[Section" + QByteArray::number(i) + "]\r\n";
    }
    sb.writeFile(kIni, content);
    const Read list = readProfile(sb.fs, std::nullopt, std::nullopt);
    EXPECT_EQ(list.count, 253);
    EXPECT_EQ(list.buffer.mid(253), nul("||"));
    EXPECT_TRUE(list.buffer.startsWith(nul("Section0|Section1|Section2|")));
}

TEST(ProfileRead, GarbageFoldersAndUnreadableFilesDoNotStopIt) {
    test::Sandbox sb;
    QByteArray content = raw("\x00\x01\xFF\xFE[\x00]\r\n[Real]\r\n");
    content += QByteArray(2'000'000, 'x') + "=" + QByteArray(100, 'y') + "\r\n";
    content +=
        raw("bin\x00"
            "ary=\x80\x81\r\nkey=ok\r\n[no close\r\nafter=1\r\n");
    sb.writeFile(kIni, content);
    EXPECT_EQ(value(sb.fs, "real", "KEY"), "ok");
    EXPECT_EQ(value(sb.fs, "real", "after"), "1");
    EXPECT_EQ(value(sb.fs, "real", QString::fromLatin1("bin\0ary", 7)),
              QString::fromLatin1("\x80\x81"));
    EXPECT_EQ(readProfile(sb.fs, "Real", std::nullopt).count, 253)
        << "the 2 MB key name fills the list buffer";

    sb.makeDir("C:\\KT\\SUB.INI");
    const Read folder = readProfile(sb.fs, "S", "k", "d", 255, "C:\\KT\\SUB.INI");
    EXPECT_EQ(folder.text, "d");
    EXPECT_EQ(folder.error, ProfileError::NotAFile);
    FaultyFileSystem faulty(sb.fs);
    faulty.failReads = true;
    const Read unreadable = readProfile(faulty, "real", "key", "d");
    EXPECT_EQ(unreadable.text, "d");
    EXPECT_EQ(unreadable.error, ProfileError::CannotRead);
}

TEST(ProfileWrite, ChangesOnlyTheLinesConcernedAndKeepsEveryOtherByte) {
    for (const test::Case& c : test::Cases("platform/profile_write.cases")) {
        SCOPED_TRACE(c.where());
        test::Sandbox sb;
        sb.writeFile(kIni, c.bytes(0));
        EXPECT_TRUE(write(sb.fs, c.text(1), c.opt(2), c.opt(3)));
        EXPECT_EQ(sb.readFile(kIni), c.bytes(4));
    }

    // Next to binary garbage: the garbage's own "[...]" line ends section S, so the new key
    // goes before it.
    test::Sandbox sb;
    QByteArray garbage = raw("\x00\x01\xFF\xFE=\x00\r\n");
    garbage += QByteArray(500'000, '\xC3') + "\n" + raw("[\x00\x80]\r\nz\x00=\x9F\r");
    sb.writeFile(kIni, garbage + "[S]\r\nk=old\r\n" + garbage);
    EXPECT_TRUE(write(sb.fs, "S", "k", "new"));
    EXPECT_TRUE(write(sb.fs, "S", "added", "1"));
    EXPECT_EQ(sb.readFile(kIni), garbage + "[S]\r\nk=new\r\n" + garbage.left(garbage.size() - 11) +
                                     "added=1\r\n" + garbage.right(11));
}

TEST(ProfileWrite, AMissingFileIsCreatedOnlyInAnExistingFolderAndOnlyToHoldAValue) {
    test::Sandbox sb;
    ProfileError why = ProfileError::None;
    EXPECT_FALSE(write(sb.fs, "S", "k", "v", &why));
    EXPECT_EQ(why, ProfileError::NoFolder);
    EXPECT_FALSE(write(sb.fs, "S", "k", std::nullopt));
    EXPECT_FALSE(QFileInfo::exists(sb.native("C:\\KT")));

    sb.makeDir("C:\\KT");
    EXPECT_TRUE(write(sb.fs, "S", "a", std::nullopt));
    EXPECT_FALSE(QFileInfo::exists(sb.native(kIni))) << "a deletion creates no file";
    ASSERT_TRUE(write(sb.fs, "S", "k", " a=b ; c ", nullptr, "c:/kt/vor.ini"));
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\nk= a=b ; c \r\n");
    EXPECT_EQ(value(sb.fs, "S", "k"), "a=b ; c");

    // The same value again does not rewrite the file.
    sb.writeFile(kIni, "[S]\r\nk = v\r\n");
    FaultyFileSystem faulty(sb.fs);
    EXPECT_TRUE(write(faulty, "S", "k", "v"));
    EXPECT_EQ(faulty.replaceCalls, 0);
    EXPECT_TRUE(write(faulty, "S", "k", "w"));
    EXPECT_EQ(faulty.replaceCalls, 1);
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\nk = w\r\n");
}

TEST(ProfileWrite, TextThatWouldBreakTheFileOrAFailedWriteLeavesTheFileWhole) {
    test::Sandbox sb;
    const QByteArray before = "[S]\r\nk=1\r\n";
    sb.writeFile(kIni, before);
    const char* const bad[][2] = {{"S", "a=b"},  {"S", "[T]"}, {"S", ";c"},
                                  {"S\nT", "k"}, {"S", ""},    {"", "k"}};
    for (const auto& [section, key] : bad) {
        ProfileError why = ProfileError::None;
        EXPECT_FALSE(write(sb.fs, section, key, "1", &why)) << section << " / " << key;
        EXPECT_EQ(why, ProfileError::BadText);
    }
    for (const QString& v :
         {QStringLiteral("1\r\n[Evil]\r\nx=2"), QString::fromLatin1("a\0b", 3)}) {
        ProfileError why = ProfileError::None;
        EXPECT_FALSE(write(sb.fs, "S", "k", v, &why));
        EXPECT_EQ(why, ProfileError::BadText);
    }
    EXPECT_FALSE(write(sb.fs, std::nullopt, "k", "v"));

    FaultyFileSystem faulty(sb.fs);
    faulty.failReplace = true;
    ProfileError why = ProfileError::None;
    EXPECT_FALSE(write(faulty, "S", "k", "2", &why));
    EXPECT_EQ(why, ProfileError::CannotWrite);
    faulty.failReplace = false;
    faulty.failReads = true;
    faulty.replaceCalls = 0;
    EXPECT_FALSE(write(faulty, "S", "j", "2", &why));
    EXPECT_EQ(why, ProfileError::CannotRead);
    EXPECT_EQ(faulty.replaceCalls, 0);
    EXPECT_EQ(sb.readFile(kIni), before);
}

// Line breaks and NULs as text: CR, LF and NUL written out.
QString shown(QString text) {
    return text.replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"))
        .replace(QChar(0), QStringLiteral("\\0"));
}

// The steps of file_system.steps (listed there) and what each gave, in file_system.txt.
TEST(FileSystem, EveryStepGivesTheResultOfTheGoldenText) {
    test::Sandbox sb;
    const PathResolver& r = sb.fs.resolver();
    QTemporaryDir settings;
    std::unique_ptr<QtSettingsStore> store;
    QString out;
    for (const test::Case& c : test::Cases("platform/file_system.steps")) {
        const QString verb = c.text(0);
        QStringList a = c.from(1);
        for (QString& arg : a) {
            arg.replace("<drives>", r.driveRoot()).replace("<folder>", settings.path());
        }
        QString error;
        QString result;
        const auto yes = [&error](bool b) {
            return QString::fromLatin1(b ? "yes" : error.isEmpty() ? "no" : "no, said why");
        };
        if (verb == u"write" || verb == u"chmod" || verb == u"mkpath" || verb == u"store") {
            verb == u"write"    ? void(sb.writeFile(a[0], c.bytes(2)))
            : verb == u"mkpath" ? void(QDir().mkpath(a[0]))
            : verb == u"store"
                ? void(store = std::make_unique<QtSettingsStore>(settings.filePath(a[0])))
                : void(QFile::setPermissions(
                      sb.native(a[0]), a[1] == u"ro"
                                           ? QFileDevice::ReadOwner
                                           : QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            continue;
        } else if (verb == u"tonative" || verb == u"nativepath") {
            result = verb == u"tonative" ? r.toNative(a[0]) : sb.fs.nativePath(a[0]);
        } else if (verb == u"todisplay") {
            result = r.toDisplay(a[0]);
        } else if (verb == u"drives") {
            result = r.drives().join(u',');
        } else if (verb == u"exists") {
            result = QStringLiteral("file %1, folder %2")
                         .arg(yes(sb.fs.fileExists(a[0])), yes(sb.fs.dirExists(a[0])));
        } else if (verb == u"mkdir") {
            result = yes(sb.fs.makeDir(a[0], &error));
        } else if (verb == u"copy") {
            result = yes(sb.fs.copyFile(a[0], a[1], &error));
        } else if (verb == u"append") {
            result = yes(sb.fs.appendLine(a[0], a[1], &error));
        } else if (verb == u"replace") {
            result = yes(sb.fs.replaceFile(a[0], a[1].toUtf8(), &error));
        } else if (verb == u"read") {
            result = QString::fromUtf8(sb.readFile(a[0]));
        } else if (verb == u"lines" || verb == u"split") {
            const auto lines = verb == u"split" ? splitLines(a[0]) : sb.fs.readLines(a[0], &error);
            result = lines ? lines->join(u'|') : QStringLiteral("none, ") + yes(false);
        } else if (verb == u"decode") {
            result = QStringLiteral("%1 (%2)")
                         .arg(decodeText(c.bytes(1)))
                         .arg(decodeText(c.bytes(1)).size());
        } else if (verb == u"save" || verb == u"delete") {
            result = yes(verb == u"save" ? store->saveSetting(a[0], a[1], a[2], a[3])
                                         : store->deleteSetting(a[0], a[1], a[2]));
        } else if (verb == u"get") {
            result = QStringLiteral("\"%1\"").arg(store->getSetting(a[0], a[1], a[2], a[3]));
        } else {
            ASSERT_EQ(verb, "breaks");
            result = normaliseLineBreaks(a[0]);
        }
        out += QStringLiteral("%1 %2 -> %3\n")
                   .arg(verb, shown(c.from(1).join(QStringLiteral(" | "))), shown(result));
    }
    test::ExpectGolden("platform/file_system.txt", out.replace(r.driveRoot(), "<drives>"));
}

// Each style shows its buttons with its default; the first button or Esc answers.
TEST(QtMessageBoxes, EachStyleShowsItsButtonsAndAnswersTheFirstOrEscape) {
    using B = QMessageBox;
    const struct {
        int style;
        B::StandardButtons buttons;
        B::StandardButton preset, first;
        BoxAnswer pressed, escaped;
    } cases[] = {
        {box::Ok, B::Ok, B::NoButton, B::Ok, BoxAnswer::Ok, BoxAnswer::Ok},
        {box::YesNo, B::Yes | B::No, B::Yes, B::Yes, BoxAnswer::Yes, BoxAnswer::No},
        {box::YesNo + box::DefaultSecond, B::Yes | B::No, B::No, B::Yes, BoxAnswer::Yes,
         BoxAnswer::No},
        {box::RetryCancel + box::Exclamation, B::Retry | B::Cancel, B::Retry, B::Retry,
         BoxAnswer::Retry, BoxAnswer::Cancel},
    };
    for (const auto& c : cases) {
        for (const bool escape : {false, true}) {
            B::StandardButtons shown;
            B::StandardButton preset = B::NoButton;
            test::ModalDriver driver;
            driver.on(QString(), [&](QWidget* w) {
                auto* mb = qobject_cast<QMessageBox*>(w);
                ASSERT_NE(mb, nullptr);
                shown = mb->standardButtons();
                preset = mb->standardButton(mb->defaultButton());
                escape ? QTest::keyClick(mb, Qt::Key_Escape) : mb->button(c.first)->click();
            });
            const BoxAnswer answer = QtMessageBoxes().show(c.style, "Title", "Text");
            EXPECT_EQ(shown, c.buttons) << c.style;
            EXPECT_EQ(preset, c.preset) << c.style;
            EXPECT_EQ(answer, escape ? c.escaped : c.pressed) << c.style << " escape " << escape;
        }
    }
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
