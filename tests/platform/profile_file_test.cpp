#include "platform/profile_file.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace qv {
namespace {

const QString kIni = QStringLiteral("C:\\KT\\VOR.INI");

// Wraps the sandbox's file system to fail reads or replacements on demand and to count
// replacements.
class FaultyFileSystem final : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

    bool failReads = false;
    bool failReplace = false;
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
        if (failReplace) {
            return false;
        }
        return real_.replaceFile(path, data, error);
    }

private:
    FileSystem& real_;
};

struct Read {
    QString text;  // the characters counted
    qsizetype count = 0;
    QString buffer;  // the whole buffer
    ProfileError error = ProfileError::None;
};

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

QString value(const FileSystem& fs, const QString& section, const QString& key,
              const ProfileText& def = std::nullopt) {
    const Read r = readProfile(fs, section, key, def);
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

QString nul(const char* text) {
    QString s = QString::fromLatin1(text);
    s.replace(u'|', QChar(u'\0'));
    return s;
}

// ---------------------------------------------------------------------------------------------

TEST(ProfileRead, ValueLosesBlanksAroundEqualsAndAtBothEnds) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[Database]\r\n  Server \t=  SQL ONE \t\r\nEmpty=\r\n");
    const Read r = readProfile(sb.fs, QStringLiteral("Database"), QStringLiteral("Server"));
    EXPECT_EQ(r.text, QStringLiteral("SQL ONE"));
    EXPECT_EQ(r.count, 7);
    EXPECT_EQ(r.buffer.at(7), QChar(u'\0'));
    EXPECT_EQ(r.buffer.at(8), QChar(u'#')) << "characters after the value are left alone";
    const Read empty = readProfile(sb.fs, QStringLiteral("Database"), QStringLiteral("Empty"),
                                   QStringLiteral("dflt"));
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.buffer.at(0), QChar(u'\0'));
}

TEST(ProfileRead, NamesMatchWithoutRegardToCaseAndBlanks) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[ Primary Search Fields ]\r\nSearch for Inventory by:=Description\r\n");
    EXPECT_EQ(value(sb.fs, QStringLiteral("primary search FIELDS"),
                    QStringLiteral("  SEARCH FOR INVENTORY BY:")),
              QStringLiteral("Description"));
}

TEST(ProfileRead, FirstSectionAndFirstKeyOfANameWin) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[Main]\nk=first\nK=second\n[Other]\nk=other\n[MAIN]\nk=third\nj=4\n");
    EXPECT_EQ(value(sb.fs, QStringLiteral("main"), QStringLiteral("k")), QStringLiteral("first"));
    EXPECT_EQ(value(sb.fs, QStringLiteral("main"), QStringLiteral("j"), QStringLiteral("none")),
              QStringLiteral("none"));
    EXPECT_EQ(readProfile(sb.fs, std::nullopt, std::nullopt).text, nul("Main|Other|"));
    EXPECT_EQ(readProfile(sb.fs, QStringLiteral("MAIN"), std::nullopt).text, nul("k|"));
}

TEST(ProfileRead, MissingKeySectionOrFileGivesTheDefault) {
    test::Sandbox sb;
    EXPECT_EQ(value(sb.fs, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("4")),
              QStringLiteral("4"));
    EXPECT_EQ(readProfile(sb.fs, QStringLiteral("S"), QStringLiteral("k")).error,
              ProfileError::NotFound);

    sb.writeFile(kIni, "[S]\r\nk=1\r\n");
    EXPECT_EQ(value(sb.fs, QStringLiteral("S"), QStringLiteral("x"), QStringLiteral("4")),
              QStringLiteral("4"));
    EXPECT_EQ(value(sb.fs, QStringLiteral("T"), QStringLiteral("k"), QStringLiteral("4")),
              QStringLiteral("4"));
    const Read none = readProfile(sb.fs, QStringLiteral("S"), QStringLiteral("x"));
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.error, ProfileError::None);
}

TEST(ProfileRead, EmptySectionOrKeyNameGivesTheDefaultWithoutAFile) {
    test::Sandbox sb;
    const Read r = readProfile(sb.fs, QStringLiteral(""), QStringLiteral("Stations"),
                               QStringLiteral("4"), 255, QString());
    EXPECT_EQ(r.text, QStringLiteral("4"));
    EXPECT_EQ(r.error, ProfileError::None);
    sb.writeFile(kIni, "=orphan\r\n[S]\r\n=nameless\r\n");
    EXPECT_EQ(value(sb.fs, QStringLiteral("S"), QStringLiteral(""), QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST(ProfileRead, ValueOrDefaultLongerThanTheBufferIsCut) {
    test::Sandbox sb;
    const QByteArray longValue(300, 'v');
    sb.writeFile(kIni, "[S]\r\nk=" + longValue + "\r\n");
    const Read r = readProfile(sb.fs, QStringLiteral("S"), QStringLiteral("k"));
    EXPECT_EQ(r.count, 254);
    EXPECT_EQ(r.text, QString(254, u'v'));
    EXPECT_EQ(r.buffer.at(254), QChar(u'\0'));

    const Read d =
        readProfile(sb.fs, QStringLiteral("S"), QStringLiteral("missing"), QString(300, u'd'), 10);
    EXPECT_EQ(d.count, 9);
    EXPECT_EQ(d.text, QString(9, u'd'));
    EXPECT_EQ(d.buffer.at(9), QChar(u'\0'));
}

TEST(ProfileRead, TinyBuffersAreNeverOverrun) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[A]\r\nk=value\r\n[B]\r\n");
    EXPECT_EQ(readProfile(sb.fs, QStringLiteral("A"), QStringLiteral("k"), {}, 0).count, 0);
    const Read one = readProfile(sb.fs, QStringLiteral("A"), QStringLiteral("k"), {}, 1);
    EXPECT_EQ(one.count, 0);
    EXPECT_EQ(one.buffer, nul("|"));
    const Read list1 = readProfile(sb.fs, std::nullopt, std::nullopt, {}, 1);
    EXPECT_EQ(list1.count, 0);
    EXPECT_EQ(list1.buffer, nul("|"));
    const Read list2 = readProfile(sb.fs, std::nullopt, std::nullopt, {}, 2);
    EXPECT_EQ(list2.count, 0);
    EXPECT_EQ(list2.buffer, nul("||"));
}

TEST(ProfileList, SectionNamesAreNulSeparatedAndDoubleNulEnded) {
    test::Sandbox sb;
    sb.writeFile(kIni, "; header comment\r\n[A]\r\nk=1\r\n\r\n[B]\r\n[]\r\n[  ]\r\n");
    const Read r = readProfile(sb.fs, std::nullopt, std::nullopt);
    EXPECT_EQ(r.count, 4);
    EXPECT_EQ(r.buffer.left(5), nul("A|B||"));
    EXPECT_EQ(r.buffer.at(5), QChar(u'#'));
}

TEST(ProfileList, EmptyFileOrMissingFileListsNothing) {
    test::Sandbox sb;
    const Read missing = readProfile(sb.fs, std::nullopt, std::nullopt);
    EXPECT_EQ(missing.count, 0);
    EXPECT_EQ(missing.buffer.left(3), nul("||#"));
    sb.writeFile(kIni, "");
    EXPECT_EQ(readProfile(sb.fs, std::nullopt, std::nullopt).count, 0);
}

TEST(ProfileList, KeyNamesOfASectionSkipCommentsBlanksAndLinesWithoutEquals) {
    test::Sandbox sb;
    sb.writeFile(kIni,
                 "[S]\r\n; Server=commented\r\n\r\nFirst = 1\r\njust text\r\nSecond=\r\n"
                 "first=dup\r\n[T]\r\nOther=1\r\n");
    const Read r = readProfile(sb.fs, QStringLiteral("s"), std::nullopt);
    EXPECT_EQ(r.text, nul("First|Second|"));
    EXPECT_EQ(r.count, 13);
    EXPECT_EQ(r.buffer.at(13), QChar(u'\0'));
    EXPECT_EQ(value(sb.fs, QStringLiteral("S"), QStringLiteral("; Server"), QStringLiteral("-")),
              QStringLiteral("-"));
}

TEST(ProfileList, KeysOfAMissingOrEmptySectionGiveTheDefault) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[Empty]\r\n[Full]\r\nk=1\r\n");
    EXPECT_EQ(readProfile(sb.fs, QStringLiteral("Empty"), std::nullopt).count, 0);
    EXPECT_EQ(
        readProfile(sb.fs, QStringLiteral("Nowhere"), std::nullopt, QStringLiteral("dd")).text,
        QStringLiteral("dd"));
}

TEST(ProfileList, ListLongerThanTheBufferIsCutAndDoubleNulEnded) {
    test::Sandbox sb;
    QByteArray content;
    for (int i = 0; i < 40; ++i) {
        content += "[Section" + QByteArray::number(i) + "]\r\n";
    }
    sb.writeFile(kIni, content);
    const Read r = readProfile(sb.fs, std::nullopt, std::nullopt);
    EXPECT_EQ(r.count, 253);
    EXPECT_EQ(r.buffer.at(253), QChar(u'\0'));
    EXPECT_EQ(r.buffer.at(254), QChar(u'\0'));
    EXPECT_TRUE(r.buffer.startsWith(nul("Section0|Section1|Section2|")));
}

TEST(ProfileLines, CrLfLfCrAndNoFinalLineEndAllRead) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[A]\r\na=1\r\n[B]\nb=2\n[C]\rc=3\r[D]\r\nd=4");
    EXPECT_EQ(value(sb.fs, QStringLiteral("A"), QStringLiteral("a")), QStringLiteral("1"));
    EXPECT_EQ(value(sb.fs, QStringLiteral("B"), QStringLiteral("b")), QStringLiteral("2"));
    EXPECT_EQ(value(sb.fs, QStringLiteral("C"), QStringLiteral("c")), QStringLiteral("3"));
    EXPECT_EQ(value(sb.fs, QStringLiteral("D"), QStringLiteral("d")), QStringLiteral("4"));
    EXPECT_EQ(readProfile(sb.fs, std::nullopt, std::nullopt).text, nul("A|B|C|D|"));
}

TEST(ProfileEncoding, Latin1AndUtf8FilesAndAByteOrderMarkRead) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[Caf\xE9]\r\nName=Cr\xE8me\r\n");
    EXPECT_EQ(value(sb.fs, QString::fromUtf8("CAFÉ"), QStringLiteral("name")),
              QString::fromUtf8("Crème"));
    sb.writeFile(kIni, "\xEF\xBB\xBF[Caf\xC3\xA9]\r\nName=Cr\xC3\xA8me \xE2\x82\xAC\r\n");
    EXPECT_EQ(value(sb.fs, QString::fromUtf8("café"), QStringLiteral("Name")),
              QString::fromUtf8("Crème €"));
}

TEST(ProfileGarbage, NulBytesBadBytesAndHugeLinesDoNotStopReading) {
    test::Sandbox sb;
    QByteArray content = raw("\x00\x01\xFF\xFE[\x00]\r\n");
    content += "[Real]\r\n";
    content += QByteArray(2'000'000, 'x') + "=" + QByteArray(100, 'y') + "\r\n";
    content +=
        raw("bin\x00"
            "ary=\x80\x81\r\n");
    content += "key=ok\r\n";
    content += "[no close\r\n";
    content += "after=1\r\n";
    sb.writeFile(kIni, content);
    EXPECT_EQ(value(sb.fs, QStringLiteral("real"), QStringLiteral("KEY")), QStringLiteral("ok"));
    EXPECT_EQ(value(sb.fs, QStringLiteral("real"), QStringLiteral("after")), QStringLiteral("1"));
    EXPECT_EQ(value(sb.fs, QStringLiteral("real"), QString::fromLatin1("bin\0ary", 7)),
              QString::fromLatin1("\x80\x81"));
    const Read keys = readProfile(sb.fs, QStringLiteral("Real"), std::nullopt);
    EXPECT_EQ(keys.count, 253) << "the 2 MB key name fills the list buffer";
}

TEST(ProfileFailures, AFolderOrAnUnreadableFileReadsAsTheDefaultAndSaysWhy) {
    test::Sandbox sb;
    sb.makeDir(QStringLiteral("C:\\KT\\VOR.INI"));
    const Read folder =
        readProfile(sb.fs, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d"));
    EXPECT_EQ(folder.text, QStringLiteral("d"));
    EXPECT_EQ(folder.error, ProfileError::NotAFile);

    test::Sandbox sb2;
    sb2.writeFile(kIni, "[S]\r\nk=1\r\n");
    FaultyFileSystem faulty(sb2.fs);
    faulty.failReads = true;
    const Read unreadable =
        readProfile(faulty, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d"));
    EXPECT_EQ(unreadable.text, QStringLiteral("d"));
    EXPECT_EQ(unreadable.error, ProfileError::CannotRead);
}

// ---------------------------------------------------------------------------------------------

TEST(ProfileWrite, ChangingAValueKeepsEveryOtherByte) {
    test::Sandbox sb;
    const QByteArray before =
        "; Suite settings\r\n"
        "\r\n"
        "[DATABASE]\n"
        "  Server =  OLD  \n"
        "UserName=sa\r\n"
        "\r\n"
        "; misc\r"
        "[MISCELLANEOUS]\r\n"
        "Datapath=C:\\KT\r\n";
    sb.writeFile(kIni, before);
    EXPECT_TRUE(write(sb.fs, QStringLiteral("database"), QStringLiteral("SERVER"),
                      QStringLiteral("TILL1\\SQL")));
    QByteArray expected = before;
    expected.replace("  Server =  OLD  \n", "  Server =  TILL1\\SQL\n");
    EXPECT_EQ(sb.readFile(kIni), expected);
}

TEST(ProfileWrite, NewKeyGoesAtTheEndOfItsSectionBeforeBlankLines) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[A]\r\nx=1\r\n; note\r\n\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_TRUE(write(sb.fs, QStringLiteral("a"), QStringLiteral("New"), QStringLiteral("3")));
    EXPECT_EQ(sb.readFile(kIni), "[A]\r\nx=1\r\n; note\r\nNew=3\r\n\r\n\r\n[B]\r\ny=2\r\n");
}

TEST(ProfileWrite, NewKeyInTheLastSectionOfAFileWithoutFinalLineEnd) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[A]\nx=1");
    EXPECT_TRUE(write(sb.fs, QStringLiteral("A"), QStringLiteral("y"), QStringLiteral("2")));
    EXPECT_EQ(sb.readFile(kIni), "[A]\nx=1\r\ny=2\r\n");
}

TEST(ProfileWrite, NewSectionIsAppendedAtTheEndOfTheFile) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[A]\nx=1\n");
    EXPECT_TRUE(write(sb.fs, QStringLiteral("MISCELLANEOUS"), QStringLiteral("Datapath"),
                      QStringLiteral("C:\\KT")));
    EXPECT_EQ(sb.readFile(kIni), "[A]\nx=1\n[MISCELLANEOUS]\r\nDatapath=C:\\KT\r\n");

    sb.writeFile(kIni, "[A]\r\nx=1");
    EXPECT_TRUE(write(sb.fs, QStringLiteral("B"), QStringLiteral("y"), QStringLiteral("")));
    EXPECT_EQ(sb.readFile(kIni), "[A]\r\nx=1\r\n[B]\r\ny=\r\n");
}

TEST(ProfileWrite, FirstOfDuplicateSectionsAndKeysIsTheOneChanged) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\n");
    EXPECT_TRUE(write(sb.fs, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("9")));
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\nk=9\r\nk=2\r\n[s]\r\nk=3\r\n");
}

TEST(ProfileWrite, MissingFileIsCreatedWhenItsFolderExists) {
    test::Sandbox sb;
    sb.makeDir(QStringLiteral("C:\\KT"));
    EXPECT_TRUE(write(sb.fs, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\nk=v\r\n");
}

TEST(ProfileWrite, MissingFolderFailsAndCreatesNothing) {
    test::Sandbox sb;
    ProfileError why = ProfileError::None;
    EXPECT_FALSE(write(sb.fs, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"), &why));
    EXPECT_EQ(why, ProfileError::NoFolder);
    EXPECT_FALSE(QFileInfo::exists(sb.native(QStringLiteral("C:\\KT"))));
    EXPECT_FALSE(write(sb.fs, QStringLiteral("S"), QStringLiteral("k"), std::nullopt));
}

TEST(ProfileWrite, WritingTheSameValueAgainDoesNotRewriteTheFile) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[S]\r\nk = v\r\n");
    FaultyFileSystem faulty(sb.fs);
    EXPECT_TRUE(write(faulty, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(faulty.replaceCalls, 0);
    EXPECT_TRUE(write(faulty, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("w")));
    EXPECT_EQ(faulty.replaceCalls, 1);
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\nk = w\r\n");
}

TEST(ProfileWrite, WrittenValueReadsBack) {
    test::Sandbox sb;
    sb.makeDir(QStringLiteral("C:\\KT"));
    const QString path = QStringLiteral("c:/kt/vor.ini");
    ASSERT_TRUE(write(sb.fs, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral(" a=b ; c "),
                      nullptr, path));
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\nk= a=b ; c \r\n");
    EXPECT_EQ(value(sb.fs, QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("a=b ; c"));
}

TEST(ProfileWrite, TextThatWouldBreakTheFileIsRefused) {
    test::Sandbox sb;
    const QByteArray before = "[S]\r\nk=1\r\n";
    sb.writeFile(kIni, before);
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } bad[] = {
        {"S", "k", "1\r\n[Evil]\r\nx=2"},
        {"S", "a=b", "1"},
        {"S", "[T]", "1"},
        {"S", ";c", "1"},
        {"S\nT", "k", "1"},
        {"S", "", "1"},
        {"", "k", "1"},
    };
    for (const auto& b : bad) {
        ProfileError why = ProfileError::None;
        EXPECT_FALSE(write(sb.fs, QString::fromLatin1(b.section), QString::fromLatin1(b.key),
                           QString::fromLatin1(b.value), &why))
            << b.section << " / " << b.key;
        EXPECT_EQ(why, ProfileError::BadText);
    }
    ProfileError why = ProfileError::None;
    EXPECT_FALSE(write(sb.fs, QStringLiteral("S"), QStringLiteral("k"),
                       QString::fromLatin1("a\0b", 3), &why));
    EXPECT_EQ(why, ProfileError::BadText);
    EXPECT_FALSE(write(sb.fs, std::nullopt, QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(sb.readFile(kIni), before);
}

TEST(ProfileDelete, AbsentKeyDeletesEverySectionOfThatName) {
    test::Sandbox sb;
    sb.writeFile(kIni,
                 "; top\r\n[Keep]\r\na=1\r\n\r\n[Gone]\r\nb=2\r\n; gone too\r\n\r\n"
                 "[Keep2]\nc=3\n[GONE]\nd=4");
    EXPECT_TRUE(write(sb.fs, QStringLiteral("gone"), std::nullopt, std::nullopt));
    EXPECT_EQ(sb.readFile(kIni), "; top\r\n[Keep]\r\na=1\r\n\r\n[Keep2]\nc=3\n");
}

TEST(ProfileDelete, AbsentValueDeletesTheKeyOnly) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[S]\r\na=1\r\n  B = 2\n; b=comment\r\nc=3\r\n[T]\r\nb=4\r\n");
    EXPECT_TRUE(write(sb.fs, QStringLiteral("s"), QStringLiteral("b"), std::nullopt));
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\na=1\r\n; b=comment\r\nc=3\r\n[T]\r\nb=4\r\n");
}

TEST(ProfileDelete, DeletingWhatIsNotThereSucceedsAndChangesNothing) {
    test::Sandbox sb;
    const QByteArray before = "[S]\r\na=1";
    sb.writeFile(kIni, before);
    EXPECT_TRUE(write(sb.fs, QStringLiteral("T"), std::nullopt, std::nullopt));
    EXPECT_TRUE(write(sb.fs, QStringLiteral("S"), QStringLiteral("zz"), std::nullopt));
    EXPECT_EQ(sb.readFile(kIni), before);

    QFile::remove(sb.native(kIni));
    EXPECT_TRUE(write(sb.fs, QStringLiteral("S"), QStringLiteral("a"), std::nullopt));
    EXPECT_FALSE(QFileInfo::exists(sb.native(kIni))) << "a deletion creates no file";
}

TEST(ProfileProbe, DeletingTheNamelessSectionTellsWhetherTheNameIsUsable) {
    test::Sandbox sb;
    const QByteArray before = "[]\r\nx=1\r\n; c\n[S]\rk=v";
    sb.writeFile(kIni, before);
    FaultyFileSystem faulty(sb.fs);
    EXPECT_TRUE(write(faulty, QStringLiteral(""), std::nullopt, std::nullopt));
    EXPECT_EQ(sb.readFile(kIni), before);
    EXPECT_EQ(faulty.replaceCalls, 0);

    const QString missing = QStringLiteral("C:\\KT\\NEW.INI");
    EXPECT_TRUE(write(sb.fs, QStringLiteral(""), std::nullopt, std::nullopt, nullptr, missing));
    EXPECT_FALSE(sb.fs.fileExists(missing));

    ProfileError why = ProfileError::None;
    EXPECT_FALSE(write(sb.fs, QStringLiteral(""), std::nullopt, std::nullopt, &why,
                       QStringLiteral("C:\\NOWHERE\\VOR.INI")));
    EXPECT_EQ(why, ProfileError::NoFolder);
    EXPECT_FALSE(write(sb.fs, QStringLiteral(""), std::nullopt, std::nullopt, &why,
                       QStringLiteral("C:\\KT")));
    EXPECT_EQ(why, ProfileError::NotAFile);
    EXPECT_FALSE(
        write(sb.fs, QStringLiteral(""), std::nullopt, std::nullopt, &why, QStringLiteral(" ")));
    EXPECT_EQ(why, ProfileError::BadFileName);
}

TEST(ProfileWriteFailures, AFailedReplacementReportsFailure) {
    test::Sandbox sb;
    const QByteArray before = "[S]\r\nk=1\r\n";
    sb.writeFile(kIni, before);
    FaultyFileSystem faulty(sb.fs);
    faulty.failReplace = true;
    ProfileError why = ProfileError::None;
    EXPECT_FALSE(
        write(faulty, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2"), &why));
    EXPECT_EQ(why, ProfileError::CannotWrite);
    EXPECT_EQ(sb.readFile(kIni), before);
}

TEST(ProfileWriteFailures, AnUnreadableFileIsNotOverwritten) {
    test::Sandbox sb;
    const QByteArray before = "[S]\r\nk=1\r\n";
    sb.writeFile(kIni, before);
    FaultyFileSystem faulty(sb.fs);
    faulty.failReads = true;
    ProfileError why = ProfileError::None;
    EXPECT_FALSE(
        write(faulty, QStringLiteral("S"), QStringLiteral("j"), QStringLiteral("2"), &why));
    EXPECT_EQ(why, ProfileError::CannotRead);
    EXPECT_EQ(faulty.replaceCalls, 0);
    EXPECT_EQ(sb.readFile(kIni), before);
}

TEST(ProfileWriteFailures, AReadOnlyFileRefusesTheWriteAndStaysWhole) {
    test::Sandbox sb;
    const QByteArray before = "[S]\r\nk=1\r\n";
    const QString native = sb.writeFile(kIni, before);
    QFile::setPermissions(native, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    EXPECT_FALSE(write(sb.fs, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2")));
    EXPECT_EQ(sb.readFile(kIni), before);
    QFile::setPermissions(native, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(ProfileEncoding, Latin1FileStaysLatin1WhenTheTextFits) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[S]\r\nName=Cr\xE8me\r\nk=1\r\n");
    EXPECT_TRUE(write(sb.fs, QStringLiteral("S"), QStringLiteral("k"), QString::fromUtf8("Café")));
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\nName=Cr\xE8me\r\nk=Caf\xE9\r\n");
}

TEST(ProfileEncoding, Latin1FileBecomesUtf8WhenTheTextDoesNotFit) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[S]\r\nName=Cr\xE8me\nk=1\r\n");
    EXPECT_TRUE(write(sb.fs, QStringLiteral("S"), QStringLiteral("k"), QString::fromUtf8("5 €")));
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\nName=Cr\xC3\xA8me\nk=5 \xE2\x82\xAC\r\n");
    EXPECT_EQ(value(sb.fs, QStringLiteral("S"), QStringLiteral("Name")),
              QString::fromUtf8("Crème"));
}

TEST(ProfileEncoding, Utf8FileWithByteOrderMarkStaysUtf8) {
    test::Sandbox sb;
    sb.writeFile(kIni, "\xEF\xBB\xBF[S]\r\nName=Cr\xC3\xA8me\r\n");
    EXPECT_TRUE(write(sb.fs, QStringLiteral("s"), QStringLiteral("k"), QString::fromUtf8("é")));
    EXPECT_EQ(sb.readFile(kIni), "\xEF\xBB\xBF[S]\r\nName=Cr\xC3\xA8me\r\nk=\xC3\xA9\r\n");
}

TEST(ProfileGarbage, WritingNextToBinaryGarbageKeepsItByteForByte) {
    test::Sandbox sb;
    QByteArray garbage = raw("\x00\x01\xFF\xFE=\x00\r\n");
    garbage += QByteArray(500'000, '\xC3') + "\n";
    garbage += raw("[\x00\x80]\r\nz\x00=\x9F\r");
    const QByteArray before = garbage + "[S]\r\nk=old\r\n" + garbage;
    sb.writeFile(kIni, before);
    EXPECT_TRUE(write(sb.fs, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new")));
    EXPECT_TRUE(write(sb.fs, QStringLiteral("S"), QStringLiteral("added"), QStringLiteral("1")));
    // The garbage's own "[...]" line ends section S, so the new key goes before it.
    EXPECT_EQ(sb.readFile(kIni), garbage + "[S]\r\nk=new\r\n" + garbage.left(garbage.size() - 11) +
                                     "added=1\r\n" + garbage.right(11));
    EXPECT_EQ(value(sb.fs, QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("new"));
}

}  // namespace
}  // namespace qv
