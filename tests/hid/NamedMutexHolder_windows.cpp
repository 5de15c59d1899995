// A second process for the tests of the named device gate: takes a named mutex, says so, and
// gives it up when told, or ends while still holding it; or tries whether it could take it now.
//
//   named_mutex_holder MUTEX LOCKED_EVENT RELEASE_EVENT release|abandon|try
//
// Sets LOCKED_EVENT once it owns MUTEX, then waits for RELEASE_EVENT. "release" then releases
// the mutex; "abandon" ends the process without releasing it, which abandons the mutex. "try"
// does not wait: it ends with kMutexBusy when another thread owns the mutex, else releases it.

#include <string_view>

#include <windows.h>

namespace {

// Exit statuses, read by the tests.
constexpr int kDone = 0;
constexpr int kBadArguments = 1;
constexpr int kMutexNotTaken = 2;
constexpr int kEventsMissing = 3;
constexpr int kTookAnAbandonedMutex = 4;
constexpr int kMutexBusy = 5;

// Long enough for a slow machine, short enough that a broken test does not hang.
constexpr DWORD kWaitMs = 30000;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    return kBadArguments;
  }
  const std::wstring_view mode = argv[4];
  if (mode != L"release" && mode != L"abandon" && mode != L"try") {
    return kBadArguments;
  }
  HANDLE locked = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
  HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
  if (locked == nullptr || release == nullptr) {
    return kEventsMissing;
  }
  HANDLE mutex = CreateMutexW(nullptr, FALSE, argv[1]);
  if (mutex == nullptr) {
    return kMutexNotTaken;
  }
  const DWORD taken = WaitForSingleObject(mutex, mode == L"try" ? 0 : kWaitMs);
  if (mode == L"try" && taken == WAIT_TIMEOUT) {
    return kMutexBusy;
  }
  if (taken != WAIT_OBJECT_0 && taken != WAIT_ABANDONED) {
    return kMutexNotTaken;
  }
  if (mode != L"try") {
    SetEvent(locked);
    WaitForSingleObject(release, kWaitMs);
  }
  if (mode != L"abandon") {
    ReleaseMutex(mutex);
  }
  return taken == WAIT_ABANDONED ? kTookAnAbandonedMutex : kDone;
}
