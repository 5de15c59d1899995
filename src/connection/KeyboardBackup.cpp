#include "connection/KeyboardBackup.h"

#include <algorithm>
#include <utility>

#include "protocol/LightingTable.h"

namespace keyloom::connection {

namespace {

using Half = protocol::KeySlotTable::Half;
using keymap::ContentKind;
constexpr Half kHalves[] = {Half::kMacro, Half::kRemap};
constexpr std::size_t kSlots = protocol::KeySlotTable::kSlotsPerHalf;

// The steps that make profile `profileIndex`, whose slots are `slots` and of which the key map
// knows `known`, hold `goal`; counts the slots that hold the goal's already.
void PlanProfile(int profileIndex, const protocol::KeySlotTable& slots,
                 const keymap::ProfileMap& known, const keymap::ProfileMap& goal,
                 std::vector<RestoreStep>& steps, std::size_t& skipped) {
  for (const Half half : kHalves) {
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
      const std::uint8_t held = slots.slot(half, slot);
      const auto& wanted = goal.At(half, slot);
      if (held != 0 && held != (wanted ? wanted->keyCode : 0)) {
        const auto& entry = known.At(half, slot);
        steps.push_back({RestoreStep::Kind::kRemove, profileIndex, half, slot, held,
                         entry && entry->keyCode == held ? entry->content : keymap::KeyContent{}});
      }
    }
  }
  for (const Half half : kHalves) {
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
      const auto& wanted = goal.At(half, slot);
      if (!wanted || wanted->content.kind == ContentKind::kUnknown) {
        continue;
      }
      const auto& entry = known.At(half, slot);
      if (slots.slot(half, slot) == wanted->keyCode && entry == wanted) {
        ++skipped;
        continue;
      }
      steps.push_back(
          {RestoreStep::Kind::kAssign, profileIndex, half, slot, wanted->keyCode, wanted->content});
    }
  }
}

// The lighting steps: every mode whose record the key map does not know to be the goal's, the
// goal's LED mode last.
void PlanLighting(const keymap::KeyMap& known, const keymap::KeyMap& goal,
                  std::vector<RestoreStep>& steps, std::size_t& skipped) {
  const std::optional<int> current = goal.LedMode();
  bool sending = false;
  for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
    if (!goal.Lighting(mode) || mode == current) {
      continue;
    }
    if (known.Lighting(mode) == goal.Lighting(mode)) {
      ++skipped;
      continue;
    }
    RestoreStep step;
    step.kind = RestoreStep::Kind::kLighting;
    step.ledMode = mode;
    steps.push_back(step);
    sending = true;
  }
  if (!current) {
    return;
  }
  if (!sending && known.LedMode() == current &&
      known.Lighting(*current) == goal.Lighting(*current)) {
    ++skipped;
    return;
  }
  RestoreStep step;
  step.kind = RestoreStep::Kind::kLighting;
  step.ledMode = *current;
  steps.push_back(step);
}

// Whether the slot as read (`found`, and what the key map knows of it) is as the goal holds it.
bool AsWanted(std::uint8_t found, const std::optional<keymap::SlotEntry>& known,
              const std::optional<keymap::SlotEntry>& wanted) {
  if (!wanted) {
    return found == 0;
  }
  if (wanted->content.kind == ContentKind::kUnknown) {
    return found == 0 || found == wanted->keyCode;
  }
  return found == wanted->keyCode && known && known->keyCode == found &&
         known->content.SameOnKeyboard(wanted->content);
}

// Reads profile `profileIndex` again and notes where it differs from the goal.
void Check(KeyboardConnection& connection, int profileIndex, const keymap::ProfileMap& goal,
           RestoreReport& report) {
  const protocol::SlotRead read = connection.SelectProfile(profileIndex);
  report.transfers.Add(read.transfers);
  if (!read.whole) {
    report.unreadProfile = report.unreadProfile.value_or(profileIndex);
    return;
  }
  const keymap::ProfileMap& known = connection.KeyMap().Profile(profileIndex);
  for (const Half half : kHalves) {
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
      const std::uint8_t found = read.slots.slot(half, slot);
      const auto& wanted = goal.At(half, slot);
      if (!AsWanted(found, known.At(half, slot), wanted)) {
        const std::uint8_t wantedKey = wanted ? wanted->keyCode : std::uint8_t{0};
        report.mismatches.push_back({profileIndex, half, slot, wantedKey,
                                     wanted ? wanted->content : keymap::KeyContent{}, found});
      }
    }
  }
}

// Makes one step; false when it did not arrive.
bool Make(KeyboardConnection& connection, const RestoreGoal& goal, const RestoreStep& step,
          RestoreReport& report) {
  if (step.kind == RestoreStep::Kind::kLighting) {
    const protocol::Transfers sent =
        connection.SendLighting(step.ledMode, goal.map.LightingToStartFrom()[step.ledMode]);
    report.transfers.Add(sent);
    ++report.sent;
    return sent.ok();
  }
  std::optional<keymap::KeyContent> content;
  if (step.kind == RestoreStep::Kind::kAssign) {
    content = step.content;
  }
  const KeyboardConnection::SlotPlacement placed =
      connection.PlaceInSlot(step.profileIndex, step.half, step.slot, step.keyCode, content);
  report.transfers.Add(placed.result.transfers);
  if (placed.sent) {
    ++report.sent;
  } else if (placed.result.outcome == protocol::AssignmentOutcome::kDone) {
    ++report.skipped;
  }
  return placed.result.outcome == protocol::AssignmentOutcome::kDone;
}

}  // namespace

KeyboardReading ReadKeyboard(KeyboardConnection& connection) {
  KeyboardReading reading;
  const int last = connection.KeyMap().SelectedProfile().value_or(0);
  for (int i = 1; i <= keymap::kProfileCount; ++i) {
    const int profileIndex = (last + i) % keymap::kProfileCount;
    const protocol::SlotRead read = connection.SelectProfile(profileIndex);
    reading.transfers.Add(read.transfers);
    if (!read.whole) {
      reading.unreadProfile = reading.unreadProfile.value_or(profileIndex);
      continue;
    }
    reading.map.SetProfile(profileIndex, connection.KeyMap().Holding(profileIndex, read.slots));
  }
  const keymap::KeyMap& known = connection.KeyMap();
  for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
    reading.map.SetLighting(mode, known.Lighting(mode));
  }
  reading.map.SetLedMode(known.LedMode());
  if (const auto selected = known.SelectedProfile()) {
    reading.map.ProfileSelected(*selected);
  }
  reading.whole = !reading.unreadProfile.has_value();
  return reading;
}

BackupGoal GoalOfBackup(const keymap::KeyMapDocument& backup, const keymap::KeyboardModel& model,
                        std::optional<int> profileIndex) {
  BackupGoal result;
  if (backup.model && *backup.model != model) {
    result.refusal = BackupRefusal::kOtherModel;
    return result;
  }
  RestoreGoal& goal = result.goal;
  goal.map = backup.map;
  if (profileIndex) {
    if (!keymap::IsProfileIndex(*profileIndex) ||
        !backup.listed[static_cast<std::size_t>(*profileIndex)]) {
      result.refusal = BackupRefusal::kProfileNotListed;
      return result;
    }
    goal.profiles[static_cast<std::size_t>(*profileIndex)] = true;
    goal.finalProfile = *profileIndex;
  } else {
    goal.profiles = backup.listed;
    goal.lighting = true;
    goal.finalProfile = backup.map.SelectedProfile();
  }
  return result;
}

std::vector<UnknownKey> KeysOfUnknownContent(
    const keymap::KeyMap& map, const std::array<bool, keymap::kProfileCount>& profiles) {
  std::vector<UnknownKey> keys;
  for (int index = 0; index < keymap::kProfileCount; ++index) {
    if (!profiles[static_cast<std::size_t>(index)]) {
      continue;
    }
    for (const Half half : kHalves) {
      for (std::size_t slot = 0; slot < kSlots; ++slot) {
        const auto& entry = map.Profile(index).At(half, slot);
        if (entry && entry->content.kind == ContentKind::kUnknown) {
          keys.push_back({index, half, slot, entry->keyCode});
        }
      }
    }
  }
  return keys;
}

RestoreGoal CopyProfileGoal(const keymap::ProfileMap& from, int to) {
  RestoreGoal goal;
  goal.map.SetProfile(to, from);
  if (keymap::IsProfileIndex(to)) {
    goal.profiles[static_cast<std::size_t>(to)] = true;
  }
  goal.finalProfile = to;
  return goal;
}

RestoreReport Restore(KeyboardConnection& connection, const RestoreGoal& goal,
                      const RestoreProgressCallback& progress) {
  RestoreReport report;
  std::vector<RestoreStep> steps;
  std::vector<int> restored;
  for (int profileIndex = 0; profileIndex < keymap::kProfileCount; ++profileIndex) {
    if (!goal.profiles[static_cast<std::size_t>(profileIndex)]) {
      continue;
    }
    restored.push_back(profileIndex);
    const protocol::SlotRead read = connection.SelectProfile(profileIndex);
    report.transfers.Add(read.transfers);
    if (!read.whole) {
      report.outcome = RestoreReport::Outcome::kNotRead;
      report.unreadProfile = profileIndex;
      return report;
    }
    PlanProfile(profileIndex, read.slots, connection.KeyMap().Profile(profileIndex),
                goal.map.Profile(profileIndex), steps, report.skipped);
  }
  if (goal.lighting) {
    PlanLighting(connection.KeyMap(), goal.map, steps, report.skipped);
  }

  for (std::size_t index = 0; index < steps.size(); ++index) {
    if (progress && !progress({steps[index], index, steps.size()})) {
      report.outcome = RestoreReport::Outcome::kCancelled;
      report.notDone.insert(report.notDone.end(),
                            steps.begin() + static_cast<std::ptrdiff_t>(index), steps.end());
      return report;
    }
    if (!Make(connection, goal, steps[index], report)) {
      report.notDone.push_back(steps[index]);
    }
    if (connection.LastRecordFailure()) {
      report.outcome = RestoreReport::Outcome::kNotRecorded;
      report.notDone.insert(report.notDone.end(),
                            steps.begin() + static_cast<std::ptrdiff_t>(index) + 1, steps.end());
      return report;
    }
  }

  // The final profile's read comes last, so that it is the active one afterwards.
  std::optional<int> finalProfile = goal.finalProfile;
  if (!finalProfile && !restored.empty()) {
    finalProfile = restored.back();
  }
  for (const int profileIndex : restored) {
    if (profileIndex != finalProfile) {
      Check(connection, profileIndex, goal.map.Profile(profileIndex), report);
    }
  }
  if (finalProfile && keymap::IsProfileIndex(*finalProfile)) {
    if (goal.profiles[static_cast<std::size_t>(*finalProfile)]) {
      Check(connection, *finalProfile, goal.map.Profile(*finalProfile), report);
    } else {
      report.transfers.Add(connection.SelectProfile(*finalProfile).transfers);
    }
  }
  // The final reads tell what the slots hold, whatever the read-back of a step said; no read tells
  // the lighting.
  const bool lightingLost = std::ranges::any_of(report.notDone, [](const RestoreStep& step) {
    return step.kind == RestoreStep::Kind::kLighting;
  });
  if (!report.mismatches.empty() || lightingLost) {
    report.outcome = RestoreReport::Outcome::kNotMatched;
  } else {
    report.outcome =
        report.unreadProfile ? RestoreReport::Outcome::kNotChecked : RestoreReport::Outcome::kDone;
  }
  return report;
}

}  // namespace keyloom::connection
