#include "db/store_builder.h"

namespace qv::db {

QString FillStore(RecordLayer& layer, const CommonRecord& common,
                  const std::vector<StoreItem>& items) {
    if (!layer.InitDatabase()) {
        return QStringLiteral("the database could not be opened");
    }
    layer.PrepareCommonTable();
    layer.Common = common;
    if (!layer.OpenTable(kCommonTable) || !layer.RecordOp(kCommonTable, op::Insert, 0)) {
        return QStringLiteral("Common row: ") + layer.LastError().description;
    }
    if (!layer.OpenAllTables() || !layer.OpenDataTables()) {
        return QStringLiteral("opening the tables: ") + layer.LastError().description;
    }
    DbError e;
    if (!layer.engine()->beginTransaction(e)) {
        return QStringLiteral("begin: ") + e.description;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        layer.Inventory = items[i].item;
        bool ok = layer.RecordOp(kInventoryTable, op::Insert, 0);
        if (ok && items[i].upc) {
            layer.Upc = *items[i].upc;
            ok = layer.RecordOp(kUpcTable, op::Insert, 0);
        }
        if (!ok) {
            const QString why = QStringLiteral("item %1: ").arg(i) + layer.LastError().description;
            layer.engine()->rollback(e);
            return why;
        }
    }
    if (!layer.engine()->commit(e)) {
        return QStringLiteral("commit: ") + e.description;
    }
    // Back on the first rows, as start-up leaves the tables.
    if (!layer.OpenDataTables()) {
        return QStringLiteral("reopening the tables: ") + layer.LastError().description;
    }
    return {};
}

}  // namespace qv::db
