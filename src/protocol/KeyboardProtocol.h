#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeySlotTable.h"
#include "protocol/KeyboardState.h"
#include "protocol/LightingTable.h"
#include "protocol/Link.h"
#include "protocol/SelectedKeys.h"
#include "protocol/Transfers.h"

namespace keyloom::protocol {

// The command sequences the program sends, with their pauses. Each returns what happened to its
// transfers. A transfer that fails does not stop a sequence: it goes on with its next frame
// after the same pause, so the schedule of frames and pauses never depends on the outcome. With
// no keyboard open every transfer fails at once and only the pauses remain.

// Makes profile `profileIndex` (0-2) the active one, then pauses 50 ms.
Transfers SelectProfile(Link& link, int profileIndex);

// The slot table of the active profile as read, and whether it is whole: the request was taken
// and each of the four replies arrived. A reply that failed leaves its seven data bytes 0, so
// its slots read as free; such a table is no basis for an assignment.
struct SlotRead {
  KeySlotTable slots;
  bool whole = false;
  Transfers transfers;
};

// Reads the slot table of the active profile: a 50 ms pause, the request, a 10 ms pause, then
// four reads, each after a 10 ms pause.
[[nodiscard]] SlotRead ReadKeySlots(Link& link);

// Sends the record of `ledMode` after a 50 ms pause. A mode outside 0-9 sends nothing and does
// not pause.
Transfers SendLighting(Link& link, int ledMode, const LightingTable& lighting);

// Downloads the record in 28 frames. A frame the transport rejects is tried again at once, up
// to three more times; after the last try of a frame the sender pauses 8 ms, and the download
// goes on with the next frame whatever the outcome. A frame counts as failed when its last try
// failed.
Transfers WriteKeyRecord(Link& link, const KeyAssignmentRecord& record);

// Remaps the key in remap slot `remapSlot` (0-11) of profile `profileIndex`, then pauses 20 ms.
Transfers AssignKeyMapping(Link& link, int profileIndex, std::size_t remapSlot,
                           std::uint8_t keyCode, std::uint8_t targetKeyCode);

// Frees remap slot `remapSlot` (0-11) of profile `profileIndex`, then pauses 10 ms.
Transfers ClearKeyMapping(Link& link, int profileIndex, std::size_t remapSlot);

enum class AssignmentOutcome {
  // Every key is where it should be in the slot read that ended its assignment.
  kDone,
  // A half of the slot table had no room for a key: nothing more was sent. The caller shows
  // kInsufficientSpaceText.
  kNoSpace,
  // The record names neither a macro nor a target key; nothing was sent.
  kNothingToAssign,
  // The slot table the assignment would start from is not a whole read; nothing was sent.
  kSlotsUnknown,
  // A key is not where it should be in the whole slot read that followed its assignment: the
  // keyboard did not take it.
  kNotTaken,
  // The slot read that followed an assignment was not whole, so whether the keyboard took it
  // is not known.
  kUnconfirmed,
  // The key is where it should be, but the keyboard rejected a frame of its assignment (after
  // the retries): what the key holds may be incomplete or old.
  kRejected,
  // The caller could not record the change before sending it, so nothing was sent.
  kNotRecorded,
};

// What became of one key of an assignment or a removal (ApplyKeyAssignment,
// DeleteKeyAssignment): one for each key whose change was sent, and one for the key that found
// no room, in the order of the keys. A key that was skipped (a remap without a profile entry, a
// removal of a key without an assignment) or never reached has none.
struct KeyPlacement {
  std::uint8_t keyCode = 0;
  // The half the key's change went into, or found no room in (kNoSpace), and the profile it was
  // sent to: the active one for a macro, the profile entry's for a remap.
  KeySlotTable::Half half = KeySlotTable::Half::kMacro;
  int profileIndex = 0;
  // The slot (0-11) the slot search chose and the change was sent to, whatever the slot read
  // after it showed. Empty for kNoSpace only, which sent nothing for the key.
  std::optional<std::size_t> slot;
  // What the slot read after the key's change (for a removal: the one read that ends it)
  // showed: the key in the half (a removal: no longer there) with every frame arrived, kDone;
  // the key there but a frame rejected, kRejected; not so, kNotTaken; not a whole read,
  // kUnconfirmed. Only after kDone does the slot hold the change for certain: after the others
  // it may hold it, in part or not at all. kNoSpace: the half was full.
  AssignmentOutcome outcome = AssignmentOutcome::kDone;

  friend bool operator==(const KeyPlacement&, const KeyPlacement&) = default;
};

struct AssignmentResult {
  AssignmentOutcome outcome = AssignmentOutcome::kDone;
  // The key the outcome speaks of: the key that failed, else the last key handled; 0 for none.
  std::uint8_t keyCode = 0;
  // Where that key is after an assignment (the half and the slot index 0-11), or, after a
  // removal, where it was removed from. Empty when the key was skipped (a remap without a
  // profile entry, a key without an assignment) or nothing was sent.
  std::optional<KeySlotTable::Half> half;
  std::optional<std::size_t> slot;
  // ApplyKeyAssignment and DeleteKeyAssignment: where each key's change went.
  std::vector<KeyPlacement> placements;
  Transfers transfers;
};

// Whether the record gives a key anything: a macro (a repeat count), or a target key for a
// remap. A remap to key code 0 would leave the key without any function.
[[nodiscard]] bool NamesAnAssignment(const KeyAssignmentRecord& record);

// Assigns the record to every key of `keys`, starting from `state.slots`, which must be a
// whole read. A record with a repeat count goes into the key's macro slot (bytes 0-2 are filled
// in here: profile, slot, key) with a full download; one without goes into the key's remap slot
// of profile entry `profileEntry`, with byte 2 as the target (a negative entry skips the key).
// The macro half must have room for the key even for a remap. A full half stops at once, before
// anything is sent for that key or any key after it. Each assignment ends with a slot read into
// `state`, which must show the key in its half; the first key that is not stops the rest. The
// placements tell where each key's change went.
AssignmentResult ApplyKeyAssignment(Link& link, KeyboardState& state, int profileEntry,
                                    KeyAssignmentRecord& record, const SelectedKeys& keys);

// Removes the assignment of every key of `keys`, starting from `state.slots`, which must be a
// whole read: a key that holds a macro slot loses the macro (an all-zero record with profile
// and slot is downloaded into it); otherwise a key that holds a remap slot loses the remap when
// `profileEntry` is not negative. A key in both halves loses only its macro. `record` is
// cleared and used for the download. Ends with a slot read into `state`, even when nothing was
// sent, which must no longer show a removed key in the half it was removed from; the outcome is
// the first key's that it does not confirm. The placements tell where each key was removed from.
AssignmentResult DeleteKeyAssignment(Link& link, KeyboardState& state, int profileEntry,
                                     KeyAssignmentRecord& record, const SelectedKeys& keys);

// Puts the record on `keyCode` in slot `slot` (0-11) of `half` of profile `state.profileIndex`,
// without the slot search: a record with a repeat count is downloaded into that macro slot
// (bytes 0-2 filled in here: profile, slot, key) and followed by a 20 ms pause, one without goes
// into that remap slot with byte 2 as the target; `half` must be the one the record goes into.
// Whatever the slot held is replaced. `state.slots` must be a whole read, and the caller makes
// sure that the key holds no other slot of the half. Ends with a slot read into `state`, which
// must show the key in that slot. Puts back what a backup holds, slot for slot.
AssignmentResult PlaceKeyAssignment(Link& link, KeyboardState& state, KeySlotTable::Half half,
                                    std::size_t slot, std::uint8_t keyCode,
                                    KeyAssignmentRecord record);

// Frees slot `slot` (0-11) of `half` of profile `state.profileIndex`, whatever key holds it: a
// macro slot by the download of an all-zero record with profile and slot, a remap slot by the
// clearing remap frame. `state.slots` must be a whole read. Ends with a slot read into `state`,
// which must show the slot free.
AssignmentResult ClearKeySlot(Link& link, KeyboardState& state, KeySlotTable::Half half,
                              std::size_t slot);

struct RestoreResult {
  Transfers transfers;
  // Whether the slot read that ends the restore was whole.
  bool slotsWhole = false;
};

// Restores the keyboard's factory settings: a 50 ms pause, the restore frame, the reset of
// `state` (profile index 0, default lighting), afterReset (the place to bring the controls
// back to LED mode 0 and profile 0; may be empty), an 800 ms pause and a slot read into `state`.
// Asking the user first is the caller's part.
RestoreResult RestoreFactory(Link& link, KeyboardState& state,
                             const std::function<void()>& afterReset);

// Selects profile `state.profileIndex` and reads its slots into `state`.
SlotRead SelectAndReadProfile(Link& link, KeyboardState& state);

}  // namespace keyloom::protocol
