#pragma once

#include <thread>

namespace keyloom::app {

// Reads the system's font configuration on a thread of its own, from the first moment of the
// start, while the window system is reached and the skin is read. On Linux fontconfig's files
// (its configuration and the list of every installed font) take about a third of the work before
// a window with text can paint, and nothing else the start does needs them. Join the thread before
// the first text is measured: fontconfig would otherwise read the same files a second time on the
// thread that asks. Windows keeps its fonts in the system: nothing to read ahead, and the thread
// returned does not run.
[[nodiscard]] std::jthread ReadSystemFontsAhead();

}  // namespace keyloom::app
