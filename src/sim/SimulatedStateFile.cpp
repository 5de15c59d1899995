#include "sim/SimulatedStateFile.h"

#include <chrono>
#include <string_view>
#include <system_error>
#include <utility>

#include <pugixml.hpp>

#include "settings/HexText.h"
#include "storage/FileLock.h"
#include "storage/LoadResult.h"
#include "storage/OpenReport.h"
#include "storage/UserFiles.h"
#include "storage/XmlFiles.h"

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
    const auto record = settings::BytesFromHex<protocol::KeyAssignmentRecord::kSize>(
        macro.attribute("record").as_string());
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
    const auto record = settings::BytesFromHex<protocol::LightingRecord::kSize>(
        lighting.attribute("record").as_string());
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
        macro.append_attribute("record") =
            settings::HexBytes(slots.macros[s].record.bytes()).c_str();
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
    lighting.append_attribute("record") = settings::HexBytes(state.lighting[mode].bytes).c_str();
  }
}

std::filesystem::path WithSuffix(const std::filesystem::path& path, std::string_view suffix) {
  std::filesystem::path result = path;
  result += suffix;
  return result;
}

// The whole file as a simulated keyboard, or why it is none.
storage::LoadResult Parse(std::string_view bytes, std::optional<State>& state) {
  pugi::xml_document document;
  storage::LoadResult parsed = storage::xml::Parse(document, bytes, pugi::encoding_auto);
  if (!parsed.ok()) {
    return parsed;
  }
  state = ReadState(document);
  if (!state) {
    parsed.status = storage::LoadResult::Status::kMalformed;
    parsed.error = std::string("not a simulated keyboard (no <") + kRootElement + "> element)";
  }
  return parsed;
}

}  // namespace

SimulatedStateFile::SimulatedStateFile(std::filesystem::path path)
    : path_(std::move(path)), lockPath_(WithSuffix(path_, ".lock")) {}

bool SimulatedStateFile::Update(SimulatedKeyboardState& state,
                                const std::function<bool(SimulatedKeyboardState&)>& change) {
  // A lock file that cannot be made leaves the change unprotected; the folder then most likely
  // refuses the state file too, which the save reports.
  const storage::FileLock lock(lockPath_, lockPath_.string());
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
  std::optional<State> loaded;
  const storage::LoadResult read = storage::LoadUserFile(
      path_, [&loaded](std::string_view bytes) { return Parse(bytes, loaded); });
  if (read.status == storage::LoadResult::Status::kMissing) {
    state = {};
    stamp_ = {};
    return true;
  }
  if (!read.ok()) {
    const storage::OpenReport kept =
        storage::KeepUnreadableFileAside(path_, read, std::chrono::system_clock::now());
    if (!kept.keptAs) {
      lastError_ = kept.problem;
      return false;
    }
    brokenFileKeptAs_ = kept.keptAs;
    lastError_.reset();
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
  const storage::FileResult saved =
      storage::WriteFileAtomically(path_, storage::xml::Write(document));
  if (!saved.ok()) {
    lastError_ = saved.error();
    return false;
  }
  // Readers notice a change by size and time; within the file system's clock resolution two
  // writes of equal size could look alike, so every write is made strictly newer: by a
  // microsecond, or by a second where setting the time keeps whole seconds only (MinGW's
  // library sets file times through _wutime). Every reader holds the lock meanwhile.
  std::error_code error;
  const auto written = std::filesystem::last_write_time(path_, error);
  if (!error && stamp_.exists && written <= stamp_.modified) {
    for (const std::chrono::microseconds step :
         {std::chrono::microseconds(1), std::chrono::microseconds(std::chrono::seconds(1))}) {
      std::filesystem::last_write_time(path_, stamp_.modified + step, error);
      if (error || std::filesystem::last_write_time(path_, error) > stamp_.modified) {
        break;
      }
    }
  }
  stamp_ = StampOfFile();
  lastError_.reset();
  return true;
}

}  // namespace keyloom::sim
