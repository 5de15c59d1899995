#include "macro/UserFiles.h"

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#include "macro/UserFilesPlatform.h"

namespace keyloom::macro {

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

// Enough for every attempt to find a free name unless something is badly wrong.
constexpr int kAsideAttempts = 1000;

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
  if (!std::filesystem::is_regular_file(status)) {
    read.error = file.string() + " is not a regular file";
    return read;
  }
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error) {
    read.error = file.string() + " cannot be read: " + error.message();
    return read;
  }
  if (size > kLargestUserFile) {
    read.error = file.string() + " is larger than " +
                 std::to_string(kLargestUserFile / (1024U * 1024U)) + " MiB";
    return read;
  }
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    read.error = file.string() + " cannot be opened for reading";
    return read;
  }
  read.bytes.resize(static_cast<std::size_t>(size));
  stream.read(read.bytes.data(), static_cast<std::streamsize>(read.bytes.size()));
  if (static_cast<std::uintmax_t>(stream.gcount()) != size) {
    read.bytes.clear();
    read.error = file.string() + " could not be read to its end";
    return read;
  }
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

FileResult WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
  if (target.empty() || !target.has_filename()) {
    return FileResult::Failed("no file name to save to");
  }
  std::filesystem::path temporary = target;
  temporary += ".";
  temporary += RandomSuffix();
  temporary += ".tmp";
  if (FileResult written = platform::WriteNewFileDurably(temporary, bytes, target); !written.ok()) {
    return written;
  }
  if (FileResult replaced = platform::MoveFileOver(temporary, target); !replaced.ok()) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return replaced;
  }
  return {};
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
      case platform::RenameOutcome::kDone:
        aside.keptAs = candidate;
        return aside;
      case platform::RenameOutcome::kTargetExists:
        continue;
      case platform::RenameOutcome::kFailed:
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
  for (int attempt = 1; attempt <= kAsideAttempts; ++attempt) {
    const std::filesystem::path candidate = AsideName(file, label, now, attempt);
    std::error_code error;
    // Without an overwrite option the copy fails on an existing file.
    if (std::filesystem::copy_file(file, candidate, std::filesystem::copy_options::none, error)) {
      aside.keptAs = candidate;
      return aside;
    }
    if (error != std::errc::file_exists) {
      aside.result =
          FileResult::Failed("cannot copy " + file.string() + " aside: " + error.message());
      return aside;
    }
  }
  aside.result =
      FileResult::Failed("cannot copy " + file.string() + " aside: every name for it is taken");
  return aside;
}

OpenReport KeepUnreadableFileAside(const std::filesystem::path& file, const std::string& reason,
                                   std::chrono::system_clock::time_point now) {
  OpenReport report;
  const AsideResult aside = MoveFileAside(file, kBrokenLabel, now);
  if (aside.result.ok()) {
    report.keptAs = aside.keptAs;
    report.problem =
        reason + "; it was kept as " + aside.keptAs.string() + " and a new one is started";
  } else {
    report.problem = reason + "; " + aside.result.error() +
                     ", so nothing will be saved over it until it is repaired or removed";
  }
  return report;
}

}  // namespace keyloom::macro
