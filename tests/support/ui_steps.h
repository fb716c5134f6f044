#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace qv::test {

// Runs a user's actions on a window, one per line of a case table (tests/data/...), so that a
// long flow reads as the list of what the user does:
//   click | control              presses a button (or clicks any other control)
//   text  | control | text       sets a box's text, or picks a list entry by its text
//   index | control | n          picks list entry n
//   check | control | y or n
//   key   | control | keys       presses keys (QKeySequence text: F10, Shift+F7, Return)
//   type  | control | text       types the text key by key
//   focus | control
// and checks of what the user sees:
//   focus?   | control [| framed] it has the focus (and shows it: the keyboard moved it)
//   text?    | control | text    its text (a button's caption, a box's text, a list's entry)
//   checked? | control | y or n
//   shown?   | control | y or n   it is shown (when its window is)
//   tabto    | control           Tab until it has the focus
//   tabcycle | first | a,b,...   Tab from the first visits these and comes back; Shift+Tab too
// A control named "-" is the one with the focus. Any other verb goes to `custom` with the
// row's other cells (the test's own steps: "snap" to note the state, "open" ...).
// The window is asked for before each step (a step may open another).
using CustomStep = std::function<void(const QString& verb, const QStringList& args)>;
void RunUiSteps(const std::function<QWidget*()>& window, const QString& relative,
                const CustomStep& custom);

// The steps of a table on a window handed over (a modal one, by ModalDriver); no custom steps.
std::function<void(QWidget*)> StepsOn(const QString& relative);

}  // namespace qv::test
