#include "tests/support/form_state.h"

#include <QtWidgets>

namespace qv::test {

QString FormState(const QWidget& window) {
    QString out =
        QStringLiteral("window %1 \"%2\"\n").arg(window.objectName(), window.windowTitle());
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_")) {
            continue;
        }
        QString text;
        QStringList state;
        if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
            text = b->text();
            if (b->isCheckable()) {
                state << (b->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked"));
            }
        } else if (const auto* l = qobject_cast<const QLabel*>(w)) {
            text = l->text();
        } else if (const auto* e = qobject_cast<const QLineEdit*>(w)) {
            text = e->text();
            if (e->isReadOnly()) {
                state << QStringLiteral("read-only");
            }
        } else if (const auto* g = qobject_cast<const QGroupBox*>(w)) {
            text = g->title();
        } else if (const auto* c = qobject_cast<const QComboBox*>(w)) {
            text = c->currentText();
            state << QStringLiteral("%1 items").arg(c->count());
        }
        if (!w->isVisibleTo(&window)) {
            state << QStringLiteral("hidden");
        }
        if (!w->isEnabled()) {
            state << QStringLiteral("disabled");
        }
        out += QStringLiteral("%1 %2 \"%3\"")
                   .arg(w->objectName(), w->metaObject()->className(),
                        QString(text)
                            .replace(u'\r', QStringLiteral("\\r"))
                            .replace(u'\n', QStringLiteral("\\n")));
        if (!state.isEmpty()) {
            out += u' ' + state.join(u' ');
        }
        if (!w->toolTip().isEmpty()) {
            out += QStringLiteral(" tip \"%1\"").arg(w->toolTip());
        }
        out += u'\n';
    }
    return out;
}

}  // namespace qv::test
