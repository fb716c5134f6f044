#include "lookup/sl_code.h"
#include "tests/lookup/lookup_fixture.h"

namespace qv {
namespace {

// --- S/L display ---------------------------------------------------------------------------

TEST(SlDisplay, PutsAPointBeforeTheLastCharacterExceptInReservedCodesAndBack) {
    const std::pair<const char*, const char*> cases[] = {
        {"12345678", "1234567.8"}, {"    123 ", "    123. "}, {"AB12    ", "AB12   . "},
        {"     120", "     12.0"}, {"~ROA    ", "~ROA    "},  {" ~POUT  ", " ~POUT  "},
        {"~NONSTK1", "~NONSTK1"},  {"A       ", "A      . "}, {"        ", "       . "},
        {"0000001X", "0000001.X"},
    };
    for (const auto& [stored, shown] : cases) {
        EXPECT_EQ(SlDisplay(stored), shown) << stored;
        EXPECT_EQ(SlFromDisplay(shown), stored) << shown;
    }
    // A short code is padded to eight characters first; a cell that lost its trailing
    // blanks still gives the stored code.
    EXPECT_EQ(SlDisplay("123"), "123    . ");
    EXPECT_EQ(SlDisplay("~ROA"), "~ROA    ");
    EXPECT_EQ(SlFromDisplay("~ROA"), "~ROA    ");
}

// --- S/L entry -----------------------------------------------------------------------------

TEST(SlFromEntry, TypedCodesBecomeTheDisplayFormOfTheStoredCode) {
    const struct {
        const char* typed;
        const char* entry;
        const char* stored;
    } cases[] = {
        {"", "", ""},
        {"   ", "", ""},
        // Eight digits and the display form give the same code.
        {"12345678", "1234567.8", "12345678"},
        {"1234567.8", "1234567.8", "12345678"},
        // A short number is right-aligned in the first seven characters.
        {"123", "    123. ", "    123 "},
        {"7", "      7. ", "      7 "},
        {" 1 2", "     12. ", "     12 "},  // blanks inside a number are skipped
        // A display form ending in zero keeps its last digit.
        {"10000010", "1000001.0", "10000010"},
        {"1000001.0", "1000001.0", "10000010"},
        {"12.0", "     12.0", "     120"},
        // Too long: the first nine display characters; after a point, one character only.
        {"123456789", "1234567.8", "12345678"},
        {"12.345", "     12.3", "     123"},
        // A leading zero keeps the digits as typed; a trailing point is dropped.
        {"0123", "   0123. ", "   0123 "},
        {"0123.", "   0123. ", "   0123 "},
        {"00001234", "0000123.4", "00001234"},
        // Other text is left-aligned in seven characters.
        {"~ROA", "~ROA   . ", "~ROA    "},
        {"abc.d", "abc    . ", "abc     "},
        {"ab cd", "ab     . ", "ab      "},
        {" xyz", "xyz    . ", "xyz     "},
        {"ABCDEFGHIJ", "ABCDEFG. ", "ABCDEFG "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SlFromEntry(c.typed), c.entry) << c.typed;
        if (*c.entry) {
            EXPECT_EQ(SlFromDisplay(SlFromEntry(c.typed)), c.stored) << c.typed;
        }
    }
}

TEST(ItemIdFromEntry, LeftAlignsInTheItemCodeWidth) {
    EXPECT_EQ(ItemIdFromEntry("  A100"), QString("A100").leftJustified(25));
    EXPECT_EQ(ItemIdFromEntry("   7001 "), QString("7001 ").leftJustified(25));
    EXPECT_EQ(ItemIdFromEntry(QString(30, u'X')), QString(25, u'X'));
    EXPECT_EQ(ItemIdFromEntry(""), QString(25, u' '));
}

// --- cell texts ------------------------------------------------------------------------------

TEST(MoneyCellText, ShowsTwoDecimalsWithoutALeadingZeroOrCurrencySign) {
    const std::pair<const char*, const char*> cases[] = {
        {"12.5", "12.50"},       {"0.5", ".50"},      {"0", ".00"},
        {"1234.567", "1234.57"}, {"2.345", "2.35"},  // halves away from zero
        {" $12.5 ", "12.50"},    {"$3.25)", "-3.25"}, {"($3.25)", "-3.25"},  // brackets: negative
        {"NZ$0.4)", "-.40"},     {"abc", ".00"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(MoneyCellText(text), shown) << text;
    }
}

TEST(LikeContainsText, TypedWildcardsAndApostrophesAreSearchedForAsThemselves) {
    const std::pair<const char*, const char*> cases[] = {
        {"50%", "50[%]"}, {"N_T", "N[_]T"},        {"[x]", "[[]x]"},
        {"COLA", "COLA"}, {"JERRY'S", "JERRY''S"}, {"x' OR '1'='1", "x'' OR ''1''=''1"},
        {"''", "''''"},
    };
    for (const auto& [typed, literal] : cases) {
        EXPECT_EQ(LikeContainsText(typed), literal) << typed;
    }
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
}  // namespace qv
