#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/FileResult.h"
#include "storage/LoadResult.h"
#include "storage/OpenReport.h"

namespace keyloom::macro {

// The store file's name in the user's data folder.
inline constexpr std::string_view kAssignmentStoreFileName = "store.xml";

// The delay modes of the recorder ("dlymode").
enum DelayMode : std::int32_t {
  kRealDelay = 0,   // the time that passed between the keystrokes
  kFixedDelay = 1,  // the store's "delay"
  kNoDelay = 2,
};

// The key assignment dialog's last choices, one record for the whole program, so that the
// dialog reopens as the user left it. Kept in "store.xml":
//
//   <?xml version="1.0"?>
//   <macro page="0" repeat="1" delay="10" dlymode="0" mediasel="0" functsel="0" sgcode="0"
//          groupsel="0" />
//
// (on one line), every value a decimal integer, then "folder" (the folder of the macro file last
// imported or exported, UTF-8) once one was chosen. No field is bounded when it is read or set.
// The dialog, the recorder and keyloomctl change the fields directly and save after each change,
// except for "sgcode", which reaches the file with the next save. Both programs may keep the
// store at once: a save writes the fields this object changed and keeps those that another
// program changed meanwhile (Save).
class AssignmentStore {
 public:
  // Page of the dialog: 0 macro, 1 single key, 2 media key, 3 function key.
  std::int32_t page = 0;
  // Repeat count of a macro; the record takes its low 8 bits.
  std::int32_t repeat = 1;
  // Fixed delay in milliseconds (DelayMode kFixedDelay).
  std::int32_t delay = 10;
  std::int32_t dlymode = kRealDelay;
  // Selected rows of the media-key and function-key catalogues.
  std::int32_t mediasel = 0;
  std::int32_t functsel = 0;
  // Usage of the last single key captured; used as 8 bits.
  std::int32_t sgcode = 0;
  // Row of the macro group list selected when the dialog opens.
  std::int32_t groupsel = 0;
  // The folder of the macro file last imported or exported (UTF-8); empty: none yet.
  std::string folder;

  // The defaults, kept in `path`; nothing is read yet.
  explicit AssignmentStore(std::filesystem::path path = {});

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

  // Reads the store from its file, holding the data folder's lock (DataFolderLock) when it can.
  // A missing file keeps the defaults. A file that exists but cannot be read or parsed keeps the
  // defaults and is moved aside, or left where it is when it could not be opened (see
  // KeepUnreadableFileAside); saving is refused while it is still there.
  storage::OpenReport Open(
      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

  // Reads a store file, the encoding detected from the bytes. When it parses, the first `macro`
  // element at the top sets all eight numbers, each from the attribute of its name read as a
  // decimal integer, and the folder from "folder"; a missing attribute sets its field to 0 (the
  // folder: empty), not to its default, and without a `macro` element every field keeps its
  // value. When it does not parse nothing changes.
  storage::LoadResult Load(const std::filesystem::path& file);
  storage::LoadResult LoadBuffer(std::string_view bytes);

  // The store in its file format.
  [[nodiscard]] std::string ToXml() const;

  // Writes all fields to the store's file (WriteFileAtomically) under the data folder's
  // lock. The file is read again first: a field that another program changed there since this
  // object last read or wrote the file takes that value, unless this object changed it too. A
  // file there that cannot be read is handled as Open does.
  [[nodiscard]] storage::FileResult Save();

  // The program's one store, created on the first call from "store.xml" in the folder named by
  // SetGlobalFolder, or else in settings::UserDataDir(), and never freed. What opening it found
  // is in GlobalOpenReport(). For the GUI's single thread: the fields are not guarded.
  static AssignmentStore& Global();
  [[nodiscard]] static const storage::OpenReport& GlobalOpenReport();

  // Names the folder of the store that Global() creates. Only before the first call of
  // Global(): afterwards it changes nothing and answers false.
  static bool SetGlobalFolder(std::filesystem::path folder);

 private:
  using Fields = std::array<std::int32_t, 8>;
  [[nodiscard]] Fields FieldValues() const;

  std::filesystem::path path_;
  // The fields as this object last read them from its file or wrote them there.
  Fields synced_;
  std::string syncedFolder_;
};

}  // namespace keyloom::macro
