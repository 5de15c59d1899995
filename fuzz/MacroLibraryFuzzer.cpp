// The macro library's reader on any bytes: it must never crash; what it accepts must be written
// so that it reads back to the same library and the same bytes; and every group must make a
// record that stays within its 82 events.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "macro/MacroLibrary.h"
#include "macro/RecordBuilder.h"

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

  protocol::SelectedKeys keys;
  keys.emplace(0x04, "A");
  for (int g = 0; g < library.GroupCount(); ++g) {
    const macro::BuiltRecord built = macro::BuildMacroRecord(keys, 1, library.GroupAt(g));
    if (built.events > protocol::KeyAssignmentRecord::kMaxEvents ||
        built.shortened != (built.available > protocol::KeyAssignmentRecord::kMaxEvents)) {
      std::abort();
    }
  }
  return 0;
}
