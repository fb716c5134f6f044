#pragma once

#include <QString>
#include <QStringList>

// The statements that create the store tables, as the record layer sends them, for the engine
// tests: the inventory table (57 columns, 13 indexes) and the UPC table (5 indexes).
namespace qv::test::schema {

inline QString inventoryCreate(const QString& table) {
    static const char* const kColumns[] = {"SL CHAR (8) NOT NULL DEFAULT ' '",
                                           "ItemID CHAR (25) NOT NULL DEFAULT ' '",
                                           "Description CHAR (30) DEFAULT ' '",
                                           "SubDescription CHAR (20) DEFAULT ' '",
                                           "ReorderFlag CHAR (1) DEFAULT ' '",
                                           "Serialized CHAR (1) DEFAULT ' '",
                                           "HasSold CHAR (1) DEFAULT ' '",
                                           "VendorCode CHAR (15) DEFAULT ' '",
                                           "Price DECIMAL (18,4)",
                                           "Cost DECIMAL (18,4)",
                                           "QtyOnHand DECIMAL (18,4)",
                                           "MinQ SMALLINT",
                                           "MaxQ INT",
                                           "QTYINPACK SMALLINT",
                                           "TaxCode CHAR (1) DEFAULT ' '",
                                           "DeptCode CHAR (11) DEFAULT ' '",
                                           "NotUsed CHAR (1) DEFAULT ' '",
                                           "OnOrder SMALLINT",
                                           "AvgCost DECIMAL (18,4)",
                                           "Notes CHAR (1) DEFAULT ' '",
                                           "Kit CHAR (1) DEFAULT ' '",
                                           "Poll CHAR (1) DEFAULT ' '",
                                           "Scalable CHAR(1) DEFAULT ' '",
                                           "FoodStamp CHAR(1) DEFAULT ' '",
                                           "LinkBreakPack CHAR(8) DEFAULT ' '",
                                           "LinkItem CHAR(8) DEFAULT ' '",
                                           "LinkStock CHAR(8) DEFAULT ' '",
                                           "FlgMatrix CHAR(1) DEFAULT ' '",
                                           "FlgMatrixItem CHAR(1) DEFAULT ' '",
                                           "AllowDiscounts CHAR(1) DEFAULT ' '",
                                           "FLAGS CHAR(20) DEFAULT ' '",
                                           "RegionID SMALLINT",
                                           "PriceIncTax DECIMAL(18,2)",
                                           "LastSold CHAR(8) DEFAULT ' '",
                                           "Status CHAR(1) DEFAULT ' '",
                                           "VolumetrcUnit CHAR(6) DEFAULT ' '",
                                           "UOM CHAR(5) DEFAULT ' '",
                                           "StoreRef CHAR(30) DEFAULT ' '",
                                           "LocFront CHAR(8) DEFAULT ' '",
                                           "LocBack CHAR(8) DEFAULT ' '",
                                           "RecordNum INTEGER",
                                           "NonDecrement CHAR(1) DEFAULT ' '",
                                           "FlgPromoPrice CHAR(1) DEFAULT ' '",
                                           "FlgQtyPrice CHAR(1) DEFAULT ' '",
                                           "FlgWebEnable CHAR(1) DEFAULT ' '",
                                           "FlgPriceLevel CHAR(1) DEFAULT ' '",
                                           "FlgQZV CHAR(1) DEFAULT ' '",
                                           "NeverOrder CHAR(1) DEFAULT ' '",
                                           "SaleCommission CHAR(5) DEFAULT ' '",
                                           "Class CHAR(2) DEFAULT ' '",
                                           "PriceFactor CHAR(6) DEFAULT ' '",
                                           "Price2 DECIMAL (18,4)",
                                           "UnitsPerUOM SMALLINT",
                                           "QZV1 INTEGER",
                                           "QZV2 INTEGER",
                                           "PenLiqorUnit SMALLINT DEFAULT 0",
                                           "QZV3 INTEGER DEFAULT 0"};
    QStringList columns;
    for (const char* c : kColumns) {
        columns.append(QString::fromLatin1(c));
    }
    return QStringLiteral("Create Table ") + table + QStringLiteral(" (") +
           columns.join(QStringLiteral(", ")) + QStringLiteral(");");
}

inline QStringList inventoryIndexes(const QString& t) {
    return {
        QStringLiteral("Create UNIQUE CLUSTERED Index idx_0 On ") + t +
            QStringLiteral("(RecordNum);"),
        QStringLiteral("Create UNIQUE  Index idx_1 On ") + t + QStringLiteral("(SL);"),
        QStringLiteral("Create UNIQUE  Index idx_2 On ") + t + QStringLiteral("(ItemID);"),
        QStringLiteral("Create UNIQUE  Index idx_3 On ") + t + QStringLiteral("(Description, SL);"),
        QStringLiteral("Create UNIQUE  Index idx_4 On ") + t +
            QStringLiteral("(SubDescription, SL);"),
        QStringLiteral("Create UNIQUE Index idx_5 On ") + t + QStringLiteral("(VendorCode, SL);"),
        QStringLiteral("Create UNIQUE Index idx_6 On ") + t +
            QStringLiteral("(VendorCode, ItemID);"),
        QStringLiteral("Create Index idx_7 On ") + t + QStringLiteral("(VendorCode, Description);"),
        QStringLiteral("Create UNIQUE Index idx_8 On ") + t + QStringLiteral("(DeptCode, ItemID);"),
        QStringLiteral("Create Index idx_9 On ") + t +
            QStringLiteral("(PriceFactor, Description);"),
        QStringLiteral("Create UNIQUE Index idx_10 on ") + t +
            QStringLiteral("(LocFront, RecordNum);"),
        QStringLiteral("Create UNIQUE Index idx_11 on ") + t +
            QStringLiteral("(LocBack, RecordNum);"),
        QStringLiteral("Create UNIQUE Index idx_12 on ") + t + QStringLiteral("(Poll, RecordNum);"),
    };
}

inline QString upcCreate(const QString& table) {
    return QStringLiteral("Create Table ") + table + QStringLiteral(" (") +
           QStringLiteral("SL CHAR (8) NOT NULL, ") + QStringLiteral("UPC CHAR (15) NOT NULL, ") +
           QStringLiteral("LABEL CHAR (30), ") + QStringLiteral("POLL CHAR (1),") +
           QStringLiteral("InvUID INTEGER") + QStringLiteral(");");
}

inline QStringList upcIndexes(const QString& t) {
    return {
        QStringLiteral("Create Index idx_0 On ") + t + QStringLiteral("(SL);"),
        QStringLiteral("Create UNIQUE  CLUSTERED Index idx_1 On ") + t +
            QStringLiteral("(UPC, SL);"),
        QStringLiteral("Create UNIQUE Index idx_2 On ") + t + QStringLiteral("(UPC);"),
        QStringLiteral("Create Index idx_3 On ") + t + QStringLiteral("(Poll);"),
        QStringLiteral("Create Index idx_4 On ") + t + QStringLiteral("(InvUID);"),
    };
}

}  // namespace qv::test::schema
