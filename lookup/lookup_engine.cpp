#include "lookup/lookup_engine.h"

#include "db/record_layer.h"
#include "db/sql_text.h"
#include "lookup/sl_code.h"
#include "settings/text_helpers.h"
#include "settings/vb_text.h"
#include "sql/sqlite/sqlite_collation.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace qv {

using db::InventoryRecord;
using db::UpcRecord;
namespace inv = db::inventory;

namespace {

constexpr int kDefinedColumns = 10;
constexpr int kGridColumns = 11;
constexpr int kHeaderRowHeight = 700;
constexpr int kDisplayOnlyOffset = 6;

// Items the lookup lists: not deleted.
const QString kListed = QStringLiteral("Status<>'D'");

enum class Ordering { ByKey, ByUpc, DisplayOnly, BySql };

struct SortRow {
    const char16_t* label;
    const char16_t* field;
    std::int16_t key;
    Ordering ordering;
};

// By column offset.
constexpr SortRow kSortTable[kDefinedColumns] = {
    {u"--Description", u"Description", 3, Ordering::ByKey},
    {u"--SubDescription", u"SubDescription", 4, Ordering::ByKey},
    {u"--SL", u"SL", 1, Ordering::ByKey},
    {u"--Item ID", u"ItemID", 2, Ordering::ByKey},
    {u"--UPC", u"UPC", 2, Ordering::ByUpc},
    {u"--Dept Code", u"DeptCode", 8, Ordering::ByKey},
    {nullptr, nullptr, 0, Ordering::DisplayOnly},
    {u"---Vendor", u"VendorCode", 6, Ordering::ByKey},
    {u"--Quantity", u"QtyOnHand", 3, Ordering::BySql},
    {u"--Price", u"Price", 3, Ordering::BySql},
};

// A text value as a statement literal, exactly as stored (trailing blanks do not count in a
// comparison).
QString literal(const QString& value) {
    return u'\'' + db::QuoteRaw(db::RTrim(value)) + u'\'';
}

// Rank of a character in the order the database sorts text by.
int sortWeight(QChar c) {
    if (c.isNull()) {
        return -1;
    }
    if (c.unicode() < 0x80) {
        return db::msciWeight(static_cast<unsigned char>(c.unicode()));
    }
    return 0x100 + c.unicode();
}

QChar firstChar(const QString& s) {
    return s.isEmpty() ? QChar() : s.at(0);
}

bool isDeleted(const InventoryRecord& rec) {
    return rec.Status.str().startsWith(u'D');
}

bool upcWithdrawn(const QString& poll) {
    return poll.startsWith(u'D') || poll.startsWith(u'I');
}

// A field of the record as text: text fields as stored, numbers as the suite writes them.
QString fieldText(const InventoryRecord& rec, int ordinal) {
    QString out;
    db::visitField(rec.fields(), ordinal, [&](const auto& f) {
        using T = std::remove_cvref_t<decltype(f)>;
        if constexpr (db::IsFixedText<T>::value) {
            out = f.str();
        } else if constexpr (std::is_same_v<T, Currency>) {
            out = f.toText(4);
        } else if constexpr (std::is_same_v<T, float>) {
            out = QString::number(static_cast<double>(f), 'g', 7).replace(u'e', u'E');
        } else {
            out = QString::number(f);
        }
    });
    return out;
}

// "##.00": two decimals, no zero before the point.
QString twoDecimals(const QString& fixed) {
    if (fixed.startsWith(QStringLiteral("0."))) {
        return fixed.mid(1);
    }
    if (fixed.startsWith(QStringLiteral("-0."))) {
        return u'-' + fixed.mid(2);
    }
    return fixed;
}

class BusyGuard {
public:
    explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyGuard() { flag_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

QString MoneyCellText(double value) {
    if (!std::isfinite(value)) {
        return QStringLiteral(".00");
    }
    const double rounded = RoundHalfAway(value, 2);
    QString fixed = QString::number(rounded, 'f', 2);
    if (fixed == QStringLiteral("-0.00")) {
        fixed = QStringLiteral("0.00");
    }
    return twoDecimals(fixed);
}

QString MoneyCellText(const QString& valueText) {
    QString t = valueText.trimmed();
    const qsizetype dollar = t.indexOf(u'$');
    if (dollar >= 0) {
        t = t.mid(dollar + 1);
    }
    const bool negative = t.endsWith(u')');
    if (t.startsWith(u'(')) {
        t.remove(0, 1);
    }
    double v = Val(t);
    if (negative) {
        v = -v;
    }
    return MoneyCellText(v);
}

QString LikeContainsText(const QString& typed) {
    QString out;
    out.reserve(typed.size() + 8);
    for (const QChar c : typed) {
        switch (c.unicode()) {
            case u'\'':
                out += QStringLiteral("''");
                break;
            case u'%':
                out += QStringLiteral("[%]");
                break;
            case u'_':
                out += QStringLiteral("[_]");
                break;
            case u'[':
                out += QStringLiteral("[[]");
                break;
            case 0:
                out += u' ';
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

LookupEngine::LookupEngine(LookupContext context) : ctx_(context), s_(context.session) {}

void LookupEngine::message(const QString& text, const QString& title) {
    ctx_.services.boxes.show(box::Ok, title.isEmpty() ? ctx_.services.app.productName : title,
                             text);
}

QString LookupEngine::inventoryTable() const {
    const db::TableSlot* slot = ctx_.layer.Slot(db::kInventoryTable);
    return slot ? slot->tableName : QString();
}

QString LookupEngine::upcTable() const {
    const db::TableSlot* slot = ctx_.layer.Slot(db::kUpcTable);
    return slot ? slot->tableName : QString();
}

// --- column set ----------------------------------------------------------------------------

bool LookupEngine::SetUpInventoryColumns() {
    s_.selectOffset = 0;
    s_.gridColumns = kGridColumns;
    const std::int16_t priceOrdinal = ctx_.country.IncludeTaxInPrice ? 32 : 8;
    using namespace column_kind;
    s_.columns = {
        {QStringLiteral("Description"), inv::colDescription, Text, 2400},
        {QStringLiteral("SubDesc."), inv::colSubDescription, Text, 1500},
        {QStringLiteral(" S/L"), inv::colSL, SlCode, 800},
        {QStringLiteral("Item ID"), inv::colItemID, Text, 1500},
        {QStringLiteral("UPC Code"), db::upc::colUPC, UpcCode, 1200},
        {QStringLiteral("Dept Code"), inv::colDeptCode, Text, 1000},
        {QString(), 0, Text, 0},  // department names are not shown here
        {QStringLiteral("F9 Vendor"), inv::colVendorCode, Text, 1000},
        {QStringLiteral("Quantity"), inv::colQtyOnHand, Number, 700},
        {QStringLiteral("Price"), priceOrdinal, Price, 700},
        {QString(), 0, Text, 0},
    };
    s_.columnLeft.assign(kGridColumns, 0);
    s_.descriptionColumn = 0;
    s_.slColumn = 2;
    s_.quantityColumn = 8;
    s_.priceColumn = 9;

    s_.searchText.clear();
    s_.lookupType = kInventoryLookup;
    s_.fieldOrdinal = s_.columns[s_.descriptionColumn].fieldOrdinal;

    int offset = ctx_.run.InventorySearchBy;
    if (offset < 0 || offset >= kDefinedColumns || offset == kDisplayOnlyOffset) {
        offset = 0;
    }
    SetSortColumn(offset + s_.selectOffset);
    return true;
}

void LookupEngine::PrepareGrid(GridControl& grid) {
    s_.rowRecords.clear();
    s_.rowUpc.clear();
    s_.pageBuffer.clear();
    s_.firstPageShown = false;
    s_.wildcardListShown = false;
    if (s_.gridColumns == 0 && !SetUpInventoryColumns()) {
        return;
    }
    s_.pageRows = s_.rowsPerPage;
    sizePage();

    grid.Clear();
    grid.setRows(s_.rowsPerPage + 1);
    grid.setCols(s_.gridColumns);
    grid.setRow(0);
    grid.setWordWrap(true);
    grid.setRowHeight(0, kHeaderRowHeight);
    int width = 0;
    for (int c = 0; c < s_.gridColumns && c < static_cast<int>(s_.columns.size()); ++c) {
        const LookupColumn& col = s_.columns[c];
        grid.setColWidth(c, col.width);
        grid.setColAlignment(c, col.alignment);
        grid.setColBackColor(c, QColor::fromRgb(col.backColour));
        grid.setCol(c);
        grid.setCellAlignment(grid_align::CenterCenter);
        grid.setText(col.caption);
        width += col.width;
    }
    grid.setWidthTwips(width);
    grid.setCol(0);
    grid.setRow(0);
    s_.columnLeft.assign(s_.gridColumns, 0);
    int left = 0;
    for (int c = 0; c < s_.gridColumns; ++c) {
        s_.columnLeft[c] = left;
        left += grid.ColWidth(c);
    }
}

QString LookupEngine::upcForItem(const InventoryRecord& rec) {
    QString sql = QStringLiteral("SELECT * FROM ") + upcTable() + QStringLiteral(" WHERE SL=") +
                  literal(rec.SL.str());
    if (!ctx_.layer.RecordOp(db::kUpcTable, db::op::BySQL, 0, true, false, sql)) {
        return {};
    }
    db::RowSet* rows = ctx_.layer.CurrentRow(db::kUpcTable);
    QString best;
    for (; rows && !rows->eof(); rows->moveNext()) {
        if (upcWithdrawn(rows->value(db::upc::colPOLL).toText())) {
            continue;
        }
        const QString code = rows->value(db::upc::colUPC).toText().trimmed();
        if (!code.isEmpty() && (best.isEmpty() || code < best)) {
            best = code;
        }
    }
    return best;
}

QString LookupEngine::cellText(const LookupColumn& column, const InventoryRecord& rec,
                               const std::optional<UpcRecord>& upc) {
    switch (column.kind) {
        case column_kind::Number:
            return fieldText(rec, column.fieldOrdinal).trimmed();
        case column_kind::Money:
            return MoneyCellText(fieldText(rec, column.fieldOrdinal));
        case column_kind::SlCode:
            return SlDisplay(fieldText(rec, column.fieldOrdinal));
        case column_kind::UpcCode:
            if (upc && upc->SL == rec.SL) {
                return upc->UPC.trimmed();
            }
            return upcForItem(rec);
        case column_kind::Price: {
            if (ctx_.country.IncludeTaxInPrice) {
                if (!rec.PriceIncTax.isZero()) {
                    return twoDecimals(rec.PriceIncTax.toText(2));
                }
                const double tax = ctx_.country.TaxOnPrice(rec.Price.toText(4), rec.TaxCode.str());
                return MoneyCellText(rec.Price.toDouble() + static_cast<double>(tax));
            }
            const Currency price = column.fieldOrdinal == 32 ? rec.PriceIncTax : rec.Price;
            return twoDecimals(price.toText(2));
        }
        case column_kind::DeptName:
        case column_kind::Date:
        case column_kind::Select:
            return {};
        default:
            return db::RTrim(fieldText(rec, column.fieldOrdinal));
    }
}

void LookupEngine::FillGridRow(int row, GridControl& grid) {
    Entry e{ctx_.layer.Inventory, std::nullopt};
    if (s_.upcMode && ctx_.layer.Upc.SL == e.item.SL) {
        e.upc = ctx_.layer.Upc;
    }
    GridControl* saved = grid_;
    grid_ = &grid;
    writeEntry(row, e);
    grid_ = saved;
}

void LookupEngine::writeEntry(int row, const Entry& entry) {
    if (!grid_ || row < 1) {
        return;
    }
    if (row >= grid_->Rows()) {
        grid_->setRows(row + 1);
    }
    const int last = std::min<int>(s_.selectOffset + kDefinedColumns, s_.columns.size());
    for (int c = s_.selectOffset; c < last; ++c) {
        const LookupColumn& column = s_.columns[c];
        if (column.width <= 0) {
            continue;  // hidden columns never take text
        }
        const QString text = cellText(column, entry.item, entry.upc);
        grid_->setTextMatrix(row, c, text);
        if (c < static_cast<int>(s_.pageBuffer.size()) &&
            row < static_cast<int>(s_.pageBuffer[c].size())) {
            s_.pageBuffer[c][row] = text;
        }
    }
    if (row >= static_cast<int>(s_.rowRecords.size())) {
        s_.rowRecords.resize(row + 1);
        s_.rowUpc.resize(row + 1);
    }
    s_.rowRecords[row] = entry.item;
    s_.rowUpc[row] = entry.upc;
}

void LookupEngine::clearRow(int row) {
    if (grid_ && row > 0 && row < grid_->Rows()) {
        for (int c = 0; c < grid_->Cols(); ++c) {
            grid_->setTextMatrix(row, c, QString());
        }
    }
    for (auto& column : s_.pageBuffer) {
        if (row < static_cast<int>(column.size())) {
            column[row].clear();
        }
    }
    if (row < static_cast<int>(s_.rowRecords.size())) {
        s_.rowRecords[row].reset();
        s_.rowUpc[row].reset();
    }
}

void LookupEngine::copyRow(int from, int to) {
    if (grid_) {
        for (int c = 0; c < grid_->Cols(); ++c) {
            grid_->setTextMatrix(to, c, grid_->TextMatrix(from, c));
        }
    }
    for (auto& column : s_.pageBuffer) {
        if (from < static_cast<int>(column.size()) && to < static_cast<int>(column.size())) {
            column[to] = column[from];
        }
    }
    s_.rowRecords[to] = s_.rowRecords[from];
    s_.rowUpc[to] = s_.rowUpc[from];
}

void LookupEngine::sizePage() {
    s_.pageRows = s_.rowsPerPage;
    const int rows = s_.pageRows + 2;
    s_.pageBuffer.assign(s_.gridColumns + 1, std::vector<QString>(rows));
    s_.rowRecords.assign(rows, std::nullopt);
    s_.rowUpc.assign(rows, std::nullopt);
}

void LookupEngine::showPageGrid() {
    s_.wildcardListShown = false;
    s_.listRows = 0;
    if (!grid_) {
        return;
    }
    if (grid_->Rows() != s_.pageRows + 1) {
        grid_->setRows(s_.pageRows + 1);
    }
}

int LookupEngine::lastFilledRow() const {
    for (int r = std::min<int>(s_.pageRows, static_cast<int>(s_.rowRecords.size()) - 1); r >= 1;
         --r) {
        if (s_.rowRecords[r]) {
            return r;
        }
    }
    return 0;
}

QString LookupEngine::SlOfRow(int row) const {
    if (!grid_ || s_.slColumn < 0) {
        return {};
    }
    return grid_->TextMatrix(row, s_.slColumn);
}

// --- sort orders -------------------------------------------------------------------------

std::vector<LookupEngine::OrderTerm> LookupEngine::orderTerms() const {
    const auto sl = [](const InventoryRecord& r) { return r.SL.str(); };
    switch (s_.sqlOrdering ? 3 : s_.sortKey) {
        case 1:
            return {{QStringLiteral("SL"), sl}};
        case 2:
            return {{QStringLiteral("ltrim(ItemID)"),
                     [](const InventoryRecord& r) { return db::LTrim(r.ItemID.str()); }},
                    {QStringLiteral("ItemID"),
                     [](const InventoryRecord& r) { return r.ItemID.str(); }}};
        case 4:
            return {{QStringLiteral("SubDescription"),
                     [](const InventoryRecord& r) { return r.SubDescription.str(); }},
                    {QStringLiteral("SL"), sl}};
        case 6:
            return {{QStringLiteral("VendorCode"),
                     [](const InventoryRecord& r) { return r.VendorCode.str(); }},
                    {QStringLiteral("SL"), sl}};
        case 8:
            return {{QStringLiteral("DeptCode"),
                     [](const InventoryRecord& r) { return r.DeptCode.str(); }},
                    {QStringLiteral("ItemID"),
                     [](const InventoryRecord& r) { return r.ItemID.str(); }}};
        default:
            return {{QStringLiteral("Description"),
                     [](const InventoryRecord& r) { return r.Description.str(); }},
                    {QStringLiteral("SL"), sl}};
    }
}

QString LookupEngine::orderBy(bool descending) const {
    QStringList parts;
    for (const OrderTerm& t : orderTerms()) {
        parts << (descending ? t.expression + QStringLiteral(" DESC") : t.expression);
    }
    return QStringLiteral(" ORDER BY ") + parts.join(u',');
}

QString LookupEngine::sortFieldExpression() const {
    return orderTerms().front().expression;
}

QString LookupEngine::sortFieldText(const InventoryRecord& rec) const {
    return orderTerms().front().value(rec);
}

std::optional<LookupEngine::Entry> LookupEngine::readInventory(const QString& sql) {
    QString statement = sql;
    db::RecordLayer& layer = ctx_.layer;
    if (!layer.RecordOp(db::kInventoryTable, db::op::BySQL, 0, true, false, statement)) {
        return std::nullopt;
    }
    layer.RowToRecord(db::kInventoryTable);
    return Entry{layer.Inventory, std::nullopt};
}

// The UPC record the statement reads, with the item it belongs to; walks on through the UPC
// table (in the statement's direction) past withdrawn codes and codes whose item is missing
// or deleted.
std::optional<LookupEngine::Entry> LookupEngine::readUpcEntry(const QString& sql) {
    db::RecordLayer& layer = ctx_.layer;
    QString statement = sql;
    const bool backward = sql.contains(QStringLiteral(" DESC"));
    for (;;) {
        QString q = statement;
        if (!layer.RecordOp(db::kUpcTable, db::op::BySQL, 0, true, false, q)) {
            return std::nullopt;
        }
        layer.RowToRecord(db::kUpcTable);
        const UpcRecord upc = layer.Upc;
        if (!upcWithdrawn(upc.POLL.str()) && layer.GetInventoryByRecordNum(upc.InvUID) &&
            !isDeleted(layer.Inventory)) {
            layer.Upc = upc;
            return Entry{layer.Inventory, upc};
        }
        statement = QStringLiteral("SELECT TOP 1 * FROM ") + upcTable() +
                    (backward ? QStringLiteral(" WHERE UPC<") + literal(upc.UPC.str()) +
                                    QStringLiteral(" AND UPC>' ' ORDER BY UPC DESC")
                              : QStringLiteral(" WHERE UPC>") + literal(upc.UPC.str()) +
                                    QStringLiteral(" ORDER BY UPC"));
    }
}

std::optional<LookupEngine::Entry> LookupEngine::first() {
    if (s_.upcMode) {
        return readUpcEntry(QStringLiteral("SELECT TOP 1 * FROM ") + upcTable() +
                            QStringLiteral(" WHERE ltrim(upc) > ' ' order by UPC"));
    }
    // The item code order needs a range on its expression before its index is used.
    const QString range = s_.sortKey == 2 && !s_.sqlOrdering
                              ? sortFieldExpression() + QStringLiteral(">='' AND ")
                              : QString();
    for (auto e = readInventory(QStringLiteral("SELECT TOP 1 * FROM ") + inventoryTable() +
                                QStringLiteral(" WHERE ") + range + kListed + orderBy(false));
         e; e = step(*e, true)) {
        if (!isDeleted(e->item)) {
            return e;
        }
    }
    return std::nullopt;
}

std::optional<LookupEngine::Entry> LookupEngine::step(const Entry& from, bool forward) {
    if (s_.upcMode) {
        if (!from.upc) {
            return std::nullopt;
        }
        const QString code = literal(from.upc->UPC.str());
        return readUpcEntry(
            QStringLiteral("SELECT TOP 1 * FROM ") + upcTable() +
            (forward ? QStringLiteral(" WHERE UPC>") + code + QStringLiteral(" ORDER BY UPC")
                     : QStringLiteral(" WHERE UPC<") + code +
                           QStringLiteral(" AND UPC>' ' ORDER BY UPC DESC")));
    }
    const std::vector<OrderTerm> terms = orderTerms();
    const QString cmp = forward ? QStringLiteral(">") : QStringLiteral("<");
    Entry current = from;
    for (;;) {
        QString cond;
        const QString v1 = literal(terms[0].value(current.item));
        if (terms.size() == 1) {
            cond = terms[0].expression + cmp + v1;
        } else {
            // Written with a plain range on the first column, so that its index answers it.
            cond = terms[0].expression + cmp + u'=' + v1 + QStringLiteral(" AND (") +
                   terms[0].expression + cmp + v1 + QStringLiteral(" OR ") + terms[1].expression +
                   cmp + literal(terms[1].value(current.item)) + u')';
        }
        auto e = readInventory(QStringLiteral("SELECT TOP 1 * FROM ") + inventoryTable() +
                               QStringLiteral(" WHERE ") + cond + QStringLiteral(" AND ") +
                               kListed + orderBy(!forward));
        if (!e || !isDeleted(e->item)) {
            return e;
        }
        current = *e;
    }
}

// --- sort column -----------------------------------------------------------------------------

bool LookupEngine::SetSortColumn(int column) {
    if (column < 0 || column >= static_cast<int>(s_.columns.size())) {
        return false;
    }
    if (s_.columns[column].kind == column_kind::Select) {
        column = 1;
    }
    const int offset = column - s_.selectOffset;
    if (offset < 0 || offset >= kDefinedColumns) {
        return false;
    }
    const SortRow& row = kSortTable[offset];
    if (row.ordering == Ordering::DisplayOnly) {
        // Department names are only shown, never sorted on: the sort stays as it was.
        message(lookup_text::DisplayOnly, lookup_text::DisplayOnlyTitle);
        return false;
    }

    s_.whereLow.clear();
    s_.whereHigh.clear();
    s_.orderFragment.clear();
    s_.sqlOrdering = false;
    s_.sqlOrderOrdinal = -1;
    s_.fieldOrdinal = s_.columns[column].fieldOrdinal;
    s_.upcMode = false;
    ctx_.run.InventorySearchBy = static_cast<std::int16_t>(offset);
    s_.sortColumn = static_cast<std::int16_t>(column);

    s_.sortKey = row.key;
    s_.padLabel = QString::fromUtf16(row.label);
    s_.sortFieldName = QString::fromUtf16(row.field);
    if (offset == 9 && ctx_.country.IncludeTaxInPrice) {
        s_.sortFieldName = QStringLiteral("PriceIncTax");
    }
    if (row.ordering == Ordering::ByUpc) {
        s_.upcMode = true;
    } else if (row.ordering == Ordering::BySql) {
        s_.sqlOrdering = true;
        s_.sqlOrderOrdinal = s_.fieldOrdinal;
        s_.whereLow = QStringLiteral(" WHERE  status <=  ' ' ");
        s_.whereHigh = s_.whereLow;
        s_.orderFragment = QStringLiteral(" ORDER BY ") + s_.sortFieldName;
    }
    if (s_.pickerMode) {
        s_.formCaption = lookup_text::FormCaption;
    }
    s_.firstPageShown = false;
    return true;
}

// --- fills ---------------------------------------------------------------------------------

void LookupEngine::fillPageFrom(const Entry& entry) {
    showPageGrid();
    s_.atEnd = false;
    writeEntry(1, entry);
    Entry current = entry;
    int row = 2;
    for (; row <= s_.pageRows; ++row) {
        if (betweenRows) {
            betweenRows();
        }
        if (s_.stopRequested) {
            break;
        }
        std::optional<Entry> next = step(current, true);
        if (!next) {
            s_.atEnd = true;
            break;
        }
        writeEntry(row, *next);
        current = std::move(*next);
    }
    for (; row <= s_.pageRows; ++row) {
        clearRow(row);
    }
}

bool LookupEngine::FirstFill() {
    if (busy_ || !grid_) {
        return false;
    }
    s_.stopRequested = false;
    s_.pageRows = s_.rowsPerPage;
    if (s_.firstPageShown && !s_.wildcardListShown &&
        static_cast<int>(s_.rowRecords.size()) == s_.pageRows + 2 && !grid_->RowIsBlank(1)) {
        return true;
    }
    BusyGuard guard(busy_);
    grid_->setHighLight(false);
    s_.lastPagingCode = -1;
    sizePage();
    showPageGrid();

    std::optional<Entry> e = first();
    s_.atTop = true;
    bool shown = true;
    if (e) {
        fillPageFrom(*e);
        s_.firstPageShown = true;
    } else {
        for (int r = 1; r <= s_.pageRows; ++r) {
            clearRow(r);
        }
        s_.atEnd = true;
        if (s_.upcMode) {
            message(lookup_text::NoUpcCodes);
        } else {
            message(lookup_text::NoMatchingData);
            shown = false;
        }
    }
    grid_->setHighLight(true);
    SelectRow(1);
    return shown;
}

void LookupEngine::SearchPosition(const QString& text) {
    if (busy_ || text == s_.searchText) {
        return;
    }
    s_.searchText = text;
    if (s_.wildcardOn || s_.sqlOrdering) {
        if (s_.sortFieldName == u"QtyOnHand" || s_.sortFieldName.startsWith(u"Price")) {
            s_.wildcardOn = true;
            if (wildcardTicked) {
                wildcardTicked();
            }
        }
        return;
    }
    if (s_.upcMode) {
        positionOnUpc(text);
        return;
    }
    const QString converted = searchValue(text);
    positionOn(converted);
}

// Typed text in the stored form of the sort column: S/L and Item ID codes as they are kept,
// blank text as none.
QString LookupEngine::searchValue(const QString& text) const {
    QString converted = text;
    if (s_.sortKey == 1) {
        converted = SlFromDisplay(SlFromEntry(text));
    } else if (s_.sortKey == 2) {
        converted = ItemIdFromEntry(text);
    }
    if (converted.trimmed().isEmpty()) {
        converted.clear();
    }
    return converted;
}

void LookupEngine::positionOn(const QString& converted) {
    if (!grid_) {
        return;
    }
    BusyGuard guard(busy_);
    s_.stopRequested = false;
    const QString value = converted.toUpper();
    const QString field = sortFieldExpression();
    const QString head = QStringLiteral("SELECT TOP 1 * FROM ") + inventoryTable() +
                         QStringLiteral(" WHERE ") + field;
    const QString tail = QStringLiteral(" AND ") + kListed;

    std::optional<Entry> e = readInventory(head + u'=' + literal(value) + tail + orderBy(false));
    if (!e) {
        e = readInventory(head + QStringLiteral("<=") + literal(value) + tail + orderBy(true));
        if (e) {
            // The nearest item before the text: when it starts with an earlier letter, the
            // first item after it is the better start, unless that starts with a later one.
            const int wanted = sortWeight(firstChar(value));
            if (sortWeight(firstChar(sortFieldText(e->item).toUpper())) < wanted) {
                std::optional<Entry> next = step(*e, true);
                if (next && sortWeight(firstChar(sortFieldText(next->item).toUpper())) <= wanted) {
                    e = std::move(next);
                }
            }
        } else {
            e = readInventory(head + QStringLiteral(">=") + literal(value) + tail + orderBy(false));
            if (!e) {
                e = first();
            }
            if (!e) {
                message(lookup_text::NoDataInFile);
                return;
            }
        }
    }
    showPositionedPage(*e);
}

// A page filled from a record the search has just found, with it on the first row.
void LookupEngine::showPositionedPage(const Entry& e) {
    grid_->setHighLight(false);
    s_.lastPagingCode = -1;
    if (static_cast<int>(s_.rowRecords.size()) != s_.rowsPerPage + 2 || s_.wildcardListShown) {
        sizePage();
    }
    fillPageFrom(e);
    s_.atTop = false;
    s_.firstPageShown = false;
    grid_->setHighLight(true);
    SelectRow(1);
    s_.currentRow = 1;
}

void LookupEngine::positionOnUpc(const QString& text) {
    if (!grid_) {
        return;
    }
    BusyGuard guard(busy_);
    s_.stopRequested = false;
    const QString t = text.trimmed();
    const QString from = QStringLiteral("SELECT TOP 1 * FROM ") + upcTable();
    std::optional<Entry> e;
    if (t.isEmpty()) {
        e = readUpcEntry(from + QStringLiteral(" WHERE ltrim(upc) > ' ' order by UPC"));
    } else {
        e = readUpcEntry(from + QStringLiteral(" WHERE LEFT(upc,") + QString::number(t.size()) +
                         QStringLiteral(")=") + literal(t) + QStringLiteral(" order by UPC"));
        if (!e) {
            e = readUpcEntry(from + QStringLiteral(" WHERE UPC<=") + literal(t) +
                             QStringLiteral(" AND UPC>' ' ORDER BY UPC DESC"));
        }
        if (!e) {
            e = readUpcEntry(from + QStringLiteral(" WHERE ltrim(upc) > ' ' order by UPC"));
        }
    }
    if (!e) {
        message(lookup_text::NoUpcCodes);
        return;
    }
    showPositionedPage(*e);
}

QString LookupEngine::WildcardStatement(const QString& text) const {
    const QString order = s_.sortFieldName == u"Description"
                              ? QStringLiteral("Order BY Description,subdescription")
                              : QStringLiteral("Order BY ") + s_.sortFieldName;
    return QStringLiteral("SELECT * FROM ") + inventoryTable() + QStringLiteral(" WHERE ") +
           s_.sortFieldName + QStringLiteral(" like '%") + LikeContainsText(text) +
           QStringLiteral("%' And status <> 'D' ") + order;
}

void LookupEngine::WildcardSearch(const QString& text) {
    if (busy_ || !grid_) {
        return;
    }
    if (s_.sortFieldName.isEmpty()) {
        message(lookup_text::WildcardNotOnField);
        return;
    }
    if (s_.sortFieldName == u"UPC" || s_.sortFieldName == u"QtyOnHand" ||
        s_.sortFieldName.left(5) == u"Price") {
        message(lookup_text::WildcardNotOn + s_.sortFieldName);
        return;
    }
    BusyGuard guard(busy_);
    s_.stopRequested = false;
    db::RecordLayer& layer = ctx_.layer;
    QString sql = WildcardStatement(text);
    if (!layer.RecordOp(db::kInventoryTable, db::op::BySQL, 0, true, false, sql)) {
        message(lookup_text::NoMatches);
        return;
    }
    db::RowSet* rows = layer.CurrentRow(db::kInventoryTable);
    const int total = rows ? rows->recordCount() : 0;

    grid_->setHighLight(false);
    s_.lastPagingCode = -1;
    s_.pageRows = s_.rowsPerPage;
    s_.pageBuffer.assign(s_.gridColumns + 1, std::vector<QString>(std::max(total, 0) + 2));
    s_.rowRecords.assign(std::max<int>(total, s_.pageRows) + 2, std::nullopt);
    s_.rowUpc.assign(s_.rowRecords.size(), std::nullopt);
    grid_->setRows(std::max(total, static_cast<int>(s_.pageRows)) + 1);

    int row = 1;
    for (; rows && !rows->eof(); rows->moveNext()) {
        layer.RowToRecord(db::kInventoryTable);
        if (!isDeleted(layer.Inventory)) {
            writeEntry(row, Entry{layer.Inventory, std::nullopt});
            ++row;
        }
        if (betweenRows) {
            betweenRows();
        }
        if (s_.stopRequested) {
            break;
        }
        rows = layer.CurrentRow(db::kInventoryTable);
    }
    const int listed = row - 1;
    grid_->setRows(std::max(listed, static_cast<int>(s_.pageRows)) + 1);
    for (int r = listed + 1; r < grid_->Rows(); ++r) {
        clearRow(r);
    }
    s_.wildcardListShown = true;
    s_.listRows = listed;
    s_.firstPageShown = false;
    s_.atTop = true;
    s_.atEnd = false;
    grid_->setHighLight(true);
    SelectRow(1);
    s_.currentRow = 1;
    if (listed == 0) {
        message(lookup_text::NoMatches);
    }
}

void LookupEngine::RunSearch(const QString& text) {
    if (busy_) {
        return;
    }
    s_.searchText = text;
    s_.stopRequested = false;
    if (s_.wildcardOn || s_.sqlOrdering) {
        WildcardSearch(text);
        return;
    }
    if (s_.upcMode) {
        positionOnUpc(text);
        return;
    }
    const QString converted = searchValue(text);
    positionOn(converted);
    if (s_.sortKey == 8 && !converted.isEmpty()) {
        // Searching on a department code that no item carries is worth saying.
        const QString value = db::RTrim(converted).toUpper();
        const auto dept = readInventory(QStringLiteral("SELECT TOP 1 * FROM ") + inventoryTable() +
                                        QStringLiteral(" WHERE DeptCode>=") + literal(value) +
                                        QStringLiteral(" AND ") + kListed + orderBy(false));
        if (!dept || !dept->item.DeptCode.str().toUpper().startsWith(value)) {
            message(lookup_text::NoDepartments);
        }
    }
}

// --- paging ----------------------------------------------------------------------------------

void LookupEngine::SelectRow(int row) {
    if (!grid_) {
        return;
    }
    row = std::clamp(row, 1, std::max(grid_->Rows() - 1, 1));
    grid_->selectRow(row, s_.selectOffset, grid_->Cols() - 1);
}

void LookupEngine::finishPaging(int code) {
    const int row = std::max(grid_->Row(), 1);
    SelectRow(row);
    s_.currentRow = static_cast<std::int16_t>(row);
    s_.lastPagingCode = static_cast<std::int16_t>(code);
}

void LookupEngine::listPaging(int code) {
    int row = std::max(grid_->Row(), 1);
    const int last = std::max(s_.listRows, 1);
    switch (code) {
        case paging::RowUp:
        case paging::PageUp:
            if (row > 1) {
                row = code == paging::RowUp ? row - 1 : std::max(1, row - s_.pageRows);
            } else {
                message(lookup_text::TopOfList);
            }
            break;
        case paging::PageDown:
        case paging::RowDown:
            if (row < last) {
                row = code == paging::RowDown ? row + 1 : std::min(last, row + s_.pageRows);
            } else {
                s_.atEnd = true;
                message(lookup_text::EndOfTheList, lookup_text::EndOfTheListTitle);
            }
            break;
        default:
            return;
    }
    grid_->setRow(row);
    finishPaging(code);
}

void LookupEngine::PageLookup(int code) {
    if (busy_ || !grid_ || code < paging::RowUp || code > paging::RowDown) {
        return;
    }
    BusyGuard guard(busy_);
    s_.stopRequested = false;
    if (s_.wildcardListShown) {
        listPaging(code);
        return;
    }
    if (static_cast<int>(s_.rowRecords.size()) < s_.pageRows + 2) {
        return;  // no page yet
    }
    const int pageRows = s_.pageRows;
    if (s_.currentRow >= 1) {
        grid_->setRow(std::min<int>(s_.currentRow, pageRows));
    }
    int row = std::clamp(grid_->Row(), 1, pageRows);
    const auto entryAt = [&](int r) -> std::optional<Entry> {
        if (!s_.rowRecords[r]) {
            return std::nullopt;
        }
        return Entry{*s_.rowRecords[r], s_.rowUpc[r]};
    };

    grid_->setHighLight(false);
    switch (code) {
        case paging::RowUp:
            if (row > 1) {
                --row;
            } else if (s_.atTop) {
                message(lookup_text::TopOfList);
            } else if (auto top = entryAt(1)) {
                if (auto prev = step(*top, false)) {
                    for (int r = pageRows; r >= 2; --r) {
                        copyRow(r - 1, r);
                    }
                    writeEntry(1, *prev);
                    s_.firstPageShown = false;
                } else {
                    message(lookup_text::TopOfTheList);
                    s_.atTop = true;
                }
            }
            break;
        case paging::PageUp:
            if (s_.atTop) {
                message(lookup_text::TopOfList);
                row = 1;
            } else if (auto top = entryAt(1)) {
                // The items before the page, nearest first.
                std::vector<Entry> before;
                before.reserve(pageRows);
                while (static_cast<int>(before.size()) < pageRows) {
                    auto prev = step(before.empty() ? *top : before.back(), false);
                    if (!prev) {
                        break;
                    }
                    before.push_back(std::move(*prev));
                }
                if (static_cast<int>(before.size()) == pageRows) {
                    // They are the new page: written as read, without reading them again.
                    showPageGrid();
                    for (int r = 1; r <= pageRows; ++r) {
                        writeEntry(r, before[pageRows - r]);
                    }
                    s_.atEnd = false;
                    s_.atTop = false;
                } else {
                    // The start of the list is nearer than a page.
                    if (auto f = first()) {
                        fillPageFrom(*f);
                    }
                    s_.atTop = true;
                }
                s_.firstPageShown = false;
                row = std::clamp(row, 1, std::max(lastFilledRow(), 1));
            }
            break;
        case paging::PageDown: {
            const int last = lastFilledRow();
            std::optional<Entry> next = last > 0 ? step(*entryAt(last), true) : std::nullopt;
            if (next) {
                fillPageFrom(*next);
                s_.atTop = false;
                s_.firstPageShown = false;
                row = std::clamp(row, 1, std::max(lastFilledRow(), 1));
            } else {
                // Nothing beyond this page: it stays, with its last item selected.
                s_.atEnd = true;
                row = std::max(last, 1);
                message(lookup_text::EndOfTheList, lookup_text::EndOfTheListTitle);
            }
            break;
        }
        case paging::RowDown: {
            const int lastUsable = std::max(pageRows - 1, 1);
            if (row < lastUsable) {
                if (grid_->RowIsBlank(row + 1)) {
                    s_.atEnd = true;
                    message(lookup_text::EndOfTheList, lookup_text::EndOfTheListTitle);
                } else {
                    ++row;
                    s_.atEnd = false;
                }
                break;
            }
            std::optional<Entry> next;
            if (entryAt(pageRows)) {
                next = step(*entryAt(pageRows), true);
            }
            if (next) {
                for (int r = 1; r < pageRows; ++r) {
                    copyRow(r + 1, r);
                }
                writeEntry(pageRows, *next);
                s_.atTop = false;
                s_.atEnd = false;
                s_.firstPageShown = false;
            } else if (row < pageRows && !grid_->RowIsBlank(row + 1)) {
                ++row;
            } else {
                s_.atEnd = true;
                message(lookup_text::EndOfTheList, lookup_text::EndOfTheListTitle);
            }
            break;
        }
        default:
            break;
    }
    grid_->setHighLight(true);
    grid_->setRow(row);
    finishPaging(code);
}

// --- page size -------------------------------------------------------------------------------

int LookupEngine::RowsPerPageFor(int gridHeightTwips) {
    const double rows = (gridHeightTwips - 600) / 600.0 + 1.0;
    const int n = static_cast<int>(std::nearbyint(rows));  // halves to even
    return std::max(n, 1);
}

void LookupEngine::ResizePage(int rowsPerPage) {
    rowsPerPage = std::max(rowsPerPage, 1);
    if (rowsPerPage == s_.rowsPerPage) {
        return;
    }
    if (busy_ || !grid_ || s_.wildcardListShown ||
        static_cast<int>(s_.rowRecords.size()) != s_.pageRows + 2 || !s_.rowRecords[1]) {
        // Nothing shown yet (or a list that is not paged): the next fill takes the new size.
        s_.rowsPerPage = static_cast<std::int16_t>(rowsPerPage);
        if (!busy_ && grid_ && !s_.wildcardListShown) {
            s_.pageRows = s_.rowsPerPage;
            sizePage();
            showPageGrid();
        }
        return;
    }
    BusyGuard guard(busy_);
    const Entry top{*s_.rowRecords[1], s_.rowUpc[1]};
    const bool atTop = s_.atTop;
    const bool firstPage = s_.firstPageShown;
    const int row = std::max(grid_->Row(), 1);
    s_.rowsPerPage = static_cast<std::int16_t>(rowsPerPage);
    grid_->setHighLight(false);
    sizePage();
    fillPageFrom(top);
    s_.atTop = atTop;
    s_.firstPageShown = firstPage;
    grid_->setHighLight(true);
    const int newRow = std::clamp(row, 1, std::max(lastFilledRow(), 1));
    SelectRow(newRow);
    if (s_.currentRow > 0) {
        s_.currentRow = static_cast<std::int16_t>(newRow);
    }
}

}  // namespace qv
