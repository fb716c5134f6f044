// The ODBC engine against a real SQL Server, with the statements the record layer sends to the
// inventory table. Runs when QUORVANE_SQLSERVER holds a complete ODBC connection string, e.g.
//
//   QUORVANE_SQLSERVER='Driver={FreeTDS};Server=shop-srv;Port=1433;Database=VOR;UID=sa;PWD=x;
//                       TDS_Version=7.4;ClientCharset=UTF-8' build/tests/db_tests
//                       --gtest_filter='SqlServerSuite*'
//
// and skips, saying so, otherwise. Each test works on a scratch table of its own and drops it.
//
// The record-layer tests can be run against the same server by giving their fixture an engine
// factory that returns OdbcEngine::withConnectionString(the same string) instead of the
// embedded engine, with the server's database named as the configured database.

#include "db/odbc_engine.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDateTime>

#include <string>
#include <vector>

namespace qv::db {
namespace {

std::string S(const QString& s) {
    return s.toStdString();
}

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

class SqlServerSuite : public ::testing::Test {
protected:
    void SetUp() override {
        connectionString_ = qEnvironmentVariable("QUORVANE_SQLSERVER").trimmed();
        if (connectionString_.isEmpty()) {
            GTEST_SKIP() << "QUORVANE_SQLSERVER not set: SQL Server suite skipped";
        }
        engine_ = connectNew();
        ASSERT_TRUE(engine_);
        table_ = QStringLiteral("qv_scratch_%1_%2")
                     .arg(QCoreApplication::applicationPid())
                     .arg(QDateTime::currentMSecsSinceEpoch() % 100000000);
        // The inventory table's kinds of columns, in the record layer's dialect.
        run(QStringLiteral("CREATE TABLE %1 (SL CHAR(8) NOT NULL, ItemID CHAR(14) DEFAULT '', "
                           "Descr CHAR(30), Price DECIMAL(18,4), Cost DECIMAL(18,2), "
                           "Dept SMALLINT, RecordNum INT, QTYINPACK INTEGER, OnHand REAL, "
                           "FlgQZV CHAR(1) DEFAULT 'N')")
                .arg(table_));
        run(QStringLiteral("CREATE UNIQUE CLUSTERED INDEX idx_0 ON %1 (SL)").arg(table_));
        run(QStringLiteral("CREATE INDEX idx_1 ON %1 (Dept, SL)").arg(table_));
        run(QStringLiteral("INSERT INTO %1 VALUES('A0000001','  ABC','Apple',12.3456,1.25,1,11,"
                           "12,2.5,'R')")
                .arg(table_));
        run(QStringLiteral("INSERT INTO %1 VALUES('A0000002','XYZ','Apple pack',1.0288,0.1,1,12,"
                           "6,0,'P')")
                .arg(table_));
        run(QStringLiteral("INSERT INTO %1 VALUES('B0000001','/XYZ','Bread',2.5,2,2,13,1,NULL,"
                           "'I')")
                .arg(table_));
    }

    void TearDown() override {
        if (engine_ && !table_.isEmpty()) {
            DbError ignored;
            engine_->execute(QStringLiteral("DROP TABLE ") + table_, ignored);
        }
    }

    std::unique_ptr<OdbcEngine> connectNew() {
        auto engine = OdbcEngine::withConnectionString(connectionString_);
        DbError error;
        EXPECT_TRUE(engine->connect(ConnectParams{}, error)) << S(error.description);
        return engine->isOpen() ? std::move(engine) : nullptr;
    }

    std::int64_t run(const QString& sql, OdbcEngine* on = nullptr) {
        DbError error;
        const std::optional<std::int64_t> rows = (on ? on : engine_.get())->execute(sql, error);
        EXPECT_TRUE(rows.has_value()) << S(sql) << ": " << S(error.description);
        return rows.value_or(-1);
    }

    std::unique_ptr<RowSet> open(const QString& select) {
        DbError error;
        std::unique_ptr<RowSet> rs = engine_->openRowSet(select, error);
        EXPECT_TRUE(rs) << S(select) << ": " << S(error.description);
        return rs;
    }

    // The S/L code of the first row a statement gives, or "(none)".
    std::string firstSl(const QString& select) {
        std::unique_ptr<RowSet> rs = open(select);
        return rs && !rs->eof() ? S(rs->value(0).toText()) : "(none)";
    }

    QString t(const char* statement) const { return QString::fromUtf8(statement).arg(table_); }

    QString connectionString_;
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

TEST_F(SqlServerSuite, RowsAffectedAndErrors) {
    EXPECT_EQ(run(t("UPDATE %1 SET FlgQZV = 'P' WHERE Dept = 1")), 2);
    EXPECT_EQ(run(t("UPDATE %1 SET FlgQZV = 'P' WHERE SL = 'none'")), 0);
    EXPECT_EQ(run(t("DELETE FROM %1 WHERE SL = 'none'")), 0);

    DbError error;
    EXPECT_EQ(engine_->openRowSet(t("SELECT TOP 1 * FROM %1_missing"), error), nullptr);
    EXPECT_EQ(error.number, 208);
    EXPECT_TRUE(error.description.startsWith(QStringLiteral("Invalid object name")))
        << S(error.description);
    EXPECT_FALSE(error.source.isEmpty());

    DbError duplicate;
    EXPECT_FALSE(engine_->execute(t("INSERT INTO %1 (SL) VALUES('A0000001')"), duplicate));
    EXPECT_EQ(duplicate.number, 2601);  // unique index
}

TEST_F(SqlServerSuite, OptimisticUpdateWritesAndRefusesALostUpdate) {
    std::unique_ptr<RowSet> rs = open(t("SELECT TOP 1 * FROM %1 WHERE SL = 'A0000002'"));
    ASSERT_TRUE(rs);
    rs->setValue(2, Value::text(QStringLiteral("O'Brien's pack")));
    rs->setValue(3, Value::decimal(*Currency::fromText(u"99999999999.9999")));
    rs->setValue(8, Value::real(0.1));
    DbError error;
    ASSERT_TRUE(rs->update(error)) << S(error.description);

    std::unique_ptr<RowSet> again = open(t("SELECT TOP 1 * FROM %1 WHERE SL = 'A0000002'"));
    ASSERT_TRUE(again);
    EXPECT_EQ(S(again->value(2).toText().trimmed()), "O'Brien's pack");
    EXPECT_EQ(Show(again->value(3)), "Decimal:99999999999.9999");
    // Found again by every value as read, the REAL column's included.
    again->setValue(5, Value::integer(3));
    ASSERT_TRUE(again->update(error)) << S(error.description);

    // The row as read now, changed by another connection before this one writes.
    std::unique_ptr<OdbcEngine> other = connectNew();
    ASSERT_TRUE(other);
    EXPECT_EQ(run(t("UPDATE %1 SET Cost = 0.2 WHERE SL = 'A0000002'"), other.get()), 1);
    again->setValue(9, Value::text(QStringLiteral("I")));
    DbError lost;
    EXPECT_FALSE(again->update(lost));
    EXPECT_EQ(S(lost.description),
              "Row cannot be located for updating. Some values may have been changed since it "
              "was last read.");
    EXPECT_EQ(firstSl(t("SELECT TOP 1 * FROM %1 WHERE FlgQZV = 'I'")), "B0000001");
}

TEST_F(SqlServerSuite, DeleteCurrentRemovesOneRow) {
    std::unique_ptr<RowSet> rs = open(t("SELECT TOP 1 * FROM %1 WHERE SL = 'B0000001'"));
    ASSERT_TRUE(rs);
    DbError error;
    ASSERT_TRUE(rs->deleteCurrent(error)) << S(error.description);
    std::unique_ptr<RowSet> count = open(t("SELECT COUNT(*) FROM %1"));
    ASSERT_TRUE(count);
    EXPECT_EQ(Show(count->value(0)), "Integer:2");
}

TEST_F(SqlServerSuite, TransactionRollsBack) {
    DbError error;
    ASSERT_TRUE(engine_->beginTransaction(error)) << S(error.description);
    run(t("DELETE FROM %1"));
    ASSERT_TRUE(engine_->rollback(error)) << S(error.description);
    std::unique_ptr<RowSet> count = open(t("SELECT COUNT(*) FROM %1"));
    ASSERT_TRUE(count);
    EXPECT_EQ(Show(count->value(0)), "Integer:3");
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

}  // namespace
}  // namespace qv::db
