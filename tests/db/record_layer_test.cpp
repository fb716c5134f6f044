// RecordOp against a real embedded database: the statements built for each operation and key,
// walks in key order, writes and their failures; the tables' definitions, key segments, VALUES
// lists and the texts the statements are made of.

#include "db/record_layer.h"
#include "db/common_table.h"
#include "db/fixed_text.h"
#include "db/inventory_table.h"
#include "db/record_fields.h"
#include "db/sql_text.h"
#include "db/upc_table.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/db/db_test_util.h"
#include "tests/sql/engine_test_support.h"
#include "tests/support/data_files.h"
#include "tests/support/db_fixture.h"
#include "tests/support/record_steps.h"
#include "tests/support/record_text.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QStringList>
#include <limits>

using namespace qv;
using namespace qv::db;
using qv::test::DbFixture;

namespace {

class RecordOpTest : public ::testing::Test {
protected:
    explicit RecordOpTest(int items = 30) : fx(sandbox, DbFixture::Options{items}) {}
    void SetUp() override { ASSERT_TRUE(fx.ok()) << fx.error.toStdString(); }

    RecordLayer& db() { return *fx.layer; }

    // Describes an operation: found (or done) or not, with the error it left, the statement sent
    // (or given back), the record buffer and the current row's record number.
    QString describe(const QString& label, int table, bool found, const QString& statement,
                     const QString& error) {
        const bool upc = table == kUpcTable;
        const QString buffer = upc ? test::RecordText(db().Upc)
                               : table == kCommonTable
                                   ? test::RecordText(db().Common)
                                   : test::RecordText(db().Inventory) + QStringLiteral(" | row #") +
                                         db().FieldValue(table, 40).toText();
        return label + (found ? QStringLiteral(": yes") : QStringLiteral(": no")) +
               (error.isEmpty() ? QString() : QStringLiteral(", error: ") + error) +
               QStringLiteral("\n  sent: ") + statement + QStringLiteral("\n  buffer: ") + buffer +
               (upc ? QStringLiteral(" | row #") + db().FieldValue(table, 4).toText() : QString()) +
               u'\n';
    }
    QString steps(const char* relative) {
        QString out = test::RunRecordSteps(
            db(), relative,
            [this](const QString& l, int t, bool f, const QString& s, const QString& e) {
                return describe(l, t, f, s, e);
            },
            [this](const QString& verb, const QStringList& a) { return custom(verb, a); },
            &sandbox);
        return out.replace(QChar(0), QStringLiteral("\\0"));
    }
    QString custom(const QString& verb, const QStringList& a);

    std::vector<int> orderOf(const QString& orderBy) {
        return test::RecordNumbersInOrder(db(), QStringLiteral("invt1"), orderBy);
    }

    std::string why() {
        return (db().LastError().description + QStringLiteral(" | ") + db().LastStatement())
            .toStdString();
    }

    qv::test::Sandbox sandbox;
    DbFixture fx;
};

class EmptyInventoryTest : public RecordOpTest {
protected:
    EmptyInventoryTest() : RecordOpTest(0) {}
};

// --- reads ------------------------------------------------------------------------------------

// The test's own steps: rows (of the current row set), field ORDINAL, hostile (hostile text in
// every text field), infinite (an endless quantity), other STATEMENT (by another workstation),
// raw STATEMENT (past the engine), user NAME, threesegments (a key no table has), commonslot
// (opens the Common table again).
QString RecordOpTest::custom(const QString& verb, const QStringList& a) {
    const int n = a.value(0).toInt();
    if (verb == u"rows") {
        EXPECT_EQ(db().CurrentRow(kInventoryTable)->recordCount(), n);
    } else if (verb == u"field") {
        return QStringLiteral("field %1: %2 %3\n")
            .arg(QString::number(n), db().FieldName(kInventoryTable, n),
                 QString::fromStdString(enginetest::Show(db().FieldValue(kInventoryTable, n))));
    } else if (verb == u"hostile") {
        const QString nasty =
            QStringLiteral("a'b''c'); DROP TABLE invt1; --") + QChar(0) + QString(40, u'x');
        db().Inventory = InventoryRecord();
        forEachField(db().Inventory.fields(), [&](int, auto& field) {
            if constexpr (IsFixedText<std::remove_cvref_t<decltype(field)>>::value) {
                field = nasty;
            }
        });
        db().Inventory.RecordNum = 900;
        db().Upc = UpcRecord();
        db().Upc.SL = nasty;
        db().Upc.UPC = nasty;
    } else if (verb == u"infinite") {
        db().Inventory.QtyOnHand = std::numeric_limits<float>::infinity();
    } else if (verb == u"other") {
        SqliteEngine other(sandbox.native(fx.dataFolder));
        DbError e;
        EXPECT_TRUE(other.connect({{}, QStringLiteral("VOR"), {}, {}}, e));
        EXPECT_EQ(other.execute(a[0], e), std::optional<std::int64_t>(1));
    } else if (verb == u"raw") {
        sqlite3* raw = nullptr;
        const QByteArray file = sandbox.native(QStringLiteral("C:\\KT\\VOR.sqlite")).toUtf8();
        EXPECT_EQ(sqlite3_open(file.constData(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, a[0].toUtf8().constData(), nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(raw);
    } else if (verb == u"user") {
        fx.run.UserID = a[0];
    } else if (verb == u"threesegments") {  // no table has such a key
        db().Keys.ordinal[0] = 2;
        db().Keys.ordinal[1] = 0;
        db().Keys.ordinal[2] = 40;
        db().Keys.value[0] = Value::text(QStringLiteral("TRIO"));
        db().Keys.value[1] = Value::text(QStringLiteral("T1"));
        db().Keys.value[2] = Value::integer(801);
        db().Slot(kInventoryTable)->segmentCount = 3;
    } else {
        EXPECT_EQ(verb, "commonslot");
        db().PrepareCommonTable();
        EXPECT_TRUE(db().OpenTable(kCommonTable));
    }
    return {};
}

TEST_F(RecordOpTest, ReadsSendTheStatementsOfTheirGoldenText) {
    test::ExpectGolden("db/record_op_reads.txt", steps("db/record_op_reads.steps"));
    EXPECT_TRUE(db().LastError().isSet());  // of the malformed statement

    // Codes without server work answer true and touch nothing; unknown tables are refused.
    const InventoryRecord before = db().Inventory;
    for (std::int16_t code : {0, 1, 19, 20, 21, 14, 99, -5}) {
        EXPECT_TRUE(db().RecordOp(kInventoryTable, code, 1)) << code;
    }
    EXPECT_EQ(db().Inventory, before);
    EXPECT_EQ(db().FieldValue(kInventoryTable, 40).toInteger(), 21);
    for (int table : {-1, 4, 99}) {
        EXPECT_FALSE(db().RecordOp(table, op::GetFirst, 0)) << table;
    }
    EXPECT_EQ(db().FieldValue(99, 0).kind(), Value::Kind::Null);
    EXPECT_EQ(db().FieldName(99, 0), QString());
}

TEST_F(RecordOpTest, KeysOfRowsAddedByHandStepAndFindTheirRows) {
    test::ExpectGolden("db/record_op_added_keys.txt", steps("db/record_op_added_keys.steps"));
}

TEST_F(RecordOpTest, WalksVisitEveryRowOnceInKeyOrderBothWays) {
    // Item codes that sort first, in the middle and last once their blanks are gone.
    const std::tuple<const char*, const char*, int> extras[] = {{" AA-000001", "WINE", 701},
                                                                {"  HB-000100", "BEER", 702},
                                                                {"   RH-000050", "SOFT", 703},
                                                                {" ZZ-000009", "BEER", 704},
                                                                {"    MT-000002", "SPIRITS", 705}};
    for (const auto& [code, dept, num] : extras) {
        db().Inventory = DbFixture::Item(0);
        db().Inventory.SL = QStringLiteral("LB%1").arg(num);
        db().Inventory.ItemID = QString::fromLatin1(code);
        db().Inventory.DeptCode = QString::fromLatin1(dept);
        db().Inventory.RecordNum = num;
        ASSERT_TRUE(db().RecordOp(kInventoryTable, op::Insert, 0)) << why();
    }
    const std::pair<std::int16_t, const char*> keys[] = {
        {0, "RecordNum"},     {3, "Description, SL"},        {11, "LocFront, RecordNum"},
        {2, "ltrim(ItemID)"}, {8, "DeptCode,ltrim(ItemID)"}, {7, "VendorCode,ltrim(ItemID)"}};
    for (const auto& [key, order] : keys) {
        test::ExpectWalksBothWays(db(), key, orderOf(QString::fromLatin1(order)));
    }
    const std::vector<int> byCode = orderOf(QStringLiteral("ltrim(ItemID)"));
    EXPECT_EQ(byCode.front(), 701);
    EXPECT_EQ(byCode.back(), 704);
    // S/L codes rise with the record number.
    test::ExpectWalksBothWays(db(), 1, orderOf(QStringLiteral("SL")));

    // UPC key 1 (S/L, code) follows the item, then the code.
    for (const char* code : {"100", "999999999999999"}) {
        db().Upc = DbFixture::UpcFor(2);
        db().Upc.UPC = QString::fromLatin1(code);
        ASSERT_TRUE(db().RecordOp(kUpcTable, op::Insert, 0));
    }
    test::ExpectGolden("db/record_op_upc_walk.txt", steps("db/record_op_upc_walk.steps"));
}

TEST_F(RecordOpTest, WritesAndReportsLeaveTheRowsOfTheGoldenText) {
    test::ExpectGolden("db/record_op_writes.txt", steps("db/record_op_writes.steps"));
}

TEST_F(EmptyInventoryTest, NumberingStartsAtElevenAndNothingIsThereToWrite) {
    test::ExpectGolden("db/record_op_empty.txt", steps("db/record_op_empty.steps"));
}

TEST(StoreTableDefinitions, StatementsAsWritten) {
    // Every column, every index and every odd blank of the statements the servers were given;
    // index statements one to a line.
    QString out;
    for (const auto& [create, indexes] :
         {std::pair{inventory::CreateStatement("invt1"), inventory::IndexStatements("invt1")},
          std::pair{upc::CreateStatement("UPC1"), upc::IndexStatements("UPC1")},
          std::pair{common::CreateStatement("COMMON"), common::IndexStatements("COMMON")}}) {
        out += create + u'\n' + QString(indexes).replace(u';', QStringLiteral(";\n")) + u'\n';
    }
    test::ExpectGolden("db/table_definitions.sql", out);
}

// The segments SetKey loads: per key, the count and each segment's ordinal and value.
template <class Record, class SetKeyFn>
QString keyTable(const Record& r, std::initializer_list<int> keys, SetKeyFn setKey) {
    QString out;
    for (int key : keys) {
        KeySegments k;
        const int n = setKey(r, key, k);
        out += QStringLiteral("key %1: %2").arg(key).arg(n);
        for (int i = 0; i < n; ++i) {
            out += QStringLiteral(" | %1=%2").arg(k.ordinal[i]).arg(k.value[i].toText());
        }
        out += u'\n';
    }
    return out;
}

TEST(StoreTableDefinitions, KeysFollowTheKeyTables) {
    const InventoryRecord r = test::Inventory(
        "SL=A'1 | ItemID=   ABC | Description=O'BRIEN, JOE | SubDescription=6PK | VendorCode=V'1 | "
        "DeptCode=BEER | PriceFactor=X'Y, Z | LocFront=F1 | LocBack=B2 | Poll=Y | RecordNum=77");
    const UpcRecord u = test::Upc("SL=100 | UPC=9400000000016 | POLL=N | InvUID=12");
    test::ExpectGolden(
        "db/key_segments.txt",
        keyTable(r, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, -1}, inventory::SetKey) +
            keyTable(u, {0, 1, 2, 3, 4, 5}, upc::SetKey));
    KeySegments k;
    inventory::SetKey(r, 10, k);
    EXPECT_EQ(k.value[1].kind(), Value::Kind::Integer);
}

TEST(StoreTableDefinitions, ValuesListsQuoteTextAndWriteNumbersWithAPoint) {
    QString out;
    const auto add = [&out](const char* label, const std::optional<QString>& values) {
        out += QString::fromLatin1(label) + QStringLiteral(": ") + values.value_or("(refused)") +
               u'\n';
    };
    InventoryRecord numbers = test::Inventory(
        "SL=A1 | Price=1.2345 | QtyOnHand=2.5 | MinQ=-3 | RecordNum=42 | PriceIncTax=1");
    add("numbers", inventory::RecordValues(numbers));

    // Description texts double their apostrophes; codes blank them; StoreRef is not sanitised,
    // but its apostrophe cannot end the literal either.
    InventoryRecord texts = test::Inventory(
        "SL=A'1 | ItemID=IT'EM | Description=JOE'S LAGER | SubDescription=6'PK | DeptCode=BE'ER | "
        "StoreRef=O'HARE");
    const auto textValues = inventory::RecordValues(texts);
    add("apostrophes", textValues);
    // The buffer holds the sanitised texts; a second build gives the same list.
    EXPECT_EQ(texts.SL.str(), QStringLiteral("A 1     "));
    EXPECT_EQ(texts.Description.rtrimmed(), QStringLiteral("JOE''S LAGER"));
    EXPECT_EQ(inventory::RecordValues(texts), textValues);

    // Doubling that would not fit gets blanks instead; already doubled text keeps its pair.
    InventoryRecord full;
    full.Description = QStringLiteral("123456789'123456789012345678XY");  // 30 characters
    full.SubDescription = QStringLiteral("A'B'C'D'E'F'G'H'IJ");           // 18: doubled is 26
    add("too long to double", inventory::RecordValues(full));
    InventoryRecord doubled;
    doubled.Description = QStringLiteral("''A'B'C'D'E'F'G'H'I'J'K'L'M'N");
    add("already doubled", inventory::RecordValues(doubled));
    EXPECT_EQ(full.SubDescription.str(), QStringLiteral("A B C D E F G H IJ  "));

    InventoryRecord nul;
    nul.ItemID = QStringLiteral("AB") + QChar(0) + QStringLiteral("CD");
    nul.StoreRef = QStringLiteral("X") + QChar(0);
    add("NUL characters", inventory::RecordValues(nul));
    EXPECT_EQ(nul.ItemID.rtrimmed(), QString());

    UpcRecord u = test::Upc("SL=10'1 | UPC=940000000009 | LABEL=JOE'S | POLL=Y | InvUID=15");
    add("UPC", upc::RecordValues(u));

    // Common: every value quoted, the last with a blank before its closing quote.
    CommonRecord c = test::Common(
        "Cname=JOE'S | StoreNumber=3 | TaxRate1=12.5 | TaxRate2=0.1 | BreakPoint=7 | Spare=END");
    add("Common", common::RecordValues(c));

    // A quantity that no column can keep refuses the whole list.
    InventoryRecord bad;
    bad.QtyOnHand = std::numeric_limits<float>::quiet_NaN();
    add("NaN quantity", inventory::RecordValues(bad));
    bad.QtyOnHand = 1e30f;
    add("huge quantity", inventory::RecordValues(bad));
    EXPECT_EQ(fieldProblem(bad.fields(), inventory::kColumns),
              QStringLiteral("The value of QtyOnHand cannot be stored."));
    test::ExpectGolden("db/values_lists.txt", out);
}

TEST(FixedText, HoldsItsWidthNeverSplitsASurrogatePairAndTrimsOnlyTheEnds) {
    FixedText<8> sl;
    EXPECT_EQ(sl.str(), QStringLiteral("        "));
    sl = QStringLiteral("A1");
    EXPECT_EQ(sl.str(), QStringLiteral("A1      "));
    sl = QStringLiteral("123456789012");
    EXPECT_EQ(sl.str(), QStringLiteral("12345678"));
    EXPECT_TRUE(sl.isFull());
    sl = QString();
    EXPECT_TRUE(sl.isBlank());
    FixedText<3> f;
    f = QStringLiteral("ab") + QString::fromUcs4(U"\U0001F37A") + QStringLiteral("c");
    EXPECT_EQ(f.str(), QStringLiteral("ab "));
    FixedText<10> g;
    g = QStringLiteral("  A B");
    EXPECT_EQ(g.rtrimmed(), QStringLiteral("  A B"));
    EXPECT_EQ(g.trimmed(), QStringLiteral("A B"));
}

TEST(SqlSafeText, FollowsItsTableAndKeySegmentsAfterTheThirdBlankApostrophes) {
    for (const qv::test::Case& c : qv::test::Cases("db/sql_safe_text.cases")) {
        EXPECT_EQ(SqlSafeText(c.text(0), c.flag(1), static_cast<int>(c.num(2))), c.text(3))
            << c.where();
    }
    for (int segment = 1; segment <= 4; ++segment) {
        EXPECT_EQ(TextSegment(u"X'Y, Z", segment).toText(),
                  segment <= 3 ? QStringLiteral("X''Y,Z") : QStringLiteral("X Y, Z"));
    }
}

TEST(LiteralBody, KeepsPairsDoublesStrayApostrophesAndNeverEndsALiteralEarly) {
    EXPECT_EQ(LiteralBody(u"O''BRIEN"), QStringLiteral("O''BRIEN"));
    EXPECT_EQ(LiteralBody(u"''x' OR '1'='1"), QStringLiteral("''x'' OR ''1''=''1"));
    EXPECT_EQ(LiteralBody(u"ABC'"), QStringLiteral("ABC''"));
    EXPECT_EQ(LiteralBody(QStringView(QStringLiteral("A") + QChar(0))), QStringLiteral("A "));
    EXPECT_EQ(QuoteRaw(u"a''b'"), QStringLiteral("a''''b''"));
    for (const QString& s : {QStringLiteral("'"), QStringLiteral("'''"), QStringLiteral("a''b'c"),
                             QStringLiteral("''''x'")}) {
        int run = 0;
        for (QChar c : LiteralBody(s) + u'x') {
            if (c == u'\'') {
                ++run;
                continue;
            }
            EXPECT_EQ(run % 2, 0) << s.toStdString();
            run = 0;
        }
    }
}

}  // namespace
