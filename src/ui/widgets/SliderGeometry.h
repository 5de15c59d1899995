#pragma once

#include <QRect>
#include <QSize>

namespace keyloom::ui {

// The geometry of a horizontal slider: the thumb travels from the left edge of the client area
// to its right edge; the value grows from left to right.

// The thumb of `thumb` size for `value` in [minimum, maximum], vertically centred.
[[nodiscard]] QRect SliderThumbRect(const QRect& client, const QSize& thumb, int minimum,
                                    int maximum, int value);

// The value whose thumb is centred nearest to `x`, within [minimum, maximum].
[[nodiscard]] int SliderValueAt(const QRect& client, const QSize& thumb, int minimum, int maximum,
                                int x);

// The rail: the client area's width, `height` high, vertically centred (the whole client
// height for a height of 0 or more than the client's).
[[nodiscard]] QRect SliderRailRect(const QRect& client, int height);

}  // namespace keyloom::ui
