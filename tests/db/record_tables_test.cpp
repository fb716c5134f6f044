// The definitions of the three tables: statements, key tables and the VALUES lists built from
// the record buffers, each compared whole with its golden text.

#include "db/common_table.h"
#include "db/fixed_text.h"
#include "db/inventory_table.h"
#include "db/record_fields.h"
#include "db/sql_text.h"
#include "db/upc_table.h"
#include "tests/support/data_files.h"
#include "tests/support/record_text.h"

#include <gtest/gtest.h>
#include <QStringList>
#include <limits>

using namespace qv;
using namespace qv::db;

namespace {

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
    const UpcRecord u = test::Upc("SL=100 | UPC=9400000000017 | POLL=N | InvUID=12");
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

    UpcRecord u = test::Upc("SL=10'1 | UPC=940000000001 | LABEL=JOE'S | POLL=Y | InvUID=15");
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
