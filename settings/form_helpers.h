#pragma once

#include <QString>

class QWidget;

namespace qv {

// The font family every form is given; "Arial" once ApplyFormFonts has run with nothing else
// set. Held here rather than in a loose global; tests may assign it freely (an empty name
// means "not set yet").
QString& DefaultFontName();

// The dynamic property that marks a control as having our button look.
inline constexpr char kButtonLookProperty[] = "qvButtonLook";

// The common look, applied by every form when it loads. For each control of form (the form
// itself excepted):
// - a font not named "Arial" is resized, "MS Sans Serif" by +0.75 point and any other by
//   -0.75, rounded to a whole point (halves to even), and takes DefaultFontName(); a font
//   sized in pixels keeps its size;
// - a control whose name starts with "cmd" in any case ("cmdSave", "CMDOK", not "lblCmd")
//   gets our button look: the kButtonLookProperty property and a style sheet of its own.
// Applying it again changes nothing more, whatever the default. A null form is ignored.
void ApplyFormFonts(QWidget* form);

// Selects the whole text of the focused control when it is a text box (a line edit or a
// plain or rich text edit) that is not read-only. Anything else is left alone.
void SelectAllText();
// The same for a given control (null is ignored).
void SelectAllText(QWidget* active);

}  // namespace qv
