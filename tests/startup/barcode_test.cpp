// Bar codes checked where they are typed, on the demo store, keys only: a code in use, a wrong
// check digit, the root's case code and the pack's code typed again for the single are all
// named before anything is written, and good codes save exactly as before.

#include "sql/sqlite/sqlite_engine.h"
#include "startup/demo_store.h"
#include "startup/entry_routine.h"
#include "tests/support/keys.h"
#include "tests/support/modal_driver.h"
#include "tests/support/sandbox.h"
#include "wizard/upc_check.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <map>

namespace qv::test {
namespace {

class NoOtherCopy final : public InstanceGuard {
public:
    bool anotherInstanceRunning() override { return false; }
    void activateOther() override {}
};

const QString kUseAnother = QStringLiteral(
    "\r\nA UPC can be on one item only: please enter another one or leave the box empty.");

class DemoBarcodes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(EnsureDemoStore(sb.services, demo), QString());
        db::DbError e;
        ASSERT_TRUE(engine.connect({{}, demo.database, {}, {}}, e));
        for (const QString& row : rows("SELECT * FROM UPC1", {1, 4})) {
            const QStringList f = row.split(u'|');
            upcOwner[f.at(0).trimmed()] = f.at(1).toInt();
        }
    }
    // Each row the statement reads, as the listed columns joined by "|".
    QStringList rows(const QString& select, std::initializer_list<int> columns) {
        db::DbError e;
        QStringList out;
        auto rs = engine.openRowSet(select, e);
        EXPECT_TRUE(rs) << e.description.toStdString();
        for (; rs && !rs->eof(); rs->moveNext()) {
            QStringList values;
            for (int c : columns) {
                values << rs->value(c).toText();
            }
            out << values.join(u'|');
        }
        return out;
    }
    StartEnd run(std::int32_t root) {
        Session session(sb.services);
        NoOtherCopy guard;
        return RunEntryRoutine(session, guard, QStringLiteral("UID=%1 /USERID=DEMO").arg(root),
                               ProgramStartSteps());
    }
    // Types a code into the focused UPC box, over what it held, and leaves it with Tab.
    static void TypeCode(const QString& code) {
        Press(Qt::Key_A, Qt::ControlModifier);
        Type(code);
        Press(Qt::Key_Tab);
        QApplication::processEvents();  // a refused code takes the focus back
    }

    Sandbox sb;
    DemoStore demo;
    db::SqliteEngine engine{sb.native(QStringLiteral("C:\\KT"))};
    std::map<QString, int> upcOwner;  // every code of the store and its item
};

TEST_F(DemoBarcodes, EveryStoredCodeCarriesARightCheckDigit) {
    ASSERT_GT(upcOwner.size(), 100u);
    for (const auto& [code, item] : upcOwner) {
        EXPECT_EQ(WrongCheckDigit(code), std::nullopt) << code.toStdString() << " of " << item;
    }
}

TEST_F(DemoBarcodes, CodesInUseWrongOrTheCasesAreNamedAtEntryAndGoodOnesSaveAsBefore) {
    const std::int32_t root = demo.caseRecordNum;
    const QString rootCode =
        rows(QStringLiteral("SELECT * FROM UPC1 WHERE InvUID = %1").arg(root), {1})
            .value(0)
            .trimmed();
    ASSERT_EQ(rootCode, "940000100044");
    const auto other = std::find_if(upcOwner.begin(), upcOwner.end(),
                                    [&](const auto& u) { return u.second != root; });
    ASSERT_NE(other, upcOwner.end());
    const QStringList holder =
        rows(QStringLiteral("SELECT * FROM invt1 WHERE RecordNum = %1").arg(other->second), {0, 2})
            .value(0)
            .split(u'|');
    const QString inUse = other->first;
    const int rowsBefore = static_cast<int>(upcOwner.size());

    sb.boxes.expect("Will Case UPC be scanned when selling packs and/or Singles?", BoxAnswer::No)
        .expect("The UPC " + inUse + " already belongs to S/L " + holder.at(0).trimmed() + ". " +
                holder.at(1).trimmed() + "." + kUseAnother)
        .expect("The check digit should be 0. Save it anyway?", BoxAnswer::No)
        .expect(
            "The UPC 10940000100041 is a case code (indicator 1) of the root item S/L "
            "10004. ALPINE SPRING WATER: a scan of it sells the whole case.\r\n"
            "Please enter this item's own UPC, or leave the box empty.")
        .expect("Will Case UPC be scanned when selling packs and/or Singles?", BoxAnswer::No)
        .expect("The UPC 9400001000510 already belongs to S/L 10220. ALPINE WATER 2PK." +
                kUseAnother)
        .expect("The check digit should be 7. Save it anyway?", BoxAnswer::Yes);

    ModalDriver driver;
    driver
        .on("FrmBreakDown",
            [](QWidget*) {
                Press(Qt::Key_Space);  // Pack, then Single
                Press(Qt::Key_Tab);
                Press(Qt::Key_Space);
                Press(Qt::Key_Return);
            })
        .on("FrmPackQty",
            [](QWidget*) {
                Type("12");
                Press(Qt::Key_Return);
            })
        .on("FrmPackQty",
            [](QWidget*) {
                Type("6");
                Press(Qt::Key_Return);
            })
        .on("FrmMain", [&](QWidget*) {
            Press(Qt::Key_Return);  // Create New Pack Item
            Type("ALPINE WATER 2PK");
            TabTo("Text1_3");
            for (const QString& refused :
                 {inUse, QStringLiteral("9400001000512"), QStringLiteral("10940000100041")}) {
                TypeCode(refused);
                EXPECT_EQ(FocusedName(), "Text1_3") << refused.toStdString();
            }
            TypeCode("9400001000510");
            EXPECT_EQ(FocusedName(), "Text1_4");
            Type("2.99");
            TabTo("CmdLink_2");
            Press(Qt::Key_Return);

            Press(Qt::Key_Return);  // Create New Single Item
            Type("ALPINE WATER 500ML");
            TabTo("Text1_8");
            TypeCode("9400001000510");  // the pack's
            EXPECT_EQ(FocusedName(), "Text1_8");
            TypeCode("9400001000529");  // kept despite its check digit: not asked again
            Type("1.59");
            TabTo("CmdLink_2");
            Press(Qt::Key_Return);
            Press(Qt::Key_Escape);
        });
    EXPECT_EQ(run(root), StartEnd::MainFormClosed);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(sb.boxes.allAnswered());

    // Exactly the two good codes were written, each on its own item; the code in use stayed
    // where it was.
    const QStringList links =
        rows(QStringLiteral("SELECT * FROM invt1 WHERE RecordNum = %1").arg(root), {53, 54});
    ASSERT_EQ(links.size(), 1);
    const QStringList written = rows(
        "SELECT * FROM UPC1 WHERE UPC = '9400001000510' OR UPC = '9400001000529' ORDER BY "
        "UPC",
        {0, 1, 4});
    EXPECT_EQ(written,
              (QStringList{"  10220 |9400001000510  |" + links.at(0).section(u'|', 0, 0),
                           "  10221 |9400001000529  |" + links.at(0).section(u'|', 1, 1)}));
    EXPECT_EQ(rows("SELECT * FROM UPC1", {1}).size(), rowsBefore + 2);
    EXPECT_EQ(rows("SELECT * FROM UPC1 WHERE UPC = '" + inUse + "'", {4}),
              QStringList{QString::number(other->second)});
}

TEST_F(DemoBarcodes, TheRootsUpcDialogKeepsARefusedCodeInItsBox) {
    // A demo item without a code of its own is picked as the root: the dialog asks for one.
    std::int32_t root = 0;
    for (const QString& row : rows("SELECT * FROM invt1 ORDER BY RecordNum", {40})) {
        const int recordNum = row.toInt();
        if (!std::any_of(upcOwner.begin(), upcOwner.end(),
                         [&](const auto& u) { return u.second == recordNum; })) {
            root = recordNum;
            break;
        }
    }
    ASSERT_GT(root, 0);
    const QString inUse = upcOwner.begin()->first;
    sb.boxes
        .expectAny()  // the code in use, named
        .expect("The check digit should be 1. Save it anyway?", BoxAnswer::No);
    ModalDriver driver;
    driver
        .on("FrmUPC",
            [&](QWidget*) {
                Type(inUse);
                Press(Qt::Key_Return);  // refused: the dialog stays
                EXPECT_EQ(FocusedName(), "TxtUPC");
                TypeCode("9400009999992");
                EXPECT_EQ(FocusedName(), "TxtUPC");
                Press(Qt::Key_A, Qt::ControlModifier);
                Type("9400009999991");
                Press(Qt::Key_Return);
            })
        .on("FrmBreakDown", [](QWidget*) { Press(Qt::Key_Escape); });
    run(root);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(sb.boxes.allAnswered());
    EXPECT_EQ(sb.boxes.shown().at(0).title, "UPC in Use");
    EXPECT_EQ(rows("SELECT * FROM UPC1 WHERE UPC = '9400009999991'", {4}),
              QStringList{QString::number(root)});
    EXPECT_EQ(rows("SELECT * FROM UPC1 WHERE UPC = '" + inUse + "'", {4}),
              QStringList{QString::number(upcOwner.begin()->second)});
}

}  // namespace
}  // namespace qv::test
