#pragma once

#include <string>

namespace keyloom::app {

// The main window of a running instance carries the window property named by InstanceName
// (Windows). A later start walks all top-level windows and brings every window that carries it
// to the front, each once: restored when minimised, shown when hidden, made the foreground
// window. Answers how many windows it brought forward.
int ActivateInstanceWindows(const std::wstring& propertyName);

// Sets the property (value 1) on the native window `window` (an HWND); false when the system
// refuses.
bool MarkInstanceWindow(void* window, const std::wstring& propertyName);

// Removes the property from `window` again.
void UnmarkInstanceWindow(void* window, const std::wstring& propertyName);

}  // namespace keyloom::app
