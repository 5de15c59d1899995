#include "app/HeapArenas.h"

namespace keyloom::app {

void UseOneHeapArena() {}

}  // namespace keyloom::app
