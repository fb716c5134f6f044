#include "db/inventory_table.h"

#include "db/sql_text.h"

#include <QStringList>

namespace qv::db::inventory {

namespace {
constexpr ColumnKind T = ColumnKind::Text;
constexpr ColumnKind D = ColumnKind::Decimal;
constexpr ColumnKind I = ColumnKind::Integer;
}  // namespace

constexpr ColumnDef kColumns[kColumnCount] = {
    {u"SL", u"CHAR (8) NOT NULL DEFAULT ' '", T, 8},
    {u"ItemID", u"CHAR (25) NOT NULL DEFAULT ' '", T, 25},
    {u"Description", u"CHAR (30) DEFAULT ' '", T, 30},
    {u"SubDescription", u"CHAR (20) DEFAULT ' '", T, 20},
    {u"ReorderFlag", u"CHAR (1) DEFAULT ' '", T, 1},
    {u"Serialized", u"CHAR (1) DEFAULT ' '", T, 1},
    {u"HasSold", u"CHAR (1) DEFAULT ' '", T, 1},
    {u"VendorCode", u"CHAR (15) DEFAULT ' '", T, 15},
    {u"Price", u"DECIMAL (18,4)", D, 0},
    {u"Cost", u"DECIMAL (18,4)", D, 0},
    {u"QtyOnHand", u"DECIMAL (18,4)", D, 0},
    {u"MinQ", u"SMALLINT", I, 0},
    {u"MaxQ", u"INT", I, 0},
    {u"QTYINPACK", u"SMALLINT", I, 0},
    {u"TaxCode", u"CHAR (1) DEFAULT ' '", T, 1},
    {u"DeptCode", u"CHAR (11) DEFAULT ' '", T, 11},
    {u"NotUsed", u"CHAR (1) DEFAULT ' '", T, 1},
    {u"OnOrder", u"SMALLINT", I, 0},
    {u"AvgCost", u"DECIMAL (18,4)", D, 0},
    {u"Notes", u"CHAR (1) DEFAULT ' '", T, 1},
    {u"Kit", u"CHAR (1) DEFAULT ' '", T, 1},
    {u"Poll", u"CHAR (1) DEFAULT ' '", T, 1},
    {u"Scalable", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"FoodStamp", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"LinkBreakPack", u"CHAR(8) DEFAULT ' '", T, 8},
    {u"LinkItem", u"CHAR(8) DEFAULT ' '", T, 8},
    {u"LinkStock", u"CHAR(8) DEFAULT ' '", T, 8},
    {u"FlgMatrix", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"FlgMatrixItem", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"AllowDiscounts", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"FLAGS", u"CHAR(20) DEFAULT ' '", T, 20},
    {u"RegionID", u"SMALLINT", I, 0},
    {u"PriceIncTax", u"DECIMAL(18,2)", D, 0},
    {u"LastSold", u"CHAR(8) DEFAULT ' '", T, 8},
    {u"Status", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"VolumetrcUnit", u"CHAR(6) DEFAULT ' '", T, 6},
    {u"UOM", u"CHAR(5) DEFAULT ' '", T, 5},
    {u"StoreRef", u"CHAR(30) DEFAULT ' '", T, 30},
    {u"LocFront", u"CHAR(8) DEFAULT ' '", T, 8},
    {u"LocBack", u"CHAR(8) DEFAULT ' '", T, 8},
    {u"RecordNum", u"INTEGER", I, 0},
    {u"NonDecrement", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"FlgPromoPrice", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"FlgQtyPrice", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"FlgWebEnable", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"FlgPriceLevel", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"FlgQZV", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"NeverOrder", u"CHAR(1) DEFAULT ' '", T, 1},
    {u"SaleCommission", u"CHAR(5) DEFAULT ' '", T, 5},
    {u"Class", u"CHAR(2) DEFAULT ' '", T, 2},
    {u"PriceFactor", u"CHAR(6) DEFAULT ' '", T, 6},
    {u"Price2", u"DECIMAL (18,4)", D, 0},
    {u"UnitsPerUOM", u"SMALLINT", I, 0},
    {u"QZV1", u"INTEGER", I, 0},
    {u"QZV2", u"INTEGER", I, 0},
    {u"PenLiqorUnit", u"SMALLINT DEFAULT 0", I, 0},
    {u"QZV3", u"INTEGER DEFAULT 0", I, 0},
};

static_assert(fieldsMatchColumns<decltype(std::declval<InventoryRecord&>().fields())>(kColumns),
              "InventoryRecord must list one field of the right type per column");

QString TableName(const QString& storeNumberText) {
    return QStringLiteral("invt") + storeNumberText;
}

QString CreateStatement(const QString& table) {
    QStringList defs;
    for (const ColumnDef& c : kColumns) {
        defs << QString::fromUtf16(c.name) + u' ' + QString::fromUtf16(c.definition);
    }
    return QStringLiteral("Create Table ") + table + QStringLiteral(" (") +
           defs.join(QStringLiteral(", ")) + QStringLiteral(");");
}

QString IndexStatements(const QString& table) {
    struct Index {
        const char16_t* start;
        const char16_t* columns;
    };
    static constexpr Index kIndexes[] = {
        {u"Create UNIQUE CLUSTERED Index idx_0 On ", u"(RecordNum);"},
        {u"Create UNIQUE  Index idx_1 On ", u"(SL);"},
        {u"Create UNIQUE  Index idx_2 On ", u"(ItemID);"},
        {u"Create UNIQUE  Index idx_3 On ", u"(Description, SL);"},
        {u"Create UNIQUE  Index idx_4 On ", u"(SubDescription, SL);"},
        {u"Create UNIQUE Index idx_5 On ", u"(VendorCode, SL);"},
        {u"Create UNIQUE Index idx_6 On ", u"(VendorCode, ItemID);"},
        {u"Create Index idx_7 On ", u"(VendorCode, Description);"},
        {u"Create UNIQUE Index idx_8 On ", u"(DeptCode, ItemID);"},
        {u"Create Index idx_9 On ", u"(PriceFactor, Description);"},
        {u"Create UNIQUE Index idx_10 on ", u"(LocFront, RecordNum);"},
        {u"Create UNIQUE Index idx_11 on ", u"(LocBack, RecordNum);"},
        {u"Create UNIQUE Index idx_12 on ", u"(Poll, RecordNum);"},
    };
    QString out;
    for (const Index& i : kIndexes) {
        out += QString::fromUtf16(i.start) + table + QString::fromUtf16(i.columns);
    }
    return out;
}

int SetKey(const InventoryRecord& rec, int key, KeySegments& k) {
    const auto text = [&](int seg, int ordinal, QStringView value) {
        k.ordinal[seg - 1] = static_cast<std::int16_t>(ordinal);
        k.value[seg - 1] = TextSegment(value, seg);
    };
    const auto number = [&](int seg, int ordinal, std::int32_t value) {
        k.ordinal[seg - 1] = static_cast<std::int16_t>(ordinal);
        k.value[seg - 1] = Value::integer(value);
    };
    const QString itemId = LTrim(rec.ItemID.str());
    switch (key) {
        case 0:
            number(1, colRecordNum, rec.RecordNum);
            return 1;
        case 1:
            text(1, colSL, rec.SL.str());
            return 1;
        case 2:
            text(1, colItemID, itemId);
            return 1;
        case 3:
            text(1, colDescription, rec.Description.str());
            text(2, colSL, rec.SL.str());
            return 2;
        case 4:
            text(1, colSubDescription, rec.SubDescription.str());
            text(2, colSL, rec.SL.str());
            return 2;
        case 5:
            text(1, colVendorCode, rec.VendorCode.str());
            text(2, colDescription, rec.Description.str());
            return 2;
        case 6:
            text(1, colVendorCode, rec.VendorCode.str());
            text(2, colSL, rec.SL.str());
            return 2;
        case 7:
            text(1, colVendorCode, rec.VendorCode.str());
            text(2, colItemID, itemId);
            return 2;
        case 8:
            text(1, colDeptCode, rec.DeptCode.str());
            text(2, colItemID, itemId);
            return 2;
        case 9:
            text(1, colPriceFactor, rec.PriceFactor.str());
            text(2, colDescription, rec.Description.str());
            return 2;
        case 10:
            text(1, colLocBack, rec.LocBack.str());
            number(2, colRecordNum, rec.RecordNum);
            return 2;
        case 11:
            text(1, colLocFront, rec.LocFront.str());
            number(2, colRecordNum, rec.RecordNum);
            return 2;
        case 12:
            text(1, colPoll, rec.Poll.str());
            number(2, colRecordNum, rec.RecordNum);
            return 2;
        default:
            return -1;
    }
}

namespace {

// A description keeps its apostrophes (doubled) while the doubled text still fits the field;
// one that fills the field, or would no longer fit, gets blanks instead, so the field never
// loses a character to the cut.
template <int N>
void sanitiseDescription(FixedText<N>& field) {
    if (!field.isFull()) {
        const QString doubled = SqlSafeText(field.str(), true, N);
        if (doubled.size() <= N) {
            field = doubled;
            return;
        }
    }
    field = SqlSafeText(field.str(), false, 0);
}

}  // namespace

std::optional<QString> RecordValues(InventoryRecord& rec) {
    if (!fieldProblem(rec.fields(), kColumns).isEmpty()) {
        return std::nullopt;
    }
    QStringList values;
    values.reserve(kColumnCount);
    forEachField(rec.fields(), [&](int ordinal, auto& field) {
        using F = std::remove_cvref_t<decltype(field)>;
        if constexpr (IsFixedText<F>::value) {
            if (ordinal == colStoreRef) {
                values << u'\'' + QuoteRaw(field.str()) + u'\'';
                return;
            }
            if (ordinal == colDescription || ordinal == colSubDescription) {
                sanitiseDescription(field);
            } else {
                field = SqlSafeText(field.str(), false, 0);
            }
            values << u'\'' + LiteralBody(field.str()) + u'\'';
        } else {
            values << *numberSqlText(field, kColumns[ordinal].kind);
        }
    });
    return values.join(u',');
}

std::int32_t SpecialCodeNumber(const QString& code) {
    static const struct {
        const char16_t* code;
        std::int32_t number;
    } kCodes[] = {
        {u"~NONSTK", 1}, {u"~ROA", 2},     {u"~ROAL", 3},   {u"~DISCNT", 4},
        {u"~PAYROL", 5}, {u"~POUT", 6},    {u"~VCOUPN", 7}, {u"~SCOUPN", 8},
        {u"~VDSCNT", 9}, {u"~ROALTX", 10}, {u"~DPOUT", -1}, {u"0", 0},
    };
    const QString trimmed = LTrim(RTrim(code));
    for (const auto& c : kCodes) {
        if (trimmed == QStringView(c.code)) {
            return c.number;
        }
    }
    return 999999;
}

}  // namespace qv::db::inventory
