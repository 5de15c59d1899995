#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "controls/CoordButton.h"

namespace keyloom::controls {

enum class KeyDirection { kLeft, kRight, kUp, kDown };

// The key that the arrow `direction` moves to from the key `from`, by the keys' places on the
// picture (the centres of their rectangles): left and right, the nearest key of the same row
// (its centre level with `from`'s rectangle) on that side; up and down, of the keys wholly
// beyond `from`'s rectangle on that side, those of the nearest row, and of them the one whose
// centre is nearest across. Keys without a rectangle are never moved to. None at the edge of
// the keyboard, or for a `from` that is no key.
[[nodiscard]] std::optional<std::size_t> NeighbourKey(const std::vector<CoordButton>& keys,
                                                      std::size_t from, KeyDirection direction);

}  // namespace keyloom::controls
