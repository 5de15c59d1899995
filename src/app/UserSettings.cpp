#include "app/UserSettings.h"

#include <chrono>
#include <utility>

#include "macro/UserFiles.h"
#include "settings/AppConfig.h"

namespace keyloom::app {

UserSettings::UserSettings(std::filesystem::path file) : file_(std::move(file)) {}

macro::FileResult UserSettings::SaveLanguage(bool chinese) {
  return Change(
      [chinese](std::string_view bytes) { return settings::WithLanguage(bytes, chinese); });
}

macro::FileResult UserSettings::SaveWindowSize(const QSize& size) {
  return Change([size](std::string_view bytes) {
    return settings::WithWindowSize(bytes, size.width(), size.height());
  });
}

macro::FileResult UserSettings::Change(const Edit& edit) {
  if (file_.empty()) {
    return {};
  }
  const macro::FileBytes read = macro::ReadUserFile(file_);
  std::optional<std::string> changed;
  if (read.status == macro::LoadResult::Status::kMissing) {
    changed = edit({});
  } else if (read.status == macro::LoadResult::Status::kLoaded) {
    changed = edit(read.bytes);
  }
  if (!changed) {
    // A file that was read but is no configuration counts as malformed; one that could not be
    // read is left where it is.
    macro::LoadResult loaded;
    loaded.status = read.status == macro::LoadResult::Status::kLoaded
                        ? macro::LoadResult::Status::kMalformed
                        : read.status;
    loaded.error =
        read.error.empty() ? "it is not a configuration that Keyloom can read" : read.error;
    const macro::OpenReport aside =
        macro::KeepUnreadableFileAside(file_, loaded, std::chrono::system_clock::now());
    if (!aside.keptAs) {
      return macro::FileResult::Failed(aside.problem);
    }
    changed = edit({});
  }
  return macro::WriteFileAtomically(file_, *changed);
}

}  // namespace keyloom::app
