#pragma once

#include <QSize>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "storage/FileResult.h"

namespace keyloom::app {

// What the main window keeps for the next start in the user's own config.xml (see
// settings::AppConfig): the language chosen in the "more" menu and the window's size. Every save
// changes only its own element and writes the file whole (a temporary file renamed over it). A
// file that does not read is kept aside first ("config.broken-<time>.xml") and a new one started;
// when it cannot be kept aside, nothing is written over it.
class UserSettings {
 public:
  // Saves into `file`; an empty path saves nothing (and every save works).
  explicit UserSettings(std::filesystem::path file = {});

  storage::FileResult SaveLanguage(bool chinese);
  storage::FileResult SaveWindowSize(const QSize& size);

  [[nodiscard]] const std::filesystem::path& File() const { return file_; }

 private:
  using Edit = std::function<std::optional<std::string>(std::string_view bytes)>;
  storage::FileResult Change(const Edit& edit);

  std::filesystem::path file_;
};

}  // namespace keyloom::app
