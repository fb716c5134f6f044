// Another workstation on a test's store, for the tests of stations at work on one store at
// once. It starts on the drives of the test's sandbox as the program does (the data folder
// "C:\KT", the database "VOR", a program folder of its own) and then, by its mode:
//
//   families <count> <station digit> <root record number> <longest pause in ms>
//       makes <count> families from the root, a pack and a single each, through the wizard's
//       own create and save, as fast as it can but for a pause of 0 up to the longest between
//       making an item and saving it, where a clerk types; item codes "ST<digit>P<n>" and
//       "ST<digit>I<n>". Prints "DONE|saved|renumbered|S/L changed|busy asked|not saved" at the
//       end; exit code 0 when every item was saved.
//   kill-after <statement start> <root record number>
//       makes one family as above, but the process kills itself (SIGKILL) right after the
//       first statement that begins with the given text has run, as a power cut would stop it.
//
// Usage: store_station <sandbox root> <mode> <arguments...>

#include "db/connection.h"
#include "settings/country_settings.h"
#include "tests/support/db_fixture.h"
#include "tests/support/forwarding_engine.h"
#include "wizard/creation_log.h"
#include "wizard/item_linker.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <cstdio>

namespace {

using namespace qv;

// The embedded engine, ended by SIGKILL right after a statement of the given start has run.
class KillingEngine final : public test::ForwardingEngine {
public:
    KillingEngine(const QString& folder, QString after)
        : ForwardingEngine(db::MakeEmbeddedEngine(folder)), after_(std::move(after)) {}

    std::optional<std::int64_t> execute(const QString& sql, db::DbError& e) override {
        const std::optional<std::int64_t> rows = ForwardingEngine::execute(sql, e);
        if (rows && sql.startsWith(after_, Qt::CaseInsensitive)) {
            std::printf("killed after %s\n", qPrintable(after_));
            std::fflush(stdout);
            std::raise(SIGKILL);
        }
        return rows;
    }

private:
    QString after_;
};

int families(test::DbFixture& fx, int count, int station, std::int32_t root, int longestPauseMs) {
    QRandomGenerator pauses(static_cast<quint32>(station));
    db::RecordLayer& layer = *fx.layer;
    int busyAsked = 0;
    layer.SetBusyPrompt([&busyAsked](const db::DbError&) { return ++busyAsked < 100; });
    CountrySettings country(fx.sandbox.services, fx.run);
    ItemLinker linker(fx.run, layer, country);
    CreationLog log(fx.sandbox.fs, fx.sandbox.services.app.programFolder);
    int counts[4] = {0, 0, 0, 0};  // saved, renumbered, S/L changed, not saved
    for (int n = 0; n < 2 * count && layer.GetInventoryByRecordNum(root); n += 2) {
        // The pack from the root, then the single from the pack as saved.
        for (const ItemKind kind : {ItemKind::Pack, ItemKind::Single}) {
            const bool pack = kind == ItemKind::Pack;
            LinkedItemInput in;
            in.vendorId =
                QStringLiteral("ST%1%2%3").arg(station).arg(QChar(pack ? u'P' : u'I')).arg(n);
            in.description = QStringLiteral("STATION %1 ITEM %2").arg(station).arg(n);
            in.upc = test::DbFixture::UpcCode(station * 1000000 + n + (pack ? 0 : 1));
            in.price = QStringLiteral("1.50");
            in.quantity = pack ? QStringLiteral("12") : QStringLiteral("6");
            in.uomEntry = QStringLiteral("EA   - Each");
            log.open();
            SaveResult result;
            if (linker.CreateItem(pack ? 12 : 6, kind, false, log)) {
                QThread::msleep(pauses.bounded(static_cast<quint32>(longestPauseMs) + 1));
                if (linker.VendorIdFree(in.vendorId)) {
                    result = linker.SaveLinkedItem(in, false);
                }
            }
            if (!result) {
                std::fprintf(stderr, "not saved: %s\n", qPrintable(result.error.description));
                ++counts[3];
                break;
            }
            ++counts[0];
            counts[1] += result.renumbered;
            counts[2] += result.takenSl.isEmpty() ? 0 : 1;
        }
    }
    std::printf("DONE|%d|%d|%d|%d|%d\n", counts[0], counts[1], counts[2], busyAsked, counts[3]);
    return counts[0] == 2 * count ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    test::Sandbox sb(args.value(1));
    sb.boxes.answerUnexpected = true;
    test::DbFixture::Options options;
    options.create = options.openLayer = false;
    test::DbFixture fx(sb, options);
    const bool kill = args.value(2) == u"kill-after";
    fx.layer = fx.makeLayer([kill, after = args.value(3)](const QString& folder) {
        return kill ? std::make_unique<KillingEngine>(folder, after)
                    : db::MakeEmbeddedEngine(folder);
    });
    if (!fx.layer->OpenAllTables() || !fx.layer->OpenDataTables()) {
        std::fprintf(stderr, "the store did not open: %s\n", qPrintable(sb.boxes.transcript()));
        return 2;
    }
    if (kill) {
        return families(fx, 1, 9, args.value(4).toInt(), 0);
    }
    return families(fx, args.value(3).toInt(), args.value(4).toInt(), args.value(5).toInt(),
                    args.value(6).toInt());
}
