#pragma once

#include <cstddef>
#include <optional>

#include "hid/Report.h"

namespace keyloom::protocol {

// What happened to the transfers of a command sequence. The sequences go on after a transfer
// fails (the keyboard's own word comes back with the slot read that ends most of them); this
// tells the caller which failed, the first one kept with its frame.
class Transfers {
 public:
  enum class Kind { kSet, kGet };

  struct Failure {
    Kind kind = Kind::kSet;
    // The frame sent, or for a read the request buffer as the caller filled it.
    hid::Report frame{};
    friend bool operator==(const Failure&, const Failure&) = default;
  };

  // Counts one transfer. A set frame that the keyboard rejected and that was then tried again
  // is counted once, with its last outcome.
  void Note(Kind kind, const hid::Report& frame, bool ok);
  // Adds another sequence's transfers; the earlier first failure stays first.
  void Add(const Transfers& other);
  // Puts the transfers of a sequence that ran before this one in front of these.
  void Prepend(const Transfers& earlier);

  [[nodiscard]] bool ok() const { return !firstFailure_.has_value(); }
  [[nodiscard]] std::size_t sets() const { return sets_; }
  [[nodiscard]] std::size_t gets() const { return gets_; }
  [[nodiscard]] std::size_t failedSets() const { return failedSets_; }
  [[nodiscard]] std::size_t failedGets() const { return failedGets_; }
  [[nodiscard]] const std::optional<Failure>& firstFailure() const { return firstFailure_; }

 private:
  std::size_t sets_ = 0;
  std::size_t gets_ = 0;
  std::size_t failedSets_ = 0;
  std::size_t failedGets_ = 0;
  std::optional<Failure> firstFailure_;
};

}  // namespace keyloom::protocol
