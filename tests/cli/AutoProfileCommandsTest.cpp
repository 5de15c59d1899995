#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include "cli/CommandLine.h"

namespace keyloom::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

class AutoProfileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("keyloomctl-autoprofile-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    // Without a display, "on" warns that keyloom cannot follow the focus here.
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("XDG_SESSION_TYPE");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  Result Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", folder_.string(), "auto-profile"});
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    Console console{in, out, err, false, nullptr, nullptr};
    Result result;
    result.status = cli::Run(args, console);
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  [[nodiscard]] std::string File() const {
    std::ifstream stream(folder_ / "autoprofile.xml", std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path folder_;
};

TEST_F(AutoProfileCommandsTest, BadArgumentsChangeNothingAndEndWithStatus2) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"add", "--class", "game"},
           {"add", "--profile", "2"},
           {"add", "--class", "", "--exe", "", "--profile", "2"},
           {"add", "--class", "game", "--profile", "4"},
           {"add", "--class", "game", "--profile", "1", "--at", "0"},
           {"remove", "1"},
           {"remove", "x"},
           {"default", "4"},
           {"default", "0"},
           {"frob"},
       }) {
    const Result result = Run(args);
    EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_FALSE(result.err.empty()) << ::testing::PrintToString(args);
  }
  EXPECT_FALSE(std::filesystem::exists(folder_ / "autoprofile.xml"));
}

// Rule numbers and positions count from 1; anything else is named as what it is not.
TEST_F(AutoProfileCommandsTest, ANumberThatIsNoRuleNumberIsToldSo) {
  ASSERT_EQ(Run({"add", "--class", "game", "--profile", "2"}).status, kExitOk);
  const std::string before = File();
  for (const auto& [args, told] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"remove", "-1"}, "\"-1\" is not a rule number: rules are numbered from 1"},
           {{"remove", "0"}, "\"0\" is not a rule number"},
           {{"add", "--class", "x", "--profile", "1", "--at", "0"},
            "\"0\" is not a rule position: 1 puts the rule first"},
           {{"add", "--class", "x", "--profile", "1", "--at", "-2"},
            "\"-2\" is not a rule position"},
       }) {
    const Result result = Run(args);
    EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_THAT(result.err, HasSubstr(told)) << ::testing::PrintToString(args);
    EXPECT_LT(result.err.size(), 300U) << result.err;
  }
  EXPECT_EQ(File(), before);
}

TEST_F(AutoProfileCommandsTest, EditsTheRulesAndShowsThemAsTheyNowStand) {
  EXPECT_EQ(Run({"add", "--class", "steam_app_570", "--profile", "2"}).status, kExitOk);
  const Result added = Run({"add", "--exe", "blender", "--profile", "3", "--at", "1"});
  EXPECT_EQ(added.status, kExitOk);
  EXPECT_EQ(added.out,
            "Switching: off\n"
            "Other applications: profile left as it is\n"
            "Rules (2), the first that matches counts:\n"
            "  1  exe \"blender\" -> profile 3\n"
            "  2  class \"steam_app_570\" -> profile 2\n");
  EXPECT_THAT(added.err, HasSubstr("switching is off"));
  EXPECT_EQ(Run({"default", "1"}).status, kExitOk);
  const Result on = Run({"on"});
  EXPECT_EQ(on.status, kExitOk);
  EXPECT_THAT(on.err, HasSubstr("there is no X display"));
  EXPECT_EQ(Run({"remove", "1"}).status, kExitOk);
  EXPECT_EQ(File(),
            "<?xml version=\"1.0\"?>\n"
            "<autoprofile enabled=\"1\" default=\"1\">\n"
            "\t<rule class=\"steam_app_570\" exe=\"\" profile=\"2\" />\n"
            "</autoprofile>\n");
  const Result listed = Run({"--json", "list"});
  EXPECT_EQ(listed.status, kExitOk);
  EXPECT_THAT(listed.err, IsEmpty());
  const auto json = nlohmann::json::parse(listed.out);
  EXPECT_EQ(json["enabled"], true);
  EXPECT_EQ(json["default"], 1);
  ASSERT_EQ(json["rules"].size(), 1U);
  EXPECT_EQ(json["rules"][0]["class"], "steam_app_570");
  EXPECT_TRUE(json["rules"][0]["exe"].is_null());
  EXPECT_EQ(Run({"default", "none"}).status, kExitOk);
  EXPECT_EQ(Run({"off"}).status, kExitOk);
  EXPECT_THAT(File(), HasSubstr("<autoprofile enabled=\"0\" default=\"0\">"));
}

TEST_F(AutoProfileCommandsTest, ABrokenFileIsKeptAsideAndTheUserTold) {
  std::filesystem::create_directories(folder_);
  std::ofstream(folder_ / "autoprofile.xml") << "<autoprofile enabled='1'><rule";
  const Result result = Run({"add", "--class", "game", "--profile", "2"});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_THAT(result.err, HasSubstr("warning:"));
  EXPECT_THAT(result.err, HasSubstr("autoprofile.broken-"));
  EXPECT_THAT(File(), HasSubstr("class=\"game\""));
  std::size_t kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    kept += entry.path().filename().string().starts_with("autoprofile.broken-") ? 1U : 0U;
  }
  EXPECT_EQ(kept, 1U);
}

TEST_F(AutoProfileCommandsTest, AFileThatCannotBeSavedEndsWithStatus3) {
  std::filesystem::create_directories(folder_);
  // The data folder's lock cannot be made where the lock file's name is a folder.
  std::filesystem::create_directory(folder_ / ".keyloom.lock");
  const Result result = Run({"on"});
  EXPECT_EQ(result.status, kExitNotDone);
  EXPECT_THAT(result.err, HasSubstr("nothing was changed"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "autoprofile.xml"));
}

}  // namespace
}  // namespace keyloom::cli
