#pragma once

#include <QString>
#include <QStringList>

// The statements that create the store tables, as the record layer sends them, for the engine
// tests: the inventory table (57 columns, 13 indexes) and the UPC table (5 indexes). The index
// lists are written with %1 for the table and '|' between statements.
namespace qv::test::schema {

inline QString inventoryCreate(const QString& table) {
    return QStringLiteral("Create Table ") + table + QStringLiteral(" (") +
           QString::fromLatin1(
               "SL CHAR (8) NOT NULL DEFAULT ' ', ItemID CHAR (25) NOT NULL DEFAULT ' ', "
               "Description CHAR (30) DEFAULT ' ', SubDescription CHAR (20) DEFAULT ' ', "
               "ReorderFlag CHAR (1) DEFAULT ' ', Serialized CHAR (1) DEFAULT ' ', "
               "HasSold CHAR (1) DEFAULT ' ', VendorCode CHAR (15) DEFAULT ' ', "
               "Price DECIMAL (18,4), Cost DECIMAL (18,4), QtyOnHand DECIMAL (18,4), "
               "MinQ SMALLINT, MaxQ INT, QTYINPACK SMALLINT, TaxCode CHAR (1) DEFAULT ' ', "
               "DeptCode CHAR (11) DEFAULT ' ', NotUsed CHAR (1) DEFAULT ' ', OnOrder SMALLINT, "
               "AvgCost DECIMAL (18,4), Notes CHAR (1) DEFAULT ' ', Kit CHAR (1) DEFAULT ' ', "
               "Poll CHAR (1) DEFAULT ' ', Scalable CHAR(1) DEFAULT ' ', "
               "FoodStamp CHAR(1) DEFAULT ' ', LinkBreakPack CHAR(8) DEFAULT ' ', "
               "LinkItem CHAR(8) DEFAULT ' ', LinkStock CHAR(8) DEFAULT ' ', "
               "FlgMatrix CHAR(1) DEFAULT ' ', FlgMatrixItem CHAR(1) DEFAULT ' ', "
               "AllowDiscounts CHAR(1) DEFAULT ' ', FLAGS CHAR(20) DEFAULT ' ', RegionID SMALLINT, "
               "PriceIncTax DECIMAL(18,2), LastSold CHAR(8) DEFAULT ' ', "
               "Status CHAR(1) DEFAULT ' ', VolumetrcUnit CHAR(6) DEFAULT ' ', "
               "UOM CHAR(5) DEFAULT ' ', StoreRef CHAR(30) DEFAULT ' ', "
               "LocFront CHAR(8) DEFAULT ' ', LocBack CHAR(8) DEFAULT ' ', RecordNum INTEGER, "
               "NonDecrement CHAR(1) DEFAULT ' ', FlgPromoPrice CHAR(1) DEFAULT ' ', "
               "FlgQtyPrice CHAR(1) DEFAULT ' ', FlgWebEnable CHAR(1) DEFAULT ' ', "
               "FlgPriceLevel CHAR(1) DEFAULT ' ', FlgQZV CHAR(1) DEFAULT ' ', "
               "NeverOrder CHAR(1) DEFAULT ' ', SaleCommission CHAR(5) DEFAULT ' ', "
               "Class CHAR(2) DEFAULT ' ', PriceFactor CHAR(6) DEFAULT ' ', Price2 DECIMAL (18,4), "
               "UnitsPerUOM SMALLINT, QZV1 INTEGER, QZV2 INTEGER, PenLiqorUnit SMALLINT DEFAULT 0, "
               "QZV3 INTEGER DEFAULT 0") +
           QStringLiteral(");");
}

inline QStringList inventoryIndexes(const QString& t) {
    return QStringLiteral(
               "Create UNIQUE CLUSTERED Index idx_0 On %1(RecordNum);|"
               "Create UNIQUE  Index idx_1 On %1(SL);|Create UNIQUE  Index idx_2 On %1(ItemID);|"
               "Create UNIQUE  Index idx_3 On %1(Description, SL);|"
               "Create UNIQUE  Index idx_4 On %1(SubDescription, SL);|"
               "Create UNIQUE Index idx_5 On %1(VendorCode, SL);|"
               "Create UNIQUE Index idx_6 On %1(VendorCode, ItemID);|"
               "Create Index idx_7 On %1(VendorCode, Description);|"
               "Create UNIQUE Index idx_8 On %1(DeptCode, ItemID);|"
               "Create Index idx_9 On %1(PriceFactor, Description);|"
               "Create UNIQUE Index idx_10 on %1(LocFront, RecordNum);|"
               "Create UNIQUE Index idx_11 on %1(LocBack, RecordNum);|"
               "Create UNIQUE Index idx_12 on %1(Poll, RecordNum);")
        .arg(t)
        .split(u'|');
}

inline QString upcCreate(const QString& table) {
    return QStringLiteral("Create Table ") + table +
           QStringLiteral(
               " (SL CHAR (8) NOT NULL, UPC CHAR (15) NOT NULL, LABEL CHAR (30), "
               "POLL CHAR (1),InvUID INTEGER);");
}

inline QStringList upcIndexes(const QString& t) {
    return QStringLiteral(
               "Create Index idx_0 On %1(SL);|Create UNIQUE  CLUSTERED Index idx_1 On %1(UPC, SL);|"
               "Create UNIQUE Index idx_2 On %1(UPC);|Create Index idx_3 On %1(Poll);|"
               "Create Index idx_4 On %1(InvUID);")
        .arg(t)
        .split(u'|');
}

}  // namespace qv::test::schema
