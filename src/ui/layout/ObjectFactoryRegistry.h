#pragma once

#include <memory>
#include <string_view>
#include <vector>

namespace keyloom::ui {

class ISObjectFactory;
class SWindow;

// The control factories by XML tag. Tags compare without regard to case. A tag that is taken
// keeps its factory: registering it again changes nothing.
class ObjectFactoryRegistry {
 public:
  ObjectFactoryRegistry();
  ~ObjectFactoryRegistry();
  ObjectFactoryRegistry(const ObjectFactoryRegistry&) = delete;
  ObjectFactoryRegistry& operator=(const ObjectFactoryRegistry&) = delete;

  // Adds the factory under its tag; false (and the factory dropped) when the tag is taken.
  bool Register(std::unique_ptr<ISObjectFactory> factory);

  [[nodiscard]] const ISObjectFactory* Find(std::string_view tag) const;

  // A new control of the tag's factory; null for an unknown tag.
  [[nodiscard]] std::unique_ptr<SWindow> Create(std::string_view tag) const;

 private:
  std::vector<std::unique_ptr<ISObjectFactory>> factories_;
};

}  // namespace keyloom::ui
