#include "protocol/KeyboardProtocol.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <utility>
#include <vector>

#include "protocol/CommandFrame.h"

namespace keyloom::protocol {

namespace {

using std::chrono::milliseconds;
using Half = KeySlotTable::Half;

constexpr milliseconds kAfterSelectProfile{50};
constexpr milliseconds kBeforeSlotRequest{50};
constexpr milliseconds kBeforeEachSlotRead{10};  // also after the request
constexpr milliseconds kBeforeSetLighting{50};
constexpr milliseconds kAfterRecordFrame{8};
constexpr milliseconds kAfterRecordDownload{20};
constexpr milliseconds kAfterAssignMapping{20};
constexpr milliseconds kAfterClearMapping{10};
constexpr milliseconds kBeforeRestoreFactory{50};
constexpr milliseconds kBeforeReadAfterRestore{800};

constexpr int kRecordFrameTries = 4;

constexpr std::size_t kDataBytesPerReply = hid::kReportSize - 1;
using ReplyData = std::array<std::uint8_t, 2 * kDataBytesPerReply>;

bool Send(Link& link, const CommandFrame& frame, Transfers& transfers) {
  const bool ok = link.transport.SetFeature(frame.report());
  transfers.Note(Transfers::Kind::kSet, frame.report(), ok);
  return ok;
}

// Two reads in a row, each after its pause: their data bytes (bytes 1-7 of each reply). A read
// that fails leaves the request's zeros.
ReplyData ReadReplyPair(Link& link, Transfers& transfers) {
  ReplyData data{};
  for (std::size_t reply = 0; reply < 2; ++reply) {
    link.clock.Pause(kBeforeEachSlotRead);
    const hid::Report request = CommandFrame().report();
    hid::Report buffer = request;
    const bool ok = link.transport.GetFeature(buffer);
    transfers.Note(Transfers::Kind::kGet, request, ok);
    if (!ok) {
      buffer = request;
    }
    std::copy(buffer.begin() + 1, buffer.end(),
              data.begin() + static_cast<std::ptrdiff_t>(reply * kDataBytesPerReply));
  }
  return data;
}

void Store(const SlotRead& read, KeyboardState& state) {
  state.slots = read.slots;
  state.slotsWhole = read.whole;
}

// Reads the slots into `state` after an assignment whose own frames went as `sent`, and tells
// whether `keyCode` is in `half` (`present`) or not any more.
AssignmentOutcome Verify(Link& link, KeyboardState& state, Transfers& transfers, Half half,
                         std::uint8_t keyCode, bool present, const Transfers& sent) {
  const SlotRead read = ReadKeySlots(link);
  transfers.Add(read.transfers);
  Store(read, state);
  if (!read.whole) {
    return AssignmentOutcome::kUnconfirmed;
  }
  if (state.slots.FindExact(half, keyCode).has_value() != present) {
    return AssignmentOutcome::kNotTaken;
  }
  return sent.ok() ? AssignmentOutcome::kDone : AssignmentOutcome::kRejected;
}

// Reads the slots into `state` after a change of one slot whose own frames went as `sent`, and
// tells whether the slot holds `keyCode` (0: free) now.
AssignmentOutcome VerifySlot(Link& link, KeyboardState& state, Transfers& transfers, Half half,
                             std::size_t slot, std::uint8_t keyCode, const Transfers& sent) {
  const SlotRead read = ReadKeySlots(link);
  transfers.Add(read.transfers);
  Store(read, state);
  if (!read.whole) {
    return AssignmentOutcome::kUnconfirmed;
  }
  if (state.slots.slot(half, slot) != keyCode) {
    return AssignmentOutcome::kNotTaken;
  }
  return sent.ok() ? AssignmentOutcome::kDone : AssignmentOutcome::kRejected;
}

}  // namespace

Transfers SelectProfile(Link& link, int profileIndex) {
  Transfers transfers;
  Send(link, CommandFrame::SelectProfile(profileIndex), transfers);
  link.clock.Pause(kAfterSelectProfile);
  return transfers;
}

SlotRead ReadKeySlots(Link& link) {
  SlotRead read;
  link.clock.Pause(kBeforeSlotRequest);
  Send(link, CommandFrame::ReadKeySlots(), read.transfers);
  link.clock.Pause(kBeforeEachSlotRead);

  constexpr std::size_t kHalf = KeySlotTable::kSlotsPerHalf;
  KeySlotTable::Bytes bytes{};
  // The first data byte of the first pair is not a slot; the last one of the pair is unused.
  const ReplyData macro = ReadReplyPair(link, read.transfers);
  std::copy_n(macro.begin() + 1, kHalf, bytes.begin());
  // The remap slots start at the first data byte; the last two are unused.
  const ReplyData remap = ReadReplyPair(link, read.transfers);
  std::copy_n(remap.begin(), kHalf, bytes.begin() + kHalf);
  read.slots = KeySlotTable(bytes);
  read.whole = read.transfers.ok();
  return read;
}

SlotRead SelectAndReadProfile(Link& link, KeyboardState& state) {
  const Transfers select = SelectProfile(link, state.profileIndex);
  SlotRead read = ReadKeySlots(link);
  Store(read, state);
  read.transfers.Prepend(select);
  // A select the keyboard did not take leaves another profile active: its slots are not these.
  read.whole = read.whole && select.ok();
  state.slotsWhole = read.whole;
  return read;
}

Transfers SendLighting(Link& link, int ledMode, const LightingTable& lighting) {
  Transfers transfers;
  if (!LightingTable::IsLedMode(ledMode)) {
    return transfers;
  }
  link.clock.Pause(kBeforeSetLighting);
  Send(link, CommandFrame::SetLighting(ledMode, lighting[ledMode]), transfers);
  return transfers;
}

Transfers WriteKeyRecord(Link& link, const KeyAssignmentRecord& record) {
  Transfers transfers;
  for (std::size_t frame = 0; frame < CommandFrame::kKeyRecordFrameCount; ++frame) {
    const CommandFrame part = CommandFrame::KeyRecordPart(record, frame);
    bool taken = false;
    for (int tries = 0; tries < kRecordFrameTries && !taken; ++tries) {
      taken = link.transport.SetFeature(part.report());
    }
    transfers.Note(Transfers::Kind::kSet, part.report(), taken);
    link.clock.Pause(kAfterRecordFrame);
  }
  return transfers;
}

Transfers AssignKeyMapping(Link& link, int profileIndex, std::size_t remapSlot,
                           std::uint8_t keyCode, std::uint8_t targetKeyCode) {
  Transfers transfers;
  Send(link, CommandFrame::AssignKeyMapping(profileIndex, remapSlot, keyCode, targetKeyCode),
       transfers);
  link.clock.Pause(kAfterAssignMapping);
  return transfers;
}

Transfers ClearKeyMapping(Link& link, int profileIndex, std::size_t remapSlot) {
  Transfers transfers;
  Send(link, CommandFrame::ClearKeyMapping(profileIndex, remapSlot), transfers);
  link.clock.Pause(kAfterClearMapping);
  return transfers;
}

bool NamesAnAssignment(const KeyAssignmentRecord& record) {
  return record.IsMacro() || record.keyCode() != 0;
}

AssignmentResult ApplyKeyAssignment(Link& link, KeyboardState& state, int profileEntry,
                                    KeyAssignmentRecord& record, const SelectedKeys& keys) {
  AssignmentResult result;
  if (!NamesAnAssignment(record)) {
    result.outcome = AssignmentOutcome::kNothingToAssign;
    return result;
  }
  for (const auto& [keyCode, name] : keys) {
    result.keyCode = keyCode;
    result.half.reset();
    result.slot.reset();
    if (!state.slotsWhole) {
      result.outcome = AssignmentOutcome::kSlotsUnknown;
      return result;
    }
    const auto macroSlot = state.slots.FindSlot(Half::kMacro, keyCode);
    if (!macroSlot) {
      result.outcome = AssignmentOutcome::kNoSpace;
      result.placements.push_back(
          {keyCode, Half::kMacro, state.profileIndex, std::nullopt, result.outcome});
      return result;
    }
    KeyPlacement placement{keyCode, Half::kMacro, state.profileIndex, macroSlot};
    Transfers sent;
    if (record.IsMacro()) {
      record.SetKeyCode(keyCode);
      record.SetSlotNumber(ToWireNumber(static_cast<std::int64_t>(*macroSlot)));
      record.SetProfileNumber(ToWireNumber(state.profileIndex));
      sent = WriteKeyRecord(link, record);
      link.clock.Pause(kAfterRecordDownload);
    } else {
      placement.half = Half::kRemap;
      placement.profileIndex = profileEntry;
      placement.slot = state.slots.FindSlot(Half::kRemap, keyCode);
      if (!placement.slot) {
        result.outcome = placement.outcome = AssignmentOutcome::kNoSpace;
        result.placements.push_back(placement);
        return result;
      }
      if (profileEntry < 0) {
        continue;
      }
      sent = AssignKeyMapping(link, profileEntry, *placement.slot, keyCode, record.keyCode());
    }
    result.transfers.Add(sent);
    result.outcome = Verify(link, state, result.transfers, placement.half, keyCode, true, sent);
    placement.outcome = result.outcome;
    result.placements.push_back(placement);
    if (result.outcome == AssignmentOutcome::kDone ||
        result.outcome == AssignmentOutcome::kRejected) {
      result.half = placement.half;
      result.slot = state.slots.FindExact(placement.half, keyCode);
    }
    if (result.outcome != AssignmentOutcome::kDone) {
      return result;
    }
  }
  return result;
}

AssignmentResult DeleteKeyAssignment(Link& link, KeyboardState& state, int profileEntry,
                                     KeyAssignmentRecord& record, const SelectedKeys& keys) {
  AssignmentResult result;
  record.Clear();
  if (!state.slotsWhole) {
    result.outcome = AssignmentOutcome::kSlotsUnknown;
    result.keyCode = keys.empty() ? 0 : keys.begin()->first;
    return result;
  }
  for (const auto& [keyCode, name] : keys) {
    result.keyCode = keyCode;
    if (const auto macroSlot = state.slots.FindExact(Half::kMacro, keyCode)) {
      record.SetProfileNumber(ToWireNumber(state.profileIndex));
      record.SetSlotNumber(ToWireNumber(static_cast<std::int64_t>(*macroSlot)));
      result.transfers.Add(WriteKeyRecord(link, record));
      result.placements.push_back({keyCode, Half::kMacro, state.profileIndex, macroSlot});
      result.half = Half::kMacro;
      result.slot = macroSlot;
    } else if (const auto remapSlot = state.slots.FindExact(Half::kRemap, keyCode);
               remapSlot && profileEntry >= 0) {
      result.transfers.Add(ClearKeyMapping(link, profileEntry, *remapSlot));
      result.placements.push_back({keyCode, Half::kRemap, profileEntry, remapSlot});
      result.half = Half::kRemap;
      result.slot = remapSlot;
    }
  }
  const SlotRead read = ReadKeySlots(link);
  result.transfers.Add(read.transfers);
  Store(read, state);
  // Every removal is checked in the one read at the end; the first one it still shows is the
  // one the outcome speaks of.
  for (KeyPlacement& placement : result.placements) {
    if (!read.whole) {
      placement.outcome = AssignmentOutcome::kUnconfirmed;
    } else if (state.slots.FindExact(placement.half, placement.keyCode)) {
      placement.outcome = AssignmentOutcome::kNotTaken;
    }
    if (placement.outcome != AssignmentOutcome::kDone &&
        result.outcome == AssignmentOutcome::kDone) {
      result.outcome = placement.outcome;
      if (placement.outcome == AssignmentOutcome::kNotTaken) {
        result.keyCode = placement.keyCode;
      }
    }
  }
  return result;
}

AssignmentResult PlaceKeyAssignment(Link& link, KeyboardState& state, Half half, std::size_t slot,
                                    std::uint8_t keyCode, KeyAssignmentRecord record) {
  AssignmentResult result;
  result.keyCode = keyCode;
  if (!NamesAnAssignment(record) || keyCode == 0 || slot >= KeySlotTable::kSlotsPerHalf ||
      (half == Half::kMacro) != record.IsMacro()) {
    result.outcome = AssignmentOutcome::kNothingToAssign;
    return result;
  }
  if (!state.slotsWhole) {
    result.outcome = AssignmentOutcome::kSlotsUnknown;
    return result;
  }
  Transfers sent;
  if (half == Half::kMacro) {
    record.SetKeyCode(keyCode);
    record.SetSlotNumber(ToWireNumber(static_cast<std::int64_t>(slot)));
    record.SetProfileNumber(ToWireNumber(state.profileIndex));
    sent = WriteKeyRecord(link, record);
    link.clock.Pause(kAfterRecordDownload);
  } else {
    sent = AssignKeyMapping(link, state.profileIndex, slot, keyCode, record.keyCode());
  }
  result.transfers.Add(sent);
  result.outcome = VerifySlot(link, state, result.transfers, half, slot, keyCode, sent);
  result.half = half;
  result.slot = slot;
  return result;
}

AssignmentResult ClearKeySlot(Link& link, KeyboardState& state, Half half, std::size_t slot) {
  AssignmentResult result;
  result.keyCode = state.slots.slot(half, slot);
  if (slot >= KeySlotTable::kSlotsPerHalf) {
    result.outcome = AssignmentOutcome::kNothingToAssign;
    return result;
  }
  if (!state.slotsWhole) {
    result.outcome = AssignmentOutcome::kSlotsUnknown;
    return result;
  }
  Transfers sent;
  if (half == Half::kMacro) {
    KeyAssignmentRecord record;
    record.SetProfileNumber(ToWireNumber(state.profileIndex));
    record.SetSlotNumber(ToWireNumber(static_cast<std::int64_t>(slot)));
    sent = WriteKeyRecord(link, record);
  } else {
    sent = ClearKeyMapping(link, state.profileIndex, slot);
  }
  result.transfers.Add(sent);
  result.outcome = VerifySlot(link, state, result.transfers, half, slot, 0, sent);
  result.half = half;
  result.slot = slot;
  return result;
}

RestoreResult RestoreFactory(Link& link, KeyboardState& state,
                             const std::function<void()>& afterReset) {
  RestoreResult result;
  link.clock.Pause(kBeforeRestoreFactory);
  Send(link, CommandFrame::RestoreFactory(), result.transfers);
  state.profileIndex = 0;
  state.lighting = LightingTable();
  if (afterReset) {
    afterReset();
  }
  link.clock.Pause(kBeforeReadAfterRestore);
  const SlotRead read = ReadKeySlots(link);
  result.transfers.Add(read.transfers);
  Store(read, state);
  result.slotsWhole = read.whole;
  return result;
}

}  // namespace keyloom::protocol
