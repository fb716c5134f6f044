#include "wizard/upc_check.h"

#include "tests/wizard/typical_run.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

TEST(CheckDigit, GtinLengthsAreCheckedAndOtherStoreCodesAreNot) {
    const struct {
        const char* code;
        std::optional<int> expected;  // the digit named when the code is wrong
    } cases[] = {
        {"036000291452", {}},    // UPC-A
        {"036000291453", 2},     //   wrong
        {"4006381333931", {}},   // EAN-13
        {"4006381333932", 1},    //   wrong
        {"96385074", {}},        // EAN-8
        {"96385075", 4},         //   wrong
        {"04252614", {}},        // UPC-E: right as the UPC-A it stands for
        {"04252615", 0},         //   wrong both ways: the EAN-8 digit is named
        {"10940000100041", {}},  // GTIN-14
        {"10940000100040", 1},   //   wrong
        {" 036000291452 ", {}},  // blanks around
        {"12345", {}},           // store codes of other lengths: no check digit
        {"1234567", {}},        {"123456789", {}},
        {"12345678901", {}},    {"123456789012345", {}},  // 15 digits
        {"0360002914A2", {}},                             // not digits: the save explains
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WrongCheckDigit(c.code), c.expected) << c.code;
    }
    EXPECT_EQ(Gs1CheckDigit(u"03600029145"), 2);
    EXPECT_EQ(Gs1CheckDigit(u""), std::nullopt);
}

TEST(CaseCode, AnIndicatorAndTheItemsCodeMakeACaseCodeOfIt) {
    const struct {
        const char* gtin;
        const char* item;
        std::optional<int> indicator;
    } cases[] = {
        {"10940000100041", "940000100044", 1},   // indicator, 0 + UPC-A body, own check
        {"50940000100049", "940000100044", 5},   //
        {"84006381333937", "4006381333931", 8},  // from an EAN-13
        {"10000096385071", "96385074", 1},       // from an EAN-8
        {"14006381333931", "4006381333931", 1},  // the EAN-13 printed whole after it
        {"00940000100044", "940000100044", {}},  // indicator 0 is the item itself
        {"90940000100047", "940000100044", {}},  // 9 is a variable measure
        {"10940000100040", "940000100044", {}},  // wrong check digit
        {"10940000100058", "940000100044", {}},  // another item's case
        {"10940000100041", "12345", {}},         // a store code has no case codes
        {"1094000010004", "940000100044", {}},   // 13 digits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CaseIndicator(c.gtin, c.item), c.indicator) << c.gtin << " of " << c.item;
    }
}

TEST(UpcChecker, FindsTheHolderAndNamesItButNotTheItemItself) {
    WizardWorld w;
    UpcChecker check(w.layer());
    const db::InventoryRecord before = w.layer().Inventory;
    const QString rootUpc = WizardWorld::RootUpc();

    const std::optional<UpcHolder> holder = check.Holder(rootUpc, 0);
    ASSERT_TRUE(holder.has_value());
    EXPECT_EQ(holder->sl, "5000001 ");
    EXPECT_EQ(holder->description, "HARBOUR LAGER 24 X 330ML");
    EXPECT_FALSE(check.Holder(rootUpc, WizardWorld::kRootRecordNum).has_value());
    EXPECT_FALSE(check.Holder("9400009999991", 0).has_value());
    EXPECT_EQ(w.layer().Inventory, before);

    UpcContext c;
    c.ownRecordNum = 101;
    c.otherCode = "9400009999991";
    c.otherItem = {"5000002 ", "HARBOUR LAGER 6 X 330ML", 101};
    c.root = {"5000001 ", "HARBOUR LAGER 24 X 330ML", WizardWorld::kRootRecordNum};
    c.rootCode = rootUpc;
    const struct {
        const char* typed;
        std::optional<UpcFinding::Kind> kind;
        int style;
        const char* title;
        const char* text;
    } cases[] = {
        {"9412345000019", UpcFinding::Kind::InUse, box::Ok, "UPC in Use",
         "The UPC 9412345000019 already belongs to S/L 5000001. HARBOUR LAGER 24 X 330ML.\r\n"
         "A UPC can be on one item only: please enter another one or leave the box empty."},
        {"9400009999991", UpcFinding::Kind::InUse, box::Ok, "UPC in Use",
         "The UPC 9400009999991 is already typed for S/L 5000002. HARBOUR LAGER 6 X 330ML.\r\n"
         "A UPC can be on one item only: please enter another one or leave the box empty."},
        {"39412345000010", UpcFinding::Kind::CaseCode, box::Ok, "UPC in Use",
         "The UPC 39412345000010 is a case code (indicator 3) of the root item S/L 5000001. "
         "HARBOUR LAGER 24 X 330ML: a scan of it sells the whole case.\r\n"
         "Please enter this item's own UPC, or leave the box empty."},
        {"9400009999992", UpcFinding::Kind::CheckDigit, box::YesNo + box::DefaultSecond,
         "Check Digit", "The check digit should be 1. Save it anyway?"},
        {"9400009999984", {}, 0, "", ""},
        {"94000", {}, 0, "", ""},
        {"94A00", {}, 0, "", ""},
        {"", {}, 0, "", ""},
    };
    for (const auto& k : cases) {
        const std::optional<UpcFinding> f = check.Check(k.typed, c);
        ASSERT_EQ(f.has_value(), k.kind.has_value()) << k.typed;
        if (f) {
            EXPECT_EQ(f->kind, *k.kind) << k.typed;
            EXPECT_EQ(f->style, k.style) << k.typed;
            EXPECT_EQ(f->title, k.title) << k.typed;
            EXPECT_EQ(f->text, k.text) << k.typed;
        }
    }
}

// A click on the save button with the focus still in the box: the code is checked as the
// item is saved, and nothing is written when it is refused.
TEST(UpcAtSave, ACodeInUseOrAWrongCheckDigitNotKeptWritesNothing) {
    WizardWorld w;
    w.startWithRoot();
    w.sb.boxes.expect(kCaseUpcQuestion, BoxAnswer::No)
        .expect(
            "The UPC 9412345000019 already belongs to S/L 5000001. HARBOUR LAGER 24 X "
            "330ML.\r\nA UPC can be on one item only: please enter another one or leave "
            "the box empty.")
        .expect("The check digit should be 1. Save it anyway?", BoxAnswer::No);
    w.script.on("FrmBreakDown", BreakDownStep(true, {true, true, false}))
        .on("FrmPackQty", QuantityStep(kPacksInCase, "12"));
    FrmMain f(w.ctx);
    f.FormLoad();
    f.CmdLink(0)->click();
    f.Text1(1)->setText("HARBOUR LAGER 6 X 330ML");
    f.Text1(4)->setText("12.99");
    for (const char* code : {"9412345000019", "9400009999992"}) {
        f.Text1(3)->setText(code);
        f.CmdLink(2)->click();
        EXPECT_TRUE(f.CmdLink(2)->isEnabled()) << code;
        EXPECT_EQ(f.focusWidget(), f.Text1(3)) << code;
    }
    EXPECT_TRUE(w.sb.boxes.allAnswered());
    EXPECT_EQ(w.inventoryCount(), 31);
    EXPECT_TRUE(w.upcRows(101).empty());
}

}  // namespace
}  // namespace qv::test
