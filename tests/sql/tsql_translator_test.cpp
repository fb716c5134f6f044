#include "sql/sqlite/tsql_translator.h"
#include "sql/sqlite/sqlite_errors.h"
#include "tests/sql/sqlite_test_schema.h"
#include "tests/support/qt_print.h"

#include <gtest/gtest.h>

namespace qv::db::tsql {
namespace {

Translation accepted(const QString& statement) {
    DbError error;
    const auto t = translate(statement, error);
    EXPECT_TRUE(t.has_value()) << statement.toStdString() << " -> "
                               << error.description.toStdString();
    return t.value_or(Translation{});
}

QString sqlOf(const QString& statement) {
    const Translation t = accepted(statement);
    return t.statements.isEmpty() ? QString() : t.statements.front();
}

DbError refused(const QString& statement) {
    DbError error;
    const auto t = translate(statement, error);
    EXPECT_FALSE(t.has_value()) << statement.toStdString() << " was accepted as "
                                << (t ? t->statements.join(u" | ").toStdString() : "");
    EXPECT_EQ(error.source, QStringLiteral("Quorvane SQLite"));
    return error;
}

QStringList paramTexts(const Translation& t) {
    QStringList out;
    for (const Param& p : t.params) {
        out.append(p.value.text);
    }
    return out;
}

// A statement as written and the first statement it becomes for SQLite.
struct TextCase {
    const char* label;
    const char* statement;
    const char* sqlite;
};

void expectTexts(std::initializer_list<TextCase> cases) {
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(sqlOf(QString::fromUtf8(c.statement)), QString::fromUtf8(c.sqlite));
    }
}

// --- SELECT ---------------------------------------------------------------------------------

TEST(TranslateSelect, TopBecomesLimitAndStarFetchesTheRowid) {
    const Translation t =
        accepted(QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE SL>'A1' ORDER BY SL"));
    EXPECT_EQ(t.kind, StatementKind::Select);
    EXPECT_EQ(t.table, QStringLiteral("invt1"));
    EXPECT_TRUE(t.rowidLast);
    EXPECT_EQ(t.statements, QStringList{QStringLiteral(
                                "SELECT *, rowid FROM invt1 WHERE SL > ?1 ORDER BY SL LIMIT 1")});
    ASSERT_EQ(t.params.size(), 1u);
    EXPECT_EQ(t.params[0].role, Param::Role::Compare);
    EXPECT_EQ(t.params[0].value.kind, Literal::Kind::Text);
    EXPECT_EQ(t.params[0].value.text, QStringLiteral("A1"));
    EXPECT_FALSE(accepted(QStringLiteral("SELECT COUNT(*) FROM invt1")).rowidLast);
}

TEST(TranslateSelect, StatementTexts) {
    expectTexts({
        {"keywords in any case, two blanks after SELECT",
         "select  top 1 * from invt1 where Description<='ABC' order by Description desc",
         "SELECT *, rowid FROM invt1 WHERE Description <= ?1 ORDER BY Description DESC LIMIT 1"},
        {"no condition", "SELECT top 1 * from invt1 ORDER BY RecordNum DESC",
         "SELECT *, rowid FROM invt1 ORDER BY RecordNum DESC LIMIT 1"},
        {"count has no rowid", "SELECT COUNT(*) FROM invt1", "SELECT COUNT(*) FROM invt1"},
        {"ltrim carries the collation",
         "SELECT TOP 1 * FROM invt1 WHERE ltrim(ItemID)>='ABC' ORDER BY ltrim(ItemID)",
         "SELECT *, rowid FROM invt1 WHERE ltrim(ItemID) COLLATE MSCI >= ?1 ORDER BY "
         "ltrim(ItemID) COLLATE MSCI LIMIT 1"},
        // Every row the equality lets through ties on the order, so the order goes.
        {"equality drops its order",
         "SELECT TOP 1 * FROM invt1 WHERE ltrim(ItemID)='ABC' ORDER BY ltrim(itemid)",
         "SELECT *, rowid FROM invt1 WHERE ltrim(ItemID) COLLATE MSCI = ?1 LIMIT 1"},
        {"equality on two segments drops its order",
         "SELECT TOP 1 * FROM invt1 WHERE Description='ABC' AND SL='A1' ORDER BY Description",
         "SELECT *, rowid FROM invt1 WHERE Description = ?1 AND SL = ?2 LIMIT 1"},
        {"equality inside an OR keeps the order",
         "SELECT TOP 1 * FROM t WHERE a='1' OR a='2' ORDER BY a",
         "SELECT *, rowid FROM t WHERE a = ?1 OR a = ?2 ORDER BY a LIMIT 1"},
        {"equal compared values share one parameter",
         "SELECT * FROM t WHERE a = 'x' AND b = 'x' AND c = 'X' AND d = 1 AND e = '1'",
         "SELECT *, rowid FROM t WHERE a = ?1 AND b = ?1 AND c = ?2 AND d = ?3 AND e = ?4"},
        {"stored values never share", "UPDATE t SET a = 'x', b = 'x' WHERE c = 'x'",
         "UPDATE t SET a = ?1, b = ?2 WHERE c = ?3"},
        {"TOP inside a subquery",
         "SELECT * FROM t WHERE a = (SELECT TOP 1 a FROM u ORDER BY a DESC)",
         "SELECT *, rowid FROM t WHERE a = (SELECT a FROM u ORDER BY a DESC LIMIT 1)"},
        {"LEFT with '>' has no range", "SELECT * FROM t WHERE LEFT(code,2)>'AB'",
         "SELECT *, rowid FROM t WHERE substr(code,1,2) COLLATE MSCI > ?1"},
        {"LEFT equal to blanks has no range", "SELECT * FROM t WHERE LEFT(code,2)='  '",
         "SELECT *, rowid FROM t WHERE substr(code,1,2) COLLATE MSCI = ?1"},
        {"LEFT equal to a letter outside ASCII has no range",
         "SELECT * FROM t WHERE LEFT(code,2)='\u00e9t'",
         "SELECT *, rowid FROM t WHERE substr(code,1,2) COLLATE MSCI = ?1"},
        {"parentheses, NOT and NULL tests",
         "SELECT * FROM t WHERE (a='1' OR b='2') AND NOT c IS NULL AND d IS NOT NULL AND e NOT "
         "LIKE 'x%'",
         "SELECT *, rowid FROM t WHERE (a = ?1 OR b = ?2) AND NOT (c IS NULL) AND d IS NOT NULL "
         "AND e NOT LIKE ?3"},
        {"!= becomes <>", "SELECT * FROM t WHERE a != '1'", "SELECT *, rowid FROM t WHERE a <> ?1"},
        {"columns that are SQLite keywords are quoted",
         "SELECT Plan, Class FROM t WHERE Plan = 'x'",
         "SELECT \"Plan\", Class FROM t WHERE \"Plan\" = ?1"},
        {"NOT LIKE with a class gets the escape", "SELECT * FROM t WHERE a NOT like '%[%]'",
         "SELECT *, rowid FROM t WHERE a NOT LIKE ?1 ESCAPE '\\'"},
    });
}

TEST(TranslateSelect, SteppingFormWithCountSubquery) {
    const Translation t = accepted(QStringLiteral(
        "SELECT  TOP 1 * FROM invt1 WHERE (SELECT COUNT(*) FROM invt1 WHERE Description='Soap') > "
        "1 "
        "AND Description='Soap' AND SL>'A1' OR Description>'Soap' ORDER BY Description,SL"));
    EXPECT_EQ(
        t.statements.front(),
        QStringLiteral("SELECT *, rowid FROM invt1 WHERE (SELECT COUNT(*) FROM invt1 WHERE "
                       "Description = ?1) > ?2 AND Description = ?1 AND SL > ?3 OR Description "
                       "> ?1 ORDER BY Description, SL LIMIT 1"));
    EXPECT_EQ(paramTexts(t), (QStringList{"Soap", "1", "A1"}));
    EXPECT_EQ(t.params[1].value.kind, Literal::Kind::Integer);
    EXPECT_EQ(t.params[1].value.integer, 1);
}

TEST(TranslateSelect, LeftEqualityBecomesARangeWithTheExactTest) {
    const Translation t =
        accepted(QStringLiteral("SELECT TOP 1 * FROM UPC1 WHERE LEFT(upc,3)='123' order by UPC"));
    EXPECT_EQ(t.statements.front(),
              QStringLiteral("SELECT *, rowid FROM UPC1 WHERE (upc COLLATE MSCI > ?1 AND upc "
                             "COLLATE MSCI < ?2 AND substr(upc,1,3) COLLATE MSCI = ?3) ORDER BY "
                             "UPC LIMIT 1"));
    EXPECT_EQ(paramTexts(t), (QStringList{QStringLiteral("122") + QChar(0x7F),
                                          QStringLiteral("124"), QStringLiteral("123")}));
    // 'a' and 'A' weigh the same; the neighbours of 'a' are '`' and 'b'.
    EXPECT_EQ(paramTexts(accepted(
                  QStringLiteral("SELECT * FROM t WHERE LEFT(code,2)='Xa' ORDER BY code"))),
              (QStringList{QStringLiteral("X`") + QChar(0x7F), QStringLiteral("Xb"),
                           QStringLiteral("Xa")}));
}

TEST(TranslateSelect, LikeBracketClassesOfOneCharacterBecomeEscapes) {
    const Translation like = accepted(QStringLiteral(
        "SELECT * FROM invt1 WHERE Description like '%soap%' And status <> 'D' Order BY "
        "Description,subdescription"));
    EXPECT_EQ(like.statements.front(),
              QStringLiteral("SELECT *, rowid FROM invt1 WHERE Description LIKE ?1 AND status <> "
                             "?2 ORDER BY Description, subdescription"));
    EXPECT_EQ(paramTexts(like), (QStringList{"%soap%", "D"}));

    // The lookup's wildcard search for typed "50% OFF".
    const Translation t = accepted(
        QStringLiteral("SELECT * FROM invt1 WHERE Description like '%50[%] OFF%' And status <> 'D' "
                       "Order BY Description,subdescription"));
    EXPECT_EQ(t.statements.front(),
              QStringLiteral("SELECT *, rowid FROM invt1 WHERE Description LIKE ?1 ESCAPE '\\' "
                             "AND status <> ?2 ORDER BY Description, subdescription"));
    EXPECT_EQ(paramTexts(t), (QStringList{QStringLiteral("%50\\% OFF%"), "D"}));

    // "[_]" and "[[]"; a "]" outside a class is itself; every backslash is escaped.
    EXPECT_EQ(paramTexts(accepted(QStringLiteral("SELECT * FROM t WHERE a like '%N[_]T%'"))),
              QStringList{QStringLiteral("%N\\_T%")});
    EXPECT_EQ(paramTexts(accepted(QStringLiteral("SELECT * FROM t WHERE a like '%[[]1]%'"))),
              QStringList{QStringLiteral("%[1]%")});
    EXPECT_EQ(paramTexts(accepted(QStringLiteral("SELECT * FROM t WHERE a like 'C:\\[_]x[a]_'"))),
              QStringList{QStringLiteral("C:\\\\\\_xa_")});
    // Patterns without a class are sent as they were, backslashes and all.
    const Translation plain =
        accepted(QStringLiteral("SELECT * FROM t WHERE a like '%a\\b%' AND b = '[%]'"));
    EXPECT_EQ(plain.statements.front(),
              QStringLiteral("SELECT *, rowid FROM t WHERE a LIKE ?1 AND b = ?2"));
    EXPECT_EQ(paramTexts(plain), (QStringList{QStringLiteral("%a\\b%"), "[%]"}));
}

TEST(TranslateSelect, NumbersBecomeTypedParameters) {
    const Translation t =
        accepted(QStringLiteral("SELECT * from invt1 WHERE recordnum = 5 AND Price > -1.25"));
    EXPECT_EQ(t.statements.front(),
              QStringLiteral("SELECT *, rowid FROM invt1 WHERE recordnum = ?1 AND Price > ?2"));
    ASSERT_EQ(t.params.size(), 2u);
    EXPECT_EQ(t.params[0].value.kind, Literal::Kind::Integer);
    EXPECT_EQ(t.params[0].value.integer, 5);
    EXPECT_EQ(t.params[1].value.kind, Literal::Kind::Number);
    EXPECT_EQ(t.params[1].value.text, QStringLiteral("-1.25"));
}

TEST(TranslateSelect, OwnerPrefixIsDroppedAndStatusFragmentKeepsItsBlanks) {
    const Translation t = accepted(
        QStringLiteral("SELECT TOP 1 * FROM vor.invt1 WHERE  status <=  ' '  ORDER BY QtyOnHand"));
    EXPECT_EQ(t.table, QStringLiteral("invt1"));
    EXPECT_EQ(t.statements.front(),
              QStringLiteral("SELECT *, rowid FROM invt1 WHERE status <= ?1 ORDER BY QtyOnHand "
                             "LIMIT 1"));
    EXPECT_EQ(paramTexts(t), QStringList{QStringLiteral(" ")});
}

// --- literals -------------------------------------------------------------------------------

TEST(TranslateLiterals, TextInsideLiteralsIsNeverRewritten) {
    const Translation t = accepted(QStringLiteral(
        "SELECT * FROM invt1 WHERE Description = 'it''s; DROP TABLE x -- select TOP 1 "
        "ltrim(LEFT(a,1)) from' OR SL = ';'"));
    EXPECT_EQ(t.statements.front(),
              QStringLiteral("SELECT *, rowid FROM invt1 WHERE Description = ?1 OR SL = ?2"));
    EXPECT_EQ(paramTexts(t),
              (QStringList{QStringLiteral("it's; DROP TABLE x -- select TOP 1 ltrim(LEFT(a,1)) "
                                          "from"),
                           QStringLiteral(";")}));
    expectTexts({
        {"trailing semicolon and blanks", "DELETE FROM invt1 WHERE SL='x' ;   ",
         "DELETE FROM invt1 WHERE SL = ?1"},
        {"defaults stay inline with their quotes doubled",
         "CREATE TABLE t (a CHAR(5) DEFAULT 'it''s  ', b INT DEFAULT -1, c DECIMAL DEFAULT (0), "
         "d CHAR (2) DEFAULT NULL)",
         "CREATE TABLE t (a CHAR(5) COLLATE MSCI DEFAULT 'it''s', b INT DEFAULT -1, c "
         "DECIMAL(18,0) DEFAULT 0, d CHAR(2) COLLATE MSCI DEFAULT NULL)"},
        {"a ';' inside a literal is text", "UPDATE t SET a = 'x; DELETE FROM t'",
         "UPDATE t SET a = ?1"},
    });
}

// --- writes ---------------------------------------------------------------------------------

TEST(TranslateWrites, InsertValuesBecomeStoredParametersByPosition) {
    const Translation t =
        accepted(QStringLiteral("INSERT INTO UPC1 VALUES('A1','0123',NULL,'N',-11, 2.50)"));
    EXPECT_EQ(t.kind, StatementKind::Insert);
    EXPECT_EQ(t.statements.front(), QStringLiteral("INSERT INTO UPC1 VALUES(?1,?2,?3,?4,?5,?6)"));
    ASSERT_EQ(t.params.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(t.params[i].role, Param::Role::Store);
        EXPECT_EQ(t.params[i].ordinal, i);
    }
    EXPECT_EQ(t.params[1].value.text, QStringLiteral("0123"));
    EXPECT_EQ(t.params[2].value.kind, Literal::Kind::Null);
    EXPECT_EQ(t.params[4].value.integer, -11);
    EXPECT_EQ(t.params[5].value.kind, Literal::Kind::Number);
    EXPECT_EQ(t.params[5].value.text, QStringLiteral("2.50"));
}

TEST(TranslateWrites, InsertWithColumnListNamesTheColumns) {
    const Translation t = accepted(QStringLiteral("INSERT INTO t (a, b) VALUES ('x', 1)"));
    EXPECT_EQ(t.statements.front(), QStringLiteral("INSERT INTO t(a, b) VALUES(?1,?2)"));
    EXPECT_EQ(t.params[1].column, QStringLiteral("b"));
    EXPECT_EQ(refused(QStringLiteral("INSERT INTO t (a, b) VALUES ('x')")).number,
              err::kColumnCountMismatch);
}

TEST(TranslateWrites, UpdateStoresLiteralsAndConvertsComputedValues) {
    const Translation plain = accepted(QStringLiteral("UPDATE invt1 SET NeverOrder = ' '"));
    EXPECT_EQ(plain.statements.front(), QStringLiteral("UPDATE invt1 SET NeverOrder = ?1"));
    EXPECT_EQ(plain.params[0].role, Param::Role::Store);
    EXPECT_EQ(plain.params[0].column, QStringLiteral("NeverOrder"));

    const Translation copy = accepted(
        QStringLiteral("UPDATE invt1 SET Spare1 = PriceFactor, QZV1 = 4 where PriceFactor > ' '"));
    EXPECT_EQ(copy.statements.front(),
              QStringLiteral("UPDATE invt1 SET Spare1 = qv_store(PriceFactor, ?1), QZV1 = ?2 "
                             "WHERE PriceFactor > ?3"));
    ASSERT_EQ(copy.params.size(), 3u);
    EXPECT_EQ(copy.params[0].role, Param::Role::ColumnType);
    EXPECT_EQ(copy.params[0].column, QStringLiteral("Spare1"));
    EXPECT_EQ(copy.params[1].role, Param::Role::Store);
    EXPECT_EQ(copy.params[2].role, Param::Role::Compare);
    expectTexts({
        {"DELETE with FROM", "DELETE FROM invt1 WHERE SL='A1'", "DELETE FROM invt1 WHERE SL = ?1"},
        {"DELETE without FROM", "delete invt1 where SL='A1'", "DELETE FROM invt1 WHERE SL = ?1"},
    });
}

// --- schema ---------------------------------------------------------------------------------

TEST(TranslateSchema, InventoryCreateStatementDeclaresCollationAndCanonicalTypes) {
    const QString sql = sqlOf(test::schema::inventoryCreate(QStringLiteral("invt1")));
    EXPECT_TRUE(sql.startsWith(QStringLiteral(
        "CREATE TABLE invt1 (SL CHAR(8) COLLATE MSCI NOT NULL DEFAULT '', ItemID CHAR(25) "
        "COLLATE MSCI NOT NULL DEFAULT '', Description CHAR(30) COLLATE MSCI DEFAULT '', ")))
        << sql.toStdString();
    EXPECT_TRUE(
        sql.contains(QStringLiteral(", Price DECIMAL(18,4), Cost DECIMAL(18,4), "
                                    "QtyOnHand DECIMAL(18,4), MinQ SMALLINT, MaxQ INT, ")));
    EXPECT_TRUE(sql.contains(QStringLiteral(", Scalable CHAR(1) COLLATE MSCI DEFAULT '', ")));
    EXPECT_TRUE(sql.contains(QStringLiteral(", PriceIncTax DECIMAL(18,2), ")));
    EXPECT_TRUE(sql.contains(QStringLiteral(", RecordNum INTEGER, ")));
    EXPECT_TRUE(
        sql.endsWith(QStringLiteral(", PenLiqorUnit SMALLINT DEFAULT 0, QZV3 INTEGER "
                                    "DEFAULT 0)")));
    EXPECT_EQ(sql.count(QStringLiteral("COLLATE MSCI")), 40);
}

TEST(TranslateSchema, StatementTexts) {
    expectTexts({
        {"types without sizes",
         "Create Table COMMON (DupID CHAR (1), ExchangeRate REAL, BreakPoint DECIMAL, "
         "NoTaxOnFirst decimal, StoreNumber SMALLINT, Flag CHAR);",
         "CREATE TABLE COMMON (DupID CHAR(1) COLLATE MSCI, ExchangeRate REAL, BreakPoint "
         "DECIMAL(18,0), NoTaxOnFirst DECIMAL(18,0), StoreNumber SMALLINT, Flag CHAR(1) COLLATE "
         "MSCI)"},
        {"index names are per table", "Create Index idx_0 On UPC1(SL);",
         "CREATE INDEX UPC1__idx_0 ON UPC1(SL)"},
        {"index on two columns", "Create UNIQUE Index idx_10 on invt1(LocFront, RecordNum);",
         "CREATE UNIQUE INDEX invt1__idx_10 ON invt1(LocFront, RecordNum)"},
        {"index directions", "CREATE NONCLUSTERED INDEX i ON t (a DESC, b ASC)",
         "CREATE INDEX t__i ON t(a DESC, b)"},
        {"drop index ON a table", "DROP INDEX idx_3 ON invt1", "DROP INDEX invt1__idx_3"},
        {"add column", "ALTER TABLE invt1 ADD PenLiqorUnit SMALLINT ",
         "ALTER TABLE invt1 ADD COLUMN PenLiqorUnit SMALLINT"},
        {"add text column", "ALTER TABLE invt1 ADD Flag CHAR(2) NOT NULL DEFAULT 'N'",
         "ALTER TABLE invt1 ADD COLUMN Flag CHAR(2) COLLATE MSCI NOT NULL DEFAULT 'N'"},
        {"rename with owner", "EXEC sp_rename 'dbo.invt1.Spare1', 'PriceFactor', 'column'",
         "ALTER TABLE invt1 RENAME COLUMN Spare1 TO PriceFactor"},
    });
}

TEST(TranslateSchema, IndexNamesArePerTable) {
    const Translation a =
        accepted(QStringLiteral("Create UNIQUE CLUSTERED Index idx_0 On invt1(RecordNum);"));
    EXPECT_EQ(a.kind, StatementKind::CreateIndex);
    EXPECT_EQ(a.statements, QStringList{QStringLiteral("CREATE UNIQUE INDEX invt1__idx_0 ON "
                                                       "invt1(RecordNum) /* CLUSTERED */")});
    EXPECT_TRUE(a.index.clustered);
    EXPECT_TRUE(a.index.unique);
    EXPECT_EQ(a.index.columns, QStringList{"RecordNum"});
}

TEST(TranslateSchema, AnIndexOnItemIdGetsItsLtrimCompanion) {
    EXPECT_EQ(accepted(QStringLiteral("Create UNIQUE  Index idx_2 On invt1(ItemID);")).statements,
              (QStringList{QStringLiteral("CREATE UNIQUE INDEX invt1__idx_2 ON invt1(ItemID)"),
                           QStringLiteral("CREATE INDEX invt1__idx_2__ltrim ON "
                                          "invt1(ltrim(ItemID) COLLATE MSCI)")}));
    EXPECT_EQ(accepted(QStringLiteral("Create UNIQUE Index idx_6 On invt1(VendorCode, ItemID);"))
                  .statements.value(1),
              QStringLiteral("CREATE INDEX invt1__idx_6__ltrim ON invt1(VendorCode, ltrim(ItemID) "
                             "COLLATE MSCI)"));
}

TEST(TranslateSchema, DropIndexUsesThePerTableName) {
    const Translation t = accepted(QStringLiteral("Drop index invt1.idx_0"));
    EXPECT_EQ(t.kind, StatementKind::DropIndex);
    EXPECT_EQ(t.table, QStringLiteral("invt1"));
    EXPECT_EQ(t.statements,
              (QStringList{QStringLiteral("DROP INDEX invt1__idx_0"),
                           QStringLiteral("DROP INDEX IF EXISTS invt1__idx_0__ltrim")}));
}

TEST(TranslateSchema, AlterColumnIsLeftToTheEngine) {
    const Translation t =
        accepted(QStringLiteral("ALTER TABLE invt1 ALTER COLUMN QtyOnHand Decimal(18,4)"));
    EXPECT_EQ(t.kind, StatementKind::AlterColumn);
    EXPECT_TRUE(t.statements.isEmpty());
    EXPECT_EQ(t.column.name, QStringLiteral("QtyOnHand"));
    EXPECT_EQ(t.column.type, QStringLiteral("DECIMAL(18,4)"));
    EXPECT_FALSE(t.column.notNull);
    EXPECT_TRUE(accepted(QStringLiteral("ALTER TABLE t ALTER COLUMN itemID CHAR(25) NOT NULL"))
                    .column.notNull);
}

TEST(TranslateSchema, RenameColumnTrimsTheNewName) {
    const Translation t =
        accepted(QStringLiteral("sp_RENAME 'invt1.Flg2', 'NeverOrder ', 'COLUMN'"));
    EXPECT_EQ(t.kind, StatementKind::RenameColumn);
    EXPECT_EQ(t.statements.front(),
              QStringLiteral("ALTER TABLE invt1 RENAME COLUMN Flg2 TO NeverOrder"));
}

// --- refusals -------------------------------------------------------------------------------

TEST(TranslateRefusals, StatementsOutsideTheSetAreRefused) {
    for (const char* s :
         {"TRUNCATE TABLE invt1", "DROP TABLE invt1", "CREATE VIEW v AS SELECT 1",
          "BEGIN TRANSACTION", "PRAGMA user_version = 3", "ALTER TABLE invt1 DROP COLUMN SL",
          "EXEC sp_who", "sp_RENAME 'invt1', 'invt2'", "CREATE TABLE t (a INT PRIMARY KEY)",
          "SELECT * FROM t WHERE a = \"x\"", "SELECT * FROM t WHERE a like '[^x]%'",
          "SELECT * FROM t WHERE a like '%[ab]'", "SELECT * FROM t WHERE a NOT like '[]]'",
          "SELECT * FROM t WHERE a like '[^]'"}) {
        EXPECT_EQ(refused(QString::fromLatin1(s)).number, err::kNotSupported) << s;
    }
    for (const char* s :
         {"SELECT * FROM t WHERE a = 'x' -- note", "SELECT * FROM t UNION SELECT * FROM u", ""}) {
        EXPECT_EQ(refused(QString::fromLatin1(s)).number, err::kSyntax) << s;
    }
    for (const char* s : {"SELECT * FROM invt1; DELETE FROM invt1", "UPDATE t SET a = 'x'; ;"}) {
        EXPECT_EQ(refused(QString::fromLatin1(s)).number, err::kMultipleStatements) << s;
    }
}

TEST(TranslateRefusals, MessagesNameTheFault) {
    struct Case {
        const char* statement;
        const char* message;
    };
    const Case cases[] = {
        {"SELECT * FROM a JOIN b ON a.x = b.x", "Incorrect syntax near 'JOIN'."},
        {"SELECT * FROM t WHERE", "Incorrect syntax near the end of the statement."},
        {"SELECT * FROM t WHERE a = 'open",
         "Unclosed quotation mark after the character string 'open'."},
        {"SELECT * FROM t WHERE upper(a) = 'X'",
         "'upper' is not a recognized built-in function name."},
        {"CREATE TABLE t (a VARCHAR(10))",
         "Data type 'VARCHAR' is not supported by the embedded database."},
        {"SELECT * FROM t WHERE a like '%[a-c]%'",
         "The LIKE pattern '%[a-c]%' holds the character class '[a-c]', which the embedded "
         "database does not support; only classes of one character such as [%] or [_] are read."},
        {"SELECT * FROM t WHERE a like '50[%'",
         "The LIKE pattern '50[%' opens a character class with '[' that is never closed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        EXPECT_EQ(refused(QString::fromLatin1(c.statement)).description,
                  QString::fromLatin1(c.message));
    }
    EXPECT_EQ(refused(QStringLiteral("SELECT * FROM t WHERE a like '%[a-c]%'")).number,
              err::kNotSupported);
}

}  // namespace
}  // namespace qv::db::tsql
