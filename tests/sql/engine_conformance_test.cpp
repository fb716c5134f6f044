// What every engine must do alike for the record layer: row sets and streaming reads with
// names, values and NULLs, optimistic writes of the current row, rows affected, transactions and
// the errors of failing statements. Each case runs on the embedded engine, on the ODBC engine over
// the SQLite ODBC driver and, when QUORVANE_SQLSERVER holds a connection string, on the ODBC engine
// against SQL Server (on a scratch table of its own, dropped afterwards). Where the engines
// differ by design, the case says how.

#include "sql/odbc/odbc_engine.h"
#include "sql/sqlite/sqlite_engine.h"
#include "sql/sqlite/sqlite_errors.h"
#include "tests/sql/engine_test_support.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

namespace qv::db {
namespace {

using namespace enginetest;

enum class Kind { Sqlite, OdbcSqlite, SqlServer };

constexpr int kRowNotLocated = -2147217864;
constexpr int kNoCurrentRecord = 3021;
constexpr int kObjectClosed = 3704;
constexpr int kOdbcNotUpdatable = -2147467259;
const char* const kRowNotLocatedForDeleting =
    "Row cannot be located for deleting. Some values may have been changed since it was last "
    "read.";
const char* const kInsufficientBaseTable =
    "Insufficient base table information for updating or refreshing.";

struct EngineCase {
    const char* name;
    Kind kind;
    bool padsChar;       // CHAR values read back blank-padded to their width
    bool decimalAsText;  // DECIMAL values come as text (the SQLite ODBC driver reports VARCHAR)
    const char* source;  // of the engine's own errors
    int closedNumber;    // a call on a closed connection
    const char* closedText;
    const char* deleteRefused;  // a delete of a row changed meanwhile
    int notUpdatable;           // a write on a row set that is not one table's rows
    const char* notUpdatableText;
    int missingTableNumber;    // 0: the driver's own number, only not 0
    const char* missingTable;  // how the description begins ("%1": the scratch table)
    const char* driverSource;  // "": any
    int duplicateKey;          // 0: the driver's own number, only not 0
    const char* writtenText;   // apostrophes, and what else the column's code page holds
};

void PrintTo(const EngineCase& c, std::ostream* os) {
    *os << c.name;
}

const EngineCase kEngines[] = {
    {"Sqlite", Kind::Sqlite, true, false, "Quorvane SQLite", err::kNotConnected,
     "No database is open.", kRowNotLocatedForDeleting, err::kNotUpdatable,
     "Current Recordset does not support updating. This may be a limitation of the provider, "
     "or of the selected locktype.",
     err::kInvalidObject, "Invalid object name '%1_missing'.", "Quorvane SQLite",
     err::kDuplicateKey, "O'Brien's Grüße €"},
    {"OdbcSqlite", Kind::OdbcSqlite, false, true, "Quorvane ODBC", kObjectClosed,
     "Operation is not allowed when the object is closed.", kRowNotLocatedForDeleting,
     kOdbcNotUpdatable, kInsufficientBaseTable, 0, "no such table: %1_missing", "[SQLite]", 0,
     "O'Brien's Grüße €"},
    {"SqlServer", Kind::SqlServer, true, false, "Quorvane ODBC", kObjectClosed,
     "Operation is not allowed when the object is closed.", kRowNotLocatedForDeleting,
     kOdbcNotUpdatable, kInsufficientBaseTable, 208, "Invalid object name", "", 2601,
     "O'Brien's pack"},
};

class EngineConformance : public ::testing::TestWithParam<EngineCase> {
protected:
    void SetUp() override {
        if (p().kind == Kind::SqlServer) {
            connection_ = SqlServerConnectionString();
            if (connection_.isEmpty()) {
                GTEST_SKIP() << kSqlServerSkipped;
            }
            table_ = ScratchTableName();
        } else {
            ASSERT_TRUE(dir_.isValid());
            if (p().kind == Kind::Sqlite) {
                SqliteEngine maker(dir_.path());
                DbError error;
                ASSERT_TRUE(maker.createDatabase(QStringLiteral("VOR"), error))
                    << S(error.description);
                file_ = maker.databaseFile(QStringLiteral("VOR"));
            } else {
                file_ = QDir(dir_.path()).filePath(QStringLiteral("store.db"));
                connection_ = SqliteOdbcConnectionString(file_);
            }
        }
        engine_ = connectNew();
        ASSERT_TRUE(engine_);
        if (p().kind == Kind::SqlServer) {
            janitor_ = connectNew();  // reads what is stored and drops the table at the end
            ASSERT_TRUE(janitor_);
        }
        exec(
            "CREATE TABLE %1 (SL CHAR(8) NOT NULL, Descr CHAR(20), Price DECIMAL(18,4), "
            "Qty SMALLINT, Weight REAL)");
        exec("CREATE UNIQUE INDEX idx_1 ON %1 (SL)");
        exec("INSERT INTO %1 VALUES('A1', 'Apple', 1.25, 10, 0.5)");
        exec("INSERT INTO %1 VALUES('B2', NULL, 2.5, 4, NULL)");
        exec("INSERT INTO %1 VALUES('C3', 'Cheese', 7.75, 1, 2.25)");
    }

    void TearDown() override {
        if (janitor_) {
            DbError ignored;
            janitor_->execute(QStringLiteral("DROP TABLE ") + table_, ignored);
        }
    }

    const EngineCase& p() const { return GetParam(); }
    bool embedded() const { return p().kind == Kind::Sqlite; }

    std::unique_ptr<Engine> connectNew() {
        if (!embedded()) {
            return ConnectOdbc(connection_);
        }
        auto engine = std::make_unique<SqliteEngine>(dir_.path());
        ConnectParams params;
        params.database = QStringLiteral("VOR");
        DbError error;
        EXPECT_TRUE(engine->connect(params, error)) << S(error.description);
        return engine;
    }

    QString t(const char* sql) const { return QString::fromUtf8(sql).replace("%1", table_); }
    std::int64_t exec(const char* sql, Engine* on = nullptr) {
        return Exec(on ? *on : *engine_, t(sql));
    }
    std::unique_ptr<RowSet> open(const char* select) { return Open(*engine_, t(select)); }

    // Text written into a CHAR(width) column, as the engine reads it back.
    Value ch(const QString& text, int width) const {
        return Value::text(p().padsChar ? text.leftJustified(width) : text);
    }
    Value dec(const char* text) const {
        return p().decimalAsText ? Value::text(QString::fromUtf8(text))
                                 : Value::decimal(*Currency::fromText(QString::fromUtf8(text)));
    }

    // What the database holds, read past the engine under test: the SQLite file itself, or
    // the server through a second connection (CHAR padding cut). Cells joined by '|'.
    QStringList stored(const char* select) {
        if (!janitor_) {
            return ReadSqliteFile(file_, t(select));
        }
        QStringList out;
        std::unique_ptr<RowSet> rs = Open(*janitor_, t(select));
        for (; rs && !rs->eof(); rs->moveNext()) {
            QStringList cells;
            for (int c = 0; c < rs->fieldCount(); ++c) {
                QString text = rs->value(c).toText();
                while (text.endsWith(u' ')) {
                    text.chop(1);
                }
                cells << (rs->value(c).isNull() ? QStringLiteral("<null>") : text);
            }
            out << cells.join(u'|');
        }
        return out;
    }

    QTemporaryDir dir_;
    QString file_;
    QString connection_;
    QString table_ = QStringLiteral("items");
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<Engine> janitor_;
};

// --- reading ------------------------------------------------------------------------------

TEST_P(EngineConformance, RowSetHoldsEveryRowWithNamesValuesAndNulls) {
    exec("INSERT INTO %1 VALUES('D4  ', '  Dates', NULL, NULL, NULL)");
    std::unique_ptr<RowSet> rs = open("SELECT * FROM %1 ORDER BY SL DESC");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->recordCount(), 4);
    ASSERT_EQ(rs->fieldCount(), 5);
    EXPECT_EQ(S(rs->fieldName(0)), "SL");
    EXPECT_EQ(S(rs->fieldName(4)), "Weight");
    EXPECT_EQ(S(rs->fieldName(5)), "");

    // Blanks stay as written (CHAR padded where the engine pads); NULL stays NULL.
    EXPECT_EQ(rs->value(0), ch(QStringLiteral("D4  "), 8));
    EXPECT_EQ(rs->value(1), ch(QStringLiteral("  Dates"), 20));
    for (int c = 2; c < 5; ++c) {
        EXPECT_TRUE(rs->value(c).isNull()) << c;
    }
    rs->moveNext();
    EXPECT_EQ(rs->value(0), ch(QStringLiteral("C3"), 8));
    EXPECT_EQ(rs->value(1), ch(QStringLiteral("Cheese"), 20));
    EXPECT_EQ(rs->value(2), dec("7.75"));
    EXPECT_EQ(rs->value(3), Value::integer(1));
    EXPECT_EQ(rs->value(4), Value::real(2.25));
    EXPECT_TRUE(rs->value(9).isNull());
    rs->moveNext();
    EXPECT_TRUE(rs->value(1).isNull());
    EXPECT_TRUE(rs->value(4).isNull());
    rs->moveNext();
    EXPECT_EQ(rs->value(1), ch(QStringLiteral("Apple"), 20));
    EXPECT_EQ(rs->value(2), dec("1.25"));
    EXPECT_EQ(rs->value(4), Value::real(0.5));
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_TRUE(rs->value(0).isNull());

    std::unique_ptr<RowSet> none = open("SELECT * FROM %1 WHERE SL = 'none'");
    ASSERT_TRUE(none);
    EXPECT_EQ(none->recordCount(), 0);
    EXPECT_TRUE(none->eof());
    EXPECT_EQ(none->fieldCount(), 5);
}

// Each field of a row set's current row or a streamed row as "name=value", and one past the
// last field (a row set gives "" and Null there).
template <class Row>
std::vector<std::string> Cells(const Row& row) {
    std::vector<std::string> cells;
    for (int c = 0; c <= row.fieldCount(); ++c) {
        cells.push_back(S(row.fieldName(c)) + '=' + Show(row.value(c)));
    }
    return cells;
}

std::string Shown(const DbError& e) {
    return std::to_string(e.number) + " kind " + std::to_string(static_cast<int>(e.kind)) + " " +
           S(e.source) + ": " + S(e.description);
}

TEST_P(EngineConformance, StreamingReadHandsOverTheRowSetsRowsAndStopsWhenAsked) {
    exec("INSERT INTO %1 VALUES('D4  ', '  Dates', NULL, NULL, NULL)");
    const struct {
        const char* select;
        int stopAfter;  // 0: to the end
        int rows;       // handed over
    } cases[] = {
        {"SELECT * FROM %1 ORDER BY SL DESC", 0, 4},
        {"SELECT Descr, SL FROM %1 WHERE Qty > 1 ORDER BY SL", 0, 2},
        {"SELECT COUNT(*) FROM %1", 0, 1},
        {"SELECT * FROM %1 WHERE SL = 'none'", 0, 0},
        // Stopped, the statement leaves the connection free and starts afresh.
        {"SELECT * FROM %1 ORDER BY SL", 2, 2},
        {"SELECT * FROM %1 ORDER BY SL", 0, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.select);
        Table streamed;
        DbError error;
        EXPECT_TRUE(engine_->forEachRow(
            t(c.select),
            [&](const RowView& row) {
                streamed.push_back(Cells(row));
                return static_cast<int>(streamed.size()) != c.stopAfter;
            },
            error))
            << S(error.description);
        Table whole;
        for (std::unique_ptr<RowSet> rs = open(c.select); rs && !rs->eof(); rs->moveNext()) {
            whole.push_back(Cells(*rs));
        }
        if (c.stopAfter != 0) {
            whole.resize(static_cast<std::size_t>(c.stopAfter));
        }
        EXPECT_EQ(static_cast<int>(streamed.size()), c.rows);
        EXPECT_EQ(streamed, whole);
    }

    // A failing statement, and any read once the engine is closed, fail as openRowSet fails.
    for (const bool closed : {false, true}) {
        if (closed) {
            engine_->close();
        }
        const QString select = t("SELECT * FROM %1_missing");
        int calls = 0;
        DbError streamError;
        EXPECT_FALSE(engine_->forEachRow(
            select, [&calls](const RowView&) { return ++calls > 0; }, streamError));
        DbError rowSetError;
        EXPECT_EQ(engine_->openRowSet(select, rowSetError), nullptr);
        EXPECT_EQ(calls, 0);
        EXPECT_TRUE(streamError.isSet());
        EXPECT_EQ(Shown(streamError), Shown(rowSetError));
    }
}

// --- writing the current row ----------------------------------------------------------------

TEST_P(EngineConformance, UpdateWritesTheCurrentRowOnly) {
    std::unique_ptr<RowSet> rs = open("SELECT * FROM %1 ORDER BY SL");
    ASSERT_TRUE(rs);
    DbError error;
    EXPECT_TRUE(rs->update(error));  // nothing written, nothing to do
    EXPECT_FALSE(error.isSet());
    rs->setValue(3, Value::integer(99));
    rs->moveNext();  // drops the write not sent

    // B2 holds NULLs, which find the row as well as values do; NULL can be written.
    rs->setValue(1, Value::text(QStringLiteral("Baguette")));
    rs->setValue(2, Value::decimal(Currency::fromScaled(31234)));
    rs->setValue(3, Value());
    rs->setValue(4, Value::real(1.75));
    // A written value reads back at once: in the embedded engine as it will be stored.
    EXPECT_EQ(rs->value(1), embedded() ? ch(QStringLiteral("Baguette"), 20)
                                       : Value::text(QStringLiteral("Baguette")));
    ASSERT_TRUE(rs->update(error)) << S(error.description);
    EXPECT_EQ(stored("SELECT SL, Descr, Price, Qty, Weight FROM %1 ORDER BY SL"),
              (QStringList{"A1|Apple|1.25|10|0.5", "B2|Baguette|3.1234|<null>|1.75",
                           "C3|Cheese|7.75|1|2.25"}));

    // The written values are the row's originals now: a second write finds the row.
    rs->setValue(3, Value::integer(21));
    ASSERT_TRUE(rs->update(error)) << S(error.description);
    EXPECT_EQ(stored("SELECT Qty FROM %1 WHERE SL = 'B2'"), QStringList{"21"});
}

TEST_P(EngineConformance, WrittenValuesReadBackExactlyAndFindTheRowAgain) {
    const QString text = QString::fromUtf8(p().writtenText);
    std::unique_ptr<RowSet> rs = open("SELECT * FROM %1 WHERE SL = 'A1'");
    ASSERT_TRUE(rs);
    rs->setValue(1, Value::text(text));
    rs->setValue(2, Value::decimal(*Currency::fromText(u"99999999999.9999")));
    rs->setValue(4, Value::real(0.1));
    DbError error;
    ASSERT_TRUE(rs->update(error)) << S(error.description);

    // Read again, the row is found by those values as its originals, the REAL one included.
    std::unique_ptr<RowSet> again = open("SELECT * FROM %1 WHERE SL = 'A1'");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->value(1), ch(text, 20));
    EXPECT_EQ(again->value(2), dec("99999999999.9999"));
    again->setValue(3, Value::integer(3));
    ASSERT_TRUE(again->update(error)) << S(error.description);
    EXPECT_EQ(stored("SELECT Descr, Price, Qty FROM %1 WHERE SL = 'A1'"),
              QStringList{text + QStringLiteral("|99999999999.9999|3")});
}

TEST_P(EngineConformance, LostUpdateIsRefusedAndChangesNothing) {
    std::unique_ptr<RowSet> rs = open("SELECT * FROM %1 ORDER BY SL");
    ASSERT_TRUE(rs);
    // Another workstation changes rows after they were read.
    std::unique_ptr<Engine> other = connectNew();
    ASSERT_TRUE(other);
    EXPECT_EQ(exec("UPDATE %1 SET Descr = 'Apricot' WHERE SL = 'A1'", other.get()), 1);
    exec("UPDATE %1 SET Qty = 11 WHERE SL = 'C3'", other.get());

    rs->setValue(1, Value::text(QStringLiteral("Avocado")));
    rs->setValue(3, Value::integer(99));
    DbError error;
    EXPECT_FALSE(rs->update(error));
    EXPECT_EQ(error.number, kRowNotLocated);
    EXPECT_EQ(S(error.description), kRowNotLocatedForUpdating);
    EXPECT_EQ(S(error.source), p().source);
    // The embedded engine drops the refused write, so the row shows what was read; the ODBC
    // row set keeps it pending, as a client cursor keeps a failed edit.
    EXPECT_EQ(rs->value(1), embedded() ? ch(QStringLiteral("Apple"), 20)
                                       : Value::text(QStringLiteral("Avocado")));

    // C3 changed in another column. The embedded engine checks only the columns it writes, so
    // both changes stand; the ODBC engine finds the row by every value as read and refuses.
    rs->moveNext();
    rs->moveNext();
    rs->setValue(1, Value::text(QStringLiteral("Cream")));
    DbError otherColumn;
    EXPECT_EQ(rs->update(otherColumn), embedded()) << S(otherColumn.description);
    EXPECT_EQ(otherColumn.number, embedded() ? 0 : kRowNotLocated);
    EXPECT_EQ(stored("SELECT Descr, Qty FROM %1 ORDER BY SL"),
              (QStringList{"Apricot|10", "<null>|4", embedded() ? "Cream|11" : "Cheese|11"}));
}

TEST_P(EngineConformance, DeleteRemovesTheCurrentRowOnly) {
    std::unique_ptr<RowSet> rs = open("SELECT * FROM %1 ORDER BY SL");
    ASSERT_TRUE(rs);
    rs->moveNext();  // B2
    DbError error;
    ASSERT_TRUE(rs->deleteCurrent(error)) << S(error.description);
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->value(0), ch(QStringLiteral("C3"), 8));  // the next row is current
    EXPECT_EQ(stored("SELECT SL FROM %1 ORDER BY SL"), (QStringList{"A1", "C3"}));
}

TEST_P(EngineConformance, WritesToARowChangedOrRemovedMeanwhileAreRefused) {
    std::unique_ptr<RowSet> rs = open("SELECT * FROM %1 ORDER BY SL");
    ASSERT_TRUE(rs);
    std::unique_ptr<Engine> other = connectNew();
    ASSERT_TRUE(other);
    exec("UPDATE %1 SET Qty = 12 WHERE SL = 'A1'", other.get());
    exec("DELETE FROM %1 WHERE SL = 'B2'", other.get());

    DbError error;
    EXPECT_FALSE(rs->deleteCurrent(error));  // A1, changed
    EXPECT_EQ(error.number, kRowNotLocated);
    EXPECT_EQ(S(error.description), p().deleteRefused);
    EXPECT_EQ(rs->recordCount(), 3);
    rs->moveNext();  // B2, gone
    DbError gone;
    EXPECT_FALSE(rs->deleteCurrent(gone));
    EXPECT_EQ(gone.number, kRowNotLocated);
    rs->setValue(3, Value::integer(1));
    DbError update;
    EXPECT_FALSE(rs->update(update));
    EXPECT_EQ(S(update.description), kRowNotLocatedForUpdating);
    EXPECT_EQ(stored("SELECT SL, Qty FROM %1 ORDER BY SL"), (QStringList{"A1|12", "C3|1"}));
}

TEST_P(EngineConformance, WritesNeedOneTablesCurrentRowAndAnOpenConnection) {
    std::unique_ptr<RowSet> counted = open("SELECT COUNT(*) FROM %1");
    ASSERT_TRUE(counted);
    EXPECT_EQ(counted->value(0), Value::integer(3));
    counted->setValue(0, Value::integer(4));
    DbError shape;
    EXPECT_FALSE(counted->update(shape));
    EXPECT_EQ(shape.number, p().notUpdatable);
    EXPECT_EQ(S(shape.description), p().notUpdatableText);

    std::unique_ptr<RowSet> none = open("SELECT * FROM %1 WHERE SL = 'none'");
    ASSERT_TRUE(none);
    DbError error;
    EXPECT_FALSE(none->deleteCurrent(error));
    EXPECT_EQ(error.number, kNoCurrentRecord);
    // The ODBC engine looks for a current row first; the embedded engine has nothing to send.
    DbError atEnd;
    EXPECT_EQ(none->update(atEnd), embedded());
    EXPECT_EQ(atEnd.number, embedded() ? 0 : kNoCurrentRecord);

    std::unique_ptr<RowSet> live = open("SELECT * FROM %1 WHERE SL = 'A1'");
    ASSERT_TRUE(live);
    live->setValue(3, Value::integer(0));
    EXPECT_TRUE(engine_->isOpen());
    engine_->close();
    EXPECT_FALSE(engine_->isOpen());
    DbError closed;
    EXPECT_FALSE(live->update(closed));
    EXPECT_EQ(closed.number, p().closedNumber);

    DbError e;
    EXPECT_FALSE(engine_->execute(t("SELECT COUNT(*) FROM %1"), e).has_value());
    EXPECT_EQ(e.number, p().closedNumber);
    EXPECT_EQ(S(e.description), p().closedText);
    EXPECT_EQ(S(e.source), p().source);
    EXPECT_EQ(engine_->openRowSet(t("SELECT * FROM %1"), e), nullptr);
    EXPECT_FALSE(engine_->tables(e).has_value());
    EXPECT_FALSE(engine_->beginTransaction(e));
}

// --- statements and transactions --------------------------------------------------------------

TEST_P(EngineConformance, RowsAffectedByWrites) {
    EXPECT_EQ(exec("INSERT INTO %1 VALUES('D4', 'Dates', 1, 3, 1)"), 1);
    EXPECT_EQ(exec("UPDATE %1 SET Qty = 5 WHERE Price > 2"), 2);
    EXPECT_EQ(exec("UPDATE %1 SET Qty = 5 WHERE SL = 'ZZ'"), 0);
    EXPECT_EQ(exec("DELETE FROM %1 WHERE Qty = 5"), 2);
    EXPECT_EQ(exec("DELETE FROM %1 WHERE SL = 'ZZ'"), 0);
    EXPECT_EQ(stored("SELECT SL, Qty FROM %1 ORDER BY SL"), (QStringList{"A1|10", "D4|3"}));
}

TEST_P(EngineConformance, FailingStatementsCarryNumberDescriptionAndSource) {
    const auto missingTable = [&](const DbError& error) {
        if (p().missingTableNumber != 0) {
            EXPECT_EQ(error.number, p().missingTableNumber);
        } else {
            EXPECT_NE(error.number, 0);
        }
        EXPECT_TRUE(error.description.startsWith(t(p().missingTable))) << S(error.description);
        if (!embedded()) {
            EXPECT_NE(error.description.indexOf(QStringLiteral("(SQLSTATE ")), -1)
                << S(error.description);
        }
        if (*p().driverSource != '\0') {
            EXPECT_EQ(S(error.source), p().driverSource);
        } else {
            EXPECT_FALSE(error.source.isEmpty());
        }
    };
    DbError error;
    EXPECT_EQ(engine_->openRowSet(t("SELECT * FROM %1_missing"), error), nullptr);
    missingTable(error);
    DbError insert;
    EXPECT_FALSE(engine_->execute(t("INSERT INTO %1_missing VALUES(1)"), insert));
    missingTable(insert);

    DbError duplicate;
    EXPECT_FALSE(engine_->execute(t("INSERT INTO %1 (SL) VALUES('A1')"), duplicate));
    if (p().duplicateKey != 0) {
        EXPECT_EQ(duplicate.number, p().duplicateKey) << S(duplicate.description);
    } else {
        EXPECT_NE(duplicate.number, 0);
    }
    EXPECT_EQ(stored("SELECT COUNT(*) FROM %1"), QStringList{"3"});
}

TEST_P(EngineConformance, CommitKeepsAndRollbackUndoes) {
    DbError error;
    ASSERT_TRUE(engine_->beginTransaction(error)) << S(error.description);
    exec("INSERT INTO %1 (SL) VALUES('D4')");
    exec("DELETE FROM %1 WHERE SL = 'A1'");
    ASSERT_TRUE(engine_->commit(error)) << S(error.description);

    // A row set's write inside the caller's transaction is undone with it.
    ASSERT_TRUE(engine_->beginTransaction(error)) << S(error.description);
    std::unique_ptr<RowSet> rs = open("SELECT * FROM %1 WHERE SL = 'B2'");
    ASSERT_TRUE(rs);
    rs->setValue(3, Value::integer(50));
    ASSERT_TRUE(rs->update(error)) << S(error.description);
    exec("INSERT INTO %1 (SL) VALUES('E5')");
    EXPECT_EQ(exec("DELETE FROM %1"), 4);
    ASSERT_TRUE(engine_->rollback(error)) << S(error.description);
    EXPECT_FALSE(engine_->commit(error));

    // After the transaction each statement stands on its own again.
    exec("INSERT INTO %1 (SL) VALUES('F6')");
    EXPECT_EQ(stored("SELECT SL, Qty FROM %1 ORDER BY SL"),
              (QStringList{"B2|4", "C3|1", "D4|<null>", "F6|<null>"}));
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineConformance, ::testing::ValuesIn(kEngines),
                         [](const ::testing::TestParamInfo<EngineCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace qv::db
