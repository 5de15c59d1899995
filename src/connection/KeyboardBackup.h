#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "connection/KeyboardConnection.h"
#include "keymap/KeyContent.h"
#include "keymap/KeyMap.h"
#include "keymap/KeyMapXml.h"
#include "protocol/KeySlotTable.h"
#include "protocol/Transfers.h"

// The whole keyboard at once: reading every profile for a backup, and making the keyboard hold
// what a backup (or another profile) holds, slot for slot, through the connection's sequences.
namespace keyloom::connection {

// What the keyboard holds, read from it.
struct KeyboardReading {
  // Every occupied slot of every profile, with what the key map knows of it (kUnknown where it
  // knows nothing); the lighting and LED mode last sent, as far as the key map knows them; the
  // profile active after the reading.
  keymap::KeyMap map;
  // Every profile's slot read arrived whole; otherwise `unreadProfile` is the first that did not
  // and `map` is not to be used.
  bool whole = false;
  std::optional<int> unreadProfile;
  protocol::Transfers transfers;
};

// Selects each profile and reads its slots (the key map reconciles each). The profile that was
// selected last before comes last, so that it is active again afterwards; when the key map does
// not know it, the first profile does.
KeyboardReading ReadKeyboard(KeyboardConnection& connection);

// What a restore makes the keyboard hold.
struct RestoreGoal {
  // The slots of the profiles to restore, each with its key and content. An entry of kind
  // kUnknown is a key whose content is not known: it is left in its slot when the keyboard still
  // holds it there, and its slot is freed otherwise. A slot without an entry is freed.
  keymap::KeyMap map;
  std::array<bool, keymap::kProfileCount> profiles{};
  // Whether to send the lighting records of `map` and make its LED mode the current one.
  bool lighting = false;
  // The profile to leave active; none: the last profile restored.
  std::optional<int> finalProfile;
};

// Why a backup is not restored.
enum class BackupRefusal {
  kOtherModel,        // it names another keyboard model than the one connected
  kProfileNotListed,  // the profile asked for is not in it
};

// A backup's restore goal, or why there is none.
struct BackupGoal {
  RestoreGoal goal;
  std::optional<BackupRefusal> refusal;
};

// The goal of restoring `backup`, a key map file as read, on a keyboard of `model`: every profile
// the file lists, its lighting and LED mode, and the profile it names as active left active (none
// named: the last one restored). With `profileIndex` (0-2), that profile alone, without the
// lighting, left active. A backup that names another model, or that does not list the profile
// asked for, is refused.
[[nodiscard]] BackupGoal GoalOfBackup(const keymap::KeyMapDocument& backup,
                                      const keymap::KeyboardModel& model,
                                      std::optional<int> profileIndex = {});

// A key in a slot whose content is not known (keymap::ContentKind::kUnknown): a backup holds only
// that it is assigned, a restore cannot put it back, a copy leaves it out.
struct UnknownKey {
  int profileIndex = 0;
  protocol::KeySlotTable::Half half = protocol::KeySlotTable::Half::kMacro;
  std::size_t slot = 0;
  std::uint8_t keyCode = 0;

  friend bool operator==(const UnknownKey&, const UnknownKey&) = default;
};

// The keys of unknown content of the profiles of `map` marked in `profiles`, in profile order,
// each profile's macro slots first.
[[nodiscard]] std::vector<UnknownKey> KeysOfUnknownContent(
    const keymap::KeyMap& map, const std::array<bool, keymap::kProfileCount>& profiles);

// The goal of making profile `to` hold what another profile holds, slot for slot, given that
// profile as read (KeyMap::Holding); its keys of unknown content stay kUnknown. `to` is left
// active.
RestoreGoal CopyProfileGoal(const keymap::ProfileMap& from, int to);

// One change of a restore.
struct RestoreStep {
  enum class Kind { kRemove, kAssign, kLighting };
  Kind kind = Kind::kAssign;
  // kRemove and kAssign: the slot, the key removed from it or put into it, and what the key is
  // to do (kAssign) or did as far as the key map knew (kRemove).
  int profileIndex = 0;
  protocol::KeySlotTable::Half half = protocol::KeySlotTable::Half::kMacro;
  std::size_t slot = 0;
  std::uint8_t keyCode = 0;
  keymap::KeyContent content;
  // kLighting: the LED mode whose record is sent.
  int ledMode = 0;

  friend bool operator==(const RestoreStep&, const RestoreStep&) = default;
};

// Told before each step: the step, its index from 0 and the number of steps. Answers whether to
// go on; false cancels the restore before that step, so that what was sent before it stays and
// is recorded, and nothing after it is sent. The window shows a progress dialog from it; it must
// not run a sequence of the connection.
struct RestoreProgress {
  const RestoreStep& step;
  std::size_t index = 0;
  std::size_t total = 0;
};
using RestoreProgressCallback = std::function<bool(const RestoreProgress&)>;

// A slot that the final read shows other than the goal holds it.
struct RestoreMismatch {
  int profileIndex = 0;
  protocol::KeySlotTable::Half half = protocol::KeySlotTable::Half::kMacro;
  std::size_t slot = 0;
  // The key the goal puts there (0: the slot is to be free), with its content.
  std::uint8_t wanted = 0;
  keymap::KeyContent content;
  // The key the read shows there (0: free). The same key as `wanted` means that what it does
  // is not known to be the goal's content.
  std::uint8_t found = 0;

  friend bool operator==(const RestoreMismatch&, const RestoreMismatch&) = default;
};

struct RestoreReport {
  enum class Outcome {
    kDone,         // the final reads show every slot as the goal holds it, and every lighting
                   // record arrived
    kNotRead,      // a profile's slot read did not arrive whole before anything was sent
    kCancelled,    // the progress callback stopped it
    kNotMatched,   // it ran to the end, but a slot or a lighting record is not as the goal holds it
    kNotChecked,   // it ran to the end and nothing read differs from the goal, but the final read
                   // of `unreadProfile` did not arrive whole
    kNotRecorded,  // the key map could not record a step (KeyboardConnection::LastRecordFailure):
                   // nothing after it was sent, nor read again
  };
  Outcome outcome = Outcome::kDone;
  // The steps whose frames were sent, and the slots and lighting that already held what the
  // goal holds.
  std::size_t sent = 0;
  std::size_t skipped = 0;
  // Steps that did not arrive or, after a cancel, were not made. Of a slot step, that is what
  // the read after it told; the final reads tell what the slot holds in the end.
  std::vector<RestoreStep> notDone;
  // The final reads' differences from the goal (not after a cancel).
  std::vector<RestoreMismatch> mismatches;
  // The profile whose slot read did not arrive whole (kNotRead, or a final read).
  std::optional<int> unreadProfile;
  protocol::Transfers transfers;
};

// Makes the keyboard hold the goal, per profile in order: the profile is selected and its slots
// read, the slots that hold another key than the goal's are freed, then the goal's keys are put
// into their slots (a key that already holds the goal's content there as far as the key map
// knows is skipped); then the lighting records that the key map does not know to be the goal's,
// the goal's LED mode last; then each restored profile is read again and compared with the goal,
// the final profile last. The outcome is kDone when those reads are whole and show the goal and
// every lighting record arrived, whatever read-backs of single steps were lost. Every step is one
// sequence of the connection (see PlaceInSlot), which records what arrived. When a profile's first
// read does not arrive whole, nothing is sent.
RestoreReport Restore(KeyboardConnection& connection, const RestoreGoal& goal,
                      const RestoreProgressCallback& progress);

}  // namespace keyloom::connection
