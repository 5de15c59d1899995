#include <chrono>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeTransport.h"
#include "protocol/PreciseSleep.h"
#include "protocol/SteadyClock.h"
#include "protocol/TracingClock.h"
#include "protocol/TracingTransport.h"
#include "protocol/VirtualClock.h"

namespace keyloom::protocol {
namespace {

using std::chrono::milliseconds;
using ::testing::ElementsAre;

class TracingTest : public ::testing::Test {
 protected:
  testing::FakeTransport inner;
  VirtualClock clock;
  std::vector<std::string> lines;
  TransferTraceSink sink = [this](std::string_view line) { lines.emplace_back(line); };
};

TEST_F(TracingTest, TransfersAreTracedWithTheBufferAfterTheTransferAndTheirOutcome) {
  TracingTransport transport(inner, sink);
  inner.reject = [](const hid::Report& report) { return report[1] == 0xF0; };
  inner.replies.push_back({0x07, 0xEE, 0x04, 0xE0, 0xAB, 0xCD, 0xEF, 0x10});

  EXPECT_TRUE(transport.SetFeature({0x07, 0xFC, 0x01, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(transport.SetFeature({0x07, 0xF0, 0xAA, 0, 0, 0, 0, 0}));
  hid::Report buffer{0x07};
  EXPECT_TRUE(transport.GetFeature(buffer));
  hid::Report unanswered{0x07};
  EXPECT_FALSE(transport.GetFeature(unanswered));

  EXPECT_THAT(lines, ElementsAre("set 07fc010000000000 ok", "set 07f0aa0000000000 fail",
                                 "get 07ee04e0abcdef10 ok", "get 0700000000000000 fail"));
  EXPECT_EQ(buffer[3], 0xE0) << "the reply reaches the caller";
  EXPECT_EQ(inner.sent.size(), 2u);
}

TEST_F(TracingTest, PausesAreTracedAndStillTaken) {
  TracingClock traced(clock, sink);
  clock.SetNowMs(1000);
  traced.Pause(milliseconds(800));
  traced.Pause(milliseconds(0));

  EXPECT_THAT(lines, ElementsAre("pause 800", "pause 0"));
  EXPECT_THAT(clock.pauses(), ElementsAre(milliseconds(800), milliseconds(0)));
  EXPECT_EQ(traced.NowMs(), 1800);
}

TEST_F(TracingTest, WithoutASinkNothingIsWrittenButTransfersStillHappen) {
  TracingTransport transport(inner, nullptr);
  TracingClock traced(clock, nullptr);
  EXPECT_TRUE(transport.SetFeature({0x07}));
  traced.Pause(milliseconds(5));

  EXPECT_EQ(inner.sent.size(), 1u);
  EXPECT_EQ(clock.totalPause(), milliseconds(5));
}

TEST(VirtualClockTest, RecordsPausesInOrderAndAdvancesItsTime) {
  VirtualClock clock;
  clock.Pause(milliseconds(50));
  clock.Pause(milliseconds(10));
  clock.Advance(milliseconds(5));

  EXPECT_THAT(clock.pauses(), ElementsAre(milliseconds(50), milliseconds(10)));
  EXPECT_EQ(clock.totalPause(), milliseconds(60));
  EXPECT_EQ(clock.NowMs(), 65);

  clock.ClearPauses();
  EXPECT_TRUE(clock.pauses().empty());
  EXPECT_EQ(clock.NowMs(), 65);
}

TEST(SteadyClockTest, APauseLetsAtLeastThatMuchTimePass) {
  SteadyClock clock;
  const auto before = clock.NowMs();
  // Enough pauses in a row for the wake-ups to be asked for early.
  for (int round = 0; round < 24; ++round) {
    const milliseconds pause(round % 3 == 0 ? 0 : round % 3 == 1 ? 1 : 8);
    const auto start = std::chrono::steady_clock::now();
    clock.Pause(pause);
    EXPECT_GE(std::chrono::steady_clock::now() - start, pause) << pause.count() << " ms";
  }
  clock.Pause(milliseconds(15));

  EXPECT_GE(before, 0);
  EXPECT_GE(clock.NowMs() - before, 15);
}

TEST(WakeUpMarginTest, IsTheSmallestOfTheRecentLatenessesWithinItsBound) {
  using std::chrono::microseconds;
  struct Case {
    const char* name;
    std::vector<microseconds> latenesses;
    microseconds margin;
  };
  const std::vector<microseconds> seventeen = [] {
    std::vector<microseconds> all{microseconds(5)};
    all.insert(all.end(), 16, microseconds(90));
    return all;
  }();
  const Case cases[] = {
      {"nothing seen", {}, microseconds(0)},
      {"smallest", {microseconds(80), microseconds(35), microseconds(120)}, microseconds(35)},
      {"early counts as on time", {microseconds(60), microseconds(-20)}, microseconds(0)},
      {"the oldest is forgotten", seventeen, microseconds(90)},
      {"bounded", {microseconds(3000), microseconds(2500)}, microseconds(1000)},
  };
  for (const Case& c : cases) {
    WakeUpMargin margin;
    for (const microseconds lateness : c.latenesses) {
      margin.Observe(lateness);
    }
    EXPECT_EQ(margin.Get(), c.margin) << c.name;
  }
}

}  // namespace
}  // namespace keyloom::protocol
