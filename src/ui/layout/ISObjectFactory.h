#pragma once

#include <memory>
#include <string_view>

namespace keyloom::ui {

class SWindow;

// Creates the control of one layout tag.
class ISObjectFactory {
 public:
  virtual ~ISObjectFactory() = default;

  // The XML tag ("check").
  [[nodiscard]] virtual std::string_view Tag() const = 0;
  // The class the control extends ("window" for the standard window itself).
  [[nodiscard]] virtual std::string_view BaseClassName() const = 0;
  // A new control without parent.
  [[nodiscard]] virtual std::unique_ptr<SWindow> Create() const = 0;
};

}  // namespace keyloom::ui
