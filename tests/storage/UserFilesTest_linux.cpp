#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

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

// A backup or an export goes only to a new name or over a regular file the user may write: a
// device, a pipe or a folder (a link to one too) and a read-only file stay as they are, for root
// as well.
TEST(WriteFileAtomically, WritesAChosenFileOnlyWhereTheUserMayWriteIt) {
  test::TempFolder folder;
  test::WriteBytes(folder / "plain.xml", "old");
  test::WriteBytes(folder / "read-only.xml", "old");
  std::filesystem::permissions(folder / "read-only.xml", std::filesystem::perms::owner_read);
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  std::filesystem::create_directory(folder / "folder");
  std::filesystem::create_symlink(folder / "plain.xml", folder / "to-plain");
  std::filesystem::create_symlink(folder / "pipe", folder / "to-pipe");
  std::filesystem::create_symlink(folder / "new-through-link.xml", folder / "to-nothing");
  using Problem = ChosenFileProblem;
  const struct {
    const char* name;
    Problem problem;
  } cases[] = {
      {"new.xml", Problem::kNone},           {"plain.xml", Problem::kNone},
      {"to-plain", Problem::kNone},          {"to-nothing", Problem::kNone},
      {"pipe", Problem::kNotRegularFile},    {"folder", Problem::kNotRegularFile},
      {"to-pipe", Problem::kNotRegularFile}, {"read-only.xml", Problem::kReadOnly},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path file = folder / c.name;
    const ChosenFileCheck check = CheckChosenFile(file);
    EXPECT_EQ(check.problem, c.problem);
    const auto type = std::filesystem::symlink_status(file).type();
    const FileResult written = WriteFileAtomically(file, "new", Replacing::kChosenFile);
    EXPECT_EQ(written.ok(), c.problem == Problem::kNone) << written.error();
    if (c.problem == Problem::kNone) {
      EXPECT_EQ(test::ReadBytes(file), "new");
    } else {
      EXPECT_EQ(written.error(), check.result.error());
      EXPECT_NE(written.error().find(file.string()), std::string::npos);
      EXPECT_EQ(std::filesystem::symlink_status(file).type(), type);
    }
  }
  EXPECT_EQ(test::ReadBytes(folder / "read-only.xml"), "old");
  EXPECT_TRUE(std::filesystem::is_fifo(folder / "pipe"));
  // A device is only checked here: a fault would replace it.
  EXPECT_EQ(CheckChosenFile("/dev/null").problem, Problem::kNotRegularFile);
}

// What a killed save left of one file is removed once it is a minute old; a save that may still
// be running, and every other file, stay.
TEST(RemoveStaleTemporaryFiles, RemovesOnlyTheFilesOwnOldTemporaryFiles) {
  test::TempFolder folder;
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2);
  const struct {
    const char* name;
    bool old;
    bool removed;
  } cases[] = {
      {"macro.xml.0123456789abcdef.tmp", true, true},
      {"macro.xml.fedcba9876543210.tmp", false, false},  // a save in progress
      {"macro.xml.0123456789abcde.tmp", true, false},
      {"macro.xml.0123456789ABCDEF.tmp", true, false},
      {"macro.xml.0123456789abcdefg.tmp", true, false},
      {"store.xml.0123456789abcdef.tmp", true, false},
      {"xmacro.xml.0123456789abcdef.tmp", true, false},
      {"macro.xml", true, false},
  };
  for (const auto& c : cases) {
    test::WriteBytes(folder / c.name, "x");
    if (c.old) {
      std::filesystem::last_write_time(folder / c.name, old);
    }
  }
  // A link of that name is no file of the program's.
  std::filesystem::create_symlink(folder / "store.xml.0123456789abcdef.tmp",
                                  folder / "macro.xml.aaaaaaaaaaaaaaaa.tmp");
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder / "macro.xml"), 1U);
  for (const auto& c : cases) {
    EXPECT_EQ(std::filesystem::exists(folder / c.name), !c.removed) << c.name;
  }
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "macro.xml.aaaaaaaaaaaaaaaa.tmp"));
}

TEST(ReadUserFile, ReadsFilesThatTellNoSize) {
  const FileBytes status = ReadUserFile("/proc/self/status");
  EXPECT_EQ(status.status, LoadResult::Status::kLoaded);
  EXPECT_EQ(status.bytes.rfind("Name:", 0), 0U);
  EXPECT_EQ(status.bytes.back(), '\n');
}

}  // namespace
}  // namespace keyloom::storage
