#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace keyloom::ui {

// One name of the layouts and the numeric id that the code and the layouts share for it.
struct NamedId {
  std::string_view name;
  int id = 0;
};

// The control names of the program's layouts with their numeric ids: "_name_start" = 65535 and
// the 116 control names from 65536 on. A control built from a layout takes its id from here by
// its name unless the layout gives an `id`. Names compare exactly (case matters).
class NamedIdTable {
 public:
  static constexpr std::size_t kEntryCount = 117;

  // Every entry, sorted by name (byte order).
  [[nodiscard]] static std::span<const NamedId> Entries();

  [[nodiscard]] static std::optional<int> IdOf(std::string_view name);
  [[nodiscard]] static std::optional<std::string_view> NameOf(int id);
};

}  // namespace keyloom::ui
