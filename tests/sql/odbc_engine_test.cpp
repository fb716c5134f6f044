// The ODBC engine's own ways, through the real driver manager (unixODBC) and the SQLite ODBC
// driver on a temporary database file: connecting and its failures, driver errors, long and
// non-ASCII statement text, rows it cannot tell apart, read-only statement shapes, transaction
// calls out of order, the catalogue and the connection strings it builds. What every engine
// does alike with row sets and transactions is in engine_conformance_test.cpp; SQL Server's own
// types and states are in sql_server_suite_test.cpp.

#include "sql/odbc/odbc_engine.h"
#include "tests/sql/engine_test_support.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <string>

namespace qv::db {
namespace {

using namespace enginetest;

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

TEST_F(OdbcSqliteTest, UnknownDriverNameFailsWithAClearMessage) {
    OdbcSettings settings;
    settings.connectionString =
        QStringLiteral("Driver=NoSuchQuorvaneDriver;Database=") + databasePath();
    OdbcEngine engine(settings);
    DbError error;
    EXPECT_FALSE(engine.connect(ConnectParams{}, error));
    EXPECT_FALSE(engine.isOpen());
    EXPECT_TRUE(error.isSet());
    EXPECT_NE(error.description.indexOf(
                  QStringLiteral("The ODBC driver \"NoSuchQuorvaneDriver\" could not be loaded")),
              -1)
        << S(error.description);
    EXPECT_TRUE(error.source.startsWith(QStringLiteral("[unixODBC]"))) << S(error.source);
    EXPECT_EQ(engine.serverStatus(ConnectParams{}), 0);
}

TEST_F(OdbcSqliteTest, ConnectionStringWithoutDriverSaysSo) {
    OdbcEngine engine(
        OdbcSettings{QString(), QString(), QStringLiteral("Database=") + databasePath()});
    DbError error;
    EXPECT_FALSE(engine.connect(ConnectParams{}, error));
    EXPECT_NE(error.description.indexOf(QStringLiteral("(SQLSTATE IM002)")), -1)
        << S(error.description);
    EXPECT_TRUE(
        error.description.endsWith(QStringLiteral("The connection string names no ODBC driver.")))
        << S(error.description);
}

TEST_F(OdbcSqliteTest, DriverSettingThatIsNotInstalledIsNamedInTheError) {
    OdbcSettings settings;
    settings.driver = QStringLiteral("Quorvane Missing Driver");
    OdbcEngine engine(settings);
    ConnectParams params;
    params.server = QStringLiteral("shop-server");
    params.database = QStringLiteral("VOR");
    params.user = QStringLiteral("sa");
    DbError error;
    EXPECT_FALSE(engine.connect(params, error));
    EXPECT_NE(error.description.indexOf(QStringLiteral("\"Quorvane Missing Driver\"")), -1)
        << S(error.description);
}

TEST_F(OdbcSqliteTest, UnreachableServerGivesTheDriversMessage) {
    // FreeTDS against a port on this machine where nothing listens: refused at once.
    OdbcEngine engine(OdbcSettings{QStringLiteral("FreeTDS"), QString(), QString()});
    ConnectParams params;
    params.server = QStringLiteral("127.0.0.1,1");
    params.database = QStringLiteral("VOR");
    params.user = QStringLiteral("sa");
    params.password = QStringLiteral("wrong");
    params.timeoutSeconds = 5;
    DbError error;
    const bool connected = engine.connect(params, error);
    if (error.description.contains(QStringLiteral("could not be loaded"))) {
        GTEST_SKIP() << "the FreeTDS ODBC driver is not installed";
    }
    EXPECT_FALSE(connected);
    EXPECT_TRUE(error.source.startsWith(QStringLiteral("[FreeTDS]"))) << S(error.source);
    EXPECT_NE(error.description.indexOf(QStringLiteral("Unable to connect")), -1)
        << S(error.description);
    EXPECT_NE(error.number, 0);
    EXPECT_EQ(engine.serverStatus(params), 0);
}

// --- statements and row sets -------------------------------------------------------------

TEST_F(OdbcSqliteTest, StatementTextWithBracesAndNonAsciiIsSentAsWritten) {
    run("INSERT INTO items VALUES('{fn X}', 'Grüße ½ €', 1, 1, 1)");
    EXPECT_EQ(table("SELECT code, descr FROM items"), (Table{{"Text:{fn X}", "Text:Grüße ½ €"}}));
}

TEST_F(OdbcSqliteTest, LongTextIsReadWhole) {
    const QString longText = QString(3000, u'x') + QStringLiteral("é") + QString(3000, u'y');
    run("CREATE TABLE notes (body VARCHAR(8000))");
    DbError error;
    ASSERT_TRUE(engine_->execute(
        QStringLiteral("INSERT INTO notes VALUES('") + longText + QStringLiteral("')"), error));
    std::unique_ptr<RowSet> rs = open("SELECT body FROM notes");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->value(0).toText(), longText);
}

TEST_F(OdbcSqliteTest, IdenticalRowsAreNeitherUpdatedNorDeleted) {
    run("INSERT INTO items VALUES('D4', 'Dup', 1, 1, 1)");
    run("INSERT INTO items VALUES('D4', 'Dup', 1, 1, 1)");
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items");
    ASSERT_TRUE(rs);
    rs->setValue(1, Value::text(QStringLiteral("Changed")));
    DbError error;
    EXPECT_FALSE(rs->update(error));
    EXPECT_EQ(S(error.description),
              "Row cannot be located uniquely for updating. 2 rows hold the same values; nothing "
              "was changed.");
    DbError deleteError;
    EXPECT_FALSE(rs->deleteCurrent(deleteError));
    EXPECT_TRUE(deleteError.description.startsWith(
        QStringLiteral("Row cannot be located uniquely for deleting. 2 rows")))
        << S(deleteError.description);
    EXPECT_EQ(table("SELECT descr FROM items"), (Table{{"Text:Dup"}, {"Text:Dup"}}));
}

TEST_F(OdbcSqliteTest, StatementsOverSeveralTablesOrComputedColumnsAreReadOnly) {
    run("INSERT INTO items VALUES('A1', 'Apple', 1.25, 10, 0.5)");
    run("INSERT INTO items VALUES('B2', 'Bread', 2.5, 4, NULL)");
    run("CREATE TABLE other (code CHAR(8))");
    run("INSERT INTO other VALUES('A1')");
    for (const char* select : {"SELECT code, COUNT(*) FROM items GROUP BY code",
                               "SELECT items.* FROM items JOIN other ON other.code = items.code",
                               "SELECT ltrim(code) FROM items"}) {
        std::unique_ptr<RowSet> rs = open(select);
        ASSERT_TRUE(rs) << select;
        ASSERT_FALSE(rs->eof()) << select;
        rs->setValue(0, Value::text(QStringLiteral("X")));
        DbError error;
        EXPECT_FALSE(rs->update(error)) << select;
        EXPECT_EQ(S(error.description),
                  "Insufficient base table information for updating or refreshing.")
            << select;
        EXPECT_FALSE(rs->deleteCurrent(error)) << select;
    }
    EXPECT_EQ(table("SELECT code FROM items ORDER BY code"), (Table{{"Text:A1"}, {"Text:B2"}}));
}

// --- transactions -------------------------------------------------------------------------

TEST_F(OdbcSqliteTest, TransactionCallsOutOfOrderAreRefused) {
    DbError error;
    EXPECT_FALSE(engine_->commit(error));
    EXPECT_EQ(S(error.description), "No transaction is active.");
    DbError rollbackError;
    EXPECT_FALSE(engine_->rollback(rollbackError));
    EXPECT_EQ(S(rollbackError.description), "No transaction is active.");

    DbError begin;
    ASSERT_TRUE(engine_->beginTransaction(begin));
    DbError second;
    EXPECT_FALSE(engine_->beginTransaction(second));
    EXPECT_EQ(S(second.description), "Only one transaction can be active on this session.");
    EXPECT_TRUE(engine_->rollback(begin));
}

// --- what kind of failure ------------------------------------------------------------------

TEST_F(OdbcSqliteTest, FailuresCallersActOnHaveTheirKind) {
    run("CREATE UNIQUE INDEX items_code ON items(code)");
    run("CREATE TABLE named (name CHAR(8) NOT NULL)");
    run("INSERT INTO items VALUES('A1', 'apple', 1, 1, 1)");
    const auto failure = [](Engine& engine, const char* sql) {
        DbError error;
        EXPECT_FALSE(engine.execute(QString::fromUtf8(sql), error)) << sql;
        return error;
    };
    const QString other =
        SqliteOdbcConnectionString(databasePath()) + QStringLiteral(";Timeout=50");
    const struct {
        const char* what;
        std::function<DbError()> provoke;
        ErrorKind kind;
    } cases[] = {
        {"a code the unique index has",
         [&] { return failure(*engine_, "INSERT INTO items VALUES('A1', 'x', 1, 1, 1)"); },
         ErrorKind::DuplicateKey},
        {"no name", [&] { return failure(*engine_, "INSERT INTO named VALUES(NULL)"); },
         ErrorKind::Other},
        {"another writer holds the lock",
         [&] {
             DbError e;
             EXPECT_TRUE(engine_->beginTransaction(e));
             run("INSERT INTO items VALUES('B2', 'bread', 2, 2, 2)");
             const DbError busy = failure(*ConnectOdbc(other), "DELETE FROM items");
             EXPECT_TRUE(engine_->rollback(e));
             return busy;
         },
         ErrorKind::Busy},
        {"a read-only connection",
         [&] {
             auto reader = ConnectOdbc(other);
             Exec(*reader, QStringLiteral("PRAGMA query_only = 1"));
             return failure(*reader, "DELETE FROM items");
         },
         ErrorKind::ReadOnly},
        {"no more room",
         [&] {
             auto writer = ConnectOdbc(other);
             Exec(*writer, QStringLiteral("PRAGMA max_page_count = 1"));
             return failure(*writer, "CREATE TABLE more (x INTEGER)");
         },
         ErrorKind::DiskFull},
        {"not a database",
         [&] {
             const QString path = QDir(dir_.path()).filePath(QStringLiteral("bad.db"));
             QFile bad(path);
             EXPECT_TRUE(bad.open(QIODevice::WriteOnly));
             bad.write(QByteArray(8192, 'Z'));
             bad.close();
             return failure(*ConnectOdbc(SqliteOdbcConnectionString(path)), "DELETE FROM items");
         },
         ErrorKind::Damaged},
    };
    for (const auto& c : cases) {
        const DbError e = c.provoke();
        EXPECT_EQ(e.kind, c.kind) << c.what << ": " << S(e.description);
    }
    EXPECT_EQ(table("SELECT code FROM items"), (Table{{"Text:A1"}}));
}

TEST(OdbcErrorKind, SqlServersNumbersAndStates) {
    const QString server = QStringLiteral("[FreeTDS][SQL Server]");
    const struct {
        const char* state;
        int native;
        ErrorKind kind;
    } cases[] = {
        {"23000", 2601, ErrorKind::DuplicateKey}, {"23000", 2627, ErrorKind::DuplicateKey},
        {"23000", 515, ErrorKind::Other},         {"HY000", 1222, ErrorKind::Busy},
        {"40001", 1205, ErrorKind::Busy},         {"HYT00", 0, ErrorKind::Busy},
        {"42000", 3906, ErrorKind::ReadOnly},     {"HY000", 1105, ErrorKind::DiskFull},
        {"HY000", 9002, ErrorKind::DiskFull},     {"HY000", 824, ErrorKind::Damaged},
        {"42S02", 208, ErrorKind::Other},         {"08S01", 20009, ErrorKind::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OdbcErrorKind(QString::fromLatin1(c.state), c.native, server, QString()), c.kind)
            << c.state << " " << c.native;
    }
    // The SQLite driver's numbers are SQLite's result codes; only its source tells them apart.
    EXPECT_EQ(OdbcErrorKind(QStringLiteral("HY000"), 5, QStringLiteral("[SQLite]"), QString()),
              ErrorKind::Busy);
    EXPECT_EQ(OdbcErrorKind(QStringLiteral("HY000"), 5, server, QString()), ErrorKind::Other);
}

// --- catalogue ----------------------------------------------------------------------------

TEST_F(OdbcSqliteTest, CatalogueOfASqliteSourceIsTheOpenFile) {
    EXPECT_EQ(engine_->serverStatus(ConnectParams{}), 1);
    run("CREATE TABLE other (code CHAR(8))");
    DbError error;
    std::optional<QStringList> names = engine_->tables(error);
    ASSERT_TRUE(names) << S(error.description);
    names->sort(Qt::CaseInsensitive);
    EXPECT_EQ(*names, (QStringList{QStringLiteral("items"), QStringLiteral("other")}));
    // The databases of the source: the open file's base name.
    EXPECT_EQ(engine_->databases(ConnectParams{}, error), QStringList{QStringLiteral("store")});
}

// --- connection strings -------------------------------------------------------------------

#ifdef _WIN32
const QString kCharset;
#else
const QString kCharset = QStringLiteral(";ClientCharset=UTF-8");
#endif

ConnectParams ShopParams(const char* server) {
    ConnectParams p;
    p.server = QString::fromUtf8(server);
    p.database = QStringLiteral("VOR");
    p.user = QStringLiteral("sa");
    p.password = QStringLiteral("secret");
    return p;
}

TEST(OdbcConnectionString, EachDriverAndServerFormGetsItsString) {
    struct Case {
        const char* why;
        ConnectParams params;
        const char* driver;
        const char* options;
        bool withDatabase;
        const char* expected;  // "+" stands for the client charset this platform adds
    };
    const ConnectParams braced{QStringLiteral("shop-srv\\STORE"), QStringLiteral("VOR;X"),
                               QStringLiteral(" pad"), QStringLiteral("a;b{c}d")};
    const Case cases[] = {
        {"FreeTDS gets server, port, database and credentials", ShopParams("shop-srv"), "FreeTDS",
         "TDS_Version=7.4", true,
         "Driver={FreeTDS};Server=shop-srv;Port=1433;Database=VOR;UID=sa;PWD=secret+;"
         "TDS_Version=7.4"},
        {"a named instance goes without port", ShopParams("shop-srv\\STORE"), "FreeTDS", "", true,
         "Driver={FreeTDS};Server=shop-srv\\STORE;Database=VOR;UID=sa;PWD=secret+"},
        {"host,port becomes the Port keyword", ShopParams("shop-srv,1500"), "FreeTDS", "", true,
         "Driver={FreeTDS};Server=shop-srv;Port=1500;Database=VOR;UID=sa;PWD=secret+"},
        {"values with separators or braces are braced", braced, "FreeTDS", "", true,
         "Driver={FreeTDS};Server=shop-srv\\STORE;Database={VOR;X};UID={ pad};PWD={a;b{c}}d}+"},
        {"options decide port and charset when they name them", ShopParams("shop-srv"), "FreeTDS",
         ";port=2433;ClientCharset=ISO-8859-1;", true,
         "Driver={FreeTDS};Server=shop-srv;Database=VOR;UID=sa;PWD=secret;port=2433;"
         "ClientCharset=ISO-8859-1"},
        {"other drivers get the server as written", ShopParams("shop-srv,1500"),
         "ODBC Driver 18 for SQL Server", "Encrypt=no", true,
         "Driver={ODBC Driver 18 for SQL Server};Server=shop-srv,1500;Database=VOR;UID=sa;"
         "PWD=secret;Encrypt=no"},
        {"server-level strings leave the database out", ShopParams("shop-srv\\STORE"), "SQL Server",
         "", false, "Driver={SQL Server};Server=shop-srv\\STORE;UID=sa;PWD=secret"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(S(OdbcConnectionString(c.params, QString::fromUtf8(c.driver),
                                         QString::fromUtf8(c.options), c.withDatabase)),
                  S(QString::fromUtf8(c.expected).replace(u'+', kCharset)))
            << c.why;
    }
}

TEST(OdbcConnectionString, BlankDriverMeansThePlatformDefault) {
    EXPECT_TRUE(OdbcConnectionString(ShopParams("h\\I"), QString(), QString())
                    .startsWith(QStringLiteral("Driver={") + DefaultOdbcDriver() + u'}'));
#ifdef _WIN32
    EXPECT_EQ(S(DefaultOdbcDriver()), "SQL Server");
#else
    EXPECT_EQ(S(DefaultOdbcDriver()), "FreeTDS");
#endif
}

TEST(OdbcConnectionString, EngineUsesACompleteStringAsGiven) {
    const QString given = QStringLiteral("Driver=SQLite3;Database=/tmp/x.db");
    EXPECT_EQ(OdbcEngine::withConnectionString(given)->connectionString(ShopParams("h")), given);
    OdbcEngine built(
        OdbcSettings{QStringLiteral("FreeTDS"), QStringLiteral("TDS_Version=7.4"), QString()});
    EXPECT_EQ(built.connectionString(ShopParams("h")),
              OdbcConnectionString(ShopParams("h"), QStringLiteral("FreeTDS"),
                                   QStringLiteral("TDS_Version=7.4")));
}

// --- which statements can be written back -------------------------------------------------

std::string TableOf(const char* select) {
    const std::optional<QString> t = OdbcUpdatableTable(QString::fromUtf8(select));
    return t ? S(*t) : "(read-only)";
}

TEST(OdbcUpdatableTable, SingleTableSelectsNameTheirTable) {
    EXPECT_EQ(TableOf("SELECT TOP 1 * FROM invt1 WHERE SL > 'A' ORDER BY SL DESC"), "invt1");
    EXPECT_EQ(TableOf("SELECT  TOP 1 * FROM invt1 WHERE (SELECT COUNT(*) FROM invt1 WHERE "
                      "Dept='1') > 1 AND Dept='1' AND SL>'x' OR Dept>'1' ORDER BY Dept,SL"),
              "invt1");
    EXPECT_EQ(TableOf("SELECT TOP 1 * FROM vor.invt1"), "vor.invt1");
    EXPECT_EQ(TableOf("SELECT TOP 1 * FROM UPC1 WHERE LEFT(UPC,5)='12345'"), "UPC1");
    EXPECT_EQ(TableOf("select code, t.descr from [my items] t where descr = 'x FROM y JOIN z'"),
              "[my items]");
    EXPECT_EQ(TableOf("SELECT * FROM COMMON;"), "COMMON");
}

TEST(OdbcUpdatableTable, OtherShapesAreReadOnly) {
    for (const char* select :
         {"SELECT * FROM a JOIN b ON a.x = b.x", "SELECT * FROM a, b", "SELECT x FROM a GROUP BY x",
          "SELECT * FROM a UNION SELECT * FROM b", "SELECT DISTINCT x FROM a",
          "SELECT ltrim(x) FROM a", "SELECT x AS y FROM a", "SELECT COUNT(*) FROM a",
          "UPDATE a SET x = 1", "SELECT * FROM a WHERE x = 'open", "SELECT 1"}) {
        EXPECT_EQ(TableOf(select), "(read-only)") << select;
    }
}

}  // namespace
}  // namespace qv::db
