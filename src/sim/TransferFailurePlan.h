#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <variant>

namespace keyloom::sim {

// Transfers of the simulated keyboard that fail on purpose: the Nth set and the Nth get
// transfer of the process, each kind counted from 1. Programs take it from the environment
// variable KEYLOOM_SIMULATE_FAIL, a comma list such as "get:1,set:3".
struct TransferFailurePlan {
  std::set<std::uint64_t> sets;
  std::set<std::uint64_t> gets;

  [[nodiscard]] bool empty() const { return sets.empty() && gets.empty(); }
};

inline constexpr const char* kSimulateFailVariable = "KEYLOOM_SIMULATE_FAIL";

// The plan of "get:N,set:N,..." (empty text: no failure), or why the text is not one.
std::variant<TransferFailurePlan, std::string> ParseTransferFailurePlan(std::string_view text);

}  // namespace keyloom::sim
