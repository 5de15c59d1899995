#include "app/UserSettings.h"

#include <chrono>
#include <utility>

#include "settings/AppConfig.h"
#include "storage/UserFiles.h"

namespace keyloom::app {

UserSettings::UserSettings(std::filesystem::path file) : file_(std::move(file)) {}

storage::FileResult UserSettings::SaveLanguage(bool chinese) {
  return Change(
      [chinese](std::string_view bytes) { return settings::WithLanguage(bytes, chinese); });
}

storage::FileResult UserSettings::SaveWindowSize(const QSize& size) {
  return Change([size](std::string_view bytes) {
    return settings::WithWindowSize(bytes, size.width(), size.height());
  });
}

storage::FileResult UserSettings::Change(const Edit& edit) {
  if (file_.empty()) {
    return {};
  }
  const storage::FileBytes read = storage::ReadUserFile(file_);
  std::optional<std::string> changed;
  if (read.status == storage::LoadResult::Status::kMissing) {
    changed = edit({});
  } else if (read.status == storage::LoadResult::Status::kLoaded) {
    changed = edit(read.bytes);
  }
  if (!changed) {
    // A file that was read but is no configuration counts as malformed; one that could not be
    // read is left where it is.
    storage::LoadResult loaded;
    loaded.status = read.status == storage::LoadResult::Status::kLoaded
                        ? storage::LoadResult::Status::kMalformed
                        : read.status;
    loaded.error =
        read.error.empty() ? "it is not a configuration that Keyloom can read" : read.error;
    const storage::OpenReport aside =
        storage::KeepUnreadableFileAside(file_, loaded, std::chrono::system_clock::now());
    if (!aside.keptAs) {
      return storage::FileResult::Failed(aside.problem);
    }
    changed = edit({});
  }
  return storage::WriteFileAtomically(file_, *changed);
}

}  // namespace keyloom::app
