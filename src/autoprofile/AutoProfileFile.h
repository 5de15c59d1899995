#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "autoprofile/AutoProfileRules.h"
#include "storage/FileResult.h"
#include "storage/OpenReport.h"

namespace keyloom::autoprofile {

// The rules file's name in the user's data folder.
inline constexpr std::string_view kAutoProfileFileName = "autoprofile.xml";
// The label under which a rules file is copied aside when some of it was left out on reading,
// before a save drops that part.
inline constexpr std::string_view kPartlyReadLabel = "partly-read";

// The rules in their file, which the window and keyloomctl may both change at once. Every read of
// the file and every change happen under the data folder's lock (storage::DataFolderLock): a
// change reads the file again, is made on what the file holds then, and is saved atomically
// (storage::WriteFileAtomically), so that no program writes back rules it read before another one
// saved. A file that is not well-formed is moved aside ("autoprofile.broken-<time>.xml") and
// the rules start empty (switching off); one that cannot be opened is left where it is and
// nothing is saved over it; one that was read only in part is copied aside
// ("autoprofile.partly-read-<time>.xml", once for each content). The report of each call says
// what happened, for the user.
class AutoProfileFile {
 public:
  explicit AutoProfileFile(std::filesystem::path path);

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }
  // The rules as last read or saved.
  [[nodiscard]] const AutoProfileRules& rules() const { return rules_; }

  // What a read found, for the user: `file` says what was wrong with the file and where it was
  // kept; `partlyRead` that some of it was left out (and the file copied aside).
  struct ReadReport {
    storage::OpenReport file;
    bool partlyRead = false;

    [[nodiscard]] bool ok() const { return file.ok(); }
  };

  // Reads the file when its content is not what this object last read or wrote (the first call
  // always reads it); a file left where it is because it cannot be read is tried again each time.
  // A missing file gives the empty rules, switching off. On a problem the rules stay as they were,
  // except that a file moved aside empties them.
  ReadReport Refresh(std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

  // Answers whether it changed the rules.
  using Change = std::function<bool(AutoProfileRules& rules)>;
  struct UpdateResult {
    // The change was made and saved; a change that could not be saved is not kept in rules().
    bool changed = false;
    storage::FileResult saved;
    // What reading the file again before the change found.
    ReadReport reread;
  };

  // The one way to change the rules: under the lock, the file is read again (Refresh), `change`
  // is made on what it holds, and the rules are saved when it changed them. When the lock cannot
  // be taken, or a file in place could not be read, nothing is changed and `saved` says why.
  UpdateResult Update(const Change& change,
                      std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

 private:
  ReadReport RefreshLocked(std::chrono::system_clock::time_point now);

  std::filesystem::path path_;
  AutoProfileRules rules_;
  // The file's content as this object last read or wrote it; none: there was no file, or it
  // was moved aside.
  std::optional<std::string> onDisk_;
  bool everRead_ = false;
  // Why the file must not be written: it could not be read, nor moved aside.
  std::optional<std::string> saveRefusal_;
};

}  // namespace keyloom::autoprofile
