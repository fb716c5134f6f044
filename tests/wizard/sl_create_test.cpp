#include "wizard/sl_create.h"
#include "lookup/sl_code.h"
#include "tests/wizard/wizard_world.h"

#include <gtest/gtest.h>
#include <set>

namespace qv::test {
namespace {

SlTakenFn takenFrom(std::set<QString> stored) {
    return [stored = std::move(stored)](const QString& sl) { return stored.count(sl) > 0; };
}

// --- the alphanumeric successor --------------------------------------------------------------

TEST(AlphaSuccessor, LastLetterBelowZMovesOn) {
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("AB7C"), {}), QStringLiteral("AB7D"));
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("Y"), {}), QStringLiteral("Z"));
}

TEST(AlphaSuccessor, ZInAShortCodeGetsAnA) {
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("ABZ"), {}), QStringLiteral("ABZA"));
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("ABCDEZ"), {}), QStringLiteral("ABCDEZA"));
}

TEST(AlphaSuccessor, TrailingDigitsCountUpWithoutLeadingZeros) {
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("AB129"), {}), QStringLiteral("AB130"));
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("AB99"), {}), QStringLiteral("AB100"));
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("AB009"), {}), QStringLiteral("AB10"));
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("A1.5"), {}), QStringLiteral("A1.6"));
}

TEST(AlphaSuccessor, OtherEndingsCountUpAllDigitsPastTakenCodes) {
    // A "Z" in a code of seven characters: the digits 1 and 2 make 12; 13 and 14 are taken.
    const SlTakenFn taken =
        takenFrom({StoredSl(QStringLiteral("13")), StoredSl(QStringLiteral("14"))});
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("A1B2CDZ"), taken), QStringLiteral("15"));
    // Lower-case letters and signs are not letters here.
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("X7b"), {}), QStringLiteral("8"));
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("AB#"), {}), QStringLiteral("1"));
}

TEST(AlphaSuccessor, NoDigitsAtAllStartsFromZero) {
    const SlTakenFn taken = takenFrom({StoredSl(QStringLiteral("1"))});
    EXPECT_EQ(AlphaSuccessor(QStringLiteral("ABCDEFZ"), taken), QStringLiteral("2"));
    EXPECT_EQ(AlphaSuccessor(QString(), {}), QStringLiteral("1"));
}

TEST(StoredSl, NumbersRightAlignAndCodesLeftAlign) {
    EXPECT_EQ(StoredSl(QStringLiteral("1234568")), QStringLiteral("1234568 "));
    EXPECT_EQ(StoredSl(QStringLiteral("12")), QStringLiteral("     12 "));
    EXPECT_EQ(StoredSl(QStringLiteral("10000000")), QStringLiteral("10000000"));
    EXPECT_EQ(StoredSl(QStringLiteral("AB7D")), QStringLiteral("AB7D    "));
}

// --- the next free code from the table -------------------------------------------------------

class SlCreate : public ::testing::Test {
protected:
    void add(const QString& sl) {
        db::InventoryRecord r = DbFixture::Item(next_);
        r.SL = sl;
        r.RecordNum = 11 + next_;
        ++next_;
        ASSERT_TRUE(world.insertItem(r)) << world.layer().LastError().description.toStdString();
    }
    WizardWorld world{0, false};
    int next_ = 0;
};

TEST_F(SlCreate, EmptyTableStartsAfterTheHighestSevenDigitCode) {
    EXPECT_EQ(gfsSLcreate(world.layer()), QStringLiteral("10000000"));
}

TEST_F(SlCreate, HighestNumericCodeShownWithItsPointGivesTheNext) {
    add(QStringLiteral("12345678"));  // shown as 1234567.8
    add(QStringLiteral("1000    "));
    EXPECT_EQ(gfsSLcreate(world.layer()), QStringLiteral("1234568 "));
}

TEST_F(SlCreate, WalkPassesOverCodesThatAreNotNumbersOrStartWithZero) {
    add(QStringLiteral("   4711 "));
    add(QStringLiteral("5ABC    "));
    add(QStringLiteral("0999999 "));
    add(QStringLiteral("60-12   "));
    add(QStringLiteral("ZZZ     "));  // above "9999999 ": never reached
    EXPECT_EQ(gfsSLcreate(world.layer()), QStringLiteral("   4712 "));
}

TEST_F(SlCreate, OnlyLettersAboveTheNumbersUseTheLastCode) {
    add(QStringLiteral("ABC     "));
    add(QStringLiteral("ABZ     "));
    EXPECT_EQ(gfsSLcreate(world.layer()), QStringLiteral("ABZA    "));
}

TEST_F(SlCreate, CodeCutToSevenCharactersThatIsTakenIsPassed) {
    add(QStringLiteral("ABCDEFG "));
    add(QStringLiteral("ABCDEFGH"));  // its successor ABCDEFGI is stored as ABCDEFG, taken
    EXPECT_EQ(gfsSLcreate(world.layer()), QStringLiteral("ABCDEFH "));
}

TEST_F(SlCreate, WalkEndingOnALowCodeWithALeadingZeroStillGivesAFreeCode) {
    add(QStringLiteral("0000005 "));
    const QString next = gfsSLcreate(world.layer());
    EXPECT_EQ(next, QStringLiteral("      6 "));
    EXPECT_EQ(world.checker().GetInventoryBySL(next, false), 0);
}

}  // namespace
}  // namespace qv::test
