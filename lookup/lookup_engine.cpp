// The lookup engine's reads and paging (see lookup_engine.h): the sort orders and the one-row
// statements written from them, the first page and the steps from a listed item to the next,
// the sort column, and the paging and page size of the grid.

#include "lookup/lookup_engine.h"

#include "db/record_layer.h"
#include "lookup/lookup_support.h"

#include <algorithm>
#include <cmath>

namespace qv {

using db::InventoryRecord;
using db::UpcRecord;
using namespace lookup_detail;

namespace {

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

}  // namespace

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
