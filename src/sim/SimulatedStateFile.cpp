#include "sim/SimulatedStateFile.h"

#include <chrono>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <pugixml.hpp>

namespace keyloom::sim {

namespace {

using State = SimulatedKeyboardState;

// <simulatedKeyboard activeProfile="1" ledMode="0">
//   <profile number="1">
//     <macro slot="3" key="4" record="<336 hex digits>"/>
//     <remap slot="1" key="4" target="5"/>
//   </profile>
//   <lighting mode="0" record="0101030300"/>
// </simulatedKeyboard>
// Numbers are decimal and count from 1 like the wire does; records are hexadecimal bytes.
constexpr const char* kRootElement = "simulatedKeyboard";

constexpr char kHexDigits[] = "0123456789abcdef";

template <std::size_t N>
std::string ToHex(const std::array<std::uint8_t, N>& bytes) {
  std::string text;
  text.reserve(2 * N);
  for (const std::uint8_t byte : bytes) {
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0x0F];
  }
  return text;
}

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') {
    return digit - '0';
  }
  if (digit >= 'a' && digit <= 'f') {
    return digit - 'a' + 10;
  }
  if (digit >= 'A' && digit <= 'F') {
    return digit - 'A' + 10;
  }
  return -1;
}

template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> FromHex(std::string_view text) {
  if (text.size() != 2 * N) {
    return std::nullopt;
  }
  std::array<std::uint8_t, N> bytes{};
  for (std::size_t i = 0; i < N; ++i) {
    const int high = HexValue(text[2 * i]);
    const int low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return bytes;
}

// An attribute holding a number from `low` to `high`; nullopt when absent or out of range.
std::optional<int> Number(const pugi::xml_node& node, const char* name, int low, int high) {
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) {
    return std::nullopt;
  }
  const int value = attribute.as_int(low - 1);
  if (value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::size_t Index(int number) {
  return static_cast<std::size_t>(number - 1);
}

std::uint8_t Byte(int value) {
  return static_cast<std::uint8_t>(value);
}

constexpr int kSlotCount = static_cast<int>(State::kSlotsPerHalf);
constexpr int kProfileCount = static_cast<int>(State::kProfileCount);

void ReadProfile(const pugi::xml_node& node, State::Profile& profile) {
  for (const pugi::xml_node macro : node.children("macro")) {
    const auto slot = Number(macro, "slot", 1, kSlotCount);
    const auto key = Number(macro, "key", 1, 0xFF);
    const auto record =
        FromHex<protocol::KeyAssignmentRecord::kSize>(macro.attribute("record").as_string());
    if (slot && key && record) {
      profile.macros[Index(*slot)] = {Byte(*key), protocol::KeyAssignmentRecord(*record)};
    }
  }
  for (const pugi::xml_node remap : node.children("remap")) {
    const auto slot = Number(remap, "slot", 1, kSlotCount);
    const auto key = Number(remap, "key", 1, 0xFF);
    const auto target = Number(remap, "target", 0, 0xFF);
    if (slot && key && target) {
      profile.remaps[Index(*slot)] = {Byte(*key), Byte(*target)};
    }
  }
}

// Entries that make no sense are skipped, the rest is kept; only a document that is not a
// simulated keyboard at all counts as broken.
std::optional<State> ReadState(const pugi::xml_document& document) {
  const pugi::xml_node root = document.child(kRootElement);
  if (!root) {
    return std::nullopt;
  }
  State state;
  if (const auto active = Number(root, "activeProfile", 1, kProfileCount)) {
    state.activeProfile = Index(*active);
  }
  if (const auto mode = Number(root, "ledMode", 0, protocol::LightingTable::kModeCount - 1)) {
    state.ledMode = *mode;
  }
  for (const pugi::xml_node profile : root.children("profile")) {
    if (const auto number = Number(profile, "number", 1, kProfileCount)) {
      ReadProfile(profile, state.profiles[Index(*number)]);
    }
  }
  for (const pugi::xml_node lighting : root.children("lighting")) {
    const auto mode = Number(lighting, "mode", 0, protocol::LightingTable::kModeCount - 1);
    const auto record =
        FromHex<protocol::LightingRecord::kSize>(lighting.attribute("record").as_string());
    if (mode && record) {
      state.lighting[*mode].bytes = *record;
    }
  }
  return state;
}

void WriteState(pugi::xml_document& document, const State& state) {
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node root = document.append_child(kRootElement);
  root.append_attribute("activeProfile") = static_cast<int>(state.activeProfile) + 1;
  root.append_attribute("ledMode") = state.ledMode;
  for (std::size_t p = 0; p < State::kProfileCount; ++p) {
    pugi::xml_node profile = root.append_child("profile");
    profile.append_attribute("number") = static_cast<int>(p) + 1;
    const State::Profile& slots = state.profiles[p];
    for (std::size_t s = 0; s < State::kSlotsPerHalf; ++s) {
      if (slots.macros[s].keyCode != 0) {
        pugi::xml_node macro = profile.append_child("macro");
        macro.append_attribute("slot") = static_cast<int>(s) + 1;
        macro.append_attribute("key") = static_cast<int>(slots.macros[s].keyCode);
        macro.append_attribute("record") = ToHex(slots.macros[s].record.bytes()).c_str();
      }
    }
    for (std::size_t s = 0; s < State::kSlotsPerHalf; ++s) {
      if (slots.remaps[s].keyCode != 0) {
        pugi::xml_node remap = profile.append_child("remap");
        remap.append_attribute("slot") = static_cast<int>(s) + 1;
        remap.append_attribute("key") = static_cast<int>(slots.remaps[s].keyCode);
        remap.append_attribute("target") = static_cast<int>(slots.remaps[s].targetKeyCode);
      }
    }
  }
  for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
    pugi::xml_node lighting = root.append_child("lighting");
    lighting.append_attribute("mode") = mode;
    lighting.append_attribute("record") = ToHex(state.lighting[mode].bytes).c_str();
  }
}

// "20250131-235959", in UTC.
std::string TimestampNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{floor<seconds>(now - day)};
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02u%02u-%02d%02d%02d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

std::filesystem::path WithSuffix(const std::filesystem::path& path, std::string_view suffix) {
  std::filesystem::path result = path;
  result += suffix;
  return result;
}

}  // namespace

SimulatedStateFile::SimulatedStateFile(std::filesystem::path path)
    : path_(std::move(path)), lock_(WithSuffix(path_, ".lock")) {}

bool SimulatedStateFile::Update(SimulatedKeyboardState& state,
                                const std::function<bool(SimulatedKeyboardState&)>& change) {
  FileLock::Guard guard(lock_);
  // Out of sync (the file could not be read, or a broken one could not be moved aside), the
  // file is left alone rather than overwritten.
  const bool inSync = Refresh(state);
  const SimulatedKeyboardState before = state;
  if (!change(state)) {
    return true;
  }
  if (inSync && Save(state)) {
    return true;
  }
  state = before;
  return false;
}

SimulatedStateFile::Stamp SimulatedStateFile::StampOfFile() const {
  std::error_code error;
  Stamp stamp;
  stamp.size = std::filesystem::file_size(path_, error);
  if (error) {
    return {};
  }
  stamp.modified = std::filesystem::last_write_time(path_, error);
  stamp.exists = !error;
  return stamp;
}

bool SimulatedStateFile::Refresh(SimulatedKeyboardState& state) {
  const Stamp current = StampOfFile();
  if (current == stamp_) {
    return true;
  }
  if (!current.exists) {
    state = {};
    stamp_ = current;
    return true;
  }
  pugi::xml_document document;
  const pugi::xml_parse_result result = document.load_file(path_.c_str());
  if (result.status == pugi::status_file_not_found || result.status == pugi::status_io_error ||
      result.status == pugi::status_out_of_memory) {
    lastError_ = "cannot read " + path_.string();
    return false;
  }
  std::optional<State> loaded;
  if (result) {
    loaded = ReadState(document);
  }
  if (!loaded) {
    if (!KeepBrokenFileAside()) {
      return false;
    }
    state = {};
    stamp_ = {};
    return true;
  }
  state = *loaded;
  stamp_ = current;
  lastError_.reset();
  return true;
}

bool SimulatedStateFile::Save(const SimulatedKeyboardState& state) {
  pugi::xml_document document;
  WriteState(document, state);
  const std::filesystem::path temporary = WithSuffix(path_, ".tmp");
  std::error_code error;
  if (!document.save_file(temporary.c_str(), "\t", pugi::format_default, pugi::encoding_utf8)) {
    lastError_ = "cannot write " + temporary.string();
    std::filesystem::remove(temporary, error);
    return false;
  }
  // Readers notice a change by size and time; within the file system's clock resolution two
  // writes of equal size could look alike, so every write is made strictly newer: by a
  // microsecond, or by a second where setting the time keeps whole seconds only (MinGW's
  // library sets file times through _wutime).
  const auto written = std::filesystem::last_write_time(temporary, error);
  if (!error && stamp_.exists && written <= stamp_.modified) {
    for (const std::chrono::microseconds step :
         {std::chrono::microseconds(1), std::chrono::microseconds(std::chrono::seconds(1))}) {
      std::filesystem::last_write_time(temporary, stamp_.modified + step, error);
      if (error || std::filesystem::last_write_time(temporary, error) > stamp_.modified) {
        break;
      }
    }
  }
  std::filesystem::rename(temporary, path_, error);
  if (error) {
    lastError_ = "cannot replace " + path_.string() + ": " + error.message();
    std::filesystem::remove(temporary, error);
    return false;
  }
  stamp_ = StampOfFile();
  lastError_.reset();
  return true;
}

bool SimulatedStateFile::KeepBrokenFileAside() {
  const std::string base = path_.stem().string() + ".broken-" + TimestampNow();
  const std::string extension = path_.extension().string();
  std::filesystem::path aside = path_.parent_path() / (base + extension);
  for (int attempt = 2; std::filesystem::exists(aside); ++attempt) {
    aside = path_.parent_path() / (base + "-" + std::to_string(attempt) + extension);
  }
  std::error_code error;
  std::filesystem::rename(path_, aside, error);
  if (error) {
    lastError_ = "cannot move the broken " + path_.string() + " aside: " + error.message();
    return false;
  }
  brokenFileKeptAs_ = aside;
  lastError_.reset();
  return true;
}

}  // namespace keyloom::sim
