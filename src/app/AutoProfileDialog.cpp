#include "app/AutoProfileDialog.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <utility>

#include <pugixml.hpp>

#include "app/AutoProfileSwitching.h"
#include "app/Language.h"
#include "app/TrayCommands.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/PopupMenu.h"
#include "ui/host/SApplication.h"
#include "ui/widgets/AdapterBase.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SMcListView.h"
#include "ui/widgets/SStatic.h"

namespace keyloom::app {

namespace {

using autoprofile::AppRule;
using autoprofile::AutoProfileRules;
using autoprofile::FocusedWindow;

constexpr QLatin1StringView kSwitchBox("chk_autoprofile_on");
constexpr QLatin1StringView kLimitText("text_autoprofile_limit");
constexpr QLatin1StringView kRuleList("lst_rules");
constexpr QLatin1StringView kRuleProfile("cmb_rule_profile");
constexpr QLatin1StringView kDefaultProfile("cmb_default_profile");
constexpr QLatin1StringView kClassEdit("edit_rule_class");
constexpr QLatin1StringView kProblemText("text_autoprofile_problem");
constexpr QLatin1StringView kUpButton("btn_rule_up");
constexpr QLatin1StringView kDownButton("btn_rule_down");
constexpr QLatin1StringView kRemoveButton("btn_rule_remove");
constexpr QLatin1StringView kAddButton("btn_rule_add");
constexpr QLatin1StringView kPickButton("btn_rule_pick");
constexpr QLatin1StringView kOkButton("btnOK");
constexpr QLatin1StringView kCancelButton("btnCancel");
// Each open application's item of the pick is named so, with its index.
constexpr QLatin1StringView kWindowItem("pick_window_");

QString Utf8Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ProfileText(int profile) {
  return ui::SApplication::Tr(QStringLiteral("Profile %1").arg(profile));
}

// The first rule equal to `rule`.
std::optional<std::size_t> Find(const AutoProfileRules& rules, const AppRule& rule) {
  const auto found = std::find(rules.rules.begin(), rules.rules.end(), rule);
  return found != rules.rules.end()
             ? std::optional<std::size_t>(static_cast<std::size_t>(found - rules.rules.begin()))
             : std::nullopt;
}

}  // namespace

// The rules as rows: the window class, the program ("Any" where the rule names none), the
// profile.
class RulesAdapter : public ui::McAdapterBase {
 public:
  void SetRules(std::vector<AppRule> rules) {
    rules_ = std::move(rules);
    NotifyDataSetChanged();
  }

  [[nodiscard]] int GetCount() const override { return static_cast<int>(rules_.size()); }

  void GetView(int position, ui::SWindow& rowView, const pugi::xml_node& itemTemplate) override {
    if (position < 0 || position >= GetCount()) {
      return;
    }
    if (rowView.GetChildWindows().empty()) {
      rowView.CreateChildren(itemTemplate);
    }
    const AppRule& rule = rules_[static_cast<std::size_t>(position)];
    const auto show = [&rowView](const char* child, const QString& text) {
      if (ui::SWindow* window = rowView.FindChildByName(QLatin1String(child))) {
        window->SetText(text);
      }
    };
    const auto orAny = [](const std::string& name) {
      return name.empty() ? Translated(AutoProfileDialog::kAnyText) : Utf8Text(name);
    };
    show("rule_class", orAny(rule.windowClass));
    show("rule_program", orAny(rule.executable));
    show("rule_profile", ProfileText(rule.profile));
  }

  [[nodiscard]] QString GetColumnName(int column) const override {
    return QStringLiteral("col%1").arg(column + 1);
  }

  bool OnSort(int /*column*/, std::vector<ui::SortMark>& /*marks*/) override { return false; }

 private:
  std::vector<AppRule> rules_;
};

AutoProfileDialog::AutoProfileDialog(Environment environment)
    : ui::SHostDialog(QLatin1String(kLayoutName)),
      environment_(std::move(environment)),
      file_(environment_.rulesFile),
      adapter_(std::make_shared<RulesAdapter>()) {}

AutoProfileDialog::~AutoProfileDialog() = default;

std::vector<FocusedWindow> AutoProfileDialog::Applications(
    const std::vector<FocusedWindow>& windows) {
  std::vector<FocusedWindow> applications;
  for (const FocusedWindow& window : windows) {
    const bool nameless = window.instance.empty() && window.windowClass.empty();
    if (window.none || window.ownProgram || nameless) {
      continue;
    }
    if (std::none_of(
            applications.begin(), applications.end(),
            [&window](const FocusedWindow& known) { return known.SameApplication(window); })) {
      applications.push_back(window);
    }
  }
  return applications;
}

void AutoProfileDialog::OnInitDialog() {
  switchBox_ = FindChildByName(kSwitchBox);
  list_ = FindChildByName2<ui::SMcListView>(kRuleList);
  ruleProfile_ = FindChildByName2<ui::SComboBox>(kRuleProfile);
  defaultProfile_ = FindChildByName2<ui::SComboBox>(kDefaultProfile);
  classEdit_ = FindChildByName2<ui::SEdit>(kClassEdit);
  problem_ = FindChildByName2<ui::SStatic>(kProblemText);
  if (auto* limit = FindChildByName2<ui::SStatic>(kLimitText)) {
    limit->SetText(environment_.limit
                       ? QLatin1String(autoprofile::FocusWatchLimitText(*environment_.limit))
                       : QString());
  }
  if (list_ != nullptr) {
    list_->SetAdapter(adapter_);
  }

  const autoprofile::AutoProfileFile::ReadReport read = file_.Refresh();
  ShowRules();
  if (!read.ok()) {
    ShowProblem(Translated(read.file.keptAs ? AutoProfileSwitching::kRulesKeptAsideText
                                            : AutoProfileSwitching::kRulesLeftInPlaceText) +
                QLatin1Char(' ') + Utf8Text(read.file.problem));
  } else if (read.partlyRead) {
    ShowProblem(Translated(AutoProfileSwitching::kRulesPartlyReadText));
  }

  // The file's state is shown before the dialog listens: opening it changes nothing.
  if (list_ != nullptr) {
    list_->Subscribe(ui::kEventListSelectionChanged, [this](ui::EventArgs& args) {
      args.handled = true;
      const std::optional<std::size_t> selected = SelectedRule();
      if (selected && ruleProfile_ != nullptr) {
        const QScopedValueRollback showing(showing_, true);
        ruleProfile_->SetCurSel(file_.rules().rules[*selected].profile - 1, true);
      }
    });
  }
  if (ruleProfile_ != nullptr) {
    ruleProfile_->Subscribe(ui::kEventComboSelectionChanged, [this](ui::EventArgs& args) {
      args.handled = true;
      const std::optional<std::size_t> selected = SelectedRule();
      if (showing_ || !selected) {
        return;
      }
      const AppRule rule = file_.rules().rules[*selected];
      const int profile = ChosenProfile();
      Change([&rule, profile](AutoProfileRules& rules) {
        const std::optional<std::size_t> index = Find(rules, rule);
        if (!index || rules.rules[*index].profile == profile) {
          return false;
        }
        rules.rules[*index].profile = profile;
        return true;
      });
    });
  }
  if (defaultProfile_ != nullptr) {
    defaultProfile_->Subscribe(ui::kEventComboSelectionChanged, [this](ui::EventArgs& args) {
      args.handled = true;
      if (showing_) {
        return;
      }
      const int entry = defaultProfile_->GetCurSel();
      const std::optional<int> profile = entry > 0 ? std::optional<int>(entry) : std::nullopt;
      Change([profile](AutoProfileRules& rules) { return rules.SetDefault(profile); });
    });
  }
}

void AutoProfileDialog::OnEvent(ui::EventArgs& args) {
  if (args.eventId != ui::kEventCommand) {
    return;
  }
  const QString& name = args.senderName;
  const std::optional<std::size_t> selected = SelectedRule();
  const std::optional<AppRule> rule =
      selected ? std::optional<AppRule>(file_.rules().rules[*selected]) : std::nullopt;
  if (name == kSwitchBox) {
    const bool on = switchBox_ != nullptr && switchBox_->IsChecked();
    Change([on](AutoProfileRules& rules) { return rules.SetEnabled(on); });
  } else if ((name == kUpButton || name == kDownButton) && rule) {
    const bool up = name == kUpButton;
    Change([&rule, up](AutoProfileRules& rules) {
      const std::optional<std::size_t> index = Find(rules, *rule);
      if (!index || (up && *index == 0)) {
        return false;
      }
      return rules.Move(*index, up ? *index - 1 : *index + 1);
    });
  } else if (name == kRemoveButton && rule) {
    Change([&rule](AutoProfileRules& rules) {
      const std::optional<std::size_t> index = Find(rules, *rule);
      return index && rules.Remove(*index);
    });
  } else if (name == kAddButton) {
    const QString typed = classEdit_ != nullptr ? classEdit_->GetText().trimmed() : QString();
    if (typed.isEmpty()) {
      ShowProblem(Translated(kTypeFirstText));
    } else {
      AddRule({typed.toStdString(), {}, ChosenProfile()});
      if (classEdit_ != nullptr) {
        classEdit_->SetText({});
      }
    }
  } else if (name == kPickButton) {
    PickWindow();
  } else if (name.startsWith(kWindowItem)) {
    const auto index = static_cast<std::size_t>(name.mid(kWindowItem.size()).toInt());
    if (index < offered_.size()) {
      const FocusedWindow& window = offered_[index];
      AddRule({window.windowClass.empty() ? window.instance : window.windowClass, window.executable,
               ChosenProfile()});
    }
  } else if (name == kOkButton) {
    EndDialog(kIdOk);
  } else if (name == kCancelButton) {
    EndDialog(kIdCancel);
  } else {
    return;
  }
  args.handled = true;
}

void AutoProfileDialog::Change(const autoprofile::AutoProfileFile::Change& change) {
  const std::optional<std::size_t> selected = SelectedRule();
  const std::optional<AppRule> rule =
      selected ? std::optional<AppRule>(file_.rules().rules[*selected]) : std::nullopt;
  const autoprofile::AutoProfileFile::UpdateResult result = file_.Update(change);
  ShowProblem(result.saved.ok() ? QString()
                                : Translated(kNotSavedText).arg(Utf8Text(result.saved.error())));
  ShowRules();
  // The rule that was selected stays selected where it went (with its new profile, if that
  // changed).
  if (rule) {
    AppRule withChosenProfile = *rule;
    withChosenProfile.profile = ChosenProfile();
    const std::optional<std::size_t> index = Find(file_.rules(), *rule);
    SelectRule(index ? index : Find(file_.rules(), withChosenProfile));
  }
}

void AutoProfileDialog::ShowRules() {
  const QScopedValueRollback showing(showing_, true);
  const AutoProfileRules& rules = file_.rules();
  if (switchBox_ != nullptr) {
    switchBox_->SetCheck(rules.enabled);
  }
  if (defaultProfile_ != nullptr) {
    defaultProfile_->SetCurSel(rules.defaultProfile.value_or(0), true);
  }
  adapter_->SetRules(rules.rules);
}

void AutoProfileDialog::ShowProblem(const QString& problem) {
  if (problem_ != nullptr) {
    problem_->SetText(problem);
    problem_->setVisible(!problem.isEmpty());
  }
}

std::optional<std::size_t> AutoProfileDialog::SelectedRule() const {
  const int row = list_ != nullptr ? list_->GetSel() : -1;
  return row >= 0 && static_cast<std::size_t>(row) < file_.rules().rules.size()
             ? std::optional<std::size_t>(static_cast<std::size_t>(row))
             : std::nullopt;
}

void AutoProfileDialog::SelectRule(std::optional<std::size_t> index) {
  if (list_ != nullptr) {
    const QScopedValueRollback showing(showing_, true);
    list_->SetSel(index ? static_cast<int>(*index) : -1);
  }
}

int AutoProfileDialog::ChosenProfile() const {
  const int entry = ruleProfile_ != nullptr ? ruleProfile_->GetCurSel() : 0;
  return std::clamp(entry + 1, autoprofile::kFirstProfile, autoprofile::kLastProfile);
}

void AutoProfileDialog::AddRule(AppRule rule) {
  Change([&rule](AutoProfileRules& rules) { return rules.Insert(rules.rules.size(), rule); });
  SelectRule(Find(file_.rules(), rule));
}

void AutoProfileDialog::PickWindow() {
  auto* button = FindChildByName(kPickButton);
  std::optional<ui::PopupMenu> menu = ui::PopupMenu::Load(QLatin1String(kWindowsMenu));
  if (button == nullptr || !menu) {
    return;
  }
  offered_ =
      environment_.windows ? Applications(environment_.windows()) : std::vector<FocusedWindow>();
  if (!offered_.empty()) {
    menu->RemoveItem(kNoWindowsItem);
  }
  for (std::size_t index = 0; index < offered_.size(); ++index) {
    const FocusedWindow& window = offered_[index];
    const QString name =
        Utf8Text(window.windowClass.empty() ? window.instance : window.windowClass);
    ui::PopupMenu::Item item;
    item.name = kWindowItem + QString::number(index);
    item.text = window.executable.empty()
                    ? name
                    : Translated(kWindowItemText).arg(name, Utf8Text(window.executable));
    menu->AppendItem(std::move(item));
  }
  menu->TrackPopupMenu(TrayCommands::MoreMenuPosition(*button), *this);
}

}  // namespace keyloom::app
