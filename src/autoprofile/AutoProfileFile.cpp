#include "autoprofile/AutoProfileFile.h"

#include <utility>

#include "storage/DataFolderLock.h"
#include "storage/LoadResult.h"
#include "storage/UserFiles.h"

namespace keyloom::autoprofile {

AutoProfileFile::AutoProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

AutoProfileFile::ReadReport AutoProfileFile::Refresh(std::chrono::system_clock::time_point now) {
  // A folder where no lock file can be made is read all the same: reading loses nothing.
  const storage::DataFolderLock lock(path_.parent_path());
  return RefreshLocked(now);
}

AutoProfileFile::ReadReport AutoProfileFile::RefreshLocked(
    std::chrono::system_clock::time_point now) {
  ReadReport report;
  storage::FileBytes read = storage::ReadUserFile(path_);
  if (read.status == storage::LoadResult::Status::kMissing) {
    rules_ = {};
    onDisk_.reset();
    saveRefusal_.reset();
    everRead_ = true;
    return report;
  }
  if (everRead_ && read.status == storage::LoadResult::Status::kLoaded && onDisk_ == read.bytes) {
    return report;
  }
  everRead_ = true;
  saveRefusal_.reset();
  storage::LoadResult loaded;
  loaded.status = read.status;
  loaded.error = read.error;
  AutoProfileRules parsed;
  RulesParse parse;
  if (read.status == storage::LoadResult::Status::kLoaded) {
    parse = ParseRules(read.bytes, parsed);
    if (!parse.wellFormed) {
      loaded.status = storage::LoadResult::Status::kMalformed;
      loaded.error = path_.string() + " is " + parse.error;
    }
  }
  if (!parse.wellFormed) {
    report.file = storage::KeepUnreadableFileAside(path_, loaded, now);
    onDisk_.reset();
    if (report.file.keptAs) {
      rules_ = {};
    } else {
      saveRefusal_ = report.file.problem;
    }
    return report;
  }
  rules_ = std::move(parsed);
  onDisk_ = std::move(read.bytes);
  if (parse.leftOut == 0) {
    return report;
  }
  report.partlyRead = true;
  const std::string left = path_.string() +
                           " was read only in part: " + std::to_string(parse.leftOut) +
                           " element(s) or value(s) were left out";
  const storage::AsideResult aside = storage::CopyFileAside(path_, kPartlyReadLabel, now);
  if (aside.result.ok()) {
    report.file.keptAs = aside.keptAs;
    report.file.problem = left + "; the file as it was is kept as " + aside.keptAs.string();
  } else {
    report.file.problem = left + "; " + aside.result.error() +
                          ", so nothing will be saved over it until it is repaired or removed";
    saveRefusal_ = report.file.problem;
  }
  return report;
}

AutoProfileFile::UpdateResult AutoProfileFile::Update(const Change& change,
                                                      std::chrono::system_clock::time_point now) {
  UpdateResult result;
  const storage::DataFolderLock lock(path_.parent_path());
  if (!lock.held()) {
    result.saved = lock.result();
    return result;
  }
  result.reread = RefreshLocked(now);
  if (saveRefusal_) {
    result.saved = storage::FileResult::Failed("not saved: " + *saveRefusal_);
    return result;
  }
  AutoProfileRules changed = rules_;
  if (!change(changed)) {
    return result;
  }
  storage::RemoveStaleTemporaryFiles(path_);
  std::string bytes = RulesToXml(changed);
  result.saved = storage::WriteFileAtomically(path_, bytes);
  if (result.saved.ok()) {
    result.changed = true;
    rules_ = std::move(changed);
    onDisk_ = std::move(bytes);
  }
  return result;
}

}  // namespace keyloom::autoprofile
