#include "startup/audit_command.h"
#include "tests/audit/audit_world.h"
#include "tests/support/qt_print.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace qv::test {
namespace {

struct Output {
    int exit = -1;
    QString out;
    QString err;
};

class AuditCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(store.ok());
        for (const auto& [key, value] :
             {std::pair{"DATAPATH", "C:\\KT"}, {"STATION", "1"}, {"NETWORK", "False"}}) {
            setting(key, value);
        }
    }
    void setting(const char* key, const char* value) {
        store.sandbox.settings.saveSetting("VOR Settings", "DATABASE", key, value);
    }
    Output run(QStringList args) {
        args.prepend("quorvane");
        Output r;
        QTextStream out(&r.out);
        QTextStream err(&r.err);
        Sandbox& sb = store.sandbox;
        r.exit = RunAuditCommand(sb.settings, sb.fs, sb.app, args, out, err);
        EXPECT_TRUE(sb.boxes.shown().empty()) << "the audit showed a message box";
        return r;
    }
    AuditStore store{EngineKind::Embedded};
};

TEST_F(AuditCommandTest, ExitCodesAndWhatIsPrinted) {
    const QString noStore = QStringLiteral("quorvane --audit: could not open the store: ");
    struct Case {
        const char* name;
        std::pair<const char*, const char*> setting;  // changed first ("SEED": seed the store)
        QStringList args;
        int exit;
        QString out;  // the whole output, or its last line after "..."
        QString err;  // the start of the error output
    };
    const Case cases[] = {
        {"empty store",
         {},
         {"--audit"},
         kAuditClean,
         "Audit of invt1 (0 items) and UPC1 (0 UPC rows): 0 families.\nNo findings.\n",
         ""},
        {"seeded store",
         {"SEED", ""},
         {"--audit"},
         kAuditFindings,
         "...19 findings; 7 can be repaired with --repair.",
         ""},
        {"repair",
         {},
         {"--audit", "--repair", "USERID=ANN"},
         kAuditFindings,
         "...Repaired 5 rows in one transaction; the rows as they were are in "
         "C:\\KT\\AuditRecall.txt.",
         ""},
        {"after the repair",
         {},
         {"--audit"},
         kAuditFindings,
         "...12 findings; 0 can be repaired with --repair.",
         ""},
        {"unknown option",
         {},
         {"--audit", "--fix"},
         kAuditNoStore,
         "",
         "quorvane --audit: unknown option \"--fix\" (use --audit, --json, --repair)\n"},
        {"no such database",
         {"DBName", "NOPE"},
         {"--audit"},
         kAuditNoStore,
         "",
         noStore + "the database \"NOPE\" or its Common table could not be opened (Quorvane: "
                   "Database not found."},
        {"no data folder",
         {"DATAPATH", ""},
         {"--audit", "--json"},
         kAuditNoStore,
         "",
         noStore + "no data folder is set up or it cannot be reached\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.setting.first && QLatin1String(c.setting.first) == "SEED") {
            store.seed();
        } else if (c.setting.first) {
            setting(c.setting.first, c.setting.second);
        }
        const Output r = run(c.args);
        EXPECT_EQ(r.exit, c.exit);
        if (c.out.startsWith("...")) {
            EXPECT_TRUE(r.out.endsWith(c.out.mid(3) + u'\n')) << r.out.toStdString();
        } else {
            EXPECT_EQ(r.out, c.out);
        }
        EXPECT_TRUE(c.err.isEmpty() ? r.err.isEmpty() : r.err.startsWith(c.err))
            << r.err.toStdString();
    }
    EXPECT_TRUE(store.sandbox.readFile("C:\\KT\\AuditRecall.txt").contains(" ANN  "));
}

TEST_F(AuditCommandTest, JsonCarriesTheFindingsAndTheRepair) {
    store.seed();
    const Output r = run({"--audit", "--repair", "--json"});
    EXPECT_EQ(r.exit, kAuditFindings);
    const QJsonObject json = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(json.value("findings").toArray().size(), 19);
    EXPECT_EQ(json.value("repair").toObject().value("rowsChanged").toInt(), 5);
}

}  // namespace
}  // namespace qv::test
