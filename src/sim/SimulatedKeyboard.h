#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "hid/Report.h"
#include "hid/Transport.h"
#include "protocol/KeyAssignmentRecord.h"
#include "sim/SimulatedKeyboardState.h"
#include "sim/TransferFailurePlan.h"

namespace keyloom::sim {

// The file that --simulate keeps the simulated keyboard in, in the program's data folder.
inline constexpr const char* kStateFileName = "simulated-keyboard.xml";

class SimulatedStateFile;

// The keyboard's side of the protocol: three profiles of 12 macro and 12 remap slots, the
// 28-frame record download, remaps, the four-reply slot read, lighting per mode and the factory
// restore. Like firmware it is strict: a frame it does not understand is ignored and counted.
//
// Frames it takes (byte 0 the report id 7, byte 1 the command):
//   FC p               makes profile p (1-3) active
//   FB 01              arms the four replies of the slot read for the active profile
//   F7 m r0..r4        sets LED mode m (0-9) and its lighting record
//   F1 r0..r5          starts a record download; 27 frames with command 00 follow, six record
//                      bytes each. A whole record fills macro slot r1 (1-12) of profile r0
//                      (1-3) with key r2, or frees the slot when r2 is 0. Any other frame before
//                      the record is whole drops the unfinished record.
//   FA p s k 01 t 01   remaps key k to t in remap slot s (1-12) of profile p; k = 0 frees it
//   F0 AA              restores the factory state
//
// The state lives in a file when one is given, so that successive runs and several processes
// see one keyboard; it is re-read when another writer changed it and written after every change
// that completes (a finished download, a remap, a profile select, lighting, a factory restore).
// A frame whose change cannot be kept in the file fails, and the change is not made: like a
// keyboard that did not take the frame.
class SimulatedKeyboard : public hid::Transport {
 public:
  // Frames and reads the keyboard ignored, by reason.
  struct IgnoredFrames {
    int wrongReportId = 0;
    int unknownCommand = 0;
    int badArgument = 0;  // a profile, slot or mode out of range, or a malformed payload
    int continuationWithoutStart = 0;
    int abandonedDownload = 0;  // another frame arrived before the record was whole
    int unarmedRead = 0;        // a read that no slot request armed

    [[nodiscard]] int total() const {
      return wrongReportId + unknownCommand + badArgument + continuationWithoutStart +
             abandonedDownload + unarmedRead;
    }
    friend bool operator==(const IgnoredFrames&, const IgnoredFrames&) = default;
  };

  // The byte that fills the reply bytes the program must not use.
  static constexpr std::uint8_t kUnusedReplyByte = 0xEE;

  // Keeps the state in `stateFile`; an empty path keeps it in memory only.
  explicit SimulatedKeyboard(const std::filesystem::path& stateFile = {});
  ~SimulatedKeyboard() override;
  SimulatedKeyboard(const SimulatedKeyboard&) = delete;
  SimulatedKeyboard& operator=(const SimulatedKeyboard&) = delete;

  // False when the transfer fails (unplugged, an injected failure, or a wrong report id).
  bool SetFeature(const hid::Report& report) override;
  // Answers report 7 with the next armed reply, or with zeros when none is armed.
  bool GetFeature(hid::Report& report) override;

  // Test hooks.
  void FailNextTransfers(int count) { failNextTransfers_ = count; }
  // Replaces the keyboard's state, as if it had been configured so.
  void SetState(const SimulatedKeyboardState& state);
  // Fails the transfers the plan names, counting from this keyboard's first transfer.
  void FailTransfers(TransferFailurePlan plan) { failurePlan_ = std::move(plan); }
  // Unplugging fails every transfer and drops a download under way and the armed replies;
  // handles opened before the keyboard was unplugged stay dead after it is plugged in again.
  void SetPlugged(bool plugged);
  [[nodiscard]] bool plugged() const { return plugged_; }
  // Counts the times the keyboard was plugged in; a handle compares it with its own.
  [[nodiscard]] std::uint64_t connection() const { return connection_; }

  // The state, brought up to date with the file first.
  [[nodiscard]] SimulatedKeyboardState CurrentState();
  [[nodiscard]] const IgnoredFrames& ignored() const { return ignored_; }
  [[nodiscard]] bool downloadInProgress() const { return download_.has_value(); }

  // Why the state file could not be read or written the last time; empty after a success.
  [[nodiscard]] std::optional<std::string> persistenceError() const;
  // Where a state file that could not be parsed was moved.
  [[nodiscard]] std::optional<std::filesystem::path> brokenStateKeptAs() const;

 private:
  struct Download {
    protocol::KeyAssignmentRecord::Bytes bytes{};
    std::size_t framesReceived = 0;
  };

  // Counts the transfer in `counter`; false when it fails (unplugged, or an injected failure).
  bool TakeTransfer(std::uint64_t& counter, const std::set<std::uint64_t>& planned);
  bool Update(const std::function<bool(SimulatedKeyboardState&)>& change);
  // Each returns whether the keyboard's persistent state changed.
  bool Handle(SimulatedKeyboardState& state, const hid::Report& frame);
  bool StartDownload(const hid::Report& frame);
  bool ContinueDownload(SimulatedKeyboardState& state, const hid::Report& frame);
  bool StoreRecord(SimulatedKeyboardState& state, const protocol::KeyAssignmentRecord& record);
  bool SelectProfile(SimulatedKeyboardState& state, const hid::Report& frame);
  bool ArmSlotReplies(const SimulatedKeyboardState& state, const hid::Report& frame);
  bool SetLighting(SimulatedKeyboardState& state, const hid::Report& frame);
  bool SetKeyMapping(SimulatedKeyboardState& state, const hid::Report& frame);
  bool RestoreFactory(SimulatedKeyboardState& state, const hid::Report& frame);
  bool Ignore(int& counter);

  std::unique_ptr<SimulatedStateFile> file_;
  SimulatedKeyboardState state_;
  std::optional<Download> download_;
  std::deque<hid::Report> armedReplies_;
  IgnoredFrames ignored_;
  int failNextTransfers_ = 0;
  TransferFailurePlan failurePlan_;
  std::uint64_t setTransfers_ = 0;
  std::uint64_t getTransfers_ = 0;
  bool plugged_ = true;
  std::uint64_t connection_ = 1;
};

}  // namespace keyloom::sim
