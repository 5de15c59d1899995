#include <cstdint>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "macro/KeyboardHook.h"
#include "macro/LowLevelKeyboardHook.h"

namespace keyloom::macro {
namespace {

struct Seen {
  std::uint32_t message = 0;
  std::uint32_t virtualKey = 0;
};

// Lets the system call the hook: it does so while the installing thread waits for messages.
void PumpMessages() {
  const ULONGLONG until = ::GetTickCount64() + 500;
  MSG message;
  while (::GetTickCount64() < until) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    ::Sleep(10);
  }
}

void SendKey(WORD virtualKey, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.dwFlags = flags;
  ::SendInput(1, &input, sizeof input);
}

TEST(LowLevelKeyboardHook, IsPutIntoTheSystemAndTakenOut) {
  std::vector<Seen> seen;
  KeyboardHook hook(
      LowLevelKeyboardHook([&seen](int, std::uint32_t message, KeyboardEventRecord record) {
        seen.push_back({message, record.vkCode});
        return true;
      }));
  ASSERT_TRUE(hook.Install());
  EXPECT_TRUE(hook.IsInstalled());
  // Installing again keeps the one hook.
  EXPECT_TRUE(hook.Install());
  EXPECT_TRUE(hook.Remove());
  EXPECT_FALSE(hook.IsInstalled());
  EXPECT_FALSE(hook.Remove());
  EXPECT_TRUE(hook.Install());
  EXPECT_TRUE(hook.Remove());
}

TEST(LowLevelKeyboardHook, GivesKeystrokesToTheListeners) {
  std::vector<Seen> seen;
  KeyboardHook hook(
      LowLevelKeyboardHook([&seen](int, std::uint32_t message, KeyboardEventRecord record) {
        seen.push_back({message, record.vkCode});
        // Swallowed, so that the keystroke reaches no other program of the desktop.
        return true;
      }));
  ASSERT_TRUE(hook.Install());
  SendKey(VK_F13, 0);
  SendKey(VK_F13, KEYEVENTF_KEYUP);
  PumpMessages();
  ASSERT_TRUE(hook.Remove());
  if (seen.empty()) {
    GTEST_SKIP() << "the system delivered no injected keystroke to low-level hooks";
  }
  ASSERT_EQ(seen.size(), 2U);
  EXPECT_EQ(seen[0].message, kKeyDownMessage);
  EXPECT_EQ(seen[0].virtualKey, static_cast<std::uint32_t>(VK_F13));
  EXPECT_EQ(seen[1].message, kKeyUpMessage);
}

}  // namespace
}  // namespace keyloom::macro
