#pragma once

#include "db/inventory_table.h"
#include "db/upc_table.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace qv {

// How a column's value becomes cell text.
namespace column_kind {
inline constexpr std::int16_t Text = 0;
inline constexpr std::int16_t Number = 1;
inline constexpr std::int16_t Money = 2;
inline constexpr std::int16_t Date = 3;
inline constexpr std::int16_t SlCode = 4;
inline constexpr std::int16_t UpcCode = 6;  // looked up in the UPC table
inline constexpr std::int16_t Price = 7;
inline constexpr std::int16_t DeptName = 12;
inline constexpr std::int16_t Select = 99;  // leading quantity/select column
}  // namespace column_kind

// One grid column: what it shows, how, and how wide (twips; 0 hides it).
struct LookupColumn {
    QString caption;
    std::int16_t fieldOrdinal = 0;  // inventory field (UPC table field for the UPC column)
    std::int16_t kind = column_kind::Text;
    std::int32_t width = 0;
    std::int16_t alignment = 1;           // left, vertically centred
    std::uint32_t backColour = 0xFFFFFF;  // white
};

// Lookup types.
inline constexpr std::int16_t kInventoryLookup = 1;

// The messages of the lookup (every one with an OK button; those without a title of their own
// carry the product name).
namespace lookup_text {
inline const QString NoMatchingData = QStringLiteral("No matching data found");
inline const QString NoDataInFile = QStringLiteral("Error No Data found in File");
inline const QString NoMatches = QStringLiteral("No matches found");
inline const QString WildcardNotOnField =
    QStringLiteral("Wildcard Sort not available on this field");
inline const QString WildcardNotOn = QStringLiteral("Wildcard search not available on ");
inline const QString DisplayOnly = QStringLiteral("Display Only - No Sorting Available");
inline const QString DisplayOnlyTitle = QStringLiteral("Department Name");
inline const QString TopOfList = QStringLiteral("Top of List");
inline const QString TopOfTheList = QStringLiteral("Top Of the List");
inline const QString NoUpcCodes = QStringLiteral("No UPC Codes in UPC File");
inline const QString NoDepartments = QStringLiteral("No Matching Departments found");
inline const QString EndOfTheList = QStringLiteral("End of the List");
inline const QString EndOfTheListTitle = QStringLiteral("Look Up");
inline const QString FormCaption = QStringLiteral("Find Inventory Item");
inline const QString AcceptCaption = QStringLiteral("F10 Accept");
inline const QString CancelCaption = QStringLiteral("Esc Cancel");
inline const QString HelpTopic = QStringLiteral("look_up_items.htm");
}  // namespace lookup_text

// Paging codes.
namespace paging {
inline constexpr std::int16_t RowUp = 0;
inline constexpr std::int16_t PageUp = 1;
inline constexpr std::int16_t PageDown = 2;
inline constexpr std::int16_t RowDown = 3;
}  // namespace paging

// What the item lookup keeps for the whole run: the form, its search engine and its column set
// share it. The program's session owns one; tests make fresh ones. The selected value and the
// default sort column are not here: they are the run's SelectedItemID and InventorySearchBy
// (RunValues), which the lookup reads and writes.
struct LookupSession {
    bool pickerMode = false;
    std::int16_t lookupType = 0;
    QString searchText;  // as typed; the incremental search skips a text it has just searched
    std::int16_t sortColumn = 0;
    std::int16_t sortKey = 3;
    std::int16_t fieldOrdinal = db::inventory::colDescription;
    QString sortFieldName;
    QString whereLow, whereHigh, orderFragment;
    QString vendorFilter;  // always empty here
    std::int16_t selectOffset = 0;
    std::int16_t rowsPerPage = 14;
    std::int16_t gridColumns = 0;
    std::int16_t currentRow = 0;
    bool atTop = false;
    bool atEnd = false;
    std::int16_t lastPagingCode = -1;
    bool stopRequested = false;
    bool closing = false;
    bool textEdited = false;
    QString helpTopic;

    // The column set and where its notable columns are.
    std::vector<LookupColumn> columns;
    std::vector<int> columnLeft;  // twips, running sum of the widths
    std::int16_t slColumn = -1;
    std::int16_t descriptionColumn = -1;
    std::int16_t quantityColumn = -1;
    std::int16_t priceColumn = -1;

    // The sort column's row of the sort table.
    QString padLabel;          // "--Description", ...
    bool sqlOrdering = false;  // ordered by a statement rather than by a key
    std::int16_t sqlOrderOrdinal = -1;
    bool upcMode = false;  // the list follows the UPC table

    // The wildcard (contains) list: ticked, and whether its result is what the grid shows.
    bool wildcardOn = false;
    bool wildcardListShown = false;
    int listRows = 0;  // rows of the wildcard list
    QString formCaption;

    // The page: rows of the page, the text shown (by column, then row) and, per row, the
    // record it was written from (and in UPC mode the UPC record that led to it).
    std::int16_t pageRows = 0;
    std::vector<std::vector<QString>> pageBuffer;
    std::vector<std::optional<db::InventoryRecord>> rowRecords;
    std::vector<std::optional<db::UpcRecord>> rowUpc;
    bool firstPageShown = false;  // the page is the untouched result of a first fill
};

}  // namespace qv
