#include "cli/Output.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "keymap/AssignmentWords.h"
#include "protocol/KeyNameTable.h"
#include "settings/HexText.h"
#include "settings/Utf8Text.h"

namespace keyloom::cli {

std::string Printable(std::string_view text) {
  constexpr unsigned char kFirstPrintable = 0x20;
  constexpr unsigned char kDelete = 0x7F;
  constexpr unsigned char kC1Lead = 0xC2;
  constexpr unsigned char kLastC1 = 0x9F;
  const std::string valid = settings::ValidUtf8(text);
  std::string shown;
  shown.reserve(valid.size());
  for (std::size_t i = 0; i < valid.size(); ++i) {
    const auto c = static_cast<unsigned char>(valid[i]);
    char escape[8];
    if (c == '\n' || c == '\t' || c == '\r') {
      shown += c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\r";
    } else if (c < kFirstPrintable || c == kDelete) {
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      shown += escape;
    } else if (c == kC1Lead && i + 1 < valid.size() &&
               static_cast<unsigned char>(valid[i + 1]) <= kLastC1) {
      std::snprintf(escape, sizeof escape, "\\u00%02x", static_cast<unsigned char>(valid[i + 1]));
      shown += escape;
      ++i;
    } else {
      shown += valid[i];
    }
  }
  return shown;
}

void PrintJsonError(std::ostream& out, int status, std::string_view told,
                    std::string_view printed) {
  constexpr std::string_view kPrefix = "keyloomctl: ";
  constexpr std::string_view kWarning = "warning: ";
  constexpr std::string_view kError = "error: ";
  std::string error;
  Json warnings = Json::array();
  std::size_t start = 0;
  while (start < told.size()) {
    const std::size_t end = std::min(told.find('\n', start), told.size());
    std::string_view line = told.substr(start, end - start);
    start = end + 1;
    if (line.starts_with(kPrefix)) {
      line.remove_prefix(kPrefix.size());
    }
    if (line.starts_with(kWarning)) {
      warnings.push_back(std::string(line.substr(kWarning.size())));
      continue;
    }
    if (line.starts_with(kError)) {
      line.remove_prefix(kError.size());
    }
    if (!line.empty()) {
      error += (error.empty() ? "" : "\n") + std::string(line);
    }
  }
  Json result = Json::parse(printed, nullptr, false);
  if (result.is_discarded()) {
    result = nullptr;
  }
  PrintJson(out,
            {{"error", error}, {"warnings", warnings}, {"status", status}, {"result", result}});
}

void PrintJson(std::ostream& out, const Json& json) {
  // Invalid UTF-8 from a device string is replaced rather than aborting the output.
  out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

std::string Hex(unsigned value, int digits) {
  return "0x" + settings::HexNumber(value, digits);
}

std::string EventCount(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " event" : " events");
}

Json ContentJson(std::uint8_t key, const keymap::KeyContent& content, bool unfinished) {
  Json json;
  switch (content.kind) {
    case keymap::ContentKind::kMacro:
    case keymap::ContentKind::kChord:
      json = {{"kind", content.kind == keymap::ContentKind::kMacro ? "macro" : "chord"},
              {"name", content.name},
              {"repeat", content.repeat},
              {"events", content.events.size()}};
      if (content.kind == keymap::ContentKind::kChord) {
        json["codes"] = content.codes;
      }
      break;
    case keymap::ContentKind::kSingleKey:
      json = {{"kind", "key"},
              {"target", protocol::UsageName(content.target)},
              {"targetCode", content.target}};
      break;
    case keymap::ContentKind::kMediaKey:
      json = {{"kind", "media"}, {"name", content.name}, {"targetCode", content.target}};
      break;
    case keymap::ContentKind::kUnknown:
      json = {{"kind", "unknown"}, {"unfinished", unfinished}};
      break;
  }
  const keymap::AssignmentWords words = keymap::Describe(
      protocol::UsageName(key), content,
      [](std::uint8_t target) { return protocol::UsageName(target); }, unfinished);
  json["description"] = keymap::FillIn(words.text, words.arguments);
  return json;
}

}  // namespace keyloom::cli
