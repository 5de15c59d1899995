// The cost of keeping the macro library on disk. The recorder rewrites the whole library file on
// every captured keystroke, from inside the keyboard hook, so one save of a large library must
// stay short. Target: a library of 100 groups of 100 events saved in under 5 ms, atomic
// replacement (temporary file, flush to disk, rename) included.

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include <benchmark/benchmark.h>

#include "macro/MacroLibrary.h"

namespace {

using namespace keyloom;

constexpr int kGroups = 100;
constexpr int kEventsPerGroup = 100;

// A folder of its own under the temporary folder, removed afterwards.
class BenchFolder {
 public:
  BenchFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("keyloom-bench-macro-" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(path_);
  }
  ~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Recorded-looking events: presses and releases of letters with delays of a few hundred ms.
void Fill(macro::MacroLibrary& library) {
  for (int g = 0; g < kGroups; ++g) {
    macro::MacroNode* group = library.root().InsertChild(macro::MacroNode::kLast,
                                                         {{"name", "Group " + std::to_string(g)}});
    for (int e = 0; e < kEventsPerGroup; ++e) {
      const int letter = (g + e / 2) % 26;
      group->InsertChild(macro::MacroNode::kLast,
                         {{"code", std::to_string(4 + letter)},
                          {"name", std::string(1, static_cast<char>('A' + letter))},
                          {"state", std::to_string(e % 2)},
                          {"delay", std::to_string(40 + (e * 37) % 400)}});
    }
  }
}

void BM_SaveLibrary100x100(benchmark::State& state) {
  BenchFolder folder;
  macro::MacroLibrary library(folder.path() / "macro.xml");
  Fill(library);
  for (auto _ : state) {
    const storage::FileResult saved = library.SaveToOwnFile();
    if (!saved.ok()) {
      state.SkipWithError(saved.error().c_str());
      break;
    }
  }
  state.counters["file_bytes"] =
      static_cast<double>(std::filesystem::file_size(folder.path() / "macro.xml"));
}
BENCHMARK(BM_SaveLibrary100x100)->Unit(benchmark::kMillisecond)->UseRealTime();

// One recorded keystroke as the recorder saves it: the data folder's lock, the file read again
// and compared with what was last written, the event appended and the library saved. Within the
// same 5 ms as a bare save.
void BM_RecordOneEvent100x100(benchmark::State& state) {
  BenchFolder folder;
  macro::MacroLibrary library(folder.path() / "macro.xml");
  Fill(library);
  for (auto _ : state) {
    const storage::EditResult added = library.Update([](macro::MacroLibrary& current) {
      return current.GroupAt(0)->InsertChild(
                 macro::MacroNode::kLast,
                 {{"code", "4"}, {"name", "A"}, {"state", "0"}, {"delay", "0"}}) != nullptr;
    });
    if (!added.saved.ok()) {
      state.SkipWithError(added.saved.error().c_str());
      break;
    }
  }
}
BENCHMARK(BM_RecordOneEvent100x100)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of a save spent building the text, without the file system.
void BM_LibraryToXml100x100(benchmark::State& state) {
  macro::MacroLibrary library;
  Fill(library);
  for (auto _ : state) {
    benchmark::DoNotOptimize(library.ToXml());
  }
}
BENCHMARK(BM_LibraryToXml100x100)->Unit(benchmark::kMillisecond);

// What opening the key assignment dialog costs with such a library.
void BM_OpenLibrary100x100(benchmark::State& state) {
  BenchFolder folder;
  {
    macro::MacroLibrary library(folder.path() / "macro.xml");
    Fill(library);
    if (!library.SaveToOwnFile().ok()) {
      state.SkipWithError("the library could not be saved");
      return;
    }
  }
  for (auto _ : state) {
    macro::MacroLibrary library(folder.path() / "macro.xml");
    benchmark::DoNotOptimize(library.Open());
  }
}
BENCHMARK(BM_OpenLibrary100x100)->Unit(benchmark::kMillisecond);

}  // namespace
