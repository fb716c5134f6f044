#pragma once

class QKeyEvent;
class QWidget;

namespace qv {

// Lets a function key press the button that names it in its caption ("F10  Accept" for F10).
// The form hands over its key presses; with no Shift, Ctrl or Alt held, the buttons of the form
// (QAbstractButton children named "cmd..." or "Cmd...") are looked through in order for a
// caption that starts with "F" and a digit 1-9. The key number is the text between the "F" and
// the first blank (or, with no blank, the first CR). The first enabled button whose number is
// that of the pressed key (F1 ... F35) is clicked and the event accepted. Returns whether a
// button was pressed; otherwise the event is left as it was.
bool PressFunctionKeyButton(QWidget* form, QKeyEvent* ev);

}  // namespace qv
