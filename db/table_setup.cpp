// Filling the registry slots of the three tables, creating a missing table, bringing an older
// inventory table up to date, and the inventory reads built on the record layer.

#include "db/record_layer.h"
#include "db/sql_text.h"

#include <limits>

namespace qv::db {

void RecordLayer::PrepareCommonTable() {
    TableSlot& slot = registry_[kCommonTable];
    slot.fileName = QStringLiteral("COMMON");
    slot.filePath = DataFile(QStringLiteral("COMMON.VOR"));
    slot.tableName = common::TableName();
    slot.label = QStringLiteral("Common");
    if ((Connected() || Connect()) && !TableExists(slot.tableName)) {
        slot.createStatement = common::CreateStatement(slot.tableName);
        slot.indexStatements = common::IndexStatements(slot.tableName);
        CreateTable(kCommonTable);
    }
}

void RecordLayer::PrepareUpcTable(const QString& storeNumberText, const QString& explicitName) {
    TableSlot& slot = registry_[kUpcTable];
    slot.fileName = QStringLiteral("UPC");
    slot.filePath.clear();
    slot.tableName = upc::TableName(storeNumberText);
    slot.label = QStringLiteral("UPC Lookup");
    if (!explicitName.isEmpty()) {
        slot.fileName = explicitName;
        slot.tableName = explicitName;
    }
    if ((Connected() || Connect()) && !TableExists(slot.tableName)) {
        slot.createStatement = upc::CreateStatement(slot.tableName);
        slot.indexStatements = upc::IndexStatements(slot.tableName);
        CreateTable(kUpcTable);
    }
}

void RecordLayer::PrepareInventoryTable(const QString& storeNumberText,
                                        const QString& explicitName) {
    TableSlot& slot = registry_[kInventoryTable];
    slot.fileName = QStringLiteral("INVENTRY");
    slot.filePath = DataFile(QStringLiteral("invt") + storeNumberText + QStringLiteral(".VOR"));
    slot.tableName = inventory::TableName(storeNumberText);
    slot.label = QStringLiteral("Inventory");
    if (!explicitName.isEmpty()) {
        slot.fileName = explicitName;
        slot.tableName = explicitName;
        slot.label = explicitName;
    }
    if (services_.app.exeName.compare(QStringLiteral("Vendors"), Qt::CaseInsensitive) == 0) {
        return;
    }
    if (!Connected() && !Connect()) {
        return;  // OpenTable reports the connection
    }
    const QString table = slot.tableName;
    if (!TableExists(table)) {
        slot.createStatement = inventory::CreateStatement(table);
        slot.indexStatements = inventory::IndexStatements(table);
        CreateTable(kInventoryTable);
        return;
    }
    const std::optional<std::int64_t> rows = InventoryRowCount();
    if (!rows || *rows < 1) {
        return;
    }
    upgradeInventory(table);
}

bool RecordLayer::renameColumn(const QString& table, const QString& from, const QString& to) {
    return run(QStringLiteral("sp_RENAME '") + table + u'.' + from + QStringLiteral("', '") + to +
               QStringLiteral(" ', 'COLUMN'"))
        .has_value();
}

// Each step is tried in turn; one that does not apply fails, is logged and the next goes on.
void RecordLayer::upgradeInventory(const QString& table) {
    run(QStringLiteral("ALTER TABLE ") + table +
        QStringLiteral(" ALTER COLUMN QtyOnHand Decimal(18,4)"));
    run(QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD ") +
        QStringLiteral("PenLiqorUnit") + u' ' + QStringLiteral("SMALLINT "));
    run(QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD ") + QStringLiteral("QZV3") +
        u' ' + QStringLiteral("INTEGER "));
    if (renameColumn(table, QStringLiteral("Flg2"), QStringLiteral("NeverOrder"))) {
        run(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET NeverOrder = ' '"));
    }
    // A table that does not open here is reported by the start's own opening, which follows.
    if (!openTable(kInventoryTable, false)) {
        return;
    }
    if (FieldName(kInventoryTable, inventory::colPriceFactor)
            .compare(QStringLiteral("Spare1"), Qt::CaseInsensitive) == 0) {
        run(QStringLiteral("UPDATE ") + table +
            QStringLiteral(" SET Spare1 = PriceFactor where PriceFactor > ' '"));
        if (renameColumn(table, QStringLiteral("PriceFactor"), QStringLiteral("NotUsed"))) {
            renameColumn(table, QStringLiteral("Spare1"), QStringLiteral("PriceFactor"));
        }
    }
    if (FieldValue(kInventoryTable, inventory::colItemID).toText().size() == 15) {
        // Item codes widen from 15 to 25 characters; the indexes on them go first and come
        // back at once on the wider column.
        for (int i = 0; i <= 12; ++i) {
            run(QStringLiteral("Drop index ") + table + QStringLiteral(".idx_") +
                QString::number(i));
        }
        run(QStringLiteral("ALTER TABLE ") + table +
            QStringLiteral(" ALTER COLUMN itemID CHAR(25)"));
        TableSlot& slot = registry_[kInventoryTable];
        slot.indexStatements = inventory::IndexStatements(table);
        for (const QString& piece : slot.indexStatements.split(u';')) {
            if (!piece.trimmed().isEmpty()) {
                run(piece);
            }
        }
    }
    // The row opened above still has the old shape.
    openTable(kInventoryTable, false);
}

// --- inventory reads -----------------------------------------------------------------------

bool RecordLayer::GetInventoryByRecordNum(std::int32_t recordNum) {
    const QString sql = QStringLiteral("SELECT * from ") + registry_[kInventoryTable].tableName +
                        QStringLiteral(" WHERE recordnum = ") + QString::number(recordNum);
    if (!readStatement(kInventoryTable, sql)) {
        return false;
    }
    RowToRecord(kInventoryTable);
    return true;
}

std::int32_t RecordLayer::GetInventoryBySL(const QString& code, bool specialCodes) {
    // Codes are stored with apostrophes blanked; look the code up the same way.
    const QString sql = QStringLiteral("SELECT * from ") + registry_[kInventoryTable].tableName +
                        QStringLiteral(" WHERE SL = '") + LiteralBody(SqlSafeText(code, false, 0)) +
                        u'\'';
    if (readStatement(kInventoryTable, sql)) {
        RowToRecord(kInventoryTable);
        return Inventory.RecordNum;
    }
    return specialCodes ? inventory::SpecialCodeNumber(code) : 0;
}

std::int32_t RecordLayer::NextRecordNumber() {
    const QString sql = QStringLiteral("SELECT top 1 * from ") +
                        registry_[kInventoryTable].tableName +
                        QStringLiteral(" ORDER BY RecordNum DESC");
    if (!readStatement(kInventoryTable, sql)) {
        return 11;
    }
    RowToRecord(kInventoryTable);
    // At the very top the number stays put and the unique index refuses the duplicate.
    return Inventory.RecordNum < std::numeric_limits<std::int32_t>::max() ? Inventory.RecordNum + 1
                                                                          : Inventory.RecordNum;
}

std::optional<std::int64_t> RecordLayer::InventoryRowCount() {
    if (!Connected()) {
        return std::nullopt;
    }
    DbError error;
    const std::unique_ptr<RowSet> rs = engine_->openRowSet(
        QStringLiteral("SELECT COUNT(*) FROM ") + registry_[kInventoryTable].tableName, error);
    if (!rs) {
        lastError_ = error;
        return std::nullopt;
    }
    if (rs->recordCount() < 1 || rs->fieldCount() < 1) {
        return 0;
    }
    return rs->value(0).toInteger();
}

}  // namespace qv::db
