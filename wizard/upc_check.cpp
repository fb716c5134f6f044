#include "wizard/upc_check.h"

#include "lookup/sl_code.h"
#include "wizard/item_linker.h"

namespace qv {

namespace {

namespace op = db::op;

constexpr int kRecordNumKey = 0;
constexpr int kUpcCodeKey = 2;

const QString kCrLf = QStringLiteral("\r\n");

bool allDigits(QStringView s) {
    if (s.isEmpty()) {
        return false;
    }
    for (const QChar c : s) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

bool checkDigitRight(QStringView code) {
    const std::optional<int> expected = Gs1CheckDigit(code.chopped(1));
    return expected && *expected == code.back().digitValue();
}

// A UPC-E code stands for a UPC-A with zeros put back; its check digit is the UPC-A's.
std::optional<QString> upcEExpanded(QStringView code) {
    if (code.size() != 8 || (code.front() != u'0' && code.front() != u'1')) {
        return std::nullopt;
    }
    const QString d = code.mid(1, 6).toString();
    const QString system = code.first(1).toString();
    const QString check = code.last(1).toString();
    QString body;
    switch (d.at(5).digitValue()) {
        case 0:
        case 1:
        case 2:
            body = d.left(2) + d.at(5) + QStringLiteral("0000") + d.mid(2, 3);
            break;
        case 3:
            body = d.left(3) + QStringLiteral("00000") + d.mid(3, 2);
            break;
        case 4:
            body = d.left(4) + QStringLiteral("00000") + d.at(4);
            break;
        default:
            body = d.left(5) + QStringLiteral("0000") + d.at(5);
            break;
    }
    return system + body + check;
}

// The item's code as a GTIN-13 without its check digit: what a case code carries after its
// indicator.
std::optional<QString> gtin13Body(const QString& itemCode) {
    const QString code = itemCode.trimmed();
    if (!allDigits(code) || (code.size() != 8 && code.size() != 12 && code.size() != 13)) {
        return std::nullopt;
    }
    return code.rightJustified(13, u'0').chopped(1);
}

QString named(const UpcHolder& item) {
    QString text = QStringLiteral("S/L ") + SlDisplay(item.sl).trimmed();
    if (!item.description.isEmpty()) {
        text += u' ' + item.description;
    }
    return text;
}

UpcFinding inUse(const QString& code, const QString& how, const UpcHolder& holder) {
    return {UpcFinding::Kind::InUse, box::Ok, QStringLiteral("UPC in Use"),
            QStringLiteral("The UPC ") + code + how + named(holder) + u'.' + kCrLf +
                QStringLiteral("A UPC can be on one item only: please enter another one or "
                               "leave the box empty.")};
}

}  // namespace

std::optional<int> Gs1CheckDigit(QStringView body) {
    if (!allDigits(body)) {
        return std::nullopt;
    }
    int sum = 0;
    int weight = 3;
    for (qsizetype i = body.size() - 1; i >= 0; --i) {
        sum += body.at(i).digitValue() * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

std::optional<int> WrongCheckDigit(const QString& typed) {
    const QString code = typed.trimmed();
    const qsizetype n = code.size();
    if (!allDigits(code) || (n != 8 && n != 12 && n != 13 && n != 14)) {
        return std::nullopt;
    }
    if (checkDigitRight(code)) {
        return std::nullopt;
    }
    if (const std::optional<QString> upcA = upcEExpanded(code); upcA && checkDigitRight(*upcA)) {
        return std::nullopt;
    }
    return Gs1CheckDigit(QStringView(code).chopped(1));
}

std::optional<int> CaseIndicator(const QString& gtin14, const QString& itemCode) {
    const QString code = gtin14.trimmed();
    const std::optional<QString> body = gtin13Body(itemCode);
    if (code.size() != 14 || !allDigits(code) || !body) {
        return std::nullopt;
    }
    const int indicator = code.front().digitValue();
    if (indicator < 1 || indicator > 8) {
        return std::nullopt;
    }
    const bool carriesBody = code.mid(1, 12) == *body && checkDigitRight(code);
    const bool carriesCode = code.right(13) == itemCode.trimmed().rightJustified(13, u'0');
    if (!carriesBody && !carriesCode) {
        return std::nullopt;
    }
    return indicator;
}

std::optional<UpcHolder> UpcChecker::Holder(const QString& upc, std::int32_t ownRecordNum) {
    const db::UpcRecord upcCopy = layer_.Upc;
    const db::InventoryRecord itemCopy = layer_.Inventory;
    std::optional<UpcHolder> holder;
    layer_.Upc.UPC = upc.trimmed();
    if (layer_.RecordOp(db::kUpcTable, op::GetEqual, kUpcCodeKey) &&
        layer_.Upc.InvUID != ownRecordNum) {
        holder = UpcHolder{layer_.Upc.SL.str(), QString(), layer_.Upc.InvUID};
        layer_.Inventory.RecordNum = layer_.Upc.InvUID;
        if (layer_.RecordOp(db::kInventoryTable, op::GetEqual, kRecordNumKey)) {
            holder->sl = layer_.Inventory.SL.str();
            holder->description = layer_.Inventory.Description.trimmed();
        }
    }
    layer_.Upc = upcCopy;
    layer_.Inventory = itemCopy;
    return holder;
}

std::optional<UpcFinding> UpcChecker::Check(const QString& typed, const UpcContext& context) {
    const std::optional<QString> code = ValidUpc(typed);
    if (!code) {
        return std::nullopt;
    }
    if (const std::optional<UpcHolder> holder = Holder(*code, context.ownRecordNum)) {
        return inUse(*code, QStringLiteral(" already belongs to "), *holder);
    }
    if (!context.otherCode.trimmed().isEmpty() && context.otherCode.trimmed() == *code) {
        return inUse(*code, QStringLiteral(" is already typed for "), context.otherItem);
    }
    if (const std::optional<int> indicator = CaseIndicator(*code, context.rootCode)) {
        return UpcFinding{
            UpcFinding::Kind::CaseCode, box::Ok, QStringLiteral("UPC in Use"),
            QStringLiteral("The UPC ") + *code + QStringLiteral(" is a case code (indicator ") +
                QString::number(*indicator) + QStringLiteral(") of the root item ") +
                named(context.root) + QStringLiteral(": a scan of it sells the whole case.") +
                kCrLf +
                QStringLiteral("Please enter this item's own UPC, or leave the box empty.")};
    }
    if (const std::optional<int> digit = WrongCheckDigit(*code)) {
        return UpcFinding{UpcFinding::Kind::CheckDigit, box::YesNo + box::DefaultSecond,
                          QStringLiteral("Check Digit"),
                          QStringLiteral("The check digit should be ") + QString::number(*digit) +
                              QStringLiteral(". Save it anyway?")};
    }
    return std::nullopt;
}

}  // namespace qv
