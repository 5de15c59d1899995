#include <QTest>
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "UiTestSupport.h"
#include "settings/AsciiText.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ColorTable.h"
#include "ui/skin/ColorText.h"
#include "ui/skin/NamedIdTable.h"
#include "ui/skin/ResourceProvider.h"
#include "ui/skin/StringTable.h"
#include "ui/skin/Translator.h"
#include "ui/skin/TranslatorManager.h"

namespace keyloom::ui {

class ResourceTest : public QObject {
  Q_OBJECT

 private slots:
  void indexNamesResourcesWhateverTheirCase() {
    const std::optional<ResourceProvider> provider =
        ResourceProvider::OpenFolder(test::FixtureSkinFolder());
    QVERIFY(provider.has_value());
    QVERIFY(provider->Has({QStringLiteral("LAYOUT"), QStringLiteral("XML_MAINWND")}));
    QVERIFY(provider->Has({QStringLiteral("layout"), QStringLiteral("xml_mainwnd")}));
    QVERIFY(provider->Has({QStringLiteral("Main"), QStringLiteral("STATES_PNG")}));
    const std::optional<QString> path =
        provider->FilePath({QStringLiteral("uidef"), QStringLiteral("xml_init")});
    QVERIFY(path.has_value());
    QVERIFY(path->endsWith(QStringLiteral("uires/uidef/init.xml")));
    pugi::xml_document layout;
    QVERIFY(provider->LoadXml({QStringLiteral("layout"), QStringLiteral("MaCrO_nOt_ThErE")},
                              layout) == false);
    QVERIFY(provider->LoadXml({QStringLiteral("LAYOUT"), QStringLiteral("ledmode")}, layout));
    QCOMPARE(QString::fromUtf8(layout.document_element().name()), QStringLiteral("SOUI"));
  }

  void missingResourcesAnswerNothing() {
    const std::optional<ResourceProvider> provider =
        ResourceProvider::OpenFolder(test::FixtureSkinFolder());
    QVERIFY(provider.has_value());
    const ResourceName unknown{QStringLiteral("LAYOUT"), QStringLiteral("no_such_layout")};
    QVERIFY(!provider->Has(unknown));
    QVERIFY(!provider->FilePath(unknown).has_value());
    QVERIFY(!provider->LoadBytes(unknown).has_value());
    // Named in the index, but its file is not there.
    const ResourceName missingFile{QStringLiteral("LAYOUT"), QStringLiteral("missing_file")};
    QVERIFY(provider->Has(missingFile));
    QVERIFY(!provider->LoadBytes(missingFile).has_value());
    // There, but not well-formed.
    pugi::xml_document document;
    QVERIFY(!provider->LoadXml({QStringLiteral("translator"), QStringLiteral("lang_broken")},
                               document));
    // A folder without an index is no skin.
    QVERIFY(!ResourceProvider::OpenFolder(test::FixtureSkinFolder() + QStringLiteral("/image"))
                 .has_value());
  }

  void resourceNamesSplitAtTheFirstColon_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("type and name") << "LAYOUT:macro"
                                   << "LAYOUT"
                                   << "macro";
    QTest::newRow("name only takes the default") << "macro"
                                                 << "LAYOUT"
                                                 << "macro";
    QTest::newRow("blanks around") << " main : state_add_png "
                                   << "main"
                                   << "state_add_png";
    QTest::newRow("colon in the name") << "a:b:c"
                                       << "a"
                                       << "b:c";
  }
  void resourceNamesSplitAtTheFirstColon() {
    QFETCH(QString, text);
    QFETCH(QString, type);
    QFETCH(QString, name);
    const ResourceName parsed = ResourceName::Parse(text, QStringLiteral("LAYOUT"));
    QCOMPARE(parsed.type, type);
    QCOMPARE(parsed.name, name);
  }

  void namedStringsKeepTheirOrder() {
    const auto app = test::MakeApplication();
    QCOMPARE(app->GetString(0), std::optional<QString>(QStringLiteral("Keyloom-test-instance")));
    QCOMPARE(app->GetString(QStringLiteral("app_title")),
             std::optional<QString>(QStringLiteral("Keyloom")));
    // Four entries have names; the fourth repeats a name, which keeps its first value.
    QCOMPARE(app->GetUiDefinition().Strings().Count(), 4);
    QCOMPARE(app->GetString(3),
             std::optional<QString>(QStringLiteral("second entry of the same name")));
    QVERIFY(!app->GetString(4).has_value());
    QVERIFY(!app->GetString(-1).has_value());
    QVERIFY(!app->GetString(QStringLiteral("no_such_string")).has_value());
  }

  void namedColoursReadEverySyntax() {
    const auto app = test::MakeApplication();
    QCOMPARE(app->GetColor(QStringLiteral("accent")),
             std::optional<QColor>(QColor(0xff, 0x3d, 0x6e)));
    QCOMPARE(app->GetColor(QStringLiteral("text_strong")),
             std::optional<QColor>(QColor(16, 32, 48)));
    QCOMPARE(app->GetColor(QStringLiteral("glass")),
             std::optional<QColor>(QColor(255, 255, 255, 128)));
    QCOMPARE(app->GetColor(QStringLiteral("half_red")),
             std::optional<QColor>(QColor(255, 0, 0, 0x80)));
    QVERIFY(!app->GetColor(QStringLiteral("not_a_colour")).has_value());
  }

  void colourText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QColor>("color");
    QTest::newRow("empty") << "" << false << QColor();
    QTest::newRow("five digits") << "#12345" << false << QColor();
    QTest::newRow("seven digits") << "#1234567" << false << QColor();
    QTest::newRow("not hexadecimal") << "#gg0000" << false << QColor();
    QTest::newRow("blank inside") << "#12 456" << false << QColor();
    QTest::newRow("rgb with two components") << "rgb(1,2)" << false << QColor();
    QTest::newRow("component above 255") << "rgb(256,0,0)" << false << QColor();
    QTest::newRow("negative component") << "rgb(-1,0,0)" << false << QColor();
    QTest::newRow("rgba without alpha") << "rgba(1,2,3)" << false << QColor();
    QTest::newRow("unclosed") << "rgb(1,2,3" << false << QColor();
    QTest::newRow("colour name") << "red" << false << QColor();
    QTest::newRow("#RRGGBB") << "#FF3D6E" << true << QColor(0xff, 0x3d, 0x6e);
    QTest::newRow("#RRGGBBAA, alpha last") << "#ff3d6e80" << true << QColor(0xff, 0x3d, 0x6e, 0x80);
    QTest::newRow("rgb with blanks") << " rgb(1, 2, 3) " << true << QColor(1, 2, 3);
    QTest::newRow("rgba") << "RGBA(1,2,3,4)" << true << QColor(1, 2, 3, 4);
  }
  void colourText() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QColor, color);
    const std::optional<QColor> parsed = ParseColor(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
      QCOMPARE(*parsed, color);
    }
  }

  void renderingColoursAreAlphaBlueGreenRed() {
    QCOMPARE(ToAbgr(QColor(0x11, 0x22, 0x33, 0x44)), 0x44332211U);
    QCOMPARE(FromAbgr(0xFF0000FFU), QColor(255, 0, 0, 255));
    // Six digits written for a key colour leave the alpha at 0: invisible blue.
    QCOMPARE(FromAbgr(0x00FF0000U), QColor(0, 0, 255, 0));
    QCOMPARE(ToAbgr(FromAbgr(0x80402010U)), 0x80402010U);
  }

  void attributeNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing letters") << "12ab" << false << 0;
    QTest::newRow("prefix only") << "0x" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("fraction") << "1.5" << false << 0;
    QTest::newRow("beyond 32 bits") << "4294967296" << false << 0;
    QTest::newRow("sign after prefix") << "0x-5" << false << 0;
    QTest::newRow("decimal") << "12" << true << 12;
    QTest::newRow("negative") << "-7" << true << -7;
    QTest::newRow("plus") << "+3" << true << 3;
    QTest::newRow("blanks around") << " 42 " << true << 42;
    QTest::newRow("hexadecimal") << "0x1F" << true << 31;
    QTest::newRow("hexadecimal, capital X") << "0X1f" << true << 31;
    QTest::newRow("negative hexadecimal") << "-0x10" << true << -16;
    QTest::newRow("smallest") << "-2147483648" << true << -2147483647 - 1;
  }
  void attributeNumbers() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const std::optional<int> parsed = ParseInt(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
      QCOMPARE(*parsed, value);
    }
  }

  void attributeFlags() {
    QCOMPARE(ParseBool(QStringLiteral("1")), std::optional<bool>(true));
    QCOMPARE(ParseBool(QStringLiteral("TRUE")), std::optional<bool>(true));
    QCOMPARE(ParseBool(QStringLiteral(" 0 ")), std::optional<bool>(false));
    QCOMPARE(ParseBool(QStringLiteral("false")), std::optional<bool>(false));
    QVERIFY(!ParseBool(QStringLiteral("2")).has_value());
    QVERIFY(!ParseBool(QStringLiteral("yes")).has_value());
    QVERIFY(settings::EqualIgnoringAsciiCase("colorText", "COLORTEXT"));
    QVERIFY(!settings::EqualIgnoringAsciiCase("colorText", "colorTex"));
  }

  void uiDefinitionGivesFontStylesAndReferences() {
    const auto app = test::MakeApplication();
    const UiDefinition& definition = app->GetUiDefinition();
    QCOMPARE(definition.Font().pixelSize(), 13);
    QCOMPARE(definition.Font().families().value(0), QStringLiteral("DejaVu Sans"));
    const std::vector<Attribute>& title = definition.Styles().Get(QStringLiteral("title"));
    QCOMPARE(title.size(), std::size_t{3});
    QCOMPARE(title[1].first, std::string("colorText"));
    QVERIFY(definition.Styles().Get(QStringLiteral("no_such_class")).empty());
    QCOMPARE(app->ResolveValue(QStringLiteral("@string/app_title")), QStringLiteral("Keyloom"));
    QCOMPARE(app->ResolveValue(QStringLiteral("@string/no_such_string")),
             QStringLiteral("@string/no_such_string"));
    QCOMPARE(app->ResolveValue(QStringLiteral("@color/glass")), QStringLiteral("#ffffff80"));
    QCOMPARE(ParseColor(app->ResolveValue(QStringLiteral("@color/accent"))),
             std::optional<QColor>(QColor(0xff, 0x3d, 0x6e)));
    QCOMPARE(app->ResolveValue(QStringLiteral("@color/no_such_colour")),
             QStringLiteral("@color/no_such_colour"));
    QCOMPARE(app->ResolveValue(QStringLiteral("plain text")), QStringLiteral("plain text"));
  }

  void aSkinWithoutTablesStillLoads() {
    const auto app = test::MakeApplication(test::BareSkinFolder());
    QCOMPARE(app->GetString(0), std::optional<QString>(QStringLiteral("bare-instance")));
    QVERIFY(app->GetSkin(QStringLiteral("skin_states")) == nullptr);
    QVERIFY(app->LoadTranslator(QStringLiteral("lang_cn")) == nullptr);
  }

  void namedIdTableHoldsTheLayoutNames() {
    std::vector<std::string> inIdOrder = {"_name_start",
                                          "title",
                                          "btn_more",
                                          "btn_min",
                                          "img_keyboard",
                                          "cmb_led_mode",
                                          "btn_restore_factory",
                                          "cmb_profile",
                                          "version",
                                          "btnMin",
                                          "btnRestore",
                                          "btnCancel",
                                          "text_recording_keys",
                                          "tab_macro_mode_selection",
                                          "groupDel",
                                          "groupAdd",
                                          "groupImport",
                                          "groupExport",
                                          "item_up",
                                          "item_down",
                                          "item_delete",
                                          "item_clear",
                                          "macro_group",
                                          "group_name",
                                          "key_info",
                                          "col1",
                                          "key_code",
                                          "col2",
                                          "key_name",
                                          "col3",
                                          "key_state",
                                          "col4",
                                          "key_delay",
                                          "edit_macro_repeat_times",
                                          "edit_macro_delay_time",
                                          "chk_macro_realy_delay",
                                          "chk_macro_fixed_delay",
                                          "chk_macro_no_delay",
                                          "chk_macro_record",
                                          "chk_single_record",
                                          "edit_single_key",
                                          "cmb_media_keys",
                                          "cmb_function_keys",
                                          "btnOK",
                                          "btnDelete",
                                          "msgtitle",
                                          "msgicon",
                                          "msgtext",
                                          "btnSwitch",
                                          "button1st",
                                          "button2nd",
                                          "button3rd",
                                          "bar_brightness_parent",
                                          "bar_brightness",
                                          "bar_speed_parent",
                                          "bar_speed",
                                          "radio_direction_parent",
                                          "radio_direction_left",
                                          "radio_direction_right",
                                          "bar_color_parent"};
    for (int color = 0; color < 8; ++color) {
      inIdOrder.push_back("bar_color" + std::to_string(color));
    }
    inIdOrder.emplace_back("udef_area_parent");
    for (const int area : {1, 3, 5, 2, 4, 6}) {
      for (int color = 1; color <= 8; ++color) {
        inIdOrder.push_back("udef_area" + std::to_string(area) + "_color" + std::to_string(color));
      }
    }
    QCOMPARE(inIdOrder.size(), NamedIdTable::kEntryCount);
    QCOMPARE(NamedIdTable::Entries().size(), NamedIdTable::kEntryCount);
    for (std::size_t index = 0; index < inIdOrder.size(); ++index) {
      const int id = 65535 + static_cast<int>(index);
      QCOMPARE(NamedIdTable::IdOf(inIdOrder[index]), std::optional<int>(id));
      QCOMPARE(NamedIdTable::NameOf(id), std::optional<std::string_view>(inIdOrder[index]));
    }
    const auto entries = NamedIdTable::Entries();
    for (std::size_t index = 1; index < entries.size(); ++index) {
      QVERIFY(entries[index - 1].name < entries[index].name);
    }
    // The values the program's code relies on.
    QCOMPARE(NamedIdTable::IdOf("btnDelete"), std::optional<int>(65579));
    QCOMPARE(NamedIdTable::IdOf("version"), std::optional<int>(65543));
    QCOMPARE(NamedIdTable::IdOf("udef_area2_color1"), std::optional<int>(65628));
    QCOMPARE(NamedIdTable::IdOf("udef_area6_color8"), std::optional<int>(65651));
    QVERIFY(!NamedIdTable::IdOf("BTNOK").has_value());
    QVERIFY(!NamedIdTable::IdOf("").has_value());
    QVERIFY(!NamedIdTable::NameOf(65652).has_value());
  }

  void translatorsLoadFromTheSkin() {
    const auto app = test::MakeApplication();
    const std::shared_ptr<Translator> chinese = app->LoadTranslator(QStringLiteral("lang_cn"));
    QVERIFY(chinese != nullptr);
    QCOMPARE(chinese->Name(), QStringLiteral("cn"));
    QCOMPARE(chinese->Translate(QStringLiteral("Disconnected")),
             std::optional<QString>(QStringLiteral("未连接")));
    QVERIFY(!chinese->Translate(QStringLiteral("Connected")).has_value());
    QVERIFY(!chinese->Translate(QString()).has_value());
    QVERIFY(app->LoadTranslator(QStringLiteral("translator:lang_en")) != nullptr);
    QVERIFY(app->LoadTranslator(QStringLiteral("lang_broken")) == nullptr);
    QVERIFY(app->LoadTranslator(QStringLiteral("lang_jp")) == nullptr);
    pugi::xml_document notALanguage;
    notALanguage.load_string("<string name=\"cn\"/>");
    Translator translator;
    QVERIFY(!translator.Load(notALanguage.document_element()));
  }

  void theCurrentLanguagePicksTheTranslator() {
    const auto app = test::MakeApplication();
    TranslatorManager manager;
    QCOMPARE(manager.Translate(QStringLiteral("Profile 1")), QStringLiteral("Profile 1"));
    manager.InstallTranslator(app->LoadTranslator(QStringLiteral("lang_cn")));
    QCOMPARE(manager.Translate(QStringLiteral("Profile 1")), QStringLiteral("配置 1"));
    // Without a language, the translator installed last.
    manager.InstallTranslator(app->LoadTranslator(QStringLiteral("lang_en")));
    QCOMPARE(manager.Translate(QStringLiteral("Profile 1")), QStringLiteral("Profile one"));
    manager.SetLanguage(QStringLiteral("cn"));
    QCOMPARE(manager.Translate(QStringLiteral("Profile 1")), QStringLiteral("配置 1"));
    QCOMPARE(manager.Translate(QStringLiteral("Connected")), QStringLiteral("Connected"));
    manager.SetLanguage(QStringLiteral("de"));
    QCOMPARE(manager.Translate(QStringLiteral("Profile 1")), QStringLiteral("Profile 1"));
    QVERIFY(manager.Current() == nullptr);
  }
};

}  // namespace keyloom::ui

QTEST_MAIN(keyloom::ui::ResourceTest)
#include "ResourceTest.moc"
