// The ODBC engine through the real driver manager (unixODBC) and the SQLite ODBC driver on a
// temporary database file: connection, statements, row sets, optimistic writes, transactions.
// The SQLite driver reports CHAR and DECIMAL columns as VARCHAR and every error as HY000, so
// these tests look at what any driver must give, not at SQL Server's own types and states
// (sql_server_suite_test.cpp does that against a real server).

#include "db/odbc_engine.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <string>
#include <vector>

namespace qv::db {
namespace {

std::string S(const QString& s) {
    return s.toStdString();
}

// Kind and content in one readable string, so that a failure shows both.
std::string Show(const Value& v) {
    switch (v.kind()) {
        case Value::Kind::Null:
            return "Null";
        case Value::Kind::Text:
            return "Text:" + S(v.toText());
        case Value::Kind::Integer:
            return "Integer:" + std::to_string(v.toInteger());
        case Value::Kind::Decimal:
            return "Decimal:" + S(v.toCurrency().toText(4));
        case Value::Kind::Real:
            return "Real:" + S(QString::number(v.toDouble(), 'g', 17));
    }
    return "?";
}

const char* const kRowNotLocatedForUpdating =
    "Row cannot be located for updating. Some values may have been changed since it was last "
    "read.";
const char* const kRowNotLocatedForDeleting =
    "Row cannot be located for deleting. Some values may have been changed since it was last "
    "read.";

class OdbcSqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        engine_ = OdbcEngine::withConnectionString(connectionString());
        DbError error;
        ASSERT_TRUE(engine_->connect(ConnectParams{}, error)) << S(error.description);
        run("CREATE TABLE items (code CHAR(8), descr VARCHAR(30), price DECIMAL(18,4), "
            "qty INTEGER, weight REAL)");
    }

    QString databasePath() const { return QDir(dir_.path()).filePath(QStringLiteral("store.db")); }
    QString connectionString() const {
        return QStringLiteral("Driver=SQLite3;Database=") + databasePath();
    }

    std::unique_ptr<OdbcEngine> secondConnection() {
        auto other = OdbcEngine::withConnectionString(connectionString());
        DbError error;
        EXPECT_TRUE(other->connect(ConnectParams{}, error)) << S(error.description);
        return other;
    }

    std::int64_t run(const char* sql, OdbcEngine* on = nullptr) {
        DbError error;
        const std::optional<std::int64_t> rows =
            (on ? on : engine_.get())->execute(QString::fromUtf8(sql), error);
        EXPECT_TRUE(rows.has_value()) << sql << ": " << S(error.description);
        return rows.value_or(-1);
    }

    std::unique_ptr<RowSet> open(const char* select, OdbcEngine* on = nullptr) {
        DbError error;
        std::unique_ptr<RowSet> rs =
            (on ? on : engine_.get())->openRowSet(QString::fromUtf8(select), error);
        EXPECT_TRUE(rs) << select << ": " << S(error.description);
        return rs;
    }

    // Every row of a query, each as its values shown.
    std::vector<std::vector<std::string>> table(const char* select) {
        std::vector<std::vector<std::string>> out;
        std::unique_ptr<RowSet> rs = open(select);
        if (!rs) {
            return out;
        }
        for (; !rs->eof(); rs->moveNext()) {
            std::vector<std::string> row;
            for (int i = 0; i < rs->fieldCount(); ++i) {
                row.push_back(Show(rs->value(i)));
            }
            out.push_back(row);
        }
        return out;
    }

    void seedTwoItems() {
        run("INSERT INTO items VALUES('A1', 'Apple', 1.25, 10, 0.5)");
        run("INSERT INTO items VALUES('B2', 'Bread', 2.5, 4, NULL)");
    }

    QTemporaryDir dir_;
    std::unique_ptr<OdbcEngine> engine_;
};

// --- connecting ---------------------------------------------------------------------------

TEST_F(OdbcSqliteTest, OpenConnectionAnswersAndCloseEndsIt) {
    EXPECT_TRUE(engine_->isOpen());
    engine_->close();
    EXPECT_FALSE(engine_->isOpen());

    DbError error;
    EXPECT_FALSE(engine_->execute(QStringLiteral("SELECT 1"), error).has_value());
    EXPECT_EQ(error.number, 3704);
    EXPECT_EQ(S(error.description), "Operation is not allowed when the object is closed.");
    EXPECT_EQ(S(error.source), "Quorvane ODBC");
}

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

TEST_F(OdbcSqliteTest, ServerStatusIsOneWhenTheDataSourceAnswers) {
    EXPECT_EQ(engine_->serverStatus(ConnectParams{}), 1);
}

// --- statements ---------------------------------------------------------------------------

TEST_F(OdbcSqliteTest, ExecuteReportsRowsAffected) {
    EXPECT_EQ(run("INSERT INTO items VALUES('A1', 'Apple', 1.25, 10, 0.5)"), 1);
    EXPECT_EQ(run("INSERT INTO items VALUES('B2', 'Bread', 2.5, 4, NULL)"), 1);
    EXPECT_EQ(run("INSERT INTO items VALUES('C3', 'Cheese', 7, 1, 2)"), 1);
    EXPECT_EQ(run("UPDATE items SET qty = qty + 1"), 3);
    EXPECT_EQ(run("UPDATE items SET qty = 0 WHERE code = 'ZZ'"), 0);
    EXPECT_EQ(run("DELETE FROM items WHERE qty > 2"), 2);
    EXPECT_EQ(run("DELETE FROM items WHERE code = 'ZZ'"), 0);
    EXPECT_EQ(table("SELECT code, qty FROM items"),
              (std::vector<std::vector<std::string>>{{"Text:C3", "Integer:2"}}));
}

TEST_F(OdbcSqliteTest, FailingStatementCarriesNumberDescriptionAndSource) {
    DbError error;
    EXPECT_FALSE(engine_->execute(QStringLiteral("INSERT INTO nothere VALUES(1)"), error));
    EXPECT_NE(error.number, 0);
    // The driver's "[SQLite]" prefix moves to the source; the message leads the description.
    EXPECT_TRUE(error.description.startsWith(QStringLiteral("no such table: nothere")))
        << S(error.description);
    EXPECT_NE(error.description.indexOf(QStringLiteral("(SQLSTATE ")), -1) << S(error.description);
    EXPECT_EQ(S(error.source), "[SQLite]");

    DbError openError;
    EXPECT_EQ(engine_->openRowSet(QStringLiteral("SELECT * FROM nothere"), openError), nullptr);
    EXPECT_TRUE(openError.description.startsWith(QStringLiteral("no such table: nothere")))
        << S(openError.description);
}

TEST_F(OdbcSqliteTest, StatementTextWithBracesAndNonAsciiIsSentAsWritten) {
    run("INSERT INTO items VALUES('{fn X}', 'Grüße ½ €', 1, 1, 1)");
    EXPECT_EQ(table("SELECT code, descr FROM items"),
              (std::vector<std::vector<std::string>>{{"Text:{fn X}", "Text:Grüße ½ €"}}));
}

// --- row sets -----------------------------------------------------------------------------

TEST_F(OdbcSqliteTest, RowSetHoldsEveryRowWithNamesAndNulls) {
    run("INSERT INTO items VALUES('A1  ', 'Apple', 1.25, 10, 0.5)");
    run("INSERT INTO items VALUES('B2', NULL, NULL, NULL, NULL)");
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items ORDER BY code");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->recordCount(), 2);
    ASSERT_EQ(rs->fieldCount(), 5);
    EXPECT_EQ(S(rs->fieldName(0)), "code");
    EXPECT_EQ(S(rs->fieldName(4)), "weight");
    EXPECT_EQ(S(rs->fieldName(5)), "");

    EXPECT_FALSE(rs->eof());
    EXPECT_EQ(Show(rs->value(0)), "Text:A1  ");  // padding as stored
    EXPECT_EQ(Show(rs->value(1)), "Text:Apple");
    EXPECT_EQ(Show(rs->value(2)), "Text:1.25");  // this driver reports DECIMAL as text
    EXPECT_EQ(Show(rs->value(3)), "Integer:10");
    EXPECT_EQ(Show(rs->value(4)), "Real:0.5");
    EXPECT_EQ(Show(rs->value(9)), "Null");

    rs->moveNext();
    EXPECT_EQ(Show(rs->value(0)), "Text:B2");
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(Show(rs->value(i)), "Null") << i;
    }
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(Show(rs->value(0)), "Null");
}

TEST_F(OdbcSqliteTest, EmptyResultHasColumnsAndNoRecords) {
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'none'");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->fieldCount(), 5);
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

// --- optimistic writes --------------------------------------------------------------------

TEST_F(OdbcSqliteTest, UpdateWritesTheCurrentRowOnly) {
    seedTwoItems();
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'B2'");
    ASSERT_TRUE(rs);
    rs->setValue(1, Value::text(QStringLiteral("Brown bread")));
    rs->setValue(3, Value::integer(7));
    EXPECT_EQ(Show(rs->value(1)), "Text:Brown bread");  // a written value reads back at once
    DbError error;
    ASSERT_TRUE(rs->update(error)) << S(error.description);
    EXPECT_EQ(
        table("SELECT code, descr, qty FROM items ORDER BY code"),
        (std::vector<std::vector<std::string>>{{"Text:A1", "Text:Apple", "Integer:10"},
                                               {"Text:B2", "Text:Brown bread", "Integer:7"}}));
}

TEST_F(OdbcSqliteTest, UpdateTwiceUsesTheWrittenValuesAsTheNewOriginals) {
    seedTwoItems();
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'A1'");
    ASSERT_TRUE(rs);
    DbError error;
    rs->setValue(3, Value::integer(11));
    ASSERT_TRUE(rs->update(error)) << S(error.description);
    rs->setValue(3, Value::integer(12));
    ASSERT_TRUE(rs->update(error)) << S(error.description);
    EXPECT_EQ(table("SELECT qty FROM items WHERE code = 'A1'"),
              (std::vector<std::vector<std::string>>{{"Integer:12"}}));
}

TEST_F(OdbcSqliteTest, UpdateFindsRowsWithNullColumnsAndCanWriteNull) {
    seedTwoItems();  // B2 has no weight
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'B2'");
    ASSERT_TRUE(rs);
    rs->setValue(4, Value::real(1.75));
    rs->setValue(1, Value());
    DbError error;
    ASSERT_TRUE(rs->update(error)) << S(error.description);
    EXPECT_EQ(table("SELECT descr, weight FROM items WHERE code = 'B2'"),
              (std::vector<std::vector<std::string>>{{"Null", "Real:1.75"}}));
}

TEST_F(OdbcSqliteTest, UpdateWithoutWritesSucceedsAndChangesNothing) {
    seedTwoItems();
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'A1'");
    ASSERT_TRUE(rs);
    DbError error;
    EXPECT_TRUE(rs->update(error));
    EXPECT_FALSE(error.isSet());
}

TEST_F(OdbcSqliteTest, MovingOnDropsWritesNotSent) {
    seedTwoItems();
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items ORDER BY code");
    ASSERT_TRUE(rs);
    rs->setValue(3, Value::integer(99));
    rs->moveNext();
    DbError error;
    ASSERT_TRUE(rs->update(error));
    EXPECT_EQ(table("SELECT qty FROM items ORDER BY code"),
              (std::vector<std::vector<std::string>>{{"Integer:10"}, {"Integer:4"}}));
}

TEST_F(OdbcSqliteTest, LostUpdateIsRefusedAndChangesNothing) {
    seedTwoItems();
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'A1'");
    ASSERT_TRUE(rs);

    // Another workstation changes the row after it was read.
    std::unique_ptr<OdbcEngine> other = secondConnection();
    EXPECT_EQ(run("UPDATE items SET price = 1.3 WHERE code = 'A1'", other.get()), 1);

    rs->setValue(1, Value::text(QStringLiteral("Green apple")));
    DbError error;
    EXPECT_FALSE(rs->update(error));
    EXPECT_EQ(S(error.description), kRowNotLocatedForUpdating);
    EXPECT_EQ(S(error.source), "Quorvane ODBC");
    EXPECT_NE(error.number, 0);
    EXPECT_EQ(table("SELECT descr, price FROM items WHERE code = 'A1'"),
              (std::vector<std::vector<std::string>>{{"Text:Apple", "Text:1.3"}}));
}

TEST_F(OdbcSqliteTest, UpdateOfARowDeletedMeanwhileIsRefused) {
    seedTwoItems();
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'B2'");
    ASSERT_TRUE(rs);
    std::unique_ptr<OdbcEngine> other = secondConnection();
    run("DELETE FROM items WHERE code = 'B2'", other.get());
    rs->setValue(3, Value::integer(1));
    DbError error;
    EXPECT_FALSE(rs->update(error));
    EXPECT_EQ(S(error.description), kRowNotLocatedForUpdating);
    EXPECT_EQ(table("SELECT code FROM items"),
              (std::vector<std::vector<std::string>>{{"Text:A1"}}));
}

TEST_F(OdbcSqliteTest, DeleteRemovesTheCurrentRowOnly) {
    seedTwoItems();
    run("INSERT INTO items VALUES('C3', 'Cheese', 7, 1, 2)");
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items ORDER BY code");
    ASSERT_TRUE(rs);
    rs->moveNext();  // B2
    DbError error;
    ASSERT_TRUE(rs->deleteCurrent(error)) << S(error.description);
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(Show(rs->value(0)), "Text:C3");  // the next row is current
    EXPECT_EQ(table("SELECT code FROM items ORDER BY code"),
              (std::vector<std::vector<std::string>>{{"Text:A1"}, {"Text:C3"}}));
}

TEST_F(OdbcSqliteTest, DeleteOfARowChangedMeanwhileIsRefused) {
    seedTwoItems();
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'A1'");
    ASSERT_TRUE(rs);
    std::unique_ptr<OdbcEngine> other = secondConnection();
    run("UPDATE items SET qty = 9 WHERE code = 'A1'", other.get());
    DbError error;
    EXPECT_FALSE(rs->deleteCurrent(error));
    EXPECT_EQ(S(error.description), kRowNotLocatedForDeleting);
    EXPECT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(table("SELECT code, qty FROM items WHERE code = 'A1'"),
              (std::vector<std::vector<std::string>>{{"Text:A1", "Integer:9"}}));
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
    EXPECT_EQ(table("SELECT descr FROM items"),
              (std::vector<std::vector<std::string>>{{"Text:Dup"}, {"Text:Dup"}}));
}

TEST_F(OdbcSqliteTest, ApostrophesAndNonAsciiTextRoundTripThroughParameters) {
    seedTwoItems();
    const QString text = QStringLiteral("O'Brien's Grüße €");
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'A1'");
    ASSERT_TRUE(rs);
    rs->setValue(1, Value::text(text));
    DbError error;
    ASSERT_TRUE(rs->update(error)) << S(error.description);

    // Read back, then locate the row by that text as its original value.
    std::unique_ptr<RowSet> again = open("SELECT * FROM items WHERE code = 'A1'");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->value(1).toText(), text);
    again->setValue(3, Value::integer(3));
    ASSERT_TRUE(again->update(error)) << S(error.description);
    EXPECT_EQ(table("SELECT descr, qty FROM items WHERE code = 'A1'"),
              (std::vector<std::vector<std::string>>{{"Text:" + S(text), "Integer:3"}}));
}

TEST_F(OdbcSqliteTest, DecimalWritesKeepFourPlaces) {
    seedTwoItems();
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'A1'");
    ASSERT_TRUE(rs);
    rs->setValue(2, Value::decimal(Currency::fromScaled(123456)));  // 12.3456
    DbError error;
    ASSERT_TRUE(rs->update(error)) << S(error.description);
    EXPECT_EQ(table("SELECT price FROM items WHERE code = 'A1'"),
              (std::vector<std::vector<std::string>>{{"Text:12.3456"}}));
}

TEST_F(OdbcSqliteTest, StatementsOverSeveralTablesOrComputedColumnsAreReadOnly) {
    seedTwoItems();
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
    EXPECT_EQ(table("SELECT code FROM items ORDER BY code"),
              (std::vector<std::vector<std::string>>{{"Text:A1"}, {"Text:B2"}}));
}

TEST_F(OdbcSqliteTest, WritesNeedACurrentRowAndAnOpenConnection) {
    seedTwoItems();
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'none'");
    ASSERT_TRUE(rs);
    DbError error;
    EXPECT_FALSE(rs->update(error));
    EXPECT_EQ(error.number, 3021);

    std::unique_ptr<RowSet> live = open("SELECT * FROM items WHERE code = 'A1'");
    ASSERT_TRUE(live);
    live->setValue(3, Value::integer(0));
    engine_->close();
    DbError closed;
    EXPECT_FALSE(live->update(closed));
    EXPECT_EQ(closed.number, 3704);
}

// --- transactions -------------------------------------------------------------------------

TEST_F(OdbcSqliteTest, CommitKeepsAndRollbackUndoesTheWork) {
    DbError error;
    ASSERT_TRUE(engine_->beginTransaction(error)) << S(error.description);
    run("INSERT INTO items VALUES('T1', 'Kept', 1, 1, 1)");
    ASSERT_TRUE(engine_->commit(error)) << S(error.description);

    ASSERT_TRUE(engine_->beginTransaction(error));
    run("INSERT INTO items VALUES('T2', 'Undone', 1, 1, 1)");
    run("DELETE FROM items WHERE code = 'T1'");
    ASSERT_TRUE(engine_->rollback(error)) << S(error.description);

    // After the transaction each statement stands on its own again.
    run("INSERT INTO items VALUES('T3', 'Auto', 1, 1, 1)");
    std::unique_ptr<OdbcEngine> other = secondConnection();
    DbError otherError;
    std::unique_ptr<RowSet> seen =
        other->openRowSet(QStringLiteral("SELECT code FROM items ORDER BY code"), otherError);
    ASSERT_TRUE(seen) << S(otherError.description);
    std::vector<std::string> codes;
    for (; !seen->eof(); seen->moveNext()) {
        codes.push_back(S(seen->value(0).toText()));
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"T1", "T3"}));
}

TEST_F(OdbcSqliteTest, RowSetUpdateInsideACallersTransactionIsRolledBackWithIt) {
    seedTwoItems();
    DbError error;
    ASSERT_TRUE(engine_->beginTransaction(error));
    std::unique_ptr<RowSet> rs = open("SELECT * FROM items WHERE code = 'A1'");
    ASSERT_TRUE(rs);
    rs->setValue(3, Value::integer(50));
    ASSERT_TRUE(rs->update(error)) << S(error.description);
    ASSERT_TRUE(engine_->rollback(error));
    EXPECT_EQ(table("SELECT qty FROM items WHERE code = 'A1'"),
              (std::vector<std::vector<std::string>>{{"Integer:10"}}));
}

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

// --- catalogue ----------------------------------------------------------------------------

TEST_F(OdbcSqliteTest, TablesListsTheTablesOfTheOpenDatabase) {
    run("CREATE TABLE other (code CHAR(8))");
    DbError error;
    std::optional<QStringList> names = engine_->tables(error);
    ASSERT_TRUE(names) << S(error.description);
    names->sort(Qt::CaseInsensitive);
    EXPECT_EQ(*names, (QStringList{QStringLiteral("items"), QStringLiteral("other")}));
}

TEST_F(OdbcSqliteTest, DatabasesOfASqliteSourceIsTheOpenFilesBaseName) {
    DbError error;
    const std::optional<QStringList> names = engine_->databases(ConnectParams{}, error);
    ASSERT_TRUE(names) << S(error.description);
    EXPECT_EQ(*names, QStringList{QStringLiteral("store")});
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

TEST(OdbcConnectionString, FreeTdsGetsServerPortDatabaseAndCredentials) {
    EXPECT_EQ(S(OdbcConnectionString(ShopParams("shop-srv"), QStringLiteral("FreeTDS"),
                                     QStringLiteral("TDS_Version=7.4"))),
              S(QStringLiteral("Driver={FreeTDS};Server=shop-srv;Port=1433;Database=VOR;UID=sa;"
                               "PWD=secret") +
                kCharset + QStringLiteral(";TDS_Version=7.4")));
}

TEST(OdbcConnectionString, NamedInstanceGoesWithoutPort) {
    EXPECT_EQ(S(OdbcConnectionString(ShopParams("shop-srv\\STORE"), QStringLiteral("FreeTDS"),
                                     QString())),
              S(QStringLiteral("Driver={FreeTDS};Server=shop-srv\\STORE;Database=VOR;UID=sa;"
                               "PWD=secret") +
                kCharset));
}

TEST(OdbcConnectionString, HostCommaPortBecomesThePortKeyword) {
    EXPECT_EQ(
        S(OdbcConnectionString(ShopParams("shop-srv,1500"), QStringLiteral("FreeTDS"), QString())),
        S(QStringLiteral("Driver={FreeTDS};Server=shop-srv;Port=1500;Database=VOR;UID=sa;"
                         "PWD=secret") +
          kCharset));
}

TEST(OdbcConnectionString, ValuesWithSeparatorsOrBracesAreBraced) {
    ConnectParams p = ShopParams("shop-srv\\STORE");
    p.password = QStringLiteral("a;b{c}d");
    p.user = QStringLiteral(" pad");
    p.database = QStringLiteral("VOR;X");
    EXPECT_EQ(S(OdbcConnectionString(p, QStringLiteral("FreeTDS"), QString())),
              S(QStringLiteral("Driver={FreeTDS};Server=shop-srv\\STORE;Database={VOR;X};"
                               "UID={ pad};PWD={a;b{c}}d}") +
                kCharset));
}

TEST(OdbcConnectionString, OptionsDecidePortAndCharsetWhenTheyNameThem) {
    EXPECT_EQ(S(OdbcConnectionString(ShopParams("shop-srv"), QStringLiteral("FreeTDS"),
                                     QStringLiteral(";port=2433;ClientCharset=ISO-8859-1;"))),
              "Driver={FreeTDS};Server=shop-srv;Database=VOR;UID=sa;PWD=secret;port=2433;"
              "ClientCharset=ISO-8859-1");
}

TEST(OdbcConnectionString, OtherDriversGetTheServerAsWritten) {
    EXPECT_EQ(S(OdbcConnectionString(ShopParams("shop-srv,1500"),
                                     QStringLiteral("ODBC Driver 18 for SQL Server"),
                                     QStringLiteral("Encrypt=no"))),
              "Driver={ODBC Driver 18 for SQL Server};Server=shop-srv,1500;Database=VOR;UID=sa;"
              "PWD=secret;Encrypt=no");
}

TEST(OdbcConnectionString, ServerLevelStringsLeaveTheDatabaseOut) {
    const QString s = OdbcConnectionString(ShopParams("shop-srv\\STORE"),
                                           QStringLiteral("SQL Server"), QString(), false);
    EXPECT_EQ(S(s), "Driver={SQL Server};Server=shop-srv\\STORE;UID=sa;PWD=secret");
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
