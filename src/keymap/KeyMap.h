#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
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
  // The content is unknown because a change of the key was being sent when the map was last
  // saved, and the keyboard has not shown since how it ended.
  bool unfinished = false;

  friend bool operator==(const SlotAssignment&, const SlotAssignment&) = default;
};

// A key that a change was sending to when the map was saved: its half of a profile, and what it
// was to do there (none: its assignment was being removed).
struct UnfinishedKey {
  int profileIndex = 0;
  protocol::KeySlotTable::Half half = protocol::KeySlotTable::Half::kMacro;
  std::uint8_t keyCode = 0;
  std::optional<KeyContent> content;

  friend bool operator==(const UnfinishedKey&, const UnfinishedKey&) = default;
};

// What a change is about to send, recorded (KeyMap::Begin) before its first frame so that a
// program killed before the keyboard's answer leaves no lie behind.
struct PendingChange {
  // The profile selected first.
  std::optional<int> select;
  std::vector<UnfinishedKey> keys;
  // The LED modes whose records are sent, with the records.
  std::vector<std::pair<int, protocol::LightingRecord>> lighting;
};

// What the keyboard holds as far as Keyloom wrote it: for each profile and slot the key and what
// was sent there, the lighting last sent of each LED mode, the LED mode last sent and the
// profile last selected. The keyboard tells only which keys occupy its slots, so the map is
// reconciled with every whole slot read: an entry whose key is no longer in its slot is
// forgotten, and a key the map does not know in a slot is shown as kUnknown, never given a
// content. Profile indices outside 0-2 and LED modes outside 0-9 change nothing.
//
// Before a change is sent, the map records it as unfinished (Begin): the keys it sends to lose
// what the map knew of them in their halves, the lighting of the modes it sends and the LED mode
// become unknown, and so does the active profile when it selects one. What ends the change (the
// keyboard confirming a key, a whole read that shows the key gone from its half, a record that
// arrived, a select) settles it; until then it stays unfinished, through a kill too.
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

  // Records `change` as being sent (see above).
  void Begin(const PendingChange& change);
  // The changes of keys that have not been settled, in the order they began.
  [[nodiscard]] const std::vector<UnfinishedKey>& UnfinishedKeys() const { return unfinishedKeys_; }
  [[nodiscard]] bool Unfinished(int profileIndex, Half half, std::uint8_t keyCode) const;
  // The key's change in the half is over: the caller records what the slot holds.
  void Settle(int profileIndex, Half half, std::uint8_t keyCode);
  // The record being sent to the mode when the map was saved, if a send has not been settled.
  [[nodiscard]] const std::optional<protocol::LightingRecord>& UnfinishedLighting(
      int ledMode) const;
  // Whether the LED mode is unknown because a send of a record may not have arrived.
  [[nodiscard]] bool LedModeUnfinished() const;
  // The profile a select was sent to when the map was saved, if no select has arrived since.
  [[nodiscard]] std::optional<int> UnfinishedSelect() const { return unfinishedSelect_; }

  // Forgets every entry of the profile whose key `slots`, a whole read of that profile, does not
  // show in the entry's slot, and settles the unfinished keys that it shows in no slot of their
  // half.
  void Reconcile(int profileIndex, const protocol::KeySlotTable& slots);
  // The slot holds `keyCode` with `content`: as the keyboard confirmed it, or as a backup holds
  // it (where kUnknown marks a key whose content was not known). Key code 0 forgets the slot.
  // Settles the key's change in the half.
  void Record(int profileIndex, Half half, std::size_t slot, std::uint8_t keyCode,
              const KeyContent& content);
  // What the slot holds is no longer known (a change that may have arrived in part).
  void Forget(int profileIndex, Half half, std::size_t slot);
  void ForgetHalf(int profileIndex, Half half);
  // The keyboard's factory settings: nothing assigned, every LED mode's default record, LED
  // mode 0 and the first profile; nothing unfinished.
  void FactoryRestored();
  // The mode's record was sent and arrived: it is known, the mode is the current one, and the
  // mode's unfinished send is settled.
  void LightingSent(int ledMode, const protocol::LightingRecord& record);
  // The mode's record as a backup holds it, without making the mode the current one.
  void SetLighting(int ledMode, const std::optional<protocol::LightingRecord>& record);
  // A send of the mode's record that may not have arrived: the mode's record and the current
  // LED mode are no longer known.
  void LightingLost(int ledMode);
  // A select arrived (and settles an unfinished one).
  void ProfileSelected(int profileIndex);
  void SetLedMode(std::optional<int> ledMode);

  // The profile as `slots`, a whole read of it, shows it: an entry for every occupied slot, with
  // what the map knows of it (kUnknown where it knows nothing).
  [[nodiscard]] ProfileMap Holding(int profileIndex, const protocol::KeySlotTable& slots) const;
  void SetProfile(int profileIndex, const ProfileMap& profile);

  // The occupied slots of `slots`, a whole read of the profile, in slot order, the macro half
  // first, with what the map knows of each and whether its change is unfinished. For a profile
  // outside 0-2 (which one was read is not known) every content is unknown, and unfinished
  // where the key's change in the half is unfinished in any profile.
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
  std::vector<UnfinishedKey> unfinishedKeys_;
  std::array<std::optional<protocol::LightingRecord>, protocol::LightingTable::kModeCount>
      unfinishedLighting_{};
  std::optional<int> unfinishedSelect_;
};

}  // namespace keyloom::keymap
