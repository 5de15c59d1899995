#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "macro/MacroNode.h"
#include "storage/EditResult.h"
#include "storage/FileResult.h"
#include "storage/LoadResult.h"
#include "storage/OpenReport.h"

namespace keyloom::macro {

// The library file's name in the user's data folder.
inline constexpr std::string_view kMacroLibraryFileName = "macro.xml";

// The label under which an own library file is copied aside when some of what it holds could not
// be read (see LoadResult::partlyRead), before a save drops it from the file.
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
  // The index of the first group of exactly that name.
  [[nodiscard]] std::optional<int> GroupNamed(std::string_view name) const;

  // Reads the library from its own file, holding the data folder's lock (DataFolderLock) when it
  // can. A missing file leaves the library empty. A file that is not well-formed or no regular
  // file is moved aside (KeepUnreadableFileAside) and the library starts empty; a file that
  // cannot be opened or read is left where it is. Saving to the own file is refused from then on
  // while such a file is still in place, so that it is never overwritten. A file that was read
  // only in part (LoadResult::partlyRead) is copied aside (kPartlyReadLabel, once for each
  // content), since the next save drops what was left out. The report says what happened.
  storage::OpenReport Open(
      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

  // Reads a library file. On success the library is cleared first and holds the file's groups;
  // on any failure it is unchanged. The file is read as UTF-8, except that a UTF-16 or UTF-32
  // byte-order mark is honoured. Reading is tolerant: the first `group` element at the top
  // counts (none: an empty library); each element under it with a "name" attribute is a group,
  // each element under a group an event, whose missing attributes read as "0" for code, state
  // and delay, and empty for name. What is left out is counted in the result.
  storage::LoadResult Load(const std::filesystem::path& file);
  storage::LoadResult LoadBuffer(std::string_view bytes);

  // What a partly read file lost, for the user: "<file> was read only in part: ... were left
  // out"; empty when nothing was left out.
  [[nodiscard]] static std::string LeftOutText(const std::filesystem::path& file,
                                               const storage::LoadResult& loaded);

  // The library in the file format.
  [[nodiscard]] std::string ToXml() const;

  // Writes the library to `file` (WriteFileAtomically). The own file is written under the data
  // folder's lock, replacing whatever it holds, and is refused while a file there could not be
  // read nor moved aside; any other file only where the user may write it
  // (storage::CheckChosenFile).
  [[nodiscard]] storage::FileResult Save(const std::filesystem::path& file) const;
  [[nodiscard]] storage::FileResult SaveToOwnFile() const { return Save(path_); }

  // What an update does when the own file changed on disk since this object last read or wrote
  // it (another program saved it): the file is read again first in any case.
  enum class WhenChangedOnDisk {
    kChangeTheNewContent,  // the change stands on its own (a new group, a recorded event)
    kLeaveTheChangeOut,    // the change was chosen on what the user saw, which is not there any
                           // more: nothing is changed, and the caller shows the new content
  };

  // Answers whether it changed the library.
  using Change = std::function<bool(MacroLibrary& library)>;

  // The one way to change the library and its file: under the data folder's lock, the own file
  // is read again when it changed on disk (a broken file is kept aside as Open does, and the
  // library then keeps what it holds), `change` is made, and the library is saved when it
  // changed something. No other program can save the file in between, so nothing another
  // program saved is written over with an older library. When the lock cannot be taken, the
  // change is made in memory only and the result says why it was not saved.
  storage::EditResult Update(
      const Change& change, WhenChangedOnDisk whenChanged = WhenChangedOnDisk::kChangeTheNewContent,
      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

  // Told when an update reads the own file again: the groups are new nodes, every pointer to a
  // node of the library must be found again in them; `previousRoot` holds the groups as they
  // were until the listener returns.
  using ReloadListener = std::function<void(const MacroNode& previousRoot)>;
  void SetReloadListener(ReloadListener listener) { reloaded_ = std::move(listener); }

  // Removes every group and every attribute of the root. Saves nothing.
  void Clear();

  // Appends a group named "Group N", N being the number of groups before, or the next number
  // that no group's name takes (after a deletion), and saves (Update).
  storage::EditResult AddGroup();
  // Appends a group of that name and saves; an empty name, or one that a group has, adds
  // nothing. No edit gives two groups one name; a file read may hold such groups, and keeps them.
  storage::EditResult AddNamedGroup(std::string_view name);
  // Removes the group at `index` (MacroNode::kLast: the last one) and saves; an index outside
  // the groups changes nothing, nor does a file changed on disk since the caller read it.
  storage::EditResult RemoveGroup(int index);
  // Gives the group at `index` the name and saves, when the group exists and the name differs
  // and no other group has it, and the file did not change on disk since the caller read it. An
  // empty name is kept like any other.
  storage::EditResult RenameGroup(int index, std::string_view name);

  // True when the text after the last "." of the path is exactly "mcr" (case matters).
  [[nodiscard]] static bool IsMacroFileName(const std::filesystem::path& file);

  struct ImportResult {
    enum class Status {
      kImported,
      kRefusedName,  // not a ".mcr" file name
      kNotRead,      // the file could not be read or parsed
      kNoGroups,     // the file holds no group: the library would be emptied
      kNotKept,      // the own file could not be copied aside
      kNotSaved,     // imported, but the library could not be saved
    };
    Status status = Status::kImported;
    std::string error;
    // A copy of the library file as it was before the import (kBeforeImportLabel).
    std::optional<std::filesystem::path> previousKeptAs;
    // What the imported file held that was left out (LeftOutText); empty when nothing was.
    std::string leftOut;
    // The own file had changed on disk and was read again before it was copied aside.
    bool reloaded = false;
  };

  // Replaces the whole library with the groups of a ".mcr" file and saves it to its own file,
  // under the data folder's lock. The library file as it is then is copied aside first, so an
  // import never loses a macro. A file without any group is refused. Until the file has been
  // read and the copy made, the library stays as it was.
  ImportResult Import(const std::filesystem::path& file,
                      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

  // Writes the whole library to a ".mcr" file; any other name is refused.
  [[nodiscard]] storage::FileResult Export(const std::filesystem::path& file) const;

 private:
  struct Reread {
    bool reloaded = false;
    storage::OpenReport report;
  };

  // Reads the own file again when it is not what this object last read or wrote.
  Reread ReadAgainIfChanged(std::chrono::system_clock::time_point now);
  // Parses library text into the groups of `root`, a root node of this library.
  storage::LoadResult ParseGroups(MacroNode& root, std::string_view bytes);
  // Exchanges the library's groups with those of `other`; the root's attributes go.
  void SwapGroups(MacroNode& other);
  // Takes the groups of `root` in place of the library's and tells the reload listener.
  void TakeGroups(MacroNode& root);
  // Saves to the own file; the caller holds the lock.
  [[nodiscard]] storage::FileResult SaveOwnFileLocked() const;

  std::filesystem::path path_;
  MacroNode root_{this, nullptr};
  // Why the own file must not be written: it could not be read, nor moved or copied aside.
  std::optional<std::string> saveRefusal_;
  // The own file's content as this object last read or wrote it; none: there was no file.
  mutable std::optional<std::string> onDisk_;
  ReloadListener reloaded_;
};

}  // namespace keyloom::macro
