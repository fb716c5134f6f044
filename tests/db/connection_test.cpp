// The server connection and the database start-up: settings, the server name, the database
// check, the trace, table opening and creation, plain statements and their log, and the
// faults a database file can have.

#include "db/connection.h"
#include "db/inventory_table.h"
#include "db/record_layer.h"
#include "db/store_builder.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/db/db_test_util.h"
#include "tests/sql/engine_test_support.h"
#include "tests/support/data_files.h"
#include "tests/support/db_fixture.h"
#include "tests/support/record_text.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <functional>

using namespace qv;
using namespace qv::db;
using qv::test::DbFixture;

namespace {

// A seeded store database in a sandbox of its own.
struct Seeded {
    explicit Seeded(int items, std::int16_t store = 1) : fx(sb, options(items, store)) {}
    static DbFixture::Options options(int items, std::int16_t store) {
        DbFixture::Options o;
        o.items = items;
        o.store = store;
        return o;
    }

    qv::test::Sandbox sb;
    DbFixture fx;
};

// --- InitDatabase ----------------------------------------------------------------------------

TEST(ConnectionInit, EveryScenarioNamesItsServerAndDatabaseTracesItsStepsAndSaysWhatFailed) {
    QString out;
    for (const test::Case& s : test::Cases("db/connection_init.cases")) {
        const QString kind = s.text(4);
        qv::test::Sandbox sb;
        DbFixture::Options bare;
        bare.openLayer = false;
        DbFixture fx(sb, bare);
        ASSERT_TRUE(fx.ok()) << fx.error.toStdString();
        sb.boxes.answerUnexpected = true;
        for (const QString& setting : s.list(1, u';')) {
            sb.settings.saveSetting("VOR Settings", "DATABASE", setting.section(u'=', 0, 0),
                                    setting.section(u'=', 1));
        }
        fx.run.TrainingMode = s.flag(2);
        fx.run.LocalSafeMode = s.flag(3);
        const QString folder = s.flag(3) ? QStringLiteral("C:\\vorsafe") : fx.dataFolder;
        sb.makeDir(folder);
        QStringList asked;
        RecordLayer::ServerEngineFactory server;
        if (kind == u"standin") {
            server = [&asked, native = sb.native(fx.dataFolder)](const QString& name) {
                asked << name;
                return std::make_unique<SqliteEngine>(native);
            };
        } else if (kind == u"noclient") {
            server = [](const QString&) { return std::unique_ptr<Engine>(); };
        }
        RecordLayer layer(sb.services, fx.run, fx.ini, folder, {}, std::move(server));
        const auto make = [&](bool later) {
            bool made = false;
            for (const QString& database : s.list(5, u';')) {
                const QString where = database.section(u'=', 0, 0);
                QString name = database.section(u'=', 1);
                if (name.startsWith(u'+') != later) {
                    continue;
                }
                made = true;
                name.remove(u'+');
                if (name.endsWith(QStringLiteral(".mdf"))) {
                    sb.writeFile(where + u'\\' + name, "x");
                } else {
                    DbError e;
                    EXPECT_TRUE(SqliteEngine(sb.native(where)).createDatabase(name, e));
                }
            }
            return made;
        };
        make(false);
        QStringList results{layer.InitDatabase() ? "true" : "false"};
        if (make(true)) {
            results << (layer.InitDatabase() ? "true" : "false");
        }
        out += QStringLiteral("--- %1\nInitDatabase: %2 | server %3 | database %4 | user %5 | %6\n")
                   .arg(s.text(0), results.join(u' '), layer.ServerName(), layer.DatabaseName(),
                        layer.UserName(),
                        layer.Embedded()
                            ? QStringLiteral("embedded")
                            : QStringLiteral("server engine asked for ") + asked.join(u','));
        for (const auto& box : sb.boxes.shown()) {
            EXPECT_FALSE(box.text.isEmpty());
        }
        QString boxes = sb.boxes.transcript();
        if (kind == u"nodriver") {
            const qsizetype from = boxes.indexOf(QStringLiteral("] ")) + 2;
            boxes.replace(from, boxes.indexOf(u'\n') - from,
                          QStringLiteral("(the driver manager's message)"));
        }
        out += boxes;
        for (const QString& line :
             crlfLines(sb.readFile(sb.app.programFolder + QStringLiteral("/52.txt")))) {
            out += QStringLiteral("trace: ") + line + u'\n';
        }
        for (const QString& line : crlfLines(sb.readFile("C:\\KT\\VOR.INI"))) {
            out += QStringLiteral("VOR.INI: ") + line + u'\n';
        }
    }
    test::ExpectGolden("db/connection_init.txt", out);
}

TEST(ConnectionInit, TheClockIsSetFromAServerOnAnotherMachineOnly) {
    qv::test::Sandbox sb;
    DbFixture::Options bare;
    bare.openLayer = false;
    DbFixture fx(sb, bare);
    auto layer = fx.makeLayer();
    layer->VerifyServerTime(QStringLiteral("BACKOFFICE\\RIDOREZEZ"), 1);
    sb.boxes.expect(
        QStringLiteral("The server name \"BACKOFFICE\" names no machine, so the "
                       "clock was not set from the server."));
    layer->VerifyServerTime(QStringLiteral("BACKOFFICE"), 1);
    // A server that is not running is not asked at all.
    layer->VerifyServerTime(QStringLiteral("BACKOFFICE"), 0);
    EXPECT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].style, 16);
    EXPECT_EQ(crlfLines(sb.readFile(sb.app.programFolder + QStringLiteral("/52.txt"))),
              QStringList({QStringLiteral("Server Name = BACKOFFICE"),
                           QStringLiteral("NET time \\\\BACKOFFICE /set /Y"),
                           QStringLiteral("Time verified")}));
}

// --- start-up sequence -----------------------------------------------------------------------

TEST(ConnectionStart, AnEmptyCommonTableStopsTheStartAndAStoreNumberCreatesTheStoreTables) {
    {
        qv::test::Sandbox sb;
        DbFixture::Options bare;
        bare.openLayer = false;
        DbFixture fx(sb, bare);
        auto layer = fx.makeLayer();
        EXPECT_FALSE(layer->OpenAllTables());
        EXPECT_TRUE(layer->TableExists(QStringLiteral("common")));  // created on the way
        EXPECT_FALSE(layer->TableExists(QStringLiteral("invt")));
        EXPECT_EQ(layer->StoreNumberText(), QString());
        EXPECT_TRUE(sb.boxes.shown().empty());
        // A fill that fails half-way is one transaction: none of its items stays.
        const StoreItem item{DbFixture::Item(0), std::nullopt};
        EXPECT_TRUE(FillStore(*layer, test::Common("DupID=1 | StoreNumber=1"), {item, item})
                        .startsWith(QStringLiteral("item 1")));
        EXPECT_EQ(layer->InventoryRowCount(), std::optional<std::int64_t>(0));
    }
    Seeded seeded(0, 7);
    ASSERT_TRUE(seeded.fx.ok()) << seeded.fx.error.toStdString();
    RecordLayer& db = *seeded.fx.layer;
    EXPECT_EQ(db.StoreNumberText(), QStringLiteral("7"));
    const TableSlot& invt = *db.Slot(kInventoryTable);
    EXPECT_EQ(QStringList({invt.tableName, invt.fileName, invt.filePath, invt.label}),
              QStringList({"invt7", "INVENTRY", "C:\\KT\\invt7.VOR", "Inventory"}));
    EXPECT_EQ(db.Slot(kUpcTable)->tableName, QStringLiteral("UPC7"));
    EXPECT_EQ(db.Slot(kUpcTable)->label, QStringLiteral("UPC Lookup"));
    EXPECT_TRUE(invt.opened && db.Slot(kUpcTable)->opened);
    // The Common slot is emptied again by the second pass; the record stays.
    EXPECT_EQ(db.Slot(kCommonTable)->tableName, QString());
    EXPECT_EQ(db.Common.Cname.rtrimmed(), QStringLiteral("Harbour Wines & Spirits"));
    EXPECT_FLOAT_EQ(db.Common.TaxRate1, 15.0f);
    // The created table has its unique indexes: a second item with the same S/L is refused.
    db.Inventory = DbFixture::Item(0);
    ASSERT_TRUE(db.RecordOp(kInventoryTable, op::Insert, 0));
    db.Inventory.RecordNum = 99;
    db.Inventory.ItemID = QStringLiteral("OTHER");
    db.Inventory.SL = QStringLiteral("10000000 ");
    EXPECT_FALSE(db.RecordOp(kInventoryTable, op::Insert, 0));
    EXPECT_EQ(db.InventoryRowCount(), std::optional<std::int64_t>(1));
}

TEST(ConnectionStart, AMissingTableIsCreatedWithItsIndexesAndOneThatCannotBeOpenedIsReported) {
    Seeded seeded(0);
    qv::test::Sandbox& sb = seeded.sb;
    RecordLayer& layer = *seeded.fx.layer;
    TableSlot* slot = layer.Slot(kUpcTable);
    slot->tableName = QStringLiteral("UPC9");
    slot->createStatement = upc::CreateStatement(slot->tableName);
    slot->indexStatements = upc::IndexStatements(slot->tableName);
    EXPECT_TRUE(layer.OpenTable(kUpcTable));
    EXPECT_TRUE(slot->opened);
    EXPECT_TRUE(layer.TableExists(QStringLiteral("upc9")));
    layer.Upc.UPC = QStringLiteral("123");
    ASSERT_TRUE(layer.RecordOp(kUpcTable, op::Insert, 0));
    layer.Upc.SL = QStringLiteral("OTHER");
    EXPECT_FALSE(layer.RecordOp(kUpcTable, op::Insert, 0));

    // A blank table name is not opened, and says nothing; a missing one without a create
    // statement is reported.
    EXPECT_FALSE(layer.OpenTable(kSpareTable));
    EXPECT_TRUE(sb.boxes.shown().empty());
    layer.Slot(kSpareTable)->tableName = QStringLiteral("nosuch");
    sb.boxes.expectAny();
    EXPECT_FALSE(layer.OpenTable(kSpareTable));
    ASSERT_EQ(sb.boxes.shown().size(), 1u);
    EXPECT_EQ(sb.boxes.shown()[0].style, 0);
    EXPECT_EQ(sb.boxes.shown()[0].text, QString::number(layer.LastError().number) +
                                            QStringLiteral("    Open Table Error    ") +
                                            layer.LastError().description + u'\r');
    EXPECT_TRUE(layer.LastError().description.startsWith(QStringLiteral("Invalid object name")));
    EXPECT_FALSE(layer.Slot(kSpareTable)->opened);
    EXPECT_FALSE(layer.RecordOp(kSpareTable, op::GetFirst, -1));
}

// --- faults of the database file ---------------------------------------------------------------

TEST(ConnectionFaults, ADamagedStoreStopsTheStartSaysWhyAndIsLeftAsItWas) {
    const auto overwrite = [](qsizetype from, qsizetype length) {
        return [=](QByteArray& file) { file.replace(from, length, QByteArray(length, 'Z')); };
    };
    const struct {
        const char* what;
        std::function<void(QByteArray&)> damage;
        const char* box;  // how the box that stops the start begins
        const char* why;
    } cases[] = {
        {"emptied", [](QByteArray& file) { file.clear(); }, "Failed to connect to database. \r\n",
         "is empty: it was cut short."},
        {"cut in half", [](QByteArray& file) { file.truncate(file.size() / 2); },
         "Failed to connect to database. \r\n", "is damaged (database disk image is malformed)."},
        {"header overwritten", overwrite(0, 100), "Failed to connect to database. \r\n",
         "is not a database."},
        {"inventory table's first page overwritten", nullptr, "11    Open Table Error    ",
         "is damaged (database disk image is malformed).\r"},
    };
    for (const auto& c : cases) {
        Seeded seeded(40);
        ASSERT_TRUE(seeded.fx.ok()) << seeded.fx.error.toStdString();
        seeded.fx.layer.reset();
        const QString file = seeded.sb.native(QStringLiteral("C:\\KT\\VOR.sqlite"));
        QByteArray bytes = seeded.sb.readFile(file);
        if (c.damage) {
            c.damage(bytes);
        } else {
            const QStringList root = qv::db::enginetest::ReadSqliteFile(
                file, QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = 'invt1'"));
            ASSERT_EQ(root.size(), 1);
            overwrite((root[0].toInt() - 1) * 4096, 4096)(bytes);
        }
        seeded.sb.writeFile(file, bytes);

        auto layer = seeded.fx.makeLayer();
        seeded.sb.boxes.expectAny();
        const bool started = layer->OpenAllTables() && layer->OpenDataTables();
        EXPECT_FALSE(started) << c.what;
        ASSERT_EQ(seeded.sb.boxes.shown().size(), 1u) << c.what;
        EXPECT_EQ(layer->Connected(), c.damage == nullptr) << c.what;
        if (c.damage) {
            EXPECT_EQ(seeded.sb.boxes.shown()[0].title, "Database Connection Error");
            EXPECT_FALSE(layer->RecordOp(kCommonTable, op::GetFirst, -1));
        }
        const QString text = seeded.sb.boxes.shown()[0].text;
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(c.box)) &&
                    text.endsWith(QString::fromUtf8(c.why)))
            << c.what << ": " << text.toStdString();
        layer.reset();
        EXPECT_EQ(seeded.sb.readFile(file), bytes) << c.what << ": the store was written to";
    }
}

TEST(ConnectionFaults, ALockedDatabaseWaitsThenAPromptDecidesWhetherToWaitAgain) {
    Seeded seeded(2);
    ASSERT_TRUE(seeded.fx.ok()) << seeded.fx.error.toStdString();
    SqliteEngine::Options options;
    options.busyTimeoutMs = 200;
    seeded.fx.layer.reset();
    const RecordLayer::EngineFactory engines = [options](const QString& folder) {
        return std::make_unique<SqliteEngine>(folder, options);
    };
    auto layer = seeded.fx.makeLayer(engines);
    ASSERT_TRUE(layer->OpenAllTables() && layer->OpenDataTables());
    // Another workstation that takes the write lock when asked.
    SqliteEngine other(seeded.sb.native(seeded.fx.dataFolder));
    DbError e;
    ConnectParams p;
    p.database = QStringLiteral("VOR");
    ASSERT_TRUE(other.connect(p, e));
    const auto holdLock = [&] {
        ASSERT_TRUE(other.beginTransaction(e)) << e.description.toStdString();
    };

    // Without a prompt the statement waits out the time-out and fails, saying why.
    holdLock();
    layer->Inventory = DbFixture::Item(5);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(layer->RecordOp(kInventoryTable, op::Insert, 0));
    EXPECT_GE(timer.elapsed(), 150);
    EXPECT_EQ(layer->LastError().kind, ErrorKind::Busy);
    EXPECT_TRUE(
        layer->LastError().description.contains(QStringLiteral("lock"), Qt::CaseInsensitive))
        << layer->LastError().description.toStdString();

    // "Retry" waits again, here until the other connection lets go at the second question.
    std::vector<ErrorKind> asked;
    layer->SetBusyPrompt([&](const DbError& error) {
        asked.push_back(error.kind);
        if (asked.size() == 2) {
            other.rollback(e);
        }
        return true;
    });
    EXPECT_TRUE(layer->RecordOp(kInventoryTable, op::Insert, 0));
    EXPECT_EQ(asked, (std::vector<ErrorKind>{ErrorKind::Busy, ErrorKind::Busy}));

    // Inside a transaction nobody is asked: the unit's owner decides.
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(other.databaseFile(p.database)).constData(), &reader),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM sqlite_schema;", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);  // a reader in the middle of its reading: no commit can finish
    ASSERT_TRUE(layer->BeginTransaction());
    layer->Inventory = DbFixture::Item(6);
    EXPECT_TRUE(layer->RecordOp(kInventoryTable, op::Insert, 0));
    EXPECT_FALSE(layer->CommitTransaction());
    EXPECT_EQ(layer->LastError().kind, ErrorKind::Busy);
    layer->RollbackTransaction();
    sqlite3_exec(reader, "ROLLBACK", nullptr, nullptr, nullptr);
    EXPECT_EQ(asked.size(), 2u);

    // "Cancel" gives up, and the rest of the action fails at once without asking or waiting,
    // until the event loop has run.
    holdLock();
    layer->SetBusyPrompt([&](const DbError&) {
        asked.push_back(ErrorKind::Other);
        return false;
    });
    EXPECT_FALSE(layer->RecordOp(kInventoryTable, op::Insert, 0));
    ASSERT_TRUE(other.rollback(e));
    EXPECT_FALSE(layer->GetInventoryByRecordNum(11));
    EXPECT_EQ(layer->LastError().kind, ErrorKind::Busy);
    EXPECT_EQ(asked.size(), 3u);
    QCoreApplication::processEvents();
    EXPECT_TRUE(layer->GetInventoryByRecordNum(11));
    EXPECT_EQ(layer->InventoryRowCount(), std::optional<std::int64_t>(3));

    // A start on a store that another program holds (nobody else may even read) asks the
    // program's question, and goes on only on Retry.
    for (const BoxAnswer answer : {BoxAnswer::Cancel, BoxAnswer::Retry}) {
        ASSERT_EQ(sqlite3_exec(reader, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        const auto letGo = [reader] {
            sqlite3_exec(reader, "ROLLBACK", nullptr, nullptr, nullptr);
        };
        auto start = seeded.fx.makeLayer(engines);
        start->SetBusyPrompt(StoreBusyPrompt(seeded.sb.services));
        seeded.sb.boxes.expect(StoreBusyText(), answer, letGo);
        if (answer == BoxAnswer::Cancel) {
            seeded.sb.boxes.expect(
                "Failed to connect to database. \r\nThe database is locked by another connection "
                "and was not released within 0.2 seconds; the statement was not run.");
        }
        EXPECT_EQ(start->OpenAllTables() && start->OpenDataTables(), answer == BoxAnswer::Retry);
        EXPECT_TRUE(seeded.sb.boxes.allAnswered());
        QCoreApplication::processEvents();
    }
    sqlite3_close(reader);
}

class InventoryUpgradeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fx.ok()) << fx.error.toStdString();
        fx.layer.reset();
        other = std::make_unique<SqliteEngine>(sandbox.native(fx.dataFolder));
        ConnectParams p;
        p.database = QStringLiteral("VOR");
        ASSERT_TRUE(other->connect(p, e)) << e.description.toStdString();
        ASSERT_TRUE(run(QStringLiteral("UPDATE COMMON SET StoreNumber = 5")));
        runScript("db/older_inventory.sql");
    }

    // The statements of a file in tests/data, one to a line ("--" lines are comments).
    void runScript(const char* relative) {
        for (const QString& line : QString::fromUtf8(test::ReadData(relative)).split(u'\n')) {
            if (!line.isEmpty() && !line.startsWith(QStringLiteral("--"))) {
                run(line);
            }
        }
    }

    bool run(const QString& sql) {
        const bool ok = other->execute(sql, e).has_value();
        if (!ok) {
            ADD_FAILURE() << sql.toStdString() << ": " << e.description.toStdString();
        }
        return ok;
    }

    // Two items of the older shape, written by the older release; then this one starts.
    std::unique_ptr<RecordLayer> startOnOldRows() {
        runScript("db/older_inventory_rows.sql");
        other.reset();
        return start();
    }

    std::unique_ptr<RecordLayer> start() {
        auto layer = fx.makeLayer();
        EXPECT_TRUE(layer->OpenAllTables());
        EXPECT_TRUE(layer->OpenDataTables());
        return layer;
    }

    QStringList logLines() const {
        return crlfLines(sandbox.readFile(QStringLiteral("C:\\KT\\PVSW.log")));
    }

    // The names of the columns at these ordinals of the open inventory table.
    static QStringList fieldNames(RecordLayer& db, std::initializer_list<int> ordinals) {
        QStringList names;
        for (int i : ordinals) {
            names << db.FieldName(kInventoryTable, i);
        }
        return names;
    }

    qv::test::Sandbox sandbox;
    DbFixture fx{sandbox};
    std::unique_ptr<SqliteEngine> other;
    DbError e;
};

TEST_F(InventoryUpgradeTest, OlderTableIsBroughtUpToDate) {
    auto layer = startOnOldRows();
    RecordLayer& db = *layer;
    ASSERT_EQ(db.Slot(kInventoryTable)->tableName, QStringLiteral("invt5"));

    // Columns by ordinal, as the record copies need them.
    EXPECT_EQ(fieldNames(db, {16, 47, 50, 55, 56}),
              QStringList({"NotUsed", "NeverOrder", "PriceFactor", "PenLiqorUnit", "QZV3"}));
    EXPECT_EQ(db.FieldValue(kInventoryTable, 1).toText().size(), 25);

    ASSERT_TRUE(db.GetInventoryByRecordNum(11));
    EXPECT_EQ(db.Inventory.PriceFactor.rtrimmed(), QStringLiteral("PF1"));
    EXPECT_TRUE(db.Inventory.NeverOrder.isBlank());
    EXPECT_EQ(db.Inventory.PenLiqorUnit, 0);
    EXPECT_EQ(db.Inventory.QZV3, 0);
    EXPECT_TRUE(db.FieldValue(kInventoryTable, 55).isNull());
    EXPECT_FLOAT_EQ(db.Inventory.QtyOnHand, 7.0f);
    ASSERT_TRUE(db.GetInventoryByRecordNum(12));
    EXPECT_EQ(db.Inventory.PriceFactor.rtrimmed(), QStringLiteral("S2"));
    EXPECT_TRUE(db.Inventory.NeverOrder.isBlank());

    // A quantity with a fraction and a 25-character item code now fit.
    db.Inventory.QtyOnHand = 2.5f;
    ASSERT_TRUE(db.RecordOp(kInventoryTable, op::Update, 0));
    db.Inventory = DbFixture::Item(40);
    db.Inventory.ItemID = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY");
    ASSERT_TRUE(db.RecordOp(kInventoryTable, op::Insert, 0))
        << db.LastError().description.toStdString();
    db.Inventory = InventoryRecord();
    db.Inventory.ItemID = QStringLiteral("abcdefghijklmnopqrstuvwxy");
    ASSERT_TRUE(db.RecordOp(kInventoryTable, op::GetEqual, 2));
    EXPECT_EQ(db.Inventory.RecordNum, 51);
    ASSERT_TRUE(db.GetInventoryByRecordNum(12));
    EXPECT_FLOAT_EQ(db.Inventory.QtyOnHand, 2.5f);

    // The indexes are back on the wider column: unique and used.
    db.Inventory = DbFixture::Item(41);
    db.Inventory.ItemID = QStringLiteral("old-1");
    EXPECT_FALSE(db.RecordOp(kInventoryTable, op::Insert, 0));
    auto* engine = dynamic_cast<SqliteEngine*>(db.engine());
    ASSERT_NE(engine, nullptr);
    const auto plan = engine->explainQueryPlan(
        QStringLiteral(
            "SELECT TOP 1 * FROM invt5 WHERE ltrim(ItemID)='OLD-2' ORDER BY ltrim(ItemID)"),
        e);
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->join(u' ').contains(QStringLiteral("invt5__idx_2")))
        << plan->join(u' ').toStdString();
    EXPECT_EQ(db.Slot(kInventoryTable)->indexStatements,
              inventory::IndexStatements(QStringLiteral("invt5")));

    // Nothing failed on the way.
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join(u'\n').toStdString();
}

TEST_F(InventoryUpgradeTest, UpToDateTableKeepsItsDataOnTheNextStart) {
    {
        auto layer = startOnOldRows();
        ASSERT_TRUE(layer->GetInventoryByRecordNum(11));
        layer->Inventory.NeverOrder = QStringLiteral("Y");
        ASSERT_TRUE(layer->RecordOp(kInventoryTable, op::Update, 0));
    }
    auto layer = start();
    ASSERT_TRUE(layer->GetInventoryByRecordNum(11));
    EXPECT_EQ(layer->Inventory.NeverOrder.str(), QStringLiteral("Y"));
    EXPECT_EQ(layer->Inventory.PriceFactor.rtrimmed(), QStringLiteral("PF1"));
    // The steps that no longer apply failed and were logged: the two columns, the rename.
    const QStringList log = logLines();
    ASSERT_EQ(log.size(), 3) << log.join(u'\n').toStdString();
    EXPECT_TRUE(
        log[0].contains(QStringLiteral("ALTER TABLE invt5 ADD PenLiqorUnit SMALLINT  [EXE FAIL]")));
    EXPECT_TRUE(log[1].contains(QStringLiteral("ALTER TABLE invt5 ADD QZV3 INTEGER  [EXE FAIL]")));
    EXPECT_TRUE(log[2].contains(
        QStringLiteral("sp_RENAME 'invt5.Flg2', 'NeverOrder ', 'COLUMN' [EXE FAIL]")));
}

TEST_F(InventoryUpgradeTest, EmptyOlderTableIsLeftAsItIs) {
    other.reset();
    auto layer = start();
    EXPECT_EQ(fieldNames(*layer, {47, 50, 55}), QStringList({"Flg2", "Spare1", QString()}));
    EXPECT_TRUE(logLines().isEmpty());
    EXPECT_EQ(layer->NextRecordNumber(), 11);
}

TEST(InventoryOpen, ProgramNamedVendorsLeavesTheTableAlone) {
    qv::test::Sandbox sandbox;
    DbFixture fx(sandbox);
    ASSERT_TRUE(fx.ok()) << fx.error.toStdString();
    sandbox.services.app.exeName = QStringLiteral("Vendors");
    auto layer = fx.makeLayer();
    ASSERT_TRUE(layer->InitDatabase());
    layer->PrepareInventoryTable(QStringLiteral("8"));
    EXPECT_EQ(layer->Slot(kInventoryTable)->tableName, QStringLiteral("invt8"));
    EXPECT_FALSE(layer->TableExists(QStringLiteral("invt8")));
    layer->PrepareInventoryTable(QStringLiteral("8"), QStringLiteral("MyInvt"));
    EXPECT_EQ(layer->Slot(kInventoryTable)->fileName, QStringLiteral("MyInvt"));
    EXPECT_EQ(layer->Slot(kInventoryTable)->label, QStringLiteral("MyInvt"));
}

}  // namespace
