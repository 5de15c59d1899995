#pragma once

#include <cstdint>

namespace keyloom::macro {

// The messages of a low-level keyboard event, with the values the Windows hook reports; other
// platforms' keyboard sources use the same values.
inline constexpr std::uint32_t kKeyDownMessage = 0x100;
inline constexpr std::uint32_t kKeyUpMessage = 0x101;
inline constexpr std::uint32_t kSystemKeyDownMessage = 0x104;
inline constexpr std::uint32_t kSystemKeyUpMessage = 0x105;

// The hook code of an event that a listener may act on; a negative code is passed on untouched.
inline constexpr int kHookActionCode = 0;

// What the recorder uses of a low-level keyboard event: the Windows virtual-key code of the
// key (the first field of the system's event record).
struct KeyboardEventRecord {
  std::uint32_t vkCode = 0;
};

}  // namespace keyloom::macro
