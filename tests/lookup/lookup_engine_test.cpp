#include "lookup/sl_code.h"
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

}  // namespace
}  // namespace qv::test
