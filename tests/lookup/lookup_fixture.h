#pragma once

#include "tests/support/qt_print.h"

#include "db/record_layer.h"
#include "db/sql_text.h"
#include "lookup/grid_control.h"
#include "lookup/lookup_engine.h"
#include "lookup/lookup_session.h"
#include "lookup/sl_code.h"
#include "settings/country_settings.h"
#include "tests/support/data_files.h"
#include "tests/support/db_fixture.h"
#include "tests/support/record_text.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QStringList>
#include <QTableWidget>
#include <memory>
#include <ostream>
#include <utility>

namespace qv::test {

// A store for the lookup tests: the fixture's generated items (each with a UPC; descriptions
// repeat every 112 items) plus the items of tests/data/lookup/rule_items.txt. Items 5 and 6 of
// the generated stock are marked deleted.
struct LookupStore {
    static constexpr int kGenerated = 300;

    explicit LookupStore(Sandbox& sb, int generated = kGenerated)
        : sandbox(sb), db(sb, DbFixture::Options{generated}) {
        if (!db.ok()) {
            error = db.error;
            return;
        }
        db::RecordLayer& l = *db.layer;
        int n = 0;
        for (const QString& line :
             QString::fromUtf8(ReadData("lookup/rule_items.txt")).split(u'\n')) {
            if (line.isEmpty() || line.startsWith(u'#')) {
                continue;
            }
            l.Inventory =
                Inventory(line + QStringLiteral(" | SubDescription=EACH | VendorCode=V900"),
                          DbFixture::Item(0));
            l.Inventory.RecordNum = 5000 + n++;
            if (!l.RecordOp(db::kInventoryTable, db::op::Insert, 0)) {
                error = QStringLiteral("insert %1: ").arg(line) + l.LastError().description;
                return;
            }
        }
        // Two codes for "AAA FIRST", the first of them withdrawn.
        for (const auto& [code, poll] :
             {std::pair{"000000000017", "D"}, std::pair{"000000000024", " "}}) {
            l.Upc =
                Upc(QStringLiteral("SL=20000002 | LABEL=AAA FIRST | InvUID=5001 | UPC=%1 | POLL=%2")
                        .arg(QString::fromLatin1(code), QString::fromLatin1(poll)));
            if (!l.RecordOp(db::kUpcTable, db::op::Insert, 0)) {
                error = QStringLiteral("UPC insert: ") + l.LastError().description;
                return;
            }
        }
        for (int i : {5, 6}) {
            if (l.ExecuteSql(QStringLiteral("UPDATE invt1 SET Status = 'D' WHERE SL = '%1'")
                                 .arg(10000000 + i)) != 1) {
                error = QStringLiteral("marking item %1 deleted failed").arg(i);
                return;
            }
        }
        l.OpenDataTables();
    }

    // One column (without trailing blanks) of the listed (not deleted) items, in the order of
    // one statement over the whole table.
    QStringList listed(const QString& column, const QString& order) const {
        QStringList out;
        db::DbError e;
        auto rows = db.layer->engine()->openRowSet(
            QStringLiteral("SELECT * FROM invt1 WHERE Status <> 'D' ORDER BY ") + order, e);
        if (!rows) {
            ADD_FAILURE() << e.description.toStdString();
            return out;
        }
        int ordinal = -1;
        for (int i = 0; i < rows->fieldCount(); ++i) {
            if (rows->fieldName(i).compare(column, Qt::CaseInsensitive) == 0) {
                ordinal = i;
            }
        }
        for (; !rows->eof(); rows->moveNext()) {
            out << db::RTrim(rows->value(ordinal).toText());
        }
        return out;
    }

    Sandbox& sandbox;
    DbFixture db;
    QString error;
};

// A lookup over the store, its grid on an offscreen table.
struct LookupRig {
    explicit LookupRig(LookupStore& store, int rowsPerPage = 14)
        : LookupRig(store.sandbox, store.db, rowsPerPage) {}
    LookupRig(Sandbox& sandbox, DbFixture& db, int rowsPerPage = 14)
        : country(sandbox.services, db.run),
          context{session, *db.layer, db.run, country, sandbox.services},
          engine(context),
          table(new QTableWidget),
          grid(table.get()) {
        session.pickerMode = true;
        session.rowsPerPage = static_cast<std::int16_t>(rowsPerPage);
        engine.SetUpInventoryColumns();
        engine.PrepareGrid(grid);
        engine.attachGrid(&grid);
    }

    // Text of a column in data rows 1 to the page's rows (blank rows as "").
    QStringList descriptions() const {
        QStringList out;
        for (int r = 1; r < grid.Rows(); ++r) {
            out << grid.TextMatrix(r, 0);
        }
        return out;
    }

    LookupSession session;
    CountrySettings country;
    LookupContext context;
    LookupEngine engine;
    std::unique_ptr<QTableWidget> table;
    GridControl grid;
};

// One store for a whole suite of tests that only read it; each test starts with no message
// expected and sorted by description, and ends with every expected message shown.
class SharedStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sandbox_ = new Sandbox;
        store_ = new LookupStore(*sandbox_);
    }
    static void TearDownTestSuite() {
        delete store_;
        delete sandbox_;
        store_ = nullptr;
        sandbox_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(store_->error.isEmpty()) << store_->error.toStdString();
        sandbox_->boxes.clear();
        store_->db.run.InventorySearchBy = 0;
    }
    void TearDown() override {
        EXPECT_TRUE(sandbox_->boxes.allAnswered()) << "a message that was expected never came";
    }

    Sandbox& sb() { return *sandbox_; }
    LookupStore& store() { return *store_; }
    // The listed descriptions in the lookup's default order.
    static QStringList byDescription() { return store_->listed("Description", "Description, SL"); }

    inline static Sandbox* sandbox_ = nullptr;
    inline static LookupStore* store_ = nullptr;
};

}  // namespace qv::test
