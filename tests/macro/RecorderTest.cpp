#include <cstdint>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TestFiles.h"
#include "macro/AssignmentStore.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroEventList.h"
#include "macro/MacroLibrary.h"
#include "macro/MacroRecorder.h"
#include "protocol/VirtualClock.h"

namespace keyloom::macro {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kVkA = 0x41;
constexpr std::uint32_t kVkF5 = 0x74;
constexpr std::uint32_t kVkReturn = 0x0D;
constexpr std::uint32_t kVkNotInTable = 0xFF;
constexpr std::uint32_t kOtherMessage = 0x102;

// "code/name/state/delay" of every event of the group.
std::vector<std::string> Events(const MacroNode& group) {
  std::vector<std::string> events;
  for (int i = 0; i < group.ChildCount(); ++i) {
    const MacroNode& e = *group.ChildAt(i);
    events.push_back(*e.Attribute("code") + "/" + *e.Attribute("name") + "/" +
                     *e.Attribute("state") + "/" + *e.Attribute("delay"));
  }
  return events;
}

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    events_.SetGroup(library_.root().InsertChild(MacroNode::kLast, {{"name", "Group 0"}}));
    events_.SetChangeListener([this] { ++refreshes_; });
    recorder_.SetRecording(true);
  }

  bool Key(std::uint32_t message, std::uint32_t vk, std::int64_t atMs) {
    clock_.SetNowMs(atMs);
    int code = kHookActionCode;
    KeyboardEventRecord record{vk};
    return recorder_.OnKeyboardEvent(code, message, record);
  }

  storage::test::TempFolder folder_;
  MacroLibrary library_{folder_ / "macro.xml"};
  AssignmentStore store_;
  MacroEventList events_;
  protocol::VirtualClock clock_;
  MacroRecorder recorder_{store_, events_, clock_};
  int refreshes_ = 0;
};

TEST_F(RecorderTest, RealDelaysAreTheTimeToTheNextCapturedKeystroke) {
  EXPECT_TRUE(Key(kKeyDownMessage, kVkA, 1000));
  EXPECT_TRUE(Key(kKeyUpMessage, kVkA, 1150));
  EXPECT_THAT(Events(*events_.group()), ElementsAre("4/A/0/150", "4/A/1/0"));
  // Every event reached the file at once, with the delay of the event before it.
  MacroLibrary saved(library_.path());
  ASSERT_TRUE(saved.Open().ok());
  EXPECT_THAT(Events(*saved.GroupAt(0)), ElementsAre("4/A/0/150", "4/A/1/0"));
  EXPECT_TRUE(recorder_.lastSave().ok());
  EXPECT_GE(refreshes_, 2);
}

TEST_F(RecorderTest, FixedAndNoDelayModesReplaceTheMeasuredTime) {
  store_.dlymode = kFixedDelay;
  store_.delay = 25;
  Key(kKeyDownMessage, kVkA, 1000);
  Key(kKeyUpMessage, kVkA, 1150);
  store_.dlymode = kNoDelay;
  Key(kSystemKeyDownMessage, kVkA, 1300);
  Key(kSystemKeyUpMessage, kVkA, 1500);
  EXPECT_THAT(Events(*events_.group()), ElementsAre("4/A/0/25", "4/A/1/0", "4/A/0/0", "4/A/1/0"));
}

TEST_F(RecorderTest, ARecordingContinuesAGroupFromTheClockStartWhenNothingWasCaptured) {
  events_.AddEvent(5, 0, "B", 7);
  recorder_.ResetCaptureTime();
  Key(kKeyDownMessage, kVkA, 400);
  EXPECT_THAT(Events(*events_.group()), ElementsAre("5/B/0/401", "4/A/0/0"));
}

TEST_F(RecorderTest, AReleaseIntoAnEmptyGroupIsSwallowedUnrecorded) {
  EXPECT_TRUE(Key(kKeyUpMessage, kVkA, 10));
  EXPECT_TRUE(Key(kOtherMessage, kVkA, 20));
  EXPECT_THAT(Events(*events_.group()), IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(library_.path()));
}

TEST_F(RecorderTest, KeypadEnterIsRecordedAsEnter) {
  Key(kKeyDownMessage, kVkReturn, 10);
  EXPECT_THAT(Events(*events_.group()), ElementsAre("40/Enter/0/0"));
}

TEST_F(RecorderTest, AKeyOutsideTheTableIsSwallowedAndLeavesTheDelaysAlone) {
  Key(kKeyDownMessage, kVkA, 1000);
  EXPECT_TRUE(Key(kKeyDownMessage, kVkNotInTable, 1100));
  EXPECT_TRUE(Key(kKeyUpMessage, kVkNotInTable, 1120));
  Key(kKeyUpMessage, kVkA, 1200);
  EXPECT_THAT(Events(*events_.group()), ElementsAre("4/A/0/200", "4/A/1/0"));
}

TEST_F(RecorderTest, WithoutAShownGroupNothingIsRecordedButKeysAreStillSwallowed) {
  events_.SetGroup(nullptr);
  EXPECT_TRUE(Key(kKeyDownMessage, kVkA, 10));
  EXPECT_THAT(Events(*library_.GroupAt(0)), IsEmpty());
}

TEST_F(RecorderTest, KeystrokesPassOnWhenNotCapturing) {
  recorder_.SetRecording(false);
  EXPECT_FALSE(Key(kKeyDownMessage, kVkA, 10));
  recorder_.SetRecording(true);
  for (const int page : {2, 3}) {
    recorder_.SetPage(page);
    EXPECT_FALSE(Key(kKeyDownMessage, kVkA, 10));
  }
  EXPECT_THAT(Events(*events_.group()), IsEmpty());
}

TEST_F(RecorderTest, TheSingleKeyPageCapturesTheLastKeyPressedInMemory) {
  store_.sgcode = 0x04;
  recorder_.ShowStoredSingleKey();
  EXPECT_EQ(recorder_.singleKeyName(), "A");
  EXPECT_EQ(recorder_.singleKeyUsage(), 0);

  recorder_.SetPage(MacroRecorder::kSingleKeyPage);
  recorder_.SetRecording(false);
  EXPECT_TRUE(Key(kKeyDownMessage, kVkF5, 10));
  EXPECT_EQ(recorder_.singleKeyName(), "F5");
  EXPECT_EQ(recorder_.singleKeyUsage(), 0x3E);
  EXPECT_EQ(store_.sgcode, 0x3E);
  EXPECT_TRUE(Key(kKeyUpMessage, kVkA, 20));
  EXPECT_EQ(recorder_.singleKeyUsage(), 0x3E);

  EXPECT_TRUE(Key(kSystemKeyDownMessage, kVkNotInTable, 30));
  EXPECT_EQ(recorder_.singleKeyUsage(), 0);
  EXPECT_EQ(recorder_.singleKeyName(), "F5");
  EXPECT_THAT(Events(*events_.group()), IsEmpty());
}

TEST_F(RecorderTest, AFailedSaveIsReportedAndTheEventKept) {
  // No data folder any more: not even its lock can be taken.
  std::filesystem::remove_all(folder_.Path());
  Key(kKeyDownMessage, kVkA, 10);
  EXPECT_FALSE(recorder_.lastSave().ok());
  EXPECT_THAT(Events(*events_.group()), ElementsAre("4/A/0/0"));
}

// Answers as told and notes that it was asked.
class FakeListener : public IKeyboardHookListener {
 public:
  FakeListener(std::vector<int>& asked, int id, bool swallow)
      : asked_(asked), id_(id), swallow_(swallow) {}
  bool OnKeyboardEvent(int&, std::uint32_t&, KeyboardEventRecord&) override {
    asked_.push_back(id_);
    return swallow_;
  }

 private:
  std::vector<int>& asked_;
  int id_;
  bool swallow_;
};

class KeyboardHookTest : public ::testing::Test {
 protected:
  bool systemInstalls_ = true;
  int installs_ = 0;
  KeyboardHook hook_{{[this] {
                        ++installs_;
                        return systemInstalls_;
                      },
                      [] { return true; }}};
  std::vector<int> asked_;
  FakeListener passOn_{asked_, 1, false};
  FakeListener swallow_{asked_, 2, true};
};

TEST_F(KeyboardHookTest, ListenersAreKeptOnlyWhileInstalledAndOnlyOnce) {
  EXPECT_FALSE(hook_.AddListener(&passOn_));
  EXPECT_TRUE(hook_.Install());
  EXPECT_TRUE(hook_.Install());
  EXPECT_EQ(installs_, 1);
  EXPECT_FALSE(hook_.AddListener(nullptr));
  EXPECT_TRUE(hook_.AddListener(&passOn_));
  EXPECT_TRUE(hook_.AddListener(&passOn_));
  EXPECT_TRUE(hook_.AddListener(&swallow_));
  EXPECT_THAT(hook_.listeners(), ElementsAre(&passOn_, &swallow_));

  EXPECT_TRUE(hook_.Remove());
  EXPECT_FALSE(hook_.Remove());
  hook_.RemoveListener(&passOn_);  // not while removed: the list stays
  EXPECT_THAT(hook_.listeners(), ElementsAre(&passOn_, &swallow_));
  hook_.Install();
  hook_.RemoveListener(&passOn_);
  EXPECT_THAT(hook_.listeners(), ElementsAre(&swallow_));
}

// A listener that goes away leaves the list at once, without the hook installed again for it,
// which the system may refuse.
TEST_F(KeyboardHookTest, AListenerThatGoesAwayIsForgottenInstalledOrNot) {
  hook_.Install();
  hook_.AddListener(&passOn_);
  hook_.AddListener(&swallow_);
  hook_.Remove();
  systemInstalls_ = false;
  hook_.ForgetListener(&passOn_);
  EXPECT_THAT(hook_.listeners(), ElementsAre(&swallow_));
  EXPECT_EQ(installs_, 1);
}

TEST_F(KeyboardHookTest, AHookTheSystemRefusesIsNotInstalled) {
  systemInstalls_ = false;
  EXPECT_FALSE(hook_.Install());
  EXPECT_FALSE(hook_.IsInstalled());
  EXPECT_FALSE(hook_.AddListener(&passOn_));
}

TEST_F(KeyboardHookTest, ListenersAreAskedInOrderUntilOneSwallows) {
  hook_.Install();
  hook_.AddListener(&passOn_);
  hook_.AddListener(&swallow_);
  hook_.AddListener(&passOn_);
  EXPECT_TRUE(hook_.Dispatch(kHookActionCode, kKeyDownMessage, {kVkA}));
  EXPECT_THAT(asked_, ElementsAre(1, 2));

  asked_.clear();
  EXPECT_FALSE(hook_.Dispatch(-1, kKeyDownMessage, {kVkA}));
  EXPECT_THAT(asked_, IsEmpty());

  hook_.RemoveListener(&swallow_);
  EXPECT_FALSE(hook_.Dispatch(kHookActionCode, kKeyUpMessage, {kVkA}));
  EXPECT_THAT(asked_, ElementsAre(1));
}

class EventListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.AddGroup();
    list_.SetGroup(library_.GroupAt(0));
    for (const int code : {4, 5, 6}) {
      list_.AddEvent(code, 0, "", 10);
    }
  }
  std::vector<std::string> Codes() const {
    std::vector<std::string> codes;
    for (int i = 0; i < list_.Count(); ++i) {
      codes.push_back(*list_.EventAt(i)->Attribute("code"));
    }
    return codes;
  }

  storage::test::TempFolder folder_;
  MacroLibrary library_{folder_ / "macro.xml"};
  MacroEventList list_;
};

TEST_F(EventListTest, AddsEventsWithTheLowByteOfTheirCodeAndRefusesCodeZero) {
  EXPECT_TRUE(list_.AddEvent(260, 1, "x", -5).changed);
  EXPECT_FALSE(list_.AddEvent(256, 0, "zero", 0).changed);
  EXPECT_EQ(*list_.EventAt(3)->Attribute("code"), "4");
  EXPECT_EQ(*list_.EventAt(3)->Attribute("delay"), "-5");
  EXPECT_EQ(list_.Count(), 4);
}

TEST_F(EventListTest, MovesFollowTheirRowsAndEveryChangeIsSaved) {
  EXPECT_FALSE(list_.MoveUp(0).changed);
  EXPECT_TRUE(list_.MoveUp(2).changed);
  EXPECT_THAT(Codes(), ElementsAre("4", "6", "5"));
  EXPECT_TRUE(list_.MoveDown(0).changed);
  EXPECT_THAT(Codes(), ElementsAre("6", "4", "5"));
  // Down from the last row: counted as moved, the order unchanged.
  EXPECT_TRUE(list_.MoveDown(2).changed);
  EXPECT_THAT(Codes(), ElementsAre("6", "4", "5"));
  EXPECT_TRUE(list_.DeleteEvent(MacroNode::kLast).changed);
  EXPECT_FALSE(list_.DeleteEvent(5).changed);
  EXPECT_THAT(Codes(), ElementsAre("6", "4"));

  MacroLibrary saved(library_.path());
  ASSERT_TRUE(saved.Open().ok());
  EXPECT_EQ(saved.GroupAt(0)->ChildCount(), 2);
  EXPECT_TRUE(list_.Clear().changed);
  EXPECT_EQ(list_.Count(), 0);
}

TEST_F(EventListTest, DelayEditsKeepTheTypedTextOrPutTheStoredOneBack) {
  auto edit = list_.EditDelay(0, "abc");
  EXPECT_EQ(edit.shown, "10");
  EXPECT_FALSE(edit.edit.changed);
  edit = list_.EditDelay(0, "12ms");
  EXPECT_EQ(edit.shown, "12ms");
  EXPECT_TRUE(edit.edit.changed);
  EXPECT_EQ(*list_.EventAt(0)->Attribute("delay"), "12ms");
  EXPECT_FALSE(list_.EditDelay(0, "12ms").edit.changed);
  EXPECT_TRUE(list_.EditDelay(0, " -3").edit.changed);
  EXPECT_FALSE(list_.EditDelay(0, "-").edit.changed);
  EXPECT_EQ(list_.EditDelay(0, "").shown, " -3");
}

TEST_F(EventListTest, StatesShowAsKeyDownKeyUpOrReplace) {
  list_.EventAt(1)->SetAttribute("state", "1");
  list_.EventAt(2)->SetAttribute("state", "2");
  EXPECT_EQ(MacroEventList::StateText(*list_.EventAt(0)), "key down");
  EXPECT_EQ(MacroEventList::StateText(*list_.EventAt(1)), "key up");
  EXPECT_EQ(MacroEventList::StateText(*list_.EventAt(2)), "replace");
}

TEST(EventListWithoutGroup, DoesNothing) {
  MacroEventList list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.EventAt(0), nullptr);
  EXPECT_FALSE(list.AddEvent(4, 0, "A", 0).changed);
  EXPECT_FALSE(list.Clear().changed);
  EXPECT_FALSE(list.MoveDown(0).changed);
}

}  // namespace
}  // namespace keyloom::macro
