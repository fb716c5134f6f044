// The ODBC engine's own ways, through the real driver manager (unixODBC) and the SQLite ODBC
// driver on a temporary database file: connecting and its failures, driver errors, long and
// non-ASCII statement text, rows it cannot tell apart, read-only statement shapes, transaction
// calls out of order, the catalogue and the connection strings it builds. What every engine
// does alike with row sets and transactions is in engine_conformance_test.cpp; SQL Server's own
// types and states are in sql_server_suite_test.cpp.

#include "sql/odbc/odbc_engine.h"
#include "tests/sql/engine_test_support.h"
#include "tests/support/data_files.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>

namespace qv::db {
namespace {

using namespace enginetest;

ConnectParams ShopParams(const char* server) {
    return {QString::fromUtf8(server), QStringLiteral("VOR"), QStringLiteral("sa"),
            QStringLiteral("secret")};
}

class OdbcSqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        engine_ = ConnectOdbc(SqliteOdbcConnectionString(databasePath()));
        ASSERT_TRUE(engine_);
        run("CREATE TABLE items (code CHAR(8), descr VARCHAR(30), price DECIMAL(18,4), "
            "qty INTEGER, weight REAL)");
    }

    QString databasePath() const { return QDir(dir_.path()).filePath(QStringLiteral("store.db")); }

    std::int64_t run(const char* sql) { return Exec(*engine_, QString::fromUtf8(sql)); }
    std::unique_ptr<RowSet> open(const char* select) {
        return Open(*engine_, QString::fromUtf8(select));
    }
    Table table(const char* select) { return Rows(*engine_, QString::fromUtf8(select)); }

    QTemporaryDir dir_;
    std::unique_ptr<OdbcEngine> engine_;
};

// --- connecting ---------------------------------------------------------------------------

// A driver that is not there, by name in a complete string or by the driver setting, or none
// named at all: no connection, and the message says which.
TEST_F(OdbcSqliteTest, AMissingOrUnnamedDriverFailsWithAClearMessage) {
    const struct {
        OdbcSettings settings;
        const char* says;
    } cases[] = {
        {{{}, {}, "Driver=NoSuchQuorvaneDriver;Database=" + databasePath()},
         "The ODBC driver \"NoSuchQuorvaneDriver\" could not be loaded"},
        {{{}, {}, "Database=" + databasePath()},
         "(SQLSTATE IM002) The connection string names no ODBC driver."},
        {{"Quorvane Missing Driver", {}, {}}, "\"Quorvane Missing Driver\""},
    };
    for (const auto& c : cases) {
        OdbcEngine engine(c.settings);
        DbError error;
        EXPECT_FALSE(engine.connect(ShopParams("shop-server"), error));
        EXPECT_FALSE(engine.isOpen());
        EXPECT_TRUE(error.description.contains(QString::fromUtf8(c.says))) << S(error.description);
        EXPECT_TRUE(error.source.startsWith(QStringLiteral("[unixODBC]"))) << S(error.source);
        EXPECT_EQ(engine.serverStatus(ConnectParams{}), 0);
    }
}

// --- statements and row sets -------------------------------------------------------------

// Braces are not escapes to the driver; non-ASCII and long text go and come back whole.
TEST_F(OdbcSqliteTest, EveryStepOfTheScriptGivesItsGoldenResult) {
    test::ExpectGolden("sql/odbc_engine.txt", RunEngineScript(*engine_, "sql/odbc_engine.script"));
}

TEST_F(OdbcSqliteTest, LongTextIsReadWhole) {
    const QString longText = QString(3000, u'x') + QStringLiteral("é") + QString(3000, u'y');
    run("CREATE TABLE notes (body VARCHAR(8000))");
    EXPECT_EQ(Exec(*engine_, "INSERT INTO notes VALUES('" + longText + "')"), 1);
    std::unique_ptr<RowSet> rs = open("SELECT body FROM notes");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->value(0).toText(), longText);
}

// --- what kind of failure ------------------------------------------------------------------

// The kinds a statement alone can provoke are in odbc_engine.script; these need another
// connection or file.
TEST_F(OdbcSqliteTest, ALockHeldElsewhereIsBusyAndAFileThatIsNoDatabaseIsDamaged) {
    const auto failure = [](const QString& connection, DbError& error) {
        EXPECT_FALSE(ConnectOdbc(connection)->execute("DELETE FROM items", error));
        return error.kind;
    };
    DbError e;
    ASSERT_TRUE(engine_->beginTransaction(e));
    run("INSERT INTO items VALUES('B2', 'bread', 2, 2, 2)");
    EXPECT_EQ(failure(SqliteOdbcConnectionString(databasePath()) + ";Timeout=50", e),
              ErrorKind::Busy)
        << S(e.description);
    EXPECT_TRUE(engine_->rollback(e));
    const QString bad = QDir(dir_.path()).filePath(QStringLiteral("bad.db"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'Z')) == 8192);
    file.close();
    EXPECT_EQ(failure(SqliteOdbcConnectionString(bad), e), ErrorKind::Damaged) << S(e.description);
}

// SQL Server's numbers and states, and SQLite's result codes told apart by the source.
TEST(OdbcErrorKind, EachServerNumberOrStateHasItsKind) {
    for (const test::Case& c : test::Cases("sql/odbc_error_kinds.cases")) {
        EXPECT_EQ(static_cast<int>(
                      OdbcErrorKind(c.text(0), static_cast<int>(c.num(1)), c.text(2), QString())),
                  c.num(3))
            << c.where();
    }
}

// --- connection strings -------------------------------------------------------------------

#ifdef _WIN32
const QString kCharset;
#else
const QString kCharset = QStringLiteral(";ClientCharset=UTF-8");
#endif

TEST(OdbcConnectionString, EachDriverAndServerFormGetsItsString) {
    for (const test::Case& c : test::Cases("sql/odbc_connection_strings.cases")) {
        const ConnectParams params{c.text(0), c.text(1), c.text(2), c.text(3)};
        EXPECT_EQ(S(OdbcConnectionString(params, c.text(4), c.text(5), c.flag(6))),
                  S(c.text(7).replace(u'+', kCharset)))
            << c.where();
    }
    // A blank driver means the platform's default; a complete string is used as given.
    EXPECT_TRUE(OdbcConnectionString(ShopParams("h\\I"), QString(), QString())
                    .startsWith(QStringLiteral("Driver={") + DefaultOdbcDriver() + u'}'));
#ifdef _WIN32
    EXPECT_EQ(S(DefaultOdbcDriver()), "SQL Server");
#else
    EXPECT_EQ(S(DefaultOdbcDriver()), "FreeTDS");
#endif
    const QString given = QStringLiteral("Driver=SQLite3;Database=/tmp/x.db");
    EXPECT_EQ(OdbcEngine::withConnectionString(given)->connectionString(ShopParams("h")), given);
    OdbcEngine built(
        OdbcSettings{QStringLiteral("FreeTDS"), QStringLiteral("TDS_Version=7.4"), QString()});
    EXPECT_EQ(built.connectionString(ShopParams("h")),
              OdbcConnectionString(ShopParams("h"), QStringLiteral("FreeTDS"),
                                   QStringLiteral("TDS_Version=7.4")));
}

TEST(OdbcUpdatableTable, SingleTableSelectsNameTheirTableAndOtherShapesAreReadOnly) {
    for (const test::Case& c : test::Cases("sql/odbc_updatable.cases")) {
        EXPECT_EQ(OdbcUpdatableTable(c.text(0)), c.opt(1)) << c.where();
    }
}

}  // namespace
}  // namespace qv::db
