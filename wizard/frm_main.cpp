// The main form's construction (see frm_main.h): its controls and their layout, the load
// steps with the units dialog, and the keys and field prompts of its boxes.

#include "wizard/frm_main.h"

#include "settings/form_helpers.h"
#include "settings/function_keys.h"
#include "settings/keyboard.h"
#include "settings/vb_text.h"
#include "wizard/frm_break_down.h"
#include "wizard/frm_main_support.h"
#include "wizard/uom_list.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qv {

using namespace frm_main_detail;

// Frame, vendor, description, sub description, UPC, price, quantity, department, unit list,
// SL, link, cost and deposit labels, quantity and link captions.
const FrmMain::FrameSet FrmMain::kPackFrame{2, 0, 1, 2, 3, 4, 5, 12, 0, 9, 10, 11, 17, 11, 16};
const FrmMain::FrameSet FrmMain::kSingleFrame{3, 11, 10, 9, 8, 7, 6, 13, 1, 12, 13, 14, 18, 24, 26};

void ExecModal(QDialog& dialog) {
    dialog.exec();
}

void ShowMainForm(WizardContext& context) {
    context.layer.Inventory.RecordNum = context.startRecordNum;
    FrmMain form(context);
    form.FormLoad();
    if (form.EndRequested()) {
        return;
    }
    context.showModal(form);
}

FrmMain::FrmMain(WizardContext& context, QWidget* parent)
    : QDialog(parent),
      ctx_(context),
      linker_(context.run, context.layer, context.country),
      upcCheck_(context.layer) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(ctx_.services.app.productName);
    setModal(true);
    buildControls();
}

QGroupBox* FrmMain::Frame(int number) const {
    switch (number) {
        case 1:
            return Frame1_;
        case 2:
            return Frame2_;
        case 3:
            return Frame3_;
        default:
            return nullptr;
    }
}

const FrmMain::FrameSet& FrmMain::frameOfStep(int step) const {
    return step == 1 ? kPackFrame : kSingleFrame;
}

// --- controls --------------------------------------------------------------------------------

void FrmMain::buildControls() {
    const auto makeLabel = [this](const QString& name, const QString& text, QWidget* parent) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(name);
        return l;
    };
    for (int i = 0; i < static_cast<int>(Label1_.size()); ++i) {
        Label1_[i] = makeLabel(QStringLiteral("Label1_%1").arg(i), QString(), this);
    }
    for (int i = 0; i < static_cast<int>(LblItem_.size()); ++i) {
        LblItem_[i] = makeLabel(QStringLiteral("LblItem_%1").arg(i), QString(), this);
        LblItem_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    for (int i = 0; i < static_cast<int>(Text1_.size()); ++i) {
        Text1_[i] = new QLineEdit(this);
        Text1_[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        Text1_[i]->installEventFilter(this);
    }
    for (int i = 0; i < 2; ++i) {
        CboUOM_[i] = new QComboBox(this);
        CboUOM_[i]->setObjectName(QStringLiteral("CboUOM_%1").arg(i));
    }

    // Root item.
    Frame1_ = new QGroupBox(QStringLiteral("Root Item"), this);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    Label4_ = makeLabel(QStringLiteral("Label4"), QString(), Frame1_);
    auto* rootGrid = new QGridLayout(Frame1_);
    rootGrid->addWidget(Label4_, 0, 1);
    const std::pair<int, int> rootRows[] = {{0, 0},  {1, 1},  {2, 2},  {3, 3},   {4, 4},  {5, 5},
                                            {12, 6}, {13, 7}, {14, 8}, {29, 15}, {32, 16}};
    const QString rootCaptions[] = {QStringLiteral("SL:"),
                                    QStringLiteral("Vendor ID"),
                                    QStringLiteral("Description"),
                                    QStringLiteral("Sub Description"),
                                    QStringLiteral("UPC"),
                                    QStringLiteral("Unit of Measure"),
                                    QStringLiteral("Cost"),
                                    QStringLiteral("Price"),
                                    QStringLiteral("Quantity in Pack"),
                                    QStringLiteral("Department Code"),
                                    QStringLiteral("Bottle Deposit SL")};
    int row = 1;
    for (int i = 0; i < static_cast<int>(std::size(rootRows)); ++i, ++row) {
        Label1_[rootRows[i].first]->setText(rootCaptions[i]);
        rootGrid->addWidget(Label1_[rootRows[i].first], row, 0);
        rootGrid->addWidget(LblItem_[rootRows[i].second], row, 1);
    }

    // The two linked item frames.
    const auto buildFrame = [&](QGroupBox*& frame, int number, const FrameSet& f,
                                const std::array<int, 12>& captions) {
        frame = new QGroupBox(QStringLiteral("Linked Item"), this);
        frame->setObjectName(QStringLiteral("Frame%1").arg(number));
        auto* grid = new QGridLayout(frame);
        // caption index order: SL, link, vendor, description, sub, UPC, price, quantity, cost,
        // unit, department, deposit
        QWidget* values[] = {
            LblItem_[f.lblSl],     LblItem_[f.lblLink],      Text1_[f.vendor],
            Text1_[f.description], Text1_[f.subDescription], Text1_[f.upc],
            Text1_[f.price],       Text1_[f.quantity],       LblItem_[f.lblCost],
            CboUOM_[f.uom],        Text1_[f.dept],           LblItem_[f.lblDeposit]};
        const QString texts[] = {QStringLiteral("SL:"),
                                 QStringLiteral("Link"),
                                 QStringLiteral("Vendor ID"),
                                 QStringLiteral("Description"),
                                 QStringLiteral("Sub Description"),
                                 QStringLiteral("UPC"),
                                 QStringLiteral("Price"),
                                 QStringLiteral("Quantity in Pack"),
                                 QStringLiteral("Cost"),
                                 QStringLiteral("Unit of Measure"),
                                 QStringLiteral("Department Code"),
                                 QStringLiteral("Bottle Deposit SL")};
        for (int i = 0; i < 12; ++i) {
            QLabel* caption = Label1_[captions[i]];
            caption->setText(texts[i]);
            caption->setParent(frame);
            values[i]->setParent(frame);
            grid->addWidget(caption, i, 0);
            grid->addWidget(values[i], i, 1);
        }
        Text1_[f.vendor]->setMaxLength(25);
        Text1_[f.description]->setMaxLength(30);
        Text1_[f.subDescription]->setMaxLength(20);
        Text1_[f.upc]->setMaxLength(15);
        Text1_[f.price]->setMaxLength(15);
        Text1_[f.quantity]->setMaxLength(6);
        Text1_[f.dept]->setMaxLength(11);
    };
    buildFrame(Frame2_, 2, kPackFrame, {15, 16, 6, 7, 8, 9, 10, 11, 17, 18, 30, 33});
    buildFrame(Frame3_, 3, kSingleFrame, {25, 26, 19, 20, 21, 22, 23, 24, 27, 28, 31, 34});

    // Buttons and the rest.
    const QString linkCaptions[] = {QStringLiteral("Create Linked Item"),
                                    QStringLiteral("Select Linked Item"),
                                    QStringLiteral("Save Linked Item")};
    for (int i = 0; i < 3; ++i) {
        CmdLink_[i] = new QPushButton(linkCaptions[i], this);
        CmdLink_[i]->setObjectName(QStringLiteral("CmdLink_%1").arg(i));
        CmdLink_[i]->setAutoDefault(false);
        CmdLink_[i]->hide();
        connect(CmdLink_[i], &QPushButton::clicked, this, [this, i] { CmdLink_Click(i); });
    }
    CmdEsc_ = new QPushButton(QStringLiteral("Esc Exit"), this);
    CmdEsc_->setObjectName(QStringLiteral("CmdEsc"));
    CmdEsc_->setAutoDefault(false);
    connect(CmdEsc_, &QPushButton::clicked, this, [this] { CmdEsc_Click(); });
    CmdGetSL_ = new QPushButton(QStringLiteral("Select Inventory Item"), this);
    CmdGetSL_->setObjectName(QStringLiteral("CmdGetSL"));
    CmdGetSL_->setAutoDefault(false);
    connect(CmdGetSL_, &QPushButton::clicked, this, [this] { CmdGetSL_Click(); });

    cboDeposit_ = new QComboBox(this);
    cboDeposit_->setObjectName(QStringLiteral("cboDeposit"));
    cboDeposit_->hide();
    connect(cboDeposit_, &QComboBox::activated, this, [this](int i) { cboDeposit_Click(i); });
    Label3_ = makeLabel(QStringLiteral("Label3"), QStringLiteral("Select Bottle Deposit"), this);
    Label3_->hide();
    LblTraining_ = makeLabel(QStringLiteral("LblTraining"), QStringLiteral("Training"), this);
    LblTraining_->hide();
    Label2_ = makeLabel(QStringLiteral("Label2"), QString(), this);

    auto* frames = new QHBoxLayout;
    frames->addWidget(Frame1_);
    frames->addWidget(Frame2_);
    frames->addWidget(Frame3_);
    auto* deposit = new QHBoxLayout;
    deposit->addWidget(Label3_);
    deposit->addWidget(cboDeposit_, 1);
    deposit->addStretch();
    deposit->addWidget(LblTraining_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdGetSL_);
    buttons->addWidget(CmdLink_[1]);
    buttons->addWidget(CmdLink_[0]);
    buttons->addWidget(CmdLink_[2]);
    buttons->addStretch();
    buttons->addWidget(CmdEsc_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addLayout(deposit);
    layout->addWidget(Label2_);
    layout->addLayout(buttons);

    Frame2_->hide();
    Frame3_->hide();

    // The boxes were made in control-array order; Tab goes the way the screen reads: down the
    // pack frame, down the single frame, the deposit list, then the buttons left to right.
    const auto frameOrder = [this](const FrameSet& f) {
        return std::array<QWidget*, 8>{
            Text1_[f.vendor], Text1_[f.description], Text1_[f.subDescription], Text1_[f.upc],
            Text1_[f.price],  Text1_[f.quantity],    CboUOM_[f.uom],           Text1_[f.dept]};
    };
    const std::array<QWidget*, 8> pack = frameOrder(kPackFrame);
    const std::array<QWidget*, 8> single = frameOrder(kSingleFrame);
    SetTabOrder({pack[0],     pack[1],     pack[2],     pack[3],   pack[4],     pack[5],
                 pack[6],     pack[7],     single[0],   single[1], single[2],   single[3],
                 single[4],   single[5],   single[6],   single[7], cboDeposit_, CmdGetSL_,
                 CmdLink_[1], CmdLink_[0], CmdLink_[2], CmdEsc_});
}

bool FrmMain::isVisibleOnForm(const QWidget* w) const {
    return w && w->isVisibleTo(this);
}

bool FrmMain::rootShown() const {
    return !LblItem_[0]->text().trimmed().isEmpty();
}

void FrmMain::setLinkCaptions(const QString& select, const QString& create, const QString& save) {
    CmdLink_[1]->setText(select);
    CmdLink_[0]->setText(create);
    CmdLink_[2]->setText(save);
}

void FrmMain::focusFirstVisible(std::initializer_list<QWidget*> widgets) {
    for (QWidget* w : widgets) {
        if (isVisibleOnForm(w) && w->isEnabled()) {
            FocusForKeyboard(w);
            return;
        }
    }
}

void FrmMain::focusNextAction() {
    focusFirstVisible({CmdLink_[0], CmdLink_[2], CmdGetSL_, CmdEsc_});
}

void FrmMain::endProgram() {
    endRequested_ = true;
    done(QDialog::Accepted);
}

void FrmMain::reject() {
    // Closing the window: the program ends without touching the root item.
    endRequested_ = true;
    QDialog::reject();
}

// --- load ------------------------------------------------------------------------------------

void FrmMain::FormLoad() {
    RunValues& run = ctx_.run;
    db::RecordLayer& layer = ctx_.layer;

    fillUnitLists();
    fillDepositList();

    if (greaterThanBlank(run.SelectedItemID)) {
        layer.Inventory.RecordNum = RoundToInt32(Val(run.SelectedItemID)).value_or(0);
        if (layer.RecordOp(kInventoryTable, op::GetEqual, kRecordNumKey)) {
            RootSL_ = layer.Inventory.SL.str();
            displayItem(0);
        } else {
            run.SelectedItemID.clear();
            RootSL_.clear();
        }
    } else {
        layer.Inventory = db::InventoryRecord();
    }

    if (!run.SelectedItemID.isEmpty()) {
        CmdGetSL_->hide();
        Label2_->clear();
        showBreakDown();
        if (endRequested_) {
            return;
        }
    } else {
        CmdGetSL_->show();
        Label2_->setText(
            QStringLiteral("This is the item where you keep track of quantity on hand"));
    }

    LblTraining_->setVisible(run.TrainingMode);
    Frame2_->hide();
    Frame3_->hide();
    if (run.PacksInCase > 1 || run.SinglesCount >= 2) {
        CmdLink_[0]->show();
        CmdLink_[1]->show();
    }
    ApplyFormFonts(this);
    focusNextAction();  // after the units dialog: the first step it offers
}

void FrmMain::fillUnitLists() {
    const QString folder = ctx_.dataFolder.isEmpty() ? ctx_.run.DataPath : ctx_.dataFolder;
    const UomFile file = ReadUomFile(ctx_.services.fs, folder);
    if (!file.problem.isEmpty()) {
        ctx_.services.box(box::Ok, file.problem);
    }
    unitEntries_ = file.entries;
    for (QComboBox* combo : CboUOM_) {
        combo->clear();
        combo->addItems(unitEntries_);
    }
}

void FrmMain::fillDepositList() {
    if (!greaterThanBlank(ctx_.run.DepositDeptCode)) {
        return;
    }
    const QStringList entries = linker_.DepositEntries(ctx_.run.DepositDeptCode);
    cboDeposit_->clear();
    cboDeposit_->addItems(entries);
    cboDeposit_->setCurrentIndex(0);  // "Not Selected"
    if (entries.size() > 1) {
        cboDeposit_->show();
        Label3_->show();
    }
}

void FrmMain::showBreakDown() {
    FrmBreakDown dialog(ctx_.services, ctx_.run, ctx_.layer, ctx_.showModal, this);
    ctx_.showModal(dialog);
    if (dialog.EndsProgram()) {
        endProgram();
        return;
    }
    if (const std::optional<LinkCaptions> c = LinkCaptionsFor(ctx_.run)) {
        setLinkCaptions(c->select, c->create, c->save);
    }
    // The units dialog may have written the packs in the case into the root.
    LblItem_[8]->setText(QString::number(ctx_.layer.Inventory.QTYINPACK));
}

// --- field prompts and keys ------------------------------------------------------------------

void FrmMain::refocus(QLineEdit* field) {
    QPointer<QLineEdit> target(field);
    QTimer::singleShot(0, this, [this, target] {
        if (target) {
            prompting_ = true;
            target->setFocus(Qt::OtherFocusReason);
            prompting_ = false;
        }
    });
}

void FrmMain::Text1_LostFocus(int index) {
    if (prompting_ || index < 0 || index >= static_cast<int>(Text1_.size())) {
        return;
    }
    QLineEdit* field = Text1_[index];
    if (!isVisibleOnForm(field)) {
        return;
    }
    const bool blank = field->text().trimmed().isEmpty();
    prompting_ = true;
    bool back = false;
    switch (index) {
        case 1:
        case 10:
            if (blank) {
                ctx_.services.box(box::Ok, QStringLiteral("Please Enter Description"));
                back = true;
            }
            break;
        case 3:
        case 8:
            if (blank) {
                back = ctx_.services.boxes.askYes(box::YesNo,
                                                  QStringLiteral("Please Enter UPC if available"),
                                                  QStringLiteral("Do you have a UPC code for this "
                                                                 "item ?"));
            } else if (!(lostFocusReason_ == Qt::MouseFocusReason &&
                         QApplication::focusWidget() == CmdLink_[2])) {
                // (A click on the save button checks the code as it saves: one box, not two.)
                back = !upcMayBeSaved(index == 3 ? kPackFrame : kSingleFrame);
            }
            break;
        case 4:
        case 7:
            if (blank && !Text1_[1]->text().trimmed().isEmpty()) {
                ctx_.services.box(box::Ok, QStringLiteral("Please Enter Item Price"));
                back = true;
            }
            break;
        default:
            break;
    }
    prompting_ = false;
    if (back) {
        refocus(field);
    }
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && isVisible()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool movedWithinForm =
            reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason ||
            reason == Qt::OtherFocusReason;
        if (movedWithinForm) {
            for (int i = 0; i < static_cast<int>(Text1_.size()); ++i) {
                if (watched == Text1_[i]) {
                    lostFocusReason_ = reason;
                    Text1_LostFocus(i);
                    lostFocusReason_ = Qt::OtherFocusReason;
                    break;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmMain::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (CmdEsc_->isEnabled()) {
            CmdEsc_Click();
        }
        return;
    }
    if (PressFunctionKeyButton(this, event) || PressFocusedButton(this, event)) {
        return;
    }
    if (IsEnterKey(event) && qobject_cast<QLineEdit*>(focusWidget())) {
        // Enter in a box moves on to the next one, as Tab does (and prompts as Tab does).
        focusNextChild();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace qv
