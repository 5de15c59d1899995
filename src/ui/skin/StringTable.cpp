#include "ui/skin/StringTable.h"

#include <cstddef>

#include <pugixml.hpp>

namespace keyloom::ui {

void StringTable::Load(const pugi::xml_node& table) {
  for (const pugi::xml_node entry : table.children()) {
    const QString name = QString::fromUtf8(entry.attribute("name").value());
    if (name.isEmpty()) {
      continue;
    }
    indexOfName_.emplace(name, Count());
    values_.push_back(QString::fromUtf8(entry.attribute("value").value()));
  }
}

std::optional<QString> StringTable::Get(const QString& name) const {
  const auto found = indexOfName_.find(name);
  if (found == indexOfName_.end()) {
    return std::nullopt;
  }
  return values_[static_cast<std::size_t>(found->second)];
}

std::optional<QString> StringTable::At(int index) const {
  if (index < 0 || index >= Count()) {
    return std::nullopt;
  }
  return values_[static_cast<std::size_t>(index)];
}

}  // namespace keyloom::ui
