#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "../sim/TempFolder.h"
#include "connection/KeyboardConnection.h"
#include "keymap/KeyContent.h"
#include "protocol/KeyboardState.h"
#include "protocol/VirtualClock.h"
#include "sim/SimulatedKeyboard.h"
#include "sim/TransferFailurePlan.h"

namespace keyloom::connection::testing {

// A macro of two events of `eventKey`, as a library group named `name` gives it.
inline keymap::KeyContent Macro(const char* name, std::uint8_t repeat, std::uint8_t eventKey) {
  keymap::KeyContent content;
  content.kind = keymap::ContentKind::kMacro;
  content.name = name;
  content.repeat = repeat;
  content.events = {{eventKey, 0x54}, {eventKey, 0xA8}};
  return content;
}

inline keymap::KeyContent SingleKey(std::uint8_t target) {
  keymap::KeyContent content;
  content.kind = keymap::ContentKind::kSingleKey;
  content.target = target;
  return content;
}

// Connections to one simulated keyboard that keeps its state, and the key map its file, in a
// fresh data folder: each connection is a program run, the first one's transfers counted from 1
// for its failure plan. Every transfer of every connection goes to `trace`.
class ConnectionFixture {
 public:
  using Half = protocol::KeySlotTable::Half;

  ConnectionFixture() = default;
  ConnectionFixture(const ConnectionFixture&) = delete;
  ConnectionFixture& operator=(const ConnectionFixture&) = delete;

  std::unique_ptr<KeyboardConnection> Connect(std::string_view failures = {},
                                              std::int32_t productId = 0x002A) {
    KeyboardConnection::Settings settings;
    settings.simulate = true;
    settings.dataDir = folder_.path();
    settings.selector = {0x258A, productId, -1, -1};
    settings.clock = &clock_;
    settings.transferTrace = [this](std::string_view line) { trace.emplace_back(line); };
    settings.simulatedFailures =
        std::get<sim::TransferFailurePlan>(sim::ParseTransferFailurePlan(failures));
    auto connection = std::make_unique<KeyboardConnection>(std::move(settings));
    EXPECT_TRUE(connection->Open());
    return connection;
  }

  sim::SimulatedKeyboardState KeyboardState() {
    sim::SimulatedKeyboard keyboard(folder_.path() / sim::kStateFileName);
    return keyboard.CurrentState();
  }

  // The frames that changed a key: record downloads and remaps.
  [[nodiscard]] std::size_t KeyFramesSent() const {
    std::size_t count = 0;
    for (const std::string& line : trace) {
      count += line.starts_with("set 07f1") || line.starts_with("set 07fa") ? 1U : 0U;
    }
    return count;
  }

  [[nodiscard]] const std::filesystem::path& Folder() const { return folder_.path(); }

  std::vector<std::string> trace;

 private:
  sim::testing::TempFolder folder_;
  protocol::VirtualClock clock_;
};

}  // namespace keyloom::connection::testing
