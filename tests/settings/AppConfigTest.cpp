#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "settings/AppConfig.h"
#include "settings/KeyCatalogEntry.h"

namespace keyloom::settings {
namespace {

using namespace std::string_view_literals;
using Codes = std::vector<std::int32_t>;
using test::TempFolder;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

AppConfig LoadText(std::string_view text, bool expectLoaded = true) {
  const TempFolder folder;
  AppConfig config;
  EXPECT_EQ(config.LoadFile(folder.Write("config.xml", text)), expectLoaded) << text;
  return config;
}

// The first media key of a file that holds nothing but one catalogue child.
KeyCatalogEntry MediaKey(std::string_view child) {
  const AppConfig config = LoadText("<mediakey>" + std::string(child) + "</mediakey>");
  EXPECT_EQ(config.mediaKeys.size(), 1U) << child;
  return config.mediaKeys.empty() ? KeyCatalogEntry{} : config.mediaKeys.front();
}

TEST(AppConfig, ReadsTheFourTopLevelElements) {
  const AppConfig config = LoadText(R"(<?xml version="1.0" encoding="utf-8"?>
<!-- keyboard -->
<local language="cn"/>
<usb vid="258a" pid="0x002A" interface="-1" subdevice="10"/>
<mediakey>
  <key name="Mute" code="239"/>
  <key name="Play" code="232"/>
</mediakey>
<functkey>
  <key name="Copy" code="224, 6"/>
</functkey>
)");
  EXPECT_TRUE(config.isChinese);
  EXPECT_EQ(config.vendorId, 0x258A);
  EXPECT_EQ(config.productId, 0x2A);
  EXPECT_EQ(config.interfaceNumber, -1);
  EXPECT_EQ(config.collectionNumber, 16);
  EXPECT_EQ(config.mediaKeys, (std::vector<KeyCatalogEntry>{{"Mute", {239}}, {"Play", {232}}}));
  EXPECT_EQ(config.functionKeys, (std::vector<KeyCatalogEntry>{{"Copy", {224, 6}}}));
}

TEST(AppConfig, ElementsMayComeInAnyOrderAndTheFirstOfEachNameCounts) {
  const AppConfig config = LoadText(R"(
<functkey><key name="F" code="1"/></functkey>
<other><usb vid="1111"/></other>
<usb vid="10" pid="20"/>
<usb vid="30" pid="40" interface="50"/>
<mediakey><key name="first" code="2"/></mediakey>
<local language="cn"/>
<mediakey><key name="second" code="3"/></mediakey>
<local language="en"/>
)");
  EXPECT_TRUE(config.isChinese);
  EXPECT_EQ(config.vendorId, 0x10);
  EXPECT_EQ(config.productId, 0x20);
  EXPECT_EQ(config.interfaceNumber, 0);
  EXPECT_EQ(config.mediaKeys, (std::vector<KeyCatalogEntry>{{"first", {2}}}));
  EXPECT_EQ(config.functionKeys, (std::vector<KeyCatalogEntry>{{"F", {1}}}));
}

TEST(AppConfig, ElementsInsideACommonRootAreNotFound) {
  const AppConfig config = LoadText(R"(<config>
<local language="cn"/><usb vid="258a"/><mediakey><key name="Mute" code="239"/></mediakey>
</config>)");
  EXPECT_EQ(config, AppConfig{});
}

TEST(AppConfig, OnlyTheExactLanguageCnSelectsChinese) {
  const struct {
    std::string_view document;
    bool chinese;
  } cases[] = {
      {R"(<local language="cn"/>)", true},
      {R"(<local language="CN"/>)", false},
      {R"(<local language="Cn"/>)", false},
      {R"(<local language=" cn"/>)", false},
      {R"(<local language="cn "/>)", false},
      {R"(<local language="zh"/>)", false},
      {R"(<local language=""/>)", false},
      {R"(<local lang="cn"/>)", false},
      {R"(<local/>)", false},
      {R"(<usb/>)", false},
      {R"(<local language="c&#110;"/>)", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LoadText(c.document).isChinese, c.chinese) << c.document;
  }
}

TEST(AppConfig, UsbNumbersAreHexadecimalWithDefaultsOfZero) {
  const struct {
    std::string_view document;
    std::int32_t vendorId, productId, interfaceNumber, collectionNumber;
  } cases[] = {
      {R"(<usb/>)", 0, 0, 0, 0},
      {R"(<usb vid="258a" pid="002a"/>)", 0x258A, 0x2A, 0, 0},
      {R"(<usb vid="0x258A" pid="0X002A"/>)", 0x258A, 0x2A, 0, 0},
      {R"(<usb vid="258A" pid="2a"/>)", 0x258A, 0x2A, 0, 0},
      {R"(<usb interface="-1" subdevice="-1"/>)", 0, 0, -1, -1},
      {R"(<usb interface="1" subdevice="10"/>)", 0, 0, 1, 16},
      {R"(<usb interface="" subdevice="x"/>)", 0, 0, 0, 0},
      {R"(<usb vid=" 25 8a" pid="2a;"/>)", 0x25, 0x2A, 0, 0},
      {R"(<usb vid="ffffffff" pid="123456789"/>)", kMax, kMax, 0, 0},
      {R"(<usb VID="258a" Pid="2a"/>)", 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const AppConfig config = LoadText(c.document);
    EXPECT_EQ(config.vendorId, c.vendorId) << c.document;
    EXPECT_EQ(config.productId, c.productId) << c.document;
    EXPECT_EQ(config.interfaceNumber, c.interfaceNumber) << c.document;
    EXPECT_EQ(config.collectionNumber, c.collectionNumber) << c.document;
  }
}

TEST(AppConfig, CodesAreCommaSeparatedDecimalsInWhichSpacesDoNotCount) {
  const struct {
    std::string_view code;
    Codes expected;
  } cases[] = {
      {"", {}},
      {" ", {}},
      {",", {}},
      {",,", {}},
      {"224,6", {224, 6}},
      {"224, 6", {224, 6}},
      {"  224 ,   6  ", {224, 6}},
      {"224,6,", {224, 6}},
      {",224,,6", {224, 6}},
      {"224, , 6", {224, 6}},
      {"2 2 4", {224}},
      {"224,\t6\n", {224, 6}},  // the parser turns tabs and line breaks into spaces
      {"-5,+7", {-5, 7}},
      {"x,1", {0, 1}},
      {"0x10", {0}},
      {"12abc,3", {12, 3}},
      {"99999999999", {kMax}},
      {"232,232", {232, 232}},
  };
  for (const auto& c : cases) {
    const std::string child = "<key name=\"k\" code=\"" + std::string(c.code) + "\"/>";
    EXPECT_EQ(MediaKey(child).codes, c.expected) << '"' << c.code << '"';
  }
}

TEST(AppConfig, EveryNamedChildIsAnEntryInDocumentOrder) {
  const AppConfig config = LoadText(R"(<mediakey>
  text before
  <key name="A" code="1"/>
  <!-- <key name="commented out" code="9"/> -->
  <key code="2"/>
  <key name="" code="3"/>
  <anything name="B"/>
  <key name="A" code="1"/>
  <group name="C" code="4"><key name="nested" code="5"/></group>
  <![CDATA[<key name="data" code="6"/>]]>
  <key name="D" code="7">inner text</key>
</mediakey>)");
  EXPECT_EQ(config.mediaKeys, (std::vector<KeyCatalogEntry>{
                                  {"A", {1}}, {"B", {}}, {"A", {1}}, {"C", {4}}, {"D", {7}}}));
  EXPECT_TRUE(config.functionKeys.empty());
}

TEST(AppConfig, NamesAreUtf8WithReferencesExpanded) {
  EXPECT_EQ(MediaKey(R"(<k name="Tom &amp; Jerry &lt;3 &#x263A;"/>)").name,
            "Tom & Jerry <3 \xE2\x98\xBA");
  EXPECT_EQ(MediaKey("<k name=\"\xE9\x9D\x99\xE9\x9F\xB3\"/>").name, "\xE9\x9D\x99\xE9\x9F\xB3");
  EXPECT_EQ(MediaKey("<k name=\"a\tb\"/>").name, "a b");
  EXPECT_EQ(MediaKey(R"(<k name=" "/>)").name, " ");
  EXPECT_EQ(MediaKey(R"(<k name="&unknown;"/>)").name, "&unknown;");
  // Bytes that are not UTF-8 although the file claims to be (a GBK file without declaration).
  EXPECT_EQ(MediaKey("<k name=\"\xBE\xB2 x\"/>").name, "\xEF\xBF\xBD\xEF\xBF\xBD x");
}

TEST(AppConfig, AFileThatBreaksOffKeepsEveryDefault) {
  const std::string_view broken[] = {
      R"(<local language="cn"/><usb vid="258a"/><mediakey><key name="A" code="1"/>)",
      R"(<local language="cn"/><usb vid="258a"/><mediakey><key name="A" code="1)",
      R"(<local language="cn"/><usb vid="258a"/></mediakey>)",
      R"(<local language="cn"/><usb vid="258a" pid=2a/>)",
      R"(<local language="cn"/><usb vid="258a"/><!-- unclosed)",
      R"(<local language="cn"/><usb vid="258a"/><)",
      "",
      R"(<?xml version="1.0"?>)",
      "<!-- only a comment -->",
      "just text",
      // The parser would take the NUL for the end of the document and report success.
      "<usb vid=\"258a\"/>\0<mediakey><k name=\"a\"/></mediakey>"sv,
  };
  for (const std::string_view text : broken) {
    EXPECT_EQ(LoadText(text, false), AppConfig{}) << text;
  }
}

TEST(AppConfig, EveryLoadStartsFromTheDefaults) {
  const TempFolder folder;
  const std::filesystem::path full = folder.Write(
      "full.xml", R"(<local language="cn"/><usb vid="1" pid="2" interface="3" subdevice="4"/>
<mediakey><k name="m" code="1"/></mediakey><functkey><k name="f" code="2"/></functkey>)");
  const std::filesystem::path usbOnly = folder.Write("usb.xml", R"(<usb pid="9"/>)");

  AppConfig config;
  ASSERT_TRUE(config.LoadFile(full));
  ASSERT_NE(config, AppConfig{});
  EXPECT_TRUE(config.LoadFile(usbOnly));
  AppConfig expected;
  expected.productId = 9;
  EXPECT_EQ(config, expected);

  ASSERT_TRUE(config.LoadFile(full));
  EXPECT_FALSE(config.LoadFile(folder.Path() / "missing.xml"));
  EXPECT_EQ(config, AppConfig{});

  ASSERT_TRUE(config.LoadFile(full));
  EXPECT_FALSE(config.LoadFile(folder.Path()));
  EXPECT_EQ(config, AppConfig{});
}

TEST(AppConfig, AFileAbove16MiBIsRefused) {
  constexpr std::size_t kLimit = 16U * 1024U * 1024U;
  const TempFolder folder;
  std::string text = R"(<usb vid="1"/>)";
  text.resize(kLimit, ' ');
  AppConfig config;
  EXPECT_TRUE(config.LoadFile(folder.Write("limit.xml", text)));
  EXPECT_EQ(config.vendorId, 1);
  text += ' ';
  EXPECT_FALSE(config.LoadFile(folder.Write("above.xml", text)));
  EXPECT_EQ(config, AppConfig{});
}

TEST(AppConfig, LoadJoinsTheFolderAndAUtf8FileName) {
  const TempFolder folder;
  const std::string_view name = "\xE9\x85\x8D\xE7\xBD\xAE.xml";
  const std::filesystem::path file =
      folder.Path() / std::filesystem::path(std::u8string(name.begin(), name.end()));
  {
    const TempFolder scratch;
    std::filesystem::copy_file(scratch.Write("c.xml", R"(<usb vid="7"/>)"), file);
  }
  AppConfig config;
  ASSERT_TRUE(config.Load(folder.Path(), name));
  EXPECT_EQ(config.vendorId, 7);
  EXPECT_FALSE(config.Load(folder.Path(), "config.xml"));
}

// The user's own file comes over the program's element by element; a file that does not read
// counts as empty.
TEST(AppConfig, TheUsersFileComesOverTheShippedOneElementByElement) {
  const std::string shipped = R"(<local language="cn"/><usb vid="111"/>
<mediakey><key name="Mute" code="239"/><key name="Stop" code="233"/></mediakey>)";
  const struct {
    const char* name;
    std::optional<std::string> shipped;
    std::optional<std::string> user;
    bool shippedRead;
    bool userRead;
    bool languageSet;
    bool chinese;
    std::int32_t vendorId;
    std::size_t mediaKeys;
    std::int32_t windowWidth;
  } cases[] = {
      {"no user file", shipped, std::nullopt, true, false, true, true, 0x111, 2, 0},
      {"language", shipped, R"(<local language="en"/>)", true, true, true, false, 0x111, 2, 0},
      {"no language", shipped, "<local/>", true, true, false, false, 0x111, 2, 0},
      {"keyboard", shipped, R"(<usb vid="222"/>)", true, true, true, true, 0x222, 2, 0},
      {"own catalogue", shipped, R"(<mediakey><key name="Play" code="232"/></mediakey>)", true,
       true, true, true, 0x111, 1, 0},
      {"window", shipped, R"(<window width="1000" height="600"/>)", true, true, true, true, 0x111,
       2, 1000},
      {"broken user file", shipped, R"(<usb vid="222"/><local)", true, false, true, true, 0x111, 2,
       0},
      {"no program file", std::nullopt, R"(<usb vid="222"/>)", false, true, false, false, 0x222, 0,
       0},
  };
  for (const auto& c : cases) {
    const TempFolder folder;
    const std::filesystem::path shippedFile =
        c.shipped ? folder.Write("shipped.xml", *c.shipped) : folder.Path() / "missing.xml";
    const std::filesystem::path userFile =
        c.user ? folder.Write("user.xml", *c.user) : folder.Path() / "no-user.xml";
    AppConfig config;
    const AppConfig::Layers layers = config.LoadLayered(shippedFile, userFile);
    EXPECT_EQ(layers.shipped, c.shippedRead) << c.name;
    EXPECT_EQ(layers.user, c.userRead) << c.name;
    EXPECT_EQ(layers.userPresent, c.user.has_value()) << c.name;
    EXPECT_EQ(layers.usbFromUser, c.userRead && c.user->starts_with("<usb")) << c.name;
    EXPECT_EQ(config.languageSet, c.languageSet) << c.name;
    EXPECT_EQ(config.isChinese, c.chinese) << c.name;
    EXPECT_EQ(config.vendorId, c.vendorId) << c.name;
    EXPECT_EQ(config.mediaKeys.size(), c.mediaKeys) << c.name;
    EXPECT_EQ(config.windowWidth, c.windowWidth) << c.name;
  }
}

// The configuration's language counts; without one, a Chinese locale of the system gives
// Chinese and any other English.
TEST(AppConfig, TheLanguageComesFromTheConfigurationElseFromTheLocale) {
  const struct {
    const char* document;
    const char* locale;
    bool chinese;
  } cases[] = {
      {R"(<local language="cn"/>)", "en_US.UTF-8", true},
      {R"(<local language="en"/>)", "zh_CN.UTF-8", false},
      {R"(<local language="jp"/>)", "zh_CN", false},
      {"<local/>", "zh_CN", true},
      {"<usb/>", "zh", true},
      {"<usb/>", "zh-Hans-CN", true},
      {"<usb/>", "zh_TW.UTF-8", true},
      {"<usb/>", "en_US", false},
      {"<usb/>", "C", false},
      {"<usb/>", "", false},
      {"<usb/>", "zhx", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LoadText(c.document).IsChineseFor(c.locale), c.chinese)
        << c.document << " " << c.locale;
  }
}

// The data folder's config.xml is the program's own; a user's file lies in another folder.
TEST(AppConfig, TheUsersFileIsInAnotherFolderThanTheProgramsData) {
  const TempFolder data;
  const TempFolder user;
  EXPECT_EQ(UserConfigFile(user.Path(), data.Path()), user.Path() / "config.xml");
  EXPECT_EQ(UserConfigFile(data.Path(), data.Path()), std::filesystem::path());
  EXPECT_EQ(UserConfigFile(data.Path() / "." / "", data.Path()), std::filesystem::path());
  EXPECT_EQ(UserConfigFile({}, data.Path()), std::filesystem::path());
}

// A setting goes into the user's file and reads back; what else the file holds stays, and a
// file that does not read is not written over.
TEST(AppConfig, SettingsAreWrittenIntoTheUsersFile) {
  const std::string utf16 = {'\xFF', '\xFE', '<', 0, 'u', 0, 's', 0, 'b', 0, ' ', 0, 'v', 0, 'i', 0,
                             'd',    0,      '=', 0, '"', 0, '9', 0, '"', 0, '/', 0, '>', 0};
  const struct {
    const char* name;
    std::string before;
    bool kept;
    const char* stays;
  } cases[] = {
      {"new file", "", true, "Keyloom's settings for this user"},
      {"other elements", "<!-- mine --><usb vid=\"9\"/>\n<functkey><key name=\"X\"/></functkey>",
       true, "<!-- mine -->"},
      {"language and window there", R"(<local language="en" note="x"/><window width="1"/>)", true,
       "note=\"x\""},
      {"declared in another encoding", "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><usb/>",
       true, "encoding=\"utf-8\""},
      {"UTF-16", utf16, true, "vid=\"9\""},
      {"broken", "<local language=\"en\"", false, ""},
      {"only a comment", "<!-- nothing -->", false, ""},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> language = WithLanguage(c.before, true);
    ASSERT_EQ(language.has_value(), c.kept) << c.name;
    if (!c.kept) {
      EXPECT_FALSE(WithWindowSize(c.before, 1000, 600).has_value()) << c.name;
      continue;
    }
    const std::optional<std::string> both = WithWindowSize(*language, 1000, 600);
    ASSERT_TRUE(both.has_value()) << c.name;
    EXPECT_NE(both->find(c.stays), std::string::npos) << c.name << ":\n" << *both;
    AppConfig config;
    ASSERT_TRUE(config.LoadBuffer(*both)) << c.name << ":\n" << *both;
    EXPECT_TRUE(config.isChinese) << c.name;
    EXPECT_EQ(config.windowWidth, 1000) << c.name;
    EXPECT_EQ(config.windowHeight, 600) << c.name;
    AppConfig before;
    if (before.LoadBuffer(c.before)) {
      EXPECT_EQ(config.vendorId, before.vendorId) << c.name;
      EXPECT_EQ(config.functionKeys, before.functionKeys) << c.name;
    }
    AppConfig english;
    ASSERT_TRUE(english.LoadBuffer(*WithLanguage(*both, false))) << c.name;
    EXPECT_FALSE(english.isChinese) << c.name;
    EXPECT_TRUE(english.languageSet) << c.name;
  }
}

// The only test that touches the process-wide object: it reads the named files once and keeps
// them.
TEST(AppConfig, TheGlobalObjectReadsTheNamedFilesOnce) {
  const TempFolder folder;
  const std::filesystem::path first = folder.Write("first.xml", R"(<usb vid="111"/>)");
  const std::filesystem::path second = folder.Write("second.xml", R"(<usb vid="222"/>)");
  const std::filesystem::path user = folder.Write("user.xml", R"(<local language="cn"/>)");
  ASSERT_TRUE(AppConfig::SetGlobalFile(second));
  ASSERT_TRUE(AppConfig::SetGlobalFile(first));
  ASSERT_TRUE(AppConfig::SetGlobalUserFile(user));

  const AppConfig& config = AppConfig::Global();
  EXPECT_EQ(config.vendorId, 0x111);
  EXPECT_TRUE(config.isChinese);

  EXPECT_FALSE(AppConfig::SetGlobalFile(second));
  EXPECT_FALSE(AppConfig::SetGlobalUserFile(second));
  std::filesystem::remove(first);
  EXPECT_EQ(&AppConfig::Global(), &config);
  EXPECT_EQ(AppConfig::Global().vendorId, 0x111);
}

}  // namespace
}  // namespace keyloom::settings
