#pragma once

#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>

#include "macro/MacroEventList.h"
#include "macro/MacroRecorder.h"
#include "macro_dialog/PageContext.h"

namespace keyloom::ui {
class SEdit;
class SHostWnd;
class SWindow;
struct EventArgs;
}  // namespace keyloom::ui

namespace keyloom::macro {

class MacroLibraryEditor;

// The macro page's recording strip: "chk_macro_record" records keystrokes into the group shown
// while it is checked (only with a group selected; its text says "Stop record" meanwhile), and
// the three delay-mode boxes choose, as radio buttons do, which delays the recording keeps: the
// real ones, the fixed delay of "edit_macro_delay_time" (the store's "delay", editable only in
// that mode), or none (the edit shows 0). The mode is the store's "dlymode"; a mode of 3 or above
// becomes real delays, saved, when the strip is bound.
//
// Worked from the keyboard, Escape ends a recording instead of being recorded, the one way out
// of a capture that takes every other key, and a recording started from the keyboard records no
// key release before its first key press (the release of Space or Enter that started it). Each
// event recorded saves the library; its save goes to the problems line.
class MacroRecordingStrip {
 public:
  // `recordingChanged` is called whenever the box was clicked, or cleared on Escape. None is
  // owned; all must outlive the strip.
  MacroRecordingStrip(PageContext& context, MacroRecorder& recorder, const MacroEventList& events,
                      const MacroLibraryEditor& editor, std::function<void()> recordingChanged);

  void Bind(const ui::SHostWnd& window);
  void ShowStored();
  void Listen();
  void Unbind();
  // The delay-mode boxes, told apart by id.
  bool OnCommand(const ui::EventArgs& args);

  [[nodiscard]] bool Recording() const;
  bool OnKeyboardEvent(int& hookCode, std::uint32_t& message, KeyboardEventRecord& record);

 private:
  void OnRecordClicked();
  // Clears the box, as a click on it would.
  void StopRecording();
  void OnDelayModeClicked(int mode);
  void OnDelayChanged();

  PageContext& context_;
  MacroRecorder& recorder_;
  const MacroEventList& events_;
  const MacroLibraryEditor& editor_;
  std::function<void()> recordingChanged_;
  ui::SWindow* recordBox_ = nullptr;
  ui::SEdit* delayEdit_ = nullptr;
  // The boxes of the delay modes (DelayMode): real, fixed, none.
  std::array<ui::SWindow*, 3> delayModeBoxes_{};
  // The recording was started from the keyboard and has seen no key press yet.
  bool awaitingFirstPress_ = false;
  // Ends a recording once the hook has answered for the Escape that asked for it.
  QTimer stopRecording_;
};

}  // namespace keyloom::macro
