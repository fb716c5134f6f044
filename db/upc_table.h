#pragma once

#include "db/fixed_text.h"
#include "db/record_fields.h"
#include "sql/engine.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <tuple>

namespace qv::db {

// One row of the UPC table ("UPC" + store number): a bar code tied to an item.
struct UpcRecord {
    FixedText<8> SL;
    FixedText<15> UPC;
    FixedText<30> LABEL;
    FixedText<1> POLL;
    std::int32_t InvUID = 0;  // RecordNum of the inventory row

    auto fields() { return std::tie(SL, UPC, LABEL, POLL, InvUID); }
    auto fields() const { return std::tie(SL, UPC, LABEL, POLL, InvUID); }

    friend bool operator==(const UpcRecord&, const UpcRecord&) = default;
};

namespace upc {

inline constexpr int kColumnCount = 5;
enum Column : int { colSL = 0, colUPC = 1, colLABEL = 2, colPOLL = 3, colInvUID = 4 };

extern const ColumnDef kColumns[kColumnCount];

// "UPC" + store number text.
QString TableName(const QString& storeNumberText);
QString CreateStatement(const QString& table);
// The five index statements, each ending in ";", joined.
QString IndexStatements(const QString& table);

// Loads the segments of key 0 to 4 and returns their count; any other key loads nothing and
// returns -1.
int SetKey(const UpcRecord& rec, int key, KeySegments& segments);

// Sanitises the text fields in place (apostrophes become blanks) and returns the VALUES list.
QString RecordValues(UpcRecord& rec);

}  // namespace upc

}  // namespace qv::db
