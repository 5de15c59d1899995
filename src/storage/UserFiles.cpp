#include "storage/UserFiles.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#include "storage/UserFilesPlatform.h"

namespace keyloom::storage {

namespace {

// A new name for each temporary file, so that two processes saving the same file at once
// (the GUI and keyloomctl) never write into each other's temporary file. Drawn from the system
// each time: a generator's state would be shared by the processes that a fork makes.
std::string RandomSuffix() {
  std::random_device random;
  const std::uint64_t value = (std::uint64_t{random()} << 32) ^ std::uint64_t{random()};
  char text[24];
  std::snprintf(text, sizeof text, "%016" PRIx64, value);
  return text;
}

std::string Timestamp(std::chrono::system_clock::time_point now) {
  using namespace std::chrono;
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{floor<seconds>(now - day)};
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02u%02u-%02d%02d%02d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kSuffixDigits = 16;

// Whether `name` is "<prefix><kSuffixDigits hexadecimal digits>.tmp", as RandomSuffix makes
// them.
bool IsTemporaryName(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix) || !name.ends_with(kTemporarySuffix)) {
    return false;
  }
  const std::string_view digits =
      name.substr(prefix.size(), name.size() - prefix.size() - kTemporarySuffix.size());
  return digits.size() == kSuffixDigits && std::ranges::all_of(digits, [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

// Enough for every attempt to find a free name unless something is badly wrong.
constexpr int kAsideAttempts = 1000;

// Links followed at most on the way to the file a link leads to; a longer chain is a loop.
constexpr int kMostLinks = 40;

// The file that `file` names once every symbolic link on the way is followed, the last one
// possibly not there yet. A link that cannot be read ends the walk where it stands.
std::filesystem::path FinalTarget(std::filesystem::path file) {
  for (int hop = 0; hop < kMostLinks; ++hop) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) {
      return file;
    }
    const std::filesystem::path target = std::filesystem::read_symlink(file, error);
    if (error) {
      return file;
    }
    file = target.is_absolute() ? target : file.parent_path() / target;
  }
  return file;
}

// A copy of `file` already kept under `label` whose content is `bytes`.
std::optional<std::filesystem::path> CopyWithContent(const std::filesystem::path& file,
                                                     std::string_view label,
                                                     std::string_view bytes) {
  std::string prefix = file.stem().string();
  prefix += '.';
  prefix += label;
  prefix += '-';
  const std::string extension = file.extension().string();
  std::error_code error;
  const std::filesystem::path folder =
      file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    std::error_code sizeError;
    if (!name.starts_with(prefix) || !name.ends_with(extension) ||
        entry->file_size(sizeError) != bytes.size() || sizeError) {
      continue;
    }
    const FileBytes kept = ReadUserFile(entry->path());
    if (kept.status == LoadResult::Status::kLoaded && kept.bytes == bytes) {
      return entry->path();
    }
  }
  return std::nullopt;
}

}  // namespace

FileBytes ReadUserFile(const std::filesystem::path& file) {
  FileBytes read;
  std::error_code error;
  // A link to nothing counts as missing, like no file at all.
  const auto status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return read;
  }
  read.status = LoadResult::Status::kUnreadable;
  if (error) {
    read.error = file.string() + " cannot be read: " + error.message();
    return read;
  }
  read.status = LoadResult::Status::kUnusable;
  if (!std::filesystem::is_regular_file(status)) {
    read.error = file.string() + " is not a regular file";
    return read;
  }
  const std::string tooLarge = file.string() + " is larger than " +
                               std::to_string(kLargestUserFile / (std::uintmax_t{1024} * 1024)) +
                               " MiB";
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (!error && size > kLargestUserFile) {
    read.error = tooLarge;
    return read;
  }
  std::string reason;
  if (!platform::ReadWholeFile(file, kLargestUserFile, read.bytes, reason)) {
    read.status = LoadResult::Status::kUnreadable;
    read.error = file.string() + " cannot be read: " + reason;
    return read;
  }
  if (read.bytes.size() > kLargestUserFile) {
    read.bytes.clear();
    read.error = tooLarge;
    return read;
  }
  // The reader grows the bytes a 64 KiB piece at a time where a file grew while it was read;
  // kept files (the key map, the simulated keyboard's state) hold only what they read.
  read.bytes.shrink_to_fit();
  read.status = LoadResult::Status::kLoaded;
  return read;
}

LoadResult LoadUserFile(const std::filesystem::path& file,
                        const std::function<LoadResult(std::string_view)>& parse) {
  FileBytes read = ReadUserFile(file);
  if (read.status != LoadResult::Status::kLoaded) {
    LoadResult failed;
    failed.status = read.status;
    failed.error = std::move(read.error);
    return failed;
  }
  LoadResult loaded = parse(read.bytes);
  if (loaded.status == LoadResult::Status::kMalformed) {
    loaded.error = file.string() + " is " + loaded.error;
  }
  return loaded;
}

FileResult WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                               Replacing replacing) {
  if (target.empty() || !target.has_filename()) {
    return FileResult::Failed("no file name to save to");
  }
  if (replacing == Replacing::kChosenFile) {
    if (ChosenFileCheck check = CheckChosenFile(target);
        check.problem != ChosenFileProblem::kNone) {
      return check.result;
    }
  }
  const std::filesystem::path file = FinalTarget(target);
  std::filesystem::path temporary = file;
  temporary += ".";
  temporary += RandomSuffix();
  temporary += kTemporarySuffix;
  std::string error;
  if (platform::WriteNewFileDurably(temporary, bytes, file, error) != platform::Outcome::kDone) {
    return FileResult::Failed(error.empty() ? "cannot create " + temporary.string() : error);
  }
  if (FileResult replaced = platform::MoveFileOver(temporary, file); !replaced.ok()) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return replaced;
  }
  return {};
}

ChosenFileCheck CheckChosenFile(const std::filesystem::path& file) {
  ChosenFileCheck check;
  std::error_code error;
  const auto status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return check;
  }
  if (error) {
    check.problem = ChosenFileProblem::kUnchecked;
    check.result = FileResult::Failed(file.string() + " cannot be written: " + error.message());
    return check;
  }
  if (!std::filesystem::is_regular_file(status)) {
    check.problem = ChosenFileProblem::kNotRegularFile;
    check.result = FileResult::Failed(
        file.string() +
        " is not a regular file (a folder, a device or a pipe); only a new file or a regular "
        "file is written, so it was left as it is");
    return check;
  }
  if (std::string reason; !platform::MayWriteFile(file, reason)) {
    check.problem = ChosenFileProblem::kReadOnly;
    check.result = FileResult::Failed(file.string() + " may not be written (" + reason +
                                      "), so it was left as it is");
  }
  return check;
}

std::size_t RemoveStaleTemporaryFiles(const std::filesystem::path& file) {
  const std::filesystem::path target = FinalTarget(file);
  const std::string prefix = target.filename().string() + ".";
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  const auto oldest = std::filesystem::file_time_type::clock::now() - kStaleTemporaryFileAge;
  std::vector<std::filesystem::path> stale;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    std::error_code entryError;
    if (IsTemporaryName(name, prefix) &&
        entry->symlink_status(entryError).type() == std::filesystem::file_type::regular &&
        entry->last_write_time(entryError) < oldest && !entryError) {
      stale.push_back(entry->path());
    }
  }
  std::size_t removed = 0;
  for (const std::filesystem::path& path : stale) {
    removed += std::filesystem::remove(path, error) ? 1U : 0U;
  }
  return removed;
}

std::filesystem::path AsideName(const std::filesystem::path& file, std::string_view label,
                                std::chrono::system_clock::time_point now, int attempt) {
  std::string suffix(".");
  suffix += label;
  suffix += '-';
  suffix += Timestamp(now);
  if (attempt > 1) {
    suffix += '-';
    suffix += std::to_string(attempt);
  }
  std::filesystem::path name = file.stem();
  name += suffix;
  name += file.extension();
  return file.parent_path() / name;
}

AsideResult MoveFileAside(const std::filesystem::path& file, std::string_view label,
                          std::chrono::system_clock::time_point now) {
  AsideResult aside;
  std::string error;
  for (int attempt = 1; attempt <= kAsideAttempts; ++attempt) {
    const std::filesystem::path candidate = AsideName(file, label, now, attempt);
    switch (platform::RenameWithoutReplacing(file, candidate, error)) {
      case platform::Outcome::kDone:
        aside.keptAs = candidate;
        return aside;
      case platform::Outcome::kTargetExists:
        continue;
      case platform::Outcome::kFailed:
        aside.result = FileResult::Failed("cannot move " + file.string() + " aside: " + error);
        return aside;
    }
  }
  aside.result =
      FileResult::Failed("cannot move " + file.string() + " aside: every name for it is taken");
  return aside;
}

AsideResult CopyFileAside(const std::filesystem::path& file, std::string_view label,
                          std::chrono::system_clock::time_point now) {
  AsideResult aside;
  const FileBytes read = ReadUserFile(file);
  if (read.status != LoadResult::Status::kLoaded) {
    aside.result = FileResult::Failed(
        "cannot copy " + file.string() + " aside: " +
        (read.status == LoadResult::Status::kMissing ? "it does not exist" : read.error));
    return aside;
  }
  if (auto kept = CopyWithContent(file, label, read.bytes)) {
    aside.keptAs = std::move(*kept);
    return aside;
  }
  for (int attempt = 1; attempt <= kAsideAttempts; ++attempt) {
    const std::filesystem::path candidate = AsideName(file, label, now, attempt);
    std::string error;
    switch (platform::WriteNewFileDurably(candidate, read.bytes, file, error)) {
      case platform::Outcome::kDone:
        aside.keptAs = candidate;
        return aside;
      case platform::Outcome::kTargetExists:
        continue;
      case platform::Outcome::kFailed:
        aside.result = FileResult::Failed("cannot copy " + file.string() + " aside: " + error);
        return aside;
    }
  }
  aside.result =
      FileResult::Failed("cannot copy " + file.string() + " aside: every name for it is taken");
  return aside;
}

OpenReport KeepUnreadableFileAside(const std::filesystem::path& file, const LoadResult& loaded,
                                   std::chrono::system_clock::time_point now) {
  constexpr std::string_view kNotOverwritten =
      ", so nothing will be saved over it until it is repaired or removed";
  OpenReport report;
  if (loaded.status == LoadResult::Status::kUnreadable) {
    report.problem = loaded.error + "; it is left where it is" + std::string(kNotOverwritten);
    return report;
  }
  const AsideResult aside = MoveFileAside(file, kBrokenLabel, now);
  if (aside.result.ok()) {
    report.keptAs = aside.keptAs;
    report.problem =
        loaded.error + "; it was kept as " + aside.keptAs.string() + " and a new one is started";
  } else {
    report.problem = loaded.error + "; " + aside.result.error() + std::string(kNotOverwritten);
  }
  return report;
}

}  // namespace keyloom::storage
