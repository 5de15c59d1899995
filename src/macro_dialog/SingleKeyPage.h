#pragma once

#include "macro/MacroRecorder.h"
#include "macro_dialog/DialogPage.h"
#include "macro_dialog/PageContext.h"

namespace keyloom::ui {
class SStatic;
class SWindow;
}  // namespace keyloom::ui

namespace keyloom::macro {

// The single-key page: while it is shown, the key pressed becomes the key to assign (the
// recorder's single key, the store's "sgcode" in memory only), its name shown in
// "edit_single_key", whose user value holds its usage (0 until a key of the key name table is
// pressed on the page: OK then chooses nothing). "chk_single_record" only tells that keys are
// captured here and is never checked.
//
// Worked with the mouse, every key press is captured while the page is shown. Worked from the
// keyboard (opened from it, or the focus moved with it), the page takes one key press and never
// Escape, which cancels the dialog; the keys after it move the focus and press the buttons
// again (Tab to OK), until the page is shown again.
class SingleKeyPage : public DialogPage {
 public:
  // Neither is owned; both must outlive the page.
  SingleKeyPage(PageContext& context, MacroRecorder& recorder);

  [[nodiscard]] keymap::ContentKind Kind() const override {
    return keymap::ContentKind::kSingleKey;
  }
  void Bind(const ui::SHostWnd& window) override;
  void TakeCurrent(const keymap::KeyContent& current) override;
  void ShowStored() override;
  void Listen(const ui::SHostWnd& /*window*/) override {}
  void Unbind() override;

  void OnShown() override { taken_ = false; }
  [[nodiscard]] bool Captures() const override { return true; }
  bool OnKeyboardEvent(int& hookCode, std::uint32_t& message, KeyboardEventRecord& record) override;
  [[nodiscard]] keymap::BuiltContent Content() const override;

 private:
  PageContext& context_;
  MacroRecorder& recorder_;
  ui::SStatic* keyText_ = nullptr;
  ui::SWindow* captureBox_ = nullptr;
  // Worked from the keyboard, the page has taken its key.
  bool taken_ = false;
};

}  // namespace keyloom::macro
