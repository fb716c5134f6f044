#pragma once

#include "wizard/item_linker.h"
#include "wizard/upc_check.h"
#include "wizard/wizard_context.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

// The wizard's one window: the root item (the one bought by the case), then the pack item and
// the single item made or picked from it, saved and linked to it.
//
// Controls (object names; control arrays are numbered <name>_<index>, as Text1_3):
// - Frame1 "Root Item": captions Label1_0..5 "SL:", "Vendor ID", "Description",
//   "Sub Description", "UPC", "Unit of Measure" with values LblItem_0..5; Label1_12..14 "Cost",
//   "Price", "Quantity in Pack" with LblItem_6..8; Label1_29 "Department Code" with LblItem_15;
//   Label1_32 "Bottle Deposit SL" with LblItem_16; Label4 the root's record number.
// - Frame2 "Linked Item" (the pack, or the single when there is no pack): Text1_0 vendor ID,
//   Text1_1 description, Text1_2 sub description, Text1_3 UPC, Text1_4 price, Text1_5 quantity,
//   Text1_12 department code, CboUOM_0 unit; LblItem_9 SL, LblItem_10 link, LblItem_11 cost,
//   LblItem_17 bottle deposit SL; captions Label1_6..11, Label1_15..18, Label1_30, Label1_33.
// - Frame3 "Linked Item" (the single after a pack): Text1_11 vendor ID, Text1_10 description,
//   Text1_9 sub description, Text1_8 UPC, Text1_7 price, Text1_6 quantity, Text1_13 department
//   code, CboUOM_1; LblItem_12 SL, LblItem_13 link, LblItem_14 cost, LblItem_18 bottle deposit
//   SL; captions Label1_19..28, Label1_31, Label1_34.
// - CmdLink_0 "Create Linked Item", CmdLink_1 "Select Linked Item", CmdLink_2 "Save Linked
//   Item" (relabelled for the pack or the single), CmdEsc "Esc Exit", CmdGetSL "Select
//   Inventory Item"; cboDeposit with Label3 "Select Bottle Deposit"; LblTraining "Training";
//   Label2 the hint line.
// Esc presses "Esc Exit"; a function key presses the button whose caption names it. S/L codes
// are shown in the grid's form ("1234567.8").
//
// The handlers are public so the form can be driven without a screen; FormLoad runs the load
// steps (ShowMainForm calls it before showing the form). When something ends the program
// (Esc Exit, Esc Cancel in the units dialog, a refused root) the form closes and
// EndRequested() turns true.
//
// Implemented in three parts: frm_main.cpp (construction, load, keys and field prompts),
// frm_main_items.cpp (the items shown, picked and their deposit) and frm_main_save.cpp (make,
// save, exit and the UPC checks).
class FrmMain : public QDialog {
    Q_OBJECT
public:
    explicit FrmMain(WizardContext& context, QWidget* parent = nullptr);

    void FormLoad();
    bool EndRequested() const { return endRequested_; }

    // --- handlers ---------------------------------------------------------------------------
    void CmdGetSL_Click();  // also CmdLink(1)
    void CmdLink_Click(int index);
    void CmdEsc_Click();
    void cboDeposit_Click(int index);
    void Text1_LostFocus(int index);

    // --- state ------------------------------------------------------------------------------
    std::int16_t WizardStep() const { return WizardStep_; }
    bool ItemChosen() const { return ItemChosen_; }
    QString RootSL() const { return RootSL_; }
    std::int32_t PackRecordNum() const { return PackRecordNum_; }
    std::int32_t SingleRecordNum() const { return SingleRecordNum_; }
    bool Saved() const { return Saved_; }

    // --- controls ---------------------------------------------------------------------------
    QLineEdit* Text1(int index) const { return Text1_.at(index); }
    QLabel* LblItem(int index) const { return LblItem_.at(index); }
    QLabel* Label1(int index) const { return Label1_.at(index); }
    QPushButton* CmdLink(int index) const { return CmdLink_.at(index); }
    QComboBox* CboUOM(int index) const { return CboUOM_.at(index); }
    QPushButton* CmdEsc() const { return CmdEsc_; }
    QPushButton* CmdGetSL() const { return CmdGetSL_; }
    QComboBox* cboDeposit() const { return cboDeposit_; }
    QGroupBox* Frame(int number) const;  // 1, 2 or 3

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The boxes and labels of one linked item frame.
    struct FrameSet {
        int frame;  // 2 or 3
        int vendor, description, subDescription, upc, price, quantity, dept;
        int uom;
        int lblSl, lblLink, lblCost, lblDeposit;
        int capQuantity, capLink;
    };
    static const FrameSet kPackFrame;
    static const FrameSet kSingleFrame;
    const FrameSet& frameOfStep(int step) const;

    void buildControls();
    void fillUnitLists();
    void fillDepositList();
    void showBreakDown();
    void displayItem(int step);
    void displayRoot();
    void offerRootUpc();
    bool createItem(std::int16_t quantity, ItemKind kind, CreationLog& log);
    void createLinkedItem();
    void saveLinkedItem();
    // Tells the user how a save ended (nothing more after a busy database was given up on)
    // and follows an item that took a new number or code; true when it was saved.
    bool saved(const SaveResult& result, const FrameSet& f, std::int32_t createdAs);
    void showVendorTaken();
    LinkedItemInput inputOf(const FrameSet& f) const;
    QLineEdit* boxFor(const FrameSet& f, InputProblem::Field field) const;
    void focusFirstVisible(std::initializer_list<QWidget*> widgets);
    void focusNextAction();  // the first of create, save, select and exit that is offered
    void refocus(QLineEdit* field);
    // Checks the code in the frame's UPC box and shows why it cannot be saved; true when it
    // can (a doubtful check digit the user kept counts as good for that box).
    bool upcMayBeSaved(const FrameSet& f);
    UpcContext upcContextOf(const FrameSet& f) const;
    bool upcAllowed(const QString& code, const UpcContext& context, QString& kept);
    void endProgram();
    bool rootShown() const;
    bool isVisibleOnForm(const QWidget* w) const;
    QString priceText(const db::InventoryRecord& r) const;
    bool sameSl(const QString& a, const QString& b) const;
    void setLinkCaptions(const QString& select, const QString& create, const QString& save);

    WizardContext& ctx_;
    ItemLinker linker_;
    QStringList unitEntries_;

    std::int16_t WizardStep_ = 0;
    bool ItemChosen_ = false;
    QString RootSL_;  // stored form
    std::int32_t PackRecordNum_ = 0;
    std::int32_t SingleRecordNum_ = 0;
    bool Saved_ = false;
    QString packSl_;                 // stored S/L code of the pack once it is on screen
    std::array<QString, 2> linkSl_;  // stored link of Frame2 and Frame3
    std::array<std::int32_t, 2> frameRecordNum_{};  // the item each linked frame shows
    std::array<QString, 2> keptCheckDigit_;         // a code kept despite its check digit
    QString rootKeptCheckDigit_;
    UpcChecker upcCheck_;
    bool endRequested_ = false;
    bool prompting_ = false;  // a field prompt is on screen or putting the focus back
    Qt::FocusReason lostFocusReason_ = Qt::OtherFocusReason;  // of the box being left

    std::array<QLineEdit*, 14> Text1_{};
    std::array<QLabel*, 19> LblItem_{};
    std::array<QLabel*, 35> Label1_{};
    std::array<QPushButton*, 3> CmdLink_{};
    std::array<QComboBox*, 2> CboUOM_{};
    QGroupBox* Frame1_ = nullptr;
    QGroupBox* Frame2_ = nullptr;
    QGroupBox* Frame3_ = nullptr;
    QPushButton* CmdEsc_ = nullptr;
    QPushButton* CmdGetSL_ = nullptr;
    QComboBox* cboDeposit_ = nullptr;
    QLabel* Label2_ = nullptr;
    QLabel* Label3_ = nullptr;
    QLabel* Label4_ = nullptr;
    QLabel* LblTraining_ = nullptr;
};

}  // namespace qv
