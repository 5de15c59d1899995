#include <chrono>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "TestFiles.h"
#include "macro/MacroLibrary.h"
#include "settings/Utf8Text.h"
#include "storage/UserFiles.h"

namespace keyloom::macro {
namespace {

using storage::test::ReadBytes;
using storage::test::TempFolder;
using storage::test::TestData;
using storage::test::WriteBytes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// "name[code/name/state/delay,...];..." for every group, as the library holds it.
std::string Summary(const MacroLibrary& library) {
  std::string text;
  for (int g = 0; g < library.GroupCount(); ++g) {
    const MacroNode& group = *library.GroupAt(g);
    text += (g == 0 ? "" : ";") + group.Attribute(kNameAttribute).value_or("<none>") + "[";
    for (int e = 0; e < group.ChildCount(); ++e) {
      const MacroNode& event = *group.ChildAt(e);
      text += (e == 0 ? "" : ",") + event.Attribute(kCodeAttribute).value_or("?") + "/" +
              event.Attribute(kNameAttribute).value_or("?") + "/" +
              event.Attribute(kStateAttribute).value_or("?") + "/" +
              event.Attribute(kDelayAttribute).value_or("?");
    }
    text += "]";
  }
  return text;
}

std::vector<std::string> GroupNames(const MacroNode& root) {
  std::vector<std::string> names;
  for (int i = 0; i < root.ChildCount(); ++i) {
    names.push_back(root.ChildAt(i)->Attribute(kNameAttribute).value_or("<none>"));
  }
  return names;
}

MacroAttributes Named(std::string name) {
  return {{std::string(kNameAttribute), std::move(name)}};
}

// A library that lives in a temporary folder, with groups named "0", "1", ... under its root.
class MacroLibraryTest : public ::testing::Test {
 protected:
  void AddGroups(int count) {
    for (int i = 0; i < count; ++i) {
      library_.root().InsertChild(MacroNode::kLast, Named(std::to_string(i)));
    }
  }

  TempFolder folder_;
  std::filesystem::path file_ = folder_ / "macro.xml";
  MacroLibrary library_{file_};
};

TEST_F(MacroLibraryTest, RemoveChildTakesMinusOneAsTheLastAndIgnoresOutsideIndices) {
  MacroNode& root = library_.root();
  EXPECT_FALSE(root.RemoveChild(MacroNode::kLast));
  EXPECT_FALSE(root.RemoveChild(0));
  AddGroups(4);
  EXPECT_FALSE(root.RemoveChild(4));
  EXPECT_FALSE(root.RemoveChild(-2));
  EXPECT_TRUE(root.RemoveChild(MacroNode::kLast));
  EXPECT_TRUE(root.RemoveChild(1));
  EXPECT_THAT(GroupNames(root), ElementsAre("0", "2"));
}

TEST_F(MacroLibraryTest, InsertChildGoesBeforeTheIndexOrLastAndRefusesIndicesPastTheEnd) {
  MacroNode& root = library_.root();
  EXPECT_EQ(root.InsertChild(0, Named("refused: no child 0")), nullptr);
  EXPECT_NE(root.InsertChild(MacroNode::kLast, Named("a")), nullptr);
  EXPECT_NE(root.InsertChild(0, Named("b")), nullptr);
  EXPECT_EQ(root.InsertChild(2, Named("refused: equal to the count")), nullptr);
  EXPECT_EQ(root.InsertChild(-2, Named("refused")), nullptr);
  MacroNode* inserted = root.InsertChild(1, Named("c"));
  ASSERT_NE(inserted, nullptr);
  EXPECT_EQ(inserted->parent(), &root);
  EXPECT_EQ(inserted->library(), &library_);
  EXPECT_THAT(GroupNames(root), ElementsAre("b", "c", "a"));
}

TEST_F(MacroLibraryTest, MoveChildFollowsItsIndexRules) {
  MacroNode& root = library_.root();
  AddGroups(4);
  EXPECT_FALSE(root.MoveChild(4, 0));
  EXPECT_FALSE(root.MoveChild(-1, 0));
  EXPECT_FALSE(root.MoveChild(2, 2));
  EXPECT_FALSE(root.MoveChild(0, -2));
  EXPECT_THAT(GroupNames(root), ElementsAre("0", "1", "2", "3"));

  EXPECT_TRUE(root.MoveChild(3, 0));
  EXPECT_THAT(GroupNames(root), ElementsAre("3", "0", "1", "2"));
  EXPECT_TRUE(root.MoveChild(0, 2));  // before the child now at 2, once it is out
  EXPECT_THAT(GroupNames(root), ElementsAre("0", "1", "3", "2"));
  EXPECT_TRUE(root.MoveChild(0, MacroNode::kLast));
  EXPECT_THAT(GroupNames(root), ElementsAre("1", "3", "2", "0"));
  // The last child moved past the end stays last.
  EXPECT_TRUE(root.MoveChild(3, 4));
  EXPECT_THAT(GroupNames(root), ElementsAre("1", "3", "2", "0"));
}

TEST_F(MacroLibraryTest, ChildrenKeepTheirAddressesAndParentsAcrossEdits) {
  AddGroups(2);
  MacroNode* second = library_.GroupAt(1);
  MacroNode* event = second->InsertChild(MacroNode::kLast, {});
  for (int i = 0; i < 100; ++i) {
    library_.root().InsertChild(0, Named("more"));
  }
  library_.root().MoveChild(101, 0);
  EXPECT_EQ(library_.GroupAt(0), second);
  EXPECT_EQ(event->parent(), second);
  EXPECT_EQ(library_.root().IndexOf(second), 0);
  EXPECT_EQ(library_.root().IndexOf(event), std::nullopt);
  EXPECT_EQ(library_.GroupAt(102), nullptr);
  EXPECT_EQ(library_.GroupAt(-1), nullptr);
}

TEST_F(MacroLibraryTest, AMissingAttributeIsAnErrorResultNotAnEmptyText) {
  AddGroups(1);
  MacroNode& group = *library_.GroupAt(0);
  EXPECT_EQ(group.Attribute("colour"), std::nullopt);
  group.SetAttribute("colour", "");
  EXPECT_EQ(group.Attribute("colour"), "");
  group.SetAttribute("colour", "red");
  EXPECT_EQ(group.Attribute("colour"), "red");
}

TEST_F(MacroLibraryTest, NewGroupsAreNamedByTheCountBeforeAndNoEditGivesANameTwice) {
  for (int i = 0; i < 3; ++i) {
    const storage::EditResult added = library_.AddGroup();
    EXPECT_TRUE(added.changed);
    EXPECT_TRUE(added.saved.ok()) << added.saved.error();
  }
  EXPECT_TRUE(library_.RemoveGroup(0).changed);
  library_.AddGroup();
  EXPECT_THAT(GroupNames(library_.root()), ElementsAre("Group 1", "Group 2", "Group 3"));
  EXPECT_FALSE(library_.AddNamedGroup("Group 2").changed);
  EXPECT_FALSE(library_.RenameGroup(2, "Group 1").changed);
  EXPECT_EQ(library_.GroupNamed("Group 3"), 2);

  EXPECT_FALSE(library_.AddNamedGroup("").changed);
  EXPECT_FALSE(library_.RemoveGroup(3).changed);
  EXPECT_TRUE(library_.RemoveGroup(MacroNode::kLast).changed);

  // Every change reached the file at once.
  MacroLibrary reread(file_);
  EXPECT_TRUE(reread.Open().ok());
  EXPECT_EQ(Summary(reread), "Group 1[];Group 2[]");
}

TEST_F(MacroLibraryTest, WritesTheFileFormatByteForByte) {
  EXPECT_EQ(library_.ToXml(), ReadBytes(TestData("golden/library-empty.xml")));

  MacroNode* group = library_.root().InsertChild(MacroNode::kLast, Named("Group 0"));
  // The attributes are written in their fixed order, not in the order they were set.
  group->InsertChild(MacroNode::kLast,
                     {{"delay", "120"}, {"state", "0"}, {"name", "A"}, {"code", "4"}});
  group->InsertChild(MacroNode::kLast,
                     {{"code", "4"}, {"name", "A"}, {"state", "1"}, {"delay", "0"}, {"x", "y"}});
  library_.root().InsertChild(MacroNode::kLast, Named("Group 1"));
  library_.root().SetAttribute("ignored", "root attributes are not written");

  const std::string golden = ReadBytes(TestData("golden/library-two-groups.xml"));
  EXPECT_EQ(library_.ToXml(), golden);
  ASSERT_TRUE(library_.SaveToOwnFile().ok());
  EXPECT_EQ(ReadBytes(file_), golden);
}

// The library as the XML parser's own writer puts it, each text as XML 1.0 allows it: the
// reference for the program's writer.
std::string WrittenByTheParser(const MacroLibrary& library) {
  pugi::xml_document document;
  auto declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  auto root = document.append_child("group");
  for (int g = 0; g < library.GroupCount(); ++g) {
    const MacroNode& group = *library.GroupAt(g);
    auto items = root.append_child("items");
    items.append_attribute("name") = settings::XmlText(*group.Attribute(kNameAttribute)).c_str();
    for (int e = 0; e < group.ChildCount(); ++e) {
      auto item = items.append_child("item");
      for (const char* name : {"code", "name", "state", "delay"}) {
        item.append_attribute(name) = settings::XmlText(*group.ChildAt(e)->Attribute(name)).c_str();
      }
    }
  }
  std::ostringstream text;
  document.save(text, "\t", pugi::format_default, pugi::encoding_utf8);
  return text.str();
}

TEST_F(MacroLibraryTest, WritesWhatTheParsersWriterWritesForAnyText) {
  std::mt19937 random(7);
  auto randomText = [&random] {
    std::string text(random() % 12, ' ');
    for (char& c : text) {
      c = static_cast<char>(random() % 256);  // every byte, NUL and markup characters included
    }
    return text;
  };
  for (int round = 0; round < 200; ++round) {
    library_.Clear();
    for (unsigned g = random() % 4; g > 0; --g) {
      MacroNode* group = library_.root().InsertChild(MacroNode::kLast, Named(randomText()));
      for (unsigned e = random() % 4; e > 0; --e) {
        group->InsertChild(MacroNode::kLast, {{"code", randomText()},
                                              {"name", randomText()},
                                              {"state", randomText()},
                                              {"delay", randomText()}});
      }
    }
    ASSERT_EQ(library_.ToXml(), WrittenByTheParser(library_)) << "round " << round;
  }
}

TEST_F(MacroLibraryTest, OddTextsAndEmptyNamesSurviveAWriteAndARead) {
  const std::string golden = ReadBytes(TestData("golden/library-odd-texts.xml"));
  ASSERT_TRUE(library_.LoadBuffer(golden).ok());
  EXPECT_EQ(library_.GroupCount(), 2);
  EXPECT_EQ(library_.GroupAt(0)->Attribute(kNameAttribute), "");
  EXPECT_EQ(library_.GroupAt(1)->Attribute(kNameAttribute), "Fish & <chips> \"x\" \t\xe5\xae\x8f");
  EXPECT_EQ(library_.ToXml(), golden);

  // An event made without attributes is written as the reader fills in missing ones.
  library_.Clear();
  library_.root().InsertChild(MacroNode::kLast, {})->InsertChild(MacroNode::kLast, {});
  EXPECT_THAT(library_.ToXml(), HasSubstr("<items name=\"\">\n\t\t<item code=\"0\" name=\"\" "
                                          "state=\"0\" delay=\"0\" />"));
}

TEST_F(MacroLibraryTest, RenamingToAnEmptyNameKeepsTheGroupOnTheNextLoad) {
  library_.AddGroup();
  library_.AddGroup();
  EXPECT_FALSE(library_.RenameGroup(0, "Group 0").changed);
  EXPECT_FALSE(library_.RenameGroup(2, "no such group").changed);
  const storage::EditResult renamed = library_.RenameGroup(0, "");
  EXPECT_TRUE(renamed.changed);
  ASSERT_TRUE(renamed.saved.ok());

  MacroLibrary reread(file_);
  EXPECT_TRUE(reread.Open().ok());
  EXPECT_EQ(Summary(reread), "[];Group 1[]");
}

struct CorpusCase {
  const char* file;
  const char* summary;  // nullptr: the file is refused and the library stays as it was
  std::size_t skippedGroups = 0;
  std::vector<std::string> leftOutElements = {};
};

TEST(MacroLibraryReader, ReadsEveryFileOfTheCorpusAsExpected) {
  const CorpusCase cases[] = {
      {"broken-empty.xml", nullptr},
      {"broken-only-whitespace.xml", nullptr},
      {"broken-only-declaration.xml", nullptr},
      {"broken-truncated.xml", nullptr},
      {"broken-mismatched-tags.xml", nullptr},
      {"broken-unquoted-attribute.xml", nullptr},
      {"broken-nul-inside.xml", nullptr},
      {"broken-utf16le-without-bom.xml", nullptr},
      {"broken-binary.xml", nullptr},
      {"broken-stray-end-tag.xml", nullptr},
      {"ok-as-written.xml", "Group 0[4/A/0/120,4/A/1/0];Group 1[]"},
      {"ok-missing-attributes.xml", "Sparse[9//0/0,0//0/0,0/B/1/40]"},
      {"ok-nameless-groups-left-out.xml", "[5/B/0/2];Kept[]", 2},
      {"ok-unknown-elements-and-attributes.xml",
       "Other tag[7/D/0/5];Attributes in any order[8/E/1/9]",
       0,
       {"group"}},
      {"ok-no-group-element.xml", "", 0, {"library"}},
      {"ok-root-spelled-differently.xml", "", 0, {"Group"}},
      {"ok-second-group-element.xml", "First[]", 0, {"group"}},
      {"ok-empty-group-element.xml", ""},
      {"ok-utf8-bom.xml", "\xe5\xae\x8f[4/A/0/1]"},
      {"ok-utf16le-bom.xml", "\xe5\xae\x8f[4/A/0/1]"},
      {"ok-utf16be-bom.xml", "\xe5\xae\x8f[4/A/0/1]"},
      // The bytes are read as they are, not valid UTF-8, and written with U+FFFD in their place.
      {"ok-latin1-declared-read-as-utf8.xml", "Caf\xe9[4/A/0/1]"},
      {"ok-crlf-and-entities.xml", "Tab\tand <&>[4/A'/0/1]"},
      {"ok-huge-numbers.xml",
       "Huge[99999999999999999999999//-99999999999/1e9,-1//0/99999999999999999999999999]"},
      {"ok-empty-names.xml", "[];[///]"},
      // The parser turns raw line breaks and tabs in attributes into spaces.
      {"ok-raw-whitespace-in-attributes.xml", "line one tab[ 4/A/0/1]"},
  };
  for (const CorpusCase& c : cases) {
    SCOPED_TRACE(c.file);
    MacroLibrary library;
    library.AddNamedGroup("before");
    const storage::LoadResult loaded = library.Load(TestData(std::string("library/") + c.file));
    if (c.summary == nullptr) {
      EXPECT_EQ(loaded.status, storage::LoadResult::Status::kMalformed);
      EXPECT_FALSE(loaded.error.empty());
      EXPECT_EQ(Summary(library), "before[]");
      continue;
    }
    ASSERT_TRUE(loaded.ok()) << loaded.error;
    EXPECT_EQ(Summary(library), c.summary);
    EXPECT_EQ(loaded.skippedGroups, c.skippedGroups);
    EXPECT_EQ(loaded.leftOutElements, c.leftOutElements);
    EXPECT_EQ(loaded.partlyRead(), c.skippedGroups > 0 || !c.leftOutElements.empty());
    // Whatever was read is written so that it reads back the same, as XML 1.0 allows it.
    MacroLibrary again;
    ASSERT_TRUE(again.LoadBuffer(library.ToXml()).ok());
    EXPECT_EQ(again.ToXml(), library.ToXml());
    EXPECT_EQ(Summary(again), settings::XmlText(c.summary));
  }
}

TEST(MacroLibraryReader, MissingAndUnreadableFilesAreToldApart) {
  TempFolder folder;
  MacroLibrary library;
  EXPECT_EQ(library.Load(folder / "absent.xml").status, storage::LoadResult::Status::kMissing);
  const storage::LoadResult folderRead = library.Load(folder.Path());
  EXPECT_EQ(folderRead.status, storage::LoadResult::Status::kUnusable);
  EXPECT_THAT(folderRead.error, HasSubstr("not a regular file"));
}

TEST_F(MacroLibraryTest, OpeningABrokenFileKeepsItAsideBeforeAnythingIsSaved) {
  const std::string broken = "<group><items name=\"half a libr";
  WriteBytes(file_, broken);
  const auto now = std::chrono::sys_days{std::chrono::year{2024} / 3 / 9} + std::chrono::hours{7};

  const storage::OpenReport report = library_.Open(now);
  const auto aside = folder_ / "macro.broken-20240309-070000.xml";
  ASSERT_EQ(report.keptAs, aside);
  EXPECT_THAT(report.problem, HasSubstr("not well-formed"));
  EXPECT_THAT(report.problem, HasSubstr(aside.string()));
  EXPECT_EQ(ReadBytes(aside), broken);
  EXPECT_FALSE(std::filesystem::exists(file_));
  EXPECT_EQ(library_.GroupCount(), 0);

  ASSERT_TRUE(library_.AddGroup().saved.ok());
  EXPECT_EQ(ReadBytes(aside), broken);
  EXPECT_THAT(storage::test::FileNames(folder_.Path()),
              ElementsAre("macro.broken-20240309-070000.xml", "macro.xml"));

  // A second broken file at the same second gets a name of its own.
  WriteBytes(file_, "also broken");
  EXPECT_EQ(MacroLibrary(file_).Open(now).keptAs, folder_ / "macro.broken-20240309-070000-2.xml");
  EXPECT_EQ(ReadBytes(aside), broken);
}

TEST_F(MacroLibraryTest, ABrokenFileThatCannotBeMovedAsideIsNeverOverwritten) {
  const auto now = std::chrono::sys_days{std::chrono::year{2024} / 1 / 1};
  // Every name the file could be kept under is taken.
  for (int attempt = 1; attempt <= 1000; ++attempt) {
    WriteBytes(storage::AsideName(file_, storage::kBrokenLabel, now, attempt), "taken");
  }
  WriteBytes(file_, "not xml");

  const storage::OpenReport report = library_.Open(now);
  EXPECT_FALSE(report.keptAs);
  EXPECT_THAT(report.problem, HasSubstr("nothing will be saved over it"));
  const storage::EditResult added = library_.AddGroup();
  EXPECT_TRUE(added.changed);
  EXPECT_FALSE(added.saved.ok());
  EXPECT_EQ(ReadBytes(file_), "not xml");
  // Exporting elsewhere still works.
  EXPECT_TRUE(library_.Export(folder_ / "rescue.mcr").ok());
}

// Whatever a file holds that the library leaves out is kept in a copy before a save drops it,
// and the user is told on every read; reading the same file again makes no second copy.
TEST(MacroLibraryPartlyRead, IsCopiedAsideOnceForEachContentAndTold) {
  const struct {
    const char* file;
    const char* told;
    const char* summary;
  } cases[] = {
      {"ok-nameless-groups-left-out.xml", "2 group(s) without a \"name\" attribute",
       "[5/B/0/2];Kept[]"},
      {"ok-second-group-element.xml",
       "1 element(s) at the top other than the first <group> (<group>)", "First[]"},
      {"ok-root-spelled-differently.xml",
       "1 element(s) at the top other than the first <group> (<Group>)", ""},
  };
  const auto now = std::chrono::sys_days{std::chrono::year{2025} / 12 / 31};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TempFolder folder;
    const auto file = folder / "macro.xml";
    const std::string original = ReadBytes(TestData(std::string("library/") + c.file));
    WriteBytes(file, original);
    const auto copy = folder / "macro.partly-read-20251231-000000.xml";
    for (int read = 0; read < 3; ++read) {
      MacroLibrary library(file);
      const storage::OpenReport report = library.Open(now + std::chrono::seconds{read});
      ASSERT_EQ(report.keptAs, copy);
      EXPECT_THAT(report.problem, HasSubstr("was read only in part: " + std::string(c.told)));
      EXPECT_THAT(report.problem, HasSubstr(copy.string()));
      EXPECT_EQ(Summary(library), c.summary);
    }
    EXPECT_EQ(ReadBytes(copy), original);
    EXPECT_THAT(storage::test::FileNames(folder.Path()),
                ElementsAre("macro.partly-read-20251231-000000.xml", "macro.xml"));

    // The next save drops what was left out; the copy keeps it. A file of other content that is
    // read only in part gets a copy of its own.
    MacroLibrary library(file);
    library.Open(now);
    ASSERT_TRUE(library.AddNamedGroup("After").saved.ok());
    EXPECT_EQ(ReadBytes(copy), original);
    WriteBytes(file, original + "<group />");
    EXPECT_EQ(MacroLibrary(file).Open(now).keptAs,
              folder / "macro.partly-read-20251231-000000-2.xml");
  }
}

TEST_F(MacroLibraryTest, ImportingAFileWithoutAnyGroupIsRefused) {
  using Status = MacroLibrary::ImportResult::Status;
  library_.AddNamedGroup("Mine");
  const std::string before = ReadBytes(file_);
  for (const char* text : {"<group />", "<group><items /></group>",
                           "<Group><items name=\"Spelled with a capital\" /></Group>",
                           "<?xml version=\"1.0\"?><library />"}) {
    SCOPED_TRACE(text);
    WriteBytes(folder_ / "none.mcr", text);
    const auto imported = library_.Import(folder_ / "none.mcr");
    EXPECT_EQ(imported.status, Status::kNoGroups);
    EXPECT_THAT(imported.error, HasSubstr("none.mcr holds no macro group"));
    EXPECT_EQ(Summary(library_), "Mine[]");
  }
  EXPECT_EQ(ReadBytes(file_), before);
  EXPECT_THAT(storage::test::FileNames(folder_.Path()), ElementsAre("macro.xml", "none.mcr"));
}

// Two programs with the library open at once: each change is made to the file as the other left
// it, and an edit chosen on a view that is stale by then is left out.
TEST_F(MacroLibraryTest, UpdatesReadTheFileAgainWhenAnotherProgramChangedIt) {
  ASSERT_TRUE(library_.AddNamedGroup("First").saved.ok());
  MacroLibrary other(file_);
  ASSERT_TRUE(other.Open().ok());
  std::vector<std::string> previous;
  library_.SetReloadListener(
      [&previous](const MacroNode& previousRoot) { previous = GroupNames(previousRoot); });

  EXPECT_FALSE(other.AddNamedGroup("Second").reloaded);
  const storage::EditResult added = library_.AddNamedGroup("Third");
  EXPECT_TRUE(added.changed);
  EXPECT_TRUE(added.reloaded);
  EXPECT_THAT(previous, ElementsAre("First"));
  EXPECT_THAT(GroupNames(library_.root()), ElementsAre("First", "Second", "Third"));

  // `other` still shows First and Second: its removal of row 0 is left out, and it now shows
  // what the file holds.
  const storage::EditResult removed = other.RemoveGroup(0);
  EXPECT_FALSE(removed.changed);
  EXPECT_TRUE(removed.reloaded);
  EXPECT_THAT(GroupNames(other.root()), ElementsAre("First", "Second", "Third"));
  ASSERT_TRUE(other.RemoveGroup(0).changed);

  MacroLibrary reread(file_);
  ASSERT_TRUE(reread.Open().ok());
  EXPECT_THAT(GroupNames(reread.root()), ElementsAre("Second", "Third"));
}

TEST(MacroFileName, OnlyALowerCaseMcrExtensionIsAccepted) {
  EXPECT_TRUE(MacroLibrary::IsMacroFileName("macros.mcr"));
  EXPECT_TRUE(MacroLibrary::IsMacroFileName("/home/me/my.macros/all.mcr"));
  EXPECT_TRUE(MacroLibrary::IsMacroFileName(".mcr"));
  EXPECT_FALSE(MacroLibrary::IsMacroFileName("macros.MCR"));
  EXPECT_FALSE(MacroLibrary::IsMacroFileName("macros.Mcr"));
  EXPECT_FALSE(MacroLibrary::IsMacroFileName("macros"));
  EXPECT_FALSE(MacroLibrary::IsMacroFileName("macros.mcr.bak"));
  EXPECT_FALSE(MacroLibrary::IsMacroFileName("macros."));
  EXPECT_FALSE(MacroLibrary::IsMacroFileName("dir.mcr/file"));
}

TEST_F(MacroLibraryTest, ExportWritesTheWholeLibraryOnlyToMcrFiles) {
  library_.AddGroup();
  EXPECT_FALSE(library_.Export(folder_ / "upper.MCR").ok());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "upper.MCR"));
  ASSERT_TRUE(library_.Export(folder_ / "all.mcr").ok());
  EXPECT_EQ(ReadBytes(folder_ / "all.mcr"), ReadBytes(file_));
}

TEST_F(MacroLibraryTest, ImportReplacesTheLibraryAndKeepsTheOldFile) {
  using Status = MacroLibrary::ImportResult::Status;
  library_.AddGroup();
  const std::string before = ReadBytes(file_);
  const auto now = std::chrono::sys_days{std::chrono::year{2024} / 6 / 1};

  WriteBytes(folder_ / "broken.mcr", "<group><items name=\"x\">");
  EXPECT_EQ(library_.Import(folder_ / "broken.mcr", now).status, Status::kNotRead);
  EXPECT_EQ(library_.Import(folder_ / "absent.mcr", now).status, Status::kNotRead);
  std::filesystem::copy_file(TestData("golden/library-two-groups.xml"), folder_ / "two.MCR");
  EXPECT_EQ(library_.Import(folder_ / "two.MCR", now).status, Status::kRefusedName);
  EXPECT_EQ(Summary(library_), "Group 0[]");
  EXPECT_EQ(ReadBytes(file_), before);
  EXPECT_EQ(storage::test::FileNames(folder_.Path()).size(), 3U);

  // Another name than two.MCR: on a file system that ignores case they are one file.
  std::filesystem::copy_file(TestData("golden/library-two-groups.xml"), folder_ / "other.mcr");
  const auto imported = library_.Import(folder_ / "other.mcr", now);
  ASSERT_EQ(imported.status, Status::kImported) << imported.error;
  EXPECT_EQ(Summary(library_), "Group 0[4/A/0/120,4/A/1/0];Group 1[]");
  EXPECT_EQ(ReadBytes(file_), ReadBytes(folder_ / "other.mcr"));
  ASSERT_EQ(imported.previousKeptAs, folder_ / "macro.before-import-20240601-000000.xml");
  EXPECT_EQ(ReadBytes(*imported.previousKeptAs), before);
}

TEST_F(MacroLibraryTest, AHandEditedExportComesBackWithEveryGroupAndEvent) {
  // Written by the program, then edited by hand: line endings, attribute order, comments,
  // extra attributes and a new group and event.
  library_.LoadBuffer(ReadBytes(TestData("golden/library-two-groups.xml")));
  ASSERT_TRUE(library_.Export(folder_ / "mine.mcr").ok());
  std::string edited = ReadBytes(folder_ / "mine.mcr");
  edited.replace(edited.find("<items name=\"Group 1\" />"), 24,
                 "<!-- mine -->\r\n<items note=\"new\" name=\"Group 1\">\r\n"
                 "<item delay=\"30\" state=\"0\" code=\"5\" name=\"B\" colour=\"blue\"/>\r\n"
                 "</items>\r\n<items name=\"Added by hand\"></items>");
  WriteBytes(folder_ / "mine.mcr", edited);

  ASSERT_EQ(library_.Import(folder_ / "mine.mcr").status,
            MacroLibrary::ImportResult::Status::kImported);
  ASSERT_TRUE(library_.Export(folder_ / "again.mcr").ok());
  EXPECT_EQ(ReadBytes(folder_ / "again.mcr"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<group>\n"
            "\t<items name=\"Group 0\">\n"
            "\t\t<item code=\"4\" name=\"A\" state=\"0\" delay=\"120\" />\n"
            "\t\t<item code=\"4\" name=\"A\" state=\"1\" delay=\"0\" />\n"
            "\t</items>\n"
            "\t<items name=\"Group 1\">\n"
            "\t\t<item code=\"5\" name=\"B\" state=\"0\" delay=\"30\" />\n"
            "\t</items>\n"
            "\t<items name=\"Added by hand\" />\n"
            "</group>\n");
}

}  // namespace
}  // namespace keyloom::macro
