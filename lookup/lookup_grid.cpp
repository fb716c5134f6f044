// The lookup engine's grid (see lookup_engine.h): the inventory column set, the grid laid out
// from it, the text of each cell, and the rows of a page written, cleared, moved and sized
// with their record cache and page buffer.

#include "lookup/lookup_engine.h"

#include "db/record_layer.h"
#include "lookup/lookup_support.h"
#include "lookup/sl_code.h"
#include "settings/text_helpers.h"
#include "settings/vb_text.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace qv {

using db::InventoryRecord;
using db::UpcRecord;
using namespace lookup_detail;
namespace inv = db::inventory;

namespace {

constexpr int kGridColumns = 11;
constexpr int kHeaderRowHeight = 700;
constexpr int kDisplayOnlyOffset = 6;

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

}  // namespace qv
