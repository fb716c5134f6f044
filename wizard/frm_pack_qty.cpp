#include "wizard/frm_pack_qty.h"

#include "datapath/twips.h"
#include "settings/form_helpers.h"
#include "settings/keyboard.h"
#include "settings/vb_text.h"
#include "wizard/item_linker.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {

namespace {

constexpr int kOffsetLeft = 500;
constexpr int kOffsetTop = 2500;
constexpr int kStep = 500;

}  // namespace

QPoint PackQtyFirstPosition(const QRect& breakDownFrame) {
    return QPoint(breakDownFrame.left() + twips(kOffsetLeft),
                  breakDownFrame.height() + twips(kOffsetTop));
}

QPoint PackQtyNextPosition(const QPoint& current) {
    return current + QPoint(twips(kStep), twips(kStep));
}

FrmPackQty::FrmPackQty(Services& services, std::int16_t qtyInPack, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("FrmPackQty"));
    setWindowTitle(QStringLiteral("Quantity"));
    setModal(true);

    Label1_ = new QLabel(QString::fromLatin1(kDefaultQuestion), this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setWordWrap(true);
    Text1_ = new QLineEdit(this);
    Text1_->setObjectName(QStringLiteral("Text1"));
    Text1_->setMaxLength(12);
    Command1_ = new QPushButton(QStringLiteral(" Accept"), this);
    Command1_->setObjectName(QStringLiteral("Command1"));
    Command1_->setAutoDefault(false);
    connect(Command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });

    auto* row = new QHBoxLayout;
    row->addWidget(Text1_);
    row->addWidget(Command1_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1_);
    layout->addLayout(row);
    SetTabOrder({Text1_, Command1_});

    if (qtyInPack > 0) {
        Text1_->setText(QString::number(qtyInPack));
    }
    ApplyFormFonts(this);
}

void FrmPackQty::setQuestion(const QString& question) {
    Label1_->setText(question);
}

QString FrmPackQty::question() const {
    return Label1_->text();
}

void FrmPackQty::Command1_Click() {
    const QString text = Text1_->text();
    if (!IsNumeric(text)) {
        return;  // not a number: the question stays
    }
    const std::optional<std::int16_t> n = WholeQuantity(text);
    if (!n) {
        services_.box(box::Ok, QStringLiteral("Please enter a whole number from 1 to 32767."));
        Text1_->setFocus();
        return;
    }
    number_ = n;
    accept();
}

void FrmPackQty::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_F10:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Command1_Click();
            return;
        default:
            break;
    }
    QDialog::keyPressEvent(event);
}

void FrmPackQty::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FocusForKeyboard(Text1_);
    SelectAllText(Text1_);
}

}  // namespace qv
