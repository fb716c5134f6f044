#include "wizard/item_linker.h"

#include "db/sql_text.h"
#include "lookup/sl_code.h"
#include "settings/vb_text.h"
#include "wizard/sl_create.h"
#include "wizard/uom_list.h"

#include <cmath>

namespace qv {

namespace {

using db::kInventoryTable;
using db::kUpcTable;
namespace op = db::op;

constexpr int kRecordNumKey = 0;
constexpr int kSlKey = 1;
constexpr int kItemIdKey = 2;
constexpr int kUpcInvUidKey = 4;
constexpr int kPriceColumn = 8;  // Price in the inventory table's column order
constexpr int kUomWidth = kUomCodeWidth;

// Tries at inserting a created item whose number or code other stations keep taking.
constexpr int kMaxSaveTries = 5;

// Prices stay well inside what the DECIMAL columns keep.
constexpr std::int64_t kMaxPriceUnits = 9999999999LL;

// Item codes are stored with their apostrophes blanked (the insert does it); the wizard does
// the same before it looks a code up, so that the check sees the code that will be stored.
QString storedItemId(const QString& typed) {
    QString s = typed;
    s.replace(u'\'', u' ');
    return s;
}

std::optional<InputProblem> tooLong(const QString& text, int width, InputProblem::Field field,
                                    const QString& name) {
    if (db::RTrim(text).size() > width) {
        return InputProblem{
            field,
            QStringLiteral("The %1 can be at most %2 characters long.").arg(name).arg(width)};
    }
    return std::nullopt;
}

std::optional<Currency> priceOf(const QString& text) {
    if (text.trimmed().isEmpty()) {
        return Currency();
    }
    const std::optional<Currency> c = Currency::fromText(text);
    if (!c || *c < Currency() || *c > Currency::fromUnits(kMaxPriceUnits)) {
        return std::nullopt;
    }
    return c;
}

}  // namespace

std::optional<std::int16_t> WholeQuantity(const QString& text) {
    const std::optional<double> v = NumericValue(text);
    if (!v || !std::isfinite(*v) || *v != std::floor(*v) || *v < 1 || *v > 32767) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(*v);
}

std::optional<QString> ValidUpc(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() < 5 || t.size() > 15) {
        return std::nullopt;
    }
    for (const QChar c : t) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
    }
    return t;
}

std::optional<InputProblem> CheckLinkedItem(const LinkedItemInput& in) {
    using Field = InputProblem::Field;
    if (auto p = tooLong(in.vendorId, 25, Field::VendorId, QStringLiteral("Vendor ID"))) {
        return p;
    }
    if (auto p = tooLong(in.description, 30, Field::Description, QStringLiteral("description"))) {
        return p;
    }
    if (auto p = tooLong(in.subDescription, 20, Field::SubDescription,
                         QStringLiteral("sub description"))) {
        return p;
    }
    if (!in.upc.trimmed().isEmpty() && !ValidUpc(in.upc)) {
        return InputProblem{Field::Upc,
                            QStringLiteral("A UPC is made of 5 to 15 digits. Please correct it "
                                           "or leave it empty.")};
    }
    if (!priceOf(in.price)) {
        return InputProblem{Field::Price, QStringLiteral("Please enter the price as an amount of "
                                                         "0 or more, for example 12.50.")};
    }
    if (!WholeQuantity(in.quantity)) {
        return InputProblem{Field::Quantity, QStringLiteral("Please enter the quantity as a "
                                                            "whole number from 1 to 32767.")};
    }
    if (auto p = tooLong(in.deptCode, 11, Field::DeptCode, QStringLiteral("department code"))) {
        return p;
    }
    return std::nullopt;
}

QString SlChangedText(const QString& takenSl, const QString& savedSl) {
    const auto shown = [](const QString& sl) { return SlDisplay(sl).remove(u' '); };
    return QStringLiteral("Another station took S/L code ") + shown(takenSl) +
           QStringLiteral(" meanwhile.\r\nThis item was saved as S/L code ") + shown(savedSl) +
           QStringLiteral(" instead.");
}

QString NotSavedText(const db::DbError& error) {
    QString reason;
    switch (error.kind) {
        case db::ErrorKind::ReadOnly:
            reason = QStringLiteral(
                "The store database cannot be written to: its file or its "
                "folder is read-only.");
            break;
        case db::ErrorKind::DiskFull:
            reason = QStringLiteral("The disk that holds the store database is full.");
            break;
        case db::ErrorKind::Damaged:
            reason = QStringLiteral("The store database file is damaged.");
            break;
        default:
            break;
    }
    const QString text = QStringLiteral("Record not saved");
    return reason.isEmpty() ? text : text + QStringLiteral("\r\n") + reason;
}

bool SetRootQtyInPack(db::RecordLayer& layer, std::int16_t packs) {
    db::InventoryRecord copy = layer.Inventory;
    if (!layer.RecordOp(kInventoryTable, op::GetEqual, kSlKey)) {
        layer.Inventory = copy;
        return false;
    }
    layer.Inventory.QTYINPACK = packs;
    const bool ok = layer.RecordOp(kInventoryTable, op::Update, kSlKey);
    if (ok) {
        copy.QTYINPACK = packs;
    }
    layer.Inventory = copy;
    return ok;
}

ItemLinker::ItemLinker(RunValues& run, db::RecordLayer& layer, CountrySettings& country)
    : run_(run), layer_(layer), country_(country) {}

std::optional<ItemLinker::Created> ItemLinker::CreateItem(std::int16_t quantity, ItemKind kind,
                                                          bool caseUpcScanned, CreationLog& log) {
    if (quantity < 1) {
        return std::nullopt;
    }
    const db::InventoryRecord source = layer_.Inventory;
    const std::optional<Currency> cost = source.AvgCost.dividedBy(quantity);
    if (!cost) {
        return std::nullopt;
    }
    Created created;
    created.sl = gfsSLcreate(layer_);
    log.line(QStringLiteral("SL=") + created.sl);
    created.recordNum = layer_.NextRecordNumber();
    log.line(QStringLiteral("INvUID=") + QString::number(created.recordNum));
    layer_.Inventory = source;
    if (layer_.BusyDeclined()) {
        return std::nullopt;  // the reads gave up on a busy database: the numbers mean nothing
    }

    db::InventoryRecord& r = layer_.Inventory;
    r.SL = created.sl;
    r.RecordNum = created.recordNum;
    r.LinkBreakPack = source.SL.str();
    r.LinkItem = QStringLiteral(" ");
    r.FlgQZV = kind == ItemKind::Pack ? QStringLiteral("P") : QStringLiteral("I");
    r.QTYINPACK = quantity;
    r.QtyOnHand = 0;
    r.AvgCost = *cost;
    r.Cost = *cost;

    const QChar mark = kind == ItemKind::Pack ? u'*' : u'/';
    if (caseUpcScanned) {
        r.ItemID = mark + layer_.Upc.UPC.trimmed();
    } else {
        const QString sourceId = source.ItemID.trimmed();
        r.ItemID = sourceId.startsWith(u'*') ? u'/' + sourceId.mid(1) : u'*' + sourceId;
    }

    r.HasSold = QStringLiteral("N");
    r.MaxQ = 0;
    r.MinQ = 0;
    r.OnOrder = 0;
    r.Poll = QStringLiteral("Y");
    r.ReorderFlag = QStringLiteral("N");
    r.Description = QString();
    r.Price = Currency();
    r.UOM = QStringLiteral("0");
    layer_.Upc.SL = created.sl;
    run_.SelectedItemID = created.sl;
    log.line(QStringLiteral("Item Created"));
    return created;
}

bool ItemLinker::VendorIdFree(const QString& vendorId) {
    const db::InventoryRecord copy = layer_.Inventory;
    layer_.Inventory.ItemID = storedItemId(vendorId);
    const bool found = layer_.RecordOp(kInventoryTable, op::GetEqual, kItemIdKey);
    layer_.Inventory = copy;
    return !found;
}

QString ItemLinker::CurrentUpc(std::int32_t recordNum) {
    layer_.Upc.InvUID = recordNum;
    if (!layer_.RecordOp(kUpcTable, op::GetEqual, kUpcInvUidKey)) {
        return {};
    }
    return layer_.Upc.UPC.trimmed();
}

SaveResult ItemLinker::SaveLinkedItem(const LinkedItemInput& in, bool itemChosen) {
    const std::optional<std::int16_t> quantity = WholeQuantity(in.quantity);
    const std::optional<Currency> price = priceOf(in.price);
    const QString upc = in.upc.trimmed();
    if (!quantity || !price || (!upc.isEmpty() && !ValidUpc(upc))) {
        return {};
    }

    db::InventoryRecord& r = layer_.Inventory;
    r.ItemID = storedItemId(in.vendorId);
    r.Description = in.description;
    r.SubDescription = in.subDescription;
    r.DeptCode = in.deptCode;
    r.QTYINPACK = *quantity;
    r.LinkItem = in.depositSl;
    if (country_.IncludeTaxInPrice) {
        if (r.TaxCode.isBlank()) {
            r.TaxCode = QStringLiteral("A");
        }
        const std::optional<Currency> net = country_.PriceWithoutTax(*price, r.TaxCode.str());
        if (!net) {
            return {};
        }
        r.PriceIncTax = *price;
        r.Price = *net;
    } else {
        r.Price = *price;
    }
    r.UOM = in.uomEntry.left(kUomWidth);
    // The link keeps the code exactly as stored (a right-aligned number keeps its blanks).
    if (r.LinkBreakPack.isBlank()) {
        r.LinkBreakPack = in.linkSl;
    }

    const QString current = CurrentUpc(r.RecordNum);

    SaveResult result;
    bool newNumber = false;
    bool newSl = false;
    for (int tries = 1;;) {
        if (!layer_.BeginTransaction()) {
            result.error = layer_.LastError();
            result.outcome = result.error.kind == db::ErrorKind::Busy
                                 ? SaveResult::Outcome::Cancelled
                                 : SaveResult::Outcome::Refused;
            return result;
        }
        if (newNumber || newSl) {
            // Inside the transaction, so that on the embedded engine (which holds the write
            // lock from the start) nobody else can take the new ones before the commit.
            const db::InventoryRecord item = r;
            const QString sl = newSl ? gfsSLcreate(layer_) : item.SL.str();
            const std::int32_t number = newNumber ? layer_.NextRecordNumber() : item.RecordNum;
            r = item;
            r.SL = sl;
            r.RecordNum = number;
            ++result.renumbered;
        }
        std::optional<db::DbError> failed = writeOnce(upc, current, itemChosen);
        if (!failed && !layer_.CommitTransaction()) {
            failed = layer_.LastError();
        }
        if (!failed) {
            break;
        }
        result.error = *failed;
        layer_.RollbackTransaction();
        if (result.error.kind == db::ErrorKind::Busy) {
            if (layer_.AskBusyRetry(result.error)) {
                continue;
            }
            result.outcome = SaveResult::Outcome::Cancelled;
            return result;
        }
        newNumber = !itemChosen && result.error.kind == db::ErrorKind::DuplicateKey &&
                    ItemExists(r.RecordNum);
        newSl =
            !itemChosen && result.error.kind == db::ErrorKind::DuplicateKey && SlTaken(r.SL.str());
        if ((!newNumber && !newSl) || ++tries > kMaxSaveTries) {
            return result;
        }
        if (newSl && result.takenSl.isEmpty()) {
            result.takenSl = r.SL.str();
        }
    }
    result.outcome = SaveResult::Outcome::Saved;
    result.error.clear();
    result.sl = r.SL.str();
    result.recordNum = r.RecordNum;
    layer_.Upc.SL = result.sl;
    if (result.renumbered > 0) {
        run_.SelectedItemID = result.sl;
    }
    return result;
}

bool ItemLinker::SlTaken(const QString& storedSl) {
    const db::InventoryRecord copy = layer_.Inventory;
    layer_.Inventory.SL = storedSl;
    const bool found = layer_.RecordOp(kInventoryTable, op::GetEqual, kSlKey);
    layer_.Inventory = copy;
    return found;
}

std::optional<db::DbError> ItemLinker::writeOnce(const QString& upc, const QString& current,
                                                 bool itemChosen) {
    db::InventoryRecord& r = layer_.Inventory;
    if (!upc.isEmpty() && upc != current) {
        db::UpcRecord u;
        u.UPC = upc;
        u.SL = r.SL.str();
        u.InvUID = r.RecordNum;
        u.POLL = QStringLiteral("Y");
        layer_.Upc = u;
        // A code that another item already has is refused by the table; the item is saved
        // without it. Any other failure stops the save.
        if (!layer_.RecordOp(kUpcTable, op::Insert, 0) &&
            layer_.LastError().kind != db::ErrorKind::DuplicateKey) {
            return layer_.LastError();
        }
    }
    bool written = false;
    if (itemChosen) {
        // Update writes over the current row, which is still the item as it was picked, so a
        // change made meanwhile at another station makes the update fail rather than be lost.
        // Should the row have moved on, the item is read again first.
        bool onItem =
            db::RTrim(layer_.FieldValue(kInventoryTable, db::inventory::colSL).toText()) ==
            r.SL.rtrimmed();
        if (!onItem) {
            const db::InventoryRecord copy = layer_.Inventory;
            onItem = layer_.RecordOp(kInventoryTable, op::GetEqual, kSlKey);
            layer_.Inventory = copy;
            if (!onItem) {
                return db::DbError{-1, QStringLiteral("The item is no longer in the table."),
                                   QStringLiteral("Item linker")};
            }
        }
        written = layer_.RecordOp(kInventoryTable, op::Update, kSlKey);
    } else {
        written = layer_.RecordOp(kInventoryTable, op::Insert, kSlKey);
    }
    return written ? std::nullopt : std::optional<db::DbError>(layer_.LastError());
}

bool ItemLinker::InsertRootUpc(const QString& upc) {
    db::UpcRecord u;
    u.UPC = upc;
    u.SL = layer_.Inventory.SL.str();
    u.POLL = QStringLiteral("Y");
    u.InvUID = layer_.Inventory.RecordNum;
    layer_.Upc = u;
    return layer_.RecordOp(kUpcTable, op::Insert, 0);
}

bool ItemLinker::LinkRoot(const QString& rootSl, std::int32_t packRecordNum,
                          std::int32_t singleRecordNum) {
    layer_.Inventory.SL = rootSl;
    if (!layer_.RecordOp(kInventoryTable, op::GetEqual, kSlKey)) {
        return false;
    }
    layer_.Inventory.FlgQZV = QStringLiteral("R");
    layer_.Inventory.QZV1 = packRecordNum;
    layer_.Inventory.QZV2 = singleRecordNum;
    return layer_.RecordOp(kInventoryTable, op::Update, kSlKey);
}

bool ItemLinker::ItemExists(std::int32_t recordNum) {
    const db::InventoryRecord copy = layer_.Inventory;
    layer_.Inventory.RecordNum = recordNum;
    const bool found = layer_.RecordOp(kInventoryTable, op::GetEqual, kRecordNumKey);
    layer_.Inventory = copy;
    return found;
}

std::int64_t ItemLinker::SetRootDeposit(std::int32_t rootRecordNum, const QString& depositSl) {
    const db::TableSlot* slot = layer_.Slot(kInventoryTable);
    if (!slot) {
        return 0;
    }
    return layer_.ExecuteSql(QStringLiteral("UPDATE ") + slot->tableName +
                             QStringLiteral(" SET LinkItem = '") + db::QuoteRaw(depositSl) +
                             QStringLiteral("'  WHERE recordnum = ") +
                             QString::number(rootRecordNum));
}

QStringList ItemLinker::DepositEntries(const QString& deptCode) {
    QStringList entries{QString::fromLatin1(kNotSelected)};
    const db::TableSlot* slot = layer_.Slot(kInventoryTable);
    if (!slot) {
        return entries;
    }
    QString sql = QStringLiteral("SELECT * FROM ") + slot->tableName +
                  QStringLiteral(" WHERE DeptCode = '") + db::QuoteRaw(deptCode) +
                  QStringLiteral("'");
    if (!layer_.RecordOp(kInventoryTable, op::BySQL, 0, false, false, sql)) {
        return entries;
    }
    db::RowSet* rows = layer_.CurrentRow(kInventoryTable);
    while (rows && !rows->eof()) {
        const db::FixedText<8> sl(rows->value(db::inventory::colSL).toText());
        const db::FixedText<30> description(rows->value(db::inventory::colDescription).toText());
        const Currency price = rows->value(kPriceColumn).toCurrency();
        entries << sl.str() + QStringLiteral("     ") + price.toText(2) + QStringLiteral("\t    ") +
                       description.str();
        rows->moveNext();
    }
    return entries;
}

Currency ItemLinker::DisplayedPrice(const db::InventoryRecord& record) const {
    if (!country_.IncludeTaxInPrice) {
        return record.Price;
    }
    if (!record.PriceIncTax.isZero()) {
        return record.PriceIncTax;
    }
    return country_.PriceWithTax(record.Price, record.TaxCode.str(), QString())
        .value_or(record.Price);
}

}  // namespace qv
