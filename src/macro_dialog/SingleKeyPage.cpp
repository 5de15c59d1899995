#include "macro_dialog/SingleKeyPage.h"

#include <QString>

#include <QLatin1StringView>

#include "controls/SCheckBoxEx.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SStatic.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kKeyText("edit_single_key");
constexpr QLatin1StringView kCaptureBox("chk_single_record");

}  // namespace

SingleKeyPage::SingleKeyPage(PageContext& context, MacroRecorder& recorder)
    : context_(context), recorder_(recorder) {}

void SingleKeyPage::Bind(const ui::SHostWnd& window) {
  captureBox_ = window.FindChildByName2<controls::SCheckBoxEx>(kCaptureBox);
  keyText_ = window.FindChildByName2<ui::SStatic>(kKeyText);
}

void SingleKeyPage::TakeCurrent(const keymap::KeyContent& current) {
  context_.Store().sgcode = current.target;
}

void SingleKeyPage::ShowStored() {
  if (captureBox_ != nullptr) {
    captureBox_->SetCheck(false);
  }
  recorder_.ShowStoredSingleKey();
  if (keyText_ != nullptr) {
    keyText_->SetText(QString::fromStdString(recorder_.singleKeyName()));
  }
}

void SingleKeyPage::Unbind() {
  keyText_ = nullptr;
  captureBox_ = nullptr;
}

bool SingleKeyPage::OnKeyboardEvent(int& hookCode, std::uint32_t& message,
                                    KeyboardEventRecord& record) {
  if (context_.WorkedFromKeyboard() && (taken_ || record.vkCode == kEscapeVirtualKey)) {
    return false;
  }
  recorder_.SetPage(MacroRecorder::kSingleKeyPage);
  const bool swallowed = recorder_.OnKeyboardEvent(hookCode, message, record);
  if (IsKeyPress(message) && keyText_ != nullptr) {
    const std::uint8_t usage = recorder_.singleKeyUsage();
    if (usage != 0) {
      keyText_->SetText(QString::fromStdString(recorder_.singleKeyName()));
    }
    keyText_->SetUserData(usage);
    taken_ = context_.WorkedFromKeyboard();
  }
  return swallowed;
}

keymap::BuiltContent SingleKeyPage::Content() const {
  return keymap::SingleKeyContent(
      static_cast<std::uint8_t>(keyText_ != nullptr ? keyText_->GetUserData() : 0U));
}

}  // namespace keyloom::macro
