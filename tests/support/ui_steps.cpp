#include "tests/support/ui_steps.h"

#include "tests/support/data_files.h"
#include "tests/support/keys.h"

#include <QtWidgets>

namespace qv::test {

void RunUiSteps(const std::function<QWidget*()>& window, const QString& relative,
                const CustomStep& custom) {
    for (const Case& c : Cases(relative)) {
        SCOPED_TRACE(c.where());
        const QString verb = c.text(0);
        const QStringList args = c.from(1);
        if (verb == u"focus?") {
            QApplication::processEvents();  // what the last key set going, as a user waits
            EXPECT_EQ(FocusedName(), args.value(0));
            if (args.value(1) == u"framed") {
                EXPECT_TRUE(Focused() && ShowsFocusFrame(Focused())) << "no focus frame";
            }
            continue;
        }
        if (verb == u"tabto") {
            TabTo(args.value(0));
            continue;
        }
        if (verb == u"tabcycle") {
            ExpectTabCycle(*window(), args.value(0), args.value(1).split(u','));
            continue;
        }
        const bool known = QStringList{"click", "text",  "index", "check",    "key",
                                       "type",  "focus", "text?", "checked?", "shown?"}
                               .contains(verb);
        if (!known) {
            custom(verb, args);
            continue;
        }
        // A bare "-" for the control (an absent cell) means the focused one.
        QWidget* w = c.has(1) ? window()->findChild<QWidget*>(args.value(0)) : Focused();
        ASSERT_NE(w, nullptr) << "no control " << args.value(0).toStdString();
        auto* button = qobject_cast<QAbstractButton*>(w);
        auto* list = qobject_cast<QComboBox*>(w);
        if (verb == u"text?") {
            EXPECT_EQ(list ? list->currentText() : w->property("text").toString(), args.value(1));
        } else if (verb == u"shown?") {
            EXPECT_EQ(w->isVisibleTo(w->window()), args.value(1) == u"y")
                << args.value(0).toStdString();
        } else if (verb == u"checked?") {
            EXPECT_EQ(button->isChecked(), args.value(1) == u"y") << args.value(0).toStdString();
        } else if (verb == u"click") {
            button ? button->click() : QTest::mouseClick(w, Qt::LeftButton);
        } else if (verb == u"text" && list) {
            list->setCurrentIndex(list->findText(args.value(1)));
        } else if (verb == u"text") {
            ASSERT_NE(qobject_cast<QLineEdit*>(w), nullptr) << args.value(0).toStdString();
            qobject_cast<QLineEdit*>(w)->setText(args.value(1));
        } else if (verb == u"index") {
            ASSERT_NE(list, nullptr) << args.value(0).toStdString();
            list->setCurrentIndex(args.value(1).toInt());
        } else if (verb == u"check") {
            button->setChecked(args.value(1) == u"y");
        } else if (verb == u"key") {
            const QKeyCombination k = QKeySequence::fromString(args.value(1))[0];
            QTest::keyClick(w, k.key(), k.keyboardModifiers());
        } else if (verb == u"type") {
            QTest::keyClicks(w, args.value(1));
        } else {
            w->setFocus(Qt::OtherFocusReason);
        }
    }
}

std::function<void(QWidget*)> StepsOn(const QString& relative) {
    return [relative](QWidget* window) {
        RunUiSteps(
            [window] { return window; }, relative,
            [](const QString& verb, const QStringList&) { ADD_FAILURE() << verb.toStdString(); });
    };
}

}  // namespace qv::test
