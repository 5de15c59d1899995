#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "DialogTestSupport.h"
#include "controls/SKeyCaps.h"
#include "controls/STabCtrl2.h"
#include "macro/AssignmentStore.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroLibrary.h"
#include "macro_dialog/FileDialogs.h"
#include "macro_dialog/MacroRecordDlg.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/VirtualClock.h"
#include "settings/AppConfig.h"
#include "ui/host/SApplication.h"
#include "ui/widgets/AdapterBase.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SListView.h"
#include "ui/widgets/SMcListView.h"
#include "ui/widgets/SStatic.h"

namespace keyloom::macro {
namespace {

using test::Click;
using test::Control;

// Three groups: a press and release of A with long delays, one event of each state, and none.
constexpr std::string_view kLibrary = R"(<?xml version="1.0" encoding="UTF-8"?>
<group>
	<items name="Copy">
		<item code="4" name="A" state="0" delay="2000" />
		<item code="4" name="A" state="1" delay="400" />
	</items>
	<items name="States">
		<item code="5" name="B" state="0" delay="10" />
		<item code="5" name="B" state="1" delay="20" />
		<item code="6" name="C" state="2" delay="30" />
	</items>
	<items name="Empty" />
</group>
)";

constexpr std::uint32_t kVkA = 0x41;
constexpr std::uint32_t kVkB = 0x42;
constexpr std::uint32_t kVkF5 = 0x74;
constexpr std::uint32_t kVkEscape = 0x1B;
constexpr std::uint32_t kVkSpace = 0x20;
// F13: a key the key name table does not know.
constexpr std::uint32_t kVkF13 = 0x7C;

std::string StoreXml(const std::string& attributes) {
  return "<?xml version=\"1.0\"?>\n<macro " + attributes + " />\n";
}

// One dialog over files of its own, a hook of its own and a clock the test moves.
class Harness {
 public:
  Harness()
      : folder_(dir_.path().toStdString()), store_(folder_ / "store.xml"), hook_(system.Make()) {
    config.mediaKeys = {
        {"Mute", {0x1E9, 7}}, {"Nothing", {}}, {"Calculator", {0xFB}}, {"Odd", {0x20}}};
    config.functionKeys = {
        {"Copy", {0xE0, 0x06}}, {"Empty", {}}, {"Task manager", {0xE4, 0xE1, 0x29}}};
    keys = {{0x04, "A"}};
  }

  [[nodiscard]] std::filesystem::path LibraryFile() const { return folder_ / "macro.xml"; }
  [[nodiscard]] std::filesystem::path StoreFile() const { return folder_ / "store.xml"; }
  [[nodiscard]] std::filesystem::path File(const char* name) const { return folder_ / name; }

  void WriteLibrary(std::string_view xml = kLibrary) const { test::WriteFile(LibraryFile(), xml); }
  // The dialog's store is kept in `file` instead of the folder's store.xml.
  void MoveStore(std::filesystem::path file) { store_ = AssignmentStore(std::move(file)); }
  void WriteStore(const std::string& attributes) const {
    test::WriteFile(StoreFile(), StoreXml(attributes));
  }

  // Opens the dialog on the files as they are; `processHook`: the program's own hook.
  MacroRecordDlg& Open(bool processHook = false, std::filesystem::path libraryFile = {}) {
    if (!globalStore) {
      store_.Open();
    }
    MacroRecordDlg::Environment environment;
    environment.store = globalStore ? nullptr : &store_;
    environment.libraryFile = libraryFile.empty() ? LibraryFile() : libraryFile;
    environment.hook = processHook ? nullptr : &hook_;
    environment.clock = &clock;
    environment.config = &config;
    environment.keyboard = keyboard ? &*keyboard : nullptr;
    dialog_ = std::make_unique<MacroRecordDlg>(keys, environment);
    if (!dialog_->Create()) {
      qFatal("the key assignment dialog does not build");
    }
    dialog_->show();
    if (!QTest::qWaitForWindowExposed(dialog_.get())) {
      qFatal("the key assignment dialog is not shown");
    }
    return *dialog_;
  }

  MacroRecordDlg& Dialog() { return *dialog_; }
  AssignmentStore& Store() { return store_; }
  KeyboardHook& Hook() { return hook_; }

  // The dialog's result once a button ended it.
  int Result() { return dialog_->Exec(); }
  // What the user chose, and the record it gives a key (all zero: nothing chosen).
  [[nodiscard]] const MacroRecordDlg::Choice& Chosen() const { return dialog_->Chosen(); }
  [[nodiscard]] protocol::KeyAssignmentRecord Record() const {
    return Chosen().content ? Chosen().content->Record() : protocol::KeyAssignmentRecord();
  }

  void ShowPage(int page) {
    Control<controls::STabCtrl2>(*dialog_, QStringLiteral("tab_macro_mode_selection"))
        .SetCurSel(page, true);
  }
  void Press(const char* button) { Click(Control(*dialog_, QString::fromLatin1(button))); }
  ui::SListView& Groups() {
    return Control<ui::SListView>(*dialog_, QStringLiteral("macro_group"));
  }
  ui::SMcListView& Events() {
    return Control<ui::SMcListView>(*dialog_, QStringLiteral("key_info"));
  }
  ui::SWindow& RecordBox() { return Control(*dialog_, QStringLiteral("chk_macro_record")); }
  void SelectGroup(int row) { Click(*Groups().GetRowView(row)); }

  // A keystroke as the system reports it to the hook; answers whether it was swallowed.
  bool Key(std::uint32_t message, std::uint32_t virtualKey) {
    return hook_.Dispatch(kHookActionCode, message, {virtualKey});
  }

  // The groups of the library file as saved.
  [[nodiscard]] std::unique_ptr<MacroLibrary> Saved() const {
    auto saved = std::make_unique<MacroLibrary>();
    saved->Load(LibraryFile());
    return saved;
  }

  // Open() gives the dialog AssignmentStore::Global() instead of the store of its folder, and
  // leaves the folder's store.xml to it.
  bool globalStore = false;
  test::FakeSystemHook system;
  protocol::VirtualClock clock;
  settings::AppConfig config;
  protocol::SelectedKeys keys;
  // The keyboard as the main window read it; none: the dialog is not told.
  std::optional<protocol::KeyboardState> keyboard;

 private:
  QTemporaryDir dir_;
  std::filesystem::path folder_;
  AssignmentStore store_;
  KeyboardHook hook_;
  std::unique_ptr<MacroRecordDlg> dialog_;
};

std::string AttributeOf(const MacroNode* node, std::string_view name) {
  return node != nullptr ? node->Attribute(name).value_or("(none)") : "(no node)";
}

// An event as "code name state delay".
std::string EventText(const MacroNode* event) {
  return AttributeOf(event, kCodeAttribute) + " " + AttributeOf(event, kNameAttribute) + " " +
         AttributeOf(event, kStateAttribute) + " " + AttributeOf(event, kDelayAttribute);
}

std::vector<std::string> EventTexts(const MacroNode* group) {
  std::vector<std::string> texts;
  for (int i = 0; group != nullptr && i < group->ChildCount(); ++i) {
    texts.push_back(EventText(group->ChildAt(i)));
  }
  return texts;
}

std::vector<std::string> GroupNames(const MacroLibrary& library) {
  std::vector<std::string> names;
  for (int i = 0; i < library.GroupCount(); ++i) {
    names.push_back(AttributeOf(library.GroupAt(i), kNameAttribute));
  }
  return names;
}

QString CellText(ui::SMcListView& list, int row, const char* child) {
  return list.GetRowView(row)->FindChildByName(QString::fromLatin1(child))->GetDisplayText();
}

std::vector<std::uint8_t> Bytes(const protocol::KeyAssignmentRecord& record, std::size_t from,
                                std::size_t count) {
  const auto& bytes = record.bytes();
  return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
          bytes.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

// A keyboard state whose macro slots hold `macroSlots` (the rest free).
protocol::KeyboardState KeyboardWith(const std::vector<std::uint8_t>& macroSlots, bool whole) {
  protocol::KeyboardState keyboard;
  for (std::size_t i = 0; i < macroSlots.size(); ++i) {
    keyboard.slots.SetSlot(protocol::KeySlotTable::Half::kMacro, i, macroSlots[i]);
  }
  keyboard.slotsWhole = whole;
  return keyboard;
}

// What a keycaps picture shows: "label" or "label [glyph]" per cap.
QStringList CapTexts(const controls::SKeyCaps& picture) {
  QStringList texts;
  for (const controls::SKeyCaps::Cap& cap : picture.GetKeyCaps()) {
    texts.append(cap.glyph < 0 ? cap.label
                               : QStringLiteral("%1 [%2]").arg(cap.label).arg(cap.glyph));
  }
  return texts;
}

bool AllZeroFrom(const protocol::KeyAssignmentRecord& record, std::size_t from) {
  for (std::size_t i = from; i < protocol::KeyAssignmentRecord::kSize; ++i) {
    if (record.bytes()[i] != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

class MacroRecordDlgTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    app_ = test::MakeApplication();
    harness_ = std::make_unique<Harness>();
  }
  void cleanup() {
    harness_.reset();
    test::DeleteDestroyedControls();
    app_.reset();
  }

  void opensAsTheStoreLeftIt() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.WriteStore(
        R"(page="0" repeat="3" delay="25" dlymode="1" mediasel="1" functsel="0" sgcode="62" groupsel="1")");
    h.keys = {{0x04, "A"}, {0x05, ""}, {0xE0, "Ctrl Left"}};
    MacroRecordDlg& dialog = h.Open();

    QCOMPARE(Control(dialog, QStringLiteral("text_recording_keys")).GetText(),
             QStringLiteral("Ctrl Left,A"));
    QCOMPARE(Control(dialog, QStringLiteral("edit_macro_repeat_times")).GetText(),
             QStringLiteral("3"));
    auto& delay = Control(dialog, QStringLiteral("edit_macro_delay_time"));
    QCOMPARE(delay.GetText(), QStringLiteral("25"));
    QVERIFY(delay.isEnabled());
    QVERIFY(!Control(dialog, QStringLiteral("chk_macro_realy_delay")).IsChecked());
    QVERIFY(Control(dialog, QStringLiteral("chk_macro_fixed_delay")).IsChecked());
    QVERIFY(!Control(dialog, QStringLiteral("chk_macro_no_delay")).IsChecked());
    QCOMPARE(Control<ui::SComboBox>(dialog, QStringLiteral("cmb_media_keys")).GetCurSel(), 1);
    QCOMPARE(Control<ui::SComboBox>(dialog, QStringLiteral("cmb_media_keys")).GetItemText(0),
             QStringLiteral("Mute"));
    QCOMPARE(Control<ui::SComboBox>(dialog, QStringLiteral("cmb_function_keys")).GetCurSel(), 0);
    auto& singleKey = Control(dialog, QStringLiteral("edit_single_key"));
    QCOMPARE(singleKey.GetText(), QStringLiteral("F5"));
    QCOMPARE(singleKey.GetUserData(), 0U);
    QVERIFY(!h.RecordBox().IsChecked());

    // The remembered group is selected and its events listed.
    QCOMPARE(h.Groups().GetRowCount(), 3);
    QCOMPARE(h.Groups().GetSel(), 1);
    QCOMPARE(h.Groups().GetRowView(2)->FindChildByName(QStringLiteral("group_name"))->GetText(),
             QStringLiteral("Empty"));
    ui::SMcListView& events = h.Events();
    QCOMPARE(events.GetRowCount(), 3);
    QCOMPARE(CellText(events, 0, "key_code"), QStringLiteral("5"));
    QCOMPARE(CellText(events, 0, "key_name"), QStringLiteral("B"));
    QCOMPARE(CellText(events, 0, "key_state"), QStringLiteral("key down"));
    QCOMPARE(CellText(events, 1, "key_state"), QStringLiteral("key up"));
    QCOMPARE(CellText(events, 2, "key_state"), QStringLiteral("replace"));
    QCOMPARE(events.GetRowView(2)->FindChildByName(QStringLiteral("key_delay"))->GetText(),
             QStringLiteral("30"));

    // On the macro page without recording nothing is captured: the keyboard stays the
    // desktop's.
    QVERIFY(!h.Hook().IsInstalled());
    QVERIFY(h.Hook().listeners().empty());
  }

  void resetsADelayModeOutOfRange_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("opened");
    QTest::addColumn<int>("checkedBox");  // -1: none
    QTest::addColumn<QString>("delayText");
    QTest::addColumn<bool>("delayEnabled");
    QTest::newRow("5 becomes real delays") << 5 << 0 << 0 << "10" << false;
    QTest::newRow("3 becomes real delays") << 3 << 0 << 0 << "10" << false;
    QTest::newRow("no delay shows 0") << 2 << 2 << 2 << "0" << false;
    QTest::newRow("a negative mode stays") << -1 << -1 << -1 << "10" << true;
  }
  void resetsADelayModeOutOfRange() {
    QFETCH(int, stored);
    QFETCH(int, opened);
    QFETCH(int, checkedBox);
    QFETCH(QString, delayText);
    QFETCH(bool, delayEnabled);
    Harness& h = *harness_;
    h.WriteStore(R"(page="0" repeat="1" delay="10" dlymode=")" + std::to_string(stored) +
                 R"(" mediasel="0" functsel="0" sgcode="0" groupsel="0")");
    MacroRecordDlg& dialog = h.Open();

    QCOMPARE(h.Store().dlymode, opened);
    const std::array<const char*, 3> boxes = {"chk_macro_realy_delay", "chk_macro_fixed_delay",
                                              "chk_macro_no_delay"};
    for (int box = 0; box < 3; ++box) {
      QCOMPARE(
          Control(dialog, QString::fromLatin1(boxes[static_cast<std::size_t>(box)])).IsChecked(),
          box == checkedBox);
    }
    auto& delay = Control(dialog, QStringLiteral("edit_macro_delay_time"));
    QCOMPARE(delay.GetText(), delayText);
    QCOMPARE(delay.isEnabled(), delayEnabled);
    // The mode the dialog opened with is in the file.
    AssignmentStore reread(h.StoreFile());
    reread.Open();
    QCOMPARE(reread.dlymode, opened);
  }

  // OK on the macro page chooses the group shown, by its name, played the count typed; bytes 0-2
  // (profile, slot, key) are the assignment's.
  void okChoosesTheMacro_data() {
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");                    // empty: nothing chosen
    QTest::addColumn<std::vector<std::uint8_t>>("head");  // bytes 3 to 7
    QTest::newRow("press 2000 ms, release 400 ms, three times")
        << "3" << 0 << "Copy" << std::vector<std::uint8_t>{3, 0x04, 0x54, 0x04, 0xA8};
    QTest::newRow("the most repeats")
        << "255" << 0 << "Copy" << std::vector<std::uint8_t>{255, 0x04, 0x54, 0x04, 0xA8};
    QTest::newRow("a group without events")
        << "1" << 2 << "Empty" << std::vector<std::uint8_t>{1, 0, 0, 0, 0};
    QTest::newRow("no group chosen: nothing") << "1" << -1 << "" << std::vector<std::uint8_t>(5, 0);
  }
  void okChoosesTheMacro() {
    QFETCH(QString, repeat);
    QFETCH(int, row);
    QFETCH(QString, name);
    QFETCH(std::vector<std::uint8_t>, head);
    Harness& h = *harness_;
    h.WriteLibrary();
    h.keys = {{0x04, "A"}, {0xE0, "Ctrl Left"}};
    h.Open();
    Control(h.Dialog(), QStringLiteral("edit_macro_repeat_times")).SetText(repeat);
    h.Groups().SetSel(row);

    h.Press("btnOK");

    QCOMPARE(h.Result(), MacroRecordDlg::kResultOk);
    QCOMPARE(h.Chosen().page, MacroRecordDlg::kMacroPage);
    QCOMPARE(h.Chosen().content.has_value(), !name.isEmpty());
    if (h.Chosen().content) {
      QCOMPARE(h.Chosen().content->kind, keymap::ContentKind::kMacro);
      QCOMPARE(QString::fromStdString(h.Chosen().content->name), name);
    }
    QVERIFY(!h.Chosen().shortened);
    QCOMPARE(Bytes(h.Record(), 0, 3), (std::vector<std::uint8_t>{0, 0, 0}));
    QCOMPARE(Bytes(h.Record(), 3, 5), head);
    QVERIFY(AllZeroFrom(h.Record(), 8));
    QCOMPARE(h.Store().repeat, repeat.toInt());
  }

  void okOnTheSingleKeyPageGivesTheKeyPressedThere() {
    Harness& h = *harness_;
    h.WriteStore(
        R"(page="1" repeat="1" delay="10" dlymode="0" mediasel="0" functsel="0" sgcode="62" groupsel="0")");
    MacroRecordDlg& dialog = h.Open();
    auto& singleKey = Control(dialog, QStringLiteral("edit_single_key"));
    QCOMPARE(singleKey.GetText(), QStringLiteral("F5"));

    // Every keystroke is the page's, up or down, known or not.
    QVERIFY(h.Key(kKeyDownMessage, kVkB));
    QCOMPARE(singleKey.GetText(), QStringLiteral("B"));
    QCOMPARE(singleKey.GetUserData(), 0x05U);
    QVERIFY(h.Key(kKeyUpMessage, kVkB));
    QVERIFY(h.Key(kSystemKeyDownMessage, kVkF5));
    QCOMPARE(singleKey.GetText(), QStringLiteral("F5"));
    QCOMPARE(h.Store().sgcode, 0x3E);
    h.Press("btnOK");

    QCOMPARE(h.Result(), MacroRecordDlg::kResultOk);
    QCOMPARE(h.Chosen().page, MacroRecordDlg::kSingleKeyPage);
    QCOMPARE(h.Chosen().content->kind, keymap::ContentKind::kSingleKey);
    QCOMPARE(Bytes(h.Record(), 0, 4), (std::vector<std::uint8_t>{0, 0, 0x3E, 0}));
    QVERIFY(AllZeroFrom(h.Record(), 4));
    // The captured key reaches the file with the next save only.
    AssignmentStore reread(h.StoreFile());
    reread.Open();
    QCOMPARE(reread.sgcode, 62);
  }

  void okOnTheSingleKeyPageWithoutAKeyOfTheTableGivesNothing() {
    Harness& h = *harness_;
    h.WriteStore(
        R"(page="1" repeat="1" delay="10" dlymode="0" mediasel="0" functsel="0" sgcode="62" groupsel="0")");
    MacroRecordDlg& dialog = h.Open();
    QVERIFY(h.Key(kKeyDownMessage, kVkA));
    QVERIFY(h.Key(kKeyDownMessage, kVkF13));
    QCOMPARE(Control(dialog, QStringLiteral("edit_single_key")).GetText(), QStringLiteral("A"));
    h.Press("btnOK");
    QCOMPARE(h.Result(), MacroRecordDlg::kResultOk);
    QVERIFY(AllZeroFrom(h.Record(), 0));
  }

  void okOnTheCataloguePages_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("name");                     // empty: nothing chosen
    QTest::addColumn<std::vector<std::uint8_t>>("bytes");  // bytes 0 to 11
    QTest::newRow("media key: low 8 bits of its first code")
        << 2 << 0 << "Mute" << std::vector<std::uint8_t>{0, 0, 0xE9, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("media key without codes: nothing")
        << 2 << 1 << "" << std::vector<std::uint8_t>(12, 0);
    QTest::newRow("chord: presses, then the releases, the first code last")
        << 3 << 0 << "Copy"
        << std::vector<std::uint8_t>{0, 0, 0, 1, 0xE0, 0x45, 0x06, 0x45, 0x06, 0x81, 0xE0, 0x81};
    QTest::newRow("chord without codes: nothing")
        << 3 << 1 << "" << std::vector<std::uint8_t>(12, 0);
  }
  void okOnTheCataloguePages() {
    QFETCH(int, page);
    QFETCH(int, entry);
    QFETCH(QString, name);
    QFETCH(std::vector<std::uint8_t>, bytes);
    Harness& h = *harness_;
    h.Open();
    h.ShowPage(page);
    Control<ui::SComboBox>(h.Dialog(), page == 2 ? QStringLiteral("cmb_media_keys")
                                                 : QStringLiteral("cmb_function_keys"))
        .SetCurSel(entry, true);
    QCOMPARE(page == 2 ? h.Store().mediasel : h.Store().functsel, entry);

    h.Press("btnOK");

    QCOMPARE(h.Result(), MacroRecordDlg::kResultOk);
    QCOMPARE(h.Chosen().page, page);
    QCOMPARE(h.Chosen().content.has_value(), !name.isEmpty());
    if (h.Chosen().content) {
      QCOMPARE(h.Chosen().content->kind,
               page == 2 ? keymap::ContentKind::kMediaKey : keymap::ContentKind::kChord);
      QCOMPARE(QString::fromStdString(h.Chosen().content->name), name);
    }
    QCOMPARE(Bytes(h.Record(), 0, 12), bytes);
    QVERIFY(AllZeroFrom(h.Record(), 12));
    AssignmentStore reread(h.StoreFile());
    reread.Open();
    QCOMPARE(reread.page, page);
  }

  void deleteAndCancelChooseNothing_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("delete") << "btnDelete" << MacroRecordDlg::kResultDelete;
    QTest::newRow("cancel") << "btnCancel" << MacroRecordDlg::kResultCancel;
    QTest::newRow("window closed") << "" << MacroRecordDlg::kResultCancel;
  }
  void deleteAndCancelChooseNothing() {
    QFETCH(QString, button);
    QFETCH(int, result);
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    if (button.isEmpty()) {
      h.Dialog().close();
    } else {
      h.Press(button.toLatin1().constData());
    }
    QCOMPARE(h.Result(), result);
    QVERIFY(!h.Chosen().content);
    QCOMPARE(h.Chosen().page, -1);
    // The window is gone: the dialog no longer listens to the keyboard.
    QVERIFY(!h.Hook().IsInstalled());
    QVERIFY(h.Hook().listeners().empty());
  }

  void recordsWithEachDelayMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("firstDelay");
    QTest::newRow("real delays") << 0 << "150";
    QTest::newRow("fixed delay") << 1 << "25";
    QTest::newRow("no delay") << 2 << "0";
  }
  void recordsWithEachDelayMode() {
    QFETCH(int, mode);
    QFETCH(QString, firstDelay);
    Harness& h = *harness_;
    h.WriteLibrary();
    h.WriteStore(R"(page="0" repeat="1" delay="25" dlymode=")" + std::to_string(mode) +
                 R"(" mediasel="0" functsel="0" sgcode="0" groupsel="2")");
    h.Open();
    Click(h.RecordBox());
    QVERIFY(h.RecordBox().IsChecked());
    QCOMPARE(h.RecordBox().GetText(), QStringLiteral("Stop record"));

    // A release first has nothing to continue: swallowed, not recorded.
    QVERIFY(h.Key(kKeyUpMessage, kVkB));
    h.clock.SetNowMs(1000);
    QVERIFY(h.Key(kKeyDownMessage, kVkA));
    h.clock.SetNowMs(1150);
    QVERIFY(h.Key(kKeyUpMessage, kVkA));

    const std::vector<std::string> recorded = {"4 A 0 " + firstDelay.toStdString(), "4 A 1 0"};
    QCOMPARE(EventTexts(h.Dialog().Library().GroupAt(2)), recorded);
    QCOMPARE(EventTexts(h.Saved()->GroupAt(2)), recorded);
    QCOMPARE(h.Events().GetRowCount(), 2);
    QCOMPARE(CellText(h.Events(), 1, "key_state"), QStringLiteral("key up"));

    Click(h.RecordBox());
    QCOMPARE(h.RecordBox().GetText(), QStringLiteral("Start record"));
    QVERIFY(!h.Key(kKeyDownMessage, kVkA));
    QCOMPARE(h.Dialog().Library().GroupAt(2)->ChildCount(), 2);
  }

  void recordingAppendsToTheShownGroup() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    h.SelectGroup(0);
    Click(h.RecordBox());
    h.clock.SetNowMs(5000);
    QVERIFY(h.Key(kSystemKeyDownMessage, kVkB));
    // The first keystroke since the dialog opened measures from the program's start.
    QCOMPARE(EventTexts(h.Saved()->GroupAt(0)),
             (std::vector<std::string>{"4 A 0 2000", "4 A 1 5001", "5 B 0 0"}));
  }

  // Worked from the keyboard, a recording leaves out the release of the key that started it, and
  // Escape is the way out of it, as it takes every other key; with the mouse both are recorded.
  void escapeEndsARecordingWorkedFromTheKeyboard_data() {
    QTest::addColumn<bool>("fromKeyboard");
    QTest::addColumn<std::vector<std::string>>("events");
    QTest::newRow("keyboard") << true << std::vector<std::string>{"4 A 0 2000", "4 A 1 400"};
    QTest::newRow("mouse") << false
                           << std::vector<std::string>{"4 A 0 2000", "4 A 1 1001",
                                                       "44 SpaceBar 1 0", "41 Esc 0 0",
                                                       "41 Esc 1 0"};
  }
  void escapeEndsARecordingWorkedFromTheKeyboard() {
    QFETCH(bool, fromKeyboard);
    QFETCH(std::vector<std::string>, events);
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    h.SelectGroup(0);
    if (fromKeyboard) {
      h.RecordBox().setFocus(Qt::TabFocusReason);
      h.RecordBox().Click();
    } else {
      Click(h.RecordBox());
    }
    QVERIFY(h.RecordBox().IsChecked());
    h.clock.SetNowMs(1000);
    QVERIFY(h.Key(kKeyUpMessage, kVkSpace));
    QVERIFY(h.Key(kKeyDownMessage, kVkEscape));
    QVERIFY(h.Key(kKeyUpMessage, kVkEscape));
    QCoreApplication::processEvents();
    QCOMPARE(h.RecordBox().IsChecked(), !fromKeyboard);
    QCOMPARE(EventTexts(h.Saved()->GroupAt(0)), events);
  }

  void recordingNeedsAGroup() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.WriteStore(
        R"(page="0" repeat="1" delay="10" dlymode="0" mediasel="0" functsel="0" sgcode="0" groupsel="-1")");
    h.Open();
    QCOMPARE(h.Groups().GetSel(), -1);
    Click(h.RecordBox());
    QVERIFY(!h.RecordBox().IsChecked());
    QCOMPARE(h.RecordBox().GetText(), QStringLiteral("Start record"));
    QVERIFY(!h.Key(kKeyDownMessage, kVkA));
  }

  // Worked from the keyboard, the single-key page takes one key press and never Escape, which
  // cancels; the keys after it do their usual work until the page is shown again.
  void theSingleKeyPageTakesOneKeyWorkedFromTheKeyboard() {
    Harness& h = *harness_;
    h.WriteStore(R"(page="1" repeat="1")");
    MacroRecordDlg& dialog = h.Open();
    Control(dialog, QStringLiteral("btnOK")).setFocus(Qt::TabFocusReason);
    auto& key = Control(dialog, QStringLiteral("edit_single_key"));
    QVERIFY(!h.Key(kKeyDownMessage, kVkEscape));
    QVERIFY(h.Key(kKeyDownMessage, kVkA));
    QVERIFY(!h.Key(kKeyDownMessage, kVkB));
    QCOMPARE(key.GetText(), QStringLiteral("A"));
    h.ShowPage(2);
    h.ShowPage(1);
    QVERIFY(h.Key(kKeyDownMessage, kVkB));
    QCOMPARE(key.GetText(), QStringLiteral("B"));
  }

  void capturesOnlyOnItsPages_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("swallowed");
    QTest::newRow("macro page, not recording") << 0 << false;
    QTest::newRow("single key") << 1 << true;
    QTest::newRow("media key") << 2 << false;
    QTest::newRow("function key") << 3 << false;
  }
  void capturesOnlyOnItsPages() {
    QFETCH(int, page);
    QFETCH(bool, swallowed);
    Harness& h = *harness_;
    h.WriteLibrary();
    MacroRecordDlg& dialog = h.Open();
    h.ShowPage(page);
    std::uint32_t message = kKeyUpMessage;
    int hookCode = kHookActionCode;
    KeyboardEventRecord key{kVkA};
    QCOMPARE(dialog.OnKeyboardEvent(hookCode, message, key), swallowed);
  }

  // When the dialog holds the system's keyboard hook.
  void installsAndRemovesTheHook() {
    Harness& h = *harness_;
    h.WriteLibrary();
    MacroRecordDlg& dialog = h.Open();
    QCOMPARE(h.system.installs, 0);

    h.ShowPage(1);
    QVERIFY(h.system.installed);
    h.ShowPage(0);
    QVERIFY(!h.system.installed);
    Click(h.RecordBox());
    QVERIFY(h.system.installed);
    h.ShowPage(3);
    QVERIFY(!h.system.installed);
    // Back on the macro page a checked box records again.
    h.ShowPage(0);
    QVERIFY(h.system.installed);
    Click(h.RecordBox());
    QVERIFY(!h.system.installed);
    QCOMPARE(h.Hook().listeners(), std::vector<IKeyboardHookListener*>{&dialog});

    h.Press("btnCancel");
    QCOMPARE(h.Result(), MacroRecordDlg::kResultCancel);
    QVERIFY(!h.system.installed);
    QVERIFY(h.Hook().listeners().empty());
  }

  // The hook is installed only where keystrokes are captured, from the page the dialog opens on.
  void capturesOnlyWhereItOpens_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("installed");
    QTest::newRow("macro page, not recording") << 0 << false;
    QTest::newRow("single key") << 1 << true;
    QTest::newRow("media key") << 2 << false;
    QTest::newRow("function key") << 3 << false;
  }
  void capturesOnlyWhereItOpens() {
    QFETCH(int, page);
    QFETCH(bool, installed);
    Harness& h = *harness_;
    h.WriteStore("page=\"" + std::to_string(page) + "\" repeat=\"1\"");
    h.Open();
    QCOMPARE(h.system.installed, installed);
    QCOMPARE(h.system.installs, installed ? 1 : 0);
  }

  // A dialog that goes is out of the hook's list even when the hook cannot be installed again.
  void leavesTheListenersWithoutInstallingTheHookAgain() {
    Harness& h = *harness_;
    h.WriteStore(R"(page="1" repeat="1")");
    MacroRecordDlg& dialog = h.Open();
    QCOMPARE(h.Hook().listeners(), std::vector<IKeyboardHookListener*>{&dialog});
    h.ShowPage(2);
    h.system.installable = false;
    h.Press("btnCancel");
    QCOMPARE(h.Result(), MacroRecordDlg::kResultCancel);
    QVERIFY(h.Hook().listeners().empty());
    QCOMPARE(h.system.installs, 1);
  }

  // Opening the dialog and looking at it changes no file, whatever the files hold: a name longer
  // than the name field takes, a name that is not valid UTF-8, a repeat count, a fixed delay and
  // an event's delay longer than their fields take.
  void openingAndLookingChangesNoFile() {
    Harness& h = *harness_;
    const std::string longName(50, 'n');
    h.WriteLibrary("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<group>\n\t<items name=\"" +
                   longName +
                   "\">\n\t\t<item code=\"4\" name=\"A\" state=\"0\" delay=\"1234567\" />\n" +
                   "\t</items>\n\t<items name=\"Caf\xe9\" />\n</group>\n");
    h.WriteStore(
        R"(page="0" repeat="1000" delay="123456" dlymode="1" mediasel="0" functsel="0" sgcode="0" groupsel="0")");
    const std::string library = test::ReadFile(h.LibraryFile());
    const std::string store = test::ReadFile(h.StoreFile());
    MacroRecordDlg& dialog = h.Open();
    h.SelectGroup(1);
    h.SelectGroup(0);
    h.ShowPage(0);
    // The group list shows its rows again, as after an import.
    dynamic_cast<ui::ListAdapterBase&>(*h.Groups().GetAdapter()).NotifyDataSetChanged();

    QCOMPARE(Control(dialog, QStringLiteral("edit_macro_repeat_times")).GetText(),
             QStringLiteral("1000"));
    QCOMPARE(Control(dialog, QStringLiteral("edit_macro_delay_time")).GetText(),
             QStringLiteral("123456"));
    QCOMPARE(h.Groups().GetRowView(0)->FindChildByName(QStringLiteral("group_name"))->GetText(),
             QString::fromStdString(longName));
    QCOMPARE(h.Events().GetRowView(0)->FindChildByName(QStringLiteral("key_delay"))->GetText(),
             QStringLiteral("1234567"));
    QCOMPARE(test::ReadFile(h.LibraryFile()), library);
    QCOMPARE(test::ReadFile(h.StoreFile()), store);
    h.Press("btnCancel");
    QCOMPARE(h.Result(), MacroRecordDlg::kResultCancel);
    QCOMPARE(test::ReadFile(h.LibraryFile()), library);
    QCOMPARE(test::ReadFile(h.StoreFile()), store);
  }

  // Another program changes the library while the dialog is open: the dialog's next edit is made
  // to the file as it is then, its shown group found by name; an edit of rows that are no longer
  // what the user saw is left out, and the dialog shows the file as it is.
  void editsTheLibraryAsAnotherProgramLeftIt() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    h.SelectGroup(1);
    Click(h.RecordBox());
    MacroLibrary other(h.LibraryFile());
    other.Open();
    QVERIFY(other
                .Update([](MacroLibrary& library) {
                  return library.root().InsertChild(0, {{"name", "Front"}}) != nullptr;
                })
                .saved.ok());

    QVERIFY(h.Key(kKeyDownMessage, kVkA));
    QCOMPARE(GroupNames(*h.Saved()),
             (std::vector<std::string>{"Front", "Copy", "States", "Empty"}));
    QCOMPARE(EventTexts(h.Saved()->GroupAt(2)).size(), std::size_t{4});
    QCOMPARE(h.Groups().GetRowCount(), 4);
    QCOMPARE(h.Groups().GetSel(), 2);
    QCOMPARE(h.Events().GetRowCount(), 4);

    QVERIFY(other.Update([](MacroLibrary& library) { return library.root().RemoveChild(0); })
                .saved.ok());
    const std::string before = test::ReadFile(h.LibraryFile());
    h.Press("item_clear");
    QCOMPARE(test::ReadFile(h.LibraryFile()), before);
    QCOMPARE(h.Groups().GetRowCount(), 3);
    QCOMPARE(h.Groups().GetSel(), 1);
    QCOMPARE(h.Events().GetRowCount(), 4);
  }

  void listensOnceTheHookCanBeInstalled() {
    Harness& h = *harness_;
    h.system.installable = false;
    MacroRecordDlg& dialog = h.Open();
    QVERIFY(h.Hook().listeners().empty());
    h.system.installable = true;
    h.ShowPage(1);
    QCOMPARE(h.Hook().listeners(), std::vector<IKeyboardHookListener*>{&dialog});
    QVERIFY(h.Key(kKeyDownMessage, kVkF5));
  }

  void editsOfTheEventsAreSaved() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    h.SelectGroup(1);
    ui::SMcListView& events = h.Events();

    // item_delete without a selected event deletes the last one.
    QCOMPARE(events.GetSel(), -1);
    h.Press("item_delete");
    QCOMPARE(EventTexts(h.Saved()->GroupAt(1)), (std::vector<std::string>{"5 B 0 10", "5 B 1 20"}));

    Click(*events.GetRowView(1));
    h.Press("item_up");
    QCOMPARE(events.GetSel(), 0);
    QCOMPARE(EventTexts(h.Saved()->GroupAt(1)), (std::vector<std::string>{"5 B 1 20", "5 B 0 10"}));
    QCOMPARE(CellText(events, 0, "key_state"), QStringLiteral("key up"));

    // From the last row a move down changes nothing, and no row stays selected.
    Click(*events.GetRowView(1));
    h.Press("item_down");
    QCOMPARE(events.GetSel(), -1);
    QCOMPARE(EventTexts(h.Saved()->GroupAt(1)), (std::vector<std::string>{"5 B 1 20", "5 B 0 10"}));
    Click(*events.GetRowView(0));
    h.Press("item_down");
    QCOMPARE(events.GetSel(), 1);
    QCOMPARE(EventTexts(h.Saved()->GroupAt(1)), (std::vector<std::string>{"5 B 0 10", "5 B 1 20"}));

    h.Press("item_clear");
    QCOMPARE(events.GetRowCount(), 0);
    QVERIFY(EventTexts(h.Saved()->GroupAt(1)).empty());
    QCOMPARE(EventTexts(h.Saved()->GroupAt(0)).size(), std::size_t{2});
  }

  void aDelayIsStoredAsTypedWhenItBeginsWithANumber() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    h.SelectGroup(0);
    auto& delay = *h.Events().GetRowView(1)->FindChildByName(QStringLiteral("key_delay"));

    delay.SetText(QStringLiteral("abc"));
    QCOMPARE(delay.GetText(), QStringLiteral("400"));
    QCOMPARE(EventText(h.Saved()->GroupAt(0)->ChildAt(1)), std::string("4 A 1 400"));

    delay.SetText(QStringLiteral("12ms"));
    QCOMPARE(EventText(h.Saved()->GroupAt(0)->ChildAt(1)), std::string("4 A 1 12ms"));

    // Typed into the field over what it shows, the delay is saved at every change.
    auto* line = static_cast<ui::SEdit&>(delay).GetLineEdit();
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("25"));
    QCOMPARE(delay.GetText(), QStringLiteral("25"));
    QCOMPARE(EventText(h.Saved()->GroupAt(0)->ChildAt(1)), std::string("4 A 1 25"));
    QCOMPARE(EventText(h.Saved()->GroupAt(0)->ChildAt(0)), std::string("4 A 0 2000"));
  }

  void renamingAGroupSavesEveryChange() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    auto& name = static_cast<ui::SEdit&>(
        *h.Groups().GetRowView(2)->FindChildByName(QStringLiteral("group_name")));
    QTest::keyClicks(name.GetLineEdit(), QStringLiteral("X"));
    QCOMPARE(GroupNames(*h.Saved())[2], std::string("EmptyX"));
    QTest::keyClicks(name.GetLineEdit(), QStringLiteral("Y"));
    QCOMPARE(GroupNames(*h.Saved())[2], std::string("EmptyXY"));
    // An empty name is a name too, and the group stays.
    name.SetText(QString());
    QCOMPARE(GroupNames(*h.Saved()), (std::vector<std::string>{"Copy", "States", ""}));
  }

  // A name that another group has is not given: the group keeps its name, and the line says why
  // until the name typed is free. An export goes only to a new or a writable regular file.
  void refusesANameTakenAndAFileThatIsNoWritableFile() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    auto& problem = Control<ui::SStatic>(h.Dialog(), QStringLiteral("text_file_problem"));
    auto& name = static_cast<ui::SEdit&>(
        *h.Groups().GetRowView(2)->FindChildByName(QStringLiteral("group_name")));
    name.SetText(QStringLiteral("Copy"));
    QCOMPARE(GroupNames(*h.Saved()), (std::vector<std::string>{"Copy", "States", "Empty"}));
    QVERIFY(problem.isVisible());
    QCOMPARE(
        problem.GetText(),
        QStringLiteral("Another macro has this name already; the macro keeps the name it had."));
    QTest::keyClicks(name.GetLineEdit(), QStringLiteral("2"));
    QCOMPARE(GroupNames(*h.Saved())[2], std::string("Copy2"));
    QVERIFY(!problem.isVisible());

    QVERIFY(std::filesystem::create_directory(h.File("folder.mcr")));
    test::WriteFile(h.File("read-only.mcr"), "mine");
    std::filesystem::permissions(h.File("read-only.mcr"), std::filesystem::perms::owner_read);
    for (const auto& [file, text] : {
             std::pair{"folder.mcr",
                       "The macros were not exported: the file chosen is not a regular "
                       "file (a folder, a device or a pipe)."},
             std::pair{"read-only.mcr",
                       "The macros were not exported: the file chosen is read-only."},
         }) {
      FileDialogs::SetNextFileName(QString::fromStdString(h.File(file).string()));
      h.Press("groupExport");
      QCOMPARE(problem.GetText(), QString::fromUtf8(text));
    }
    QVERIFY(std::filesystem::is_directory(h.File("folder.mcr")));
    QCOMPARE(test::ReadFile(h.File("read-only.mcr")), std::string("mine"));
    std::filesystem::permissions(h.File("read-only.mcr"), std::filesystem::perms::owner_all);
  }

  void headerClicksMarkAColumnAndKeepTheOrder() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    h.SelectGroup(1);
    ui::SMcListView& events = h.Events();
    events.ClickHeader(1);
    QCOMPARE(events.GetSortMark(1), ui::SortMark::kAscending);
    events.ClickHeader(1);
    QCOMPARE(events.GetSortMark(1), ui::SortMark::kDescending);
    events.ClickHeader(3);
    QCOMPARE(events.GetSortMark(1), ui::SortMark::kNone);
    QCOMPARE(events.GetSortMark(3), ui::SortMark::kAscending);
    QCOMPARE(CellText(events, 0, "key_state"), QStringLiteral("key down"));
    QCOMPARE(CellText(events, 2, "key_state"), QStringLiteral("replace"));
  }

  void addingAndDeletingGroupsMovesTheSelection() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    ui::SListView& groups = h.Groups();
    h.SelectGroup(0);
    QCOMPARE(h.Store().groupsel, 0);

    // Adding with the first of three selected selects the second, not the new group.
    h.Press("groupAdd");
    QCOMPARE(GroupNames(*h.Saved()),
             (std::vector<std::string>{"Copy", "States", "Empty", "Group 3"}));
    QCOMPARE(groups.GetRowCount(), 4);
    QCOMPARE(groups.GetSel(), 1);
    QCOMPARE(h.Events().GetRowCount(), 3);
    QCOMPARE(h.Store().groupsel, 1);

    // Deleting the last row selects the row before it.
    h.SelectGroup(3);
    h.Press("groupDel");
    QCOMPARE(GroupNames(*h.Saved()), (std::vector<std::string>{"Copy", "States", "Empty"}));
    QCOMPARE(groups.GetSel(), 2);
    QCOMPARE(h.Events().GetRowCount(), 0);

    // Deleting the shown group shows the group that takes its row.
    h.SelectGroup(0);
    h.Press("groupDel");
    QCOMPARE(GroupNames(*h.Saved()), (std::vector<std::string>{"States", "Empty"}));
    QCOMPARE(groups.GetSel(), 0);
    QCOMPARE(h.Events().GetRowCount(), 3);

    // Without a selection the last group goes.
    groups.SetSel(-1);
    h.Press("groupDel");
    QCOMPARE(GroupNames(*h.Saved()), (std::vector<std::string>{"States"}));

    // The selected row is where the next dialog opens.
    AssignmentStore reread(h.StoreFile());
    reread.Open();
    QCOMPARE(reread.groupsel, h.Store().groupsel);
  }

  void exportsAndImportsMacroFiles() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    h.SelectGroup(1);
    const std::string library = h.Dialog().Library().ToXml();

    // Only ".mcr", exactly.
    FileDialogs::SetNextFileName(QString::fromStdString(h.File("all.MCR").string()));
    h.Press("groupExport");
    QVERIFY(!std::filesystem::exists(h.File("all.MCR")));
    FileDialogs::SetNextFileName(QString::fromStdString(h.File("all.mcr").string()));
    h.Press("groupExport");
    QCOMPARE(test::ReadFile(h.File("all.mcr")), library);

    test::WriteFile(h.File("other.mcr"), R"(<group><items name="One"><item code="9" /></items>
      <items name="Two" /></group>)");
    FileDialogs::SetNextFileName(QString::fromStdString(h.File("other.mcr").string()));
    h.Press("groupImport");
    QCOMPARE(GroupNames(*h.Saved()), (std::vector<std::string>{"One", "Two"}));
    QCOMPARE(h.Groups().GetRowCount(), 2);
    // The row stays selected and shows the group that now has it.
    QCOMPARE(h.Groups().GetSel(), 1);
    QCOMPARE(h.Events().GetRowCount(), 0);
    h.SelectGroup(0);
    QCOMPARE(CellText(h.Events(), 0, "key_code"), QStringLiteral("9"));

    // A cancelled dialog does nothing.
    FileDialogs::SetNextFileName(QString());
    h.Press("groupImport");
    QCOMPARE(h.Groups().GetRowCount(), 2);
  }

  void showsWhatCouldNotBeDone() {
    Harness& h = *harness_;
    h.WriteLibrary();
    // The library's folder does not exist: nothing can be saved there.
    h.Open(false, h.File("missing") / "macro.xml");
    auto& problem = Control<ui::SStatic>(h.Dialog(), QStringLiteral("text_file_problem"));
    QVERIFY(!problem.isVisible());

    h.Press("groupAdd");
    QVERIFY(problem.isVisible());
    QCOMPARE(problem.GetText(), QStringLiteral("Your changes could not be saved."));
    QVERIFY(!problem.GetToolTipText().isEmpty());

    test::WriteFile(h.File("broken.mcr"), "<group><items name=");
    FileDialogs::SetNextFileName(QString::fromStdString(h.File("broken.mcr").string()));
    h.Press("groupImport");
    // The unsaved changes still matter most.
    QCOMPARE(problem.GetText(), QStringLiteral("Your changes could not be saved."));
    QCOMPARE(h.Dialog().Library().GroupCount(), 1);
  }

  // A store that cannot be saved is told from its first save, made as the dialog opens, for as
  // long as its saves fail, whatever the library's saves do meanwhile.
  void tellsOfAStoreThatCannotBeSaved() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.MoveStore(h.File("missing") / "store.xml");
    // The dialog puts a delay mode out of range back to real delays and saves it.
    h.Store().dlymode = 5;
    h.Open();
    auto& problem = Control<ui::SStatic>(h.Dialog(), QStringLiteral("text_file_problem"));
    QVERIFY(problem.isVisible());
    QCOMPARE(problem.GetText(), QStringLiteral("Your changes could not be saved."));

    h.Press("item_clear");
    QCOMPARE(h.Saved()->GroupAt(0)->ChildCount(), 0);
    QVERIFY(problem.isVisible());

    QVERIFY(std::filesystem::create_directory(h.File("missing")));
    h.ShowPage(2);
    QVERIFY(!problem.isVisible());
  }

  // The program's store is opened once, before any dialog: its row is the only one here that
  // makes AssignmentStore::Global(), over the folder of its own harness.
  void tellsOfAFileThatCouldNotBeRead_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("macro library") << "macro.xml";
    QTest::newRow("program's store") << "store.xml";
  }
  void tellsOfAFileThatCouldNotBeRead() {
    QFETCH(QString, file);
    Harness& h = *harness_;
    h.WriteLibrary();
    h.WriteStore("groupsel=\"1\"");
    test::WriteFile(h.File(qPrintable(file)), "<macro><group name=");
    h.globalStore = file == QStringLiteral("store.xml");
    if (h.globalStore) {
      QVERIFY(AssignmentStore::SetGlobalFolder(h.File("")));
    }
    h.Open();
    auto& problem = Control<ui::SStatic>(h.Dialog(), QStringLiteral("text_file_problem"));
    QVERIFY(problem.isVisible());
    QCOMPARE(problem.GetText(), QStringLiteral("A file could not be read; it was kept aside."));
    QVERIFY2(problem.GetToolTipText().contains(QStringLiteral(".broken-")),
             qPrintable(problem.GetToolTipText()));
  }

  void anImportSaysWhatItLeftOut() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    auto& problem = Control<ui::SStatic>(h.Dialog(), QStringLiteral("text_file_problem"));
    test::WriteFile(h.File("some.mcr"), R"(<group><items name="Kept"/><items/></group>)");
    FileDialogs::SetNextFileName(QString::fromStdString(h.File("some.mcr").string()));
    h.Press("groupImport");
    QCOMPARE(GroupNames(*h.Saved()), (std::vector<std::string>{"Kept"}));
    QVERIFY(problem.isVisible());
    QCOMPARE(problem.GetText(),
             QStringLiteral("Some groups of the file could not be read and were left out."));
    QVERIFY(problem.GetToolTipText().contains(QStringLiteral("1 group(s) without a \"name\"")));
  }

  // The save dialog itself: a name typed without an extension is saved as a ".mcr" file.
  void anExportTypedWithoutExtensionGetsIt() {
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    QTimer::singleShot(0, [&h] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      dialog->setDirectory(QString::fromStdString(h.File("").string()));
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QVERIFY(name != nullptr);
      name->setText(QStringLiteral("backup"));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    h.Press("groupExport");
    QCOMPARE(test::ReadFile(h.File("backup.mcr")), h.Dialog().Library().ToXml());
  }

  // The repeat count takes 1 to 255 only: anything else is not kept and says why, and OK on the
  // macro page then leaves the dialog open, as a count the keyboard would take as 0 (a remap of
  // the key to itself) or as its low 8 bits is never what the user meant.
  void refusesRepeatCountsOutsideOneTo255_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reason");  // empty: taken
    QTest::addColumn<int>("kept");
    const QString empty = QStringLiteral("Enter how many times the macro plays: 1 to 255.");
    const QString tooFew = QStringLiteral("A macro plays at least once: enter 1 to 255.");
    const QString tooMany = QStringLiteral("A macro plays at most 255 times: enter 1 to 255.");
    QTest::newRow("nothing") << 3 << true << "" << empty << 3;
    QTest::newRow("0") << 3 << true << "0" << tooFew << 3;
    QTest::newRow("256") << 3 << true << "256" << tooMany << 3;
    QTest::newRow("512") << 3 << true << "512" << tooMany << 3;
    QTest::newRow("a stored 0 is shown refused") << 0 << false << "" << tooFew << 0;
    QTest::newRow("a stored 300 is shown refused") << 300 << false << "" << tooMany << 300;
    QTest::newRow("1") << 3 << true << "1"
                       << "" << 1;
    QTest::newRow("255") << 3 << true << "255"
                         << "" << 255;
  }
  void refusesRepeatCountsOutsideOneTo255() {
    QFETCH(int, stored);
    QFETCH(bool, type);
    QFETCH(QString, typed);
    QFETCH(QString, reason);
    QFETCH(int, kept);
    Harness& h = *harness_;
    h.WriteLibrary();
    h.WriteStore("page=\"0\" repeat=\"" + std::to_string(stored) + "\" groupsel=\"0\"");
    MacroRecordDlg& dialog = h.Open();
    auto& repeat = Control<ui::SEdit>(dialog, QStringLiteral("edit_macro_repeat_times"));
    if (type) {
      repeat.SetText(typed);
    }

    auto& problem = Control<ui::SStatic>(dialog, QStringLiteral("text_repeat_problem"));
    QCOMPARE(problem.isVisible(), !reason.isEmpty());
    QCOMPARE(problem.GetText(), reason);
    QCOMPARE(h.Store().repeat, kept);
    AssignmentStore reread(h.StoreFile());
    reread.Open();
    QCOMPARE(reread.repeat, kept);

    h.Press("btnOK");
    if (reason.isEmpty()) {
      QCOMPARE(h.Result(), MacroRecordDlg::kResultOk);
      QCOMPARE(static_cast<int>(h.Record().repeatCount()), kept);
      return;
    }
    QVERIFY(dialog.isVisible());
    QVERIFY(AllZeroFrom(h.Record(), 0));
    // The other pages do not play a macro: their OK is not held up.
    h.ShowPage(MacroRecordDlg::kMediaKeyPage);
    h.Press("btnOK");
    QCOMPARE(h.Result(), MacroRecordDlg::kResultOk);
    QCOMPARE(h.Record().keyCode(), std::uint8_t{0xE9});
  }

  // How many of the profile's macro slots are free, as the main window last read them, and that
  // a remap needs one too.
  void tellsTheFreeMacroSlots_data() {
    QTest::addColumn<bool>("told");
    QTest::addColumn<std::vector<std::uint8_t>>("macroSlots");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<QString>("text");  // empty: hidden
    QTest::addColumn<bool>("warning");
    const std::vector<std::uint8_t> others = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15,
                                              0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B};
    QTest::newRow("not told") << false << others << true << "" << false;
    QTest::newRow("a read that lost a reply")
        << true << std::vector<std::uint8_t>{} << false
        << "How many macro slots are free is not known: the keyboard's key table was not read."
        << false;
    QTest::newRow("nine free")
        << true << std::vector<std::uint8_t>{0x10, 0x11, 0x12} << true
        << "Free macro slots in this profile: 9 of 12. A remap needs a free macro slot too."
        << false;
    QTest::newRow("the key holds one")
        << true << std::vector<std::uint8_t>{0x10, 0x04} << true
        << "Free macro slots in this profile: 10 of 12. This key keeps the macro slot it has."
        << false;
    QTest::newRow("full") << true << others << true
                          << "All 12 macro slots of this profile are taken. Reset another key "
                             "first: a remap needs a free macro slot too."
                          << true;
  }
  void tellsTheFreeMacroSlots() {
    QFETCH(bool, told);
    QFETCH(std::vector<std::uint8_t>, macroSlots);
    QFETCH(bool, whole);
    QFETCH(QString, text);
    QFETCH(bool, warning);
    Harness& h = *harness_;
    if (told) {
      h.keyboard = KeyboardWith(macroSlots, whole);
    }
    auto& line = Control<ui::SStatic>(h.Open(), QStringLiteral("text_free_slots"));
    QCOMPARE(line.isVisible(), !text.isEmpty());
    if (told) {
      QCOMPARE(line.GetText(), text);
    }
    const QColor warningColour = *ui::SApplication::Instance()->GetColor(QStringLiteral("warning"));
    QCOMPARE(line.TextColor(0) == warningColour, warning);
  }

  // The media-key and shortcut pages show the keys of the entry chosen, from the one the dialog
  // opens with on.
  void picturesShowTheKeysOfTheChosenEntry_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QStringList>("caps");
    QTest::newRow("media key: its glyph, by the low 8 bits of its first code")
        << 2 << 0 << QStringList{QStringLiteral("Mute [1]")};
    QTest::newRow("media key without codes: nothing") << 2 << 1 << QStringList{};
    QTest::newRow("the last media glyph")
        << 2 << 2 << QStringList{QStringLiteral("Calculator [19]")};
    QTest::newRow("a usage without glyph: the name")
        << 2 << 3 << QStringList{QStringLiteral("Odd")};
    QTest::newRow("shortcut: a cap per key")
        << 3 << 0 << QStringList{QStringLiteral("Ctrl"), QStringLiteral("C")};
    QTest::newRow("shortcut without codes: nothing") << 3 << 1 << QStringList{};
    QTest::newRow("three keys, modifiers named alike")
        << 3 << 2
        << QStringList{QStringLiteral("Ctrl"), QStringLiteral("Shift"), QStringLiteral("Esc")};
  }
  void picturesShowTheKeysOfTheChosenEntry() {
    QFETCH(int, page);
    QFETCH(int, entry);
    QFETCH(QStringList, caps);
    Harness& h = *harness_;
    h.WriteStore("page=\"" + std::to_string(page) + "\" mediasel=\"" + std::to_string(entry) +
                 "\" functsel=\"" + std::to_string(entry) + "\"");
    MacroRecordDlg& dialog = h.Open();
    const bool media = page == MacroRecordDlg::kMediaKeyPage;
    auto& picture = Control<controls::SKeyCaps>(
        dialog, media ? QStringLiteral("img_media_keys") : QStringLiteral("img_function_keys"));
    auto& combo = Control<ui::SComboBox>(
        dialog, media ? QStringLiteral("cmb_media_keys") : QStringLiteral("cmb_function_keys"));
    QCOMPARE(CapTexts(picture), caps);

    combo.SetCurSel(-1, true);
    QVERIFY(picture.GetKeyCaps().empty());
    combo.SetCurSel(entry, true);
    QCOMPARE(CapTexts(picture), caps);
  }

  // Each shortcut of the drop-down list shows its keys.
  void theShortcutListShowsTheKeysOfEachEntry() {
    Harness& h = *harness_;
    h.WriteStore(R"(page="3")");
    auto& combo = Control<ui::SComboBox>(h.Open(), QStringLiteral("cmb_function_keys"));
    QStringList rows;
    QTimer::singleShot(0, [&rows] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu != nullptr);
      for (const QAction* action : menu->actions()) {
        rows.append(action->text());
      }
      menu->close();
    });
    Click(combo);
    QCOMPARE(rows, (QStringList{QStringLiteral("Copy\tCtrl + C"), QStringLiteral("Empty"),
                                QStringLiteral("Task manager\tCtrl + Shift + Esc")}));
  }

  // The macro files' dialogs open in the user's folders, never in the program's: the folder
  // last used, else the documents folder, else the home folder.
  void fileDialogsStartInTheUsersFolders_data() {
    QTest::addColumn<QString>("remembered");  // "gone": a folder that is no more
    QTest::addColumn<bool>("documents");      // the documents folder exists
    QTest::addColumn<QString>("start");       // "remembered", "documents" or "home"
    QTest::newRow("the folder last used") << "remembered" << true << "remembered";
    QTest::newRow("a folder that is gone") << "gone" << true << "documents";
    QTest::newRow("none yet") << "" << true << "documents";
    QTest::newRow("no documents folder") << "" << false << "home";
  }
  void fileDialogsStartInTheUsersFolders() {
    QFETCH(QString, remembered);
    QFETCH(bool, documents);
    QFETCH(QString, start);
    QTemporaryDir home;
    const QString documentsFolder = home.filePath(QStringLiteral("Documents"));
    const QString rememberedFolder = home.filePath(QStringLiteral("macros"));
    QVERIFY(QDir().mkpath(rememberedFolder));
    if (documents) {
      QVERIFY(QDir().mkpath(documentsFolder));
    }
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
    const QString given = remembered == QStringLiteral("remembered") ? rememberedFolder
                          : remembered == QStringLiteral("gone")
                              ? home.filePath(QStringLiteral("gone"))
                              : QString();
    const QString chosen = FileDialogs::StartFolder(given);
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    if (oldConfig.isEmpty()) {
      qunsetenv("XDG_CONFIG_HOME");
    }
    const QString expected = start == QStringLiteral("remembered")  ? rememberedFolder
                             : start == QStringLiteral("documents") ? documentsFolder
                                                                    : home.path();
    QCOMPARE(QDir(chosen).canonicalPath(), QDir(expected).canonicalPath());
  }

  // The folder of the macro file last imported or exported is where the next file dialog
  // opens, in this dialog and the next one.
  void fileDialogsRememberTheFolderLastUsed() {
    Harness& h = *harness_;
    h.WriteLibrary();
    const std::filesystem::path first = h.File("first");
    const std::filesystem::path second = h.File("second");
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    h.Open();
    QCOMPARE(h.Store().folder, std::string());

    FileDialogs::SetNextFileName(QString::fromStdString((first / "all.mcr").string()));
    h.Press("groupExport");
    QCOMPARE(FileDialogs::LastStartFolder(), FileDialogs::StartFolder(QString()));
    QCOMPARE(h.Store().folder, first.string());

    FileDialogs::SetNextFileName(QString::fromStdString((second / "missing.mcr").string()));
    h.Press("groupImport");
    QCOMPARE(FileDialogs::LastStartFolder(), QString::fromStdString(first.string()));
    QCOMPARE(h.Store().folder, second.string());
    h.Press("btnCancel");
    QCOMPARE(h.Result(), MacroRecordDlg::kResultCancel);

    // The next dialog, from the store's file.
    AssignmentStore reread(h.StoreFile());
    reread.Open();
    QCOMPARE(reread.folder, second.string());
    h.Open();
    FileDialogs::SetNextFileName(QString());
    h.Press("groupImport");
    QCOMPARE(FileDialogs::LastStartFolder(), QString::fromStdString(second.string()));
  }

  void showsATranslatedDialog() {
    app_.reset();
    app_ = test::MakeApplication(QStringLiteral("lang_cn"));
    Harness& h = *harness_;
    h.WriteLibrary();
    h.Open();
    h.SelectGroup(1);
    QCOMPARE(CellText(h.Events(), 0, "key_state"), QStringLiteral("按下"));
    QCOMPARE(CellText(h.Events(), 2, "key_state"), QStringLiteral("替换"));
    Click(h.RecordBox());
    QCOMPARE(h.RecordBox().GetDisplayText(), QStringLiteral("停止录制"));
  }

 private:
  std::unique_ptr<ui::SApplication> app_;
  std::unique_ptr<Harness> harness_;
};

}  // namespace keyloom::macro

QTEST_MAIN(keyloom::macro::MacroRecordDlgTest)
#include "MacroRecordDlgTest.moc"
