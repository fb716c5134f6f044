#pragma once

#include <QRect>

namespace qv {

// The forms' layout numbers are kept in twips, the unit their designs were drawn in; this is
// the one place they turn into pixels: 1440 twips an inch at 96 pixels an inch, 15 twips a
// pixel, rounded to the nearest pixel.
constexpr int twips(int value) {
    return value >= 0 ? (value + 7) / 15 : -((-value + 7) / 15);
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

}  // namespace qv
