#include "audit/link_audit.h"
#include "tests/audit/audit_world.h"
#include "tests/support/qt_print.h"
#include "wizard/item_linker.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>

#include <algorithm>

namespace qv::test {
namespace {

QStringList GoldenLines(const char* name) {
    QFile file(QStringLiteral(QV_TEST_DATA "/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// The rows the repair writes, in place of the seeded ones.
const Seed kMendedItems[] = {
    {120, "120", "R", "", 1, 120000, 121, 122},
    {171, "171", "P", "170", 12, 20000},
    {172, "172", "I", "171", 6, 3333},
};
const UpcSeed kMendedUpcs[] = {{"100", "9400000001003", 100}, {"145", "9400000001454", 145}};

// The seeded rows, mended or as seeded.
QMap<QString, QString> ExpectedItems(bool mended) {
    QMap<QString, QString> out;
    const auto add = [&](const Seed& s) {
        db::InventoryRecord r = SeedItem(s);
        out.insert(QString::number(s.num), *db::inventory::RecordValues(r));
    };
    std::for_each(std::begin(kSeeds), std::end(kSeeds), add);
    std::for_each(std::begin(kMendedItems),
                  mended ? std::end(kMendedItems) : std::begin(kMendedItems), add);
    return out;
}

QMap<QString, QString> ExpectedUpcs(bool mended) {
    QMap<QString, QString> out;
    const auto add = [&](const UpcSeed& s) {
        db::UpcRecord u = SeedUpc(s);
        out.insert(u.UPC.trimmed(), db::upc::RecordValues(u));
    };
    std::for_each(std::begin(kUpcSeeds), std::end(kUpcSeeds), add);
    std::for_each(std::begin(kMendedUpcs), mended ? std::end(kMendedUpcs) : std::begin(kMendedUpcs),
                  add);
    return out;
}

class AuditOnEngine : public ::testing::TestWithParam<EngineKind> {
protected:
    void SetUp() override {
        ASSERT_TRUE(store.ok());
        store.seed();
    }
    void expectRows(bool mended) {
        EXPECT_EQ(store.rows(store.tables.inventory), ExpectedItems(mended));
        EXPECT_EQ(store.rows(store.tables.upc), ExpectedUpcs(mended));
    }
    AuditStore store{GetParam()};
};

TEST_P(AuditOnEngine, SeededFaultsGiveTheDocumentedReport) {
    const audit::AuditReport report = store.audit();
    EXPECT_EQ(audit::ReportLines(report), GoldenLines("audit_seeded_report.txt"));

    // The JSON holds the same findings.
    const QJsonArray findings = audit::ReportJson(report).value("findings").toArray();
    ASSERT_EQ(findings.size(), 19);
    const QJsonObject drift = findings.at(10).toObject();
    EXPECT_EQ(drift.value("check").toString(), "cost-drift");
    EXPECT_EQ(drift.value("head").toObject().value("recordNum").toInt(), 170);
    EXPECT_EQ(drift.value("items").toArray().at(1).toObject().value("sl").toString(), "170");
    EXPECT_EQ(findings.last().toObject().value("upc").toString(), "9400000009980");
}

TEST_P(AuditOnEngine, RepairMendsTheMarkedRowsOnlyAndKeepsThemAsTheyWere) {
    expectRows(false);
    const audit::AuditReport before = store.audit();
    const audit::RepairResult result = audit::Repair(store.engine(), before, store.recall());
    ASSERT_TRUE(result.done) << result.failure.toStdString();
    EXPECT_EQ(result.rowsChanged, 5);
    EXPECT_EQ(audit::RepairLine(result),
              "Repaired 5 rows in one transaction; the rows as they were are in "
              "C:\\KT\\AuditRecall.txt.");
    expectRows(true);

    // Two recall lines per row, the row as it was before.
    const QStringList recall = *store.sandbox.fs.readLines(store.recall().path);
    const QStringList rowsBefore = {
        "INSERT INTO invt1 VALUES(" + ExpectedItems(false).value("120") + ")",
        "INSERT INTO invt1 VALUES(" + ExpectedItems(false).value("171") + ")",
        "INSERT INTO invt1 VALUES(" + ExpectedItems(false).value("172") + ")",
        "INSERT INTO UPC1 VALUES(" + ExpectedUpcs(false).value("9400000001003") + ")",
        "INSERT INTO UPC1 VALUES(" + ExpectedUpcs(false).value("9400000001454") + ")"};
    ASSERT_EQ(recall.size(), 2 * rowsBefore.size());
    for (int i = 0; i < rowsBefore.size(); ++i) {
        EXPECT_TRUE(QRegularExpression("^\\d\\d/\\d\\d/\\d{4} ANN  quorvane$")
                        .match(recall.at(2 * i))
                        .hasMatch())
            << recall.at(2 * i).toStdString();
        EXPECT_EQ(recall.at(2 * i + 1), rowsBefore.at(i));
    }

    // A second audit finds what was left alone, and nothing more.
    QStringList expected = audit::ReportLines(before);
    expected.removeIf([](const QString& l) { return l.endsWith(" [repair]"); });
    expected.last() = QStringLiteral("12 findings; 0 can be repaired with --repair.");
    EXPECT_EQ(audit::ReportLines(store.audit()), expected);
}

TEST_P(AuditOnEngine, AnInterruptedRepairLeavesEveryRowAsItWas) {
    const audit::AuditReport report = store.audit();
    // A write that fails first, midway and last.
    for (const int failAt : {1, 3, 5}) {
        FailingWriteEngine failing(store.engine(), failAt);
        const audit::RepairResult result = audit::Repair(failing, report, store.recall());
        EXPECT_FALSE(result.done);
        EXPECT_EQ(result.rowsChanged, 0);
        EXPECT_TRUE(result.failure.endsWith(
            " could not be written (Transaction was deadlocked.); every change was rolled back"))
            << result.failure.toStdString();
        EXPECT_EQ(failing.updates, failAt);
        expectRows(false);
    }
    // A row another program changed after the audit read it stops the repair before any write.
    store.run("UPDATE invt1 SET AvgCost = 2.5 WHERE RecordNum = 171");
    const audit::RepairResult stale = audit::Repair(store.engine(), report, store.recall());
    EXPECT_EQ(stale.failure,
              "item 171 #171 has changed since the audit read it; run the audit again");
    EXPECT_EQ(store.rows(store.tables.upc), ExpectedUpcs(false));
    // Once the audit has read the store again, the repair goes through.
    ASSERT_TRUE(audit::Repair(store.engine(), store.audit(), store.recall()).done);
    expectRows(true);
}

INSTANTIATE_TEST_SUITE_P(Engines, AuditOnEngine,
                         ::testing::Values(EngineKind::Embedded, EngineKind::Odbc), EngineName);

// Families made the way the wizard makes them: a case sold by the pack and the single (the
// single made from the pack), a case sold by the single only, and a case with a bottle
// deposit whose pack and single carry it too. The audit finds nothing in them.
TEST(LinkAudit, AStoreMadeByTheWizardHasNoFindings) {
    Sandbox sb;
    DbFixture fx(sb, DbFixture::Options{40});
    ASSERT_TRUE(fx.ok()) << fx.error.toStdString();
    db::RecordLayer& layer = *fx.layer;
    CountrySettings country(sb.services, fx.run);
    ItemLinker linker(fx.run, layer, country);
    CreationLog log(sb.fs, sb.app.programFolder);

    struct Made {
        int rootIndex;
        std::vector<std::pair<ItemKind, std::int16_t>> items;
        QString deposit;
    };
    const Made made[] = {{3, {{ItemKind::Pack, 12}, {ItemKind::Single, 6}}, {}},
                         {7, {{ItemKind::Single, 24}}, {}},
                         {9, {{ItemKind::Pack, 4}, {ItemKind::Single, 6}}, "10000000"}};
    int upc = 900;
    for (const Made& m : made) {
        const db::InventoryRecord root = DbFixture::Item(m.rootIndex);
        if (!m.deposit.isEmpty()) {
            ASSERT_EQ(linker.SetRootDeposit(root.RecordNum, m.deposit), 1);
        }
        ASSERT_TRUE(layer.GetInventoryByRecordNum(root.RecordNum));
        std::int32_t linked[2] = {0, 0};
        for (const auto& [kind, quantity] : m.items) {
            const auto created = linker.CreateItem(quantity, kind, false, log);
            ASSERT_TRUE(created);
            LinkedItemInput in;
            in.vendorId = layer.Inventory.ItemID.trimmed();
            in.description = QStringLiteral("LINKED %1").arg(created->recordNum);
            in.upc = DbFixture::UpcCode(upc++);
            in.price = QStringLiteral("1.00");
            in.quantity = QString::number(quantity);
            in.depositSl = m.deposit;
            ASSERT_TRUE(linker.SaveLinkedItem(in, false));
            linked[kind == ItemKind::Pack ? 0 : 1] = created->recordNum;
        }
        ASSERT_TRUE(linker.LinkRoot(root.SL.str(), linked[0], linked[1]));
    }

    db::DbError e;
    const auto report = audit::Audit(*layer.engine(), {"invt1", "UPC1"}, e);
    ASSERT_TRUE(report) << e.description.toStdString();
    EXPECT_EQ(report->families, 3);
    EXPECT_EQ(audit::ReportLines(*report),
              QStringList({"Audit of invt1 (45 items) and UPC1 (45 UPC rows): 3 families.",
                           "No findings."}));
}

}  // namespace
}  // namespace qv::test
