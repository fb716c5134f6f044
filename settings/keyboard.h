#pragma once

#include <initializer_list>

class QKeyEvent;
class QWidget;

namespace qv {

// What every form does to be driven from the keyboard alone.

// Makes Tab visit the controls in the order given (the order they read on screen) and
// Shift+Tab go back the same way. Null entries are skipped. Every focusable control of a form
// belongs in its list: one left out keeps its place from creation and lands out of order.
void SetTabOrder(std::initializer_list<QWidget*> controls);

// Gives a control the focus as a keyboard user would get it, so that it shows its focus frame
// at once (the style draws that frame only after a key has moved the focus). For a control of
// a window that is not on screen yet, the focus goes there when the window is shown.
void FocusForKeyboard(QWidget* control);

// Enter (or Return) on a focused push button of form presses that button, as Space does.
// Returns whether a button was pressed and the event taken.
bool PressFocusedButton(QWidget* form, QKeyEvent* event);

// Whether the key is Enter or Return with no modifier other than the keypad's.
bool IsEnterKey(const QKeyEvent* event);

}  // namespace qv
