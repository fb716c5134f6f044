#include "lookup/frm_lookup.h"
#include "tests/lookup/lookup_fixture.h"
#include "tests/support/keys.h"
#include "tests/support/modal_driver.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>
#include <tuple>

// The lookup window on the offscreen platform: shown without its own event loop, driven with
// key and mouse events, except where the blocking OpenInventoryLookup itself is under test.

namespace qv::test {
namespace {

using namespace lookup_text;

class LookupFormTest : public SharedStoreTest {
protected:
    void SetUp() override {
        SharedStoreTest::SetUp();
        run().TrainingMode = false;
        run().SelectedItemID.clear();
    }
    void TearDown() override {
        form_.reset();
        engine_.reset();
        SharedStoreTest::TearDown();
    }

    RunValues& run() { return store_->db.run; }
    LookupContext context() {
        return LookupContext{session_, *store_->db.layer, run(), country_, sandbox_->services};
    }

    // Makes and shows the window as OpenInventoryLookup would, without waiting for it.
    frm_Lookup& open() {
        form_.reset();  // a window opened before goes first: it works on the old engine
        session_.pickerMode = true;
        engine_ = std::make_unique<LookupEngine>(context());
        engine_->SetUpInventoryColumns();
        form_ = std::make_unique<frm_Lookup>(context(), *engine_);
        form_->show();
        return *form_;
    }

    template <class T>
    T* child(const char* name) {
        T* w = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* searchBox() { return child<QLineEdit>("txtEditValue"); }
    QString pad() { return child<QLabel>("lblPad")->text(); }
    GridControl& grid() { return form_->grid(); }
    QTableWidget* table() { return grid().table(); }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(searchBox(), static_cast<Qt::Key>(k), mods);
    }
    QString rowCode(int row) { return SlFromDisplay(grid().TextMatrix(row, 2)); }
    QPoint cellCentre(int row, int col) {
        return table()->visualRect(table()->model()->index(row - 1, col)).center();
    }

    LookupSession session_;
    CountrySettings country_{sandbox_->services, store_->db.run};
    std::unique_ptr<LookupEngine> engine_;
    std::unique_ptr<frm_Lookup> form_;
};

// --- opening -------------------------------------------------------------------------------

TEST_F(LookupFormTest, OpensOnTheDefaultColumnWithItsFirstPage) {
    open();
    EXPECT_EQ(form_->windowTitle(), FormCaption);
    EXPECT_EQ(pad(), "--Description");
    EXPECT_EQ(child<QPushButton>("cmdAction_0")->text(), AcceptCaption);
    EXPECT_TRUE(child<QPushButton>("cmdAction_0")->isVisible());
    for (const char* hidden : {"cmdAction_1", "cmdAction_2", "cmdAction_3", "cmdAction_4", "cmdAdd",
                               "cmdSearch", "cmdStop"}) {
        EXPECT_FALSE(child<QPushButton>(hidden)->isVisible()) << hidden;
    }
    EXPECT_EQ(child<QPushButton>("cmdExit")->text(), CancelCaption);
    EXPECT_FALSE(child<QLabel>("LblTraining")->isVisible());
    EXPECT_FALSE(child<QLabel>("Lblwait")->isVisible());

    const QStringList all = byDescription();
    const int rows = session_.rowsPerPage;
    EXPECT_EQ(rows, LookupEngine::RowsPerPageFor(grid().HeightTwips()));
    EXPECT_GE(rows, 10);
    EXPECT_EQ(grid().Rows(), rows + 1);
    for (int r = 1; r <= rows; ++r) {
        EXPECT_EQ(grid().TextMatrix(r, 0), all.at(r - 1)) << r;
    }
    EXPECT_EQ(grid().Row(), 1);

    run().TrainingMode = true;
    open();
    EXPECT_TRUE(child<QLabel>("LblTraining")->isVisible());
}

// --- keys ----------------------------------------------------------------------------------

TEST_F(LookupFormTest, FunctionKeysAndHeaderClicksSortByTheirColumnsAndClearTheSearch) {
    open();
    QTest::keyClicks(searchBox(), "KIWI");
    const struct {
        int key;
        const char* label;
        int offset;
    } cases[] = {{Qt::Key_F5, "--SubDescription", 1}, {Qt::Key_F6, "--SL", 2},
                 {Qt::Key_F7, "--Item ID", 3},        {Qt::Key_F8, "--Dept Code", 5},
                 {Qt::Key_F9, "---Vendor", 7},        {Qt::Key_F4, "--Description", 0}};
    for (const auto& c : cases) {
        key(c.key);
        EXPECT_EQ(pad(), c.label);
        EXPECT_EQ(run().InventorySearchBy, c.offset);
        EXPECT_EQ(session_.sortColumn, c.offset);
        EXPECT_EQ(searchBox()->text(), "");
    }
    // Sorting starts again from the top of the list.
    EXPECT_EQ(grid().TextMatrix(1, 0), "AAA FIRST");

    QHeaderView* header = table()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(2) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(pad(), "--SL");
    EXPECT_EQ(run().InventorySearchBy, 2);
    EXPECT_EQ(rowCode(1), "    123 ");
    // The sort column's header is marked.
    const QTableWidgetItem* sorted = table()->horizontalHeaderItem(2);
    const QTableWidgetItem* other = table()->horizontalHeaderItem(0);
    EXPECT_EQ(sorted->foreground().color(), QColor(Qt::white));
    EXPECT_NE(sorted->background().color(), other->background().color());
    EXPECT_EQ(other->foreground().color(), QColor(Qt::black));
    EXPECT_TRUE(sorted->font().bold());
    EXPECT_TRUE(other->font().bold());
}

TEST_F(LookupFormTest, TypedTextPositionsTheGridAndKeysWithModifiersAreOnlyTyped) {
    open();
    QTest::keyClicks(searchBox(), "kiwi lager");
    EXPECT_EQ(grid().TextMatrix(1, 0), "KIWI LAGER");
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_FALSE(session_.textEdited);
    key(Qt::Key_Backspace);  // Delete and Backspace mark the text edited
    EXPECT_TRUE(session_.textEdited);
    EXPECT_EQ(searchBox()->text(), "kiwi lage");

    key(Qt::Key_F6);
    QTest::keyClicks(searchBox(), "1000001.0");  // digits never act as keys
    EXPECT_EQ(searchBox()->text(), "1000001.0");
    EXPECT_EQ(rowCode(1), "10000010");
    QTest::keyClick(searchBox(), Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(searchBox()->text(), "1000001.05");
    key(Qt::Key_F7, Qt::ShiftModifier);
    key(Qt::Key_F4, Qt::ControlModifier);
    key(Qt::Key_Escape, Qt::AltModifier);
    EXPECT_EQ(pad(), "--SL");
    EXPECT_TRUE(form_->isVisible());
    // A key pressed in the grid is typed into the search box.
    searchBox()->clear();
    QTest::keyClick(table(), Qt::Key_K);
    EXPECT_EQ(searchBox()->text(), "k");
}

TEST_F(LookupFormTest, ArrowPageAndSpinKeysMoveThroughTheList) {
    open();
    const QStringList all = byDescription();
    const int rows = session_.rowsPerPage;
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(grid().Row(), 3);
    key(Qt::Key_PageDown);
    EXPECT_EQ(grid().TextMatrix(1, 0), all.at(rows));
    EXPECT_EQ(grid().Row(), 3);
    key(Qt::Key_PageUp);
    EXPECT_EQ(grid().TextMatrix(1, 0), all.at(0));
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    // Paged back onto the first page: one look further up finds nothing, then it is known.
    sb().boxes.expect(TopOfTheList).expect(TopOfList);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_EQ(session_.currentRow, 1);
    // Keys pressed while the grid has the focus page it the same way.
    QTest::keyClick(table(), Qt::Key_Down);
    EXPECT_EQ(grid().Row(), 2);

    QTest::mouseClick(child<QPushButton>("cmdPage_1"), Qt::LeftButton);
    EXPECT_EQ(grid().TextMatrix(1, 0), all.at(rows));
    const int row = grid().Row();
    QTest::mouseClick(child<QToolButton>("SpnGrid_down"), Qt::LeftButton);
    EXPECT_EQ(grid().Row(), row + 1);
    QTest::mouseClick(child<QToolButton>("SpnGrid_up"), Qt::LeftButton);
    EXPECT_EQ(grid().Row(), row);
    QTest::mouseClick(child<QPushButton>("cmdPage_0"), Qt::LeftButton);
    EXPECT_EQ(grid().TextMatrix(1, 0), all.at(0));
}

TEST_F(LookupFormTest, EnterF2TheAcceptButtonAndADoubleClickAcceptTheSelectedRow) {
    open();
    key(Qt::Key_F2);
    EXPECT_EQ(form_->result(), QDialog::Accepted);
    EXPECT_EQ(run().SelectedItemID, "20000002");  // "AAA FIRST"

    open();
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    const QString third = rowCode(3);
    key(Qt::Key_Return);
    EXPECT_EQ(form_->result(), QDialog::Accepted);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(run().SelectedItemID, third);
    EXPECT_EQ(third.size(), 8);
    EXPECT_FALSE(session_.closing);

    open();
    QTest::mouseClick(child<QPushButton>("cmdAction_0"), Qt::LeftButton);
    EXPECT_EQ(form_->result(), QDialog::Accepted);
    open();
    key(Qt::Key_Down);
    grid().setRow(0);  // the header row: row one is taken
    form_->acceptSelection();
    EXPECT_EQ(run().SelectedItemID, "20000002");

    open();
    const QString fourth = rowCode(4);
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(5, 0));
    EXPECT_EQ(grid().Row(), 5);  // releasing the mouse on a row selects it
    EXPECT_EQ(session_.currentRow, 5);
    // As the window system delivers a double-click: a click, then the second press.
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(4, 0));
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(4, 0));
    EXPECT_EQ(form_->result(), QDialog::Accepted);
    EXPECT_EQ(run().SelectedItemID, fourth);
}

TEST_F(LookupFormTest, AcceptReturnsStoredCodesOfReservedAndNumericCodes) {
    for (const auto& [typed, cell, stored] :
         {std::tuple{"~ROA", "~ROA    ", "~ROA    "}, std::tuple{"123", "    123. ", "    123 "}}) {
        open();
        key(Qt::Key_F6);
        QTest::keyClicks(searchBox(), typed);
        ASSERT_EQ(grid().TextMatrix(1, 2), cell);
        key(Qt::Key_Return);
        EXPECT_EQ(run().SelectedItemID, stored);
    }
}

TEST_F(LookupFormTest, EscapeAndTheCancelButtonCancelWithoutASelection) {
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel button");
        run().SelectedItemID = "12";
        open();
        key(Qt::Key_Down);
        if (escape) {
            key(Qt::Key_Escape);
        } else {
            QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
        }
        EXPECT_EQ(form_->result(), QDialog::Rejected);
        EXPECT_FALSE(form_->isVisible());
        EXPECT_EQ(run().SelectedItemID, "");
        EXPECT_EQ(session_.currentRow, 0);
    }
}

TEST_F(LookupFormTest, TabGoesSearchBoxGridAndButtonsWhichEnterOrSpacePress) {
    open();
    ShowForKeys(*form_);
    EXPECT_EQ(FocusedName(), "txtEditValue");
    ExpectTabCycle(*form_, "txtEditValue",
                   {"txtEditValue", "ckWildcard", "fgrdItems", "cmdPage_0", "cmdPage_1",
                    "cmdAction_0", "cmdEdit_0", "cmdHelp", "cmdExit"});

    // Space on the wildcard box ticks it; Enter on "Esc Cancel" cancels, it does not accept.
    child<QWidget>("txtEditValue")->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_Tab);
    Press(Qt::Key_Space);
    EXPECT_TRUE(child<QCheckBox>("ckWildcard")->isChecked());
    EXPECT_EQ(searchBox()->text(), QString());
    TabTo("cmdExit");
    Press(Qt::Key_Return);
    EXPECT_EQ(form_->result(), QDialog::Rejected);
    EXPECT_EQ(run().SelectedItemID, "");

    open();
    ShowForKeys(*form_);
    Press(Qt::Key_Down);
    const QString second = rowCode(2);
    TabTo("cmdAction_0");
    Press(Qt::Key_Space);
    EXPECT_EQ(form_->result(), QDialog::Accepted);
    EXPECT_EQ(run().SelectedItemID, second);
}

TEST_F(LookupFormTest, F3TicksTheWildcardBoxThenEnterOrF11SearchesAndF12Resets) {
    open();
    key(Qt::Key_F3);
    EXPECT_TRUE(child<QCheckBox>("ckWildcard")->isChecked());
    EXPECT_TRUE(child<QPushButton>("cmdSearch")->isVisible());
    EXPECT_TRUE(child<QPushButton>("cmdStop")->isVisible());
    QTest::keyClicks(searchBox(), "LAGER");
    EXPECT_EQ(grid().TextMatrix(1, 0), "AAA FIRST");  // typing does not search
    key(Qt::Key_Return);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_TRUE(session_.wildcardListShown);
    EXPECT_TRUE(grid().TextMatrix(1, 0).endsWith("LAGER"));
    EXPECT_FALSE(child<QLabel>("Lblwait")->isVisible());

    searchBox()->setText("GIN T");
    key(Qt::Key_F11);
    EXPECT_EQ(session_.listRows, 1);
    EXPECT_EQ(grid().TextMatrix(1, 0), "GIN TONIC");
    key(Qt::Key_F12);
    EXPECT_EQ(searchBox()->text(), "");
    EXPECT_FALSE(child<QCheckBox>("ckWildcard")->isChecked());
    EXPECT_FALSE(session_.wildcardListShown);
    EXPECT_EQ(grid().TextMatrix(1, 0), "AAA FIRST");
    EXPECT_EQ(grid().Rows(), session_.rowsPerPage + 1);
    EXPECT_EQ(session_.currentRow, 0);
}

TEST_F(LookupFormTest, F10StopsWhileStopShowsAndAcceptsOtherwise) {
    open();
    key(Qt::Key_F3);
    key(Qt::Key_F10);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_TRUE(session_.stopRequested);
    child<QCheckBox>("ckWildcard")->setChecked(false);
    EXPECT_FALSE(child<QPushButton>("cmdStop")->isVisible());
    key(Qt::Key_F10);
    EXPECT_EQ(form_->result(), QDialog::Accepted);
}

TEST_F(LookupFormTest, SearchOnPriceExplainsWhyNot) {
    open();
    form_->sortByColumn(9);
    EXPECT_EQ(pad(), "--Price");
    EXPECT_TRUE(child<QPushButton>("cmdSearch")->isVisible());
    QTest::keyClicks(searchBox(), "1");
    EXPECT_TRUE(child<QCheckBox>("ckWildcard")->isChecked());
    sb().boxes.expect("Wildcard search not available on Price");
    key(Qt::Key_F11);
}

TEST_F(LookupFormTest, F1AndTheHelpButtonOpenTheLookupTopic) {
    open();
    QList<QUrl> opened;
    form_->openHelp = [&](const QUrl& url) { opened << url; };
    key(Qt::Key_F1);
    QTest::mouseClick(child<QPushButton>("cmdHelp"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0].toString(), "https://docs.quorvane.com/help/look_up_items.htm");
    EXPECT_EQ(opened[1], opened[0]);
}

// --- layout and long fills ---------------------------------------------------------------

TEST_F(LookupFormTest, ResizingRecomputesTheRowsPerPage) {
    open();
    const QStringList all = byDescription();
    key(Qt::Key_PageDown);
    const int before = session_.rowsPerPage;
    form_->resize(form_->width(), form_->height() + 300);
    const int after = session_.rowsPerPage;
    EXPECT_EQ(after, LookupEngine::RowsPerPageFor(grid().HeightTwips()));
    EXPECT_GT(after, before);
    EXPECT_EQ(grid().Rows(), after + 1);
    for (int r = 1; r <= after; ++r) {
        EXPECT_EQ(grid().TextMatrix(r, 0), all.at(before + r - 1)) << r;
    }
    form_->resize(form_->width(), form_->height() - 450);
    EXPECT_LT(session_.rowsPerPage, before);
    EXPECT_EQ(grid().Rows(), session_.rowsPerPage + 1);
    EXPECT_EQ(grid().TextMatrix(1, 0), all.at(before));
    key(Qt::Key_PageDown);  // pages by the new size
    EXPECT_EQ(grid().TextMatrix(1, 0), all.at(before + session_.rowsPerPage));
}

TEST_F(LookupFormTest, StopAndEscapeStayLiveDuringALongFill) {
    open();
    key(Qt::Key_F3);
    QTest::keyClicks(searchBox(), "A");
    QPushButton* stop = child<QPushButton>("cmdStop");
    QTimer::singleShot(0, stop, [stop] { QTest::mouseClick(stop, Qt::LeftButton); });
    key(Qt::Key_F11);
    EXPECT_TRUE(session_.wildcardListShown);
    EXPECT_GE(session_.listRows, 1);
    EXPECT_LT(session_.listRows, 20);  // far fewer than the items holding an "A"
    EXPECT_TRUE(child<QPushButton>("cmdAction_0")->isEnabled());

    QLineEdit* box = searchBox();
    QTimer::singleShot(0, box, [box] { QTest::keyClick(box, Qt::Key_Escape); });
    key(Qt::Key_F11);
    EXPECT_EQ(form_->result(), QDialog::Rejected);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_LT(session_.listRows, 20);
    EXPECT_EQ(run().SelectedItemID, "");
}

// --- OpenInventoryLookup -------------------------------------------------------------------

void press(QWidget* w, int key) {
    QTest::keyClick(w->findChild<QLineEdit*>("txtEditValue"), static_cast<Qt::Key>(key));
}
GridControl& gridOf(QWidget* w) {
    return static_cast<frm_Lookup*>(w)->grid();
}

TEST_F(LookupFormTest, OpenInventoryLookupReturnsThePickedCodeAndKeepsTheRecordBuffer) {
    store().db.layer->Inventory = DbFixture::Item(42);
    QString second;
    ModalDriver driver;
    driver.on("frm_Lookup", [&](QWidget* w) {
        second = SlFromDisplay(gridOf(w).TextMatrix(2, 2));
        press(w, Qt::Key_Down);
        press(w, Qt::Key_Return);
    });
    const QString picked = OpenInventoryLookup(QString(), context());
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(picked, second);
    EXPECT_EQ(run().SelectedItemID, second);
    EXPECT_FALSE(session_.pickerMode);
    EXPECT_EQ(store().db.layer->Inventory, DbFixture::Item(42));
}

TEST_F(LookupFormTest, ACancelledLookupReturnsNothingAndTheNextOpensOnTheColumnChosen) {
    store().db.layer->Inventory = DbFixture::Item(7);
    QString label;
    QString firstByItemId;
    ModalDriver driver;
    driver
        .on("frm_Lookup",
            [](QWidget* w) {
                press(w, Qt::Key_PageDown);
                press(w, Qt::Key_F7);
                press(w, Qt::Key_Escape);
            })
        .on("frm_Lookup", [&](QWidget* w) {
            label = w->findChild<QLabel*>("lblPad")->text();
            firstByItemId = SlFromDisplay(gridOf(w).TextMatrix(1, 2));
            press(w, Qt::Key_Return);
        });
    EXPECT_EQ(OpenInventoryLookup("5", context()), "");
    EXPECT_EQ(run().SelectedItemID, "");
    EXPECT_EQ(store().db.layer->Inventory, DbFixture::Item(7));
    const QString picked = OpenInventoryLookup(QString(), context());
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(label, "--Item ID");
    EXPECT_EQ(db::RTrim(picked), store().listed("SL", "ltrim(ItemID), ItemID").at(0));
    EXPECT_EQ(picked, firstByItemId);
}

TEST(LookupFormEmpty, NothingToShowClosesTheLookupWithoutASelection) {
    Sandbox sb;
    LookupStore store(sb, 0);
    ASSERT_TRUE(store.db.ok());
    store.db.layer->ExecuteSql("DELETE FROM invt1 WHERE Status <> 'D'");
    LookupSession session;
    CountrySettings country(sb.services, store.db.run);
    sb.boxes.expect(lookup_text::NoMatchingData);
    const QString picked = OpenInventoryLookup(
        "9", LookupContext{session, *store.db.layer, store.db.run, country, sb.services});
    EXPECT_EQ(picked, "");
    EXPECT_EQ(store.db.run.SelectedItemID, "");
    EXPECT_TRUE(sb.boxes.allAnswered());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace qv::test
