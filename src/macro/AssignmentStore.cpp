#include "macro/AssignmentStore.h"

#include <mutex>
#include <optional>
#include <utility>

#include <pugixml.hpp>

#include "settings/AppPaths.h"
#include "settings/NumberText.h"
#include "settings/Utf8Text.h"
#include "storage/DataFolderLock.h"
#include "storage/UserFiles.h"
#include "storage/XmlFiles.h"

namespace keyloom::macro {

namespace {

constexpr const char* kStoreElement = "macro";
constexpr const char* kFolderAttribute = "folder";

// The fields in the order they are written.
struct StoreField {
  const char* attribute;
  std::int32_t AssignmentStore::*field;
};
constexpr StoreField kStoreFields[] = {
    {"page", &AssignmentStore::page},         {"repeat", &AssignmentStore::repeat},
    {"delay", &AssignmentStore::delay},       {"dlymode", &AssignmentStore::dlymode},
    {"mediasel", &AssignmentStore::mediasel}, {"functsel", &AssignmentStore::functsel},
    {"sgcode", &AssignmentStore::sgcode},     {"groupsel", &AssignmentStore::groupsel},
};

struct GlobalState {
  std::mutex mutex;
  std::optional<std::filesystem::path> folder;
  bool created = false;
  storage::OpenReport report;
};

GlobalState& TheGlobalState() {
  static GlobalState state;
  return state;
}

}  // namespace

AssignmentStore::AssignmentStore(std::filesystem::path path)
    : path_(std::move(path)), synced_(FieldValues()) {}

AssignmentStore::Fields AssignmentStore::FieldValues() const {
  Fields values{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = this->*kStoreFields[i].field;
  }
  return values;
}

storage::OpenReport AssignmentStore::Open(std::chrono::system_clock::time_point now) {
  // A folder where no lock file can be made is read all the same: reading loses nothing.
  const std::optional<storage::DataFolderLock> lock =
      path_.empty() ? std::nullopt
                    : std::make_optional<storage::DataFolderLock>(path_.parent_path());
  const storage::LoadResult loaded = Load(path_);
  synced_ = FieldValues();
  syncedFolder_ = folder;
  if (loaded.ok() || loaded.status == storage::LoadResult::Status::kMissing) {
    return {};
  }
  return storage::KeepUnreadableFileAside(path_, loaded, now);
}

storage::LoadResult AssignmentStore::Load(const std::filesystem::path& file) {
  return storage::LoadUserFile(file, [this](std::string_view bytes) { return LoadBuffer(bytes); });
}

storage::LoadResult AssignmentStore::LoadBuffer(std::string_view bytes) {
  pugi::xml_document document;
  storage::LoadResult loaded = storage::xml::Parse(document, bytes, pugi::encoding_auto);
  if (!loaded.ok()) {
    return loaded;
  }
  const pugi::xml_node element = document.child(kStoreElement);
  if (!element) {
    return loaded;
  }
  // A missing attribute reads as the empty text, which is 0.
  for (const auto& [attribute, field] : kStoreFields) {
    this->*field = settings::ReadDecimalInt32(element.attribute(attribute).value());
  }
  folder = element.attribute(kFolderAttribute).value();
  return loaded;
}

std::string AssignmentStore::ToXml() const {
  pugi::xml_document document;
  pugi::xml_node element = document.append_child(kStoreElement);
  for (const auto& [attribute, field] : kStoreFields) {
    element.append_attribute(attribute).set_value(this->*field);
  }
  if (!folder.empty()) {
    element.append_attribute(kFolderAttribute).set_value(settings::XmlText(folder).c_str());
  }
  // Without a declaration node of its own the document is written with the parser's standard
  // one, <?xml version="1.0"?>.
  return storage::xml::Write(document);
}

storage::FileResult AssignmentStore::Save() {
  if (path_.empty()) {
    return storage::FileResult::Failed("the assignment store has no file to be saved to");
  }
  const storage::DataFolderLock lock(path_.parent_path());
  if (!lock.held()) {
    return lock.result();
  }
  AssignmentStore onDisk(path_);
  const storage::LoadResult loaded = onDisk.Load(path_);
  if (loaded.ok()) {
    for (std::size_t i = 0; i < synced_.size(); ++i) {
      const auto field = kStoreFields[i].field;
      if (this->*field == synced_[i]) {
        this->*field = onDisk.*field;
      }
    }
    if (folder == syncedFolder_) {
      folder = onDisk.folder;
    }
  } else if (loaded.status != storage::LoadResult::Status::kMissing) {
    if (const storage::OpenReport kept =
            storage::KeepUnreadableFileAside(path_, loaded, std::chrono::system_clock::now());
        !kept.keptAs) {
      return storage::FileResult::Failed("not saved: " + kept.problem);
    }
  }
  storage::RemoveStaleTemporaryFiles(path_);
  storage::FileResult saved = storage::WriteFileAtomically(path_, ToXml());
  if (saved.ok()) {
    synced_ = FieldValues();
    syncedFolder_ = folder;
  }
  return saved;
}

AssignmentStore& AssignmentStore::Global() {
  static AssignmentStore store = [] {
    GlobalState& state = TheGlobalState();
    std::filesystem::path dataFolder;
    {
      const std::lock_guard lock(state.mutex);
      state.created = true;
      dataFolder = state.folder.value_or(settings::UserDataDir());
    }
    AssignmentStore created(dataFolder / settings::PathFromUtf8(kAssignmentStoreFileName));
    state.report = created.Open();
    return created;
  }();
  return store;
}

const storage::OpenReport& AssignmentStore::GlobalOpenReport() {
  Global();
  return TheGlobalState().report;
}

bool AssignmentStore::SetGlobalFolder(std::filesystem::path folder) {
  GlobalState& state = TheGlobalState();
  const std::lock_guard lock(state.mutex);
  if (state.created) {
    return false;
  }
  state.folder = std::move(folder);
  return true;
}

}  // namespace keyloom::macro
