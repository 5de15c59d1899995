#pragma once

#include <QString>
#include <string>

namespace keyloom::ui {
class SHostWnd;
class SWindow;
}  // namespace keyloom::ui

namespace keyloom::app {

// The notice over the keyboard picture that says why a keyboard that is plugged in cannot be
// opened: where it was found, that this user may not open it and, for a hidraw node, that the
// udev rule is missing or not applied yet, with the command that applies it (and a button that
// copies the command). It stays until Hide: until the keyboard connects, or is gone.
//
// Its texts are in the current language; the path is not a text of the translations, so after
// a language change Retranslate shows them again.
class PermissionNotice {
 public:
  // Names in the main layout: the panel, its texts and the copy button.
  static constexpr const char* kPanelName = "permission_notice";
  static constexpr const char* kTextName = "permission_notice_text";
  static constexpr const char* kCommandName = "permission_notice_command";
  static constexpr const char* kNoteName = "permission_notice_note";
  static constexpr const char* kCopyButtonName = "btn_copy_command";

  // Texts, as the translations know them; %1 is the path, or the command that installs the rule.
  static constexpr const char* kFoundText =
      "The keyboard was found at %1, but this user may not open it.";
  static constexpr const char* kUdevRuleText =
      "The udev rule 70-keyloom.rules, which lets the user logged in at this machine open the "
      "keyboard, is missing or not yet applied. Run this command in a terminal, or unplug the "
      "keyboard and plug it in again:";
  static constexpr const char* kInstallRuleText =
      "Without the keyloom package, install the rule from a build tree first: %1. The rule gives "
      "access to the user at the machine itself, not over SSH.";
  static constexpr const char* kCopiedText = "The command was copied to the clipboard.";

  // Finds the panel and its parts in `host` and hides the panel; null detaches.
  void Attach(const ui::SHostWnd* host);

  // Shows the notice for the interface at `path` that could not be opened.
  void Show(const std::string& path);
  void Hide();
  [[nodiscard]] bool IsShown() const { return shown_; }

  // Shows the texts again in the current language.
  void Retranslate();

  // Puts kApplyRuleCommand into the clipboard.
  static void CopyCommand();

 private:
  ui::SWindow* panel_ = nullptr;
  ui::SWindow* text_ = nullptr;
  ui::SWindow* command_ = nullptr;
  ui::SWindow* note_ = nullptr;
  ui::SWindow* copyButton_ = nullptr;
  QString path_;
  bool shown_ = false;
};

}  // namespace keyloom::app
