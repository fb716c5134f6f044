// Timings of the audit of linked items on the generated stores of 10,000, 100,000 and
// 1,000,000 items (see bench_store.h): both tables read with one statement each through the
// record layer's engine, the families analysed and the report's lines made. Nothing is
// written: the generated stores stay as they are.
//
// Counters: "items" and "findings" of the store; "per_item" is the time of one audit divided
// by the store's items, which should stay flat from the smallest store to the largest.
// Audit_ReadsOnly times the two statements alone, streamed and as row sets.
//
//   build/bench/quorvane_bench --benchmark_filter='Audit'

#include "audit/link_audit.h"
#include "bench/bench_store.h"

#include <benchmark/benchmark.h>

namespace qv::bench {
namespace {

// The time of one iteration divided by the store's items.
void SetPerItem(benchmark::State& state, const BenchStore& store) {
    state.counters["per_item"] = benchmark::Counter(
        static_cast<double>(store.items()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Audit_Report(benchmark::State& state) {
    BenchStore& store = BenchStore::Shared(static_cast<int>(state.range(0)));
    db::RecordLayer& layer = store.layer();
    const audit::StoreTables tables{layer.Slot(db::kInventoryTable)->tableName,
                                    layer.Slot(db::kUpcTable)->tableName};
    std::size_t findings = 0;
    for (auto _ : state) {
        db::DbError error;
        const std::optional<audit::AuditReport> report =
            audit::Audit(*layer.engine(), tables, error);
        if (!report) {
            state.SkipWithError(error.description.toStdString().c_str());
            return;
        }
        const QStringList lines = audit::ReportLines(*report);
        benchmark::DoNotOptimize(lines.size());
        findings = report->findings.size();
    }
    state.counters["items"] = static_cast<double>(store.items());
    state.counters["findings"] = static_cast<double>(findings);
    SetPerItem(state, store);
}

BENCHMARK(Audit_Report)
    ->ArgName("rows")
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// The audit's two statements alone, every value of every row taken: through the streaming read
// the audit uses (stream:1), and through row sets (stream:0), as the audit read before.
void Audit_ReadsOnly(benchmark::State& state) {
    BenchStore& store = BenchStore::Shared(static_cast<int>(state.range(0)));
    db::RecordLayer& layer = store.layer();
    db::Engine& engine = *layer.engine();
    const QString selects[] = {
        QStringLiteral("SELECT RecordNum, SL, ItemID, LinkBreakPack, LinkItem, FlgQZV, QZV1, "
                       "QZV2, QTYINPACK, QtyOnHand, AvgCost, Cost FROM ") +
            layer.Slot(db::kInventoryTable)->tableName,
        QStringLiteral("SELECT SL, UPC, InvUID FROM ") + layer.Slot(db::kUpcTable)->tableName};
    const bool stream = state.range(1) != 0;
    for (auto _ : state) {
        for (const QString& select : selects) {
            db::DbError error;
            bool read = true;
            if (stream) {
                read = engine.forEachRow(
                    select,
                    [](const db::RowView& row) {
                        for (int c = 0; c < row.fieldCount(); ++c) {
                            benchmark::DoNotOptimize(row.value(c));
                        }
                        return true;
                    },
                    error);
            } else {
                std::unique_ptr<db::RowSet> rs = engine.openRowSet(select, error);
                read = rs != nullptr;
                for (; rs && !rs->eof(); rs->moveNext()) {
                    for (int c = 0; c < rs->fieldCount(); ++c) {
                        const db::Value v = rs->value(c);
                        benchmark::DoNotOptimize(v);
                    }
                }
            }
            if (!read) {
                state.SkipWithError(error.description.toStdString().c_str());
                return;
            }
        }
    }
    SetPerItem(state, store);
}

BENCHMARK(Audit_ReadsOnly)
    ->ArgNames({"rows", "stream"})
    ->ArgsProduct({{10000, 100000, 1000000}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qv::bench
