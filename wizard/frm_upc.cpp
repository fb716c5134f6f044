#include "wizard/frm_upc.h"

#include "settings/form_helpers.h"
#include "settings/function_keys.h"
#include "settings/keyboard.h"
#include "wizard/item_linker.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {

FrmUPC::FrmUPC(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmUPC"));
    setWindowTitle(QStringLiteral("UPC"));
    setModal(true);

    Label1_ = new QLabel(
        QStringLiteral("No UPC on Record for this Item. Please enter UPC if available"), this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setWordWrap(true);
    TxtUPC_ = new QLineEdit(this);
    TxtUPC_->setObjectName(QStringLiteral("TxtUPC"));
    TxtUPC_->setMaxLength(15);
    TxtUPC_->installEventFilter(this);
    CmdExit_[1] = new QPushButton(QStringLiteral("Accept"), this);
    CmdExit_[0] = new QPushButton(QStringLiteral("Esc Cancel"), this);
    for (int i = 0; i < 2; ++i) {
        CmdExit_[i]->setObjectName(QStringLiteral("CmdExit_%1").arg(i));
        CmdExit_[i]->setAutoDefault(false);
        connect(CmdExit_[i], &QPushButton::clicked, this, [this, i] { CmdExit_Click(i); });
    }

    // The layout scales the controls with the window.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdExit_[1]);
    buttons->addWidget(CmdExit_[0]);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1_);
    layout->addWidget(TxtUPC_);
    layout->addLayout(buttons);

    SetTabOrder({TxtUPC_, CmdExit_[1], CmdExit_[0]});
    TxtUPC_->clear();
    ApplyFormFonts(this);
}

QString FrmUPC::AcceptedUpc(const QString& typed) {
    return ValidUpc(typed).value_or(QString());
}

bool FrmUPC::codeRefused(const QString& code) {
    if (code.isEmpty() || !check_ || checking_) {
        return false;
    }
    checking_ = true;  // the box the check shows takes the focus from the text box
    const bool refused = !check_(code);
    checking_ = false;
    if (refused) {
        FocusForKeyboard(TxtUPC_);
    }
    return refused;
}

void FrmUPC::CmdExit_Click(int index) {
    if (index == 1) {
        const QString code = AcceptedUpc(TxtUPC_->text());
        if (codeRefused(code)) {
            return;
        }
        result_ = code;
        accept();
    } else {
        reject();
    }
}

bool FrmUPC::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TxtUPC_ && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            codeRefused(AcceptedUpc(TxtUPC_->text()));
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmUPC::keyPressEvent(QKeyEvent* event) {
    if (PressFocusedButton(this, event)) {
        return;  // Enter on "Esc Cancel" cancels
    }
    switch (event->key()) {
        case Qt::Key_F10:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() == Qt::NoModifier || event->key() == Qt::Key_Enter) {
                CmdExit_Click(1);
                return;
            }
            break;
        case Qt::Key_Escape:
            CmdExit_Click(0);
            return;
        default:
            if (PressFunctionKeyButton(this, event)) {
                return;
            }
            break;
    }
    QDialog::keyPressEvent(event);
}

void FrmUPC::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FocusForKeyboard(TxtUPC_);
}

}  // namespace qv
