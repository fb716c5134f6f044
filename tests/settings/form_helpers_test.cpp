#include "settings/form_helpers.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QtWidgets>

namespace qv {
namespace {

QFont fontOf(const char* family, double points) {
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(points);
    return f;
}

template <typename T>
T* addControl(QWidget* parent, const char* name, const QFont& font = fontOf("Arial", 9)) {
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

TEST_F(FormFonts, FontsThatAreNotArialAreResizedRoundingHalvesToEvenAndRenamed) {
    const struct {
        const char* family;
        double points;
        double expected;
    } cases[] = {
        {"MS Sans Serif", 8.25, 9.0},   // + 0.75
        {"Tahoma", 9.75, 9.0},          // - 0.75
        {"Arial", 8.25, 8.25},          // left alone
        {"MS Sans Serif", 7.75, 8.0},   // 8.5 -> 8
        {"MS Sans Serif", 8.75, 10.0},  // 9.5 -> 10
        {"Courier New", 11.25, 10.0},   // 10.5 -> 10
        {"Courier New", 12.25, 12.0},   // 11.5 -> 12
    };
    std::vector<QLabel*> labels;
    for (const auto& c : cases) {
        labels.push_back(addControl<QLabel>(&form, "lbl", fontOf(c.family, c.points)));
    }
    form.setFont(fontOf("Tahoma", 10));
    ApplyFormFonts(&form);
    EXPECT_EQ(DefaultFontName(), "Arial");
    for (std::size_t i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(labels[i]->font().family(), "Arial") << i;
        EXPECT_DOUBLE_EQ(labels[i]->font().pointSizeF(), cases[i].expected) << i;
    }
    // The form itself is not one of its controls.
    EXPECT_EQ(form.font().family(), "Tahoma");
    EXPECT_DOUBLE_EQ(form.font().pointSizeF(), 10.0);
    ApplyFormFonts(nullptr);  // ignored
}

TEST_F(FormFonts, ADefaultNameSetElsewhereIsUsedAndASecondPassChangesNothing) {
    DefaultFontName() = QStringLiteral("   ");  // blank counts as not set
    ApplyFormFonts(&form);
    EXPECT_EQ(DefaultFontName(), "Arial");

    DefaultFontName() = QStringLiteral("Verdana");
    auto* label = addControl<QLabel>(&form, "lbl", fontOf("MS Sans Serif", 8));
    // The label inherits the frame's font; it must be resized once, from its own old font.
    auto* frame = addControl<QFrame>(&form, "fraBox", fontOf("MS Sans Serif", 8));
    auto* inner = new QLabel(frame);
    QFont pixels(QStringLiteral("Tahoma"));
    pixels.setPixelSize(13);
    auto* pixelSized = addControl<QLabel>(&form, "lblPixels", pixels);
    ApplyFormFonts(&form);
    ApplyFormFonts(&form);
    for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(frame),
                       static_cast<QWidget*>(inner)}) {
        EXPECT_EQ(w->font().family(), "Verdana");
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 9.0);  // 8.75
    }
    EXPECT_EQ(DefaultFontName(), "Verdana");
    EXPECT_EQ(pixelSized->font().family(), "Verdana");
    EXPECT_EQ(pixelSized->font().pixelSize(), 13);
}

bool hasButtonLook(const QWidget* w) {
    return w->property(kButtonLookProperty).toBool() && !w->styleSheet().isEmpty();
}

TEST_F(FormFonts, ButtonLookGoesOnceToControlsNamedCmdInAnyCase) {
    auto* ok = addControl<QPushButton>(&form, "CMDOK");
    auto* save = addControl<QPushButton>(&form, "cmdSave");
    auto* mixed = addControl<QCheckBox>(&form, "CmdToggle");
    auto* label = addControl<QLabel>(&form, "lblCmd");
    auto* command = addControl<QPushButton>(&form, "Command1");
    auto* unnamed = addControl<QPushButton>(&form, "");
    const QString own = QStringLiteral("QPushButton { color: red; }");
    save->setStyleSheet(own);
    ApplyFormFonts(&form);

    EXPECT_TRUE(hasButtonLook(ok));
    EXPECT_TRUE(hasButtonLook(save));
    EXPECT_TRUE(hasButtonLook(mixed));
    EXPECT_FALSE(label->property(kButtonLookProperty).isValid());
    EXPECT_EQ(label->styleSheet(), "");
    EXPECT_FALSE(command->property(kButtonLookProperty).isValid());
    EXPECT_FALSE(unnamed->property(kButtonLookProperty).isValid());
    // An existing style sheet is kept, and the look is added only once.
    const QString once = save->styleSheet();
    EXPECT_TRUE(once.startsWith(own));
    EXPECT_GT(once.size(), own.size());
    ApplyFormFonts(&form);
    EXPECT_EQ(save->styleSheet(), once);
}

// ---- SelectAllText -------------------------------------------------------------------------

TEST(SelectAll, SelectsTheWholeTextOfAFocusedBoxThatIsNotLocked) {
    QWidget form;
    auto* edit = new QLineEdit(QStringLiteral("12.50"), &form);
    auto* locked = new QLineEdit(QStringLiteral("locked"), &form);
    locked->setReadOnly(true);
    auto* button = new QPushButton(QStringLiteral("F10 Accept"), &form);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto focus = [](QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), w);
    };

    focus(button);
    SelectAllText();
    EXPECT_FALSE(edit->hasSelectedText());
    SelectAllText(nullptr);

    focus(edit);
    edit->setCursorPosition(2);
    SelectAllText();
    EXPECT_EQ(edit->selectionStart(), 0);
    EXPECT_EQ(edit->selectedText(), "12.50");

    focus(locked);
    locked->setCursorPosition(1);
    SelectAllText();
    EXPECT_FALSE(locked->hasSelectedText());
}

}  // namespace
}  // namespace qv
