#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../sim/TempFolder.h"
#include "keymap/KeyMapFile.h"

namespace keyloom::keymap {
namespace {

using Half = protocol::KeySlotTable::Half;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const KeyboardModel kModel{0x258A, 0x002A};

class KeyMapFileTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = folder_.path() / KeyMapFileName(kModel); }

  [[nodiscard]] std::string Read(const std::filesystem::path& file) const {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  }

  static KeyContent Remap(std::uint8_t target) {
    KeyContent content;
    content.kind = ContentKind::kSingleKey;
    content.target = target;
    return content;
  }

  sim::testing::TempFolder folder_;
  std::filesystem::path path_;
};

TEST_F(KeyMapFileTest, IsNamedAfterTheKeyboardModel) {
  EXPECT_EQ(KeyMapFileName(kModel), "keymap-258a-002a.xml");
  EXPECT_EQ(KeyMapFileName({0, -1}), "keymap-0000-ffff.xml");
}

// Two programs keep the map at once: each change is made to the file as it is then.
TEST_F(KeyMapFileTest, NoProgramWritesOverWhatAnotherRecorded) {
  KeyMapFile window(path_, kModel);
  KeyMapFile tool(path_, kModel);
  ASSERT_TRUE(window.Open().ok());
  ASSERT_TRUE(tool.Open().ok());

  EXPECT_TRUE(window.Update([](KeyMap& map) { map.Record(0, Half::kRemap, 0, 0x04, Remap(5)); })
                  .saved.ok());
  const storage::EditResult second =
      tool.Update([](KeyMap& map) { map.Record(0, Half::kRemap, 1, 0x06, Remap(7)); });

  EXPECT_TRUE(second.saved.ok());
  EXPECT_TRUE(second.reloaded);
  EXPECT_TRUE(tool.Map().Profile(0).At(Half::kRemap, 0).has_value());
  KeyMapFile later(path_, kModel);
  ASSERT_TRUE(later.Open().ok());
  EXPECT_EQ(later.Map(), tool.Map());
  EXPECT_EQ(Read(path_), KeyMapToXml(tool.Map(), kModel));
}

TEST_F(KeyMapFileTest, AFileThatIsNotAKeyMapIsKeptAsideAndTheMapStartsEmpty) {
  KeyMapFile file(path_, kModel);
  ASSERT_TRUE(
      file.Update([](KeyMap& map) { map.Record(1, Half::kRemap, 0, 4, Remap(5)); }).saved.ok());
  std::ofstream(path_, std::ios::trunc) << "<keymap version=\"1\"><profile number=\"9\"/>";

  const storage::EditResult result =
      file.Update([](KeyMap& map) { map.Record(1, Half::kRemap, 1, 6, Remap(7)); });

  ASSERT_TRUE(result.reread.keptAs.has_value());
  EXPECT_THAT(result.reread.keptAs->filename().string(), StartsWith("keymap-258a-002a.broken-"));
  EXPECT_EQ(Read(*result.reread.keptAs), "<keymap version=\"1\"><profile number=\"9\"/>");
  EXPECT_THAT(result.reread.problem, HasSubstr("not well-formed XML"));
  // What the broken file held is not known any more; what was recorded since is.
  EXPECT_FALSE(file.Map().Profile(1).At(Half::kRemap, 0).has_value());
  EXPECT_TRUE(file.Map().Profile(1).At(Half::kRemap, 1).has_value());
  EXPECT_TRUE(result.saved.ok());
  EXPECT_EQ(Read(path_), KeyMapToXml(file.Map(), kModel));

  std::ofstream(path_, std::ios::trunc) << "<keymap version=\"1\" activeProfile=\"7\"/>";
  KeyMapFile opened(path_, kModel);
  const storage::OpenReport report = opened.Open();
  EXPECT_THAT(report.problem, HasSubstr("is not a key map that Keyloom reads: <keymap> at byte 1: "
                                        "activeProfile=\"7\""));
  EXPECT_TRUE(report.keptAs.has_value());
  EXPECT_EQ(opened.Map(), KeyMap());
}

TEST_F(KeyMapFileTest, AChosenFileIsReadWholeOrRefusedWithItsName) {
  KeyMapDocument document;
  EXPECT_EQ(ReadKeyMapFile(folder_.path() / "none.xml", document).status,
            storage::LoadResult::Status::kMissing);
  std::ofstream(folder_.path() / "cut.xml") << "<keymap version=\"1\"><profile";
  const storage::LoadResult cut = ReadKeyMapFile(folder_.path() / "cut.xml", document);
  EXPECT_EQ(cut.status, storage::LoadResult::Status::kMalformed);
  EXPECT_THAT(cut.error,
              StartsWith((folder_.path() / "cut.xml").string() + " is not well-formed XML"));

  KeyMap map;
  map.Record(2, Half::kRemap, 3, 4, Remap(5));
  ASSERT_TRUE(WriteKeyMapFile(folder_.path() / "backup.xml", map, kModel).ok());
  ASSERT_TRUE(ReadKeyMapFile(folder_.path() / "backup.xml", document).ok());
  EXPECT_EQ(document.map, map);
}

}  // namespace
}  // namespace keyloom::keymap
