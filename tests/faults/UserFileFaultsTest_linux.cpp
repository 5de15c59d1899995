// The macro library and the assignment store under file faults: a write limit that stops a save
// part-way (RLIMIT_FSIZE, for anyone), a full file system and a read-only one (a small tmpfs in a
// mount namespace of a child process, where the kernel lets us make one), and a process killed
// again and again at random moments of its saves. After every fault the file on disk is the old
// or the new whole version, never damaged or empty, the edit is not lost in memory, and a broken
// file is kept aside rather than written over.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <source_location>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestFiles.h"
#include "macro/AssignmentStore.h"
#include "macro/MacroLibrary.h"

namespace keyloom::faults {
namespace {

namespace fs = std::filesystem;
using macro::AssignmentStore;
using macro::MacroLibrary;
using macro::MacroNode;
using storage::test::ReadBytes;
using storage::test::TempFolder;

constexpr int kSkipped = 77;

// The system's message for `error` as the program words it, in lower case.
std::string Reason(int error) {
  std::string text = std::strerror(error);
  text.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(text.front())));
  return text;
}

// Fills the library with `groups` groups of 100 events and saves it; false when it cannot.
bool MakeLibrary(const fs::path& file, int groups) {
  MacroLibrary library(file);
  for (int g = 0; g < groups; ++g) {
    MacroNode* group =
        library.root().InsertChild(MacroNode::kLast, {{"name", "Group " + std::to_string(g)}});
    for (int e = 0; e < 100; ++e) {
      group->InsertChild(MacroNode::kLast, {{"code", std::to_string(4 + e % 26)},
                                            {"name", "Key"},
                                            {"state", std::to_string(e % 2)},
                                            {"delay", std::to_string(e * 7)}});
    }
  }
  return library.SaveToOwnFile().ok();
}

// The names in the folder other than the ones given and the temporary files that a killed save
// may leave ("<name>.<random>.tmp").
std::vector<std::string> StrayFiles(const fs::path& folder, const std::vector<std::string>& own) {
  std::vector<std::string> stray;
  for (const std::string& name : storage::test::FileNames(folder)) {
    if (std::find(own.begin(), own.end(), name) == own.end() && !name.ends_with(".tmp")) {
      stray.push_back(name);
    }
  }
  return stray;
}

// Runs `body` in a child process and returns what it reported: an empty text when every check
// in it held, else one line per failed check; `skipped` when `body` said the test cannot run
// here.
struct ChildOutcome {
  bool skipped = false;
  std::string failures;
};
ChildOutcome RunInChild(const std::function<void(std::ostream& failures, bool& skipped)>& body) {
  int channel[2];
  if (pipe(channel) != 0) {
    return {false, "no pipe"};
  }
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    std::ostringstream failures;
    bool skipped = false;
    body(failures, skipped);
    const std::string text = failures.str();
    const bool written =
        write(channel[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
    _exit(skipped ? kSkipped : (written ? 0 : 1));
  }
  close(channel[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(got));
  }
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status)) {
    return {false, "the child process died: " + text};
  }
  return {WEXITSTATUS(status) == kSkipped, text};
}

// Notes a check of a child process that did not hold, with its line.
void Expect(std::ostream& failures, bool held,
            std::source_location where = std::source_location::current()) {
  if (!held) {
    failures << "check at line " << where.line() << " failed\n";
  }
}

// A write limit (RLIMIT_FSIZE, with SIGXFSZ ignored so that writes fail with EFBIG) at several
// points of a save: the library and the store keep their old file, no temporary file stays, the
// edit stays in memory, and the error names the file and the reason.
TEST(UserFileFaults, AWriteLimitPartWayThroughASaveKeepsTheOldFiles) {
  TempFolder folder;
  const fs::path libraryFile = folder / "macro.xml";
  const fs::path storeFile = folder / "store.xml";
  ASSERT_TRUE(MakeLibrary(libraryFile, 10));
  AssignmentStore oldStore(storeFile);
  oldStore.repeat = 5;
  ASSERT_TRUE(oldStore.Save().ok());
  const std::string oldLibrary = ReadBytes(libraryFile);
  const std::string oldStoreText = ReadBytes(storeFile);

  for (const std::size_t limit : {std::size_t{0}, std::size_t{1}, std::size_t{4096},
                                  oldLibrary.size() / 2, oldLibrary.size()}) {
    const ChildOutcome outcome = RunInChild([&](std::ostream& failures, bool&) {
      const rlimit fileSize{limit, limit};
      Expect(failures, setrlimit(RLIMIT_FSIZE, &fileSize) == 0);
      std::signal(SIGXFSZ, SIG_IGN);

      MacroLibrary library(libraryFile);
      Expect(failures, library.Open().ok());
      const auto edit = library.AddNamedGroup("New");
      Expect(failures, edit.changed && !edit.saved.ok());
      Expect(failures, edit.saved.error().find("macro.xml") != std::string::npos);
      Expect(failures, edit.saved.error().find(Reason(EFBIG)) != std::string::npos);
      Expect(failures, library.GroupCount() == 11);

      AssignmentStore store(storeFile);
      Expect(failures, store.Open().ok());
      store.page = 3;
      store.groupsel = 123456789;
      // The store is shorter than the library: only the smaller limits stop it.
      if (limit < oldStoreText.size()) {
        Expect(failures, !store.Save().ok());
      }
    });
    EXPECT_EQ(outcome.failures, "") << "limit " << limit;
    EXPECT_EQ(ReadBytes(libraryFile), oldLibrary) << "limit " << limit;
    if (limit < oldStoreText.size()) {
      EXPECT_EQ(ReadBytes(storeFile), oldStoreText) << "limit " << limit;
    }
    EXPECT_EQ(StrayFiles(folder.Path(), {"macro.xml", "store.xml"}), std::vector<std::string>{});
    EXPECT_EQ(storage::test::FileNames(folder.Path()),
              (std::vector<std::string>{"macro.xml", "store.xml"}))
        << "a temporary file was left behind at limit " << limit;
  }
}

// Gives this process a mount namespace of its own (as root, or as the root of a new user
// namespace) and a tmpfs of `size` at `mountPoint`. False when the kernel does not allow it.
bool MountScratch(const fs::path& mountPoint, const std::string& size) {
  if (unshare(CLONE_NEWNS) != 0) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
      return false;
    }
    std::ofstream("/proc/self/setgroups") << "deny";
    std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
    std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
  }
  return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
}

// Writes zeros into `file` until the file system is full; true when it got there.
bool FillUp(const fs::path& file) {
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    return false;
  }
  const std::vector<char> zeros(65536, 0);
  ssize_t written = 0;
  while ((written = write(fd, zeros.data(), zeros.size())) > 0) {
  }
  const bool full = written < 0 && errno == ENOSPC;
  close(fd);
  return full;
}

// A file system that runs full during the saves: the old files stay whole, the edits stay in
// memory, and once there is room again the next save writes them.
TEST(UserFileFaults, AFullFileSystemKeepsTheOldFilesAndTheEditsInMemory) {
  TempFolder folder;
  const ChildOutcome outcome = RunInChild([&](std::ostream& failures, bool& skipped) {
    if (!MountScratch(folder.Path(), "1m")) {
      skipped = true;
      return;
    }
    const fs::path libraryFile = folder / "macro.xml";
    const fs::path storeFile = folder / "store.xml";
    Expect(failures, MakeLibrary(libraryFile, 10));
    AssignmentStore store(storeFile);
    Expect(failures, store.Save().ok());
    const std::string oldLibrary = ReadBytes(libraryFile);
    const std::string oldStore = ReadBytes(storeFile);

    // Full but for a few kilobytes: the new library's bytes stop part-way, the store's do not fit
    // either once the library took the rest.
    Expect(failures, FillUp(folder / "filler"));
    fs::resize_file(folder / "filler", fs::file_size(folder / "filler") - 8192);

    MacroLibrary library(libraryFile);
    Expect(failures, library.Open().ok());
    const auto edit = library.AddNamedGroup("Added on a full disk");
    Expect(failures, edit.changed && !edit.saved.ok());
    Expect(failures, edit.saved.error().find("no space left on the device") != std::string::npos);
    Expect(failures, ReadBytes(libraryFile) == oldLibrary);

    Expect(failures, FillUp(folder / "filler2"));
    store.repeat = 42;
    Expect(failures, !store.Save().ok());
    Expect(failures, ReadBytes(storeFile) == oldStore);
    Expect(failures, (storage::test::FileNames(folder.Path()) ==
                      std::vector<std::string>{"filler", "filler2", "macro.xml", "store.xml"}));

    fs::remove(folder / "filler");
    fs::remove(folder / "filler2");
    Expect(failures, library.SaveToOwnFile().ok());
    Expect(failures, store.Save().ok());
    MacroLibrary reread(libraryFile);
    Expect(failures, reread.Open().ok() && reread.GroupCount() == 11);
    AssignmentStore rereadStore(storeFile);
    Expect(failures, rereadStore.Open().ok() && rereadStore.repeat == 42);
  });
  if (outcome.skipped) {
    GTEST_SKIP() << "no mount namespace with a tmpfs here (needs root or user namespaces)";
  }
  EXPECT_EQ(outcome.failures, "");
}

// A read-only file system: saves fail with the reason and leave the files; a broken library
// there cannot be moved aside, so nothing is saved over it, not even once the folder is writable
// again.
TEST(UserFileFaults, AReadOnlyFolderRefusesSavesAndNeverLosesABrokenFile) {
  TempFolder folder;
  const ChildOutcome outcome = RunInChild([&](std::ostream& failures, bool& skipped) {
    if (!MountScratch(folder.Path(), "1m")) {
      skipped = true;
      return;
    }
    const fs::path libraryFile = folder / "macro.xml";
    const fs::path storeFile = folder / "store.xml";
    const std::string broken = "<?xml version=\"1.0\"?>\n<group>\n\t<items name=\"Half";
    storage::test::WriteBytes(libraryFile, broken);
    AssignmentStore store(storeFile);
    Expect(failures, store.Save().ok());
    const std::string oldStore = ReadBytes(storeFile);
    const auto readOnly = MS_REMOUNT | MS_RDONLY;
    Expect(failures, mount(nullptr, folder.Path().c_str(), nullptr, readOnly, nullptr) == 0);

    store.page = 2;
    const auto saved = store.Save();
    Expect(failures, !saved.ok());
    Expect(failures, saved.error().find(Reason(EROFS)) != std::string::npos);
    Expect(failures, ReadBytes(storeFile) == oldStore);

    MacroLibrary library(libraryFile);
    const auto report = library.Open();
    Expect(failures, !report.ok() && !report.keptAs);
    Expect(failures, library.GroupCount() == 0);

    Expect(failures, mount(nullptr, folder.Path().c_str(), nullptr, MS_REMOUNT, nullptr) == 0);
    const auto edit = library.AddNamedGroup("After the remount");
    Expect(failures, edit.changed && !edit.saved.ok());
    Expect(failures, ReadBytes(libraryFile) == broken);
    Expect(failures, store.Save().ok());

    // The next start can move it aside, keeps it whole, and starts an empty library.
    MacroLibrary nextStart(libraryFile);
    const auto nextReport = nextStart.Open();
    Expect(failures, nextReport.keptAs && ReadBytes(*nextReport.keptAs) == broken);
    Expect(failures, nextStart.AddNamedGroup("Fresh").saved.ok());
    Expect(failures, nextReport.keptAs && ReadBytes(*nextReport.keptAs) == broken);
  });
  if (outcome.skipped) {
    GTEST_SKIP() << "no mount namespace with a tmpfs here (needs root or user namespaces)";
  }
  EXPECT_EQ(outcome.failures, "");
}

// A copy kept aside that runs out of room part-way (the partly read library copied at opening,
// the library copied before an import): nothing named like a good copy stays behind, the user is
// told of the full disk, and the library file is neither written over nor replaced.
TEST(UserFileFaults, ACopyAsideOnAFullDiskLeavesNoTruncatedCopy) {
  TempFolder folder;
  const ChildOutcome outcome = RunInChild([&](std::ostream& failures, bool& skipped) {
    if (!MountScratch(folder.Path(), "1m")) {
      skipped = true;
      return;
    }
    const fs::path libraryFile = folder / "macro.xml";
    Expect(failures, MakeLibrary(libraryFile, 10));
    // A group without a name makes the library read only in part.
    std::string partlyRead = ReadBytes(libraryFile);
    partlyRead.insert(partlyRead.find("<items"), "<items><item code=\"4\" /></items>\n");
    storage::test::WriteBytes(libraryFile, partlyRead);
    storage::test::WriteBytes(folder / "other.mcr", ReadBytes(libraryFile));
    Expect(failures, FillUp(folder / "filler"));
    fs::resize_file(folder / "filler", fs::file_size(folder / "filler") - partlyRead.size() / 2);

    MacroLibrary library(libraryFile);
    const auto report = library.Open();
    Expect(failures, !report.keptAs);
    Expect(failures, report.problem.find("no space left on the device") != std::string::npos);
    Expect(failures, !library.AddNamedGroup("Not over it").saved.ok());

    const auto imported = library.Import(folder / "other.mcr");
    Expect(failures, imported.status == MacroLibrary::ImportResult::Status::kNotKept);
    Expect(failures, imported.error.find("no space left on the device") != std::string::npos);

    Expect(failures, ReadBytes(libraryFile) == partlyRead);
    Expect(failures, (storage::test::FileNames(folder.Path()) ==
                      std::vector<std::string>{"filler", "macro.xml", "other.mcr"}));
  });
  if (outcome.skipped) {
    GTEST_SKIP() << "no mount namespace with a tmpfs here (needs root or user namespaces)";
  }
  EXPECT_EQ(outcome.failures, "");
}

// Files that this user may not read (mode 000) may well be whole: they are reported with the
// reason, left where they are and never written over. Root reads anything, so as root the
// checks run as the user "nobody".
TEST(UserFileFaults, FilesThatCannotBeReadAreLeftInPlaceAndNeverOverwritten) {
  constexpr uid_t kNobody = 65534;
  TempFolder folder;
  const fs::path libraryFile = folder / "macro.xml";
  const fs::path storeFile = folder / "store.xml";
  ASSERT_TRUE(MakeLibrary(libraryFile, 3));
  storage::test::WriteBytes(storeFile, "<macro page=\"2\"/>");
  const std::string library = ReadBytes(libraryFile);
  fs::permissions(folder.Path(), fs::perms::all);
  fs::permissions(libraryFile, fs::perms::none);
  fs::permissions(storeFile, fs::perms::none);

  const ChildOutcome outcome = RunInChild([&](std::ostream& failures, bool& skipped) {
    if (getuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
      skipped = true;
      return;
    }
    MacroLibrary macros(libraryFile);
    const auto report = macros.Open();
    Expect(failures, !report.ok() && !report.keptAs);
    Expect(failures, report.problem.find("cannot be read: permission denied") != std::string::npos);
    Expect(failures, report.problem.find("left where it is") != std::string::npos);
    const auto edit = macros.AddNamedGroup("Over it?");
    Expect(failures, edit.changed && !edit.saved.ok());

    AssignmentStore store(storeFile);
    const auto storeReport = store.Open();
    Expect(failures, !storeReport.ok() && !storeReport.keptAs);
    Expect(failures, storeReport.problem.find("permission denied") != std::string::npos);
    store.page = 3;
    Expect(failures, !store.Save().ok());
  });
  if (outcome.skipped) {
    GTEST_SKIP() << "cannot become another user here";
  }
  EXPECT_EQ(outcome.failures, "");
  EXPECT_EQ(ReadBytes(libraryFile), library);
  EXPECT_EQ(ReadBytes(storeFile), "<macro page=\"2\"/>");
  EXPECT_EQ(storage::test::FileNames(folder.Path()),
            (std::vector<std::string>{"macro.xml", "store.xml"}));
}

// A process that edits the library and saves the store without pause, killed at random moments
// (the seed fixes them) over and over: both files always open cleanly as one whole version, and
// nothing is ever kept aside as broken.
TEST(UserFileFaults, KilledAgainAndAgainDuringSavesBothFilesStayWhole) {
  TempFolder folder;
  const fs::path libraryFile = folder / "macro.xml";
  const fs::path storeFile = folder / "store.xml";
  ASSERT_TRUE(MakeLibrary(libraryFile, 30));

  std::mt19937 random(20240611);
  for (int round = 0; round < 40; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      MacroLibrary library(libraryFile);
      AssignmentStore store(storeFile);
      if (!library.Open().ok() || !store.Open().ok()) {
        _exit(1);
      }
      for (int i = 0;; ++i) {
        const auto edit =
            i % 2 == 0 ? library.AddNamedGroup("Extra") : library.RemoveGroup(MacroNode::kLast);
        store.repeat = i % 2 == 0 ? 7 : 9;
        if (!edit.saved.ok() || !store.Save().ok()) {
          _exit(2);
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 15000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the saving process stopped";

    MacroLibrary library(libraryFile);
    const auto report = library.Open();
    ASSERT_TRUE(report.ok()) << "round " << round << ": " << report.problem;
    ASSERT_TRUE(library.GroupCount() == 30 || library.GroupCount() == 31)
        << "round " << round << ": " << library.GroupCount() << " groups";
    AssignmentStore store(storeFile);
    const auto storeReport = store.Open();
    ASSERT_TRUE(storeReport.ok()) << "round " << round << ": " << storeReport.problem;
    ASSERT_TRUE(store.repeat == 1 || store.repeat == 7 || store.repeat == 9);
    ASSERT_EQ(StrayFiles(folder.Path(), {"macro.xml", "store.xml"}), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace keyloom::faults
