#include "macro/MacroRecorder.h"

#include <optional>
#include <string>

#include "protocol/KeyNameTable.h"

namespace keyloom::macro {

namespace {

constexpr std::int32_t kPressedState = 0;
constexpr std::int32_t kReleasedState = 1;

bool IsKeyDown(std::uint32_t message) {
  return message == kKeyDownMessage || message == kSystemKeyDownMessage;
}

bool IsKeyUp(std::uint32_t message) {
  return message == kKeyUpMessage || message == kSystemKeyUpMessage;
}

}  // namespace

MacroRecorder::MacroRecorder(AssignmentStore& store, MacroEventList& events,
                             const protocol::Clock& clock)
    : store_(store), events_(events), clock_(clock) {}

void MacroRecorder::ShowStoredSingleKey() {
  const auto usage = static_cast<std::uint8_t>(static_cast<std::uint32_t>(store_.sgcode) & 0xFFU);
  singleKeyName_ = std::string(protocol::NameFromUsage(usage).value_or(""));
}

bool MacroRecorder::OnKeyboardEvent(int&, std::uint32_t& message, KeyboardEventRecord& record) {
  switch (page_) {
    case kMacroPage:
      return OnMacroPage(message, record);
    case kSingleKeyPage:
      return OnSingleKeyPage(message, record);
    default:
      return false;
  }
}

bool MacroRecorder::OnMacroPage(std::uint32_t message, const KeyboardEventRecord& record) {
  if (!recording_) {
    return false;
  }
  const bool down = IsKeyDown(message);
  // A release only continues a recording; into an empty group it is swallowed unrecorded.
  if (!(down || (IsKeyUp(message) && events_.Count() > 0))) {
    return true;
  }
  // A key outside the table is swallowed without a trace: it neither ends the pause that the
  // previous event's delay measures nor restarts the clock for the next one.
  const std::optional<std::uint8_t> usage = protocol::UsageFromVirtualKey(record.vkCode);
  if (!usage) {
    return true;
  }
  const std::int64_t now = clock_.NowMs();
  // Modes other than fixed and none measure the real delay; the dialog turns modes of 3 and
  // above into real delays when it opens.
  std::int64_t delay = now - lastCaptureMs_;
  if (store_.dlymode == kFixedDelay) {
    delay = store_.delay;
  } else if (store_.dlymode == kNoDelay) {
    delay = 0;
  }
  // The event before gets its delay in the same update that appends the new one, so that both
  // reach the file together.
  const storage::EditResult added = events_.Edit(
      [&](MacroNode& group) {
        if (MacroNode* last = group.ChildAt(group.ChildCount() - 1)) {
          last->SetAttribute(kDelayAttribute, std::to_string(delay));
        }
        return MacroEventList::AppendEvent(group, *usage, down ? kPressedState : kReleasedState,
                                           protocol::NameFromUsage(*usage).value_or(""), 0);
      },
      MacroLibrary::WhenChangedOnDisk::kChangeTheNewContent);
  if (added.changed) {
    lastSave_ = added.saved;
  }
  events_.Refresh();
  lastCaptureMs_ = now;
  return true;
}

bool MacroRecorder::OnSingleKeyPage(std::uint32_t message, const KeyboardEventRecord& record) {
  if (!IsKeyDown(message)) {
    return true;
  }
  const std::optional<std::uint8_t> usage = protocol::UsageFromVirtualKey(record.vkCode);
  if (!usage) {
    singleKeyUsage_ = 0;
    return true;
  }
  singleKeyName_ = std::string(protocol::NameFromUsage(*usage).value_or(""));
  store_.sgcode = *usage;
  singleKeyUsage_ = *usage;
  return true;
}

}  // namespace keyloom::macro
