#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "macro/FileResult.h"

// The calls behind UserFiles that each platform makes its own way (UserFiles_linux.cpp,
// UserFiles_windows.cpp).
namespace keyloom::macro::platform {

// Creates `file`, which must not exist yet, writes all of `bytes` and flushes them to the disk
// before it returns. Where the platform keeps permission bits, the file takes those of
// `permissionsFrom` when that file exists. On failure nothing of `file` remains.
[[nodiscard]] FileResult WriteNewFileDurably(const std::filesystem::path& file,
                                             std::string_view bytes,
                                             const std::filesystem::path& permissionsFrom);

// Renames `from` over `to` in one step, replacing `to` when it exists. The rename reaches the
// disk with the file system's next commit rather than at once: a power cut before then leaves
// the file as it was, whole, which keeps a save within the time of one keystroke.
[[nodiscard]] FileResult MoveFileOver(const std::filesystem::path& from,
                                      const std::filesystem::path& to);

enum class RenameOutcome { kDone, kTargetExists, kFailed };

// Renames `from` to `to` only when nothing named `to` exists, checked and done in one step where
// the file system allows it. `error` receives the reason of kFailed.
[[nodiscard]] RenameOutcome RenameWithoutReplacing(const std::filesystem::path& from,
                                                   const std::filesystem::path& to,
                                                   std::string& error);

}  // namespace keyloom::macro::platform
