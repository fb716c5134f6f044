#pragma once

#include "tests/support/scripted_boxes.h"

#include <gtest/gtest.h>

namespace qv::test {

// Whether the box shown at `index` (counted from the end when negative) had this style and
// title; its text is checked by the script that answered it.
inline ::testing::AssertionResult BoxShown(const ScriptedBoxes& boxes, int index, int style,
                                           const QString& title) {
    const int count = static_cast<int>(boxes.shown().size());
    if (index < -count || index >= count) {
        return ::testing::AssertionFailure() << count << " box(es) shown";
    }
    const ShownBox& b = boxes.shown()[index < 0 ? count + index : index];
    if (b.style != style || b.title != title) {
        return ::testing::AssertionFailure() << "box " << index << " had style " << b.style
                                             << " and title \"" << b.title.toStdString() << '"';
    }
    return ::testing::AssertionSuccess();
}

}  // namespace qv::test
