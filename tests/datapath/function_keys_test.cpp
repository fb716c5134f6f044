#include "settings/function_keys.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>
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
    int count(const QString& name) const {
        const auto it = presses.find(name);
        return it == presses.end() ? 0 : it->second;
    }

    QWidget form;
    std::map<QString, int> presses;
};

TEST(FunctionKeys, EachKeyPressesTheButtonThatNamesIt) {
    KeyForm f;
    f.add(QStringLiteral("cmdHelp"), QStringLiteral("F1  Help"));
    f.add(QStringLiteral("cmdOk"), QStringLiteral("F10  Accept"));
    f.add(QStringLiteral("cmdPrint"), QStringLiteral("F12 Print"));
    EXPECT_TRUE(f.press(Qt::Key_F1));
    EXPECT_EQ(f.count(QStringLiteral("cmdHelp")), 1);
    EXPECT_EQ(f.count(QStringLiteral("cmdOk")), 0);  // F1 is not the start of F10
    EXPECT_TRUE(f.press(Qt::Key_F10));
    EXPECT_EQ(f.count(QStringLiteral("cmdOk")), 1);
    EXPECT_EQ(f.count(QStringLiteral("cmdHelp")), 1);
    EXPECT_TRUE(f.press(Qt::Key_F12));
    EXPECT_EQ(f.count(QStringLiteral("cmdPrint")), 1);
    EXPECT_FALSE(f.press(Qt::Key_F11));
}

TEST(FunctionKeys, ADisabledButtonIsNotPressed) {
    KeyForm f;
    f.add(QStringLiteral("cmdOk"), QStringLiteral("F10  Accept"))->setEnabled(false);
    EXPECT_FALSE(f.press(Qt::Key_F10));
    EXPECT_EQ(f.count(QStringLiteral("cmdOk")), 0);
}

TEST(FunctionKeys, ADisabledButtonGivesWayToAnEnabledOneOfTheSameKey) {
    KeyForm f;
    f.add(QStringLiteral("cmdSaveA"), QStringLiteral("F3 Save"))->setEnabled(false);
    f.add(QStringLiteral("cmdSaveB"), QStringLiteral("F3 Save Copy"));
    f.add(QStringLiteral("cmdSaveC"), QStringLiteral("F3 Save Again"));
    EXPECT_TRUE(f.press(Qt::Key_F3));
    EXPECT_EQ(f.count(QStringLiteral("cmdSaveB")), 1);
    EXPECT_EQ(f.count(QStringLiteral("cmdSaveC")), 0);
}

TEST(FunctionKeys, ShiftCtrlOrAltStopIt) {
    KeyForm f;
    f.add(QStringLiteral("cmdOk"), QStringLiteral("F10  Accept"));
    EXPECT_FALSE(f.press(Qt::Key_F10, Qt::ShiftModifier));
    EXPECT_FALSE(f.press(Qt::Key_F10, Qt::ControlModifier));
    EXPECT_FALSE(f.press(Qt::Key_F10, Qt::AltModifier));
    EXPECT_EQ(f.count(QStringLiteral("cmdOk")), 0);
    // A key of the keypad is still the key.
    EXPECT_TRUE(f.press(Qt::Key_F10, Qt::KeypadModifier));
}

TEST(FunctionKeys, OnlyButtonsNamedAsButtonsCount) {
    KeyForm f;
    f.add(QStringLiteral("btnGo"), QStringLiteral("F5 Go"));
    auto* check = new QCheckBox(QStringLiteral("F6 Flag"), &f.form);
    check->setObjectName(QStringLiteral("chkFlag"));
    EXPECT_FALSE(f.press(Qt::Key_F5));
    EXPECT_FALSE(f.press(Qt::Key_F6));
    EXPECT_FALSE(check->isChecked());
    f.add(QStringLiteral("CmdGo"), QStringLiteral("F5 Go"));
    EXPECT_TRUE(f.press(Qt::Key_F5));
    EXPECT_EQ(f.count(QStringLiteral("CmdGo")), 1);
    EXPECT_EQ(f.count(QStringLiteral("btnGo")), 0);
}

TEST(FunctionKeys, ButtonsInsideFramesAreFound) {
    KeyForm f;
    auto* frame = new QGroupBox(&f.form);
    f.add(QStringLiteral("cmdFind"), QStringLiteral("F4 Find"), frame);
    EXPECT_TRUE(f.press(Qt::Key_F4));
    EXPECT_EQ(f.count(QStringLiteral("cmdFind")), 1);
}

TEST(FunctionKeys, TheNumberEndsAtTheFirstBlankOrCarriageReturn) {
    KeyForm f;
    f.add(QStringLiteral("cmdTwoLines"), QStringLiteral("F7\rNext Page"));
    f.add(QStringLiteral("cmdNoWords"), QStringLiteral("F8"));
    EXPECT_TRUE(f.press(Qt::Key_F7));
    EXPECT_EQ(f.count(QStringLiteral("cmdTwoLines")), 1);
    EXPECT_TRUE(f.press(Qt::Key_F8));
    EXPECT_EQ(f.count(QStringLiteral("cmdNoWords")), 1);
}

TEST(FunctionKeys, CaptionsThatNameNoFunctionKeyAreIgnored) {
    KeyForm f;
    f.add(QStringLiteral("cmdFind"), QStringLiteral("Find F2"));
    f.add(QStringLiteral("cmdZero"), QStringLiteral("F0 Zero"));
    f.add(QStringLiteral("cmdLower"), QStringLiteral("f2 lower"));
    f.add(QStringLiteral("cmdEsc"), QStringLiteral("Esc Cancel"));
    EXPECT_FALSE(f.press(Qt::Key_F2));
    EXPECT_FALSE(f.press(Qt::Key_Escape));
    EXPECT_FALSE(f.press(Qt::Key_A));
    EXPECT_TRUE(f.presses.empty());
}

TEST(FunctionKeys, ANullFormOrEventIsIgnored) {
    QKeyEvent ev(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    EXPECT_FALSE(PressFunctionKeyButton(nullptr, &ev));
    QWidget form;
    EXPECT_FALSE(PressFunctionKeyButton(&form, nullptr));
}

}  // namespace
}  // namespace qv
