#include "platform/profile_file.h"
#include "tests/platform/faulty_file_system.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QFileInfo>

namespace qv {
namespace {

using test::FaultyFileSystem;

const QString kIni = QStringLiteral("C:\\KT\\VOR.INI");
// Two sections of one name, a key twice in the first.
const char* const kDup = "[Main]\nk=first\nK=second\n[Other]\nk=other\n[MAIN]\nk=third\nj=4\n";
// Every kind of line end, and none after the last line.
const char* const kEnds = "[A]\r\na=1\r\n[B]\nb=2\n[C]\rc=3\r[D]\r\nd=4";

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

// UTF-8 text, or absent for nullptr.
ProfileText opt(const char* utf8) {
    return utf8 ? ProfileText(QString::fromUtf8(utf8)) : std::nullopt;
}

// The bytes of a literal that may hold NULs, without its closing NUL.
template <size_t N>
QByteArray raw(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

// Text with each '|' standing for a NUL.
QString nul(const char* text) {
    QString s = QString::fromLatin1(text);
    s.replace(u'|', QChar(u'\0'));
    return s;
}

// ---------------------------------------------------------------------------------------------

TEST(ProfileRead, ValuesDefaultsAndNameMatching) {
    const struct {
        const char* file;  // nullptr: no file
        const char* section;
        const char* key;
        const char* def;  // nullptr: absent
        const char* expected;
    } cases[] = {
        {"[Database]\r\n  Server \t=  SQL ONE \t\r\n", "Database", "Server", nullptr, "SQL ONE"},
        {"[Database]\r\nEmpty=\r\n", "Database", "Empty", "dflt", ""},
        {"[ Primary Search Fields ]\r\nSearch for Inventory by:=Description\r\n",
         "primary search FIELDS", "  SEARCH FOR INVENTORY BY:", nullptr, "Description"},
        {kDup, "main", "k", nullptr, "first"},
        {kDup, "main", "j", "none", "none"},
        {nullptr, "S", "k", "4", "4"},
        {"[S]\r\nk=1\r\n", "S", "x", "4", "4"},
        {"[S]\r\nk=1\r\n", "T", "k", "4", "4"},
        {"=orphan\r\n[S]\r\n=nameless\r\n", "S", "", "d", "d"},
        {"[S]\r\n; Server=commented\r\n", "S", "; Server", "-", "-"},
        {kEnds, "A", "a", nullptr, "1"},
        {kEnds, "B", "b", nullptr, "2"},
        {kEnds, "C", "c", nullptr, "3"},
        {kEnds, "D", "d", nullptr, "4"},
        {"[Caf\xE9]\r\nName=Cr\xE8me\r\n", "CAFÉ", "name", nullptr, "Crème"},
        {"[S]\r\nName=Cr\xC3\xA8me\n", "s", "NAME", nullptr, "Crème"},
        {"\xEF\xBB\xBF[Caf\xC3\xA9]\r\nName=Cr\xC3\xA8me \xE2\x82\xAC\r\n", "café", "Name", nullptr,
         "Crème €"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + " / " + c.key);
        test::Sandbox sb;
        if (c.file) {
            sb.writeFile(kIni, c.file);
        }
        EXPECT_EQ(value(sb.fs, QString::fromUtf8(c.section), QString::fromUtf8(c.key), opt(c.def)),
                  QString::fromUtf8(c.expected));
    }
}

TEST(ProfileRead, TheBufferIsNulEndedCutToItsSizeAndNeverOverrun) {
    test::Sandbox sb;
    EXPECT_EQ(readProfile(sb.fs, "S", "k").error, ProfileError::NotFound);
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
}

TEST(ProfileList, SectionAndKeyNamesAreNulSeparatedAndDoubleNulEnded) {
    const struct {
        const char* file;
        const char* section;  // nullptr: list the sections
        const char* def;
        const char* expected;
    } cases[] = {
        {"; header comment\r\n[A]\r\nk=1\r\n\r\n[B]\r\n[]\r\n[  ]\r\n", nullptr, nullptr, "A|B|"},
        {kDup, nullptr, nullptr, "Main|Other|"},
        {kEnds, nullptr, nullptr, "A|B|C|D|"},
        {"", nullptr, nullptr, ""},
        {"[S]\r\n; Server=commented\r\n\r\nFirst = 1\r\njust text\r\nSecond=\r\nfirst=dup\r\n"
         "[T]\r\nOther=1\r\n",
         "s", nullptr, "First|Second|"},
        {kDup, "MAIN", nullptr, "k|"},
        {"[Empty]\r\n[Full]\r\nk=1\r\n", "Empty", nullptr, ""},
        {"[Empty]\r\n", "Nowhere", "dd", "dd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        test::Sandbox sb;
        sb.writeFile(kIni, c.file);
        const Read r = readProfile(sb.fs, opt(c.section), std::nullopt, opt(c.def));
        EXPECT_EQ(r.text, nul(c.expected));
        EXPECT_EQ(r.buffer.at(r.count), QChar(u'\0'));
    }
    test::Sandbox sb;
    EXPECT_EQ(readProfile(sb.fs, std::nullopt, std::nullopt).buffer.left(3), nul("||#"));
    sb.writeFile(kIni, "[A]\r\n[B]\r\n");
    EXPECT_EQ(readProfile(sb.fs, std::nullopt, std::nullopt).buffer.left(6), nul("A|B||#"));
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
    EXPECT_EQ(r.buffer.mid(253), nul("||"));
    EXPECT_TRUE(r.buffer.startsWith(nul("Section0|Section1|Section2|")));
}

TEST(ProfileGarbage, NulBytesBadBytesAndHugeLinesDoNotStopReading) {
    test::Sandbox sb;
    QByteArray content = raw("\x00\x01\xFF\xFE[\x00]\r\n");
    content += "[Real]\r\n";
    content += QByteArray(2'000'000, 'x') + "=" + QByteArray(100, 'y') + "\r\n";
    content +=
        raw("bin\x00"
            "ary=\x80\x81\r\n");
    content += "key=ok\r\n[no close\r\nafter=1\r\n";
    sb.writeFile(kIni, content);
    EXPECT_EQ(value(sb.fs, "real", "KEY"), "ok");
    EXPECT_EQ(value(sb.fs, "real", "after"), "1");
    EXPECT_EQ(value(sb.fs, "real", QString::fromLatin1("bin\0ary", 7)),
              QString::fromLatin1("\x80\x81"));
    EXPECT_EQ(readProfile(sb.fs, "Real", std::nullopt).count, 253)
        << "the 2 MB key name fills the list buffer";
}

TEST(ProfileFailures, AFolderOrAnUnreadableFileReadsAsTheDefaultAndSaysWhy) {
    test::Sandbox sb;
    sb.makeDir(kIni);
    const Read folder = readProfile(sb.fs, "S", "k", "d");
    EXPECT_EQ(folder.text, "d");
    EXPECT_EQ(folder.error, ProfileError::NotAFile);

    test::Sandbox sb2;
    sb2.writeFile(kIni, "[S]\r\nk=1\r\n");
    FaultyFileSystem faulty(sb2.fs);
    faulty.failReads = true;
    const Read unreadable = readProfile(faulty, "S", "k", "d");
    EXPECT_EQ(unreadable.text, "d");
    EXPECT_EQ(unreadable.error, ProfileError::CannotRead);
}

// ---------------------------------------------------------------------------------------------

TEST(ProfileWrite, ChangesOnlyTheLinesConcernedAndKeepsEveryOtherByte) {
    const struct {
        const char* before;
        const char* section;
        const char* key;    // nullptr: delete the section
        const char* value;  // nullptr: delete the key
        const char* after;
    } cases[] = {
        // A changed value keeps its name and the blanks around "=" as they were.
        {"; Suite settings\r\n\r\n[DATABASE]\n  Server =  OLD  \nUserName=sa\r\n\r\n; misc\r"
         "[MISCELLANEOUS]\r\nDatapath=C:\\KT\r\n",
         "database", "SERVER", "TILL1\\SQL",
         "; Suite settings\r\n\r\n[DATABASE]\n  Server =  TILL1\\SQL\nUserName=sa\r\n\r\n; misc\r"
         "[MISCELLANEOUS]\r\nDatapath=C:\\KT\r\n"},
        // A new key goes after the section's last line that is not blank.
        {"[A]\r\nx=1\r\n; note\r\n\r\n\r\n[B]\r\ny=2\r\n", "a", "New", "3",
         "[A]\r\nx=1\r\n; note\r\nNew=3\r\n\r\n\r\n[B]\r\ny=2\r\n"},
        {"[A]\nx=1", "A", "y", "2", "[A]\nx=1\r\ny=2\r\n"},
        // A new section goes at the end of the file.
        {"[A]\nx=1\n", "MISCELLANEOUS", "Datapath", "C:\\KT",
         "[A]\nx=1\n[MISCELLANEOUS]\r\nDatapath=C:\\KT\r\n"},
        {"[A]\r\nx=1", "B", "y", "", "[A]\r\nx=1\r\n[B]\r\ny=\r\n"},
        // The first of duplicate sections and keys is the one changed.
        {"[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\n", "S", "K", "9",
         "[S]\r\nk=9\r\nk=2\r\n[s]\r\nk=3\r\n"},
        // No key: every section of the name goes, with its comments and blank lines.
        {"; top\r\n[Keep]\r\na=1\r\n\r\n[Gone]\r\nb=2\r\n; gone "
         "too\r\n\r\n[Keep2]\nc=3\n[GONE]\nd=4",
         "gone", nullptr, nullptr, "; top\r\n[Keep]\r\na=1\r\n\r\n[Keep2]\nc=3\n"},
        // No value: the key's lines in the first section go, nothing else.
        {"[S]\r\na=1\r\n  B = 2\n; b=comment\r\nc=3\r\n[T]\r\nb=4\r\n", "s", "b", nullptr,
         "[S]\r\na=1\r\n; b=comment\r\nc=3\r\n[T]\r\nb=4\r\n"},
        {"[S]\r\na=1", "T", nullptr, nullptr, "[S]\r\na=1"},
        {"[S]\r\na=1", "S", "zz", nullptr, "[S]\r\na=1"},
        // A Latin-1 file stays Latin-1 while the text fits, else it all becomes UTF-8.
        {"[S]\r\nName=Cr\xE8me\r\nk=1\r\n", "S", "k", "Café",
         "[S]\r\nName=Cr\xE8me\r\nk=Caf\xE9\r\n"},
        {"[S]\r\nName=Cr\xE8me\nk=1\r\n", "S", "k", "5 €",
         "[S]\r\nName=Cr\xC3\xA8me\nk=5 \xE2\x82\xAC\r\n"},
        {"\xEF\xBB\xBF[S]\r\nName=Cr\xC3\xA8me\r\n", "s", "k", "é",
         "\xEF\xBB\xBF[S]\r\nName=Cr\xC3\xA8me\r\nk=\xC3\xA9\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        test::Sandbox sb;
        sb.writeFile(kIni, c.before);
        EXPECT_TRUE(write(sb.fs, opt(c.section), opt(c.key), opt(c.value)));
        EXPECT_EQ(sb.readFile(kIni), QByteArray(c.after));
    }
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
}

TEST(ProfileWrite, WritingTheSameValueAgainDoesNotRewriteTheFile) {
    test::Sandbox sb;
    sb.writeFile(kIni, "[S]\r\nk = v\r\n");
    FaultyFileSystem faulty(sb.fs);
    EXPECT_TRUE(write(faulty, "S", "k", "v"));
    EXPECT_EQ(faulty.replaceCalls, 0);
    EXPECT_TRUE(write(faulty, "S", "k", "w"));
    EXPECT_EQ(faulty.replaceCalls, 1);
    EXPECT_EQ(sb.readFile(kIni), "[S]\r\nk = w\r\n");
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
        EXPECT_FALSE(write(sb.fs, b.section, b.key, b.value, &why)) << b.section << " / " << b.key;
        EXPECT_EQ(why, ProfileError::BadText);
    }
    ProfileError why = ProfileError::None;
    EXPECT_FALSE(write(sb.fs, "S", "k", QString::fromLatin1("a\0b", 3), &why));
    EXPECT_EQ(why, ProfileError::BadText);
    EXPECT_FALSE(write(sb.fs, std::nullopt, "k", "v"));
    EXPECT_EQ(sb.readFile(kIni), before);
}

TEST(ProfileProbe, DeletingTheNamelessSectionTellsWhetherTheNameIsUsable) {
    test::Sandbox sb;
    const QByteArray before = "[]\r\nx=1\r\n; c\n[S]\rk=v";
    sb.writeFile(kIni, before);
    FaultyFileSystem faulty(sb.fs);
    EXPECT_TRUE(write(faulty, "", std::nullopt, std::nullopt));
    EXPECT_EQ(sb.readFile(kIni), before);
    EXPECT_EQ(faulty.replaceCalls, 0);

    const QString missing = QStringLiteral("C:\\KT\\NEW.INI");
    EXPECT_TRUE(write(sb.fs, "", std::nullopt, std::nullopt, nullptr, missing));
    EXPECT_FALSE(sb.fs.fileExists(missing));

    const struct {
        const char* file;
        ProfileError why;
    } bad[] = {{"C:\\NOWHERE\\VOR.INI", ProfileError::NoFolder},
               {"C:\\KT", ProfileError::NotAFile},
               {" ", ProfileError::BadFileName}};
    for (const auto& b : bad) {
        ProfileError why = ProfileError::None;
        EXPECT_FALSE(write(sb.fs, "", std::nullopt, std::nullopt, &why, b.file)) << b.file;
        EXPECT_EQ(why, b.why) << b.file;
    }
}

TEST(ProfileWriteFailures, AFailedReplacementOrAnUnreadableFileLeavesTheFileWhole) {
    test::Sandbox sb;
    const QByteArray before = "[S]\r\nk=1\r\n";
    sb.writeFile(kIni, before);
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

TEST(ProfileGarbage, WritingNextToBinaryGarbageKeepsItByteForByte) {
    test::Sandbox sb;
    QByteArray garbage = raw("\x00\x01\xFF\xFE=\x00\r\n");
    garbage += QByteArray(500'000, '\xC3') + "\n";
    garbage += raw("[\x00\x80]\r\nz\x00=\x9F\r");
    sb.writeFile(kIni, garbage + "[S]\r\nk=old\r\n" + garbage);
    EXPECT_TRUE(write(sb.fs, "S", "k", "new"));
    EXPECT_TRUE(write(sb.fs, "S", "added", "1"));
    // The garbage's own "[...]" line ends section S, so the new key goes before it.
    EXPECT_EQ(sb.readFile(kIni), garbage + "[S]\r\nk=new\r\n" + garbage.left(garbage.size() - 11) +
                                     "added=1\r\n" + garbage.right(11));
    EXPECT_EQ(value(sb.fs, "S", "k"), "new");
}

}  // namespace
}  // namespace qv
