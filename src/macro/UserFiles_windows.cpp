#include <string>
#include <system_error>

#include <windows.h>

#include "macro/UserFilesPlatform.h"

namespace keyloom::macro::platform {

namespace {

std::string Reason(DWORD error) {
  return std::system_category().message(static_cast<int>(error)) + " (error " +
         std::to_string(error) + ")";
}

// Writes everything in pieces that a DWORD can count.
bool WriteAll(HANDLE file, std::string_view bytes) {
  constexpr std::size_t kLargestPiece = 1U << 30;
  while (!bytes.empty()) {
    const auto piece =
        static_cast<DWORD>(bytes.size() < kLargestPiece ? bytes.size() : kLargestPiece);
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), piece, &written, nullptr)) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

// Windows has no permission bits to carry over: the new file inherits the folder's access
// rules, as the file it replaces did.
FileResult WriteNewFileDurably(const std::filesystem::path& file, std::string_view bytes,
                               const std::filesystem::path&) {
  const HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return FileResult::Failed("cannot create " + file.string() + ": " + Reason(::GetLastError()));
  }
  DWORD error = ERROR_SUCCESS;
  if (!WriteAll(handle, bytes) || !::FlushFileBuffers(handle)) {
    error = ::GetLastError();
  }
  ::CloseHandle(handle);
  if (error != ERROR_SUCCESS) {
    ::DeleteFileW(file.c_str());
    return FileResult::Failed("cannot write " + file.string() + ": " + Reason(error));
  }
  return {};
}

FileResult MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return FileResult::Failed("cannot replace " + to.string() + ": " + Reason(::GetLastError()));
  }
  return {};
}

RenameOutcome RenameWithoutReplacing(const std::filesystem::path& from,
                                     const std::filesystem::path& to, std::string& error) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
  if (::MoveFileExW(from.c_str(), to.c_str(), 0)) {
    return RenameOutcome::kDone;
  }
  const DWORD code = ::GetLastError();
  if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
    return RenameOutcome::kTargetExists;
  }
  error = Reason(code);
  return RenameOutcome::kFailed;
}

}  // namespace keyloom::macro::platform
