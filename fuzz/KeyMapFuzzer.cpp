// The key map's reader (the key map in the data folder and every backup) on any bytes: it must
// never crash, and what it accepts must be written so that it reads back to the same map.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "keymap/KeyMapXml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using keyloom::keymap::KeyMapDocument;
  KeyMapDocument document;
  if (!keyloom::keymap::ParseKeyMap(std::string_view(reinterpret_cast<const char*>(data), size),
                                    document)
           .ok()) {
    return 0;
  }
  const keyloom::keymap::KeyboardModel model =
      document.model.value_or(keyloom::keymap::KeyboardModel{0x258A, 0x002A});
  const std::string written = keyloom::keymap::KeyMapToXml(document.map, model);
  KeyMapDocument reread;
  if (!keyloom::keymap::ParseKeyMap(written, reread).ok() || !(reread.map == document.map) ||
      reread.model != model || keyloom::keymap::KeyMapToXml(reread.map, model) != written) {
    std::abort();
  }
  return 0;
}
