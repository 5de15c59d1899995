#pragma once

#include <future>

namespace keyloom::app {

// Begins, on a thread of its own, what the system's fonts need before Qt can list them and before
// the application object exists: on Linux, fontconfig reads its configuration and its caches (half
// the work of Qt's font list), which Qt then finds done. Qt starts meanwhile. Wait for the result
// before any thread asks Qt for fonts (fontconfig would otherwise read it all a second time); it is
// not valid on Windows, which has no such part. Its destructor waits for the thread.
[[nodiscard]] std::future<void> ReadFontConfigurationAside();

}  // namespace keyloom::app
