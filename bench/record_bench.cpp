// Timings of the record layer's one-row operations on generated stores of 10,000, 100,000 and
// 1,000,000 items (see bench_store.h), each beside its floor: the same row fetched (or the same
// rows inserted) by a hand-written SQLite statement on the best index, prepared once and bound
// again for each call, on the same database file with the engine's collation.
//
// Every read cycles through 2,048 items spread over the whole table, so no single cached row
// flatters the numbers. Before timing, each benchmark checks on 64 of them that the layer and
// its floor answer the same row; a mismatch stops the benchmark with an error. Inserts run in a
// transaction that is rolled back after each call (outside the timing), so the store never
// grows.
//
// Counters: "found" is the share of calls that found a row (1 for every benchmark here).
// QUORVANE_BENCH_PLANS=1 prints SQLite's plan of each statement, the layer's and the floor's.
//
//   build/bench/quorvane_bench --benchmark_filter='rows:10000$'

#include "bench/bench_store.h"
#include "db/sql_text.h"
#include "sql/sqlite/sqlite_collation.h"
#include "sql/sqlite/sqlite_engine.h"
#include "sql/sqlite/sqlite_types.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QFile>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>

namespace qv::bench {
namespace {

using db::InventoryRecord;

constexpr int kSamples = 2048;
constexpr int kChecked = 64;
constexpr int kInsertItems = 4096;

bool PlansWanted() {
    return qEnvironmentVariableIntValue("QUORVANE_BENCH_PLANS") != 0;
}

// One prepared statement of the floor's connection.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : sql_(sql) {
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) !=
            SQLITE_OK) {
            throw std::runtime_error(std::string(sql) + ": " + sqlite3_errmsg(db));
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return stmt_; }
    const char* sql() const { return sql_; }

private:
    const char* sql_;
    sqlite3_stmt* stmt_ = nullptr;
};

void BindText(sqlite3_stmt* stmt, int index, const QByteArray& utf8) {
    sqlite3_bind_text(stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_STATIC);
}

// The key values of one sample item as the floor binds them (trailing blanks dropped, as the
// engine stores text).
struct FloorKey {
    std::int32_t recordNum = 0;
    QByteArray sl;
    QByteArray itemId;  // without leading blanks: item codes are read through ltrim
    QByteArray description;
};

// What the layer's benchmarks and the floor's share for one store size.
struct Bed {
    explicit Bed(int items) : store(BenchStore::Shared(items)) {
        const int stride = std::max(1, items / kSamples);
        db::RecordLayer& layer = store.layer();
        for (int k = 0; k < kSamples && k < items; ++k) {
            const int index = std::min(items - 1, 1 + k * stride + (k * 7919) % stride);
            if (!layer.GetInventoryByRecordNum(11 + index)) {
                throw std::runtime_error("a sample item could not be read");
            }
            samples.push_back(layer.Inventory);
            FloorKey key;
            key.recordNum = layer.Inventory.RecordNum;
            key.sl = layer.Inventory.SL.rtrimmed().toUtf8();
            key.itemId = db::LTrim(layer.Inventory.ItemID.rtrimmed()).toUtf8();
            key.description = layer.Inventory.Description.rtrimmed().toUtf8();
            keys.push_back(key);
        }
        layer.OpenDataTables();  // back on the first rows, as start-up leaves them

        if (sqlite3_open_v2(QFile::encodeName(store.databaseFile()).constData(), &raw,
                            SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
            db::registerEngineExtensions(raw) != SQLITE_OK) {
            throw std::runtime_error("the floor's connection could not be opened");
        }
        // The engine's own settings, so the floor has the same page cache to work with.
        sqlite3_exec(raw, "PRAGMA cache_size = -16384; PRAGMA temp_store = MEMORY", nullptr,
                     nullptr, nullptr);
    }
    ~Bed() {
        statements.clear();
        sqlite3_close(raw);
    }

    Statement& statement(const char* sql) {
        auto& s = statements[sql];
        if (!s) {
            s = std::make_unique<Statement>(raw, sql);
        }
        return *s;
    }

    BenchStore& store;
    std::vector<InventoryRecord> samples;
    std::vector<FloorKey> keys;
    sqlite3* raw = nullptr;
    std::map<std::string, std::unique_ptr<Statement>> statements;
    std::set<std::string> plansShown;
};

Bed& BedOf(int items) {
    static std::map<int, std::unique_ptr<Bed>> beds;
    auto& b = beds[items];
    if (!b) {
        b = std::make_unique<Bed>(items);
    }
    return *b;
}

void PrintPlan(Bed& bed, const QString& label, const QString& layerSql, const char* floorSql) {
    if (!PlansWanted() || !bed.plansShown.insert(label.toStdString()).second) {
        return;
    }
    std::fprintf(stderr, "plan %s (%d items)\n", qPrintable(label), bed.store.items());
    if (auto* engine = dynamic_cast<db::SqliteEngine*>(bed.store.layer().engine())) {
        db::DbError e;
        const auto plan = engine->explainQueryPlan(layerSql, e);
        std::fprintf(
            stderr, "  layer: %s\n    %s\n", qPrintable(layerSql),
            plan ? qPrintable(plan->join(QStringLiteral("\n    "))) : qPrintable(e.description));
    }
    sqlite3_stmt* plan = nullptr;
    const std::string explain = std::string("EXPLAIN QUERY PLAN ") + floorSql;
    std::fprintf(stderr, "  floor: %s\n", floorSql);
    if (sqlite3_prepare_v2(bed.raw, explain.c_str(), -1, &plan, nullptr) == SQLITE_OK) {
        while (sqlite3_step(plan) == SQLITE_ROW) {
            std::fprintf(stderr, "    %s\n",
                         reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)));
        }
    }
    sqlite3_finalize(plan);
}

// --- the layer's side --------------------------------------------------------------------

// Loads the fields of key `key` from a sample into the inventory record, as a caller does
// before a keyed read.
void SetKeyFields(InventoryRecord& r, const InventoryRecord& sample, int key) {
    switch (key) {
        case 0:
            r.RecordNum = sample.RecordNum;
            break;
        case 1:
            r.SL = sample.SL;
            break;
        case 2:
            r.ItemID = sample.ItemID;
            break;
        case 3:
            r.Description = sample.Description;
            r.SL = sample.SL;
            break;
        default:
            break;
    }
}

// The record number the layer reads for sample k, or 0 when it finds nothing. (Not inlined, so
// that a profiler can collect exactly the calls.)
[[gnu::noinline]] std::int32_t LayerRead(Bed& bed, std::int16_t op, int key, std::size_t k) {
    db::RecordLayer& layer = bed.store.layer();
    SetKeyFields(layer.Inventory, bed.samples[k % bed.samples.size()], key);
    return layer.RecordOp(db::kInventoryTable, op, static_cast<std::int16_t>(key))
               ? layer.Inventory.RecordNum
               : 0;
}

// --- the floor's side --------------------------------------------------------------------

// The floor's statement for a read; nullptr when there is none.
const char* FloorSql(std::int16_t op, int key) {
    switch (op) {
        case db::op::GetEqual:
            switch (key) {
                case 0:
                    return "SELECT * FROM invt1 WHERE RecordNum = ?1 LIMIT 1";
                case 1:
                    return "SELECT * FROM invt1 WHERE SL = ?1 LIMIT 1";
                case 2:
                    return "SELECT * FROM invt1 WHERE ltrim(ItemID) COLLATE MSCI = ?1 LIMIT 1";
                case 3:
                    return "SELECT * FROM invt1 WHERE Description = ?1 AND SL = ?2 LIMIT 1";
                default:
                    return nullptr;
            }
        case db::op::GetNext:
            return key == 1   ? "SELECT * FROM invt1 WHERE SL > ?1 ORDER BY SL LIMIT 1"
                   : key == 3 ? "SELECT * FROM invt1 WHERE (Description, SL) > (?1, ?2) "
                                "ORDER BY Description, SL LIMIT 1"
                              : nullptr;
        case db::op::GetPrevious:
            return key == 1   ? "SELECT * FROM invt1 WHERE SL < ?1 ORDER BY SL DESC LIMIT 1"
                   : key == 3 ? "SELECT * FROM invt1 WHERE (Description, SL) < (?1, ?2) "
                                "ORDER BY Description DESC, SL DESC LIMIT 1"
                              : nullptr;
        case db::op::GetFirst:
            return key == 1   ? "SELECT * FROM invt1 ORDER BY SL LIMIT 1"
                   : key == 3 ? "SELECT * FROM invt1 ORDER BY Description, SL LIMIT 1"
                              : nullptr;
        case db::op::GetLast:
            return key == 1   ? "SELECT * FROM invt1 ORDER BY SL DESC LIMIT 1"
                   : key == 3 ? "SELECT * FROM invt1 ORDER BY Description DESC, SL DESC LIMIT 1"
                              : nullptr;
        default:
            return nullptr;
    }
}

void BindKey(sqlite3_stmt* stmt, const FloorKey& k, std::int16_t op, int key) {
    if (op == db::op::GetFirst || op == db::op::GetLast) {
        return;
    }
    switch (key) {
        case 0:
            sqlite3_bind_int(stmt, 1, k.recordNum);
            break;
        case 1:
            BindText(stmt, 1, k.sl);
            break;
        case 2:
            BindText(stmt, 1, k.itemId);
            break;
        case 3:
            BindText(stmt, 1, k.description);
            BindText(stmt, 2, k.sl);
            break;
        default:
            break;
    }
}

// Steps the statement once and reads every column of the row, as a fetch does; the record
// number of the row, or 0 when there is none.
std::int32_t FetchRow(sqlite3_stmt* stmt) {
    std::int32_t recordNum = 0;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(stmt);
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_INTEGER:
                    benchmark::DoNotOptimize(sqlite3_column_int64(stmt, c));
                    break;
                case SQLITE_FLOAT:
                    benchmark::DoNotOptimize(sqlite3_column_double(stmt, c));
                    break;
                case SQLITE_TEXT:
                    benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
                    benchmark::DoNotOptimize(sqlite3_column_bytes(stmt, c));
                    break;
                default:
                    break;
            }
        }
        recordNum = sqlite3_column_int(stmt, db::inventory::colRecordNum);
    }
    sqlite3_reset(stmt);
    return recordNum;
}

[[gnu::noinline]] std::int32_t FloorRead(Bed& bed, sqlite3_stmt* stmt, std::int16_t op, int key,
                                         std::size_t k) {
    BindKey(stmt, bed.keys[k % bed.keys.size()], op, key);
    return FetchRow(stmt);
}

// True when the layer and the floor answer the same rows for the first samples (and find one
// for most of them: a step from the very first or last item finds nothing on either side).
bool SameAnswers(benchmark::State& state, Bed& bed, std::int16_t op, int key, sqlite3_stmt* stmt) {
    int found = 0;
    for (std::size_t k = 0; k < kChecked; ++k) {
        const std::int32_t layer = LayerRead(bed, op, key, k);
        const std::int32_t floor = FloorRead(bed, stmt, op, key, k);
        if (layer != floor) {
            const std::string why = "sample " + std::to_string(k) + ": layer read record " +
                                    std::to_string(layer) + ", floor read " + std::to_string(floor);
            state.SkipWithError(why.c_str());
            return false;
        }
        found += layer != 0;
    }
    if (found < kChecked / 2) {
        state.SkipWithError("most sample reads found nothing");
        return false;
    }
    return true;
}

int Items(const benchmark::State& state) {
    return static_cast<int>(state.range(1));
}

// --- reads -------------------------------------------------------------------------------

void LayerReadBench(benchmark::State& state, std::int16_t op) {
    Bed& bed = BedOf(Items(state));
    const int key = static_cast<int>(state.range(0));
    Statement& floor = bed.statement(FloorSql(op, key));
    if (!SameAnswers(state, bed, op, key, floor.get())) {
        return;
    }
    LayerRead(bed, op, key, 0);
    PrintPlan(bed, QStringLiteral("op %1 key %2").arg(op).arg(key),
              bed.store.layer().LastStatement(), floor.sql());
    std::size_t k = 0;
    std::int64_t found = 0;
    for (auto _ : state) {
        found += LayerRead(bed, op, key, k++) != 0;
    }
    state.counters["found"] =
        benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

void FloorReadBench(benchmark::State& state, std::int16_t op) {
    Bed& bed = BedOf(Items(state));
    const int key = static_cast<int>(state.range(0));
    Statement& floor = bed.statement(FloorSql(op, key));
    if (!SameAnswers(state, bed, op, key, floor.get())) {
        return;
    }
    std::size_t k = 0;
    std::int64_t found = 0;
    for (auto _ : state) {
        found += FloorRead(bed, floor.get(), op, key, k++) != 0;
    }
    state.counters["found"] =
        benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

void Layer_GetEqual(benchmark::State& state) {
    LayerReadBench(state, db::op::GetEqual);
}
void Floor_GetEqual(benchmark::State& state) {
    FloorReadBench(state, db::op::GetEqual);
}
void Layer_GetNext(benchmark::State& state) {
    LayerReadBench(state, db::op::GetNext);
}
void Floor_GetNext(benchmark::State& state) {
    FloorReadBench(state, db::op::GetNext);
}
void Layer_GetPrevious(benchmark::State& state) {
    LayerReadBench(state, db::op::GetPrevious);
}
void Floor_GetPrevious(benchmark::State& state) {
    FloorReadBench(state, db::op::GetPrevious);
}
void Layer_GetFirst(benchmark::State& state) {
    LayerReadBench(state, db::op::GetFirst);
}
void Floor_GetFirst(benchmark::State& state) {
    FloorReadBench(state, db::op::GetFirst);
}
void Layer_GetLast(benchmark::State& state) {
    LayerReadBench(state, db::op::GetLast);
}
void Floor_GetLast(benchmark::State& state) {
    FloorReadBench(state, db::op::GetLast);
}

// --- next record number ------------------------------------------------------------------

const char kNextNumberSql[] = "SELECT * FROM invt1 ORDER BY RecordNum DESC LIMIT 1";

void Layer_NextRecordNumber(benchmark::State& state) {
    Bed& bed = BedOf(Items(state));
    db::RecordLayer& layer = bed.store.layer();
    Statement& floor = bed.statement(kNextNumberSql);
    const std::int32_t expected = FetchRow(floor.get()) + 1;
    if (layer.NextRecordNumber() != expected) {
        state.SkipWithError("the layer's next record number differs from the floor's");
        return;
    }
    PrintPlan(bed, QStringLiteral("next record number"), layer.LastStatement(), floor.sql());
    std::int64_t found = 0;
    for (auto _ : state) {
        found += layer.NextRecordNumber() == expected;
    }
    state.counters["found"] =
        benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

void Floor_NextRecordNumber(benchmark::State& state) {
    Bed& bed = BedOf(Items(state));
    Statement& floor = bed.statement(kNextNumberSql);
    const std::int32_t expected = bed.store.items() + 10;
    std::int64_t found = 0;
    for (auto _ : state) {
        found += FetchRow(floor.get()) == expected;
    }
    state.counters["found"] =
        benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

// --- insert of an item with its UPC row ----------------------------------------------------

struct InsertRows {
    std::vector<InventoryRecord> items;
    std::vector<db::UpcRecord> upcs;
    // The same rows as the floor binds them: each value converted for its column as the
    // engine converts it on write.
    std::vector<std::vector<db::RawValue>> itemValues;
    std::vector<std::vector<db::RawValue>> upcValues;
};

std::vector<db::ColumnType> DeclaredTypes(sqlite3* raw, const char* table) {
    std::vector<db::ColumnType> types;
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = std::string("SELECT type FROM pragma_table_info('") + table + "')";
    sqlite3_prepare_v2(raw, sql.c_str(), -1, &stmt, nullptr);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        types.push_back(
            db::ColumnType::parse(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
    }
    sqlite3_finalize(stmt);
    return types;
}

template <class Fields, std::size_t N>
std::vector<db::RawValue> StoredValues(Fields fields, const db::ColumnDef (&columns)[N],
                                       const std::vector<db::ColumnType>& types) {
    std::vector<db::RawValue> out;
    db::forEachField(fields, [&](int ordinal, const auto& field) {
        db::RawValue stored;
        db::DbError error;
        const QString name = QString::fromUtf16(columns[ordinal].name);
        if (!db::storeValue(db::fieldToValue(field, columns[ordinal].kind), false,
                            types.at(static_cast<std::size_t>(ordinal)), name, stored, error)) {
            throw std::runtime_error("column " + name.toStdString() + ": " +
                                     error.description.toStdString());
        }
        out.push_back(std::move(stored));
    });
    return out;
}

InsertRows& InsertRowsFor(Bed& bed) {
    static std::unique_ptr<InsertRows> rows;
    if (!rows) {
        rows = std::make_unique<InsertRows>();
        const auto itemTypes = DeclaredTypes(bed.raw, "invt1");
        const auto upcTypes = DeclaredTypes(bed.raw, "UPC1");
        for (int i = 0; i < kInsertItems; ++i) {
            InventoryRecord item = ExtraItem(i);
            db::UpcRecord upc = ExtraUpc(i);
            // Sanitised as the layer's insert sanitises them, so both write the same text.
            db::inventory::RecordValues(item);
            db::upc::RecordValues(upc);
            rows->itemValues.push_back(
                StoredValues(item.fields(), db::inventory::kColumns, itemTypes));
            rows->upcValues.push_back(StoredValues(upc.fields(), db::upc::kColumns, upcTypes));
            rows->items.push_back(item);
            rows->upcs.push_back(upc);
        }
    }
    return *rows;
}

const char kInsertItemSql[] =
    "INSERT INTO invt1 VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
    "?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
const char kInsertUpcSql[] = "INSERT INTO UPC1 VALUES(?,?,?,?,?)";

bool FloorInsert(Bed& bed, const InsertRows& rows, std::size_t k) {
    Statement& item = bed.statement(kInsertItemSql);
    Statement& upc = bed.statement(kInsertUpcSql);
    const auto& iv = rows.itemValues[k];
    for (std::size_t c = 0; c < iv.size(); ++c) {
        db::bindRaw(item.get(), static_cast<int>(c) + 1, iv[c]);
    }
    bool ok = sqlite3_step(item.get()) == SQLITE_DONE;
    sqlite3_reset(item.get());
    const auto& uv = rows.upcValues[k];
    for (std::size_t c = 0; c < uv.size(); ++c) {
        db::bindRaw(upc.get(), static_cast<int>(c) + 1, uv[c]);
    }
    ok = sqlite3_step(upc.get()) == SQLITE_DONE && ok;
    sqlite3_reset(upc.get());
    return ok;
}

bool LayerInsert(Bed& bed, const InsertRows& rows, std::size_t k) {
    db::RecordLayer& layer = bed.store.layer();
    layer.Inventory = rows.items[k];
    layer.Upc = rows.upcs[k];
    return layer.RecordOp(db::kInventoryTable, db::op::Insert, 0) &&
           layer.RecordOp(db::kUpcTable, db::op::Insert, 0);
}

// The row of record number n as the engine presents it, read on the given side.
std::vector<db::Value> PresentedRow(Bed& bed, std::int32_t recordNum, bool throughLayer) {
    std::vector<db::Value> values;
    if (throughLayer) {
        db::DbError e;
        auto rs = bed.store.layer().engine()->openRowSet(
            QStringLiteral("SELECT * FROM invt1 WHERE RecordNum = %1").arg(recordNum), e);
        for (int c = 0; rs && rs->recordCount() == 1 && c < rs->fieldCount(); ++c) {
            values.push_back(rs->value(c));
        }
        return values;
    }
    Statement& read = bed.statement("SELECT * FROM invt1 WHERE RecordNum = ?1");
    sqlite3_bind_int(read.get(), 1, recordNum);
    if (sqlite3_step(read.get()) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(read.get()); ++c) {
            values.push_back(
                db::presentValue(db::readColumn(read.get(), c),
                                 db::ColumnType::parse(sqlite3_column_decltype(read.get(), c))));
        }
    }
    sqlite3_reset(read.get());
    return values;
}

void Layer_InsertItemWithUpc(benchmark::State& state) {
    Bed& bed = BedOf(Items(state));
    InsertRows& rows = InsertRowsFor(bed);
    db::Engine& engine = *bed.store.layer().engine();
    db::DbError e;
    // The layer's row and the floor's must be the same row.
    {
        engine.beginTransaction(e);
        const bool ok = LayerInsert(bed, rows, 0);
        const auto layerRow = PresentedRow(bed, rows.items[0].RecordNum, true);
        engine.rollback(e);
        sqlite3_exec(bed.raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        const bool floorOk = FloorInsert(bed, rows, 0);
        const auto floorRow = PresentedRow(bed, rows.items[0].RecordNum, false);
        sqlite3_exec(bed.raw, "ROLLBACK", nullptr, nullptr, nullptr);
        if (!ok || !floorOk || layerRow.size() != db::inventory::kColumnCount ||
            layerRow != floorRow) {
            state.SkipWithError("the layer's inserted row differs from the floor's");
            return;
        }
    }
    std::size_t k = 0;
    std::int64_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        engine.beginTransaction(e);
        state.ResumeTiming();
        found += LayerInsert(bed, rows, k++ % rows.items.size());
        state.PauseTiming();
        engine.rollback(e);
        state.ResumeTiming();
    }
    state.counters["found"] =
        benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

void Floor_InsertItemWithUpc(benchmark::State& state) {
    Bed& bed = BedOf(Items(state));
    InsertRows& rows = InsertRowsFor(bed);
    std::size_t k = 0;
    std::int64_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sqlite3_exec(bed.raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        state.ResumeTiming();
        found += FloorInsert(bed, rows, k++ % rows.items.size());
        state.PauseTiming();
        sqlite3_exec(bed.raw, "ROLLBACK", nullptr, nullptr, nullptr);
        state.ResumeTiming();
    }
    state.counters["found"] =
        benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

// --- registration --------------------------------------------------------------------------

const int kSizes[] = {10000, 100000, 1000000};

void Keys(benchmark::internal::Benchmark* b, std::initializer_list<int> keys) {
    b->ArgNames({"key", "rows"})->Unit(benchmark::kMicrosecond);
    for (const int rows : kSizes) {
        for (const int key : keys) {
            b->Args({key, rows});
        }
    }
}

void EqualKeys(benchmark::internal::Benchmark* b) {
    Keys(b, {0, 1, 2, 3});
}
void StepKeys(benchmark::internal::Benchmark* b) {
    Keys(b, {1, 3});
}
void NoKey(benchmark::internal::Benchmark* b) {
    Keys(b, {0});
}

BENCHMARK(Layer_GetEqual)->Apply(EqualKeys);
BENCHMARK(Floor_GetEqual)->Apply(EqualKeys);
BENCHMARK(Layer_GetNext)->Apply(StepKeys);
BENCHMARK(Floor_GetNext)->Apply(StepKeys);
BENCHMARK(Layer_GetPrevious)->Apply(StepKeys);
BENCHMARK(Floor_GetPrevious)->Apply(StepKeys);
BENCHMARK(Layer_GetFirst)->Apply(StepKeys);
BENCHMARK(Floor_GetFirst)->Apply(StepKeys);
BENCHMARK(Layer_GetLast)->Apply(StepKeys);
BENCHMARK(Floor_GetLast)->Apply(StepKeys);
BENCHMARK(Layer_NextRecordNumber)->Apply(NoKey);
BENCHMARK(Floor_NextRecordNumber)->Apply(NoKey);
BENCHMARK(Layer_InsertItemWithUpc)->Apply(NoKey);
BENCHMARK(Floor_InsertItemWithUpc)->Apply(NoKey);

}  // namespace
}  // namespace qv::bench
