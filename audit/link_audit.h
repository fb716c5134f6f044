#pragma once

#include "platform/file_system.h"
#include "sql/currency.h"
#include "sql/engine.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// The audit of linked items: it reads the inventory and UPC tables of a store once each and
// finds every case/pack/single family whose links, quantities, costs, deposits or UPC rows
// do not agree; the repair mends what has one right answer.
//
// A family is a root (the case) and the items linked to it: every item with FlgQZV "P"
// (pack) or "I" (single) belongs to the item its LinkBreakPack chain leads to (a single may
// break from the pack, which breaks from the root), and an item without a flag belongs to
// the root whose QZV1 (pack) or QZV2 (single) names it, when its LinkBreakPack leads there.
// A root is an item with FlgQZV "R", or the item a chain ends at whatever its flag. Codes
// compare as the server compares them: trailing blanks and the case of ASCII letters do not
// count.
//
// The report, one line per finding, is stable for scripts:
//
//   Audit of <inventory table> (<n> items) and <UPC table> (<n> UPC rows): <n> families.
//     ("1 family", "1 finding" when there is one)
//   <group>: <check>: <text>[ [repair]]
//   ...
//   No findings.  |  <n> findings; <n> can be repaired with --repair.
//
// <group> is "family <S/L> #<record number>" (the family's root), "item <S/L> #<record
// number>" (a UPC finding of an item outside every family) or "upc <code>" (a UPC row whose
// InvUID names no item). Items are written "<S/L> #<record number>", S/L codes without blanks
// at either end (the JSON keeps a right-aligned code's leading blanks). "[repair]" marks what the
// repair mends. Lines are ordered by group (record number, UPC rows last), then by check in the
// order of Check, then by record number. <check> is one of the names below; <text> says what was
// found with the values involved.

namespace qv::audit {

// The tables of one store an audit reads ("invt1", "UPC1").
struct StoreTables {
    QString inventory;
    QString upc;
};

// An item as findings name it.
struct ItemRef {
    QString sl;  // without trailing blanks
    std::int32_t recordNum = 0;

    friend bool operator==(const ItemRef&, const ItemRef&) = default;
};

// "<S/L> #<record number>": the code without blanks at either end, "-" for a blank code.
QString ItemText(const ItemRef& item);

enum class Check {
    LinkMissing,        // "link-missing": a pack or single whose LinkBreakPack names no item
    LinkLoop,           // "link-loop": a LinkBreakPack chain that comes back to the item
    NotNamedByRoot,     // "not-named-back": the root's QZV1 (pack) / QZV2 (single) names another
    RootFlag,           // "root-flag": a root of packs or singles without FlgQZV "R"
    RootNamesMissing,   // "root-names-missing": QZV1/QZV2 of an "R" root name no item
    RootNamesUnlinked,  // "root-names-unlinked": ... name an item that does not link to it
    QtyInPack,          // "qty-in-pack": FlgQZV "P" or "I" with QTYINPACK below 1
    QtyOnHand,          // "qty-on-hand": quantity kept on a pack or single, not on the root
    CostDrift,          // "cost-drift": AvgCost off the source's AvgCost / QTYINPACK by > 0.005
    DepositMissing,     // "deposit-missing": the root has a bottle deposit, the item none
    DepositUnknown,     // "deposit-unknown": a deposit S/L code that names no item
    DuplicateItemCode,  // "duplicate-item-code": one item code held by two items of a family
    UpcOrphan,          // "upc-orphan": a UPC row whose InvUID names no item
    UpcSl,              // "upc-sl": a UPC row whose S/L code is not its InvUID item's
};

// The name a report gives a check ("cost-drift").
QString CheckName(Check check);

struct Finding {
    enum class Group { Family, Item, Upc };

    Check check = Check::LinkMissing;
    Group group = Group::Family;
    ItemRef head;                // Family: the root; Item: the item
    QString upc;                 // Upc: the code, trimmed
    std::vector<ItemRef> items;  // every item involved, the one at fault first
    QString text;
    bool repairable = false;
};

// The link and cost columns of an inventory row that the repair may write.
struct LinkFields {
    QString flgQZV;  // without trailing blanks
    std::int32_t qzv1 = 0;
    std::int32_t qzv2 = 0;
    Currency avgCost;
    Currency cost;

    friend bool operator==(const LinkFields&, const LinkFields&) = default;
};

// One inventory row the repair changes: its fields as the audit read them and as they become.
struct InventoryFix {
    ItemRef item;
    LinkFields before;
    LinkFields after;
};

// One UPC row whose S/L code the repair sets to its InvUID item's. Texts as read (padded).
struct UpcFix {
    QString upc;
    std::int32_t invUid = 0;
    QString slBefore;
    QString slAfter;
};

struct AuditReport {
    StoreTables tables;
    std::int64_t items = 0;
    std::int64_t upcRows = 0;
    std::int64_t families = 0;
    std::vector<Finding> findings;
    std::vector<InventoryFix> inventoryFixes;
    std::vector<UpcFix> upcFixes;

    int repairableCount() const;
};

// Reads both tables (one statement each) and analyses them. Nothing, with the engine's error,
// when a table cannot be read.
std::optional<AuditReport> Audit(db::Engine& engine, const StoreTables& tables, db::DbError& error);

// Where the repair keeps the rows as they were: "AuditRecall.txt" in the data folder.
struct RecallFile {
    FileSystem& fs;
    QString path;
    QString userId;
    QString exeName;
};

struct RepairResult {
    bool done = false;  // every change written in one transaction (or nothing to change)
    int rowsChanged = 0;
    QString recallPath;
    QString failure;  // why nothing was changed
};

// Mends what the report marks "[repair]": the root's FlgQZV, QZV1 and QZV2 from the items
// linked to it, AvgCost and Cost of drifted items, the S/L code of UPC rows. Each row is read
// again and must still hold what the audit read; the recall lines of every row (as it is
// before the change) are appended to the recall file; then all rows are written in one
// transaction. Any failure before the commit leaves every row as it was.
RepairResult Repair(db::Engine& engine, const AuditReport& report, const RecallFile& recall);

// The report as text lines (see the top of this file), and the repair's outcome line.
QStringList ReportLines(const AuditReport& report);
QString RepairLine(const RepairResult& result);

// The same as JSON: tables, counts, "findings" (check, group, head or upc, items, text,
// repair) and, when given, "repair" (done, rowsChanged, recallFile or failure).
QJsonObject ReportJson(const AuditReport& report, const RepairResult* repair = nullptr);

}  // namespace qv::audit
