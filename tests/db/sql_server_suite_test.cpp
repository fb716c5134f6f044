// The record layer against a real SQL Server. Runs when QUORVANE_SQLSERVER holds a complete
// ODBC connection string, e.g.
//
//   QUORVANE_SQLSERVER='Driver={FreeTDS};Server=shop-srv;Port=1433;Database=VOR;UID=sa;PWD=x;
//                       TDS_Version=7.4;ClientCharset=UTF-8' build/tests/db_tests
//                       --gtest_filter='SqlServer*'
//
// and skips, saying so, otherwise. Two groups of tests:
//
// - SqlServerSuite: the ODBC engine alone, with SQL Server's own column types and the statements
//   the record layer sends to the inventory table. Each test works on a scratch table of its
//   own and drops it. Row sets, writes and transactions as every engine has them run here too,
//   in engine_conformance_test.cpp (instance "SqlServer").
// - SqlServerRecordLayer, SqlServerBesideAStore: the record layer itself (RecordLayer over an
//   OdbcEngine made from the same string, handed to the layer as its server engine): start-up,
//   keyed reads, walks, writes and their conflicts. The layer is configured, in a sandbox's
//   per-user settings, with "DBName" = the database (QUORVANE_SQLSERVER_DB, else the one the
//   string opens) and a "Server" that is not this computer's own server, so the layer takes
//   the network path.
//   The tests work in a scratch store whose tables cannot be a real store's: store number 9001
//   (or the next number up to 9099 whose invt/UPC tables do not exist), tables invt9001 and
//   UPC9001. A COMMON table is created, with the scratch store's row, only when the database
//   has none; a database with its own COMMON keeps it untouched (its row names real tables, so
//   the scratch tables are then opened by name instead of through the Common row). Only the
//   tables a test created are dropped afterwards. A run that is killed half-way leaves them
//   behind (invt90xx, UPC90xx and perhaps COMMON): drop those by hand. Runs against the same
//   database must not overlap.
//
//   With QUORVANE_SQLSERVER_SUITE_ON_SQLITE=1 the record-layer tests run instead on the
//   embedded engine in a sandbox, handed to the layer the same way, so the scenarios
//   themselves are known to pass without a server at hand. The switch wins over
//   QUORVANE_SQLSERVER; the SqlServerSuite tests still need the server.

#include "db/record_layer.h"
#include "db/store_builder.h"
#include "settings/ini_services.h"
#include "settings/run_values.h"
#include "sql/odbc/odbc_engine.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/sql/engine_test_support.h"
#include "tests/support/data_files.h"
#include "tests/support/db_fixture.h"
#include "tests/support/record_steps.h"
#include "tests/support/record_text.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QDate>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace qv::db {
namespace {

using namespace enginetest;

bool OnEmbeddedEngine() {
    return qEnvironmentVariable("QUORVANE_SQLSERVER_SUITE_ON_SQLITE").trimmed() ==
           QStringLiteral("1");
}

class SqlServerSuite : public ::testing::Test {
protected:
    void SetUp() override {
        const QString connection = SqlServerConnectionString();
        if (connection.isEmpty()) {
            GTEST_SKIP() << kSqlServerSkipped;
        }
        engine_ = ConnectOdbc(connection);
        ASSERT_TRUE(engine_);
        table_ = ScratchTableName();
        // The inventory table's kinds of columns, in the record layer's dialect.
        run(
            t("CREATE TABLE %1 (SL CHAR(8) NOT NULL, ItemID CHAR(14) DEFAULT '', Descr CHAR(30), "
              "Price DECIMAL(18,4), Cost DECIMAL(18,2), Dept SMALLINT, RecordNum INT, "
              "QTYINPACK INTEGER, OnHand REAL, FlgQZV CHAR(1) DEFAULT 'N')"));
        run(t("CREATE UNIQUE CLUSTERED INDEX idx_0 ON %1 (SL)"));
        run(t("CREATE INDEX idx_1 ON %1 (Dept, SL)"));
        run(t("INSERT INTO %1 VALUES('A0000001','  ABC','Apple',12.3456,1.25,1,11,12,2.5,'R')"));
        run(t("INSERT INTO %1 VALUES('A0000002','XYZ','Apple pack',1.0288,0.1,1,12,6,0,'P')"));
        run(t("INSERT INTO %1 VALUES('B0000001','/XYZ','Bread',2.5,2,2,13,1,NULL,'I')"));
    }

    void TearDown() override {
        if (engine_ && !table_.isEmpty()) {
            DbError ignored;
            engine_->execute(QStringLiteral("DROP TABLE ") + table_, ignored);
        }
    }

    std::int64_t run(const QString& sql) { return Exec(*engine_, sql); }
    std::unique_ptr<RowSet> open(const QString& select) { return Open(*engine_, select); }

    // The S/L code of the first row a statement gives, or "(none)".
    std::string firstSl(const QString& select) {
        std::unique_ptr<RowSet> rs = open(select);
        return rs && !rs->eof() ? S(rs->value(0).toText()) : "(none)";
    }

    QString t(const char* statement) const { return QString::fromUtf8(statement).arg(table_); }

    std::unique_ptr<OdbcEngine> engine_;
    QString table_;
};

TEST_F(SqlServerSuite, ColumnsComeBackAsTheRecordLayerReadsThem) {
    std::unique_ptr<RowSet> rs = open(t("SELECT TOP 1 * FROM %1 WHERE SL > 'A' ORDER BY SL"));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->recordCount(), 1);
    ASSERT_EQ(rs->fieldCount(), 10);
    EXPECT_EQ(S(rs->fieldName(0)), "SL");
    EXPECT_EQ(S(rs->fieldName(9)), "FlgQZV");
    EXPECT_EQ(Show(rs->value(0)), "Text:A0000001");
    EXPECT_EQ(Show(rs->value(1)), "Text:  ABC         ");  // CHAR(14) padded by the server
    EXPECT_EQ(Show(rs->value(3)), "Decimal:12.3456");
    EXPECT_EQ(Show(rs->value(4)), "Decimal:1.2500");
    EXPECT_EQ(Show(rs->value(5)), "Integer:1");
    EXPECT_EQ(Show(rs->value(6)), "Integer:11");
    EXPECT_EQ(Show(rs->value(8)), "Real:2.5");

    std::unique_ptr<RowSet> bread = open(t("SELECT TOP 1 * FROM %1 WHERE SL = 'B0000001'"));
    ASSERT_TRUE(bread);
    EXPECT_EQ(Show(bread->value(8)), "Null");
}

TEST_F(SqlServerSuite, DecimalsThatFourPlacesCannotHoldStayExactText) {
    std::unique_ptr<RowSet> rs =
        open(QStringLiteral("SELECT CAST(1.123456 AS DECIMAL(18,6)), CAST(2.5 AS DECIMAL(18,6)), "
                            "CAST(12345678901234567890.5 AS DECIMAL(38,2))"));
    ASSERT_TRUE(rs);
    EXPECT_EQ(Show(rs->value(0)), "Text:1.123456");
    EXPECT_EQ(Show(rs->value(1)), "Decimal:2.5000");
    EXPECT_EQ(Show(rs->value(2)), "Text:12345678901234567890.50");
}

TEST_F(SqlServerSuite, RecordLayerStatementShapesAnswer) {
    EXPECT_EQ(firstSl(t("SELECT TOP 1 * FROM %1 WHERE ltrim(ItemID) = 'ABC'")), "A0000001");
    EXPECT_EQ(firstSl(t("SELECT TOP 1 * FROM %1 ORDER BY RecordNum DESC")), "B0000001");
    EXPECT_EQ(firstSl(t("SELECT TOP 1 * FROM %1 WHERE Descr like '%pack%'")), "A0000002");
    EXPECT_EQ(firstSl(t("SELECT TOP 1 * FROM %1 WHERE LEFT(ItemID,1) = '/'")), "B0000001");
    // The two-blank stepping form: next row in (Dept, SL) order after A0000001.
    EXPECT_EQ(firstSl(t("SELECT  TOP 1 * FROM %1 WHERE (SELECT COUNT(*) FROM %1 WHERE "
                        "Dept=1) > 1 AND Dept=1 AND SL>'A0000001' OR Dept>1 ORDER BY Dept,SL")),
              "A0000002");
    EXPECT_EQ(firstSl(t("SELECT TOP 1 * FROM %1 WHERE SL > 'B0000001' ORDER BY SL")), "(none)");

    std::unique_ptr<RowSet> count = open(t("SELECT COUNT(*) FROM %1"));
    ASSERT_TRUE(count);
    EXPECT_EQ(Show(count->value(0)), "Integer:3");
}

TEST_F(SqlServerSuite, SchemaStatementsOfTheRecordLayerRun) {
    run(t("ALTER TABLE %1 ADD Extra CHAR(2)"));
    run(t("ALTER TABLE %1 ALTER COLUMN Extra CHAR(4)"));
    run(t("sp_RENAME '%1.Extra', 'Extra2', 'COLUMN'"));
    run(t("DROP INDEX %1.idx_1"));
    std::unique_ptr<RowSet> rs = open(t("SELECT TOP 1 * FROM %1"));
    ASSERT_TRUE(rs);
    EXPECT_EQ(S(rs->fieldName(10)), "Extra2");
}

TEST_F(SqlServerSuite, CatalogueListsTheDatabaseAndTheTable) {
    std::unique_ptr<RowSet> current = open(QStringLiteral("SELECT DB_NAME()"));
    ASSERT_TRUE(current);
    const QString database = current->value(0).toText();

    DbError error;
    EXPECT_EQ(engine_->serverStatus(ConnectParams{}), 1);
    const std::optional<QStringList> databases = engine_->databases(ConnectParams{}, error);
    ASSERT_TRUE(databases) << S(error.description);
    EXPECT_TRUE(databases->contains(database, Qt::CaseInsensitive)) << S(database);

    const std::optional<QStringList> tables = engine_->tables(error);
    ASSERT_TRUE(tables) << S(error.description);
    EXPECT_TRUE(tables->contains(table_, Qt::CaseInsensitive));
}

// --- the record layer on the server ------------------------------------------------------------

using qv::test::DbFixture;

const QString kDataFolder = QStringLiteral("C:\\KT");
const QString kSettingsApp = QStringLiteral("VOR Settings");
const QString kSettingsSection = QStringLiteral("DATABASE");
constexpr std::int16_t kFirstScratchStore = 9001;
constexpr std::int16_t kLastScratchStore = 9099;
constexpr int kGeneratedItems = 36;
constexpr int kStockSize = kGeneratedItems + 2;

bool ContainsName(const QStringList& names, const QString& name) {
    return names.contains(name, Qt::CaseInsensitive);
}

QStringList SortedUpper(QStringList names) {
    for (QString& n : names) {
        n = n.toUpper();
    }
    names.sort();
    return names;
}

// The scratch store's stock: generated items, each with a UPC row, and two more described as
// item 0 is, so that key 3 (Description, S/L) has to step within one description.
std::vector<StoreItem> ScratchStock() {
    std::vector<StoreItem> items;
    for (int i = 0; i < kGeneratedItems; ++i) {
        items.push_back({DbFixture::Item(i), DbFixture::UpcFor(i)});
    }
    // Inserted with the higher S/L first, so neither insertion nor record number order is
    // the key's order.
    for (int k : {2, 1}) {
        const InventoryRecord r = test::Inventory(
            QStringLiteral("SL=3000000%1 | ItemID=KW-TWIN-%1 | RecordNum=50%1").arg(k),
            DbFixture::Item(0));
        items.push_back(
            {r, test::Upc(
                    QStringLiteral("SL=3000000%1 | LABEL=KIWI LAGER | POLL=Y | InvUID=50%1 | UPC=")
                        .arg(k) +
                    DbFixture::UpcCode(500 + k))});
    }
    return items;
}

// A record layer over the server (or, switched, over the embedded engine in the sandbox), in
// a scratch store filled with ScratchStock().
class SqlServerRecordLayer : public ::testing::Test {
protected:
    void SetUp() override {
        connectionString_ = SqlServerConnectionString();
        onEmbedded_ = OnEmbeddedEngine();
        if (!onEmbedded_ && connectionString_.isEmpty()) {
            GTEST_SKIP() << kSqlServerSkipped;
        }
        sandbox_.makeDir(kDataFolder);
        if (!sandbox_.fs.fileExists(kDataFolder + QStringLiteral("\\VOR.INI"))) {
            sandbox_.writeFile(kDataFolder + QStringLiteral("\\VOR.INI"), "[DATABASE]\r\n");
        }
        ini_.File_Name(kDataFolder + QStringLiteral("\\VOR.INI"));
        run_.DataPath = kDataFolder;

        ASSERT_NO_FATAL_FAILURE(seedBeforehand());
        ASSERT_NO_FATAL_FAILURE(findDatabase());
        janitor_ = makeEngine();
        ASSERT_TRUE(janitor_);
        {
            ConnectParams params;
            params.database = database_;
            DbError error;
            ASSERT_TRUE(janitor_->connect(params, error)) << S(error.description);
        }
        tablesBefore_ = tableNames();
        ASSERT_NO_FATAL_FAILURE(chooseScratchStore());

        sandbox_.settings.saveSetting(kSettingsApp, kSettingsSection, QStringLiteral("DBName"),
                                      database_);
        sandbox_.settings.saveSetting(kSettingsApp, kSettingsSection, QStringLiteral("Server"),
                                      serverName());

        layer_ = makeLayer();
        if (ownCommon_) {
            // The program's own way into a new store: the Common row names the tables.
            CommonRecord common = test::Common(
                "ProgramVersion=9.1 | DupID=1 | Cname=Scratch store of the server tests | "
                "CountryID=64");
            common.StoreNumber = store_;
            const QString failed = FillStore(*layer_, common, ScratchStock());
            ASSERT_TRUE(failed.isEmpty()) << S(failed);
        } else {
            ASSERT_NO_FATAL_FAILURE(openStore(*layer_));
            DbError error;
            ASSERT_TRUE(layer_->engine()->beginTransaction(error)) << S(error.description);
            for (const StoreItem& item : ScratchStock()) {
                layer_->Inventory = item.item;
                ASSERT_TRUE(layer_->RecordOp(kInventoryTable, op::Insert, 0))
                    << S(layer_->LastError().description);
                layer_->Upc = *item.upc;
                ASSERT_TRUE(layer_->RecordOp(kUpcTable, op::Insert, 0))
                    << S(layer_->LastError().description);
            }
            ASSERT_TRUE(layer_->engine()->commit(error)) << S(error.description);
            ASSERT_TRUE(layer_->OpenDataTables());
        }
    }

    void TearDown() override { dropScratch(); }

    // Subclasses put something into the embedded database before the scratch store is made.
    virtual void seedBeforehand() {}

    QString serverName() const {
        // Not this computer's own server (that one is served by the embedded engine), on this
        // computer's name, so no clock is set from another machine.
        return sandbox_.app.computerName + QStringLiteral("\\QVSUITE");
    }

    void findDatabase() {
        if (onEmbedded_) {
            database_ = QStringLiteral("VOR");
            SqliteEngine engine(sandbox_.native(kDataFolder));
            DbError error;
            if (!sandbox_.fs.fileExists(kDataFolder + QStringLiteral("\\VOR.sqlite"))) {
                ASSERT_TRUE(engine.createDatabase(database_, error)) << S(error.description);
            }
            return;
        }
        database_ = qEnvironmentVariable("QUORVANE_SQLSERVER_DB").trimmed();
        if (database_.isEmpty()) {
            // The one the string opens, whether it names it ("Database", "Initial Catalog")
            // or the login's default does.
            std::unique_ptr<OdbcEngine> engine = ConnectOdbc(connectionString_);
            ASSERT_TRUE(engine);
            std::unique_ptr<RowSet> rs = Open(*engine, QStringLiteral("SELECT DB_NAME()"));
            ASSERT_TRUE(rs && !rs->eof());
            database_ = rs->value(0).toText().trimmed();
        }
        ASSERT_FALSE(database_.isEmpty()) << "no database named for the record-layer tests";
    }

    std::unique_ptr<Engine> makeEngine() const {
        if (onEmbedded_) {
            return std::make_unique<SqliteEngine>(sandbox_.native(kDataFolder));
        }
        return OdbcEngine::withConnectionString(connectionString_);
    }

    std::unique_ptr<RecordLayer> makeLayer() {
        return std::make_unique<RecordLayer>(
            sandbox_.services, run_, ini_, kDataFolder,
            [](const QString&) -> std::unique_ptr<Engine> {
                ADD_FAILURE() << "the layer took the server for this computer's own";
                return nullptr;
            },
            [this](const QString& server) -> std::unique_ptr<Engine> {
                serversAsked_ << server;
                return makeEngine();
            });
    }

    // Picks the first store number whose tables do not exist; notes whether the Common row
    // will be the suite's own.
    void chooseScratchStore() {
        for (std::int16_t n = kFirstScratchStore; n <= kLastScratchStore; ++n) {
            const QString text = QString::number(n);
            if (!ContainsName(tablesBefore_, inventory::TableName(text)) &&
                !ContainsName(tablesBefore_, upc::TableName(text))) {
                store_ = n;
                storeText_ = text;
                break;
            }
        }
        ASSERT_GT(store_, 0) << "every scratch store number from " << kFirstScratchStore << " to "
                             << kLastScratchStore << " has tables already";
        ownCommon_ = !ContainsName(tablesBefore_, common::TableName());
        // From here on, tables of these names are this run's.
        ownTables_ = {inventory::TableName(storeText_), upc::TableName(storeText_)};
        if (ownCommon_) {
            ownTables_ << common::TableName();
        }
        commonRowsBefore_ = ownCommon_ ? -1 : count(common::TableName());
    }

    // Opens the scratch store on a layer as start-up does when the Common row is the suite's;
    // else prepares the scratch tables by name, leaving the database's Common row alone.
    void openStore(RecordLayer& layer) {
        if (ownCommon_) {
            ASSERT_TRUE(layer.OpenAllTables()) << S(layer.LastError().description);
            ASSERT_EQ(S(layer.StoreNumberText()), S(storeText_));
        } else {
            ASSERT_TRUE(layer.InitDatabase());
            layer.PrepareInventoryTable(storeText_);
            layer.PrepareUpcTable(storeText_);
        }
        ASSERT_TRUE(layer.OpenDataTables()) << S(layer.LastError().description);
    }

    void dropScratch() {
        second_.reset();
        layer_.reset();
        if (!janitor_ || ownTables_.isEmpty()) {
            return;
        }
        const QStringList present = tableNames();
        for (const QString& table : ownTables_) {
            if (ContainsName(present, table)) {
                dropTable(table);
            }
        }
        ownTables_.clear();
    }

    void dropTable(const QString& table) {
        if (!onEmbedded_) {
            DbError error;
            EXPECT_TRUE(janitor_->execute(QStringLiteral("DROP TABLE ") + table, error))
                << S(table) << ": " << S(error.description);
            return;
        }
        // The embedded engine takes only the statements the layer sends; a drop goes to the
        // file directly.
        janitor_->close();
        sqlite3* raw = nullptr;
        const QByteArray file =
            sandbox_.native(kDataFolder + QStringLiteral("\\") + database_ + ".sqlite").toUtf8();
        ASSERT_EQ(sqlite3_open(file.constData(), &raw), SQLITE_OK);
        const QByteArray sql = "DROP TABLE \"" + table.toUtf8() + "\"";
        char* message = nullptr;
        EXPECT_EQ(sqlite3_exec(raw, sql.constData(), nullptr, nullptr, &message), SQLITE_OK)
            << (message ? message : "");
        sqlite3_free(message);
        sqlite3_close(raw);
        ConnectParams params;
        params.database = database_;
        DbError error;
        EXPECT_TRUE(janitor_->connect(params, error)) << S(error.description);
    }

    QStringList tableNames() {
        DbError error;
        const std::optional<QStringList> tables = janitor_->tables(error);
        EXPECT_TRUE(tables) << S(error.description);
        return tables.value_or(QStringList());
    }

    std::int64_t count(const QString& table) {
        std::unique_ptr<RowSet> rs =
            Open(*janitor_, QStringLiteral("SELECT COUNT(*) FROM ") + table);
        return rs && !rs->eof() ? rs->value(0).toInteger() : -1;
    }

    std::vector<int> serverOrder(const QString& orderBy) {
        return test::RecordNumbersInOrder(db(), inventoryTable(), orderBy);
    }

    QString inventoryTable() const { return inventory::TableName(storeText_); }
    QString upcTable() const { return upc::TableName(storeText_); }

    RecordLayer& db() { return *layer_; }

    // A second workstation on the same store.
    RecordLayer& second() {
        if (!second_) {
            second_ = makeLayer();
            openStore(*second_);
        }
        return *second_;
    }

    QStringList fileLines(const QString& path) const {
        return QString::fromUtf8(sandbox_.readFile(path))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    // The writes of a step table (tests/support/record_steps.h), errors by their number, with
    // the test's own steps: elsewhere RECORDNUM [| FIELDS] (the row read, and changed and
    // written, by a second workstation), upccount (the UPC rows) and user NAME.
    QString writes(const char* relative) {
        const QString out = test::RunRecordSteps(
            db(), relative,
            [this](const QString& label, int, bool found, const QString&, const QString& error) {
                return label + (found ? QStringLiteral(": done") : QStringLiteral(": none")) +
                       (error.isEmpty()
                            ? QString()
                            : QStringLiteral(", error %1").arg(db().LastError().number)) +
                       u'\n';
            },
            [this](const QString& verb, const QStringList& a) {
                if (verb == u"upccount") {
                    return QStringLiteral("UPC rows %1\n").arg(count(upcTable()));
                }
                if (verb == u"user") {
                    run_.UserID = a[0];
                    return QString();
                }
                EXPECT_TRUE(second().GetInventoryByRecordNum(a[0].toInt()));
                if (a.size() == 1) {
                    return QStringLiteral("elsewhere: ") + test::RecordText(second().Inventory) +
                           u'\n';
                }
                second().Inventory =
                    test::Inventory(a.mid(1).join(QStringLiteral(" | ")), second().Inventory);
                EXPECT_TRUE(second().RecordOp(kInventoryTable, op::Update, 0));
                return QString();
            },
            &sandbox_);
        return QString(out).replace(inventoryTable(), QStringLiteral("invt<store>"));
    }

    qv::test::Sandbox sandbox_;
    RunValues run_;
    clsINI_Services ini_{sandbox_.fs, sandbox_.boxes};
    QString connectionString_;
    bool onEmbedded_ = false;
    QString database_;
    std::unique_ptr<Engine> janitor_;  // the tests' own connection: checks and clean-up
    QStringList tablesBefore_;
    std::int16_t store_ = 0;
    QString storeText_;
    bool ownCommon_ = false;
    std::int64_t commonRowsBefore_ = -1;
    QStringList ownTables_;
    QStringList serversAsked_;
    std::unique_ptr<RecordLayer> layer_;
    std::unique_ptr<RecordLayer> second_;
};

TEST_F(SqlServerRecordLayer, StartUpOpensTheScratchStoreOnTheServer) {
    EXPECT_FALSE(db().Embedded());
    EXPECT_EQ(S(db().ServerName()), S(serverName()));
    EXPECT_EQ(S(db().DatabaseName()), S(database_));
    EXPECT_EQ(serversAsked_, QStringList{serverName()});  // one engine for the run
    EXPECT_EQ(S(db().Slot(kInventoryTable)->tableName), S(inventoryTable()));
    EXPECT_EQ(S(db().Slot(kUpcTable)->tableName), S(upcTable()));
    EXPECT_TRUE(db().Slot(kInventoryTable)->opened && db().Slot(kUpcTable)->opened);
    EXPECT_TRUE(db().TableExists(inventoryTable()) && db().TableExists(upcTable()));
    EXPECT_EQ(db().InventoryRowCount(), std::optional<std::int64_t>(kStockSize));
    EXPECT_EQ(count(upcTable()), kStockSize);
    if (ownCommon_) {
        EXPECT_EQ(db().Common.StoreNumber, store_);
    }
    const QStringList trace = fileLines(sandbox_.app.programFolder + QStringLiteral("/52.txt"));
    EXPECT_TRUE(trace.contains(QStringLiteral("Servername = ") + serverName()));
    EXPECT_TRUE(trace.contains(QStringLiteral("Server Status = 1")));
    EXPECT_FALSE(trace.contains(QStringLiteral("Database Create")));
    // A later start-up finds the tables there and opens them again, rows and all.
    EXPECT_EQ(second().InventoryRowCount(), std::optional<std::int64_t>(kStockSize));
    EXPECT_TRUE(sandbox_.boxes.shown().empty());
}

TEST_F(SqlServerRecordLayer, KeyedReadsFirstLastAndWritesGiveTheRowsOfTheGoldenText) {
    QString out = test::RunRecordSteps(
        db(), "db/server_record_layer.steps",
        [this](const QString& label, int table, bool found, const QString&, const QString&) {
            return label + (found ? QStringLiteral(": ") : QStringLiteral(": none, ")) +
                   (table == kUpcTable ? test::RecordText(db().Upc)
                                       : test::RecordText(db().Inventory)) +
                   u'\n';
        },
        [this](const QString& verb, const QStringList& a) {
            if (verb == u"nextnumber") {
                return QStringLiteral("next record number %1\n").arg(db().NextRecordNumber());
            }
            EXPECT_TRUE(second().GetInventoryByRecordNum(a[0].toInt()));
            return QStringLiteral("seen from a second connection: ") +
                   test::RecordText(second().Inventory) + u'\n';
        });
    out.replace(inventoryTable(), QStringLiteral("invt<store>"));
    test::ExpectGolden("db/server_record_layer.txt", out);
}

TEST_F(SqlServerRecordLayer, WalksOnKeysOneAndThreeVisitEveryRowOnceInOrder) {
    // Key 1: S/L codes, all eight digits, so their order is the numbers' order.
    std::vector<int> bySl;
    for (int i = 0; i < kGeneratedItems; ++i) {
        bySl.push_back(11 + i);
    }
    bySl.push_back(501);
    bySl.push_back(502);
    ASSERT_EQ(serverOrder(QStringLiteral("SL")), bySl);
    test::ExpectWalksBothWays(db(), 1, bySl);
    // Key 3: the server's order of descriptions; the three items sharing one description
    // follow each other by S/L.
    const std::vector<int> byDescription = serverOrder(QStringLiteral("Description, SL"));
    ASSERT_EQ(std::set<int>(byDescription.begin(), byDescription.end()).size(),
              static_cast<std::size_t>(kStockSize));
    const auto twins = std::find(byDescription.begin(), byDescription.end(), 11);
    ASSERT_LE(twins + 3, byDescription.end());
    EXPECT_EQ(std::vector<int>(twins, twins + 3), (std::vector<int>{11, 501, 502}));
    test::ExpectWalksBothWays(db(), 3, byDescription);
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetFirst2, 3));
    EXPECT_EQ(db().Inventory.RecordNum, byDescription.front());
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetLast2, 3));
    EXPECT_EQ(db().Inventory.RecordNum, byDescription.back());
}

TEST_F(SqlServerRecordLayer, ALostUpdateIsRefusedAndTheRowReadAgainCanBeWritten) {
    test::ExpectGolden("db/server_lost_update.txt", writes("db/server_lost_update.steps"));
}

TEST_F(SqlServerRecordLayer, DeleteKeepsARecallLineForItemsAndDuplicateKeysAreRefused) {
    test::ExpectGolden("db/server_delete.txt", writes("db/server_delete.steps"));
}

// A database that holds a store of its own already: its COMMON table and its tables are left
// exactly as they were. With the embedded engine that store is made first (store 1, three
// items); on a server it is whatever the database holds.
class SqlServerBesideAStore : public SqlServerRecordLayer {
protected:
    void seedBeforehand() override {
        if (!onEmbedded_) {
            return;
        }
        DbFixture::Options options;
        options.items = 3;
        DbFixture store(sandbox_, options);
        ASSERT_TRUE(store.ok()) << S(store.error);
        seeded_ = true;
    }

    bool seeded_ = false;
};

TEST_F(SqlServerBesideAStore, ScratchTablesComeAndGoAndTheStoreStaysAsItWas) {
    if (seeded_) {
        ASSERT_FALSE(ownCommon_);
        EXPECT_EQ(S(db().StoreNumberText()), "");  // the store's Common row was not read
    }
    EXPECT_EQ(S(db().Slot(kInventoryTable)->tableName), S(inventoryTable()));
    EXPECT_EQ(db().InventoryRowCount(), std::optional<std::int64_t>(kStockSize));
    db().Inventory = InventoryRecord();
    db().Inventory.SL = DbFixture::Item(1).SL.str();
    ASSERT_TRUE(db().RecordOp(kInventoryTable, op::GetEqual, 1));
    EXPECT_EQ(db().Inventory, DbFixture::Item(1));
    EXPECT_EQ(second().InventoryRowCount(), std::optional<std::int64_t>(kStockSize));

    dropScratch();
    EXPECT_EQ(SortedUpper(tableNames()), SortedUpper(tablesBefore_));
    if (!ownCommon_) {
        EXPECT_EQ(count(common::TableName()), commonRowsBefore_);
    }
    if (seeded_) {
        EXPECT_EQ(count(QStringLiteral("invt1")), 3);
        EXPECT_EQ(count(QStringLiteral("UPC1")), 3);
        std::unique_ptr<RowSet> row = Open(
            *janitor_, QStringLiteral("SELECT StoreNumber, Cname FROM ") + common::TableName());
        ASSERT_TRUE(row && !row->eof());
        EXPECT_EQ(row->recordCount(), 1);
        EXPECT_EQ(row->value(0).toInteger(), 1);
        EXPECT_EQ(S(row->value(1).toText().trimmed()), "Harbour Wines & Spirits");
    }
}

}  // namespace
}  // namespace qv::db
