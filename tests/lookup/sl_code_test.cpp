#include "lookup/sl_code.h"
#include "lookup/grid_control.h"
#include "lookup/lookup_engine.h"

#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace qv {
namespace {

// --- S/L display ---------------------------------------------------------------------------

TEST(SlDisplay, PutsAPointBeforeTheLastCharacter) {
    EXPECT_EQ(SlDisplay("12345678"), "1234567.8");
    EXPECT_EQ(SlDisplay("    123 "), "    123. ");
    EXPECT_EQ(SlDisplay("AB12    "), "AB12   . ");
}

TEST(SlDisplay, ShowsReservedCodesUnchanged) {
    EXPECT_EQ(SlDisplay("~ROA    "), "~ROA    ");
    EXPECT_EQ(SlDisplay(" ~POUT  "), " ~POUT  ");
    EXPECT_EQ(SlDisplay("~NONSTK1"), "~NONSTK1");
}

TEST(SlDisplay, PadsAShortCodeToEightCharactersFirst) {
    EXPECT_EQ(SlDisplay("123"), "123    . ");
    EXPECT_EQ(SlDisplay("~ROA"), "~ROA    ");
}

TEST(SlFromDisplay, DropsThePointAgain) {
    EXPECT_EQ(SlFromDisplay("1234567.8"), "12345678");
    EXPECT_EQ(SlFromDisplay("    123. "), "    123 ");
}

TEST(SlFromDisplay, KeepsReservedCodesWhole) {
    EXPECT_EQ(SlFromDisplay("~ROA    "), "~ROA    ");
    EXPECT_EQ(SlFromDisplay("~NONSTK1"), "~NONSTK1");
    // A cell that lost its trailing blanks still gives the stored code.
    EXPECT_EQ(SlFromDisplay("~ROA"), "~ROA    ");
}

TEST(SlFromDisplay, UndoesSlDisplayForEveryKindOfCode) {
    for (const char* code : {"12345678", "    123 ", "~ROA    ", " ~POUT  ", "A       ", "        ",
                             "~NONSTK1", "0000001X"}) {
        EXPECT_EQ(SlFromDisplay(SlDisplay(code)), code) << code;
    }
}

// --- S/L entry -----------------------------------------------------------------------------

QString stored(const QString& typed) {
    return SlFromDisplay(SlFromEntry(typed));
}

TEST(SlFromEntry, BlankTextGivesNothing) {
    EXPECT_EQ(SlFromEntry(""), "");
    EXPECT_EQ(SlFromEntry("   "), "");
}

TEST(SlFromEntry, EightDigitsAndTheDisplayFormGiveTheSameCode) {
    EXPECT_EQ(SlFromEntry("12345678"), "1234567.8");
    EXPECT_EQ(SlFromEntry("1234567.8"), "1234567.8");
    EXPECT_EQ(stored("12345678"), "12345678");
    EXPECT_EQ(stored("1234567.8"), "12345678");
}

TEST(SlFromEntry, AShortNumberIsRightAlignedInTheFirstSevenCharacters) {
    EXPECT_EQ(SlFromEntry("123"), "    123. ");
    EXPECT_EQ(stored("123"), "    123 ");
    EXPECT_EQ(stored("7"), "      7 ");
    EXPECT_EQ(stored(" 1 2"), "     12 ");  // blanks inside a number are skipped
}

TEST(SlFromEntry, ADisplayFormEndingInZeroKeepsItsLastDigit) {
    EXPECT_EQ(stored("10000010"), "10000010");
    EXPECT_EQ(stored("1000001.0"), "10000010");
    EXPECT_EQ(stored("12.0"), "     120");
    EXPECT_EQ(SlDisplay("     120"), "     12.0");
}

TEST(SlFromEntry, ANumberTooLongKeepsItsFirstNineDisplayCharacters) {
    EXPECT_EQ(SlFromEntry("123456789"), "1234567.8");
    EXPECT_EQ(stored("123456789"), "12345678");
}

TEST(SlFromEntry, APointIsFollowedByOneCharacterOnly) {
    EXPECT_EQ(SlFromEntry("12.345"), "     12.3");
    EXPECT_EQ(stored("12.345"), "     123");
}

TEST(SlFromEntry, ALeadingZeroKeepsTheDigitsAsTyped) {
    EXPECT_EQ(SlFromEntry("0123"), "   0123. ");
    EXPECT_EQ(SlFromEntry("0123."), "   0123. ");  // a trailing point is dropped
    EXPECT_EQ(stored("00001234"), "00001234");
}

TEST(SlFromEntry, OtherTextIsLeftAlignedInSevenCharacters) {
    EXPECT_EQ(SlFromEntry("~ROA"), "~ROA   . ");
    EXPECT_EQ(stored("~ROA"), "~ROA    ");
    EXPECT_EQ(SlFromEntry("abc.d"), "abc    . ");
    EXPECT_EQ(SlFromEntry("ab cd"), "ab     . ");
    EXPECT_EQ(SlFromEntry(" xyz"), "xyz    . ");
    EXPECT_EQ(SlFromEntry("ABCDEFGHIJ"), "ABCDEFG. ");
}

TEST(ItemIdFromEntry, LeftAlignsInTheItemCodeWidth) {
    EXPECT_EQ(ItemIdFromEntry("  A100"), QString("A100").leftJustified(25));
    EXPECT_EQ(ItemIdFromEntry("   7001 "), QString("7001 ").leftJustified(25));
    EXPECT_EQ(ItemIdFromEntry(QString(30, u'X')), QString(25, u'X'));
    EXPECT_EQ(ItemIdFromEntry(""), QString(25, u' '));
}

// --- cell texts ------------------------------------------------------------------------------

TEST(MoneyCellText, ShowsTwoDecimalsWithoutALeadingZero) {
    EXPECT_EQ(MoneyCellText("12.5"), "12.50");
    EXPECT_EQ(MoneyCellText("0.5"), ".50");
    EXPECT_EQ(MoneyCellText("0"), ".00");
    EXPECT_EQ(MoneyCellText("1234.567"), "1234.57");
    EXPECT_EQ(MoneyCellText("2.345"), "2.35");  // halves away from zero
}

TEST(MoneyCellText, DropsTheCurrencySignAndReadsBracketsAsNegative) {
    EXPECT_EQ(MoneyCellText(" $12.5 "), "12.50");
    EXPECT_EQ(MoneyCellText("$3.25)"), "-3.25");
    EXPECT_EQ(MoneyCellText("($3.25)"), "-3.25");
    EXPECT_EQ(MoneyCellText("NZ$0.4)"), "-.40");
    EXPECT_EQ(MoneyCellText("abc"), ".00");
}

TEST(LikeContainsText, TypedWildcardsAreSearchedForAsThemselves) {
    EXPECT_EQ(LikeContainsText("50%"), "50[%]");
    EXPECT_EQ(LikeContainsText("N_T"), "N[_]T");
    EXPECT_EQ(LikeContainsText("[x]"), "[[]x]");
    EXPECT_EQ(LikeContainsText("COLA"), "COLA");
}

TEST(LikeContainsText, ApostrophesCannotEndTheLiteral) {
    EXPECT_EQ(LikeContainsText("JERRY'S"), "JERRY''S");
    EXPECT_EQ(LikeContainsText("x' OR '1'='1"), "x'' OR ''1''=''1");
    EXPECT_EQ(LikeContainsText("''"), "''''");
}

// --- layout units --------------------------------------------------------------------------

TEST(Twips, FifteenToAPixelRounded) {
    EXPECT_EQ(TwipsToPixels(700), 47);
    EXPECT_EQ(TwipsToPixels(2400), 160);
    EXPECT_EQ(TwipsToPixels(7), 0);
    EXPECT_EQ(TwipsToPixels(8), 1);
    EXPECT_EQ(PixelsToTwips(160), 2400);
}

TEST(RowsPerPage, FollowsTheGridHeightRoundingHalvesToEven) {
    EXPECT_EQ(LookupEngine::RowsPerPageFor(8400), 14);
    EXPECT_EQ(LookupEngine::RowsPerPageFor(8700), 14);  // 14.5
    EXPECT_EQ(LookupEngine::RowsPerPageFor(9300), 16);  // 15.5
    EXPECT_EQ(LookupEngine::RowsPerPageFor(12000), 20);
    EXPECT_EQ(LookupEngine::RowsPerPageFor(100), 1);
}

}  // namespace
}  // namespace qv
