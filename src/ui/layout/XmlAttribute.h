#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace pugi {
class xml_node;
}

namespace keyloom::ui {

// The value of the element's attribute `name`, matched without regard to case, as UTF-8 text;
// nothing when the element has none.
[[nodiscard]] std::optional<QString> FindAttribute(const pugi::xml_node& element,
                                                   std::string_view name);

}  // namespace keyloom::ui
