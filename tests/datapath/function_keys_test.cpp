#include "settings/function_keys.h"

#include <gtest/gtest.h>
#include <QtWidgets>
#include <map>

namespace qv {
namespace {

// A form with buttons that count their presses.
class KeyForm {
public:
    QPushButton* add(const QString& name, const QString& caption, QWidget* parent = nullptr) {
        auto* b = new QPushButton(caption, parent ? parent : &form);
        b->setObjectName(name);
        QObject::connect(b, &QPushButton::clicked, [this, name] { ++presses[name]; });
        return b;
    }
    bool press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent ev(QEvent::KeyPress, key, mods);
        return PressFunctionKeyButton(&form, &ev);
    }

    QWidget form;
    std::map<QString, int> presses;
};

TEST(FunctionKeys, EachKeyAloneOrOnTheKeypadPressesTheEnabledButtonThatNamesIt) {
    KeyForm f;
    f.add("cmdHelp", "F1  Help");
    f.add("cmdOk", "F10  Accept");
    f.add("cmdPrint", "F12 Print");
    f.add("cmdFind", "F4 Find", new QGroupBox(&f.form));  // inside a frame
    f.add("cmdTwoLines", "F7\rNext Page");                // the number ends at CR or a blank
    f.add("cmdNoWords", "F8");
    f.add("cmdSaveA", "F3 Save")->setEnabled(false);  // gives way to an enabled one
    f.add("cmdSaveB", "F3 Save Copy");
    f.add("cmdSaveC", "F3 Save Again");
    f.add("cmdOff", "F9 Off")->setEnabled(false);
    for (int key :
         {Qt::Key_F1, Qt::Key_F10, Qt::Key_F12, Qt::Key_F4, Qt::Key_F7, Qt::Key_F8, Qt::Key_F3}) {
        EXPECT_TRUE(f.press(key)) << key;
    }
    EXPECT_FALSE(f.press(Qt::Key_F11));
    EXPECT_FALSE(f.press(Qt::Key_F9));
    // Shift, Ctrl or Alt stop it; the keypad does not.
    for (Qt::KeyboardModifier stop : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        EXPECT_FALSE(f.press(Qt::Key_F10, stop));
    }
    EXPECT_TRUE(f.press(Qt::Key_F10, Qt::KeypadModifier));
    // F1 is not the start of F10; each press went to one button.
    EXPECT_EQ(f.presses, (std::map<QString, int>{{"cmdHelp", 1},
                                                 {"cmdOk", 2},
                                                 {"cmdPrint", 1},
                                                 {"cmdFind", 1},
                                                 {"cmdTwoLines", 1},
                                                 {"cmdNoWords", 1},
                                                 {"cmdSaveB", 1}}));
}

TEST(FunctionKeys, OnlyButtonsNamedAsButtonsWithAFunctionKeyCaptionCount) {
    KeyForm f;
    f.add("btnGo", "F5 Go");
    auto* check = new QCheckBox("F6 Flag", &f.form);
    check->setObjectName("chkFlag");
    f.add("cmdFind", "Find F2");
    f.add("cmdZero", "F0 Zero");
    f.add("cmdLower", "f2 lower");
    f.add("cmdEsc", "Esc Cancel");
    for (int key : {Qt::Key_F5, Qt::Key_F6, Qt::Key_F2, Qt::Key_Escape, Qt::Key_A}) {
        EXPECT_FALSE(f.press(key)) << key;
    }
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(f.presses.empty());
    f.add("CmdGo", "F5 Go");
    EXPECT_TRUE(f.press(Qt::Key_F5));
    EXPECT_EQ(f.presses, (std::map<QString, int>{{"CmdGo", 1}}));

    QKeyEvent ev(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    EXPECT_FALSE(PressFunctionKeyButton(nullptr, &ev));
    EXPECT_FALSE(PressFunctionKeyButton(&f.form, nullptr));
}

}  // namespace
}  // namespace qv
