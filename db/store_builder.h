#pragma once

#include "db/common_table.h"
#include "db/inventory_table.h"
#include "db/record_layer.h"
#include "db/upc_table.h"

#include <QString>
#include <optional>
#include <vector>

namespace qv::db {

// One stock item to put into a new store, with its UPC row when it has one.
struct StoreItem {
    InventoryRecord item;
    std::optional<UpcRecord> upc;
};

// Fills a new store database the way the program itself would find it: the Common row, then
// the Inventory and UPC tables (created by opening them), then the items in one transaction.
// The layer must have been made over an existing, empty database (InitDatabase not yet run).
// Returns an empty text on success, else what failed; nothing is half-written then except
// the empty tables.
QString FillStore(RecordLayer& layer, const CommonRecord& common,
                  const std::vector<StoreItem>& items);

}  // namespace qv::db
