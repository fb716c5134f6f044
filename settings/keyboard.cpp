#include "settings/keyboard.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

namespace qv {

void SetTabOrder(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* w : controls) {
        if (!w) {
            continue;
        }
        if (previous) {
            QWidget::setTabOrder(previous, w);
        }
        previous = w;
    }
}

namespace {

// Showing and activating a window resets its keyboard-focus look: the focus chosen before the
// window came on screen is shown again once it is active.
class FocusOnActivation : public QObject {
public:
    FocusOnActivation(QWidget* control) : QObject(control->window()), control_(control) {
        control->window()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate) {
            auto* window = static_cast<QWidget*>(watched);
            if (control_ && window->focusWidget() == control_) {
                window->setAttribute(Qt::WA_KeyboardFocusChange);
                control_->update();
            }
            deleteLater();
            window->removeEventFilter(this);
        }
        return false;
    }

private:
    QPointer<QWidget> control_;
};

}  // namespace

void FocusForKeyboard(QWidget* control) {
    if (!control) {
        return;
    }
    QWidget* window = control->window();
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    control->setFocus(Qt::OtherFocusReason);
    if (!window->isActiveWindow()) {
        new FocusOnActivation(control);
    }
}

bool IsEnterKey(const QKeyEvent* event) {
    if (!event || (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)) {
        return false;
    }
    return (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool PressFocusedButton(QWidget* form, QKeyEvent* event) {
    if (!form || !IsEnterKey(event)) {
        return false;
    }
    auto* button = qobject_cast<QPushButton*>(form->focusWidget());
    if (!button || button->window() != form->window() || !button->isVisible() ||
        !button->isEnabled()) {
        return false;
    }
    event->accept();
    button->click();
    return true;
}

}  // namespace qv
