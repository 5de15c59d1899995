#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TestFiles.h"
#include "macro/AssignmentStore.h"

namespace keyloom::macro {
namespace {

using storage::test::ReadBytes;
using storage::test::TempFolder;
using storage::test::TestData;
using storage::test::WriteBytes;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

using Fields = std::array<std::int32_t, 8>;

Fields FieldsOf(const AssignmentStore& store) {
  return {store.page,     store.repeat,   store.delay,  store.dlymode,
          store.mediasel, store.functsel, store.sgcode, store.groupsel};
}

const Fields kDefaults = {0, 1, 10, 0, 0, 0, 0, 0};

TEST(AssignmentStore, WritesTheDefaultsAndAnyValuesByteForByte) {
  AssignmentStore store;
  EXPECT_THAT(FieldsOf(store), ElementsAreArray(kDefaults));
  EXPECT_EQ(store.ToXml(), ReadBytes(TestData("golden/store-defaults.xml")));

  store.page = 3;
  store.repeat = 300;
  store.delay = -1;
  store.dlymode = kNoDelay;
  store.mediasel = 12;
  store.functsel = INT32_MAX;
  store.sgcode = 0x3E;
  store.groupsel = INT32_MIN;
  EXPECT_EQ(store.ToXml(), ReadBytes(TestData("golden/store-values.xml")));
}

TEST(AssignmentStore, ReadsEveryFileOfTheCorpusAsExpected) {
  struct Case {
    const char* file;
    bool parses;
    Fields fields;
  };
  // Every case starts from a store whose fields are all 7, to show what a file changes.
  const Fields sevens = {7, 7, 7, 7, 7, 7, 7, 7};
  const Case cases[] = {
      {"broken-empty.xml", false, sevens},
      {"broken-truncated.xml", false, sevens},
      {"broken-unclosed.xml", false, sevens},
      {"broken-binary.xml", false, sevens},
      {"ok-as-written.xml", true, {3, 300, -1, 2, 12, INT32_MAX, 62, INT32_MIN}},
      // A missing attribute reads as 0, not as its default.
      {"ok-only-page.xml", true, {2, 0, 0, 0, 0, 0, 0, 0}},
      {"ok-no-macro-element.xml", true, sevens},
      {"ok-huge-and-odd-numbers.xml", true, {12, INT32_MAX, INT32_MIN, 0, 0, 0, 62, 1}},
      {"ok-utf16le-bom.xml", true, {1, 5, 20, 1, 2, 3, 4, 5}},
      {"ok-second-macro-ignored.xml", true, {1, 2, 3, 1, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    AssignmentStore store;
    store.page = store.repeat = store.delay = store.dlymode = 7;
    store.mediasel = store.functsel = store.sgcode = store.groupsel = 7;
    const storage::LoadResult loaded = store.Load(TestData(std::string("store/") + c.file));
    EXPECT_EQ(loaded.ok(), c.parses) << loaded.error;
    EXPECT_THAT(FieldsOf(store), ElementsAreArray(c.fields));
  }
}

TEST(AssignmentStore, OpensWithTheDefaultsAndSavesThroughItsOwnFile) {
  TempFolder folder;
  const auto file = folder / "store.xml";
  AssignmentStore store(file);
  EXPECT_TRUE(store.Open().ok());
  EXPECT_THAT(FieldsOf(store), ElementsAreArray(kDefaults));
  EXPECT_FALSE(std::filesystem::exists(file));

  store.repeat = 3;
  store.sgcode = 0x3E;
  ASSERT_TRUE(store.Save().ok());
  AssignmentStore reread(file);
  EXPECT_TRUE(reread.Open().ok());
  EXPECT_THAT(FieldsOf(reread), ElementsAreArray(Fields{0, 3, 10, 0, 0, 0, 0x3E, 0}));
}

TEST(AssignmentStore, ABrokenFileIsKeptAsideAndTheDefaultsUsed) {
  TempFolder folder;
  const auto file = folder / "store.xml";
  WriteBytes(file, "<macro page=\"2\"");
  AssignmentStore store(file);
  const storage::OpenReport report =
      store.Open(std::chrono::sys_days{std::chrono::year{2024} / 5 / 17} + std::chrono::minutes{3});
  ASSERT_EQ(report.keptAs, folder / "store.broken-20240517-000300.xml");
  EXPECT_THAT(report.problem, HasSubstr("store.xml"));
  EXPECT_EQ(ReadBytes(*report.keptAs), "<macro page=\"2\"");
  EXPECT_THAT(FieldsOf(store), ElementsAreArray(kDefaults));
  ASSERT_TRUE(store.Save().ok());
  EXPECT_EQ(ReadBytes(file), ReadBytes(TestData("golden/store-defaults.xml")));
}

// The dialog and keyloomctl with the store open at once: a save keeps what the other saved
// meanwhile, except for the fields it changed itself, a single key kept in memory included.
TEST(AssignmentStore, ASaveKeepsTheFieldsAnotherProgramChangedMeanwhile) {
  TempFolder folder;
  const auto file = folder / "store.xml";
  AssignmentStore dialog(file);
  AssignmentStore tool(file);
  ASSERT_TRUE(dialog.Open().ok());
  ASSERT_TRUE(tool.Open().ok());

  dialog.sgcode = 0x3E;  // captured, not saved yet
  tool.repeat = 5;
  ASSERT_TRUE(tool.Save().ok());
  dialog.page = 2;
  ASSERT_TRUE(dialog.Save().ok());
  EXPECT_THAT(FieldsOf(dialog), ElementsAreArray(Fields{2, 5, 10, 0, 0, 0, 0x3E, 0}));

  tool.repeat = 7;
  ASSERT_TRUE(tool.Save().ok());
  EXPECT_THAT(FieldsOf(tool), ElementsAreArray(Fields{2, 7, 10, 0, 0, 0, 0x3E, 0}));
  AssignmentStore reread(file);
  ASSERT_TRUE(reread.Open().ok());
  EXPECT_THAT(FieldsOf(reread), ElementsAreArray(Fields{2, 7, 10, 0, 0, 0, 0x3E, 0}));
}

// The macro files' folder is written after the numbers once there is one, and a save keeps the
// folder another program chose meanwhile unless this one chose one too.
TEST(AssignmentStore, KeepsTheFolderOfTheMacroFiles) {
  TempFolder folder;
  const auto file = folder / "store.xml";
  AssignmentStore dialog(file);
  AssignmentStore tool(file);
  ASSERT_TRUE(dialog.Open().ok());
  ASSERT_TRUE(tool.Open().ok());

  dialog.folder = "/home/zoë/Macros & \"more\"";
  ASSERT_TRUE(dialog.Save().ok());
  EXPECT_THAT(ReadBytes(file),
              HasSubstr(R"(groupsel="0" folder="/home/zoë/Macros &amp; &quot;more&quot;")"));
  tool.repeat = 4;
  ASSERT_TRUE(tool.Save().ok());
  EXPECT_EQ(tool.folder, dialog.folder);
  dialog.folder = "/srv";
  tool.folder = "/tmp";
  ASSERT_TRUE(tool.Save().ok());
  ASSERT_TRUE(dialog.Save().ok());

  AssignmentStore reread(file);
  ASSERT_TRUE(reread.Open().ok());
  EXPECT_EQ(reread.folder, "/srv");
  EXPECT_EQ(reread.repeat, 4);
}

TEST(AssignmentStore, TheProcessWideStoreIsCreatedOnceFromTheNamedFolder) {
  TempFolder folder;
  WriteBytes(folder / "store.xml", "<macro page=\"2\" repeat=\"9\"/>");
  ASSERT_TRUE(AssignmentStore::SetGlobalFolder(folder.Path()));
  AssignmentStore& store = AssignmentStore::Global();
  EXPECT_EQ(&store, &AssignmentStore::Global());
  EXPECT_EQ(store.path(), folder / "store.xml");
  EXPECT_EQ(store.page, 2);
  EXPECT_EQ(store.repeat, 9);
  EXPECT_TRUE(AssignmentStore::GlobalOpenReport().ok());
  EXPECT_FALSE(AssignmentStore::SetGlobalFolder("/elsewhere"));
  EXPECT_EQ(AssignmentStore::Global().path(), folder / "store.xml");
}

}  // namespace
}  // namespace keyloom::macro
