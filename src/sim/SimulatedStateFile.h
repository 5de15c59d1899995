#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "sim/SimulatedKeyboardState.h"

namespace keyloom::sim {

// Keeps a simulated keyboard's state in an XML file that several objects and processes share,
// kept as every user file is (storage/UserFiles.h). Every change runs under a lock of the
// sibling file "<name>.lock": the state is first brought up to date with the file, then
// changed, then written back atomically and durably, so no process loses another's change.
//
// A missing file is a factory keyboard. A file that cannot be parsed, or is no simulated
// keyboard, is kept aside ("<stem>.broken-<time>.xml", never over another kept file) and a
// factory keyboard is used instead; one that cannot be read is left where it is and nothing is
// saved over it.
class SimulatedStateFile {
 public:
  explicit SimulatedStateFile(std::filesystem::path path);

  // Brings `state` up to date with the file, runs `change` on it and, when `change` returns
  // true, writes it back; all under the lock. A change that cannot be kept in the file (it
  // could not be read, or not written) is taken back from `state` too, and false returned.
  bool Update(SimulatedKeyboardState& state,
              const std::function<bool(SimulatedKeyboardState&)>& change);

  // Why the state could not be read or written the last time; empty after a success.
  [[nodiscard]] const std::optional<std::string>& lastError() const { return lastError_; }
  // Where a broken state file was moved.
  [[nodiscard]] const std::optional<std::filesystem::path>& brokenFileKeptAs() const {
    return brokenFileKeptAs_;
  }

 private:
  // Size and modification time tell whether another object wrote the file since this one last
  // read or wrote it. Every write moves the time forward (see Save), even within the
  // resolution of the file system's clock.
  struct Stamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };

  [[nodiscard]] Stamp StampOfFile() const;
  // False when the file could not be read, or was broken and could not be moved aside.
  bool Refresh(SimulatedKeyboardState& state);
  bool Save(const SimulatedKeyboardState& state);

  std::filesystem::path path_;
  std::filesystem::path lockPath_;
  Stamp stamp_;
  std::optional<std::string> lastError_;
  std::optional<std::filesystem::path> brokenFileKeptAs_;
};

}  // namespace keyloom::sim
