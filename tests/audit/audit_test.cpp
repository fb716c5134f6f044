// The audit of linked items on both engines: a store seeded with one family per finding, its
// report, the repair and what the audit finds after it (seeded_store.txt), a repair stopped by
// a failing write or by a row changed meanwhile, and the command line with its exit codes.
// The wizard's own stores are audited in the wizard tests: they have no findings.

#include "audit/link_audit.h"
#include "startup/audit_command.h"
#include "tests/sql/engine_test_support.h"
#include "tests/support/data_files.h"
#include "tests/support/db_fixture.h"
#include "tests/support/record_text.h"

#include <QJsonDocument>
#include <QRegularExpression>

namespace qv::test {
namespace {

enum class EngineKind { Embedded, Odbc };

// A store of either engine (the embedded one, or the ODBC engine through unixODBC and the
// SQLite ODBC driver) with the tables "invt1" and "UPC1".
class AuditStore {
public:
    explicit AuditStore(EngineKind kind) {
        if (kind == EngineKind::Embedded) {
            fixture_ = std::make_unique<DbFixture>(sandbox);
            EXPECT_TRUE(fixture_->ok()) << fixture_->error.toStdString();
            file = sandbox.native(QStringLiteral("C:\\KT\\VOR.sqlite"));
            return;
        }
        file = sandbox.makeDir(QStringLiteral("C:\\KT")) + QStringLiteral("/VOR.db");
        odbc_ = db::enginetest::ConnectOdbc(db::enginetest::SqliteOdbcConnectionString(file));
        run(db::inventory::CreateStatement(tables.inventory));
        run(db::upc::CreateStatement(tables.upc));
    }

    db::Engine& engine() { return odbc_ ? *odbc_ : *fixture_->layer->engine(); }
    void run(const QString& sql) { db::enginetest::Exec(engine(), sql); }

    void seed() {
        for (const Case& c : Cases("audit/seeded_store.cases")) {
            const QString fields = c.from(1).join(QStringLiteral(" | "));
            if (c.text(0) == u"invt") {
                db::InventoryRecord r = Inventory("LocFront=A1 | LocBack=B1 | Poll=Y | " + fields);
                r.Cost = r.AvgCost;
                run("INSERT INTO invt1 VALUES(" + *db::inventory::RecordValues(r) + ")");
            } else {
                db::UpcRecord u = Upc("POLL=Y | " + fields);
                run("INSERT INTO UPC1 VALUES(" + db::upc::RecordValues(u) + ")");
            }
        }
    }

    // Every row of both tables as field texts, one a line.
    QStringList rows() {
        QStringList out;
        for (auto rs = db::enginetest::Open(engine(), "SELECT * FROM invt1 ORDER BY RecordNum");
             rs && !rs->eof(); rs->moveNext()) {
            db::InventoryRecord r;
            db::RowToFields(*rs, r.fields());
            out << RecordText(r);
        }
        for (auto rs = db::enginetest::Open(engine(), "SELECT * FROM UPC1 ORDER BY UPC");
             rs && !rs->eof(); rs->moveNext()) {
            db::UpcRecord u;
            db::RowToFields(*rs, u.fields());
            out << QStringLiteral("UPC ") + RecordText(u);
        }
        return out;
    }

    audit::AuditReport audit() {
        db::DbError e;
        const std::optional<audit::AuditReport> report = audit::Audit(engine(), tables, e);
        EXPECT_TRUE(report) << e.description.toStdString();
        return report.value_or(audit::AuditReport());
    }
    audit::RepairResult repair(const audit::AuditReport& report,
                               const QString& recall = QStringLiteral("AuditRecall.txt")) {
        return audit::Repair(engine(), report,
                             {sandbox.fs, "C:\\KT\\" + recall, "ANN", QStringLiteral("quorvane")});
    }
    // The recall file's lines, dates left out.
    QString recallLines() {
        QString out;
        const QStringList lines =
            sandbox.fs.readLines("C:\\KT\\AuditRecall.txt").value_or(QStringList());
        for (const QString& line : lines) {
            out += QString(line).replace(QRegularExpression("^\\d\\d/\\d\\d/\\d{4} "), "<date> ") +
                   u'\n';
        }
        return out;
    }

    Sandbox sandbox;
    const audit::StoreTables tables{QStringLiteral("invt1"), QStringLiteral("UPC1")};
    QString file;  // the database file

private:
    std::unique_ptr<DbFixture> fixture_;
    std::unique_ptr<db::OdbcEngine> odbc_;
};

class AuditOnEngine : public ::testing::TestWithParam<EngineKind> {
protected:
    void SetUp() override {
        store.seed();
        seeded = store.rows();
        ASSERT_EQ(seeded.size(), 35);
    }
    AuditStore store{GetParam()};
    QStringList seeded;
};

// The report and its JSON, the repair's outcome with the rows as they were (the recall lines)
// and as they are now, and the second audit, which finds only what the repair left alone.
TEST_P(AuditOnEngine, TheSeededStoreIsReportedAndRepairedAsTheGoldenTextSays) {
    const audit::AuditReport report = store.audit();
    const audit::RepairResult result = store.repair(report);
    EXPECT_TRUE(result.done) << result.failure.toStdString();
    QString out = audit::ReportLines(report).join(u'\n') + QStringLiteral("\n--- JSON\n") +
                  QString::fromUtf8(QJsonDocument(audit::ReportJson(report, &result)).toJson()) +
                  QStringLiteral("--- repair\n") + audit::RepairLine(result) +
                  QStringLiteral("\n--- recall lines\n") + store.recallLines() +
                  QStringLiteral("--- rows changed\n");
    for (const QString& row : store.rows()) {
        out += seeded.contains(row) ? QString() : row + u'\n';
    }
    out += QStringLiteral("--- audit again\n") + audit::ReportLines(store.audit()).join(u'\n');
    ExpectGolden("audit/seeded_store.txt", out + u'\n');
}

TEST_P(AuditOnEngine, AnInterruptedOrOutdatedRepairLeavesEveryRowAsItWas) {
    const audit::AuditReport report = store.audit();
    // A write that fails first, midway and last; the rows written before it go back.
    for (const char* failing : {"invt1 WHEN OLD.RecordNum = 120", "invt1 WHEN OLD.RecordNum = 172",
                                "UPC1 WHEN rtrim(OLD.UPC) = '9400000001457'"}) {
        db::enginetest::ReadSqliteFile(store.file,
                                       QStringLiteral("CREATE TRIGGER fail BEFORE UPDATE ON ") +
                                           failing +
                                           " BEGIN SELECT RAISE(ABORT, 'deadlocked'); END",
                                       true);
        const audit::RepairResult result = store.repair(report, "Interrupted.txt");
        db::enginetest::ReadSqliteFile(store.file, "DROP TRIGGER fail", true);
        EXPECT_FALSE(result.done);
        EXPECT_EQ(result.rowsChanged, 0);
        EXPECT_TRUE(result.failure.contains(" could not be written (") &&
                    result.failure.endsWith("); every change was rolled back"))
            << result.failure.toStdString();
        EXPECT_EQ(store.rows(), seeded) << failing;
    }
    // A row another program changed after the audit read it stops the repair before any write.
    store.run("UPDATE invt1 SET AvgCost = 2.5 WHERE RecordNum = 171");
    const QStringList changed = store.rows();
    EXPECT_EQ(store.repair(report).failure,
              "item 171 #171 has changed since the audit read it; run the audit again");
    EXPECT_EQ(store.rows(), changed);
    // Once the audit has read the store again, the repair goes through.
    EXPECT_EQ(store.repair(store.audit()).rowsChanged, 5);
}

INSTANTIATE_TEST_SUITE_P(Engines, AuditOnEngine,
                         ::testing::Values(EngineKind::Embedded, EngineKind::Odbc),
                         [](const auto& info) {
                             return info.param == EngineKind::Embedded ? "Embedded" : "Odbc";
                         });

// The command runs of command.cases in order on one embedded store, started the way the
// program starts (settings, data folder, database); command.txt holds each run's exit code
// and what it printed. The command shows no message box.
TEST(AuditCommand, ExitCodesAndWhatIsPrinted) {
    AuditStore store(EngineKind::Embedded);
    Sandbox& sb = store.sandbox;
    const auto set = [&sb](const QString& key, const QString& value) {
        sb.settings.saveSetting("VOR Settings", "DATABASE", key, value);
    };
    set("DATAPATH", "C:\\KT");
    set("STATION", "1");
    set("NETWORK", "False");
    QString out;
    for (const Case& c : Cases("audit/command.cases")) {
        if (c.text(1) == u"SEED") {
            store.seed();
        } else if (c.has(1)) {
            set(c.text(1).section(u'=', 0, 0), c.text(1).section(u'=', 1));
        }
        QString printed;
        QString errors;
        QTextStream stdOut(&printed);
        QTextStream stdErr(&errors);
        const int exit = RunAuditCommand(sb.settings, sb.fs, sb.app,
                                         QStringList{"quorvane"} + c.list(2, u' '), stdOut, stdErr);
        out += QStringLiteral("=== %1: %2\nexit %3\n%4")
                   .arg(c.text(0), c.text(2), QString::number(exit), printed) +
               (errors.isEmpty() ? QString() : QStringLiteral("error: ") + errors);
    }
    EXPECT_TRUE(sb.boxes.shown().empty());
    ExpectGolden("audit/command.txt",
                 out + QStringLiteral("=== recall lines\n") + store.recallLines());
}

}  // namespace
}  // namespace qv::test
