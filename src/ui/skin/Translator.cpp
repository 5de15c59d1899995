#include "ui/skin/Translator.h"

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

bool Translator::Load(const pugi::xml_node& language) {
  if (!settings::EqualIgnoringAsciiCase(language.name(), "language")) {
    return false;
  }
  name_ = QString::fromUtf8(language.attribute("name").value());
  items_.clear();
  for (const pugi::xml_node item : language.children("item")) {
    const QString source = QString::fromUtf8(item.attribute("src").value());
    if (!source.isEmpty() && !items_.contains(source)) {
      items_.insert(source, QString::fromUtf8(item.attribute("dst").value()));
    }
  }
  return true;
}

std::optional<QString> Translator::Translate(const QString& text) const {
  const auto found = items_.constFind(text);
  if (found == items_.constEnd()) {
    return std::nullopt;
  }
  return *found;
}

}  // namespace keyloom::ui
