#include <QTest>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "UiTestSupport.h"
#include "settings/AsciiText.h"
#include "ui/host/SHostWnd.h"
#include "ui/layout/AttributeText.h"
#include "ui/layout/ISObjectFactory.h"
#include "ui/layout/LayoutBuilder.h"
#include "ui/layout/LayoutPos.h"
#include "ui/layout/TplSObjectFactory.h"
#include "ui/widgets/SButton.h"
#include "ui/widgets/SCheckBox.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SImageWnd.h"
#include "ui/widgets/SRadioBox.h"
#include "ui/widgets/SSliderBar.h"
#include "ui/widgets/SStatic.h"
#include "ui/widgets/STabCtrl.h"
#include "ui/widgets/STabPage.h"

namespace keyloom::ui {

// A control of the program's kind: a check box with an attribute of its own, recording what
// each attribute came to.
class ProbeCheck : public SCheckBox {
 public:
  static constexpr std::string_view kClassName = "probe";

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override {
    return settings::EqualIgnoringAsciiCase(className, kClassName) || SCheckBox::IsClass(className);
  }

  AttributeResult SetAttribute(std::string_view name, const QString& value) override {
    if (settings::EqualIgnoringAsciiCase(name, "probeValue")) {
      probeValue = value;
      results.emplace_back(name, AttributeResult::kHandled);
      return AttributeResult::kHandled;
    }
    const AttributeResult result = SCheckBox::SetAttribute(name, value);
    results.emplace_back(name, result);
    return result;
  }

  void OnCreate() override { createdWithValue = probeValue; }

  QString probeValue;
  QString createdWithValue;
  std::vector<std::pair<std::string, AttributeResult>> results;
};

// Counts how often it places its children.
class CountingWindow : public SWindow {
 public:
  void LayoutChildren() override {
    ++layouts;
    SWindow::LayoutChildren();
  }
  int layouts = 0;
};

namespace {

std::unique_ptr<SWindow> BuildFromText(const char* xml) {
  pugi::xml_document document;
  document.load_string(xml);
  auto root = std::make_unique<SWindow>();
  root->CreateChildren(document.document_element());
  return root;
}

AttributeResult ResultFor(const ProbeCheck& probe, const std::string& name) {
  for (const auto& [attribute, result] : probe.results) {
    if (attribute == name) {
      return result;
    }
  }
  return AttributeResult::kUnknown;
}

}  // namespace

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { app_ = test::MakeApplication(); }
  void cleanup() {
    test::DeleteDestroyedControls();
    app_.reset();
  }

  void posTextIsRefusedWhenMalformed_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("three coordinates") << "1,2,3";
    QTest::newRow("five coordinates") << "1,2,3,4,5";
    QTest::newRow("size for left") << "@1,2,3,4";
    QTest::newRow("size in the short form") << "1,@2";
    QTest::newRow("not a number") << "a,2";
    QTest::newRow("empty coordinate") << "1,,3,4";
    QTest::newRow("double minus") << "--1,0,@1,@1";
    QTest::newRow("plus from an edge") << "+1,0,@1,@1";
    QTest::newRow("negative size") << "0,0,@-5,@5";
  }
  void posTextIsRefusedWhenMalformed() {
    QFETCH(QString, text);
    QVERIFY(!LayoutPos::Parse(text).has_value());
  }

  void posPlacesTheControlInItsParent_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("parent");
    QTest::addColumn<QRect>("expected");
    const QRect parent(0, 0, 200, 100);
    QTest::newRow("from the start, with size")
        << "10,20,@30,@40" << parent << QRect(10, 20, 30, 40);
    QTest::newRow("edge to edge") << "0,0,-0,-0" << parent << QRect(0, 0, 200, 100);
    QTest::newRow("from the end") << "-50,-30,-10,-10" << parent << QRect(150, 70, 40, 20);
    QTest::newRow("centred") << "|-15,|-10,@30,@20" << parent << QRect(85, 40, 30, 20);
    QTest::newRow("to the centre") << "10,10,|0,|0" << parent << QRect(10, 10, 90, 40);
    QTest::newRow("natural size") << "5,-15" << parent << QRect(5, 85, 20, 10);
    QTest::newRow("right left of left") << "50,0,10,@5" << parent << QRect(50, 0, 0, 5);
    QTest::newRow("blanks and hexadecimal")
        << " 0x10 , 2 , @4 , @4 " << parent << QRect(16, 2, 4, 4);
    QTest::newRow("parent with margins")
        << "0,0,-0,-0" << QRect(4, 4, 192, 92) << QRect(4, 4, 192, 92);
    QTest::newRow("end edge with margins")
        << "-10,-10,-0,-0" << QRect(4, 4, 192, 92) << QRect(186, 86, 10, 10);
  }
  void posPlacesTheControlInItsParent() {
    QFETCH(QString, text);
    QFETCH(QRect, parent);
    QFETCH(QRect, expected);
    const std::optional<LayoutPos> pos = LayoutPos::Parse(text);
    QVERIFY(pos.has_value());
    QCOMPARE(pos->Resolve(parent, QSize(20, 10)), expected);
  }

  // `width` and `height` give the size for pos="x,y"; a value that is no size leaves it as it was.
  void sizeAttributesTakeOnlySizes_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("negative width") << QByteArray("width") << "-5" << false << QSize(40, 30);
    QTest::newRow("negative height") << QByteArray("height") << "-1" << false << QSize(40, 30);
    QTest::newRow("not a number") << QByteArray("width") << "wide" << false << QSize(40, 30);
    QTest::newRow("zero width") << QByteArray("width") << "0" << true << QSize(0, 30);
    QTest::newRow("height") << QByteArray("HEIGHT") << "0x0c" << true << QSize(40, 12);
  }
  void sizeAttributesTakeOnlySizes() {
    QFETCH(QByteArray, name);
    QFETCH(QString, value);
    QFETCH(bool, taken);
    QFETCH(QSize, expected);
    SWindow parent;
    auto* window = new SWindow(&parent);
    QCOMPARE(window->SetAttribute("width", QStringLiteral("40")), AttributeResult::kHandled);
    QCOMPARE(window->SetAttribute("height", QStringLiteral("30")), AttributeResult::kHandled);
    QCOMPARE(window->SetAttribute("pos", QStringLiteral("10,20")), AttributeResult::kHandled);
    const AttributeResult result = window->SetAttribute(name.toStdString(), value);
    QCOMPARE(result, taken ? AttributeResult::kHandled : AttributeResult::kFailed);
    parent.resize(200, 100);
    parent.show();
    QCOMPARE(window->geometry(), QRect(QPoint(10, 20), expected));
  }

  void layoutsCreateTheControlOfEachTag() {
    SHostWnd host(QStringLiteral("XML_MAINWND"));
    test::TraceCapture trace;
    QVERIFY(host.Create());
    const std::vector<std::pair<const char*, std::string_view>> expected = {
        {"caption", "caption"},
        {"title", "text"},
        {"btn_close", "imgbtn"},
        {"body", "window"},
        {"btn_more", "button"},
        {"chk_macro_record", "check"},
        {"radio_direction_left", "radio"},
        {"edit_single_key", "edit"},
        {"cmb_profile", "combobox"},
        {"bar_speed", "sliderbar"},
        {"img_keyboard", "img"},
        {"tab_macro_mode_selection", "tabctrl"},
        {"page_single", "page"},
        {"bar_color0", "radio"}};
    for (const auto& [name, className] : expected) {
      const SWindow* control = host.FindChildByName(QString::fromLatin1(name));
      QVERIFY2(control != nullptr, name);
      QCOMPARE(control->ClassName(), className);
      QVERIFY(control->IsClass("window"));
    }
    QVERIFY(host.FindChildByName(QStringLiteral("btn_close"))->IsClass("button"));
    QVERIFY(!host.FindChildByName(QStringLiteral("btn_more"))->IsClass("imgbtn"));
    QVERIFY(trace.Lines().empty());
    QCOMPARE(host.windowTitle(), QStringLiteral("Keyloom"));
    QCOMPARE(host.size(), QSize(400, 300));
    QCOMPARE(host.minimumSize(), host.maximumSize());
  }

  void layoutsApplyAttributesStylesAndValues() {
    SHostWnd host(QStringLiteral("LAYOUT:xml_mainwnd"));
    QVERIFY(host.Create());
    const auto* version = host.FindChildByName2<SStatic>(QStringLiteral("version"));
    QVERIFY(version != nullptr);
    QCOMPARE(version->GetText(), QStringLiteral("Disconnected"));
    QCOMPARE(version->GetID(), 65543);
    // The element text with a string reference; the style class, then the own attributes.
    const auto* title = host.FindChildByName2<SStatic>(QStringLiteral("title"));
    QCOMPARE(title->GetText(), QStringLiteral("Keyloom"));
    QCOMPARE(title->font().pixelSize(), 16);
    QVERIFY(title->font().bold());
    QCOMPARE(title->TextColor(0), QColor(16, 32, 48));
    QCOMPARE(title->TextAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    // The class named like the tag applies to every button; own attributes win.
    QCOMPARE(host.FindChildByName(QStringLiteral("btn_styled"))->TextColor(0),
             QColor(0x10, 0x20, 0x30));
    QCOMPARE(host.FindChildByName(QStringLiteral("btn_more"))->TextColor(0),
             QColor(0xaa, 0xbb, 0xcc));
    QCOMPARE(host.FindChildByName(QStringLiteral("body"))->GetMargins(), QMargins(4, 4, 4, 4));
    QCOMPARE(host.FindChildByName(QStringLiteral("radio_direction_right"))->GetID(), 4242);
    QVERIFY(host.FindChildByName(QStringLiteral("chk_macro_record"))->IsChecked());
    QCOMPARE(host.FindChildByName(QStringLiteral("btn_close"))->GetToolTipText(),
             QStringLiteral("Close"));
    const auto* edit = host.FindChildByName2<SEdit>(QStringLiteral("edit_single_key"));
    QCOMPARE(edit->GetCueText(), QStringLiteral("Press a key"));
    const auto* combo = host.FindChildByName2<SComboBox>(QStringLiteral("cmb_profile"));
    QCOMPARE(combo->GetCount(), 3);
    QCOMPARE(combo->GetCurSel(), 1);
    QCOMPARE(combo->GetItemText(2), QStringLiteral("Profile 3"));
    QCOMPARE(combo->GetItemData(0), 11U);
    QCOMPARE(combo->GetItemData(2), 0U);
    const auto* slider = host.FindChildByName2<SSliderBar>(QStringLiteral("bar_speed"));
    QCOMPARE(slider->GetMax(), 3);
    QCOMPARE(slider->GetValue(), 2);
    const auto* image = host.FindChildByName2<SImageWnd>(QStringLiteral("img_keyboard"));
    QCOMPARE(image->GetIconIndex(), 2);
    const auto* tabs = host.FindChildByName2<STabCtrl>(QStringLiteral("tab_macro_mode_selection"));
    QCOMPARE(tabs->GetItemCount(), 2);
    QCOMPARE(tabs->GetCurSel(), 1);
    QVERIFY(tabs->GetItem(1)->isVisibleTo(tabs));
    QVERIFY(!tabs->GetItem(0)->isVisibleTo(tabs));
    QCOMPARE(tabs->GetItem(0)->GetTitle(), QStringLiteral("Macro"));
  }

  void layoutsPlaceTheirControls() {
    SHostWnd host(QStringLiteral("XML_MAINWND"));
    QVERIFY(host.Create());
    QCOMPARE(host.FindChildByName(QStringLiteral("caption"))->geometry(), QRect(0, 0, 400, 30));
    QCOMPARE(host.FindChildByName(QStringLiteral("btn_close"))->geometry(), QRect(370, 0, 30, 30));
    QCOMPARE(host.FindChildByName(QStringLiteral("title"))->geometry(), QRect(10, 5, 200, 20));
    // Inside the 4-pixel margins of "body".
    QCOMPARE(host.FindChildByName(QStringLiteral("version"))->geometry(), QRect(14, 14, 150, 20));
    // pos="x,y": the skin's natural size (one frame).
    QCOMPARE(host.FindChildByName(QStringLiteral("img_keyboard"))->geometry(),
             QRect(204, 74, 10, 10));
    QCOMPARE(host.FindChildByName(QStringLiteral("bar_color1"))->geometry(), QRect(20, 0, 20, 20));
    QCOMPARE(host.FindChildByName(QStringLiteral("btn_close"))->RectInHost(),
             QRect(370, 0, 30, 30));
    QCOMPARE(host.FindChildByName(QStringLiteral("version"))->RectInHost(), QRect(14, 44, 150, 20));

    SWindow parent;
    auto* child = new SWindow(&parent);
    child->SetAttribute("pos", QStringLiteral("-50,-30,-10,-10"));
    auto* filling = new SWindow(&parent);
    parent.resize(200, 100);
    parent.show();
    QCOMPARE(child->geometry(), QRect(150, 70, 40, 20));
    QCOMPARE(filling->geometry(), QRect(0, 0, 200, 100));
    parent.resize(300, 50);
    QCOMPARE(child->geometry(), QRect(250, 20, 40, 20));
  }

  void aLayoutBatchPlacesTheControlsOnceAfterItEnds() {
    CountingWindow parent;
    parent.resize(200, 100);
    SWindow* last = nullptr;
    {
      const SWindow::LayoutBatch batch;
      for (const char* pos : {"0,0,@50,@20", "60,0,@50,@20", "120,10,@50,@20"}) {
        last = new SWindow(&parent);
        last->SetAttribute("pos", QString::fromLatin1(pos));
      }
      QCOMPARE(parent.layouts, 0);
    }
    parent.LayoutTree();
    QCOMPARE(parent.layouts, 1);
    QCOMPARE(last->geometry(), QRect(120, 10, 50, 20));
    last->SetAttribute("pos", QStringLiteral("0,50,@10,@10"));
    QCOMPARE(parent.layouts, 2);
    QCOMPARE(last->geometry(), QRect(0, 50, 10, 10));
  }

  void unknownAttributesReachTheBaseClass() {
    QVERIFY(app_->GetFactories().Register(
        std::make_unique<TplSObjectFactory<ProbeCheck>>("probe", SCheckBox::kClassName)));
    const auto root = BuildFromText(
        "<root><probe name='chk_single_record' probeValue='7' checked='1' COLORTEXT='#010203'"
        " sparkle='1' pos='bad'/></root>");
    auto* probe = root->FindChildByName2<ProbeCheck>(QStringLiteral("chk_single_record"));
    QVERIFY(probe != nullptr);
    QCOMPARE(probe->probeValue, QStringLiteral("7"));
    QCOMPARE(probe->createdWithValue, QStringLiteral("7"));
    QVERIFY(probe->IsClass("check"));
    QCOMPARE(probe->GetID(), 65574);
    QVERIFY(probe->IsChecked());
    QCOMPARE(probe->TextColor(0), QColor(1, 2, 3));
    QCOMPARE(ResultFor(*probe, "checked"), AttributeResult::kHandled);
    QCOMPARE(ResultFor(*probe, "sparkle"), AttributeResult::kUnknown);
    QCOMPARE(ResultFor(*probe, "pos"), AttributeResult::kFailed);
    SWindow window;
    QCOMPARE(window.SetAttribute("skin", QStringLiteral("no_such_skin")), AttributeResult::kFailed);
    QCOMPARE(window.SetAttribute("visible", QStringLiteral("maybe")), AttributeResult::kFailed);
    QCOMPARE(window.SetAttribute("colorBkgnd", QStringLiteral("#zzzzzz")),
             AttributeResult::kFailed);
    QCOMPARE(window.SetAttribute("data", QStringLiteral("-1")), AttributeResult::kHandled);
    QCOMPARE(window.GetUserData(), 0xFFFFFFFFU);
  }

  void registeringATakenTagChangesNothing() {
    ObjectFactoryRegistry& factories = app_->GetFactories();
    QVERIFY(!factories.Register(
        std::make_unique<TplSObjectFactory<ProbeCheck>>("check", SWindow::kClassName)));
    QVERIFY(!factories.Register(
        std::make_unique<TplSObjectFactory<ProbeCheck>>("CHECK", SWindow::kClassName)));
    const std::unique_ptr<SWindow> check = factories.Create("check");
    QVERIFY(dynamic_cast<SCheckBox*>(check.get()) != nullptr);
    QVERIFY(dynamic_cast<ProbeCheck*>(check.get()) == nullptr);
    QVERIFY(factories.Register(
        std::make_unique<TplSObjectFactory<ProbeCheck>>("checkprobe", SCheckBox::kClassName)));
    QVERIFY(!factories.Register(
        std::make_unique<TplSObjectFactory<SButton>>("checkprobe", SWindow::kClassName)));
    QCOMPARE(factories.Find("CheckProbe")->BaseClassName(), std::string_view("check"));
    QVERIFY(dynamic_cast<ProbeCheck*>(factories.Create("checkprobe").get()) != nullptr);
    QVERIFY(factories.Create("no_such_tag") == nullptr);
  }

  void classCheckedLookupsTraceTheirFailures() {
    SHostWnd host(QStringLiteral("XML_MAINWND"));
    QVERIFY(host.Create());
    test::TraceCapture trace;
    QVERIFY(host.FindChildByName2<SCheckBox>(QStringLiteral("chk_macro_record")) != nullptr);
    QVERIFY(host.FindChildByID2<SStatic>(65543) != nullptr);
    QVERIFY(host.FindChildByName2(QStringLiteral("btn_close"), "button") != nullptr);
    QVERIFY(trace.Lines().empty());

    QVERIFY(host.FindChildByName2<SEdit>(QStringLiteral("chk_macro_record")) == nullptr);
    QVERIFY(host.FindChildByName2<SStatic>(QStringLiteral("no_such_control")) == nullptr);
    QVERIFY(host.FindChildByID2<SButton>(1234, 2) == nullptr);
    QVERIFY(host.FindChildByID2(65543, "combobox") == nullptr);
    const std::vector<std::string> expected = {
        "FindChildByName2 Failed, no window of class [edit] with name of [chk_macro_record] was "
        "found within [-1] levels",
        "FindChildByName2 Failed, no window of class [text] with name of [no_such_control] was "
        "found within [-1] levels",
        "FindChildByID2 Failed, no window of class [button] with id of [1234] was found within "
        "[2] levels",
        "FindChildByID2 Failed, no window of class [combobox] with id of [65543] was found "
        "within [-1] levels"};
    QCOMPARE(trace.Lines(), expected);
  }

  void lookupsSearchLevelByLevel() {
    SHostWnd host(QStringLiteral("XML_MAINWND"));
    QVERIFY(host.Create());
    // root -> body -> tab control -> page -> deep_text
    QVERIFY(host.FindChildByName(QStringLiteral("deep_text"), 3) == nullptr);
    QVERIFY(host.FindChildByName(QStringLiteral("deep_text"), 4) != nullptr);
    QVERIFY(host.FindChildByName(QStringLiteral("version"), 1) == nullptr);
    QVERIFY(host.FindChildByID(65543, 2) != nullptr);
    QVERIFY(host.FindChildByName(QStringLiteral("version"), 0) == nullptr);
    // A level's own children come before the levels below the ones before them.
    const auto root = BuildFromText(
        "<root><window name='first'><window><text name='twin'/></window></window>"
        "<text name='twin' id='7'/></root>");
    QCOMPARE(root->FindChildByName(QStringLiteral("twin"))->GetID(), 7);
    // Controls that were destroyed are out of reach at once.
    SWindow* first = root->FindChildByName(QStringLiteral("first"));
    first->Destroy();
    QVERIFY(root->FindChildByName(QStringLiteral("first")) == nullptr);
    QCOMPARE(root->GetChildWindows().size(), std::size_t{1});
  }

  void unknownTagsAndMissingIncludesAreSkipped() {
    SHostWnd host(QStringLiteral("oddities"));
    test::TraceCapture trace;
    QVERIFY(host.Create());
    QVERIFY(host.FindChildByName(QStringLiteral("unknown_control")) == nullptr);
    QVERIFY(host.FindChildByName(QStringLiteral("inside_unknown")) == nullptr);
    QCOMPARE(host.GetRoot()->GetChildWindows().size(), std::size_t{2});
    QVERIFY(host.FindChildByName(QStringLiteral("after")) != nullptr);
    const std::vector<std::string> expected = {"Layout tag [sparkle] has no control; skipped",
                                               "Layout include [LAYOUT:no_such_layout] skipped"};
    QCOMPARE(trace.Lines(), expected);
  }

  void includesStopAtTheirDepth() {
    SHostWnd host(QStringLiteral("loop"));
    test::TraceCapture trace;
    QVERIFY(host.Create());
    int texts = 0;
    for (SWindow* child : host.GetRoot()->GetChildWindows()) {
      texts += child->GetName() == QStringLiteral("loop_text") ? 1 : 0;
    }
    QCOMPARE(texts, LayoutBuilder::kMaxIncludeDepth + 1);
    QCOMPARE(trace.Lines(), std::vector<std::string>{"Layout include [LAYOUT:loop] skipped"});
  }

  void aMissingLayoutCreatesNothing() {
    SHostWnd host(QStringLiteral("no_such_layout"));
    QVERIFY(!host.Create());
    QVERIFY(!host.IsCreated());
    test::TraceCapture trace;
    QVERIFY(host.FindChildByName2<SButton>(QStringLiteral("btnOK")) == nullptr);
    QCOMPARE(trace.Lines().size(), std::size_t{1});
  }

 private:
  std::unique_ptr<SApplication> app_;
};

}  // namespace keyloom::ui

QTEST_MAIN(keyloom::ui::LayoutTest)
#include "LayoutTest.moc"
