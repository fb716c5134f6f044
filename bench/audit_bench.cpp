// Timings of the audit of linked items on the generated stores of 10,000, 100,000 and
// 1,000,000 items (see bench_store.h): both tables read with one statement each through the
// record layer's engine, the families analysed and the report's lines made. Nothing is
// written: the generated stores stay as they are.
//
// Counters: "items" and "findings" of the store; "per_item" is the time of one audit divided
// by the store's items, which should stay flat from the smallest store to the largest.
//
//   build/bench/quorvane_bench --benchmark_filter='Audit'

#include "audit/link_audit.h"
#include "bench/bench_store.h"

#include <benchmark/benchmark.h>

namespace qv::bench {
namespace {

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
    state.counters["per_item"] = benchmark::Counter(
        static_cast<double>(store.items()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(Audit_Report)
    ->ArgName("rows")
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qv::bench
