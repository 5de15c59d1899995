#pragma once

#include <array>

namespace keyloom::ui {
class SHostWnd;
class SWindow;
}  // namespace keyloom::ui

namespace keyloom::app {

// The controls of the main window that send something to the keyboard: the keyboard picture
// (key clicks), the list of the profile's assignments (whose rows open a key's dialog), the
// profile list, the profile copy, the lighting card and the factory restore. While the keyboard
// is not connected they are disabled, since whatever they sent would be lost, and a notice over
// the keyboard picture says why until the keyboard is back.
class KeyboardControls {
 public:
  // The controls, by name in the main layout.
  static constexpr std::array<const char*, 6> kControlNames = {
      "img_keyboard",     "btn_assignments", "cmb_profile",
      "btn_copy_profile", "lighting_card",   "btn_restore_factory"};
  static constexpr const char* kNoticeName = "disconnected_notice";

  // Finds the controls and the notice in `host`; null lets go of them.
  void Attach(const ui::SHostWnd* host);

  // Enables the controls and hides the notice for a connected keyboard; otherwise disables the
  // controls and shows the notice, unless `otherNotice` (the permission notice) takes its place.
  void Show(bool connected, bool otherNotice);
  // As last shown; before the first Show, not connected.
  [[nodiscard]] bool Connected() const { return connected_; }

 private:
  std::array<ui::SWindow*, kControlNames.size()> controls_{};
  ui::SWindow* notice_ = nullptr;
  bool connected_ = false;
};

}  // namespace keyloom::app
