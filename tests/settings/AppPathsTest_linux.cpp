#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempFolder.h"
#include "settings/AppPaths.h"

namespace keyloom::settings {
namespace {

using test::TempFolder;

EnvironmentLookup FakeEnvironment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](std::string_view name) {
    const auto found = variables.find(std::string(name));
    return found == variables.end() ? std::filesystem::path()
                                    : std::filesystem::path(found->second);
  };
}

TEST(AppPathsLinux, PerUserFolderFollowsTheXdgRules) {
  const struct {
    std::map<std::string, std::string> variables;
    std::filesystem::path expected;
  } cases[] = {
      {{}, {}},
      {{{"HOME", ""}}, {}},
      {{{"HOME", "relative/home"}}, {}},
      {{{"XDG_CONFIG_HOME", "relative"}}, {}},
      {{{"HOME", "/home/ann"}}, "/home/ann/.config/keyloom"},
      {{{"HOME", "/home/ann/"}}, "/home/ann/.config/keyloom"},
      {{{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", ""}}, "/home/ann/.config/keyloom"},
      {{{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "cfg"}}, "/home/ann/.config/keyloom"},
      {{{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "/srv/cfg"}}, "/srv/cfg/keyloom"},
      {{{"XDG_CONFIG_HOME", "/srv/cfg"}}, "/srv/cfg/keyloom"},
      {{{"HOME", "/"}}, "/.config/keyloom"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PerUserDataDirFor(FakeEnvironment(c.variables)).lexically_normal(), c.expected)
        << c.expected;
  }
}

TEST(AppPathsLinux, FindsItsOwnExecutableAndTheConfigurationBesideIt) {
  const std::filesystem::path bin = KEYLOOM_BIN_DIR;
  ASSERT_TRUE(std::filesystem::exists(bin / "config.xml"));
  EXPECT_TRUE(std::filesystem::equivalent(ExecutableDir(), bin));
  EXPECT_TRUE(std::filesystem::equivalent(DataDir(), bin));
  if (IsWritableFolder(bin)) {
    EXPECT_TRUE(std::filesystem::equivalent(UserDataDir(), bin));
  } else {
    EXPECT_EQ(UserDataDir(), PerUserDataDir());
  }
}

TEST(AppPathsLinux, AFolderThisUserMayNotWriteIsNotThePortableFolder) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "file permissions do not bind root";
  }
  const TempFolder folder;
  folder.Write("config.xml", "<usb/>");
  ASSERT_EQ(chmod(folder.Path().c_str(), S_IRUSR | S_IXUSR), 0);
  EXPECT_FALSE(IsWritableFolder(folder.Path()));
  EXPECT_EQ(UserDataDirFor(folder.Path(), "/home/ann/.config/keyloom"),
            "/home/ann/.config/keyloom");
  EXPECT_EQ(DataDirFor(folder.Path(), "/usr/share/keyloom"), folder.Path());
  chmod(folder.Path().c_str(), S_IRWXU);
}

}  // namespace
}  // namespace keyloom::settings
