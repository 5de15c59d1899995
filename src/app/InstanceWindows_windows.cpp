#include <cstdint>
#include <vector>

#include <windows.h>

#include "app/InstanceWindows.h"

namespace keyloom::app {

namespace {

// The value the main window gives its property; only its presence is looked at.
const HANDLE kPropertyValue = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(1));

}  // namespace

int ActivateInstanceWindows(const std::wstring& propertyName) {
  // The windows are found first and brought forward afterwards: bringing one forward moves it
  // to the top of the order that the walk follows, and a walk that went on from there would
  // meet the windows it passed again (two marked windows would take turns for ever).
  std::vector<HWND> marked;
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); IsWindow(window);
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (GetPropW(window, propertyName.c_str()) != nullptr) {
      marked.push_back(window);
    }
  }
  for (HWND window : marked) {
    if (IsIconic(window)) {
      ShowWindow(window, SW_RESTORE);
    }
    if (!IsWindowVisible(window)) {
      ShowWindow(window, SW_SHOW);
    }
    SetForegroundWindow(window);
  }
  return static_cast<int>(marked.size());
}

bool MarkInstanceWindow(void* window, const std::wstring& propertyName) {
  return SetPropW(static_cast<HWND>(window), propertyName.c_str(), kPropertyValue) != FALSE;
}

void UnmarkInstanceWindow(void* window, const std::wstring& propertyName) {
  RemovePropW(static_cast<HWND>(window), propertyName.c_str());
}

}  // namespace keyloom::app
