#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "storage/FileResult.h"

// The calls behind UserFiles that each platform makes its own way (UserFiles_linux.cpp,
// UserFiles_windows.cpp). Reasons are the system's message for the error, starting in lower
// case; a full disk is "no space left on the device".
namespace keyloom::storage::platform {

enum class Outcome { kDone, kTargetExists, kFailed };

// The reason of the last system call that failed on this thread (errno, GetLastError()).
[[nodiscard]] std::string LastErrorReason();

// Reads the whole content of `file` into `bytes`, but never more than `limit` + 1 bytes. False,
// with the reason in `error`, when it cannot be opened or read.
[[nodiscard]] bool ReadWholeFile(const std::filesystem::path& file, std::size_t limit,
                                 std::string& bytes, std::string& error);

// Creates `file` only when nothing of that name exists (kTargetExists otherwise), writes all of
// `bytes` and flushes them to the disk before it returns. Where the platform keeps permission
// bits, the file takes those of `permissionsFrom` when that file exists. On failure nothing of
// `file` remains and `error` names the file and the reason.
[[nodiscard]] Outcome WriteNewFileDurably(const std::filesystem::path& file, std::string_view bytes,
                                          const std::filesystem::path& permissionsFrom,
                                          std::string& error);

// Whether the user may write to the existing file `file`. False, with the reason in `reason`,
// when the file has no write permission bit at all (which root would pass) or the system's
// check of the real user's access refuses writing.
[[nodiscard]] bool MayWriteFile(const std::filesystem::path& file, std::string& reason);

// Renames `from` over `to` in one step, replacing `to` when it exists. The rename reaches the
// disk with the file system's next commit rather than at once: a power cut before then leaves
// the file as it was, whole, which keeps a save within the time of one keystroke.
[[nodiscard]] FileResult MoveFileOver(const std::filesystem::path& from,
                                      const std::filesystem::path& to);

// Renames `from` to `to` only when nothing named `to` exists, checked and done in one step where
// the file system allows it. `error` receives the reason of kFailed.
[[nodiscard]] Outcome RenameWithoutReplacing(const std::filesystem::path& from,
                                             const std::filesystem::path& to, std::string& error);

}  // namespace keyloom::storage::platform
