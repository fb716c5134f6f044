// The server connection and the database start-up: settings, the server name, the database
// check, the trace, table opening and creation, plain statements and their log, and the
// faults a database file can have.

#include "db/connection.h"
#include "db/record_layer.h"
#include "db/sqlite_engine.h"
#include "tests/db/db_test_util.h"
#include "tests/support/data_files.h"
#include "tests/support/db_fixture.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <QFile>

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

TEST(ConnectionFaults, AFileThatIsNotADatabaseFailsToConnect) {
    Seeded seeded(0);
    seeded.fx.layer.reset();
    QFile f(seeded.sb.native(QStringLiteral("C:\\KT\\VOR.sqlite")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(4096, 'Z'));
    f.close();
    auto layer = seeded.fx.makeLayer();
    seeded.sb.boxes.expect(QStringLiteral("Failed to connect to database. "));
    EXPECT_FALSE(layer->OpenAllTables());
    EXPECT_EQ(seeded.sb.boxes.shown()[0].title, QStringLiteral("Database Connection Error"));
    EXPECT_FALSE(layer->Connected());
    EXPECT_FALSE(layer->RecordOp(kCommonTable, op::GetFirst, -1));
}

}  // namespace
