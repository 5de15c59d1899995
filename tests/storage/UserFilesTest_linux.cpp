#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "storage/UserFiles.h"

namespace keyloom::storage {
namespace {

TEST(WriteFileAtomically, KeepsThePermissionsOfTheFileItReplaces) {
  test::TempFolder folder;
  const auto file = folder / "store.xml";
  test::WriteBytes(file, "old");
  using std::filesystem::perms;
  std::filesystem::permissions(file, perms::owner_read | perms::owner_write);
  ASSERT_TRUE(WriteFileAtomically(file, "new").ok());
  EXPECT_EQ(std::filesystem::status(file).permissions() & perms::all,
            perms::owner_read | perms::owner_write);
}

// A library kept with the user's dotfiles: macro.xml is a link, and a save writes through it to
// the file it leads to, the temporary file beside that one, rather than putting a file in its
// place.
TEST(WriteFileAtomically, WritesThroughSymbolicLinks) {
  const struct {
    const char* name;
    std::vector<std::string> chain;  // each link's target in turn, from macro.xml on
  } cases[] = {
      {"absolute", {"@/dotfiles/macro.xml"}},
      {"relative", {"../dotfiles/macro.xml"}},
      {"a chain", {"@/data/link2", "../dotfiles/macro.xml"}},
      {"to nothing yet", {"@/dotfiles/new.xml"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempFolder folder;
    std::filesystem::create_directory(folder / "data");
    std::filesystem::create_directory(folder / "dotfiles");
    test::WriteBytes(folder / "dotfiles/macro.xml", "old");
    std::filesystem::path link = folder / "data/macro.xml";
    for (std::string target : c.chain) {
      if (target.starts_with("@")) {
        target = folder.Path().string() + target.substr(1);
      }
      std::filesystem::create_symlink(target, link);
      link = link.parent_path() / target;
    }
    ASSERT_TRUE(WriteFileAtomically(folder / "data/macro.xml", "new").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "data/macro.xml"));
    EXPECT_EQ(test::ReadBytes(folder / "data/macro.xml"), "new");
    EXPECT_EQ(test::ReadBytes(link), "new");
    for (const char* sub : {"data", "dotfiles"}) {
      for (const std::string& name : test::FileNames(folder / sub)) {
        EXPECT_FALSE(name.ends_with(".tmp")) << name;
      }
    }
  }
}

TEST(ReadUserFile, ReadsFilesThatTellNoSize) {
  const FileBytes status = ReadUserFile("/proc/self/status");
  EXPECT_EQ(status.status, LoadResult::Status::kLoaded);
  EXPECT_EQ(status.bytes.rfind("Name:", 0), 0U);
  EXPECT_EQ(status.bytes.back(), '\n');
}

}  // namespace
}  // namespace keyloom::storage
