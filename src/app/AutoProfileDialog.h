#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "autoprofile/AutoProfileFile.h"
#include "autoprofile/FocusWatcher.h"
#include "autoprofile/FocusedWindow.h"
#include "ui/host/SHostDialog.h"

namespace keyloom::ui {
class SComboBox;
class SEdit;
class SMcListView;
class SStatic;
class SWindow;
}  // namespace keyloom::ui

namespace keyloom::app {

class RulesAdapter;

// The rules of profiles that follow the application, from LAYOUT:autoprofile, reached from the
// "more" menu: switching on or off ("chk_autoprofile_on"), the rules in order ("lst_rules": the
// window class, the program, the profile), moving the selected rule up or down or removing it,
// its profile ("cmb_rule_profile", which new rules take too), a rule added for a typed window
// class ("edit_rule_class", "btn_rule_add") or for the application of an open window picked from
// a list ("btn_rule_pick"), and the profile of every other application ("cmb_default_profile").
// Every change goes into the rules file at once, as keyloomctl's do (AutoProfileFile::Update), so
// that the window's switching follows it at the next change of application; a change that cannot
// be saved is not made, and the dialog says why ("text_autoprofile_problem"). Where the focus
// cannot be watched here, "text_autoprofile_limit" says so.
class AutoProfileDialog : public ui::SHostDialog {
 public:
  static constexpr const char* kLayoutName = "LAYOUT:autoprofile";
  static constexpr const char* kWindowsMenu = "SMENUEX:menu_windows";
  // The item of the windows' list that stands for none.
  static constexpr int kNoWindowsItem = 2;

  // Texts of the dialog, shown translated.
  static constexpr const char* kAnyText = "Any";
  static constexpr const char* kNotSavedText = "The rules could not be saved: %1";
  static constexpr const char* kTypeFirstText =
      "Type a window class or a program's file name first.";
  static constexpr const char* kWindowItemText = "%1 (program %2)";

  struct Environment {
    // The rules file, autoprofile::kAutoProfileFileName in the user's data folder.
    std::filesystem::path rulesFile;
    // The open windows of the display (FocusWatcher::Windows); unset: none can be listed.
    std::function<std::vector<autoprofile::FocusedWindow>()> windows;
    // Why the focus cannot be watched here, if it cannot.
    std::optional<autoprofile::FocusWatchLimit> limit;
  };

  explicit AutoProfileDialog(Environment environment);
  ~AutoProfileDialog() override;

  AutoProfileDialog(const AutoProfileDialog&) = delete;
  AutoProfileDialog& operator=(const AutoProfileDialog&) = delete;

  // The rules as the file held them after the last read or change.
  [[nodiscard]] const autoprofile::AutoProfileRules& Rules() const { return file_.rules(); }

  void OnInitDialog() override;
  void OnEvent(ui::EventArgs& args) override;

  // The applications of the open windows that the pick offers: one per application, Keyloom's
  // own and nameless windows left out, in the window manager's order.
  [[nodiscard]] static std::vector<autoprofile::FocusedWindow> Applications(
      const std::vector<autoprofile::FocusedWindow>& windows);

 private:
  // Makes `change` in the file and shows the rules as it then holds them.
  void Change(const autoprofile::AutoProfileFile::Change& change);
  // Shows the rules, the switch and the default as the file holds them.
  void ShowRules();
  void ShowProblem(const QString& problem);
  [[nodiscard]] std::optional<std::size_t> SelectedRule() const;
  void SelectRule(std::optional<std::size_t> index);
  [[nodiscard]] int ChosenProfile() const;
  void AddRule(autoprofile::AppRule rule);
  void PickWindow();

  Environment environment_;
  autoprofile::AutoProfileFile file_;
  std::shared_ptr<RulesAdapter> adapter_;
  // The applications offered by the last pick, by item.
  std::vector<autoprofile::FocusedWindow> offered_;
  // Set while the dialog shows the file's state in its controls, whose handlers then do nothing.
  bool showing_ = false;

  ui::SWindow* switchBox_ = nullptr;
  ui::SMcListView* list_ = nullptr;
  ui::SComboBox* ruleProfile_ = nullptr;
  ui::SComboBox* defaultProfile_ = nullptr;
  ui::SEdit* classEdit_ = nullptr;
  ui::SStatic* problem_ = nullptr;
};

}  // namespace keyloom::app
