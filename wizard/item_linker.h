#pragma once

#include "db/record_layer.h"
#include "settings/country_settings.h"
#include "settings/run_values.h"
#include "wizard/creation_log.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace qv {

// The record work behind the main form: deriving a pack or single item from the item in the
// inventory record, saving it with its UPC, and tying it to the root item. No widgets and no
// message boxes here: the form asks the questions and shows the messages; these functions
// answer true or false (or what went wrong).
//
// Every routine works on the record layer's shared inventory and UPC records. Probes that
// would move the inventory record (looking a code up, finding the next number) keep a copy
// and put it back, so the record the caller had is still there afterwards unless the routine
// says otherwise.

enum class ItemKind { Pack, Single };

// What the user typed into a frame of linked item, as the boxes hold it.
struct LinkedItemInput {
    QString vendorId;        // ItemID
    QString description;     // Description
    QString subDescription;  // SubDescription
    QString upc;             // a new UPC for the item, or blank
    QString price;           // blank means 0
    QString quantity;        // QTYINPACK
    QString deptCode;        // DeptCode
    QString uomEntry;        // the chosen unit list entry; UOM keeps its first 5 characters
    QString linkSl;          // stored S/L code of the item it breaks from (LinkBreakPack)
    QString depositSl;       // stored S/L code of the bottle deposit item (LinkItem), or blank
};

// A box whose text cannot be saved, and why.
struct InputProblem {
    enum class Field { VendorId, Description, SubDescription, Upc, Price, Quantity, DeptCode };
    Field field;
    QString message;
};

// The first box of input that cannot be stored as typed: texts longer than their columns,
// a price that is not an amount of 0 or more, a quantity that is not a whole number from 1 to
// 32767, a UPC that is not 5 to 15 digits. Nothing when all can be saved.
std::optional<InputProblem> CheckLinkedItem(const LinkedItemInput& input);

// A quantity as the quantity boxes take it: a whole number from 1 to 32767 (blanks around and
// a zero fraction allowed, "12" or " 12.0 "). Nothing for anything else.
std::optional<std::int16_t> WholeQuantity(const QString& text);

// A UPC as the wizard stores it: the trimmed text when it is 5 to 15 digits, else nothing.
std::optional<QString> ValidUpc(const QString& text);

// Writes the number of packs in the case into the root item's QTYINPACK (the inventory record
// holds the root). The record keeps its other values and gets the new number. False when the
// root is not found or the update fails.
bool SetRootQtyInPack(db::RecordLayer& layer, std::int16_t packs);

// How saving an item ended. A created item whose record number or S/L code another station
// took between its creation and its save is saved under the next free ones (taken as item
// creation takes them); only a refusal for any other reason leaves it unsaved.
struct SaveResult {
    enum class Outcome {
        Saved,
        Refused,    // the database refused the item (error says why); nothing was written
        Cancelled,  // the database stayed busy and the user gave up; nothing was written
    };
    Outcome outcome = Outcome::Refused;
    QString sl;                  // the stored S/L code the item was saved under
    std::int32_t recordNum = 0;  // and its record number
    QString takenSl;             // the code it had when another station took that meanwhile
    int renumbered = 0;          // inserts made again under a new number or code
    db::DbError error;           // why it was refused; kind Other when nothing more is known

    explicit operator bool() const { return outcome == Outcome::Saved; }
};

// What the user is told when a created item had to take another S/L code: both codes in
// the grid's form.
QString SlChangedText(const QString& takenSl, const QString& savedSl);

// "Record not saved", followed on a line of its own by why when the database said it was
// read-only, full or damaged.
QString NotSavedText(const db::DbError& error);

class ItemLinker {
public:
    ItemLinker(RunValues& run, db::RecordLayer& layer, CountrySettings& country);

    // Derives a new item from the item in the inventory record (the source) and leaves it in
    // the record, not yet written: a new S/L code and record number, the link to the source,
    // FlgQZV "P" or "I", the quantity, the cost divided by it, an item code of "*" (pack) or
    // "/" (single) and the source's code or, when the case UPC is scanned, the UPC record's
    // code. Writes "SL=", "INvUID=" and "Item Created" to the log. Nothing when the quantity
    // is below 1, the cost cannot be divided or the user gave up on a busy database while the
    // numbers were looked for (the record is then the source again).
    struct Created {
        QString sl;
        std::int32_t recordNum = 0;
    };
    std::optional<Created> CreateItem(std::int16_t quantity, ItemKind kind, bool caseUpcScanned,
                                      CreationLog& log);

    // True when no inventory item has this item code (compared as the server compares codes:
    // leading blanks, trailing blanks and case do not count).
    bool VendorIdFree(const QString& vendorId);

    // The UPC of the item with this record number (the first UPC row found for it), trimmed;
    // empty when it has none. Moves the UPC record.
    QString CurrentUpc(std::int32_t recordNum);

    // Copies the input into the inventory record and writes the item: its new UPC row (when the
    // UPC differs from the one it has) and then the item itself, updated when it was selected
    // from the table (itemChosen) or inserted when it was created, in one transaction: when
    // the item is not written, neither is its UPC row. A UPC that another item already has is
    // left out without stopping the save. Check the input with CheckLinkedItem first: input it
    // refuses is not saved.
    //
    // When the insert of a created item is refused because its record number or S/L code is
    // no longer free (another station saved an item with it meanwhile), the taken one is
    // replaced by the next free one, found inside the transaction, and the pair is written
    // again, a few times at most. The UPC row carries the final code and number, and so does
    // the inventory record afterwards. A database that stays busy is asked about through the
    // record layer's busy prompt; each "Retry" runs the whole save again.
    SaveResult SaveLinkedItem(const LinkedItemInput& input, bool itemChosen);

    // True when an inventory item holds this stored S/L code. Keeps the inventory record.
    bool SlTaken(const QString& storedSl);

    // Saves a UPC for the root item in the inventory record. False when the insert is refused
    // (the code belongs to another item).
    bool InsertRootUpc(const QString& upc);

    // Ties the root to its pack and single items: FlgQZV "R", QZV1 and QZV2. False when the
    // root is not found or the update fails. Moves the inventory record.
    bool LinkRoot(const QString& rootSl, std::int32_t packRecordNum, std::int32_t singleRecordNum);

    // True when an inventory item with this record number exists. Keeps the inventory record.
    bool ItemExists(std::int32_t recordNum);

    // Points the root item's bottle deposit link at an item (blank clears it), at once.
    // Rows changed: 1 when it worked.
    std::int64_t SetRootDeposit(std::int32_t rootRecordNum, const QString& depositSl);

    // The bottle deposit list: "Not Selected", then one entry per item of the department in
    // the order read: the 8-character S/L code, five blanks, the price as "0.00", a tab, four
    // blanks, the 30-character description. Moves the inventory table's current row.
    QStringList DepositEntries(const QString& deptCode);

    // The price of an inventory record as the price boxes show it: with tax included when the
    // store's prices include tax.
    Currency DisplayedPrice(const db::InventoryRecord& record) const;

private:
    // One try at writing the item and its UPC row inside an open transaction: nothing when
    // both are written, else why not.
    std::optional<db::DbError> writeOnce(const QString& upc, const QString& currentUpc,
                                         bool itemChosen);

    RunValues& run_;
    db::RecordLayer& layer_;
    CountrySettings& country_;
};

inline constexpr char kNotSelected[] = "Not Selected";

}  // namespace qv
