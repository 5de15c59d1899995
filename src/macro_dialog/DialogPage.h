#pragma once

#include <cstdint>

#include "keymap/ContentBuilder.h"
#include "keymap/KeyContent.h"
#include "macro/KeyboardEventRecord.h"

namespace keyloom::ui {
class SHostWnd;
struct EventArgs;
}  // namespace keyloom::ui

namespace keyloom::macro {

// One page of the key assignment dialog's "tab_macro_mode_selection": the choice of one kind of
// content, kept in the store (PageContext). The dialog (MacroRecordDlg) drives its pages alike:
// - when its window is built: Bind (the page finds its controls in the window, leaving out any
//   that is missing, and makes them ready), TakeCurrent (only for the page of what the key does
//   now), ShowStored (the store's choices shown, no file changed), then Listen (from here on every
//   change the user makes is saved at once);
// - while the window lives: OnCommand for every click that no control took, on any page;
//   OnShown when the user turns to the page; while it is the page shown, Captures and
//   OnKeyboardEvent for the keystrokes, and at OK AcceptsOk, then Content;
// - Unbind when the window goes: its controls are gone.
class DialogPage {
 public:
  DialogPage() = default;
  virtual ~DialogPage() = default;

  DialogPage(const DialogPage&) = delete;
  DialogPage& operator=(const DialogPage&) = delete;

  // The kind of content the page chooses.
  [[nodiscard]] virtual keymap::ContentKind Kind() const = 0;

  virtual void Bind(const ui::SHostWnd& window) = 0;
  // The store's choices of this page as `current`, of the page's kind, makes them, in memory
  // only; a choice that the library or the catalogue no longer holds stays as it was.
  virtual void TakeCurrent(const keymap::KeyContent& current) = 0;
  virtual void ShowStored() = 0;
  virtual void Listen(const ui::SHostWnd& window) = 0;
  virtual void Unbind() = 0;

  // A click of a control, told apart by its name or id; answers whether it was the page's.
  virtual bool OnCommand(const ui::EventArgs& /*args*/) { return false; }
  virtual void OnShown() {}
  // Whether keystrokes are captured while the page is shown: the dialog then holds the hook.
  [[nodiscard]] virtual bool Captures() const { return false; }
  // A keystroke while the page is shown; answers whether it is swallowed.
  virtual bool OnKeyboardEvent(int& /*hookCode*/, std::uint32_t& /*message*/,
                               KeyboardEventRecord& /*record*/) {
    return false;
  }
  // Whether OK may take the page's choice; a page that refuses shows why, and the dialog stays.
  virtual bool AcceptsOk() { return true; }
  // What the page picks for the keys; without content nothing valid is chosen.
  [[nodiscard]] virtual keymap::BuiltContent Content() const = 0;
};

// Escape, by its Windows virtual-key code: worked from the keyboard, the key that a capture
// leaves alone.
inline constexpr std::uint32_t kEscapeVirtualKey = 0x1B;

[[nodiscard]] inline bool IsKeyPress(std::uint32_t message) {
  return message == kKeyDownMessage || message == kSystemKeyDownMessage;
}

}  // namespace keyloom::macro
