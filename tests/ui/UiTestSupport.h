#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "ui/events/UiTrace.h"
#include "ui/host/SApplication.h"

namespace keyloom::ui::test {

// The fixture skin of the toolkit's tests (tests/data/ui/uires) and a skin with nothing but an
// index and a UI definition (tests/data/ui/bare).
QString FixtureSkinFolder();
QString BareSkinFolder();

// An application over the fixture skin (or `folder`); fails the test when it does not load.
std::unique_ptr<SApplication> MakeApplication(const QString& folder = FixtureSkinFolder());

// Collects the toolkit's trace lines while it lives.
class TraceCapture {
 public:
  TraceCapture();
  ~TraceCapture();
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;

  [[nodiscard]] const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
  TraceSink previous_;
};

// Deletes the controls that Destroy handed to the event loop.
void DeleteDestroyedControls();

}  // namespace keyloom::ui::test
