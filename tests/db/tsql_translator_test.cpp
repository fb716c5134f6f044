#include "db/tsql_translator.h"
#include "db/sqlite_errors.h"
#include "tests/db/db_test_util.h"
#include "tests/db/sqlite_test_schema.h"

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
}

TEST(TranslateSelect, KeywordsInAnyCaseAndTwoBlanksAfterSelect) {
    EXPECT_EQ(sqlOf(QStringLiteral("select  top 1 * from invt1 where Description<='ABC' "
                                   "order by Description desc")),
              QStringLiteral("SELECT *, rowid FROM invt1 WHERE Description <= ?1 ORDER BY "
                             "Description DESC LIMIT 1"));
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT top 1 * from invt1 ORDER BY RecordNum DESC")),
              QStringLiteral("SELECT *, rowid FROM invt1 ORDER BY RecordNum DESC LIMIT 1"));
}

TEST(TranslateSelect, CountStarHasNoRowid) {
    const Translation t = accepted(QStringLiteral("SELECT COUNT(*) FROM invt1"));
    EXPECT_FALSE(t.rowidLast);
    EXPECT_EQ(t.statements.front(), QStringLiteral("SELECT COUNT(*) FROM invt1"));
}

TEST(TranslateSelect, LtrimCarriesTheCollationAndAnEqualityDropsItsOrder) {
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE ltrim(ItemID)>='ABC' "
                                   "ORDER BY ltrim(ItemID)")),
              QStringLiteral("SELECT *, rowid FROM invt1 WHERE ltrim(ItemID) COLLATE MSCI >= ?1 "
                             "ORDER BY ltrim(ItemID) COLLATE MSCI LIMIT 1"));
    // Every row the equality lets through ties on the order, so the order goes.
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE ltrim(ItemID)='ABC' ORDER "
                                   "BY ltrim(itemid)")),
              QStringLiteral("SELECT *, rowid FROM invt1 WHERE ltrim(ItemID) COLLATE MSCI = ?1 "
                             "LIMIT 1"));
    EXPECT_EQ(
        sqlOf(QStringLiteral("SELECT TOP 1 * FROM invt1 WHERE Description='ABC' AND "
                             "SL='A1' ORDER BY Description")),
        QStringLiteral("SELECT *, rowid FROM invt1 WHERE Description = ?1 AND SL = ?2 LIMIT 1"));
}

TEST(TranslateSelect, EqualityInsideAnOrKeepsTheOrder) {
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT TOP 1 * FROM t WHERE a='1' OR a='2' ORDER BY a")),
              QStringLiteral("SELECT *, rowid FROM t WHERE a = ?1 OR a = ?2 ORDER BY a LIMIT 1"));
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

TEST(TranslateSelect, EqualValuesShareOneParameterButStoredValuesNever) {
    EXPECT_EQ(
        sqlOf(QStringLiteral("SELECT * FROM t WHERE a = 'x' AND b = 'x' AND c = 'X' AND d = 1 "
                             "AND e = '1'")),
        QStringLiteral("SELECT *, rowid FROM t WHERE a = ?1 AND b = ?1 AND c = ?2 AND d = ?3 "
                       "AND e = ?4"));
    EXPECT_EQ(sqlOf(QStringLiteral("UPDATE t SET a = 'x', b = 'x' WHERE c = 'x'")),
              QStringLiteral("UPDATE t SET a = ?1, b = ?2 WHERE c = ?3"));
}

TEST(TranslateSelect, TopInsideASubquery) {
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT * FROM t WHERE a = (SELECT TOP 1 a FROM u ORDER BY "
                                   "a DESC)")),
              QStringLiteral("SELECT *, rowid FROM t WHERE a = (SELECT a FROM u ORDER BY a DESC "
                             "LIMIT 1)"));
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
}

TEST(TranslateSelect, LeftRangeStepsOverTheFoldedLetters) {
    // 'a' and 'A' weigh the same; the neighbours of 'a' are '`' and 'b'.
    const Translation t =
        accepted(QStringLiteral("SELECT * FROM t WHERE LEFT(code,2)='Xa' ORDER BY code"));
    EXPECT_EQ(paramTexts(t), (QStringList{QStringLiteral("X`") + QChar(0x7F), QStringLiteral("Xb"),
                                          QStringLiteral("Xa")}));
}

TEST(TranslateSelect, LeftKeepsThePlainTestWhereNoRangeApplies) {
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT * FROM t WHERE LEFT(code,2)>'AB'")),
              QStringLiteral("SELECT *, rowid FROM t WHERE substr(code,1,2) COLLATE MSCI > ?1"));
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT * FROM t WHERE LEFT(code,2)='  '")),
              QStringLiteral("SELECT *, rowid FROM t WHERE substr(code,1,2) COLLATE MSCI = ?1"));
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT * FROM t WHERE LEFT(code,2)='\u00e9t'")),
              QStringLiteral("SELECT *, rowid FROM t WHERE substr(code,1,2) COLLATE MSCI = ?1"));
}

TEST(TranslateSelect, LikeAndAndOrderList) {
    const Translation t = accepted(QStringLiteral(
        "SELECT * FROM invt1 WHERE Description like '%soap%' And status <> 'D' Order BY "
        "Description,subdescription"));
    EXPECT_EQ(t.statements.front(),
              QStringLiteral("SELECT *, rowid FROM invt1 WHERE Description LIKE ?1 AND status <> "
                             "?2 ORDER BY Description, subdescription"));
    EXPECT_EQ(paramTexts(t), (QStringList{"%soap%", "D"}));
}

TEST(TranslateSelect, LikeBracketClassesOfOneCharacterBecomeEscapes) {
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
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT * FROM t WHERE a NOT like '%[%]'")),
              QStringLiteral("SELECT *, rowid FROM t WHERE a NOT LIKE ?1 ESCAPE '\\'"));
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

TEST(TranslateSelect, ParenthesesNotAndNullTests) {
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT * FROM t WHERE (a='1' OR b='2') AND NOT c IS NULL "
                                   "AND d IS NOT NULL AND e NOT LIKE 'x%'")),
              QStringLiteral("SELECT *, rowid FROM t WHERE (a = ?1 OR b = ?2) AND NOT (c IS NULL) "
                             "AND d IS NOT NULL AND e NOT LIKE ?3"));
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT * FROM t WHERE a != '1'")),
              QStringLiteral("SELECT *, rowid FROM t WHERE a <> ?1"));
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

TEST(TranslateSelect, ColumnsThatAreSqliteKeywordsAreQuoted) {
    EXPECT_EQ(sqlOf(QStringLiteral("SELECT Plan, Class FROM t WHERE Plan = 'x'")),
              QStringLiteral("SELECT \"Plan\", Class FROM t WHERE \"Plan\" = ?1"));
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
}

TEST(TranslateLiterals, TrailingSemicolonAndBlanksAreAccepted) {
    EXPECT_EQ(sqlOf(QStringLiteral("DELETE FROM invt1 WHERE SL='x' ;   ")),
              QStringLiteral("DELETE FROM invt1 WHERE SL = ?1"));
}

TEST(TranslateLiterals, DefaultsStayInlineWithTheirQuotesDoubled) {
    EXPECT_EQ(sqlOf(QStringLiteral("CREATE TABLE t (a CHAR(5) DEFAULT 'it''s  ', b INT DEFAULT "
                                   "-1, c DECIMAL DEFAULT (0), d CHAR (2) DEFAULT NULL)")),
              QStringLiteral("CREATE TABLE t (a CHAR(5) COLLATE MSCI DEFAULT 'it''s', b INT "
                             "DEFAULT -1, c DECIMAL(18,0) DEFAULT 0, d CHAR(2) COLLATE MSCI "
                             "DEFAULT NULL)"));
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
}

TEST(TranslateWrites, DeleteWithAndWithoutFrom) {
    EXPECT_EQ(sqlOf(QStringLiteral("DELETE FROM invt1 WHERE SL='A1'")),
              QStringLiteral("DELETE FROM invt1 WHERE SL = ?1"));
    EXPECT_EQ(sqlOf(QStringLiteral("delete invt1 where SL='A1'")),
              QStringLiteral("DELETE FROM invt1 WHERE SL = ?1"));
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

TEST(TranslateSchema, CommonTypesWithoutSizes) {
    EXPECT_EQ(sqlOf(QStringLiteral("Create Table COMMON (DupID CHAR (1), ExchangeRate REAL, "
                                   "BreakPoint DECIMAL, NoTaxOnFirst decimal, StoreNumber "
                                   "SMALLINT, Flag CHAR);")),
              QStringLiteral("CREATE TABLE COMMON (DupID CHAR(1) COLLATE MSCI, ExchangeRate REAL, "
                             "BreakPoint DECIMAL(18,0), NoTaxOnFirst DECIMAL(18,0), StoreNumber "
                             "SMALLINT, Flag CHAR(1) COLLATE MSCI)"));
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
    EXPECT_EQ(sqlOf(QStringLiteral("Create Index idx_0 On UPC1(SL);")),
              QStringLiteral("CREATE INDEX UPC1__idx_0 ON UPC1(SL)"));
    EXPECT_EQ(sqlOf(QStringLiteral("Create UNIQUE Index idx_10 on invt1(LocFront, RecordNum);")),
              QStringLiteral("CREATE UNIQUE INDEX invt1__idx_10 ON invt1(LocFront, RecordNum)"));
    EXPECT_EQ(sqlOf(QStringLiteral("CREATE NONCLUSTERED INDEX i ON t (a DESC, b ASC)")),
              QStringLiteral("CREATE INDEX t__i ON t(a DESC, b)"));
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
    EXPECT_EQ(accepted(QStringLiteral("DROP INDEX idx_3 ON invt1")).statements.front(),
              QStringLiteral("DROP INDEX invt1__idx_3"));
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

TEST(TranslateSchema, AddColumn) {
    EXPECT_EQ(sqlOf(QStringLiteral("ALTER TABLE invt1 ADD PenLiqorUnit SMALLINT ")),
              QStringLiteral("ALTER TABLE invt1 ADD COLUMN PenLiqorUnit SMALLINT"));
    EXPECT_EQ(sqlOf(QStringLiteral("ALTER TABLE invt1 ADD Flag CHAR(2) NOT NULL DEFAULT 'N'")),
              QStringLiteral("ALTER TABLE invt1 ADD COLUMN Flag CHAR(2) COLLATE MSCI NOT NULL "
                             "DEFAULT 'N'"));
}

TEST(TranslateSchema, RenameColumnTrimsTheNewName) {
    const Translation t =
        accepted(QStringLiteral("sp_RENAME 'invt1.Flg2', 'NeverOrder ', 'COLUMN'"));
    EXPECT_EQ(t.kind, StatementKind::RenameColumn);
    EXPECT_EQ(t.statements.front(),
              QStringLiteral("ALTER TABLE invt1 RENAME COLUMN Flg2 TO NeverOrder"));
    EXPECT_EQ(sqlOf(QStringLiteral("EXEC sp_rename 'dbo.invt1.Spare1', 'PriceFactor', 'column'")),
              QStringLiteral("ALTER TABLE invt1 RENAME COLUMN Spare1 TO PriceFactor"));
}

// --- refusals -------------------------------------------------------------------------------

TEST(TranslateRefusals, StatementsOutsideTheSetAreRefused) {
    for (const char* s :
         {"TRUNCATE TABLE invt1", "DROP TABLE invt1", "CREATE VIEW v AS SELECT 1",
          "BEGIN TRANSACTION", "PRAGMA user_version = 3", "ALTER TABLE invt1 DROP COLUMN SL",
          "EXEC sp_who", "sp_RENAME 'invt1', 'invt2'"}) {
        EXPECT_EQ(refused(QString::fromLatin1(s)).number, err::kNotSupported) << s;
    }
}

TEST(TranslateRefusals, MalformedStatementsAreSyntaxErrors) {
    EXPECT_EQ(refused(QStringLiteral("SELECT * FROM a JOIN b ON a.x = b.x")).description,
              QStringLiteral("Incorrect syntax near 'JOIN'."));
    EXPECT_EQ(refused(QStringLiteral("SELECT * FROM t WHERE a = 'x' -- note")).number,
              err::kSyntax);
    EXPECT_EQ(refused(QStringLiteral("SELECT * FROM t WHERE")).description,
              QStringLiteral("Incorrect syntax near the end of the statement."));
    EXPECT_EQ(refused(QStringLiteral("SELECT * FROM t WHERE a = 'open")).description,
              QStringLiteral("Unclosed quotation mark after the character string 'open'."));
    EXPECT_EQ(refused(QStringLiteral("SELECT * FROM t UNION SELECT * FROM u")).number,
              err::kSyntax);
    EXPECT_EQ(refused(QStringLiteral("")).number, err::kSyntax);
}

TEST(TranslateRefusals, UnknownFunctionsTypesAndOptions) {
    EXPECT_EQ(refused(QStringLiteral("SELECT * FROM t WHERE upper(a) = 'X'")).description,
              QStringLiteral("'upper' is not a recognized built-in function name."));
    EXPECT_EQ(refused(QStringLiteral("CREATE TABLE t (a VARCHAR(10))")).description,
              QStringLiteral("Data type 'VARCHAR' is not supported by the embedded database."));
    EXPECT_EQ(refused(QStringLiteral("CREATE TABLE t (a INT PRIMARY KEY)")).number,
              err::kNotSupported);
    EXPECT_EQ(refused(QStringLiteral("SELECT * FROM t WHERE a = \"x\"")).number,
              err::kNotSupported);
}

TEST(TranslateRefusals, LikeClassesWithoutAnEscapeAreRefused) {
    const DbError range = refused(QStringLiteral("SELECT * FROM t WHERE a like '%[a-c]%'"));
    EXPECT_EQ(range.number, err::kNotSupported);
    EXPECT_EQ(range.description,
              QStringLiteral("The LIKE pattern '%[a-c]%' holds the character class '[a-c]', which "
                             "the embedded database does not support; only classes of one "
                             "character such as [%] or [_] are read."));
    for (const char* s :
         {"SELECT * FROM t WHERE a like '[^x]%'", "SELECT * FROM t WHERE a like '%[ab]'",
          "SELECT * FROM t WHERE a NOT like '[]]'", "SELECT * FROM t WHERE a like '[^]'"}) {
        EXPECT_EQ(refused(QString::fromLatin1(s)).number, err::kNotSupported) << s;
    }
    EXPECT_EQ(refused(QStringLiteral("SELECT * FROM t WHERE a like '50[%'")).description,
              QStringLiteral("The LIKE pattern '50[%' opens a character class with '[' that is "
                             "never closed."));
}

TEST(TranslateRefusals, MoreThanOneStatementIsRefusedWhole) {
    EXPECT_EQ(refused(QStringLiteral("SELECT * FROM invt1; DELETE FROM invt1")).number,
              err::kMultipleStatements);
    EXPECT_EQ(refused(QStringLiteral("UPDATE t SET a = 'x'; ;")).number, err::kMultipleStatements);
    // A ';' inside a literal is text.
    EXPECT_EQ(sqlOf(QStringLiteral("UPDATE t SET a = 'x; DELETE FROM t'")),
              QStringLiteral("UPDATE t SET a = ?1"));
}

}  // namespace
}  // namespace qv::db::tsql
