#pragma once

#include <QColor>
#include <QString>
#include <map>
#include <optional>

namespace pugi {
class xml_node;
}

namespace keyloom::ui {

// The skin's named colours ("values:color"): <color><text name="" value=""/>...</color>, values
// in the syntaxes of ParseColor. Entries whose value does not read are left out; of two entries
// with one name the first counts.
class ColorTable {
 public:
  void Load(const pugi::xml_node& table);

  [[nodiscard]] std::optional<QColor> Get(const QString& name) const;

 private:
  std::map<QString, QColor> colors_;
};

}  // namespace keyloom::ui
