#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "hid/Report.h"
#include "protocol/CommandSet.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/LightingRecord.h"

namespace keyloom::protocol {

// Profile and slot numbers travel as the index plus one, in one byte: profile index 0-2 as 1-3,
// slot index 0-11 as 1-12, and profile index -1 (no profile chosen) as 0.
[[nodiscard]] constexpr std::uint8_t ToWireNumber(std::int64_t index) {
  return static_cast<std::uint8_t>((index + 1) & 0xFF);
}

// One 8-byte feature report to or from the keyboard: byte 0 the report id, byte 1 the command
// code, bytes 2-7 the payload (unused bytes 0). No padding, no checksum.
class CommandFrame {
 public:
  static constexpr std::size_t kPayloadSize = 6;
  using Payload = std::array<std::uint8_t, kPayloadSize>;

  // A key record travels in this many frames of six record bytes each.
  static constexpr std::size_t kKeyRecordFrameCount = KeyAssignmentRecord::kSize / kPayloadSize;

  // The read request: the report id and seven zeros.
  constexpr CommandFrame() { bytes_[0] = kReportId; }
  constexpr CommandFrame(std::uint8_t command, const Payload& payload) : CommandFrame() {
    bytes_[1] = command;
    for (std::size_t i = 0; i < kPayloadSize; ++i) {
      bytes_[2 + i] = payload[i];
    }
  }

  [[nodiscard]] static CommandFrame SelectProfile(int profileIndex);
  [[nodiscard]] static CommandFrame ReadKeySlots();
  [[nodiscard]] static CommandFrame SetLighting(int ledMode, const LightingRecord& record);
  // Frame `frameIndex` (0-27) of a record download: the first carries the write command, the
  // others none; each carries record bytes 6 * frameIndex ... 6 * frameIndex + 5.
  [[nodiscard]] static CommandFrame KeyRecordPart(const KeyAssignmentRecord& record,
                                                  std::size_t frameIndex);
  [[nodiscard]] static CommandFrame AssignKeyMapping(int profileIndex, std::size_t remapSlot,
                                                     std::uint8_t keyCode,
                                                     std::uint8_t targetKeyCode);
  [[nodiscard]] static CommandFrame ClearKeyMapping(int profileIndex, std::size_t remapSlot);
  [[nodiscard]] static CommandFrame RestoreFactory();

  [[nodiscard]] const hid::Report& report() const { return bytes_; }

  friend bool operator==(const CommandFrame&, const CommandFrame&) = default;

 private:
  hid::Report bytes_{};
};

static_assert(sizeof(CommandFrame) == hid::kReportSize);
static_assert(CommandFrame::kKeyRecordFrameCount == 28);

}  // namespace keyloom::protocol
