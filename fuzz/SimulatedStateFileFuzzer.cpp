// The simulated keyboard's state file on any bytes: reading it must never crash; a file it
// cannot take is kept aside and the keyboard starts from the factory state; what it takes is
// written back and read again to the same state.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "sim/SimulatedKeyboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  using keyloom::sim::SimulatedKeyboard;
  static const fs::path folder = [] {
    std::string pattern = (fs::temp_directory_path() / "keyloom-fuzz-state-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::abort();
    }
    return fs::path(pattern);
  }();
  fs::remove_all(folder);
  fs::create_directory(folder);
  const fs::path file = folder / keyloom::sim::kStateFileName;
  {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  SimulatedKeyboard keyboard(file);
  const auto state = keyboard.CurrentState();
  if (keyboard.brokenStateKeptAs()) {
    if (!(state == keyloom::sim::SimulatedKeyboardState()) ||
        !fs::exists(*keyboard.brokenStateKeptAs())) {
      std::abort();
    }
    return 0;
  }
  // A change makes the keyboard write its state; a second keyboard reads it back.
  keyloom::hid::Report select{0x07, 0xFC, static_cast<std::uint8_t>(state.activeProfile + 1)};
  keyboard.SetFeature(select);
  SimulatedKeyboard again(file);
  if (!(again.CurrentState() == keyboard.CurrentState())) {
    std::abort();
  }
  return 0;
}
