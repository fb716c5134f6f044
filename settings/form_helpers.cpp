#include "settings/form_helpers.h"

#include <QApplication>
#include <QFont>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>
#include <cmath>

namespace qv {

namespace {

const QString kArial = QStringLiteral("Arial");

// A raised, lightly shaded button whose picture greys out when disabled (Qt's disabled icon
// mode already does that) and whose text greys with it.
const QString kButtonStyle = QStringLiteral(
    "*[qvButtonLook=\"true\"] {"
    " border: 1px solid #8a8a8a; border-radius: 3px; padding: 3px 8px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fefefe, stop:1 #dadada); }"
    "*[qvButtonLook=\"true\"]:hover {"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e6eef8); }"
    "*[qvButtonLook=\"true\"]:pressed {"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #cfcfcf, stop:1 #ececec); }"
    "*[qvButtonLook=\"true\"]:disabled { color: #8c8c8c; background: #ededed; }");

// Remembers the font given, so that a second pass over the same form (with a default other
// than Arial) does not resize that control again.
constexpr char kFontGivenProperty[] = "qvFontGiven";

// font is the control's font before any control of the form was changed: a control that
// inherits its container's font must not see the container's new one.
void applyFont(QWidget* w, QFont font, const QString& fontName) {
    if (font.family() == kArial) {
        return;
    }
    const QVariant given = w->property(kFontGivenProperty);
    if (given.isValid() && given.value<QFont>() == font) {
        return;
    }
    const double size = font.pointSizeF();
    if (size > 0) {
        const double step = font.family() == u"MS Sans Serif" ? 0.75 : -0.75;
        const double newSize = std::nearbyint(size + step);  // halves to even
        if (newSize >= 1) {
            font.setPointSizeF(newSize);
        }
    }
    font.setFamily(fontName);
    w->setFont(font);
    w->setProperty(kFontGivenProperty, QVariant::fromValue(w->font()));
}

void applyButtonLook(QWidget* w) {
    if (w->property(kButtonLookProperty).toBool()) {
        return;
    }
    w->setProperty(kButtonLookProperty, true);
    QString sheet = w->styleSheet();
    if (!sheet.isEmpty()) {
        sheet += u'\n';
    }
    w->setStyleSheet(sheet + kButtonStyle);
}

}  // namespace

QString& DefaultFontName() {
    static QString name;
    return name;
}

void ApplyFormFonts(QWidget* form) {
    if (!form) {
        return;
    }
    QString& fontName = DefaultFontName();
    if (fontName.trimmed().isEmpty()) {
        fontName = kArial;
    }
    const QList<QWidget*> controls = form->findChildren<QWidget*>();
    QList<QFont> fonts;
    fonts.reserve(controls.size());
    for (QWidget* w : controls) {
        fonts << w->font();
    }
    for (qsizetype i = 0; i < controls.size(); ++i) {
        QWidget* w = controls.at(i);
        applyFont(w, fonts.at(i), fontName);
        if (w->objectName().startsWith(QStringLiteral("cmd"), Qt::CaseInsensitive)) {
            applyButtonLook(w);
        }
    }
}

void SelectAllText() {
    SelectAllText(QApplication::focusWidget());
}

void SelectAllText(QWidget* active) {
    if (auto* line = qobject_cast<QLineEdit*>(active)) {
        if (!line->isReadOnly()) {
            line->setSelection(0, static_cast<int>(line->text().size()));
        }
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(active)) {
        if (!plain->isReadOnly()) {
            plain->selectAll();
        }
    } else if (auto* rich = qobject_cast<QTextEdit*>(active)) {
        if (!rich->isReadOnly()) {
            rich->selectAll();
        }
    }
}

}  // namespace qv
