#include "macro/AssignmentStore.h"

#include <mutex>
#include <optional>
#include <utility>

#include <pugixml.hpp>

#include "macro/UserFiles.h"
#include "macro/XmlFiles.h"
#include "settings/AppPaths.h"
#include "settings/NumberText.h"

namespace keyloom::macro {

namespace {

constexpr const char* kStoreElement = "macro";

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
  OpenReport report;
};

GlobalState& TheGlobalState() {
  static GlobalState state;
  return state;
}

}  // namespace

AssignmentStore::AssignmentStore(std::filesystem::path path) : path_(std::move(path)) {}

OpenReport AssignmentStore::Open(std::chrono::system_clock::time_point now) {
  saveRefusal_.clear();
  const LoadResult loaded = Load(path_);
  if (loaded.ok() || loaded.status == LoadResult::Status::kMissing) {
    return {};
  }
  OpenReport report = KeepUnreadableFileAside(path_, loaded.error, now);
  if (!report.keptAs) {
    saveRefusal_ = report.problem;
  }
  return report;
}

LoadResult AssignmentStore::Load(const std::filesystem::path& file) {
  return LoadUserFile(file, [this](std::string_view bytes) { return LoadBuffer(bytes); });
}

LoadResult AssignmentStore::LoadBuffer(std::string_view bytes) {
  pugi::xml_document document;
  LoadResult loaded = xml::Parse(document, bytes, pugi::encoding_auto);
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
  return loaded;
}

std::string AssignmentStore::ToXml() const {
  pugi::xml_document document;
  pugi::xml_node element = document.append_child(kStoreElement);
  for (const auto& [attribute, field] : kStoreFields) {
    element.append_attribute(attribute).set_value(this->*field);
  }
  // Without a declaration node of its own the document is written with the parser's standard
  // one, <?xml version="1.0"?>.
  return xml::Write(document);
}

FileResult AssignmentStore::Save() const {
  if (path_.empty()) {
    return FileResult::Failed("the assignment store has no file to be saved to");
  }
  if (!saveRefusal_.empty()) {
    return FileResult::Failed("not saved: " + saveRefusal_);
  }
  return WriteFileAtomically(path_, ToXml());
}

AssignmentStore& AssignmentStore::Global() {
  static AssignmentStore store = [] {
    GlobalState& state = TheGlobalState();
    std::filesystem::path folder;
    {
      const std::lock_guard lock(state.mutex);
      state.created = true;
      folder = state.folder.value_or(settings::UserDataDir());
    }
    AssignmentStore created(folder / settings::PathFromUtf8(kAssignmentStoreFileName));
    state.report = created.Open();
    return created;
  }();
  return store;
}

const OpenReport& AssignmentStore::GlobalOpenReport() {
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
