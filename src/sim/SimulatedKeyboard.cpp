#include "sim/SimulatedKeyboard.h"

#include <algorithm>
#include <cstdlib>

#include "protocol/CommandSet.h"
#include "protocol/LightingTable.h"
#include "sim/SimulatedStateFile.h"

namespace keyloom::sim {

namespace {

using State = SimulatedKeyboardState;
using protocol::KeyAssignmentRecord;

constexpr std::size_t kCommandByte = 1;
constexpr std::size_t kPayloadStart = 2;
constexpr std::size_t kPayloadSize = hid::kReportSize - kPayloadStart;
constexpr std::size_t kRecordFrames = KeyAssignmentRecord::kSize / kPayloadSize;

// A wire number 1..count as an index, or nullopt.
std::optional<std::size_t> IndexOf(std::uint8_t number, std::size_t count) {
  if (number < 1 || number > count) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(number - 1);
}

// The four replies of a slot read, laid out as the keyboard sends them:
//   1: byte 1 unused, bytes 2-7 macro slots 1-6
//   2: byte 1 macro slot 7, bytes 2-6 macro slots 8-12, byte 7 unused
//   3: byte 1 remap slot 1, bytes 2-7 remap slots 2-7
//   4: byte 1 remap slot 8, bytes 2-5 remap slots 9-12, bytes 6-7 unused
std::deque<hid::Report> SlotReplies(const State::Profile& profile) {
  constexpr std::size_t kDataBytes = hid::kReportSize - 1;
  std::array<std::uint8_t, 4 * kDataBytes> data{};
  data.fill(SimulatedKeyboard::kUnusedReplyByte);
  for (std::size_t slot = 0; slot < State::kSlotsPerHalf; ++slot) {
    data[1 + slot] = profile.macros[slot].keyCode;
    data[2 * kDataBytes + slot] = profile.remaps[slot].keyCode;
  }
  std::deque<hid::Report> replies;
  for (std::size_t reply = 0; reply < 4; ++reply) {
    hid::Report report{protocol::kReportId};
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(reply * kDataBytes), kDataBytes,
                report.begin() + 1);
    replies.push_back(report);
  }
  return replies;
}

}  // namespace

SimulatedKeyboard::SimulatedKeyboard(const std::filesystem::path& stateFile) {
  if (!stateFile.empty()) {
    file_ = std::make_unique<SimulatedStateFile>(stateFile);
    Update([](State&) { return false; });
  }
}

SimulatedKeyboard::~SimulatedKeyboard() = default;

bool SimulatedKeyboard::SetFeature(const hid::Report& report) {
  if (!TakeTransfer(setTransfers_, failurePlan_.sets)) {
    return false;
  }
  if (report[0] != protocol::kReportId) {
    Ignore(ignored_.wrongReportId);
    return false;
  }
  const bool took = Update([&](State& state) { return Handle(state, report); });
  if (failurePlan_.killAfterSet == setTransfers_) {
    // No destructor, no flush, no handler: what is on disk now is all a kill would leave.
    std::_Exit(kKilledStatus);
  }
  return took;
}

bool SimulatedKeyboard::GetFeature(hid::Report& report) {
  if (!TakeTransfer(getTransfers_, failurePlan_.gets)) {
    return false;
  }
  if (report[0] != protocol::kReportId) {
    Ignore(ignored_.wrongReportId);
    return false;
  }
  if (armedReplies_.empty()) {
    Ignore(ignored_.unarmedRead);
    report = {protocol::kReportId};
    return true;
  }
  report = armedReplies_.front();
  armedReplies_.pop_front();
  return true;
}

void SimulatedKeyboard::SetPlugged(bool plugged) {
  if (plugged && !plugged_) {
    ++connection_;
  }
  if (!plugged) {
    download_.reset();
    armedReplies_.clear();
  }
  plugged_ = plugged;
}

void SimulatedKeyboard::SetState(const SimulatedKeyboardState& state) {
  Update([&state](State& current) {
    current = state;
    return true;
  });
}

SimulatedKeyboardState SimulatedKeyboard::CurrentState() {
  Update([](State&) { return false; });
  return state_;
}

std::optional<std::string> SimulatedKeyboard::persistenceError() const {
  return file_ ? file_->lastError() : std::nullopt;
}

std::optional<std::filesystem::path> SimulatedKeyboard::brokenStateKeptAs() const {
  return file_ ? file_->brokenFileKeptAs() : std::nullopt;
}

bool SimulatedKeyboard::TakeTransfer(std::uint64_t& counter,
                                     const std::set<std::uint64_t>& planned) {
  if (planned.contains(++counter)) {
    return false;
  }
  if (!plugged_) {
    return false;
  }
  if (failNextTransfers_ > 0) {
    --failNextTransfers_;
    return false;
  }
  return true;
}

bool SimulatedKeyboard::Update(const std::function<bool(SimulatedKeyboardState&)>& change) {
  if (file_) {
    return file_->Update(state_, change);
  }
  change(state_);
  return true;
}

bool SimulatedKeyboard::Handle(SimulatedKeyboardState& state, const hid::Report& frame) {
  // Only continuation frames extend a download; any other frame ends an unfinished one, so that
  // a later download whose start frame was lost cannot complete it with its own frames.
  if (download_ && frame[kCommandByte] != protocol::kNoCommand) {
    Ignore(ignored_.abandonedDownload);
    download_.reset();
  }
  switch (frame[kCommandByte]) {
    case protocol::kNoCommand:
      return ContinueDownload(state, frame);
    case protocol::kCommandWriteKeyRecord:
      return StartDownload(frame);
    case protocol::kCommandSelectProfile:
      return SelectProfile(state, frame);
    case protocol::kCommandReadKeySlots:
      return ArmSlotReplies(state, frame);
    case protocol::kCommandSetLighting:
      return SetLighting(state, frame);
    case protocol::kCommandSetKeyMapping:
      return SetKeyMapping(state, frame);
    case protocol::kCommandRestoreFactory:
      return RestoreFactory(state, frame);
    default:
      return Ignore(ignored_.unknownCommand);
  }
}

bool SimulatedKeyboard::StartDownload(const hid::Report& frame) {
  download_ = Download{};
  std::copy_n(frame.begin() + kPayloadStart, kPayloadSize, download_->bytes.begin());
  download_->framesReceived = 1;
  return false;
}

bool SimulatedKeyboard::ContinueDownload(SimulatedKeyboardState& state, const hid::Report& frame) {
  if (!download_) {
    return Ignore(ignored_.continuationWithoutStart);
  }
  const std::size_t offset = download_->framesReceived * kPayloadSize;
  std::copy_n(frame.begin() + kPayloadStart, kPayloadSize,
              download_->bytes.begin() + static_cast<std::ptrdiff_t>(offset));
  if (++download_->framesReceived < kRecordFrames) {
    return false;
  }
  const KeyAssignmentRecord record(download_->bytes);
  download_.reset();
  return StoreRecord(state, record);
}

bool SimulatedKeyboard::StoreRecord(SimulatedKeyboardState& state,
                                    const KeyAssignmentRecord& record) {
  const auto profile = IndexOf(record.profileNumber(), State::kProfileCount);
  const auto slot = IndexOf(record.slotNumber(), State::kSlotsPerHalf);
  if (!profile || !slot) {
    return Ignore(ignored_.badArgument);
  }
  State::MacroSlot& macro = state.profiles[*profile].macros[*slot];
  if (record.keyCode() == 0) {
    macro = {};
  } else {
    macro = {record.keyCode(), record};
  }
  return true;
}

bool SimulatedKeyboard::SelectProfile(SimulatedKeyboardState& state, const hid::Report& frame) {
  const auto profile = IndexOf(frame[2], State::kProfileCount);
  if (!profile) {
    return Ignore(ignored_.badArgument);
  }
  state.activeProfile = *profile;
  return true;
}

bool SimulatedKeyboard::ArmSlotReplies(const SimulatedKeyboardState& state,
                                       const hid::Report& frame) {
  if (frame[2] != protocol::kReadKeySlotsArgument) {
    return Ignore(ignored_.badArgument);
  }
  armedReplies_ = SlotReplies(state.profiles[state.activeProfile]);
  return false;
}

bool SimulatedKeyboard::SetLighting(SimulatedKeyboardState& state, const hid::Report& frame) {
  const int mode = frame[2];
  if (!protocol::LightingTable::IsLedMode(mode)) {
    return Ignore(ignored_.badArgument);
  }
  state.ledMode = mode;
  std::copy_n(frame.begin() + 3, protocol::LightingRecord::kSize,
              state.lighting[mode].bytes.begin());
  return true;
}

bool SimulatedKeyboard::SetKeyMapping(SimulatedKeyboardState& state, const hid::Report& frame) {
  const auto profile = IndexOf(frame[2], State::kProfileCount);
  const auto slot = IndexOf(frame[3], State::kSlotsPerHalf);
  const bool marked =
      frame[5] == protocol::kKeyMappingMarker && frame[7] == protocol::kKeyMappingMarker;
  if (!profile || !slot || !marked) {
    return Ignore(ignored_.badArgument);
  }
  State::RemapSlot& remap = state.profiles[*profile].remaps[*slot];
  const std::uint8_t key = frame[4];
  remap = key == 0 ? State::RemapSlot{} : State::RemapSlot{key, frame[6]};
  return true;
}

bool SimulatedKeyboard::RestoreFactory(SimulatedKeyboardState& state, const hid::Report& frame) {
  if (frame[2] != protocol::kRestoreFactoryArgument) {
    return Ignore(ignored_.badArgument);
  }
  state = {};
  return true;
}

bool SimulatedKeyboard::Ignore(int& counter) {
  ++counter;
  return false;
}

}  // namespace keyloom::sim
