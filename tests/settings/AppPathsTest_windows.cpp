#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "settings/AppPaths.h"

namespace keyloom::settings {
namespace {

EnvironmentLookup FakeEnvironment(std::map<std::string, std::wstring> variables) {
  return [variables = std::move(variables)](std::string_view name) {
    const auto found = variables.find(std::string(name));
    return found == variables.end() ? std::filesystem::path()
                                    : std::filesystem::path(found->second);
  };
}

TEST(AppPathsWindows, PerUserFolderIsInAppData) {
  const struct {
    std::map<std::string, std::wstring> variables;
    std::filesystem::path expected;
  } cases[] = {
      {{}, {}},
      {{{"APPDATA", L""}}, {}},
      {{{"APPDATA", L"Roaming"}}, {}},
      {{{"APPDATA", L"C:\\Users\\Ann\\AppData\\Roaming"}},
       L"C:\\Users\\Ann\\AppData\\Roaming\\keyloom"},
      {{{"APPDATA", L"\\\\server\\profiles\\ann"}}, L"\\\\server\\profiles\\ann\\keyloom"},
      {{{"HOME", L"C:\\Users\\Ann"}, {"XDG_CONFIG_HOME", L"C:\\cfg"}}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PerUserDataDirFor(FakeEnvironment(c.variables)), c.expected) << c.expected;
  }
}

TEST(AppPathsWindows, FindsItsOwnExecutable) {
  const std::filesystem::path folder = ExecutableDir();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(std::filesystem::exists(folder / L"settings_tests.exe"));
}

}  // namespace
}  // namespace keyloom::settings
