#include "ui/layout/ObjectFactoryRegistry.h"

#include <utility>

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"
#include "ui/layout/ISObjectFactory.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

ObjectFactoryRegistry::ObjectFactoryRegistry() = default;
ObjectFactoryRegistry::~ObjectFactoryRegistry() = default;

bool ObjectFactoryRegistry::Register(std::unique_ptr<ISObjectFactory> factory) {
  if (factory == nullptr || Find(factory->Tag()) != nullptr) {
    return false;
  }
  factories_.push_back(std::move(factory));
  return true;
}

const ISObjectFactory* ObjectFactoryRegistry::Find(std::string_view tag) const {
  for (const auto& factory : factories_) {
    if (settings::EqualIgnoringAsciiCase(factory->Tag(), tag)) {
      return factory.get();
    }
  }
  return nullptr;
}

std::unique_ptr<SWindow> ObjectFactoryRegistry::Create(std::string_view tag) const {
  const ISObjectFactory* factory = Find(tag);
  return factory == nullptr ? nullptr : factory->Create();
}

}  // namespace keyloom::ui
