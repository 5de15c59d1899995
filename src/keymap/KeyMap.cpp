#include "keymap/KeyMap.h"

#include <algorithm>

namespace keyloom::keymap {

namespace {

using Half = protocol::KeySlotTable::Half;
constexpr std::size_t kSlots = protocol::KeySlotTable::kSlotsPerHalf;
constexpr Half kHalves[] = {Half::kMacro, Half::kRemap};

std::size_t IndexOf(Half half) {
  return half == Half::kMacro ? 0 : 1;
}

const std::optional<SlotEntry> kNothing;
const std::optional<protocol::LightingRecord> kNoLighting;
const ProfileMap kNoProfile;

}  // namespace

const std::optional<SlotEntry>& ProfileMap::At(Half half, std::size_t slot) const {
  return slot < kSlots ? halves_[IndexOf(half)][slot] : kNothing;
}

void ProfileMap::Set(Half half, std::size_t slot, std::optional<SlotEntry> entry) {
  if (slot < kSlots) {
    halves_[IndexOf(half)][slot] = std::move(entry);
  }
}

bool ProfileMap::Empty() const {
  for (const auto& half : halves_) {
    for (const auto& entry : half) {
      if (entry) {
        return false;
      }
    }
  }
  return true;
}

const ProfileMap& KeyMap::Profile(int profileIndex) const {
  return IsProfileIndex(profileIndex) ? profiles_[static_cast<std::size_t>(profileIndex)]
                                      : kNoProfile;
}

const std::optional<protocol::LightingRecord>& KeyMap::Lighting(int ledMode) const {
  return protocol::LightingTable::IsLedMode(ledMode) ? lighting_[static_cast<std::size_t>(ledMode)]
                                                     : kNoLighting;
}

void KeyMap::Begin(const PendingChange& change) {
  if (change.select && IsProfileIndex(*change.select)) {
    selectedProfile_.reset();
    unfinishedSelect_ = change.select;
  }
  for (const UnfinishedKey& key : change.keys) {
    if (!IsProfileIndex(key.profileIndex) || key.keyCode == 0) {
      continue;
    }
    ProfileMap& profile = profiles_[static_cast<std::size_t>(key.profileIndex)];
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
      const auto& entry = profile.At(key.half, slot);
      if (entry && entry->keyCode == key.keyCode) {
        profile.Set(key.half, slot, std::nullopt);
      }
    }
    Settle(key.profileIndex, key.half, key.keyCode);
    unfinishedKeys_.push_back(key);
  }
  for (const auto& [mode, record] : change.lighting) {
    if (protocol::LightingTable::IsLedMode(mode)) {
      lighting_[static_cast<std::size_t>(mode)].reset();
      unfinishedLighting_[static_cast<std::size_t>(mode)] = record;
      ledMode_.reset();
    }
  }
}

bool KeyMap::Unfinished(int profileIndex, Half half, std::uint8_t keyCode) const {
  return std::ranges::any_of(unfinishedKeys_, [&](const UnfinishedKey& key) {
    return key.profileIndex == profileIndex && key.half == half && key.keyCode == keyCode;
  });
}

void KeyMap::Settle(int profileIndex, Half half, std::uint8_t keyCode) {
  std::erase_if(unfinishedKeys_, [&](const UnfinishedKey& key) {
    return key.profileIndex == profileIndex && key.half == half && key.keyCode == keyCode;
  });
}

const std::optional<protocol::LightingRecord>& KeyMap::UnfinishedLighting(int ledMode) const {
  return protocol::LightingTable::IsLedMode(ledMode)
             ? unfinishedLighting_[static_cast<std::size_t>(ledMode)]
             : kNoLighting;
}

bool KeyMap::LedModeUnfinished() const {
  return !ledMode_ && std::ranges::any_of(unfinishedLighting_,
                                          [](const auto& record) { return record.has_value(); });
}

void KeyMap::Reconcile(int profileIndex, const protocol::KeySlotTable& slots) {
  if (!IsProfileIndex(profileIndex)) {
    return;
  }
  ProfileMap& profile = profiles_[static_cast<std::size_t>(profileIndex)];
  for (const Half half : kHalves) {
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
      const auto& entry = profile.At(half, slot);
      if (entry && entry->keyCode != slots.slot(half, slot)) {
        profile.Set(half, slot, std::nullopt);
      }
    }
  }
  std::erase_if(unfinishedKeys_, [&](const UnfinishedKey& key) {
    return key.profileIndex == profileIndex && !slots.FindExact(key.half, key.keyCode);
  });
}

void KeyMap::Record(int profileIndex, Half half, std::size_t slot, std::uint8_t keyCode,
                    const KeyContent& content) {
  if (!IsProfileIndex(profileIndex)) {
    return;
  }
  if (keyCode == 0) {
    Forget(profileIndex, half, slot);
    return;
  }
  profiles_[static_cast<std::size_t>(profileIndex)].Set(half, slot, SlotEntry{keyCode, content});
  Settle(profileIndex, half, keyCode);
}

void KeyMap::Forget(int profileIndex, Half half, std::size_t slot) {
  if (IsProfileIndex(profileIndex)) {
    profiles_[static_cast<std::size_t>(profileIndex)].Set(half, slot, std::nullopt);
  }
}

void KeyMap::ForgetHalf(int profileIndex, Half half) {
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    Forget(profileIndex, half, slot);
  }
}

void KeyMap::FactoryRestored() {
  profiles_ = {};
  for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
    lighting_[static_cast<std::size_t>(mode)] = protocol::LightingTable::DefaultRecord(mode);
  }
  ledMode_ = 0;
  selectedProfile_ = 0;
  unfinishedKeys_.clear();
  unfinishedLighting_ = {};
  unfinishedSelect_.reset();
}

void KeyMap::LightingSent(int ledMode, const protocol::LightingRecord& record) {
  if (protocol::LightingTable::IsLedMode(ledMode)) {
    lighting_[static_cast<std::size_t>(ledMode)] = record;
    unfinishedLighting_[static_cast<std::size_t>(ledMode)].reset();
    ledMode_ = ledMode;
  }
}

void KeyMap::SetLighting(int ledMode, const std::optional<protocol::LightingRecord>& record) {
  if (protocol::LightingTable::IsLedMode(ledMode)) {
    lighting_[static_cast<std::size_t>(ledMode)] = record;
  }
}

void KeyMap::LightingLost(int ledMode) {
  if (protocol::LightingTable::IsLedMode(ledMode)) {
    lighting_[static_cast<std::size_t>(ledMode)].reset();
    ledMode_.reset();
  }
}

void KeyMap::ProfileSelected(int profileIndex) {
  if (IsProfileIndex(profileIndex)) {
    selectedProfile_ = profileIndex;
    unfinishedSelect_.reset();
  }
}

void KeyMap::SetLedMode(std::optional<int> ledMode) {
  if (!ledMode || protocol::LightingTable::IsLedMode(*ledMode)) {
    ledMode_ = ledMode;
  }
}

ProfileMap KeyMap::Holding(int profileIndex, const protocol::KeySlotTable& slots) const {
  ProfileMap holding;
  const ProfileMap& known = Profile(profileIndex);
  for (const Half half : kHalves) {
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
      const std::uint8_t key = slots.slot(half, slot);
      if (key == 0) {
        continue;
      }
      const auto& entry = known.At(half, slot);
      holding.Set(half, slot,
                  SlotEntry{key, entry && entry->keyCode == key ? entry->content : KeyContent{}});
    }
  }
  return holding;
}

void KeyMap::SetProfile(int profileIndex, const ProfileMap& profile) {
  if (IsProfileIndex(profileIndex)) {
    profiles_[static_cast<std::size_t>(profileIndex)] = profile;
  }
}

std::vector<SlotAssignment> KeyMap::Assignments(int profileIndex,
                                                const protocol::KeySlotTable& slots) const {
  std::vector<SlotAssignment> assignments;
  const ProfileMap holding = Holding(profileIndex, slots);
  for (const Half half : kHalves) {
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
      if (const auto& entry = holding.At(half, slot)) {
        const bool unfinished = std::ranges::any_of(unfinishedKeys_, [&](const UnfinishedKey& key) {
          return (key.profileIndex == profileIndex || !IsProfileIndex(profileIndex)) &&
                 key.half == half && key.keyCode == entry->keyCode;
        });
        assignments.push_back({half, slot, entry->keyCode, entry->content, unfinished});
      }
    }
  }
  return assignments;
}

std::vector<SlotAssignment> KeyMap::AssignmentsOfKey(int profileIndex,
                                                     const protocol::KeySlotTable& slots,
                                                     std::uint8_t keyCode) const {
  std::vector<SlotAssignment> ofKey;
  if (keyCode == 0) {
    return ofKey;
  }
  for (SlotAssignment& assignment : Assignments(profileIndex, slots)) {
    if (assignment.keyCode == keyCode) {
      ofKey.push_back(std::move(assignment));
    }
  }
  return ofKey;
}

protocol::LightingTable KeyMap::LightingToStartFrom() const {
  protocol::LightingTable table;
  for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
    if (const auto& record = lighting_[static_cast<std::size_t>(mode)]) {
      table[mode] = *record;
    }
  }
  return table;
}

}  // namespace keyloom::keymap
