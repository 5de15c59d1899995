#include "macro_dialog/MacroRecordingStrip.h"

#include <QString>
#include <utility>

#include <QLatin1StringView>

#include "controls/SCheckBoxEx.h"
#include "macro_dialog/DialogPage.h"
#include "macro_dialog/MacroLibraryEditor.h"
#include "macro_dialog/WholeText.h"
#include "settings/NumberText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SCheckBox.h"
#include "ui/widgets/SEdit.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kRecordBox("chk_macro_record");
constexpr QLatin1StringView kFixedDelayEdit("edit_macro_delay_time");

// The delay-mode boxes, looked up and told apart by id, in the order of DelayMode.
constexpr std::array<int, 3> kDelayModeBoxIds = {65570, 65571, 65572};

constexpr const char* kStartRecordText = "Start record";
constexpr const char* kStopRecordText = "Stop record";

}  // namespace

MacroRecordingStrip::MacroRecordingStrip(PageContext& context, MacroRecorder& recorder,
                                         const MacroEventList& events,
                                         const MacroLibraryEditor& editor,
                                         std::function<void()> recordingChanged)
    : context_(context),
      recorder_(recorder),
      events_(events),
      editor_(editor),
      recordingChanged_(std::move(recordingChanged)) {
  stopRecording_.setSingleShot(true);
  stopRecording_.setInterval(0);
  QObject::connect(&stopRecording_, &QTimer::timeout, &stopRecording_, [this] { StopRecording(); });
}

void MacroRecordingStrip::Bind(const ui::SHostWnd& window) {
  recorder_.ResetCaptureTime();
  AssignmentStore& store = context_.Store();
  if (store.dlymode >= 3) {
    store.dlymode = kRealDelay;
    context_.SaveStore();
  }
  for (std::size_t mode = 0; mode < kDelayModeBoxIds.size(); ++mode) {
    delayModeBoxes_[mode] =
        window.FindChildByID2(kDelayModeBoxIds[mode], ui::SCheckBox::kClassName);
    if (delayModeBoxes_[mode] != nullptr) {
      delayModeBoxes_[mode]->SetCheck(static_cast<std::int32_t>(mode) == store.dlymode);
    }
  }
  delayEdit_ = window.FindChildByName2<ui::SEdit>(kFixedDelayEdit);
  recordBox_ = window.FindChildByName2<controls::SCheckBoxEx>(kRecordBox);
}

void MacroRecordingStrip::ShowStored() {
  const AssignmentStore& store = context_.Store();
  if (delayEdit_ != nullptr) {
    // Shown whole, whatever the edit's limit for typing.
    ShowWholeText(*delayEdit_, QString::number(store.delay));
    if (store.dlymode == kNoDelay) {
      delayEdit_->SetText(QStringLiteral("0"));
    }
    if (store.dlymode == kRealDelay || store.dlymode == kNoDelay) {
      delayEdit_->setEnabled(false);
    }
  }
  if (recordBox_ != nullptr) {
    recordBox_->SetCheck(false);
  }
}

void MacroRecordingStrip::Listen() {
  if (recordBox_ != nullptr) {
    recordBox_->Subscribe(ui::kEventCommand, [this](ui::EventArgs& args) {
      args.handled = true;
      OnRecordClicked();
    });
  }
  if (delayEdit_ != nullptr) {
    delayEdit_->Subscribe(ui::kEventRichEditNotify, [this](ui::EventArgs& args) {
      args.handled = true;
      if (args.code == ui::kRichEditTextChanged) {
        OnDelayChanged();
      }
    });
  }
}

void MacroRecordingStrip::Unbind() {
  recordBox_ = nullptr;
  delayEdit_ = nullptr;
  delayModeBoxes_.fill(nullptr);
}

bool MacroRecordingStrip::OnCommand(const ui::EventArgs& args) {
  if (args.senderId < kDelayModeBoxIds.front() || args.senderId > kDelayModeBoxIds.back()) {
    return false;
  }
  OnDelayModeClicked(args.senderId - kDelayModeBoxIds.front());
  return true;
}

bool MacroRecordingStrip::Recording() const {
  return recordBox_ != nullptr && recordBox_->IsChecked();
}

bool MacroRecordingStrip::OnKeyboardEvent(int& hookCode, std::uint32_t& message,
                                          KeyboardEventRecord& record) {
  const bool recording = Recording();
  // The box is cleared after the hook has answered, since clearing it takes the hook away.
  if (recording && context_.WorkedFromKeyboard() && record.vkCode == kEscapeVirtualKey) {
    if (IsKeyPress(message)) {
      stopRecording_.start();
    }
    return true;
  }
  if (recording && awaitingFirstPress_) {
    if (!IsKeyPress(message)) {
      return true;
    }
    awaitingFirstPress_ = false;
  }
  recorder_.SetPage(MacroRecorder::kMacroPage);
  recorder_.SetRecording(recording);
  const int eventsBefore = events_.Count();
  const bool swallowed = recorder_.OnKeyboardEvent(hookCode, message, record);
  if (events_.Count() != eventsBefore) {
    context_.Problems().NoteLibrarySave(recorder_.lastSave());
  }
  return swallowed;
}

void MacroRecordingStrip::OnRecordClicked() {
  if (recordBox_ == nullptr) {
    return;
  }
  // Recording needs a group to record into.
  if (!editor_.HasSelection()) {
    recordBox_->SetCheck(false);
  }
  const bool recording = recordBox_->IsChecked();
  awaitingFirstPress_ = recording && context_.WorkedFromKeyboard();
  recordBox_->SetText(QLatin1String(recording ? kStopRecordText : kStartRecordText));
  recordingChanged_();
}

void MacroRecordingStrip::StopRecording() {
  if (Recording()) {
    recordBox_->SetCheck(false);
    OnRecordClicked();
  }
}

void MacroRecordingStrip::OnDelayModeClicked(int mode) {
  for (std::size_t box = 0; box < delayModeBoxes_.size(); ++box) {
    if (delayModeBoxes_[box] != nullptr) {
      delayModeBoxes_[box]->SetCheck(static_cast<int>(box) == mode);
    }
  }
  AssignmentStore& store = context_.Store();
  store.dlymode = mode;
  context_.SaveStore();
  if (delayEdit_ == nullptr) {
    return;
  }
  if (mode == kFixedDelay) {
    delayEdit_->setEnabled(true);
    ShowWholeText(*delayEdit_, QString::number(store.delay));
  } else {
    if (mode == kNoDelay) {
      delayEdit_->SetText(QStringLiteral("0"));
    }
    delayEdit_->setEnabled(false);
  }
}

void MacroRecordingStrip::OnDelayChanged() {
  AssignmentStore& store = context_.Store();
  if (store.dlymode == kFixedDelay) {
    store.delay = settings::ReadDecimalInt32(delayEdit_->GetText().toStdString());
    context_.SaveStore();
  }
}

}  // namespace keyloom::macro
