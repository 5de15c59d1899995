// The command sequences on a transport that loses transfers: every n-th one, or at random with a
// fixed seed. Whatever is lost, a record download tries each frame at most four times and only
// after a rejection, no other transfer is ever repeated, the pauses stay as they are, the
// keyboard only takes records that arrived whole, and the program's view of the slots is the
// keyboard's own wherever its read went through.

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "FaultyTransport.h"
#include "LoggingClock.h"
#include "protocol/CommandFrame.h"
#include "protocol/CommandSet.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyEvent.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/KeyboardState.h"
#include "protocol/Link.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::faults {
namespace {

using protocol::KeyAssignmentRecord;
using protocol::KeySlotTable;
using Kind = FaultEvent::Kind;
using Half = KeySlotTable::Half;

constexpr std::size_t kCommandByte = 1;
constexpr std::size_t kPayloadStart = 2;
constexpr std::size_t kPayloadSize = hid::kReportSize - kPayloadStart;
constexpr std::size_t kRecordFrames = protocol::CommandFrame::kKeyRecordFrameCount;
constexpr int kMaxFrameTries = 4;
constexpr int kProfileIndex = 1;

bool IsRecordFrame(const hid::Report& frame) {
  return frame[kCommandByte] == protocol::kCommandWriteKeyRecord ||
         frame[kCommandByte] == protocol::kNoCommand;
}

// A macro of `events` presses and releases of the key that carries it.
KeyAssignmentRecord MacroRecord(std::uint8_t key, std::size_t events) {
  KeyAssignmentRecord record;
  record.SetRepeatCount(1);
  for (std::size_t i = 0; i < events; ++i) {
    record.SetEvent(i, protocol::MakeKeyEvent(static_cast<std::uint8_t>(key + i % 2), i % 2 == 1,
                                              static_cast<std::int64_t>(i * 97)));
  }
  return record;
}

KeyAssignmentRecord RemapRecord(std::uint8_t target) {
  KeyAssignmentRecord record;
  record.SetKeyCode(target);
  return record;
}

protocol::SelectedKeys Key(std::uint8_t code) {
  return {{code, "key"}};
}

// The slot table of the keyboard's active profile, as the keyboard holds it.
KeySlotTable TrueSlots(sim::SimulatedKeyboard& keyboard) {
  const auto state = keyboard.CurrentState();
  const auto& profile = state.profiles[state.activeProfile];
  KeySlotTable slots;
  for (std::size_t i = 0; i < KeySlotTable::kSlotsPerHalf; ++i) {
    slots.SetSlot(Half::kMacro, i, profile.macros[i].keyCode);
    slots.SetSlot(Half::kRemap, i, profile.remaps[i].keyCode);
  }
  return slots;
}

// The frames of the log grouped as the sender tried them: consecutive set attempts of the same
// frame with nothing between them, each group one frame and its repetitions. (Two frames of a
// download always have a pause between them, even when their bytes are the same.)
struct Tries {
  std::vector<FaultEvent> attempts;
  [[nodiscard]] const hid::Report& frame() const { return attempts.front().report; }
  [[nodiscard]] bool delivered() const { return attempts.back().ok; }
};

std::vector<Tries> GroupTries(const std::vector<FaultEvent>& log) {
  std::vector<Tries> groups;
  bool open = false;
  for (const FaultEvent& event : log) {
    if (event.kind != Kind::kSet) {
      open = false;
      continue;
    }
    if (!open || groups.back().frame() != event.report) {
      groups.emplace_back();
      open = true;
    }
    groups.back().attempts.push_back(event);
  }
  return groups;
}

using SlotAddress = std::pair<int, int>;  // profile number, macro slot number

struct Downloads {
  // The records that arrived whole, in order.
  std::vector<KeyAssignmentRecord> whole;
  // The slots of unfinished downloads that a later download may have completed with its own
  // frames: its start frame was lost, and so was every frame since the unfinished one. The
  // protocol has no way to tell the keyboard, and the program keeps sending the other 27 frames.
  std::set<SlotAddress> mixable;
};

// Checks the retry rules on a log and tells which downloads arrived.
Downloads CheckTriesAndCollectDownloads(const std::vector<FaultEvent>& log) {
  Downloads downloads;
  std::optional<SlotAddress> unfinished;
  const std::vector<Tries> groups = GroupTries(log);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const auto& attempts = groups[g].attempts;
    if (!IsRecordFrame(groups[g].frame())) {
      if (groups[g].delivered()) {
        unfinished.reset();
      }
      EXPECT_EQ(attempts.size(), 1u)
          << "command 0x" << std::hex << int{groups[g].frame()[kCommandByte]} << " was repeated";
      continue;
    }
    EXPECT_LE(attempts.size(), static_cast<std::size_t>(kMaxFrameTries));
    for (std::size_t t = 0; t + 1 < attempts.size(); ++t) {
      EXPECT_FALSE(attempts[t].ok) << "a frame was sent again after it was taken";
    }
    if (attempts.size() < static_cast<std::size_t>(kMaxFrameTries)) {
      EXPECT_TRUE(attempts.back().ok) << "the sender gave up on a frame before its fourth try";
    }
    if (groups[g].frame()[kCommandByte] != protocol::kCommandWriteKeyRecord) {
      continue;
    }
    // A download: this start frame and the 27 groups that follow it.
    EXPECT_LE(g + kRecordFrames, groups.size()) << "a download with fewer than 28 frames";
    if (g + kRecordFrames > groups.size()) {
      continue;
    }
    KeyAssignmentRecord::Bytes bytes{};
    bool arrived = true;
    for (std::size_t f = 0; f < kRecordFrames; ++f) {
      const Tries& part = groups[g + f];
      EXPECT_EQ(part.frame()[kCommandByte],
                f == 0 ? protocol::kCommandWriteKeyRecord : protocol::kNoCommand);
      arrived = arrived && part.delivered();
      std::copy_n(part.frame().begin() + kPayloadStart, kPayloadSize,
                  bytes.begin() + static_cast<std::ptrdiff_t>(f * kPayloadSize));
    }
    if (arrived) {
      downloads.whole.emplace_back(bytes);
      unfinished.reset();
    } else if (groups[g].delivered()) {
      unfinished = SlotAddress{bytes[0], bytes[1]};
    } else if (unfinished) {
      downloads.mixable.insert(*unfinished);
    }
  }
  for (std::size_t i = 1; i < log.size(); ++i) {
    EXPECT_FALSE(log[i].kind == Kind::kGet && log[i - 1].kind == Kind::kGet)
        << "a read was repeated";
  }
  return downloads;
}

// After a slot read: where all five transfers of the read went through, the program holds the
// keyboard's table; a slot whose reply was lost reads as free.
void CheckSlotsAfterRead(const std::vector<FaultEvent>& log, const KeySlotTable& held,
                         sim::SimulatedKeyboard& keyboard, const std::string& when) {
  std::vector<const FaultEvent*> transfers;
  for (const FaultEvent& event : log) {
    if (event.kind != Kind::kPause) {
      transfers.push_back(&event);
    }
  }
  ASSERT_GE(transfers.size(), 5u) << when;
  const auto read = std::vector<const FaultEvent*>(transfers.end() - 5, transfers.end());
  ASSERT_EQ(read[0]->report[kCommandByte], protocol::kCommandReadKeySlots) << when;
  const bool whole = std::all_of(read.begin(), read.end(), [](auto* e) { return e->ok; });
  if (whole) {
    EXPECT_EQ(held, TrueSlots(keyboard)) << when << ": the program's table is not the keyboard's";
    return;
  }
  // Reply r carries: 1 macro slots 1-6, 2 macro slots 7-12, 3 remap slots 1-7, 4 remap 8-12.
  const std::array<std::pair<std::size_t, std::size_t>, 4> carried{
      {{0, 6}, {6, 12}, {12, 19}, {19, 24}}};
  for (std::size_t r = 0; r < 4; ++r) {
    if (read[r + 1]->ok) {
      continue;
    }
    for (std::size_t i = carried[r].first; i < carried[r].second; ++i) {
      EXPECT_EQ(held.bytes()[i], 0) << when << ": a slot of a lost reply is not free";
    }
  }
}

std::vector<std::int64_t> PausesFrom(const std::vector<FaultEvent>& log, std::size_t first) {
  std::vector<std::int64_t> pauses;
  for (std::size_t i = first; i < log.size(); ++i) {
    if (log[i].kind == Kind::kPause) {
      pauses.push_back(log[i].pauseMs);
    }
  }
  return pauses;
}

struct SessionResult {
  std::vector<FaultEvent> log;
  sim::SimulatedKeyboardState beforeReset;
  protocol::KeyboardState state;
  Downloads downloads;
};

using Operation = std::function<void(protocol::Link&, protocol::KeyboardState&)>;

// What the main window and keyloomctl do in a working session: a profile, lighting, six macros
// and three remaps, deletions, a macro again, and the factory restore. Each operation's pauses
// are checked against the same operation, from the same program state, on a working keyboard.
SessionResult RunSession(const FaultPlan& plan) {
  SessionResult result;
  sim::SimulatedKeyboard keyboard;
  FaultyTransport transport(keyboard, plan, result.log);
  LoggingClock clock(result.log);
  protocol::Link link{transport, clock};
  auto& state = result.state;

  // Set by an operation that refused to change the keyboard because the slot table it read
  // was not whole: its schedule then rightly differs from the working keyboard's.
  bool refused = false;
  auto run = [&](const std::string& what, const Operation& operation) {
    const protocol::KeyboardState before = state;
    const std::size_t mark = result.log.size();
    const sim::SimulatedKeyboardState keyboardBefore = keyboard.CurrentState();
    refused = false;
    operation(link, state);
    if (std::exchange(refused, false)) {
      return;
    }

    std::vector<FaultEvent> cleanLog;
    sim::SimulatedKeyboard cleanKeyboard;
    cleanKeyboard.SetState(keyboardBefore);
    FaultyTransport cleanTransport(cleanKeyboard, {}, cleanLog);
    LoggingClock cleanClock(cleanLog);
    protocol::Link cleanLink{cleanTransport, cleanClock};
    protocol::KeyboardState cleanState = before;
    operation(cleanLink, cleanState);
    EXPECT_FALSE(refused) << what << ": refused on a working keyboard";
    EXPECT_EQ(PausesFrom(result.log, mark), PausesFrom(cleanLog, 0))
        << what << ": the pauses changed with the failures";
  };
  // As the programs assign: the profile selected and its slots read first, then the assignment
  // from that table. What it reports must be true of the keyboard.
  auto apply = [&](std::uint8_t key, const KeyAssignmentRecord& record, const std::string& what) {
    run(what, [&](protocol::Link& l, protocol::KeyboardState& s) {
      s.profileIndex = kProfileIndex;
      protocol::SelectAndReadProfile(l, s);
      KeyAssignmentRecord copy = record;
      const auto applied = protocol::ApplyKeyAssignment(l, s, kProfileIndex, copy, Key(key));
      refused = applied.outcome == protocol::AssignmentOutcome::kSlotsUnknown;
      if (applied.outcome == protocol::AssignmentOutcome::kDone && &l == &link) {
        EXPECT_TRUE(TrueSlots(keyboard).FindExact(*applied.half, key).has_value())
            << what << ": reported done, but the keyboard does not hold the key";
      }
    });
    CheckSlotsAfterRead(result.log, state.slots, keyboard, what);
  };
  auto remove = [&](std::uint8_t key, const std::string& what) {
    run(what, [&](protocol::Link& l, protocol::KeyboardState& s) {
      s.profileIndex = kProfileIndex;
      protocol::SelectAndReadProfile(l, s);
      KeyAssignmentRecord record;
      const auto removed = protocol::DeleteKeyAssignment(l, s, kProfileIndex, record, Key(key));
      refused = removed.outcome == protocol::AssignmentOutcome::kSlotsUnknown;
    });
    CheckSlotsAfterRead(result.log, state.slots, keyboard, what);
  };

  run("profile and slot read", [](protocol::Link& l, protocol::KeyboardState& s) {
    s.profileIndex = kProfileIndex;
    protocol::SelectAndReadProfile(l, s);
  });
  CheckSlotsAfterRead(result.log, state.slots, keyboard, "first read");
  run("lighting", [](protocol::Link& l, protocol::KeyboardState& s) {
    protocol::SendLighting(l, 3, s.lighting);
  });
  for (std::uint8_t key = 0x04; key < 0x0a; ++key) {
    apply(key, MacroRecord(key, 10u + key), "macro");
  }
  apply(0x0b, RemapRecord(0x05), "remap");
  apply(0x0c, RemapRecord(0x06), "remap");
  apply(0xe0, RemapRecord(0x29), "remap of a modifier");
  remove(0x04, "macro deleted");
  remove(0x0b, "remap deleted");
  remove(0x30, "nothing to delete");
  apply(0x04, MacroRecord(0x04, 82), "a full macro again");

  result.beforeReset = keyboard.CurrentState();
  state.lighting[2].bytes[0] = 3;
  run("factory restore", [](protocol::Link& l, protocol::KeyboardState& s) {
    protocol::RestoreFactory(l, s, nullptr);
  });
  CheckSlotsAfterRead(result.log, state.slots, keyboard, "after the factory restore");

  result.downloads = CheckTriesAndCollectDownloads(result.log);
  return result;
}

struct PlanCase {
  std::string name;
  FaultPlan plan;
};

void PrintTo(const PlanCase& planCase, std::ostream* out) {
  *out << planCase.name;
}

class TransportFaultsTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(TransportFaultsTest, RetriesOnlyRecordFramesAndKeepsEveryoneConsistent) {
  const SessionResult faulty = RunSession(GetParam().plan);
  std::size_t lost = 0;
  for (const FaultEvent& event : faulty.log) {
    lost += event.kind != Kind::kPause && !event.ok ? 1 : 0;
  }
  ASSERT_GT(lost, 0u) << "the plan lost nothing";

  // The keyboard holds in each macro slot the last record that arrived whole for it, or nothing:
  // a download that lost a frame never fills or frees a slot (unless its start frame was lost
  // together with every frame since an unfinished download, see Downloads::mixable).
  std::map<SlotAddress, KeyAssignmentRecord> last;
  for (const KeyAssignmentRecord& record : faulty.downloads.whole) {
    last[{record.profileNumber(), record.slotNumber()}] = record;
  }
  for (std::size_t p = 0; p < sim::SimulatedKeyboardState::kProfileCount; ++p) {
    for (std::size_t s = 0; s < sim::SimulatedKeyboardState::kSlotsPerHalf; ++s) {
      const SlotAddress address{static_cast<int>(p + 1), static_cast<int>(s + 1)};
      if (faulty.downloads.mixable.contains(address)) {
        continue;
      }
      const auto& slot = faulty.beforeReset.profiles[p].macros[s];
      const auto found = last.find(address);
      if (found == last.end() || found->second.keyCode() == 0) {
        EXPECT_EQ(slot.keyCode, 0) << "profile " << p + 1 << " macro slot " << s + 1
                                   << " was filled by a download that lost a frame";
      } else {
        EXPECT_EQ(slot.record, found->second)
            << "profile " << p + 1 << " macro slot " << s + 1 << " holds another record";
      }
    }
  }

  // Whatever the restore frame met, the program starts again from profile 0 and the default
  // lighting.
  EXPECT_EQ(faulty.state.profileIndex, 0);
  EXPECT_EQ(faulty.state.lighting, protocol::LightingTable());
}

std::vector<PlanCase> Plans() {
  std::vector<PlanCase> plans;
  for (const std::size_t n : {2u, 3u, 4u, 5u, 7u, 13u}) {
    plans.push_back({"every_" + std::to_string(n) + "th", FailEveryNth(n)});
  }
  for (std::uint32_t seed = 1; seed <= 12; ++seed) {
    for (const int percent : {15, 40, 70}) {
      plans.push_back({"seed_" + std::to_string(seed) + "_" + std::to_string(percent) + "pc",
                       FailAtRandom(seed, percent / 100.0)});
    }
  }
  return plans;
}

INSTANTIATE_TEST_SUITE_P(Plans, TransportFaultsTest, ::testing::ValuesIn(Plans()),
                         [](const auto& planInfo) { return planInfo.param.name; });

// A download that lost a frame, then a command that arrives, then a download whose start frame
// is lost: the keyboard drops the unfinished record at the command, so the continuation frames
// of the second download find no download to complete and nothing is stored.
TEST(TransportFaultsLostStart, ACommandBetweenEndsTheUnfinishedDownload) {
  std::vector<FaultEvent> log;
  sim::SimulatedKeyboard keyboard;
  // Attempts 11-14: the four tries of frame 10 of the first download (28 frames, attempts 1-31);
  // attempt 32 the profile select; 33-36: the four tries of the second download's start frame.
  const std::set<std::size_t> lost{11, 12, 13, 14, 33, 34, 35, 36};
  FaultyTransport transport(
      keyboard, [&lost](std::size_t attempt) { return lost.contains(attempt); }, log);
  LoggingClock clock(log);
  protocol::Link link{transport, clock};

  KeyAssignmentRecord first = MacroRecord(0x04, 60);
  first.SetProfileNumber(1);
  first.SetSlotNumber(1);
  first.SetKeyCode(0x04);
  KeyAssignmentRecord second = MacroRecord(0x05, 60);
  second.SetProfileNumber(1);
  second.SetSlotNumber(2);
  second.SetKeyCode(0x05);
  protocol::WriteKeyRecord(link, first);
  protocol::SelectProfile(link, 0);
  protocol::WriteKeyRecord(link, second);

  ASSERT_EQ(log.size(), 2 * (2 * kRecordFrames + 3) + 2) << "frames, retries and pauses";
  EXPECT_EQ(keyboard.CurrentState().profiles[0], sim::SimulatedKeyboardState::Profile{})
      << "a record made of two downloads was stored";
  EXPECT_EQ(keyboard.ignored().abandonedDownload, 1);
  EXPECT_EQ(keyboard.ignored().continuationWithoutStart, 27);
}

// With every transfer lost: each frame of a download is tried four times, every other transfer
// once, and the pauses are those of a working keyboard.
TEST(TransportFaultsAllLost, EveryFrameFourTimesEveryOtherTransferOnce) {
  std::vector<FaultEvent> log;
  sim::SimulatedKeyboard keyboard;
  FaultyTransport transport(keyboard, FailEveryNth(1), log);
  LoggingClock clock(log);
  protocol::Link link{transport, clock};
  protocol::KeyboardState state;

  auto sets = [&log](std::uint8_t command) {
    return std::count_if(log.begin(), log.end(), [command](const FaultEvent& e) {
      return e.kind == Kind::kSet && e.report[kCommandByte] == command;
    });
  };
  auto gets = [&log] {
    return std::count_if(log.begin(), log.end(),
                         [](const FaultEvent& e) { return e.kind == Kind::kGet; });
  };

  protocol::SelectProfile(link, 2);
  EXPECT_EQ(sets(protocol::kCommandSelectProfile), 1);
  const protocol::SlotRead read = protocol::ReadKeySlots(link);
  state.slots = read.slots;
  EXPECT_FALSE(read.whole);
  EXPECT_EQ(sets(protocol::kCommandReadKeySlots), 1);
  EXPECT_EQ(gets(), 4);
  EXPECT_EQ(state.slots, KeySlotTable()) << "lost reads must read as free slots";
  protocol::SendLighting(link, 8, state.lighting);
  EXPECT_EQ(sets(protocol::kCommandSetLighting), 1);
  protocol::AssignKeyMapping(link, 0, 3, 0x04, 0x05);
  protocol::ClearKeyMapping(link, 0, 3);
  EXPECT_EQ(sets(protocol::kCommandSetKeyMapping), 2);

  log.clear();
  protocol::WriteKeyRecord(link, MacroRecord(0x04, 82));
  EXPECT_EQ(log.size(), kRecordFrames * (kMaxFrameTries + 1));
  EXPECT_EQ(sets(protocol::kCommandWriteKeyRecord), kMaxFrameTries);
  EXPECT_EQ(sets(protocol::kNoCommand), (kRecordFrames - 1) * kMaxFrameTries);

  // The restore frame and the slot read's request.
  EXPECT_EQ(protocol::RestoreFactory(link, state, nullptr).transfers.failedSets(), 2u);
  EXPECT_EQ(sets(protocol::kCommandRestoreFactory), 1);
  EXPECT_EQ(keyboard.CurrentState(), sim::SimulatedKeyboardState()) << "nothing arrived";
}

}  // namespace
}  // namespace keyloom::faults
