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
    for (const Case& c : Cases("wizard/sl_create.cases")) {
        SCOPED_TRACE(c.where());
        WizardWorld world{0, false};
        int n = 0;
        for (const QString& sl : c.list(0, u';')) {
            db::InventoryRecord r = DbFixture::Item(n);
            r.SL = sl;
            r.RecordNum = 11 + n++;
            ASSERT_TRUE(world.insertItem(r)) << world.layer().LastError().description.toStdString();
        }
        const QString next = gfsSLcreate(world.layer());
        EXPECT_EQ(next, c.text(1));
        EXPECT_EQ(world.checker().GetInventoryBySL(next, false), 0) << "the code is free";
    }
}

}  // namespace
}  // namespace qv::test
