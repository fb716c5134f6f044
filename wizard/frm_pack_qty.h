#pragma once

#include "platform/services.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

// Asks for one number: packs in the case, or single items in the pack or the case.
//
// Controls (object names): Text1 (the number), Command1 " Accept", Label1 (the question,
// "Enter Number of items in the Pack" unless the caller sets another). F10 and Enter press
// Command1. Command1 closes the dialog only on a whole number from 1 to 32767: text that is
// not a number is ignored (the dialog stays), a number outside that range is explained in a
// box. Closing the window gives no number.
//
// The dialog is made once per set of questions and shown again for each; the caller sets the
// question and the position before each showing and reads Number() afterwards.
class FrmPackQty : public QDialog {
    Q_OBJECT
public:
    static constexpr char kDefaultQuestion[] = "Enter Number of items in the Pack";

    // qtyInPack: the QTYINPACK of the item in the inventory record; shown when above 0.
    FrmPackQty(Services& services, std::int16_t qtyInPack, QWidget* parent = nullptr);

    void setQuestion(const QString& question);
    QString question() const;
    // Forgets the last answer before the dialog is shown again.
    void clearAnswer() { number_.reset(); }

    void Command1_Click();
    // The accepted number; nothing until Command1 accepted one.
    std::optional<std::int16_t> Number() const { return number_; }

    QLineEdit* Text1() const { return Text1_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Services& services_;
    std::optional<std::int16_t> number_;
    QLineEdit* Text1_ = nullptr;
    QLabel* Label1_ = nullptr;
    QPushButton* Command1_ = nullptr;
};

// Where FrmPackQty stands, worked out in twips and turned into pixels in one place
// (datapath/twips.h). The first question: left at the units dialog's left + 500 twips, top at
// the units dialog's height + 2500 twips. The next question moves 500 twips right and down.
QPoint PackQtyFirstPosition(const QRect& breakDownFrame);
QPoint PackQtyNextPosition(const QPoint& current);

}  // namespace qv
