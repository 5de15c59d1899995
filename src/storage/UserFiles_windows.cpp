#include <string>
#include <system_error>

#include <windows.h>

#include "storage/UserFilesPlatform.h"

namespace keyloom::storage::platform {

namespace {

std::string Reason(DWORD error) {
  if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) {
    return "no space left on the device";
  }
  std::string text = std::system_category().message(static_cast<int>(error));
  if (!text.empty() && text.front() >= 'A' && text.front() <= 'Z') {
    text.front() = static_cast<char>(text.front() - 'A' + 'a');
  }
  return text + " (error " + std::to_string(error) + ")";
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

std::string LastErrorReason() {
  return Reason(::GetLastError());
}

bool ReadWholeFile(const std::filesystem::path& file, std::size_t limit, std::string& bytes,
                   std::string& error) {
  const HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = Reason(::GetLastError());
    return false;
  }
  bytes.clear();
  constexpr DWORD kPiece = 65536;
  DWORD failure = ERROR_SUCCESS;
  while (bytes.size() <= limit) {
    const std::size_t had = bytes.size();
    bytes.resize(had + kPiece);
    DWORD got = 0;
    if (!::ReadFile(handle, bytes.data() + had, kPiece, &got, nullptr)) {
      failure = ::GetLastError();
      bytes.resize(had);
      break;
    }
    bytes.resize(had + got);
    if (got == 0) {
      break;
    }
  }
  ::CloseHandle(handle);
  if (failure != ERROR_SUCCESS) {
    bytes.clear();
    error = Reason(failure);
    return false;
  }
  return true;
}

// Windows has no permission bits to carry over: the new file inherits the folder's access
// rules, as the file it replaces did.
Outcome WriteNewFileDurably(const std::filesystem::path& file, std::string_view bytes,
                            const std::filesystem::path&, std::string& error) {
  const HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
      return Outcome::kTargetExists;
    }
    error = "cannot create " + file.string() + ": " + Reason(code);
    return Outcome::kFailed;
  }
  DWORD failure = ERROR_SUCCESS;
  if (!WriteAll(handle, bytes) || !::FlushFileBuffers(handle)) {
    failure = ::GetLastError();
  }
  ::CloseHandle(handle);
  if (failure != ERROR_SUCCESS) {
    ::DeleteFileW(file.c_str());
    error = "cannot write " + file.string() + ": " + Reason(failure);
    return Outcome::kFailed;
  }
  return Outcome::kDone;
}

bool MayWriteFile(const std::filesystem::path& file, std::string& reason) {
  const DWORD attributes = ::GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    reason = Reason(::GetLastError());
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    reason = "it is read-only";
    return false;
  }
  return true;
}

FileResult MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return FileResult::Failed("cannot replace " + to.string() + ": " + Reason(::GetLastError()));
  }
  return {};
}

Outcome RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                               std::string& error) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
  if (::MoveFileExW(from.c_str(), to.c_str(), 0)) {
    return Outcome::kDone;
  }
  const DWORD code = ::GetLastError();
  if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
    return Outcome::kTargetExists;
  }
  error = Reason(code);
  return Outcome::kFailed;
}

}  // namespace keyloom::storage::platform
