#pragma once

// What the audit tests share: a store on either engine (the embedded one, or the ODBC engine
// through unixODBC and the SQLite ODBC driver), the seeded families with one fault each, every
// row of both tables as text, and an engine that fails a chosen row write.

#include "audit/link_audit.h"
#include "db/record_fields.h"
#include "sql/odbc/odbc_engine.h"
#include "tests/support/db_fixture.h"
#include "tests/support/forwarding_engine.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QMap>

#include <functional>
#include <memory>

namespace qv::test {

enum class EngineKind { Embedded, Odbc };

inline std::string EngineName(const ::testing::TestParamInfo<EngineKind>& info) {
    return info.param == EngineKind::Embedded ? "Embedded" : "Odbc";
}

// One item of a seeded family. Cost is AvgCost and Cost in ten-thousandths.
struct Seed {
    std::int32_t num;
    const char* sl;
    const char* flag;
    const char* link;  // LinkBreakPack
    std::int16_t qty;  // QTYINPACK
    std::int64_t cost;
    std::int32_t qzv1 = 0;
    std::int32_t qzv2 = 0;
    const char* deposit = "";  // LinkItem
    float onHand = 0;
    const char* itemId = nullptr;  // default "IT-<num>"
};

// One family per finding; family 100 and the family of 220 are sound.
inline const Seed kSeeds[] = {
    {100, "100", "R", "", 1, 240000, 101, 102, "DEP1", 10},  // its UPC row's S/L is wrong
    {101, "101", "P", "100", 12, 20000, 0, 0, "DEP1"},
    {102, "102", "I", "101", 6, 3333, 0, 0, "DEP1"},
    {111, "111", "P", "9999", 4, 10000},                        // link-missing
    {120, "120", " ", "", 1, 120000},                           // never got its links
    {121, "121", "P", "120", 12, 10000},                        //
    {122, "122", "I", "121", 2, 5000},                          //
    {130, "130", "R", "", 1, 10000, 0, 999},                    // root-names-missing
    {140, "140", "R", "", 1, 10000, 145},                       // root-names-unlinked
    {145, "145", " ", "", 1, 10000},                            // (its UPC row's S/L is wrong)
    {150, "150", "R", "", 1, 10000, 151},                       // qty-in-pack
    {151, "151", "P", "150", 0, 10000},                         //
    {160, "160", "R", "", 1, 60000, 161},                       // qty-on-hand
    {161, "161", "P", "160", 6, 10000, 0, 0, "", 5},            //
    {170, "170", "R", "", 1, 240000, 171, 172},                 // cost-drift, pack and single
    {171, "171", "P", "170", 12, 30000},                        // 2.0000 expected
    {172, "172", "I", "171", 6, 5000},                          // 0.3333 once the pack is mended
    {175, "175", "R", "", 1, 100000, 176},                      // 3.3333 + half a cent: sound
    {176, "176", "P", "175", 3, 33383},                         //
    {180, "180", "R", "", 1, 10000, 181, 0, "DEP1"},            // deposit-missing
    {181, "181", "P", "180", 1, 10000},                         //
    {190, "190", "R", "", 1, 10000, 191, 0, "DEP9"},            // deposit-unknown (twice)
    {191, "191", "P", "190", 1, 10000, 0, 0, "DEP9"},           //
    {200, "200", "R", "", 1, 10000, 201, 0, "", 0, "DUP-1"},    // duplicate-item-code
    {201, "201", "P", "200", 1, 10000, 0, 0, "", 0, " dup-1"},  //
    {210, "210", "P", "211", 1, 10000},                         // link-loop (twice)
    {211, "211", "P", "210", 1, 10000},                         //
    {220, "220", "R", "", 1, 80000, 221, 222},                  // a pack picked from the
    {221, "P221", " ", "220", 4, 20000},                        // table (no flag), its single
    {222, "222", "I", "p221", 2, 10000},                        // links in another case
    {900, "DEP1", " ", "", 1, 1000},                            // the deposit item
};

struct UpcSeed {
    const char* sl;
    const char* upc;
    std::int32_t invUid;
};

inline const UpcSeed kUpcSeeds[] = {
    {"WRONG", "9400000001003", 100},  // upc-sl, in family 100
    {"101", "9400000001010", 101},
    {"999", "9400000001454", 145},   // upc-sl, of an item outside every family
    {"GONE", "9400000009980", 998},  // upc-orphan
};

inline db::InventoryRecord SeedItem(const Seed& s) {
    db::InventoryRecord r;
    r.RecordNum = s.num;
    r.SL = QString::fromLatin1(s.sl);
    r.ItemID = s.itemId ? QString::fromLatin1(s.itemId) : QStringLiteral("IT-%1").arg(s.num);
    r.Description = QStringLiteral("ITEM %1").arg(s.num);
    r.FlgQZV = QString::fromLatin1(s.flag);
    r.LinkBreakPack = QString::fromLatin1(s.link);
    r.QTYINPACK = s.qty;
    r.AvgCost = Currency::fromScaled(s.cost);
    r.Cost = r.AvgCost;
    r.QZV1 = s.qzv1;
    r.QZV2 = s.qzv2;
    r.LinkItem = QString::fromLatin1(s.deposit);
    r.QtyOnHand = s.onHand;
    r.LocFront = QStringLiteral("A1");
    r.LocBack = QStringLiteral("B1");
    r.Poll = QStringLiteral("Y");
    return r;
}

inline db::UpcRecord SeedUpc(const UpcSeed& s) {
    db::UpcRecord u;
    u.SL = QString::fromLatin1(s.sl);
    u.UPC = QString::fromLatin1(s.upc);
    u.POLL = QStringLiteral("Y");
    u.InvUID = s.invUid;
    return u;
}

// An engine that passes everything on, except that the nth row update (1-based) fails.
class FailingWriteEngine final : public ForwardingEngine {
public:
    FailingWriteEngine(db::Engine& inner, int failAt) : ForwardingEngine(inner), failAt_(failAt) {}

    std::unique_ptr<db::RowSet> openRowSet(const QString& sql, db::DbError& e) override {
        std::unique_ptr<db::RowSet> rs = ForwardingEngine::openRowSet(sql, e);
        return rs ? std::make_unique<Rows>(std::move(rs), *this) : nullptr;
    }

    int updates = 0;

private:
    class Rows final : public db::RowSet {
    public:
        Rows(std::unique_ptr<db::RowSet> inner, FailingWriteEngine& e)
            : inner_(std::move(inner)), e_(e) {}
        int recordCount() const override { return inner_->recordCount(); }
        bool eof() const override { return inner_->eof(); }
        void moveNext() override { inner_->moveNext(); }
        int fieldCount() const override { return inner_->fieldCount(); }
        QString fieldName(int o) const override { return inner_->fieldName(o); }
        db::Value value(int o) const override { return inner_->value(o); }
        void setValue(int o, const db::Value& v) override { inner_->setValue(o, v); }
        bool update(db::DbError& error) override {
            if (++e_.updates == e_.failAt_) {
                error.number = 1205;
                error.description = QStringLiteral("Transaction was deadlocked.");
                return false;
            }
            return inner_->update(error);
        }
        bool deleteCurrent(db::DbError& error) override { return inner_->deleteCurrent(error); }

    private:
        std::unique_ptr<db::RowSet> inner_;
        FailingWriteEngine& e_;
    };

    int failAt_;
};

// A store of either engine with the tables "invt1" and "UPC1".
class AuditStore {
public:
    explicit AuditStore(EngineKind kind) {
        if (kind == EngineKind::Embedded) {
            fixture_ = std::make_unique<DbFixture>(sandbox);
            ok_ = fixture_->ok();
            return;
        }
        const QString file = sandbox.makeDir(QStringLiteral("C:\\KT")) + QStringLiteral("/VOR.db");
        odbc_ =
            db::OdbcEngine::withConnectionString(QStringLiteral("Driver=SQLite3;Database=") + file);
        db::DbError e;
        ok_ = odbc_->connect(db::ConnectParams{}, e) &&
              run(db::inventory::CreateStatement(tables.inventory)) &&
              run(db::upc::CreateStatement(tables.upc));
    }

    bool ok() const { return ok_; }
    db::Engine& engine() {
        return odbc_ ? static_cast<db::Engine&>(*odbc_) : *fixture_->layer->engine();
    }

    bool run(const QString& sql) {
        db::DbError e;
        const bool done = engine().execute(sql, e).has_value();
        EXPECT_TRUE(done) << sql.toStdString() << ": " << e.description.toStdString();
        return done;
    }

    void seed() {
        for (const Seed& s : kSeeds) {
            db::InventoryRecord r = SeedItem(s);
            run("INSERT INTO invt1 VALUES(" + *db::inventory::RecordValues(r) + ")");
        }
        for (const UpcSeed& s : kUpcSeeds) {
            db::UpcRecord u = SeedUpc(s);
            run("INSERT INTO UPC1 VALUES(" + db::upc::RecordValues(u) + ")");
        }
    }

    // Every row of a table as its INSERT values, by record number or UPC code.
    QMap<QString, QString> rows(const QString& table) {
        QMap<QString, QString> out;
        db::DbError e;
        std::unique_ptr<db::RowSet> rs =
            engine().openRowSet(QStringLiteral("SELECT * FROM ") + table, e);
        EXPECT_TRUE(rs) << e.description.toStdString();
        for (; rs && !rs->eof(); rs->moveNext()) {
            if (table == tables.inventory) {
                db::InventoryRecord r;
                db::RowToFields(*rs, r.fields());
                out.insert(QString::number(r.RecordNum), *db::inventory::RecordValues(r));
            } else {
                db::UpcRecord u;
                db::RowToFields(*rs, u.fields());
                out.insert(u.UPC.trimmed(), db::upc::RecordValues(u));
            }
        }
        return out;
    }

    audit::AuditReport audit(db::Engine* through = nullptr) {
        db::DbError e;
        std::optional<audit::AuditReport> report =
            audit::Audit(through ? *through : engine(), tables, e);
        EXPECT_TRUE(report) << e.description.toStdString();
        return report.value_or(audit::AuditReport());
    }

    audit::RecallFile recall() {
        return {sandbox.fs, QStringLiteral("C:\\KT\\AuditRecall.txt"), QStringLiteral("ANN"),
                QStringLiteral("quorvane")};
    }

    Sandbox sandbox;
    const audit::StoreTables tables{QStringLiteral("invt1"), QStringLiteral("UPC1")};

private:
    bool ok_ = false;
    std::unique_ptr<DbFixture> fixture_;
    std::unique_ptr<db::OdbcEngine> odbc_;
};

}  // namespace qv::test
