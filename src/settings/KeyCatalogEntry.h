#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keyloom::settings {

// One entry of the media-key or function-key catalogue of config.xml: what the key assignment
// dialog shows and the key codes behind it. A media key uses only its first code, as one byte; a
// function-key chord presses every code in list order.
struct KeyCatalogEntry {
  std::string name;                 // UTF-8, never empty
  std::vector<std::int32_t> codes;  // in written order; may be empty

  bool operator==(const KeyCatalogEntry&) const = default;
};

}  // namespace keyloom::settings
