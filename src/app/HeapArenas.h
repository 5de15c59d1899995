#pragma once

namespace keyloom::app {

// Lets every thread of the program allocate from one heap. glibc gives a thread that allocates
// while another holds the heap an arena of its own, which keeps pages of its own for the rest of
// the run (0.4 MiB at start: Qt's font list is filled on a second thread); keyloom's threads
// allocate little and seldom at the same time. Call before the second thread starts. Windows
// has one heap per process already.
void UseOneHeapArena();

}  // namespace keyloom::app
