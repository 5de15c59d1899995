#include "keymap/KeyMapFile.h"

#include <cstdio>
#include <utility>

#include "storage/DataFolderLock.h"
#include "storage/UserFiles.h"

namespace keyloom::keymap {

std::string KeyMapFileName(const KeyboardModel& model) {
  char name[32];
  std::snprintf(name, sizeof name, "keymap-%04x-%04x.xml",
                static_cast<unsigned>(model.vendorId) & 0xFFFFU,
                static_cast<unsigned>(model.productId) & 0xFFFFU);
  return name;
}

storage::LoadResult ReadKeyMapFile(const std::filesystem::path& file, KeyMapDocument& document) {
  return storage::LoadUserFile(
      file, [&document](std::string_view bytes) { return ParseKeyMap(bytes, document); });
}

storage::FileResult WriteKeyMapFile(const std::filesystem::path& file, const KeyMap& map,
                                    const KeyboardModel& model) {
  return storage::WriteFileAtomically(file, KeyMapToXml(map, model),
                                      storage::Replacing::kChosenFile);
}

KeyMapFile::KeyMapFile(std::filesystem::path path, KeyboardModel model)
    : path_(std::move(path)), model_(model) {}

storage::OpenReport KeyMapFile::Open(std::chrono::system_clock::time_point now) {
  if (path_.empty()) {
    return {};
  }
  // A folder where no lock file can be made is read all the same: reading loses nothing.
  const storage::DataFolderLock lock(path_.parent_path());
  bool reloaded = false;
  return ReadAgainIfChanged(now, reloaded);
}

storage::OpenReport KeyMapFile::ReadAgainIfChanged(std::chrono::system_clock::time_point now,
                                                   bool& reloaded) {
  storage::FileBytes read = storage::ReadUserFile(path_);
  if (read.status == storage::LoadResult::Status::kMissing) {
    // Removed since this object read or wrote it: what it told is not known any more.
    if (onDisk_) {
      map_ = {};
    }
    onDisk_.reset();
    saveRefusal_.reset();
    return {};
  }
  if (read.status == storage::LoadResult::Status::kLoaded && onDisk_ == read.bytes) {
    return {};
  }
  saveRefusal_.reset();
  storage::LoadResult loaded;
  loaded.status = read.status;
  loaded.error = read.error;
  KeyMapDocument document;
  if (read.status == storage::LoadResult::Status::kLoaded) {
    loaded = ParseKeyMap(read.bytes, document);
    if (loaded.status == storage::LoadResult::Status::kMalformed) {
      loaded.error = path_.string() + " is " + loaded.error;
    }
  }
  if (!loaded.ok()) {
    // What another program last wrote is lost to this one: every key is of unknown content
    // until it is assigned again.
    map_ = {};
    storage::OpenReport report = storage::KeepUnreadableFileAside(path_, loaded, now);
    if (report.keptAs) {
      onDisk_.reset();
    } else {
      saveRefusal_ = report.problem;
      onDisk_ = std::move(read.bytes);
    }
    return report;
  }
  map_ = std::move(document.map);
  onDisk_ = std::move(read.bytes);
  reloaded = true;
  return {};
}

storage::EditResult KeyMapFile::Update(const std::function<void(KeyMap&)>& change,
                                       std::chrono::system_clock::time_point now) {
  return Change(change, now, true);
}

storage::EditResult KeyMapFile::Commit(const std::function<void(KeyMap&)>& change,
                                       std::chrono::system_clock::time_point now) {
  return Change(change, now, false);
}

storage::EditResult KeyMapFile::Change(const std::function<void(KeyMap&)>& change,
                                       std::chrono::system_clock::time_point now,
                                       bool keepUnsaved) {
  storage::EditResult result;
  if (path_.empty()) {
    const KeyMap before = map_;
    change(map_);
    result.changed = map_ != before;
    return result;
  }
  const storage::DataFolderLock lock(path_.parent_path());
  if (lock.held()) {
    result.reread = ReadAgainIfChanged(now, result.reloaded);
  }
  KeyMap before = map_;
  change(map_);
  result.changed = map_ != before;
  std::string text = KeyMapToXml(map_, model_);
  if (onDisk_ == text) {
    return result;
  }
  if (!lock.held()) {
    result.saved = lock.result();
  } else if (saveRefusal_) {
    result.saved = storage::FileResult::Failed("not saved: " + *saveRefusal_);
  } else {
    storage::RemoveStaleTemporaryFiles(path_);
    result.saved = storage::WriteFileAtomically(path_, text);
    if (result.saved.ok()) {
      onDisk_ = std::move(text);
    }
  }
  if (!result.saved.ok() && !keepUnsaved) {
    map_ = std::move(before);
    result.changed = false;
  }
  return result;
}

}  // namespace keyloom::keymap
