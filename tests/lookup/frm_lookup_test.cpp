#include "lookup/frm_lookup.h"
#include "tests/lookup/lookup_fixture.h"
#include "tests/support/data_files.h"
#include "tests/support/form_state.h"
#include "tests/support/keys.h"
#include "tests/support/modal_driver.h"
#include "tests/support/ui_steps.h"

#include <QTest>
#include <QtWidgets>
#include <functional>
#include <memory>

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
    GridControl& grid() { return form_->grid(); }
    QTableWidget* table() { return grid().table(); }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(searchBox(), static_cast<Qt::Key>(k), mods);
    }
    QPoint cellCentre(int row, int col) {
        return table()->visualRect(table()->model()->index(row - 1, col)).center();
    }
    // What the window shows: the sort label, the search box, the wildcard box and list, the
    // selected row and the first row of the page, the flags set, and the messages shown.
    QString state(const QString& label) {
        const bool searching = child<QWidget>("cmdSearch")->isVisible();
        QString out =
            QStringLiteral(
                "%1: pad %2 | text \"%3\" | wildcard %4%5 | row %6 of %7 | "
                "first %8 %9")
                .arg(label, child<QLabel>("lblPad")->text(), searchBox()->text(),
                     QString::fromLatin1(child<QCheckBox>("ckWildcard")->isChecked()
                                             ? (searching ? "on, Search and Stop shown" : "on")
                                             : (searching ? "off, Search and Stop shown" : "off")),
                     session_.wildcardListShown
                         ? QStringLiteral(", list of %1").arg(session_.listRows)
                         : QString(),
                     QString::number(grid().Row()), QString::number(grid().Rows() - 1),
                     grid().TextMatrix(1, 0), grid().TextMatrix(1, 2));
        out +=
            QStringLiteral("%1%2 | %3 | picked \"%4\" | current row %5%6\n")
                .arg(session_.textEdited ? " | edited" : "",
                     session_.stopRequested ? " | stop asked" : "",
                     form_->isVisible() ? QStringLiteral("open")
                                        : QStringLiteral("closed, result %1").arg(form_->result()),
                     run().SelectedItemID, QString::number(session_.currentRow),
                     session_.closing ? " | closing" : "");
        out += sb().boxes.transcript();
        sb().boxes.clear();
        sb().boxes.answerUnexpected = true;
        return out;
    }

    LookupSession session_;
    CountrySettings country_{sandbox_->services, store_->db.run};
    std::unique_ptr<LookupEngine> engine_;
    std::unique_ptr<frm_Lookup> form_;
};

TEST_F(LookupFormTest, OpensOnTheDefaultColumnWithItsFirstPage) {
    open();
    QString state = FormState(*form_);
    // The page fits the grid's height; the first page is the engine's (lookup_engine_test.cpp).
    EXPECT_EQ(session_.rowsPerPage, LookupEngine::RowsPerPageFor(grid().HeightTwips()));
    EXPECT_EQ(grid().TextMatrix(session_.rowsPerPage, 0),
              byDescription().at(session_.rowsPerPage - 1));
    run().TrainingMode = true;
    open();
    ExpectGolden("lookup/form_opened.txt", state + FormState(*form_));
}

// The user's steps of form.steps, with the test's own: a click on a column's header, a sort
// by a column, a look at the form.
TEST_F(LookupFormTest, KeysAndClicksSortPagePositionAndSearchAsTheGoldenTextSays) {
    open();
    sb().boxes.answerUnexpected = true;
    QString out;
    RunUiSteps([this] { return form_.get(); }, "lookup/form.steps",
               [&](const QString& verb, const QStringList& a) {
                   QHeaderView* header = table()->horizontalHeader();
                   if (verb == u"header") {
                       QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                                         QPoint(header->sectionViewportPosition(a[0].toInt()) + 5,
                                                header->height() / 2));
                   } else if (verb == u"sort") {
                       form_->sortByColumn(a.value(0).toInt());
                   } else {
                       out += state(a.value(0));
                   }
               });
    ExpectGolden("lookup/form_keys.txt", out);
    // The sort column's header is marked.
    EXPECT_EQ(table()->horizontalHeaderItem(9)->foreground().color(), QColor(Qt::white));
    EXPECT_NE(table()->horizontalHeaderItem(9)->background().color(),
              table()->horizontalHeaderItem(0)->background().color());
    EXPECT_EQ(table()->horizontalHeaderItem(0)->foreground().color(), QColor(Qt::black));
}

// The steps of form_accept.steps, with the test's own: open the window, select a row, accept,
// click or double-click a row, set the selected item, look at the form.
TEST_F(LookupFormTest, AcceptingAndCancellingLeaveTheSelectionOfTheGoldenText) {
    QString out;
    RunUiSteps(
        [this] { return form_.get(); }, "lookup/form_accept.steps",
        [&](const QString& verb, const QStringList& a) {
            const int row = a.value(0).toInt();
            if (verb == u"open") {
                open();
            } else if (verb == u"keys") {
                ShowForKeys(*form_);
            } else if (verb == u"setrow") {
                grid().setRow(row);
            } else if (verb == u"accept") {
                form_->acceptSelection();
            } else if (verb == u"rowclick" || verb == u"rowdclick") {
                QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, cellCentre(row, 0));
                if (verb == u"rowdclick") {
                    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, cellCentre(row, 0));
                }
            } else if (verb == u"picked") {
                run().SelectedItemID = a.value(0);
            } else {
                out += state(a.value(0));
            }
        });
    ExpectGolden("lookup/form_accept.txt", out);

    // F1 and the help button open the lookup topic.
    open();
    QList<QUrl> opened;
    form_->openHelp = [&](const QUrl& url) { opened << url; };
    key(Qt::Key_F1);
    QTest::mouseClick(child<QPushButton>("cmdHelp"), Qt::LeftButton);
    EXPECT_EQ(opened, QList<QUrl>(2, QUrl("https://docs.quorvane.com/help/look_up_items.htm")));
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
    EXPECT_LT(session_.listRows, 20);
    EXPECT_EQ(run().SelectedItemID, "");
}

// --- OpenInventoryLookup -------------------------------------------------------------------

// The blocking lookup as the wizard opens it: the code picked, nothing when cancelled, and the
// column chosen kept for the next time ("A100" is the first item ID); the record buffer is
// left as it was.
TEST_F(LookupFormTest, OpenInventoryLookupReturnsThePickedCodeKeepsTheRecordAndTheColumn) {
    store().db.layer->Inventory = DbFixture::Item(42);
    ModalDriver driver;
    driver.on("frm_Lookup", StepsOn("lookup/open_second.steps"))
        .on("frm_Lookup", StepsOn("lookup/open_item_id_cancelled.steps"))
        .on("frm_Lookup", StepsOn("lookup/open_again.steps"));
    QStringList picked{OpenInventoryLookup(QString(), context()), run().SelectedItemID};
    EXPECT_FALSE(session_.pickerMode);
    picked << OpenInventoryLookup("5", context()) << run().SelectedItemID;
    picked << OpenInventoryLookup(QString(), context());
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(picked, (QStringList{"20000007", "20000007", "", "", "20000004"}));
    EXPECT_EQ(store().db.layer->Inventory, DbFixture::Item(42));
}

}  // namespace
}  // namespace qv::test
