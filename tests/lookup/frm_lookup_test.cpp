#include "lookup/frm_lookup.h"
#include "tests/lookup/lookup_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

// The lookup window on the offscreen platform: shown without its own event loop, driven with
// key and mouse events, except where the blocking OpenInventoryLookup itself is under test.

namespace qv::test {
namespace {

using namespace lookup_text;

class LookupFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sandbox_ = new Sandbox;
        store_ = new LookupStore(*sandbox_);
    }
    static void TearDownTestSuite() {
        delete store_;
        delete sandbox_;
    }
    void SetUp() override {
        ASSERT_TRUE(store_->error.isEmpty()) << store_->error.toStdString();
        sandbox_->boxes.clear();
        run().InventorySearchBy = 0;
        run().TrainingMode = false;
        run().SelectedItemID.clear();
    }
    void TearDown() override {
        form_.reset();
        engine_.reset();
        EXPECT_TRUE(sandbox_->boxes.allAnswered()) << "a message that was expected never came";
    }

    RunValues& run() { return store_->db.run; }
    Sandbox& sb() { return *sandbox_; }
    LookupStore& store() { return *store_; }
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

    static Sandbox* sandbox_;
    static LookupStore* store_;
    LookupSession session_;
    CountrySettings country_{sandbox_->services, store_->db.run};
    std::unique_ptr<LookupEngine> engine_;
    std::unique_ptr<frm_Lookup> form_;
};

Sandbox* LookupFormTest::sandbox_ = nullptr;
LookupStore* LookupFormTest::store_ = nullptr;

// --- opening -------------------------------------------------------------------------------

TEST_F(LookupFormTest, OpensOnTheDefaultColumnWithItsFirstPage) {
    open();
    EXPECT_EQ(form_->windowTitle(), FormCaption);
    EXPECT_EQ(form_->objectName(), "frm_Lookup");
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
    for (const char* name : {"fraPad", "fgrdItems", "ckWildcard", "cmdPage_0", "cmdPage_1",
                             "SpnGrid", "cmdEdit_0", "cmdHelp"}) {
        EXPECT_NE(form_->findChild<QWidget*>(name), nullptr) << name;
    }

    const QStringList all = store().listed("Description", "Description, SL");
    const int rows = session_.rowsPerPage;
    EXPECT_EQ(rows, LookupEngine::RowsPerPageFor(grid().HeightTwips()));
    EXPECT_GE(rows, 10);
    EXPECT_EQ(grid().Rows(), rows + 1);
    for (int r = 1; r <= rows; ++r) {
        EXPECT_EQ(grid().TextMatrix(r, 0), all.at(r - 1)) << r;
    }
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_TRUE(searchBox()->hasFocus() || QApplication::focusWidget() == nullptr);
}

TEST_F(LookupFormTest, TrainingDataShowsTheTrainingLabel) {
    run().TrainingMode = true;
    open();
    EXPECT_TRUE(child<QLabel>("LblTraining")->isVisible());
}

TEST_F(LookupFormTest, SortColumnHeaderIsMarked) {
    open();
    key(Qt::Key_F6);
    const QTableWidgetItem* sorted = table()->horizontalHeaderItem(2);
    const QTableWidgetItem* other = table()->horizontalHeaderItem(0);
    EXPECT_EQ(sorted->foreground().color(), QColor(Qt::white));
    EXPECT_NE(sorted->background().color(), other->background().color());
    EXPECT_EQ(other->foreground().color(), QColor(Qt::black));
    EXPECT_TRUE(sorted->font().bold());
    EXPECT_TRUE(other->font().bold());
}

// --- keys ----------------------------------------------------------------------------------

TEST_F(LookupFormTest, FunctionKeysSortByTheirColumns) {
    open();
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
    }
    // Sorting starts again from the top of the list.
    EXPECT_EQ(grid().TextMatrix(1, 0), "AAA FIRST");
}

TEST_F(LookupFormTest, SortingClearsTheSearch) {
    open();
    QTest::keyClicks(searchBox(), "KIWI");
    key(Qt::Key_F6);
    EXPECT_EQ(searchBox()->text(), "");
    EXPECT_EQ(rowCode(1), "    123 ");
}

TEST_F(LookupFormTest, TypingPositionsTheGrid) {
    open();
    QTest::keyClicks(searchBox(), "kiwi lager");
    EXPECT_EQ(grid().TextMatrix(1, 0), "KIWI LAGER");
    EXPECT_EQ(grid().Row(), 1);
}

TEST_F(LookupFormTest, DigitsReachTheSearchBoxAndNeverActAsKeys) {
    open();
    key(Qt::Key_F6);
    QTest::keyClicks(searchBox(), "1000001.0");
    EXPECT_EQ(searchBox()->text(), "1000001.0");
    EXPECT_EQ(pad(), "--SL");
    EXPECT_EQ(rowCode(1), "10000010");
    QTest::keyClick(searchBox(), Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(searchBox()->text(), "1000001.05");
    EXPECT_EQ(pad(), "--SL");
}

TEST_F(LookupFormTest, KeysWithShiftCtrlOrAltOnlyGoToTheSearchBox) {
    open();
    key(Qt::Key_F6, Qt::ShiftModifier);
    key(Qt::Key_F7, Qt::ControlModifier);
    key(Qt::Key_Escape, Qt::AltModifier);
    EXPECT_EQ(pad(), "--Description");
    EXPECT_TRUE(form_->isVisible());
    // A key pressed in the grid is typed into the search box.
    QTest::keyClick(table(), Qt::Key_K);
    EXPECT_EQ(searchBox()->text(), "k");
}

TEST_F(LookupFormTest, ArrowAndPageKeysMoveThroughTheList) {
    open();
    const QStringList all = store().listed("Description", "Description, SL");
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
}

TEST_F(LookupFormTest, PageButtonsAndSpinButtonPage) {
    open();
    const QStringList all = store().listed("Description", "Description, SL");
    const int rows = session_.rowsPerPage;
    QTest::mouseClick(child<QPushButton>("cmdPage_1"), Qt::LeftButton);
    EXPECT_EQ(grid().TextMatrix(1, 0), all.at(rows));
    QTest::mouseClick(child<QToolButton>("SpnGrid_down"), Qt::LeftButton);
    EXPECT_EQ(grid().Row(), 2);
    QTest::mouseClick(child<QToolButton>("SpnGrid_up"), Qt::LeftButton);
    EXPECT_EQ(grid().Row(), 1);
    QTest::mouseClick(child<QPushButton>("cmdPage_0"), Qt::LeftButton);
    EXPECT_EQ(grid().TextMatrix(1, 0), all.at(0));
}

TEST_F(LookupFormTest, EnterAcceptsTheSelectedRow) {
    open();
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    const QString expected = rowCode(3);
    key(Qt::Key_Return);
    EXPECT_EQ(form_->result(), QDialog::Accepted);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(run().SelectedItemID, expected);
    EXPECT_EQ(expected.size(), 8);
    EXPECT_FALSE(session_.closing);
}

TEST_F(LookupFormTest, F2AndTheAcceptButtonAccept) {
    open();
    key(Qt::Key_F2);
    EXPECT_EQ(form_->result(), QDialog::Accepted);
    EXPECT_EQ(run().SelectedItemID, "20000002");  // "AAA FIRST"
    open();
    QTest::mouseClick(child<QPushButton>("cmdAction_0"), Qt::LeftButton);
    EXPECT_EQ(form_->result(), QDialog::Accepted);
}

TEST_F(LookupFormTest, AcceptOnTheHeaderRowTakesRowOne) {
    open();
    key(Qt::Key_Down);
    grid().setRow(0);
    form_->acceptSelection();
    EXPECT_EQ(run().SelectedItemID, "20000002");
}

TEST_F(LookupFormTest, AcceptReturnsStoredCodesOfReservedAndNumericCodes) {
    open();
    key(Qt::Key_F6);
    QTest::keyClicks(searchBox(), "~ROA");
    ASSERT_EQ(grid().TextMatrix(1, 2), "~ROA    ");
    key(Qt::Key_Return);
    EXPECT_EQ(run().SelectedItemID, "~ROA    ");

    open();
    QTest::keyClicks(searchBox(), "123");
    ASSERT_EQ(grid().TextMatrix(1, 2), "    123. ");
    key(Qt::Key_Return);
    EXPECT_EQ(run().SelectedItemID, "    123 ");
}

TEST_F(LookupFormTest, EscapeCancelsWithoutASelection) {
    run().SelectedItemID = "12";
    open();
    key(Qt::Key_Down);
    key(Qt::Key_Escape);
    EXPECT_EQ(form_->result(), QDialog::Rejected);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(run().SelectedItemID, "");
    EXPECT_EQ(session_.currentRow, 0);
}

TEST_F(LookupFormTest, TheCancelButtonCancels) {
    open();
    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    EXPECT_EQ(form_->result(), QDialog::Rejected);
    EXPECT_EQ(run().SelectedItemID, "");
}

TEST_F(LookupFormTest, F3TicksTheWildcardBoxAndEnterThenSearches) {
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

TEST_F(LookupFormTest, F11SearchesAndF12Resets) {
    open();
    key(Qt::Key_F3);
    QTest::keyClicks(searchBox(), "GIN T");
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

TEST_F(LookupFormTest, DeleteAndBackspaceMarkTheTextEdited) {
    open();
    QTest::keyClicks(searchBox(), "AB");
    EXPECT_FALSE(session_.textEdited);
    key(Qt::Key_Backspace);
    EXPECT_TRUE(session_.textEdited);
    EXPECT_EQ(searchBox()->text(), "A");
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

// --- mouse ---------------------------------------------------------------------------------

TEST_F(LookupFormTest, ClickingAHeaderSortsByThatColumn) {
    open();
    QHeaderView* header = table()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(3) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(pad(), "--Item ID");
    EXPECT_EQ(run().InventorySearchBy, 3);
}

TEST_F(LookupFormTest, ReleasingTheMouseOnARowSelectsIt) {
    open();
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(5, 0));
    EXPECT_EQ(grid().Row(), 5);
    EXPECT_EQ(session_.currentRow, 5);
    key(Qt::Key_Down);
    EXPECT_EQ(grid().Row(), 6);
}

TEST_F(LookupFormTest, DoubleClickOnARowAcceptsIt) {
    open();
    const QString expected = rowCode(4);
    // As the window system delivers it: a click, then the second press as a double-click.
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(4, 0));
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, cellCentre(4, 0));
    EXPECT_EQ(form_->result(), QDialog::Accepted);
    EXPECT_EQ(run().SelectedItemID, expected);
}

// --- layout and long fills ---------------------------------------------------------------

TEST_F(LookupFormTest, ResizingRecomputesTheRowsPerPage) {
    open();
    const QStringList all = store().listed("Description", "Description, SL");
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
}

TEST_F(LookupFormTest, TheStopButtonStaysLiveDuringALongFill) {
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
}

TEST_F(LookupFormTest, EscapeCancelsDuringALongFill) {
    open();
    key(Qt::Key_F3);
    QTest::keyClicks(searchBox(), "A");
    QLineEdit* box = searchBox();
    QTimer::singleShot(0, box, [box] { QTest::keyClick(box, Qt::Key_Escape); });
    key(Qt::Key_F11);
    EXPECT_EQ(form_->result(), QDialog::Rejected);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_LT(session_.listRows, 20);
    EXPECT_EQ(run().SelectedItemID, "");
}

// --- OpenInventoryLookup -------------------------------------------------------------------

// Acts on the lookup window once it runs modally; a second window is acted on by the next
// step. Fails the test and closes the window if it never comes.
class ModalDriver : public QObject {
public:
    using Step = std::function<void(frm_Lookup&)>;
    explicit ModalDriver(std::vector<Step> steps) : steps_(std::move(steps)) {
        connect(&poll_, &QTimer::timeout, this, [this] { check(); });
        poll_.start(10);
        QTimer::singleShot(15000, this, [this] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "the lookup was still open";
                static_cast<QDialog*>(w)->reject();
            }
        });
    }
    bool done() const { return next_ == steps_.size(); }

private:
    void check() {
        auto* w = qobject_cast<frm_Lookup*>(QApplication::activeModalWidget());
        if (!w || w == last_ || next_ >= steps_.size()) {
            return;
        }
        last_ = w;
        Step step = steps_[next_++];  // advance first: the step may open the next window
        QPointer<frm_Lookup> target(w);
        QTimer::singleShot(0, this, [step, target] {
            if (target) {
                step(*target);
            }
        });
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    QTimer poll_;
    QPointer<frm_Lookup> last_;
};

void press(frm_Lookup& w, int key) {
    QTest::keyClick(w.findChild<QLineEdit*>("txtEditValue"), static_cast<Qt::Key>(key));
}

TEST_F(LookupFormTest, OpenInventoryLookupReturnsThePickedCode) {
    store().db.layer->Inventory = DbFixture::Item(42);
    QString second;
    ModalDriver driver({[&](frm_Lookup& w) {
        second = SlFromDisplay(w.grid().TextMatrix(2, 2));
        press(w, Qt::Key_Down);
        press(w, Qt::Key_Return);
    }});
    const QString picked = OpenInventoryLookup(QString(), context());
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(picked, second);
    EXPECT_EQ(run().SelectedItemID, second);
    EXPECT_FALSE(session_.pickerMode);
    // The caller's record buffer is as it was.
    EXPECT_EQ(store().db.layer->Inventory, DbFixture::Item(42));
}

TEST_F(LookupFormTest, OpenInventoryLookupReturnsNothingWhenCancelled) {
    store().db.layer->Inventory = DbFixture::Item(7);
    ModalDriver driver({[](frm_Lookup& w) {
        press(w, Qt::Key_PageDown);
        press(w, Qt::Key_Escape);
    }});
    EXPECT_EQ(OpenInventoryLookup("5", context()), "");
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(run().SelectedItemID, "");
    EXPECT_EQ(store().db.layer->Inventory, DbFixture::Item(7));
}

TEST_F(LookupFormTest, TheSecondLookupOpensOnTheColumnChosenInTheFirst) {
    QString label;
    QString firstByItemId;
    ModalDriver driver({[](frm_Lookup& w) {
                            press(w, Qt::Key_F7);
                            press(w, Qt::Key_Escape);
                        },
                        [&](frm_Lookup& w) {
                            label = w.findChild<QLabel*>("lblPad")->text();
                            firstByItemId = SlFromDisplay(w.grid().TextMatrix(1, 2));
                            press(w, Qt::Key_Return);
                        }});
    EXPECT_EQ(OpenInventoryLookup(QString(), context()), "");
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
