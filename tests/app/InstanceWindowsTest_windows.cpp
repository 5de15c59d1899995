#include <string>

#include <gtest/gtest.h>
#include <windows.h>

#include "app/InstanceMutex.h"
#include "app/InstanceWindows.h"

namespace keyloom::app {
namespace {

const std::wstring kName = L"Keyloom.InstanceWindowsTest";

TEST(InstanceMutexTest, SecondHolderOfTheNameSeesItExist) {
  {
    InstanceMutex first(kName);
    ASSERT_TRUE(first.IsValid());
    EXPECT_FALSE(first.AlreadyExisted());
    InstanceMutex second(kName);
    EXPECT_TRUE(second.IsValid());
    EXPECT_TRUE(second.AlreadyExisted());
  }
  // Closed with its last handle: the next start is a first one again.
  InstanceMutex again(kName);
  EXPECT_FALSE(again.AlreadyExisted());
}

// A top-level window of a class of its own, destroyed with the object.
class TopLevelWindow {
 public:
  TopLevelWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    handle_ = CreateWindowExW(0, kClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~TopLevelWindow() {
    if (handle_ != nullptr) {
      DestroyWindow(handle_);
    }
  }
  TopLevelWindow(const TopLevelWindow&) = delete;
  TopLevelWindow& operator=(const TopLevelWindow&) = delete;

  [[nodiscard]] HWND handle() const { return handle_; }

 private:
  static constexpr const wchar_t* kClassName = L"KeyloomInstanceWindowsTest";
  HWND handle_ = nullptr;
};

TEST(InstanceWindowsTest, BringsForwardEveryMarkedWindowAndNoOther) {
  TopLevelWindow hidden;
  TopLevelWindow minimised;
  TopLevelWindow unmarked;
  if (hidden.handle() == nullptr || minimised.handle() == nullptr || unmarked.handle() == nullptr) {
    GTEST_SKIP() << "this session cannot create windows (no window station)";
  }
  ASSERT_TRUE(MarkInstanceWindow(hidden.handle(), kName));
  ASSERT_TRUE(MarkInstanceWindow(minimised.handle(), kName));
  ShowWindow(minimised.handle(), SW_SHOWMINNOACTIVE);

  EXPECT_EQ(ActivateInstanceWindows(kName), 2);

  EXPECT_TRUE(IsWindowVisible(hidden.handle()));
  EXPECT_TRUE(IsWindowVisible(minimised.handle()));
  EXPECT_FALSE(IsIconic(minimised.handle()));
  EXPECT_FALSE(IsWindowVisible(unmarked.handle()));
}

TEST(InstanceWindowsTest, UnmarkedWindowIsNoLongerFound) {
  TopLevelWindow window;
  if (window.handle() == nullptr) {
    GTEST_SKIP() << "this session cannot create windows (no window station)";
  }
  ASSERT_TRUE(MarkInstanceWindow(window.handle(), kName));
  UnmarkInstanceWindow(window.handle(), kName);

  EXPECT_EQ(ActivateInstanceWindows(kName), 0);
  EXPECT_FALSE(IsWindowVisible(window.handle()));
}

}  // namespace
}  // namespace keyloom::app
