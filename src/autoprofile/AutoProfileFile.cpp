#include "autoprofile/AutoProfileFile.h"

#include <utility>

#include "macro/DataFolderLock.h"
#include "macro/LoadResult.h"
#include "macro/UserFiles.h"

namespace keyloom::autoprofile {

AutoProfileFile::AutoProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

AutoProfileFile::ReadReport AutoProfileFile::Refresh(std::chrono::system_clock::time_point now) {
  // A folder where no lock file can be made is read all the same: reading loses nothing.
  const macro::DataFolderLock lock(path_.parent_path());
  return RefreshLocked(now);
}

AutoProfileFile::ReadReport AutoProfileFile::RefreshLocked(
    std::chrono::system_clock::time_point now) {
  ReadReport report;
  macro::FileBytes read = macro::ReadUserFile(path_);
  if (read.status == macro::LoadResult::Status::kMissing) {
    rules_ = {};
    onDisk_.reset();
    saveRefusal_.reset();
    everRead_ = true;
    return report;
  }
  if (everRead_ && read.status == macro::LoadResult::Status::kLoaded && onDisk_ == read.bytes) {
    return report;
  }
  everRead_ = true;
  saveRefusal_.reset();
  macro::LoadResult loaded;
  loaded.status = read.status;
  loaded.error = read.error;
  AutoProfileRules parsed;
  RulesParse parse;
  if (read.status == macro::LoadResult::Status::kLoaded) {
    parse = ParseRules(read.bytes, parsed);
    if (!parse.wellFormed) {
      loaded.status = macro::LoadResult::Status::kMalformed;
      loaded.error = path_.string() + " is " + parse.error;
    }
  }
  if (!parse.wellFormed) {
    report.file = macro::KeepUnreadableFileAside(path_, loaded, now);
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
  const macro::AsideResult aside = macro::CopyFileAside(path_, kPartlyReadLabel, now);
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
  const macro::DataFolderLock lock(path_.parent_path());
  if (!lock.held()) {
    result.saved = lock.result();
    return result;
  }
  result.reread = RefreshLocked(now);
  if (saveRefusal_) {
    result.saved = macro::FileResult::Failed("not saved: " + *saveRefusal_);
    return result;
  }
  AutoProfileRules changed = rules_;
  if (!change(changed)) {
    return result;
  }
  std::string bytes = RulesToXml(changed);
  result.saved = macro::WriteFileAtomically(path_, bytes);
  if (result.saved.ok()) {
    result.changed = true;
    rules_ = std::move(changed);
    onDisk_ = std::move(bytes);
  }
  return result;
}

}  // namespace keyloom::autoprofile
