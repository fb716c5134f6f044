// Another workstation on the same store, for the tests of stations that work on one store at
// once. It starts the way the program does (the data folder "C:\KT" under the drive root it is
// given, the database "VOR") and then, by its first word:
//
//   families <count> <station digit> <root record number> <longest pause in ms>
//       makes <count> families from the root, a pack and a single each, through the wizard's
//       own create and save, as fast as it can but for a pause of 0 up to the longest between
//       making an item and saving it, where a clerk types; prints "ITEM|record number|S/L|UPC|link"
//       for every item saved and "DONE|saved|renumbered|S/L changed|busy asked|not saved" at
//       the end. Exit code 0 when every item was saved.
//   kill-after <statement start> <root record number>
//       makes one family as above, but the process kills itself (SIGKILL) right after the first
//       statement that begins with the given text has run, as a power cut or a killed task
//       would stop it.
//   hold <IMMEDIATE|EXCLUSIVE>
//       takes the database's write lock (IMMEDIATE: others still read; EXCLUSIVE: nobody
//       else reads either), prints "locked", waits for a line on its input, lets go, prints
//       "released" and ends.
//
// Usage: store_station <drive root> <program folder> <mode> <arguments...>

#include "db/connection.h"
#include "platform/file_system.h"
#include "platform/services.h"
#include "settings/country_settings.h"
#include "settings/ini_services.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/support/forwarding_engine.h"
#include "tests/support/memory_settings.h"
#include "wizard/creation_log.h"
#include "wizard/item_linker.h"

#include <sqlite3.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

using namespace qv;

// Nobody answers here: a box is printed and taken as closed.
class PrintedBoxes final : public MessageBoxes {
public:
    BoxAnswer show(int style, const QString& title, const QString& text) override {
        std::fprintf(stderr, "box: [%s] %s\n", qPrintable(title), qPrintable(text));
        return DismissAnswer(style);
    }
};

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

struct Station {
    Station(const QString& driveRoot, const QString& programFolder,
            db::RecordLayer::EngineFactory engines = {})
        : fs(PathResolver(driveRoot)),
          services{boxes, settings, fs, AppInfo{}},
          ini(fs, boxes),
          country(services, run) {
        services.app.exeName = QStringLiteral("store_station");
        services.app.programFolder = programFolder;
        services.app.computerName = QStringLiteral("TILL2");
        settings.saveSetting(QStringLiteral("VOR Settings"), QStringLiteral("DATABASE"),
                             QStringLiteral("DBName"), QStringLiteral("VOR"));
        run.DataPath = QStringLiteral("C:\\KT");
        ini.File_Name(run.DataPath + QStringLiteral("\\VOR.INI"));
        layer =
            std::make_unique<db::RecordLayer>(services, run, ini, run.DataPath, std::move(engines));
    }

    bool start() { return layer->OpenAllTables() && layer->OpenDataTables(); }

    PrintedBoxes boxes;
    test::MemorySettings settings;
    LocalFileSystem fs;
    Services services;
    RunValues run;
    clsINI_Services ini;
    CountrySettings country;
    std::unique_ptr<db::RecordLayer> layer;
};

LinkedItemInput inputFor(int station, int serial, ItemKind kind) {
    LinkedItemInput in;
    const QChar mark = kind == ItemKind::Pack ? u'P' : u'I';
    in.vendorId = QStringLiteral("ST%1%2%3").arg(station).arg(mark).arg(serial);
    in.description = QStringLiteral("STATION %1 ITEM %2").arg(station).arg(serial);
    in.upc = QStringLiteral("9%1%2").arg(station).arg(serial, 11, 10, QLatin1Char('0'));
    in.price = QStringLiteral("1.50");
    in.quantity = kind == ItemKind::Pack ? QStringLiteral("12") : QStringLiteral("6");
    in.uomEntry = QStringLiteral("EA   - Each");
    return in;
}

void printItem(const db::InventoryRecord& r, const QString& upc) {
    std::printf("ITEM|%d|%s|%s|%s\n", r.RecordNum, qPrintable(r.SL.str()), qPrintable(upc),
                qPrintable(r.LinkBreakPack.str()));
}

int families(Station& s, int count, int station, std::int32_t root, int longestPauseMs) {
    QRandomGenerator pauses(static_cast<quint32>(station));
    int busyAsked = 0;
    s.layer->SetBusyPrompt([&busyAsked](const db::DbError&) { return ++busyAsked < 100; });
    ItemLinker linker(s.run, *s.layer, s.country);
    CreationLog log(s.fs, s.services.app.programFolder);
    int saved = 0;
    int renumbered = 0;
    int slChanged = 0;
    int notSaved = 0;
    for (int family = 0; family < count; ++family) {
        if (!s.layer->GetInventoryByRecordNum(root)) {
            ++notSaved;
            continue;
        }
        // The pack from the root, then the single from the pack as saved.
        for (const ItemKind kind : {ItemKind::Pack, ItemKind::Single}) {
            const LinkedItemInput in =
                inputFor(station, 2 * family + (kind == ItemKind::Pack ? 0 : 1), kind);
            log.open();
            const std::int16_t quantity = kind == ItemKind::Pack ? 12 : 6;
            SaveResult result;
            if (linker.CreateItem(quantity, kind, false, log)) {
                QThread::msleep(pauses.bounded(static_cast<quint32>(longestPauseMs) + 1));
                if (linker.VendorIdFree(in.vendorId)) {
                    result = linker.SaveLinkedItem(in, false);
                }
            }
            if (!result) {
                ++notSaved;
                std::fprintf(stderr, "not saved: %s\n", qPrintable(result.error.description));
                break;
            }
            ++saved;
            renumbered += result.renumbered;
            slChanged += result.takenSl.isEmpty() ? 0 : 1;
            printItem(s.layer->Inventory, in.upc);
        }
    }
    std::printf("DONE|%d|%d|%d|%d|%d\n", saved, renumbered, slChanged, busyAsked, notSaved);
    return notSaved == 0 ? 0 : 1;
}

int hold(const QString& file, const QString& lock) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK ||
        sqlite3_exec(db, ("BEGIN " + lock.toStdString()).c_str(), nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
        std::fprintf(stderr, "cannot lock: %s\n", sqlite3_errmsg(db));
        sqlite3_close(db);
        return 2;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::printf("released\n");
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: store_station <drive root> <program folder> <mode> ...\n");
        return 2;
    }
    const QString driveRoot = args[1];
    const QString mode = args[3];
    if (mode == u"hold") {
        return hold(QDir(driveRoot).filePath(QStringLiteral("C/KT/VOR.sqlite")), args[4]);
    }
    db::RecordLayer::EngineFactory engines;
    const bool kill = mode == u"kill-after" && args.size() >= 6;
    if (kill) {
        engines = [after = args[4]](const QString& folder) {
            return std::make_unique<KillingEngine>(folder, after);
        };
    }
    Station station(driveRoot, args[2], std::move(engines));
    if (!station.start()) {
        std::fprintf(stderr, "the store did not open: %s\n",
                     qPrintable(station.layer->LastError().description));
        return 2;
    }
    if (kill) {
        return families(station, 1, 9, args[5].toInt(), 0);
    }
    if (mode == u"families" && args.size() >= 8) {
        return families(station, args[4].toInt(), args[5].toInt(), args[6].toInt(),
                        args[7].toInt());
    }
    std::fprintf(stderr, "unknown mode or arguments: %s\n", qPrintable(args.join(u' ')));
    return 2;
}
