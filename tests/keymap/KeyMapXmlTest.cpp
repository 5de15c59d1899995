#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "keymap/KeyMapXml.h"

namespace keyloom::keymap {
namespace {

using Half = protocol::KeySlotTable::Half;
using ::testing::HasSubstr;

const KeyboardModel kModel{0x258A, 0x002A};

// A map with every kind of content, as the file holds it.
KeyMap EveryKind() {
  KeyMap map;
  KeyContent macro;
  macro.kind = ContentKind::kMacro;
  macro.name = "Copy & \"paste\"";
  macro.repeat = 2;
  macro.events = {{0x04, 0x54}, {0x04, 0xA8}};
  KeyContent chord;
  chord.kind = ContentKind::kChord;
  chord.name = "Copy";
  chord.repeat = 1;
  chord.events = {{0xE0, 0x45}, {0x06, 0x45}, {0x06, 0x81}, {0xE0, 0x81}};
  chord.codes = {224, 6};
  KeyContent single;
  single.kind = ContentKind::kSingleKey;
  single.target = 0x05;
  KeyContent media;
  media.kind = ContentKind::kMediaKey;
  media.name = "Mute";
  media.target = 239;
  map.Record(0, Half::kMacro, 0, 62, macro);
  map.Record(0, Half::kMacro, 3, 5, chord);
  map.Record(0, Half::kRemap, 0, 4, single);
  map.Record(2, Half::kRemap, 11, 6, media);
  map.Record(2, Half::kRemap, 1, 57, KeyContent{});
  map.LightingSent(8, {{0x01, 0x2F, 0x45, 0x03, 0x00}});
  map.LightingSent(3, {{0x05, 0x02, 0x00, 0x02, 0x00}});
  map.ProfileSelected(2);
  return map;
}

constexpr const char* kEveryKindXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<keymap version=\"1\" vid=\"258a\" pid=\"002a\" activeProfile=\"3\" ledMode=\"3\">\n"
    "\t<profile number=\"1\">\n"
    "\t\t<macro slot=\"1\" key=\"62\" kind=\"macro\" name=\"Copy &amp; &quot;paste&quot;\" "
    "repeat=\"2\" events=\"0454 04a8\" />\n"
    "\t\t<macro slot=\"4\" key=\"5\" kind=\"chord\" name=\"Copy\" repeat=\"1\" "
    "events=\"e045 0645 0681 e081\" codes=\"224,6\" />\n"
    "\t\t<remap slot=\"1\" key=\"4\" kind=\"key\" target=\"5\" />\n"
    "\t</profile>\n"
    "\t<profile number=\"2\" />\n"
    "\t<profile number=\"3\">\n"
    "\t\t<remap slot=\"2\" key=\"57\" kind=\"unknown\" />\n"
    "\t\t<remap slot=\"12\" key=\"6\" kind=\"media\" name=\"Mute\" target=\"239\" />\n"
    "\t</profile>\n"
    "\t<lighting mode=\"3\" record=\"0502000200\" />\n"
    "\t<lighting mode=\"8\" record=\"012f450300\" />\n"
    "</keymap>\n";

TEST(KeyMapXml, WritesTheMapAsDocumentedAndReadsItBack) {
  const KeyMap map = EveryKind();
  EXPECT_EQ(KeyMapToXml(map, kModel), kEveryKindXml);

  KeyMapDocument read;
  ASSERT_TRUE(ParseKeyMap(kEveryKindXml, read).ok());
  EXPECT_EQ(read.map, map);
  EXPECT_EQ(read.model, kModel);
  EXPECT_THAT(read.listed, ::testing::ElementsAre(true, true, true));
}

TEST(KeyMapXml, KeepsUnfinishedChangesThroughTheFile) {
  KeyMap map = EveryKind();
  KeyContent remap;
  remap.kind = ContentKind::kSingleKey;
  remap.target = 0x07;
  map.Begin({.select = 1,
             .keys = {{0, Half::kMacro, 62, map.Profile(0).At(Half::kMacro, 3)->content},
                      {2, Half::kRemap, 6, remap},
                      {0, Half::kMacro, 9, std::nullopt}},
             .lighting = {{8, {{0x01, 0x02, 0x03, 0x03, 0x00}}}}});
  const std::string xml = KeyMapToXml(map, kModel);
  EXPECT_THAT(xml, HasSubstr("\t<unfinishedSelect profile=\"2\" />\n"
                             "\t<unfinishedKey profile=\"1\" half=\"macro\" key=\"62\" "
                             "kind=\"chord\" name=\"Copy\""));
  EXPECT_THAT(xml, HasSubstr("<unfinishedKey profile=\"1\" half=\"macro\" key=\"9\" />\n"
                             "\t<unfinishedLighting mode=\"8\" record=\"0102030300\" />\n"));
  KeyMapDocument read;
  ASSERT_TRUE(ParseKeyMap(xml, read).ok());
  EXPECT_EQ(read.map, map);

  for (const char* bad : {"<unfinishedSelect profile=\"4\"/>",
                          "<unfinishedKey profile=\"1\" half=\"left\" key=\"4\"/>",
                          "<unfinishedKey profile=\"1\" half=\"macro\" key=\"0\"/>",
                          "<unfinishedLighting mode=\"3\" record=\"05\"/>"}) {
    KeyMapDocument refused;
    EXPECT_FALSE(
        ParseKeyMap(std::string("<keymap version=\"1\">") + bad + "</keymap>", refused).ok())
        << bad;
  }
}

TEST(KeyMapXml, IgnoresWhatItDoesNotKnowAndLeavesOutWhatIsNotThere) {
  KeyMapDocument read;
  ASSERT_TRUE(
      ParseKeyMap("\xEF\xBB\xBF<!-- mine --><keymap version=\"1\" by=\"hand\">"
                  "<note>later</note>"
                  "<profile number=\"2\" colour=\"red\">"
                  "<macro slot=\"2\" key=\"4\" kind=\"macro\" name=\"\" repeat=\"1\" events=\"\" "
                  "extra=\"x\">"
                  "<child/></macro>"
                  "<remap-ish slot=\"1\"/>"
                  "<remap slot=\"1\" key=\"5\" kind=\"key\" target=\"6\" name=\"x\"/>"
                  "</profile></keymap>",
                  read)
          .ok());
  EXPECT_THAT(read.listed, ::testing::ElementsAre(false, true, false));
  EXPECT_FALSE(read.model.has_value());
  EXPECT_FALSE(read.map.SelectedProfile().has_value());
  EXPECT_FALSE(read.map.LedMode().has_value());
  const auto& entry = read.map.Profile(1).At(Half::kMacro, 1);
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->content.kind, ContentKind::kMacro);
  EXPECT_EQ(entry->content.name, "");
  EXPECT_TRUE(entry->content.events.empty());
  // A single key has no name; one given is not taken (nor written again).
  EXPECT_EQ(read.map.Profile(1).At(Half::kRemap, 0)->content.name, "");
}

TEST(KeyMapXml, RefusesAWholeFileForAnyValueItCannotTakeAndSaysWhere) {
  const std::string head = "<keymap version=\"1\"><profile number=\"1\">";
  const std::string tail = "</profile></keymap>";
  const struct {
    std::string xml;
    const char* said;
  } cases[] = {
      {"", "not well-formed XML"},
      {"<keymap version=\"1\"><profile number=\"1\">", "not well-formed XML"},
      {"<!-- nothing -->", "not well-formed XML (No document element found"},
      {"<group/>", "<group> at byte 1: the first element is not <keymap>"},
      {"<keymap/>", "the attribute \"version\" is missing"},
      {"<keymap version=\"2\"/>", "it is of version 2, and this Keyloom reads up to version 1"},
      {"<keymap version=\"one\"/>", "version=\"one\" is not a number from 1"},
      {"<keymap version=\"1\" vid=\"258a\"/>", "the attribute \"pid\" is missing"},
      {"<keymap version=\"1\" vid=\"0x258a\" pid=\"2a\"/>", "vid=\"0x258a\" is not a hexadecimal"},
      {"<keymap version=\"1\" activeProfile=\"4\"/>",
       "activeProfile=\"4\" is not a number from 1 to 3"},
      {"<keymap version=\"1\" activeProfile=\"2\"><profile number=\"1\"/></keymap>",
       "activeProfile=\"2\" names a profile without a <profile> element"},
      {"<keymap version=\"1\" vid=\"258\" pid=\"002a\"/>", "vid=\"258\" is not a hexadecimal"},
      {"<keymap version=\"1\" vid=\"-000\" pid=\"002a\"/>", "vid=\"-000\" is not a hexadecimal"},
      {"<keymap version=\"1\" ledMode=\"3\"/>", "names a mode without a <lighting> element"},
      {"<keymap version=\"1\"><profile number=\"0\"/></keymap>", "number=\"0\" is not a number"},
      {"<keymap version=\"1\"><profile number=\"1\"/><profile number=\"1\"/></keymap>",
       "profile 1 is given twice"},
      {head + "<macro slot=\"13\" key=\"4\" kind=\"macro\" repeat=\"1\"/>" + tail,
       "slot=\"13\" is not a number from 1 to 12"},
      {head + "<macro slot=\"1\" key=\"0\" kind=\"macro\" repeat=\"1\"/>" + tail,
       "key=\"0\" is not a number from 1 to 255"},
      {head + "<macro slot=\"1\" key=\"4\" kind=\"key\" target=\"5\"/>" + tail,
       "kind=\"key\" is not macro, chord or unknown"},
      {head + "<remap slot=\"1\" key=\"4\" kind=\"chord\" repeat=\"1\"/>" + tail,
       "kind=\"chord\" is not key, media or unknown"},
      {head + "<macro slot=\" 2\" key=\"4\" kind=\"unknown\"/>" + tail,
       "slot=\" 2\" is not a number from 1 to 12"},
      {head + "<macro slot=\"2 \" key=\"4\" kind=\"unknown\"/>" + tail, "slot=\"2 \" is not"},
      {head + "<macro slot=\"+2\" key=\"4\" kind=\"unknown\"/>" + tail, "slot=\"+2\" is not"},
      {head + "<macro slot=\"1\" key=\"4\"/>" + tail, "the attribute \"kind\" is missing"},
      {head + "<macro slot=\"1\" key=\"4\" kind=\"macro\" repeat=\"1\" events=\"\"/>" + tail,
       "the attribute \"name\" is missing"},
      {head + "<macro slot=\"1\" key=\"4\" kind=\"macro\" name=\"\" events=\"\"/>" + tail,
       "the attribute \"repeat\" is missing"},
      {head + "<macro slot=\"1\" key=\"4\" kind=\"macro\" name=\"Copy\" repeat=\"1\"/>" + tail,
       "<macro> at byte 41: the attribute \"events\" is missing"},
      {head + "<macro slot=\"1\" key=\"4\" kind=\"chord\" name=\"\" repeat=\"1\" events=\"\"/>" +
           tail,
       "the attribute \"codes\" is missing"},
      {head + "<remap slot=\"1\" key=\"4\" kind=\"media\" target=\"5\"/>" + tail,
       "the attribute \"name\" is missing"},
      {head + "<macro slot=\"1\" key=\"4\" kind=\"macro\" name=\"\" repeat=\"256\"/>" + tail,
       "repeat=\"256\" is not a number from 1 to 255"},
      {head +
           "<macro slot=\"1\" key=\"4\" kind=\"macro\" name=\"\" repeat=\"1\" events=\"0454 "
           "04a\"/>" +
           tail,
       "the event \"04a\" is not four hexadecimal digits"},
      {head + "<macro slot=\"1\" key=\"4\" kind=\"macro\" name=\"\" repeat=\"1\" events=\"" +
           [] {
             std::string events;
             for (int i = 0; i < 83; ++i) {
               events += "0454 ";
             }
             return events;
           }() +
           "\"/>" + tail,
       "more than 82 events"},
      {head +
           "<macro slot=\"1\" key=\"4\" kind=\"chord\" name=\"\" repeat=\"1\" events=\"\" "
           "codes=\"224, 6\"/>" +
           tail,
       "is not a list of numbers"},
      {head + "<remap slot=\"1\" key=\"4\" kind=\"media\" name=\"Mute\"/>" + tail,
       "the attribute \"target\" is missing"},
      {head + "<remap slot=\"1\" key=\"4\" kind=\"key\" target=\"5\"/>" +
           "<remap slot=\"1\" key=\"6\" kind=\"key\" target=\"5\"/>" + tail,
       "slot 1 of the remap slots of profile 1 is given twice"},
      {head + "<macro slot=\"1\" key=\"4\" kind=\"unknown\"/>" +
           "<macro slot=\"2\" key=\"4\" kind=\"unknown\"/>" + tail,
       "key 4 holds two slots of the macro slots of profile 1"},
      {"<keymap version=\"1\"><lighting mode=\"10\" record=\"0101030300\"/></keymap>",
       "mode=\"10\" is not a number from 0 to 9"},
      {"<keymap version=\"1\"><lighting mode=\"1\" record=\"01010303\"/></keymap>",
       "record=\"01010303\" is not ten hexadecimal digits"},
      {"<keymap version=\"1\"><lighting mode=\"1\" record=\" 0101030300\"/></keymap>",
       "is not ten hexadecimal digits"},
      {"<keymap version=\"1\"><lighting mode=\"1\"/></keymap>",
       "the attribute \"record\" is missing"},
      {"<keymap version=\"1\"><lighting mode=\"1\" record=\"0101030300\"/>"
       "<lighting mode=\"1\" record=\"0101030300\"/></keymap>",
       "LED mode 1 is given twice"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xml);
    KeyMapDocument document;
    document.listed[0] = true;
    const storage::LoadResult loaded = ParseKeyMap(c.xml, document);
    EXPECT_EQ(loaded.status, storage::LoadResult::Status::kMalformed);
    EXPECT_THAT(loaded.error, HasSubstr(c.said));
    // Nothing of a refused file is taken.
    EXPECT_THAT(document.listed, ::testing::ElementsAre(true, false, false));
  }
}

// A lighting record is taken only as the keyboard's lighting parameters of its mode make it, so
// that no backup sends the keyboard bits it was never given.
TEST(KeyMapXml, TakesOnlyTheLightingRecordsThatTheModesParametersMake) {
  const struct {
    int mode;
    const char* record;
    bool taken;
  } cases[] = {
      {0, "0001030300", true},   // no colour, direction left
      {3, "0702000000", true},   // colour 7, direction right
      {8, "ff60f60300", true},   // areas of no colour and of colour 7
      {3, "ffffffffff", false},  // every bit
      {3, "0800000000", false},  // a colour bit above the seven
      {3, "0100030300", false},  // no direction
      {3, "0103030300", false},  // direction 3
      {3, "0101070300", false},  // a speed bit above the level
      {3, "0101030b00", false},  // a brightness bit above the level
      {3, "0101030301", false},  // the last byte
      {8, "7f00000300", false},  // area colour 8, which the palette does not have
      {8, "00e0000300", false},  // area colour 15
      {8, "0000000301", false},  // the last byte
  };
  for (const auto& c : cases) {
    const std::string xml = "<keymap version=\"1\"><lighting mode=\"" + std::to_string(c.mode) +
                            "\" record=\"" + c.record + "\"/></keymap>";
    SCOPED_TRACE(xml);
    KeyMapDocument document;
    const storage::LoadResult loaded = ParseKeyMap(xml, document);
    EXPECT_EQ(loaded.ok(), c.taken) << loaded.error;
    if (!c.taken) {
      EXPECT_THAT(loaded.error, HasSubstr(std::string("<lighting> at byte 21: record=\"") +
                                          c.record + "\" is not a lighting of LED mode"));
    }
  }
}

}  // namespace
}  // namespace keyloom::keymap
