#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "settings/AppConfig.h"
#include "settings/KeyCatalogEntry.h"
#include "settings/Utf8Text.h"

// The corpus in tests/data/config holds odd and broken configuration files. A file named
// "broken-..." must be refused as a whole (the defaults stay); a file named "ok-..." must load
// into a sane result: every catalogue entry named, every name valid UTF-8.

namespace keyloom::settings {
namespace {

using Entries = std::vector<KeyCatalogEntry>;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

const std::filesystem::path kCorpus = std::filesystem::path(KEYLOOM_TEST_DATA_DIR) / "config";

std::vector<std::filesystem::path> CorpusFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& item : std::filesystem::directory_iterator(kCorpus)) {
    files.push_back(item.path());
  }
  return files;
}

bool StartsWith(const std::filesystem::path& file, const std::string& prefix) {
  return file.filename().string().starts_with(prefix);
}

AppConfig LoadCorpusFile(const std::string& name) {
  AppConfig config;
  EXPECT_TRUE(config.LoadFile(kCorpus / name)) << name;
  return config;
}

void ExpectSane(const std::vector<KeyCatalogEntry>& entries) {
  for (const KeyCatalogEntry& entry : entries) {
    EXPECT_FALSE(entry.name.empty());
    EXPECT_EQ(ValidUtf8(entry.name), entry.name);
  }
}

TEST(ConfigCorpus, EveryFileIsRefusedWholeOrLoadsSanely) {
  int broken = 0;
  int ok = 0;
  for (const std::filesystem::path& file : CorpusFiles()) {
    SCOPED_TRACE(file.filename().string());
    AppConfig config;
    if (StartsWith(file, "broken-")) {
      ++broken;
      config.mediaKeys.push_back({"left over", {1}});
      EXPECT_FALSE(config.LoadFile(file));
      EXPECT_EQ(config, AppConfig{});
    } else if (StartsWith(file, "ok-")) {
      ++ok;
      EXPECT_TRUE(config.LoadFile(file));
      ExpectSane(config.mediaKeys);
      ExpectSane(config.functionKeys);
    } else {
      ADD_FAILURE() << "corpus files are named broken-... or ok-...";
    }
  }
  EXPECT_GE(broken, 20);
  EXPECT_GE(ok, 15);
}

TEST(ConfigCorpus, EveryUnicodeEncodingGivesTheSameResult) {
  AppConfig expected;
  expected.isChinese = true;
  expected.languageSet = true;
  expected.vendorId = 0x258A;
  expected.productId = 0x2A;
  expected.interfaceNumber = 1;
  expected.collectionNumber = 2;
  expected.mediaKeys = {{"\xE9\x9D\x99\xE9\x9F\xB3", {239}},
                        {"Lecture/Pause", {232}},
                        {"Volume \xE2\x86\x91", {237}}};
  expected.functionKeys = {{"\xE5\xA4\x8D\xE5\x88\xB6", {224, 6}},
                           {"\xF0\x9F\x94\x92 Lock", {227, 15}}};
  for (const char* name :
       {"ok-utf8.xml", "ok-utf8-bom.xml", "ok-utf8-crlf.xml", "ok-utf16le-bom.xml",
        "ok-utf16be-bom.xml", "ok-utf16le-no-bom.xml", "ok-utf32le-bom.xml"}) {
    EXPECT_EQ(LoadCorpusFile(name), expected) << name;
  }
}

TEST(ConfigCorpus, OddFilesGiveTheseResults) {
  std::vector<std::int32_t> counted(2000);
  std::iota(counted.begin(), counted.end(), 0);

  const std::map<std::string, std::function<void(const AppConfig&)>> checks = {
      {"ok-latin1-declared.xml",
       [](const AppConfig& config) {
         // "Lecture précédente", converted from ISO-8859-1
         EXPECT_EQ(config.mediaKeys,
                   (Entries{{"Lecture pr\xC3\xA9\x63\xC3\xA9\x64\x65nte", {234}}}));
       }},
      {"ok-gbk-declared-utf8.xml",
       [](const AppConfig& config) {
         EXPECT_EQ(config.vendorId, 0x258A);
         ASSERT_EQ(config.mediaKeys.size(), 1U);
         EXPECT_EQ(config.mediaKeys[0].codes, (std::vector<std::int32_t>{239}));
       }},
      {"ok-declared-utf16-but-utf8.xml",
       [](const AppConfig& config) {
         EXPECT_EQ(config.vendorId, 0x258A);
         EXPECT_EQ(config.mediaKeys, (Entries{{"\xE9\x9D\x99\xE9\x9F\xB3", {239}}}));
       }},
      {"ok-huge-numbers.xml",
       [&counted](const AppConfig& config) {
         EXPECT_EQ(config.vendorId, kMax);
         EXPECT_EQ(config.productId, kMin);
         EXPECT_EQ(config.interfaceNumber, kMax);
         EXPECT_EQ(config.collectionNumber, kMin);
         EXPECT_EQ(config.mediaKeys, (Entries{{"big", {kMax, kMin}}, {"many", counted}}));
       }},
      {"ok-deep-nesting.xml",
       [](const AppConfig& config) {
         EXPECT_EQ(config.vendorId, 1);
         EXPECT_EQ(config.mediaKeys, (Entries{{"outer", {1}}, {"after", {3}}}));
       }},
      {"ok-wrong-case-names.xml", [](const AppConfig& config) { EXPECT_EQ(config, AppConfig{}); }},
      {"ok-duplicate-attributes.xml",
       [](const AppConfig& config) {
         EXPECT_EQ(config.vendorId, 1);
         EXPECT_EQ(config.productId, 3);
         EXPECT_EQ(config.mediaKeys, (Entries{{"first", {1}}}));
       }},
      {"ok-doctype-and-pi.xml",
       [](const AppConfig& config) {
         EXPECT_EQ(config.vendorId, 0);  // entities of an internal DTD are not expanded
         EXPECT_EQ(config.productId, 0x2A);
         EXPECT_EQ(config.mediaKeys, (Entries{{"&vendor; & more", {1}}}));
       }},
  };
  for (const auto& [name, check] : checks) {
    SCOPED_TRACE(name);
    check(LoadCorpusFile(name));
  }
}

TEST(ConfigCorpus, VeryDeepNestingNeitherCrashesNorCounts) {
  constexpr int kDepth = 200000;
  std::string open;
  std::string close;
  for (int level = 0; level < kDepth; ++level) {
    open += "<n name=\"deep\" code=\"2\">";
    close += "</n>";
  }
  const test::TempFolder folder;
  AppConfig config;
  EXPECT_TRUE(config.LoadFile(folder.Write("deep.xml", "<mediakey><key name=\"outer\" code=\"1\">" +
                                                           open + close + "</key></mediakey>")));
  EXPECT_EQ(config.mediaKeys, (Entries{{"outer", {1}}}));

  EXPECT_FALSE(config.LoadFile(folder.Write("unclosed.xml", "<usb vid=\"1\"/><mediakey>" + open)));
  EXPECT_EQ(config, AppConfig{});
}

}  // namespace
}  // namespace keyloom::settings
