#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestFiles.h"
#include "macro/MacroLibrary.h"
#include "storage/UserFiles.h"

namespace keyloom::macro {
namespace {

namespace test = storage::test;
using storage::WriteFileAtomically;

// A library of `groups` groups of 100 events, all named after `tag`.
std::string LibraryText(const std::filesystem::path& file, int groups, const std::string& tag) {
  MacroLibrary library(file);
  for (int g = 0; g < groups; ++g) {
    MacroNode* group = library.root().InsertChild(MacroNode::kLast, {{"name", tag}});
    for (int e = 0; e < 100; ++e) {
      group->InsertChild(MacroNode::kLast, {{"code", std::to_string(4 + e % 26)},
                                            {"name", tag},
                                            {"state", std::to_string(e % 2)},
                                            {"delay", std::to_string(e)}});
    }
  }
  return library.ToXml();
}

// A process killed at any moment of its saves leaves the file with one whole library: the one
// before or the one after, never a mix, a part or nothing.
TEST(WriteFileAtomicallyUnderKill, TheFileIsAlwaysOneWholeVersion) {
  test::TempFolder folder;
  const auto file = folder / "macro.xml";
  const std::string first = LibraryText(file, 20, "first");
  const std::string second = LibraryText(file, 30, "second");
  ASSERT_TRUE(WriteFileAtomically(file, first).ok());

  std::mt19937 random(12345);
  for (int round = 0; round < 25; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) {
        if (!WriteFileAtomically(file, i % 2 == 0 ? second : first).ok()) {
          ::_exit(1);
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 20000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process stopped on its own";

    const std::string content = test::ReadBytes(file);
    ASSERT_TRUE(content == first || content == second)
        << "round " << round << ": " << content.size() << " bytes of neither version";
    MacroLibrary reread(file);
    ASSERT_TRUE(reread.Open().ok());
    ASSERT_EQ(reread.GroupCount(), content == first ? 20 : 30);
  }
}

// Processes that add groups all at once, each reading the library, adding one and saving it:
// the data folder's lock makes every addition land.
TEST(MacroLibraryUpdate, ConcurrentProcessesLoseNoAddition) {
  test::TempFolder folder;
  const auto file = folder / "macro.xml";
  constexpr int kProcesses = 4;
  constexpr int kAdditions = 25;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0; i < kAdditions; ++i) {
        MacroLibrary library(file);
        library.Open();
        if (!library.AddNamedGroup(std::to_string(p) + "/" + std::to_string(i)).saved.ok()) {
          ::_exit(1);
        }
      }
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  MacroLibrary library(file);
  ASSERT_TRUE(library.Open().ok());
  EXPECT_EQ(library.GroupCount(), kProcesses * kAdditions);
}

}  // namespace
}  // namespace keyloom::macro
