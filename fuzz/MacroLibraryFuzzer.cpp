// The macro library's reader on any bytes: it must never crash; what it accepts must be written
// so that it reads back to the same library and the same bytes; and every group must give a key
// a macro that stays within a record's 82 events.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "keymap/ContentBuilder.h"
#include "macro/MacroLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace keyloom;
  macro::MacroLibrary library;
  if (!library.LoadBuffer(std::string_view(reinterpret_cast<const char*>(data), size)).ok()) {
    if (library.GroupCount() != 0) {
      std::abort();
    }
    return 0;
  }
  const std::string written = library.ToXml();
  macro::MacroLibrary reread;
  const storage::LoadResult again = reread.LoadBuffer(written);
  if (!again.ok() || again.partlyRead() || reread.GroupCount() != library.GroupCount() ||
      reread.ToXml() != written) {
    std::abort();
  }

  for (int g = 0; g < library.GroupCount(); ++g) {
    const keymap::BuiltContent built = keymap::MacroContent(library.GroupAt(g), 1);
    if (built.content->events.size() > protocol::KeyAssignmentRecord::kMaxEvents ||
        built.shortened != (built.available > protocol::KeyAssignmentRecord::kMaxEvents)) {
      std::abort();
    }
  }
  return 0;
}
