#pragma once

#include <memory>
#include <string_view>

#include "ui/layout/ISObjectFactory.h"

namespace keyloom::ui {

// The factory of control class T under the tag `tag`, extending the class `baseClassName`.
// T is default-constructible and derives from SWindow. Both names must outlive the factory
// (string literals or T's own constants).
template <class T>
class TplSObjectFactory : public ISObjectFactory {
 public:
  TplSObjectFactory(std::string_view tag, std::string_view baseClassName)
      : tag_(tag), baseClassName_(baseClassName) {}

  [[nodiscard]] std::string_view Tag() const override { return tag_; }
  [[nodiscard]] std::string_view BaseClassName() const override { return baseClassName_; }
  [[nodiscard]] std::unique_ptr<SWindow> Create() const override { return std::make_unique<T>(); }

 private:
  std::string_view tag_;
  std::string_view baseClassName_;
};

}  // namespace keyloom::ui
