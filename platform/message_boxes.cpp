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

    if ((style & 0x0F) == box::YesNo) {
        mb.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        const bool noIsDefault = (style & 0x300) == box::DefaultSecond;
        mb.setDefaultButton(noIsDefault ? QMessageBox::No : QMessageBox::Yes);
        mb.setEscapeButton(QMessageBox::No);
        return mb.exec() == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
    }
    mb.setStandardButtons(QMessageBox::Ok);
    mb.exec();
    return BoxAnswer::Ok;
}

}  // namespace qv
