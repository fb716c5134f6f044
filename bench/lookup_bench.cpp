// Timings of the item lookup on generated stores of 10,000, 100,000 and 1,000,000 items: the
// first page, page and row moves, a keystroke of the incremental search on three columns, the
// wildcard search, and the wildcard's statement run bare in SQLite for comparison.
//
// The stores are the benchmarks' shared generated stores (bench_store.h), made once into
// QUORVANE_BENCH_DIR (default /tmp/quorvane-bench) and reused. Run with --benchmark_filter=...
// to pick sizes; a first run of the 1,000,000-item store spends a few minutes generating it.

#include "bench/bench_store.h"
#include "db/record_layer.h"
#include "lookup/grid_control.h"
#include "lookup/lookup_engine.h"
#include "lookup/lookup_session.h"
#include "platform/message_boxes.h"
#include "platform/services.h"
#include "settings/country_settings.h"
#include "settings/run_values.h"
#include "sql/sqlite/sqlite_collation.h"
#include "sql/sqlite/sqlite_engine.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QApplication>
#include <QTableWidget>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>

namespace qv {
namespace {

// Counts boxes instead of showing them: a lookup says "End of the List" and the like.
class CountingBoxes final : public MessageBoxes {
public:
    BoxAnswer show(int, const QString&, const QString& text) override {
        ++count;
        last = text;
        return BoxAnswer::Ok;
    }
    int count = 0;
    QString last;
};

// A generated store (see bench_store.h) with a lookup over it, on an offscreen grid.
struct Store {
    explicit Store(int items) : store(items, &boxes), country(store.services(), store.run()) {
        context = std::make_unique<LookupContext>(
            LookupContext{session, store.layer(), store.run(), country, store.services()});
        engine = std::make_unique<LookupEngine>(*context);
        session.pickerMode = true;
        session.rowsPerPage = 14;
        engine->SetUpInventoryColumns();
        table = std::make_unique<QTableWidget>();
        grid = std::make_unique<GridControl>(table.get());
        engine->PrepareGrid(*grid);
        engine->attachGrid(grid.get());
        // As the lookup window does: pending events run between the rows of a fill.
        engine->betweenRows = [] { QCoreApplication::processEvents(); };
    }

    QString databaseFile() const { return store.databaseFile(); }
    db::RecordLayer* layer() { return &store.layer(); }

    CountingBoxes boxes;
    bench::BenchStore store;
    CountrySettings country;
    LookupSession session;
    std::unique_ptr<LookupContext> context;
    std::unique_ptr<LookupEngine> engine;
    std::unique_ptr<QTableWidget> table;
    std::unique_ptr<GridControl> grid;
};

Store& StoreOf(int items) {
    static std::map<int, std::unique_ptr<Store>> stores;
    auto& s = stores[items];
    if (!s) {
        s = std::make_unique<Store>(items);
    }
    return *s;
}

// Puts the lookup on a sort column with its first page shown.
Store& Prepared(benchmark::State& state, int column = 0) {
    Store& s = StoreOf(static_cast<int>(state.range(0)));
    s.session.wildcardOn = false;
    s.session.searchText.clear();
    s.engine->SetSortColumn(column);
    s.engine->FirstFill();
    s.boxes.count = 0;
    return s;
}

void ReportBoxes(benchmark::State& state, const Store& s) {
    state.counters["boxes"] = s.boxes.count;
}

void BM_FirstFill(benchmark::State& state) {
    Store& s = Prepared(state);
    for (auto _ : state) {
        s.session.firstPageShown = false;  // read the page again every time
        s.engine->FirstFill();
    }
    ReportBoxes(state, s);
}

// Page moves start from a page in the middle of the list; they turn round well before either
// end of the smallest store.
void BM_PageDown(benchmark::State& state) {
    Store& s = Prepared(state);
    s.engine->SearchPosition(QStringLiteral("MOUNTAIN"));
    int moves = 0;
    for (auto _ : state) {
        s.engine->PageLookup(paging::PageDown);
        if (++moves % 40 == 0) {
            state.PauseTiming();
            s.session.searchText.clear();
            s.engine->SearchPosition(QStringLiteral("MOUNTAIN"));
            state.ResumeTiming();
        }
    }
    ReportBoxes(state, s);
}

void BM_PageUp(benchmark::State& state) {
    Store& s = Prepared(state);
    s.engine->SearchPosition(QStringLiteral("OCEAN"));
    int moves = 0;
    for (auto _ : state) {
        s.engine->PageLookup(paging::PageUp);
        if (++moves % 40 == 0) {
            state.PauseTiming();
            s.session.searchText.clear();
            s.engine->SearchPosition(QStringLiteral("OCEAN"));
            state.ResumeTiming();
        }
    }
    ReportBoxes(state, s);
}

// Each step is at the last usable row: the page moves up by one and one item is read.
void BM_RowDownAtPageBoundary(benchmark::State& state) {
    Store& s = Prepared(state);
    s.engine->SearchPosition(QStringLiteral("HARBOUR"));
    for (int i = 0; i < 12; ++i) {
        s.engine->PageLookup(paging::RowDown);
    }
    int moves = 0;
    for (auto _ : state) {
        s.engine->PageLookup(paging::RowDown);
        if (++moves % 500 == 0) {
            state.PauseTiming();
            s.session.searchText.clear();
            s.engine->SearchPosition(QStringLiteral("HARBOUR"));
            for (int i = 0; i < 12; ++i) {
                s.engine->PageLookup(paging::RowDown);
            }
            state.ResumeTiming();
        }
    }
    ReportBoxes(state, s);
}

// One keystroke: the search text grows by a character (and starts again after the last).
void Keystrokes(benchmark::State& state, int column, const QStringList& words) {
    Store& s = Prepared(state, column);
    QStringList texts;
    for (const QString& w : words) {
        for (int n = 1; n <= w.size(); ++n) {
            texts << w.left(n);
        }
    }
    qsizetype k = 0;
    for (auto _ : state) {
        s.engine->SearchPosition(texts.at(k++ % texts.size()));
    }
    ReportBoxes(state, s);
}

void BM_KeystrokeDescription(benchmark::State& state) {
    Keystrokes(state, 0, {"OCEAN STOUT 12", "KIWI GIN 7", "RIVERSIDE COLA", "HARBOUR TONIC 9"});
}

void BM_KeystrokeSL(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Keystrokes(state, 2,
               {QString::number(10000000 + n / 3), QString::number(10000000 + n / 2),
                QString::number(10000000 + n - 5)});
}

void BM_KeystrokeItemID(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Keystrokes(state, 3,
               {QStringLiteral("OC-%1").arg(n / 3, 7, 10, QLatin1Char('0')),
                QStringLiteral("KI-%1").arg(n / 2, 7, 10, QLatin1Char('0'))});
}

void BM_Wildcard(benchmark::State& state) {
    Store& s = Prepared(state);
    s.session.wildcardOn = true;
    for (auto _ : state) {
        s.engine->WildcardSearch(QStringLiteral("QUINCE"));
    }
    state.counters["rows"] = s.session.listRows;
    ReportBoxes(state, s);
}

// The wildcard's statement through the engine alone (translated, run, every row fetched), to
// tell the engine's share of the wildcard search from the lookup's.
void BM_EngineLike(benchmark::State& state) {
    Store& s = Prepared(state);
    const QString sql = s.engine->WildcardStatement(QStringLiteral("QUINCE"));
    int rows = 0;
    for (auto _ : state) {
        db::DbError e;
        auto set = s.layer()->engine()->openRowSet(sql, e);
        rows = set ? set->recordCount() : -1;
    }
    state.counters["rows"] = rows;
}

// The wildcard's statement run bare through SQLite on the same file, every row and column read.
void BM_BareLike(benchmark::State& state) {
    Store& s = StoreOf(static_cast<int>(state.range(0)));
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(s.databaseFile().toUtf8().constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK) {
        state.SkipWithError("the database file could not be opened");
        return;
    }
    db::registerEngineExtensions(db);
    const char* sql =
        "SELECT * FROM invt1 WHERE Description LIKE '%QUINCE%' AND Status <> 'D' "
        "ORDER BY Description, SubDescription";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(db));
        sqlite3_close(db);
        return;
    }
    if (state.thread_index() == 0 && state.range(0) == 1000000) {
        sqlite3_stmt* plan = nullptr;
        sqlite3_prepare_v2(db, (QByteArray("EXPLAIN QUERY PLAN ") + sql).constData(), -1, &plan,
                           nullptr);
        while (plan && sqlite3_step(plan) == SQLITE_ROW) {
            std::fprintf(stderr, "bare plan: %s\n",
                         reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)));
        }
        sqlite3_finalize(plan);
        if (auto* engine = dynamic_cast<db::SqliteEngine*>(s.layer()->engine())) {
            db::DbError e;
            const auto enginePlan =
                engine->explainQueryPlan(s.engine->WildcardStatement(QStringLiteral("QUINCE")), e);
            std::fprintf(stderr, "engine plan: %s\n",
                         enginePlan ? qPrintable(enginePlan->join(QStringLiteral(" | ")))
                                    : qPrintable(e.description));
        }
    }
    int rows = 0;
    for (auto _ : state) {
        rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
            }
            ++rows;
        }
        sqlite3_reset(stmt);
    }
    state.counters["rows"] = rows;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_FirstFill)->Apply(Sizes);
BENCHMARK(BM_PageDown)->Apply(Sizes);
BENCHMARK(BM_PageUp)->Apply(Sizes);
BENCHMARK(BM_RowDownAtPageBoundary)->Apply(Sizes);
BENCHMARK(BM_KeystrokeDescription)->Apply(Sizes);
BENCHMARK(BM_KeystrokeSL)->Apply(Sizes);
BENCHMARK(BM_KeystrokeItemID)->Apply(Sizes);
BENCHMARK(BM_Wildcard)->Apply(Sizes);
BENCHMARK(BM_EngineLike)->Apply(Sizes);
BENCHMARK(BM_BareLike)->Apply(Sizes);

}  // namespace
}  // namespace qv

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
