#pragma once

#include <QString>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "macro/KeyboardHook.h"
#include "ui/host/SApplication.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::macro::test {

// The toolkit as keyloom prepares it: the skin copied next to the tests, the translation
// `translator` ("lang_en", "lang_cn"), the program's controls.
std::unique_ptr<ui::SApplication> MakeApplication(
    const QString& translator = QStringLiteral("lang_en"));

// The control named `name` of the window, of class T; fails the test when there is none.
template <class T = ui::SWindow>
T& Control(const ui::SHostWnd& window, const QString& name) {
  auto* control = dynamic_cast<T*>(window.FindChildByName(name));
  if (control == nullptr) {
    qFatal("the window has no control %s of the expected class", qPrintable(name));
  }
  return *control;
}

// A left click in the middle of a control, as the user makes it.
void Click(QWidget& control);

// Deletes the controls that their window handed to the event loop.
void DeleteDestroyedControls();

// The system's side of a KeyboardHook, counted: what a test's hook installs and removes.
class FakeSystemHook {
 public:
  // A hook over this fake; it must outlive the hook.
  [[nodiscard]] KeyboardHook::SystemHook Make();

  bool installable = true;
  int installs = 0;
  int removes = 0;
  bool installed = false;
};

[[nodiscard]] std::string ReadFile(const std::filesystem::path& file);
void WriteFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace keyloom::macro::test
