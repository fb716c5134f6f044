// The seeded database that later tests and benchmarks start from.

#include "tests/support/db_fixture.h"
#include "db/record_layer.h"
#include "tests/db/db_test_util.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

using namespace qv;
using namespace qv::db;
using qv::test::DbFixture;

namespace {

bool validUpcA(const QString& code) {
    if (code.size() != 12) {
        return false;
    }
    int sum = 0;
    for (int i = 0; i < 11; ++i) {
        sum += code.at(i).digitValue() * (i % 2 == 0 ? 3 : 1);
    }
    return (10 - sum % 10) % 10 == code.at(11).digitValue();
}

// The items are made again here and must equal the stored rows, so they are the same every
// time; the unique indexes on item code and UPC took all 200, so they are distinct.
TEST(DbFixture, SeedsCommonItemsAndUpcs) {
    qv::test::Sandbox sandbox;
    DbFixture::Options o;
    o.items = 200;
    DbFixture fx(sandbox, o);
    ASSERT_TRUE(fx.ok()) << fx.error.toStdString();
    RecordLayer& db = *fx.layer;

    EXPECT_EQ(db.InventoryRowCount(), std::optional<std::int64_t>(200));
    EXPECT_EQ(db.NextRecordNumber(), 211);
    EXPECT_EQ(db.Common.StoreNumber, 1);

    for (int i : {0, 57, 199}) {
        ASSERT_TRUE(db.GetInventoryByRecordNum(11 + i));
        EXPECT_EQ(db.Inventory, DbFixture::Item(i)) << i;
        db.Upc = UpcRecord();
        db.Upc.InvUID = 11 + i;
        ASSERT_TRUE(db.RecordOp(kUpcTable, op::GetEqual, 4));
        EXPECT_EQ(db.Upc, DbFixture::UpcFor(i));
        EXPECT_TRUE(validUpcA(db.Upc.UPC.rtrimmed())) << db.Upc.UPC.str().toStdString();
    }
    EXPECT_TRUE(sandbox.boxes.shown().empty());
}

}  // namespace
