// The item lookup: S/L codes as shown and typed, the search and paging engine, and the lookup
// window with keys and mouse.

#include "lookup/frm_lookup.h"
#include "lookup/sl_code.h"
#include "tests/lookup/lookup_fixture.h"
#include "tests/support/data_files.h"
#include "tests/support/form_state.h"
#include "tests/support/keys.h"
#include "tests/support/modal_driver.h"
#include "tests/support/ui_steps.h"

#include <QTest>
#include <QtWidgets>
#include <algorithm>
#include <functional>
#include <memory>

// The search and paging engine against a real embedded store of a few hundred items, its grid
// on an offscreen table. Walks over the whole list must reproduce one ordered statement over
// the whole table, page by page and row by row; the pages of single steps, positions and
// searches are compared with golden transcripts.

namespace qv::test {
namespace {

using namespace lookup_text;

class LookupEngineTest : public SharedStoreTest {
protected:
    void SetUp() override {
        SharedStoreTest::SetUp();
        sb().boxes.answerUnexpected = true;  // the transcripts show every message
        rig_ = std::make_unique<LookupRig>(*store_);
    }

    LookupRig& rig() { return *rig_; }
    LookupEngine& engine() { return rig_->engine; }
    GridControl& grid() { return rig_->grid; }
    LookupSession& session() { return rig_->session; }

    // The stored S/L code of a row without its trailing blanks ("" for a blank row).
    QString codeAt(int row) const {
        const QString cell = rig_->grid.TextMatrix(row, 2);
        return cell.trimmed().isEmpty() ? QString() : db::RTrim(SlFromDisplay(cell));
    }
    QStringList pageCodes() const {
        QStringList out;
        for (int r = 1; r < rig_->grid.Rows(); ++r) {
            out << codeAt(r);
        }
        return out;
    }
    static QStringList nonBlank(QStringList list) {
        list.removeAll(QString());
        return list;
    }
    int boxCount() const { return static_cast<int>(sandbox_->boxes.shown().size()); }
    // Steps with `code` until a message is shown, calling `moved` after every step that moved.
    void stepUntilMessage(int code, const std::function<void()>& moved) {
        const int before = boxCount();
        for (int i = 0; i < 1000 && boxCount() == before; ++i) {
            engine().PageLookup(code);
            if (boxCount() == before) {
                moved();
            }
        }
    }

    // What a step left: the messages shown since `mark`, the session's state and the page,
    // the selected row marked.
    QString state(const QString& label, std::size_t mark) {
        QString out = QStringLiteral("--- ") + label + u'\n';
        for (std::size_t i = mark; i < sandbox_->boxes.shown().size(); ++i) {
            const ShownBox& b = sandbox_->boxes.shown()[i];
            out += QStringLiteral("box [%1] %2\n").arg(b.title, b.text);
        }
        const LookupSession& s = session();
        out +=
            QStringLiteral("pad %1 row %2 current %3%4%5%6\n")
                .arg(s.padLabel)
                .arg(grid().Row())
                .arg(s.currentRow)
                .arg(s.atTop ? QStringLiteral(" top") : QString(),
                     s.atEnd ? QStringLiteral(" end") : QString(),
                     s.wildcardListShown ? QStringLiteral(" list %1").arg(s.listRows) : QString());
        for (int r = 1; r < grid().Rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid().Cols(); ++c) {
                cells << grid().TextMatrix(r, c);
            }
            out += (r == grid().Row() ? QStringLiteral("> ") : QStringLiteral("  ")) +
                   cells.join(QStringLiteral(" | ")).trimmed() + u'\n';
        }
        return out;
    }
    // Runs the engine steps of a table in tests/data/lookup and returns their transcript:
    //   fill, page CODE, pages CODE n, position TEXT, search TEXT (as typed, not cleared first),
    //   sort COLUMN, wildcard TEXT, wildcardbox y/n, listend, run TEXT, nofield, tax [RATES]
    // and snap LABEL. A step with a label cell is shown on its own; "+" makes it part of the
    // next snap; without one, what it shows is left out.
    QString runSteps(const QString& relative) {
        QString out;
        std::size_t mark = sandbox_->boxes.shown().size();
        for (const Case& c : Cases(relative)) {
            SCOPED_TRACE(c.where());
            const QString verb = c.text(0);
            const QString arg = c.text(1);
            const std::int16_t code = static_cast<std::int16_t>(
                QStringList{"RowUp", "PageUp", "PageDown", "RowDown"}.indexOf(arg));
            const bool bare = verb == u"fill" || verb == u"snap";
            QString label = verb == u"pages" ? QString() : c.text(bare ? 1 : 2);
            if (verb == u"position") {
                label = QStringLiteral("typed \"%1\"").arg(arg);
                session().searchText.clear();
                engine().SearchPosition(arg);
            } else if (verb == u"wildcard") {
                label = c.has(2) ? label : QStringLiteral("wildcard \"%1\"").arg(arg);
                engine().WildcardSearch(arg);
            } else if (verb == u"fill") {
                engine().FirstFill();
            } else if (verb == u"page" || verb == u"pages") {
                for (int i = 0; i < (verb == u"pages" ? c.num(2) : 1); ++i) {
                    engine().PageLookup(code);
                }
            } else if (verb == u"search") {
                engine().SearchPosition(arg);
            } else if (verb == u"sort") {
                engine().SetSortColumn(arg.toInt());
            } else if (verb == u"wildcardbox") {
                session().wildcardOn = arg == u"y";
            } else if (verb == u"listend") {
                for (int i = 0; i < 20 && grid().Row() != session().listRows; ++i) {
                    engine().PageLookup(paging::PageDown);
                }
            } else if (verb == u"run") {
                engine().RunSearch(arg);
            } else if (verb == u"nofield") {
                session().sortFieldName.clear();
            } else if (verb == u"tax") {
                rig().country.IncludeTaxInPrice = true;
                if (c.has(1)) {
                    CommonRates rates;
                    for (int i = 0; i < c.list(1).size(); ++i) {
                        rates.TaxRate[i] = c.list(1)[i].toFloat();
                    }
                    rig().country.setRates(rates);
                }
                engine().SetUpInventoryColumns();
            } else {
                EXPECT_EQ(verb, "snap");
            }
            if (label == u"+") {
                continue;
            }
            if (!label.isEmpty()) {
                out += state(label, mark);
            }
            mark = sandbox_->boxes.shown().size();
        }
        return out;
    }

    std::unique_ptr<LookupRig> rig_;
};

// --- columns and first fill -------------------------------------------------------------------

TEST_F(LookupEngineTest, GridIsLaidOutFromTheInventoryColumnsAndFilledOnceFromTheFirstItem) {
    QString layout;
    for (int c = 0; c < grid().Cols(); ++c) {
        layout +=
            QStringLiteral("%1 \"%2\" %3 twips, alignment %4\n")
                .arg(c)
                .arg(grid().TextMatrix(0, c))
                .arg(rig().table->isColumnHidden(c) ? 0
                                                    : PixelsToTwips(rig().table->columnWidth(c)))
                .arg(grid().ColAlignment(c));
    }
    ExpectGolden("lookup/grid_columns.txt", layout);
    EXPECT_EQ(grid().Rows(), 15);
    EXPECT_EQ(rig().table->horizontalHeader()->height(), TwipsToPixels(700));
    EXPECT_TRUE(grid().WordWrap());

    // Filled (engine_steps.txt shows the page), and asked again on the page already shown:
    // nothing is read again.
    ASSERT_TRUE(engine().FirstFill());
    EXPECT_EQ(rig().descriptions(), byDescription().mid(0, 14));
    const QString before = store().db.layer->LastStatement();
    grid().setTextMatrix(14, 0, "marker");  // a re-read would overwrite it
    ASSERT_TRUE(engine().FirstFill());
    EXPECT_EQ(grid().TextMatrix(14, 0), "marker");
    EXPECT_EQ(store().db.layer->LastStatement(), before);
}

TEST_F(LookupEngineTest, NothingToShowGivesNoMatchingData) {
    Sandbox empty;
    LookupStore none(empty, 0);
    ASSERT_TRUE(none.db.ok());
    // Only deleted items: the two special ones.
    ASSERT_GT(none.db.layer->ExecuteSql("DELETE FROM invt1 WHERE Status <> 'D'"), 0);
    LookupRig r(none);
    empty.boxes.expect(NoMatchingData).expect(NoDataInFile);
    EXPECT_FALSE(r.engine.FirstFill());
    EXPECT_TRUE(r.grid.RowIsBlank(1));
    EXPECT_EQ(empty.boxes.shown()[0].title, "Quorvane");
    r.engine.SearchPosition("A");  // positioning finds nothing at all either
    EXPECT_TRUE(empty.boxes.allAnswered());
}

// --- whole walks -------------------------------------------------------------------------------

TEST_F(LookupEngineTest, EverySortColumnStartsAtItsFirstItemAndWalksTheWholeListInOrder) {
    struct Case {
        int column;
        const char* order;
        int code;  // the paging code of the walk
    };
    for (const Case& c :
         {Case{0, "Description, SL", paging::PageDown},
          Case{1, "SubDescription, SL", paging::PageDown}, Case{2, "SL", paging::RowDown},
          Case{3, "ltrim(ItemID), ItemID", paging::PageDown},
          Case{5, "DeptCode, ItemID", paging::RowDown},
          Case{7, "VendorCode, SL", paging::PageDown}}) {
        SCOPED_TRACE(c.order);
        ASSERT_TRUE(engine().SetSortColumn(c.column));
        EXPECT_EQ(store().db.run.InventorySearchBy, c.column);
        const QStringList all = store().listed("SL", c.order);
        session().currentRow = 0;  // as the form leaves it after a new sort
        ASSERT_TRUE(engine().FirstFill());
        EXPECT_EQ(pageCodes(), all.mid(0, 14));
        QStringList seen =
            c.code == paging::RowDown ? QStringList{codeAt(1)} : nonBlank(pageCodes());
        stepUntilMessage(c.code, [&] {
            if (c.code == paging::RowDown) {
                seen << codeAt(grid().Row());
            } else {
                seen += nonBlank(pageCodes());
            }
        });
        EXPECT_EQ(seen, all);
        EXPECT_EQ(sb().boxes.shown().back().title, EndOfTheListTitle);
        EXPECT_TRUE(session().atEnd);
        if (c.code == paging::RowDown) {  // the last item stays selected in the last row
            EXPECT_EQ(grid().Row(), 14);
        }
    }
}

TEST_F(LookupEngineTest, RowUpWalksBackToTheTopAndSaysSo) {
    ASSERT_TRUE(engine().SetSortColumn(3));
    const QStringList all = store().listed("SL", "ltrim(ItemID), ItemID");
    engine().SearchPosition(store().listed("ItemID", "ltrim(ItemID), ItemID").at(40));
    ASSERT_EQ(codeAt(1), all.at(40));
    QStringList seen;
    stepUntilMessage(paging::RowUp, [&] { seen.prepend(codeAt(grid().Row())); });
    EXPECT_EQ(seen, all.mid(0, 40));
    EXPECT_TRUE(session().atTop);
}

// --- single steps, positions and searches ------------------------------------------------------

TEST_F(LookupEngineTest, StepsPositionsAndSearchesLeaveThePagesOfTheirGoldenText) {
    ExpectGolden("lookup/engine_steps.txt", runSteps("lookup/engine_steps.steps"));
    EXPECT_EQ(store().db.run.InventorySearchBy, 5);
}

TEST_F(LookupEngineTest, WildcardSearchesListEveryItemContainingTheTextLiterally) {
    EXPECT_EQ(engine().WildcardStatement("GIN"),
              "SELECT * FROM invt1 WHERE Description like '%GIN%' And status <> 'D' "
              "Order BY Description,subdescription");
    for (const auto& [typed, part] :
         {std::pair{"JERRY'S", "Description like '%JERRY''S%' And status <> 'D' "},
          std::pair{"x' OR '1'='1", "like '%x'' OR ''1''=''1%' And"},
          std::pair{"50%", "like '%50[%]%' And"}, std::pair{"N_T", "like '%N[_]T%' And"},
          std::pair{"[1]", "like '%[[]1]%' And"}}) {
        EXPECT_TRUE(engine().WildcardStatement(typed).contains(part)) << typed;
    }
    int ticked = 0;
    engine().wildcardTicked = [&] { ++ticked; };
    ExpectGolden("lookup/engine_wildcard.txt", runSteps("lookup/engine_wildcard.steps"));
    EXPECT_EQ(ticked, 1);
    EXPECT_EQ(session().orderFragment, " ORDER BY PriceIncTax");
    EXPECT_EQ(session().whereLow, " WHERE  status <=  ' ' ");
}

TEST_F(LookupEngineTest, SortedByUpcTheListFollowsTheUpcTableAndPricesIncludeTaxWhenSaid) {
    ExpectGolden("lookup/engine_upc_and_prices.txt",
                 runSteps("lookup/engine_upc_and_prices.steps"));
    EXPECT_EQ(session().columns[9].fieldOrdinal, 32);
}

TEST(LookupUpcMode, NoUpcCodesAtAllIsSaid) {
    Sandbox sb;
    LookupStore store(sb, 20);
    ASSERT_TRUE(store.error.isEmpty()) << store.error.toStdString();
    store.db.layer->ExecuteSql("DELETE FROM UPC1");
    LookupRig rig(store);
    ASSERT_TRUE(rig.engine.SetSortColumn(4));
    sb.boxes.expect(lookup_text::NoUpcCodes).expect(lookup_text::NoUpcCodes);
    EXPECT_TRUE(rig.engine.FirstFill());
    EXPECT_TRUE(rig.grid.RowIsBlank(1));
    rig.engine.SearchPosition("94");
    EXPECT_TRUE(sb.boxes.allAnswered());
}

TEST(SlCodes, DisplayEntryMoneyAndLikeTextsFollowTheirTable) {
    for (const Case& c : Cases("lookup/sl_codes.cases")) {
        const QString rule = c.text(0);
        if (rule == u"display") {
            EXPECT_EQ(SlDisplay(c.text(1)), c.text(2)) << c.where();
            EXPECT_EQ(SlFromDisplay(c.text(2)), c.text(1)) << c.where();
        } else if (rule == u"entry") {
            EXPECT_EQ(SlFromEntry(c.text(1)), c.text(2)) << c.where();
            if (c.has(3)) {
                EXPECT_EQ(SlFromDisplay(SlFromEntry(c.text(1))), c.text(3)) << c.where();
            }
        } else if (rule == u"money") {
            EXPECT_EQ(MoneyCellText(c.text(1)), c.text(2)) << c.where();
        } else {
            EXPECT_EQ(LikeContainsText(c.text(1)), c.text(2)) << c.where();
        }
    }
    // A short code is padded to eight characters first; a cell that lost its trailing blanks
    // still gives the stored code.
    EXPECT_EQ(SlDisplay("123"), "123    . ");
    EXPECT_EQ(SlDisplay("~ROA"), "~ROA    ");
    EXPECT_EQ(SlFromDisplay("~ROA"), "~ROA    ");
    EXPECT_EQ(ItemIdFromEntry("  A100"), QString("A100").leftJustified(25));
    EXPECT_EQ(ItemIdFromEntry("   7001 "), QString("7001 ").leftJustified(25));
    EXPECT_EQ(ItemIdFromEntry(QString(30, u'X')), QString(25, u'X'));
}

// --- layout units --------------------------------------------------------------------------

TEST(RowsPerPage, FifteenTwipsToAPixelAndHalvesToEven) {
    EXPECT_EQ(TwipsToPixels(7) + TwipsToPixels(8), 1);
    for (const auto& [twips, rows] :
         {std::pair{8700, 14}, std::pair{9300, 16}, std::pair{100, 1}}) {
        EXPECT_EQ(LookupEngine::RowsPerPageFor(twips), rows) << twips;  // 14.5, 15.5
    }
}

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
    // The page fits the grid's height; the first page is the engine's (lookup_test.cpp).
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
