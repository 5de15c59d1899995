#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Frames.h"
#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::sim {
namespace {

using ::testing::ElementsAre;
using testing::Frame;

TEST(SimulatedHidBackendTest, TheIdentityFollowsTheConfiguredSelectorAndItsWildcards) {
  struct Case {
    hid::DeviceSelector configured;
    std::string path;
  };
  const std::vector<Case> cases{
      {{0, 0, -1, -1}, "sim:hid#vid_258a&pid_002a&mi_01&col02"},
      {{-3, -1, -2, -9}, "sim:hid#vid_258a&pid_002a&mi_01&col02"},
      {{0x1234, 0xABCD, 0, 0}, "sim:hid#vid_1234&pid_abcd&mi_00&col00"},
      {{0x258A, 0x002A, 10, 3}, "sim:hid#vid_258a&pid_002a&mi_0a&col03"},
  };
  SimulatedKeyboard keyboard;
  for (const Case& c : cases) {
    SimulatedHidBackend backend(keyboard, c.configured);
    EXPECT_EQ(backend.path(), c.path);
    const auto found = backend.FindInterfaces(c.configured, {});
    ASSERT_EQ(found.size(), 1u) << c.path;
    EXPECT_EQ(found[0].path, c.path);
  }
}

// The interface is listed whatever the selector; only a match is opened during discovery.
TEST(SimulatedHidBackendTest, DiscoveryAppliesTheSelectorRule) {
  SimulatedKeyboard keyboard;
  SimulatedHidBackend backend(keyboard, {0x258A, 0x002A, 1, 2});
  struct Case {
    hid::DeviceSelector selector;
    bool found;
  };
  const std::vector<Case> cases{
      {{0, 0, -1, -1}, true},       {{0x258A, 0x002A, 1, 2}, true}, {{0x258B, 0, -1, -1}, false},
      {{0, 0x002B, -1, -1}, false}, {{0, 0, 0, -1}, false},         {{0, 0, -1, 0}, false},
      {{0, 0, 0, 0}, false},        {{0, 0, 1, -1}, true},
  };
  for (const Case& c : cases) {
    const auto& s = c.selector;
    std::vector<std::string> lines;
    EXPECT_EQ(
        backend.FindInterfaces(s, [&](std::string_view line) { lines.emplace_back(line); }).size(),
        c.found ? 1u : 0u)
        << s.vendorId << " " << s.productId << " " << s.interfaceNumber << " "
        << s.collectionNumber;
    EXPECT_EQ(lines.size(), c.found ? 3u : 2u) << "the class, the interface, the open of a match";
  }
}

TEST(SimulatedHidBackendTest, DiscoveryDescribesTheInterfaceAndTracesLikeTheSystemBackend) {
  SimulatedKeyboard keyboard;
  SimulatedHidBackend backend(keyboard, {0, 0, 1, 2});
  std::vector<std::string> lines;
  const auto found = backend.FindInterfaces(
      {0, 0, -1, -1}, [&](std::string_view line) { lines.emplace_back(line); });

  ASSERT_EQ(found.size(), 1u);
  const hid::HidInterfaceInfo& info = found[0];
  EXPECT_EQ(info.interfaceClass, hid::kHidInterfaceClass);
  EXPECT_EQ(info.vendorId, 0x258A);
  EXPECT_EQ(info.productId, 0x002A);
  EXPECT_EQ(info.releaseNumber, 0x0100);
  EXPECT_EQ(info.manufacturer, "Keyloom");
  EXPECT_EQ(info.product, "Simulated keyboard");
  EXPECT_EQ(info.serialNumber, "SIM0001");
  EXPECT_EQ(info.usagePage, 0xFF00);
  EXPECT_EQ(info.usage, 1);
  EXPECT_THAT(lines, ElementsAre("got classs: guid={4d1e55b2-f16f-11cf-88cb001111000030}",
                                 "enum interface: guid={4d1e55b2-f16f-11cf-88cb001111000030} "
                                 "index=0",
                                 "open dev: 00005100"));
}

TEST(SimulatedHidBackendTest, AHandleReachesTheKeyboardUntilItIsUnplugged) {
  SimulatedKeyboard keyboard;
  SimulatedHidBackend backend(keyboard, {0, 0, -1, -1});
  hid::OpenResult opened = backend.OpenPath(backend.path());
  ASSERT_NE(opened.handle, nullptr);
  EXPECT_EQ(opened.error, hid::OpenError::kNone);
  EXPECT_TRUE(opened.handle->SetFeature(Frame({0x07, 0xFC, 2})));
  EXPECT_EQ(keyboard.CurrentState().activeProfile, 1u);

  keyboard.SetPlugged(false);
  std::vector<std::string> lines;
  EXPECT_TRUE(
      backend
          .FindInterfaces({0, 0, -1, -1}, [&](std::string_view line) { lines.emplace_back(line); })
          .empty());
  EXPECT_EQ(lines.size(), 1u) << "only the class is traced, no interface";
  EXPECT_FALSE(opened.handle->SetFeature(Frame({0x07, 0xFC, 3})));
  EXPECT_EQ(backend.OpenPath(backend.path()).error, hid::OpenError::kNotFound);

  keyboard.SetPlugged(true);
  EXPECT_FALSE(opened.handle->SetFeature(Frame({0x07, 0xFC, 3}))) << "the old handle died";
  hid::OpenResult reopened = backend.OpenPath(backend.path());
  ASSERT_NE(reopened.handle, nullptr);
  EXPECT_NE(reopened.traceValue, opened.traceValue);
  EXPECT_TRUE(reopened.handle->SetFeature(Frame({0x07, 0xFC, 3})));
  EXPECT_EQ(keyboard.CurrentState().activeProfile, 2u);
}

TEST(SimulatedHidBackendTest, AnyOtherPathIsNotFound) {
  SimulatedKeyboard keyboard;
  SimulatedHidBackend backend(keyboard, {0, 0, -1, -1});
  const hid::OpenResult opened = backend.OpenPath("sim:hid#vid_258a&pid_002a&mi_01&col03");

  EXPECT_EQ(opened.handle, nullptr);
  EXPECT_EQ(opened.error, hid::OpenError::kNotFound);
}

}  // namespace
}  // namespace keyloom::sim
