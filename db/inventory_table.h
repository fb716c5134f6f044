#pragma once

#include "db/fixed_text.h"
#include "db/record_fields.h"
#include "sql/currency.h"
#include "sql/engine.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <tuple>

namespace qv::db {

// One row of the inventory table ("invt" + store number), field for field in column order.
struct InventoryRecord {
    FixedText<8> SL;
    FixedText<25> ItemID;
    FixedText<30> Description;
    FixedText<20> SubDescription;
    FixedText<1> ReorderFlag;
    FixedText<1> Serialized;
    FixedText<1> HasSold;
    FixedText<15> VendorCode;
    Currency Price;
    Currency Cost;
    float QtyOnHand = 0;
    std::int16_t MinQ = 0;
    std::int32_t MaxQ = 0;
    std::int16_t QTYINPACK = 0;
    FixedText<1> TaxCode;
    FixedText<11> DeptCode;
    FixedText<1> NotUsed;
    std::int16_t OnOrder = 0;
    Currency AvgCost;
    FixedText<1> Notes;
    FixedText<1> Kit;
    FixedText<1> Poll;
    FixedText<1> Scalable;
    FixedText<1> FoodStamp;
    FixedText<8> LinkBreakPack;
    FixedText<8> LinkItem;
    FixedText<8> LinkStock;
    FixedText<1> FlgMatrix;
    FixedText<1> FlgMatrixItem;
    FixedText<1> AllowDiscounts;
    FixedText<20> FLAGS;
    std::int16_t RegionID = 0;
    Currency PriceIncTax;
    FixedText<8> LastSold;
    FixedText<1> Status;
    FixedText<6> VolumetrcUnit;
    FixedText<5> UOM;
    FixedText<30> StoreRef;
    FixedText<8> LocFront;
    FixedText<8> LocBack;
    std::int32_t RecordNum = 0;
    FixedText<1> NonDecrement;
    FixedText<1> FlgPromoPrice;
    FixedText<1> FlgQtyPrice;
    FixedText<1> FlgWebEnable;
    FixedText<1> FlgPriceLevel;
    FixedText<1> FlgQZV;
    FixedText<1> NeverOrder;
    FixedText<5> SaleCommission;
    FixedText<2> Class;
    FixedText<6> PriceFactor;
    Currency Price2;
    std::int16_t UnitsPerUOM = 0;
    std::int32_t QZV1 = 0;
    std::int32_t QZV2 = 0;
    std::int16_t PenLiqorUnit = 0;
    std::int32_t QZV3 = 0;

    // The fields in column order, as references.
    template <class Self>
    static auto tieFields(Self& r) {
        return std::tie(r.SL, r.ItemID, r.Description, r.SubDescription, r.ReorderFlag,
                        r.Serialized, r.HasSold, r.VendorCode, r.Price, r.Cost, r.QtyOnHand, r.MinQ,
                        r.MaxQ, r.QTYINPACK, r.TaxCode, r.DeptCode, r.NotUsed, r.OnOrder, r.AvgCost,
                        r.Notes, r.Kit, r.Poll, r.Scalable, r.FoodStamp, r.LinkBreakPack,
                        r.LinkItem, r.LinkStock, r.FlgMatrix, r.FlgMatrixItem, r.AllowDiscounts,
                        r.FLAGS, r.RegionID, r.PriceIncTax, r.LastSold, r.Status, r.VolumetrcUnit,
                        r.UOM, r.StoreRef, r.LocFront, r.LocBack, r.RecordNum, r.NonDecrement,
                        r.FlgPromoPrice, r.FlgQtyPrice, r.FlgWebEnable, r.FlgPriceLevel, r.FlgQZV,
                        r.NeverOrder, r.SaleCommission, r.Class, r.PriceFactor, r.Price2,
                        r.UnitsPerUOM, r.QZV1, r.QZV2, r.PenLiqorUnit, r.QZV3);
    }

    auto fields() { return tieFields(*this); }
    auto fields() const { return tieFields(*this); }

    friend bool operator==(const InventoryRecord&, const InventoryRecord&) = default;
};

namespace inventory {

inline constexpr int kColumnCount = 57;

// Ordinals of the columns the record layer and its callers name.
enum Column : int {
    colSL = 0,
    colItemID = 1,
    colDescription = 2,
    colSubDescription = 3,
    colVendorCode = 7,
    colCost = 9,
    colQtyOnHand = 10,
    colQTYINPACK = 13,
    colDeptCode = 15,
    colAvgCost = 18,
    colPoll = 21,
    colLinkBreakPack = 24,
    colLinkItem = 25,
    colLocFront = 38,
    colLocBack = 39,
    colStoreRef = 37,
    colRecordNum = 40,
    colFlgQZV = 46,
    colNeverOrder = 47,
    colPriceFactor = 50,
    colQZV1 = 53,
    colQZV2 = 54,
    colPenLiqorUnit = 55,
    colQZV3 = 56,
};

extern const ColumnDef kColumns[kColumnCount];

// "invt" + store number text.
QString TableName(const QString& storeNumberText);
// "Create Table <table> (<57 column definitions>);"
QString CreateStatement(const QString& table);
// The thirteen index statements, each ending in ";", joined.
QString IndexStatements(const QString& table);

// Loads the segments of key 0 to 12 from the record and returns their count; any other key
// number loads nothing and returns -1.
int SetKey(const InventoryRecord& rec, int key, KeySegments& segments);

// Sanitises the record's text fields in place for an insert and returns the VALUES list;
// nothing when a number field holds a value its column cannot keep.
std::optional<QString> RecordValues(InventoryRecord& rec);

// The number a reserved S/L code stands for when no item has it: "~ROA" is 2 and so on;
// "0" is 0 and any other code 999999.
std::int32_t SpecialCodeNumber(const QString& code);

}  // namespace inventory

}  // namespace qv::db
