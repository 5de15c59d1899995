#pragma once

#include <QString>
#include <vector>

namespace keyloom::app::test {

// Where a skin check looks.
struct SkinCheckInput {
  // The skin folder ("uires").
  QString skinFolder;
  // The list of what the program needs from its skin (skin/manifest.txt).
  QString manifestFile;
  // The folder that the manifest's file names ("catalog data/config.xml") are relative to.
  QString repositoryFolder;
};

// Checks a skin as the toolkit builds it, with every control factory of the program registered:
// the resources of the manifest and those the program opens by name exist and load; the layouts
// build without unknown tags; the controls of the manifest are there with their classes, ids,
// parents, pages and entries; the program's own lookups (by name or id, with the class it
// expects) find their controls; every control whose name the name table knows carries that id;
// the two translations hold the same texts, and every text of the layouts, menus and
// configuration catalogues and every text the program shows has a translation in both.
//
// Answers one line per problem, each naming what is missing or wrong and where; none for a good
// skin.
[[nodiscard]] std::vector<QString> CheckSkin(const SkinCheckInput& input);

}  // namespace keyloom::app::test
