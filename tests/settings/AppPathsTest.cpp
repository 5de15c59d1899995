#include <filesystem>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "settings/AppPaths.h"

namespace keyloom::settings {
namespace {

using test::TempFolder;

const std::filesystem::path kInstalled = std::filesystem::path("installed") / "share" / "keyloom";
const std::filesystem::path kPerUser = std::filesystem::path("home") / ".config" / "keyloom";

// Makes the folder the working directory for the object's lifetime.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~WorkingDirectory() { std::filesystem::current_path(previous_); }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

TEST(AppPaths, AFolderHoldingConfigXmlIsTheDataFolder) {
  const TempFolder portable;
  portable.Write("config.xml", "<usb/>");
  EXPECT_EQ(DataDirFor(portable.Path(), kInstalled), portable.Path());
  EXPECT_EQ(UserDataDirFor(portable.Path(), kPerUser), portable.Path());
}

TEST(AppPaths, AFolderWithoutConfigXmlSendsBothToTheirOtherPlaces) {
  const TempFolder bin;
  bin.Write("macro.xml", "<root/>");
  EXPECT_EQ(DataDirFor(bin.Path(), kInstalled), kInstalled);
  EXPECT_EQ(UserDataDirFor(bin.Path(), kPerUser), kPerUser);

  const TempFolder odd;
  std::filesystem::create_directory(odd.Path() / "config.xml");
  EXPECT_EQ(DataDirFor(odd.Path(), kInstalled), kInstalled);
  EXPECT_EQ(UserDataDirFor(odd.Path(), kPerUser), kPerUser);

  EXPECT_EQ(DataDirFor(odd.Path() / "missing", kInstalled), kInstalled);
  EXPECT_EQ(UserDataDirFor(odd.Path() / "missing", kPerUser), kPerUser);
}

TEST(AppPaths, AnUnknownExecutableFolderIsNeverTheWorkingDirectory) {
  const TempFolder current;
  current.Write("config.xml", "<usb/>");
  const WorkingDirectory inside(current.Path());
  EXPECT_EQ(DataDirFor({}, kInstalled), kInstalled);
  EXPECT_EQ(UserDataDirFor({}, kPerUser), kPerUser);
}

TEST(AppPaths, OnlyAnExistingFolderIsWritable) {
  const TempFolder folder;
  EXPECT_TRUE(IsWritableFolder(folder.Path()));
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path())) << "the check leaves nothing behind";
  EXPECT_FALSE(IsWritableFolder(folder.Path() / "missing"));
  EXPECT_FALSE(IsWritableFolder(folder.Write("file.txt", "x")));
  EXPECT_FALSE(IsWritableFolder({}));
}

TEST(AppPaths, PathFromUtf8ReadsUtf8OnEveryPlatform) {
  EXPECT_TRUE(PathFromUtf8("\xE9\x85\x8D\xE7\xBD\xAE.xml").u8string() == u8"\u914D\u7F6E.xml");
  EXPECT_EQ(PathFromUtf8("config.xml"), std::filesystem::path("config.xml"));
}

}  // namespace
}  // namespace keyloom::settings
