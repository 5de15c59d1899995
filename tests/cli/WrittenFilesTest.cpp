#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/CommandLine.h"
#include "macro/AssignmentStore.h"
#include "protocol/VirtualClock.h"
#include "settings/AppConfig.h"

// What keyloomctl writes, and where it refuses to: the files it chooses names for, the files the
// user names, and the names it keeps in them.
namespace keyloom::cli {
namespace {

using ::testing::HasSubstr;

constexpr const char* kConfig = R"(<usb vid="258a" pid="002a" interface="1" subdevice="-1"/>)";
constexpr const char* kKeyMapName = "keymap-258a-002a.xml";
// What U+FFFD is in UTF-8.
constexpr const char* kReplacement = "\xEF\xBF\xBD";

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

class WrittenFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("keyloomctl-written-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    WriteFile(folder_ / "config.xml", kConfig);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  Result Run(std::vector<std::string> args) {
    args.insert(args.begin(),
                {"--config", (folder_ / "config.xml").string(), "--data-dir", folder_.string()});
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    Console console{in, out, err, false, &clock_, nullptr};
    Result result;
    result.status = cli::Run(args, console);
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  std::filesystem::path folder_;
  protocol::VirtualClock clock_;
};

// A backup or an export goes to a new file or over a regular one the user may write; over
// anything else nothing is written, the user is told why, and the status is 2.
TEST_F(WrittenFilesTest, BackupAndExportLeaveAlonePathsThatAreNoWritableFile) {
  ASSERT_EQ(Run({"macros", "add", "Kept"}).status, kExitOk);
  ASSERT_EQ(::mkfifo((folder_ / "pipe.mcr").c_str(), 0600), 0);
  std::filesystem::create_directory(folder_ / "folder.mcr");
  std::filesystem::create_symlink(folder_ / "pipe.mcr", folder_ / "link.mcr");
  WriteFile(folder_ / "read-only.mcr", "mine");
  std::filesystem::permissions(folder_ / "read-only.mcr", std::filesystem::perms::owner_read);
  const struct {
    const char* name;
    const char* reason;
  } targets[] = {
      {"pipe.mcr", "is not a regular file"},
      {"folder.mcr", "is not a regular file"},
      {"link.mcr", "is not a regular file"},
      {"read-only.mcr", "may not be written (it is read-only)"},
  };
  for (const auto& target : targets) {
    const std::string file = (folder_ / target.name).string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--simulate", "backup", file}, {"macros", "export", file}}) {
      SCOPED_TRACE(::testing::PrintToString(args));
      const Result result = Run(args);
      EXPECT_EQ(result.status, kExitUsage);
      EXPECT_THAT(result.err, HasSubstr(file + " " + target.reason));
    }
  }
  EXPECT_TRUE(std::filesystem::is_fifo(folder_ / "pipe.mcr"));
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "folder.mcr"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder_ / "link.mcr"));
  EXPECT_EQ(ReadFile(folder_ / "read-only.mcr"), "mine");
  const Result json = Run({"--json", "macros", "export", (folder_ / "pipe.mcr").string()});
  EXPECT_EQ(nlohmann::json::parse(json.out)["status"], kExitUsage);
  // A link to a regular file is written through.
  WriteFile(folder_ / "old.mcr", "old");
  std::filesystem::create_symlink(folder_ / "old.mcr", folder_ / "to-old.mcr");
  EXPECT_EQ(Run({"macros", "export", (folder_ / "to-old.mcr").string()}).status, kExitOk);
  EXPECT_THAT(ReadFile(folder_ / "old.mcr"), HasSubstr("Kept"));
}

// A killed save leaves its temporary file; the next save of that file removes it once it is old,
// and never one that may belong to a save in progress.
TEST_F(WrittenFilesTest, TheNextSaveRemovesOldTemporaryFilesOfItsFile) {
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5);
  const std::vector<std::string> files = {"macro.xml", kKeyMapName, "autoprofile.xml", "store.xml"};
  for (const std::string& file : files) {
    WriteFile(folder_ / (file + ".00000000deadbeef.tmp"), "killed");
    std::filesystem::last_write_time(folder_ / (file + ".00000000deadbeef.tmp"), old);
    WriteFile(folder_ / (file + ".00000000feedface.tmp"), "in progress");
  }
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"macros", "add", "G", "A"},
           {"--simulate", "assign", "B", "--macro", "#0", "--repeat", "2"},
           {"auto-profile", "on"}}) {
    ASSERT_EQ(Run(args).status, kExitOk) << ::testing::PrintToString(args);
  }
  for (const std::string& file : files) {
    EXPECT_FALSE(std::filesystem::exists(folder_ / (file + ".00000000deadbeef.tmp"))) << file;
    EXPECT_TRUE(std::filesystem::exists(folder_ / (file + ".00000000feedface.tmp"))) << file;
  }
}

// Whatever names come in (typed, or read from a file that another program wrote), every file
// that Keyloom writes is XML 1.0 that another reader takes, and the names stay readable.
TEST_F(WrittenFilesTest, EveryFileWrittenIsWellFormedForAnotherXmlReader) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xmllint (Debian package libxml2-utils) is not installed";
  }
  const std::string hostile = "Bad \x1b[31m\xff\xfe\x01 name";
  const std::string readable = std::string("Bad ") + kReplacement + "[31m" + kReplacement +
                               kReplacement + kReplacement + " name";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"macros", "add", hostile, "A"},
           {"--simulate", "assign", "B", "--macro", "#0", "--repeat", "2"},
           {"--simulate", "backup", (folder_ / "backup.xml").string()},
           {"macros", "export", (folder_ / "all.mcr").string()},
           {"auto-profile", "add", "--class", hostile, "--profile", "2"}}) {
    ASSERT_EQ(Run(args).status, kExitOk) << ::testing::PrintToString(args);
  }
  // A backup made elsewhere, with the name as raw bytes and a character reference, restored.
  std::string foreign = ReadFile(folder_ / "backup.xml");
  foreign = std::regex_replace(foreign, std::regex("name=\"[^\"]*\""),
                               "name=\"\xC0&#27;" + std::string("x\""));
  WriteFile(folder_ / "foreign.xml", foreign);
  ASSERT_EQ(Run({"--simulate", "restore", (folder_ / "foreign.xml").string()}).status, kExitOk);
  ASSERT_EQ(Run({"--simulate", "backup", (folder_ / "again.xml").string()}).status, kExitOk);
  macro::AssignmentStore store(folder_ / "store.xml");
  store.Open();
  store.folder = hostile;
  ASSERT_TRUE(store.Save().ok());
  // The user's config.xml holds several elements at the top, as the program's does: it is read
  // as the content of one element.
  const auto settings = settings::WithLanguage(
      "<usb vid=\"&#27;\" pid=\"1\" pid=\"2\">\xff&#1;</usb><!-- a--b- -->", true);
  ASSERT_TRUE(settings);
  WriteFile(folder_ / "user-config.xml", "<config>" + *settings + "</config>");

  for (const char* file : {"macro.xml", kKeyMapName, "store.xml", "autoprofile.xml", "backup.xml",
                           "again.xml", "all.mcr", "user-config.xml"}) {
    const std::string command =
        "xmllint --noout '" + (folder_ / file).string() + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << file << ":\n" << ReadFile(folder_ / file);
  }
  EXPECT_EQ(nlohmann::json::parse(Run({"--json", "macros", "list"}).out)["groups"][0]["name"],
            readable);
  EXPECT_THAT(ReadFile(folder_ / "again.xml"),
              HasSubstr(std::string("name=\"") + kReplacement + kReplacement + "x\""));
  EXPECT_THAT(ReadFile(folder_ / "autoprofile.xml"), HasSubstr(readable));
}

// Two groups never come to share a name through keyloomctl.
TEST_F(WrittenFilesTest, AGroupNameThatIsTakenIsRefused) {
  ASSERT_EQ(Run({"macros", "add", "Copy"}).status, kExitOk);
  ASSERT_EQ(Run({"macros", "add", "Paste"}).status, kExitOk);
  const std::string before = ReadFile(folder_ / "macro.xml");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"macros", "add", "Copy"}, {"macros", "rename", "Paste", "Copy"}}) {
    const Result result = Run(args);
    EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_THAT(result.err, HasSubstr("group #0 of " + (folder_ / "macro.xml").string() +
                                      " is named \"Copy\" already"));
  }
  EXPECT_EQ(ReadFile(folder_ / "macro.xml"), before);
  EXPECT_EQ(Run({"macros", "rename", "Copy", "Copy"}).status, kExitOk);
  EXPECT_EQ(Run({"macros", "rename", "Copy", "Cut"}).status, kExitOk);
  EXPECT_EQ(Run({"macros", "add", "Copy"}).status, kExitOk);
}

// --help tells the exit statuses as the README does: each status with what it means.
TEST_F(WrittenFilesTest, HelpTellsTheExitStatusesOfTheReadme) {
  const std::string readme = ReadFile(std::filesystem::path(KEYLOOM_SOURCE_DIR) / "README.md");
  std::smatch paragraph;
  ASSERT_TRUE(
      std::regex_search(readme, paragraph, std::regex("Exit status: ([\\s\\S]*?)\\.\\n\\n")));
  const std::string statuses = std::regex_replace(paragraph[1].str(), std::regex("\\s+"), " ");
  const std::string help = std::regex_replace(Run({"--help"}).out, std::regex("\\s+"), " ");
  // "2 bad arguments, or a file named ... written", up to the details in parentheses.
  const std::regex status("(?:^|; )(\\d [^(;]*[^ (;])");
  int found = 0;
  for (std::sregex_iterator it(statuses.begin(), statuses.end(), status), end; it != end; ++it) {
    ++found;
    EXPECT_THAT(help, HasSubstr((*it)[1].str()));
  }
  EXPECT_EQ(found, 4);
}

}  // namespace
}  // namespace keyloom::cli
