#include "wizard/sl_create.h"
#include "lookup/sl_code.h"
#include "tests/support/data_files.h"
#include "tests/wizard/wizard_world.h"

#include <gtest/gtest.h>
#include <set>

namespace qv::test {
namespace {

// --- the alphanumeric successor --------------------------------------------------------------

TEST(AlphaSuccessor, LettersMoveOnDigitsCountUpAndOtherEndingsCountAllDigitsPastTakenCodes) {
    for (const Case& c : Cases("wizard/sl_codes.cases")) {
        EXPECT_EQ(AlphaSuccessor(c.text(0), {}), c.text(1)) << c.where();
    }
    // A "Z" in a code of seven characters: the digits 1 and 2 make 12; 13 and 14 are taken.
    const std::set<QString> taken{StoredSl("13"), StoredSl("14"), StoredSl("1")};
    const SlTakenFn isTaken = [&taken](const QString& sl) { return taken.count(sl) > 0; };
    EXPECT_EQ(AlphaSuccessor("A1B2CDZ", isTaken), "15");
    EXPECT_EQ(AlphaSuccessor("ABCDEFZ", isTaken), "2");  // no digits at all: from zero
    // Stored codes: numbers right-aligned, codes left-aligned.
    EXPECT_EQ(StoredSl("1234568"), "1234568 ");
    EXPECT_EQ(StoredSl("12"), "     12 ");
    EXPECT_EQ(StoredSl("AB7D"), "AB7D    ");
}

// --- the next free code from the table -------------------------------------------------------

TEST(SlCreate, TheNextFreeCodeFollowsTheHighestNumericCodeElseTheLastCode) {
    const struct {
        std::vector<const char*> stored;
        const char* next;
    } cases[] = {
        {{}, "10000000"},                        // after the highest seven-digit code
        {{"12345678", "1000    "}, "1234568 "},  // shown as 1234567.8
        // The walk passes over codes that are no numbers or start with zero; letters are
        // above "9999999 " and never reached.
        {{"   4711 ", "5ABC    ", "0999999 ", "60-12   ", "ZZZ     "}, "   4712 "},
        {{"ABC     ", "ABZ     "}, "ABZA    "},  // only letters: from the last code
        // ABCDEFGH's successor ABCDEFGI is stored as ABCDEFG, which is taken.
        {{"ABCDEFG ", "ABCDEFGH"}, "ABCDEFH "},
        {{"0000005 "}, "      6 "},  // ends on a low code with a leading zero
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.next);
        WizardWorld world{0, false};
        int n = 0;
        for (const char* sl : c.stored) {
            db::InventoryRecord r = DbFixture::Item(n);
            r.SL = QString::fromLatin1(sl);
            r.RecordNum = 11 + n++;
            ASSERT_TRUE(world.insertItem(r)) << world.layer().LastError().description.toStdString();
        }
        const QString next = gfsSLcreate(world.layer());
        EXPECT_EQ(next, c.next);
        EXPECT_EQ(world.checker().GetInventoryBySL(next, false), 0) << "the code is free";
    }
}

}  // namespace
}  // namespace qv::test
