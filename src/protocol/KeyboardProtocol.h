#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeySlotTable.h"
#include "protocol/KeyboardState.h"
#include "protocol/LightingTable.h"
#include "protocol/Link.h"
#include "protocol/SelectedKeys.h"

namespace keyloom::protocol {

// The command sequences the program sends, with their pauses. With no keyboard open every
// transfer fails at once and only the pauses remain; the state changes as if the commands had
// been sent.

// Makes profile `profileIndex` (0-2) the active one, then pauses 50 ms.
void SelectProfile(Link& link, int profileIndex);

// Reads the slot table of the active profile: a 50 ms pause, the request, a 10 ms pause, then
// four reads, each after a 10 ms pause. A read that fails leaves its seven data bytes 0, so its
// slots read as free.
[[nodiscard]] KeySlotTable ReadKeySlots(Link& link);

// Sends the record of `ledMode` after a 50 ms pause. A mode outside 0-9 sends nothing and does
// not pause.
void SendLighting(Link& link, int ledMode, const LightingTable& lighting);

// Downloads the record in 28 frames. A frame the transport rejects is tried again at once, up
// to three more times; after the last try of a frame the sender pauses 8 ms, and the download
// goes on with the next frame whatever the outcome.
void WriteKeyRecord(Link& link, const KeyAssignmentRecord& record);

// Remaps the key in remap slot `remapSlot` (0-11) of profile `profileIndex`, then pauses 20 ms.
void AssignKeyMapping(Link& link, int profileIndex, std::size_t remapSlot, std::uint8_t keyCode,
                      std::uint8_t targetKeyCode);

// Frees remap slot `remapSlot` (0-11) of profile `profileIndex`, then pauses 10 ms.
void ClearKeyMapping(Link& link, int profileIndex, std::size_t remapSlot);

enum class AssignmentOutcome {
  kDone,
  // A half of the slot table was full: the warning was shown and nothing more was sent.
  kNoSpace,
  // The record names neither a macro nor a target key; nothing was sent.
  kNothingToAssign,
};

// Shows `text` in a message box with the caption and an OK button.
using ShowWarning = std::function<void(std::string_view caption, std::string_view text)>;

// Assigns the record to every key of `keys`. A record with a repeat count goes into the key's
// macro slot (bytes 0-2 are filled in here: profile, slot, key) with a full download; one
// without goes into the key's remap slot of profile entry `profileEntry`, with byte 2 as the
// target (a negative entry skips the key). The macro half must have room for the key even for
// a remap. A full half shows kInsufficientSpaceText and stops at once, before anything is
// sent for that key or any key after it. Each assignment ends with a slot read into
// `state.slots`.
AssignmentOutcome ApplyKeyAssignment(Link& link, KeyboardState& state, int profileEntry,
                                     KeyAssignmentRecord& record, const SelectedKeys& keys,
                                     const ShowWarning& warn);

// Removes the assignment of every key of `keys`: a key that holds a macro slot loses the macro
// (an all-zero record with profile and slot is downloaded into it); otherwise a key that holds
// a remap slot loses the remap when `profileEntry` is not negative. A key in both halves loses
// only its macro. `record` is cleared and used for the download. Ends with a slot read into
// `state.slots`, even when nothing was sent.
void DeleteKeyAssignment(Link& link, KeyboardState& state, int profileEntry,
                         KeyAssignmentRecord& record, const SelectedKeys& keys);

struct RestoreFactorySteps {
  // Asks the question with OK and Cancel; true means OK. Without it nothing is restored.
  std::function<bool(std::string_view caption, std::string_view question)> confirm;
  // Runs right after the profile index and the lighting table were reset, before the final
  // pause and slot read: the place to bring the controls back to LED mode 0 and profile 0.
  std::function<void()> afterReset;
};

// Restores the keyboard's factory settings after asking kRestoreFactoryQuestion: a 50 ms pause,
// the restore frame, the reset of `state` (profile index 0, default lighting), afterReset, an
// 800 ms pause and a slot read. Returns whether it ran.
bool RestoreFactory(Link& link, KeyboardState& state, const RestoreFactorySteps& steps);

}  // namespace keyloom::protocol
