#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TestFiles.h"
#include "autoprofile/AutoProfileFile.h"

namespace keyloom::autoprofile {
namespace {

using storage::test::FileNames;
using storage::test::ReadBytes;
using storage::test::TempFolder;
using storage::test::WriteBytes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// 2026-01-02 03:04:05 UTC
const auto kNow = std::chrono::system_clock::time_point(std::chrono::seconds(1767323045));

constexpr const char* kTwoRules =
    "<autoprofile enabled='1' default='1'><rule class='game' profile='2'/>"
    "<rule exe='blender' profile='3'/></autoprofile>";

bool AddRule(AutoProfileRules& rules, const char* windowClass) {
  return rules.Insert(rules.rules.size(), {windowClass, "", 2});
}

TEST(AutoProfileFileTest, AMissingFileIsNoRulesAndSwitchingOff) {
  const TempFolder folder;
  AutoProfileFile file(folder / "autoprofile.xml");
  EXPECT_TRUE(file.Refresh(kNow).ok());
  EXPECT_EQ(file.rules(), AutoProfileRules{});
  EXPECT_THAT(FileNames(folder.Path()), ::testing::IsEmpty());
}

TEST(AutoProfileFileTest, ReadsAgainOnlyWhatChangedOnDisk) {
  const TempFolder folder;
  const auto path = folder / "autoprofile.xml";
  WriteBytes(path, kTwoRules);
  AutoProfileFile file(path);
  ASSERT_TRUE(file.Refresh(kNow).ok());
  EXPECT_TRUE(file.rules().enabled);
  EXPECT_EQ(file.rules().rules.size(), 2U);
  WriteBytes(path, "<autoprofile enabled='0'/>");
  ASSERT_TRUE(file.Refresh(kNow).ok());
  EXPECT_FALSE(file.rules().enabled);
  EXPECT_TRUE(file.rules().rules.empty());
  std::filesystem::remove(path);
  ASSERT_TRUE(file.Refresh(kNow).ok());
  EXPECT_EQ(file.rules(), AutoProfileRules{});
}

TEST(AutoProfileFileTest, ABrokenFileIsKeptAsideAndTheRulesStartEmpty) {
  const TempFolder folder;
  const auto path = folder / "autoprofile.xml";
  WriteBytes(path, kTwoRules);
  AutoProfileFile file(path);
  ASSERT_TRUE(file.Refresh(kNow).ok());
  WriteBytes(path, "<autoprofile enabled='1'><rule class='game'");
  const AutoProfileFile::ReadReport report = file.Refresh(kNow);
  EXPECT_FALSE(report.ok());
  EXPECT_FALSE(report.partlyRead);
  ASSERT_TRUE(report.file.keptAs);
  EXPECT_EQ(report.file.keptAs->filename(), "autoprofile.broken-20260102-030405.xml");
  EXPECT_EQ(ReadBytes(*report.file.keptAs), "<autoprofile enabled='1'><rule class='game'");
  EXPECT_EQ(file.rules(), AutoProfileRules{});
  EXPECT_THAT(FileNames(folder.Path()), ElementsAre("autoprofile.broken-20260102-030405.xml"));
  EXPECT_TRUE(
      file.Update([](AutoProfileRules& rules) { return AddRule(rules, "a"); }, kNow).saved.ok());
  EXPECT_THAT(ReadBytes(path), HasSubstr("class=\"a\""));
}

TEST(AutoProfileFileTest, AFilePartlyReadIsCopiedAsideOnceBeforeASaveDropsThePart) {
  const TempFolder folder;
  const auto path = folder / "autoprofile.xml";
  const std::string withBadRule =
      "<autoprofile enabled='1'><rule class='game' profile='7'/>"
      "<rule class='editor' profile='1'/></autoprofile>";
  WriteBytes(path, withBadRule);
  AutoProfileFile file(path);
  const AutoProfileFile::ReadReport report = file.Refresh(kNow);
  EXPECT_TRUE(report.partlyRead);
  EXPECT_THAT(report.file.problem, HasSubstr("read only in part"));
  ASSERT_TRUE(report.file.keptAs);
  EXPECT_EQ(ReadBytes(*report.file.keptAs), withBadRule);
  EXPECT_EQ(file.rules().rules.size(), 1U);
  // Read again by another object: the same content is not copied a second time.
  AutoProfileFile again(path);
  EXPECT_TRUE(again.Refresh(kNow + std::chrono::seconds(1)).partlyRead);
  EXPECT_THAT(FileNames(folder.Path()),
              ElementsAre("autoprofile.partly-read-20260102-030405.xml", "autoprofile.xml"));
}

TEST(AutoProfileFileTest, AFileThatIsNoFileIsMovedAsideBeforeAnythingIsSaved) {
  const TempFolder folder;
  const auto path = folder / "autoprofile.xml";
  std::filesystem::create_directory(path);
  AutoProfileFile file(path);
  const AutoProfileFile::UpdateResult updated =
      file.Update([](AutoProfileRules& rules) { return rules.SetEnabled(true); }, kNow);
  EXPECT_FALSE(updated.reread.ok());
  EXPECT_TRUE(updated.changed);
  EXPECT_TRUE(std::filesystem::is_directory(folder / "autoprofile.broken-20260102-030405.xml"));
  EXPECT_THAT(ReadBytes(path), HasSubstr("enabled=\"1\""));
}

TEST(AutoProfileFileTest, AChangeIsMadeOnWhatTheFileHoldsWhenItIsMade) {
  const TempFolder folder;
  const auto path = folder / "autoprofile.xml";
  AutoProfileFile window(path);
  AutoProfileFile terminal(path);
  ASSERT_TRUE(window.Refresh(kNow).ok());
  ASSERT_TRUE(terminal.Refresh(kNow).ok());
  ASSERT_TRUE(
      window.Update([](AutoProfileRules& rules) { return AddRule(rules, "a"); }, kNow).changed);
  // The terminal read the file before the window's change: its own change keeps it.
  ASSERT_TRUE(
      terminal.Update([](AutoProfileRules& rules) { return AddRule(rules, "b"); }, kNow).changed);
  ASSERT_TRUE(
      window.Update([](AutoProfileRules& rules) { return rules.SetEnabled(true); }, kNow).changed);
  AutoProfileFile reader(path);
  ASSERT_TRUE(reader.Refresh(kNow).ok());
  ASSERT_EQ(reader.rules().rules.size(), 2U);
  EXPECT_EQ(reader.rules().rules[0].windowClass, "a");
  EXPECT_EQ(reader.rules().rules[1].windowClass, "b");
  EXPECT_TRUE(reader.rules().enabled);
  // A change that changes nothing writes nothing.
  const std::string before = ReadBytes(path);
  EXPECT_FALSE(
      reader.Update([](AutoProfileRules& rules) { return rules.SetEnabled(true); }, kNow).changed);
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(AutoProfileFileTest, NothingIsSavedWhereTheDataFolderCannotBeLocked) {
  const TempFolder folder;
  // The lock file cannot be made where its name is taken by a folder.
  std::filesystem::create_directory(folder / ".keyloom.lock");
  AutoProfileFile file(folder / "autoprofile.xml");
  const AutoProfileFile::UpdateResult updated =
      file.Update([](AutoProfileRules& rules) { return rules.SetEnabled(true); }, kNow);
  EXPECT_FALSE(updated.changed);
  EXPECT_FALSE(updated.saved.ok());
  EXPECT_FALSE(file.rules().enabled);
  EXPECT_FALSE(std::filesystem::exists(folder / "autoprofile.xml"));
}

}  // namespace
}  // namespace keyloom::autoprofile
