#include <QColor>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <memory>
#include <utility>
#include <vector>

#include "UiTestSupport.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SHostWnd.h"
#include "ui/skin/Translator.h"
#include "ui/widgets/AdapterBase.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SListView.h"
#include "ui/widgets/SMcListView.h"

namespace keyloom::ui {
namespace {

// One row per name, shown in the template's edit "group_name".
class NameAdapter : public ListAdapterBase {
 public:
  explicit NameAdapter(std::vector<QString> initial) : names(std::move(initial)) {}

  [[nodiscard]] int GetCount() const override { return static_cast<int>(names.size()); }

  void GetView(int position, SWindow& rowView, const pugi::xml_node& itemTemplate) override {
    ++views;
    if (rowView.GetChildWindows().empty()) {
      rowView.CreateChildren(itemTemplate);
      ++builds;
    }
    auto* edit = rowView.FindChildByName2<SEdit>(QStringLiteral("group_name"));
    edit->SetUserData(static_cast<std::uint32_t>(position));
    edit->Subscribe(
        kEventRichEditNotify,
        [this](EventArgs& args) {
          ++changes;
          args.handled = true;
        },
        this);
    edit->SetText(names[static_cast<std::size_t>(position)]);
  }

  std::vector<QString> names;
  int views = 0;
  int builds = 0;
  int changes = 0;
};

// Rows of four texts; the sort marks cycle as the key assignment dialog's events list wants.
class EventRowsAdapter : public McAdapterBase {
 public:
  [[nodiscard]] int GetCount() const override { return static_cast<int>(rows.size()); }

  void GetView(int position, SWindow& rowView, const pugi::xml_node& itemTemplate) override {
    if (rowView.GetChildWindows().empty()) {
      rowView.CreateChildren(itemTemplate);
    }
    const std::vector<QString>& row = rows[static_cast<std::size_t>(position)];
    rowView.FindChildByName(QStringLiteral("key_code"))->SetText(row[0]);
    rowView.FindChildByName(QStringLiteral("key_name"))->SetText(row[1]);
  }

  [[nodiscard]] QString GetColumnName(int column) const override {
    return QStringLiteral("col%1").arg(column + 1);
  }

  bool OnSort(int column, std::vector<SortMark>& marks) override {
    const SortMark next = marks[static_cast<std::size_t>(column)] == SortMark::kAscending
                              ? SortMark::kDescending
                              : SortMark::kAscending;
    std::fill(marks.begin(), marks.end(), SortMark::kNone);
    marks[static_cast<std::size_t>(column)] = next;
    return true;
  }

  std::vector<std::vector<QString>> rows;
};

class ListHost : public SHostWnd {
 public:
  ListHost() : SHostWnd(QStringLiteral("LAYOUT:lists")) {}
  void OnEvent(EventArgs& args) override { events.emplace_back(args.eventId, args.index); }
  std::vector<std::pair<int, int>> events;
};

}  // namespace

class ListViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    app_ = test::MakeApplication();
    host_ = std::make_unique<ListHost>();
    QVERIFY(host_->Create());
    host_->show();
    QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
    groups_ = host_->FindChildByName2<SListView>(QStringLiteral("macro_group"));
    events_ = host_->FindChildByName2<SMcListView>(QStringLiteral("key_info"));
    QVERIFY(groups_ != nullptr && events_ != nullptr);
  }
  void cleanup() {
    host_.reset();
    test::DeleteDestroyedControls();
    app_.reset();
  }

  void rowsFollowTheAdapter() {
    auto adapter = std::make_shared<NameAdapter>(
        std::vector<QString>{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    groups_->SetAdapter(adapter);
    QCOMPARE(groups_->GetRowCount(), 3);
    QCOMPARE(groups_->GetItemHeight(), 24);
    QCOMPARE(groups_->GetRowView(1)->geometry().top(), 24);
    QCOMPARE(groups_->GetRowView(1)->FindChildByName(QStringLiteral("group_name"))->GetText(),
             QStringLiteral("B"));
    QCOMPARE(groups_->GetRowView(1)->GetItemIndex(), 1);
    SItemPanel* first = groups_->GetRowView(0);
    adapter->names.push_back(QStringLiteral("D"));
    adapter->NotifyDataSetChanged();
    QCOMPARE(groups_->GetRowCount(), 4);
    QCOMPARE(groups_->GetRowView(3)->FindChildByName(QStringLiteral("group_name"))->GetText(),
             QStringLiteral("D"));
    // Rows keep their views, built from the template once.
    QCOMPARE(groups_->GetRowView(0), first);
    QCOMPARE(adapter->builds, 4);
    QCOMPARE(adapter->views, 7);
    adapter->names.erase(adapter->names.begin());
    adapter->NotifyDataSetChanged();
    QCOMPARE(groups_->GetRowCount(), 3);
    QCOMPARE(groups_->GetRowView(0)->FindChildByName(QStringLiteral("group_name"))->GetText(),
             QStringLiteral("B"));
    QCOMPARE(adapter->builds, 4);
    // The template's own attributes reach each row view.
    QCOMPARE(groups_->GetRowView(0)->FindChildByName(QStringLiteral("group_name"))->geometry(),
             QRect(4, 2, groups_->GetRowView(0)->width() - 8, 20));
    // A refilled row keeps one subscription for its edit.
    auto* edit = groups_->GetRowView(0)->FindChildByName2<SEdit>(QStringLiteral("group_name"));
    adapter->changes = 0;
    QTest::keyClicks(edit->GetLineEdit(), QStringLiteral("x"));
    QCOMPARE(adapter->changes, 1);
    QVERIFY(host_->events.empty());
  }

  void rowEditsShowTheRowsBackground() {
    groups_->SetAdapter(std::make_shared<NameAdapter>(std::vector<QString>{QStringLiteral("A")}));
    SItemPanel* row = groups_->GetRowView(0);
    auto* edit = row->FindChildByName2<SEdit>(QStringLiteral("group_name"));
    const QImage picture = groups_->grab().toImage();
    // Right of the text, inside the edit: the template's dark row colour, not an edit's white.
    const QPoint inside = edit->mapTo(groups_, QPoint(edit->width() - 6, edit->height() / 2));
    QVERIFY2(qGray(picture.pixel(inside)) < 64, qPrintable(QColor(picture.pixel(inside)).name()));
  }

  void theListSharesTheAdapterAndStopsObservingIt() {
    auto adapter = std::make_shared<NameAdapter>(std::vector<QString>{QStringLiteral("A")});
    const std::weak_ptr<NameAdapter> watch = adapter;
    groups_->SetAdapter(adapter);
    adapter.reset();
    QVERIFY(!watch.expired());
    QVERIFY(groups_->GetAdapter() != nullptr);
    auto other = std::make_shared<NameAdapter>(
        std::vector<QString>{QStringLiteral("X"), QStringLiteral("Y")});
    groups_->SetAdapter(other);
    QVERIFY(watch.expired());
    QCOMPARE(groups_->GetRowCount(), 2);
    // Each row of the new adapter is built anew, with none of the old adapter's subscriptions.
    QCOMPARE(other->builds, 2);
    groups_->SetAdapter(nullptr);
    QCOMPARE(groups_->GetRowCount(), 0);
    other->names.push_back(QStringLiteral("Z"));
    other->NotifyDataSetChanged();
    QCOMPARE(groups_->GetRowCount(), 0);
    // A destroyed list no longer observes the adapter it held.
    groups_->SetAdapter(other);
    QCOMPARE(other->views, 5);
    host_->DestroyWindow();
    other->NotifyDataSetChanged();
    QCOMPARE(other->views, 5);
  }

  void pressingARowSelectsItAndClicksIt() {
    auto adapter = std::make_shared<NameAdapter>(
        std::vector<QString>{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    groups_->SetAdapter(adapter);
    QVERIFY(groups_->SetSel(1));
    QVERIFY(groups_->GetRowView(1)->IsChecked());
    QVERIFY(!groups_->SetSel(3));
    QVERIFY(host_->events.empty());
    std::vector<int> clickedRows;
    groups_->GetRowView(2)->Subscribe(kEventListItemClick, [&clickedRows](EventArgs& args) {
      clickedRows.push_back(args.index);
    });
    // On the row's edit: the edit takes the press, and the row is selected all the same.
    auto* edit = groups_->GetRowView(2)->FindChildByName2<SEdit>(QStringLiteral("group_name"));
    QTest::mouseClick(edit->GetLineEdit(), Qt::LeftButton);
    QCOMPARE(groups_->GetSel(), 2);
    QVERIFY(!groups_->GetRowView(1)->IsChecked());
    QCOMPARE(clickedRows, std::vector<int>{2});
    const std::vector<std::pair<int, int>> expected = {{kEventListSelectionChanged, 2},
                                                       {kEventListItemClick, 2}};
    QCOMPARE(host_->events, expected);
    // Beside the edit, on the row view itself.
    QTest::mouseClick(groups_->GetRowView(0), Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(groups_->GetSel(), 0);
    QCOMPARE(host_->events.size(), std::size_t{4});
    QTest::mouseClick(groups_->GetRowView(0), Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(host_->events.size(), std::size_t{5});
    // A refresh with fewer rows drops a selection past the end.
    QVERIFY(groups_->SetSel(2));
    adapter->names.pop_back();
    adapter->NotifyDataSetChanged();
    QCOMPARE(groups_->GetSel(), -1);
  }

  void columnsPlaceTheRowsChildren() {
    QCOMPARE(events_->GetColumnCount(), 4);
    QCOMPARE(events_->GetColumnTitle(1), QStringLiteral("Key name"));
    const std::vector<QRect> columns = events_->ColumnRects();
    QCOMPARE(columns[1], QRect(50, 0, 80, 20));
    auto adapter = std::make_shared<EventRowsAdapter>();
    adapter->rows = {{QStringLiteral("4"), QStringLiteral("A")},
                     {QStringLiteral("5"), QStringLiteral("B")}};
    events_->SetAdapter(adapter);
    SItemPanel* row = events_->GetRowView(1);
    QCOMPARE(row->geometry(), QRect(0, 22, row->width(), 22));
    QCOMPARE(row->FindChildByName(QStringLiteral("col1"))->geometry(), QRect(0, 0, 50, 22));
    QCOMPARE(row->FindChildByName(QStringLiteral("col2"))->geometry(), QRect(50, 0, 80, 22));
    QCOMPARE(row->FindChildByName(QStringLiteral("key_name"))->GetText(), QStringLiteral("B"));
    QCOMPARE(row->FindChildByName(QStringLiteral("key_name"))->geometry(), QRect(2, 0, 76, 22));
    QCOMPARE(events_->mapTo(events_, row->mapTo(events_, QPoint(0, 0))).y(), 20 + 22);
  }

  void headerClicksSetSortMarksWithoutReordering() {
    auto adapter = std::make_shared<EventRowsAdapter>();
    adapter->rows = {{QStringLiteral("4"), QStringLiteral("A")},
                     {QStringLiteral("5"), QStringLiteral("B")}};
    events_->SetAdapter(adapter);
    const QRect second = events_->ColumnRects()[1];
    QTest::mouseClick(events_, Qt::LeftButton, {}, second.center());
    QVERIFY(events_->GetSortMark(1) == SortMark::kAscending);
    QTest::mouseClick(events_, Qt::LeftButton, {}, second.center());
    QVERIFY(events_->GetSortMark(1) == SortMark::kDescending);
    events_->ClickHeader(0);
    QVERIFY(events_->GetSortMark(0) == SortMark::kAscending);
    QVERIFY(events_->GetSortMark(1) == SortMark::kNone);
    QCOMPARE(events_->GetRowView(0)->FindChildByName(QStringLiteral("key_code"))->GetText(),
             QStringLiteral("4"));
    const std::vector<std::pair<int, int>> expected = {
        {kEventHeaderClick, 1}, {kEventHeaderClick, 1}, {kEventHeaderClick, 0}};
    QCOMPARE(host_->events, expected);
    // Pressing one column and releasing over another clicks nothing.
    QTest::mousePress(events_, Qt::LeftButton, {}, second.center());
    QTest::mouseRelease(events_, Qt::LeftButton, {}, events_->ColumnRects()[2].center());
    QCOMPARE(host_->events.size(), std::size_t{3});
    events_->SetAdapter(adapter);
    QVERIFY(events_->GetSortMark(0) == SortMark::kNone);
  }

  void listsTranslateHeadersAndRows() {
    auto adapter = std::make_shared<EventRowsAdapter>();
    adapter->rows = {{QStringLiteral("OK"), QStringLiteral("A")}};
    events_->SetAdapter(adapter);
    const std::shared_ptr<Translator> chinese = app_->LoadTranslator(QStringLiteral("lang_cn"));
    app_->GetTranslatorManager().InstallTranslator(chinese);
    host_->SendLanguageChanged();
    SWindow* code = events_->GetRowView(0)->FindChildByName(QStringLiteral("key_code"));
    QCOMPARE(code->GetDisplayText(), QStringLiteral("确定"));
    QCOMPARE(events_->GetColumnTitle(0), QStringLiteral("Key code"));
    QPixmap before = events_->grab(events_->HeaderRect());
    app_->GetTranslatorManager().SetLanguage(QStringLiteral("none"));
    host_->SendLanguageChanged();
    QCOMPARE(code->GetDisplayText(), QStringLiteral("OK"));
    QVERIFY(before.toImage() != events_->grab(events_->HeaderRect()).toImage());
  }

 private:
  std::unique_ptr<SApplication> app_;
  std::unique_ptr<ListHost> host_;
  SListView* groups_ = nullptr;
  SMcListView* events_ = nullptr;
};

}  // namespace keyloom::ui

QTEST_MAIN(keyloom::ui::ListViewTest)
#include "ListViewTest.moc"
