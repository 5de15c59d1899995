#pragma once

#include <cstdint>
#include <string_view>

namespace keyloom::macro {

// How often a macro plays: 1 to 255, as the keyboard takes the count in one byte and a count of
// 0 makes the record a remap of the key to itself.
inline constexpr std::int32_t kMinRepeat = 1;
inline constexpr std::int32_t kMaxRepeat = 255;

// A repeat count as typed: the count, or why it is refused.
struct RepeatCount {
  enum class Problem {
    kNone,
    // Nothing typed.
    kEmpty,
    // Not a whole decimal number (blanks around it allowed).
    kNotANumber,
    // 0 or less.
    kTooFew,
    // More than 255.
    kTooMany,
  };

  // The count when it is taken; otherwise the number typed, as far as it reads (0 for none).
  std::int32_t value = 0;
  Problem problem = Problem::kEmpty;

  [[nodiscard]] bool ok() const { return problem == Problem::kNone; }
};

[[nodiscard]] RepeatCount ReadRepeatCount(std::string_view text);

}  // namespace keyloom::macro
