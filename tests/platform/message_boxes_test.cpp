#include "platform/message_boxes.h"
#include "tests/support/modal_driver.h"
#include "tests/support/scripted_boxes.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace qv {
namespace {

TEST(LineBreaks, CrCrLfAndLfAllBecomeOneBreak) {
    EXPECT_EQ(normaliseLineBreaks(QStringLiteral("a\rb\r\nc\nd\r\n\re")),
              QStringLiteral("a\nb\nc\nd\n\ne"));
    EXPECT_EQ(normaliseLineBreaks(QStringLiteral("ends with CR\r")),
              QStringLiteral("ends with CR\n"));
}

TEST(ScriptedBoxes, AnUnexpectedBoxFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            test::ScriptedBoxes boxes;
            boxes.show(box::Ok, QStringLiteral("Error"), QStringLiteral("surprise"));
        },
        "unexpected message box");
    EXPECT_NONFATAL_FAILURE(
        {
            test::ScriptedBoxes boxes;
            boxes.expect(QStringLiteral("one text"));
            boxes.show(box::Ok, QStringLiteral("Error"), QStringLiteral("another text"));
        },
        "differs");
}

TEST(QtMessageBoxes, EachStyleShowsItsButtonsAndAnswersTheFirstOrEscape) {
    using B = QMessageBox;
    const struct {
        int style;
        B::StandardButtons buttons;
        B::StandardButton preset;  // the default button
        B::StandardButton first;   // the button pressed
        BoxAnswer pressed;
        BoxAnswer escaped;
    } cases[] = {
        {box::Ok, B::Ok, B::NoButton, B::Ok, BoxAnswer::Ok, BoxAnswer::Ok},
        {box::YesNo, B::Yes | B::No, B::Yes, B::Yes, BoxAnswer::Yes, BoxAnswer::No},
        {box::YesNo + box::DefaultSecond, B::Yes | B::No, B::No, B::Yes, BoxAnswer::Yes,
         BoxAnswer::No},
        {box::RetryCancel + box::Exclamation, B::Retry | B::Cancel, B::Retry, B::Retry,
         BoxAnswer::Retry, BoxAnswer::Cancel},
    };
    for (const auto& c : cases) {
        for (const bool escape : {false, true}) {
            QtMessageBoxes boxes;
            B::StandardButtons shown;
            B::StandardButton preset = B::NoButton;
            test::ModalDriver driver;
            driver.on(QString(), [&](QWidget* w) {
                auto* mb = qobject_cast<QMessageBox*>(w);
                ASSERT_NE(mb, nullptr);
                shown = mb->standardButtons();
                preset = mb->standardButton(mb->defaultButton());
                if (escape) {
                    QTest::keyClick(mb, Qt::Key_Escape);
                } else {
                    mb->button(c.first)->click();
                }
            });
            const BoxAnswer answer =
                boxes.show(c.style, QStringLiteral("Title"), QStringLiteral("Text"));
            EXPECT_EQ(shown, c.buttons) << c.style;
            EXPECT_EQ(preset, c.preset) << c.style;
            EXPECT_EQ(answer, escape ? c.escaped : c.pressed) << c.style << " escape " << escape;
        }
    }
}

}  // namespace
}  // namespace qv
