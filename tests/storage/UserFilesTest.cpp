#include <chrono>
#include <filesystem>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TestFiles.h"
#include "storage/UserFiles.h"

namespace keyloom::storage {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const auto kNoon = std::chrono::sys_days{std::chrono::year{2024} / 2 / 29} + std::chrono::hours{12};

TEST(WriteFileAtomically, CreatesAndReplacesTheFileLeavingNothingElseBehind) {
  TempFolder folder;
  const auto file = folder / "macro.xml";
  ASSERT_TRUE(WriteFileAtomically(file, "first").ok());
  EXPECT_EQ(ReadBytes(file), "first");
  ASSERT_TRUE(WriteFileAtomically(file, "").ok());
  EXPECT_EQ(ReadBytes(file), "");
  ASSERT_TRUE(WriteFileAtomically(file, std::string(1 << 20, 'x')).ok());
  EXPECT_EQ(std::filesystem::file_size(file), 1U << 20);
  EXPECT_THAT(FileNames(folder.Path()), ElementsAre("macro.xml"));
}

TEST(WriteFileAtomically, AFailureLeavesTheTargetAndTheFolderAsTheyWere) {
  TempFolder folder;
  EXPECT_THAT(WriteFileAtomically(folder / "missing/macro.xml", "x").error(), HasSubstr("missing"));

  // A folder in the way of the rename: the content is written but cannot replace it.
  std::filesystem::create_directory(folder / "macro.xml");
  WriteBytes(folder / "macro.xml/inside", "kept");
  const FileResult result = WriteFileAtomically(folder / "macro.xml", "x");
  EXPECT_FALSE(result.ok());
  EXPECT_THAT(result.error(), HasSubstr("macro.xml"));
  EXPECT_EQ(ReadBytes(folder / "macro.xml/inside"), "kept");
  EXPECT_THAT(FileNames(folder.Path()), ElementsAre("macro.xml"));

  EXPECT_FALSE(WriteFileAtomically({}, "x").ok());
}

TEST(KeepingFilesAside, NamesCarryTheLabelAndTheTimeBeforeTheExtension) {
  EXPECT_EQ(AsideName("/d/macro.xml", kBrokenLabel, kNoon, 1),
            std::filesystem::path("/d/macro.broken-20240229-120000.xml"));
  EXPECT_EQ(AsideName("/d/store.xml", kBeforeImportLabel, kNoon + std::chrono::seconds{61}, 3),
            std::filesystem::path("/d/store.before-import-20240229-120101-3.xml"));
  EXPECT_EQ(AsideName("noextension", kBrokenLabel, kNoon, 1),
            std::filesystem::path("noextension.broken-20240229-120000"));
}

TEST(KeepingFilesAside, MovingNeverReplacesAFileAlreadyKept) {
  TempFolder folder;
  const auto file = folder / "macro.xml";
  WriteBytes(AsideName(file, kBrokenLabel, kNoon, 1), "kept earlier");
  WriteBytes(file, "broken now");

  const AsideResult moved = MoveFileAside(file, kBrokenLabel, kNoon);
  ASSERT_TRUE(moved.result.ok()) << moved.result.error();
  EXPECT_EQ(moved.keptAs, AsideName(file, kBrokenLabel, kNoon, 2));
  EXPECT_EQ(ReadBytes(moved.keptAs), "broken now");
  EXPECT_EQ(ReadBytes(AsideName(file, kBrokenLabel, kNoon, 1)), "kept earlier");
  EXPECT_FALSE(std::filesystem::exists(file));

  const AsideResult missing = MoveFileAside(file, kBrokenLabel, kNoon);
  EXPECT_FALSE(missing.result.ok());
  EXPECT_TRUE(missing.keptAs.empty());
}

TEST(KeepingFilesAside, CopyingLeavesTheFileInPlace) {
  TempFolder folder;
  const auto file = folder / "macro.xml";
  WriteBytes(file, "library");
  WriteBytes(AsideName(file, kBeforeImportLabel, kNoon, 1), "older copy");
  const AsideResult copied = CopyFileAside(file, kBeforeImportLabel, kNoon);
  ASSERT_TRUE(copied.result.ok()) << copied.result.error();
  EXPECT_EQ(copied.keptAs, AsideName(file, kBeforeImportLabel, kNoon, 2));
  EXPECT_EQ(ReadBytes(copied.keptAs), "library");
  EXPECT_EQ(ReadBytes(file), "library");
  EXPECT_EQ(ReadBytes(AsideName(file, kBeforeImportLabel, kNoon, 1)), "older copy");
}

TEST(ReadUserFile, TellsMissingFromUnreadable) {
  TempFolder folder;
  EXPECT_EQ(ReadUserFile(folder / "absent").status, LoadResult::Status::kMissing);
  const FileBytes folderRead = ReadUserFile(folder.Path());
  EXPECT_EQ(folderRead.status, LoadResult::Status::kUnusable);
  EXPECT_FALSE(folderRead.error.empty());
  WriteBytes(folder / "file", std::string("a\0b", 3));
  const FileBytes read = ReadUserFile(folder / "file");
  EXPECT_EQ(read.status, LoadResult::Status::kLoaded);
  EXPECT_EQ(read.bytes, std::string("a\0b", 3));
}

TEST(ReadUserFile, ReadsFilesOfAnySizeWhole) {
  TempFolder folder;
  for (const std::size_t size : {std::size_t{1}, std::size_t{4096}, std::size_t{65536},
                                 std::size_t{65537}, std::size_t{200000}}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
      bytes[i] = static_cast<char>('a' + i % 26);
    }
    WriteBytes(folder / "file", bytes);
    const FileBytes read = ReadUserFile(folder / "file");
    EXPECT_EQ(read.status, LoadResult::Status::kLoaded) << size;
    EXPECT_EQ(read.bytes, bytes) << size;
  }
}

}  // namespace
}  // namespace keyloom::storage
