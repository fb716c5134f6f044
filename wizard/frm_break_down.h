#pragma once

#include "db/record_layer.h"
#include "platform/services.h"
#include "settings/run_values.h"
#include "wizard/wizard_context.h"

#include <QDialog>
#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QRadioButton;

namespace qv {

class FrmPackQty;

// The captions of the main form's CmdLink buttons that the counts call for: select (1),
// create (0) and save (2). Nothing when there is neither a pack nor a single item to make.
struct LinkCaptions {
    QString select;
    QString create;
    QString save;
};
std::optional<LinkCaptions> LinkCaptionsFor(const RunValues& run);

// "Order by" and "Sell by": how the root item is bought and in which units it is sold, and
// then, through FrmPackQty, how many packs a case holds and how many single items a pack or
// case holds. Accepting sets the run's SellByCaseFlag, PacksInCase and SinglesCount (all three
// stay 0 and false unless the accept goes through) and, for a root that is a case ordered by
// case but not sold by it, writes the packs into the root's QTYINPACK.
//
// Controls (object names): Frame1 "Order by" with Option1_0 "Case" and Option1_1 "Pack";
// Frame2 "Sell by" with Check1_0 "Case", Check1_1 "Pack", Check1_2 "Single"; Label1
// "Check all that apply"; CmdAccept_0 "F10 Accept", CmdAccept_1 "Esc Cancel"; LblTraining
// "Training". Control arrays are numbered <name>_<index>. F10 accepts, Esc and closing the
// window cancel.
//
// Outcome() tells the main form what happened; Cancelled and RootRefused mean the program
// should end. The quantity questions are shown through showModal, so tests can answer them.
class FrmBreakDown : public QDialog {
    Q_OBJECT
public:
    enum class Outcome {
        Cancelled,    // "Esc Cancel" or the window closed (also before anything was done)
        OneUnit,      // fewer than two sell-by units: explained, no counts
        Accepted,     // the counts are set
        RootRefused,  // the root is neither a case nor a pack
    };

    // The inventory record holds the root item.
    FrmBreakDown(Services& services, RunValues& run, db::RecordLayer& layer, ShowModalFn showModal,
                 QWidget* parent = nullptr);

    Outcome outcome() const { return outcome_; }
    bool EndsProgram() const {
        return outcome_ == Outcome::Cancelled || outcome_ == Outcome::RootRefused;
    }

    // The form's event handlers, callable directly.
    void Form_Activate();
    void Option1_Click(int index);
    void CmdAccept_Click(int index);  // 0 accept, 1 cancel

    QRadioButton* Option1(int index) const { return Option1_.at(index); }
    QCheckBox* Check1(int index) const { return Check1_.at(index); }

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void onAccept();
    // Shows the question; the number, or nothing when the dialog was closed without one.
    std::optional<std::int16_t> ask(FrmPackQty& dialog, const QString& question,
                                    const QPoint& position,
                                    const std::optional<QString>& preset = std::nullopt);
    bool askYes(const QString& text);
    void applyOrderBy();

    Services& services_;
    RunValues& run_;
    db::RecordLayer& layer_;
    ShowModalFn showModal_;
    Outcome outcome_ = Outcome::Cancelled;

    QGroupBox* Frame1_ = nullptr;
    QGroupBox* Frame2_ = nullptr;
    std::array<QRadioButton*, 2> Option1_{};
    std::array<QCheckBox*, 3> Check1_{};
    QLabel* Label1_ = nullptr;
    QLabel* LblTraining_ = nullptr;
    std::array<QPushButton*, 2> CmdAccept_{};
};

}  // namespace qv
