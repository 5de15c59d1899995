#include <malloc.h>

#include "app/HeapArenas.h"

namespace keyloom::app {

void UseOneHeapArena() {
  // Only a value below 1 is refused; the heap then works as before.
  static_cast<void>(mallopt(M_ARENA_MAX, 1));
}

}  // namespace keyloom::app
