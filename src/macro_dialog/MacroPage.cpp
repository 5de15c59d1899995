#include "macro_dialog/MacroPage.h"

#include <QString>
#include <utility>

#include <QLatin1StringView>

#include "macro/RepeatCount.h"
#include "macro_dialog/KeyAndDelayAdapter.h"
#include "macro_dialog/WholeText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SStatic.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kRepeatEdit("edit_macro_repeat_times");
constexpr QLatin1StringView kRepeatProblem("text_repeat_problem");

constexpr const char* kRepeatEmptyText = "Enter how many times the macro plays: 1 to 255.";
constexpr const char* kRepeatNotANumberText = "Enter a whole number from 1 to 255.";
constexpr const char* kRepeatTooFewText = "A macro plays at least once: enter 1 to 255.";
constexpr const char* kRepeatTooManyText = "A macro plays at most 255 times: enter 1 to 255.";

const char* RepeatProblemText(RepeatCount::Problem problem) {
  switch (problem) {
    case RepeatCount::Problem::kEmpty:
      return kRepeatEmptyText;
    case RepeatCount::Problem::kNotANumber:
      return kRepeatNotANumberText;
    case RepeatCount::Problem::kTooFew:
      return kRepeatTooFewText;
    case RepeatCount::Problem::kTooMany:
      return kRepeatTooManyText;
    case RepeatCount::Problem::kNone:
      break;
  }
  return nullptr;
}

}  // namespace

MacroPage::MacroPage(PageContext& context, MacroLibrary& library,
                     const std::shared_ptr<KeyAndDelayAdapter>& events, MacroRecorder& recorder,
                     QWidget& fileDialogOwner, std::function<void()> captureChanged)
    : context_(context),
      library_(library),
      editor_(context, library, events, fileDialogOwner),
      recording_(context, recorder, events->Events(), editor_, std::move(captureChanged)) {}

void MacroPage::Bind(const ui::SHostWnd& window) {
  editor_.Bind(window);
  recording_.Bind(window);
  repeatEdit_ = window.FindChildByName2<ui::SEdit>(kRepeatEdit);
  repeatProblem_ = window.FindChildByName2<ui::SStatic>(kRepeatProblem);
}

void MacroPage::TakeCurrent(const keymap::KeyContent& current) {
  AssignmentStore& store = context_.Store();
  store.repeat = current.repeat;
  for (int index = 0; index < library_.GroupCount(); ++index) {
    if (library_.GroupAt(index)->Attribute(kNameAttribute) == current.name) {
      store.groupsel = index;
      break;
    }
  }
}

void MacroPage::ShowStored() {
  recording_.ShowStored();
  if (repeatEdit_ != nullptr) {
    // Shown whole, whatever the edit's limit for typing.
    ShowWholeText(*repeatEdit_, QString::number(context_.Store().repeat));
  }
  ShowRepeatCheck();
  editor_.ShowStored();
}

void MacroPage::Listen(const ui::SHostWnd& /*window*/) {
  editor_.Listen();
  recording_.Listen();
  if (repeatEdit_ != nullptr) {
    repeatEdit_->Subscribe(ui::kEventRichEditNotify, [this](ui::EventArgs& args) {
      args.handled = true;
      if (args.code == ui::kRichEditTextChanged) {
        OnRepeatChanged();
      }
    });
  }
}

void MacroPage::Unbind() {
  editor_.Unbind();
  recording_.Unbind();
  repeatEdit_ = nullptr;
  repeatProblem_ = nullptr;
}

bool MacroPage::OnCommand(const ui::EventArgs& args) {
  return editor_.OnCommand(args) || recording_.OnCommand(args);
}

bool MacroPage::OnKeyboardEvent(int& hookCode, std::uint32_t& message,
                                KeyboardEventRecord& record) {
  return recording_.OnKeyboardEvent(hookCode, message, record);
}

bool MacroPage::AcceptsOk() {
  // A macro with a refused repeat count would be sent as something else.
  if (RepeatTaken()) {
    return true;
  }
  repeatEdit_->setFocus();
  return false;
}

keymap::BuiltContent MacroPage::Content() const {
  return keymap::MacroContent(editor_.SelectedGroup(), context_.Store().repeat);
}

bool MacroPage::RepeatTaken() const {
  return repeatEdit_ == nullptr || ReadRepeatCount(repeatEdit_->GetText().toStdString()).ok();
}

void MacroPage::OnRepeatChanged() {
  // A refused count is not kept: the store holds the count last taken.
  AssignmentStore& store = context_.Store();
  const RepeatCount count = ReadRepeatCount(repeatEdit_->GetText().toStdString());
  if (count.ok() && count.value != store.repeat) {
    store.repeat = count.value;
    context_.SaveStore();
  }
  ShowRepeatCheck();
}

void MacroPage::ShowRepeatCheck() {
  if (repeatEdit_ == nullptr || repeatProblem_ == nullptr) {
    return;
  }
  const RepeatCount count = ReadRepeatCount(repeatEdit_->GetText().toStdString());
  repeatProblem_->setVisible(!count.ok());
  repeatProblem_->SetText(count.ok() ? QString()
                                     : QString::fromUtf8(RepeatProblemText(count.problem)));
}

}  // namespace keyloom::macro
