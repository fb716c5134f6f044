// The wizard: its main form run by clicks and scenario by scenario (main_form.steps), the
// units, quantity and UPC dialogs, the linker that makes the items, S/L codes and units.

#include "db/connection.h"
#include "sql/sqlite/sqlite_engine.h"
#include "lookup/sl_code.h"
#include "tests/support/data_files.h"
#include "tests/support/form_state.h"
#include "tests/support/forwarding_engine.h"
#include "tests/support/modal_driver.h"
#include "tests/support/sandbox.h"
#include "tests/support/shown_box.h"
#include "tests/support/ui_steps.h"
#include "tests/wizard/typical_run.h"
#include "tests/wizard/wizard_world.h"
#include "wizard/creation_log.h"
#include "wizard/item_linker.h"
#include "wizard/sl_create.h"
#include "wizard/uom_list.h"
#include "wizard/upc_check.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QApplication>
#include <QTest>
#include <optional>
#include <set>
#include <tuple>

namespace qv::test {
namespace {

// The units dialog answered "ordered by case, sold by case and pack (and single)" with the
// packs in the case (and the singles in the pack).
void scriptCaseAndPack(WizardWorld& w, const QString& packs, bool single) {
    w.script.on("FrmBreakDown", BreakDownStep(true, {true, true, single}))
        .on("FrmPackQty", QuantityStep(kPacksInCase, packs));
    if (single) {
        w.script.on("FrmPackQty", QuantityStep(kSinglesInPack, "6"));
    }
}

TEST(MainFormRun, CaseSoldByPackAndSingleEndsWithBothItemsLinkedToTheRoot) {
    WizardWorld w;
    WriteUnitFile(w.sb);
    w.startWithRoot();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No).expect(kCaseUpcQuestion, BoxAnswer::No);
    scriptCaseAndPack(w, "12", true);
    QString forms;
    w.script.on("FrmMain", MainFormStep([&forms](FrmMain& f) { ClickTypicalRun(f, &forms); }));
    ShowMainForm(w.ctx);
    EXPECT_TRUE(w.script.finished());
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    ExpectGolden("wizard/typical_run_forms.txt", forms);
    ExpectTypicalRunRows(w);
}

// The root on screen and a pack made, waiting for its boxes.
std::unique_ptr<FrmMain> PackOnScreen(WizardWorld& w) {
    w.startWithRoot();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No);
    scriptCaseAndPack(w, "12", true);
    auto f = std::make_unique<FrmMain>(w.ctx);
    f->FormLoad();
    f->CmdLink(0)->click();
    EXPECT_EQ(f->WizardStep(), 1);
    f->Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f->Text1(4)->setText("12.99");
    return f;
}

class MainFormPack : public ::testing::Test {
protected:
    WizardWorld w;
    std::unique_ptr<FrmMain> f = PackOnScreen(w);
};

TEST_F(MainFormPack, BadPriceQuantityUpcOrVendorIdIsExplainedAndNothingWritten) {
    for (const Case& c : Cases("wizard/bad_pack_input.cases")) {
        QLineEdit* box = f->Text1(static_cast<int>(c.num(0)));
        const QString before = box->text();
        box->setText(c.text(1));
        w.sb.boxes.expect(c.text(2));
        f->CmdLink(2)->click();
        EXPECT_TRUE(f->CmdLink(2)->isEnabled()) << c.where();
        box->setText(before);
    }
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_TRUE(BoxShown(w.sb.boxes, -1, box::Ok, "Vendor ID already exists."));
    EXPECT_EQ(w.inventoryCount(), 31);
    // Texts longer than their columns are refused before anything is written.
    LinkedItemInput in;
    in.quantity = QStringLiteral("6");
    in.description = QString(30, u'D') + QStringLiteral("  ");
    EXPECT_FALSE(CheckLinkedItem(in).has_value());
    in.description = QString(31, u'D');
    EXPECT_EQ(CheckLinkedItem(in)->message, "The description can be at most 30 characters long.");
    in = {};
    in.quantity = QStringLiteral("6");
    in.deptCode = QString(12, u'X');
    EXPECT_TRUE(CheckLinkedItem(in).has_value());
}

// The embedded engine, waiting 0.2 s for a lock, except that it refuses inserts into the
// inventory table while asked to, as a server does for a unique key of its own.
class RefusingEngine final : public ForwardingEngine {
public:
    RefusingEngine(const QString& folder, const bool& refuse)
        : ForwardingEngine(std::make_unique<db::SqliteEngine>(folder,
                                                              [] {
                                                                  db::SqliteEngine::Options o;
                                                                  o.busyTimeoutMs = 200;
                                                                  return o;
                                                              }())),
          refuse_(refuse) {}

    std::optional<std::int64_t> execute(const QString& sql, db::DbError& e) override {
        if (refuse_ && sql.startsWith("INSERT INTO invt", Qt::CaseInsensitive)) {
            e.number = 2627;
            e.kind = db::ErrorKind::DuplicateKey;
            e.description = "Violation of UNIQUE KEY constraint.";
            return std::nullopt;
        }
        return ForwardingEngine::execute(sql, e);
    }

private:
    const bool& refuse_;
};

// Another program holding the store's lock until it goes: "IMMEDIATE" (others still read) or
// "EXCLUSIVE" (nobody else reads either).
struct LockHolder {
    LockHolder(const QString& file, const QString& lock) {
        EXPECT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, qPrintable("BEGIN " + lock), nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    ~LockHolder() {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    sqlite3* db = nullptr;
};

// The scenarios of main_form.steps, with the test's own steps (listed there).
TEST(MainFormScenarios, EachLeavesTheDialogsMessagesAndRowsOfTheGoldenText) {
    std::unique_ptr<WizardWorld> w;
    bool refuse = false;
    std::unique_ptr<db::RecordLayer> layer;  // the form's own, when it has one
    std::optional<WizardContext> own;
    std::optional<LockHolder> hold;
    std::unique_ptr<FrmMain> f;
    QString out;
    RunUiSteps(
        [&] { return f.get(); }, "wizard/main_form.steps",
        [&](const QString& verb, const QStringList& a) {
            const QString arg = a.value(0);
            if (verb == u"scenario") {
                f.reset();
                own.reset();
                layer.reset();
                hold.reset();
                w = std::make_unique<WizardWorld>(a[1].toInt(), a[2] == u"y", a[3] == u"y");
                w->sb.boxes.answerUnexpected = true;
                out += QStringLiteral("=== ") + arg + u'\n';
            } else if (verb == u"units") {
                WriteUnitFile(w->sb);
            } else if (verb == u"uid") {
                a.isEmpty() ? w->startWithRoot() : void(w->run().SelectedItemID = arg);
            } else if (verb == u"box" && a.value(1) == u"retry") {
                w->sb.boxes.expect(arg, BoxAnswer::Retry, [&hold] { hold.reset(); });
            } else if (verb == u"box") {
                w->sb.boxes.expect(arg, BoxAnswer::Yes);
            } else if (verb == u"pick") {
                w->picks.push_back(arg);
            } else if (verb == u"unitsdialog") {
                w->script.on("FrmBreakDown",
                             BreakDownStep(arg == u"case",
                                           {a[1][0] == u'y', a[1][1] == u'y', a[1][2] == u'y'}));
            } else if (verb == u"cancelunits") {
                w->script.on("FrmBreakDown", CancelBreakDownStep());
            } else if (verb == u"quantity") {
                w->script.on("FrmPackQty", [arg](QDialog& d) {
                    QuantityStep(dynamic_cast<FrmPackQty&>(d).question(), arg)(d);
                });
            } else if (verb == u"upcdialog") {
                w->script.on("FrmUPC", UpcStep(arg));
            } else if (verb == u"insert") {
                EXPECT_TRUE(w->insertItem(
                    Inventory(a.mid(1).join(QStringLiteral(" | ")), WizardWorld::Root()),
                    arg == u"-" ? QString() : arg));
            } else if (verb == u"show") {
                ShowMainForm(w->ctx);
            } else if (verb == u"ownlayer") {
                layer = w->fx.makeLayer([&refuse](const QString& folder) {
                    return std::make_unique<RefusingEngine>(folder, refuse);
                });
                EXPECT_TRUE(layer->OpenAllTables() && layer->OpenDataTables());
                layer->SetBusyPrompt(db::StoreBusyPrompt(w->sb.services));
                own.emplace(w->contextOver(*layer));
            } else if (verb == u"load") {
                if (own) {
                    own->startRecordNum = w->ctx.startRecordNum;
                }
                f = std::make_unique<FrmMain>(own ? *own : w->ctx);
                f->FormLoad();
            } else if (verb == u"packscreen") {
                f = PackOnScreen(*w);
            } else if (verb == u"esc") {
                f->CmdEsc_Click();
            } else if (verb == u"escape") {
                QTest::keyClick(f.get(), Qt::Key_Escape);
            } else if (verb == u"reject") {
                f->reject();
            } else if (verb == u"deposit") {
                f->cboDeposit_Click(arg.toInt());
            } else if (verb == u"lostfocus") {
                f->Text1_LostFocus(arg.toInt());
            } else if (verb == u"depositdept") {
                w->run().DepositDeptCode = arg;
            } else if (verb == u"tax") {
                w->country.IncludeTaxInPrice = true;
                CommonRates rates;
                rates.TaxRate = {arg.toFloat(), 0, 0, 0, 0};
                w->country.setRates(rates);
            } else if (verb == u"infocus") {
                EXPECT_EQ(f->focusWidget()->objectName(), arg);
            } else if (verb == u"other") {  // another station saves an item
                db::RecordLayer& other = w->checker();
                other.Inventory = Inventory(a.join(QStringLiteral(" | ")), WizardWorld::Root());
                EXPECT_TRUE(other.RecordOp(db::kInventoryTable, db::op::Insert, 0));
            } else if (verb == u"refuse") {
                refuse = arg == u"y";
            } else if (verb == u"hold") {
                w->checker();  // open before the lock is taken, as another program is
                hold.emplace(w->sb.native("C:\\KT\\VOR.sqlite"), arg);
            } else if (verb == u"letgo") {
                hold.reset();
            } else if (verb == u"events") {  // the user's next action comes after them
                QCoreApplication::processEvents();
            } else if (verb == u"sql") {
                EXPECT_EQ(w->checker().ExecuteSql(arg), 1);
            } else {
                ASSERT_EQ(verb, "snap");
                out += QStringLiteral("--- ") + arg + QStringLiteral("\ndialogs ") +
                       QStringList(w->script.shown().begin(), w->script.shown().end()).join(u',');
                if (f) {
                    out += QStringLiteral(
                               " | step %1 | chosen %2 | saved %3 | end %4 | root \"%5\" | pack %6")
                               .arg(QString::number(f->WizardStep()), f->ItemChosen() ? "y" : "n",
                                    f->Saved() ? "y" : "n", f->EndRequested() ? "y" : "n",
                                    f->RootSL(), QString::number(f->PackRecordNum()));
                }
                out += u'\n' + (a.value(1) == u"form" ? FormState(*f) : QString()) +
                       w->sb.boxes.transcript() + w->linkedRows() +
                       QStringLiteral("items %1\n").arg(w->inventoryCount());
                w->sb.boxes.clear();
                w->sb.boxes.answerUnexpected = true;
            }
        });
    ExpectGolden("wizard/main_form.txt", out);
}

// --- FrmPackQty ------------------------------------------------------------------------------

// " Accept", Enter and F10 in the box take the number alike.
TEST(FrmPackQty, TakesWholeNumbersFromOneTo32767AndExplainsOtherNumbers) {
    for (const char* typed : {"0", "-3", "40000", "2.5", "99999999999999999999", "twelve"}) {
        Sandbox sb;
        const bool number = QByteArray(typed) != "twelve";  // letters keep it open silently
        if (number) {
            sb.boxes.expect("Please enter a whole number from 1 to 32767.");
        }
        FrmPackQty q(sb.services, 0);
        q.show();
        q.Text1()->setText(typed);
        number ? q.Command1_Click() : QTest::keyClick(q.Text1(), Qt::Key_Return);
        EXPECT_FALSE(q.Number().has_value()) << typed;
        EXPECT_TRUE(q.isVisible());
        ASSERT_EQ(sb.boxes.shown().size(), number ? 1u : 0u) << typed;
        if (number) {
            EXPECT_TRUE(BoxShown(sb.boxes, 0, box::Ok, "Quorvane"));
        }
    }
    Sandbox sb;
    FrmPackQty q(sb.services, 0);
    for (const auto& [typed, key, expected] :
         {std::tuple{" 32767 ", Qt::Key_Return, 32767}, std::tuple{"12.0", Qt::Key_F10, 12}}) {
        q.clearAnswer();
        q.show();
        q.Text1()->setText(typed);
        QTest::keyClick(q.Text1(), key);
        EXPECT_EQ(q.Number(), std::int16_t(expected)) << typed;
        EXPECT_FALSE(q.isVisible());
    }
}

// --- FrmUPC ----------------------------------------------------------------------------------

TEST(FrmUPC, AcceptTakesTheBoxAndCancelLeavesNothing) {
    for (const Case& c : Cases("wizard/upc_dialog.cases")) {
        FrmUPC f;
        f.show();
        f.TxtUPC()->setText(c.text(0));
        if (c.text(1).startsWith(u"Cmd")) {
            child<QPushButton>(f, c.text(1))->click();
        } else {
            QTest::keyClick(f.TxtUPC(), QKeySequence::fromString(c.text(1))[0].key());
        }
        EXPECT_EQ(f.Result(), c.text(2)) << c.where();
        EXPECT_EQ(f.result(), c.flag(3) ? QDialog::Accepted : QDialog::Rejected) << c.where();
        EXPECT_FALSE(f.isVisible());
    }
}

// --- bar codes ------------------------------------------------------------------------------

// What the checker says of codes typed for the pack, with the root and a single on screen;
// the shared records stay as they were.
TEST(Barcodes, TheCheckerNamesTheHolderTheOtherItemOrTheCaseOrAsksAboutTheDigit) {
    WizardWorld w;
    UpcChecker check(w.layer());
    const db::InventoryRecord item = w.layer().Inventory;
    const db::UpcRecord upc = w.layer().Upc;
    UpcContext c;
    c.otherCode = "9400009999991";
    c.otherItem = {"5000003 ", "HARBOUR LAGER 330ML", 102};
    c.root = {"5000001 ", "HARBOUR LAGER 24 X 330ML", WizardWorld::kRootRecordNum};
    c.rootCode = WizardWorld::RootUpc();
    QString out;
    for (const Case& k : Cases("wizard/upc_findings.cases")) {
        c.ownRecordNum = k.has(1) ? static_cast<std::int32_t>(k.num(1)) : 101;
        const std::optional<UpcFinding> f = check.Check(k.text(0), c);
        out += QStringLiteral("\"%1\" for %2: ").arg(k.text(0)).arg(c.ownRecordNum) +
               (f ? QStringLiteral("kind %1, box %2 [%3] %4")
                        .arg(static_cast<int>(f->kind))
                        .arg(f->style)
                        .arg(f->title, QString(f->text).replace("\r\n", "\\r\\n"))
                  : QStringLiteral("none")) +
               u'\n';
    }
    ExpectGolden("wizard/upc_findings.txt", out);
    EXPECT_TRUE(w.layer().Inventory == item && w.layer().Upc == upc);
}

// --- FrmBreakDown ----------------------------------------------------------------------------

class BreakDown : public ::testing::Test {
protected:
    BreakDown() { EXPECT_TRUE(world.layer().GetInventoryByRecordNum(WizardWorld::kRootRecordNum)); }
    std::unique_ptr<FrmBreakDown> make() {
        return std::make_unique<FrmBreakDown>(world.sb.services, world.run(), world.layer(),
                                              world.ctx.showModal);
    }
    WizardWorld world{0};
};

TEST_F(BreakDown, TheDialogsShowTheirCaptionsAndTheQuantityInPack) {
    Sandbox sb;
    FrmPackQty withQty(sb.services, 12);
    FrmUPC upc;
    auto f = make();
    QString forms =
        FormState(withQty) + FormState(FrmPackQty(sb.services, 0)) + FormState(upc) + FormState(*f);
    world.run().TrainingMode = true;
    forms += FormState(*make());
    ExpectGolden("wizard/dialogs.txt", forms);
}

TEST_F(BreakDown, ActivationTicksTheOrderedUnitAndOrderedByPackTheCaseCannotBeTicked) {
    auto f = make();
    f->show();
    RunUiSteps([&f] { return f.get(); }, "wizard/units_activation.steps",
               [&f](const QString&, const QStringList&) { f->Form_Activate(); });
}

TEST(BreakDownAnswers, EachPatternAsksItsQuestionsAndSetsItsCountsAsTheGoldenTextSays) {
    const char* const outcomes[] = {"Cancelled", "OneUnit", "Accepted", "RootRefused"};
    QString out;
    for (const Case& c : Cases("wizard/break_down.cases")) {
        WizardWorld w{0};
        ASSERT_TRUE(w.layer().GetInventoryByRecordNum(WizardWorld::kRootRecordNum));
        for (const QString& answer : c.list(2)) {
            w.sb.boxes.expect(QString(), answer == u"y" ? BoxAnswer::Yes : BoxAnswer::No);
        }
        w.sb.boxes.answerUnexpected = true;
        QStringList asked;
        const QStringList typed = c.has(3) ? c.list(3) : QStringList{QString()};
        for (const QString& number : typed) {
            w.script.on("FrmPackQty", [&asked, number](QDialog& d) {
                asked << dynamic_cast<FrmPackQty&>(d).question() + " (offered " +
                             child<QLineEdit>(d, "Text1")->text() + ")";
                if (!number.isEmpty()) {
                    QuantityStep(dynamic_cast<FrmPackQty&>(d).question(), number)(d);
                }
            });
        }
        FrmBreakDown f(w.sb.services, w.run(), w.layer(), w.ctx.showModal);
        const QString sell = c.text(1);
        BreakDownStep(c.text(0) == u"case", {sell[0] == u'y', sell[1] == u'y', sell[2] == u'y'})(f);
        const auto captions = LinkCaptionsFor(w.run());
        out += QStringLiteral("=== ordered by %1, sold by %2, answers %3, typed %4\n")
                   .arg(c.text(0), sell, c.text(2), c.text(3)) +
               w.sb.boxes.transcript();
        for (const QString& question : asked) {
            out += QStringLiteral("asked: ") + question + u'\n';
        }
        out += QStringLiteral("%1%2 | by case %3 | packs %4 | singles %5 | root in pack %6%7\n")
                   .arg(QString::fromLatin1(outcomes[static_cast<int>(f.outcome())]),
                        f.EndsProgram() ? QStringLiteral(", ends the program") : QString(),
                        w.run().SellByCaseFlag ? QStringLiteral("yes") : QStringLiteral("no"),
                        QString::number(w.run().PacksInCase), QString::number(w.run().SinglesCount),
                        QString::number(w.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK),
                        captions ? " | " + captions->select + ", " + captions->create + ", " +
                                       captions->save
                                 : QString());
        EXPECT_EQ(w.layer().Inventory.QTYINPACK,
                  w.rowByNum(WizardWorld::kRootRecordNum)->QTYINPACK);
    }
    ExpectGolden("wizard/break_down.txt", out);
}

TEST_F(BreakDown, EscCancelsAndEndsTheProgram) {
    auto f = make();
    f->show();
    QTest::keyClick(f.get(), Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->EndsProgram());
}

class Linker : public ::testing::Test {
protected:
    WizardWorld world{0, false};
    CreationLog log{world.sb.fs, world.sb.app.programFolder};
    ItemLinker linker{world.run(), world.layer(), world.country};
};

TEST_F(Linker, SingleFromAPackDropsTheStarAndCutsTheCodeToItsColumn) {
    db::InventoryRecord pack = WizardWorld::Root();
    pack.ItemID = "*" + QString(24, u'X');
    pack.AvgCost = Currency::fromScaled(10000);  // 1.00 / 3 = 0.3333
    world.layer().Inventory = pack;
    const auto created = linker.CreateItem(3, ItemKind::Single, false, log);
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(world.layer().Inventory.ItemID.str(), "/" + QString(24, u'X'));
    EXPECT_EQ(world.layer().Inventory.FlgQZV.str(), "I");
    EXPECT_EQ(world.layer().Inventory.AvgCost, Currency::fromScaled(3333));

    world.layer().Inventory = WizardWorld::Root();
    world.layer().Inventory.ItemID = QString(25, u'Y');
    ASSERT_TRUE(linker.CreateItem(2, ItemKind::Pack, false, log).has_value());
    EXPECT_EQ(world.layer().Inventory.ItemID.str(), "*" + QString(24, u'Y'));
}

TEST_F(Linker, NoQuantityNoItem) {
    world.layer().Inventory = WizardWorld::Root();
    EXPECT_FALSE(linker.CreateItem(0, ItemKind::Pack, false, log).has_value());
    EXPECT_FALSE(linker.CreateItem(-2, ItemKind::Single, false, log).has_value());
    EXPECT_EQ(world.layer().Inventory, WizardWorld::Root());
}

// The wizard's text rules, one case a line of rules.cases (the rules are listed there).
TEST(WizardRules, EachRuleGivesItsTablesResult) {
    const QStringList units{"EA    - Each", "CS    - Case"};
    const std::set<QString> taken{StoredSl("13"), StoredSl("14"), StoredSl("1")};
    const SlTakenFn isTaken = [&taken](const QString& sl) { return taken.count(sl) > 0; };
    const auto number = [](std::optional<int> n) { return n ? QString::number(*n) : QString(); };
    for (const Case& c : Cases("wizard/rules.cases")) {
        const QString rule = c.text(0);
        const QString in = c.text(1);
        const QString got =
            rule == u"quantity"    ? number(WholeQuantity(in))
            : rule == u"successor" ? AlphaSuccessor(in, c.flag(3) ? isTaken : SlTakenFn())
            : rule == u"stored" ? StoredSl(in)
            : rule == u"unit"      ? UomEntryFromLine(in)
            : rule == u"findunit"
                ? QString::number(FindUomEntry(c.flag(3) ? units : QStringList(), in))
            : rule == u"unitdesc" ? UomDescription(in)
            : rule == u"check"    ? number(WrongCheckDigit(in))
            : rule == u"digit"    ? number(Gs1CheckDigit(in))
                                  : number(CaseIndicator(in, c.text(3)));
        EXPECT_EQ(got, c.text(2)) << c.where();
    }
}

// --- the next free code from the table -------------------------------------------------------

TEST(SlCreate, TheNextFreeCodeFollowsTheHighestNumericCodeElseTheLastCode) {
    for (const Case& c : Cases("wizard/sl_create.cases")) {
        SCOPED_TRACE(c.where());
        WizardWorld world{0, false};
        int n = 0;
        for (const QString& sl : c.list(0, u';')) {
            db::InventoryRecord r = DbFixture::Item(n);
            r.SL = sl;
            r.RecordNum = 11 + n++;
            ASSERT_TRUE(world.insertItem(r)) << world.layer().LastError().description.toStdString();
        }
        const QString next = gfsSLcreate(world.layer());
        EXPECT_EQ(next, c.text(1));
        EXPECT_EQ(world.checker().GetInventoryBySL(next, false), 0) << "the code is free";
    }
}

// The unit of measure file as each case of uom_files.cases has it (or has none): the entries
// read and the problem reported, in uom_files.txt.
TEST(ReadUomFile, EntriesInFileOrderTheDefaultWhenMissingAndGarbledLinesReported) {
    QString out;
    for (const Case& c : Cases("wizard/uom_files.cases")) {
        Sandbox sb;
        sb.makeDir("C:\\KT");
        if (c.has(0)) {
            sb.writeFile("C:\\KT\\UOM.vor", c.bytes(0));
        }
        const UomFile f = ReadUomFile(sb.fs, "C:\\KT");
        out += QStringLiteral("--- %1\n%2\nproblem: %3\n")
                   .arg(QString::fromStdString(c.where()), f.entries.join(u'|'), f.problem);
    }
    ExpectGolden("wizard/uom_files.txt", out);
}

}  // namespace
}  // namespace qv::test
