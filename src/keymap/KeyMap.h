#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "keymap/KeyContent.h"
#include "protocol/KeySlotTable.h"
#include "protocol/LightingRecord.h"
#include "protocol/LightingTable.h"

namespace keyloom::keymap {

inline constexpr int kProfileCount = 3;

[[nodiscard]] constexpr bool IsProfileIndex(int profileIndex) {
  return profileIndex >= 0 && profileIndex < kProfileCount;
}

// A key in a slot, with what Keyloom sent there.
struct SlotEntry {
  std::uint8_t keyCode = 0;
  KeyContent content;

  friend bool operator==(const SlotEntry&, const SlotEntry&) = default;
};

// One profile's slots: for each, the key Keyloom put there and its content, or nothing (a free
// slot, or one whose key Keyloom does not know).
class ProfileMap {
 public:
  // Out-of-range slots hold nothing and are not written.
  [[nodiscard]] const std::optional<SlotEntry>& At(protocol::KeySlotTable::Half half,
                                                   std::size_t slot) const;
  void Set(protocol::KeySlotTable::Half half, std::size_t slot, std::optional<SlotEntry> entry);
  [[nodiscard]] bool Empty() const;

  friend bool operator==(const ProfileMap&, const ProfileMap&) = default;

 private:
  using Slots = std::array<std::optional<SlotEntry>, protocol::KeySlotTable::kSlotsPerHalf>;
  std::array<Slots, 2> halves_{};
};

// A key of a profile as a slot read shows it, with what it does as far as Keyloom knows
// (ContentKind::kUnknown when it does not).
struct SlotAssignment {
  protocol::KeySlotTable::Half half = protocol::KeySlotTable::Half::kMacro;
  std::size_t slot = 0;
  std::uint8_t keyCode = 0;
  KeyContent content;

  friend bool operator==(const SlotAssignment&, const SlotAssignment&) = default;
};

// What the keyboard holds as far as Keyloom wrote it: for each profile and slot the key and what
// was sent there, the lighting last sent of each LED mode, the LED mode last sent and the
// profile last selected. The keyboard tells only which keys occupy its slots, so the map is
// reconciled with every whole slot read: an entry whose key is no longer in its slot is
// forgotten, and a key the map does not know in a slot is shown as kUnknown, never given a
// content. Profile indices outside 0-2 and LED modes outside 0-9 change nothing.
class KeyMap {
 public:
  using Half = protocol::KeySlotTable::Half;

  [[nodiscard]] const ProfileMap& Profile(int profileIndex) const;

  // The record last sent of each LED mode, none for a mode Keyloom never sent (or whose last
  // send may not have arrived).
  [[nodiscard]] const std::optional<protocol::LightingRecord>& Lighting(int ledMode) const;
  // The LED mode last sent: the keyboard's current one.
  [[nodiscard]] std::optional<int> LedMode() const { return ledMode_; }
  // The profile last selected: the keyboard's active one.
  [[nodiscard]] std::optional<int> SelectedProfile() const { return selectedProfile_; }

  // Forgets every entry of the profile whose key `slots`, a whole read of that profile, does not
  // show in the entry's slot.
  void Reconcile(int profileIndex, const protocol::KeySlotTable& slots);
  // The slot holds `keyCode` with `content`: as the keyboard confirmed it, or as a backup holds
  // it (where kUnknown marks a key whose content was not known). Key code 0 forgets the slot.
  void Record(int profileIndex, Half half, std::size_t slot, std::uint8_t keyCode,
              const KeyContent& content);
  // What the slot holds is no longer known (a change that may have arrived in part).
  void Forget(int profileIndex, Half half, std::size_t slot);
  void ForgetHalf(int profileIndex, Half half);
  // The keyboard's factory settings: nothing assigned, every LED mode's default record, LED
  // mode 0 and the first profile.
  void FactoryRestored();
  // The mode's record was sent and arrived: it is known, and the mode is the current one.
  void LightingSent(int ledMode, const protocol::LightingRecord& record);
  // The mode's record as a backup holds it, without making the mode the current one.
  void SetLighting(int ledMode, const std::optional<protocol::LightingRecord>& record);
  // A send of the mode's record that may not have arrived: the mode's record and the current
  // LED mode are no longer known.
  void LightingLost(int ledMode);
  void ProfileSelected(int profileIndex);
  void SetLedMode(std::optional<int> ledMode);

  // The profile as `slots`, a whole read of it, shows it: an entry for every occupied slot, with
  // what the map knows of it (kUnknown where it knows nothing).
  [[nodiscard]] ProfileMap Holding(int profileIndex, const protocol::KeySlotTable& slots) const;
  void SetProfile(int profileIndex, const ProfileMap& profile);

  // The occupied slots of `slots`, a whole read of the profile, in slot order, the macro half
  // first, with what the map knows of each.
  [[nodiscard]] std::vector<SlotAssignment> Assignments(int profileIndex,
                                                        const protocol::KeySlotTable& slots) const;
  // The same for the slots that `keyCode` occupies: its macro and its remap, or nothing.
  [[nodiscard]] std::vector<SlotAssignment> AssignmentsOfKey(int profileIndex,
                                                             const protocol::KeySlotTable& slots,
                                                             std::uint8_t keyCode) const;

  // The lighting a program starts from: the records last sent, each mode's default record for
  // the modes the map does not know.
  [[nodiscard]] protocol::LightingTable LightingToStartFrom() const;

  friend bool operator==(const KeyMap&, const KeyMap&) = default;

 private:
  std::array<ProfileMap, kProfileCount> profiles_{};
  std::array<std::optional<protocol::LightingRecord>, protocol::LightingTable::kModeCount>
      lighting_{};
  std::optional<int> ledMode_;
  std::optional<int> selectedProfile_;
};

}  // namespace keyloom::keymap
