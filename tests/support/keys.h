#pragma once

// Typing as a user does: every key goes to whatever control has the focus at that moment, so
// a flow that leaves the focus in the wrong place sends the next keys to the wrong box.

#include "tests/support/qt_print.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QtWidgets>

namespace qv::test {

// The control that has the focus in the window on top: the active modal window when there is
// one (the platform may not have activated it yet, and keys must not reach the window below).
inline QWidget* Focused() {
    QWidget* app = QApplication::focusWidget();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return app && app->window() == modal ? app : modal->focusWidget();
    }
    return app;
}

inline QString FocusedName() {
    QWidget* w = Focused();
    return w ? w->objectName() : QStringLiteral("(nothing)");
}

inline void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* w = Focused();
    ASSERT_NE(w, nullptr) << "no control has the focus for key " << key;
    QTest::keyClick(w, key, modifiers);
}

// Presses Tab until the named control has the focus; fails after limit presses.
inline void TabTo(const QString& name, int limit = 30) {
    QStringList passed;
    for (int i = 0; i < limit && FocusedName() != name; ++i) {
        passed << FocusedName();
        Press(Qt::Key_Tab);
    }
    EXPECT_EQ(FocusedName(), name) << "Tab went " << passed.join(u' ').toStdString();
}

// The controls Tab (or Shift+Tab) visits from the focused one until it comes back to it,
// starting with that one.
inline QStringList TabWalk(Qt::KeyboardModifiers modifiers = Qt::NoModifier, int limit = 60) {
    QStringList names;
    QWidget* start = Focused();
    if (!start) {
        ADD_FAILURE() << "no control has the focus";
        return names;
    }
    QWidget* w = start;
    do {
        names << w->objectName();
        QTest::keyClick(w, Qt::Key_Tab, modifiers);
        w = Focused();
    } while (w && w != start && names.size() < limit);
    return names;
}

// Tab from the first control visits the screen's order and comes back; Shift+Tab goes back
// the same way.
inline void ExpectTabCycle(QWidget& window, const QString& first, const QStringList& order) {
    QWidget* start = window.findChild<QWidget*>(first);
    ASSERT_NE(start, nullptr) << first.toStdString();
    start->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(TabWalk(), order);
    start->setFocus(Qt::TabFocusReason);
    QStringList back{order.front()};
    for (qsizetype i = order.size() - 1; i > 0; --i) {
        back << order.at(i);
    }
    EXPECT_EQ(TabWalk(Qt::ShiftModifier), back);
}

// Whether the style draws the control's focus frame, as it does only for a control that has
// the focus in a window where the keyboard moved it.
inline bool ShowsFocusFrame(const QWidget* w) {
    QStyleOption option;
    option.initFrom(w);
    return (option.state & QStyle::State_HasFocus) &&
           (option.state & QStyle::State_KeyboardFocusChange);
}

// Shows a window and waits until it can take keys.
inline void ShowForKeys(QWidget& window) {
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window)) << window.objectName().toStdString();
}

}  // namespace qv::test
