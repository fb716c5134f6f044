#include "platform/message_boxes.h"
#include "tests/support/scripted_boxes.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qv
