#include "macro/RepeatCount.h"

#include <algorithm>

#include "settings/NumberText.h"

namespace keyloom::macro {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

RepeatCount ReadRepeatCount(std::string_view text) {
  using Problem = RepeatCount::Problem;
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  if (text.empty()) {
    return {0, Problem::kEmpty};
  }
  const std::int32_t value = settings::ReadDecimalInt32(text);
  const std::string_view digits =
      text.front() == '-' || text.front() == '+' ? text.substr(1) : text;
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit)) {
    return {value, Problem::kNotANumber};
  }
  if (value < kMinRepeat) {
    return {value, Problem::kTooFew};
  }
  if (value > kMaxRepeat) {
    return {value, Problem::kTooMany};
  }
  return {value, Problem::kNone};
}

}  // namespace keyloom::macro
