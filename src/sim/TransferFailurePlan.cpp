#include "sim/TransferFailurePlan.h"

#include <charconv>

namespace keyloom::sim {

std::variant<TransferFailurePlan, std::string> ParseTransferFailurePlan(std::string_view text) {
  TransferFailurePlan plan;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);

    const std::size_t colon = item.find(':');
    const std::string_view kind = item.substr(0, colon);
    const std::string_view count =
        colon == std::string_view::npos ? std::string_view() : item.substr(colon + 1);
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), number);
    const bool numberOk =
        !count.empty() && error == std::errc() && end == count.data() + count.size() && number >= 1;
    if ((kind != "get" && kind != "set" && kind != "kill") || !numberOk) {
      return "\"" + std::string(item) +
             "\" is not a transfer to fail: give get:N, set:N or kill:N, N counting from 1";
    }
    if (kind == "kill") {
      plan.killAfterSet = number;
    } else {
      (kind == "get" ? plan.gets : plan.sets).insert(number);
    }
  }
  return plan;
}

}  // namespace keyloom::sim
