#pragma once

#include "db/record_layer.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace qv {

// Checks made on a bar code where it is typed, before anything is written: a code that
// already belongs to another item would be refused by the UPC table's unique index, and the
// item saved without it, so the user is told at entry instead of at the till.

// The GS1 check digit for the digits that precede it (weights 3 and 1 from the right). Nothing
// when the text is empty or holds anything but digits.
std::optional<int> Gs1CheckDigit(QStringView body);

// For a code of a length that carries a check digit (8 EAN-8, 12 UPC-A, 13 EAN-13,
// 14 GTIN-14): the digit it should end in, when it ends in another. Nothing for a right code
// and for store codes of other lengths. An 8-digit code that is right as a UPC-E (number
// system 0 or 1) is right too.
std::optional<int> WrongCheckDigit(const QString& code);

// When the code is a GTIN-14 case code of an item whose own code is itemCode (a UPC-A, an
// EAN-13 or an EAN-8): its indicator digit, 1 to 8. A case code is the indicator, the item's
// code as a 13-digit number without its check digit, and a check digit of its own; a code
// whose last 13 digits are the item's EAN-13 or UPC-A (as some suppliers print them) is taken
// as one too.
std::optional<int> CaseIndicator(const QString& gtin14, const QString& itemCode);

// The item a code belongs to.
struct UpcHolder {
    QString sl;           // stored form
    QString description;  // trimmed; empty when the UPC row names no item
    std::int32_t recordNum = 0;
};

// Why a typed code cannot be saved as it is, with the box that says so.
struct UpcFinding {
    enum class Kind { InUse, CaseCode, CheckDigit };
    Kind kind;
    int style;  // a box style: OK, or Yes/No with No as default for a doubtful check digit
    QString title;
    QString text;
};

// What else is on screen when a code is checked.
struct UpcContext {
    std::int32_t ownRecordNum = 0;  // the item the code is typed for (0: not known yet)
    // The code typed for the other linked item and that item, when it is on screen.
    QString otherCode;
    UpcHolder otherItem;
    // The root item and its own code, for recognising its case codes.
    UpcHolder root;
    QString rootCode;
};

class UpcChecker {
public:
    explicit UpcChecker(db::RecordLayer& layer) : layer_(layer) {}

    // The item that holds the code, when it is not the item with ownRecordNum. Keeps the
    // shared inventory and UPC records as they were.
    std::optional<UpcHolder> Holder(const QString& upc, std::int32_t ownRecordNum);

    // The first reason not to save the code, in this order: it belongs to another item (in the
    // table or typed for the other linked item), it is a case code of the root, its check digit
    // is wrong. Nothing for a good code, an empty one or one that is not 5 to 15 digits (the
    // save explains those).
    std::optional<UpcFinding> Check(const QString& typed, const UpcContext& context);

private:
    db::RecordLayer& layer_;
};

}  // namespace qv
