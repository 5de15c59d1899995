#include "protocol/KeyboardProtocol.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "protocol/CommandFrame.h"
#include "protocol/UserTexts.h"

// Transfer results are ignored throughout, except for the retries of a record download: the
// keyboard's own view comes back with the slot read that ends every sequence, and a read that
// fails leaves the request's zeros in its buffer.

namespace keyloom::protocol {

namespace {

using std::chrono::milliseconds;

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

void Send(Link& link, const CommandFrame& frame) {
  link.transport.SetFeature(frame.report());
}

// Two reads in a row, each after its pause: their data bytes (bytes 1-7 of each reply).
ReplyData ReadReplyPair(Link& link) {
  ReplyData data{};
  for (std::size_t reply = 0; reply < 2; ++reply) {
    link.clock.Pause(kBeforeEachSlotRead);
    hid::Report buffer = CommandFrame().report();
    link.transport.GetFeature(buffer);
    std::copy(buffer.begin() + 1, buffer.end(),
              data.begin() + static_cast<std::ptrdiff_t>(reply * kDataBytesPerReply));
  }
  return data;
}

void Warn(const ShowWarning& warn) {
  if (warn) {
    warn(kWarningCaption, kInsufficientSpaceText);
  }
}

}  // namespace

void SelectProfile(Link& link, int profileIndex) {
  Send(link, CommandFrame::SelectProfile(profileIndex));
  link.clock.Pause(kAfterSelectProfile);
}

KeySlotTable ReadKeySlots(Link& link) {
  link.clock.Pause(kBeforeSlotRequest);
  Send(link, CommandFrame::ReadKeySlots());
  link.clock.Pause(kBeforeEachSlotRead);

  constexpr std::size_t kHalf = KeySlotTable::kSlotsPerHalf;
  KeySlotTable::Bytes bytes{};
  // The first data byte of the first pair is not a slot; the last one of the pair is unused.
  const ReplyData macro = ReadReplyPair(link);
  std::copy_n(macro.begin() + 1, kHalf, bytes.begin());
  // The remap slots start at the first data byte; the last two are unused.
  const ReplyData remap = ReadReplyPair(link);
  std::copy_n(remap.begin(), kHalf, bytes.begin() + kHalf);
  return KeySlotTable(bytes);
}

void SendLighting(Link& link, int ledMode, const LightingTable& lighting) {
  if (!LightingTable::IsLedMode(ledMode)) {
    return;
  }
  link.clock.Pause(kBeforeSetLighting);
  Send(link, CommandFrame::SetLighting(ledMode, lighting[ledMode]));
}

void WriteKeyRecord(Link& link, const KeyAssignmentRecord& record) {
  for (std::size_t frame = 0; frame < CommandFrame::kKeyRecordFrameCount; ++frame) {
    const CommandFrame part = CommandFrame::KeyRecordPart(record, frame);
    for (int tries = 0; tries < kRecordFrameTries; ++tries) {
      if (link.transport.SetFeature(part.report())) {
        break;
      }
    }
    link.clock.Pause(kAfterRecordFrame);
  }
}

void AssignKeyMapping(Link& link, int profileIndex, std::size_t remapSlot, std::uint8_t keyCode,
                      std::uint8_t targetKeyCode) {
  Send(link, CommandFrame::AssignKeyMapping(profileIndex, remapSlot, keyCode, targetKeyCode));
  link.clock.Pause(kAfterAssignMapping);
}

void ClearKeyMapping(Link& link, int profileIndex, std::size_t remapSlot) {
  Send(link, CommandFrame::ClearKeyMapping(profileIndex, remapSlot));
  link.clock.Pause(kAfterClearMapping);
}

AssignmentOutcome ApplyKeyAssignment(Link& link, KeyboardState& state, int profileEntry,
                                     KeyAssignmentRecord& record, const SelectedKeys& keys,
                                     const ShowWarning& warn) {
  using Half = KeySlotTable::Half;
  // A remap to key code 0 would leave the key without any function; the dialog hands back such
  // a record when the user confirmed without choosing anything.
  if (!record.IsMacro() && record.keyCode() == 0) {
    return AssignmentOutcome::kNothingToAssign;
  }
  for (const auto& [keyCode, name] : keys) {
    const auto macroSlot = state.slots.FindSlot(Half::kMacro, keyCode);
    if (!macroSlot) {
      Warn(warn);
      return AssignmentOutcome::kNoSpace;
    }
    if (record.IsMacro()) {
      record.SetKeyCode(keyCode);
      record.SetSlotNumber(ToWireNumber(static_cast<std::int64_t>(*macroSlot)));
      record.SetProfileNumber(ToWireNumber(state.profileIndex));
      WriteKeyRecord(link, record);
      link.clock.Pause(kAfterRecordDownload);
      state.slots = ReadKeySlots(link);
      continue;
    }
    const auto remapSlot = state.slots.FindSlot(Half::kRemap, keyCode);
    if (!remapSlot) {
      Warn(warn);
      return AssignmentOutcome::kNoSpace;
    }
    if (profileEntry < 0) {
      continue;
    }
    AssignKeyMapping(link, profileEntry, *remapSlot, keyCode, record.keyCode());
    state.slots = ReadKeySlots(link);
  }
  return AssignmentOutcome::kDone;
}

void DeleteKeyAssignment(Link& link, KeyboardState& state, int profileEntry,
                         KeyAssignmentRecord& record, const SelectedKeys& keys) {
  using Half = KeySlotTable::Half;
  record.Clear();
  for (const auto& [keyCode, name] : keys) {
    if (const auto macroSlot = state.slots.FindExact(Half::kMacro, keyCode)) {
      record.SetProfileNumber(ToWireNumber(state.profileIndex));
      record.SetSlotNumber(ToWireNumber(static_cast<std::int64_t>(*macroSlot)));
      WriteKeyRecord(link, record);
    } else if (const auto remapSlot = state.slots.FindExact(Half::kRemap, keyCode);
               remapSlot && profileEntry >= 0) {
      ClearKeyMapping(link, profileEntry, *remapSlot);
    }
  }
  state.slots = ReadKeySlots(link);
}

bool RestoreFactory(Link& link, KeyboardState& state, const RestoreFactorySteps& steps) {
  if (!steps.confirm || !steps.confirm(kWarningCaption, kRestoreFactoryQuestion)) {
    return false;
  }
  link.clock.Pause(kBeforeRestoreFactory);
  Send(link, CommandFrame::RestoreFactory());
  state.profileIndex = 0;
  state.lighting = LightingTable();
  if (steps.afterReset) {
    steps.afterReset();
  }
  link.clock.Pause(kBeforeReadAfterRestore);
  state.slots = ReadKeySlots(link);
  return true;
}

}  // namespace keyloom::protocol
