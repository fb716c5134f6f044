// Several stations on one store: items created at the same moment elsewhere, a store database
// that another program holds, and one that fails under the save (read-only, full, killed).

#include "db/connection.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/sql/engine_test_support.h"
#include "tests/support/fault_vfs.h"
#include "tests/wizard/station_process.h"
#include "tests/wizard/wizard_world.h"
#include "wizard/creation_log.h"
#include "wizard/item_linker.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <functional>
#include <iostream>
#include <set>

namespace qv::test {
namespace {

// An item a station says it saved: "ITEM|record number|S/L|UPC|link".
struct SavedItem {
    std::int32_t recordNum = 0;
    QString sl;
    QString upc;
    QString link;
};

std::vector<SavedItem> itemLines(const QStringList& lines) {
    std::vector<SavedItem> items;
    for (const QString& line : lines) {
        const QStringList f = line.split(u'|');
        if (f.size() == 5 && f[0] == u"ITEM") {
            items.push_back({f[1].toInt(), f[2], f[3], f[4]});
        }
    }
    return items;
}

// What a plain SQLite reading of the store gives, rows joined by blanks.
QString storeRead(WizardWorld& w, const char* select) {
    return db::enginetest::ReadSqliteFile(w.sb.native(QStringLiteral("C:\\KT\\VOR.sqlite")),
                                          QString::fromUtf8(select))
        .join(u' ');
}

// --- two programs at full speed ----------------------------------------------------------------

TEST(TwoStations, TwoProgramsMakingFamiliesAtOnceLoseAndDuplicateNothing) {
    constexpr int kFamilies = 200;
    WizardWorld w;
    const std::int64_t rowsBefore = w.inventoryCount();
    // Up to 3 ms between making an item and saving it, where a clerk types: without a pause
    // the two programs mostly take turns at the store's lock and seldom make the same number.
    const auto station = [&](const char* digit) {
        return QStringList{QStringLiteral("families"), QString::number(kFamilies),
                           QString::fromLatin1(digit), QString::number(WizardWorld::kRootRecordNum),
                           QStringLiteral("3")};
    };
    StationProcess one(w.sb, QStringLiteral("1"), station("1"));
    StationProcess two(w.sb, QStringLiteral("2"), station("2"));
    std::set<std::int32_t> numbers;
    for (StationProcess* process : {&one, &two}) {
        ASSERT_TRUE(process->finish(120000)) << "a station did not finish in time";
        const QStringList lines = process->lines();
        EXPECT_EQ(process->exitCode(), 0) << process->errors().toStdString();
        const std::vector<SavedItem> items = itemLines(lines);
        ASSERT_EQ(items.size(), 2u * kFamilies);
        for (std::size_t i = 0; i < items.size(); ++i) {
            // Saved as the station was told; each single links to its pack as saved.
            const std::optional<db::InventoryRecord> row = w.rowByNum(items[i].recordNum);
            ASSERT_TRUE(row.has_value()) << items[i].recordNum;
            EXPECT_EQ(row->SL.str(), items[i].sl);
            EXPECT_TRUE(i % 2 == 0 || items[i].link == items[i - 1].sl) << "family " << i / 2;
            numbers.insert(items[i].recordNum);
        }
        std::cout << "[ figures  ] " << lines.last().toStdString()
                  << " (DONE|saved|renumbered|S/L changed|busy asked|not saved)\n";
    }
    EXPECT_EQ(numbers.size(), 4u * kFamilies);
    EXPECT_EQ(w.inventoryCount(), rowsBefore + 4 * kFamilies);
    EXPECT_EQ(storeRead(w,
                        "SELECT (SELECT 3 * count(*) - count(DISTINCT RecordNum) - count("
                        "DISTINCT SL) - count(DISTINCT ItemID) FROM invt1) + (SELECT count(*) "
                        "- count(DISTINCT UPC) FROM UPC1)"),
              "0");
    // Every UPC row names its item, and every new item has its one UPC row.
    EXPECT_EQ(storeRead(w,
                        "SELECT count(*) FROM UPC1 u WHERE NOT EXISTS (SELECT 1 FROM invt1 "
                        "i WHERE i.RecordNum = u.InvUID AND i.SL = u.SL)"),
              "0");
    EXPECT_EQ(storeRead(w,
                        "SELECT count(*) FROM invt1 i WHERE i.ItemID GLOB 'ST[12][PI]*' AND "
                        "(SELECT count(*) FROM UPC1 u WHERE u.InvUID = i.RecordNum) <> 1"),
              "0");
}

// --- the save when another station took the number or code meanwhile -------------------------

// Makes a pack of the root in the world's own record layer, as the wizard does, and what the
// user typed for it.
LinkedItemInput CreatePack(WizardWorld& w, db::RecordLayer& layer) {
    ItemLinker linker(w.run(), layer, w.country);
    CreationLog log(w.sb.fs, w.sb.app.programFolder);
    EXPECT_TRUE(layer.GetInventoryByRecordNum(WizardWorld::kRootRecordNum));
    const auto created = linker.CreateItem(12, ItemKind::Pack, false, log);
    EXPECT_TRUE(created.has_value());
    EXPECT_EQ(created->recordNum, 101);
    EXPECT_EQ(created->sl, "5000002 ");
    LinkedItemInput in;
    in.vendorId = QStringLiteral("*CASE-LAGER");
    in.description = QStringLiteral("HARBOUR LAGER 6 X 330ML");
    in.upc = QStringLiteral("9412345000026");
    in.price = QStringLiteral("12.99");
    in.quantity = QStringLiteral("12");
    return in;
}

// What another station saved meanwhile: an item of the case with this number and code.
void OtherStationSaves(WizardWorld& w, std::int32_t recordNum, const char* sl,
                       const char* itemId = "OTHER-PACK") {
    db::RecordLayer& other = w.checker();
    other.Inventory = WizardWorld::Root();
    other.Inventory.RecordNum = recordNum;
    other.Inventory.SL = QString::fromLatin1(sl);
    other.Inventory.ItemID = QString::fromLatin1(itemId);
    ASSERT_TRUE(other.RecordOp(db::kInventoryTable, db::op::Insert, 0));
}

TEST(TwoStations, ASaveTakesTheNextFreeNumberOrCodeOnlyWhenAnotherStationTookIt) {
    const struct {
        const char* what;
        std::int32_t otherNum;
        const char* otherSl;
        const char* otherItemId;
        SaveResult::Outcome outcome;
        std::int32_t savedNum;
        const char* savedSl;
        const char* takenSl;
    } cases[] = {
        {"number and code", 101, "5000002 ", "OTHER-PACK", SaveResult::Outcome::Saved, 102,
         "5000003 ", "5000002 "},
        {"number only", 101, "7000001 ", "OTHER-PACK", SaveResult::Outcome::Saved, 102, "5000002 ",
         ""},
        {"code only", 500, "5000002 ", "OTHER-PACK", SaveResult::Outcome::Saved, 101, "5000003 ",
         "5000002 "},
        {"the vendor ID", 600, "8000000 ", "*CASE-LAGER", SaveResult::Outcome::Refused, 0, "", ""},
    };
    for (const auto& c : cases) {
        WizardWorld w;
        const LinkedItemInput in = CreatePack(w, w.layer());
        OtherStationSaves(w, c.otherNum, c.otherSl, c.otherItemId);
        const QStringList before = w.storeRows();
        ItemLinker linker(w.run(), w.layer(), w.country);
        const SaveResult saved = linker.SaveLinkedItem(in, false);
        EXPECT_EQ(saved.outcome, c.outcome) << c.what;
        EXPECT_EQ(saved.takenSl, QString::fromLatin1(c.takenSl)) << c.what;
        if (c.outcome != SaveResult::Outcome::Saved) {
            EXPECT_EQ(saved.error.kind, db::ErrorKind::DuplicateKey) << c.what;
            EXPECT_EQ(NotSavedText(saved.error), "Record not saved") << c.what;
            EXPECT_EQ(w.storeRows(), before) << c.what;
            continue;
        }
        EXPECT_EQ(saved.renumbered, 1) << c.what;
        EXPECT_EQ(saved.recordNum, c.savedNum) << c.what;
        EXPECT_EQ(saved.sl, QString::fromLatin1(c.savedSl)) << c.what;
        // The row and its UPC row both carry the number and code it was saved under.
        const auto row = w.rowByNum(c.savedNum);
        ASSERT_TRUE(row.has_value()) << c.what;
        EXPECT_EQ(row->SL.str(), c.savedSl) << c.what;
        w.expectOneUpc(c.savedNum, in.upc, QString::fromLatin1(c.savedSl));
    }
}

TEST(TwoStations, TheFormSaysWhichCodeThePackGotAndTheSingleAndTheRootFollowIt) {
    WizardWorld w;
    w.startWithRoot();
    w.sb.boxes.expect(QString(), BoxAnswer::No);  // the case UPC is not scanned
    w.script.on("FrmBreakDown", BreakDownStep(true, {true, true, true}))
        .on("FrmPackQty", QuantityStep("Enter Number of Packs in the Case", "12"))
        .on("FrmPackQty", QuantityStep("Enter Number of single items in the Pack", "6"));
    FrmMain f(w.ctx);
    f.FormLoad();
    f.CmdLink(0)->click();
    f.Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f.Text1(3)->setText("9412345000026");
    f.Text1(4)->setText("12.99");
    OtherStationSaves(w, 101, "5000002 ");

    w.sb.boxes.expect(
        "Another station took S/L code 5000002. meanwhile.\r\n"
        "This item was saved as S/L code 5000003. instead.");
    f.CmdLink(2)->click();
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_EQ(w.sb.boxes.shown().back().style, box::Information);
    EXPECT_EQ(f.LblItem(9)->text(), "5000003. ");
    EXPECT_EQ(f.PackRecordNum(), 102);
    w.expectOneUpc(102, "9412345000026", "5000003 ");

    w.sb.boxes.expect(QString(), BoxAnswer::No);
    f.CmdLink(0)->click();  // the single, made from the pack as saved
    EXPECT_EQ(f.LblItem(12)->text(), "5000004. ");
    EXPECT_EQ(f.LblItem(13)->text(), "5000003. ");
    f.Text1(10)->setText("HARBOUR LAGER 330ML");
    f.Text1(7)->setText("2.50");
    f.CmdLink(2)->click();
    f.CmdEsc()->click();
    EXPECT_EQ(w.rowByNum(103)->LinkBreakPack.str(), "5000003 ");
    const auto root = w.rowByNum(WizardWorld::kRootRecordNum);
    EXPECT_EQ(root->QZV1, 102);
    EXPECT_EQ(root->QZV2, 103);
    EXPECT_EQ(w.rowByNum(101)->ItemID.rtrimmed(), "OTHER-PACK");  // the other station's own
}

// --- a store database another program holds ------------------------------------------------

// A record layer as the program starts it (with its Retry/Cancel question) on an engine that
// waits `busyMs` for a lock.
std::unique_ptr<db::RecordLayer> ProgramLayer(WizardWorld& w, int busyMs) {
    db::SqliteEngine::Options options;
    options.busyTimeoutMs = busyMs;
    auto layer = w.fx.makeLayer([options](const QString& folder) -> std::unique_ptr<db::Engine> {
        return std::make_unique<db::SqliteEngine>(folder, options);
    });
    layer->SetBusyPrompt(db::StoreBusyPrompt(w.sb.services));
    return layer;
}

// Another program that holds the store's lock until told to let go.
struct LockHolder {
    LockHolder(Sandbox& sb, const char* lock)
        : process(sb, QStringLiteral("holder"),
                  {QStringLiteral("hold"), QString::fromLatin1(lock)}) {
        EXPECT_EQ(process.nextLine(), "locked") << process.errors().toStdString();
    }
    void letGo() {
        process.say("");
        EXPECT_EQ(process.nextLine(), "released");
    }
    StationProcess process;
};

TEST(StoreBusy, CancelLeavesNothingMadeOrSavedAndRetryGoesOnOnceTheOtherProgramLetsGo) {
    WizardWorld w;
    auto layer = ProgramLayer(w, 200);
    ASSERT_TRUE(layer->OpenAllTables() && layer->OpenDataTables());
    WizardContext ctx = w.contextOver(*layer);
    w.startWithRoot();
    ctx.startRecordNum = WizardWorld::kRootRecordNum;
    w.script.on("FrmBreakDown", BreakDownStep(true, {true, true, false}))
        .on("FrmPackQty", QuantityStep("Enter Number of Packs in the Case", "12"));
    FrmMain f(ctx);
    f.FormLoad();
    {
        LockHolder reading(w.sb, "EXCLUSIVE");  // nobody else may even read
        w.sb.boxes
            .expect(QString(), BoxAnswer::No)  // the case UPC is not scanned
            .expect(db::StoreBusyText(), BoxAnswer::Cancel)
            .expect("The new item could not be made.");
        f.CmdLink(0)->click();
        EXPECT_TRUE(w.sb.boxes.allAnswered());
        EXPECT_EQ(f.WizardStep(), 0);
        reading.letGo();
    }
    QCoreApplication::processEvents();  // the user's next action
    w.sb.boxes.expect(QString(), BoxAnswer::No);
    f.CmdLink(0)->click();
    ASSERT_EQ(f.WizardStep(), 1);
    f.Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f.Text1(3)->setText("9412345000026");
    f.Text1(4)->setText("12.99");
    const QStringList before = w.storeRows();

    LockHolder other(w.sb, "IMMEDIATE");  // others may read, nobody else may write
    w.sb.boxes.clear();
    w.sb.boxes.expect(db::StoreBusyText(), BoxAnswer::Cancel);
    f.CmdLink(2)->click();
    ASSERT_EQ(w.sb.boxes.shown().size(), 1u);  // no "Record not saved" after Cancel
    EXPECT_EQ(w.sb.boxes.shown()[0].style, box::RetryCancel + box::Exclamation);
    EXPECT_TRUE(f.CmdLink(2)->isEnabled());
    EXPECT_EQ(w.storeRows(), before);

    QCoreApplication::processEvents();  // the user's next action
    w.sb.boxes.expect(db::StoreBusyText(), BoxAnswer::Retry, [&] { other.letGo(); });
    f.CmdLink(2)->click();
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_EQ(w.sb.boxes.shown().size(), 2u);
    EXPECT_FALSE(f.CmdLink(2)->isEnabled());
    w.expectOneUpc(101, "9412345000026", "5000002 ");
}

TEST(StoreBusy, AStartOnAStoreAnotherProgramHoldsAsksAndGoesOnOnlyOnRetry) {
    for (const BoxAnswer answer : {BoxAnswer::Cancel, BoxAnswer::Retry}) {
        WizardWorld w;
        LockHolder other(w.sb, "EXCLUSIVE");  // nobody else may even read
        auto layer = ProgramLayer(w, 200);
        w.sb.boxes.expect(db::StoreBusyText(), answer, [&] {
            if (answer == BoxAnswer::Retry) {
                other.letGo();
            }
        });
        if (answer == BoxAnswer::Cancel) {
            w.sb.boxes.expect(
                "Failed to connect to database. \r\nThe database is locked by another "
                "connection and was not released within 0.2 seconds; the statement was not run.");
        }
        const bool started = layer->OpenAllTables() && layer->OpenDataTables();
        EXPECT_EQ(started, answer == BoxAnswer::Retry);
        EXPECT_TRUE(w.sb.boxes.allAnswered());
        if (answer == BoxAnswer::Cancel) {
            other.letGo();
        }
    }
}

// --- a store that fails under the save -----------------------------------------------------

TEST(StoreFaults, AReadOnlyStoreRefusesTheSaveSaysWhyAndIsLeftAsItWas) {
    FaultVfs vfs;  // first made, last gone: every connection of the test is closed before it
    WizardWorld w;
    vfs.watchedFolder = w.sb.native(QStringLiteral("C:\\KT"));
    const QStringList before = w.storeRows();
    const struct {
        const char* what;
        std::function<void(FaultVfs&)> arm;
        db::ErrorKind kind;
        const char* message;
    } cases[] = {
        {"read-only file", [](FaultVfs& v) { v.readOnlyFile = true; }, db::ErrorKind::ReadOnly,
         "Record not saved\r\nThe store database cannot be written to: its file or its folder is "
         "read-only."},
        {"read-only folder", [](FaultVfs& v) { v.readOnlyFolder = true; }, db::ErrorKind::ReadOnly,
         "Record not saved\r\nThe store database cannot be written to: its file or its folder is "
         "read-only."},
    };
    for (const auto& c : cases) {
        c.arm(vfs);
        {
            auto layer = w.fx.makeLayer();  // a program started on the store as it is now
            ASSERT_TRUE(layer->OpenAllTables() && layer->OpenDataTables()) << c.what;
            const LinkedItemInput in = CreatePack(w, *layer);
            const SaveResult saved =
                ItemLinker(w.run(), *layer, w.country).SaveLinkedItem(in, false);
            EXPECT_EQ(saved.outcome, SaveResult::Outcome::Refused) << c.what;
            EXPECT_EQ(saved.error.kind, c.kind) << c.what;
            EXPECT_EQ(NotSavedText(saved.error), c.message) << c.what;
        }
        vfs.readOnlyFile = vfs.readOnlyFolder = false;
        EXPECT_EQ(w.storeRows(), before) << c.what;
    }
    EXPECT_EQ(storeRead(w, "PRAGMA integrity_check"), "ok");
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
    for (; room <= 400000; room += 4096) {
        vfs.spaceLeft = room;
        const int fullBefore = vfs.fullWrites;
        const SaveResult saved = linker.SaveLinkedItem(in, false);
        vfs.spaceLeft = FaultVfs::kUnlimited;
        if (saved) {
            break;
        }
        ++refused;
        EXPECT_EQ(NotSavedText(saved.error),
                  "Record not saved\r\nThe disk that holds the store database is full.")
            << room;
        EXPECT_GT(vfs.fullWrites, fullBefore) << room;
        ASSERT_EQ(w.storeRows(), before) << "half-written with room for " << room << " bytes";
    }
    EXPECT_GT(refused, 3);
    EXPECT_LE(room, 400000) << "the save never fitted";
    w.expectOneUpc(101, in.upc, "5000002 ");
    EXPECT_EQ(storeRead(w, "PRAGMA integrity_check"), "ok");
    std::cout << "[ figures  ] disk full at " << refused << " points of the save, each refused "
              << "with nothing written; saved with " << room << " bytes free\n";
}

TEST(StoreFaults, AProgramKilledInTheMiddleOfTheSaveLeavesNeitherRow) {
    for (const char* killedAfter : {"INSERT INTO UPC", "INSERT INTO invt"}) {
        WizardWorld w;
        const QStringList before = w.storeRows();
        StationProcess station(w.sb, QStringLiteral("killed"),
                               {QStringLiteral("kill-after"), QString::fromLatin1(killedAfter),
                                QString::number(WizardWorld::kRootRecordNum)});
        ASSERT_TRUE(station.finish(30000));
        EXPECT_TRUE(station.crashed()) << killedAfter << ": " << station.errors().toStdString();
        EXPECT_EQ(station.lines(), QStringList{"killed after " + QString::fromLatin1(killedAfter)});

        auto next = w.fx.makeLayer();  // the next start
        EXPECT_TRUE(next->OpenAllTables() && next->OpenDataTables()) << killedAfter;
        EXPECT_TRUE(w.sb.boxes.shown().empty()) << killedAfter;
        next.reset();
        EXPECT_EQ(w.storeRows(), before) << killedAfter;
        EXPECT_EQ(storeRead(w, "PRAGMA integrity_check"), "ok") << killedAfter;
    }
}

}  // namespace
}  // namespace qv::test
