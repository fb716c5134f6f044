#include "tests/lookup/lookup_fixture.h"
#include "tests/support/data_files.h"

#include <QHeaderView>

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
    // Asks for a stop once `rows` rows have been read.
    void stopAfter(int rows) {
        engine().betweenRows = [this, rows, read = 0]() mutable {
            if (++read == rows) {
                session().stopRequested = true;
            }
        };
    }

    // Runs a step and describes what it leaves: the messages it showed, the session's state
    // and the page, the selected row marked.
    QString step(const QString& label, const std::function<void()>& act) {
        const std::size_t shown = sandbox_->boxes.shown().size();
        act();
        QString out = QStringLiteral("--- ") + label + u'\n';
        for (std::size_t i = shown; i < sandbox_->boxes.shown().size(); ++i) {
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
    QString position(const QString& typed) {
        return step(QStringLiteral("typed \"%1\"").arg(typed), [&] {
            session().searchText.clear();
            engine().SearchPosition(typed);
        });
    }
    QString page(int code, const char* label) {
        return step(QString::fromLatin1(label), [&] { engine().PageLookup(code); });
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

    ASSERT_TRUE(engine().FirstFill());
    EXPECT_EQ(rig().descriptions(), byDescription().mid(0, 14));
    EXPECT_EQ(grid().TextMatrix(1, 0), "AAA FIRST");  // "AAA DELETED" sorts before it
    EXPECT_TRUE(session().atTop);
    EXPECT_EQ(boxCount(), 0);
    // Asked again on the page already shown: nothing is read again.
    const QString before = store().db.layer->LastStatement();
    grid().setTextMatrix(14, 0, "marker");  // a re-read would overwrite it
    ASSERT_TRUE(engine().FirstFill());
    EXPECT_EQ(grid().TextMatrix(14, 0), "marker");
    EXPECT_EQ(store().db.layer->LastStatement(), before);
}

TEST_F(LookupEngineTest, StopEndsAFillOrAWildcardListAfterTheCurrentRow) {
    stopAfter(4);
    ASSERT_TRUE(engine().FirstFill());
    EXPECT_EQ(nonBlank(rig().descriptions()).size(), 4);
    EXPECT_TRUE(grid().RowIsBlank(5));
    session().stopRequested = false;
    stopAfter(3);
    session().wildcardOn = true;
    engine().WildcardSearch("A");
    EXPECT_EQ(session().listRows, 3);
    EXPECT_EQ(nonBlank(rig().descriptions()).size(), 3);
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
    QString out = step("first fill", [&] { engine().FirstFill(); });
    for (int i = 0; i < 13; ++i) {
        engine().PageLookup(paging::RowDown);
    }
    out += page(paging::RowDown, "row down at the page boundary shifts the page by one");
    out += page(paging::PageDown, "page down");
    out += page(paging::PageUp, "page up");
    out += page(paging::PageUp, "page up reaches the start");
    out += page(paging::PageUp, "page up at the top");
    out += page(paging::RowDown, "row down");
    out += page(paging::RowUp, "row up from the second row");
    out += page(paging::RowUp, "row up on the first row");
    out += position(byDescription().at(5));
    out += page(paging::PageUp, "page up near the start fills from the first item");
    out += position("ZZZ");
    out += page(paging::RowDown, "row down at the end");
    out += page(paging::PageDown, "page down at the end");
    // Keys compact ", " and doubled blanks in a description with an apostrophe; paging must
    // still step over the stored text exactly.
    out += position("BEN & JERRY'S");
    out += page(paging::PageDown, "page down");
    out += page(paging::PageUp, "page up");
    // Typed text: the first match, else the nearest item before (or the first after it when
    // that starts with the letter typed).
    for (const char* typed : {"kiwi lager", "KIWI L", "B", "Q"}) {
        out += position(typed);
    }
    out += step("the same text typed again does not search again", [&] {
        engine().SearchPosition("Q");
        engine().PageLookup(paging::PageDown);
        engine().SearchPosition("Q");
    });
    for (const auto& [column, typed] :
         {std::pair{1, "EACH"}, std::pair{2, "123"}, std::pair{2, "10000010"},
          std::pair{2, "1000001.0"}, std::pair{2, "~roa"}, std::pair{3, "A100"},
          std::pair{3, "z7001"}, std::pair{3, "kw-000016"}, std::pair{5, "ICE"},
          std::pair{7, "V900"}, std::pair{0, "SHORT CODE ITEM"}, std::pair{0, "AAA FIRST"}}) {
        engine().SetSortColumn(column);
        out += position(typed);
    }
    // "   Z7001" sorts by "Z7001", after the "ST-" codes, not first as its blanks would have it.
    engine().SetSortColumn(3);
    out += position("Z7");
    out += page(paging::RowUp, "row up");
    engine().SetSortColumn(5);
    out += step("search button on departments", [&] {
        engine().RunSearch("NOSUCH");
        engine().RunSearch("ICE");
    });
    out += step("the department name column is display only", [&] { engine().SetSortColumn(6); });
    ExpectGolden("lookup/engine_steps.txt", out);
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
    QString out = step("first fill", [&] { engine().FirstFill(); });
    session().wildcardOn = true;
    // Apostrophes cannot break or widen the search; typed wildcards are searched for as
    // themselves; without matches the page stays.
    for (const char* typed : {"x' OR '1'='1", "JERRY'S", "50%", "N_T", "QQQZZZ", "GIN"}) {
        out += step(QStringLiteral("wildcard \"%1\"").arg(typed),
                    [&] { engine().WildcardSearch(typed); });
    }
    // A list is paged within itself; positioning returns to pages.
    out += step("wildcard \"LAGER\"", [&] { engine().WildcardSearch("LAGER"); });
    out += page(paging::RowUp, "row up");
    out += page(paging::PageDown, "page down");
    out += page(paging::RowDown, "row down");
    for (int i = 0; i < 20 && grid().Row() != session().listRows; ++i) {
        engine().PageLookup(paging::PageDown);
    }
    out += page(paging::RowDown, "row down at the end of the list");
    session().wildcardOn = false;
    out += position("OCEAN");

    // Quantity and price are ordered by a statement: typing ticks the wildcard box, and the
    // wildcard search refuses them and UPC codes.
    int ticked = 0;
    engine().wildcardTicked = [&] { ++ticked; };
    engine().SetSortColumn(9);
    out += position("12");
    for (int column : {9, 8, 4}) {
        engine().SetSortColumn(column);
        out += step("wildcard on column " + QString::number(column),
                    [&] { engine().WildcardSearch("1"); });
    }
    session().sortFieldName.clear();
    out += step("wildcard without a field", [&] { engine().WildcardSearch("1"); });
    rig().country.IncludeTaxInPrice = true;
    engine().SetUpInventoryColumns();
    engine().SetSortColumn(9);
    out += step("search on prices with their tax", [&] { engine().RunSearch("1"); });
    ExpectGolden("lookup/engine_wildcard.txt", out);
    EXPECT_EQ(ticked, 1);
    EXPECT_EQ(session().orderFragment, " ORDER BY PriceIncTax");
    EXPECT_EQ(session().whereLow, " WHERE  status <=  ' ' ");
}

// --- UPC mode and prices -------------------------------------------------------------------------

TEST_F(LookupEngineTest, SortedByUpcTheListFollowsTheUpcTableAndPricesIncludeTaxWhenSaid) {
    ASSERT_TRUE(engine().SetSortColumn(4));
    // "AAA FIRST" (its withdrawn code skipped) then the items in code order, without the
    // deleted items 5 and 6.
    QString out = step("first fill by UPC", [&] { engine().FirstFill(); });
    out += page(paging::PageDown, "page down");
    out += page(paging::PageUp, "page up");
    out += position(DbFixture::UpcCode(123).left(10));
    out += position(DbFixture::UpcCode(123));
    out += position("99");  // past every code: the last one

    engine().SetSortColumn(0);
    rig().country.IncludeTaxInPrice = true;
    CommonRates rates;
    rates.TaxRate = {15.0f, 5.0f, 0, 0, 0};
    rig().country.setRates(rates);
    engine().SetUpInventoryColumns();
    EXPECT_EQ(session().columns[9].fieldOrdinal, 32);
    // No tax-inclusive price stored: the price plus its tax (code "A", 15%); stored ones as
    // they are.
    out += position("AAA FIRST");
    ExpectGolden("lookup/engine_upc_and_prices.txt", out);
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

}  // namespace
}  // namespace qv::test
