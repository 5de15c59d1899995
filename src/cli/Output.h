#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "hid/HidInterfaceInfo.h"
#include "protocol/KeySlotTable.h"
#include "protocol/LightingRecord.h"
#include "settings/AppConfig.h"

namespace keyloom::cli {

// What keyloomctl prints on standard output, as text for people or as JSON for scripts.
class Output {
 public:
  Output(std::ostream& out, bool json) : out_(out), json_(json) {}

  // `selectedIndex` marks the interface that opening the keyboard would pick (none with --all).
  void Devices(const std::vector<hid::HidInterfaceInfo>& interfaces,
               std::optional<std::size_t> selectedIndex);
  void Config(const settings::AppConfig& config, const std::filesystem::path& file, bool loaded);
  // `profile` is 1-3, or nullopt when the table is the keyboard's active profile, not chosen.
  void Slots(const protocol::KeySlotTable& slots, std::optional<int> profile);
  void Lighting(int mode, const protocol::LightingRecord& record);
  // `remapSlot` is 0-11.
  void Remapped(int profile, std::uint8_t key, std::uint8_t target, std::size_t remapSlot);
  // `removed` names the half the key left, nullopt when it held nothing.
  void Cleared(int profile, std::uint8_t key, std::optional<protocol::KeySlotTable::Half> removed);
  void FactoryRestored();

 private:
  std::ostream& out_;
  bool json_;
};

}  // namespace keyloom::cli
