// The definitions of the three tables: statements, key tables and the VALUES lists built from
// the record buffers.

#include "db/common_table.h"
#include "db/inventory_table.h"
#include "db/upc_table.h"
#include "tests/db/db_test_util.h"
#include "tests/sql/sqlite_test_schema.h"

#include <gtest/gtest.h>
#include <QStringList>

#include <cmath>
#include <limits>

using namespace qv;
using namespace qv::db;

namespace {

TEST(StoreTableDefinitions, StatementsAsWritten) {
    // Every column, every index and every odd blank of the statements the servers were given.
    const QString invt = QStringLiteral("invt1");
    EXPECT_EQ(inventory::CreateStatement(invt), test::schema::inventoryCreate(invt));
    EXPECT_EQ(inventory::IndexStatements(invt), test::schema::inventoryIndexes(invt).join(""));
    const QString upc = QStringLiteral("UPC1");
    EXPECT_EQ(upc::CreateStatement(upc), test::schema::upcCreate(upc));
    EXPECT_EQ(upc::IndexStatements(upc), test::schema::upcIndexes(upc).join(""));
}

TEST(CommonDefinition, StatementsAsWritten) {
    const QString sql = common::CreateStatement(QStringLiteral("COMMON"));
    EXPECT_TRUE(sql.startsWith(
        QStringLiteral("Create Table COMMON (ProgramVersion CHAR (10), DupID CHAR (1), ")));
    EXPECT_TRUE(sql.contains(QStringLiteral(", PONumber INTEGER, StoreNumber SMALLINT, ")));
    EXPECT_TRUE(sql.contains(QStringLiteral(", NoTaxOnFirst decimal, TaxAdjust DECIMAL, ")));
    EXPECT_TRUE(
        sql.endsWith(QStringLiteral(", CountryID SMALLINT, Email CHAR (35), Spare CHAR (65));")));
    EXPECT_EQ(common::IndexStatements(QStringLiteral("COMMON")),
              QStringLiteral("Create UNIQUE Index idx_0 On COMMON(DupID);"));
}

TEST(CommonDefinition, RatesForTheCountrySettings) {
    CommonRecord c;
    c.CountryID = 64;
    c.TaxRate1 = 15.0f;
    c.TaxRate5 = 2.5f;
    const CommonRates r = common::RatesFrom(c);
    EXPECT_EQ(r.CountryNumber, 64);
    EXPECT_FLOAT_EQ(r.TaxRate[0], 15.0f);
    EXPECT_FLOAT_EQ(r.TaxRate[4], 2.5f);
}

// --- keys ------------------------------------------------------------------------------------

TEST(InventoryKeys, SegmentsFollowTheKeyTable) {
    InventoryRecord r;
    r.ItemID = QStringLiteral("   ABC");
    r.RecordNum = 77;
    r.LocBack = QStringLiteral("B2");
    r.Description = QStringLiteral("O'BRIEN, JOE");
    r.SL = QStringLiteral("A'1");
    struct Case {
        const char* label;
        int key;
        int segments;
        std::vector<int> ordinals;
        QStringList texts;  // of the leading segments
    };
    const Case cases[] = {
        {"item code without leading blanks", 2, 1, {1}, {"ABC"}},
        {"location and record number", 10, 2, {39, 40}, {"B2"}},
        {"vendor and description", 5, 2, {7, 2}, {}},
        {"price factor first", 9, 2, {50}, {}},
        {"apostrophe doubled in the first segments", 3, 2, {2, 0}, {"O''BRIEN,JOE", "A''1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        KeySegments k;
        ASSERT_EQ(inventory::SetKey(r, c.key, k), c.segments);
        for (size_t i = 0; i < c.ordinals.size(); ++i) {
            EXPECT_EQ(k.ordinal[i], c.ordinals[i]) << i;
        }
        for (int i = 0; i < c.texts.size(); ++i) {
            EXPECT_EQ(k.value[i].toText(), c.texts[i]) << i;
        }
    }
    KeySegments k;
    inventory::SetKey(r, 10, k);
    EXPECT_EQ(k.value[1].kind(), Value::Kind::Integer);
    EXPECT_EQ(k.value[1].toInteger(), 77);
    // An unknown key loads nothing.
    EXPECT_EQ(inventory::SetKey(r, 13, k), -1);
    EXPECT_EQ(inventory::SetKey(r, -1, k), -1);
    EXPECT_EQ(k.value[0].toText(), QStringLiteral("B2"));
}

TEST(UpcKeys, KeyTable) {
    UpcRecord u;
    u.SL = QStringLiteral("100");
    u.UPC = QStringLiteral("9400000000017");
    u.InvUID = 12;
    KeySegments k;
    ASSERT_EQ(upc::SetKey(u, 1, k), 2);
    EXPECT_EQ(k.ordinal[0], 0);
    EXPECT_EQ(k.ordinal[1], 1);
    EXPECT_EQ(k.value[1].toText(), QStringLiteral("9400000000017"));
    ASSERT_EQ(upc::SetKey(u, 4, k), 1);
    EXPECT_EQ(k.ordinal[0], 4);
    EXPECT_EQ(k.value[0].toInteger(), 12);
    EXPECT_EQ(upc::SetKey(u, 5, k), -1);
}

// --- VALUES lists ----------------------------------------------------------------------------

QStringList splitValues(const QString& values) {
    // Splits at commas outside quotes.
    QStringList out;
    QString cur;
    bool quoted = false;
    for (QChar c : values) {
        if (c == u'\'') {
            quoted = !quoted;
        }
        if (c == u',' && !quoted) {
            out << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    out << cur;
    return out;
}

TEST(InventoryValues, TextQuotedNumbersWithAPoint) {
    InventoryRecord r;
    r.SL = QStringLiteral("A1");
    r.Price = Currency::fromScaled(12345);
    r.QtyOnHand = 2.5f;
    r.MinQ = -3;
    r.RecordNum = 42;
    r.PriceIncTax = Currency::fromScaled(10000);
    const auto values = inventory::RecordValues(r);
    ASSERT_TRUE(values);
    const QStringList v = splitValues(*values);
    ASSERT_EQ(v.size(), 57);
    EXPECT_EQ(v[0], QStringLiteral("'A1      '"));
    EXPECT_EQ(v[8], QStringLiteral("1.2345"));
    EXPECT_EQ(v[10], QStringLiteral("2.5000"));
    EXPECT_EQ(v[11], QStringLiteral("-3"));
    EXPECT_EQ(v[32], QStringLiteral("1.0000"));
    EXPECT_EQ(v[40], QStringLiteral("42"));
    EXPECT_EQ(v[56], QStringLiteral("0"));
}

TEST(InventoryValues, DescriptionApostropheDoubledCodesBlanked) {
    InventoryRecord r;
    r.SL = QStringLiteral("A'1");
    r.ItemID = QStringLiteral("IT'EM");
    r.Description = QStringLiteral("JOE'S LAGER");
    r.SubDescription = QStringLiteral("6'PK");
    r.DeptCode = QStringLiteral("BE'ER");
    r.StoreRef = QStringLiteral("O'HARE");
    const auto values = inventory::RecordValues(r);
    ASSERT_TRUE(values);
    const QStringList v = splitValues(*values);
    EXPECT_EQ(v[0], QStringLiteral("'A 1     '"));
    EXPECT_EQ(v[1].trimmed(), QStringLiteral("'IT EM                    '"));
    EXPECT_EQ(v[2], QStringLiteral("'JOE''S LAGER                  '"));
    EXPECT_EQ(v[3], QStringLiteral("'6''PK               '"));
    EXPECT_EQ(v[15], QStringLiteral("'BE ER      '"));
    // StoreRef is not sanitised, but its apostrophe cannot end the literal either.
    EXPECT_EQ(v[37], QStringLiteral("'O''HARE") + QString(24, u' ') + u'\'');
    // The buffer holds the sanitised texts; a second build gives the same list.
    EXPECT_EQ(r.SL.str(), QStringLiteral("A 1     "));
    EXPECT_EQ(r.Description.rtrimmed(), QStringLiteral("JOE''S LAGER"));
    EXPECT_EQ(inventory::RecordValues(r), values);
}

TEST(InventoryValues, DoublingThatWouldNotFitGetsBlanksInstead) {
    InventoryRecord full;
    full.Description = QStringLiteral("123456789'123456789012345678XY");  // 30 characters
    EXPECT_EQ(splitValues(*inventory::RecordValues(full))[2],
              QStringLiteral("'123456789 123456789012345678XY'"));

    InventoryRecord r;
    r.Description = QStringLiteral("''A'B'C'D'E'F'G'H'I'J'K'L'M'N");  // has '' already: unchanged
    r.SubDescription = QStringLiteral("A'B'C'D'E'F'G'H'IJ");          // 18: doubled is 26
    const QStringList v = splitValues(*inventory::RecordValues(r));
    EXPECT_EQ(v[3], QStringLiteral("'A B C D E F G H IJ  '"));
    // The already doubled text keeps its pair; the stray ones are doubled in the literal only.
    EXPECT_TRUE(v[2].startsWith(QStringLiteral("'''A''B''C")));
    EXPECT_EQ(r.SubDescription.str(), QStringLiteral("A B C D E F G H IJ  "));
}

TEST(InventoryValues, NulCharactersBecomeBlanks) {
    InventoryRecord r;
    r.ItemID = QStringLiteral("AB") + QChar(0) + QStringLiteral("CD");
    r.StoreRef = QStringLiteral("X") + QChar(0);
    const QString values = *inventory::RecordValues(r);
    EXPECT_FALSE(values.contains(QChar(0)));
    EXPECT_EQ(r.ItemID.rtrimmed(), QString());
}

TEST(InventoryValues, QuantityThatNoColumnCanKeepIsRefused) {
    InventoryRecord r;
    r.QtyOnHand = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(inventory::RecordValues(r));
    r.QtyOnHand = 1e30f;
    EXPECT_FALSE(inventory::RecordValues(r));
    EXPECT_EQ(fieldProblem(r.fields(), inventory::kColumns),
              QStringLiteral("The value of QtyOnHand cannot be stored."));
}

TEST(UpcValues, ApostrophesBecomeBlanks) {
    UpcRecord u;
    u.SL = QStringLiteral("10'1");
    u.UPC = QStringLiteral("940000000001");
    u.LABEL = QStringLiteral("JOE'S");
    u.POLL = QStringLiteral("Y");
    u.InvUID = 15;
    EXPECT_EQ(
        upc::RecordValues(u),
        QStringLiteral("'10 1    ','940000000001   ','JOE S                         ','Y',15"));
}

TEST(CommonValues, AllQuotedLastWithABlank) {
    CommonRecord c;
    c.Cname = QStringLiteral("JOE'S");
    c.StoreNumber = 3;
    c.TaxRate1 = 12.5f;
    c.TaxRate2 = 0.1f;
    c.BreakPoint = Currency::fromUnits(7);
    c.Spare = QStringLiteral("END");
    const auto values = common::RecordValues(c);
    ASSERT_TRUE(values);
    const QStringList v = splitValues(*values);
    ASSERT_EQ(v.size(), 98);
    EXPECT_EQ(v[2], QStringLiteral("'JOE''S") + QString(34, u' ') + u'\'');
    EXPECT_EQ(v[22], QStringLiteral("'3'"));
    EXPECT_EQ(v[31], QStringLiteral("'12.5'"));
    EXPECT_EQ(v[32], QStringLiteral("'0.1'"));
    EXPECT_EQ(v[36], QStringLiteral("'7.0000'"));
    EXPECT_EQ(v[97], QStringLiteral("'END") + QString(62, u' ') + QStringLiteral(" '"));
}

TEST(SpecialCodes, ReservedCodesAndTheRest) {
    const std::pair<const char*, int> codes[] = {{"~NONSTK", 1},   {"~ROA    ", 2}, {"~ROAL", 3},
                                                 {"~ROALTX", 10},  {"~DPOUT", -1},  {"0", 0},
                                                 {"~roa", 999999}, {"ABC", 999999}};
    for (const auto& [code, number] : codes) {
        EXPECT_EQ(inventory::SpecialCodeNumber(QString::fromLatin1(code)), number) << code;
    }
}

TEST(RecordFields, ValuesIntoFieldsSurviveBadData) {
    InventoryRecord r;
    valueToField(r.MinQ, Value::integer(70000));
    EXPECT_EQ(r.MinQ, 32767);
    valueToField(r.MinQ, Value::text(QStringLiteral("abc")));
    EXPECT_EQ(r.MinQ, 0);
    valueToField(r.MaxQ, Value::real(2.5));
    EXPECT_EQ(r.MaxQ, 2);
    valueToField(r.QtyOnHand, Value::real(1e300));
    EXPECT_TRUE(std::isfinite(r.QtyOnHand));
    valueToField(r.Description, Value::text(QString(50, u'x')));
    EXPECT_EQ(r.Description.str().size(), 30);
    valueToField(r.PenLiqorUnit, Value());
    EXPECT_EQ(r.PenLiqorUnit, 0);
}

}  // namespace
