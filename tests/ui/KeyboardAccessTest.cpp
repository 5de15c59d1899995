#include <QAccessible>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "UiTestSupport.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SHostDialog.h"
#include "ui/host/SHostWnd.h"
#include "ui/skin/Translator.h"
#include "ui/skin/TranslatorManager.h"
#include "ui/widgets/AdapterBase.h"
#include "ui/widgets/SMcListView.h"
#include "ui/widgets/SMcListViewAccessible.h"
#include "ui/widgets/SSliderBar.h"
#include "ui/widgets/STabCtrl.h"
#include "ui/widgets/STabPage.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

namespace {

// A host window that keeps the control events no subscriber handled.
class RecordingHost : public SHostWnd {
 public:
  RecordingHost() : SHostWnd(QStringLiteral("XML_MAINWND")) {}
  void OnEvent(EventArgs& args) override { events.emplace_back(args.eventId, args.senderName); }
  [[nodiscard]] int Count(int eventId) const {
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [eventId](const auto& e) { return e.first == eventId; }));
  }
  std::vector<std::pair<int, QString>> events;
};

// The name of the control that `widget` is or lies in.
QString ControlName(const QWidget* widget) {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    if (const auto* control = dynamic_cast<const SWindow*>(widget)) {
      return control->GetName();
    }
  }
  return {};
}

// Rows of the event list "key_info": code, name, state and delay.
class EventRows : public McAdapterBase {
 public:
  // `count` rows whose texts start with `prefix`: "A0 code", "A0 name", ...
  EventRows(const QString& prefix, int count) { Fill(prefix, count); }

  void Fill(const QString& prefix, int count) {
    rows.clear();
    for (int row = 0; row < count; ++row) {
      rows.push_back(QStringList{QStringLiteral("%1%2 code").arg(prefix).arg(row),
                                 QStringLiteral("%1%2 name").arg(prefix).arg(row),
                                 QStringLiteral("%1%2 state").arg(prefix).arg(row),
                                 QStringLiteral("%1%2 delay").arg(prefix).arg(row)});
    }
  }

  [[nodiscard]] int GetCount() const override { return static_cast<int>(rows.size()); }
  void GetView(int position, SWindow& rowView, const pugi::xml_node& itemTemplate) override {
    if (rowView.GetChildWindows().empty()) {
      rowView.CreateChildren(itemTemplate);
    }
    const QStringList& row = rows[static_cast<std::size_t>(position)];
    const QStringList children{QStringLiteral("key_code"), QStringLiteral("key_name"),
                               QStringLiteral("key_state"), QStringLiteral("key_delay")};
    for (int column = 0; column < children.size(); ++column) {
      rowView.FindChildByName(children[column])->SetText(row[column]);
    }
  }
  [[nodiscard]] QString GetColumnName(int column) const override {
    return QStringLiteral("col%1").arg(column + 1);
  }
  bool OnSort(int /*column*/, std::vector<SortMark>& /*marks*/) override { return false; }

  std::vector<QStringList> rows;
};

// A window with the lists of the fixture's layout "lists" that keeps the selection changes.
class ListsHost : public SHostWnd {
 public:
  ListsHost() : SHostWnd(QStringLiteral("LAYOUT:lists")) {}
  void OnEvent(EventArgs& args) override {
    if (args.eventId == kEventListSelectionChanged) {
      selections.push_back(args.index);
    }
  }
  std::vector<int> selections;
};

}  // namespace

class KeyboardAccessTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    app_ = test::MakeApplication();
    host_ = std::make_unique<RecordingHost>();
    QVERIFY(host_->Create());
    host_->show();
    QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
    host_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(host_.get()));
  }
  void cleanup() {
    host_.reset();
    test::DeleteDestroyedControls();
    app_.reset();
  }

  // Tab goes through the content in the layout's order and reaches the title bar last.
  void theTitleBarComesLastInTheTabOrder() {
    QStringList order;
    SWindow* root = host_->GetRoot();
    for (QWidget* widget = root->nextInFocusChain(); widget != root;
         widget = widget->nextInFocusChain()) {
      if ((widget->focusPolicy() & Qt::TabFocus) != 0 && !widget->isHidden()) {
        order.append(ControlName(widget));
      }
    }
    QCOMPARE(order.value(0), QStringLiteral("btn_more"));
    QCOMPARE(order.value(1), QStringLiteral("btn_styled"));
    QCOMPARE(order.last(), QStringLiteral("btn_close"));
  }

  // The mark shows for a focus that came from the keyboard, not for one from the mouse; the
  // window coming back keeps it as it was.
  void theFocusMarkFollowsTheKeyboard_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("then");
    QTest::addColumn<bool>("marked");
    QTest::newRow("mouse") << int(Qt::MouseFocusReason) << -1 << false;
    QTest::newRow("tab") << int(Qt::TabFocusReason) << -1 << true;
    QTest::newRow("shift+tab") << int(Qt::BacktabFocusReason) << -1 << true;
    QTest::newRow("shortcut") << int(Qt::ShortcutFocusReason) << -1 << true;
    QTest::newRow("tab, then the mouse")
        << int(Qt::TabFocusReason) << int(Qt::MouseFocusReason) << false;
    QTest::newRow("tab, then the window again")
        << int(Qt::TabFocusReason) << int(Qt::ActiveWindowFocusReason) << true;
    QTest::newRow("mouse, then the window again")
        << int(Qt::MouseFocusReason) << int(Qt::ActiveWindowFocusReason) << false;
  }
  void theFocusMarkFollowsTheKeyboard() {
    QFETCH(int, first);
    QFETCH(int, then);
    QFETCH(bool, marked);
    SWindow* button = host_->FindChildByName(QStringLiteral("btn_styled"));
    QCOMPARE(button->SetAttribute("colorFocus", QStringLiteral("#ff0000")),
             AttributeResult::kHandled);
    button->setFocus(static_cast<Qt::FocusReason>(first));
    if (then >= 0) {
      host_->FindChildByName(QStringLiteral("btn_more"))->setFocus(Qt::OtherFocusReason);
      button->setFocus(static_cast<Qt::FocusReason>(then));
    }
    QVERIFY(button->hasFocus());
    QCOMPARE(button->ShowsFocusMark(), marked);
    // The mark is a frame inside the control's edge.
    const QImage picture = button->grab().toImage();
    QCOMPARE(picture.pixelColor(1, picture.height() / 2) == QColor(Qt::red), marked);
  }

  // Space and Enter click the focused button as a click does; nothing else does.
  void spaceAndEnterClickAButton_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("commands");
    QTest::newRow("a letter") << int(Qt::Key_A) << int(Qt::NoModifier) << true << 0;
    QTest::newRow("ctrl+space") << int(Qt::Key_Space) << int(Qt::ControlModifier) << true << 0;
    QTest::newRow("space, disabled") << int(Qt::Key_Space) << int(Qt::NoModifier) << false << 0;
    QTest::newRow("space") << int(Qt::Key_Space) << int(Qt::NoModifier) << true << 1;
    QTest::newRow("return") << int(Qt::Key_Return) << int(Qt::NoModifier) << true << 1;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true << 1;
  }
  void spaceAndEnterClickAButton() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, enabled);
    QFETCH(int, commands);
    SWindow* button = host_->FindChildByName(QStringLiteral("btn_more"));
    button->setEnabled(enabled);
    QTest::keyClick(button, static_cast<Qt::Key>(key),
                    static_cast<Qt::KeyboardModifiers>(modifiers));
    QCOMPARE(host_->Count(kEventCommand), commands);
  }

  // Escape that no control took cancels a dialog.
  void escapeCancelsADialog() {
    SHostDialog dialog(QStringLiteral("dialog"));
    const SHostDialog::ExecHook previous = SHostDialog::SetExecHook([](SHostDialog& shown) {
      QTimer::singleShot(0, &shown, [&shown] { QTest::keyClick(&shown, Qt::Key_Escape); });
      // A dialog that Escape left open ends otherwise.
      QTimer::singleShot(1000, &shown, [&shown] { shown.EndDialog(SHostDialog::kIdOk); });
    });
    const int result = dialog.Exec();
    SHostDialog::SetExecHook(previous);
    QCOMPARE(result, SHostDialog::kIdCancel);
  }

  // With the focus, the arrows, Home and End choose a tab; Ctrl+Tab and Ctrl+Shift+Tab go round
  // from anywhere on the pages. Each choice fires the selection change, as a press on the tab.
  void theKeysChooseTabs_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("onPage");
    QTest::addColumn<int>("to");
    const auto row = [](const char* title, int from, Qt::Key key, Qt::KeyboardModifiers modifiers,
                        bool onPage, int to) {
      QTest::newRow(title) << from << int(key) << int(modifiers) << onPage << to;
    };
    row("right", 0, Qt::Key_Right, Qt::NoModifier, false, 1);
    row("down", 0, Qt::Key_Down, Qt::NoModifier, false, 1);
    row("right stops at the last", 1, Qt::Key_Right, Qt::NoModifier, false, 1);
    row("left", 1, Qt::Key_Left, Qt::NoModifier, false, 0);
    row("left stops at the first", 0, Qt::Key_Left, Qt::NoModifier, false, 0);
    row("home", 1, Qt::Key_Home, Qt::NoModifier, false, 0);
    row("end", 0, Qt::Key_End, Qt::NoModifier, false, 1);
    row("ctrl+tab goes round", 1, Qt::Key_Tab, Qt::ControlModifier, false, 0);
    row("ctrl+shift+tab goes round", 0, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier,
        false, 1);
    row("ctrl+tab on a page", 1, Qt::Key_Tab, Qt::ControlModifier, true, 0);
    row("an arrow on a page is the page's", 0, Qt::Key_Right, Qt::NoModifier, true, 0);
  }
  void theKeysChooseTabs() {
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, onPage);
    QFETCH(int, to);
    auto* tabs = host_->FindChildByName2<STabCtrl>(QStringLiteral("tab_macro_mode_selection"));
    tabs->SetCurSel(from);
    QWidget* target = onPage ? static_cast<QWidget*>(tabs->GetItem(from)) : tabs;
    if (!onPage) {
      tabs->setFocus(Qt::TabFocusReason);
    }
    QTest::keyClick(target, static_cast<Qt::Key>(key),
                    static_cast<Qt::KeyboardModifiers>(modifiers));
    QCOMPARE(tabs->GetCurSel(), to);
    QCOMPARE(host_->Count(kEventTabSelectionChanged), from != to ? 1 : 0);
  }

  // The focused tab control frames the selected tab, less 2 pixels on each side, unless its
  // style says focusRect="0".
  void theFocusedTabIsFramed_data() {
    QTest::addColumn<QString>("focusRect");
    QTest::addColumn<bool>("framed");
    QTest::newRow("asked for") << "1" << true;
    QTest::newRow("not asked for") << "0" << false;
  }
  void theFocusedTabIsFramed() {
    QFETCH(QString, focusRect);
    QFETCH(bool, framed);
    auto* tabs = host_->FindChildByName2<STabCtrl>(QStringLiteral("tab_macro_mode_selection"));
    QCOMPARE(tabs->SetAttribute("colorFocus", QStringLiteral("#ff0000")),
             AttributeResult::kHandled);
    QCOMPARE(tabs->SetAttribute("focusRect", focusRect), AttributeResult::kHandled);
    const QRect selected = tabs->ItemRect(tabs->GetCurSel());
    const QPoint edge(selected.left() + 2, selected.center().y());
    QVERIFY(tabs->grab().toImage().pixelColor(edge) != QColor(Qt::red));
    tabs->setFocus(Qt::TabFocusReason);
    QCOMPARE(tabs->grab().toImage().pixelColor(edge) == QColor(Qt::red), framed);
  }

  // What a screen reader hears of each kind of control.
  void controlsTellTheirRoleNameAndState_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("checked");
    const auto row = [](const char* control, QAccessible::Role role, const char* name,
                        const char* value = "", bool checked = false) {
      QTest::newRow(control) << control << int(role) << name << value << checked;
    };
    row("btn_more", QAccessible::PushButton, "More");
    row("btn_close", QAccessible::PushButton, "Close");  // drawn as a picture: its tooltip
    row("chk_macro_record", QAccessible::CheckBox, "Record", "", true);
    row("radio_direction_right", QAccessible::RadioButton, "Right");
    row("cmb_profile", QAccessible::ComboBox, "", "Profile 2");
    row("bar_speed", QAccessible::Slider, "", "2");
    row("version", QAccessible::StaticText, "Disconnected");
    row("tab_macro_mode_selection", QAccessible::PageTabList, "");
    row("page_single", QAccessible::PageTab, "Single key");
    row("caption", QAccessible::TitleBar, "");
  }
  void controlsTellTheirRoleNameAndState() {
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(bool, checked);
    QAccessibleInterface* told =
        QAccessible::queryAccessibleInterface(host_->FindChildByName(control));
    QVERIFY(told != nullptr);
    QCOMPARE(int(told->role()), role);
    QCOMPARE(told->text(QAccessible::Name), name);
    QCOMPARE(told->text(QAccessible::Value), value);
    QCOMPARE(bool(told->state().checked), checked);
  }

  // The layout names a control for a screen reader and tells what it is; the words follow the
  // language.
  void theLayoutsWordsAreTranslated() {
    SWindow* version = host_->FindChildByName(QStringLiteral("version"));
    QCOMPARE(version->SetAttribute("accRole", QStringLiteral("status")), AttributeResult::kHandled);
    QCOMPARE(version->SetAttribute("accDesc", QStringLiteral("Close")), AttributeResult::kHandled);
    QCOMPARE(version->SetAttribute("accRole", QStringLiteral("banner")), AttributeResult::kFailed);
    QAccessibleInterface* told = QAccessible::queryAccessibleInterface(version);
    QCOMPARE(int(told->role()), int(QAccessible::StatusBar));
    QCOMPARE(told->text(QAccessible::Description), QStringLiteral("Close"));
    TranslatorManager& translators = app_->GetTranslatorManager();
    const std::shared_ptr<Translator> chinese = app_->LoadTranslator(QStringLiteral("lang_cn"));
    translators.SetLanguage(chinese->Name());
    translators.InstallTranslator(chinese);
    host_->SendLanguageChanged();
    QCOMPARE(told->text(QAccessible::Name), QStringLiteral("未连接"));
    QCOMPARE(told->text(QAccessible::Description), QStringLiteral("关闭"));
  }

  // The event list is a table: its column headers, then its cells row by row, each cell named
  // by what it shows and placed under its header. The single-column list stays a list.
  void theEventListIsATable() {
    ListsHost lists;
    QVERIFY(lists.Create());
    lists.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lists));
    auto* events = lists.FindChildByName2<SMcListView>(QStringLiteral("key_info"));
    events->SetAdapter(std::make_shared<EventRows>(QStringLiteral("A"), 2));
    QAccessibleInterface* told = QAccessible::queryAccessibleInterface(events);
    QAccessibleTableInterface* table = told->tableInterface();
    QCOMPARE(int(told->role()), int(QAccessible::Table));
    QVERIFY(table != nullptr);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->columnCount(), 4);
    QCOMPARE(told->childCount(), 12);
    const QStringList titles{QStringLiteral("Key code"), QStringLiteral("Key name"),
                             QStringLiteral("State"), QStringLiteral("Delay")};
    const QStringList fields{QStringLiteral("code"), QStringLiteral("name"),
                             QStringLiteral("state"), QStringLiteral("delay")};
    for (int column = 0; column < 4; ++column) {
      QCOMPARE(table->columnDescription(column), titles[column]);
      QAccessibleInterface* header = told->child(column);
      QCOMPARE(int(header->role()), int(QAccessible::ColumnHeader));
      QCOMPARE(header->text(QAccessible::Name), titles[column]);
      for (int row = 0; row < 2; ++row) {
        QAccessibleInterface* cell = table->cellAt(row, column);
        QCOMPARE(int(cell->role()), int(QAccessible::Cell));
        QCOMPARE(cell->text(QAccessible::Name),
                 QStringLiteral("A%1 %2").arg(row).arg(fields[column]));
        QAccessibleTableCellInterface* place = cell->tableCellInterface();
        QCOMPARE(std::make_pair(place->rowIndex(), place->columnIndex()),
                 std::make_pair(row, column));
        QCOMPARE(place->columnHeaderCells().value(0), header);
        QCOMPARE(cell->parent(), told);
        QCOMPARE(told->child(told->indexOfChild(cell)), cell);
        QCOMPARE(told->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
      }
    }
    QCOMPARE(table->cellAt(2, 0), nullptr);
    QCOMPARE(table->cellAt(0, 4), nullptr);
    QAccessibleInterface* groups =
        QAccessible::queryAccessibleInterface(lists.FindChildByName(QStringLiteral("macro_group")));
    QCOMPARE(int(groups->role()), int(QAccessible::List));
    QCOMPARE(groups->tableInterface(), nullptr);
  }

  // A row selected with the keyboard or by a screen reader is the table's selected row, its
  // first cell has the focus as the list has it, and the list's selection change fires.
  void aSelectedRowIsTheTablesSelection_data() {
    QTest::addColumn<bool>("byScreenReader");
    QTest::newRow("the keyboard") << false;
    QTest::newRow("a screen reader") << true;
  }
  void aSelectedRowIsTheTablesSelection() {
    QFETCH(bool, byScreenReader);
    ListsHost lists;
    QVERIFY(lists.Create());
    lists.show();
    lists.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&lists));
    auto* events = lists.FindChildByName2<SMcListView>(QStringLiteral("key_info"));
    events->SetAdapter(std::make_shared<EventRows>(QStringLiteral("A"), 3));
    events->setFocus(Qt::TabFocusReason);
    QAccessibleInterface* told = QAccessible::queryAccessibleInterface(events);
    QAccessibleTableInterface* table = told->tableInterface();
    for (int row = 0; row < 2; ++row) {
      if (byScreenReader) {
        QVERIFY(table->selectRow(row));
      } else {
        QTest::keyClick(events, Qt::Key_Down);
      }
    }
    QCOMPARE(lists.selections, (std::vector<int>{0, 1}));
    QCOMPARE(table->selectedRows(), QList<int>{1});
    QCOMPARE(table->selectedCellCount(), 4);
    QVERIFY(table->isRowSelected(1) && !table->isRowSelected(0));
    QVERIFY(table->cellAt(1, 3)->state().selected && !table->cellAt(0, 3)->state().selected);
    QVERIFY(table->cellAt(1, 3)->tableCellInterface()->isSelected());
    QCOMPARE(told->focusChild(), table->cellAt(1, 0));
    QVERIFY(table->cellAt(1, 0)->state().focused && !table->cellAt(1, 1)->state().focused);
    QVERIFY(!table->selectRow(3));
  }

  // After the rows were built again screen readers hear which rows went, came and may show
  // other data; on that the table drops the cells of the rows that went and keeps the others,
  // which read the new rows.
  void cellsFollowTheRows_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<bool>("lastKept");
    QTest::newRow("rows go") << 3 << 1 << QStringList{"removed 1-2", "changed 0-0"} << false;
    QTest::newRow("all rows go") << 2 << 0 << QStringList{"removed 0-1"} << false;
    QTest::newRow("rows come") << 1 << 3 << QStringList{"inserted 1-2", "changed 0-0"} << true;
    QTest::newRow("the same rows") << 2 << 2 << QStringList{"changed 0-1"} << true;
  }
  void cellsFollowTheRows() {
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(QStringList, changes);
    QFETCH(bool, lastKept);
    ListsHost lists;
    QVERIFY(lists.Create());
    auto* events = lists.FindChildByName2<SMcListView>(QStringLiteral("key_info"));
    auto adapter = std::make_shared<EventRows>(QStringLiteral("A"), before);
    events->SetAdapter(adapter);
    QAccessibleInterface* told = QAccessible::queryAccessibleInterface(events);
    QAccessibleTableInterface* table = told->tableInterface();
    QAccessibleInterface* header = told->child(1);
    const QAccessible::Id first = QAccessible::uniqueId(table->cellAt(0, 1));
    const QAccessible::Id last = QAccessible::uniqueId(table->cellAt(before - 1, 1));
    adapter->Fill(QStringLiteral("B"), after);
    adapter->NotifyDataSetChanged();
    // What the list tells, and what Qt hands the table on each change.
    QStringList toldChanges;
    for (const RowsChange& change : RowsChanges(before, after)) {
      static const char* const kNames[] = {"reset",         "changed", "inserted",
                                           "columns added", "removed", "columns removed"};
      toldChanges.append(QStringLiteral("%1 %2-%3")
                             .arg(QLatin1String(kNames[change.type]))
                             .arg(change.firstRow)
                             .arg(change.lastRow));
      QAccessibleTableModelChangeEvent event(events, change.type);
      event.setFirstRow(change.firstRow);
      event.setLastRow(change.lastRow);
      table->modelChange(&event);
    }
    QCOMPARE(toldChanges, changes);
    QCOMPARE(QAccessible::accessibleInterface(first) != nullptr, after > 0);
    QCOMPARE(QAccessible::accessibleInterface(last) != nullptr, lastKept);
    QCOMPARE(told->child(1), header);
    QCOMPARE(told->childCount(), (after + 1) * 4);
    for (int row = 0; row < after; ++row) {
      QCOMPARE(table->cellAt(row, 1)->text(QAccessible::Name), QStringLiteral("B%1 name").arg(row));
    }
    QCOMPARE(table->cellAt(after, 1), nullptr);
  }

  // A screen reader moves a slider as the arrow keys do, and presses a button as a click.
  void screenReadersActOnControls() {
    auto* slider = host_->FindChildByName2<SSliderBar>(QStringLiteral("bar_speed"));
    QAccessibleValueInterface* value =
        QAccessible::queryAccessibleInterface(slider)->valueInterface();
    QVERIFY(value != nullptr);
    QCOMPARE(value->maximumValue().toInt(), 3);
    value->setCurrentValue(9);
    QCOMPARE(slider->GetValue(), 3);
    QCOMPARE(host_->Count(kEventSliderPos), 1);
    QAccessibleActionInterface* actions =
        QAccessible::queryAccessibleInterface(host_->FindChildByName(QStringLiteral("btn_more")))
            ->actionInterface();
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(host_->Count(kEventCommand), 1);
  }

 private:
  std::unique_ptr<SApplication> app_;
  std::unique_ptr<RecordingHost> host_;
};

}  // namespace keyloom::ui

QTEST_MAIN(keyloom::ui::KeyboardAccessTest)
#include "KeyboardAccessTest.moc"
