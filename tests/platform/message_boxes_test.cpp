#include "platform/message_boxes.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(LineBreaks, CrCrLfAndLfAllBecomeOneBreak) {
    EXPECT_EQ(normaliseLineBreaks(QStringLiteral("a\rb\r\nc\nd\r\n\re")),
              QStringLiteral("a\nb\nc\nd\n\ne"));
    EXPECT_EQ(normaliseLineBreaks(QStringLiteral("ends with CR\r")),
              QStringLiteral("ends with CR\n"));
}

}  // namespace
}  // namespace qv
