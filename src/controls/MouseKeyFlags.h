#pragma once

#include <Qt>
#include <cstdint>

namespace keyloom::controls {

// The key-state bits of a Windows mouse message (MK_...), which the keyboard picture hands to
// its click listener.
inline constexpr std::uint32_t kMkLButton = 0x0001;
inline constexpr std::uint32_t kMkRButton = 0x0002;
inline constexpr std::uint32_t kMkShift = 0x0004;
inline constexpr std::uint32_t kMkControl = 0x0008;
inline constexpr std::uint32_t kMkMButton = 0x0010;

// The bits for the buttons held and the modifier keys down. A press carries its own button
// (Qt counts it among the held buttons), a release no longer does.
[[nodiscard]] std::uint32_t MouseKeyFlags(Qt::MouseButtons buttons,
                                          Qt::KeyboardModifiers modifiers);

}  // namespace keyloom::controls
