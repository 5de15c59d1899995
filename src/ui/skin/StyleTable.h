#pragma once

#include <QString>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pugi {
class xml_node;
}

namespace keyloom::ui {

// One attribute of a layout element: its name as written and its value.
using Attribute = std::pair<std::string, QString>;

// The style classes of the UI definition: <style><class name="title" font="..."/>...</style>.
// A class is the list of its attributes other than "name", in file order.
class StyleTable {
 public:
  void Load(const pugi::xml_node& style);

  // The class's attributes; nothing (an empty list) for an unknown class.
  [[nodiscard]] const std::vector<Attribute>& Get(const QString& name) const;

 private:
  std::map<QString, std::vector<Attribute>> classes_;
};

}  // namespace keyloom::ui
