#pragma once

#include <functional>
#include <memory>

#include "macro/MacroLibrary.h"
#include "macro/MacroRecorder.h"
#include "macro_dialog/DialogPage.h"
#include "macro_dialog/MacroLibraryEditor.h"
#include "macro_dialog/MacroRecordingStrip.h"
#include "macro_dialog/PageContext.h"

class QWidget;

namespace keyloom::ui {
class SEdit;
class SStatic;
}  // namespace keyloom::ui

namespace keyloom::macro {

class KeyAndDelayAdapter;

// The macro page: the library's editor (MacroLibraryEditor), the recording strip
// (MacroRecordingStrip) and how many times the macro plays, "edit_macro_repeat_times" (the
// store's "repeat"). The count takes 1 to 255 only: "text_repeat_problem" says why another is
// refused, the store keeping the count last taken, and OK leaves the dialog open meanwhile, the
// focus on the count. OK gives the keys the group selected, by its name, played that many times
// (keymap::MacroContent); without a group selected nothing is chosen. Keystrokes are captured
// while a recording is on.
class MacroPage : public DialogPage {
 public:
  // `events` is the events list's adapter, whose list the recorder appends to; the library and
  // the recorder must outlive the page, as must `fileDialogOwner`. `captureChanged` is called
  // when a recording starts or ends.
  MacroPage(PageContext& context, MacroLibrary& library,
            const std::shared_ptr<KeyAndDelayAdapter>& events, MacroRecorder& recorder,
            QWidget& fileDialogOwner, std::function<void()> captureChanged);

  [[nodiscard]] keymap::ContentKind Kind() const override { return keymap::ContentKind::kMacro; }
  void Bind(const ui::SHostWnd& window) override;
  // The repeat count, and the first group of the current content's name.
  void TakeCurrent(const keymap::KeyContent& current) override;
  void ShowStored() override;
  void Listen(const ui::SHostWnd& window) override;
  void Unbind() override;

  bool OnCommand(const ui::EventArgs& args) override;
  [[nodiscard]] bool Captures() const override { return recording_.Recording(); }
  bool OnKeyboardEvent(int& hookCode, std::uint32_t& message, KeyboardEventRecord& record) override;
  bool AcceptsOk() override;
  [[nodiscard]] keymap::BuiltContent Content() const override;

 private:
  [[nodiscard]] bool RepeatTaken() const;
  void OnRepeatChanged();
  // Why the repeat count is refused, if it is.
  void ShowRepeatCheck();

  PageContext& context_;
  MacroLibrary& library_;
  MacroLibraryEditor editor_;
  MacroRecordingStrip recording_;
  ui::SEdit* repeatEdit_ = nullptr;
  ui::SStatic* repeatProblem_ = nullptr;
};

}  // namespace keyloom::macro
