#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "macro/EditResult.h"
#include "macro/FileResult.h"
#include "macro/LoadResult.h"
#include "macro/MacroNode.h"
#include "macro/OpenReport.h"

namespace keyloom::macro {

// The library file's name in the user's data folder.
inline constexpr std::string_view kMacroLibraryFileName = "macro.xml";

// The label under which an own library file is copied aside when some of its groups could not
// be read (an `items` element without a "name"), before a save drops them from the file.
inline constexpr std::string_view kPartlyReadLabel = "partly-read";

// The user's macros: named groups of key events, kept in one file ("macro.xml") that every
// change rewrites at once, and exchanged whole as ".mcr" files of the same format:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <group>
//   	<items name="Group 0">
//   		<item code="4" name="A" state="0" delay="120" />
//   		<item code="4" name="A" state="1" delay="0" />
//   	</items>
//   	<items name="" />
//   </group>
//
// UTF-8 without a byte-order mark, a tab per level, the attributes of `item` in this order and
// their texts unchanged. A group whose name is empty keeps its (empty) "name" attribute, since
// the reader leaves out every `items` element without one.
//
// Not copied or moved: every node points at its library.
class MacroLibrary {
 public:
  explicit MacroLibrary(std::filesystem::path path = {});
  MacroLibrary(const MacroLibrary&) = delete;
  MacroLibrary& operator=(const MacroLibrary&) = delete;
  ~MacroLibrary() = default;

  // The library's own file.
  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

  // The root; its children are the groups, in file order.
  [[nodiscard]] MacroNode& root() { return root_; }
  [[nodiscard]] const MacroNode& root() const { return root_; }
  [[nodiscard]] int GroupCount() const { return root_.ChildCount(); }
  [[nodiscard]] MacroNode* GroupAt(int index) const { return root_.ChildAt(index); }

  // Reads the library from its own file. A missing file leaves the library empty. A file that
  // exists but cannot be read or parsed is moved aside (see KeepUnreadableFileAside) and the
  // library starts empty; when it cannot be moved, saving to the own file is refused from then
  // on, so that it is never overwritten. A file of which some groups were left out is copied
  // aside (kPartlyReadLabel), since the next save drops them. The report says what happened.
  OpenReport Open(std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

  // Reads a library file. On success the library is cleared first and holds the file's groups;
  // on any failure it is unchanged. The file is read as UTF-8, except that a UTF-16 or UTF-32
  // byte-order mark is honoured. Reading is tolerant: the first `group` element at the top
  // counts (none: an empty library); each element under it with a "name" attribute is a group
  // (the others are left out and counted), each element under a group an event, whose missing
  // attributes read as "0" for code, state and delay, and empty for name.
  LoadResult Load(const std::filesystem::path& file);
  LoadResult LoadBuffer(std::string_view bytes);

  // The library in the file format.
  [[nodiscard]] std::string ToXml() const;

  // Writes the library to `file` (WriteFileAtomically). The own file is refused while a broken
  // file there could not be moved aside.
  [[nodiscard]] FileResult Save(const std::filesystem::path& file) const;
  [[nodiscard]] FileResult SaveToOwnFile() const { return Save(path_); }

  // Removes every group and every attribute of the root. Saves nothing.
  void Clear();

  // Appends a group named "Group N", N being the number of groups before, and saves. Names
  // need not be unique: after a deletion a name can come again.
  EditResult AddGroup();
  // Appends a group of that name and saves; an empty name adds nothing.
  EditResult AddNamedGroup(std::string_view name);
  // Removes the group at `index` (MacroNode::kLast: the last one) and saves; an index outside
  // the groups changes nothing.
  EditResult RemoveGroup(int index);
  // Gives the group at `index` the name and saves, when the group exists and the name differs.
  // An empty name is kept like any other.
  EditResult RenameGroup(int index, std::string_view name);

  // True when the text after the last "." of the path is exactly "mcr" (case matters).
  [[nodiscard]] static bool IsMacroFileName(const std::filesystem::path& file);

  struct ImportResult {
    enum class Status {
      kImported,
      kRefusedName,  // not a ".mcr" file name
      kNotRead,      // the file could not be read or parsed
      kNotKept,      // the own file could not be copied aside
      kNotSaved,     // imported, but the library could not be saved
    };
    Status status = Status::kImported;
    std::string error;
    // A copy of the library file as it was before the import (kBeforeImportLabel).
    std::optional<std::filesystem::path> previousKeptAs;
    std::size_t skippedGroups = 0;
  };

  // Replaces the whole library with the groups of a ".mcr" file and saves it to its own file.
  // The library file as it was is copied aside first, so an import never loses a macro. Until
  // the file has been read and the copy made, the library stays as it was.
  ImportResult Import(const std::filesystem::path& file,
                      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

  // Writes the whole library to a ".mcr" file; any other name is refused.
  [[nodiscard]] FileResult Export(const std::filesystem::path& file) const;

 private:
  std::filesystem::path path_;
  MacroNode root_{this, nullptr};
  // Why the own file must not be written: it could not be read, nor moved or copied aside.
  std::optional<std::string> saveRefusal_;
};

}  // namespace keyloom::macro
