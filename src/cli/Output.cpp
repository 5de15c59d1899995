#include "cli/Output.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include <nlohmann/json.hpp>

#include "cli/CommandSupport.h"
#include "cli/KeyArgument.h"
#include "keymap/AssignmentWords.h"
#include "keymap/ContentBuilder.h"
#include "macro/MacroEventList.h"
#include "protocol/KeyNameTable.h"
#include "protocol/LightingEffects.h"
#include "protocol/LightingParameters.h"
#include "protocol/LightingTable.h"
#include "settings/HexText.h"
#include "settings/Utf8Text.h"

namespace keyloom::cli {

namespace {

using Json = nlohmann::ordered_json;
using Half = protocol::KeySlotTable::Half;

// Said after a key whose macro was changed in the library since the key was given it.
constexpr const char* kOlderCopyRemark =
    " (changed since in the library: the key plays the older copy until it is assigned again)";

std::string Hex(unsigned value, int digits) {
  return "0x" + settings::HexNumber(value, digits);
}

// "{4d1e55b2-f16f-11cf-88cb001111000030}", the interface class as the discovery traces show it.
std::string GuidText(const hid::Guid& guid) {
  std::string text = "{";
  text += hid::FormatGuidForTrace(guid);
  text += '}';
  return text;
}

Json OptionalText(const std::optional<std::string>& text) {
  return text ? Json(*text) : Json(nullptr);
}

void PrintJson(std::ostream& out, const Json& json) {
  // Invalid UTF-8 from a device string is replaced rather than aborting the output.
  out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

// What a key does, in fields.
Json ContentJson(std::uint8_t key, const keymap::KeyContent& content) {
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
      json = {{"kind", "unknown"}};
      break;
  }
  const keymap::AssignmentWords words =
      keymap::Describe(protocol::UsageName(key), content,
                       [](std::uint8_t target) { return protocol::UsageName(target); });
  json["description"] = keymap::FillIn(words.text, words.arguments);
  return json;
}

// Whether the key plays an older copy of its macro; never without the library.
bool OlderCopy(const keymap::SlotAssignment& assignment, const macro::MacroLibrary* library) {
  return library != nullptr && keymap::PlaysOlderCopy(assignment.content, *library);
}

Json SlotsJson(const std::vector<keymap::SlotAssignment>& assignments, Half half,
               const macro::MacroLibrary* library) {
  Json list = Json::array();
  for (std::size_t i = 0; i < protocol::KeySlotTable::kSlotsPerHalf; ++i) {
    const auto held = std::ranges::find_if(assignments, [&](const keymap::SlotAssignment& a) {
      return a.half == half && a.slot == i;
    });
    if (held == assignments.end()) {
      list.push_back({{"slot", i + 1}, {"code", 0}, {"key", nullptr}, {"assignment", nullptr}});
      continue;
    }
    Json assignment = ContentJson(held->keyCode, held->content);
    if (held->content.kind == keymap::ContentKind::kMacro) {
      assignment["olderCopy"] = OlderCopy(*held, library);
    }
    list.push_back({{"slot", i + 1},
                    {"code", held->keyCode},
                    {"key", protocol::UsageName(held->keyCode)},
                    {"assignment", std::move(assignment)}});
  }
  return list;
}

void PrintHalf(std::ostream& out, const std::vector<keymap::SlotAssignment>& assignments, Half half,
               const char* title, const macro::MacroLibrary* library) {
  const auto used = std::ranges::count_if(
      assignments, [half](const keymap::SlotAssignment& a) { return a.half == half; });
  out << title << " (" << used << " of " << protocol::KeySlotTable::kSlotsPerHalf << " used)"
      << (used == 0 ? "\n" : ":\n");
  for (const keymap::SlotAssignment& assignment : assignments) {
    if (assignment.half == half) {
      char number[8];
      std::snprintf(number, sizeof number, "%4zu", assignment.slot + 1);
      out << number << "  " << DescribeKey(assignment.keyCode, assignment.content)
          << (OlderCopy(assignment, library) ? kOlderCopyRemark : "") << '\n';
    }
  }
}

Json CatalogueJson(const std::vector<settings::KeyCatalogEntry>& entries) {
  Json list = Json::array();
  for (const auto& entry : entries) {
    list.push_back({{"name", entry.name}, {"codes", entry.codes}});
  }
  return list;
}

void PrintCatalogue(std::ostream& out, const char* title,
                    const std::vector<settings::KeyCatalogEntry>& entries) {
  out << title << " (" << entries.size() << "):\n";
  for (const auto& entry : entries) {
    out << "  " << Printable(entry.name) << ':';
    for (std::size_t i = 0; i < entry.codes.size(); ++i) {
      out << (i == 0 ? " " : ", ") << entry.codes[i];
    }
    out << '\n';
  }
}

std::string DescribeSelectorField(std::int32_t value, bool zeroIsWildcard, int digits) {
  if (zeroIsWildcard ? value <= 0 : value < 0) {
    return "any";
  }
  return digits > 0 ? Hex(static_cast<unsigned>(value), digits) : std::to_string(value);
}

}  // namespace

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

void Output::Devices(const std::vector<hid::HidInterfaceInfo>& interfaces,
                     std::optional<std::size_t> selectedIndex) {
  if (json_) {
    Json list = Json::array();
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
      const auto& info = interfaces[i];
      list.push_back({{"path", info.path},
                      {"interfaceClass", GuidText(info.interfaceClass)},
                      {"interfaceFlags", info.interfaceFlags},
                      {"vendorId", info.vendorId},
                      {"productId", info.productId},
                      {"releaseNumber", info.releaseNumber},
                      {"serialNumber", OptionalText(info.serialNumber)},
                      {"manufacturer", OptionalText(info.manufacturer)},
                      {"product", OptionalText(info.product)},
                      {"usagePage", info.usagePage},
                      {"usage", info.usage},
                      {"selected", selectedIndex == i}});
    }
    PrintJson(out_, list);
    return;
  }
  if (interfaces.empty()) {
    out_ << "No HID interface found.\n";
  }
  for (std::size_t i = 0; i < interfaces.size(); ++i) {
    const auto& info = interfaces[i];
    out_ << info.path << (selectedIndex == i ? "  (the keyboard: commands open this one)" : "")
         << '\n'
         << "  vendor id " << Hex(static_cast<unsigned>(info.vendorId), 4) << ", product id "
         << Hex(static_cast<unsigned>(info.productId), 4) << ", release "
         << Hex(info.releaseNumber, 4) << '\n'
         << "  usage page " << Hex(info.usagePage, 4) << ", usage " << Hex(info.usage, 4) << '\n';
    if (info.manufacturer) {
      out_ << "  manufacturer: " << *info.manufacturer << '\n';
    }
    if (info.product) {
      out_ << "  product: " << *info.product << '\n';
    }
    if (info.serialNumber) {
      out_ << "  serial number: " << *info.serialNumber << '\n';
    }
  }
}

void Output::Config(const settings::AppConfig& config, const ConfigFile& file,
                    const ConfigFile& userFile) {
  if (json_) {
    PrintJson(out_, {{"isChinese", config.isChinese},
                     {"languageSet", config.languageSet},
                     {"vendorId", config.vendorId},
                     {"productId", config.productId},
                     {"interfaceNumber", config.interfaceNumber},
                     {"collectionNumber", config.collectionNumber},
                     {"mediaKeys", CatalogueJson(config.mediaKeys)},
                     {"functionKeys", CatalogueJson(config.functionKeys)}});
    return;
  }
  out_ << "File: " << file.path.string() << (file.loaded ? "" : " (not readable: defaults in use)")
       << '\n';
  if (userFile.loaded) {
    out_ << "The user's file, over it: " << userFile.path.string() << '\n';
  }
  out_ << "Language: "
       << (!config.languageSet ? "not set (the system's language decides)"
           : config.isChinese  ? "Chinese"
                               : "English")
       << '\n'
       << "Keyboard: vendor id " << DescribeSelectorField(config.vendorId, true, 4)
       << ", product id " << DescribeSelectorField(config.productId, true, 4) << ", interface "
       << DescribeSelectorField(config.interfaceNumber, false, 0) << ", collection "
       << DescribeSelectorField(config.collectionNumber, false, 0) << '\n';
  PrintCatalogue(out_, "Media keys", config.mediaKeys);
  PrintCatalogue(out_, "Function keys", config.functionKeys);
}

void Output::Slots(std::optional<int> profile, std::string_view unknownReason,
                   const std::vector<keymap::SlotAssignment>& assignments,
                   const macro::MacroLibrary* library) {
  if (json_) {
    PrintJson(out_,
              {{"profile", profile ? Json(*profile) : Json(nullptr)},
               {"profileUnknownReason", profile ? Json(nullptr) : Json(std::string(unknownReason))},
               {"macroSlots", SlotsJson(assignments, Half::kMacro, library)},
               {"remapSlots", SlotsJson(assignments, Half::kRemap, library)}});
    return;
  }
  if (profile) {
    out_ << "Active profile: " << *profile << '\n';
  } else {
    out_ << "Active profile: unknown (" << unknownReason << ")\n";
  }
  PrintHalf(out_, assignments, Half::kMacro, "Macro slots", library);
  PrintHalf(out_, assignments, Half::kRemap, "Remap slots", library);
}

void Output::Lighting(std::optional<int> mode,
                      const std::optional<protocol::LightingRecord>& record,
                      std::string_view unknownReason) {
  if (!mode || !record || !protocol::LightingTable::IsLedMode(*mode)) {
    if (json_) {
      PrintJson(out_, {{"mode", nullptr},
                       {"effect", nullptr},
                       {"name", nullptr},
                       {"record", nullptr},
                       {"brightness", nullptr},
                       {"speed", nullptr},
                       {"colour", nullptr},
                       {"direction", nullptr},
                       {"areas", nullptr},
                       {"unknownReason", std::string(unknownReason)}});
      return;
    }
    out_ << "Lighting: unknown (" << unknownReason << ")\n";
    return;
  }
  const auto lighting = protocol::LightingParameters::Decode(*mode, *record);
  const auto& effect = protocol::kLightingEffects[static_cast<std::size_t>(*mode)];
  const auto& uses = effect.parameters;
  const char* direction =
      lighting.direction == protocol::LightingDirection::kRight ? "right" : "left";
  const std::string recordHex = settings::HexBytes(record->bytes);

  if (json_) {
    Json areas = nullptr;
    if (uses.areas) {
      areas = Json::array();
      for (const protocol::LightingColour colour : lighting.areas) {
        areas.push_back(colour == protocol::kNoColour ? Json(nullptr)
                                                      : Json(AreaColourNumber(colour)));
      }
    }
    PrintJson(out_, {{"mode", *mode},
                     {"effect", effect.identifier},
                     {"name", effect.name},
                     {"record", recordHex},
                     {"brightness", lighting.brightness},
                     {"speed", uses.speed ? Json(lighting.speed) : Json(nullptr)},
                     {"colour", uses.colour ? Json(lighting.colour) : Json(nullptr)},
                     {"direction", uses.direction ? Json(direction) : Json(nullptr)},
                     {"areas", areas},
                     {"unknownReason", nullptr}});
    return;
  }
  out_ << "LED mode " << *mode << " (" << effect.name << "): brightness " << lighting.brightness;
  if (uses.speed) {
    out_ << ", speed " << lighting.speed;
  }
  if (uses.colour) {
    out_ << ", colour " << lighting.colour;
  }
  if (uses.direction) {
    out_ << ", direction " << direction;
  }
  if (uses.areas) {
    out_ << ", areas ";
    for (std::size_t i = 0; i < lighting.areas.size(); ++i) {
      const protocol::LightingColour colour = lighting.areas[i];
      out_ << (i == 0 ? "" : ",")
           << (colour == protocol::kNoColour ? std::string("none")
                                             : std::to_string(AreaColourNumber(colour)));
    }
  }
  out_ << " (record " << recordHex << ")\n";
}

void Output::Remapped(int profile, std::uint8_t key, std::uint8_t target, std::size_t remapSlot) {
  if (json_) {
    PrintJson(out_, {{"profile", profile},
                     {"key", protocol::UsageName(key)},
                     {"keyCode", key},
                     {"target", protocol::UsageName(target)},
                     {"targetCode", target},
                     {"remapSlot", remapSlot + 1}});
    return;
  }
  out_ << protocol::UsageName(key) << " now sends " << protocol::UsageName(target) << " on profile "
       << profile << " (remap slot " << remapSlot + 1 << ").\n";
}

void Output::Cleared(int profile, std::uint8_t key, std::optional<Half> removed) {
  const char* what = !removed ? nullptr : *removed == Half::kMacro ? "macro" : "remap";
  if (json_) {
    PrintJson(out_, {{"profile", profile},
                     {"key", protocol::UsageName(key)},
                     {"keyCode", key},
                     {"removed", what != nullptr ? Json(what) : Json(nullptr)}});
    return;
  }
  if (what == nullptr) {
    out_ << protocol::UsageName(key) << " had no macro or remap on profile " << profile << ".\n";
  } else {
    out_ << "Removed the " << what << " of " << protocol::UsageName(key) << " on profile "
         << profile << ".\n";
  }
}

void Output::FactoryRestored() {
  if (json_) {
    PrintJson(out_, {{"factoryReset", true}, {"profile", 1}});
    return;
  }
  out_ << "Factory settings restored; profile 1 is active.\n";
}

namespace {

// The keys of a profile of the map, and how many of them are of unknown content.
std::pair<int, int> KeyCounts(const keymap::ProfileMap& profile) {
  int keys = 0;
  int unknown = 0;
  for (const Half half : {Half::kMacro, Half::kRemap}) {
    for (std::size_t slot = 0; slot < protocol::KeySlotTable::kSlotsPerHalf; ++slot) {
      if (const auto& entry = profile.At(half, slot)) {
        ++keys;
        unknown += entry->content.kind == keymap::ContentKind::kUnknown ? 1 : 0;
      }
    }
  }
  return {keys, unknown};
}

Json KeyJson(std::uint8_t key) {
  return key == 0 ? Json(nullptr) : Json({{"code", key}, {"key", protocol::UsageName(key)}});
}

Json RestoreJson(const connection::RestoreReport& report) {
  Json notArrived = Json::array();
  for (const connection::RestoreMismatch& mismatch : report.mismatches) {
    Json wanted = KeyJson(mismatch.wanted);
    if (mismatch.wanted != 0) {
      wanted["assignment"] = ContentJson(mismatch.wanted, mismatch.content);
    }
    notArrived.push_back({{"profile", mismatch.profileIndex + 1},
                          {"half", mismatch.half == Half::kMacro ? "macro" : "remap"},
                          {"slot", mismatch.slot + 1},
                          {"wanted", wanted},
                          {"found", KeyJson(mismatch.found)}});
  }
  Json lighting = Json::array();
  for (const connection::RestoreStep& step : report.notDone) {
    if (step.kind == connection::RestoreStep::Kind::kLighting) {
      lighting.push_back(step.ledMode);
    }
  }
  return {
      {"sent", report.sent},
      {"skipped", report.skipped},
      {"matched", report.outcome == connection::RestoreReport::Outcome::kDone},
      {"notArrived", notArrived},
      {"lightingNotArrived", lighting},
      {"unreadProfile", report.unreadProfile ? Json(*report.unreadProfile + 1) : Json(nullptr)}};
}

std::string Changes(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " change" : " changes");
}

}  // namespace

void Output::BackedUp(const std::filesystem::path& file, const keymap::KeyMap& map) {
  Json profiles = Json::array();
  std::string text;
  for (int index = 0; index < keymap::kProfileCount; ++index) {
    const auto [keys, unknown] = KeyCounts(map.Profile(index));
    profiles.push_back({{"profile", index + 1}, {"keys", keys}, {"unknown", unknown}});
    text +=
        "profile " + std::to_string(index + 1) + ": " +
        (keys == 0 ? std::string("none") : std::to_string(keys) + (keys == 1 ? " key" : " keys")) +
        "; ";
  }
  Json modes = Json::array();
  for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
    if (map.Lighting(mode)) {
      modes.push_back(mode);
    }
  }
  if (json_) {
    PrintJson(out_, {{"backup", file.string()},
                     {"profiles", profiles},
                     {"ledModes", modes},
                     {"ledMode", map.LedMode() ? Json(*map.LedMode()) : Json(nullptr)},
                     {"activeProfile",
                      map.SelectedProfile() ? Json(*map.SelectedProfile() + 1) : Json(nullptr)}});
    return;
  }
  out_ << "Backed up the keyboard to " << file.string() << ": " << text << "the lighting of "
       << modes.size() << (modes.size() == 1 ? " LED mode" : " LED modes");
  if (map.LedMode()) {
    out_ << " (LED mode " << *map.LedMode() << " current)";
  }
  out_ << ".\n";
}

void Output::Restored(const std::filesystem::path& file, const connection::RestoreReport& report) {
  if (json_) {
    Json json = RestoreJson(report);
    json["restored"] = file.string();
    PrintJson(out_, json);
    return;
  }
  if (report.outcome == connection::RestoreReport::Outcome::kDone) {
    out_ << "Restored the keyboard from " << file.string();
  } else {
    out_ << "The keyboard does not hold all of " << file.string();
  }
  out_ << ": " << Changes(report.sent) << " sent, " << report.skipped
       << " already as in the backup.\n";
}

void Output::ProfileCopied(int from, int to, const connection::RestoreReport& report) {
  if (json_) {
    Json json = RestoreJson(report);
    json["from"] = from;
    json["to"] = to;
    PrintJson(out_, json);
    return;
  }
  out_ << "Profile " << to
       << (report.outcome == connection::RestoreReport::Outcome::kDone ? " now holds what "
                                                                       : " does not hold all that ")
       << "profile " << from << " holds: " << Changes(report.sent) << " sent, " << report.skipped
       << " already in place.\n";
}

namespace {

std::string TextOf(const macro::MacroNode& node, std::string_view attribute) {
  return node.Attribute(attribute).value_or("");
}

// The same for a terminal.
std::string ShownTextOf(const macro::MacroNode& node, std::string_view attribute) {
  return Printable(TextOf(node, attribute));
}

std::string EventCount(int count) {
  return std::to_string(count) + (count == 1 ? " event" : " events");
}

}  // namespace

void Output::MacroGroups(const macro::MacroLibrary& library) {
  if (json_) {
    Json groups = Json::array();
    for (int i = 0; i < library.GroupCount(); ++i) {
      const macro::MacroNode& group = *library.GroupAt(i);
      groups.push_back({{"index", i},
                        {"name", TextOf(group, macro::kNameAttribute)},
                        {"events", group.ChildCount()}});
    }
    PrintJson(out_, {{"file", library.path().string()}, {"groups", groups}});
    return;
  }
  if (library.GroupCount() == 0) {
    out_ << "No macro groups in " << library.path().string() << ".\n";
    return;
  }
  for (int i = 0; i < library.GroupCount(); ++i) {
    const macro::MacroNode& group = *library.GroupAt(i);
    out_ << '#' << i << "  \"" << ShownTextOf(group, macro::kNameAttribute) << "\"  ("
         << EventCount(group.ChildCount()) << ")\n";
  }
}

void Output::MacroGroup(int index, const macro::MacroNode& group) {
  const std::string name = TextOf(group, macro::kNameAttribute);
  if (json_) {
    Json events = Json::array();
    for (int i = 0; i < group.ChildCount(); ++i) {
      const macro::MacroNode& event = *group.ChildAt(i);
      events.push_back({{"code", TextOf(event, macro::kCodeAttribute)},
                        {"name", TextOf(event, macro::kNameAttribute)},
                        {"state", TextOf(event, macro::kStateAttribute)},
                        {"delay", TextOf(event, macro::kDelayAttribute)}});
    }
    PrintJson(out_, {{"index", index}, {"name", name}, {"events", events}});
    return;
  }
  out_ << '#' << index << "  \"" << Printable(name) << "\"  (" << EventCount(group.ChildCount())
       << ")\n";
  for (int i = 0; i < group.ChildCount(); ++i) {
    const macro::MacroNode& event = *group.ChildAt(i);
    char line[64];
    std::snprintf(line, sizeof line, "%4d  code %-4s %-9s delay ", i,
                  ShownTextOf(event, macro::kCodeAttribute).c_str(),
                  std::string(macro::MacroEventList::StateText(event)).c_str());
    out_ << line << ShownTextOf(event, macro::kDelayAttribute) << "  "
         << ShownTextOf(event, macro::kNameAttribute) << '\n';
  }
}

void Output::MacrosImported(const std::filesystem::path& file, const macro::MacroLibrary& library,
                            const std::optional<std::filesystem::path>& previousKeptAs) {
  if (json_) {
    PrintJson(out_, {{"imported", file.string()},
                     {"groups", library.GroupCount()},
                     {"file", library.path().string()},
                     {"previousKeptAs",
                      previousKeptAs ? Json(previousKeptAs->string()) : Json(nullptr)}});
    return;
  }
  out_ << "Imported " << library.GroupCount() << " group(s) from " << file.string() << " into "
       << library.path().string() << ".\n";
  if (previousKeptAs) {
    out_ << "The library as it was is kept as " << previousKeptAs->string() << ".\n";
  }
}

void Output::MacrosExported(const std::filesystem::path& file, const macro::MacroLibrary& library) {
  if (json_) {
    PrintJson(out_, {{"exported", file.string()}, {"groups", library.GroupCount()}});
    return;
  }
  out_ << "Exported " << library.GroupCount() << " group(s) to " << file.string() << ".\n";
}

void Output::MacroGroupAdded(int index, std::string_view name, std::size_t events) {
  if (json_) {
    PrintJson(out_, {{"added", std::string(name)}, {"index", index}, {"events", events}});
    return;
  }
  out_ << "Added the group \"" << Printable(name) << "\" as #" << index << " with "
       << EventCount(static_cast<int>(events)) << ".\n";
}

void Output::MacroGroupRenamed(int index, std::string_view from, std::string_view to) {
  if (json_) {
    PrintJson(out_, {{"renamed", std::string(from)}, {"name", std::string(to)}, {"index", index}});
    return;
  }
  out_ << "Renamed the group #" << index << " \"" << Printable(from) << "\" to \"" << Printable(to)
       << "\".\n";
}

void Output::MacroGroupDeleted(int index, std::string_view name) {
  if (json_) {
    PrintJson(out_, {{"deleted", std::string(name)}, {"index", index}});
    return;
  }
  out_ << "Deleted the group #" << index << " \"" << Printable(name) << "\".\n";
}

void Output::MediaKeyAssigned(int profile, std::uint8_t key, std::string_view entry,
                              std::uint8_t code, std::size_t remapSlot) {
  if (json_) {
    PrintJson(out_, {{"profile", profile},
                     {"key", protocol::UsageName(key)},
                     {"keyCode", key},
                     {"media", std::string(entry)},
                     {"targetCode", code},
                     {"remapSlot", remapSlot + 1}});
    return;
  }
  out_ << protocol::UsageName(key) << " now sends the media key \"" << Printable(entry) << "\" ("
       << Hex(code, 2) << ") on profile " << profile << " (remap slot " << remapSlot + 1 << ").\n";
}

void Output::MacroAssigned(int profile, std::uint8_t key, std::string_view kind,
                           std::string_view name, std::size_t events, std::uint8_t repeat,
                           std::size_t macroSlot) {
  if (json_) {
    PrintJson(out_, {{"profile", profile},
                     {"key", protocol::UsageName(key)},
                     {"keyCode", key},
                     {std::string(kind), std::string(name)},
                     {"events", events},
                     {"repeat", repeat},
                     {"macroSlot", macroSlot + 1}});
    return;
  }
  out_ << protocol::UsageName(key) << " now plays the " << kind << " \"" << Printable(name)
       << "\" (" << EventCount(static_cast<int>(events)) << ", "
       << (repeat == 1 ? std::string("once") : std::to_string(repeat) + " times") << ") on profile "
       << profile << " (macro slot " << macroSlot + 1 << ").\n";
}

}  // namespace keyloom::cli
