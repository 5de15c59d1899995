#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>

namespace keyloom::sim {

// Transfers of the simulated keyboard that fail on purpose: the Nth set and the Nth get
// transfer of the process, each kind counted from 1, and the set transfer after which the
// process ends at once, as a kill -9 would end it ("kill:N": the keyboard took the frame, and
// nothing of the program runs after it). Programs take it from the environment variable
// KEYLOOM_SIMULATE_FAIL, a comma list such as "get:1,set:3" or "kill:5".
struct TransferFailurePlan {
  std::set<std::uint64_t> sets;
  std::set<std::uint64_t> gets;
  std::optional<std::uint64_t> killAfterSet;

  [[nodiscard]] bool empty() const { return sets.empty() && gets.empty() && !killAfterSet; }
};

// The exit status of a process that the plan's "kill:N" ended: that of one killed by SIGKILL.
inline constexpr int kKilledStatus = 137;

inline constexpr const char* kSimulateFailVariable = "KEYLOOM_SIMULATE_FAIL";

// The plan of "get:N,set:N,..." (empty text: no failure), or why the text is not one.
std::variant<TransferFailurePlan, std::string> ParseTransferFailurePlan(std::string_view text);

}  // namespace keyloom::sim
