#include "settings/form_helpers.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <cstdlib>

namespace qv {
namespace {

QFont fontOf(const char* family, double points) {
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(points);
    return f;
}

template <typename T>
T* addControl(QWidget* parent, const char* name, const QFont& font) {
    auto* w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setFont(font);
    return w;
}

class FormFonts : public ::testing::Test {
protected:
    FormFonts() { DefaultFontName().clear(); }
    ~FormFonts() override { DefaultFontName().clear(); }

    QWidget form;
};

TEST_F(FormFonts, SetsTheDefaultFontNameWhenBlank) {
    ApplyFormFonts(&form);
    EXPECT_EQ(DefaultFontName(), "Arial");

    DefaultFontName() = QStringLiteral("   ");
    ApplyFormFonts(&form);
    EXPECT_EQ(DefaultFontName(), "Arial");
}

TEST_F(FormFonts, ResizesAndRenamesFontsThatAreNotArial) {
    auto* sans = addControl<QLabel>(&form, "lblSans", fontOf("MS Sans Serif", 8.25));
    auto* tahoma = addControl<QLineEdit>(&form, "txtName", fontOf("Tahoma", 9.75));
    auto* arial = addControl<QLabel>(&form, "lblArial", fontOf("Arial", 8.25));
    ApplyFormFonts(&form);

    EXPECT_EQ(sans->font().family(), "Arial");
    EXPECT_DOUBLE_EQ(sans->font().pointSizeF(), 9.0);  // 8.25 + 0.75
    EXPECT_EQ(tahoma->font().family(), "Arial");
    EXPECT_DOUBLE_EQ(tahoma->font().pointSizeF(), 9.0);  // 9.75 - 0.75
    EXPECT_EQ(arial->font().family(), "Arial");
    EXPECT_DOUBLE_EQ(arial->font().pointSizeF(), 8.25);  // Arial is left alone
}

TEST_F(FormFonts, RoundsTiesToEven) {
    auto* down = addControl<QLabel>(&form, "a", fontOf("MS Sans Serif", 7.75));  // 8.5 -> 8
    auto* up = addControl<QLabel>(&form, "b", fontOf("MS Sans Serif", 8.75));    // 9.5 -> 10
    auto* other = addControl<QLabel>(&form, "c", fontOf("Courier New", 11.25));  // 10.5 -> 10
    auto* more = addControl<QLabel>(&form, "d", fontOf("Courier New", 12.25));   // 11.5 -> 12
    ApplyFormFonts(&form);

    EXPECT_DOUBLE_EQ(down->font().pointSizeF(), 8.0);
    EXPECT_DOUBLE_EQ(up->font().pointSizeF(), 10.0);
    EXPECT_DOUBLE_EQ(other->font().pointSizeF(), 10.0);
    EXPECT_DOUBLE_EQ(more->font().pointSizeF(), 12.0);
}

TEST_F(FormFonts, UsesADefaultFontNameSetElsewhere) {
    DefaultFontName() = QStringLiteral("Verdana");
    auto* label = addControl<QLabel>(&form, "lbl", fontOf("MS Sans Serif", 8));
    ApplyFormFonts(&form);
    EXPECT_EQ(label->font().family(), "Verdana");
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 9.0);  // 8.75
    EXPECT_EQ(DefaultFontName(), "Verdana");

    ApplyFormFonts(&form);  // a second pass must not resize it again
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 9.0);
}

TEST_F(FormFonts, ControlsInsideContainersKeepTheirOwnSize) {
    // The label inherits the frame's font; it must be resized once, from its own old font.
    DefaultFontName() = QStringLiteral("Verdana");
    auto* frame = addControl<QFrame>(&form, "fraBox", fontOf("MS Sans Serif", 8));
    auto* inner = new QLabel(frame);
    inner->setObjectName(QStringLiteral("lblInner"));
    ApplyFormFonts(&form);

    EXPECT_EQ(frame->font().family(), "Verdana");
    EXPECT_DOUBLE_EQ(frame->font().pointSizeF(), 9.0);
    EXPECT_EQ(inner->font().family(), "Verdana");
    EXPECT_DOUBLE_EQ(inner->font().pointSizeF(), 9.0);
}

TEST_F(FormFonts, PixelSizedFontsKeepTheirSize) {
    QFont pixels(QStringLiteral("Tahoma"));
    pixels.setPixelSize(13);
    auto* label = addControl<QLabel>(&form, "lbl", pixels);
    ApplyFormFonts(&form);
    EXPECT_EQ(label->font().family(), "Arial");
    EXPECT_EQ(label->font().pixelSize(), 13);
}

TEST_F(FormFonts, TheFormItselfIsNotAControl) {
    form.setFont(fontOf("Tahoma", 10));
    ApplyFormFonts(&form);
    EXPECT_EQ(form.font().family(), "Tahoma");
    EXPECT_DOUBLE_EQ(form.font().pointSizeF(), 10.0);
    ApplyFormFonts(nullptr);  // ignored
}

bool hasButtonLook(const QWidget* w) {
    return w->property(kButtonLookProperty).toBool() && !w->styleSheet().isEmpty();
}

TEST_F(FormFonts, ButtonLookGoesToControlsNamedCmdInAnyCase) {
    auto* ok = addControl<QPushButton>(&form, "CMDOK", fontOf("Arial", 9));
    auto* save = addControl<QPushButton>(&form, "cmdSave", fontOf("Arial", 9));
    auto* mixed = addControl<QCheckBox>(&form, "CmdToggle", fontOf("Arial", 9));
    auto* label = addControl<QLabel>(&form, "lblCmd", fontOf("Arial", 9));
    auto* command = addControl<QPushButton>(&form, "Command1", fontOf("Arial", 9));
    auto* unnamed = addControl<QPushButton>(&form, "", fontOf("Arial", 9));
    ApplyFormFonts(&form);

    EXPECT_TRUE(hasButtonLook(ok));
    EXPECT_TRUE(hasButtonLook(save));
    EXPECT_TRUE(hasButtonLook(mixed));
    EXPECT_FALSE(label->property(kButtonLookProperty).isValid());
    EXPECT_EQ(label->styleSheet(), "");
    EXPECT_FALSE(command->property(kButtonLookProperty).isValid());
    EXPECT_FALSE(unnamed->property(kButtonLookProperty).isValid());
}

TEST_F(FormFonts, ButtonLookKeepsAnExistingStyleSheetAndIsAddedOnce) {
    auto* ok = addControl<QPushButton>(&form, "cmdOK", fontOf("Arial", 9));
    ok->setStyleSheet(QStringLiteral("QPushButton { color: red; }"));
    ApplyFormFonts(&form);
    const QString once = ok->styleSheet();
    EXPECT_TRUE(once.startsWith("QPushButton { color: red; }"));
    EXPECT_GT(once.size(), QString("QPushButton { color: red; }").size());

    ApplyFormFonts(&form);
    EXPECT_EQ(ok->styleSheet(), once);
}

bool near(QRgb pixel, int grey, int tolerance = 12) {
    return std::abs(qRed(pixel) - grey) <= tolerance &&
           std::abs(qGreen(pixel) - grey) <= tolerance &&
           std::abs(qBlue(pixel) - grey) <= tolerance;
}

TEST_F(FormFonts, ButtonLookDrawsItsBorderAndShading) {
    auto* ok = addControl<QPushButton>(&form, "cmdOK", fontOf("Arial", 9));
    ApplyFormFonts(&form);
    ok->setGeometry(0, 0, 120, 40);
    const QImage image = ok->grab().toImage();
    ASSERT_EQ(image.height(), 40);

    const QRgb border = image.pixel(0, 20);
    const QRgb top = image.pixel(60, 2);
    const QRgb bottom = image.pixel(60, 37);
    EXPECT_TRUE(near(border, 0x8a)) << std::hex << border;
    EXPECT_TRUE(near(top, 0xfc)) << std::hex << top;
    EXPECT_TRUE(near(bottom, 0xdc)) << std::hex << bottom;
}

// ---- SelectAllText -------------------------------------------------------------------------

class SelectAll : public ::testing::Test {
protected:
    SelectAll() {
        edit = new QLineEdit(QStringLiteral("12.50"), &form);
        locked = new QLineEdit(QStringLiteral("locked"), &form);
        locked->setReadOnly(true);
        notes = new QPlainTextEdit(QStringLiteral("two\nlines"), &form);
        button = new QPushButton(QStringLiteral("F10 Accept"), &form);
        form.show();
        form.activateWindow();
        activated = QTest::qWaitForWindowActive(&form);
    }

    void focus(QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }

    QWidget form;
    QLineEdit* edit;
    QLineEdit* locked;
    QPlainTextEdit* notes;
    QPushButton* button;
    bool activated = false;
};

TEST_F(SelectAll, SelectsTheWholeTextOfTheFocusedBox) {
    ASSERT_TRUE(activated);
    focus(edit);
    ASSERT_EQ(QApplication::focusWidget(), edit);
    edit->setCursorPosition(2);
    SelectAllText();
    EXPECT_EQ(edit->selectionStart(), 0);
    EXPECT_EQ(edit->selectedText(), "12.50");
}

TEST_F(SelectAll, LeavesALockedBoxAlone) {
    ASSERT_TRUE(activated);
    focus(locked);
    ASSERT_EQ(QApplication::focusWidget(), locked);
    locked->setCursorPosition(1);
    SelectAllText();
    EXPECT_FALSE(locked->hasSelectedText());
}

TEST_F(SelectAll, OtherControlsAndNothingAreIgnored) {
    ASSERT_TRUE(activated);
    focus(button);
    SelectAllText();
    EXPECT_FALSE(edit->hasSelectedText());
    SelectAllText(nullptr);
}

TEST_F(SelectAll, MultiLineBoxesToo) {
    SelectAllText(notes);
    EXPECT_EQ(notes->textCursor().selectedText().size(), QString("two\nlines").size());
    notes->setReadOnly(true);
    notes->moveCursor(QTextCursor::End);
    SelectAllText(notes);
    EXPECT_FALSE(notes->textCursor().hasSelection());
}

}  // namespace
}  // namespace qv
