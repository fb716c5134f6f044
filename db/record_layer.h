#pragma once

#include "db/common_table.h"
#include "db/connection.h"
#include "db/inventory_table.h"
#include "db/record_fields.h"
#include "db/upc_table.h"
#include "platform/services.h"
#include "settings/run_values.h"
#include "sql/engine.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace qv {
class clsINI_Services;
}

namespace qv::db {

// Table numbers of the record layer.
enum Table : std::int16_t {
    kCommonTable = 0,
    kInventoryTable = 1,
    kUpcTable = 2,
    kSpareTable = 3,
};

// Operation codes of RecordOp. Codes that share a name behave alike.
namespace op {
inline constexpr std::int16_t Open = 0;
inline constexpr std::int16_t Close = 1;
inline constexpr std::int16_t Insert = 2;
inline constexpr std::int16_t Update = 3;
inline constexpr std::int16_t Delete = 4;
inline constexpr std::int16_t GetEqual = 5;
inline constexpr std::int16_t GetNext = 6;
inline constexpr std::int16_t GetPrevious = 7;
inline constexpr std::int16_t GetGreater = 8;
inline constexpr std::int16_t GetGreaterOrEqual = 9;
inline constexpr std::int16_t GetLess = 10;
inline constexpr std::int16_t GetLessOrEqual = 11;
inline constexpr std::int16_t GetFirst = 12;
inline constexpr std::int16_t GetLast = 13;
inline constexpr std::int16_t BeginTransaction = 19;
inline constexpr std::int16_t EndTransaction = 20;
inline constexpr std::int16_t AbortTransaction = 21;
inline constexpr std::int16_t GetNext2 = 24;
inline constexpr std::int16_t GetFirst2 = 33;
inline constexpr std::int16_t GetLast2 = 34;
inline constexpr std::int16_t GetPrevious2 = 35;
inline constexpr std::int16_t BySQL = 36;
}  // namespace op

// Key number of "Get First" and "Get Last" that reads in the table's physical order.
inline constexpr std::int16_t kPhysicalOrder = -1;

// One entry of the table registry.
struct TableSlot {
    QString fileName;   // name in the older file-based store ("INVENTRY", ...)
    QString filePath;   // that file's path; kept, never used to reach data
    QString tableName;  // the SQL table every statement names
    QString label;
    bool opened = false;
    std::int16_t segmentCount = 0;  // of the key last loaded by SetKey
    QString createStatement;
    QString indexStatements;  // statements separated by ";"
};

// Appends the recall lines of one row to `file` (a DOS-style or native path), so that the row
// can be put back by hand: the date (MM/dd/yyyy), a blank, the user, two blanks and the
// program's name; then "INSERT INTO <table> VALUES(<values>)", or a comment line when the row
// could not be written as a statement (values empty). False when the file cannot be written.
bool AppendRecallLines(FileSystem& fs, const QString& file, const QString& userId,
                       const QString& exeName, const QString& tableName,
                       const std::optional<QString>& values);

// The record database layer: one per run. It owns the server connection, the table registry,
// one current row per table and one record buffer per table (Inventory, Upc, Common), which
// callers read and write in place.
//
// Errors: every operation answers true or false. Where the server raises an error the layer
// does not show it itself (except where the program's messages say, at connection and table
// open time): the table stays on its current row, the operation returns false and LastError()
// holds the server's error until the next error replaces it. Failed statements run through
// ExecuteSql are also written to "PVSW.log" in the data folder.
//
// Files: "52.txt" in the program folder traces the database start-up, "PVSW.log" in the data
// folder logs failed statements, "DeleteRecall.txt" in the data folder keeps a re-insert
// statement for every inventory row deleted.
class RecordLayer {
public:
    // Makes the engine for the database server of this computer, which keeps its databases in
    // the data folder (native path). The default makes the embedded SQLite engine; tests pass
    // their own to put faults in its way.
    using EngineFactory = std::function<std::unique_ptr<Engine>(const QString& nativeFolder)>;
    // Makes the engine for a database server elsewhere, by its name ("HOST\INSTANCE"). The
    // default makes the ODBC engine with the driver and options of the per-user settings
    // "ODBCDriver" and "ODBCOptions".
    using ServerEngineFactory = std::function<std::unique_ptr<Engine>(const QString& serverName)>;

    // dataFolder: the data folder as the suite writes it ("C:\KT"), without a trailing "\".
    // services, run and ini must outlive the layer.
    RecordLayer(Services& services, RunValues& run, clsINI_Services& ini, QString dataFolder,
                EngineFactory engineFactory = {}, ServerEngineFactory serverEngineFactory = {});
    ~RecordLayer();
    RecordLayer(const RecordLayer&) = delete;
    RecordLayer& operator=(const RecordLayer&) = delete;

    // --- records, keys, current rows -------------------------------------------------------

    InventoryRecord Inventory;
    UpcRecord Upc;
    CommonRecord Common;

    // Set by a caller around one direct-mode keyed read that should use the record's key.
    bool KeyFromRecord = false;

    KeySegments Keys;

    // The slot of a table number; nothing outside 0 to 3.
    TableSlot* Slot(int table);
    const TableSlot* Slot(int table) const;
    // The table's current row set (one row, or the rows of a "BySQL" read); nullptr before the
    // first open. A read that finds nothing puts the table back on its first row.
    RowSet* CurrentRow(int table) const;

    // The one entry point for record work (see the operation codes above).
    // - table outside 0 to 3: false, nothing done. Codes without server work (open, close,
    //   transactions, unknown codes): true, nothing done.
    // - Comparisons ("=", ">", ">=", "<", "<="): sql empty asks for a statement built from the
    //   key, which is handed back; a given statement is used as it is ("<" and "<=" add
    //   " DESC" to either). Item codes compare through ltrim(ItemID); quoted values are never
    //   rewritten. In direct mode (without KeyFromRecord) key is a column ordinal and the
    //   value is read from the current row, trailing blanks dropped.
    // - Keys of more than two segments step (Get Next / Get Previous) on every leading segment:
    //   a=x AND b=y AND c>z OR a=x AND b>y OR a>x.
    // - Insert refuses a record with a number its column cannot keep (NaN, a quantity beyond
    //   DECIMAL(18,4)) before anything is sent. Update and Delete need a current row; an
    //   optimistic-lock conflict or any other server error gives false and leaves the row as
    //   stored (unsent writes are dropped).
    // A row not found, the end of the table, a refused insert and a server error all give
    // false; the error is in LastError().
    bool RecordOp(int table, std::int16_t op, std::int16_t key, bool direct, bool spare,
                  QString& sql);
    bool RecordOp(int table, std::int16_t op, std::int16_t key, bool direct = false);

    // Loads Keys (and the slot's segment count) from the table's record for a key number.
    void SetKey(int table, int key);
    // Copies the current row into the table's record buffer, column by ordinal. Null gives
    // blanks or 0; text that is no number gives 0 in a number field; a whole number beyond its
    // field is held at the field's limit; text is cut or padded to the field's width.
    void RowToRecord(int table);
    // Writes the record buffer into the current row's columns (changed columns only).
    void RecordToRow(int table);
    // Sanitises the record's text fields in place and returns the VALUES list of an INSERT;
    // nothing when a number field holds a value its column cannot keep.
    std::optional<QString> RecordValues(int table);

    // Columns of the current row by 0-based ordinal. A missing row or column gives Null / "".
    Value FieldValue(int table, int ordinal) const;
    QString FieldName(int table, int ordinal) const;
    // Writes one value into the current row (sent by the next Update): Null and text that reads
    // as a date are written as they are; text that is blank is written as empty text; any other
    // value only when it differs from the column's. Without a current row nothing is written.
    void SetFieldValue(int table, int ordinal, const Value& value);

    // The server's last error. Its kind tells a refused duplicate, a busy, read-only, full or
    // damaged database from other failures.
    const DbError& LastError() const { return lastError_; }
    // The statement of the last read or insert, as sent.
    const QString& LastStatement() const { return lastStatement_; }

    // --- a busy database ----------------------------------------------------------------------

    // Asked when a statement outside a transaction could not run because another program or
    // station held the database past the engine's busy time-out: true runs it again, false
    // gives up. Without a prompt the statement fails with the busy error. The layer itself
    // shows nothing: the program installs a prompt that asks the user.
    using BusyPrompt = std::function<bool(const DbError&)>;
    void SetBusyPrompt(BusyPrompt prompt) { busyPrompt_ = std::move(prompt); }
    // Asks the prompt whether to try again (false without one). After its "no", statements
    // fail at once with that error, sending nothing, until control is back in the event loop:
    // one answer covers the whole action the user started, which is not asked about again
    // statement by statement.
    bool AskBusyRetry(const DbError& error);
    // True while statements fail at once after such a "no".
    bool BusyDeclined() const { return busyDeclined_; }

    // --- transactions --------------------------------------------------------------------------

    // One unit of work over several operations: all of it is kept, or none. Inside it a busy
    // database is not asked about: the statement fails, and the unit's owner rolls back and
    // asks (AskBusyRetry) before running the whole unit again. Beginning waits for other
    // writers (and asks when they hold on too long).
    bool BeginTransaction();
    bool CommitTransaction();
    void RollbackTransaction();
    bool InTransaction() const { return inTransaction_; }

    // --- server connection and start-up ------------------------------------------------------

    // Reads the database settings, finds the server and makes sure the database exists.
    // False (after the message) when the database is not found or the server cannot be used:
    // the caller then ends the program.
    bool InitDatabase();
    // Opens the connection to the database (empty name: the configured one).
    bool Connect(const QString& databaseName = {});
    bool Connected() const;
    // Puts the table on its first row, creating the table when it is missing (and trying the
    // owner-qualified "vor." name). True when the table's row set is open; only an open that
    // finally fails shows "Open Table Error". A table of a busy, read-only, full or damaged
    // database is not created. Without a connection: "Failed to connect to database. ",
    // followed on a line of its own by why the connection failed when that is known.
    bool OpenTable(int table);
    // Runs the slot's create and index statements in one transaction, so a table comes with
    // all its indexes or not at all. Always false: callers learn the outcome by opening the
    // table.
    bool CreateTable(int table);
    bool TableExists(const QString& tableName);
    // Rows affected; 0 when the statement failed (it is then logged to "PVSW.log").
    std::int64_t ExecuteSql(const QString& statement);

    // Start-up: the database, the Common table and its row (for the store number), then the
    // slots of the Inventory and UPC tables. False when the program cannot go on: no database,
    // a Common table that does not open (there is no store number to name the other tables
    // by) or one without a row.
    bool OpenAllTables();
    // Opens the Inventory and then the UPC table; false as soon as one fails.
    bool OpenDataTables();

    // Fill a slot and create the table when it is missing. An Inventory table with rows is
    // brought up to date; after item codes are widened its indexes are made again at once.
    // An explicit name replaces the usual one.
    void PrepareCommonTable();
    void PrepareInventoryTable(const QString& storeNumberText, const QString& explicitName = {});
    void PrepareUpcTable(const QString& storeNumberText, const QString& explicitName = {});

    // --- inventory operations ---------------------------------------------------------------

    // Reads the item with this record number into Inventory.
    bool GetInventoryByRecordNum(std::int32_t recordNum);
    // Reads the item with this S/L code into Inventory and returns its record number. When
    // none has it: 0, or with specialCodes the number of a reserved code (SpecialCodeNumber).
    // Apostrophes in the code are read as blanks, as codes are stored.
    std::int32_t GetInventoryBySL(const QString& code, bool specialCodes);
    // The highest record number + 1 (reads that row into Inventory); 11 on an empty table.
    std::int32_t NextRecordNumber();
    // Rows of the Inventory table; nothing when the count fails. The current row stays.
    std::optional<std::int64_t> InventoryRowCount();

    // --- what start-up found -----------------------------------------------------------------

    QString DatabaseName() const { return databaseName_; }
    QString ServerName() const { return serverName_; }
    QString UserName() const { return userName_; }
    QString StoreNumberText() const { return storeNumberText_; }
    QString DataFolder() const { return dataFolder_; }
    // A file of the data folder ("C:\KT\PVSW.log" for "PVSW.log").
    QString DataFile(const QString& name) const;
    void setDataFolder(const QString& folder) { dataFolder_ = folder; }
    Engine* engine() const { return engine_.get(); }

    // True when the database is served by the embedded engine from the data folder.
    bool Embedded() const { return embedded_; }

    // Sets this computer's clock from the server's machine when the server runs elsewhere.
    // serverName without "\" cannot name a machine: the "VOR MSDE" box tells so.
    void VerifyServerTime(const QString& serverName, int status);

private:
    enum class Read { Found, Empty, Failed };

    Read openRead(int table, const QString& sql);
    bool readStatement(int table, const QString& sql);
    void resetToDefaultRow(int table);
    bool insert(int table);
    bool update(int table, bool direct);
    bool remove(int table);
    bool keyed(int table, const QString& cmp, QString& sql);
    bool singleColumn(int table, const QString& cmp, int ordinal, QString& sql);
    bool stepping(int table, int key, bool next);
    bool firstOrLast(int table, int key, bool last);
    QString columnName(int table, int ordinal) const;
    QString segmentLiteral(int segment) const;
    bool hasRow(int table) const;
    // Runs one engine call (which fills the error when it fails) again while the database is
    // busy and the prompt says so; a failure's error is kept in LastError().
    template <class Call>
    bool retryWhileBusy(Call&& call);

    void trace(const QString& line);
    void writeRecallLines(int table);
    void logFailedStatement(const QString& statement, const DbError& error);
    std::optional<std::int64_t> run(const QString& statement);  // logs failures
    bool ensureConnected();
    bool openTable(int table, bool report);  // report: show "Open Table Error" on failure
    bool makeEngine(bool embedded);
    void resetRegistry();
    void upgradeInventory(const QString& table);
    bool renameColumn(const QString& table, const QString& from, const QString& to);

    Services& services_;
    RunValues& run_;
    clsINI_Services& ini_;
    QString dataFolder_;
    EngineFactory engineFactory_;
    ServerEngineFactory serverEngineFactory_;

    std::unique_ptr<Engine> engine_;
    QString engineKey_;  // which server the engine was made for
    bool embedded_ = true;
    std::array<TableSlot, 4> registry_;
    std::array<std::unique_ptr<RowSet>, 4> currentRow_;
    DbError lastError_;
    DbError connectError_;  // why the last Connect failed
    QString lastStatement_;

    BusyPrompt busyPrompt_;
    bool busyDeclined_ = false;  // the user gave up on a busy database in this action
    DbError declinedError_;
    QObject busyContext_;  // ends the declined state from the event loop, while the layer lives
    bool inTransaction_ = false;

    QString databaseName_;
    QString serverName_;
    QString userName_;
    QString password_;
    QString storeNumberText_;
    bool connected_ = false;
};

template <class Call>
bool RecordLayer::retryWhileBusy(Call&& call) {
    for (;;) {
        if (busyDeclined_) {
            lastError_ = declinedError_;
            return false;
        }
        DbError error;
        if (call(error)) {
            return true;
        }
        lastError_ = error;
        if (error.kind != ErrorKind::Busy || inTransaction_ || !AskBusyRetry(error)) {
            return false;
        }
    }
}

}  // namespace qv::db
