#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>
#include <vector>

#include "DialogTestSupport.h"
#include "MainWindowFixture.h"
#include "app/AutoProfileDialog.h"
#include "app/Language.h"
#include "autoprofile/AutoProfileFile.h"
#include "ui/host/PopupMenu.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SMcListView.h"

// The rules page: each edit goes into the rules file at once, as keyloomctl's do.
namespace keyloom::app {
namespace {

using autoprofile::AppRule;
using autoprofile::AutoProfileRules;
using autoprofile::FocusedWindow;
using macro::test::Click;
using macro::test::Control;

using Steps = std::function<void(AutoProfileDialog&)>;

const AppRule kGame{"steam_app_570", "", 2};
const AppRule kEditor{"", "blender", 3};

AutoProfileRules Rules(std::vector<AppRule> rules, bool enabled = false,
                       std::optional<int> defaultProfile = std::nullopt) {
  AutoProfileRules made;
  made.enabled = enabled;
  made.defaultProfile = defaultProfile;
  made.rules = std::move(rules);
  return made;
}

FocusedWindow Window(const char* instance, const char* windowClass, const char* executable,
                     bool ownProgram = false) {
  return {false, instance, windowClass, executable, ownProgram};
}

void Select(AutoProfileDialog& dialog, int row) {
  Control<ui::SMcListView>(dialog, QStringLiteral("lst_rules")).SetSel(row, true);
}

void Choose(AutoProfileDialog& dialog, const char* combo, int entry) {
  Control<ui::SComboBox>(dialog, QString::fromLatin1(combo)).SetCurSel(entry, true);
}

}  // namespace

class AutoProfileDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void eachEditIsSavedAtOnce_data() {
    QTest::addColumn<AutoProfileRules>("before");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<AutoProfileRules>("after");
    const AutoProfileRules two = Rules({kGame, kEditor});
    QTest::newRow("switching on") << Rules({}) << Steps([](AutoProfileDialog& dialog) {
      Click(Control(dialog, QStringLiteral("chk_autoprofile_on")));
    }) << Rules({}, true);
    QTest::newRow("a typed class, with the profile chosen")
        << Rules({kGame}) << Steps([](AutoProfileDialog& dialog) {
             Choose(dialog, "cmb_rule_profile", 2);
             Control<ui::SEdit>(dialog, QStringLiteral("edit_rule_class"))
                 .SetText(QStringLiteral(" Firefox-esr "));
             Click(Control(dialog, QStringLiteral("btn_rule_add")));
           })
        << Rules({kGame, {"Firefox-esr", "", 3}});
    QTest::newRow("nothing typed adds nothing") << two << Steps([](AutoProfileDialog& dialog) {
      Click(Control(dialog, QStringLiteral("btn_rule_add")));
    }) << two;
    QTest::newRow("a picked window: its application, not Keyloom's own")
        << Rules({}) << Steps([](AutoProfileDialog& dialog) {
             ui::PopupMenu::SetNextChoice(QStringLiteral("pick_window_1"));
             Click(Control(dialog, QStringLiteral("btn_rule_pick")));
           })
        << Rules({{"Tool", "Xvfb", 1}});
    QTest::newRow("moved up") << two << Steps([](AutoProfileDialog& dialog) {
      Select(dialog, 1);
      Click(Control(dialog, QStringLiteral("btn_rule_up")));
    }) << Rules({kEditor, kGame});
    QTest::newRow("removed") << two << Steps([](AutoProfileDialog& dialog) {
      Select(dialog, 0);
      Click(Control(dialog, QStringLiteral("btn_rule_remove")));
    }) << Rules({kEditor});
    QTest::newRow("the selected rule's profile") << two << Steps([](AutoProfileDialog& dialog) {
      Select(dialog, 1);
      Choose(dialog, "cmb_rule_profile", 0);
    }) << Rules({kGame, {"", "blender", 1}});
    QTest::newRow("every other application")
        << two << Steps([](AutoProfileDialog& dialog) { Choose(dialog, "cmb_default_profile", 2); })
        << Rules({kGame, kEditor}, false, 2);
  }

  void eachEditIsSavedAtOnce() {
    QFETCH(AutoProfileRules, before);
    QFETCH(Steps, steps);
    QFETCH(AutoProfileRules, after);
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    QTemporaryDir folder;
    const std::filesystem::path file =
        folder.filePath(QStringLiteral("autoprofile.xml")).toStdString();
    autoprofile::AutoProfileFile written(file);
    QVERIFY(written
                .Update([&before](AutoProfileRules& rules) {
                  rules = before;
                  return true;
                })
                .saved.ok());
    const std::vector<FocusedWindow> windows{
        Window("keyloom", "Keyloom", "keyloom", true), Window("game", "Game", "game"),
        Window("tool", "Tool", "Xvfb"), Window("game", "Game", "game"), Window("", "", "daemon")};

    AutoProfileDialog dialog({file, [&windows] { return windows; }, std::nullopt});
    const ui::SHostDialog::ExecHook previous =
        ui::SHostDialog::SetExecHook([&steps](ui::SHostDialog& shown) {
          auto& rulesPage = dynamic_cast<AutoProfileDialog&>(shown);
          steps(rulesPage);
          Click(Control(rulesPage, QStringLiteral("btnOK")));
        });
    dialog.Exec();
    ui::SHostDialog::SetExecHook(previous);
    ui::PopupMenu::ClearNextChoice();

    autoprofile::AutoProfileFile read(file);
    QVERIFY(read.Refresh().ok());
    QVERIFY(read.rules() == after);
    QVERIFY(dialog.Rules() == after);
  }

  // Opening the page and closing it writes no file.
  void lookingChangesNothing() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    QTemporaryDir folder;
    const std::filesystem::path file =
        folder.filePath(QStringLiteral("autoprofile.xml")).toStdString();
    AutoProfileDialog dialog({file, {}, std::nullopt});
    const ui::SHostDialog::ExecHook previous = ui::SHostDialog::SetExecHook(
        [](ui::SHostDialog& shown) { Click(Control(shown, QStringLiteral("btnCancel"))); });
    dialog.Exec();
    ui::SHostDialog::SetExecHook(previous);
    QVERIFY(!std::filesystem::exists(file));
  }

  void cleanup() { macro::test::DeleteDestroyedControls(); }
};

}  // namespace keyloom::app

Q_DECLARE_METATYPE(keyloom::app::Steps)
Q_DECLARE_METATYPE(keyloom::autoprofile::AutoProfileRules)

QTEST_MAIN(keyloom::app::AutoProfileDialogTest)
#include "AutoProfileDialogTest.moc"
