#include "wizard/frm_main.h"

#include "db/sql_text.h"
#include "lookup/sl_code.h"
#include "settings/form_helpers.h"
#include "settings/function_keys.h"
#include "settings/keyboard.h"
#include "settings/vb_text.h"
#include "wizard/creation_log.h"
#include "wizard/frm_break_down.h"
#include "wizard/frm_upc.h"
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

namespace {

using db::kInventoryTable;
namespace op = db::op;

constexpr int kRecordNumKey = 0;
constexpr int kSlKey = 1;

const QString kCrLf = QStringLiteral("\r\n");

const QString kCreatePack = QStringLiteral("Create New Pack Item");
const QString kSelectSingle = QStringLiteral("Select Existing Single Item");
const QString kCreateSingle = QStringLiteral("Create New Single Item");
const QString kSaveSingle = QStringLiteral("Save New Single Item");

bool greaterThanBlank(const QString& s) {
    return s > QStringLiteral(" ");
}

}  // namespace

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

// --- bottle deposit and field prompts --------------------------------------------------------

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
