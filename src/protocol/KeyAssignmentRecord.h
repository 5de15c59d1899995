#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "protocol/KeyEvent.h"

namespace keyloom::protocol {

// What one key does, as downloaded to a macro slot: byte 0 the profile number (1-3), byte 1 the
// macro slot number (1-12), byte 2 the key code (for a macro the physical key, for a remap the
// target key), byte 3 the repeat count (0 = remap, 1-255 = macro), then up to 82 two-byte events.
// Bytes after the last event stay 0. An all-zero record with profile and slot frees the slot.
class KeyAssignmentRecord {
 public:
  static constexpr std::size_t kSize = 168;
  static constexpr std::size_t kEventOffset = 4;
  static constexpr std::size_t kMaxEvents = (kSize - kEventOffset) / 2;
  using Bytes = std::array<std::uint8_t, kSize>;

  KeyAssignmentRecord() = default;
  explicit KeyAssignmentRecord(const Bytes& bytes) : bytes_(bytes) {}

  [[nodiscard]] std::uint8_t profileNumber() const { return bytes_[0]; }
  [[nodiscard]] std::uint8_t slotNumber() const { return bytes_[1]; }
  [[nodiscard]] std::uint8_t keyCode() const { return bytes_[2]; }
  [[nodiscard]] std::uint8_t repeatCount() const { return bytes_[3]; }
  void SetProfileNumber(std::uint8_t value) { bytes_[0] = value; }
  void SetSlotNumber(std::uint8_t value) { bytes_[1] = value; }
  void SetKeyCode(std::uint8_t value) { bytes_[2] = value; }
  void SetRepeatCount(std::uint8_t value) { bytes_[3] = value; }

  [[nodiscard]] bool IsMacro() const { return repeatCount() != 0; }

  // The event at `index`; nullopt past the 82nd.
  [[nodiscard]] std::optional<KeyEvent> Event(std::size_t index) const;
  // Writes the event at `index`; an index past the 82nd is refused (false), so nothing is ever
  // written beyond the record.
  bool SetEvent(std::size_t index, const KeyEvent& event);

  void Clear() { bytes_ = {}; }

  [[nodiscard]] const Bytes& bytes() const { return bytes_; }

  friend bool operator==(const KeyAssignmentRecord&, const KeyAssignmentRecord&) = default;

 private:
  Bytes bytes_{};
};

static_assert(sizeof(KeyAssignmentRecord) == KeyAssignmentRecord::kSize);
static_assert(KeyAssignmentRecord::kMaxEvents == 82);

}  // namespace keyloom::protocol
