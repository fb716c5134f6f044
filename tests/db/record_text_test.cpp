// Text rules of the record layer: fixed-width fields, SqlSafeText and the literals built from
// sanitised values.

#include "db/fixed_text.h"
#include "db/record_fields.h"
#include "db/sql_text.h"
#include "tests/support/data_files.h"

#include <gtest/gtest.h>

using namespace qv::db;

namespace {

TEST(FixedText, HoldsItsWidthNeverSplitsASurrogatePairAndTrimsOnlyTheEnds) {
    FixedText<8> sl;
    EXPECT_EQ(sl.str(), QStringLiteral("        "));
    sl = QStringLiteral("A1");
    EXPECT_EQ(sl.str(), QStringLiteral("A1      "));
    sl = QStringLiteral("123456789012");
    EXPECT_EQ(sl.str(), QStringLiteral("12345678"));
    EXPECT_TRUE(sl.isFull());
    sl = QString();
    EXPECT_TRUE(sl.isBlank());
    FixedText<3> f;
    f = QStringLiteral("ab") + QString::fromUcs4(U"\U0001F37A") + QStringLiteral("c");
    EXPECT_EQ(f.str(), QStringLiteral("ab "));
    FixedText<10> g;
    g = QStringLiteral("  A B");
    EXPECT_EQ(g.rtrimmed(), QStringLiteral("  A B"));
    EXPECT_EQ(g.trimmed(), QStringLiteral("A B"));
}

TEST(SqlSafeText, FollowsItsTableAndKeySegmentsAfterTheThirdBlankApostrophes) {
    for (const qv::test::Case& c : qv::test::Cases("db/sql_safe_text.cases")) {
        EXPECT_EQ(SqlSafeText(c.text(0), c.flag(1), static_cast<int>(c.num(2))), c.text(3))
            << c.where();
    }
    for (int segment = 1; segment <= 4; ++segment) {
        EXPECT_EQ(TextSegment(u"X'Y, Z", segment).toText(),
                  segment <= 3 ? QStringLiteral("X''Y,Z") : QStringLiteral("X Y, Z"));
    }
}

TEST(LiteralBody, KeepsPairsDoublesStrayApostrophesAndNeverEndsALiteralEarly) {
    EXPECT_EQ(LiteralBody(u"O''BRIEN"), QStringLiteral("O''BRIEN"));
    EXPECT_EQ(LiteralBody(u"''x' OR '1'='1"), QStringLiteral("''x'' OR ''1''=''1"));
    EXPECT_EQ(LiteralBody(u"ABC'"), QStringLiteral("ABC''"));
    EXPECT_EQ(LiteralBody(QStringView(QStringLiteral("A") + QChar(0))), QStringLiteral("A "));
    EXPECT_EQ(QuoteRaw(u"a''b'"), QStringLiteral("a''''b''"));
    for (const QString& s : {QStringLiteral("'"), QStringLiteral("'''"), QStringLiteral("a''b'c"),
                             QStringLiteral("''''x'")}) {
        int run = 0;
        for (QChar c : LiteralBody(s) + u'x') {
            if (c == u'\'') {
                ++run;
                continue;
            }
            EXPECT_EQ(run % 2, 0) << s.toStdString();
            run = 0;
        }
    }
}

}  // namespace
