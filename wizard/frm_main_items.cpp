// The items on the main form (see frm_main.h): the root and the linked items shown in their
// frames, the root's UPC offered when it has none, an item picked from the lookup, and the
// bottle deposit chosen for the root or a linked item.

#include "wizard/frm_main.h"

#include "db/sql_text.h"
#include "lookup/sl_code.h"
#include "settings/vb_text.h"
#include "wizard/frm_main_support.h"
#include "wizard/frm_upc.h"
#include "wizard/uom_list.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qv {

using namespace frm_main_detail;

// --- display ---------------------------------------------------------------------------------

QString FrmMain::priceText(const db::InventoryRecord& r) const {
    return linker_.DisplayedPrice(r).toText(2);
}

void FrmMain::displayItem(int step) {
    if (step == 0) {
        displayRoot();
        return;
    }
    const FrameSet& f = frameOfStep(step);
    RunValues& run = ctx_.run;
    db::InventoryRecord& r = ctx_.layer.Inventory;

    std::int16_t quantity = r.QTYINPACK;
    if (run.PacksInCase > 0) {
        quantity = run.PacksInCase;
        r.QTYINPACK = run.PacksInCase;
        PackRecordNum_ = r.RecordNum;
        packSl_ = r.SL.str();
    } else if (run.SinglesCount > 0) {
        quantity = run.SinglesCount;
        r.QTYINPACK = run.SinglesCount;
        SingleRecordNum_ = r.RecordNum;
    }
    Text1_[f.quantity]->setText(QString::number(quantity));
    Text1_[f.vendor]->setText(r.ItemID.trimmed());
    Text1_[f.description]->setText(r.Description.rtrimmed());
    Text1_[f.subDescription]->setText(r.SubDescription.rtrimmed());
    Text1_[f.dept]->setText(r.DeptCode.trimmed());
    LblItem_[f.lblSl]->setText(SlDisplay(r.SL.str()));

    // The item it breaks from: its own link when it has one; else the pack for a single that
    // follows a pack, or the root.
    QString link;
    const QString ownLink = r.LinkBreakPack.trimmed();
    if (!ownLink.isEmpty() && ownLink != QStringLiteral("0")) {
        link = r.LinkBreakPack.str();
    } else if (step >= 2 && !packSl_.isEmpty() && packSl_ != r.SL.str()) {
        link = packSl_;
    } else {
        link = RootSL_;
    }
    linkSl_[f.frame - 2] = link;
    frameRecordNum_[f.frame - 2] = r.RecordNum;
    keptCheckDigit_[f.frame - 2].clear();
    LblItem_[f.lblLink]->setText(link.trimmed().isEmpty() ? QString() : SlDisplay(link));
    LblItem_[f.lblDeposit]->setText(r.LinkItem.rtrimmed());

    // A picked item keeps its unit; a new one starts on the first.
    QComboBox* units = CboUOM_[f.uom];
    const int unit = FindUomEntry(unitEntries_, r.UOM.str());
    if (units->count() > 0) {
        units->setCurrentIndex(unit >= 0 ? unit : 0);
    }
    if (ItemChosen_) {
        Text1_[f.upc]->setText(linker_.CurrentUpc(r.RecordNum));
    }
    LblItem_[f.lblCost]->setText((!r.AvgCost.isZero() ? r.AvgCost : r.Cost).toText(2));
    const Currency price = linker_.DisplayedPrice(r);
    Text1_[f.price]->setText(price.isZero() ? QString() : price.toText(2));

    if (step == 1) {
        Label1_[f.capQuantity]->setText(QStringLiteral("Qty in Case"));
        Label1_[f.capLink]->setText(QStringLiteral("Link to Root Item"));
        Frame2_->show();
    } else {
        Label1_[f.capLink]->setText(QStringLiteral("Link to Pack Item"));
        Frame3_->show();
    }
}

void FrmMain::displayRoot() {
    const db::InventoryRecord& r = ctx_.layer.Inventory;
    Label4_->setText(QString::number(r.RecordNum));
    LblItem_[0]->setText(SlDisplay(r.SL.str()));
    LblItem_[1]->setText(r.ItemID.trimmed());
    LblItem_[2]->setText(r.Description.rtrimmed());
    LblItem_[3]->setText(r.SubDescription.rtrimmed());
    LblItem_[4]->setText(linker_.CurrentUpc(r.RecordNum));
    const int unit = FindUomEntry(unitEntries_, r.UOM.str());
    if (unit >= 0) {
        CboUOM_[0]->setCurrentIndex(unit);
        LblItem_[5]->setText(UomDescription(unitEntries_.at(unit)));
    } else {
        LblItem_[5]->setText(r.UOM.trimmed());  // a unit the list does not know: its code
    }
    LblItem_[6]->setText(r.AvgCost.toText(2));
    LblItem_[7]->setText(priceText(r));
    LblItem_[8]->setText(QString::number(r.QTYINPACK));
    LblItem_[15]->setText(r.DeptCode.trimmed());
    LblItem_[16]->setText(r.LinkItem.rtrimmed());
    offerRootUpc();
}

void FrmMain::offerRootUpc() {
    if (!LblItem_[4]->text().isEmpty()) {
        return;
    }
    db::RecordLayer& layer = ctx_.layer;
    layer.Upc.UPC = QString();
    FrmUPC dialog(this);
    dialog.setCodeCheck([this](const QString& code) {
        UpcContext root;
        root.ownRecordNum = ctx_.layer.Inventory.RecordNum;
        return upcAllowed(code.trimmed(), root, rootKeptCheckDigit_);
    });
    ctx_.showModal(dialog);
    const QString upc = dialog.Result().trimmed();
    layer.Upc.UPC = upc;
    if (!greaterThanBlank(upc)) {
        return;
    }
    if (linker_.InsertRootUpc(upc)) {
        LblItem_[4]->setText(upc);
    } else {
        ctx_.services.box(box::Ok, QStringLiteral("The UPC ") + upc +
                                       QStringLiteral(" was not saved. It may already belong to "
                                                      "another item."));
    }
}

// --- selection -------------------------------------------------------------------------------

bool FrmMain::sameSl(const QString& a, const QString& b) const {
    const QString x = a.trimmed();
    const QString y = b.trimmed();
    if (x.isEmpty() || y.isEmpty()) {
        return false;
    }
    const std::optional<double> nx = NumericValue(x);
    const std::optional<double> ny = NumericValue(y);
    if (nx && ny) {
        return *nx == *ny;
    }
    return x.compare(y, Qt::CaseInsensitive) == 0;
}

void FrmMain::CmdGetSL_Click() {
    RunValues& run = ctx_.run;
    db::RecordLayer& layer = ctx_.layer;
    if (rootShown() && WizardStep_ >= 2) {
        return;  // both linked items are on screen
    }
    QString sl = ctx_.pickItem ? ctx_.pickItem() : QString();
    run.SelectedItemID = sl;
    if (!greaterThanBlank(sl)) {
        ItemChosen_ = false;
        return;
    }
    if (sl.size() == 9 && sl.at(7) == u'.') {
        sl = SlFromDisplay(sl);  // a code in the grid's form
    }
    if (rootShown() && sameSl(RootSL_, sl)) {
        ctx_.services.boxes.show(
            box::Ok, QStringLiteral("Selection Error"),
            QStringLiteral("You have selected your root item. Please select the Pack Item."));
        return;
    }
    if (rootShown() && WizardStep_ == 1 && sameSl(packSl_, sl)) {
        ctx_.services.boxes.show(
            box::Ok, QStringLiteral("Selection Error"),
            QStringLiteral("You have selected the pack item. Please select the Single Item."));
        return;
    }

    const db::InventoryRecord before = layer.Inventory;
    layer.Inventory.SL = sl;
    if (!layer.RecordOp(kInventoryTable, op::GetEqual, kSlKey)) {
        layer.Inventory = before;
        ctx_.services.box(box::Ok, QStringLiteral("Item not found. Please Reselect"));
        ItemChosen_ = false;
        return;
    }
    if (rootShown()) {
        ItemChosen_ = true;
        ++WizardStep_;
    } else {
        WizardStep_ = 0;
        RootSL_ = layer.Inventory.SL.str();
    }
    displayItem(WizardStep_);
    CmdGetSL_->hide();
    Label2_->hide();

    if (WizardStep_ == 0) {
        showBreakDown();
        if (endRequested_) {
            return;
        }
        if (!run.SellByCaseFlag && run.PacksInCase == 0 && run.SinglesCount == 0) {
            focusNextAction();  // nothing to link: only the way out is left
            return;
        }
    }
    if (run.PacksInCase > 1 || run.SinglesCount >= 2) {
        CmdLink_[0]->show();
        CmdLink_[1]->show();
    }
    if (WizardStep_ > 0) {
        CmdLink_[2]->setEnabled(true);
        CmdLink_[2]->show();
        CmdLink_[0]->hide();
        CmdLink_[1]->hide();
    }
    focusFirstVisible({CmdLink_[0], CmdLink_[2]});
}

// --- bottle deposit --------------------------------------------------------------------------

void FrmMain::cboDeposit_Click(int index) {
    if (index < 0 || index >= cboDeposit_->count()) {
        return;
    }
    const QString entry = cboDeposit_->itemText(index);
    // "Not Selected" takes the link away.
    const QString sl = entry == QString::fromLatin1(kNotSelected) ? QString() : entry.left(8);
    const QString shown = sl.isEmpty() ? QString() : db::RTrim(sl);
    if (Frame2_->isHidden() && Frame3_->isHidden()) {
        LblItem_[16]->setText(shown);
        const std::int64_t rows =
            linker_.SetRootDeposit(RoundToInt32(Val(Label4_->text())).value_or(0), sl);
        if (rows != 1) {
            ctx_.services.box(box::Ok, QStringLiteral("Linked Item not Saved"));
        }
    } else if (Frame3_->isHidden()) {
        LblItem_[17]->setText(shown);
    } else {
        LblItem_[18]->setText(shown);
    }
}

}  // namespace qv
