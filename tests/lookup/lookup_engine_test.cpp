#include "tests/lookup/lookup_fixture.h"

#include <QHeaderView>

#include <algorithm>
#include <functional>
#include <memory>

// The search and paging engine against a real embedded store of a few hundred items, its grid
// on an offscreen table. Expected orders come from one ordered statement over the whole table;
// the engine must reproduce them page by page and row by row.

namespace qv::test {
namespace {

using namespace lookup_text;

class LookupEngineTest : public SharedStoreTest {
protected:
    void SetUp() override {
        SharedStoreTest::SetUp();
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
    const ShownBox& lastBox() const { return sandbox_->boxes.shown().back(); }
    // Steps with `code` until `box` is shown, calling `moved` after every step that moved.
    void stepUntil(int code, const QString& box, const std::function<void()>& moved) {
        sb().boxes.expect(box);
        for (int i = 0; i < 1000 && boxCount() == 0; ++i) {
            engine().PageLookup(code);
            if (boxCount() == 0) {
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

    std::unique_ptr<LookupRig> rig_;
};

// --- columns and grid ------------------------------------------------------------------------

TEST_F(LookupEngineTest, GridIsLaidOutFromTheInventoryColumns) {
    const QStringList captions = {"Description", "SubDesc.",  " S/L", "Item ID",
                                  "UPC Code",    "Dept Code", "",     "F9 Vendor",
                                  "Quantity",    "Price",     ""};
    const int widths[] = {2400, 1500, 800, 1500, 1200, 1000, 0, 1000, 700, 700, 0};
    ASSERT_EQ(grid().Cols(), 11);
    EXPECT_EQ(grid().Rows(), 15);
    for (int c = 0; c < 11; ++c) {
        EXPECT_EQ(grid().TextMatrix(0, c), captions[c]) << c;
        EXPECT_EQ(rig().table->isColumnHidden(c), widths[c] == 0) << c;
        if (widths[c] > 0) {
            EXPECT_EQ(rig().table->columnWidth(c), TwipsToPixels(widths[c])) << c;
        }
        EXPECT_EQ(grid().ColAlignment(c), 1) << c;
    }
    EXPECT_EQ(rig().table->horizontalHeader()->height(), TwipsToPixels(700));
    EXPECT_TRUE(grid().WordWrap());
}

TEST_F(LookupEngineTest, RowShowsEveryColumnOfTheItem) {
    engine().SetSortColumn(2);
    engine().SearchPosition("10000000");
    const db::InventoryRecord item = DbFixture::Item(0);
    EXPECT_EQ(grid().TextMatrix(1, 0), item.Description.rtrimmed());
    EXPECT_EQ(grid().TextMatrix(1, 1), item.SubDescription.rtrimmed());
    EXPECT_EQ(grid().TextMatrix(1, 2), "1000000.0");
    EXPECT_EQ(grid().TextMatrix(1, 3), "KW-000000");
    EXPECT_EQ(grid().TextMatrix(1, 4), DbFixture::UpcCode(0));
    EXPECT_EQ(grid().TextMatrix(1, 5), "BEER");
    EXPECT_EQ(grid().TextMatrix(1, 6), "");  // the department name column never takes text
    EXPECT_EQ(grid().TextMatrix(1, 7), "V100");
    EXPECT_EQ(grid().TextMatrix(1, 8), "0");
    EXPECT_EQ(grid().TextMatrix(1, 9), "1.99");
    EXPECT_EQ(grid().TextMatrix(2, 8), "13");  // item 1: 13 on hand
}

TEST_F(LookupEngineTest, UpcAndCodeCellsOfSpecialItems) {
    const struct {
        const char* label;
        int sortColumn;
        const char* typed;
        const char* description;
        int column;
        const char* cell;
    } cases[] = {
        {"no UPC: an empty cell", 0, "SHORT CODE ITEM", "SHORT CODE ITEM", 4, ""},
        {"withdrawn UPC not shown", 0, "AAA FIRST", "AAA FIRST", 4, "000000000002"},
        {"reserved code without the point", 2, "~ROA", "ROA ACCOUNT PAYMENT", 2, "~ROA    "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(engine().SetSortColumn(c.sortColumn));
        session().searchText.clear();
        engine().SearchPosition(c.typed);
        ASSERT_EQ(grid().TextMatrix(1, 0), c.description);
        EXPECT_EQ(grid().TextMatrix(1, c.column), c.cell);
    }
}

// --- first fill --------------------------------------------------------------------------------

TEST_F(LookupEngineTest, FirstFillShowsTheFirstPageWithoutDeletedItemsAndOnlyOnce) {
    ASSERT_TRUE(engine().FirstFill());
    EXPECT_EQ(rig().descriptions(), byDescription().mid(0, 14));
    EXPECT_EQ(grid().TextMatrix(1, 0), "AAA FIRST");  // "AAA DELETED" sorts before it
    EXPECT_EQ(grid().Row(), 1);
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

TEST_F(LookupEngineTest, SortColumnsStartAtTheirFirstItem) {
    struct Case {
        int column;
        const char* order;
        const char* label;
    };
    for (const Case& c :
         {Case{1, "SubDescription, SL", "--SubDescription"}, Case{2, "SL", "--SL"},
          Case{3, "ltrim(ItemID), ItemID", "--Item ID"}, Case{5, "DeptCode, ItemID", "--Dept Code"},
          Case{7, "VendorCode, SL", "---Vendor"}}) {
        ASSERT_TRUE(engine().SetSortColumn(c.column)) << c.column;
        EXPECT_EQ(session().padLabel, c.label);
        EXPECT_EQ(store().db.run.InventorySearchBy, c.column);
        ASSERT_TRUE(engine().FirstFill()) << c.column;
        EXPECT_EQ(pageCodes(), store().listed("SL", c.order).mid(0, 14)) << c.order;
    }
}

TEST_F(LookupEngineTest, NothingToShowGivesNoMatchingData) {
    Sandbox empty;
    LookupStore none(empty, 0);
    ASSERT_TRUE(none.db.ok());
    // Only deleted items: the two special ones.
    ASSERT_GT(none.db.layer->ExecuteSql("DELETE FROM invt1 WHERE Status <> 'D'"), 0);
    LookupRig r(none);
    empty.boxes.expect(NoMatchingData);
    EXPECT_FALSE(r.engine.FirstFill());
    EXPECT_TRUE(r.grid.RowIsBlank(1));
    ASSERT_EQ(empty.boxes.shown().size(), 1u);
    EXPECT_EQ(empty.boxes.shown()[0].title, "Quorvane");

    // Positioning finds nothing at all either.
    empty.boxes.expect(NoDataInFile);
    r.engine.SearchPosition("A");
    EXPECT_TRUE(empty.boxes.allAnswered());
}

// --- paging ----------------------------------------------------------------------------------

TEST_F(LookupEngineTest, PagingDownWalksTheWholeListInOrder) {
    const QStringList all = store().listed("SL", "Description, SL");
    ASSERT_TRUE(engine().FirstFill());
    QStringList seen = nonBlank(pageCodes());
    stepUntil(paging::PageDown, EndOfTheList, [&] { seen += nonBlank(pageCodes()); });
    EXPECT_EQ(seen, all);
    EXPECT_FALSE(seen.contains("10000005"));
    EXPECT_FALSE(seen.contains("20000001"));
    EXPECT_EQ(lastBox().title, EndOfTheListTitle);
    EXPECT_TRUE(session().atEnd);
}

TEST_F(LookupEngineTest, DescriptionsWithApostrophesAndCommasPageInOrder) {
    // Keys compact ", " and doubled blanks in a description holding an apostrophe; paging
    // must still step over the stored text exactly.
    engine().SearchPosition("BEN & JERRY'S");
    EXPECT_EQ(
        rig().descriptions().mid(0, 3),
        QStringList({"BEN & JERRY'S,  ZEST", "BEN & JERRY'S, VANILLA", "BEN & JERRY'S, WAFFLE"}));
    engine().PageLookup(paging::PageDown);
    engine().PageLookup(paging::PageUp);
    EXPECT_EQ(grid().TextMatrix(1, 0), "BEN & JERRY'S,  ZEST");
}

TEST_F(LookupEngineTest, RowDownWalksTheWholeListAcrossPageBoundaries) {
    ASSERT_TRUE(engine().SetSortColumn(2));
    const QStringList all = store().listed("SL", "SL");
    ASSERT_TRUE(engine().FirstFill());
    QStringList seen{codeAt(grid().Row())};
    stepUntil(paging::RowDown, EndOfTheList, [&] { seen << codeAt(grid().Row()); });
    EXPECT_EQ(seen, all);
    // At the end the last item stays selected in the last row.
    EXPECT_EQ(grid().Row(), 14);
    EXPECT_EQ(codeAt(14), all.back());
}

TEST_F(LookupEngineTest, RowUpWalksBackToTheTopAndSaysSo) {
    ASSERT_TRUE(engine().SetSortColumn(3));
    const QStringList all = store().listed("SL", "ltrim(ItemID), ItemID");
    engine().SearchPosition(store().listed("ItemID", "ltrim(ItemID), ItemID").at(40));
    ASSERT_EQ(codeAt(1), all.at(40));
    QStringList seen;
    stepUntil(paging::RowUp, TopOfTheList, [&] { seen.prepend(codeAt(grid().Row())); });
    EXPECT_EQ(seen, all.mid(0, 40));
    EXPECT_TRUE(session().atTop);
    sb().boxes.expect(TopOfList);
    engine().PageLookup(paging::RowUp);
    EXPECT_EQ(grid().Row(), 1);
}

TEST_F(LookupEngineTest, RowDownAtThePageBoundaryShiftsThePageByOne) {
    const QStringList all = byDescription();
    ASSERT_TRUE(engine().FirstFill());
    for (int i = 0; i < 12; ++i) {
        engine().PageLookup(paging::RowDown);
    }
    ASSERT_EQ(grid().Row(), 13);
    EXPECT_EQ(rig().descriptions(), all.mid(0, 14));
    engine().PageLookup(paging::RowDown);
    EXPECT_EQ(grid().Row(), 13);
    EXPECT_EQ(rig().descriptions(), all.mid(1, 14));
    EXPECT_EQ(rig().selectedDescription(), all.at(13));
    EXPECT_FALSE(session().atTop);
    EXPECT_EQ(session().currentRow, 13);
    EXPECT_EQ(session().lastPagingCode, paging::RowDown);
}

TEST_F(LookupEngineTest, PageUpGoesBackAPageAndStopsAtTheTop) {
    const QStringList all = byDescription();
    ASSERT_TRUE(engine().FirstFill());
    engine().PageLookup(paging::PageDown);
    engine().PageLookup(paging::PageDown);
    EXPECT_EQ(rig().descriptions(), all.mid(28, 14));
    EXPECT_FALSE(session().atTop);
    engine().PageLookup(paging::PageUp);
    EXPECT_EQ(rig().descriptions(), all.mid(14, 14));
    engine().PageLookup(paging::PageUp);
    EXPECT_EQ(rig().descriptions(), all.mid(0, 14));
    engine().PageLookup(paging::PageUp);  // reaches the start: the same page, now at the top
    EXPECT_EQ(rig().descriptions(), all.mid(0, 14));
    EXPECT_TRUE(session().atTop);
    sb().boxes.expect(TopOfList).expect(TopOfList);
    engine().PageLookup(paging::PageUp);
    EXPECT_EQ(grid().Row(), 1);
    // Row up on the first row says so too; from the second row it only moves.
    engine().PageLookup(paging::RowDown);
    engine().PageLookup(paging::RowUp);
    EXPECT_EQ(boxCount(), 1);
    engine().PageLookup(paging::RowUp);
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_EQ(grid().TextMatrix(1, 0), "AAA FIRST");
    EXPECT_EQ(lastBox().title, "Quorvane");
}

TEST_F(LookupEngineTest, PageUpNearTheStartFillsFromTheFirstItem) {
    const QStringList all = byDescription();
    engine().SearchPosition(all.at(5));
    ASSERT_EQ(grid().TextMatrix(1, 0), all.at(5));
    engine().PageLookup(paging::PageUp);
    EXPECT_EQ(rig().descriptions(), all.mid(0, 14));
    EXPECT_TRUE(session().atTop);
}

TEST_F(LookupEngineTest, AtTheEndRowDownAndPageDownSayEndOfTheList) {
    engine().SearchPosition("ZZZ");
    ASSERT_EQ(grid().TextMatrix(1, 0), "ZZZ LAST");  // the deleted "ZZZ ZDELETED" follows it
    EXPECT_TRUE(grid().RowIsBlank(2));
    EXPECT_TRUE(session().atEnd);
    sb().boxes.expect(EndOfTheList).expect(EndOfTheList);
    engine().PageLookup(paging::RowDown);
    EXPECT_EQ(grid().Row(), 1);
    engine().PageLookup(paging::PageDown);
    EXPECT_EQ(grid().TextMatrix(1, 0), "ZZZ LAST");
    EXPECT_EQ(grid().Row(), 1);
    for (const ShownBox& b : sb().boxes.shown()) {
        EXPECT_EQ(b.title, EndOfTheListTitle);
    }
}

// --- incremental search --------------------------------------------------------------------

TEST_F(LookupEngineTest, TypedDescriptionsPositionOnTheFirstMatchOrTheItemBefore) {
    const QStringList all = byDescription();
    const int lager = static_cast<int>(all.indexOf("KIWI LAGER"));
    ASSERT_GE(lager, 1);
    engine().SearchPosition("kiwi lager");
    EXPECT_EQ(pageCodes(), store().listed("SL", "Description, SL").mid(lager, 14));
    EXPECT_EQ(grid().TextMatrix(2, 0), "KIWI LAGER");  // the duplicates follow
    EXPECT_EQ(grid().TextMatrix(3, 0), "KIWI LAGER");
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_EQ(session().currentRow, 1);

    // Partial text: the nearest item before.
    engine().SearchPosition("KIWI L");
    EXPECT_EQ(grid().TextMatrix(1, 0), all.at(lager - 1));
    EXPECT_EQ(grid().TextMatrix(2, 0), "KIWI LAGER");

    engine().SearchPosition("B");
    EXPECT_EQ(grid().TextMatrix(1, 0), "BEN & JERRY'S,  ZEST");
    // No item starts with Q: the last item before it stays.
    const auto before = std::find_if(all.rbegin(), all.rend(),
                                     [](const QString& d) { return d < QStringLiteral("Q"); });
    engine().SearchPosition("Q");
    EXPECT_EQ(grid().TextMatrix(1, 0), *before);
}

TEST_F(LookupEngineTest, TheSameTextTypedAgainDoesNotSearchAgain) {
    engine().SearchPosition("KIWI");
    engine().PageLookup(paging::PageDown);
    const QStringList paged = rig().descriptions();
    engine().SearchPosition("KIWI");
    EXPECT_EQ(rig().descriptions(), paged);
    engine().SearchPosition("KIWI ");
    EXPECT_NE(rig().descriptions(), paged);
}

TEST_F(LookupEngineTest, EachSortColumnPositionsOnWhatIsTyped) {
    struct Case {
        int column;
        const char* typed;
        const char* order;
        const char* expectedSl;
    };
    for (const Case& c : {
             Case{1, "EACH", "SubDescription, SL", "    123"},
             Case{2, "123", "SL", "    123"},
             Case{2, "10000010", "SL", "10000010"},
             Case{2, "1000001.0", "SL", "10000010"},
             Case{2, "~roa", "SL", "~ROA"},
             Case{3, "A100", "ltrim(ItemID), ItemID", "20000004"},
             Case{3, "z7001", "ltrim(ItemID), ItemID", "20000003"},
             Case{3, "kw-000016", "ltrim(ItemID), ItemID", "10000016"},
             Case{5, "ICE", "DeptCode, ItemID", "20000005"},
             Case{7, "V900", "VendorCode, SL", "    123"},
         }) {
        ASSERT_TRUE(engine().SetSortColumn(c.column));
        session().searchText.clear();
        engine().SearchPosition(c.typed);
        const QStringList all = store().listed("SL", c.order);
        const int at = static_cast<int>(all.indexOf(c.expectedSl));
        ASSERT_GE(at, 0) << c.expectedSl;
        EXPECT_EQ(nonBlank(pageCodes()), all.mid(at, 14)) << c.column << " " << c.typed;
    }
}

TEST_F(LookupEngineTest, ItemCodesWithLeadingBlanksPageAmongTheirNeighbours) {
    ASSERT_TRUE(engine().SetSortColumn(3));
    const QStringList all = store().listed("SL", "ltrim(ItemID), ItemID");
    // "   Z7001" sorts by "Z7001", after the "ST-" codes, not first as its blanks would have it.
    engine().SearchPosition("Z7");
    const int at = static_cast<int>(all.indexOf("20000003"));
    ASSERT_GE(at, 1);
    EXPECT_EQ(codeAt(1), "20000003");
    engine().PageLookup(paging::RowUp);
    EXPECT_EQ(codeAt(1), all.at(at - 1));
    EXPECT_TRUE(grid().TextMatrix(1, 3).startsWith("ST-"));
    EXPECT_EQ(codeAt(2), "20000003");
}

TEST_F(LookupEngineTest, SearchButtonOnAnUnknownDepartmentSaysSo) {
    ASSERT_TRUE(engine().SetSortColumn(5));
    sb().boxes.expect(NoDepartments);
    engine().RunSearch("NOSUCH");
    engine().RunSearch("ICE");  // a department that exists: no message
    EXPECT_EQ(grid().TextMatrix(1, 5), "ICE");
}

// --- columns that cannot be positioned on ------------------------------------------------

TEST_F(LookupEngineTest, TheDepartmentNameColumnIsDisplayOnly) {
    ASSERT_TRUE(engine().SetSortColumn(2));
    sb().boxes.expect(DisplayOnly);
    EXPECT_FALSE(engine().SetSortColumn(6));
    EXPECT_EQ(lastBox().title, DisplayOnlyTitle);
    EXPECT_EQ(session().padLabel, "--SL");
    EXPECT_EQ(session().sortColumn, 2);
    EXPECT_EQ(store().db.run.InventorySearchBy, 2);
}

TEST_F(LookupEngineTest, TypingOnQuantityOrPriceTicksTheWildcardBox) {
    ASSERT_TRUE(engine().FirstFill());
    const QStringList page = rig().descriptions();
    int ticked = 0;
    engine().wildcardTicked = [&] { ++ticked; };
    ASSERT_TRUE(engine().SetSortColumn(9));
    EXPECT_TRUE(session().sqlOrdering);
    EXPECT_EQ(session().orderFragment, " ORDER BY Price");
    EXPECT_EQ(session().whereLow, " WHERE  status <=  ' ' ");
    engine().SearchPosition("12");
    EXPECT_EQ(ticked, 1);
    EXPECT_TRUE(session().wildcardOn);
    EXPECT_EQ(rig().descriptions(), page);
}

TEST_F(LookupEngineTest, WildcardSearchRefusesFieldsItCannotSearch) {
    ASSERT_TRUE(engine().FirstFill());
    const QStringList page = rig().descriptions();
    const struct {
        int column;
        const char* text;
    } cases[] = {{9, "Wildcard search not available on Price"},
                 {8, "Wildcard search not available on QtyOnHand"},
                 {4, "Wildcard search not available on UPC"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(engine().SetSortColumn(c.column));
        sb().boxes.expect(c.text);
        engine().WildcardSearch("1");
        EXPECT_EQ(rig().descriptions(), page) << c.column;
    }
    session().sortFieldName.clear();
    sb().boxes.expect(WildcardNotOnField);
    engine().WildcardSearch("1");

    // Prices shown with their tax: the search button names the tax-inclusive field.
    rig().country.IncludeTaxInPrice = true;
    engine().SetUpInventoryColumns();
    ASSERT_TRUE(engine().SetSortColumn(9));
    sb().boxes.expect("Wildcard search not available on PriceIncTax");
    engine().RunSearch("1");
}

// --- wildcard search -------------------------------------------------------------------------

QStringList generatedContaining(const QString& text) {
    QStringList out;
    for (int i = 0; i < LookupStore::kGenerated; ++i) {
        const QString d = DbFixture::Item(i).Description.rtrimmed();
        if (i != 5 && i != 6 && d.contains(text)) {
            out << d;
        }
    }
    return out;
}

TEST_F(LookupEngineTest, WildcardListsEveryItemContainingTheText) {
    session().wildcardOn = true;
    engine().WildcardSearch("GIN");
    QStringList expected = generatedContaining("GIN") + QStringList{"GIN TONIC", "GIN_TONIC"};
    QStringList shown = nonBlank(rig().descriptions());
    EXPECT_EQ(shown.size(), expected.size());
    std::sort(expected.begin(), expected.end());
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(session().wildcardListShown);
    EXPECT_EQ(session().listRows, expected.size());
    EXPECT_EQ(grid().Row(), 1);
}

TEST_F(LookupEngineTest, WildcardStatementIsTheContainsSearchOnTheSortField) {
    EXPECT_EQ(engine().WildcardStatement("GIN"),
              "SELECT * FROM invt1 WHERE Description like '%GIN%' And status <> 'D' "
              "Order BY Description,subdescription");
    // Apostrophes cannot break or widen it; typed wildcards are searched for as themselves.
    for (const auto& [typed, part] :
         {std::pair{"JERRY'S", "Description like '%JERRY''S%' And status <> 'D' "},
          std::pair{"x' OR '1'='1", "like '%x'' OR ''1''=''1%' And"},
          std::pair{"50%", "like '%50[%]%' And"}, std::pair{"N_T", "like '%N[_]T%' And"},
          std::pair{"[1]", "like '%[[]1]%' And"}}) {
        EXPECT_TRUE(engine().WildcardStatement(typed).contains(part)) << typed;
    }
    ASSERT_TRUE(engine().SetSortColumn(3));
    EXPECT_EQ(engine().WildcardStatement("A1"),
              "SELECT * FROM invt1 WHERE ItemID like '%A1%' And status <> 'D' Order BY ItemID");
}

TEST_F(LookupEngineTest, WildcardFindsTypedTextLiterallyAndWithoutMatchesKeepsThePage) {
    ASSERT_TRUE(engine().FirstFill());
    session().wildcardOn = true;
    const struct {
        const char* typed;
        QStringList found;  // none: "no matches" and the page stays
    } cases[] = {
        {"x' OR '1'='1", {}},
        {"JERRY'S", {"BEN & JERRY'S,  ZEST", "BEN & JERRY'S, VANILLA", "BEN & JERRY'S, WAFFLE"}},
        {"50%", {"COLA 50% OFF"}},
        {"N_T", {"GIN_TONIC"}},
        {"QQQZZZ", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const QStringList before = rig().descriptions();
        const bool shown = session().wildcardListShown;
        if (c.found.isEmpty()) {
            sb().boxes.expect(NoMatches);
            engine().WildcardSearch(c.typed);
            EXPECT_EQ(rig().descriptions(), before);
            EXPECT_EQ(session().wildcardListShown, shown);
        } else {
            engine().WildcardSearch(c.typed);
            EXPECT_EQ(nonBlank(rig().descriptions()), c.found);
        }
    }
}

TEST_F(LookupEngineTest, WildcardListIsPagedWithinItself) {
    session().wildcardOn = true;
    engine().WildcardSearch("LAGER");
    const int n = session().listRows;
    ASSERT_GT(n, 14);
    const QStringList list = rig().descriptions();
    sb().boxes.expect(TopOfList);
    engine().PageLookup(paging::RowUp);
    engine().PageLookup(paging::PageDown);
    EXPECT_EQ(grid().Row(), 15);
    engine().PageLookup(paging::RowDown);
    EXPECT_EQ(grid().Row(), 16);
    for (int i = 0; i < n; ++i) {
        engine().PageLookup(paging::PageDown);
        if (grid().Row() == n) {
            break;
        }
    }
    EXPECT_EQ(grid().Row(), n);
    sb().boxes.expect(EndOfTheList);
    engine().PageLookup(paging::RowDown);
    EXPECT_EQ(grid().Row(), n);
    EXPECT_EQ(rig().descriptions(), list);  // the list itself never moves
    EXPECT_EQ(lastBox().title, EndOfTheListTitle);
}

TEST_F(LookupEngineTest, PositioningAfterAWildcardListReturnsToPages) {
    session().wildcardOn = true;
    engine().WildcardSearch("LAGER");
    session().wildcardOn = false;
    engine().SearchPosition("OCEAN");
    EXPECT_FALSE(session().wildcardListShown);
    EXPECT_EQ(grid().Rows(), 15);
    EXPECT_TRUE(grid().TextMatrix(1, 0).startsWith("OCEAN"));
}

// --- UPC mode --------------------------------------------------------------------------------

int itemOfRow(const GridControl& grid, int row) {
    return SlFromDisplay(grid.TextMatrix(row, 2)).toInt() - 10000000;
}

TEST_F(LookupEngineTest, SortedByUpcTheListFollowsTheUpcTable) {
    ASSERT_TRUE(engine().SetSortColumn(4));
    EXPECT_TRUE(session().upcMode);
    EXPECT_EQ(session().padLabel, "--UPC");
    ASSERT_TRUE(engine().FirstFill());
    // "AAA FIRST" (its withdrawn code skipped) then the items in code order, without the
    // deleted items 5 and 6.
    EXPECT_EQ(grid().TextMatrix(1, 0), "AAA FIRST");
    EXPECT_EQ(grid().TextMatrix(1, 4), "000000000002");
    const int expected[] = {0, 1, 2, 3, 4, 7, 8, 9, 10, 11, 12, 13, 14};
    for (int r = 2; r <= 14; ++r) {
        EXPECT_EQ(itemOfRow(grid(), r), expected[r - 2]) << r;
        EXPECT_EQ(grid().TextMatrix(r, 4), DbFixture::UpcCode(expected[r - 2])) << r;
    }
    engine().PageLookup(paging::PageDown);
    EXPECT_EQ(itemOfRow(grid(), 1), 15);
    engine().PageLookup(paging::PageUp);
    EXPECT_EQ(grid().TextMatrix(1, 0), "AAA FIRST");
}

TEST_F(LookupEngineTest, UpcModePositionsOnTheCodeTyped) {
    ASSERT_TRUE(engine().SetSortColumn(4));
    engine().SearchPosition(DbFixture::UpcCode(123).left(10));  // 94 + 0000001 + 2...
    EXPECT_EQ(itemOfRow(grid(), 1), 120);
    engine().SearchPosition(DbFixture::UpcCode(123));
    EXPECT_EQ(itemOfRow(grid(), 1), 123);
    EXPECT_EQ(itemOfRow(grid(), 2), 124);
    // Past every code: the last one.
    engine().SearchPosition("99");
    EXPECT_EQ(itemOfRow(grid(), 1), LookupStore::kGenerated - 1);
    EXPECT_TRUE(grid().RowIsBlank(2));
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

// --- prices ----------------------------------------------------------------------------------

TEST_F(LookupEngineTest, PricesIncludeTaxWhenTheCountrySaysSo) {
    engine().SearchPosition("AAA FIRST");
    EXPECT_EQ(grid().TextMatrix(1, 9), "10.00");
    rig().country.IncludeTaxInPrice = true;
    CommonRates rates;
    rates.TaxRate = {15.0f, 5.0f, 0, 0, 0};
    rig().country.setRates(rates);
    engine().SetUpInventoryColumns();
    EXPECT_EQ(session().columns[9].fieldOrdinal, 32);
    session().searchText.clear();
    engine().SearchPosition("AAA FIRST");
    // No tax-inclusive price stored: the price plus its tax (code "A", 15%).
    EXPECT_EQ(grid().TextMatrix(1, 9), "11.50");
    // Stored tax-inclusive prices are shown as they are.
    EXPECT_EQ(grid().TextMatrix(2, 9), MoneyCellText(DbFixture::Item(0).PriceIncTax.toText(4)));
}

}  // namespace
}  // namespace qv::test
