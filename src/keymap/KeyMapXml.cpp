#include "keymap/KeyMapXml.h"

#include <charconv>
#include <set>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "protocol/LightingParameters.h"
#include "settings/HexText.h"
#include "settings/Utf8Text.h"
#include "storage/XmlFiles.h"

namespace keyloom::keymap {

namespace {

using Half = protocol::KeySlotTable::Half;

constexpr const char* kRootElement = "keymap";
constexpr const char* kProfileElement = "profile";
constexpr const char* kMacroElement = "macro";
constexpr const char* kRemapElement = "remap";
constexpr const char* kLightingElement = "lighting";
constexpr const char* kUnfinishedKeyElement = "unfinishedKey";
constexpr const char* kUnfinishedLightingElement = "unfinishedLighting";
constexpr const char* kUnfinishedSelectElement = "unfinishedSelect";

struct KindName {
  ContentKind kind;
  const char* name;
};
constexpr KindName kKindNames[] = {{ContentKind::kMacro, "macro"},
                                   {ContentKind::kChord, "chord"},
                                   {ContentKind::kSingleKey, "key"},
                                   {ContentKind::kMediaKey, "media"},
                                   {ContentKind::kUnknown, "unknown"}};

const char* KindText(ContentKind kind) {
  for (const auto& [known, name] : kKindNames) {
    if (known == kind) {
      return name;
    }
  }
  return "unknown";
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A whole number in `base` within [low, high]: digits only, as written, without blanks or a
// plus sign; a minus sign only where the range has negative numbers.
std::optional<long> ReadNumber(std::string_view text, long low, long high, int base = 10) {
  const std::string_view digits = low < 0 && text.starts_with('-') ? text.substr(1) : text;
  if (digits.empty() ||
      digits.find_first_not_of(base == 16 ? "0123456789abcdefABCDEF" : "0123456789") !=
          std::string_view::npos) {
    return std::nullopt;
  }
  long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value, base);
  if (error != std::errc{} || ptr != end || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::string Missing(const char* attribute) {
  return std::string("the attribute \"") + attribute + "\" is missing";
}

// Reads the document, keeping the first reason to refuse it.
class Reader {
 public:
  std::optional<KeyMapDocument> Read(const pugi::xml_document& xml);
  [[nodiscard]] const std::string& refusal() const { return refusal_; }

 private:
  // Notes why `node` makes the file unreadable; answers nullopt for the caller to pass up.
  std::nullopt_t Refuse(const pugi::xml_node& node, const std::string& what);
  // The attribute's text; refused when it is absent.
  std::optional<std::string_view> Text(const pugi::xml_node& node, const char* name);
  // The attribute read as a decimal number within [low, high]; refused when it is absent or is
  // not such a number.
  std::optional<long> Number(const pugi::xml_node& node, const char* name, long low, long high);
  // A vendor or product id: four hexadecimal digits.
  std::optional<long> ModelId(const pugi::xml_node& node, const char* name);
  std::optional<std::vector<protocol::KeyEvent>> Events(const pugi::xml_node& node);
  std::optional<std::vector<std::int32_t>> Codes(const pugi::xml_node& node);
  std::optional<ContentKind> Kind(const pugi::xml_node& node, Half half);
  std::optional<SlotEntry> Entry(const pugi::xml_node& node, Half half);
  bool Profile(const pugi::xml_node& node, int profileIndex, KeyMap& map);
  bool Lighting(const pugi::xml_node& node, KeyMap& map);
  // The "record" of a lighting element of LED mode `ledMode`, which its parameters must give.
  std::optional<protocol::LightingRecord> Record(const pugi::xml_node& node, int ledMode);
  // An unfinished change's element, added to `change`.
  bool Unfinished(const pugi::xml_node& node, PendingChange& change);

  std::string refusal_;
};

std::nullopt_t Reader::Refuse(const pugi::xml_node& node, const std::string& what) {
  if (refusal_.empty()) {
    refusal_ = "<" + std::string(node.name()) + ">";
    if (const auto offset = node.offset_debug(); offset >= 0) {
      refusal_ += " at byte " + std::to_string(offset);
    }
    refusal_ += ": " + what;
  }
  return std::nullopt;
}

std::optional<std::string_view> Reader::Text(const pugi::xml_node& node, const char* name) {
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) {
    return Refuse(node, Missing(name));
  }
  return std::string_view(attribute.value());
}

std::optional<long> Reader::Number(const pugi::xml_node& node, const char* name, long low,
                                   long high) {
  const auto text = Text(node, name);
  if (!text) {
    return std::nullopt;
  }
  const auto value = ReadNumber(*text, low, high);
  if (!value) {
    return Refuse(node, std::string(name) + "=\"" + std::string(*text) +
                            "\" is not a number from " + std::to_string(low) + " to " +
                            std::to_string(high));
  }
  return value;
}

std::optional<long> Reader::ModelId(const pugi::xml_node& node, const char* name) {
  const auto text = Text(node, name);
  if (!text) {
    return std::nullopt;
  }
  const auto value = text->size() == 4 ? ReadNumber(*text, 0, 0xFFFF, 16) : std::nullopt;
  if (!value) {
    return Refuse(node, std::string(name) + "=\"" + std::string(*text) +
                            "\" is not a hexadecimal number of four digits");
  }
  return value;
}

std::optional<std::vector<protocol::KeyEvent>> Reader::Events(const pugi::xml_node& node) {
  const auto all = Text(node, "events");
  if (!all) {
    return std::nullopt;
  }
  std::vector<protocol::KeyEvent> events;
  std::string_view text = *all;
  while (!(text = Trimmed(text)).empty()) {
    const std::string_view word = text.substr(0, text.find_first_of(" \t\r\n"));
    text.remove_prefix(word.size());
    const auto value = word.size() == 4 ? ReadNumber(word, 0, 0xFFFF, 16) : std::nullopt;
    if (!value) {
      return Refuse(node, "the event \"" + std::string(word) +
                              "\" is not four hexadecimal digits (key code and flags)");
    }
    if (events.size() == protocol::KeyAssignmentRecord::kMaxEvents) {
      return Refuse(node, "it has more than " +
                              std::to_string(protocol::KeyAssignmentRecord::kMaxEvents) +
                              " events, which a key cannot hold");
    }
    events.push_back({static_cast<std::uint8_t>(*value >> 8), static_cast<std::uint8_t>(*value)});
  }
  return events;
}

std::optional<std::vector<std::int32_t>> Reader::Codes(const pugi::xml_node& node) {
  const auto all = Text(node, "codes");
  if (!all) {
    return std::nullopt;
  }
  std::vector<std::int32_t> codes;
  if (all->empty()) {
    return codes;
  }
  std::string_view text = *all;
  while (true) {
    const std::size_t comma = text.find(',');
    const auto value = ReadNumber(text.substr(0, comma), INT32_MIN, INT32_MAX);
    if (!value) {
      return Refuse(
          node, "codes=\"" + std::string(*all) + "\" is not a list of numbers separated by commas");
    }
    codes.push_back(static_cast<std::int32_t>(*value));
    if (comma == std::string_view::npos) {
      return codes;
    }
    text.remove_prefix(comma + 1);
  }
}

std::optional<ContentKind> Reader::Kind(const pugi::xml_node& node, Half half) {
  const auto text = Text(node, "kind");
  if (!text) {
    return std::nullopt;
  }
  for (const auto& [kind, name] : kKindNames) {
    if (*text == name && (kind == ContentKind::kUnknown || HalfOf(kind) == half)) {
      return kind;
    }
  }
  return Refuse(node, "kind=\"" + std::string(*text) + "\" is not " +
                          (half == Half::kMacro ? "macro, chord" : "key, media") + " or unknown");
}

std::optional<SlotEntry> Reader::Entry(const pugi::xml_node& node, Half half) {
  const auto key = Number(node, "key", 1, 255);
  const auto kind = key ? Kind(node, half) : std::nullopt;
  if (!kind) {
    return std::nullopt;
  }
  SlotEntry entry;
  entry.keyCode = static_cast<std::uint8_t>(*key);
  KeyContent& content = entry.content;
  content.kind = *kind;
  if (content.kind == ContentKind::kUnknown) {
    return entry;
  }
  // A single key has no name of its own.
  if (content.kind != ContentKind::kSingleKey) {
    const auto name = Text(node, "name");
    if (!name) {
      return std::nullopt;
    }
    // As the file is written again: a name that no XML reader would take stays readable.
    content.name = settings::XmlText(*name);
  }
  if (half == Half::kRemap) {
    const auto target = Number(node, "target", 1, 255);
    if (!target) {
      return std::nullopt;
    }
    content.target = static_cast<std::uint8_t>(*target);
    return entry;
  }
  const auto repeat = Number(node, "repeat", 1, 255);
  auto events = repeat ? Events(node) : std::nullopt;
  auto codes = events && content.kind == ContentKind::kChord
                   ? Codes(node)
                   : std::optional<std::vector<std::int32_t>>(std::in_place);
  if (!events || !codes) {
    return std::nullopt;
  }
  content.repeat = static_cast<std::uint8_t>(*repeat);
  content.events = std::move(*events);
  content.codes = std::move(*codes);
  return entry;
}

bool Reader::Profile(const pugi::xml_node& node, int profileIndex, KeyMap& map) {
  for (const pugi::xml_node child : node.children()) {
    const std::string_view name = child.name();
    if (child.type() != pugi::node_element || (name != kMacroElement && name != kRemapElement)) {
      continue;
    }
    const Half half = name == kMacroElement ? Half::kMacro : Half::kRemap;
    const auto slotNumber = Number(child, "slot", 1, protocol::KeySlotTable::kSlotsPerHalf);
    const auto entry = slotNumber ? Entry(child, half) : std::nullopt;
    if (!entry) {
      return false;
    }
    const auto slot = static_cast<std::size_t>(*slotNumber - 1);
    const std::string where =
        " of the " + std::string(name) + " slots of profile " + std::to_string(profileIndex + 1);
    const ProfileMap& profile = map.Profile(profileIndex);
    if (profile.At(half, slot)) {
      Refuse(child, "slot " + std::to_string(slot + 1) + where + " is given twice");
      return false;
    }
    for (std::size_t other = 0; other < protocol::KeySlotTable::kSlotsPerHalf; ++other) {
      if (profile.At(half, other) && profile.At(half, other)->keyCode == entry->keyCode) {
        Refuse(child, "key " + std::to_string(entry->keyCode) + " holds two slots" + where);
        return false;
      }
    }
    map.Record(profileIndex, half, slot, entry->keyCode, entry->content);
  }
  return true;
}

bool Reader::Lighting(const pugi::xml_node& node, KeyMap& map) {
  const auto mode = Number(node, "mode", 0, protocol::LightingTable::kModeCount - 1);
  if (!mode) {
    return false;
  }
  if (map.Lighting(static_cast<int>(*mode))) {
    Refuse(node, "LED mode " + std::to_string(*mode) + " is given twice");
    return false;
  }
  const auto record = Record(node, static_cast<int>(*mode));
  if (!record) {
    return false;
  }
  map.SetLighting(static_cast<int>(*mode), *record);
  return true;
}

std::optional<protocol::LightingRecord> Reader::Record(const pugi::xml_node& node, int ledMode) {
  const auto text = Text(node, "record");
  if (!text) {
    return std::nullopt;
  }
  const auto bytes = settings::BytesFromHex<protocol::LightingRecord::kSize>(*text);
  if (!bytes) {
    return Refuse(node, "record=\"" + std::string(*text) + "\" is not ten hexadecimal digits");
  }
  const protocol::LightingRecord record{*bytes};
  if (!protocol::LightingParameters::IsRecordOf(ledMode, record)) {
    return Refuse(node, "record=\"" + std::string(*text) + "\" is not a lighting of LED mode " +
                            std::to_string(ledMode) +
                            ": a field is out of its range, or a bit is set that the mode does "
                            "not use");
  }
  return record;
}

bool Reader::Unfinished(const pugi::xml_node& node, PendingChange& change) {
  const std::string_view name = node.name();
  if (name == kUnfinishedSelectElement) {
    const auto profile = Number(node, "profile", 1, kProfileCount);
    change.select = profile ? std::optional(static_cast<int>(*profile - 1)) : std::nullopt;
    return profile.has_value();
  }
  if (name == kUnfinishedLightingElement) {
    const auto mode = Number(node, "mode", 0, protocol::LightingTable::kModeCount - 1);
    const auto record = mode ? Record(node, static_cast<int>(*mode)) : std::nullopt;
    if (record) {
      change.lighting.emplace_back(static_cast<int>(*mode), *record);
    }
    return record.has_value();
  }
  const auto profile = Number(node, "profile", 1, kProfileCount);
  if (!profile) {
    return false;
  }
  const std::string_view half = node.attribute("half").value();
  if (half != kMacroElement && half != kRemapElement) {
    Refuse(node, "half=\"" + std::string(half) + "\" is not macro or remap");
    return false;
  }
  UnfinishedKey key{static_cast<int>(*profile - 1),
                    half == kMacroElement ? Half::kMacro : Half::kRemap, 0, std::nullopt};
  // Without a kind, the key's assignment was being removed.
  if (!node.attribute("kind")) {
    const auto code = Number(node, "key", 1, 255);
    if (!code) {
      return false;
    }
    key.keyCode = static_cast<std::uint8_t>(*code);
  } else {
    const auto entry = Entry(node, key.half);
    if (!entry) {
      return false;
    }
    key.keyCode = entry->keyCode;
    key.content = entry->content;
  }
  change.keys.push_back(std::move(key));
  return true;
}

std::optional<KeyMapDocument> Reader::Read(const pugi::xml_document& xml) {
  // The parser refuses a document without an element.
  const pugi::xml_node root = xml.document_element();
  if (std::string_view(root.name()) != kRootElement) {
    return Refuse(root, std::string("the first element is not <") + kRootElement + ">");
  }
  const auto version = Number(root, "version", 1, INT32_MAX);
  if (!version) {
    return std::nullopt;
  }
  if (*version > kKeyMapFormatVersion) {
    return Refuse(root, "it is of version " + std::to_string(*version) +
                            ", and this Keyloom reads up to version " +
                            std::to_string(kKeyMapFormatVersion));
  }
  KeyMapDocument document;
  if (root.attribute("vid") || root.attribute("pid")) {
    const auto vendor = ModelId(root, "vid");
    const auto product = vendor ? ModelId(root, "pid") : std::nullopt;
    if (!product) {
      return std::nullopt;
    }
    document.model =
        KeyboardModel{static_cast<std::int32_t>(*vendor), static_cast<std::int32_t>(*product)};
  }
  PendingChange unfinished;
  for (const pugi::xml_node node : root.children()) {
    const std::string_view name = node.name();
    if (node.type() != pugi::node_element) {
      continue;
    }
    if (name == kUnfinishedKeyElement || name == kUnfinishedLightingElement ||
        name == kUnfinishedSelectElement) {
      if (!Unfinished(node, unfinished)) {
        return std::nullopt;
      }
    } else if (name == kProfileElement) {
      const auto number = Number(node, "number", 1, kProfileCount);
      if (!number) {
        return std::nullopt;
      }
      const auto index = static_cast<std::size_t>(*number - 1);
      if (document.listed[index]) {
        return Refuse(node, "profile " + std::to_string(*number) + " is given twice");
      }
      document.listed[index] = true;
      if (!Profile(node, static_cast<int>(index), document.map)) {
        return std::nullopt;
      }
    } else if (name == kLightingElement && !Lighting(node, document.map)) {
      return std::nullopt;
    }
  }
  document.map.Begin(unfinished);
  if (root.attribute("activeProfile")) {
    const auto profile = Number(root, "activeProfile", 1, kProfileCount);
    if (!profile) {
      return std::nullopt;
    }
    if (!document.listed[static_cast<std::size_t>(*profile - 1)]) {
      return Refuse(root, "activeProfile=\"" + std::to_string(*profile) +
                              "\" names a profile without a <profile> element");
    }
    document.map.ProfileSelected(static_cast<int>(*profile - 1));
  }
  if (root.attribute("ledMode")) {
    const auto mode = Number(root, "ledMode", 0, protocol::LightingTable::kModeCount - 1);
    if (!mode) {
      return std::nullopt;
    }
    if (!document.map.Lighting(static_cast<int>(*mode))) {
      return Refuse(root, "ledMode=\"" + std::to_string(*mode) +
                              "\" names a mode without a <lighting> element");
    }
    document.map.SetLedMode(static_cast<int>(*mode));
  }
  return document;
}

std::string EventsText(const std::vector<protocol::KeyEvent>& events) {
  std::string text;
  for (const protocol::KeyEvent& event : events) {
    if (!text.empty()) {
      text += ' ';
    }
    text += settings::HexNumber(event.keyCode, 2) + settings::HexNumber(event.flags, 2);
  }
  return text;
}

std::string CodesText(const std::vector<std::int32_t>& codes) {
  std::string text;
  for (const std::int32_t code : codes) {
    if (!text.empty()) {
      text += ',';
    }
    text += std::to_string(code);
  }
  return text;
}

// The content's attributes, from "kind" on.
void WriteContent(pugi::xml_node node, const KeyContent& content) {
  node.append_attribute("kind") = KindText(content.kind);
  switch (content.kind) {
    case ContentKind::kUnknown:
      return;
    case ContentKind::kMacro:
    case ContentKind::kChord:
      node.append_attribute("name") = settings::XmlText(content.name).c_str();
      node.append_attribute("repeat") = static_cast<int>(content.repeat);
      node.append_attribute("events") = EventsText(content.events).c_str();
      if (content.kind == ContentKind::kChord) {
        node.append_attribute("codes") = CodesText(content.codes).c_str();
      }
      return;
    case ContentKind::kMediaKey:
      node.append_attribute("name") = settings::XmlText(content.name).c_str();
      [[fallthrough]];
    case ContentKind::kSingleKey:
      node.append_attribute("target") = static_cast<int>(content.target);
      return;
  }
}

void WriteEntry(pugi::xml_node profile, Half half, std::size_t slot, const SlotEntry& entry) {
  pugi::xml_node node = profile.append_child(half == Half::kMacro ? kMacroElement : kRemapElement);
  node.append_attribute("slot") = static_cast<int>(slot + 1);
  node.append_attribute("key") = static_cast<int>(entry.keyCode);
  WriteContent(node, entry.content);
}

void WriteUnfinished(pugi::xml_node root, const KeyMap& map) {
  if (const auto profile = map.UnfinishedSelect()) {
    root.append_child(kUnfinishedSelectElement).append_attribute("profile") = *profile + 1;
  }
  for (const UnfinishedKey& key : map.UnfinishedKeys()) {
    pugi::xml_node node = root.append_child(kUnfinishedKeyElement);
    node.append_attribute("profile") = key.profileIndex + 1;
    node.append_attribute("half") = key.half == Half::kMacro ? kMacroElement : kRemapElement;
    node.append_attribute("key") = static_cast<int>(key.keyCode);
    if (key.content) {
      WriteContent(node, *key.content);
    }
  }
  for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
    if (const auto& record = map.UnfinishedLighting(mode)) {
      pugi::xml_node node = root.append_child(kUnfinishedLightingElement);
      node.append_attribute("mode") = mode;
      node.append_attribute("record") = settings::HexBytes(record->bytes).c_str();
    }
  }
}

}  // namespace

storage::LoadResult ParseKeyMap(std::string_view bytes, KeyMapDocument& document) {
  pugi::xml_document xml;
  storage::LoadResult loaded = storage::xml::Parse(xml, bytes, pugi::encoding_auto);
  if (!loaded.ok()) {
    return loaded;
  }
  Reader reader;
  if (auto read = reader.Read(xml)) {
    document = std::move(*read);
  } else {
    loaded.status = storage::LoadResult::Status::kMalformed;
    loaded.error = "not a key map that Keyloom reads: " + reader.refusal();
  }
  return loaded;
}

std::string KeyMapToXml(const KeyMap& map, const KeyboardModel& model) {
  pugi::xml_document xml;
  pugi::xml_node declaration = xml.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node root = xml.append_child(kRootElement);
  root.append_attribute("version") = kKeyMapFormatVersion;
  root.append_attribute("vid") =
      settings::HexNumber(static_cast<unsigned>(model.vendorId) & 0xFFFFU, 4).c_str();
  root.append_attribute("pid") =
      settings::HexNumber(static_cast<unsigned>(model.productId) & 0xFFFFU, 4).c_str();
  if (const auto profile = map.SelectedProfile()) {
    root.append_attribute("activeProfile") = *profile + 1;
  }
  if (const auto mode = map.LedMode()) {
    root.append_attribute("ledMode") = *mode;
  }
  for (int index = 0; index < kProfileCount; ++index) {
    pugi::xml_node profile = root.append_child(kProfileElement);
    profile.append_attribute("number") = index + 1;
    for (const Half half : {Half::kMacro, Half::kRemap}) {
      for (std::size_t slot = 0; slot < protocol::KeySlotTable::kSlotsPerHalf; ++slot) {
        if (const auto& entry = map.Profile(index).At(half, slot)) {
          WriteEntry(profile, half, slot, *entry);
        }
      }
    }
  }
  for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
    if (const auto& record = map.Lighting(mode)) {
      pugi::xml_node lighting = root.append_child(kLightingElement);
      lighting.append_attribute("mode") = mode;
      lighting.append_attribute("record") = settings::HexBytes(record->bytes).c_str();
    }
  }
  WriteUnfinished(root, map);
  return storage::xml::Write(xml);
}

}  // namespace keyloom::keymap
