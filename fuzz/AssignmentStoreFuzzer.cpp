// The assignment store's reader on any bytes: it must never crash, and what it accepts must be
// written so that it reads back to the same fields.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "macro/AssignmentStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using keyloom::macro::AssignmentStore;
  AssignmentStore store;
  if (!store.LoadBuffer(std::string_view(reinterpret_cast<const char*>(data), size)).ok()) {
    if (store.ToXml() != AssignmentStore().ToXml()) {
      std::abort();
    }
    return 0;
  }
  AssignmentStore reread;
  reread.page = -7;
  if (!reread.LoadBuffer(store.ToXml()).ok() || reread.ToXml() != store.ToXml()) {
    std::abort();
  }
  return 0;
}
