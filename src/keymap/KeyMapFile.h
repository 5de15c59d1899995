#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "keymap/KeyMap.h"
#include "keymap/KeyMapXml.h"
#include "storage/EditResult.h"
#include "storage/FileResult.h"
#include "storage/OpenReport.h"

namespace keyloom::keymap {

// The key map's file name in the user's data folder, one for each keyboard model, so that a
// second model never mixes in: "keymap-258a-002a.xml" for vendor id 0x258a, product id 0x002a.
[[nodiscard]] std::string KeyMapFileName(const KeyboardModel& model);

// A key map file that the user chose (a backup of the whole keyboard): read whole, or refused
// with the reason, the file named (see ParseKeyMap and storage::LoadUserFile).
[[nodiscard]] storage::LoadResult ReadKeyMapFile(const std::filesystem::path& file,
                                                 KeyMapDocument& document);
// Writes the map to such a file, replacing it whole (storage::WriteFileAtomically), where the
// user may write it (storage::CheckChosenFile).
[[nodiscard]] storage::FileResult WriteKeyMapFile(const std::filesystem::path& file,
                                                  const KeyMap& map, const KeyboardModel& model);

// The key map that both programs keep of the keyboard, in its file in the user's data folder
// (see KeyMapXml.h for the format). Every change is a read-modify-write of the file under the
// data folder's lock (storage::DataFolderLock), so that what one program records is never written
// over by another that read the file before. A file that cannot be read is handled as the macro
// library's: one that is not a key map is moved aside and the map starts empty (every key the
// keyboard holds is then of unknown content), one that cannot be opened is left where it is and
// nothing is saved over it.
class KeyMapFile {
 public:
  // An empty path keeps the map in memory only.
  KeyMapFile(std::filesystem::path path, KeyboardModel model);

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }
  [[nodiscard]] const KeyMap& Map() const { return map_; }

  // Reads the file, holding the lock when it can, when it changed since this object last read
  // or wrote it. A missing file gives an empty map.
  storage::OpenReport Open(
      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

  // Under the lock: reads the file again when it changed on disk, makes the change and saves the
  // map when its file text changed. When the lock cannot be taken the change is made in memory
  // only, and the result says why it was not saved.
  storage::EditResult Update(
      const std::function<void(KeyMap&)>& change,
      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
  // The same, except that a change that could not be saved is not made in memory either: what
  // the map says is what its file says.
  storage::EditResult Commit(
      const std::function<void(KeyMap&)>& change,
      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

 private:
  // Reads the file again when it is not what this object last read or wrote.
  storage::OpenReport ReadAgainIfChanged(std::chrono::system_clock::time_point now, bool& reloaded);
  storage::EditResult Change(const std::function<void(KeyMap&)>& change,
                             std::chrono::system_clock::time_point now, bool keepUnsaved);

  std::filesystem::path path_;
  KeyboardModel model_;
  KeyMap map_;
  // Why the file must not be written: it could not be read, nor moved aside.
  std::optional<std::string> saveRefusal_;
  // The file's content as this object last read or wrote it; none: there was no file.
  std::optional<std::string> onDisk_;
};

}  // namespace keyloom::keymap
