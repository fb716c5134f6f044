// Several stations on one store: two programs making families at once, and a store that fails
// under the save (read-only, full, the program killed half-way). The save that meets another
// station's number or code, and a store another program holds, are main_form.steps scenarios.

#include "tests/sql/engine_test_support.h"
#include "tests/support/fault_vfs.h"
#include "tests/wizard/wizard_world.h"
#include "wizard/creation_log.h"
#include "wizard/item_linker.h"

#include <QProcess>

#include <iostream>

namespace qv::test {
namespace {

// Another program on the world's store: "store_station <sandbox root> <arguments...>".
std::unique_ptr<QProcess> Station(WizardWorld& w, const QStringList& arguments) {
    auto p = std::make_unique<QProcess>();
    p->start(QStringLiteral(QV_STORE_STATION), QStringList{w.sb.root()} + arguments);
    EXPECT_TRUE(p->waitForStarted(10000)) << p->errorString().toStdString();
    return p;
}

// What a plain SQLite reading of the store gives, rows joined by blanks.
QString StoreRead(WizardWorld& w, const char* select) {
    return db::enginetest::ReadSqliteFile(w.sb.native("C:\\KT\\VOR.sqlite"), select).join(u' ');
}

TEST(TwoStations, TwoProgramsMakingFamiliesAtOnceLoseAndDuplicateNothing) {
    WizardWorld w;
    const std::int64_t rowsBefore = w.inventoryCount();
    // Up to 3 ms between making an item and saving it, where a clerk types: without a pause
    // the two programs mostly take turns at the store's lock and seldom make the same number.
    std::unique_ptr<QProcess> stations[] = {Station(w, {"families", "200", "1", "100", "3"}),
                                            Station(w, {"families", "200", "2", "100", "3"})};
    for (const auto& station : stations) {
        ASSERT_TRUE(station->waitForFinished(120000)) << "a station did not finish in time";
        EXPECT_EQ(station->exitCode(), 0) << station->readAllStandardError().toStdString();
        std::cout << "[ figures  ] " << station->readAllStandardOutput().trimmed().toStdString()
                  << " (DONE|saved|renumbered|S/L changed|busy asked|not saved)\n";
    }
    EXPECT_EQ(w.inventoryCount(), rowsBefore + 800);
    // The 800 new items; record numbers, S/L codes, item codes and UPCs repeated; UPC rows
    // that name no item of their S/L code; new items without exactly one UPC row; singles that
    // do not link to their own family's pack.
    EXPECT_EQ(StoreRead(w,
                        "SELECT (SELECT count(*) FROM invt1 WHERE ItemID GLOB 'ST[12][PI]*'), "
                        "(SELECT 3 * count(*) - count(DISTINCT RecordNum) - count(DISTINCT SL) - "
                        "count(DISTINCT ItemID) FROM invt1) + (SELECT count(*) - count(DISTINCT "
                        "UPC) FROM UPC1), (SELECT count(*) FROM UPC1 u WHERE NOT EXISTS (SELECT "
                        "1 FROM invt1 i WHERE i.RecordNum = u.InvUID AND i.SL = u.SL)), (SELECT "
                        "count(*) FROM invt1 i WHERE i.ItemID GLOB 'ST[12][PI]*' AND (SELECT "
                        "count(*) FROM UPC1 u WHERE u.InvUID = i.RecordNum) <> 1), (SELECT "
                        "count(*) FROM invt1 s WHERE s.ItemID GLOB 'ST[12]I*' AND NOT EXISTS "
                        "(SELECT 1 FROM invt1 p WHERE p.SL = s.LinkBreakPack AND rtrim(p.ItemID) "
                        "= 'ST' || substr(s.ItemID, 3, 1) || 'P' || rtrim(substr(s.ItemID, 5))))"),
              "800|0|0|0|0");
}

// --- a store that fails under the save -----------------------------------------------------

// A pack of the root made in a record layer of the world's store, as the wizard makes it, and
// what the user typed for it.
LinkedItemInput CreatePack(WizardWorld& w, db::RecordLayer& layer) {
    CreationLog log(w.sb.fs, w.sb.app.programFolder);
    EXPECT_TRUE(layer.GetInventoryByRecordNum(WizardWorld::kRootRecordNum));
    const auto created =
        ItemLinker(w.run(), layer, w.country).CreateItem(12, ItemKind::Pack, false, log);
    EXPECT_TRUE(created && created->sl == "5000002 ");
    LinkedItemInput in;
    in.vendorId = QStringLiteral("*CASE-LAGER");
    in.description = QStringLiteral("HARBOUR LAGER 6 X 330ML");
    in.upc = QStringLiteral("9412345000026");
    in.price = QStringLiteral("12.99");
    in.quantity = QStringLiteral("12");
    return in;
}

TEST(StoreFaults, AReadOnlyStoreFileOrFolderRefusesTheSaveSaysWhyAndIsLeftAsItWas) {
    FaultVfs vfs;  // first made, last gone: every connection of the test is closed before it
    WizardWorld w;
    vfs.watchedFolder = w.sb.native(QStringLiteral("C:\\KT"));
    const QStringList before = w.storeRows();
    for (bool* readOnly : {&vfs.readOnlyFile, &vfs.readOnlyFolder}) {
        *readOnly = true;
        {
            auto layer = w.fx.makeLayer();  // a program started on the store as it is now
            ASSERT_TRUE(layer->OpenAllTables() && layer->OpenDataTables());
            const SaveResult saved =
                ItemLinker(w.run(), *layer, w.country).SaveLinkedItem(CreatePack(w, *layer), false);
            EXPECT_EQ(saved.outcome, SaveResult::Outcome::Refused);
            EXPECT_EQ(NotSavedText(saved.error),
                      "Record not saved\r\nThe store database cannot be written to: its file or "
                      "its folder is read-only.");
        }
        *readOnly = false;
        EXPECT_EQ(w.storeRows(), before);
    }
    EXPECT_EQ(StoreRead(w, "PRAGMA integrity_check"), "ok");
}

TEST(StoreFaults, TheDiskFillingAtAnyPointOfTheSaveWritesAllOrNothing) {
    FaultVfs vfs;
    WizardWorld w;
    vfs.watchedFolder = w.sb.native(QStringLiteral("C:\\KT"));
    const QStringList before = w.storeRows();
    const LinkedItemInput in = CreatePack(w, w.layer());
    ItemLinker linker(w.run(), w.layer(), w.country);
    // Room for ever more bytes, until the whole save fits: every try before that fails at
    // another write (the UPC row, the item, their indexes, the commit).
    int refused = 0;
    std::int64_t room = 0;
    for (; room <= 400000; room += 4096, ++refused) {
        vfs.spaceLeft = room;
        const int fullBefore = vfs.fullWrites;
        const SaveResult saved = linker.SaveLinkedItem(in, false);
        vfs.spaceLeft = FaultVfs::kUnlimited;
        if (saved) {
            break;
        }
        EXPECT_EQ(NotSavedText(saved.error),
                  "Record not saved\r\nThe disk that holds the store database is full.");
        EXPECT_GT(vfs.fullWrites, fullBefore) << room;
        ASSERT_EQ(w.storeRows(), before) << "half-written with room for " << room << " bytes";
    }
    EXPECT_GT(refused, 3);
    EXPECT_TRUE(w.linkedRows().contains("UPC SL=5000002 | UPC=9412345000026 | POLL=Y | InvUID=101"))
        << "the save never fitted";
    EXPECT_EQ(StoreRead(w, "PRAGMA integrity_check"), "ok");
    std::cout << "[ figures  ] disk full at " << refused << " points of the save, each refused "
              << "with nothing written; saved with " << room << " bytes free\n";
}

TEST(StoreFaults, AProgramKilledInTheMiddleOfTheSaveLeavesNeitherRow) {
    for (const char* killedAfter : {"INSERT INTO UPC", "INSERT INTO invt"}) {
        WizardWorld w;
        const QStringList before = w.storeRows();
        const auto station = Station(w, {"kill-after", killedAfter, "100"});
        ASSERT_TRUE(station->waitForFinished(30000));
        EXPECT_EQ(station->exitStatus(), QProcess::CrashExit) << killedAfter;
        EXPECT_EQ(station->readAllStandardOutput(),
                  "killed after " + QByteArray(killedAfter) + '\n');
        auto next = w.fx.makeLayer();  // the next start
        EXPECT_TRUE(next->OpenAllTables() && next->OpenDataTables()) << killedAfter;
        EXPECT_TRUE(w.sb.boxes.shown().empty()) << killedAfter;
        next.reset();
        EXPECT_EQ(w.storeRows(), before) << killedAfter;
        EXPECT_EQ(StoreRead(w, "PRAGMA integrity_check"), "ok") << killedAfter;
    }
}

}  // namespace
}  // namespace qv::test
