#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ConnectionFixture.h"
#include "connection/KeyboardConnection.h"
#include "keymap/KeyContent.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/LightingTable.h"

namespace keyloom::connection {
namespace {

using protocol::AssignmentOutcome;
using testing::SingleKey;
using Half = protocol::KeySlotTable::Half;

constexpr std::uint8_t kKeyA = 0x04;
constexpr std::uint8_t kKeyB = 0x05;
constexpr protocol::LightingRecord kRecord{{0x05, 0x02, 0x01, 0x02, 0x00}};

// What a listener saw: the change, and the state as it was when told.
struct Told {
  KeyboardConnection::StateChange change;
  protocol::KeyboardState state;
};

class StateAnnouncementTest : public ::testing::Test, protected testing::ConnectionFixture {};

// Each sequence sets its part of the state before it tells its listeners, once, which parts it
// set; one that sends nothing tells nothing.
TEST_F(StateAnnouncementTest, EverySequenceTellsWhatItSet) {
  struct Case {
    const char* what;
    std::function<void(KeyboardConnection&)> run;
    // Expected: how many times the listener is told, and what of.
    int told;
    bool profile, slots, lighting;
    // Expected state afterwards: the profile, whether key A holds a remap slot, the record of
    // LED mode 3.
    int profileIndex;
    bool keyAAssigned;
    protocol::LightingRecord mode3;
  };
  const protocol::LightingRecord defaults = protocol::LightingTable::DefaultRecord(3);
  const std::vector<Case> cases = {
      {"select", [](KeyboardConnection& k) { k.SelectProfile(2); }, 1, true, true, false, 2, true,
       defaults},
      {"read", [](KeyboardConnection& k) { k.ReadSlots(); }, 1, false, true, false, 0, false,
       defaults},
      {"assign",
       [](KeyboardConnection& k) {
         k.Assign(1, 1, SingleKey(kKeyB), {{kKeyA, "A"}});
       },
       1, true, true, false, 1, true, defaults},
      {"nothing to assign",
       [](KeyboardConnection& k) {
         k.Assign(1, 1, keymap::KeyContent{}, {{kKeyA, "A"}});
       },
       0, false, false, false, 0, false, defaults},
      {"delete",
       [](KeyboardConnection& k) {
         k.Delete(2, 2, {{kKeyA, "A"}});
       },
       1, true, true, false, 2, false, defaults},
      {"place",
       [](KeyboardConnection& k) { k.PlaceInSlot(1, Half::kRemap, 0, kKeyA, SingleKey(kKeyB)); }, 1,
       true, true, false, 1, true, defaults},
      {"lighting", [](KeyboardConnection& k) { k.SendLighting(3, kRecord); }, 1, false, false, true,
       0, false, kRecord},
      {"no such LED mode", [](KeyboardConnection& k) { k.SendLighting(10, kRecord); }, 0, false,
       false, false, 0, false, defaults},
      {"factory restore", [](KeyboardConnection& k) { k.RestoreFactory(nullptr); }, 1, true, true,
       true, 0, false, defaults},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      // Profile 3 holds A as a remap; profile 1 is left active.
      const auto setup = Connect();
      setup->RestoreFactory(nullptr);
      ASSERT_EQ(setup->Assign(2, 2, SingleKey(kKeyB), {{kKeyA, "A"}}).outcome,
                AssignmentOutcome::kDone);
      setup->SelectProfile(0);
    }
    const auto keyboard = Connect();
    std::vector<Told> told;
    const KeyboardConnection::Subscription subscription =
        keyboard->Subscribe([&](const KeyboardConnection::StateChange& change) {
          told.push_back({change, keyboard->State()});
        });

    c.run(*keyboard);

    ASSERT_EQ(told.size(), static_cast<std::size_t>(c.told));
    const protocol::KeyboardState& state = keyboard->State();
    if (c.told == 1) {
      EXPECT_EQ(told[0].change.profile, c.profile);
      EXPECT_EQ(told[0].change.slots, c.slots);
      EXPECT_EQ(told[0].change.lighting, c.lighting);
      EXPECT_EQ(told[0].state.profileIndex, state.profileIndex);
      EXPECT_EQ(told[0].state.slots, state.slots);
      EXPECT_EQ(told[0].state.lighting, state.lighting);
    }
    EXPECT_EQ(state.profileIndex, c.profileIndex);
    EXPECT_EQ(state.slots.slot(Half::kRemap, 0) == kKeyA, c.keyAAssigned);
    EXPECT_EQ(state.lighting[3], c.mode3);
  }
}

// A connection starts from what the key map knows: the profile selected and the lighting sent
// last, by any program; and it takes the key map's lighting back when asked, telling of it.
TEST_F(StateAnnouncementTest, TheStateStartsFromAndReturnsToTheKeyMap) {
  {
    const auto other = Connect();
    ASSERT_TRUE(other->SendLighting(3, kRecord).ok());
    other->SelectProfile(2);
  }
  const auto keyboard = Connect();
  EXPECT_EQ(keyboard->State().profileIndex, 2);
  EXPECT_EQ(keyboard->State().lighting[3], kRecord);
  EXPECT_FALSE(keyboard->State().slotsWhole);

  const auto failing = Connect("set:1");
  ASSERT_FALSE(failing->SendLighting(4, kRecord).ok());
  EXPECT_EQ(failing->State().lighting[4], kRecord);
  int told = 0;
  const KeyboardConnection::Subscription subscription =
      failing->Subscribe([&](const KeyboardConnection::StateChange& change) {
        told += change.lighting && !change.profile && !change.slots ? 1 : 0;
      });
  failing->TakeLightingFromKeyMap();
  EXPECT_EQ(told, 1);
  EXPECT_EQ(failing->State().lighting[4], protocol::LightingTable::DefaultRecord(4));
  EXPECT_EQ(failing->State().lighting[3], kRecord);
}

// A listener whose subscription went is told nothing more; one that leaves while it is told does
// not keep the others from being told.
TEST_F(StateAnnouncementTest, ASubscriptionEndsItsListener) {
  const auto keyboard = Connect();
  int first = 0;
  int second = 0;
  std::optional<KeyboardConnection::Subscription> leaving;
  leaving = keyboard->Subscribe([&](const KeyboardConnection::StateChange&) {
    ++first;
    leaving.reset();
  });
  const KeyboardConnection::Subscription staying =
      keyboard->Subscribe([&](const KeyboardConnection::StateChange&) { ++second; });

  keyboard->ReadSlots();
  keyboard->ReadSlots();

  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
}

}  // namespace
}  // namespace keyloom::connection
