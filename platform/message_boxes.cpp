#include "platform/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace qv {

QString normaliseLineBreaks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += u'\n';
            if (i + 1 < text.size() && text.at(i + 1) == u'\n') {
                ++i;
            }
        } else {
            out += c;
        }
    }
    return out;
}

BoxAnswer QtMessageBoxes::show(int style, const QString& title, const QString& text) {
    QMessageBox mb(QApplication::activeWindow());
    mb.setWindowTitle(title);
    mb.setText(normaliseLineBreaks(text));
    mb.setTextFormat(Qt::PlainText);

    const int icon = style & 0x70;
    if (icon == box::Critical) {
        mb.setIcon(QMessageBox::Critical);
    } else if (icon == box::Question) {
        mb.setIcon(QMessageBox::Question);
    } else if (icon == box::Exclamation) {
        mb.setIcon(QMessageBox::Warning);
    } else if (icon == box::Information) {
        mb.setIcon(QMessageBox::Information);
    }

    const int buttons = style & 0x0F;
    const bool secondIsDefault = (style & 0x300) == box::DefaultSecond;
    if (buttons == box::YesNo || buttons == box::RetryCancel) {
        const bool yesNo = buttons == box::YesNo;
        const QMessageBox::StandardButton first = yesNo ? QMessageBox::Yes : QMessageBox::Retry;
        const QMessageBox::StandardButton second = yesNo ? QMessageBox::No : QMessageBox::Cancel;
        mb.setStandardButtons(first | second);
        mb.setDefaultButton(secondIsDefault ? second : first);
        mb.setEscapeButton(second);
        if (mb.exec() == first) {
            return yesNo ? BoxAnswer::Yes : BoxAnswer::Retry;
        }
        return DismissAnswer(style);
    }
    mb.setStandardButtons(QMessageBox::Ok);
    mb.exec();
    return BoxAnswer::Ok;
}

BoxAnswer DismissAnswer(int style) {
    switch (style & 0x0F) {
        case box::YesNo:
            return BoxAnswer::No;
        case box::RetryCancel:
            return BoxAnswer::Cancel;
        default:
            return BoxAnswer::Ok;
    }
}

}  // namespace qv
