#pragma once

#include <string_view>

namespace keyloom::macro {

// Told when a row of the macro group list is clicked.
class IOnMacroGroupClickedListener {
 public:
  virtual ~IOnMacroGroupClickedListener() = default;

  // `row` is the group's index in the library, `name` its name (UTF-8).
  virtual void OnMacroGroupClicked(int row, std::string_view name) = 0;
};

}  // namespace keyloom::macro
