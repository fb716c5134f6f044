#include "settings/function_keys.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>

namespace qv {

namespace {

bool isButtonName(const QString& name) {
    return name.startsWith(QStringLiteral("cmd")) || name.startsWith(QStringLiteral("Cmd"));
}

// The function key a caption names, or 0 when it names none.
int captionKeyNumber(const QString& caption) {
    if (caption.size() < 2 || caption.at(0) != u'F' || caption.at(1) < u'1' ||
        caption.at(1) > u'9') {
        return 0;
    }
    qsizetype end = caption.indexOf(u' ');
    if (end < 0) {
        end = caption.indexOf(u'\r');
    }
    const QString number = end < 0 ? caption.mid(1) : caption.mid(1, end - 1);
    // Only the leading digits count, as a number read from text does ("F1x" is F1).
    int value = 0;
    for (const QChar c : number) {
        if (c < u'0' || c > u'9' || value > 99) {
            break;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

}  // namespace

bool PressFunctionKeyButton(QWidget* form, QKeyEvent* ev) {
    if (!form || !ev) {
        return false;
    }
    if (ev->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
        return false;
    }
    const int key = ev->key();
    if (key < Qt::Key_F1 || key > Qt::Key_F35) {
        return false;
    }
    const int pressed = key - Qt::Key_F1 + 1;
    const QList<QAbstractButton*> buttons = form->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (!isButtonName(button->objectName())) {
            continue;
        }
        if (captionKeyNumber(button->text()) != pressed || !button->isEnabled()) {
            continue;
        }
        ev->accept();
        button->click();
        return true;
    }
    return false;
}

}  // namespace qv
