#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "storage/FileResult.h"
#include "storage/LoadResult.h"
#include "storage/OpenReport.h"

namespace keyloom::storage {

// How the user's files are read, saved and, when they cannot be read, kept. Nothing here ever
// deletes or overwrites a file the user may still need.

// Files above this size are refused as unreadable rather than read into memory; a library of
// that size would hold millions of events.
inline constexpr std::uintmax_t kLargestUserFile = std::uintmax_t{256} * 1024 * 1024;

// The names of the kept copies: "<stem>.<label>-YYYYMMDD-HHMMSS<extension>".
inline constexpr std::string_view kBrokenLabel = "broken";
inline constexpr std::string_view kBeforeImportLabel = "before-import";

// The whole content of a file. kMissing when nothing of that name exists (a link to nothing
// included); kUnreadable (with the reason) for a file that cannot be opened or read; kUnusable
// for a folder or device, or a file above kLargestUserFile.
struct FileBytes {
  LoadResult::Status status = LoadResult::Status::kMissing;
  std::string bytes;
  std::string error;
};
[[nodiscard]] FileBytes ReadUserFile(const std::filesystem::path& file);

// Reads `file` (ReadUserFile) and hands its bytes to `parse`; a file that is missing or cannot be
// read gives that status without calling it, and a malformed file's error names the file.
[[nodiscard]] LoadResult LoadUserFile(const std::filesystem::path& file,
                                      const std::function<LoadResult(std::string_view)>& parse);

// Replaces the content of `target` so that at every moment, a crash, a killed process or a full
// disk included, the file holds either its whole old content or the whole new one: the bytes go
// to a new file "<name>.<random>.tmp" in the same folder, are flushed to the disk, and that file
// is renamed over the target. The new file keeps the permissions of the one it replaces. A
// target that is a symbolic link (a library kept with the user's dotfiles) stays one: the file
// it leads to is replaced, the temporary file made beside that one. On failure the target is
// untouched and the temporary file removed; only a process killed between writing and renaming
// leaves a temporary file behind.
//
// `replacing` kChosenFile is for a file the user named (a backup, an export): it is written only
// where CheckChosenFile allows it, and otherwise nothing happens and the result says why.
enum class Replacing { kOwnFile, kChosenFile };
[[nodiscard]] FileResult WriteFileAtomically(const std::filesystem::path& target,
                                             std::string_view bytes,
                                             Replacing replacing = Replacing::kOwnFile);

// Why a file the user named is not written over.
enum class ChosenFileProblem {
  kNone,
  kNotRegularFile,  // a folder, a device, a pipe, a socket
  kReadOnly,        // no write permission for the user (none at all counts for root too)
  kUnchecked,       // what it is cannot be found out (a loop of links, a folder not searchable)
};
struct ChosenFileCheck {
  ChosenFileProblem problem = ChosenFileProblem::kNone;
  FileResult result;  // the sentence for the user, naming the file, unless kNone
};

// Whether a file the user named may be written: when nothing of that name exists yet (a link to
// nothing: the file it leads to is made), or when it is, or a symbolic link leads to, a regular
// file that the user may write. Renaming over a file needs only the right to write its folder,
// so the file's own permissions are checked here: a file that no one may write is left alone
// even by root, who passes every other permission check.
[[nodiscard]] ChosenFileCheck CheckChosenFile(const std::filesystem::path& file);

// How old a temporary file of a save must be before RemoveStaleTemporaryFiles takes it for the
// remains of a killed process. A save writes its temporary file within moments.
inline constexpr std::chrono::seconds kStaleTemporaryFileAge{60};

// Removes what saves of `file` left behind when their process was killed between writing and
// renaming: the regular files beside `file` (beside the file a link leads to) named
// "<name>.<16 hexadecimal digits>.tmp", as WriteFileAtomically names them, whose last write
// lies more than kStaleTemporaryFileAge back. Only to be called while holding the data folder's
// lock, under which every save of the program's own files is made: no save of them is then in
// progress, and the age spares the temporary file of a save made without the lock (a backup
// the user writes over the same name). Answers how many files it removed.
std::size_t RemoveStaleTemporaryFiles(const std::filesystem::path& file);

// The name under which `file` is kept aside: "<stem>.<label>-YYYYMMDD-HHMMSS<extension>" in the
// same folder, the time in UTC; from the second attempt on "-<attempt>" follows the time.
[[nodiscard]] std::filesystem::path AsideName(const std::filesystem::path& file,
                                              std::string_view label,
                                              std::chrono::system_clock::time_point now,
                                              int attempt);

struct AsideResult {
  std::filesystem::path keptAs;  // where the file now lies (or its copy); empty on failure
  FileResult result;
};

// Renames `file` to the first AsideName that no file holds yet; an existing file is never
// replaced, even by another process that keeps a file aside at the same moment.
[[nodiscard]] AsideResult MoveFileAside(const std::filesystem::path& file, std::string_view label,
                                        std::chrono::system_clock::time_point now);

// The same, but copies the file and leaves it where it is; the copy is written and flushed like a
// save, and one that fails part-way (a full disk) is removed. A copy under the same label with
// the same content as the file already there is kept as it is, and no new one is made.
[[nodiscard]] AsideResult CopyFileAside(const std::filesystem::path& file, std::string_view label,
                                        std::chrono::system_clock::time_point now);

// For an own file that exists but was not loaded (`loaded` says why): a file that is not well
// formed or cannot be used is moved aside as kBrokenLabel, and the report says where. A file
// that could not be opened or read may well be whole and is left where it is. Either way, when
// the file is still in place, the report says that nothing will be saved over it, and keptAs
// stays empty: the caller must then refuse to save to `file`.
[[nodiscard]] OpenReport KeepUnreadableFileAside(const std::filesystem::path& file,
                                                 const LoadResult& loaded,
                                                 std::chrono::system_clock::time_point now);

}  // namespace keyloom::storage
