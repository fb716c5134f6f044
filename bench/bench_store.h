#pragma once

// Generated store databases for the benchmarks: a store of 10,000, 100,000 or 1,000,000
// inventory items with their UPC rows, made once into a cache folder and opened through the
// record layer the way start-up opens it.
//
// Cache layout (QUORVANE_BENCH_DIR, default /tmp/quorvane-bench):
//   <root>/<items>/drives/C/KT/VOR.sqlite   the database "VOR" in the data folder "C:\KT"
//   <root>/<items>/drives/C/KT/VOR.INI      the suite configuration file
//   <root>/<items>/program/                 the program folder (start-up trace "52.txt")
//   <root>/<items>/ready                    written last; names the generator's version
// A folder without a "ready" file of the current version is made again from scratch. A lock
// file <root>/<items>.lock keeps two benchmark programs from generating the same store at once.

#include "db/inventory_table.h"
#include "db/record_layer.h"
#include "db/upc_table.h"
#include "platform/file_system.h"
#include "platform/message_boxes.h"
#include "platform/services.h"
#include "platform/settings_store.h"
#include "settings/ini_services.h"
#include "settings/run_values.h"

#include <QMap>
#include <QString>
#include <memory>
#include <vector>

namespace qv::bench {

// Bump when the generated data changes: caches of another version are made again.
inline constexpr int kGeneratorVersion = 2;

// Item `index` (0-based) of every generated store; a store of n items holds items 0 to n-1, so
// the smaller stores are the first part of the larger ones. The data:
// - RecordNum 11 + index.
// - S/L codes: numeric, right-aligned in seven characters and a blank ("  10001 " is item 0);
//   one item in 500 has an alphanumeric code instead ("G1CB    "), left-aligned.
// - Item codes: brand code, "-", seven digits ("KW-0000012"); one in 20 is a numeric code
//   right-aligned in the 25 characters, one in 50 starts with one blank; pack and single items
//   carry "*" and "/" before their root's code.
// - Descriptions of 32 brands and 32 products ("KIWI PALE ALE"), with a line number past the
//   first 1,024 ("KIWI PALE ALE 7"), sizes in SubDescription; items come in groups of ten where
//   three share one description and two another, so every description is held by one to three
//   items whatever the store's size. One brand holds apostrophes; one description in 97 is in
//   mixed case; one in 50,000 holds the rare word "QUINCE" in place of the product.
// - 24 vendors with numbered branches (300 codes), 8 department codes, front and back
//   locations, prices and costs in cents.
// - One item in 200 is deleted (Status "D"); one in 50 is a case with a pack and a single item
//   linked to it (FlgQZV "R", "P", "I"; LinkBreakPack, QZV1, QZV2, QTYINPACK).
db::InventoryRecord GeneratedItem(int index);
// The item's UPC rows: none for one item in ten, two (the second a case code, POLL "D" for one
// in ten of those) for one in 25, else one. Codes are valid 12-digit UPC-A codes.
std::vector<db::UpcRecord> GeneratedUpcs(int index);
// An item beyond every generated store (for inserts): S/L code, item code, record number and
// UPC made from `extra` so that they collide with nothing generated below 2,000,000 items.
db::InventoryRecord ExtraItem(int extra);
db::UpcRecord ExtraUpc(int extra);

// The cache root: QUORVANE_BENCH_DIR, else /tmp/quorvane-bench.
QString BenchRoot();
// The folder of the store of `items` items.
QString StoreFolder(int items);

// Per-user settings held in memory.
class MemorySettingsStore final : public SettingsStore {
public:
    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue = {}) const override;
    bool saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    bool deleteSetting(const QString& app, const QString& section, const QString& key) override;

private:
    QMap<QString, QString> values_;
};

// A benchmark expects no message box: any box is printed with its title and the program is
// stopped, so a broken store never yields timings.
class FailingBoxes final : public MessageBoxes {
public:
    BoxAnswer show(int style, const QString& title, const QString& text) override;
};

// A generated store opened through the record layer: the Common table, then the Inventory and
// UPC tables (OpenAllTables, OpenDataTables), as start-up opens them.
class BenchStore {
public:
    // Generates the store first unless the cache holds a complete one of this version. Throws
    // std::runtime_error when the store cannot be made or opened. `boxes` replaces the failing
    // box double (a lookup that shows boxes on purpose passes one that counts them); it must
    // outlive the store.
    explicit BenchStore(int items, MessageBoxes* boxes = nullptr);
    ~BenchStore();
    BenchStore(const BenchStore&) = delete;
    BenchStore& operator=(const BenchStore&) = delete;

    // One store per size for the whole program, made on first use.
    static BenchStore& Shared(int items);

    int items() const { return items_; }
    // Rows of the UPC table.
    int upcRows() const { return upcRows_; }
    QString folder() const { return folder_; }
    // Native path of the database file, for opening it with sqlite3 directly.
    QString databaseFile() const;
    // True when this run generated the store (false: taken from the cache).
    bool generated() const { return generated_; }
    double generationSeconds() const { return generationSeconds_; }

    db::RecordLayer& layer() { return *layer_; }
    Services& services() { return services_; }
    RunValues& run() { return run_; }
    clsINI_Services& ini() { return ini_; }

private:
    static AppInfo appInfo(const QString& folder);
    void prepareFolders();
    void generate();
    std::unique_ptr<db::RecordLayer> makeLayer();
    void writeReadyFile();
    bool readyFileCurrent();

    int items_;
    QString folder_;
    int upcRows_ = 0;
    bool generated_ = false;
    double generationSeconds_ = 0;
    FailingBoxes failingBoxes_;
    MemorySettingsStore settings_;
    LocalFileSystem fs_;
    Services services_;
    RunValues run_;
    clsINI_Services ini_;
    std::unique_ptr<db::RecordLayer> layer_;
};

}  // namespace qv::bench
