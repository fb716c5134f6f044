// The save flow of the main form (see frm_main.h): a linked item made, checked and saved, the
// user told how the save ended, the links written at "Esc Exit", and the UPC checks a code
// passes before it is saved.

#include "wizard/frm_main.h"

#include "lookup/sl_code.h"
#include "settings/vb_text.h"
#include "wizard/creation_log.h"
#include "wizard/frm_main_support.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qv {

using namespace frm_main_detail;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

const QString kCreatePack = QStringLiteral("Create New Pack Item");
const QString kSelectSingle = QStringLiteral("Select Existing Single Item");
const QString kCreateSingle = QStringLiteral("Create New Single Item");
const QString kSaveSingle = QStringLiteral("Save New Single Item");

}  // namespace

// --- create, save, exit ----------------------------------------------------------------------

void FrmMain::CmdLink_Click(int index) {
    switch (index) {
        case 0:
            createLinkedItem();
            break;
        case 1:
            CmdGetSL_Click();
            break;
        case 2:
            saveLinkedItem();
            break;
        default:
            break;
    }
}

bool FrmMain::createItem(std::int16_t quantity, ItemKind kind, CreationLog& log) {
    ItemChosen_ = false;
    bool caseUpcScanned = false;
    if (greaterThanBlank(ctx_.layer.Upc.UPC.trimmed())) {
        caseUpcScanned = ctx_.services.box(
                             box::YesNo, QStringLiteral("Will Case UPC be scanned when selling "
                                                        "packs and/or Singles?")) == BoxAnswer::Yes;
    }
    const std::optional<ItemLinker::Created> created =
        linker_.CreateItem(quantity, kind, caseUpcScanned, log);
    if (!created) {
        ctx_.services.box(box::Ok, QStringLiteral("The new item could not be made."));
        return false;
    }
    if (kind == ItemKind::Pack) {
        PackRecordNum_ = created->recordNum;
    } else {
        SingleRecordNum_ = created->recordNum;
    }
    if (caseUpcScanned) {
        // The case's code is scanned for this item too: it gets no code of its own.
        QLineEdit* upcBox = Text1_[frameOfStep(WizardStep_ + 1).upc];
        upcBox->clear();
        upcBox->hide();
    }
    return true;
}

void FrmMain::createLinkedItem() {
    RunValues& run = ctx_.run;
    CreationLog log(ctx_.services.fs, ctx_.services.app.programFolder);
    log.open();
    if (run.PacksInCase < 2) {
        if (run.SinglesCount <= 1) {
            return;
        }
        log.line(QStringLiteral("Create Item"));
        if (!createItem(run.SinglesCount, ItemKind::Single, log)) {
            return;
        }
        ++WizardStep_;
        CmdLink_[1]->setText(kSelectSingle);
        CmdLink_[0]->setText(kCreateSingle);
        log.line(QStringLiteral("Populate Item"));
        displayItem(WizardStep_);
        log.line(QStringLiteral("Populated"));
    } else {
        if (!createItem(run.PacksInCase, ItemKind::Pack, log)) {
            return;
        }
        ++WizardStep_;
        displayItem(WizardStep_);
        run.PacksInCase = 0;  // the next item made is the single
    }
    CmdLink_[0]->setEnabled(false);
    CmdLink_[1]->setEnabled(false);
    CmdLink_[2]->setEnabled(true);
    CmdLink_[2]->show();
    focusFirstVisible({Text1_[frameOfStep(WizardStep_).description]});
}

LinkedItemInput FrmMain::inputOf(const FrameSet& f) const {
    LinkedItemInput in;
    in.vendorId = Text1_[f.vendor]->text();
    in.description = Text1_[f.description]->text();
    in.subDescription = Text1_[f.subDescription]->text();
    in.upc = Text1_[f.upc]->isHidden() ? QString() : Text1_[f.upc]->text();
    in.price = Text1_[f.price]->text();
    in.quantity = Text1_[f.quantity]->text();
    in.deptCode = Text1_[f.dept]->text();
    in.uomEntry = CboUOM_[f.uom]->currentText();
    in.linkSl = linkSl_[f.frame - 2];
    in.depositSl = LblItem_[f.lblDeposit]->text();
    return in;
}

QLineEdit* FrmMain::boxFor(const FrameSet& f, InputProblem::Field field) const {
    using Field = InputProblem::Field;
    switch (field) {
        case Field::VendorId:
            return Text1_[f.vendor];
        case Field::Description:
            return Text1_[f.description];
        case Field::SubDescription:
            return Text1_[f.subDescription];
        case Field::Upc:
            return Text1_[f.upc];
        case Field::Price:
            return Text1_[f.price];
        case Field::Quantity:
            return Text1_[f.quantity];
        case Field::DeptCode:
            return Text1_[f.dept];
    }
    return nullptr;
}

void FrmMain::showVendorTaken() {
    const bool pack = CmdLink_[0]->text() == kCreatePack;
    const QString item = pack ? QStringLiteral("Pack") : QStringLiteral("Single");
    ctx_.services.boxes.show(
        box::Ok, QStringLiteral("Vendor ID already exists."),
        QStringLiteral("Please check if you have already created the ") + item +
            QStringLiteral(" Item.") + kCrLf + QStringLiteral("If not, Change Vendor ID") + kCrLf +
            QStringLiteral("To update existing item use the 'Select Existing ") + item +
            QStringLiteral("' option"));
}

bool FrmMain::saved(const SaveResult& result, const FrameSet& f, std::int32_t createdAs) {
    if (result.outcome == SaveResult::Outcome::Cancelled) {
        return false;  // the user gave up on a busy database: the busy box said all
    }
    if (!result) {
        ctx_.services.box(box::Ok, NotSavedText(result.error));
        return false;
    }
    // A created item may have been saved under a new number and code: the screen and the
    // links follow it.
    for (std::int32_t* number : {&PackRecordNum_, &SingleRecordNum_}) {
        if (*number == createdAs) {
            *number = result.recordNum;
        }
    }
    frameRecordNum_[f.frame - 2] = result.recordNum;
    if (!result.takenSl.isEmpty()) {
        if (packSl_ == result.takenSl) {
            packSl_ = result.sl;
        }
        LblItem_[f.lblSl]->setText(SlDisplay(result.sl));
        ctx_.services.box(box::Information, SlChangedText(result.takenSl, result.sl));
    }
    return true;
}

void FrmMain::saveLinkedItem() {
    RunValues& run = ctx_.run;
    if (WizardStep_ < 1) {
        return;  // no linked item on screen
    }
    const FrameSet& f = frameOfStep(WizardStep_);
    const LinkedItemInput in = inputOf(f);
    if (const std::optional<InputProblem> problem = CheckLinkedItem(in)) {
        ctx_.services.box(box::Ok, problem->message);
        focusFirstVisible({boxFor(f, problem->field)});
        return;
    }
    if (!in.upc.trimmed().isEmpty() && !upcMayBeSaved(f)) {
        focusFirstVisible({Text1_[f.upc]});
        return;
    }
    const auto offerSingle = [this] {
        setLinkCaptions(kSelectSingle, kCreateSingle, kSaveSingle);
        CmdLink_[2]->hide();
        for (int i : {0, 1}) {
            CmdLink_[i]->setEnabled(true);
            CmdLink_[i]->show();
        }
        focusFirstVisible({CmdLink_[0]});
    };
    const auto finished = [this] {
        CmdLink_[2]->setEnabled(false);
        focusFirstVisible({CmdEsc_});
    };

    if (ItemChosen_) {
        const std::int32_t pickedAs = ctx_.layer.Inventory.RecordNum;
        if (!saved(linker_.SaveLinkedItem(in, true), f, pickedAs)) {
            return;
        }
        Saved_ = true;
        if (run.SinglesCount >= 2 && run.PacksInCase >= 2 && WizardStep_ == 1) {
            run.PacksInCase = 0;  // the next item made or picked is the single
            offerSingle();
        } else {
            finished();
        }
        return;
    }

    if (!linker_.VendorIdFree(in.vendorId)) {
        showVendorTaken();
        return;
    }
    if (in.vendorId.trimmed().compare(LblItem_[1]->text().trimmed(), Qt::CaseInsensitive) == 0) {
        ctx_.services.box(box::Ok, QStringLiteral("You cannot have a duplicate Vendor ID"));
        return;
    }
    const std::int32_t createdAs = ctx_.layer.Inventory.RecordNum;
    if (!saved(linker_.SaveLinkedItem(in, false), f, createdAs)) {
        return;
    }
    if (WizardStep_ == 1 && run.SinglesCount >= 2 && CmdLink_[2]->text() != kSaveSingle) {
        offerSingle();
    } else {
        finished();
    }
}

void FrmMain::CmdEsc_Click() {
    if (PackRecordNum_ < 1 && SingleRecordNum_ < 1) {
        endProgram();
        return;
    }
    // Only items that are in the table are linked: one made but never saved is left out.
    const std::int32_t pack =
        PackRecordNum_ > 0 && linker_.ItemExists(PackRecordNum_) ? PackRecordNum_ : 0;
    const std::int32_t single =
        SingleRecordNum_ > 0 && linker_.ItemExists(SingleRecordNum_) ? SingleRecordNum_ : 0;
    if (pack > 0 || single > 0) {
        linker_.LinkRoot(RootSL_, pack, single);  // a failure here is not reported
    }
    endProgram();
}

// --- UPC checks ------------------------------------------------------------------------------

UpcContext FrmMain::upcContextOf(const FrameSet& f) const {
    UpcContext c;
    c.ownRecordNum = frameRecordNum_[f.frame - 2];
    const FrameSet& other = f.frame == 2 ? kSingleFrame : kPackFrame;
    if (isVisibleOnForm(Frame(other.frame)) && isVisibleOnForm(Text1_[other.upc])) {
        c.otherCode = Text1_[other.upc]->text();
        c.otherItem = {SlFromDisplay(LblItem_[other.lblSl]->text()),
                       Text1_[other.description]->text().trimmed(),
                       frameRecordNum_[other.frame - 2]};
    }
    c.root = {RootSL_, LblItem_[2]->text().trimmed(),
              RoundToInt32(Val(Label4_->text())).value_or(0)};
    c.rootCode = LblItem_[4]->text();
    return c;
}

bool FrmMain::upcAllowed(const QString& code, const UpcContext& context, QString& kept) {
    const std::optional<UpcFinding> finding = upcCheck_.Check(code, context);
    if (!finding) {
        return true;
    }
    if (finding->kind != UpcFinding::Kind::CheckDigit) {
        ctx_.services.boxes.show(finding->style, finding->title, finding->text);
        return false;
    }
    // Asked once per code: the user who kept it is not asked again at the save.
    if (kept == code || ctx_.services.boxes.askYes(finding->style, finding->title, finding->text)) {
        kept = code;
        return true;
    }
    return false;
}

bool FrmMain::upcMayBeSaved(const FrameSet& f) {
    return upcAllowed(Text1_[f.upc]->text().trimmed(), upcContextOf(f),
                      keptCheckDigit_[f.frame - 2]);
}
}  // namespace qv
