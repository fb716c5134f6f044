#include "sql/sqlite/sqlite_engine.h"
#include "sql/sqlite/sqlite_errors.h"
#include "tests/sql/engine_test_support.h"
#include "tests/sql/sqlite_test_schema.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

// The embedded engine's own ways: database files, the server's comparisons, CHAR, DECIMAL and
// whole-number storage, its error texts, schema rebuilds, locks and the statement cache. Row
// sets, writes and transactions as every engine has them are in engine_conformance_test.cpp.

namespace qv::db {
namespace {

class SqliteEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        DbError error;
        ASSERT_TRUE(engine_.createDatabase(QStringLiteral("VOR"), error))
            << error.description.toStdString();
        ASSERT_TRUE(engine_.connect(params(), error)) << error.description.toStdString();
    }

    static ConnectParams params(const QString& database = QStringLiteral("VOR")) {
        ConnectParams p;
        p.database = database;
        return p;
    }

    QString folder() const { return dir_.path(); }

    std::int64_t exec(const QString& sql, SqliteEngine* engine = nullptr) {
        return enginetest::Exec(engine ? *engine : engine_, sql);
    }

    DbError failure(const QString& sql, SqliteEngine* engine = nullptr) {
        DbError error;
        const auto n = (engine ? engine : &engine_)->execute(sql, error);
        EXPECT_FALSE(n.has_value()) << sql.toStdString() << " succeeded";
        EXPECT_EQ(error.source, QStringLiteral("Quorvane SQLite"));
        return error;
    }

    std::unique_ptr<RowSet> open(const QString& sql) { return enginetest::Open(engine_, sql); }

    // Column `ordinal` of every row.
    QList<Value> column(const QString& sql, int ordinal = 0) {
        QList<Value> out;
        for (auto rs = open(sql); rs && !rs->eof(); rs->moveNext()) {
            out.append(rs->value(ordinal));
        }
        return out;
    }

    QStringList texts(const QString& sql, int ordinal = 0) {
        QStringList out;
        for (const Value& v : column(sql, ordinal)) {
            out.append(v.toText());
        }
        return out;
    }

    std::int64_t count(const QString& sql) {
        const auto values = column(sql);
        return values.isEmpty() ? -1 : values.front().toInteger();
    }

    // What the file holds, read past the engine.
    QStringList rawRows(const QString& sql) {
        return enginetest::ReadSqliteFile(engine_.databaseFile(QStringLiteral("VOR")), sql);
    }

    std::unique_ptr<SqliteEngine> secondConnection(int busyMs) {
        SqliteEngine::Options o;
        o.busyTimeoutMs = busyMs;
        auto e = std::make_unique<SqliteEngine>(folder(), o);
        DbError error;
        EXPECT_TRUE(e->connect(params(), error)) << error.description.toStdString();
        return e;
    }

    void makeItems() {
        exec(
            QStringLiteral("CREATE TABLE items (SL CHAR(8) NOT NULL, Name CHAR(10), Price "
                           "DECIMAL(18,4), Qty SMALLINT)"));
        exec(QStringLiteral("Create UNIQUE Index idx_1 On items(SL)"));
        exec(QStringLiteral("INSERT INTO items VALUES('A1','apple',1.5,10)"));
        exec(QStringLiteral("INSERT INTO items VALUES('B2','bread',2.25,20)"));
        exec(QStringLiteral("INSERT INTO items VALUES('C3','cheese',7,30)"));
    }

    QTemporaryDir dir_;
    SqliteEngine engine_{dir_.path()};
};

// --- values -------------------------------------------------------------------------------

TEST(DbValue, ConversionsForTheRecordCopies) {
    EXPECT_EQ(Value().toText(), QString());
    EXPECT_EQ(Value().toInteger(), 0);
    EXPECT_EQ(Value::decimal(Currency::fromScaled(125000)).toText(), QStringLiteral("12.5"));
    EXPECT_EQ(Value::decimal(Currency::fromScaled(-30000)).toText(), QStringLiteral("-3"));
    EXPECT_EQ(Value::integer(-42).toText(), QStringLiteral("-42"));
    EXPECT_EQ(Value::text(QStringLiteral(" 17 ")).toInteger(), 17);
    EXPECT_EQ(Value::text(QStringLiteral("17.5")).toInteger(), 0);
    EXPECT_EQ(Value::text(QStringLiteral("abc")).toCurrency(), Currency());
    // Whole numbers from amounts and reals round halves to even.
    EXPECT_EQ(Value::decimal(Currency::fromScaled(25000)).toInteger(), 2);
    EXPECT_EQ(Value::decimal(Currency::fromScaled(-35000)).toInteger(), -4);
    EXPECT_EQ(Value::real(2.5).toInteger(), 2);
    EXPECT_EQ(Value::real(0.1).toCurrency(), Currency::fromScaled(1000));
    EXPECT_EQ(Value::integer(7).toCurrency(), Currency::fromUnits(7));
    EXPECT_EQ(Value::text(QStringLiteral("1.23456")).toCurrency(), Currency::fromScaled(12346));
    EXPECT_DOUBLE_EQ(Value::decimal(Currency::fromScaled(5)).toDouble(), 0.0005);
}

TEST(DbValue, EqualityNeedsTheSameKind) {
    EXPECT_EQ(Value(), Value());
    EXPECT_EQ(Value::text(QStringLiteral("a")), Value::text(QStringLiteral("a")));
    EXPECT_FALSE(Value::integer(5) == Value::decimal(Currency::fromUnits(5)));
    EXPECT_FALSE(Value::text(QString()) == Value());
    EXPECT_FALSE(Value::real(1.0) == Value::real(1.5));
}

// --- databases and connections --------------------------------------------------------------

TEST_F(SqliteEngineTest, CreatedDatabaseIsAListedFileWithAHeader) {
    DbError error;
    ASSERT_TRUE(engine_.createDatabase(QStringLiteral("Training"), error));
    EXPECT_EQ(engine_.databases(params(), error), (QStringList{"Training", "VOR"}));
    const QByteArray head = [&] {
        QFile f(engine_.databaseFile(QStringLiteral("Training")));
        return f.open(QIODevice::ReadOnly) ? f.read(16) : QByteArray();
    }();
    EXPECT_EQ(head, QByteArray("SQLite format 3\0", 16));
}

TEST_F(SqliteEngineTest, CreatingAnExistingDatabaseFails) {
    DbError error;
    EXPECT_FALSE(engine_.createDatabase(QStringLiteral("vor"), error));
    EXPECT_EQ(error.number, err::kDatabaseExists);
    EXPECT_EQ(error.description,
              QStringLiteral("Database 'vor' already exists. Choose a different database name."));
}

TEST_F(SqliteEngineTest, ConnectToAMissingDatabaseFailsAndCreatesNothing) {
    DbError error;
    EXPECT_FALSE(engine_.connect(params(QStringLiteral("Nowhere")), error));
    EXPECT_FALSE(engine_.isOpen());
    EXPECT_EQ(error.number, err::kCannotOpenDatabase);
    EXPECT_TRUE(error.description.startsWith(QStringLiteral("Cannot open database \"Nowhere\"")));
    EXPECT_FALSE(QFile::exists(engine_.databaseFile(QStringLiteral("Nowhere"))));
}

TEST_F(SqliteEngineTest, DatabaseNamesMatchWithoutCase) {
    DbError error;
    EXPECT_TRUE(engine_.connect(params(QStringLiteral("vor")), error))
        << error.description.toStdString();
    EXPECT_TRUE(engine_.isOpen());
}

TEST_F(SqliteEngineTest, NamesThatAreNoFileNamesAreRefused) {
    DbError error;
    EXPECT_FALSE(engine_.connect(params(QStringLiteral("../VOR")), error));
    EXPECT_EQ(error.number, err::kBadDatabaseName);
    EXPECT_FALSE(engine_.createDatabase(QStringLiteral(""), error));
    EXPECT_EQ(error.number, err::kBadDatabaseName);
}

TEST_F(SqliteEngineTest, AFileThatIsNotADatabaseIsRefused) {
    QFile bad(QDir(folder()).filePath(QStringLiteral("Bad.sqlite")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(4096, 'x'));
    bad.close();
    DbError error;
    EXPECT_FALSE(engine_.connect(params(QStringLiteral("Bad")), error));
    EXPECT_FALSE(engine_.isOpen());
    EXPECT_EQ(error.number, SQLITE_NOTADB);
    EXPECT_TRUE(error.description.endsWith(QStringLiteral("Bad.sqlite\" is not a database.")))
        << error.description.toStdString();
}

TEST_F(SqliteEngineTest, ServerStatusAndCatalogueFollowTheFolder) {
    EXPECT_EQ(engine_.serverStatus(params()), 1);
    SqliteEngine missing(QDir(folder()).filePath(QStringLiteral("none")));
    EXPECT_EQ(missing.serverStatus(params()), 0);
    DbError error;
    EXPECT_FALSE(missing.databases(params(), error).has_value());
    EXPECT_EQ(error.number, err::kFolderMissing);

    EXPECT_EQ(exec(QStringLiteral("CREATE TABLE UPC1 (SL CHAR(8))")), 0);
    EXPECT_EQ(exec(QStringLiteral("CREATE TABLE invt1 (SL CHAR(8))")), 0);
    EXPECT_EQ(engine_.tables(error), (QStringList{"invt1", "UPC1"}));
}

TEST_F(SqliteEngineTest, AReadOnlyDatabaseReadsButRefusesWrites) {
    makeItems();
    SqliteEngine::Options o;
    o.readOnly = true;
    SqliteEngine reader(folder(), o);
    DbError error;
    ASSERT_TRUE(reader.connect(params(), error));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM items")), 3);
    const DbError e = failure(QStringLiteral("DELETE FROM items"), &reader);
    EXPECT_EQ(e.number & 0xff, SQLITE_READONLY);
    EXPECT_TRUE(
        e.description.startsWith(QStringLiteral("The database \"VOR.sqlite\" is read-only")))
        << e.description.toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM items")), 3);
}

// --- comparisons as the server makes them ---------------------------------------------------

TEST_F(SqliteEngineTest, EqualityIgnoresCaseAndTrailingBlanks) {
    exec(QStringLiteral("CREATE TABLE t (c CHAR(10))"));
    exec(QStringLiteral("INSERT INTO t VALUES('abc')"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE c = 'ABC  '")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE c = 'Abc'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE c = ' abc'")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE c > 'ABB'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE c < 'ABCD'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE c <> 'ABC'")), 0);
}

TEST_F(SqliteEngineTest, OrderByIgnoresCase) {
    exec(QStringLiteral("CREATE TABLE t (c CHAR(4), n INT)"));
    exec(QStringLiteral("INSERT INTO t VALUES('b', 1)"));
    exec(QStringLiteral("INSERT INTO t VALUES('C', 2)"));
    exec(QStringLiteral("INSERT INTO t VALUES('A', 3)"));
    exec(QStringLiteral("INSERT INTO t VALUES('_', 4)"));
    EXPECT_EQ(texts(QStringLiteral("SELECT * FROM t ORDER BY c")),
              (QStringList{"_   ", "A   ", "b   ", "C   "}));
    EXPECT_EQ(texts(QStringLiteral("SELECT * FROM t ORDER BY c DESC")),
              (QStringList{"C   ", "b   ", "A   ", "_   "}));
}

TEST_F(SqliteEngineTest, UniqueIndexTreatsCaseAndBlankVariantsAsDuplicates) {
    exec(QStringLiteral("CREATE TABLE t (c CHAR(10))"));
    exec(QStringLiteral("Create UNIQUE Index idx_1 On t(c)"));
    exec(QStringLiteral("INSERT INTO t VALUES('abc')"));
    const DbError e = failure(QStringLiteral("INSERT INTO t VALUES('ABC ')"));
    EXPECT_EQ(e.number, err::kDuplicateKey);
    EXPECT_EQ(e.description,
              QStringLiteral("Cannot insert duplicate key row in object 't' with unique index "
                             "'idx_1'."));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t")), 1);
}

TEST_F(SqliteEngineTest, LikeIgnoresTrailingBlanksOfTheValueButNotOfThePattern) {
    exec(QStringLiteral("CREATE TABLE t (c CHAR(10))"));
    exec(QStringLiteral("INSERT INTO t VALUES('Soap bar  ')"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE c like '%BAR'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE c like '%bar '")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE c like '%p b%'")), 1);
}

TEST_F(SqliteEngineTest, LikeReadsOneCharacterClassesAsTheCharacterItself) {
    exec(QStringLiteral("CREATE TABLE t (c CHAR(20), n INT)"));
    const QStringList values = {"Cola 50% off  ", "COLA 500 OFF", "gin_tonic",   "GINXTONIC",
                                "box [1] of 2",   "box 1 of 2",   "c:\\temp 5%", "c:xtemp 5%"};
    for (int i = 0; i < values.size(); ++i) {
        exec(QStringLiteral("INSERT INTO t VALUES('%1', %2)").arg(values[i]).arg(i));
    }
    const auto numbers = [&](const QString& pattern) {
        QStringList out;
        for (const Value& v : column(
                 QStringLiteral("SELECT * FROM t WHERE c like '%1' ORDER BY n").arg(pattern), 1)) {
            out.append(v.toText());
        }
        return out;
    };
    // Case does not count; trailing blanks of the value do not, those of the pattern do.
    EXPECT_EQ(numbers(QStringLiteral("%50[%] OFF%")), QStringList{"0"});
    EXPECT_EQ(numbers(QStringLiteral("%50[%] OFF")), QStringList{"0"});
    EXPECT_EQ(numbers(QStringLiteral("%50[%] OFF ")), QStringList{});
    EXPECT_EQ(numbers(QStringLiteral("%50% OFF%")), (QStringList{"0", "1"}));
    EXPECT_EQ(numbers(QStringLiteral("GIN[_]TONIC")), QStringList{"2"});
    EXPECT_EQ(numbers(QStringLiteral("GIN_TONIC")), (QStringList{"2", "3"}));
    EXPECT_EQ(numbers(QStringLiteral("%[[]1]%")), QStringList{"4"});
    EXPECT_EQ(numbers(QStringLiteral("c:\\temp [5]%")), QStringList{"6"});
    EXPECT_EQ(numbers(QStringLiteral("c:_temp%[%]")), (QStringList{"6", "7"}));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE c NOT like '%[%]%'")), 5);

    DbError error;
    EXPECT_EQ(engine_.openRowSet(QStringLiteral("SELECT * FROM t WHERE c like '%[0-9]%'"), error),
              nullptr);
    EXPECT_EQ(error.number, err::kNotSupported);
}

TEST_F(SqliteEngineTest, LtrimComparesItemCodesWithoutLeadingBlanks) {
    exec(QStringLiteral("CREATE TABLE t (ItemID CHAR(25))"));
    exec(QStringLiteral("Create UNIQUE Index idx_2 On t(ItemID)"));
    exec(QStringLiteral("INSERT INTO t VALUES('   abc')"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE ltrim(ItemID)='ABC'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE ItemID='ABC'")), 0);
    EXPECT_EQ(texts(QStringLiteral("SELECT TOP 1 * FROM t WHERE ltrim(ItemID)='ABC' ORDER BY "
                                   "ltrim(ItemID)")),
              QStringList{QStringLiteral("   abc").leftJustified(25)});
}

TEST_F(SqliteEngineTest, LeftFindsEveryCodeWithThePrefix) {
    exec(QStringLiteral("CREATE TABLE UPC1 (UPC CHAR(15))"));
    exec(QStringLiteral("Create UNIQUE Index idx_2 On UPC1(UPC)"));
    for (const QString& code :
         {QStringLiteral("12299"), QStringLiteral("123"), QStringLiteral("12345"),
          QStringLiteral("123\t9"), QStringLiteral("123zz"), QStringLiteral("124"),
          QStringLiteral("ab1"), QStringLiteral("AB2")}) {
        exec(QStringLiteral("INSERT INTO UPC1 VALUES('%1')").arg(code));
    }
    QStringList sorted =
        texts(QStringLiteral("SELECT * FROM UPC1 WHERE LEFT(upc,3)='123' order by UPC"));
    for (QString& s : sorted) {
        s = s.trimmed();
    }
    EXPECT_EQ(sorted, (QStringList{QStringLiteral("123\t9"), QStringLiteral("123"),
                                   QStringLiteral("12345"), QStringLiteral("123zz")}));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM UPC1 WHERE LEFT(upc,2)='Ab'")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM UPC1 WHERE LEFT(upc,4)='123'")), 1);
}

// --- storage --------------------------------------------------------------------------------

TEST_F(SqliteEngineTest, CharIsStoredTrimmedAndReadPadded) {
    exec(QStringLiteral("CREATE TABLE t (a CHAR (8), b CHAR(3), n INT)"));
    exec(QStringLiteral("INSERT INTO t VALUES('AB   ', ' ', 1)"));
    EXPECT_EQ(rawRows(QStringLiteral("SELECT a, length(a), b, length(b) FROM t")),
              QStringList{QStringLiteral("AB|2||0")});
    auto rs = open(QStringLiteral("SELECT * FROM t"));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->value(0), Value::text(QStringLiteral("AB      ")));
    EXPECT_EQ(rs->value(1), Value::text(QStringLiteral("   ")));
    EXPECT_EQ(rs->fieldName(0), QStringLiteral("a"));
    EXPECT_EQ(rs->fieldCount(), 3);
}

TEST_F(SqliteEngineTest, TextLongerThanItsColumnIsRefused) {
    exec(QStringLiteral("CREATE TABLE t (a CHAR(3))"));
    const DbError e = failure(QStringLiteral("INSERT INTO t VALUES('ABCD')"));
    EXPECT_EQ(e.number, err::kTruncation);
    EXPECT_EQ(e.description, QStringLiteral("String or binary data would be truncated (column 'a' "
                                            "holds 3 characters)."));
    EXPECT_EQ(exec(QStringLiteral("INSERT INTO t VALUES('ABC   ')")), 1);
}

TEST_F(SqliteEngineTest, DecimalRoundTripsExactlyAtItsScale) {
    exec(QStringLiteral("CREATE TABLE t (n INT, p DECIMAL(18,4), q DECIMAL(18,2), w DECIMAL)"));
    exec(QStringLiteral("INSERT INTO t VALUES(1, 99999999999.9999, 1.005, 2.5)"));
    exec(QStringLiteral("INSERT INTO t VALUES(2, -0.0001, -1.005, -2.5)"));
    exec(QStringLiteral("INSERT INTO t VALUES(3, 0.1, 0.105, 7)"));
    exec(QStringLiteral("INSERT INTO t VALUES(4, '1.23455', '3', ' 8 ')"));
    auto rs = open(QStringLiteral("SELECT * FROM t ORDER BY n"));
    ASSERT_TRUE(rs);
    const std::int64_t expected[4][3] = {{999999999999999, 10100, 30000},
                                         {-1, -10100, -30000},
                                         {1000, 1100, 70000},
                                         {12346, 30000, 80000}};
    for (const auto& row : expected) {
        ASSERT_FALSE(rs->eof());
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(rs->value(c + 1).kind(), Value::Kind::Decimal);
            EXPECT_EQ(rs->value(c + 1).toCurrency().scaled(), row[c]) << "column " << c + 1;
        }
        rs->moveNext();
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE p = 0.1")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE p > 1.2345")), 2);
}

TEST_F(SqliteEngineTest, DecimalsBeyondFifteenDigitsOrThePrecisionAreRefused) {
    exec(QStringLiteral("CREATE TABLE t (p DECIMAL(18,4), s DECIMAL(5,2))"));
    DbError e = failure(QStringLiteral("INSERT INTO t VALUES(100000000000, 1)"));
    EXPECT_EQ(e.number, err::kTooManyDigits);
    EXPECT_EQ(e.description,
              QStringLiteral("The value 100000000000.0000 for column 'p' has more than 15 "
                             "significant digits; the database keeps amounts exactly only up "
                             "to 15 digits."));
    e = failure(QStringLiteral("INSERT INTO t VALUES(1, 1000)"));
    EXPECT_EQ(e.number, err::kArithmeticOverflow);
    EXPECT_EQ(e.description, QStringLiteral("Arithmetic overflow error converting numeric to "
                                            "data type numeric."));
    e = failure(QStringLiteral("INSERT INTO t VALUES('', 1)"));
    EXPECT_EQ(e.description, QStringLiteral("Error converting data type varchar to numeric."));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t")), 0);
}

TEST_F(SqliteEngineTest, WholeNumberAndRealColumnsConvertAsTheServer) {
    exec(QStringLiteral("CREATE TABLE t (s SMALLINT, i INT, r REAL)"));
    exec(QStringLiteral("INSERT INTO t VALUES('', ' 12 ', 0.1)"));
    exec(QStringLiteral("INSERT INTO t VALUES(-32768, 2.9, '2')"));
    auto rs = open(QStringLiteral("SELECT * FROM t"));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->value(0), Value::integer(0));
    EXPECT_EQ(rs->value(1), Value::integer(12));
    EXPECT_EQ(rs->value(2), Value::real(static_cast<double>(0.1f)));
    rs->moveNext();
    EXPECT_EQ(rs->value(0), Value::integer(-32768));
    EXPECT_EQ(rs->value(1), Value::integer(2));
    EXPECT_EQ(rs->value(2), Value::real(2.0));

    EXPECT_EQ(failure(QStringLiteral("INSERT INTO t VALUES(40000, 1, 1)")).description,
              QStringLiteral("Arithmetic overflow error for data type smallint, value = 40000."));
    EXPECT_EQ(failure(QStringLiteral("INSERT INTO t VALUES(1, 'abc', 1)")).description,
              QStringLiteral("Conversion failed when converting the varchar value 'abc' to data "
                             "type int."));
    EXPECT_EQ(failure(QStringLiteral("INSERT INTO t VALUES(1, 3000000000, 1)")).number,
              err::kArithmeticOverflow);
}

TEST_F(SqliteEngineTest, NullStaysNull) {
    exec(QStringLiteral("CREATE TABLE t (a CHAR(3), p DECIMAL(18,4), n INT, r REAL)"));
    exec(QStringLiteral("INSERT INTO t VALUES(NULL, NULL, NULL, NULL)"));
    auto rs = open(QStringLiteral("SELECT * FROM t"));
    ASSERT_TRUE(rs);
    for (int c = 0; c < 4; ++c) {
        EXPECT_TRUE(rs->value(c).isNull()) << c;
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM t WHERE a IS NULL AND p IS NULL")), 1);
}

TEST_F(SqliteEngineTest, NotNullColumnsRefuseNull) {
    makeItems();
    const DbError e = failure(QStringLiteral("INSERT INTO items VALUES(NULL,'x',1,1)"));
    EXPECT_EQ(e.number, err::kNullNotAllowed);
    EXPECT_EQ(e.description,
              QStringLiteral("Cannot insert the value NULL into column 'SL', table 'items'; "
                             "column does not allow nulls. INSERT fails."));
}

// --- statements -----------------------------------------------------------------------------

TEST_F(SqliteEngineTest, MissingTablesGiveInvalidObjectName) {
    DbError error;
    EXPECT_EQ(engine_.openRowSet(QStringLiteral("SELECT TOP 1 * FROM invt9"), error), nullptr);
    EXPECT_EQ(error.number, err::kInvalidObject);
    EXPECT_EQ(error.description, QStringLiteral("Invalid object name 'invt9'."));
    EXPECT_TRUE(failure(QStringLiteral("INSERT INTO invt9 VALUES('x')"))
                    .description.startsWith(QStringLiteral("Invalid object name")));
    EXPECT_TRUE(failure(QStringLiteral("UPDATE invt9 SET a = 1"))
                    .description.startsWith(QStringLiteral("Invalid object name")));
}

TEST_F(SqliteEngineTest, WrongNumberOfValuesAndUnknownColumns) {
    makeItems();
    EXPECT_EQ(failure(QStringLiteral("INSERT INTO items VALUES('Z9','x',1)")).number,
              err::kColumnCountMismatch);
    EXPECT_EQ(failure(QStringLiteral("UPDATE items SET Nope = 1")).description,
              QStringLiteral("Invalid column name 'Nope'."));
    EXPECT_EQ(failure(QStringLiteral("SELECT * FROM items WHERE Nope = 1")).description,
              QStringLiteral("Invalid column name 'Nope'."));
}

TEST_F(SqliteEngineTest, RefusedStatementsDoNothing) {
    makeItems();
    const DbError e = failure(QStringLiteral("DELETE FROM items; DROP TABLE items"));
    EXPECT_EQ(e.number, err::kMultipleStatements);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM items")), 3);
    EXPECT_EQ(failure(QStringLiteral("DROP TABLE items")).number, err::kNotSupported);
    DbError error;
    EXPECT_EQ(engine_.openRowSet(QStringLiteral("DELETE FROM items"), error), nullptr);
    EXPECT_EQ(error.number, err::kNotSelect);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM items")), 3);
}

TEST_F(SqliteEngineTest, UpdateCopiesAColumnConvertedForItsTarget) {
    exec(QStringLiteral("CREATE TABLE t (a CHAR(6), b CHAR(2))"));
    exec(QStringLiteral("INSERT INTO t VALUES('xy', 'q')"));
    exec(QStringLiteral("INSERT INTO t VALUES('abcdef', 'r')"));
    EXPECT_EQ(exec(QStringLiteral("UPDATE t SET b = a where a = 'xy'")), 1);
    EXPECT_EQ(texts(QStringLiteral("SELECT * FROM t ORDER BY a DESC"), 1),
              (QStringList{"xy", "r "}));
    const DbError e = failure(QStringLiteral("UPDATE t SET b = a"));
    EXPECT_EQ(e.number, err::kTruncation);
    EXPECT_EQ(texts(QStringLiteral("SELECT * FROM t ORDER BY a DESC"), 1),
              (QStringList{"xy", "r "}));
}

TEST_F(SqliteEngineTest, UpdateWithAValueTheColumnCannotHoldFails) {
    makeItems();
    auto rs = open(QStringLiteral("SELECT * FROM items WHERE SL = 'A1'"));
    ASSERT_TRUE(rs);
    rs->setValue(2, Value::decimal(Currency::fromUnits(100000000000)));
    DbError error;
    EXPECT_FALSE(rs->update(error));
    EXPECT_EQ(error.number, err::kTooManyDigits);
    EXPECT_EQ(rawRows(QStringLiteral("SELECT Price FROM items WHERE SL = 'A1'")),
              QStringList{QStringLiteral("1.5")});
}

// --- locks ----------------------------------------------------------------------------------

TEST_F(SqliteEngineTest, AWriteWaitsForAnotherWriterThenFailsClearly) {
    makeItems();
    auto holder = secondConnection(5000);
    DbError error;
    ASSERT_TRUE(holder->beginTransaction(error));
    exec(QStringLiteral("UPDATE items SET Qty = 1"), holder.get());

    auto waiting = secondConnection(300);
    QElapsedTimer timer;
    timer.start();
    const DbError e = failure(QStringLiteral("UPDATE items SET Qty = 2"), waiting.get());
    EXPECT_GE(timer.elapsed(), 250);
    EXPECT_EQ(e.number & 0xff, SQLITE_BUSY);
    EXPECT_EQ(e.description, QStringLiteral("The database is locked by another connection and "
                                            "was not released within 0.3 seconds; the statement "
                                            "was not run."));
    ASSERT_TRUE(holder->commit(error));
    EXPECT_EQ(exec(QStringLiteral("UPDATE items SET Qty = 2"), waiting.get()), 3);
}

// --- schema changes -------------------------------------------------------------------------

TEST_F(SqliteEngineTest, AlterColumnRebuildKeepsRowsAndIndexes) {
    exec(
        QStringLiteral("CREATE TABLE t (SL CHAR (8) NOT NULL DEFAULT ' ', ItemID CHAR (15), "
                       "Qty DECIMAL (18,4))"));
    exec(QStringLiteral("Create UNIQUE  Index idx_1 On t(SL);"));
    exec(QStringLiteral("Create UNIQUE  Index idx_2 On t(ItemID);"));
    exec(QStringLiteral("INSERT INTO t VALUES('A1', '  short', 1.25)"));
    exec(QStringLiteral("INSERT INTO t VALUES('B2', 'fifteen chars..', NULL)"));
    const QStringList rowsBefore = rawRows(QStringLiteral("SELECT rowid, SL, ItemID, Qty FROM t"));

    EXPECT_EQ(exec(QStringLiteral("ALTER TABLE t ALTER COLUMN itemID CHAR(25)")), 0);

    EXPECT_EQ(rawRows(QStringLiteral("SELECT rowid, SL, ItemID, Qty FROM t")), rowsBefore);
    EXPECT_EQ(
        rawRows(QStringLiteral("SELECT name, type, \"notnull\", dflt_value FROM "
                               "pragma_table_info('t')")),
        (QStringList{"SL|CHAR(8)|1|''", "ItemID|CHAR(25)|0|<null>", "Qty|DECIMAL(18,4)|0|<null>"}));
    EXPECT_EQ(rawRows(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'index' ORDER "
                                     "BY name")),
              (QStringList{"t__idx_1", "t__idx_2", "t__idx_2__ltrim"}));
    EXPECT_EQ(texts(QStringLiteral("SELECT * FROM t WHERE SL = 'b2'"), 1),
              QStringList{QStringLiteral("fifteen chars..").leftJustified(25)});
    EXPECT_EQ(failure(QStringLiteral("INSERT INTO t VALUES('a1', 'x', 0)")).number,
              err::kDuplicateKey);
    EXPECT_EQ(exec(QStringLiteral("INSERT INTO t VALUES('C3', 'twenty-five characters..', 0)")), 1);
}

TEST_F(SqliteEngineTest, AlterColumnToTheSameDefinitionLeavesTheTableAlone) {
    exec(QStringLiteral("CREATE TABLE t (Qty DECIMAL (18,4))"));
    exec(QStringLiteral("INSERT INTO t VALUES(2)"));
    const QStringList before = rawRows(QStringLiteral("PRAGMA schema_version"));
    EXPECT_EQ(exec(QStringLiteral("ALTER TABLE t ALTER COLUMN Qty Decimal(18,4)")), 0);
    EXPECT_EQ(rawRows(QStringLiteral("PRAGMA schema_version")), before);
}

TEST_F(SqliteEngineTest, AlterColumnThatWouldCutValuesChangesNothing) {
    exec(QStringLiteral("CREATE TABLE t (a CHAR(10))"));
    exec(QStringLiteral("INSERT INTO t VALUES('abcdefgh')"));
    const DbError e = failure(QStringLiteral("ALTER TABLE t ALTER COLUMN a CHAR(4)"));
    EXPECT_EQ(e.number, err::kTruncation);
    EXPECT_EQ(rawRows(QStringLiteral("SELECT type FROM pragma_table_info('t')")),
              QStringList{"CHAR(10)"});
    EXPECT_EQ(rawRows(QStringLiteral("SELECT a FROM t")), QStringList{"abcdefgh"});
    EXPECT_EQ(rawRows(QStringLiteral("SELECT name FROM sqlite_schema")), QStringList{"t"});
    EXPECT_EQ(failure(QStringLiteral("ALTER TABLE t ALTER COLUMN b CHAR(4)")).description,
              QStringLiteral("ALTER TABLE ALTER COLUMN failed because column 'b' does not exist "
                             "in table 't'."));
}

TEST_F(SqliteEngineTest, AddColumnAndItsFailure) {
    makeItems();
    EXPECT_EQ(exec(QStringLiteral("ALTER TABLE items ADD PenLiqorUnit SMALLINT ")), 0);
    EXPECT_TRUE(column(QStringLiteral("SELECT * FROM items"), 4).front().isNull());
    const DbError e = failure(QStringLiteral("ALTER TABLE items ADD PenLiqorUnit SMALLINT "));
    EXPECT_EQ(e.number, err::kDuplicateColumn);
    EXPECT_EQ(e.description, QStringLiteral("Column names in each table must be unique. Column "
                                            "name 'PenLiqorUnit' in table 'items' is specified "
                                            "more than once."));
}

TEST_F(SqliteEngineTest, RenameColumnTrimsTheNewName) {
    exec(QStringLiteral("CREATE TABLE invt1 (SL CHAR(8), Flg2 CHAR(1))"));
    exec(QStringLiteral("INSERT INTO invt1 VALUES('A1', 'Y')"));
    EXPECT_EQ(exec(QStringLiteral("sp_RENAME 'invt1.Flg2', 'NeverOrder ', 'COLUMN'")), 0);
    EXPECT_EQ(exec(QStringLiteral("UPDATE invt1 SET NeverOrder = ' '")), 1);
    auto rs = open(QStringLiteral("SELECT * FROM invt1"));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->fieldName(1), QStringLiteral("NeverOrder"));
    EXPECT_EQ(rs->value(1), Value::text(QStringLiteral(" ")));
    const DbError e = failure(QStringLiteral("sp_RENAME 'invt1.Flg2', 'NeverOrder ', 'COLUMN'"));
    EXPECT_EQ(e.number, err::kRenameNoColumn);
}

TEST_F(SqliteEngineTest, DropIndexRemovesItAndItsCompanion) {
    exec(QStringLiteral("CREATE TABLE invt1 (ItemID CHAR(25))"));
    exec(QStringLiteral("Create UNIQUE  Index idx_2 On invt1(ItemID);"));
    exec(QStringLiteral("CREATE TABLE UPC1 (UPC CHAR(15))"));
    exec(QStringLiteral("Create UNIQUE Index idx_2 On UPC1(UPC);"));
    EXPECT_EQ(exec(QStringLiteral("Drop index invt1.idx_2")), 0);
    EXPECT_EQ(rawRows(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'index'")),
              QStringList{"UPC1__idx_2"});
    EXPECT_EQ(failure(QStringLiteral("Drop index invt1.idx_2")).description,
              QStringLiteral("Cannot drop the index 'invt1.idx_2', because it does not exist or "
                             "you do not have permission."));
    exec(QStringLiteral("Create Index idx_9 On UPC1(UPC)"));
    EXPECT_EQ(failure(QStringLiteral("Create Index idx_9 On UPC1(UPC)")).number, err::kIndexExists);
    EXPECT_EQ(failure(QStringLiteral("CREATE TABLE UPC1 (UPC CHAR(15))")).description,
              QStringLiteral("There is already an object named 'UPC1' in the database."));
}

TEST_F(SqliteEngineTest, NonUniqueIndexesEndWithTheClusteredKey) {
    exec(test::schema::upcCreate(QStringLiteral("UPC1")));
    for (const QString& s : test::schema::upcIndexes(QStringLiteral("UPC1"))) {
        exec(s);
    }
    exec(QStringLiteral("Create Index idx_5 On UPC1(LABEL, SL)"));
    const QString columns = QStringLiteral(
        "SELECT s.name, group_concat(x.name, ',') FROM sqlite_schema AS s, "
        "pragma_index_info(s.name) AS x WHERE s.type = 'index' GROUP BY s.name ORDER BY s.name");
    EXPECT_EQ(rawRows(columns),
              (QStringList{"UPC1__idx_0|SL,UPC", "UPC1__idx_1|UPC,SL", "UPC1__idx_2|UPC",
                           "UPC1__idx_3|POLL,UPC,SL", "UPC1__idx_4|InvUID,UPC,SL",
                           "UPC1__idx_5|LABEL,SL,UPC"}));
}

TEST_F(SqliteEngineTest, ARowSetSeesColumnsAddedAfterItsStatementWasPrepared) {
    makeItems();
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM items")).size(), 3);
    exec(QStringLiteral("ALTER TABLE items ADD QZV3 INTEGER DEFAULT 0"));
    auto rs = open(QStringLiteral("SELECT * FROM items"));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->fieldCount(), 5);
    EXPECT_EQ(rs->value(4), Value::integer(0));
    EXPECT_EQ(exec(QStringLiteral("INSERT INTO items VALUES('D4','dates',1,1,7)")), 1);
}

// --- caches ---------------------------------------------------------------------------------

TEST_F(SqliteEngineTest, StatementsOfOneShapeArePreparedOnce) {
    makeItems();
    count(QStringLiteral("SELECT COUNT(*) FROM items WHERE SL = 'A1'"));
    const auto prepared = engine_.prepareCount();
    const auto translated = engine_.translationCount();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM items WHERE SL = 'A1'")), 1);
    EXPECT_EQ(engine_.translationCount(), translated);
    EXPECT_EQ(engine_.prepareCount(), prepared);
    // Another value, same shape: translated again but not prepared again.
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM items WHERE SL = 'B2'")), 1);
    EXPECT_EQ(engine_.translationCount(), translated + 1);
    EXPECT_EQ(engine_.prepareCount(), prepared);
}

}  // namespace
}  // namespace qv::db
