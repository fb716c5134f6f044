#pragma once

#include "db/inventory_table.h"
#include "db/upc_table.h"
#include "lookup/grid_control.h"
#include "lookup/lookup_session.h"
#include "platform/services.h"
#include "settings/country_settings.h"
#include "settings/run_values.h"

#include <QString>
#include <functional>
#include <optional>

namespace qv::db {
class RecordLayer;
}

namespace qv {

// What the lookup works with; every part must outlive the lookup that is handed it.
struct LookupContext {
    LookupSession& session;
    db::RecordLayer& layer;
    RunValues& run;
    CountrySettings& country;
    Services& services;
};

// The cell text of a money value as the lookup shows it: the text trimmed, everything up to
// and including a "$" dropped, a value that ends with ")" taken as negative, then two
// decimals without a leading zero (".50", "12.50", "-3.00").
QString MoneyCellText(const QString& valueText);
// A number shown with two decimals the same way.
QString MoneyCellText(double value);

// The body of a LIKE pattern that finds typed text as it is: apostrophes doubled (so the text
// cannot end the literal) and "%", "_" and "[" written as the one-character classes "[%]",
// "[_]" and "[[]", so that they are searched for rather than read as wildcards.
QString LikeContainsText(const QString& typed);

// The search and paging engine of the item lookup and its column set: it fills the grid one
// page at a time from the inventory table (or, sorted by UPC code, the UPC table) through the
// record layer, and keeps its state in the LookupSession.
//
// Reads: every read is a one-row statement run through RecordOp "BySQL" and brought into the
// inventory record with RowToRecord; the wildcard search is the only statement that reads
// more than one row. Paging re-positions on the exact key values of the record cached for a
// grid row (the layer's own "Get Next" works from sanitised key values, which for a
// description holding an apostrophe no longer equal the stored one). Deleted items (status
// "D") are left out by the statements and never written into a row.
//
// Sort orders: Description, SubDescription, Vendor code, S/L and Dept code pages run in the
// order of their key (a second column breaks ties); Item ID pages run by the item code
// without its leading blanks, as item codes are compared everywhere, then by the stored code.
// Quantity and Price are ordered by statement: they page in Description order and can be
// neither positioned on nor wildcard-searched.
//
// Messages go through the context's message boxes, with an OK button; those without a title
// of their own carry the product name.
//
// Implemented in three parts: lookup_engine.cpp (sort orders, reads, paging and page size),
// lookup_grid.cpp (the column set, the grid and its rows) and lookup_search.cpp (searches).
class LookupEngine {
public:
    explicit LookupEngine(LookupContext context);

    // The grid the engine writes to (not owned); nothing is written while it is null.
    void attachGrid(GridControl* grid) { grid_ = grid; }
    GridControl* grid() const { return grid_; }

    // Called after every row written by a fill, so that the window can let pending events
    // run (the stop and cancel buttons stay live); may set the session's stop flag.
    std::function<void()> betweenRows;
    // Called when typing ticks the wildcard box (the sort column can only be searched).
    std::function<void()> wildcardTicked;

    // --- column set --------------------------------------------------------------------------

    // Builds the inventory column set, sets the lookup type and sorts by the run's default
    // sort column. Always true.
    bool SetUpInventoryColumns();
    // Lays the grid out from the column set (running SetUpInventoryColumns first when there
    // is none) and empties the page.
    void PrepareGrid(GridControl& grid);
    // Writes the inventory record the layer has just read into a grid row, the page buffer
    // and the row's record cache.
    void FillGridRow(int row, GridControl& grid);

    // --- search and paging ---------------------------------------------------------------

    // Makes a grid column the sort column. False (after the display-only message for the
    // department name column) when the column cannot be sorted on; the sort is then unchanged.
    bool SetSortColumn(int column);
    // The incremental search, run on every change of the search text.
    void SearchPosition(const QString& text);
    // The contains search on the sort field.
    void WildcardSearch(const QString& text);
    // The search button: the wildcard search while the wildcard box is ticked or the column
    // is ordered by statement, otherwise positioning on the text.
    void RunSearch(const QString& text);
    // Fills the first page; false (after "No matching data found") when nothing can be shown.
    bool FirstFill();
    // Paging codes: 0 row up, 1 page up, 2 page down, 3 row down.
    void PageLookup(int code);
    // Selects a data row across all columns (a row below 1 selects row 1).
    void SelectRow(int row);

    // Rows per page after a resize: (grid height - 600) / 600 + 1 twips, halves to even.
    static int RowsPerPageFor(int gridHeightTwips);
    // Takes a new page size; a page already shown is filled again from its first record.
    void ResizePage(int rowsPerPage);

    // The S/L code shown in a data row ("" for a blank row).
    QString SlOfRow(int row) const;
    // The statement the wildcard search runs for text on the current sort field.
    QString WildcardStatement(const QString& text) const;

    // True while a fill is running (further requests are ignored until it ends).
    bool busy() const { return busy_; }

private:
    // A listed entry: the inventory record and, in UPC mode, the UPC record that led to it.
    struct Entry {
        db::InventoryRecord item;
        std::optional<db::UpcRecord> upc;
    };

    void message(const QString& text, const QString& title = {});
    QString inventoryTable() const;
    QString upcTable() const;

    // Sort order of the current sort column.
    struct OrderTerm {
        QString expression;
        std::function<QString(const db::InventoryRecord&)> value;
    };
    std::vector<OrderTerm> orderTerms() const;
    QString orderBy(bool descending) const;
    QString sortFieldExpression() const;
    QString sortFieldText(const db::InventoryRecord& rec) const;

    std::optional<Entry> readInventory(const QString& sql);
    std::optional<Entry> readUpcEntry(const QString& sql);
    std::optional<Entry> first();
    std::optional<Entry> step(const Entry& from, bool forward);

    // In UPC mode positions on the typed code; otherwise on the text in the stored form of the
    // sort column, which it returns (empty in UPC mode). Holds the busy flag while it reads.
    QString positionOnTyped(const QString& text);
    void positionOn(const QString& converted);
    void positionOnUpc(const QString& text);
    void fillPageFrom(const Entry& entry);
    QString searchValue(const QString& text) const;
    void showPositionedPage(const Entry& entry);
    void writeEntry(int row, const Entry& entry);
    void clearRow(int row);
    void copyRow(int from, int to);
    void sizePage();
    void showPageGrid();
    int lastFilledRow() const;
    void listPaging(int code);
    void finishPaging(int code);
    QString upcForItem(const db::InventoryRecord& rec);
    QString cellText(const LookupColumn& column, const db::InventoryRecord& rec,
                     const std::optional<db::UpcRecord>& upc);

    LookupContext ctx_;
    LookupSession& s_;
    GridControl* grid_ = nullptr;
    bool busy_ = false;
};

}  // namespace qv
