#pragma once

#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace pugi {
class xml_node;
}

namespace keyloom::ui {

// The skin's named strings ("values:string"): <string><text name="" value=""/>...</string>, in
// file order. Index 0 is the first entry (InstanceName); of two entries with one name the first
// answers the name.
class StringTable {
 public:
  // Appends every child of `table` that has a name.
  void Load(const pugi::xml_node& table);

  [[nodiscard]] std::optional<QString> Get(const QString& name) const;
  [[nodiscard]] std::optional<QString> At(int index) const;
  [[nodiscard]] int Count() const { return static_cast<int>(values_.size()); }

 private:
  std::vector<QString> values_;
  std::map<QString, int> indexOfName_;
};

}  // namespace keyloom::ui
