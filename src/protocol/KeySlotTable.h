#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace keyloom::protocol {

// Which keys occupy the slots of the active profile, as last read from the keyboard: the key
// codes of macro slots 1-12, then of remap slots 1-12; 0 = free. Slot indices here are 0-11;
// the wire numbers slots from 1.
class KeySlotTable {
 public:
  static constexpr std::size_t kSlotsPerHalf = 12;
  static constexpr std::size_t kSize = 2 * kSlotsPerHalf;
  using Bytes = std::array<std::uint8_t, kSize>;

  enum class Half { kMacro, kRemap };

  KeySlotTable() = default;
  explicit KeySlotTable(const Bytes& bytes) : bytes_(bytes) {}

  // Where an assignment of `keyCode` goes: the first slot of the half that holds the key, else
  // the first free slot; nullopt when the half is full.
  [[nodiscard]] std::optional<std::size_t> FindSlot(Half half, std::uint8_t keyCode) const;

  // The first slot of the half that holds exactly `keyCode`; nullopt when none does.
  [[nodiscard]] std::optional<std::size_t> FindExact(Half half, std::uint8_t keyCode) const;

  // How many slots of the half are free.
  [[nodiscard]] std::size_t FreeSlots(Half half) const;

  // Out-of-range slot indices read as free and are not written.
  [[nodiscard]] std::uint8_t slot(Half half, std::size_t index) const;
  void SetSlot(Half half, std::size_t index, std::uint8_t keyCode);

  [[nodiscard]] const Bytes& bytes() const { return bytes_; }

  friend bool operator==(const KeySlotTable&, const KeySlotTable&) = default;

 private:
  [[nodiscard]] static std::size_t Offset(Half half) {
    return half == Half::kMacro ? 0 : kSlotsPerHalf;
  }

  Bytes bytes_{};
};

}  // namespace keyloom::protocol
