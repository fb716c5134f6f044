#include "lookup/sl_code.h"
#include "tests/lookup/lookup_fixture.h"
#include "tests/support/data_files.h"

namespace qv::test {
namespace {

TEST(SlCodes, DisplayEntryMoneyAndLikeTextsFollowTheirTable) {
    for (const Case& c : Cases("lookup/sl_codes.cases")) {
        const QString rule = c.text(0);
        if (rule == u"display") {
            EXPECT_EQ(SlDisplay(c.text(1)), c.text(2)) << c.where();
            EXPECT_EQ(SlFromDisplay(c.text(2)), c.text(1)) << c.where();
        } else if (rule == u"entry") {
            EXPECT_EQ(SlFromEntry(c.text(1)), c.text(2)) << c.where();
            if (c.has(3)) {
                EXPECT_EQ(SlFromDisplay(SlFromEntry(c.text(1))), c.text(3)) << c.where();
            }
        } else if (rule == u"money") {
            EXPECT_EQ(MoneyCellText(c.text(1)), c.text(2)) << c.where();
        } else {
            EXPECT_EQ(LikeContainsText(c.text(1)), c.text(2)) << c.where();
        }
    }
    // A short code is padded to eight characters first; a cell that lost its trailing blanks
    // still gives the stored code.
    EXPECT_EQ(SlDisplay("123"), "123    . ");
    EXPECT_EQ(SlDisplay("~ROA"), "~ROA    ");
    EXPECT_EQ(SlFromDisplay("~ROA"), "~ROA    ");
    EXPECT_EQ(ItemIdFromEntry("  A100"), QString("A100").leftJustified(25));
    EXPECT_EQ(ItemIdFromEntry("   7001 "), QString("7001 ").leftJustified(25));
    EXPECT_EQ(ItemIdFromEntry(QString(30, u'X')), QString(25, u'X'));
}

// --- layout units --------------------------------------------------------------------------

TEST(Twips, FifteenToAPixelRoundedAndRowsPerPageRoundHalvesToEven) {
    EXPECT_EQ(TwipsToPixels(700), 47);
    EXPECT_EQ(TwipsToPixels(2400), 160);
    EXPECT_EQ(TwipsToPixels(7), 0);
    EXPECT_EQ(TwipsToPixels(8), 1);
    EXPECT_EQ(PixelsToTwips(160), 2400);
    EXPECT_EQ(LookupEngine::RowsPerPageFor(8400), 14);
    EXPECT_EQ(LookupEngine::RowsPerPageFor(8700), 14);  // 14.5
    EXPECT_EQ(LookupEngine::RowsPerPageFor(9300), 16);  // 15.5
    EXPECT_EQ(LookupEngine::RowsPerPageFor(12000), 20);
    EXPECT_EQ(LookupEngine::RowsPerPageFor(100), 1);
}

}  // namespace
}  // namespace qv::test
