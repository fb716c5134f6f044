// The server connection and the database start-up: settings, the server name, the database
// check, the trace, table opening and creation, plain statements and their log, and the
// faults a database file can have.

#include "db/connection.h"
#include "db/record_layer.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/db/db_test_util.h"
#include "tests/sql/engine_test_support.h"
#include "tests/support/db_fixture.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <functional>

using namespace qv;
using namespace qv::db;
using qv::test::DbFixture;

namespace {

using Boxes = std::vector<std::pair<QString, int>>;  // title and style of each box shown

DbFixture::Options bare() {
    DbFixture::Options o;
    o.openLayer = false;
    return o;
}

// A seeded store database in a sandbox of its own.
struct Seeded {
    explicit Seeded(int items, std::int16_t store = 1) : fx(sb, options(items, store)) {}
    static DbFixture::Options options(int items, std::int16_t store) {
        DbFixture::Options o;
        o.items = items;
        o.store = store;
        return o;
    }
    // Starts again on an engine with these options, as another run of the program would.
    std::unique_ptr<RecordLayer> restartWith(SqliteEngine::Options options) {
        fx.layer.reset();
        auto layer = fx.makeLayer([options](const QString& folder) -> std::unique_ptr<Engine> {
            return std::make_unique<SqliteEngine>(folder, options);
        });
        EXPECT_TRUE(layer->OpenAllTables());  // a read-only file fails and logs the upgrades
        EXPECT_TRUE(layer->OpenDataTables());
        return layer;
    }

    qv::test::Sandbox sb;
    DbFixture fx;
};

class ConnectionTest : public ::testing::Test {
protected:
    ConnectionTest() : fx(sandbox, bare()) {}
    void SetUp() override { ASSERT_TRUE(fx.ok()) << fx.error.toStdString(); }

    void setting(const QString& key, const QString& value) {
        sandbox.settings.saveSetting(QStringLiteral("VOR Settings"), QStringLiteral("DATABASE"),
                                     key, value);
    }
    QStringList traceLines() const {
        return crlfLines(sandbox.readFile(sandbox.app.programFolder + QStringLiteral("/52.txt")));
    }
    QString ini() const {
        return QString::fromUtf8(sandbox.readFile(QStringLiteral("C:\\KT\\VOR.INI")));
    }
    Boxes boxes() const {
        Boxes out;
        for (const auto& b : sandbox.boxes.shown()) {
            out.emplace_back(b.title, b.style);
        }
        return out;
    }
    void createDatabase(const QString& folder, const QString& name) {
        SqliteEngine engine(sandbox.native(folder));
        DbError e;
        ASSERT_TRUE(engine.createDatabase(name, e)) << e.description.toStdString();
    }

    qv::test::Sandbox sandbox;
    DbFixture fx;
};

// --- InitDatabase ----------------------------------------------------------------------------

TEST_F(ConnectionTest, BlankServerMeansThisComputersServerAndIsWrittenToTheConfiguration) {
    setting(QStringLiteral("Password"), QStringLiteral("  s3cret "));
    auto layer = fx.makeLayer();
    ASSERT_TRUE(layer->InitDatabase());
    EXPECT_EQ(layer->ServerName(), QStringLiteral("TILL1\\RIDOREZEZ"));
    EXPECT_EQ(layer->DatabaseName(), QStringLiteral("VOR"));
    EXPECT_EQ(layer->UserName(), QStringLiteral("sa"));
    EXPECT_TRUE(ini().contains(QStringLiteral("SERVERNAME=TILL1\\RIDOREZEZ")));
    EXPECT_TRUE(sandbox.boxes.shown().empty());
}

TEST_F(ConnectionTest, TraceListsEveryStepWithoutThePassword) {
    setting(QStringLiteral("Password"), QStringLiteral("s3cret"));
    setting(QStringLiteral("UserName"), QStringLiteral("clerk"));
    auto layer = fx.makeLayer();
    ASSERT_TRUE(layer->InitDatabase());
    EXPECT_EQ(
        traceLines(),
        QStringList({QStringLiteral("VOR"), QStringLiteral("Servername = TILL1\\RIDOREZEZ"),
                     QStringLiteral("set Server "), QStringLiteral("Server set "),
                     QStringLiteral("Connect now TILL1\\RIDOREZEZ clerk ********"),
                     QStringLiteral("Server Status = 1"), QStringLiteral("Server Name = TILL1"),
                     QStringLiteral("Time verified")}));
    EXPECT_FALSE(traceLines().join(u'\n').contains(QStringLiteral("s3cret")));
}

TEST_F(ConnectionTest, ServerOnThisComputerNeedsNoClockCommand) {
    setting(QStringLiteral("Server"), QStringLiteral("till1\\ridorezez"));
    auto layer = fx.makeLayer();
    ASSERT_TRUE(layer->InitDatabase());
    EXPECT_FALSE(traceLines().join(u'\n').contains(QStringLiteral("NET time")));
    EXPECT_FALSE(ini().contains(QStringLiteral("SERVERNAME")));
}

TEST_F(ConnectionTest, ServerOnAnotherMachineSetsTheClockFromIt) {
    auto layer = fx.makeLayer();
    layer->VerifyServerTime(QStringLiteral("BACKOFFICE\\RIDOREZEZ"), 1);
    EXPECT_EQ(traceLines(), QStringList({QStringLiteral("Server Name = BACKOFFICE"),
                                         QStringLiteral("NET time \\\\BACKOFFICE /set /Y"),
                                         QStringLiteral("Time verified")}));
}

TEST_F(ConnectionTest, ServerNameWithoutMachinePartIsReportedAndStartGoesOn) {
    auto layer = fx.makeLayer();
    sandbox.boxes.expect(
        QStringLiteral("The server name \"BACKOFFICE\" names no machine, so the "
                       "clock was not set from the server."));
    layer->VerifyServerTime(QStringLiteral("BACKOFFICE"), 1);
    EXPECT_EQ(boxes(), (Boxes{{"VOR MSDE", 16}}));
    EXPECT_FALSE(traceLines().join(u'\n').contains(QStringLiteral("NET time")));
    // A server that is not running is not asked at all.
    layer->VerifyServerTime(QStringLiteral("BACKOFFICE"), 0);
    EXPECT_EQ(sandbox.boxes.shown().size(), 1u);
}

// A stand-in for a server elsewhere: the embedded engine on the data folder, made through the
// server factory, which records the names it was asked for.
struct StandInServer {
    QString folder;
    QStringList asked;
    RecordLayer::ServerEngineFactory factory() {
        return [this](const QString& server) -> std::unique_ptr<Engine> {
            asked << server;
            return std::make_unique<SqliteEngine>(folder);
        };
    }
};

TEST_F(ConnectionTest, ServerElsewhereIsReachedThroughTheServerEngine) {
    setting(QStringLiteral("Server"), QStringLiteral("BACKOFFICE\\SQL"));
    StandInServer server{sandbox.native(fx.dataFolder), {}};
    RecordLayer layer(sandbox.services, fx.run, fx.ini, fx.dataFolder, {}, server.factory());
    ASSERT_TRUE(layer.InitDatabase());
    EXPECT_FALSE(layer.Embedded());
    EXPECT_EQ(server.asked, QStringList{QStringLiteral("BACKOFFICE\\SQL")});
    const QStringList trace = traceLines();
    EXPECT_TRUE(trace.contains(QStringLiteral("Server Name = BACKOFFICE")));
    EXPECT_TRUE(trace.contains(QStringLiteral("NET time \\\\BACKOFFICE /set /Y")));
    EXPECT_FALSE(ini().contains(QStringLiteral("SERVERNAME")));
    // The engine is made once for the run.
    ASSERT_TRUE(layer.InitDatabase());
    EXPECT_EQ(server.asked.size(), 1);
}

TEST_F(ConnectionTest, TrainingOnAServerElsewhereNeedsTheServersFile) {
    fx.run.TrainingMode = true;
    setting(QStringLiteral("Server"), QStringLiteral("BACKOFFICE\\SQL"));
    StandInServer server{sandbox.native(fx.dataFolder), {}};
    createDatabase(fx.dataFolder, QStringLiteral("Training"));
    RecordLayer layer(sandbox.services, fx.run, fx.ini, fx.dataFolder, {}, server.factory());
    sandbox.boxes.expect(DatabaseNotFoundText());
    EXPECT_FALSE(layer.InitDatabase());
    sandbox.writeFile(QStringLiteral("C:\\KT\\Training.mdf"), "x");
    EXPECT_TRUE(layer.InitDatabase());
}

TEST_F(ConnectionTest, ServerWithoutAClientIsReported) {
    setting(QStringLiteral("Server"), QStringLiteral("BACKOFFICE\\SQL"));
    RecordLayer layer(sandbox.services, fx.run, fx.ini, fx.dataFolder, {},
                      [](const QString&) { return std::unique_ptr<Engine>(); });
    sandbox.boxes.expect(
        QStringLiteral("No database client is available for the server "
                       "\"BACKOFFICE\\SQL\"."));
    EXPECT_FALSE(layer.InitDatabase());
    EXPECT_EQ(boxes(), (Boxes{{"VOR MSDE", 16}}));
}

TEST_F(ConnectionTest, ServerThatCannotBeReachedIsReportedThenNotFound) {
    setting(QStringLiteral("Server"), QStringLiteral("BACKOFFICE\\SQL"));
    setting(QStringLiteral("ODBCDriver"), QStringLiteral("No Such Driver For Tests"));
    auto layer = fx.makeLayer();
    sandbox.boxes.expectAny();
    sandbox.boxes.expect(DatabaseNotFoundText());
    EXPECT_FALSE(layer->InitDatabase());
    ASSERT_EQ(sandbox.boxes.shown().size(), 2u);
    EXPECT_EQ(boxes()[0], std::make_pair(QStringLiteral("VOR MSDE"), 16));
    EXPECT_FALSE(sandbox.boxes.shown()[0].text.isEmpty());
    EXPECT_TRUE(traceLines().contains(QStringLiteral("Server Status = 0")));
}

TEST_F(ConnectionTest, MissingDatabaseIsReportedAndStartStops) {
    setting(QStringLiteral("DBName"), QStringLiteral("Elsewhere"));
    auto layer = fx.makeLayer();
    sandbox.boxes.expect(
        QStringLiteral("Database not found.\r\nIf you are trying to connect to an existing "
                       "database then run the Database Configuration.\r\nTo create a new "
                       "database or convert files from Pervasive run Tillora"));
    EXPECT_FALSE(layer->InitDatabase());
    EXPECT_EQ(sandbox.boxes.shown().at(0).style, 16);
    EXPECT_EQ(traceLines().last(), QStringLiteral("Database Create"));
    // Start-up asks again and stops there too, without touching any table.
    sandbox.boxes.expect(DatabaseNotFoundText());
    EXPECT_FALSE(layer->OpenAllTables());
    EXPECT_FALSE(layer->Connected());
}

TEST_F(ConnectionTest, DatabaseNameComparesTrimmedAndWithoutCaseAndBlankIsNotFound) {
    setting(QStringLiteral("DBName"), QStringLiteral("  vor "));
    EXPECT_TRUE(fx.makeLayer()->InitDatabase());
    setting(QStringLiteral("DBName"), QString());
    sandbox.boxes.expect(DatabaseNotFoundText());
    EXPECT_FALSE(fx.makeLayer()->InitDatabase());
}

TEST_F(ConnectionTest, TrainingModeUsesTheTrainingDatabaseFile) {
    fx.run.TrainingMode = true;
    setting(QStringLiteral("TrainingDB"), QStringLiteral("Practice"));
    auto layer = fx.makeLayer();
    sandbox.boxes.expect(DatabaseNotFoundText());
    EXPECT_FALSE(layer->InitDatabase());  // no Training.sqlite yet
    EXPECT_EQ(layer->DatabaseName(), QStringLiteral("Training"));
    EXPECT_EQ(traceLines().first(), QStringLiteral("Practice"));
    createDatabase(fx.dataFolder, QStringLiteral("Training"));
    EXPECT_TRUE(layer->InitDatabase());
    EXPECT_TRUE(layer->Connect());
}

TEST_F(ConnectionTest, LocalModeUsesTheSafeFolderDatabase) {
    fx.run.LocalSafeMode = true;
    setting(QStringLiteral("Server"), QStringLiteral("BACKOFFICE\\SQL"));
    sandbox.makeDir(QStringLiteral("C:\\vorsafe"));
    auto layer = std::make_unique<RecordLayer>(sandbox.services, fx.run, fx.ini,
                                               QStringLiteral("C:\\vorsafe"));
    sandbox.boxes.expect(DatabaseNotFoundText());
    EXPECT_FALSE(layer->InitDatabase());
    EXPECT_EQ(layer->DatabaseName(), QStringLiteral("VORRemote"));
    // The server becomes this computer's whatever the setting says.
    EXPECT_EQ(layer->ServerName(), QStringLiteral("TILL1\\RIDOREZEZ"));
    createDatabase(QStringLiteral("C:\\vorsafe"), QStringLiteral("VORRemote"));
    EXPECT_TRUE(layer->InitDatabase());
}

// --- start-up sequence -----------------------------------------------------------------------

TEST_F(ConnectionTest, EmptyCommonTableStopsTheStart) {
    auto layer = fx.makeLayer();
    EXPECT_FALSE(layer->OpenAllTables());
    // The Common table was created on the way, empty.
    ASSERT_TRUE(layer->TableExists(QStringLiteral("common")));
    EXPECT_FALSE(layer->TableExists(QStringLiteral("invt")));
    EXPECT_EQ(layer->StoreNumberText(), QString());
    EXPECT_TRUE(sandbox.boxes.shown().empty());
}

TEST(ConnectionStart, StartCreatesTheStoreTablesFromTheCommonRow) {
    Seeded seeded(0, 7);
    ASSERT_TRUE(seeded.fx.ok()) << seeded.fx.error.toStdString();
    RecordLayer& db = *seeded.fx.layer;
    EXPECT_EQ(db.StoreNumberText(), QStringLiteral("7"));
    const TableSlot& invt = *db.Slot(kInventoryTable);
    EXPECT_EQ(invt.tableName, QStringLiteral("invt7"));
    EXPECT_EQ(invt.fileName, QStringLiteral("INVENTRY"));
    EXPECT_EQ(invt.filePath, QStringLiteral("C:\\KT\\invt7.VOR"));
    EXPECT_EQ(invt.label, QStringLiteral("Inventory"));
    EXPECT_EQ(db.Slot(kUpcTable)->tableName, QStringLiteral("UPC7"));
    EXPECT_EQ(db.Slot(kUpcTable)->label, QStringLiteral("UPC Lookup"));
    EXPECT_TRUE(invt.opened);
    EXPECT_TRUE(db.Slot(kUpcTable)->opened);
    // The Common slot is emptied again by the second pass; the record stays.
    EXPECT_EQ(db.Slot(kCommonTable)->tableName, QString());
    EXPECT_EQ(db.Common.StoreNumber, 7);
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

TEST_F(ConnectionTest, OpeningAMissingTableCreatesIt) {
    auto layer = fx.makeLayer();
    ASSERT_TRUE(layer->InitDatabase());
    TableSlot* slot = layer->Slot(kUpcTable);
    slot->tableName = QStringLiteral("UPC9");
    slot->createStatement = upc::CreateStatement(slot->tableName);
    slot->indexStatements = upc::IndexStatements(slot->tableName);
    EXPECT_TRUE(layer->OpenTable(kUpcTable));
    EXPECT_TRUE(slot->opened);
    EXPECT_TRUE(layer->TableExists(QStringLiteral("upc9")));
    EXPECT_TRUE(sandbox.boxes.shown().empty());
    // Its indexes came with it.
    layer->Upc.UPC = QStringLiteral("123");
    ASSERT_TRUE(layer->RecordOp(kUpcTable, op::Insert, 0));
    layer->Upc.SL = QStringLiteral("OTHER");
    EXPECT_FALSE(layer->RecordOp(kUpcTable, op::Insert, 0));
}

TEST_F(ConnectionTest, TableThatCannotBeOpenedIsReported) {
    auto layer = fx.makeLayer();
    ASSERT_TRUE(layer->InitDatabase());
    // A blank table name is not opened, and says nothing.
    EXPECT_FALSE(layer->OpenTable(kSpareTable));
    EXPECT_TRUE(sandbox.boxes.shown().empty());

    TableSlot* slot = layer->Slot(kSpareTable);
    slot->tableName = QStringLiteral("nosuch");
    sandbox.boxes.expectAny();
    EXPECT_FALSE(layer->OpenTable(kSpareTable));
    ASSERT_EQ(sandbox.boxes.shown().size(), 1u);
    EXPECT_EQ(sandbox.boxes.shown()[0].style, 0);
    EXPECT_EQ(sandbox.boxes.shown()[0].text, QString::number(layer->LastError().number) +
                                                 QStringLiteral("    Open Table Error    ") +
                                                 layer->LastError().description + u'\r');
    EXPECT_TRUE(layer->LastError().description.startsWith(QStringLiteral("Invalid object name")));
    EXPECT_FALSE(slot->opened);
    EXPECT_FALSE(layer->RecordOp(kSpareTable, op::GetFirst, -1));
}

TEST(ConnectionStatements, ExecuteSqlCountsRowsAndLogsFailures) {
    Seeded seeded(5);
    ASSERT_TRUE(seeded.fx.ok()) << seeded.fx.error.toStdString();
    seeded.fx.run.UserID = QStringLiteral("ANN");
    RecordLayer& db = *seeded.fx.layer;
    EXPECT_EQ(
        db.ExecuteSql(QStringLiteral("UPDATE invt1 SET LinkItem = 'X1'  WHERE recordnum = 12")), 1);
    EXPECT_EQ(db.ExecuteSql(QStringLiteral("UPDATE invt1 SET NoSuchColumn = 1")), 0);
    const QStringList log = crlfLines(seeded.sb.readFile(QStringLiteral("C:\\KT\\PVSW.log")));
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(
        QStringLiteral(" ANN UPDATE invt1 SET NoSuchColumn = 1 [EXE FAIL] Description: ")))
        << log[0].toStdString();
    EXPECT_TRUE(log[0].endsWith(QStringLiteral(" Source: Quorvane SQLite")));
    EXPECT_TRUE(log[0].contains(db.LastError().description));
}

TEST(ConnectionStatements, ExecuteSqlDeleteOnInventoryWritesRecallLines) {
    Seeded seeded(3);
    ASSERT_TRUE(seeded.fx.ok()) << seeded.fx.error.toStdString();
    RecordLayer& db = *seeded.fx.layer;
    const QString recall = QStringLiteral("C:\\KT\\DeleteRecall.txt");
    ASSERT_TRUE(db.GetInventoryByRecordNum(12));
    EXPECT_EQ(db.ExecuteSql(QStringLiteral("DELETE FROM Invt1 WHERE RecordNum = 12")), 1);
    const QStringList lines = crlfLines(seeded.sb.readFile(recall));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("INSERT INTO invt1 VALUES('10000001'")));
    // Lower-case statements are not recognised as inventory deletes.
    EXPECT_EQ(db.ExecuteSql(QStringLiteral("delete from invt1 WHERE RecordNum = 13")), 1);
    EXPECT_EQ(QString::fromUtf8(seeded.sb.readFile(recall)).count(QStringLiteral("\r\n")), 2);
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
        const QString text = seeded.sb.boxes.shown()[0].text;
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(c.box)) &&
                    text.endsWith(QString::fromUtf8(c.why)))
            << c.what << ": " << text.toStdString();
        layer.reset();
        EXPECT_EQ(seeded.sb.readFile(file), bytes) << c.what << ": the store was written to";
    }
}

TEST(ConnectionFaults, ReadOnlyDatabaseReadsButRefusesWrites) {
    Seeded seeded(4);
    ASSERT_TRUE(seeded.fx.ok()) << seeded.fx.error.toStdString();
    SqliteEngine::Options options;
    options.readOnly = true;
    auto layer = seeded.restartWith(options);
    EXPECT_TRUE(layer->GetInventoryByRecordNum(13));
    layer->Inventory.RecordNum = 50;
    layer->Inventory.SL = QStringLiteral("NEW");
    layer->Inventory.ItemID = QStringLiteral("NEW");
    EXPECT_FALSE(layer->RecordOp(kInventoryTable, op::Insert, 0));
    ASSERT_TRUE(layer->GetInventoryByRecordNum(13));
    layer->Inventory.QZV1 = 9;
    EXPECT_FALSE(layer->RecordOp(kInventoryTable, op::Update, 0));
    EXPECT_EQ(layer->ExecuteSql(QStringLiteral("UPDATE invt1 SET QZV1 = 1")), 0);
    EXPECT_EQ(layer->InventoryRowCount(), std::optional<std::int64_t>(4));
    ASSERT_TRUE(layer->GetInventoryByRecordNum(13));
    EXPECT_EQ(layer->Inventory.QZV1, 0);
    EXPECT_TRUE(seeded.sb.readFile(QStringLiteral("C:\\KT\\PVSW.log"))
                    .contains("UPDATE invt1 SET QZV1 = 1"));
}

TEST(ConnectionFaults, ALockedDatabaseWaitsThenAPromptDecidesWhetherToWaitAgain) {
    Seeded seeded(2);
    ASSERT_TRUE(seeded.fx.ok()) << seeded.fx.error.toStdString();
    SqliteEngine::Options options;
    options.busyTimeoutMs = 200;
    auto layer = seeded.restartWith(options);
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
    sqlite3_close(reader);
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
}

}  // namespace
