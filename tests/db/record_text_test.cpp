// Text rules of the record layer: fixed-width fields, SqlSafeText and the literals built from
// sanitised values.

#include "db/fixed_text.h"
#include "db/sql_text.h"
#include "tests/db/db_test_util.h"

#include <gtest/gtest.h>

using namespace qv::db;

namespace {

TEST(FixedText, AlwaysHoldsItsWidth) {
    FixedText<8> sl;
    EXPECT_EQ(sl.str(), QStringLiteral("        "));
    sl = QStringLiteral("A1");
    EXPECT_EQ(sl.str(), QStringLiteral("A1      "));
    sl = QStringLiteral("123456789012");
    EXPECT_EQ(sl.str(), QStringLiteral("12345678"));
    EXPECT_TRUE(sl.isFull());
    sl = QString();
    EXPECT_TRUE(sl.isBlank());
}

TEST(FixedText, CutNeverSplitsASurrogatePair) {
    FixedText<3> f;
    f = QStringLiteral("ab") + QString::fromUcs4(U"\U0001F37A") + QStringLiteral("c");
    EXPECT_EQ(f.str(), QStringLiteral("ab "));
    EXPECT_EQ(f.str().size(), 3);
}

TEST(FixedText, TrimsKeepInnerBlanks) {
    FixedText<10> f;
    f = QStringLiteral("  A B");
    EXPECT_EQ(f.rtrimmed(), QStringLiteral("  A B"));
    EXPECT_EQ(f.trimmed(), QStringLiteral("A B"));
}

TEST(SqlSafeText, Cases) {
    struct Case {
        const char* label;
        QString text;
        bool firstSegments;
        int limit;
        const char* expected;
    };
    const Case cases[] = {
        {"text without apostrophe is unchanged", QStringLiteral("ABC, DEF  "), true, 0,
         "ABC, DEF  "},
        {"NUL makes blanks of the same length",
         QStringLiteral("AB") + QChar(0) + QStringLiteral("C'D"), true, 0, "      "},
        {"already doubled apostrophes are left alone", QStringLiteral("O''BRIEN'S, X"), true, 0,
         "O''BRIEN'S, X"},
        // Segments 1 to 3: apostrophe doubled, the blank after the comma removed (limit 0).
        {"first segments double and compact", QStringLiteral("O'BRIEN, JOE  "), true, 0,
         "O''BRIEN,JOE"},
        {"later segments blank the apostrophe", QStringLiteral("O'BRIEN, JOE"), false, 0,
         "O BRIEN, JOE"},
        {"under the limit: no compacting", QStringLiteral("JOE'S,  BAR"), true, 30, "JOE''S,  BAR"},
        // Over the limit: ", " to "," first, then each pair of blanks to one, one pass each, so
        // four blanks after the comma end as two; the trailing comma goes.
        {"over the limit: compacted", QStringLiteral("JOE'S,    BAR,"), true, 5, "JOE''S,  BAR"},
        {"trims only blanks", QStringLiteral("\tA'B  "), true, 10, "\tA''B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(SqlSafeText(c.text, c.firstSegments, c.limit), QString::fromLatin1(c.expected));
    }
}

TEST(LiteralBody, KeepsPairsAndDoublesStrayApostrophes) {
    EXPECT_EQ(LiteralBody(u"O''BRIEN"), QStringLiteral("O''BRIEN"));
    EXPECT_EQ(LiteralBody(u"''x' OR '1'='1"), QStringLiteral("''x'' OR ''1''=''1"));
    EXPECT_EQ(LiteralBody(u"ABC'"), QStringLiteral("ABC''"));
    EXPECT_EQ(LiteralBody(QStringView(QStringLiteral("A") + QChar(0))), QStringLiteral("A "));
}

TEST(LiteralBody, ResultNeverEndsALiteralEarly) {
    // Whatever the text, the body has its apostrophes in pairs only.
    for (const QString& s : {QStringLiteral("'"), QStringLiteral("'''"), QStringLiteral("a''b'c"),
                             QStringLiteral("''''x'")}) {
        const QString body = LiteralBody(s);
        int run = 0;
        for (QChar c : body + u'x') {
            if (c == u'\'') {
                ++run;
            } else {
                EXPECT_EQ(run % 2, 0) << body.toStdString();
                run = 0;
            }
        }
    }
}

TEST(QuoteRaw, DoublesEveryApostrophe) {
    EXPECT_EQ(QuoteRaw(u"a''b'"), QStringLiteral("a''''b''"));
}

}  // namespace
