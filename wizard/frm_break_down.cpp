#include "wizard/frm_break_down.h"

#include "settings/form_helpers.h"
#include "settings/function_keys.h"
#include "settings/keyboard.h"
#include "wizard/frm_pack_qty.h"
#include "wizard/item_linker.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qv {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString oneUnitText(const QString& productName) {
    return QStringLiteral("You do not need to use ") + productName +
           QStringLiteral(" if you only sell by one unit type.") + kCrLf +
           QStringLiteral("To sell by a smaller unit than that used for ordering: ") + kCrLf +
           QStringLiteral("Create your inventory item as the selling item. ") + kCrLf +
           QStringLiteral(
               "Enter the number of single items in the pack in the 'Quantity in "
               "Pack' field in Inventory.") +
           kCrLf + QStringLiteral("Purchasing will make the conversion for you.");
}

}  // namespace

std::optional<LinkCaptions> LinkCaptionsFor(const RunValues& run) {
    if (run.PacksInCase >= 1 && run.SellByCaseFlag) {
        return LinkCaptions{QStringLiteral("Select Existing Pack Item"),
                            QStringLiteral("Create New Pack Item"),
                            QStringLiteral("Save New Pack Item")};
    }
    if (run.SinglesCount > 0) {
        return LinkCaptions{QStringLiteral("Select Existing Single Item"),
                            QStringLiteral("Create New Single Item"),
                            QStringLiteral("Save New Single Item")};
    }
    return std::nullopt;
}

FrmBreakDown::FrmBreakDown(Services& services, RunValues& run, db::RecordLayer& layer,
                           ShowModalFn showModal, QWidget* parent)
    : QDialog(parent),
      services_(services),
      run_(run),
      layer_(layer),
      showModal_(std::move(showModal)) {
    setObjectName(QStringLiteral("FrmBreakDown"));
    setWindowTitle(QStringLiteral("Quantity Breaks"));
    setModal(true);

    Frame1_ = new QGroupBox(QStringLiteral("Order by"), this);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    auto* orderLayout = new QVBoxLayout(Frame1_);
    const QString orderCaptions[] = {QStringLiteral("Case"), QStringLiteral("Pack")};
    for (int i = 0; i < 2; ++i) {
        Option1_[i] = new QRadioButton(orderCaptions[i], Frame1_);
        Option1_[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        orderLayout->addWidget(Option1_[i]);
        connect(Option1_[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                applyOrderBy();
            }
        });
    }

    Frame2_ = new QGroupBox(QStringLiteral("Sell by"), this);
    Frame2_->setObjectName(QStringLiteral("Frame2"));
    auto* sellLayout = new QVBoxLayout(Frame2_);
    const QString sellCaptions[] = {QStringLiteral("Case"), QStringLiteral("Pack"),
                                    QStringLiteral("Single")};
    for (int i = 0; i < 3; ++i) {
        Check1_[i] = new QCheckBox(sellCaptions[i], Frame2_);
        Check1_[i]->setObjectName(QStringLiteral("Check1_%1").arg(i));
        sellLayout->addWidget(Check1_[i]);
    }

    Option1_[0]->setChecked(true);  // ordered by the case unless the user says otherwise

    Label1_ = new QLabel(QStringLiteral("Check all that apply"), this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    LblTraining_ = new QLabel(QStringLiteral("Training"), this);
    LblTraining_->setObjectName(QStringLiteral("LblTraining"));
    LblTraining_->setVisible(run_.TrainingMode);

    const QString buttonCaptions[] = {QStringLiteral("F10 Accept"), QStringLiteral("Esc Cancel")};
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LblTraining_);
    buttons->addStretch();
    for (int i = 0; i < 2; ++i) {
        CmdAccept_[i] = new QPushButton(buttonCaptions[i], this);
        CmdAccept_[i]->setObjectName(QStringLiteral("CmdAccept_%1").arg(i));
        CmdAccept_[i]->setAutoDefault(false);
        buttons->addWidget(CmdAccept_[i]);
        connect(CmdAccept_[i], &QPushButton::clicked, this, [this, i] { CmdAccept_Click(i); });
    }

    auto* frames = new QHBoxLayout;
    frames->addWidget(Frame1_);
    frames->addWidget(Frame2_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addWidget(Label1_);
    layout->addLayout(buttons);
    SetTabOrder({Option1_[0], Option1_[1], Check1_[0], Check1_[1], Check1_[2], CmdAccept_[0],
                 CmdAccept_[1]});

    ApplyFormFonts(this);
}

void FrmBreakDown::Form_Activate() {
    if (Option1_[0]->isChecked()) {
        Check1_[0]->setChecked(true);
        if (Check1_[1]->isVisibleTo(this) && Check1_[1]->isEnabled()) {
            FocusForKeyboard(Check1_[1]);
        }
    } else if (Option1_[1]->isChecked()) {
        Check1_[1]->setChecked(true);
    }
}

void FrmBreakDown::Option1_Click(int index) {
    if (Option1_.at(index)->isChecked()) {
        applyOrderBy();
    } else {
        Option1_.at(index)->setChecked(true);  // toggled runs applyOrderBy
    }
}

void FrmBreakDown::applyOrderBy() {
    if (Option1_[1]->isChecked()) {
        // Ordered by the pack: the case is not a unit this item is sold in.
        Check1_[0]->setChecked(false);
        Check1_[0]->setHidden(true);
    } else {
        Check1_[0]->setHidden(false);
    }
}

void FrmBreakDown::CmdAccept_Click(int index) {
    if (index == 0) {
        onAccept();
    } else {
        reject();
    }
}

void FrmBreakDown::reject() {
    outcome_ = Outcome::Cancelled;
    QDialog::reject();
}

std::optional<std::int16_t> FrmBreakDown::ask(FrmPackQty& dialog, const QString& question,
                                              const QPoint& position,
                                              const std::optional<QString>& preset) {
    dialog.clearAnswer();
    dialog.setQuestion(question);
    dialog.move(position);
    if (preset) {
        dialog.Text1()->setText(*preset);
    }
    showModal_(dialog);
    return dialog.Number();
}

bool FrmBreakDown::askYes(const QString& text) {
    return services_.box(box::YesNo + box::DefaultSecond, text) == BoxAnswer::Yes;
}

void FrmBreakDown::onAccept() {
    run_.SellByCaseFlag = false;
    run_.PacksInCase = 0;
    run_.SinglesCount = 0;

    const bool sellCase = Check1_[0]->isChecked() && !Check1_[0]->isHidden();
    const bool sellPack = Check1_[1]->isChecked();
    const bool sellSingle = Check1_[2]->isChecked();
    const int ticked = int(sellCase) + int(sellPack) + int(sellSingle);
    if (ticked < 2) {
        services_.boxes.show(box::Information, QStringLiteral("Defining Quantity Breaks"),
                             oneUnitText(services_.app.productName));
        outcome_ = Outcome::OneUnit;
        accept();
        return;
    }

    FrmPackQty quantity(services_, layer_.Inventory.QTYINPACK, this);
    const QPoint first = PackQtyFirstPosition(frameGeometry());
    const QString singlesInPack = QStringLiteral("Enter Number of single items in the Pack");
    bool byCase = true;
    std::int16_t packs = 0;
    std::int16_t singles = 0;
    std::optional<std::int16_t> rootPacks;

    // Every number is asked before anything is written, so that closing a question leaves
    // the root as it was and this dialog open for another try.
    const auto askSinglesInPack = [&]() -> bool {
        const auto n =
            ask(quantity, singlesInPack, PackQtyNextPosition(quantity.pos()), QStringLiteral("1"));
        singles = n.value_or(0);
        return n.has_value();
    };

    if (Option1_[0]->isChecked() && sellCase) {
        const auto n = ask(quantity,
                           sellPack ? QStringLiteral("Enter Number of Packs in the Case")
                                    : QStringLiteral("Enter Number of Single Items in the Case"),
                           first);
        if (!n) {
            return;
        }
        if (!sellPack) {
            singles = *n;
        } else {
            packs = *n;
            if (sellSingle && !askSinglesInPack()) {
                return;
            }
        }
    } else if (Option1_[0]->isChecked()) {
        const QString description = layer_.Inventory.Description.trimmed();
        if (!askYes(QStringLiteral("Is the selected item '") + description +
                    QStringLiteral("' a Case?"))) {
            if (!askYes(QStringLiteral("Is the selected item '") + description +
                        QStringLiteral("' a Pack?"))) {
                services_.box(box::Ok, QStringLiteral("You must select the Correct Root item to "
                                                      "use this program"));
                outcome_ = Outcome::RootRefused;
                QDialog::reject();
                return;
            }
            byCase = false;
        }
        if (byCase && sellPack) {
            const auto n = ask(quantity,
                               QStringLiteral("Enter Number of Packs in a Case (quantity in pack "
                                              "for ordering only)"),
                               first);
            if (!n) {
                return;
            }
            packs = *n;
            rootPacks = n;
            if (sellSingle && !askSinglesInPack()) {
                return;
            }
        } else if (byCase) {
            const auto n =
                ask(quantity, QStringLiteral("Enter Number of single items in the Case"), first);
            if (!n) {
                return;
            }
            singles = *n;
        } else if (sellSingle) {
            // The root is itself the pack: the question is about the singles in it.
            const auto n = ask(quantity, singlesInPack, first);
            if (!n) {
                return;
            }
            singles = *n;
        }
    } else {
        byCase = false;
        if (sellPack && sellSingle) {
            const auto n = ask(quantity, QString::fromLatin1(FrmPackQty::kDefaultQuestion), first);
            if (!n) {
                return;
            }
            singles = *n;
        }
    }

    if (rootPacks && !SetRootQtyInPack(layer_, *rootPacks)) {
        services_.box(box::Ok, QStringLiteral("The Quantity in Pack of the root item could not "
                                              "be saved."));
    }
    run_.SellByCaseFlag = byCase;
    run_.PacksInCase = packs;
    run_.SinglesCount = singles;
    outcome_ = Outcome::Accepted;
    accept();
}

void FrmBreakDown::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        CmdAccept_Click(1);
        return;
    }
    if (PressFunctionKeyButton(this, event) || PressFocusedButton(this, event)) {
        return;
    }
    if (IsEnterKey(event)) {
        // Enter anywhere else takes the boxes as they are ticked, as "F10 Accept" does.
        CmdAccept_Click(0);
        return;
    }
    QDialog::keyPressEvent(event);
}

void FrmBreakDown::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

}  // namespace qv
